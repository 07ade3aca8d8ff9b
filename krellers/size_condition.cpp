#include "krellers/size_condition.h"

#include "platform/Text.h"

#include <charconv>
#include <optional>
#include <string>

namespace {

constexpr const char* kMinName = "SIZE_MIN";
constexpr const char* kMinUnitName = "SIZE_MIN_UNIT";
constexpr const char* kMaxName = "SIZE_MAX";
constexpr const char* kMaxUnitName = "SIZE_MAX_UNIT";

std::int64_t UnitFactor(TSizeUnit unit)
{
    return unit == TSizeUnit::MB ? 1000000 : 1000;
}

const char* UnitText(TSizeUnit unit)
{
    return unit == TSizeUnit::MB ? "MB" : "KB";
}

// "KB" unless the text names "MB" (without regard to case).
TSizeUnit ParseUnit(const std::optional<std::string>& text)
{
    return text && EqualsIgnoringAsciiCase(*text, UnitText(TSizeUnit::MB)) ? TSizeUnit::MB : TSizeUnit::KB;
}

// A decimal 32-bit integer with an optional sign, nothing else.
std::optional<std::int32_t> ParseValue(std::string_view text)
{
    if (text.size() > 1 && text.front() == '+' && text[1] != '-')
        text.remove_prefix(1);
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

TSizeBound ReadBound(const TConditionStrings& lines, const char* valueName, const char* unitName,
                     const TSizeBound& previous)
{
    TSizeBound bound = previous;
    const auto value = ConditionValue(lines, valueName);
    bound.InForce = value && !value->empty();
    if (bound.InForce)
        bound.Value = ParseValue(*value).value_or(previous.Value);
    bound.Unit = ParseUnit(ConditionValue(lines, unitName));
    return bound;
}

void WriteBound(TConditionStrings& lines, const TSizeBound& bound, const char* valueName, const char* unitName)
{
    SetConditionValue(lines, valueName, bound.InForce ? std::to_string(bound.Value) : std::string());
    SetConditionValue(lines, unitName, UnitText(bound.Unit));
}

} // namespace

std::int64_t TSizeBound::Bytes() const
{
    return static_cast<std::int64_t>(Value) * UnitFactor(Unit);
}

bool TSizeCondition::Test(std::int64_t size) const
{
    if (Lower.InForce && size < Lower.Bytes())
        return false;
    return !Upper.InForce || size <= Upper.Bytes();
}

namespace {

std::string BoundText(const TSizeBound& bound)
{
    return platform::GroupedNumber(bound.Bytes()) + " bytes (" + platform::GroupedNumber(bound.Value) + " " +
           UnitText(bound.Unit) + ")";
}

} // namespace

std::string TSizeCondition::WhyRefused(std::int64_t size) const
{
    const std::string stated = "the size " + platform::GroupedNumber(size) + " bytes is ";
    if (Lower.InForce && size < Lower.Bytes())
        return stated + "below the lower bound " + BoundText(Lower);
    if (Upper.InForce && size > Upper.Bytes())
        return stated + "above the upper bound " + BoundText(Upper);
    return {};
}

TSizeCondition TSizeCondition::FromLines(const TConditionStrings& lines, const TSizeCondition& previous)
{
    TSizeCondition condition;
    condition.Lower = ReadBound(lines, kMinName, kMinUnitName, previous.Lower);
    condition.Upper = ReadBound(lines, kMaxName, kMaxUnitName, previous.Upper);
    return condition;
}

void TSizeCondition::UpdateLines(TConditionStrings& lines) const
{
    WriteBound(lines, Lower, kMinName, kMinUnitName);
    WriteBound(lines, Upper, kMaxName, kMaxUnitName);
}

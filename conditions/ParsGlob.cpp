#include "conditions/ParsGlob.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <ostream>
#include <system_error>

ExprValue ExprValue::MakeBoolean(bool value)
{
    ExprValue result;
    result.SetBoolean(value);
    return result;
}

ExprValue ExprValue::MakeInteger(std::int32_t value)
{
    ExprValue result;
    result.SetInteger(value);
    return result;
}

ExprValue ExprValue::MakeFloat(double value)
{
    ExprValue result;
    result.SetFloat(value);
    return result;
}

ExprValue ExprValue::MakeString(std::string value)
{
    ExprValue result;
    result.SetString(std::move(value));
    return result;
}

void ExprValue::SetNull()
{
    type = vtNull;
    text.clear();
    boolean = false;
    integer = 0;
    real = 0.0;
}

void ExprValue::SetBoolean(bool value)
{
    SetNull();
    type = vtBoolean;
    boolean = value;
}

void ExprValue::SetInteger(std::int32_t value)
{
    SetNull();
    type = vtInteger;
    integer = value;
}

void ExprValue::SetFloat(double value)
{
    SetNull();
    type = vtFloat;
    real = value;
}

void ExprValue::SetString(std::string value)
{
    SetNull();
    type = vtString;
    text = std::move(value);
}

bool ExprValue::operator==(const ExprValue& other) const
{
    if (type != other.type)
        return false;
    switch (type) {
    case vtNull: return true;
    case vtBoolean: return boolean == other.boolean;
    case vtInteger: return integer == other.integer;
    case vtFloat: return real == other.real;
    case vtString: return text == other.text;
    }
    return false;
}

std::ostream& operator<<(std::ostream& out, const ExprValue& value)
{
    switch (value.type) {
    case vtNull: return out << "null";
    case vtBoolean: return out << "boolean " << (value.boolean ? "true" : "false");
    case vtInteger: return out << "integer " << value.integer;
    case vtFloat: return out << "float " << FloatToText(value.real);
    case vtString: return out << "string '" << value.text << "'";
    }
    return out;
}

namespace {

bool IsBlank(char c)
{
    return c >= 1 && c <= 32;
}

std::string_view TrimBlanks(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::size_t CountDigits(std::string_view text, std::size_t from)
{
    std::size_t end = from;
    while (end < text.size() && IsDigit(text[end]))
        ++end;
    return end - from;
}

// [sign] digits [. digits] [(E|e) [sign] digits], with at least one mantissa digit. The check is
// made here because from_chars also reads "inf" and "nan", which are no numbers to the user.
bool IsDecimalRealText(std::string_view text)
{
    std::size_t at = 0;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        ++at;
    std::size_t mantissaDigits = CountDigits(text, at);
    at += mantissaDigits;
    if (at < text.size() && text[at] == '.') {
        std::size_t fractionDigits = CountDigits(text, at + 1);
        at += 1 + fractionDigits;
        mantissaDigits += fractionDigits;
    }
    if (mantissaDigits == 0)
        return false;
    if (at < text.size() && (text[at] == 'E' || text[at] == 'e')) {
        ++at;
        if (at < text.size() && (text[at] == '+' || text[at] == '-'))
            ++at;
        std::size_t exponentDigits = CountDigits(text, at);
        if (exponentDigits == 0)
            return false;
        at += exponentDigits;
    }
    return at == text.size();
}

[[noreturn]] void RaiseNotFloat(std::string_view text)
{
    throw EConvertError(std::string(text) + " isn't a valid float");
}

// Keeps the low 32 bits, as the two's complement arithmetic of the language does.
std::int32_t LowBits(std::int64_t value)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(value)));
}

bool FitsInt64(double value)
{
    // 2^63 is exactly representable; every double below it and at or above -2^63 converts.
    constexpr double limit = 9223372036854775808.0;
    return value >= -limit && value < limit;
}

double RoundHalfToEven(double value)
{
    double below = std::floor(value);
    double excess = value - below;
    if (excess > 0.5)
        return below + 1.0;
    if (excess < 0.5)
        return below;
    return std::fmod(below, 2.0) == 0.0 ? below : below + 1.0;
}

std::int32_t WholeFloatToInteger(double whole)
{
    if (!FitsInt64(whole))
        throw EMathError(kInvalidFloatOperation);
    return LowBits(static_cast<std::int64_t>(whole));
}

void ConvertToBoolean(ExprValue& value)
{
    bool result = false;
    switch (value.type) {
    case vtNull: break;
    case vtBoolean: return;
    case vtInteger: result = value.integer != 0; break;
    case vtFloat: result = value.real != 0.0; break;
    case vtString: result = !value.text.empty(); break;
    }
    value.SetBoolean(result);
}

void ConvertToInteger(ExprValue& value)
{
    std::int32_t result = 0;
    switch (value.type) {
    case vtNull: break;
    case vtBoolean: result = value.boolean ? 1 : 0; break;
    case vtInteger: return;
    case vtFloat: result = RoundToInteger(value.real); break;
    case vtString: result = TextToInteger(value.text); break;
    }
    value.SetInteger(result);
}

void ConvertToFloat(ExprValue& value)
{
    double result = 0.0;
    switch (value.type) {
    case vtNull: break;
    case vtBoolean: result = value.boolean ? 1.0 : 0.0; break;
    case vtInteger: result = value.integer; break;
    case vtFloat: return;
    case vtString: result = TextToFloat(value.text); break;
    }
    value.SetFloat(result);
}

void ConvertToString(ExprValue& value)
{
    std::string result;
    switch (value.type) {
    case vtNull: break;
    case vtBoolean: result.assign(1, value.boolean ? '1' : '0'); break;
    case vtInteger: result = std::to_string(value.integer); break;
    case vtFloat: result = FloatToText(value.real); break;
    case vtString: return;
    }
    value.SetString(std::move(result));
}

} // namespace

void RaiseNotInteger(std::string_view text)
{
    throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
}

void ConvertValue(ExprValue& value, ValueType target)
{
    switch (target) {
    case vtNull: value.SetNull(); break;
    case vtBoolean: ConvertToBoolean(value); break;
    case vtInteger: ConvertToInteger(value); break;
    case vtFloat: ConvertToFloat(value); break;
    case vtString: ConvertToString(value); break;
    }
}

std::string FloatToText(double value)
{
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";
    // to_chars gives "d.ddddddddddddddde[+-]dd[d]" whatever the locale; it is rebuilt into the
    // fixed width with a four-digit exponent.
    char digits[32];
    auto written = std::to_chars(digits, digits + sizeof digits, std::fabs(value), std::chars_format::scientific, 14);
    std::string_view scientific(digits, static_cast<std::size_t>(written.ptr - digits));
    std::size_t e = scientific.find('e');
    std::string_view mantissa = scientific.substr(0, e);
    char exponentSign = scientific[e + 1];
    std::string_view exponentDigits = scientific.substr(e + 2);

    std::string text;
    text.reserve(23);
    text += value < 0 ? '-' : ' ';
    text += mantissa;
    text += 'E';
    text += exponentSign;
    text.append(4 - std::min<std::size_t>(4, exponentDigits.size()), '0');
    text += exponentDigits;
    return text;
}

std::int32_t TextToInteger(std::string_view text)
{
    std::string_view number = TrimBlanks(text);
    bool negative = !number.empty() && number.front() == '-';
    if (!number.empty() && (number.front() == '-' || number.front() == '+'))
        number.remove_prefix(1);
    if (number.empty() || CountDigits(number, 0) != number.size())
        RaiseNotInteger(text);
    // Read as unsigned so that the lowest value, whose magnitude has no positive counterpart, reads too.
    std::uint64_t magnitude = 0;
    auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), magnitude);
    constexpr std::uint64_t largest = std::numeric_limits<std::int32_t>::max();
    if (error != std::errc() || magnitude > largest + (negative ? 1 : 0))
        RaiseNotInteger(text);
    std::int64_t signedValue = negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
    return static_cast<std::int32_t>(signedValue);
}

double TextToFloat(std::string_view text)
{
    std::string_view number = TrimBlanks(text);
    if (!IsDecimalRealText(number))
        RaiseNotFloat(text);
    bool negative = number.front() == '-';
    if (number.front() == '-' || number.front() == '+')
        number.remove_prefix(1);
    double value = 0.0;
    auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error != std::errc() || end != number.data() + number.size())
        RaiseNotFloat(text);
    return negative ? -value : value;
}

std::int32_t RoundToInteger(double value)
{
    return WholeFloatToInteger(RoundHalfToEven(value));
}

std::int32_t TruncateToInteger(double value)
{
    return WholeFloatToInteger(std::trunc(value));
}

double CheckedFloat(double value)
{
    if (std::isnan(value))
        throw EMathError(kInvalidFloatOperation);
    if (std::isinf(value))
        throw EMathError(kFloatOverflow);
    return value;
}

#include "krellers/date_condition.h"

#include "platform/Text.h"

#include <array>

namespace {

constexpr std::array kActions = {TFileAction::Changed, TFileAction::Created, TFileAction::Opened};
constexpr const char* kAfterCaption = "after date";
constexpr const char* kBeforeCaption = "before or at date";
// A bound not in force is written as one blank, so the line is there but says nothing.
constexpr const char* kNoBound = " ";

std::optional<TFileAction> ActionOfText(std::string_view text)
{
    for (const TFileAction action : kActions)
        if (EqualsIgnoringAsciiCase(text, FileActionText(action)))
            return action;
    return std::nullopt;
}

TDateBound ReadBound(const TConditionStrings& lines, std::size_t index, const TDateBound& shown)
{
    TDateBound bound = shown;
    const std::string text = index < lines.size() ? platform::Trimmed(lines[index]) : std::string();
    bound.InForce = !text.empty();
    if (bound.InForce)
        bound.Date = platform::ParseShortDate(text).value_or(shown.Date);
    return bound;
}

std::string BoundLine(const TDateBound& bound)
{
    return bound.InForce ? platform::FormatShortDate(bound.Date) : kNoBound;
}

void DescribeBound(std::string& description, const TDateBound& bound, const char* caption)
{
    if (bound.InForce)
        description += std::string(" ") + caption + " " + platform::FormatShortDate(bound.Date);
}

std::uint64_t TimeStamp(const FileEntry& entry, TFileAction action)
{
    switch (action) {
    case TFileAction::Created:
        return entry.CreationTime;
    case TFileAction::Opened:
        return entry.LastAccessTime;
    case TFileAction::Changed:
        break;
    }
    return entry.LastWriteTime;
}

} // namespace

const char* FileActionText(TFileAction action)
{
    switch (action) {
    case TFileAction::Created:
        return "created";
    case TFileAction::Opened:
        return "opened";
    case TFileAction::Changed:
        break;
    }
    return "changed";
}

TDateCondition TDateCondition::Defaults(const platform::CalendarDate& today)
{
    TDateCondition condition;
    condition.After.Date = platform::AddDays(today, -30);
    condition.Before.Date = platform::AddDays(today, 1);
    return condition;
}

TDateCondition TDateCondition::FromLines(const TConditionStrings& lines, const TDateCondition& shown)
{
    if (lines.empty())
        return shown;
    TDateCondition condition;
    condition.Action = ActionOfText(lines[0]);
    condition.After = ReadBound(lines, 1, shown.After);
    condition.Before = ReadBound(lines, 2, shown.Before);
    return condition;
}

std::string TDateCondition::Description() const
{
    if (!Action)
        return {};
    std::string description = FileActionText(*Action);
    DescribeBound(description, After, kAfterCaption);
    DescribeBound(description, Before, kBeforeCaption);
    return description;
}

TConditionStrings TDateCondition::Lines() const
{
    if (!Action)
        return {};
    return {FileActionText(*Action), BoundLine(After), BoundLine(Before)};
}

std::string TDateCondition::WhyRefused(const FileEntry& entry) const
{
    if (!Action)
        return {};
    const platform::CalendarDate date = platform::FileTimeToUtcDate(TimeStamp(entry, *Action));
    const std::string stated = std::string("it was ") + FileActionText(*Action) + " on " + platform::FormatShortDate(date);
    if (After.InForce && date < After.Date)
        return stated + ", before the first day allowed, " + platform::FormatShortDate(After.Date);
    if (Before.InForce && Before.Date < date)
        return stated + ", after the last day allowed, " + platform::FormatShortDate(Before.Date);
    return {};
}

bool TDateCondition::Test(const FileEntry& entry) const
{
    if (!Action)
        return true;
    const platform::CalendarDate date = platform::FileTimeToUtcDate(TimeStamp(entry, *Action));
    if (After.InForce && date < After.Date)
        return false;
    return !Before.InForce || date <= Before.Date;
}

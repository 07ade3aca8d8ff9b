#include "krellers/date_condition.h"

#include <gtest/gtest.h>

namespace {

using platform::CalendarDate;

constexpr std::uint64_t kTicksPerSecond = 10000000;
constexpr CalendarDate kDay{2003, 2, 1};

std::uint64_t At(const CalendarDate& date, int hours, int minutes, int seconds)
{
    return platform::UtcDateToFileTime(date) + static_cast<std::uint64_t>((hours * 60 + minutes) * 60 + seconds) * kTicksPerSecond;
}

FileEntry Stamped(std::uint64_t written, std::uint64_t created, std::uint64_t opened)
{
    FileEntry entry;
    entry.LastWriteTime = written;
    entry.CreationTime = created;
    entry.LastAccessTime = opened;
    return entry;
}

FileEntry Written(std::uint64_t time)
{
    return Stamped(time, 0, 0);
}

TDateCondition Condition(std::optional<TFileAction> action, TDateBound after, TDateBound before)
{
    return {action, after, before};
}

const TDateBound kNone{false, {2000, 1, 1}};
TDateBound On(const CalendarDate& date)
{
    return {true, date};
}

TEST(DateCondition, BoundsAreWholeDaysOfTheUtcDate)
{
    const auto changed = TFileAction::Changed;
    const struct {
        TDateCondition condition;
        FileEntry entry;
        bool passes;
    } cases[] = {
        {Condition(changed, kNone, On(kDay)), Written(At(kDay, 23, 59, 59)), true},
        {Condition(changed, kNone, On(kDay)), Written(At({2003, 2, 2}, 0, 0, 0)), false},
        {Condition(changed, On(kDay), kNone), Written(At(kDay, 0, 0, 0)), true},
        {Condition(changed, On(kDay), kNone), Written(At(kDay, 0, 0, 0) - 1), false},
        {Condition(changed, On(kDay), On(kDay)), Written(At(kDay, 12, 0, 0)), true},
        {Condition(changed, On({2003, 3, 1}), On(kDay)), Written(At({2003, 2, 15}, 0, 0, 0)), false},
        {Condition(changed, kNone, kNone), Written(0), true},
        // No action chosen: every file passes.
        {Condition(std::nullopt, On(kDay), kNone), Written(0), true},
        // Each action tests its own time stamp.
        {Condition(TFileAction::Opened, On(kDay), kNone), Stamped(0, 0, At(kDay, 1, 0, 0)), true},
        {Condition(TFileAction::Opened, On(kDay), kNone), Stamped(At(kDay, 1, 0, 0), At(kDay, 1, 0, 0), 0), false},
        {Condition(TFileAction::Created, kNone, On(kDay)), Stamped(At({2004, 1, 1}, 0, 0, 0), At(kDay, 5, 0, 0), 0), true},
        {Condition(TFileAction::Created, kNone, On(kDay)), Stamped(0, At({2004, 1, 1}, 0, 0, 0), 0), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.condition.Test(c.entry), c.passes) << c.condition.Description();
}

TEST(DateCondition, WritesActionAndBoundsInTheShortDateFormat)
{
    const std::string day = platform::FormatShortDate(kDay);
    const std::string later = platform::FormatShortDate({2003, 6, 5});
    const auto afterOnly = Condition(TFileAction::Changed, On(kDay), kNone);
    EXPECT_EQ(afterOnly.Description(), "changed after date " + day);
    EXPECT_EQ(afterOnly.Lines(), (TConditionStrings{"changed", day, " "}));

    const auto both = Condition(TFileAction::Opened, On(kDay), On({2003, 6, 5}));
    EXPECT_EQ(both.Description(), "opened after date " + day + " before or at date " + later);
    EXPECT_EQ(both.Lines(), (TConditionStrings{"opened", day, later}));

    const auto beforeOnly = Condition(TFileAction::Created, kNone, On({2003, 6, 5}));
    EXPECT_EQ(beforeOnly.Description(), "created before or at date " + later);
    EXPECT_EQ(beforeOnly.Lines(), (TConditionStrings{"created", " ", later}));
    EXPECT_NE(platform::ShortDateFormat().find("yyyy"), std::string::npos);
}

TEST(DateCondition, ReadsLinesOverWhatIsShown)
{
    const TDateCondition shown = Condition(TFileAction::Opened, {true, {2010, 1, 1}}, {false, {2011, 1, 1}});
    const std::string day = platform::FormatShortDate(kDay);
    const struct {
        TConditionStrings lines;
        TDateCondition expected;
    } cases[] = {
        {{}, shown},
        {{"CHANGED", day, " "}, Condition(TFileAction::Changed, On(kDay), {false, {2011, 1, 1}})},
        {{"created", "", day}, Condition(TFileAction::Created, {false, {2010, 1, 1}}, On(kDay))},
        // A date that cannot be read keeps the bound in force with the date shown.
        {{"opened", "31.31.31x", " "}, Condition(TFileAction::Opened, On({2010, 1, 1}), {false, {2011, 1, 1}})},
        // An unknown action chooses none; missing lines are blank.
        {{"touched", day}, Condition(std::nullopt, On(kDay), {false, {2011, 1, 1}})},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TDateCondition::FromLines(c.lines, shown), c.expected) << (c.lines.empty() ? "" : c.lines.front());
}

TEST(DateCondition, LinesReadBackAsTheSameConditionAndDefaultsSpanTheLastMonth)
{
    const auto condition = Condition(TFileAction::Created, On({1999, 12, 31}), On({2024, 2, 29}));
    EXPECT_EQ(TDateCondition::FromLines(condition.Lines(), {}), condition);
    EXPECT_TRUE(condition.IsComplete());
    EXPECT_FALSE(Condition(TFileAction::Created, kNone, kNone).IsComplete());
    EXPECT_FALSE(Condition(std::nullopt, On(kDay), kNone).IsComplete());

    const auto defaults = TDateCondition::Defaults({2024, 3, 10});
    EXPECT_EQ(defaults, Condition(std::nullopt, {false, {2024, 2, 9}}, {false, {2024, 3, 11}}));
    EXPECT_EQ(TDateCondition::Defaults({2023, 12, 31}).Before.Date, (CalendarDate{2024, 1, 1}));
}

} // namespace

namespace {

TEST(DateCondition, SaysWhichBoundADateLiesBeyond)
{
    const TDateCondition condition = Condition(TFileAction::Changed, On(kDay), On({2003, 3, 1}));
    const std::string first = platform::FormatShortDate(kDay);
    const std::string last = platform::FormatShortDate({2003, 3, 1});
    EXPECT_EQ(condition.WhyRefused(Written(At({2003, 1, 31}, 23, 0, 0))),
              "it was changed on " + platform::FormatShortDate({2003, 1, 31}) + ", before the first day allowed, " + first);
    EXPECT_EQ(condition.WhyRefused(Written(At({2003, 3, 2}, 0, 0, 0))),
              "it was changed on " + platform::FormatShortDate({2003, 3, 2}) + ", after the last day allowed, " + last);
    EXPECT_EQ(condition.WhyRefused(Written(At(kDay, 0, 0, 0))), "");
}

} // namespace

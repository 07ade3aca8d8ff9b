#include "krellers/size_condition.h"

#include <gtest/gtest.h>

namespace {

constexpr TSizeUnit KB = TSizeUnit::KB;
constexpr TSizeUnit MB = TSizeUnit::MB;

TSizeBound Bound(std::int32_t value, TSizeUnit unit)
{
    return {true, value, unit};
}
const TSizeBound kNone{};

TEST(SizeCondition, BoundsAreInclusiveAndDecimal)
{
    const struct {
        TSizeBound lower, upper;
        std::int64_t size;
        bool passes;
    } cases[] = {
        {Bound(10, KB), kNone, 10000, true},
        {Bound(10, KB), kNone, 9999, false},
        {kNone, Bound(1, MB), 1000000, true},
        {kNone, Bound(1, MB), 1000001, false},
        {Bound(5, KB), Bound(2, KB), 1000, false},
        {Bound(5, KB), Bound(2, KB), 3000, false},
        {Bound(5, KB), Bound(2, KB), 6000, false},
        {kNone, kNone, 0, true},
        {Bound(0, KB), kNone, 0, true},
        {Bound(-3, MB), kNone, 0, true},
        // Sizes and bounds beyond 32 bits compare as what they are.
        {Bound(3000, MB), kNone, 3000000000, true},
        {Bound(3000, MB), kNone, 2999999999, false},
        {kNone, Bound(2147483647, MB), 2147483647000000, true},
        {kNone, Bound(2147483647, MB), 2147483647000001, false},
        {kNone, Bound(3, MB), 2147483648LL + 1000, false},
    };
    for (const auto& c : cases) {
        const TSizeCondition condition{c.lower, c.upper};
        EXPECT_EQ(condition.Test(c.size), c.passes)
            << "size " << c.size << " lower " << c.lower.Bytes() << " upper " << c.upper.Bytes();
    }
}

TEST(SizeCondition, ReadsBoundsFromLines)
{
    const TSizeCondition previous{Bound(7, MB), {false, 8, MB}};
    const struct {
        TConditionStrings lines;
        TSizeCondition expected;
    } cases[] = {
        {{}, {{false, 7, KB}, {false, 8, KB}}},
        {{"SIZE_MIN=12", "SIZE_MIN_UNIT=MB", "SIZE_MAX=40", "SIZE_MAX_UNIT=KB"}, {Bound(12, MB), Bound(40, KB)}},
        // A value that is no number keeps the bound in force with the value it had.
        {{"SIZE_MIN=abc"}, {Bound(7, KB), {false, 8, KB}}},
        {{"SIZE_MAX=99999999999"}, {{false, 7, KB}, Bound(8, KB)}},
        {{"SIZE_MAX=1.5"}, {{false, 7, KB}, Bound(8, KB)}},
        {{"SIZE_MIN="}, {{false, 7, KB}, {false, 8, KB}}},
        // Without a unit, or with an unknown one, the unit is KB; names and units ignore case.
        {{"size_max=3", "Size_Max_Unit=mb"}, {{false, 7, KB}, Bound(3, MB)}},
        {{"SIZE_MIN=-4", "SIZE_MIN_UNIT=GB"}, {Bound(-4, KB), {false, 8, KB}}},
        {{"SIZE_MIN=+4", "SIZE_MIN=5"}, {Bound(4, KB), {false, 8, KB}}},
    };
    for (const auto& c : cases) {
        const auto read = TSizeCondition::FromLines(c.lines, previous);
        EXPECT_EQ(read, c.expected) << "first line: " << (c.lines.empty() ? "" : c.lines.front());
    }
}

TEST(SizeCondition, StoringOnlyTheUpperBoundWritesNoLowerValue)
{
    TConditionStrings lines;
    TSizeCondition{{false, 10, KB}, Bound(50, MB)}.UpdateLines(lines);
    EXPECT_EQ(lines, (TConditionStrings{"SIZE_MIN_UNIT=KB", "SIZE_MAX=50", "SIZE_MAX_UNIT=MB"}));
}

TEST(SizeCondition, UpdatingKeepsPositionsAndForeignLines)
{
    TConditionStrings lines = {"SIZE_MAX_UNIT=KB", "NOTE=kept", "size_min=1", "SIZE_MAX=9"};
    TSizeCondition{Bound(2, MB), kNone}.UpdateLines(lines);
    EXPECT_EQ(lines, (TConditionStrings{"SIZE_MAX_UNIT=KB", "NOTE=kept", "SIZE_MIN=2", "SIZE_MIN_UNIT=MB"}));

    // What is written reads back as the same condition.
    const TSizeCondition written{Bound(-2147483647 - 1, MB), Bound(2147483647, KB)};
    TConditionStrings roundTrip;
    written.UpdateLines(roundTrip);
    EXPECT_EQ(TSizeCondition::FromLines(roundTrip, TSizeCondition{}), written);
}

} // namespace

namespace {

TEST(SizeCondition, SaysWhichBoundASizeLiesBeyond)
{
    const TSizeCondition both{Bound(1, KB), Bound(5, KB)};
    EXPECT_EQ(both.WhyRefused(5001), "the size 5,001 bytes is above the upper bound 5,000 bytes (5 KB)");
    EXPECT_EQ(both.WhyRefused(999), "the size 999 bytes is below the lower bound 1,000 bytes (1 KB)");
    EXPECT_EQ(both.WhyRefused(5000), "");
    const TSizeCondition huge{Bound(3000, MB), kNone};
    EXPECT_EQ(huge.WhyRefused(2999999999), "the size 2,999,999,999 bytes is below the lower bound 3,000,000,000 bytes (3,000 MB)");
}

} // namespace

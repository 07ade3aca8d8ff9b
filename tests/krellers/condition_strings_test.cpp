#include "krellers/condition_strings.h"

#include <gtest/gtest.h>

namespace {

TEST(ConditionStrings, RowHasConditionOnlyWithNonBlankDescription)
{
    EXPECT_FALSE(HasCondition({}));
    EXPECT_FALSE(HasCondition({""}));
    EXPECT_FALSE(HasCondition({" \t ", "SIZE_MIN=1"}));
    EXPECT_TRUE(HasCondition({"Size limitation"}));
}

TEST(ConditionStrings, PluginTextRoundTrip)
{
    EXPECT_EQ(JoinConditionText({"a", "", "b"}), "a\r\n\r\nb\r\n");
    EXPECT_EQ(JoinConditionText({}), "");

    const struct {
        const char* text;
        TConditionStrings lines;
    } cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\nb\rc", {"a", "b", "c"}},
        {"a\r\n\r\nb", {"a", "", "b"}},
        {"\n", {""}},
        {"a\n\r", {"a", ""}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SplitConditionText(c.text), c.lines) << "text: " << c.text;
}

TEST(ConditionStrings, ValueByNameIgnoresCaseAndTakesFirstLine)
{
    const TConditionStrings lines = {"junk", "size_min=5", "SIZE_MIN=7", "SIZE_MAX=", "X=a=b"};
    EXPECT_EQ(ConditionValue(lines, "SIZE_MIN"), "5");
    EXPECT_EQ(ConditionValue(lines, "SIZE_MAX"), "");
    EXPECT_EQ(ConditionValue(lines, "x"), "a=b");
    EXPECT_EQ(ConditionValue(lines, "junk"), std::nullopt);
    EXPECT_EQ(ConditionValue(lines, "SIZE"), std::nullopt);
}

TEST(ConditionStrings, SettingValueUpdatesInPlaceAppendsOrRemoves)
{
    TConditionStrings lines = {"A=1", "other", "b=2"};
    SetConditionValue(lines, "B", "3");
    SetConditionValue(lines, "C", "4");
    EXPECT_EQ(lines, (TConditionStrings{"A=1", "other", "B=3", "C=4"}));

    SetConditionValue(lines, "a", "");
    SetConditionValue(lines, "missing", "");
    EXPECT_EQ(lines, (TConditionStrings{"other", "B=3", "C=4"}));
}

} // namespace

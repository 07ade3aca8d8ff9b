#include <gtest/gtest.h>

#include <QLocale>

#include "platform/Dates.h"
#include "platform/Text.h"

namespace {

struct UpperCase { const char* input; const char* locale; const char* ascii; };

TEST(UpperCasing, LocaleRuleKeepsLengthAndAsciiRuleTouchesOnlyAscii)
{
    const UpperCase table[] = {
        {"hello, World 123", "HELLO, WORLD 123", "HELLO, WORLD 123"},
        {"größe", "GRÖßE", "GRößE"},                    // ß has no upper case of the same length
        {"привет", "ПРИВЕТ", "привет"},
        {"a\xff" "b\xc3", "A\xff" "B\xc3", "A\xff" "B\xc3"},  // invalid bytes stay
        {"\xc0\xaf" "x", "\xc0\xaf" "X", "\xc0\xaf" "X"},     // an overlong form is no character
        {"\xe2\x82\xac z", "\xe2\x82\xac Z", "\xe2\x82\xac Z"},
        {"", "", ""},
    };
    for (const UpperCase& row : table) {
        SCOPED_TRACE(row.input);
        EXPECT_EQ(platform::UpperCaseLocale(row.input), row.locale);
        EXPECT_EQ(platform::UpperCaseAscii(row.input), row.ascii);
        EXPECT_EQ(platform::UpperCaseLocale(row.input).size(), std::string(row.input).size());
    }
}

TEST(UpperCasing, ManySharpSIsLinear)
{
    std::string text;
    for (int i = 0; i < 1 << 20; ++i)
        text += "ß";
    const std::string upper = platform::UpperCaseLocale(text);
    EXPECT_EQ(upper, text);
}

TEST(Trimming, RemovesControlsAndBlanksAtBothEnds)
{
    EXPECT_EQ(platform::Trimmed("\t  a b \r\n"), "a b");
    EXPECT_EQ(platform::Trimmed("   "), "");
}

TEST(Dates, FileTimeToUtcDate)
{
    struct Row { std::uint64_t ticks; platform::CalendarDate date; };
    constexpr std::uint64_t kDay = 864000000000ULL;
    const Row table[] = {
        {0, {1601, 1, 1}},
        {kDay - 1, {1601, 1, 1}},
        {kDay, {1601, 1, 2}},
        {116444736000000000ULL, {1970, 1, 1}},
        {116444736000000000ULL + 951782400ULL * 10000000ULL, {2000, 2, 29}},
    };
    for (const Row& row : table) {
        EXPECT_EQ(platform::FileTimeToUtcDate(row.ticks), row.date) << row.ticks;
        EXPECT_EQ(platform::FileTimeToUtcDate(platform::UtcDateToFileTime(row.date)), row.date);
    }
    EXPECT_EQ(platform::DaysBetween({2024, 2, 28}, {2024, 3, 1}), 2);
    EXPECT_EQ(platform::DaysBetween({2024, 3, 1}, {2024, 2, 28}), -2);
}

TEST(Dates, ShortFormatHasFourDigitYearAndReadsBack)
{
    const std::string format = platform::ShortDateFormat();
    EXPECT_NE(format.find("yyyy"), std::string::npos);
    EXPECT_EQ(format.find("yyyyy"), std::string::npos);
    const platform::CalendarDate date{2031, 7, 4};
    const std::string text = platform::FormatShortDate(date);
    EXPECT_NE(text.find("2031"), std::string::npos);
    EXPECT_EQ(platform::ParseShortDate(text), date);
    EXPECT_FALSE(platform::ParseShortDate("not a date"));
    EXPECT_FALSE(platform::ParseShortDate(""));
}

} // namespace

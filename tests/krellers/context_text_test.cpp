#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "krellers/context_text.h"
#include "platform/Text.h"

using namespace std::string_literals;

namespace {

// Pieces of text that upper-casing and searching treat differently: ASCII, letters of two, three
// and four bytes with and without a same-length upper case, and bytes that start no character.
const std::vector<std::string> kPieces = {
    "a", "z", "A", "{", "`", "@", " ", "\0"s, "hello world ", "ä", "ß", "я", "ё", "Ω", "ǆ", "ɐ", "€",
    "ⓐ", "ａ", "𝔞", "𐐨", "\xff", "\x80", "\xc3", "\xe2\x82", "\xf0\x9f\x98", "\xc0\xaf", "\xed\xa0\x80",
};

std::string RandomText(std::mt19937& random, std::size_t pieces, std::size_t asciiRun)
{
    std::uniform_int_distribution<std::size_t> piece(0, kPieces.size() - 1);
    std::uniform_int_distribution<int> letter('a', 'z' + 6);
    std::string text;
    for (std::size_t i = 0; i < pieces; ++i) {
        // Long ASCII stretches let the vector path run; pieces in between break it up.
        for (std::size_t run = random() % (asciiRun + 1); run > 0; --run)
            text += static_cast<char>(letter(random));
        text += kPieces[piece(random)];
    }
    return text;
}

std::string UpperCasedInRanges(std::string text, std::mt19937& random, std::size_t largestRange)
{
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t until = std::min(text.size(), at + 1 + random() % largestRange);
        const std::size_t next = UpperCaseLocaleRange(text.data(), text.size(), at, until);
        EXPECT_GE(next, until);
        EXPECT_LE(next, until + 3) << "a character is at most four bytes long";
        at = next;
    }
    return text;
}

TEST(ContextUpperCasing, SameBytesAsThePlatformRoutineInOneRangeAndInMany)
{
    std::mt19937 random(11);
    for (int round = 0; round < 3000; ++round) {
        const std::string text = RandomText(random, random() % 40, round % 3 == 0 ? 0 : 70);
        const std::string expected = platform::UpperCaseLocale(text);
        SCOPED_TRACE(testing::PrintToString(text));
        std::string whole = text;
        EXPECT_EQ(UpperCaseLocaleRange(whole.data(), whole.size(), 0, whole.size()), whole.size());
        ASSERT_EQ(whole, expected);
        ASSERT_EQ(UpperCasedInRanges(text, random, 1 + round % 100), expected);
    }
}

TEST(ContextUpperCasing, SequenceCutByTheEndOfTheTextStays)
{
    // The last bytes begin a character the text does not finish: nothing beyond the end is read.
    for (std::string tail : {"\xc3", "\xd0", "\xe2\x82", "\xf0\x9f\x98"}) {
        std::string text = std::string(40, 'x') + tail;
        UpperCaseLocaleRange(text.data(), text.size(), 0, text.size());
        EXPECT_EQ(text, std::string(40, 'X') + tail);
    }
}

TEST(ContextSearch, FindsWhatFindFindsAtEveryPosition)
{
    std::mt19937 random(7);
    // A small alphabet makes many near misses for the filter to sort out.
    for (int round = 0; round < 4000; ++round) {
        std::string text(random() % 300, 'A');
        for (char& c : text)
            c = static_cast<char>("ABC\0"[random() % 4]);
        std::string keyword(1 + random() % 12, 'A');
        for (char& c : keyword)
            c = static_cast<char>("ABC\0"[random() % 4]);
        if (round % 2 == 0 && text.size() >= keyword.size())
            text.replace(random() % (text.size() - keyword.size() + 1), keyword.size(), keyword);
        ASSERT_EQ(ContainsBytes(text, keyword), text.find(keyword) != std::string::npos)
            << testing::PrintToString(text) << " / " << testing::PrintToString(keyword);
    }
}

TEST(ContextSearch, EdgesOfTheTextAndRepetitiveText)
{
    const std::string longRun(100000, 'A');
    struct Row { std::string text; std::string keyword; bool found; };
    const Row table[] = {
        {"KEYWORD", "", false},
        {"", "", false},
        {"", "K", false},
        {"KEY", "KEYWORD", false},
        {"KEYWORD", "KEYWORD", true},
        {std::string(33, '.') + "KEY", "KEY", true},       // the very last bytes
        {"KEY" + std::string(200, '.'), "KEY", true},      // the very first bytes
        {std::string(31, '.') + "KEY" + std::string(31, '.'), "KEY", true},  // across two lanes groups
        {longRun, "AAB", false},                           // a near miss at every position
        {longRun + "B", std::string(40, 'A') + "B", true},
        {longRun + "B", "AB", true},
        {"X\0Y"s + longRun, "X\0Y"s, true},                 // a zero byte is an ordinary character
    };
    for (const Row& row : table)
        EXPECT_EQ(ContainsBytes(row.text, row.keyword), row.found) << row.text.substr(0, 40) << " / " << row.keyword;
}

TEST(ContextSearch, WithoutUpperCasingFindsWhatUpperCasingWouldFind)
{
    std::mt19937 random(5);
    const std::string keywordBytes = "aAbBzZ@[`{\xc3\xa4\xc3\x84\0 "s;
    for (int round = 0; round < 6000; ++round) {
        std::string text = RandomText(random, random() % 12, 6);
        // Mostly upper-cased keywords taken from the text, as Add makes them; some arbitrary ones.
        std::string keyword;
        if (round % 3 != 0 && !text.empty()) {
            const std::size_t at = random() % text.size();
            keyword = platform::UpperCaseLocale(text).substr(at, 1 + random() % 6);
        } else {
            for (std::size_t i = 1 + random() % 4; i > 0; --i)
                keyword += keywordBytes[random() % keywordBytes.size()];
        }
        const bool expected = ContainsBytes(platform::UpperCaseLocale(text), keyword);
        const std::optional<bool> found = ContainsInUpperCased(text, keyword);
        if (found) {
            ASSERT_EQ(*found, expected) << testing::PrintToString(text) << " / " << testing::PrintToString(keyword);
        }
        TContextText holder;
        holder.Adopt(text);
        ASSERT_EQ(holder.Contains(keyword), expected) << testing::PrintToString(text) << " / " << testing::PrintToString(keyword);
    }
}

// The filter compares the keyword's rarest bytes, a letter in either case, a whole vector of
// starts at a time: occurrences at every kind of place in long texts, and bytes that differ from
// a keyword's only in the bit that tells the case of a letter.
TEST(ContextSearch, CaseBlindFilterOnLongTexts)
{
    const std::string filler(100, 'e');
    struct Row { std::string text; std::string keyword; bool found; };
    const Row table[] = {
        {filler + "ZephyrQuilt", "ZEPHYRQUILT", true},                      // the very last bytes
        {"zEPHYRqUILT" + filler, "ZEPHYRQUILT", true},                      // the very first bytes
        {std::string(29, 'e') + "quiz" + filler, "QUIZ", true},             // across two vectors of starts
        {filler + "zephyrquilx", "ZEPHYRQUILT", false},                     // the rare bytes match, the rest not
        {filler + "[a]" + filler, "{A}", false},                            // '[' and '{' differ in the case bit only
        {filler + "{a}" + filler, "{A}", true},
        {filler + "a@b" + filler, "A`B", false},                            // so do '@' and '`'
        {std::string(5000, 'z') + "zq", "ZZQ", true},                       // the rarest byte repeats in the keyword
        {std::string(5000, 'z'), "ZZQ", false},
    };
    for (const Row& row : table) {
        EXPECT_EQ(ContainsInUpperCased(row.text, row.keyword).value_or(!row.found), row.found) << row.keyword;
        EXPECT_EQ(ContainsBytes(platform::UpperCaseLocale(row.text), row.keyword), row.found) << row.keyword;
    }
}

TEST(ContextText, ExistsTakesOneStringArgumentAsItIs)
{
    TContextText text;
    text.Adopt("A TEXT WITH KEYWORD IN IT");
    struct Row { std::vector<ExprValue> arguments; bool succeeds; bool result; };
    const Row table[] = {
        {{ExprValue::MakeString("KEYWORD")}, true, true},
        {{ExprValue::MakeString("keyword")}, true, false},  // the text is upper-cased, the argument is not
        {{ExprValue::MakeString("")}, true, false},
        {{ExprValue::MakeInteger(1)}, true, false},          // no string, no text to find
        {{ExprValue()}, true, false},
        {{}, false, false},
        {{ExprValue::MakeString("A"), ExprValue::MakeString("B")}, false, false},
    };
    for (const Row& row : table) {
        std::vector<ExprValue> arguments = row.arguments;
        ExprValue result;
        EXPECT_EQ(text.Exists(static_cast<int>(arguments.size()), arguments.data(), result), row.succeeds);
        if (row.succeeds) {
            EXPECT_EQ(result, ExprValue::MakeBoolean(row.result));
        }
    }
}

} // namespace

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "TempTree.h"
#include "conditions/Parser.h"
#include "krellers/context_engine.h"
#include "krellers/context_plan.h"
#include "platform/Files.h"

namespace {

bool Passes(const ExprValue& value)
{
    return ContextValuePasses(value);
}

TEST(ContextPlan, ConditionsOfConstantKeywordsArePlanned)
{
    struct Row { std::string expression; std::vector<std::string> keywords; };
    const Row table[] = {
        {"EXISTS('A')", {"A"}},
        {"EXISTS('A') && EXISTS('B') && !EXISTS('C')", {"A", "B", "C"}},
        {"(EXISTS('B') || EXISTS('A')) && EXISTS('B')", {"B", "A"}},  // asked twice, searched once
        {"!EXISTS('')", {""}},
        {"EXISTS(5)", {}},                                            // no text: never found
        {"", {}},
        {"TRUE()", {}},
        {"EXISTS(SUBSTR('ABC', 1, 2))", {"AB"}},                      // pure built-ins are fine
    };
    for (const Row& row : table) {
        SCOPED_TRACE(row.expression);
        const std::optional<TContextPlan> plan = TContextPlan::Make(row.expression, Passes);
        ASSERT_TRUE(plan.has_value());
        EXPECT_EQ(plan->Keywords(), row.keywords);
    }
}

TEST(ContextPlan, ConditionsThatDependOnMoreThanKeywordsAreEvaluatedPerFile)
{
    const std::string elevenKeywords = [] {
        std::string text = "EXISTS('K0')";
        for (int i = 1; i <= 10; ++i)
            text += " || EXISTS('K" + std::to_string(i) + "')";
        return text;
    }();
    const std::string unplannable[] = {
        "EXISTS('A') && DATE > 1",                                   // today's date
        "EXISTS('A') && CAPTURE()",                                  // a function the engine's caller added
        "EXISTS(IIF(EXISTS('A'), 'B', 'C'))",                         // a keyword chosen by another one's answer
        "EXISTS('A') && 1 / 0",                                      // an error: the file test raises it
        "EXISTS('A' &&",                                              // a damaged body likewise
        elevenKeywords,
    };
    for (const std::string& expression : unplannable) {
        SCOPED_TRACE(expression);
        EXPECT_FALSE(TContextPlan::Make(expression, Passes).has_value());
    }
}

TEST(ContextPlan, VerdictIsGivenOnlyWhenTheUnknownKeywordsCannotChangeIt)
{
    // A and B but not C: the keywords in bits 0, 1 and 2.
    const std::optional<TContextPlan> plan = TContextPlan::Make("EXISTS('A') && EXISTS('B') && !EXISTS('C')", Passes);
    ASSERT_TRUE(plan.has_value());
    struct Row { std::uint32_t known, present; std::optional<bool> verdict; };
    const Row table[] = {
        {0b000, 0b000, std::nullopt},
        {0b001, 0b000, false},         // without A nothing else matters
        {0b001, 0b001, std::nullopt},
        {0b011, 0b001, false},
        {0b011, 0b011, std::nullopt},
        {0b111, 0b011, true},
        {0b111, 0b111, false},
        {0b100, 0b100, false},         // C alone decides too
    };
    for (const Row& row : table) {
        SCOPED_TRACE(std::to_string(row.known) + "/" + std::to_string(row.present));
        EXPECT_EQ(plan->Verdict(row.known, row.present), row.verdict);
    }
}

// The plan must give what evaluating the condition on the file gives: every combination of three
// keywords in a file, against conditions of several shapes.
TEST(ContextPlan, EngineGivesTheEvaluatorsVerdictForEveryCombination)
{
    TempTree tree;
    TContextEngine engine{{[] {}, [] { return false; }}};
    const auto noCartridge = [](const std::string&) -> std::optional<std::string> { return std::nullopt; };
    const std::string conditions[] = {
        "EXISTS('ALPHA') && EXISTS('BETA') && !EXISTS('GAMMA')",
        "EXISTS('ALPHA') || EXISTS('BETA') && EXISTS('GAMMA')",
        "!(EXISTS('ALPHA') ^^ EXISTS('GAMMA'))",
        "IIF(EXISTS('BETA'), 2, 0)",
        "(EXISTS('ALPHA') && EXISTS('BETA')) || (EXISTS('GAMMA') && !EXISTS('ALPHA'))",
    };
    const char* words[] = {"alpha", "Beta", "GAMMA"};
    for (const std::string& condition : conditions) {
        ASSERT_TRUE(TContextPlan::Make(condition, Passes).has_value()) << condition;
        for (unsigned present = 0; present < 8; ++present) {
            std::string content = "text ";
            ExprValue truth;
            for (unsigned w = 0; w < 3; ++w)
                if (present >> w & 1)
                    content += std::string(words[w]) + " ";
            std::string substituted = condition;
            for (const char* word : {"ALPHA", "BETA", "GAMMA"}) {
                const std::string call = std::string("EXISTS('") + word + "')";
                const unsigned w = word[0] == 'A' ? 0 : word[0] == 'B' ? 1 : 2;
                for (std::size_t at; (at = substituted.find(call)) != std::string::npos;)
                    substituted.replace(at, call.size(), present >> w & 1 ? "TRUE()" : "FALSE()");
            }
            SCOPED_TRACE(condition + " on '" + content + "'");
            EXPECT_EQ(engine.TestFile(tree.File("file", content), condition, noCartridge),
                      ContextValuePasses(TExprParser().Evaluate(substituted)));
        }
    }
}

} // namespace

namespace {

// Text of ASCII words, letters beyond ASCII of two, three and four bytes, and stray bytes that are
// no UTF-8, so that pieces end inside characters of every length.
std::string MixedText(std::mt19937& random, std::size_t size)
{
    static const char* const parts[] = {"alpha ", "Beta", "gAMMa", " ", "\n", "größe", "GRÖSSE", "привет", "€", "𝄞",
                                        "\xC3", "\xE2\x82", "\xF0\x9D", "\x80", "\xFF", "delta", "ß"};
    std::uniform_int_distribution<std::size_t> pick(0, std::size(parts) - 1);
    std::string text;
    while (text.size() < size)
        text += parts[pick(random)];
    return text;
}

} // namespace

// A big file is searched a piece at a time; the verdicts must be those of the whole text, whatever
// the size of the pieces and wherever they cut a keyword or a character.
TEST(ContextPieces, PieceByPieceGivesTheVerdictOfTheWholeText)
{
    TempTree tree;
    const auto noCartridge = [](const std::string&) -> std::optional<std::string> { return std::nullopt; };
    // The whole text, as a cartridge hands it over in memory, is searched whole.
    const auto wholeText = [](const std::string& path) -> std::optional<std::string> { return platform::ReadWholeFile(path); };
    TContextEngine whole{{[] {}, [] { return false; }}};
    TContextEngine pieces{{[] {}, [] { return false; }}};
    std::mt19937 random(20261208);
    const std::string conditions[] = {
        "EXISTS('ALPHA BETA') && !EXISTS('GRÖSSE')",
        "EXISTS('ПРИВЕТ€') || EXISTS('𝄞DELTA')",
        "EXISTS('GAMMA') && EXISTS('ß') && !EXISTS('ZZZ')",
        "!EXISTS('ÖSSE') ^^ EXISTS('A\n')",
    };
    int passed = 0, failed = 0;
    for (int round = 0; round < 300; ++round) {
        const std::string text = MixedText(random, std::uniform_int_distribution<std::size_t>(0, 400)(random));
        const std::string file = tree.File("big", text);
        pieces.PieceBytes = std::uniform_int_distribution<std::size_t>(1, 48)(random);
        pieces.StepBytes = std::uniform_int_distribution<std::size_t>(1, 16)(random);
        for (const std::string& condition : conditions) {
            const bool expected = whole.TestFile(file, condition, wholeText);
            ASSERT_EQ(pieces.TestFile(file, condition, noCartridge), expected)
                << condition << " with pieces of " << pieces.PieceBytes << " bytes on '" << text << "'";
            (expected ? passed : failed)++;
            EXPECT_TRUE(pieces.Text().Empty());
        }
    }
    EXPECT_GT(passed, 100);  // both answers are well represented
    EXPECT_GT(failed, 100);
}

// As in a whole text, ASCII keywords are found case-blind in the bytes as read: a big file's
// pieces are upper-cased only for a keyword beyond ASCII. The engine lets events run once a step
// of reading or of upper-casing, so the rounds tell which work was done.
TEST(ContextPieces, PiecesAreUpperCasedOnlyForKeywordsBeyondAscii)
{
    TempTree tree;
    int rounds = 0;
    TContextEngine engine{{[&] { ++rounds; }, [] { return false; }}};
    engine.PieceBytes = 64;
    engine.StepBytes = 16;
    engine.EventInterval = std::chrono::steady_clock::duration::zero();
    const auto noCartridge = [](const std::string&) -> std::optional<std::string> { return std::nullopt; };
    std::string text;
    while (text.size() < 4096)
        text += "abc größe ";
    const std::string file = tree.File("big", text);
    const auto roundsFor = [&](const std::string& condition, bool expected) {
        rounds = 0;
        EXPECT_EQ(engine.TestFile(file, condition, noCartridge), expected) << condition;
        return rounds;
    };
    const int ascii = roundsFor("EXISTS('NEEDLE')", false);
    const int beyondAscii = roundsFor("EXISTS('NÉEDLE')", false);
    EXPECT_GE(ascii, 4096 / 16);  // every step read
    EXPECT_LT(ascii * 3 / 2, beyondAscii);
    EXPECT_TRUE(engine.TestFile(file, "EXISTS('NEEDLE') || EXISTS('GRÖ')", noCartridge));
}

TEST(ContextPieces, AConditionWithoutAPlanReadsTheWholeFileAndAGivenUpFileFails)
{
    TempTree tree;
    bool abandoned = false;
    int rounds = 0, abandonAt = -1;  // the round of events in which the user gives the file up
    TContextEngine engine{{[&] {
                               if (++rounds == abandonAt)
                                   abandoned = true;
                           },
                           [&] { return abandoned; }}};
    engine.PieceBytes = 8;
    engine.StepBytes = 4;
    engine.EventInterval = std::chrono::steady_clock::duration::zero();
    const auto noCartridge = [](const std::string&) -> std::optional<std::string> { return std::nullopt; };
    const std::string file = tree.File("f", std::string(200, 'x') + "needle");
    // A keyword chosen by another one's answer: no plan, so the whole text is read and searched.
    EXPECT_TRUE(engine.TestFile(file, "EXISTS(IIF(EXISTS('XX'), 'NEEDLE', 'Q'))", noCartridge));
    rounds = 0;
    abandonAt = 3;
    EXPECT_FALSE(engine.TestFile(file, "!EXISTS('Q')", noCartridge)) << "given up while read: fails";
    EXPECT_EQ(rounds, 3);
    EXPECT_TRUE(engine.Text().Empty());
}

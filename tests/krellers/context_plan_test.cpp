#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TempTree.h"
#include "conditions/Parser.h"
#include "krellers/context_engine.h"
#include "krellers/context_plan.h"

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

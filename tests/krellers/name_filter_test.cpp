#include "krellers/name_filter.h"

#include <gtest/gtest.h>

#include "krellers/kreller_list.h"

namespace {

TEST(NameFilter, MatchesNamesAsTheNameBoxPromises)
{
    const struct {
        const char* text;
        const char* name;
        bool matches;
    } cases[] = {
        // Plain text is found anywhere in the whole name, dots included.
        {"copyright", "copyright", true},
        {"copyright", "COPYRIGHT.gz", true},
        {"right", "copyright", true},
        {"copyrights", "copyright", false},
        {".txt", "notes.txt", true},
        {".txt", "notes.txt.bak", true},
        {"notes.", "notes", false},
        {"readme", ".readme", true},
        // Wildcards take the whole name.
        {"*.pdf", "paper.PDF", true},
        {"*.pdf", "paper.pdf.gz", false},
        {"*.pdf", ".pdf", true},
        {"p*", "paper.pdf", true},
        {"p*", "apaper", false},
        {"*per*", "paper.pdf", true},
        {"?.c", "a.c", true},
        {"?.c", "ab.c", false},
        {"a*b*c", "aXbYbZc", true},
        {"a*b*c", "aXbYbZ", false},
        {"*", "", true},
        {"**", "anything", true},
        {"[ab]*", "[ab]x", true},  // brackets are ordinary characters: no text is an invalid mask
        {"[ab]*", "ax", false},
        {"[", "a[b", true},
        // Several words must all occur.
        {"report 2024", "2024-annual-report.odt", true},
        {"report 2024", "report-2023.odt", false},
        {"  report\t ", "report", true},
        {"*.odt report", "annual-report.odt", true},
        {"*.odt report", "annual-report.ods", false},
        // Quotes keep blanks inside a word: names with spaces.
        {"\"my file\"", "this is my file.txt", true},
        {"\"my file\"", "my-file.txt", false},
        {"my file", "file of my own", true},
        {"\"my file", "all my files", true},  // an unclosed quote runs to the end
        {"\"\"", "anything", true},          // empty quotes are no word
        // Letters beyond ASCII by the locale rule, whichever case either is in.
        {"größe", "GRÖSSE-GRÖßE.txt", true},
        {"ПРИВЕТ", "привет мир", true},
        {"é", "CAFÉ", true},
        {"caf?", "CAFÉ", true},     // '?' is one whole character, not one byte
        {"caf??", "CAFÉ", false},
        {"*É", "café", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TNameFilter(c.text).Matches(c.name), c.matches) << '"' << c.text << "\" on \"" << c.name << '"';
    }
}

TEST(NameFilter, NamesThatAreNotUtf8MatchByTheirBytes)
{
    const std::string broken = std::string("caf") + '\xE9' + ".txt";  // Latin-1 é
    EXPECT_TRUE(TNameFilter("caf").Matches(broken));
    EXPECT_TRUE(TNameFilter("caf?.txt").Matches(broken));  // a stray byte is a character of its own
    EXPECT_FALSE(TNameFilter("café").Matches(broken));
    EXPECT_TRUE(TNameFilter("*.TXT").Matches(broken));
    const std::string truncated = std::string("a") + '\xC3';
    EXPECT_TRUE(TNameFilter("a?").Matches(truncated));
    EXPECT_FALSE(TNameFilter("a??").Matches(truncated));
}

TEST(NameFilter, BlanksAloneAreNoCondition)
{
    for (const char* text : {"", " ", "\t  "}) {
        const TNameFilter filter(text);
        EXPECT_FALSE(filter.Active()) << '"' << text << '"';
        EXPECT_TRUE(filter.Matches("any.name"));
    }
    EXPECT_TRUE(TNameFilter("x").Active());
    EXPECT_EQ(TNameFilter(" a  b ").Text(), " a  b ");
}

TEST(NameFilter, LongNamesAndManyStarsStayQuickAndRight)
{
    const std::string longName(4000, 'a');
    EXPECT_TRUE(TNameFilter("a*a*a*a*a*a*a*a*a*a*a*a*a*a").Matches(longName));
    EXPECT_FALSE(TNameFilter("a*a*a*a*a*a*a*a*a*a*a*a*a*b").Matches(longName));
    EXPECT_TRUE(TNameFilter("aaaa").Matches(longName));
}

TEST(NameFilterWords, CutsAtBlanksOutsideQuotes)
{
    using Words = std::vector<std::string>;
    EXPECT_EQ(NameFilterWords("a b  c"), (Words{"a", "b", "c"}));
    EXPECT_EQ(NameFilterWords("\"a b\" c"), (Words{"a b", "c"}));
    EXPECT_EQ(NameFilterWords("x\"a b\"y"), (Words{"xa by"}));
    EXPECT_EQ(NameFilterWords(""), Words{});
}

// The name box is asked before every kreller, counted in the funnel as a stage of its own and
// named in the verdict.
TEST(NameFilter, IsTheFirstStageOfTheChain)
{
    TKrellerList chain;
    chain.SetNameFilter(TNameFilter("copy"));
    TKrellerFunnel funnel = chain.StartFunnel(nullptr);
    ASSERT_EQ(funnel.Stages.size(), 1u);
    EXPECT_EQ(funnel.Stages[0].Caption, "Name contains \"copy\"");
    FileEntry entry;
    entry.Name = "COPYING";
    EXPECT_TRUE(chain.JudgeFile(entry, "/d/COPYING", nullptr, &funnel).Passed());
    entry.Name = "README";
    const TChainVerdict verdict = chain.JudgeFile(entry, "/d/README", nullptr, &funnel);
    EXPECT_EQ(verdict.RefusedBy, &chain.NameRow());
    EXPECT_EQ(funnel.Stages[0].Asked, 2);
    EXPECT_EQ(funnel.Stages[0].Refused, 1);

    chain.SetNameFilter(TNameFilter(" "));
    EXPECT_TRUE(chain.StartFunnel(nullptr).Stages.empty());
    EXPECT_TRUE(chain.JudgeFile(entry, "/d/README", nullptr, nullptr).Passed());
}

} // namespace

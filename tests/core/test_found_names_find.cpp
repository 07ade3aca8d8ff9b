#include "core/found_names_find.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

struct FoundNames {
    std::vector<std::string> Names;
    int Selected = -1;
    int FindIndex = -1;

    // One find-next as the window does it: a match becomes the selected row.
    FoundNamesFindResult Next(const std::string& key, FindDirection direction)
    {
        const FoundNamesFindResult result = FindInFoundNames(
            FindIndex, key, direction, static_cast<int>(Names.size()),
            [this](int row) { return Names.at(static_cast<std::size_t>(row)); }, Selected);
        FindIndex = result.FindIndex;
        if (result.Found)
            Selected = result.FindIndex;
        return result;
    }
    std::vector<int> RowsUntilNoMatch(const std::string& key, FindDirection direction)
    {
        std::vector<int> rows;
        for (FoundNamesFindResult r = Next(key, direction); r.Found; r = Next(key, direction))
            rows.push_back(r.FindIndex);
        return rows;
    }
};

const std::vector<std::string> Mixed{"notes.txt", "image.png", "README.TXT", "txt", "report.doc", "old.Txt"};

TEST(FoundNamesFind, DownwardsFromNothingStartsAtTheFirstRowAndEndsWithNoMatch)
{
    FoundNames list{Mixed};
    EXPECT_EQ(list.RowsUntilNoMatch("txt", FindDirection::Down), (std::vector<int>{0, 2, 3, 5}));
    EXPECT_EQ(list.FindIndex, 5) << "after no match the position falls back to the selected row";
}

TEST(FoundNamesFind, UpwardsGoesTowardsTheFirstRow)
{
    FoundNames list{Mixed};
    list.Selected = list.FindIndex = 4;
    EXPECT_EQ(list.RowsUntilNoMatch("TXT", FindDirection::Up), (std::vector<int>{3, 2, 0}));
    EXPECT_EQ(list.FindIndex, 0);
}

TEST(FoundNamesFind, AfterAClickTheSearchContinuesBelowTheClickedRow)
{
    FoundNames list{Mixed};
    list.Next("txt", FindDirection::Down);
    list.Selected = list.FindIndex = 3;  // the click sets FindIndex to the clicked row
    EXPECT_EQ(list.Next("txt", FindDirection::Down).FindIndex, 5);
}

TEST(FoundNamesFind, ChangingDirectionTurnsAroundAtTheCurrentRow)
{
    FoundNames list{Mixed};
    list.Next("txt", FindDirection::Down);
    list.Next("txt", FindDirection::Down);
    EXPECT_EQ(list.Next("txt", FindDirection::Up).FindIndex, 0);
}

TEST(FoundNamesFind, KeyIsTrimmedButNotSplit)
{
    FoundNames list{{"a b.txt", "ab.txt"}};
    EXPECT_EQ(list.RowsUntilNoMatch("  b.t\t", FindDirection::Down), (std::vector<int>{0, 1}));
    list.FindIndex = list.Selected = -1;
    EXPECT_EQ(list.RowsUntilNoMatch(" a b ", FindDirection::Down), (std::vector<int>{0}));
}

TEST(FoundNamesFind, NoMatchLeavesTheSelectedRowAsPosition)
{
    struct Case {
        std::vector<std::string> names;
        std::string key;
        int selected;
    };
    for (const Case& c : {Case{{}, "x", -1}, Case{{"a", "b"}, "zzz", 1}, Case{{"a", "b"}, "   ", -1},
                          Case{{"a", "b"}, "", 0}}) {
        FoundNames list{c.names, c.selected, -1};
        const FoundNamesFindResult result = list.Next(c.key, FindDirection::Down);
        EXPECT_FALSE(result.Found) << c.key;
        EXPECT_EQ(result.FindIndex, c.selected) << c.key;
    }
}

TEST(FoundNamesFind, NonAsciiLettersMatchOnlyWhereTheNameIsUpperCase)
{
    // The key is upper-cased by the locale rule, names only by the ASCII rule.
    FoundNames list{{"gr\xC3\xB6\xC3\x9F" "e.txt", "GR\xC3\x96\xC3\x9F" "E.TXT", "gr\xC3\x96\xC3\x9F" "e.txt"}};
    EXPECT_EQ(list.RowsUntilNoMatch("gr\xC3\xB6\xC3\x9F" "e", FindDirection::Down), (std::vector<int>{1, 2}));
}

} // namespace

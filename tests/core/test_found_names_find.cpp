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
    // The rows found one after the other until the search goes round the end (or finds nothing);
    // Last is the answer that ended it.
    FoundNamesFindResult Last{};
    std::vector<int> RowsUntilWrap(const std::string& key, FindDirection direction)
    {
        std::vector<int> rows;
        for (Last = Next(key, direction); Last.Found && !Last.Wrapped; Last = Next(key, direction))
            rows.push_back(Last.FindIndex);
        return rows;
    }
};

const std::vector<std::string> Mixed{"notes.txt", "image.png", "README.TXT", "txt", "report.doc", "old.Txt"};

TEST(FoundNamesFind, DownwardsFromNothingStartsAtTheFirstRowAndGoesRoundAfterTheLast)
{
    FoundNames list{Mixed};
    EXPECT_EQ(list.RowsUntilWrap("txt", FindDirection::Down), (std::vector<int>{0, 2, 3, 5}));
    EXPECT_TRUE(list.Last.Found && list.Last.Wrapped);
    EXPECT_EQ(list.FindIndex, 0) << "after the last match the search goes on from the top";
}

TEST(FoundNamesFind, UpwardsGoesTowardsTheFirstRowThenRoundFromTheLast)
{
    FoundNames list{Mixed};
    list.Selected = list.FindIndex = 4;
    EXPECT_EQ(list.RowsUntilWrap("TXT", FindDirection::Up), (std::vector<int>{3, 2, 0}));
    EXPECT_TRUE(list.Last.Wrapped);
    EXPECT_EQ(list.FindIndex, 5);
}

TEST(FoundNamesFind, GoingRoundReachesTheRowsBeforeTheStartOnly)
{
    struct Case { std::vector<std::string> names; int from; FindDirection direction; int found; bool wrapped; };
    const Case cases[] = {
        {{"a.txt", "b", "c"}, 0, FindDirection::Down, 0, true},   // the only match is the current row
        {{"a.txt", "b", "c.txt"}, 2, FindDirection::Down, 0, true},
        {{"a", "b", "c.txt"}, 0, FindDirection::Up, 2, true},
        {{"a", "b.txt", "c"}, -1, FindDirection::Up, 1, true},    // no position yet: from the first row, upwards
    };
    for (const Case& c : cases) {
        FoundNames list{c.names, c.from, c.from};
        const FoundNamesFindResult result = list.Next("txt", c.direction);
        EXPECT_TRUE(result.Found);
        EXPECT_EQ(result.FindIndex, c.found) << c.from;
        EXPECT_EQ(result.Wrapped, c.wrapped) << c.from;
    }
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
    EXPECT_EQ(list.RowsUntilWrap("  b.t\t", FindDirection::Down), (std::vector<int>{0, 1}));
    list.FindIndex = list.Selected = -1;
    EXPECT_EQ(list.RowsUntilWrap(" a b ", FindDirection::Down), (std::vector<int>{0}));
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
    EXPECT_EQ(list.RowsUntilWrap("gr\xC3\xB6\xC3\x9F" "e", FindDirection::Down), (std::vector<int>{1, 2}));
}

} // namespace

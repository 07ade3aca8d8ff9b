#include <gtest/gtest.h>

#include "TempTree.h"
#include "core/saved_search.h"
#include "krellers/kreller_list.h"
#include "tagged/NoxPigger.h"

namespace {

TSavedSearch EveryKind()
{
    TSavedSearch search;
    search.StartPaths = {"/home/u/", "/srv/caf\xE9 <&>%/", "/home/u/"};
    search.NameBox = "*.txt; report?";
    search.Krellers = {
        {"Directory conditions", false, true, {"Skip 2 directories", "/proc/", "/sys/"}},
        {"File mask condition", false, false, {"*.txt", "MASK=*.txt"}},
        {"File size condition", false, true, {"1 KB - 2 KB", "MIN=1000", "MAX=2000"}},
        {"Date condition", false, false, {}},
        {"Context", false, true, {"A and B", "<CLOUDS>\r\n\t<CLOUD KEY=\"a\"/>", "", "  leading blanks"}},
        {"Portraits only", true, true, {"Portraits only", "kind=portrait"}},
    };
    return search;
}

TEST(SavedSearch, EveryKrellerKindComesBackAsItWasSaved)
{
    const TSavedSearch search = EveryKind();
    const std::string text = SavedSearchText(search);
    EXPECT_EQ(ParseSavedSearch(text), search);

    TNoxPigger root;
    root.SetAsText(text);
    EXPECT_EQ(root.Name(), "FILEKRELLER_SEARCH");
    EXPECT_EQ(root.GetAttr("VERSION"), "1");
}

TEST(SavedSearch, TheFileIsReadWithAnyLineBreaks)
{
    TempTree tree;
    const std::string file = tree.Path("s.fks");
    SaveSearchFile(file, EveryKind());
    EXPECT_EQ(LoadSearchFile(file), EveryKind());
}

TEST(SavedSearch, DamagedFilesAreRefusedWithTheirOwnMessage)
{
    const struct {
        const char* text;
        const char* message;  // a part of it
    } cases[] = {
        {"<FILEKRELLER_SEARCH VERSION=\"1\"><START_PATHS>", ""},  // cut short: the document's own message
        {"<SETTINGS DEFAULT_PATH=\"/\"/>", "not a FileKreller search file"},
        {"<FILEKRELLER_SEARCH/>", "no valid version"},
        {"<FILEKRELLER_SEARCH VERSION=\"x\"/>", "no valid version"},
        {"<FILEKRELLER_SEARCH VERSION=\"2\"/>", "later version"},
        {"", "not a FileKreller search file"},
    };
    for (const auto& c : cases) {
        try {
            ParseSavedSearch(c.text);
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const std::runtime_error& error) {
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
        }
    }
}

TEST(SavedSearch, RowsTakeTheirConditionsAndUnknownKrellersAreKept)
{
    TKrellerList list;
    list.AppendNativeRow("File mask condition", nullptr);
    list.AppendNativeRow("Context", nullptr);
    list.Row(0).Strings = {"old", "MASK=*"};
    list.Row(0).Checked = true;

    const std::vector<TSavedKreller> saved = {
        {"Context", false, true, {"A", "expr"}},
        {"Context", true, true, {"plug-in of that name", "x"}},  // a custom kreller named like a native one
        {"Portraits only", true, true, {"Portraits only", "kind=portrait"}},
        {"File size condition", false, true, {"1 KB", "MIN=1000"}},
        {"File mask condition", false, true, {"", "no description"}},  // no condition: stays off
    };
    const std::vector<TSavedKreller> unplaced = ApplyKrellers(list, saved);
    EXPECT_EQ(list.Row(0).Strings, (TConditionStrings{"", "no description"}));
    EXPECT_FALSE(list.Row(0).Checked);
    EXPECT_EQ(list.Row(1).Strings, (TConditionStrings{"A", "expr"}));
    EXPECT_TRUE(list.Row(1).Checked);
    EXPECT_EQ(list.Row(1).ImageIndex, kiNativeChecked);
    ASSERT_EQ(unplaced.size(), 3u);
    EXPECT_EQ(unplaced[1].Caption, "Portraits only");

    const std::string told = UnplacedKrellersText(unplaced);
    EXPECT_NE(told.find("the plug-in \"Portraits only\" is missing"), std::string::npos) << told;
    EXPECT_NE(told.find("\"File size condition\" is switched off"), std::string::npos) << told;
    EXPECT_EQ(UnplacedKrellersText({}), "");

    // Saving again keeps the rows that found no kreller, after the list's own.
    const std::vector<TSavedKreller> again = CaptureKrellers(list, unplaced);
    ASSERT_EQ(again.size(), 5u);
    EXPECT_EQ(again[1], saved[0]);
    EXPECT_EQ(again[3], saved[2]);
}

TEST(SavedSearch, TheRecentListPutsTheLatestFirstOnceAndKeepsTen)
{
    std::vector<std::string> recent;
    for (int i = 0; i < 12; ++i)
        PushRecentSearch(recent, "/s/" + std::to_string(i));
    ASSERT_EQ(recent.size(), 10u);
    EXPECT_EQ(recent.front(), "/s/11");
    EXPECT_EQ(recent.back(), "/s/2");
    PushRecentSearch(recent, "/s/5");
    EXPECT_EQ(recent.size(), 10u);
    EXPECT_EQ(recent[0], "/s/5");
    EXPECT_EQ(std::count(recent.begin(), recent.end(), "/s/5"), 1);
}

} // namespace

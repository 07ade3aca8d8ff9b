#include "tagged/file_groups.h"
#include "tagged/settings_store.h"

#include "TempTree.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using Pieces = std::vector<std::string>;

struct SplitCase {
    std::string text;
    Pieces stored;
    Pieces edited;
};

class ExtensionSplitting : public ::testing::TestWithParam<SplitCase> {};

TEST_P(ExtensionSplitting, StoredAndEditedPieces)
{
    EXPECT_EQ(SplitExtensionsForStoring(GetParam().text), GetParam().stored);
    EXPECT_EQ(SplitExtensionsForEditing(GetParam().text), GetParam().edited);
}

INSTANTIATE_TEST_SUITE_P(Texts, ExtensionSplitting,
                         ::testing::Values(SplitCase{"", {}, {}},
                                           SplitCase{"doc", {"doc"}, {"doc"}},
                                           SplitCase{"doc;txt", {"doc", "txt"}, {"doc", "txt"}},
                                           SplitCase{"doc;;txt", {"doc", "", "txt"}, {"doc", "", "txt"}},
                                           SplitCase{"doc;", {"doc;"}, {"doc"}},
                                           SplitCase{"doc;txt;", {"doc", "txt;"}, {"doc", "txt"}},
                                           SplitCase{";", {";"}, {""}}));

TEST(AddExtension, CleansTheInputAndFindsWhatIsListedInAnyCase)
{
    Pieces extensions{"doc"};
    EXPECT_EQ(AddExtension(extensions, " .TXT"), (TExtensionAdded{1, true}));
    EXPECT_EQ(AddExtension(extensions, "txt"), (TExtensionAdded{1, false}));
    EXPECT_EQ(AddExtension(extensions, " ./\\"), (TExtensionAdded{-1, false}));
    // A semicolon stays: the entry becomes two extensions once the group is stored.
    EXPECT_EQ(AddExtension(extensions, "a;b"), (TExtensionAdded{2, true}));
    EXPECT_EQ(extensions, (Pieces{"doc", "TXT", "a;b"}));
    EXPECT_EQ(SplitExtensionsForStoring(JoinExtensions(extensions)), (Pieces{"doc", "TXT", "a", "b"}));
}

class FileGroupsStore : public ::testing::Test {
protected:
    std::unique_ptr<TSettingsStore> OpenSettings()
    {
        auto store = std::make_unique<TSettingsStore>(tree.Path("FileKreller.set"));
        store->Load();
        return store;
    }

    TempTree tree;
};

TEST_F(FileGroupsStore, StoredFormSurvivesTheSettingsFile)
{
    const std::vector<TFileGroup> groups{{"Texts", "doc;;txt"}, {"", "jpg"}, {"Empty", ""}};
    {
        auto settings = OpenSettings();
        settings->FileGroups().Assign(groups);
        settings->Save();
        TNoxPigger* node = settings->Document().FindChild("FILE_GROUPS");
        const TNoxPigger* texts = node->Child(0);
        ASSERT_EQ(texts->ChildCount(), 3);
        EXPECT_EQ(texts->Child(1)->Name(), "GI");
        EXPECT_TRUE(texts->Child(1)->AttrNames().empty());
        EXPECT_TRUE(node->Child(1)->AttrNames().empty());
        EXPECT_EQ(node->Child(2)->ChildCount(), 0);
    }
    auto reopened = OpenSettings();
    EXPECT_EQ(ReadFileGroups(reopened->Document()), groups);
    EXPECT_EQ(reopened->FileGroups().Groups(), groups);
}

TEST_F(FileGroupsStore, WritingReplacesEveryOldElementAndAppendsItLast)
{
    auto settings = OpenSettings();
    settings->Document().SetAsText("<SETTINGS><FILE_GROUPS><G NAME=\"old\"/></FILE_GROUPS>"
                                   "<FILE_GROUPS><G NAME=\"older\"/></FILE_GROUPS><LAST_ONE/></SETTINGS>");
    WriteFileGroups(settings->Document(), {{"new", "a"}});
    const TNoxPigger& root = settings->Document();
    ASSERT_EQ(root.ChildCount(), 2);
    EXPECT_EQ(root.Child(1)->Name(), "FILE_GROUPS");
    EXPECT_EQ(ReadFileGroups(settings->Document()), (std::vector<TFileGroup>{{"new", "a"}}));
}

TEST_F(FileGroupsStore, ChildrenOfAnyNameAreGroups)
{
    auto settings = OpenSettings();
    settings->Document().SetAsText("<SETTINGS><FILE_GROUPS><OTHER NAME=\"x\"><GI EXT=\"a\"/><NOT_GI EXT=\"b\"/>"
                                   "<GI EXT=\"c\"/></OTHER></FILE_GROUPS></SETTINGS>");
    EXPECT_EQ(ReadFileGroups(settings->Document()), (std::vector<TFileGroup>{{"x", "a;c"}}));
}

} // namespace

namespace {

TEST(FileGroupList, TellsItsListenersOfRealChangesUntilTheyLeave)
{
    TFileGroups groups;
    int told = 0;
    std::vector<TFileGroup> seen;
    {
        auto subscription = groups.Subscribe([&] {
            ++told;
            seen = groups.Groups();
        });
        groups.Add({"a", "x"});
        groups.Replace(0, {"a", "x"});
        groups.Replace(0, {"b", "y"});
        groups.Assign({{"b", "y"}});
        groups.Assign({{"c", ""}, {"d", "z"}});
        groups.Remove(0);
        EXPECT_THROW(groups.Remove(5), std::out_of_range);
    }
    EXPECT_EQ(told, 4) << "changes that change nothing are not told";
    EXPECT_EQ(seen, (std::vector<TFileGroup>{{"d", "z"}}));
    groups.Add({"e", ""});
    EXPECT_EQ(told, 4);
}

TEST(FileGroupList, SubscriptionOutlivingTheListIsHarmless)
{
    TFileGroups::TSubscription subscription;
    {
        TFileGroups groups;
        subscription = groups.Subscribe([] {});
    }
}

} // namespace

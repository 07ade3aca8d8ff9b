#include "tagged/settings_store.h"

#include "platform/FileSystem.h"
#include "platform/Files.h"
#include "tagged/DamagedCopies.h"

#include "TempTree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

namespace {

std::vector<std::string> ChildNames(const TNoxPigger& node)
{
    std::vector<std::string> names;
    for (int i = 0; i < node.ChildCount(); ++i)
        names.push_back(node.Child(i)->Name());
    return names;
}

TEST(SettingsStore, EveryValueSurvivesTheFileWithItsBytes)
{
    TempTree tree;
    const std::string file = tree.Path("FileKreller.set");
    // Paths are bytes: a name that is no UTF-8 must come back as it went in.
    const std::string oddPath = std::string("/data/caf\xe9/");
    const std::vector<std::string> excluded{oddPath, "/tmp/", "/srv/a b/"};
    const TBuiltInKrellers switches{false, true, false, true, false};
    const std::vector<TFileGroup> groups{{"Texts", "txt;doc"}, {"Pictures", "png"}};
    {
        TSettingsStore store(file);
        store.Load();
        store.CompleteKeys();
        store.SetDefaultPath(oddPath);
        store.SetExcludedDirectories(excluded);
        store.SetBuiltInKrellers(switches);
        store.FileGroups().Assign(groups);
        store.SetLastExtensionMask("*.txt");
        store.SetLastVisit("01.02.2024");
        ASSERT_TRUE(store.Save());
    }
    TSettingsStore reopened(file);
    reopened.Load();
    EXPECT_EQ(reopened.DefaultPath(), oddPath);
    EXPECT_EQ(reopened.ExcludedDirectories(), excluded);
    EXPECT_EQ(reopened.BuiltInKrellers(), switches);
    EXPECT_EQ(reopened.FileGroups().Groups(), groups);
    EXPECT_EQ(reopened.LastExtensionMask(), "*.txt");
    EXPECT_EQ(reopened.LastVisit(), "01.02.2024");
}

TEST(SettingsStore, FreshDocumentGetsItsKeysInOrderAndItsDefaults)
{
    TempTree tree;
    TSettingsStore store(tree.Path("FileKreller.set"));
    store.Load();
    EXPECT_EQ(tree.Read("FileKreller.set"), "\r\n<SETTINGS/>");
    EXPECT_EQ(store.LastExtensionMask(), "*");
    EXPECT_TRUE(store.FileGroups().Groups().empty());
    store.CompleteKeys();
    EXPECT_EQ(store.DefaultPath(), platform::DefaultStartPath());
    EXPECT_EQ(ChildNames(store.Document()), (std::vector<std::string>{"DONT_SEARCH_IN", "MAIN_KRELLERS", "FILE_GROUPS"}));
    EXPECT_EQ(store.BuiltInKrellers(), TBuiltInKrellers{});
    store.SetLastExtensionMask("");
    EXPECT_EQ(store.LastExtensionMask(), "*");
    const auto names = store.Document().AttrNames();
    EXPECT_EQ(std::count(names.begin(), names.end(), "LAST_EXT"), 0) << "an empty mask removes the key";
}

TEST(SettingsStore, DamagedFileIsKeptAsideAndGroupsAreReadAfresh)
{
    TempTree tree;
    tree.File("FileKreller.set", std::string("\0garbage", 8));
    TSettingsStore store(tree.Path("FileKreller.set"));
    store.FileGroups().Add({"stale", ""});
    const auto before = std::chrono::system_clock::now();
    store.Load();
    const std::string copy = DamagedCopyName(tree.Path("FileKreller.set"), before);
    const std::string later = DamagedCopyName(tree.Path("FileKreller.set"), std::chrono::system_clock::now());
    EXPECT_EQ(platform::PathExists(copy) ? tree.Read(copy.substr(tree.Root().size()))
                                         : tree.Read(later.substr(tree.Root().size())),
              std::string("\0garbage", 8));
    EXPECT_EQ(tree.Read("FileKreller.set"), "\r\n<SETTINGS/>");
    EXPECT_TRUE(store.FileGroups().Groups().empty());
}

} // namespace

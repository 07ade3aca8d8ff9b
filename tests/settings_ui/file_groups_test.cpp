#include "settings_ui/file_groups.h"

#include "tagged/settings.h"

#include "TempTree.h"
#include "dialog_driver.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
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
    std::unique_ptr<TD_settings> OpenSettings()
    {
        return std::make_unique<TD_settings>(TSettingsPlace{tree.Path("FileKreller"), "", nullptr});
    }

    TempTree tree;
};

TEST_F(FileGroupsStore, StoredFormSurvivesTheSettingsFile)
{
    const std::vector<TFileGroup> groups{{"Texts", "doc;;txt"}, {"", "jpg"}, {"Empty", ""}};
    {
        auto settings = OpenSettings();
        WriteFileGroups(*settings, groups);
        TNoxPigger* node = settings->Document().FindChild("FILE_GROUPS");
        const TNoxPigger* texts = node->Child(0);
        ASSERT_EQ(texts->ChildCount(), 3);
        EXPECT_EQ(texts->Child(1)->Name(), "GI");
        EXPECT_TRUE(texts->Child(1)->AttrNames().empty());
        EXPECT_TRUE(node->Child(1)->AttrNames().empty());
        EXPECT_EQ(node->Child(2)->ChildCount(), 0);
    }
    auto reopened = OpenSettings();
    EXPECT_EQ(ReadFileGroups(*reopened), groups);
}

TEST_F(FileGroupsStore, WritingReplacesEveryOldElementAndAppendsItLast)
{
    auto settings = OpenSettings();
    settings->Document().SetAsText("<SETTINGS><FILE_GROUPS><G NAME=\"old\"/></FILE_GROUPS>"
                                   "<FILE_GROUPS><G NAME=\"older\"/></FILE_GROUPS><LAST_ONE/></SETTINGS>");
    WriteFileGroups(*settings, {{"new", "a"}});
    const TNoxPigger& root = settings->Document();
    ASSERT_EQ(root.ChildCount(), 2);
    EXPECT_EQ(root.Child(1)->Name(), "FILE_GROUPS");
    EXPECT_EQ(ReadFileGroups(*settings), (std::vector<TFileGroup>{{"new", "a"}}));
}

TEST_F(FileGroupsStore, ChildrenOfAnyNameAreGroups)
{
    auto settings = OpenSettings();
    settings->Document().SetAsText("<SETTINGS><FILE_GROUPS><OTHER NAME=\"x\"><GI EXT=\"a\"/><NOT_GI EXT=\"b\"/>"
                                   "<GI EXT=\"c\"/></OTHER></FILE_GROUPS></SETTINGS>");
    EXPECT_EQ(ReadFileGroups(*settings), (std::vector<TFileGroup>{{"x", "a;c"}}));
}

class FileGroupsList : public FileGroupsStore {
protected:
    void SetUp() override
    {
        settings = OpenSettings();
        dialog = std::make_unique<TD_file_group_exts>([this](const std::string& q) {
            questions.push_back(q);
            return true;
        });
        list.Attach(settings.get(), dialog.get());
    }

    std::unique_ptr<TD_settings> settings;
    std::unique_ptr<TD_file_group_exts> dialog;
    TO_file_groups list;
    std::vector<std::string> questions;
};

TEST_F(FileGroupsList, CancelledNewGroupIsRemovedAndTheGroupsRewritten)
{
    settings->Document().SetAsText("<SETTINGS><FILE_GROUPS><G NAME=\"kept\"/></FILE_GROUPS><LVD/></SETTINGS>");
    list.LoadGroups();
    OnNextModal("TD_file_group_exts", [](QDialog& d) {
        EXPECT_EQ(Named<QLineEdit>(d, "Edit_name").text(), "NewGroup");
        Named<QPushButton>(d, "btn_cancel").click();
    });
    list.AddGroup();
    EXPECT_EQ(list.Groups(), (std::vector<TFileGroup>{{"kept", ""}}));
    EXPECT_EQ(settings->Document().Child(1)->Name(), "FILE_GROUPS");
}

TEST_F(FileGroupsList, ConfirmedEditWritesNameAsTypedAndTheExtensions)
{
    list.AddItem("G", "doc;txt");
    list.SelectIndex(0);
    dialog->SetInputBox([](const std::string& title, const std::string& prompt) {
        EXPECT_EQ(title, "New extention");
        EXPECT_EQ(prompt, "Extention to add to the list:");
        return std::optional<std::string>(".PNG");
    });
    OnNextModal("TD_file_group_exts", [](QDialog& d) {
        Named<QLineEdit>(d, "Edit_name").setText(" Pictures ");
        auto& exts = Named<QListWidget>(d, "LBexts");
        exts.setCurrentRow(1);
        Named<QPushButton>(d, "btn_remove").click();
        Named<QPushButton>(d, "btn_add").click();
        Named<QPushButton>(d, "btn_ok").click();
    });
    EXPECT_TRUE(list.EditGroup());
    EXPECT_EQ(questions, (Pieces{"Remove txt from the list?"}));
    EXPECT_EQ(ReadFileGroups(*settings), (std::vector<TFileGroup>{{" Pictures ", "doc;PNG"}}));
}

TEST_F(FileGroupsList, EditWithoutSelectionOrConfirmationChangesNothing)
{
    list.AddItem("G", "doc");
    EXPECT_FALSE(list.EditGroup());
    list.SelectIndex(0);
    OnNextModal("TD_file_group_exts", [](QDialog& d) { d.reject(); });
    EXPECT_FALSE(list.EditGroup());
    EXPECT_EQ(settings->Document().FindChild("FILE_GROUPS"), nullptr);
}

TEST(FileGroupsChecks, CheckCommandsAndStruckOutRows)
{
    TO_file_groups list;
    list.SetCheckBoxes(true);
    list.AddItem("a", "");
    list.AddItem("b", "");
    EXPECT_TRUE(list.CheckedAt(0) && list.CheckedAt(1));
    list.SetCheckedAt(1, false);
    EXPECT_FALSE(list.DrawnStruckOut(0));
    list.SetStrikeChecked(true);
    EXPECT_TRUE(list.DrawnStruckOut(0));
    EXPECT_FALSE(list.DrawnStruckOut(1));
    list.InvertChecks();
    EXPECT_FALSE(list.CheckedAt(0));
    EXPECT_TRUE(list.CheckedAt(1));
    list.UncheckAll();
    EXPECT_FALSE(list.CheckedAt(0) || list.CheckedAt(1));
    list.CheckAll();
    EXPECT_TRUE(list.CheckedAt(0) && list.CheckedAt(1));
}

} // namespace

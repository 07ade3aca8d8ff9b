#include "settings_ui/file_groups.h"

#include "tagged/settings_store.h"

#include "TempTree.h"
#include "dialog_driver.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QHeaderView>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <memory>

namespace {

using Pieces = std::vector<std::string>;

class FileGroupsList : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings = std::make_unique<TSettingsStore>(tree.Path("FileKreller.set"));
        settings->Load();
        dialog = std::make_unique<TD_file_group_exts>([this](const std::string& q) {
            questions.push_back(q);
            return true;
        });
        list.Attach(&settings->FileGroups(), dialog.get());
    }

    TempTree tree;
    std::unique_ptr<TSettingsStore> settings;
    std::unique_ptr<TD_file_group_exts> dialog;
    TO_file_groups list;
    std::vector<std::string> questions;
};

TEST_F(FileGroupsList, CancelledNewGroupChangesNothing)
{
    settings->FileGroups().Assign({{"kept", ""}});
    settings->Document().SetAsText("<SETTINGS><FILE_GROUPS><G NAME=\"kept\"/></FILE_GROUPS><LVD/></SETTINGS>");
    OnNextModal("TD_file_group_exts", [](QDialog& d) {
        EXPECT_EQ(Named<QLineEdit>(d, "Edit_name").text(), "NewGroup");
        Named<QPushButton>(d, "btn_cancel").click();
    });
    list.AddGroup();
    EXPECT_EQ(list.Groups(), (std::vector<TFileGroup>{{"kept", ""}}));
    EXPECT_EQ(list.ItemCount(), 1);
    EXPECT_EQ(settings->Document().Child(0)->Name(), "FILE_GROUPS");
}

TEST_F(FileGroupsList, ConfirmedEditWritesNameAsTypedAndTheExtensions)
{
    settings->FileGroups().Add({"G", "doc;txt"});
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
    EXPECT_EQ(ReadFileGroups(settings->Document()), (std::vector<TFileGroup>{{" Pictures ", "doc;PNG"}}));
}

TEST_F(FileGroupsList, EditWithoutSelectionOrConfirmationChangesNothing)
{
    settings->FileGroups().Assign({{"G", "doc"}});
    settings->Document().SetAsText("<SETTINGS/>");
    EXPECT_FALSE(list.EditGroup());
    list.SelectIndex(0);
    OnNextModal("TD_file_group_exts", [](QDialog& d) { d.reject(); });
    EXPECT_FALSE(list.EditGroup());
    EXPECT_EQ(settings->Document().FindChild("FILE_GROUPS"), nullptr);
}

// The settings page and the File mask kreller show the same groups: what one view changes the
// other shows at once, and neither writes back a stale copy over the other's change.
TEST_F(FileGroupsList, TwoViewsOfOneGroupListStayInStep)
{
    TO_file_groups other;
    other.SetCheckBoxes(true);
    other.Attach(&settings->FileGroups(), dialog.get());
    settings->FileGroups().Assign({{"Texts", "txt"}, {"Pictures", "png"}});
    ASSERT_EQ(other.ItemCount(), 2);
    other.SetCheckedAt(0, false);

    OnNextModal("TD_file_group_exts", [](QDialog& d) {
        Named<QLineEdit>(d, "Edit_name").setText("Sounds");
        Named<QPushButton>(d, "btn_ok").click();
    });
    list.AddGroup();
    EXPECT_EQ(other.CaptionAt(2), "Sounds");
    EXPECT_FALSE(other.CheckedAt(0)) << "a view keeps its own checks across changes made elsewhere";
    EXPECT_TRUE(other.CheckedAt(2));

    other.SelectIndex(1);
    other.DeleteGroup();
    EXPECT_EQ(list.ItemCount(), 2);
    list.SelectIndex(0);
    OnNextModal("TD_file_group_exts", [](QDialog& d) {
        Named<QLineEdit>(d, "Edit_name").setText("Docs");
        Named<QPushButton>(d, "btn_ok").click();
    });
    EXPECT_TRUE(list.EditGroup());
    const std::vector<TFileGroup> expected{{"Docs", "txt"}, {"Sounds", ""}};
    EXPECT_EQ(other.Groups(), expected);
    EXPECT_EQ(other.CaptionAt(0), "Docs");
    EXPECT_EQ(ReadFileGroups(settings->Document()), expected);
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

namespace {

// Typing into the dialog of a new group replaces "NewGroup"; the list is headed and shows a long
// extension list whole (scrolling, with the list in the row's tooltip).
TEST_F(FileGroupsList, NewNameIsSelectedForTypingAndLongListsAreNotCut)
{
    OnNextModal("TD_file_group_exts", [](QDialog& d) {
        auto& name = Named<QLineEdit>(d, "Edit_name");
        EXPECT_EQ(name.selectedText(), "NewGroup");
        EXPECT_EQ(d.focusWidget(), &name);
        Named<QPushButton>(d, "btn_cancel").click();
    });
    list.AddGroup();

    const std::string many = "jpg;jpeg;png;gif;bmp;tif;tiff;webp;svg;ico;heic;avif;raw;cr2;nef;orf";
    settings->FileGroups().Add({"Pictures", many});
    EXPECT_FALSE(list.LV1->isHeaderHidden());
    EXPECT_EQ(list.LV1->headerItem()->text(0), "File group");
    EXPECT_EQ(list.LV1->headerItem()->text(1), "Extensions");
    QTreeWidgetItem* row = list.LV1->topLevelItem(0);
    EXPECT_EQ(row->toolTip(1).toStdString(), many);
    // The column grows with its longest list and the view scrolls sideways rather than cut it.
    EXPECT_EQ(list.LV1->header()->sectionResizeMode(1), QHeaderView::ResizeToContents);
    EXPECT_FALSE(list.LV1->header()->stretchLastSection());
}

} // namespace

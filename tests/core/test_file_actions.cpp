// The found list's file actions: their rules, the rows they change, their dialogs and the window.
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeView>
#include <filesystem>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

#include "ModalDriver.h"
#include "core/FoundList.h"
#include "core/file_action_dialogs.h"
#include "core/file_actions.h"
#include "core/found_rows.h"
#include "platform/FileSystem.h"
#include "platform/Files.h"
#include "window_fixture.h"

namespace {

TEST(RenameRules, RefusedNamesSayWhyAndTheFilesOwnNameChangesNothing)
{
    const std::set<std::string> existing{"/d/a.txt", "/d/b.txt"};
    const auto taken = [&](const std::string& path) { return existing.count(path) > 0; };
    const struct {
        std::string newName;
        std::string refusal;
    } cases[] = {
        {"c.txt", ""},
        {"a.txt", ""},  // its own name: nothing to refuse, nothing to do
        {"A.txt", ""},  // names differ by case
        {"", "The new name is empty."},
        {"sub/c.txt", "A file name cannot hold \"/\"."},
        {"/", "A file name cannot hold \"/\"."},
        {std::string("c\0d", 3), "A file name cannot hold a NUL character."},
        {".", "\".\" is not a file name."},
        {"..", "\"..\" is not a file name."},
        {"b.txt", "\"b.txt\" already exists in /d."},
        {"caf\xEF\xBF\xBD.txt", "The name holds bytes shown as \"\xEF\xBF\xBD\"; type the new name in full."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RenameRefusal("/d/a.txt", c.newName, taken), c.refusal) << c.newName;
    EXPECT_EQ(RenamedPath("/d/a.txt", "c.txt"), "/d/c.txt");
}

TEST(TrashRules, OneFailureDoesNotStopTheOthersAndIsToldWithItsMessage)
{
    const std::vector<std::string> paths{"/a", "/b", "/c"};
    const TTrashOutcome outcome = TrashEach(paths, [](const std::string& path) {
        if (path == "/b")
            throw std::runtime_error("/b: Permission denied");
    });
    EXPECT_EQ(outcome.Trashed, (std::vector<std::size_t>{0, 2}));
    EXPECT_EQ(TrashFailureText(outcome), "1 of 3 files were not moved to the Trash:\n/b: Permission denied");
    EXPECT_EQ(TrashFailureText(TrashEach({"/a"}, [](const std::string&) {})), "");
    EXPECT_EQ(TrashQuestion({"/a"}), "Move \"/a\" to the Trash?");
    const std::vector<std::string> seven{"/1", "/2", "/3", "/4", "/5", "/6", "/7"};
    EXPECT_EQ(TrashQuestion(seven), "Move these 7 files to the Trash?\n/1\n/2\n/3\n/4\n/5\n... and 2 more");
}

TEST(PropertyRows, ALinkShowsItsTargetAndUnknownStampsSaySo)
{
    platform::TFileProperties link;
    link.Mode = S_IFLNK | 0777;
    link.Size = 9;
    link.Modified = {true, 0, 5};
    link.OwnerName = "root";
    link.GroupName = "4711";
    link.GroupId = 4711;
    link.ContentType = "inode/symlink";
    link.TypeDescription = "symbolic link";
    link.LinkTarget = "notes.txt";
    const auto rows = PropertyRows("/d/link", link);
    const auto value = [&](const std::string& caption) {
        for (const auto& [shown, text] : rows)
            if (shown == caption)
                return text;
        return std::string("(none)");
    };
    EXPECT_EQ(value("Name"), "link");
    EXPECT_EQ(value("Type"), "symbolic link (inode/symlink)");
    EXPECT_EQ(value("Size"), "9 bytes");
    EXPECT_EQ(value("Modified"), "1970-01-01 00:00:00.000000005 UTC");
    EXPECT_EQ(value("Created"), "unknown");
    EXPECT_EQ(value("Owner"), "root (0)");
    EXPECT_EQ(value("Group"), "4711");
    EXPECT_EQ(value("Permissions"), "lrwxrwxrwx (0777)");
    EXPECT_EQ(value("Link target"), "notes.txt");
    link.LinkTarget.reset();
    EXPECT_EQ(PropertyRows("/d/link", link).size(), rows.size() - 1);
}

// Rows dropped under every way the list can be shown: the others keep their order and their
// positions and indexes agree.
TEST(FoundRowsRemove, TheRowsLeftKeepTheirOrderUnderSortAndFilters)
{
    struct Case {
        bool sorted;
        std::string quickFilter;
        std::vector<std::string> removed;
        std::vector<std::string> shownAfter;
    };
    const std::vector<std::string> names{"c.txt", "a.log", "e.txt", "b.txt", "d.log"};
    for (const Case& c : {Case{false, "", {"a.log", "b.txt"}, {"c.txt", "e.txt", "d.log"}},
                          Case{true, "", {"c.txt"}, {"e.txt", "d.log", "b.txt", "a.log"}},
                          Case{true, "txt", {"e.txt", "b.txt"}, {"c.txt"}},
                          Case{false, "txt", {"c.txt"}, {"e.txt", "b.txt"}}}) {
        TFoundRows rows;
        for (const std::string& name : names)
            rows.Append(FileEntry{name}, "/d/" + name);
        rows.SetSort({c.sorted, TFoundColumn::Name, true});
        rows.SetQuickFilter(c.quickFilter);
        rows.ApplySort();
        std::vector<std::uint32_t> doomed;
        for (int position = 0; position < rows.Count(); ++position)
            if (std::find(c.removed.begin(), c.removed.end(), rows.At(position).Name()) != c.removed.end())
                doomed.push_back(rows.RowIndex(position));
        rows.Remove(doomed);
        rows.Append(FileEntry{"f.txt"}, "/d/f.txt");  // found later, it follows
        std::vector<std::string> shown;
        for (int position = 0; position < rows.Count(); ++position) {
            shown.emplace_back(rows.At(position).Name());
            EXPECT_EQ(rows.PositionOf(rows.RowIndex(position)), position);
        }
        std::vector<std::string> expected = c.shownAfter;
        expected.push_back("f.txt");
        EXPECT_EQ(shown, expected) << c.sorted << " " << c.quickFilter;
        EXPECT_EQ(rows.Total(), static_cast<int>(names.size() - c.removed.size() + 1));
    }
}

// ---- The dialogs ----

TEST(RenameDialog, OkIsOfferedOnlyForANameThatMayBeGiven)
{
    TD_rename dialog;
    dialog.Load("/d/report.txt", [](const std::string& name) { return name == "taken" ? "taken!" : ""; });
    auto* edit = dialog.findChild<QLineEdit*>("Edit_name");
    auto* ok = dialog.findChild<QPushButton*>("btn_ok");
    EXPECT_EQ(edit->text(), "report.txt");
    EXPECT_EQ(edit->selectedText(), "report");  // typing keeps the extension
    EXPECT_TRUE(ok->isEnabled());
    edit->setText("taken");
    EXPECT_FALSE(ok->isEnabled());
    EXPECT_EQ(dialog.Refusal(), "taken!");
    edit->setText("summary.txt");
    EXPECT_TRUE(ok->isEnabled());
    EXPECT_EQ(dialog.NewName(), "summary.txt");
}

TEST(OpenWithDialog, TheDefaultComesFirstAndPickedAndNoneLeavesNothingToPick)
{
    TD_open_with dialog;
    dialog.Load("/d/notes.txt", {{"viewer.desktop", "Viewer", true, true}, {"editor.desktop", "Editor", false, false}});
    auto* list = dialog.findChild<QListWidget*>("LB_applications");
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), "Viewer (default)");
    EXPECT_EQ(dialog.Picked(), "viewer.desktop");
    list->setCurrentRow(1);
    EXPECT_EQ(dialog.Picked(), "editor.desktop");
    dialog.Load("/d/notes.txt", {});
    EXPECT_FALSE(dialog.findChild<QPushButton*>("btn_ok")->isEnabled());
    EXPECT_EQ(dialog.Picked(), std::nullopt);
}

// ---- In the main window ----

struct FileActions : ProbedWindowTest {
    QTreeView* View() { return window.findChild<QTreeView*>("LV_found"); }

    std::vector<std::string> Names()
    {
        std::vector<std::string> names;
        for (const std::string& path : window.FoundPathsShown())
            names.push_back(platform::FileNamePart(path));
        return names;
    }
    int PositionOf(const std::string& name)
    {
        const auto names = Names();
        return static_cast<int>(std::find(names.begin(), names.end(), name) - names.begin());
    }
    // Runs action answering its confirmation with button; the message told afterwards, if any.
    std::string Answering(const char* button, const std::function<void()>& action)
    {
        std::string told;
        QPointer<QTimer> tell;
        const QPointer<QTimer> ask = ClickInNextModal(button, [&](QWidget*) {
            tell = ClickInNextModal("btn_ok", [&](QWidget*) { told = msg.Text().toStdString(); });
        });
        action();
        delete ask.data();
        delete tell.data();  // no message came: it must not answer the next test's dialog
        return told;
    }
};

TEST_F(FileActions, SeveralRowsGoToTheTrashTogetherAndLeaveTheList)
{
    Activate();
    for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt"})
        tree.File(name, name);
    window.SB_runClick();
    View()->header()->setSortIndicator(0, Qt::AscendingOrder);

    // Declined: nothing happens.
    Answering("btn_no", [&] { window.TrashFoundRows({0, 2}); });
    EXPECT_EQ(Names(), (std::vector<std::string>{"a.txt", "b.txt", "c.txt", "d.txt"}));

    EXPECT_EQ(Answering("btn_yes", [&] { window.TrashFoundRows({0, 2}); }), "");
    EXPECT_EQ(Names(), (std::vector<std::string>{"b.txt", "d.txt"}));
    const std::string trash = std::string(std::getenv("XDG_DATA_HOME")) + "/Trash/files/";
    for (const char* name : {"a.txt", "c.txt"}) {
        EXPECT_FALSE(platform::SomethingAt(tree.Path(name)));
        EXPECT_TRUE(platform::SomethingAt(trash + name)) << name;
    }
    EXPECT_EQ(window.SelectedFoundPath(), tree.Path("b.txt"));  // the keyboard goes on from there
}

TEST_F(FileActions, AFileOnAFileSystemWithoutTrashStaysListedAndTheMessageIsTold)
{
    std::string dir = "/dev/shm/fk_actions_XXXXXX";
    if (access("/dev/shm", W_OK) != 0 || !mkdtemp(dir.data()))
        GTEST_SKIP() << "no memory file system to write to";
    platform::WriteFileAtomically(dir + "/kept.txt", "kept");
    Activate();
    window.SetStartPaths({dir + "/"}, 0);
    window.SB_runClick();
    const std::string told = Answering("btn_yes", [&] { window.TrashFoundRows({0}); });
    EXPECT_EQ(told.rfind("The file was not moved to the Trash:\n", 0), 0u) << told;
    EXPECT_EQ(Names(), std::vector<std::string>{"kept.txt"});
    EXPECT_TRUE(platform::SomethingAt(dir + "/kept.txt"));
    std::filesystem::remove_all(dir);
}

TEST_F(FileActions, ARenamedRowTakesItsNewPathAndPlaceAndStaysSelected)
{
    Activate();
    for (const char* name : {"a.txt", "b.txt", "c.txt"})
        tree.File(name, name);
    window.SB_runClick();
    View()->header()->setSortIndicator(0, Qt::AscendingOrder);
    window.SelectFoundRow(0);

    EXPECT_EQ(Answering("btn_yes", [&] { window.RenameFoundRow(0, "z.txt"); }), "");
    EXPECT_EQ(Names(), (std::vector<std::string>{"b.txt", "c.txt", "z.txt"}));
    EXPECT_EQ(window.SelectedFoundPath(), tree.Path("z.txt"));
    EXPECT_EQ(tree.Read("z.txt"), "a.txt");

    // A name that is taken is refused and told; both files stay as they are.
    std::string told;
    const QPointer<QTimer> poll = ClickInNextModal("btn_ok", [&](QWidget*) { told = msg.Text().toStdString(); });
    EXPECT_FALSE(window.RenameFoundRow(PositionOf("z.txt"), "b.txt"));
    delete poll.data();
    EXPECT_EQ(told, "\"b.txt\" already exists in " + tree.Root().substr(0, tree.Root().size() - 1) + ".");
    EXPECT_EQ(tree.Read("z.txt"), "a.txt");
    EXPECT_EQ(tree.Read("b.txt"), "b.txt");
}

} // namespace

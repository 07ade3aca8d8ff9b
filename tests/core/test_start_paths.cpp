// Start paths typed, pasted, dropped and picked from the recent ones; the status after loading a list.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QCompleter>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <filesystem>

#include "ModalDriver.h"
#include "core/FoundList.h"
#include "core/found_list_file.h"
#include "core/start_path_box.h"
#include "core/start_path_entry.h"
#include "platform/Text.h"
#include "window_fixture.h"

namespace {

using Paths = std::vector<std::string>;

TEST(StartPathEntry, TypedTextBecomesTheFolderItNames)
{
    TempTree tree;
    const std::string home = tree.Dir("home");
    const std::string rootHome = platform::HomeDirectoryOf("root");
    const struct {
        std::string typed;
        std::string expanded;
    } cases[] = {
        {"", ""},
        {" \t\n", ""},
        {"~", home},
        {"~/Music", home + "/Music"},
        {"Music/old", home + "/Music/old"},            // relative: below the home folder
        {"  /tmp/x \r\n", "/tmp/x"},                   // pasted with a line break
        {"//usr///share/./doc/", "/usr/share/doc"},
        {"/a/../b", "/a/../b"},                        // ".." stays: a link may stand before it
        {"file:///a%20b/c", "/a b/c"},
        {"file://localhost/etc", "/etc"},
        {"~no_such_account_here/x", home + "/~no_such_account_here/x"},
        {"~root/x", rootHome + "/x"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExpandedStartPath(c.typed, home), c.expanded) << c.typed;
}

TEST(StartPathEntry, OnlyAnExistingFolderIsAcceptedAndARefusalNamesThePath)
{
    TempTree tree;
    const std::string home = tree.Dir("home");
    tree.Dir("home/Music");
    const std::string file = tree.File("notes.txt");
    std::filesystem::create_directory_symlink(tree.Path("home/Music"), tree.Path("link"));

    EXPECT_EQ(CheckStartPath("~/Music", home).Path, home + "/Music/");
    EXPECT_EQ(CheckStartPath(tree.Path("link"), home).Path, tree.Path("link/")) << "a link to a folder is a folder";
    EXPECT_TRUE(CheckStartPath("~/Music", home).Refusal.empty());

    const TStartPathCheck missing = CheckStartPath("~/Musik", home);
    EXPECT_TRUE(missing.Path.empty());
    EXPECT_EQ(missing.Refusal, "The folder \"" + home + "/Musik\" does not exist.");
    const TStartPathCheck notFolder = CheckStartPath(file, home);
    EXPECT_TRUE(notFolder.Path.empty());
    EXPECT_NE(notFolder.Refusal.find("\"" + file + "\" is not a folder"), std::string::npos);

    const TStartPathCheck empty = CheckStartPath("  ", home);
    EXPECT_TRUE(empty.Path.empty() && empty.Refusal.empty()) << "nothing typed, nothing to say";
}

TEST(StartPathEntry, FileUrlsGiveBackTheExactBytesOfTheirPaths)
{
    for (const std::string path : {"/plain", "/with space/and%percent", "/not\xff\xfeutf8", "/äöü/ß"})
        EXPECT_EQ(platform::PathOfFileUrl(platform::FileUrl(path)), path);
    for (const char* url : {"http://example.org/x", "file://otherhost/x", "file:///a%2", "file:///a%zz", "/plain",
                            "file:"})
        EXPECT_FALSE(platform::PathOfFileUrl(url)) << url;
    EXPECT_EQ(platform::PathOfFileUrl("FILE:///x"), "/x");
}

TEST(StartPathEntry, DropsGiveTheirLocalFileUrlsElseTheirLinesOfText)
{
    QMimeData uris;
    uris.setData("text/uri-list", "# a comment\r\nfile:///one/dir\r\nhttp://example.org/x\r\nfile:///two%FF\r\n\r\n");
    uris.setText("ignored when there are URLs");
    EXPECT_TRUE(MayHoldStartPaths(uris));
    EXPECT_EQ(DroppedStartPaths(uris), (Paths{"/one/dir", "/two\xff"}));

    QMimeData text;
    text.setText("  /first \n\n~/second\r\nfile:///third\n");
    EXPECT_EQ(DroppedStartPaths(text), (Paths{"/first", "~/second", "file:///third"}))
        << "each line is checked as if typed";

    QMimeData picture;
    picture.setData("image/png", "\x89PNG");
    EXPECT_FALSE(MayHoldStartPaths(picture));
    EXPECT_TRUE(DroppedStartPaths(picture).empty());
}

TEST(StartPathEntry, PastedTextGivesEachLineTrimmedAndLeavesOutTheBlankOnes)
{
    const struct {
        std::string pasted;
        Paths lines;
    } cases[] = {
        {"", {}},
        {"\n\r\n \t\n", {}},
        {"/one", {"/one"}},
        {"/one\n", {"/one"}},
        {"/one\n/two", {"/one", "/two"}},
        {"/one\r\n/two\r\n", {"/one", "/two"}},     // copied from a program that ends lines with CR LF
        {"/one\r/two", {"/one", "/two"}},             // CR alone ends a line too
        {"  /one \n\n\t~/two\t\n", {"/one", "~/two"}},
        {"/with space/x\nfile:///a%20b", {"/with space/x", "file:///a%20b"}},
        {"/not\xff utf8\n/b", {"/not\xff utf8", "/b"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StartPathLines(c.pasted), c.lines) << c.pasted;
}

TEST(StartPathEntry, SeveralTextsAreEachCheckedAsTypedAndTheRefusalsToldTogether)
{
    TempTree tree;
    const std::string home = tree.Dir("home");
    tree.Dir("home/Music");
    const std::string photos = tree.Dir("photos");
    const std::string file = tree.File("notes.txt");

    const TStartPathChecks checks =
        CheckStartPaths({"~/Music", "~/Musik", platform::FileUrl(photos), file, "  "}, home);
    EXPECT_EQ(checks.Paths, (Paths{home + "/Music/", photos + "/"}));
    EXPECT_EQ(checks.RefusedTexts, (Paths{"~/Musik", file}));
    EXPECT_EQ(checks.Refusal, CheckStartPath("~/Musik", home).Refusal + "\n" + CheckStartPath(file, home).Refusal);

    const TStartPathChecks accepted = CheckStartPaths({"~/Music"}, home);
    EXPECT_TRUE(accepted.Refusal.empty() && accepted.RefusedTexts.empty());
}

TEST(StartPathEntry, CompletionOffersTheSubfoldersThatFitCaseBlind)
{
    TempTree tree;
    for (const char* dir : {"Alpha", "alps", "beta", ".hidden", "Alpha/inner"})
        tree.Dir(dir);
    tree.File("Alfile");
    tree.File("\xff" "broken");
    tree.Dir("al\xff");
    const std::string root = tree.Root();
    TFolderCompletion completion(tree.Path("").substr(0, root.size() - 1));
    const struct {
        std::string typed;
        Paths offered;
    } cases[] = {
        {root + "al", {root + "Alpha/", root + "alps/"}},      // files and broken names left out
        {root + "ALP", {root + "Alpha/", root + "alps/"}},
        {root, {root + "Alpha/", root + "alps/", root + "beta/"}},  // hidden ones only when asked for
        {root + ".", {root + ".hidden/"}},
        {root + "Alpha/", {root + "Alpha/inner/"}},
        {root + "zz", {}},
        {root + "nowhere/a", {}},
        {"be", {"beta/"}},                                     // relative: below home
        {"~/al", {"~/Alpha/", "~/alps/"}},                    // the text keeps the form it was typed in
        {"~", {"~/"}},
        {"", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(completion.Candidates(c.typed), c.offered) << c.typed;
}

TEST(StartPathEntry, CompletionReadsAFolderAgainOnlyWhenTheTextMovesToAnother)
{
    TempTree tree;
    tree.Dir("a/one");
    TFolderCompletion completion("/");
    EXPECT_EQ(completion.Candidates(tree.Path("a/o")), Paths{tree.Path("a/one/")});
    tree.Dir("a/other");
    EXPECT_EQ(completion.Candidates(tree.Path("a/on")), Paths{tree.Path("a/one/")});
    completion.Candidates(tree.Root());
    EXPECT_EQ(completion.Candidates(tree.Path("a/o")), (Paths{tree.Path("a/one/"), tree.Path("a/other/")}));
}

void PressKey(QWidget* widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers);
    QApplication::sendEvent(widget, &release);
}

void TypeText(QWidget* widget, const QString& text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
    }
}

// Drags data over widget and drops it there, as a file manager does.
bool Drop(QWidget* widget, const QMimeData& data)
{
    const QPoint at(5, 5);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &drop);
    return drop.isAccepted();
}

struct StartPathWindow : WindowTest {
    QLineEdit* Edit() { return window.findChild<QLineEdit*>("Edit_path"); }
    QListWidget* List() { return window.findChild<QListWidget*>("LB_paths"); }
    // The box has the keys: its line edit takes its focus from it.
    QWidget* Box() { return window.findChild<QWidget*>("CMB_path"); }
};

TEST_F(StartPathWindow, EnterAddsTheTypedFolderAndARefusedTextStaysForCorrection)
{
    window.SetStartPaths({}, -1);
    const std::string dir = tree.Dir("photos");
    ASSERT_NE(Edit(), nullptr);
    EXPECT_FALSE(Edit()->placeholderText().isEmpty());

    Edit()->setText(QString::fromStdString(tree.Path("fotos")));
    const std::string told = MessageOf([&] { PressKey(Box(), Qt::Key_Return); });
    EXPECT_EQ(told, "The folder \"" + tree.Path("fotos") + "\" does not exist.");
    EXPECT_TRUE(window.StartPaths().empty());
    EXPECT_EQ(Edit()->text().toStdString(), tree.Path("fotos")) << "the typed text is not lost";
    EXPECT_EQ(Edit()->selectedText(), Edit()->text());

    Edit()->setText(QString::fromStdString(tree.Path("photos")));
    EXPECT_EQ(MessageOf([&] { PressKey(Box(), Qt::Key_Enter); }), "");
    EXPECT_EQ(window.StartPaths(), Paths{dir + "/"});
    EXPECT_EQ(List()->currentRow(), 0) << "the added path is selected";
    EXPECT_TRUE(Edit()->text().isEmpty());
}

TEST_F(StartPathWindow, TypingOffersFolderNamesAndTheArrowKeysAddNothing)
{
    tree.Dir("music");
    tree.Dir("movies");
    window.SetStartPaths({}, -1);
    window.StartPathBox().SetRecentPaths({tree.Path("music/")});
    window.show();
    Edit()->setFocus();
    TypeText(Box(), QString::fromStdString(tree.Path("m")));
    EXPECT_EQ(window.StartPathBox().OfferedFolders(),
              (QStringList{QString::fromStdString(tree.Path("movies/")), QString::fromStdString(tree.Path("music/"))}));
    EXPECT_TRUE(window.StartPathBox().FolderCompleter()->popup()->isVisible());
    window.StartPathBox().FolderCompleter()->popup()->hide();
    PressKey(Box(), Qt::Key_Down);
    PressKey(Box(), Qt::Key_Up);
    EXPECT_TRUE(window.StartPaths().empty()) << "stepping through the recent paths must not add them";
    window.StartPathBox().hidePopup();
}

TEST_F(StartPathWindow, AddingAFolderClosesTheListOfOfferedNames)
{
    // A list left open, even an empty one, takes the next click meant for another control.
    const std::string movies = tree.Dir("movies");
    window.SetStartPaths({}, -1);
    window.show();
    Edit()->setFocus();
    QWidget* offered = window.StartPathBox().FolderCompleter()->popup();
    TypeText(Box(), QString::fromStdString(tree.Path("mov")));
    ASSERT_TRUE(offered->isVisible());
    Edit()->setText(QString::fromStdString(movies));
    PressKey(Box(), Qt::Key_Return);
    EXPECT_EQ(window.StartPaths(), Paths{movies + "/"});
    EXPECT_TRUE(Edit()->text().isEmpty());
    EXPECT_FALSE(offered->isVisible());
}

TEST_F(StartPathWindow, FoldersDroppedOnTheListOrTheFieldAreAddedAndTheRestNamed)
{
    window.SetStartPaths({}, -1);
    const std::string a = tree.Dir("a b");
    const std::string b = tree.Dir("b");
    const std::string file = tree.File("file.txt");
    QMimeData uris;
    uris.setData("text/uri-list", QByteArray::fromStdString(platform::FileUrl(a) + "\r\n" + platform::FileUrl(file) +
                                                            "\r\n" + platform::FileUrl(b) + "\r\n"));
    std::string told;
    told = MessageOf([&] { EXPECT_TRUE(Drop(List()->viewport(), uris)); });
    EXPECT_EQ(window.StartPaths(), (Paths{a + "/", b + "/"}));
    EXPECT_NE(told.find(file), std::string::npos) << told;

    QMimeData text;
    text.setText(QString::fromStdString(b));
    EXPECT_EQ(MessageOf([&] { EXPECT_TRUE(Drop(Edit(), text)); }), "");
    EXPECT_EQ(window.StartPaths(), (Paths{a + "/", b + "/", b + "/"}));

    QMimeData picture;
    picture.setData("image/png", "\x89PNG");
    EXPECT_FALSE(Drop(List()->viewport(), picture));
}

// Pastes text from the clipboard into the field at its cursor, with the keyboard.
void Paste(QLineEdit* edit, const QString& text)
{
    QGuiApplication::clipboard()->setText(text);
    PressKey(edit, Qt::Key_V, Qt::ControlModifier);
}

TEST_F(StartPathWindow, EachLinePastedIsAStartPathAndTheRefusedAreToldInOneMessage)
{
    window.SetStartPaths({}, -1);
    const std::string a = tree.Dir("a b");
    const std::string b = tree.Dir("b");
    const std::string file = tree.File("file.txt");
    window.show();
    Edit()->setFocus();

    const QString lines = QString::fromStdString(a + "\r\n\n  " + platform::FileUrl(b) + "\n" + tree.Path("gone") +
                                                 "\n" + file + "\n");
    const std::string told = MessageOf([&] { Paste(Edit(), lines); });
    EXPECT_EQ(window.StartPaths(), (Paths{a + "/", b + "/"}));
    EXPECT_EQ(told, "The folder \"" + tree.Path("gone") + "\" does not exist.\n" +
                        CheckStartPath(file, "/").Refusal) << "one message names every refused line";
    EXPECT_EQ(Edit()->text().toStdString(), tree.Path("gone")) << "the first refused line stays for correction";
    EXPECT_EQ(Edit()->selectedText(), Edit()->text());

    Edit()->clear();
    EXPECT_EQ(MessageOf([&] { Paste(Edit(), QString::fromStdString(b + "\n" + a)); }), "");
    EXPECT_EQ(window.StartPaths(), (Paths{a + "/", b + "/", b + "/", a + "/"}));
    EXPECT_TRUE(Edit()->text().isEmpty()) << "nothing refused, nothing left";

    // One line with its line break is typed text: it waits for Enter.
    EXPECT_EQ(MessageOf([&] { Paste(Edit(), QString::fromStdString(a + "\n")); }), "");
    EXPECT_EQ(Edit()->text().toStdString(), a);
    EXPECT_EQ(window.StartPaths().size(), 4u);
}

TEST_F(StartPathWindow, TheDropDownHoldsTheLastTenPathsUsedNewestFirstAndAddsThePicked)
{
    window.SetStartPaths({}, -1);
    Paths dirs;
    for (int i = 0; i < 12; ++i) {
        dirs.push_back(tree.Dir("d" + std::to_string(i)) + "/");
        window.AddStartPath(dirs.back());
    }
    window.AddStartPath(dirs[5]);
    const Paths recent = window.RecentStartPaths();
    ASSERT_EQ(recent.size(), RecentStartPathsLimit);
    EXPECT_EQ(recent.front(), dirs[5]) << "used again, it comes first once";
    EXPECT_EQ(recent[1], dirs[11]);
    EXPECT_EQ(std::count(recent.begin(), recent.end(), dirs[5]), 1);

    window.SetStartPaths({}, -1);
    TStartPathBox& box = window.StartPathBox();
    const int picked = box.findData(QByteArray::fromStdString(dirs[9]));
    ASSERT_GE(picked, 0);
    emit box.activated(picked);
    EXPECT_EQ(window.StartPaths(), Paths{dirs[9]});
    EXPECT_TRUE(box.TypedText().empty());
}

struct LoadedListWindow : WindowTest {};

TEST_F(LoadedListWindow, TheStatusBarCountsTheRowsLoadedAndNamesThePathsMissing)
{
    const std::string kept = tree.File("kept.txt");
    std::string lines = kept + "\r\n\r\n";
    Paths gone;
    for (int i = 0; i < 12; ++i) {
        gone.push_back(tree.Path("gone" + std::to_string(i)));
        lines += gone.back() + "\r\n";
    }
    const std::string list = tree.File("list.txt", lines);
    window.LoadFoundListChosenBy([&] { return std::optional<std::string>(list); });
    EXPECT_EQ(window.FoundList().Count(), 1);
    EXPECT_EQ(window.StatusText().toStdString(), "1 file loaded from list.txt; 12 of its paths no longer exist");
    EXPECT_EQ(window.StatusPanelText(0), "Loaded: 1");
    EXPECT_EQ(window.StatusPanelText(1), "Missing: 12");
    EXPECT_NE(window.windowTitle().indexOf("1 file loaded"), -1);
    const QString tip = window.findChild<QLabel*>("StatusPanel3")->toolTip();
    EXPECT_TRUE(tip.startsWith("No longer there:\n" + QString::fromStdString(gone[0]) + "\n")) << tip.toStdString();
    EXPECT_TRUE(tip.endsWith(QString::fromStdString(gone[9]) + "\nand 2 more")) << tip.toStdString();

    // The next line of the status bar takes the tooltip with the old one.
    window.SetStatusText("other");
    EXPECT_TRUE(window.findChild<QLabel*>("StatusPanel3")->toolTip().isEmpty());
}

TEST(LoadedListText, SaysWhatCameAndWhatWasMissing)
{
    const struct {
        TFoundListLoad load;
        std::string text;
        std::string missing;
    } cases[] = {
        {{"/l/a.txt", 0, 0, {}}, "0 files loaded from a.txt", ""},
        {{"/l/a.txt", 1, 1, {"/x"}}, "1 file loaded from a.txt; 1 of its paths no longer exists", "No longer there:\n/x"},
        {{"a.txt", 5, 3, {"/x", "/y", "/z"}}, "5 files loaded from a.txt; 3 of its paths no longer exist",
         "No longer there:\n/x\n/y\n/z"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LoadedListText(c.load), c.text);
        EXPECT_EQ(MissingPathsText(c.load), c.missing);
    }
}

} // namespace

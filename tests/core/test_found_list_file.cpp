#include "core/found_list_file.h"

#include "ModalDriver.h"
#include "platform/FileSystem.h"
#include "support/TempTree.h"

#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace std::string_literals;
using Lines = std::vector<std::string>;

struct LoadedRow {
    std::string Path;
    std::string Name;
    std::int64_t Size;
    bool IsDirectory;
    bool operator==(const LoadedRow&) const = default;
    friend void PrintTo(const LoadedRow& row, std::ostream* out)
    {
        *out << row.Path << " (" << row.Name << ", " << row.Size << (row.IsDirectory ? ", dir)" : ")");
    }
};

std::vector<LoadedRow> Load(const std::string& file)
{
    std::vector<LoadedRow> rows;
    LoadFoundList(file, [&](const FileEntry& entry, const std::string& path) {
        // What a directory's size is depends on the file system.
        rows.push_back({path, entry.Name, entry.IsDirectory() ? 0 : entry.Size, entry.IsDirectory()});
    });
    return rows;
}

std::vector<std::string> Paths(const std::vector<LoadedRow>& rows)
{
    std::vector<std::string> paths;
    for (const LoadedRow& row : rows)
        paths.push_back(row.Path);
    return paths;
}

Lines LinesFedByteByByte(std::string_view text)
{
    Lines lines;
    const auto keep = [&](std::string_view line) { lines.emplace_back(line); };
    TFoundListLineSplitter splitter;
    for (char byte : text)
        if (!splitter.Feed(std::string_view(&byte, 1), keep))
            break;
    splitter.Finish(keep);
    return lines;
}

TEST(FoundListFile, SavingWritesOneCrLfLineForEachPathAndNothingElse)
{
    TempTree tree;
    const std::string file = tree.File("list.txt", "old content that must go away entirely\r\n");
    SaveFoundList(file, {"/a/one.txt", "", "/b/two words.doc", "/c/\xFF\xFE.bin"});
    EXPECT_EQ(tree.Read("list.txt"), "/a/one.txt\r\n/b/two words.doc\r\n/c/\xFF\xFE.bin\r\n");
}

TEST(FoundListFile, LinesEndAtCrLfLfOrCrAndStopAtAZeroByte)
{
    struct Case {
        std::string text;
        Lines lines;
    };
    for (const Case& c : {Case{"a\r\nb\r\n", {"a", "b"}}, Case{"a\nb\rc\r\nd", {"a", "b", "c", "d"}},
                          Case{"a\n\r\nb", {"a", "", "b"}}, Case{"a\r\rb", {"a", "", "b"}},
                          Case{" a \r\n\tb\t", {" a ", "\tb\t"}}, Case{"a\r\nb\0c\r\nd"s, {"a", "b"}},
                          Case{"", {}}, Case{"\r\n", {""}}}) {
        EXPECT_EQ(FoundListLines(c.text), c.lines);
        EXPECT_EQ(LinesFedByteByByte(c.text), c.lines) << "fed a byte at a time";
    }
}

TEST(FoundListFile, PathsWithLineBreaksAreLeftOutAndCounted)
{
    TempTree tree;
    const std::string other = tree.File("b");
    // Split at its line break, this path's second piece would name other.
    const std::string splitting = tree.File("x\n" + other);
    const std::string crName = tree.File("c\rd");
    const std::string plain = tree.File("plain");
    const std::string list = tree.Path("list.txt");
    EXPECT_EQ(SaveFoundList(list, {splitting, plain, crName, other}), 2u);
    EXPECT_EQ(tree.Read("list.txt"), plain + "\r\n" + other + "\r\n");
    std::vector<std::string> loaded;
    LoadFoundList(list, [&](const FileEntry&, const std::string& path) { loaded.push_back(path); });
    EXPECT_EQ(loaded, (Lines{plain, other}));
    EXPECT_NE(LeftOutOfListText(2).find("2 found file(s) were left out"), std::string::npos);
}

TEST(FoundListFile, AListOfManyEmptyLinesLoadsNoRows)
{
    TempTree tree;
    const std::string existing = tree.File("kept.txt");
    const std::string list = tree.File("list.txt", std::string(3 << 20, '\n') + existing + "\r\n" + std::string(1 << 20, '\r'));
    std::vector<std::string> loaded;
    LoadFoundList(list, [&](const FileEntry&, const std::string& path) { loaded.push_back(path); });
    EXPECT_EQ(loaded, Lines{existing});
}

TEST(FoundListFile, LoadingDropsWhatIsGoneKeepsOrderAndReadsEntriesAnew)
{
    TempTree tree;
    const std::string first = tree.File("first.txt", "1");
    const std::string second = tree.File("second.txt", "22");
    const std::string third = tree.File("third.txt", "333");
    const std::string dir = tree.Dir("sub");
    const std::string list = tree.Path("list.txt");
    SaveFoundList(list, {third, second, dir, first});

    std::filesystem::remove(second);
    tree.File("first.txt", "grown since the list was saved");
    EXPECT_EQ(Load(list), (std::vector<LoadedRow>{{third, "third.txt", 3, false},
                                                  {dir, "sub", 0, true},
                                                  {first, "first.txt", 30, false}}))
        << "sizes are read now, and a directory gives a row";
}

TEST(FoundListFile, EachLineIsTheExactPathItNames)
{
    TempTree tree;
    const std::string blank = tree.File("blank ", "");
    tree.File("plain", "");
    tree.File("any.txt", "");
    const std::string star = tree.File("odd*name", "");
    const std::string list = tree.File("list.txt", blank + "\n" + tree.Path("plain ") + "\n" + tree.Path("*.txt") +
                                                       "\n" + tree.Path("any.tx?") + "\n" + star + "\n\n");
    EXPECT_EQ(Paths(Load(list)), (Lines{blank, star}))
        << "blanks belong to the name, and '*' and '?' are characters like any other";
}

TEST(FoundListFile, AnUnreadableListThrowsWithThePath)
{
    TempTree tree;
    try {
        Load(tree.Path("absent.txt"));
        FAIL() << "no error";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("absent.txt"), std::string::npos) << error.what();
    }
}

class FoundListCommand : public ::testing::Test {
protected:
    FoundListCommand() { platform::SetCurrentDirectory(tree.Dir("start")); }
    ~FoundListCommand() override { platform::SetCurrentDirectory(original); }

    // A file dialog that, like some do, leaves the working directory elsewhere.
    FileChooser ChooserAnswering(std::optional<std::string> answer)
    {
        return [this, answer] {
            ++chooserCalls;
            platform::SetCurrentDirectory(tree.Dir("elsewhere"));
            return answer;
        };
    }
    void ExpectWorkingDirectoryRestored() const
    {
        EXPECT_EQ(platform::WithTrailingSlash(platform::CurrentDirectory()), tree.Path("start/"));
    }

    const std::string original = platform::CurrentDirectory();
    TempTree tree;
    int chooserCalls = 0;
};

TEST_F(FoundListCommand, SaveAsAsksNothingForAnEmptyList)
{
    SaveFoundListAs({}, ChooserAnswering(tree.Path("never.txt")));
    EXPECT_EQ(chooserCalls, 0);
    EXPECT_FALSE(std::filesystem::exists(tree.Path("never.txt")));
}

TEST_F(FoundListCommand, SaveAsWritesTheChosenFileAndRestoresTheWorkingDirectory)
{
    SaveFoundListAs({"/x/a", "/x/b"}, ChooserAnswering(tree.Path("saved.txt")));
    EXPECT_EQ(tree.Read("saved.txt"), "/x/a\r\n/x/b\r\n");
    ExpectWorkingDirectoryRestored();

    SaveFoundListAs({"/x/a"}, ChooserAnswering(std::nullopt));
    ExpectWorkingDirectoryRestored();

    EXPECT_THROW(SaveFoundListAs({"/x/a"}, ChooserAnswering(tree.Path("no_dir/saved.txt"))), std::runtime_error);
    ExpectWorkingDirectoryRestored();
}

TEST_F(FoundListCommand, LoadFromEmptiesTheListOnlyWhenAFileIsChosen)
{
    const std::string file = tree.File("a.txt", "");
    const std::string list = tree.File("list.txt", file + "\r\n");
    int clears = 0;
    std::vector<std::string> added;
    const auto add = [&](const FileEntry&, const std::string& path) { added.push_back(path); };

    LoadFoundListFrom(ChooserAnswering(std::nullopt), [&] { ++clears; }, add);
    EXPECT_EQ(clears, 0);
    ExpectWorkingDirectoryRestored();

    LoadFoundListFrom(ChooserAnswering(list), [&] { ++clears; }, add);
    EXPECT_EQ(clears, 1);
    EXPECT_EQ(added, Lines{file});
    ExpectWorkingDirectoryRestored();

    EXPECT_THROW(LoadFoundListFrom(ChooserAnswering(tree.Path("gone.txt")), [&] { ++clears; }, add),
                 std::runtime_error);
    EXPECT_EQ(clears, 2) << "the list is emptied before the file is read";
    ExpectWorkingDirectoryRestored();
}

TEST(FoundListFile, DialogFiltersInQtForm)
{
    EXPECT_EQ(QtFileDialogFilter(FoundListSaveFilter), "Text format (*.txt)");
    EXPECT_EQ(QtFileDialogFilter(FoundListLoadFilter), "Text format (*.txt);;All files (*)");
}



// A plug-in makes its file dialogs while its own folder is the working directory; the found
// list's dialogs must still open in the folder they are given, not in the last directory any
// dialog of the process was made in nor in the working directory (the program's own folder).
TEST_F(FoundListCommand, FileDialogsOpenInTheFolderGiven)
{
    platform::SetCurrentDirectory(tree.Dir("plugin_folder"));
    { QFileDialog pluginDialog; }
    for (const auto ask : {&AskFoundListSaveFile, &AskFoundListLoadFile}) {
        QString shown;
        ClickInNextModal("(none)", [&shown](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            ASSERT_NE(dialog, nullptr);
            shown = dialog->directory().absolutePath();
            dialog->reject();
        });
        EXPECT_EQ(ask(nullptr, tree.Path("start")), std::nullopt);
        EXPECT_EQ(platform::WithTrailingSlash(shown.toStdString()), tree.Path("start/"));
    }
}

TEST_F(FoundListCommand, BareNameTypedIntoTheSaveDialogLandsInItsFolder)
{
    platform::SetCurrentDirectory(tree.Dir("bin"));
    ClickInNextModal("(none)", [](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(name, nullptr);
        name->setText("saved");
        static_cast<QDialog*>(dialog)->accept();  // the file dialog's own accept, as "Save" calls it
    });
    EXPECT_EQ(AskFoundListSaveFile(nullptr, tree.Path("start")), tree.Path("start/saved.txt"));
}

} // namespace

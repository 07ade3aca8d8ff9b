#include "tagged/settings.h"

#include "tagged/DamagedCopies.h"

#include "platform/Files.h"

#include "TempTree.h"

#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const std::string kEmptySettings = "\r\n<SETTINGS/>";

// A program installed in <tree>/bin, with its configuration directory in <tree>/config.
TSettingsPlace PlaceIn(const TempTree& tree)
{
    tree.Dir("bin");
    return {tree.Path("bin/FileKreller"), tree.Path("config"), platform::IsDirectoryWritable};
}

std::vector<std::string> FilesIn(const std::string& dir)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A settings dialog of its own, as the program's user settings dialog is one.
class TProbeSettings : public TD_settings {
public:
    explicit TProbeSettings(const TSettingsPlace& place) : TD_settings(place, DeferredLoad, nullptr)
    {
        LoadAtCreation();
    }
    std::optional<std::string> pathSeenAfterLoad;

protected:
    void AfterLoad() override { pathSeenAfterLoad = Document().GetAttr("DEFAULT_PATH"); }
    void SetDefaults() override
    {
        TD_settings::SetDefaults();
        Document().SetAttr("DEFAULT_PATH", "/home/");
    }
};

} // namespace

TEST(Settings, FirstStartWritesTheEmptyDocumentAtOnce)
{
    TempTree tree;
    TD_settings settings(PlaceIn(tree));
    EXPECT_EQ(settings.SettingsFileName(), tree.Path("bin/FileKreller.set"));
    EXPECT_EQ(tree.Read("bin/FileKreller.set"), kEmptySettings);
    EXPECT_EQ(settings.Document().Name(), "SETTINGS");
    EXPECT_EQ(settings.windowTitle(), "Settings");
    auto* pages = settings.findChild<QTabWidget*>("PC_settings");
    ASSERT_NE(pages, nullptr);
    EXPECT_EQ(pages->tabText(0), "main");
}

TEST(Settings, DerivedDialogGetsItsHooksAfterLoading)
{
    TempTree tree;
    {
        TProbeSettings fresh(PlaceIn(tree));
        EXPECT_EQ(fresh.pathSeenAfterLoad, "/home/");
    }
    EXPECT_EQ(tree.Read("bin/FileKreller.set"), "\r\n<SETTINGS DEFAULT_PATH=\"/home/\"/>");

    tree.File("bin/FileKreller.set", "\r\n<SETTINGS DEFAULT_PATH=\"/srv/\"/>");
    TProbeSettings loaded(PlaceIn(tree));
    EXPECT_EQ(loaded.pathSeenAfterLoad, "/srv/");
}

TEST(Settings, OkAndDestructionWriteTheFile)
{
    TempTree tree;
    auto settings = std::make_unique<TD_settings>(PlaceIn(tree));
    settings->Document().SetAttr("LVD", "01/02/2024");
    settings->findChild<QPushButton*>("btn_ok")->click();
    EXPECT_EQ(settings->result(), QDialog::Accepted);
    EXPECT_EQ(tree.Read("bin/FileKreller.set"), "\r\n<SETTINGS LVD=\"01/02/2024\"/>");

    settings->GetNode(&settings->Document(), "MAIN_KRELLERS")->SetAttr("DIRS", "N");
    settings.reset();
    EXPECT_EQ(tree.Read("bin/FileKreller.set"), "\r\n<SETTINGS LVD=\"01/02/2024\">\r\n\t<MAIN_KRELLERS DIRS=\"N\"/>\r\n</SETTINGS>");
    EXPECT_EQ(FilesIn(tree.Path("bin")), std::vector<std::string>{"FileKreller.set"});  // no temporary left
}

struct DamagedCase {
    const char* what;
    std::string content;
};

class SettingsDamaged : public testing::TestWithParam<DamagedCase> {};

// The dated damaged copies in <tree>/bin, oldest first.
std::vector<std::string> DamagedCopiesIn(const TempTree& tree)
{
    std::vector<std::string> copies;
    for (const std::string& name : FilesIn(tree.Path("bin")))
        if (name.starts_with("FileKreller.set.damaged-"))
            copies.push_back(name);
    return copies;
}

TEST_P(SettingsDamaged, FileIsKeptAndReplacedByDefaults)
{
    TempTree tree;
    tree.File("bin/FileKreller.set.damaged", "older damage");
    tree.File("bin/FileKreller.set", GetParam().content);
    TD_settings settings(PlaceIn(tree));
    const auto copies = DamagedCopiesIn(tree);
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(tree.Read("bin/" + copies[0]), GetParam().content);
    EXPECT_EQ(tree.Read("bin/FileKreller.set.damaged"), "older damage");
    EXPECT_EQ(tree.Read("bin/FileKreller.set"), kEmptySettings);
    EXPECT_EQ(settings.Document().ChildCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(Contents, SettingsDamaged,
                         testing::Values(DamagedCase{"syntax", "\r\n<SETTINGS DEFAULT_PATH=\"/x/\">\r\n\t<A>\r\n</SETTINGS>"},
                                         DamagedCase{"unterminated", "\r\n<SETTINGS LAST_EXT=\"*.txt"},
                                         DamagedCase{"nul", std::string("\0<SETTINGS/>", 12)}),
                         [](const auto& info) { return std::string(info.param.what); });

TEST(Settings, EmptyFileIsReplacedWithoutKeepingACopy)
{
    TempTree tree;
    tree.File("bin/FileKreller.set", "");
    TD_settings settings(PlaceIn(tree));
    EXPECT_TRUE(DamagedCopiesIn(tree).empty());
    EXPECT_EQ(tree.Read("bin/FileKreller.set"), kEmptySettings);
}

TEST(Settings, UnreadableFileIsKeptToo)
{
    TempTree tree;
    tree.Dir("bin/FileKreller.set");  // a directory cannot be read as a file, not even by root
    TD_settings settings(PlaceIn(tree));
    const auto copies = DamagedCopiesIn(tree);
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_TRUE(fs::is_directory(tree.Path("bin/" + copies[0])));
    EXPECT_EQ(tree.Read("bin/FileKreller.set"), kEmptySettings);
}

// Damaged files in a row, all within one second or a second apart: each is kept, the five newest stay.
TEST(DamagedCopies, EveryDamagedFileIsKeptUntilFiveNewerOnesFollow)
{
    using namespace std::chrono;
    const sys_seconds start = sys_days(2026y / 12 / 8) + hours(10) + minutes(37) + seconds(5);
    EXPECT_EQ(DamagedCopyName("/d/FileKreller.set", start), "/d/FileKreller.set.damaged-20261208-103705");
    for (const seconds apart : {seconds(0), seconds(1)}) {
        TempTree tree;
        const std::string file = tree.Path("bin/FileKreller.set");
        for (int i = 1; i <= 7; ++i) {
            tree.File("bin/FileKreller.set", std::to_string(i));
            ASSERT_TRUE(KeepDamagedCopy(file, start + apart * i));
        }
        const auto copies = DamagedCopiesIn(tree);
        ASSERT_EQ(copies.size(), KeptDamagedCopies);
        std::string kept;
        for (const std::string& copy : copies)
            kept += tree.Read("bin/" + copy);
        EXPECT_EQ(kept, "34567") << apart.count();
        EXPECT_FALSE(platform::PathExists(file));
    }
}

TEST(Settings, ListsAreStoredAsListItems)
{
    TempTree tree;
    TD_settings settings(PlaceIn(tree));
    std::vector<std::string> strings{"stale"};
    settings.ReadList(strings, " DONT_SEARCH_IN ");
    EXPECT_TRUE(strings.empty());
    EXPECT_NE(settings.Document().FindChild("DONT_SEARCH_IN"), nullptr);  // created, so it is written

    settings.WriteList({"/a/", "", "/b c/"}, "dont_search_in");
    settings.WriteList({"/only/"}, "OTHER");
    settings.WriteList({"/replaced/"}, "OTHER");
    ASSERT_TRUE(settings.SaveSettings());
    EXPECT_EQ(tree.Read("bin/FileKreller.set"),
              "\r\n<SETTINGS>"
              "\r\n\t<DONT_SEARCH_IN>"
              "\r\n\t\t<LIST_ITEM VAL=\"/a/\"/>"
              "\r\n\t\t<LIST_ITEM/>"
              "\r\n\t\t<LIST_ITEM VAL=\"/b c/\"/>"
              "\r\n\t</DONT_SEARCH_IN>"
              "\r\n\t<OTHER>"
              "\r\n\t\t<LIST_ITEM VAL=\"/replaced/\"/>"
              "\r\n\t</OTHER>"
              "\r\n</SETTINGS>");

    new TNoxPigger(settings.Document().FindChild("OTHER"));
    settings.Document().FindChild("OTHER")->Child(1)->SetName("ODD");
    settings.Document().FindChild("OTHER")->Child(1)->SetAttr("VAL", "/odd/");
    settings.ReadList(strings, "OTHER");
    EXPECT_EQ(strings, (std::vector<std::string>{"/replaced/", "/odd/"}));

    settings.ReadList(strings, "  ");
    settings.WriteList({"x"}, "");
    EXPECT_EQ(strings.size(), 2u);
    EXPECT_EQ(settings.Document().ChildCount(), 2);
}

TEST(Settings, GetNodeFindsOrAppends)
{
    TempTree tree;
    TD_settings settings(PlaceIn(tree));
    EXPECT_EQ(settings.GetNode(nullptr, "X"), nullptr);
    TNoxPigger* groups = settings.GetNode(&settings.Document(), "file_groups");
    EXPECT_EQ(groups->Name(), "FILE_GROUPS");
    EXPECT_EQ(settings.GetNode(&settings.Document(), "File_Groups"), groups);
    EXPECT_EQ(settings.GetNode(&settings.Document(), "LAST")->Parent()->Child(1)->Name(), "LAST");
}

TEST(Settings, ProgramDirectoryThatCannotBeWrittenSendsSettingsToTheConfigDirectory)
{
    TempTree tree;
    TSettingsPlace place = PlaceIn(tree);
    const std::string programDir = tree.Path("bin");
    place.CanWriteDirectory = [&](const std::string& dir) { return dir != programDir; };
    {
        TD_settings settings(place);
        EXPECT_EQ(settings.SettingsFileName(), tree.Path("config/FileKreller/FileKreller.set"));
        settings.Document().SetAttr("LAST_EXT", "*.txt");
    }
    EXPECT_EQ(tree.Read("config/FileKreller/FileKreller.set"), "\r\n<SETTINGS LAST_EXT=\"*.txt\"/>");
    EXPECT_TRUE(FilesIn(programDir).empty());

    TD_settings again(place);
    EXPECT_EQ(again.Document().GetAttr("LAST_EXT"), "*.txt");
}

TEST(Settings, ReadOnlyProgramDirectoryIsDetected)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only directories";
    TempTree tree;
    const TSettingsPlace place = PlaceIn(tree);
    chmod(tree.Path("bin").c_str(), 0555);
    EXPECT_EQ(place.SettingsFileName(), tree.Path("config/FileKreller/FileKreller.set"));
}

TEST(Settings, UnwritableEverywhereKeepsRunning)
{
    TempTree tree;
    tree.File("blocker", "a file where directories would be");
    const TSettingsPlace place{tree.Path("blocker/bin/FileKreller"), tree.Path("blocker/config"),
                               platform::IsDirectoryWritable};
    TD_settings settings(place);
    EXPECT_FALSE(settings.SaveSettings());
    EXPECT_EQ(tree.Read("blocker"), "a file where directories would be");
}

TEST(SettingsPlace, FileIsNamedAfterTheProgram)
{
    const auto yes = [](const std::string&) { return true; };
    EXPECT_EQ((TSettingsPlace{"/opt/fk/bin/kreller.bin", "/c", yes}.SettingsFileName()), "/opt/fk/bin/kreller.set");
    EXPECT_EQ((TSettingsPlace{"/opt/.fk/FileKreller", "/c", yes}.SettingsFileName()), "/opt/.fk/FileKreller.set");
    EXPECT_EQ((TSettingsPlace{"/FileKreller", "", nullptr}.SettingsFileName()), "/FileKreller.set");
    EXPECT_EQ(fs::path(TSettingsPlace::OfRunningProgram().ProgramPath).filename(), "test_tagged");
}

TEST(SettingsPlace, ConfigDirectoryFollowsXdgConfigHome)
{
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    const std::optional<std::string> restore = saved ? std::optional<std::string>(saved) : std::nullopt;
    setenv("HOME", std::getenv("HOME") ? std::getenv("HOME") : "/root", 1);
    const std::string fallback = (fs::path(std::getenv("HOME")) / ".config").string();

    setenv("XDG_CONFIG_HOME", "/xdg/conf", 1);
    EXPECT_EQ(platform::UserConfigDirectory(), "/xdg/conf");
    setenv("XDG_CONFIG_HOME", "relative/conf", 1);
    EXPECT_EQ(platform::UserConfigDirectory(), fallback);
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(platform::UserConfigDirectory(), fallback);

    if (restore)
        setenv("XDG_CONFIG_HOME", restore->c_str(), 1);
}

TEST(SettingsFiles, SaveThroughALinkKeepsTheLink)
{
    TempTree tree;
    tree.File("dotfiles/FileKreller.set", "\r\n<SETTINGS LVD=\"1\"/>");
    tree.Dir("bin");
    fs::create_symlink(tree.Path("dotfiles/FileKreller.set"), tree.Path("bin/FileKreller.set"));
    {
        TD_settings settings(PlaceIn(tree));
        EXPECT_EQ(settings.Document().GetAttr("LVD"), "1");
        settings.Document().SetAttr("LVD", "2");
    }
    EXPECT_TRUE(fs::is_symlink(tree.Path("bin/FileKreller.set")));
    EXPECT_EQ(tree.Read("dotfiles/FileKreller.set"), "\r\n<SETTINGS LVD=\"2\"/>");
}

TEST(Settings, FileBesideAReadOnlyProgramIsReadAndTakenOverOnTheFirstWrite)
{
    TempTree tree;
    TSettingsPlace place = PlaceIn(tree);
    const std::string programDir = tree.Path("bin");
    place.CanWriteDirectory = [&](const std::string& dir) { return dir != programDir; };
    const std::string shipped = "\r\n<SETTINGS DEFAULT_PATH=\"/srv/\"/>";
    tree.File("bin/FileKreller.set", shipped);
    const std::string own = tree.Path("config/FileKreller/FileKreller.set");
    {
        TD_settings settings(place);
        EXPECT_EQ(settings.Document().GetAttr("DEFAULT_PATH"), "/srv/");
        EXPECT_FALSE(platform::PathExists(own)) << "nothing is written before the first change is saved";
        EXPECT_EQ(settings.Store().ReadFrom(), tree.Path("bin/FileKreller.set"));
        const auto* note = settings.findChild<QLabel*>("L_settings_file");
        ASSERT_NE(note, nullptr);
        EXPECT_EQ(note->text().toStdString(), "Settings were read from " + tree.Path("bin/FileKreller.set") +
                                                  ". Changes will be saved to " + own + ".");
        settings.Document().SetAttr("LAST_EXT", "*.txt");
        ASSERT_TRUE(settings.SaveSettings());
        EXPECT_EQ(note->text().toStdString(), "Settings are kept in " + own + ".");
    }
    EXPECT_EQ(tree.Read("config/FileKreller/FileKreller.set"), "\r\n<SETTINGS DEFAULT_PATH=\"/srv/\" LAST_EXT=\"*.txt\"/>");
    EXPECT_EQ(tree.Read("bin/FileKreller.set"), shipped);

    // From now on the per-user file is the one read, whatever lies beside the program.
    tree.File("bin/FileKreller.set", "\r\n<SETTINGS DEFAULT_PATH=\"/other/\"/>");
    TD_settings again(place);
    EXPECT_EQ(again.Document().GetAttr("DEFAULT_PATH"), "/srv/");
    EXPECT_TRUE(again.Store().ReadFrom().empty());
}

TEST(Settings, DamagedFileBesideAReadOnlyProgramIsLeftAlone)
{
    TempTree tree;
    TSettingsPlace place = PlaceIn(tree);
    const std::string programDir = tree.Path("bin");
    place.CanWriteDirectory = [&](const std::string& dir) { return dir != programDir; };
    tree.File("bin/FileKreller.set", "\r\n<SETTINGS LAST_EXT=\"*.txt");
    TD_settings settings(place);
    EXPECT_EQ(settings.Document().ChildCount(), 0);
    EXPECT_EQ(FilesIn(programDir), std::vector<std::string>{"FileKreller.set"});
    EXPECT_EQ(tree.Read("config/FileKreller/FileKreller.set"), kEmptySettings);
}

TEST(Settings, ReadOnlySettingsFileIsNotReplacedAndTheUserIsTold)
{
    TempTree tree;
    const std::string kept = "\r\n<SETTINGS DEFAULT_PATH=\"/srv/\"/>";
    tree.File("bin/FileKreller.set", kept);
    chmod(tree.Path("bin/FileKreller.set").c_str(), 0444);
    {
        TD_settings settings(PlaceIn(tree));
        EXPECT_TRUE(settings.Store().WriteProtected());
        settings.Document().SetAttr("DEFAULT_PATH", "/home/");
        EXPECT_FALSE(settings.SaveSettings());
        EXPECT_EQ(settings.findChild<QLabel*>("L_settings_file")->text().toStdString(),
                  "The settings file " + tree.Path("bin/FileKreller.set") +
                      " is read-only: changes to the settings cannot be saved.");
    }
    EXPECT_EQ(tree.Read("bin/FileKreller.set"), kept);
    chmod(tree.Path("bin/FileKreller.set").c_str(), 0644);
}

TEST(Settings, AFileMadeReadOnlyWhileRunningIsToldWhenTheDialogShows)
{
    TempTree tree;
    TD_settings settings(PlaceIn(tree));
    const auto* note = settings.findChild<QLabel*>("L_settings_file");
    EXPECT_EQ(note->text().toStdString(), "Settings are kept in " + tree.Path("bin/FileKreller.set") + ".");
    chmod(tree.Path("bin/FileKreller.set").c_str(), 0444);
    settings.show();
    EXPECT_TRUE(note->text().contains("cannot be saved"));
    settings.hide();
    chmod(tree.Path("bin/FileKreller.set").c_str(), 0644);
}

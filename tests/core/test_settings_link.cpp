#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QListWidget>

#include "ModalDriver.h"
#include "TempTree.h"
#include "core/FoundList.h"
#include "core/main.h"
#include "core/msg.h"
#include "core/sure.h"
#include "krellers/kreller_list_view.h"
#include "krellers/kreller_size.h"
#include "platform/Dates.h"
#include "platform/Shell.h"
#include "settings_ui/settings_user.h"

namespace {

// The main window on a real settings file in a temporary program directory.
struct SettingsLinkFixture : ::testing::Test {
    TempTree work;
    std::vector<std::string> launched;

    SettingsLinkFixture()
    {
        work.Dir("bin");
        platform::SetLauncher([this](const platform::LaunchRequest& request) {
            launched.push_back(request.Uri);
            return static_cast<int>(platform::orStarted);
        });
    }
    ~SettingsLinkFixture() override { platform::SetLauncher({}); }

    TSettingsPlace Place() const { return {work.Path("bin/FileKreller"), "", nullptr}; }
    void WriteSettings(const std::string& text) const { work.File("bin/FileKreller.set", text); }
};

// The main window linked to the settings dialog, with a confirmation dialog.
struct LinkedWindow {
    TFmain window;
    TD_settings_user settings;
    TUserSettingsLink link{settings};
    TFsure sure{&window};

    explicit LinkedWindow(const TSettingsPlace& place) : settings(place, {}, &window)
    {
        window.AttachSettings(&link);
        window.AttachDialogs({&sure, nullptr, nullptr, nullptr, nullptr});
    }
};

std::string DaysAgo(int days)
{
    const std::uint64_t day = 864000000000ULL;
    return platform::FormatShortDate(
        platform::FileTimeToUtcDate(platform::UtcDateToFileTime(platform::Today()) - days * day));
}

TEST_F(SettingsLinkFixture, StartPathsBeginWithTheStoredDefaultPath)
{
    WriteSettings("\r\n<SETTINGS DEFAULT_PATH=\"/srv/data/\"/>");
    TFmain window;
    TD_settings_user settings(Place(), {}, &window);
    TUserSettingsLink link(settings);
    window.AttachSettings(&link);
    EXPECT_EQ(window.StartPaths(), (std::vector<std::string>{"/srv/data/"}));
    EXPECT_EQ(window.findChild<QListWidget*>("LB_paths")->currentRow(), 0);
}

TEST_F(SettingsLinkFixture, SaveAsDefaultStoresTheSelectedPath)
{
    LinkedWindow linked(Place());
    TFmain& window = linked.window;
    TD_settings_user& settings = linked.settings;
    window.AddStartPath("/home/me/projects");
    ClickInNextModal("btn_yes");
    window.SB_save_pathClick();
    EXPECT_EQ(settings.DefaultPath(), "/home/me/projects/");
    EXPECT_EQ(settings.Document().GetAttr("DEFAULT_PATH"), "/home/me/projects/");
}

// A default start path that is not UTF-8 reaches the search and "Save as default" with its bytes.
TEST_F(SettingsLinkFixture, StartPathThatIsNotUtf8IsSearchedAndSavedWithItsBytes)
{
    TempTree searched;
    const std::string start = searched.Dir("in\xFF") + "/";
    const std::string file = searched.File("in\xFF/found.txt");
    WriteSettings("\r\n<SETTINGS DEFAULT_PATH=\"" + start + "\"/>");
    platform::TWorkingDirectoryGuard restore;
    platform::SetCurrentDirectory(work.Path("bin"));
    LinkedWindow linked(Place());
    TFmain& window = linked.window;
    TD_settings_user& settings = linked.settings;
    window.FormActivate();

    auto* paths = window.findChild<QListWidget*>("LB_paths");
    EXPECT_TRUE(paths->item(0)->text().contains(QChar::ReplacementCharacter));
    window.SB_runClick();
    ASSERT_EQ(window.FoundList().Count(), 1);
    EXPECT_EQ(window.FoundList().Row(0).Path, file);

    settings.SetDefaultPath("/elsewhere/");
    ClickInNextModal("btn_yes");
    window.SB_save_pathClick();
    EXPECT_EQ(settings.Document().GetAttr("DEFAULT_PATH"), start);
}

TEST_F(SettingsLinkFixture, LastVisitLabelReadsAndWritesTheStoredDate)
{
    WriteSettings("\r\n<SETTINGS LVD=\"" + DaysAgo(40) + "\"/>");
    TFmain window;
    TD_settings_user settings(Place(), {}, &window);
    TUserSettingsLink link(settings);
    window.AttachSettings(&link);
    TFbreak_scanning breakDialog(&window);
    window.AttachDialogs({nullptr, nullptr, &breakDialog, nullptr, nullptr});
    TD_progress_user& progress = *window.ProgressDialog();
    EXPECT_EQ(progress.LastVisitText().toStdString(), "Last visit date:" + DaysAgo(40));
    EXPECT_TRUE(progress.LastVisitHighlighted());

    progress.WebLinkClick();
    EXPECT_EQ(settings.Document().GetAttr("LVD"), DaysAgo(0));
    EXPECT_FALSE(progress.LastVisitHighlighted());
    ASSERT_EQ(launched.size(), 1u);
    EXPECT_TRUE(launched[0].ends_with("/docs/productlist.html")) << launched[0];
}

TEST_F(SettingsLinkFixture, KrellersSwitchedOffInTheSettingsHaveNoRow)
{
    WriteSettings("\r\n<SETTINGS>\r\n\t<MAIN_KRELLERS FILESIZE=\"N\"/>\r\n</SETTINGS>");
    platform::TWorkingDirectoryGuard restore;
    platform::SetCurrentDirectory(work.Path("bin"));
    TFmain window;
    TD_settings_user settings(Place(), {}, &window);
    ASSERT_FALSE(settings.CB_filesize->isChecked());
    TUserSettingsLink link(settings);
    window.AttachSettings(&link);
    TD_kreller_size size;
    TNativeKrellers natives;
    natives.FileSize = &size;
    window.AttachNativeKrellers(natives);
    window.FormActivate();
    EXPECT_EQ(window.Krellers().Krellers().Count(), 0u);
}

} // namespace

namespace {

TEST_F(SettingsLinkFixture, HelpAndWebSearchOpenTheirPagesFromTheMenus)
{
    platform::TWorkingDirectoryGuard restore;
    platform::SetCurrentDirectory(work.Path("bin"));
    work.File("docs/index.html", "<html></html>");
    TFmain window;
    window.findChild<QAction*>("N_Help1")->trigger();
    window.findChild<QAction*>("N_SearchinWEB")->trigger();
    ASSERT_EQ(launched.size(), 2u);
    EXPECT_EQ(launched[0], "file://" + work.Path("docs/index.html"));
    EXPECT_EQ(launched[1], "file://" + work.Path("docs/adds/redirectsearch.html"));
    EXPECT_EQ(window.findChild<QAction*>("N_Help1")->shortcut(), QKeySequence(Qt::Key_F1));
}

} // namespace

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QListWidget>

#include "ModalDriver.h"
#include "TempTree.h"
#include "core/main.h"
#include "core/msg.h"
#include "core/publisher.h"
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
    TFmain window;
    TD_settings_user settings(Place(), {}, &window);
    TUserSettingsLink link(settings);
    window.AttachSettings(&link);
    TFsure sure(&window);
    window.AttachDialogs({&sure, nullptr, nullptr, nullptr, nullptr});
    window.AddStartPath("/home/me/projects");
    ClickInNextModal("btn_yes");
    window.SB_save_pathClick();
    EXPECT_EQ(settings.DefaultPath(), "/home/me/projects/");
    EXPECT_EQ(settings.Document().GetAttr("DEFAULT_PATH"), "/home/me/projects/");
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
    EXPECT_EQ(launched[0], std::string(PublisherWebHost) + "/productlist");
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
    EXPECT_EQ(launched[1], std::string(PublisherWebHost) + "/adds/redirectsearch.html");
    EXPECT_EQ(window.findChild<QAction*>("N_Help1")->shortcut(), QKeySequence(Qt::Key_F1));
}

} // namespace

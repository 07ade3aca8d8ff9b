#include <gtest/gtest.h>

#include <QIcon>

#include "platform/Icons.h"

namespace {

struct ThemeCase {
    const char* current;
    std::vector<std::string> installed;
    const char* chosen;
};

TEST(IconTheme, DesktopThemeIsKeptOtherwiseAnInstalledOneWithFileIcons)
{
    const ThemeCase cases[] = {
        {"breeze", {"Adwaita", "breeze", "hicolor"}, "breeze"},          // the desktop's own
        {"", {"hicolor", "Adwaita", "default"}, "Adwaita"},              // none reported
        {"hicolor", {"default", "hicolor", "Adwaita"}, "Adwaita"},       // hicolor has no file icons
        {"hicolor", {"hicolor", "locolor", "default", "Faenza"}, "Faenza"},
        {"", {"hicolor"}, "hicolor"},                                    // nothing better installed
        {"", {}, "hicolor"},
    };
    for (const ThemeCase& c : cases)
        EXPECT_EQ(platform::ChooseIconTheme(c.current, c.installed), c.chosen) << "current '" << c.current << "'";
}

TEST(IconTheme, FoundFilesShowTheirTypesIconFromAnInstalledTheme)
{
    const std::vector<std::string> installed = platform::InstalledIconThemes();
    if (std::find(installed.begin(), installed.end(), "Adwaita") == installed.end())
        GTEST_SKIP() << "the Adwaita icon theme is not installed";
    const QString savedTheme = QIcon::themeName();
    QIcon::setThemeName("hicolor");
    platform::UseInstalledIconTheme();
    EXPECT_EQ(QIcon::themeName(), "Adwaita");
    EXPECT_EQ(platform::FileIconForName("notes.txt").name(), "text-x-generic");
    EXPECT_EQ(platform::FileIconForName("holiday.png").name(), "image-x-generic");
    EXPECT_FALSE(platform::FileIconForName("Projects", true).isNull());
    QIcon::setThemeName(savedTheme);
}

TEST(IconTheme, BundledIconsStandInForMissingThemeIcons)
{
    const QString savedTheme = QIcon::themeName();
    QIcon::setThemeName("no-such-icon-theme");
    for (const char* name : {"media-playback-start", "edit-find", "document-open", "document-print-preview",
                             "preferences-system", "application-exit"})
        EXPECT_FALSE(platform::CommandIcon(name).availableSizes().isEmpty()) << name;
    EXPECT_TRUE(platform::ApplicationIcon().availableSizes().contains(QSize(256, 256)));
    QIcon::setThemeName(savedTheme);
}

} // namespace

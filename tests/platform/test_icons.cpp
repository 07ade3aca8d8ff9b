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

// A start icon drawn in greys reads as disabled; the run command then takes its coloured drawing.
TEST(CommandIcons, GreyDrawingsAreToldFromColouredOnes)
{
    const auto filled = [](QColor colour, QColor border) {
        QImage image(16, 16, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        for (int y = 4; y < 12; ++y)
            for (int x = 4; x < 12; ++x)
                image.setPixelColor(x, y, (x == 4 || y == 4) ? border : colour);
        return image;
    };
    struct Case { QImage image; bool colourless; };
    const Case cases[] = {
        {filled(QColor(240, 240, 240), QColor(120, 120, 120)), true},
        {filled(QColor(190, 190, 200), QColor(60, 60, 60)), true},   // a faint blue cast is still grey
        {filled(QColor(40, 160, 60), QColor(20, 80, 30)), false},
        {filled(QColor(128, 128, 128), QColor(220, 40, 40)), false},  // a red outline is colour
        {filled(Qt::transparent, Qt::transparent), true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(platform::LooksColourless(c.image), c.colourless);
    EXPECT_FALSE(platform::LooksColourless(platform::CommandIconInColour("media-playback-start").pixmap(32, 32).toImage()));
}

} // namespace

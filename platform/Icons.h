#pragma once
#include <QIcon>
#include <QImage>
#include <string>
#include <vector>

namespace platform {

// The small icon for a file, chosen by the MIME type its name suggests (its content is never
// read), from the icon theme; one look-up per type, then cached.
QIcon FileIconForName(const std::string& fileName, bool isDirectory = false);

// A command's icon by its icon theme name ("media-playback-start", "edit-find", "document-open",
// "document-print-preview", "preferences-system", "application-exit"): the theme's own, else the
// program's bundled drawing of it, so a command never shows a blank icon.
QIcon CommandIcon(const char* themeName);

// A command's icon that must look enabled when it is: the theme's own when it has colour, else the
// bundled drawing (some themes draw it in greys only, which reads as "disabled" beside coloured
// icons).
QIcon CommandIconInColour(const char* themeName);

// Whether a picture has (next to) no colour: its visible pixels are greys.
bool LooksColourless(const QImage& image);

// The application's icon: the installed one from the theme, else the bundled copy.
QIcon ApplicationIcon();

// The theme to use: the desktop's, unless it reports none or only "hicolor" (which has no file
// type icons); then an installed theme with such icons, the well-known complete ones first.
std::string ChooseIconTheme(const std::string& current, const std::vector<std::string>& installed);

// The names of the icon themes installed in Qt's icon search paths or the standard places
// (directories holding an index.theme).
std::vector<std::string> InstalledIconThemes();

// Switches to ChooseIconTheme's choice; called once at start-up, before any icon is looked up.
void UseInstalledIconTheme();

} // namespace platform

#include "platform/Icons.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QPixmap>
#include <QMimeDatabase>
#include <QStandardPaths>
#include <QStyle>
#include <algorithm>
#include <array>

namespace platform {

namespace {

bool Contains(const std::vector<std::string>& names, const std::string& name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

// A themed icon that the bundled resources hold at some of the given sizes.
QIcon BundledIcon(const QString& pattern, std::initializer_list<int> sizes)
{
    QIcon icon;
    for (int size : sizes) {
        const QString file = pattern.arg(size);
        if (QFile::exists(file))
            icon.addFile(file, QSize(size, size));
    }
    return icon;
}

} // namespace

QIcon FileIconForName(const std::string& fileName, bool isDirectory)
{
    static QMimeDatabase mimeDatabase;
    static QHash<QString, QIcon> cache;
    const QMimeType type = isDirectory ? mimeDatabase.mimeTypeForName("inode/directory")
                                       : mimeDatabase.mimeTypeForFile(QString::fromUtf8(fileName), QMimeDatabase::MatchExtension);
    const QString key = type.name();
    if (auto found = cache.constFind(key); found != cache.constEnd())
        return *found;
    QIcon icon = QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName()));
    if (icon.isNull() && !isDirectory)
        icon = QIcon::fromTheme("text-x-generic");
    if (icon.isNull())
        icon = QApplication::style()->standardIcon(isDirectory ? QStyle::SP_DirIcon : QStyle::SP_FileIcon);
    cache.insert(key, icon);
    return icon;
}

QIcon CommandIcon(const char* themeName)
{
    const QString name = QString::fromLatin1(themeName);
    return QIcon::fromTheme(name, BundledIcon(":/filekreller/icons/commands/" + name + "-%1.png", {16, 32}));
}

bool LooksColourless(const QImage& image)
{
    constexpr int kVisibleAlpha = 64;
    constexpr int kGreyChroma = 40;  // below this spread of red, green and blue a pixel is a grey
    const QImage pixels = image.convertToFormat(QImage::Format_ARGB32);
    std::int64_t visible = 0;
    std::int64_t coloured = 0;
    for (int y = 0; y < pixels.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        for (int x = 0; x < pixels.width(); ++x) {
            const QRgb p = line[x];
            if (qAlpha(p) < kVisibleAlpha)
                continue;
            ++visible;
            const int high = std::max({qRed(p), qGreen(p), qBlue(p)});
            const int low = std::min({qRed(p), qGreen(p), qBlue(p)});
            if (high - low >= kGreyChroma)
                ++coloured;
        }
    }
    // A few tinted pixels at the edges of an antialiased grey drawing do not make it coloured.
    return coloured * 20 < visible || visible == 0;
}

QIcon CommandIconInColour(const char* themeName)
{
    const QString name = QString::fromLatin1(themeName);
    const QIcon bundled = BundledIcon(":/filekreller/icons/commands/" + name + "-%1.png", {16, 32});
    const QIcon themed = QIcon::fromTheme(name);
    if (themed.isNull() || LooksColourless(themed.pixmap(32, 32).toImage()))
        return bundled.isNull() ? themed : bundled;
    return themed;
}

QIcon ApplicationIcon()
{
    return QIcon::fromTheme("filekreller", BundledIcon(":/filekreller/icons/hicolor/%1x%1/filekreller.png", {16, 32, 48, 64, 128, 256}));
}

std::string ChooseIconTheme(const std::string& current, const std::vector<std::string>& installed)
{
    if (!current.empty() && current != "hicolor")
        return current;
    static constexpr std::array kComplete = {"Adwaita", "breeze", "Papirus", "oxygen", "elementary", "Tango", "gnome"};
    for (const char* name : kComplete)
        if (Contains(installed, name))
            return name;
    // "default" only names the cursor theme; "locolor" holds next to nothing.
    for (const std::string& name : installed)
        if (name != "hicolor" && name != "locolor" && name != "default")
            return name;
    return current.empty() ? "hicolor" : current;
}

// Qt's search paths, and the standard places of installed themes: without a desktop's platform
// theme Qt looks for themes only in its own resources.
QStringList IconThemeSearchPaths()
{
    QStringList paths = QIcon::themeSearchPaths();
    QStringList standard = QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, "icons", QStandardPaths::LocateDirectory);
    standard.prepend(QDir::homePath() + "/.icons");
    for (const QString& path : standard)
        if (!paths.contains(path) && QDir(path).exists())
            paths << path;
    return paths;
}

std::vector<std::string> InstalledIconThemes()
{
    std::vector<std::string> names;
    for (const QString& path : IconThemeSearchPaths()) {
        const QDir dir(path);
        for (const QString& entry : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
            const std::string name = entry.toStdString();
            if (QFile::exists(dir.filePath(entry + "/index.theme")) && !Contains(names, name))
                names.push_back(name);
        }
    }
    return names;
}

void UseInstalledIconTheme()
{
    QIcon::setThemeSearchPaths(IconThemeSearchPaths());

    const std::string chosen = ChooseIconTheme(QIcon::themeName().toStdString(), InstalledIconThemes());
    QIcon::setThemeName(QString::fromStdString(chosen));
}

} // namespace platform

#include "platform/Icons.h"

#include <QApplication>
#include <QHash>
#include <QMimeDatabase>
#include <QStyle>

namespace platform {

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
    if (icon.isNull())
        icon = QApplication::style()->standardIcon(QStyle::SP_FileIcon);
    cache.insert(key, icon);
    return icon;
}

} // namespace platform

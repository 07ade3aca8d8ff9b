#include "platform/Reveal.h"

#include <QDBusConnection>
#include <QDBusMessage>

#include "platform/FileSystem.h"
#include "platform/Shell.h"
#include "platform/Text.h"

namespace platform {
namespace {

FolderOpener& ReplacedFolderOpener()
{
    static FolderOpener opener;
    return opener;
}

// A file manager that is not there, or hangs, must not hold up the window for long.
std::chrono::milliseconds& FileManagerTimeout()
{
    static std::chrono::milliseconds timeout = DefaultFileManagerTimeout;
    return timeout;
}

// The desktop's file manager interface: ShowItems(uris, startup id) selects the items in a window
// of their folder. False when there is no session bus or nobody answers.
bool ShowItemsInFileManager(const std::string& path)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall("org.freedesktop.FileManager1", "/org/freedesktop/FileManager1",
                                                       "org.freedesktop.FileManager1", "ShowItems");
    // The URL is ASCII (every other byte percent-encoded), so the name's bytes arrive unchanged.
    call << QStringList{QString::fromLatin1(FileUrl(path))} << QString();
    const QDBusMessage reply = bus.call(call, QDBus::Block, static_cast<int>(FileManagerTimeout().count()));
    return reply.type() == QDBusMessage::ReplyMessage;
}

int OpenFolder(const std::string& directory)
{
    if (const FolderOpener& replaced = ReplacedFolderOpener())
        return replaced(directory);
    return OpenWithAssociatedApplication(directory);
}

} // namespace

int RevealInFileManager(const std::string& path)
{
    if (!path.empty() && path.front() == '/' && ShowItemsInFileManager(path))
        return orStarted;
    return OpenFolder(ParentDirectory(path));
}

void SetFolderOpener(FolderOpener opener)
{
    ReplacedFolderOpener() = std::move(opener);
}

void SetFileManagerTimeout(std::chrono::milliseconds timeout)
{
    FileManagerTimeout() = timeout;
}

} // namespace platform

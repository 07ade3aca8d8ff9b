#include "platform/Reveal.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>

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
// of their folder. answered is told whether the file manager did so; at once when there is no
// session bus.
void ShowItemsInFileManager(const std::string& path, std::function<void(bool shown)> answered)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        answered(false);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall("org.freedesktop.FileManager1", "/org/freedesktop/FileManager1",
                                                       "org.freedesktop.FileManager1", "ShowItems");
    // The URL is ASCII (every other byte percent-encoded), so the name's bytes arrive unchanged.
    call << QStringList{QString::fromLatin1(FileUrl(path))} << QString();
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, static_cast<int>(FileManagerTimeout().count())));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, [answered = std::move(answered)](QDBusPendingCallWatcher* done) {
        done->deleteLater();
        answered(!done->isError());
    });
}

int OpenFolder(const std::string& directory)
{
    if (const FolderOpener& replaced = ReplacedFolderOpener())
        return replaced(directory);
    return OpenWithAssociatedApplication(directory);
}

} // namespace

void RevealInFileManager(const std::string& path, RevealDone done)
{
    if (path.empty() || path.front() != '/') {
        done(OpenFolder(ParentDirectory(path)));
        return;
    }
    ShowItemsInFileManager(path, [path, done = std::move(done)](bool shown) {
        done(shown ? orStarted : OpenFolder(ParentDirectory(path)));
    });
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

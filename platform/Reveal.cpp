#include "platform/Reveal.h"

#include <QDBusConnection>
#include <QDBusMessage>

#include "platform/FileSystem.h"
#include "platform/Shell.h"
#include "platform/Text.h"

namespace platform {
namespace {

// A file manager that is not there, or hangs, must not hold up the window for long.
constexpr int kFileManagerTimeoutMs = 3000;

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
    const QDBusMessage reply = bus.call(call, QDBus::Block, kFileManagerTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage;
}

} // namespace

int RevealInFileManager(const std::string& path)
{
    if (!path.empty() && path.front() == '/' && ShowItemsInFileManager(path))
        return orStarted;
    return OpenWithAssociatedApplication(ParentDirectory(path));
}

} // namespace platform

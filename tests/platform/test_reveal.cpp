#include "platform/Reveal.h"
#include "platform/Shell.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QEventLoop>
#include <QFile>
#include <QMutex>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>
#include <optional>

namespace {

using namespace std::chrono_literals;

const QString FileManagerService = "org.freedesktop.FileManager1";
const QString FileManagerPath = "/org/freedesktop/FileManager1";

// A bus of the test program's own: no test reaches the desktop's session bus, and since it knows
// no service files, asking for a file manager that is not there starts none.
class PrivateBus {
public:
    // The bus address, or nothing when no bus daemon can be started here.
    std::optional<QString> Start()
    {
        const QString daemon = QStandardPaths::findExecutable("dbus-daemon");
        if (daemon.isEmpty() || !dir_.isValid())
            return std::nullopt;
        QFile config(dir_.filePath("bus.conf"));
        if (!config.open(QIODevice::WriteOnly))
            return std::nullopt;
        config.write("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                     " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                     "<busconfig><type>session</type><listen>unix:dir=" + dir_.path().toUtf8() + "</listen>"
                     "<auth>EXTERNAL</auth><policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
                     "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n");
        config.close();
        daemon_.start(daemon, {"--config-file=" + config.fileName(), "--print-address", "--nofork"});
        if (!daemon_.waitForStarted(5000))
            return std::nullopt;
        while (!daemon_.canReadLine() && daemon_.waitForReadyRead(5000)) {
        }
        const QString address = QString::fromUtf8(daemon_.readLine()).trimmed();
        return address.isEmpty() ? std::nullopt : std::optional(address);
    }

    ~PrivateBus()
    {
        daemon_.kill();
        daemon_.waitForFinished(5000);
    }

private:
    QTemporaryDir dir_;
    QProcess daemon_;
};

// How the fake file manager treats a call.
enum class Answer { Reply, Error, Never };

// The file manager's object: records every call and answers it as told. It lives on a thread of
// its own, since the program's thread waits for the answer.
class FakeFileManagerObject : public QDBusVirtualObject {
public:
    explicit FakeFileManagerObject(Answer answer) : answer_(answer) {}

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        {
            QMutexLocker lock(&mutex_);
            calls_.push_back(message);
        }
        if (answer_ == Answer::Reply)
            connection.send(message.createReply());
        else if (answer_ == Answer::Error)
            connection.send(message.createErrorReply(QDBusError::Failed, "no window"));
        return true;
    }

    QString introspect(const QString&) const override { return {}; }

    std::vector<QDBusMessage> Calls() const
    {
        QMutexLocker lock(&mutex_);
        return calls_;
    }

private:
    const Answer answer_;
    mutable QMutex mutex_;
    std::vector<QDBusMessage> calls_;
};

// The file manager's service on the private bus, for as long as it lives.
class FakeFileManager {
public:
    FakeFileManager(const QString& address, Answer answer)
        : connection_(QDBusConnection::connectToBus(address, "fake-file-manager")), object_(new FakeFileManagerObject(answer))
    {
        thread_.start();
        object_->moveToThread(&thread_);
        Registered = connection_.registerVirtualObject(FileManagerPath, object_.get()) &&
                     connection_.registerService(FileManagerService);
    }

    ~FakeFileManager()
    {
        connection_.unregisterService(FileManagerService);
        connection_.unregisterObject(FileManagerPath);
        QDBusConnection::disconnectFromBus("fake-file-manager");
        thread_.quit();
        thread_.wait();
    }

    std::vector<QDBusMessage> Calls() const { return object_->Calls(); }

    bool Registered = false;

private:
    QDBusConnection connection_;
    QThread thread_;
    std::unique_ptr<FakeFileManagerObject> object_;
};

class RevealFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        bus_ = new PrivateBus;
        if (const std::optional<QString> address = bus_->Start()) {
            address_ = *address;
            // Read once, by the first use of the session bus: from here on it is the private one.
            qputenv("DBUS_SESSION_BUS_ADDRESS", address_.toUtf8());
        }
    }

    static void TearDownTestSuite()
    {
        delete bus_;
        bus_ = nullptr;
    }

    void SetUp() override
    {
        if (address_.isEmpty())
            GTEST_SKIP() << "no dbus-daemon could be started for a private bus";
        if (!SessionBusIsPrivate())
            GTEST_SKIP() << "this test program was connected to another session bus before";
        platform::SetFolderOpener([this](const std::string& directory) {
            opened_.push_back(directory);
            return openResult_;
        });
        platform::SetFileManagerTimeout(300ms);
    }

    void TearDown() override
    {
        platform::SetFolderOpener({});
        platform::SetFileManagerTimeout(platform::DefaultFileManagerTimeout);
    }

    // True when the program's session bus is the one this test started: a name owned there is
    // seen by it.
    static bool SessionBusIsPrivate()
    {
        bool seen = false;
        {
            QDBusConnection probe = QDBusConnection::connectToBus(address_, "reveal-probe");
            seen = probe.registerService("org.filekreller.RevealTest") &&
                   QDBusConnection::sessionBus().interface()->isServiceRegistered("org.filekreller.RevealTest");
        }
        QDBusConnection::disconnectFromBus("reveal-probe");
        return seen;
    }

    // Reveals path and lets events run until the reveal is done; counts the rounds of a timer that
    // ticks meanwhile, as the window's own work would.
    int Reveal(const std::string& path)
    {
        std::optional<int> result;
        QEventLoop loop;
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, [this] { ++ticksWhileWaiting_; });
        ticker.start(10);
        ticksWhileWaiting_ = 0;
        platform::RevealInFileManager(path, [&](int r) {
            result = r;
            loop.quit();
        });
        if (!result)
            loop.exec();
        return *result;
    }

    static inline PrivateBus* bus_ = nullptr;
    static inline QString address_;
    std::vector<std::string> opened_;
    int openResult_ = platform::orStarted;
    int ticksWhileWaiting_ = 0;
};

TEST_F(RevealFixture, TheFileManagerIsAskedToShowTheFileByItsExactBytes)
{
    FakeFileManager manager(address_, Answer::Reply);
    ASSERT_TRUE(manager.Registered);

    EXPECT_EQ(Reveal("/data/caf\xE9 50%/r\xC3\xA9sum\xC3\xA9.txt"), platform::orStarted);

    const std::vector<QDBusMessage> calls = manager.Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].interface(), FileManagerService);
    EXPECT_EQ(calls[0].member(), "ShowItems");
    const QList<QVariant> arguments = calls[0].arguments();
    ASSERT_EQ(arguments.size(), 2);
    const QStringList uris = arguments[0].toStringList();
    ASSERT_EQ(uris.size(), 1);
    EXPECT_EQ(uris[0].toStdString(), "file:///data/caf%E9%2050%25/r%C3%A9sum%C3%A9.txt");
    EXPECT_EQ(arguments[1].toString(), QString());
    EXPECT_TRUE(opened_.empty());
}

TEST_F(RevealFixture, WithoutAnAnsweringFileManagerTheFolderIsOpened)
{
    struct Case {
        const char* what;
        std::optional<Answer> answer;  // nothing: no file manager on the bus
        int openResult;
    };
    for (const Case& c : {Case{"none on the bus", std::nullopt, platform::orStarted},
                          Case{"one that fails", Answer::Error, platform::orStarted},
                          Case{"one that never answers", Answer::Never, platform::orNoAssociation}}) {
        std::optional<FakeFileManager> manager;
        if (c.answer) {
            manager.emplace(address_, *c.answer);
            ASSERT_TRUE(manager->Registered) << c.what;
        }
        opened_.clear();
        openResult_ = c.openResult;
        EXPECT_EQ(Reveal("/data/sub/caf\xE9.txt"), c.openResult) << c.what;
        if (c.answer == Answer::Never) {
            EXPECT_GT(ticksWhileWaiting_, 5) << "the window goes on answering while the file manager keeps silent";
        }
        EXPECT_EQ(opened_, std::vector<std::string>{"/data/sub"}) << c.what;
        if (manager) {
            EXPECT_EQ(manager->Calls().size(), 1u) << c.what;
        }
    }
}

TEST_F(RevealFixture, ARelativePathGoesStraightToItsFolder)
{
    FakeFileManager manager(address_, Answer::Reply);
    EXPECT_EQ(Reveal("sub/a.txt"), platform::orStarted);
    EXPECT_TRUE(manager.Calls().empty());
    EXPECT_EQ(opened_, std::vector<std::string>{"sub"});
}

} // namespace

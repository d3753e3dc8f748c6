// One viewer per help file: the server runs on this thread's event loop, the second viewer's
// side runs on a worker thread, as it would in a second process.
#include "help_server.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <random>

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#ifdef Q_OS_UNIX
#include <cstring>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

constexpr int kTimeoutMs = 5000;

QString uniqueName()
{
    static std::mt19937_64 random{std::random_device{}()};
    return QDir::temp().filePath(QStringLiteral("kaz-help-test-") + QString::number(random(), 16));
}

// Runs work on a thread of its own; finished() turns true when it has returned.
class Worker {
public:
    explicit Worker(std::function<void()> work) : thread_(QThread::create(std::move(work)))
    {
        thread_->start();
    }
    ~Worker() { thread_->wait(); }
    bool finished() const { return thread_->isFinished(); }

private:
    std::unique_ptr<QThread> thread_;
};

const HelpRequest kContext259{HelpAction::Context, 259, {}};
const HelpRequest kForceFile{HelpAction::ForceFile, 0, {}};

TEST(HelpServerName, LiesInTheFolderAndTellsFilesAndDisplaysApart)
{
    const QString folder = QStringLiteral("/run/user/1000");
    const QString file = QStringLiteral("/home/x/DODADIZE.HLP");
    const QString first = QStringLiteral("x11=:0 wayland=");
    const QString name = helpServerName(folder, file, first);
    EXPECT_EQ(name, helpServerName(folder, file, first));
    const struct {
        const char* what;
        QString other;
    } differences[] = {
        {"second_x_display", helpServerName(folder, file, QStringLiteral("x11=:1 wayland="))},
        {"wayland_display", helpServerName(folder, file, QStringLiteral("x11=:0 wayland=w-1"))},
        {"other_file", helpServerName(folder, QStringLiteral("/home/y/DODADIZE.HLP"), first)},
        {"parts_shifted",
         helpServerName(folder, file + QStringLiteral("x11=:0"), QStringLiteral(" wayland="))},
    };
    for (const auto& d : differences)
        EXPECT_NE(name, d.other) << d.what;
    const QString odd =
        helpServerName(folder, QStringLiteral("/ü/ä b.HLP"), QStringLiteral("ä/.."));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^/run/user/1000/kaz-help-[0-9a-f]{16}$"))
                    .match(odd)
                    .hasMatch())
        << odd.toStdString();
}

TEST(HelpForward, NobodyListening)
{
    EXPECT_EQ(forwardHelpRequest(uniqueName(), kForceFile, kTimeoutMs), ForwardResult::NoViewer);
}

TEST(HelpForward, RunningViewerGetsTheRequestAndAcknowledges)
{
    const QString name = uniqueName();
    HelpServer server;
    ASSERT_TRUE(server.listen(name));
    QSignalSpy received(&server, &HelpServer::requestReceived);

    std::atomic<ForwardResult> result{ForwardResult::NoViewer};
    Worker second([&] { result = forwardHelpRequest(name, kContext259, kTimeoutMs); });
    QTRY_VERIFY_WITH_TIMEOUT(second.finished(), kTimeoutMs);

    EXPECT_EQ(result.load(), ForwardResult::Delivered);
    ASSERT_EQ(received.count(), 1);
    EXPECT_EQ(received.at(0).at(0).value<HelpRequest>(), kContext259);
}

TEST(HelpForward, SecondStartReachesTheFirstInsteadOfServing)
{
    const QString name = uniqueName();
    HelpServer first;
    ASSERT_EQ(startOrForward(first, name, kForceFile, kTimeoutMs, [] {}), StartOutcome::Serving);
    EXPECT_TRUE(first.isListening());
    QSignalSpy received(&first, &HelpServer::requestReceived);

    std::atomic<StartOutcome> outcome{StartOutcome::Alone};
    std::atomic<bool> secondListens{true};
    Worker second([&] {
        HelpServer server;
        bool becameViewer = false;
        outcome =
            startOrForward(server, name, kContext259, kTimeoutMs, [&] { becameViewer = true; });
        secondListens = server.isListening() || becameViewer;
    });
    QTRY_VERIFY_WITH_TIMEOUT(second.finished(), kTimeoutMs);

    EXPECT_EQ(outcome.load(), StartOutcome::Forwarded);
    EXPECT_FALSE(secondListens.load());
    ASSERT_EQ(received.count(), 1);
    EXPECT_EQ(received.at(0).at(0).value<HelpRequest>(), kContext259);
}

TEST(HelpForward, LiveViewerIsNotTakenOver)
{
    const QString name = uniqueName();
    HelpServer first;
    ASSERT_TRUE(first.listen(name));
    HelpServer second;
    EXPECT_FALSE(second.listen(name));
    EXPECT_TRUE(first.isListening());
}

TEST(HelpForward, GarbageIsAnsweredWithErrorAndNotActedOn)
{
    const QString name = uniqueName();
    HelpServer server;
    ASSERT_TRUE(server.listen(name));
    QSignalSpy received(&server, &HelpServer::requestReceived);

    QByteArray reply;
    Worker client([&] {
        QLocalSocket socket;
        socket.connectToServer(name);
        if (!socket.waitForConnected(kTimeoutMs)) return;
        socket.write("KAZ-HELP/1 open 3\n");
        socket.waitForBytesWritten(kTimeoutMs);
        while (!reply.contains('\n') && socket.waitForReadyRead(kTimeoutMs))
            reply += socket.readAll();
    });
    QTRY_VERIFY_WITH_TIMEOUT(client.finished(), kTimeoutMs);
    EXPECT_EQ(reply, QByteArray("error\n"));
    EXPECT_EQ(received.count(), 0);
}

// A listener that is not a viewer: it hangs up at once, or keeps silent.
class FakeViewer {
public:
    FakeViewer(const QString& name, bool hangUp)
    {
        server_.listen(name);
        QObject::connect(&server_, &QLocalServer::newConnection, &server_, [this, hangUp] {
            while (QLocalSocket* socket = server_.nextPendingConnection()) {
                if (hangUp) socket->abort();
            }
        });
    }

private:
    QLocalServer server_;
};

TEST(HelpForward, ViewerThatHangsUpCountsAsNone)
{
    const QString name = uniqueName();
    FakeViewer closing(name, true);
    std::atomic<ForwardResult> result{ForwardResult::Delivered};
    Worker second([&] { result = forwardHelpRequest(name, kForceFile, kTimeoutMs); });
    QTRY_VERIFY_WITH_TIMEOUT(second.finished(), kTimeoutMs);
    EXPECT_EQ(result.load(), ForwardResult::NoViewer);
}

TEST(HelpForward, SilentViewerIsUnconfirmed)
{
    const QString name = uniqueName();
    FakeViewer silent(name, false);
    constexpr int kShortMs = 200;
    std::atomic<ForwardResult> result{ForwardResult::Delivered};
    Worker second([&] { result = forwardHelpRequest(name, kForceFile, kShortMs); });
    QTRY_VERIFY_WITH_TIMEOUT(second.finished(), kTimeoutMs);
    EXPECT_EQ(result.load(), ForwardResult::Unconfirmed);
}

#ifdef Q_OS_UNIX
// A socket file that nobody listens on, as a crashed viewer leaves it.
bool leaveStaleSocket(const QString& path)
{
    const QByteArray bytes = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (static_cast<std::size_t>(bytes.size()) >= sizeof(address.sun_path)) return false;
    std::copy(bytes.begin(), bytes.end(), address.sun_path);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    ::close(fd);
    return bound;
}

TEST(HelpForward, SocketLeftByACrashedViewerIsTakenOver)
{
    const QString name = uniqueName();
    ASSERT_TRUE(leaveStaleSocket(QDir::temp().filePath(name)));
    HelpServer server;
    EXPECT_EQ(startOrForward(server, name, kForceFile, kTimeoutMs, [] {}), StartOutcome::Serving);
    EXPECT_TRUE(server.isListening());
}
#endif

// The first viewer is still busy showing its first page, as with a help file that takes long
// to lay out: a second start then must not hand its request to a viewer that cannot answer.
TEST(HelpForward, ViewerListensOnlyOnceItCanAnswer)
{
    constexpr int kShortMs = 300;
    const QString name = uniqueName();
    HelpServer first;
    bool listenedEarly = true;
    std::atomic<StartOutcome> secondOutcome{StartOutcome::Forwarded};
    std::atomic<bool> secondBecameViewer{false};
    const StartOutcome firstOutcome = startOrForward(first, name, kForceFile, kShortMs, [&] {
        listenedEarly = first.isListening();
        // Busy: no event is processed until the second start has given up or taken over.
        Worker second([&] {
            HelpServer server;
            secondOutcome = startOrForward(server, name, kContext259, kShortMs,
                                           [&] { secondBecameViewer = true; });
        });
    });
    EXPECT_FALSE(listenedEarly);
    EXPECT_NE(secondOutcome.load(), StartOutcome::Forwarded) << "the request was swallowed";
    EXPECT_TRUE(secondBecameViewer.load());
    EXPECT_EQ(firstOutcome, StartOutcome::Serving) << "the second viewer has ended meanwhile";
    EXPECT_TRUE(first.isListening());
}

#ifdef Q_OS_UNIX
// A socket of another user where ours is expected: nothing may be sent to it.
TEST(HelpForward, ListenerOfAnotherUserGetsNothing)
{
    if (::getuid() != 0) GTEST_SKIP() << "needs root to act as another user";
    TempDir folder;
    fs::permissions(folder.path(), fs::perms::all);
    const fs::path socketPath = folder.path() / "s";
    int ready[2];
    int report[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(report), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Only async-signal-safe calls here: the parent has threads.
        if (::setuid(65534) != 0) ::_exit(1);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, socketPath.c_str(), sizeof(address.sun_path) - 1);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
            ::listen(fd, 4) != 0)
            ::_exit(2);
        (void)!::write(ready[1], "r", 1);
        const int connection = ::accept(fd, nullptr, nullptr);
        pollfd wait{connection, POLLIN, 0};
        char byte = 0;
        const bool received = ::poll(&wait, 1, 10000) == 1 && ::read(connection, &byte, 1) == 1;
        (void)!::write(report[1], received ? "y" : "n", 1);
        ::_exit(0);
    }
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);

    const QString name = QString::fromStdString(socketPath.string());
    EXPECT_EQ(forwardHelpRequest(name, kContext259, kTimeoutMs), ForwardResult::NoViewer);
    ASSERT_EQ(::read(report[0], &byte, 1), 1);
    EXPECT_EQ(byte, 'n') << "the request reached the other user";
    int status = 0;
    ::waitpid(child, &status, 0);
    for (const int fd : {ready[0], ready[1], report[0], report[1]})
        ::close(fd);
}
#endif

} // namespace

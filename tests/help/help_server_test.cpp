// One viewer per help file: the server runs on this thread's event loop, the second viewer's
// side runs on a worker thread, as it would in a second process.
#include "help_server.h"

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
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#endif

namespace {

constexpr int kTimeoutMs = 5000;

QString uniqueName()
{
    static std::mt19937_64 random{std::random_device{}()};
    return QStringLiteral("kaz-help-test-") + QString::number(random(), 16);
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

TEST(HelpServerName, DependsOnUserAndFileOnly)
{
    const QString a =
        helpServerName(QStringLiteral("/home/x/DODADIZE.HLP"), QStringLiteral("anna1000"));
    EXPECT_EQ(a,
              helpServerName(QStringLiteral("/home/x/DODADIZE.HLP"), QStringLiteral("anna1000")));
    EXPECT_NE(a,
              helpServerName(QStringLiteral("/home/y/DODADIZE.HLP"), QStringLiteral("anna1000")));
    EXPECT_NE(a, helpServerName(QStringLiteral("/home/x/DODADIZE.HLP"), QStringLiteral("ben1001")));
    const QString odd = helpServerName(QStringLiteral("/ü/ä b.HLP"), QStringLiteral("ä/../x y"));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^[A-Za-z0-9-]+$")).match(odd).hasMatch())
        << odd.toStdString();
    EXPECT_LE(odd.size(), 70) << "fits a socket path";
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
    ASSERT_EQ(startOrForward(first, name, kForceFile, kTimeoutMs), StartOutcome::Serving);
    EXPECT_TRUE(first.isListening());
    QSignalSpy received(&first, &HelpServer::requestReceived);

    std::atomic<StartOutcome> outcome{StartOutcome::Alone};
    std::atomic<bool> secondListens{true};
    Worker second([&] {
        HelpServer server;
        outcome = startOrForward(server, name, kContext259, kTimeoutMs);
        secondListens = server.isListening();
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
    EXPECT_EQ(startOrForward(server, name, kForceFile, kTimeoutMs), StartOutcome::Serving);
    EXPECT_TRUE(server.isListening());
}
#endif

} // namespace

#include "help_server.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QLockFile>
#include <QPointer>

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <unistd.h>
#endif

namespace {

// How long a probe waits for a viewer that may have crashed, in ms.
constexpr int kProbeTimeoutMs = 300;

void finishConnection(QLocalSocket* socket, std::string_view reply)
{
    socket->write(reply.data(), static_cast<qint64>(reply.size()));
    socket->flush();
    socket->disconnectFromServer();
}

} // namespace

QString helpServerName(const QString& absoluteHelpPath, const QString& userName)
{
    const QByteArray digest =
        QCryptographicHash::hash(absoluteHelpPath.toUtf8(), QCryptographicHash::Sha256);
    QString user;
    for (const QChar c : userName) {
        if (c.isLetterOrNumber() && c.unicode() < 0x80) user += c;
    }
    if (user.isEmpty()) user = QStringLiteral("user");
    return QStringLiteral("kaz-help-") + user.left(32) + QLatin1Char('-') +
           QString::fromLatin1(digest.left(8).toHex());
}

QString currentUserName()
{
#ifdef Q_OS_UNIX
    // The uid as well as the name: two accounts never share a name, even with odd user names.
    QString name = QString::number(getuid());
    if (const passwd* pw = getpwuid(getuid())) name = QString::fromLocal8Bit(pw->pw_name) + name;
    return name;
#else
    return qEnvironmentVariable("USERNAME", QStringLiteral("user"));
#endif
}

HelpServer::HelpServer(QObject* parent) : QObject(parent)
{
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, &HelpServer::acceptConnections);
}

bool HelpServer::listen(const QString& name)
{
    // Ask first: depending on its socket options, QLocalServer may replace a socket file
    // without noticing that a live viewer still listens on it.
    QLocalSocket probe;
    probe.connectToServer(name);
    if (probe.waitForConnected(kProbeTimeoutMs)) {
        probe.abort();
        return false;
    }
    // Nobody answers: a socket file left there is what a crashed viewer left behind.
    QLocalServer::removeServer(name);
    return server_.listen(name);
}

void HelpServer::acceptConnections()
{
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) {
                if (socket->bytesAvailable() > static_cast<qint64>(kMaxHelpMessageBytes) + 1)
                    socket->abort();
                return;
            }
            const QByteArray line = socket->readLine(kMaxHelpMessageBytes + 2);
            const auto request = decodeHelpMessage(
                std::string_view(line.constData(), static_cast<std::size_t>(line.size())));
            socket->disconnect(this);
            finishConnection(socket, request ? kHelpReplyOk : kHelpReplyError);
            if (request) emit requestReceived(*request);
        });
    }
}

ForwardResult forwardHelpRequest(const QString& name, const HelpRequest& request, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(timeoutMs)) return ForwardResult::NoViewer;
    const std::string message = encodeHelpMessage(request);
    socket.write(message.data(), static_cast<qint64>(message.size()));
    if (!socket.waitForBytesWritten(timeoutMs)) return ForwardResult::NoViewer;

    QByteArray reply;
    const QDeadlineTimer deadline(timeoutMs);
    while (!reply.contains('\n')) {
        if (!socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
            reply += socket.readAll();
            if (reply.contains('\n')) break;
            return socket.state() == QLocalSocket::ConnectedState ? ForwardResult::Unconfirmed
                                                                  : ForwardResult::NoViewer;
        }
        reply += socket.readAll();
    }
    return reply.startsWith(QByteArray::fromRawData(kHelpReplyOk.data(),
                                                    static_cast<qsizetype>(kHelpReplyOk.size())))
               ? ForwardResult::Delivered
               : ForwardResult::Rejected;
}

StartOutcome startOrForward(HelpServer& server, const QString& name, const HelpRequest& request,
                            int timeoutMs)
{
    QLockFile lock(QDir::temp().filePath(name + QStringLiteral(".lock")));
    // Without the lock (a stuck holder) go on regardless: a second window is the lesser harm.
    lock.tryLock(2 * timeoutMs);

    switch (forwardHelpRequest(name, request, timeoutMs)) {
    case ForwardResult::Delivered:
    case ForwardResult::Rejected:
    case ForwardResult::Unconfirmed:
        return StartOutcome::Forwarded;
    case ForwardResult::NoViewer:
        break;
    }
    if (server.listen(name)) return StartOutcome::Serving;
    // The name is taken after all: a viewer came up between our try and our listening.
    if (forwardHelpRequest(name, request, timeoutMs) != ForwardResult::NoViewer)
        return StartOutcome::Forwarded;
    return StartOutcome::Alone;
}

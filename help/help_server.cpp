#include "help_server.h"

#include "help_channel.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QLockFile>

#include <unistd.h>

namespace {

// How long a probe waits for a viewer that may have crashed, in ms.
constexpr int kProbeTimeoutMs = 300;

// Whether the other end of a connected socket runs as this user; nothing is sent to or taken
// from anyone else.
bool peerIsUs(const QLocalSocket& socket)
{
    const auto uid = socketPeerUid(static_cast<int>(socket.socketDescriptor()));
    return uid && *uid == ::getuid();
}

QString lockFilePath(const QString& name)
{
    return (QDir::isAbsolutePath(name) ? name : QDir::temp().filePath(name)) +
           QStringLiteral(".lock");
}

void finishConnection(QLocalSocket* socket, std::string_view reply)
{
    socket->write(reply.data(), static_cast<qint64>(reply.size()));
    socket->flush();
    socket->disconnectFromServer();
}

} // namespace

QString helpServerName(const QString& folder, const QString& absoluteHelpPath,
                       const QString& display)
{
    // A NUL between the parts: no path and display can pass for another pair.
    const QByteArray key = absoluteHelpPath.toUtf8() + '\0' + display.toUtf8();
    const QByteArray digest = QCryptographicHash::hash(key, QCryptographicHash::Sha256);
    return QDir(folder).filePath(QStringLiteral("kaz-help-") +
                                 QString::fromLatin1(digest.left(8).toHex()));
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
        const bool ours = peerIsUs(probe);
        probe.abort();
        if (ours) return false;
    }
    // Nobody of ours answers: a socket file left there is what a crashed viewer left behind.
    QLocalServer::removeServer(name);
    return server_.listen(name);
}

void HelpServer::acceptConnections()
{
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        if (!peerIsUs(*socket)) {
            socket->abort();
            continue;
        }
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
    if (!peerIsUs(socket)) return ForwardResult::NoViewer;
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
                            int timeoutMs, const std::function<void()>& becomeViewer)
{
    QLockFile lock(lockFilePath(name));
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
    becomeViewer();
    if (server.listen(name)) return StartOutcome::Serving;
    // The name is taken after all: a viewer came up between our try and our listening.
    if (forwardHelpRequest(name, request, timeoutMs) != ForwardResult::NoViewer)
        return StartOutcome::Forwarded;
    return StartOutcome::Alone;
}

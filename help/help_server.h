#pragma once

#include "help_command.h"

#include <functional>

#include <QLocalServer>
#include <QMetaType>
#include <QObject>
#include <QString>

Q_DECLARE_METATYPE(HelpRequest)

// One viewer per help file and display. The first viewer for a file listens on a local socket
// in the user's private folder (help_channel.h), named from the file's absolute path and the
// display; a later one hands its request to it and ends. Both ends talk only to a process of
// their own user. The request travels as one line (see help_command.h), which the running
// viewer acknowledges before it acts on it.

// "<folder>/kaz-help-<16 hex digits of the SHA-256 of path and display>": short enough for a
// socket path, distinct per file and display.
QString helpServerName(const QString& folder, const QString& absoluteHelpPath,
                       const QString& display);

// The listening side, owned by the running viewer.
class HelpServer : public QObject {
    Q_OBJECT
public:
    explicit HelpServer(QObject* parent = nullptr);

    // Listens under the name, taking it over when it is left from a viewer that crashed or held
    // by another user. False when a viewer of ours answers under the name, or the socket cannot
    // be made.
    bool listen(const QString& name);
    bool isListening() const { return server_.isListening(); }

signals:
    // Emitted after the request was acknowledged to its sender.
    void requestReceived(const HelpRequest& request);

private:
    void acceptConnections();

    QLocalServer server_;
};

enum class ForwardResult {
    Delivered,   // the running viewer acknowledged the request
    Rejected,    // a viewer answers under the name but did not understand the request
    Unconfirmed, // a viewer took the request but did not answer in time
    NoViewer,    // nobody of ours listens, or the listener went away without answering
};

// The sending side: blocks for at most about timeoutMs per step; needs no event loop.
ForwardResult forwardHelpRequest(const QString& name, const HelpRequest& request, int timeoutMs);

enum class StartOutcome {
    Forwarded, // a running viewer took the request; this process has nothing more to do
    Serving,   // server listens: this process is the viewer for the file
    Alone,     // no viewer answered and the name could not be taken; show the file anyway
};

// Hands the request to a running viewer, or else calls becomeViewer (which makes the window and
// shows the first page) and only then makes the server listen: a request is never accepted by
// a viewer that cannot answer yet. A viewer stuck before listening thus leaves the name free
// for the next start. A lock file beside the socket keeps two viewers started at the same
// moment from both becoming the viewer.
StartOutcome startOrForward(HelpServer& server, const QString& name, const HelpRequest& request,
                            int timeoutMs, const std::function<void()>& becomeViewer);

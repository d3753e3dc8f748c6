#pragma once

#include <functional>

#include <QObject>

class QSocketNotifier;

// Tells the GUI thread when the desktop ends the program: SIGTERM (what a desktop sends at
// logout), SIGHUP (the terminal or the session went). The handler only writes a byte into a
// pipe; `onEnd` runs later from the event loop, where it may use every part of the program.
// While a watch lives it owns both signals' handlers; destroying it restores the defaults.
// POSIX signals: another system would need a watch of its own.
class SessionEndWatch : public QObject {
public:
    explicit SessionEndWatch(std::function<void()> onEnd);
    ~SessionEndWatch() override;

    SessionEndWatch(const SessionEndWatch&) = delete;
    SessionEndWatch& operator=(const SessionEndWatch&) = delete;

private:
    std::function<void()> onEnd_;
    QSocketNotifier* notifier_ = nullptr;
};

#pragma once

#include <thread>

// Connects to the D-Bus session bus on a helper thread. Qt's accessibility bridge connects to
// it when the first widget changes, and waits for it (a few milliseconds; without a session
// bus, the failed attempt to start one takes longer). Started once the QApplication exists, the
// connection is there or on its way by then, while the window is being built. Where Qt has no
// D-Bus, or no thread can be started, it does nothing.
class SessionBusWarmUp {
public:
    SessionBusWarmUp();
    ~SessionBusWarmUp();
    SessionBusWarmUp(const SessionBusWarmUp&) = delete;
    SessionBusWarmUp& operator=(const SessionBusWarmUp&) = delete;

private:
    std::thread thread_;
};

#pragma once

#include <thread>

// Connects to the desktop's session bus on a helper thread while the window is made. The
// accessibility bridge connects on the first control it is told of and waits for the bus there
// (with no bus running, until one is launched: over 10 ms); begun early, the connection is
// ready or nearly so by then, and the window is made meanwhile. Made right after the
// QApplication; does nothing where the platform has no such bridge (offscreen, Windows, macOS),
// where Qt has no D-Bus module, or when no thread can be started.
class SessionBusWarmUp {
public:
    SessionBusWarmUp();
    ~SessionBusWarmUp(); // waits for the connection attempt
    SessionBusWarmUp(const SessionBusWarmUp&) = delete;
    SessionBusWarmUp& operator=(const SessionBusWarmUp&) = delete;

private:
    std::thread thread_;
};

#include "session_bus_warm_up.h"

#include <system_error>

#ifdef KAZ_HAVE_QT_DBUS
#include <QDBusConnection>
#endif

SessionBusWarmUp::SessionBusWarmUp()
{
#ifdef KAZ_HAVE_QT_DBUS
    try {
        // Qt keeps one session bus connection per process, made under a lock: a later caller
        // gets this one, or waits for it to be made.
        thread_ = std::thread([] { (void)QDBusConnection::sessionBus(); });
    } catch (const std::system_error&) {
        // No thread: the connection is made when Qt first needs it.
    }
#endif
}

SessionBusWarmUp::~SessionBusWarmUp()
{
    if (thread_.joinable())
        thread_.join();
}

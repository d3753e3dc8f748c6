#include "session_bus_warm_up.h"

#include <system_error>

#include <QGuiApplication>
#include <QString>

#ifdef KAZ_HAVE_QTDBUS
#include <QDBusConnection>
#endif

SessionBusWarmUp::SessionBusWarmUp()
{
#ifdef KAZ_HAVE_QTDBUS
    const QString platform = QGuiApplication::platformName();
    if (platform != QLatin1String("xcb") && !platform.startsWith(QLatin1String("wayland"))) return;
    try {
        // The connection is shared: the bridge's own call finds it made, or waits for it.
        thread_ = std::thread([] { (void)QDBusConnection::sessionBus(); });
    } catch (const std::system_error&) {
        // No thread: the bridge connects when it first needs the bus, as it always did.
    }
#endif
}

SessionBusWarmUp::~SessionBusWarmUp()
{
    if (thread_.joinable()) thread_.join();
}

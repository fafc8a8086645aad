#include "logind_sleep_notifier.h"

#include <QDBusConnection>

LogindSleepNotifier::LogindSleepNotifier(QObject* parent) : SleepNotifier(parent)
{
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return;
    // Bound to the service name, so only the bus name's owner is listened to, also after
    // logind restarts.
    bus.connect(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
                QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"),
                this, SLOT(prepare_for_sleep(bool)));
}

void LogindSleepNotifier::prepare_for_sleep(bool start)
{
    if (start)
        Q_EMIT suspending();
    else
        Q_EMIT resumed();
}

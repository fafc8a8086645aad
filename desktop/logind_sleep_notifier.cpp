#include "logind_sleep_notifier.h"

#include "desktop_log.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {

const QString service = QStringLiteral("org.freedesktop.login1");
const QString path = QStringLiteral("/org/freedesktop/login1");
const QString manager = QStringLiteral("org.freedesktop.login1.Manager");

} // namespace

LogindSleepNotifier::LogindSleepNotifier(QObject* parent) : SleepNotifier(parent)
{
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return;
    // Bound to the service name, so only the bus name's owner is listened to, also after
    // logind restarts.
    bus.connect(service, path, manager, QStringLiteral("PrepareForSleep"), this,
                SLOT(prepare_for_sleep(bool)));
    take_delay_lock();
}

void LogindSleepNotifier::take_delay_lock()
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(service, path, manager, QStringLiteral("Inhibit"));
    call << QStringLiteral("sleep") << QStringLiteral("Brenvik Quadron")
         << QStringLiteral("Closing the link to the amplifier") << QStringLiteral("delay");
    auto* watcher = new QDBusPendingCallWatcher(QDBusConnection::systemBus().asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher] {
        const QDBusPendingReply<QDBusUnixFileDescriptor> reply = *watcher;
        watcher->deleteLater();
        if (reply.isError())
            qCWarning(desktop_log, "no sleep delay lock: %s",
                      qUtf8Printable(reply.error().message()));
        else
            delay_lock = reply.value();
    });
}

void LogindSleepNotifier::allow_sleep()
{
    // Closing the descriptor releases the lock.
    delay_lock = QDBusUnixFileDescriptor();
}

void LogindSleepNotifier::prepare_for_sleep(bool start)
{
    if (start) {
        Q_EMIT suspending();
    } else {
        take_delay_lock();
        Q_EMIT resumed();
    }
}

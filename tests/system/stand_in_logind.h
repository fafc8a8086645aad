#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>
#include <QString>

// A private bus that the programs started from here take for the system bus, with this
// process in logind's place on it.
class StandInLogind
{
public:
    bool start()
    {
        bus.start(QStringLiteral("dbus-daemon"),
                  {QStringLiteral("--session"), QStringLiteral("--print-address"),
                   QStringLiteral("--nofork")});
        if (!bus.waitForReadyRead(10000))
            return false;
        const QString address = QString::fromUtf8(bus.readLine().trimmed());
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", address.toUtf8());
        return QDBusConnection::connectToBus(address, QStringLiteral("logind"))
            .registerService(QStringLiteral("org.freedesktop.login1"));
    }

    ~StandInLogind()
    {
        QDBusConnection::disconnectFromBus(QStringLiteral("logind"));
        bus.kill();
        bus.waitForFinished();
    }

    void announce_sleep(bool start)
    {
        QDBusMessage signal = QDBusMessage::createSignal(
            QStringLiteral("/org/freedesktop/login1"),
            QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"));
        signal << start;
        QDBusConnection(QStringLiteral("logind")).send(signal);
    }

private:
    QProcess bus;
};

#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QString>

// A D-Bus daemon of the test's own, which the programs started from here take for the bus
// that variable names (DBUS_SYSTEM_BUS_ADDRESS, DBUS_SESSION_BUS_ADDRESS); the test joins it
// as a connection called name, to play a service there.
class PrivateBus
{
public:
    explicit PrivateBus(QString connection_name) : name(std::move(connection_name)) {}
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    bool start(const char* variable)
    {
        daemon.start(QStringLiteral("dbus-daemon"),
                     {QStringLiteral("--session"), QStringLiteral("--print-address"),
                      QStringLiteral("--nofork")});
        if (!daemon.waitForReadyRead(10000))
            return false;
        const QString address = QString::fromUtf8(daemon.readLine().trimmed());
        qputenv(variable, address.toUtf8());
        return QDBusConnection::connectToBus(address, name).isConnected();
    }

    ~PrivateBus()
    {
        QDBusConnection::disconnectFromBus(name);
        daemon.kill();
        daemon.waitForFinished();
    }

    QDBusConnection connection() const { return QDBusConnection(name); }

private:
    const QString name;
    QProcess daemon;
};

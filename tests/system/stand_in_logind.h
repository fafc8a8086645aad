#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QProcess>
#include <QString>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <vector>

// logind's sleep side, played on a private bus that the programs started from here take for
// the system bus: it announces sleep and resume, and hands out delay locks (a pipe's writing
// end each; the lock is released when every copy of it is closed). Its calls are answered
// while the test's event loop runs.
class StandInLogind : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")
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
        QDBusConnection connection =
            QDBusConnection::connectToBus(address, QStringLiteral("logind"));
        return connection.registerObject(QStringLiteral("/org/freedesktop/login1"), this,
                                         QDBusConnection::ExportAllSlots) &&
               connection.registerService(QStringLiteral("org.freedesktop.login1"));
    }

    ~StandInLogind() override
    {
        for (const int fd : locks)
            ::close(fd);
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

    int locks_handed_out() const { return int(locks.size()); }
    // Whether the lock handed out as number index (from 0) has been released.
    bool released(int index) const
    {
        pollfd reader{locks.at(std::size_t(index)), POLLIN, 0};
        return ::poll(&reader, 1, 0) == 1 && (reader.revents & POLLHUP);
    }

public Q_SLOTS:
    QDBusUnixFileDescriptor Inhibit(const QString& what, const QString&, const QString&,
                                    const QString& mode)
    {
        int ends[2] = {-1, -1};
        if (what != QLatin1String("sleep") || mode != QLatin1String("delay") ||
            ::pipe2(ends, O_CLOEXEC) != 0)
            return {};
        locks.push_back(ends[0]);
        const QDBusUnixFileDescriptor lock(ends[1]); // a copy of its own
        ::close(ends[1]);
        return lock;
    }

private:
    QProcess bus;
    std::vector<int> locks; // reading ends
};

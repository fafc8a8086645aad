#pragma once

#include "private_bus.h"

#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <vector>

// logind's sleep side on a private "system" bus: it announces sleep and resume and hands out
// delay locks (a pipe's writing end each, released when every copy is closed). Its calls are
// answered while the test's event loop runs.
class StandInLogind : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")
public:
    bool start()
    {
        return bus.start("DBUS_SYSTEM_BUS_ADDRESS") &&
               bus.connection().registerObject(QStringLiteral("/org/freedesktop/login1"), this,
                                               QDBusConnection::ExportAllSlots) &&
               bus.connection().registerService(QStringLiteral("org.freedesktop.login1"));
    }

    ~StandInLogind() override
    {
        for (const int fd : locks)
            ::close(fd);
    }

    void announce_sleep(bool start)
    {
        QDBusMessage signal = QDBusMessage::createSignal(
            QStringLiteral("/org/freedesktop/login1"),
            QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"));
        signal << start;
        bus.connection().send(signal);
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
    PrivateBus bus{QStringLiteral("logind")};
    std::vector<int> locks; // reading ends
};

#pragma once

#include <QDBusConnection>
#include <QObject>

// Whether the desktop has a notification area to hold the program's icon: a StatusNotifier
// host on the session bus, or under X11 a system tray holding its selection. The bus is asked
// once and then watched, so nothing that wants the answer ever waits on another process.
class TrayHostWatch : public QObject
{
    Q_OBJECT
public:
    explicit TrayHostWatch(const QDBusConnection& bus, QObject* parent = nullptr);

    // False until the bus has answered (an X11 tray is seen at once).
    bool is_known() const;
    bool available() const;

Q_SIGNALS:
    // The bus answered the first time.
    void known();

private:
    void take_answer(bool host_present);

    bool bus_answered = false;
    bool bus_host = false;
};

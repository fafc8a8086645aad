#pragma once

#include <QObject>

struct udev;
struct udev_monitor;
class QSocketNotifier;

// Tells at once when a hidraw node comes, goes or changes (its permissions, say), from the
// events udev sends once its rules have run. Without udev it stays inactive, and the link
// falls back to looking for the amplifier on its own timer.
class UdevWatcher : public QObject
{
    Q_OBJECT
public:
    explicit UdevWatcher(QObject* parent = nullptr);
    ~UdevWatcher() override;
    UdevWatcher(const UdevWatcher&) = delete;
    UdevWatcher& operator=(const UdevWatcher&) = delete;

    bool is_active() const { return notifier != nullptr; }

Q_SIGNALS:
    void hidraw_changed();

private:
    void receive();

    udev* context = nullptr;
    udev_monitor* monitor = nullptr;
    QSocketNotifier* notifier = nullptr;
};

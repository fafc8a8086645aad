#include "udev_watcher.h"

#include "device_log.h"

#include <QSocketNotifier>

#include <libudev.h>

UdevWatcher::UdevWatcher(QObject* parent) : QObject(parent)
{
    context = udev_new();
    monitor = context ? udev_monitor_new_from_netlink(context, "udev") : nullptr;
    if (!monitor ||
        udev_monitor_filter_add_match_subsystem_devtype(monitor, "hidraw", nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor) < 0) {
        qCWarning(device_log, "no udev events: the amplifier is looked for every 500 ms instead");
        return;
    }
    notifier = new QSocketNotifier(udev_monitor_get_fd(monitor), QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &UdevWatcher::receive);
}

UdevWatcher::~UdevWatcher()
{
    delete notifier;
    if (monitor)
        udev_monitor_unref(monitor);
    if (context)
        udev_unref(context);
}

void UdevWatcher::receive()
{
    bool any = false;
    while (udev_device* device = udev_monitor_receive_device(monitor)) {
        udev_device_unref(device);
        any = true;
    }
    if (any)
        Q_EMIT hidraw_changed();
}

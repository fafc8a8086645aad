#pragma once

#include "sleep_notifier.h"

#include <QDBusUnixFileDescriptor>

// Suspend and resume as logind announces them on the system bus. While the program runs it
// holds a delay lock, so that logind waits for the amplifier link to close before the machine
// sleeps; the lock goes at allow_sleep() and a new one is taken after the resume. Without a
// system bus or logind it stays silent.
class LogindSleepNotifier : public SleepNotifier
{
    Q_OBJECT
public:
    explicit LogindSleepNotifier(QObject* parent = nullptr);

    void allow_sleep() override;

private Q_SLOTS:
    void prepare_for_sleep(bool start);

private:
    void take_delay_lock();

    QDBusUnixFileDescriptor delay_lock;
};

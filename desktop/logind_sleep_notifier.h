#pragma once

#include "sleep_notifier.h"

// Suspend and resume as logind announces them on the system bus. Without a system bus
// or logind it stays silent.
class LogindSleepNotifier : public SleepNotifier
{
    Q_OBJECT
public:
    explicit LogindSleepNotifier(QObject* parent = nullptr);

private Q_SLOTS:
    void prepare_for_sleep(bool start);
};

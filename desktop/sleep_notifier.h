#pragma once

#include <QObject>

// Tells when the machine is about to sleep and when it has woken up.
class SleepNotifier : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~SleepNotifier() override = default;

Q_SIGNALS:
    void suspending();
    void resumed();
};

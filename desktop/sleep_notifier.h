#pragma once

#include <QObject>

// Tells when the machine is about to sleep and when it has woken up. The sleep waits (a
// little) until allow_sleep() says the program is ready for it.
class SleepNotifier : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~SleepNotifier() override = default;

public Q_SLOTS:
    // The program has done what it must before the machine sleeps.
    virtual void allow_sleep() {}

Q_SIGNALS:
    void suspending();
    void resumed();
};

#pragma once

#include "hot_key_service.h"
#include "sleep_notifier.h"

#include <QList>

// Hot keys that are pressed by the test.
class FakeHotKeys : public HotKeyService
{
    Q_OBJECT
public:
    struct Registration
    {
        int id;
        quint32 modifiers;
        quint32 key;
    };
    QList<Registration> registrations;

    bool register_hot_key(int id, quint32 modifiers, quint32 virtual_key) override
    {
        registrations.append({id, modifiers, virtual_key});
        return true;
    }
    void press(int id) { Q_EMIT activated(id); }
};

// Sleep and wake-up notices sent by the test.
class FakeSleep : public SleepNotifier
{
    Q_OBJECT
public:
    void sleep() { Q_EMIT suspending(); }
    void wake() { Q_EMIT resumed(); }
};

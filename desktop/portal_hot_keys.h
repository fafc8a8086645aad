#pragma once

#include "hot_key_service.h"

#include <QDBusConnection>
#include <QString>
#include <QVariantMap>

#include <vector>

class QDBusMessage;
class QDBusObjectPath;

// Hot keys as the desktop portal's global shortcuts, for sessions where the program cannot
// grab keys itself (a native Wayland session). The desktop owns the keys: it may ask the user
// once to confirm or change them, and it remembers them, so the program binds its shortcuts
// only while the desktop does not list them all yet. Binding is asynchronous and begins on the
// next turn of the event loop. A desktop without the portal, or one that refuses, is said once
// in the log and leaves the hot keys silent; nothing is tried again.
class PortalHotKeys : public HotKeyService
{
    Q_OBJECT
public:
    // How the desktop shows the hot key with id: a name that stays the same from one start to
    // the next, and a description for the user.
    struct Shortcut
    {
        int id = 0;
        QString name;
        QString description;
    };

    // app_id is the name of the program's desktop entry, by which the desktop tells whose
    // shortcuts these are.
    PortalHotKeys(const QDBusConnection& bus, const QString& app_id,
                  std::vector<Shortcut> shortcuts, QObject* parent = nullptr);
    ~PortalHotKeys() override;

    // Queues id's shortcut with the combination as its preferred trigger. Refused for an id
    // without a shortcut, a combination that has no trigger, and once binding has begun.
    bool register_hot_key(int id, quint32 modifiers, quint32 virtual_key) override;

private Q_SLOTS:
    void request_answered(uint response, const QVariantMap& results, const QDBusMessage& message);
    void shortcut_activated(const QDBusObjectPath& session, const QString& name,
                            qulonglong timestamp, const QVariantMap& options);

private:
    enum class Step { queued, creating, listing, binding, bound, failed };

    struct Queued
    {
        const Shortcut* shortcut;
        QString trigger;
    };

    void begin();
    void create_session();
    void request(const QString& method, QVariantList arguments, QVariantMap options, Step next);
    void bind();
    void fail(const QString& reason);

    QDBusConnection bus;
    QString app_id;
    std::vector<Shortcut> shortcuts;
    std::vector<Queued> queued;
    Step step = Step::queued;
    int requests = 0;
    QString request_path;
    QString session_path;
};

#pragma once

#include "hot_key_service.h"

#include <QDBusConnection>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <vector>

class QDBusMessage;
class QDBusObjectPath;

// Hot keys as the desktop portal's global shortcuts, for sessions where the program cannot
// grab keys itself (a native Wayland session). The desktop owns the keys: it may ask the user
// once to confirm or change them, and it remembers them. Binding is asynchronous and begins on
// the next turn of the event loop:
//   1. Registry.Register(app_id), which portals before 1.18 lack (said once at debug level);
//   2. CreateSession, offering the shortcuts in its "shortcuts" option too: Plasma 5.27's
//      backend registers only those, newer portals ignore the option;
//   3. ListShortcuts: what the desktop remembers; if that is not all of them,
//   4. BindShortcuts with all of them, then ListShortcuts once more when its answer still
//      lacks some (Plasma 6 answers a confirmed binding with an empty list).
// Only shortcuts the desktop names in an answer count as bound. GNOME 48 answers a confirmed
// binding with response 2 and the full list: a list counts whatever the response. Fewer than
// all bound is said once as a warning naming the missing ones and their action commands; a
// desktop without the portal, or one that refuses the session, likewise. Nothing is tried
// again.
//
// The portal is spoken to on a private connection to the session bus: calls other parts of
// the program (the platform theme reading the portal's settings) make on the shared
// connection just before Register would otherwise make the portal forget the registered id.
class PortalHotKeys : public HotKeyService
{
    Q_OBJECT
public:
    // How the desktop shows the hot key with id: a name that stays the same from one start to
    // the next, and a description for the user. The name is also the action command that does
    // the same from a terminal ("quadron --" + name).
    struct Shortcut
    {
        int id = 0;
        QString name;
        QString description;
    };

    // app_id is the program's reverse-DNS id, the name of its desktop entry, by which the
    // desktop tells whose shortcuts these are.
    PortalHotKeys(const QString& app_id, std::vector<Shortcut> shortcuts,
                  QObject* parent = nullptr);
    ~PortalHotKeys() override;

    // Queues id's shortcut with the combination as its preferred trigger. Refused for an id
    // without a shortcut, a combination that has no trigger, and once binding has begun.
    bool register_hot_key(int id, quint32 modifiers, quint32 virtual_key) override;

    // "portal: " and the names of the bound shortcuts, or "none: " and why none is.
    QString status() const override;

private Q_SLOTS:
    void request_answered(uint response, const QVariantMap& results, const QDBusMessage& message);
    void shortcut_activated(const QDBusObjectPath& session, const QString& name,
                            qulonglong timestamp, const QVariantMap& options);

private:
    enum class Step { queued, creating, listing, binding, relisting, bound, failed };

    struct Queued
    {
        const Shortcut* shortcut;
        QString trigger;
    };

    void begin();
    void create_session();
    void request(const QString& method, QVariantList arguments, QVariantMap options, Step next);
    void list(Step next);
    QVariant wanted() const;
    void bind();
    // Adds the shortcuts of an answer's list that the program asked for; true when all are.
    bool take_bound(const QVariantMap& results);
    void finish();
    void fail(const QString& reason);

    const QString connection_name;
    QDBusConnection bus;
    QString app_id;
    std::vector<Shortcut> shortcuts;
    std::vector<Queued> queued;
    Step step = Step::queued;
    int requests = 0;
    QString request_path;
    QString session_path;
    QStringList bound;       // names, in the order of the shortcuts
    QString binding_refused; // why BindShortcuts bound nothing, when it said
    QString failure;
};

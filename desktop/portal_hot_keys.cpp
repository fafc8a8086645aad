#include "portal_hot_keys.h"

#include "desktop_log.h"
#include "portal_shortcut.h"
#include "shortcut_trigger.h"

#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QStringList>

#include <algorithm>

namespace {

const QString portal_service = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portal_path = QStringLiteral("/org/freedesktop/portal/desktop");
const QString shortcuts_interface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString request_interface = QStringLiteral("org.freedesktop.portal.Request");

const char* response_slot()
{
    return SLOT(request_answered(uint, QVariantMap, QDBusMessage));
}

QString describe_response(uint response)
{
    return response == 1 ? QStringLiteral("the user cancelled it")
                         : QStringLiteral("the desktop refused it (%1)").arg(response);
}

} // namespace

PortalHotKeys::PortalHotKeys(const QDBusConnection& session_bus, const QString& desktop_app_id,
                             std::vector<Shortcut> offered, QObject* parent)
    : HotKeyService(parent), bus(session_bus), app_id(desktop_app_id), shortcuts(std::move(offered))
{
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<PortalShortcutList>();
}

// The desktop ends the session when the program's connection closes.
PortalHotKeys::~PortalHotKeys() = default;

bool PortalHotKeys::register_hot_key(int id, quint32 modifiers, quint32 virtual_key)
{
    const auto shortcut = std::find_if(shortcuts.begin(), shortcuts.end(),
                                       [id](const Shortcut& s) { return s.id == id; });
    const QString trigger = shortcut_trigger(modifiers, virtual_key);
    if (step != Step::queued || shortcut == shortcuts.end() || trigger.isEmpty())
        return false;
    if (queued.empty())
        QMetaObject::invokeMethod(this, &PortalHotKeys::begin, Qt::QueuedConnection);
    queued.push_back({&*shortcut, trigger});
    return true;
}

void PortalHotKeys::begin()
{
    if (!bus.isConnected()) {
        fail(QStringLiteral("there is no session bus"));
        return;
    }
    // Newer portals learn a program's name this way when no sandbox tells them; older ones do
    // without, and the shortcuts work there all the same.
    QDBusMessage registration = QDBusMessage::createMethodCall(
        portal_service, portal_path, QStringLiteral("org.freedesktop.host.portal.Registry"),
        QStringLiteral("Register"));
    registration << app_id << QVariantMap();
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(registration), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        if (w->isError())
            qCDebug(desktop_log, "portal registry: %s", qUtf8Printable(w->error().message()));
        create_session();
    });
}

void PortalHotKeys::create_session()
{
    // Activations go to the session's owner alone; listen before there is anything to hear.
    bus.connect(portal_service, portal_path, shortcuts_interface, QStringLiteral("Activated"), this,
                SLOT(shortcut_activated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
    request(QStringLiteral("CreateSession"), {},
            {{QStringLiteral("session_handle_token"), QStringLiteral("quadron")}}, Step::creating);
}

// A portal call answers at once with the path of a request object, and later, through the
// request's Response signal, with the outcome. The path follows from the caller's bus name
// and the token, so the subscription is in place before the call goes out.
void PortalHotKeys::request(const QString& method, QVariantList arguments, QVariantMap options,
                            Step next)
{
    const QString token = QStringLiteral("quadron_%1").arg(++requests);
    QString sender = bus.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    request_path = portal_path + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;
    bus.connect(portal_service, request_path, request_interface, QStringLiteral("Response"), this,
                response_slot());

    options.insert(QStringLiteral("handle_token"), token);
    arguments.append(options);
    QDBusMessage call =
        QDBusMessage::createMethodCall(portal_service, portal_path, shortcuts_interface, method);
    call.setArguments(arguments);
    step = next;
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, method](QDBusPendingCallWatcher* w) {
                w->deleteLater();
                if (w->isError())
                    fail(method + QStringLiteral(": ") + w->error().message());
            });
}

void PortalHotKeys::request_answered(uint response, const QVariantMap& results,
                                     const QDBusMessage& message)
{
    if (message.path() != request_path || step == Step::failed)
        return;
    bus.disconnect(portal_service, request_path, request_interface, QStringLiteral("Response"),
                   this, response_slot());
    request_path.clear();
    if (response != 0) {
        fail(QStringLiteral("%1 shortcuts: %2")
                 .arg(step == Step::creating  ? QStringLiteral("a session for")
                      : step == Step::listing ? QStringLiteral("listing the")
                                              : QStringLiteral("binding the"),
                      describe_response(response)));
        return;
    }

    switch (step) {
    case Step::creating: {
        // A string in most portals, an object path in some.
        const QVariant handle = results.value(QStringLiteral("session_handle"));
        session_path = handle.metaType() == QMetaType::fromType<QDBusObjectPath>()
                           ? handle.value<QDBusObjectPath>().path()
                           : handle.toString();
        if (session_path.isEmpty()) {
            fail(QStringLiteral("the desktop gave no shortcuts session"));
            return;
        }
        request(QStringLiteral("ListShortcuts"),
                {QVariant::fromValue(QDBusObjectPath(session_path))}, {}, Step::listing);
        break;
    }
    case Step::listing: {
        QStringList listed;
        for (const PortalShortcut& shortcut :
             qdbus_cast<PortalShortcutList>(results.value(QStringLiteral("shortcuts"))))
            listed.append(shortcut.name);
        const bool all_listed = std::all_of(queued.begin(), queued.end(), [&](const Queued& q) {
            return listed.contains(q.shortcut->name);
        });
        if (all_listed) {
            step = Step::bound;
            qCDebug(desktop_log, "the desktop remembers the shortcuts %s",
                    qUtf8Printable(listed.join(QLatin1Char(' '))));
        } else {
            bind();
        }
        break;
    }
    case Step::binding:
        step = Step::bound;
        for (const PortalShortcut& shortcut :
             qdbus_cast<PortalShortcutList>(results.value(QStringLiteral("shortcuts"))))
            qCDebug(
                desktop_log, "%s: %s", qUtf8Printable(shortcut.name),
                qUtf8Printable(
                    shortcut.properties.value(QStringLiteral("trigger_description")).toString()));
        break;
    case Step::queued:
    case Step::bound:
    case Step::failed:
        break;
    }
}

// All of them at once: a desktop may take a binding as the program's whole set. A trigger is
// only a wish; the desktop may let the user choose another, and what it settles on stands.
void PortalHotKeys::bind()
{
    PortalShortcutList wanted;
    for (const Queued& q : queued) {
        wanted.append({q.shortcut->name,
                       {{QStringLiteral("description"), q.shortcut->description},
                        {QStringLiteral("preferred_trigger"), q.trigger}}});
    }
    request(QStringLiteral("BindShortcuts"),
            {QVariant::fromValue(QDBusObjectPath(session_path)), QVariant::fromValue(wanted),
             QString()},
            {}, Step::binding);
}

void PortalHotKeys::shortcut_activated(const QDBusObjectPath& session, const QString& name,
                                       qulonglong, const QVariantMap&)
{
    if (session.path() != session_path || step == Step::failed)
        return;
    for (const Queued& q : queued) {
        if (q.shortcut->name == name)
            Q_EMIT activated(q.shortcut->id);
    }
}

void PortalHotKeys::fail(const QString& reason)
{
    if (step == Step::failed)
        return;
    step = Step::failed;
    if (!request_path.isEmpty())
        bus.disconnect(portal_service, request_path, request_interface, QStringLiteral("Response"),
                       this, response_slot());
    qCWarning(desktop_log,
              "Global hot keys are not available: %s - the desktop's keyboard settings can run "
              "\"quadron --volume-up\" and the other action commands instead.",
              qUtf8Printable(reason));
}

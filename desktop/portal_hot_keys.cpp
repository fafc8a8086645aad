#include "portal_hot_keys.h"

#include "desktop_log.h"
#include "portal_shortcut.h"
#include "shortcut_trigger.h"

#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>

#include <algorithm>
#include <atomic>

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

QString private_connection_name()
{
    static std::atomic<int> made{0};
    return QStringLiteral("quadron-portal-%1").arg(++made);
}

} // namespace

PortalHotKeys::PortalHotKeys(const QString& desktop_app_id, std::vector<Shortcut> offered,
                             QObject* parent)
    : HotKeyService(parent), connection_name(private_connection_name()),
      bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, connection_name)),
      app_id(desktop_app_id), shortcuts(std::move(offered))
{
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<PortalShortcutList>();
}

// The desktop ends the session when the program's connection closes.
PortalHotKeys::~PortalHotKeys()
{
    QDBusConnection::disconnectFromBus(connection_name);
}

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

QString PortalHotKeys::status() const
{
    switch (step) {
    case Step::queued:
        return queued.empty() ? QStringLiteral("none: no shortcut was asked for")
                              : QStringLiteral("none: not asked yet");
    case Step::creating:
    case Step::listing:
    case Step::binding:
    case Step::relisting:
        return QStringLiteral("none: waiting for the desktop's answer");
    case Step::bound:
        if (bound.isEmpty())
            return QStringLiteral("none: the desktop bound no shortcut") +
                   (binding_refused.isEmpty() ? QString()
                                              : QStringLiteral(" (") + binding_refused + u')');
        return QStringLiteral("portal: ") + bound.join(QLatin1Char(' '));
    case Step::failed:
        break;
    }
    return QStringLiteral("none: ") + failure;
}

void PortalHotKeys::begin()
{
    if (!bus.isConnected()) {
        fail(QStringLiteral("there is no session bus"));
        return;
    }
    // Newer portals learn a program's id this way when no sandbox tells them; it must come
    // before any other call on the connection. Older ones name the shortcuts' group after the
    // session instead, and the shortcuts work there all the same.
    QDBusMessage registration = QDBusMessage::createMethodCall(
        portal_service, portal_path, QStringLiteral("org.freedesktop.host.portal.Registry"),
        QStringLiteral("Register"));
    registration << app_id << QVariantMap();
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(registration), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        if (w->isError())
            qCDebug(desktop_log,
                    "the portal does not take the id %s (%s): the desktop names the "
                    "shortcuts after the session",
                    qUtf8Printable(app_id), qUtf8Printable(w->error().message()));
        create_session();
    });
}

void PortalHotKeys::create_session()
{
    // Activations go to the session's owner alone; listen before there is anything to hear.
    bus.connect(portal_service, portal_path, shortcuts_interface, QStringLiteral("Activated"), this,
                SLOT(shortcut_activated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
    request(QStringLiteral("CreateSession"), {},
            {{QStringLiteral("session_handle_token"), QStringLiteral("quadron")},
             {QStringLiteral("shortcuts"), wanted()}},
            Step::creating);
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

void PortalHotKeys::list(Step next)
{
    request(QStringLiteral("ListShortcuts"), {QVariant::fromValue(QDBusObjectPath(session_path))},
            {}, next);
}

void PortalHotKeys::request_answered(uint response, const QVariantMap& results,
                                     const QDBusMessage& message)
{
    if (message.path() != request_path || step == Step::failed)
        return;
    bus.disconnect(portal_service, request_path, request_interface, QStringLiteral("Response"),
                   this, response_slot());
    request_path.clear();

    switch (step) {
    case Step::creating: {
        if (response != 0) {
            fail(QStringLiteral("a session for shortcuts: ") + describe_response(response));
            return;
        }
        // A string in most portals, an object path in some.
        const QVariant handle = results.value(QStringLiteral("session_handle"));
        session_path = handle.metaType() == QMetaType::fromType<QDBusObjectPath>()
                           ? handle.value<QDBusObjectPath>().path()
                           : handle.toString();
        if (session_path.isEmpty()) {
            fail(QStringLiteral("the desktop gave no shortcuts session"));
            return;
        }
        list(Step::listing);
        break;
    }
    case Step::listing:
        if (response != 0) {
            fail(QStringLiteral("listing the shortcuts: ") + describe_response(response));
            return;
        }
        if (take_bound(results)) {
            qCDebug(desktop_log, "the desktop remembers the shortcuts %s",
                    qUtf8Printable(bound.join(QLatin1Char(' '))));
            finish();
        } else {
            bind();
        }
        break;
    case Step::binding: {
        // A list counts whatever the response says (GNOME 48 answers 2 with the full list).
        const bool all = take_bound(results);
        if (response != 0 && results.value(QStringLiteral("shortcuts")).isNull())
            binding_refused = describe_response(response);
        if (all || response != 0)
            finish();
        else
            list(Step::relisting);
        break;
    }
    case Step::relisting:
        if (response == 0)
            take_bound(results);
        finish();
        break;
    case Step::queued:
    case Step::bound:
    case Step::failed:
        break;
    }
}

bool PortalHotKeys::take_bound(const QVariantMap& results)
{
    QStringList named;
    for (const PortalShortcut& shortcut :
         qdbus_cast<PortalShortcutList>(results.value(QStringLiteral("shortcuts")))) {
        named.append(shortcut.name);
        const QString keys =
            shortcut.properties.value(QStringLiteral("trigger_description")).toString();
        if (!keys.isEmpty())
            qCDebug(desktop_log, "%s: %s", qUtf8Printable(shortcut.name), qUtf8Printable(keys));
    }
    QStringList now;
    for (const Shortcut& shortcut : shortcuts) {
        const bool asked = std::any_of(queued.begin(), queued.end(),
                                       [&](const Queued& q) { return q.shortcut == &shortcut; });
        if (asked && (bound.contains(shortcut.name) || named.contains(shortcut.name)))
            now.append(shortcut.name);
    }
    bound = now;
    return bound.size() == qsizetype(queued.size());
}

// All of them at once: a desktop may take a binding as the program's whole set. A trigger is
// only a wish; the desktop may let the user choose another, and what it settles on stands.
QVariant PortalHotKeys::wanted() const
{
    PortalShortcutList list;
    for (const Queued& q : queued) {
        list.append({q.shortcut->name,
                     {{QStringLiteral("description"), q.shortcut->description},
                      {QStringLiteral("preferred_trigger"), q.trigger}}});
    }
    return QVariant::fromValue(list);
}

void PortalHotKeys::bind()
{
    request(QStringLiteral("BindShortcuts"),
            {QVariant::fromValue(QDBusObjectPath(session_path)), wanted(), QString()}, {},
            Step::binding);
}

// Said once: which shortcuts the desktop did not bind, and what can do their work instead.
void PortalHotKeys::finish()
{
    step = Step::bound;
    QStringList missing, commands;
    for (const Shortcut& shortcut : shortcuts) {
        if (!bound.contains(shortcut.name)) {
            missing.append(shortcut.name);
            commands.append(QStringLiteral("\"quadron --") + shortcut.name + u'"');
        }
    }
    if (missing.isEmpty())
        return;
    qCWarning(desktop_log,
              "Global hot keys: the desktop did not bind %s%s - the desktop's keyboard settings "
              "can run %s instead.",
              qUtf8Printable(missing.join(QStringLiteral(", "))),
              qUtf8Printable(binding_refused.isEmpty()
                                 ? QString()
                                 : QStringLiteral(" (") + binding_refused + u')'),
              qUtf8Printable(commands.join(QStringLiteral(", "))));
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
    failure = reason;
    if (!request_path.isEmpty())
        bus.disconnect(portal_service, request_path, request_interface, QStringLiteral("Response"),
                       this, response_slot());
    qCWarning(desktop_log,
              "Global hot keys are not available: %s - the desktop's keyboard settings can run "
              "\"quadron --volume-up\" and the other action commands instead.",
              qUtf8Printable(reason));
}

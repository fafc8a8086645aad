#pragma once

#include "portal_shortcut.h"
#include "private_bus.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QProcess>
#include <QStringList>

// The desktop portal's global shortcuts and, when asked, a tray host (StatusNotifierWatcher) on
// a private session bus, as a desktop whose user accepts every binding: it remembers what was
// bound and sends activations to the session's owner alone. It answers while the test waits.
// It can answer as backends that differ do, for the paths the real ones cannot be made to show.
class StandInPortal : public QDBusVirtualObject
{
public:
    QString registered_app_id;
    PortalShortcutList offered;    // the "shortcuts" option of the last CreateSession
    PortalShortcutList bound;      // the last binding asked for
    PortalShortcutList remembered; // what ListShortcuts answers
    int sessions = 0, lists = 0, bindings = 0;
    bool refuse_sessions = false;
    bool has_registry = true;      // false: as portal 1.16, which lacks the Registry
    QStringList bind_only;         // the shortcuts a binding takes (empty: every one asked for)
    uint bind_response = 0;        // 1: the user cancelled; GNOME 48 answers 2 on success
    bool bind_answers_list = true; // false: the answer lists nothing, as Plasma 6 does
    QStringList tray_items;        // the services registered with the tray host

    bool start()
    {
        qDBusRegisterMetaType<PortalShortcut>();
        qDBusRegisterMetaType<PortalShortcutList>();
        if (!bus.start("DBUS_SESSION_BUS_ADDRESS"))
            return false;
        QDBusConnection connection = bus.connection();
        return connection.registerVirtualObject(portal_path(), this) &&
               connection.registerVirtualObject(QStringLiteral("/StatusNotifierWatcher"), this) &&
               connection.registerService(QStringLiteral("org.freedesktop.portal.Desktop"));
    }

    void offer_tray(bool on)
    {
        const QString watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
        QDBusConnection connection = bus.connection();
        on ? connection.registerService(watcher) : connection.unregisterService(watcher);
    }

    // The user pressed the shortcut with this name.
    void activate(const QString& shortcut)
    {
        QDBusMessage signal = QDBusMessage::createTargetedSignal(
            owner, portal_path(), QStringLiteral("org.freedesktop.portal.GlobalShortcuts"),
            QStringLiteral("Activated"));
        signal << QVariant::fromValue(QDBusObjectPath(session)) << shortcut << qulonglong(0)
               << QVariantMap();
        bus.connection().send(signal);
    }

    // The user clicked the tray icon.
    void click_tray_icon()
    {
        QDBusMessage click = QDBusMessage::createMethodCall(
            tray_items.value(0), QStringLiteral("/StatusNotifierItem"),
            QStringLiteral("org.kde.StatusNotifierItem"), QStringLiteral("Activate"));
        click << 0 << 0;
        bus.connection().send(click);
    }

    QString introspect(const QString& path) const override
    {
        if (path != QLatin1String("/StatusNotifierWatcher"))
            return {};
        return QStringLiteral(
            "<interface name=\"org.kde.StatusNotifierWatcher\">"
            "<method name=\"RegisterStatusNotifierItem\"><arg type=\"s\" direction=\"in\"/>"
            "</method><property name=\"IsStatusNotifierHostRegistered\" type=\"b\" "
            "access=\"read\"/></interface>");
    }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        const QString member = message.member();
        const QString signature = message.signature();
        const QVariantList arguments = message.arguments();
        if (member == QLatin1String("Get") && signature == QLatin1String("ss")) {
            connection.send(message.createReply(QVariant::fromValue(QDBusVariant(true))));
        } else if (member == QLatin1String("RegisterStatusNotifierItem") &&
                   signature == QLatin1String("s")) {
            tray_items.append(arguments.value(0).toString());
            connection.send(message.createReply());
        } else if (member == QLatin1String("Register") && signature == QLatin1String("sa{sv}") &&
                   has_registry) {
            registered_app_id = arguments.value(0).toString();
            connection.send(message.createReply());
        } else if (member == QLatin1String("CreateSession") &&
                   signature == QLatin1String("a{sv}")) {
            ++sessions;
            owner = message.service();
            const QVariantMap options = qdbus_cast<QVariantMap>(arguments.value(0));
            offered = qdbus_cast<PortalShortcutList>(options.value(QStringLiteral("shortcuts")));
            session = handle(QStringLiteral("session"),
                             options.value(QStringLiteral("session_handle_token")).toString());
            answer(message, options, refuse_sessions ? 2 : 0,
                   {{QStringLiteral("session_handle"), session}});
        } else if (member == QLatin1String("ListShortcuts") &&
                   signature == QLatin1String("oa{sv}") && in_session(arguments)) {
            ++lists;
            answer(message, qdbus_cast<QVariantMap>(arguments.value(1)), 0,
                   {{QStringLiteral("shortcuts"), QVariant::fromValue(remembered)}});
        } else if (member == QLatin1String("BindShortcuts") &&
                   signature == QLatin1String("oa(sa{sv})sa{sv}") && in_session(arguments)) {
            ++bindings;
            bound = qdbus_cast<PortalShortcutList>(arguments.value(1));
            remembered.clear();
            for (const PortalShortcut& shortcut : std::as_const(bound)) {
                if (bind_response != 1 &&
                    (bind_only.isEmpty() || bind_only.contains(shortcut.name)))
                    remembered.append(shortcut);
            }
            QVariantMap results;
            if (bind_answers_list && bind_response != 1)
                results.insert(QStringLiteral("shortcuts"), QVariant::fromValue(remembered));
            answer(message, qdbus_cast<QVariantMap>(arguments.value(3)), bind_response, results);
        } else {
            return false;
        }
        return true;
    }

private:
    static QString portal_path() { return QStringLiteral("/org/freedesktop/portal/desktop"); }

    QString handle(const QString& kind, const QString& token) const
    {
        QString sender = owner.mid(1);
        sender.replace(QLatin1Char('.'), QLatin1Char('_'));
        return portal_path() + QLatin1Char('/') + kind + QLatin1Char('/') + sender +
               QLatin1Char('/') + token;
    }

    bool in_session(const QVariantList& arguments) const
    {
        return arguments.value(0).value<QDBusObjectPath>().path() == session;
    }

    // The request's path at once, its outcome through the request's Response signal.
    void answer(const QDBusMessage& call, const QVariantMap& options, uint response,
                const QVariantMap& results)
    {
        const QString request = handle(QStringLiteral("request"),
                                       options.value(QStringLiteral("handle_token")).toString());
        QDBusConnection connection = bus.connection();
        connection.send(call.createReply(QVariant::fromValue(QDBusObjectPath(request))));
        QDBusMessage signal = QDBusMessage::createTargetedSignal(
            owner, request, QStringLiteral("org.freedesktop.portal.Request"),
            QStringLiteral("Response"));
        signal << response << results;
        connection.send(signal);
    }

    PrivateBus bus{QStringLiteral("portal")};
    QString owner;
    QString session;
};

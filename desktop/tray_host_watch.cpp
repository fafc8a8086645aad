#include "tray_host_watch.h"

#include "desktop_log.h"

#include <QByteArray>
#include <QDBusConnectionInterface>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QGuiApplication>

#include <xcb/xcb.h>

#include <cstdlib>

namespace {

const QString status_notifier_watcher = QStringLiteral("org.kde.StatusNotifierWatcher");

// An X11 system tray owns the selection _NET_SYSTEM_TRAY_S<screen> of the screen it serves.
bool x11_tray_present()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection || xcb_connection_has_error(connection))
        return false;
    int screen = 0;
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(connection)); it.rem;
         xcb_screen_next(&it), ++screen) {
        const QByteArray name = "_NET_SYSTEM_TRAY_S" + QByteArray::number(screen);
        xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 1, name.size(), name.constData()), nullptr);
        if (!atom)
            continue;
        xcb_get_selection_owner_reply_t* owner = xcb_get_selection_owner_reply(
            connection, xcb_get_selection_owner(connection, atom->atom), nullptr);
        const bool owned = atom->atom != XCB_ATOM_NONE && owner && owner->owner != XCB_NONE;
        std::free(owner);
        std::free(atom);
        if (owned)
            return true;
    }
    return false;
}

} // namespace

TrayHostWatch::TrayHostWatch(const QDBusConnection& bus, QObject* parent) : QObject(parent)
{
    if (!bus.isConnected()) {
        qCWarning(desktop_log, "no session bus: a StatusNotifier tray cannot be looked for");
        bus_answered = true;
        return;
    }
    // Watched before asking, so that a change after the answer cannot be missed; whatever
    // arrives last is the newest word.
    auto* watcher = new QDBusServiceWatcher(status_notifier_watcher, bus,
                                            QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& new_owner) {
                take_answer(!new_owner.isEmpty());
            });
    auto* call = new QDBusPendingCallWatcher(
        bus.interface()->asyncCall(QStringLiteral("NameHasOwner"), status_notifier_watcher), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* done) {
        const QDBusPendingReply<bool> reply = *done;
        if (reply.isError())
            qCWarning(desktop_log, "the session bus did not say whether a tray host runs: %s",
                      qPrintable(reply.error().message()));
        take_answer(!reply.isError() && reply.value());
        done->deleteLater();
    });
}

bool TrayHostWatch::is_known() const
{
    return bus_answered || x11_tray_present();
}

bool TrayHostWatch::available() const
{
    return bus_host || x11_tray_present();
}

void TrayHostWatch::take_answer(bool host_present)
{
    bus_host = host_present;
    if (bus_answered)
        return;
    bus_answered = true;
    Q_EMIT known();
}

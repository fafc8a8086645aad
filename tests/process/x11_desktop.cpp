#include "x11_desktop.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace {

template <typename T> struct Reply
{
    explicit Reply(T* pointer) : data(pointer) {}
    Reply(const Reply&) = delete;
    Reply& operator=(const Reply&) = delete;
    ~Reply() { std::free(data); }
    T* operator->() const { return data; }
    explicit operator bool() const { return data != nullptr; }
    T* data;
};

} // namespace

X11Desktop::X11Desktop(const QByteArray& display_name)
{
    int screen_number = 0;
    connection =
        xcb_connect(display_name.isEmpty() ? nullptr : display_name.constData(), &screen_number);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        connection = nullptr;
        return;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screen_number && screens.rem > 0; ++i)
        xcb_screen_next(&screens);
    root = screens.data->root;
}

X11Desktop::~X11Desktop()
{
    if (connection)
        xcb_disconnect(connection);
}

bool X11Desktop::has_tray_host()
{
    return !panels().isEmpty();
}

QList<quint32> X11Desktop::shown_windows(const QString& title_text, qint64 owner)
{
    return top_level_windows(title_text, owner, true);
}

QList<quint32> X11Desktop::all_windows(const QString& title_text, qint64 owner)
{
    return top_level_windows(title_text, owner, false);
}

QList<quint32> X11Desktop::shown_popups(qint64 owner)
{
    QList<quint32> found;
    if (!connection)
        return found;
    const QList<quint32> windows = children(root);
    for (const quint32 window : windows) {
        bool override_redirect = false;
        if (is_shown(window, &override_redirect) && override_redirect && pid(window) == owner)
            found.append(window);
    }
    return found;
}

QList<quint32> X11Desktop::tray_icons(qint64 owner)
{
    QList<quint32> icons;
    if (!connection)
        return icons;
    const QList<quint32> hosts = panels();
    for (const quint32 panel : hosts)
        collect_icons(panel, owner, icons);
    return icons;
}

QSize X11Desktop::size(quint32 window)
{
    if (!connection)
        return {};
    const Reply<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr));
    return geometry ? QSize(geometry->width, geometry->height) : QSize();
}

void X11Desktop::close_window(quint32 window)
{
    if (!connection)
        return;
    xcb_client_message_event_t event;
    std::memset(&event, 0, sizeof event);
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = atom("WM_PROTOCOLS");
    event.data.data32[0] = atom("WM_DELETE_WINDOW");
    event.data.data32[1] = XCB_CURRENT_TIME;
    // With no event mask the event goes to the client that created the window.
    xcb_send_event(connection, 0, window, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(connection);
}

QList<quint32> X11Desktop::children(quint32 window)
{
    QList<quint32> result;
    const Reply<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr));
    if (!tree)
        return result;
    const xcb_window_t* ids = xcb_query_tree_children(tree.data);
    const int count = xcb_query_tree_children_length(tree.data);
    for (int i = 0; i < count; ++i)
        result.append(ids[i]);
    return result;
}

QByteArray X11Desktop::property(quint32 window, quint32 name)
{
    const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection,
        xcb_get_property(connection, 0, window, name, XCB_GET_PROPERTY_TYPE_ANY, 0, 4096),
        nullptr));
    if (!reply || reply->format == 0)
        return {};
    const int length = xcb_get_property_value_length(reply.data);
    return QByteArray(static_cast<const char*>(xcb_get_property_value(reply.data)), length);
}

QString X11Desktop::title(quint32 window)
{
    const QByteArray net_name = property(window, atom("_NET_WM_NAME"));
    if (!net_name.isEmpty())
        return QString::fromUtf8(net_name);
    return QString::fromLatin1(property(window, XCB_ATOM_WM_NAME));
}

// WM_CLASS holds the instance name and the class name, each ended by a NUL.
QByteArray X11Desktop::window_class(quint32 window)
{
    const QList<QByteArray> parts = property(window, XCB_ATOM_WM_CLASS).split('\0');
    return parts.size() > 1 ? parts.at(1) : QByteArray();
}

QByteArray X11Desktop::instance_name(quint32 window)
{
    return property(window, XCB_ATOM_WM_CLASS).split('\0').value(0);
}

qint64 X11Desktop::pid(quint32 window)
{
    const QByteArray value = property(window, atom("_NET_WM_PID"));
    if (value.size() < 4)
        return 0;
    quint32 number = 0;
    std::memcpy(&number, value.constData(), sizeof number);
    return number;
}

bool X11Desktop::is_shown(quint32 window, bool* override_redirect)
{
    const Reply<xcb_get_window_attributes_reply_t> attributes(xcb_get_window_attributes_reply(
        connection, xcb_get_window_attributes(connection, window), nullptr));
    if (!attributes)
        return false;
    if (override_redirect)
        *override_redirect = attributes->override_redirect != 0;
    return attributes->map_state == XCB_MAP_STATE_VIEWABLE;
}

QList<quint32> X11Desktop::panels()
{
    QList<quint32> found;
    if (!connection)
        return found;
    const QList<quint32> windows = children(root);
    for (const quint32 window : windows) {
        if (instance_name(window) == "panel" && window_class(window) == "trayer")
            found.append(window);
    }
    return found;
}

void X11Desktop::collect_icons(quint32 window, qint64 owner, QList<quint32>& icons)
{
    const QList<quint32> windows = children(window);
    for (const quint32 child : windows) {
        if (window_class(child) == "Quadron" && (owner == 0 || pid(child) == owner))
            icons.append(child);
        collect_icons(child, owner, icons);
    }
}

QList<quint32> X11Desktop::top_level_windows(const QString& title_text, qint64 owner,
                                             bool shown_only)
{
    QList<quint32> found;
    if (!connection)
        return found;
    const QList<quint32> windows = children(root);
    for (const quint32 window : windows) {
        if (title(window) != title_text || (owner != 0 && pid(window) != owner))
            continue;
        if (!shown_only || is_shown(window))
            found.append(window);
    }
    return found;
}

quint32 X11Desktop::atom(const char* name)
{
    const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name),
        nullptr));
    return reply ? reply->atom : quint32(XCB_ATOM_NONE);
}

#include "x11_desktop.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

struct FreeDeleter
{
    void operator()(void* pointer) const { std::free(pointer); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeDeleter>;

QList<quint32> children(xcb_connection_t* c, quint32 window)
{
    const Reply<xcb_query_tree_reply_t> tree(
        c ? xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr) : nullptr);
    if (!tree)
        return {};
    const xcb_window_t* ids = xcb_query_tree_children(tree.get());
    return QList<quint32>(ids, ids + xcb_query_tree_children_length(tree.get()));
}

quint32 atom(xcb_connection_t* c, const char* name)
{
    const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : quint32(XCB_ATOM_NONE);
}

QByteArray property(xcb_connection_t* c, quint32 window, quint32 name)
{
    const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, name, XCB_GET_PROPERTY_TYPE_ANY, 0, 4096), nullptr));
    if (!reply || reply->format == 0)
        return {};
    return QByteArray(static_cast<const char*>(xcb_get_property_value(reply.get())),
                      xcb_get_property_value_length(reply.get()));
}

// WM_CLASS: the instance name, then the class name.
QList<QByteArray> window_class(xcb_connection_t* c, quint32 window)
{
    return property(c, window, XCB_ATOM_WM_CLASS).split('\0');
}

bool owned_by(xcb_connection_t* c, quint32 window, qint64 pid)
{
    const QByteArray value = property(c, window, atom(c, "_NET_WM_PID"));
    quint32 number = 0;
    if (value.size() >= 4)
        std::memcpy(&number, value.constData(), sizeof number);
    return pid == 0 || number == pid;
}

bool is_shown(xcb_connection_t* c, quint32 window, bool override_redirect)
{
    const Reply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr));
    return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE &&
           bool(attributes->override_redirect) == override_redirect;
}

void collect_icons(xcb_connection_t* c, quint32 window, qint64 pid, QList<quint32>& icons)
{
    for (const quint32 child : children(c, window)) {
        if (window_class(c, child).value(1) == "Quadron" && owned_by(c, child, pid))
            icons.append(child);
        collect_icons(c, child, pid, icons);
    }
}

// Trayer's panels, where the icons are embedded.
QList<quint32> panels(xcb_connection_t* c, quint32 root)
{
    QList<quint32> found = children(c, root);
    found.removeIf([&](quint32 window) {
        return window_class(c, window).mid(0, 2) != QList<QByteArray>{"panel", "trayer"};
    });
    return found;
}

} // namespace

X11Desktop::X11Desktop(const QByteArray& display_name)
    : connection(xcb_connect(display_name.isEmpty() ? nullptr : display_name.constData(), nullptr))
{
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        connection = nullptr;
        return;
    }
    // The test displays have the one screen.
    root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
}

X11Desktop::~X11Desktop()
{
    if (connection)
        xcb_disconnect(connection);
}

bool X11Desktop::has_tray_host()
{
    return !panels(connection, root).isEmpty();
}

QList<quint32> X11Desktop::shown_windows(const QString& title, qint64 pid)
{
    QList<quint32> found = children(connection, root);
    found.removeIf([&](quint32 window) {
        const QByteArray name = property(connection, window, atom(connection, "_NET_WM_NAME"));
        const QString text =
            name.isEmpty() ? QString::fromLatin1(property(connection, window, XCB_ATOM_WM_NAME))
                           : QString::fromUtf8(name);
        return text != title || !owned_by(connection, window, pid) ||
               !is_shown(connection, window, false);
    });
    return found;
}

QList<quint32> X11Desktop::shown_popups(qint64 pid)
{
    QList<quint32> found = children(connection, root);
    found.removeIf([&](quint32 window) {
        return !is_shown(connection, window, true) || !owned_by(connection, window, pid);
    });
    return found;
}

QList<quint32> X11Desktop::tray_icons(qint64 pid)
{
    QList<quint32> icons;
    for (const quint32 panel : panels(connection, root))
        collect_icons(connection, panel, pid, icons);
    return icons;
}

void X11Desktop::close_window(quint32 window)
{
    if (!connection)
        return;
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = atom(connection, "WM_PROTOCOLS");
    event.data.data32[0] = atom(connection, "WM_DELETE_WINDOW");
    event.data.data32[1] = XCB_CURRENT_TIME;
    // With no event mask the event goes to the client that created the window.
    xcb_send_event(connection, 0, window, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(connection);
}

std::pair<int, int> X11Desktop::centre_of_colour(quint32 window, quint32 rgb)
{
    const Reply<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr));
    if (!geometry)
        return {-1, -1};
    const Reply<xcb_get_image_reply_t> image(
        xcb_get_image_reply(connection,
                            xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0, 0,
                                          geometry->width, geometry->height, ~0u),
                            nullptr));
    // A 24-bit display keeps each pixel in 32 bits, blue first.
    if (!image || xcb_get_image_data_length(image.get()) < 4 * geometry->width * geometry->height)
        return {-1, -1};
    const auto* pixels = reinterpret_cast<const quint32*>(xcb_get_image_data(image.get()));
    long long x_sum = 0, y_sum = 0, count = 0;
    for (int y = 0; y < geometry->height; ++y) {
        for (int x = 0; x < geometry->width; ++x) {
            if ((pixels[y * geometry->width + x] & 0xFFFFFF) == rgb) {
                x_sum += x;
                y_sum += y;
                ++count;
            }
        }
    }
    if (count == 0)
        return {-1, -1};
    return {int(x_sum / count), int(y_sum / count)};
}

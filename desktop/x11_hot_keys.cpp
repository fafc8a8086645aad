#include "x11_hot_keys.h"

#include "desktop_log.h"
#include "virtual_key_map.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <X11/keysym.h>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

struct FreeDeleter
{
    void operator()(void* p) const { std::free(p); }
};

template <typename T> using XcbReply = std::unique_ptr<T, FreeDeleter>;

std::vector<xcb_keycode_t> keycodes_for(xcb_key_symbols_t* symbols, xcb_keysym_t keysym)
{
    std::vector<xcb_keycode_t> codes;
    const XcbReply<xcb_keycode_t> list(xcb_key_symbols_get_keycode(symbols, keysym));
    for (const xcb_keycode_t* code = list.get(); code && *code != XCB_NO_SYMBOL; ++code)
        codes.push_back(*code);
    return codes;
}

// NumLock sits on whichever modifier the keymap assigns it to.
quint16 num_lock_mask(xcb_connection_t* connection, xcb_key_symbols_t* symbols)
{
    const std::vector<xcb_keycode_t> num_lock = keycodes_for(symbols, XK_Num_Lock);
    if (num_lock.empty())
        return 0;
    const XcbReply<xcb_get_modifier_mapping_reply_t> mapping(
        xcb_get_modifier_mapping_reply(connection, xcb_get_modifier_mapping(connection), nullptr));
    if (!mapping)
        return 0;
    const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(mapping.get());
    const int per_modifier = mapping->keycodes_per_modifier;
    for (int modifier = 0; modifier < 8; ++modifier) {
        for (int i = 0; i < per_modifier; ++i) {
            const xcb_keycode_t code = codes[modifier * per_modifier + i];
            if (code != 0 && std::find(num_lock.begin(), num_lock.end(), code) != num_lock.end())
                return static_cast<quint16>(1u << modifier);
        }
    }
    return 0;
}

} // namespace

struct X11HotKeys::Binding
{
    int id = 0;
    quint16 modifiers = 0;
    xcb_keysym_t keysym = XCB_NO_SYMBOL;
    std::vector<xcb_keycode_t> keycodes; // empty while not grabbed
};

struct X11HotKeys::State
{
    xcb_connection_t* connection = nullptr;
    xcb_key_symbols_t* symbols = nullptr;
    std::vector<xcb_window_t> roots;
    quint16 num_lock = 0;
    std::vector<Binding> bindings;

    std::vector<quint16> lock_variants() const
    {
        std::vector<quint16> variants{0, XCB_MOD_MASK_LOCK};
        if (num_lock != 0 && num_lock != XCB_MOD_MASK_LOCK) {
            variants.push_back(num_lock);
            variants.push_back(num_lock | XCB_MOD_MASK_LOCK);
        }
        return variants;
    }
};

X11HotKeys::X11HotKeys(QObject* parent) : HotKeyService(parent)
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection || xcb_connection_has_error(connection))
        return;
    state = std::make_unique<State>();
    state->connection = connection;
    state->symbols = xcb_key_symbols_alloc(connection);
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(connection)); it.rem;
         xcb_screen_next(&it))
        state->roots.push_back(it.data->root);
    state->num_lock = num_lock_mask(connection, state->symbols);
    QCoreApplication::instance()->installNativeEventFilter(this);
}

X11HotKeys::~X11HotKeys()
{
    if (!state)
        return;
    // Once the application object is gone, so is its X connection.
    if (qGuiApp) {
        for (const Binding& binding : state->bindings)
            ungrab(binding);
        xcb_flush(state->connection);
    }
    xcb_key_symbols_free(state->symbols);
}

bool X11HotKeys::register_hot_key(int id, quint32 modifiers, quint32 virtual_key)
{
    if (!state)
        return false; // no X display: another service has the hot keys, or none does
    const std::optional<quint16> mask = VirtualKeyMap::x_modifiers(modifiers);
    const quint32 keysym = VirtualKeyMap::keysym(virtual_key);
    const QString name = VirtualKeyMap::describe(modifiers, virtual_key);
    if (!mask || keysym == XCB_NO_SYMBOL) {
        qCWarning(desktop_log, "hot key %d (modifiers %u, key %u) is not one this program knows",
                  id, modifiers, virtual_key);
        return false;
    }
    // Without Ctrl, Alt or Win a text key would be taken from every program, as a typo in
    // the settings file easily does.
    if (VirtualKeyMap::types_text(modifiers, virtual_key)) {
        qCWarning(desktop_log, "hot key %s is not taken: it types text", qUtf8Printable(name));
        return false;
    }
    Binding binding;
    binding.id = id;
    binding.modifiers = *mask;
    binding.keysym = keysym;
    if (!grab(binding)) {
        qCWarning(desktop_log,
                  "hot key %s is not taken: the keyboard lacks it, or another "
                  "program holds it",
                  qUtf8Printable(name));
        return false;
    }
    state->bindings.push_back(binding);
    return true;
}

QString X11HotKeys::status() const
{
    return state ? QStringLiteral("x11") : QStringLiteral("none: no X11 display");
}

bool X11HotKeys::grab(Binding& binding)
{
    binding.keycodes.clear();
    // A keysym the keymap cannot produce has no keycode; keycode 0 would mean any key.
    std::vector<xcb_keycode_t> codes = keycodes_for(state->symbols, binding.keysym);
    if (codes.empty())
        return false;
    for (const Binding& held : state->bindings) {
        if (held.modifiers != binding.modifiers)
            continue;
        for (const xcb_keycode_t code : codes) {
            if (std::find(held.keycodes.begin(), held.keycodes.end(), code) != held.keycodes.end())
                return false;
        }
    }

    std::vector<xcb_void_cookie_t> cookies;
    for (const xcb_window_t root : state->roots) {
        for (const xcb_keycode_t code : codes) {
            for (const quint16 lock : state->lock_variants()) {
                // Not owner_events: a press goes to the root even while one of the
                // program's own windows has the focus.
                cookies.push_back(xcb_grab_key_checked(state->connection, 0, root,
                                                       binding.modifiers | lock, code,
                                                       XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
            }
        }
    }
    bool refused = false;
    for (const xcb_void_cookie_t cookie : cookies) {
        const XcbReply<xcb_generic_error_t> error(xcb_request_check(state->connection, cookie));
        refused = refused || error != nullptr;
    }
    binding.keycodes = std::move(codes);
    if (refused) {
        // Ungrabbing only ever releases this client's own grabs.
        ungrab(binding);
        xcb_flush(state->connection);
        binding.keycodes.clear();
        return false;
    }
    return true;
}

void X11HotKeys::ungrab(const Binding& binding)
{
    for (const xcb_window_t root : state->roots) {
        for (const xcb_keycode_t code : binding.keycodes) {
            for (const quint16 lock : state->lock_variants())
                xcb_ungrab_key(state->connection, code, root, binding.modifiers | lock);
        }
    }
}

void X11HotKeys::reload_keymap()
{
    for (const Binding& binding : state->bindings)
        ungrab(binding);
    xcb_key_symbols_free(state->symbols);
    state->symbols = xcb_key_symbols_alloc(state->connection);
    state->num_lock = num_lock_mask(state->connection, state->symbols);
    // Grab again in registration order; a key the new keymap lacks stays silent.
    std::vector<Binding> bindings;
    bindings.swap(state->bindings);
    for (Binding& binding : bindings) {
        grab(binding);
        state->bindings.push_back(binding);
    }
}

bool X11HotKeys::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (!state || eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const uint8_t type = event->response_type & 0x7f;

    if (type == XCB_MAPPING_NOTIFY) {
        const auto* mapping = reinterpret_cast<const xcb_mapping_notify_event_t*>(event);
        if (mapping->request == XCB_MAPPING_KEYBOARD || mapping->request == XCB_MAPPING_MODIFIER)
            reload_keymap();
        return false;
    }
    if (type != XCB_KEY_PRESS)
        return false;

    const auto* press = reinterpret_cast<const xcb_key_press_event_t*>(event);
    if (std::find(state->roots.begin(), state->roots.end(), press->event) == state->roots.end())
        return false;
    const quint16 modifiers =
        press->state & 0xff & ~(XCB_MOD_MASK_LOCK | static_cast<unsigned>(state->num_lock));
    for (const Binding& binding : state->bindings) {
        if (binding.modifiers != modifiers ||
            std::find(binding.keycodes.begin(), binding.keycodes.end(), press->detail) ==
                binding.keycodes.end())
            continue;
        // Queued, so that whatever the receiver does (even a modal dialog) runs outside
        // the toolkit's event processing.
        const int id = binding.id;
        QMetaObject::invokeMethod(
            this, [this, id] { Q_EMIT activated(id); }, Qt::QueuedConnection);
        return true;
    }
    return false;
}

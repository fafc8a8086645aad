/* Presses key combinations on a KWin session as a keyboard would, through KWin's
 * org_kde_kwin_fake_input: the compositor takes them for real key presses and runs its global
 * shortcuts on them. KWin grants the interface only to a program whose desktop entry lists
 * X-KDE-Wayland-Interfaces=org_kde_kwin_fake_input.
 *
 * Usage: quadron-fake-keys COMBINATION...
 *   COMBINATION  evdev key codes joined by '+', pressed in order and released in reverse
 *                (29+56+48 is Ctrl+Alt+B)
 * Exits 0 once the compositor has taken every event, 1 when it offers no fake input, 2 on a
 * bad argument. */
#include "fake-input-client-protocol.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wayland-client.h>

static struct org_kde_kwin_fake_input* fake_input;

static void global_added(void* data, struct wl_registry* registry, uint32_t name,
                         const char* interface, uint32_t version)
{
    (void)data;
    if (strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 && version >= 4)
        fake_input = wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 4);
}

static void global_removed(void* data, struct wl_registry* registry, uint32_t name)
{
    (void)data;
    (void)registry;
    (void)name;
}

static const struct wl_registry_listener registry_listener = {global_added, global_removed};

int main(int argc, char* argv[])
{
    struct wl_display* display = wl_display_connect(NULL);
    if (!display) {
        fprintf(stderr, "quadron-fake-keys: no Wayland display\n");
        return 1;
    }
    struct wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registry_listener, NULL);
    wl_display_roundtrip(display);
    if (!fake_input) {
        fprintf(stderr, "quadron-fake-keys: the compositor offers no org_kde_kwin_fake_input\n");
        return 1;
    }
    org_kde_kwin_fake_input_authenticate(fake_input, "quadron-fake-keys",
                                         "Brenvik Quadron's tests press its hot keys");
    for (int i = 1; i < argc; ++i) {
        unsigned keys[8];
        int count = 0;
        char* rest = argv[i];
        while (*rest && count < 8) {
            char* end;
            unsigned long key = strtoul(rest, &end, 10);
            if (end == rest || (*end && *end != '+')) {
                fprintf(stderr, "quadron-fake-keys: bad combination %s\n", argv[i]);
                return 2;
            }
            keys[count++] = (unsigned)key;
            rest = *end ? end + 1 : end;
        }
        /* One event at a time, each taken before the next, as from a keyboard. */
        for (int k = 0; k < count; ++k) {
            org_kde_kwin_fake_input_keyboard_key(fake_input, keys[k],
                                                 WL_KEYBOARD_KEY_STATE_PRESSED);
            wl_display_roundtrip(display);
        }
        for (int k = count - 1; k >= 0; --k) {
            org_kde_kwin_fake_input_keyboard_key(fake_input, keys[k],
                                                 WL_KEYBOARD_KEY_STATE_RELEASED);
            wl_display_roundtrip(display);
        }
    }
    org_kde_kwin_fake_input_destroy(fake_input);
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return 0;
}

// Grabs Ctrl+Alt+<letter> (w unless given) on the root window and keeps it until killed.
// Prints "ready" once the grab is held, "refused" when another client holds it.
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

int main(int argc, char** argv)
{
    const xcb_keysym_t letter = static_cast<unsigned char>(argc > 1 ? argv[1][0] : 'w');
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection))
        return 2;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(connection);
    xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols, letter);
    if (!codes || codes[0] == XCB_NO_SYMBOL)
        return 2;
    const xcb_void_cookie_t cookie =
        xcb_grab_key_checked(connection, 1, root, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1, codes[0],
                             XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    std::free(codes);
    if (xcb_generic_error_t* error = xcb_request_check(connection, cookie)) {
        std::free(error);
        std::puts("refused");
        return 1;
    }
    std::puts("ready");
    std::fflush(stdout);
    for (;;)
        pause();
}

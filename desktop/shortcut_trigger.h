#pragma once

#include <QString>

// A stored hot key (modifier bits Alt 1, Ctrl 2, Shift 4, Win 8; a Windows virtual-key code)
// in the notation desktops use for global shortcuts: the modifier names CTRL, ALT, SHIFT and
// LOGO and the key's xkbcommon keysym name, joined by '+', as in "CTRL+ALT+b". Empty when the
// modifiers hold other bits or the key has no keysym here.
QString shortcut_trigger(quint32 modifiers, quint32 virtual_key);

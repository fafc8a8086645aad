#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// Stored hot key values keep their Windows meaning; this turns them into X11 terms.
class VirtualKeyMap
{
public:
    // The keysym for a Windows virtual-key code, 0 (no symbol) when the key has none here.
    // Letters map to their lower-case keysyms; OEM punctuation keys follow the US layout.
    static quint32 keysym(quint32 virtual_key);

    // The X modifier mask for hot key modifier bits (Alt 1, Ctrl 2, Shift 4, Win 8), none
    // when other bits are set.
    static std::optional<quint16> x_modifiers(quint32 modifiers);

    // Whether the combination types text: a letter, a digit, punctuation, space, Return, Tab
    // or BackSpace without Ctrl, Alt or Win (Shift alone still types a capital or a sign).
    // Such a combination is never taken from every program.
    static bool types_text(quint32 modifiers, quint32 virtual_key);
    // The combination as a user reads it, e.g. "Ctrl+Alt+B".
    static QString describe(quint32 modifiers, quint32 virtual_key);
};

#include "virtual_key_map.h"

#include <X11/XF86keysym.h>
#include <X11/keysym.h>
#include <xcb/xproto.h>

#include <utility>

namespace {

// Consecutive virtual keys whose keysyms are consecutive too.
struct KeyRun
{
    quint32 first_virtual_key;
    quint32 first_keysym;
    quint32 count;
};

const KeyRun key_runs[] = {
    {0x08, XK_BackSpace, 2}, // Back, Tab
    {0x0C, XK_Clear, 1},
    {0x0D, XK_Return, 1},
    {0x13, XK_Pause, 1},
    {0x1B, XK_Escape, 1},
    {0x20, XK_space, 1},
    {0x21, XK_Prior, 1},
    {0x22, XK_Next, 1},
    {0x23, XK_End, 1},
    {0x24, XK_Home, 1},
    {0x25, XK_Left, 4}, // Left, Up, Right, Down
    {0x29, XK_Select, 1},
    {0x2A, XK_Print, 1},
    {0x2B, XK_Execute, 1},
    {0x2C, XK_Print, 1}, // Snapshot
    {0x2D, XK_Insert, 1},
    {0x2E, XK_Delete, 1},
    {0x2F, XK_Help, 1},
    {0x30, XK_0, 10},
    {0x41, XK_a, 26},
    {0x5D, XK_Menu, 1}, // Apps
    {0x5F, XF86XK_Sleep, 1},
    {0x60, XK_KP_0, 10},
    {0x6A, XK_KP_Multiply, 6}, // Multiply, Add, Separator, Subtract, Decimal, Divide
    {0x70, XK_F1, 24},
    {0xA6, XF86XK_Back, 1},
    {0xA7, XF86XK_Forward, 1},
    {0xA8, XF86XK_Refresh, 1},
    {0xA9, XF86XK_Stop, 1},
    {0xAA, XF86XK_Search, 1},
    {0xAB, XF86XK_Favorites, 1},
    {0xAC, XF86XK_HomePage, 1},
    {0xAD, XF86XK_AudioMute, 1},
    {0xAE, XF86XK_AudioLowerVolume, 1},
    {0xAF, XF86XK_AudioRaiseVolume, 1},
    {0xB0, XF86XK_AudioNext, 1},
    {0xB1, XF86XK_AudioPrev, 1},
    {0xB2, XF86XK_AudioStop, 1},
    {0xB3, XF86XK_AudioPlay, 1},
    {0xB4, XF86XK_Mail, 1},
    {0xB5, XF86XK_AudioMedia, 1},
    {0xB6, XF86XK_MyComputer, 1},
    {0xB7, XF86XK_Calculator, 1},
    {0xBA, XK_semicolon, 1},
    {0xBB, XK_equal, 1},
    {0xBC, XK_comma, 1},
    {0xBD, XK_minus, 1},
    {0xBE, XK_period, 1},
    {0xBF, XK_slash, 1},
    {0xC0, XK_grave, 1},
    {0xDB, XK_bracketleft, 1},
    {0xDC, XK_backslash, 1},
    {0xDD, XK_bracketright, 1},
    {0xDE, XK_apostrophe, 1},
    {0xE2, XK_less, 1}, // the extra key of 102-key keyboards
};

struct ModifierBit
{
    quint32 windows_bit;
    quint16 x_mask;
};

const ModifierBit modifier_bits[] = {
    {1, XCB_MOD_MASK_1},
    {2, XCB_MOD_MASK_CONTROL},
    {4, XCB_MOD_MASK_SHIFT},
    {8, XCB_MOD_MASK_4},
};

// Keys that type text, by virtual-key code.
const std::pair<quint32, quint32> text_key_ranges[] = {
    {0x08, 0x09}, // BackSpace, Tab
    {0x0D, 0x0D}, // Return
    {0x20, 0x20}, // space
    {0x30, 0x39}, // digits
    {0x41, 0x5A}, // letters
    {0x60, 0x6F}, // the keypad's digits and signs
    {0xBA, 0xC0}, // punctuation
    {0xDB, 0xDE}, {0xE2, 0xE2},
};

} // namespace

bool VirtualKeyMap::types_text(quint32 modifiers, quint32 virtual_key)
{
    constexpr quint32 shift = 4;
    if ((modifiers & ~shift) != 0)
        return false;
    for (const auto& [first, last] : text_key_ranges) {
        if (virtual_key >= first && virtual_key <= last)
            return true;
    }
    return false;
}

QString VirtualKeyMap::describe(quint32 modifiers, quint32 virtual_key)
{
    QString text;
    const std::pair<quint32, const char*> names[] = {
        {2, "Ctrl+"}, {1, "Alt+"}, {4, "Shift+"}, {8, "Win+"}};
    for (const auto& [bit, name] : names) {
        if (modifiers & bit)
            text += QLatin1String(name);
    }
    if ((virtual_key >= 0x30 && virtual_key <= 0x39) ||
        (virtual_key >= 0x41 && virtual_key <= 0x5A))
        return text + QChar(char16_t(virtual_key));
    if (virtual_key >= 0x70 && virtual_key <= 0x87)
        return text + QStringLiteral("F%1").arg(virtual_key - 0x6F);
    return text + QStringLiteral("key 0x%1").arg(virtual_key, 2, 16, QLatin1Char('0'));
}

quint32 VirtualKeyMap::keysym(quint32 virtual_key)
{
    for (const KeyRun& run : key_runs) {
        if (virtual_key >= run.first_virtual_key && virtual_key - run.first_virtual_key < run.count)
            return run.first_keysym + (virtual_key - run.first_virtual_key);
    }
    return XCB_NO_SYMBOL;
}

std::optional<quint16> VirtualKeyMap::x_modifiers(quint32 modifiers)
{
    quint16 mask = 0;
    for (const ModifierBit& bit : modifier_bits) {
        if (modifiers & bit.windows_bit) {
            mask |= bit.x_mask;
            modifiers &= ~bit.windows_bit;
        }
    }
    if (modifiers != 0)
        return std::nullopt;
    return mask;
}

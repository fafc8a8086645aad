#include "shortcut_trigger.h"

#include "virtual_key_map.h"

#include <QStringList>

#include <xkbcommon/xkbcommon.h>

#include <array>

namespace {

struct ModifierName
{
    quint32 bit;
    const char* name;
};

// In the order desktops write them.
constexpr ModifierName modifier_names[] = {{2, "CTRL"}, {1, "ALT"}, {4, "SHIFT"}, {8, "LOGO"}};

} // namespace

QString shortcut_trigger(quint32 modifiers, quint32 virtual_key)
{
    const quint32 keysym = VirtualKeyMap::keysym(virtual_key);
    std::array<char, 64> name{};
    if (keysym == XKB_KEY_NoSymbol || xkb_keysym_get_name(keysym, name.data(), name.size()) <= 0)
        return {};
    // As under X11: a text key is never asked for without Ctrl, Alt or Win.
    if (VirtualKeyMap::types_text(modifiers, virtual_key))
        return {};
    QStringList parts;
    for (const ModifierName& modifier : modifier_names) {
        if (modifiers & modifier.bit) {
            parts.append(QLatin1String(modifier.name));
            modifiers &= ~modifier.bit;
        }
    }
    if (modifiers != 0)
        return {};
    parts.append(QString::fromLatin1(name.data()));
    return parts.join(QLatin1Char('+'));
}

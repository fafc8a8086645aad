#pragma once

#include <cstring>
#include <string_view>

// The hot keys' ids, as the desktop's key grabs report them.
inline constexpr int HOTKEY_VOLUME_UP = 101;
inline constexpr int HOTKEY_VOLUME_DOWN = 102;
inline constexpr int HOTKEY_SUB_UP = 103;
inline constexpr int HOTKEY_SUB_DOWN = 104;

// The four actions a hot key, a command (`quadron --volume-up`) or a D-Bus call can take, in
// one list: the hot key's id, the command's option (also the portal's shortcut id), the D-Bus
// method, what it does, the desktop's name for the shortcut (translation context
// "PlatformServices") and the keys it has unless the settings say otherwise.
struct AmpAction
{
    int hot_key_id;
    const char* option;
    const char* dbus_method;
    const char* description;
    const char* shortcut_text;  // untranslated
    unsigned default_modifiers; // Alt 1, Ctrl 2, Shift 4, Win 8
    unsigned default_key;       // Windows virtual-key code
};

inline constexpr AmpAction amp_actions[] = {
    {HOTKEY_VOLUME_UP, "volume-up", "VolumeUp",
     "Raise the volume (or the faders), as the volume-up hot key does.", "Громкость: прибавить", 3,
     0x42},
    {HOTKEY_VOLUME_DOWN, "volume-down", "VolumeDown",
     "Lower the volume (or the faders), as the volume-down hot key does.", "Громкость: убавить", 3,
     0x43},
    {HOTKEY_SUB_UP, "subwoofer-up", "SubwooferUp",
     "Raise the subwoofer level, as its hot key does.", "Сабвуфер: прибавить", 3, 0x57},
    {HOTKEY_SUB_DOWN, "subwoofer-down", "SubwooferDown",
     "Lower the subwoofer level, as its hot key does.", "Сабвуфер: убавить", 3, 0x53},
};

// The action with this option ("volume-up"), or as a message with its dashes ("--volume-up").
inline const AmpAction* find_amp_action(std::string_view option)
{
    if (option.substr(0, 2) == "--")
        option.remove_prefix(2);
    for (const AmpAction& action : amp_actions) {
        if (option == action.option)
            return &action;
    }
    return nullptr;
}

inline const AmpAction& amp_action(int hot_key_id)
{
    for (const AmpAction& action : amp_actions) {
        if (action.hot_key_id == hot_key_id)
            return action;
    }
    return amp_actions[0];
}

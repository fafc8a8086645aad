#pragma once

#include "amp_actions.h"

#include <QtGlobal>

// The program's own settings as kept in the settings file. The initialisers are the
// values used when a key is absent.
struct SettingsValues
{
    bool autoload = false;
    // Hot key combinations in their stored meaning: modifier bits Alt 1, Ctrl 2, Shift 4,
    // Win 8, and Windows virtual-key codes (3 and 0x42: Ctrl+Alt+B), by default the actions'.
    quint32 volume_up_fsModifiers = amp_actions[0].default_modifiers;
    quint32 volume_up_global_hot_key = amp_actions[0].default_key;
    quint32 volume_down_fsModifiers = amp_actions[1].default_modifiers;
    quint32 volume_down_global_hot_key = amp_actions[1].default_key;

    bool operator==(const SettingsValues& other) const
    {
        return autoload == other.autoload && volume_up_fsModifiers == other.volume_up_fsModifiers &&
               volume_up_global_hot_key == other.volume_up_global_hot_key &&
               volume_down_fsModifiers == other.volume_down_fsModifiers &&
               volume_down_global_hot_key == other.volume_down_global_hot_key;
    }
    bool operator!=(const SettingsValues& other) const { return !(*this == other); }
};

// The window's desktop side: its own settings, the autostart entry and the global hot keys.
#include "ui_widget.h"
#include "widget.h"

#include "app_settings.h"
#include "autostart_entry.h"

void Widget::register_hot_keys()
{
    using S = AmplifierState;
    hot_keys->register_hot_key(S::HOTKEY_VOLUME_UP, volume_up_fsModifiers,
                               volume_up_global_hot_key);
    hot_keys->register_hot_key(S::HOTKEY_VOLUME_DOWN, volume_down_fsModifiers,
                               volume_down_global_hot_key);
    // Ctrl+Alt+W and Ctrl+Alt+S, not configurable.
    hot_keys->register_hot_key(S::HOTKEY_SUB_UP, 3, 0x57);
    hot_keys->register_hot_key(S::HOTKEY_SUB_DOWN, 3, 0x53);
    connect(hot_keys.get(), &HotKeyService::activated, &state, &AmplifierState::on_hot_key);
}

void Widget::load_settings()
{
    const SettingsValues values = AppSettings::load(settings_path);
    autoload_enabled = values.autoload;
    volume_up_fsModifiers = values.volume_up_fsModifiers;
    volume_up_global_hot_key = values.volume_up_global_hot_key;
    volume_down_fsModifiers = values.volume_down_fsModifiers;
    volume_down_global_hot_key = values.volume_down_global_hot_key;
    // The box says what the next logon does: nothing, when the entry has gone or the desktop
    // disabled it. An entry that starts the program keeps starting it after it was moved.
    if (autoload_enabled)
        autoload_enabled = AutostartEntry::starts_at_logon(autostart_file_name);
    if (autoload_enabled)
        AutostartEntry::refresh(executable_path, autostart_file_name);
}

void Widget::save_settings()
{
    SettingsValues values;
    values.autoload = autoload_enabled;
    values.volume_up_fsModifiers = volume_up_fsModifiers;
    values.volume_up_global_hot_key = volume_up_global_hot_key;
    values.volume_down_fsModifiers = volume_down_fsModifiers;
    values.volume_down_global_hot_key = volume_down_global_hot_key;
    AppSettings::save(settings_path, values);
}

// The box shows autoload_enabled whenever the state is shown, with updating_controls raised:
// only the user's click reaches the autostart entry.
void Widget::on_autoload_checkBox_toggled(bool checked)
{
    if (!state.is_updating_controls())
        set_autostart(checked);
}

// The choice is saved at once: a program that is killed, or a machine that loses power, does
// not forget it. One the desktop could not carry out is not kept: the box goes back to what
// holds (the reason is in the log).
void Widget::set_autostart(bool on)
{
    if (AutostartEntry::set_enabled(on, executable_path, autostart_file_name)) {
        autoload_enabled = on;
        save_settings();
    }
    show_state();
}

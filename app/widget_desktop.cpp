// The window's desktop side: its own settings, the autostart entry and the global hot keys.
#include "ui_widget.h"
#include "widget.h"

#include "app_settings.h"
#include "autostart_entry.h"
#include "variant_availability.h"

#include <algorithm>
#include <array>

void Widget::register_hot_keys()
{
    hot_keys->register_hot_key(HOTKEY_VOLUME_UP, volume_up_fsModifiers, volume_up_global_hot_key);
    hot_keys->register_hot_key(HOTKEY_VOLUME_DOWN, volume_down_fsModifiers,
                               volume_down_global_hot_key);
    // Ctrl+Alt+W and Ctrl+Alt+S, not configurable.
    hot_keys->register_hot_key(HOTKEY_SUB_UP, 3, 0x57);
    hot_keys->register_hot_key(HOTKEY_SUB_DOWN, 3, 0x53);
    connect(hot_keys.get(), &HotKeyService::activated, this, [this](int id) { on_hot_key(id); });
}

void Widget::on_hot_key(int id)
{
    if (!device.is_open || updating_controls)
        return;
    switch (id) {
    case HOTKEY_VOLUME_UP:
        step_volume(+1);
        break;
    case HOTKEY_VOLUME_DOWN:
        step_volume(-1);
        break;
    case HOTKEY_SUB_UP:
        step_subwoofer(+1);
        break;
    case HOTKEY_SUB_DOWN:
        step_subwoofer(-1);
        break;
    default:
        break;
    }
}

void Widget::step_subwoofer(int step)
{
    ui->sub_horizontalSlider->setValue(ui->sub_horizontalSlider->value() + step);
}

// With the rear speakers on an unmuted second source the volume keys move the faders
// together, and only while every fader (the subwoofer's included) can still move.
void Widget::step_volume(int step)
{
    if (image.rear_source != 1 || image.sec_input > 4) {
        ui->volume_horizontalSlider->setValue(ui->volume_horizontalSlider->value() + step);
        return;
    }
    const std::array<QSlider*, 4> faders{ui->fl_horizontalSlider, ui->fr_horizontalSlider,
                                         ui->rl_horizontalSlider, ui->rr_horizontalSlider};
    const auto at_end = [step](const QSlider* slider) {
        return step > 0 ? slider->value() >= slider->maximum()
                        : slider->value() <= slider->minimum();
    };
    if (std::any_of(faders.begin(), faders.end(), at_end) || at_end(ui->sub_horizontalSlider))
        return;
    for (QSlider* fader : faders)
        fader->setValue(fader->value() + step);
    if (variant_has_subwoofer(device_variant))
        step_subwoofer(step);
}

void Widget::load_settings()
{
    if (settings_path.isEmpty())
        settings_path = AppSettings::default_path();
    const SettingsValues values = AppSettings::load(settings_path);
    updating_controls = true;
    autoload_enabled = values.autoload;
    ui->autoload_checkBox->setChecked(autoload_enabled);
    volume_up_fsModifiers = values.volume_up_fsModifiers;
    volume_up_global_hot_key = values.volume_up_global_hot_key;
    volume_down_fsModifiers = values.volume_down_fsModifiers;
    volume_down_global_hot_key = values.volume_down_global_hot_key;
    updating_controls = false;
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

void Widget::on_autoload_checkBox_toggled(bool checked)
{
    if (!updating_controls)
        set_autostart(checked);
}

void Widget::set_autostart(bool on)
{
    AutostartEntry::set_enabled(on, executable_path);
    autoload_enabled = on;
}

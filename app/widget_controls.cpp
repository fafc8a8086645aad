// The amplifier controls, bound to the settings table by name: each control hands its change
// to the table's row, and every row is shown in its controls whenever the state changes.
// Showing it raises updating_controls, so the controls' own signals then change nothing.
#include "amp_settings.h"
#include "quadron_core.h"
#include "ui_widget.h"
#include "variant_availability.h"
#include "widget.h"

namespace {

// A level's value field is named after the setting without "_gain" (bass_lineEdit).
QString display_name(const QString& setting)
{
    QString stem = setting;
    if (stem.endsWith(QLatin1String("_gain")))
        stem.chop(5);
    return stem + QStringLiteral("_lineEdit");
}

} // namespace

void Widget::bind_settings()
{
    for (const AmpSetting& setting : amp_settings()) {
        const QString name = QLatin1String(setting.name);
        Binding binding;
        binding.setting = &setting;
        for (const char* suffix : {"_horizontalSlider", "_checkBox", "_comboBox", "_spinBox"}) {
            if (!binding.control)
                binding.control = findChild<QWidget*>(name + QLatin1String(suffix));
        }
        if (setting.kind == AmpSetting::Kind::level)
            binding.display = findChild<QLineEdit*>(display_name(name));
        for (const AmpSetting::Item& item : setting.items) {
            const QString button =
                name + u'_' + QLatin1String(item.text) + QStringLiteral("_radioButton");
            if (auto* found = findChild<QRadioButton*>(button))
                binding.buttons.emplace_back(found, item.value);
        }
        bindings.push_back(std::move(binding));
    }
}

void Widget::edit_setting(const char* name, int value)
{
    if (const AmpSetting* setting = find_amp_setting(QLatin1String(name)))
        setting->write(state, value);
}

void Widget::show_state()
{
    const AmplifierState::Updating guard(state);
    for (const Binding& binding : bindings) {
        const int value = binding.setting->read(state.controls());
        if (auto* slider = qobject_cast<QSlider*>(binding.control))
            slider->setValue(value);
        else if (auto* box = qobject_cast<QCheckBox*>(binding.control))
            box->setChecked(value != 0);
        else if (auto* list = qobject_cast<QComboBox*>(binding.control))
            list->setCurrentIndex(value);
        else if (auto* spin = qobject_cast<QSpinBox*>(binding.control))
            spin->setValue(value);
        if (binding.display)
            binding.display->setText(QString::number(value) + tr(" db"));
        // A value without a button (an input code 4..7, or none yet) leaves the buttons be.
        for (const auto& [button, button_value] : binding.buttons) {
            if (button_value == value)
                button->setChecked(true);
        }
    }
    ui->autoload_checkBox->setChecked(core.autoload());

    const AmplifierState::Display& display = state.display();
    apply_variant_availability(ui, display.availability_variant);
    ui->amp_version_lineEdit->setText(display.version ? tr(display.version) : tr("N/A"));
    ui->status_label->setPixmap(display.connected_shown ? green_pixmap : red_pixmap);
    ui->status_label->setToolTip(lamp_tool_tip());
    ui->configuration_frame->setEnabled(display.frame_enabled);
    show_preset_mark();
}

// Why the lamp is red, in the window's own language.
QString Widget::lamp_tool_tip() const
{
    const AmplifierState::Display& display = state.display();
    if (display.connected_shown)
        return tr("Усилитель подключён");
    switch (display.problem) {
    case LinkProblem::no_permission:
        return tr("Усилитель подключён, но у вас нет прав на доступ к нему "
                  "(см. раздел «Device permissions» в README)") +
               QLatin1Char('\n') + display.problem_detail;
    case LinkProblem::cannot_open:
        return tr("Усилитель подключён, но открыть его не удалось") + QLatin1Char('\n') +
               display.problem_detail;
    case LinkProblem::not_answering:
        return tr("Усилитель не отвечает");
    case LinkProblem::none:
    case LinkProblem::no_amplifier:
        break;
    }
    return tr("Усилитель не найден");
}

// The box shows the choice whenever the state is shown, with updating_controls raised: only
// the user's click reaches the autostart entry.
void Widget::on_autoload_checkBox_toggled(bool checked)
{
    if (!state.is_updating_controls())
        core.set_autostart(checked);
}

void Widget::on_volume_horizontalSlider_valueChanged(int value)
{
    edit_setting("volume", value);
}

void Widget::on_fl_horizontalSlider_valueChanged(int value)
{
    edit_setting("fl", value);
}

void Widget::on_fr_horizontalSlider_valueChanged(int value)
{
    edit_setting("fr", value);
}

void Widget::on_rl_horizontalSlider_valueChanged(int value)
{
    edit_setting("rl", value);
}

void Widget::on_rr_horizontalSlider_valueChanged(int value)
{
    edit_setting("rr", value);
}

void Widget::on_sub_horizontalSlider_valueChanged(int value)
{
    edit_setting("sub", value);
}

void Widget::on_treble_gain_horizontalSlider_valueChanged(int value)
{
    edit_setting("treble_gain", value);
}

void Widget::on_middle_gain_horizontalSlider_valueChanged(int value)
{
    edit_setting("middle_gain", value);
}

void Widget::on_bass_gain_horizontalSlider_valueChanged(int value)
{
    edit_setting("bass_gain", value);
}

void Widget::on_input_gain_horizontalSlider_valueChanged(int value)
{
    edit_setting("input_gain", value);
}

void Widget::on_sec_input_gain_horizontalSlider_valueChanged(int value)
{
    edit_setting("sec_input_gain", value);
}

void Widget::on_volume_mute_checkBox_toggled(bool checked)
{
    edit_setting("volume_mute", checked);
}

void Widget::on_fl_mute_checkBox_toggled(bool checked)
{
    edit_setting("fl_mute", checked);
}

void Widget::on_fr_mute_checkBox_toggled(bool checked)
{
    edit_setting("fr_mute", checked);
}

void Widget::on_rl_mute_checkBox_toggled(bool checked)
{
    edit_setting("rl_mute", checked);
}

void Widget::on_rr_mute_checkBox_toggled(bool checked)
{
    edit_setting("rr_mute", checked);
}

void Widget::on_sub_mute_checkBox_toggled(bool checked)
{
    edit_setting("sub_mute", checked);
}

void Widget::on_input_1_radioButton_clicked()
{
    edit_setting("input", input_code::input_1);
}

void Widget::on_input_2_radioButton_clicked()
{
    edit_setting("input", input_code::input_2);
}

void Widget::on_input_3_radioButton_clicked()
{
    edit_setting("input", input_code::input_3);
}

void Widget::on_input_4_radioButton_clicked()
{
    edit_setting("input", input_code::input_4);
}

void Widget::on_sec_input_1_radioButton_clicked()
{
    edit_setting("sec_input", input_code::input_1);
}

void Widget::on_sec_input_2_radioButton_clicked()
{
    edit_setting("sec_input", input_code::input_2);
}

void Widget::on_sec_input_3_radioButton_clicked()
{
    edit_setting("sec_input", input_code::input_3);
}

void Widget::on_sec_input_4_radioButton_clicked()
{
    edit_setting("sec_input", input_code::input_4);
}

void Widget::on_sec_input_mute_radioButton_clicked()
{
    edit_setting("sec_input", input_code::muted);
}

void Widget::on_treble_cf_comboBox_currentIndexChanged(int index)
{
    edit_setting("treble_cf", index);
}

void Widget::on_middle_qf_comboBox_currentIndexChanged(int index)
{
    edit_setting("middle_qf", index);
}

void Widget::on_middle_cf_comboBox_currentIndexChanged(int index)
{
    edit_setting("middle_cf", index);
}

void Widget::on_bass_qf_comboBox_currentIndexChanged(int index)
{
    edit_setting("bass_qf", index);
}

void Widget::on_bass_cf_comboBox_currentIndexChanged(int index)
{
    edit_setting("bass_cf", index);
}

void Widget::on_sub_cut_off_comboBox_currentIndexChanged(int index)
{
    edit_setting("sub_cut_off", index);
}

void Widget::on_rear_speaker_source_comboBox_currentIndexChanged(int index)
{
    edit_setting("rear_speaker_source", index);
}

void Widget::on_autozero_checkBox_toggled(bool checked)
{
    edit_setting("autozero", checked);
}

void Widget::on_hard_mute_checkBox_toggled(bool checked)
{
    edit_setting("hard_mute", checked);
}

void Widget::on_acc_on_delay_spinBox_valueChanged(int value)
{
    edit_setting("acc_on_delay", value);
}

void Widget::on_soft_mute_checkBox_toggled(bool checked)
{
    edit_setting("soft_mute", checked);
}

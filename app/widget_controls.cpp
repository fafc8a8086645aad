// The amplifier controls: each one hands its change to the state, and the state is shown in
// the controls whenever it changes. Showing it raises updating_controls, so the controls'
// own signals then change nothing.
#include "ui_widget.h"
#include "variant_availability.h"
#include "widget.h"

namespace {

struct LevelControls
{
    LevelChannel channel;
    QSlider* slider;
    QCheckBox* mute;
    QLineEdit* display;
};

struct ToneControls
{
    ToneBand band;
    QSlider* slider;
    QLineEdit* display;
};

// The buttons of a source, by input code 0, 1, 2, 3 (they are not numbered in code order).
QRadioButton* input_button(int code, std::initializer_list<QRadioButton*> in_code_order)
{
    if (code < 0 || code >= int(in_code_order.size()))
        return nullptr;
    return *(in_code_order.begin() + code);
}

void show_db(QSlider* slider, QLineEdit* display, int value)
{
    slider->setValue(value);
    display->setText(QString::number(value) + Widget::tr(" db"));
}

} // namespace

void Widget::show_state()
{
    if (!ui)
        return;
    const AmplifierState::Updating guard(state);
    const AmplifierState::Controls& shown = state.controls();

    const LevelControls levels[] = {
        {LevelChannel::Volume, ui->volume_horizontalSlider, ui->volume_mute_checkBox,
         ui->volume_lineEdit},
        {LevelChannel::FL, ui->fl_horizontalSlider, ui->fl_mute_checkBox, ui->fl_lineEdit},
        {LevelChannel::FR, ui->fr_horizontalSlider, ui->fr_mute_checkBox, ui->fr_lineEdit},
        {LevelChannel::RL, ui->rl_horizontalSlider, ui->rl_mute_checkBox, ui->rl_lineEdit},
        {LevelChannel::RR, ui->rr_horizontalSlider, ui->rr_mute_checkBox, ui->rr_lineEdit},
        {LevelChannel::Sub, ui->sub_horizontalSlider, ui->sub_mute_checkBox, ui->sub_lineEdit},
    };
    for (const LevelControls& level : levels) {
        const auto channel = static_cast<std::size_t>(level.channel);
        show_db(level.slider, level.display, shown.level_db[channel]);
        level.mute->setChecked(shown.level_muted[channel]);
    }
    const ToneControls tones[] = {
        {ToneBand::Treble, ui->treble_gain_horizontalSlider, ui->treble_lineEdit},
        {ToneBand::Middle, ui->middle_gain_horizontalSlider, ui->middle_lineEdit},
        {ToneBand::Bass, ui->bass_gain_horizontalSlider, ui->bass_lineEdit},
    };
    for (const ToneControls& tone : tones)
        show_db(tone.slider, tone.display, shown.tone_db[static_cast<std::size_t>(tone.band)]);
    show_db(ui->input_gain_horizontalSlider, ui->input_lineEdit, shown.pri_gain);
    show_db(ui->sec_input_gain_horizontalSlider, ui->sec_input_lineEdit, shown.sec_gain);

    if (auto* button =
            input_button(shown.pri_input, {ui->input_2_radioButton, ui->input_3_radioButton,
                                           ui->input_4_radioButton, ui->input_1_radioButton}))
        button->setChecked(true);
    if (auto* button = input_button(shown.sec_input,
                                    {ui->sec_input_2_radioButton, ui->sec_input_3_radioButton,
                                     ui->sec_input_4_radioButton, ui->sec_input_1_radioButton,
                                     nullptr, nullptr, nullptr, ui->sec_input_mute_radioButton}))
        button->setChecked(true);
    ui->autozero_checkBox->setChecked(shown.autozero);
    ui->hard_mute_checkBox->setChecked(shown.hard_mute);
    ui->soft_mute_checkBox->setChecked(shown.soft_mute);
    ui->acc_on_delay_spinBox->setValue(shown.acc_on_delay);
    QComboBox* const index_boxes[] = {ui->treble_cf_comboBox,
                                      ui->middle_qf_comboBox,
                                      ui->middle_cf_comboBox,
                                      ui->bass_qf_comboBox,
                                      ui->bass_cf_comboBox,
                                      ui->sub_cut_off_comboBox,
                                      ui->rear_speaker_source_comboBox}; // by IndexField
    for (std::size_t field = 0; field < shown.index.size(); ++field)
        index_boxes[field]->setCurrentIndex(shown.index[field]);
    ui->autoload_checkBox->setChecked(autoload_enabled);

    const AmplifierState::Display& display = state.display();
    apply_variant_availability(ui, display.availability_variant);
    ui->amp_version_lineEdit->setText(display.version ? tr(display.version) : tr("N/A"));
    ui->status_label->setPixmap(display.lamp_green ? green_pixmap : red_pixmap);
    ui->status_label->setToolTip(lamp_tool_tip());
    ui->configuration_frame->setEnabled(display.frame_enabled);
}

// Why the lamp is red, in the window's own language.
QString Widget::lamp_tool_tip() const
{
    const AmplifierState::Display& display = state.display();
    if (display.lamp_green)
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

void Widget::on_volume_horizontalSlider_valueChanged(int value)
{
    state.move_level(LevelChannel::Volume, value);
}

void Widget::on_fl_horizontalSlider_valueChanged(int value)
{
    state.move_level(LevelChannel::FL, value);
}

void Widget::on_fr_horizontalSlider_valueChanged(int value)
{
    state.move_level(LevelChannel::FR, value);
}

void Widget::on_rl_horizontalSlider_valueChanged(int value)
{
    state.move_level(LevelChannel::RL, value);
}

void Widget::on_rr_horizontalSlider_valueChanged(int value)
{
    state.move_level(LevelChannel::RR, value);
}

void Widget::on_sub_horizontalSlider_valueChanged(int value)
{
    state.move_level(LevelChannel::Sub, value);
}

void Widget::on_treble_gain_horizontalSlider_valueChanged(int value)
{
    state.move_tone(ToneBand::Treble, value);
}

void Widget::on_middle_gain_horizontalSlider_valueChanged(int value)
{
    state.move_tone(ToneBand::Middle, value);
}

void Widget::on_bass_gain_horizontalSlider_valueChanged(int value)
{
    state.move_tone(ToneBand::Bass, value);
}

void Widget::on_input_gain_horizontalSlider_valueChanged(int value)
{
    state.move_pri_gain(value);
}

void Widget::on_sec_input_gain_horizontalSlider_valueChanged(int value)
{
    state.move_sec_gain(value);
}

void Widget::on_volume_mute_checkBox_toggled(bool checked)
{
    state.mute_level(LevelChannel::Volume, checked);
}

void Widget::on_fl_mute_checkBox_toggled(bool checked)
{
    state.mute_level(LevelChannel::FL, checked);
}

void Widget::on_fr_mute_checkBox_toggled(bool checked)
{
    state.mute_level(LevelChannel::FR, checked);
}

void Widget::on_rl_mute_checkBox_toggled(bool checked)
{
    state.mute_level(LevelChannel::RL, checked);
}

void Widget::on_rr_mute_checkBox_toggled(bool checked)
{
    state.mute_level(LevelChannel::RR, checked);
}

void Widget::on_sub_mute_checkBox_toggled(bool checked)
{
    state.mute_level(LevelChannel::Sub, checked);
}

void Widget::on_input_1_radioButton_clicked()
{
    state.choose_pri_input(input_code::input_1);
}

void Widget::on_input_2_radioButton_clicked()
{
    state.choose_pri_input(input_code::input_2);
}

void Widget::on_input_3_radioButton_clicked()
{
    state.choose_pri_input(input_code::input_3);
}

void Widget::on_input_4_radioButton_clicked()
{
    state.choose_pri_input(input_code::input_4);
}

void Widget::on_sec_input_1_radioButton_clicked()
{
    state.choose_sec_input(input_code::input_1);
}

void Widget::on_sec_input_2_radioButton_clicked()
{
    state.choose_sec_input(input_code::input_2);
}

void Widget::on_sec_input_3_radioButton_clicked()
{
    state.choose_sec_input(input_code::input_3);
}

void Widget::on_sec_input_4_radioButton_clicked()
{
    state.choose_sec_input(input_code::input_4);
}

void Widget::on_sec_input_mute_radioButton_clicked()
{
    state.choose_sec_input(input_code::muted);
}

void Widget::on_treble_cf_comboBox_currentIndexChanged(int index)
{
    state.choose_index(IndexField::treble_cf, index);
}

void Widget::on_middle_qf_comboBox_currentIndexChanged(int index)
{
    state.choose_index(IndexField::middle_qf, index);
}

void Widget::on_middle_cf_comboBox_currentIndexChanged(int index)
{
    state.choose_index(IndexField::middle_cf, index);
}

void Widget::on_bass_qf_comboBox_currentIndexChanged(int index)
{
    state.choose_index(IndexField::bass_qf, index);
}

void Widget::on_bass_cf_comboBox_currentIndexChanged(int index)
{
    state.choose_index(IndexField::bass_cf, index);
}

void Widget::on_sub_cut_off_comboBox_currentIndexChanged(int index)
{
    state.choose_index(IndexField::sub_cut_off, index);
}

void Widget::on_rear_speaker_source_comboBox_currentIndexChanged(int index)
{
    state.choose_index(IndexField::rear_source, index);
}

void Widget::on_autozero_checkBox_toggled(bool checked)
{
    state.set_autozero(checked);
}

void Widget::on_hard_mute_checkBox_toggled(bool checked)
{
    state.set_hard_mute(checked);
}

void Widget::on_acc_on_delay_spinBox_valueChanged(int value)
{
    state.set_acc_on_delay(value);
}

void Widget::on_soft_mute_checkBox_toggled(bool checked)
{
    state.set_soft_mute(checked);
}

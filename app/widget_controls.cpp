// The amplifier controls: each control edits the register image, and a freshly read image
// is shown in the controls. Handlers leave the image alone while the program itself sets
// the controls (updating_controls), all but the soft mute, which always acts.
#include "level_codes.h"
#include "ui_widget.h"
#include "widget.h"

#include <QRadioButton>

void Widget::show_db(QLineEdit* display, int value)
{
    display->setText(QString::number(value) + tr(" db"));
}

void Widget::level_slider_moved(LevelChannel channel, int value, QLineEdit* display)
{
    edit_image([&] { image.set_level_db(channel, value); });
    show_db(display, value);
}

void Widget::tone_slider_moved(ToneBand band, int value, QLineEdit* display)
{
    edit_image([&] { image.set_tone_db(band, value); });
    show_db(display, value);
}

void Widget::on_volume_horizontalSlider_valueChanged(int value)
{
    level_slider_moved(LevelChannel::Volume, value, ui->volume_lineEdit);
}

void Widget::on_fl_horizontalSlider_valueChanged(int value)
{
    level_slider_moved(LevelChannel::FL, value, ui->fl_lineEdit);
}

void Widget::on_fr_horizontalSlider_valueChanged(int value)
{
    level_slider_moved(LevelChannel::FR, value, ui->fr_lineEdit);
}

void Widget::on_rl_horizontalSlider_valueChanged(int value)
{
    level_slider_moved(LevelChannel::RL, value, ui->rl_lineEdit);
}

void Widget::on_rr_horizontalSlider_valueChanged(int value)
{
    level_slider_moved(LevelChannel::RR, value, ui->rr_lineEdit);
}

void Widget::on_sub_horizontalSlider_valueChanged(int value)
{
    level_slider_moved(LevelChannel::Sub, value, ui->sub_lineEdit);
}

void Widget::on_treble_gain_horizontalSlider_valueChanged(int value)
{
    tone_slider_moved(ToneBand::Treble, value, ui->treble_lineEdit);
}

void Widget::on_middle_gain_horizontalSlider_valueChanged(int value)
{
    tone_slider_moved(ToneBand::Middle, value, ui->middle_lineEdit);
}

void Widget::on_bass_gain_horizontalSlider_valueChanged(int value)
{
    tone_slider_moved(ToneBand::Bass, value, ui->bass_lineEdit);
}

void Widget::on_input_gain_horizontalSlider_valueChanged(int value)
{
    edit_image([&] { image.set_pri_gain(value); });
    show_db(ui->input_lineEdit, value);
}

void Widget::on_sec_input_gain_horizontalSlider_valueChanged(int value)
{
    edit_image([&] { image.set_sec_gain(value); });
    show_db(ui->sec_input_lineEdit, value);
}

void Widget::on_volume_mute_checkBox_toggled(bool checked)
{
    edit_image([&] { image.set_level_muted(LevelChannel::Volume, checked); });
}

void Widget::on_fl_mute_checkBox_toggled(bool checked)
{
    edit_image([&] { image.set_level_muted(LevelChannel::FL, checked); });
}

void Widget::on_fr_mute_checkBox_toggled(bool checked)
{
    edit_image([&] { image.set_level_muted(LevelChannel::FR, checked); });
}

void Widget::on_rl_mute_checkBox_toggled(bool checked)
{
    edit_image([&] { image.set_level_muted(LevelChannel::RL, checked); });
}

void Widget::on_rr_mute_checkBox_toggled(bool checked)
{
    edit_image([&] { image.set_level_muted(LevelChannel::RR, checked); });
}

void Widget::on_sub_mute_checkBox_toggled(bool checked)
{
    edit_image([&] { image.set_level_muted(LevelChannel::Sub, checked); });
}

void Widget::on_input_1_radioButton_clicked()
{
    edit_image([&] { image.set_pri_input(input_code::input_1); });
}

void Widget::on_input_2_radioButton_clicked()
{
    edit_image([&] { image.set_pri_input(input_code::input_2); });
}

void Widget::on_input_3_radioButton_clicked()
{
    edit_image([&] { image.set_pri_input(input_code::input_3); });
}

void Widget::on_input_4_radioButton_clicked()
{
    edit_image([&] { image.set_pri_input(input_code::input_4); });
}

void Widget::on_sec_input_1_radioButton_clicked()
{
    edit_image([&] { image.set_sec_input(input_code::input_1); });
}

void Widget::on_sec_input_2_radioButton_clicked()
{
    edit_image([&] { image.set_sec_input(input_code::input_2); });
}

void Widget::on_sec_input_3_radioButton_clicked()
{
    edit_image([&] { image.set_sec_input(input_code::input_3); });
}

void Widget::on_sec_input_4_radioButton_clicked()
{
    edit_image([&] { image.set_sec_input(input_code::input_4); });
}

void Widget::on_sec_input_mute_radioButton_clicked()
{
    edit_image([&] { image.set_sec_input(input_code::muted); });
}

void Widget::on_treble_cf_comboBox_currentIndexChanged(int index)
{
    edit_image([&] { image.set_treble_cf(index); });
}

void Widget::on_middle_qf_comboBox_currentIndexChanged(int index)
{
    edit_image([&] { image.set_middle_qf(index); });
}

void Widget::on_middle_cf_comboBox_currentIndexChanged(int index)
{
    edit_image([&] { image.set_middle_cf(index); });
}

void Widget::on_bass_qf_comboBox_currentIndexChanged(int index)
{
    edit_image([&] { image.set_bass_qf(index); });
}

void Widget::on_bass_cf_comboBox_currentIndexChanged(int index)
{
    edit_image([&] { image.set_bass_cf(index); });
}

void Widget::on_sub_cut_off_comboBox_currentIndexChanged(int index)
{
    edit_image([&] { image.set_sub_cut_off(index); });
}

void Widget::on_rear_speaker_source_comboBox_currentIndexChanged(int index)
{
    edit_image([&] { image.set_rear_source(index); });
}

void Widget::on_autozero_checkBox_toggled(bool checked)
{
    edit_image([&] { image.set_autozero(checked); });
}

void Widget::on_hard_mute_checkBox_toggled(bool checked)
{
    edit_image([&] { image.set_hard_mute(checked); });
}

void Widget::on_acc_on_delay_spinBox_valueChanged(int value)
{
    edit_image([&] { image.set_acc_on_delay(value); });
}

// Acts even while a read image is being shown: the amplifier gets the soft-mute byte with
// its unused bits set, as it expects.
void Widget::on_soft_mute_checkBox_toggled(bool checked)
{
    image.set_soft_mute(checked);
}

namespace {

QRadioButton* button_for_code(int code, std::initializer_list<QRadioButton*> in_code_order)
{
    // Buttons are listed for codes 0, 1, 2, 3.
    if (code < 0 || code > 3)
        return nullptr;
    return *(in_code_order.begin() + code);
}

} // namespace

void Widget::apply_image_to_controls()
{
    image.read_mirrors();
    ui->acc_on_delay_spinBox->setValue(image.acc_on_delay);
    apply_amp_variant();

    if (auto* button =
            button_for_code(image.pri_input, {ui->input_2_radioButton, ui->input_3_radioButton,
                                              ui->input_4_radioButton, ui->input_1_radioButton}))
        button->setChecked(true);
    ui->autozero_checkBox->setChecked(image.pri_autozero_off == 0);
    ui->input_gain_horizontalSlider->setValue(image.pri_gain);

    ui->volume_mute_checkBox->setChecked(image.volume_muted != 0);
    ui->volume_horizontalSlider->setValue(level_to_db(unsigned(image.volume_code)));
    ui->soft_mute_checkBox->setChecked(image.soft_mute_off == 0);
    ui->hard_mute_checkBox->setChecked(image.hard_mute != 0);

    const struct
    {
        LevelChannel channel;
        QSlider* slider;
        QCheckBox* mute;
    } speakers[] = {
        {LevelChannel::FL, ui->fl_horizontalSlider, ui->fl_mute_checkBox},
        {LevelChannel::FR, ui->fr_horizontalSlider, ui->fr_mute_checkBox},
        {LevelChannel::RL, ui->rl_horizontalSlider, ui->rl_mute_checkBox},
        {LevelChannel::RR, ui->rr_horizontalSlider, ui->rr_mute_checkBox},
        {LevelChannel::Sub, ui->sub_horizontalSlider, ui->sub_mute_checkBox},
    };
    for (const auto& speaker : speakers) {
        speaker.slider->setValue(level_to_db(unsigned(image.level_code(speaker.channel))));
        speaker.mute->setChecked(image.level_muted(speaker.channel) != 0);
    }

    ui->treble_gain_horizontalSlider->setValue(tone_to_db(unsigned(image.treble_code)));
    ui->treble_cf_comboBox->setCurrentIndex(image.treble_cf);
    ui->middle_gain_horizontalSlider->setValue(tone_to_db(unsigned(image.middle_code)));
    ui->middle_qf_comboBox->setCurrentIndex(image.middle_qf);
    ui->bass_gain_horizontalSlider->setValue(tone_to_db(unsigned(image.bass_code)));
    ui->bass_qf_comboBox->setCurrentIndex(image.bass_qf);
    ui->sub_cut_off_comboBox->setCurrentIndex(image.sub_cut_off);
    ui->middle_cf_comboBox->setCurrentIndex(image.middle_cf);
    ui->bass_cf_comboBox->setCurrentIndex(image.bass_cf);

    ui->rear_speaker_source_comboBox->setCurrentIndex(image.rear_source);
    ui->sec_input_gain_horizontalSlider->setValue(image.sec_gain);
    QRadioButton* sec_button = button_for_code(
        image.sec_input, {ui->sec_input_2_radioButton, ui->sec_input_3_radioButton,
                          ui->sec_input_4_radioButton, ui->sec_input_1_radioButton});
    (sec_button ? sec_button : ui->sec_input_mute_radioButton)->setChecked(true);
}

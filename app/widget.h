#pragma once

#include <QPixmap>
#include <QWidget>

#include <vector>

class AmplifierState;
class QuadronCore;
struct AmpSetting;
struct SettingRefusal;
class QAction;
class QLabel;
class QLineEdit;
class QPushButton;
class QMenu;
class QRadioButton;

namespace Ui {
class Widget;
}

// The control panel: a view of the amplifier's state. The program's core builds it the first
// time it is shown and keeps it; each control hands its change to the settings table, and the
// state is shown in every control whenever it changes.
class Widget : public QWidget
{
    Q_OBJECT

public:
    Widget(QuadronCore& core, const QIcon& icon, QWidget* parent = nullptr);
    ~Widget() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private Q_SLOTS:
    void on_autoload_checkBox_toggled(bool checked);
    void on_volume_horizontalSlider_valueChanged(int value);
    void on_fl_horizontalSlider_valueChanged(int value);
    void on_fr_horizontalSlider_valueChanged(int value);
    void on_rl_horizontalSlider_valueChanged(int value);
    void on_rr_horizontalSlider_valueChanged(int value);
    void on_sub_horizontalSlider_valueChanged(int value);
    void on_treble_gain_horizontalSlider_valueChanged(int value);
    void on_middle_gain_horizontalSlider_valueChanged(int value);
    void on_bass_gain_horizontalSlider_valueChanged(int value);
    void on_input_gain_horizontalSlider_valueChanged(int value);
    void on_sec_input_gain_horizontalSlider_valueChanged(int value);
    void on_volume_mute_checkBox_toggled(bool checked);
    void on_fl_mute_checkBox_toggled(bool checked);
    void on_fr_mute_checkBox_toggled(bool checked);
    void on_rl_mute_checkBox_toggled(bool checked);
    void on_rr_mute_checkBox_toggled(bool checked);
    void on_sub_mute_checkBox_toggled(bool checked);
    void on_input_1_radioButton_clicked();
    void on_input_2_radioButton_clicked();
    void on_input_3_radioButton_clicked();
    void on_input_4_radioButton_clicked();
    void on_sec_input_1_radioButton_clicked();
    void on_sec_input_2_radioButton_clicked();
    void on_sec_input_3_radioButton_clicked();
    void on_sec_input_4_radioButton_clicked();
    void on_sec_input_mute_radioButton_clicked();
    void on_treble_cf_comboBox_currentIndexChanged(int index);
    void on_middle_qf_comboBox_currentIndexChanged(int index);
    void on_middle_cf_comboBox_currentIndexChanged(int index);
    void on_bass_qf_comboBox_currentIndexChanged(int index);
    void on_bass_cf_comboBox_currentIndexChanged(int index);
    void on_sub_cut_off_comboBox_currentIndexChanged(int index);
    void on_rear_speaker_source_comboBox_currentIndexChanged(int index);
    void on_autozero_checkBox_toggled(bool checked);
    void on_hard_mute_checkBox_toggled(bool checked);
    void on_soft_mute_checkBox_toggled(bool checked);
    void on_acc_on_delay_spinBox_valueChanged(int value);

    void show_state();
    void show_preset_mark();
    void fill_presets_menu();
    void save_preset_as();
    void import_preset();

private:
    // A setting's controls in the form, found by the setting's name: the control that holds
    // its value (a slider, box, list or spin box), the field that shows a level in dB, and a
    // source's buttons with the value each one stands for.
    struct Binding
    {
        const AmpSetting* setting = nullptr;
        QWidget* control = nullptr;
        QLineEdit* display = nullptr;
        std::vector<std::pair<QRadioButton*, int>> buttons;
    };
    void bind_settings();
    void add_response_button();
    void edit_setting(const char* name, int value);
    QString lamp_tool_tip() const;
    // The row below the form: the presets' menu, which preset is shown, undo and redo.
    void build_preset_row();
    void export_preset(const QString& name);
    void rename_preset(const QString& name);
    void remove_preset(const QString& name);
    // Says in a box what kept an action from being done; false when nothing did.
    bool refused(const QString& title, const SettingRefusal& refusal);

    QuadronCore& core;
    AmplifierState& state;
    Ui::Widget* ui = nullptr;
    std::vector<Binding> bindings;
    QPushButton* response_button = nullptr;
    QMenu* presets_menu = nullptr;
    QLabel* preset_label = nullptr;
    QAction* undo_action = nullptr;
    QAction* redo_action = nullptr;
    QPixmap green_pixmap;
    QPixmap red_pixmap;
};

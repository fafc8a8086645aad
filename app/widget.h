#pragma once

#include "amplifier_link.h"
#include "amplifier_state.h"
#include "platform_services.h"

#include <QIcon>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QWidget>

#include <memory>

class QAction;
class QMenu;

namespace Ui {
class Widget;
}

// The main window: the hub of the running program and a view of the amplifier's state. It
// owns the state, the amplifier link (on its own thread), the tray icon and the desktop
// services, and joins them. The form is built the first time the window is shown, filled from
// the state, and kept; until then the program is its tray icon and the state alone.
class Widget : public QWidget
{
    Q_OBJECT

public:
    explicit Widget(QWidget* parent = nullptr);
    Widget(PlatformServices services, QWidget* parent);
    ~Widget() override;

    AmplifierState& amplifier_state() { return state; }
    AmplifierLink& amplifier_link() { return *link; }

    // What the running copy answers to a message on its instance channel: a later start's
    // "Rise up!", an action (as the hot key of that name; refused while no amplifier is held),
    // or "--status" with its report. Anything else changes nothing and gets no answer.
    QString answer(const QString& message);

public Q_SLOTS:
    void message_arrived(const QString& message);
    // The same orderly end as the tray menu's "Выход", for requests from outside.
    void request_exit();

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

    void show_hide_slot();
    void quit_slot();
    void tray_icon_Activated(QSystemTrayIcon::ActivationReason reason);
    void check_tray_available();
    void show_state();
    void amplifier_unusable(int exit_code);

private:
    void connect_link();
    void create_actions();
    void create_tray_icon();
    void build_form();
    void show_window();
    void hide_to_tray();
    void load_settings();
    void save_settings();
    void set_autostart(bool on);
    void register_hot_keys();
    void end_with_error(const char* informative_text, int exit_code);
    QString status_report() const;
    QString lamp_tool_tip() const;

    Ui::Widget* ui = nullptr;
    AmplifierState state;
    std::unique_ptr<AmplifierLink> link;
    QIcon app_icon;
    QAction* show_hide_action = nullptr;
    QAction* quit_action = nullptr;
    QSystemTrayIcon* tray_icon = nullptr;
    QMenu* tray_menu = nullptr;
    bool quit_requested = false;
    QPixmap green_pixmap;
    QPixmap red_pixmap;
    bool autoload_enabled = false;
    quint32 volume_up_fsModifiers = 0;
    quint32 volume_up_global_hot_key = 0;
    quint32 volume_down_fsModifiers = 0;
    quint32 volume_down_global_hot_key = 0;

    std::unique_ptr<HotKeyService> hot_keys;
    std::unique_ptr<SleepNotifier> sleep_notifier;
    QString settings_path;
    QString executable_path;
    QString autostart_file_name;
};

#pragma once

#include "hid_device.h"
#include "platform_services.h"
#include "register_image.h"
#include "sync_session.h"

#include <QIcon>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QWidget>

class QAction;
class QLineEdit;
class QMenu;
class QTimer;

namespace Ui {
class Widget;
}

// The main window: hub of the running program. It owns the form, the amplifier link, the
// register image and the tray icon; each slot hands its work to the class of its subsystem.
class Widget : public QWidget
{
    Q_OBJECT

public:
    explicit Widget(QWidget* parent = nullptr);
    Widget(PlatformServices services, QWidget* parent);
    ~Widget() override;

    static constexpr int HOTKEY_VOLUME_UP = 101;
    static constexpr int HOTKEY_VOLUME_DOWN = 102;
    static constexpr int HOTKEY_SUB_UP = 103;
    static constexpr int HOTKEY_SUB_DOWN = 104;

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

    void check_hid_device();
    void form_update();
    void show_hide_slot();
    void quit_slot();
    void tray_icon_Activated(QSystemTrayIcon::ActivationReason reason);
    void system_suspending();
    void system_resumed();
    void check_tray_available();

private:
    void create_actions();
    void create_tray_icon();
    void show_window();
    void hide_to_tray();
    void load_settings();
    void save_settings();
    void set_autostart(bool on);
    void register_hot_keys();
    void on_hot_key(int id);
    void step_volume(int step);
    void step_subwoofer(int step);
    void apply_image_to_controls();
    void apply_amp_variant();
    void show_connected();
    void show_disconnected();
    void end_with_error(const char* informative_text, int exit_code);

    template <typename Edit> void edit_image(Edit edit)
    {
        if (!updating_controls)
            edit();
    }
    void level_slider_moved(LevelChannel channel, int value, QLineEdit* display);
    void tone_slider_moved(ToneBand band, int value, QLineEdit* display);
    void show_db(QLineEdit* display, int value);

    Ui::Widget* ui;
    HidDevice device;
    bool polling_enabled = false;
    QIcon app_icon;
    QAction* show_hide_action = nullptr;
    QAction* quit_action = nullptr;
    QSystemTrayIcon* tray_icon = nullptr;
    QMenu* tray_menu = nullptr;
    bool quit_requested = false;
    bool updating_controls = false;
    int device_variant = 0;
    RegisterImage image;
    SyncSession session;
    RegisterImage::Payload write_payload{};
    QTimer* update_timer = nullptr;
    QTimer* reconnect_timer = nullptr;
    QPixmap green_pixmap;
    QPixmap red_pixmap;
    bool connected_shown = false;
    bool autoload_enabled = false;
    quint32 volume_up_fsModifiers = 0;
    quint32 volume_up_global_hot_key = 0;
    quint32 volume_down_fsModifiers = 0;
    quint32 volume_down_global_hot_key = 0;

    std::unique_ptr<HotKeyService> hot_keys;
    std::unique_ptr<SleepNotifier> sleep_notifier;
    QString settings_path;
    QString executable_path;
};

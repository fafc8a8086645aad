#pragma once

#include "amp_settings.h"
#include "amplifier_link.h"
#include "amplifier_state.h"
#include "command_reply.h"
#include "edit_history.h"
#include "platform_services.h"
#include "preset_file.h"
#include "tray_host_watch.h"

#include <QFileSystemWatcher>
#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>

#include <memory>
#include <vector>

class AmplifierBusService;
class InstanceGuard;
class QAction;
class QLocalSocket;
class QMenu;
class ResponseWindow;
class Widget;

// The running program without its window: the amplifier's state, the link to it (on its own
// thread), the desktop services (tray icon, hot keys, sleep notices, autostart, settings), the
// instance channel and the D-Bus interface. The window is a view built the first time it is
// shown; everything else works without it.
class QuadronCore : public QObject
{
    Q_OBJECT
public:
    explicit QuadronCore(PlatformServices services, QObject* parent = nullptr);
    ~QuadronCore() override;

    AmplifierState& amplifier_state() { return state; }
    AmplifierLink& amplifier_link() { return *link; }
    // The window, once it was shown; nullptr before.
    Widget* window() const { return main_window; }
    // The response curve's window, once it was opened; nullptr before.
    ResponseWindow* response_window() const { return curve_window; }

    // Answers the instance channel's messages from now on, and streams --watch to it.
    void serve(InstanceGuard& instance);
    // What the running copy answers to a message: a later start's "Rise up!" (nothing), or a
    // command's CommandReply, encoded. Anything else changes nothing and gets no answer.
    QString answer(const QString& message);

    // The autostart choice as the box shows it.
    bool autoload() const { return autoload_enabled; }
    void set_autostart(bool on);

    // Changes to settings by name, as the command line and D-Bus make them: checked against
    // the table and the amplifier, then applied as one edit.
    SettingRefusal change_settings(const std::vector<SettingChange>& changes);
    // An action of the list, as its hot key; refused without an amplifier.
    SettingRefusal take_action(int hot_key_id);
    // Undo and redo, from any way in; refused without an amplifier. note says when there was
    // nothing to undo (or redo).
    SettingRefusal undo(QString* note);
    SettingRefusal redo(QString* note);
    EditHistory& edit_history() { return history; }

    // The presets, by name, as last read from their folder.
    const std::vector<PresetStore::Entry>& presets() const { return preset_entries; }
    QStringList preset_names() const;
    // The preset the settings shown now equal (the fullest of them), or none.
    QString matching_preset() const;
    // The preset's values as one edit; note names what the amplifier lacks and was skipped.
    SettingRefusal apply_preset(const QString& name, QString* note);
    // The current settings under this name, replacing a preset of that name.
    SettingRefusal save_preset(const QString& name);
    SettingRefusal rename_preset(const QString& name, const QString& new_name);
    SettingRefusal remove_preset(const QString& name);
    // To and from a file anywhere (an absolute path); an import keeps the name inside the
    // file (or the file's own name) unless given one.
    SettingRefusal export_preset(const QString& name, const QString& path);
    SettingRefusal import_preset(const QString& path, const QString& name, QString* imported);

    // How a command ends that was refused so, and what it says.
    static int exit_code_of(const SettingRefusal& refusal);
    static CommandReply refused(const SettingRefusal& refusal);

    // The connection as --status and D-Bus name it.
    bool connected() const;
    QString variant_name() const;
    QString problem_text() const;
    // Whether the desktop has a notification area to hide the window into.
    bool tray_available() const { return tray_host.available(); }

public Q_SLOTS:
    void show_window();
    // Opens the response curve's window, building it the first time.
    void show_response();
    void hide_to_tray();
    void message_arrived(const QString& message);
    // The same orderly end as the tray menu's "Выход", for requests from outside.
    void request_exit();
    void quit_slot();

Q_SIGNALS:
    // Settings (by table name) or connection fields ("connected", "variant", "problem") whose
    // shown value changed, in table order.
    void values_changed(const QStringList& names);
    // The autostart choice was made, or could not be carried out.
    void autostart_changed();
    // The presets' names, or their contents, changed.
    void presets_changed(const QStringList& names);

private Q_SLOTS:
    void show_hide_slot();
    void tray_icon_Activated(QSystemTrayIcon::ActivationReason reason);
    void check_tray_available();
    void amplifier_unusable(AmplifierFault fault);
    void publish_changes();
    void reload_presets();
    void fill_tray_presets();

private:
    void connect_link();
    void create_actions();
    void create_tray_icon();
    void load_settings();
    void save_settings();
    void register_hot_keys();
    void end_with_error(const char* informative_text, int exit_code);
    bool open_stream(const QString& message, QLocalSocket* client);
    CommandReply get_reply(const QStringList& names, bool json) const;
    CommandReply set_reply(const QStringList& assignments);
    QString status_report() const;
    QString watch_line(const QStringList& names, bool json) const;
    QString field_text(const QString& name) const;
    CommandReply preset_reply(const QString& command, const QStringList& words, bool json);
    void watch_presets_folder();

    AmplifierState state;
    EditHistory history{state};
    PresetStore preset_store;
    std::vector<PresetStore::Entry> preset_entries;
    QFileSystemWatcher presets_watcher;
    QMenu* tray_presets = nullptr;
    std::unique_ptr<AmplifierLink> link;
    std::unique_ptr<HotKeyService> hot_keys;
    std::unique_ptr<SleepNotifier> sleep_notifier;
    QString settings_path;
    QString executable_path;
    QString autostart_file_name;
    QString bus_name;

    Widget* main_window = nullptr;
    ResponseWindow* curve_window = nullptr;
    QAction* response_action = nullptr;
    QIcon app_icon;
    QAction* show_hide_action = nullptr;
    QAction* quit_action = nullptr;
    QSystemTrayIcon* tray_icon = nullptr;
    TrayHostWatch tray_host{QDBusConnection::sessionBus()};
    std::unique_ptr<QMenu> tray_menu;
    bool quit_requested = false;

    bool autoload_enabled = false;
    quint32 volume_up_fsModifiers = 0;
    quint32 volume_up_global_hot_key = 0;
    quint32 volume_down_fsModifiers = 0;
    quint32 volume_down_global_hot_key = 0;

    std::unique_ptr<AmplifierBusService> bus_service;
    InstanceGuard* instance = nullptr;
    struct Watcher
    {
        QPointer<QLocalSocket> socket;
        bool json;
    };
    std::vector<Watcher> watchers;
    // What was last published, by name: every setting's text, then the connection fields.
    std::vector<std::pair<QString, QString>> published;
};

#include "quadron_core.h"

#include "amp_variants.h"
#include "amplifier_bus_service.h"
#include "app_settings.h"
#include "autostart_entry.h"
#include "exit_codes.h"
#include "instance_guard.h"
#include "response_window.h"
#include "tone_response.h"
#include "widget.h"

#include <QAction>
#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>

namespace {

// How long a desktop gets to bring up its notification area before the window shows itself.
constexpr int tray_grace_ms = 3000;
// A watcher that reads this far behind is let go rather than kept in memory.
constexpr qint64 watcher_backlog_limit = 1 << 20;
// The command line's words travel in one message, apart by this character.
constexpr QChar word_separator = u'\t';

const char* const connection_fields[] = {"connected", "variant", "problem"};

} // namespace

int QuadronCore::exit_code_of(const SettingRefusal& refusal)
{
    using R = SettingRefusal::Reason;
    switch (refusal.reason) {
    case R::none:
        return exit_codes::ok;
    case R::unknown_name:
    case R::bad_value:
        return exit_codes::usage;
    case R::not_on_variant:
        return exit_codes::not_on_variant;
    case R::bad_file:
        return exit_codes::bad_data;
    case R::not_found:
        return exit_codes::not_found;
    case R::cannot_write:
        return exit_codes::cannot_create;
    case R::not_connected:
        break;
    }
    return exit_codes::not_connected;
}

CommandReply QuadronCore::refused(const SettingRefusal& refusal)
{
    return {exit_code_of(refusal), refusal.message + QLatin1Char('\n')};
}

QuadronCore::QuadronCore(PlatformServices services, QObject* parent)
    : QObject(parent), preset_store(std::move(services.presets_folder)),
      link(std::make_unique<AmplifierLink>(std::move(services.hid))),
      hot_keys(std::move(services.hot_keys)), sleep_notifier(std::move(services.sleep)),
      settings_path(std::move(services.settings_path)),
      executable_path(std::move(services.executable_path)),
      autostart_file_name(std::move(services.autostart_file_name)),
      bus_name(std::move(services.bus_name))
{
    load_settings();
    create_actions();
    create_tray_icon();
    connect(tray_icon, &QSystemTrayIcon::activated, this, &QuadronCore::tray_icon_Activated);
    tray_icon->setVisible(true);

    register_hot_keys();
    connect_link();
    publish_changes();
    reload_presets();
    connect(&presets_watcher, &QFileSystemWatcher::directoryChanged, this,
            &QuadronCore::reload_presets);
    if (!bus_name.isEmpty())
        bus_service = std::make_unique<AmplifierBusService>(*this, bus_name);
    if (services.link_on_own_thread)
        link->start();

    QTimer::singleShot(tray_grace_ms, this, &QuadronCore::check_tray_available);
}

QuadronCore::~QuadronCore()
{
    if (instance) {
        instance->set_responder({});
        instance->set_streamer({});
    }
    // The link ends first: nothing reaches the amplifier once the end has begun, and the
    // settings are written after its last transaction.
    link->stop();
    bus_service.reset();
    delete curve_window;
    delete main_window;
    save_settings();
}

// Everything between the link's thread and this one is queued, so the link never waits for
// the program and the program never waits for the amplifier.
void QuadronCore::connect_link()
{
    connect(link.get(), &AmplifierLink::image_read, &state,
            &AmplifierState::apply_image_to_controls, Qt::QueuedConnection);
    connect(link.get(), &AmplifierLink::state_changed, &state, &AmplifierState::set_link_state,
            Qt::QueuedConnection);
    connect(link.get(), &AmplifierLink::problem_changed, &state, &AmplifierState::set_link_problem,
            Qt::QueuedConnection);
    connect(link.get(), &AmplifierLink::unusable, this, &QuadronCore::amplifier_unusable,
            Qt::QueuedConnection);
    connect(&state, &AmplifierState::image_changed, link.get(), &AmplifierLink::set_image,
            Qt::QueuedConnection);
    connect(&state, &AmplifierState::changed, this, &QuadronCore::publish_changes);
    connect(sleep_notifier.get(), &SleepNotifier::suspending, link.get(), &AmplifierLink::suspend,
            Qt::QueuedConnection);
    connect(sleep_notifier.get(), &SleepNotifier::resumed, link.get(), &AmplifierLink::resume,
            Qt::QueuedConnection);
    connect(link.get(), &AmplifierLink::suspended, sleep_notifier.get(),
            &SleepNotifier::allow_sleep, Qt::QueuedConnection);
}

void QuadronCore::create_actions()
{
    show_hide_action = new QAction(tr("Показать"), this);
    connect(show_hide_action, &QAction::triggered, this, &QuadronCore::show_hide_slot);
    response_action = new QAction(tr("Частотная характеристика"), this);
    connect(response_action, &QAction::triggered, this, &QuadronCore::show_response);
    quit_action = new QAction(tr("Выход"), this);
    connect(quit_action, &QAction::triggered, this, &QuadronCore::quit_slot);
}

void QuadronCore::create_tray_icon()
{
    tray_menu = std::make_unique<QMenu>();
    tray_menu->addAction(show_hide_action);
    tray_menu->addAction(response_action);
    tray_presets = tray_menu->addMenu(tr("Пресеты"));
    tray_menu->addSeparator();
    tray_menu->addAction(quit_action);
    tray_icon = new QSystemTrayIcon(this);
    tray_icon->setContextMenu(tray_menu.get());
    app_icon = QIcon(QStringLiteral(":/images/sounds.png"));
    tray_icon->setIcon(app_icon);
    tray_icon->setToolTip(tr("Brenvik Quadron"));
}

// The window costs memory and start-up time that a program living in the tray rarely needs:
// it is built the first time it is shown and kept from then on.
void QuadronCore::show_window()
{
    if (!main_window)
        main_window = new Widget(*this, app_icon);
    main_window->showNormal();
    main_window->activateWindow();
    main_window->raise();
    show_hide_action->setText(tr("Спрятать"));
}

void QuadronCore::show_response()
{
    if (!curve_window)
        curve_window = new ResponseWindow(*this, app_icon);
    curve_window->showNormal();
    curve_window->activateWindow();
    curve_window->raise();
}

void QuadronCore::hide_to_tray()
{
    if (main_window)
        main_window->hide();
    show_hide_action->setText(tr("Показать"));
}

void QuadronCore::show_hide_slot()
{
    if (main_window && main_window->isVisible())
        hide_to_tray();
    else
        show_window();
}

void QuadronCore::quit_slot()
{
    quit_requested = true;
    link->halt();
    QCoreApplication::exit(0);
}

void QuadronCore::request_exit()
{
    quit_slot();
}

void QuadronCore::tray_icon_Activated(QSystemTrayIcon::ActivationReason reason)
{
    if (reason == QSystemTrayIcon::Trigger)
        show_window();
}

void QuadronCore::check_tray_available()
{
    if (quit_requested)
        return;
    if (!tray_host.is_known()) {
        connect(&tray_host, &TrayHostWatch::known, this, &QuadronCore::check_tray_available,
                Qt::SingleShotConnection);
        return;
    }
    if (!tray_host.available() && !(main_window && main_window->isVisible()))
        show_window();
}

void QuadronCore::message_arrived(const QString& message)
{
    if (message == QLatin1String(InstanceGuard::show_message))
        show_window();
}

void QuadronCore::amplifier_unusable(AmplifierFault fault)
{
    if (fault == AmplifierFault::unidentified)
        end_with_error(QT_TR_NOOP("Не удалось опознать устройство!"),
                       exit_codes::amplifier_unidentified);
    else
        end_with_error(QT_TR_NOOP("Неверная версия устройства!"),
                       exit_codes::amplifier_unsupported);
}

void QuadronCore::end_with_error(const char* informative_text, int exit_code)
{
    if (quit_requested)
        return;
    // Nothing more is said to an amplifier that cannot be used, nor is it looked for again
    // while the box waits.
    link->halt();
    QMessageBox box;
    box.setText(tr("Ошибка!"));
    box.setInformativeText(tr(informative_text));
    box.setStandardButtons(QMessageBox::Ok);
    box.setDefaultButton(QMessageBox::Ok);
    box.exec();
    if (quit_requested)
        return; // "Выход" while the box was up ends the program as usual
    QCoreApplication::exit(exit_code);
}

void QuadronCore::register_hot_keys()
{
    const std::pair<quint32, quint32> keys[] = {
        {volume_up_fsModifiers, volume_up_global_hot_key},
        {volume_down_fsModifiers, volume_down_global_hot_key},
        // The subwoofer's combinations are not configurable.
        {amp_actions[2].default_modifiers, amp_actions[2].default_key},
        {amp_actions[3].default_modifiers, amp_actions[3].default_key},
    };
    for (std::size_t i = 0; i < std::size(amp_actions); ++i)
        hot_keys->register_hot_key(amp_actions[i].hot_key_id, keys[i].first, keys[i].second);
    connect(hot_keys.get(), &HotKeyService::activated, &state, &AmplifierState::on_hot_key);
}

void QuadronCore::load_settings()
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

void QuadronCore::save_settings()
{
    SettingsValues values;
    values.autoload = autoload_enabled;
    values.volume_up_fsModifiers = volume_up_fsModifiers;
    values.volume_up_global_hot_key = volume_up_global_hot_key;
    values.volume_down_fsModifiers = volume_down_fsModifiers;
    values.volume_down_global_hot_key = volume_down_global_hot_key;
    AppSettings::save(settings_path, values);
}

// The choice is saved at once: a program that is killed, or a machine that loses power, does
// not forget it. One the desktop could not carry out is not kept: the box goes back to what
// holds (the reason is in the log).
void QuadronCore::set_autostart(bool on)
{
    if (AutostartEntry::set_enabled(on, executable_path, autostart_file_name)) {
        autoload_enabled = on;
        save_settings();
    }
    Q_EMIT autostart_changed();
}

SettingRefusal QuadronCore::change_settings(const std::vector<SettingChange>& changes)
{
    const EditHistory::Discrete own_step(history);
    return apply_changes(state, changes);
}

SettingRefusal QuadronCore::take_action(int hot_key_id)
{
    if (!connected())
        return {SettingRefusal::Reason::not_connected,
                QStringLiteral("no amplifier is connected; --%1 did nothing")
                    .arg(QLatin1String(amp_action(hot_key_id).option))};
    state.on_hot_key(hot_key_id);
    return {};
}

bool QuadronCore::connected() const
{
    return state.link_state() == LinkState::synchronising;
}

QString QuadronCore::variant_name() const
{
    const char* version = state.display().version;
    return version ? QString::fromLatin1(version) : QStringLiteral("none");
}

QString QuadronCore::problem_text() const
{
    static const char* const problems[] = {
        "none", "no amplifier found", "no permission to open the amplifier",
        "the amplifier cannot be opened", "the amplifier does not answer"};
    QString problem = QString::fromLatin1(problems[static_cast<int>(state.display().problem)]);
    if (!state.display().problem_detail.isEmpty())
        problem += QStringLiteral(" (") + state.display().problem_detail + QLatin1Char(')');
    return problem;
}

void QuadronCore::serve(InstanceGuard& guard)
{
    instance = &guard;
    guard.set_responder([this](const QString& message) { return answer(message); });
    guard.set_streamer([this](const QString& message, QLocalSocket* client) {
        return open_stream(message, client);
    });
}

QString QuadronCore::answer(const QString& message)
{
    QStringList words = message.split(word_separator);
    const QString command = words.takeFirst();
    const bool json = words.removeAll(QStringLiteral("--json")) > 0;
    if (command == QLatin1String("--status"))
        return CommandReply{exit_codes::ok, status_report()}.encoded();
    if (command == QLatin1String("--show")) {
        show_window();
        return CommandReply{}.encoded();
    }
    if (command == QLatin1String("--get"))
        return get_reply(words, json).encoded();
    if (command == QLatin1String("--set"))
        return set_reply(words).encoded();
    if (command == QLatin1String("--response"))
        return CommandReply{
            exit_codes::ok,
            response_report(tone_section_of(state.controls(), state.display().availability_variant),
                            json)}
            .encoded();
    if (command == QLatin1String("--undo") || command == QLatin1String("--redo")) {
        QString note;
        const SettingRefusal refusal =
            command == QLatin1String("--undo") ? undo(&note) : redo(&note);
        return (refusal ? refused(refusal) : CommandReply{exit_codes::ok, note}).encoded();
    }
    if (command.endsWith(QLatin1String("-preset")) || command == QLatin1String("--presets"))
        return preset_reply(command, words, json).encoded();
    if (const AmpAction* action = find_amp_action(command.toStdString())) {
        const SettingRefusal refusal = take_action(action->hot_key_id);
        return (refusal ? refused(refusal) : CommandReply{}).encoded();
    }
    message_arrived(message);
    return {};
}

// For scripts and for troubleshooting: one "key: value" line each, in English.
QString QuadronCore::status_report() const
{
    const AmplifierState::Controls& shown = state.controls();
    const auto level = [&](LevelChannel channel) {
        return QString::number(shown.level_db[slot(channel)]);
    };
    const auto yes_no = [](bool yes) { return yes ? QStringLiteral("yes") : QStringLiteral("no"); };
    const bool muted =
        shown.level_muted[slot(LevelChannel::Volume)] || shown.soft_mute || shown.hard_mute;
    return QStringLiteral("connected: %1\nvariant: %2\nvolume_db: %3\nsubwoofer_db: %4\n"
                          "muted: %5\nproblem: %6\nhot_keys: %7\n")
        .arg(yes_no(connected()), variant_name(), level(LevelChannel::Volume),
             level(LevelChannel::Sub), yes_no(muted), problem_text(), hot_keys->status());
}

QString QuadronCore::field_text(const QString& name) const
{
    if (name == QLatin1String("connected"))
        return connected() ? QStringLiteral("yes") : QStringLiteral("no");
    if (name == QLatin1String("variant"))
        return variant_name();
    if (name == QLatin1String("problem"))
        return problem_text();
    const AmpSetting* setting = find_amp_setting(name);
    return setting ? setting->text(setting->read(state.controls())) : QString();
}

// The connection fields first, then the settings asked for (all of them when none is named).
CommandReply QuadronCore::get_reply(const QStringList& names, bool json) const
{
    QStringList chosen;
    for (const QString& name : names) {
        if (!find_amp_setting(name))
            return refused({SettingRefusal::Reason::unknown_name,
                            QStringLiteral("no setting named '%1'").arg(name)});
        chosen.append(name);
    }
    if (chosen.isEmpty()) {
        for (const char* field : connection_fields)
            chosen.append(QLatin1String(field));
        for (const AmpSetting& setting : amp_settings())
            chosen.append(QLatin1String(setting.name));
    }
    return {exit_codes::ok, watch_line(chosen, json)};
}

CommandReply QuadronCore::set_reply(const QStringList& assignments)
{
    if (assignments.isEmpty())
        return refused({SettingRefusal::Reason::bad_value,
                        QStringLiteral("--set takes NAME=VALUE words (see quadron --get)")});
    std::vector<SettingChange> changes;
    if (SettingRefusal refusal = parse_assignments(assignments, &changes))
        return refused(refusal);
    if (SettingRefusal refusal = change_settings(changes))
        return refused(refusal);
    return {};
}

// "name: value" lines, or one JSON object on one line.
QString QuadronCore::watch_line(const QStringList& names, bool json) const
{
    if (!json) {
        QString lines;
        for (const QString& name : names)
            lines += name + QStringLiteral(": ") + field_text(name) + QLatin1Char('\n');
        return lines;
    }
    QJsonObject object;
    for (const QString& name : names) {
        if (name == QLatin1String("connected"))
            object.insert(name, connected());
        else if (const AmpSetting* setting = find_amp_setting(name))
            object.insert(name, setting->json(setting->read(state.controls())));
        else
            object.insert(name, field_text(name));
    }
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)) +
           QLatin1Char('\n');
}

bool QuadronCore::open_stream(const QString& message, QLocalSocket* client)
{
    QStringList words = message.split(word_separator);
    if (words.takeFirst() != QLatin1String("--watch"))
        return false;
    const bool json = words.contains(QStringLiteral("--json"));
    watchers.push_back({client, json});
    client->write(CommandReply{}.encoded().toUtf8());
    return true;
}

// Compares what is shown now with what was last published, and tells D-Bus and the watchers
// what differs.
void QuadronCore::publish_changes()
{
    std::vector<std::pair<QString, QString>> now;
    for (const char* field : connection_fields)
        now.emplace_back(QLatin1String(field), field_text(QLatin1String(field)));
    for (const AmpSetting& setting : amp_settings())
        now.emplace_back(QLatin1String(setting.name), setting.text(setting.read(state.controls())));
    QStringList names;
    for (std::size_t i = 0; i < now.size(); ++i) {
        if (published.size() != now.size() || published[i].second != now[i].second)
            names.append(now[i].first);
    }
    const bool first = published.empty();
    published = std::move(now);
    if (first || names.isEmpty())
        return;
    Q_EMIT values_changed(names);
    const QByteArray text_line = watch_line(names, false).toUtf8();
    const QByteArray json_line = watch_line(names, true).toUtf8();
    for (auto watcher = watchers.begin(); watcher != watchers.end();) {
        QLocalSocket* socket = watcher->socket;
        if (!socket || socket->state() != QLocalSocket::ConnectedState ||
            socket->bytesToWrite() > watcher_backlog_limit) {
            if (socket)
                socket->abort();
            watcher = watchers.erase(watcher);
            continue;
        }
        socket->write(watcher->json ? json_line : text_line);
        ++watcher;
    }
}

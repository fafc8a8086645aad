// The core's presets and its edit history: what the window, the tray, the command line and
// D-Bus all reach them through.
#include "amp_variants.h"
#include "exit_codes.h"
#include "quadron_core.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMenu>

namespace {

using R = SettingRefusal::Reason;

SettingRefusal not_connected(const QString& what)
{
    return {R::not_connected, QStringLiteral("no amplifier is connected; %1").arg(what)};
}

} // namespace

SettingRefusal QuadronCore::undo(QString* note)
{
    if (!connected())
        return not_connected(QStringLiteral("nothing was undone"));
    if (!history.undo())
        *note = QStringLiteral("nothing to undo\n");
    return {};
}

SettingRefusal QuadronCore::redo(QString* note)
{
    if (!connected())
        return not_connected(QStringLiteral("nothing was redone"));
    if (!history.redo())
        *note = QStringLiteral("nothing to redo\n");
    return {};
}

QStringList QuadronCore::preset_names() const
{
    QStringList names;
    for (const PresetStore::Entry& entry : preset_entries)
        names.append(entry.preset.name);
    return names;
}

QString QuadronCore::matching_preset() const
{
    if (!connected())
        return {};
    const PresetStore::Entry* best = nullptr;
    for (const PresetStore::Entry& entry : preset_entries) {
        if (entry.preset.matches(state) &&
            (!best || entry.preset.values.size() > best->preset.values.size()))
            best = &entry;
    }
    return best ? best->preset.name : QString();
}

SettingRefusal QuadronCore::apply_preset(const QString& name, QString* note)
{
    SettingRefusal refusal;
    const std::optional<PresetStore::Entry> found = preset_store.find(name, &refusal);
    if (!found)
        return refusal;
    if (!connected())
        return not_connected(QStringLiteral("preset '%1' was not applied").arg(name));
    const Preset::Split split = found->preset.split_for(state.device_variant());
    {
        const EditHistory::Discrete own_step(history);
        if (SettingRefusal not_applied = apply_changes(state, split.applicable))
            return not_applied;
    }
    if (!split.skipped.isEmpty()) {
        const AmpVariant* variant = find_amp_variant(state.device_variant());
        const QString line = QStringLiteral("preset '%1': skipped what the %2 amplifier lacks: %3")
                                 .arg(name, QLatin1String(variant ? variant->name : "?"),
                                      split.skipped.join(QStringLiteral(", ")));
        qCInfo(preset_log, "%s", qUtf8Printable(line));
        if (note)
            *note = line + u'\n';
    }
    return {};
}

SettingRefusal QuadronCore::save_preset(const QString& name)
{
    if (SettingRefusal refusal = PresetStore::check_name(name))
        return refusal;
    if (!connected())
        return not_connected(QStringLiteral("preset '%1' was not saved").arg(name));
    const SettingRefusal refusal = preset_store.save(Preset::of(state, name));
    reload_presets();
    return refusal;
}

SettingRefusal QuadronCore::rename_preset(const QString& name, const QString& new_name)
{
    const SettingRefusal refusal = preset_store.rename(name, new_name);
    reload_presets();
    return refusal;
}

SettingRefusal QuadronCore::remove_preset(const QString& name)
{
    const SettingRefusal refusal = preset_store.remove(name);
    reload_presets();
    return refusal;
}

SettingRefusal QuadronCore::export_preset(const QString& name, const QString& path)
{
    if (!QDir::isAbsolutePath(path))
        return {R::bad_value, QStringLiteral("'%1' is not an absolute path").arg(path)};
    SettingRefusal refusal;
    const std::optional<PresetStore::Entry> found = preset_store.find(name, &refusal);
    if (!found)
        return refusal;
    return write_preset_file(path, found->preset.json());
}

SettingRefusal QuadronCore::import_preset(const QString& path, const QString& name,
                                          QString* imported)
{
    if (!QDir::isAbsolutePath(path))
        return {R::bad_value, QStringLiteral("'%1' is not an absolute path").arg(path)};
    QByteArray bytes;
    if (SettingRefusal unread = read_preset_file(path, &bytes))
        return unread;
    QString why;
    std::optional<Preset> preset = Preset::read(bytes, path, &why);
    if (!preset)
        return {R::bad_file, why};
    if (!name.isEmpty())
        preset->name = name;
    if (preset->name.isEmpty())
        preset->name = QFileInfo(path).completeBaseName();
    const SettingRefusal refusal = preset_store.save(*preset);
    reload_presets();
    if (!refusal && imported)
        *imported = preset->name;
    return refusal;
}

// The folder is read again whenever it changes, by this program or by hand.
void QuadronCore::reload_presets()
{
    watch_presets_folder();
    std::vector<PresetStore::Entry> now = preset_store.list();
    const auto same = [](const PresetStore::Entry& a, const PresetStore::Entry& b) {
        return a.path == b.path && a.preset.json() == b.preset.json();
    };
    if (now.size() == preset_entries.size() &&
        std::equal(now.begin(), now.end(), preset_entries.begin(), same))
        return;
    preset_entries = std::move(now);
    fill_tray_presets();
    Q_EMIT presets_changed(preset_names());
}

void QuadronCore::watch_presets_folder()
{
    const QString folder = preset_store.folder();
    if (!folder.isEmpty() && presets_watcher.directories().isEmpty() && QFileInfo::exists(folder))
        presets_watcher.addPath(folder);
}

void QuadronCore::fill_tray_presets()
{
    if (!tray_presets)
        return;
    tray_presets->clear();
    if (preset_entries.empty())
        tray_presets->addAction(tr("Нет пресетов"))->setEnabled(false);
    for (const PresetStore::Entry& entry : preset_entries) {
        const QString name = entry.preset.name;
        connect(tray_presets->addAction(name), &QAction::triggered, this, [this, name] {
            QString note;
            if (const SettingRefusal refusal = apply_preset(name, &note)) {
                qCWarning(preset_log, "%s", qUtf8Printable(refusal.message));
                tray_icon->showMessage(tr("Пресет не применён"), refusal.message,
                                       QSystemTrayIcon::Warning);
            }
        });
    }
}

// --presets, --preset NAME, --save-preset NAME, --export-preset NAME FILE and
// --import-preset FILE [NAME]; the command line has checked how many words each takes.
CommandReply QuadronCore::preset_reply(const QString& command, const QStringList& words, bool json)
{
    const auto done = [](const SettingRefusal& refusal, const QString& note = {}) {
        return refusal ? refused(refusal) : CommandReply{exit_codes::ok, note};
    };
    const QString first = words.value(0);
    if (command == QLatin1String("--presets")) {
        reload_presets();
        if (json)
            return {exit_codes::ok,
                    QString::fromUtf8(QJsonDocument(QJsonArray::fromStringList(preset_names()))
                                          .toJson(QJsonDocument::Compact)) +
                        u'\n'};
        QString lines;
        for (const QString& name : preset_names())
            lines += name + u'\n';
        return {exit_codes::ok, lines};
    }
    if (command == QLatin1String("--preset")) {
        QString note;
        const SettingRefusal refusal = apply_preset(first, &note);
        return done(refusal, note);
    }
    if (command == QLatin1String("--save-preset"))
        return done(save_preset(first));
    if (command == QLatin1String("--export-preset"))
        return done(export_preset(first, words.value(1)));
    if (command == QLatin1String("--import-preset"))
        return done(import_preset(first, words.value(1), nullptr));
    return refused({R::bad_value, QStringLiteral("no command %1").arg(command)});
}

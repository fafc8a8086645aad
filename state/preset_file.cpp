#include "preset_file.h"

#include "amp_variants.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QSaveFile>
#include <QStandardPaths>

Q_LOGGING_CATEGORY(preset_log, "quadron.presets", QtInfoMsg)

namespace {

using R = SettingRefusal::Reason;

// Variant codes are small; the table of variants is looked up by code.
constexpr int highest_variant_code = 15;

const AmpVariant* variant_named(const QString& name)
{
    for (int code = 0; code <= highest_variant_code; ++code) {
        const AmpVariant* variant = find_amp_variant(code);
        if (variant && name == QLatin1String(variant->name))
            return variant;
    }
    return nullptr;
}

// A JSON value as it would be written, for a refusal.
QString json_text(const QJsonValue& value)
{
    if (value.isUndefined())
        return QStringLiteral("nothing");
    const QByteArray wrapped = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(wrapped.mid(1, wrapped.size() - 2));
}

std::optional<Preset> refuse(QString* refusal, const QString& text)
{
    if (refusal)
        *refusal = text;
    return std::nullopt;
}

// Letters, digits and a few signs stay; anything else (a slash, a control character) becomes
// an underscore. Hidden files and overlong names are avoided too.
QString safe_file_stem(const QString& name)
{
    constexpr int longest = 80;
    QString stem;
    for (const QChar c : name.left(longest)) {
        const bool keep = c.isLetterOrNumber() || QStringLiteral(" -_.,()+").contains(c);
        stem += keep ? c : QChar(u'_');
    }
    stem = stem.trimmed();
    while (stem.startsWith(u'.'))
        stem.remove(0, 1);
    return stem.isEmpty() ? QStringLiteral("preset") : stem;
}

} // namespace

Preset Preset::of(const AmplifierState& state, const QString& name)
{
    Preset preset;
    preset.name = name;
    preset.variant = state.device_variant();
    for (const AmpSetting& setting : amp_settings()) {
        if (!setting.available_on(preset.variant))
            continue;
        const int value = setting.read(state.controls());
        if (setting.kind == AmpSetting::Kind::choice) {
            const AmpSetting::Item* item = setting.item_with_value(value);
            if (!item || !setting.item_available_on(*item, preset.variant))
                continue;
        }
        preset.values.push_back({&setting, value});
    }
    return preset;
}

QByteArray Preset::json() const
{
    QByteArray text = "{\n    \"format\": " + QByteArray::number(format) + ",\n";
    if (!name.isEmpty())
        text += "    \"name\": " + json_text(name).toUtf8() + ",\n";
    if (const AmpVariant* found = find_amp_variant(variant))
        text += "    \"variant\": " + json_text(QLatin1String(found->name)).toUtf8() + ",\n";
    text += "    \"settings\": {";
    const char* separator = "\n";
    for (const SettingChange& change : values) {
        text += separator;
        text += "        \"" + QByteArray(change.setting->name) +
                "\": " + json_text(change.setting->json(change.value)).toUtf8();
        separator = ",\n";
    }
    text += "\n    }\n}\n";
    return text;
}

std::optional<Preset> Preset::read(const QByteArray& bytes, const QString& label, QString* refusal)
{
    const auto refused = [&](const QString& why) { return refuse(refusal, label + u": " + why); };
    if (bytes.size() > size_limit)
        return refused(QStringLiteral("larger than 64 KiB"));
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError)
        return refused(
            QStringLiteral("not JSON (%1 at byte %2)").arg(error.errorString()).arg(error.offset));
    if (!document.isObject())
        return refused(QStringLiteral("not a JSON object"));
    const QJsonObject object = document.object();
    for (auto key = object.begin(); key != object.end(); ++key) {
        if (!QStringList{QStringLiteral("format"), QStringLiteral("name"),
                         QStringLiteral("variant"), QStringLiteral("settings")}
                 .contains(key.key()))
            return refused(key.key() + QStringLiteral(": unknown key"));
    }

    const QJsonValue format_value = object.value(QLatin1String("format"));
    const double given_format = format_value.toDouble(-1);
    if (!format_value.isDouble() || given_format < 1 || given_format != double(int(given_format)))
        return refused(
            QStringLiteral("format: takes %1, not %2").arg(format).arg(json_text(format_value)));
    if (given_format > format)
        return refused(QStringLiteral("format: %1 is newer than this program reads (%2)")
                           .arg(json_text(format_value))
                           .arg(format));

    Preset preset;
    const QJsonValue name_value = object.value(QLatin1String("name"));
    if (!name_value.isUndefined()) {
        if (!name_value.isString() || PresetStore::check_name(name_value.toString()))
            return refused(QStringLiteral("name: takes a text on one line, not %1")
                               .arg(json_text(name_value)));
        preset.name = name_value.toString();
    }
    const QJsonValue variant_value = object.value(QLatin1String("variant"));
    if (!variant_value.isUndefined()) {
        const AmpVariant* variant = variant_named(variant_value.toString());
        if (!variant_value.isString() || !variant)
            return refused(
                QStringLiteral("variant: no such variant %1").arg(json_text(variant_value)));
        preset.variant = variant->code;
    }

    const QJsonValue settings_value = object.value(QLatin1String("settings"));
    if (!settings_value.isObject())
        return refused(QStringLiteral("settings: takes an object of setting values, not %1")
                           .arg(json_text(settings_value)));
    const QJsonObject settings = settings_value.toObject();
    if (settings.isEmpty())
        return refused(QStringLiteral("settings: holds none"));
    for (auto key = settings.begin(); key != settings.end(); ++key) {
        if (!find_amp_setting(key.key()))
            return refused(key.key() + QStringLiteral(": no such setting"));
    }
    for (const AmpSetting& setting : amp_settings()) {
        const QJsonValue value = settings.value(QLatin1String(setting.name));
        if (value.isUndefined())
            continue;
        const std::optional<int> parsed = setting.from_json(value);
        if (!parsed)
            return refused(
                QStringLiteral("%1: takes %2, not %3")
                    .arg(QLatin1String(setting.name), setting.accepted(), json_text(value)));
        preset.values.push_back({&setting, *parsed});
    }
    return preset;
}

Preset::Split Preset::split_for(int connected_variant) const
{
    Split split;
    for (const SettingChange& change : values) {
        const AmpSetting& setting = *change.setting;
        const AmpSetting::Item* item = setting.item_with_value(change.value);
        if (!setting.available_on(connected_variant))
            split.skipped.append(QLatin1String(setting.name));
        else if (item && !setting.item_available_on(*item, connected_variant))
            split.skipped.append(QLatin1String(setting.name) + u'=' + QLatin1String(item->text));
        else
            split.applicable.push_back(change);
    }
    return split;
}

bool Preset::matches(const AmplifierState& state) const
{
    const std::vector<SettingChange> applicable = split_for(state.device_variant()).applicable;
    return !applicable.empty() &&
           std::all_of(applicable.begin(), applicable.end(), [&](const SettingChange& change) {
               return change.setting->read(state.controls()) == change.value;
           });
}

QString PresetStore::default_folder(bool demo)
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           (demo ? QStringLiteral("/presets-demo") : QStringLiteral("/presets"));
}

std::vector<PresetStore::Entry> PresetStore::list() const
{
    std::vector<Entry> entries;
    const QDir folder(dir);
    for (const QFileInfo& file :
         folder.entryInfoList({QStringLiteral("*.json")}, QDir::Files, QDir::Name)) {
        QByteArray bytes;
        QString refusal;
        std::optional<Preset> preset;
        if (const SettingRefusal unread = read_preset_file(file.filePath(), &bytes))
            refusal = unread.message;
        else
            preset = Preset::read(bytes, file.filePath(), &refusal);
        if (!preset) {
            if (!said.contains(refusal)) {
                said.append(refusal);
                qCWarning(preset_log, "left out of the presets: %s", qUtf8Printable(refusal));
            }
            continue;
        }
        if (preset->name.isEmpty())
            preset->name = file.completeBaseName();
        const bool taken = std::any_of(entries.begin(), entries.end(), [&](const Entry& entry) {
            return entry.preset.name == preset->name;
        });
        if (!taken)
            entries.push_back({std::move(*preset), file.filePath()});
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return a.preset.name.localeAwareCompare(b.preset.name) < 0;
    });
    return entries;
}

std::optional<PresetStore::Entry> PresetStore::find(const QString& name,
                                                    SettingRefusal* refusal) const
{
    for (Entry& entry : list()) {
        if (entry.preset.name == name)
            return std::move(entry);
    }
    // A file that would hold it but is refused says why.
    const QString path = QDir(dir).filePath(safe_file_stem(name) + QStringLiteral(".json"));
    QByteArray bytes;
    QString why;
    if (QFileInfo::exists(path)) {
        if (SettingRefusal unread = read_preset_file(path, &bytes)) {
            *refusal = unread;
            return std::nullopt;
        }
        if (!Preset::read(bytes, path, &why)) {
            *refusal = {R::bad_file, why};
            return std::nullopt;
        }
    }
    *refusal = {R::not_found, QStringLiteral("no preset named '%1' (in %2)").arg(name, dir)};
    return std::nullopt;
}

QString PresetStore::file_for(const QString& name, const std::vector<Entry>& entries) const
{
    const QString stem = safe_file_stem(name);
    const QDir folder(dir);
    for (int n = 1;; ++n) {
        const QString path = folder.filePath(
            (n == 1 ? stem : QStringLiteral("%1 (%2)").arg(stem).arg(n)) + QStringLiteral(".json"));
        const bool taken = QFileInfo::exists(path) ||
                           std::any_of(entries.begin(), entries.end(),
                                       [&](const Entry& entry) { return entry.path == path; });
        if (!taken)
            return path;
    }
}

SettingRefusal PresetStore::check_name(const QString& name)
{
    if (name.trimmed().isEmpty())
        return {R::bad_value, QStringLiteral("a preset needs a name")};
    for (const QChar c : name) {
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            return {R::bad_value,
                    QStringLiteral("a preset's name is one line without tabs, not '%1'")
                        .arg(QString(name).replace(u'\n', u' ').replace(u'\t', u' '))};
    }
    return {};
}

SettingRefusal PresetStore::save(const Preset& preset)
{
    if (SettingRefusal refusal = check_name(preset.name))
        return refusal;
    const std::vector<Entry> entries = list();
    QString path;
    for (const Entry& entry : entries) {
        if (entry.preset.name == preset.name)
            path = entry.path;
    }
    if (path.isEmpty()) {
        if (!QDir().mkpath(dir))
            return {R::cannot_write, QStringLiteral("%1: the folder cannot be made").arg(dir)};
        path = file_for(preset.name, entries);
    }
    return write_preset_file(path, preset.json());
}

SettingRefusal PresetStore::rename(const QString& name, const QString& new_name)
{
    if (SettingRefusal refusal = check_name(new_name))
        return refusal;
    SettingRefusal refusal;
    std::optional<Entry> found = find(name, &refusal);
    if (!found)
        return refusal;
    if (new_name == name)
        return {};
    std::vector<Entry> entries = list();
    for (const Entry& entry : entries) {
        if (entry.preset.name == new_name)
            return {R::cannot_write,
                    QStringLiteral("a preset named '%1' exists already in %2").arg(new_name, dir)};
    }
    entries.erase(std::remove_if(entries.begin(), entries.end(),
                                 [&](const Entry& entry) { return entry.path == found->path; }),
                  entries.end());
    Preset renamed = found->preset;
    renamed.name = new_name;
    QString path = file_for(new_name, entries);
    if (safe_file_stem(new_name) == QFileInfo(found->path).completeBaseName())
        path = found->path; // the same file name: rewritten in place
    if (SettingRefusal unwritten = write_preset_file(path, renamed.json()))
        return unwritten;
    if (path != found->path && !QFile::remove(found->path))
        qCWarning(preset_log, "%s: the file of the old name stays", qUtf8Printable(found->path));
    return {};
}

SettingRefusal PresetStore::remove(const QString& name)
{
    SettingRefusal refusal;
    const std::optional<Entry> found = find(name, &refusal);
    if (!found)
        return refusal;
    QFile file(found->path);
    if (!file.remove())
        return {R::cannot_write,
                QStringLiteral("%1: cannot be removed (%2)").arg(found->path, file.errorString())};
    return {};
}

SettingRefusal read_preset_file(const QString& path, QByteArray* bytes)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {R::not_found, path + QStringLiteral(": no such file")};
    if (!info.isFile())
        return {R::bad_file, path + QStringLiteral(": not a file")};
    if (info.size() > Preset::size_limit)
        return {R::bad_file, path + QStringLiteral(": larger than 64 KiB")};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {R::not_found,
                path + QStringLiteral(": cannot be read (%1)").arg(file.errorString())};
    *bytes = file.read(Preset::size_limit + 1); // a file that grew meanwhile is still refused
    if (bytes->size() > Preset::size_limit)
        return {R::bad_file, path + QStringLiteral(": larger than 64 KiB")};
    return {};
}

SettingRefusal write_preset_file(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return {R::cannot_write,
                path + QStringLiteral(": cannot be written (%1)").arg(file.errorString())};
    return {};
}

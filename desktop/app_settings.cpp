#include "app_settings.h"

#include "desktop_log.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryFile>
#include <QVariant>

Q_LOGGING_CATEGORY(desktop_log, "quadron.desktop", QtInfoMsg)

namespace {

const char autoload_key[] = "autoload";

struct UnsignedKey
{
    const char* name;
    quint32 SettingsValues::*field;
};

const UnsignedKey unsigned_keys[] = {
    {"HotKeys/volume_up_fsModifiers", &SettingsValues::volume_up_fsModifiers},
    {"HotKeys/volume_up_global_hot_key", &SettingsValues::volume_up_global_hot_key},
    {"HotKeys/volume_down_fsModifiers", &SettingsValues::volume_down_fsModifiers},
    {"HotKeys/volume_down_global_hot_key", &SettingsValues::volume_down_global_hot_key},
};

// The text a key holds as written in the file. A value with commas comes back from the
// INI reader as a list; joined again it is just another text the conversions judge.
QString stored_text(const QSettings& settings, const QString& key)
{
    const QVariant value = settings.value(key);
    if (value.userType() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

// Reads as true, and means it.
bool is_clear_yes(const QString& text)
{
    for (const char* yes : {"true", "yes", "on", "1"}) {
        if (text.compare(QLatin1String(yes), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

const char* reason_of(QSettings::Status status)
{
    return status == QSettings::FormatError ? "it cannot be read as INI" : "no access, or no room";
}

} // namespace

void AppSettings::set_application_names()
{
    QCoreApplication::setOrganizationName(QStringLiteral("TOLVEN LABS"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("brenvik-quadron.org"));
    QCoreApplication::setApplicationName(QStringLiteral("Quadron"));
}

QString AppSettings::default_path(const QString& file_name)
{
    return choose_path(QCoreApplication::applicationDirPath(),
                       QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation),
                       file_name);
}

QString AppSettings::choose_path(const QString& executable_dir, const QString& user_config_dir,
                                 const QString& file_name)
{
    // Without a home directory there is no per-user place; the executable's directory is
    // then as good as anything and saving simply fails there.
    if (user_config_dir.isEmpty() || can_write_beside(executable_dir, file_name))
        return QDir(executable_dir).filePath(file_name);
    return QDir(user_config_dir).filePath(file_name);
}

void AppSettings::take_over_misplaced(const QString& path, const QString& file_name)
{
    const QString user_dir = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    // Without organisation and application names the directory was named as Qt names an
    // application by default: after the executable as it was started.
    const QString executable = QFileInfo(QCoreApplication::arguments().value(0)).fileName();
    const QString generic = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (user_dir.isEmpty() || generic.isEmpty() || executable.isEmpty() ||
        path != QDir(user_dir).filePath(file_name) || QFileInfo::exists(path))
        return;
    const QString misplaced = QDir(generic).filePath(executable + u'/' + file_name);
    if (misplaced == path || !QFileInfo(misplaced).isFile())
        return;
    QDir().mkpath(user_dir);
    if (QFile::copy(misplaced, path))
        qCInfo(desktop_log,
               "the settings in %s, where an earlier start kept them, are taken over "
               "into %s; the old file stays",
               qUtf8Printable(misplaced), qUtf8Printable(path));
    else
        qCWarning(desktop_log, "the settings in %s cannot be taken over into %s",
                  qUtf8Printable(misplaced), qUtf8Printable(path));
}

bool AppSettings::can_write_beside(const QString& dir, const QString& file_name)
{
    if (dir.isEmpty() || !QFileInfo(dir).isDir())
        return false;
    const QFileInfo existing(QDir(dir).filePath(file_name));
    if (existing.exists() && (!existing.isFile() || !existing.isWritable()))
        return false;
    // The file is replaced through a temporary file beside it, so the directory must take
    // new files. Only trying tells that for certain (read-only mounts, ACLs, root squash).
    QTemporaryFile probe(QDir(dir).filePath(file_name + QLatin1String(".XXXXXX")));
    return probe.open();
}

SettingsValues AppSettings::load(const QString& path)
{
    SettingsValues values;
    const QSettings settings(path, QSettings::IniFormat);
    const QString autoload = QLatin1String(autoload_key);
    if (settings.contains(autoload)) {
        const QString text = stored_text(settings, autoload);
        values.autoload = parse_bool(text);
        if (values.autoload && !is_clear_yes(text))
            qCWarning(desktop_log,
                      "%s: autoload=%s reads as true (only an empty value, 0 or false read as "
                      "false)",
                      qUtf8Printable(path), qUtf8Printable(text));
    }
    for (const UnsignedKey& key : unsigned_keys) {
        const QString name = QLatin1String(key.name);
        if (!settings.contains(name))
            continue;
        const QString text = stored_text(settings, name);
        values.*key.field = parse_unsigned(text);
        bool number = false;
        text.toUInt(&number, 10);
        if (!number)
            qCWarning(desktop_log,
                      "%s: %s=%s is not a decimal number from 0 to 4294967295; it reads as 0",
                      qUtf8Printable(path), key.name, qUtf8Printable(text));
    }
    return values;
}

bool AppSettings::save(const QString& path, const SettingsValues& values)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSettings settings(path, QSettings::IniFormat);
    settings.setValue(QLatin1String(autoload_key), values.autoload);
    for (const UnsignedKey& key : unsigned_keys)
        settings.setValue(QLatin1String(key.name), values.*key.field);
    settings.sync();
    if (settings.status() == QSettings::NoError)
        return true;
    // Said once for each file: the program saves at every autostart click and at its end.
    static QStringList said;
    if (!said.contains(path)) {
        said.append(path);
        qCWarning(desktop_log, "the settings cannot be written to %s: %s", qUtf8Printable(path),
                  reason_of(settings.status()));
    }
    return false;
}

bool AppSettings::parse_bool(const QString& text)
{
    return !(text.isEmpty() || text == QLatin1String("0") ||
             text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0);
}

quint32 AppSettings::parse_unsigned(const QString& text)
{
    bool ok = false;
    const uint value = text.toUInt(&ok, 10);
    return ok ? value : 0;
}

#include "autostart_entry.h"

#include "desktop_log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

// Exec quoting: the argument goes between double quotes, inside which ", `, $ and \ are
// escaped with a backslash. '%' is doubled first so that nothing reads as a field code.
QString quoted_argument(const QString& argument)
{
    QString quoted = QStringLiteral("\"");
    for (const QChar c : argument) {
        if (c == QLatin1Char('%')) {
            quoted += QLatin1String("%%");
            continue;
        }
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
            c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    return quoted + QLatin1Char('"');
}

// Escapes of a string value, undone by readers before the Exec quoting is.
QString escaped_string_value(const QString& value)
{
    QString escaped;
    for (const QChar c : value) {
        if (c == QLatin1Char('\\'))
            escaped += QLatin1String("\\\\");
        else if (c == QLatin1Char('\n'))
            escaped += QLatin1String("\\n");
        else if (c == QLatin1Char('\t'))
            escaped += QLatin1String("\\t");
        else if (c == QLatin1Char('\r'))
            escaped += QLatin1String("\\r");
        else
            escaped += c;
    }
    return escaped;
}

} // namespace

QString AutostartEntry::entry_path(const QString& file_name)
{
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return config + QLatin1String("/autostart/") + file_name;
}

bool AutostartEntry::set_enabled(bool on, const QString& executable_path, const QString& file_name)
{
    const QString path = entry_path(file_name);
    if (!on) {
        if (QFile::remove(path) || !QFile::exists(path))
            return true;
        qCWarning(desktop_log, "the autostart entry %s cannot be removed", qUtf8Printable(path));
        return false;
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    // Written through a temporary file so that a session starting meanwhile never reads
    // half an entry.
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(entry_text(executable_path).toUtf8()) >= 0 &&
        file.commit())
        return true;
    qCWarning(desktop_log, "the autostart entry %s cannot be written: %s", qUtf8Printable(path),
              qUtf8Printable(file.errorString()));
    return false;
}

void AutostartEntry::refresh(const QString& executable_path, const QString& file_name)
{
    QFile file(entry_path(file_name));
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QString text = QString::fromUtf8(file.readAll());
    file.close();
    const QString wanted = entry_text(executable_path);
    const auto line_of = [](const QString& entry, QLatin1String key) {
        for (const QString& line : entry.split(QLatin1Char('\n'))) {
            if (line.startsWith(key))
                return line;
        }
        return QString();
    };
    // Arguments the user added after the executable are theirs to keep.
    const QString exec = line_of(text, QLatin1String("Exec=")),
                  wanted_exec = line_of(wanted, QLatin1String("Exec="));
    const bool exec_names_this = exec == wanted_exec || exec.startsWith(wanted_exec + u' ');
    if (!exec_names_this ||
        line_of(text, QLatin1String("TryExec=")) != line_of(wanted, QLatin1String("TryExec=")))
        set_enabled(true, executable_path, file_name);
}

bool AutostartEntry::starts_at_logon(const QString& file_name)
{
    const QString path = QStandardPaths::locate(QStandardPaths::GenericConfigLocation,
                                                QLatin1String("autostart/") + file_name);
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        qCWarning(desktop_log,
                  "autostart is chosen, but there is no autostart entry %s: the program does not "
                  "start at the next logon",
                  qUtf8Printable(entry_path(file_name)));
        return false;
    }
    bool in_entry_group = false;
    for (const QByteArray& raw : file.readAll().split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.startsWith('['))
            in_entry_group = line == "[Desktop Entry]";
        const qsizetype equals = line.indexOf('=');
        if (!in_entry_group || equals < 0)
            continue;
        const QByteArray key = line.left(equals).trimmed(), value = line.mid(equals + 1).trimmed();
        if ((key == "Hidden" && value == "true") ||
            (key == "X-GNOME-Autostart-enabled" && value == "false")) {
            qCWarning(desktop_log,
                      "autostart is chosen, but the desktop has disabled the autostart entry %s "
                      "(%s): the program does not start at the next logon",
                      qUtf8Printable(path), line.constData());
            return false;
        }
    }
    return true;
}

void AutostartEntry::adopt(const QString& former_file_name, const QString& file_name)
{
    const QString former = entry_path(former_file_name);
    if (!QFileInfo::exists(former))
        return;
    const QString path = entry_path(file_name);
    if (QFileInfo::exists(path) ? QFile::remove(former) : QFile::rename(former, path))
        return;
    qCWarning(desktop_log, "the autostart entry %s cannot be renamed to %s", qUtf8Printable(former),
              qUtf8Printable(path));
}

QString AutostartEntry::entry_text(const QString& executable_path)
{
    return QLatin1String("[Desktop Entry]\n"
                         "Type=Application\n"
                         "Name=Brenvik Quadron\n"
                         "TryExec=") +
           escaped_string_value(executable_path) + QLatin1String("\nExec=") +
           exec_value(executable_path) +
           QLatin1String("\n"
                         "Terminal=false\n"
                         "X-GNOME-Autostart-enabled=true\n");
}

QString AutostartEntry::exec_value(const QString& executable_path)
{
    return escaped_string_value(quoted_argument(executable_path));
}

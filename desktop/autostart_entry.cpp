#include "autostart_entry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

const char entry_file_name[] = "brenvik-quadron.desktop";

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

QString AutostartEntry::entry_path()
{
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return config + QLatin1String("/autostart/") + QLatin1String(entry_file_name);
}

void AutostartEntry::set_enabled(bool on, const QString& executable_path)
{
    const QString path = entry_path();
    if (!on) {
        QFile::remove(path);
        return;
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    // Written through a temporary file so that a session starting meanwhile never reads
    // half an entry.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write(entry_text(executable_path).toUtf8());
    file.commit();
}

QString AutostartEntry::entry_text(const QString& executable_path)
{
    return QLatin1String("[Desktop Entry]\n"
                         "Type=Application\n"
                         "Name=Brenvik Quadron\n"
                         "Exec=") +
           exec_value(executable_path) +
           QLatin1String("\n"
                         "Terminal=false\n"
                         "X-GNOME-Autostart-enabled=true\n");
}

QString AutostartEntry::exec_value(const QString& executable_path)
{
    return escaped_string_value(quoted_argument(executable_path));
}

#include "quadron_copy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

QuadronCopy::QuadronCopy()
{
    if (!dir.isValid())
        return;
    // The program identifies itself by its resolved path, so name the copy the same way.
    const QString target = QFileInfo(dir.path()).canonicalFilePath() + QStringLiteral("/quadron");
    valid = QFile::copy(QStringLiteral(QUADRON_EXECUTABLE), target);
    executable_path = target;
}

QString QuadronCopy::config_path() const
{
    return QFileInfo(executable_path).dir().filePath(QStringLiteral("config.ini"));
}

bool QuadronCopy::open_to_others() const
{
    return QFile::setPermissions(
        dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                        QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
}

int QuadronCopy::running_processes() const
{
    int count = 0;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString& entry : entries) {
        bool is_pid = false;
        entry.toInt(&is_pid);
        // A zombie has no executable link any more, so it does not count as running.
        if (is_pid &&
            QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(entry)) == executable_path)
            ++count;
    }
    return count;
}

#include "process_test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

ProcessPool::~ProcessPool()
{
    for (const auto& process : processes) {
        if (process->state() != QProcess::NotRunning)
            process->kill();
    }
    for (const auto& process : processes)
        process->waitForFinished(5000);
}

QProcess* ProcessPool::start(const QString& program, const QStringList& arguments,
                             const QProcessEnvironment& environment,
                             QProcess::ProcessChannelMode mode)
{
    processes.push_back(std::make_unique<QProcess>());
    QProcess* process = processes.back().get();
    process->setProcessChannelMode(mode);
    process->setProcessEnvironment(environment);
    process->start(program, arguments);
    return process;
}

QuadronCopy::QuadronCopy()
{
    // The program identifies itself by its resolved path, so name the copy the same way.
    executable_path = QFileInfo(dir.path()).canonicalFilePath() + QStringLiteral("/quadron");
    valid = dir.isValid() && QFile::copy(QStringLiteral(QUADRON_EXECUTABLE), executable_path);
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
    // A zombie has no executable link any more, so it does not count as running. A program run
    // through an interpreter of binfmt_misc (qemu-user for another architecture) has the
    // interpreter as its executable, and its own path as the interpreter's first argument.
    for (const QString& entry : entries) {
        const QString exe = QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(entry));
        if (exe.isEmpty())
            continue;
        QFile command_line(QStringLiteral("/proc/%1/cmdline").arg(entry));
        const QList<QByteArray> words = command_line.open(QIODevice::ReadOnly)
                                            ? command_line.readAll().split('\0')
                                            : QList<QByteArray>();
        count += exe == executable_path ||
                 (words.size() > 1 && QFile::decodeName(words[1]) == executable_path);
    }
    return count;
}

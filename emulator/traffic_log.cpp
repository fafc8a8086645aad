#include "traffic_log.h"

#include <cstdio>
#include <fcntl.h>

void TrafficLog::set_path(const QString& path)
{
    const std::lock_guard<std::mutex> lock(mutex);
    if (path == current_path)
        return;
    file.close();
    current_path = path;
    if (path.isEmpty())
        return;
    // Never through a symbolic link: the log may sit in a directory others can write to.
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0 || !file.open(fd, QIODevice::WriteOnly | QIODevice::Append, QFile::AutoCloseHandle))
        std::fprintf(stderr, "quadron-emulator: cannot open traffic log %s\n", qPrintable(path));
}

void TrafficLog::append_event(qint64 elapsed_ms, const char* event)
{
    const std::lock_guard<std::mutex> lock(mutex);
    if (!file.isOpen())
        return;
    file.write(QByteArray::number(elapsed_ms) + ' ' + event + '\n');
    file.flush();
}

void TrafficLog::append(qint64 elapsed_ms, const AmplifierModel::OutputReport& report)
{
    const std::lock_guard<std::mutex> lock(mutex);
    if (!file.isOpen())
        return;
    file.write(format_line(elapsed_ms, report));
    file.flush();
}

QByteArray TrafficLog::format_line(qint64 elapsed_ms, const AmplifierModel::OutputReport& report)
{
    const QByteArray payload(reinterpret_cast<const char*>(report.data()) + 2,
                             static_cast<qsizetype>(report.size() - 2));
    return QByteArray::number(elapsed_ms) + ' ' + QByteArray::number(report[1]) + ' ' +
           payload.toHex() + '\n';
}

#include "traffic_log.h"

#include <cstdio>

void TrafficLog::set_path(const QString& path)
{
    const std::lock_guard<std::mutex> lock(mutex);
    if (path == current_path)
        return;
    file.close();
    current_path = path;
    if (path.isEmpty())
        return;
    file.setFileName(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        std::fprintf(stderr, "quadron-emulator: cannot open traffic log %s\n", qPrintable(path));
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

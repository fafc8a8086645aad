#pragma once

#include "amplifier_model.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <mutex>

// Appends one line per output report the amplifier receives. Each line is
// flushed at once so that a test can follow the file while it grows.
class TrafficLog
{
public:
    // An empty path stops logging; a new path is opened for appending.
    void set_path(const QString& path);
    void append(qint64 elapsed_ms, const AmplifierModel::OutputReport& report);
    // "<ms> <event>\n", for what happens to the amplifier itself ("plugged", "unplugged").
    void append_event(qint64 elapsed_ms, const char* event);

    // "<ms> <command> <report bytes 2..64 in lower-case hex>\n"
    static QByteArray format_line(qint64 elapsed_ms, const AmplifierModel::OutputReport& report);

private:
    std::mutex mutex;
    QString current_path;
    QFile file;
};

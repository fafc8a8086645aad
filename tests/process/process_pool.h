#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <memory>
#include <vector>

// The processes a test starts. Whatever still runs when the pool goes, a failed test's
// leftovers included, is killed and reaped.
class ProcessPool
{
public:
    ProcessPool() = default;
    ProcessPool(const ProcessPool&) = delete;
    ProcessPool& operator=(const ProcessPool&) = delete;
    ~ProcessPool();

    // Starts program with its output passed through to the test's own.
    QProcess*
    start(const QString& program, const QStringList& arguments = {},
          const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());
    // Same, with the output kept for the test to read.
    QProcess* start_captured(
        const QString& program, const QStringList& arguments = {},
        const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());
    void kill_all();

private:
    QProcess* launch(const QString& program, const QStringList& arguments,
                     const QProcessEnvironment& environment, QProcess::ProcessChannelMode mode);

    std::vector<std::unique_ptr<QProcess>> processes;
};

#pragma once

#include <QProcess>

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

    // By default the output passes through to the test's own.
    QProcess*
    start(const QString& program, const QStringList& arguments = {},
          const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment(),
          QProcess::ProcessChannelMode mode = QProcess::ForwardedChannels);

private:
    std::vector<std::unique_ptr<QProcess>> processes;
};

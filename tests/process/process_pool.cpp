#include "process_pool.h"

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

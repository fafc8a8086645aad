#include "process_pool.h"

ProcessPool::~ProcessPool()
{
    kill_all();
}

QProcess* ProcessPool::start(const QString& program, const QStringList& arguments,
                             const QProcessEnvironment& environment)
{
    return launch(program, arguments, environment, QProcess::ForwardedChannels);
}

QProcess* ProcessPool::start_captured(const QString& program, const QStringList& arguments,
                                      const QProcessEnvironment& environment)
{
    return launch(program, arguments, environment, QProcess::SeparateChannels);
}

QProcess* ProcessPool::launch(const QString& program, const QStringList& arguments,
                              const QProcessEnvironment& environment,
                              QProcess::ProcessChannelMode mode)
{
    auto process = std::make_unique<QProcess>();
    process->setProcessChannelMode(mode);
    process->setProcessEnvironment(environment);
    process->start(program, arguments);
    processes.push_back(std::move(process));
    return processes.back().get();
}

void ProcessPool::kill_all()
{
    for (const auto& process : processes) {
        if (process->state() != QProcess::NotRunning)
            process->kill();
    }
    for (const auto& process : processes)
        process->waitForFinished(5000);
    processes.clear();
}

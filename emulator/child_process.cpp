#include "child_process.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <sys/prctl.h>
#include <sys/types.h>

namespace {

std::atomic<pid_t> child_pid{0};

void forward_signal(int signal_number)
{
    const pid_t pid = child_pid.load();
    if (pid > 0)
        ::kill(pid, signal_number);
}

constexpr int forwarded_signals[] = {SIGTERM, SIGINT, SIGHUP};

} // namespace

ChildProcess::ChildProcess(QObject* parent) : QObject(parent)
{
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.setInputChannelMode(QProcess::ForwardedInputChannel);
    // Without its emulator the child would only see a testbed that is gone.
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    connect(&process, &QProcess::finished, this, [this](int code, QProcess::ExitStatus status) {
        child_pid = 0;
        // On a crash QProcess reports the terminating signal as the code.
        Q_EMIT finished(status == QProcess::NormalExit ? code : 128 + code);
    });
    connect(&process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        std::fprintf(stderr, "quadron-emulator: cannot run %s: %s\n", qPrintable(process.program()),
                     qPrintable(process.errorString()));
        Q_EMIT finished(127);
    });
}

ChildProcess::~ChildProcess()
{
    child_pid = 0;
    for (const int signal_number : forwarded_signals)
        std::signal(signal_number, SIG_DFL);
}

void ChildProcess::start(const QString& program, const QStringList& arguments)
{
    // The emulator outlives its child: a termination request is passed on,
    // and the emulator ends when the child does.
    for (const int signal_number : forwarded_signals)
        std::signal(signal_number, forward_signal);
    process.start(program, arguments);
    if (process.waitForStarted(-1))
        child_pid = static_cast<pid_t>(process.processId());
}

#include "termination_signals.h"

#include <QByteArray>
#include <QPointer>
#include <QSocketNotifier>

#include <utility>

#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const int handled_signals[] = {SIGTERM, SIGINT, SIGHUP};
constexpr int handled_count = sizeof(handled_signals) / sizeof(handled_signals[0]);

// Shared with the handler, which may only touch these.
int signal_fds[2] = {-1, -1};
struct sigaction previous_actions[handled_count];

extern "C" void on_termination_signal(int signal_number)
{
    const int saved_errno = errno;
    const unsigned char byte = static_cast<unsigned char>(signal_number);
    // Non-blocking: when the socket is full, earlier requests are still waiting anyway.
    [[maybe_unused]] const ssize_t written = ::write(signal_fds[0], &byte, 1);
    errno = saved_errno;
}

} // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent)
{
    if (signal_fds[0] != -1 ||
        ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, signal_fds) != 0)
        return;
    installed = true;
    notifier = new QSocketNotifier(signal_fds[1], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &TerminationSignals::read_signals);

    struct sigaction action = {};
    action.sa_handler = on_termination_signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < handled_count; ++i)
        ::sigaction(handled_signals[i], &action, &previous_actions[i]);
}

TerminationSignals::~TerminationSignals()
{
    if (!installed)
        return;
    for (int i = 0; i < handled_count; ++i)
        ::sigaction(handled_signals[i], &previous_actions[i], nullptr);
    delete notifier;
    const int fds[2] = {signal_fds[0], signal_fds[1]};
    signal_fds[0] = signal_fds[1] = -1;
    ::close(fds[0]);
    ::close(fds[1]);
}

void TerminationSignals::read_signals()
{
    QByteArray pending;
    char bytes[16];
    ssize_t count;
    while ((count = ::read(signal_fds[1], bytes, sizeof bytes)) > 0)
        pending.append(bytes, count);
    // A receiver may well delete this object on the first request.
    const QPointer<TerminationSignals> alive(this);
    for (const char byte : std::as_const(pending)) {
        if (!alive)
            return;
        Q_EMIT termination_requested(static_cast<unsigned char>(byte));
    }
}

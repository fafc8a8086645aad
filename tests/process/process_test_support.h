#pragma once

#include "x11_desktop.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QTest>

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

// A private copy of the program in a directory of its own: a separate instance identity and
// its own config.ini beside it.
class QuadronCopy
{
public:
    QuadronCopy();

    bool is_valid() const { return valid; }
    QString executable() const { return executable_path; }
    QString config_path() const { return dir.filePath(QStringLiteral("config.ini")); }
    // Lets other users run the copy.
    bool open_to_others() const;
    // Processes now running this copy, found through /proc.
    int running_processes() const;

private:
    QTemporaryDir dir;
    QString executable_path;
    bool valid = false;
};

namespace process_test {

inline QString window_title()
{
    return QStringLiteral("Brenvik Quadron v.1.03");
}

// Start-up of a copy on a busy machine: X connection, form, tray embedding.
constexpr int start_up_ms = 10000;
// A second copy relays and ends; its send gives up only after 5 s, so much less means it
// really reached the first copy.
constexpr int relay_limit_ms = 3000;
// The program shows its window by itself when no tray has come up 3 s after start.
constexpr int tray_grace_ms = 3000;

// True when predicate held throughout ms, events processed meanwhile; for checks that
// something does not happen.
template <typename Predicate> bool holds_for(int ms, Predicate predicate)
{
    const QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        if (!predicate())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QTest::qSleep(20);
    }
    return predicate();
}

// The runner's display with trayer's panel on it.
inline bool has_tray_desktop(X11Desktop& desktop)
{
    return desktop.is_connected() && QTest::qWaitFor([&] { return desktop.has_tray_host(); });
}

// Starts program and waits for its tray icon; null when none came up in time.
inline QProcess*
start_in_tray(ProcessPool& pool, X11Desktop& desktop, const QString& program,
              const QStringList& arguments = {},
              const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
{
    QProcess* process = pool.start(program, arguments, environment);
    const auto icon_up = [&] { return desktop.tray_icons(process->processId()).size() == 1; };
    return process->waitForStarted() && QTest::qWaitFor(icon_up, start_up_ms) ? process : nullptr;
}

// A later start of program that relays to the running copy pid: it ends with 0, well within
// the time its send could take, and the running copy shows its window.
inline bool
relays(ProcessPool& pool, X11Desktop& desktop, qint64 pid, const QString& program,
       const QStringList& arguments = {},
       const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
{
    QElapsedTimer clock;
    clock.start();
    QProcess* relay = pool.start(program, arguments, environment);
    const bool ended = relay->waitForFinished(relay_limit_ms);
    if (!ended || relay->exitStatus() != QProcess::NormalExit || relay->exitCode() != 0)
        qWarning("relay: exit code %d after %lld ms", relay->exitCode(), clock.elapsed());
    return ended && relay->exitStatus() == QProcess::NormalExit && relay->exitCode() == 0 &&
           QTest::qWaitFor([&] { return desktop.shown_windows(window_title(), pid).size() == 1; });
}

} // namespace process_test

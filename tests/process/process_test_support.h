#pragma once

#include "process_pool.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QString>
#include <QTest>

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

// Waits, events processed, until predicate holds; false when ms ran out first.
template <typename Predicate> bool wait_until(int ms, Predicate predicate)
{
    const QDeadlineTimer deadline(ms);
    while (!predicate()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QTest::qSleep(20);
    }
    return true;
}

// How a copy that should end by itself did.
struct Ending
{
    bool ended = false;
    int exit_code = -1;
    qint64 elapsed_ms = 0;
};

inline Ending run_to_end(ProcessPool& pool, const QString& executable,
                         const QStringList& arguments = {}, int limit_ms = start_up_ms)
{
    QElapsedTimer clock;
    clock.start();
    QProcess* process = pool.start(executable, arguments);
    Ending ending;
    ending.ended =
        process->waitForFinished(limit_ms) && process->exitStatus() == QProcess::NormalExit;
    ending.elapsed_ms = clock.elapsed();
    if (ending.ended)
        ending.exit_code = process->exitCode();
    return ending;
}

} // namespace process_test

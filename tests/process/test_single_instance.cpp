// One running copy per executable path: later starts relay to it and end.
#include "process_pool.h"
#include "process_test_support.h"
#include "quadron_copy.h"
#include "x11_desktop.h"

#include <QFile>
#include <QTest>

#include <algorithm>
#include <csignal>
#include <memory>

using namespace process_test;

class TestSingleInstance : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        desktop = std::make_unique<X11Desktop>();
        QVERIFY2(desktop->is_connected(), "no X display");
        QTRY_VERIFY2_WITH_TIMEOUT(desktop->has_tray_host(), "no tray host on the display", 5000);
    }

    void later_starts_relay_to_the_first_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("no arguments") << QStringList();
        // The program reads none of its arguments; the toolkit's own options are left out.
        QTest::newRow("odd arguments") << QStringList{QStringLiteral("--help"),
                                                      QStringLiteral("--version"),
                                                      QStringLiteral("-v"),
                                                      QStringLiteral("--quit"),
                                                      QString(),
                                                      QStringLiteral("--"),
                                                      QStringLiteral("-"),
                                                      QStringLiteral("Rise up!"),
                                                      QStringLiteral("Привет, мир"),
                                                      QStringLiteral("%s%n%x"),
                                                      QStringLiteral("/nonexistent/config.ini"),
                                                      QString(4000, QLatin1Char('x'))};
    }
    void later_starts_relay_to_the_first()
    {
        QFETCH(QStringList, arguments);
        QuadronCopy copy;
        QVERIFY(copy.is_valid());
        ProcessPool pool;

        QProcess* first = pool.start(copy.executable(), arguments);
        QVERIFY(first->waitForStarted());
        const qint64 pid = first->processId();
        QTRY_COMPARE_WITH_TIMEOUT(desktop->tray_icons(pid).size(), 1, start_up_ms);
        // Hidden, with a tray, also past the time the window would show itself without one.
        QVERIFY(holds_for(tray_grace_ms + 500, [&] {
            return first->state() == QProcess::Running &&
                   desktop->shown_windows(window_title()).isEmpty() &&
                   desktop->tray_icons(pid).size() == 1;
        }));

        const Ending second = run_to_end(pool, copy.executable(), arguments);
        QVERIFY(second.ended);
        QCOMPARE(second.exit_code, 0);
        QVERIFY2(second.elapsed_ms < relay_limit_ms,
                 qPrintable(QString::number(second.elapsed_ms)));
        QTRY_COMPARE_WITH_TIMEOUT(desktop->shown_windows(window_title(), pid).size(), 1, 3000);
        QCOMPARE(desktop->shown_windows(window_title()).size(), 1);
        QCOMPARE(desktop->tray_icons().size(), 1);

        // Once more while the window is up: still the one window.
        const Ending third = run_to_end(pool, copy.executable(), arguments);
        QVERIFY(third.ended);
        QCOMPARE(third.exit_code, 0);
        QVERIFY(third.elapsed_ms < relay_limit_ms);
        QVERIFY(holds_for(500, [&] {
            return first->state() == QProcess::Running &&
                   desktop->shown_windows(window_title()).size() == 1 &&
                   desktop->shown_windows(window_title(), pid).size() == 1 &&
                   desktop->tray_icons().size() == 1;
        }));
    }

    void simultaneous_starts_leave_one()
    {
        constexpr int starts = 20;
        QuadronCopy copy;
        QVERIFY(copy.is_valid());
        ProcessPool pool;
        QList<QProcess*> processes;
        for (int i = 0; i < starts; ++i)
            processes.append(pool.start(copy.executable()));

        const auto finished = [&] {
            return int(std::count_if(processes.begin(), processes.end(), [](QProcess* p) {
                return p->state() == QProcess::NotRunning;
            }));
        };
        QTRY_COMPARE_WITH_TIMEOUT(finished(), starts - 1, 20000);
        QVERIFY(holds_for(1000, [&] { return finished() == starts - 1; }));

        QProcess* survivor = nullptr;
        for (QProcess* process : std::as_const(processes)) {
            if (process->state() != QProcess::NotRunning) {
                survivor = process;
                continue;
            }
            QCOMPARE(process->exitStatus(), QProcess::NormalExit);
            QCOMPARE(process->exitCode(), 0);
        }
        QVERIFY(survivor);
        QCOMPARE(copy.running_processes(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(desktop->tray_icons().size(), 1, start_up_ms);
        QCOMPARE(desktop->tray_icons(survivor->processId()).size(), 1);
        // The others asked it to show itself.
        QTRY_COMPARE_WITH_TIMEOUT(
            desktop->shown_windows(window_title(), survivor->processId()).size(), 1, 3000);
    }

    void killed_copy_leaves_no_settings_and_is_replaced()
    {
        QuadronCopy copy;
        QVERIFY(copy.is_valid());
        ProcessPool pool;
        QProcess* killed = pool.start(copy.executable());
        QVERIFY(killed->waitForStarted());
        QTRY_COMPARE_WITH_TIMEOUT(desktop->tray_icons(killed->processId()).size(), 1, start_up_ms);
        ::kill(pid_t(killed->processId()), SIGKILL);
        QVERIFY(killed->waitForFinished(5000));
        QCOMPARE(killed->exitStatus(), QProcess::CrashExit);
        QVERIFY(!QFile::exists(copy.config_path()));

        // A copy that took itself for a second one would never put up a tray icon.
        QProcess* next = pool.start(copy.executable());
        QVERIFY(next->waitForStarted());
        const qint64 pid = next->processId();
        QTRY_COMPARE_WITH_TIMEOUT(desktop->tray_icons(pid).size(), 1, start_up_ms);
        QVERIFY(desktop->shown_windows(window_title()).isEmpty());

        const Ending relay = run_to_end(pool, copy.executable());
        QVERIFY(relay.ended);
        QCOMPARE(relay.exit_code, 0);
        QVERIFY(relay.elapsed_ms < relay_limit_ms);
        QTRY_COMPARE_WITH_TIMEOUT(desktop->shown_windows(window_title(), pid).size(), 1, 3000);
        QCOMPARE(next->state(), QProcess::Running);
    }

    void hung_first_copy_does_not_hold_up_a_later_start()
    {
        QuadronCopy copy;
        QVERIFY(copy.is_valid());
        ProcessPool pool;
        QProcess* first = pool.start(copy.executable());
        QVERIFY(first->waitForStarted());
        const qint64 pid = first->processId();
        QTRY_COMPARE_WITH_TIMEOUT(desktop->tray_icons(pid).size(), 1, start_up_ms);

        ::kill(pid_t(pid), SIGSTOP);
        const Ending relay = run_to_end(pool, copy.executable(), {}, 15000);
        ::kill(pid_t(pid), SIGCONT);
        QVERIFY(relay.ended);
        QCOMPARE(relay.exit_code, 0);
        // It waits out its 5 s for an answer, and no more than that by much.
        QVERIFY2(relay.elapsed_ms >= 4500 && relay.elapsed_ms < 9000,
                 qPrintable(QString::number(relay.elapsed_ms)));
        QCOMPARE(desktop->tray_icons().size(), 1);
    }

    void copy_at_another_path_is_separate()
    {
        QuadronCopy copy_a;
        QuadronCopy copy_b;
        QVERIFY(copy_a.is_valid() && copy_b.is_valid());
        ProcessPool pool;
        QProcess* a = pool.start(copy_a.executable());
        QProcess* b = pool.start(copy_b.executable());
        QVERIFY(a->waitForStarted() && b->waitForStarted());
        QTRY_COMPARE_WITH_TIMEOUT(desktop->tray_icons(a->processId()).size(), 1, start_up_ms);
        QTRY_COMPARE_WITH_TIMEOUT(desktop->tray_icons(b->processId()).size(), 1, start_up_ms);
        QVERIFY(holds_for(1000, [&] {
            return a->state() == QProcess::Running && b->state() == QProcess::Running &&
                   desktop->shown_windows(window_title()).isEmpty();
        }));

        // A later start of one copy reaches that copy only.
        const Ending relay = run_to_end(pool, copy_b.executable());
        QVERIFY(relay.ended);
        QCOMPARE(relay.exit_code, 0);
        QTRY_COMPARE_WITH_TIMEOUT(desktop->shown_windows(window_title(), b->processId()).size(), 1,
                                  3000);
        QVERIFY(desktop->shown_windows(window_title(), a->processId()).isEmpty());
        QCOMPARE(a->state(), QProcess::Running);
    }

private:
    std::unique_ptr<X11Desktop> desktop;
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "test_single_instance.moc"

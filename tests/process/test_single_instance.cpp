// One running copy per executable path: later starts relay to it and end.
#include "process_test_support.h"
#include "x11_desktop.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <csignal>

using namespace process_test;

class TestSingleInstance : public QObject
{
    Q_OBJECT
    X11Desktop desktop;

private Q_SLOTS:
    void initTestCase() { QVERIFY2(has_tray_desktop(desktop), "no X display with trayer"); }

    // Of simultaneous starts one copy stays; a copy at another path is a program of its own,
    // which they neither reach nor stop.
    void simultaneous_starts_leave_one()
    {
        constexpr int starts = 20;
        QuadronCopy copy, elsewhere;
        QVERIFY(copy.is_valid() && elsewhere.is_valid());
        ProcessPool pool;
        QProcess* other = start_in_tray(pool, desktop, elsewhere.executable());
        QVERIFY(other);
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
            if (process->state() != QProcess::NotRunning)
                survivor = process;
            else
                QVERIFY(process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0);
        }
        QCOMPARE(copy.running_processes(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(desktop.tray_icons().size(), 2, start_up_ms);
        QCOMPARE(desktop.tray_icons(survivor->processId()).size(), 1);
        // The others asked it to show itself.
        QTRY_COMPARE_WITH_TIMEOUT(
            desktop.shown_windows(window_title(), survivor->processId()).size(), 1, 3000);
        QVERIFY(desktop.shown_windows(window_title(), other->processId()).isEmpty());
        QCOMPARE(other->state(), QProcess::Running);
    }

    void killed_or_hung_first_copy_does_not_hold_up_later_starts()
    {
        QuadronCopy copy;
        QVERIFY(copy.is_valid());
        ProcessPool pool;
        QProcess* killed = start_in_tray(pool, desktop, copy.executable());
        QVERIFY(killed);
        ::kill(pid_t(killed->processId()), SIGKILL);
        QVERIFY(killed->waitForFinished(5000));
        QVERIFY(!QFile::exists(copy.config_path()));

        // A copy that took itself for a second one would never put up a tray icon.
        QProcess* next = start_in_tray(pool, desktop, copy.executable());
        QVERIFY(next);
        const qint64 pid = next->processId();
        ::kill(pid_t(pid), SIGSTOP);
        QElapsedTimer clock;
        clock.start();
        QProcess* waiting =
            pool.start(copy.executable(), {}, QProcessEnvironment::systemEnvironment(),
                       QProcess::SeparateChannels);
        const bool ended = waiting->waitForFinished(15000);
        const qint64 elapsed = clock.elapsed();
        ::kill(pid_t(pid), SIGCONT);
        // It waits out its 5 s for an answer, and no more than that by much, and says so.
        QVERIFY(ended && waiting->exitStatus() == QProcess::NormalExit);
        QCOMPARE(waiting->exitCode(), 0);
        QCOMPARE(waiting->readAllStandardError(),
                 QByteArray("quadron: the running copy of Brenvik Quadron did not answer within "
                            "5 s; its window may still open\n"));
        QVERIFY2(elapsed >= 4500 && elapsed < 9000, qPrintable(QString::number(elapsed)));
        QCOMPARE(desktop.tray_icons().size(), 1);
        QVERIFY(relays(pool, desktop, pid, copy.executable()));
    }

    // The lock and the socket live only where nobody else can reach them: a runtime directory
    // that is not the user's own, or is open to others, is passed over for a private one in
    // the user's cache directory; with none at all the program says so and ends.
    void lock_and_socket_stay_private_data()
    {
        QTest::addColumn<QString>("runtime"); // what makes XDG_RUNTIME_DIR "run"; none: unset
        QTest::addColumn<bool>("home");
        QTest::newRow("no runtime directory") << QString() << true;
        QTest::newRow("runtime directory open to all") << QStringLiteral("chmod 1777 run") << true;
        QTest::newRow("another user's") << QStringLiteral("chown nobody run") << true;
        QTest::newRow("no private directory at all") << QString() << false;
    }
    void lock_and_socket_stay_private()
    {
        QFETCH(QString, runtime);
        QFETCH(bool, home);
        QuadronCopy copy;
        QTemporaryDir scratch;
        // A lock file another user could leave at the name a copy would otherwise use.
        QCOMPARE(QProcess::execute(QStringLiteral("sh"),
                                   {QStringLiteral("-ec"),
                                    QStringLiteral("cd \"$0\"; mkdir run home; "
                                                   "touch run/quadron-planted.lock; ") +
                                        runtime,
                                    scratch.path()}),
                 0);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("XDG_CACHE_HOME"));
        environment.insert(QStringLiteral("HOME"), home ? scratch.filePath(QStringLiteral("home"))
                                                        : QStringLiteral("/proc/none"));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"),
                           runtime.isEmpty() ? QString() : scratch.filePath(QStringLiteral("run")));
        ProcessPool pool;
        if (!home) {
            QProcess* refused =
                pool.start(copy.executable(), {}, environment, QProcess::SeparateChannels);
            const auto box = [&] {
                return desktop.shown_windows(QStringLiteral("Brenvik Quadron"),
                                             refused->processId());
            };
            QTRY_VERIFY_WITH_TIMEOUT(!box().isEmpty(), start_up_ms);
            desktop.close_window(box().constFirst());
            QVERIFY(refused->waitForFinished(5000));
            QCOMPARE(refused->exitCode(), 73);
            QCOMPARE(refused->readAllStandardError().count("quadron: No private directory"), 1);
            return;
        }
        QProcess* first = start_in_tray(pool, desktop, copy.executable(), {}, environment);
        QVERIFY(first);
        QVERIFY(relays(pool, desktop, first->processId(), copy.executable(), {}, environment));
        const QDir cache(scratch.filePath(QStringLiteral("home/.cache/brenvik-quadron")));
        QCOMPARE(QFileInfo(cache.path()).permissions() & ~QFile::Permissions(0x7700),
                 QFileDevice::Permissions());
        QCOMPARE(cache.entryList({QStringLiteral("*.lock")}, QDir::Files).size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "test_single_instance.moc"

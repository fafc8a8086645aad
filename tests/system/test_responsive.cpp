// The window, the hot keys and the end answer at once whatever the amplifier does: silent on
// the read, silent on the write, or answering only after 2.9 s. Processes, as a user meets them.
#include "emulated_run.h"

#include <QElapsedTimer>
#include <QSettings>
#include <QtTest>

#include <csignal>

namespace {

// Sanitizer builds run several times slower; the limits scale with them.
constexpr int slower = QUADRON_TIME_FACTOR;
constexpr int transaction_limit_ms = 3000;

bool xdotool(const QString& arguments)
{
    return QProcess::execute(QStringLiteral("xdotool"), arguments.split(u' ')) == 0;
}

bool gone(qint64 pid)
{
    return !QFile::exists(QStringLiteral("/proc/%1/exe").arg(pid));
}

} // namespace

class TestResponsive : public QObject
{
    Q_OBJECT
    X11Desktop desktop;

private Q_SLOTS:
    void answers_at_once_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("stalled_on"); // the command whose transaction hangs
        QTest::addColumn<int>("ended_by");   // a termination signal, or 0: the menu's "Выход"
        const QString silent_read = QStringLiteral("silent=55"),
                      silent_write = QStringLiteral("silent=56"),
                      slow = QStringLiteral("reply_delay_ms=2900");
        QTest::newRow("silent on the read, SIGTERM") << silent_read << 55 << int(SIGTERM);
        QTest::newRow("silent on the read, menu") << silent_read << 55 << 0;
        QTest::newRow("silent on the write, SIGINT") << silent_write << 56 << int(SIGINT);
        QTest::newRow("silent on the write, menu") << silent_write << 56 << 0;
        QTest::newRow("slow replies, SIGHUP (logout)") << slow << 56 << int(SIGHUP);
        QTest::newRow("slow replies, menu") << slow << 56 << 0;
    }
    void answers_at_once()
    {
        QFETCH(QString, control);
        QFETCH(int, stalled_on);
        QFETCH(int, ended_by);
        EmulatedRun run(control);
        run.start();
        QVERIFY(run.wait_for([&] { return run.count_of(stalled_on) >= 1; }, 15000 * slower));
        const qint64 pid = run.program_pid();
        QVERIFY(pid);

        // A second start shows the running copy's window; what a session manager adds to the
        // command line is the toolkit's to read.
        QElapsedTimer clock;
        clock.start();
        QProcess relay;
        relay.start(run.program_path(), {QStringLiteral("-session"), QStringLiteral("10d1f2c3%s%n"),
                                         QStringLiteral("-name"), QStringLiteral("Привет, мир")});
        QVERIFY(run.wait_for(
            [&] {
                return desktop.shown_windows(QStringLiteral("Brenvik Quadron v.1.03"), pid)
                           .size() == 1;
            },
            300 * slower));
        // It may have ended already, while the test's event loop ran.
        QVERIFY(relay.state() == QProcess::NotRunning || relay.waitForFinished(3000));
        QCOMPARE(relay.exitCode(), 0);

        // A hot key changes what the running copy holds at once; the amplifier gets it with the
        // next write after it.
        const auto volume = [&] {
            const QString status = run.run_program({QStringLiteral("--status")}).out;
            return status.section(QStringLiteral("volume_db: "), 1).section(u'\n', 0, 0).toInt();
        };
        const int shown = volume();
        const std::size_t writes = run.count_of(56);
        const int before = run.last_byte(EmulatedRun::volume_offset);
        QVERIFY(xdotool(QStringLiteral("key ctrl+alt+c")));
        QVERIFY(run.wait_for([&] { return volume() == shown - 1; }, 1000 * slower));
        if (stalled_on == 56) {
            QVERIFY(run.wait_for([&] { return run.count_of(56) > writes + 1; }, 10000 * slower));
            QCOMPARE(run.last_byte(EmulatedRun::volume_offset), before + 1);
        }

        clock.restart();
        if (ended_by == 0) {
            // Waited for, not assumed: on a busy machine the tray may embed the icon late.
            QVERIFY(run.wait_for([&] { return !desktop.tray_icons(pid).isEmpty(); }));
            QVERIFY(xdotool(QStringLiteral("mousemove --window %1 5 5 click 3")
                                .arg(desktop.tray_icons(pid).constFirst())));
            QVERIFY(run.wait_for([&] { return desktop.shown_popups(pid).size() == 1; }, 3000));
            clock.restart();
            QVERIFY(xdotool(QStringLiteral("key Up Return"))); // the last entry: "Выход"
        } else {
            ::kill(pid_t(pid), ended_by);
        }
        QVERIFY(run.wait_for([&] { return gone(pid); }, 10000 * slower));
        const qint64 took = clock.elapsed();
        QVERIFY2(took <= (transaction_limit_ms + 200) * slower, qPrintable(QString::number(took)));
        QVERIFY(run.ended(5000));
        QCOMPARE(run.process.exitCode(), 0);
        QCOMPARE(QSettings(run.dir.filePath(QStringLiteral("config.ini")), QSettings::IniFormat)
                     .allKeys()
                     .size(),
                 5);
    }
};

QTEST_GUILESS_MAIN(TestResponsive)
#include "test_responsive.moc"

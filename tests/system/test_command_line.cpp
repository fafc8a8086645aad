// The command line: help, version, usage errors, and the actions a desktop's own shortcut
// settings can run, handed to the running copy, which acts as for the hot key of that name
// and says why its lamp is red.
#include "emulated_run.h"
#include "process_test_support.h"

#include <QtTest>

#include <csignal>

class TestCommandLine : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Without a running copy: help, version, usage errors; every option of Qt's own (its GUI,
    // widgets, xcb and X11 options) let through with its value, in one line, as one refused
    // would refuse the whole.
    void without_a_running_copy_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<int>("exit_code");
        QTest::addColumn<QString>("out"); // part of the output
        QTest::addColumn<int>("error_lines");
        const auto row = [](const char* name, const char* arguments, int code, const char* out,
                            int error_lines) {
            QTest::newRow(name) << QString::fromLatin1(arguments) << code << QString::fromUtf8(out)
                                << error_lines;
        };
        row("help", "--help", 0, "\n  --subwoofer-down  ", 0);
        row("version", "--version", 0, "quadron 1.03\n", 0);
        row("Qt's options",
            "-nograb -dograb -reverse --reverse -sync -cmap -widgetcount -testability "
            "-style=fusion -stylesheet=a.qss -qmljsdebugger=port:1234,block -platform 1 "
            "-platformpluginpath 1 -platformtheme 1 -plugin 1 -qwindowgeometry 1 -geometry 1 "
            "-qwindowicon 1 -icon 1 -qwindowtitle 1 -title 1 -session 1 -display 1 -name 1 "
            "-visual 1 -ncols 1 -im 1 -inputstyle 1 -style 1 -stylesheet 1 --version",
            0, "quadron 1.03\n", 0);
        row("unknown option", "--louder", 64, "", 1);
        row("an argument", "loud", 64, "", 1);
        row("two actions", "--volume-up --show", 64, "", 1);
        row("an action", "--volume-up", 69, "", 1);
        row("status", "--status", 69, "", 1);
    }
    void without_a_running_copy()
    {
        QFETCH(QString, arguments);
        QFETCH(int, exit_code);
        QFETCH(QString, out);
        QFETCH(int, error_lines);
        EmulatedRun run;
        const EmulatedRun::Result result = run.run_program(arguments.split(u' '));
        QCOMPARE(result.code, exit_code);
        QVERIFY2(result.out.contains(out), qPrintable(result.out));
        QCOMPARE(result.err.count(u'\n'), error_lines);
        QVERIFY(!run.running()); // nothing was started
    }

    // Each action acts as the hot key of its name (two at once, in a copy started with Qt's
    // options), and says what became of it: not answered in time by a stopped copy, which acts
    // on it once it runs again, or refused while no amplifier is connected.
    void actions_say_what_happened_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("field"); // of --status
        QTest::addColumn<int>("step");      // each command's, once acted on
        QTest::addColumn<int>("exit_code");
        QTest::addColumn<QString>("says");
        const QString volume = QStringLiteral("volume_db"), sub = QStringLiteral("subwoofer_db");
        for (const auto& [action, field, step] : {std::tuple{"--volume-up", volume, 1},
                                                  {"--volume-down", volume, -1},
                                                  {"--subwoofer-up", sub, 1},
                                                  {"--subwoofer-down", sub, -1}})
            QTest::newRow(action) << QString() << QString::fromLatin1(action) << field << step << 0
                                  << QString();
        QTest::newRow("stopped copy")
            << QString() << QStringLiteral("--volume-up") << volume << 1 << 75
            << QStringLiteral("quadron: the running copy of Brenvik "
                              "Quadron did not answer --volume-up within "
                              "5 s; it may still act on it\n");
        QTest::newRow("no amplifier")
            << QStringLiteral("attached=false") << QStringLiteral("--volume-up") << volume << 0
            << 74
            << QStringLiteral("quadron: no amplifier is connected; --volume-up did nothing\n");
    }
    void actions_say_what_happened()
    {
        QFETCH(QString, control);
        QFETCH(QString, action);
        QFETCH(QString, field);
        QFETCH(int, step);
        QFETCH(int, exit_code);
        QFETCH(QString, says);
        const bool stopped = exit_code == 75;
        EmulatedRun run(control);
        run.start({QStringLiteral("-nograb"), QStringLiteral("-reverse"),
                   QStringLiteral("-style=fusion"), QStringLiteral("-qwindowgeometry"),
                   QStringLiteral("300x200"), QStringLiteral("-name"), QStringLiteral("q")});
        QString status;
        const auto value = [&] {
            status = run.run_program({QStringLiteral("--status")}).out;
            return status.section(field + QStringLiteral(": "), 1).section(u'\n', 0, 0).toInt();
        };
        const QString connected = control.isEmpty() ? QStringLiteral("yes") : QStringLiteral("no");
        QVERIFY(run.wait_for([&] {
            value();
            return status.startsWith(QStringLiteral("connected: ") + connected);
        }));
        const int before = value();
        const qint64 pid = run.program_pid();
        if (stopped)
            ::kill(pid_t(pid), SIGSTOP);
        QProcess commands[2]; // at once, so that both wait out the same 5 s
        for (QProcess& command : commands)
            command.start(run.program_path(), {action});
        for (QProcess& command : commands)
            command.waitForFinished(10000);
        if (stopped)
            ::kill(pid_t(pid), SIGCONT);
        for (QProcess& command : commands) {
            QCOMPARE(command.exitCode(), exit_code);
            QCOMPARE(QString::fromLocal8Bit(command.readAllStandardError()), says);
            QCOMPARE(command.readAllStandardOutput(), QByteArray());
        }
        QVERIFY(
            run.wait_for([&] { return value() == before + 2 * step; }, 3000 * QUADRON_TIME_FACTOR));
        QVERIFY(process_test::holds_for(500, [&] { return value() == before + 2 * step; }));
    }

    // Beside a real copy (which finds no amplifier) the demo runs as a copy of its own, with
    // settings of its own, and each answers for itself.
    void the_demo_is_a_program_of_its_own()
    {
        EmulatedRun run;
        for (const QString& tool : {QStringLiteral(DEMO_PATH), QStringLiteral(EMULATOR_PATH)})
            QVERIFY(QFile::copy(tool, run.dir.filePath(QFileInfo(tool).fileName())));
        QProcess real;
        real.start(run.program_path(), {});
        QVERIFY(real.waitForStarted());
        QVERIFY(run.wait_for([&] {
            return run.run_program({QStringLiteral("--status")})
                .out.contains(QStringLiteral("problem: no amplifier found"));
        }));
        QProcess demo;
        demo.start(run.dir.filePath(QStringLiteral("quadron-demo")), {});
        QVERIFY(demo.waitForStarted());
        QVERIFY(run.wait_for([&] {
            return run.run_program({QStringLiteral("--demo"), QStringLiteral("--status")})
                .out.startsWith(QStringLiteral("connected: yes\n"));
        }));
        QCOMPARE(real.state(), QProcess::Running);
        QCOMPARE(demo.state(), QProcess::Running);
        QVERIFY(run.run_program({QStringLiteral("--status")})
                    .out.startsWith(QStringLiteral("connected: no\n")));
        for (QProcess* copy : {&demo, &real}) {
            copy->terminate();
            QVERIFY(copy->waitForFinished(5000));
            QCOMPARE(copy->exitCode(), 0);
        }
        QVERIFY(QFile::exists(run.dir.filePath(QStringLiteral("config.ini"))));
        QVERIFY(QFile::exists(run.dir.filePath(QStringLiteral("config-demo.ini"))));
    }

    // An amplifier only root may open: the lamp says why, and access granted with no udev
    // event, as a seat switch grants it, connects.
    void no_permission_then_granted()
    {
        EmulatedRun run(QStringLiteral("node_mode=000"));
        run.start({}, true);
        QString status;
        const auto says = [&](const QString& line) {
            return run.wait_for(
                [&] {
                    status = run.run_program({QStringLiteral("--status")}).out;
                    return status.contains(line);
                },
                10000);
        };
        QVERIFY2(says(QStringLiteral("problem: no permission to open the amplifier (/dev/hidraw0: "
                                     "Permission denied)\n")),
                 qPrintable(status));
        QVERIFY(status.startsWith(QStringLiteral("connected: no\n")));
        run.write_control(QStringLiteral("node_mode=0666"));
        QVERIFY2(says(QStringLiteral("connected: yes\n")), qPrintable(status));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "test_command_line.moc"

// The real program against the emulated amplifier, as processes: what the amplifier receives.
#include "emulated_run.h"
#include "process_test_support.h"

#include <QtTest>

namespace {

// A stored image whose soft-mute register says "off", as the window starts: the read-back
// then changes nothing and the image must come back byte for byte.
const QString stored_image = QStringLiteral("1A2B 0C0D 11FF 4224 1E93 2085 22C4 2508 2C39 30AA "
                                            "40A4 41A5 42B0 43B1 5011 5190 6022 7033 0105");

} // namespace

class TestAmplifierLink : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Found behind 64 other HID interfaces (the first of them the amplifier's own maker's), the
    // amplifier is identified and read once, then written its own image back every cycle.
    void a_connection_reads_once_then_writes_back_every_cycle()
    {
        EmulatedRun run(QStringLiteral("other_interfaces=64\nvariant=3\nimage=") + stored_image);
        run.start();
        QVERIFY(run.wait_for_writes(10));
        const auto traffic = run.traffic();
        QCOMPARE(traffic[0].command, 54);
        QCOMPARE(traffic[1].command, 55);
        for (std::size_t i = 2; i < traffic.size(); ++i) {
            QCOMPARE(traffic[i].command, 56);
            QCOMPARE(traffic[i].payload.left(38), QByteArray::fromHex(stored_image.toLatin1()));
        }
        // About ten writes a second.
        const qint64 span = traffic.back().ms - traffic[2].ms;
        const double interval = double(span) / double(traffic.size() - 3);
        QVERIFY2(interval > 80 && interval < 250, qPrintable(QString::number(interval)));
    }

    // Unplugged, nothing more is written; plugged back, the amplifier is identified at once
    // (udev says so), not at the next look for it.
    void unplug_and_replug_start_over()
    {
        EmulatedRun run;
        run.start();
        QVERIFY(run.wait_for_writes(3));
        for (int replug = 1; replug <= 3; ++replug) {
            run.write_control(QStringLiteral("attached=false"));
            QTest::qWait(700);
            const std::size_t writes = run.count_of(56);
            QTest::qWait(300);
            QCOMPARE(run.count_of(56), writes); // nothing reaches an unplugged amplifier
            run.write_control(QStringLiteral("attached=true\nvariant=6"));
            QVERIFY(run.wait_for([&] { return run.count_of(55) == std::size_t(replug + 1); }));
            const auto traffic = run.traffic();
            const auto identify = std::find_if(traffic.rbegin(), traffic.rend(),
                                               [](const auto& r) { return r.command == 54; });
            const qint64 latency = identify->ms - run.plugged_at();
            QVERIFY2(latency >= 0 && latency <= 150 * QUADRON_TIME_FACTOR,
                     qPrintable(QString::number(latency)));
            QVERIFY(run.wait_for_writes(writes + 3));
        }
        QVERIFY(run.running());
    }

    // A failed write, or a report the amplifier sends unasked, is a failed transaction on an
    // amplifier still there: no new connection, and the writes go on once it answers again.
    void a_failed_exchange_is_not_an_unplug_data()
    {
        QTest::addColumn<QString>("trouble");
        QTest::newRow("failing writes") << QStringLiteral("io_error=56");
        QTest::newRow("unasked reports") << QStringLiteral("stray_reports=3");
    }
    void a_failed_exchange_is_not_an_unplug()
    {
        QFETCH(QString, trouble);
        EmulatedRun run(trouble); // from the first command on
        run.start();
        QVERIFY(run.wait_for([&] { return run.count_of(54) >= 1; }));
        QTest::qWait(1000);
        run.write_control({});
        const std::size_t writes = run.count_of(56);
        QVERIFY(run.wait_for_writes(writes + 5));
        QCOMPARE(run.count_of(54), std::size_t(1));
        QCOMPARE(run.count_of(55), std::size_t(1));
        QVERIFY(run.running());
    }

    void unusable_amplifiers_end_the_program_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("exit_code");
        QTest::addColumn<std::size_t>("commands");
        QTest::newRow("variant 0") << QStringLiteral("variant=0") << 2 << std::size_t(1);
        QTest::newRow("variant 1") << QStringLiteral("variant=1") << 2 << std::size_t(1);
        QTest::newRow("variant 7") << QStringLiteral("variant=7") << 2 << std::size_t(1);
        QTest::newRow("silent identification")
            << QStringLiteral("silent=54") << 1 << std::size_t(1);
        QTest::newRow("wrong echo") << QStringLiteral("wrong_echo=54") << 1 << std::size_t(1);
        QTest::newRow("failing identification write")
            << QStringLiteral("io_error=54") << 1 << std::size_t(0);
    }
    void unusable_amplifiers_end_the_program()
    {
        QFETCH(QString, control);
        QFETCH(int, exit_code);
        QFETCH(std::size_t, commands);
        EmulatedRun run(control);
        run.start();
        QVERIFY(run.close_message_box_until_finished());
        QCOMPARE(run.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(run.process.exitCode(), exit_code);
        QCOMPARE(run.commands(), std::vector<int>(commands, 54));
        QVERIFY(QFile::exists(run.dir.filePath(QStringLiteral("config.ini"))));
    }

    // Replies a little past the deadline: every exchange fails, none on the one before's late
    // echo, so the copy says "does not answer" steadily, and says it and the lateness once.
    void a_late_reply_confuses_no_later_exchange()
    {
        EmulatedRun run;
        run.channels = QProcess::SeparateChannels;
        run.start();
        QVERIFY(run.wait_for_writes(2));
        run.write_control(QStringLiteral("reply_delay_ms=3300"));
        QString status;
        const auto says = [&](const char* start) {
            status = run.run_program({QStringLiteral("--status")}).out;
            return status.startsWith(QLatin1String(start));
        };
        const auto not_answering = [&] {
            return says("connected: no\n") &&
                   status.contains(QLatin1String("problem: the amplifier does not answer\n"));
        };
        QVERIFY(run.wait_for(not_answering, 5000 * QUADRON_TIME_FACTOR));
        QVERIFY2(process_test::holds_for(7000, not_answering), qPrintable(status));
        run.write_control(QStringLiteral("reply_delay_ms=0"));
        QVERIFY(run.wait_for([&] { return says("connected: yes\n"); }, 8000 * QUADRON_TIME_FACTOR));
        const std::size_t writes = run.count_of(56);
        QVERIFY(run.wait_for_writes(writes + 5, 5000 * QUADRON_TIME_FACTOR));
        QCOMPARE(run.count_of(54), std::size_t(1)); // never taken for a new connection
        run.process.terminate();
        QVERIFY(run.ended(5000));
        const QByteArray log = run.process.readAllStandardError();
        QCOMPARE(log.count("the amplifier does not answer"), 1);
        QCOMPARE(log.count("the amplifier answers late"), 1);
        QCOMPARE(log.count("amplifier connected"), 2);
    }
};

QTEST_GUILESS_MAIN(TestAmplifierLink)
#include "test_amplifier_link.moc"

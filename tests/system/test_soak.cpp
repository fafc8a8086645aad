// A long run against an unreliable amplifier (unplugs, silent reads, wrong echoes, sleep, at
// random): the amplifier only ever receives the image it reported, never before it reported
// it on that connection, and the program ends in order (without leaks in the sanitizer
// build). QUADRON_SOAK_CYCLES sets the length (default 12).
#include "emulated_run.h"

#include "stand_in_logind.h"
#include <QRandomGenerator>
#include <QtTest>

namespace {

const QString image = QStringLiteral("1A2B 0C0D 11FF 4224 1E93 2085 22C4 2508 2C39 30AA 40A4 41A5 "
                                     "42B0 43B1 5011 5190 6022 7033 0105");

} // namespace

class TestSoak : public QObject
{
    Q_OBJECT
    StandInLogind logind;

private Q_SLOTS:
    void initTestCase() { QVERIFY(logind.start()); }

    void the_amplifier_only_gets_its_own_image()
    {
        const int cycles = qEnvironmentVariableIntValue("QUADRON_SOAK_CYCLES") > 0
                               ? qEnvironmentVariableIntValue("QUADRON_SOAK_CYCLES")
                               : 12;
        const QString base = QStringLiteral("image=") + image + QLatin1Char('\n');
        EmulatedRun run(base);
        run.start();
        QVERIFY(run.wait_for_writes(2));
        QRandomGenerator random(QRandomGenerator::global()->generate());
        for (int cycle = 0; cycle < cycles; ++cycle) {
            switch (random.bounded(4)) {
            case 0:
                run.write_control(base + QStringLiteral("attached=false"));
                QThread::msleep(random.bounded(200, 900));
                break;
            case 1: // plugged back in, but its first reads go unanswered
                run.write_control(base + QStringLiteral("attached=false"));
                QThread::msleep(600);
                run.write_control(base + QStringLiteral("silent=55"));
                QThread::msleep(random.bounded(600, 4000));
                break;
            case 2:
                run.write_control(base + QStringLiteral("wrong_echo=56"));
                QThread::msleep(random.bounded(100, 600));
                break;
            default:
                logind.announce_sleep(true);
                QThread::msleep(random.bounded(100, 700));
                logind.announce_sleep(false);
                break;
            }
            run.write_control(base);
            const std::size_t writes = run.count_of(56);
            QVERIFY2(run.wait_for_writes(writes + 2, 15000), qPrintable(QString::number(cycle)));
        }
        run.process.terminate();
        QVERIFY(run.process.waitForFinished(15000));
        QCOMPARE(run.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(run.process.exitCode(), 0);

        QString hex = image;
        hex.remove(QLatin1Char(' '));
        const QByteArray reported = QByteArray::fromHex(hex.toLatin1());
        bool read_on_this_connection = false;
        std::size_t connections = 0;
        for (const auto& report : run.traffic()) {
            if (report.command == 54) {
                read_on_this_connection = false;
                ++connections;
            } else if (report.command == 55) {
                read_on_this_connection = true;
            } else if (report.command == 56) {
                QVERIFY2(read_on_this_connection, "an image was written before one was read");
                QCOMPARE(report.payload.left(38), reported);
            }
        }
        QVERIFY(connections > 1);
        qInfo("%d cycles, %zu connections, %zu writes", cycles, connections, run.count_of(56));
    }
};

QTEST_GUILESS_MAIN(TestSoak)
#include "test_soak.moc"

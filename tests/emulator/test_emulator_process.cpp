// quadron-emulator with hid_client as its child: the real hidapi against the
// emulated amplifier, across the process boundary.

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

class TestEmulatorProcess : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;

    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    // Runs the client under the emulator; the control file, when given, is written first.
    int run(const QStringList& client_arguments, const QByteArray& control_file,
            QByteArray* errors = nullptr)
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("QUADRON_EMULATOR"));
        if (!control_file.isNull()) {
            QFile file(path("control.ini"));
            if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
                return -1;
            file.write(control_file);
            environment.insert(QStringLiteral("QUADRON_EMULATOR"), file.fileName());
        }
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(QUADRON_EMULATOR_PATH),
                      QStringList{QStringLiteral("--"), QStringLiteral(HID_CLIENT_PATH)} +
                          client_arguments);
        if (!process.waitForFinished(15000)) {
            process.kill();
            process.waitForFinished();
            return -1;
        }
        const QByteArray stderr_text = process.readAllStandardError();
        if (errors)
            *errors = stderr_text;
        if (!stderr_text.isEmpty())
            qInfo("%s", stderr_text.constData());
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(dir.isValid()); }

    void exchange_answers_every_command_and_logs_it()
    {
        const QByteArray image = QByteArray::fromHex("00031102a2ff0324").leftJustified(38, '\x5a');
        const QString log = path("traffic.log");
        const QByteArray control = "[amplifier]\nother_interfaces=3\nvariant=4\nsilent=57\n"
                                   "wrong_echo=58\nimage=" +
                                   image.toHex(' ') + "\ntraffic_log=" + log.toUtf8() + '\n';
        QCOMPARE(run({QStringLiteral("exchange"), QString::fromLatin1(image.toHex())}, control), 0);

        QFile file(log);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        QCOMPARE(lines.size(), 8); // seven reports and the final newline
        QVERIFY(lines.last().isEmpty());

        QByteArray pattern(63, 0);
        for (int i = 0; i < pattern.size(); ++i)
            pattern[i] = static_cast<char>(i * 7 + 3);
        const QByteArray zeros(126, '0');
        const QList<QByteArray> commands{"54", "55", "56", "55", "57", "58", "99"};
        const QRegularExpression format(QStringLiteral("^(\\d+) (\\d+) ([0-9a-f]{126})$"));
        qint64 previous_ms = 0;
        for (int i = 0; i < commands.size(); ++i) {
            const QRegularExpressionMatch match = format.match(QString::fromLatin1(lines[i]));
            QVERIFY2(match.hasMatch(), lines[i].constData());
            const qint64 ms = match.captured(1).toLongLong();
            QVERIFY(ms >= previous_ms);
            previous_ms = ms;
            QCOMPARE(match.captured(2).toLatin1(), commands[i]);
            QCOMPARE(match.captured(3).toLatin1(), commands[i] == "56" ? pattern.toHex() : zeros);
        }
    }

    void delayed_replies_arrive_late_and_in_order()
    {
        QCOMPARE(run({QStringLiteral("delay")}, "[amplifier]\nreply_delay_ms=300\n"), 0);
    }

    void unplug_and_replug_follow_the_file()
    {
        const QByteArray control =
            "[amplifier]\nattached=true\nimage=" + QByteArray(76, '1') + '\n';
        QCOMPARE(run({QStringLiteral("unplug")}, control), 0);
    }

    void defaults_without_a_control_file() { QCOMPARE(run({QStringLiteral("defaults")}, {}), 0); }

    void exit_code_is_the_childs_data()
    {
        QTest::addColumn<int>("code");
        QTest::newRow("0") << 0;
        QTest::newRow("3") << 3;
        QTest::newRow("200") << 200;
    }

    void exit_code_is_the_childs()
    {
        QFETCH(int, code);
        QCOMPARE(run({QStringLiteral("exit"), QString::number(code)}, "[amplifier]\n"), code);
    }
};

QTEST_GUILESS_MAIN(TestEmulatorProcess)
#include "test_emulator_process.moc"

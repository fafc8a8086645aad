#include "logind_sleep_notifier.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

const char child_mode[] = "QUADRON_TEST_WITHOUT_BUS";

bool announce(QDBusConnection& connection, bool start)
{
    QDBusMessage signal = QDBusMessage::createSignal(
        QStringLiteral("/org/freedesktop/login1"), QStringLiteral("org.freedesktop.login1.Manager"),
        QStringLiteral("PrepareForSleep"));
    signal << start;
    return connection.send(signal);
}

} // namespace

class TestLogindSleepNotifier : public QObject
{
    Q_OBJECT
    QProcess bus;
    QString address;

private Q_SLOTS:
    // A private bus stands in for the system bus, and this process for logind.
    void initTestCase()
    {
        if (qEnvironmentVariableIsSet(child_mode))
            return;
        bus.start(QStringLiteral("dbus-daemon"),
                  {QStringLiteral("--session"), QStringLiteral("--print-address"),
                   QStringLiteral("--nofork")});
        QVERIFY(bus.waitForReadyRead(10000));
        address = QString::fromUtf8(bus.readLine().trimmed());
        QVERIFY(!address.isEmpty());
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", address.toUtf8());
    }
    void cleanupTestCase()
    {
        bus.kill();
        bus.waitForFinished();
    }

    void follows_logind()
    {
        if (qEnvironmentVariableIsSet(child_mode))
            QSKIP("runs with a bus only");
        QDBusConnection logind = QDBusConnection::connectToBus(address, QStringLiteral("logind"));
        QVERIFY(logind.registerService(QStringLiteral("org.freedesktop.login1")));
        LogindSleepNotifier notifier;
        QSignalSpy suspending(&notifier, &SleepNotifier::suspending);
        QSignalSpy resumed(&notifier, &SleepNotifier::resumed);
        // A round trip on the notifier's connection: its match rules are in place after it.
        QDBusConnection::systemBus().interface()->isServiceRegistered(QStringLiteral("x.y"));

        // Someone else on the bus announcing sleep must not be believed.
        QDBusConnection impostor = QDBusConnection::connectToBus(address, QStringLiteral("other"));
        QVERIFY(announce(impostor, true));
        QVERIFY(
            impostor.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.login1")));

        QVERIFY(announce(logind, true));
        QVERIFY(suspending.wait(5000));
        QVERIFY(announce(logind, false));
        QVERIFY(resumed.wait(5000));
        QCOMPARE(suspending.count(), 1);
        QCOMPARE(resumed.count(), 1);
        QDBusConnection::disconnectFromBus(QStringLiteral("other"));
        QDBusConnection::disconnectFromBus(QStringLiteral("logind"));
    }

    void silent_without_a_bus()
    {
        if (!qEnvironmentVariableIsSet(child_mode)) {
            QTemporaryDir dir;
            QProcess child;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QLatin1String(child_mode), QStringLiteral("1"));
            environment.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"),
                               QStringLiteral("unix:path=") + dir.filePath(QStringLiteral("none")));
            child.setProcessEnvironment(environment);
            child.start(QCoreApplication::applicationFilePath(),
                        {QStringLiteral("silent_without_a_bus")});
            QVERIFY(child.waitForFinished(20000));
            QCOMPARE(child.readAllStandardError(), QByteArray());
            QCOMPARE(child.exitCode(), 0);
            return;
        }
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
        LogindSleepNotifier notifier;
        QSignalSpy suspending(&notifier, &SleepNotifier::suspending);
        QSignalSpy resumed(&notifier, &SleepNotifier::resumed);
        QTest::qWait(200);
        QCOMPARE(suspending.count() + resumed.count(), 0);
    }
};

QTEST_GUILESS_MAIN(TestLogindSleepNotifier)
#include "test_logind_sleep_notifier.moc"

// The tray host as the program learns it from the session bus: the first answer, then every
// later coming and going of a StatusNotifier host.
#include "tray_host_watch.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QTest>

namespace {

const QString host_name = QStringLiteral("org.kde.StatusNotifierWatcher");

// A second connection to the session bus, playing the desktop's tray host.
class TrayHostPlayer
{
public:
    TrayHostPlayer()
        : connection(QDBusConnection::connectToBus(QDBusConnection::SessionBus, name()))
    {
    }
    ~TrayHostPlayer() { QDBusConnection::disconnectFromBus(name()); }
    bool set_running(bool on)
    {
        if (on)
            return connection.registerService(host_name);
        connection.unregisterService(host_name); // refused when it was not running
        return !connection.interface()->isServiceRegistered(host_name).value();
    }

private:
    static QString name() { return QStringLiteral("tray-host-player"); }
    QDBusConnection connection;
};

} // namespace

class TestTrayHostWatch : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        // No X display: the bus's word is all the watch has.
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("offscreen"));
        QVERIFY(QDBusConnection::sessionBus().isConnected());
    }

    // Each row: whether a host runs when the watch starts, then the host's later changes.
    void follows_the_host_data()
    {
        QTest::addColumn<bool>("running_at_start");
        QTest::addColumn<QList<bool>>("changes");
        QTest::newRow("none, never") << false << QList<bool>{};
        QTest::newRow("one at start") << true << QList<bool>{};
        QTest::newRow("comes up later") << false << QList<bool>{true};
        QTest::newRow("goes and comes back") << true << QList<bool>{false, true, false};
    }
    void follows_the_host()
    {
        QFETCH(bool, running_at_start);
        QFETCH(QList<bool>, changes);
        TrayHostPlayer host;
        QVERIFY(host.set_running(running_at_start));

        TrayHostWatch watch(QDBusConnection::sessionBus());
        QSignalSpy known(&watch, &TrayHostWatch::known);
        QVERIFY(!watch.is_known()); // the answer comes through the event loop, never at once
        QTRY_COMPARE(known.size(), 1);
        QCOMPARE(watch.available(), running_at_start);
        for (bool on : std::as_const(changes)) {
            QVERIFY(host.set_running(on));
            QTRY_COMPARE(watch.available(), on);
        }
        QVERIFY(watch.is_known());
        QCOMPARE(known.size(), 1);
        QVERIFY(host.set_running(false));
    }
};

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    TestTrayHostWatch test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_tray_host_watch.moc"

// The real program's desktop side as processes: global hot keys pressed with xdotool, sleep
// notices from a stand-in logind on a private system bus, seen in the amplifier's traffic, and
// the tray menu's language, read from a stand-in tray host.
#include "emulated_run.h"

#include "stand_in_logind.h"
#include "stand_in_portal.h"
#include <QtTest>

namespace {

// Volume -20 dB (code 36), subwoofer 0 dB, rear speakers on the primary source.
const QString image = QStringLiteral("0000 0000 00FF 0024 0080 0080 0080 0000 0000 0000 0080 0080 "
                                     "0080 0080 0000 0080 0000 0000 0000");

int xdotool(const QString& arguments)
{
    return QProcess::execute(QStringLiteral("xdotool"), arguments.split(u' '));
}

} // namespace

class TestDesktopIntegration : public QObject
{
    Q_OBJECT
    StandInLogind logind;

private Q_SLOTS:
    void initTestCase() { QVERIFY(logind.start()); }

    void a_combination_from_the_settings_file()
    {
        EmulatedRun run(QStringLiteral("image=") + image);
        // Shift+F9 for volume up (modifier 4, virtual key 0x78); volume down read as 0: unused.
        QFile config(run.dir.filePath(QStringLiteral("config.ini")));
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write("[HotKeys]\nvolume_up_fsModifiers=4\nvolume_up_global_hot_key=120\n"
                     "volume_down_global_hot_key=0x43\n");
        config.close();
        run.start();
        QVERIFY(run.wait_for_writes(3));
        QCOMPARE(xdotool(QStringLiteral("key ctrl+alt+b ctrl+alt+c shift+F9")), 0);
        QVERIFY(
            run.wait_for([&] { return run.last_byte(EmulatedRun::volume_offset) == 0x23; }, 1000));
        QThread::msleep(300);
        QCOMPARE(run.last_byte(EmulatedRun::volume_offset), 0x23);
    }

    // The tray menu speaks the session's language: Russian, the program's own, under a Russian
    // locale and under none; English under English and under a language it has no catalogue of.
    void the_tray_menu_speaks_the_locale_data()
    {
        QTest::addColumn<QString>("lang");
        QTest::addColumn<QString>("language"); // LANGUAGE, the desktop's list of languages
        QTest::addColumn<bool>("russian");
        QTest::newRow("ru_RU") << QStringLiteral("ru_RU.UTF-8") << QString() << true;
        QTest::newRow("en_US") << QStringLiteral("en_US.UTF-8") << QString() << false;
        QTest::newRow("C") << QStringLiteral("C.UTF-8") << QString() << true;
        QTest::newRow("POSIX") << QStringLiteral("POSIX") << QString() << true;
        QTest::newRow("de_DE") << QStringLiteral("de_DE.UTF-8") << QString() << false;
        QTest::newRow("de_DE, then Russian")
            << QStringLiteral("de_DE.UTF-8") << QStringLiteral("de:ru") << true;
    }
    void the_tray_menu_speaks_the_locale()
    {
        QFETCH(QString, lang);
        QFETCH(QString, language);
        QFETCH(bool, russian);
        const QByteArray session_bus = qgetenv("DBUS_SESSION_BUS_ADDRESS");
        const auto restore = qScopeGuard([&] {
            qputenv("DBUS_SESSION_BUS_ADDRESS", session_bus);
            qunsetenv("LANGUAGE");
            qputenv("LANG", "C.UTF-8");
        });
        StandInPortal tray_host; // its private session bus is the program's
        QVERIFY(tray_host.start());
        tray_host.offer_tray(true);
        qunsetenv("LC_ALL");
        qunsetenv("LC_MESSAGES");
        qputenv("LANG", lang.toUtf8());
        language.isEmpty() ? qunsetenv("LANGUAGE") : qputenv("LANGUAGE", language.toUtf8());
        EmulatedRun run;
        run.start();
        QVERIFY(run.wait_for([&] { return !tray_host.tray_items.isEmpty(); }));
        QProcess layout;
        QProcessEnvironment readable = QProcessEnvironment::systemEnvironment();
        readable.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8")); // prints UTF-8 as is
        layout.setProcessEnvironment(readable);
        layout.start(QStringLiteral("gdbus"),
                     {QStringLiteral("call"), QStringLiteral("--session"), QStringLiteral("--dest"),
                      tray_host.tray_items.first(), QStringLiteral("--object-path"),
                      QStringLiteral("/MenuBar"), QStringLiteral("--method"),
                      QStringLiteral("com.canonical.dbusmenu.GetLayout"), QStringLiteral("--"),
                      QStringLiteral("0"), QStringLiteral("-1"), QStringLiteral("[]")});
        QVERIFY(layout.waitForFinished(5000));
        const QString menu =
            QString::fromUtf8(layout.readAllStandardOutput() + layout.readAllStandardError());
        const auto labelled = [&](const QString& label) {
            return menu.contains(QStringLiteral("'label': <'%1'>").arg(label));
        };
        QVERIFY2(russian ? labelled(QStringLiteral("Показать")) && labelled(QStringLiteral("Выход"))
                         : labelled(QStringLiteral("Show")) && labelled(QStringLiteral("Exit")),
                 qPrintable(menu));
    }

    // logind waits on the program's delay lock: the link is closed, and nothing written
    // after, before the lock goes; a new lock is taken at the resume, and the amplifier is
    // identified and read again.
    void sleep_waits_for_the_link_to_close()
    {
        const int lock = logind.locks_handed_out();
        EmulatedRun run;
        run.start();
        QVERIFY(run.wait_for_writes(3));
        QVERIFY(run.wait_for([&] { return logind.locks_handed_out() == lock + 1; }));
        QVERIFY(!logind.released(lock));
        logind.announce_sleep(true);
        QVERIFY(run.wait_for([&] { return logind.released(lock); }, 3000));
        const std::size_t writes = run.count_of(56);
        QTest::qWait(1000);
        QCOMPARE(run.count_of(56), writes);
        QCOMPARE(run.count_of(54), std::size_t(1));

        logind.announce_sleep(false);
        QVERIFY(run.wait_for([&] { return logind.locks_handed_out() == lock + 2; }));
        QVERIFY(run.wait_for([&] { return run.count_of(54) == 2 && run.count_of(55) == 2; }));
        QVERIFY(run.wait_for_writes(writes + 3));
    }
};

QTEST_GUILESS_MAIN(TestDesktopIntegration)
#include "test_desktop_integration.moc"

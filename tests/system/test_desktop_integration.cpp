// The real program's desktop side as processes: global hot keys pressed with xdotool, sleep
// notices from a stand-in logind on a private system bus, seen in the amplifier's traffic, and
// the tray menu's language, read from a stand-in tray host.
#include "emulated_run.h"

#include "register_image.h"
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

// The first shown top-level window of the program titled so, once it is there.
quint32 window_titled(EmulatedRun& run, X11Desktop& desktop, const QString& title)
{
    quint32 found = 0;
    run.wait_for([&] {
        const QList<quint32> windows = desktop.shown_windows(title, run.program_pid());
        found = windows.value(0);
        return found != 0;
    });
    return found;
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
        QTest::addColumn<QString>("show");
        QTest::addColumn<QString>("exit");
        const QString russian[] = {QStringLiteral("Показать"), QStringLiteral("Выход")};
        const QString english[] = {QStringLiteral("Show"), QStringLiteral("Exit")};
        QTest::newRow("ru_RU") << QStringLiteral("ru_RU.UTF-8") << QString() << russian[0]
                               << russian[1];
        QTest::newRow("en_US") << QStringLiteral("en_US.UTF-8") << QString() << english[0]
                               << english[1];
        QTest::newRow("C") << QStringLiteral("C.UTF-8") << QString() << russian[0] << russian[1];
        QTest::newRow("POSIX") << QStringLiteral("POSIX") << QString() << russian[0] << russian[1];
        QTest::newRow("de_DE") << QStringLiteral("de_DE.UTF-8") << QString() << english[0]
                               << english[1];
        QTest::newRow("de_DE, then Russian")
            << QStringLiteral("de_DE.UTF-8") << QStringLiteral("de:ru") << russian[0] << russian[1];
    }
    void the_tray_menu_speaks_the_locale()
    {
        QFETCH(QString, lang);
        QFETCH(QString, language);
        QFETCH(QString, show);
        QFETCH(QString, exit);
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
        QVERIFY2(labelled(show) && labelled(exit), qPrintable(menu));
    }

    // The bass handle dragged with the mouse in the response window, opened from the control
    // panel's button: its centre frequency and gain reach the amplifier together, as one edit.
    void dragging_the_curve_is_one_edit()
    {
        EmulatedRun run;
        run.start();
        QVERIFY(run.wait_for_writes(3));
        QCOMPARE(run.run_program({QStringLiteral("--set"), QStringLiteral("bass_gain=0"),
                                  QStringLiteral("bass_cf=60")})
                     .code,
                 0);
        QCOMPARE(run.run_program({QStringLiteral("--show")}).code, 0);
        X11Desktop desktop;
        const quint32 panel = window_titled(run, desktop, QStringLiteral("Brenvik Quadron v.1.03"));
        QVERIFY(panel);
        QProcess geometry;
        geometry.start(QStringLiteral("xdotool"),
                       {QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"),
                        QString::number(panel)});
        QVERIFY(geometry.waitForFinished(5000));
        QMap<QString, int> shape;
        for (const QByteArray& line : geometry.readAllStandardOutput().split('\n'))
            shape[QString::fromLatin1(line.left(line.indexOf('=')))] =
                line.mid(line.indexOf('=') + 1).toInt();
        // The button sits at the panel's bottom right.
        QCOMPARE(xdotool(QStringLiteral("mousemove --window %1 %2 %3 click 1")
                             .arg(panel)
                             .arg(shape[QStringLiteral("WIDTH")] - 60)
                             .arg(shape[QStringLiteral("HEIGHT")] - 18)),
                 0);
        const quint32 curve = window_titled(
            run, desktop, QStringLiteral("Brenvik Quadron: частотная характеристика"));
        QVERIFY(curve);
        std::pair<int, int> handle{-1, -1};
        QVERIFY(run.wait_for([&] {
            handle = desktop.centre_of_colour(curve, 0xc83c32); // the bass handle's fill
            return handle.first >= 0;
        }));
        const auto before = run.traffic().back().payload.left(38);
        const std::size_t from = run.traffic().size();
        // Right by about a quarter of a decade (60 Hz to about 110 Hz, which snaps to 100), up
        // by about 6 dB, pausing on the way so that cycles pass while the handle moves.
        const auto [x, y] = handle;
        QCOMPARE(xdotool(QStringLiteral("mousemove --window %1 %2 %3 mousedown 1 "
                                        "mousemove --window %1 %4 %5 sleep 0.3 "
                                        "mousemove --window %1 %6 %7 sleep 0.3 mouseup 1")
                             .arg(curve)
                             .arg(x)
                             .arg(y)
                             .arg(x + 30)
                             .arg(y - 20)
                             .arg(x + 60)
                             .arg(y - 55)),
                 0);
        QVERIFY(run.wait_for([&] { return run.traffic().back().payload.left(38) != before; }));
        const auto after = run.traffic().back().payload.left(38);
        const auto reports = run.traffic();
        for (std::size_t i = from; i < reports.size(); ++i) {
            const QByteArray image = reports[i].payload.left(38);
            QVERIFY(image == before || image == after);
        }
        for (int offset = 0; offset < 38; ++offset) {
            if (offset != 2 * REG_BASS + 1 && offset != 2 * REG_FREQ_SELECT + 1)
                QCOMPARE(after[offset], before[offset]);
        }
        const QString bass = run.run_program({QStringLiteral("--get"), QStringLiteral("bass_cf"),
                                              QStringLiteral("bass_gain")})
                                 .out;
        QVERIFY2(bass.startsWith(QStringLiteral("bass_cf: 100\nbass_gain: ")), qPrintable(bass));
        const int gain = bass.section(u' ', -1).trimmed().toInt();
        QVERIFY2(gain >= 4 && gain <= 8, qPrintable(bass));
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

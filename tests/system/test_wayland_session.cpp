// The real program as a native Wayland client of a headless compositor, with a stand-in desktop
// portal on a private session bus: its hot keys become the portal's global shortcuts, and their
// activations reach the amplifier as key presses do under X11.
#include "emulated_run.h"

#include "stand_in_portal.h"
#include <QElapsedTimer>
#include <QtTest>

namespace {

// The program shows its window by itself when no tray has come up 3 s after start.
constexpr int tray_grace_ms = 3000;
// A change reaches the amplifier within a cycle of about 100 ms.
constexpr int change_ms = 1000 * QUADRON_TIME_FACTOR;

// Volume -20 dB (code 36), subwoofer 0 dB, rear speakers on the primary source.
const QString image = QStringLiteral("image=0000 0000 00FF 0024 0080 0080 0080 0000 0000 0000 "
                                     "0080 0080 0080 0080 0000 0080 0000 0000 0000");

// weston with no outputs, in a private runtime directory; the programs started from here
// take it for their display. Its protocol log tells which windows a client shows.
class HeadlessWeston
{
public:
    bool start()
    {
        // The kiosk shell and no input method: weston starts no helper clients of its own.
        QFile config(runtime.filePath(QStringLiteral("weston.ini")));
        if (!config.open(QIODevice::WriteOnly) ||
            config.write("[core]\nshell=kiosk-shell.so\n[input-method]\npath=\n") < 0)
            return false;
        config.close();
        auto environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        environment.remove(QStringLiteral("DISPLAY"));
        compositor.setProcessEnvironment(environment);
        compositor.setProcessChannelMode(QProcess::ForwardedChannels);
        compositor.start(QStringLiteral("weston"),
                         {QStringLiteral("--backend=headless-backend.so"),
                          QStringLiteral("--socket=wayland-quadron"),
                          QStringLiteral("--config=") + config.fileName(),
                          QStringLiteral("--idle-time=0"), QStringLiteral("--log=") + log_path(),
                          QStringLiteral("--logger-scopes=log,proto")});
        if (!QTest::qWaitFor(
                [&] { return QFile::exists(runtime.filePath(QStringLiteral("wayland-quadron"))); }))
            return false;
        qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
        qputenv("WAYLAND_DISPLAY", "wayland-quadron");
        qputenv("QT_QPA_PLATFORM", "wayland");
        // Drawing its own title bar would have Qt load Mesa's EGL, which leaves allocations
        // behind at exit that the sanitizer pass would report as the program's.
        qputenv("QT_WAYLAND_DISABLE_WINDOWDECORATION", "1");
        qunsetenv("DISPLAY");
        return true;
    }

    // The programs go first: a client whose compositor goes away complains.
    ~HeadlessWeston()
    {
        compositor.terminate();
        if (!compositor.waitForFinished(5000))
            compositor.kill();
        compositor.waitForFinished();
    }

    // Where the log stands now; windows are looked for after such a mark.
    qint64 mark() const { return QFileInfo(log_path()).size(); }

    // Whether the main window is shown: the last top-level titled so, created after mark, has
    // not been destroyed.
    bool window_shown(qint64 since) const
    {
        QFile log(log_path());
        if (!log.open(QIODevice::ReadOnly) || !log.seek(since))
            return false;
        const QByteArray text = log.readAll();
        const QByteArray titled = ".set_title(\"Brenvik Quadron v.1.03\")";
        const qsizetype at = text.lastIndexOf(titled);
        if (at < 0)
            return false;
        const qsizetype object = text.lastIndexOf("xdg_toplevel@", at);
        const QByteArray toplevel = text.mid(object, at - object);
        return text.indexOf(QByteArray(toplevel + ".destroy()"), at) < 0;
    }

private:
    QString log_path() const { return runtime.filePath(QStringLiteral("weston.log")); }

    QTemporaryDir runtime; // mode 0700, as a compositor requires
    QProcess compositor;
};

} // namespace

class TestWaylandSession : public QObject
{
    Q_OBJECT
    // Declared first, ended last: the compositor outlives the bus and every program.
    HeadlessWeston weston;
    StandInPortal portal;
    QTemporaryDir config_home; // the user's configuration directory, autostart entries in it

    const QStringList all_four{QStringLiteral("volume-up"), QStringLiteral("volume-down"),
                               QStringLiteral("subwoofer-up"), QStringLiteral("subwoofer-down")};

    static QString hot_keys_line(const EmulatedRun& run)
    {
        const QString status = run.run_program({QStringLiteral("--status")}).out;
        const qsizetype at = status.indexOf(QStringLiteral("\nhot_keys: "));
        return at < 0 ? status : status.mid(at + 1).section(u'\n', 0, 0);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(weston.start());
        QVERIFY(portal.start());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config_home.path()));
    }

    // The first start binds the four shortcuts with the combinations of the settings file and
    // the fixed ones as preferred triggers; each activation steps the amplifier as its hot key
    // does. With a tray host the program keeps to its icon until the icon is clicked.
    void shortcuts_are_bound_and_drive_the_amplifier()
    {
        portal.offer_tray(true);
        EmulatedRun run(image);
        QFile config(run.dir.filePath(QStringLiteral("config.ini")));
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write("[HotKeys]\nvolume_up_fsModifiers=4\nvolume_up_global_hot_key=120\n");
        config.close();
        // An autostart entry an earlier version wrote goes on under the app id's name.
        QDir(config_home.path()).mkpath(QStringLiteral("autostart"));
        const QString former =
            config_home.filePath(QStringLiteral("autostart/brenvik-quadron.desktop"));
        const QString entry =
            config_home.filePath(QStringLiteral("autostart/org.brenvik_quadron.Quadron.desktop"));
        QFile old_entry(former);
        QVERIFY(old_entry.open(QIODevice::WriteOnly));
        old_entry.write("[Desktop Entry]\nType=Application\nName=Brenvik Quadron\n"
                        "Exec=/usr/bin/quadron\n");
        old_entry.close();
        const qint64 mark = weston.mark();
        QElapsedTimer clock;
        clock.start();
        run.start();

        QVERIFY(run.wait_for([&] { return portal.bindings == 1; }));
        QCOMPARE(portal.registered_app_id, QStringLiteral("org.brenvik_quadron.Quadron"));
        QVERIFY(QFile::exists(entry) && !QFile::exists(former));
        QStringList bound;
        for (const PortalShortcut& s : std::as_const(portal.bound)) {
            bound << s.name + QLatin1Char(' ') +
                         s.properties.value(QStringLiteral("preferred_trigger")).toString();
            QVERIFY(!s.properties.value(QStringLiteral("description")).toString().isEmpty());
        }
        QCOMPARE(bound, QStringList({QStringLiteral("volume-up SHIFT+F9"),
                                     QStringLiteral("volume-down CTRL+ALT+c"),
                                     QStringLiteral("subwoofer-up CTRL+ALT+w"),
                                     QStringLiteral("subwoofer-down CTRL+ALT+s")}));
        // Offered when the session is made too, for Plasma 5.27's backend.
        QCOMPARE(portal.offered.size(), portal.bound.size());
        for (qsizetype i = 0; i < portal.bound.size(); ++i) {
            QCOMPARE(portal.offered[i].name, portal.bound[i].name);
            QCOMPARE(portal.offered[i].properties, portal.bound[i].properties);
        }
        QCOMPARE(hot_keys_line(run), QStringLiteral("hot_keys: portal: ") + all_four.join(u' '));

        QVERIFY(run.wait_for([&] { return run.count_of(56) >= 3; }));
        struct Press
        {
            const char* shortcut;
            int offset;
            int value;
        };
        const Press presses[] = {{"volume-up", EmulatedRun::volume_offset, 0x23},
                                 {"volume-down", EmulatedRun::volume_offset, 0x24},
                                 {"subwoofer-up", EmulatedRun::sub_offset, 0x81},
                                 {"subwoofer-down", EmulatedRun::sub_offset, 0x80}};
        for (const Press& press : presses) {
            portal.activate(QLatin1String(press.shortcut));
            QVERIFY2(
                run.wait_for([&] { return run.last_byte(press.offset) == press.value; }, change_ms),
                press.shortcut);
        }

        QVERIFY(run.wait_for([&] { return portal.tray_items.size() == 1; }));
        QVERIFY(run.wait_for(
            [&] { return clock.elapsed() > tray_grace_ms + 500 || weston.window_shown(mark); },
            tray_grace_ms + 1000));
        QVERIFY(!weston.window_shown(mark));
        portal.click_tray_icon();
        QVERIFY(run.wait_for([&] { return weston.window_shown(mark); }));
        QCOMPARE(run.end_in_order(), QString());
    }

    // A later start finds its shortcuts remembered and does not bind them again; without a
    // tray host the window shows itself after the tray's grace time.
    void remembered_shortcuts_are_not_bound_again()
    {
        portal.offer_tray(false);
        portal.bindings = portal.lists = 0;
        EmulatedRun run(image);
        const qint64 mark = weston.mark();
        QElapsedTimer clock;
        clock.start();
        run.start();

        QVERIFY(run.wait_for([&] { return portal.lists == 1 && run.count_of(56) >= 3; }));
        portal.activate(QStringLiteral("volume-down"));
        QVERIFY(run.wait_for([&] { return run.last_byte(EmulatedRun::volume_offset) == 0x25; },
                             change_ms));

        QVERIFY(run.wait_for([&] { return weston.window_shown(mark); }));
        QVERIFY2(clock.elapsed() >= tray_grace_ms - 500,
                 qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(portal.bindings, 0);
        QCOMPARE(run.end_in_order(), QString());
    }

    // Only what the desktop names in an answer counts as bound: a binding answered with an
    // empty list is listed once more (Plasma 6), a list that comes with response 2 counts
    // (GNOME 48), fewer than four are named in one warning with their action commands, and a
    // portal without the Registry (1.16) is said at debug level only. A desktop that refuses the
    // session is asked once: the program goes on without hot keys.
    void what_the_desktop_answers_is_what_counts_data()
    {
        QTest::addColumn<bool>("refused"); // the session itself
        QTest::addColumn<QStringList>("bind_only");
        QTest::addColumn<uint>("response");
        QTest::addColumn<bool>("answers_list");
        QTest::addColumn<bool>("registry");
        QTest::addColumn<int>("lists");
        QTest::addColumn<QString>("hot_keys");
        QTest::addColumn<QString>("warning");
        const QString all =
            QStringLiteral("portal: volume-up volume-down subwoofer-up subwoofer-down");
        QTest::newRow("empty answer, then listed")
            << false << QStringList() << 0u << false << true << 2 << all << QString();
        QTest::newRow("response 2 with the list")
            << false << QStringList() << 2u << true << true << 1 << all << QString();
        QTest::newRow("two of four, no registry")
            << false << QStringList{QStringLiteral("volume-up"), QStringLiteral("subwoofer-down")}
            << 0u << true << false << 2 << QStringLiteral("portal: volume-up subwoofer-down")
            << QStringLiteral("the desktop did not bind volume-down, subwoofer-up - the "
                              "desktop's keyboard settings can run \"quadron --volume-down\", "
                              "\"quadron --subwoofer-up\" instead.");
        QTest::newRow("cancelled")
            << false << QStringList() << 1u << true << true << 1
            << QStringLiteral("none: the desktop bound no shortcut (the user cancelled it)")
            << QStringLiteral("the desktop did not bind volume-up, volume-down, subwoofer-up, "
                              "subwoofer-down (the user cancelled it)");
        const QString refusal =
            QStringLiteral("a session for shortcuts: the desktop refused it (2)");
        QTest::newRow("session refused") << true << QStringList() << 0u << true << true << 0
                                         << QStringLiteral("none: ") + refusal << refusal;
    }
    void what_the_desktop_answers_is_what_counts()
    {
        QFETCH(bool, refused);
        QFETCH(QStringList, bind_only);
        QFETCH(uint, response);
        QFETCH(bool, answers_list);
        QFETCH(bool, registry);
        QFETCH(int, lists);
        QFETCH(QString, hot_keys);
        QFETCH(QString, warning);
        portal.remembered.clear();
        portal.bindings = portal.lists = 0;
        portal.bind_only = bind_only;
        portal.bind_response = response;
        portal.bind_answers_list = answers_list;
        portal.has_registry = registry;
        portal.registered_app_id.clear();
        portal.refuse_sessions = refused;
        portal.sessions = 0;
        EmulatedRun run(image);
        const QString log = run.dir.filePath(QStringLiteral("stderr.log"));
        run.error_file = log;
        qputenv("QT_LOGGING_RULES", "quadron.desktop.debug=true");
        run.start();
        qunsetenv("QT_LOGGING_RULES");
        QVERIFY(run.wait_for(
            [&] { return hot_keys_line(run) == QStringLiteral("hot_keys: ") + hot_keys; }));
        if (refused) // not asked again, and the amplifier kept in step meanwhile
            QVERIFY(run.wait_for_writes(run.count_of(56) + 10));
        QCOMPARE(portal.sessions, 1);
        QCOMPARE(portal.bindings, refused ? 0 : 1);
        QCOMPARE(portal.lists, lists);
        QCOMPARE(run.end_in_order(), QString());
        portal.bind_only.clear();
        portal.bind_response = 0;
        portal.bind_answers_list = portal.has_registry = true;
        portal.refuse_sessions = false;

        QFile file(log);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString said = QString::fromLocal8Bit(file.readAll());
        QCOMPARE(said.count(QStringLiteral("Global hot keys")), warning.isEmpty() ? 0 : 1);
        QVERIFY2(said.contains(warning), qPrintable(said));
        QCOMPARE(said.count(QStringLiteral("the portal does not take the id")), registry ? 0 : 1);
        QCOMPARE(portal.registered_app_id,
                 registry ? QStringLiteral("org.brenvik_quadron.Quadron") : QString());
    }
};

QTEST_GUILESS_MAIN(TestWaylandSession)
#include "test_wayland_session.moc"

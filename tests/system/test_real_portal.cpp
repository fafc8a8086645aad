// The real program against the desktop's real portal stack, headless, on a private session
// bus: KWin (--virtual), xdg-desktop-portal and xdg-desktop-portal-kde, as Plasma 5.27
// (Debian 12) and Plasma 6 (Debian 13) install them. Key presses go into KWin as a keyboard's
// would, through its fake-input interface, and must change the bytes the emulated amplifier
// receives. Nothing here calls the shortcuts over D-Bus: only a key press proves a key works.
#include "emulated_run.h"
#include "private_bus.h"

#include <QDBusConnectionInterface>
#include <QtTest>

#include <memory>
#include <vector>

namespace {

// A hot key's change reaches the amplifier within a cycle of about 100 ms; the compositor and
// the portal add their own hops.
constexpr int change_ms = 2000 * QUADRON_TIME_FACTOR;
// Start-up of the whole stack and of the program under llvmpipe on a busy machine.
constexpr int stack_ms = 30000 * QUADRON_TIME_FACTOR;

const QString app_id = QStringLiteral("org.brenvik_quadron.Quadron");
const QString all_four =
    QStringLiteral("portal: volume-up volume-down subwoofer-up subwoofer-down");

// Volume -20 dB (code 36), subwoofer 0 dB, rear speakers on the primary source.
const QString image = QStringLiteral("image=0000 0000 00FF 0024 0080 0080 0080 0000 0000 0000 "
                                     "0080 0080 0080 0080 0000 0080 0000 0000 0000");

// Evdev key codes: Ctrl, Alt and the four letters, Return.
constexpr int key_ctrl = 29, key_alt = 56, key_b = 48, key_c = 46, key_w = 17, key_s = 31,
              key_return = 28;

QString combination(std::initializer_list<int> keys)
{
    QStringList codes;
    for (int key : keys)
        codes.append(QString::number(key));
    return codes.join(u'+');
}

// What D-Bus runs for a service name: the Exec line of its activation file.
QString service_program(const QString& name)
{
    QFile file(QStringLiteral("/usr/share/dbus-1/services/") + name + QStringLiteral(".service"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.startsWith("Exec="))
            return QString::fromLocal8Bit(line.mid(5).trimmed()).section(u' ', 0, 0);
    }
    return {};
}

bool write_file(const QString& path, const QByteArray& text)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

// KWin with no screen and the portal with its KDE backend, in scratch runtime, configuration
// and data directories that the test and the programs it starts take for the user's.
class KdeStack
{
public:
    QString problem;

    bool start()
    {
        for (const char* dir : {"run", "config", "data", "cache", "home"})
            QDir(scratch.path())
                .mkdir(QLatin1String(dir), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(path("run")));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(path("config")));
        qputenv("XDG_DATA_HOME", QFile::encodeName(path("data")));
        qputenv("XDG_CACHE_HOME", QFile::encodeName(path("cache")));
        qputenv("HOME", QFile::encodeName(path("home")));
        qputenv("XDG_CURRENT_DESKTOP", "KDE");
        qputenv("XDG_SESSION_TYPE", "wayland");
        qputenv("WAYLAND_DISPLAY", "wayland-quadron");
        qputenv("QT_QPA_PLATFORM", "wayland");
        // Drawing its own title bar would have Qt load Mesa's EGL, which leaves allocations
        // behind at exit that the sanitizer pass would report as the program's.
        qputenv("QT_WAYLAND_DISABLE_WINDOWDECORATION", "1");
        qunsetenv("DISPLAY");

        // First, so that nothing started from here reaches the session the test runs in.
        if (!bus.start("DBUS_SESSION_BUS_ADDRESS"))
            return fail(QStringLiteral("dbus-daemon did not start"));

        // KWin lets a client use fake input only when the client's desktop entry asks for it.
        if (!write_file(path("data") + QStringLiteral("/applications/quadron-fake-keys.desktop"),
                        "[Desktop Entry]\nType=Application\nName=Fake keys\nNoDisplay=true\n"
                        "Exec=" FAKE_KEYS_PATH "\n"
                        "X-KDE-Wayland-Interfaces=org_kde_kwin_fake_input\n") ||
            !write_menu())
            return fail(QStringLiteral("cannot write the scratch directories"));
        // KWin 6 finds desktop entries only through KService's cache.
        for (const char* builder : {"kbuildsycoca6", "kbuildsycoca5"}) {
            const QString found = QStandardPaths::findExecutable(QLatin1String(builder));
            if (!found.isEmpty())
                QProcess::execute(found, {QStringLiteral("--noincremental")});
        }

        // The installed binary may carry a file capability that a container refuses to exec
        // (EPERM); a plain copy has none.
        const QString kwin = QStandardPaths::findExecutable(QStringLiteral("kwin_wayland"));
        const QString kwin_copy = path("kwin_wayland");
        if (kwin.isEmpty() || !QFile::copy(kwin, kwin_copy))
            return fail(QStringLiteral("no kwin_wayland (package kwin-wayland)"));
        launch(QStringLiteral("kwin"), kwin_copy,
               {QStringLiteral("--virtual"), QStringLiteral("--socket"),
                QStringLiteral("wayland-quadron"), QStringLiteral("--width"),
                QStringLiteral("1024"), QStringLiteral("--height"), QStringLiteral("768")});
        if (!QTest::qWaitFor(
                [&] { return QFile::exists(path("run") + QStringLiteral("/wayland-quadron")); },
                stack_ms))
            return fail(QStringLiteral("kwin_wayland made no Wayland socket"));

        // The backend after the compositor: started by D-Bus activation it could come up
        // before there is a display, and end.
        const QString backend =
            service_program(QStringLiteral("org.freedesktop.impl.portal.desktop.kde"));
        const QString portal = service_program(QStringLiteral("org.freedesktop.portal.Desktop"));
        if (backend.isEmpty() || portal.isEmpty())
            return fail(QStringLiteral("no xdg-desktop-portal or xdg-desktop-portal-kde"));
        launch(QStringLiteral("backend"), backend, {});
        if (!has_service(QStringLiteral("org.freedesktop.impl.portal.desktop.kde")))
            return fail(QStringLiteral("xdg-desktop-portal-kde did not come up"));
        launch(QStringLiteral("portal"), portal, {});
        if (!has_service(QStringLiteral("org.freedesktop.portal.Desktop")))
            return fail(QStringLiteral("xdg-desktop-portal did not come up"));
        return true;
    }

    // The programs in the reverse order of their start, the compositor last.
    ~KdeStack()
    {
        for (auto it = processes.rbegin(); it != processes.rend(); ++it) {
            (*it)->terminate();
            if (!(*it)->waitForFinished(5000))
                (*it)->kill();
            (*it)->waitForFinished();
        }
    }

    QString path(const char* name) const { return scratch.filePath(QLatin1String(name)); }

    // The program's desktop entry, as its package installs it, for the copy at executable.
    bool install_entry(const QString& executable)
    {
        return write_file(path("data") + QStringLiteral("/applications/") + app_id +
                              QStringLiteral(".desktop"),
                          "[Desktop Entry]\nType=Application\nName=Brenvik Quadron\nExec=" +
                              QFile::encodeName(executable) + "\n");
    }

    // Whether the portal learns a caller's id through its Registry (1.18 and later).
    bool has_registry()
    {
        QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.portal.Desktop"),
            QStringLiteral("/org/freedesktop/portal/desktop"),
            QStringLiteral("org.freedesktop.DBus.Introspectable"), QStringLiteral("Introspect"));
        return bus.connection().call(call).arguments().value(0).toString().contains(
            QStringLiteral("org.freedesktop.host.portal.Registry"));
    }

    // The group of KDE's shortcut settings that holds the program's volume-up shortcut.
    QString shortcut_group() const
    {
        QFile file(path("config") + QStringLiteral("/kglobalshortcutsrc"));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        QString group;
        for (const QByteArray& line : file.readAll().split('\n')) {
            if (line.startsWith('['))
                group = QString::fromUtf8(line.mid(1, line.size() - 2));
            else if (line.startsWith("volume-up="))
                return group;
        }
        return {};
    }

    // Keys pressed and let go as on a keyboard, one combination after the other.
    bool press(const QString& keys)
    {
        return QProcess::execute(QStringLiteral(FAKE_KEYS_PATH), {keys}) == 0;
    }

    // The end of each program's log, for a failure's message.
    QString logs() const
    {
        QString text;
        for (const auto& process : processes) {
            QFile log(path("log-") + process->objectName());
            if (log.open(QIODevice::ReadOnly))
                text += QStringLiteral("--- ") + process->objectName() + u'\n' +
                        QString::fromLocal8Bit(log.readAll().right(1500)) + u'\n';
        }
        return text;
    }

private:
    bool fail(const QString& why)
    {
        problem = why;
        return false;
    }

    // The menu KService builds its cache from: every entry in the data directories.
    bool write_menu()
    {
        return write_file(path("config") + QStringLiteral("/menus/applications.menu"),
                          "<!DOCTYPE Menu PUBLIC \"-//freedesktop//DTD Menu 1.0//EN\" "
                          "\"http://www.freedesktop.org/standards/menu-spec/menu-1.0.dtd\">\n"
                          "<Menu><Name>Applications</Name><DefaultAppDirs/>"
                          "<Include><All/></Include></Menu>\n");
    }

    void launch(const QString& name, const QString& program, const QStringList& arguments)
    {
        auto process = std::make_unique<QProcess>();
        process->setObjectName(name);
        process->setStandardOutputFile(path("log-") + name);
        process->setStandardErrorFile(path("log-") + name);
        process->start(program, arguments);
        processes.push_back(std::move(process));
    }

    bool has_service(const QString& name)
    {
        return QTest::qWaitFor(
            [&] { return bus.connection().interface()->isServiceRegistered(name).value(); },
            stack_ms);
    }

    QTemporaryDir scratch;
    PrivateBus bus{QStringLiteral("real-portal")};
    std::vector<std::unique_ptr<QProcess>> processes;
};

QString hot_keys_line(const EmulatedRun& run)
{
    const QString status = run.run_program({QStringLiteral("--status")}).out;
    const qsizetype at = status.indexOf(QStringLiteral("hot_keys: "));
    return at < 0 ? QString() : status.mid(at + 10).section(u'\n', 0, 0);
}

} // namespace

class TestRealPortal : public QObject
{
    Q_OBJECT
    KdeStack kde;

    // Starts a copy with its desktop entry installed, waits until the desktop has bound all four
    // shortcuts, answering a confirmation dialog as a user would (Return takes its default
    // button), and presses each combination.
    void bind_and_press(EmulatedRun& run)
    {
        QVERIFY(kde.install_entry(run.program_path()));
        run.error_file = run.dir.filePath(QStringLiteral("stderr.log"));
        qputenv("QT_LOGGING_RULES", "quadron.desktop.debug=true");
        run.start();
        qunsetenv("QT_LOGGING_RULES");
        QVERIFY(run.wait_for_writes(3, stack_ms));
        QString hot_keys;
        bool answered = false;
        QVERIFY2(run.wait_for(
                     [&] {
                         hot_keys = hot_keys_line(run);
                         if (!answered && hot_keys.startsWith(QStringLiteral("none: waiting"))) {
                             QTest::qWait(2000);
                             answered = hot_keys_line(run) == hot_keys &&
                                        kde.press(QString::number(key_return));
                         }
                         // Anything but waiting is the desktop's last word.
                         return hot_keys == all_four ||
                                (hot_keys.startsWith(QStringLiteral("none: ")) &&
                                 !hot_keys.startsWith(QStringLiteral("none: waiting")) &&
                                 !hot_keys.startsWith(QStringLiteral("none: not asked")));
                     },
                     stack_ms),
                 qPrintable(hot_keys + u'\n' + kde.logs()));
        QCOMPARE(hot_keys, all_four);

        struct Press
        {
            const char* name;
            std::initializer_list<int> keys;
            int offset;
            int value;
        };
        const Press presses[] = {
            {"Ctrl+Alt+B", {key_ctrl, key_alt, key_b}, EmulatedRun::volume_offset, 0x23},
            {"Ctrl+Alt+C", {key_ctrl, key_alt, key_c}, EmulatedRun::volume_offset, 0x24},
            {"Ctrl+Alt+W", {key_ctrl, key_alt, key_w}, EmulatedRun::sub_offset, 0x81},
            {"Ctrl+Alt+S", {key_ctrl, key_alt, key_s}, EmulatedRun::sub_offset, 0x80}};
        for (const Press& press : presses) {
            QVERIFY(kde.press(combination(press.keys)));
            QVERIFY2(
                run.wait_for([&] { return run.last_byte(press.offset) == press.value; }, change_ms),
                qPrintable(QString::fromLatin1(press.name) + u'\n' + kde.logs()));
        }
    }

    static QString said(const EmulatedRun& run)
    {
        QFile file(run.error_file);
        return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY2(kde.start(), qPrintable(kde.problem + u'\n' + kde.logs())); }

    // The first start: the desktop binds the four shortcuts, and each combination pressed on
    // the keyboard steps the amplifier as its hot key does. Nothing is said to be missing.
    // The desktop files them under the program's id where the portal has a Registry to learn
    // it from; an older one (1.16) names them after the session.
    void real_key_presses_reach_the_amplifier()
    {
        EmulatedRun run(image);
        bind_and_press(run);
        QCOMPARE(run.end_in_order(), QString());
        QVERIFY2(!said(run).contains(QStringLiteral("Global hot keys")), qPrintable(said(run)));
        const bool registry = kde.has_registry();
        QCOMPARE(said(run).contains(QStringLiteral("the portal does not take the id")), !registry);
        QVERIFY(run.wait_for([&] { return !kde.shortcut_group().isEmpty(); }));
        QCOMPARE(kde.shortcut_group(), registry ? app_id : QStringLiteral("quadron"));
    }

    // A later start finds the shortcuts remembered: the desktop lists them at once, and the
    // keys work again.
    void a_second_start_finds_them_remembered()
    {
        EmulatedRun run(image);
        bind_and_press(run);
        QCOMPARE(run.end_in_order(), QString());
        QVERIFY2(said(run).contains(QStringLiteral("the desktop remembers the shortcuts")),
                 qPrintable(said(run)));
    }
};

QTEST_GUILESS_MAIN(TestRealPortal)
#include "test_real_portal.moc"

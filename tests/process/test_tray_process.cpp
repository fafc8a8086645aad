// The running copy in the tray: the icon, the close button, the menu's exit and the
// termination signals a session sends.
#include "process_pool.h"
#include "process_test_support.h"
#include "quadron_copy.h"
#include "x11_desktop.h"

#include <QFile>
#include <QSettings>
#include <QTest>

#include <csignal>

using namespace process_test;

namespace {

bool xdotool(const QString& arguments)
{
    return QProcess::execute(QStringLiteral("xdotool"), arguments.split(u' ')) == 0;
}

} // namespace

class TestTrayProcess : public QObject
{
    Q_OBJECT
    X11Desktop desktop;

private Q_SLOTS:
    void initTestCase() { QVERIFY2(has_tray_desktop(desktop), "no X display with trayer"); }

    void icon_click_shows_and_close_button_hides()
    {
        QuadronCopy copy;
        ProcessPool pool;
        QProcess* program =
            copy.is_valid() ? start_in_tray(pool, desktop, copy.executable()) : nullptr;
        QVERIFY(program);
        const qint64 pid = program->processId();
        QVERIFY(xdotool(QStringLiteral("mousemove --window %1 5 5 click 1")
                            .arg(desktop.tray_icons(pid).constFirst())));
        QTRY_COMPARE_WITH_TIMEOUT(desktop.shown_windows(window_title(), pid).size(), 1, 3000);
        desktop.close_window(desktop.shown_windows(window_title(), pid).constFirst());
        QTRY_VERIFY_WITH_TIMEOUT(desktop.shown_windows(window_title(), pid).isEmpty(), 3000);
        QVERIFY(holds_for(500, [&] {
            return program->state() == QProcess::Running && desktop.tray_icons(pid).size() == 1;
        }));
        QVERIFY(!QFile::exists(copy.config_path()));
    }

    void ends_in_order_data()
    {
        QTest::addColumn<int>("signal_number"); // 0: the menu's "Выход"
        QTest::addColumn<bool>("window_shown");
        QTest::newRow("menu") << 0 << false;
        QTest::newRow("SIGTERM") << SIGTERM << false;
        QTest::newRow("SIGINT") << SIGINT << false;
        QTest::newRow("SIGHUP") << SIGHUP << false;
        QTest::newRow("SIGTERM, window shown") << SIGTERM << true;
    }
    void ends_in_order()
    {
        QFETCH(int, signal_number);
        QFETCH(bool, window_shown);
        QuadronCopy copy;
        ProcessPool pool;
        QProcess* program =
            copy.is_valid() ? start_in_tray(pool, desktop, copy.executable()) : nullptr;
        QVERIFY(program);
        const qint64 pid = program->processId();
        if (window_shown)
            QVERIFY(relays(pool, desktop, pid, copy.executable()));
        QVERIFY(!QFile::exists(copy.config_path()));
        if (signal_number != 0) {
            ::kill(pid_t(pid), signal_number);
        } else {
            QVERIFY(xdotool(QStringLiteral("mousemove --window %1 5 5 click 3")
                                .arg(desktop.tray_icons(pid).constFirst())));
            QTRY_COMPARE_WITH_TIMEOUT(desktop.shown_popups(pid).size(), 1, 3000);
            QVERIFY(xdotool(QStringLiteral("key Up Return"))); // the last entry
        }
        QVERIFY(program->waitForFinished(5000));
        QCOMPARE(program->exitStatus(), QProcess::NormalExit);
        QCOMPARE(program->exitCode(), 0);
        QCOMPARE(QSettings(copy.config_path(), QSettings::IniFormat).allKeys().size(), 5);
        QVERIFY(desktop.tray_icons(pid).isEmpty());
        QVERIFY(desktop.shown_windows(window_title(), pid).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestTrayProcess)
#include "test_tray_process.moc"

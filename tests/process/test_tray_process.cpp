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
#include <memory>

using namespace process_test;

namespace {

bool xdotool(const QStringList& arguments)
{
    return QProcess::execute(QStringLiteral("xdotool"), arguments) == 0;
}

bool click(quint32 window, int x, int y, int button)
{
    return xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"),
                    QString::number(window), QString::number(x), QString::number(y),
                    QStringLiteral("click"), QString::number(button)});
}

} // namespace

class TestTrayProcess : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        desktop = std::make_unique<X11Desktop>();
        QVERIFY2(desktop->is_connected(), "no X display");
        QTRY_VERIFY2_WITH_TIMEOUT(desktop->has_tray_host(), "no tray host on the display", 5000);
    }

    void init()
    {
        copy = std::make_unique<QuadronCopy>();
        QVERIFY(copy->is_valid());
        pool = std::make_unique<ProcessPool>();
        program = pool->start(copy->executable());
        QVERIFY(program->waitForStarted());
        pid = program->processId();
        QTRY_COMPARE_WITH_TIMEOUT(desktop->tray_icons(pid).size(), 1, start_up_ms);
    }

    void cleanup()
    {
        pool.reset();
        copy.reset();
    }

    void icon_click_shows_and_close_button_hides()
    {
        QVERIFY(desktop->shown_windows(window_title(), pid).isEmpty());
        QVERIFY(click(desktop->tray_icons(pid).constFirst(), 5, 5, 1));
        QTRY_COMPARE_WITH_TIMEOUT(desktop->shown_windows(window_title(), pid).size(), 1, 3000);

        desktop->close_window(desktop->shown_windows(window_title(), pid).constFirst());
        QTRY_VERIFY_WITH_TIMEOUT(desktop->shown_windows(window_title(), pid).isEmpty(), 3000);
        QVERIFY(holds_for(500, [&] {
            return program->state() == QProcess::Running && desktop->tray_icons(pid).size() == 1;
        }));
        QVERIFY(!QFile::exists(copy->config_path()));
    }

    void menu_exit_ends_with_zero()
    {
        QVERIFY(click(desktop->tray_icons(pid).constFirst(), 5, 5, 3));
        QTRY_COMPARE_WITH_TIMEOUT(desktop->shown_popups(pid).size(), 1, 3000);
        const quint32 menu = desktop->shown_popups(pid).constFirst();
        const QSize size = desktop->size(menu);
        // "Выход" is the menu's last entry.
        QVERIFY(click(menu, size.width() / 2, size.height() - 8, 1));

        QVERIFY(program->waitForFinished(5000));
        QCOMPARE(program->exitStatus(), QProcess::NormalExit);
        QCOMPARE(program->exitCode(), 0);
        verify_settings_written();
    }

    void termination_signal_ends_with_zero_data()
    {
        QTest::addColumn<int>("signal_number");
        QTest::addColumn<bool>("window_shown");
        QTest::newRow("SIGTERM") << SIGTERM << false;
        QTest::newRow("SIGINT") << SIGINT << false;
        QTest::newRow("SIGHUP") << SIGHUP << false;
        QTest::newRow("SIGTERM, window shown") << SIGTERM << true;
    }
    void termination_signal_ends_with_zero()
    {
        QFETCH(int, signal_number);
        QFETCH(bool, window_shown);
        if (window_shown) {
            QCOMPARE(run_to_end(*pool, copy->executable()).exit_code, 0);
            QTRY_COMPARE_WITH_TIMEOUT(desktop->shown_windows(window_title(), pid).size(), 1, 3000);
        }
        QVERIFY(!QFile::exists(copy->config_path()));

        ::kill(pid_t(pid), signal_number);
        QVERIFY(program->waitForFinished(5000));
        QCOMPARE(program->exitStatus(), QProcess::NormalExit);
        QCOMPARE(program->exitCode(), 0);
        verify_settings_written();
        QVERIFY(desktop->tray_icons(pid).isEmpty());
        QVERIFY(desktop->all_windows(window_title(), pid).isEmpty());
    }

private:
    void verify_settings_written()
    {
        QFile file(copy->config_path());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        QVERIFY(text.contains("[General]"));
        QVERIFY(text.contains("[HotKeys]"));
        const QSettings settings(copy->config_path(), QSettings::IniFormat);
        const char* const keys[] = {
            "autoload", "HotKeys/volume_up_fsModifiers", "HotKeys/volume_up_global_hot_key",
            "HotKeys/volume_down_fsModifiers", "HotKeys/volume_down_global_hot_key"};
        for (const char* key : keys)
            QVERIFY2(settings.contains(QLatin1String(key)), key);
    }

    std::unique_ptr<X11Desktop> desktop;
    std::unique_ptr<QuadronCopy> copy;
    std::unique_ptr<ProcessPool> pool;
    QProcess* program = nullptr;
    qint64 pid = 0;
};

QTEST_GUILESS_MAIN(TestTrayProcess)
#include "test_tray_process.moc"

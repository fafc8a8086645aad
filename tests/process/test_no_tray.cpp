// A desktop without a notification area: the window has to show itself, and closing it
// ends the program, since nothing else could bring it back.
#include "process_test_support.h"
#include "x11_desktop.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTest>

using namespace process_test;

class TestNoTray : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void window_shows_itself_and_close_ends()
    {
        // A display of our own with no tray host on it; -displayfd 1 reports its number.
        ProcessPool pool;
        QProcess* server = pool.start(
            QStringLiteral("Xvfb"),
            QStringLiteral("-displayfd 1 -screen 0 1024x768x24 -nolisten tcp").split(u' '),
            QProcessEnvironment::systemEnvironment(), QProcess::SeparateChannels);
        QTRY_VERIFY_WITH_TIMEOUT(server->canReadLine(), 10000);
        const QByteArray display = ':' + server->readLine().trimmed();
        X11Desktop desktop(display);
        QVERIFY(desktop.is_connected() && !desktop.has_tray_host());

        QuadronCopy copy;
        QVERIFY(copy.is_valid());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(display));
        QElapsedTimer clock;
        clock.start();
        QProcess* program = pool.start(copy.executable(), {}, environment);
        QVERIFY(program->waitForStarted());
        const qint64 pid = program->processId();
        QTRY_COMPARE_WITH_TIMEOUT(desktop.shown_windows(window_title(), pid).size(), 1,
                                  tray_grace_ms + start_up_ms);
        // It gave a tray host its time first.
        QVERIFY2(clock.elapsed() >= tray_grace_ms - 500,
                 qPrintable(QString::number(clock.elapsed())));

        desktop.close_window(desktop.shown_windows(window_title(), pid).constFirst());
        QVERIFY(program->waitForFinished(5000));
        QCOMPARE(program->exitStatus(), QProcess::NormalExit);
        QCOMPARE(program->exitCode(), 0);
        // The same orderly end as the menu's exit: the settings are saved.
        QVERIFY(QFile::exists(copy.config_path()));
    }
};

QTEST_GUILESS_MAIN(TestNoTray)
#include "test_no_tray.moc"

// The running copy's instance socket is its door to the world: only the same user gets
// through, and nothing a client sends can make it show its window but the message itself.
#include "instance_guard.h"
#include "process_test_support.h"
#include "x11_desktop.h"

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <vector>

#include <pwd.h>
#include <unistd.h>

using namespace process_test;

class TestInstanceSocket : public QObject
{
    Q_OBJECT
    X11Desktop desktop;

private Q_SLOTS:
    void initTestCase() { QVERIFY2(has_tray_desktop(desktop), "no X display with trayer"); }

    void junk_and_silent_clients_neither_show_nor_block()
    {
        QuadronCopy copy;
        QVERIFY(copy.is_valid());
        ProcessPool pool;
        QProcess* program = start_in_tray(pool, desktop, copy.executable());
        QVERIFY(program);
        const qint64 pid = program->processId();
        const QString socket = InstanceGuard::identity_path(copy.executable()) + u".socket";
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(socket), 3000);

        QByteArray noise(200, '\0');
        QRandomGenerator::global()->fillRange(reinterpret_cast<quint32*>(noise.data()), 50);
        const QByteArray junk[] = {QByteArray(1 << 20, 'R'), // no newline at all
                                   QByteArray(64 * 1024, 'x') + "\nRise up!\n",
                                   "\n",
                                   "rise up!\n",
                                   "Rise up! \n",
                                   "--louder\n",
                                   "Rise up!\r\n",
                                   QByteArray("Rise\0up!\n", 9),
                                   "\xff\xfeRise up!\n",
                                   noise.replace('\n', 'n') + '\n'};
        std::vector<std::unique_ptr<QLocalSocket>> clients;
        for (int i = 0; i < 40; ++i) {
            clients.push_back(std::make_unique<QLocalSocket>());
            clients.back()->connectToServer(socket);
            QVERIFY(clients.back()->waitForConnected(2000));
            if (i < int(std::size(junk)))
                clients.back()->write(junk[i]); // the rest stay silent
        }
        QVERIFY(holds_for(1500, [&] {
            return program->state() == QProcess::Running &&
                   desktop.shown_windows(window_title()).isEmpty();
        }));

        // Meanwhile a proper later start gets through at once, and the copy drops the others.
        QVERIFY(relays(pool, desktop, pid, copy.executable()));
        for (const auto& client : clients)
            QTRY_COMPARE_WITH_TIMEOUT(client->state(), QLocalSocket::UnconnectedState, 10000);
        QCOMPARE(program->state(), QProcess::Running);
    }

    // File permissions do not stop root, so the copy itself turns another user away.
    void another_user_cannot_show_the_window()
    {
        if (::geteuid() != 0)
            QSKIP("needs root to act as another user");
        const passwd* nobody = ::getpwnam("nobody");
        QVERIFY(nobody);
        QTemporaryDir runtime;
        QCOMPARE(
            ::chown(QFile::encodeName(runtime.path()).constData(), nobody->pw_uid, nobody->pw_gid),
            0);
        QuadronCopy copy;
        QVERIFY(copy.is_valid() && copy.open_to_others());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        // The display's cookie, in a copy the other user may read.
        const QString cookie = runtime.filePath(QStringLiteral("Xauthority"));
        QVERIFY(QFile::copy(qEnvironmentVariable("XAUTHORITY"), cookie));
        QCOMPARE(::chown(QFile::encodeName(cookie).constData(), nobody->pw_uid, nobody->pw_gid), 0);
        environment.insert(QStringLiteral("XAUTHORITY"), cookie);
        const QStringList as_nobody{QStringLiteral("--reuid=nobody"),
                                    QStringLiteral("--regid=nogroup"),
                                    QStringLiteral("--clear-groups"), copy.executable()};
        ProcessPool pool;
        QProcess* program =
            start_in_tray(pool, desktop, QStringLiteral("setpriv"), as_nobody, environment);
        QVERIFY(program);
        const qint64 pid = program->processId();
        const auto socket = [&] {
            const QDir directory(runtime.path());
            return directory.entryInfoList({QStringLiteral("*.socket")}, QDir::System).value(0);
        };
        QTRY_VERIFY_WITH_TIMEOUT(socket().exists(), 3000);
        QLocalSocket client;
        client.connectToServer(socket().filePath());
        QVERIFY(client.waitForConnected(2000));
        client.write("Rise up!\n");
        QVERIFY(holds_for(1000, [&] {
            return program->state() == QProcess::Running && client.bytesAvailable() == 0 &&
                   desktop.shown_windows(window_title(), pid).isEmpty();
        }));
        // Its own user is heard.
        QVERIFY(relays(pool, desktop, pid, QStringLiteral("setpriv"), as_nobody, environment));
    }
};

QTEST_GUILESS_MAIN(TestInstanceSocket)
#include "test_instance_socket.moc"

// The running copy's instance socket is its door to the world: only the same user gets
// through, and nothing a client sends can make it show its window but the message itself.
#include "instance_guard.h"
#include "process_pool.h"
#include "process_test_support.h"
#include "quadron_copy.h"
#include "x11_desktop.h"

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>
#include <vector>

#include <pwd.h>
#include <unistd.h>

using namespace process_test;

namespace {

const QString client_path = QStringLiteral(INSTANCE_CLIENT);

QString socket_of(const QString& executable)
{
    return InstanceGuard::identity_path(executable) + QStringLiteral(".socket");
}

QStringList as_nobody(const QStringList& command)
{
    return QStringList{QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                       QStringLiteral("--clear-groups")} +
           command;
}

// Runs the client to its end; its exit code, or -1 when it did not end by itself.
int run_client(const QStringList& arguments, bool other_user,
               const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment(),
               QByteArray* output = nullptr)
{
    QProcess client;
    client.setProcessEnvironment(environment);
    client.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    if (other_user)
        client.start(QStringLiteral("setpriv"), as_nobody(QStringList{client_path} + arguments));
    else
        client.start(client_path, arguments);
    if (!client.waitForFinished(10000) || client.exitStatus() != QProcess::NormalExit)
        return -1;
    if (output)
        *output = client.readAllStandardOutput();
    return client.exitCode();
}

int open_descriptors(qint64 pid)
{
    return int(QDir(QStringLiteral("/proc/%1/fd").arg(pid))
                   .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
                   .size());
}

} // namespace

class TestInstanceSocket : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        desktop = std::make_unique<X11Desktop>();
        QVERIFY2(desktop->is_connected(), "no X display");
        QTRY_VERIFY2_WITH_TIMEOUT(desktop->has_tray_host(), "no tray host on the display", 5000);

        // One copy serves the same-user cases, which run first to last against it.
        QVERIFY(shared_copy.is_valid());
        shared = shared_pool.start(shared_copy.executable());
        QVERIFY(shared->waitForStarted());
        QTRY_COMPARE_WITH_TIMEOUT(desktop->tray_icons(shared->processId()).size(), 1, start_up_ms);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(socket_of(shared_copy.executable())), 3000);
        baseline_descriptors = open_descriptors(shared->processId());
    }

    void other_messages_are_ignored_data()
    {
        QTest::addColumn<QByteArray>("payload");
        QByteArray noise(200, '\0');
        for (char& byte : noise)
            byte = char(QRandomGenerator::global()->bounded(256));
        noise.replace('\n', 'n');
        QTest::newRow("1 MiB without newline") << QByteArray(1 << 20, 'R');
        QTest::newRow("oversized, then the message")
            << QByteArray(64 * 1024, 'x') + QByteArray("\nRise up!\n");
        QTest::newRow("empty line") << QByteArray("\n");
        QTest::newRow("other words") << QByteArray("Show yourself\n");
        QTest::newRow("lower case") << QByteArray("rise up!\n");
        QTest::newRow("trailing space") << QByteArray("Rise up! \n");
        QTest::newRow("carriage return") << QByteArray("Rise up!\r\n");
        QTest::newRow("NUL inside") << QByteArray("Rise\0up!\n", 9);
        QTest::newRow("invalid UTF-8") << QByteArray("\xff\xfeRise up!\n");
        QTest::newRow("random bytes") << noise + '\n';
    }
    void other_messages_are_ignored()
    {
        QFETCH(QByteArray, payload);
        QLocalSocket socket;
        socket.connectToServer(socket_of(shared_copy.executable()));
        QVERIFY(socket.waitForConnected(2000));
        socket.write(payload);
        // Answered or dropped: either way the copy has dealt with it.
        QTRY_VERIFY_WITH_TIMEOUT(
            socket.bytesAvailable() > 0 || socket.state() == QLocalSocket::UnconnectedState, 5000);
        QVERIFY(holds_for(300, [&] {
            return shared->state() == QProcess::Running &&
                   desktop->shown_windows(window_title()).isEmpty();
        }));
    }

    void silent_clients_neither_block_nor_linger()
    {
        std::vector<std::unique_ptr<QLocalSocket>> silent;
        for (int i = 0; i < 30; ++i) {
            silent.push_back(std::make_unique<QLocalSocket>());
            silent.back()->connectToServer(socket_of(shared_copy.executable()));
            QVERIFY(silent.back()->waitForConnected(2000));
        }

        ProcessPool pool;
        const Ending relay = run_to_end(pool, shared_copy.executable());
        QVERIFY(relay.ended);
        QCOMPARE(relay.exit_code, 0);
        QVERIFY(relay.elapsed_ms < relay_limit_ms);
        QTRY_COMPARE_WITH_TIMEOUT(
            desktop->shown_windows(window_title(), shared->processId()).size(), 1, 3000);

        QTRY_VERIFY_WITH_TIMEOUT(std::all_of(silent.begin(), silent.end(),
                                             [](const std::unique_ptr<QLocalSocket>& socket) {
                                                 return socket->state() ==
                                                        QLocalSocket::UnconnectedState;
                                             }),
                                 10000);
        // Nothing is kept of the dropped and refused connections.
        QTRY_VERIFY_WITH_TIMEOUT(open_descriptors(shared->processId()) <= baseline_descriptors + 2,
                                 3000);
        QCOMPARE(shared->state(), QProcess::Running);
    }

    void other_user_cannot_reach_the_socket()
    {
        if (::geteuid() != 0)
            QSKIP("needs root to act as another user");
        QuadronCopy copy;
        QVERIFY(copy.is_valid());
        ProcessPool pool;
        QProcess* program = pool.start(copy.executable());
        QVERIFY(program->waitForStarted());
        const qint64 pid = program->processId();
        QTRY_COMPARE_WITH_TIMEOUT(desktop->tray_icons(pid).size(), 1, start_up_ms);
        const QString socket = socket_of(copy.executable());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(socket), 3000);

        const int refused =
            run_client({QStringLiteral("send"), socket, QStringLiteral("Rise up!")}, true);
        QVERIFY2(refused == 1 || refused == 2, qPrintable(QString::number(refused)));
        QVERIFY(holds_for(500, [&] {
            return program->state() == QProcess::Running &&
                   desktop->shown_windows(window_title(), pid).isEmpty();
        }));
        // The same client as the owner is heard.
        QCOMPARE(run_client({QStringLiteral("send"), socket, QStringLiteral("Rise up!")}, false),
                 0);
        QTRY_COMPARE_WITH_TIMEOUT(desktop->shown_windows(window_title(), pid).size(), 1, 3000);
    }

    // Where file permissions do not stop a client (root's), the copy turns it away itself.
    void peer_of_another_user_is_refused()
    {
        if (::geteuid() != 0)
            QSKIP("needs root to act as another user");
        const passwd* nobody = ::getpwnam("nobody");
        QVERIFY(nobody);
        QTemporaryDir runtime;
        QVERIFY(runtime.isValid());
        QCOMPARE(
            ::chown(QFile::encodeName(runtime.path()).constData(), nobody->pw_uid, nobody->pw_gid),
            0);
        QuadronCopy copy;
        QVERIFY(copy.is_valid());
        QVERIFY(copy.open_to_others());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());

        ProcessPool pool;
        QProcess* program =
            pool.start(QStringLiteral("setpriv"), as_nobody({copy.executable()}), environment);
        QVERIFY(program->waitForStarted());
        const qint64 pid = program->processId();
        QTRY_COMPARE_WITH_TIMEOUT(desktop->tray_icons(pid).size(), 1, start_up_ms);
        QByteArray output;
        QCOMPARE(run_client({QStringLiteral("socket-of"), copy.executable()}, true, environment,
                            &output),
                 0);
        const QString socket = QString::fromUtf8(output.trimmed());
        QVERIFY(socket.startsWith(runtime.path()));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(socket), 3000);

        const int refused =
            run_client({QStringLiteral("send"), socket, QStringLiteral("Rise up!")}, false);
        QCOMPARE(refused, 2);
        QVERIFY(holds_for(500, [&] {
            return program->state() == QProcess::Running &&
                   desktop->shown_windows(window_title(), pid).isEmpty();
        }));
        QCOMPARE(run_client({QStringLiteral("send"), socket, QStringLiteral("Rise up!")}, true,
                            environment),
                 0);
        QTRY_COMPARE_WITH_TIMEOUT(desktop->shown_windows(window_title(), pid).size(), 1, 3000);
    }

private:
    std::unique_ptr<X11Desktop> desktop;
    QuadronCopy shared_copy;
    ProcessPool shared_pool;
    QProcess* shared = nullptr;
    int baseline_descriptors = 0;
};

QTEST_GUILESS_MAIN(TestInstanceSocket)
#include "test_instance_socket.moc"

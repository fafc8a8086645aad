#include "instance_guard.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr char terminator = '\n';
constexpr int client_time_limit_ms = 2000;

bool peer_is_same_user(qintptr descriptor)
{
    ucred credentials{};
    socklen_t size = sizeof credentials;
    if (::getsockopt(static_cast<int>(descriptor), SOL_SOCKET, SO_PEERCRED, &credentials, &size) !=
        0)
        return false;
    return credentials.uid == ::getuid();
}

} // namespace

struct InstanceGuard::Private
{
    QString base;
    QLockFile lock;
    QLocalServer server;
    bool checked = false;
    bool other_running = false;

    explicit Private(const QString& identity)
        : base(identity), lock(identity + QStringLiteral(".lock"))
    {
    }
    QString socket_path() const { return base + QStringLiteral(".socket"); }
};

InstanceGuard::InstanceGuard(const QString& executable_path, QObject* parent)
    : QObject(parent), d(std::make_unique<Private>(identity_path(executable_path)))
{
    // A running copy keeps its lock for as long as it lives, however old the file gets.
    d->lock.setStaleLockTime(0);
}

InstanceGuard::~InstanceGuard()
{
    d->server.close();
}

QString InstanceGuard::identity_path(const QString& executable_path)
{
    QString directory = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (directory.isEmpty())
        directory = QDir::tempPath();
    const QByteArray key = executable_path.toUtf8() + '\0' + QByteArray::number(::getuid());
    const QByteArray digest =
        QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(24);
    return directory + QStringLiteral("/quadron-") + QString::fromLatin1(digest);
}

bool InstanceGuard::is_running()
{
    if (d->checked)
        return d->other_running;
    d->checked = true;
    // A lock left by a killed copy is recognised by its dead process id and taken over.
    d->other_running = !d->lock.tryLock(0);
    if (d->other_running)
        return true;

    QLocalServer::removeServer(d->socket_path());
    d->server.setSocketOptions(QLocalServer::UserAccessOption);
    d->server.listen(d->socket_path());
    connect(&d->server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* client = d->server.nextPendingConnection()) {
            if (!peer_is_same_user(client->socketDescriptor())) {
                client->abort();
                client->deleteLater();
                continue;
            }
            QTimer::singleShot(client_time_limit_ms, client, [client] { client->abort(); });
            connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
            connect(client, &QLocalSocket::readyRead, this, [this, client] {
                QByteArray buffer = client->property("buffer").toByteArray();
                buffer += client->read(max_message_bytes + 1 - buffer.size());
                const int end = buffer.indexOf(terminator);
                if (end < 0) {
                    if (buffer.size() > max_message_bytes)
                        client->abort();
                    else
                        client->setProperty("buffer", buffer);
                    return;
                }
                client->write(QByteArray(1, terminator));
                client->flush();
                client->disconnectFromServer();
                Q_EMIT message_received(QString::fromUtf8(buffer.left(end)));
            });
        }
    });
    return false;
}

bool InstanceGuard::send_message(const QString& message, int timeout_ms)
{
    const QDeadlineTimer deadline(timeout_ms);
    const QByteArray bytes = message.toUtf8().left(max_message_bytes) + terminator;
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(d->socket_path());
        // The first copy may still be starting its listener: try again until the deadline.
        if (!socket.waitForConnected(int(deadline.remainingTime()))) {
            QThread::msleep(50);
            continue;
        }
        socket.write(bytes);
        if (!socket.waitForBytesWritten(int(deadline.remainingTime())))
            return false;
        return socket.waitForReadyRead(int(deadline.remainingTime()));
    }
    return false;
}

#include "instance_guard.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QLoggingCategory>
#include <QThread>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(instance_log, "quadron.instance", QtInfoMsg)

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

// A directory of the user's own, not a link, that nobody else may enter or change.
bool is_private(const QString& path, QString* why_not)
{
    struct stat info
    {
    };
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0) {
        *why_not = path + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    if (!S_ISDIR(info.st_mode) || info.st_uid != ::getuid() || (info.st_mode & 077) != 0) {
        *why_not = path + QStringLiteral(": not a directory of this user's, closed to others");
        return false;
    }
    return true;
}

} // namespace

struct InstanceGuard::Private
{
    QString base;
    QString problem;
    std::optional<QLockFile> lock;
    QLocalServer server;
    Responder responder;
    Streamer streamer;
    bool checked = false;
    bool other_running = false;

    QString socket_path() const { return base + QStringLiteral(".socket"); }
    void serve(QLocalSocket* client);
};

InstanceGuard::InstanceGuard(const QString& executable_path, const QString& instance_name,
                             QObject* parent)
    : QObject(parent), d(std::make_unique<Private>())
{
    const std::optional<QString> directory = private_directory(&d->problem);
    if (!directory)
        return;
    d->base = identity_in(*directory, executable_path, instance_name);
    d->lock.emplace(d->base + QStringLiteral(".lock"));
    // A running copy keeps its lock for as long as it lives, however old the file gets.
    d->lock->setStaleLockTime(0);
}

InstanceGuard::~InstanceGuard()
{
    d->server.close();
}

bool InstanceGuard::is_usable() const
{
    return d->lock.has_value();
}

QString InstanceGuard::problem() const
{
    return d->problem;
}

std::optional<QString> InstanceGuard::private_directory(QString* why_not)
{
    QString reason;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && is_private(runtime, &reason))
        return runtime;
    QString cache = qEnvironmentVariable("XDG_CACHE_HOME");
    if (cache.isEmpty() && !QDir::homePath().isEmpty() && QDir::homePath() != QDir::rootPath())
        cache = QDir::homePath() + QStringLiteral("/.cache");
    if (!cache.isEmpty()) {
        const QString own = cache + QStringLiteral("/brenvik-quadron");
        QDir().mkpath(cache);
        ::mkdir(QFile::encodeName(own).constData(), 0700);
        if (is_private(own, &reason))
            return own;
    }
    if (why_not)
        *why_not = reason.isEmpty() ? QStringLiteral("neither XDG_RUNTIME_DIR nor a home directory")
                                    : reason;
    return std::nullopt;
}

QString InstanceGuard::identity_path(const QString& executable_path, const QString& instance_name)
{
    const std::optional<QString> directory = private_directory();
    return directory ? identity_in(*directory, executable_path, instance_name) : QString();
}

QString InstanceGuard::identity_in(const QString& directory, const QString& executable_path,
                                   const QString& instance_name)
{
    const QByteArray key = executable_path.toUtf8() + '\0' + QByteArray::number(::getuid()) + '\0' +
                           instance_name.toUtf8();
    const QByteArray digest =
        QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(24);
    return directory + QStringLiteral("/quadron-") + QString::fromLatin1(digest);
}

void InstanceGuard::set_responder(Responder responder)
{
    d->responder = std::move(responder);
}

void InstanceGuard::set_streamer(Streamer streamer)
{
    d->streamer = std::move(streamer);
}

bool InstanceGuard::is_running()
{
    if (d->checked || !is_usable())
        return d->other_running;
    d->checked = true;
    // A lock left by a killed copy is recognised by its dead process id and taken over.
    d->other_running = !d->lock->tryLock(0);
    if (d->other_running)
        return true;

    QLocalServer::removeServer(d->socket_path());
    d->server.setSocketOptions(QLocalServer::UserAccessOption);
    if (!d->server.listen(d->socket_path())) {
        qCWarning(instance_log, "later starts cannot reach this copy: %s",
                  qUtf8Printable(d->server.errorString()));
        return false;
    }
    connect(&d->server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* client = d->server.nextPendingConnection())
            d->serve(client);
    });
    return false;
}

void InstanceGuard::Private::serve(QLocalSocket* client)
{
    if (!peer_is_same_user(client->socketDescriptor())) {
        client->abort();
        client->deleteLater();
        return;
    }
    auto* time_limit = new QTimer(client);
    time_limit->setSingleShot(true);
    QObject::connect(time_limit, &QTimer::timeout, client, &QLocalSocket::abort);
    time_limit->start(client_time_limit_ms);
    QObject::connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
    QObject::connect(client, &QLocalSocket::readyRead, client, [this, client, time_limit] {
        if (client->property("streaming").toBool()) {
            client->readAll(); // a stream's reader has nothing more to say
            return;
        }
        QByteArray buffer = client->property("buffer").toByteArray();
        buffer += client->read(max_message_bytes + 1 - buffer.size());
        const qsizetype end = buffer.indexOf(terminator);
        if (end < 0) {
            if (buffer.size() > max_message_bytes)
                client->abort();
            else
                client->setProperty("buffer", buffer);
            return;
        }
        const QString message = QString::fromUtf8(buffer.left(end));
        if (streamer && streamer(message, client)) {
            time_limit->stop();
            client->setProperty("streaming", true);
            return;
        }
        // The answer's lines, then an empty line.
        QString answer = responder ? responder(message) : QString();
        if (!answer.isEmpty() && !answer.endsWith(QLatin1Char('\n')))
            answer += QLatin1Char('\n');
        client->write(answer.toUtf8() + terminator);
        client->flush();
        client->disconnectFromServer();
    });
}

InstanceGuard::Delivery InstanceGuard::send_message(const QString& message, int timeout_ms,
                                                    bool keep_trying)
{
    using Outcome = Delivery::Outcome;
    if (!is_usable())
        return {};
    const QDeadlineTimer deadline(timeout_ms);
    const QByteArray bytes = message.toUtf8().left(max_message_bytes) + terminator;
    bool reached = false; // a copy listens, though it may not have answered
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(d->socket_path());
        // The first copy may still be starting its listener: try again until the deadline.
        if (!socket.waitForConnected(int(deadline.remainingTime()))) {
            if (!keep_trying)
                break;
            QThread::msleep(50);
            continue;
        }
        // Connected, the message may reach the copy whatever happens from here on.
        reached = true;
        socket.write(bytes);
        if (!socket.waitForBytesWritten(int(deadline.remainingTime())))
            break;
        QByteArray answer;
        while (!answer.endsWith("\n\n") && answer != "\n") {
            if (!socket.waitForReadyRead(int(deadline.remainingTime())))
                return {Outcome::no_answer, {}};
            answer += socket.readAll();
        }
        answer.chop(1);
        return {Outcome::answered, QString::fromUtf8(answer)};
    }
    return {reached ? Outcome::no_answer : Outcome::no_copy, {}};
}

bool InstanceGuard::receive_stream(const QString& message, int timeout_ms,
                                   const std::function<void(const QByteArray& line)>& on_line)
{
    if (!is_usable())
        return false;
    QLocalSocket socket;
    socket.connectToServer(d->socket_path());
    if (!socket.waitForConnected(timeout_ms))
        return false;
    socket.write(message.toUtf8().left(max_message_bytes) + terminator);
    if (!socket.waitForBytesWritten(timeout_ms))
        return false;
    QByteArray pending;
    while (socket.state() == QLocalSocket::ConnectedState || socket.bytesAvailable() > 0) {
        if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(-1))
            break;
        pending += socket.readAll();
        qsizetype end;
        while ((end = pending.indexOf(terminator)) >= 0) {
            on_line(pending.left(end));
            pending.remove(0, end + 1);
        }
    }
    return true;
}

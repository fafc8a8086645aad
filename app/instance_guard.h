#pragma once

#include <QObject>
#include <QString>

#include <memory>

// One running copy per executable path and user. The first copy holds a lock and listens on a
// user-only local socket; a later copy finds the lock taken and passes its message on.
class InstanceGuard : public QObject
{
    Q_OBJECT
public:
    // Largest message accepted; anything longer is dropped with its connection.
    static constexpr int max_message_bytes = 1024;

    explicit InstanceGuard(const QString& executable_path, QObject* parent = nullptr);
    ~InstanceGuard() override;

    // True when another copy holds the identity; otherwise this copy takes it and starts listening.
    bool is_running();
    // Delivers message to the running copy, giving up after timeout_ms.
    bool send_message(const QString& message, int timeout_ms);

    // Where the lock and the socket of an executable live; exposed for diagnostics and tests.
    static QString identity_path(const QString& executable_path);

Q_SIGNALS:
    void message_received(const QString& message);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

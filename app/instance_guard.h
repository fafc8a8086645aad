#pragma once

#include <QObject>
#include <QString>

class QLocalSocket;

#include <functional>
#include <memory>
#include <optional>
#include <utility>

// One running copy per executable path, user and instance name (the demo's copy has a name of
// its own). The first copy holds a lock and listens on a socket, both in a directory only the
// user can enter; a later copy finds the lock taken and passes its message on.
class InstanceGuard : public QObject
{
    Q_OBJECT
public:
    // Largest message accepted; anything longer is dropped with its connection.
    static constexpr int max_message_bytes = 1024;
    // What a later plain start sends: show the window. Never translated: the copies may run
    // under different languages.
    static constexpr const char* show_message = "Rise up!";
    // What the running copy answers to a message: lines of text, possibly none, or a refusal.
    using Responder = std::function<QString(const QString& message)>;
    // What became of a message sent to the running copy.
    struct Delivery
    {
        enum class Outcome {
            answered,  // the copy took it and answered: answer
            no_copy,   // no copy was there to take it
            no_answer, // a copy took it (or may have) but did not answer in time: it may still act
        };
        Outcome outcome = Outcome::no_copy;
        QString answer;
        explicit operator bool() const { return outcome == Outcome::answered; }
    };

    explicit InstanceGuard(const QString& executable_path, const QString& instance_name = {},
                           QObject* parent = nullptr);
    ~InstanceGuard() override;

    // False when there is no private directory for the lock and the socket; problem() says why.
    bool is_usable() const;
    QString problem() const;

    // True when another copy holds the identity; otherwise this copy takes it and listens.
    bool is_running();
    void set_responder(Responder responder);
    // Asked first: true when the message opens a stream (the copy keeps the connection and
    // writes lines to it until either side closes it) rather than getting one answer.
    using Streamer = std::function<bool(const QString& message, QLocalSocket* client)>;
    void set_streamer(Streamer streamer);
    // Delivers message to the running copy, giving up after timeout_ms. A later start waits
    // for a copy that is still starting its listener; a command (keep_trying false) asks once,
    // and never touches the lock.
    Delivery send_message(const QString& message, int timeout_ms, bool keep_trying = true);
    // Opens a stream with message and hands each line (without its end) to on_line until the
    // running copy closes it; false when no copy could be reached within timeout_ms.
    bool receive_stream(const QString& message, int timeout_ms,
                        const std::function<void(const QByteArray& line)>& on_line);

    // Where the lock and the socket of an identity live (without their suffixes); empty
    // without a private directory. Exposed for diagnostics and tests.
    static QString identity_path(const QString& executable_path, const QString& instance_name = {});
    // The user's private directory for them: $XDG_RUNTIME_DIR when it is the user's own and
    // closed to others, else a directory of the program's own in the user's cache directory.
    static std::optional<QString> private_directory(QString* why_not = nullptr);

private:
    static QString identity_in(const QString& directory, const QString& executable_path,
                               const QString& instance_name);

    struct Private;
    std::unique_ptr<Private> d;
};

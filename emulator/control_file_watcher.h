#pragma once

#include <QByteArray>
#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

#include <optional>

// Follows one file that may be rewritten in place or replaced by a rename,
// and reports its contents whenever they change.
class ControlFileWatcher : public QObject
{
    Q_OBJECT

public:
    explicit ControlFileWatcher(const QString& path, QObject* parent = nullptr);

    // The contents now; nothing when the file cannot be read.
    std::optional<QByteArray> read_now();

Q_SIGNALS:
    void contents_changed(const QByteArray& contents);

private:
    void something_changed();
    void settle();

    QString path;
    QFileSystemWatcher watcher;
    QTimer settle_timer;
    QByteArray last_contents;
};

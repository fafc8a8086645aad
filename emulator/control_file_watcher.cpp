#include "control_file_watcher.h"

#include <QFile>
#include <QFileInfo>

namespace {

// A writer that truncates and then writes produces two events; reading only
// after a short quiet spell avoids acting on the empty file in between.
constexpr int settle_ms = 30;

} // namespace

ControlFileWatcher::ControlFileWatcher(const QString& file_path, QObject* parent)
    : QObject(parent), path(QFileInfo(file_path).absoluteFilePath())
{
    settle_timer.setSingleShot(true);
    settle_timer.setInterval(settle_ms);
    connect(&settle_timer, &QTimer::timeout, this, &ControlFileWatcher::settle);
    connect(&watcher, &QFileSystemWatcher::fileChanged, this,
            &ControlFileWatcher::something_changed);
    connect(&watcher, &QFileSystemWatcher::directoryChanged, this,
            &ControlFileWatcher::something_changed);
    // The directory reports a rename over the file; the file reports writes in place.
    watcher.addPath(QFileInfo(path).absolutePath());
    if (QFileInfo::exists(path))
        watcher.addPath(path);
}

std::optional<QByteArray> ControlFileWatcher::read_now()
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    last_contents = file.readAll();
    return last_contents;
}

void ControlFileWatcher::something_changed()
{
    settle_timer.start();
}

void ControlFileWatcher::settle()
{
    // A rename leaves the watch on the old, unlinked file: watch whatever the
    // path names now, before reading, so that no later write goes unnoticed.
    if (watcher.files().contains(path))
        watcher.removePath(path);
    if (QFileInfo::exists(path))
        watcher.addPath(path);
    const QByteArray previous = last_contents;
    const std::optional<QByteArray> contents = read_now();
    if (contents && *contents != previous)
        Q_EMIT contents_changed(*contents);
}

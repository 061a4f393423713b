#include "app/diarywatcher.h"

#include <QFileInfo>

#include "app/textcodec.h"

DiaryWatcher::DiaryWatcher(QObject* parent) : QObject(parent) {
    // A sync tool or an editor may write in several steps; one look after they stop is enough.
    settle_.setSingleShot(true);
    settle_.setInterval(200);
    connect(&settle_, &QTimer::timeout, this, &DiaryWatcher::Check);
    connect(&watcher_, &QFileSystemWatcher::fileChanged, &settle_, qOverload<>(&QTimer::start));
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, &settle_,
            qOverload<>(&QTimer::start));
}

void DiaryWatcher::Watch(const QString& path) {
    if (!watcher_.files().isEmpty()) watcher_.removePaths(watcher_.files());
    if (!watcher_.directories().isEmpty()) watcher_.removePaths(watcher_.directories());
    path_ = path;
    const QString folder = QFileInfo(path).absolutePath();
    if (QFileInfo(folder).isDir()) watcher_.addPath(folder);
    Known();
}

void DiaryWatcher::Known() {
    known_ = diary::StampOf(ToFsPath(path_));
    // A replaced file is a new inode: watch the one that is there now.
    if (known_ && !watcher_.files().contains(path_)) watcher_.addPath(path_);
}

void DiaryWatcher::Check() {
    const auto now = diary::StampOf(ToFsPath(path_));
    if (now && !watcher_.files().contains(path_)) watcher_.addPath(path_);
    if (now == known_) return;
    known_ = now;
    emit ChangedOnDisk();
}

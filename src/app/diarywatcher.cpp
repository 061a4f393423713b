#include "app/diarywatcher.h"

#include <QFileInfo>
#include <functional>
#include <utility>

#include "app/textcodec.h"
#include "diary/atomic_file.h"
#include "diary/errors.h"

namespace {

std::size_t Checksum(std::string_view bytes) { return std::hash<std::string_view>{}(bytes); }

// Nothing for a file that is gone or cannot be read: another look can only tell that it is
// still so.
std::optional<std::size_t> ChecksumOf(const QString& path) {
    try {
        if (const auto bytes = diary::ReadWholeFile(ToFsPath(path))) return Checksum(*bytes);
    } catch (const diary::ReadError&) {
    }
    return std::nullopt;
}

}  // namespace

DiaryWatcher::DiaryWatcher(QObject* parent) : QObject(parent) {
    // A sync tool or an editor may write in several steps; one look after they stop is enough.
    settle_.setSingleShot(true);
    settle_.setInterval(200);
    connect(&settle_, &QTimer::timeout, this, &DiaryWatcher::Check);
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, [this] {
        fileEvent_ = true;
        settle_.start();
    });
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, [this] {
        folderEvent_ = true;
        settle_.start();
    });
}

void DiaryWatcher::Watch(const QString& path) {
    if (!watcher_.files().isEmpty()) watcher_.removePaths(watcher_.files());
    if (!watcher_.directories().isEmpty()) watcher_.removePaths(watcher_.directories());
    path_ = path;
    const QString folder = QFileInfo(path).absolutePath();
    if (QFileInfo(folder).isDir()) watcher_.addPath(folder);
    // Conflict copies of a diary reached through a link appear beside the file it leads to.
    const QFileInfo target(QFileInfo(path).canonicalFilePath());
    if (QFileInfo(path).isSymLink() && target.exists() && target.absolutePath() != folder)
        watcher_.addPath(target.absolutePath());
    Known();
}

void DiaryWatcher::Known() {
    KnowStamp();
    knownBytes_.reset();
    knownSum_ = known_ ? ChecksumOf(path_) : std::nullopt;
}

void DiaryWatcher::Known(std::shared_ptr<const std::string> bytes) {
    KnowStamp();
    knownSum_.reset();
    knownBytes_ = known_ ? std::move(bytes) : nullptr;
}

std::optional<std::size_t> DiaryWatcher::KnownSum() {
    if (knownBytes_) knownSum_ = Checksum(*std::exchange(knownBytes_, nullptr));
    return knownSum_;
}

bool DiaryWatcher::StillKnown() const {
    return known_ && !fileEvent_ && diary::StampOf(ToFsPath(path_)) == known_;
}

void DiaryWatcher::KnowStamp() {
    known_ = diary::StampOf(ToFsPath(path_));
    fileEvent_ = false;
    // A replaced file is a new inode: watch the one that is there now.
    if (known_ && !watcher_.files().contains(path_)) watcher_.addPath(path_);
}

void DiaryWatcher::Check() {
    if (std::exchange(folderEvent_, false)) emit FolderChanged();
    const bool fileEvent = std::exchange(fileEvent_, false);
    const auto now = diary::StampOf(ToFsPath(path_));
    if (now && !watcher_.files().contains(path_)) watcher_.addPath(path_);
    if (now == known_) {
        // Only the bytes can tell, and only a write to the file itself can have changed them.
        if (!now || !fileEvent) return;
        const auto sum = ChecksumOf(path_);
        if (sum == KnownSum()) return;
        knownSum_ = sum;
        emit ChangedOnDisk();
        return;
    }
    known_ = now;
    knownBytes_.reset();
    knownSum_ = now ? ChecksumOf(path_) : std::nullopt;
    emit ChangedOnDisk();
}

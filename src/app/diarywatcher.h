#pragma once
// Tells the main window when the open diary changed on disk behind its back: a second
// instance, a sync tool, an editor. The folder is watched as well as the file, since a save by
// rename gives the file a new inode that a watch on the file alone would lose; and since a sync
// tool sets its conflict copies beside the diary, a change of the folder is told as well.

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "diary/file_stamp.h"

class DiaryWatcher : public QObject {
    Q_OBJECT
public:
    explicit DiaryWatcher(QObject* parent = nullptr);

    // Watches `path` from now on; the file as it is now counts as known.
    void Watch(const QString& path);
    // The file as it is now is known (this program just saved or read it): no signal for it.
    void Known();
    // The same, for a caller that holds the bytes it just saved or read: the file is not read
    // again, and the bytes are only compared with it if a write ever leaves its stamp as it was.
    void Known(std::shared_ptr<const std::string> bytes);

    // The file is as last known, by its stamp, and no write to it waits to be looked at.
    bool StillKnown() const;

signals:
    // The file is not as this program last knew it; emitted once the writer has settled.
    void ChangedOnDisk();
    // Something in the diary's folder (or the folder of the file a link leads to) was added,
    // removed or renamed; emitted once things have settled.
    void FolderChanged();

private:
    void Check();
    void KnowStamp();

    QFileSystemWatcher watcher_;
    QTimer settle_;
    QString path_;
    std::optional<diary::FileStamp> known_;
    // The bytes' checksum as last known: a write in place that keeps the size and puts the old
    // modification time back leaves the stamp as it was. Worked out from knownBytes_ only when
    // such a write is to be told apart: a diary's every save hashing ten megabytes was a tenth
    // of adding a ride.
    std::optional<std::size_t> KnownSum();
    std::optional<std::size_t> knownSum_;
    std::shared_ptr<const std::string> knownBytes_;
    // The file itself was written or touched since the last look, not only its folder.
    bool fileEvent_ = false;
    bool folderEvent_ = false;
};

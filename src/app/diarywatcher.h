#pragma once
// Tells the main window when the open diary changed on disk behind its back: a second
// instance, a sync tool, an editor. The folder is watched as well as the file, since a save by
// rename gives the file a new inode that a watch on the file alone would lose.

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>
#include <optional>

#include "diary/file_stamp.h"

class DiaryWatcher : public QObject {
    Q_OBJECT
public:
    explicit DiaryWatcher(QObject* parent = nullptr);

    // Watches `path` from now on; the file as it is now counts as known.
    void Watch(const QString& path);
    // The file as it is now is known (this program just saved or read it): no signal for it.
    void Known();

signals:
    // The file is not as this program last knew it; emitted once the writer has settled.
    void ChangedOnDisk();

private:
    void Check();

    QFileSystemWatcher watcher_;
    QTimer settle_;
    QString path_;
    std::optional<diary::FileStamp> known_;
};

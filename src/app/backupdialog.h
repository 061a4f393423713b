#pragma once
// "Obnovit ze zálohy": the daily backups of the open diary, newest first, with the date each
// was kept and how many rides it holds. The main window asks before it restores the one chosen.

#include <QDialog>
#include <optional>
#include <vector>

#include "diary/backup.h"
#include "diary/regional.h"

class QLabel;
class QPushButton;
class QTreeWidget;

class TBackupForm : public QDialog {
    Q_OBJECT
public:
    explicit TBackupForm(const diary::RegionalSettings& regional, QWidget* parent = nullptr);

    // Shows `backups` of the diary named `diaryName` modally; the one chosen with "Obnovit" (or
    // a double click), or nothing after "Storno", Esc or the close box.
    std::optional<diary::BackupEntry> Choose(const QString& diaryName,
                                             const std::vector<diary::BackupEntry>& backups);

    // How the list names a backup: its date in the user's format, and for a copy kept by a
    // restore the restore it came before ("5.12.2026 (před 1. obnovením)").
    QString BackupName(const diary::BackupEntry& backup) const;

private:
    const diary::RegionalSettings regional_;
    QLabel* titleLabel = nullptr;
    QTreeWidget* backupList = nullptr;
    QPushButton* restoreButton = nullptr;
    QPushButton* cancelButton = nullptr;
};

#pragma once
// Daily backups of a diary: the first save of each day first keeps the diary as it was, so that
// a day's mistakes (or another program's) can be undone from a list of dated copies.
//
// A backup is named "<diary file name>.<hash>.<YYYY-MM-DD>.vam", the hash (eight hex digits of
// the diary's full path) keeping apart diaries of the same name in different folders; a copy
// kept by a restore adds a counter, "...<YYYY-MM-DD>-<n>.vam". The diary's name part is cut
// (FitName) when the whole would not fit in the folder's names. The date is always the
// caller's: nothing here reads the clock.

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "diary/file_lock.h"
#include "diary/regional.h"

namespace diary {

// How many backups of one diary are kept; older ones go when a new one is kept.
inline constexpr std::size_t kBackupsKept = 30;

struct BackupEntry {
    std::string path;
    Date date;
    int sequence = 0;                  // 0: the day's backup; 1, 2, ...: kept by restores that day
    std::optional<std::size_t> rides;  // the records ReadDiary would read; nullopt: unreadable
};

struct BackupResult {
    enum class Action {
        Kept,         // `path` is the new backup
        AlreadyKept,  // the diary already has a backup dated today
        NoDiary,      // there is no diary file to keep
    };
    Action action = Action::NoDiary;
    std::string path;
    std::size_t pruned = 0;  // older backups removed
};

// On the first call of a day (`today`) for a diary that exists: keeps the diary as it is now
// in `backupFolder` (created when missing, readable by its owner only) and then removes the
// backups of that diary beyond the kBackupsKept newest. The backup is a file of its own, never
// a hard link: a reflink where the file system has them, else a copy, written atomically and
// open to exactly those the diary is open to, so that nothing written to the diary later, even
// in place by another program, changes it. Later calls the same day do nothing. A kill on the
// way leaves no backup that is not whole. Throws WriteError (InvalidValueError for an
// impossible date); the caller reports it and saves all the same.
BackupResult KeepDailyBackup(const std::string& diaryPath, const std::string& backupFolder,
                             const Date& today);

// The same for a change made under the diary's lock (which this does not take): keeps
// `bytesAsRead`, the diary as the change read it, as the day's backup when there is none yet.
// Empty bytes (no diary, or an empty one) keep nothing. A change that is then refused still
// leaves a backup that is exactly the diary as it was.
BackupResult KeepDailyBackupOf(std::string_view bytesAsRead, const std::string& diaryPath,
                               const std::string& backupFolder, const Date& today);

// The backups of this diary in `backupFolder`, newest first (by date, then counter). A missing
// folder lists none. A backup that an earlier version kept as a hard link becomes a file of its
// own here, holding the bytes it holds now.
std::vector<BackupEntry> ListBackups(const std::string& diaryPath, const std::string& backupFolder);
// The same list by name only, the files left unread (no ride counts).
std::vector<BackupEntry> BackupsByName(const std::string& diaryPath,
                                       const std::string& backupFolder);

// Keeps `bytes`, the diary as a change under its lock read it, as a backup dated `today` with
// the next free counter, the way a restore keeps the diary it replaces: a change that takes much
// at once (a merge) can be undone from the list. Returns the backup's path; nothing is kept for
// empty bytes (an empty string comes back). The caller holds the diary's lock. Throws WriteError.
std::string KeepNumberedBackupOf(std::string_view bytes, const std::string& diaryPath,
                                 const std::string& backupFolder, const Date& today);

// Puts the bytes of `backupPath` in the diary (one atomic save that keeps the diary's access).
// First keeps the current diary as a backup dated `today` with the next free counter, so the
// restore can itself be undone; returns that backup's path (empty when there was no diary).
// The whole restore runs under the diary's lock, so that another program's change cannot fall
// between the copy of the current diary and the restore.
// Throws ReadError when the backup cannot be read, WriteError when a save fails, BusyError when
// another program holds the diary longer than `timeout`; the diary is not changed then.
std::string RestoreBackup(const std::string& backupPath, const std::string& diaryPath,
                          const std::string& backupFolder, const Date& today,
                          std::chrono::milliseconds timeout = kLockTimeout);

}  // namespace diary

#pragma once
// The exclusive lock that every instance of the program holds around each change of a diary or
// of the settings file: read, check, change and save happen while no other instance can, so
// that two programs never save over each other's changes.
//
// The lock is flock(2) on a small hidden file beside the file it guards. The guarded file itself
// cannot carry the lock, because every save replaces it by a rename; the lock file is never
// deleted, so that two instances can never hold locks on two different files of the same name.
// A holder that dies, even by SIGKILL, lets go of the lock with its last descriptor.

#include <chrono>
#include <string>

#include "diary/unique_fd.h"

namespace diary {

// How long a change waits for another instance to finish its own before it gives up.
inline constexpr std::chrono::milliseconds kLockTimeout{5000};

// What the guarded file is to the user, for the message when it stays busy.
enum class LockedFile { Diary, Settings };

// The lock file of `path`: "." + name + ".lock" in the folder of the file that a save really
// replaces (symbolic links followed, so that every name of one diary finds the same lock). A
// name too long for that is shortened at a character boundary: two diaries sharing the first
// 249 bytes of their names then share a lock, which costs a wait at most.
std::string LockFilePath(const std::string& path);

// Holds the lock of `path` from construction to destruction.
class FileLock {
public:
    // Waits up to `timeout` for the lock, then throws BusyError with a Czech message saying
    // that another program uses the file and nothing was changed. A lock file that is in the way
    // (not a regular file, unreadable in a writable folder) is WriteError of the lock file.
    // A folder that the lock file cannot be created in because we may not write there is not
    // locked: no save of ours can land there either, and the save reports that. Nor is a file
    // system that has no locks (some network shares): refusing every save there would make the
    // diary unusable.
    FileLock(const std::string& path, LockedFile what,
             std::chrono::milliseconds timeout = kLockTimeout);
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // False where the folder takes no lock (see above) or its file system has no locks.
    bool held() const { return fd_.Open(); }

private:
    UniqueFd fd_;
};

}  // namespace diary

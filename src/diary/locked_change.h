#pragma once
// The one shape of every change of a diary or of the settings file: under the file's lock, read
// it as it is now, change the bytes, save them atomically when they changed, let go. What another
// program saved before the lock was taken is what the change starts from, never what a window
// remembers.

#include <chrono>
#include <string>
#include <utility>

#include "diary/atomic_file.h"
#include "diary/file_lock.h"

namespace diary {

// `change(bytes)` gets the file's bytes (empty for a missing file) and returns true when it
// changed them; only then are they saved. Returns the bytes as they are when the lock is let go.
// BusyError, ReadError and WriteError pass through with the file as it was.
template <typename Change>
std::string ChangeUnderLock(const std::string& path, LockedFile what,
                            std::chrono::milliseconds timeout, Change&& change) {
    const FileLock lock(path, what, timeout);
    std::string bytes = ReadWholeFile(path).value_or(std::string());
    if (std::forward<Change>(change)(bytes)) AtomicWriteFile(path, bytes);
    return bytes;
}

}  // namespace diary

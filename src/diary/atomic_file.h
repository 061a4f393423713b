#pragma once
// Whole-file reads and crash-safe whole-file replacement.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace diary {

// The largest diary or settings file read: a diary of 100,000 rides has 9 MB.
inline constexpr std::uint64_t kLargestProfileFile = std::uint64_t{256} << 20;

// The whole file as bytes; std::nullopt when the file does not exist.
// Throws ReadError when it exists but cannot be read. Only a regular file is read: a folder, a
// FIFO, a socket or a device is refused at once, without waiting on it, with a Czech message
// that names the path and says what it is. So is a file of more than `largest` bytes (a Czech
// message with its size), before anything is read; memory while reading is the file's size.
std::optional<std::string> ReadWholeFile(const std::string& path,
                                         std::uint64_t largest = kLargestProfileFile);

// Replaces the file at `path` with `bytes` atomically: a temporary file in the same folder,
// written fully, fsync'ed, renamed over the target, then the folder fsync'ed. A symlink target
// is followed so the link survives. Only a regular file is replaced. The new file keeps the
// old one's mode, its owner and group where the saver may set them, its ACL and its extended
// attributes; what cannot be kept is never replaced by wider access (a group that cannot be
// kept loses the group bits). On any failure the temporary file is removed, the original is
// untouched and WriteError("<path>", errno) is thrown. A save that succeeds removes the temporaries
// that killed saves of the same file left behind (see RemoveAbandonedTemps).
void AtomicWriteFile(const std::string& path, std::string_view bytes);

struct AtomicWriteOptions {
    // When not empty, the new file takes its mode, owner, group, ACL and extended attributes
    // from this regular file instead of from the file it replaces: a copy kept elsewhere (a
    // backup) is open to exactly those the original is open to, never to more.
    std::string metadataFrom;
    // When set, a file already at the path is left as it is and nothing is written: a name
    // taken once and never replaced (a backup's). Even a race with another writer of the same
    // name never replaces what it wrote.
    bool keepExisting = false;
};
// False only when `keepExisting` found a file at the path.
bool AtomicWriteFile(const std::string& path, std::string_view bytes,
                     const AtomicWriteOptions& options);
// The same save with the bytes of the regular file open on `source`, read from its start: a
// reflink where the file system offers one (FICLONE), a copy otherwise. Either way no later
// write to the source, even in place, changes the new file.
bool AtomicCopyFile(int source, const std::string& path, const AtomicWriteOptions& options);

// `name` when it has at most `maxBytes` bytes; otherwise its start, cut at a UTF-8 character
// boundary, then "~" and eight hex digits of a hash of the whole name: `maxBytes` bytes in all,
// and two long names that share their start still differ. `maxBytes` must be at least 9.
std::string FitName(std::string_view name, std::size_t maxBytes);
// Eight hex digits of a 32-bit FNV-1a hash: enough to keep apart the few names that share a
// folder, no protection against anyone who wants two names to collide.
std::string NameHash(std::string_view text);

// The longest file name the folder's file system takes, in bytes (at most 255).
std::size_t MaxNameLength(const std::string& folder);

// The temporary file of a save of `targetName` is named TempNamePrefix(targetName, nameMax)
// followed by six letters or digits: "." + the name + ".vamo-" + XXXXXX, with the name cut by
// FitName when the whole would pass `nameMax`. IsTempName says whether `name` is one of them.
std::string TempNamePrefix(std::string_view targetName, std::size_t nameMax);
bool IsTempName(std::string_view name, std::string_view prefix);

// Removes from `folder` the temporary files of saves that were killed on the way: those whose
// name `isOurs` accepts that are regular files, that no running save holds (every save keeps an
// exclusive flock on its temporary until it is renamed or removed) and that have not been
// written for kAbandonedTempSeconds. Returns how many it removed; a file it cannot judge stays.
inline constexpr int kAbandonedTempSeconds = 3;
std::size_t RemoveAbandonedTemps(const std::string& folder,
                                 const std::function<bool(std::string_view name)>& isOurs);

}  // namespace diary

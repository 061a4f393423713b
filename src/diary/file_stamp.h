#pragma once
// What tells one state of a file from another without reading it: which file (device and
// inode, since a save replaces the file by rename), its size and its modification time.

#include <cstdint>
#include <optional>
#include <string>

namespace diary {

struct FileStamp {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0;

    bool operator==(const FileStamp&) const = default;
};

// The stamp of the file at `path` (links followed); nothing when there is no such file.
std::optional<FileStamp> StampOf(const std::string& path);

}  // namespace diary

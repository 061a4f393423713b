#pragma once
// Whole-file reads and crash-safe whole-file replacement.

#include <optional>
#include <string>
#include <string_view>

namespace diary {

// The whole file as bytes; std::nullopt when the file does not exist.
// Throws ReadError when it exists but cannot be read (or is not a regular file).
std::optional<std::string> ReadWholeFile(const std::string& path);

// Replaces the file at `path` with `bytes` atomically: a temporary file in the same folder,
// written fully, fsync'ed, renamed over the target, then the folder fsync'ed. A symlink target
// is followed so the link survives; the mode of an existing file is kept. On any failure the
// temporary file is removed, the original is untouched and WriteError("<path>") is thrown.
void AtomicWriteFile(const std::string& path, std::string_view bytes);

}  // namespace diary

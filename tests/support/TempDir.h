#pragma once
// A fresh folder per test, removed with everything in it at the end.

#include <string>
#include <string_view>
#include <vector>

namespace testsupport {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string File(std::string_view name) const { return path_ + "/" + std::string(name); }

private:
    std::string path_;
};

// Whole-file helpers for tests (bytes exactly as on disk).
std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, std::string_view bytes);
bool FileExists(const std::string& path);
// The names of what a folder holds, sorted.
std::vector<std::string> FolderNames(const std::string& folder);

}  // namespace testsupport

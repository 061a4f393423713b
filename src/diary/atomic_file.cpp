#include "diary/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "diary/errors.h"

namespace diary {
namespace {

// Closes a descriptor on every way out of a scope unless it was handed over.
class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    int release() {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

std::string DirectoryOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// Follows a chain of symbolic links to the path that is really written, so that saving through
// a link replaces the file it names and the link itself survives. A dangling link leads to the
// file it would name, which the save then creates.
bool ResolveLinks(const std::string& path, std::string& resolved) {
    resolved = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (::lstat(resolved.c_str(), &st) != 0) return errno == ENOENT;
        if (!S_ISLNK(st.st_mode)) return true;
        std::string target(PATH_MAX, '\0');
        const ssize_t n = ::readlink(resolved.c_str(), target.data(), target.size());
        if (n < 0 || static_cast<std::size_t>(n) >= target.size()) return false;
        target.resize(static_cast<std::size_t>(n));
        if (target.empty()) return false;
        resolved = target.front() == '/' ? target : DirectoryOf(resolved) + "/" + target;
    }
    return false;  // a loop of links
}

// An existing file or folder that nobody may write is read-only even for root, who passes every
// access() check: a diary marked read-only must not be replaced behind its owner's back.
bool Writable(const std::string& path, const struct stat& st) {
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return false;
    return ::access(path.c_str(), W_OK) == 0;
}

// The process umask, read without changing it (umask(2) can only be read by setting it, which
// would race with any other thread that creates files).
mode_t CurrentUmask() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) == 0) {
            mode_t mask = 0;
            for (char c : line.substr(6)) {
                if (c >= '0' && c <= '7') mask = static_cast<mode_t>(mask * 8 + (c - '0'));
            }
            return mask & 0777;
        }
    }
    return 022;
}

bool WriteAll(int fd, std::string_view bytes) {
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;  // ENOSPC, EFBIG, EIO, ...: never retried
        }
        if (n == 0) return false;
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

bool WriteTemp(int fd, std::string_view bytes, const struct stat* existing) {
    if (!WriteAll(fd, bytes)) return false;
    if (existing != nullptr) {
        // Only root may give a file away; for anyone else the copy stays theirs, as with QSaveFile.
        // The owner goes first because a change of owner clears the set-id bits of the mode.
        if ((existing->st_uid != ::geteuid() || existing->st_gid != ::getegid()) &&
            ::fchown(fd, existing->st_uid, existing->st_gid) != 0 && errno != EPERM) {
            return false;
        }
        if (::fchmod(fd, existing->st_mode & 07777) != 0) return false;
    } else if (::fchmod(fd, 0644 & ~CurrentUmask()) != 0) {
        return false;
    }
    // A failed fsync is final: the kernel may already have dropped the dirty pages it reported.
    return ::fsync(fd) == 0;
}

}  // namespace

std::optional<std::string> ReadWholeFile(const std::string& path) {
    int raw;
    do {
        raw = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    } while (raw < 0 && errno == EINTR);
    if (raw < 0) {
        // A path through a plain file names nothing, as a missing file does.
        if (errno == ENOENT || errno == ENOTDIR) return std::nullopt;
        throw ReadError(path, "");
    }
    Fd fd(raw);
    struct stat st;
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) throw ReadError(path, "");

    std::string bytes;
    bytes.resize(static_cast<std::size_t>(st.st_size) + 1);
    std::size_t got = 0;
    for (;;) {
        if (got == bytes.size()) bytes.resize(bytes.size() * 2);  // the file grew meanwhile
        const ssize_t n = ::read(fd.get(), bytes.data() + got, bytes.size() - got);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw ReadError(path, "");
        }
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
    return bytes;
}

void AtomicWriteFile(const std::string& path, std::string_view bytes) {
    std::string target;
    if (!ResolveLinks(path, target)) throw WriteError(path);

    struct stat existing;
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (!exists && errno != ENOENT) throw WriteError(path);
    if (exists && (!S_ISREG(existing.st_mode) || !Writable(target, existing))) {
        throw WriteError(path);
    }

    const std::string folder = DirectoryOf(target);
    struct stat folderStat;
    if (::stat(folder.c_str(), &folderStat) != 0 || !S_ISDIR(folderStat.st_mode) ||
        !Writable(folder, folderStat)) {
        throw WriteError(path);
    }

    const auto slash = target.rfind('/');
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string temp = folder + "/." + base + ".XXXXXX";
    Fd fd(::mkostemp(temp.data(), O_CLOEXEC));
    if (fd.get() < 0) throw WriteError(path);

    bool ok = WriteTemp(fd.get(), bytes, exists ? &existing : nullptr);
    ok = ::close(fd.release()) == 0 && ok;
    if (!ok || ::rename(temp.c_str(), target.c_str()) != 0) {
        ::unlink(temp.c_str());
        throw WriteError(path);
    }

    // The new file is in place from here on. A folder that cannot be fsync'ed (some file systems
    // refuse it) is not reported: saying the write failed would make the caller's list disagree
    // with a file that already holds the change.
    Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0) ::fsync(dir.get());
}

}  // namespace diary

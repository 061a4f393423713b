#include "diary/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "diary/errors.h"
#include "diary/unique_fd.h"

namespace diary {
namespace {

constexpr std::string_view kTempMarker = ".vamo-";
constexpr std::size_t kTempRandom = 6;  // the XXXXXX of mkostemp
constexpr const char* kAclAttribute = "system.posix_acl_access";

std::string DirectoryOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string BaseNameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Sets errno for a refusal of our own that stands for one the system would give, so that the
// message says the same as it would.
bool Fail(int error) {
    errno = error;
    return false;
}

// Follows a chain of symbolic links to the path that is really written, so that saving through
// a link replaces the file it names and the link itself survives. A dangling link leads to the
// file it would name, which the save then creates. False with errno set when it cannot.
bool ResolveLinks(const std::string& path, std::string& resolved) {
    resolved = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (::lstat(resolved.c_str(), &st) != 0) return errno == ENOENT;
        if (!S_ISLNK(st.st_mode)) return true;
        std::string target(PATH_MAX, '\0');
        const ssize_t n = ::readlink(resolved.c_str(), target.data(), target.size());
        if (n < 0) return false;
        if (static_cast<std::size_t>(n) >= target.size()) return Fail(ENAMETOOLONG);
        target.resize(static_cast<std::size_t>(n));
        if (target.empty()) return Fail(ENOENT);
        resolved = target.front() == '/' ? target : DirectoryOf(resolved) + "/" + target;
    }
    return Fail(ELOOP);
}

// An existing file or folder that nobody may write is read-only even for root, who passes every
// access() check: a diary marked read-only must not be replaced behind its owner's back.
bool Writable(const std::string& path, const struct stat& st) {
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return Fail(EACCES);
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

const char* KindOf(mode_t mode) {
    if (S_ISDIR(mode)) return "složka";
    if (S_ISFIFO(mode)) return "pojmenovaná roura (FIFO)";
    if (S_ISSOCK(mode)) return "soket";
    if (S_ISCHR(mode)) return "znakové zařízení";
    if (S_ISBLK(mode)) return "blokové zařízení";
    return "zvláštní soubor";
}

[[noreturn]] void ThrowNotRegular(const std::string& path, mode_t mode) {
    throw ReadError(
        path, "Nelze číst „" + path + "“: není to obyčejný soubor, ale " + KindOf(mode) + ".");
}

// Opens without waiting on anything: a FIFO without a writer, a device or a terminal would
// otherwise hold the open (or the first read) for ever. A regular file does not care.
int OpenNoWait(const std::string& path, int flags) {
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    return fd;
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
        if (n == 0) return Fail(EIO);
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Extended attributes (the ACL among them), through the descriptor when the file could be
// opened for reading, else through its path.

struct AttributeSource {
    int fd = -1;
    std::string path;
};

// A list or value call that answers the size it needs, then fills a buffer of that size.
template <typename Call>
std::optional<std::string> SizedCall(Call call) {
    for (int attempt = 0; attempt < 4; ++attempt) {
        const ssize_t size = call(nullptr, 0);
        if (size < 0) return std::nullopt;
        std::string buffer(static_cast<std::size_t>(size), '\0');
        if (size == 0) return buffer;
        const ssize_t got = call(buffer.data(), buffer.size());
        if (got >= 0) {
            buffer.resize(static_cast<std::size_t>(got));
            return buffer;
        }
        if (errno != ERANGE) return std::nullopt;  // ERANGE: it grew in between
    }
    return std::nullopt;
}

std::vector<std::string> AttributeNames(const AttributeSource& source) {
    const auto list = SizedCall([&](char* buf, std::size_t size) {
        return source.fd >= 0 ? ::flistxattr(source.fd, buf, size)
                              : ::listxattr(source.path.c_str(), buf, size);
    });
    std::vector<std::string> names;
    if (!list) return names;
    for (std::size_t begin = 0; begin < list->size();) {
        const std::size_t end = std::min(list->find('\0', begin), list->size());
        if (end > begin) names.push_back(list->substr(begin, end - begin));
        begin = end + 1;
    }
    return names;
}

std::optional<std::string> AttributeValue(const AttributeSource& source, const std::string& name) {
    return SizedCall([&](char* buf, std::size_t size) {
        return source.fd >= 0 ? ::fgetxattr(source.fd, name.c_str(), buf, size)
                              : ::getxattr(source.path.c_str(), name.c_str(), buf, size);
    });
}

// The group bits a file may keep when its ACL is lost: what the ACL gave the owning group
// (its group entry within the mask). An ACL that cannot be read gives nothing.
mode_t AclOwningGroupBits(std::string_view acl) {
    auto number = [&](std::size_t at, int bytes) {
        std::uint32_t v = 0;
        for (int i = bytes - 1; i >= 0; --i)
            v = v << 8 | static_cast<unsigned char>(acl[at + static_cast<std::size_t>(i)]);
        return v;
    };
    if (acl.size() < 4 || (acl.size() - 4) % 8 != 0 || number(0, 4) != 2) return 0;
    std::uint32_t group = 0, mask = 7;
    bool found = false;
    for (std::size_t at = 4; at < acl.size(); at += 8) {
        const std::uint32_t tag = number(at, 2), perm = number(at + 2, 2) & 7;
        if (tag == 0x04) {
            group = perm;
            found = true;
        } else if (tag == 0x10) {
            mask = perm;
        }
    }
    return found ? static_cast<mode_t>((group & mask) << 3) : 0;
}

// ---------------------------------------------------------------------------------------------

// The file whose metadata a save carries over: the file it replaces, or the one named in
// AtomicWriteOptions::metadataFrom.
struct Original {
    // Open for reading, or not open when only its path serves (a file the saver may not read).
    UniqueFd fd;
    struct stat st {};
    std::string path;
};

// Opens `path` as the original of a save; false when it does not exist. Throws WriteError
// (with `reported` as its path) when it exists but is no regular file or cannot be looked at.
bool OpenOriginal(const std::string& path, const std::string& reported, Original& original) {
    original.path = path;
    original.fd.Reset(OpenNoWait(path, O_RDONLY | O_NOFOLLOW));
    if (original.fd.Open()) {
        if (::fstat(original.fd.Descriptor(), &original.st) != 0) throw WriteError(reported, errno);
    } else if (errno == ENOENT) {
        return false;
    } else if (errno == EACCES) {
        // A file the saver may write but not read (mode 0200) is still replaced; its attributes
        // are read through the path where permissions allow.
        if (::stat(path.c_str(), &original.st) != 0) throw WriteError(reported, errno);
    } else {
        throw WriteError(reported,
                         errno);  // ENXIO (a socket), ELOOP (a link put there meanwhile), ...
    }
    if (!S_ISREG(original.st.st_mode)) throw WriteError(reported);
    return true;
}

// chown(2) refusals that mean "not allowed", as opposed to a failing disk.
bool NotAllowed(int error) { return error == EPERM || error == EINVAL; }

// Gives the temporary the original's owner, group, extended attributes and mode, as far as the
// saver may. Never wider: a setuid or setgid bit goes with an owner or group that could not be
// kept, and so do the group bits (they would be granted to the saver's own group).
bool KeepMetadata(int temp, const struct stat& tempStat, const Original& original) {
    const struct stat& old = original.st;
    mode_t mode = old.st_mode & 07777;
    bool ownerKept = old.st_uid == tempStat.st_uid;
    bool groupKept = old.st_gid == tempStat.st_gid;
    if (!ownerKept || !groupKept) {
        // The owner first: a change of owner clears the set-id bits, which fchmod sets last.
        if (::fchown(temp, old.st_uid, old.st_gid) == 0) {
            ownerKept = groupKept = true;
        } else if (!NotAllowed(errno)) {
            return false;
        } else if (!groupKept) {
            // Only root gives a file away; a member of the file's group may still keep the group.
            if (::fchown(temp, static_cast<uid_t>(-1), old.st_gid) == 0)
                groupKept = true;
            else if (!NotAllowed(errno))
                return false;
        }
    }
    if (!ownerKept) mode &= ~static_cast<mode_t>(S_ISUID);
    if (!groupKept) mode &= ~static_cast<mode_t>(S_ISGID | S_IRWXG);

    // Every attribute, the ACL among them. The temporary is still the saver's own (or root's),
    // so whatever the file system takes can be set; what it refuses (a security label, a
    // trusted.* name for anyone but root) is lost, which narrows nothing but the ACL.
    const AttributeSource source{original.fd.Descriptor(), original.path};
    const std::vector<std::string> names = AttributeNames(source);
    bool hadAcl = false;
    std::optional<std::string> lostAcl;
    for (const std::string& name : names) {
        const bool isAcl = name == kAclAttribute;
        hadAcl = hadAcl || isAcl;
        const auto value = AttributeValue(source, name);
        if (value && ::fsetxattr(temp, name.c_str(), value->data(), value->size(), 0) == 0)
            continue;
        if (isAcl) lostAcl = value.value_or(std::string());
    }
    // A default ACL of the folder gives the new file an ACL the old one did not have.
    if (!hadAcl) {
        for (const std::string& name : AttributeNames({temp, {}})) {
            if (name == kAclAttribute && ::fremovexattr(temp, kAclAttribute) != 0) return false;
        }
    }
    // Without its ACL the group bits would be the ACL's mask, granting the owning group what
    // only named users or groups had.
    if (lostAcl)
        mode = (mode & ~static_cast<mode_t>(S_IRWXG)) | (mode & AclOwningGroupBits(*lostAcl));
    return ::fchmod(temp, mode) == 0;
}

// What a save puts in its temporary: bytes at hand, or the whole of another open file.
struct Content {
    std::string_view bytes;
    int cloneFrom = -1;
};

bool CopyAll(int from, int to) {
    constexpr std::size_t kChunk = std::size_t{1} << 16;
    const auto buffer = std::make_unique_for_overwrite<char[]>(kChunk);
    for (off_t at = 0;;) {
        const ssize_t n = ::pread(from, buffer.get(), kChunk, at);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) return true;
        if (!WriteAll(to, {buffer.get(), static_cast<std::size_t>(n)})) return false;
        at += n;
    }
}

// A reflink shares the source's blocks until either file is written, so the copy costs no room
// and no time, and a later write to the source (even in place) leaves the copy as it was.
// Where the file system has none (ext4, tmpfs, another file system than the source's), a copy.
bool Fill(int fd, const Content& content) {
    if (content.cloneFrom < 0) return WriteAll(fd, content.bytes);
    if (::ioctl(fd, FICLONE, content.cloneFrom) == 0) return true;
    return CopyAll(content.cloneFrom, fd);
}

bool WriteTemp(int fd, const struct stat& tempStat, const Content& content,
               const Original* original) {
    if (!Fill(fd, content)) return false;
    if (original != nullptr) {
        if (!KeepMetadata(fd, tempStat, *original)) return false;
    } else if (::fchmod(fd, 0644 & ~CurrentUmask()) != 0) {
        return false;
    }
    // A failed fsync is final: the kernel may already have dropped the dirty pages it reported.
    return ::fsync(fd) == 0;
}

int LockExclusive(int fd, int how) {
    int r;
    do {
        r = ::flock(fd, how);
    } while (r != 0 && errno == EINTR);
    return r;
}

// A hidden temporary beside the target, locked for as long as the save holds it. A cleaner
// that removed it between its creation and the lock leaves it without a name; then another.
int CreateLockedTemp(const std::string& folder, const std::string& prefix, std::string& temp,
                     struct stat& st) {
    for (int attempt = 0; attempt < 8; ++attempt) {
        temp = folder + "/" + prefix + std::string(kTempRandom, 'X');
        UniqueFd fd(::mkostemp(temp.data(), O_CLOEXEC));
        if (!fd.Open()) return -1;
        // A file system without locks cannot lock it for the cleaner either, which then leaves
        // it alone.
        LockExclusive(fd.Descriptor(), LOCK_EX);
        if (::fstat(fd.Descriptor(), &st) != 0) {
            const int error = errno;
            ::unlink(temp.c_str());
            fd.Reset();
            errno = error;
            return -1;
        }
        if (st.st_nlink > 0) return fd.Release();
    }
    errno = EAGAIN;
    return -1;
}

struct ScanResult {
    std::size_t entries = 0;
    std::size_t removed = 0;
};

ScanResult ScanForAbandonedTemps(const std::string& folder,
                                 const std::function<bool(std::string_view name)>& isOurs) {
    ScanResult result;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return result;
    std::vector<std::string> candidates;
    while (const dirent* entry = ::readdir(dir)) {
        ++result.entries;
        if (isOurs(entry->d_name)) candidates.emplace_back(entry->d_name);
    }
    const int dfd = ::dirfd(dir);
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    for (const std::string& name : candidates) {
        UniqueFd fd(
            ::openat(dfd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        struct stat st;
        if (!fd.Open() || ::fstat(fd.Descriptor(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        // Young files are left even when unlocked: a save takes its lock just after creating
        // its temporary, and a cleaner must not slip in between.
        if (now.tv_sec - st.st_mtim.tv_sec < kAbandonedTempSeconds) continue;
        if (LockExclusive(fd.Descriptor(), LOCK_EX | LOCK_NB) != 0) continue;
        // Still the same file under that name (a save creates names afresh, never reuses one).
        struct stat named;
        if (::fstatat(dfd, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0 ||
            named.st_dev != st.st_dev || named.st_ino != st.st_ino)
            continue;
        if (::unlinkat(dfd, name.c_str(), 0) == 0) ++result.removed;
    }
    ::closedir(dir);
    return result;
}

// Reading a folder costs about a quarter of a microsecond per entry, so a diary among thousands
// of files would pay a millisecond a save to look for leftovers that are almost never there.
// A folder seen that large is looked at again only after a while; a small one every time.
class LeftoverSchedule {
public:
    bool Due(const std::string& folder, std::time_t now) {
        const std::lock_guard<std::mutex> hold(mutex_);
        const auto it = largeFolders_.find(folder);
        return it == largeFolders_.end() || now - it->second >= kRescanSeconds;
    }
    void Scanned(const std::string& folder, std::size_t entries, std::time_t now) {
        const std::lock_guard<std::mutex> hold(mutex_);
        if (entries > kSmallFolder)
            largeFolders_[folder] = now;
        else
            largeFolders_.erase(folder);
    }

private:
    static constexpr std::size_t kSmallFolder = 256;
    static constexpr std::time_t kRescanSeconds = 60;
    std::mutex mutex_;
    std::map<std::string, std::time_t> largeFolders_;
};

LeftoverSchedule& Leftovers() {
    static LeftoverSchedule schedule;
    return schedule;
}

// Puts the temporary at the target's name. A name that must not be replaced (a backup's) is
// taken only where no file is; EEXIST otherwise. Returns 0 or the errno.
int Place(const std::string& temp, const std::string& target, bool keepExisting) {
    if (!keepExisting) return ::rename(temp.c_str(), target.c_str()) == 0 ? 0 : errno;
    if (::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    // A file system without RENAME_NOREPLACE still refuses a second name that is taken.
    if (::link(temp.c_str(), target.c_str()) != 0) return errno;
    ::unlink(temp.c_str());
    return 0;
}

bool AtomicWrite(const std::string& path, const Content& content,
                 const AtomicWriteOptions& options) {
    std::string target;
    if (!ResolveLinks(path, target)) throw WriteError(path, errno);

    struct stat there;
    if (options.keepExisting && ::lstat(target.c_str(), &there) == 0) return false;
    Original replaced;
    const bool exists = OpenOriginal(target, path, replaced);
    if (exists && !Writable(target, replaced.st)) throw WriteError(path, errno);
    Original other;
    const Original* original = exists ? &replaced : nullptr;
    if (!options.metadataFrom.empty()) {
        std::string source;
        if (!ResolveLinks(options.metadataFrom, source)) throw WriteError(path, errno);
        if (OpenOriginal(source, path, other)) original = &other;
    }

    const std::string folder = DirectoryOf(target);
    struct stat folderStat;
    if (::stat(folder.c_str(), &folderStat) != 0) throw WriteError(path, errno);
    if (!S_ISDIR(folderStat.st_mode)) throw WriteError(path, ENOTDIR);
    if (!Writable(folder, folderStat)) throw WriteError(path, errno);

    const std::string prefix = TempNamePrefix(BaseNameOf(target), MaxNameLength(folder));
    std::string temp;
    struct stat tempStat;
    UniqueFd fd(CreateLockedTemp(folder, prefix, temp, tempStat));
    if (!fd.Open()) throw WriteError(path, errno);

    int error = WriteTemp(fd.Descriptor(), tempStat, content, original) ? 0 : errno;
    // A second descriptor keeps the lock past the checked close, until the name is gone.
    const UniqueFd lock(::dup(fd.Descriptor()));
    if (::close(fd.Release()) != 0 && error == 0) error = errno;
    if (error == 0) error = Place(temp, target, options.keepExisting);
    if (error != 0) {
        ::unlink(temp.c_str());
        if (error == EEXIST && options.keepExisting) return false;
        throw WriteError(path, error);
    }

    // The new file is in place from here on. A folder that cannot be fsync'ed (some file systems
    // refuse it) is not reported: saying the write failed would make the caller's list disagree
    // with a file that already holds the change. Nor is a leftover that cannot be removed.
    UniqueFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Open()) ::fsync(dir.Descriptor());
    const std::time_t now = std::time(nullptr);
    if (Leftovers().Due(folder, now)) {
        const ScanResult scan = ScanForAbandonedTemps(
            folder, [&](std::string_view name) { return IsTempName(name, prefix); });
        Leftovers().Scanned(folder, scan.entries, now);
    }
    return true;
}

std::string TooLargeMessage(const std::string& path, std::uint64_t bytes, std::uint64_t largest) {
    const auto megabytes = [](std::uint64_t n) {
        return std::to_string((n + (1u << 20) - 1) >> 20);
    };
    return "Soubor „" + path + "“ má " + megabytes(bytes) +
           " MB. Tak velký deník ani soubor nastavení být nemůže (nejvýš " + megabytes(largest) +
           " MB), proto nebyl načten.";
}

}  // namespace

namespace {

// A diary of a hundred thousand rides is read into ten megabytes of memory the process has not
// touched yet (the program hands every block of a megabyte or more back to the system when it
// is freed). Where the kernel gives huge pages only on request, the first touch of that memory
// would fault 4 KB at a time, two and a half thousand times, which on a virtual machine cost
// several times the reading itself. Reserves `size` bytes and asks for huge pages for the whole
// ones inside them; a kernel that has none ignores the request.
void ReserveWithHugePages(std::string& bytes, std::size_t size) {
    bytes.reserve(size);
    constexpr std::uintptr_t kHuge = std::uintptr_t{2} << 20;
    const auto first = reinterpret_cast<std::uintptr_t>(bytes.data());
    const std::uintptr_t begin = (first + kHuge - 1) & ~(kHuge - 1);
    const std::uintptr_t end = (first + bytes.capacity()) & ~(kHuge - 1);
    if (end > begin) (void)::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

}  // namespace

std::optional<std::string> ReadWholeFile(const std::string& path, std::uint64_t largest) {
    UniqueFd fd(OpenNoWait(path, O_RDONLY));
    if (!fd.Open()) {
        const int error = errno;
        // A path through a plain file names nothing, as a missing file does.
        if (error == ENOENT || error == ENOTDIR) return std::nullopt;
        // A socket cannot be opened at all (ENXIO); say what it is rather than only that it failed.
        struct stat st;
        if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
            ThrowNotRegular(path, st.st_mode);
        throw ReadError(path, "", error);
    }
    struct stat st;
    if (::fstat(fd.Descriptor(), &st) != 0) throw ReadError(path, "", errno);
    if (!S_ISREG(st.st_mode)) ThrowNotRegular(path, st.st_mode);
    // Refused before a byte is read or a byte of memory taken: a sparse file of gigabytes would
    // otherwise cost as much memory, and seconds of reading zeros, to end as an empty list.
    const auto size = static_cast<std::uint64_t>(st.st_size);
    if (size > largest) throw ReadError(path, TooLargeMessage(path, size, largest));
    // Regular files ignore O_NONBLOCK on Linux, but a FUSE file system may see it; reads wait.
    const int flags = ::fcntl(fd.Descriptor(), F_GETFL);
    if (flags >= 0) ::fcntl(fd.Descriptor(), F_SETFL, flags & ~O_NONBLOCK);

    std::string bytes;
    // Room past the end for what a change adds (a few rides, a goal): the bytes of a diary
    // read to be changed then take its lines where they are, instead of moving the whole diary
    // to fresh memory whose every page faults in.
    constexpr std::size_t kRoomToAdd = 64 * 1024;
    ReserveWithHugePages(bytes, static_cast<std::size_t>(st.st_size) + kRoomToAdd);
    bytes.resize(static_cast<std::size_t>(st.st_size) + 1);
    std::size_t got = 0;
    for (;;) {
        // A file can hold more than fstat said: /proc files say 0, and a file may grow meanwhile.
        if (got == bytes.size()) {
            if (got > largest) throw ReadError(path, TooLargeMessage(path, got, largest));
            bytes.resize(static_cast<std::size_t>(std::min<std::uint64_t>(got * 2, largest + 1)));
        }
        const ssize_t n = ::read(fd.Descriptor(), bytes.data() + got, bytes.size() - got);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw ReadError(path, "", errno);
        }
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
    return bytes;
}

void AtomicWriteFile(const std::string& path, std::string_view bytes) {
    AtomicWrite(path, Content{bytes}, {});
}

bool AtomicWriteFile(const std::string& path, std::string_view bytes,
                     const AtomicWriteOptions& options) {
    return AtomicWrite(path, Content{bytes}, options);
}

bool AtomicCopyFile(int source, const std::string& path, const AtomicWriteOptions& options) {
    return AtomicWrite(path, Content{{}, source}, options);
}

std::string FitName(std::string_view name, std::size_t maxBytes) {
    if (name.size() <= maxBytes) return std::string(name);
    constexpr std::size_t kHashPart = 9;  // "~" and eight hex digits
    std::size_t keep = maxBytes > kHashPart ? maxBytes - kHashPart : 0;
    // Never half a UTF-8 character: some file systems refuse names that are not valid UTF-8.
    while (keep > 0 && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80) --keep;
    return std::string(name.substr(0, keep)) + "~" + NameHash(name);
}

std::string NameHash(std::string_view text) {
    std::uint32_t h = 2166136261u;  // FNV-1a
    for (char c : text) {
        h ^= static_cast<unsigned char>(c);
        h *= 16777619u;
    }
    std::string hex(8, '0');
    for (std::size_t i = 8; i-- > 0; h >>= 4) hex[i] = "0123456789abcdef"[h & 15];
    return hex;
}

std::size_t MaxNameLength(const std::string& folder) {
    const long max = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    return max > 0 && max < 255 ? static_cast<std::size_t>(max) : 255;
}

std::string TempNamePrefix(std::string_view targetName, std::size_t nameMax) {
    const std::size_t fixed = 1 + kTempMarker.size() + kTempRandom;
    const std::size_t room = nameMax > fixed + 9 ? nameMax - fixed : 9;
    std::string prefix = ".";
    prefix += FitName(targetName, room);
    prefix += kTempMarker;
    return prefix;
}

bool IsTempName(std::string_view name, std::string_view prefix) {
    if (name.size() != prefix.size() + kTempRandom || name.substr(0, prefix.size()) != prefix)
        return false;
    for (char c : name.substr(prefix.size())) {
        const bool alnum =
            (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!alnum) return false;
    }
    return true;
}

std::size_t RemoveAbandonedTemps(const std::string& folder,
                                 const std::function<bool(std::string_view name)>& isOurs) {
    return ScanForAbandonedTemps(folder, isOurs).removed;
}

}  // namespace diary

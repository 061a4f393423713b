#include "diary/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>
#include <thread>

#include "diary/errors.h"

namespace diary {
namespace {

// NAME_MAX of every Linux file system the program saves to.
constexpr std::size_t kNameMax = 255;
constexpr std::string_view kLockSuffix = ".lock";

// Whether a file of ours could be created beside `lockPath` (which always names its folder).
// Root passes access() for any folder and can create the lock file anyway, so the answer only
// matters to others.
bool FolderWritable(const std::string& lockPath) {
    const std::string folder = std::filesystem::path(lockPath).parent_path().string();
    struct stat st;
    return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
           ::access(folder.c_str(), W_OK) == 0;
}

std::string BusyMessage(const std::string& path, LockedFile what) {
    const char* subject = what == LockedFile::Diary ? "Deník " : "Soubor nastavení ";
    return subject + path +
           " právě používá jiný program. Nic nebylo změněno; zkuste to prosím za chvíli znovu.";
}

}  // namespace

std::string LockFilePath(const std::string& path) {
    std::error_code ec;
    std::filesystem::path real = std::filesystem::weakly_canonical(path, ec);
    if (ec || real.empty()) real = path;
    std::string name = real.filename().string();
    const std::size_t room = kNameMax - 1 - kLockSuffix.size();
    if (name.size() > room) {
        std::size_t cut = room;
        // Not inside a UTF-8 sequence: the lock file's name stays readable text.
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
        name.resize(cut);
    }
    std::string lock = real.parent_path().string();
    if (lock.empty()) lock.push_back('.');
    if (lock.back() != '/') lock += '/';
    lock += '.';
    lock += name;
    lock += kLockSuffix;
    return lock;
}

FileLock::FileLock(const std::string& path, LockedFile what, std::chrono::milliseconds timeout) {
    const std::string lockPath = LockFilePath(path);
    int opened;
    do {
        // Read-only is enough for flock, so a lock file made by another user of a shared
        // folder serves everyone who may read it. O_NONBLOCK: a FIFO in its place must not
        // hang the open.
        opened = ::open(lockPath.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK,
                        0644);
    } while (opened < 0 && errno == EINTR);
    if (opened < 0) {
        const int error = errno;
        if (!FolderWritable(lockPath)) return;
        throw WriteError(lockPath, error);
    }
    UniqueFd fd(opened);
    struct stat st;
    if (::fstat(fd.Descriptor(), &st) != 0) throw WriteError(lockPath, errno);
    if (!S_ISREG(st.st_mode)) throw WriteError(lockPath);

    // Polled rather than blocking, so that the wait has an end without signals. The pauses stay
    // short: a save takes milliseconds, and the lock lying idle while every waiter sleeps would
    // cost more than the waiters' wake-ups.
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::chrono::microseconds pause(250);
    for (;;) {
        if (::flock(fd.Descriptor(), LOCK_EX | LOCK_NB) == 0) {
            fd_.Reset(fd.Release());
            return;
        }
        const int error = errno;
        if (error == EINTR) continue;
        if (error != EWOULDBLOCK) {
            // A file system without locks (some network shares) must not make the diary
            // unusable: there the change goes ahead as it always did.
            if (error == ENOLCK || error == EOPNOTSUPP) return;
            throw WriteError(lockPath, error);
        }
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) {
            throw BusyError(path, BusyMessage(path, what));
        }
        std::this_thread::sleep_for(
            std::min<std::chrono::steady_clock::duration>(pause, deadline - now));
        pause = std::min(pause * 2, std::chrono::microseconds(2000));
    }
}

}  // namespace diary

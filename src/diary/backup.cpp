#include "diary/backup.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <utility>

#include "diary/atomic_file.h"
#include "diary/errors.h"
#include "diary/profile.h"
#include "diary/unique_fd.h"

namespace diary {
namespace {

constexpr std::string_view kExtension = ".vam";
constexpr std::size_t kDateLength = 10;  // YYYY-MM-DD
constexpr int kMaxSequence = 99999;
// Beside the diary's name part a backup name holds ".<hash>." (10), the date, at most
// "-99999" (6) and ".vam" (4); and a copy is written through a temporary whose name adds what
// TempNamePrefix adds, so that this too fits without being cut.
constexpr std::size_t kFixedLength = 10 + kDateLength + 6 + 4;

// The diary's one name, whatever path reached it: links resolved, "." and ".." gone.
std::string CanonicalPath(const std::string& path) {
    if (char* real = ::realpath(path.c_str(), nullptr)) {
        std::string resolved(real);
        std::free(real);
        return resolved;
    }
    // A diary that is gone (its backups are still its own): as far as the path exists.
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path p = fs::absolute(path, ec);
    if (ec) p = path;
    const fs::path canonical = fs::weakly_canonical(p, ec);
    return (ec ? p.lexically_normal() : canonical).string();
}

std::string WithoutTrailingSlashes(std::string folder) {
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

// Where the backups of one diary go, and the start that all their names share.
struct BackupNames {
    std::string folder;
    std::size_t nameMax = 255;
    std::string prefix;  // "<diary file name>.<hash>."

    BackupNames(const std::string& diaryPath, const std::string& backupFolder)
        : folder(WithoutTrailingSlashes(backupFolder)), nameMax(MaxNameLength(folder)) {
        const std::string canonical = CanonicalPath(diaryPath);
        const std::string fileName = std::filesystem::path(canonical).filename().string();
        const std::size_t fixed = kFixedLength + TempNamePrefix("", nameMax).size() + 6;
        const std::size_t room = nameMax > fixed + 9 ? nameMax - fixed : 9;
        prefix = FitName(fileName, room) + "." + NameHash(canonical) + ".";
    }

    std::string Name(const Date& date, int sequence) const {
        std::string name = prefix;
        const int parts[3][2] = {{date.year, 4}, {date.month, 2}, {date.day, 2}};
        for (const auto& [value, width] : parts) {
            if (name.size() > prefix.size()) name += '-';
            std::string digits(static_cast<std::size_t>(width), '0');
            for (int i = width - 1, v = value; i >= 0; --i, v /= 10)
                digits[static_cast<std::size_t>(i)] = static_cast<char>('0' + v % 10);
            name += digits;
        }
        if (sequence > 0) {
            name += '-';
            name += std::to_string(sequence);
        }
        return name + std::string(kExtension);
    }

    std::string Path(const Date& date, int sequence) const {
        return folder + "/" + Name(date, sequence);
    }

    // The date and counter of a backup of this diary, or nullopt for any other name.
    std::optional<std::pair<Date, int>> Parse(std::string_view name) const {
        if (name.size() < prefix.size() + kDateLength + kExtension.size() ||
            name.substr(0, prefix.size()) != prefix ||
            name.substr(name.size() - kExtension.size()) != kExtension) {
            return std::nullopt;
        }
        std::string_view rest =
            name.substr(prefix.size(), name.size() - prefix.size() - kExtension.size());
        auto number = [](std::string_view digits, int& value) {
            if (digits.empty() || digits.size() > 5) return false;
            value = 0;
            for (char c : digits) {
                if (c < '0' || c > '9') return false;
                value = value * 10 + (c - '0');
            }
            return true;
        };
        Date date;
        if (rest[4] != '-' || rest[7] != '-' || !number(rest.substr(0, 4), date.year) ||
            !number(rest.substr(5, 2), date.month) || !number(rest.substr(8, 2), date.day) ||
            !IsValidDate(date)) {
            return std::nullopt;
        }
        int sequence = 0;
        if (rest.size() > kDateLength) {
            const std::string_view counter = rest.substr(kDateLength + 1);
            if (rest[kDateLength] != '-' || counter.front() == '0' || !number(counter, sequence))
                return std::nullopt;
        }
        if (Name(date, sequence) != name) return std::nullopt;
        return std::make_pair(date, sequence);
    }

    // This diary's backups in the folder, newest first, without their ride counts.
    std::vector<BackupEntry> Scan() const {
        std::vector<BackupEntry> entries;
        std::error_code ec;
        for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
             it.increment(ec)) {
            const std::string name = it->path().filename().string();
            if (const auto parsed = Parse(name)) {
                entries.push_back({folder + "/" + name, parsed->first, parsed->second, {}});
            }
        }
        std::sort(entries.begin(), entries.end(), [](const BackupEntry& a, const BackupEntry& b) {
            const auto key = [](const BackupEntry& e) {
                return std::make_tuple(e.date.year, e.date.month, e.date.day, e.sequence);
            };
            return key(a) > key(b);
        });
        return entries;
    }

    // The hidden temporary of a copy of one of this diary's backups.
    bool IsTempOfBackup(std::string_view name) const {
        const std::size_t extra = TempNamePrefix("", nameMax).size() + 6;
        if (name.size() <= extra || name.front() != '.') return false;
        const std::string_view backup = name.substr(1, name.size() - extra);
        return Parse(backup) && IsTempName(name, TempNamePrefix(backup, nameMax));
    }
};

void MakeFolder(const std::string& folder) {
    struct stat st;
    if (::stat(folder.c_str(), &st) == 0) {
        if (!S_ISDIR(st.st_mode)) throw WriteError(folder);
        return;
    }
    std::error_code ec;
    const std::filesystem::path parent = std::filesystem::path(folder).parent_path();
    if (!parent.empty()) std::filesystem::create_directories(parent, ec);
    // Backups hold the whole diary: only its owner looks into them.
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) throw WriteError(folder);
}

// Opens the diary (through any symlink) without waiting on what is not a regular file; -1 when
// there is none. Throws WriteError(reported) for anything that cannot be kept.
int OpenDiaryToKeep(const std::string& diaryPath, const std::string& reported) {
    int fd;
    do {
        fd = ::open(diaryPath.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) return -1;
        throw WriteError(reported);
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        throw WriteError(reported);
    }
    return fd;
}

// Puts the diary open on `fd` at `backup`: a hard link to the very file that was checked, where
// the file system allows it, else an atomic copy with the diary's access. False when `backup`
// exists already.
bool KeepCopy(int fd, const std::string& diaryPath, const std::string& backup) {
    std::string self = "/proc/self/fd/";
    self += std::to_string(fd);
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, backup.c_str(), AT_SYMLINK_FOLLOW) == 0) {
        // As a save does for its rename: the new name outlives a crash. A folder that refuses
        // fsync still has the link.
        const UniqueFd folder(::open(std::filesystem::path(backup).parent_path().c_str(),
                                     O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (folder.Open()) ::fsync(folder.Descriptor());
        return true;
    }
    if (errno == EEXIST) return false;
    // EXDEV (another file system), EPERM (protected_hardlinks, a file of someone else's),
    // EMLINK, a file system without links, no /proc: copy.
    std::optional<std::string> bytes;
    try {
        bytes = ReadWholeFile(diaryPath);
    } catch (const ReadError&) {
        throw WriteError(backup);
    }
    if (!bytes) throw WriteError(backup);
    AtomicWriteFile(backup, *bytes, AtomicWriteOptions{diaryPath});
    return true;
}

}  // namespace

BackupResult KeepDailyBackup(const std::string& diaryPath, const std::string& backupFolder,
                             const Date& today) {
    if (!IsValidDate(today)) throw InvalidValueError("impossible backup date");
    BackupResult result;
    const BackupNames names(diaryPath, backupFolder);
    const std::string path = names.Path(today, 0);
    // The cheap answer first: every save of the day after the first stops here. A copy kept
    // by a restore today counts as the day's backup too (it holds the day's first state).
    struct stat st;
    if (::lstat(path.c_str(), &st) == 0) {
        result.action = BackupResult::Action::AlreadyKept;
        result.path = path;
        return result;
    }
    for (const BackupEntry& e : names.Scan()) {
        if (e.date == today) {
            result.action = BackupResult::Action::AlreadyKept;
            result.path = e.path;
            return result;
        }
    }
    const UniqueFd diary(OpenDiaryToKeep(diaryPath, path));
    if (!diary.Open()) return result;

    MakeFolder(names.folder);
    result.path = path;
    result.action = KeepCopy(diary.Descriptor(), diaryPath, path)
                        ? BackupResult::Action::Kept
                        : BackupResult::Action::AlreadyKept;
    if (result.action != BackupResult::Action::Kept) return result;

    const std::vector<BackupEntry> entries = names.Scan();
    for (std::size_t i = kBackupsKept; i < entries.size(); ++i) {
        if (::unlink(entries[i].path.c_str()) == 0) ++result.pruned;
    }
    RemoveAbandonedTemps(names.folder,
                         [&](std::string_view name) { return names.IsTempOfBackup(name); });
    return result;
}

std::vector<BackupEntry> ListBackups(const std::string& diaryPath,
                                     const std::string& backupFolder) {
    std::vector<BackupEntry> entries = BackupNames(diaryPath, backupFolder).Scan();
    for (BackupEntry& e : entries) {
        try {
            const auto bytes = ReadWholeFile(e.path);
            if (!bytes) continue;  // removed meanwhile
            std::size_t rides = 0;
            ForEachNumberedEntry(*bytes, "Data", [&](const Profile::Entry&) { ++rides; });
            e.rides = rides;
        } catch (const ReadError&) {
        }
    }
    return entries;
}

std::string RestoreBackup(const std::string& backupPath, const std::string& diaryPath,
                          const std::string& backupFolder, const Date& today,
                          std::chrono::milliseconds timeout) {
    if (!IsValidDate(today)) throw InvalidValueError("impossible backup date");
    const std::optional<std::string> bytes = ReadWholeFile(backupPath);
    if (!bytes) throw ReadError(backupPath, "Záloha „" + backupPath + "“ už neexistuje.");
    const FileLock lock(diaryPath, LockedFile::Diary, timeout);

    const BackupNames names(diaryPath, backupFolder);
    std::string kept;
    int sequence = 0;
    for (const BackupEntry& e : names.Scan()) {
        if (e.date == today) sequence = std::max(sequence, e.sequence);
    }
    const UniqueFd diary(OpenDiaryToKeep(diaryPath, diaryPath));
    if (diary.Open()) {
        MakeFolder(names.folder);
        do {
            if (++sequence > kMaxSequence) throw WriteError(names.Path(today, sequence));
            kept = names.Path(today, sequence);
        } while (!KeepCopy(diary.Descriptor(), diaryPath, kept));
    }
    AtomicWriteFile(diaryPath, *bytes);
    return kept;
}

}  // namespace diary

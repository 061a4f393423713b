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
        if (!S_ISDIR(st.st_mode)) throw WriteError(folder, ENOTDIR);
        return;
    }
    std::error_code ec;
    const std::filesystem::path parent = std::filesystem::path(folder).parent_path();
    if (!parent.empty()) std::filesystem::create_directories(parent, ec);
    // Backups hold the whole diary: only its owner looks into them.
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) throw WriteError(folder, errno);
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
        throw WriteError(reported, errno);
    }
    UniqueFd diary(fd);
    struct stat st;
    if (::fstat(fd, &st) != 0) throw WriteError(reported, errno);
    if (!S_ISREG(st.st_mode)) throw WriteError(reported);
    return diary.Release();
}

// A backup is never a second name of the diary's file: a program that writes the diary in
// place (cp, an editor that truncates) would change the backup with it. Written atomically,
// open to exactly those the diary is open to. False when `backup` exists already.
bool KeepCopy(int fd, const std::string& diaryPath, const std::string& backup) {
    return AtomicCopyFile(fd, backup, AtomicWriteOptions{diaryPath, true});
}

// The day's backup when the diary has one already: every save of the day after the first stops
// here. A copy kept by a restore today counts too (it holds the day's first state).
std::optional<BackupResult> KeptToday(const BackupNames& names, const Date& today) {
    const std::string path = names.Path(today, 0);
    struct stat st;
    if (::lstat(path.c_str(), &st) == 0)
        return BackupResult{BackupResult::Action::AlreadyKept, path, 0};
    for (const BackupEntry& e : names.Scan()) {
        if (e.date == today) return BackupResult{BackupResult::Action::AlreadyKept, e.path, 0};
    }
    return std::nullopt;
}

// Keeps today's backup with `write` (false: another took the name first), then lets the oldest
// go beyond kBackupsKept.
template <typename Write>
BackupResult KeepToday(const BackupNames& names, const Date& today, Write write) {
    MakeFolder(names.folder);
    BackupResult result{BackupResult::Action::AlreadyKept, names.Path(today, 0), 0};
    if (!write(result.path)) return result;
    result.action = BackupResult::Action::Kept;
    const std::vector<BackupEntry> entries = names.Scan();
    for (std::size_t i = kBackupsKept; i < entries.size(); ++i) {
        if (::unlink(entries[i].path.c_str()) == 0) ++result.pruned;
    }
    RemoveAbandonedTemps(names.folder,
                         [&](std::string_view name) { return names.IsTempOfBackup(name); });
    return result;
}

// A backup that the earlier version kept as a hard link shares its file with the diary (or
// with another backup): it becomes a file of its own, with the bytes it holds now.
void Unlink(const BackupEntry& entry) {
    struct stat st;
    if (::lstat(entry.path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink < 2) return;
    const UniqueFd fd(::open(entry.path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!fd.Open()) return;
    try {
        AtomicCopyFile(fd.Descriptor(), entry.path, {});
    } catch (const WriteError&) {
        // A folder that cannot be written now: the link stays until the list is read again.
    }
}

// Keeps a backup dated `today` under the day's next free counter with `write` (false: another
// took the name first); returns its path.
template <typename Write>
std::string KeepNumbered(const BackupNames& names, const Date& today, Write write) {
    int sequence = 0;
    for (const BackupEntry& e : names.Scan()) {
        if (e.date == today) sequence = std::max(sequence, e.sequence);
    }
    MakeFolder(names.folder);
    std::string kept;
    do {
        if (++sequence > kMaxSequence) throw WriteError(names.Path(today, sequence), EEXIST);
        kept = names.Path(today, sequence);
    } while (!write(kept));
    return kept;
}

}  // namespace

BackupResult KeepDailyBackup(const std::string& diaryPath, const std::string& backupFolder,
                             const Date& today) {
    if (!IsValidDate(today)) throw InvalidValueError("impossible backup date");
    const BackupNames names(diaryPath, backupFolder);
    if (auto kept = KeptToday(names, today)) return *kept;
    const UniqueFd diary(OpenDiaryToKeep(diaryPath, names.Path(today, 0)));
    if (!diary.Open()) return {};
    return KeepToday(names, today, [&](const std::string& path) {
        return KeepCopy(diary.Descriptor(), diaryPath, path);
    });
}

BackupResult KeepDailyBackupOf(std::string_view bytesAsRead, const std::string& diaryPath,
                               const std::string& backupFolder, const Date& today) {
    if (!IsValidDate(today)) throw InvalidValueError("impossible backup date");
    if (bytesAsRead.empty()) return {};
    const BackupNames names(diaryPath, backupFolder);
    if (auto kept = KeptToday(names, today)) return *kept;
    return KeepToday(names, today, [&](const std::string& path) {
        return AtomicWriteFile(path, bytesAsRead, AtomicWriteOptions{diaryPath, true});
    });
}

std::vector<BackupEntry> BackupsByName(const std::string& diaryPath,
                                       const std::string& backupFolder) {
    return BackupNames(diaryPath, backupFolder).Scan();
}

std::vector<BackupEntry> ListBackups(const std::string& diaryPath,
                                     const std::string& backupFolder) {
    std::vector<BackupEntry> entries = BackupNames(diaryPath, backupFolder).Scan();
    for (BackupEntry& e : entries) {
        Unlink(e);
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

    const UniqueFd diary(OpenDiaryToKeep(diaryPath, diaryPath));
    std::string kept;
    if (diary.Open()) {
        kept = KeepNumbered(
            BackupNames(diaryPath, backupFolder), today,
            [&](const std::string& path) { return KeepCopy(diary.Descriptor(), diaryPath, path); });
    }
    AtomicWriteFile(diaryPath, *bytes);
    return kept;
}

std::string KeepNumberedBackupOf(std::string_view bytes, const std::string& diaryPath,
                                 const std::string& backupFolder, const Date& today) {
    if (!IsValidDate(today)) throw InvalidValueError("impossible backup date");
    if (bytes.empty()) return {};
    return KeepNumbered(BackupNames(diaryPath, backupFolder), today, [&](const std::string& path) {
        return AtomicWriteFile(path, bytes, AtomicWriteOptions{diaryPath, true});
    });
}

}  // namespace diary

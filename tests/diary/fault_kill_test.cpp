// A saving process killed at any moment leaves the diary holding every ride whose save had
// returned, plus at most the one under way, each byte for byte; nothing it leaves behind gets
// in the way of the next save, and the next save clears it away. The saver keeps daily
// backups as the program does, so kills land in them too: every backup listed is whole.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <random>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "TempDir.h"
#include "TestText.h"
#include "diary/atomic_file.h"
#include "diary/backup.h"
#include "diary/diary_file.h"
#include "diary/record.h"

namespace {

using diary::DiaryRecord;
using diary::kRequiredFieldCount;
using testsupport::FolderNames;
using testsupport::ReadFileBytes;
using testsupport::TempDir;
using testsupport::WriteFileBytes;

// Lines around the diary's section that every save must carry over untouched.
constexpr std::string_view kBefore = "; my rides\r\n\r\n";
constexpr std::string_view kHeader = "[data]\r\n";
constexpr std::string_view kAfter = "[other]\r\nx=y\r\n";

// Any byte a field may hold: no separator, CR, LF or NUL. The date starts with a digit so
// that the line never starts with a blank.
std::string RandomText(std::mt19937_64& rng, std::size_t maxLength) {
    std::string text(rng() % (maxLength + 1), ' ');
    for (char& c : text) {
        unsigned char b;
        do {
            b = static_cast<unsigned char>(rng());
        } while (b == 0 || b == '\r' || b == '\n' || b == 0xA7);
        c = static_cast<char>(b);
    }
    return text;
}

DiaryRecord RandomRecord(std::mt19937_64& rng) {
    DiaryRecord r;
    for (int i = 0; i < kRequiredFieldCount; ++i)
        r.fields[static_cast<std::size_t>(i)] = RandomText(rng, 24);
    r.fields[0].insert(r.fields[0].begin(), static_cast<char>('1' + rng() % 9));
    // Some long notes, so that a save takes long enough to be cut in the middle.
    if (rng() % 4 == 0) r[diary::Field::Note] = RandomText(rng, 4000);
    return r;
}

enum class OpKind { Append, Overwrite, Delete, SaveAll, Restore };

struct Op {
    OpKind kind = OpKind::Append;
    std::size_t index = 0;         // 0-based record the op addresses
    DiaryRecord record;            // Append, Overwrite
    std::vector<DiaryRecord> all;  // SaveAll
};

// What a restore puts back, and where the saver finds it and keeps the restored-over diary
// (set before the first fork).
std::vector<DiaryRecord> EarlierState() {
    std::mt19937_64 rng(1999);
    return {RandomRecord(rng), RandomRecord(rng), RandomRecord(rng)};
}
std::string restoreSource;
std::string restoreBackups;

diary::Date DayOf(std::uint64_t op);

// Op number `i` is a function of `i` and the diary before it, so the killed saver and the
// checking parent agree on every op without talking.
Op MakeOp(std::uint64_t i, const std::vector<DiaryRecord>& state) {
    std::mt19937_64 rng(0x5eed0000u + i);
    Op op;
    const unsigned roll = static_cast<unsigned>(rng() % 100);
    if (roll >= 96 && !state.empty()) {
        op.kind = OpKind::Restore;
        op.index = i;
    } else if (state.empty() || (roll < 60 && state.size() < 40)) {
        op.kind = OpKind::Append;
        op.index = state.size();
        op.record = RandomRecord(rng);
    } else if (roll < 75) {
        op.kind = OpKind::Overwrite;
        op.index = rng() % state.size();
        op.record = RandomRecord(rng);
    } else if (roll < 90 || state.size() >= 40) {
        op.kind = OpKind::Delete;
        op.index = rng() % state.size();
    } else {
        op.kind = OpKind::SaveAll;
        op.all = state;
        std::shuffle(op.all.begin(), op.all.end(), rng);
        op.all.push_back(RandomRecord(rng));
    }
    return op;
}

void Apply(const Op& op, std::vector<DiaryRecord>& state) {
    switch (op.kind) {
        case OpKind::Append:
            state.push_back(op.record);
            break;
        case OpKind::Overwrite:
            state[op.index] = op.record;
            break;
        case OpKind::Delete:
            state.erase(state.begin() + static_cast<std::ptrdiff_t>(op.index));
            break;
        case OpKind::SaveAll:
            state = op.all;
            break;
        case OpKind::Restore:
            state = EarlierState();
            break;
    }
}

void Perform(const std::string& path, const Op& op) {
    const std::string number = std::to_string(op.index + 1);
    switch (op.kind) {
        case OpKind::Append:
        case OpKind::Overwrite:
            testsupport::WriteRide(path, number, op.record);
            break;
        case OpKind::Delete:
            testsupport::DeleteRide(path, number);
            break;
        case OpKind::SaveAll:
            diary::SaveDiary(path, op.all);
            break;
        case OpKind::Restore:
            (void)diary::RestoreBackup(restoreSource, path, restoreBackups, DayOf(op.index));
            break;
    }
}

// The file as it must be after a completed save: written independently of the core's
// formatting, so that a line the core garbles cannot match itself.
std::string ExpectedBytes(const std::vector<DiaryRecord>& state) {
    std::string out(kBefore);
    out += kHeader;
    for (std::size_t i = 0; i < state.size(); ++i) {
        out += std::to_string(i + 1) + "=";
        for (int f = 0; f < kRequiredFieldCount; ++f)
            out += state[i].fields[static_cast<std::size_t>(f)] + '\xA7';
        out += "\r\n";
    }
    out += kAfter;
    return out;
}

constexpr std::uint64_t kFailed = ~std::uint64_t{0};

// The saver's calendar: a new day every few ops, so that backups are kept and pruned often.
diary::Date DayOf(std::uint64_t op) {
    const int day = static_cast<int>(op / 4);
    return {2001 + day / 336, 1 + day / 28 % 12, 1 + day % 28};
}

// The saver: runs ops from `first` on until it is killed, reporting each op's number once its
// save has returned. Before each save it keeps the day's backup, as the program does.
[[noreturn]] void Saver(const std::string& path, const std::string& backups, std::uint64_t first,
                        std::vector<DiaryRecord> state, int out) {
    for (std::uint64_t i = first; i < first + 100000; ++i) {
        const Op op = MakeOp(i, state);
        std::uint64_t report = i;
        try {
            diary::KeepDailyBackup(path, backups, DayOf(i));
            Perform(path, op);
        } catch (...) {
            report = kFailed;
        }
        if (::write(out, &report, sizeof report) != sizeof report || report == kFailed) _exit(2);
        Apply(op, state);
    }
    _exit(0);
}

std::vector<std::uint64_t> ReadReports(int in) {
    std::vector<std::uint64_t> reports;
    std::uint64_t value;
    std::size_t got = 0;
    char* p = reinterpret_cast<char*>(&value);
    for (;;) {
        const ssize_t n = ::read(in, p + got, sizeof value - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
        if (got == sizeof value) {
            reports.push_back(value);
            got = 0;
        }
    }
    return reports;
}

void SleepMicroseconds(double us) {
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(us / 1e6);
    ts.tv_nsec = static_cast<long>(std::fmod(us, 1e6) * 1000);
    while (::nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

std::string FirstDifference(const std::string& actual, const std::string& expected) {
    const auto mismatch =
        std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
    return "sizes " + std::to_string(actual.size()) + " / " + std::to_string(expected.size()) +
           ", first difference at byte " + std::to_string(mismatch.first - actual.begin());
}

// A folder for the backups on another file system than the diary's where there is one, so
// that backups are copies written like saves (on the same one they are hard links).
class BackupFolder {
public:
    explicit BackupFolder(const TempDir& diaryDir) {
        std::string shm = "/dev/shm/vamo-test-XXXXXX";
        struct stat a {
        }, b{};
        if (::mkdtemp(shm.data()) != nullptr) {
            if (::stat(shm.c_str(), &a) == 0 && ::stat(diaryDir.path().c_str(), &b) == 0 &&
                a.st_dev != b.st_dev) {
                top_ = shm;
                path_ = shm + "/zalohy";
                return;
            }
            std::filesystem::remove_all(shm);
        }
        path_ = diaryDir.File("zalohy");
    }
    ~BackupFolder() {
        std::error_code ec;
        if (!top_.empty()) std::filesystem::remove_all(top_, ec);
    }
    const std::string& path() const { return path_; }
    bool copies() const { return !top_.empty(); }

private:
    std::string top_;
    std::string path_;
};

TEST(KilledSave, DiaryHoldsEverySavedRideAndAtMostTheOneUnderWay) {
    TempDir dir;
    const std::string path = dir.File("diary.vam");
    WriteFileBytes(path, ExpectedBytes({}));
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    const BackupFolder backups(dir);
    // Every state the diary has been in: a backup must be one of them, whole.
    std::set<std::string> states = {ExpectedBytes({}), ExpectedBytes(EarlierState())};
    TempDir sources;
    restoreSource = sources.File("earlier.vam");
    restoreBackups = backups.path();
    WriteFileBytes(restoreSource, ExpectedBytes(EarlierState()));

    std::vector<DiaryRecord> state;
    std::uint64_t next = 0;  // the first op not yet known to be in the file
    std::mt19937_64 timing(20010512);
    // A save here takes milliseconds, most of them in fsync. Half the kills come after delays
    // spread evenly on a log scale from microseconds up, so that they land in every step of a
    // save; the other half come after several saves, so that the diary keeps growing.
    std::uniform_real_distribution<double> logDelay(std::log(5.0), std::log(12000.0));
    std::uniform_real_distribution<double> longDelay(5000.0, 60000.0);

    const auto start = std::chrono::steady_clock::now();
    int kills = 0;
    int landedAfterSave = 0;  // the save had returned but its report had not been sent
    std::uint64_t opsDone = 0;
    while (kills < 300 &&
           (kills < 200 || std::chrono::steady_clock::now() - start < std::chrono::seconds(12))) {
        int fds[2];
        ASSERT_EQ(::pipe(fds), 0);
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::close(fds[0]);
            Saver(path, backups.path(), next, state, fds[1]);
        }
        ::close(fds[1]);
        // On a busy machine a save takes longer than these delays assume: while the completed
        // saves fall behind, the long delays stretch, so that the diary still grows.
        const double stretch = opsDone * 2 >= static_cast<std::uint64_t>(kills) ? 1.0 : 4.0;
        SleepMicroseconds(kills % 2 == 0 ? std::exp(logDelay(timing))
                                         : longDelay(timing) * stretch);
        ::kill(pid, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        const std::vector<std::uint64_t> reports = ReadReports(fds[0]);
        ::close(fds[0]);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
            << "the saver stopped by itself (status " << status << "): a save failed";
        ++kills;

        for (const std::uint64_t reported : reports) {
            ASSERT_EQ(reported, next) << "kill " << kills;
            Apply(MakeOp(next, state), state);
            states.insert(ExpectedBytes(state));
            ++next;
            ++opsDone;
        }

        const std::string bytes = ReadFileBytes(path);
        const std::string expected = ExpectedBytes(state);
        if (bytes != expected) {
            std::vector<DiaryRecord> ahead = state;
            Apply(MakeOp(next, state), ahead);
            ASSERT_EQ(bytes, ExpectedBytes(ahead))
                << "kill " << kills << " after op " << next << ": the diary is neither the last "
                << "saved state (" << FirstDifference(bytes, expected) << ") nor the next one";
            state = std::move(ahead);
            states.insert(bytes);
            ++next;
            ++landedAfterSave;
        }

        const std::vector<DiaryRecord> read = diary::ReadDiary(path);
        ASSERT_EQ(read.size(), state.size()) << "kill " << kills;
        for (std::size_t i = 0; i < read.size(); ++i) {
            ASSERT_EQ(read[i].fields, state[i].fields) << "kill " << kills << ", record " << i + 1;
        }
        struct stat st {};
        ASSERT_EQ(::stat(path.c_str(), &st), 0);
        ASSERT_EQ(st.st_mode & 07777, 0640u) << "kill " << kills << ": the diary lost its mode";
    }

    const double killSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    // Whatever a kill left behind is a hidden temporary beside the diary, never the diary, and
    // in the backup folder a temporary or a whole backup. The lock file stays for good.
    const std::regex temp(R"(\.diary\.vam\.vamo-[A-Za-z0-9]{6})");
    const std::regex backupTemp(R"(\.diary\.vam\.[0-9a-f]{8}\.[-0-9]+\.vam\.vamo-[A-Za-z0-9]{6})");
    int leftovers = 0;
    for (const std::string& name : FolderNames(dir.path())) {
        if (name == "diary.vam" || name == ".diary.vam.lock" || name == "zalohy") continue;
        EXPECT_TRUE(std::regex_match(name, temp)) << "unexpected file " << name;
        ++leftovers;
    }
    int backupLeftovers = 0;
    const std::vector<diary::BackupEntry> listed = diary::ListBackups(path, backups.path());
    for (const std::string& name : FolderNames(backups.path())) {
        if (std::regex_match(name, backupTemp)) ++backupLeftovers;
    }
    EXPECT_EQ(FolderNames(backups.path()).size(), listed.size() + backupLeftovers)
        << "a file in the backup folder that is neither a backup nor a temporary";
    EXPECT_FALSE(listed.empty());
    for (const diary::BackupEntry& backup : listed) {
        EXPECT_TRUE(backup.rides.has_value()) << backup.path;
        EXPECT_TRUE(states.count(ReadFileBytes(backup.path)) == 1)
            << backup.path << " is no state the diary was ever in";
    }

    // The next save goes through beside them and, once they are old enough to be judged
    // abandoned, removes them; so does the next day's backup in its folder.
    SleepMicroseconds((diary::kAbandonedTempSeconds + 1) * 1e6);
    std::mt19937_64 rng(7);
    const DiaryRecord last = RandomRecord(rng);
    const auto saveStart = std::chrono::steady_clock::now();
    diary::KeepDailyBackup(path, backups.path(), DayOf(next + 100));
    testsupport::WriteRide(path, std::to_string(state.size() + 1), last);
    const double saveSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - saveStart).count();
    state.push_back(last);
    EXPECT_EQ(ReadFileBytes(path), ExpectedBytes(state));
    // The lock file stays beside the diary for good.
    const std::vector<std::string> expectedNames =
        backups.copies() ? std::vector<std::string>{".diary.vam.lock", "diary.vam"}
                         : std::vector<std::string>{".diary.vam.lock", "diary.vam", "zalohy"};
    EXPECT_EQ(FolderNames(dir.path()), expectedNames);
    const std::vector<diary::BackupEntry> after = diary::ListBackups(path, backups.path());
    EXPECT_EQ(FolderNames(backups.path()).size(), after.size()) << "temporaries left";
    EXPECT_LE(after.size(), diary::kBackupsKept);

    EXPECT_GE(kills, 200);
    // Without progress the kills would prove nothing about saves.
    EXPECT_GE(opsDone, static_cast<std::uint64_t>(kills) / 2);
    RecordProperty("kills", kills);
    RecordProperty("ops_done", static_cast<int>(opsDone));
    RecordProperty("landed_after_save", landedAfterSave);
    RecordProperty("temp_leftovers", leftovers);
    RecordProperty("backup_temp_leftovers", backupLeftovers);
    std::printf(
        "kills %d in %.1f s, saves completed %llu, kills between a save and its report %d, "
        "temporaries left by kills %d beside the diary and %d beside the backups (%s), "
        "backups listed %zu; after one more save (%.1f ms): temporaries %zu, backups %zu\n",
        kills, killSeconds, static_cast<unsigned long long>(opsDone), landedAfterSave, leftovers,
        backupLeftovers, backups.copies() ? "copies" : "hard links", listed.size(),
        saveSeconds * 1000, FolderNames(dir.path()).size() - expectedNames.size(), after.size());
}

}  // namespace

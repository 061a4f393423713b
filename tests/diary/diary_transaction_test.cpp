// Two programs on one diary: whatever order their changes come in, the file keeps every ride
// either side saved under keys 1..n, and a change made from a list that no longer matches the
// file is refused, never applied to another ride.

#include "diary/diary_transaction.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "TempDir.h"
#include "diary/backup.h"
#include "diary/bikes.h"
#include "diary/diary_file.h"
#include "diary/profile.h"

namespace {

using diary::ChangeResult;
using diary::ChangeStatus;
using diary::DiaryRecord;
using diary::RecordRow;
using testsupport::ReadFileBytes;
using testsupport::TempDir;

DiaryRecord NotedRide(const std::string& note, const std::string& via = "") {
    DiaryRecord r;
    r[diary::Field::Date] = "12.5.2001";
    r[diary::Field::From] = "Doma";
    r[diary::Field::Via] = via;
    r[diary::Field::DistanceKm] = "35";
    r[diary::Field::Note] = note;
    return r;
}

std::vector<std::string> Notes(const std::vector<RecordRow>& rows) {
    std::vector<std::string> notes;
    for (const RecordRow& row : rows) notes.emplace_back(row.Get(diary::Field::Note));
    return notes;
}

// Every key line of the section belongs to the run 1..n the readers see: nothing hidden behind
// a gap, no number twice, and every line a whole record.
void ExpectWholeRun(const std::string& path) {
    const std::string bytes = ReadFileBytes(path);
    const auto rows = diary::ReadDiaryRows(path);
    const diary::Profile profile(bytes);
    const auto lines = profile.Entries("Data");
    ASSERT_EQ(lines.size(), rows.size()) << "key lines outside the run 1.." << rows.size();
    for (const auto& line : lines) {
        EXPECT_EQ(std::count(line.value.begin(), line.value.end(), diary::kSeparator),
                  diary::kRequiredFieldCount)
            << "key " << line.key << ": " << line.value;
    }
}

enum class Kind { Add, Edit, Delete };

struct Op {
    Kind kind;
    int row;           // 1-based row of the list the change is made from (Edit, Delete)
    const char* note;  // the ride's note after the change (Add, Edit)
};

ChangeResult Perform(const std::string& path, const std::vector<RecordRow>& list, const Op& op) {
    switch (op.kind) {
        case Kind::Add:
            return diary::AddRecord(path, NotedRide(op.note));
        case Kind::Edit:
            return diary::EditRecord(path, list.at(op.row - 1), NotedRide(op.note, "upraveno"));
        case Kind::Delete:
            break;
    }
    return diary::DeleteRecord(path, list.at(op.row - 1));
}

struct Interleaving {
    const char* name;
    Op first;   // program A, from its list
    Op second;  // program B, from a list read before A's change
    ChangeStatus status;
    std::uint64_t number;
    std::vector<std::string> notes;  // the diary afterwards, in key order
};

void PrintTo(const Interleaving& c, std::ostream* os) { *os << c.name; }

class TwoPrograms : public testing::TestWithParam<Interleaving> {};

TEST_P(TwoPrograms, KeepEveryRideAndRefuseStaleChanges) {
    const Interleaving& c = GetParam();
    TempDir dir;
    const std::string path = dir.File("rides.vam");
    diary::SaveDiary(path,
                     std::vector<DiaryRecord>{NotedRide("r1"), NotedRide("r2"), NotedRide("r3"),
                                              NotedRide("r4"), NotedRide("r5")});
    const std::vector<RecordRow> listA = diary::ReadDiaryRows(path);
    const std::vector<RecordRow> listB = diary::ReadDiaryRows(path);

    const ChangeResult a = Perform(path, listA, c.first);
    ASSERT_TRUE(a.applied()) << a.Message();
    const std::string afterA = ReadFileBytes(path);

    const ChangeResult b = Perform(path, listB, c.second);
    EXPECT_EQ(b.status, c.status);
    EXPECT_EQ(b.number, c.number);
    if (!b.applied()) {
        EXPECT_EQ(ReadFileBytes(path), afterA) << "a refused change wrote";
        EXPECT_NE(b.Message().find("Údaj č. " + std::to_string(c.number) + " "), std::string::npos)
            << b.Message();
    }
    EXPECT_EQ(Notes(diary::ReadDiaryRows(path)), c.notes);
    EXPECT_EQ(Notes(b.Rows()), c.notes) << "the rows handed back are not the file";
    ExpectWholeRun(path);
}

constexpr Kind kAdd = Kind::Add;
constexpr Kind kEdit = Kind::Edit;
constexpr Kind kDelete = Kind::Delete;
constexpr ChangeStatus kApplied = ChangeStatus::Applied;
constexpr ChangeStatus kChanged = ChangeStatus::Changed;
constexpr ChangeStatus kGone = ChangeStatus::Gone;

INSTANTIATE_TEST_SUITE_P(Table, TwoPrograms,
                         testing::Values(Interleaving{"BothAdd",
                                                      {kAdd, 0, "a"},
                                                      {kAdd, 0, "b"},
                                                      kApplied,
                                                      7,
                                                      {"r1", "r2", "r3", "r4", "r5", "a", "b"}},
                                         Interleaving{"DeleteThenEditOfMovedRide",
                                                      {kDelete, 2, ""},
                                                      {kEdit, 4, "b"},
                                                      kChanged,
                                                      4,
                                                      {"r1", "r3", "r4", "r5"}},
                                         Interleaving{"DeleteThenAdd",
                                                      {kDelete, 2, ""},
                                                      {kAdd, 0, "b"},
                                                      kApplied,
                                                      5,
                                                      {"r1", "r3", "r4", "r5", "b"}},
                                         Interleaving{"DeleteThenDeleteOfMovedRide",
                                                      {kDelete, 2, ""},
                                                      {kDelete, 4, ""},
                                                      kChanged,
                                                      4,
                                                      {"r1", "r3", "r4", "r5"}},
                                         Interleaving{"DeleteLastThenEditIt",
                                                      {kDelete, 5, ""},
                                                      {kEdit, 5, "b"},
                                                      kGone,
                                                      5,
                                                      {"r1", "r2", "r3", "r4"}},
                                         Interleaving{"DeleteLastThenDeleteIt",
                                                      {kDelete, 5, ""},
                                                      {kDelete, 5, ""},
                                                      kGone,
                                                      5,
                                                      {"r1", "r2", "r3", "r4"}},
                                         Interleaving{"BothEditOneRide",
                                                      {kEdit, 3, "a"},
                                                      {kEdit, 3, "b"},
                                                      kChanged,
                                                      3,
                                                      {"r1", "r2", "a", "r4", "r5"}},
                                         Interleaving{"EditThenDeleteOfThatRide",
                                                      {kEdit, 3, "a"},
                                                      {kDelete, 3, ""},
                                                      kChanged,
                                                      3,
                                                      {"r1", "r2", "a", "r4", "r5"}},
                                         Interleaving{"AddThenEditOfOtherRide",
                                                      {kAdd, 0, "a"},
                                                      {kEdit, 2, "b"},
                                                      kApplied,
                                                      2,
                                                      {"r1", "b", "r3", "r4", "r5", "a"}},
                                         Interleaving{"DeleteThenEditOfEarlierRide",
                                                      {kDelete, 4, ""},
                                                      {kEdit, 2, "b"},
                                                      kApplied,
                                                      2,
                                                      {"r1", "b", "r3", "r5"}},
                                         Interleaving{"EditThenDeleteOfOtherRide",
                                                      {kEdit, 5, "a"},
                                                      {kDelete, 2, ""},
                                                      kApplied,
                                                      2,
                                                      {"r1", "r3", "r4", "a"}}),
                         [](const testing::TestParamInfo<Interleaving>& info) {
                             return std::string(info.param.name);
                         });

// A ride whose bike alone changed since the list was read is another ride now: a stale edit
// would put the old bike back, a stale delete would remove a ride the user never saw.
// Refused, the day's first change still keeps the diary as it found it under the lock.
TEST(StaleList, EditOrDeleteIsRefusedWhenOnlyTheBikeChanged) {
    using Backup = const diary::DailyBackup*;
    const struct {
        const char* name;
        std::function<ChangeResult(const std::string&, const RecordRow&, Backup)> change;
    } cases[] = {
        {"Edit",
         [](const std::string& path, const RecordRow& row, Backup backup) {
             return diary::EditRecord(path, row, NotedRide("b"), diary::kLockTimeout, nullptr,
                                      backup);
         }},
        {"Delete",
         [](const std::string& path, const RecordRow& row, Backup backup) {
             return diary::DeleteRecord(path, row, diary::kLockTimeout, nullptr, backup);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string path = dir.File("rides.vam");
        DiaryRecord onBike = NotedRide("r2");
        onBike[diary::Field::Bike] = "Favorit";
        diary::SaveDiary(path, std::vector<DiaryRecord>{NotedRide("r1"), onBike, NotedRide("r3")});
        const std::vector<RecordRow> list = diary::ReadDiaryRows(path);
        ASSERT_EQ(diary::RenameBikeInDiary(path, "Favorit", "Author").rides, 1u);
        const std::string renamed = ReadFileBytes(path);

        const diary::DailyBackup backup{dir.File("zalohy"), {2026, 12, 9}};
        const ChangeResult result = c.change(path, list.at(1), &backup);
        EXPECT_EQ(result.status, kChanged);
        EXPECT_EQ(ReadFileBytes(path), renamed);
        const auto kept = diary::ListBackups(path, backup.folder);
        ASSERT_EQ(kept.size(), 1u);
        EXPECT_EQ(ReadFileBytes(kept[0].path), renamed);
    }
}

struct AddCase {
    const char* name;
    std::string bytes;  // empty: no file
    std::uint64_t number;
};

void PrintTo(const AddCase& c, std::ostream* os) { *os << c.name; }

class AddRecord : public testing::TestWithParam<AddCase> {};

TEST_P(AddRecord, TakesTheFirstNumberAfterTheRun) {
    TempDir dir;
    const std::string path = dir.File("rides.vam");
    if (!GetParam().bytes.empty()) testsupport::WriteFileBytes(path, GetParam().bytes);
    const ChangeResult added = diary::AddRecord(path, NotedRide("new"));
    EXPECT_EQ(added.number, GetParam().number);
    const std::string bytes = ReadFileBytes(path);
    const auto found = diary::RecordLineAt(bytes, std::to_string(added.number));
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(diary::RecordRow::FromLine(found->name, found->value).Get(diary::Field::Note), "new");
}

INSTANTIATE_TEST_SUITE_P(
    Table, AddRecord,
    testing::Values(AddCase{"NoFile", "", 1}, AddCase{"NoSection", "[x]\r\na=b\r\n", 1},
                    AddCase{"InOrder", "[Data]\r\n1=a\xA7\r\n2=b\xA7\r\n", 3},
                    AddCase{"OutOfOrder", "[Data]\r\n2=b\xA7\r\n1=a\xA7\r\n", 3},
                    // The gap was left by an older program; the new ride closes it.
                    AddCase{"Gap", "[Data]\r\n1=a\xA7\r\n2=b\xA7\r\n4=d\xA7\r\n", 3}),
    [](const testing::TestParamInfo<AddCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------
// Four programs at once, each adding rides and editing and deleting others', re-reading the
// file before each edit or delete as a window does after a refusal.

constexpr int kPrograms = 4;
constexpr int kAddsEach = 200;

std::string NoteOf(int program, int ride) {
    return "p" + std::to_string(program) + "-" + std::to_string(ride);
}

// Returns the notes of the rides this program deleted, one a line, in `out`.
[[noreturn]] void Program(const std::string& path, int program, const std::string& out) {
    std::mt19937 rng(static_cast<unsigned>(program) * 7919u + 1u);
    // Generous: four programs saving with fsync on a busy machine must never give up here.
    const std::chrono::seconds wait(60);
    std::ofstream deleted(out);
    try {
        for (int ride = 0; ride < kAddsEach; ++ride) {
            if (!diary::AddRecord(path, NotedRide(NoteOf(program, ride)), wait).applied()) _exit(2);
            const unsigned roll = rng() % 100;
            if (roll >= 45) continue;
            const std::vector<RecordRow> rows = diary::ReadDiaryRows(path);
            if (rows.empty()) continue;
            const RecordRow& row = rows[rng() % rows.size()];
            if (roll < 30) {
                const std::string note(row.Get(diary::Field::Note));
                const std::string via = "p" + std::to_string(program);
                (void)diary::EditRecord(path, row, NotedRide(note, via), wait);
            } else if (diary::DeleteRecord(path, row, wait).applied()) {
                deleted << row.Get(diary::Field::Note) << '\n';
            }
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "program %d: %s\n", program, e.what());
        _exit(1);
    }
    deleted.close();
    _exit(deleted ? 0 : 3);
}

TEST(FourPrograms, KeepExactlyTheRidesAddedAndNotDeleted) {
    TempDir dir;
    const std::string path = dir.File("rides.vam");
    const auto start = std::chrono::steady_clock::now();
    std::vector<pid_t> pids;
    for (int p = 0; p < kPrograms; ++p) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) Program(path, p, dir.File("deleted-" + std::to_string(p)));
        pids.push_back(pid);
    }
    for (const pid_t pid : pids) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;

    std::vector<std::string> deleted;
    for (int p = 0; p < kPrograms; ++p) {
        std::ifstream in(dir.File("deleted-" + std::to_string(p)));
        for (std::string note; std::getline(in, note);) deleted.push_back(note);
    }
    std::sort(deleted.begin(), deleted.end());
    std::vector<std::string> expected;
    for (int p = 0; p < kPrograms; ++p) {
        for (int ride = 0; ride < kAddsEach; ++ride) {
            const std::string note = NoteOf(p, ride);
            if (!std::binary_search(deleted.begin(), deleted.end(), note)) {
                expected.push_back(note);
            }
        }
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(std::adjacent_find(deleted.begin(), deleted.end()), deleted.end())
        << "a ride was deleted twice";

    std::vector<std::string> notes = Notes(diary::ReadDiaryRows(path));
    std::sort(notes.begin(), notes.end());
    EXPECT_EQ(notes, expected);
    ExpectWholeRun(path);
    // The time is nearly all fsync, one save after the other: seconds on a quiet disk, more
    // when the machine is busy, so it is shown rather than held against a limit.
    std::printf("%d programs, %d rides added, %zu deleted, %zu left, %.1f s\n", kPrograms,
                kPrograms * kAddsEach, deleted.size(), notes.size(), took.count());
}

}  // namespace

// The core's share of every figure: open, sort, search, statistics and a saved edit, each
// beside its floor, on generated diaries of 1,000, 10,000 and 100,000 rides.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "bench_util.h"
#include "diary/atomic_file.h"
#include "diary/backup.h"
#include "diary/diary_file.h"
#include "diary/diary_transaction.h"
#include "diary/errors.h"
#include "diary/overview.h"
#include "diary/record_table.h"
#include "diary/regional.h"
#include "diary/search.h"
#include "diary/statistics.h"
#include "diary/sync_merge.h"
#include "generator.h"

namespace {

std::size_t Rides(const benchmark::State& state) {
    return static_cast<std::size_t>(state.range(0));
}

void SetFileCounters(benchmark::State& state, const std::string& path) {
    state.counters["file_bytes"] = static_cast<double>(std::filesystem::file_size(path));
}

void BM_FloorReadSplit(benchmark::State& state) {
    const std::string& path = bench::DiaryPath(Rides(state));
    for (auto _ : state) benchmark::DoNotOptimize(bench::ReadAndSplit(path));
    SetFileCounters(state, path);
}

// The file to the table the list holds: its rows, and the values the statistics and the
// overview read.
diary::RecordTable OpenTable(const std::string& path) {
    diary::RecordTable table;
    table.Assign(diary::ReadDiaryRows(path), diary::RegionalSettings::Czech());
    return table;
}

void OpenRows(benchmark::State& state, bool withBikes) {
    const std::string& path = bench::DiaryPath(Rides(state), withBikes);
    for (auto _ : state) {
        auto table = OpenTable(path);
        benchmark::DoNotOptimize(&table);
    }
    const std::size_t before = bench::HeapInUse();
    auto table = OpenTable(path);
    state.counters["heap_bytes"] = static_cast<double>(bench::HeapInUse() - before);
    SetFileCounters(state, path);
}
void BM_OpenRows(benchmark::State& state) { OpenRows(state, false); }
void BM_OpenRowsBikes(benchmark::State& state) { OpenRows(state, true); }

// A copy of `original` as opened, made and the last one let go outside the measured time: the
// sort, statistics and overview figures each pay for reading any values the open did not read,
// as their first use after opening does.
void FreshCopy(benchmark::State& state, std::optional<diary::RecordTable>& table,
               const diary::RecordTable& original) {
    state.PauseTiming();
    table.reset();
    table.emplace(original);
    state.ResumeTiming();
}

void Sort(benchmark::State& state, int column) {
    const std::string& path = bench::DiaryPath(Rides(state));
    const diary::RecordTable original = OpenTable(path);
    const auto regional = diary::RegionalSettings::Czech();
    std::optional<diary::RecordTable> table;
    for (auto _ : state) {
        FreshCopy(state, table, original);
        table->SortByColumn(column, regional);
        benchmark::DoNotOptimize(&(*table)[0]);
    }
}
void BM_SortNumber(benchmark::State& state) { Sort(state, 0); }
void BM_SortDate(benchmark::State& state) { Sort(state, 1); }
void BM_SortText(benchmark::State& state) { Sort(state, 2); }
void BM_SortDecimal(benchmark::State& state) { Sort(state, 6); }

void BM_Search(benchmark::State& state) {
    const std::string& path = bench::DiaryPath(Rides(state));
    diary::SearchConditions conditions;
    conditions.any = false;
    conditions.enabled[0] = true;  // Datum
    conditions.lower[0] = "1.1.1997";
    conditions.upper[0] = "31.12.2030";
    conditions.enabled[1] = true;  // Odkud
    conditions.lower[1] = "Doma";
    conditions.enabled[6] = true;  // Ujeto
    conditions.lower[6] = "20";
    conditions.upper[6] = "120,5";
    const auto regional = diary::RegionalSettings::Czech();
    // The file read, as when the main list does not hold it; each result replaces the one
    // before, as in the search window's list.
    std::vector<diary::RecordRow> rows;
    for (auto _ : state) {
        rows = diary::SearchDiary(path, conditions, regional);
        benchmark::DoNotOptimize(rows.data());
    }
    state.counters["found"] = static_cast<double>(rows.size());
}

// No condition ticked under "A": every ride is a hit, the search window's heaviest case.
// "Vyhledat" while the main list holds the file: the list's rows are searched, each value read
// once (the copy of the list as opened is made untimed, so the figure pays for reading those
// the open did not read).
void BM_SearchEveryHit(benchmark::State& state) {
    const std::string& path = bench::DiaryPath(Rides(state));
    const diary::RecordTable original = OpenTable(path);
    const diary::SearchQuery query(diary::SearchConditions{}, diary::RegionalSettings::Czech());
    std::optional<diary::RecordTable> table;
    // Each result replaces the one before, as in the search window's list.
    std::vector<diary::RecordRow> rows;
    for (auto _ : state) {
        FreshCopy(state, table, original);
        rows = query.Rides(*table);
        benchmark::DoNotOptimize(rows.data());
    }
    state.counters["found"] = static_cast<double>(rows.size());
}

void BM_Statistics(benchmark::State& state) {
    const std::string& path = bench::DiaryPath(Rides(state));
    const diary::RecordTable original = OpenTable(path);
    const auto regional = diary::RegionalSettings::Czech();
    std::optional<diary::RecordTable> table;
    for (auto _ : state) {
        FreshCopy(state, table, original);
        auto figures = diary::ComputeStatistics(*table, regional);
        benchmark::DoNotOptimize(figures.totalTime.data());
    }
}

// Everything the overview window shows, from the rows of the list: each row read once and tallied
// once, then the totals of the three kinds of period, the four charts and the personal records.
void BM_Overview(benchmark::State& state) {
    const std::string& path = bench::DiaryPath(Rides(state));
    const diary::RecordTable original = OpenTable(path);
    const auto regional = diary::RegionalSettings::Czech();
    const auto today = *diary::ReadRides(diary::RecordTable(original.Rows()), regional).LastDate();
    std::optional<diary::RecordTable> table;
    for (auto _ : state) {
        FreshCopy(state, table, original);
        const diary::Overview overview(*table, regional);
        for (auto kind :
             {diary::PeriodKind::Year, diary::PeriodKind::Month, diary::PeriodKind::Week})
            benchmark::DoNotOptimize(overview.TotalsBy(kind).data());
        benchmark::DoNotOptimize(overview.KmByMonth(today.year).data());
        benchmark::DoNotOptimize(overview.KmByMonth(today.year - 1).data());
        benchmark::DoNotOptimize(overview.CumulativeKmByYear(today).data());
        benchmark::DoNotOptimize(overview.KmByWeek(today).data());
        benchmark::DoNotOptimize(overview.YearCalendar(today.year).data());
        auto records = overview.Records();
        benchmark::DoNotOptimize(&records);
    }
}

// The share of the overview that reads the rows.
void BM_OverviewRead(benchmark::State& state) {
    const std::string& path = bench::DiaryPath(Rides(state));
    const diary::RecordTable original = OpenTable(path);
    const auto regional = diary::RegionalSettings::Czech();
    std::optional<diary::RecordTable> table;
    for (auto _ : state) {
        FreshCopy(state, table, original);
        const diary::Rides rides = diary::ReadRides(*table, regional);
        benchmark::DoNotOptimize(rides.all().data());
    }
}

// A copy of the diary per benchmark, so that saves do not disturb the other measurements.
std::string ScratchCopy(std::size_t rides, const char* name) {
    const std::string copy = bench::RunFolder() + "/" + name + "-" + std::to_string(rides) + ".vam";
    std::filesystem::copy_file(bench::DiaryPath(rides), copy,
                               std::filesystem::copy_options::overwrite_existing);
    return copy;
}

// The edit of the record commands: under the lock, checked against the file, saved. `reload`
// adds what the list needs next: the rows from the bytes the edit saved, or from a second read.
enum class Reload { None, FromResult, ReadAgain };

void SaveEditLocked(benchmark::State& state, Reload reload) {
    const std::string path = ScratchCopy(Rides(state), "locked");
    const auto rows = diary::ReadDiaryRows(path);
    diary::DiaryRecord record = rows[rows.size() / 2].ToRecord();
    diary::RecordRow expected(record);
    int round = 0;
    for (auto _ : state) {
        record[diary::Field::Note] = "upraveno " + std::to_string(++round);
        const diary::ChangeResult result = diary::EditRecord(path, expected, record);
        if (!result.applied()) state.SkipWithError("the edit was refused");
        if (reload == Reload::FromResult) benchmark::DoNotOptimize(result.Rows().data());
        if (reload == Reload::ReadAgain)
            benchmark::DoNotOptimize(diary::ReadDiaryRows(path).data());
        expected = diary::RecordRow(record);
    }
    SetFileCounters(state, path);
}
void BM_SaveEditLocked(benchmark::State& state) { SaveEditLocked(state, Reload::None); }
void BM_SaveEditRows(benchmark::State& state) { SaveEditLocked(state, Reload::FromResult); }
void BM_SaveEditReread(benchmark::State& state) { SaveEditLocked(state, Reload::ReadAgain); }

void BM_FloorSave(benchmark::State& state) {
    const std::string path = ScratchCopy(Rides(state), "floor");
    const std::string bytes = *diary::ReadWholeFile(path);
    for (auto _ : state) bench::PlainAtomicWrite(path, bytes);
    SetFileCounters(state, path);
}

// The same floor with the folder fsync'ed after the rename, as every save of the program does so
// that the rename itself survives a crash: on this kind of disk it costs another flush.
void BM_FloorSaveFolder(benchmark::State& state) {
    const std::string path = ScratchCopy(Rides(state), "floor-folder");
    const std::string bytes = *diary::ReadWholeFile(path);
    const std::string folder = std::filesystem::path(path).parent_path().string();
    for (auto _ : state) {
        bench::PlainAtomicWrite(path, bytes);
        const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0 || ::fsync(fd) != 0) state.SkipWithError("cannot fsync the folder");
        if (fd >= 0) ::close(fd);
    }
    SetFileCounters(state, path);
}

// Peak resident memory that opening the diary adds, measured in a child process whose peak
// is reset just before the open, so that neither earlier benchmarks nor the parent count.
void BM_PeakMemory(benchmark::State& state) {
    const std::string& path = bench::DiaryPath(Rides(state));
    double added = 0;
    for (auto _ : state)
        added = static_cast<double>(bench::PeakBytesAddedBy([&] {
            // Left alive on purpose: the child ends right after, and the kernel only notes its
            // peak when memory is given back, so a freed table could go unseen.
            auto* table = new diary::RecordTable(OpenTable(path));
            benchmark::DoNotOptimize(&(*table)[0]);
        }));
    state.counters["peak_added_bytes"] = added;
    SetFileCounters(state, path);
}

// A 2 GB sparse file chosen as a diary: refused by its size, before anything is read.
void BM_RefuseHugeFile(benchmark::State& state) {
    const std::string path = bench::RunFolder() + "/huge.vam";
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0 || ::ftruncate(fd, off_t{2048} << 20) != 0) state.SkipWithError("no sparse file");
    if (fd >= 0) ::close(fd);
    for (auto _ : state) {
        try {
            benchmark::DoNotOptimize(diary::ReadDiaryRows(path));
            state.SkipWithError("a 2 GB file was read");
        } catch (const diary::ReadError& e) {
            benchmark::DoNotOptimize(e.what());
        }
    }
    std::filesystem::remove(path);
}

// `bytes` with the note of every ride whose place modulo 100 is `at` changed: one ride in a
// hundred, each a line of its own that still has its date.
std::string WithNotesChanged(std::string bytes, std::size_t at) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 1000);
    std::size_t ride = 0;
    for (std::size_t start = 0; start < bytes.size();) {
        std::size_t end = bytes.find("\r\n", start);
        end = end == std::string::npos ? bytes.size() : end + 2;
        std::string_view line(bytes.data() + start, end - start);
        const std::size_t last = line.rfind(diary::kSeparator);
        if (line.find('=') != std::string_view::npos && last != std::string_view::npos &&
            ride++ % 100 == at) {
            out.append(line.substr(0, last));
            out += " (upraveno)";
            out.append(line.substr(last));
        } else {
            out.append(line);
        }
        start = end;
    }
    return out;
}

// A sync tool's conflict copy merged: both sides changed one ride in a hundred since the
// backup they share. `withBytes`: the plan and the merged diary's bytes, all but its save (which
// is the save floor's); else the plan alone, what the preview waits for.
void MergeCopy(benchmark::State& state, bool withBytes) {
    const std::string folder = bench::RunFolder() + "/merge-" + std::to_string(Rides(state));
    std::filesystem::create_directories(folder);
    const std::string diaryPath = folder + "/d.vam";
    const std::string copyPath = folder + "/d.sync-conflict-20261209-101500-ABCDEF1.vam";
    const std::string backups = folder + "/zalohy";
    const std::string base = bench::MakeDiary(Rides(state));
    diary::AtomicWriteFile(diaryPath, WithNotesChanged(base, 7));
    diary::AtomicWriteFile(copyPath, WithNotesChanged(base, 53));
    (void)diary::KeepDailyBackupOf(base, diaryPath, backups, {2026, 12, 1});
    for (auto _ : state) {
        const diary::MergePlan plan = diary::PlanMerge(diaryPath, copyPath, backups);
        if (plan.changed != Rides(state) / 100 || !plan.conflicts.empty())
            state.SkipWithError("the merge did not find the changes");
        if (withBytes)
            benchmark::DoNotOptimize(diary::WithRideLines(*plan.diaryBytes, plan.Result({})));
    }
    SetFileCounters(state, diaryPath);
}
void BM_MergePlan(benchmark::State& state) { MergeCopy(state, false); }
void BM_MergeCopy(benchmark::State& state) { MergeCopy(state, true); }

void Sizes(benchmark::internal::Benchmark* b) {
    b->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_FloorReadSplit)->Apply(Sizes);
BENCHMARK(BM_OpenRows)->Apply(Sizes);
BENCHMARK(BM_OpenRowsBikes)->Apply(Sizes);
BENCHMARK(BM_SortNumber)->Apply(Sizes);
BENCHMARK(BM_SortDecimal)->Apply(Sizes);
BENCHMARK(BM_SortDate)->Apply(Sizes);
BENCHMARK(BM_SortText)->Apply(Sizes);
BENCHMARK(BM_Search)->Apply(Sizes);
BENCHMARK(BM_SearchEveryHit)->Apply(Sizes);
BENCHMARK(BM_Statistics)->Apply(Sizes);
BENCHMARK(BM_Overview)->Apply(Sizes);
BENCHMARK(BM_OverviewRead)->Apply(Sizes);
BENCHMARK(BM_SaveEditLocked)->Apply(Sizes);
BENCHMARK(BM_SaveEditRows)->Apply(Sizes);
BENCHMARK(BM_SaveEditReread)->Apply(Sizes);
BENCHMARK(BM_FloorSave)->Apply(Sizes);
BENCHMARK(BM_FloorSaveFolder)->Apply(Sizes);
BENCHMARK(BM_MergePlan)->Apply(Sizes);
BENCHMARK(BM_MergeCopy)->Apply(Sizes);
BENCHMARK(BM_PeakMemory)->Apply(Sizes)->Iterations(1);
BENCHMARK(BM_RefuseHugeFile)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

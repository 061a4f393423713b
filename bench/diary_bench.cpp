// The core's share of every figure: open, sort, search, statistics and a saved edit, each
// beside its floor, on generated diaries of 1,000, 10,000 and 100,000 rides.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "bench_util.h"
#include "diary/atomic_file.h"
#include "diary/diary_file.h"
#include "diary/record_table.h"
#include "diary/regional.h"
#include "diary/search.h"
#include "diary/statistics.h"

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

void OpenRows(benchmark::State& state, bool withBikes) {
    const std::string& path = bench::DiaryPath(Rides(state), withBikes);
    for (auto _ : state) {
        auto rows = diary::ReadDiaryRows(path);
        benchmark::DoNotOptimize(rows.data());
    }
    const std::size_t before = bench::HeapInUse();
    auto rows = diary::ReadDiaryRows(path);
    state.counters["heap_bytes"] = static_cast<double>(bench::HeapInUse() - before);
    SetFileCounters(state, path);
}
void BM_OpenRows(benchmark::State& state) { OpenRows(state, false); }
void BM_OpenRowsBikes(benchmark::State& state) { OpenRows(state, true); }

void Sort(benchmark::State& state, int column) {
    const std::string& path = bench::DiaryPath(Rides(state));
    const diary::RecordTable original(diary::ReadDiaryRows(path));
    const auto regional = diary::RegionalSettings::Czech();
    for (auto _ : state) {
        state.PauseTiming();
        diary::RecordTable table = original;
        state.ResumeTiming();
        table.SortByColumn(column, regional);
        benchmark::DoNotOptimize(table.rows().data());
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
    std::size_t found = 0;
    for (auto _ : state) {
        auto rows = diary::SearchDiary(path, conditions, regional);
        found = rows.size();
        benchmark::DoNotOptimize(rows.data());
    }
    state.counters["found"] = static_cast<double>(found);
}

void BM_Statistics(benchmark::State& state) {
    const std::string& path = bench::DiaryPath(Rides(state));
    const diary::RecordTable table(diary::ReadDiaryRows(path));
    const auto regional = diary::RegionalSettings::Czech();
    for (auto _ : state) {
        auto figures = diary::ComputeStatistics(table, regional);
        benchmark::DoNotOptimize(figures.data());
    }
}

// A copy of the diary per benchmark, so that saves do not disturb the other measurements.
std::string ScratchCopy(std::size_t rides, const char* name) {
    const std::string copy = bench::RunFolder() + "/" + name + "-" + std::to_string(rides) + ".vam";
    std::filesystem::copy_file(bench::DiaryPath(rides), copy,
                               std::filesystem::copy_options::overwrite_existing);
    return copy;
}

void BM_SaveEdit(benchmark::State& state) {
    const std::string path = ScratchCopy(Rides(state), "save");
    const auto records = diary::ReadDiary(path);
    const std::size_t middle = records.size() / 2;
    diary::DiaryRecord record = records[middle];
    const std::string number = record.number;
    int round = 0;
    for (auto _ : state) {
        record[diary::Field::Note] = "upraveno " + std::to_string(++round);
        diary::WriteRecord(path, number, record);
    }
    SetFileCounters(state, path);
}

void BM_FloorSave(benchmark::State& state) {
    const std::string path = ScratchCopy(Rides(state), "floor");
    const std::string bytes = *diary::ReadWholeFile(path);
    for (auto _ : state) bench::PlainAtomicWrite(path, bytes);
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
            auto* table = new diary::RecordTable(diary::ReadDiaryRows(path));
            benchmark::DoNotOptimize(table->rows().data());
        }));
    state.counters["peak_added_bytes"] = added;
    SetFileCounters(state, path);
}

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
BENCHMARK(BM_Statistics)->Apply(Sizes);
BENCHMARK(BM_SaveEdit)->Apply(Sizes);
BENCHMARK(BM_FloorSave)->Apply(Sizes);
BENCHMARK(BM_PeakMemory)->Apply(Sizes)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();

// Rides from GPS tracks and the CSV export, each beside its floor: a GPX file read against
// pugixml's own parse of it, a FIT file against reading its bytes and checksumming them, a
// service's export of 2,000 FIT activities against unpacking and checksumming it, the CSV of a
// diary against writing a file of the same size atomically. The argument is points
// for the tracks and rides for the export.

#include <archive.h>
#include <archive_entry.h>
#include <benchmark/benchmark.h>

#include <array>
#include <charconv>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <map>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "bench_util.h"
#include "diary/atomic_file.h"
#include "diary/csv_export.h"
#include "diary/diary_file.h"
#include "diary/regional.h"
#include "fit_builder.h"
#include "tracks/fit.h"
#include "tracks/ride_import.h"
#include "tracks/track_file.h"

namespace {

constexpr std::int64_t kStart = 1715985000;  // 2024-05-17T22:30:00Z

std::size_t Count(const benchmark::State& state) {
    return static_cast<std::size_t>(state.range(0));
}

void SetFileCounters(benchmark::State& state, const std::string& path) {
    state.counters["file_bytes"] = static_cast<double>(std::filesystem::file_size(path));
}

void AppendNumber(std::string& out, double v) {
    std::array<char, 32> buf{};
    const auto r =
        std::to_chars(buf.data(), buf.data() + buf.size(), v, std::chars_format::fixed, 7);
    out.append(buf.data(), r.ptr);
}

// A winding ride, one point a second, with a stop of a minute every 500 points.
struct Point {
    std::int64_t t;
    double lat, lon, distance, speed;
};
std::vector<Point> Ride(std::size_t points) {
    std::vector<Point> ride;
    ride.reserve(points);
    double lat = 50, lon = 14.4, distance = 0;
    std::int64_t t = kStart;
    for (std::size_t i = 0; i < points; ++i) {
        const bool stopped = i % 500 >= 440;
        const double speed = stopped ? 0 : 5 + 2 * std::sin(static_cast<double>(i) / 37);
        lat += speed / 111229 * std::cos(static_cast<double>(i) / 300);
        lon += speed / 71700 * std::sin(static_cast<double>(i) / 300);
        distance += speed;
        ride.push_back({t++, lat, lon, distance, speed});
    }
    return ride;
}

std::string IsoTime(std::int64_t t) {
    const auto seconds = static_cast<std::time_t>(t);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    std::array<char, 32> buf{};
    std::strftime(buf.data(), buf.size(), "%Y-%m-%dT%H:%M:%SZ", &utc);
    return buf.data();
}

const std::string& GpxPath(std::size_t points) {
    static std::map<std::size_t, std::string> paths;
    auto it = paths.find(points);
    if (it != paths.end()) return it->second;
    std::string gpx =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<gpx version=\"1.1\" creator=\"bench\" "
        "xmlns=\"http://www.topografix.com/GPX/1/1\">\n<trk><name>Okruh</name><trkseg>\n";
    for (const Point& p : Ride(points)) {
        gpx += "<trkpt lat=\"";
        AppendNumber(gpx, p.lat);
        gpx += "\" lon=\"";
        AppendNumber(gpx, p.lon);
        gpx += "\"><ele>250.5</ele><time>" + IsoTime(p.t) + "</time></trkpt>\n";
    }
    gpx += "</trkseg></trk></gpx>\n";
    const std::string path = bench::RunFolder() + "/ride-" + std::to_string(points) + ".gpx";
    diary::AtomicWriteFile(path, gpx);
    return paths.emplace(points, path).first->second;
}

// Records as an Edge-like device writes them: time, position, distance, speed, altitude,
// heart rate and cadence; the ride starts `shift` seconds after kStart.
std::string FitBytes(const std::vector<Point>& ride, std::int64_t shift = 0) {
    fittest::FitBuilder b;
    b.Define(0, 0, {{0, 1, 0x00}, {4, 4, 0x86}});
    b.Data(0, {4, fittest::FitTime(kStart + shift)});
    b.Define(1, 20,
             {{253, 4, 0x86},
              {0, 4, 0x85},
              {1, 4, 0x85},
              {5, 4, 0x86},
              {73, 4, 0x86},
              {78, 4, 0x86},
              {3, 1, 0x02},
              {4, 1, 0x02}});
    for (const Point& p : ride) {
        b.Data(1, {fittest::FitTime(p.t + shift),
                   static_cast<std::uint32_t>(fittest::Semicircles(p.lat)),
                   static_cast<std::uint32_t>(fittest::Semicircles(p.lon)),
                   static_cast<std::uint64_t>(std::llround(p.distance * 100)),
                   static_cast<std::uint64_t>(std::llround(p.speed * 1000)), 3752, 130, 85});
    }
    return b.File();
}

const std::string& FitPath(std::size_t points) {
    static std::map<std::size_t, std::string> paths;
    auto it = paths.find(points);
    if (it != paths.end()) return it->second;
    const std::string path = bench::RunFolder() + "/ride-" + std::to_string(points) + ".fit";
    diary::AtomicWriteFile(path, FitBytes(Ride(points)));
    return paths.emplace(points, path).first->second;
}

// A Garmin-like export: `count` FIT activities of an hour at one point a second, one a day,
// deflated in one zip.
const std::string& ExportPath(std::size_t count) {
    static std::map<std::size_t, std::string> paths;
    auto it = paths.find(count);
    if (it != paths.end()) return it->second;
    const std::string path = bench::RunFolder() + "/export-" + std::to_string(count) + ".zip";
    const std::vector<Point> ride = Ride(3600);
    archive* a = archive_write_new();
    archive_write_set_format_zip(a);
    archive_write_open_filename(a, path.c_str());
    for (std::size_t i = 0; i < count; ++i) {
        const std::string bytes = FitBytes(ride, static_cast<std::int64_t>(i) * 86400);
        archive_entry* entry = archive_entry_new();
        const std::string name = "DI_CONNECT/Uploaded/" + std::to_string(i) + "_ACTIVITY.fit";
        archive_entry_set_pathname(entry, name.c_str());
        archive_entry_set_size(entry, static_cast<la_int64_t>(bytes.size()));
        archive_entry_set_filetype(entry, AE_IFREG);
        archive_entry_set_perm(entry, 0644);
        archive_write_header(a, entry);
        archive_write_data(a, bytes.data(), bytes.size());
        archive_entry_free(entry);
    }
    archive_write_close(a);
    archive_write_free(a);
    return paths.emplace(count, path).first->second;
}

void BM_FloorXmlParse(benchmark::State& state) {
    const std::string& path = GpxPath(Count(state));
    for (auto _ : state) {
        const std::string bytes = *diary::ReadWholeFile(path);
        pugi::xml_document doc;
        benchmark::DoNotOptimize(doc.load_buffer(bytes.data(), bytes.size()).status);
    }
    SetFileCounters(state, path);
}

void BM_TrackGpx(benchmark::State& state) {
    const std::string& path = GpxPath(Count(state));
    for (auto _ : state) benchmark::DoNotOptimize(tracks::ReadTrackFile(path).distanceMetres);
    SetFileCounters(state, path);
}

// The floor of a FIT reader: its bytes read and the protocol's checksum run over each of them,
// which no reader that checks the file can skip.
void BM_FloorFitScan(benchmark::State& state) {
    const std::string& path = FitPath(Count(state));
    for (auto _ : state) {
        const std::string bytes = *diary::ReadWholeFile(path);
        benchmark::DoNotOptimize(tracks::FitCrc(bytes));
    }
    SetFileCounters(state, path);
}

// For scale: the bytes read and summed, which the compiler does sixteen at a time.
void BM_FloorFitRead(benchmark::State& state) {
    const std::string& path = FitPath(Count(state));
    for (auto _ : state) {
        const std::string bytes = *diary::ReadWholeFile(path);
        unsigned sum = 0;
        for (const char c : bytes) sum += static_cast<unsigned char>(c);
        benchmark::DoNotOptimize(sum);
    }
    SetFileCounters(state, path);
}

void BM_TrackFit(benchmark::State& state) {
    const std::string& path = FitPath(Count(state));
    for (auto _ : state) benchmark::DoNotOptimize(tracks::ReadTrackFile(path).distanceMetres);
    SetFileCounters(state, path);
}

// The floor of reading an export: every member unpacked and the FIT checksum run over it.
void BM_FloorExportScan(benchmark::State& state) {
    const std::string& path = ExportPath(Count(state));
    std::vector<char> block(std::size_t{64} << 10);
    for (auto _ : state) {
        archive* a = archive_read_new();
        archive_read_support_format_zip(a);
        archive_read_open_filename(a, path.c_str(), block.size());
        archive_entry* entry = nullptr;
        while (archive_read_next_header(a, &entry) == ARCHIVE_OK) {
            std::uint16_t crc = 0;
            la_ssize_t n = 0;
            while ((n = archive_read_data(a, block.data(), block.size())) > 0) {
                crc = tracks::FitCrc(std::string_view(block.data(), static_cast<std::size_t>(n)),
                                     crc);
            }
            benchmark::DoNotOptimize(crc);
        }
        archive_read_free(a);
    }
    SetFileCounters(state, path);
}

// The export read to the preview's candidates, the duplicates among them marked.
void BM_ImportExport(benchmark::State& state) {
    const std::string& path = ExportPath(Count(state));
    const auto read = [&path] {
        auto candidates = tracks::ReadExport({path});
        tracks::MarkDuplicates(candidates, {}, diary::RegionalSettings::Czech());
        return candidates.size();
    };
    for (auto _ : state) benchmark::DoNotOptimize(read());
    SetFileCounters(state, path);
    state.counters["peak_added_bytes"] =
        static_cast<double>(bench::PeakBytesAddedBy([&read] { benchmark::DoNotOptimize(read()); }));
}

void BM_CsvExport(benchmark::State& state) {
    const auto rows = diary::ReadDiaryRows(bench::DiaryPath(Count(state)));
    const auto columns = diary::ListCsvColumns();
    const std::string path = bench::RunFolder() + "/export.csv";
    for (auto _ : state) {
        diary::ExportCsv(path, columns, rows, diary::RegionalSettings::Czech());
    }
    SetFileCounters(state, path);
}

void BM_FloorSaveCsv(benchmark::State& state) {
    const auto rows = diary::ReadDiaryRows(bench::DiaryPath(Count(state)));
    const std::string bytes =
        diary::FormatCsv(diary::ListCsvColumns(), rows, diary::RegionalSettings::Czech());
    const std::string path = bench::RunFolder() + "/floor.csv";
    for (auto _ : state) bench::PlainAtomicWrite(path, bytes);
    SetFileCounters(state, path);
}

void Sizes(benchmark::internal::Benchmark* b) {
    b->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
}
BENCHMARK(BM_FloorXmlParse)->Apply(Sizes);
BENCHMARK(BM_TrackGpx)->Apply(Sizes);
BENCHMARK(BM_FloorFitScan)->Apply(Sizes);
BENCHMARK(BM_FloorFitRead)->Apply(Sizes);
BENCHMARK(BM_TrackFit)->Apply(Sizes);
BENCHMARK(BM_FloorExportScan)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportExport)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CsvExport)->Apply(Sizes);
BENCHMARK(BM_FloorSaveCsv)->Apply(Sizes);

}  // namespace

BENCHMARK_MAIN();

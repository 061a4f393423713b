// The Qt side of the figures: a diary opened into the list model, start-up to the main window
// shown, and the peer: QSettings reading the same "Data" section.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QSettings>
#include <QWidget>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "app/mainwindow.h"
#include "app/recordmodel.h"
#include "bench_util.h"
#include "diary/diary_file.h"
#include "diary/regional.h"
#include "diary/settings.h"

namespace {

std::size_t Rides(const benchmark::State& state) {
    return static_cast<std::size_t>(state.range(0));
}

void BM_OpenModel(benchmark::State& state) {
    const std::string& path = bench::DiaryPath(Rides(state));
    RecordModel model;
    for (auto _ : state) {
        model.Assign(diary::ReadDiaryRows(path));
        benchmark::DoNotOptimize(model.rowCount());
    }
    state.counters["rows"] = model.rowCount();
}

void BM_PeerQSettings(benchmark::State& state) {
    const QString path =
        QFile::decodeName(QByteArray::fromStdString(bench::DiaryPath(Rides(state))));
    std::size_t total = 0;
    for (auto _ : state) {
        QSettings settings(path, QSettings::IniFormat);
        settings.beginGroup(QStringLiteral("Data"));
        const QStringList keys = settings.childKeys();
        for (const QString& key : keys)
            total += static_cast<std::size_t>(settings.value(key).toByteArray().size());
        settings.endGroup();
    }
    benchmark::DoNotOptimize(total);
}

void BM_Startup(benchmark::State& state) {
    const std::string& diaryPath = bench::DiaryPath(Rides(state));
    const std::string folder = bench::RunFolder() + "/startup-" + std::to_string(Rides(state));
    std::filesystem::create_directories(folder);
    diary::WriteLastDiary(diary::SettingsPath(folder), diaryPath);
    const QString settingsFolder = QFile::decodeName(QByteArray::fromStdString(folder));
    for (auto _ : state) {
        auto main = std::make_unique<TMainForm>(settingsFolder, diary::RegionalSettings::Czech());
        main->show();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(main->model()->rowCount());
        state.PauseTiming();
        main.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}

void Sizes(benchmark::internal::Benchmark* b) {
    b->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_OpenModel)->Apply(Sizes);
BENCHMARK(BM_PeerQSettings)->Apply(Sizes);
BENCHMARK(BM_Startup)->Apply(Sizes);

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// The Qt side of the figures: a diary opened into the list model, start-up to the main window
// shown, and the peer: QSettings reading the same "Data" section. Then what a user waits for,
// through the real widgets: "Vyhledat" to the results shown, a header click to the list
// reordered, "Nový údaj" OK to the row shown and the file saved, "Smazat" to the list
// renumbered, "Statistika" to the window shown, "Přehled" to the window shown with its charts,
// "Cíle" to the window shown with every goal's figures,
// and a diary replaced by another program to the list reloaded, beside opening the same diary.

#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>
#include <QWidget>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/diarywatcher.h"
#include "app/mainwindow.h"
#include "app/msgbox.h"
#include "app/overviewwindow.h"
#include "app/recordmodel.h"
#include "app/searchwindow.h"
#include "bench_util.h"
#include "diary/diary_file.h"
#include "diary/goals.h"
#include "diary/settings.h"

namespace {

std::size_t Rides(const benchmark::State& state) {
    return static_cast<std::size_t>(state.range(0));
}

// As the window opens a diary: the list lets its rows go, then takes the diary's. Reading while
// the old rows still held their memory measured 3 ms more at 100,000 rides, in fresh pages.
void BM_OpenModel(benchmark::State& state) {
    const std::string& path = bench::DiaryPath(Rides(state));
    RecordModel model;
    for (auto _ : state) {
        model.Clear();
        model.Assign(diary::ReadDiaryRows(path), diary::RegionalSettings::Czech());
        benchmark::DoNotOptimize(model.rowCount());
    }
    state.counters["rows"] = model.rowCount();
}

// The floor again, in this program: the list's open is compared with it measured moments apart,
// not minutes apart in another program, on a machine whose speed drifts that much.
void BM_FloorBesideOpen(benchmark::State& state) {
    const std::string& path = bench::DiaryPath(Rides(state));
    for (auto _ : state) benchmark::DoNotOptimize(bench::ReadAndSplit(path));
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
    for (auto _ : state) {
        auto main = std::make_unique<TMainForm>(
            QFile::decodeName(QByteArray::fromStdString(folder)), diary::RegionalSettings::Czech());
        main->show();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(main->model());
        state.PauseTiming();
        main.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}

// Lets the widgets lay out and paint what the last step changed.
void Settle() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}

// A click where a user clicks: press and release at `at` in `widget`.
void Click(QWidget* widget, const QPoint& at) {
    const QPointF global = widget->mapToGlobal(QPointF(at));
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(at), global, Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &release);
}

template <typename T>
T* Named(QObject* root, const char* name) {
    T* found = root->findChild<T*>(QString::fromLatin1(name));
    if (found == nullptr) std::abort();
    return found;
}

QWidget* TopLevel(const char* name) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QLatin1String(name)) return w;
    }
    std::abort();
}

QWidget* ShownWindow(const char* name) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QLatin1String(name) && w->isVisible()) return w;
    }
    std::abort();
}

// The main window, shown, over a copy of the generated diary that the benchmark may change.
std::unique_ptr<TMainForm> MainOverCopy(std::size_t rides, const std::string& name,
                                        bool withBikes = false,
                                        const std::vector<diary::Goal>& goals = {}) {
    const std::string folder = bench::RunFolder() + "/" + name + "-" + std::to_string(rides);
    std::filesystem::create_directories(folder);
    const std::string diaryPath = folder + "/jizdy.vam";
    std::filesystem::copy_file(bench::DiaryPath(rides, withBikes), diaryPath,
                               std::filesystem::copy_options::overwrite_existing);
    if (!goals.empty()) diary::AddGoals(diaryPath, goals);
    diary::WriteLastDiary(diary::SettingsPath(folder), diaryPath);
    auto main = std::make_unique<TMainForm>(QFile::decodeName(QByteArray::fromStdString(folder)),
                                            diary::RegionalSettings::Czech());
    main->show();
    Settle();
    return main;
}

// "Vyhledat" with no condition ticked under "A": every ride is a hit and becomes a result row.
void BM_SearchWindow(benchmark::State& state) {
    const std::string& path = bench::DiaryPath(Rides(state));
    RecordModel list;
    list.Assign(diary::ReadDiaryRows(path), diary::RegionalSettings::Czech());
    TFindForm find(
        &list, diary::RegionalSettings::Czech(),
        TFindForm::Diary{[&path] { return QFile::decodeName(QByteArray::fromStdString(path)); },
                         [] { return true; }},
        TFindForm::Helpers{[](QWidget*) { return QDate(); },
                           [] { return std::optional<QString>(); }});
    find.show();
    Settle();
    auto* button = Named<QPushButton>(&find, "FindButton");
    const QAbstractItemModel* results = Named<QTreeView>(&find, "List")->model();
    for (auto _ : state) {
        Click(button, button->rect().center());
        Settle();
        benchmark::DoNotOptimize(results->rowCount());
    }
    state.counters["found"] = results->rowCount();
}

// A click on the "Ujeto" header, the slowest sort; the list goes back to number order
// untimed between clicks, so that every click reorders it.
void BM_HeaderClick(benchmark::State& state) {
    auto main = MainOverCopy(Rides(state), "header");
    QHeaderView* header = Named<QTreeView>(main.get(), "Seznam")->header();
    const auto clickSection = [header](int section) {
        Click(header->viewport(),
              QPoint(header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
                     header->height() / 2));
        Settle();
    };
    for (auto _ : state) {
        clickSection(6);
        state.PauseTiming();
        clickSection(0);
        state.ResumeTiming();
    }
}

// From the click on "OK" of a filled-in "Nový údaj" until the row is shown and its line saved.
void BM_NewRideOk(benchmark::State& state) {
    auto main = MainOverCopy(Rides(state), "new");
    QAction* novy = Named<QAction>(main.get(), "Novy1");
    for (auto _ : state) {
        QElapsedTimer clock;
        QTimer::singleShot(0, [&clock] {
            QWidget* form = QApplication::activeModalWidget();
            if (form == nullptr) std::abort();
            Named<QLineEdit>(form, "Dat")->setText(QStringLiteral("28.12.2026"));
            Named<QLineEdit>(form, "Odj")->setText(QStringLiteral("123456,7"));
            Named<QLineEdit>(form, "Pri")->setText(QStringLiteral("123501,9"));
            Named<QLineEdit>(form, "Cj")->setText(QStringLiteral("2 h 5 min"));
            auto* ok = Named<QPushButton>(form, "OKButton");
            clock.start();
            Click(ok, ok->rect().center());
        });
        novy->trigger();
        Settle();
        state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) * 1e-9);
    }
}

// "Smazat" of the first ride, answered "Yes" at once: every ride after it is renumbered, in
// the list and in the file.
void BM_DeleteFirst(benchmark::State& state) {
    auto main = MainOverCopy(Rides(state), "delete");
    auto* list = Named<QTreeView>(main.get(), "Seznam");
    QAction* smazat = Named<QAction>(main.get(), "Smazat1");
    for (auto _ : state) {
        state.PauseTiming();
        list->setCurrentIndex(list->model()->index(0, 0));
        SetNextMessageAnswer(kResultYes);
        state.ResumeTiming();
        smazat->trigger();
        Settle();
    }
}

void BM_StatisticsWindow(benchmark::State& state) {
    auto main = MainOverCopy(Rides(state), "stat");
    QAction* statistika = Named<QAction>(main.get(), "Statistika1");
    for (auto _ : state) {
        statistika->trigger();
        Settle();
        state.PauseTiming();
        ShownWindow("StatForm")->hide();
        Settle();
        state.ResumeTiming();
    }
}

// "Cíle" over this year's goals: a yearly one, one of a bike and one for every month, each
// worked out from every row of the list, and the window shown.
void BM_GoalsWindow(benchmark::State& state) {
    const int year = QDate::currentDate().year();
    std::vector<diary::Goal> goals = {{year, 0, 5000}, {year, 0, 2000, 150, 100, "Favorit"}};
    for (int month = 1; month <= 12; ++month) goals.push_back({year, month, 400});
    auto main = MainOverCopy(Rides(state), "goals", true, goals);
    QAction* cile = Named<QAction>(main.get(), "Cile1");
    for (auto _ : state) {
        cile->trigger();
        Settle();
        state.PauseTiming();
        ShownWindow("CileForm")->hide();
        Settle();
        state.ResumeTiming();
    }
}

// "Přehled" after the list changed: the figures worked out anew from every row, the totals,
// the four charts and the records filled, and the window painted on its busiest chart, the
// kilometres through the year of every recent year.
void BM_OverviewWindow(benchmark::State& state) {
    auto main = MainOverCopy(Rides(state), "overview");
    QAction* prehled = Named<QAction>(main.get(), "Prehled1");
    auto* form = qobject_cast<TPrehledForm*>(TopLevel("PrehledForm"));
    if (form == nullptr) std::abort();
    Named<QTabWidget>(form, "Zalozky")->setCurrentIndex(2);
    for (auto _ : state) {
        state.PauseTiming();
        // What a change of the list does: the figures are out of date.
        form->SetToday(QDate::currentDate());
        state.ResumeTiming();
        prehled->trigger();
        Settle();
        state.PauseTiming();
        ShownWindow("PrehledForm")->hide();
        Settle();
        state.ResumeTiming();
    }
}

// Opening the diary in the window: read, rows in the list, the list shown and the diary
// remembered in the settings file, as "Otevřít" does after its file dialog.
void BM_OpenInWindow(benchmark::State& state) {
    auto main = MainOverCopy(Rides(state), "open");
    const QString path = main->CurrentDiaryPath();
    for (auto _ : state) {
        main->Otevri(path);
        Settle();
    }
}

// Another program replaced the diary (a rename over it, as every save does): from the watcher's
// word until the list shows the file again, with a ride in the middle selected before and after.
void BM_OutsideReload(benchmark::State& state) {
    auto main = MainOverCopy(Rides(state), "reload");
    const std::string path = main->CurrentDiaryPath().toStdString();
    const std::string other = path + ".other";
    auto* watcher = main->findChild<DiaryWatcher*>();
    if (watcher == nullptr) std::abort();
    main->SelectRides({std::to_string(Rides(state) / 2)});
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::copy_file(path, other, std::filesystem::copy_options::overwrite_existing);
        std::filesystem::rename(other, path);
        // The reload is set off by hand below, so the watcher's own word must not add a second.
        watcher->Known();
        state.ResumeTiming();
        emit watcher->ChangedOnDisk();
        Settle();
    }
    state.counters["rows"] = main->model()->rowCount();
}

void Sizes(benchmark::internal::Benchmark* b) {
    b->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
}

// What a user waits for in a large diary; 1,000 rides only for the smoke run.
void LargeOnly(benchmark::internal::Benchmark* b) {
    b->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_FloorBesideOpen)->Apply(Sizes);
BENCHMARK(BM_OpenModel)->Apply(Sizes);
BENCHMARK(BM_PeerQSettings)->Apply(Sizes);
BENCHMARK(BM_Startup)->Apply(Sizes);
BENCHMARK(BM_SearchWindow)->Apply(Sizes);
BENCHMARK(BM_HeaderClick)->Apply(LargeOnly);
BENCHMARK(BM_NewRideOk)->Apply(LargeOnly)->UseManualTime();
BENCHMARK(BM_DeleteFirst)->Apply(LargeOnly);
BENCHMARK(BM_StatisticsWindow)->Apply(LargeOnly);
BENCHMARK(BM_OverviewWindow)->Apply(LargeOnly);
BENCHMARK(BM_GoalsWindow)->Apply(LargeOnly);
BENCHMARK(BM_OpenInWindow)->Apply(LargeOnly);
BENCHMARK(BM_OutsideReload)->Apply(LargeOnly);

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

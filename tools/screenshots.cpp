// Shows every window of the program over a sample diary and saves a picture of each (the open
// dialog too, in the language of the user's locale):
//   vamo_screenshots <output folder> [<suffix> <window>...]
// With no window names, all of them; the suffix goes before ".png" (for the 200 % pictures).
// The sample diary and its settings are written in code page 1250 into a fresh temporary
// folder, exactly as the program itself would have written them.

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iterator>
#include <memory>
#include <numbers>

#include "app/datepicker.h"
#include "app/filedialog.h"
#include "app/goalswindow.h"
#include "app/mainwindow.h"
#include "app/overviewwindow.h"
#include "app/recordmodel.h"
#include "app/ridetimedialog.h"
#include "app/textcodec.h"
#include "app/translations.h"
#include "diary/backup.h"
#include "diary/bikes.h"
#include "diary/diary_file.h"
#include "diary/field_text.h"
#include "diary/goals.h"
#include "diary/settings.h"
#include "platform/platform.h"

namespace {

struct Ride {
    QDate date;
    const char* from;
    const char* via;
    const char* to;
    double km;
    double average;
    double maximum;
    const char* note;
};

// A spring and summer of rides around Brno and south Moravia.
const Ride kRides[] = {
    {{2024, 4, 6}, "Brno", "Kuřim", "Tišnov", 31.2, 21.4, 48.5, "Protivítr za Kuřimí"},
    {{2024, 4, 13},
     "Tišnov",
     "Nedvědice",
     "Pernštejn",
     24.8,
     18.2,
     52.1,
     "Hrad Pernštejn, prohlídka"},
    {{2024, 4, 21}, "Brno", "Adamov", "Blansko", 27.5, 22.6, 45.0, "Údolím Svitavy"},
    {{2024, 4, 27}, "Blansko", "Skalní mlýn", "Macocha", 12.3, 14.1, 38.7, "Stoupání k propasti"},
    {{2024, 5, 4}, "Brno", "Ořechov", "Ivančice", 34.9, 23.8, 55.3, "Ořechovská alej, pak z kopce"},
    {{2024, 5, 8}, "Ivančice", "Oslavany", "Rosice", 19.6, 20.5, 46.2, ""},
    {{2024, 5, 18},
     "Brno",
     "Pohořelice",
     "Mikulov",
     52.4,
     25.1,
     49.8,
     "Podél Jihlavy, vítr v zádech"},
    {{2024, 5, 19}, "Mikulov", "Valtice", "Lednice", 23.7, 22.0, 41.6, "Lednicko-valtický areál"},
    {{2024, 6, 1}, "Lednice", "Břeclav", "Hodonín", 38.1, 24.3, 44.9, "Cyklostezka podél Dyje"},
    {{2024, 6, 15},
     "Znojmo",
     "Hnanice",
     "Vranov nad Dyjí",
     27.9,
     19.7,
     58.4,
     "Podyjí, prudké sjezdy"},
    {{2024, 6, 29},
     "Žďár nad Sázavou",
     "Nové Město na Moravě",
     "Svratka",
     33.4,
     20.9,
     54.0,
     "Žďárské vrchy, kamenitá cesta"},
    {{2024, 7, 6},
     "Brno",
     "Bílovice nad Svitavou",
     "Řícmanice",
     18.2,
     17.6,
     43.2,
     "Lesní cesty, bláto"},
};

// The bike of each ride above: the road bike, and the mountain bike for the hills and forests.
const char* const kRideBikes[] = {"Favorit", "Favorit",     "Favorit",     "Horské kolo",
                                  "Favorit", "Favorit",     "Favorit",     "Favorit",
                                  "Favorit", "Horské kolo", "Horské kolo", "Horské kolo"};
static_assert(std::size(kRideBikes) == std::size(kRides));

std::string Cp(const char* utf8) { return ToCp(QString::fromUtf8(utf8)); }

std::string Number(double value) { return diary::DotToComma(diary::FormatOneDecimal(value)); }

void WriteSample(const QString& folder, const diary::RegionalSettings& regional) {
    std::vector<diary::DiaryRecord> records;
    // A bicycle with some years on its odometer.
    double odometer = 12843.0;
    for (std::size_t i = 0; i < std::size(kRides); ++i) {
        const Ride& ride = kRides[i];
        diary::DiaryRecord r;
        r[diary::Field::Date] = ToCp(DateText(regional, ride.date));
        r[diary::Field::From] = Cp(ride.from);
        r[diary::Field::Via] = Cp(ride.via);
        r[diary::Field::To] = Cp(ride.to);
        r[diary::Field::DepartureKm] = Number(odometer);
        odometer += ride.km;
        r[diary::Field::ArrivalKm] = Number(odometer);
        r[diary::Field::DistanceKm] = Number(ride.km);
        r[diary::Field::AvgSpeed] = Number(ride.average);
        r[diary::Field::MaxSpeed] = Number(ride.maximum);
        r[diary::Field::RideTime] = diary::FormatRideTime(ride.km / ride.average);
        r[diary::Field::Note] = Cp(ride.note);
        r[diary::Field::Bike] = Cp(kRideBikes[i]);
        records.push_back(r);
    }
    const std::string diaryPath = ToFsPath(folder + QStringLiteral("/jizdy-2024.vam"));
    // The diary as it stood on three earlier days, for the list of backups.
    for (const std::size_t rides : {std::size_t{8}, std::size_t{10}, std::size_t{11}}) {
        diary::SaveDiary(diaryPath,
                         std::vector<diary::DiaryRecord>(records.begin(), records.begin() + rides));
        const QDate day = kRides[rides].date;
        diary::KeepDailyBackup(diaryPath, ToFsPath(folder + QStringLiteral("/zalohy")),
                               {day.year(), day.month(), day.day()});
    }
    diary::SaveDiary(diaryPath, records);

    const std::string settings = diary::SettingsPath(ToFsPath(folder));
    diary::WriteLastDiary(settings, diaryPath);
    const auto list = [](std::initializer_list<const char*> names) {
        std::vector<std::string> out;
        for (const char* n : names) out.push_back(Cp(n));
        return out;
    };
    diary::WritePlaceLists(settings, list({"Brno", "Tišnov", "Blansko", "Mikulov"}),
                           list({"Tišnov", "Blansko", "Mikulov", "Lednice", "Žďár nad Sázavou"}),
                           list({"Kuřim", "Adamov", "Pohořelice", "Valtice"}));
    // The road bike's chain is due: the status bar says so at start.
    diary::WriteBikes(diaryPath,
                      {list({"Favorit", "Horské kolo", "Městské"}),
                       {{Cp("Favorit"), Cp("řetěz"), {2024, 4, 1}, 250},
                        {Cp("Favorit"), Cp("pláště"), {2024, 4, 1}, 5000},
                        {Cp("Horské kolo"), Cp("brzdové destičky"), {2024, 5, 1}, 1500}}});
}

// A morning ride from Brno to Kuřim as a bike computer records it: a point every five seconds,
// the pace rising and falling, two minutes at a crossing half way.
QString WriteTrack(const QString& folder) {
    const double fromLat = 49.1951, fromLon = 16.6068, toLat = 49.2985, toLon = 16.5314;
    const double metresPerDegree = 111195.0;
    const double east = std::cos(fromLat * std::numbers::pi / 180.0);
    const double length = metresPerDegree * std::hypot(toLat - fromLat, (toLon - fromLon) * east);
    QString points;
    qint64 t = QDateTime(QDate(2024, 7, 13), QTime(5, 42), Qt::UTC).toSecsSinceEpoch();
    bool paused = false;
    for (double done = 0; done <= length; t += 5) {
        const double share = done / length;
        points += QStringLiteral("<trkpt lat=\"%1\" lon=\"%2\"><time>%3</time></trkpt>\n")
                      .arg(fromLat + share * (toLat - fromLat), 0, 'f', 6)
                      .arg(fromLon + share * (toLon - fromLon), 0, 'f', 6)
                      .arg(QDateTime::fromSecsSinceEpoch(t, Qt::UTC).toString(Qt::ISODate));
        if (!paused && share > 0.5) {
            paused = true;
            t += 120;
        }
        const double kmh = 24.0 + 6.0 * std::sin(done / 900.0);
        done += kmh / 3.6 * 5;
    }
    const QString path = folder + QStringLiteral("/do-kurimi.gpx");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return path;
    file.write(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                              "<gpx version=\"1.1\" creator=\"vamo_screenshots\" "
                              "xmlns=\"http://www.topografix.com/GPX/1/1\">\n"
                              "<trk><name>Do Kuřimi přes Medlánky</name><trkseg>\n%1"
                              "</trkseg></trk></gpx>\n")
                   .arg(points)
                   .toUtf8());
    return path;
}

// Ten seasons of rides, 2015 to October 2024: many in summer, few in winter, some years keener
// than others. The same rides every time, so that the pictures change only with the program.
QString WriteTenYears(const QString& folder, const diary::RegionalSettings& regional) {
    static const char* const kPlaces[] = {"Brno",    "Tišnov",   "Blansko", "Mikulov",
                                          "Lednice", "Ivančice", "Kuřim",   "Vyškov"};
    // Chance of a ride on a day of each month, in per cent.
    static const int kChance[12] = {4, 6, 18, 35, 45, 50, 55, 52, 40, 25, 8, 4};
    std::uint32_t state = 2015;
    const auto next = [&state](std::uint32_t below) {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) % below;
    };
    std::vector<diary::DiaryRecord> records;
    double odometer = 3150.0;
    for (QDate day(2015, 1, 1); day <= QDate(2024, 10, 31); day = day.addDays(1)) {
        const int keen = 80 + (day.year() * 7 % 5) * 10;  // 80..120 % of an average year
        if (static_cast<int>(next(10000)) >= kChance[day.month() - 1] * keen) continue;
        const double km = 12 + next(700) / 10.0 + (day.dayOfWeek() >= 6 ? 25 : 0);
        const double average = 18 + next(90) / 10.0;
        diary::DiaryRecord r;
        r[diary::Field::Date] = ToCp(DateText(regional, day));
        r[diary::Field::From] = Cp(kPlaces[next(8)]);
        r[diary::Field::To] = Cp(kPlaces[next(8)]);
        r[diary::Field::DepartureKm] = Number(odometer);
        odometer += std::round(km * 10) / 10;
        r[diary::Field::ArrivalKm] = Number(odometer);
        r[diary::Field::DistanceKm] = Number(km);
        r[diary::Field::AvgSpeed] = Number(average);
        r[diary::Field::MaxSpeed] = Number(average + 15 + next(200) / 10.0);
        r[diary::Field::RideTime] = diary::FormatRideTime(km / average);
        records.push_back(r);
    }
    const QString path = folder + QStringLiteral("/jizdy-10-let.vam");
    diary::SaveDiary(ToFsPath(path), records);
    // A rider's goals for the last season: the year, a month, and one bike's share.
    for (const diary::Goal& goal : {diary::Goal{2024, 0, 6500, 130, std::nullopt, ""},
                                    diary::Goal{2024, 10, 300}, diary::Goal{2024, 9, 500}})
        (void)diary::ChangeGoal(ToFsPath(path), std::nullopt, goal);
    return path;
}

class Shooter {
public:
    Shooter(QString folder, QString suffix, QStringList only)
        : folder_(std::move(folder)), suffix_(std::move(suffix)), only_(std::move(only)) {}

    bool Wanted(const QString& name) const { return only_.isEmpty() || only_.contains(name); }

    void Save(QWidget* window, const QString& name) {
        Settle();
        const QString file = folder_ + QLatin1Char('/') + name + suffix_ + QStringLiteral(".png");
        if (!window->grab().save(file, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            failed_ = true;
        }
    }

    // A modeless window: shown, pictured, hidden again.
    void Modeless(const QString& name, QWidget* window, const std::function<void()>& show) {
        Modeless(
            name, [window] { return window; }, show);
    }
    // The same for a window the program makes when it is first asked for.
    void Modeless(const QString& name, const std::function<QWidget*()>& window,
                  const std::function<void()>& show) {
        if (!Wanted(name)) return;
        show();
        QWidget* shown = window();
        Save(shown, name);
        shown->hide();
    }

    // A modal window is pictured from inside its own exec() and then closed as "Storno" would.
    // `wait` gives it time to fill itself first (a file dialog reads its folder in the
    // background).
    void Modal(const QString& name, const std::function<void()>& open, int wait = 0) {
        if (!Wanted(name)) return;
        QTimer::singleShot(wait, [this, name] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr) {
                std::fprintf(stderr, "%s did not open\n", qPrintable(name));
                failed_ = true;
                return;
            }
            Save(modal, name);
            modal->close();
        });
        open();
    }

    bool failed() const { return failed_; }

private:
    static void Settle() {
        // Layouts, fonts and the first paint of a window take a few passes of the event loop.
        for (int i = 0; i < 10; ++i) QApplication::processEvents();
    }

    QString folder_;
    QString suffix_;
    QStringList only_;
    bool failed_ = false;
};

template <typename T>
T* Named(QObject* root, const char* name) {
    T* found = root->findChild<T*>(QString::fromLatin1(name));
    if (found == nullptr) {
        std::fprintf(stderr, "no control %s\n", name);
        std::exit(1);
    }
    return found;
}

template <typename T>
T* Window(const char* name) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<T*>(w); window && w->objectName() == QLatin1String(name))
            return window;
    }
    std::fprintf(stderr, "no window %s\n", name);
    std::exit(1);
}

void SelectRow(QTreeView* view, int row) {
    const QModelIndex index = view->model()->index(row, 0);
    view->selectionModel()->select(index,
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    view->setCurrentIndex(index);
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vamo 2000"));
    InstallQtTranslations(QLocale::system());
    const QStringList args = QApplication::arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: vamo_screenshots <output folder> [<suffix> <window>...]\n");
        return 2;
    }
    const QString out = QDir(args[1]).absolutePath();
    QDir().mkpath(out);
    const QString suffix = args.size() > 2 ? args[2] : QString();
    const QStringList only = args.mid(3);

    diary::RegionalSettings regional = platform::ReadRegionalSettings();
    if (regional.decimalSeparator != ",") {
        // Without the Czech locale on this machine the pictures still show Czech dates.
        std::fprintf(stderr, "no Czech regional settings here; using them anyway\n");
        regional = diary::RegionalSettings::Czech();
    }

    QTemporaryDir sample;
    if (!sample.isValid()) return 1;
    WriteSample(sample.path(), regional);
    auto main = std::make_unique<TMainForm>(sample.path(), regional);

    Shooter shooter(out, suffix, only);
    main->show();
    auto* seznam = Named<QTreeView>(main.get(), "Seznam");
    SelectRow(seznam, 6);
    const auto trigger = [&main](const char* action) {
        Named<QAction>(main.get(), action)->trigger();
    };

    shooter.Modeless(QStringLiteral("main"), main.get(), [] {});
    shooter.Modal(QStringLiteral("entry"), [&] { trigger("Editovat1"); });
    shooter.Modal(QStringLiteral("entry-gps"), [&] {
        filedialog::SetNextFileName(WriteTrack(sample.path()));
        trigger("NovzGPSzznamu1");
    });
    shooter.Modal(QStringLiteral("info"),
                  [&] { emit seznam->doubleClicked(seznam->model()->index(6, 1)); });

    auto* find = Window<QWidget>("FindForm");
    shooter.Modeless(QStringLiteral("find"), find, [&] {
        trigger("Hledat1");
        Named<QCheckBox>(find, "Chodkud")->setChecked(true);
        Named<QLineEdit>(find, "Eodkud")->setText(QStringLiteral("Brno"));
        Named<QCheckBox>(find, "Chujeto")->setChecked(true);
        Named<QLineEdit>(find, "Eujetood")->setText(QStringLiteral("25"));
        Named<QLineEdit>(find, "Eujetodo")->setText(QStringLiteral("60"));
        Named<QRadioButton>(find, "stylA")->setChecked(true);
        Named<QPushButton>(find, "FindButton")->click();
    });

    shooter.Modal(QStringLiteral("cas"), [] {
        auto* cas = Window<TCasForm>("CasForm");
        Named<QLineEdit>(cas, "Edit1")->setText(QStringLiteral("1"));
        Named<QLineEdit>(cas, "Edit2")->setText(QStringLiteral("25"));
        cas->Ask(TCasForm::Start::AsLeft);
    });
    shooter.Modal(
        QStringLiteral("open"), [&] { trigger("Otevt1"); }, 500);
    shooter.Modal(QStringLiteral("backups"), [&] { trigger("Obnovitzezalohy1"); });
    shooter.Modal(QStringLiteral("calendar"),
                  [&] { Window<TCalendarForm>("CalendarForm")->Pick(main.get()); });
    shooter.Modeless(
        QStringLiteral("stat"), [] { return Window<QWidget>("StatForm"); },
        [&] { trigger("Statistika1"); });
    shooter.Modeless(
        QStringLiteral("zkratky"), [] { return Window<QWidget>("ZkratkyForm"); },
        [&] { trigger("Zkratky1"); });
    shooter.Modeless(
        QStringLiteral("kola"), [] { return Window<QWidget>("KolaForm"); },
        [&] { trigger("Kola1"); });
    shooter.Modeless(
        QStringLiteral("about"), [] { return Window<QWidget>("AboutBox"); },
        [&] { trigger("Oprogramu1"); });

    // The overview on a fixed day: over the sample, its totals and records as of 20.7.2024;
    // over ten generated seasons, its charts at the end of October 2024.
    auto* prehled = Window<TPrehledForm>("PrehledForm");
    auto* tabs = Named<QTabWidget>(prehled, "Zalozky");
    prehled->SetToday(QDate(2024, 7, 20));
    const auto overviewTab = [&](const char* name, int tab) {
        shooter.Modeless(QString::fromLatin1(name), prehled, [&] {
            trigger("Prehled1");
            tabs->setCurrentIndex(tab);
        });
    };
    overviewTab("prehled", 0);
    overviewTab("prehled-rekordy", 5);
    main->Otevri(WriteTenYears(sample.path(), regional));
    prehled->SetToday(QDate(2024, 10, 31));
    overviewTab("prehled-mesice", 1);
    overviewTab("prehled-rok", 2);
    overviewTab("prehled-tydny", 3);
    overviewTab("prehled-kalendar", 4);
    auto* cile = Window<TCileForm>("CileForm");
    cile->SetToday(QDate(2024, 10, 31));
    shooter.Modeless(QStringLiteral("cile"), cile, [&] { trigger("Cile1"); });

    main->hide();
    main.reset();
    return shooter.failed() ? 1 : 0;
}

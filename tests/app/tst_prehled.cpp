// "Přehled": the window from the menu, its totals by period, a chart saved as a picture, a
// record opening its ride, a calendar day selecting its rides, and the window following the list.

#include <QAction>
#include <QChartView>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QSvgRenderer>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>
#include <algorithm>
#include <memory>

#include "app/daycalendar.h"
#include "app/entrydialog.h"
#include "app/filedialog.h"
#include "app/mainwindow.h"
#include "app/msgbox.h"
#include "app/overviewwindow.h"
#include "app/recordmodel.h"
#include "app/textcodec.h"
#include "guitest.h"

using guitest::Q;

namespace {

// Across the turn of the year, with a day of two rides, a week without any, a distance that
// does not read and a date that does not either. Fields in file order: date, from, to, via,
// departure, arrival, distance, average, maximum, ride time, note.
std::string OverviewDiary() {
    return guitest::DiaryBytes({
        {"1", "28.12.2025§Doma§Lhota§§100§110§10§20§35§0 h 30 min§§"},
        {"2", "5.1.2026§Doma§Ves§§110§122,5§12,5§16,7§40§0 h 45 min§§"},
        {"3", "20.2.2026§Doma§Ves§§122,5§§x§§§1 h 0 min§§"},
        {"4", "včera§Doma§Ves§§§§7§21§30§0 h 20 min§§"},
        {"5", "5.1.2026§Ves§Brno§§122,5§152,5§30§20§52,5§1 h 30 min§§"},
    });
}

enum Tab { kTotals, kMonths, kCumulative, kWeeks, kCalendar, kRecords };

// The main window over OverviewDiary, shown, and its overview counting to 1.3.2026.
TPrehledForm* Start(guitest::Session& session, const std::string& diary = OverviewDiary()) {
    testsupport::WriteFileBytes(session.FsPath("vamo2001.vam"), diary);
    session.Start();
    session.Main()->show();
    auto* form = guitest::Window<TPrehledForm>("PrehledForm");
    form->SetToday(QDate(2026, 3, 1));
    return form;
}

TPrehledForm* Open(guitest::Session& session, int tab) {
    guitest::Get<QAction>(session.Main(), "Prehled1")->trigger();
    auto* form = guitest::Window<TPrehledForm>("PrehledForm");
    guitest::Get<QTabWidget>(form, "Zalozky")->setCurrentIndex(tab);
    if (!QTest::qWaitForWindowExposed(form)) guitest::MissingControl(QStringLiteral("not shown"));
    return form;
}

// Each row of the totals as "period | rides | km | time | mean speed | longest".
QStringList TotalsRows(TPrehledForm* form) {
    const QAbstractItemModel* model = guitest::Get<QTableView>(form, "Soucty")->model();
    QStringList rows;
    for (int r = 0; r < model->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < model->columnCount(); ++c)
            cells << model->index(r, c).data().toString();
        rows << cells.join(QStringLiteral(" | "));
    }
    return rows;
}

// The record numbers of the rows selected in the main list, top to bottom.
QStringList SelectedRides(TMainForm* main) {
    QModelIndexList rows =
        guitest::Get<QTreeView>(main, "Seznam")->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end());
    QStringList numbers;
    for (const QModelIndex& index : rows)
        numbers << QString::fromStdString(std::string(main->model()->row(index.row()).Number()));
    return numbers;
}

}  // namespace

class PrehledTest : public QObject {
    Q_OBJECT
private slots:
    void opensFromTheMenuOnce();
    void totalsByPeriod_data();
    void totalsByPeriod();
    void savesTheChartShown_data();
    void savesTheChartShown();
    void recordLeadsToItsRides_data();
    void recordLeadsToItsRides();
    void calendarDaySelectsItsRides();
    void followsTheList();
};

void PrehledTest::opensFromTheMenuOnce() {
    guitest::Session session;
    Start(session);
    QStringList menus;
    for (QAction* a : session.Main()->menuBar()->actions()) menus << a->text().remove('&');
    QCOMPARE(menus, (QStringList{"Soubor", Q("Údaj"), "Zkratky", "Kola", "Statistika", Q("Přehled"),
                                 Q("Cíle"), "O programu"}));

    auto* form = Open(session, kTotals);
    QCOMPARE(form->windowTitle(), Q("Přehled"));
    QVERIFY(!form->isModal());
    QVERIFY(session.Main()->isEnabled());
    CONTROL(save, QPushButton, form, "UlozitGraf");
    QCOMPARE(save->text().remove('&'), Q("Uložit graf…"));
    QVERIFY(!save->isEnabled());
    guitest::Get<QTabWidget>(form, "Zalozky")->setCurrentIndex(kWeeks);
    QVERIFY(save->isEnabled());

    // A second "Přehled" brings the same window forward.
    guitest::Get<QPushButton>(form, "ZavritButton")->click();
    QVERIFY(!form->isVisible());
    QCOMPARE(Open(session, kTotals), form);
    int overviews = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        overviews += w->objectName() == QLatin1String("PrehledForm");
    QCOMPARE(overviews, 1);
    QCOMPARE(guitest::Get<QLabel>(form, "Vynechano")->text(),
             Q("Vynechané údaje (prázdné nebo nečitelné): datum 1×, ujeto 1×, průměrná "
               "rychlost 1×, maximální rychlost 1×."));
}

void PrehledTest::totalsByPeriod_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QStringList>("first");  // the first rows
    QTest::addColumn<QString>("last");

    // The mean speed is taken over the rides with a distance and a time: 42,5 km in 2 h 15 min.
    QTest::newRow("rok") << "PoRocich" << 3
                         << QStringList{"2025 | 1 | 10,0 | 0 h 30 min | 20,0 | 10,0",
                                        "2026 | 3 | 42,5 | 3 h 15 min | 18,9 | 30,0"}
                         << "bez data | 1 | 7,0 | 0 h 20 min | 21,0 | 7,0";
    QTest::newRow("měsíc") << "PoMesicich" << 4
                           << QStringList{Q("prosinec 2025 | 1 | 10,0 | 0 h 30 min | 20,0 | 10,0"),
                                          "leden 2026 | 2 | 42,5 | 2 h 15 min | 18,9 | 30,0",
                                          Q("únor 2026 | 1 | 0,0 | 1 h 0 min | ? | 0,0")}
                           << "bez data | 1 | 7,0 | 0 h 20 min | 21,0 | 7,0";
    // 28.12.2025 is a Sunday of week 52; week 1 of 2026 starts on 29.12.2025 and has no ride.
    QTest::newRow("týden") << "PoTydnech" << 10
                           << QStringList{Q("2025, týden 52 | 1 | 10,0 | 0 h 30 min | 20,0 | 10,0"),
                                          Q("2026, týden 1 | 0 | 0,0 | 0 h 0 min | 0,0 | 0,0"),
                                          Q("2026, týden 2 | 2 | 42,5 | 2 h 15 min | 18,9 | 30,0")}
                           << "bez data | 1 | 7,0 | 0 h 20 min | 21,0 | 7,0";
}

void PrehledTest::totalsByPeriod() {
    QFETCH(QString, kind);
    QFETCH(int, rows);
    QFETCH(QStringList, first);
    QFETCH(QString, last);
    guitest::Session session;
    Start(session);
    auto* form = Open(session, kTotals);
    // From another kind to this one, so that every row really comes from the switch.
    auto* other = guitest::Get<QRadioButton>(form, kind == "PoRocich" ? "PoTydnech" : "PoRocich");
    guitest::Click(other);
    guitest::Click(guitest::Get<QRadioButton>(form, kind.toLatin1().constData()));

    const QStringList shown = TotalsRows(form);
    QCOMPARE(shown.size(), rows);
    QCOMPARE(shown.mid(0, first.size()), first);
    QCOMPARE(shown.last(), last);
    // A row with a distance that did not read says so.
    const QAbstractItemModel* model = guitest::Get<QTableView>(form, "Soucty")->model();
    bool told = false;
    for (int r = 0; r < model->rowCount(); ++r)
        told = told || model->index(r, 0).data(Qt::ToolTipRole).toString() ==
                           Q("Vynechané údaje (prázdné nebo nečitelné): ujeto 1×.");
    QVERIFY(told);
}

void PrehledTest::savesTheChartShown_data() {
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("saved");
    QTest::addColumn<QString>("format");  // "png", "svg", or "" when nothing may be written
    QTest::addColumn<bool>("existing");   // a file of that name is there already
    QTest::addColumn<int>("answer");      // to a message box, or 0 when none may come
    QTest::addColumn<QString>("message");

    QTest::newRow("months as PNG") << int(kMonths) << "mesice.png"
                                   << "mesice.png"
                                   << "png" << false << 0 << "";
    QTest::newRow("no extension is PNG") << int(kCumulative) << "rok"
                                         << "rok.png"
                                         << "png" << false << 0 << "";
    QTest::newRow("weeks as SVG") << int(kWeeks) << "tydny.SVG"
                                  << "tydny.SVG"
                                  << "svg" << false << 0 << "";
    QTest::newRow("calendar as PNG") << int(kCalendar) << "kalendar.png"
                                     << "kalendar.png"
                                     << "png" << false << 0 << "";
    QTest::newRow("calendar as SVG") << int(kCalendar) << "kalendar.svg"
                                     << "kalendar.svg"
                                     << "svg" << false << 0 << "";
    QTest::newRow("other extension refused")
        << int(kMonths) << "graf.jpg"
        << "graf.jpg"
        << "" << false << kResultOk
        << Q("Graf lze uložit jen jako obrázek PNG nebo SVG: název souboru má končit na .png "
             "nebo .svg.");
    QTest::newRow("overwrite refused")
        << int(kMonths) << "stary.png"
        << "stary.png"
        << "" << true << kResultNo << Q("Soubor %1 již existuje. Přepsat?");
    QTest::newRow("overwrite confirmed")
        << int(kWeeks) << "stary.png"
        << "stary.png"
        << "png" << true << kResultYes << Q("Soubor %1 již existuje. Přepsat?");
    QTest::newRow("folder that is not there")
        << int(kMonths) << "chybi/graf.png"
        << "chybi/graf.png"
        << "" << false << kResultOk << Q("Graf nelze uložit do souboru %1 (");
}

void PrehledTest::savesTheChartShown() {
    QFETCH(int, tab);
    QFETCH(QString, typed);
    QFETCH(QString, saved);
    QFETCH(QString, format);
    QFETCH(bool, existing);
    QFETCH(int, answer);
    QFETCH(QString, message);
    guitest::Session session;
    Start(session);
    auto* form = Open(session, tab);
    const QString typedPath = session.Folder() + '/' + typed;
    const QString path = session.Folder() + '/' + saved;
    if (existing) testsupport::WriteFileBytes(session.FsPath(saved.toUtf8().constData()), "old");

    filedialog::SetNextFileName(typedPath);
    if (answer != 0) SetNextMessageAnswer(answer);
    guitest::Click(guitest::Get<QPushButton>(form, "UlozitGraf"));
    QVERIFY(!filedialog::HasPendingAnswer());
    QVERIFY(!HasPendingMessageAnswer());
    QCOMPARE(filedialog::LastFilter(), Q("Obrázky PNG nebo SVG (*.png *.svg)"));
    QCOMPARE(filedialog::LastFolder(), session.Folder());
    if (!message.isEmpty()) {
        const QString expected = message.contains("%1") ? message.arg(path) : message;
        QVERIFY2(LastAnsweredMessage().text.startsWith(expected),
                 qPrintable(LastAnsweredMessage().text));
    }

    QWidget* chart = tab == kCalendar
                         ? static_cast<QWidget*>(guitest::Get<DayCalendar>(form, "Kalendar"))
                     : tab == kWeeks      ? guitest::Get<QChartView>(form, "Tydny")
                     : tab == kCumulative ? guitest::Get<QChartView>(form, "Kumulace")
                                          : guitest::Get<QChartView>(form, "Mesice");
    if (format.isEmpty()) {
        if (existing) {
            QCOMPARE(testsupport::ReadFileBytes(ToFsPath(path)), std::string("old"));
        } else {
            QVERIFY(!QFile::exists(path));
        }
        return;
    }
    if (format == "png") {
        QCOMPARE(QImageReader(path).format(), QByteArray("png"));
        const QImage image(path);
        QVERIFY(!image.isNull());
        QCOMPARE(image.size(), chart->size() * chart->devicePixelRatio());
    } else {
        QSvgRenderer svg(path);
        QVERIFY(svg.isValid());
        QCOMPARE(svg.viewBox(), QRect(QPoint(), chart->size()));
        // At the usual 96 pixels to the inch it shows as big as on the screen.
        const QString text = QString::fromStdString(testsupport::ReadFileBytes(ToFsPath(path)));
        const auto width =
            QRegularExpression(QStringLiteral("<svg width=\"([0-9.]+)mm\"")).match(text);
        QVERIFY2(width.hasMatch(), qPrintable(text.left(200)));
        QVERIFY(qAbs(width.captured(1).toDouble() - chart->width() * 25.4 / 96) < 0.01);
    }
    // Written whole, under its own name: no temporary file is left beside it.
    QCOMPARE(QDir(session.Folder())
                 .entryList({QStringLiteral("*.png"), QStringLiteral("*.svg")},
                            QDir::Files | QDir::Hidden),
             QStringList{saved});
}

void PrehledTest::recordLeadsToItsRides_data() {
    QTest::addColumn<QString>("record");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("when");
    QTest::addColumn<QString>("detail");  // the ride whose detail opens, or "" for none
    QTest::addColumn<QStringList>("selected");

    QTest::newRow("longest ride") << Q("Nejdelší jízda") << "30,0 km"
                                  << "5.1.2026"
                                  << "5" << QStringList{"5"};
    // 20 km/h twice: the earlier ride holds it.
    QTest::newRow("fastest average")
        << Q("Nejvyšší průměrná rychlost (jízdy od 10 km)") << "20,0 km/h"
        << "28.12.2025"
        << "1" << QStringList{"1"};
    QTest::newRow("best week") << Q("Nejvíc km za týden") << "42,5 km"
                               << Q("2026, týden 2 (5.1.2026–11.1.2026)") << ""
                               << QStringList{"2", "5"};
    QTest::newRow("best year") << Q("Nejvíc km za rok") << "42,5 km"
                               << "2026"
                               << "" << QStringList{"2", "3", "5"};
    QTest::newRow("run of days") << Q("Nejvíc dní po sobě s jízdou") << "1 den"
                                 << "28.12.2025"
                                 << "" << QStringList{"1"};
}

void PrehledTest::recordLeadsToItsRides() {
    QFETCH(QString, record);
    QFETCH(QString, value);
    QFETCH(QString, when);
    QFETCH(QString, detail);
    QFETCH(QStringList, selected);
    guitest::Session session;
    Start(session);
    // Sorted by distance, the list's rows are not in number order.
    guitest::SortBy(session.Main(), 6);
    auto* form = Open(session, kRecords);
    CONTROL(records, QTreeWidget, form, "Rekordy");
    const QList<QTreeWidgetItem*> found = records->findItems(record, Qt::MatchExactly);
    QCOMPARE(found.size(), 1);
    QTreeWidgetItem* item = found.first();
    QCOMPARE(item->text(1), value);
    QCOMPARE(item->text(2), when);

    const QPoint at = records->visualItemRect(item).center();
    // A double click is the second click of two.
    QTest::mouseClick(records->viewport(), Qt::LeftButton, {}, at);
    if (detail.isEmpty()) {
        // No window may open; one that did is closed again, so the check fails, not hangs.
        auto opened = std::make_shared<QString>();
        QTimer::singleShot(0, [opened] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                *opened = modal->objectName();
                modal->close();
            }
        });
        QTest::mouseDClick(records->viewport(), Qt::LeftButton, {}, at);
        QTest::qWait(20);
        QCOMPARE(*opened, QString());
    } else {
        auto shown = std::make_shared<QString>();
        auto info = guitest::AnswerModal([shown](QWidget* modal) {
            QCOMPARE(modal->objectName(), QStringLiteral("InfoForm"));
            *shown = guitest::Get<QTableWidget>(modal, "Grid")->item(0, 1)->text();
            guitest::Get<QPushButton>(modal, "OKButton")->click();
        });
        QTest::mouseDClick(records->viewport(), Qt::LeftButton, {}, at);
        QVERIFY(info->done);
        QCOMPARE(*shown, detail);
    }
    QCOMPARE(SelectedRides(session.Main()), selected);
}

void PrehledTest::calendarDaySelectsItsRides() {
    guitest::Session session;
    Start(session);
    guitest::SortBy(session.Main(), 6);
    auto* form = Open(session, kCalendar);
    CONTROL(year, QSpinBox, form, "Rok");
    QVERIFY(year->isEnabled());
    // The last year ridden comes first, and the year can go back to the first.
    QCOMPARE(year->value(), 2026);
    QCOMPARE(year->minimum(), 2025);
    CONTROL(calendar, DayCalendar, form, "Kalendar");
    QTest::mouseClick(calendar, Qt::LeftButton, {}, calendar->DayRect(QDate(2026, 1, 5)).center());
    QCOMPARE(SelectedRides(session.Main()), (QStringList{"2", "5"}));
    // A day without a ride, and the gap between two days, change nothing.
    QTest::mouseClick(calendar, Qt::LeftButton, {}, calendar->DayRect(QDate(2026, 1, 6)).center());
    QTest::mouseClick(calendar, Qt::LeftButton, {},
                      calendar->DayRect(QDate(2026, 2, 20)).topLeft() - QPoint(1, 1));
    QCOMPARE(SelectedRides(session.Main()), (QStringList{"2", "5"}));

    year->setValue(2025);
    QCOMPARE(calendar->year(), 2025);
    QTest::mouseClick(calendar, Qt::LeftButton, {},
                      calendar->DayRect(QDate(2025, 12, 28)).center());
    QCOMPARE(SelectedRides(session.Main()), (QStringList{"1"}));
}

void PrehledTest::followsTheList() {
    guitest::Session session;
    Start(session);
    auto* form = Open(session, kTotals);
    guitest::Click(guitest::Get<QRadioButton>(form, "PoRocich"));
    QCOMPARE(TotalsRows(form).at(1), QStringLiteral("2026 | 3 | 42,5 | 3 h 15 min | 18,9 | 30,0"));

    // Open: a ride added through "Nový údaj" is counted at once.
    auto entry = guitest::AnswerModal([](QWidget* modal) {
        auto* add = qobject_cast<TAddForm*>(modal);
        QVERIFY(add != nullptr);
        guitest::TypeText(guitest::Get<QLineEdit>(add, "Dat"), QStringLiteral("1.3.2026"));
        guitest::TypeText(guitest::Get<QLineEdit>(add, "Ujeto"), QStringLiteral("20"));
        guitest::TypeText(guitest::Get<QLineEdit>(add, "Cj"), QStringLiteral("0 h 45 min"));
        guitest::Click(guitest::Get<QPushButton>(add, "OKButton"));
    });
    guitest::Get<QAction>(session.Main(), "Novy1")->trigger();
    QVERIFY(entry->done);
    QTRY_COMPARE(TotalsRows(form).at(1),
                 QStringLiteral("2026 | 4 | 62,5 | 4 h 0 min | 20,8 | 30,0"));

    // Closed: the figures wait until the window is shown again, then are those of the list.
    form->close();
    session.Main()->Otevri(session.Path("jiny.vam"));
    QCoreApplication::processEvents();
    QCOMPARE(TotalsRows(form).size(), 3);
    Open(session, kTotals);
    QCOMPARE(TotalsRows(form), QStringList{});
    QVERIFY(!guitest::Get<QLabel>(form, "Vynechano")->isVisibleTo(form));
    CONTROL(records, QTreeWidget, form, "Rekordy");
    QCOMPARE(records->topLevelItem(0)->text(1), Q("–"));
}

VAMO_GUI_TEST(PrehledTest, "tst_prehled")
#include "tst_prehled.moc"

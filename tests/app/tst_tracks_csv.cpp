// New rides from GPS tracks (the menu, a drop) and from the selected ride, and the lists out to
// CSV, through the real windows; the CSV is read back by Python's csv module.

#include <QCheckBox>
#include <QLineEdit>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QTreeView>
#include <QUrl>
#include <cstdlib>
#include <ctime>

#include "app/entrydialog.h"
#include "app/filedialog.h"
#include "app/mainwindow.h"
#include "app/msgbox.h"
#include "app/recordmodel.h"
#include "app/textcodec.h"
#include "diary/diary_file.h"
#include "guitest.h"
#include "test_ride.h"

using guitest::Q;

namespace {

// The last arrival of these rides is 190.

// The test ride (see test_ride.h) as the entry dialog gets it as ride `number`.
diary::DiaryRecord TestRide(const char* number, const char* date, const char* departure,
                            const char* arrival, const char* note) {
    return guitest::Record(
        number, {date, "", "", "", departure, arrival, "5,0", "21,5", "40,0", "0 h 14 min", note});
}

struct Shown {
    QString title;
    diary::DiaryRecord fields;
    QString said;  // the last message box answered before the dialog came up
};

// Answers the entry dialog each time it comes up, "OK" or "Storno" in the order of `ok`, and
// keeps what it showed.
void AnswerEntries(std::shared_ptr<std::vector<Shown>> seen, QList<bool> ok) {
    if (ok.isEmpty()) return;
    guitest::AnswerModal([seen, ok](QWidget* modal) mutable {
        auto* form = qobject_cast<TAddForm*>(modal);
        QVERIFY2(form != nullptr, qPrintable(modal->windowTitle()));
        seen->push_back({form->windowTitle(), form->Record(), LastAnsweredMessage().text});
        guitest::Click(
            guitest::Get<QPushButton>(form, ok.takeFirst() ? "OKButton" : "CancelButton"));
        AnswerEntries(seen, ok);
    });
}

// Drags `urls` onto the main window and drops them there; whether the window took them.
bool Drop(TMainForm* main, const QList<QUrl>& urls) {
    QMimeData data;
    data.setUrls(urls);
    const QPoint at(main->width() / 2, main->height() / 2);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(main, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(main, &drop);
    return drop.isAccepted();
}

// Every cell of a CSV file as Python's csv module reads it.
QList<QStringList> PythonCells(const QString& path) {
    QProcess python;
    python.start(QStringLiteral("python3"), {QString::fromUtf8(CSV_READER_SCRIPT), path, ";"});
    if (!python.waitForFinished() || python.exitCode() != 0) return {{"python3 failed"}};
    QList<QStringList> rows;
    for (const QByteArray& line : python.readAllStandardOutput().split('\n')) {
        if (line.isEmpty()) continue;
        rows.append(QStringList());
        for (const QByteArray& hex : line.split(' '))
            rows.back() << (hex == "-" ? QString() : QString::fromUtf8(QByteArray::fromHex(hex)));
    }
    return rows;
}

// The captions and every cell of a list, as it shows them.
QList<QStringList> Cells(const QAbstractItemModel* model) {
    QList<QStringList> rows{{}};
    for (int c = 0; c < model->columnCount(); ++c)
        rows[0] << model->headerData(c, Qt::Horizontal).toString();
    for (int r = 0; r < model->rowCount(); ++r) {
        rows.append(QStringList());
        for (int c = 0; c < model->columnCount(); ++c)
            rows.back() << model->index(r, c).data().toString();
    }
    return rows;
}

}  // namespace

class TracksCsvTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        // Central European time, whatever the machine's: the ride starts at 00:30 on 18 May.
        ::setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
        ::tzset();
    }
    void trackFillsTheEntryDialog_data();
    void trackFillsTheEntryDialog();
    void severalTracksInTheOrderRidden();
    void newLikeSelected_data();
    void newLikeSelected();
    void csvReadsBackCellForCell_data();
    void csvReadsBackCellForCell();
    void csvWriteFailureIsSaid();
};

void TracksCsvTest::trackFillsTheEntryDialog_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("dropped");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("note");
    const auto ride = ridetest::TestRide();
    QTest::newRow("GPX from the menu, OK")
        << "jizda.gpx" << QByteArray::fromStdString(ridetest::ToGpx(ride, {})) << false << true
        << Q("Ranní jízda");
    QTest::newRow("TCX dropped, OK")
        << "jizda.tcx" << QByteArray::fromStdString(ridetest::ToTcx(ride, {.device = true})) << true
        << true << Q("Do práce");
    QTest::newRow("FIT from the menu, Storno")
        << "JIZDA.FIT"
        << QByteArray::fromStdString(
               testsupport::ReadFileBytes(std::string(TRACK_FIXTURES) + "/ride.fit"))
        << false << false << "";
}

void TracksCsvTest::trackFillsTheEntryDialog() {
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, dropped);
    QFETCH(bool, ok);
    QFETCH(QString, note);
    guitest::Session session;
    testsupport::WriteFileBytes(session.FsPath("vamo2001.vam"), guitest::ThreeRides());
    const QString track = session.Path(qPrintable(name));
    testsupport::WriteFileBytes(ToFsPath(track), bytes.toStdString());
    session.Start();
    TMainForm* main = session.Main();
    main->show();

    auto seen = std::make_shared<std::vector<Shown>>();
    AnswerEntries(seen, {ok});
    if (dropped) {
        QVERIFY(!Drop(main, {QUrl(QStringLiteral("https://example.org/jizda.gpx"))}));
        QVERIFY(Drop(main, {QUrl::fromLocalFile(track)}));
        QTRY_COMPARE(seen->size(), std::size_t{1});
    } else {
        filedialog::SetNextFileNames({track});
        guitest::Get<QAction>(main, "NovzGPSzznamu1")->trigger();
    }
    QCOMPARE(seen->size(), std::size_t{1});
    QCOMPARE(seen->at(0).title, Q("Nový údaj – ") + name);
    const diary::DiaryRecord expected =
        TestRide("4", "18.5.2024", "190", "195,0", note.toUtf8().constData());
    QCOMPARE(seen->at(0).fields, expected);
    if (ok) {
        QCOMPARE(diary::ReadDiary(session.FsPath("vamo2001.vam")).back(), expected);
        QCOMPARE(guitest::ColumnTexts(0), (QStringList{"1", "2", "3", "4"}));
    } else {
        QCOMPARE(testsupport::ReadFileBytes(session.FsPath("vamo2001.vam")), guitest::ThreeRides());
        QCOMPARE(main->model()->rowCount(), 3);
    }
}

void TracksCsvTest::severalTracksInTheOrderRidden() {
    guitest::Session session;
    testsupport::WriteFileBytes(session.FsPath("vamo2001.vam"), guitest::ThreeRides());
    // Chosen in this order: a ride of the next day, a damaged file, the ride of 18 May, and
    // one without time stamps.
    auto nextDay = ridetest::TestRide();
    for (auto& s : nextDay) s.t += 86400;
    testsupport::WriteFileBytes(session.FsPath("pozdeji.gpx"), ridetest::ToGpx(nextDay, {}));
    std::string damaged = testsupport::ReadFileBytes(std::string(TRACK_FIXTURES) + "/ride.fit");
    damaged[damaged.size() / 2] ^= 0x5A;
    testsupport::WriteFileBytes(session.FsPath("vadny.fit"), damaged);
    testsupport::WriteFileBytes(session.FsPath("drive.tcx"),
                                ridetest::ToTcx(ridetest::TestRide(), {.device = true}));
    std::string untimed = ridetest::ToGpx(ridetest::TestRide(), {});
    for (std::size_t at; (at = untimed.find("<time>")) != std::string::npos;)
        untimed.erase(at, untimed.find("</time>", at) + 7 - at);
    testsupport::WriteFileBytes(session.FsPath("bez-casu.gpx"), untimed);
    session.Start();

    SetNextMessageAnswer(kResultOk);  // the damaged file, said while the files are read
    SetNextMessageAnswer(kResultOk);  // no time stamps, said before its dialog
    auto seen = std::make_shared<std::vector<Shown>>();
    AnswerEntries(seen, {false, true, true});
    filedialog::SetNextFileNames({session.Path("pozdeji.gpx"), session.Path("vadny.fit"),
                                  session.Path("drive.tcx"), session.Path("bez-casu.gpx")});
    guitest::Get<QAction>(session.Main(), "NovzGPSzznamu1")->trigger();
    QVERIFY(!HasPendingMessageAnswer());

    // Storno skipped 18 May; the next day went in after ride 3, the untimed one after it.
    QCOMPARE(seen->size(), std::size_t{3});
    QCOMPARE(seen->at(0).title, Q("Nový údaj – drive.tcx"));
    QCOMPARE(seen->at(0).said, Q("Soubor „") + session.Path("vadny.fit") +
                                   Q("“ je poškozený: kontrolní součet nesouhlasí."));
    QCOMPARE(seen->at(1).fields, TestRide("4", "19.5.2024", "190", "195,0", "Ranní jízda"));
    QCOMPARE(seen->at(2).said,
             Q("Záznam „bez-casu.gpx“ nemá časové údaje: vyplněna je jen ujetá vzdálenost."));
    // Without times the GPS jump (360 m out and back) cannot be told from riding.
    QCOMPARE(seen->at(2).fields, guitest::Record("5", {"", "", "", "", "195,0", "200,7", "5,7", "",
                                                       "", "", "Ranní jízda"}));
    QCOMPARE(diary::ReadDiary(session.FsPath("vamo2001.vam")).size(), std::size_t{5});
}

void TracksCsvTest::newLikeSelected_data() {
    QTest::addColumn<int>("sortColumn");
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QStringList>("fields");
    const QString today = QDate::currentDate().toString(QStringLiteral("d.M.yyyy"));
    // File order: date, from, to, via, departure, arrival, distance, average, maximum, time, note.
    QTest::newRow("ride 2 of the file's order, OK")
        << 0 << 1 << true << QStringList{today, "Les", "Doma", "",           "190", "200,0",
                                         "10",  "20",  "30",   "0 h 30 min", ""};
    // Sorted by "Odkud" the list ends with ride 2, whose arrival "Posledni" takes.
    QTest::newRow("ride 1 of a sorted list, Storno")
        << 2 << 0 << false << QStringList{today, "Doma", "Les", "",           "140", "170,0",
                                          "30",  "20",   "30",  "1 h 30 min", ""};
}

void TracksCsvTest::newLikeSelected() {
    QFETCH(int, sortColumn);
    QFETCH(int, row);
    QFETCH(bool, ok);
    QFETCH(QStringList, fields);
    guitest::Session session;
    testsupport::WriteFileBytes(session.FsPath("vamo2001.vam"), guitest::ThreeRides());
    session.Start();
    TMainForm* main = session.Main();
    main->show();
    QVERIFY(QTest::qWaitForWindowExposed(main));
    if (sortColumn > 0) guitest::SortBy(main, sortColumn);
    guitest::ClickRow(guitest::Get<QTreeView>(main, "Seznam"), row);

    auto seen = std::make_shared<std::vector<Shown>>();
    AnswerEntries(seen, {ok});
    guitest::Get<QAction>(main, "Novpodlevybranho1")->trigger();
    QCOMPARE(seen->size(), std::size_t{1});
    QCOMPARE(seen->at(0).title, Q("Nový údaj"));
    diary::DiaryRecord expected{"4", {}};
    for (qsizetype i = 0; i < fields.size(); ++i)
        expected.fields[static_cast<std::size_t>(i)] = ToCp(fields[i]);
    QCOMPARE(seen->at(0).fields, expected);
    const auto file = diary::ReadDiary(session.FsPath("vamo2001.vam"));
    QCOMPARE(file.size(), ok ? std::size_t{4} : std::size_t{3});
    if (ok) QCOMPARE(file.back(), expected);
}

void TracksCsvTest::csvReadsBackCellForCell_data() {
    QTest::addColumn<bool>("search");
    QTest::newRow("the main list, sorted by the note") << false;
    QTest::newRow("the search results") << true;
}

void TracksCsvTest::csvReadsBackCellForCell() {
    QFETCH(bool, search);
    guitest::Session session;
    testsupport::WriteFileBytes(
        session.FsPath("vamo2001.vam"),
        guitest::DiaryBytes({
            {"1", "1.5.2001§Doma§Les§§100§130§30§20,5§30§1 h 30 min§vítr \"od západu\"; déšť§"},
            {"2", "2.5.2001§Les§Doma§§130§140§10§20§30§0 h 30 min§§"},
            {"3", "3.5.2001§Doma§Kostelec n. L., nádraží§Ves§140§190§50§25§40§2 h 0 min§Ávě§"},
        }));
    session.Start();
    TMainForm* main = session.Main();
    const QString csv = session.Path("výpis");  // ".csv" is added
    filedialog::SetNextFileName(csv);
    const QAbstractItemModel* list = main->model();
    if (search) {
        guitest::Get<QAction>(main, "Hledat1")->trigger();
        auto* find = guitest::Window<QWidget>("FindForm");
        guitest::Get<QCheckBox>(find, "Chodkud")->setChecked(true);
        guitest::Get<QLineEdit>(find, "Eodkud")->setText(QStringLiteral("Doma"));
        guitest::Click(guitest::Get<QPushButton>(find, "FindButton"));
        list = guitest::Get<QTreeView>(find, "List")->model();
        QCOMPARE(list->rowCount(), 2);
        guitest::Click(guitest::Get<QPushButton>(find, "ExportButton"));
    } else {
        guitest::SortBy(main, 11);
        guitest::Get<QAction>(main, "ExportdoCSV1")->trigger();
    }
    QVERIFY(!filedialog::HasPendingAnswer());
    QCOMPARE(PythonCells(csv + QStringLiteral(".csv")), Cells(list));
}

void TracksCsvTest::csvWriteFailureIsSaid() {
    guitest::Session session;
    session.Start();
    const QString missing = session.Path("chybí/jízdy.csv");
    filedialog::SetNextFileName(missing);
    SetNextMessageAnswer(kResultOk);
    guitest::Get<QAction>(session.Main(), "ExportdoCSV1")->trigger();
    QCOMPARE(LastAnsweredMessage().caption, QStringLiteral("Error"));
    QCOMPARE(LastAnsweredMessage().text,
             QStringLiteral("Unable to write to ") + missing +
                 QStringLiteral("\nSložka, ve které má soubor být, neexistuje."));
}

VAMO_GUI_TEST(TracksCsvTest, "tst_tracks_csv")
#include "tst_tracks_csv.moc"

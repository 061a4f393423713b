// Bikes through the real windows: from the entry dialog's Kolo to the bytes of the diary, the
// settings file's bikes moved into the diary at start, the Kola window's figures, rename and
// removal, the status bar note and the search condition.

#include <sys/stat.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QTableWidget>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>

#include "app/bikeswindow.h"
#include "app/detailwindow.h"
#include "app/entrydialog.h"
#include "app/filedialog.h"
#include "app/mainwindow.h"
#include "app/msgbox.h"
#include "app/overviewwindow.h"
#include "app/recordmodel.h"
#include "app/searchwindow.h"
#include "app/textcodec.h"
#include "diary/bikes.h"
#include "guitest.h"

using guitest::Cp;
using guitest::DiaryBytes;
using guitest::Q;

namespace {

// Rides in file order: date, from, to, via, departure, arrival, distance, avg, max, time, note.
const char* const kNoBike = "1.3.2024§Doma§§§§§15§§§0 h 45 min§§";
const char* const kFav = "5.3.2024§Doma§§§§§20§§§1 h 0 min§§Fav§";
const char* const kAuthor = "9.3.2024§Doma§§§§§30,5§§§1 h 30 min§§Author§";

std::string Settings(const char* kola, const char* servis = "") {
    std::string bytes = "[odkud]\r\n1=Doma\r\n";
    if (*kola) bytes += Cp("[kola]\r\n") + Cp(kola);
    if (*servis) bytes += Cp("[servis]\r\n") + Cp(servis);
    return bytes;
}

// The bike sections of a diary.
std::string Sections(const char* kola, const char* servis = "") {
    std::string bytes;
    if (*kola) bytes += Cp("[Kola]\r\n") + Cp(kola);
    if (*servis) bytes += Cp("[Servis]\r\n") + Cp(servis);
    return bytes;
}

// The diary's bytes before its bike sections.
std::string RidesOf(const std::string& bytes) { return bytes.substr(0, bytes.find("[Kola]")); }

QStringList Texts(QTreeWidget* grid) {
    QStringList rows;
    for (int r = 0; r < grid->topLevelItemCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < grid->columnCount(); ++c) cells << grid->topLevelItem(r)->text(c);
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

QStringList Bikes(const std::vector<std::string>& bikes) {
    QStringList out;
    for (const std::string& b : bikes) out << FromCp(b);
    return out;
}

// The Kola window shown from its menu item, with `bike` selected in the bikes list.
TKolaForm* OpenKola(guitest::Session& session, const char* bike = nullptr) {
    guitest::Get<QAction>(session.Main(), "Kola1")->trigger();
    auto* kola = guitest::Window<TKolaForm>("KolaForm");
    auto* list = guitest::Get<QTreeWidget>(kola, "SeznamKol");
    for (int r = 0; bike != nullptr && r < list->topLevelItemCount(); ++r) {
        if (list->topLevelItem(r)->text(0) == Q(bike)) list->setCurrentItem(list->topLevelItem(r));
    }
    return kola;
}

// Answers the bike name dialog with `name` typed over what it shows.
std::shared_ptr<guitest::Answer> AnswerName(const QString& name) {
    return guitest::AnswerModal([name](QWidget* modal) {
        auto* edit = guitest::Get<QLineEdit>(modal, "Nazev");
        edit->clear();
        guitest::TypeText(edit, name);
        guitest::Click(guitest::Get<QPushButton>(modal, "OKButton"));
    });
}

}  // namespace

class KolaTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { ClearNextMessageAnswer(); }
    void entryDialogToFile_data();
    void entryDialogToFile();
    void figuresAndParts();
    void statusBarNote_data();
    void statusBarNote();
    void rename_data();
    void rename();
    void remove_data();
    void remove();
    void searchCondition_data();
    void searchCondition();
    void listAndDetailShowTheBike();
    void everyNewRideStartsWithTheLastBike_data();
    void everyNewRideStartsWithTheLastBike();
    void overviewOfOneBike_data();
    void overviewOfOneBike();
};

void KolaTest::entryDialogToFile_data() {
    QTest::addColumn<std::string>("diary");
    QTest::addColumn<std::string>("settings");       // the diary's bike sections
    QTest::addColumn<bool>("edit");                  // edit ride 1 instead of a new ride
    QTest::addColumn<QString>("starts");             // Kolo as the dialog opens
    QTest::addColumn<int>("pick");                   // an item of Kolo picked, or -1
    QTest::addColumn<QString>("typed");              // typed over Kolo (null: left as it starts)
    QTest::addColumn<QString>("message");            // an error that keeps the dialog open
    QTest::addColumn<std::string>("after");          // the diary's rides afterwards
    QTest::addColumn<std::string>("settingsAfter");  // its bike sections afterwards

    const std::string one = DiaryBytes({{"1", kNoBike}});
    const std::string two = DiaryBytes({{"1", kAuthor}, {"2", kFav}});
    const std::string both = Sections("1=Author\r\n2=Fav\r\n");
    // A ride without a bike is written exactly as before: eleven fields, eleven separators.
    QTest::newRow("no bike, bytes as ever")
        << one << std::string() << false << QString() << -1 << QString() << QString()
        << one + Cp("2=1.5.2001§§§§§§§§§§§\r\n") << std::string();
    QTest::newRow("typed name: one more field, and the bike list")
        << std::string() << std::string() << false << QString() << -1 << Q("Horské") << QString()
        << Cp("[data]\r\n1=1.5.2001§§§§§§§§§§§Horské§\r\n") << Cp("[Kola]\r\n1=Horské\r\n");
    QTest::newRow("starts with the last ride's bike")
        << two << both << false << "Fav" << -1 << QString() << QString()
        << two + Cp("3=1.5.2001§§§§§§§§§§§Fav§\r\n") << both;
    QTest::newRow("picked from the list")
        << two << both << false << "Fav" << 0 << QString() << QString()
        << two + Cp("3=1.5.2001§§§§§§§§§§§Author§\r\n") << both;
    QTest::newRow("blanks around the name are no part of it")
        << std::string() << std::string() << false << QString() << -1 << "  Fav " << QString()
        << Cp("[data]\r\n1=1.5.2001§§§§§§§§§§§Fav§\r\n") << std::string("[Kola]\r\n1=Fav\r\n");
    QTest::newRow("separator refused")
        << one << std::string() << false << QString() << -1 << Q("A§B") << Q("Znak § nelze použít.")
        << one << std::string();
    QTest::newRow("quoted name refused")
        << one << std::string() << false << QString() << -1 << "\"Fav\""
        << Q("Název kola nesmí být celý v uvozovkách.") << one << std::string();
    QTest::newRow("edit takes the bike off: the line as without one")
        << DiaryBytes({{"1", kFav}}) << std::string() << true << "Fav" << -1 << "" << QString()
        << DiaryBytes({{"1", "5.3.2024§Doma§§§§§20§§§1 h 0 min§§"}}) << std::string();
}

void KolaTest::entryDialogToFile() {
    QFETCH(std::string, diary);
    QFETCH(std::string, settings);
    QFETCH(bool, edit);
    QFETCH(QString, starts);
    QFETCH(int, pick);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    QFETCH(std::string, after);
    QFETCH(std::string, settingsAfter);
    guitest::Session session;
    const std::string path = session.FsPath("vamo2001.vam");
    if (!diary.empty()) testsupport::WriteFileBytes(path, diary + settings);
    session.Start();
    TMainForm* main = session.Main();
    main->show();
    if (!message.isEmpty()) SetNextMessageAnswer(kResultOk);
    auto entry = guitest::AnswerModal([&](QWidget* modal) {
        auto* kolo = guitest::Get<QComboBox>(modal, "Kolo");
        QCOMPARE(kolo->currentText(), starts);
        QStringList items;
        for (int i = 0; i < kolo->count(); ++i) items << kolo->itemText(i);
        QCOMPARE(items, Bikes(diary::ReadBikeSettings(path).bikes));
        if (!edit) guitest::TypeText(guitest::Get<QLineEdit>(modal, "Dat"), "1.5.2001");
        if (pick >= 0) kolo->setCurrentIndex(pick);
        if (!typed.isNull()) {
            kolo->lineEdit()->clear();
            guitest::TypeText(kolo->lineEdit(), typed);
        }
        guitest::Click(guitest::Get<QPushButton>(modal, "OKButton"));
        if (!message.isEmpty()) {
            QVERIFY2(modal->isVisible(), "the dialog closed over a refused bike");
            QCOMPARE(LastAnsweredMessage().text, message);
            guitest::Click(guitest::Get<QPushButton>(modal, "CancelButton"));
        }
    });
    if (edit) guitest::ClickRow(guitest::Get<QTreeView>(main, "Seznam"), 0);
    guitest::Get<QAction>(main, edit ? "Editovat1" : "Novy1")->trigger();
    QVERIFY(entry->done);
    QVERIFY(!entry->leftOpen);
    QCOMPARE(testsupport::ReadFileBytes(path), after + settingsAfter);
    QCOMPARE(session.SettingsBytes(), std::string());
}

void KolaTest::figuresAndParts() {
    guitest::Session session;
    testsupport::WriteFileBytes(session.FsPath("vamo2001.vam"),
                                DiaryBytes({{"1", kNoBike},
                                            {"2", kFav},
                                            {"3", kAuthor},
                                            {"4", "15.3.2024§§§§§§40§§§2 h 0 min§§Fav§"}}));
    testsupport::WriteFileBytes(session.SettingsFile(),
                                Settings("1=Author\r\n2=Fav\r\n3=Horské\r\n",
                                         "1=Fav§řetěz§2024-03-10§30§\r\n"
                                         "2=Fav§pláště§2024-03-01§5000§\r\n"
                                         "3=Author§řetěz§2024-01-01§3000§\r\n"));
    session.Start();
    TKolaForm* kola = OpenKola(session, "Fav");
    QCOMPARE(kola->windowTitle(), QStringLiteral("Kola"));
    // Hand-computed: Fav rode 20 + 40 km in 3 hours, from 5.3. to 15.3.
    QCOMPARE(Texts(guitest::Get<QTreeWidget>(kola, "SeznamKol")),
             (QStringList{"Author|1|30,5|1 h 30 min|9.3.2024|9.3.2024",
                          "Fav|2|60|3 h 0 min|5.3.2024|15.3.2024", Q("Horské|0|0|0 h 0 min||"),
                          "bez kola|1|15|0 h 45 min|1.3.2024|1.3.2024"}));
    // The chain fitted on 10.3. has done only the 40 km of the 15th, past its 30.
    auto* parts = guitest::Get<QTreeWidget>(kola, "SeznamDilu");
    QCOMPARE(Texts(parts), (QStringList{Q("řetěz|10.3.2024|30|40|Čas na servis"),
                                        Q("pláště|1.3.2024|5000|60|zbývá 4940 km")}));
    QVERIFY(parts->topLevelItem(0)->font(0).bold());
    QVERIFY(!parts->topLevelItem(1)->font(0).bold());
}

// The parts an older version kept in the settings file move into the diary at the first start
// (the settings keep them), and the note is the diary's; a diary that cannot be written shows
// the settings' parts without a word.
void KolaTest::statusBarNote_data() {
    QTest::addColumn<QString>("servis");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<QString>("note");
    QTest::newRow("no parts") << QString() << false << QString();
    QTest::newRow("none due") << "1=Fav§řetěz§2024-03-01§3000§\r\n" << false << QString();
    const QString due = "1=Fav§řetěz§2024-03-01§20§\r\n2=Fav§pláště§2024-03-01§5000§\r\n";
    const QString note = Q("Čas na servis: Fav – řetěz (20 km z 20 km)");
    QTest::newRow("one due, once") << due << false << note;
    QTest::newRow("read-only diary") << due << true << note;
}

void KolaTest::statusBarNote() {
    QFETCH(QString, servis);
    QFETCH(bool, readOnly);
    QFETCH(QString, note);
    guitest::Session session;
    const std::string path = session.FsPath("vamo2001.vam");
    const std::string rides = DiaryBytes({{"1", kFav}});
    const std::string settings = Settings("1=Fav\r\n", servis.toUtf8().constData());
    testsupport::WriteFileBytes(path, rides);
    testsupport::WriteFileBytes(session.SettingsFile(), settings);
    if (readOnly) ::chmod(path.c_str(), 0444);
    SetNextMessageAnswer(kResultOk);  // for a box that must not come
    session.Start();
    TMainForm* main = session.Main();
    main->show();
    QVERIFY(HasPendingMessageAnswer());
    QCOMPARE(testsupport::ReadFileBytes(path),
             readOnly ? rides : rides + Sections("1=Fav\r\n", servis.toUtf8().constData()));
    QCOMPARE(session.SettingsBytes(), settings);
    const auto shown = [main] {
        const auto* label = main->findChild<QLabel*>(QStringLiteral("PoznamkaServis"));
        return label != nullptr && label->isVisible() ? label->text() : QString();
    };
    QCOMPARE(shown(), note);
    // A part of the bar, not a message: an open menu and a pointed-at item or tool button, which
    // clear the bar's message, leave it.
    auto* menu = guitest::Get<QMenu>(main, "Soubor1");
    menu->popup(main->mapToGlobal(QPoint(0, 0)));
    // What the menu does for the item under the mouse.
    guitest::Get<QAction>(main, "Nov1")->showStatusText(main);
    menu->close();
    QTest::mouseMove(guitest::Get<QToolButton>(main, "ToolButton1"));
    QCOMPARE(main->statusBar()->currentMessage(), QString());
    QCOMPARE(shown(), note);
}

void KolaTest::rename_data() {
    QTest::addColumn<QString>("to");
    QTest::addColumn<int>("answer");  // to the question whether to merge; 0: none asked
    QTest::addColumn<std::string>("after");
    QTest::addColumn<QStringList>("bikes");
    QTest::addColumn<QString>("partBike");
    const std::string before = DiaryBytes({{"1", kFav}, {"2", kNoBike}, {"3", kFav}});
    QTest::newRow("every ride in one save")
        << "Favorit" << 0
        << DiaryBytes({{"1", "5.3.2024§Doma§§§§§20§§§1 h 0 min§§Favorit§"},
                       {"2", kNoBike},
                       {"3", "5.3.2024§Doma§§§§§20§§§1 h 0 min§§Favorit§"}})
        << QStringList{"Favorit", "Author"} << "Favorit";
    QTest::newRow("into another bike, asked")
        << "Author" << kResultYes
        << DiaryBytes({{"1", "5.3.2024§Doma§§§§§20§§§1 h 0 min§§Author§"},
                       {"2", kNoBike},
                       {"3", "5.3.2024§Doma§§§§§20§§§1 h 0 min§§Author§"}})
        << QStringList{"Author"} << "Author";
    QTest::newRow("into another bike, refused")
        << "Author" << kResultNo << before << QStringList{"Fav", "Author"} << "Fav";
}

void KolaTest::rename() {
    QFETCH(QString, to);
    QFETCH(int, answer);
    QFETCH(std::string, after);
    QFETCH(QStringList, bikes);
    QFETCH(QString, partBike);
    guitest::Session session;
    testsupport::WriteFileBytes(session.FsPath("vamo2001.vam"),
                                DiaryBytes({{"1", kFav}, {"2", kNoBike}, {"3", kFav}}));
    testsupport::WriteFileBytes(
        session.SettingsFile(),
        Settings("1=Fav\r\n2=Author\r\n", "1=Fav§řetěz§2024-03-01§3000§\r\n"));
    session.Start();
    TKolaForm* kola = OpenKola(session, "Fav");
    if (answer != 0) SetNextMessageAnswer(answer);
    auto named = AnswerName(to);
    guitest::Click(guitest::Get<QPushButton>(kola, "PrejmenovatKolo"));
    QVERIFY(named->done);
    QVERIFY(!HasPendingMessageAnswer());
    // The settings' bikes moved into the diary at start; the change is the diary's alone.
    const std::string path = session.FsPath("vamo2001.vam");
    QCOMPARE(RidesOf(testsupport::ReadFileBytes(path)), after);
    const diary::BikeSettings settings = diary::ReadBikeSettings(path);
    QCOMPARE(Bikes(settings.bikes), bikes);
    QCOMPARE(FromCp(settings.parts.at(0).bike), partBike);
    QCOMPARE(diary::ReadBikeSettings(session.SettingsFile()).bikes,
             (std::vector<std::string>{"Fav", "Author"}));
    // The list shows the file as saved, and the window the list.
    QCOMPARE(guitest::ColumnTexts(diary::kColumnCount - 1),
             (QStringList{partBike, QString(), partBike}));
    QCOMPARE(guitest::Get<QTreeWidget>(kola, "SeznamKol")->currentItem()->text(0),
             answer == kResultNo ? QStringLiteral("Fav") : to);
}

void KolaTest::remove_data() {
    QTest::addColumn<QString>("bike");
    QTest::addColumn<int>("answer");  // to the question; 0: none may be asked
    QTest::addColumn<std::string>("after");
    QTest::addColumn<QStringList>("bikes");
    const std::string before = DiaryBytes({{"1", kFav}, {"2", kNoBike}});
    QTest::newRow("in use, kept") << "Fav" << kResultNo << before << QStringList{"Fav", "Author"};
    QTest::newRow("in use, rides left without it")
        << "Fav" << kResultYes
        << DiaryBytes({{"1", "5.3.2024§Doma§§§§§20§§§1 h 0 min§§"}, {"2", kNoBike}})
        << QStringList{"Author"};
    QTest::newRow("unused, without a question") << "Author" << 0 << before << QStringList{"Fav"};
}

void KolaTest::remove() {
    QFETCH(QString, bike);
    QFETCH(int, answer);
    QFETCH(std::string, after);
    QFETCH(QStringList, bikes);
    guitest::Session session;
    testsupport::WriteFileBytes(session.FsPath("vamo2001.vam"),
                                DiaryBytes({{"1", kFav}, {"2", kNoBike}}));
    testsupport::WriteFileBytes(
        session.SettingsFile(),
        Settings("1=Fav\r\n2=Author\r\n", "1=Fav§řetěz§2024-03-01§3000§\r\n"));
    session.Start();
    TKolaForm* kola = OpenKola(session, bike.toUtf8().constData());
    // An answer is handed in either way: where no question may come it must stay unused.
    SetNextMessageAnswer(answer == 0 ? kResultNo : answer);
    guitest::Click(guitest::Get<QPushButton>(kola, "SmazatKolo"));
    QCOMPARE(HasPendingMessageAnswer(), answer == 0);
    if (answer != 0) {
        QCOMPARE(LastAnsweredMessage().text,
                 Q("Na kole „Fav“ je zapsáno jízd: 1. Smazat kolo a nechat tyto jízdy bez kola?"));
    }
    const std::string path = session.FsPath("vamo2001.vam");
    QCOMPARE(RidesOf(testsupport::ReadFileBytes(path)), after);
    const diary::BikeSettings settings = diary::ReadBikeSettings(path);
    QCOMPARE(Bikes(settings.bikes), bikes);
    // The bike's parts go with it.
    QCOMPARE(settings.parts.size(), std::size_t(bikes.contains("Fav") ? 1 : 0));
}

void KolaTest::searchCondition_data() {
    QTest::addColumn<QString>("kolo");
    QTest::addColumn<QStringList>("found");
    QTest::newRow("exact text") << "Fav" << QStringList{"2"};
    QTest::newRow("case counts") << "fav" << QStringList{"4"};
    QTest::newRow("empty: rides without a bike") << "" << QStringList{"1"};
}

void KolaTest::searchCondition() {
    QFETCH(QString, kolo);
    QFETCH(QStringList, found);
    guitest::Session session;
    testsupport::WriteFileBytes(
        session.FsPath("vamo2001.vam"),
        DiaryBytes(
            {{"1", kNoBike}, {"2", kFav}, {"3", kAuthor}, {"4", "1.1.2024§§§§§§§§§§§fav§"}}));
    session.Start();
    guitest::Get<QAction>(session.Main(), "Hledat1")->trigger();
    auto* find = guitest::Window<TFindForm>("FindForm");
    guitest::Get<QCheckBox>(find, "Chkolo")->setChecked(true);
    guitest::TypeText(guitest::Get<QLineEdit>(find, "Ekolo"), kolo);
    guitest::Click(guitest::Get<QPushButton>(find, "FindButton"));
    const QAbstractItemModel* results = guitest::Get<QTreeView>(find, "List")->model();
    QStringList numbers;
    for (int r = 0; r < results->rowCount(); ++r) numbers << results->index(r, 0).data().toString();
    QCOMPARE(numbers, found);
    QCOMPARE(results->headerData(diary::kColumnCount - 1, Qt::Horizontal).toString(),
             QStringLiteral("Kolo"));
    find->close();
}

void KolaTest::listAndDetailShowTheBike() {
    guitest::Session session;
    testsupport::WriteFileBytes(
        session.FsPath("vamo2001.vam"),
        DiaryBytes(
            {{"1", "1.1.2024§§§§§§§§§§§b§"}, {"2", kNoBike}, {"3", "3.1.2024§§§§§§§§§§§A§"}}));
    session.Start();
    QCOMPARE(session.Main()->model()->headerData(12, Qt::Horizontal, Qt::DisplayRole).toString(),
             QStringLiteral("Kolo"));
    guitest::SortBy(session.Main(), diary::kColumnCount - 1);
    QCOMPARE(guitest::ColumnTexts(diary::kColumnCount - 1), (QStringList{"", "A", "b"}));
    auto shown = guitest::AnswerModal([](QWidget* modal) {
        auto* grid = guitest::Get<QTableWidget>(modal, "Grid");
        QCOMPARE(grid->item(12, 0)->text(), QStringLiteral("Kolo"));
        QCOMPARE(grid->item(12, 1)->text(), QStringLiteral("A"));
        guitest::Click(guitest::Get<QPushButton>(modal, "OKButton"));
    });
    guitest::Window<TInfoForm>("InfoForm")->ShowRecord(session.Main()->model()->row(1));
    QVERIFY(shown->done);
}

void KolaTest::everyNewRideStartsWithTheLastBike_data() {
    QTest::addColumn<QString>("action");
    QTest::newRow("Nový") << "Novy1";
    // Like the selected ride in its places and times, but on the bike a new ride gets.
    QTest::newRow("Nový podle vybraného") << "Novpodlevybranho1";
    QTest::newRow("Nový z GPS záznamu") << "NovzGPSzznamu1";
}

void KolaTest::everyNewRideStartsWithTheLastBike() {
    QFETCH(QString, action);
    guitest::Session session;
    testsupport::WriteFileBytes(session.FsPath("vamo2001.vam"),
                                DiaryBytes({{"1", kAuthor}, {"2", kFav}}));
    testsupport::WriteFileBytes(
        session.FsPath("jizda.gpx"),
        "<?xml version=\"1.0\"?><gpx version=\"1.1\" "
        "xmlns=\"http://www.topografix.com/GPX/1/1\"><trk><trkseg>"
        "<trkpt lat=\"49.0\" lon=\"16.0\"><time>2024-07-13T05:42:00Z</time></trkpt>"
        "<trkpt lat=\"49.02\" lon=\"16.0\"><time>2024-07-13T05:48:00Z</time></trkpt>"
        "</trkseg></trk></gpx>");
    session.Start();
    TMainForm* main = session.Main();
    main->show();
    guitest::ClickRow(guitest::Get<QTreeView>(main, "Seznam"), 0);
    if (action == "NovzGPSzznamu1") filedialog::SetNextFileNames({session.Path("jizda.gpx")});
    auto shown = guitest::AnswerModal([](QWidget* modal) {
        QCOMPARE(guitest::Get<QComboBox>(modal, "Kolo")->currentText(), QStringLiteral("Fav"));
        guitest::Click(guitest::Get<QPushButton>(modal, "CancelButton"));
    });
    guitest::Get<QAction>(main, action.toLatin1().constData())->trigger();
    QVERIFY(shown->done);
    QVERIFY(!filedialog::HasPendingAnswer());
}

void KolaTest::overviewOfOneBike_data() {
    QTest::addColumn<int>("choice");  // the item of "Kolo:"
    QTest::addColumn<QString>("month");
    QTest::addColumn<QString>("longest");
    // Hand-computed: 15 + 20 + 30,5 + 40 km in 5 h 15 min, of which Fav 60 km in 3 h.
    QTest::newRow("všechna kola") << 0 << Q("březen 2024 | 4 | 105,5 | 5 h 15 min | 20,1 | 40,0")
                                  << "40,0 km";
    QTest::newRow("Author") << 1 << Q("březen 2024 | 1 | 30,5 | 1 h 30 min | 20,3 | 30,5")
                            << "30,5 km";
    QTest::newRow("Fav") << 2 << Q("březen 2024 | 2 | 60,0 | 3 h 0 min | 20,0 | 40,0") << "40,0 km";
}

void KolaTest::overviewOfOneBike() {
    QFETCH(int, choice);
    QFETCH(QString, month);
    QFETCH(QString, longest);
    guitest::Session session;
    testsupport::WriteFileBytes(session.FsPath("vamo2001.vam"),
                                DiaryBytes({{"1", kNoBike},
                                            {"2", kFav},
                                            {"3", kAuthor},
                                            {"4", "15.3.2024§§§§§§40§§§2 h 0 min§§Fav§"}}));
    session.Start();
    auto* form = guitest::Window<TPrehledForm>("PrehledForm");
    form->SetToday(QDate(2024, 3, 31));
    guitest::Get<QAction>(session.Main(), "Prehled1")->trigger();
    auto* kolo = guitest::Get<QComboBox>(form, "Kolo");
    QStringList items;
    for (int i = 0; i < kolo->count(); ++i) items << kolo->itemText(i);
    QCOMPARE(items, (QStringList{Q("všechna kola"), "Author", "Fav"}));
    kolo->setCurrentIndex(choice);
    const QAbstractItemModel* totals = guitest::Get<QTableView>(form, "Soucty")->model();
    QCOMPARE(totals->rowCount(), 1);
    QStringList cells;
    for (int c = 0; c < totals->columnCount(); ++c) cells << totals->index(0, c).data().toString();
    QCOMPARE(cells.join(QStringLiteral(" | ")), month);
    QCOMPARE(guitest::Get<QTreeWidget>(form, "Rekordy")->topLevelItem(0)->text(1), longest);
    form->close();
}

VAMO_GUI_TEST(KolaTest, "tst_kola")
#include "tst_kola.moc"

// "Nový", "Editovat" and "Smazat" of the "Údaj" menu, through the real entry dialog: the list
// and the diary file change together or not at all.

#include <sys/stat.h>

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTreeView>
#include <cstdio>

#include "app/entrydialog.h"
#include "app/mainwindow.h"
#include "app/recordmodel.h"
#include "app/textcodec.h"
#include "diary/diary_file.h"
#include "guitest.h"

using diary::Field;
using guitest::Cp;
using guitest::Q;

namespace {

std::vector<std::string> Notes(const std::string& path) {
    std::vector<std::string> notes;
    for (const auto& r : diary::ReadDiary(path)) notes.push_back(r[Field::Note]);
    return notes;
}

// Answers the entry dialog: `fill` types into it, then "OK" (or "Storno") is clicked.
std::shared_ptr<guitest::Answer> AnswerEntry(std::function<void(TAddForm*)> fill, bool ok = true) {
    return guitest::AnswerModal([fill, ok](QWidget* modal) {
        auto* form = qobject_cast<TAddForm*>(modal);
        QVERIFY2(form != nullptr, "the entry dialog did not come up");
        QVERIFY2(!guitest::Window<TMainForm>("MainForm")->isEnabled(),
                 "the main window stays enabled under the dialog");
        fill(form);
        guitest::Click(
            ok ? static_cast<QAbstractButton*>(guitest::Get<QPushButton>(form, "OKButton"))
               : guitest::Get<QPushButton>(form, "CancelButton"));
    });
}

}  // namespace

class RecordCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void newRideReachesListFileAndNextStart();
    void cancelledNewChangesNothing();
    void editKeepsNumberInSortedList();
    void commandsNeedASelection_data();
    void commandsNeedASelection();
    void deleteMiddleRenumbers();
    void deleteAnsweredNoKeepsAll();
    void failedWriteLeavesListAsFile();
    void editNeverShortensStoredText();
    void outsideChangeReloadsKeepingSortAndSelection();
};

void RecordCommandsTest::newRideReachesListFileAndNextStart() {
    guitest::Session session;
    session.Start();
    TMainForm* main = session.Main();
    main->show();
    auto entry = AnswerEntry([](TAddForm* form) {
        QCOMPARE(form->windowTitle(), Q("Nový údaj"));
        QCOMPARE(guitest::Get<QLabel>(form, "Cislo")->text(), QStringLiteral("1"));
        guitest::TypeText(guitest::Get<QLineEdit>(form, "Dat"), QStringLiteral("12.5.2001"));
        guitest::TypeText(guitest::Get<QComboBox>(form, "od")->lineEdit(), QStringLiteral("Doma"));
        guitest::TypeText(guitest::Get<QComboBox>(form, "kam")->lineEdit(), Q("Lhota"));
        guitest::TypeText(guitest::Get<QComboBox>(form, "pres")->lineEdit(), QStringLiteral("Ves"));
        guitest::TypeText(guitest::Get<QLineEdit>(form, "Odj"), QStringLiteral("1200"));
        guitest::TypeText(guitest::Get<QLineEdit>(form, "Pri"), QStringLiteral("1235"));
        guitest::TypeText(guitest::Get<QLineEdit>(form, "Ujeto"), QStringLiteral("35"));
        guitest::TypeText(guitest::Get<QLineEdit>(form, "Pr"), QStringLiteral("20"));
        guitest::TypeText(guitest::Get<QLineEdit>(form, "Mr"), QStringLiteral("41"));
        guitest::TypeText(guitest::Get<QLineEdit>(form, "Cj"), QStringLiteral("1 h 45 min"));
        guitest::TypeText(guitest::Get<QLineEdit>(form, "Pozn"), Q("žluťoučký kůň"));
    });
    guitest::Get<QAction>(main, "Novy1")->trigger();
    QVERIFY(entry->done);
    QVERIFY(main->isEnabled());

    QCOMPARE(session.Main()->model()->rowCount(), 1);
    QCOMPARE(guitest::ColumnTexts(3), (QStringList{"Ves"}));
    QCOMPARE(testsupport::ReadFileBytes(session.FsPath("vamo2001.vam")),
             "[data]\r\n1=" +
                 Cp("12.5.2001§Doma§Lhota§Ves§1200§1235§35§20§41§1 h 45 min§žluťoučký kůň§") +
                 "\r\n");

    session.Restart();
    QCOMPARE(guitest::ColumnTexts(11), (QStringList{Q("žluťoučký kůň")}));
}

void RecordCommandsTest::cancelledNewChangesNothing() {
    guitest::Session session;
    session.Start();
    auto entry = AnswerEntry(
        [](TAddForm* form) {
            guitest::TypeText(guitest::Get<QLineEdit>(form, "Dat"), QStringLiteral("1.1.2001"));
        },
        false);
    guitest::Get<QAction>(session.Main(), "Novy1")->trigger();
    QVERIFY(entry->done);
    QCOMPARE(session.Main()->model()->rowCount(), 0);
    QVERIFY(!testsupport::FileExists(session.FsPath("vamo2001.vam")));

    // The next "Nový" starts from empty fields again.
    auto again = AnswerEntry(
        [](TAddForm* form) { QCOMPARE(guitest::Get<QLineEdit>(form, "Dat")->text(), QString()); },
        false);
    guitest::Get<QAction>(session.Main(), "Novy1")->trigger();
    QVERIFY(again->done);
}

void RecordCommandsTest::editKeepsNumberInSortedList() {
    guitest::Session session;
    testsupport::WriteFileBytes(session.FsPath("vamo2001.vam"), guitest::ThreeRides());
    session.Start();
    TMainForm* main = session.Main();
    main->show();
    QVERIFY(QTest::qWaitForWindowExposed(main));
    guitest::SortBy(main, 11);  // druhá, první, třetí
    guitest::ClickRow(guitest::Get<QTreeView>(main, "Seznam"), 0);
    QCOMPARE(guitest::SelectedRow(guitest::Get<QTreeView>(main, "Seznam")), 0);

    auto entry = AnswerEntry([](TAddForm* form) {
        QCOMPARE(form->windowTitle(), Q("Editovat údaj"));
        QCOMPARE(guitest::Get<QLabel>(form, "Cislo")->text(), QStringLiteral("2"));
        QCOMPARE(guitest::Get<QComboBox>(form, "od")->currentText(), QStringLiteral("Les"));
        QCOMPARE(guitest::Get<QLineEdit>(form, "Ujeto")->text(), QStringLiteral("10"));
        QCOMPARE(guitest::Get<QLineEdit>(form, "Pri")->text(), QStringLiteral("140"));
        guitest::Get<QLineEdit>(form, "Pozn")->setText(Q("opravená"));
    });
    guitest::Get<QAction>(main, "Editovat1")->trigger();
    QVERIFY(entry->done);

    QCOMPARE(guitest::ColumnTexts(0), (QStringList{"2", "1", "3"}));
    QCOMPARE(guitest::ColumnTexts(11), (QStringList{Q("opravená"), Q("první"), Q("třetí")}));
    QCOMPARE(Notes(session.FsPath("vamo2001.vam")),
             (std::vector<std::string>{Cp("první"), Cp("opravená"), Cp("třetí")}));
}

void RecordCommandsTest::commandsNeedASelection_data() {
    QTest::addColumn<QString>("action");
    QTest::newRow("Editovat") << "Editovat1";
    QTest::newRow("Smazat") << "Smazat1";
    QTest::newRow("Nový podle vybraného") << "Novpodlevybranho1";
}

void RecordCommandsTest::commandsNeedASelection() {
    QFETCH(QString, action);
    guitest::Session session;
    testsupport::WriteFileBytes(session.FsPath("vamo2001.vam"), guitest::ThreeRides());
    session.Start();
    auto box = guitest::AnswerMessage(QStringLiteral("OK"));
    session.Main()->findChild<QAction*>(action)->trigger();
    QVERIFY(box->done);
    QCOMPARE(box->title, QStringLiteral("Error"));
    QCOMPARE(box->text, Q("Není vybrán žádný údaj !"));
    QCOMPARE(testsupport::ReadFileBytes(session.FsPath("vamo2001.vam")), guitest::ThreeRides());
}

void RecordCommandsTest::deleteMiddleRenumbers() {
    guitest::Session session;
    testsupport::WriteFileBytes(session.FsPath("vamo2001.vam"), guitest::ThreeRides());
    session.Start();
    TMainForm* main = session.Main();
    main->show();
    QVERIFY(QTest::qWaitForWindowExposed(main));
    guitest::ClickRow(guitest::Get<QTreeView>(main, "Seznam"), 1);

    auto box = guitest::AnswerMessage(QStringLiteral("Yes"));
    guitest::Get<QAction>(main, "Smazat1")->trigger();
    QVERIFY(box->done);
    QCOMPARE(box->title, QStringLiteral("Warning"));
    QCOMPARE(box->text, QStringLiteral("Opravdu smazat?"));

    QCOMPARE(guitest::ColumnTexts(0), (QStringList{"1", "2"}));
    QCOMPARE(guitest::ColumnTexts(11), (QStringList{Q("první"), Q("třetí")}));
    session.Restart();
    QCOMPARE(guitest::ColumnTexts(0), (QStringList{"1", "2"}));
    QCOMPARE(guitest::ColumnTexts(11), (QStringList{Q("první"), Q("třetí")}));

    // A new ride then takes a number nobody holds.
    auto entry = AnswerEntry([](TAddForm* form) {
        QCOMPARE(guitest::Get<QLabel>(form, "Cislo")->text(), QStringLiteral("3"));
    });
    guitest::Get<QAction>(session.Main(), "Novy1")->trigger();
    QVERIFY(entry->done);
    QCOMPARE(diary::ReadDiary(session.FsPath("vamo2001.vam")).size(), std::size_t{3});
}

void RecordCommandsTest::deleteAnsweredNoKeepsAll() {
    guitest::Session session;
    testsupport::WriteFileBytes(session.FsPath("vamo2001.vam"), guitest::ThreeRides());
    session.Start();
    session.Main()->show();
    QVERIFY(QTest::qWaitForWindowExposed(session.Main()));
    guitest::ClickRow(guitest::Get<QTreeView>(session.Main(), "Seznam"), 1);
    auto box = guitest::AnswerMessage(QStringLiteral("No"));
    guitest::Get<QAction>(session.Main(), "Smazat1")->trigger();
    QVERIFY(box->done);
    QCOMPARE(session.Main()->model()->rowCount(), 3);
    QCOMPARE(testsupport::ReadFileBytes(session.FsPath("vamo2001.vam")), guitest::ThreeRides());
}

void RecordCommandsTest::failedWriteLeavesListAsFile() {
    guitest::Session session;
    testsupport::WriteFileBytes(session.FsPath("vamo2001.vam"), guitest::ThreeRides());
    ::chmod(session.FsPath("vamo2001.vam").c_str(), 0444);
    session.Start();
    TMainForm* main = session.Main();
    main->show();
    QVERIFY(QTest::qWaitForWindowExposed(main));
    const QString expected = QStringLiteral("Unable to write to ") + session.Path("vamo2001.vam") +
                             QStringLiteral("\nK souboru nemáte přístup.");

    // The write runs once the dialog is gone, so its error box is answered after it.
    std::shared_ptr<guitest::Answer> error;
    auto entry = AnswerEntry([&error](TAddForm* form) {
        guitest::Get<QLineEdit>(form, "Pozn")->setText(QStringLiteral("nová"));
        error = guitest::AnswerMessage(QStringLiteral("OK"));
    });
    guitest::Get<QAction>(main, "Novy1")->trigger();
    QVERIFY(entry->done);
    QVERIFY(error && error->done);
    QCOMPARE(error->text, expected);
    QCOMPARE(session.Main()->model()->rowCount(), 3);

    guitest::ClickRow(guitest::Get<QTreeView>(main, "Seznam"), 0);
    entry = AnswerEntry([&error](TAddForm* form) {
        guitest::Get<QLineEdit>(form, "Pozn")->setText(QStringLiteral("jiná"));
        error = guitest::AnswerMessage(QStringLiteral("OK"));
    });
    guitest::Get<QAction>(main, "Editovat1")->trigger();
    QVERIFY(entry->done);
    QVERIFY(error && error->done);
    QCOMPARE(error->text, expected);
    QCOMPARE(guitest::ColumnTexts(11).first(), Q("první"));

    auto ask = guitest::AnswerModal([&error](QWidget* modal) {
        error = guitest::AnswerMessage(QStringLiteral("OK"));
        modal->findChild<QAbstractButton*>(QStringLiteral("Yes"))->click();
    });
    guitest::Get<QAction>(main, "Smazat1")->trigger();
    QVERIFY(ask->done);
    QVERIFY(error->done);
    QCOMPARE(error->text, expected);
    QCOMPARE(session.Main()->model()->rowCount(), 3);
    QCOMPARE(testsupport::ReadFileBytes(session.FsPath("vamo2001.vam")), guitest::ThreeRides());
}

// Text loaded from the diary is never cut by a field's typing limit: an untouched long note and
// "Přes" are saved byte for byte; a long note the user changed is refused with a message.
void RecordCommandsTest::editNeverShortensStoredText() {
    guitest::Session session;
    const std::string via(40000, 'v');
    const std::string note = Cp("č") + std::string(999, 'n');
    const std::string line =
        Cp("1.5.2001§Doma§Les§") + via + Cp("§100§130§30§20§30§1 h 30 min§") + note + Cp("§");
    testsupport::WriteFileBytes(session.FsPath("vamo2001.vam"), "[Data]\r\n1=" + line + "\r\n");
    session.Start();
    TMainForm* main = session.Main();
    main->show();
    QVERIFY(QTest::qWaitForWindowExposed(main));
    guitest::ClickRow(guitest::Get<QTreeView>(main, "Seznam"), 0);

    auto edit = AnswerEntry([](TAddForm* form) {
        guitest::Get<QLineEdit>(form, "Ujeto")->setText(QStringLiteral("31"));
    });
    guitest::Get<QAction>(main, "Editovat1")->trigger();
    QVERIFY(edit->done);
    auto records = diary::ReadDiary(session.FsPath("vamo2001.vam"));
    QCOMPARE(records.size(), std::size_t{1});
    QCOMPARE(records[0][Field::Via], via);
    QCOMPARE(records[0][Field::Note], note);
    QCOMPARE(records[0][Field::DistanceKm], std::string("31"));

    std::shared_ptr<guitest::Answer> refusal;
    auto changed = AnswerEntry([&refusal](TAddForm* form) {
        auto* pozn = guitest::Get<QLineEdit>(form, "Pozn");
        pozn->end(false);
        pozn->backspace();
        refusal = guitest::AnswerMessage(QStringLiteral("OK"));
    });
    guitest::Get<QAction>(main, "Editovat1")->trigger();
    QVERIFY(changed->done);
    QVERIFY(changed->leftOpen);
    QVERIFY(refusal && refusal->done);
    QCOMPARE(refusal->title, QStringLiteral("Error"));
    QVERIFY2(refusal->text.contains(QStringLiteral("255")), qPrintable(refusal->text));
    QCOMPARE(diary::ReadDiary(session.FsPath("vamo2001.vam"))[0][Field::Note], note);
}

// A diary replaced behind the window's back (rename over it, as a sync tool or another
// instance saves) shows within a second, sorted as before and with the same ride selected; the
// program's own save is not loaded a second time.
void RecordCommandsTest::outsideChangeReloadsKeepingSortAndSelection() {
    guitest::Session session;
    const std::string path = session.FsPath("vamo2001.vam");
    testsupport::WriteFileBytes(path, guitest::ThreeRides());
    session.Start();
    TMainForm* main = session.Main();
    main->show();
    QVERIFY(QTest::qWaitForWindowExposed(main));
    auto* seznam = guitest::Get<QTreeView>(main, "Seznam");
    guitest::SortBy(main, 11);     // druhá, první, třetí
    guitest::ClickRow(seznam, 2);  // třetí, record 3

    // Another program rewrote the diary: "třetí" is now record 3, and a new ride is record 1.
    const std::string replaced = guitest::DiaryBytes({
        {"1", "4.5.2001§Ves§Doma§§190§240§50§25§40§2 h 0 min§čtvrtá§"},
        {"2", "2.5.2001§Les§Doma§§130§140§10§20§30§0 h 30 min§druhá§"},
        {"3", "3.5.2001§Doma§Ves§§140§190§50§25§40§2 h 0 min§třetí§"},
    });
    testsupport::WriteFileBytes(path + ".new", replaced);
    QCOMPARE(::rename((path + ".new").c_str(), path.c_str()), 0);
    QTRY_COMPARE_WITH_TIMEOUT(guitest::ColumnTexts(11),
                              (QStringList{Q("druhá"), Q("třetí"), Q("čtvrtá")}), 1000);
    QCOMPARE(guitest::ColumnTexts(0), (QStringList{"2", "3", "1"}));
    QCOMPARE(guitest::SelectedRow(seznam), 1);
    QCOMPARE(main->windowTitle(),
             QStringLiteral("Vamo 2001 [%1]").arg(session.Path("vamo2001.vam")));

    QSignalSpy resets(main->model(), &QAbstractItemModel::modelReset);
    auto entry = AnswerEntry([](TAddForm* form) {
        guitest::Get<QLineEdit>(form, "Pozn")->setText(QStringLiteral("pata"));
    });
    guitest::Get<QAction>(main, "Novy1")->trigger();
    QVERIFY(entry->done);
    QTest::qWait(600);
    // One row more, at the end of the sorted list, and no reload of the file just saved.
    QCOMPARE(resets.count(), 0);
    QCOMPARE(guitest::ColumnTexts(11),
             (QStringList{Q("druhá"), Q("třetí"), Q("čtvrtá"), QStringLiteral("pata")}));
}

VAMO_GUI_TEST(RecordCommandsTest, "tst_recordcommands")
#include "tst_recordcommands.moc"

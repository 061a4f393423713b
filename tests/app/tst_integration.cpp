// The windows together, as the program creates them: the detail window, the statistics, the
// shortcut editor, the pickers of the entry dialog and the import of old diaries, all reached
// through the main window.

#include <QCalendarWidget>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTreeView>

#include "app/datepicker.h"
#include "app/detailwindow.h"
#include "app/entrydialog.h"
#include "app/filedialog.h"
#include "app/mainwindow.h"
#include "app/placelisteditor.h"
#include "app/recordmodel.h"
#include "app/ridetimedialog.h"
#include "app/searchwindow.h"
#include "app/statisticswindow.h"
#include "diary/diary_file.h"
#include "guitest.h"

using guitest::Cp;
using guitest::Q;

class IntegrationTest : public QObject {
    Q_OBJECT
private slots:
    void doubleClickAfterSortShowsThatRide();
    void statisticsOfEmptyListShowNothing();
    void shortcutEditorStartsFromEntryLists();
    void entryPickersFillTheirFields();
    void importMakesOpensAndAnnouncesDiary();
    void importKeepsExistingTargetOnNo();
};

void IntegrationTest::doubleClickAfterSortShowsThatRide() {
    guitest::Session session;
    testsupport::WriteFileBytes(session.FsPath("vamo2001.vam"),
                                guitest::DiaryBytes({{"1", "1.5.2001§Zlín§§§1§2§12,5§§§§§"},
                                                     {"2", "2.5.2001§Čáslav§§§1§2§9.3§§§§§"}}));
    session.Start();
    TMainForm* main = session.Main();
    main->show();
    QVERIFY(QTest::qWaitForWindowExposed(main));
    guitest::SortBy(main, 6);  // Ujeto: 9.3 before 12,5
    QCOMPARE(guitest::ColumnTexts(0), (QStringList{"2", "1"}));

    auto info = guitest::AnswerModal([](QWidget* modal) {
        auto* form = qobject_cast<TInfoForm*>(modal);
        QVERIFY(form != nullptr);
        QCOMPARE(form->windowModality(), Qt::ApplicationModal);
        QCOMPARE(guitest::Get<QTableWidget>(form, "Grid")->item(0, 1)->text(), QStringLiteral("2"));
        QCOMPARE(guitest::Get<QTableWidget>(form, "Grid")->item(2, 1)->text(), Q("Čáslav"));
        QCOMPARE(guitest::Get<QTableWidget>(form, "Grid")->item(6, 1)->text(),
                 QStringLiteral("9.3"));
        form->accept();
    });
    guitest::ClickRow(guitest::Get<QTreeView>(main, "Seznam"), 0);
    QTest::mouseDClick(
        guitest::Get<QTreeView>(main, "Seznam")->viewport(), Qt::LeftButton, {},
        guitest::Get<QTreeView>(main, "Seznam")->visualRect(main->model()->index(0, 1)).center());
    QVERIFY(info->done);
    QVERIFY(main->isEnabled());
}

void IntegrationTest::statisticsOfEmptyListShowNothing() {
    guitest::Session session;
    session.Start();
    guitest::Get<QAction>(session.Main(), "Statistika1")->trigger();
    QVERIFY(!guitest::Window<TStatForm>("StatForm")->isVisible());
}

void IntegrationTest::shortcutEditorStartsFromEntryLists() {
    guitest::Session session;
    testsupport::WriteFileBytes(session.SettingsFile(),
                                Cp("[odkud]\r\n1=Doma\r\n2=Doma\r\n[kam]\r\n1=Zlín\r\n"));
    session.Start();
    guitest::Get<QAction>(session.Main(), "Zkratky1")->trigger();
    QVERIFY(guitest::Window<TZkratkyForm>("ZkratkyForm")->isVisible());
    QCOMPARE(
        guitest::Get<QListWidget>(guitest::Window<TZkratkyForm>("ZkratkyForm"), "List1")->count(),
        2);
    QCOMPARE(guitest::Get<QListWidget>(guitest::Window<TZkratkyForm>("ZkratkyForm"), "List2")
                 ->item(0)
                 ->text(),
             Q("Zlín"));
    QCOMPARE(
        guitest::Get<QListWidget>(guitest::Window<TZkratkyForm>("ZkratkyForm"), "List3")->count(),
        0);
}

void IntegrationTest::entryPickersFillTheirFields() {
    guitest::Session session;
    session.Start();
    TMainForm* main = session.Main();
    TAddForm* add = guitest::Window<TAddForm>("AddForm");

    // The ride-time dialog from the entry dialog starts empty and writes only into Cj.
    guitest::Get<QLineEdit>(guitest::Window<TCasForm>("CasForm"), "Edit1")
        ->setText(QStringLiteral("9"));
    guitest::Get<QLineEdit>(guitest::Window<TFindForm>("FindForm"), "Ecasod")
        ->setText(QStringLiteral("kept"));
    auto cas = guitest::AnswerModal([](QWidget* modal) {
        auto* form = qobject_cast<TCasForm*>(modal);
        QVERIFY(form != nullptr);
        QCOMPARE(guitest::Get<QLineEdit>(form, "Edit1")->text(), QString());
        guitest::Get<QLineEdit>(form, "Edit1")->setText(QStringLiteral("2"));
        guitest::Get<QLineEdit>(form, "Edit2")->setText(QStringLiteral("5"));
        guitest::Click(guitest::Get<QPushButton>(form, "OKButton"));
    });
    guitest::Get<QPushButton>(add, "Button1")->click();
    QVERIFY(cas->done);
    QCOMPARE(guitest::Get<QLineEdit>(add, "Cj")->text(), QStringLiteral("2 h 5 min"));
    QCOMPARE(guitest::Get<QLineEdit>(guitest::Window<TFindForm>("FindForm"), "Ecasod")->text(),
             QStringLiteral("kept"));

    // The picker opened from the entry dialog leaves the main window disabled as it found it.
    main->setEnabled(false);
    auto picked = guitest::AnswerModal([](QWidget* modal) {
        auto* form = qobject_cast<TCalendarForm*>(modal);
        QVERIFY(form != nullptr);
        QCOMPARE(guitest::Get<QCalendarWidget>(form, "Calendar")->selectedDate(),
                 QDate::currentDate());
        guitest::Get<QCalendarWidget>(form, "Calendar")->setSelectedDate(QDate(2001, 3, 1));
        guitest::Click(guitest::Get<QPushButton>(form, "BitBtn1"));
    });
    guitest::Get<QToolButton>(add, "SpeedButton1")->click();
    QVERIFY(picked->done);
    QCOMPARE(guitest::Get<QLineEdit>(add, "Dat")->text(), QStringLiteral("1.3.2001"));
    QVERIFY(!main->isEnabled());
    QVERIFY(add->isEnabled());
}

void IntegrationTest::importMakesOpensAndAnnouncesDiary() {
    guitest::Session session;
    session.Start();
    const std::string old =
        Cp("Datum=1.5.1999*Odkud=Doma*Kam=Les*Přes=Ves*Odjezd=100*Příjezd=120*Ujeto=20*Prům=18*"
           "Max=35*Pozn=hezky*\r\n\r\n2.5.1999*Les*Doma*Ves*120*150*30*20*40*vítr*\r\n");
    testsupport::WriteFileBytes(session.FsPath("stare.dat"), old);

    filedialog::SetNextFileName(session.Path("stare.dat"));
    std::shared_ptr<guitest::Answer> done;
    auto confirm = guitest::AnswerModal([&done](QWidget* modal) {
        auto* yes = modal->findChild<QPushButton*>(QStringLiteral("Yes"));
        QVERIFY(yes != nullptr);
        done = guitest::AnswerMessage(QStringLiteral("OK"));
        guitest::Click(yes);
    });
    guitest::Get<QAction>(session.Main(), "Importzestarverze1")->trigger();
    QVERIFY(confirm->done);
    QCOMPARE(confirm->text, QStringLiteral("Importovat ?"));
    QVERIFY(done && done->done);
    QCOMPARE(done->title, QStringLiteral("Vamo 2000"));
    QCOMPARE(done->text, QStringLiteral("Import hotov."));
    const QString target = session.Path("stare.vam");
    QCOMPARE(session.Main()->windowTitle(), QStringLiteral("Vamo 2001 [") + target + "]");
    QCOMPARE(guitest::ColumnTexts(0), (QStringList{"1", "2"}));
    QCOMPARE(guitest::ColumnTexts(8), (QStringList{"?", "?"}));
    QCOMPARE(guitest::ColumnTexts(11), (QStringList{"hezky", Q("vítr")}));
    const auto records = diary::ReadDiary(session.FsPath("stare.vam"));
    QCOMPARE(records.size(), std::size_t{2});
    QCOMPARE(records[0][diary::Field::Via], std::string("Ves"));
}

void IntegrationTest::importKeepsExistingTargetOnNo() {
    guitest::Session session;
    session.Start();
    testsupport::WriteFileBytes(session.FsPath("stare.dat"), "1.5.1999*Doma*Les*\r\n");
    const std::string existing = guitest::DiaryBytes({{"1", "x§§§§§§§§§§§"}});
    testsupport::WriteFileBytes(session.FsPath("stare.vam"), existing);

    filedialog::SetNextFileName(session.Path("stare.dat"));
    std::shared_ptr<guitest::Answer> overwrite;
    auto confirm = guitest::AnswerModal([&overwrite](QWidget* modal) {
        auto* yes = modal->findChild<QPushButton*>(QStringLiteral("Yes"));
        QVERIFY(yes != nullptr);
        overwrite = guitest::AnswerMessage(QStringLiteral("No"));
        guitest::Click(yes);
    });
    guitest::Get<QAction>(session.Main(), "Importzestarverze1")->trigger();
    QVERIFY(confirm->done);
    QVERIFY(overwrite && overwrite->done);
    QCOMPARE(overwrite->text,
             Q("Soubor ") + session.Path("stare.vam") + Q(" již existuje. Přepsat?"));
    QCOMPARE(testsupport::ReadFileBytes(session.FsPath("stare.vam")), existing);
    QCOMPARE(session.Main()->model()->rowCount(), 0);
}

VAMO_GUI_TEST(IntegrationTest, "tst_integration")
#include "tst_integration.moc"

// The windows together, as the program creates them: the detail window, the statistics, the
// shortcut editor, the pickers of the entry dialog and the import of old diaries, all reached
// through the main window.

#include <QCalendarWidget>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTreeView>

#include "Add.h"
#include "Info.h"
#include "Statistic.h"
#include "Unit5.h"
#include "cas.h"
#include "diary/diary_file.h"
#include "filedialog.h"
#include "forms.h"
#include "guitest.h"
#include "recordmodel.h"
#include "skratky.h"
#include "vamo.h"
#include "vyh.h"

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
    main->SeznamColumnClick(6);  // Ujeto: 9.3 before 12,5
    QCOMPARE(guitest::ColumnTexts(0), (QStringList{"2", "1"}));

    auto info = guitest::AnswerModal([](QWidget* modal) {
        auto* form = qobject_cast<TInfoForm*>(modal);
        QVERIFY(form != nullptr);
        QVERIFY(!App().main->isEnabled());
        QCOMPARE(form->Grid->item(0, 1)->text(), QStringLiteral("2"));
        QCOMPARE(form->Grid->item(2, 1)->text(), Q("Čáslav"));
        QCOMPARE(form->Grid->item(6, 1)->text(), QStringLiteral("9.3"));
        form->accept();
    });
    guitest::ClickRow(main->Seznam, 0);
    QTest::mouseDClick(main->Seznam->viewport(), Qt::LeftButton, {},
                       main->Seznam->visualRect(App().seznam->index(0, 1)).center());
    QVERIFY(info->done);
    QVERIFY(main->isEnabled());
}

void IntegrationTest::statisticsOfEmptyListShowNothing() {
    guitest::Session session;
    session.Start();
    session.Main()->Statistika1->trigger();
    QVERIFY(!App().stat->isVisible());
}

void IntegrationTest::shortcutEditorStartsFromEntryLists() {
    guitest::Session session;
    testsupport::WriteFileBytes(session.SettingsFile(),
                                Cp("[odkud]\r\n1=Doma\r\n2=Doma\r\n[kam]\r\n1=Zlín\r\n"));
    session.Start();
    session.Main()->Zkratky1->trigger();
    QVERIFY(App().zkratky->isVisible());
    QCOMPARE(App().zkratky->List1->count(), 2);
    QCOMPARE(App().zkratky->List2->item(0)->text(), Q("Zlín"));
    QCOMPARE(App().zkratky->List3->count(), 0);
}

void IntegrationTest::entryPickersFillTheirFields() {
    guitest::Session session;
    session.Start();
    TMainForm* main = session.Main();
    TAddForm* add = session.Add();

    // The ride-time dialog from the entry dialog starts empty and writes only into Cj.
    App().cas->Edit1->setText(QStringLiteral("9"));
    App().find->Ecasod->setText(QStringLiteral("kept"));
    auto cas = guitest::AnswerModal([](QWidget* modal) {
        auto* form = qobject_cast<TCasForm*>(modal);
        QVERIFY(form != nullptr);
        QCOMPARE(form->Edit1->text(), QString());
        form->Edit1->setText(QStringLiteral("2"));
        form->Edit2->setText(QStringLiteral("5"));
        guitest::Click(form->OKButton);
    });
    add->Button1Click();
    QVERIFY(cas->done);
    QCOMPARE(add->Cj->text(), QStringLiteral("2 h 5 min"));
    QCOMPARE(App().find->Ecasod->text(), QStringLiteral("kept"));
    QCOMPARE(App().find->timeTarget, 3);

    // The picker opened from the entry dialog leaves the main window disabled as it found it.
    main->setEnabled(false);
    auto picked = guitest::AnswerModal([](QWidget* modal) {
        auto* form = qobject_cast<TCalendarForm*>(modal);
        QVERIFY(form != nullptr);
        QCOMPARE(form->Calendar->selectedDate(), QDate::currentDate());
        form->Calendar->setSelectedDate(QDate(2001, 3, 1));
        guitest::Click(form->BitBtn1);
    });
    add->SpeedButton1Click();
    QVERIFY(picked->done);
    QCOMPARE(add->Dat->text(), QStringLiteral("1.3.2001"));
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
    session.Main()->Importzestarverze1->trigger();
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
    session.Main()->Importzestarverze1->trigger();
    QVERIFY(confirm->done);
    QVERIFY(overwrite && overwrite->done);
    QCOMPARE(overwrite->text,
             Q("Soubor ") + session.Path("stare.vam") + Q(" již existuje. Přepsat?"));
    QCOMPARE(testsupport::ReadFileBytes(session.FsPath("stare.vam")), existing);
    QCOMPARE(App().seznam->rowCount(), 0);
}

QTEST_MAIN(IntegrationTest)
#include "tst_integration.moc"

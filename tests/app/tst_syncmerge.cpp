// A sync tool's conflict copy seen from the program: it appears beside the open diary while
// the program runs, the status bar says what it would add, "Sloučit kopii deníku…" shows the
// merge and merges it, and the copy goes to the backups folder.

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

#include "app/mainwindow.h"
#include "app/recordmodel.h"
#include "diary/backup.h"
#include "guitest.h"

using guitest::Q;

namespace {

const char* kCopyName = "vamo2001.sync-conflict-20261209-101500-ABCDEF1.vam";

// The note about the copy, or "" while there is none.
QString CopyNote(TMainForm* main) {
    auto* note = main->statusBar()->findChild<QLabel*>(QStringLiteral("PoznamkaKopie"));
    return note != nullptr && !note->isHidden() ? note->text() : QString();
}

}  // namespace

class SyncMergeTest : public QObject {
    Q_OBJECT
private slots:
    void copyAppearsAndIsMerged();
};

void SyncMergeTest::copyAppearsAndIsMerged() {
    guitest::Session session;
    const std::string diaryPath = session.FsPath("vamo2001.vam");
    testsupport::WriteFileBytes(diaryPath, guitest::ThreeRides());
    // What both computers last shared.
    (void)diary::KeepDailyBackupOf(guitest::ThreeRides(), diaryPath, session.FsPath("zalohy"),
                                   {2026, 12, 1});
    session.Start();
    TMainForm* main = session.Main();
    main->show();
    QCOMPARE(CopyNote(main), QString());

    // The other computer changed the second ride and added two.
    testsupport::WriteFileBytes(
        session.FsPath(kCopyName),
        guitest::DiaryBytes({
            {"1", "1.5.2001§Doma§Les§§100§130§30§20§30§1 h 30 min§první§"},
            {"2", "2.5.2001§Les§Doma§§130§140§10§20§30§0 h 30 min§druhá, s deštěm§"},
            {"3", "3.5.2001§Doma§Ves§§140§190§50§25§40§2 h 0 min§třetí§"},
            {"4", "5.5.2001§Ves§Doma§§190§240§50§25§40§2 h 0 min§pátá§"},
            {"5", "4.5.2001§Doma§Les§§240§270§30§20§30§1 h 30 min§čtvrtá§"},
        }));
    QTRY_COMPARE_WITH_TIMEOUT(
        CopyNote(main), Q("Vedle deníku je kopie ze synchronizace: 2 jízdy navíc. Sloučit…"), 2000);

    QString counts;
    auto answer = guitest::AnswerModal([&counts](QWidget* modal) {
        QCOMPARE(modal->windowTitle(), Q("Sloučit kopii deníku"));
        counts = guitest::Get<QLabel>(modal, "Pocty")->text();
        guitest::Click(guitest::Get<QPushButton>(modal, "SloucitButton"));
    });
    guitest::Get<QAction>(main, "Sloucitkopii1")->trigger();
    QVERIFY(answer->done);
    QCOMPARE(counts, Q("Přibude: 2, změní se: 1, ubude: 0, sporné: 0."));
    QVERIFY(main->isEnabled());
    QCOMPARE(guitest::ColumnTexts(11),
             (QStringList{Q("první"), Q("druhá, s deštěm"), Q("třetí"), Q("čtvrtá"), Q("pátá")}));
    QVERIFY(!testsupport::FileExists(session.FsPath(kCopyName)));
    QVERIFY(testsupport::FileExists(session.FsPath("zalohy/") + kCopyName));
    QTRY_COMPARE_WITH_TIMEOUT(CopyNote(main), QString(), 2000);
}

VAMO_GUI_TEST(SyncMergeTest, "tst_syncmerge")
#include "tst_syncmerge.moc"

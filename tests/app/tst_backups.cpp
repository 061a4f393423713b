// Daily backups seen from the program: the day's first change keeps one, "Obnovit ze zálohy…"
// lists and restores them, and a restore can itself be undone. Also a diary that is not a
// regular file at start-up.

#include <sys/stat.h>

#include <QAction>
#include <QPushButton>
#include <QTreeWidget>

#include "app/mainwindow.h"
#include "app/msgbox.h"
#include "app/recordmodel.h"
#include "diary/backup.h"
#include "diary/diary_file.h"
#include "diary/settings.h"
#include "guitest.h"

using guitest::Q;

namespace {

std::vector<diary::BackupEntry> Backups(const guitest::Session& session) {
    return diary::ListBackups(session.FsPath("vamo2001.vam"), session.FsPath("zalohy"));
}

// "Smazat" of the first ride, answered "Yes".
void DeleteFirstRide(TMainForm* main) {
    guitest::ClickRow(main->findChild<QTreeView*>(QStringLiteral("Seznam")), 0);
    SetNextMessageAnswer(kResultYes);
    guitest::Get<QAction>(main, "Smazat1")->trigger();
    QVERIFY(!HasPendingMessageAnswer());
}

// Opens "Obnovit ze zálohy…" and answers the list: `row` chosen and "Obnovit", or (-1) "Storno".
// Returns the list's texts as shown.
std::shared_ptr<guitest::Answer> AnswerBackups(int row, QStringList* shown) {
    return guitest::AnswerModal([row, shown](QWidget* modal) {
        QCOMPARE(modal->windowTitle(), Q("Obnovit ze zálohy"));
        auto* list = guitest::Get<QTreeWidget>(modal, "Zalohy");
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            shown->append(list->topLevelItem(i)->text(0) + "|" + list->topLevelItem(i)->text(1));
        }
        if (row < 0) {
            guitest::Click(guitest::Get<QPushButton>(modal, "CancelButton"));
            return;
        }
        list->setCurrentItem(list->topLevelItem(row));
        guitest::Click(guitest::Get<QPushButton>(modal, "ObnovitButton"));
    });
}

QString Today() {
    const QDate d = QDate::currentDate();
    return QStringLiteral("%1.%2.%3").arg(d.day()).arg(d.month()).arg(d.year());
}

}  // namespace

class BackupsTest : public QObject {
    Q_OBJECT
private slots:
    void restoreBringsBackTheDayAndCanBeUndone();
    void declinedRestoreChangesNothing_data();
    void declinedRestoreChangesNothing();
    void noBackupsSaysSo();
    void failedBackupIsSaidAndTheChangeSaved();
    void notARegularFileAtStartUp_data();
    void notARegularFileAtStartUp();
    void cleanup() { ClearNextMessageAnswer(); }
};

void BackupsTest::restoreBringsBackTheDayAndCanBeUndone() {
    guitest::Session session;
    testsupport::WriteFileBytes(session.FsPath("vamo2001.vam"), guitest::ThreeRides());
    session.Start();
    TMainForm* main = session.Main();
    main->show();
    DeleteFirstRide(main);
    DeleteFirstRide(main);  // the day's backup is kept once, before the first change
    QCOMPARE(main->model()->rowCount(), 1);
    QCOMPARE(Backups(session).size(), 1u);

    QStringList shown;
    auto answer = AnswerBackups(0, &shown);
    SetNextMessageAnswer(kResultYes);  // "Obnovit deník …?"
    SetNextMessageAnswer(kResultOk);   // "… je obnoven …"
    guitest::Get<QAction>(main, "Obnovitzezalohy1")->trigger();
    QVERIFY(answer->done);
    QCOMPARE(shown, QStringList{Today() + "|3"});
    QVERIFY(!HasPendingMessageAnswer());
    QVERIFY2(LastAnsweredMessage().text.contains(Today()), qPrintable(LastAnsweredMessage().text));
    QVERIFY(main->isEnabled());
    QCOMPARE(testsupport::ReadFileBytes(session.FsPath("vamo2001.vam")), guitest::ThreeRides());
    QCOMPARE(main->model()->rowCount(), 3);

    // The state before the restore was kept first, so the restore can be undone.
    shown.clear();
    answer = AnswerBackups(0, &shown);
    SetNextMessageAnswer(kResultYes);
    SetNextMessageAnswer(kResultOk);
    guitest::Get<QAction>(main, "Obnovitzezalohy1")->trigger();
    QCOMPARE(shown, (QStringList{Today() + Q(" (před 1. obnovením)|1"), Today() + "|3"}));
    QCOMPARE(main->model()->rowCount(), 1);
    QCOMPARE(guitest::ColumnTexts(11), (QStringList{Q("třetí")}));
}

void BackupsTest::declinedRestoreChangesNothing_data() {
    QTest::addColumn<bool>("cancelList");
    QTest::newRow("Storno in the list") << true;
    QTest::newRow("No to the question") << false;
}

void BackupsTest::declinedRestoreChangesNothing() {
    QFETCH(bool, cancelList);
    guitest::Session session;
    testsupport::WriteFileBytes(session.FsPath("vamo2001.vam"), guitest::ThreeRides());
    session.Start();
    session.Main()->show();
    DeleteFirstRide(session.Main());
    const std::string after = testsupport::ReadFileBytes(session.FsPath("vamo2001.vam"));

    QStringList shown;
    auto answer = AnswerBackups(cancelList ? -1 : 0, &shown);
    if (!cancelList) SetNextMessageAnswer(kResultNo);
    guitest::Get<QAction>(session.Main(), "Obnovitzezalohy1")->trigger();
    QVERIFY(answer->done);
    QVERIFY(!HasPendingMessageAnswer());
    QCOMPARE(testsupport::ReadFileBytes(session.FsPath("vamo2001.vam")), after);
    QCOMPARE(session.Main()->model()->rowCount(), 2);
    QCOMPARE(Backups(session).size(), 1u);
}

void BackupsTest::noBackupsSaysSo() {
    guitest::Session session;
    testsupport::WriteFileBytes(session.FsPath("vamo2001.vam"), guitest::ThreeRides());
    session.Start();
    SetNextMessageAnswer(kResultOk);
    guitest::Get<QAction>(session.Main(), "Obnovitzezalohy1")->trigger();
    QVERIFY(!HasPendingMessageAnswer());
    QCOMPARE(LastAnsweredMessage().caption, QStringLiteral("Information"));
    QVERIFY2(LastAnsweredMessage().text.contains(Q("„vamo2001.vam“ zatím nemá žádnou zálohu")),
             qPrintable(LastAnsweredMessage().text));
}

void BackupsTest::failedBackupIsSaidAndTheChangeSaved() {
    guitest::Session session;
    testsupport::WriteFileBytes(session.FsPath("vamo2001.vam"), guitest::ThreeRides());
    testsupport::WriteFileBytes(session.FsPath("zalohy"), "a file where the folder would be");
    session.Start();
    session.Main()->show();
    guitest::ClickRow(session.Main()->findChild<QTreeView*>(QStringLiteral("Seznam")), 0);
    SetNextMessageAnswer(kResultYes);  // "Opravdu smazat?"
    SetNextMessageAnswer(kResultOk);   // the failed backup
    guitest::Get<QAction>(session.Main(), "Smazat1")->trigger();
    QVERIFY(!HasPendingMessageAnswer());
    QCOMPARE(LastAnsweredMessage().caption, QStringLiteral("Error"));
    QVERIFY2(LastAnsweredMessage().text.contains(QStringLiteral("zalohy")),
             qPrintable(LastAnsweredMessage().text));
    QCOMPARE(diary::ReadDiary(session.FsPath("vamo2001.vam")).size(), 2u);
    QCOMPARE(session.Main()->model()->rowCount(), 2);
}

void BackupsTest::notARegularFileAtStartUp_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("FIFO") << QStringLiteral("fifo");
    QTest::newRow("folder") << QStringLiteral("folder");
    QTest::newRow("device") << QStringLiteral("device");
}

// The last diary is something that would block or cannot be a diary: the start says so, names
// it and shows an empty list; it never waits on it.
void BackupsTest::notARegularFileAtStartUp() {
    QFETCH(QString, kind);
    guitest::Session session;
    std::string path = session.FsPath("roura.vam");
    if (kind == "fifo") {
        QCOMPARE(::mkfifo(path.c_str(), 0600), 0);
    } else if (kind == "folder") {
        QCOMPARE(::mkdir(path.c_str(), 0700), 0);
    } else {
        path = "/dev/null";
    }
    diary::WriteLastDiary(session.SettingsFile(), path);
    SetNextMessageAnswer(kResultOk);
    session.Start();
    QVERIFY(!HasPendingMessageAnswer());
    QCOMPARE(LastAnsweredMessage().caption, QStringLiteral("Error"));
    QVERIFY2(LastAnsweredMessage().text.contains(QString::fromStdString(path)),
             qPrintable(LastAnsweredMessage().text));
    QCOMPARE(session.Main()->model()->rowCount(), 0);
    QVERIFY(session.Main()->windowTitle().contains(QString::fromStdString(path)));
}

VAMO_GUI_TEST(BackupsTest, "tst_backups")
#include "tst_backups.moc"

// "Nový", "Otevřít" and "Uložit jako": what the title, the list, the files and the settings
// show after each answer a user can give.

#include <sys/stat.h>

#include <QAbstractButton>
#include <QAction>

#include "app/entrydialog.h"
#include "app/filedialog.h"
#include "app/mainwindow.h"
#include "app/recordmodel.h"
#include "app/textcodec.h"
#include "diary/diary_file.h"
#include "diary/settings.h"
#include "guitest.h"

using guitest::Q;

namespace {

QString Title(const QString& path) { return QStringLiteral("Vamo 2001 [%1]").arg(path); }

std::vector<std::string> Notes(const std::string& path) {
    std::vector<std::string> notes;
    for (const auto& r : diary::ReadDiary(path)) notes.push_back(r[diary::Field::Note]);
    return notes;
}

}  // namespace

class FileCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void cancelChangesNothing_data();
    void cancelChangesNothing();
    void newDiaryWritesNoFileYet();
    void newDiaryKeepsGivenExtension();
    void newOntoExistingAsksFirst_data();
    void newOntoExistingAsksFirst();
    void openShowsTheFile();
    void openMissingFileIsEmpty();
    void saveAsWritesRowsInNumberOrder();
    void saveAsOntoLongerDiaryReplacesIt_data();
    void saveAsOntoLongerDiaryReplacesIt();
    void saveAsOntoItselfChangesNothing();
    void failedSaveChangesNothing();
};

void FileCommandsTest::cancelChangesNothing_data() {
    QTest::addColumn<QString>("action");
    QTest::newRow("Nový") << "Nov1";
    QTest::newRow("Otevřít") << "Otevt1";
    QTest::newRow("Uložit jako") << "Uloitjako1";
}

void FileCommandsTest::cancelChangesNothing() {
    QFETCH(QString, action);
    guitest::Session session;
    testsupport::WriteFileBytes(session.FsPath("vamo2001.vam"), guitest::ThreeRides());
    session.Start();
    const QString title = session.Main()->windowTitle();
    const std::string settings = session.SettingsBytes();

    filedialog::SetNextCancel();
    session.Main()->findChild<QAction*>(action)->trigger();
    QVERIFY(!filedialog::HasPendingAnswer());
    QCOMPARE(filedialog::LastFilter(), Q("Deníky (*.vam)"));
    QCOMPARE(session.Main()->windowTitle(), title);
    QCOMPARE(session.Main()->model()->rowCount(), 3);
    QCOMPARE(session.SettingsBytes(), settings);
    QCOMPARE(testsupport::ReadFileBytes(session.FsPath("vamo2001.vam")), guitest::ThreeRides());
}

void FileCommandsTest::newDiaryWritesNoFileYet() {
    guitest::Session session;
    testsupport::WriteFileBytes(session.FsPath("vamo2001.vam"), guitest::ThreeRides());
    session.Start();
    filedialog::SetNextFileName(session.Path("jaro"));
    guitest::Get<QAction>(session.Main(), "Nov1")->trigger();
    QCOMPARE(session.Main()->windowTitle(), Title(session.Path("jaro.vam")));
    QCOMPARE(session.Main()->model()->rowCount(), 0);
    QVERIFY(!testsupport::FileExists(session.FsPath("jaro.vam")));
    QCOMPARE(diary::ReadLastDiary(session.SettingsFile(), ""), session.FsPath("jaro.vam"));
    QCOMPARE(testsupport::ReadFileBytes(session.FsPath("vamo2001.vam")), guitest::ThreeRides());
}

void FileCommandsTest::newDiaryKeepsGivenExtension() {
    guitest::Session session;
    session.Start();
    filedialog::SetNextFileName(session.Path("JARO.VAM"));
    guitest::Get<QAction>(session.Main(), "Nov1")->trigger();
    QCOMPARE(session.Main()->CurrentDiaryPath(), session.Path("JARO.VAM"));
}

void FileCommandsTest::newOntoExistingAsksFirst_data() {
    QTest::addColumn<bool>("yes");
    QTest::newRow("Yes empties it") << true;
    QTest::newRow("No changes nothing") << false;
}

void FileCommandsTest::newOntoExistingAsksFirst() {
    QFETCH(bool, yes);
    guitest::Session session;
    testsupport::WriteFileBytes(session.FsPath("stary.vam"), guitest::ThreeRides());
    session.Start();
    const QString title = session.Main()->windowTitle();

    filedialog::SetNextFileName(session.Path("stary"));
    auto box = guitest::AnswerMessage(yes ? QStringLiteral("Yes") : QStringLiteral("No"));
    guitest::Get<QAction>(session.Main(), "Nov1")->trigger();
    QVERIFY(box->done);
    QCOMPARE(box->title, QStringLiteral("Confirm"));
    QCOMPARE(box->text, Q("Soubor %1 již existuje. Přepsat?").arg(session.Path("stary.vam")));
    if (yes) {
        QCOMPARE(session.Main()->windowTitle(), Title(session.Path("stary.vam")));
        QVERIFY(diary::ReadDiary(session.FsPath("stary.vam")).empty());
        // The first new ride is then the only one in the file.
        auto add = guitest::AnswerModal([](QWidget* modal) {
            auto* form = qobject_cast<TAddForm*>(modal);
            QVERIFY(form != nullptr);
            guitest::Get<QPushButton>(form, "OKButton")->click();
        });
        guitest::Get<QAction>(session.Main(), "Novy1")->trigger();
        QVERIFY(add->done);
        QCOMPARE(diary::ReadDiary(session.FsPath("stary.vam")).size(), std::size_t{1});
    } else {
        QCOMPARE(session.Main()->windowTitle(), title);
        QCOMPARE(testsupport::ReadFileBytes(session.FsPath("stary.vam")), guitest::ThreeRides());
    }
}

void FileCommandsTest::openShowsTheFile() {
    guitest::Session session;
    testsupport::WriteFileBytes(session.FsPath("léto.vam"), guitest::ThreeRides());
    session.Start();
    filedialog::SetNextFileName(session.Path("léto.vam"));
    guitest::Get<QAction>(session.Main(), "Otevt1")->trigger();
    QCOMPARE(session.Main()->windowTitle(), Title(session.Path("léto.vam")));
    QCOMPARE(guitest::ColumnTexts(11), (QStringList{Q("první"), Q("druhá"), Q("třetí")}));
    QCOMPARE(diary::ReadLastDiary(session.SettingsFile(), ""), ToCp(session.Path("léto.vam")));
    session.Restart();
    QCOMPARE(session.Main()->CurrentDiaryPath(), session.Path("léto.vam"));
    QCOMPARE(session.Main()->model()->rowCount(), 3);
}

void FileCommandsTest::openMissingFileIsEmpty() {
    guitest::Session session;
    testsupport::WriteFileBytes(session.FsPath("vamo2001.vam"), guitest::ThreeRides());
    testsupport::WriteFileBytes(session.FsPath("jine.txt"), "[jine]\r\n1=x\r\n");
    session.Start();
    for (const char* name : {"nic.vam", "jine.txt"}) {
        filedialog::SetNextFileName(session.Path(name));
        guitest::Get<QAction>(session.Main(), "Otevt1")->trigger();
        QCOMPARE(session.Main()->windowTitle(), Title(session.Path(name)));
        QCOMPARE(session.Main()->model()->rowCount(), 0);
    }
    QVERIFY(!testsupport::FileExists(session.FsPath("nic.vam")));
}

void FileCommandsTest::saveAsWritesRowsInNumberOrder() {
    guitest::Session session;
    testsupport::WriteFileBytes(session.FsPath("vamo2001.vam"), guitest::ThreeRides());
    session.Start();
    guitest::SortBy(session.Main(), 11);  // notes: druhá, první, třetí
    QCOMPARE(guitest::ColumnTexts(0), (QStringList{"2", "1", "3"}));

    filedialog::SetNextFileName(session.Path("kopie"));
    guitest::Get<QAction>(session.Main(), "Uloitjako1")->trigger();
    QCOMPARE(session.Main()->windowTitle(), Title(session.Path("kopie.vam")));
    QCOMPARE(diary::ReadDiary(session.FsPath("kopie.vam")),
             diary::ReadDiary(session.FsPath("vamo2001.vam")));
    QCOMPARE(diary::ReadLastDiary(session.SettingsFile(), ""), session.FsPath("kopie.vam"));
    QCOMPARE(guitest::ColumnTexts(0), (QStringList{"2", "1", "3"}));
}

void FileCommandsTest::saveAsOntoLongerDiaryReplacesIt_data() {
    QTest::addColumn<bool>("yes");
    QTest::newRow("Yes") << true;
    QTest::newRow("No") << false;
}

void FileCommandsTest::saveAsOntoLongerDiaryReplacesIt() {
    QFETCH(bool, yes);
    guitest::Session session;
    testsupport::WriteFileBytes(session.FsPath("vamo2001.vam"), guitest::ThreeRides());
    const std::string five = guitest::DiaryBytes({{"1", "a§§§§§§§§§§x1§"},
                                                  {"2", "b§§§§§§§§§§x2§"},
                                                  {"3", "c§§§§§§§§§§x3§"},
                                                  {"4", "d§§§§§§§§§§x4§"},
                                                  {"5", "e§§§§§§§§§§x5§"}});
    testsupport::WriteFileBytes(session.FsPath("plny.vam"), five);
    session.Start();

    filedialog::SetNextFileName(session.Path("plny.vam"));
    auto box = guitest::AnswerMessage(yes ? QStringLiteral("Yes") : QStringLiteral("No"));
    guitest::Get<QAction>(session.Main(), "Uloitjako1")->trigger();
    QVERIFY(box->done);
    QCOMPARE(box->title, QStringLiteral("Confirm"));
    if (yes) {
        QCOMPARE(Notes(session.FsPath("plny.vam")),
                 (std::vector<std::string>{guitest::Cp("první"), guitest::Cp("druhá"),
                                           guitest::Cp("třetí")}));
        QCOMPARE(session.Main()->CurrentDiaryPath(), session.Path("plny.vam"));
    } else {
        QCOMPARE(testsupport::ReadFileBytes(session.FsPath("plny.vam")), five);
        QCOMPARE(session.Main()->CurrentDiaryPath(), session.Path("vamo2001.vam"));
    }
}

void FileCommandsTest::saveAsOntoItselfChangesNothing() {
    guitest::Session session;
    testsupport::WriteFileBytes(session.FsPath("vamo2001.vam"),
                                guitest::ThreeRides() + "; poznámka\r\n");
    session.Start();
    filedialog::SetNextFileName(session.Path("vamo2001"));
    guitest::Get<QAction>(session.Main(), "Uloitjako1")
        ->trigger();  // no question is waiting: the test would hang
    QCOMPARE(testsupport::ReadFileBytes(session.FsPath("vamo2001.vam")),
             guitest::ThreeRides() + "; poznámka\r\n");
    QCOMPARE(session.Main()->CurrentDiaryPath(), session.Path("vamo2001.vam"));
}

void FileCommandsTest::failedSaveChangesNothing() {
    guitest::Session session;
    testsupport::WriteFileBytes(session.FsPath("vamo2001.vam"), guitest::ThreeRides());
    testsupport::WriteFileBytes(session.FsPath("zamceny.vam"), guitest::DiaryBytes({}));
    ::chmod(session.FsPath("zamceny.vam").c_str(), 0444);
    session.Start();
    const QString title = session.Main()->windowTitle();
    const std::string settings = session.SettingsBytes();

    for (QAction* action : {guitest::Get<QAction>(session.Main(), "Uloitjako1"),
                            guitest::Get<QAction>(session.Main(), "Nov1")}) {
        filedialog::SetNextFileName(session.Path("zamceny"));
        std::shared_ptr<guitest::Answer> error;
        auto ask = guitest::AnswerModal([&error](QWidget* modal) {
            // The save runs once the question is gone, so its error box comes after it.
            error = guitest::AnswerMessage(QStringLiteral("OK"));
            modal->findChild<QAbstractButton*>(QStringLiteral("Yes"))->click();
        });
        action->trigger();
        QVERIFY(ask->done);
        QVERIFY(error && error->done);
        QCOMPARE(error->title, QStringLiteral("Error"));
        QCOMPARE(error->text, QStringLiteral("Unable to write to ") + session.Path("zamceny.vam") +
                                  QStringLiteral("\nK souboru nemáte přístup."));
        QCOMPARE(session.Main()->windowTitle(), title);
        QCOMPARE(session.Main()->model()->rowCount(), 3);
        QCOMPARE(session.SettingsBytes(), settings);
    }
}

VAMO_GUI_TEST(FileCommandsTest, "tst_filecommands")
#include "tst_filecommands.moc"

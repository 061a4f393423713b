// "Import jízd z archivu…" seen from the program: a generated export read in the background,
// previewed, imported as one change with its bikes; the same export a second time offers
// nothing and "Storno" leaves the diary as it is.

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <cstdlib>
#include <ctime>

#include "app/filedialog.h"
#include "app/mainwindow.h"
#include "app/msgbox.h"
#include "diary/bikes.h"
#include "guitest.h"

using guitest::Q;

class ArchiveImportTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        // Prague's rules written out, so that no time zone database is needed.
        qputenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3");
        tzset();
        const std::string command =
            std::string("python3 '") + EXPORT_SCRIPT + "' '" + dir_.path() + "'";
        QCOMPARE(std::system(command.c_str()), 0);
    }
    void secondImportAddsNothing();

private:
    testsupport::TempDir dir_;
};

void ArchiveImportTest::secondImportAddsNothing() {
    guitest::Session session;
    session.Start();
    TMainForm* main = session.Main();
    const QString archive = QString::fromStdString(dir_.File("strava.zip"));
    const QStringList summaries = {
        Q("Aktivit: 8 – nové: 5, už v deníku: 1, není jízda na kole: 1, nečitelné: 1. "
          "K importu vybráno: 5."),
        Q("Aktivit: 8 – nové: 0, už v deníku: 6, není jízda na kole: 1, nečitelné: 1. "
          "K importu vybráno: 0."),
    };
    for (const QString& summary : summaries) {
        filedialog::SetNextFileNames({archive});
        auto shown = guitest::AnswerModal([&](QWidget* modal) {
            guitest::Click(guitest::Get<QPushButton>(modal, "ArchivButton"));
            auto* preview = guitest::Get<QTableWidget>(modal, "Nahled");
            QTRY_COMPARE_WITH_TIMEOUT(preview->rowCount(), 8, 20000);
            QCOMPARE(guitest::Get<QLabel>(modal, "Souhrn")->text(), summary);
            auto* import = guitest::Get<QPushButton>(modal, "ImportovatButton");
            if (!import->isEnabled()) {
                guitest::Click(guitest::Get<QPushButton>(modal, "StornoButton"));
                return;
            }
            SetNextMessageAnswer(kResultOk);
            guitest::Click(import);
            QCOMPARE(LastAnsweredMessage().text, Q("Do deníku přibylo jízd: 5."));
        });
        guitest::Get<QAction>(main, "Importarchivu1")->trigger();
        QVERIFY(shown->done);
        QVERIFY(!shown->leftOpen);
        // In the order ridden, after the rides the diary had.
        QCOMPARE(guitest::ColumnTexts(1),
                 (QStringList{"18.5.2024", "1.7.2025", "2.7.2025", "4.7.2025", "5.7.2025"}));
    }
    QCOMPARE(diary::ReadBikeSettings(session.FsPath("vamo2001.vam")).bikes,
             (std::vector<std::string>{"Favorit", "Author", "Zwift"}));
}

VAMO_GUI_TEST(ArchiveImportTest, "tst_archiveimport")
#include "tst_archiveimport.moc"

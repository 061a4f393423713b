// The file dialogs (where they start, a name that does not exist yet), Qt's own texts in Czech
// beside the program's own, and where the search window comes up.

#include <QAction>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTreeView>

#include "app/filedialog.h"
#include "app/mainwindow.h"
#include "app/msgbox.h"
#include "app/recordmodel.h"
#include "app/searchwindow.h"
#include "app/translations.h"
#include "diary/settings.h"
#include "guitest.h"

using guitest::Q;

class DialogsTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { InstallQtTranslations(QLocale::c()); }

    void dialogsStartInTheDiarysFolderThenTheLastOneUsed();
    void openTakesANameThatDoesNotExist();
    void qtTextsAreCzechTheProgramsOwnStay();
    void searchWindowComesUpOverTheMainWindow();
};

void DialogsTest::dialogsStartInTheDiarysFolderThenTheLastOneUsed() {
    guitest::Session session;
    QVERIFY(QDir(session.Folder()).mkpath(QStringLiteral("jízdy")));
    QVERIFY(QDir(session.Folder()).mkpath(QStringLiteral("jiné")));
    diary::WriteLastDiary(session.SettingsFile(),
                          DiaryPathToSettings(session.Path("jízdy/2024.vam")));
    // The folder the program was started from is not where anyone keeps diaries.
    const QString started = QDir::currentPath();
    QDir::setCurrent(QDir::rootPath());
    session.Start();
    TMainForm* main = session.Main();

    // Each command in turn: the answer it gets, and the folder its dialog started in.
    struct Step {
        const char* action;
        const char* answer;  // nullptr: cancel
        const char* folder;
    };
    const Step steps[] = {
        {"Otevt1", nullptr, "jízdy"},           // before any use: the open diary's folder
        {"Nov1", nullptr, "jízdy"},             // a cancel chooses no folder
        {"Uloitjako1", "jiné/kopie", "jízdy"},  // the diary's folder, and now "jiné" is the last
        {"Importzestarverze1", nullptr, "jiné"},
        {"Otevt1", "jízdy/2024.vam", "jiné"},
        {"Nov1", nullptr, "jízdy"},
    };
    for (const Step& step : steps) {
        if (step.answer != nullptr) {
            filedialog::SetNextFileName(session.Path(step.answer));
        } else {
            filedialog::SetNextCancel();
        }
        guitest::Get<QAction>(main, step.action)->trigger();
        QVERIFY(!filedialog::HasPendingAnswer());
        QCOMPARE(filedialog::LastFolder(), session.Path(step.folder));
    }
    QDir::setCurrent(started);
}

void DialogsTest::openTakesANameThatDoesNotExist() {
    guitest::Session session;
    session.Start();
    TMainForm* main = session.Main();
    main->show();
    auto open = guitest::AnswerModal([&session](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        QVERIFY2(dialog != nullptr, "no file dialog came up");
        QCOMPARE(QDir(dialog->directory()).canonicalPath(), QDir(session.Folder()).canonicalPath());
        guitest::Get<QLineEdit>(dialog, "fileNameEdit")->setText(QStringLiteral("nový.vam"));
        auto* buttons = guitest::Get<QDialogButtonBox>(dialog, "buttonBox");
        guitest::Click(buttons->button(QDialogButtonBox::Open));
    });
    guitest::Get<QAction>(main, "Otevt1")->trigger();
    QVERIFY(open->done);
    QVERIFY(!open->leftOpen);
    QCOMPARE(main->windowTitle(), QStringLiteral("Vamo 2001 [%1]").arg(session.Path("nový.vam")));
    QCOMPARE(main->model()->rowCount(), 0);
    QVERIFY(!QFileInfo::exists(session.Path("nový.vam")));
}

void DialogsTest::qtTextsAreCzechTheProgramsOwnStay() {
    QVERIFY2(InstallQtTranslations(QLocale(QLocale::Czech, QLocale::CzechRepublic)),
             "Qt's Czech translations are missing (package qt6-translations-l10n)");
    guitest::Session session;
    session.Start();
    TMainForm* main = session.Main();
    main->show();

    struct Seen {
        QString title, lookIn, fileName, cancel;
    };
    auto seen = std::make_shared<Seen>();
    auto save = guitest::AnswerModal([seen](QWidget* modal) {
        seen->title = modal->windowTitle();
        seen->lookIn = guitest::Get<QLabel>(modal, "lookInLabel")->text();
        seen->fileName = guitest::Get<QLabel>(modal, "fileNameLabel")->text();
        seen->cancel = guitest::Get<QDialogButtonBox>(modal, "buttonBox")
                           ->button(QDialogButtonBox::Cancel)
                           ->text();
    });
    guitest::Get<QAction>(main, "Uloitjako1")->trigger();
    QVERIFY(save->done);
    QCOMPARE(seen->title, Q("Uložit jako"));
    QCOMPARE(seen->lookIn, Q("Hledat v:"));
    QCOMPARE(seen->fileName.remove('&'), Q("Název souboru:"));
    QCOMPARE(seen->cancel, Q("Zrušit"));

    // The edit fields' context menu.
    QLineEdit edit;
    std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
    QStringList items;
    for (QAction* a : menu->actions()) items << a->text();
    QVERIFY2(!items.join('|').contains("Undo") && !items.join('|').contains("Paste"),
             qPrintable(items.join('|')));

    // The program's own texts, English ones included, are its own.
    testsupport::WriteFileBytes(session.FsPath("vamo2001.vam"),
                                guitest::DiaryBytes({{"1", "1.5.2001§Doma§§§§§§§§§§"}}));
    session.Restart();
    main = session.Main();
    main->show();
    guitest::ClickRow(guitest::Get<QTreeView>(main, "Seznam"), 0);
    auto question = guitest::AnswerModal([](QWidget* modal) {
        QCOMPARE(guitest::Get<QPushButton>(modal, "Yes")->text(), QStringLiteral("&Yes"));
        QCOMPARE(guitest::Get<QPushButton>(modal, "No")->text(), QStringLiteral("&No"));
        guitest::Click(guitest::Get<QPushButton>(modal, "No"));
    });
    guitest::Get<QAction>(main, "Smazat1")->trigger();
    QVERIFY(question->done);
    QCOMPARE(question->title, QStringLiteral("Warning"));
    QCOMPARE(question->text, QStringLiteral("Opravdu smazat?"));
}

void DialogsTest::searchWindowComesUpOverTheMainWindow() {
    guitest::Session session;
    session.Start();
    TMainForm* main = session.Main();
    main->move(40, 30);
    main->show();
    QVERIFY(QTest::qWaitForWindowExposed(main));
    TFindForm* find = guitest::Window<TFindForm>("FindForm");

    guitest::Get<QAction>(main, "Hledat1")->trigger();
    QVERIFY(QTest::qWaitForWindowExposed(find));
    // Centred over the main window, as far as the screen allows: a screen narrower than the
    // window keeps it whole on the screen rather than centred.
    const QRect frame = find->frameGeometry();
    const QRect area = find->screen()->availableGeometry();
    const QPoint off = frame.center() - main->frameGeometry().center();
    QVERIFY2(area.contains(frame) || frame.width() > area.width(),
             qPrintable(QStringLiteral("off the screen at %1,%2").arg(frame.x()).arg(frame.y())));
    QVERIFY2(std::abs(off.y()) <= 2, qPrintable(QString::number(off.y())));
    const bool atEdge = frame.left() <= area.left() || frame.right() >= area.right();
    QVERIFY2(std::abs(off.x()) <= 2 || atEdge, qPrintable(QString::number(off.x())));

    // Later it comes up where the user left it.
    find->move(5, 6);
    find->close();
    guitest::Get<QAction>(main, "Hledat1")->trigger();
    QCOMPARE(find->pos(), QPoint(5, 6));
}

VAMO_GUI_TEST(DialogsTest, "tst_dialogs")
#include "tst_dialogs.moc"

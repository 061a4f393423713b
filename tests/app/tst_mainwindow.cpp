// Start-up, the main window's commands and list, the close, and the About window.

#include <sys/stat.h>

#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <cstdlib>

#include "app/aboutdialog.h"
#include "app/entrydialog.h"
#include "app/mainwindow.h"
#include "app/recordmodel.h"
#include "app/textcodec.h"
#include "diary/settings.h"
#include "guitest.h"

using guitest::Cp;
using guitest::Q;

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void captionAfterLoad();
    void firstRunWithoutSettings();
    void startsWithCp1250DiaryAndPlaceLists();
    void menusAndToolBar();
    void headerClickSortsAscending();
    void selectedRowIsHighlighted();
    void closeStoresTheDiaryPath();
    void closeGoesOnWhenSettingsCannotBeWritten();
    void windowsStayWhereTheyWereLeft();
    void storedPathCoding_data();
    void storedPathCoding();
    void storedUtf8PathIsFoundAgain();
    void diaryExtension_data();
    void diaryExtension();
    void aboutWindow();
    void unreadableSettingsAreReportedOnce();
};

void MainWindowTest::captionAfterLoad() {
    guitest::Session session;
    session.Start();
    QVERIFY(session.Main()->windowTitle().startsWith(QStringLiteral("Vamo 2001 [")));
}

void MainWindowTest::firstRunWithoutSettings() {
    guitest::Session session;
    session.Start();
    QCOMPARE(session.Main()->windowTitle(),
             QStringLiteral("Vamo 2001 [%1]").arg(session.Path("vamo2001.vam")));
    QCOMPARE(session.Main()->model()->rowCount(), 0);
    QCOMPARE(guitest::Get<QComboBox>(guitest::Window<TAddForm>("AddForm"), "od")->count(), 0);
    QVERIFY(!testsupport::FileExists(session.SettingsFile()));
}

void MainWindowTest::startsWithCp1250DiaryAndPlaceLists() {
    guitest::Session session;
    const std::string diary = session.FsPath("Jízdy.vam");
    // Keys out of line order: the list follows the keys.
    testsupport::WriteFileBytes(
        diary, guitest::DiaryBytes(
                   {{"2", "13.5.2001§Lhota§Doma§§1235§1270§35§21,5§38§1 h 38 min§vítr§"},
                    {"1", "12.5.2001§Doma§Lhota§Ves§1200§1235§35§20§41§1 h 45 min§§"},
                    {"3", "14.5.2001§Žďár§Čáslav§Říčany§1270§1300§30§20§30§1 h 30 min§ok§"}}));
    testsupport::WriteFileBytes(session.SettingsFile(),
                                "[soubor]\r\nfile=" + ToCp(session.Path("Jízdy.vam")) +
                                    "\r\n[odkud]\r\n1=Doma\r\n2=Lhota\r\n3=Doma\r\n[kam]\r\n1=" +
                                    Cp("Čáslav") + "\r\n[pres]\r\n");
    session.Start();

    QCOMPARE(session.Main()->windowTitle(),
             QStringLiteral("Vamo 2001 [%1]").arg(session.Path("Jízdy.vam")));
    QCOMPARE(guitest::ColumnTexts(0), (QStringList{"1", "2", "3"}));
    QCOMPARE(guitest::ColumnTexts(2), (QStringList{"Doma", "Lhota", Q("Žďár")}));
    QCOMPARE(guitest::ColumnTexts(3), (QStringList{"Ves", "", Q("Říčany")}));
    QCOMPARE(guitest::ColumnTexts(11), (QStringList{"", Q("vítr"), "ok"}));

    TAddForm* add = guitest::Window<TAddForm>("AddForm");
    QStringList from;
    for (int i = 0; i < guitest::Get<QComboBox>(add, "od")->count(); ++i)
        from << guitest::Get<QComboBox>(add, "od")->itemText(i);
    QCOMPARE(from, (QStringList{"Doma", "Lhota", "Doma"}));
    QCOMPARE(guitest::Get<QComboBox>(add, "kam")->count(), 1);
    QCOMPARE(guitest::Get<QComboBox>(add, "kam")->itemText(0), Q("Čáslav"));
    QCOMPARE(guitest::Get<QComboBox>(add, "pres")->count(), 0);
}

void MainWindowTest::menusAndToolBar() {
    guitest::Session session;
    session.Start();
    TMainForm* main = session.Main();

    struct Item {
        const char* name;
        const char* text;
        const char* hint;
    };
    const Item items[] = {
        {"Nov1", "Nový", "Nový soubor"},
        {"Otevt1", "Otevřít", "Otevřít soubor"},
        {"Uloitjako1", "Uložit jako", "Uložit soubor jako"},
        {"Importzestarverze1", "Import z Vama 99", nullptr},
        {"Importarchivu1", "Import jízd z archivu…", nullptr},
        {"ExportdoCSV1", "Export do CSV…", nullptr},
        {"Obnovitzezalohy1", "Obnovit ze zálohy…", nullptr},
        {"Sloucitkopii1", "Sloučit kopii deníku…", nullptr},
        {"Konec1", "Konec", "Konec programu"},
        {"Novy1", "Nový", "Nový údaj"},
        {"Editovat1", "Editovat", "Editovat údaj"},
        {"Smazat1", "Smazat", "Smazat údaj"},
        {"Hledat1", "Hledat", "Hledat"},
        {"NovzGPSzznamu1", "Nový z GPS záznamu…", nullptr},
        {"Novpodlevybranho1", "Nový podle vybraného", nullptr},
        {"Zkratky1", "Zkratky", nullptr},
        {"Kola1", "Kola", nullptr},
        {"Statistika1", "Statistika", nullptr},
        {"Prehled1", "Přehled", nullptr},
        {"Cile1", "Cíle", nullptr},
        {"Oprogramu1", "O programu", nullptr},
    };
    for (const Item& item : items) {
        QString why;
        auto* action = guitest::Find<QAction>(main, QString::fromLatin1(item.name), &why);
        QVERIFY2(action != nullptr, qPrintable(why));
        // A caption shows as its text without the mnemonic's "&".
        QCOMPARE(QString(action->text()).remove(QLatin1Char('&')), Q(item.text));
        if (item.hint != nullptr) QCOMPARE(action->toolTip(), Q(item.hint));
    }

    QStringList menus;
    for (QAction* a : main->menuBar()->actions()) menus << a->text().remove(QLatin1Char('&'));
    QCOMPARE(menus, (QStringList{"Soubor", Q("Údaj"), "Zkratky", "Kola", "Statistika", Q("Přehled"),
                                 Q("Cíle"), "O programu"}));
    QStringList soubor;
    for (QAction* a : guitest::Get<QMenu>(main, "Soubor1")->actions()) soubor << a->objectName();
    QCOMPARE(soubor,
             (QStringList{"Nov1", "Otevt1", "Uloitjako1", "Importzestarverze1", "Importarchivu1",
                          "ExportdoCSV1", "Obnovitzezalohy1", "Sloucitkopii1", "Konec1"}));
    QStringList udaj;
    for (QAction* a : guitest::Get<QMenu>(main, "Udaj1")->actions()) udaj << a->objectName();
    QCOMPARE(udaj, (QStringList{"Novy1", "Editovat1", "Smazat1", "Hledat1", "NovzGPSzznamu1",
                                "Novpodlevybranho1"}));

    QStringList tools;
    for (QAction* a : guitest::Get<QToolBar>(main, "ToolBar1")->actions())
        tools << (a->isSeparator() ? QStringLiteral("|") : a->toolTip());
    QCOMPARE(tools, (QStringList{Q("Nový soubor"), Q("Otevřít soubor"), Q("Uložit soubor jako"),
                                 "|", Q("Nový údaj"), Q("Editovat údaj"), Q("Smazat údaj"),
                                 "Hledat", "|", "Konec programu"}));
    GT_FIND(first, QToolButton, main, "ToolButton1");
    QVERIFY(first->autoRaise());
    QVERIFY(!first->icon().isNull());

    GT_FIND(list, QTreeView, main, "Seznam");
    QCOMPARE(list->model()->columnCount(), 13);
    QVERIFY(list->columnWidth(0) >=
            list->fontMetrics().horizontalAdvance(QStringLiteral("999999")));
    QCOMPARE(main->size(), QSize(698, 510));
}

void MainWindowTest::headerClickSortsAscending() {
    guitest::Session session;
    testsupport::WriteFileBytes(
        session.FsPath("vamo2001.vam"),
        guitest::DiaryBytes({{"1", "1.5.2001§brno§§§0§100§100§§§10 h 0 min§§"},
                             {"2", "2.5.2001§Zlín§§§0§12,5§12,5§§§2 h 15 min§§"},
                             {"3", "3.5.2001§Čáslav§§§0§9.3§9.3§§§9 h 30 min§§"}}));
    session.Start();
    TMainForm* main = session.Main();
    main->show();
    QVERIFY(QTest::qWaitForWindowExposed(main));

    guitest::ClickHeader(guitest::Get<QTreeView>(main, "Seznam"), 6);
    QCOMPARE(guitest::ColumnTexts(6), (QStringList{"9.3", "12,5", "100"}));
    guitest::ClickHeader(guitest::Get<QTreeView>(main, "Seznam"), 6);
    QCOMPARE(guitest::ColumnTexts(6), (QStringList{"9.3", "12,5", "100"}));
    QCOMPARE(guitest::ColumnTexts(0), (QStringList{"3", "2", "1"}));
    QVERIFY(!guitest::Get<QTreeView>(main, "Seznam")->header()->isSortIndicatorShown());

    guitest::ClickHeader(guitest::Get<QTreeView>(main, "Seznam"), 8);
    QCOMPARE(guitest::ColumnTexts(8), (QStringList{"10 h 0 min", "2 h 15 min", "9 h 30 min"}));
    guitest::ClickHeader(guitest::Get<QTreeView>(main, "Seznam"), 2);
    QCOMPARE(guitest::ColumnTexts(2), (QStringList{"brno", Q("Zlín"), Q("Čáslav")}));
    guitest::ClickHeader(guitest::Get<QTreeView>(main, "Seznam"), 0);
    QCOMPARE(guitest::ColumnTexts(0), (QStringList{"1", "2", "3"}));
}

void MainWindowTest::selectedRowIsHighlighted() {
    guitest::Session session;
    testsupport::WriteFileBytes(
        session.FsPath("vamo2001.vam"),
        guitest::DiaryBytes({{"1", "1.5.2001§Brno§§§§§§§§§§"}, {"2", "2.5.2001§Zlín§§§§§§§§§§"}}));
    session.Start();
    TMainForm* main = session.Main();
    main->show();
    QVERIFY(QTest::qWaitForWindowExposed(main));

    // The grid lines are a style sheet, which takes over how items are drawn; the selected row
    // must still stand out, not turn into white text on white.
    guitest::ClickRow(guitest::Get<QTreeView>(main, "Seznam"), 1);
    const QRect cell =
        guitest::Get<QTreeView>(main, "Seznam")
            ->visualRect(guitest::Get<QTreeView>(main, "Seznam")->model()->index(1, 1));
    const QImage image = guitest::Get<QTreeView>(main, "Seznam")->viewport()->grab().toImage();
    const QPoint inside(cell.left() + 2, cell.center().y());
    const QColor seen = image.pixelColor(inside * image.devicePixelRatio());
    const QColor highlight =
        guitest::Get<QTreeView>(main, "Seznam")->palette().color(QPalette::Highlight);
    // The style shades the highlight a little.
    const int distance = std::abs(seen.red() - highlight.red()) +
                         std::abs(seen.green() - highlight.green()) +
                         std::abs(seen.blue() - highlight.blue());
    QVERIFY2(distance < 24, qPrintable(seen.name() + " is not the highlight " + highlight.name()));
}

void MainWindowTest::closeStoresTheDiaryPath() {
    guitest::Session session;
    session.Start();
    TMainForm* main = session.Main();
    QSignalSpy closed(main, &TMainForm::Closed);
    main->show();
    guitest::Get<QAction>(main, "Konec1")->trigger();
    QVERIFY(!main->isVisible());
    QCOMPARE(closed.count(), 1);
    QCOMPARE(diary::ReadLastDiary(session.SettingsFile(), "none"), session.FsPath("vamo2001.vam"));
}

void MainWindowTest::closeGoesOnWhenSettingsCannotBeWritten() {
    guitest::Session session;
    testsupport::WriteFileBytes(session.SettingsFile(), "[soubor]\r\n");
    ::chmod(session.SettingsFile().c_str(), 0444);
    session.Start();
    TMainForm* main = session.Main();
    main->show();
    auto box = guitest::AnswerMessage(QStringLiteral("OK"));
    main->close();
    QVERIFY(box->done);
    QCOMPARE(box->title, QStringLiteral("Error"));
    QCOMPARE(box->text, QStringLiteral("Unable to write to ") + FromFsPath(session.SettingsFile()) +
                            QStringLiteral("\nK souboru nemáte přístup."));
    QVERIFY(!main->isVisible());
    QCOMPARE(session.SettingsBytes(), std::string("[soubor]\r\n"));
}

// Size, position and maximised state of the main window, and where a window the program added
// was left, come back at the next start; that window first opens centred over the main one.
void MainWindowTest::windowsStayWhereTheyWereLeft() {
    guitest::Session session;
    session.Start();
    const auto kola = [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QStringLiteral("KolaForm")) return w;
        return static_cast<QWidget*>(nullptr);
    };
    for (const bool maximized : {false, true}) {
        TMainForm* main = session.Main();
        main->show();
        main->setGeometry(40, 30, 700, 500);
        if (maximized) main->showMaximized();
        guitest::Get<QAction>(main, "Kola1")->trigger();
        QVERIFY(kola() != nullptr);
        if (!maximized) {
            // Placed before its frame is known: within the frame's few pixels.
            QVERIFY((kola()->frameGeometry().center() - main->frameGeometry().center())
                        .manhattanLength() <= 8);
            kola()->move(25, 35);
        }
        main->close();
        session.Restart();
        main = session.Main();
        main->show();
        QCOMPARE(main->isMaximized(), maximized);
        QCOMPARE(maximized ? main->normalGeometry() : main->geometry(), QRect(40, 30, 700, 500));
        guitest::Get<QAction>(main, "Kola1")->trigger();
        QCOMPARE(kola()->pos(), QPoint(25, 35));
        main->close();
        session.Restart();
    }
}

void MainWindowTest::storedPathCoding_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("stored");
    QTest::newRow("ascii") << QStringLiteral("/tmp/a.vam") << QByteArray("/tmp/a.vam");
    QTest::newRow("czech in cp1250") << Q("/tmp/Jízdy.vam") << QByteArray("/tmp/J\xEDzdy.vam");
    QTest::newRow("outside cp1250 as utf-8")
        << Q("/tmp/路.vam") << QByteArray("/tmp/\xE8\xB7\xAF.vam");
}

void MainWindowTest::storedPathCoding() {
    QFETCH(QString, path);
    QFETCH(QByteArray, stored);
    QCOMPARE(QByteArray::fromStdString(DiaryPathToSettings(path)), stored);
    QCOMPARE(DiaryPathFromSettings(stored.toStdString()), path);
}

void MainWindowTest::storedUtf8PathIsFoundAgain() {
    guitest::Session session;
    // Both readings name something plausible; the one that exists wins.
    const QString utf8Name = Q("Jízdy.vam");
    testsupport::WriteFileBytes(ToFsPath(session.Folder() + "/" + utf8Name),
                                guitest::DiaryBytes({}));
    const std::string stored = ToFsPath(session.Folder() + "/" + utf8Name);
    QCOMPARE(DiaryPathFromSettings(stored), session.Folder() + "/" + utf8Name);
}

void MainWindowTest::diaryExtension_data() {
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("expected");
    QTest::newRow("bare") << "/d/jaro"
                          << "/d/jaro.vam";
    QTest::newRow("has it") << "/d/jaro.vam"
                            << "/d/jaro.vam";
    QTest::newRow("capitals") << "/d/JARO.VAM"
                              << "/d/JARO.VAM";
    QTest::newRow("other") << "/d/jaro.dat"
                           << "/d/jaro.dat.vam";
    QTest::newRow("dot only") << "/d/jaro."
                              << "/d/jaro..vam";
}

void MainWindowTest::diaryExtension() {
    QFETCH(QString, chosen);
    QFETCH(QString, expected);
    QCOMPARE(WithDiaryExtension(chosen), expected);
}

void MainWindowTest::aboutWindow() {
    guitest::Session session;
    session.Start();
    session.Main()->show();
    guitest::Get<QAction>(session.Main(), "Oprogramu1")->trigger();
    TAboutBox* about = guitest::Window<TAboutBox>("AboutBox");
    QVERIFY(about->isVisible());
    QVERIFY(!about->isModal());
    QCOMPARE(about->windowTitle(), QStringLiteral("O Programu"));
    GT_FIND(name, QLabel, about, "ProductName");
    QCOMPARE(name->text(), Q("Jméno programu : Vamo 2001"));
    GT_FIND(version, QLabel, about, "Version");
    QCOMPARE(version->text(), QStringLiteral("Verze 6.0"));
    GT_FIND(ok, QPushButton, about, "OKButton");
    guitest::Click(ok);
    QVERIFY(!about->isVisible());
}

// A folder where the settings file belongs: one message that names it and says which diary
// opens instead, and no further boxes for it in that session, not even when closing.
void MainWindowTest::unreadableSettingsAreReportedOnce() {
    guitest::Session session;
    QVERIFY(QDir().mkpath(FromFsPath(session.SettingsFile())));
    auto box = guitest::AnswerMessage(QStringLiteral("OK"));
    session.Start();
    QVERIFY(box->done);
    QCOMPARE(box->title, QStringLiteral("Error"));
    QVERIFY2(box->text.contains(FromFsPath(session.SettingsFile())), qPrintable(box->text));
    QVERIFY2(box->text.contains(session.Path("vamo2001.vam")), qPrintable(box->text));
    QCOMPARE(session.Main()->windowTitle(),
             QStringLiteral("Vamo 2001 [%1]").arg(session.Path("vamo2001.vam")));

    auto more = guitest::AnswerMessage(QStringLiteral("OK"));
    session.Main()->close();
    QTest::qWait(100);
    QVERIFY(!more->done);
}

VAMO_GUI_TEST(MainWindowTest, "tst_mainwindow")
#include "tst_mainwindow.moc"

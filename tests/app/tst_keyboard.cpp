// The keyboard: the commands' shortcuts, Enter and Delete on the list, and every window taking
// typing the moment it opens, at the first field, however the opening before it ended.

#include <QAction>
#include <QCalendarWidget>
#include <QComboBox>
#include <QDialog>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>
#include <QTreeView>

#include "app/entrydialog.h"
#include "app/filedialog.h"
#include "app/mainwindow.h"
#include "app/msgbox.h"
#include "app/placelisteditor.h"
#include "app/recordmodel.h"
#include "app/ridetimedialog.h"
#include "app/searchwindow.h"
#include "diary/diary_file.h"
#include "guitest.h"

using guitest::Q;

namespace {

// The control that has the keyboard, by name; an editable combo box stands for its line edit.
QString FocusName() {
    QWidget* w = QApplication::focusWidget();
    if (w != nullptr && qobject_cast<QComboBox*>(w->parentWidget())) w = w->parentWidget();
    return w != nullptr ? w->objectName() : QStringLiteral("<none>");
}

// Types into whatever has the keyboard, as a user who does not look first.
void TypeHere(const QString& text) {
    QWidget* w = QApplication::focusWidget();
    QVERIFY2(w != nullptr, "nothing has the keyboard");
    guitest::TypeText(w, text);
}

void PressHere(Qt::Key key) {
    QWidget* w = QApplication::focusWidget();
    QVERIFY2(w != nullptr, "nothing has the keyboard");
    QTest::keyClick(w, key);
}

void ShowActive(QWidget* window) {
    window->show();
    window->raise();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
}

// How a row of the shortcut table keeps its command from waiting for a user.
enum class Prep { None, CancelFileDialog, AnswerMessage, RejectDialog };

}  // namespace

Q_DECLARE_METATYPE(Prep)

class KeyboardTest : public QObject {
    Q_OBJECT
private slots:
    void shortcutsRunTheirCommands_data();
    void shortcutsRunTheirCommands();
    void enterOnARowEditsItAndDeleteDeletesIt();
    void entryDialogTakesTypingAtOnce();
    void rideTimeDialogTakesTypingAtOnce();
    void datePickerTakesTheArrowsAndEnter();
    void searchWindowTakesTypingAndEnter();
    void placeEditorTakesTypingAndEnter();
};

void KeyboardTest::shortcutsRunTheirCommands_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<Prep>("prep");
    QTest::newRow("new diary") << "Nov1" << QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N)
                               << Prep::CancelFileDialog;
    QTest::newRow("open") << "Otevt1" << QKeySequence(Qt::CTRL | Qt::Key_O)
                          << Prep::CancelFileDialog;
    QTest::newRow("save as") << "Uloitjako1" << QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)
                             << Prep::CancelFileDialog;
    QTest::newRow("end") << "Konec1" << QKeySequence(Qt::CTRL | Qt::Key_Q) << Prep::None;
    QTest::newRow("new ride") << "Novy1" << QKeySequence(Qt::CTRL | Qt::Key_N)
                              << Prep::RejectDialog;
    QTest::newRow("edit") << "Editovat1" << QKeySequence(Qt::CTRL | Qt::Key_E)
                          << Prep::AnswerMessage;
    QTest::newRow("delete") << "Smazat1" << QKeySequence(Qt::Key_Delete) << Prep::AnswerMessage;
    QTest::newRow("search") << "Hledat1" << QKeySequence(Qt::CTRL | Qt::Key_F) << Prep::None;
    QTest::newRow("ride from a track")
        << "NovzGPSzznamu1" << QKeySequence(Qt::CTRL | Qt::Key_G) << Prep::CancelFileDialog;
    QTest::newRow("ride like the selected")
        << "Novpodlevybranho1" << QKeySequence(Qt::CTRL | Qt::Key_D) << Prep::AnswerMessage;
}

void KeyboardTest::shortcutsRunTheirCommands() {
    QFETCH(QString, action);
    QFETCH(QKeySequence, keys);
    QFETCH(Prep, prep);
    guitest::Session session;
    session.Start();
    TMainForm* main = session.Main();
    ShowActive(main);

    QString why;
    auto* command = guitest::Find<QAction>(main, action, &why);
    QVERIFY2(command != nullptr, qPrintable(why));
    // The menu shows what the action carries.
    QCOMPARE(command->shortcut(), keys);

    QSignalSpy triggered(command, &QAction::triggered);
    std::shared_ptr<guitest::Answer> dialog;
    switch (prep) {
        case Prep::None:
            break;
        case Prep::CancelFileDialog:
            filedialog::SetNextCancel();
            break;
        case Prep::AnswerMessage:
            SetNextMessageAnswer(kResultOk);  // "Není vybrán žádný údaj !"
            break;
        case Prep::RejectDialog:
            dialog = guitest::AnswerModal(
                [](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
            break;
    }
    QTest::keySequence(guitest::Get<QTreeView>(main, "Seznam"), keys);
    QCOMPARE(triggered.count(), 1);
    QVERIFY(!filedialog::HasPendingAnswer());
    QVERIFY(!HasPendingMessageAnswer());
    if (dialog) QVERIFY(dialog->done);
}

void KeyboardTest::enterOnARowEditsItAndDeleteDeletesIt() {
    guitest::Session session;
    testsupport::WriteFileBytes(session.FsPath("vamo2001.vam"), guitest::ThreeRides());
    session.Start();
    TMainForm* main = session.Main();
    ShowActive(main);
    CONTROL(list, QTreeView, main, "Seznam");

    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
        // Closing a dialog hands the activation back only where a window manager does it.
        ShowActive(main);
        guitest::ClickRow(list, 1);
        auto edit = guitest::AnswerModal([](QWidget* modal) {
            QCOMPARE(modal->windowTitle(), Q("Editovat údaj"));
            QCOMPARE(guitest::Get<QLabel>(modal, "Cislo")->text(), QStringLiteral("2"));
            qobject_cast<QDialog*>(modal)->reject();
        });
        QTest::keyClick(list, key);
        QVERIFY(edit->done);
        QVERIFY(!edit->leftOpen);
    }

    ShowActive(main);
    guitest::ClickRow(list, 0);
    SetNextMessageAnswer(kResultYes);
    QTest::keyClick(list, Qt::Key_Delete);
    QCOMPARE(LastAnsweredMessage().text, QStringLiteral("Opravdu smazat?"));
    QCOMPARE(guitest::ColumnTexts(11), (QStringList{Q("druhá"), Q("třetí")}));
    QCOMPARE(diary::ReadDiary(session.FsPath("vamo2001.vam")).size(), std::size_t{2});
}

void KeyboardTest::entryDialogTakesTypingAtOnce() {
    guitest::Session session;
    session.Start();
    TMainForm* main = session.Main();
    ShowActive(main);

    // Three "Nový údaj" in a row, each typed into at once; the one between ends with Esc in
    // "Odkud", the others with a click on "OK", which leaves the focus on the button.
    struct Opening {
        const char* date;
        bool ok;
    };
    for (const Opening opening :
         {Opening{"1.5.2001", true}, Opening{"2.5.2001", false}, Opening{"3.5.2001", true}}) {
        auto entry = guitest::AnswerModal([opening](QWidget* modal) {
            QCOMPARE(FocusName(), QStringLiteral("Dat"));
            QCOMPARE(guitest::Get<QLineEdit>(modal, "Dat")->text(), QString());
            TypeHere(QString::fromLatin1(opening.date));
            if (opening.ok) {
                QTest::mouseClick(guitest::Get<QPushButton>(modal, "OKButton"), Qt::LeftButton);
                return;
            }
            PressHere(Qt::Key_Tab);
            QCOMPARE(FocusName(), QStringLiteral("od"));
            TypeHere(QStringLiteral("Brno"));
            PressHere(Qt::Key_Escape);
        });
        ShowActive(main);
        QTest::keySequence(main, QKeySequence(Qt::CTRL | Qt::Key_N));
        QVERIFY(entry->done);
        QVERIFY(!entry->leftOpen);
    }
    QCOMPARE(guitest::ColumnTexts(1), (QStringList{"1.5.2001", "3.5.2001"}));
    QCOMPARE(guitest::ColumnTexts(0), (QStringList{"1", "2"}));

    // "Editovat" opens at the date too, selected, so that typing replaces it.
    ShowActive(main);
    guitest::ClickRow(guitest::Get<QTreeView>(main, "Seznam"), 1);
    auto edit = guitest::AnswerModal([](QWidget* modal) {
        QCOMPARE(FocusName(), QStringLiteral("Dat"));
        TypeHere(QStringLiteral("9.9.2009"));
        QTest::mouseClick(guitest::Get<QPushButton>(modal, "OKButton"), Qt::LeftButton);
    });
    QTest::keySequence(main, QKeySequence(Qt::CTRL | Qt::Key_E));
    QVERIFY(edit->done);
    QCOMPARE(guitest::ColumnTexts(1), (QStringList{"1.5.2001", "9.9.2009"}));
}

void KeyboardTest::rideTimeDialogTakesTypingAtOnce() {
    guitest::Session session;
    session.Start();
    TAddForm* add = guitest::Window<TAddForm>("AddForm");
    TFindForm* find = guitest::Window<TFindForm>("FindForm");
    CONTROL(cj, QLineEdit, add, "Cj");
    CONTROL(ecasod, QLineEdit, find, "Ecasod");

    // Each opening: what the boxes show, then keys typed at once; the text handed back, or
    // nothing when the dialog is still open after the keys and Esc ends it.
    struct Opening {
        QPushButton* button;
        QLineEdit* target;
        const char* shown;  // "hours|minutes"
        std::function<void()> keys;
        const char* result;
    };
    const Opening openings[] = {
        // Enter at once moves to the minutes; it writes nothing.
        {guitest::Get<QPushButton>(add, "Button1"), cj, "|", [] { PressHere(Qt::Key_Return); },
         nullptr},
        {guitest::Get<QPushButton>(add, "Button1"), cj, "|",
         [] {
             TypeHere(QStringLiteral("2"));
             PressHere(Qt::Key_Return);
             TypeHere(QStringLiteral("5"));
             PressHere(Qt::Key_Return);
         },
         "2 h 5 min"},
        {guitest::Get<QPushButton>(add, "Button1"), cj, "|",
         [] {
             TypeHere(QStringLiteral("3"));
             PressHere(Qt::Key_Tab);
             TypeHere(QStringLiteral("0"));
             QTest::mouseClick(
                 guitest::Get<QPushButton>(guitest::Window<TCasForm>("CasForm"), "OKButton"),
                 Qt::LeftButton);
         },
         "3 h 0 min"},
        // From the search window the boxes keep what was typed; typing replaces the hours.
        {guitest::Get<QPushButton>(find, "Button1"), ecasod, "3|0",
         [] {
             TypeHere(QStringLiteral("4"));
             PressHere(Qt::Key_Enter);
             PressHere(Qt::Key_Enter);
         },
         "4 h 0 min"},
    };
    for (const Opening& opening : openings) {
        const QString before = opening.target->text();
        auto cas = guitest::AnswerModal([&opening](QWidget* modal) {
            QCOMPARE(modal->objectName(), QStringLiteral("CasForm"));
            QCOMPARE(FocusName(), QStringLiteral("Edit1"));
            QCOMPARE(guitest::Get<QLineEdit>(modal, "Edit1")->text() + "|" +
                         guitest::Get<QLineEdit>(modal, "Edit2")->text(),
                     QString::fromLatin1(opening.shown));
            opening.keys();
            if (modal->isVisible()) {
                QCOMPARE(FocusName(), QStringLiteral("Edit2"));
                PressHere(Qt::Key_Escape);
            }
        });
        opening.button->click();
        QVERIFY(cas->done);
        QVERIFY(!cas->leftOpen);
        QCOMPARE(opening.target->text(),
                 opening.result ? QString::fromLatin1(opening.result) : before);
    }
}

void KeyboardTest::datePickerTakesTheArrowsAndEnter() {
    guitest::Session session;
    session.Start();
    TAddForm* add = guitest::Window<TAddForm>("AddForm");
    // Twice: the second opening starts on today again, with the days taking the keys.
    for (int opening = 0; opening < 2; ++opening) {
        auto picked = guitest::AnswerModal([](QWidget* modal) {
            QCOMPARE(modal->objectName(), QStringLiteral("CalendarForm"));
            QWidget* focus = QApplication::focusWidget();
            QVERIFY2(focus != nullptr &&
                         guitest::Get<QCalendarWidget>(modal, "Calendar")->isAncestorOf(focus),
                     "the days do not have the keyboard");
            PressHere(Qt::Key_Right);
            PressHere(Qt::Key_Return);
        });
        guitest::Get<QToolButton>(add, "SpeedButton1")->click();
        QVERIFY(picked->done);
        QVERIFY(!picked->leftOpen);
        const QDate tomorrow = QDate::currentDate().addDays(1);
        QCOMPARE(guitest::Get<QLineEdit>(add, "Dat")->text(), QStringLiteral("%1.%2.%3")
                                                                  .arg(tomorrow.day())
                                                                  .arg(tomorrow.month())
                                                                  .arg(tomorrow.year()));
    }
}

void KeyboardTest::searchWindowTakesTypingAndEnter() {
    guitest::Session session;
    testsupport::WriteFileBytes(session.FsPath("vamo2001.vam"), guitest::ThreeRides());
    session.Start();
    TMainForm* main = session.Main();
    ShowActive(main);
    TFindForm* find = guitest::Window<TFindForm>("FindForm");
    const QAbstractItemModel* results = guitest::Get<QTreeView>(find, "List")->model();

    for (int opening = 0; opening < 2; ++opening) {
        QTest::keySequence(main, QKeySequence(Qt::CTRL | Qt::Key_F));
        QVERIFY(QTest::qWaitForWindowActive(find));
        QCoreApplication::processEvents();
        QCOMPARE(FocusName(), QStringLiteral("Edatumod"));
        TypeHere(QStringLiteral("1.5.2001"));
        QCOMPARE(guitest::Get<QLineEdit>(find, "Edatumod")->text(), QStringLiteral("1.5.2001"));
        // Nothing ticked, "A": Enter lists every ride.
        PressHere(Qt::Key_Return);
        QCOMPARE(results->rowCount(), 3);
        // Leave the focus elsewhere; Esc closes as "Storno" does.
        guitest::Get<QLineEdit>(find, "Ekam")->setFocus();
        PressHere(Qt::Key_Escape);
        QVERIFY(!find->isVisible());
        ShowActive(main);
    }
}

void KeyboardTest::placeEditorTakesTypingAndEnter() {
    guitest::Session session;
    session.Start();
    TMainForm* main = session.Main();
    ShowActive(main);
    // Each opening reads the lists anew: what was typed and not saved is gone.
    for (const char* place : {"Brno", "Tišnov"}) {
        guitest::Get<QAction>(main, "Zkratky1")->trigger();
        TZkratkyForm* places = guitest::Window<TZkratkyForm>("ZkratkyForm");
        CONTROL(list1, QListWidget, places, "List1");
        QVERIFY(QTest::qWaitForWindowActive(places));
        QCoreApplication::processEvents();
        QCOMPARE(FocusName(), QStringLiteral("Edit1"));
        TypeHere(Q(place));
        PressHere(Qt::Key_Return);
        QCOMPARE(list1->item(list1->count() - 1)->text(), Q(place));
        QCOMPARE(list1->count(), 1);
        places->close();
    }
}

VAMO_GUI_TEST(KeyboardTest, "tst_keyboard")
#include "tst_keyboard.moc"

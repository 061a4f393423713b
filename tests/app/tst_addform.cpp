// The entry dialog on its own: its controls, keyboard, helpers, calculators and the refusal
// of the field separator.

#include <QComboBox>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include "app/entrydialog.h"
#include "app/mainwindow.h"
#include "app/msgbox.h"
#include "app/recordmodel.h"
#include "app/textcodec.h"
#include "diary/regional.h"
#include "guitest.h"

using diary::Field;
using guitest::Cp;
using guitest::Q;

class AddFormTest : public QObject {
    Q_OBJECT
private slots:
    void labelsAndButtons();
    void focusOrderAndKeys();
    void recordMapsFieldsByName();
    void todayAndLastArrival();
    void calculators_data();
    void calculators();
    void separatorIsRefused();
    void resultCodes();
};

void AddFormTest::labelsAndButtons() {
    guitest::Session session;
    session.Start();
    TAddForm* add = guitest::Window<TAddForm>("AddForm");

    const char* labels[][2] = {{"Label1", "Datum:"},       {"Label2", "Odkud:"},
                               {"Label3", "Přes:"},        {"Label4", "Kam:"},
                               {"Label5", "Odjezd (km):"}, {"Label6", "Ujeto (km):"},
                               {"Label7", "Příjed (km):"}, {"Label8", "Průmerná rychlost :"},
                               {"Label9", "Čas jízdy:"},   {"Label10", "Maximální rychlost"},
                               {"Label11", "Poznámka:"}};
    for (const auto& [name, text] : labels) {
        QString why;
        auto* label = guitest::Find<QLabel>(add, QString::fromLatin1(name), &why);
        QVERIFY2(label != nullptr, qPrintable(why));
        QCOMPARE(label->text(), Q(text));
    }
    const char* buttons[][3] = {{"DnesButton", "Dnes", ""},
                                {"Button2", "Posledni", "Poslední příjezdové km."},
                                {"Button1", "...", ""},
                                {"OKButton", "OK", ""},
                                {"CancelButton", "Storno", ""}};
    for (const auto& [name, text, tip] : buttons) {
        QString why;
        auto* button = guitest::Find<QPushButton>(add, QString::fromLatin1(name), &why);
        QVERIFY2(button != nullptr, qPrintable(why));
        QCOMPARE(button->text(), Q(text));
        QCOMPARE(button->toolTip(), Q(tip));
        QVERIFY2(!button->autoDefault() && !button->isDefault(), name);
    }
    const char* pictures[][2] = {{"SpeedButton1", "Kalendář"},
                                 {"SpeedButton3", "Výpočet"},
                                 {"SpeedButton2", "Výpočet"},
                                 {"SpeedButton4", "Výpočet"},
                                 {"SpeedButton5", "Výpočet"}};
    for (const auto& [name, tip] : pictures) {
        QString why;
        auto* button = guitest::Find<QToolButton>(add, QString::fromLatin1(name), &why);
        QVERIFY2(button != nullptr, qPrintable(why));
        QCOMPARE(button->toolTip(), Q(tip));
        QCOMPARE(button->focusPolicy(), Qt::NoFocus);
        QVERIFY(!button->icon().isNull());
    }
    for (QComboBox* combo :
         {guitest::Get<QComboBox>(add, "od"), guitest::Get<QComboBox>(add, "pres"),
          guitest::Get<QComboBox>(add, "kam")}) {
        QVERIFY(combo->isEditable());
        QCOMPARE(combo->insertPolicy(), QComboBox::NoInsert);
        QVERIFY(combo->validator() != nullptr);
    }
    QCOMPARE(guitest::Get<QLineEdit>(add, "Pozn")->maxLength(), 255);
    QCOMPARE(guitest::Get<QLabel>(add, "Cislo")->text(), QStringLiteral("1"));
    QVERIFY(guitest::Get<QLabel>(add, "Cislo")->font().bold());
    QVERIFY(!(add->windowFlags() & Qt::WindowContextHelpButtonHint));
    QVERIFY(!(add->windowFlags() & Qt::WindowMaximizeButtonHint));
}

void AddFormTest::focusOrderAndKeys() {
    guitest::Session session;
    session.Start();
    TAddForm* add = guitest::Window<TAddForm>("AddForm");
    auto answer = guitest::AnswerModal([add](QWidget*) {
        // Focus moves only inside the active window, which the platform makes active a moment
        // after the dialog shows.
        add->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(add));
        guitest::Get<QLineEdit>(add, "Dat")->setFocus();
        QStringList order;
        for (int i = 0; i < 17; ++i) {
            QWidget* w = QApplication::focusWidget();
            // An editable combo box hands its focus to its line edit.
            if (w != nullptr && qobject_cast<QComboBox*>(w->parentWidget())) w = w->parentWidget();
            order << (w ? w->objectName() : QStringLiteral("<none>"));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(order, (QStringList{"Dat", "od", "pres", "kam", "Odj", "Ujeto", "Pri", "Pr", "Cj",
                                     "Mr", "Pozn", "Kolo", "OKButton", "CancelButton", "DnesButton",
                                     "Button2", "Button1"}));
        // Enter presses nothing, not even the focused button.
        guitest::Get<QPushButton>(add, "OKButton")->setFocus();
        QTest::keyClick(guitest::Get<QPushButton>(add, "OKButton"), Qt::Key_Return);
        QTest::keyClick(guitest::Get<QLineEdit>(add, "Pozn"), Qt::Key_Enter);
        QVERIFY(add->isVisible());
        QTest::keyClick(add, Qt::Key_Escape);
    });
    QCOMPARE(add->exec(), kResultCancel);
    QVERIFY(answer->done);
    QVERIFY(!answer->leftOpen);
}

void AddFormTest::recordMapsFieldsByName() {
    guitest::Session session;
    session.Start();
    TAddForm* add = guitest::Window<TAddForm>("AddForm");
    diary::DiaryRecord record;
    record.number = "17";
    for (int i = 0; i < diary::kFieldCount; ++i)
        record.fields[i] = Cp("pole ") + std::to_string(i) + Cp(" ž");
    add->SetRecord(record);
    QCOMPARE(guitest::Get<QLabel>(add, "Cislo")->text(), QStringLiteral("17"));
    QCOMPARE(guitest::Get<QComboBox>(add, "kam")->currentText(), Q("pole 2 ž"));
    QCOMPARE(guitest::Get<QComboBox>(add, "pres")->currentText(), Q("pole 3 ž"));
    QCOMPARE(guitest::Get<QLineEdit>(add, "Pri")->text(), Q("pole 5 ž"));
    QCOMPARE(guitest::Get<QLineEdit>(add, "Ujeto")->text(), Q("pole 6 ž"));
    QCOMPARE(guitest::Get<QLineEdit>(add, "Cj")->text(), Q("pole 9 ž"));
    QCOMPARE(add->Record(), record);
}

void AddFormTest::todayAndLastArrival() {
    guitest::Session session;
    session.Start();
    TAddForm* add = guitest::Window<TAddForm>("AddForm");
    guitest::Get<QPushButton>(add, "DnesButton")->click();
    const QDate today = QDate::currentDate();
    QCOMPARE(guitest::Get<QLineEdit>(add, "Dat")->text(),
             QStringLiteral("%1.%2.%3").arg(today.day()).arg(today.month()).arg(today.year()));

    guitest::Get<QPushButton>(add, "Button2")->click();
    QCOMPARE(guitest::Get<QLineEdit>(add, "Odj")->text(), QStringLiteral("0"));

    testsupport::WriteFileBytes(session.FsPath("vamo2001.vam"),
                                guitest::DiaryBytes({{"1", "1.5.2001§a§c§b§100§130§30§§§§§"},
                                                     {"2", "2.5.2001§a§c§b§130§§0§§§§§"},
                                                     {"3", "3.5.2001§a§c§b§140§150,5§10,5§§§§§"}}));
    session.Restart();
    add = guitest::Window<TAddForm>("AddForm");
    guitest::Get<QPushButton>(add, "Button2")->click();
    QCOMPARE(guitest::Get<QLineEdit>(add, "Odj")->text(), QStringLiteral("150,5"));
    // The last row as the list is ordered now, not the highest number.
    guitest::SortBy(session.Main(), 6);  // distance: 0, 10,5, 30
    QCOMPARE(guitest::ColumnTexts(0).last(), QStringLiteral("1"));
    guitest::Get<QPushButton>(add, "Button2")->click();
    QCOMPARE(guitest::Get<QLineEdit>(add, "Odj")->text(), QStringLiteral("130"));
}

void AddFormTest::calculators_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("inputs");  // Odj, Pri, Ujeto, Pr, Mr, Cj
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("value");    // the target's text afterwards
    QTest::addColumn<QString>("message");  // the error box's text, or empty

    QTest::newRow("distance") << "SpeedButton3" << QStringList{"1234,5", "1270", "", "", "", ""}
                              << "Ujeto"
                              << "35,5"
                              << "";
    QTest::newRow("distance below zero")
        << "SpeedButton3" << QStringList{"1270", "1200", "7", "", "", ""} << "Ujeto"
        << "7" << Q("Chybná hodnota !");
    QTest::newRow("arrival") << "SpeedButton2" << QStringList{"1200", "", "35,25", "", "", ""}
                             << "Pri"
                             << "1235,3"
                             << "";
    QTest::newRow("arrival bad distance")
        << "SpeedButton2" << QStringList{"x", "", "x", "", "", ""} << "Pri"
        << "" << Q("Chybná hodnota v poli ujeto.");
    QTest::newRow("ride time") << "SpeedButton4" << QStringList{"", "", "35", "20", "", ""} << "Cj"
                               << "1 h 45 min"
                               << "";
    QTest::newRow("ride time no distance")
        << "SpeedButton4" << QStringList{"", "", "", "", "", "x"} << "Cj"
        << "x" << Q("V poli ujeto není žádná hodnota.\nNemůžu vypočítat čas jízdy.");
    QTest::newRow("ride time max below avg")
        << "SpeedButton4" << QStringList{"", "", "35", "20", "19,9", ""} << "Cj"
        << "" << Q("Průměrná rychlost je větší něž maximální!");
    QTest::newRow("ride time zero distance")
        << "SpeedButton4" << QStringList{"", "", "0", "20", "", "keep"} << "Cj"
        << "keep"
        << "";
    QTest::newRow("average") << "SpeedButton5" << QStringList{"", "", "35", "", "", "1 h 45 min"}
                             << "Pr"
                             << "20,0"
                             << "";
    QTest::newRow("average unreadable time")
        << "SpeedButton5" << QStringList{"", "", "35", "9", "", "1h 45 min"} << "Pr"
        << "9" << Q("Chybná hodnota !");
}

void AddFormTest::calculators() {
    QFETCH(QString, button);
    QFETCH(QStringList, inputs);
    QFETCH(QString, target);
    QFETCH(QString, value);
    QFETCH(QString, message);
    guitest::Session session;
    session.Start();
    TAddForm* add = guitest::Window<TAddForm>("AddForm");
    QLineEdit* fields[] = {
        guitest::Get<QLineEdit>(add, "Odj"),   guitest::Get<QLineEdit>(add, "Pri"),
        guitest::Get<QLineEdit>(add, "Ujeto"), guitest::Get<QLineEdit>(add, "Pr"),
        guitest::Get<QLineEdit>(add, "Mr"),    guitest::Get<QLineEdit>(add, "Cj")};
    for (int i = 0; i < 6; ++i) fields[i]->setText(inputs[i]);

    auto dialog = guitest::AnswerModal([&](QWidget*) {
        std::shared_ptr<guitest::Answer> box;
        if (!message.isEmpty()) box = guitest::AnswerMessage(QStringLiteral("OK"));
        guitest::Click(add->findChild<QToolButton*>(button));
        if (box) {
            QVERIFY(box->done);
            QCOMPARE(box->title, QStringLiteral("Error"));
            QCOMPARE(box->text, message);
        }
        QVERIFY(add->isVisible());
        QCOMPARE(add->findChild<QLineEdit*>(target)->text(), value);
        guitest::Get<QPushButton>(add, "CancelButton")->click();
    });
    add->exec();
    QVERIFY(dialog->done);
    QVERIFY(!dialog->leftOpen);
}

void AddFormTest::separatorIsRefused() {
    guitest::Session session;
    session.Start();
    TAddForm* add = guitest::Window<TAddForm>("AddForm");
    struct Case {
        QWidget* field;
        const char* text;
        const char* message;
    };
    // What the diary file cannot hold as typed is refused while the dialog is still open.
    const Case cases[] = {
        {guitest::Get<QLineEdit>(add, "Pozn"), "a§b", "Znak § nelze použít."},
        {guitest::Get<QComboBox>(add, "od")->lineEdit(), "a§b", "Znak § nelze použít."},
        {guitest::Get<QLineEdit>(add, "Dat"), " 1.5.2001",
         "Hodnota nesmí začínat ani končit mezerou nebo tabulátorem."},
    };
    diary::DiaryRecord fresh;
    fresh.number = "1";
    for (const Case& c : cases) {
        add->SetRecord(fresh);
        auto dialog = guitest::AnswerModal([&](QWidget*) {
            guitest::TypeText(c.field, Q(c.text));
            auto box = guitest::AnswerMessage(QStringLiteral("OK"));
            guitest::Click(guitest::Get<QPushButton>(add, "OKButton"));
            QVERIFY(box->done);
            QCOMPARE(box->title, QStringLiteral("Error"));
            QCOMPARE(box->text, Q(c.message));
            QVERIFY(add->isVisible());
            add->SetRecord(fresh);
            guitest::Click(guitest::Get<QPushButton>(add, "OKButton"));
        });
        QCOMPARE(add->exec(), kResultOk);
        QVERIFY(dialog->done);
        QVERIFY(!dialog->leftOpen);
    }
}

void AddFormTest::resultCodes() {
    guitest::Session session;
    session.Start();
    TAddForm* add = guitest::Window<TAddForm>("AddForm");
    auto ok = guitest::AnswerModal(
        [add](QWidget*) { guitest::Click(guitest::Get<QPushButton>(add, "OKButton")); });
    QCOMPARE(add->exec(), kResultOk);  // every field empty is accepted
    QVERIFY(ok->done);
    auto storno = guitest::AnswerModal(
        [add](QWidget*) { guitest::Click(guitest::Get<QPushButton>(add, "CancelButton")); });
    QCOMPARE(add->exec(), kResultCancel);
    QVERIFY(storno->done);
    auto closeBox = guitest::AnswerModal([add](QWidget*) { add->close(); });
    QCOMPARE(add->exec(), kResultCancel);
    QVERIFY(closeBox->done);
}

VAMO_GUI_TEST(AddFormTest, "tst_addform")
#include "tst_addform.moc"

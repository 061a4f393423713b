#include <QCalendarWidget>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>
#include <QTreeView>
#include <memory>

#include "TempDir.h"
#include "app/datepicker.h"
#include "app/recordmodel.h"
#include "app/ridetimedialog.h"
#include "app/searchwindow.h"
#include "diary/diary_file.h"
#include "guitest.h"

using guitest::Record;
using guitest::Row;

namespace {

// Column `column` of every result row.
QStringList ResultColumn(TFindForm* form, int column) {
    QStringList out;
    const QAbstractItemModel* m = guitest::Get<QTreeView>(form, "List")->model();
    for (int r = 0; r < m->rowCount(); ++r) out << m->index(r, column).data().toString();
    return out;
}

}  // namespace

class FindTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        dir_ = std::make_unique<testsupport::TempDir>();
        path_ = QString::fromStdString(dir_->File("jizdy.vam"));
        // File order: date, from, to, via, departure, arrival, distance, avg, max, time, note.
        diary::SaveDiary(path_.toStdString(),
                         std::vector<diary::DiaryRecord>{
                             Record("1", {"1.5.2001", "Doma", "Praha", "Beroun", "1000", "1035",
                                          "35", "20", "41", "1 h 45 min", ""}),
                             Record("2", {"2.5.2001", "Doma", "Brno", "", "1035", "1080", "45",
                                          "22", "50", "2 h 0 min", "dlouhá"}),
                             Record("3", {"31.5.2001", "Jinde", "praha", "", "1080", "1115", "35,0",
                                          "19", "38", "1 h 30 min", ""}),
                             Record("4", {"1.6.2001", "Jinde", "Praha ", "", "1115", "1125", "10",
                                          "15", "30", "1 h 31 min", ""}),
                         });
        main_ = std::make_unique<QWidget>();
        seznam_ = std::make_unique<RecordModel>();
        // The main list lacks record 4, and its row 3 carries a note the file does not have.
        seznam_->Append(Row("1", {"1.5.2001", "Doma", "Praha", "Beroun", "1000", "1035", "35", "20",
                                  "41", "1 h 45 min", ""}));
        seznam_->Append(Row("2", {"2.5.2001", "Doma", "Brno", "", "1035", "1080", "45", "22", "50",
                                  "2 h 0 min", "dlouhá"}));
        seznam_->Append(Row("3", {"31.5.2001", "Jinde", "praha", "", "1080", "1115", "35,0", "19",
                                  "38", "1 h 30 min", "ze seznamu"}));
        cas_ = std::make_unique<TCasForm>();
        calendar_ = std::make_unique<TCalendarForm>(main_.get());
        form_ = std::make_unique<TFindForm>(
            seznam_.get(), diary::RegionalSettings::Czech(),
            TFindForm::Diary{[this] { return path_; }, {}},
            TFindForm::Helpers{[this](QWidget* opener) { return calendar_->Pick(opener); },
                               [this] { return cas_->Ask(TCasForm::Start::AsLeft); }});
    }
    void cleanup() {
        form_.reset();
        cas_.reset();
        calendar_.reset();
        seznam_.reset();
        main_.reset();
        dir_.reset();
    }

    void startsWithNothingTickedAndA() {
        for (QCheckBox* box : form_->findChildren<QCheckBox*>()) QVERIFY(!box->isChecked());
        CONTROL(a, QRadioButton, form_.get(), "stylA");
        QVERIFY(a->isChecked());
        CONTROL(list, QTreeView, form_.get(), "List");
        QCOMPARE(list->model()->columnCount(), 13);
    }

    void search_data() {
        QTest::addColumn<QStringList>("ticked");
        QTest::addColumn<QStringList>("texts");  // edit name, text, edit name, text, ...
        QTest::addColumn<bool>("nebo");
        QTest::addColumn<QStringList>("numbers");

        QTest::newRow("nothing ticked, A: every record")
            << QStringList{} << QStringList{} << false << QStringList{"1", "2", "3", "4"};
        QTest::newRow("nothing ticked, nebo: none")
            << QStringList{} << QStringList{} << true << QStringList{};
        QTest::newRow("A: from Doma and 30..40 km")
            << QStringList{"Chodkud", "Chujeto"}
            << QStringList{"Eodkud", "Doma", "Eujetood", "30", "Eujetodo", "40"} << false
            << QStringList{"1"};
        QTest::newRow("nebo: from Doma or 30..40 km")
            << QStringList{"Chodkud", "Chujeto"}
            << QStringList{"Eodkud", "Doma", "Eujetood", "30", "Eujetodo", "40"} << true
            << QStringList{"1", "2", "3"};
        QTest::newRow("text is exact: case and blanks count")
            << QStringList{"Chkam"} << QStringList{"Ekam", "Praha"} << false << QStringList{"1"};
        QTest::newRow("empty upper bound fails under A")
            << QStringList{"Chujeto"} << QStringList{"Eujetood", "30"} << false << QStringList{};
        QTest::newRow("dates inclusive")
            << QStringList{"Chdatum"}
            << QStringList{"Edatumod", "1.5.2001", "EDatumdo", "31.5.2001"} << false
            << QStringList{"1", "2", "3"};
        QTest::newRow("ride time bounds")
            << QStringList{"Chcas"} << QStringList{"Ecasod", "1 h 0 min", "Ecasdo", "1 h 30 min"}
            << false << QStringList{"3"};
        QTest::newRow("unreadable bound adds no hit under nebo")
            << QStringList{"Chcas", "CHpres"}
            << QStringList{"Ecasod", " h  min", "Ecasdo", "9 h 0 min", "Epres", "Beroun"} << true
            << QStringList{"1"};
    }
    void search() {
        QFETCH(QStringList, ticked);
        QFETCH(QStringList, texts);
        QFETCH(bool, nebo);
        QFETCH(QStringList, numbers);
        for (const QString& name : ticked) {
            auto* box = form_->findChild<QCheckBox*>(name);
            QVERIFY(box);
            box->setChecked(true);
        }
        for (qsizetype i = 0; i + 1 < texts.size(); i += 2) {
            auto* edit = form_->findChild<QLineEdit*>(texts[i]);
            QVERIFY(edit);
            edit->setText(texts[i + 1]);
        }
        CONTROL(a, QRadioButton, form_.get(), "stylA");
        CONTROL(orButton, QRadioButton, form_.get(), "stylNebo");
        (nebo ? orButton : a)->setChecked(true);
        CONTROL(find, QPushButton, form_.get(), "FindButton");
        find->click();
        QCOMPARE(ResultColumn(form_.get(), 0), numbers);
    }

    // Results come in record order with the main list's texts, whatever order that list is in;
    // a record the main list lacks is shown from the file.
    void resultsAfterASortOfTheMainList() {
        seznam_->SortByColumn(4, diary::RegionalSettings::Czech());
        QVERIFY(seznam_->row(0).Number() != std::string_view("1"));
        CONTROL(find, QPushButton, form_.get(), "FindButton");
        find->click();
        QCOMPARE(ResultColumn(form_.get(), 0), (QStringList{"1", "2", "3", "4"}));
        QCOMPARE(ResultColumn(form_.get(), 4), (QStringList{"Praha", "Brno", "praha", "Praha "}));
        QCOMPARE(ResultColumn(form_.get(), 11), (QStringList{"", "dlouhá", "ze seznamu", ""}));
        QCOMPARE(ResultColumn(form_.get(), 6), (QStringList{"35", "45", "35,0", "10"}));
        QCOMPARE(ResultColumn(form_.get(), 8),
                 (QStringList{"1 h 45 min", "2 h 0 min", "1 h 30 min", "1 h 31 min"}));
    }

    void hideAndShowKeepsConditionsAndResults() {
        form_->show();
        CONTROL(chkam, QCheckBox, form_.get(), "Chkam");
        CONTROL(ekam, QLineEdit, form_.get(), "Ekam");
        chkam->setChecked(true);
        ekam->setText(QStringLiteral("Brno"));
        CONTROL(find, QPushButton, form_.get(), "FindButton");
        find->click();
        QCOMPARE(ResultColumn(form_.get(), 0), QStringList{"2"});
        CONTROL(cancel, QPushButton, form_.get(), "CancelButton");
        cancel->click();
        QVERIFY(!form_->isVisible());
        form_->show();
        QVERIFY(chkam->isChecked());
        QCOMPARE(ekam->text(), QStringLiteral("Brno"));
        QCOMPARE(ResultColumn(form_.get(), 0), QStringList{"2"});

        ekam->setText(QStringLiteral("Praha"));
        find->click();
        QCOMPARE(ResultColumn(form_.get(), 0), QStringList{"1"});
    }

    void missingDiaryGivesNoResults() {
        path_ = QString::fromStdString(dir_->File("neni.vam"));
        CONTROL(find, QPushButton, form_.get(), "FindButton");
        find->click();
        QCOMPARE(guitest::Get<QTreeView>(form_.get(), "List")->model()->rowCount(), 0);
    }

    // A diary that exists but cannot be read is reported, and the old results do not stay.
    void unreadableDiaryShowsTheError() {
        CONTROL(find, QPushButton, form_.get(), "FindButton");
        find->click();
        QCOMPARE(guitest::Get<QTreeView>(form_.get(), "List")->model()->rowCount(), 4);
        path_ = QString::fromStdString(dir_->path());
        auto caption = std::make_shared<QString>();
        auto ran = guitest::AnswerModal([caption](QWidget* modal) {
            *caption = modal->windowTitle();
            guitest::Get<QPushButton>(modal, "OK")->click();
        });
        find->click();
        QVERIFY(ran->done);
        QCOMPARE(*caption, QStringLiteral("Error"));
        QCOMPARE(guitest::Get<QTreeView>(form_.get(), "List")->model()->rowCount(), 0);
    }

    void rideTimeDialogFillsTheLowerBoundOnly() {
        CONTROL(ecasdo, QLineEdit, form_.get(), "Ecasdo");
        ecasdo->setText(QStringLiteral("5 h 0 min"));
        auto ran = guitest::AnswerModal([](QWidget* modal) {
            auto* h = guitest::Get<QLineEdit>(modal, "Edit1");
            auto* m = guitest::Get<QLineEdit>(modal, "Edit2");
            auto* ok = guitest::Get<QPushButton>(modal, "OKButton");
            QTest::keyClicks(h, QStringLiteral("1"));
            QTest::keyClicks(m, QStringLiteral("30"));
            ok->click();
        });
        CONTROL(button1, QPushButton, form_.get(), "Button1");
        button1->click();
        QVERIFY(ran->done);
        CONTROL(ecasod, QLineEdit, form_.get(), "Ecasod");
        QCOMPARE(ecasod->text(), QStringLiteral("1 h 30 min"));
        QCOMPARE(ecasdo->text(), QStringLiteral("5 h 0 min"));
    }

    void pickedDateLandsInTheLowerDateBound() {
        form_->show();
        CONTROL(edatumod, QLineEdit, form_.get(), "Edatumod");
        edatumod->setText(QStringLiteral("7.7.1999"));
        auto disabledMeanwhile = std::make_shared<bool>(false);
        auto openedOnToday = std::make_shared<bool>(false);
        auto ran = guitest::AnswerModal([=](QWidget* modal) {
            *disabledMeanwhile = modal->windowModality() == Qt::ApplicationModal;
            auto* calendar = guitest::Get<QCalendarWidget>(modal, "Calendar");
            auto* ok = guitest::Get<QPushButton>(modal, "BitBtn1");
            *openedOnToday = calendar->selectedDate() == QDate::currentDate();
            calendar->setSelectedDate(QDate(2001, 3, 1));
            ok->click();
        });
        CONTROL(sb1, QToolButton, form_.get(), "SpeedButton1");
        sb1->click();
        QVERIFY(ran->done);
        QVERIFY(*disabledMeanwhile);
        QVERIFY(*openedOnToday);
        QVERIFY(main_->isEnabled());
        QVERIFY(form_->isEnabled());
        QCOMPARE(edatumod->text(), QStringLiteral("1.3.2001"));
        CONTROL(edatumdo, QLineEdit, form_.get(), "EDatumdo");
        QCOMPARE(edatumdo->text(), QString());
    }

private:
    std::unique_ptr<testsupport::TempDir> dir_;
    QString path_;
    std::unique_ptr<QWidget> main_;
    std::unique_ptr<RecordModel> seznam_;
    std::unique_ptr<TFindForm> form_;
    std::unique_ptr<TCasForm> cas_;
    std::unique_ptr<TCalendarForm> calendar_;
};

VAMO_GUI_TEST(FindTest, "tst_find")
#include "tst_find.moc"

// The ride-time dialog and the date picker, alone and as the search window opens them.

#include <QTest>
#include <memory>

#include "app/datepicker.h"
#include "app/msgbox.h"
#include "app/recordmodel.h"
#include "app/ridetimedialog.h"
#include "app/searchwindow.h"
#include "guitest.h"

namespace {

// Types hours and minutes into the open ride-time dialog and presses the named button.
auto TypeTime(QString hours, QString minutes, const char* button) {
    return [=](QWidget* modal) {
        guitest::Get<QLineEdit>(modal, "Edit1")->setText(hours);
        guitest::Get<QLineEdit>(modal, "Edit2")->setText(minutes);
        guitest::Get<QPushButton>(modal, button)->click();
    };
}

}  // namespace

class CasCalendarTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        main_ = std::make_unique<QWidget>();
        list_ = std::make_unique<RecordModel>();
        cas_ = std::make_unique<TCasForm>();
        calendar_ = std::make_unique<TCalendarForm>(main_.get());
        find_ = std::make_unique<TFindForm>(
            list_.get(), diary::RegionalSettings::Czech(),
            TFindForm::Diary{[] { return QString(); }, {}},
            TFindForm::Helpers{[this](QWidget* opener) { return calendar_->Pick(opener); },
                               [this] { return cas_->Ask(TCasForm::Start::AsLeft); }});
    }
    void cleanup() {
        find_.reset();
        calendar_.reset();
        cas_.reset();
        list_.reset();
        main_.reset();
    }

    void okHandsBackBothBoxesVerbatim_data() {
        QTest::addColumn<QString>("hours");
        QTest::addColumn<QString>("minutes");
        QTest::addColumn<QString>("text");
        QTest::newRow("plain") << "1"
                               << "30"
                               << "1 h 30 min";
        QTest::newRow("no normalising") << "1"
                                        << "90"
                                        << "1 h 90 min";
        QTest::newRow("empty boxes") << ""
                                     << ""
                                     << " h  min";
    }
    void okHandsBackBothBoxesVerbatim() {
        QFETCH(QString, hours);
        QFETCH(QString, minutes);
        QFETCH(QString, text);
        auto ran = guitest::AnswerModal(TypeTime(hours, minutes, "OKButton"));
        QCOMPARE(cas_->Ask(TCasForm::Start::Empty), std::optional<QString>(text));
        QVERIFY(ran->done);
        QCOMPARE(cas_->result(), kResultYes);
    }

    void stornoEscAndCloseHandBackNothing() {
        auto ran = guitest::AnswerModal(TypeTime("3", "3", "CancelButton"));
        QCOMPARE(cas_->Ask(TCasForm::Start::Empty), std::nullopt);
        QVERIFY(ran->done);
        QCOMPARE(cas_->result(), kResultCancel);

        ran = guitest::AnswerModal([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
        QCOMPARE(cas_->Ask(TCasForm::Start::Empty), std::nullopt);
        QVERIFY(ran->done);
        QCOMPARE(cas_->result(), kResultCancel);
    }

    // The entry dialog's use starts empty; the search window's shows what was typed last, and
    // each of its two buttons fills only its own bound.
    void searchBoundsAndKeptBoxes() {
        auto ran = guitest::AnswerModal(TypeTime("2", "5", "OKButton"));
        guitest::Get<QPushButton>(find_.get(), "Button1")->click();
        QVERIFY(ran->done);
        QCOMPARE(guitest::Get<QLineEdit>(find_.get(), "Ecasod")->text(),
                 QStringLiteral("2 h 5 min"));
        QCOMPARE(guitest::Get<QLineEdit>(find_.get(), "Ecasdo")->text(), QString());

        auto shown = std::make_shared<QString>();
        ran = guitest::AnswerModal([shown](QWidget* modal) {
            *shown = guitest::Get<QLineEdit>(modal, "Edit1")->text() + "|" +
                     guitest::Get<QLineEdit>(modal, "Edit2")->text();
            guitest::Get<QPushButton>(modal, "OKButton")->click();
        });
        guitest::Get<QPushButton>(find_.get(), "Button2")->click();
        QVERIFY(ran->done);
        QCOMPARE(*shown, QStringLiteral("2|5"));
        QCOMPARE(guitest::Get<QLineEdit>(find_.get(), "Ecasdo")->text(),
                 QStringLiteral("2 h 5 min"));

        ran = guitest::AnswerModal([shown](QWidget* modal) {
            *shown = guitest::Get<QLineEdit>(modal, "Edit1")->text();
            guitest::Get<QPushButton>(modal, "CancelButton")->click();
        });
        QCOMPARE(cas_->Ask(TCasForm::Start::Empty), std::nullopt);
        QVERIFY(ran->done);
        QCOMPARE(*shown, QString());
        QCOMPARE(guitest::Get<QLineEdit>(find_.get(), "Ecasdo")->text(),
                 QStringLiteral("2 h 5 min"));
    }

    void dateText_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("text");
        QTest::newRow("Czech") << "%-d.%-m.%Y" << QDate(2001, 3, 1) << "1.3.2001";
        QTest::newRow("US") << "%m/%d/%Y" << QDate(2001, 3, 1) << "03/01/2001";
        QTest::newRow("ISO") << "%F" << QDate(2001, 12, 31) << "2001-12-31";
    }
    void dateText() {
        QFETCH(QString, format);
        QFETCH(QDate, date);
        QFETCH(QString, text);
        diary::RegionalSettings regional = diary::RegionalSettings::Czech();
        regional.dateFormat = format.toStdString();
        QCOMPARE(DateText(regional, date), text);
    }

    // Esc does nothing; the main window keeps the state it had, the opener is enabled again.
    void pickRestoresTheMainWindowsState_data() {
        QTest::addColumn<bool>("mainEnabledBefore");
        QTest::newRow("opened from the search window") << true;
        QTest::newRow("opened from the entry dialog") << false;
    }
    void pickRestoresTheMainWindowsState() {
        QFETCH(bool, mainEnabledBefore);
        main_->setEnabled(mainEnabledBefore);
        QWidget opener;
        opener.show();
        auto escIgnored = std::make_shared<bool>(false);
        auto disabled = std::make_shared<bool>(false);
        auto ran = guitest::AnswerModal([=](QWidget* modal) {
            *disabled = modal->windowModality() == Qt::ApplicationModal;
            QTest::keyClick(modal, Qt::Key_Escape);
            *escIgnored = modal->isVisible();
            guitest::Get<QCalendarWidget>(modal, "Calendar")->setSelectedDate(QDate(2001, 3, 1));
            guitest::Get<QPushButton>(modal, "BitBtn1")->click();
        });
        QCOMPARE(calendar_->Pick(&opener), QDate(2001, 3, 1));
        QVERIFY(ran->done);
        QVERIFY(*disabled);
        QVERIFY(*escIgnored);
        QVERIFY(opener.isEnabled());
        QCOMPARE(main_->isEnabled(), mainEnabledBefore);
    }

private:
    std::unique_ptr<QWidget> main_;
    std::unique_ptr<RecordModel> list_;
    std::unique_ptr<TCasForm> cas_;
    std::unique_ptr<TCalendarForm> calendar_;
    std::unique_ptr<TFindForm> find_;
};

VAMO_GUI_TEST(CasCalendarTest, "tst_cas_calendar")
#include "tst_cas_calendar.moc"

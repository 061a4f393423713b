#include <QCalendarWidget>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "Unit5.h"
#include "cas.h"
#include "forms.h"
#include "msgbox.h"
#include "vyh.h"
#include "windowtest.h"

namespace {

// Types hours and minutes into the open ride-time dialog and presses the named button.
auto Answer(QString hours, QString minutes, const char* button) {
    return [=](QWidget* modal) {
        auto* h = windowtest::Control<QLineEdit>(modal, "Edit1");
        auto* m = windowtest::Control<QLineEdit>(modal, "Edit2");
        auto* b = windowtest::Control<QPushButton>(modal, button);
        if (!h || !m || !b) return;
        h->setText(hours);
        m->setText(minutes);
        b->click();
    };
}

}  // namespace

class CasCalendarTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        windowtest::ResetApp();
        App().regional = diary::RegionalSettings::Czech();
        main_ = std::make_unique<QWidget>();
        App().mainWidget = main_.get();
        find_ = std::make_unique<TFindForm>();
        cas_ = std::make_unique<TCasForm>();
        calendar_ = std::make_unique<TCalendarForm>();
        App().find = find_.get();
        App().cas = cas_.get();
        App().calendar = calendar_.get();
    }
    void cleanup() {
        cas_.reset();
        calendar_.reset();
        find_.reset();
        main_.reset();
        windowtest::ResetApp();
    }

    void okWritesVerbatimIntoTheTarget_data() {
        QTest::addColumn<int>("target");
        QTest::addColumn<QString>("hours");
        QTest::addColumn<QString>("minutes");
        QTest::addColumn<QString>("od");
        QTest::addColumn<QString>("to");
        QTest::newRow("lower bound") << 1 << "1"
                                     << "30"
                                     << "1 h 30 min"
                                     << "x";
        QTest::newRow("upper bound, no normalising") << 2 << "1"
                                                     << "90"
                                                     << "x"
                                                     << "1 h 90 min";
        QTest::newRow("empty boxes") << 1 << ""
                                     << ""
                                     << " h  min"
                                     << "x";
        QTest::newRow("entry dialog's use writes nothing here") << 3 << "2"
                                                                << "5"
                                                                << "x"
                                                                << "x";
        QTest::newRow("unknown target writes nothing") << 0 << "2"
                                                       << "5"
                                                       << "x"
                                                       << "x";
    }
    void okWritesVerbatimIntoTheTarget() {
        QFETCH(int, target);
        QFETCH(QString, hours);
        QFETCH(QString, minutes);
        QFETCH(QString, od);
        QFETCH(QString, to);
        find_->Ecasod->setText(QStringLiteral("x"));
        find_->Ecasdo->setText(QStringLiteral("x"));
        find_->timeTarget = target;
        auto ran = windowtest::WhenModal(Answer(hours, minutes, "OKButton"));
        QCOMPARE(cas_->exec(), kResultYes);
        QVERIFY(*ran);
        QCOMPARE(cas_->rideTimeText(), hours + " h " + minutes + " min");
        QCOMPARE(find_->Ecasod->text(), od);
        QCOMPARE(find_->Ecasdo->text(), to);
    }

    void stornoAndEscWriteNothing() {
        find_->timeTarget = 2;
        auto ran = windowtest::WhenModal(Answer("3", "3", "CancelButton"));
        QCOMPARE(cas_->exec(), kResultCancel);
        QVERIFY(*ran);
        QCOMPARE(find_->Ecasdo->text(), QString());

        ran = windowtest::WhenModal([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
        QCOMPARE(cas_->exec(), kResultCancel);
        QVERIFY(*ran);
        QCOMPARE(find_->Ecasdo->text(), QString());
    }

    // The entry dialog empties the boxes first; the search window shows what was typed last.
    void boxesKeepTheirTextsBetweenUses() {
        cas_->Edit1->setText(QStringLiteral("9"));
        find_->timeTarget = 3;
        cas_->ClearEdits();
        auto ran = windowtest::WhenModal([](QWidget* modal) {
            auto* h = windowtest::Control<QLineEdit>(modal, "Edit1");
            auto* m = windowtest::Control<QLineEdit>(modal, "Edit2");
            auto* ok = windowtest::Control<QPushButton>(modal, "OKButton");
            if (!h || !m || !ok || !h->text().isEmpty()) return;
            QTest::keyClicks(h, QStringLiteral("2"));
            QTest::keyClicks(m, QStringLiteral("5"));
            ok->click();
        });
        QCOMPARE(cas_->exec(), kResultYes);
        QVERIFY(*ran);
        QCOMPARE(cas_->rideTimeText(), QStringLiteral("2 h 5 min"));

        auto shown = std::make_shared<QString>();
        ran = windowtest::WhenModal([shown](QWidget* modal) {
            auto* h = windowtest::Control<QLineEdit>(modal, "Edit1");
            auto* m = windowtest::Control<QLineEdit>(modal, "Edit2");
            auto* ok = windowtest::Control<QPushButton>(modal, "OKButton");
            if (!h || !m || !ok) return;
            *shown = h->text() + "|" + m->text();
            ok->click();
        });
        find_->Button2->click();
        QVERIFY(*ran);
        QCOMPARE(*shown, QStringLiteral("2|5"));
        QCOMPARE(find_->Ecasdo->text(), QStringLiteral("2 h 5 min"));
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
        App().regional.dateFormat = format.toStdString();
        QCOMPARE(TCalendarForm::DateText(date), text);
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
        QWidget* main = main_.get();
        auto ran = windowtest::WhenModal([=, &opener](QWidget* modal) {
            *disabled = !main->isEnabled() && !opener.isEnabled();
            QTest::keyClick(modal, Qt::Key_Escape);
            *escIgnored = modal->isVisible();
            auto* calendar = windowtest::Control<QCalendarWidget>(modal, "Calendar");
            auto* ok = windowtest::Control<QPushButton>(modal, "BitBtn1");
            if (!calendar || !ok) return;
            calendar->setSelectedDate(QDate(2001, 3, 1));
            ok->click();
        });
        QCOMPARE(calendar_->Pick(&opener), QDate(2001, 3, 1));
        QVERIFY(*ran);
        QVERIFY(*disabled);
        QVERIFY(*escIgnored);
        QVERIFY(opener.isEnabled());
        QCOMPARE(main_->isEnabled(), mainEnabledBefore);
    }

private:
    std::unique_ptr<QWidget> main_;
    std::unique_ptr<TFindForm> find_;
    std::unique_ptr<TCasForm> cas_;
    std::unique_ptr<TCalendarForm> calendar_;
};

QTEST_MAIN(CasCalendarTest)
#include "tst_cas_calendar.moc"

#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <memory>

#include "Info.h"
#include "forms.h"
#include "recordmodel.h"
#include "windowtest.h"

using windowtest::Row;

class InfoTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        windowtest::ResetApp();
        main_ = std::make_unique<QWidget>();
        App().mainWidget = main_.get();
        form_ = std::make_unique<TInfoForm>();
        App().info = form_.get();
    }
    void cleanup() {
        form_.reset();
        main_.reset();
        windowtest::ResetApp();
    }

    void captionsAndPlaceholders() {
        QCOMPARE(form_->windowTitle(), QStringLiteral("Info"));
        CONTROL(grid, QTableWidget, form_.get(), "Grid");
        QCOMPARE(grid->rowCount(), 12);
        QCOMPARE(grid->columnCount(), 2);
        QCOMPARE(grid->horizontalHeaderItem(0)->text(), QStringLiteral("Údaj"));
        QCOMPARE(grid->horizontalHeaderItem(1)->text(), QStringLiteral("Obsah"));
        QCOMPARE(grid->item(0, 0)->text(), QStringLiteral("Pořadové číslo"));
        QCOMPARE(grid->item(4, 0)->text(), QStringLiteral("Kam"));
        QCOMPARE(grid->item(11, 0)->text(), QStringLiteral("Poznámky"));
        for (int r = 0; r < 12; ++r) {
            QCOMPARE(grid->item(r, 1)->text(), QStringLiteral("-"));
            QVERIFY(!(grid->item(r, 0)->flags() & Qt::ItemIsEditable));
        }
        CONTROL(ok, QPushButton, form_.get(), "OKButton");
        QCOMPARE(ok->text(), QStringLiteral("OK"));
        QVERIFY(ok->isDefault());
    }

    // The list's display order, texts unchanged; after a sort the row keeps its own number.
    void fillsTheRowsOwnTextsAfterASort() {
        RecordModel seznam;
        seznam.Append(Row("1", {"1.5.2001", "Doma", "Praha", "Beroun", "1000", "1035,5", "35,5",
                                "20", "41", "1 h 45 min", ""}));
        seznam.Append(Row("2", {"2.5.2001", "Adamov", "Brno", "Áčko", "1035,5", "1080", "44,5",
                                "22,3", "50", "2 h 0 min", "vítr"}));
        seznam.SortByColumn(2, diary::RegionalSettings::Czech());
        QCOMPARE(seznam.row(0).Number(), std::string_view("2"));

        form_->Fill(seznam.row(0));
        CONTROL(grid, QTableWidget, form_.get(), "Grid");
        const QStringList expected = {"2",    "2.5.2001", "Adamov",    "Áčko", "Brno", "1035,5",
                                      "44,5", "1080",     "2 h 0 min", "22,3", "50",   "vítr"};
        for (int r = 0; r < 12; ++r) QCOMPARE(grid->item(r, 1)->text(), expected.at(r));

        form_->Fill(seznam.row(1));
        QCOMPARE(grid->item(0, 1)->text(), QStringLiteral("1"));
        QCOMPARE(grid->item(3, 1)->text(), QStringLiteral("Beroun"));
        QCOMPARE(grid->item(11, 1)->text(), QString());
    }

    void showRecordDisablesTheMainWindowOnlyWhileShown() {
        auto sawMainDisabled = std::make_shared<bool>(false);
        auto ran = windowtest::WhenModal([sawMainDisabled](QWidget* modal) {
            *sawMainDisabled = !App().mainWidget->isEnabled();
            if (auto* ok = windowtest::Control<QPushButton>(modal, "OKButton")) ok->click();
        });
        form_->ShowRecord(Row("7", {"3.5.2001", "", "", "", "", "", "12,5", "", "", "", ""}));
        QVERIFY(*ran);
        QVERIFY(*sawMainDisabled);
        QVERIFY(main_->isEnabled());
        QVERIFY(!form_->isVisible());
        CONTROL(grid, QTableWidget, form_.get(), "Grid");
        QCOMPARE(grid->item(0, 1)->text(), QStringLiteral("7"));
        QCOMPARE(grid->item(6, 1)->text(), QStringLiteral("12,5"));
    }

    void closeBoxAlsoReenablesTheMainWindow() {
        auto ran = windowtest::WhenModal([](QWidget* modal) { modal->close(); });
        form_->ShowRecord(Row("1", {}));
        QVERIFY(*ran);
        QVERIFY(main_->isEnabled());
    }

private:
    std::unique_ptr<QWidget> main_;
    std::unique_ptr<TInfoForm> form_;
};

QTEST_MAIN(InfoTest)
#include "tst_info.moc"

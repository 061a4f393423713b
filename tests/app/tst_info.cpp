#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <memory>

#include "app/detailwindow.h"
#include "app/recordmodel.h"
#include "guitest.h"

using guitest::Row;

class InfoTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        main_ = std::make_unique<QWidget>();
        form_ = std::make_unique<TInfoForm>(main_.get());
    }
    void cleanup() {
        form_.reset();
        main_.reset();
    }

    void captionsAndPlaceholders() {
        QCOMPARE(form_->windowTitle(), QStringLiteral("Info"));
        CONTROL(grid, QTableWidget, form_.get(), "Grid");
        QCOMPARE(grid->rowCount(), 13);
        QCOMPARE(grid->columnCount(), 2);
        QCOMPARE(grid->horizontalHeaderItem(0)->text(), QStringLiteral("Údaj"));
        QCOMPARE(grid->horizontalHeaderItem(1)->text(), QStringLiteral("Obsah"));
        QCOMPARE(grid->item(0, 0)->text(), QStringLiteral("Pořadové číslo"));
        QCOMPARE(grid->item(4, 0)->text(), QStringLiteral("Kam"));
        QCOMPARE(grid->item(11, 0)->text(), QStringLiteral("Poznámky"));
        QCOMPARE(grid->item(12, 0)->text(), QStringLiteral("Kolo"));
        for (int r = 0; r < 13; ++r) {
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

        Show(seznam.row(0));
        CONTROL(grid, QTableWidget, form_.get(), "Grid");
        const QStringList expected = {"2",    "2.5.2001", "Adamov",    "Áčko", "Brno", "1035,5",
                                      "44,5", "1080",     "2 h 0 min", "22,3", "50",   "vítr"};
        for (int r = 0; r < 12; ++r) QCOMPARE(grid->item(r, 1)->text(), expected.at(r));

        Show(seznam.row(1));
        QCOMPARE(grid->item(0, 1)->text(), QStringLiteral("1"));
        QCOMPARE(grid->item(3, 1)->text(), QStringLiteral("Beroun"));
        QCOMPARE(grid->item(11, 1)->text(), QString());
    }

    void showRecordDisablesTheMainWindowOnlyWhileShown() {
        auto sawMainDisabled = std::make_shared<bool>(false);
        auto ran = guitest::AnswerModal([sawMainDisabled](QWidget* modal) {
            *sawMainDisabled = modal->windowModality() == Qt::ApplicationModal;
            guitest::Get<QPushButton>(modal, "OKButton")->click();
        });
        form_->ShowRecord(Row("7", {"3.5.2001", "", "", "", "", "", "12,5", "", "", "", ""}));
        QVERIFY(ran->done);
        QVERIFY(*sawMainDisabled);
        QVERIFY(main_->isEnabled());
        QVERIFY(!form_->isVisible());
        CONTROL(grid, QTableWidget, form_.get(), "Grid");
        QCOMPARE(grid->item(0, 1)->text(), QStringLiteral("7"));
        QCOMPARE(grid->item(6, 1)->text(), QStringLiteral("12,5"));
    }

    void closeBoxAlsoReenablesTheMainWindow() {
        auto ran = guitest::AnswerModal([](QWidget* modal) { modal->close(); });
        form_->ShowRecord(Row("1", {}));
        QVERIFY(ran->done);
        QVERIFY(main_->isEnabled());
    }

private:
    // Shows the row and closes the window again; the grid keeps what it showed.
    void Show(const diary::RecordRow& row) {
        auto ran = guitest::AnswerModal([](QWidget* modal) { modal->close(); });
        form_->ShowRecord(row);
        QVERIFY(ran->done);
    }

    std::unique_ptr<QWidget> main_;
    std::unique_ptr<TInfoForm> form_;
};

VAMO_GUI_TEST(InfoTest, "tst_info")
#include "tst_info.moc"

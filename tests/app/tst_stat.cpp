#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <memory>

#include "app/recordmodel.h"
#include "app/statisticswindow.h"
#include "guitest.h"

using guitest::Row;

namespace {

QStringList Figures(QTableWidget* grid) {
    QStringList out;
    for (int r = 0; r < grid->rowCount(); ++r) out << grid->item(r, 1)->text();
    return out;
}

}  // namespace

class StatTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        seznam_ = std::make_unique<RecordModel>();
        form_ = std::make_unique<TStatForm>(seznam_.get(), diary::RegionalSettings::Czech());
    }
    void cleanup() {
        form_.reset();
        seznam_.reset();
    }

    void captionsAtCreation() {
        QCOMPARE(form_->windowTitle(), QStringLiteral("Statistika"));
        CONTROL(grid, QTableWidget, form_.get(), "Grid");
        QCOMPARE(grid->rowCount(), 12);
        QCOMPARE(grid->columnCount(), 2);
        QVERIFY(grid->horizontalHeader()->isHidden());
        QCOMPARE(grid->item(0, 0)->text(), QStringLiteral("Počet cest"));
        QCOMPARE(grid->item(6, 0)->text(), QStringLiteral("Nejmenší průměrná ryhlost"));
        QCOMPARE(grid->item(11, 0)->text(), QStringLiteral("Součet časů"));
        QCOMPARE(Figures(grid), QStringList(12, QString()));
    }

    void singleRecord() {
        seznam_->Append(Row("1", {"1.5.2001", "Doma", "Praha", "", "1200", "1235", "35", "20", "41",
                                  "1 h 45 min", ""}));
        form_->ShowStatistics();
        QVERIFY(form_->isVisible());
        CONTROL(grid, QTableWidget, form_.get(), "Grid");
        const QStringList expected = {"1",  "1 h 45 min", "1 h 45 min", "35", "35", "1235",
                                      "20", "20",         "20",         "41", "41", "1 h 45 min"};
        QCOMPARE(Figures(grid), expected);

        CONTROL(ok, QPushButton, form_.get(), "OKButton");
        ok->click();
        QVERIFY(!form_->isVisible());
        QCOMPARE(Figures(grid), expected);
    }

    // The last arrival follows the list order, and a snapshot is not refreshed until asked.
    void snapshotFollowsListOrder() {
        seznam_->Append(Row("1", {"1.5.2001", "B", "", "", "", "1235", "35", "", "", "", ""}));
        seznam_->Append(Row("2", {"2.5.2001", "A", "", "", "", "1247,5", "12,5", "", "", "", ""}));
        form_->ShowStatistics();
        CONTROL(grid, QTableWidget, form_.get(), "Grid");
        QCOMPARE(grid->item(0, 1)->text(), QStringLiteral("2"));
        QCOMPARE(grid->item(3, 1)->text(), QStringLiteral("12,5"));
        QCOMPARE(grid->item(5, 1)->text(), QStringLiteral("1247,5"));

        seznam_->SortByColumn(2, diary::RegionalSettings::Czech());
        QCOMPARE(grid->item(5, 1)->text(), QStringLiteral("1247,5"));
        form_->ShowStatistics();
        QCOMPARE(grid->item(5, 1)->text(), QStringLiteral("1235"));
    }

    void emptyListShowsNothingAndKeepsEarlierFigures() {
        form_->ShowStatistics();
        QVERIFY(!form_->isVisible());

        seznam_->Append(Row("1", {"1.5.2001", "", "", "", "", "9", "", "", "", "", ""}));
        form_->ShowStatistics();
        QVERIFY(form_->isVisible());
        seznam_->Clear();
        form_->ShowStatistics();
        QVERIFY(form_->isVisible());
        CONTROL(grid, QTableWidget, form_.get(), "Grid");
        QCOMPARE(grid->item(0, 1)->text(), QStringLiteral("1"));
        QCOMPARE(grid->item(5, 1)->text(), QStringLiteral("9"));
    }

private:
    std::unique_ptr<RecordModel> seznam_;
    std::unique_ptr<TStatForm> form_;
};

VAMO_GUI_TEST(StatTest, "tst_stat")
#include "tst_stat.moc"

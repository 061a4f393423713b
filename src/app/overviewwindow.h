#pragma once
// The overview window ("Přehled"): totals by year, month or ISO week, four charts and the
// personal records of the main list, of every bike or of one. It follows the list: a change marks
// the figures stale, and they are worked out again when the window is next shown, or at once while
// it is open.

#include <QDate>
#include <QDialog>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "diary/regional.h"

namespace diary {
class Overview;
}

class QChartView;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QTableView;
class QTreeWidget;
class QTreeWidgetItem;
class DayCalendar;
class OpenDiary;
class RecordModel;
class TotalsModel;

class TPrehledForm : public QDialog {
    Q_OBJECT
public:
    // The figures are the open diary's rides; a click leads back to them in the main list.
    explicit TPrehledForm(OpenDiary& diary, QWidget* parent = nullptr);
    ~TPrehledForm() override;

    // The day the charts count to and mark as today: the clock's date unless one is set here
    // (the README's pictures are taken on a fixed day).
    void SetToday(const QDate& today);

protected:
    void showEvent(QShowEvent* event) override;

private slots:
    void ListChanged();
    void ShowPeriodKind();  // the switch "rok" / "měsíc" / "týden"
    void ShowYear();        // "Rok:" chooses the year of the monthly bars and the calendar
    void ShowBike();        // "Kolo:" chooses every bike or one
    void TabChanged();
    void SaveChart();                                         // "Uložit graf…"
    void OpenRecord(QTreeWidgetItem* item);                   // double click (or Enter) on a record
    void SelectDay(const std::vector<std::string>& numbers);  // click on a calendar day
    void OpenDay(const std::vector<std::string>& numbers);    // double click: its one ride

private:
    // The figures from the list as it is now, into every tab.
    void Recompute();
    void BuildCharts();
    void FillTotals();
    void FillYear();
    void FillRecords();
    // The bikes "Kolo:" offers, from the list as it is now; the bike chosen stays while the
    // list has a ride on it.
    void FillBikes();
    QDate Today() const;
    // The chart of the tab shown, or null when that tab holds no chart.
    QWidget* CurrentChart() const;
    // A click that reached the window before it caught up with the list: the figures are
    // brought up to date and the click is not acted on, as what it pointed at may have moved.
    bool CatchUp();

    const RecordModel* list_;
    const diary::RegionalSettings regional_;
    OpenDiary& diary_;
    std::optional<QDate> today_;
    std::unique_ptr<diary::Overview> overview_;
    // The bike every figure is of, code page 1250; empty: every bike ("všechna kola").
    std::string bike_;
    bool stale_ = true;
    bool refreshQueued_ = false;
    bool yearSet_ = false;
    // The folder of the last chart saved; empty until one was.
    QString chartFolder_;

    TotalsModel* totals_ = nullptr;
    QWidget* monthsPage_ = nullptr;
    QWidget* cumulativePage_ = nullptr;
    QWidget* weeksPage_ = nullptr;
    QTabWidget* tabs = nullptr;
    QRadioButton* byYearRadio = nullptr;
    QRadioButton* byMonthRadio = nullptr;
    QRadioButton* byWeekRadio = nullptr;
    QTableView* totalsView = nullptr;
    QChartView* monthsChart = nullptr;
    QChartView* cumulativeChart = nullptr;
    QChartView* weeksChart = nullptr;
    DayCalendar* dayCalendar = nullptr;
    QTreeWidget* recordsTree = nullptr;
    QSpinBox* yearSpin = nullptr;
    QComboBox* bikeCombo = nullptr;
    QLabel* leftOutLabel = nullptr;
    QPushButton* saveChartButton = nullptr;
    QPushButton* closeButton = nullptr;
};

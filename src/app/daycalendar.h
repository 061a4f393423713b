#pragma once
// A year as a calendar of days: one row per month, one column per day of the month, each day
// shaded by the kilometres ridden on it. A click on a day with rides names its rides.

#include <QDate>
#include <QString>
#include <QWidget>
#include <string>
#include <vector>

#include "diary/overview.h"
#include "diary/regional.h"

class DayCalendar : public QWidget {
    Q_OBJECT
public:
    explicit DayCalendar(QWidget* parent = nullptr);

    // The days of one year, 1 January first (Overview::YearCalendar); `today` is outlined.
    void SetYear(int year, std::vector<diary::CalendarDay> days, const QDate& today,
                 const diary::RegionalSettings& regional);

    int year() const { return year_; }
    // Where `date` is drawn; empty for a day outside the year shown.
    QRect DayRect(const QDate& date) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

signals:
    // A day with rides was clicked: their record numbers, in list order.
    void DayClicked(const std::vector<std::string>& numbers);
    // The same for a double click (which comes after the click).
    void DayDoubleClicked(const std::vector<std::string>& numbers);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

private:
    struct Layout {
        int cell;       // side of a day's square
        int gap;        // between squares
        int left;       // where day 1 starts: after the month names
        int top;        // where January starts: after the title and the day numbers
        int titleLine;  // baseline of the title
        int legendTop;  // the scale under the months
    };
    Layout Geometry() const;
    // Index into days_ of the day under `pos`, or -1.
    int DayAt(const QPoint& pos) const;
    QColor Shade(double km) const;
    // The rides of the day under a left button's `event`; empty elsewhere.
    const std::vector<std::string>* RidesAt(const QMouseEvent* event) const;

    int year_ = 0;
    std::vector<diary::CalendarDay> days_;
    QDate today_;
    diary::RegionalSettings regional_;
    double maxKm_ = 0;
    double totalKm_ = 0;
};

#include "app/overviewcharts.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QCursor>
#include <QFileInfo>
#include <QGraphicsView>
#include <QLineSeries>
#include <QPainter>
#include <QPixmap>
#include <QSaveFile>
#include <QScatterSeries>
#include <QSvgGenerator>
#include <QToolTip>
#include <QValueAxis>
#include <algorithm>

#include "app/textcodec.h"

namespace overviewcharts {
namespace {

const QColor kYearBefore(0xa6, 0xbd, 0xd7);
const QColor kThisYear(0x1f, 0x5f, 0xa8);
const QColor kToday(0xc0, 0x1c, 0x28);
const QColor kGoal(0x40, 0x40, 0x40);

QString Km(double km, const diary::RegionalSettings& regional) {
    return FromCp(diary::FormatTenths(km, regional)) + QStringLiteral(" km");
}

void Clear(QChart* chart) {
    chart->removeAllSeries();
    for (QAbstractAxis* axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;
    }
}

// Whole kilometres from 0 to a round number above the largest value.
QValueAxis* KmAxis(double largest) {
    auto* axis = new QValueAxis;
    axis->setTitleText(QStringLiteral("km"));
    axis->setRange(0, largest > 0 ? largest * 1.05 : 10);
    axis->applyNiceNumbers();
    axis->setLabelFormat(QStringLiteral("%.0f"));
    return axis;
}

void Attach(QChart* chart, QAbstractSeries* series, QAbstractAxis* x, QAbstractAxis* y) {
    if (!chart->axes(Qt::Horizontal).contains(x)) chart->addAxis(x, Qt::AlignBottom);
    if (!chart->axes(Qt::Vertical).contains(y)) chart->addAxis(y, Qt::AlignLeft);
    series->attachAxis(x);
    series->attachAxis(y);
}

// A bar's figure as a tool tip while the mouse is over it.
void TipOnHover(QBarSet* set, std::vector<QString> tips) {
    QObject::connect(set, &QBarSet::hovered, set, [tips = std::move(tips)](bool over, int index) {
        if (over && index >= 0 && index < static_cast<int>(tips.size())) {
            QToolTip::showText(QCursor::pos(), tips[static_cast<std::size_t>(index)]);
        } else {
            QToolTip::hideText();
        }
    });
}

// Where a day falls on an axis of months 0..12: the month's number less one, and the share
// of the month gone before the day. Every year's 1 March is in the same place.
double MonthPosition(const QDate& date) {
    return date.month() - 1 + (date.day() - 1) / static_cast<double>(date.daysInMonth());
}

}  // namespace

void FillMonths(QChart* chart, int year, const std::array<double, 12>& km,
                const std::array<double, 12>& kmYearBefore,
                const diary::RegionalSettings& regional) {
    Clear(chart);
    chart->setTitle(QStringLiteral("Kilometry po měsících: %1 a %2").arg(year).arg(year - 1));
    auto* series = new QBarSeries;
    double largest = 0;
    for (const auto& [which, values, colour] :
         {std::tuple{year - 1, &kmYearBefore, kYearBefore}, std::tuple{year, &km, kThisYear}}) {
        auto* set = new QBarSet(QString::number(which));
        set->setColor(colour);
        set->setBorderColor(colour);
        std::vector<QString> tips;
        for (std::size_t m = 0; m < 12; ++m) {
            *set << (*values)[m];
            largest = std::max(largest, (*values)[m]);
            tips.push_back(FromUtf8(diary::kMonthNames[m]) + QLatin1Char(' ') +
                           QString::number(which) + QStringLiteral(": ") +
                           Km((*values)[m], regional));
        }
        TipOnHover(set, std::move(tips));
        series->append(set);
    }
    chart->addSeries(series);
    auto* months = new QBarCategoryAxis;
    for (std::string_view name : diary::kMonthAbbreviations) months->append(FromUtf8(name));
    months->setTitleText(QStringLiteral("Měsíc"));
    Attach(chart, series, months, KmAxis(largest));
}

void FillCumulative(QChart* chart, const std::vector<diary::CumulativeYear>& years,
                    const QDate& today, const diary::RegionalSettings& regional,
                    const diary::Goal* goal) {
    Clear(chart);
    chart->setTitle(QStringLiteral("Kilometry od začátku roku"));
    auto* months = new QCategoryAxis;
    months->setStartValue(0);
    for (int m = 0; m < 12; ++m)
        months->append(FromUtf8(diary::kMonthAbbreviations[static_cast<std::size_t>(m)]), m + 1);
    months->setRange(0, 12);
    months->setLabelsPosition(QCategoryAxis::AxisLabelsPositionCenter);
    months->setTitleText(QStringLiteral("Měsíc"));
    double largest = 0;
    for (const diary::CumulativeYear& y : years)
        if (!y.km.empty()) largest = std::max(largest, y.km.back());
    if (goal != nullptr) largest = std::max(largest, goal->km);
    QValueAxis* km = KmAxis(largest);

    if (goal != nullptr) {
        // Straight within each month: the pace is even by days, and months differ in length.
        const std::vector<double> pace = diary::EvenPace(*goal);
        auto* line = new QLineSeries;
        line->setName(QStringLiteral("cíl %1: %2 km")
                          .arg(goal->year)
                          .arg(QString::fromStdString(diary::FormatWhole(goal->km, regional))));
        QList<QPointF> points{{0, 0}};
        const QDate newYear(goal->year, 1, 1);
        for (int m = 1; m <= 12; ++m) {
            const qint64 days = m < 12 ? newYear.daysTo(QDate(goal->year, m + 1, 1))
                                       : static_cast<qint64>(pace.size());
            points.append({static_cast<double>(m), pace[static_cast<std::size_t>(days - 1)]});
        }
        line->replace(points);
        QPen pen(kGoal);
        pen.setWidthF(1.5);
        pen.setStyle(Qt::DashLine);
        line->setPen(pen);
        chart->addSeries(line);
        Attach(chart, line, months, km);
    }

    for (const diary::CumulativeYear& y : years) {
        auto* line = new QLineSeries;
        line->setName(QString::number(y.year));
        QList<QPointF> points;
        points.reserve(static_cast<qsizetype>(y.km.size()));
        const QDate newYear(y.year, 1, 1);
        for (std::size_t d = 0; d < y.km.size(); ++d)
            points.append({MonthPosition(newYear.addDays(static_cast<qint64>(d))), y.km[d]});
        line->replace(points);
        chart->addSeries(line);
        Attach(chart, line, months, km);
        // This year bold, the years before it thinner, so that the season in progress stands out.
        QPen pen = line->pen();
        pen.setWidthF(y.year == today.year() ? 3.0 : 1.5);
        line->setPen(pen);
        if (y.year != today.year()) continue;
        const qint64 day = newYear.daysTo(today);
        if (day < 0 || day >= static_cast<qint64>(y.km.size())) continue;
        auto* mark = new QScatterSeries;
        mark->setName(
            QStringLiteral("dnes, ") +
            FromCp(diary::FormatDate(regional, {today.year(), today.month(), today.day()})));
        mark->setMarkerSize(11);
        mark->setColor(kToday);
        mark->setBorderColor(kToday);
        mark->append(MonthPosition(today), y.km[static_cast<std::size_t>(day)]);
        chart->addSeries(mark);
        Attach(chart, mark, months, km);
    }
    if (years.empty()) {
        // Axes with nothing on them still say what the chart would show.
        auto* none = new QLineSeries;
        chart->addSeries(none);
        Attach(chart, none, months, km);
    }
}

void FillWeeks(QChart* chart, const std::vector<diary::WeekKm>& weeks,
               const diary::RegionalSettings& regional) {
    Clear(chart);
    chart->setTitle(QStringLiteral("Kilometry po týdnech (posledních %1)")
                        .arg(FromUtf8(diary::CzechCount(static_cast<long long>(weeks.size()),
                                                        "týden", "týdny", "týdnů"))));
    auto* set = new QBarSet(QStringLiteral("km"));
    set->setColor(kThisYear);
    set->setBorderColor(kThisYear);
    // A label for every week does not fit: the month's name stands under its first week, and
    // the axis title says which weeks these are.
    auto* axis = new QCategoryAxis;
    axis->setStartValue(-0.5);
    axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    double largest = 0;
    std::vector<QString> tips;
    int lastMonth = 0;
    for (std::size_t i = 0; i < weeks.size(); ++i) {
        const diary::WeekKm& week = weeks[i];
        *set << week.km;
        largest = std::max(largest, week.km);
        tips.push_back(FromUtf8(diary::PeriodLabel(week.week)) + QStringLiteral(" (od ") +
                       FromCp(diary::FormatDate(regional, week.monday)) + QStringLiteral("): ") +
                       Km(week.km, regional));
        if (week.monday.month == lastMonth) continue;
        lastMonth = week.monday.month;
        axis->append(FromUtf8(diary::kMonthAbbreviations[static_cast<std::size_t>(lastMonth - 1)]),
                     static_cast<double>(i));
    }
    axis->setRange(-0.5, static_cast<double>(weeks.size()) - 0.5);
    QString title = QStringLiteral("Týden");
    if (!weeks.empty()) {
        title +=
            QStringLiteral(" (%1–%2)")
                .arg(
                    FromCp(diary::FormatDate(regional, weeks.front().monday)),
                    FromCp(diary::FormatDate(regional, diary::PeriodDays(weeks.back().week).last)));
    }
    axis->setTitleText(title);
    TipOnHover(set, std::move(tips));
    auto* series = new QBarSeries;
    series->setBarWidth(0.8);
    series->append(set);
    chart->addSeries(series);
    chart->legend()->hide();
    Attach(chart, series, axis, KmAxis(largest));
}

std::optional<ImageFormat> FormatOfFileName(QString& name) {
    const QString suffix = QFileInfo(name).suffix().toLower();
    if (suffix.isEmpty()) {
        name += QStringLiteral(".png");
        return ImageFormat::Png;
    }
    if (suffix == QLatin1String("png")) return ImageFormat::Png;
    if (suffix == QLatin1String("svg")) return ImageFormat::Svg;
    return std::nullopt;
}

bool SaveChart(QWidget* chart, const QString& path, ImageFormat format, QString* error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    if (format == ImageFormat::Png) {
        if (!chart->grab().save(&file, "PNG")) {
            *error = file.errorString();
            file.cancelWriting();
            return false;
        }
    } else {
        QSvgGenerator svg;
        svg.setOutputDevice(&file);
        svg.setSize(chart->size());
        svg.setViewBox(QRect(QPoint(), chart->size()));
        // The pixels of CSS: a browser shows the picture as big as the chart is on the screen.
        svg.setResolution(96);
        svg.setTitle(chart->accessibleName());
        QPainter painter;
        if (!painter.begin(&svg)) {
            *error = file.errorString();
            file.cancelWriting();
            return false;
        }
        // A chart view draws its scene as vectors; a plain widget paints itself.
        if (auto* view = qobject_cast<QGraphicsView*>(chart)) {
            view->render(&painter, QRectF(QPointF(), QSizeF(chart->size())),
                         view->viewport()->rect());
        } else {
            chart->render(&painter);
        }
        painter.end();
    }
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

}  // namespace overviewcharts

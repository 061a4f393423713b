#include "app/daycalendar.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>
#include <cmath>

#include "app/textcodec.h"

namespace {

QString MonthName(int month) {
    const std::string_view name = diary::kMonthNames[static_cast<std::size_t>(month - 1)];
    return FromUtf8(name);
}

// The lightest and the darkest shade of a day with rides; a ride of 0 km still shows.
const QColor kFewKm(0xc7, 0xe9, 0xc0);
const QColor kManyKm(0x1b, 0x6e, 0x2a);
const QColor kNoRide(0xee, 0xee, 0xee);
const QColor kNoRideWeekend(0xdd, 0xdd, 0xdd);
const QColor kToday(0xc0, 0x1c, 0x28);

QColor Mix(const QColor& a, const QColor& b, double t) {
    const auto channel = [t](int x, int y) {
        return static_cast<int>(std::lround(x + (y - x) * t));
    };
    return QColor(channel(a.red(), b.red()), channel(a.green(), b.green()),
                  channel(a.blue(), b.blue()));
}

constexpr int kLegendSteps = 5;

}  // namespace

DayCalendar::DayCalendar(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void DayCalendar::SetYear(int year, std::vector<diary::CalendarDay> days, const QDate& today,
                          const diary::RegionalSettings& regional) {
    year_ = year;
    days_ = std::move(days);
    today_ = today;
    regional_ = regional;
    maxKm_ = 0;
    totalKm_ = 0;
    for (const diary::CalendarDay& day : days_) {
        maxKm_ = std::max(maxKm_, day.km);
        totalKm_ += day.km;
    }
    updateGeometry();
    update();
}

DayCalendar::Layout DayCalendar::Geometry() const {
    const QFontMetrics fm = fontMetrics();
    Layout g{};
    g.cell = std::max(fm.height() + 4, fm.horizontalAdvance(QStringLiteral("31")) + 6);
    g.gap = std::max(2, g.cell / 8);
    int names = 0;
    for (int m = 1; m <= 12; ++m) names = std::max(names, fm.horizontalAdvance(MonthName(m)));
    g.left = g.cell / 2 + names + g.cell / 2;
    g.titleLine = g.cell / 2 + fm.ascent();
    g.top = g.titleLine + fm.descent() + g.cell / 2 + fm.height() + g.gap;
    g.legendTop = g.top + 12 * (g.cell + g.gap) + g.cell / 2;
    return g;
}

QSize DayCalendar::sizeHint() const {
    const Layout g = Geometry();
    const int width = g.left + 31 * (g.cell + g.gap) + g.cell / 2;
    return {width, g.legendTop + g.cell + g.cell / 2};
}

QRect DayCalendar::DayRect(const QDate& date) const {
    if (date.year() != year_ || days_.empty()) return {};
    const Layout g = Geometry();
    return {g.left + (date.day() - 1) * (g.cell + g.gap),
            g.top + (date.month() - 1) * (g.cell + g.gap), g.cell, g.cell};
}

int DayCalendar::DayAt(const QPoint& pos) const {
    const Layout g = Geometry();
    const int step = g.cell + g.gap;
    if (pos.x() < g.left || pos.y() < g.top) return -1;
    const int column = (pos.x() - g.left) / step;
    const int row = (pos.y() - g.top) / step;
    if (column >= 31 || row >= 12) return -1;
    // The gap between two squares belongs to neither.
    if ((pos.x() - g.left) % step >= g.cell || (pos.y() - g.top) % step >= g.cell) return -1;
    const QDate date(year_, row + 1, 1);
    if (!date.isValid() || column >= date.daysInMonth()) return -1;
    const int index = date.dayOfYear() - 1 + column;
    return index < static_cast<int>(days_.size()) ? index : -1;
}

QColor DayCalendar::Shade(double km) const {
    const double t = maxKm_ > 0 ? std::clamp(km / maxKm_, 0.0, 1.0) : 0.0;
    return Mix(kFewKm, kManyKm, t);
}

void DayCalendar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    // A plain white sheet, so that a saved picture looks the same whatever the desktop's colours.
    p.fillRect(rect(), Qt::white);
    p.setPen(Qt::black);
    const QFontMetrics fm = fontMetrics();
    const Layout g = Geometry();
    const int step = g.cell + g.gap;

    QFont bold = font();
    bold.setBold(true);
    p.setFont(bold);
    p.drawText(QPoint(g.cell / 2, g.titleLine),
               QStringLiteral("Kalendář jízd %1: celkem %2 km")
                   .arg(year_)
                   .arg(FromCp(diary::FormatTenths(totalKm_, regional_))));
    p.setFont(font());

    const int numbersTop = g.top - g.gap - fm.height();
    for (int d = 1; d <= 31; ++d) {
        p.drawText(QRect(g.left + (d - 1) * step, numbersTop, g.cell, fm.height()), Qt::AlignCenter,
                   QString::number(d));
    }
    for (int m = 1; m <= 12; ++m) {
        p.drawText(QRect(g.cell / 2, g.top + (m - 1) * step, g.left - g.cell / 2, g.cell),
                   Qt::AlignLeft | Qt::AlignVCenter, MonthName(m));
    }

    p.setPen(Qt::NoPen);
    for (const diary::CalendarDay& day : days_) {
        const QDate date(day.date.year, day.date.month, day.date.day);
        const QRect square = DayRect(date);
        QColor colour = date.dayOfWeek() >= 6 ? kNoRideWeekend : kNoRide;
        if (!day.numbers.empty()) colour = Shade(day.km);
        p.fillRect(square, colour);
        if (date == today_) {
            p.setPen(QPen(kToday, std::max(2, g.cell / 8)));
            p.drawRect(square.adjusted(1, 1, -1, -1));
            p.setPen(Qt::NoPen);
        }
    }

    // The scale: no ride, then the shades from the least to the most kilometres of a day.
    int x = g.left;
    const int y = g.legendTop;
    const auto label = [&](const QString& text) {
        p.setPen(Qt::black);
        const int width = fm.horizontalAdvance(text);
        p.drawText(QRect(x, y, width, g.cell), Qt::AlignVCenter, text);
        x += width + g.cell / 2;
        p.setPen(Qt::NoPen);
    };
    p.fillRect(QRect(x, y, g.cell, g.cell), kNoRide);
    x += g.cell + g.gap * 2;
    label(QStringLiteral("bez jízdy"));
    label(QStringLiteral("0 km"));
    for (int s = 0; s < kLegendSteps; ++s) {
        p.fillRect(QRect(x, y, g.cell, g.cell), Mix(kFewKm, kManyKm, s / (kLegendSteps - 1.0)));
        x += g.cell + g.gap;
    }
    x += g.gap;
    label(FromCp(diary::FormatTenths(maxKm_, regional_)) + QStringLiteral(" km"));
    p.setPen(QPen(kToday, std::max(2, g.cell / 8)));
    p.drawRect(QRect(x, y, g.cell, g.cell).adjusted(1, 1, -1, -1));
    x += g.cell + g.gap * 2;
    label(QStringLiteral("dnes"));
}

const std::vector<std::string>* DayCalendar::RidesAt(const QMouseEvent* event) const {
    if (event->button() != Qt::LeftButton) return nullptr;
    const int index = DayAt(event->position().toPoint());
    if (index < 0) return nullptr;
    const auto& numbers = days_[static_cast<std::size_t>(index)].numbers;
    return numbers.empty() ? nullptr : &numbers;
}

void DayCalendar::mouseReleaseEvent(QMouseEvent* event) {
    if (const auto* numbers = RidesAt(event)) emit DayClicked(*numbers);
}

void DayCalendar::mouseDoubleClickEvent(QMouseEvent* event) {
    if (const auto* numbers = RidesAt(event)) emit DayDoubleClicked(*numbers);
}

bool DayCalendar::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip) return QWidget::event(event);
    auto* help = static_cast<QHelpEvent*>(event);
    const int index = DayAt(help->pos());
    if (index < 0) {
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    const diary::CalendarDay& day = days_[static_cast<std::size_t>(index)];
    QString text = FromCp(diary::FormatDate(regional_, day.date)) + QStringLiteral(": ");
    if (day.numbers.empty()) {
        text += QStringLiteral("bez jízdy");
    } else {
        text += FromCp(diary::FormatTenths(day.km, regional_)) + QStringLiteral(" km, ") +
                FromUtf8(diary::CzechCount(static_cast<long long>(day.numbers.size()), "jízda",
                                           "jízdy", "jízd"));
    }
    QToolTip::showText(help->globalPos(), text, this);
    return true;
}

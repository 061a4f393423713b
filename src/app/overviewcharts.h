#pragma once
// The overview's charts drawn from the core's series, and how a chart is saved as a picture.
// Axes carry Czech titles; a chart is emptied and filled again whenever its figures change.

#include <QDate>
#include <QString>
#include <array>
#include <optional>
#include <vector>

#include "diary/goals.h"
#include "diary/overview.h"
#include "diary/regional.h"

class QChart;
class QWidget;

namespace overviewcharts {

// Kilometres per month of `year` as bars, beside those of the year before.
void FillMonths(QChart* chart, int year, const std::array<double, 12>& km,
                const std::array<double, 12>& kmYearBefore,
                const diary::RegionalSettings& regional);

// One line per year of kilometres since 1 January; today is marked on this year's line. With
// `goal` (this year's), its even pace through the year beside them.
void FillCumulative(QChart* chart, const std::vector<diary::CumulativeYear>& years,
                    const QDate& today, const diary::RegionalSettings& regional,
                    const diary::Goal* goal = nullptr);

// Kilometres per ISO week as bars, the oldest week first.
void FillWeeks(QChart* chart, const std::vector<diary::WeekKm>& weeks,
               const diary::RegionalSettings& regional);

enum class ImageFormat { Png, Svg };

// The format a file name asks for by its extension (".png", ".svg", any case). A name without
// an extension gets ".png"; nullopt for any other extension.
std::optional<ImageFormat> FormatOfFileName(QString& name);

// `chart` (a chart view or any widget) as it is drawn now, written to `path` at once and
// whole (a failed save leaves any earlier file as it was). A PNG has the widget's size in
// device pixels; an SVG is drawn as vectors. On failure, false and `error` says why.
bool SaveChart(QWidget* chart, const QString& path, ImageFormat format, QString* error);

}  // namespace overviewcharts

#include "diary/statistics.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

#include "diary/field_text.h"
#include "diary/record_table.h"
#include "diary/regional.h"

namespace diary {

namespace {

constexpr double kMinimumStart = 2147483647.0;
constexpr double kMaximumStart = 0.0;
constexpr double kNoValue = -1.0;

struct Extremes {
    double minimum = kMinimumStart;
    double maximum = kMaximumStart;

    // An unreadable text leaves the minimum alone and counts as 0 for the maximum, which is
    // what reading it once with each start value as the fallback would give.
    void Add(std::optional<double> value) {
        const double a = value.value_or(kMinimumStart);
        if (a < minimum) minimum = a;
        const double b = value.value_or(kMaximumStart);
        if (b > maximum) maximum = b;
    }
};

std::optional<double> RideTimeValue(std::string_view text) {
    // No ride time reads as NaN with either fallback, so NaN marks the unreadable one.
    const double hours = ParseRideTime(text, std::numeric_limits<double>::quiet_NaN());
    if (std::isnan(hours)) return std::nullopt;
    return hours;
}

}  // namespace

double StrToIntS(std::string_view text, double fallback) {
    return ParseNumber(text).value_or(fallback);
}

std::string getCas(const RecordTable& table) {
    double sum = 0;
    for (const RecordRow& row : table.rows()) sum += ParseRideTime(row.Get(Field::RideTime), 0);
    return FormatRideTime(sum);
}

std::array<std::string, 12> ComputeStatistics(const RecordTable& table,
                                              const RegionalSettings& regional) {
    // One pass, each field read once: a big diary's figures cost about as much as reading it.
    Extremes times, distance, average, maximum;
    double timeSum = 0;
    double speedSum = 0;
    long long speeds = 0;
    for (const RecordRow& row : table.rows()) {
        const auto time = RideTimeValue(row.Get(Field::RideTime));
        times.Add(time);
        timeSum += time.value_or(0);
        distance.Add(ParseCommaNumber(row.Get(Field::DistanceKm)));
        const auto speed = ParseCommaNumber(row.Get(Field::AvgSpeed));
        average.Add(speed);
        // A text that reads as exactly -1 is left out of the mean like an unreadable one.
        const double v = speed.value_or(kNoValue);
        if (v != kNoValue) {
            speedSum += v;
            ++speeds;
        }
        maximum.Add(ParseCommaNumber(row.Get(Field::MaxSpeed)));
    }

    const std::string_view sep = regional.decimalSeparator;
    auto real = [sep](double v) { return FormatGeneralReal(v, sep); };
    std::array<std::string, 12> cells;
    std::array<char, 24> buf{};
    auto r = std::to_chars(buf.data(), buf.data() + buf.size(), table.size());
    cells[0].assign(buf.data(), r.ptr);
    cells[1] = FormatRideTime(times.minimum);
    cells[2] = FormatRideTime(times.maximum);
    cells[3] = real(distance.minimum);
    cells[4] = real(distance.maximum);
    cells[5] =
        table.empty() ? std::string("0") : std::string(table.rows().back().Get(Field::ArrivalKm));
    cells[6] = real(average.minimum);
    cells[7] = real(average.maximum);
    cells[8] = speeds == 0 ? std::string() : real(speedSum / static_cast<double>(speeds));
    cells[9] = real(maximum.minimum);
    cells[10] = real(maximum.maximum);
    cells[11] = FormatRideTime(timeSum);
    return cells;
}

}  // namespace diary

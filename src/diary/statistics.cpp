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

std::array<std::string, 12> Statistics::Rows() const {
    return {rides,         shortestTime, longestTime,  leastKm,       mostKm,       lastArrivalKm,
            leastAvgSpeed, mostAvgSpeed, meanAvgSpeed, leastMaxSpeed, mostMaxSpeed, totalTime};
}

Statistics ComputeStatistics(const RecordTable& table, const RegionalSettings& regional) {
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
    Statistics s;
    std::array<char, 24> buf{};
    auto r = std::to_chars(buf.data(), buf.data() + buf.size(), table.size());
    s.rides.assign(buf.data(), r.ptr);
    s.shortestTime = FormatRideTime(times.minimum);
    s.longestTime = FormatRideTime(times.maximum);
    s.leastKm = real(distance.minimum);
    s.mostKm = real(distance.maximum);
    s.lastArrivalKm =
        table.empty() ? std::string("0") : std::string(table.rows().back().Get(Field::ArrivalKm));
    s.leastAvgSpeed = real(average.minimum);
    s.mostAvgSpeed = real(average.maximum);
    s.meanAvgSpeed = speeds == 0 ? std::string() : real(speedSum / static_cast<double>(speeds));
    s.leastMaxSpeed = real(maximum.minimum);
    s.mostMaxSpeed = real(maximum.maximum);
    s.totalTime = FormatRideTime(timeSum);
    return s;
}

}  // namespace diary

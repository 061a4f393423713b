#include "diary/statistics.h"

#include <charconv>
#include <cmath>
#include <vector>

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

    // An unreadable text (NaN) leaves the minimum alone and counts as 0 for the maximum, which
    // is what reading it once with each start value as the fallback would give.
    void Add(double value) {
        const bool read = !std::isnan(value);
        const double a = read ? value : kMinimumStart;
        if (a < minimum) minimum = a;
        const double b = read ? value : kMaximumStart;
        if (b > maximum) maximum = b;
    }
};

}  // namespace

double StrToIntS(std::string_view text, double fallback) {
    return ParseNumber(text).value_or(fallback);
}

std::array<std::string, 12> Statistics::Rows() const {
    return {rides,         shortestTime, longestTime,  leastKm,       mostKm,       lastArrivalKm,
            leastAvgSpeed, mostAvgSpeed, meanAvgSpeed, leastMaxSpeed, mostMaxSpeed, totalTime};
}

Statistics ComputeStatistics(const RecordTable& table, const RegionalSettings& regional) {
    // The table's values, read once; one pass over them.
    const auto rideTimes = table.RideTimes(Field::RideTime);
    const auto distances = table.Decimals(Field::DistanceKm);
    const auto averages = table.Decimals(Field::AvgSpeed);
    const auto maxima = table.Decimals(Field::MaxSpeed);
    Extremes times, distance, average, maximum;
    double timeSum = 0;
    double speedSum = 0;
    long long speeds = 0;
    for (std::size_t i = 0; i < table.size(); ++i) {
        // No ride time reads as NaN in both parts, and so as NaN hours.
        const double time = rideTimes[i].Hours();
        times.Add(time);
        if (!std::isnan(time)) timeSum += time;
        distance.Add(distances[i]);
        const double speed = averages[i];
        average.Add(speed);
        // A text that reads as exactly -1 is left out of the mean like an unreadable one.
        if (!std::isnan(speed) && speed != kNoValue) {
            speedSum += speed;
            ++speeds;
        }
        maximum.Add(maxima[i]);
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
    s.lastArrivalKm = table.empty() ? std::string("0")
                                    : std::string(table[table.size() - 1].Get(Field::ArrivalKm));
    s.leastAvgSpeed = real(average.minimum);
    s.mostAvgSpeed = real(average.maximum);
    s.meanAvgSpeed = speeds == 0 ? std::string() : real(speedSum / static_cast<double>(speeds));
    s.leastMaxSpeed = real(maximum.minimum);
    s.mostMaxSpeed = real(maximum.maximum);
    s.totalTime = FormatRideTime(timeSum);
    return s;
}

}  // namespace diary

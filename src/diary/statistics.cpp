#include "diary/statistics.h"

#include <charconv>

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
};

// An unreadable text leaves the minimum alone and counts as 0 for the maximum.
template <typename Value>
Extremes ExtremesOf(const RecordTable& table, Field field, Value&& value) {
    Extremes e;
    for (const RecordRow& row : table.rows()) {
        const std::string_view text = row.Get(field);
        const double a = value(text, kMinimumStart);
        if (a < e.minimum) e.minimum = a;
        const double b = value(text, kMaximumStart);
        if (b > e.maximum) e.maximum = b;
    }
    return e;
}

Extremes NumberExtremes(const RecordTable& table, Field field) {
    return ExtremesOf(table, field, [](std::string_view text, double fallback) {
        return ParseCommaNumber(text).value_or(fallback);
    });
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
    const std::string_view sep = regional.decimalSeparator;
    auto real = [sep](double v) { return FormatGeneralReal(v, sep); };
    std::array<std::string, 12> cells;

    std::array<char, 24> buf{};
    auto r = std::to_chars(buf.data(), buf.data() + buf.size(), table.size());
    cells[0].assign(buf.data(), r.ptr);

    const Extremes times = ExtremesOf(table, Field::RideTime, ParseRideTime);
    cells[1] = FormatRideTime(times.minimum);
    cells[2] = FormatRideTime(times.maximum);

    const Extremes distance = NumberExtremes(table, Field::DistanceKm);
    cells[3] = real(distance.minimum);
    cells[4] = real(distance.maximum);

    cells[5] = table.empty() ? std::string("0") : std::string(table.rows().back().Get(Field::ArrivalKm));

    const Extremes average = NumberExtremes(table, Field::AvgSpeed);
    cells[6] = real(average.minimum);
    cells[7] = real(average.maximum);

    // A text that reads as exactly -1 is left out of the mean like an unreadable one.
    double sum = 0;
    long long n = 0;
    for (const RecordRow& row : table.rows()) {
        const double v = ParseCommaNumber(row.Get(Field::AvgSpeed)).value_or(kNoValue);
        if (v != kNoValue) {
            sum += v;
            ++n;
        }
    }
    cells[8] = n == 0 ? std::string() : real(sum / static_cast<double>(n));

    const Extremes maximum = NumberExtremes(table, Field::MaxSpeed);
    cells[9] = real(maximum.minimum);
    cells[10] = real(maximum.maximum);

    cells[11] = getCas(table);
    return cells;
}

}  // namespace diary

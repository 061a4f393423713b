#include "diary/calculators.h"

#include <cmath>

#include "diary/field_text.h"

namespace diary {

namespace {

constexpr std::string_view kBadValue = "Chybná hodnota !";
constexpr std::string_view kBadDistance = "Chybná hodnota v poli ujeto.";
constexpr std::string_view kBadDeparture = "Chybná hodnota v poli odjezd.";
constexpr std::string_view kBadAverage = "Chybná hodnota v poli průměrná rychlost.";
constexpr std::string_view kNoDistance =
    "V poli ujeto není žádná hodnota.\rNemůžu vypočítat čas jízdy.";
constexpr std::string_view kNoAverage =
    "V poli průměrná rychlost není žádná hodnota.\rNemůžu vypočítat čas jízdy.";
constexpr std::string_view kAverageAboveMaximum = "Průměrná rychlost je větší něž maximální!";

CalcResult Message(std::string_view text) { return {CalcResult::Kind::Message, std::string(text)}; }

// Sums of two huge readings can leave the doubles; that is the runtime's overflow error, never
// a text like "inf" in a field.
CalcResult Number(double value) {
    if (!std::isfinite(value)) return Message(kOverflow);
    return {CalcResult::Kind::Value, DotToComma(FormatOneDecimal(value))};
}

// The error the runtime reports for x / 0: "0 / 0" has no value at all.
CalcResult DivisionByZero(double dividend) {
    return Message(dividend == 0 ? kInvalidOperation : kDivisionByZero);
}

}  // namespace

CalcResult CalcDistance(std::string_view departure, std::string_view arrival) {
    const auto from = ParseCommaNumber(departure);
    if (!from) return Message(kBadValue);
    const auto to = ParseCommaNumber(arrival);
    if (!to) return Message(kBadValue);
    const double d = *to - *from;
    if (d < 0) return Message(kBadValue);
    return Number(d);
}

CalcResult CalcArrival(std::string_view distance, std::string_view departure) {
    const auto km = ParseCommaNumber(distance);
    if (!km) return Message(kBadDistance);
    if (*km < 0) return Message(kBadValue);
    const auto from = ParseCommaNumber(departure);
    if (!from) return Message(kBadDeparture);
    return Number(*km + *from);
}

CalcResult CalcRideTime(std::string_view distance, std::string_view avgSpeed,
                        std::string_view maxSpeed) {
    if (distance.empty()) return Message(kNoDistance);
    if (avgSpeed.empty()) return Message(kNoAverage);
    const auto km = ParseCommaNumber(distance);
    if (!km) return Message(kBadDistance);
    const auto average = ParseCommaNumber(avgSpeed);
    if (!average) return Message(kBadAverage);
    // A maximum that rounds (half to even) to 0 means "not measured" and skips the check.
    const auto maximum = ParseCommaNumber(maxSpeed);
    if (maximum && std::fabs(*maximum) > 0.5 && *maximum < *average)
        return Message(kAverageAboveMaximum);
    if (*average == 0) return DivisionByZero(*km);
    const double t = *km / *average;
    if (!std::isfinite(t)) return Message(kOverflow);
    if (t <= 0) return {CalcResult::Kind::Nothing, {}};
    return {CalcResult::Kind::Value, FormatRideTime(t)};
}

CalcResult CalcAvgSpeed(std::string_view distance, std::string_view rideTime) {
    const double hours = ParseRideTime(rideTime, -1);
    const auto km = ParseCommaNumber(distance);
    if (!km || hours < 0) return Message(kBadValue);
    if (hours == 0) return DivisionByZero(*km);
    return Number(*km / hours);
}

}  // namespace diary

#include "diary/calculators.h"

#include <gtest/gtest.h>

using diary::CalcArrival;
using diary::CalcAvgSpeed;
using diary::CalcDistance;
using diary::CalcResult;
using diary::CalcRideTime;

namespace {

using Kind = CalcResult::Kind;

const std::string kBad = "Chybná hodnota !";
const std::string kBadDistance = "Chybná hodnota v poli ujeto.";
const std::string kBadDeparture = "Chybná hodnota v poli odjezd.";
const std::string kBadAverage = "Chybná hodnota v poli průměrná rychlost.";
const std::string kAboveMaximum = "Průměrná rychlost je větší něž maximální!";
const std::string kDivZero(diary::kDivisionByZero);
const std::string kInvalid(diary::kInvalidOperation);
const std::string kOverflow(diary::kOverflow);

CalcResult Value(std::string text) { return {Kind::Value, std::move(text)}; }
CalcResult Message(std::string text) { return {Kind::Message, std::move(text)}; }
const CalcResult kNothing{Kind::Nothing, {}};

void ExpectResult(const CalcResult& actual, const CalcResult& expected) {
    EXPECT_EQ(actual.kind, expected.kind);
    EXPECT_EQ(actual.text, expected.text);
}

TEST(CalcDistance, ArrivalLessDeparture) {
    const struct {
        const char* departure;
        const char* arrival;
        CalcResult result;
    } cases[] = {
        {"1234,5", "1270", Value("35,5")},
        {"1200", "1200", Value("0,0")},
        {"1270", "1234,5", Message(kBad)},
        {"", "1270", Message(kBad)},
        {"1200", "x", Message(kBad)},
        {"1200.25", "1235.5", Value("35,3")},
        {"-1E308", "1.7E308", Message(kOverflow)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.departure) + " / " + c.arrival);
        ExpectResult(CalcDistance(c.departure, c.arrival), c.result);
    }
}

TEST(CalcArrival, DeparturePlusDistance) {
    const struct {
        const char* distance;
        const char* departure;
        CalcResult result;
    } cases[] = {
        {"35,25", "1200", Value("1235,3")},
        {"-1", "1200", Message(kBad)},
        {"x", "y", Message(kBadDistance)},
        {"35", "", Message(kBadDeparture)},
        {"35", "-100", Value("-65,0")},
        {"0", "0", Value("0,0")},
        {"1.7E308", "1.7E308", Message(kOverflow)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.distance) + " / " + c.departure);
        ExpectResult(CalcArrival(c.distance, c.departure), c.result);
    }
}

TEST(CalcRideTime, DistanceOverAverageSpeed) {
    const std::string noDistance = "V poli ujeto není žádná hodnota.\rNemůžu vypočítat čas jízdy.";
    const std::string noAverage =
        "V poli průměrná rychlost není žádná hodnota.\rNemůžu vypočítat čas jízdy.";
    const struct {
        const char* distance;
        const char* average;
        const char* maximum;
        CalcResult result;
    } cases[] = {
        {"35", "20", "", Value("1 h 45 min")},
        {"10", "20", "", Value("0 h 30 min")},
        {"0", "20", "", kNothing},
        {"35", "-5", "", kNothing},
        {"", "", "", Message(noDistance)},
        {" ", "", "", Message(noAverage)},
        {"35", "", "", Message(noAverage)},
        {"x", "20", "", Message(kBadDistance)},
        {"35", "x", "", Message(kBadAverage)},
        {"35", "20", "15", Message(kAboveMaximum)},
        {"35", "20", "20", Value("1 h 45 min")},
        {"35", "20", "0,4", Value("1 h 45 min")},
        {"35", "20", "0,5", Value("1 h 45 min")},
        {"35", "20", "-0,5", Value("1 h 45 min")},
        {"35", "20", "0,6", Message(kAboveMaximum)},
        {"35", "20", "19,9", Message(kAboveMaximum)},
        {"35", "20", "abc", Value("1 h 45 min")},
        {"35", "0", "", Message(kDivZero)},
        {"0", "0", "", Message(kInvalid)},
        {"35", "0", "-3", Message(kAboveMaximum)},
        {"35", "0", "3", Message(kDivZero)},
        {"1E308", "1E-10", "", Message(kOverflow)},
        {"1", "0,5333333333", "", Value("1 h 53 min")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.distance) + " / " + c.average + " / " + c.maximum);
        ExpectResult(CalcRideTime(c.distance, c.average, c.maximum), c.result);
    }
}

TEST(CalcAvgSpeed, DistanceOverRideTime) {
    const struct {
        const char* distance;
        const char* rideTime;
        CalcResult result;
    } cases[] = {
        {"35", "1 h 45 min", Value("20,0")},    {"35", "", Message(kBad)},
        {"35", "1h 45 min", Message(kBad)},     {"x", "1 h 45 min", Message(kBad)},
        {"-35", "1 h 45 min", Value("-20,0")},  {"35", "-1 h 0 min", Message(kBad)},
        {"35", "0 h 0 min", Message(kDivZero)}, {"0", "0 h 0 min", Message(kInvalid)},
        {"10", "0 h 45 min", Value("13,3")},    {"35,5", "2 h 0 min", Value("17,8")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.distance) + " / " + c.rideTime);
        ExpectResult(CalcAvgSpeed(c.distance, c.rideTime), c.result);
    }
}

}  // namespace

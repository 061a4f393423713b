// A new ride's odometer readings: the arrival the calculator would give, only where the
// departure "Posledni" gave and the distance both read as numbers.

#include "diary/new_ride.h"

#include <gtest/gtest.h>

namespace {

using diary::Field;

TEST(WithOdometer, ArrivalIsDepartureAndDistanceWhereBothRead) {
    const diary::RegionalSettings czech = diary::RegionalSettings::Czech();
    const diary::RegionalSettings us{"%m/%d/%Y", "."};
    const struct {
        const char* distance;
        const char* departure;
        diary::RegionalSettings regional;
        const char* arrival;
    } cases[] = {
        {"5,0", "190", czech, "195,0"},
        {"5.0", "1843,5", us, "1848.5"},
        {"", "190", czech, ""},  // a track without positions, a ride without a distance
        {"daleko", "190", czech, ""},
        {"5,0", "", czech, ""},  // the last row had no arrival
        {"5,0", "?", czech, ""},
        {"-3", "190", czech, ""},  // the calculator refuses a negative distance
        {"1e308", "1e308", czech, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.distance) + " + " + c.departure);
        diary::DiaryRecord fields{"7", {}};
        fields[Field::DistanceKm] = c.distance;
        fields[Field::Note] = "beze změny";
        diary::DiaryRecord expected = fields;
        expected[Field::DepartureKm] = c.departure;
        expected[Field::ArrivalKm] = c.arrival;
        EXPECT_EQ(diary::WithOdometer(fields, c.departure, c.regional), expected);
    }
}

}  // namespace

// A new ride started from an earlier one or from a track: the departure "Posledni" would give,
// the arrival the calculator would give, and what is taken from the earlier ride.

#include "diary/new_ride.h"

#include <gtest/gtest.h>

#include "diary/record_table.h"

namespace {

using diary::Field;

diary::RecordRow Ride(const char* number, const char* arrival) {
    diary::DiaryRecord r;
    r.number = number;
    r[Field::ArrivalKm] = arrival;
    return diary::RecordRow(r);
}

TEST(LastArrival, IsTheArrivalOfTheLastRowShown) {
    EXPECT_EQ(diary::LastArrival(diary::RecordTable()), "0");
    // The list's last row, not the highest number: a sorted list ends where it ends.
    EXPECT_EQ(diary::LastArrival(diary::RecordTable({Ride("2", "140,5"), Ride("1", "130")})),
              "130");
    EXPECT_EQ(diary::LastArrival(diary::RecordTable({Ride("1", "")})), "");
}

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
        {"12,3", "0", czech, "12,3"},
        {"", "190", czech, ""},  // a track without positions or a ride without a distance
        {"daleko", "190", czech, ""},
        {"5,0", "", czech, ""},  // the last row had no arrival
        {"5,0", "?", czech, ""},
        {"-3", "190", czech, ""},  // the calculator refuses a negative distance
        {"1e308", "1e308", czech, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.distance) + " + " + c.departure);
        diary::DiaryRecord fields;
        fields.number = "7";
        fields[Field::DistanceKm] = c.distance;
        fields[Field::Note] = "beze změny";
        const diary::DiaryRecord r = diary::WithOdometer(fields, c.departure, c.regional);
        EXPECT_EQ(r[Field::DepartureKm], c.departure);
        EXPECT_EQ(r[Field::ArrivalKm], c.arrival);
        EXPECT_EQ(r[Field::DistanceKm], c.distance);
        EXPECT_EQ(r.number, "7");
        EXPECT_EQ(r[Field::Note], "beze změny");
    }
}

TEST(RideLike, TakesPlacesDistanceTimeAndSpeedsDatedToday) {
    diary::DiaryRecord earlier;
    earlier.number = "3";
    const char* texts[] = {"1.5.2001", "Doma", "Ves", "Les",        "100",  "130",
                           "30",       "20",   "41",  "1 h 30 min", "první"};
    for (int i = 0; i < diary::kFieldCount; ++i) earlier.fields[i] = texts[i];

    const struct {
        diary::RegionalSettings regional;
        const char* date;
    } cases[] = {{diary::RegionalSettings::Czech(), "9.3.2026"}, {{"%m/%d/%Y", "."}, "03/09/2026"}};
    for (const auto& c : cases) {
        const diary::DiaryRecord r =
            diary::RideLike(diary::RecordRow(earlier), {2026, 3, 9}, c.regional);
        diary::DiaryRecord expected;
        for (int i = 0; i < diary::kFieldCount; ++i) expected.fields[i] = texts[i];
        expected[Field::Date] = c.date;
        expected[Field::DepartureKm] = "";
        expected[Field::ArrivalKm] = "";
        expected[Field::Note] = "";
        EXPECT_EQ(r, expected);
    }
}

}  // namespace

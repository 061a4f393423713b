// A track's figures as the texts the entry dialog gets, in the user's formats and time zone.

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "TestText.h"
#include "diary/cp1250.h"
#include "test_ride.h"
#include "tracks/track_file.h"

namespace {

using diary::Field;

// Central European time without the time zone database: +1 h, +2 h in summer.
class PragueTime : public ::testing::Test {
protected:
    void SetUp() override {
        const char* old = std::getenv("TZ");
        hadTz_ = old != nullptr;
        if (hadTz_) oldTz_ = old;
        ::setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
        ::tzset();
    }
    void TearDown() override {
        if (hadTz_) {
            ::setenv("TZ", oldTz_.c_str(), 1);
        } else {
            ::unsetenv("TZ");
        }
        ::tzset();
    }

private:
    bool hadTz_ = false;
    std::string oldTz_;
};

diary::RegionalSettings Us() { return {"%m/%d/%Y", "."}; }

TEST_F(PragueTime, FieldsOfATrackInTheUsersFormats) {
    tracks::TrackSummary full;
    full.startUtc = ridetest::kStartUtc;  // 22:30 UTC on 17 May is 00:30 on 18 May in Prague
    full.distanceMetres = 5004.96;
    full.movingSeconds = 840;
    full.averageSpeed = 5004.96 / 840;
    full.maxSpeed = 11.1249;
    full.name = "Ranní jízda";

    tracks::TrackSummary rounding = full;
    rounding.startUtc = 1704063599;  // 2023-12-31T22:59:59Z: 23:59:59 in Prague, winter time
    rounding.distanceMetres = 49;
    rounding.movingSeconds = 3599;  // 59.98 min: one hour, never "0 h 60 min"
    rounding.averageSpeed = 0.0;
    rounding.maxSpeed = 0.0138;  // 0.0497 km/h
    rounding.name.clear();

    tracks::TrackSummary untimed;
    untimed.distanceMetres = 12345;
    untimed.name = "Jen vzdálenost";

    tracks::TrackSummary odd = full;
    odd.movingSeconds = 5 * 3600 + 29;  // 29 s rounds down
    odd.name = "Výlet 🚲 s ∞ a " + std::string(300, 'x');

    const struct {
        const char* label;
        tracks::TrackSummary summary;
        diary::RegionalSettings regional;
        const char* date;
        const char* distance;
        const char* rideTime;
        const char* average;
        const char* maximum;
        std::string note;
    } cases[] = {
        {"Czech", full, diary::RegionalSettings::Czech(), "18.5.2024", "5,0", "0 h 14 min", "21,4",
         "40,0", "Ranní jízda"},
        {"US", full, Us(), "05/18/2024", "5.0", "0 h 14 min", "21.4", "40.0", "Ranní jízda"},
        {"rounded at the edges", rounding, diary::RegionalSettings::Czech(), "31.12.2023", "0,0",
         "1 h 0 min", "0,0", "0,0", ""},
        {"no time stamps", untimed, diary::RegionalSettings::Czech(), "", "12,3", "", "", "",
         "Jen vzdálenost"},
        {"a name the note cannot hold", odd, diary::RegionalSettings::Czech(), "18.5.2024", "5,0",
         "5 h 0 min", "21,4", "40,0", "Výlet ? s ? a " + std::string(241, 'x')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const diary::DiaryRecord r = tracks::RideFields(c.summary, c.regional);
        EXPECT_EQ(r[Field::Date], c.date);
        EXPECT_EQ(r[Field::DistanceKm], c.distance);
        EXPECT_EQ(r[Field::RideTime], c.rideTime);
        EXPECT_EQ(r[Field::AvgSpeed], c.average);
        EXPECT_EQ(r[Field::MaxSpeed], c.maximum);
        EXPECT_EQ(diary::Cp1250ToUtf8(r[Field::Note]), c.note);
        for (const Field f :
             {Field::From, Field::To, Field::Via, Field::DepartureKm, Field::ArrivalKm}) {
            EXPECT_EQ(r[f], "");
        }
    }
}

TEST_F(PragueTime, LocalDateFollowsTheTimeZone) {
    const struct {
        std::int64_t utc;
        diary::Date date;
    } cases[] = {
        {ridetest::kStartUtc, {2024, 5, 18}},
        {ridetest::kStartUtc - 1801, {2024, 5, 17}},  // 23:59:59 local
        {1704063600, {2024, 1, 1}},                   // midnight in winter
        {0, {1970, 1, 1}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(tracks::LocalDate(c.utc), c.date) << c.utc;
    }
    EXPECT_EQ(tracks::LocalDate(std::int64_t{1} << 62), std::nullopt);
}

}  // namespace

#include "diary/search.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <random>

#include "TempDir.h"
#include "TestText.h"
#include "diary/field_text.h"
#include "diary/record_table.h"
#include "diary/regional.h"

using diary::DiaryRecord;
using diary::Field;
using diary::ReadSearchRideTime;
using diary::RecordRow;
using diary::RegionalSettings;
using diary::SearchConditions;
using diary::SearchQuery;
using testsupport::L;

namespace {

enum Condition {
    kDate,
    kFrom,
    kTo,
    kVia,
    kDeparture,
    kArrival,
    kDistance,
    kAverage,
    kMaximum,
    kTime,
    kBike
};

constexpr std::array<Field, diary::kSearchConditionCount> kFields = {
    Field::Date,        Field::From,      Field::To,         Field::Via,
    Field::DepartureKm, Field::ArrivalKm, Field::DistanceKm, Field::AvgSpeed,
    Field::MaxSpeed,    Field::RideTime,  Field::Bike,
};

SearchConditions& Tick(SearchConditions& c, int condition, std::string lower,
                       std::string upper = {}) {
    c.enabled[condition] = true;
    c.lower[condition] = std::move(lower);
    c.upper[condition] = std::move(upper);
    return c;
}

// Whether `query` finds `row` in a list of that row alone.
bool Matches(const SearchQuery& query, RecordRow row) {
    return !query.Rides(diary::RecordTable({std::move(row)})).empty();
}

std::string Line(const DiaryRecord& r) {
    std::string line;
    for (const std::string& f : r.fields) line += f + '\xA7';
    return line;
}

// Whether a record whose field of `condition` holds `value` is found with only that condition
// ticked, between `lower` and `upper`.
bool Finds(int condition, const char* lower, const char* upper, const char* value,
           const RegionalSettings& regional = RegionalSettings::Czech()) {
    SearchConditions c;
    Tick(c, condition, lower, upper);
    DiaryRecord r;
    r.number = "1";
    r[kFields[static_cast<std::size_t>(condition)]] = value;
    return Matches(SearchQuery(c, regional), RecordRow(r));
}

TEST(SearchQuery, NumberBoundsInclusiveCommaOrPoint) {
    const struct {
        const char* lower;
        const char* upper;
        const char* value;
        bool result;
    } cases[] = {
        {"35", "35", "35", true},         {"35", "35", "35,0", true},
        {"35", "35", "35.0", true},       {"35", "", "35", false},
        {"", "35", "35", false},          {"30", "40", "", false},
        {"1000", "2000", "1 200", false}, {"1000", "2000", "1200", true},
        {"12,5", "12.5", "12,5", true},   {"30", "40", "40,01", false},
        {"40", "30", "35", false},        {"-5", "5", "-5", true},
        {" 1", "2", "1,5", true},         {"1", "2", "1,5 ", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.lower) + ".." + c.upper + " " + c.value);
        for (int condition : {kDeparture, kArrival, kDistance, kAverage, kMaximum}) {
            EXPECT_EQ(Finds(condition, c.lower, c.upper, c.value), c.result) << condition;
        }
    }
}

TEST(SearchQuery, DateBoundsReadInTheRegionalFormat) {
    const RegionalSettings cz = RegionalSettings::Czech();
    RegionalSettings us;
    us.dateFormat = "%m/%d/%Y";
    const struct {
        const RegionalSettings* regional;
        const char* value;
        const char* lower;
        const char* upper;
        bool result;
    } cases[] = {
        {&cz, "31.5.2001", "1.5.2001", "31.5.2001", true},
        {&cz, "1.5.2001", "1.5.2001", "31.5.2001", true},
        {&cz, "30.4.2001", "1.5.2001", "31.5.2001", false},
        {&cz, "1.6.2001", "1.5.2001", "31.5.2001", false},
        {&cz, "15.5.2001", "1.5.2001", "", false},
        {&cz, "", "1.5.2001", "31.5.2001", false},
        {&cz, "05/15/2001", "1.5.2001", "31.5.2001", false},
        {&us, "05/15/2001", "5/1/2001", "5/31/2001", true},
        {&us, "15.5.2001", "5/1/2001", "5/31/2001", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.value) + " in " + c.lower + ".." + c.upper);
        EXPECT_EQ(Finds(kDate, c.lower, c.upper, c.value, *c.regional), c.result);
    }
}

TEST(SearchQuery, RideTimeBoundsInTheSearchsOwnForm) {
    const struct {
        const char* lower;
        const char* upper;
        const char* value;
        bool result;
    } cases[] = {
        {"1 h 0 min", "1 h 30 min", "1 h 5 min", true},
        {"1 h 0 min", "1 h 30 min", "1 h 0 min", true},
        {"1 h 0 min", "1 h 30 min", "1 h 30 min", true},
        {"1 h 0 min", "1 h 30 min", "1 h 31 min", false},
        {"1 h 0 min", "1 h 30 min", "0 h 59 min", false},
        {"1 h 0 min", "", "1 h 5 min", false},
        {"1 h 0 min", "1 h 30 min", "", false},
        {" h  min", "9 h 0 min", "1 h 0 min", false},
        {"0 h 0 min", "9 h 0 min", "1 h 0 min", true},
        {"0 h 0 mi", "9 h 0 min", "1 h 0 min", false},
        {"0 h 0 min", "9 h 0 min", "1h 0 min", false},
        {"0 h 0 min", "9 h 0 min", "?", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.lower) + ".." + c.upper + " " + c.value);
        EXPECT_EQ(Finds(kTime, c.lower, c.upper, c.value), c.result);
    }
}

TEST(ReadSearchRideTime, RemovesUnitsThenSplitsAtTheFirstBlank) {
    EXPECT_EQ(ReadSearchRideTime("1 h 45 min"), 1.75);
    EXPECT_EQ(ReadSearchRideTime("2 h 0 min"), 2.0);
    EXPECT_EQ(ReadSearchRideTime("1 45"), 1.75);
    EXPECT_EQ(ReadSearchRideTime("1,5 h 0 min"), std::nullopt);
    EXPECT_EQ(ReadSearchRideTime("1 h 45min"), std::nullopt);
    EXPECT_EQ(ReadSearchRideTime("145"), std::nullopt);
    EXPECT_EQ(ReadSearchRideTime(""), std::nullopt);
}

RecordRow Ride(std::string number, std::string from, std::string distance) {
    DiaryRecord r;
    r.number = std::move(number);
    r[Field::From] = std::move(from);
    r[Field::DistanceKm] = std::move(distance);
    return RecordRow(r);
}

TEST(SearchQuery, AllOrAnyOfTheTickedConditions) {
    const RegionalSettings cz = RegionalSettings::Czech();
    const RecordRow home35 = Ride("1", "Doma", "35");
    const RecordRow home45 = Ride("2", "Doma", "45");
    const RecordRow away35 = Ride("3", "Lhota", "35");
    const RecordRow empty = Ride("4", "", "");

    SearchConditions none;
    EXPECT_TRUE(Matches(SearchQuery(none, cz), home35));
    none.any = true;
    EXPECT_FALSE(Matches(SearchQuery(none, cz), home35));

    SearchConditions both;
    Tick(both, kFrom, "Doma");
    Tick(both, kDistance, "30", "40");
    const SearchQuery all(both, cz);
    EXPECT_TRUE(Matches(all, home35));
    EXPECT_FALSE(Matches(all, home45));
    EXPECT_FALSE(Matches(all, away35));
    both.any = true;
    const SearchQuery any(both, cz);
    EXPECT_TRUE(Matches(any, home35));
    EXPECT_TRUE(Matches(any, home45));
    EXPECT_TRUE(Matches(any, away35));
    EXPECT_FALSE(Matches(any, empty));

    SearchConditions emptyFrom;
    Tick(emptyFrom, kFrom, "");
    EXPECT_TRUE(Matches(SearchQuery(emptyFrom, cz), empty));
    EXPECT_FALSE(Matches(SearchQuery(emptyFrom, cz), home35));

    SearchConditions praha;
    Tick(praha, kFrom, "Praha");
    EXPECT_FALSE(Matches(SearchQuery(praha, cz), Ride("1", "praha", "")));
    EXPECT_FALSE(Matches(SearchQuery(praha, cz), Ride("1", "Praha ", "")));
    EXPECT_TRUE(Matches(SearchQuery(praha, cz), Ride("1", "Praha", "")));

    SearchConditions noUpper;
    Tick(noUpper, kDistance, "30");
    EXPECT_FALSE(Matches(SearchQuery(noUpper, cz), home35));
}

// The fields are read in the format the bounds were read in, not in the Czech one.
TEST(SearchQuery, ReadsDatesInTheGivenRegionalFormat) {
    RegionalSettings us;
    us.dateFormat = "%m/%d/%Y";
    SearchConditions may;
    Tick(may, kDate, "05/01/2001", "05/31/2001");
    DiaryRecord r;
    r.number = "1";
    const struct {
        const char* date;
        bool hit;
    } cases[] = {
        {"05/15/2001", true}, {"5/31/2001", true}, {"06/01/2001", false}, {"15.5.2001", false}};
    for (const auto& c : cases) {
        r[Field::Date] = c.date;
        EXPECT_EQ(Matches(SearchQuery(may, us), RecordRow(r)), c.hit) << c.date;
    }
}

// The compiled query must answer as the record-by-record rules do, for every mix of ticked
// conditions, readable and unreadable bounds and fields.
TEST(SearchQuery, AgreesWithTheRecordByRecordRules) {
    const RegionalSettings cz = RegionalSettings::Czech();
    auto between = [](std::optional<double> lower, std::optional<double> upper,
                      std::optional<double> value) {
        return lower && upper && value && *lower <= *value && *value <= *upper;
    };
    constexpr int kConditions = static_cast<int>(diary::kSearchConditionCount);
    const std::vector<std::vector<std::string>> pools = {
        {"1.5.2001", "15.5.2001", "31.5.2001", "1.6.2001", "", "2001-05-15", "31.2.2001"},
        {"Doma", "doma", "Doma ", ""},
        {"Lhota", ""},
        {"Ves", "", "\xC8\xE1slav"},
        {"1000", "1 200", "1500", "2000", "", "1e3", "x"},
        {"35", "35,0", "35.0", "40", "", "-1"},
        {"30", "35", "40", "45", "", "12,5"},
        {"20", "21,5", "", "x"},
        {"0", "41", "", "."},
        {"1 h 0 min", "1 h 5 min", "1 h 30 min", "0 h 59 min", "", " h  min", "1h 0 min"},
        {"Favorit", "favorit", "Favorit ", "", "\x8Akoda"},
    };
    std::mt19937 rng(3);
    auto pick = [&](const std::vector<std::string>& pool) {
        return pool[std::uniform_int_distribution<std::size_t>(0, pool.size() - 1)(rng)];
    };
    for (int trial = 0; trial < 2000; ++trial) {
        SearchConditions c;
        c.any = rng() % 2 == 0;
        for (int i = 0; i < kConditions; ++i) {
            c.enabled[i] = rng() % 3 == 0;
            c.lower[i] = pick(pools[i]);
            c.upper[i] = pick(pools[i]);
        }
        DiaryRecord r;
        r.number = "1";
        for (int i = 0; i < kConditions; ++i) r[kFields[i]] = pick(pools[i]);
        const RecordRow row(r);

        int ticked = 0, hits = 0;
        for (int i = 0; i < kConditions; ++i) {
            if (!c.enabled[i]) continue;
            ++ticked;
            const std::string& v = r[kFields[i]];
            bool hit = false;
            const std::string& lower = c.lower[i];
            const std::string& upper = c.upper[i];
            if (i == kDate) {
                hit = between(diary::ReadDateDays(cz, lower), diary::ReadDateDays(cz, upper),
                              diary::ReadDateDays(cz, v));
            } else if (i == kTime) {
                hit = lower.size() > 8 && between(ReadSearchRideTime(lower),
                                                  ReadSearchRideTime(upper), ReadSearchRideTime(v));
            } else if (i >= kDeparture && i <= kMaximum) {
                hit = between(diary::ParseCommaNumber(lower), diary::ParseCommaNumber(upper),
                              diary::ParseCommaNumber(v));
            } else {
                hit = v == lower;
            }
            hits += hit;
        }
        const bool expected = c.any ? hits > 0 : hits == ticked;
        ASSERT_EQ(Matches(SearchQuery(c, cz), row), expected) << "trial " << trial;
    }
}

TEST(SearchDiary, ReadsTheFileUpToTheFirstGapInNumberOrder) {
    testsupport::TempDir dir;
    const std::string path = dir.File("jizdy.vam");
    DiaryRecord a, b, c;
    a[Field::From] = "Doma";
    a[Field::DistanceKm] = "35";
    b[Field::From] = "Lhota";
    b[Field::DistanceKm] = "35,0";
    c[Field::From] = "Doma";
    c[Field::DistanceKm] = "35";
    testsupport::WriteFileBytes(
        path, "[Data]\r\n2=" + Line(b) + "\r\n1=" + Line(a) + "\r\n4=" + Line(c) + "\r\n");
    SearchConditions cond;
    Tick(cond, kDistance, "35", "35");
    const auto found = diary::SearchDiary(path, cond, RegionalSettings::Czech());
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].Number(), "1");
    EXPECT_EQ(found[0].Get(Field::From), "Doma");
    EXPECT_EQ(found[1].Number(), "2");
    EXPECT_EQ(found[1].Get(Field::From), "Lhota");

    EXPECT_TRUE(
        diary::SearchDiary(dir.File("missing.vam"), cond, RegionalSettings::Czech()).empty());
}

TEST(SearchDiary, BikeIsAnExactTextCondition) {
    testsupport::TempDir dir;
    const std::string path = dir.File("kola.vam");
    // A ride from `from` whose line goes on with `rest` after the note's separator.
    const auto ride = [](const char* number, const std::string& from, const std::string& rest) {
        return number + ("=1.5.2001\xA7" + from) + std::string(10, '\xA7') + rest + "\r\n";
    };
    testsupport::WriteFileBytes(
        path, "[Data]\r\n" + ride("1", "Doma", "") + ride("2", "Doma", L("Favorit§")) +
                  ride("3", "Lhota", L("favorit§")) + ride("4", "Doma", L("Favorit§tail§")) +
                  ride("5", "Doma", "Favorit"));
    const struct {
        const char* bike;
        const char* from;  // nullptr: "Odkud" not ticked
        bool any;
        std::vector<std::string> found;
    } cases[] = {
        {"Favorit", nullptr, false, {"2", "4"}},
        {"", nullptr, false, {"1", "5"}},  // 5's bike has no separator: no bike
        {"favorit", nullptr, false, {"3"}},
        {"Favorit", "Doma", false, {"2", "4"}},
        {"favorit", "Doma", true, {"1", "2", "3", "4", "5"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.bike) + "/" + (c.from ? c.from : "-") +
                     (c.any ? " nebo" : " A"));
        SearchConditions cond;
        cond.any = c.any;
        Tick(cond, kBike, c.bike);
        if (c.from != nullptr) Tick(cond, kFrom, c.from);
        std::vector<std::string> numbers;
        for (const RecordRow& row : diary::SearchDiary(path, cond, RegionalSettings::Czech()))
            numbers.emplace_back(row.Number());
        EXPECT_EQ(numbers, c.found);
    }
}

TEST(SearchDiary, HundredThousandRecordsSearchQuickly) {
    testsupport::TempDir dir;
    const std::string path = dir.File("velky.vam");
    std::string file = "[Data]\r\n";
    for (int i = 1; i <= 100000; ++i) {
        DiaryRecord r;
        r[Field::Date] = std::to_string(i % 28 + 1) + ".5.2001";
        r[Field::From] = i % 2 ? "Doma" : "Lhota";
        r[Field::DistanceKm] = std::to_string(i % 60) + ",5";
        r[Field::RideTime] = std::to_string(i % 3) + " h " + std::to_string(i % 60) + " min";
        file += std::to_string(i) + "=" + Line(r) + "\r\n";
    }
    testsupport::WriteFileBytes(path, file);
    SearchConditions cond;
    Tick(cond, kDate, "1.5.2001", "10.5.2001");
    Tick(cond, kFrom, "Doma");
    Tick(cond, kDistance, "30", "40");
    Tick(cond, kTime, "0 h 30 min", "2 h 0 min");
    const auto start = std::chrono::steady_clock::now();
    const auto found = diary::SearchDiary(path, cond, RegionalSettings::Czech());
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - start)
                        .count();
    EXPECT_LT(ms, 1000);
    EXPECT_FALSE(found.empty());
    for (std::size_t i = 1; i < found.size(); ++i)
        EXPECT_LT(std::stoi(std::string(found[i - 1].Number())),
                  std::stoi(std::string(found[i].Number())));
}

}  // namespace

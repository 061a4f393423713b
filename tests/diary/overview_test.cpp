#include "diary/overview.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace diary;

namespace {

constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
const RegionalSettings kCzech = RegionalSettings::Czech();

struct R {
    const char* date;
    const char* km = "";
    const char* time = "";
    const char* avg = "";
    const char* max = "";
    const char* note = "";
};

// Rows numbered 1.. in the order given.
diary::RecordTable Rows(const std::vector<R>& rides) {
    diary::RecordTable rows;
    for (const R& r : rides) {
        DiaryRecord record;
        record.number = std::to_string(rows.size() + 1);
        record[Field::Date] = r.date;
        record[Field::DistanceKm] = r.km;
        record[Field::RideTime] = r.time;
        record[Field::AvgSpeed] = r.avg;
        record[Field::MaxSpeed] = r.max;
        record[Field::Note] = r.note;
        rows.Append(RecordRow(record));
    }
    return rows;
}

Rides Read(const std::vector<R>& rides) { return ReadRides(Rows(rides), kCzech); }
Overview Tally(const std::vector<R>& rides) { return Overview(Rows(rides), kCzech); }

// Equal, or both missing.
void ExpectValue(double actual, double expected) {
    if (std::isnan(expected)) {
        EXPECT_TRUE(std::isnan(actual)) << actual;
    } else {
        EXPECT_DOUBLE_EQ(actual, expected);
    }
}

TEST(ReadRides, ReadsValuesAsTheStatisticsDoAndCountsTheRest) {
    const struct {
        R text;
        bool dated;
        double km, minutes, avg, max;
    } cases[] = {
        {{"18.5.2024", "12,5", "1 h 45 min", "20", "41,5"}, true, 12.5, 105, 20, 41.5},
        {{"29.2.2024", "12.5", "0 h 10 min", "-1", ""}, true, 12.5, 10, kNone, kNone},
        {{"29.2.2023", "", "1,5 h 0 min", "x", "1E400"}, false, kNone, kNone, kNone, kNone},
        {{"včera", "-3", "1h 45 min", " 7", "0"}, false, kNone, kNone, 7, 0},
        {{" 1.1.2026 ", "0", "2 h 0 min"}, true, 0, 120, kNone, kNone},
    };
    std::vector<R> texts;
    for (const auto& c : cases) texts.push_back(c.text);
    const Rides rides = Read(texts);
    ASSERT_EQ(rides.all().size(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        const Ride& ride = rides.all()[i];
        EXPECT_EQ(ride.dated(), cases[i].dated);
        ExpectValue(ride.km, cases[i].km);
        ExpectValue(ride.minutes, cases[i].minutes);
        ExpectValue(ride.avgSpeed, cases[i].avg);
        ExpectValue(ride.maxSpeed, cases[i].max);
    }
    EXPECT_EQ(rides.leftOut(), (LeftOut{2, 2, 2, 3, 3}));
    EXPECT_EQ(rides.FirstDate(), (Date{2024, 2, 29}));
    EXPECT_EQ(rides.LastDate(), (Date{2026, 1, 1}));
}

TEST(ReadRides, ReadsDatesInTheUsersFormat) {
    RegionalSettings us = kCzech;
    us.dateFormat = "%m/%d/%Y";
    us.decimalSeparator = ".";
    const Rides rides = ReadRides(Rows({{"05/18/2024", "12,5"}, {"18.5.2024", "3"}}), us);
    EXPECT_EQ(rides.FirstDate(), (Date{2024, 5, 18}));
    EXPECT_EQ(rides.leftOut().dates, 1u);
    const auto months = Overview(rides).TotalsBy(PeriodKind::Month);
    ASSERT_EQ(months.size(), 2u);
    EXPECT_EQ(months[0].label, "květen 2024");
    EXPECT_EQ(months[1].label, "bez data");
    EXPECT_EQ(FormatTenths(months[0].km, us), "12.5");
}

TEST(ReadRides, FilterReachesEveryFigure) {
    std::vector<RecordRow> rows = Rows({{"1.5.2024", "10", "", "", "", "A"},
                                        {"2.5.2024", "99", "", "", "", "B"},
                                        {"x", "", "", "", "", "A"},
                                        {"3.5.2024", "", "", "", "", "A"}})
                                      .Rows();
    rows[2] = rows[2].WithNumber("03");  // record numbers of any text come back as they were
    const Overview overview(diary::RecordTable(rows), kCzech,
                            [](const RecordRow& row) { return row.Get(Field::Note) == "A"; });
    const Rides& rides = overview.rides();
    ASSERT_EQ(rides.all().size(), 3u);
    EXPECT_EQ(rides.Number(0), "1");
    EXPECT_EQ(rides.Number(1), "03");
    EXPECT_EQ(rides.Number(2), "4");
    EXPECT_EQ(rides.leftOut(), (LeftOut{1, 2, 3, 3, 3}));
    EXPECT_EQ(overview.Records().longestKm->value, 10);
    EXPECT_EQ(overview.TotalsBy(PeriodKind::Year)[0].km, 10);
}

TEST(ReadRides, FollowTheListsOrder) {
    diary::RecordTable table = Rows({{"1.5.2024", "30"}, {"2.5.2024", "10"}, {"x", "20"}});
    table.SortByColumn(6, kCzech);  // "Ujeto"
    const Rides rides = ReadRides(table, kCzech);
    ASSERT_EQ(rides.all().size(), 3u);
    const std::string numbers[] = {"2", "3", "1"};
    const double km[] = {10, 20, 30};
    const bool dated[] = {true, false, true};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(rides.Number(i), numbers[i]);
        EXPECT_EQ(rides.all()[i].km, km[i]);
        EXPECT_EQ(rides.all()[i].dated(), dated[i]);
    }
}

TEST(IsoWeekOf, WeeksBelongToTheYearOfTheirThursday) {
    const struct {
        Date date;
        Period week;
        Date monday;
    } cases[] = {
        {{2025, 12, 28}, {PeriodKind::Week, 2025, 52}, {2025, 12, 22}},
        {{2025, 12, 29}, {PeriodKind::Week, 2026, 1}, {2025, 12, 29}},
        {{2026, 1, 4}, {PeriodKind::Week, 2026, 1}, {2025, 12, 29}},
        {{2026, 1, 5}, {PeriodKind::Week, 2026, 2}, {2026, 1, 5}},
        {{2021, 1, 1}, {PeriodKind::Week, 2020, 53}, {2020, 12, 28}},
        {{2024, 12, 31}, {PeriodKind::Week, 2025, 1}, {2024, 12, 30}},
        {{2024, 2, 29}, {PeriodKind::Week, 2024, 9}, {2024, 2, 26}},
        {{2024, 1, 1}, {PeriodKind::Week, 2024, 1}, {2024, 1, 1}},
        {{1899, 12, 31}, {PeriodKind::Week, 1899, 52}, {1899, 12, 25}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(FormatDate(kCzech, c.date));
        EXPECT_EQ(IsoWeekOf(c.date), c.week);
        EXPECT_EQ(MondayOf(c.week.year, c.week.number), c.monday);
    }
    std::vector<std::string> labels;
    for (const auto& t : Tally({{"21.12.2020"}, {"11.1.2021"}}).TotalsBy(PeriodKind::Week))
        labels.push_back(t.label);
    EXPECT_EQ(labels, (std::vector<std::string>{"2020, týden 52", "2020, týden 53", "2021, týden 1",
                                                "2021, týden 2"}));
}

TEST(TotalsBy, EveryPeriodFromFirstToLastThenTheUndated) {
    // In no particular order, across the week that starts 29.12.2025 and ends 4.1.2026.
    const Overview overview = Tally({{"4.1.2026", "15,5", "0 h 45 min"},
                                     {"28.12.2025", "10", "0 h 30 min"},
                                     {"1.3.2026", "5", "0 h 15 min"},
                                     {"29.12.2025", "20", "1 h 0 min"},
                                     {"včera", "7", "0 h 20 min"},
                                     {"20.1.2026", "", "?"}});
    const struct {
        PeriodKind kind;
        std::size_t rows;
        std::size_t index;
        const char* label;
        std::size_t rides;
        double km, minutes, longest, mean;
    } cases[] = {
        {PeriodKind::Week, 11, 0, "2025, týden 52", 1, 10, 30, 10, 20},
        {PeriodKind::Week, 11, 1, "2026, týden 1", 2, 35.5, 105, 20, 35.5 / 1.75},
        {PeriodKind::Week, 11, 2, "2026, týden 2", 0, 0, 0, 0, kNone},
        {PeriodKind::Week, 11, 4, "2026, týden 4", 1, 0, 0, 0, kNone},
        {PeriodKind::Week, 11, 9, "2026, týden 9", 1, 5, 15, 5, 20},
        {PeriodKind::Week, 11, 10, "bez data", 1, 7, 20, 7, 21},
        {PeriodKind::Month, 5, 0, "prosinec 2025", 2, 30, 90, 20, 20},
        {PeriodKind::Month, 5, 1, "leden 2026", 2, 15.5, 45, 15.5, 15.5 / 0.75},
        {PeriodKind::Month, 5, 2, "únor 2026", 0, 0, 0, 0, kNone},
        {PeriodKind::Month, 5, 4, "bez data", 1, 7, 20, 7, 21},
        {PeriodKind::Year, 3, 0, "2025", 2, 30, 90, 20, 20},
        {PeriodKind::Year, 3, 1, "2026", 3, 20.5, 60, 15.5, 20.5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const auto totals = overview.TotalsBy(c.kind);
        ASSERT_EQ(totals.size(), c.rows);
        const PeriodTotal& t = totals[c.index];
        EXPECT_EQ(t.label, c.label);
        EXPECT_EQ(t.rides, c.rides);
        EXPECT_DOUBLE_EQ(t.km, c.km);
        EXPECT_DOUBLE_EQ(t.minutes, c.minutes);
        EXPECT_DOUBLE_EQ(t.longestKm, c.longest);
        ExpectValue(t.meanSpeed.value_or(kNone), c.mean);
    }
    const PeriodTotal week4 = overview.TotalsBy(PeriodKind::Week)[4];
    EXPECT_EQ(week4.unreadableKm, 1u);
    EXPECT_EQ(week4.unreadableTimes, 1u);
}

TEST(Overview, EmptyDiary) {
    for (const Overview& overview : {Tally({}), Tally({{"", "5"}})}) {
        const bool undated = !overview.rides().all().empty();
        EXPECT_EQ(overview.TotalsBy(PeriodKind::Week).size(), undated ? 1u : 0u);
        EXPECT_EQ(overview.KmByMonth(2026), (std::array<double, 12>{}));
        EXPECT_TRUE(overview.CumulativeKmByYear({2026, 5, 18}).empty());
        const auto weeks = overview.KmByWeek({2026, 5, 18});
        ASSERT_EQ(weeks.size(), 52u);
        EXPECT_EQ(weeks.back().week, (Period{PeriodKind::Week, 2026, 21}));
        EXPECT_EQ(weeks.front().monday, (Date{2025, 5, 26}));
        EXPECT_EQ(overview.YearCalendar(2026).size(), 365u);
        const PersonalRecords r = overview.Records();
        EXPECT_EQ(r.longestKm.has_value(), undated);
        EXPECT_FALSE(r.bestDay || r.bestWeek || r.bestYear || r.longestStreak || r.longestMinutes);
    }
}

TEST(Charts, MonthsCumulativeYearsWeeksAndCalendar) {
    const Overview overview = Tally({{"28.2.2024", "10"},
                                     {"29.2.2024", "5"},
                                     {"1.3.2024", "2"},
                                     {"5.1.2025", "3"},
                                     {"20.3.2025", "4"},
                                     {"10.3.2023", "8"},
                                     {"29.2.2024", "?"}});
    EXPECT_EQ(overview.KmByMonth(2024), (std::array<double, 12>{0, 15, 2}));
    EXPECT_EQ(overview.KmByMonth(2025), (std::array<double, 12>{3, 0, 4}));

    // Today 10.3.2025: this year runs on to its last ride, 20.3 (day 79).
    const auto years = overview.CumulativeKmByYear({2025, 3, 10}, 2);
    ASSERT_EQ(years.size(), 2u);
    EXPECT_EQ(years[0].year, 2024);
    ASSERT_EQ(years[0].km.size(), 366u);
    const std::vector<double> leapDays(years[0].km.begin() + 57, years[0].km.begin() + 61);
    EXPECT_EQ(leapDays, (std::vector<double>{0, 10, 15, 17}));
    EXPECT_EQ(years[0].km.back(), 17);
    ASSERT_EQ(years[1].km.size(), 79u);
    EXPECT_EQ(years[1].km[3], 0);
    EXPECT_EQ(years[1].km[4], 3);
    EXPECT_EQ(years[1].km.back(), 7);
    EXPECT_EQ(overview.CumulativeKmByYear({2025, 3, 10}).front().year, 2023);
    EXPECT_EQ(overview.CumulativeKmByYear({2025, 12, 31})[2].km.size(), 365u);

    const auto weeks = overview.KmByWeek({2024, 3, 2}, 2);
    ASSERT_EQ(weeks.size(), 2u);
    EXPECT_EQ(weeks[0].week, (Period{PeriodKind::Week, 2024, 8}));
    EXPECT_EQ(weeks[0].km, 0);
    EXPECT_EQ(weeks[1].monday, (Date{2024, 2, 26}));
    EXPECT_EQ(weeks[1].km, 17);

    const auto days = overview.YearCalendar(2024);
    ASSERT_EQ(days.size(), 366u);
    EXPECT_EQ(days[59].date, (Date{2024, 2, 29}));
    EXPECT_EQ(days[59].km, 5);
    EXPECT_EQ(days[59].numbers, (std::vector<std::string>{"2", "7"}));
    EXPECT_EQ(days[365].date, (Date{2024, 12, 31}));
    EXPECT_TRUE(days[0].numbers.empty());
}

TEST(PersonalRecords, RideRecords) {
    using Best = std::optional<RideBest> PersonalRecords::*;
    const Best km = &PersonalRecords::longestKm, time = &PersonalRecords::longestMinutes,
               avg = &PersonalRecords::fastestAverage, max = &PersonalRecords::highestMaximum;
    const struct {
        const char* name;
        std::vector<R> rides;
        Best which;
        const char* number;  // nullptr: no record
        double value;
        std::optional<Date> date;
    } cases[] = {
        {"tie to the earlier date",
         {{"5.5.2024", "42"}, {"3.5.2024", "42"}, {"1.5.2024", "9"}},
         km,
         "2",
         42,
         Date{2024, 5, 3}},
        {"undated lose ties", {{"včera", "42"}, {"1.1.2030", "42"}}, km, "2", 42, Date{2030, 1, 1}},
        {"undated may hold one", {{"včera", "50"}, {"1.1.2024", "42"}}, km, "1", 50, std::nullopt},
        {"longest time",
         {{"1.5.2024", "", "1 h 41 min"}, {"2.5.2024", "", "2 h 0 min"}, {"", "", "3,5 h 0 min"}},
         time,
         "2",
         120,
         Date{2024, 5, 2}},
        {"exactly 10 km counts",
         {{"1.5.2024", "10", "", "30"}, {"2.5.2024", "9,99", "", "35"}},
         avg,
         "1",
         30,
         Date{2024, 5, 1}},
        {"average needs a distance",
         {{"1.5.2024", "", "", "40"}, {"2.5.2024", "12", "", "20"}},
         avg,
         "2",
         20,
         Date{2024, 5, 2}},
        {"highest maximum",
         {{"1.5.2024", "", "", "", "50,5"},
          {"2.5.2024", "", "", "", "48"},
          {"3.5.2024", "", "", "", "-60"}},
         max,
         "1",
         50.5,
         Date{2024, 5, 1}},
        {"no readable maximum", {{"1.5.2024", "", "", "", "x"}}, max, nullptr, 0, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const PersonalRecords records = Tally(c.rides).Records();
        const auto& best = records.*c.which;
        ASSERT_EQ(best.has_value(), c.number != nullptr);
        if (!best) continue;
        EXPECT_EQ(best->number, c.number);
        EXPECT_EQ(best->value, c.value);
        EXPECT_EQ(best->date, c.date);
    }
}

TEST(PersonalRecords, DayWeekMonthAndYear) {
    const PersonalRecords r = Tally({{"3.5.2024", "20"},
                                     {"3.5.2024", "25"},
                                     {"5.5.2024", "42"},
                                     {"31.5.2024", "10"},
                                     {"29.12.2025", "60"},
                                     {"4.1.2026", "60"},
                                     {"1.6.2027", "x"}})
                                  .Records();
    ASSERT_TRUE(r.bestDay && r.bestWeek && r.bestMonth && r.bestYear);
    EXPECT_EQ(r.bestDay->km, 60);
    EXPECT_EQ(r.bestDay->date, (Date{2025, 12, 29}));
    EXPECT_EQ(r.bestWeek->km, 120);
    EXPECT_EQ(r.bestWeek->label, "2026, týden 1");
    EXPECT_EQ(r.bestMonth->km, 97);
    EXPECT_EQ(r.bestMonth->label, "květen 2024");
    EXPECT_EQ(r.bestYear->period, (Period{PeriodKind::Year, 2024, 0}));
    EXPECT_EQ(r.leftOut.km, 1u);
}

TEST(PersonalRecords, LongestRunOfDaysWithARide) {
    const struct {
        std::vector<R> rides;
        int days;
        Date first, last;
    } cases[] = {
        {{{"28.2.2024"}, {"29.2.2024"}, {"1.3.2024"}}, 3, {2024, 2, 28}, {2024, 3, 1}},
        {{{"28.2.2023"}, {"1.3.2023"}}, 2, {2023, 2, 28}, {2023, 3, 1}},
        {{{"1.1.2024"}, {"1.1.2024"}, {"3.1.2024"}, {"4.1.2024"}}, 2, {2024, 1, 3}, {2024, 1, 4}},
        {{{"5.1.2024"}, {"3.1.2024"}, {"4.1.2024"}, {"1.1.2024"}, {"2.1.2024"}},
         5,
         {2024, 1, 1},
         {2024, 1, 5}},
        {{{"6.1.2024"}, {"5.1.2024"}, {"2.1.2024"}, {"1.1.2024"}}, 2, {2024, 1, 1}, {2024, 1, 2}},
    };
    for (const auto& c : cases) {
        const auto streak = Tally(c.rides).Records().longestStreak;
        ASSERT_TRUE(streak);
        EXPECT_EQ(streak->days, c.days);
        EXPECT_EQ(streak->first, c.first);
        EXPECT_EQ(streak->last, c.last);
    }
}

TEST(PeriodDays, FirstAndLastDayOfEachKindOfPeriod) {
    const struct {
        Period period;
        DateSpan days;
    } cases[] = {
        {{PeriodKind::Year, 2024, 0}, {{2024, 1, 1}, {2024, 12, 31}}},
        {{PeriodKind::Month, 2024, 2}, {{2024, 2, 1}, {2024, 2, 29}}},
        {{PeriodKind::Month, 2023, 2}, {{2023, 2, 1}, {2023, 2, 28}}},
        {{PeriodKind::Month, 2025, 12}, {{2025, 12, 1}, {2025, 12, 31}}},
        {{PeriodKind::Week, 2026, 1}, {{2025, 12, 29}, {2026, 1, 4}}},
        {{PeriodKind::Week, 2020, 53}, {{2020, 12, 28}, {2021, 1, 3}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(PeriodLabel(c.period));
        EXPECT_EQ(PeriodDays(c.period), c.days);
    }
}

TEST(NumbersBetween, DayByDayAndInListOrderWithinADay) {
    const Overview overview = Tally({{"3.1.2024"},
                                     {"1.1.2024"},
                                     {"včera"},
                                     {"3.1.2024"},
                                     {"2.1.2024"},
                                     {"10.1.2024"},
                                     {"1.1.2024"}});
    const struct {
        Date first, last;
        std::vector<std::string> numbers;
    } cases[] = {
        {{2024, 1, 1}, {2024, 1, 3}, {"2", "7", "5", "1", "4"}},
        {{2023, 12, 1}, {2024, 1, 1}, {"2", "7"}},
        {{2024, 1, 3}, {2025, 1, 1}, {"1", "4", "6"}},
        {{2024, 1, 4}, {2024, 1, 9}, {}},
        {{2024, 1, 3}, {2024, 1, 1}, {}},
        {{1800, 1, 1}, {2100, 1, 1}, {"2", "7", "5", "1", "4", "6"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(FormatDate(kCzech, c.first) + " - " + FormatDate(kCzech, c.last));
        EXPECT_EQ(overview.NumbersBetween(c.first, c.last), c.numbers);
    }
    EXPECT_TRUE(Tally({{"včera"}}).NumbersBetween({2024, 1, 1}, {2024, 1, 2}).empty());
    EXPECT_TRUE(Tally({}).NumbersBetween({1800, 1, 1}, {2100, 1, 1}).empty());
}

TEST(OverviewTexts, CountsAndWhatWasLeftOut) {
    const struct {
        long long count;
        const char* text;
    } counts[] = {{0, "0 dní"}, {1, "1 den"},   {2, "2 dny"},  {4, "4 dny"},
                  {5, "5 dní"}, {21, "21 dní"}, {-1, "-1 dní"}};
    for (const auto& c : counts) EXPECT_EQ(CzechCount(c.count, "den", "dny", "dní"), c.text);

    EXPECT_EQ(LeftOutText(LeftOut{}), "");
    EXPECT_EQ(LeftOutText(LeftOut{2, 0, 1, 0, 0}),
              "Vynechané údaje (prázdné nebo nečitelné): datum 2×, čas jízdy 1×.");
    EXPECT_EQ(LeftOutText(LeftOut{0, 1, 0, 3, 4}),
              "Vynechané údaje (prázdné nebo nečitelné): ujeto 1×, průměrná rychlost 3×, "
              "maximální rychlost 4×.");
}

TEST(OverviewTexts, LabelsAndNumbers) {
    EXPECT_EQ(PeriodLabel({PeriodKind::Year, 2026, 0}), "2026");
    EXPECT_EQ(PeriodLabel({PeriodKind::Month, 2026, 1}), "leden 2026");
    EXPECT_EQ(PeriodLabel({PeriodKind::Month, 2026, 12}), "prosinec 2026");
    EXPECT_EQ(PeriodLabel({PeriodKind::Week, 2026, 53}), "2026, týden 53");
    EXPECT_EQ(PeriodLabel({PeriodKind::Week, 0, 0}), "bez data");
    EXPECT_EQ(PeriodLabel({PeriodKind::Month, 2026, 13}), "13/2026");
    EXPECT_EQ(FormatTenths(12.25, kCzech), "12,3");
    EXPECT_EQ(FormatTenths(0.04, kCzech), "0,0");
    EXPECT_EQ(FormatTenths(std::optional<double>(), kCzech), "");
    const struct {
        double minutes;
        const char* text;
    } times[] = {
        {105, "1 h 45 min"}, {59.6, "1 h 0 min"}, {0, "0 h 0 min"}, {1500.4, "25 h 0 min"}};
    for (const auto& t : times) EXPECT_EQ(FormatMinutes(t.minutes), t.text);
    // Six rides of ten minutes are an hour, which summed hours would make "0 h 60 min".
    const auto six =
        Tally(std::vector<R>(6, R{"1.5.2024", "", "0 h 10 min"})).TotalsBy(PeriodKind::Year);
    EXPECT_EQ(FormatMinutes(six[0].minutes), "1 h 0 min");
}

}  // namespace

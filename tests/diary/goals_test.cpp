#include "diary/goals.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "TempDir.h"
#include "TestText.h"
#include "diary/diary_file.h"
#include "diary/diary_transaction.h"
#include "diary/errors.h"
#include "diary/record_table.h"

using namespace diary;
using testsupport::L;

namespace {

const RegionalSettings kCzech = RegionalSettings::Czech();

// Rides of two seasons: one on a bike, one undated ride that counts for no goal.
RecordTable Rides() {
    const char* const rides[][4] = {
        {"1.1.2024", "30", "1 h 0 min", "Fav"},
        {"29.2.2024", "20", "0 h 30 min", ""},
        {"31.12.2024", "10", "", ""},
        {"10.3.2025", "40", "2 h 0 min", "Fav"},
        {"12.3.2025", "25", "1 h 0 min", "Jiné"},
        {"bez data", "100", "", ""},
    };
    RecordTable table;
    for (const auto& r : rides) {
        DiaryRecord record;
        record.number = std::to_string(table.size() + 1);
        record[Field::Date] = r[0];
        record[Field::DistanceKm] = r[1];
        record[Field::RideTime] = r[2];
        record[Field::Bike] = r[3];
        table.Append(RecordRow(record));
    }
    return table;
}

constexpr double kNo = -1;  // no figure expected

TEST(GoalProgress, HandComputedPeriods) {
    const struct {
        const char* name;
        Goal goal;
        Date today;
        double done, plan, perWeek, perDay, forecast;
        std::size_t rides;
        const char* planText;
        const char* note;  // the status bar's line
    } cases[] = {
        // clang-format off
        //  name, goal, today, done, plan, per week, per day, forecast, rides, plan's text, note
        // 29 days; 28 gone before the leap day, which is the last left.
        {"29 February", {2024, 2, 290}, {2024, 2, 29}, 20, 280, 270, 270, 20, 1,
         "−260 km za plánem", ""},
        // 365 of 366 days gone; everything left is today's.
        {"last day of a year", {2024, 0, 7320}, {2024, 12, 31}, 60, 7300, 7260, 7260, 60, 3,
         "−7\u00A0240 km za plánem", "Cíl 2024: 60 z 7\u00A0320 km, zbývá 7\u00A0260 km týdně"},
        {"a month in the past", {2024, 1, 100, 2}, {2024, 10, 15}, 30, 100, kNo, kNo, 30, 1,
         "chybělo 70 km", ""},
        {"a future year", {2026, 0, 365}, {2025, 10, 15}, 0, 0, 7, 1, kNo, 0,
         "ještě nezačal", ""},
        // 31 + 28 + 9 days gone, 297 left; the ride of 12 March is on another bike.
        {"a bike's goal", {2025, 0, 1000, {}, {}, "Fav"}, {2025, 3, 10}, 40, 1000.0 * 68 / 365,
         960.0 * 7 / 297, 960.0 / 297, 40.0 * 365 / 69, 1,
         "−146 km za plánem", "Cíl 2025 (Fav): 40 z 1\u00A0000 km, zbývá 23 km týdně"},
        {"no rides in the period", {2024, 6, 300}, {2024, 6, 10}, 0, 90, 100, 300.0 / 21, 0, 0,
         "−90 km za plánem", ""},
        {"reached", {2025, 0, 50}, {2025, 6, 1}, 65, 50.0 * 151 / 365, 0, 0, 65.0 * 365 / 152, 2,
         "+44 km před plánem", "Cíl 2025: 65 z 50 km, splněno"},
        // clang-format on
    };
    const RecordTable table = Rides();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const GoalProgress p = ProgressOf(c.goal, DoneTowards(table, {c.goal}, kCzech)[0], c.today);
        EXPECT_DOUBLE_EQ(p.done.km, c.done);
        EXPECT_EQ(p.done.rides, c.rides);
        EXPECT_NEAR(p.planKm, c.plan, 1e-9);
        EXPECT_NEAR(p.aheadKm, c.done - c.plan, 1e-9);
        EXPECT_NEAR(p.perWeek.value_or(kNo), c.perWeek, 1e-9);
        EXPECT_NEAR(p.perDay.value_or(kNo), c.perDay, 1e-9);
        EXPECT_NEAR(p.forecastKm.value_or(kNo), c.forecast, 1e-9);
        EXPECT_EQ(GoalTexts(p, kCzech)[5], c.planText);
        EXPECT_EQ(GoalNote({c.goal}, table, c.today, kCzech), c.note);
    }
}

// Goals in the diary file: each change touches its own line only, and a save of the rides
// keeps the goals' section byte for byte.
TEST(GoalSection, ChangesItsOwnLinesAndRideSavesKeepIt) {
    const std::string rides = "[Data]\r\n1=" + L("1.1.2024§Doma§§§§§30§§§§§") + "\r\n";
    const std::string section = "[Cile]\r\n; mine\r\n1 = " + L("2024§5000§§§§") +
                                "\r\n2=" + L("2024-03§400§12§20§Fav§x") +
                                "\r\nverze=2\r\n3=" + L("2025§1000§§§§") + "\r\n";
    const Goal year{2024, 0, 5000};
    const Goal march{2024, 3, 400, 12, 20, "Fav"};
    const Goal next{2025, 0, 1000};
    EXPECT_EQ(GoalsOf(rides + section), (std::vector<Goal>{year, march, next}));

    Goal more = year;
    more.km = 6000.5;
    const auto without = [&](const Goal& g) { return *WithGoalChanged(rides + section, g, {}); };
    EXPECT_EQ(*WithGoalChanged(rides + section, year, more),
              rides + "[Cile]\r\n; mine\r\n1=" + L("2024§6000.5§§§§") + "\r\n2=" +
                  L("2024-03§400§12§20§Fav§x") + "\r\nverze=2\r\n3=" + L("2025§1000§§§§") + "\r\n");
    EXPECT_EQ(without(march), rides + "[Cile]\r\n; mine\r\n1 = " + L("2024§5000§§§§") +
                                  "\r\nverze=2\r\n2=" + L("2025§1000§§§§") + "\r\n");
    EXPECT_EQ(*WithGoalChanged(rides, {}, march),
              rides + "[Cile]\r\n1=" + L("2024-03§400§12§20§Fav§") + "\r\n");
    EXPECT_EQ(*WithGoalChanged("", {}, next),
              "[Data]\r\n[Cile]\r\n1=" + L("2025§1000§§§§") + "\r\n");
    // Another program removed the goal meanwhile; a second goal of a period and bike.
    EXPECT_EQ(WithGoalChanged(rides, year, more), std::nullopt);
    EXPECT_THROW((void)WithGoalChanged(rides + section, {}, Goal{2024, 0, 1}), InvalidValueError);

    testsupport::TempDir dir;
    const std::string path = dir.File("a.vam");
    testsupport::WriteFileBytes(path, rides + section);
    DiaryRecord ride = ReadDiary(path)[0];
    const std::function<void()> saves[] = {
        [&] { (void)AddRecord(path, ride); },
        [&] { (void)EditRecord(path, ReadDiaryRows(path)[1], ride); },
        [&] { (void)DeleteRecord(path, ReadDiaryRows(path)[0]); },
        [&] { SaveDiary(path, ReadDiary(path)); },
    };
    for (const auto& save : saves) {
        save();
        const std::string bytes = testsupport::ReadFileBytes(path);
        EXPECT_EQ(bytes.substr(bytes.find("[Cile]")), section);
    }
}

}  // namespace

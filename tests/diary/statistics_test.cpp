#include "diary/statistics.h"

#include <gtest/gtest.h>

#include "diary/record_table.h"
#include "diary/regional.h"

using diary::ComputeStatistics;
using diary::DiaryRecord;
using diary::Field;
using diary::RecordRow;
using diary::RecordTable;
using diary::RegionalSettings;

namespace {

enum Row {
    kCount,
    kShortest,
    kLongest,
    kLeastKm,
    kMostKm,
    kLastArrival,
    kLeastAvg,
    kMostAvg,
    kMeanAvg,
    kLeastMax,
    kMostMax,
    kTotalTime,
};

RecordTable TableOf(Field field, std::initializer_list<const char*> texts) {
    RecordTable table;
    int n = 0;
    for (const char* text : texts) {
        DiaryRecord r;
        r.number = std::to_string(++n);
        r[field] = text;
        table.Append(RecordRow(r));
    }
    return table;
}

TEST(ComputeStatistics, SingleRecord) {
    DiaryRecord r;
    r.number = "1";
    r[Field::DistanceKm] = "35";
    r[Field::ArrivalKm] = "1235";
    r[Field::AvgSpeed] = "20";
    r[Field::MaxSpeed] = "41";
    r[Field::RideTime] = "1 h 45 min";
    const RecordTable table({RecordRow(r)});
    const std::array<std::string, 12> expected = {
        "1",  "1 h 45 min", "1 h 45 min", "35", "35", "1235",
        "20", "20",         "20",         "41", "41", "1 h 45 min",
    };
    EXPECT_EQ(ComputeStatistics(table, RegionalSettings::Czech()).Rows(), expected);
}

TEST(ComputeStatistics, EmptyTableKeepsTheStartValues) {
    const std::array<std::string, 12> expected = {
        "0", "2147483647 h 0 min", "0 h 0 min", "2147483647", "0", "0", "2147483647", "0",
        "",  "2147483647",         "0",         "0 h 0 min",
    };
    EXPECT_EQ(ComputeStatistics(RecordTable(), RegionalSettings::Czech()).Rows(), expected);
}

TEST(ComputeStatistics, FiguresPerRow) {
    RegionalSettings point = RegionalSettings::Czech();
    point.decimalSeparator = ".";
    const RegionalSettings cz = RegionalSettings::Czech();
    const struct {
        const char* name;
        RecordTable table;
        const RegionalSettings* regional;
        int row;
        const char* text;
    } cases[] = {
        {"distances comma", TableOf(Field::DistanceKm, {"35", "12,5"}), &cz, kLeastKm, "12,5"},
        {"distances comma max", TableOf(Field::DistanceKm, {"35", "12,5"}), &cz, kMostKm, "35"},
        {"distances point", TableOf(Field::DistanceKm, {"35", "12,5"}), &point, kLeastKm, "12.5"},
        {"empty distance skipped", TableOf(Field::DistanceKm, {"", "7"}), &cz, kLeastKm, "7"},
        {"unreadable distances", TableOf(Field::DistanceKm, {"", "x"}), &cz, kLeastKm,
         "2147483647"},
        {"unreadable distances max", TableOf(Field::DistanceKm, {"", "x"}), &cz, kMostKm, "0"},
        {"negative distance", TableOf(Field::DistanceKm, {"-3", "-1"}), &cz, kLeastKm, "-3"},
        {"negative distances max", TableOf(Field::DistanceKm, {"-3", "-1"}), &cz, kMostKm, "0"},
        {"huge distance", TableOf(Field::DistanceKm, {"1E400", "5"}), &cz, kMostKm, "5"},
        {"no ride time", TableOf(Field::RideTime, {"", "1,5 h 0 min"}), &cz, kShortest,
         "2147483647 h 0 min"},
        {"no ride time max", TableOf(Field::RideTime, {"", "1,5 h 0 min"}), &cz, kLongest,
         "0 h 0 min"},
        {"no ride time total", TableOf(Field::RideTime, {"", "1,5 h 0 min"}), &cz, kTotalTime,
         "0 h 0 min"},
        {"comma ride time skipped", TableOf(Field::RideTime, {"1,5 h 0 min", "2 h 0 min"}), &cz,
         kShortest, "2 h 0 min"},
        {"total", TableOf(Field::RideTime, {"1 h 45 min", "0 h 30 min"}), &cz, kTotalTime,
         "2 h 15 min"},
        {"six tens",
         TableOf(Field::RideTime, {"0 h 10 min", "0 h 10 min", "0 h 10 min", "0 h 10 min",
                                   "0 h 10 min", "0 h 10 min"}),
         &cz, kTotalTime, "0 h 60 min"},
        {"shortest", TableOf(Field::RideTime, {"1 h 45 min", "0 h 30 min", "?"}), &cz, kShortest,
         "0 h 30 min"},
        {"mean", TableOf(Field::AvgSpeed, {"20", "21,5", ""}), &cz, kMeanAvg, "20,75"},
        {"mean skips -1", TableOf(Field::AvgSpeed, {"20", "21,5", "", "-1"}), &cz, kMeanAvg,
         "20,75"},
        {"-1 still a minimum", TableOf(Field::AvgSpeed, {"20", "21,5", "", "-1"}), &cz, kLeastAvg,
         "-1"},
        {"mean fifteen digits", TableOf(Field::AvgSpeed, {"10", "10", "11"}), &cz, kMeanAvg,
         "10,3333333333333"},
        {"no mean", TableOf(Field::AvgSpeed, {"", "x", "-1"}), &cz, kMeanAvg, ""},
        {"max speeds", TableOf(Field::MaxSpeed, {"41", "38,5", ""}), &cz, kLeastMax, "38,5"},
        {"max speeds max", TableOf(Field::MaxSpeed, {"41", "38,5", ""}), &cz, kMostMax, "41"},
        {"last arrival", TableOf(Field::ArrivalKm, {"1235", "1235,5"}), &point, kLastArrival,
         "1235,5"},
        {"empty last arrival", TableOf(Field::ArrivalKm, {"1235", ""}), &cz, kLastArrival, ""},
        {"count", TableOf(Field::Note, {"", "", "", ""}), &cz, kCount, "4"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ComputeStatistics(c.table, *c.regional).Rows()[c.row], c.text);
    }
}

TEST(ComputeStatistics, LastArrivalFollowsTheListOrder) {
    DiaryRecord a, b;
    a.number = "1";
    a[Field::ArrivalKm] = "1235";
    a[Field::DistanceKm] = "35";
    b.number = "2";
    b[Field::ArrivalKm] = "1270";
    b[Field::DistanceKm] = "5";
    RecordTable table({RecordRow(a), RecordRow(b)});
    EXPECT_EQ(ComputeStatistics(table, RegionalSettings::Czech()).Rows()[kLastArrival], "1270");
    table.SortByColumn(6, RegionalSettings::Czech());  // "Ujeto": 5 before 35
    EXPECT_EQ(ComputeStatistics(table, RegionalSettings::Czech()).Rows()[kLastArrival], "1235");
}

TEST(StrToIntS, NumberGrammarOrFallback) {
    EXPECT_EQ(diary::StrToIntS("12.5", -1), 12.5);
    EXPECT_EQ(diary::StrToIntS("12,5", -1), -1);
    EXPECT_EQ(diary::StrToIntS("", 7), 7);
    EXPECT_EQ(diary::StrToIntS("1e3", 0), 1000);
}

}  // namespace

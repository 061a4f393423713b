#include "diary/regional.h"

#include <gtest/gtest.h>

using diary::Date;
using diary::DayNumber;
using diary::FormatDate;
using diary::IsValidDate;
using diary::ReadDate;
using diary::ReadDateDays;
using diary::RegionalSettings;

namespace {

RegionalSettings WithFormat(const char* format) {
    RegionalSettings r;
    r.dateFormat = format;
    return r;
}

TEST(FormatDate, WritesEachFormat) {
    const Date march1{2001, 3, 1};
    const struct {
        const char* format;
        const char* text;
    } cases[] = {
        {"%-d.%-m.%Y", "1.3.2001"},   {"%d.%m.%Y", "01.03.2001"}, {"%m/%d/%Y", "03/01/2001"},
        {"%d/%m/%y", "01/03/01"},     {"%Y-%m-%d", "2001-03-01"}, {"%F", "2001-03-01"},
        {"%D", "03/01/01"},           {"%e.%m.%Y", " 1.03.2001"}, {"%-e. %-m. %Y", "1. 3. 2001"},
        {"%d%%%m%%%Y", "01%03%2001"}, {"%A %d %B", "2001-03-01"}, {"%d.%m.", "2001-03-01"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.format);
        EXPECT_EQ(FormatDate(WithFormat(c.format), march1), c.text);
    }
    EXPECT_EQ(FormatDate(RegionalSettings::Czech(), Date{5, 12, 24}), "24.12.0005");
}

TEST(ReadDate, ReadsTheFormatsOrderAndSeparators) {
    const struct {
        const char* format;
        const char* text;
        std::optional<Date> date;
    } cases[] = {
        {"%-d.%-m.%Y", "1.5.2001", Date{2001, 5, 1}},
        {"%-d.%-m.%Y", "01.05.2001", Date{2001, 5, 1}},
        {"%-d.%-m.%Y", "  31.5.2001 ", Date{2001, 5, 31}},
        {"%-d.%-m.%Y", "31.2.2001", std::nullopt},
        {"%-d.%-m.%Y", "29.2.2001", std::nullopt},
        {"%-d.%-m.%Y", "29.2.2000", Date{2000, 2, 29}},
        {"%-d.%-m.%Y", "29.2.1900", std::nullopt},
        {"%-d.%-m.%Y", "0.5.2001", std::nullopt},
        {"%-d.%-m.%Y", "1.13.2001", std::nullopt},
        {"%-d.%-m.%Y", "1.5.01", Date{2001, 5, 1}},
        {"%-d.%-m.%Y", "1.5.99", Date{1999, 5, 1}},
        {"%-d.%-m.%Y", "1.5.0999", Date{999, 5, 1}},
        {"%-d.%-m.%Y", "1.5.20011", std::nullopt},
        {"%-d.%-m.%Y", "1.5.", std::nullopt},
        {"%-d.%-m.%Y", "1.5.2001x", std::nullopt},
        {"%-d.%-m.%Y", "1/5/2001", std::nullopt},
        {"%-d.%-m.%Y", "2001-05-01", std::nullopt},
        {"%-d.%-m.%Y", "", std::nullopt},
        {"%-d.%-m.%Y", "123.5.2001", std::nullopt},
        {"%-d.%-m.%Y", "1. 5.2001", std::nullopt},
        {"%m/%d/%Y", "5/1/2001", Date{2001, 5, 1}},
        {"%m/%d/%Y", "13/1/2001", std::nullopt},
        {"%d/%m/%y", "01/05/49", Date{2049, 5, 1}},
        {"%d/%m/%y", "01/05/50", Date{1950, 5, 1}},
        {"%d/%m/%y", "01/05/2001", std::nullopt},
        {"%F", "2001-5-1", Date{2001, 5, 1}},
        {"%e.%m.%Y", " 1.05.2001", Date{2001, 5, 1}},
        {"%m/%e/%Y", "05/ 1/2001", Date{2001, 5, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.format) + " | " + c.text);
        EXPECT_EQ(ReadDate(WithFormat(c.format), c.text), c.date);
    }
}

TEST(ReadDate, ReadsBackEverythingFormatDateWrites) {
    const char* formats[] = {"%-d.%-m.%Y", "%d.%m.%Y", "%m/%d/%Y", "%d/%m/%y",    "%Y-%m-%d",
                             "%F",         "%D",       "%e.%m.%Y", "%-e. %-m. %Y"};
    for (const char* format : formats) {
        const RegionalSettings r = WithFormat(format);
        const bool shortYear = std::string_view(format).find("%y") != std::string_view::npos ||
                               std::string_view(format) == "%D";
        const int firstYear = shortYear ? 1950 : 1;
        const int lastYear = shortYear ? 2049 : 9999;
        for (int year = firstYear; year <= lastYear; year += shortYear ? 3 : 97) {
            for (int month = 1; month <= 12; ++month) {
                for (int day : {1, 9, 10, 28, 29, 30, 31}) {
                    const Date d{year, month, day};
                    if (!IsValidDate(d)) continue;
                    SCOPED_TRACE(std::string(format) + " " + FormatDate(r, d));
                    EXPECT_EQ(ReadDate(r, FormatDate(r, d)), d);
                }
            }
        }
    }
}

TEST(DayNumber, CountsFromTheEndOf1899) {
    EXPECT_EQ(DayNumber({1899, 12, 30}), 0);
    EXPECT_EQ(DayNumber({1899, 12, 31}), 1);
    EXPECT_EQ(DayNumber({1900, 3, 1}), 61);
    EXPECT_EQ(DayNumber({2001, 5, 1}), 37012);
    EXPECT_EQ(DayNumber({1, 1, 1}), -693593);
    EXPECT_EQ(ReadDateDays(RegionalSettings::Czech(), "1.5.2001"), 37012);
    EXPECT_EQ(ReadDateDays(RegionalSettings::Czech(), "x"), std::nullopt);
    EXPECT_EQ(DayNumber({2001, 3, 1}) - DayNumber({2001, 2, 28}), 1);
    EXPECT_EQ(DayNumber({2000, 3, 1}) - DayNumber({2000, 2, 28}), 2);
}

TEST(DateOfDayNumber, InvertsDayNumber) {
    for (const Date d :
         {Date{1, 1, 1}, Date{1899, 12, 29}, Date{1899, 12, 30}, Date{1900, 2, 28},
          Date{1900, 3, 1}, Date{2000, 2, 29}, Date{2024, 12, 31}, Date{9999, 12, 31}})
        EXPECT_EQ(diary::DateOfDayNumber(static_cast<long long>(DayNumber(d))), d);
}

}  // namespace

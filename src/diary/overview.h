#pragma once
// The overview of a diary: totals by year, month and ISO week, the series its charts draw and
// the personal records. The rows are read once into compact rides (ReadRides) and those are
// tallied once, by period and by day (Overview); every figure is then taken from the tally, so a
// filter (one bike, say) applied when reading reaches them all.
//
// Numbers and ride times are read as the statistics read them: number fields through the number
// grammar after comma-to-dot, ride times by ParseRideTime's rule. A value that does not read, or
// reads below zero, is left out of every figure and counted. Labels are UTF-8.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "diary/record.h"
#include "diary/record_table.h"
#include "diary/regional.h"

namespace diary {

// One row of the list, read once. Values that did not read are NaN. Forty bytes, as a big
// diary's rides are streamed through memory at least twice.
struct Ride {
    double km;
    double minutes;
    double avgSpeed;
    double maxSpeed;
    std::int32_t day;  // DayNumber of the date; the date fields are 0 when it did not read
    std::int16_t year;
    std::uint8_t month;
    std::uint8_t dayOfMonth;
    bool dated() const { return month != 0; }
};

// How many rides had each kind of value left out.
struct LeftOut {
    std::size_t dates = 0;
    std::size_t km = 0;
    std::size_t times = 0;
    std::size_t avgSpeeds = 0;
    std::size_t maxSpeeds = 0;
    bool operator==(const LeftOut&) const = default;
};

// Which rows an overview takes; no filter takes every row.
using RideFilter = std::function<bool(const RecordRow&)>;

class Rides {
public:
    const std::vector<Ride>& all() const { return rides_; }
    // The record number of all()[index].
    std::string Number(std::size_t index) const;
    const LeftOut& leftOut() const { return leftOut_; }
    // First and last day a dated ride falls on; nullopt when no ride has a readable date.
    std::optional<Date> FirstDate() const;
    std::optional<Date> LastDate() const;

private:
    friend Rides ReadRides(const RecordTable&, const RegionalSettings&, const RideFilter&);
    std::vector<Ride> rides_;
    // A diary's numbers are 1, 2, 3...: kept as values, four bytes a ride. Any other text (0,
    // a leading zero, a letter) is kept as it is, by ride, with 0 in its place.
    std::vector<std::uint32_t> numbers_;
    std::vector<std::pair<std::size_t, std::string>> otherNumbers_;
    LeftOut leftOut_;
    std::int32_t firstDay_ = 0;
    std::int32_t lastDay_ = -1;
};

// Only the rides on `bike`, its name as the rides carry it (the overview's switch of bikes).
RideFilter OnBike(std::string bike);

// The rows (in list order) that `keep` accepts, from the table's values: the date in the
// user's short date format, the distance, both speeds and the ride time.
Rides ReadRides(const RecordTable& table, const RegionalSettings& regional,
                const RideFilter& keep = {});

// ---- Periods ----

enum class PeriodKind { Year, Month, Week };

// A year, a month of a year, or an ISO 8601 week of its week-year (which around 1 January may
// differ from the calendar year of some of its days). year 0 is the row of undated rides.
struct Period {
    PeriodKind kind = PeriodKind::Year;
    int year = 0;
    int number = 0;  // month 1..12 or week 1..53; 0 for a year
    bool Undated() const { return year == 0; }
    bool operator==(const Period&) const = default;
};

// Czech month names in the nominative ("leden") and three-letter abbreviations ("led").
extern const std::array<std::string_view, 12> kMonthNames;
extern const std::array<std::string_view, 12> kMonthAbbreviations;

// "2026", "leden 2026", "2026, týden 1", and "bez data" for the undated row.
std::string PeriodLabel(const Period& period);

// The ISO week of a date.
Period IsoWeekOf(const Date& date);
// The Monday that starts an ISO week.
Date MondayOf(int weekYear, int week);

// The first and the last day of a dated period (a week runs Monday to Sunday).
struct DateSpan {
    Date first;
    Date last;
    bool operator==(const DateSpan&) const = default;
};
DateSpan PeriodDays(const Period& period);

struct PeriodTotal {
    Period period;
    std::string label;
    std::size_t rides = 0;
    double km = 0;         // sum of the readable distances
    double minutes = 0;    // sum of the readable ride times
    double longestKm = 0;  // the largest readable distance
    // km ÷ hours over the rides whose distance and ride time both read and whose time is above
    // zero; nullopt when there is none.
    std::optional<double> meanSpeed;
    std::size_t unreadableKm = 0;
    std::size_t unreadableTimes = 0;
};

// Kilometres ridden in a year up to and including each day: km[0] is 1 January.
struct CumulativeYear {
    int year = 0;
    std::vector<double> km;
};

struct WeekKm {
    Period week;
    Date monday;
    double km = 0;
};

struct CalendarDay {
    Date date;
    double km = 0;
    std::vector<std::string> numbers;  // record numbers of the rides of the day, in list order
};

// A record held by one ride. Ties go to the earlier date (undated rides last), then to the
// earlier row.
struct RideBest {
    double value = 0;
    std::optional<Date> date;
    std::string number;
};

struct PeriodBest {
    double km = 0;
    Period period;
    std::string label;
};

struct DayBest {
    double km = 0;
    Date date;
};

struct Streak {
    int days = 0;
    Date first;
    Date last;
};

inline constexpr double kFastestAverageMinKm = 10;

struct PersonalRecords {
    std::optional<RideBest> longestKm;
    std::optional<RideBest> longestMinutes;
    std::optional<RideBest> fastestAverage;  // of rides of at least kFastestAverageMinKm
    std::optional<RideBest> highestMaximum;
    // Most readable kilometres in one day, ISO week, month and year; ties to the earlier.
    std::optional<DayBest> bestDay;
    std::optional<PeriodBest> bestWeek;
    std::optional<PeriodBest> bestMonth;
    std::optional<PeriodBest> bestYear;
    // Consecutive days with at least one dated ride, whatever its distance; ties to the earlier.
    std::optional<Streak> longestStreak;
    LeftOut leftOut;
};

// Every figure of the overview, each taken from one tally of the rides made at construction.
class Overview {
public:
    explicit Overview(Rides rides);
    Overview(const RecordTable& table, const RegionalSettings& regional,
             const RideFilter& keep = {})
        : Overview(ReadRides(table, regional, keep)) {}

    const Rides& rides() const { return rides_; }

    // One row per period from the period of the first dated ride to that of the last, in time
    // order, periods without a ride included with zeros; then, when some rides have no readable
    // date, one row "bez data" for them.
    std::vector<PeriodTotal> TotalsBy(PeriodKind kind) const;

    // Kilometres in each month of `year`, January first. Ask for a year and for the year before
    // to compare them.
    std::array<double, 12> KmByMonth(int year) const;

    // One series per year, oldest first, for the years from `years` - 1 before today's year
    // through today's year that are not before the first dated ride. A past year runs to 31
    // December; today's year stops at today, or at its last ride when that is later.
    std::vector<CumulativeYear> CumulativeKmByYear(const Date& today, int years = 5) const;

    // The `weeks` ISO weeks ending with the one that holds `today`, oldest first.
    std::vector<WeekKm> KmByWeek(const Date& today, int weeks = 52) const;

    // Every day of `year`, 1 January first.
    std::vector<CalendarDay> YearCalendar(int year) const;

    PersonalRecords Records() const;

    // The record numbers of the rides dated from `first` to `last`, both included: day by day,
    // and the rides of one day in list order.
    std::vector<std::string> NumbersBetween(const Date& first, const Date& last) const;

private:
    struct Tally;
    Rides rides_;
    std::shared_ptr<const Tally> tally_;
};

// ---- Texts ----

// One decimal with the user's decimal separator: distances and speeds ("12,5"). Empty for a
// value that is not there (NaN or nullopt).
std::string FormatTenths(double value, const RegionalSettings& regional);
std::string FormatTenths(std::optional<double> value, const RegionalSettings& regional);
// "<H> h <M> min" of the minutes rounded to a whole minute, so 59.6 minutes is "1 h 0 min".
std::string FormatMinutes(double minutes);

// A count with the form of the Czech noun that goes with it: "1 den", "3 dny", "5 dní".
std::string CzechCount(long long count, std::string_view one, std::string_view twoToFour,
                       std::string_view many);

// What was left out as empty or unreadable, for the people who typed it: "Vynechané údaje
// (prázdné nebo nečitelné): datum 2×, ujeto 1×." Empty when nothing was left out.
std::string LeftOutText(const LeftOut& leftOut);

}  // namespace diary

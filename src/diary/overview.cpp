#include "diary/overview.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "diary/field_text.h"

namespace diary {

namespace {

constexpr double kMissing = std::numeric_limits<double>::quiet_NaN();

// A value below zero is no distance, time or speed a ride can have; it is left out with the
// unreadable ones instead of taking kilometres off a total.
double Usable(std::optional<double> value, std::size_t& leftOut) {
    if (value && *value >= 0) return *value;
    ++leftOut;
    return kMissing;
}

double UsableMinutes(std::string_view text, std::size_t& leftOut) {
    const auto parts = ReadRideTimeParts(text);
    return Usable(parts ? std::optional(parts->hours * 60 + parts->minutes) : std::nullopt,
                  leftOut);
}

bool Has(double value) { return !std::isnan(value); }

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }
int DaysInYear(int year) { return IsLeapYear(year) ? 366 : 365; }

std::int32_t DayOf(const Date& date) { return static_cast<std::int32_t>(DayNumber(date)); }
std::int32_t NewYearsDay(int year) { return DayOf(Date{year, 1, 1}); }

// Day 0 (30.12.1899) was a Saturday; Monday is 0.
int Weekday(std::int32_t day) { return static_cast<int>(((day % 7) + 7 + 5) % 7); }
std::int32_t MondayDay(std::int32_t day) { return day - Weekday(day); }

// Consecutive weeks have consecutive keys; a Monday's day number is 2 more than a multiple of 7.
std::int64_t WeekKey(std::int32_t day) { return (MondayDay(day) - 2) / 7; }
std::int32_t MondayOfWeekKey(std::int64_t key) { return static_cast<std::int32_t>(key * 7 + 2); }

Period WeekOfMonday(std::int32_t monday) {
    // The ISO week belongs to the year of its Thursday and counts the Thursdays of that year.
    const std::int32_t thursday = monday + 3;
    const int year = DateOfDayNumber(thursday).year;
    return Period{PeriodKind::Week, year, (thursday - NewYearsDay(year)) / 7 + 1};
}

std::int64_t PeriodKey(PeriodKind kind, std::int32_t day, int year, int month) {
    switch (kind) {
        case PeriodKind::Year:
            return year;
        case PeriodKind::Month:
            return std::int64_t{year} * 12 + month - 1;
        case PeriodKind::Week:
            return WeekKey(day);
    }
    return 0;
}

std::int64_t PeriodKey(PeriodKind kind, const Date& date) {
    return PeriodKey(kind, DayOf(date), date.year, date.month);
}

std::int64_t PeriodKey(PeriodKind kind, const Ride& ride) {
    return PeriodKey(kind, ride.day, ride.year, ride.month);
}

Period PeriodOfKey(std::int64_t key, PeriodKind kind) {
    switch (kind) {
        case PeriodKind::Year:
            return Period{kind, static_cast<int>(key), 0};
        case PeriodKind::Month:
            return Period{kind, static_cast<int>(key / 12), static_cast<int>(key % 12) + 1};
        case PeriodKind::Week:
            return WeekOfMonday(MondayOfWeekKey(key));
    }
    return {};
}

struct Accumulator {
    std::size_t rides = 0;
    double km = 0;
    double minutes = 0;
    double longestKm = 0;
    double speedKm = 0;
    double speedMinutes = 0;
    LeftOut leftOut;

    void Add(const Ride& ride) {
        ++rides;
        if (Has(ride.km)) {
            km += ride.km;
            longestKm = std::max(longestKm, ride.km);
        } else {
            ++leftOut.km;
        }
        if (Has(ride.minutes)) {
            minutes += ride.minutes;
        } else {
            ++leftOut.times;
        }
        if (Has(ride.km) && Has(ride.minutes) && ride.minutes > 0) {
            speedKm += ride.km;
            speedMinutes += ride.minutes;
        }
        leftOut.avgSpeeds += !Has(ride.avgSpeed);
        leftOut.maxSpeeds += !Has(ride.maxSpeed);
        leftOut.dates += !ride.dated;
    }

    PeriodTotal Total(const Period& period) const {
        PeriodTotal t;
        t.period = period;
        t.label = PeriodLabel(period);
        t.rides = rides;
        t.km = km;
        t.minutes = minutes;
        t.longestKm = longestKm;
        if (speedMinutes > 0) t.meanSpeed = speedKm / (speedMinutes / 60);
        t.leftOut = leftOut;
        return t;
    }
};

// One accumulator per period from the first dated ride's to the last's.
struct Buckets {
    std::int64_t firstKey = 0;
    std::vector<Accumulator> periods;
    Accumulator undated;
};

Buckets Accumulate(const Rides& rides, PeriodKind kind) {
    Buckets b;
    if (const auto first = rides.FirstDate()) {
        b.firstKey = PeriodKey(kind, *first);
        const std::int64_t lastKey = PeriodKey(kind, *rides.LastDate());
        b.periods.resize(static_cast<std::size_t>(lastKey - b.firstKey + 1));
    }
    for (const Ride& ride : rides.all()) {
        if (ride.dated) {
            b.periods[static_cast<std::size_t>(PeriodKey(kind, ride) - b.firstKey)].Add(ride);
        } else {
            b.undated.Add(ride);
        }
    }
    return b;
}

void AppendInt(std::string& out, long long value) {
    std::array<char, 24> buf{};
    auto r = std::to_chars(buf.data(), buf.data() + buf.size(), value);
    out.append(buf.data(), r.ptr);
}

// A record held by one ride: a greater value wins; an equal one goes to the earlier date, undated
// rides last, and among rides of one day to the one met first.
struct RideBestFinder {
    const Rides& rides;
    std::optional<std::size_t> best;
    double value = 0;

    static std::int64_t DateKey(const Ride& ride) {
        return ride.dated ? ride.day : std::numeric_limits<std::int64_t>::max();
    }

    void Offer(std::size_t index, double candidate) {
        if (!Has(candidate)) return;
        const Ride& ride = rides.all()[index];
        if (!best || candidate > value ||
            (candidate == value && DateKey(ride) < DateKey(rides.all()[*best]))) {
            best = index;
            value = candidate;
        }
    }

    std::optional<RideBest> Result() const {
        if (!best) return std::nullopt;
        const Ride& ride = rides.all()[*best];
        RideBest r;
        r.value = value;
        if (ride.dated) r.date = Date{ride.year, ride.month, ride.dayOfMonth};
        r.number = std::string(rides.Number(*best));
        return r;
    }
};

std::optional<PeriodBest> BestPeriod(const Rides& rides, PeriodKind kind) {
    const Buckets b = Accumulate(rides, kind);
    std::optional<PeriodBest> best;
    for (std::size_t i = 0; i < b.periods.size(); ++i) {
        const Accumulator& p = b.periods[i];
        if (p.rides == p.leftOut.km) continue;  // no distance to compare
        if (best && !(p.km > best->km)) continue;
        best = PeriodBest{p.km, PeriodOfKey(b.firstKey + static_cast<std::int64_t>(i), kind), {}};
    }
    if (best) best->label = PeriodLabel(best->period);
    return best;
}

}  // namespace

const std::array<std::string_view, 12> kMonthNames = {
    "leden",    "únor",  "březen", "duben", "květen",   "červen",
    "červenec", "srpen", "září",   "říjen", "listopad", "prosinec",
};
const std::array<std::string_view, 12> kMonthAbbreviations = {
    "led", "úno", "bře", "dub", "kvě", "čvn", "čvc", "srp", "zář", "říj", "lis", "pro",
};

std::optional<Date> Rides::FirstDate() const {
    if (lastDay_ < firstDay_) return std::nullopt;
    return DateOfDayNumber(firstDay_);
}

std::optional<Date> Rides::LastDate() const {
    if (lastDay_ < firstDay_) return std::nullopt;
    return DateOfDayNumber(lastDay_);
}

Rides ReadRides(const std::vector<RecordRow>& rows, const RegionalSettings& regional,
                const RideFilter& keep) {
    Rides out;
    out.rides_.reserve(rows.size());
    out.numberStart_.reserve(rows.size() + 1);
    bool anyDated = false;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const RecordRow& row = rows[i];
        if (keep && !keep(row)) continue;
        Ride ride{};
        ride.row = static_cast<std::uint32_t>(i);
        if (const auto date = ReadDate(regional, row.Get(Field::Date))) {
            ride.dated = true;
            ride.day = DayOf(*date);
            ride.year = static_cast<std::int16_t>(date->year);
            ride.month = static_cast<std::uint8_t>(date->month);
            ride.dayOfMonth = static_cast<std::uint8_t>(date->day);
            if (!anyDated || ride.day < out.firstDay_) out.firstDay_ = ride.day;
            if (!anyDated || ride.day > out.lastDay_) out.lastDay_ = ride.day;
            anyDated = true;
        } else {
            ++out.leftOut_.dates;
        }
        ride.km = Usable(ParseCommaNumber(row.Get(Field::DistanceKm)), out.leftOut_.km);
        ride.minutes = UsableMinutes(row.Get(Field::RideTime), out.leftOut_.times);
        ride.avgSpeed = Usable(ParseCommaNumber(row.Get(Field::AvgSpeed)), out.leftOut_.avgSpeeds);
        ride.maxSpeed = Usable(ParseCommaNumber(row.Get(Field::MaxSpeed)), out.leftOut_.maxSpeeds);
        out.rides_.push_back(ride);
        out.numbers_ += row.Number();
        out.numberStart_.push_back(out.numbers_.size());
    }
    return out;
}

std::string PeriodLabel(const Period& period) {
    if (period.Undated()) return "bez data";
    std::string out;
    switch (period.kind) {
        case PeriodKind::Year:
            AppendInt(out, period.year);
            break;
        case PeriodKind::Month:
            out = kMonthNames[static_cast<std::size_t>(period.number - 1)];
            out += ' ';
            AppendInt(out, period.year);
            break;
        case PeriodKind::Week:
            AppendInt(out, period.year);
            out += ", týden ";
            AppendInt(out, period.number);
            break;
    }
    return out;
}

Period IsoWeekOf(const Date& date) { return WeekOfMonday(MondayDay(DayOf(date))); }

Date MondayOf(int weekYear, int week) {
    // 4 January is always in week 1.
    const std::int32_t firstMonday = MondayDay(DayOf(Date{weekYear, 1, 4}));
    return DateOfDayNumber(firstMonday + 7 * (week - 1));
}

std::vector<PeriodTotal> TotalsBy(const Rides& rides, PeriodKind kind) {
    const Buckets b = Accumulate(rides, kind);
    std::vector<PeriodTotal> out;
    out.reserve(b.periods.size() + 1);
    for (std::size_t i = 0; i < b.periods.size(); ++i)
        out.push_back(
            b.periods[i].Total(PeriodOfKey(b.firstKey + static_cast<std::int64_t>(i), kind)));
    if (b.undated.rides > 0) out.push_back(b.undated.Total(Period{kind, 0, 0}));
    return out;
}

std::array<double, 12> KmByMonth(const Rides& rides, int year) {
    std::array<double, 12> km{};
    for (const Ride& ride : rides.all())
        if (ride.dated && ride.year == year && Has(ride.km)) km[ride.month - 1u] += ride.km;
    return km;
}

std::vector<CumulativeYear> CumulativeKmByYear(const Rides& rides, const Date& today, int years) {
    std::vector<CumulativeYear> out;
    const auto first = rides.FirstDate();
    if (!first || years <= 0) return out;
    const int from = std::max(today.year - years + 1, first->year);
    for (int year = from; year <= today.year; ++year) {
        CumulativeYear series;
        series.year = year;
        series.km.assign(static_cast<std::size_t>(DaysInYear(year)), 0.0);
        out.push_back(std::move(series));
    }
    if (out.empty()) return out;
    std::size_t todaysLength = static_cast<std::size_t>(DayOf(today) - NewYearsDay(today.year)) + 1;
    for (const Ride& ride : rides.all()) {
        if (!ride.dated || ride.year < from || ride.year > today.year) continue;
        const auto dayOfYear = static_cast<std::size_t>(ride.day - NewYearsDay(ride.year));
        if (ride.year == today.year) todaysLength = std::max(todaysLength, dayOfYear + 1);
        if (Has(ride.km)) out[static_cast<std::size_t>(ride.year - from)].km[dayOfYear] += ride.km;
    }
    for (CumulativeYear& series : out)
        for (std::size_t d = 1; d < series.km.size(); ++d) series.km[d] += series.km[d - 1];
    out.back().km.resize(todaysLength);
    return out;
}

std::vector<WeekKm> KmByWeek(const Rides& rides, const Date& today, int weeks) {
    std::vector<WeekKm> out;
    if (weeks <= 0) return out;
    const std::int32_t lastMonday = MondayDay(DayOf(today));
    const std::int32_t firstMonday = lastMonday - 7 * (weeks - 1);
    for (int w = 0; w < weeks; ++w) {
        const std::int32_t monday = firstMonday + 7 * w;
        out.push_back(WeekKm{WeekOfMonday(monday), DateOfDayNumber(monday), 0});
    }
    for (const Ride& ride : rides.all()) {
        if (!ride.dated || !Has(ride.km) || ride.day < firstMonday || ride.day > lastMonday + 6)
            continue;
        out[static_cast<std::size_t>((ride.day - firstMonday) / 7)].km += ride.km;
    }
    return out;
}

std::vector<CalendarDay> YearCalendar(const Rides& rides, int year) {
    std::vector<CalendarDay> out(static_cast<std::size_t>(DaysInYear(year)));
    const std::int32_t newYear = NewYearsDay(year);
    for (std::size_t d = 0; d < out.size(); ++d)
        out[d].date = DateOfDayNumber(newYear + static_cast<std::int32_t>(d));
    const auto& all = rides.all();
    for (std::size_t i = 0; i < all.size(); ++i) {
        const Ride& ride = all[i];
        if (!ride.dated || ride.year != year) continue;
        CalendarDay& day = out[static_cast<std::size_t>(ride.day - newYear)];
        if (Has(ride.km)) day.km += ride.km;
        day.numbers.emplace_back(rides.Number(i));
    }
    return out;
}

PersonalRecords ComputePersonalRecords(const Rides& rides) {
    PersonalRecords r;
    r.leftOut = rides.leftOut();
    RideBestFinder longest{rides, {}, 0}, time{rides, {}, 0}, average{rides, {}, 0},
        maximum{rides, {}, 0};
    const auto& all = rides.all();
    for (std::size_t i = 0; i < all.size(); ++i) {
        const Ride& ride = all[i];
        longest.Offer(i, ride.km);
        time.Offer(i, ride.minutes);
        if (Has(ride.km) && ride.km >= kFastestAverageMinKm) average.Offer(i, ride.avgSpeed);
        maximum.Offer(i, ride.maxSpeed);
    }
    r.longestKm = longest.Result();
    r.longestMinutes = time.Result();
    r.fastestAverage = average.Result();
    r.highestMaximum = maximum.Result();

    const auto first = rides.FirstDate();
    if (first) {
        // Days from the first ride to the last: kilometres and whether anyone rode.
        const std::int32_t firstDay = DayOf(*first);
        const auto span = static_cast<std::size_t>(DayOf(*rides.LastDate()) - firstDay) + 1;
        std::vector<double> km(span, 0.0);
        std::vector<bool> rode(span, false);
        std::vector<bool> measured(span, false);
        for (const Ride& ride : all) {
            if (!ride.dated) continue;
            const auto d = static_cast<std::size_t>(ride.day - firstDay);
            rode[d] = true;
            if (Has(ride.km)) {
                km[d] += ride.km;
                measured[d] = true;
            }
        }
        std::optional<std::size_t> bestDay;
        std::size_t run = 0, bestRun = 0, bestRunEnd = 0;
        for (std::size_t d = 0; d < span; ++d) {
            if (measured[d] && (!bestDay || km[d] > km[*bestDay])) bestDay = d;
            run = rode[d] ? run + 1 : 0;
            if (run > bestRun) {
                bestRun = run;
                bestRunEnd = d;
            }
        }
        if (bestDay)
            r.bestDay = DayBest{km[*bestDay],
                                DateOfDayNumber(firstDay + static_cast<std::int32_t>(*bestDay))};
        const auto end = firstDay + static_cast<std::int32_t>(bestRunEnd);
        r.longestStreak = Streak{static_cast<int>(bestRun),
                                 DateOfDayNumber(end - static_cast<std::int32_t>(bestRun) + 1),
                                 DateOfDayNumber(end)};
    }
    r.bestWeek = BestPeriod(rides, PeriodKind::Week);
    r.bestMonth = BestPeriod(rides, PeriodKind::Month);
    r.bestYear = BestPeriod(rides, PeriodKind::Year);
    return r;
}

std::string FormatTenths(double value, const RegionalSettings& regional) {
    if (!Has(value)) return {};
    std::string text = FormatOneDecimal(value);
    const std::size_t point = text.find('.');
    if (point != std::string::npos) text.replace(point, 1, regional.decimalSeparator);
    return text;
}

std::string FormatTenths(std::optional<double> value, const RegionalSettings& regional) {
    return FormatTenths(value.value_or(kMissing), regional);
}

std::string FormatMinutes(double minutes) {
    // Whole minutes split exactly; beyond what a long long holds, the ride-time rule does.
    if (!(std::fabs(minutes) < 1e15)) return FormatRideTime(minutes / 60);
    const auto whole = std::llround(minutes);
    std::string out;
    AppendInt(out, whole / 60);
    out += " h ";
    AppendInt(out, whole % 60);
    out += " min";
    return out;
}

}  // namespace diary

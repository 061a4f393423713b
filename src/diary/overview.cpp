#include "diary/overview.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <utility>

#include "diary/field_text.h"

namespace diary {

namespace {

constexpr double kMissing = std::numeric_limits<double>::quiet_NaN();

// A value below zero is no distance, time or speed a ride can have; it is left out with the
// unreadable ones instead of taking kilometres off a total.
double Usable(double value, std::size_t& leftOut) {
    if (value >= 0) return value;
    ++leftOut;
    return kMissing;
}

bool Has(double value) { return !std::isnan(value); }

// The value of a number written the plain way (digits, no leading zero, below 10^9), else 0.
std::uint32_t PlainNumber(std::string_view text) {
    if (text.empty() || text.size() > 9 || text[0] == '0') return 0;
    std::uint32_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return 0;
        value = value * 10 + static_cast<std::uint32_t>(c - '0');
    }
    return value;
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }
int DaysInYear(int year) { return IsLeapYear(year) ? 366 : 365; }

std::int32_t DayOf(const Date& date) { return static_cast<std::int32_t>(DayNumber(date)); }
std::int32_t NewYearsDay(int year) { return DayOf(Date{year, 1, 1}); }

// Weeks counted from the one that starts on Monday 1.1.1900 (day 2): consecutive weeks have
// consecutive keys.
std::int64_t WeekKey(std::int64_t day) {
    const std::int64_t sinceMonday = day - 2;
    return sinceMonday >= 0 ? sinceMonday / 7 : -((6 - sinceMonday) / 7);
}
std::int32_t MondayOfWeekKey(std::int64_t key) { return static_cast<std::int32_t>(key * 7 + 2); }
std::int32_t MondayDay(std::int32_t day) { return MondayOfWeekKey(WeekKey(day)); }

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

// The period after `period`, whose key is `key`. Only at a week-year's end does the calendar
// need asking whether it has a week 53.
Period NextPeriod(const Period& period, std::int64_t key) {
    switch (period.kind) {
        case PeriodKind::Year:
            return Period{period.kind, period.year + 1, 0};
        case PeriodKind::Month:
            return period.number == 12 ? Period{period.kind, period.year + 1, 1}
                                       : Period{period.kind, period.year, period.number + 1};
        case PeriodKind::Week:
            return period.number < 52 ? Period{period.kind, period.year, period.number + 1}
                                      : PeriodOfKey(key, period.kind);
    }
    return {};
}

// What one ride adds to a period, worked out once for the three kinds of period. Nothing here
// branches on what a ride lacks: which values are missing follows no pattern.
struct Contribution {
    double km;
    double minutes;
    double timedKm;  // distance and time of a ride with both, for the mean speed
    double timedMinutes;
    std::uint32_t kmMissing;
    std::uint32_t timeMissing;

    explicit Contribution(const Ride& ride) {
        const bool hasKm = Has(ride.km);
        const bool hasTime = Has(ride.minutes);
        km = hasKm ? ride.km : 0;
        minutes = hasTime ? ride.minutes : 0;
        const bool timed = hasKm && minutes > 0;
        timedKm = timed ? km : 0;
        timedMinutes = timed ? minutes : 0;
        kmMissing = !hasKm;
        timeMissing = !hasTime;
    }
};

struct Accumulator {
    std::uint32_t rides = 0;
    std::uint32_t kmMissing = 0;
    std::uint32_t timeMissing = 0;
    double km = 0;
    double minutes = 0;
    double longestKm = 0;
    double timedKm = 0;
    double timedMinutes = 0;

    void Add(const Contribution& c) {
        ++rides;
        km += c.km;
        minutes += c.minutes;
        longestKm = std::max(longestKm, c.km);
        timedKm += c.timedKm;
        timedMinutes += c.timedMinutes;
        kmMissing += c.kmMissing;
        timeMissing += c.timeMissing;
    }

    PeriodTotal Total(const Period& period) const {
        PeriodTotal t;
        t.period = period;
        t.label = PeriodLabel(period);
        t.rides = rides;
        t.km = km;
        t.minutes = minutes;
        t.longestKm = longestKm;
        if (timedMinutes > 0) t.meanSpeed = timedKm / (timedMinutes / 60);
        t.unreadableKm = kmMissing;
        t.unreadableTimes = timeMissing;
        return t;
    }
};

// One accumulator per period from the first dated ride's to the last's.
struct PeriodSpan {
    std::int64_t firstKey = 0;
    std::vector<Accumulator> periods;
    Accumulator undated;

    const Accumulator* Find(std::int64_t key) const {
        if (key < firstKey || key - firstKey >= static_cast<std::int64_t>(periods.size()))
            return nullptr;
        return &periods[static_cast<std::size_t>(key - firstKey)];
    }
};

struct DayTally {
    double km = 0;
    std::uint32_t measured = 0;  // rides with a readable distance
    std::uint32_t rides = 0;
    std::uint32_t firstRide = 0;  // the day's rides, linked through Tally::nextOnDay
    std::uint32_t lastRide = 0;
};

// A record held by one ride: a greater value wins; an equal one goes to the earlier date,
// undated rides last, and among rides of one day to the one met first.
struct RideBestFinder {
    std::optional<std::size_t> best;
    double value = -std::numeric_limits<double>::infinity();
    std::int64_t dateKey = 0;

    void Offer(std::size_t index, const Ride& ride, double candidate) {
        if (!(candidate >= value)) return;  // below the best, or not there at all
        const std::int64_t key = ride.dated() ? ride.day : std::numeric_limits<std::int64_t>::max();
        if (best && candidate == value && key >= dateKey) return;
        best = index;
        value = candidate;
        dateKey = key;
    }

    std::optional<RideBest> Result(const Rides& rides) const {
        if (!best) return std::nullopt;
        const Ride& ride = rides.all()[*best];
        RideBest r;
        r.value = value;
        if (ride.dated()) r.date = Date{ride.year, ride.month, ride.dayOfMonth};
        r.number = rides.Number(*best);
        return r;
    }
};

// The first period with the most kilometres among those with a readable distance.
std::optional<PeriodBest> MostKm(const PeriodSpan& span, PeriodKind kind) {
    std::optional<std::size_t> best;
    for (std::size_t i = 0; i < span.periods.size(); ++i) {
        const Accumulator& p = span.periods[i];
        if (p.rides > p.kmMissing && (!best || p.km > span.periods[*best].km)) best = i;
    }
    if (!best) return std::nullopt;
    const Period period = PeriodOfKey(span.firstKey + static_cast<std::int64_t>(*best), kind);
    return PeriodBest{span.periods[*best].km, period, PeriodLabel(period)};
}

}  // namespace

const std::array<std::string_view, 12> kMonthNames = {
    "leden",    "únor",  "březen", "duben", "květen",   "červen",
    "červenec", "srpen", "září",   "říjen", "listopad", "prosinec",
};
const std::array<std::string_view, 12> kMonthAbbreviations = {
    "led", "úno", "bře", "dub", "kvě", "čvn", "čvc", "srp", "zář", "říj", "lis", "pro",
};

std::string Rides::Number(std::size_t index) const {
    if (const std::uint32_t number = numbers_[index]) {
        std::string out;
        AppendInt(out, number);
        return out;
    }
    const auto other = std::lower_bound(
        otherNumbers_.begin(), otherNumbers_.end(), index,
        [](const std::pair<std::size_t, std::string>& p, std::size_t i) { return p.first < i; });
    return other->second;
}

std::optional<Date> Rides::FirstDate() const {
    if (lastDay_ < firstDay_) return std::nullopt;
    return DateOfDayNumber(firstDay_);
}

std::optional<Date> Rides::LastDate() const {
    if (lastDay_ < firstDay_) return std::nullopt;
    return DateOfDayNumber(lastDay_);
}

RideFilter OnBike(std::string bike) {
    return [bike = std::move(bike)](const RecordRow& row) { return row.Get(Field::Bike) == bike; };
}

Rides ReadRides(const RecordTable& table, const RegionalSettings& regional,
                const RideFilter& keep) {
    const auto dates = table.Dates(Field::Date, regional);
    const auto distances = table.Decimals(Field::DistanceKm);
    const auto rideTimes = table.RideTimes(Field::RideTime);
    const auto averages = table.Decimals(Field::AvgSpeed);
    const auto maxima = table.Decimals(Field::MaxSpeed);
    Rides out;
    out.rides_.reserve(table.size());
    out.numbers_.reserve(table.size());
    bool anyDated = false;
    // Raw arrays and the list's order held here: through the lists' own indexing, each value
    // looked up the order again, as the rides written between could have moved it.
    const std::uint32_t* const order = dates.order();
    const DateValue* const dateAt = dates.kept();
    const double* const distanceAt = distances.kept();
    const RideTimeParts* const rideTimeAt = rideTimes.kept();
    const double* const averageAt = averages.kept();
    const double* const maximumAt = maxima.kept();
    for (std::size_t i = 0; i < table.size(); ++i) {
        const RecordRow& row = table[i];
        if (keep && !keep(row)) continue;
        const std::size_t k = order != nullptr ? order[i] : i;
        Ride ride{};
        if (const DateValue& date = dateAt[k]; date.valid()) {
            ride.day = date.day;
            ride.year = date.year;
            ride.month = date.month;
            ride.dayOfMonth = date.dayOfMonth;
            if (!anyDated || ride.day < out.firstDay_) out.firstDay_ = ride.day;
            if (!anyDated || ride.day > out.lastDay_) out.lastDay_ = ride.day;
            anyDated = true;
        } else {
            ++out.leftOut_.dates;
        }
        ride.km = Usable(distanceAt[k], out.leftOut_.km);
        ride.minutes = Usable(rideTimeAt[k].Minutes(), out.leftOut_.times);
        ride.avgSpeed = Usable(averageAt[k], out.leftOut_.avgSpeeds);
        ride.maxSpeed = Usable(maximumAt[k], out.leftOut_.maxSpeeds);
        out.rides_.push_back(ride);
        const std::uint32_t number = PlainNumber(row.Number());
        if (number == 0) out.otherNumbers_.emplace_back(out.rides_.size() - 1, row.Number());
        out.numbers_.push_back(number);
    }
    return out;
}

std::string PeriodLabel(const Period& period) {
    if (period.Undated()) return "bez data";
    // Written into a buffer and made a string once: a diary's weeks run to thousands of rows.
    std::array<char, 48> buf{};
    char* p = buf.data();
    auto text = [&p](std::string_view s) {
        for (const char c : s) *p++ = c;
    };
    auto number = [&p, &buf](int value) {
        p = std::to_chars(p, buf.data() + buf.size(), value).ptr;
    };
    switch (period.kind) {
        case PeriodKind::Year:
            number(period.year);
            break;
        case PeriodKind::Month:
            if (period.number >= 1 && period.number <= 12) {
                text(kMonthNames[static_cast<std::size_t>(period.number - 1)]);
                text(" ");
            } else {  // no month of ours; written as a number rather than read past the names
                number(period.number);
                text("/");
            }
            number(period.year);
            break;
        case PeriodKind::Week:
            number(period.year);
            text(", týden ");
            number(period.number);
            break;
    }
    return std::string(buf.data(), p);
}

Period IsoWeekOf(const Date& date) { return WeekOfMonday(MondayDay(DayOf(date))); }

Date MondayOf(int weekYear, int week) {
    // 4 January is always in week 1.
    const std::int32_t firstMonday = MondayDay(DayOf(Date{weekYear, 1, 4}));
    return DateOfDayNumber(firstMonday + 7 * (week - 1));
}

DateSpan PeriodDays(const Period& period) {
    switch (period.kind) {
        case PeriodKind::Year:
            return {Date{period.year, 1, 1}, Date{period.year, 12, 31}};
        case PeriodKind::Month: {
            const Date first{period.year, period.number, 1};
            const Date next = period.number == 12 ? Date{period.year + 1, 1, 1}
                                                  : Date{period.year, period.number + 1, 1};
            return {first, DateOfDayNumber(DayOf(next) - 1)};
        }
        case PeriodKind::Week: {
            const Date monday = MondayOf(period.year, period.number);
            return {monday, DateOfDayNumber(DayOf(monday) + 6)};
        }
    }
    return {};
}

struct Overview::Tally {
    std::array<PeriodSpan, 3> spans;  // by PeriodKind
    std::int32_t firstDay = 0;
    std::vector<DayTally> days;  // from the first dated ride's day to the last's
    std::vector<std::uint32_t> nextOnDay;
    RideBestFinder longestKm, longestMinutes, fastestAverage, highestMaximum;

    const PeriodSpan& Span(PeriodKind kind) const { return spans[static_cast<std::size_t>(kind)]; }
    const DayTally* Day(std::int32_t day) const {
        if (day < firstDay || day - firstDay >= static_cast<std::int64_t>(days.size()))
            return nullptr;
        return &days[static_cast<std::size_t>(day - firstDay)];
    }
};

Overview::Overview(Rides rides) : rides_(std::move(rides)) {
    // One pass over the rides fills everything: a big diary's rides stream through memory
    // once, not once for every figure.
    auto tally = std::make_shared<Tally>();
    constexpr std::array<PeriodKind, 3> kKinds = {PeriodKind::Year, PeriodKind::Month,
                                                  PeriodKind::Week};
    const auto first = rides_.FirstDate();
    if (first) {
        const Date last = *rides_.LastDate();
        for (PeriodKind kind : kKinds) {
            PeriodSpan& span = tally->spans[static_cast<std::size_t>(kind)];
            span.firstKey = PeriodKey(kind, *first);
            span.periods.resize(
                static_cast<std::size_t>(PeriodKey(kind, last) - span.firstKey + 1));
        }
        tally->firstDay = DayOf(*first);
        tally->days.resize(static_cast<std::size_t>(DayOf(last) - tally->firstDay + 1));
    }
    const auto& all = rides_.all();
    tally->nextOnDay.resize(all.size());
    auto& [years, months, weeks] = tally->spans;
    for (std::size_t i = 0; i < all.size(); ++i) {
        const Ride& ride = all[i];
        tally->longestKm.Offer(i, ride, ride.km);
        tally->longestMinutes.Offer(i, ride, ride.minutes);
        if (ride.km >= kFastestAverageMinKm) tally->fastestAverage.Offer(i, ride, ride.avgSpeed);
        tally->highestMaximum.Offer(i, ride, ride.maxSpeed);
        const Contribution c(ride);
        if (!ride.dated()) {
            years.undated.Add(c);
            months.undated.Add(c);
            weeks.undated.Add(c);
            continue;
        }
        years.periods[static_cast<std::size_t>(ride.year - years.firstKey)].Add(c);
        months
            .periods[static_cast<std::size_t>(PeriodKey(PeriodKind::Month, ride) - months.firstKey)]
            .Add(c);
        weeks.periods[static_cast<std::size_t>(PeriodKey(PeriodKind::Week, ride) - weeks.firstKey)]
            .Add(c);
        DayTally& day = tally->days[static_cast<std::size_t>(ride.day - tally->firstDay)];
        day.km += c.km;
        day.measured += !c.kmMissing;
        const auto index = static_cast<std::uint32_t>(i);
        if (day.rides++ == 0) {
            day.firstRide = index;
        } else {
            tally->nextOnDay[day.lastRide] = index;
        }
        day.lastRide = index;
    }
    tally_ = std::move(tally);
}

std::vector<PeriodTotal> Overview::TotalsBy(PeriodKind kind) const {
    const PeriodSpan& span = tally_->Span(kind);
    std::vector<PeriodTotal> out;
    out.reserve(span.periods.size() + 1);
    Period period = PeriodOfKey(span.firstKey, kind);
    for (std::size_t i = 0; i < span.periods.size(); ++i) {
        if (i > 0) period = NextPeriod(period, span.firstKey + static_cast<std::int64_t>(i));
        out.push_back(span.periods[i].Total(period));
    }
    if (span.undated.rides > 0) out.push_back(span.undated.Total(Period{kind, 0, 0}));
    return out;
}

std::array<double, 12> Overview::KmByMonth(int year) const {
    std::array<double, 12> km{};
    const PeriodSpan& months = tally_->Span(PeriodKind::Month);
    for (int m = 1; m <= 12; ++m)
        if (const Accumulator* a = months.Find(PeriodKey(PeriodKind::Month, Date{year, m, 1})))
            km[static_cast<std::size_t>(m - 1)] = a->km;
    return km;
}

std::vector<CumulativeYear> Overview::CumulativeKmByYear(const Date& today, int years) const {
    std::vector<CumulativeYear> out;
    const auto first = rides_.FirstDate();
    if (!first || years <= 0) return out;
    for (int year = std::max(today.year - years + 1, first->year); year <= today.year; ++year) {
        const std::int32_t newYear = NewYearsDay(year);
        std::size_t length = static_cast<std::size_t>(DaysInYear(year));
        if (year == today.year) {
            length = static_cast<std::size_t>(
                std::clamp(DayOf(today) - newYear + 1, 1, DaysInYear(year)));
            for (std::size_t d = length; d < static_cast<std::size_t>(DaysInYear(year)); ++d) {
                const DayTally* day = tally_->Day(newYear + static_cast<std::int32_t>(d));
                if (day && day->rides > 0) length = d + 1;
            }
        }
        CumulativeYear series;
        series.year = year;
        series.km.resize(length);
        double sum = 0;
        for (std::size_t d = 0; d < length; ++d) {
            if (const DayTally* day = tally_->Day(newYear + static_cast<std::int32_t>(d)))
                sum += day->km;
            series.km[d] = sum;
        }
        out.push_back(std::move(series));
    }
    return out;
}

std::vector<WeekKm> Overview::KmByWeek(const Date& today, int weeks) const {
    std::vector<WeekKm> out;
    const std::int64_t lastKey = WeekKey(DayOf(today));
    const PeriodSpan& span = tally_->Span(PeriodKind::Week);
    for (std::int64_t key = lastKey - weeks + 1; key <= lastKey; ++key) {
        const std::int32_t monday = MondayOfWeekKey(key);
        const Accumulator* a = span.Find(key);
        out.push_back(WeekKm{WeekOfMonday(monday), DateOfDayNumber(monday), a ? a->km : 0});
    }
    return out;
}

std::vector<CalendarDay> Overview::YearCalendar(int year) const {
    std::vector<CalendarDay> out(static_cast<std::size_t>(DaysInYear(year)));
    const std::int32_t newYear = NewYearsDay(year);
    for (std::size_t d = 0; d < out.size(); ++d) {
        CalendarDay& day = out[d];
        const std::int32_t dayNumber = newYear + static_cast<std::int32_t>(d);
        day.date = DateOfDayNumber(dayNumber);
        const DayTally* tally = tally_->Day(dayNumber);
        if (!tally) continue;
        day.km = tally->km;
        std::uint32_t ride = tally->firstRide;
        for (std::uint32_t n = 0; n < tally->rides; ++n, ride = tally_->nextOnDay[ride])
            day.numbers.emplace_back(rides_.Number(ride));
    }
    return out;
}

PersonalRecords Overview::Records() const {
    PersonalRecords r;
    r.leftOut = rides_.leftOut();
    r.longestKm = tally_->longestKm.Result(rides_);
    r.longestMinutes = tally_->longestMinutes.Result(rides_);
    r.fastestAverage = tally_->fastestAverage.Result(rides_);
    r.highestMaximum = tally_->highestMaximum.Result(rides_);

    const auto& days = tally_->days;
    std::optional<std::size_t> bestDay;
    std::size_t run = 0, bestRun = 0, bestRunEnd = 0;
    for (std::size_t d = 0; d < days.size(); ++d) {
        if (days[d].measured > 0 && (!bestDay || days[d].km > days[*bestDay].km)) bestDay = d;
        // The first of equally long runs stands.
        run = days[d].rides > 0 ? run + 1 : 0;
        if (run > bestRun) {
            bestRun = run;
            bestRunEnd = d;
        }
    }
    if (bestDay)
        r.bestDay =
            DayBest{days[*bestDay].km,
                    DateOfDayNumber(tally_->firstDay + static_cast<std::int64_t>(*bestDay))};
    if (bestRun > 0) {
        const std::int64_t end = tally_->firstDay + static_cast<std::int64_t>(bestRunEnd);
        r.longestStreak = Streak{static_cast<int>(bestRun),
                                 DateOfDayNumber(end - static_cast<std::int64_t>(bestRun) + 1),
                                 DateOfDayNumber(end)};
    }
    r.bestWeek = MostKm(tally_->Span(PeriodKind::Week), PeriodKind::Week);
    r.bestMonth = MostKm(tally_->Span(PeriodKind::Month), PeriodKind::Month);
    r.bestYear = MostKm(tally_->Span(PeriodKind::Year), PeriodKind::Year);
    return r;
}

std::vector<std::string> Overview::NumbersBetween(const Date& first, const Date& last) const {
    std::vector<std::string> out;
    for (std::int32_t d = DayOf(first); d <= DayOf(last); ++d) {
        const DayTally* day = tally_->Day(d);
        if (day == nullptr) {
            // Before the first ride there is nothing yet; after the last, nothing more.
            if (d >= tally_->firstDay) break;
            d = tally_->firstDay - 1;
            continue;
        }
        std::uint32_t ride = day->firstRide;
        for (std::uint32_t n = 0; n < day->rides; ++n, ride = tally_->nextOnDay[ride])
            out.push_back(rides_.Number(ride));
    }
    return out;
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

std::string CzechCount(long long count, std::string_view one, std::string_view twoToFour,
                       std::string_view many) {
    std::string out;
    AppendInt(out, count);
    out += ' ';
    if (count == 1) {
        out += one;
    } else if (count >= 2 && count <= 4) {
        out += twoToFour;
    } else {
        out += many;
    }
    return out;
}

std::string LeftOutText(const LeftOut& leftOut) {
    const std::pair<std::string_view, std::size_t> kinds[] = {
        {"datum", leftOut.dates},
        {"ujeto", leftOut.km},
        {"čas jízdy", leftOut.times},
        {"průměrná rychlost", leftOut.avgSpeeds},
        {"maximální rychlost", leftOut.maxSpeeds},
    };
    std::string out;
    for (const auto& [name, count] : kinds) {
        if (count == 0) continue;
        out += out.empty() ? "Vynechané údaje (prázdné nebo nečitelné): " : ", ";
        out += name;
        out += ' ';
        AppendInt(out, static_cast<long long>(count));
        out += "×";
    }
    if (!out.empty()) out += '.';
    return out;
}

}  // namespace diary

#include "diary/goals.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "diary/cp1250.h"
#include "diary/errors.h"
#include "diary/field_text.h"
#include "diary/locked_change.h"
#include "diary/overview.h"
#include "diary/profile.h"
#include "diary/record.h"
#include "diary/record_table.h"

namespace diary {
namespace {

constexpr int kGoalFields = 5;
constexpr std::string_view kRideSectionHeader = "[Data]\r\n";

std::string_view Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool PlainInt(std::string_view text, int& value) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

bool Positive(double value) { return std::isfinite(value) && value > 0; }

std::string FormatGoalLine(const Goal& goal) {
    std::string period = PlainNumberText(goal.year);
    if (goal.month != 0) period += (goal.month < 10 ? "-0" : "-") + PlainNumberText(goal.month);
    const std::string fields[kGoalFields] = {
        period, PlainNumberText(goal.km), goal.rides ? PlainNumberText(*goal.rides) : std::string(),
        goal.hours ? PlainNumberText(*goal.hours) : std::string(), goal.bike};
    std::string line;
    for (const std::string& field : fields) {
        line += field;
        line += kSeparator;
    }
    return line;
}

std::optional<Goal> ParseGoalLine(std::string_view line) {
    std::string_view fields[kGoalFields];
    for (std::string_view& field : fields) {
        const std::size_t end = line.find(kSeparator);
        if (end == std::string_view::npos) return std::nullopt;
        field = line.substr(0, end);
        line.remove_prefix(end + 1);
    }
    Goal goal;
    const std::string_view period = fields[0];
    if (period.size() == 7 && period[4] == '-') {
        if (!PlainInt(period.substr(0, 4), goal.year) || !PlainInt(period.substr(5), goal.month))
            return std::nullopt;
    } else if (!PlainInt(period, goal.year)) {
        return std::nullopt;
    }
    const auto km = ParseNumber(fields[1]);
    if (!km) return std::nullopt;
    goal.km = *km;
    if (!fields[2].empty()) {
        int rides = 0;
        if (!PlainInt(fields[2], rides)) return std::nullopt;
        goal.rides = rides;
    }
    if (!fields[3].empty()) {
        goal.hours = ParseNumber(fields[3]);
        if (!goal.hours) return std::nullopt;
    }
    goal.bike = std::string(fields[4]);
    try {
        CheckGoal(goal);
    } catch (const InvalidValueError&) {
        return std::nullopt;
    }
    return goal;
}

DateSpan GoalDays(const Goal& goal) {
    if (goal.month == 0) return {{goal.year, 1, 1}, {goal.year, 12, 31}};
    return PeriodDays({PeriodKind::Month, goal.year, goal.month});
}

}  // namespace

std::string FormatWhole(double value, const RegionalSettings& regional) {
    const long long n = std::llround(std::abs(value));
    const std::string digits = PlainNumberText(n);
    std::string out = value < 0 && n != 0 ? "-" : "";
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += regional.thousandsSeparator;
        out += digits[i];
    }
    return out;
}

void CheckGoal(const Goal& goal) {
    if (goal.year < 1900 || goal.year > 9999)
        throw InvalidValueError("Rok cíle musí být mezi 1900 a 9999.");
    if (goal.month < 0 || goal.month > 12)
        throw InvalidValueError("Měsíc cíle musí být 1 až 12, nebo žádný pro celý rok.");
    if (!Positive(goal.km)) throw InvalidValueError("Cíl musí být kladný počet kilometrů.");
    if (goal.rides && *goal.rides <= 0)
        throw InvalidValueError("Počet jízd musí být kladné celé číslo, nebo nic.");
    if (goal.hours && !Positive(*goal.hours))
        throw InvalidValueError("Čas jízdy musí být kladný počet hodin, nebo nic.");
    if (!goal.bike.empty()) CheckBikeName(goal.bike);
}

void CheckGoalIsNew(const Goal& goal, const std::vector<Goal>& others) {
    for (const Goal& other : others) {
        if (other.year != goal.year || other.month != goal.month || other.bike != goal.bike)
            continue;
        throw InvalidValueError(
            "Cíl na období „" + GoalPeriodText(goal) + "“ pro " +
            (goal.bike.empty() ? "všechna kola" : "kolo „" + Cp1250ToUtf8(goal.bike) + "“") +
            " už je zapsán.");
    }
}

std::vector<Goal> GoalsOf(std::string_view bytes) {
    std::vector<Goal> goals;
    for (const Profile::Entry& entry : NumberedEntries(bytes, kGoalSection)) {
        if (auto goal = ParseGoalLine(entry.value)) goals.push_back(std::move(*goal));
    }
    return goals;
}

std::optional<std::string> WithGoalChanged(std::string bytes, const std::optional<Goal>& old,
                                           const std::optional<Goal>& now) {
    if (now) CheckGoal(*now);
    const std::vector<ProfileLine> run = NumberedKeyLines(bytes, kGoalSection);
    std::optional<std::size_t> at;
    for (std::size_t i = 0; i < run.size(); ++i) {
        const std::optional<Goal> goal = ParseGoalLine(run[i].value);
        if (!goal) continue;
        if (old && !at && *goal == *old) {
            at = i;
        } else if (now) {
            CheckGoalIsNew(*now, {*goal});
        }
    }
    if (old && !at) return std::nullopt;
    if (old && now) {
        ReplaceKeyLine(bytes, run[*at], FormatGoalLine(*now));
        return bytes;
    }
    if (old) return WithoutNumberedKey(bytes, kGoalSection, *at + 1);
    if (!now) return bytes;
    if (bytes.empty()) bytes = kRideSectionHeader;
    Profile profile(std::move(bytes));
    profile.Set(kGoalSection, PlainNumberText(run.size() + 1), FormatGoalLine(*now));
    return std::move(profile).TakeBytes();
}

GoalChange ChangeGoal(const std::string& path, const std::optional<Goal>& old,
                      const std::optional<Goal>& now, std::chrono::milliseconds timeout,
                      const std::shared_ptr<const std::string>& known) {
    if (now) CheckGoal(*now);
    GoalChange result;
    std::string bytes = ChangeUnderLock(path, LockedFile::Diary, timeout, [&](std::string& file) {
        result.followsKnown = known && *known == file;
        std::optional<std::string> changed = WithGoalChanged(file, old, now);
        result.applied = changed.has_value();
        if (!changed || *changed == file) return false;
        file = std::move(*changed);
        return true;
    });
    result.bytes = std::make_shared<const std::string>(std::move(bytes));
    return result;
}

void AddGoals(const std::string& path, const std::vector<Goal>& goals) {
    for (const Goal& goal : goals) CheckGoal(goal);
    (void)ChangeUnderLock(path, LockedFile::Diary, kLockTimeout, [&](std::string& bytes) {
        bool changed = false;
        for (const Goal& goal : goals) {
            try {
                bytes = *WithGoalChanged(bytes, std::nullopt, goal);
                changed = true;
            } catch (const InvalidValueError&) {
                // The file has a goal of that period and bike already: it stays.
            }
        }
        return changed;
    });
}

Goal ReadGoal(int year, int month, std::string_view km, std::string_view rides,
              std::string_view hours, std::string bike) {
    Goal goal{year, month, 0, std::nullopt, std::nullopt, std::move(bike)};
    const auto distance = ParseCommaNumber(Trimmed(km));
    if (!distance) throw InvalidValueError("Cíl musí být kladný počet kilometrů.");
    goal.km = *distance;
    if (const std::string_view text = Trimmed(rides); !text.empty()) {
        const auto count = ParseCommaNumber(text);
        if (!count || *count != std::floor(*count) || *count < 1 || *count > 1e9)
            throw InvalidValueError("Počet jízd musí být kladné celé číslo, nebo nic.");
        goal.rides = static_cast<int>(*count);
    }
    if (const std::string_view text = Trimmed(hours); !text.empty()) {
        goal.hours = ParseCommaNumber(text);
        if (!goal.hours)
            throw InvalidValueError("Čas jízdy musí být kladný počet hodin, nebo nic.");
    }
    CheckGoal(goal);
    return goal;
}

std::vector<GoalDone> DoneTowards(const RecordTable& table, const std::vector<Goal>& goals,
                                  const RegionalSettings& regional) {
    std::vector<GoalDone> done(goals.size());
    if (goals.empty()) return done;
    const auto dates = table.Dates(Field::Date, regional);
    const auto km = table.Decimals(Field::DistanceKm);
    const auto times = table.RideTimes(Field::RideTime);
    const auto [firstYear, lastYear] = std::minmax_element(
        goals.begin(), goals.end(), [](const Goal& a, const Goal& b) { return a.year < b.year; });
    for (std::size_t i = 0; i < table.size(); ++i) {
        const DateValue& date = dates[i];
        if (!date.valid() || date.year < firstYear->year || date.year > lastYear->year) continue;
        for (std::size_t g = 0; g < goals.size(); ++g) {
            const Goal& goal = goals[g];
            if (goal.year != date.year || (goal.month != 0 && goal.month != date.month)) continue;
            if (!goal.bike.empty() && table[i].Get(Field::Bike) != goal.bike) continue;
            GoalDone& d = done[g];
            ++d.rides;
            if (km[i] >= 0) d.km += km[i];
            if (const double minutes = times[i].Minutes(); minutes >= 0) d.minutes += minutes;
        }
    }
    return done;
}

GoalProgress ProgressOf(const Goal& goal, const GoalDone& done, const Date& today) {
    GoalProgress p;
    p.goal = goal;
    p.done = done;
    const DateSpan span = GoalDays(goal);
    const auto first = static_cast<long long>(DayNumber(span.first));
    const auto last = static_cast<long long>(DayNumber(span.last));
    const auto now = static_cast<long long>(DayNumber(today));
    p.days = static_cast<int>(last - first + 1);
    p.started = now >= first;
    p.over = now > last;
    p.daysGone = static_cast<int>(std::clamp(now - first, 0LL, last - first + 1));
    p.percent = done.km / goal.km * 100;
    p.planKm = goal.km * p.daysGone / p.days;
    p.aheadKm = done.km - p.planKm;
    p.leftKm = std::max(0.0, goal.km - done.km);
    if (!p.over) {
        const int daysLeft = p.days - p.daysGone;
        p.perDay = p.leftKm / daysLeft;
        p.perWeek = daysLeft < 7 ? p.leftKm : p.leftKm * 7 / daysLeft;
    }
    if (p.over) {
        p.forecastKm = done.km;
    } else if (p.started) {
        p.forecastKm = done.km * p.days / (p.daysGone + 1);
    }
    return p;
}

std::string GoalPeriodText(const Goal& goal) {
    if (goal.month == 0) return PlainNumberText(goal.year);
    return std::string(kMonthNames[static_cast<std::size_t>(goal.month - 1)]) + " " +
           PlainNumberText(goal.year);
}

std::array<std::string, 11> GoalTexts(const GoalProgress& p, const RegionalSettings& regional) {
    const Goal& goal = p.goal;
    const std::string none = "–";
    std::string plan;
    if (p.over) {
        plan = p.leftKm > 0 ? "chybělo " + FormatWhole(p.leftKm, regional) + " km" : "splněno";
    } else if (!p.started) {
        plan = "ještě nezačal";
    } else if (const double ahead = std::round(p.aheadKm); ahead > 0) {
        plan = "+" + FormatWhole(ahead, regional) + " km před plánem";
    } else if (ahead < 0) {
        plan = "−" + FormatWhole(-ahead, regional) + " km za plánem";
    } else {
        plan = "podle plánu";
    }
    std::string rides = PlainNumberText(p.done.rides);
    if (goal.rides) rides += " z " + PlainNumberText(*goal.rides);
    std::string time = FormatMinutes(p.done.minutes);
    if (goal.hours) time += " z " + FormatWhole(*goal.hours, regional) + " h";
    return {
        GoalPeriodText(goal),
        std::string(),
        FormatWhole(goal.km, regional),
        FormatWhole(p.done.km, regional),
        PlainNumberText(static_cast<long long>(std::floor(p.percent))) + " %",
        plan,
        p.perWeek ? FormatWhole(*p.perWeek, regional) + " km" : none,
        p.perDay ? Cp1250ToUtf8(FormatTenths(*p.perDay, regional)) + " km" : none,
        p.forecastKm ? FormatWhole(*p.forecastKm, regional) : none,
        rides,
        time,
    };
}

const Goal* YearGoal(const std::vector<Goal>& goals, int year, std::string_view bike) {
    const auto it = std::find_if(goals.begin(), goals.end(), [&](const Goal& g) {
        return g.year == year && g.month == 0 && g.bike == bike;
    });
    return it == goals.end() ? nullptr : &*it;
}

std::string GoalNote(const std::vector<Goal>& goals, const RecordTable& table, const Date& today,
                     const RegionalSettings& regional) {
    const Goal* goal = YearGoal(goals, today.year, "");
    if (goal == nullptr) {
        const auto it = std::find_if(goals.begin(), goals.end(), [&](const Goal& g) {
            return g.year == today.year && g.month == 0;
        });
        if (it == goals.end()) return {};
        goal = &*it;
    }
    const GoalProgress p = ProgressOf(*goal, DoneTowards(table, {*goal}, regional).front(), today);
    std::string note = "Cíl " + PlainNumberText(goal->year);
    if (!goal->bike.empty()) note += " (" + Cp1250ToUtf8(goal->bike) + ")";
    note +=
        ": " + FormatWhole(p.done.km, regional) + " z " + FormatWhole(goal->km, regional) + " km, ";
    note += p.leftKm > 0 ? "zbývá " + FormatWhole(*p.perWeek, regional) + " km týdně" : "splněno";
    return note;
}

std::vector<double> EvenPace(const Goal& goal) {
    const int days = ProgressOf(goal, {}, {goal.year, 1, 1}).days;
    std::vector<double> km(static_cast<std::size_t>(days));
    for (int d = 0; d < days; ++d) km[static_cast<std::size_t>(d)] = goal.km * (d + 1) / days;
    return km;
}

}  // namespace diary

#pragma once
// Goals: a target of kilometres, and if the rider wants one of rides and of ride time, for a
// year or for one month of it, for every bike together or for one; what the diary's rides have
// done towards each, and what it takes from today on to reach it.

#include <array>
#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "diary/file_lock.h"
#include "diary/regional.h"

namespace diary {

class RecordTable;

// ---------------------------------------------------------------------------------------------
// The diary file. Goals travel with the diary, in a section of their own beside the rides:
//
//   [Cile]       keys 1..n: period§km§rides§ride time in hours§bike§
//   1=2026§5000§§§§
//   2=2026-10§400§12§20§Favorit§
//
// The period is a year, or a year and its month (YYYY-MM); numbers are plain with a decimal
// point, so the file reads the same under any regional settings. An empty rides or ride time
// is no target of them, an empty bike is every bike. Text after the fifth separator is
// ignored. Older versions read only the rides' section and keep this one when they write; a
// change of a goal rewrites only that goal's line (and the keys after a removed one).

inline constexpr std::string_view kGoalSection = "Cile";

struct Goal {
    int year = 0;
    int month = 0;                               // 1..12; 0: the whole year
    double km = 0;                               // above 0
    std::optional<int> rides = std::nullopt;     // above 0 when set
    std::optional<double> hours = std::nullopt;  // above 0 when set
    std::string bike = {};  // code page 1250, as the rides carry it; empty: every bike
    bool operator==(const Goal&) const = default;
};

// Throws InvalidValueError (Czech) for a goal the file could not hold: a year outside
// 1900..9999, a month outside 0..12, kilometres, rides or hours that are not above zero (or not
// finite), a bike name CheckBikeName refuses.
void CheckGoal(const Goal& goal);

// Throws InvalidValueError (Czech) when one of `others` is of the same period and bike as `goal`:
// a period and bike have one goal at most.
void CheckGoalIsNew(const Goal& goal, const std::vector<Goal>& others);

// The goals of a diary file's bytes, in key order; an entry that does not read as a goal is left
// out (and left in the file).
std::vector<Goal> GoalsOf(std::string_view bytes);

// The bytes with goal `old` (the first entry that reads as it) replaced by `now`; no `old`:
// `now` added at the end; no `now`: `old` removed. Nullopt when `old` is no longer in the bytes
// (another program changed or removed it). Throws InvalidValueError when `now` is refused by
// CheckGoal or another goal already has its period and bike. A file without bytes gets an
// empty rides' section first, so that it opens as a diary.
std::optional<std::string> WithGoalChanged(std::string bytes, const std::optional<Goal>& old,
                                           const std::optional<Goal>& now);

struct GoalChange {
    // False when `old` was no longer in the file: nothing was written.
    bool applied = true;
    // The diary's bytes after the call.
    std::shared_ptr<const std::string> bytes;
    // The file held exactly the caller's `known` bytes when the lock was taken: the rides are
    // as the caller's list shows them.
    bool followsKnown = false;
};

// WithGoalChanged on the diary at `path`, one transaction under the diary's lock as every
// change of a ride; BusyError, ReadError and WriteError as there, the file as it was.
[[nodiscard]] GoalChange ChangeGoal(const std::string& path, const std::optional<Goal>& old,
                                    const std::optional<Goal>& now,
                                    std::chrono::milliseconds timeout = kLockTimeout,
                                    const std::shared_ptr<const std::string>& known = nullptr);

// Adds every goal of `goals` that the diary at `path` has no goal of the same period and bike
// for, in one save under the diary's lock: a diary saved under another name takes its goals
// along.
void AddGoals(const std::string& path, const std::vector<Goal>& goals);

// The goal a rider typed: kilometres, rides and hours with a decimal comma or point (rides and
// hours may be empty). Throws InvalidValueError with a Czech message for what does not read,
// then for whatever CheckGoal refuses.
Goal ReadGoal(int year, int month, std::string_view km, std::string_view rides,
              std::string_view hours, std::string bike);

// ---------------------------------------------------------------------------------------------
// What it takes.

// What the rides dated in a goal's period (and on its bike) add up to. A distance or ride time
// that does not read adds nothing; the ride still counts. Undated rides count for no goal.
struct GoalDone {
    double km = 0;
    std::size_t rides = 0;
    double minutes = 0;
};

// For each goal, in one pass over the rows.
std::vector<GoalDone> DoneTowards(const RecordTable& table, const std::vector<Goal>& goals,
                                  const RegionalSettings& regional);

struct GoalProgress {
    Goal goal;
    GoalDone done;
    int days = 0;      // the period's days
    int daysGone = 0;  // the period's days before today: all of them once it is over
    bool started = false;
    bool over = false;  // today is after the period's last day
    double percent = 0;
    // Where an even pace from the first day would be by the start of today, and how far the
    // rides are ahead of it (below 0: behind).
    double planKm = 0;
    double aheadKm = 0;
    double leftKm = 0;  // still to ride; 0 once reached
    // What it takes from today (today included) to the period's end; none once it is over.
    std::optional<double> perWeek;  // less than a week left: all that is left
    std::optional<double> perDay;
    // The kilometres at the period's end at the pace of the days so far (today included); what
    // was ridden once it is over; none before it started.
    std::optional<double> forecastKm;
};

GoalProgress ProgressOf(const Goal& goal, const GoalDone& done, const Date& today);

// ---- Texts, UTF-8 ----

// Whole kilometres with the user's separator between groups of three digits: "5 000".
std::string FormatWhole(double value, const RegionalSettings& regional);

// "2026", "říjen 2026".
std::string GoalPeriodText(const Goal& goal);

inline constexpr std::array<std::string_view, 11> kGoalCaptions = {
    "Období",       "Kolo",  "Cíl (km)", "Ujeto (km)",          "Splněno",
    "Oproti plánu", "Týdně", "Denně",    "Odhad na konci (km)", "Jízdy",
    "Čas jízdy",
};

// One row of the goals window in the order of kGoalCaptions, the bike's column left empty for
// the window (it names the bike in its own way): "5 000", "3 412", "68 %", "+134 km před
// plánem" / "−80 km za plánem", "38 km", "5,4 km", "4 890", "45 z 200", "50 h 12 min z 150 h".
std::array<std::string, 11> GoalTexts(const GoalProgress& progress,
                                      const RegionalSettings& regional);

// The status bar's line about this year's goal for every bike (else the first yearly goal of
// one bike): "Cíl 2026: 3 412 z 5 000 km, zbývá 38 km týdně". Empty when this year has none.
std::string GoalNote(const std::vector<Goal>& goals, const RecordTable& table, const Date& today,
                     const RegionalSettings& regional);

// The even pace of a yearly goal through its year: kilometres by the end of each day, [0]
// being 1 January. What the overview draws beside the year's kilometres.
std::vector<double> EvenPace(const Goal& goal);

// The yearly goal of `year` for `bike` (empty: every bike), if there is one.
const Goal* YearGoal(const std::vector<Goal>& goals, int year, std::string_view bike);

}  // namespace diary

#pragma once
// Bikes: their list and their service parts in the settings file, what each bike and each part
// has done according to a diary, and renaming or removing a bike in every ride of a diary.

#include <array>
#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "diary/file_lock.h"
#include "diary/record.h"
#include "diary/regional.h"

namespace diary {

class RecordTable;

// ---------------------------------------------------------------------------------------------
// The settings file. Older versions ignore both sections, and every write keeps the rest of
// the file byte for byte.
//
//   [kola]             the bikes, keys 1..n as the place lists are kept
//   1=Favorit
//   [servis]           the parts, keys 1..n: bike§part§fitted (YYYY-MM-DD)§interval in km§
//   1=Favorit§řetěz§2024-03-01§3000§
//
// A part names its bike rather than its position in the list, so reordering or removing
// bikes never hands a part to another bike. The fitted date is ISO, not the user's format, so
// the file reads the same under any regional settings; the interval is a plain number with a
// decimal point. Text after a part's fourth separator is ignored.

inline constexpr std::string_view kBikeSection = "kola";
inline constexpr std::string_view kServiceSection = "servis";

// A part that is due for service after a distance: a chain, tyres, brake pads.
struct ServicePart {
    std::string bike;       // the bike's name as its rides carry it (code page 1250)
    std::string name;       // the part (code page 1250)
    Date fitted;            // the rides of this day and later count towards it
    double intervalKm = 0;  // due once those rides reach this many km; 0: never due
    bool operator==(const ServicePart&) const = default;
};

// Throws InvalidValueError (Czech) for a part the settings could not hold: a bike name that
// CheckBikeName refuses, an empty name or one holding "§", CR, LF or NUL, a date that does not
// exist, an interval that is negative or not a finite number.
void CheckServicePart(const ServicePart& part);

// The bikes of section "kola" in key order up to the first missing key. Names no ride could
// carry (empty, holding "§") and repeats of an earlier name are left out, so what is read can
// always be written back.
std::vector<std::string> ReadBikeList(const std::string& settingsPath);
// The parts of section "servis"; an entry that does not read as a part is left out.
std::vector<ServicePart> ReadServiceParts(const std::string& settingsPath);
// Both from one read of the file.
struct BikeSettings {
    std::vector<std::string> bikes;
    std::vector<ServicePart> parts;
    bool operator==(const BikeSettings&) const = default;
};
BikeSettings ReadBikeSettings(const std::string& settingsPath);

// Every write below is one transaction under the settings file's lock (file_lock.h), as every
// settings write is: BusyError when another instance holds it too long, WriteError when the
// file cannot be saved; in each case the file is as it was.

// Each rewrites its section from the list (keys 1..n; an empty list leaves the section out) in
// one atomic save; every other section stays. A bike list with a name CheckBikeName refuses
// or a name twice, and a part CheckServicePart refuses, are refused before anything is written.
void WriteBikeList(const std::string& settingsPath, const std::vector<std::string>& bikes);
void WriteServiceParts(const std::string& settingsPath, const std::vector<ServicePart>& parts);
// Both in one save.
void WriteBikeSettings(const std::string& settingsPath, const std::vector<std::string>& bikes,
                       const std::vector<ServicePart>& parts);

// The changes the windows make, each on the file as it is when the lock is held, so that bikes
// and parts another program saved meanwhile stay. Each returns whether it wrote anything.

// Adds `name` at the end of the list unless the list has it already. A name CheckBikeName
// refuses is refused before anything is read.
bool AddBike(const std::string& settingsPath, std::string_view name);
// Bike `from` becomes `to` in the list and in its parts, in one save. When `to` is already in
// the list the two become one entry at the place of the first; an empty `to` removes the bike
// and its parts. Nothing is written when `from` is in neither.
bool RenameBikeInSettings(const std::string& settingsPath, std::string_view from,
                          std::string_view to);
// Replaces the first part equal to `old` by `now` (the same place in the list), adds `now` at
// the end when there is no `old`, removes `old` when there is no `now`. When `old` is no longer
// in the file (another program changed or removed it) nothing is written. A `now` that
// CheckServicePart refuses is refused before anything is read.
bool ChangeServicePart(const std::string& settingsPath, const std::optional<ServicePart>& old,
                       const std::optional<ServicePart>& now);

// ---------------------------------------------------------------------------------------------
// The rides of a diary.

// What a change of a bike across a diary did.
struct BikeRideChange {
    // False when the diary's rides on the bike were not as many as the caller expected: another
    // program changed them since the list was read, and nothing was written.
    bool applied = true;
    std::string bike;       // the bike that was to change
    std::size_t rides = 0;  // the rides on it in the file: the ones changed when applied
    // The diary's bytes after the call (empty for a missing file), shared with Rows().
    std::shared_ptr<const std::string> bytes;

    // The diary's rows after the call, without reading the file again.
    std::vector<RecordRow> Rows() const;
    // Why nothing was changed, in Czech for the user; empty when the change was applied.
    std::string Message() const;
};

// Every ride of the diary at `path` on bike `from` is on bike `to` afterwards, in one atomic
// save under the diary's lock (the same transaction as every change of a ride); an empty `to`
// leaves those rides without a bike. With `expectedRides` the change is made only when the file
// has exactly that many rides on `from` (what the user was asked about). Only the bike fields
// of those lines change: every other byte of the file stays, rides after a gap in the numbering
// (which no list shows) included. With no ride to change, or no file, nothing is written. A
// `to` that CheckBikeName refuses is refused before anything is read; BusyError, ReadError and
// WriteError as for every change of a diary, the file as it was.
[[nodiscard]] BikeRideChange RenameBikeInDiary(
    const std::string& path, std::string_view from, std::string_view to,
    std::optional<std::size_t> expectedRides = std::nullopt,
    std::chrono::milliseconds timeout = kLockTimeout);
// RenameBikeInDiary(path, bike, ""): the rides stay, without a bike.
[[nodiscard]] BikeRideChange RemoveBikeFromDiary(
    const std::string& path, std::string_view bike,
    std::optional<std::size_t> expectedRides = std::nullopt,
    std::chrono::milliseconds timeout = kLockTimeout);

// The same change on a diary file's bytes; `changed` receives the number of rides changed.
// What RenameBikeInDiary saves, for a caller that reads and saves the file itself.
std::string RenameBikeInDiaryBytes(std::string_view bytes, std::string_view from,
                                   std::string_view to, std::size_t& changed);

// ---------------------------------------------------------------------------------------------
// Figures.

// What one bike's rides add up to. Distances and ride times are read as the statistics read
// them (a distance that is no number and a ride time that does not read count as 0); dates in
// the user's short date format (a date that does not read is in no first or last ride).
struct BikeFigures {
    std::string bike;  // empty: the rides without a bike
    std::size_t rides = 0;
    double km = 0;
    double hours = 0;
    std::optional<Date> first;
    std::optional<Date> last;
};

// One entry for each bike of `bikes`, in that order, rides or not; then each bike that only
// rides name, in the order of its first ride; then the rides without a bike, when there are.
std::vector<BikeFigures> ComputeBikeFigures(const RecordTable& table,
                                            const std::vector<std::string>& bikes,
                                            const RegionalSettings& regional);

inline constexpr std::array<std::string_view, 6> kBikeFigureCaptions = {
    "Kolo",  // these literals are UTF-8; the app shows them as they are
    "Jízd", "Ujeto (km)", "Čas jízdy", "První jízda", "Poslední jízda",
};
// The rides without a bike stand under this name (ASCII, so the same in UTF-8 and 1250).
inline constexpr std::string_view kNoBikeName = "bez kola";

// One row of the per-bike grid as code page 1250 texts, in the order of kBikeFigureCaptions:
// the bike's name (kNoBikeName for none), the rides, the kilometres (with the user's decimal
// separator), the ride time ("<H> h <M> min"), the dates of the first and the last ride in the
// user's format (empty when no date reads).
std::array<std::string, 6> BikeFigureTexts(const BikeFigures& figures,
                                           const RegionalSettings& regional);

// The bikes the rides of `table` carry, each once, in the order CompareTexts gives (then byte
// order): what the overview offers to filter by.
std::vector<std::string> BikesOfRides(const RecordTable& table);

// A part and the kilometres its bike has ridden since it was fitted: the distances of that
// bike's rides dated on or after the fitted day (a ride whose date does not read counts for
// no part). Due when its interval is set and those kilometres have reached it.
struct PartStatus {
    ServicePart part;
    double kmDone = 0;
    bool due = false;
};

// Every part of `parts`, in that order.
std::vector<PartStatus> ComputePartStatus(const RecordTable& table,
                                          const std::vector<ServicePart>& parts,
                                          const RegionalSettings& regional);
// Only the parts that are due.
std::vector<PartStatus> DueParts(const RecordTable& table, const std::vector<ServicePart>& parts,
                                 const RegionalSettings& regional);

inline constexpr std::array<std::string_view, 5> kPartStatusCaptions = {
    "Díl",  // UTF-8, as kBikeFigureCaptions
    "Namontován", "Interval (km)", "Ujeto od montáže (km)", "Stav",
};
// One row of a bike's parts as code page 1250 texts, in the order of kPartStatusCaptions: the
// part, the fitted day in the user's format, the interval and the kilometres done since (with
// the user's decimal separator; no interval is empty), and the state: "Čas na servis" for a
// part that is due, "zbývá <N> km" for one that is not, empty without an interval.
std::array<std::string, 5> PartStatusTexts(const PartStatus& status,
                                           const RegionalSettings& regional);

// The part a rider typed: the fitted day in the user's short date format, the interval a
// number with a decimal comma or point (empty: none). Throws InvalidValueError with a Czech
// message for a day that does not read and an interval that is no number, then for whatever
// CheckServicePart refuses.
ServicePart ReadServicePart(std::string bike, std::string name, std::string_view fitted,
                            std::string_view intervalKm, const RegionalSettings& regional);

// A one-line note of the due parts for the status bar, in code page 1250:
// "Čas na servis: Favorit – řetěz (3120 km z 3000 km); ...". Empty when none is due.
std::string DuePartsNote(const std::vector<PartStatus>& due, const RegionalSettings& regional);

}  // namespace diary

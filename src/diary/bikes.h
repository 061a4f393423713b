#pragma once
// Bikes: their list and their service parts in the diary file, what each bike and each part has
// done according to the diary's rides, and renaming or removing a bike in all of them at once.

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
// The diary file. Bikes and their parts travel with the diary, in two sections of their own
// beside the rides ("Data") and the goals ("Cile"):
//
//   [Kola]             the bikes, keys 1..n as the place lists are kept
//   1=Favorit
//   [Servis]           the parts, keys 1..n: bike§part§fitted (YYYY-MM-DD)§interval in km§
//   1=Favorit§řetěz§2024-03-01§3000§
//
// A part names its bike rather than its position in the list, so reordering or removing
// bikes never hands a part to another bike. The fitted date is ISO, not the user's format, so
// the file reads the same under any regional settings; the interval is a plain number with a
// decimal point. Text after a part's fourth separator is ignored. Older versions read only the
// rides' section and keep these when they write.
//
// Once a diary has bikes or parts, their section stays, empty, when the last one goes: the
// diary is never given the settings file's bikes again (see MoveBikesIntoDiary).
//
// Before, the same sections lived in the settings file ("kola" and "servis": section names
// match without regard to case, so one reader serves both files). The settings keep them for
// older versions; this version only reads them, to move them into a diary once.

inline constexpr std::string_view kBikeSection = "Kola";
inline constexpr std::string_view kServiceSection = "Servis";

// A part that is due for service after a distance: a chain, tyres, brake pads.
struct ServicePart {
    std::string bike;       // the bike's name as its rides carry it (code page 1250)
    std::string name;       // the part (code page 1250)
    Date fitted;            // the rides of this day and later count towards it
    double intervalKm = 0;  // due once those rides reach this many km; 0: never due
    bool operator==(const ServicePart&) const = default;
};

// Throws InvalidValueError (Czech) for a part the file could not hold: a bike name that
// CheckBikeName refuses, an empty name or one holding "§", CR, LF or NUL, a date that does not
// exist, an interval that is negative or not a finite number.
void CheckServicePart(const ServicePart& part);

struct BikeSettings {
    // Section "Kola" in key order up to the first missing key. Names no ride could carry
    // (empty, holding "§") and repeats of an earlier name are left out, so what is read can
    // always be written back.
    std::vector<std::string> bikes;
    // Section "Servis"; an entry that does not read as a part is left out.
    std::vector<ServicePart> parts;
    bool operator==(const BikeSettings&) const = default;
};

// The bikes and parts of a diary's (or an older settings file's) bytes.
BikeSettings BikesOf(std::string_view bytes);
// The same of the file at `path`; a missing file has none. Throws ReadError.
BikeSettings ReadBikeSettings(const std::string& path);
// Whether the bytes hold either section, even an empty one.
bool HasBikeSections(std::string_view bytes);

// The bytes with both sections holding `bikes` (keys 1..n; an empty list leaves the header of
// a section the file has, and adds none), every other line as it was. Later copies of a section
// lose their key lines, which no reader reaches and which would otherwise come to light once the
// first copy is gone. A file without bytes gets an empty rides' section first, so that it opens as
// a diary. A list with a name CheckBikeName refuses or a name twice, and a part CheckServicePart
// refuses, throw InvalidValueError.
std::string WithBikes(std::string bytes, const BikeSettings& bikes);

// The merge of a diary with its copy from another computer: `resultBytes` with its bike
// sections holding the union of both files' bikes (its own order, then the other's new ones)
// and parts (keyed by bike and part: one side only is kept; both and different, the one fitted
// later, the result's on the same day). Every other byte of `resultBytes` stays; when the union
// is what `resultBytes` holds already, they are returned as they are.
std::string MergeBikeSections(std::string_view resultBytes, std::string_view otherBytes);

// What a change of the bikes of a diary did. Every change below is one transaction under the
// diary's lock, on the file as it is when the lock is held (bikes, parts and rides another
// program saved meanwhile stay), in one atomic save; BusyError, ReadError and WriteError as for
// every change of a diary, the file as it was. A name or part that is refused throws
// InvalidValueError before anything is read.
struct BikeChange {
    // False when the file was not as the caller expected (the rides on a bike were not as many,
    // a part was changed or removed meanwhile): nothing was written.
    bool applied = true;
    std::string bike;       // the bike whose rides were to change
    std::size_t rides = 0;  // the rides on it in the file: the ones changed when applied
    // The file held exactly the caller's `known` bytes when the lock was taken: the rides are
    // as the caller's list shows them.
    bool followsKnown = false;
    // The diary's bytes after the call (empty for a missing file), shared with Rows().
    std::shared_ptr<const std::string> bytes;

    // The diary's rows after the call, without reading the file again.
    std::vector<RecordRow> Rows() const;
    // Why the rides were not changed, in Czech for the user; empty when the change was applied.
    std::string Message() const;
};

// Adds each of `names` the list does not hold yet at its end; nothing is written when it holds
// them all.
[[nodiscard]] BikeChange AddBikes(const std::string& path, const std::vector<std::string>& names,
                                  std::chrono::milliseconds timeout = kLockTimeout,
                                  const std::shared_ptr<const std::string>& known = nullptr);

// Bike `from` becomes `to` in every ride, in the list and in its parts, in one save. When `to`
// is in the list already the two become one entry at the place of the first; `to` joins the
// list when it is not in it. An empty `to` removes the bike and its parts and leaves its rides
// without a bike. With `expectedRides` the change is made only when the file has exactly that
// many rides on `from` (what the user was asked about). Only the bike fields of those lines
// change in the rides' section: every other byte of it stays, rides after a gap in the
// numbering (which no list shows) included. Nothing is written when there is nothing to change,
// nor for a missing file.
[[nodiscard]] BikeChange RenameBikeInDiary(const std::string& path, std::string_view from,
                                           std::string_view to,
                                           std::optional<std::size_t> expectedRides = std::nullopt,
                                           std::chrono::milliseconds timeout = kLockTimeout);
// RenameBikeInDiary(path, bike, ""): the rides stay, without a bike.
[[nodiscard]] BikeChange RemoveBikeFromDiary(
    const std::string& path, std::string_view bike,
    std::optional<std::size_t> expectedRides = std::nullopt,
    std::chrono::milliseconds timeout = kLockTimeout);

// Replaces the first part equal to `old` by `now` (the same place in the list), adds `now` at
// the end when there is no `old`, removes `old` when there is no `now`; the bike of `now` joins
// the list when it is not in it. When `old` is no longer in the file nothing is written and the
// change is not applied.
[[nodiscard]] BikeChange ChangeServicePart(
    const std::string& path, const std::optional<ServicePart>& old,
    const std::optional<ServicePart>& now, std::chrono::milliseconds timeout = kLockTimeout,
    const std::shared_ptr<const std::string>& known = nullptr);

// Both sections of the diary at `path` replaced by `bikes`, in one save under its lock.
void WriteBikes(const std::string& path, const BikeSettings& bikes);

// Whether a diary of `diaryBytes` is to take the bikes and parts an older version kept in the
// settings file: it has no bike sections of its own, the settings have bikes or parts, and one
// of its rides is on a bike they name. A diary that had bikes keeps its section "Kola" (empty
// once the last bike went), so it takes them once at most; a diary of other bikes, or a new
// one, is left alone.
bool TakesSettingsBikes(std::string_view diaryBytes, const BikeSettings& settings);
// Copies `settings` into the diary at `path` when TakesSettingsBikes holds for the file as it
// is under the lock; returns whether it did.
bool MoveBikesIntoDiary(const std::string& path, const BikeSettings& settings,
                        std::chrono::milliseconds timeout = kLockTimeout);

// The same change of the rides on the bytes of a diary; `changed` receives the number of rides
// changed. The bike sections are left as they are.
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

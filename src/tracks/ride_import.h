#pragma once
// The rides of a service's export, before anything is written: a Strava bulk export (its
// activities.csv and the tracks it names), a Garmin export (FIT files anywhere in nested zips),
// or any zip or folder of tracks, each activity one candidate with what would happen to it.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "diary/record.h"
#include "diary/regional.h"
#include "tracks/archive_members.h"
#include "tracks/track.h"

namespace tracks {

enum class ImportStatus {
    New,         // "nová"
    Duplicate,   // "už v deníku": in the diary, or earlier in the same import
    NotARide,    // "není jízda na kole": a run, a swim; unticked at first
    Unreadable,  // "nečitelná": the reason says why
};

struct ImportCandidate {
    std::string source;  // the member it came from (UTF-8): the track, or the CSV's row
    TrackSummary ride;   // from the track when there is one, else from the CSV's columns
    bool hasRide = false;
    std::string bike;  // UTF-8, as the export names it
    std::string type;  // the export's activity type (UTF-8); empty for a bare track
    ImportStatus status = ImportStatus::New;
    std::string reason;  // why it cannot be read (UTF-8, Czech)

    // Ticked in the preview at first.
    bool Wanted() const { return status == ImportStatus::New; }
};

// One table cell of Strava's activities.csv and the header's columns. Columns are found by
// name and occurrence: the header repeats "Elapsed Time" and "Distance".
class ActivityTable {
public:
    // RFC 4180 text (quoted fields, embedded line breaks). Throws TrackError naming `path` when
    // it is not a CSV with a header.
    ActivityTable(std::string_view bytes, const std::string& path);
    std::size_t size() const { return rows_.size(); }
    // Row `row`'s cell under the `occurrence`-th (0, 1, ...) column `name`; empty when none.
    std::string_view Cell(std::size_t row, std::string_view name, int occurrence = 0) const;

private:
    std::vector<std::string> header_;
    std::vector<std::vector<std::string>> rows_;
};

// "Jul 1, 2025, 6:30:00 AM" (the export's English date, UTC) as seconds since 1970-01-01 UTC.
std::optional<std::int64_t> ParseActivityDate(std::string_view text);

// Whether the export's activity type is ridden on a bike: "Ride", "E-Bike Ride", "Virtual
// Ride", "Mountain Bike Ride", "Gravel Ride", "Handcycle", "Velomobile"…; an empty type (a
// bare track) counts as a ride.
bool IsCyclingType(std::string_view type);

// Reads the chosen files and folders to candidates in the order found (CSV rows first, then
// the tracks no row names). Statuses are New, NotARide or Unreadable; MarkDuplicates decides
// the rest. ReadCancelled passes through.
std::vector<ImportCandidate> ReadExport(const std::vector<std::string>& paths,
                                        const ReadControl& control = {},
                                        const ArchiveLimits& limits = {});
// The same for one archive or file in memory called `name`.
std::vector<ImportCandidate> ReadExportBytes(const std::string& name, std::string_view bytes,
                                             const ArchiveLimits& limits = {});

// A candidate that would be a ride already there: the same local date, the distance within 1 %
// (at least 0.2 km) and the ride time within 3 minutes, each or both missing on both sides.
// Checked against the diary's `rows` (in `regional`'s date format) and the candidates before
// it; a New candidate that matches becomes Duplicate.
void MarkDuplicates(std::vector<ImportCandidate>& candidates,
                    const std::vector<diary::RecordRow>& rows,
                    const diary::RegionalSettings& regional);

// The diary records of the `chosen` candidates in the order ridden (undated last, as given):
// their fields (code page 1250) as a track fills them, without odometer readings (an old ride
// added after newer ones has none that fits), and the bike. Texts a diary line cannot hold
// ("§", line breaks) become blanks, and a bike's name that cannot be kept is left out.
std::vector<diary::DiaryRecord> ImportRecords(const std::vector<const ImportCandidate*>& chosen,
                                              const diary::RegionalSettings& regional);

}  // namespace tracks

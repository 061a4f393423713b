#pragma once
// What the entry dialog calls: a track file in, the texts of a new ride out.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "diary/record.h"
#include "diary/regional.h"
#include "tracks/track.h"

namespace tracks {

// The track in `bytes`, its format told by content (the FIT header, else the XML root
// element), whatever the file is called. Throws TrackError naming `path`.
Track ReadTrack(std::string_view bytes, const std::string& path);

// Reads the file at `path` and summarizes it. Throws TrackError (a missing, unreadable or
// larger than 512 MiB file included), each with a Czech message naming the file.
TrackSummary ReadTrackFile(const std::string& path);

// The calendar date, in the machine's time zone, of a moment given as seconds since
// 1970-01-01 00:00 UTC; nullopt beyond what the C library can convert.
std::optional<diary::Date> LocalDate(std::int64_t utcSeconds);

// The ride's field texts (code page 1250), the others left empty: Date (the start's local date
// in the user's short date format), DistanceKm, AvgSpeed and MaxSpeed (one decimal, the user's
// decimal separator), RideTime ("<H> h <M> min", the moving time to the nearest minute) and
// Note (the track's name; characters code page 1250 lacks become "?", and it is cut to the
// note's 255 characters). What the file did not tell stays empty: without time stamps only
// the distance (and the name) is filled.
diary::DiaryRecord RideFields(const TrackSummary& summary, const diary::RegionalSettings& regional);

}  // namespace tracks

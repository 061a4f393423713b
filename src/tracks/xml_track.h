#pragma once
// GPX (1.0 and 1.1) and TCX tracks, read through pugixml.

#include <optional>
#include <string>
#include <string_view>

#include "tracks/track.h"

namespace tracks {

// The points of every track and segment of a GPX file (routes and waypoints are not rides),
// or of every lap of every activity of a TCX file; `path` names the file in errors.
// Throws TrackError: not a track of that kind, damaged XML or values, no points.
Track ReadGpx(std::string_view bytes, const std::string& path);
Track ReadTcx(std::string_view bytes, const std::string& path);
// Either of the two, by the document's root element.
Track ReadXmlTrack(std::string_view bytes, const std::string& path);

// "2024-05-18T08:00:00Z", with optional fractions of a second and an offset ("+02:00",
// "-0130"); no zone means UTC, as GPX and TCX say. Seconds since 1970-01-01 00:00 UTC.
std::optional<double> ParseIsoTime(std::string_view text);

}  // namespace tracks

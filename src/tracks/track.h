#pragma once
// A ride read from a GPS track (GPX, TCX or FIT) and the figures the diary takes from it.
// Standard C++ only; the readers hand over their points, Summarize() decides what they mean.

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "diary/errors.h"

namespace tracks {

inline constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();

// One recorded point. Any part may be missing (NaN): a GPX point has no device distance, an
// indoor TCX point no position, a track without a clock no time.
struct TrackPoint {
    double time = kNoValue;      // seconds since 1970-01-01 00:00 UTC
    double lat = kNoValue;       // degrees
    double lon = kNoValue;       // degrees
    double distance = kNoValue;  // the device's running total, metres
    double speed = kNoValue;     // the device's own speed, metres per second
    // The first point of a GPX segment or track, or of a TCX track: the recording stopped
    // before it, so no distance is drawn to it from the point before.
    bool startsSegment = false;

    bool HasTime() const { return !std::isnan(time); }
    bool HasPosition() const { return !std::isnan(lat) && !std::isnan(lon); }
    // A point that says where the rider was; the others (heart rate alone) are passed over.
    bool Locates() const { return HasPosition() || !std::isnan(distance); }
};

// Totals the device wrote itself (a FIT session); they win over what the points give.
struct DeviceTotals {
    double startTime = kNoValue;  // seconds since 1970-01-01 00:00 UTC
    double distance = kNoValue;   // metres
    double timerTime = kNoValue;  // seconds
    double maxSpeed = kNoValue;   // metres per second
};

// Everything a reader found, in file order: every track, segment and lap of the file is one
// ride.
struct Track {
    std::vector<TrackPoint> points;
    DeviceTotals totals;
    std::string name;  // UTF-8, blanks and line breaks folded into single spaces
};

struct TrackSummary {
    // Earliest time stamp; empty when the file has none.
    std::optional<std::int64_t> startUtc;
    double distanceMetres = 0;
    // Time spent riding, pauses left out; empty without time stamps.
    std::optional<double> movingSeconds;
    std::optional<double> averageSpeed;  // metres per second: distance / moving time
    std::optional<double> maxSpeed;      // metres per second
    std::string name;                    // UTF-8
};

// How the points become a ride:
// - A pause is a stretch between two consecutive points over which the rider moved slower than
//   kPauseSpeed (2 km/h): standing at a crossing with the device recording, or a gap in the
//   recording (auto-pause, the device stopped) spent in one place. A gap the rider covered at
//   riding pace (a tunnel without signal) counts as riding. Stretches across the start of a
//   new segment and stretches whose time runs backwards count as neither.
// - Distance is the device's own running total where both points carry it, else the distance
//   on the WGS 84 ellipsoid between their positions.
// - A GPS jump is one point the rider would have had to reach and leave faster than
//   kJumpSpeed (50 km/h) where the way through it is more than twice the straight way past it
//   and over kJumpSlack (20 m) longer: it is left out of distance and speeds.
// - Maximum speed is the best of speeds averaged over kSpeedWindow (5 s): the device's own
//   speeds where the points carry them, else distance over time across at least that window.
inline constexpr double kPauseSpeed = 2.0 / 3.6;
inline constexpr double kJumpSpeed = 50.0 / 3.6;
inline constexpr double kJumpSlack = 20.0;
inline constexpr double kSpeedWindow = 5.0;

TrackSummary Summarize(const Track& track);

// A track file that cannot be read as a ride. The message is Czech, for people, and names the
// file; being a ReadError, it is caught wherever a file read is.
class TrackError : public diary::ReadError {
public:
    TrackError(const std::string& path, const std::string& message)
        : diary::ReadError(path, message) {}
};

// A whole number in decimal, for messages and field texts.
std::string Decimal(std::int64_t value);

// The errors the readers share; each message names `path`.
TrackError NotATrack(const std::string& path);
TrackError DamagedAt(const std::string& path, std::uint64_t offset);
TrackError Damaged(const std::string& path, const std::string& why);
TrackError NoPoints(const std::string& path);
// One point is a place, not a ride: no distance, no time, nothing to fill in.
TrackError OnePoint(const std::string& path);

}  // namespace tracks

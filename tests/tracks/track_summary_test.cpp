// The rules that turn points into a ride: pauses, segment breaks, GPS jumps, speed windows,
// the device's own figures, and what is left empty when the file does not tell.

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <vector>

#include "test_ride.h"
#include "tracks/track.h"

namespace {

using tracks::kNoValue;
using tracks::TrackPoint;

constexpr double kMetresPerDegree = 111229.0;  // of meridian near 50 N

// A point `north` metres up the meridian (and `east` metres along the parallel) at second `t`.
TrackPoint P(double t, double north, double east = 0) {
    TrackPoint p;
    p.time = t;
    p.lat = 50 + north / kMetresPerDegree;
    p.lon = 14 + east / (kMetresPerDegree * std::cos(50 * M_PI / 180));
    return p;
}

TrackPoint Untimed(double north) {
    TrackPoint p = P(0, north);
    p.time = kNoValue;
    return p;
}

TrackPoint NewSegment(TrackPoint p) {
    p.startsSegment = true;
    return p;
}

TrackPoint WithDevice(TrackPoint p, double distance, double speed) {
    p.distance = distance;
    p.speed = speed;
    return p;
}

// One point a second along the meridian at `speed` metres a second from `t0`, `n` seconds.
std::vector<TrackPoint> Steady(double t0, double north0, double speed, int n) {
    std::vector<TrackPoint> pts;
    for (int i = 0; i <= n; ++i) pts.push_back(P(t0 + i, north0 + speed * i));
    return pts;
}

std::vector<TrackPoint> Join(std::vector<TrackPoint> a, const std::vector<TrackPoint>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// `pts` with a second point at the time of point `at`, `metres` further along.
std::vector<TrackPoint> Scattered(std::vector<TrackPoint> pts, std::size_t at, double metres) {
    TrackPoint extra = pts[at];
    extra.lat += metres / kMetresPerDegree;
    pts.insert(pts.begin() + static_cast<std::ptrdiff_t>(at) + 1, extra);
    return pts;
}

struct Case {
    const char* label;
    std::vector<TrackPoint> points;
    tracks::DeviceTotals totals;
    double distance;                 // metres, to 0.1 %
    std::optional<double> moving;    // seconds
    std::optional<double> maxSpeed;  // metres per second, to 0.1 %
};

void ExpectNear(std::optional<double> got, std::optional<double> want, const char* what) {
    ASSERT_EQ(got.has_value(), want.has_value()) << what;
    if (want) {
        EXPECT_NEAR(*got, *want, std::fabs(*want) * 1e-3 + 1e-9) << what;
    }
}

TEST(Summarize, PausesBreaksJumpsAndSpeedWindows) {
    const tracks::DeviceTotals none;
    tracks::DeviceTotals session;
    session.distance = 5000;
    session.maxSpeed = 12.5;
    session.startTime = 1000;
    session.timerTime = 900;
    tracks::DeviceTotals timerOnly;
    timerOnly.timerTime = 600;
    const Case cases[] = {
        {"slower than 2 km/h over a stretch is a pause", {P(0, 0), P(100, 54)}, none, 54, 0, 0.54},
        {"2 km/h and faster is riding", {P(0, 0), P(100, 57)}, none, 57, 100, 0.57},
        {"a gap covered at riding pace is riding (a tunnel)",
         Join(Steady(0, 0, 5, 10), Steady(70, 350, 5, 10)), none, 400, 80, 5},
        {"a gap spent in one place is a pause (auto-pause)",
         Join(Steady(0, 0, 5, 10), Steady(310, 50, 5, 10)), none, 100, 20, 5},
        {"no way is drawn to the start of a new segment",
         {P(0, 0), P(10, 100), NewSegment(P(20, 500)), P(30, 600)},
         none,
         200,
         20,
         10},
        {"time running backwards is neither riding nor a pause",
         {P(100, 0), P(110, 100), P(50, 200), P(60, 300)},
         none,
         300,
         20,
         10},
        {"the same time twice adds distance, not time, nor a speed",
         {P(0, 0), P(10, 100), P(10, 110)},
         none,
         110,
         10,
         10},
        {"a scattered second point of one time stamp makes no speed at 20 km/h",
         Scattered(Steady(0, 0, 20 / 3.6, 20), 10, 3), none, 400 / 3.6, 20, 20 / 3.6},
        {"one point far off is a GPS jump",
         Join(Join(Steady(0, 0, 5, 10), {P(11, 55, 400)}), Steady(12, 60, 5, 10)), none, 110, 22,
         5},
        {"a U-turn at riding pace is no jump", {P(0, 0), P(10, 80), P(20, 0)}, none, 160, 20, 8},
        {"a straight descent at 60 km/h is no jump", Steady(0, 0, 60 / 3.6, 10), none, 1000 / 6.0,
         10, 60 / 3.6},
        {"speeds are averaged over five seconds, so one wild second does not count",
         Join(Steady(0, 0, 5, 10), Join({P(11, 55 + 12)}, Steady(12, 60 + 12, 5, 10))), none, 122,
         22, 5 + 12 / 5.0},
        {"a ride shorter than the window takes its average as its maximum", Steady(0, 0, 4, 3),
         none, 12, 3, 4},
        {"without time stamps only the distance is known",
         {Untimed(0), Untimed(100), Untimed(250)},
         none,
         250,
         std::nullopt,
         std::nullopt},
        {"without time stamps the device's timer gives the time",
         {Untimed(0), Untimed(100)},
         timerOnly,
         100,
         600,
         100 / 600.0},
        {"the device's distance wins over the positions",
         {WithDevice(P(0, 0), 1000, 0), WithDevice(P(10, 1), 1100, 10),
          WithDevice(P(20, 2), 1150, 5)},
         none,
         150,
         20,
         10},
        {"a device distance that starts again falls back to the positions",
         {WithDevice(P(0, 0), 1000, 5), WithDevice(P(10, 50), 0, 5)},
         none,
         50,
         10,
         5},
        {"the session's totals win", Steady(0, 0, 5, 10), session, 5000, 10, 12.5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        tracks::Track track;
        track.points = c.points;
        track.totals = c.totals;
        const tracks::TrackSummary s = tracks::Summarize(track);
        EXPECT_NEAR(s.distanceMetres, c.distance, c.distance * 1e-3);
        ExpectNear(s.movingSeconds, c.moving, "moving time");
        ExpectNear(s.maxSpeed, c.maxSpeed, "maximum speed");
        std::optional<double> average;
        if (c.moving && *c.moving > 0) average = c.distance / *c.moving;
        ExpectNear(s.averageSpeed, average, "average speed");
    }
}

TEST(Summarize, StartIsTheEarliestTimeOrTheSession) {
    tracks::Track track;
    track.points = {P(500.7, 0), P(90.2, 10), P(700, 20)};
    EXPECT_EQ(tracks::Summarize(track).startUtc, 90);
    track.totals.startTime = 80;
    EXPECT_EQ(tracks::Summarize(track).startUtc, 80);
    track.points = {Untimed(0), Untimed(5)};
    track.totals = {};
    EXPECT_EQ(tracks::Summarize(track).startUtc, std::nullopt);
}

}  // namespace

#pragma once
// The ride every track test is made of, and its GPX and TCX forms. The FIT fixtures beside the
// tests are made by tests/tracks/fit/make_fixtures.mjs from the same plan.
//
// Along the meridian 14.4 E from 50 N, one point a second, starting 2024-05-17 22:30:00 UTC
// (00:30 on 18 May in Prague):
//   0-300 s    riding north, 0.00005 degrees a second (about 20 km/h)
//   301-360 s  standing (60 s of points in one place)
//   361-420 s  riding at 0.0001 degrees a second (about 40 km/h), the fastest stretch
//   420-720 s  no points, then one in the same place (auto-pause: 300 s)
//   721-1020 s riding at 0.00005 degrees a second
//   1020-1080  no points, then one 60 s of riding further (a tunnel: riding, not a pause)
//   1081-1200  riding at 0.00005 degrees a second
// and at 150 s one GPS jump 0.005 degrees (about 360 m) east.
// Riding time 840 s (14 min) of 1200 s; distance that of 0.045 degrees of meridian.

#include <cstdint>
#include <string>
#include <vector>

namespace ridetest {

inline constexpr std::int64_t kStartUtc = 1715985000;  // 2024-05-17T22:30:00Z

struct Sample {
    double t;         // seconds since 1970 (UTC)
    double lat;       // degrees
    double lon;       // degrees
    double distance;  // metres ridden so far, on the ellipsoid, the jump left out
    double speed;     // metres per second, as a device would measure it
    bool jump;        // the one GPS jump
};

std::vector<Sample> TestRide(bool withJump = true);

struct Expected {
    double distance;  // metres
    double moving;    // seconds
    double maxSpeed;  // metres per second
    double average;   // metres per second
};
Expected ExpectedRide();

// Geodesic distance (GeographicLib) between two points, metres.
double Geodesic(double lat1, double lon1, double lat2, double lon2);

// "2024-05-17T22:30:00Z"
std::string IsoTime(double t);

struct GpxStyle {
    bool version10 = false;          // GPX 1.0 (speed as a point element) instead of 1.1
    bool prefixed = false;           // elements as "g:trkpt" with the namespace bound to "g"
    bool speeds = false;             // the device's speed (1.0: <speed>, 1.1: gpxtpx:speed)
    bool splitAtPause = false;       // a new track and segment after the 300 s pause
    bool routeAndWaypoints = false;  // a route and waypoints, which are not the ride
    std::string name = "Ranní jízda";
};
std::string ToGpx(const std::vector<Sample>& ride, const GpxStyle& style);

struct TcxStyle {
    bool device = false;      // DistanceMeters and TPX Speed on every point
    bool positions = true;    // Position on every point
    bool lapAtPause = false;  // a second lap (and track) after the 300 s pause
};
std::string ToTcx(const std::vector<Sample>& ride, const TcxStyle& style);

}  // namespace ridetest

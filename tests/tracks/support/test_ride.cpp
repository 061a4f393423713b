#include "test_ride.h"

#include <GeographicLib/Geodesic.hpp>
#include <array>
#include <charconv>
#include <cmath>
#include <ctime>

namespace ridetest {

namespace {

std::string Number(double v) {
    std::array<char, 64> buf{};
    const auto r = std::to_chars(buf.data(), buf.data() + buf.size(), v);
    return std::string(buf.data(), r.ptr);
}

struct Phase {
    int until;       // last second of the phase
    double step;     // degrees north per second
    int gapAfter;    // seconds without points after the phase
    double gapStep;  // degrees covered during the gap
};

constexpr std::array<Phase, 5> kPlan = {{
    {300, 0.00005, 0, 0},
    {360, 0, 0, 0},
    {420, 0.0001, 300, 0},
    {1020, 0.00005, 60, 60 * 0.00005},
    {1200, 0.00005, 0, 0},
}};

constexpr double kLat0 = 50.0;
constexpr double kLon = 14.4;
constexpr int kJumpAt = 150;
constexpr double kJumpEast = 0.005;

}  // namespace

double Geodesic(double lat1, double lon1, double lat2, double lon2) {
    double s12 = 0;
    GeographicLib::Geodesic::WGS84().Inverse(lat1, lon1, lat2, lon2, s12);
    return s12;
}

std::vector<Sample> TestRide(bool withJump) {
    std::vector<Sample> ride;
    ride.push_back({static_cast<double>(kStartUtc), kLat0, kLon, 0, 0, false});
    int t = 0;
    double lat = kLat0;
    double distance = 0;
    auto add = [&](int second, double newLat) {
        const double step = Geodesic(lat, kLon, newLat, kLon);
        const double dt = second - t;
        distance += step;
        lat = newLat;
        t = second;
        const bool jump = withJump && second == kJumpAt;
        ride.push_back({static_cast<double>(kStartUtc + second), lat,
                        jump ? kLon + kJumpEast : kLon, distance, step / dt, jump});
    };
    for (const Phase& phase : kPlan) {
        while (t < phase.until) add(t + 1, lat + phase.step);
        if (phase.gapAfter > 0) add(t + phase.gapAfter, lat + phase.gapStep);
    }
    return ride;
}

Expected ExpectedRide() {
    const std::vector<Sample> ride = TestRide(false);
    Expected e{};
    e.distance = ride.back().distance;
    e.moving = 840;
    e.average = e.distance / e.moving;
    for (std::size_t i = 5; i < ride.size(); ++i) {
        const double dt = ride[i].t - ride[i - 5].t;
        if (dt == 5)
            e.maxSpeed = std::max(e.maxSpeed, (ride[i].distance - ride[i - 5].distance) / dt);
    }
    return e;
}

std::string IsoTime(double t) {
    const auto seconds = static_cast<std::time_t>(t);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    std::array<char, 32> buf{};
    std::strftime(buf.data(), buf.size(), "%Y-%m-%dT%H:%M:%SZ", &utc);
    return buf.data();
}

std::string ToGpx(const std::vector<Sample>& ride, const GpxStyle& style) {
    const std::string g = style.prefixed ? "g:" : "";
    const std::string ns =
        style.version10 ? "http://www.topografix.com/GPX/1/0" : "http://www.topografix.com/GPX/1/1";
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    out += "<" + g + "gpx version=\"" + (style.version10 ? "1.0" : "1.1") +
           "\" creator=\"test\" xmlns" + (style.prefixed ? ":g" : "") + "=\"" + ns + "\"" +
           " xmlns:gpxtpx=\"http://www.garmin.com/xmlschemas/TrackPointExtension/v2\">\n";
    if (style.routeAndWaypoints) {
        out += " <" + g + "wpt lat=\"49\" lon=\"14\"><" + g + "time>2020-01-01T00:00:00Z</" + g +
               "time></" + g + "wpt>\n";
        out += " <" + g + "rte><" + g + "rtept lat=\"49\" lon=\"14\"/><" + g +
               "rtept lat=\"49.5\" lon=\"14\"/></" + g + "rte>\n";
    }
    const std::string open =
        " <" + g + "trk><" + g + "name>" + style.name + "</" + g + "name><" + g + "trkseg>\n";
    const std::string close = " </" + g + "trkseg></" + g + "trk>\n";
    out += open;
    for (std::size_t i = 0; i < ride.size(); ++i) {
        const Sample& s = ride[i];
        if (style.splitAtPause && i > 0 && s.t - ride[i - 1].t == 300) out += close + open;
        out += "  <" + g + "trkpt lat=\"" + Number(s.lat) + "\" lon=\"" + Number(s.lon) + "\">";
        out +=
            "<" + g + "ele>250.5</" + g + "ele><" + g + "time>" + IsoTime(s.t) + "</" + g + "time>";
        if (style.speeds && style.version10) {
            out += "<" + g + "speed>" + Number(s.speed) + "</" + g + "speed>";
        } else if (style.speeds) {
            out += "<" + g + "extensions><gpxtpx:TrackPointExtension><gpxtpx:speed>" +
                   Number(s.speed) + "</gpxtpx:speed></gpxtpx:TrackPointExtension></" + g +
                   "extensions>";
        }
        out += "</" + g + "trkpt>\n";
    }
    out += close + "</" + g + "gpx>\n";
    return out;
}

std::string ToTcx(const std::vector<Sample>& ride, const TcxStyle& style) {
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    out +=
        "<TrainingCenterDatabase xmlns=\"http://www.garmin.com/xmlschemas/"
        "TrainingCenterDatabase/v2\" xmlns:ns3=\"http://www.garmin.com/xmlschemas/"
        "ActivityExtension/v2\">\n<Activities><Activity Sport=\"Biking\"><Id>" +
        IsoTime(ride.front().t) + "</Id>\n";
    const std::string lapOpen = "<Lap StartTime=\"" + IsoTime(ride.front().t) +
                                "\"><TotalTimeSeconds>0</TotalTimeSeconds><Track>\n";
    const std::string lapClose = "</Track></Lap>\n";
    out += lapOpen;
    for (std::size_t i = 0; i < ride.size(); ++i) {
        const Sample& s = ride[i];
        if (style.lapAtPause && i > 0 && s.t - ride[i - 1].t == 300) out += lapClose + lapOpen;
        out += " <Trackpoint><Time>" + IsoTime(s.t) + "</Time>";
        if (style.positions) {
            out += "<Position><LatitudeDegrees>" + Number(s.lat) +
                   "</LatitudeDegrees><LongitudeDegrees>" + Number(s.lon) +
                   "</LongitudeDegrees></Position>";
        }
        out += "<AltitudeMeters>250</AltitudeMeters>";
        if (style.device) {
            out += "<DistanceMeters>" + Number(s.distance) +
                   "</DistanceMeters><Extensions><ns3:TPX><ns3:Speed>" + Number(s.speed) +
                   "</ns3:Speed></ns3:TPX></Extensions>";
        }
        out += "</Trackpoint>\n";
    }
    out += lapClose + "<Notes>Do práce</Notes></Activity></Activities></TrainingCenterDatabase>\n";
    return out;
}

}  // namespace ridetest

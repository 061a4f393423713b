#include "tracks/track.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstddef>

#include "tracks/geodesy.h"

namespace tracks {

namespace {

std::string InFile(const std::string& path) { return "Soubor „" + path + "“ "; }

double Between(const TrackPoint& a, const TrackPoint& b) {
    return EllipsoidDistance(a.lat, a.lon, b.lat, b.lon);
}

bool Timed(const TrackPoint& a, const TrackPoint& b) { return a.HasTime() && b.HasTime(); }

// The point at `i` is a GPS jump between its accepted predecessor `a` and its successor `b`.
bool IsJump(const TrackPoint& a, const TrackPoint& p, const TrackPoint& b) {
    if (p.startsSegment || b.startsSegment) return false;
    if (!a.HasPosition() || !p.HasPosition() || !b.HasPosition()) return false;
    if (!Timed(a, p) || !Timed(p, b)) return false;
    // Where the device counts the distance, a jump of the position costs nothing.
    if (!std::isnan(a.distance) && !std::isnan(p.distance) && !std::isnan(b.distance)) {
        return false;
    }
    const double dtIn = p.time - a.time;
    const double dtOut = b.time - p.time;
    if (dtIn <= 0 || dtOut <= 0) return false;
    const double in = Between(a, p);
    if (in < kJumpSpeed * dtIn) return false;
    const double out = Between(p, b);
    if (out < kJumpSpeed * dtOut) return false;
    const double past = Between(a, b);
    return in + out > 2 * past && in + out > past + kJumpSlack;
}

// How far the rider got from `a` to `b`, the next accepted point.
double Step(const TrackPoint& a, const TrackPoint& b) {
    if (!std::isnan(a.distance) && !std::isnan(b.distance) && b.distance >= a.distance) {
        return b.distance - a.distance;
    }
    if (a.HasPosition() && b.HasPosition()) return Between(a, b);
    return 0;
}

// A point the ride is made of, and whether the recording stopped before it.
struct Kept {
    const TrackPoint* point;
    bool startsSegment;
    // The point right after a GPS jump: a speed in the file that a converter worked out from
    // the positions (as gpsbabel does for TCX) is the jump's way back, not the rider's.
    bool afterJump;
    const TrackPoint* operator->() const { return point; }
    double Speed() const { return afterJump ? kNoValue : point->speed; }
};

// The accepted points: those that say where the rider was, without GPS jumps.
std::vector<Kept> Accepted(const std::vector<TrackPoint>& points) {
    std::vector<Kept> kept;
    kept.reserve(points.size());
    bool pendingBreak = false;
    bool jumped = false;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const TrackPoint& p = points[i];
        pendingBreak = pendingBreak || p.startsSegment;
        if (!p.Locates()) continue;
        if (!kept.empty() && i + 1 < points.size() &&
            IsJump(*kept.back().point, p, points[i + 1])) {
            jumped = true;
            continue;
        }
        kept.push_back({&p, pendingBreak || kept.empty(), jumped});
        pendingBreak = false;
        jumped = false;
    }
    return kept;
}

// Running distance and time of the accepted points, for the speed windows.
struct Run {
    std::size_t begin;
    std::size_t end;
};

double BestWindowSpeed(const std::vector<Kept>& pts, const std::vector<double>& along,
                       const std::vector<Run>& runs) {
    double best = kNoValue;
    for (const Run& run : runs) {
        std::size_t j = run.begin;
        for (std::size_t i = run.begin + 1; i < run.end; ++i) {
            while (j + 1 < i && pts[j + 1]->time <= pts[i]->time - kSpeedWindow) ++j;
            const double span = pts[i]->time - pts[j]->time;
            if (span < kSpeedWindow) continue;
            const double v = (along[i] - along[j]) / span;
            if (std::isnan(best) || v > best) best = v;
        }
    }
    return best;
}

double BestDeviceSpeed(const std::vector<Kept>& pts, const std::vector<Run>& runs) {
    double best = kNoValue;
    for (const Run& run : runs) {
        std::size_t j = run.begin;
        double sum = 0;
        std::size_t count = 0;
        for (std::size_t i = run.begin; i < run.end; ++i) {
            if (!std::isnan(pts[i].Speed())) {
                sum += pts[i].Speed();
                ++count;
            }
            while (pts[j]->time <= pts[i]->time - kSpeedWindow) {
                if (!std::isnan(pts[j].Speed())) {
                    sum -= pts[j].Speed();
                    --count;
                }
                ++j;
            }
            if (count == 0) continue;
            const double v = sum / static_cast<double>(count);
            if (std::isnan(best) || v > best) best = v;
        }
    }
    return best;
}

}  // namespace

TrackSummary Summarize(const Track& track) {
    TrackSummary summary;
    summary.name = track.name;
    const std::vector<Kept> pts = Accepted(track.points);

    // The running distance serves only a maximum that neither the device nor its speeds give.
    const bool deviceSpeeds =
        std::any_of(pts.begin(), pts.end(), [](const Kept& k) { return !std::isnan(k->speed); });
    const bool needAlong = std::isnan(track.totals.maxSpeed) && !deviceSpeeds;
    std::vector<double> along(needAlong ? pts.size() : 0);
    std::vector<Run> runs;  // stretches of timed points whose time goes forward
    double distance = 0;
    double moving = 0;
    bool anyTime = false;
    double earliest = kNoValue;
    std::size_t groupStart = 0;
    for (std::size_t i = 0; i < pts.size(); ++i) {
        const TrackPoint& q = *pts[i].point;
        if (q.HasTime()) {
            anyTime = true;
            if (std::isnan(earliest) || q.time < earliest) earliest = q.time;
        }
        bool continues = false;
        if (i > 0 && !pts[i].startsSegment) {
            const TrackPoint& p = *pts[i - 1].point;
            const double step = Step(p, q);
            distance += step;
            if (Timed(p, q) && q.time >= p.time) {
                continues = true;
                const double dt = q.time - p.time;
                if (dt > 0 && step >= kPauseSpeed * dt) moving += dt;
            }
        }
        // Two points of one time stamp are one moment: the way between them is the receiver's
        // scatter, not riding, so a window measures from the first of them only.
        if (needAlong) {
            if (continues && q.time == pts[groupStart]->time) {
                along[i] = along[groupStart];
            } else {
                along[i] =
                    continues ? along[groupStart] + Step(*pts[groupStart].point, q) : distance;
                groupStart = i;
            }
        }
        if (continues) {
            runs.back().end = i + 1;
        } else if (q.HasTime()) {
            runs.push_back({i, i + 1});
        }
    }

    summary.distanceMetres = std::isnan(track.totals.distance) ? distance : track.totals.distance;
    if (!std::isnan(track.totals.startTime)) earliest = track.totals.startTime;
    if (!std::isnan(earliest)) summary.startUtc = static_cast<std::int64_t>(std::floor(earliest));
    if (anyTime) {
        summary.movingSeconds = moving;
    } else if (!std::isnan(track.totals.timerTime)) {
        summary.movingSeconds = track.totals.timerTime;
    }
    if (summary.movingSeconds && *summary.movingSeconds > 0) {
        summary.averageSpeed = summary.distanceMetres / *summary.movingSeconds;
    }

    double best = track.totals.maxSpeed;
    if (std::isnan(best)) {
        best = deviceSpeeds ? BestDeviceSpeed(pts, runs) : BestWindowSpeed(pts, along, runs);
    }
    // A ride shorter than the window has no smoothed speed; its average is the best there is.
    if (std::isnan(best) && summary.averageSpeed) best = *summary.averageSpeed;
    if (!std::isnan(best)) summary.maxSpeed = best;
    return summary;
}

TrackError NotATrack(const std::string& path) {
    return TrackError(path, InFile(path) + "není záznam trasy (GPX, TCX ani FIT).");
}

std::string Decimal(std::int64_t value) {
    std::array<char, 24> buf{};
    const auto r = std::to_chars(buf.data(), buf.data() + buf.size(), value);
    return std::string(buf.data(), r.ptr);
}

TrackError DamagedAt(const std::string& path, std::uint64_t offset) {
    return TrackError(path, InFile(path) + "je poškozený na bajtu " +
                                Decimal(static_cast<std::int64_t>(offset)) + ".");
}

TrackError Damaged(const std::string& path, const std::string& why) {
    return TrackError(path, InFile(path) + "je poškozený: " + why + ".");
}

TrackError NoPoints(const std::string& path) {
    return TrackError(path, InFile(path) + "neobsahuje žádné body trasy.");
}

TrackError OnePoint(const std::string& path) {
    return TrackError(path, InFile(path) + "má jen jeden bod trasy, jízdu z něj nelze určit.");
}

}  // namespace tracks

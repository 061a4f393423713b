#include "tracks/geodesy.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tracks {
namespace {

constexpr double kA = 6378137.0;           // WGS 84 semi-major axis, metres
constexpr double kF = 1 / 298.257223563;   // WGS 84 flattening
constexpr double kE2 = kF * (2 - kF);      // first eccentricity squared
constexpr double kMeanRadius = 6371008.8;  // (2a + b) / 3
constexpr double kRad = std::numbers::pi / 180;

// Below this sum of angle differences (radians, about 6 km) the ellipsoid is as good as flat:
// the neglected curvature costs less than a millionth of the distance.
constexpr double kFlatLimit = 1e-3;

double WrappedLongitude(double d) {
    if (d > std::numbers::pi) return d - 2 * std::numbers::pi;
    if (d < -std::numbers::pi) return d + 2 * std::numbers::pi;
    return d;
}

// The tangent plane at the mid-latitude, scaled by the ellipsoid's two radii of curvature there.
double FlatDistance(double phi1, double phi2, double dLambda) {
    const double mid = (phi1 + phi2) / 2;
    const double s = std::sin(mid);
    const double w2 = 1 - kE2 * s * s;
    const double w = std::sqrt(w2);
    const double n = kA / w;                     // prime vertical
    const double m = kA * (1 - kE2) / (w2 * w);  // meridian
    const double dx = n * std::cos(mid) * dLambda;
    const double dy = m * (phi2 - phi1);
    return std::hypot(dx, dy);
}

// Lambert's formula for long lines: the great-circle angle between the reduced latitudes,
// corrected to first order in the flattening (error of the order f^2, about 10^-5).
double LambertDistance(double phi1, double phi2, double dLambda) {
    const double beta1 = std::atan((1 - kF) * std::tan(phi1));
    const double beta2 = std::atan((1 - kF) * std::tan(phi2));
    const double sinHalfLat = std::sin((beta2 - beta1) / 2);
    const double sinHalfLon = std::sin(dLambda / 2);
    const double h = std::clamp(
        sinHalfLat * sinHalfLat + std::cos(beta1) * std::cos(beta2) * sinHalfLon * sinHalfLon, 0.0,
        1.0);
    const double sigma = 2 * std::asin(std::sqrt(h));
    // Near the antipode the correction's denominator vanishes; a ride never gets there.
    if (sigma > 3.0) return kMeanRadius * sigma;
    const double p = (beta1 + beta2) / 2;
    const double q = (beta2 - beta1) / 2;
    const double sinP = std::sin(p), cosP = std::cos(p), sinQ = std::sin(q), cosQ = std::cos(q);
    const double sinHalfSigma2 = h;  // sin^2(sigma / 2)
    const double cosHalfSigma2 = 1 - h;
    const double x = (sigma - std::sin(sigma)) * sinP * sinP * cosQ * cosQ / cosHalfSigma2;
    const double y = (sigma + std::sin(sigma)) * cosP * cosP * sinQ * sinQ / sinHalfSigma2;
    return kA * (sigma - kF / 2 * (x + y));
}

}  // namespace

double EllipsoidDistance(double lat1, double lon1, double lat2, double lon2) {
    const double phi1 = lat1 * kRad;
    const double phi2 = lat2 * kRad;
    const double dLambda = WrappedLongitude((lon2 - lon1) * kRad);
    if (std::fabs(phi2 - phi1) + std::fabs(dLambda) < kFlatLimit) {
        return FlatDistance(phi1, phi2, dLambda);
    }
    return LambertDistance(phi1, phi2, dLambda);
}

}  // namespace tracks

// Our quick ellipsoid distance against GeographicLib's geodesic, from centimetres to across
// the world.

#include "tracks/geodesy.h"

#include <gtest/gtest.h>

#include <cmath>

#include "test_ride.h"

namespace {

TEST(EllipsoidDistance, AgreesWithTheGeodesic) {
    const struct {
        const char* label;
        double lat1, lon1, lat2, lon2;
        double tolerance;  // relative
    } cases[] = {
        {"1 cm north", 50, 14.4, 50.0000001, 14.4, 1e-5},
        {"5 m along a meridian", 50, 14.4, 50.000045, 14.4, 1e-6},
        {"5 m along a parallel at 60 N", 60, 10, 60, 10.00009, 1e-6},
        {"1 km diagonal at the equator", 0, 0, 0.006, 0.006, 1e-6},
        {"just under the flat limit", 49.5, 14, 49.5005, 14.00049, 1e-6},
        {"just over the flat limit", 49.5, 14, 49.5006, 14.0005, 1e-5},
        {"30 km", 50, 14, 50.2, 14.3, 1e-4},
        {"Praha - Brno", 50.087, 14.421, 49.195, 16.608, 1e-4},
        {"Praha - Lisboa", 50.087, 14.421, 38.722, -9.139, 1e-4},
        {"across the date line", 65.5, 179.9, 65.6, -179.95, 1e-4},
        {"near the pole", 89.9, 0, 89.9, 90, 1e-4},
        {"from the north to the south", 60, 10, -40, 150, 1e-4},
        {"half the world along the equator", 0, 0, 0, 170, 1e-3},
    };
    for (const auto& c : cases) {
        const double want = ridetest::Geodesic(c.lat1, c.lon1, c.lat2, c.lon2);
        const double got = tracks::EllipsoidDistance(c.lat1, c.lon1, c.lat2, c.lon2);
        EXPECT_NEAR(got, want, want * c.tolerance) << c.label;
        EXPECT_DOUBLE_EQ(got, tracks::EllipsoidDistance(c.lat2, c.lon2, c.lat1, c.lon1))
            << c.label << ": the same both ways";
    }
}

TEST(EllipsoidDistance, NearAntipodesStaysFiniteAndInRange) {
    for (const double lon : {179.0, 179.9, 180.0}) {
        const double d = tracks::EllipsoidDistance(0, 0, 0.5, lon);
        EXPECT_TRUE(std::isfinite(d));
        EXPECT_NEAR(d, ridetest::Geodesic(0, 0, 0.5, lon), 0.005 * d) << lon;
    }
    EXPECT_EQ(tracks::EllipsoidDistance(50, 14, 50, 14), 0);
}

}  // namespace

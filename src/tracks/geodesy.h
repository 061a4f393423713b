#pragma once
// Distances on the WGS 84 ellipsoid, quick enough for every pair of points of a long track.

namespace tracks {

// Metres between two positions given in degrees. Within 0.01 % of the geodesic distance for
// any two points less than 19,000 km apart (within a millionth for the few metres between
// the points of a track); points nearer antipodal get the spherical distance.
double EllipsoidDistance(double lat1, double lon1, double lat2, double lon2);

}  // namespace tracks

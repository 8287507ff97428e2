// Plane and ellipsoidal geometry: sign, polar coordinates, azimuth/distance between points,
// and the transverse Mercator (UTM, k0 = 0.9996) conversions for zone 32 with the zone number
// written in front of the easting.
//
// Constants used by the conversions:
//   k0 = 0.9996                  UTM scale on the central meridian (the UTM definition).
//   Rho = 57.29577951308232      degrees per radian, 180/pi rounded to double (model/state.h).
//   a, f                         passed in; the program passes GRS80, a = 6378137 m,
//                                f = 1/298.257222101 (EllipsoidA, EllipsoidF in model/state.h).
//   eps = e^2 / (1 - e^2)        second eccentricity squared, e^2 = 2f - f^2.
//   Rp = a / sqrt(1 - e^2)       polar radius of curvature.
//   E0, E2, E4, E6               meridian arc series in powers of eps up to eps^4
//                                (E0 = 1 - 3/4 eps + 45/64 eps^2 - 175/256 eps^3
//                                + 11025/16384 eps^4, E2 = -3/8 eps + ..., see geodesy.cpp).
//   beta, gamma, delta           footpoint latitude series (3/8 eps - 3/16 eps^2 + ..., ...).
//
// Accuracy, measured against GeographicLib's exact transverse Mercator (TransverseMercator,
// 6th-order Krueger series, a few nm) on GRS80, k0 = 0.9996, central meridian 9 E, over
// latitudes 30..72 N and longitudes 6..12 E:
//   GeoToUTM   northing 0.12 mm, easting 0.005 mm, convergence 8e-8 deg, scale 5e-11.
//   UTMToGeo   latitude 2e-9 deg, longitude 1.3e-10 deg, convergence 6e-8 deg, scale 5.3e-9.
//   round trip UTMToGeo(GeoToUTM(B, L)) returns B and L within 2e-9 deg (0.2 mm).
// Within 45..56 N, 7..11 E: northing 0.09 mm, easting 0.0003 mm.
#pragma once

#include "types.h"

namespace korvale {

// -1 for x < 0, 0 for x == 0 (either sign of zero, and NaN), 1 for x > 0.
int Sgn(double x);

struct PolarResult {
    double s; // distance, unit of the input
    double t; // azimuth, radians, 0 <= t < 2*pi, clockwise from grid north
};
// Distance and grid azimuth of the coordinate difference (dy easting, dx northing, any common
// unit). s = sqrt(dy^2 + dx^2); t = atan(dy/dx) brought into [0, 2 pi) by quadrant, pi/2 or
// 3 pi/2 for dx = 0; (0, 0) gives s = 0, t = 0. Exact to rounding for all finite input whose
// squares do not overflow.
PolarResult Polar(double dy, double dx);

struct AzDistResult {
    double Az;   // degrees: grid azimuth plus the convergence c of the first point
    double Dist; // metres
};
// Azimuth from geographic north and distance from p1 to p2, from their E and N: the grid
// azimuth in degrees plus p1.c. Az is not brought back into [0, 360): it may lie a little
// below 0 or above 360 by up to |p1.c|.
AzDistResult AzDist(const TPt& p1, const TPt& p2);

struct UtmResult {
    double X; // northing, m (no false northing)
    double Y; // easting with zone prefix, m
    double c; // meridian convergence, degrees
    double m; // point scale factor
};
// Geographic to UTM for the zone with central meridian L0 (whole degrees).
//   L0   central meridian, degrees; the zone number written in front of the easting is
//        trunc((L0 + 3) / 6 + 30), so L0 = 9 gives 32.
//   a, f semi-major axis (m) and flattening of the ellipsoid.
//   B    latitude, degrees, |B| < 90.
//   L    longitude, degrees; meant for |L - L0| up to a few degrees (see the accuracy above;
//        at 6 degrees from L0 the northing is off by up to 4 mm near 10..30 N, the easting
//        by up to 0.8 mm near the equator).
// Returns X northing from the equator (negative in the south), Y = zone * 1e6 + 500000 + y,
// c the meridian convergence (positive east of L0 in the north), m the point scale factor
// (k0 on the central meridian). On the central meridian Y is exactly zone * 1e6 + 500000,
// c = 0 and m = k0. Never fails: out-of-range input gives whatever the series give.
UtmResult GeoToUTM(int L0, double a, double f, double B, double L);

struct GeoResult {
    double B; // latitude, degrees
    double L; // longitude, degrees
    double c; // meridian convergence, degrees
    double m; // point scale factor
};
// UTM to geographic; the zone is read from the easting: z = trunc(Y / 1e6), central meridian
// 6 z - 183 degrees (an easting without prefix is zone 0, central meridian -183).
//   a, f ellipsoid as for GeoToUTM.
//   X    northing, m.
//   Y    easting with zone prefix, m. The distance y from the central meridian must stay
//        within +-500 km, or the prefix itself is misread (y < -500 km reads as the zone
//        below); in zone 32 that is about 4.5 degrees from 9 E at the equator, more further
//        north.
// Returns B, L in degrees, c the convergence in degrees and m the point scale factor.
// Never fails.
GeoResult UTMToGeo(double a, double f, double X, double Y);

} // namespace korvale

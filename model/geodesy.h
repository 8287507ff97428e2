// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Plane and ellipsoidal geometry: sign, polar coordinates, azimuth/distance between points,
// the transverse Mercator (UTM, k0 = 0.9996) conversions with the zone number written in front
// of the easting, and the project's zone: which zone a project uses and its conversions.
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

#include <optional>
#include <string>

#include "types.h"

namespace korvale {

struct State;

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
//        the difference is taken the short way round, so 179.9 W lies 3.1 degrees east of
//        177 E;
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
// Returns B, L in degrees (in zones 1..60 L is brought into -180..180, also east of 180 degrees
// in zone 60), c the convergence in degrees and m the point scale factor. Never fails.
GeoResult UTMToGeo(double a, double f, double X, double Y);

// ---- UTM zones ------------------------------------------------------------------------------
// A project works in one UTM zone (State::UtmZone, 1..60). Its eastings carry that zone's number
// in front (zone * 1e6 + 500000 + y); its northings count from the equator, negative in the
// south, in both hemispheres (no false northing): the northern case is exactly the old one, and
// an area across the equator needs no special care. The zone follows the first control point
// (or the first imported area) of a project that has no ground coordinates yet; a project that
// does not name its zone is in zone 32.

// Standard UTM zone of a longitude in degrees: floor((lon + 180) / 6) + 1, brought into 1..60
// (lon = 180 counts to zone 60; longitudes outside -180..180 are wrapped first). The special
// zones of south-western Norway (32V) and Svalbard are not applied: there the standard zone is
// still within its own 6 degrees, which is all the planning needs. NaN gives 32.
int UtmZoneForLongitude(double lon);

// Central meridian of a zone in whole degrees: 6 * zone - 183 (zone 32: 9, zone 30: -3).
int CentralMeridianOfZone(int zone);

// The project's zone (State::UtmZone, or 32 if that holds no valid zone number).
int ZoneOf(const State& s);

// Geographic (degrees) to the project's UTM: GeoToUTM with the central meridian of ZoneOf(s).
// X northing from the equator (negative in the south), Y easting with the zone prefix. For a
// zone-32 project the result is bit for bit GeoToUTM(9, EllipsoidA, EllipsoidF, B, L).
UtmResult GeoToProjectUtm(const State& s, double B, double L);

// The project's UTM to geographic. The zone is the project's, not read from the easting, so a
// point more than 500 km west of the central meridian (which a prefix would misread as the
// zone below) still converts right. For eastings within +-500 km of the central meridian the
// result is bit for bit UTMToGeo(EllipsoidA, EllipsoidF, X, Y).
GeoResult ProjectUtmToGeo(const State& s, double X, double Y);

// Sets the project's zone and hemisphere from a position (the first control point, an imported
// area), but only while no point of s.Points has ground coordinates (E != 0): a project whose
// points are in one zone keeps it. Returns whether the zone was set.
bool AdoptZone(State& s, double B, double L);

// The status-line warning for a longitude more than 3 degrees outside the project's zone
// (more than 6 degrees from its central meridian, across 180 degrees too), where the scale
// error grows quickly and positions become unreliable; nullopt inside that band.
std::optional<std::string> ZoneWarning(const State& s, double L);

// A ground position of the project in standard UTM, for files read by GIS programs: easting
// without the zone prefix (false easting 500000 included), northing with the false northing
// 10 000 000 m in a southern project, and the EPSG code of WGS 84 / UTM (326zz north, 327zz
// south; GRS80 and WGS 84 agree to 0.1 mm here).
struct StandardUtm {
    int zone;
    bool south;
    int epsg;
    double easting;
    double northing;
};
StandardUtm ToStandardUtm(const State& s, double E, double N);
// The same for a zone (1..60, else 32) and hemisphere given apart from a project, e.g. those a
// file names.
StandardUtm ToStandardUtm(int zone, bool south, double E, double N);
// The inverse: standard UTM easting/northing of the project's zone and hemisphere to the
// project's E (with prefix) and N.
struct ProjectUtm {
    double E; // easting with zone prefix
    double N; // northing from the equator
};
ProjectUtm FromStandardUtm(const State& s, double easting, double northing);
ProjectUtm FromStandardUtm(int zone, bool south, double easting, double northing);

// The false northing of standard UTM in the southern hemisphere, m (0 in the northern).
inline constexpr int kUtmFalseNorthingSouth = 10000000;

} // namespace korvale

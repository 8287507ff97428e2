// Plane and ellipsoidal geometry: sign, polar coordinates, azimuth/distance between points,
// and the transverse Mercator (UTM, k0 = 0.9996) conversions for zone 32 with the zone number
// written in front of the easting.
#pragma once

#include "types.h"

namespace korvale {

int Sgn(double x);

struct PolarResult {
    double s; // distance, unit of the input
    double t; // azimuth, radians, 0 <= t < 2*pi, clockwise from grid north
};
PolarResult Polar(double dy, double dx);

struct AzDistResult {
    double Az;   // degrees: grid azimuth plus the convergence c of the first point
    double Dist; // metres
};
AzDistResult AzDist(const TPt& p1, const TPt& p2);

struct UtmResult {
    double X; // northing, m (no false northing)
    double Y; // easting with zone prefix, m
    double c; // meridian convergence, degrees
    double m; // point scale factor
};
UtmResult GeoToUTM(int L0, double a, double f, double B, double L);

struct GeoResult {
    double B; // latitude, degrees
    double L; // longitude, degrees
    double c; // meridian convergence, degrees
    double m; // point scale factor
};
GeoResult UTMToGeo(double a, double f, double X, double Y);

} // namespace korvale

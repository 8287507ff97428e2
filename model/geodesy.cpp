// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/geodesy.h"

#include <cmath>
#include <limits>
#include <numbers>

#include "model/format.h"
#include "model/state.h"

namespace korvale {
namespace {

constexpr double k0 = 0.9996;
constexpr double kPi = std::numbers::pi;
constexpr double kTwoPi = 2 * std::numbers::pi;

// Everything that depends on the ellipsoid alone. The program passes one ellipsoid all the
// time, so the values are kept per thread for the last (a, f) asked for.
struct Ellipsoid {
    double a = std::numeric_limits<double>::quiet_NaN();
    double f = std::numeric_limits<double>::quiet_NaN();
    double eps = 0;                        // second eccentricity squared
    double Rp = 0;                         // polar radius of curvature, m
    double E0 = 0, E2 = 0, E4 = 0, E6 = 0; // meridian arc series
    double beta = 0, gamma = 0, delta = 0; // footpoint series
    double alpha = 0; // E0 * k0 * Rp: scaled arc length per radian of rectifying latitude
};

Ellipsoid MakeEllipsoid(double a, double f) {
    Ellipsoid el;
    el.a = a;
    el.f = f;
    const double e2 = 2 * f - f * f;
    const double eps = e2 / (1 - e2);
    const double eps2 = eps * eps;
    const double eps3 = eps2 * eps;
    const double eps4 = eps3 * eps;
    el.eps = eps;
    el.Rp = a / std::sqrt(1 - e2);
    el.E0 = 1 - 0.75 * eps + 0.703125 * eps2 - 0.68359375 * eps3 + 0.67291259765625 * eps4;
    el.E2 = -0.375 * eps + 0.46875 * eps2 - 0.5126953125 * eps3 + 0.538330078125 * eps4;
    el.E4 = 0.05859375 * eps2 - 0.1025390625 * eps3 + 0.13458251953125 * eps4;
    el.E6 = -35.0 / 3072.0 * eps3 + 0.025634765625 * eps4;
    el.beta = 0.375 * eps - 0.1875 * eps2 + 0.10400390625 * eps3 - 0.062255859375 * eps4;
    el.gamma = 0.08203125 * eps2 - 0.08203125 * eps3 + 0.0650634765625 * eps4;
    el.delta = 0.024576822916666668 * eps3 - 0.036865234375 * eps4;
    el.alpha = el.E0 * k0 * el.Rp;
    return el;
}

const Ellipsoid& EllipsoidOf(double a, double f) {
    thread_local Ellipsoid cached;
    if (!(cached.a == a && cached.f == f))
        cached = MakeEllipsoid(a, f);
    return cached;
}

// Longitude difference brought into [-180, 180).
double WrapDegrees(double d) {
    return d - 360.0 * std::floor((d + 180.0) / 360.0);
}

// E0*x + E2*sin 2x + E4*sin 4x + E6*sin 6x with the multiple angles from sin x and cos x.
struct Sin246 {
    double s2, s4, s6;
};
Sin246 MultipleSines(double s, double c) {
    const double s2 = 2 * s * c;
    const double c2 = (c - s) * (c + s);
    const double s4 = 2 * s2 * c2;
    const double c4 = (c2 - s2) * (c2 + s2);
    return {s2, s4, s2 * c4 + c2 * s4};
}

} // namespace

int Sgn(double x) {
    if (x < 0)
        return -1;
    if (x > 0)
        return 1;
    return 0;
}

PolarResult Polar(double dy, double dx) {
    double t = dx == 0 ? Sgn(dy) * (kPi / 2) : std::atan(dy / dx);
    if (dx < 0)
        t += kPi;
    if (t < 0) {
        t += kTwoPi;
        // A tiny negative angle plus 2*pi rounds to 2*pi itself, which lies outside [0, 2*pi).
        if (t >= kTwoPi)
            t = 0;
    }
    double s = std::sqrt(dy * dy + dx * dx);
    if (dx == 0 && dy == 0) {
        t = 0;
        s = 0;
    }
    return {s, t};
}

AzDistResult AzDist(const TPt& p1, const TPt& p2) {
    const PolarResult p = Polar(p2.E - p1.E, p2.N - p1.N);
    return {p.t * Rho + p1.c, p.s};
}

UtmResult GeoToUTM(int L0, double a, double f, double B, double L) {
    const Ellipsoid& el = EllipsoidOf(a, f);
    const double eps = el.eps;
    const double phi = B / Rho;
    // A zone's ground reaches across 180 degrees (zone 60 holds 179.99 W, zone 1 179.99 E): the
    // difference to the central meridian is taken the short way round. Within 180 degrees it
    // is left alone, so the usual case stays bit for bit what it was.
    double dL = L - L0;
    if (std::fabs(dL) > 180.0)
        dL = WrapDegrees(dL);
    const double l = dL / Rho;

    const double sphi = std::sin(phi);
    const double C = std::cos(phi);
    const double sl = std::sin(l);
    const double cl = std::cos(l);
    const double t = sphi / C;
    const double t2 = t * t;
    const double C2 = C * C;
    const double C4 = C2 * C2;
    const double l2 = l * l;
    const double l3 = l2 * l;
    const double l4 = l2 * l2;

    const double eta2 = eps * C2;
    const double Nr = el.Rp / std::sqrt(1 + eta2);
    const Sin246 ms = MultipleSines(sphi, C);
    const double G = el.Rp * (el.E0 * phi + el.E2 * ms.s2 + el.E4 * ms.s4 + el.E6 * ms.s6);

    const double k0Nr = k0 * Nr;
    const double epsk0NrC4 = eps * k0Nr * C4;

    UtmResult r;
    r.X = k0Nr * std::atan(t / cl) + k0 * (G - Nr * phi) + 0.375 * epsk0NrC4 * C2 * t * l4;
    // (1/2) ln((1 + x) / (1 - x)) is atanh x, which stays accurate for small x.
    const double zone = std::trunc((L0 + 3) / 6.0 + 30);
    r.Y = k0Nr * std::atanh(C * sl) + (1.0 / 6.0) * epsk0NrC4 * C * l3 +
          (1.0 / 60.0) * epsk0NrC4 * C2 * C * (7 - 29 * t2) * l4 * l + 500000 + zone * 1000000;
    r.c = Rho * (std::atan(sphi * sl / cl) + eps * C4 * C * t * l3);
    r.m = k0 / std::sqrt(1 - C2 * sl * sl) + (k0 / 2) * eps * C4 * l2 +
          (k0 / 12) * eps * C4 * C2 * (7 - 14 * t2) * l4;
    return r;
}

namespace {

// The inverse series for the zone z given apart from the easting.
GeoResult UTMToGeoZone(double a, double f, double z, double X, double Y) {
    const Ellipsoid& el = EllipsoidOf(a, f);
    const double eps = el.eps;

    const double y = Y - (z * 1000000 + 500000);
    const double L0 = 6 * z - 183;

    const double sigma = X / el.alpha;
    const Sin246 ms = MultipleSines(std::sin(sigma), std::cos(sigma));
    const double phif = sigma + el.beta * ms.s2 + el.gamma * ms.s4 + el.delta * ms.s6;
    const double sf = std::sin(phif);
    const double Cf = std::cos(phif);
    const double tf = sf / Cf;
    const double tf2 = tf * tf;
    const double Cf2 = Cf * Cf;
    const double Nf = el.Rp / std::sqrt(1 + eps * Cf2);

    // q = y / (k0 Nf); zeta = 2 atan(e^q) - pi/2 is the Gudermannian of q, so
    // cos zeta = 1/cosh q, sin zeta = tanh q, tan zeta = sinh q: one exponential gives all.
    const double q = y / (k0 * Nf);
    const double em1 = std::expm1(q);
    const double ex = em1 + 1;
    const double sinhq = 0.5 * (em1 + em1 / ex);
    const double coshq = 0.5 * (ex + 1 / ex);
    const double tanhq = sinhq / coshq;
    const double q2 = q * q;
    const double q3 = q2 * q;
    const double q4 = q2 * q2;

    // The powers of y / (k0 Nf) replace y^n / (k0^n Nf^n) of the series.
    const double phi =
        std::asin(sf / coshq) - 0.5 * eps * Cf2 * tf * q2 + 0.25 * (1 - tf2) * eps * Cf2 * tf * q4;
    const double lambda =
        std::atan(sinhq / Cf) - (eps / 6) * Cf * q3 + ((4 * tf2 + 3) * eps / 60) * Cf * q4 * q;
    const double gc = std::atan(tanhq * tf) + (eps / 3) * Cf2 * tf * q3;

    GeoResult r;
    r.B = phi * Rho;
    r.L = L0 + lambda * Rho;
    // East of 180 degrees in zone 60 (or west of it in zone 1) is the other side's longitude.
    // An easting without prefix (zone 0) keeps its documented reading about -183 degrees.
    if (z >= 1 && std::fabs(r.L) > 180.0)
        r.L = WrapDegrees(r.L);
    r.c = gc * Rho;
    r.m = k0 * coshq + 0.5 * eps * k0 * Cf2 * q2 + 0.25 * eps * eps * Cf2 * q4;
    return r;
}

} // namespace

GeoResult UTMToGeo(double a, double f, double X, double Y) {
    return UTMToGeoZone(a, f, std::trunc(Y / 1000000), X, Y);
}

// ---- UTM zones ------------------------------------------------------------------------------

namespace {

constexpr double kFalseNorthingSouth = kUtmFalseNorthingSouth;

bool ValidZone(int zone) {
    return zone >= 1 && zone <= 60;
}

} // namespace

int UtmZoneForLongitude(double lon) {
    if (!std::isfinite(lon))
        return 32;
    if (lon == 180.0)
        return 60; // 180 E itself is the east edge of zone 60, not the start of zone 1
    const int zone = static_cast<int>(std::floor((WrapDegrees(lon) + 180.0) / 6.0)) + 1;
    return zone > 60 ? 60 : (zone < 1 ? 1 : zone);
}

int CentralMeridianOfZone(int zone) {
    return 6 * zone - 183;
}

int ZoneOf(const State& s) {
    return ValidZone(s.UtmZone) ? s.UtmZone : 32;
}

UtmResult GeoToProjectUtm(const State& s, double B, double L) {
    return GeoToUTM(CentralMeridianOfZone(ZoneOf(s)), EllipsoidA, EllipsoidF, B, L);
}

GeoResult ProjectUtmToGeo(const State& s, double X, double Y) {
    return UTMToGeoZone(EllipsoidA, EllipsoidF, ZoneOf(s), X, Y);
}

bool AdoptZone(State& s, double B, double L) {
    for (const TPt& p : s.Points)
        if (p.E != 0)
            return false;
    if (!std::isfinite(B) || !std::isfinite(L))
        return false;
    s.UtmZone = UtmZoneForLongitude(L);
    s.UtmSouth = B < 0;
    return true;
}

std::optional<std::string> ZoneWarning(const State& s, double L) {
    const int zone = ZoneOf(s);
    const double off = WrapDegrees(L - CentralMeridianOfZone(zone));
    if (!(std::fabs(off) > 6.0))
        return std::nullopt;
    return Format("Achtung: die Länge %.6f liegt mehr als 3 Grad außerhalb der UTM-Zone %d; "
                  "Maßstab und Lage sind dort ungenau.",
                  {L, zone});
}

StandardUtm ToStandardUtm(const State& s, double E, double N) {
    return ToStandardUtm(ZoneOf(s), s.UtmSouth, E, N);
}

StandardUtm ToStandardUtm(int zone, bool south, double E, double N) {
    zone = ValidZone(zone) ? zone : 32;
    StandardUtm r{};
    r.zone = zone;
    r.south = south;
    r.epsg = (south ? 32700 : 32600) + zone;
    r.easting = E - zone * 1000000.0;
    r.northing = south ? N + kFalseNorthingSouth : N;
    return r;
}

ProjectUtm FromStandardUtm(const State& s, double easting, double northing) {
    return FromStandardUtm(ZoneOf(s), s.UtmSouth, easting, northing);
}

ProjectUtm FromStandardUtm(int zone, bool south, double easting, double northing) {
    zone = ValidZone(zone) ? zone : 32;
    return {easting + zone * 1000000.0, south ? northing - kFalseNorthingSouth : northing};
}

} // namespace korvale

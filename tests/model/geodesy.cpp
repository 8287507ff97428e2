// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/geodesy.h"

#include <cmath>
#include <numbers>

#include <GeographicLib/TransverseMercator.hpp>
#include <gtest/gtest.h>

#include "model/state.h"

using namespace korvale;

namespace {

constexpr double kPi = std::numbers::pi;

// GeographicLib's exact transverse Mercator (Krueger series to 6th order, accurate to a few
// nanometres) on the same ellipsoid and scale: the oracle for the series below.
const GeographicLib::TransverseMercator& Exact() {
    static const GeographicLib::TransverseMercator tm(6378137.0, 1 / 298.257222101, 0.9996);
    return tm;
}

// The conversion formulas written out term by term as textbooks give them, without any of
// the rearrangements that make the library fast. The library must agree with these closely.
struct Series {
    double eps, Rp, E0, E2, E4, E6, beta, gamma, delta;
    explicit Series(double a, double f) {
        const double e2 = 2 * f - f * f;
        eps = e2 / (1 - e2);
        const double p2 = eps * eps, p3 = p2 * eps, p4 = p3 * eps;
        Rp = a / std::sqrt(1 - e2);
        E0 = 1 - 0.75 * eps + 0.703125 * p2 - 0.68359375 * p3 + 0.67291259765625 * p4;
        E2 = -0.375 * eps + 0.46875 * p2 - 0.5126953125 * p3 + 0.538330078125 * p4;
        E4 = 0.05859375 * p2 - 0.1025390625 * p3 + 0.13458251953125 * p4;
        E6 = -35.0 / 3072 * p3 + 0.025634765625 * p4;
        beta = 0.375 * eps - 0.1875 * p2 + 0.10400390625 * p3 - 0.062255859375 * p4;
        gamma = 0.08203125 * p2 - 0.08203125 * p3 + 0.0650634765625 * p4;
        delta = 0.024576822916666668 * p3 - 0.036865234375 * p4;
    }
};

UtmResult PlainGeoToUTM(int L0, double a, double f, double B, double L) {
    const Series s(a, f);
    const double k0 = 0.9996, phi = B / Rho, l = (L - L0) / Rho;
    const double C = std::cos(phi), t = std::sin(phi) / std::cos(phi);
    const double Nr = s.Rp / std::sqrt(1 + s.eps * C * C);
    const double G = s.Rp * (s.E0 * phi + s.E2 * std::sin(2 * phi) + s.E4 * std::sin(4 * phi) +
                             s.E6 * std::sin(6 * phi));
    UtmResult r;
    r.X = k0 * Nr * std::atan(std::tan(phi) / std::cos(l)) + k0 * (G - Nr * phi) +
          3.0 / 8 * k0 * s.eps * Nr * std::pow(C, 6) * t * std::pow(l, 4);
    r.Y = k0 / 2 * Nr * std::log((1 + C * std::sin(l)) / (1 - C * std::sin(l))) +
          k0 / 6 * s.eps * Nr * std::pow(C, 5) * std::pow(l, 3) +
          k0 / 60 * s.eps * Nr * std::pow(C, 7) * (7 - 29 * t * t) * std::pow(l, 5) + 500000 +
          std::trunc((L0 + 3) / 6.0 + 30) * 1000000;
    r.c = Rho * (std::atan(std::sin(phi) * std::sin(l) / std::cos(l)) +
                 s.eps * std::pow(C, 5) * t * std::pow(l, 3));
    r.m = k0 / std::sqrt(1 - C * C * std::sin(l) * std::sin(l)) +
          k0 / 2 * s.eps * std::pow(C, 4) * l * l +
          k0 / 12 * s.eps * std::pow(C, 6) * (7 - 14 * t * t) * std::pow(l, 4);
    return r;
}

GeoResult PlainUTMToGeo(double a, double f, double X, double Y) {
    const Series s(a, f);
    const double k0 = 0.9996, e = s.eps;
    const double z = std::trunc(Y / 1000000), y = Y - (z * 1000000 + 500000), L0 = 6 * z - 183;
    const double sg = X / (s.E0 * k0 * s.Rp);
    const double pf =
        sg + s.beta * std::sin(2 * sg) + s.gamma * std::sin(4 * sg) + s.delta * std::sin(6 * sg);
    const double Cf = std::cos(pf), tf = std::tan(pf);
    const double Nf = s.Rp / std::sqrt(1 + e * Cf * Cf);
    const double zeta = 2 * std::atan(std::exp(y / (k0 * Nf))) - 1.5707963267948966;
    const double phi =
        std::asin(std::cos(zeta) * std::sin(pf)) -
        e / (2 * k0 * k0 * Nf * Nf) * Cf * Cf * tf * y * y +
        (1 - tf * tf) * e / (4 * std::pow(k0 * Nf, 4)) * Cf * Cf * tf * std::pow(y, 4);
    const double lam = std::atan(std::tan(zeta) / Cf) -
                       e / (6 * std::pow(k0 * Nf, 3)) * Cf * std::pow(y, 3) +
                       (4 * tf * tf + 3) * e / (60 * std::pow(k0 * Nf, 5)) * Cf * std::pow(y, 5);
    const double gc = std::atan(std::sin(zeta) * tf) +
                      e / (3 * std::pow(k0 * Nf, 3)) * Cf * Cf * tf * std::pow(y, 3);
    GeoResult r;
    r.B = phi * Rho;
    r.L = L0 + lam * Rho;
    r.c = gc * Rho;
    r.m = k0 / std::cos(zeta) + e / (2 * k0 * Nf * Nf) * Cf * Cf * y * y +
          e * e / (4 * std::pow(k0 * Nf, 4)) * Cf * Cf * std::pow(y, 4);
    return r;
}

} // namespace

TEST(Geodesy, Sgn) {
    EXPECT_EQ(Sgn(-0.1), -1);
    EXPECT_EQ(Sgn(0.0), 0);
    EXPECT_EQ(Sgn(-0.0), 0);
    EXPECT_EQ(Sgn(1e-300), 1);
}

TEST(Geodesy, PolarQuadrantsAndZero) {
    const struct {
        double dy, dx, s, t;
    } cases[] = {
        {1, 0, 1, kPi / 2},
        {-1, 0, 1, 3 * kPi / 2},
        {0, -1, 1, kPi},
        {0, 1, 1, 0},
        {0, 0, 0, 0},
        {3, 4, 5, std::atan(0.75)},
        {3, -4, 5, kPi - std::atan(0.75)},
        {-3, -4, 5, kPi + std::atan(0.75)},
        {-3, 4, 5, 2 * kPi - std::atan(0.75)},
    };
    for (const auto& c : cases) {
        const PolarResult p = Polar(c.dy, c.dx);
        EXPECT_DOUBLE_EQ(p.s, c.s) << c.dy << "," << c.dx;
        EXPECT_NEAR(p.t, c.t, 1e-15) << c.dy << "," << c.dx;
    }
    // A hair west of north stays inside [0, 2 pi) instead of rounding up to 2 pi.
    const PolarResult p = Polar(-1e-300, 1);
    EXPECT_GE(p.t, 0);
    EXPECT_LT(p.t, 2 * kPi);
}

TEST(Geodesy, AzDistAddsTheConvergenceOfTheFirstPoint) {
    TPt p1;
    p1.E = 32500000;
    p1.N = 5300000;
    TPt p2 = p1;
    p2.E += 30;
    p2.N += 40;
    AzDistResult r = AzDist(p1, p2);
    EXPECT_DOUBLE_EQ(r.Dist, 50);
    EXPECT_NEAR(r.Az, std::atan(0.75) * Rho, 1e-12);
    p1.c = 2;
    p2.c = 7; // the second point's convergence plays no part
    EXPECT_NEAR(AzDist(p1, p2).Az, std::atan(0.75) * Rho + 2, 1e-12);
    // Not brought back into [0, 360): just west of north with a negative convergence.
    p2 = p1;
    p2.E -= 1;
    p2.N += 1000;
    p1.c = 2;
    EXPECT_GT(AzDist(p1, p2).Az, 360);
    p1.c = -2;
    p2.E = p1.E + 1;
    EXPECT_LT(AzDist(p1, p2).Az, 0);
}

TEST(Geodesy, ForwardMatchesExactTransverseMercator) {
    for (double B = 30; B <= 72; B += 1.5) {
        for (double L = 6; L <= 12; L += 0.5) {
            double x, y, gam, k;
            Exact().Forward(9, B, L, y, x, gam, k);
            const UtmResult u = GeoToUTM(9, EllipsoidA, EllipsoidF, B, L);
            EXPECT_NEAR(u.X, x, 2e-4) << B << " " << L;
            EXPECT_NEAR(u.Y - 32500000, y, 2e-4) << B << " " << L;
            EXPECT_NEAR(u.c, gam, 2e-7) << B << " " << L;
            EXPECT_NEAR(u.m, k, 1e-10) << B << " " << L;

            const GeoResult g = UTMToGeo(EllipsoidA, EllipsoidF, u.X, u.Y);
            EXPECT_NEAR(g.B, B, 1e-8) << B << " " << L;
            EXPECT_NEAR(g.L, L, 1e-8) << B << " " << L;
            EXPECT_NEAR(g.c, u.c, 2e-7) << B << " " << L;
            EXPECT_NEAR(g.m, u.m, 1e-8) << B << " " << L;
        }
    }
}

TEST(Geodesy, InverseMatchesExactTransverseMercator) {
    for (double X = 3300000; X <= 8000000; X += 250000) {
        for (double y = -250000; y <= 250000; y += 50000) {
            double B, L, gam, k;
            Exact().Reverse(9, y, X, B, L, gam, k);
            const GeoResult g = UTMToGeo(EllipsoidA, EllipsoidF, X, 32500000 + y);
            EXPECT_NEAR(g.B, B, 1e-8) << X << " " << y;
            EXPECT_NEAR(g.L, L, 1e-8) << X << " " << y;
            EXPECT_NEAR(g.c, gam, 2e-7) << X << " " << y;
            EXPECT_NEAR(g.m, k, 1e-8) << X << " " << y;
        }
    }
}

TEST(Geodesy, AgreesWithTheSeriesWrittenOutTermByTerm) {
    // Tolerances of a few ulps of the coordinates: the rearrangements change only rounding.
    for (double B = -60; B <= 80; B += 5) {
        for (double L = -3; L <= 21; L += 1.5) {
            const UtmResult u = GeoToUTM(9, EllipsoidA, EllipsoidF, B, L);
            const UtmResult w = PlainGeoToUTM(9, EllipsoidA, EllipsoidF, B, L);
            EXPECT_NEAR(u.X, w.X, 1e-8) << B << " " << L;
            EXPECT_NEAR(u.Y, w.Y, 1e-8) << B << " " << L;
            EXPECT_NEAR(u.c, w.c, 1e-12) << B << " " << L;
            EXPECT_NEAR(u.m, w.m, 1e-14) << B << " " << L;
            const GeoResult g = UTMToGeo(EllipsoidA, EllipsoidF, u.X, u.Y);
            const GeoResult h = PlainUTMToGeo(EllipsoidA, EllipsoidF, u.X, u.Y);
            EXPECT_NEAR(g.B, h.B, 1e-12) << B << " " << L;
            EXPECT_NEAR(g.L, h.L, 1e-12) << B << " " << L;
            EXPECT_NEAR(g.c, h.c, 1e-12) << B << " " << L;
            EXPECT_NEAR(g.m, h.m, 1e-14) << B << " " << L;
        }
    }
    // Another ellipsoid after the usual one, and back: nothing of the first may stick.
    const double a = 6378388, f = 1 / 297.0;
    const UtmResult u = GeoToUTM(9, a, f, 50, 10);
    const UtmResult w = PlainGeoToUTM(9, a, f, 50, 10);
    EXPECT_NEAR(u.X, w.X, 1e-8);
    EXPECT_NEAR(u.Y, w.Y, 1e-8);
    const GeoResult g = UTMToGeo(a, f, u.X, u.Y);
    EXPECT_NEAR(g.B, 50, 1e-8);
    EXPECT_NEAR(g.L, 10, 1e-8);
    EXPECT_NEAR(GeoToUTM(9, EllipsoidA, EllipsoidF, 50, 10).X,
                PlainGeoToUTM(9, EllipsoidA, EllipsoidF, 50, 10).X, 1e-8);
}

TEST(Geodesy, StandardZone32Point) {
    const UtmResult u = GeoToUTM(9, EllipsoidA, EllipsoidF, 48, 11);
    // Standard UTM zone 32 of 48 N 11 E: E 649187.875, N 5318235.614 (to the millimetre).
    EXPECT_NEAR(u.X, 5318235.614, 0.001);
    EXPECT_NEAR(u.Y, 32649187.875, 0.001);
    EXPECT_NEAR(u.c, 1.4866, 1e-4);
    EXPECT_LT(u.m, 1);
    EXPECT_GT(u.m, 0.9996);
    const GeoResult g = UTMToGeo(EllipsoidA, EllipsoidF, u.X, u.Y);
    EXPECT_NEAR(g.B, 48, 1e-9);
    EXPECT_NEAR(g.L, 11, 1e-9);
}

TEST(Geodesy, CentralMeridianAndWestOfIt) {
    for (double B : {0.0, 30.0, 47.5, 54.0, 70.0}) {
        const UtmResult u = GeoToUTM(9, EllipsoidA, EllipsoidF, B, 9);
        EXPECT_EQ(u.Y, 32500000) << B;
        EXPECT_EQ(u.c, 0) << B;
        EXPECT_EQ(u.m, 0.9996) << B;
        double x, y, gam, k;
        Exact().Forward(9, B, 9, y, x, gam, k);
        EXPECT_NEAR(u.X, x, 2e-4) << B;
    }
    EXPECT_EQ(GeoToUTM(9, EllipsoidA, EllipsoidF, 0, 9).X, 0);

    const UtmResult w = GeoToUTM(9, EllipsoidA, EllipsoidF, 50, 6);
    EXPECT_LT(w.Y, 32500000);
    EXPECT_NEAR(w.c, -2.3, 0.05);
    EXPECT_LT(w.c, 0);
    const GeoResult g = UTMToGeo(EllipsoidA, EllipsoidF, 5000000, 32500000);
    EXPECT_EQ(g.L, 9);
    EXPECT_EQ(g.c, 0);
}

TEST(Geodesy, EastingWithoutZoneTakesZoneZero) {
    // Zone 0 has its central meridian at -183 degrees.
    const GeoResult g = UTMToGeo(EllipsoidA, EllipsoidF, 5318235.614, 649187.875);
    EXPECT_NEAR(g.B, 48, 1e-6);
    EXPECT_NEAR(g.L, -183 + 2, 1e-6);
    const UtmResult u = GeoToUTM(-183, EllipsoidA, EllipsoidF, 48, -181);
    EXPECT_NEAR(u.Y, 649187.875, 0.001);
}

TEST(Geodesy, SouthernHemisphereHasNegativeNorthing) {
    const UtmResult u = GeoToUTM(9, EllipsoidA, EllipsoidF, -33, 10);
    double x, y, gam, k;
    Exact().Forward(9, -33, 10, y, x, gam, k);
    EXPECT_LT(u.X, 0);
    EXPECT_NEAR(u.X, x, 2e-4);
    EXPECT_NEAR(u.c, gam, 1e-6);
    const GeoResult g = UTMToGeo(EllipsoidA, EllipsoidF, u.X, u.Y);
    EXPECT_NEAR(g.B, -33, 1e-8);
    EXPECT_NEAR(g.L, 10, 1e-8);
}

// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Fit, protocol, both directions and the filling of points of the map transformation.
#include "georef/transform.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "model/error.h"
#include "model/geodesy.h"

namespace korvale {
namespace {

TPt Pt(std::uint8_t typ, float xb, float yb, double E = 0, double N = 0) {
    TPt p;
    p.Typ = typ;
    p.xb = xb;
    p.yb = yb;
    p.E = E;
    p.N = N;
    return p;
}

// Ground coordinates of a map position by a known similarity (values chosen so that every
// step of the fit is exact in binary floating point).
struct Truth {
    double O, A, Xbs, Ybs, Ys, Xs;
    TPt Control(float xb, float yb, double eE = 0, double eN = 0) const {
        const double u = xb - Xbs, v = yb - Ybs;
        return Pt(KindControl, xb, yb, Ys + O * u + A * v + eE, Xs + A * u - O * v + eN);
    }
};

std::string Tail(const std::string& s, std::size_t n) {
    return n <= s.size() ? s.substr(s.size() - n) : s;
}

std::uint64_t Bits(double v) {
    return std::bit_cast<std::uint64_t>(v);
}

void ExpectSamePoints(const std::vector<TPt>& a, const std::vector<TPt>& b) {
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(Bits(a[i].B), Bits(b[i].B));
        EXPECT_EQ(Bits(a[i].L), Bits(b[i].L));
        EXPECT_EQ(Bits(a[i].E), Bits(b[i].E));
        EXPECT_EQ(Bits(a[i].N), Bits(b[i].N));
        EXPECT_EQ(Bits(a[i].c), Bits(b[i].c));
        EXPECT_EQ(a[i].xb, b[i].xb);
        EXPECT_EQ(a[i].yb, b[i].yb);
        EXPECT_EQ(a[i].Typ, b[i].Typ);
    }
}

void ExpectSameTraf(const State& a, const State& b) {
    EXPECT_EQ(Bits(a.TrafO), Bits(b.TrafO));
    EXPECT_EQ(Bits(a.TrafA), Bits(b.TrafA));
    EXPECT_EQ(Bits(a.TrafM), Bits(b.TrafM));
    EXPECT_EQ(Bits(a.TrafYbs), Bits(b.TrafYbs));
    EXPECT_EQ(Bits(a.TrafXbs), Bits(b.TrafXbs));
    EXPECT_EQ(Bits(a.TrafYs), Bits(b.TrafYs));
    EXPECT_EQ(Bits(a.TrafXs), Bits(b.TrafXs));
}

TEST(TrafPar, TwoControlPointsFitExactlyWithFullProtocol) {
    // Centroid of (100, 200) and (300, 50) is (200, 125); other kinds between them are ignored.
    const Truth t{0.5, 0.75, 200, 125, 32500000, 5400000};
    State s;
    s.Points = {t.Control(100, 200), Pt(KindBorder, 7, 8), Pt(KindPlain, 9, 9), t.Control(300, 50)};

    const TrafResult r = TrafPar(s);

    const std::vector<std::string> expected = {
        "Passpunkttransformation",
        "   0 x100.00 y200.00 E 32500006.25 N  5399887.50 vE  0.00 vN  0.00",
        "   3 x300.00 y 50.00 E 32499993.75 N  5400112.50 vE  0.00 vN  0.00",
        "ybs   125 xbs   200 Ys 32500000.00 Xs 5400000.00 o   0.500000 a   0.750000 "
        "M   0.901388 m0   0.000000 mp       0.00",
    };
    EXPECT_EQ(r.protocol, expected);
    EXPECT_EQ(r.status, "Transformation: Pixelgröße m:  0.901388 m0   0.000000 mp       0.00");
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(s.TrafO, 0.5);
    EXPECT_EQ(s.TrafA, 0.75);
    EXPECT_EQ(s.TrafM, std::sqrt(0.8125));
    EXPECT_EQ(s.TrafXbs, 200);
    EXPECT_EQ(s.TrafYbs, 125);
    EXPECT_EQ(s.TrafYs, 32500000);
    EXPECT_EQ(s.TrafXs, 5400000);
}

TEST(TrafPar, NorthUpOneMetrePerPixel) {
    State s;
    for (float x : {10.f, 410.f})
        for (float y : {60.f, 300.f, 180.f})
            s.Points.push_back(Pt(KindControl, x, y, 32690000.0 + x, 5330000.0 - y));

    const TrafResult r = TrafPar(s);

    EXPECT_EQ(r.status, "Transformation: Pixelgröße m:  1.000000 m0   0.000000 mp       0.00");
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(s.TrafO, 1.0);
    EXPECT_EQ(s.TrafA, 0.0);
    EXPECT_EQ(s.TrafM, 1.0);
    ASSERT_EQ(r.protocol.size(), 8u);
    EXPECT_EQ(r.protocol[1].substr(0, 20), "   0 x 10.00 y 60.00");
}

// Three control points whose residuals are a fixed pattern orthogonal to the model, scaled by
// k: V = 8 k^2, so m0 = sqrt(V / 4) (divisor 2n - 2) and mp = sqrt(2) m0 = 2 k.
TEST(TrafPar, AccuracyOfThreePointsAndTheOkThreshold) {
    const Truth t{1, 0, 110, 110, 32600000, 5300000};
    struct Case {
        double k;
        const char* m0mp; // end of the ybs line
        const char* status;
        bool ok;
    };
    const Case cases[] = {
        {0.995, "m0   1.407142 mp       1.99",
         "Transformation: Pixelgröße m:  1.000000 m0   1.407142 mp       1.99", true},
        // Shown as 2.00 but below 2: the rule looks at the computed value.
        {0.9999, "m0   1.414072 mp       2.00",
         "Transformation: Pixelgröße m:  1.000000 m0   1.414072 mp       2.00", true},
        {1.0, "m0   1.414214 mp       2.00",
         "Transformation: Pixelgröße m:  1.000000 m0   1.414214 mp       2.00", false},
        {1.5, "m0   2.121320 mp       3.00",
         "Transformation: Pixelgröße m:  1.000000 m0   2.121320 mp       3.00", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.k);
        State s;
        s.Points = {t.Control(100, 100, 2 * c.k, 0), t.Control(130, 100, -c.k, c.k),
                    t.Control(100, 130, -c.k, -c.k)};
        const TrafResult r = TrafPar(s);
        EXPECT_NEAR(s.TrafO, 1.0, 1e-9);
        EXPECT_NEAR(s.TrafA, 0.0, 1e-9);
        EXPECT_NEAR(r.m0, std::sqrt(2.0) * c.k, 1e-9);
        EXPECT_NEAR(r.mp, 2.0 * c.k, 1e-9);
        ASSERT_EQ(r.protocol.size(), 5u);
        EXPECT_EQ(Tail(r.protocol.back(), std::string(c.m0mp).size()), c.m0mp);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.ok, c.ok);
    }
    // Residual signs: vE is measured minus computed, vN computed minus measured.
    State s;
    s.Points = {t.Control(100, 100, 2, 0), t.Control(130, 100, -1, 1), t.Control(100, 130, -1, -1)};
    const TrafResult r = TrafPar(s);
    EXPECT_EQ(Tail(r.protocol[1], 17), "vE  2.00 vN  0.00");
    EXPECT_EQ(Tail(r.protocol[2], 17), "vE -1.00 vN -1.00");
    EXPECT_EQ(Tail(r.protocol[3], 17), "vE -1.00 vN  1.00");
}

TEST(TrafPar, RefusesWithoutTwoDistinctControlPointsAndChangesNothing) {
    const std::vector<std::vector<TPt>> cases = {
        {},
        {Pt(KindPlain, 1, 2), Pt(KindBorder, 5, 6)},
        {Pt(KindControl, 100, 100, 32500000, 5300000), Pt(KindBorder, 300, 300)},
        {Pt(KindControl, 100, 100, 32500000, 5300000), Pt(KindControl, 100, 100, 32500100, 5300100),
         Pt(KindControl, 100, 100, 32500200, 5300000)},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        State s;
        s.TrafO = 0.25;
        s.TrafA = -0.5;
        s.TrafM = 7;
        s.TrafYbs = 11;
        s.TrafXbs = 12;
        s.TrafYs = 32500013;
        s.TrafXs = 5300014;
        s.Points = cases[i];
        const State before = s;
        try {
            TrafPar(s);
            ADD_FAILURE() << "fit accepted";
        } catch (const Error& e) {
            EXPECT_EQ(e.kind(), ErrorKind::Refused);
            EXPECT_STREQ(e.what(), "Für die Passpunkttransformation werden mindestens zwei "
                                   "Passpunkte an verschiedenen Positionen benötigt.");
        }
        ExpectSameTraf(s, before);
        ExpectSamePoints(s.Points, before.Points);
    }
}

TEST(Trafback, InvertsTrafoneOnARotatedMap) {
    // A map turned by about 30 degrees at 1.7 m per pixel, control points with small errors.
    const double O = 1.7 * std::cos(0.52), A = 1.7 * std::sin(0.52);
    const Truth t{O, A, 400, 300, 32688123.4, 5334567.8};
    State s;
    s.Points = {t.Control(50, 40, 0.3, -0.2), t.Control(780, 90, -0.1, 0.4),
                t.Control(420, 560, -0.2, -0.2)};
    TrafPar(s);
    EXPECT_NEAR(s.TrafA, A, 1e-3);
    for (float x : {0.f, 123.5f, 999.f})
        for (float y : {-20.f, 333.25f, 700.f}) {
            const EastNorth en = Trafone(s, x, y);
            const ImagePos back = Trafback(s, en.N, en.E);
            EXPECT_NEAR(back.xb, x, 1e-6);
            EXPECT_NEAR(back.yb, y, 1e-6);
        }
}

TEST(Trafback, IsNaNWithoutATransformation) {
    const State s;
    const ImagePos p = Trafback(s, 5300000, 32500000);
    EXPECT_TRUE(std::isnan(p.xb));
    EXPECT_TRUE(std::isnan(p.yb));
    const EastNorth en = Trafone(s, 100, 200);
    EXPECT_EQ(en.E, 0.0);
    EXPECT_EQ(en.N, 0.0);
}

TEST(Trafall, FillsOnlyPointsWithoutGroundCoordinates) {
    // Control points from real geographic positions, north-up at 0.5 m per pixel.
    const UtmResult g = GeoToUTM(9, EllipsoidA, EllipsoidF, 48.1, 11.5);
    State s;
    auto control = [&](float x, float y) {
        return Pt(KindControl, x, y, g.Y + 0.5 * (x - 200), g.X - 0.5 * (y - 200));
    };
    s.Points = {control(100, 100), control(300, 300), Pt(KindPlain, 200, 200)};
    TPt kept = Pt(KindBorder, 250, 150, 32400000, 5200000);
    kept.B = 1;
    kept.L = 2;
    kept.c = 3;
    s.Points.push_back(kept);

    // Before any fit nothing can be given: the points stay as they are.
    const std::vector<TPt> before = s.Points;
    Trafall(s);
    ExpectSamePoints(s.Points, before);

    TrafPar(s);
    Trafall(s);
    const TPt& filled = s.Points[2];
    EXPECT_DOUBLE_EQ(filled.E, g.Y);
    EXPECT_DOUBLE_EQ(filled.N, g.X);
    EXPECT_NEAR(filled.B, 48.1, 1e-9);
    EXPECT_NEAR(filled.L, 11.5, 1e-9);
    EXPECT_NEAR(filled.c, g.c, 1e-8);
    EXPECT_GT(filled.c, 1.5);
    ExpectSamePoints({s.Points[0], s.Points[1], s.Points[3]}, {before[0], before[1], before[3]});
}

TEST(Trafall, PointKeepsItsCoordinatesAcrossASecondFit) {
    const Truth t{0.8, 0.1, 0, 0, 32650000, 5350000};
    State s;
    s.Points = {t.Control(10, 20), t.Control(500, 400)};
    TrafPar(s);
    s.Points.push_back(Pt(KindFreeLine, 250, 250));
    Trafall(s);
    const TPt first = s.Points[2];
    ASSERT_NE(first.E, 0.0);

    // A third control point that pulls the fit elsewhere.
    s.Points.push_back(t.Control(600, 30, 25, -40));
    const double oldO = s.TrafO;
    TrafPar(s);
    ASSERT_NE(s.TrafO, oldO);
    Trafall(s);
    ExpectSamePoints({s.Points[2]}, {first});
}

} // namespace
} // namespace korvale

// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "planning/grid.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "model/error.h"
#include "planning/border.h"

using namespace korvale;

namespace {

constexpr double E0 = 32512345.678;
constexpr double N0 = 5301234.567;
constexpr double kOnLine = 1e-6; // metres

struct XY {
    double e, n;
};

State Ring(const std::vector<XY>& corners) {
    State s;
    for (const XY& c : corners) {
        TPt p;
        p.Typ = KindBorder;
        p.E = c.e;
        p.N = c.n;
        s.Points.push_back(p);
    }
    ParamPageModel p;
    SetBorderPointer(s, p);
    return s;
}

std::vector<XY> Square() {
    return {{E0, N0}, {E0 + 100, N0}, {E0 + 100, N0 + 100}, {E0, N0 + 100}};
}

double DistToSegment(XY p, XY a, XY b) {
    const double dx = b.e - a.e, dy = b.n - a.n;
    const double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((p.e - a.e) * dx + (p.n - a.n) * dy) / len2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(p.e - a.e - t * dx, p.n - a.n - t * dy);
}

// Checks what every grid over a convex ring must give: segments (2j, 2j+1) joining two border
// crossings of one grid line, inside the area, pointing one way, in ascending order across the
// lines without gaps, on the grid's lines, and reaching across the whole area.
void CheckConvexGrid(const std::vector<XY>& poly, double Ri, double B) {
    State s = Ring(poly);
    Schnitte(s, Ri, B);

    double eMin = 1e300, eMax = -1e300, nMin = 1e300, nMax = -1e300;
    for (const XY& p : poly) {
        eMin = std::min(eMin, p.e), eMax = std::max(eMax, p.e);
        nMin = std::min(nMin, p.n), nMax = std::max(nMax, p.n);
    }
    EXPECT_EQ(s.BorderEMin, eMin - 100);
    EXPECT_EQ(s.BorderNMax, nMax + 100);
    const XY c{(eMin + eMax) / 2, (nMin + nMax) / 2};
    const double alpha = (Ri == 0 ? 0.01 : Ri) / Rho;
    const double vx = -std::sin(alpha), vy = std::cos(alpha);
    const auto across = [&](XY p) { return (p.e - c.e) * vx + (p.n - c.n) * vy; };
    const double e0 = -((eMax - eMin) / 2 + 100);
    double tMin = 1e300, tMax = -1e300;
    for (const XY& p : poly)
        tMin = std::min(tMin, across(p)), tMax = std::max(tMax, across(p));
    // Orientation of the ring, for the inside test.
    double area2 = 0;
    for (std::size_t i = 0; i < poly.size(); ++i) {
        const XY a = poly[i], b = poly[(i + 1) % poly.size()];
        area2 += (a.e - c.e) * (b.n - c.n) - (a.n - c.n) * (b.e - c.e);
    }
    const double orient = area2 > 0 ? 1 : -1;

    ASSERT_EQ(s.CutPoints.size(), 2 * s.FlightSegs.size());
    XY dir0{0, 0};
    double prevT = 0;
    for (std::size_t j = 0; j < s.FlightSegs.size(); ++j) {
        SCOPED_TRACE(j);
        ASSERT_EQ(s.FlightSegs[j], (TLine{int(2 * j), int(2 * j + 1)}));
        const XY a{s.CutPoints[2 * j][0], s.CutPoints[2 * j][1]};
        const XY b{s.CutPoints[2 * j + 1][0], s.CutPoints[2 * j + 1][1]};
        for (const XY& p : {a, b}) {
            double d = 1e300;
            for (std::size_t i = 0; i < poly.size(); ++i)
                d = std::min(d, DistToSegment(p, poly[i], poly[(i + 1) % poly.size()]));
            EXPECT_LT(d, kOnLine);
        }
        const XY mid{(a.e + b.e) / 2, (a.n + b.n) / 2};
        for (std::size_t i = 0; i < poly.size(); ++i) {
            const XY p = poly[i], q = poly[(i + 1) % poly.size()];
            const double cross = (q.e - p.e) * (mid.n - p.n) - (q.n - p.n) * (mid.e - p.e);
            EXPECT_GT(orient * cross / std::hypot(q.e - p.e, q.n - p.n), -kOnLine);
        }
        const double t = across(a);
        EXPECT_NEAR(across(b), t, kOnLine); // both ends on one grid line
        const double k = (t - e0) / B;      // and that line is one of the grid's
        EXPECT_NEAR(k, std::round(k), 1e-6);
        const XY dir{b.e - a.e, b.n - a.n};
        EXPECT_GT(std::hypot(dir.e, dir.n), 0);
        if (j == 0)
            dir0 = dir;
        else {
            EXPECT_GT(dir.e * dir0.e + dir.n * dir0.n, 0) << "segment points the other way";
            EXPECT_NEAR(t - prevT, B, 1e-6) << "gap or disorder between grid lines";
        }
        prevT = t;
    }
    // Every line of the grid that passes through the area carries a segment; lines lie at
    // the spacing B, so no point of the area is farther than B from a flown line, and none
    // between the first and the last flown line farther than B / 2.
    if (s.FlightSegs.empty()) {
        const double k = std::ceil((tMin + kOnLine - e0) / B);
        EXPECT_GE(e0 + k * B, tMax - kOnLine) << "a grid line crosses the area unflown";
    } else {
        const double first = across({s.CutPoints[0][0], s.CutPoints[0][1]});
        EXPECT_GT(first, tMin - kOnLine);
        EXPECT_LE(first, tMin + B + 0.01);
        EXPECT_LT(prevT, tMax + kOnLine);
        EXPECT_GE(prevT, tMax - B - 0.01);
    }
}

} // namespace

TEST(Intersect, ClosedEdgeUnboundedLine) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        double x1, y1, x2, y2, x3, y3, x4, y4;
        bool hit;
        double X, Y;
    };
    const std::vector<Case> cases = {
        {0, 0, 10, 0, 5, -5, 5, 5, true, 5, 0},                 // across the middle
        {0, 0, 10, 0, 5, 50, 5, 60, true, 5, 0},                // the grid line counts as unbounded
        {0, 0, 10, 0, 10, -1, 10, 1, true, 10, 0},              // at an end of the edge
        {0, 0, 10, 0, 10.001, -1, 10.001, 1, false, 10.001, 0}, // just beyond it
        {0, 0, 10, 10, 0, 10, 10, 0, true, 5, 5},
        {0, 0, 10, 0, 0, 1, 5, 1, false, nan, nan}, // parallel
        {3, 3, 3, 3, 0, 0, 5, 1, false, nan, nan},  // edge of length 0
    };
    for (const Case& c : cases) {
        const IntersectResult r = Intersect(c.x1, c.y1, c.x2, c.y2, c.x3, c.y3, c.x4, c.y4);
        EXPECT_EQ(r.hit, c.hit) << c.x3;
        if (std::isnan(c.X)) {
            EXPECT_TRUE(std::isnan(r.X) && std::isnan(r.Y));
        } else {
            EXPECT_NEAR(r.X, c.X, 1e-12);
            EXPECT_NEAR(r.Y, c.Y, 1e-12);
        }
    }
    // A comparison with NaN does not reject.
    EXPECT_TRUE(Intersect(0, 0, 10, 0, nan, -1, 5, 1).hit);
}

TEST(Schnitte, SquareWithNorthSouthLines) {
    State s = Ring(Square());
    Schnitte(s, 90, 10);
    EXPECT_EQ(s.BorderEMin, E0 - 100);
    EXPECT_EQ(s.BorderEMax, E0 + 200);
    EXPECT_EQ(s.BorderNMin, N0 - 100);
    EXPECT_EQ(s.BorderNMax, N0 + 200);
    ASSERT_EQ(s.CutPoints.size(), 2 * s.FlightSegs.size());
    std::vector<int> inner;
    double prevE = 1e300;
    for (std::size_t j = 0; j < s.FlightSegs.size(); ++j) {
        ASSERT_EQ(s.FlightSegs[j], (TLine{int(2 * j), int(2 * j + 1)}));
        const Tpunkt a = s.CutPoints[2 * j], b = s.CutPoints[2 * j + 1];
        EXPECT_NEAR(a[0], b[0], kOnLine);
        const double x = a[0] - E0;
        EXPECT_NEAR(x / 10, std::round(x / 10), 1e-7);
        EXPECT_LT(a[0], prevE + kOnLine); // grid lines run from east to west
        prevE = a[0];
        // All segments point one way; here that is south-to-north or north-to-south.
        EXPECT_GT((b[1] - a[1]) * (s.CutPoints[1][1] - s.CutPoints[0][1]), 0);
        if (x > 1 && x < 99) {
            inner.push_back(int(std::round(x)));
            EXPECT_NEAR(std::min(a[1], b[1]), N0, kOnLine);
            EXPECT_NEAR(std::max(a[1], b[1]), N0 + 100, kOnLine);
        } else {
            // A segment along the east or west side, if rounding at the corners gives one.
            EXPECT_GT(std::min(a[1], b[1]), N0 - kOnLine);
            EXPECT_LT(std::max(a[1], b[1]), N0 + 100 + kOnLine);
        }
    }
    EXPECT_EQ(inner, (std::vector<int>{90, 80, 70, 60, 50, 40, 30, 20, 10}));
}

TEST(Schnitte, SquareAtBoundaryDirections) {
    for (const double Ri : {0.0, 90.0, 180.0, 270.0, 360.0, -90.0}) {
        SCOPED_TRACE(Ri);
        CheckConvexGrid(Square(), Ri, 10);
    }
}

TEST(Schnitte, NoEdgesGivesNothing) {
    State s = Ring({});
    s.CutPoints = {{1, 2}, {3, 4}};
    s.FlightSegs = {{0, 1}};
    Schnitte(s, 45, 10);
    EXPECT_TRUE(s.CutPoints.empty());
    EXPECT_TRUE(s.FlightSegs.empty());
}

TEST(Schnitte, NonPositiveSpacingIsRefusedWithoutChange) {
    for (const double B : {0.0, -12.5, std::numeric_limits<double>::quiet_NaN(),
                           std::numeric_limits<double>::infinity()}) {
        State s = Ring(Square());
        s.CutPoints = {{1, 2}, {3, 4}};
        s.FlightSegs = {{0, 1}};
        s.BorderEMin = 7;
        try {
            Schnitte(s, 45, B);
            ADD_FAILURE() << "accepted " << B;
        } catch (const Error& e) {
            EXPECT_EQ(e.kind(), ErrorKind::Refused);
            EXPECT_NE(std::string(e.what()).find("Streifenabstand"), std::string::npos);
        }
        EXPECT_EQ(s.CutPoints, (std::vector<Tpunkt>{{1, 2}, {3, 4}}));
        EXPECT_EQ(s.FlightSegs, (std::vector<TLine>{{0, 1}}));
        EXPECT_EQ(s.BorderEMin, 7);
    }
}

TEST(Schnitte, SweepOverRandomConvexAreas) {
    std::mt19937 rng(20240611);
    std::uniform_real_distribution<double> U(0, 1);
    for (int poly = 0; poly < 16; ++poly) {
        SCOPED_TRACE(poly);
        const XY centre{E0 + 1000 * U(rng), N0 + 1000 * U(rng)};
        const double ra = 25 + 375 * U(rng), rb = 25 + 375 * U(rng), rot = 6.3 * U(rng);
        const int n = 3 + int(10 * U(rng));
        std::vector<double> th(n);
        for (double& t : th)
            t = 6.283185307179586 * U(rng);
        std::sort(th.begin(), th.end());
        std::vector<XY> pts;
        for (const double t : th) {
            const double x = ra * std::cos(t), y = rb * std::sin(t);
            pts.push_back({centre.e + x * std::cos(rot) - y * std::sin(rot),
                           centre.n + x * std::sin(rot) + y * std::cos(rot)});
        }
        if (poly % 2 == 1)
            std::reverse(pts.begin(), pts.end());
        const double B = 5 + 35 * U(rng);
        for (double Ri = -360; Ri <= 360; Ri += 7.3) {
            SCOPED_TRACE(Ri);
            CheckConvexGrid(pts, Ri, B);
            if (HasFailure())
                return;
        }
    }
}

TEST(Schnitte, LongNarrowAreaFlownAcrossIsCoveredWhole) {
    // 600 m north-south but only 50 m wide: lines near east-west laid over the box alone
    // would leave the southern part unflown.
    const std::vector<XY> strip = {{E0, N0}, {E0 + 50, N0}, {E0 + 50, N0 + 600}, {E0, N0 + 600}};
    CheckConvexGrid(strip, 0.01, 12.5);
    CheckConvexGrid(strip, 179.99, 12.5);
    State s = Ring(strip);
    Schnitte(s, 0.01, 12.5);
    EXPECT_GE(s.FlightSegs.size(), 47u);
}

TEST(Schnitte, GridLinesThroughVerticesAndAlongEdges) {
    // A square standing on a corner: at 90 degrees grid lines pass exactly through all four
    // corners, where each crossing is found on two edges; at 45 and 135 degrees the lines run
    // parallel to two of the edges each.
    const double Ec = E0 + 50;
    const std::vector<XY> diamond = {
        {Ec, N0}, {Ec + 50, N0 + 50}, {Ec, N0 + 100}, {Ec - 50, N0 + 50}};
    for (const double Ri : {90.0, 45.0, 135.0, 0.0})
        CheckConvexGrid(diamond, Ri, 10);
    State s = Ring(diamond);
    Schnitte(s, 90, 10);
    ASSERT_EQ(s.FlightSegs.size(), 9u); // the lines through the east and west corners carry none
    for (std::size_t j = 0; j < 9; ++j) {
        const Tpunkt a = s.CutPoints[2 * j], b = s.CutPoints[2 * j + 1];
        const double x = a[0] - Ec;
        EXPECT_NEAR(std::fabs(b[1] - a[1]), 2 * (50 - std::fabs(x)), 1e-6);
    }
}

// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Control-point quality: residuals, RMS and sigma0, leave-one-out outliers, switched-off points
// and the residual arrows.
#include "georef/quality.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "georef/transform.h"

namespace korvale {
namespace {

// A map copy turned by 20 degrees at 0.5 m per pixel; ground coordinates of six well spread
// control points, each off by a few centimetres as real copied coordinates are.
constexpr double kScale = 0.5;
constexpr double kTurn = 20.0 / 57.29577951308232;

TPt Control(float xb, float yb, double noiseE, double noiseN) {
    const double O = kScale * std::cos(kTurn), A = kScale * std::sin(kTurn);
    TPt p;
    p.Typ = KindControl;
    p.xb = xb;
    p.yb = yb;
    p.E = 32690000 + O * xb + A * yb + noiseE;
    p.N = 5335000 + A * xb - O * yb + noiseN;
    return p;
}

State SixPoints() {
    State s;
    const float pos[6][2] = {{60, 80}, {420, 70}, {440, 380}, {70, 400}, {250, 230}, {300, 120}};
    const double noise[6][2] = {{0.04, -0.03},  {-0.05, 0.02}, {0.03, 0.05},
                                {-0.02, -0.04}, {0.01, 0.03},  {-0.03, -0.02}};
    for (int i = 0; i < 6; ++i)
        s.Points.push_back(Control(pos[i][0], pos[i][1], noise[i][0], noise[i][1]));
    // A border point between them must not count.
    TPt border;
    border.Typ = KindBorder;
    border.xb = 5;
    s.Points.insert(s.Points.begin() + 2, border);
    return s;
}

TEST(ControlQuality, APointShiftedByTwentyPixelsIsTheOnlyOutlier) {
    State s = SixPoints();
    // Point 4 (its fourth control point) was clicked 20 pixels too far right.
    s.Points[4].xb += 20;
    const ControlQuality q = ControlPointQuality(s);
    ASSERT_TRUE(q.fitted);
    ASSERT_EQ(q.points.size(), 6u);
    EXPECT_EQ(q.used, 6);
    EXPECT_GT(q.rmsPixels, 1.0);
    for (const ControlResidual& r : q.points) {
        SCOPED_TRACE(r.index);
        ASSERT_TRUE(r.hasLimit);
        EXPECT_EQ(r.outlier, r.index == 4) << r.looPixels << " > " << r.limitPixels;
    }
    // Seen from the fit of the other five, it lies close to 20 pixels off.
    EXPECT_NEAR(q.points[3].looPixels, 20, 0.5);

    // Switched off it keeps its coordinates, leaves the fit, and the rest fits within a pixel.
    const TPt before = s.Points[4];
    s.Points[4].Off = true;
    const ControlQuality q2 = ControlPointQuality(s);
    EXPECT_EQ(q2.used, 5);
    EXPECT_EQ(q2.off, 1);
    EXPECT_LT(q2.rmsPixels, 1.0);
    for (const ControlResidual& r : q2.points)
        EXPECT_EQ(r.outlier, r.index == 4) << r.index;
    EXPECT_FALSE(q2.points[3].used);
    EXPECT_EQ(QualityCells(q2, q2.points[3]).back(), "ausgeschaltet, Ausreißer");
    EXPECT_EQ(s.Points[4].E, before.E);
    EXPECT_EQ(s.Points[4].xb, before.xb);
}

TEST(ControlQuality, FiguresFollowTheirFormulas) {
    State s = SixPoints();
    const ControlQuality q = ControlPointQuality(s);
    ASSERT_TRUE(q.fitted);
    EXPECT_NEAR(q.metresPerPixel, kScale, 1e-4);
    const TrafResult t = TrafPar(s); // its m0 divides by 2n - 2
    double V = 0;
    for (const ControlResidual& r : q.points) {
        V += r.vE * r.vE + r.vN * r.vN;
        EXPECT_NEAR(r.metres, std::hypot(r.vE, r.vN), 1e-12);
        EXPECT_NEAR(r.pixels, r.metres / q.metresPerPixel, 1e-12);
        // The pixel residual is where the ground coordinates lie on the map, seen from the
        // clicked position.
        const TPt& p = s.Points[static_cast<std::size_t>(r.index)];
        const ImagePos at = Trafback(s, p.N, p.E);
        EXPECT_NEAR(at.xb - p.xb, r.dx, 1e-6);
        EXPECT_NEAR(at.yb - p.yb, r.dy, 1e-6);
        EXPECT_FALSE(r.outlier);
    }
    EXPECT_NEAR(q.rmsMetres, std::sqrt(V / 6), 1e-12);
    EXPECT_NEAR(q.sigma0Metres, std::sqrt(V / (2 * 6 - 4)), 1e-12);
    EXPECT_NEAR(q.sigma0Metres, t.m0 * std::sqrt(10.0 / 8.0), 1e-9);
    // Good points: the limit is the minimum, and the caption names formula, rule and factor.
    EXPECT_EQ(q.points[0].limitPixels, OutlierMinPixels);
    const std::string caption = QualityCaption(q, s);
    EXPECT_NE(caption.find("s0 = √(Σv²/(2n−4))"), std::string::npos) << caption;
    EXPECT_NE(caption.find("mindestens 2 px"), std::string::npos) << caption;
    EXPECT_NE(caption.find(std::to_string(q.arrowFactor) + "-fach vergrößert"), std::string::npos)
        << caption;
}

TEST(ControlQuality, FewPointsGiveWhatTheyCan) {
    State s = SixPoints();
    s.Points.resize(4); // three control points and the border point
    ControlQuality q = ControlPointQuality(s);
    ASSERT_TRUE(q.fitted);
    EXPECT_TRUE(q.hasSigma0);
    for (const ControlResidual& r : q.points) {
        EXPECT_TRUE(r.hasLoo);    // two others fit exactly ...
        EXPECT_FALSE(r.hasLimit); // ... but say nothing about the scatter
        EXPECT_FALSE(r.outlier);
        EXPECT_EQ(QualityCells(q, r).back(), "zu wenige Punkte");
    }
    s.Points.resize(2);
    q = ControlPointQuality(s);
    EXPECT_TRUE(q.fitted);
    EXPECT_FALSE(q.hasSigma0);
    EXPECT_NE(QualityCaption(q, s).find("erst ab 3 Passpunkten"), std::string::npos);
    s.Points[1].Off = true;
    q = ControlPointQuality(s);
    EXPECT_FALSE(q.fitted);
    EXPECT_EQ(q.points.size(), 2u);
    EXPECT_EQ(QualityCells(q, q.points[1]).back(), "ausgeschaltet");
}

TEST(ControlQuality, SwitchedOffPointsTakeNoPartInTrafPar) {
    State s = SixPoints();
    s.Points[4].xb += 20;
    s.Points[4].Off = true;
    State without = s;
    without.Points.erase(without.Points.begin() + 4);
    const TrafResult a = TrafPar(s);
    TrafPar(without);
    EXPECT_EQ(s.TrafO, without.TrafO);
    EXPECT_EQ(s.TrafA, without.TrafA);
    EXPECT_EQ(s.TrafXbs, without.TrafXbs);
    EXPECT_EQ(s.TrafYs, without.TrafYs);
    // Protocol: header, five residual lines (point 4 not among them), summary.
    ASSERT_EQ(a.protocol.size(), 7u);
    for (const std::string& line : a.protocol)
        EXPECT_NE(line.rfind("   4 ", 0), 0u) << line;
    // Fewer than two used points: refused like too few control points.
    for (TPt& p : s.Points)
        p.Off = p.Typ == KindControl;
    s.Points[0].Off = false;
    EXPECT_ANY_THROW(TrafPar(s));
}

TEST(ControlQuality, ArrowsShowTheResidualEnlargedAndMarkSwitchedOffPoints) {
    State s = SixPoints();
    s.Points[4].xb += 20;
    ControlQuality q = ControlPointQuality(s);
    Overlay o;
    ShowResiduals(s, q, o);
    // The outlier's arrow: red, from its map position, arrowFactor times its pixel residual.
    const Primitive* red = nullptr;
    for (const Primitive& p : o.Items())
        if (p.kind == Primitive::Kind::Line && p.stroke == ColOutlier && !red)
            red = &p;
    ASSERT_NE(red, nullptr);
    const ControlResidual& r = q.points[3];
    EXPECT_DOUBLE_EQ(red->x1, s.Points[4].xb);
    EXPECT_DOUBLE_EQ(red->y1, s.Points[4].yb);
    EXPECT_NEAR(red->x2 - red->x1, q.arrowFactor * r.dx, 1e-9);
    EXPECT_NEAR(red->y2 - red->y1, q.arrowFactor * r.dy, 1e-9);
    EXPECT_LT(r.dx, -10); // clicked too far right: the ground position lies to the left
    EXPECT_LE(std::hypot(red->x2 - red->x1, red->y2 - red->y1), 100.0 + 1e-9);
    EXPECT_GE(q.arrowFactor, 1);

    s.Points[4].Off = true;
    q = ControlPointQuality(s);
    o.Clear();
    ShowResiduals(s, q, o);
    int rings = 0;
    for (const Primitive& p : o.Items())
        rings += p.kind == Primitive::Kind::Circle && p.stroke == ColSwitchedOff;
    EXPECT_EQ(rings, 1);
    int grey = 0; // its cross only: no arrow that would cross the map at the new factor
    for (const Primitive& p : o.Items())
        grey += p.kind == Primitive::Kind::Line && p.stroke == ColSwitchedOff;
    EXPECT_EQ(grey, 2);
    // With the outlier out, the arrows of the good points are drawn larger.
    EXPECT_GT(q.arrowFactor, 10);
}

} // namespace
} // namespace korvale

// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The orbit around a point of interest: polygon, drawing and mission.
#include "litchi/orbit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "missions_fixture.h"

namespace korvale {
namespace {

using testing::GroundE;
using testing::GroundN;
using testing::MetresOff;

constexpr double kPi = 3.14159265358979323846;

TEST(OrbitMake, CornerCountAndRadiusFollowTheSideLimits) {
    const double minRadius = 5 / std::tan(15 * kPi / 180); // side of exactly 10 px
    struct Case {
        float R;
        std::size_t corners;
        double radius;
    };
    const Case cases[] = {
        {0, 12, minRadius}, {10, 12, minRadius}, {100, 12, 100},
        {900, 12, 900},     {950, 24, 950},      {1000, 24, 1000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.R);
        Torbit o;
        Make(o, 400, 300, c.R, 12);
        ASSERT_EQ(o.P.size(), c.corners + 1);
        ASSERT_EQ(o.L.size(), c.corners);
        EXPECT_EQ(o.P[0].xb, 400.0f);
        EXPECT_EQ(o.P[0].yb, 300.0f);
        EXPECT_EQ(o.P[0].Typ, KindPOI);
        const double step = 360.0 / static_cast<double>(c.corners);
        for (std::size_t k = 1; k <= c.corners; ++k) {
            SCOPED_TRACE(k);
            // Clockwise on screen from straight below: angle -(k-1)*step from the y axis.
            const double a = -static_cast<double>(k - 1) * step * kPi / 180;
            EXPECT_NEAR(o.P[k].xb, 400 + c.radius * std::sin(a), 2e-3);
            EXPECT_NEAR(o.P[k].yb, 300 + c.radius * std::cos(a), 2e-3);
            EXPECT_EQ(o.P[k].Typ, KindFreeLine);
            const TLine side = o.L[k - 1];
            EXPECT_EQ(side[0], static_cast<int>(k));
            EXPECT_EQ(side[1], k == c.corners ? 1 : static_cast<int>(k + 1));
        }
    }
}

TEST(OrbitMake, FirstAndFourthCornerOfTheHundredPixelOrbit) {
    Torbit o;
    Make(o, 400, 300, 100, 12);
    EXPECT_NEAR(o.P[1].xb, 400, 1e-4);
    EXPECT_NEAR(o.P[1].yb, 400, 1e-4);
    EXPECT_NEAR(o.P[4].xb, 300, 1e-4);
    EXPECT_NEAR(o.P[4].yb, 300, 1e-4);
}

int CountOf(const Overlay& ov, Primitive::Kind kind) {
    int n = 0;
    for (const Primitive& p : ov.Items()) {
        n += p.kind == kind;
    }
    return n;
}

TEST(OrbitRelease, HundredPixelsGiveElevenWaypointsAroundTheCentre) {
    State s = testing::GeoreferencedState();
    Overlay ov;

    OrbitRelease(s, 400, 300, 400, 400, ov);

    ASSERT_TRUE(s.Orbit.has_value());
    const Torbit& o = *s.Orbit;
    ASSERT_EQ(o.P.size(), 13u);
    // Ground and geographic coordinates of every entry.
    for (const TPt& p : o.P) {
        EXPECT_NEAR(p.E, GroundE(p.xb), 1e-6);
        EXPECT_NEAR(p.N, GroundN(p.yb), 1e-6);
        const UtmResult u = GeoToUTM(9, EllipsoidA, EllipsoidF, p.B, p.L);
        EXPECT_NEAR(u.Y, p.E, 1e-3);
        EXPECT_NEAR(u.X, p.N, 1e-3);
        EXPECT_NEAR(p.c, u.c, 1e-6);
    }

    ASSERT_EQ(s.LitchiRecs.size(), 11u);
    for (std::size_t i = 0; i < 11; ++i) {
        SCOPED_TRACE(i);
        const TlitchRec& r = s.LitchiRecs[i];
        EXPECT_LT(MetresOff(r.latitude, r.longitude, o.P[i + 1].E, o.P[i + 1].N), 0.5);
        EXPECT_LT(MetresOff(r.poi_latitude, r.poi_longitude, GroundE(400), GroundN(300)), 0.5);
        EXPECT_EQ(r.altitude, 0.0f);
        EXPECT_EQ(r.speed, 0.0f);
        if (i > 0) {
            // Each side turns 30 degrees clockwise; only the convergence differs a little.
            const double turn = std::fmod(r.heading - s.LitchiRecs[i - 1].heading + 720, 360);
            EXPECT_NEAR(turn, 30, 0.01);
        }
    }
    // The first side runs from straight below the centre to the lower left: grid azimuth 285.
    EXPECT_NEAR(s.LitchiRecs[0].heading, 285 + o.P[1].c, 1e-3);

    // Drawing: 12 blue sides, a disc and a label for the centre and each corner, no page.
    EXPECT_FALSE(ov.TakeFrontRequest());
    EXPECT_EQ(CountOf(ov, Primitive::Kind::Line), 12);
    EXPECT_EQ(CountOf(ov, Primitive::Kind::Disc), 13);
    EXPECT_EQ(CountOf(ov, Primitive::Kind::Label), 13);
    EXPECT_EQ(CountOf(ov, Primitive::Kind::Circle), 0);
}

TEST(OrbitShow, SidesThenMarkersAndLabelsInTheMarkerColours) {
    Torbit o;
    Make(o, 400, 300, 100, 12);
    Overlay ov;
    Show(o, ov);

    const auto& items = ov.Items();
    ASSERT_EQ(items.size(), 12u + 2 * 13u);
    for (std::size_t k = 0; k < 12; ++k) {
        const Primitive& line = items[k];
        EXPECT_EQ(line.kind, Primitive::Kind::Line);
        EXPECT_EQ(line.stroke, ColBlue);
        const TPt& a = o.P[static_cast<std::size_t>(o.L[k][0])];
        const TPt& b = o.P[static_cast<std::size_t>(o.L[k][1])];
        EXPECT_EQ(line.x1, a.xb);
        EXPECT_EQ(line.y1, a.yb);
        EXPECT_EQ(line.x2, b.xb);
        EXPECT_EQ(line.y2, b.yb);
    }
    for (std::size_t i = 0; i < 13; ++i) {
        SCOPED_TRACE(i);
        const TPt& p = o.P[i];
        const Argb colour = i == 0 ? ColCyan : ColBlue;
        const double r = i == 0 ? 10 : 5;
        const Primitive& disc = items[12 + 2 * i];
        EXPECT_EQ(disc.kind, Primitive::Kind::Disc);
        EXPECT_EQ(disc.fill, colour);
        EXPECT_EQ(disc.x1, p.xb - r);
        EXPECT_EQ(disc.y1, p.yb - r);
        EXPECT_EQ(disc.x2, p.xb + r);
        EXPECT_EQ(disc.y2, p.yb + r);
        const Primitive& label = items[13 + 2 * i];
        EXPECT_EQ(label.kind, Primitive::Kind::Label);
        EXPECT_EQ(label.fill, colour);
        EXPECT_EQ(label.text, std::to_string(i));
        EXPECT_EQ(label.x1, p.xb);
        EXPECT_EQ(label.y1, p.yb - r);
        EXPECT_EQ(label.x2, p.xb + 20 + r);
        EXPECT_EQ(label.y2, p.yb + r);
    }
}

TEST(OrbitRelease, RadiusZeroAndLargeRadius) {
    State s = testing::GeoreferencedState();
    Overlay ov;

    OrbitRelease(s, 400, 300, 400, 300, ov);
    ASSERT_EQ(s.Orbit->P.size(), 13u);
    EXPECT_NEAR(s.Orbit->P[1].yb - 300, 5 / std::tan(15 * kPi / 180), 1e-3);
    EXPECT_EQ(s.LitchiRecs.size(), 11u);

    OrbitRelease(s, 400, 300, 1400, 300, ov);
    ASSERT_EQ(s.Orbit->P.size(), 25u);
    EXPECT_EQ(s.LitchiRecs.size(), 23u);
    EXPECT_NEAR(s.Orbit->P[1].yb - 300, 1000, 1e-3);
}

TEST(OrbitRelease, ASecondOrbitReplacesTheFirst) {
    State s = testing::GeoreferencedState();
    s.LitchiRecs.resize(40);
    Overlay ov;

    OrbitRelease(s, 400, 300, 1400, 300, ov);
    const Torbit* first = &*s.Orbit;
    OrbitRelease(s, 200, 250, 200, 350, ov);

    EXPECT_EQ(&*s.Orbit, first); // the same object serves every orbit
    ASSERT_EQ(s.Orbit->P.size(), 13u);
    ASSERT_EQ(s.Orbit->L.size(), 12u);
    EXPECT_EQ(s.Orbit->P[0].xb, 200.0f);
    EXPECT_EQ(s.Orbit->L.back(), (TLine{12, 1}));
    ASSERT_EQ(s.LitchiRecs.size(), 11u);
    for (const TlitchRec& r : s.LitchiRecs) {
        EXPECT_LT(MetresOff(r.poi_latitude, r.poi_longitude, GroundE(200), GroundN(250)), 0.5);
    }
    // Drawn again, only the second orbit appears.
    Overlay again;
    Show(*s.Orbit, again);
    EXPECT_EQ(CountOf(again, Primitive::Kind::Line), 12);
    EXPECT_EQ(again.Items().front().x1, s.Orbit->P[1].xb);
}

} // namespace
} // namespace korvale

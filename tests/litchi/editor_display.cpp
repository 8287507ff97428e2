// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Drawing the mission over the map copy.
#include "litchi/editor.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "georef/transform.h"
#include "missions_fixture.h"

namespace korvale {
namespace {

using testing::GroundE;
using testing::GroundN;

// A waypoint at a map pixel of the georeferenced test map.
TlitchRec WaypointAt(double xb, double yb) {
    const GeoResult g = UTMToGeo(EllipsoidA, EllipsoidF, GroundN(yb), GroundE(xb));
    TlitchRec r;
    r.latitude = static_cast<float>(g.B);
    r.longitude = static_cast<float>(g.L);
    return r;
}

void SetPoi(TlitchRec& r, double xb, double yb) {
    const TlitchRec p = WaypointAt(xb, yb);
    r.poi_latitude = p.latitude;
    r.poi_longitude = p.longitude;
}

constexpr double kPx = 0.5; // single-precision positions at 1 m per pixel

void ExpectLine(const Primitive& p, Argb colour, double x1, double y1, double x2, double y2) {
    EXPECT_EQ(p.kind, Primitive::Kind::Line);
    EXPECT_EQ(p.stroke, colour);
    EXPECT_NEAR(p.x1, x1, kPx);
    EXPECT_NEAR(p.y1, y1, kPx);
    EXPECT_NEAR(p.x2, x2, kPx);
    EXPECT_NEAR(p.y2, y2, kPx);
}

void ExpectDisc(const Primitive& p, Argb colour, double x, double y, double r) {
    EXPECT_EQ(p.kind, Primitive::Kind::Disc);
    EXPECT_EQ(p.fill, colour);
    EXPECT_NEAR((p.x1 + p.x2) / 2, x, kPx);
    EXPECT_NEAR((p.y1 + p.y2) / 2, y, kPx);
    EXPECT_NEAR(p.x2 - p.x1, 2 * r, 1e-9);
    EXPECT_NEAR(p.y2 - p.y1, 2 * r, 1e-9);
}

TEST(DisplayLitchiRecs, ThreeWaypointsWithoutPoi) {
    State s = testing::GeoreferencedState();
    s.LitchiRecs = {WaypointAt(300, 400), WaypointAt(400, 400), WaypointAt(400, 300)};
    LitchiPageModel m;
    m.NumberBoxActrec.SetValue(5);
    Overlay o;

    DisplayLitchiRecs(s, m, o);

    EXPECT_TRUE(o.TakeFrontRequest());
    const auto& items = o.Items();
    ASSERT_EQ(items.size(), 4u);
    ExpectLine(items[0], ColYellow, 300, 400, 400, 400);
    ExpectDisc(items[1], ColYellow, 400, 400, 5);
    ExpectLine(items[2], ColYellow, 400, 400, 400, 300);
    ExpectDisc(items[3], ColYellow, 400, 300, 5);
    // The selector ends at the last waypoint; its clamped value selects and shows it.
    EXPECT_EQ(m.NumberBoxActrec.Max(), 2);
    EXPECT_EQ(s.ActRec, 2);
    EXPECT_NEAR(m.NumberBoxLat.Value(), s.LitchiRecs[2].latitude, 1e-12);
}

TEST(DisplayLitchiRecs, PoiPathWhereAWaypointHasOne) {
    State s = testing::GeoreferencedState();
    s.LitchiRecs = {WaypointAt(300, 400), WaypointAt(400, 400), WaypointAt(400, 300),
                    WaypointAt(300, 300)};
    SetPoi(s.LitchiRecs[0], 350, 350);
    SetPoi(s.LitchiRecs[1], 360, 350);
    // Waypoint 2 has none; waypoint 3's POI is never the start of a cyan line.
    SetPoi(s.LitchiRecs[3], 200, 200);
    LitchiPageModel m;
    Overlay o;

    DisplayLitchiRecs(s, m, o);

    const auto& items = o.Items();
    ASSERT_EQ(items.size(), 3 * 2 + 2 * 2u);
    ExpectLine(items[0], ColYellow, 300, 400, 400, 400);
    ExpectDisc(items[1], ColYellow, 400, 400, 5);
    ExpectLine(items[2], ColCyan, 350, 350, 360, 350);
    ExpectDisc(items[3], ColCyan, 360, 350, 10);
    ExpectLine(items[4], ColYellow, 400, 400, 400, 300);
    ExpectDisc(items[5], ColYellow, 400, 300, 5);
    // The next waypoint's POI is taken even where it has none (latitude 0, longitude 0).
    const UtmResult none = GeoToUTM(9, EllipsoidA, EllipsoidF, 0, 0);
    const double noneXb = 500 + (none.Y - GroundE(500));
    const double noneYb = 400 - (none.X - GroundN(400));
    EXPECT_EQ(items[6].kind, Primitive::Kind::Line);
    EXPECT_EQ(items[6].stroke, ColCyan);
    EXPECT_NEAR(items[6].x2, noneXb, 1e-3);
    EXPECT_NEAR(items[6].y2, noneYb, 1e-3);
    EXPECT_EQ(items[7].kind, Primitive::Kind::Disc);
    ExpectLine(items[8], ColYellow, 400, 300, 300, 300);
    ExpectDisc(items[9], ColYellow, 300, 300, 5);
}

TEST(DisplayLitchiRecs, OneWaypointAsksForThePageOnly) {
    State s = testing::GeoreferencedState();
    s.LitchiRecs = {WaypointAt(300, 400)};
    LitchiPageModel m;
    Overlay o;

    DisplayLitchiRecs(s, m, o);

    EXPECT_EQ(o.Size(), 0u);
    EXPECT_TRUE(o.TakeFrontRequest());
    EXPECT_EQ(m.NumberBoxActrec.Max(), 0);
}

TEST(DisplayLitchiRecs, EmptyMissionDoesNothingAtAll) {
    State s = testing::GeoreferencedState();
    LitchiPageModel m;
    m.NumberBoxActrec.SetValue(3);
    Overlay o;

    DisplayLitchiRecs(s, m, o);

    EXPECT_EQ(o.Size(), 0u);
    EXPECT_FALSE(o.TakeFrontRequest());
    EXPECT_EQ(m.NumberBoxActrec.Max(), 1000);
    EXPECT_EQ(m.NumberBoxActrec.Value(), 3);
}

} // namespace
} // namespace korvale

namespace korvale {
namespace {

TEST(DisplayLitchiRecs, WaypointsOfAProjectInAnotherZoneLandOnTheirMapPositions) {
    // The test map moved to zone 23 south of the equator (Brazil, 45 W).
    State s = testing::GeoreferencedState();
    s.UtmZone = 23;
    s.UtmSouth = true;
    s.TrafYs = s.TrafYs - 9000000;
    s.TrafXs = -2600000;
    for (const auto& xy : {std::array<double, 2>{300, 400}, std::array<double, 2>{420, 310}}) {
        const EastNorth en = Trafone(s, static_cast<float>(xy[0]), static_cast<float>(xy[1]));
        const GeoResult g = ProjectUtmToGeo(s, en.N, en.E);
        TlitchRec r;
        r.latitude = static_cast<float>(g.B);
        r.longitude = static_cast<float>(g.L);
        s.LitchiRecs.push_back(r);
    }
    LitchiPageModel m;
    Overlay o;
    DisplayLitchiRecs(s, m, o);
    ASSERT_EQ(o.Items().size(), 2u);
    ExpectLine(o.Items()[0], ColYellow, 300, 400, 420, 310);
    ExpectDisc(o.Items()[1], ColYellow, 420, 310, 5);
}

} // namespace
} // namespace korvale

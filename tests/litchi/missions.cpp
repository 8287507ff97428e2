// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Missions from the grid and from the free line.
#include "litchi/missions.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "litchi/limits.h"
#include "missions_fixture.h"
#include "model/error.h"
#include "planning/border.h"
#include "planning/grid.h"

namespace korvale {
namespace {

using testing::GroundE;
using testing::GroundN;
using testing::MetresOff;
using testing::PointAt;

constexpr double kPosTol = 0.5; // metres: single-precision latitude near 48 degrees

TlitchRec Marker(float altitude) {
    TlitchRec r{};
    r.altitude = altitude;
    return r;
}

TEST(GridMission, TwoSegmentsGiveFourWaypointsInSerpentineOrder) {
    State s = testing::GeoreferencedState();
    // Segment 0 runs west to east along y 300, segment 1 along y 330 (30 m further south).
    s.CutPoints = {{GroundE(200), GroundN(300)},
                   {GroundE(800), GroundN(300)},
                   {GroundE(200), GroundN(330)},
                   {GroundE(800), GroundN(330)}};
    s.FlightSegs = {{0, 1}, {2, 3}};
    s.LitchiRecs = {Marker(1), Marker(2), Marker(3), Marker(4), Marker(5), Marker(6)};
    ParamPageModel p; // height 40 m, speed 15 km/h
    p.NumberBoxFrameS.SetValue(2);
    LitchiPageModel m;
    Overlay o;

    MakeLitchiLines(s, p, m, o);

    ASSERT_EQ(s.LitchiRecs.size(), 4u);
    const int order[] = {0, 1, 3, 2}; // odd segments flown backwards
    for (std::size_t k = 0; k < 4; ++k) {
        SCOPED_TRACE(k);
        const TlitchRec& r = s.LitchiRecs[k];
        const Tpunkt& cp = s.CutPoints[static_cast<std::size_t>(order[k])];
        EXPECT_LT(MetresOff(r.latitude, r.longitude, cp[0], cp[1]), kPosTol);
        EXPECT_EQ(r.altitude, 40.0f);
        EXPECT_EQ(r.speed, static_cast<float>(15 / 3.6));
        EXPECT_EQ(r.photo_timeinterval, 2);
        EXPECT_EQ(r.heading, 0.0f);
        EXPECT_EQ(r.poi_latitude, 0.0f);
        EXPECT_EQ(r.gimbalmode, 0);
        EXPECT_EQ(r.Actions[14].actiontype, -1);
    }
    // Drawn: page asked for, three legs, selector up to the last waypoint.
    EXPECT_TRUE(o.TakeFrontRequest());
    int yellowLines = 0;
    for (const Primitive& q : o.Items()) {
        yellowLines += q.kind == Primitive::Kind::Line && q.stroke == ColYellow;
    }
    EXPECT_EQ(yellowLines, 3);
    EXPECT_EQ(m.NumberBoxActrec.Max(), 3);
}

// Faster than the drone's 15 m/s: refused with the limit table's message, the old mission
// stays; 54 km/h is exactly the limit.
TEST(GridMission, SpeedBeyondTheDronesLimitIsRefusedBeforeTheMissionChanges) {
    State s = testing::GeoreferencedState();
    s.CutPoints = {{GroundE(200), GroundN(300)}, {GroundE(800), GroundN(300)}};
    s.FlightSegs = {{0, 1}};
    s.LitchiRecs = {Marker(1), Marker(2), Marker(3)};
    ParamPageModel p;
    LitchiPageModel m;
    Overlay o;
    p.NumberBoxV.SetValue(55);
    try {
        MakeLitchiLines(s, p, m, o);
        ADD_FAILURE() << "accepted";
    } catch (const Error& e) {
        EXPECT_EQ(e.kind(), ErrorKind::Refused);
        EXPECT_NE(std::string(e.what()).find("Geschwindigkeit 15.3 m/s liegt außerhalb von 0 bis "
                                             "15 m/s (Wegpunktsteuerung der Drohne)."),
                  std::string::npos)
            << e.what();
        EXPECT_NE(std::string(e.what()).find("höchstens 54 km/h"), std::string::npos) << e.what();
    }
    ASSERT_EQ(s.LitchiRecs.size(), 3u);
    EXPECT_EQ(s.LitchiRecs[2].altitude, 3.0f);
    EXPECT_TRUE(o.Items().empty());

    p.NumberBoxV.SetValue(54);
    MakeLitchiLines(s, p, m, o);
    ASSERT_EQ(s.LitchiRecs.size(), 2u);
    EXPECT_EQ(s.LitchiRecs[0].speed, 15.0f);
    EXPECT_TRUE(CheckMission(s.LitchiRecs, {}).hard.empty());
}

TEST(GridMission, SelectorBeyondTheNewMissionShowsItsLastWaypoint) {
    State s = testing::GeoreferencedState();
    s.CutPoints = {{GroundE(200), GroundN(300)}, {GroundE(800), GroundN(300)}};
    s.FlightSegs = {{0, 1}};
    ParamPageModel p;
    LitchiPageModel m;
    m.NumberBoxActrec.SetValue(7);
    s.ActRec = 7;
    Overlay o;

    MakeLitchiLines(s, p, m, o);

    EXPECT_EQ(m.NumberBoxActrec.Value(), 1);
    EXPECT_EQ(s.ActRec, 1);
    EXPECT_EQ(m.NumberBoxAlt.Value(), 40);
}

// A plan nobody can fly gives no mission: refused with the reason, and the mission, the
// selector and the drawing stay as they were.
TEST(GridMission, UnflyablePlansAreRefusedAndTheMissionStays) {
    struct Case {
        const char* name;
        std::vector<std::array<float, 2>> ring; // map pixels, 1 m each
        bool planned;                           // "Calc Raster" ran over the ring
        const char* reason;
    };
    const Case cases[] = {
        {"nothing at all", {}, false, "weder ein Gebiet noch Fluglinien"},
        {"ring not planned",
         {{200, 200}, {800, 200}, {800, 600}, {200, 600}},
         false,
         "Keine Fluglinien: bitte \"Calc Raster\" drücken"},
        {"corners on a line", {{200, 200}, {500, 200}, {800, 200}}, true, "keine Fläche"},
        {"sliver below one spacing squared",
         {{200, 200}, {220, 200}, {220, 220}, {200, 220}},
         true,
         "kleiner als die Mindestfläche"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        State s = testing::GeoreferencedState();
        for (const auto& q : c.ring)
            s.Points.push_back(PointAt(q[0], q[1], KindBorder));
        ParamPageModel p;
        p.NumberBoxB.SetValue(25); // the sliver's 400 m² lie below 25 m x 25 m
        SetBorderPointer(s, p);
        CalcBorderMinMax(s);
        if (c.planned)
            Schnitte(s, 0, p.NumberBoxB.Value());
        s.LitchiRecs = {Marker(1), Marker(2)};
        LitchiPageModel m;
        m.NumberBoxActrec.SetMax(1);
        Overlay o;
        try {
            MakeLitchiLines(s, p, m, o);
            ADD_FAILURE() << "accepted";
        } catch (const Error& e) {
            EXPECT_EQ(e.kind(), ErrorKind::Refused);
            const std::string what = e.what();
            EXPECT_EQ(what.rfind("Litchi RasterL: Der Plan ist nicht fliegbar", 0), 0u) << what;
            EXPECT_NE(what.find(c.reason), std::string::npos) << what;
            EXPECT_EQ(what.substr(what.find('\n') + 1), GridMissionUnflyable(s, p));
        }
        ASSERT_EQ(s.LitchiRecs.size(), 2u);
        EXPECT_EQ(s.LitchiRecs[1].altitude, 2.0f);
        EXPECT_EQ(o.Size(), 0u);
        EXPECT_FALSE(o.TakeFrontRequest());
        EXPECT_EQ(m.NumberBoxActrec.Max(), 1);
    }
}

TEST(GridMission, SegmentsWhoseCutPointsWereDeletedAreLeftOut) {
    // "Alle Punkte löschen" empties CutPoints but keeps FlightSegs.
    State s = testing::GeoreferencedState();
    s.CutPoints = {{GroundE(200), GroundN(300)}, {GroundE(800), GroundN(300)}};
    s.FlightSegs = {{0, 1}, {2, 3}, {1, 0}};
    ParamPageModel p;
    LitchiPageModel m;
    Overlay o;

    MakeLitchiLines(s, p, m, o);

    // Segment 2 is even again: flown from its first (index 1) to its second end.
    ASSERT_EQ(s.LitchiRecs.size(), 4u);
    const TlitchRec& third = s.LitchiRecs[2];
    EXPECT_LT(MetresOff(third.latitude, third.longitude, GroundE(800), GroundN(300)), kPosTol);

    // With none left there is nothing to fly: refused, the mission stays.
    s.CutPoints.clear();
    EXPECT_THROW(MakeLitchiLines(s, p, m, o), Error);
    EXPECT_EQ(s.LitchiRecs.size(), 4u);
}

// A free line A -> B -> C: 100 m east, then 100 m north. The convergence is set by hand so
// that its share of the heading is visible.
State FreeLineState() {
    State s = testing::GeoreferencedState();
    TPt a = PointAt(300, 400, KindFreeLine);
    TPt b = PointAt(400, 400, KindFreeLine);
    TPt c = PointAt(400, 300, KindFreeLine);
    a.c = 1.5;
    b.c = 1.75;
    s.Points = {a, b, c};
    s.FreeLines = {{0, 1}, {1, 2}};
    return s;
}

TEST(FreeMission, ThreePointsGiveFourWaypointsWithHeadingsAlongTheLine) {
    State s = FreeLineState();
    LitchiPageModel m;

    MakeFreeLitchiLines(s, m);

    ASSERT_EQ(s.LitchiRecs.size(), 4u);
    const int point[] = {0, 1, 1, 2};
    const float heading[] = {90 + 1.5f, 0, 0 + 1.75f, 0};
    for (std::size_t k = 0; k < 4; ++k) {
        SCOPED_TRACE(k);
        const TlitchRec& r = s.LitchiRecs[k];
        const TPt& pt = s.Points[static_cast<std::size_t>(point[k])];
        EXPECT_LT(MetresOff(r.latitude, r.longitude, pt.E, pt.N), kPosTol);
        EXPECT_NEAR(r.heading, heading[k], 1e-4);
        EXPECT_EQ(r.poi_latitude, 0.0f);
        EXPECT_EQ(r.poi_longitude, 0.0f);
        EXPECT_EQ(r.altitude, 0.0f);
        EXPECT_EQ(r.speed, 0.0f);
        EXPECT_EQ(r.photo_timeinterval, 0);
    }
    EXPECT_EQ(m.NumberBoxActrec.Max(), 3);
}

TEST(FreeMission, EachEndTakesItsNearestPointOfInterest) {
    State s = FreeLineState();
    // Two POIs 50 px from A (a tie: the earlier one wins), one right beside C.
    s.Points.push_back(PointAt(300, 350, KindPOI)); // 3
    s.Points.push_back(PointAt(300, 450, KindPOI)); // 4
    s.Points.push_back(PointAt(410, 300, KindPOI)); // 5
    LitchiPageModel m;

    MakeFreeLitchiLines(s, m);

    ASSERT_EQ(s.LitchiRecs.size(), 4u);
    // A: 3 and 4 both 50 px away. B: 3 and 4 at 111.8 px, 5 at 100.5 px. C: 5 at 10 px.
    const int expected[] = {3, 5, 5, 5};
    for (std::size_t k = 0; k < 4; ++k) {
        SCOPED_TRACE(k);
        const TlitchRec& r = s.LitchiRecs[k];
        const TPt& q = s.Points[static_cast<std::size_t>(expected[k])];
        EXPECT_LT(MetresOff(r.poi_latitude, r.poi_longitude, q.E, q.N), kPosTol);
    }
}

TEST(FreeMission, FindNearestPOI) {
    State s;
    s.Points = {PointAt(0, 0, KindFreeLine), PointAt(10, 0, KindPOI), PointAt(0, 10, KindPOI),
                PointAt(5000, 5000, KindPlain), PointAt(3000, 3000, KindPOI)};
    struct Case {
        int n;
        int expected;
    };
    const Case cases[] = {
        {0, 1},   // 1 and 2 both 10 px away: the lower index
        {1, 1},   // a POI is its own nearest
        {3, 4},   // however far, the nearest is taken
        {-1, -1}, // not an index of Points
        {5, -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FindNearestPOI(s, c.n), c.expected) << "n = " << c.n;
    }
    s.Points[1].Typ = KindPlain;
    s.Points[2].Typ = KindPlain;
    s.Points[4].Typ = KindControl;
    EXPECT_EQ(FindNearestPOI(s, 0), -1);
}

TEST(FreeMission, WithoutUsableSegmentsThePreviousMissionStays) {
    State s = FreeLineState();
    s.LitchiRecs = {Marker(7), Marker(8)};
    LitchiPageModel m;
    m.NumberBoxActrec.SetValue(1);

    s.FreeLines.clear();
    MakeFreeLitchiLines(s, m);
    ASSERT_EQ(s.LitchiRecs.size(), 2u);
    EXPECT_EQ(s.LitchiRecs[1].altitude, 8.0f);
    EXPECT_EQ(m.NumberBoxActrec.Max(), 1000);

    // All points deleted, the free line's index pairs kept.
    s.FreeLines = {{0, 1}, {1, 2}};
    s.Points.clear();
    MakeFreeLitchiLines(s, m);
    ASSERT_EQ(s.LitchiRecs.size(), 2u);
    EXPECT_EQ(s.LitchiRecs[0].altitude, 7.0f);
}

} // namespace
} // namespace korvale

// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Missions made after points were deleted or moved fly the points that are there.
#include <gtest/gtest.h>

#include <vector>

#include "litchi/missions.h"
#include "missions_fixture.h"
#include "planning/border.h"
#include "planning/edits.h"

namespace korvale {
namespace {

using testing::GroundE;
using testing::GroundN;
using testing::MetresOff;
using testing::PointAt;

constexpr double kPosTol = 0.5; // metres: single-precision latitude near 48 degrees

// A free line A -> B -> C with a point of interest placed after it.
State FreeLineWithPoi() {
    State s = testing::GeoreferencedState();
    s.Points = {PointAt(300, 400, KindFreeLine), PointAt(400, 400, KindFreeLine),
                PointAt(400, 300, KindFreeLine), PointAt(600, 200, KindPOI)};
    SetFreeLine(s);
    return s;
}

TEST(FreeMissionAfterEdits, DeletingAnInnerPointFliesStraightFromItsNeighbours) {
    State s = FreeLineWithPoi();
    ParamPageModel p;
    LitchiPageModel m;
    ASSERT_TRUE(DeletePoint(s, p, 1)); // B goes; the point of interest moves to index 2

    MakeFreeLitchiLines(s, m);
    // A -> C only. With the list left as it was, the second segment ran from C to the point of
    // interest's own position.
    ASSERT_EQ(s.LitchiRecs.size(), 2u);
    EXPECT_LT(
        MetresOff(s.LitchiRecs[0].latitude, s.LitchiRecs[0].longitude, GroundE(300), GroundN(400)),
        kPosTol);
    EXPECT_LT(
        MetresOff(s.LitchiRecs[1].latitude, s.LitchiRecs[1].longitude, GroundE(400), GroundN(300)),
        kPosTol);
    // Heading from A to C: north-east, 45 degrees plus A's convergence.
    EXPECT_NEAR(s.LitchiRecs[0].heading, 45.0 + s.Points[0].c, 1e-3);
    for (const TlitchRec& r : s.LitchiRecs) {
        EXPECT_GT(MetresOff(r.latitude, r.longitude, GroundE(600), GroundN(200)), 100);
        EXPECT_LT(MetresOff(r.poi_latitude, r.poi_longitude, GroundE(600), GroundN(200)), kPosTol);
    }
}

TEST(FreeMissionAfterEdits, MovedAndDeletedPointsAndTheirUndo) {
    State s = FreeLineWithPoi();
    ParamPageModel p;
    LitchiPageModel m;
    UndoHistory h;
    MovePoint(s, p, 2, 500, 300, &h);
    DeletePoint(s, p, 0, &h); // the first point goes: B -> C' is all that is left
    MakeFreeLitchiLines(s, m);
    ASSERT_EQ(s.LitchiRecs.size(), 2u);
    EXPECT_LT(
        MetresOff(s.LitchiRecs[1].latitude, s.LitchiRecs[1].longitude, GroundE(500), GroundN(300)),
        kPosTol);

    // Undoing both brings back the whole line: four waypoints A, B, B, C.
    h.Undo(s, p);
    h.Undo(s, p);
    MakeFreeLitchiLines(s, m);
    ASSERT_EQ(s.LitchiRecs.size(), 4u);
    EXPECT_LT(
        MetresOff(s.LitchiRecs[3].latitude, s.LitchiRecs[3].longitude, GroundE(400), GroundN(300)),
        kPosTol);

    // Delete all: no free line is left, so "Litchi FreeL" keeps the mission it had.
    DeleteAllPoints(s, &h);
    EXPECT_TRUE(s.FreeLines.empty());
    MakeFreeLitchiLines(s, m);
    EXPECT_EQ(s.LitchiRecs.size(), 4u);
}

} // namespace
} // namespace korvale

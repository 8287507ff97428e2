// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The Litchi missions over the ground: flat ground leaves the CSV byte for byte, a hill adds
// waypoints on their flight lines, a mission too close to the ground or a refused position
// changes nothing, the free line gets its heights.
#include "litchi/terrain_mission.h"

#include <gtest/gtest.h>

#include <functional>

#include "litchi/csv.h"
#include "litchi/missions.h"
#include "litchi/split.h"
#include "missions_fixture.h"
#include "model/error.h"

namespace korvale {
namespace {

using testing::GroundE;
using testing::GroundN;
using testing::PointAt;

// Ground as a function of the plan's position, 1 m cells, refusing east of a given easting.
class FunctionModel : public ElevationModel {
  public:
    explicit FunctionModel(std::function<double(double E, double N)> h, double eastEnd = 1e300)
        : h_(std::move(h)), eastEnd_(eastEnd) {}
    std::vector<double> Heights(const std::vector<GroundPos>& at) const override {
        std::vector<double> v;
        for (const GroundPos& p : at) {
            if (p.E > eastEnd_)
                throw Error(ErrorKind::Refused, "Das Höhenmodell deckt die Position nicht ab.");
            v.push_back(h_(p.E, p.N));
        }
        return v;
    }
    double CellSizeM() const override { return 1; }
    std::string Name() const override { return "test"; }

  private:
    std::function<double(double, double)> h_;
    double eastEnd_;
};

State GridState() {
    State s = testing::GeoreferencedState();
    s.CutPoints = {{GroundE(200), GroundN(300)}, {GroundE(800), GroundN(300)},
                   {GroundE(200), GroundN(330)}, {GroundE(800), GroundN(330)},
                   {GroundE(200), GroundN(360)}, {GroundE(800), GroundN(360)}};
    s.FlightSegs = {{0, 1}, {2, 3}, {4, 5}};
    return s;
}

// A hill of 60 m around the middle of the lines.
double Hill(double E, double) {
    const double x = E - GroundE(500);
    return 250 + 60 * std::exp(-x * x / 8000);
}

TEST(TerrainMission, FlatGroundLeavesTheGridMissionByteForByte) {
    ParamPageModel p;
    p.NumberBoxFrameS.SetValue(2);
    LitchiPageModel m;
    Overlay o1, o2;
    State plain = GridState();
    MakeLitchiLines(plain, p, m, o1);
    State over = GridState();
    const FunctionModel flat([](double, double) { return 312.5; });
    const TerrainResult r = MakeLitchiLinesOverGround(over, p, m, o2, flat, {});
    EXPECT_EQ(r.added, 0u);
    EXPECT_EQ(FormatLitchiCsv(over.LitchiRecs), FormatLitchiCsv(plain.LitchiRecs));
    EXPECT_EQ(over.LitchiLineOf, plain.LitchiLineOf);
    EXPECT_EQ(o1.Items().size(), o2.Items().size());
}

TEST(TerrainMission, AHillAddsWaypointsOnTheirLinesAndSetsHeightsAboveGround) {
    ParamPageModel p; // 40 m
    LitchiPageModel m;
    Overlay o;
    State s = GridState();
    const FunctionModel hill(Hill);
    TerrainSettings t;
    t.toleranceM = 3;
    t.takeoff = GroundPos{GroundE(100), GroundN(300)};
    const TerrainResult r = MakeLitchiLinesOverGround(s, p, m, o, hill, t);
    ASSERT_GT(r.added, 0u);
    ASSERT_EQ(s.LitchiRecs.size(), 6 + r.added);
    ASSERT_EQ(s.LitchiLineOf.size(), s.LitchiRecs.size());
    EXPECT_TRUE(std::is_sorted(s.LitchiLineOf.begin(), s.LitchiLineOf.end()));
    const double g0 = Hill(GroundE(100), 0);
    for (std::size_t i = 0; i < s.LitchiRecs.size(); ++i) {
        const TerrainWaypoint& w = r.waypoints[i];
        EXPECT_EQ(s.LitchiRecs[i].altitude, static_cast<float>(40 + Hill(w.at.E, w.at.N) - g0));
        EXPECT_LT(
            testing::MetresOff(s.LitchiRecs[i].latitude, s.LitchiRecs[i].longitude, w.at.E, w.at.N),
            0.5);
    }
    // The added waypoints count for the parts: at most 5 waypoints a file cuts between lines.
    // Every part ends at the end of a line, after the waypoints added on it.
    const std::vector<MissionPart> parts = MissionPartsOf(s, {20, 8, 0});
    EXPECT_GT(parts.size(), 1u);
    Overlay plainO;
    LitchiPageModel plainM;
    State plain = GridState();
    MakeLitchiLines(plain, p, plainM, plainO);
    for (const MissionPart& part : parts) {
        ASSERT_GE(part.lastLine, 0);
        const TlitchRec& last = part.recs.back();
        const TlitchRec& end = plain.LitchiRecs[static_cast<std::size_t>(2 * part.lastLine + 1)];
        EXPECT_EQ(last.latitude, end.latitude);
        EXPECT_EQ(last.longitude, end.longitude);
    }
    EXPECT_EQ(m.NumberBoxActrec.Max(), static_cast<double>(s.LitchiRecs.size() - 1));
}

TEST(TerrainMission, TooCloseToTheGroundOrARefusedPositionChangesNothing) {
    ParamPageModel p;
    p.NumberBoxH.SetValue(5);
    LitchiPageModel m;
    Overlay o;
    State s = GridState();
    s.LitchiRecs = {TlitchRec{}};
    TerrainSettings t;
    t.toleranceM = 4; // 5 m +- 4 m may come down to 1 m over the hill
    try {
        MakeLitchiLinesOverGround(s, p, m, o, FunctionModel(Hill), t);
        ADD_FAILURE();
    } catch (const Error& e) {
        EXPECT_EQ(e.kind(), ErrorKind::Limit);
        EXPECT_NE(std::string(e.what()).find("über Grund"), std::string::npos) << e.what();
    }
    EXPECT_EQ(s.LitchiRecs.size(), 1u);
    EXPECT_THROW(MakeLitchiLinesOverGround(s, p, m, o, FunctionModel(Hill, GroundE(700)), {}),
                 Error);
    EXPECT_EQ(s.LitchiRecs.size(), 1u);
    EXPECT_TRUE(o.Items().empty());
}

TEST(TerrainMission, TheFreeLineFliesTheHeightAboveGround) {
    ParamPageModel p; // 40 m
    LitchiPageModel m;
    State s = testing::GeoreferencedState();
    s.Points = {PointAt(300, 400, KindFreeLine), PointAt(700, 400, KindFreeLine),
                PointAt(700, 300, KindFreeLine)};
    s.FreeLines = {{0, 1}, {1, 2}};
    const TerrainResult r = MakeFreeLitchiLinesOverGround(s, p, m, FunctionModel(Hill), {});
    ASSERT_EQ(s.LitchiRecs.size(), 4 + r.added);
    EXPECT_GT(r.added, 0u);
    const double g0 = Hill(GroundE(300), 0);
    for (std::size_t i = 0; i < s.LitchiRecs.size(); ++i) {
        const TerrainWaypoint& w = r.waypoints[i];
        EXPECT_EQ(s.LitchiRecs[i].altitude, static_cast<float>(40 + Hill(w.at.E, w.at.N) - g0));
        if (w.added) { // along the first segment, heading east like its start
            EXPECT_EQ(s.LitchiRecs[i].heading, s.LitchiRecs[0].heading);
        }
    }
    EXPECT_TRUE(s.LitchiLineOf.empty());
}

} // namespace
} // namespace korvale

// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "litchi/terrain_mission.h"

#include <cstddef>

#include "litchi/missions.h"
#include "litchi/split.h"
#include "model/geodesy.h"

namespace korvale {

namespace {

std::vector<TerrainWaypoint> Waypoints(const std::vector<GroundPos>& at, double height) {
    std::vector<TerrainWaypoint> w(at.size());
    for (std::size_t i = 0; i < at.size(); ++i) {
        w[i].at = at[i];
        w[i].altitude = height;
        w[i].photo = true;
    }
    return w;
}

// The mission's records for the terrain waypoints: each a copy of the record it is (or follows)
// with its altitude, the added ones at their own position.
void ApplyHeights(State& s, const TerrainResult& r) {
    // The grid mission's line ends before the heights: the second waypoint of each line.
    std::vector<bool> wasEnd(s.LitchiLineOf.size(), false);
    for (std::size_t i = 1; i < s.LitchiLineOf.size(); ++i)
        wasEnd[i] = s.LitchiLineOf[i] == s.LitchiLineOf[i - 1] &&
                    (i < 2 || s.LitchiLineOf[i - 2] != s.LitchiLineOf[i]);
    std::vector<TlitchRec> recs;
    std::vector<int> lineOf;
    std::vector<bool> lineEnd;
    recs.reserve(r.waypoints.size());
    for (const TerrainWaypoint& w : r.waypoints) {
        TlitchRec rec = s.LitchiRecs[w.leg];
        if (w.added) {
            const GeoResult g = ProjectUtmToGeo(s, w.at.N, w.at.E);
            rec.latitude = static_cast<float>(g.B);
            rec.longitude = static_cast<float>(g.L);
        }
        rec.altitude = static_cast<float>(w.altitude);
        recs.push_back(rec);
        if (!s.LitchiLineOf.empty()) {
            lineOf.push_back(s.LitchiLineOf[w.leg]);
            lineEnd.push_back(!w.added && wasEnd[w.leg]);
        }
    }
    s.LitchiRecs = std::move(recs);
    s.LitchiLineOf = std::move(lineOf);
    s.LitchiLineEnd = std::move(lineEnd);
}

} // namespace

TerrainResult MakeLitchiLinesOverGround(State& s, const ParamPageModel& p, LitchiPageModel& m,
                                        Overlay& o, const ElevationModel& dem,
                                        const TerrainSettings& t) {
    std::vector<GroundPos> at;
    for (const PlanPt& q : GridMissionWay(s).points)
        at.push_back({q.E, q.N});
    TerrainResult r = FollowTerrain(Waypoints(at, p.NumberBoxH.Value()), dem, t);
    CheckGroundClearance(r);
    Overlay scratch;
    MakeLitchiLines(s, p, m, scratch);
    ApplyHeights(s, r);
    SetActrecMax(s, m, static_cast<int>(s.LitchiRecs.size()) - 1);
    DisplayLitchiRecs(s, m, o);
    return r;
}

TerrainResult MakeFreeLitchiLinesOverGround(State& s, const ParamPageModel& p, LitchiPageModel& m,
                                            const ElevationModel& dem, const TerrainSettings& t) {
    // The waypoints MakeFreeLitchiLines lays: both ends of every segment with both ends in
    // Points, in the order of FreeLines.
    std::vector<GroundPos> at;
    for (const TLine& seg : s.FreeLines) {
        if (seg[0] < 0 || seg[1] < 0 || static_cast<std::size_t>(seg[0]) >= s.Points.size() ||
            static_cast<std::size_t>(seg[1]) >= s.Points.size())
            continue;
        for (int k : seg) {
            const TPt& q = s.Points[static_cast<std::size_t>(k)];
            at.push_back({q.E, q.N});
        }
    }
    if (at.empty())
        return {};
    TerrainResult r = FollowTerrain(Waypoints(at, p.NumberBoxH.Value()), dem, t);
    CheckGroundClearance(r);
    MakeFreeLitchiLines(s, m);
    ApplyHeights(s, r);
    SetActrecMax(s, m, static_cast<int>(s.LitchiRecs.size()) - 1);
    return r;
}

} // namespace korvale

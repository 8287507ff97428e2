// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/terrain_step.h"

#include "litchi/missions.h"
#include "litchi/terrain_mission.h"
#include "model/format.h"
#include "model/geodesy.h"
#include "terrain/gdal_model.h"

namespace korvale {

TerrainInput OpenTerrain(const State& s, const PlanOptions& opt) {
    TerrainInput t;
    if (opt.demFile.empty())
        return t;
    t.dem = std::make_shared<const GdalElevationModel>(opt.demFile, ZoneOf(s), s.UtmSouth);
    t.settings.toleranceM = opt.terrainToleranceM;
    if (opt.haveTakeoff) {
        const UtmResult u = GeoToProjectUtm(s, opt.takeoffLat, opt.takeoffLon);
        t.settings.takeoff = GroundPos{u.Y, u.X};
    }
    return t;
}

TerrainResult MakeGridMission(State& s, const ParamPageModel& p, LitchiPageModel& m, Overlay& o,
                              const TerrainInput& t) {
    if (!t.dem) {
        MakeLitchiLines(s, p, m, o);
        return {};
    }
    return MakeLitchiLinesOverGround(s, p, m, o, *t.dem, t.settings);
}

std::string TerrainJsonKeys(const TerrainResult& r) {
    return Format(", \"ground_min\": %.2f, \"ground_max\": %.2f, \"waypoints\": %d",
                  {r.groundMin, r.groundMax, r.waypoints.size()});
}

void AddTerrainToGeo(PlanGeo& geo, const TerrainResult& r) {
    if (r.waypoints.size() != geo.waypoints.size())
        return;
    for (const TerrainWaypoint& w : r.waypoints) {
        geo.waypointGround.push_back(w.ground);
        geo.waypointAltitude.push_back(w.altitude);
    }
}

} // namespace korvale

#include "cli/terrain_step.h"

#include "litchi/missions.h"
#include "litchi/terrain_mission.h"
#include "model/format.h"
#include "model/geodesy.h"
#include "terrain/gdal_model.h"

namespace korvale {

TerrainResult MakeGridMission(State& s, const ParamPageModel& p, LitchiPageModel& m, Overlay& o,
                              const PlanOptions& opt) {
    if (opt.demFile.empty()) {
        MakeLitchiLines(s, p, m, o);
        return {};
    }
    const GdalElevationModel dem(opt.demFile, ZoneOf(s), s.UtmSouth);
    TerrainSettings t;
    t.toleranceM = opt.terrainToleranceM;
    if (opt.haveTakeoff) {
        const UtmResult u = GeoToProjectUtm(s, opt.takeoffLat, opt.takeoffLon);
        t.takeoff = GroundPos{u.Y, u.X};
    }
    return MakeLitchiLinesOverGround(s, p, m, o, dem, t);
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

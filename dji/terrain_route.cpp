// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "dji/terrain_route.h"

#include <utility>

#include "model/geodesy.h"

namespace korvale {

TerrainResult RouteOverGround(Route& r, const State& s, const ElevationModel& dem,
                              const TerrainSettings& t) {
    std::vector<TerrainWaypoint> mission(r.waypoints.size());
    for (std::size_t i = 0; i < r.waypoints.size(); ++i) {
        const RouteWaypoint& w = r.waypoints[i];
        if (w.hasPlanPos) {
            mission[i].at = {w.planE, w.planN};
        } else {
            const UtmResult u = GeoToProjectUtm(s, w.lat, w.lon);
            mission[i].at = {u.Y, u.X};
        }
        mission[i].altitude = w.heightM;
        mission[i].photo = w.photo;
    }
    TerrainResult res = FollowTerrain(mission, dem, t);
    CheckGroundClearance(res);
    std::vector<RouteWaypoint> out;
    out.reserve(res.waypoints.size());
    for (const TerrainWaypoint& tw : res.waypoints) {
        RouteWaypoint w = r.waypoints[tw.leg];
        if (tw.added) {
            const GeoResult g = ProjectUtmToGeo(s, tw.at.N, tw.at.E);
            w.lat = g.B;
            w.lon = g.L;
            w.planE = tw.at.E;
            w.planN = tw.at.N;
            w.hasPlanPos = true;
            w.photo = false;
            w.photoDistanceM = 0;
            w.lineEnd = false;
        }
        w.heightM = tw.altitude;
        out.push_back(w);
    }
    r.waypoints = std::move(out);
    return res;
}

} // namespace korvale

// korvale-plan over an elevation model: the grid mission with heights above ground (--dem,
// --terrain-tolerance, --takeoff) and what the command reports of it.
#pragma once

#include <string>

#include "cli/options.h"
#include "exchange/plan_export.h"
#include "litchi/editor.h"
#include "model/overlay.h"
#include "model/state.h"
#include "planning/params.h"
#include "terrain/follow.h"

namespace korvale {

// The grid mission of the state, over the ground of opt.demFile when one is given (else exactly
// MakeLitchiLines and an empty result). Throws Error for a model that cannot be read or does not
// cover the mission and the take-off, and for a mission too close to the ground.
TerrainResult MakeGridMission(State& s, const ParamPageModel& p, LitchiPageModel& m, Overlay& o,
                              const PlanOptions& opt);

// The keys the JSON line gains with a model: ", \"ground_min\": ..., \"ground_max\": ...,
// \"waypoints\": n".
std::string TerrainJsonKeys(const TerrainResult& r);

// The ground and altitude of every mission waypoint for the GeoJSON waypoints.
void AddTerrainToGeo(PlanGeo& geo, const TerrainResult& r);

} // namespace korvale

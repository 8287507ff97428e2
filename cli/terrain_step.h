// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// korvale-plan over an elevation model: the grid mission with heights above ground (--dem,
// --terrain-tolerance, --takeoff) and what the command reports of it.
#pragma once

#include <memory>
#include <string>

#include "cli/options.h"
#include "exchange/plan_export.h"
#include "litchi/editor.h"
#include "model/overlay.h"
#include "model/state.h"
#include "planning/params.h"
#include "terrain/follow.h"

namespace korvale {

// The model of --dem with the tolerance and take-off of the run: every mission of the run (the
// Litchi CSV and the DJI KMZ) follows this one model. No model without --dem.
struct TerrainInput {
    std::shared_ptr<const ElevationModel> dem;
    TerrainSettings settings;
};

// Throws Error for a model that cannot be read.
TerrainInput OpenTerrain(const State& s, const PlanOptions& opt);

// The grid mission of the state, over the ground of the model when there is one (else exactly
// MakeLitchiLines and an empty result). Throws Error for a model that does not cover the mission
// and the take-off, and for a mission too close to the ground.
TerrainResult MakeGridMission(State& s, const ParamPageModel& p, LitchiPageModel& m, Overlay& o,
                              const TerrainInput& t);

// The keys the JSON line gains with a model: ", \"ground_min\": ..., \"ground_max\": ...,
// \"waypoints\": n".
std::string TerrainJsonKeys(const TerrainResult& r);

// The ground and altitude of every mission waypoint for the GeoJSON waypoints.
void AddTerrainToGeo(PlanGeo& geo, const TerrainResult& r);

} // namespace korvale

// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// korvale-plan's coverage outputs: the footprints of the pictures (--footprints, GeoJSON) and
// the count of pictures per cell (--coverage, GeoTIFF, --coverage-cell), and what the JSON
// line says of them.
#pragma once

#include <string>
#include <vector>

#include "cli/options.h"
#include "cli/terrain_step.h"
#include "model/state.h"
#include "planning/params.h"
#include "planning/plan.h"

namespace korvale {

// Adds the asked files to the set (paths and their bytes) and returns the keys the JSON line
// gains (", \"covered_pct\": ..., \"min_count\": ..." with --coverage, else ""). `excluded`
// are rings inside the area that count as outside it. Over an elevation model each
// footprint is as large as the height above ground at its picture makes it. Throws Error when
// the map cannot be made (nothing is added then).
std::string AddCoverageFiles(const PlanOptions& o, const State& s, const ParamPageModel& p,
                             const FlightPlan& plan,
                             const std::vector<std::vector<PlanPt>>& excluded,
                             const TerrainInput& ground, const TerrainResult& terrain,
                             std::vector<std::string>& paths, std::vector<std::string>& bytes);

} // namespace korvale

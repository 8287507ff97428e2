// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The DJI parts of korvale-plan: the drone profile (--drone) and its camera, the WPML mission
// (--wpml) made for the set of files, and the check of a mission file (--check).
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/options.h"
#include "cli/terrain_step.h"
#include "dji/profiles.h"
#include "model/state.h"
#include "planning/params.h"
#include "planning/plan.h"

namespace korvale {

// The profile of --drone (none without it); its camera values replace those of --focal,
// --pixel, --xpix and --ypix that were not given. Throws Error (Refused) for an unknown key
// (listing the known ones), for --wpml without --drone, (File/Damaged) for an unreadable
// profile file.
std::optional<DroneProfile> ApplyDroneProfile(PlanOptions& o, const std::string& profilesPath);

struct WpmlStep {
    std::vector<std::string> warnings; // the checker's soft findings
    std::size_t parts = 0;             // the number of KMZ files
};

// The KMZ parts of the grid mission for the set of files: names and bytes appended; over the
// ground of the run's model when there is one (the heights of the Litchi mission). Throws Error
// as MakeWpmlMission and RouteOverGround (nothing written yet).
WpmlStep AddWpmlFiles(const PlanOptions& o, const DroneProfile& d, const State& s,
                      const FlightPlan& plan, const ParamPageModel& p, const TerrainInput& t,
                      std::vector<std::string>& paths, std::vector<std::string>& bytes);

// The name the KMZ is written under: ".kmz" appended unless the name ends with it.
std::string WpmlFileName(const std::string& path);

// --check FILE: the findings on `out`, the last line saying whether the mission is flyable.
// Returns 0 when it is, 1 when not or when the file cannot be read (message on `err`).
int RunCheckCommand(const PlanOptions& o, const std::optional<DroneProfile>& d, std::ostream& out,
                    std::ostream& err);

} // namespace korvale

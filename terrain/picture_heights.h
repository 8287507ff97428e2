// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// How high above the ground each picture is taken when the mission follows the terrain: the
// flight altitude along the mission between its waypoints, less the model's ground under the
// picture. Sets the size of each picture's footprint on the coverage map.
#pragma once

#include <vector>

#include "terrain/elevation.h"
#include "terrain/follow.h"

namespace korvale {

// One height per position, metres: positions on the mission's path (within a centimetre of a
// leg between two waypoints of r, in flight order as the pictures are) take the altitude
// linearly between that leg's ends; a position off the path the altitude of the nearest point
// of the path. Throws Error (Refused) for a mission without waypoints and passes on the model's
// refusal of a position outside it.
std::vector<double> HeightsAboveGroundAt(const TerrainResult& r, const std::vector<GroundPos>& at,
                                         const ElevationModel& dem);

} // namespace korvale

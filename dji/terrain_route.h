// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The DJI route over the ground of an elevation model: the same heights above ground as the
// Litchi mission of the plan (terrain/follow.h), written back into the route before the WPML is
// made, so template.kml and waylines.wpml carry them (heights relative to the start point).
#pragma once

#include "dji/route.h"
#include "model/state.h"
#include "terrain/elevation.h"
#include "terrain/follow.h"

namespace korvale {

// Every waypoint's heightM is taken as its height above the ground and becomes the altitude above
// the take-off that keeps it there; the waypoints the ground asks for are inserted after the one
// whose leg they lie on, as copies of it (heading, speed, gimbal, flight line) at their own
// position, without a picture and never a line end, so a distance trigger runs on through them
// and the split still cuts at line ends only. The positions are the plan's own (GridRoute) or,
// for a route of the editor, its latitudes and longitudes in the state's zone. FollowTerrain and
// CheckGroundClearance run first: on a refusal Error is thrown and the route is unchanged.
TerrainResult RouteOverGround(Route& r, const State& s, const ElevationModel& dem,
                              const TerrainSettings& t);

} // namespace korvale

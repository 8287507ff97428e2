// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The Litchi missions over the ground of an elevation model: the grid and the free-line mission
// with every altitude above the take-off point that keeps the drone at the flight height above
// the ground, and the waypoints added where the ground bends. Without a model the missions are
// made by MakeLitchiLines and MakeFreeLitchiLines alone.
#pragma once

#include "litchi/editor.h"
#include "model/overlay.h"
#include "model/state.h"
#include "planning/params.h"
#include "terrain/elevation.h"
#include "terrain/follow.h"

namespace korvale {

// MakeLitchiLines over the ground: the same waypoints with the altitude NumberBoxH above the
// ground (relative to the take-off, Litchi's altitude mode left as it is), plus the added
// waypoints with the values of the waypoint before them, each counted to that waypoint's flight
// line. The heights are computed first: when the model refuses (a position outside it, a gap)
// or the mission would come closer than 2 m to the ground, Error is thrown and the state, the
// page and the overlay are as they were.
TerrainResult MakeLitchiLinesOverGround(State& s, const ParamPageModel& p, LitchiPageModel& m,
                                        Overlay& o, const ElevationModel& dem,
                                        const TerrainSettings& t);

// MakeFreeLitchiLines over the ground: every waypoint at NumberBoxH above the ground (the free
// line has no altitude of its own), added waypoints keep the heading and point of interest of
// the waypoint before them. Nothing changes on a refusal; without a free line nothing happens
// (an empty result).
TerrainResult MakeFreeLitchiLinesOverGround(State& s, const ParamPageModel& p, LitchiPageModel& m,
                                            const ElevationModel& dem, const TerrainSettings& t);

} // namespace korvale

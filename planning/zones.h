// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Exclusion zones: areas inside the survey area the drone must not enter (a farmstead, a pond,
// a mast), from the holes of an imported area or drawn by the user. Each zone is grown by a
// safety buffer into a convex polygon; flight lines are cut where they meet one, and legs go
// around them.
#pragma once

#include <vector>

#include "model/state.h"
#include "planning/plan.h"
#include "planning/ringgeom.h"

namespace korvale {

// Distance kept from every zone unless the user sets another, metres.
inline constexpr double DefaultZoneBuffer = 5.0;

// The largest buffer accepted: beyond it a zone swallows any area a drone photographs.
inline constexpr double MaxZoneBuffer = 10'000.0;

// The zones grown by `bufferM` metres, each a convex polygon (counterclockwise, starting at its
// westernmost corner) that contains every point within `bufferM` of the zone. The zone is
// replaced by its convex hull, and round corners by the polygon whose sides touch the circle
// from outside (a side per 30 degrees at most), so the result is never smaller than the true
// buffer: at most the hull's notches and 3.6 % of the buffer at the corners larger. Zones
// without any area after growing (no corner, or a line with buffer 0) exclude nothing and are
// left out. Throws Error (Refused) for a buffer that is negative, above MaxZoneBuffer or no
// number, and for a corner that is no number.
std::vector<std::vector<PlanPt>> BufferedZones(const std::vector<std::vector<PlanPt>>& zones,
                                               double bufferM);

// The zones of the state as drawn (State::Zones by their ground coordinates; corners without
// any are passed over), not grown: what the coverage map leaves out of the area.
std::vector<std::vector<PlanPt>> ZoneRings(const State& s);

// The zones of the state (State::Zones by their ground coordinates; corners without any are
// passed over), grown by State::ZoneBufferM.
std::vector<std::vector<PlanPt>> StateZones(const State& s);

// The whole plan of an area with exclusion zones (raw, grown here by `bufferM`). Without zones
// it is PlanFlight(ring, Ri, B, A, V). Throws Error as PlanFlight does, and Refused when the
// zones cover the whole area or cut it into pieces no leg can join without crossing a zone.
FlightPlan PlanFlight(const std::vector<PlanPt>& ring,
                      const std::vector<std::vector<PlanPt>>& zones, double bufferM, double Ri,
                      double B, double A, double V_kmh);

// What the planning says when no line is left outside the zones.
inline constexpr const char* kZonesCoverAreaText =
    "Die Sperrflächen (mit ihrem Sicherheitsabstand) bedecken das ganze Gebiet: es bleibt "
    "keine Fluglinie.\nBitte die Sperrflächen oder den Sicherheitsabstand verkleinern.";

// What the planning says when two parts of the area cannot be joined around the zones.
inline constexpr const char* kZonesSplitAreaText =
    "Die Sperrflächen teilen das Gebiet in Teile, zwischen denen kein Weg führt, ohne eine "
    "Sperrfläche zu überfliegen.\nBitte die Teile einzeln planen oder die Sperrflächen "
    "bzw. den Sicherheitsabstand verkleinern.";

} // namespace korvale

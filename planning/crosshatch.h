// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The crosshatch: a second grid at right angles over the same area, flown after the first, for
// 3D models that need every wall seen from two sides. Both grids are one plan, so the
// missions, the drawing, the geodata and the parts by battery take it as they take any plan.
#pragma once

#include <vector>

#include "model/state.h"
#include "planning/plan.h"

namespace korvale {

// The lines of the second grid (direction Ri + 90 degrees, the same spacing and box) in the
// order they are flown after `first`: from the end nearer to where `first` ends; cut where
// they meet one of the (grown) exclusion `zones`. Throws Error as PlanGridLines does.
std::vector<PlannedLine> CrosshatchLines(const std::vector<PlanPt>& ring, const GridFrame& f,
                                         const std::vector<PlannedLine>& first,
                                         const ZoneList& zones = {});

// Schnitte, then the second grid's lines appended to CutPoints and FlightSegs in the same
// pattern (segment k joins cut points 2k and 2k + 1, flown from the first for even k). Throws
// Error, changing nothing, where Schnitte would, or where the second grid is refused.
void SchnitteCrosshatch(State& s, double Ri, double B);

} // namespace korvale

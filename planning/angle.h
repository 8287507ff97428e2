// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// "Alfa auto": the grid direction that flies an area with the fewest flight lines and, among
// those, the shortest path.
#pragma once

#include <cstddef>
#include <vector>

#include "planning/plan.h"

namespace korvale {

struct GridAngleResult {
    double Ri = 0;          // direction in degrees counterclockwise from east, 0.01 ... 180
    std::size_t strips = 0; // flight lines of the plan at Ri
    double pathM = 0;       // path of the plan at Ri (lines and legs), metres
};

// The direction for the direction box ("Alfa", degrees counterclockwise from east) at strip
// spacing B. Every direction the box holds over a half turn (0.01, 0.02, ... 180 degrees; 0
// and 180 fly the same lines) is counted: the fewest lines of the plan first; among those the
// narrowest area across the lines (within a tenth of the spacing), then the shortest path,
// then the smaller angle. So no direction of the box has fewer lines, nor as many over an
// area narrower by more than a tenth of the spacing. Counts and paths are those of the plan
// (PlanGridLines, PlanLegs); a direction that lays no line is never chosen. Throws Error as
// PlanGridLines does, and Refused for a ring without coordinates, one that encloses nothing,
// or one that no direction lays a line over.
GridAngleResult BestGridAngle(const std::vector<PlanPt>& ring, double B);

// The number of lines PlanGridLines lays over the ring at direction Ri and spacing B, found
// from the crossings alone where no corner lies within a millimetre of a grid line, else from
// the lines themselves.
std::size_t CountGridLines(const std::vector<PlanPt>& ring, double Ri, double B);

// The path of lines over the ring in metres, summed exactly as the plan sums its totals.
double PlanPathLength(const std::vector<PlanPt>& ring, const std::vector<PlannedLine>& lines);

} // namespace korvale

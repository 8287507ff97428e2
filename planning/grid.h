// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The grid of parallel flight lines over the survey area, cut with the border ring into the
// flight segments (CutPoints, FlightSegs).
#pragma once

#include "model/state.h"

namespace korvale {

struct IntersectResult {
    bool hit; // the crossing lies on the closed border edge
    double X; // easting of the crossing (NaN if the lines are parallel)
    double Y; // northing of the crossing
};

// Crossing of the border edge P(x1,y1)-Q(x2,y2) with the unbounded line through S(x3,y3) and
// T(x4,y4), all as (easting, northing). Parallel lines and edges of length 0 never cross.
IntersectResult Intersect(double x1, double y1, double x2, double y2, double x3, double y3,
                          double x4, double y4);

// Lays grid lines at direction Ri (degrees counterclockwise from east; 0 is taken as 0.01) and
// spacing B (metres) over the ring of BorderLines and replaces CutPoints and FlightSegs with
// their crossings: segment j joins two crossings of one grid line, segments follow the grid
// lines in order across the area and all point the way of the first one. The grid reaches
// across the whole area. Recomputes the bounding box and leaves it widened by 100 m on every
// side. Throws Error, changing nothing, for a spacing that is not a positive number or so
// small that the grid would have unreasonably many lines.
void Schnitte(State& s, double Ri, double B);

} // namespace korvale

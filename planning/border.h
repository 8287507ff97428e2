// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The survey area's border ring and the free flight line as index lists into the point list,
// the ring's bounding box for the grid, and its area.
#pragma once

#include <vector>

#include "model/state.h"
#include "planning/params.h"

namespace korvale {

// Rebuilds BorderIdx (border points in list order, then the first once more) and BorderLines
// (the ring's edges), gives points without ground coordinates theirs, and shows the ring's
// area in hectares in NumberBoxFlaeche (0 without border points).
void SetBorderPointer(State& s, ParamPageModel& p);

// Rebuilds BorderIdx with the free-line points and FreeLines with the free line's segments
// (no closing segment); BorderLines is emptied.
void SetFreeLine(State& s);

// Bounding box of the border points listed in BorderIdx (entries of other kinds are passed
// over). Without any, the box stays inverted: minima 1e10, maxima -1e10.
void CalcBorderMinMax(State& s);

// Shoelace area in square metres of the polygon through Points[idx[0..h]] in list order, for
// either orientation; 0 for fewer than two entries. Indices must lie within Points.
double PolygonArea(const State& s, const std::vector<int>& idx, int h);

} // namespace korvale

// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// An imported area becomes the border of the project: its corners as border points placed on
// the map copy through the inverse of the transformation.
#pragma once

#include <cstdint>

#include "exchange/area.h"
#include "model/state.h"
#include "planning/edits.h"
#include "planning/params.h"

namespace korvale {

// Central meridian (degrees) of the UTM zone the project computes in. The one place that
// decides it for geodata brought in from files.
int ProjectCentralMeridian(const State& s);

// A corner at `g` of kind `kind` with its UTM coordinates for central meridian L0; no map
// position yet.
TPt GroundCorner(int L0, const GeoPos& g, std::uint8_t kind);

// Replaces every border point (kind 2) of s.Points by the ring's corners, in the ring's order,
// each with its latitude, longitude, UTM coordinates for central meridian L0 and the map
// position from Trafback; the holes of the area replace the exclusion zones (State::Zones),
// which belonged to the area before. The index lists are rebuilt (border ring and its area; the
// free line if one was built), and the grid made for the old border (CutPoints, FlightSegs) is
// cleared. Before any transformation exists the import is refused (Refused) and nothing changes.
// With `h`, the import is one step ("Gebiet importieren") that undo takes back.
void PlaceArea(State& s, ParamPageModel& p, const AreaPolygon& area, int L0,
               UndoHistory* h = nullptr);

} // namespace korvale

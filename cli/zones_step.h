// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// korvale-plan with exclusion zones: the holes of the area file and the polygons of every
// --exclude file become the zones of the planned state, kept --exclude-buffer metres away.
#pragma once

#include <cstdint>
#include <string>

#include "cli/options.h"
#include "exchange/area.h"
#include "model/state.h"

namespace korvale {

// Sets s.Zones and s.ZoneBufferM. Every polygon of an --exclude file is a zone (its holes
// are not flown over either). Throws Error, with the file named on a second line, for a file
// that cannot be read.
void AddExclusionZones(State& s, const AreaPolygon& area, const PlanOptions& o);

// The note on holes that could not be read, or on further polygons of the area file that are
// not planned; "" when there is nothing to say.
std::string AreaFileNote(const std::vector<AreaPolygon>& areas);

} // namespace korvale

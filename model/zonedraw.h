// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The exclusion zones on the map copy: each zone's outline in red with red hatching inside,
// so the area the drone must not enter stands out from the field around it.
#pragma once

#include "overlay.h"
#include "state.h"

namespace korvale {

inline constexpr Argb ColZone = 0xFFE0201C;

// Distance between the hatch lines, map pixels.
inline constexpr double kZoneHatchPx = 8.0;

// Outline (closed; a zone of one corner is a small circle, of two a line) and hatching at 45
// degrees of every zone of s.Zones, by map position. The zone being drawn (`openLast`) is
// left open and unhatched.
void DisplayZones(const State& s, Overlay& o, bool openLast = false);

} // namespace korvale

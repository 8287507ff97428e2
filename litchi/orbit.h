// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The orbit around a point of interest: a regular polygon of waypoints on a circle dragged on
// the map copy, its drawing, and the mission that flies it with the centre as POI.
#pragma once

#include "model/overlay.h"
#include "model/state.h"
#include "model/types.h"

namespace korvale {

// Builds P (centre, kind 4, then n corners, kind 3, clockwise on screen starting straight
// below the centre) and L (the closed polygon's sides) for centre (xb, yb) and radius R in
// map pixels. A polygon side shorter than 10 px widens R so the side is 10 px; a side longer
// than 500 px doubles the corner count once. n < 1 gives the centre alone.
void Make(Torbit& o, float xb, float yb, float R, int n);

// Ground (E, N by the map transformation) and geographic coordinates (B, L, c) of every
// entry of P.
void Transformation(Torbit& o, const State& s);

// Draws the polygon's sides in blue, then a disc and label per entry of P in its marker
// colour and radius. Does not ask for the map copy page.
void Show(const Torbit& o, Overlay& ov);

// Replaces LitchiRecs by the orbit mission: corners 1 .. n-1, each heading along its side to
// the next corner, all with the centre as POI. Leaves the editor's selector alone.
void Makelitchi(const Torbit& o, State& s);

// The orbit tool's release: radius = distance from press to release (single precision); the
// orbit is created at the first use and reused after; then Make with 12 corners,
// Transformation, Show and Makelitchi.
void OrbitRelease(State& s, float downXb, float downYb, float xb, float yb, Overlay& ov);

} // namespace korvale

// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The overlay drawing of points and border/free lines, as display-list primitives.
// Operations that bring the map copy page to the front ask for it with Overlay::RequestFront;
// the window switches the page.
#pragma once

#include "overlay.h"
#include "state.h"

namespace korvale {

// Marker and label of every point. Always asks for the map copy page.
void ShowPoints(const State& s, Overlay& o);
// Running polyline through the border points (kind 2), yellow.
void ShowBorder(const State& s, Overlay& o);
// Running polyline through the free-line points (kind 3), blue.
void ShowFreeline(const State& s, Overlay& o);
// The segments of BorderLines (yellow) / FreeLines (blue); index pairs outside Points are
// skipped. Both ask for the map copy page.
void DisplayBorderLine(const State& s, Overlay& o);
void DisplayFreeline(const State& s, Overlay& o);

} // namespace korvale

// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The tool mode (pressed toggle buttons of the toolbar) and the decisions of the mouse on
// the map copy, as plain values, so they run and are tested without a window.
#pragma once

#include <cstdint>
#include <string>

#include "state.h"

namespace korvale {

struct ToolState {
    bool Border = false;   // ButtonBorder
    bool Freeline = false; // ButtonFreeline
    bool POI = false;      // ButtonPOI
    bool Poly = false;     // ButtonPoly (orbit)
    bool Move = false;     // ButtonMove
    bool PtDel = false;    // ButtonPtDel
    bool Messen = false;   // ButtonMessen
    bool Area = false;     // ButtonArea
    bool Help = false;     // ButtonHelp
    bool Zone = false;     // ButtonZone ("Sperrfläche"): a press adds a corner of a zone
};

// Index of the point nearest to (x, y), lowest index on ties; -1 for an empty list.
int SelPoint(const State& s, float x, float y);

// The members of the tool set, in toolbar order (ButtonDelAll belongs to it but holds no
// pressed state).
enum class Tool : std::uint8_t {
    Border,
    Freeline,
    POI,
    Poly,
    Move,
    PtDel,
    Messen,
    Area,
    DelAll,
    Help,
    Zone
};

// A click on a member of the tool set releases every other member; `clicked` keeps the state
// the click gave it.
ToolState ReleaseOthers(const ToolState& t, Tool clicked);

// What a left press on the map does; the first rule that applies decides.
enum class PressRule : std::uint8_t { Delete, Orbit, Measure, Move, Add, Zone };
PressRule LeftPressRule(const ToolState& t);

// Kind of the point a left press adds (PressRule::Add): border, then free line, then point of
// interest override plain, in that order, so the last pressed of them wins.
std::uint8_t NewPointKind(const ToolState& t);

// Map position of a pointer position in the map view: the view lies below the toolbar and the
// tab header, at the left edge of the window.
struct MapPos {
    float xb;
    float yb;
};
MapPos ViewToMap(float X, float Y, int toolbarHeight, int tabHeaderHeight);

// Status line of a measurement from `down` to `up` (both with E, N set): the release point's
// easting and northing, the azimuth and the distance.
std::string MeasureText(const TPt& down, const TPt& up);

} // namespace korvale

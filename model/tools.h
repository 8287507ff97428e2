// The tool mode (pressed toggle buttons of the toolbar) and the decisions of the mouse on
// the map copy, as plain values, so they run and are tested without a window.
#pragma once

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
};

// Index of the point nearest to (x, y), lowest index on ties; -1 for an empty list.
int SelPoint(const State& s, float x, float y);

} // namespace korvale

// The flight path over the grid segments: serpentine order, picture positions, the drawing on
// the map copy and the statistics of the parameter page; and the whole planning run.
#pragma once

#include "model/overlay.h"
#include "model/state.h"
#include "planning/params.h"

namespace korvale {

// Flies FlightSegs in serpentine order (even segments from their first cut point, odd ones
// from their second), lays pictures at 0, A, 2A, ... along each (A = NumberBoxA), joins the
// segments by connection legs, appends segments, picture marks and legs to the overlay and
// sets NumberBoxStreifen, NumberBoxWeg, NumberBoxBilder and NumberBoxFlugzeit. Does nothing
// without cut points. Throws Error before drawing or setting anything when the photo base is
// not positive or the pictures would be unreasonably many.
void CalcFlugWeg(State& s, ParamPageModel& p, Overlay& o);

// The planning run: ground coordinates for new points, the border ring, and, if there is a
// border point, the ring's drawing, the grid cut at NumberBoxRi with spacing NumberBoxB and
// the flight path. A refused run (Error) leaves CutPoints, FlightSegs and the statistics as
// they were.
void FlightLines(State& s, ParamPageModel& p, Overlay& o);

} // namespace korvale

// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The flight path over the grid segments: serpentine order, picture positions, the drawing on
// the map copy and the statistics of the parameter page; and the whole planning run.
#pragma once

#include <string>

#include "model/overlay.h"
#include "model/state.h"
#include "planning/params.h"
#include "planning/plan.h"

namespace korvale {

class PlanCache;

// Appends the plan to the overlay: each line with its picture marks, in flight order, then the
// connection legs.
void DrawFlightPlan(const State& s, const FlightPlan& plan, Overlay& o);

// NumberBoxStreifen, NumberBoxWeg, NumberBoxBilder and NumberBoxFlugzeit from the totals.
void ShowPlanTotals(ParamPageModel& p, const FlightPlan& plan);

// The plan of the lists as they stand (PlanOfState: FlightSegs in serpentine order, pictures
// at 0, A, 2A, ... along each with A = NumberBoxA, legs inside the border ring), drawn and
// shown in the four statistics boxes. Does nothing without cut points. Throws Error before
// drawing or setting anything when the photo base is not positive or the pictures would
// exceed MaxPictures.
void CalcFlugWeg(State& s, ParamPageModel& p, Overlay& o);
// The same with the plan taken from (and kept in) `plans`, so that the writers share it.
void CalcFlugWeg(State& s, ParamPageModel& p, Overlay& o, PlanCache& plans);

// The planning run: ground coordinates for new points, the border ring, and, if there is a
// border point, the ring's drawing, the grid cut at NumberBoxRi with spacing NumberBoxB and
// the flight path. A refused run (Error) leaves CutPoints, FlightSegs and the statistics as
// they were.
void FlightLines(State& s, ParamPageModel& p, Overlay& o);
void FlightLines(State& s, ParamPageModel& p, Overlay& o, PlanCache& plans);

// The note for the status line when the plan merged border points that lie on a straight
// edge (within a centimetre of the way past them); empty when it merged none.
std::string MergedCornersNote(const State& s);

} // namespace korvale

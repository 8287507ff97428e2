// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Litchi missions from the planning data: one waypoint at each end of every flight segment of
// the grid, or of every segment of the free line with its nearest point of interest.
#pragma once

#include <string>

#include "litchi/editor.h"
#include "model/overlay.h"
#include "model/state.h"
#include "planning/params.h"

namespace korvale {

// Replaces LitchiRecs by the grid mission: for every flight segment, in the serpentine order of
// the flight path, a waypoint at each end with height NumberBoxH (m), speed NumberBoxV / 3.6
// (m/s) and picture interval NumberBoxFrameS (whole seconds), with CheckBoxNadir also gimbal
// mode 2 and pitch -90. Then the selector gets its new maximum and the mission is drawn. No
// segments give an empty mission. A segment whose ends are not both in CutPoints (the points were
// deleted since the grid was computed) is left out.
// A speed beyond the limit table's ("speed", 15 m/s = 54 km/h) is refused with the table's
// message (Error, Refused) before anything changes, and so is a plan nobody can fly
// (GridMissionUnflyable).
void MakeLitchiLines(State& s, const ParamPageModel& p, LitchiPageModel& m, Overlay& o);

// "" when the state's plan can be flown as a grid mission; otherwise the German reason: there
// are no flight lines, or UnflyableReason of the lines over the border ring at spacing
// NumberBoxB. Lines laid without a border ring are taken as they are.
std::string GridMissionUnflyable(const State& s, const ParamPageModel& p);

// Index into Points of the point of interest (kind 4) nearest to Points[n] in map pixels, the
// lower index on ties; -1 when there is none or n is not an index of Points.
int FindNearestPOI(const State& s, int n);

// Replaces LitchiRecs by the free-line mission: for every segment of FreeLines a start waypoint
// with the heading along the segment and an end waypoint with heading 0, each with its nearest
// point of interest as POI. Altitude, speed and intervals stay 0 (set in the editor). Sets the
// selector's maximum; does not draw.
// When FreeLines is empty, or none of its segments has both ends in Points, nothing at all
// happens and the previous mission stays; segments pointing outside Points are left out.
void MakeFreeLitchiLines(State& s, LitchiPageModel& m);

} // namespace korvale

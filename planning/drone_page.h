// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The camera of a drone profile on the "Korvale" page and the speed limit the page's values
// give: the camera boxes filled from plain values, whether they still hold them (else the page
// shows "eigene Werte"), the ground pixel, and the greatest allowed speed with its reason.
#pragma once

#include <string>

#include "planning/params.h"
#include "planning/speed_limit.h"

namespace korvale {

// A camera as the page holds it. X is the picture's long side, across the flight direction.
struct CameraValues {
    double focalMm = 0; // focal length c, mm
    double pixelUm = 0; // pixel size, µm
    int pixelsX = 0;    // sensor pixels across the flight direction
    int pixelsY = 0;    // sensor pixels along it
};

// The text the camera box shows for a value: at most four decimals, no trailing zeros
// ("6.72", "2.4008", "4032").
std::string CameraText(double v);

// Writes the camera texts EditF, EditAufloesung, EditXb and EditYb (CameraText of each); the
// format check box and every other box stay as they are.
void ApplyCameraValues(ParamPageModel& p, const CameraValues& c);

// Whether the page's camera texts hold the values ApplyCameraValues writes for `c` (compared as
// numbers, so "6.720" holds 6.72). False for a text that is no number: the page then shows
// "eigene Werte".
bool PageHasCamera(const ParamPageModel& p, const CameraValues& c);

// Ground size of one pixel at `heightM`: height x pixel size / focal length, metres.
double GroundPixelM(const CameraValues& c, double heightM);

// The camera the page's texts describe. Throws Error (Conversion) for a text that is no number.
CameraValues CameraOfPage(const ParamPageModel& p);

// The speed limit of the page: ground pixel of the camera boxes at NumberBoxH, exposure
// 1 / NumberBoxBelichtung s, allowed shift NumberBoxVersatz, photo base NumberBoxA and the
// values of the drone picked (p.Drohne). Throws Error like MaxSpeed and CameraOfPage.
SpeedLimit SpeedLimitOfPage(const ParamPageModel& p);

// Sets NumberBoxVmax (km/h) and LabelVmax (the binding limit's name) from SpeedLimitOfPage.
// Returns a German status text when NumberBoxV is above the limit, naming both speeds and the
// limit, else "". A page that gives no limit (no height, a camera text that is no number)
// shows 0 and "" and returns "".
std::string ShowSpeedLimit(ParamPageModel& p);

} // namespace korvale

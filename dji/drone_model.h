// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// A drone profile turned into the plain values of planning: the camera for the "Korvale" page
// and korvale-plan, and what the speed limits and the flight-time model take from the drone.
// planning/ knows no profiles; this is where both meet.
#pragma once

#include "dji/profiles.h"
#include "planning/drone_page.h"
#include "planning/flight_time.h"
#include "planning/params.h"

namespace korvale {

// The profile's camera as the page holds it: focal length, pixel size (sensor width / image
// width) and the image's pixels, the long side across the flight direction.
CameraValues CameraValuesOf(const DroneProfile& d);

// Shutter, readout, picture interval, speed cap, whether every picture is a waypoint (apps that
// fire no distance trigger) and the flight model (climb, descent, transit, acceleration,
// standing times; DJI Fly stops at every photo waypoint).
DroneFlightValues FlightValuesOf(const DroneProfile& d);

// Picks the drone on the page: DroneKey, Drohne and the camera boxes (ApplyCameraValues). The
// derived boxes follow at the next Rechnen.
void PickDroneProfile(ParamPageModel& p, const DroneProfile& d);

// Takes the drone off the page: DroneKey "", generic flight values; the camera boxes keep what
// they hold (they are own values now).
void DropDroneProfile(ParamPageModel& p);

// Whether the page's camera still is the drone's (else the page shows "eigene Werte").
bool PageHasDroneCamera(const ParamPageModel& p, const DroneProfile& d);

} // namespace korvale

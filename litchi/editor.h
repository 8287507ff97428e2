// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The waypoint editor of the "Litchi CSV" page as a plain model: its boxes, the change rules
// that write edits into the mission, showing a waypoint, and drawing the mission.
#pragma once

#include <string>

#include "model/numberbox.h"
#include "model/overlay.h"
#include "model/state.h"

namespace korvale {

struct LitchiPageModel {
    using K = NumberBox::Kind;
    // Latitude of the waypoint, degrees (read-only)
    NumberBox NumberBoxLat{K::Float, 0, -90, 90, 6, true};
    // Longitude of the waypoint, degrees (read-only)
    NumberBox NumberBoxLon{K::Float, 0, -180, 180, 6, true};
    // Altitude, m, relative as altitudemode says
    NumberBox NumberBoxAlt{K::Float, 0, -50, 1000, 1};
    // Altitude mode: 0 above the start point, 1 above ground
    NumberBox NumberBoxAltMode{K::Float, 0, 0, 1, 0};
    // Heading of the aircraft, degrees clockwise from north (read-only)
    NumberBox NumberBoxHead{K::Float, 0, 0, 360, 4, true};
    // Curve size at the waypoint ("Curv"), m
    NumberBox NumberBoxCuSz{K::Float, 0, 0, 100, 1};
    // Rotation direction ("Rotdir"), degrees
    NumberBox NumberBoxRotDir{K::Float, 0, 0, 360, 1};
    // Gimbal mode: 0 none, 1 focus on the POI, 2 interpolate
    NumberBox NumberBoxGimM{K::Float, 0, 0, 2, 0};
    // Gimbal pitch, degrees (0 ahead, -90 straight down)
    NumberBox NumberBoxGimP{K::Float, 0, -90, 0, 1};
    // Flight speed, m/s
    NumberBox NumberBoxSpeed{K::Float, 0, 0, 100, 1};
    // The speed of NumberBoxSpeed in km/h ("%4.1f")
    std::string Label14 = "0";
    // Photo time interval ("Pict/s"), whole seconds; -1 not used
    NumberBox NumberBoxPictS{K::Float, 0, -1, 100, 1};
    // Photo distance interval ("Pict/m"), m; -1 not used (read-only)
    NumberBox NumberBoxPictM{K::Float, 0, -1, 500, 1, true};
    // Tilt-camera action's angle, degrees; an edit sets the gimbal pitch
    NumberBox NumberBoxTiltCam{K::Float, 0, -90, 90, 0};
    // Wait action's duration, s (the action stores milliseconds)
    NumberBox NumberBoxWait{K::Float, 0, 0, 1000, 0};
    // Rotate action's angle, degrees (read-only)
    NumberBox NumberBoxRotate{K::Float, 0, 0, 360, 0, true};
    // Latitude of the waypoint's point of interest, degrees; 0 means none
    NumberBox NumberBoxPoiLat{K::Float, 0, 0, 360, 6};
    // Longitude of the point of interest, degrees
    NumberBox NumberBoxPoiLon{K::Float, 0, 0, 100, 6};
    // Altitude of the point of interest, m
    NumberBox NumberBoxPoiAlt{K::Float, 0, 0, 360, 1};
    // Altitude mode of the point of interest: 0 above the start point, 1 above ground
    NumberBox NumberBoxPoiAltMode{K::Float, 0, 0, 1, 0};
    bool CheckBoxAlle = false;               // "Alle ändern": edits go to every waypoint
    bool CheckBoxPhoto = false;              // the waypoint has a take-photo action ("Mach Foto")
    bool CheckBoxStartRec = false;           // the waypoint has a start-recording action
    bool CheckBoxStopRec = false;            // the waypoint has a stop-recording action
    std::string EditCVS = "LitchiLines.csv"; // mission file of "Lies CSV" / "Schreib CSV"
    // Record selector: index of the waypoint shown; Max = last index of the mission
    NumberBox NumberBoxActrec{K::Float, 0, 0, 1000, 0};
    // "Kamera -90°": grid waypoints point the camera straight down; off, the file leaves the
    // camera to the app as it always did
    bool CheckBoxNadir = false;
    // Flight time of one battery ("Akku (min)"), minutes: a longer mission is written in parts
    NumberBox NumberBoxAkku{K::Integer, 20, 1, 120};
    // The most waypoints of one mission file ("Max. Wegpunkte")
    NumberBox NumberBoxMaxWP{K::Integer, 99, 2, 99};
    // Share of the battery kept back for wind and the way home ("Reserve %"): a part may use
    // at most (100 - reserve) % of NumberBoxAkku in the flight-time model
    NumberBox NumberBoxReserve{K::Integer, 20, 0, 50};
};

// Shows waypoint i in the boxes and check boxes and makes it the current one (ActRec := i).
// Filling the boxes is no edit: no waypoint changes, whatever CheckBoxAlle says. A value
// outside a box's range is shown clamped; the waypoint keeps its own. An i outside the mission
// shows 0 in every box and unticks the action check boxes.
void ShowLitchiCVS(State& s, LitchiPageModel& m, int i);

// The change rules of the editing boxes: the box's value goes into its field of every waypoint
// while CheckBoxAlle is ticked, else into waypoint ActRec only if that is in the mission.
// Values are stored in the field's width: single precision, or a 32-bit integer cut toward
// zero. NumberBoxTiltCam writes the camera pitch (gimbalpitchangle), cut toward zero, and no
// action; NumberBoxSpeed also refreshes Label14.
void NumberBoxAltChange(State& s, LitchiPageModel& m);
void NumberBoxAltModeChange(State& s, LitchiPageModel& m);
void NumberBoxHeadChange(State& s, LitchiPageModel& m);
void NumberBoxCuSzChange(State& s, LitchiPageModel& m);
void NumberBoxRotDirChange(State& s, LitchiPageModel& m);
void NumberBoxGimMChange(State& s, LitchiPageModel& m);
void NumberBoxGimPChange(State& s, LitchiPageModel& m);
void NumberBoxSpeedChange(State& s, LitchiPageModel& m);
void NumberBoxPictSChange(State& s, LitchiPageModel& m);
void NumberBoxPictMChange(State& s, LitchiPageModel& m);
void NumberBoxTiltCamChange(State& s, LitchiPageModel& m);
void NumberBoxPoiLatChange(State& s, LitchiPageModel& m);
void NumberBoxPoiLonChange(State& s, LitchiPageModel& m);

// The text of Label14: a speed in m/s shown in km/h ("%4.1f").
std::string Label14Text(double speed);

// The selector's change rule, run whenever its value changes: maximum := last waypoint index
// (0 for an empty mission, so the box stays valid), ActRec := value cut toward zero, show it.
void NumberBoxActrecChange(State& s, LitchiPageModel& m);

// Sets the selector's maximum (below 0, as for an empty mission, it becomes 0: ActRec 0 then
// lies outside the mission and the editor shows zeros). When the new maximum clamps the
// selector's value, that is a change of the value and its rule runs.
void SetActrecMax(State& s, LitchiPageModel& m, int max);

// Draws the mission: yellow lines between consecutive waypoints with a disc at each later
// one, and cyan lines and discs between the points of interest where a waypoint has one
// (poi_latitude > 0). Asks for the map copy page first; an empty mission draws nothing and
// asks for nothing. Ends by setting the selector's maximum.
void DisplayLitchiRecs(State& s, LitchiPageModel& m, Overlay& o);

} // namespace korvale

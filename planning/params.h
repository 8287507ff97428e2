// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The camera and flight parameters of the "Korvale" page as a plain model, and the
// computation of footprint, photo base, strip spacing and picture interval.
#pragma once

#include <optional>
#include <string>

#include "model/numberbox.h"
#include "planning/flight_time.h"

namespace korvale {

struct ParamPageModel {
    using K = NumberBox::Kind;
    // Camera
    std::string EditF = "8.38";                   // focal length c, mm
    std::string EditAufloesung = "2.4";           // pixel size ("Auflösung"), µm
    bool CheckBoxFormat = true;                   // sensor format: ticked 16:9, else 3:2
    std::string CheckBoxFormatCaption = "16 : 9"; // caption of CheckBoxFormat
    std::string EditXb = "5472";                  // sensor pixels across the flight direction
    std::string EditYb = "3078";                  // sensor pixels along the flight direction
    // Ground length of one picture along the flight (its Y side), m
    NumberBox NumberBoxLG{K::Float, 0, 0, 1000, 0, true};
    // Ground width of one picture across the flight (its X side), m
    NumberBox NumberBoxBG{K::Float, 0, 0, 1000, 0, true};
    // Flight
    NumberBox NumberBoxP{K::Integer, 80, 0, 100}; // forward overlap ("längs"), %
    NumberBox NumberBoxQ{K::Integer, 80, 0, 100}; // side overlap ("quer"), %
    NumberBox NumberBoxH{K::Integer, 40, 0, 200}; // flight height above ground, m
    // Ground size of 4 x 4 pixels, cm; shown as a text in the general format
    NumberBox NumberBoxBA{K::Float, 0, 0, 1000, 1, true};
    NumberBox NumberBoxV{K::Integer, 15, 0, 59}; // flight speed, km/h
    // Flight time of the planned path ("Flugzeit"), minutes. The result boxes show the true
    // figures of the largest plan (MaxPictures pictures).
    NumberBox NumberBoxFlugzeit{K::Integer, 0, 0, 1e9, 0, true};
    // Results
    // Photo base: distance between two pictures along a flight line, m; Max = NumberBoxLG
    NumberBox NumberBoxA{K::Float, 10, 0, 1000, 1, true};
    // Strip spacing: distance between two flight lines, m; Max = NumberBoxBG
    NumberBox NumberBoxB{K::Float, 10, 0, 1000, 1, true};
    // Picture interval ("Bildfolge"), whole seconds
    NumberBox NumberBoxFrameS{K::Integer, 0, 0, 100, 0, true};
    // Number of strips ("Streifen"): flight lines of the plan
    NumberBox NumberBoxStreifen{K::Integer, 0, 0, 1e9, 0, true};
    // Length of the flight path ("Weg"), m
    NumberBox NumberBoxWeg{K::Integer, 0, 0, 1e12, 0, true};
    // Area inside the border ring ("Fläche"), hectares
    NumberBox NumberBoxFlaeche{K::Float, 0, 0, 10000000, 3, true};
    // Number of pictures ("Bilder") of the plan
    NumberBox NumberBoxBilder{K::Integer, 0, 0, 1e9, 0, true};
    // Number of batteries ("Akkus") the grid mission of the plan needs
    NumberBox NumberBoxAkkus{K::Integer, 0, 0, 1e9, 0, true};
    // Files the grid mission is written in (parts by battery time and by waypoints per file).
    NumberBox NumberBoxDateien{K::Integer, 0, 0, 1e9, 0, true};
    // Direction of the flight lines ("Alfa"), degrees counterclockwise from east
    NumberBox NumberBoxRi{K::Float, 0.01, 0.01, 360, 1};
    // Drone, speed limit and modelled flight time
    // Key of the drone picked ("" none); what the speed limits and the time model take from
    // its profile (generic values without one). The camera boxes are compared with the
    // profile's camera by PageHasCamera.
    std::string DroneKey;
    DroneFlightValues Drohne;
    // Exposure time as 1/x s ("Belichtung 1/s")
    NumberBox NumberBoxBelichtung{K::Integer, 1000, 1, 100000};
    // Ground pixels the drone may move while a picture is exposed and read ("Versatz px")
    NumberBox NumberBoxVersatz{K::Float, 0.5, 0.1, 10, 1};
    // Greatest allowed speed ("v max km/h") and the name of the limit that binds
    NumberBox NumberBoxVmax{K::Float, 0, 0, 1e9, 1, true};
    std::string LabelVmax;
    // Modelled flight time of the plan over all its batteries ("Flugzeit Modell"), minutes
    NumberBox NumberBoxFlugzeitModell{K::Float, 0, 0, 1e9, 1, true};
    // Where the drone takes off; none: at the first waypoint of the mission
    std::optional<TakeoffPos> Startpunkt;
    // Files
    std::string EditDXFFileName = "Flugplanung.dxf"; // file of "Schreib DXF"
    std::string EditKVName = "TrafPar.dat"; // map project data file ("Karte sichern/laden")
};

// Recomputes the derived boxes from the inputs. Throws Error (no box changed) on a text that
// is no number or a focal length <= 0. Returns a status line text, empty when there is
// nothing to say (a speed of 0 gives a picture interval of 0 and a note why).
std::string Rechnen(ParamPageModel& p);

// After CheckBoxFormat was toggled: caption and sensor pixels of the new format.
void CheckBoxFormatClick(ParamPageModel& p);

} // namespace korvale

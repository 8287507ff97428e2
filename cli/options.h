// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The command line of korvale-plan: its options with units and defaults, parsed into a plain
// value. Kept apart from main() so it is tested without running a process; the help text is
// the man page's (packaging/man/korvale-plan.1).
#pragma once

#include <string>
#include <vector>

namespace korvale {

struct PlanOptions {
    std::string areaFile;           // the survey area: GeoJSON, KML or KMZ in WGS84
    double focalMm = 8.38;          // --focal: focal length, mm
    double pixelUm = 2.4;           // --pixel: pixel size, µm
    double pixelsX = 5472;          // --xpix: sensor pixels across the flight direction
    double pixelsY = 3078;          // --ypix: sensor pixels along the flight direction
    double heightM = 40;            // --height: flight height above ground, m
    double frontPct = 80;           // --front: forward overlap, %
    double sidePct = 80;            // --side: side overlap, %
    double speedKmh = 15;           // --speed: ground speed, km/h
    double angleDeg = 0;            // --angle: flight direction, degrees from east
    bool angleAuto = false;         // --angle auto: the direction of the fewest lines ("Alfa auto")
    double batteryMin = 20;         // --battery-min: flight time of one battery, minutes
    double maxWaypoints = 99;       // --max-waypoints: the most waypoints of one mission file
    double reservePct = 20;         // --reserve: share of a battery kept back, %
    double exposureS = 0.001;       // --exposure: shutter time, s (above 0, at most 1)
    std::string geojsonFile;        // --geojson: the plan as GeoJSON
    std::string kmlFile;            // --kml: the plan as KML
    std::string dxfFile;            // --dxf: the plan as DXF drawing
    std::string litchiFile;         // --litchi: the grid mission as Litchi CSV
    std::string wpmlFile;           // --wpml: the grid mission as DJI WPML (KMZ)
    std::string droneKey;           // --drone: the drone profile (app, limits, camera)
    std::string checkFile;          // --check: a mission file (KMZ or Litchi CSV) to check only
    std::vector<std::string> given; // the options given, by name (a profile fills the others)
    bool help = false;              // --help
    bool version = false;           // --version

    // Over an elevation model the height is above its ground.
    std::string demFile;          // --dem: the elevation model
    double terrainToleranceM = 5; // --terrain-tolerance: band around the height, m
    // The take-off point: the flight-time model flies from it to each part and back; over an
    // elevation model the heights are above its ground.
    bool haveTakeoff = false; // --takeoff given (else the first waypoint)
    double takeoffLat = 0;    // --takeoff LAT,LON: the take-off point, degrees
    double takeoffLon = 0;

    std::string coverageFile;   // --coverage: pictures per cell as GeoTIFF
    double coverageCellM = 1;   // --coverage-cell: its cell size, m
    std::string footprintsFile; // --footprints: every picture's footprint as GeoJSON
    bool crosshatch = false;    // --crosshatch: a second grid at right angles after the first
    // Areas the drone must not enter besides the holes of the area file.
    std::vector<std::string> excludeFiles; // --exclude (repeatable): GeoJSON, KML or KMZ polygons
    double excludeBufferM = 5;             // --exclude-buffer: distance kept from every zone, m
};

// Parses argv[1..]. Accepts "--name value" and "--name=value". Throws Error (Refused) with a
// German message for an unknown option, a missing or non-numeric value, a value out of range,
// or a missing or second area file.
PlanOptions ParsePlanOptions(const std::vector<std::string>& args);

} // namespace korvale

// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Drone and camera profiles (data/drones.json): which app flies a drone, what its WPML files
// must name, the limits its app keeps and the camera it carries. Every value in the file carries
// its source; the reader refuses a value without one.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace korvale {

enum class FlightApp { DjiFly, Pilot2, Litchi };

struct CameraProfile {
    double sensorWidthMm = 0;  // across the image's long side
    double sensorHeightMm = 0; // across its short side
    int imageWidthPx = 0;
    int imageHeightPx = 0;
    double focalMm = 0;
    std::string shutter;          // "mechanical" or "electronic"
    double minPhotoIntervalS = 0; // the shortest time between two pictures
    // Time the electronic (rolling) shutter takes to read one frame, ms; 0 for a mechanical
    // shutter, which exposes the frame at once.
    double readoutMs = 0;
};

// How the drone flies, as far as the flight time goes.
struct FlightProfile {
    double climbMps = 0;   // vertical speed up, m/s
    double descentMps = 0; // vertical speed down, m/s
    double transitMps = 0; // to the first waypoint and home, m/s
    double accelMps2 = 0;  // acceleration and braking, m/s²
    double hoverStopS = 0; // standing time at a waypoint where it stops, s
    double photoStopS = 0; // standing time for a picture at a photo waypoint, s
};

struct DroneProfile {
    std::string key;  // short name on the command line and in the settings ("mini4pro")
    std::string name; // shown to the user
    FlightApp app = FlightApp::DjiFly;
    std::string wpmlNamespace; // the xmlns:wpml the app accepts ("" for Litchi)
    int droneEnumValue = -1;   // -1: not written
    int droneSubEnumValue = -1;
    int payloadEnumValue = -1;
    double speedCapMps = 0;             // the fastest the app flies a route
    int maxWaypoints = 0;               // above this the app gets unreliable
    bool firesDistanceTriggers = false; // whether multipleDistance/multipleTiming fire
    CameraProfile camera;
    FlightProfile flight;
};

// Parses the profile file. Throws Error (Damaged) naming the drone and key for a missing value,
// a value without source, a wrong type, a value out of range, an unknown app or shutter, a
// rolling shutter without readout time, or a duplicate key.
std::vector<DroneProfile> ParseDroneProfiles(std::string_view json);

// Reads and parses the file; throws Error (File) as ReadFileBytes, (Damaged) as above.
std::vector<DroneProfile> LoadDroneProfiles(const std::string& path);

// Where the installed profile file lies: <program dir>/../share/korvale/drones.json when that
// exists, else the source tree's data/drones.json (running from the build tree).
std::string DefaultDroneProfilesPath();

// The profile of `key`. Throws Error (Refused) for an unknown key, listing the known ones.
const DroneProfile& FindDroneProfile(const std::vector<DroneProfile>& profiles,
                                     std::string_view key);

// The app's name as the user knows it ("DJI Fly", "DJI Pilot 2", "Litchi").
std::string_view FlightAppName(FlightApp app);

// How the pilot gets a file of this app onto the controller, one German sentence.
std::string_view FlightAppImportHint(FlightApp app);

} // namespace korvale

// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The greatest speed a photo flight may fly: the least of four limits, the picture interval of
// the camera at the photo base, motion blur during the exposure, the shift of a rolling shutter
// while it reads the frame, and the drone's own cap. docs/flight-model.md gives the formulas
// and their sources.
#pragma once

#include <string_view>

namespace korvale {

enum class SpeedLimitBy { Bildfolge, Bewegungsunschaerfe, RollingShutter, Drohne };

// The limit's name as the page and the command show it: "Bildfolge", "Bewegungsunschärfe",
// "Rolling Shutter", "Drohne".
std::string_view SpeedLimitName(SpeedLimitBy by);

inline constexpr double DefaultExposureS = 0.001; // 1/1000 s
inline constexpr double DefaultAllowedShiftPx = 0.5;

struct SpeedLimitInput {
    double groundPixelM = 0;                       // ground size of one pixel at the height, m
    double exposureS = DefaultExposureS;           // shutter time, s
    double allowedShiftPx = DefaultAllowedShiftPx; // the drone may move this many ground
                                                   // pixels during the exposure and, with a
                                                   // rolling shutter, during the readout
    bool rollingShutter = false;                   // the sensor is read line by line
    double readoutS = 0;          // time a rolling shutter takes to read the frame, s (0: none)
    double minPhotoIntervalS = 0; // the shortest time between two pictures, s (0: no limit)
    double photoBaseM = 0;        // distance between two pictures along the line, m
    double droneCapMps = 0;       // the fastest the app flies a route, m/s (0: no cap known)
};

struct SpeedLimit {
    double maxMps = 0; // the least of the terms below
    SpeedLimitBy by = SpeedLimitBy::Drohne;
    // Each term, m/s; +infinity where it does not apply (a mechanical shutter has no
    // rolling-shutter term, an unknown interval or cap none either).
    double bildfolgeMps = 0;
    double blurMps = 0;
    double rollingShutterMps = 0;
    double droneMps = 0;
};

// The greatest allowed speed and the limit that binds (on a tie the first of Bildfolge,
// Bewegungsunschärfe, Rolling Shutter, Drohne). Throws Error (Refused) for a ground pixel,
// exposure or allowed shift that is not a positive finite number, or a negative interval,
// readout, photo base or cap; when no term applies maxMps is +infinity.
SpeedLimit MaxSpeed(const SpeedLimitInput& in);

} // namespace korvale

// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The pre-flight sheet: one page per mission part with what the pilot checks before take-off
// (where to start, how long, how much battery, how high and fast, what to set by hand in the
// app), as plain texts; the window paints them and prints them to PDF.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "dji/profiles.h"
#include "terrain/follow.h"

namespace korvale {

// A position in WGS84, decimal degrees.
struct PreflightPos {
    double lat = 0;
    double lon = 0;
};

// One mission part as it will be flown.
struct PreflightPart {
    std::vector<PreflightPos> waypoints; // in flight order
    double lengthM = 0;                  // from its first to its last waypoint
    double modelMin = 0;                 // modelled flight time, take-off to landing, minutes
    std::optional<double> minClearanceM; // least height above ground (with an elevation model)
};

struct PreflightInput {
    std::string droneName; // "" : the camera holds the user's own values
    FlightApp app = FlightApp::Litchi;
    std::optional<PreflightPos> takeoff; // none: the first waypoint of each part
    double heightM = 0;                  // flight height above the take-off, m
    double speedMps = 0;                 // mission speed
    double speedLimitMps = 0;            // the greatest speed the pictures allow (0: unknown)
    std::string limitBy;                 // the limit that binds ("Bildfolge", "Drohne", ...)
    double batteryMin = 0;               // flight time of one battery
    double reservePct = 0;               // share of the battery kept back
    double exposureS = 0;                // the exposure the speed limit was computed for
    int imageWidthPx = 0;                // the picture the camera must take
    int imageHeightPx = 0;
    std::vector<PreflightPart> parts;
};

struct PreflightPage {
    std::string title;                                     // "Vorflugblatt – Teil 2 von 3"
    std::vector<std::pair<std::string, std::string>> rows; // label, value
    std::vector<std::string> settings; // to set by hand in the app, one line each
    std::vector<std::string> warnings; // what the pilot must not overlook (speed, battery)
    std::vector<PreflightPos> route;   // the part's waypoints, for the small map
    PreflightPos takeoff;
};

// The least height above ground of the waypoints [first, first + count) of the mission the
// terrain result was made for, and of the ground sampled along the legs between them. None
// when the result belongs to another mission (its waypoints are not the mission's) or the
// range is empty.
std::optional<double> PartClearance(const TerrainResult& t, std::size_t missionSize,
                                    std::size_t first, std::size_t count);

// The pages of the sheet, one per part. Throws Error (Refused) without a part, for a battery
// time that is not positive or a reserve outside 0..50 %.
std::vector<PreflightPage> PreflightSheet(const PreflightInput& in);

// The sheet as text for the protocol page: each page's title, rows, settings and warnings.
std::string PreflightText(const std::vector<PreflightPage>& pages);

} // namespace korvale

// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The WPML writer: a route and a drone profile become the KMZ that DJI Fly or DJI Pilot 2 flies,
// a ZIP holding exactly wpmz/template.kml (the planning view) and wpmz/waylines.wpml (what the
// drone executes). Both files carry the same waypoints, heights and actions, so an app that
// rebuilds the route from the template flies the same route.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "dji/profiles.h"
#include "dji/route.h"
#include "litchi/split.h"

namespace korvale {

struct WpmlOptions {
    double takeOffSecurityHeightM = 20; // climb straight up to this before the first waypoint
    double transitionalSpeedMps = 8;    // to the first waypoint and home
    std::int64_t timeMs = 0;            // createTime/updateTime, ms since 1970 (0: none)
    // The split into batteries: share of the battery kept back, and where the drone takes off
    // (none: the route's first waypoint).
    double reservePct = DefaultReservePct;
    std::optional<TakeoffPos> takeoff;
};

struct WpmlFiles {
    std::string templateKml;
    std::string waylinesWpml;
};

// Both files of one route. Throws Error (Refused) for an empty route or one with fewer than
// two waypoints, a non-finite value, or a profile whose app reads no WPML.
WpmlFiles EncodeWpml(const Route& r, const DroneProfile& d, const WpmlOptions& o);

// The KMZ: the two files as wpmz/template.kml and wpmz/waylines.wpml (deflated, fixed times,
// so equal routes give equal bytes).
std::string EncodeWpmlKmz(const WpmlFiles& f);

// The route cut into parts for the profile: the grid between flight lines by the split rules of
// the Litchi missions (waypoint count of the profile, battery time in the flight-time model of
// the profile with the reserve and take-off of `o`), other routes by waypoint count. Each part
// is a complete route.
std::vector<Route> SplitRoute(const Route& r, const DroneProfile& d, double batteryMin,
                              const WpmlOptions& o);
// As above with the default reserve and the take-off at the first waypoint.
std::vector<Route> SplitRoute(const Route& r, const DroneProfile& d, double batteryMin);

// The split options of a route for the profile: the speed of its first waypoint, its highest
// waypoint for climb and descent, the profile's flight model and waypoint count.
SplitOptions RouteSplitOptions(const Route& r, const DroneProfile& d, double batteryMin,
                               const WpmlOptions& o);

// The modelled flight of a whole route (one battery), as the split measures each part.
FlightTime RouteFlightTime(const Route& r, const DroneProfile& d, const WpmlOptions& o);

struct WpmlMissionFiles {
    std::vector<std::string> names; // one part under the path itself, several as name_k.kmz
    std::vector<std::string> bytes;
    std::vector<std::string> warnings; // soft findings of the checker, with the part's number
};

// Every part made and checked as the file it becomes; any hard finding throws Error (Limit)
// naming part, waypoint and rule, before anything is written.
WpmlMissionFiles MakeWpmlMission(const std::string& path, const Route& r, const DroneProfile& d,
                                 double batteryMin, const WpmlOptions& o);

// MakeWpmlMission written as one all-or-nothing set; returns what was made (names, warnings).
WpmlMissionFiles WriteWpmlMission(const std::string& path, const Route& r, const DroneProfile& d,
                                  double batteryMin, const WpmlOptions& o);

} // namespace korvale

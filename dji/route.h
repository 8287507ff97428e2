// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// A DJI waypoint route as a plain list: the waypoints in flight order with position (doubles),
// height above the take-off point, speed, heading, gimbal and the picture they take. The grid,
// the free line and the orbit become such a list; a later step (terrain following) may change
// heights or insert waypoints before the list is written as WPML.
#pragma once

#include <cstddef>
#include <vector>

#include "dji/profiles.h"
#include "model/state.h"
#include "model/types.h"
#include "planning/plan.h"

namespace korvale {

struct RouteWaypoint {
    double lat = 0; // degrees WGS84
    double lon = 0;
    double heightM = 0;     // above the take-off point
    double speedMps = 0;    // towards the next waypoint
    double headingDeg = 0;  // clockwise from north, -180..180
    bool towardPoi = false; // heading to (poiLat, poiLon) instead
    double poiLat = 0;
    double poiLon = 0;
    double gimbalPitchDeg = -90;
    bool photo = false; // a picture when the waypoint is reached
    // > 0: pictures every photoDistanceM metres from here to the next waypoint of the same
    // flight line (a distance trigger; only apps that fire them get one).
    double photoDistanceM = 0;
    // The flight line the waypoint belongs to (the bends of the leg after a line count to it),
    // -1 outside a grid; `lineEnd` marks the line's last waypoint of its own.
    int line = -1;
    bool lineEnd = false;
    // The plan's own position (easting with the zone prefix, northing), where the route was made
    // from the plan: heights above ground are sampled there rather than at the rounded degrees.
    bool hasPlanPos = false;
    double planE = 0;
    double planN = 0;
};

struct Route {
    std::vector<RouteWaypoint> waypoints;
    bool grid = false; // from the photo grid: cut between flight lines only
};

struct GridRouteOptions {
    double heightM = 40;
    double speedMps = 4;
    double photoBaseM = 0; // the plan's photo base A
};

// The grid route of a plan in the state's UTM zone. Where the profile's app fires distance
// triggers, each flight line is its two ends with a distance trigger at the photo base; where
// it does not, every picture of the plan (with the end picture the drawing adds) is a waypoint
// with a picture. Bends of the legs around notches are waypoints without a picture. Throws
// Error (Refused) for a height, speed or photo base that is not positive.
Route GridRoute(const State& s, const FlightPlan& plan, const DroneProfile& d,
                const GridRouteOptions& o);

// The mission the editor holds (free line, orbit, a read file) as a route: its positions,
// heading or point of interest, gimbal pitch and photo flags; height and speed where a waypoint
// has none come from the options. Consecutive waypoints at one position are merged (the free
// line repeats its inner points), keeping the later heading.
Route RouteOfMission(const std::vector<TlitchRec>& recs, const GridRouteOptions& o);

// Distance in metres between two waypoints (ellipsoidal, as the Litchi checks measure).
double RouteStep(const RouteWaypoint& a, const RouteWaypoint& b);

// Heading from a to b in degrees clockwise from north, -180..180.
double RouteHeading(double lat1, double lon1, double lat2, double lon2);

} // namespace korvale

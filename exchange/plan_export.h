// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The flight plan for Google Earth and GIS programs: KML and GeoJSON in WGS84 with the area,
// the flight lines and legs in flight order, the picture positions and the mission waypoints.
#pragma once

#include <string>
#include <vector>

#include "exchange/area.h"
#include "model/fileio.h"
#include "model/state.h"
#include "planning/coverage.h"
#include "planning/params.h"
#include "planning/plan.h"
#include "planning/plan_cache.h"

namespace korvale {

// What is exported, every position in WGS84 degrees. legs[k] joins the end of lines[k] to the
// start of lines[k + 1].
struct PlanGeo {
    std::vector<GeoPos> area; // the border ring, without closing vertex
    std::vector<std::vector<GeoPos>> lines;
    std::vector<std::vector<GeoPos>> legs;
    std::vector<GeoPos> pictures;
    std::vector<GeoPos> waypoints;
    // Over an elevation model, one per waypoint (else empty): the model's ground there and the
    // altitude above the take-off, metres; GeoJSON gives them as "ground_m" and "altitude_m".
    std::vector<double> waypointGround;
    std::vector<double> waypointAltitude;
};

// The plan as it stands in the state: the ring of BorderIdx, FlightSegs over CutPoints in
// serpentine order (even segments from their first cut point, odd ones from their second), the
// legs between consecutive segments, pictures at 0, A, 2A, ... along each segment
// (A = NumberBoxA), and the waypoints of LitchiRecs. Throws Error (Refused) when there is
// neither an area nor a plan nor a mission to export, or when pictures are asked for with a
// photo base that is not positive.
PlanGeo PlanGeoFromState(const State& s, const ParamPageModel& p);
// The same from a plan already computed for the state (PlanOfState at NumberBoxA and
// NumberBoxV), so that a run writing several files plans once.
PlanGeo PlanGeoFromState(const State& s, const ParamPageModel& p, const FlightPlan& plan);
// The same with the plan taken from (and kept in) `plans`: the one "Calc Raster" computed,
// while nothing it was computed from has changed.
PlanGeo PlanGeoFromState(const State& s, const ParamPageModel& p, PlanCache& plans);

// GeoJSON (RFC 7946): a FeatureCollection with the area as a Polygon (outer ring counter-
// clockwise, closed) with "kind": "area", then lines and legs interleaved in flight order as
// LineStrings ("kind": "line" or "leg", "index" from 0), then the pictures and the waypoints as
// Points ("kind": "picture" or "waypoint", "index" from 0). Coordinates with 9 decimals.
std::string PlanToGeoJson(const PlanGeo& plan);

// KML 2.2: a Document with one style each for area, line, leg, picture and waypoint, and the
// folders "Gebiet", "Flugweg" (lines and legs interleaved in flight order), "Bilder" and
// "Wegpunkte". Coordinates "lon,lat" with 9 decimals.
std::string PlanToKml(const PlanGeo& plan);

// One picture's footprint on the ground in WGS84: its corners (not closed) and the index of its
// flight line (the "index" of that line in the plan's GeoJSON).
struct FootprintGeo {
    std::vector<GeoPos> corners;
    std::size_t line = 0;
};

// GeoJSON (RFC 7946): a FeatureCollection of the footprints in picture order, each a Polygon
// (counter-clockwise, closed) with "kind": "footprint", "index" (the picture, from 0) and
// "line". Coordinates with 9 decimals.
std::string FootprintsToGeoJson(const std::vector<FootprintGeo>& footprints);

// The footprints of the plan's pictures (PictureFootprints, in picture order) in WGS84.
std::vector<FootprintGeo> FootprintsGeo(const State& s, const FlightPlan& plan,
                                        const std::vector<Footprint>& footprints);

// The same texts handed to `sink` piece by piece as they are made.
void WritePlanGeoJson(ByteSink& sink, const PlanGeo& plan);
void WritePlanKml(ByteSink& sink, const PlanGeo& plan);

// Write the files atomically, streamed (an older file stays intact on failure).
void WritePlanGeoJson(const std::string& path, const PlanGeo& plan);
void WritePlanKml(const std::string& path, const PlanGeo& plan);
void WriteFootprintsGeoJson(const std::string& path, const std::vector<FootprintGeo>& footprints);

} // namespace korvale

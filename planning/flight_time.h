// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The flight-time model: how long one battery's flight takes from take-off to landing. Climb
// to the flight height, transit from the take-off point to the first waypoint, the mission at
// its speed with acceleration and braking wherever the drone stops, standing time at stops and
// photo stops, transit back, descent. The statistics, the split into batteries and every
// output take their times from here (docs/flight-model.md).
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "planning/plan.h"

namespace korvale {

// How a drone flies, as far as time goes. The values without a profile are Korvale's generic
// ones; dji/drone_model.h fills them from data/drones.json.
struct FlightModel {
    double climbMps = 3;        // vertical speed up to the flight height, m/s
    double descentMps = 3;      // vertical speed down to landing, m/s
    double transitMps = 8;      // between take-off point and mission, m/s
    double accelMps2 = 2;       // acceleration and braking, m/s²
    double stopTurnDeg = 15;    // a waypoint where the way turns by more than this is a stop
    double hoverStopS = 1;      // standing time at every stop (settle, turn to the new heading)
    double photoStopS = 1.5;    // standing time for the picture at a photo waypoint that stops
    bool stopsAtPhotos = false; // every photo waypoint is a stop (DJI Fly)
};

// Throws Error (Refused) naming the value when a rate, speed or acceleration is not a positive
// finite number, or an angle or a standing time is negative or not finite.
void CheckFlightModel(const FlightModel& m);

// A take-off point in degrees (WGS84); the planes of the ways are made from it per caller.
struct TakeoffPos {
    double lat = 0;
    double lon = 0;
};

// What the speed limits and the flight-time model take from the drone picked. Without a
// profile a term nobody knows is left out (no readout, no interval) and the cap is the 15 m/s
// that Litchi and WPML accept.
struct DroneFlightValues {
    bool rollingShutter = false;  // the camera reads its frame line by line
    double readoutS = 0;          // rolling-shutter readout of one frame, s
    double minPhotoIntervalS = 0; // the shortest time between two pictures, s
    double speedCapMps = 15;      // the fastest the app flies a route, m/s
    bool photoWaypoints = false;  // the app fires no distance trigger: every picture of the
                                  // grid is a waypoint
    FlightModel model;
};

// One flight as the model sees it: waypoints in flight order in a plane (metres), which take a
// picture, the flight height above the take-off, the mission speed and the take-off point.
struct ModelWay {
    std::vector<PlanPt> points;
    std::vector<bool> photo;       // empty: no waypoint takes a picture
    double heightM = 0;            // climb and descent, m
    double speedMps = 0;           // along the mission, m/s
    std::optional<PlanPt> takeoff; // none: the first waypoint of the way
};

struct FlightTime {
    double climbS = 0;
    double transitS = 0; // to the first waypoint and back from the last, with start and stop
    double missionS = 0; // first to last waypoint at the speed, accelerating and braking
    double stopS = 0;    // standing at stops and photo stops
    double descentS = 0;
    double pathM = 0;      // first to last waypoint, m
    double transitM = 0;   // both transits, m
    std::size_t stops = 0; // waypoints where the drone stops (first and last included)
    double TotalS() const { return climbS + transitS + missionS + stopS + descentS; }
    double TotalMin() const { return TotalS() / 60.0; }
};

// The time of one flight. Throws Error (Refused) for a speed that is not positive, a photo list
// of the wrong length, and as CheckFlightModel. An empty way is 0 everywhere.
FlightTime ModelFlightTime(const ModelWay& w, const FlightModel& m);

// Time to fly `lengthM` from standstill to standstill at cruise `speedMps` with acceleration
// `accelMps2` (a triangle profile where the way is too short to reach the speed).
double RunTimeS(double lengthM, double speedMps, double accelMps2);

// A way prepared for the time of any range [first, last] of its waypoints flown as a flight of
// its own (take-off, transit, the range, return, descent), each in constant time: the split
// asks for many ranges. Range(0, size() - 1) equals ModelFlightTime of the whole way.
class TimedWay {
  public:
    TimedWay(const ModelWay& w, const FlightModel& m);
    std::size_t size() const { return dist_.size(); }
    FlightTime Range(std::size_t first, std::size_t last) const;

  private:
    FlightModel m_;
    double heightM_ = 0;
    double speedMps_ = 0;
    std::vector<double> dist_;  // along the way from the first waypoint, m
    std::vector<double> home_;  // straight from the take-off point, m
    std::vector<double> stand_; // standing time at waypoint i when the drone stops there, s
    // Waypoints where the drone stops inside any range (turns, photo stops), ascending; for
    // each waypoint i the position in that list of the first stop at or after i.
    std::vector<std::size_t> stopIdx_;
    std::vector<std::size_t> stopPosFrom_;
    // Run times between consecutive stops and standing times of the stops, summed before
    // each position of the list.
    std::vector<double> runPrefix_;
    std::vector<double> standPrefix_;
};

// The grid plan as the model's way: every line's start and end, or with photoWaypoints every
// picture of the line (and the drawing's end picture) as a photo waypoint, as a drone whose app
// fires no distance trigger flies it; then the bends of the leg to the next line. lineOf and
// lineEnd say, per waypoint, its line and whether it is the line's last waypoint of its own, as
// the split between flight lines needs them.
struct PlanWay {
    ModelWay way;
    std::vector<int> lineOf;
    std::vector<bool> lineEnd;
};
PlanWay PlanModelWay(const FlightPlan& plan, bool photoWaypoints, double heightM, double speedMps,
                     std::optional<PlanPt> takeoff);

} // namespace korvale

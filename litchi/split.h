// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Long missions cut into parts that each fit one battery and one file of the flight app: the
// grid mission only between flight lines, other missions by waypoint count; the names of the
// part files and their all-or-nothing write; the parts drawn on the map copy.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "litchi/editor.h"
#include "model/overlay.h"
#include "model/state.h"
#include "planning/flight_time.h"
#include "planning/params.h"
#include "planning/plan.h"

namespace korvale {

// Share of a battery kept back for wind, a second approach and landing reserve: a part's whole
// flight in the time model (take-off, transit, mission, return, landing) may use at most
// (100 - reserve) % of the battery.
inline constexpr double DefaultReservePct = 20;
inline constexpr double MaxReservePct = 50;

struct SplitOptions {
    SplitOptions() = default;
    // Battery, file and speed; the rest at its defaults (reserve, generic flight model, no
    // height, take-off at the first waypoint).
    SplitOptions(double battery, int maxWp, double speed)
        : batteryMin(battery), maxWaypoints(maxWp), speedMps(speed) {}
    double batteryMin = 20; // flight time of one battery, minutes ("Akku (min)")
    int maxWaypoints = 99;  // the most waypoints one file may hold ("Max. Wegpunkte")
    // The mission speed, m/s; used for grid missions only. 0: unknown (the app flies at its
    // own cruising speed), so only the waypoint count cuts.
    double speedMps = 0;
    double reservePct = DefaultReservePct; // 0 .. MaxReservePct
    FlightModel model;                     // how the drone flies (its profile)
    double heightM = 0;                    // flight height above the take-off, for climb and
                                           // descent
    std::optional<TakeoffPos> takeoff;     // none: the mission's first waypoint
    // The usable minutes of one battery: batteryMin x (1 - reservePct / 100).
    double UsableMin() const { return batteryMin * (1.0 - reservePct / 100.0); }
};

// One part of a mission: a complete mission of its own.
struct MissionPart {
    std::vector<TlitchRec> recs;
    std::size_t firstWaypoint = 0; // index of recs[0] in the whole mission
    // Its flight lines [firstLine, lastLine] (0-based, in flight order); -1 for both when the
    // mission was not made from the grid.
    int firstLine = -1;
    int lastLine = -1;
    double lengthM = 0; // from its first to its last waypoint, metres
    // Its whole flight in the time model, minutes (0 without a speed); the model's parts in
    // `time`, its share of one battery in `batteryShare` (timeMin / batteryMin).
    double timeMin = 0;
    FlightTime time;
    double batteryShare = 0;
};

// The grid mission's way as MakeLitchiLines flies it: the start and end of every flight line in
// flight order, each followed by the bends of the leg to the next line; lineOf[i] is the line
// of points[i] (a leg's bends count to the line before it).
struct GridWay {
    std::vector<PlanPt> points;
    std::vector<int> lineOf;
};
GridWay GridMissionWay(const State& s);

// A part as a range of a way: points [first, first + count), lines [firstLine, lastLine].
struct WayRange {
    std::size_t first = 0;
    std::size_t count = 0;
    int firstLine = -1;
    int lastLine = -1;
    double lengthM = 0;
};

// Cuts a way between flight lines on the time model: each range flown as a flight of its own
// (way.Range) fits UsableMin() and maxWaypoints; lineOf and lineEnd as for SplitWayMarked, one
// entry per waypoint of `way`. Without a speed (o.speedMps 0) only the count cuts. Throws like
// SplitWay, and Error (Refused) for a reserve outside 0 .. MaxReservePct %.
std::vector<WayRange> SplitWayTimed(const std::vector<int>& lineOf,
                                    const std::vector<bool>& lineEnd, const TimedWay& way,
                                    const SplitOptions& o);

// The model's way of waypoints given in degrees: each projected into the plane of the
// transverse Mercator zone of the first (metres), the take-off point likewise; photo marks the
// waypoints that take a picture.
ModelWay ModelWayOfDegrees(const std::vector<double>& lat, const std::vector<double>& lon,
                           const std::vector<bool>& photo, const SplitOptions& o);

// Cuts a way between flight lines. stepM[i] is the distance from point i to point i + 1
// (stepM has one entry fewer than lineOf, which must not decrease). Each range starts with the
// first point of its first line and ends with the end of its last line (the bends of the leg
// to the next part are not flown: the aircraft returns to the pilot instead). Lines are added
// to a range while its points stay within maxWaypoints and its time within the battery, so
// the fewest ranges result. Knowing only the steps, the time model takes every waypoint as a
// stop and the transit as long as the way from the first waypoint (both never too short). Throws
// Error (Limit) naming the line when one line alone does not fit, Error (Refused) for a battery
// time that is not positive or a negative speed. lineEnd (when it has one entry per point) marks
// the end of each line's own points; without it a line's own points are its first two.
std::vector<WayRange> SplitWay(const std::vector<int>& lineOf, const std::vector<double>& stepM,
                               const SplitOptions& o, const std::vector<bool>& lineEnd = {});

// SplitWay for ways whose lines hold more points than their two ends (a picture at every
// waypoint): lineEnd[i] marks the last point of its own of each line, the points after it up
// to the next line are the bends of the leg. An empty lineEnd means two points per line.
std::vector<WayRange> SplitWayMarked(const std::vector<int>& lineOf,
                                     const std::vector<bool>& lineEnd,
                                     const std::vector<double>& stepM, const SplitOptions& o);

// Splits a mission. With lineOf (one flight line per waypoint, as MakeLitchiLines records it
// in LitchiLineOf) the grid rule of SplitWay applies, with leg lengths measured between the
// waypoints on the ellipsoid. Without (empty lineOf: free line, orbit, a read file) only the
// waypoint count splits: every part holds at most maxWaypoints and starts at the last waypoint
// of the part before, so no leg is left out; each part keeps at least 2 waypoints. A mission
// that fits gives one part holding all of it (an empty mission one empty part).
std::vector<MissionPart> SplitMission(const std::vector<TlitchRec>& recs,
                                      const std::vector<int>& lineOf, const SplitOptions& o,
                                      const std::vector<bool>& lineEnd = {});

// The flight lines of the state's mission when it is still the grid mission MakeLitchiLines
// made (one line per waypoint, not decreasing), else empty.
std::vector<int> MissionLinesOf(const State& s);

// The number of batteries the state's plan needs as grid mission (0 without flight lines).
// Throws like SplitWay.
int BatteriesOfState(const State& s, const SplitOptions& o);

// The plan flown as the grid mission and cut into parts on the time model: the waypoints as
// PlanModelWay makes them (photoWaypoints: every picture a waypoint, as DJI Fly flies it), the
// parts' ranges and each part's modelled flight, and the sum over all parts. The take-off of
// the options is taken into the state's UTM zone. Throws like SplitWayTimed.
struct PlanParts {
    PlanWay way;
    std::vector<WayRange> ranges;
    std::vector<FlightTime> times;
    double totalMin = 0; // all parts, each with its own take-off, transit and landing
};
PlanParts PlanPartsOf(const State& s, const FlightPlan& plan, bool photoWaypoints,
                      const SplitOptions& o);

// The options the pages hold: battery, waypoints and reserve of the Litchi page, the speed
// v km/h, the height, the take-off point and the drone's flight model of the parameter page
// (the grid mission flies at them).
SplitOptions SplitOptionsOf(const ParamPageModel& p, const LitchiPageModel& m);

// The state's mission cut by the options: between flight lines while it is the grid mission,
// else by waypoint count. Throws like SplitMission.
std::vector<MissionPart> MissionPartsOf(const State& s, const SplitOptions& o);

// Sets NumberBoxAkkus to the batteries of the state's plan (by flight time alone),
// NumberBoxDateien to the files its grid mission is written in (by flight time and waypoints
// per file) and NumberBoxFlugzeitModell to the modelled time of all its batteries; all 0 at a
// speed of 0. With a drone whose app stops for pictures every picture is a waypoint. Returns ""
// or, when the count cannot be made (a line longer than a battery), the reason for the status
// line, with the boxes at 0.
std::string ShowBatteries(const State& s, ParamPageModel& p, const LitchiPageModel& m);

// The file name of part k (1-based) of a mission written to `path`: "_k" in front of the
// extension of the file's own name ("mission.csv" -> "mission_2.csv"; a name without "." gets
// "_k" at its end).
std::string MissionPartName(const std::string& path, std::size_t k);

// The files of the parts: one part under `path` itself, several under MissionPartName(path,
// 1..n), each with its CSV text; for writing together with other files.
struct PartFiles {
    std::vector<std::string> names;
    std::vector<std::string> texts;
};
PartFiles MissionPartFiles(const std::string& path, const std::vector<MissionPart>& parts);

// Writes the parts as one all-or-nothing set: one part under `path` itself, several under
// MissionPartName(path, 1..n). Returns the names written; throws Error (File) with every
// previous file unchanged.
std::vector<std::string> WriteMissionParts(const std::string& path,
                                           const std::vector<MissionPart>& parts);

// Mission files beside `path` that a write of `written` parts left as they were: the parts
// after the last one written (MissionPartName(path, k) for the following k while such a file
// exists; all of them after a write of one part) and, after a write in parts, the file `path`
// itself. They are kept (the pilot may still need them) but an older part flown by mistake
// flies an older plan, so the caller names them.
std::vector<std::string> LeftoverPartNames(const std::string& path, std::size_t written);

// Colour of part k (0-based), repeating after a handful of well distinguishable colours.
Argb PartColour(std::size_t k);

// Draws every part of several in its own colour, its number (1-based) beside its first
// waypoint. One part draws nothing: the mission's own drawing shows it.
void DrawMissionParts(const State& s, const std::vector<MissionPart>& parts, Overlay& o);

} // namespace korvale

// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The computed flight plan as one plain value: flight lines in flight order, the connection
// legs between them, every picture position and the totals. The map drawing, the statistics
// boxes, the DXF drawing and the grid mission all read this value, so the serpentine order,
// the picture layout and the limits exist once.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "model/state.h"

namespace korvale {

namespace ring {
class InsidePaths;
}

// A ground position: easting (with zone prefix) and northing, metres.
struct PlanPt {
    double E = 0;
    double N = 0;
};

// More picture positions than this are refused. A plan that dense lays more than one picture
// on every pixel of a full-HD map copy (1920 x 1200), so any area the window can show plans,
// while the marks of the largest plan still fit in memory and paint in a few seconds.
inline constexpr long long MaxPictures = 2'500'000;

// Grid lines beyond this number come from a spacing far below anything a camera gives (or
// from border points scattered over a country).
inline constexpr long long MaxGridLines = 100'000;

// Work that would need more memory than this share of the machine (half of its main memory)
// is refused before it starts, so that a huge area ends with a message, not a crash.
double MemoryBudget();
// Throws Error (Limit) naming both figures in MB when `bytes` exceed MemoryBudget().
void RefuseBeyondMemory(double bytes);

// What both programs say when memory runs out after all (nothing is written then).
inline constexpr const char* kOutOfMemoryText =
    "Zu wenig Arbeitsspeicher für diese Aufgabe: sie wurde abgebrochen, es wurde nichts "
    "geschrieben.\nBitte den Bildabstand vergrößern, das Gebiet verkleinern oder weniger "
    "Grenzpunkte setzen.";

struct FlightLine {
    PlanPt start;       // where the line is entered
    PlanPt end;         // where it is left
    long long gridLine; // number of its grid line (0 = the first line of the grid laid over
                        // the widened box; lines added before it count negative)
    int block;          // block number (0, 1, ... in flight order)
    bool alongGrid;     // flown in the grid direction (Ri), else against it
    std::size_t firstPicture = 0; // its pictures: pictures[firstPicture, firstPicture + count)
    std::size_t pictureCount = 0;
    // The drawing file adds one picture at the line's end unless the last regular picture is
    // exactly there (the map and the boxes show the regular ones only).
    bool endPicture = false;
    PlanPt endPictureAt; // where that picture lies (the line's end, as the layout reaches it)
};

// The way from the end of one line to the start of the next, inside the area; two points when
// the straight way stays inside, more where it bends around a notch.
struct FlightLeg {
    std::vector<PlanPt> points;
};

struct Picture {
    PlanPt at;
    std::size_t line; // index into FlightPlan::lines
};

struct PlanTotals {
    std::size_t strips = 0;
    double pathM = 0;         // lines and legs, metres
    std::size_t pictures = 0; // regular pictures (as the map shows them)
    double flightMin = 0;     // path at the speed, minutes, no turns, climb or landing
    double areaHa = 0;
    std::size_t mergedCorners = 0; // border corners merged away before planning (on a
                                   // straight way within a centimetre)
};

struct FlightPlan {
    std::vector<FlightLine> lines; // in flight order
    std::vector<FlightLeg> legs;   // legs[k] joins lines[k] to lines[k + 1]
    std::vector<Picture> pictures; // in flight order
    PlanTotals totals;
};

// One piece of a grid line inside the area, before pictures and legs.
struct PlannedLine {
    PlanPt start, end;
    long long gridLine;
    int block;
    bool alongGrid;
};

// The grid box and direction the lines are laid in (the window keeps the box in its state).
struct GridFrame {
    double EMin, EMax, NMin, NMax; // bounding box of the ring, not yet widened
    double Ri;                     // degrees counterclockwise from east
    double B;                      // spacing, metres
};

// Lays the grid over the ring (E, N; closed implicitly, either orientation, any start) and
// returns its inside pieces in flight order. Every grid line is cut into the parts that lie
// inside the closed area (a line along a border edge flies that edge, a vertex counts once);
// for a convex ring the lines follow the grid and the ring's first crossing decides the
// direction, as always; otherwise the pieces are grouped into blocks flown one after the
// other, independent of the ring's start and direction. Throws Error for a spacing that is
// not positive, a direction that is no number, a self-intersecting ring or too many lines.
std::vector<PlannedLine> PlanGridLines(const std::vector<PlanPt>& ring, const GridFrame& f);

// Exclusion zones already grown by their buffer: convex rings (E, N), counterclockwise
// (planning/zones.h makes them).
using ZoneList = std::vector<std::vector<PlanPt>>;

// As above, with every piece cut where it meets one of the zones; a zone that meets the area
// makes its lines fly in blocks. Throws Error (Refused) as well when no piece is left
// outside the zones.
std::vector<PlannedLine> PlanGridLines(const std::vector<PlanPt>& ring, const GridFrame& f,
                                       const ZoneList& zoneList);

// The connection legs of the lines over the ring: legs[k] from the end of lines[k] to the
// start of lines[k + 1], straight where that stays inside, else the shortest way inside.
std::vector<FlightLeg> PlanLegs(const std::vector<PlanPt>& ring,
                                const std::vector<PlannedLine>& lines);
// As above, the legs going around the zones as well; Error (Refused) when a leg finds no way.
std::vector<FlightLeg> PlanLegs(const std::vector<PlanPt>& ring, const ZoneList& zones,
                                const std::vector<PlannedLine>& lines);

// The legs over one ring, for any number of line sets (the angle search asks for many): the
// ring is simplified and its index built once, and what is known about the corners is kept.
class LegRouter {
  public:
    explicit LegRouter(const std::vector<PlanPt>& ring, const ZoneList& zones = {});
    ~LegRouter();
    LegRouter(const LegRouter&) = delete;
    LegRouter& operator=(const LegRouter&) = delete;
    // As PlanLegs (with the zones given to the router).
    std::vector<FlightLeg> Legs(const std::vector<PlannedLine>& lines);
    // Corners of the ring merged away before planning.
    std::size_t Merged() const { return merged_; }

  private:
    double Er_, Nr_;
    std::size_t merged_ = 0;
    std::unique_ptr<ring::InsidePaths> ways_; // none where every leg is straight
    bool zones_ = false;                      // some zone meets the area: a leg must go around
};

// `path` plus the lengths of the legs' segments in metres, added one segment after the other
// in flight order, so that every caller's total agrees to the last bit.
double AddLegLengths(double path, const std::vector<FlightLeg>& legs);

// Legs, pictures at photo base A (metres) and totals for given lines over the ring; V is the
// speed in km/h (0: flight time 0). Throws Error when A is not positive or the pictures would
// exceed MaxPictures (naming the limit).
FlightPlan CompletePlan(const std::vector<PlanPt>& ring, const std::vector<PlannedLine>& lines,
                        double A, double V_kmh);
// As above, the legs going around the zones.
FlightPlan CompletePlan(const std::vector<PlanPt>& ring, const ZoneList& zones,
                        const std::vector<PlannedLine>& lines, double A, double V_kmh);

// The whole plan of an area without any window state: grid at Ri degrees with spacing B,
// pictures at A, speed V km/h. Throws Error (German text) on a refusal.
FlightPlan PlanFlight(const std::vector<PlanPt>& ring, double Ri, double B, double A, double V_kmh);

// The border ring of the state (the first point of every valid edge of BorderLines).
std::vector<PlanPt> BorderRing(const State& s);

// The lines as they stand in CutPoints and FlightSegs (segment k flown from its first cut
// point for even k, from its second for odd k; pairs outside CutPoints are left out).
std::vector<PlannedLine> StateLines(const State& s);

// The plan as the state holds it: StateLines over BorderRing around the state's zones
// (StateZones), completed at A and V.
FlightPlan PlanOfState(const State& s, double A, double V_kmh);

// True when the closed segment a-b lies inside the closed area of the ring (within 1e-6 m).
bool SegmentInside(const std::vector<PlanPt>& ring, PlanPt a, PlanPt b);

} // namespace korvale

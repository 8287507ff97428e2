// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "planning/crosshatch.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "model/error.h"
#include "planning/border.h"
#include "planning/grid.h"
#include "planning/zones.h"

namespace korvale {

std::vector<PlannedLine> CrosshatchLines(const std::vector<PlanPt>& ring, const GridFrame& f,
                                         const std::vector<PlannedLine>& first,
                                         const ZoneList& zones) {
    GridFrame g = f;
    g.Ri = f.Ri + 90.0;
    std::vector<PlannedLine> second =
        zones.empty() ? PlanGridLines(ring, g) : PlanGridLines(ring, g, zones);
    if (first.empty() || second.empty())
        return second;
    // Flown backwards the second grid is still a serpentine (the legs are routed afresh); it
    // starts at whichever end is nearer to the last line's end, so the way between is short.
    const PlanPt at = first.back().end;
    const auto dist = [&](PlanPt p) { return std::hypot(p.E - at.E, p.N - at.N); };
    if (dist(second.back().end) < dist(second.front().start)) {
        std::reverse(second.begin(), second.end());
        for (PlannedLine& l : second) {
            std::swap(l.start, l.end);
            l.alongGrid = !l.alongGrid;
        }
    }
    // Blocks count on after the first grid's, so every block number names one stretch.
    int blocks = 0;
    for (const PlannedLine& l : first)
        blocks = std::max(blocks, l.block + 1);
    for (PlannedLine& l : second)
        l.block += blocks;
    return second;
}

void SchnitteCrosshatch(State& s, double Ri, double B) {
    const std::vector<PlanPt> ring = BorderRing(s);
    const double oldEMin = s.BorderEMin, oldEMax = s.BorderEMax;
    const double oldNMin = s.BorderNMin, oldNMax = s.BorderNMax;
    CalcBorderMinMax(s);
    const GridFrame f{s.BorderEMin, s.BorderEMax, s.BorderNMin, s.BorderNMax, Ri, B};
    s.BorderEMin = oldEMin, s.BorderEMax = oldEMax, s.BorderNMin = oldNMin, s.BorderNMax = oldNMax;
    auto cut = s.CutPoints;
    auto segs = s.FlightSegs;
    Schnitte(s, Ri, B); // changes nothing when it throws
    std::vector<PlannedLine> second;
    try {
        second = CrosshatchLines(ring, f, StateLines(s), StateZones(s));
    } catch (const Error&) {
        s.CutPoints = std::move(cut);
        s.FlightSegs = std::move(segs);
        s.BorderEMin = oldEMin, s.BorderEMax = oldEMax;
        s.BorderNMin = oldNMin, s.BorderNMax = oldNMax;
        throw;
    }
    for (const PlannedLine& l : second) {
        const std::size_t k = s.FlightSegs.size();
        const PlanPt& a = k % 2 == 0 ? l.start : l.end;
        const PlanPt& b = k % 2 == 0 ? l.end : l.start;
        const int c = static_cast<int>(s.CutPoints.size());
        s.CutPoints.push_back({a.E, a.N});
        s.CutPoints.push_back({b.E, b.N});
        s.FlightSegs.push_back({c, c + 1});
    }
}

} // namespace korvale

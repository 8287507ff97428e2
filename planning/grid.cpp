// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "planning/grid.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "model/error.h"
#include "planning/border.h"
#include "planning/plan.h"
#include "planning/zones.h"

namespace korvale {

IntersectResult Intersect(double x1, double y1, double x2, double y2, double x3, double y3,
                          double x4, double y4) {
    IntersectResult r{false, std::numeric_limits<double>::quiet_NaN(),
                      std::numeric_limits<double>::quiet_NaN()};
    const double d = (x1 - x2) * (y3 - y4) - (y1 - y2) * (x3 - x4);
    if (d == 0)
        return r;
    const double a12 = x1 * y2 - y1 * x2;
    const double a34 = x3 * y4 - y3 * x4;
    r.X = (a12 * (x3 - x4) - (x1 - x2) * a34) / d;
    r.Y = (a12 * (y3 - y4) - (y1 - y2) * a34) / d;
    // The crossing lies on the closed edge when neither end is farther from it than the
    // edge is long. Written as "not rejected" so that a NaN distance does not reject.
    const double a = std::sqrt((r.X - x1) * (r.X - x1) + (r.Y - y1) * (r.Y - y1));
    const double b = std::sqrt((r.X - x2) * (r.X - x2) + (r.Y - y2) * (r.Y - y2));
    const double c = std::sqrt((x1 - x2) * (x1 - x2) + (y1 - y2) * (y1 - y2));
    r.hit = !(c < a) && !(c < b);
    return r;
}

void Schnitte(State& s, double Ri, double B) {
    // Nothing changes when the grid is refused: the box goes back as it was.
    const double oldEMin = s.BorderEMin, oldEMax = s.BorderEMax;
    const double oldNMin = s.BorderNMin, oldNMax = s.BorderNMax;
    CalcBorderMinMax(s);
    std::vector<PlannedLine> lines;
    try {
        lines = PlanGridLines(BorderRing(s),
                              {s.BorderEMin, s.BorderEMax, s.BorderNMin, s.BorderNMax, Ri, B},
                              StateZones(s));
    } catch (const Error&) {
        s.BorderEMin = oldEMin, s.BorderEMax = oldEMax;
        s.BorderNMin = oldNMin, s.BorderNMax = oldNMax;
        throw;
    }
    s.BorderEMax += 100;
    s.BorderEMin -= 100;
    s.BorderNMax += 100;
    s.BorderNMin -= 100;

    // Segment k joins cut points 2k and 2k + 1 and is flown from the first for even k, from
    // the second for odd k: every reader of the lists flies the plan's lines in its order.
    s.CutPoints.clear();
    s.FlightSegs.clear();
    s.CutPoints.reserve(lines.size() * 2);
    s.FlightSegs.reserve(lines.size());
    for (std::size_t k = 0; k < lines.size(); ++k) {
        const PlannedLine& l = lines[k];
        const PlanPt& first = k % 2 == 0 ? l.start : l.end;
        const PlanPt& second = k % 2 == 0 ? l.end : l.start;
        const int a = static_cast<int>(s.CutPoints.size());
        s.CutPoints.push_back({first.E, first.N});
        s.CutPoints.push_back({second.E, second.N});
        s.FlightSegs.push_back({a, a + 1});
    }
}

} // namespace korvale

// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "planning/angle.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "model/error.h"
#include "model/geodesy.h"
#include "planning/ringgeom.h"
#include "planning/ringindex.h"

namespace korvale {

namespace {

// Directions are handled in hundredths of a degree, the direction box's step, so that every
// candidate is a value the box holds exactly and no sum of steps drifts.
constexpr int kHalfTurn = 18000; // 180 degrees

// A corner this close to a grid line may lie on it for the planner (which rounds at 1e-7 m);
// such directions are counted by the planner itself.
constexpr double kNearLine = 1e-5; // metres

struct Frame {
    GridFrame f{};
    std::vector<ring::Vec> local; // ring around the box centre, as the planner places it
};

Frame FrameOf(const std::vector<PlanPt>& ring, double B) {
    Frame fr;
    fr.f = {1e10, -1e10, 1e10, -1e10, 0, B};
    for (const PlanPt& p : ring) {
        fr.f.EMin = std::min(fr.f.EMin, p.E), fr.f.EMax = std::max(fr.f.EMax, p.E);
        fr.f.NMin = std::min(fr.f.NMin, p.N), fr.f.NMax = std::max(fr.f.NMax, p.N);
    }
    const double Ec = (fr.f.EMin + fr.f.EMax) / 2.0, Nc = (fr.f.NMin + fr.f.NMax) / 2.0;
    std::vector<ring::Vec> v;
    v.reserve(ring.size());
    for (const PlanPt& p : ring)
        v.push_back({p.E - Ec, p.N - Nc});
    fr.local = ring::PlanningRing(ring::Cleaned(v)).ring; // the ring the planner cuts
    return fr;
}

struct Count {
    std::size_t lines = 0;
    double width = 0; // extent of the area across the lines, metres
};

// The grid of the planner: lines at e0 + j B across the direction, relative to the box
// centre. On a line that passes no corner every inside piece begins and ends at a crossing
// of an edge, so the pieces are half the crossings.
Count Counted(const std::vector<PlanPt>& ring, const Frame& fr, int h) {
    const double B = fr.f.B;
    const double alpha = (static_cast<double>(h) / 100.0) / Rho;
    const double vx = -std::sin(alpha), vy = std::cos(alpha);
    const std::vector<ring::Vec>& v = fr.local;
    const std::size_t n = v.size();
    std::vector<double> across(n);
    double tMin = std::numeric_limits<double>::infinity(), tMax = -tMin;
    const double e0 = -((fr.f.EMax - fr.f.EMin) / 2.0 + 100.0);
    bool nearLine = false;
    for (std::size_t i = 0; i < n; ++i) {
        across[i] = v[i].x * vx + v[i].y * vy;
        tMin = std::min(tMin, across[i]);
        tMax = std::max(tMax, across[i]);
        const double j = std::round((across[i] - e0) / B);
        nearLine = nearLine || std::fabs(e0 + j * B - across[i]) <= kNearLine;
    }
    Count c{0, tMax - tMin};
    if (nearLine) {
        GridFrame f = fr.f;
        f.Ri = static_cast<double>(h) / 100.0;
        c.lines = PlanGridLines(ring, f).size();
        return c;
    }
    long long crossings = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double a = across[i], b = across[(i + 1) % n];
        const double lo = std::min(a, b), hi = std::max(a, b);
        // Both ends lie clear of every line, so rounding cannot move a line across them.
        const double first = std::floor((lo - e0) / B) + 1, last = std::floor((hi - e0) / B);
        if (last >= first)
            crossings += static_cast<long long>(last - first) + 1;
    }
    c.lines = static_cast<std::size_t>(crossings / 2);
    return c;
}

struct Candidate {
    int h = 0; // direction in hundredths of a degree, 1 ... 18000
    Count count;
    double pathM = std::numeric_limits<double>::infinity();
};

// The same terms in the same order as the plan's totals, so both agree to the last bit.
double PathLength(LegRouter& router, const std::vector<PlannedLine>& lines) {
    double path = 0;
    for (const PlannedLine& l : lines)
        path += Polar(l.end.E - l.start.E, l.end.N - l.start.N).s;
    return AddLegLengths(path, router.Legs(lines));
}

} // namespace

std::size_t CountGridLines(const std::vector<PlanPt>& ring, double Ri, double B) {
    const Frame fr = FrameOf(ring, B);
    const double h = Ri * 100.0;
    // Directions off the hundredths grid, and rings the planner refuses or leaves empty, go
    // to the planner itself.
    if (h != std::round(h) || fr.local.size() < 3 || !std::isfinite(B) || !(B > 0)) {
        GridFrame f = fr.f;
        f.Ri = Ri;
        return PlanGridLines(ring, f).size();
    }
    return Counted(ring, fr, static_cast<int>(h)).lines;
}

double PlanPathLength(const std::vector<PlanPt>& ring, const std::vector<PlannedLine>& lines) {
    LegRouter router(ring);
    return PathLength(router, lines);
}

GridAngleResult BestGridAngle(const std::vector<PlanPt>& ring, double B) {
    for (const PlanPt& p : ring)
        if (!std::isfinite(p.E) || !std::isfinite(p.N))
            throw Error(ErrorKind::Refused, "Die Gebietsgrenze hat keine gültigen Koordinaten.\n"
                                            "Bitte zuerst die Karte transformieren.");
    const Frame fr = FrameOf(ring, B);
    // The planner refuses a bad spacing, a self-intersecting ring or too many lines: once
    // here, before the sampling relies on the ring being sound.
    GridFrame f0 = fr.f;
    f0.Ri = 0.5;
    const bool empty = PlanGridLines(ring, f0).empty();
    if (empty && (fr.local.size() < 3 || std::fabs(ring::TwiceArea(fr.local)) == 0))
        throw Error(ErrorKind::Refused,
                    "Das Gebiet umschließt keine Fläche: es gibt keine Flugrichtung zu wählen.");

    // One router for every direction: the ring, its index and what is known about its
    // corners do not change with the direction.
    LegRouter router(ring);
    const auto full = [&](int h) {
        Candidate c{h, Counted(ring, fr, h), 0};
        GridFrame f = fr.f;
        f.Ri = static_cast<double>(h) / 100.0;
        c.pathM = PathLength(router, PlanGridLines(ring, f));
        return c;
    };

    // The direction box holds hundredths of a degree, so the rule is decided over every one
    // of them: the count of lines and the width across them at each direction (a few
    // operations per corner), then the path only where both are best.
    std::vector<Count> counts(kHalfTurn + 1);
    std::size_t fewest = std::numeric_limits<std::size_t>::max();
    // A direction that lays no line over the area (one narrower than the spacing, between two
    // lines) flies nothing: the fewest lines are the fewest that fly.
    for (int h = 1; h <= kHalfTurn; ++h) {
        counts[static_cast<std::size_t>(h)] = Counted(ring, fr, h);
        if (counts[static_cast<std::size_t>(h)].lines > 0)
            fewest = std::min(fewest, counts[static_cast<std::size_t>(h)].lines);
    }
    if (fewest == std::numeric_limits<std::size_t>::max())
        throw Error(ErrorKind::Refused,
                    "Das Gebiet ist schmaler als der Streifenabstand: in keiner Richtung liegt "
                    "eine Fluglinie darin.");
    // Where the grid happens to lay its outer lines along both edges of an area, tilting the
    // lines shortens those two (they cut across the corners) at the same count: the shortest
    // path alone would turn the lines away from the area's length. The narrowest direction
    // decides first; within a tenth of a spacing of it the path does, then the smaller angle.
    const double tolerance = B / 10.0;
    double narrowest = std::numeric_limits<double>::infinity();
    for (int h = 1; h <= kHalfTurn; ++h)
        if (counts[static_cast<std::size_t>(h)].lines == fewest)
            narrowest = std::min(narrowest, counts[static_cast<std::size_t>(h)].width);
    Candidate best;
    for (int h = 1; h <= kHalfTurn; ++h) {
        const Count& c = counts[static_cast<std::size_t>(h)];
        if (c.lines != fewest || c.width > narrowest + tolerance)
            continue;
        const Candidate k = full(h);
        if (best.h == 0 || k.pathM < best.pathM)
            best = k;
    }
    return {static_cast<double>(best.h) / 100.0, best.count.lines, best.pathM};
}

} // namespace korvale

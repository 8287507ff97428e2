// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// "Alfa auto": the chosen direction of long narrow areas, the line count of the choice against
// every sampled direction, the fast count against the planner's own, and refusals.
#include "planning/angle.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>
#include <vector>

#include "model/error.h"
#include "model/state.h"
#include "tests/planning/rings.h"

using namespace korvale;

namespace {

using namespace testrings;

constexpr double kB = 12.5373; // strip spacing of the start camera values

Ring Rectangle(double length, double width, double rotDeg) {
    const double a = rotDeg / Rho, c = std::cos(a), s = std::sin(a);
    std::vector<std::array<double, 2>> xy;
    for (const auto& p : std::vector<std::array<double, 2>>{{-length / 2, -width / 2},
                                                            {length / 2, -width / 2},
                                                            {length / 2, width / 2},
                                                            {-length / 2, width / 2}})
        xy.push_back({p[0] * c - p[1] * s, p[0] * s + p[1] * c});
    return At(xy);
}

Ring RandomStar(std::mt19937& rng, int corners) {
    return testrings::RandomStar(rng, corners, false);
}

double AngleOff(double a, double b) {
    const double d = std::fmod(std::fabs(a - b), 180.0);
    return std::min(d, 180.0 - d);
}

TEST(BestGridAngle, LongNarrowRectangleIsFlownAlongItsLength) {
    // Rotations where the grid lays four lines along both long edges (a tilt would shorten
    // those two) and where three lines fit only within a few tenths of a degree of the length.
    for (const double rot : {0.0, 7.3, 18.7, 20.4, 30.6, 44.2, 45.0, 71.4, 89.99, 90.0, 112.2,
                             136.0, 159.8, 179.6, 200.0, 333.3}) {
        SCOPED_TRACE(rot);
        const Ring r = Rectangle(400, 40, rot);
        const GridAngleResult g = BestGridAngle(r, kB);
        EXPECT_LE(AngleOff(g.Ri, rot), 1.0) << g.Ri;
        EXPECT_GT(g.Ri, 0.0);
        EXPECT_LE(g.Ri, 180.0);
        // What it reports is what "Calc Raster" plans at that direction.
        const FlightPlan plan = PlanFlight(r, g.Ri, kB, 7, 15);
        EXPECT_EQ(g.strips, plan.totals.strips);
        EXPECT_EQ(g.pathM, plan.totals.pathM);
        EXPECT_LE(g.strips, 4u);
    }
}

TEST(BestGridAngle, NeverMoreLinesThanAnySampledDirection) {
    std::mt19937 rng(20261210);
    std::vector<Ring> rings = {
        Comb(), At({{0, 0}, {0, 100}, {100, 100}, {100, 0}}), // square
    };
    for (int k = 0; k < 8; ++k)
        rings.push_back(RandomStar(rng, 5 + 3 * k));
    for (std::size_t k = 0; k < rings.size(); ++k) {
        SCOPED_TRACE(k);
        const Ring& r = rings[k];
        const GridAngleResult g = BestGridAngle(r, kB);
        EXPECT_GT(g.strips, 0u);
        for (int h = 50; h <= 18000; h += 50) {
            const double ri = h / 100.0;
            const std::size_t n = CountGridLines(r, ri, kB);
            if (n > 0) { // a direction with no line flies nothing and is no choice
                EXPECT_LE(g.strips, n) << ri;
            }
        }
        const FlightPlan plan = PlanFlight(r, g.Ri, kB, 7, 15);
        EXPECT_EQ(g.strips, plan.totals.strips);
        EXPECT_EQ(g.pathM, plan.totals.pathM);
        // Deterministic: the same ring gives the same direction.
        EXPECT_EQ(BestGridAngle(r, kB).Ri, g.Ri);
    }
}

TEST(CountGridLines, EqualsThePlannersCountOverAHalfTurn) {
    std::mt19937 rng(7);
    // Random stars, and rings whose corners and edges lie on grid lines (spacing 10, lines at
    // 0 and 90 degrees through the corners), where the count must come from the planner.
    std::vector<std::pair<Ring, double>> cases = {
        {At({{-100, -100},
             {-100, 100},
             {-40, 100},
             {-40, -20},
             {40, -20},
             {40, 100},
             {100, 100},
             {100, -100}}),
         10},
        {At({{0, 0}, {0, 30}, {30, 30}, {30, 0}}), 10},
    };
    for (int k = 0; k < 6; ++k)
        cases.push_back({RandomStar(rng, 6 + 4 * k), 7 + 3 * k});
    for (std::size_t k = 0; k < cases.size(); ++k) {
        const auto& [r, B] = cases[k];
        double eMin = 1e300, eMax = -1e300, nMin = 1e300, nMax = -1e300;
        for (const PlanPt& p : r)
            eMin = std::min(eMin, p.E), eMax = std::max(eMax, p.E), nMin = std::min(nMin, p.N),
            nMax = std::max(nMax, p.N);
        // Every 0.05 degrees where corners lie on lines at 0 and 90, every 0.25 elsewhere.
        for (int h = 5; h <= 18000; h += (k < 2 ? 5 : 25)) {
            const double ri = h / 100.0;
            const std::size_t planned = PlanGridLines(r, {eMin, eMax, nMin, nMax, ri, B}).size();
            ASSERT_EQ(CountGridLines(r, ri, B), planned) << "case " << k << " at " << ri;
        }
    }
}

TEST(BestGridAngle, Refusals) {
    struct Case {
        Ring ring;
        double B;
        ErrorKind kind;
        const char* text;
    };
    const std::vector<Case> cases = {
        {At({{0, 0}, {100, 0}, {200, 0}}), kB, ErrorKind::Refused, "keine Fläche"},
        {At({{0, 0}, {5, 5}}), kB, ErrorKind::Refused, "keine Fläche"},
        // 10 cm across: no grid line at any direction meets it.
        {At({{0, 0}, {0, 0.1}, {0.1, 0.1}, {0.1, 0}}), kB, ErrorKind::Refused, "schmaler"},
        // Border points of a map that was never transformed.
        {{{NAN, NAN}, {NAN, NAN}, {NAN, NAN}}, kB, ErrorKind::Refused, "keine gültigen"},
        {At({{0, 0}, {100, 100}, {100, 0}, {0, 100}}), kB, ErrorKind::Refused, "kreuzt sich"},
        {At({{0, 0}, {0, 100}, {100, 100}, {100, 0}}), 0, ErrorKind::Refused, "Streifenabstand"},
        {At({{0, 0}, {0, 100}, {100, 100}, {100, 0}}), 1e-4, ErrorKind::Limit, "zu viele"},
    };
    for (const Case& c : cases) {
        try {
            BestGridAngle(c.ring, c.B);
            ADD_FAILURE() << c.text;
        } catch (const Error& e) {
            EXPECT_EQ(e.kind(), c.kind) << c.text;
            EXPECT_NE(std::string(e.what()).find(c.text), std::string::npos) << e.what();
        }
    }
}

} // namespace

namespace {

// The rule checked by brute force: the planner's own count and the width across at every
// hundredth of a degree never beat the choice (fewer lines, or as many and narrower by more
// than the tenth of a spacing within which the path decides).
TEST(BestGridAngle, NoHundredthOfADegreeBeatsTheChoice) {
    std::mt19937 rng(190519);
    std::vector<Ring> rings;
    for (int k = 0; k < 5; ++k)
        rings.push_back(testrings::RandomStar(rng, 5 + 2 * k, false));
    // A star whose fewest lines lie in a window narrower than half a degree.
    rings.push_back(At({{0, 60}, {8, 8}, {60, 0}, {8, -8}, {0, -60}, {-8, -8}, {-60, 0}, {-8, 8}}));
    for (std::size_t k = 0; k < rings.size(); ++k) {
        SCOPED_TRACE(k);
        const Ring& r = rings[k];
        const double B = k == rings.size() - 1 ? 27.1 : kB;
        const GridAngleResult g = BestGridAngle(r, B);
        const auto width = [&](double ri) {
            const double a = ri / Rho, vx = -std::sin(a), vy = std::cos(a);
            double lo = 1e300, hi = -1e300;
            for (const PlanPt& p : r)
                lo = std::min(lo, p.E * vx + p.N * vy), hi = std::max(hi, p.E * vx + p.N * vy);
            return hi - lo;
        };
        GridFrame f{1e10, -1e10, 1e10, -1e10, 0, B};
        for (const PlanPt& p : r)
            f.EMin = std::min(f.EMin, p.E), f.EMax = std::max(f.EMax, p.E),
            f.NMin = std::min(f.NMin, p.N), f.NMax = std::max(f.NMax, p.N);
        const double chosenWidth = width(g.Ri);
        for (int h = 1; h <= 18000; ++h) {
            f.Ri = h / 100.0;
            const std::size_t n = PlanGridLines(r, f).size();
            if (n == 0)
                continue;
            ASSERT_LE(g.strips, n) << f.Ri;
            if (n == g.strips) {
                ASSERT_GE(width(f.Ri), chosenWidth - B / 10 - 1e-6) << f.Ri;
            }
        }
    }
}

} // namespace

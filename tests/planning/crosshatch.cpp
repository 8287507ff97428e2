// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The crosshatch: the second grid runs at right angles after the first, starts near where the
// first ends, stays inside concave areas with its legs, counts its pictures, and a refused
// grid leaves the lists as they were.
#include "planning/crosshatch.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "planning/border.h"
#include "planning/grid.h"
#include "planning/params.h"
#include "tests/planning/rings.h"
#include "tests/support/expect_error.h"

using namespace korvale;
using namespace korvale::testrings;

namespace {

State StateOf(const Ring& r) {
    State s;
    for (const PlanPt& p : r) {
        TPt t;
        t.E = p.E;
        t.N = p.N;
        t.Typ = KindBorder;
        s.Points.push_back(t);
    }
    ParamPageModel p;
    SetBorderPointer(s, p);
    return s;
}

// Direction of a line, degrees in [0, 180).
double Axis(const PlannedLine& l) {
    double a = std::atan2(l.end.N - l.start.N, l.end.E - l.start.E) * 180 / M_PI;
    a = std::fmod(a + 360, 180);
    return a;
}

double AxisGap(double a, double b) {
    const double d = std::fabs(a - b);
    return std::min(d, 180 - d);
}

} // namespace

TEST(Crosshatch, SecondGridAtRightAnglesAfterTheFirst) {
    std::mt19937 rng(90);
    std::vector<Ring> areas = {At({{-100, -60}, {100, -60}, {100, 60}, {-100, 60}}), Comb()};
    for (int k = 0; k < 4; ++k)
        areas.push_back(RandomStar(rng, 12, true));
    for (const Ring& area : areas)
        for (const double Ri : {0.01, 37.0, 90.0, 300.0}) {
            State plain = StateOf(area);
            Schnitte(plain, Ri, 12.5);
            const std::vector<PlannedLine> first = StateLines(plain);
            State s = StateOf(area);
            SchnitteCrosshatch(s, Ri, 12.5);
            const std::vector<PlannedLine> all = StateLines(s);
            ASSERT_GT(all.size(), first.size());
            // The first grid stands as Schnitte lays it, bit for bit, box included.
            for (std::size_t i = 0; i < first.size(); ++i) {
                EXPECT_EQ(all[i].start.E, first[i].start.E);
                EXPECT_EQ(all[i].end.N, first[i].end.N);
            }
            EXPECT_EQ(s.BorderEMin, plain.BorderEMin);
            EXPECT_EQ(s.BorderNMax, plain.BorderNMax);
            const double a0 = Axis(first.front());
            for (std::size_t i = first.size(); i < all.size(); ++i)
                EXPECT_NEAR(AxisGap(Axis(all[i]), std::fmod(a0 + 90, 180)), 0, 1e-6);
            // It starts at the end of the second grid nearer to where the first ends.
            const PlanPt at = first.back().end;
            const auto d = [&](PlanPt p) { return std::hypot(p.E - at.E, p.N - at.N); };
            EXPECT_LE(d(all[first.size()].start), d(all.back().end) + 1e-9);
            // One plan: its legs stay inside, the crossing leg too, and both grids have their
            // pictures.
            const FlightPlan plan = PlanOfState(s, 7, 15);
            const FlightPlan one = PlanOfState(plain, 7, 15);
            ASSERT_EQ(plan.legs.size(), all.size() - 1);
            for (const FlightLeg& leg : plan.legs)
                for (std::size_t j = 0; j + 1 < leg.points.size(); ++j)
                    EXPECT_TRUE(SegmentInside(area, leg.points[j], leg.points[j + 1]));
            EXPECT_GT(plan.totals.pictures, one.totals.pictures * 3 / 2);
        }
}

TEST(Crosshatch, RefusedGridChangesNothing) {
    State s = StateOf(Comb());
    Schnitte(s, 20, 12.5);
    const State before = s;
    test::ExpectError([&] { SchnitteCrosshatch(s, 20, 0); }, ErrorKind::Refused, "Streifenabstand");
    EXPECT_EQ(s.CutPoints, before.CutPoints);
    EXPECT_EQ(s.FlightSegs, before.FlightSegs);
    EXPECT_EQ(s.BorderEMin, before.BorderEMin);
}

// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The flight plan of concave areas: lines and legs stay inside, every inside part of every
// grid line is flown once, blocks have no gaps, and the plan does not depend on the ring's
// start or direction; refusals of rings and values.
#include "planning/plan.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "model/error.h"
#include "tests/planning/rings.h"

using namespace korvale;

namespace {

using namespace testrings;

Ring RandomStar(std::mt19937& rng, int corners) {
    return testrings::RandomStar(rng, corners, true);
}

// A U and a comb with corners on the grid lines (Ri 90, spacing 10) and edges along them.
Ring UShape() {
    return At({{-100, -100},
               {-100, 100},
               {-40, 100},
               {-40, -20},
               {40, -20},
               {40, 100},
               {100, 100},
               {100, -100}});
}

bool Inside(const Ring& r, double E, double N) { // crossing number, on the edge counts
    bool in = false;
    for (std::size_t i = 0; i < r.size(); ++i) {
        const PlanPt& a = r[i];
        const PlanPt& b = r[(i + 1) % r.size()];
        const double dx = b.E - a.E, dy = b.N - a.N, l2 = dx * dx + dy * dy;
        const double t = l2 > 0 ? std::clamp(((E - a.E) * dx + (N - a.N) * dy) / l2, 0.0, 1.0) : 0;
        if (std::hypot(a.E + t * dx - E, a.N + t * dy - N) <= 0.01)
            return true;
        if ((a.N > N) != (b.N > N) && E < a.E + (N - a.N) / (b.N - a.N) * (b.E - a.E))
            in = !in;
    }
    return in;
}

double DistanceToRing(const Ring& r, double E, double N) {
    double best = 1e300;
    for (std::size_t i = 0; i < r.size(); ++i) {
        const PlanPt& a = r[i];
        const PlanPt& b = r[(i + 1) % r.size()];
        const double dx = b.E - a.E, dy = b.N - a.N, l2 = dx * dx + dy * dy;
        const double t = l2 > 0 ? std::clamp(((E - a.E) * dx + (N - a.N) * dy) / l2, 0.0, 1.0) : 0;
        best = std::min(best, std::hypot(a.E + t * dx - E, a.N + t * dy - N));
    }
    return best;
}

void ExpectSegmentInside(const Ring& r, const PlanPt& a, const PlanPt& b) {
    const int steps = 200;
    for (int i = 0; i <= steps; ++i) {
        const double f = static_cast<double>(i) / steps;
        ASSERT_TRUE(Inside(r, a.E + (b.E - a.E) * f, a.N + (b.N - a.N) * f))
            << "outside at " << a.E + (b.E - a.E) * f - E0 << ", " << a.N + (b.N - a.N) * f - N0;
    }
}

// Every line and leg inside; consecutive lines of a block on neighbouring grid lines; each
// point of each grid line that lies well inside is on exactly one flown piece.
void CheckPlan(const Ring& r, double Ri, double B) {
    const FlightPlan plan = PlanFlight(r, Ri, B, 7, 15);
    for (const FlightLine& l : plan.lines)
        ExpectSegmentInside(r, l.start, l.end);
    for (const FlightLeg& g : plan.legs)
        for (std::size_t i = 0; i + 1 < g.points.size(); ++i)
            ExpectSegmentInside(r, g.points[i], g.points[i + 1]);
    for (std::size_t k = 0; k + 1 < plan.lines.size(); ++k)
        if (plan.lines[k].block == plan.lines[k + 1].block) {
            EXPECT_EQ(std::llabs(plan.lines[k].gridLine - plan.lines[k + 1].gridLine), 1) << k;
        }

    // The grid as it is laid: offsets e0 + j * B across the direction from the box centre.
    double eMin = 1e300, eMax = -1e300, nMin = 1e300, nMax = -1e300;
    for (const PlanPt& p : r)
        eMin = std::min(eMin, p.E), eMax = std::max(eMax, p.E), nMin = std::min(nMin, p.N),
        nMax = std::max(nMax, p.N);
    const double Ec = (eMin + eMax) / 2, Nc = (nMin + nMax) / 2, e0 = -((eMax - eMin) / 2 + 100);
    const double a = (Ri == 0 ? 0.01 : Ri) / Rho;
    const double ux = std::cos(a), uy = std::sin(a), vx = -uy, vy = ux;
    double aMin = 1e300, aMax = -1e300, tLo = 1e300, tHi = -1e300;
    for (const PlanPt& p : r) {
        const double a = (p.E - Ec) * vx + (p.N - Nc) * vy, t = (p.E - Ec) * ux + (p.N - Nc) * uy;
        aMin = std::min(aMin, a), aMax = std::max(aMax, a);
        tLo = std::min(tLo, t), tHi = std::max(tHi, t);
    }
    const auto jLo = static_cast<long long>(std::floor((aMin - e0) / B)) - 1;
    const auto jHi = static_cast<long long>(std::ceil((aMax - e0) / B)) + 1;
    for (long long j = jLo; j <= jHi; ++j) {
        const double e = e0 + static_cast<double>(j) * B;
        for (double t = tLo - 5; t <= tHi + 5; t += 2.3) {
            const double E = Ec + t * ux + e * vx, N = Nc + t * uy + e * vy;
            int covered = 0;
            for (const FlightLine& l : plan.lines) {
                if (l.gridLine != j)
                    continue;
                const double s0 = (l.start.E - Ec) * ux + (l.start.N - Nc) * uy;
                const double s1 = (l.end.E - Ec) * ux + (l.end.N - Nc) * uy;
                covered += (t >= std::min(s0, s1) - 1e-6 && t <= std::max(s0, s1) + 1e-6);
            }
            const bool in = Inside(r, E, N);
            if (covered > 1 || (covered == 1 && !in))
                ADD_FAILURE() << "line " << j << " t " << t << " covered " << covered;
            // Every point farther than 1 cm inside the border must be flown.
            if (in && covered == 0 && DistanceToRing(r, E, N) > 0.01)
                ADD_FAILURE() << "line " << j << " t " << t << " inside but not flown";
        }
    }
}

void ExpectSamePlan(const FlightPlan& a, const FlightPlan& b) {
    ASSERT_EQ(a.lines.size(), b.lines.size());
    for (std::size_t k = 0; k < a.lines.size(); ++k) {
        EXPECT_NEAR(a.lines[k].start.E, b.lines[k].start.E, 1e-6) << k;
        EXPECT_NEAR(a.lines[k].start.N, b.lines[k].start.N, 1e-6) << k;
        EXPECT_NEAR(a.lines[k].end.E, b.lines[k].end.E, 1e-6) << k;
        EXPECT_NEAR(a.lines[k].end.N, b.lines[k].end.N, 1e-6) << k;
        EXPECT_EQ(a.lines[k].block, b.lines[k].block) << k;
    }
    ASSERT_EQ(a.legs.size(), b.legs.size());
    for (std::size_t k = 0; k < a.legs.size(); ++k)
        EXPECT_EQ(a.legs[k].points.size(), b.legs[k].points.size()) << k;
    EXPECT_EQ(a.totals.pictures, b.totals.pictures);
    EXPECT_NEAR(a.totals.pathM, b.totals.pathM, 1e-5);
}

TEST(PlanFlight, ConcaveAreasAreFlownInsideOnceWithoutGaps) {
    std::mt19937 rng(20261210);
    std::vector<std::pair<std::string, Ring>> rings = {{"U", UShape()}, {"comb", Comb()}};
    for (int i = 0; i < 6; ++i)
        rings.push_back({"star " + std::to_string(i), RandomStar(rng, 8 + 8 * i)});
    for (const auto& [name, r] : rings)
        for (const double Ri : {-360.0, -271.0, -45.0, 0.0, 13.0, 90.0, 180.0, 237.5}) {
            SCOPED_TRACE(name + " Ri " + std::to_string(Ri));
            CheckPlan(r, Ri, name == "U" || name == "comb" ? 10 : 12.5);
        }
}

TEST(PlanFlight, SamePlanForEveryStartCornerAndDirection) {
    std::mt19937 rng(7);
    for (const Ring& r : {UShape(), Comb(), RandomStar(rng, 30)})
        for (const double Ri : {0.0, 90.0, 33.0}) {
            const FlightPlan want = PlanFlight(r, Ri, 10, 7, 15);
            for (const std::size_t start : {std::size_t{1}, r.size() / 2, r.size() - 1})
                for (const bool reversed : {false, true}) {
                    SCOPED_TRACE(std::to_string(start) + (reversed ? " reversed" : ""));
                    Ring o;
                    for (std::size_t k = 0; k < r.size(); ++k)
                        o.push_back(r[reversed ? (start + r.size() - k) % r.size()
                                               : (start + k) % r.size()]);
                    ExpectSamePlan(want, PlanFlight(o, Ri, 10, 7, 15));
                }
        }
}

TEST(PlanFlight, UShapeFliesEachArmAsABlockAndLegsBendAroundTheNotch) {
    const FlightPlan plan = PlanFlight(UShape(), 0, 10, 7, 15);
    std::vector<int> order;
    for (const FlightLine& l : plan.lines)
        if (order.empty() || order.back() != l.block)
            order.push_back(l.block);
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2})); // each block flown once, whole
    bool bent = false;
    for (const FlightLeg& g : plan.legs)
        bent |= g.points.size() > 2;
    EXPECT_TRUE(bent);
    EXPECT_NEAR(plan.totals.areaHa, (200.0 * 200 - 80 * 120) / 10000, 1e-9);
}

TEST(PlanFlight, GridLinesAlongBorderEdgesFlyTheWholeEdge) {
    const Ring square = At({{-50, -50}, {-50, 50}, {50, 50}, {50, -50}});
    const FlightPlan plan = PlanFlight(square, 90, 100, 10, 15);
    ASSERT_EQ(plan.lines.size(), 2u);
    for (const FlightLine& l : plan.lines)
        EXPECT_NEAR(std::hypot(l.end.E - l.start.E, l.end.N - l.start.N), 100, 1e-6);
}

TEST(PlanFlight, Refusals) {
    const Ring square = At({{0, 0}, {0, 100}, {100, 100}, {100, 0}});
    const Ring bowTie = At({{0, 0}, {100, 100}, {100, 0}, {0, 100}});
    struct Case {
        const char* name;
        Ring r;
        double B, A;
        ErrorKind kind;
        const char* text;
    };
    const Case cases[] = {
        {"self-intersecting", bowTie, 10, 7, ErrorKind::Refused, "kreuzt sich selbst"},
        {"spacing 0", square, 0, 7, ErrorKind::Refused, "Streifenabstand"},
        {"photo base 0", square, 10, 0, ErrorKind::Refused, "Bildabstand"},
        {"too many pictures", square, 0.1, 0.001, ErrorKind::Limit, "Grenze 2500000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            PlanFlight(c.r, 0, c.B, c.A, 15);
            ADD_FAILURE() << "accepted";
        } catch (const Error& e) {
            EXPECT_EQ(e.kind(), c.kind);
            EXPECT_NE(std::string(e.what()).find(c.text), std::string::npos) << e.what();
        }
    }
}

} // namespace

namespace {

TEST(PlanFlight, WorkBeyondTheMemoryBudgetIsRefusedNamingTheFigures) {
    EXPECT_NO_THROW(RefuseBeyondMemory(1e6));
    try {
        RefuseBeyondMemory(MemoryBudget() * 2);
        FAIL() << "no refusal";
    } catch (const Error& e) {
        EXPECT_EQ(e.kind(), ErrorKind::Limit);
        const std::string text = e.what();
        EXPECT_NE(
            text.find(std::to_string(static_cast<long long>(MemoryBudget() / 1048576.0)) + " MB"),
            std::string::npos)
            << text;
    }
}

} // namespace

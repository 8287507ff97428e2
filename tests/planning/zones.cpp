// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Exclusion zones: no line or leg comes nearer to a zone than its buffer, every part of the
// area outside the grown zones is flown once, the plan does not depend on where the rings
// start, and zones that leave nothing or cut the area apart are refused.
#include "planning/zones.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "model/error.h"
#include "planning/grid.h"
#include "tests/planning/rings.h"

using namespace korvale;

namespace {

using namespace testrings;

bool InRing(const Ring& r, double E, double N) { // crossing number; the border counts
    bool in = false;
    for (std::size_t i = 0; i < r.size(); ++i) {
        const PlanPt& a = r[i];
        const PlanPt& b = r[(i + 1) % r.size()];
        if ((a.N > N) != (b.N > N) && E < a.E + (N - a.N) / (b.N - a.N) * (b.E - a.E))
            in = !in;
    }
    return in;
}

double PointSegment(double E, double N, const PlanPt& a, const PlanPt& b) {
    const double dx = b.E - a.E, dy = b.N - a.N, l2 = dx * dx + dy * dy;
    const double t = l2 > 0 ? std::clamp(((E - a.E) * dx + (N - a.N) * dy) / l2, 0.0, 1.0) : 0;
    return std::hypot(a.E + t * dx - E, a.N + t * dy - N);
}

double ToRing(const Ring& r, double E, double N) {
    double best = 1e300;
    for (std::size_t i = 0; i < r.size(); ++i)
        best = std::min(best, PointSegment(E, N, r[i], r[(i + 1) % r.size()]));
    return best;
}

bool Cross(const PlanPt& a, const PlanPt& b, const PlanPt& c, const PlanPt& d) {
    const auto side = [](const PlanPt& o, const PlanPt& p, const PlanPt& q) {
        return (p.E - o.E) * (q.N - o.N) - (p.N - o.N) * (q.E - o.E);
    };
    return (side(a, b, c) > 0) != (side(a, b, d) > 0) && (side(c, d, a) > 0) != (side(c, d, b) > 0);
}

// Distance of the segment a-b from the closed area of the ring (0 when they meet).
double SegmentToArea(const Ring& r, const PlanPt& a, const PlanPt& b) {
    if (InRing(r, a.E, a.N))
        return 0;
    double best = 1e300;
    for (std::size_t i = 0; i < r.size(); ++i) {
        const PlanPt& p = r[i];
        const PlanPt& q = r[(i + 1) % r.size()];
        if (Cross(a, b, p, q))
            return 0;
        best = std::min({best, PointSegment(a.E, a.N, p, q), PointSegment(b.E, b.N, p, q),
                         PointSegment(p.E, p.N, a, b), PointSegment(q.E, q.N, a, b)});
    }
    return best;
}

// A random star-shaped zone of `radius` around (x, y) metres from the test origin.
Ring Zone(std::mt19937& rng, double x, double y, double radius) {
    std::uniform_real_distribution<double> f(0.4, 1.0);
    std::vector<std::array<double, 2>> xy;
    const int n = 5 + static_cast<int>(rng() % 6);
    for (int i = 0; i < n; ++i) {
        const double t = 2 * M_PI * i / n, r = radius * f(rng);
        xy.push_back({x + r * std::cos(t), y + r * std::sin(t)});
    }
    return At(xy);
}

struct Case {
    std::string name;
    Ring area;
    std::vector<Ring> zones;
};

// Random areas with zones inside, on the border, two nearly touching, and a big one.
std::vector<Case> RandomCases() {
    std::mt19937 rng(25);
    std::vector<Case> cases;
    for (int i = 0; i < 8; ++i) {
        const Ring area = RandomStar(rng, 10 + 4 * i, i % 2 == 1);
        std::uniform_real_distribution<double> pos(-120, 120), size(6, 25);
        const auto inside = [&] {
            for (;;) {
                const double x = pos(rng), y = pos(rng);
                if (InRing(area, E0 + x, N0 + y) && ToRing(area, E0 + x, N0 + y) > 20)
                    return std::array<double, 2>{x, y};
            }
        };
        Case c{"star " + std::to_string(i), area, {}};
        const auto a = inside();
        c.zones.push_back(Zone(rng, a[0], a[1], size(rng)));
        const PlanPt& corner = area[rng() % area.size()];
        c.zones.push_back(Zone(rng, corner.E - E0, corner.N - N0, size(rng))); // on the border
        const auto b = inside();
        c.zones.push_back(Zone(rng, b[0], b[1], 8));
        c.zones.push_back(Zone(rng, b[0] + 20, b[1] + 3, 8)); // buffers overlap
        cases.push_back(std::move(c));
    }
    // A zone along the whole middle of a rectangle but for a passage at one end.
    cases.push_back({"passage",
                     At({{-150, -80}, {150, -80}, {150, 80}, {-150, 80}}),
                     {At({{-100, -10}, {200, -10}, {200, 10}, {-100, 10}})}});
    return cases;
}

// Lines and legs keep the buffer from every zone; on every grid line each point inside the
// area and clear of the grown zones is flown exactly once, and nothing else is flown.
void CheckPlan(const Case& c, double Ri, double B, double buffer) {
    const FlightPlan plan = PlanFlight(c.area, c.zones, buffer, Ri, B, 7, 15);
    ASSERT_FALSE(plan.lines.empty());
    const std::vector<std::vector<PlanPt>> grown = BufferedZones(c.zones, buffer);
    for (const Ring& z : c.zones) {
        for (const FlightLine& l : plan.lines)
            ASSERT_GE(SegmentToArea(z, l.start, l.end), buffer - 0.01);
        for (const FlightLeg& g : plan.legs)
            for (std::size_t i = 0; i + 1 < g.points.size(); ++i)
                ASSERT_GE(SegmentToArea(z, g.points[i], g.points[i + 1]), buffer - 0.01);
    }
    for (const FlightLeg& g : plan.legs)
        for (std::size_t i = 0; i + 1 < g.points.size(); ++i)
            for (int k = 0; k <= 100; ++k) {
                const double f = k / 100.0;
                const double E = g.points[i].E + (g.points[i + 1].E - g.points[i].E) * f;
                const double N = g.points[i].N + (g.points[i + 1].N - g.points[i].N) * f;
                ASSERT_TRUE(InRing(c.area, E, N) || ToRing(c.area, E, N) < 0.01);
            }

    double eMin = 1e300, eMax = -1e300, nMin = 1e300, nMax = -1e300;
    for (const PlanPt& p : c.area)
        eMin = std::min(eMin, p.E), eMax = std::max(eMax, p.E), nMin = std::min(nMin, p.N),
        nMax = std::max(nMax, p.N);
    const double Ec = (eMin + eMax) / 2, Nc = (nMin + nMax) / 2, e0 = -((eMax - eMin) / 2 + 100);
    const double a = Ri / Rho;
    const double ux = std::cos(a), uy = std::sin(a), vx = -uy, vy = ux;
    for (long long j = -10; j <= static_cast<long long>(1000 / B); ++j) {
        const double e = e0 + static_cast<double>(j) * B;
        for (double t = -400; t <= 400; t += 1.7) {
            const double E = Ec + t * ux + e * vx, N = Nc + t * uy + e * vy;
            int covered = 0;
            for (const FlightLine& l : plan.lines) {
                if (l.gridLine != j)
                    continue;
                const double s0 = (l.start.E - Ec) * ux + (l.start.N - Nc) * uy;
                const double s1 = (l.end.E - Ec) * ux + (l.end.N - Nc) * uy;
                covered += (t >= std::min(s0, s1) - 1e-6 && t <= std::max(s0, s1) + 1e-6);
            }
            bool clear = InRing(c.area, E, N) && ToRing(c.area, E, N) > 0.01;
            for (const std::vector<PlanPt>& z : grown)
                clear = clear && !InRing(z, E, N) && ToRing(z, E, N) > 0.01;
            if (covered > 1 || (clear && covered != 1))
                ADD_FAILURE() << "line " << j << " t " << t << " covered " << covered;
        }
    }
}

} // namespace

TEST(Zones, LinesAndLegsKeepTheBufferAndEverySpotOutsideIsFlown) {
    for (const Case& c : RandomCases())
        for (const double Ri : {0.01, 37.0, 90.0, 151.0})
            for (const double buffer : {0.0, 5.0}) {
                SCOPED_TRACE(c.name + " Ri " + std::to_string(Ri) + " buffer " +
                             std::to_string(buffer));
                try {
                    CheckPlan(c, Ri, 12.5, buffer);
                } catch (const Error& e) {
                    // A random zone may close a narrow neck of the star: then, and only then,
                    // the plan is refused.
                    EXPECT_EQ(e.kind(), ErrorKind::Refused);
                    EXPECT_EQ(std::string(e.what()), kZonesSplitAreaText);
                    EXPECT_NE(c.name, "passage");
                }
            }
}

TEST(Zones, GrownZoneHoldsTheTrueBufferAndLittleMore) {
    std::mt19937 rng(3);
    for (int i = 0; i < 20; ++i) {
        const Ring z = Zone(rng, 0, 0, 30);
        const double buffer = i % 4 == 0 ? 0.0 : 0.5 + i;
        const std::vector<std::vector<PlanPt>> grown = BufferedZones({z}, buffer);
        ASSERT_EQ(grown.size(), 1u);
        const Ring& g = grown[0];
        // Every point within the buffer of the zone (its corners, and its edges pushed out
        // either way) is inside the grown zone.
        for (std::size_t k = 0; k < z.size(); ++k) {
            const PlanPt& a = z[k];
            const PlanPt& b = z[(k + 1) % z.size()];
            const double l = std::hypot(b.E - a.E, b.N - a.N);
            const double nx = -(b.N - a.N) / l, ny = (b.E - a.E) / l;
            for (double t = 0; t <= 1; t += 0.05)
                for (const double side : {-1.0, 1.0}) {
                    const double E = a.E + (b.E - a.E) * t + side * nx * buffer * 0.999;
                    const double N = a.N + (b.N - a.N) * t + side * ny * buffer * 0.999;
                    EXPECT_TRUE(InRing(g, E, N) || ToRing(g, E, N) < 1e-6) << i;
                }
            for (double w = 0; w < 2 * M_PI; w += 0.1) {
                const double E = a.E + buffer * 0.999 * std::cos(w);
                const double N = a.N + buffer * 0.999 * std::sin(w);
                EXPECT_TRUE(InRing(g, E, N) || ToRing(g, E, N) < 1e-6) << i;
            }
        }
        // No corner of the grown zone lies farther out than the corner rounding allows.
        for (const PlanPt& p : g) {
            double nearest = 1e300;
            for (const PlanPt& c : z)
                nearest = std::min(nearest, std::hypot(p.E - c.E, p.N - c.N));
            EXPECT_LE(nearest, buffer * 1.036 + 1e-9) << i;
        }
    }
}

TEST(Zones, Refusals) {
    const Ring field = At({{0, 0}, {200, 0}, {200, 100}, {0, 100}});
    struct Bad {
        std::string name;
        std::vector<Ring> zones;
        double buffer;
        std::string text; // the message begins so
    };
    const std::vector<Bad> cases = {
        {"covers", {At({{-5, -5}, {205, -5}, {205, 105}, {-5, 105}})}, 0, kZonesCoverAreaText},
        {"covers with its buffer",
         {At({{10, 10}, {190, 10}, {190, 90}, {10, 90}})},
         15,
         kZonesCoverAreaText},
        {"splits", {At({{90, -20}, {110, -20}, {110, 120}, {90, 120}})}, 5, kZonesSplitAreaText},
        {"two zones split",
         {At({{90, -20}, {110, -20}, {110, 52}, {90, 52}}),
          At({{90, 48}, {110, 48}, {110, 120}, {90, 120}})},
         0,
         kZonesSplitAreaText},
        {"buffers close the passage",
         {At({{90, -20}, {110, -20}, {110, 45}, {90, 45}}),
          At({{90, 55}, {110, 55}, {110, 120}, {90, 120}})},
         6,
         kZonesSplitAreaText},
        {"negative buffer", {At({{50, 50}, {60, 50}, {60, 60}})}, -1, "Der Sicherheitsabstand"},
        {"buffer no number", {At({{50, 50}, {60, 50}, {60, 60}})}, NAN, "Der Sicherheitsabstand"},
        {"corner no number", {At({{50, 50}, {NAN, 50}, {60, 60}})}, 5, "Eine Ecke"},
    };
    for (const Bad& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            PlanFlight(field, c.zones, c.buffer, 0, 10, 7, 15);
            ADD_FAILURE() << "not refused";
        } catch (const Error& e) {
            EXPECT_EQ(e.kind(), ErrorKind::Refused);
            EXPECT_EQ(std::string(e.what()).rfind(c.text, 0), 0u) << e.what();
        }
    }
    // With a passage wider than the buffers leave, the same zones plan.
    EXPECT_NO_THROW(PlanFlight(field, cases[4].zones, 4, 0, 10, 7, 15));
}

void ExpectSamePlan(const FlightPlan& a, const FlightPlan& b, double tol) {
    ASSERT_EQ(a.lines.size(), b.lines.size());
    for (std::size_t k = 0; k < a.lines.size(); ++k) {
        EXPECT_NEAR(a.lines[k].start.E, b.lines[k].start.E, tol) << k;
        EXPECT_NEAR(a.lines[k].start.N, b.lines[k].start.N, tol) << k;
        EXPECT_NEAR(a.lines[k].end.E, b.lines[k].end.E, tol) << k;
        EXPECT_NEAR(a.lines[k].end.N, b.lines[k].end.N, tol) << k;
        EXPECT_EQ(a.lines[k].block, b.lines[k].block) << k;
        EXPECT_EQ(a.lines[k].gridLine, b.lines[k].gridLine) << k;
    }
    ASSERT_EQ(a.legs.size(), b.legs.size());
    for (std::size_t k = 0; k < a.legs.size(); ++k)
        EXPECT_EQ(a.legs[k].points.size(), b.legs[k].points.size()) << k;
    ASSERT_EQ(a.pictures.size(), b.pictures.size());
    EXPECT_NEAR(a.totals.pathM, b.totals.pathM, tol * 10);
}

Ring Turned(const Ring& r, std::size_t start, bool reversed) {
    Ring o;
    for (std::size_t k = 0; k < r.size(); ++k)
        o.push_back(r[reversed ? (start + r.size() - k) % r.size() : (start + k) % r.size()]);
    return o;
}

TEST(Zones, SamePlanForEveryStartCornerAndDirectionOfAreaAndZones) {
    for (const Case& c : RandomCases()) {
        for (const double Ri : {0.01, 61.0}) {
            FlightPlan want;
            try {
                want = PlanFlight(c.area, c.zones, 5, Ri, 12.5, 7, 15);
            } catch (const Error&) {
                continue; // refused alike, whatever the start (checked above)
            }
            for (const std::size_t start : {std::size_t{1}, c.area.size() / 2})
                for (const bool reversed : {false, true}) {
                    SCOPED_TRACE(c.name + " " + std::to_string(start) + (reversed ? " rev" : ""));
                    std::vector<Ring> zones;
                    for (const Ring& z : c.zones)
                        zones.push_back(Turned(z, start % z.size(), !reversed));
                    ExpectSamePlan(
                        want,
                        PlanFlight(Turned(c.area, start, reversed), zones, 5, Ri, 12.5, 7, 15),
                        1e-6);
                }
        }
    }
}

TEST(Zones, WithoutZonesOrWithZonesAwayFromTheAreaThePlanIsTheSameToTheBit) {
    std::mt19937 rng(11);
    const std::vector<Ring> areas = {At({{0, 0}, {300, 0}, {300, 200}, {0, 200}}), Comb(),
                                     RandomStar(rng, 24, false)};
    const Ring away = At({{2000, 2000}, {2050, 2000}, {2050, 2050}});
    for (const Ring& area : areas)
        for (const double Ri : {0.0, 45.0, 90.0})
            for (const std::vector<Ring>& zones : {std::vector<Ring>{}, std::vector<Ring>{away}}) {
                const FlightPlan a = PlanFlight(area, Ri, 12.5, 7, 15);
                const FlightPlan b = PlanFlight(area, zones, 5, Ri, 12.5, 7, 15);
                ExpectSamePlan(a, b, 0);
                for (std::size_t k = 0; k < a.legs.size(); ++k)
                    for (std::size_t i = 0; i < a.legs[k].points.size(); ++i) {
                        EXPECT_EQ(a.legs[k].points[i].E, b.legs[k].points[i].E);
                        EXPECT_EQ(a.legs[k].points[i].N, b.legs[k].points[i].N);
                    }
                EXPECT_EQ(a.totals.pathM, b.totals.pathM);
            }
}

TEST(Zones, TheStateCarriesItsZonesIntoGridAndPlan) {
    State s;
    for (const auto& [x, y] :
         std::vector<std::array<double, 2>>{{0, 0}, {200, 0}, {200, 100}, {0, 100}}) {
        TPt p;
        p.Typ = KindBorder;
        p.E = E0 + x, p.N = N0 + y;
        s.Points.push_back(p);
    }
    s.BorderIdx = {0, 1, 2, 3, 0};
    for (std::size_t i = 0; i < 4; ++i)
        s.BorderLines.push_back({static_cast<int>(i), static_cast<int>((i + 1) % 4)});
    const Ring zone = At({{80, 30}, {120, 30}, {120, 70}, {80, 70}});
    std::vector<TPt> corners;
    for (const PlanPt& p : zone) {
        TPt t;
        t.E = p.E, t.N = p.N;
        corners.push_back(t);
    }
    corners.push_back({}); // a corner without ground coordinates yet is passed over
    s.Zones.push_back(corners);
    s.ZoneBufferM = 7;
    Schnitte(s, 90, 10);
    const FlightPlan plan = PlanOfState(s, 7, 15);
    ASSERT_FALSE(plan.lines.empty());
    for (const FlightLine& l : plan.lines)
        EXPECT_GE(SegmentToArea(zone, l.start, l.end), 7 - 0.01);
    for (const FlightLeg& g : plan.legs)
        for (std::size_t i = 0; i + 1 < g.points.size(); ++i)
            EXPECT_GE(SegmentToArea(zone, g.points[i], g.points[i + 1]), 7 - 0.01);
    // The lines beside the zone run on past it; those over it end at its buffer.
    EXPECT_GT(plan.lines.size(), 20u);
}

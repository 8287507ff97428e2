// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The legs' routing and the merged corners: the shortest way inside equals that of a plain
// search over every concave corner, the edge index answers as the plain ring tests do, and a
// ring with extra points a few millimetres off its edges plans the lines and legs of the ring
// without them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "planning/plan.h"
#include "planning/ringfunnel.h"
#include "planning/ringgeom.h"
#include "planning/ringindex.h"
#include "tests/planning/rings.h"

using namespace korvale;
using ring::Vec;

namespace {

using namespace testrings;

std::vector<Vec> LocalRing(const Ring& r) {
    std::vector<Vec> v;
    for (const PlanPt& p : r)
        v.push_back({p.E - E0, p.N - N0});
    return ring::Cleaned(v);
}

double Length(const std::vector<Vec>& w) {
    double s = 0;
    for (std::size_t i = 0; i + 1 < w.size(); ++i)
        s += std::hypot(w[i + 1].x - w[i].x, w[i + 1].y - w[i].y);
    return s;
}

// The oracle: Dijkstra over a, b and every concave corner, every pair tested against the
// whole ring.
double PlainShortest(const std::vector<Vec>& v, Vec a, Vec b) {
    if (ring::SegmentInside(v, a, b))
        return std::hypot(b.x - a.x, b.y - a.y);
    const std::size_t n = v.size();
    const double orient = ring::TwiceArea(v) >= 0 ? 1 : -1;
    std::vector<Vec> nodes{a};
    for (std::size_t i = 0; i < n; ++i) {
        const Vec p = v[(i + n - 1) % n], o = v[i], q = v[(i + 1) % n];
        const double l = std::hypot(q.x - p.x, q.y - p.y);
        const double side = ((q.x - p.x) * (o.y - p.y) - (q.y - p.y) * (o.x - p.x)) / l;
        if (orient * side > ring::kTouch)
            nodes.push_back(o);
    }
    nodes.push_back(b);
    const double inf = std::numeric_limits<double>::infinity();
    std::vector<double> d(nodes.size(), inf);
    std::vector<bool> done(nodes.size(), false);
    d[0] = 0;
    for (;;) {
        std::size_t u = nodes.size();
        for (std::size_t i = 0; i < nodes.size(); ++i)
            if (!done[i] && d[i] < inf && (u == nodes.size() || d[i] < d[u]))
                u = i;
        if (u == nodes.size() || u == nodes.size() - 1)
            break;
        done[u] = true;
        for (std::size_t w = 0; w < nodes.size(); ++w)
            if (!done[w] && ring::SegmentInside(v, nodes[u], nodes[w]))
                d[w] = std::min(
                    d[w], d[u] + std::hypot(nodes[w].x - nodes[u].x, nodes[w].y - nodes[u].y));
    }
    return d.back();
}

TEST(InsidePaths, ShortestWayAndInsideTestsAgreeWithThePlainSearch) {
    std::mt19937 rng(19);
    std::vector<Ring> rings = {Comb()};
    for (int k = 0; k < 6; ++k)
        rings.push_back(RandomStar(rng, 12 + 10 * k, false));
    std::uniform_real_distribution<double> u(-330, 330);
    for (std::size_t k = 0; k < rings.size(); ++k) {
        SCOPED_TRACE(k);
        const std::vector<Vec> v = LocalRing(rings[k]);
        ring::InsidePaths ways(v);
        const ring::EdgeIndex index(v);
        int bent = 0;
        for (int q = 0; q < 300; ++q) {
            // Ends inside, on corners, on edges, on one horizontal: the cases the legs meet.
            Vec a{u(rng), u(rng)}, b{u(rng), u(rng)};
            if (q % 4 == 1)
                a = v[static_cast<std::size_t>(q) % v.size()];
            if (q % 4 == 2) {
                const Vec p = v[static_cast<std::size_t>(q) % v.size()];
                const Vec o = v[(static_cast<std::size_t>(q) + 1) % v.size()];
                b = {(p.x + o.x) / 2, (p.y + o.y) / 2};
                a.y = b.y;
            }
            ASSERT_EQ(index.PointInside(a), ring::PointInside(v, a));
            ASSERT_EQ(index.SegmentInside(a, b), ring::SegmentInside(v, a, b));
            if (!ring::PointInside(v, a) || !ring::PointInside(v, b))
                continue;
            const std::vector<Vec> w = ways.Way(a, b);
            bent += w.size() > 2;
            for (std::size_t i = 0; i + 1 < w.size(); ++i)
                ASSERT_TRUE(ring::SegmentInside(v, w[i], w[i + 1]));
            EXPECT_NEAR(Length(w), PlainShortest(v, a, b), 1e-6);
        }
        if (k == 0) {
            EXPECT_GT(bent, 0); // the comb's notches bend ways
        }
    }
}

// A corridor winding between walls from the bottom and the top, every edge split into three
// (corners exactly on the edges' lines).
std::vector<Vec> Meander(int walls) {
    std::vector<Vec> c{{0, 0}};
    for (int i = 0; i < walls; i += 2)
        for (const Vec p : {Vec{10.0 * i + 2, 0}, Vec{10.0 * i + 2, 80}, Vec{10.0 * i + 4, 80},
                            Vec{10.0 * i + 4, 0}})
            c.push_back(p);
    c.push_back({10.0 * walls, 0});
    c.push_back({10.0 * walls, 100});
    for (int i = walls - 1; i >= 0; --i)
        if (i % 2 == 1)
            for (const Vec p : {Vec{10.0 * i + 4, 100}, Vec{10.0 * i + 4, 20},
                                Vec{10.0 * i + 2, 20}, Vec{10.0 * i + 2, 100}})
                c.push_back(p);
    c.push_back({0, 100});
    std::vector<Vec> v;
    for (std::size_t i = 0; i < c.size(); ++i) {
        const Vec a = c[i], b = c[(i + 1) % c.size()];
        for (const double f : {0.0, 0.25, 0.5})
            v.push_back({a.x + (b.x - a.x) * f, a.y + (b.y - a.y) * f});
    }
    return v;
}

// A field walked with a GPS: a wandering radius with noise, about half the corners concave.
std::vector<Vec> GpsWalk(std::mt19937& rng, int points) {
    std::uniform_real_distribution<double> noise(-0.3, 0.3), step(-0.4, 0.4);
    const double R = 0.6 * points / (2 * M_PI);
    std::vector<Vec> v;
    double wander = 0;
    for (int i = 0; i < points; ++i) {
        const double t = 2 * M_PI * i / points;
        wander = 0.98 * wander + step(rng);
        const double r = R * (1 + 0.08 * std::sin(3 * t)) + wander + noise(rng);
        v.push_back({r * std::cos(t), r * std::sin(t)});
    }
    return v;
}

// The way without the corners it passes straight (within the touching distance): the search over
// the corners may keep a corner on a straight run, where ways of equal length tie.
std::vector<Vec> Straightened(const std::vector<Vec>& w) {
    std::vector<Vec> out;
    for (const Vec& p : w) {
        out.push_back(p);
        while (out.size() >= 3) {
            const Vec a = out[out.size() - 3], o = out[out.size() - 2], b = out.back();
            const double l = std::hypot(b.x - a.x, b.y - a.y);
            if (std::fabs((b.x - a.x) * (o.y - a.y) - (b.y - a.y) * (o.x - a.x)) > ring::kTouch * l)
                break;
            out.erase(out.end() - 2);
        }
    }
    return out;
}

TEST(FunnelPaths, SameWaysAsTheSearchOverTheCorners) {
    std::mt19937 rng(4619);
    std::vector<std::vector<Vec>> rings = {LocalRing(Comb()), Meander(9), GpsWalk(rng, 300)};
    for (int k = 0; k < 3; ++k)
        rings.push_back(LocalRing(RandomStar(rng, 14 + 12 * k, k == 1)));
    std::vector<Vec> saw{{0, 0}, {60, 0}};
    for (int k = 0; k <= 40; ++k)
        saw.push_back({60.0 - 1.5 * k, 40.0 + (k % 2 == 0 ? 0 : 6)});
    rings.push_back(saw);
    rings.push_back({rings[1].rbegin(), rings[1].rend()}); // clockwise
    for (std::size_t k = 0; k < rings.size(); ++k) {
        SCOPED_TRACE(k);
        const std::vector<Vec>& v = rings[k];
        ASSERT_FALSE(ring::SelfIntersecting(v));
        ring::InsidePaths corners(v);
        const ring::EdgeIndex index(v);
        const std::unique_ptr<ring::FunnelPaths> funnel = ring::FunnelPaths::Make(v, index);
        ASSERT_TRUE(funnel);
        // Ends on corners, on edges, and inside; every pair of them.
        double x0 = 1e9, x1 = -1e9, y0 = 1e9, y1 = -1e9;
        for (const Vec& p : v)
            x0 = std::min(x0, p.x), x1 = std::max(x1, p.x), y0 = std::min(y0, p.y),
            y1 = std::max(y1, p.y);
        std::uniform_real_distribution<double> ux(x0, x1), uy(y0, y1), t(0, 1);
        std::uniform_int_distribution<std::size_t> corner(0, v.size() - 1);
        std::vector<Vec> ends;
        while (ends.size() < 24) {
            const std::size_t i = corner(rng);
            const Vec p = v[i], q = v[(i + 1) % v.size()];
            const double f = t(rng);
            ends.push_back(ends.size() % 3 == 0 ? p
                           : ends.size() % 3 == 1
                               ? Vec{p.x + (q.x - p.x) * f, p.y + (q.y - p.y) * f}
                               : Vec{ux(rng), uy(rng)});
            if (!ring::PointInside(v, ends.back()))
                ends.pop_back();
        }
        int bent = 0;
        for (std::size_t i = 0; i < ends.size(); ++i)
            for (std::size_t j = i + 1; j < ends.size(); ++j) {
                SCOPED_TRACE(std::to_string(i) + " " + std::to_string(j));
                const std::vector<Vec> want = Straightened(corners.CornerRoute(ends[i], ends[j]));
                const std::vector<Vec> got = funnel->Way(ends[i], ends[j]);
                bent += want.size() > 2;
                ASSERT_EQ(got.size(), want.size());
                for (std::size_t m = 0; m < want.size(); ++m) {
                    EXPECT_NEAR(got[m].x, want[m].x, 0.01);
                    EXPECT_NEAR(got[m].y, want[m].y, 0.01);
                }
                EXPECT_NEAR(Length(got), Length(want), 1e-6);
                EXPECT_EQ(corners.Way(ends[i], ends[j]).size(), got.size()); // the triangles'
            }
        EXPECT_GT(bent, 20);
        // Outside the area there is no way.
        EXPECT_TRUE(funnel->Way({x1 + 1, y1 + 1}, ends[0]).empty());
    }
}

// Points put on the edges, a few millimetres off, as a traced boundary has them.
Ring WithPointsOnEdges(const Ring& r, std::mt19937& rng, std::size_t& added) {
    std::uniform_real_distribution<double> off(-0.004, 0.004);
    std::uniform_int_distribution<int> count(0, 4);
    Ring out;
    for (std::size_t i = 0; i < r.size(); ++i) {
        const PlanPt a = r[i], b = r[(i + 1) % r.size()];
        out.push_back(a);
        const double len = std::hypot(b.E - a.E, b.N - a.N);
        const int extra = count(rng);
        for (int k = 1; k <= extra; ++k) {
            const double f = static_cast<double>(k) / (extra + 1), o = off(rng);
            out.push_back({a.E + (b.E - a.E) * f - (b.N - a.N) / len * o,
                           a.N + (b.N - a.N) * f + (b.E - a.E) / len * o});
            ++added;
        }
    }
    return out;
}

TEST(PlanningRing, PointsAlongEdgesAreMergedAndPlanTheSameLinesAndLegs) {
    std::mt19937 rng(1912);
    std::vector<Ring> rings = {Comb()};
    for (int k = 0; k < 5; ++k)
        rings.push_back(RandomStar(rng, 10 + 6 * k, false));
    for (std::size_t k = 0; k < rings.size(); ++k)
        for (const double Ri : {13.7, 37.0, 101.1, 151.3}) {
            SCOPED_TRACE(std::to_string(k) + " Ri " + std::to_string(Ri));
            const FlightPlan want = PlanFlight(rings[k], Ri, 12.5, 7, 15);
            EXPECT_EQ(want.totals.mergedCorners, 0u); // nothing near-collinear: unchanged
            std::size_t added = 0;
            const Ring dense = WithPointsOnEdges(rings[k], rng, added);
            const FlightPlan got = PlanFlight(dense, Ri, 12.5, 7, 15);
            EXPECT_EQ(got.totals.mergedCorners, added);
            ASSERT_EQ(got.lines.size(), want.lines.size());
            for (std::size_t i = 0; i < want.lines.size(); ++i) {
                EXPECT_NEAR(got.lines[i].start.E, want.lines[i].start.E, 0.01) << i;
                EXPECT_NEAR(got.lines[i].start.N, want.lines[i].start.N, 0.01) << i;
                EXPECT_NEAR(got.lines[i].end.E, want.lines[i].end.E, 0.01) << i;
                EXPECT_NEAR(got.lines[i].end.N, want.lines[i].end.N, 0.01) << i;
            }
            ASSERT_EQ(got.legs.size(), want.legs.size());
            for (std::size_t i = 0; i < want.legs.size(); ++i) {
                ASSERT_EQ(got.legs[i].points.size(), want.legs[i].points.size()) << i;
                for (std::size_t j = 0; j < want.legs[i].points.size(); ++j) {
                    EXPECT_NEAR(got.legs[i].points[j].E, want.legs[i].points[j].E, 0.01);
                    EXPECT_NEAR(got.legs[i].points[j].N, want.legs[i].points[j].N, 0.01);
                }
            }
            EXPECT_EQ(got.totals.pictures, want.totals.pictures);
        }
}

TEST(PlanningRing, KeepsCornersThatMatter) {
    // A spike back along its own edge is no point on the way, however close to the line.
    const std::vector<Vec> spike{{0, 0}, {0, 10}, {5, 10}, {5, 20}, {5, 10.001}, {10, 10}, {10, 0}};
    EXPECT_EQ(ring::Simplified(spike, ring::kMergeTolerance).ring.size(), spike.size());
    // A slit narrower than the tolerance never makes the ring the plan works on cross itself.
    const std::vector<Vec> slit{{0, 0},     {0, 10},     {5, 10},  {5, 2},
                                {5.004, 2}, {5.004, 10}, {10, 10}, {10, 0}};
    EXPECT_FALSE(ring::SelfIntersecting(ring::PlanningRing(slit).ring));
    // Corners exactly on the way and a first corner on the way go; the rest stay in order.
    const std::vector<Vec> square{{0, 5}, {0, 10}, {5, 10}, {10, 10}, {10, 0}, {0, 0}};
    const ring::Simplification s = ring::Simplified(square, ring::kMergeTolerance);
    EXPECT_EQ(s.merged, 2u);
    ASSERT_EQ(s.ring.size(), 4u);
    EXPECT_EQ(s.ring[0].x, 0);
    EXPECT_EQ(s.ring[0].y, 10);
}

TEST(SelfIntersecting, ManyCornersAnswerAsFew) {
    // Above a few hundred corners the test runs over the edge index: the same answers for a
    // traced comb, the comb with two points swapped (a crossing), and with a point folded back.
    std::mt19937 rng(5);
    std::size_t added = 0;
    Ring dense = WithPointsOnEdges(Comb(), rng, added);
    while (dense.size() <= 300)
        dense = WithPointsOnEdges(dense, rng, added);
    const std::vector<Vec> v = LocalRing(dense);
    ASSERT_GT(v.size(), 256u);
    EXPECT_FALSE(ring::SelfIntersecting(v));
    std::vector<Vec> crossed = v;
    std::swap(crossed[10], crossed[v.size() / 2]);
    EXPECT_TRUE(ring::SelfIntersecting(crossed));
    std::vector<Vec> folded = v;
    folded.insert(folded.begin() + 5, v[3]); // back along the edge it came from
    EXPECT_TRUE(ring::SelfIntersecting(ring::Cleaned(folded)));
}

TEST(EdgesByBand, EveryLineListsTheEdgesThatReachItInRingOrder) {
    std::mt19937 rng(77);
    std::uniform_real_distribution<double> u(-50, 50);
    std::vector<double> across(400), jumps(400);
    for (std::size_t i = 0; i < across.size(); ++i) {
        across[i] = 40 * std::sin(static_cast<double>(i) / 40) + u(rng) / 100;
        jumps[i] = u(rng);
    }
    across[7] = -20; // a corner on a line
    // A border that reaches a few lines per edge; one whose edges cross too many lines to list
    // them.
    for (const bool jumping : {false, true}) {
        const double step = 0.5;
        const auto lines = static_cast<std::size_t>(100 / step) + 1;
        const std::vector<double>& a = jumping ? jumps : across;
        const ring::EdgeBands bands = ring::EdgesByBand(a, -50, step, lines, 1e-7);
        EXPECT_EQ(bands.all, jumping);
        for (std::size_t k = 0; k < lines; k += 3) {
            const double e = -50 + static_cast<double>(k) * step;
            const std::span<const std::uint32_t> got = bands.Of(k);
            EXPECT_TRUE(std::is_sorted(got.begin(), got.end()));
            for (std::size_t i = 0; i < a.size(); ++i) {
                const double p = a[i], q = a[(i + 1) % a.size()];
                if (std::min(p, q) - 1e-7 <= e && e <= std::max(p, q) + 1e-7) {
                    EXPECT_TRUE(std::binary_search(got.begin(), got.end(), i)) << k << " " << i;
                }
            }
        }
    }
}

} // namespace

// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The legs' routing and the merged corners: the shortest way inside equals that of a plain
// search over every concave corner, the edge index answers as the plain ring tests do, and a
// ring with extra points a few millimetres off its edges plans the lines and legs of the ring
// without them.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "planning/plan.h"
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

} // namespace

// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Exclusion zones on the map copy: outline and hatching inside the zone only, also where it is
// concave; the zone being drawn stays open and unhatched.
#include "model/zonedraw.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace korvale {
namespace {

std::vector<TPt> Ring(const std::vector<std::pair<float, float>>& xy) {
    std::vector<TPt> z;
    for (const auto& [x, y] : xy) {
        TPt p;
        p.xb = x, p.yb = y;
        z.push_back(p);
    }
    return z;
}

bool Inside(const std::vector<TPt>& z, double x, double y) {
    bool in = false;
    for (std::size_t i = 0, j = z.size() - 1; i < z.size(); j = i++)
        if ((z[i].yb > y) != (z[j].yb > y) &&
            x < (z[j].xb - z[i].xb) * (y - z[i].yb) / (z[j].yb - z[i].yb) + z[i].xb)
            in = !in;
    return in;
}

TEST(DisplayZones, OutlineAndHatchingStayInsideEveryZone) {
    // A U open to the top: 100 x 100 with a notch 40 wide and 70 deep.
    const auto u =
        Ring({{0, 0}, {30, 0}, {30, 70}, {70, 70}, {70, 0}, {100, 0}, {100, 100}, {0, 100}});
    const auto tri = Ring({{200, 10}, {260, 10}, {230, 60}});
    State s;
    s.Zones = {u, tri};
    Overlay o;
    DisplayZones(s, o);
    std::size_t outline = 0, hatch = 0;
    for (const Primitive& p : o.Items()) {
        ASSERT_EQ(p.kind, Primitive::Kind::Line);
        EXPECT_EQ(p.stroke, ColZone);
        const bool diagonal =
            std::fabs(std::fabs(p.x2 - p.x1) - std::fabs(p.y2 - p.y1)) < 1e-6 && p.x2 != p.x1;
        if (!diagonal) {
            ++outline;
            continue;
        }
        ++hatch;
        const auto& z = p.x1 < 150 ? u : tri;
        for (double f = 0.01; f < 1; f += 0.07)
            EXPECT_TRUE(Inside(z, p.x1 + (p.x2 - p.x1) * f, p.y1 + (p.y2 - p.y1) * f))
                << p.x1 << "," << p.y1 << " - " << p.x2 << "," << p.y2;
    }
    EXPECT_EQ(outline, 8u + 3u);
    EXPECT_GT(hatch, 20u);
}

TEST(DisplayZones, TheZoneBeingDrawnIsOpenAndPointsAndBadPositionsAreHandled) {
    State s;
    s.Zones = {Ring({{10, 10}}), Ring({{0, 0}, {50, 0}, {50, 50}})};
    Overlay o;
    DisplayZones(s, o, true);
    std::size_t lines = 0, circles = 0;
    for (const Primitive& p : o.Items())
        (p.kind == Primitive::Kind::Line ? lines : circles) += 1;
    EXPECT_EQ(lines, 2u);   // the open zone: two edges, no closing one, no hatching
    EXPECT_EQ(circles, 4u); // the single corner, and the open zone's three corners

    s.Zones = {Ring({{0, 0}, {std::numeric_limits<float>::quiet_NaN(), 0}, {5, 5}})};
    Overlay none;
    DisplayZones(s, none);
    EXPECT_EQ(none.Items().size(), 0u);
}

} // namespace
} // namespace korvale

// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Test areas of the planning tests: rings in metres around a point of UTM zone 32, a comb, and
// random star-shaped rings with notches and spikes.
#pragma once

#include <array>
#include <cmath>
#include <random>
#include <vector>

#include "planning/plan.h"

namespace korvale::testrings {

constexpr double E0 = 32512345.678;
constexpr double N0 = 5301234.567;

using Ring = std::vector<PlanPt>;

// The ring of the given offsets in metres east and north of (E0, N0).
inline Ring At(const std::vector<std::array<double, 2>>& xy) {
    Ring r;
    for (const auto& p : xy)
        r.push_back({E0 + p[0], N0 + p[1]});
    return r;
}

// Three teeth of 120 m on a 30 m back, 200 m wide.
inline Ring Comb() {
    return At({{-100, 0},
               {-100, 150},
               {-70, 150},
               {-70, 30},
               {-30, 30},
               {-30, 150},
               {0, 150},
               {0, 30},
               {60, 30},
               {60, 150},
               {100, 150},
               {100, 0}});
}

// Star-shaped around the centre, so always simple: random radii with deep notches and spikes;
// with `collinear`, now and then a corner put halfway along an edge.
inline Ring RandomStar(std::mt19937& rng, int corners, bool collinear) {
    std::uniform_real_distribution<double> radius(60, 220), u(0, 1);
    std::vector<std::array<double, 2>> xy;
    for (int i = 0; i < corners; ++i) {
        const double t = 2 * M_PI * (i + 0.5 * u(rng)) / corners;
        double r = radius(rng);
        const double kind = u(rng);
        if (kind < 0.15)
            r = 15; // deep notch
        else if (kind < 0.25)
            r = 320; // spike
        xy.push_back({r * std::cos(t), r * std::sin(t)});
        if (collinear && kind > 0.9) { // a corner on the way to the next one
            const double t2 = 2 * M_PI * (i + 1) / corners, r2 = radius(rng);
            xy.push_back(
                {(xy.back()[0] + r2 * std::cos(t2)) / 2, (xy.back()[1] + r2 * std::sin(t2)) / 2});
            xy.push_back({r2 * std::cos(t2), r2 * std::sin(t2)});
            ++i;
        }
    }
    return At(xy);
}

} // namespace korvale::testrings

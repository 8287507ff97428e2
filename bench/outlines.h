// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Field outlines as pilots make them, for the planning benchmarks: a comb with points along
// its straight edges (as a traced boundary after the conversion to UTM leaves them a hair off
// the edge), a field walked with a GPS (a random walk around a rounded field) and a field with
// a saw-toothed side.
#pragma once

#include <array>
#include <cmath>
#include <cstddef>
#include <numbers>
#include <random>
#include <vector>

#include "planning/plan.h"

namespace korvale::benchrings {

inline constexpr double E0 = 32512345.0;
inline constexpr double N0 = 5301234.0;

// A 1 km² comb of three teeth (notches 600 m deep) through `points` border points, spread
// evenly over its 12 edges; every point off its edge by up to a millimetre.
inline std::vector<PlanPt> Comb(std::size_t points) {
    const std::vector<std::array<double, 2>> c = {{0, 0},     {0, 1000},   {200, 1000},  {200, 400},
                                                  {400, 400}, {400, 1000}, {600, 1000},  {600, 400},
                                                  {800, 400}, {800, 1000}, {1000, 1000}, {1000, 0}};
    std::vector<PlanPt> ring;
    const std::size_t per = std::max<std::size_t>(1, points / c.size());
    for (std::size_t i = 0; i < c.size(); ++i) {
        const auto& a = c[i];
        const auto& b = c[(i + 1) % c.size()];
        const double len = std::hypot(b[0] - a[0], b[1] - a[1]);
        const double nx = -(b[1] - a[1]) / len, ny = (b[0] - a[0]) / len;
        for (std::size_t k = 0; k < per; ++k) {
            const double f = static_cast<double>(k) / static_cast<double>(per);
            const double off =
                k == 0 ? 0 : 0.001 * std::sin(static_cast<double>(ring.size()) * 1.7);
            ring.push_back({E0 + a[0] + (b[0] - a[0]) * f + nx * off,
                            N0 + a[1] + (b[1] - a[1]) * f + ny * off});
        }
    }
    return ring;
}

// A field walked with a GPS: `points` positions about 0.6 m apart around a rounded field
// (radius growing with the points, 300 m across at 1,600), the border wandering by a few
// metres and every position off by up to 0.3 m of GPS noise. Star-shaped, so always simple.
inline std::vector<PlanPt> GpsWalk(std::size_t points, unsigned seed = 7) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> noise(-0.3, 0.3), step(-0.4, 0.4);
    const double R = 0.6 * static_cast<double>(points) / (2 * std::numbers::pi);
    std::vector<PlanPt> ring;
    ring.reserve(points);
    double wander = 0;
    for (std::size_t i = 0; i < points; ++i) {
        const double t =
            -2 * std::numbers::pi * static_cast<double>(i) / static_cast<double>(points);
        wander = 0.98 * wander + step(rng);
        const double r =
            R * (1 + 0.08 * std::sin(3 * t) + 0.05 * std::cos(5 * t)) + wander + noise(rng);
        ring.push_back({E0 + r * std::cos(t), N0 + r * std::sin(t)});
    }
    return ring;
}

// A 300 m x 200 m field whose north side is a saw of `points` - 2 corners (teeth 1 m high).
inline std::vector<PlanPt> SawTooth(std::size_t points) {
    std::vector<PlanPt> ring{{E0, N0}};
    const std::size_t teeth = points - 2;
    for (std::size_t k = 0; k < teeth; ++k) {
        const double x = 300.0 * static_cast<double>(k) / static_cast<double>(teeth - 1);
        ring.push_back({E0 + x, N0 + 200 + (k % 2 == 0 ? 0 : 1)});
    }
    ring.push_back({E0 + 300, N0});
    return ring;
}

} // namespace korvale::benchrings

// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Time of the plan of a survey area of 1 km x 1 km (200 border points, the start camera
// values) with five exclusion zones of a farm, a pond, a mast, a wood and a road strip, grown
// by the default buffer; and the same area without zones for comparison.
#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "planning/params.h"
#include "planning/plan.h"
#include "planning/zones.h"

using namespace korvale;

namespace {

constexpr double E0 = 32512345.0;
constexpr double N0 = 5301234.0;

std::vector<PlanPt> Square() {
    std::vector<PlanPt> ring;
    for (int side = 0; side < 4; ++side)
        for (int k = 0; k < 50; ++k) {
            const double f = k * 20.0;
            const double x[] = {f, 1000, 1000 - f, 0}, y[] = {0, f, 1000, 1000 - f};
            ring.push_back({E0 + x[side], N0 + y[side]});
        }
    return ring;
}

std::vector<PlanPt> Blob(double x, double y, double r, int corners) {
    std::vector<PlanPt> z;
    for (int i = 0; i < corners; ++i) {
        const double t = 2 * std::numbers::pi * i / corners;
        const double rr = r * (0.7 + 0.3 * std::cos(3 * t));
        z.push_back({E0 + x + rr * std::cos(t), N0 + y + rr * std::sin(t)});
    }
    return z;
}

std::vector<std::vector<PlanPt>> FiveZones() {
    return {
        Blob(250, 700, 60, 12), // farm
        Blob(700, 750, 80, 40), // pond
        Blob(500, 300, 2, 3),   // mast
        Blob(200, 200, 90, 24), // wood
        {{E0 + 600, N0 + 420}, {E0 + 900, N0 + 480}, {E0 + 895, N0 + 500}, {E0 + 595, N0 + 440}}};
}

void BM_PlanWithZones(benchmark::State& st, bool zones) {
    const std::vector<PlanPt> ring = Square();
    const std::vector<std::vector<PlanPt>> z =
        zones ? FiveZones() : std::vector<std::vector<PlanPt>>{};
    ParamPageModel p;
    Rechnen(p);
    FlightPlan plan;
    for (auto _ : st) {
        plan = PlanFlight(ring, z, DefaultZoneBuffer, 0.01, p.NumberBoxB.Value(),
                          p.NumberBoxA.Value(), 15);
        benchmark::DoNotOptimize(plan.pictures.data());
    }
    std::size_t bends = 0;
    for (const FlightLeg& l : plan.legs)
        bends += l.points.size() - 2;
    st.counters["strips"] = static_cast<double>(plan.totals.strips);
    st.counters["pictures"] = static_cast<double>(plan.totals.pictures);
    st.counters["leg_bends"] = static_cast<double>(bends);
}
BENCHMARK_CAPTURE(BM_PlanWithZones, five_zones, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PlanWithZones, no_zones, false)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

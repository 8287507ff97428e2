// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Time of the coverage map for a survey area of about 1 km x 1 km (the planning benchmark's
// rounded square) at the start camera values and 1 m cells: the footprints of every picture and
// the count over the grid; and the same with a crosshatch.
#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "planning/coverage.h"
#include "planning/crosshatch.h"
#include "planning/params.h"
#include "planning/plan.h"

using namespace korvale;

namespace {

constexpr double E0 = 32512345.0;
constexpr double N0 = 5301234.0;

std::vector<PlanPt> Area() {
    std::vector<PlanPt> r;
    for (int i = 0; i < 200; ++i) {
        const double t = 2 * std::numbers::pi * i / 200;
        const double c = std::cos(t), sn = std::sin(t);
        r.push_back({E0 + 500 * std::copysign(std::sqrt(std::fabs(c)), c),
                     N0 + 500 * std::copysign(std::sqrt(std::fabs(sn)), sn)});
    }
    return r;
}

void Run(benchmark::State& st, bool crosshatch) {
    const std::vector<PlanPt> ring = Area();
    ParamPageModel p;
    Rechnen(p);
    const double Ri = p.NumberBoxRi.Value(), B = p.NumberBoxB.Value();
    FlightPlan plan;
    if (crosshatch) {
        GridFrame f{1e10, -1e10, 1e10, -1e10, Ri, B};
        for (const PlanPt& q : ring) {
            f.EMin = std::min(f.EMin, q.E), f.EMax = std::max(f.EMax, q.E);
            f.NMin = std::min(f.NMin, q.N), f.NMax = std::max(f.NMax, q.N);
        }
        std::vector<PlannedLine> lines = PlanGridLines(ring, f);
        const std::vector<PlannedLine> second = CrosshatchLines(ring, f, lines);
        lines.insert(lines.end(), second.begin(), second.end());
        plan = CompletePlan(ring, lines, p.NumberBoxA.Value(), 15);
    } else {
        plan = PlanFlight(ring, Ri, B, p.NumberBoxA.Value(), 15);
    }
    const FootprintCamera cam{p.NumberBoxLG.Value(), p.NumberBoxBG.Value(), p.NumberBoxH.Value(),
                              Ri};
    Coverage cov;
    for (auto _ : st) {
        cov = ComputeCoverage(ring, {}, PictureFootprints(plan, cam), 1.0);
        benchmark::DoNotOptimize(cov.grid.count.data());
    }
    st.counters["pictures"] = static_cast<double>(plan.pictures.size());
    st.counters["cells"] = static_cast<double>(cov.grid.count.size());
    st.counters["covered_pct"] = cov.stats.atLeast1Pct;
    st.counters["min_count"] = cov.stats.minCount;
}

void BM_Coverage1km2(benchmark::State& st) {
    Run(st, false);
}
BENCHMARK(BM_Coverage1km2)->Unit(benchmark::kMillisecond);

void BM_Coverage1km2Crosshatch(benchmark::State& st) {
    Run(st, true);
}
BENCHMARK(BM_Coverage1km2Crosshatch)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

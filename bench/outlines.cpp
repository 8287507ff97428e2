// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Planning over field outlines as pilots make them (see outlines.h): the whole plan at a fixed
// direction, "Alfa auto", and the growth with the border points. The counter max_rss_mb is the
// peak memory of the process so far: run one size per process for the growth table, e.g.
//   bench_outlines --benchmark_filter='Growth/1000$'
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include "bench/outlines.h"
#include "planning/angle.h"
#include "planning/params.h"
#include "planning/plan.h"

using namespace korvale;

namespace {

double MaxRssMb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_maxrss) / 1024.0;
}

ParamPageModel Camera() {
    ParamPageModel p;
    Rechnen(p);
    return p;
}

// `spacing` 0: the start camera's strip spacing and photo base.
void Fixed(benchmark::State& st, const std::vector<PlanPt>& ring, double spacing = 0) {
    const ParamPageModel p = Camera();
    const double B = spacing > 0 ? spacing : p.NumberBoxB.Value();
    const double A = spacing > 0 ? spacing : p.NumberBoxA.Value();
    FlightPlan plan;
    for (auto _ : st) {
        plan = PlanFlight(ring, 30, B, A, 15);
        benchmark::DoNotOptimize(plan.pictures.data());
    }
    st.counters["corners"] = static_cast<double>(ring.size());
    st.counters["strips"] = static_cast<double>(plan.totals.strips);
    st.counters["pictures"] = static_cast<double>(plan.totals.pictures);
    st.counters["max_rss_mb"] = MaxRssMb();
}

void Auto(benchmark::State& st, const std::vector<PlanPt>& ring) {
    const ParamPageModel p = Camera();
    GridAngleResult g;
    for (auto _ : st) {
        g = BestGridAngle(ring, p.NumberBoxB.Value());
        benchmark::DoNotOptimize(g);
    }
    st.counters["corners"] = static_cast<double>(ring.size());
    st.counters["angle"] = g.Ri;
    st.counters["strips"] = static_cast<double>(g.strips);
    st.counters["max_rss_mb"] = MaxRssMb();
}

void BM_Comb(benchmark::State& st) {
    Fixed(st, benchrings::Comb(static_cast<std::size_t>(st.range(0))));
}
BENCHMARK(BM_Comb)->Arg(200)->Arg(800)->Arg(200000)->Unit(benchmark::kMillisecond);

void BM_GpsWalk(benchmark::State& st) {
    Fixed(st, benchrings::GpsWalk(static_cast<std::size_t>(st.range(0))));
}
BENCHMARK(BM_GpsWalk)->Arg(400)->Arg(800)->Arg(1600)->Unit(benchmark::kMillisecond);

void BM_SawTooth(benchmark::State& st) {
    Fixed(st, benchrings::SawTooth(static_cast<std::size_t>(st.range(0))));
}
BENCHMARK(BM_SawTooth)->Arg(1002)->Unit(benchmark::kMillisecond);

void BM_GpsWalkAuto(benchmark::State& st) {
    Auto(st, benchrings::GpsWalk(static_cast<std::size_t>(st.range(0))));
}
BENCHMARK(BM_GpsWalkAuto)->Arg(400)->Arg(800)->Arg(1600)->Unit(benchmark::kMillisecond);

// The growth table: GPS-walked fields of 100 ... 200,000 points at a fixed direction. The field
// grows with its points (0.6 m apart), so from 10,000 points on the spacing grows with it (at
// most 300 lines, a million pictures), and the border, not the pictures, sets the pace.
void BM_Growth(benchmark::State& st) {
    const auto n = static_cast<std::size_t>(st.range(0));
    const double across = 2 * 0.6 * static_cast<double>(n) / (2 * std::numbers::pi);
    Fixed(st, benchrings::GpsWalk(n), n >= 10000 ? across / 300 : 0);
}
BENCHMARK(BM_Growth)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(30000)
    ->Arg(100000)
    ->Arg(200000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

} // namespace

BENCHMARK_MAIN();

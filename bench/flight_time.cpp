// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The flight-time model over the plan of a 1 km x 1 km square at the start camera values
// (photo base 7.05 m, strip spacing 12.5 m, 80 lines, 11,440 pictures): the modelled
// flight of the whole plan with its line ends as waypoints and with every picture a waypoint
// (as DJI Fly flies it), and the cut of that way into batteries on the model.
#include <benchmark/benchmark.h>

#include <vector>

#include "litchi/split.h"
#include "planning/flight_time.h"
#include "planning/params.h"
#include "planning/plan.h"

using namespace korvale;

namespace {

FlightPlan SquarePlan() {
    const double E0 = 32512345.0, N0 = 5301234.0;
    const std::vector<PlanPt> ring = {
        {E0, N0}, {E0 + 1000, N0}, {E0 + 1000, N0 + 1000}, {E0, N0 + 1000}};
    ParamPageModel p;
    Rechnen(p);
    return PlanFlight(ring, 0.01, p.NumberBoxB.Value(), p.NumberBoxA.Value(), 15);
}

FlightModel DjiFlyModel() {
    FlightModel m;
    m.stopsAtPhotos = true;
    m.photoStopS = 2;
    return m;
}

void BM_ModelFlightTime(benchmark::State& st) {
    const bool photoWaypoints = st.range(0) != 0;
    const FlightPlan plan = SquarePlan();
    const PlanWay way = PlanModelWay(plan, photoWaypoints, 40, 15 / 3.6, std::nullopt);
    const FlightModel m = photoWaypoints ? DjiFlyModel() : FlightModel{};
    FlightTime t;
    for (auto _ : st) {
        t = ModelFlightTime(way.way, m);
        benchmark::DoNotOptimize(t);
    }
    st.counters["waypoints"] = static_cast<double>(way.way.points.size());
    st.counters["model_min"] = t.TotalMin();
    st.counters["path_min"] = plan.totals.flightMin;
}
BENCHMARK(BM_ModelFlightTime)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_SplitOnTheModel(benchmark::State& st) {
    const bool photoWaypoints = st.range(0) != 0;
    const FlightPlan plan = SquarePlan();
    const PlanWay way = PlanModelWay(plan, photoWaypoints, 40, 15 / 3.6, std::nullopt);
    // DJI Fly stands at every one of the ~140 pictures of a 1 km line: 30-minute batteries.
    SplitOptions o{photoWaypoints ? 30.0 : 20.0, 1000000000, 15 / 3.6};
    o.heightM = 40;
    o.model = photoWaypoints ? DjiFlyModel() : FlightModel{};
    std::size_t parts = 0;
    for (auto _ : st) {
        const TimedWay timed(way.way, o.model);
        const std::vector<WayRange> r = SplitWayTimed(way.lineOf, way.lineEnd, timed, o);
        parts = r.size();
        benchmark::DoNotOptimize(r.data());
    }
    st.counters["waypoints"] = static_cast<double>(way.way.points.size());
    st.counters["parts"] = static_cast<double>(parts);
}
BENCHMARK(BM_SplitOnTheModel)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

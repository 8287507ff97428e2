// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The DJI Fly mission of a 1 km x 1 km field for the Mini 4 Pro at 60 m with 80 % forward and
// 70 % side overlap (photo base 13 m, lines 26 m apart: about 2,900 pictures, each a waypoint):
// the route, its parts (99 waypoints, 30-minute battery), each part's WPML and KMZ and the
// check of every part; then the same written as one all-or-nothing set.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "dji/profiles.h"
#include "dji/route.h"
#include "dji/wpml_write.h"
#include "planning/plan.h"

namespace {

using namespace korvale;

struct Field {
    State s;
    FlightPlan plan;
    DroneProfile d;
};

const Field& TheField() {
    static const Field f = [] {
        Field x;
        x.s.UtmZone = 32;
        const double e0 = 32513000, n0 = 5403000;
        x.plan = PlanFlight({{e0, n0}, {e0 + 1000, n0}, {e0 + 1000, n0 + 1000}, {e0, n0 + 1000}}, 0,
                            26, 13, 18);
        x.d =
            FindDroneProfile(LoadDroneProfiles(KORVALE_SOURCE_DIR "/data/drones.json"), "mini4pro");
        return x;
    }();
    return f;
}

void BM_WpmlFlyMission1km2(benchmark::State& state) {
    const Field& f = TheField();
    std::size_t parts = 0;
    for (auto _ : state) {
        const Route r = GridRoute(f.s, f.plan, f.d, {60, 5, 13});
        const WpmlMissionFiles m = MakeWpmlMission("/tmp/x.kmz", r, f.d, 30, {});
        parts = m.names.size();
        benchmark::DoNotOptimize(m.bytes.data());
    }
    state.counters["pictures"] = static_cast<double>(f.plan.pictures.size());
    state.counters["parts"] = static_cast<double>(parts);
}
BENCHMARK(BM_WpmlFlyMission1km2)->Unit(benchmark::kMillisecond);

void BM_WpmlFlyMission1km2Written(benchmark::State& state) {
    const Field& f = TheField();
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("korvale_bench_wpml_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    for (auto _ : state) {
        const Route r = GridRoute(f.s, f.plan, f.d, {60, 5, 13});
        WriteWpmlMission((dir / "mission.kmz").string(), r, f.d, 30, {});
    }
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_WpmlFlyMission1km2Written)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// A grid mission of 10,000 waypoints (5,000 flight lines of 250 m, 10 m apart, near 48.1 N):
// cutting it into parts for a 20-minute battery and 99 waypoints per file, and cutting plus
// writing the parts as one all-or-nothing set.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "litchi/split.h"

namespace {

using namespace korvale;

constexpr int kLines = 5000;

struct Mission {
    std::vector<TlitchRec> recs;
    std::vector<int> lineOf;
};

Mission MakeMission() {
    Mission m;
    const double dLat = 10.0 / 111200.0; // 10 m between lines
    const double dLon = 250.0 / 74300.0; // 250 m along a line at 48.1 N
    for (int line = 0; line < kLines; ++line) {
        for (int end = 0; end < 2; ++end) {
            TlitchRec r{};
            const bool east = (line % 2 == 0) == (end == 1);
            r.latitude = static_cast<float>(48.1 + line * dLat);
            r.longitude = static_cast<float>(11.5 + (east ? dLon : 0));
            r.altitude = 60;
            r.speed = static_cast<float>(18 / 3.6);
            r.photo_timeinterval = 2;
            m.recs.push_back(r);
            m.lineOf.push_back(line);
        }
    }
    return m;
}

const SplitOptions kOptions{20, 99, 18 / 3.6};

void BM_SplitMission(benchmark::State& state) {
    const Mission m = MakeMission();
    std::size_t parts = 0;
    for (auto _ : state) {
        const std::vector<MissionPart> p = SplitMission(m.recs, m.lineOf, kOptions);
        parts = p.size();
        benchmark::DoNotOptimize(p.data());
    }
    state.counters["parts"] = static_cast<double>(parts);
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * m.recs.size()));
}
BENCHMARK(BM_SplitMission)->Unit(benchmark::kMillisecond);

void BM_SplitAndWriteParts(benchmark::State& state) {
    const Mission m = MakeMission();
    const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                      ("bench_mission_split_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "mission.csv").string();
    for (auto _ : state) {
        const std::vector<std::string> names =
            WriteMissionParts(path, SplitMission(m.recs, m.lineOf, kOptions));
        benchmark::DoNotOptimize(names.data());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * m.recs.size()));
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_SplitAndWriteParts)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

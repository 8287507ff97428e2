// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// A Litchi mission of 10,000 waypoints: formatting the file text (and the same text by the
// exact 18-digit formatter the fast one replaced, in the same run), formatting plus the atomic
// write, parsing the text, and reading plus parsing the file.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "litchi/csv.h"
#include "tests/model/format_reference.h"

namespace {

using namespace korvale;

constexpr int kWaypoints = 10000;

// A serpentine grid mission near 48.1 N, 11.5 E with photo and wait actions, as the grid
// mission would make it.
std::vector<TlitchRec> MakeMission() {
    std::vector<TlitchRec> recs(kWaypoints);
    for (int i = 0; i < kWaypoints; ++i) {
        TlitchRec& r = recs[static_cast<std::size_t>(i)];
        const int strip = i / 100;
        const int step = strip % 2 ? 99 - i % 100 : i % 100;
        r.latitude = static_cast<float>(48.1 + strip * 0.00027);
        r.longitude = static_cast<float>(11.5 + step * 0.00041);
        r.altitude = 60;
        r.heading = strip % 2 ? 270.0f : 90.0f;
        r.gimbalpitchangle = -90;
        r.speed = static_cast<float>(18 / 3.6);
        r.photo_timeinterval = 2;
        r.photo_distinterval = 12.5f;
        r.Actions[0] = {1, 0};
        r.Actions[1] = {0, 1500};
        for (std::size_t k = 2; k < 15; ++k) {
            r.Actions[k] = {-1, 0};
        }
    }
    return recs;
}

std::string TempName() {
    return (std::filesystem::temp_directory_path() /
            ("bench_litchi_csv_" + std::to_string(::getpid()) + ".csv"))
        .string();
}

void BM_FormatLitchiCsv(benchmark::State& state) {
    const std::vector<TlitchRec> recs = MakeMission();
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string text = FormatLitchiCsv(recs);
        bytes = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_FormatLitchiCsv)->Unit(benchmark::kMillisecond);

// The writer's lines by the reference formatter, one text per number as it was built before.
std::string ReferenceCsv(const std::vector<TlitchRec>& recs) {
    std::string out(LitchiCsvHeader());
    out += "\r\n";
    for (const TlitchRec& r : recs) {
        out +=
            reference::Format("%10.6f,%10.6f,%10.3f,%10.4f,%5.1f,%10.4f,%2d,%5.1f,",
                              {static_cast<double>(r.latitude), static_cast<double>(r.longitude),
                               static_cast<double>(r.altitude), static_cast<double>(r.heading),
                               static_cast<double>(r.curvesize), static_cast<double>(r.rotationdir),
                               r.gimbalmode, static_cast<double>(r.gimbalpitchangle)});
        for (const TlitchAction& a : r.Actions)
            out += reference::Format("%d,%4f,", {a.actiontype, a.actionparam});
        out += reference::Format("%d,%5.1f,%10.6f,%10.6f,%10.3f,%5d,",
                                 {r.altitudemode, static_cast<double>(r.speed),
                                  static_cast<double>(r.poi_latitude),
                                  static_cast<double>(r.poi_longitude),
                                  static_cast<double>(r.poi_altitude), r.poi_altitudemode});
        out += reference::Format("%5d,%4.0f",
                                 {r.photo_timeinterval, static_cast<double>(r.photo_distinterval)});
        out += "\r\n";
    }
    return out;
}

void BM_FormatLitchiCsv_Reference(benchmark::State& state) {
    const std::vector<TlitchRec> recs = MakeMission();
    if (ReferenceCsv(recs) != FormatLitchiCsv(recs)) {
        // A faster text that differs measures nothing.
        std::fputs("bench_litchi_csv: the texts of the two formatters differ\n", stderr);
        std::abort();
    }
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string text = ReferenceCsv(recs);
        bytes = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_FormatLitchiCsv_Reference)->Unit(benchmark::kMillisecond);

void BM_WriteLitchiCVS(benchmark::State& state) {
    const std::vector<TlitchRec> recs = MakeMission();
    const std::string name = TempName();
    for (auto _ : state) {
        std::string edit = name;
        WriteLitchiCVS(recs, edit);
    }
    state.SetBytesProcessed(
        static_cast<int64_t>(state.iterations() * std::filesystem::file_size(name)));
    std::filesystem::remove(name);
}
BENCHMARK(BM_WriteLitchiCVS)->Unit(benchmark::kMillisecond);

void BM_ParseLitchiCsv(benchmark::State& state) {
    const std::string text = FormatLitchiCsv(MakeMission());
    for (auto _ : state) {
        const std::vector<TlitchRec> recs = ParseLitchiCsv(text);
        benchmark::DoNotOptimize(recs.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ParseLitchiCsv)->Unit(benchmark::kMillisecond);

void BM_ReadLitchiFile(benchmark::State& state) {
    const std::string name = TempName();
    std::string edit = name;
    WriteLitchiCVS(MakeMission(), edit);
    const auto size = std::filesystem::file_size(name);
    for (auto _ : state) {
        const std::vector<TlitchRec> recs = ReadLitchiFile(name);
        benchmark::DoNotOptimize(recs.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
    std::filesystem::remove(name);
}
BENCHMARK(BM_ReadLitchiFile)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The DXF drawing of a 1 km x 1 km plan at the start camera values (about 80 strips and
// 11,000 pictures): building the text, and building it plus the atomic write.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

#include "export/dxf.h"
#include "planning/border.h"
#include "planning/grid.h"
#include "planning/params.h"

namespace {

using namespace korvale;

struct Plan {
    State s;
    ParamPageModel p;
};

// A square of 1 km with 50 border points on each side, the grid at the start direction.
Plan MakePlan() {
    Plan plan;
    plan.p.NumberBoxRi.SetValue(0.01);
    Rechnen(plan.p);
    const double E0 = 32512000, N0 = 5400000, side = 1000;
    const int perSide = 50;
    for (int side_i = 0; side_i < 4; ++side_i) {
        for (int j = 0; j < perSide; ++j) {
            const double t = side * j / perSide;
            TPt pt;
            pt.Typ = KindBorder;
            switch (side_i) { // clockwise
            case 0:
                pt.E = E0, pt.N = N0 + t;
                break;
            case 1:
                pt.E = E0 + t, pt.N = N0 + side;
                break;
            case 2:
                pt.E = E0 + side, pt.N = N0 + side - t;
                break;
            default:
                pt.E = E0 + side - t, pt.N = N0;
                break;
            }
            plan.s.Points.push_back(pt);
        }
    }
    SetBorderPointer(plan.s, plan.p);
    CalcBorderMinMax(plan.s);
    Schnitte(plan.s, plan.p.NumberBoxRi.Value(), plan.p.NumberBoxB.Value());
    return plan;
}

const Plan& ThePlan() {
    static const Plan plan = MakePlan();
    return plan;
}

std::string OutputFile() {
    const auto dir = std::filesystem::temp_directory_path() / "korvale_bench_dxf";
    std::filesystem::create_directories(dir);
    return (dir / "Flugplanung.dxf").string();
}

void Counters(benchmark::State& state, std::size_t bytes) {
    const Plan& plan = ThePlan();
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
    state.counters["strips"] = static_cast<double>(plan.s.FlightSegs.size());
    state.counters["bytes"] = static_cast<double>(bytes);
}

void BM_BuildDxf(benchmark::State& state) {
    const Plan& plan = ThePlan();
    const double A = plan.p.NumberBoxA.Value();
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string text = BuildDxf(plan.s, A);
        bytes = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    Counters(state, bytes);
}
BENCHMARK(BM_BuildDxf)->Unit(benchmark::kMillisecond);

void BM_SchreibDXF(benchmark::State& state) {
    Plan plan = ThePlan();
    plan.p.EditDXFFileName = OutputFile();
    for (auto _ : state) {
        SchreibDXF(plan.s, plan.p);
    }
    Counters(state, std::filesystem::file_size(plan.p.EditDXFFileName));
    // The file stays for reading it with other programs.
    state.SetLabel(plan.p.EditDXFFileName);
}
BENCHMARK(BM_SchreibDXF)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

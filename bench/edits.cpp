// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Time of a point edit on a planned area of about 1 km x 1 km with a 200-point border at the
// start camera values: moving a border corner (ring rebuilt, plan cut anew), deleting a point
// that is no border point (lists shifted, plan kept), and undoing plus redoing a move.
#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>

#include "planning/border.h"
#include "planning/edits.h"
#include "planning/grid.h"
#include "planning/params.h"

using namespace korvale;

namespace {

constexpr double E0 = 32512345.0;
constexpr double N0 = 5301234.0;

// A rounded square (|x|^4 + |y|^4 = 500^4) through 200 border points on a map of 0.5 m per
// pixel, north up, with a plain point in front of them, ring built and plan cut.
State Planned(ParamPageModel& p) {
    State s;
    s.TrafO = 2;
    s.TrafM = 2;
    s.TrafXbs = 640;
    s.TrafYbs = 420;
    s.TrafYs = E0;
    s.TrafXs = N0;
    TPt plain;
    plain.E = E0;
    plain.N = N0;
    plain.xb = 640;
    plain.yb = 420;
    s.Points.push_back(plain);
    for (int i = 0; i < 200; ++i) {
        const double t = 2 * std::numbers::pi * i / 200;
        const double c = std::cos(t), sn = std::sin(t);
        const double x = 500 * std::copysign(std::sqrt(std::fabs(c)), c);
        const double y = 500 * std::copysign(std::sqrt(std::fabs(sn)), sn);
        TPt q;
        q.Typ = KindBorder;
        q.E = E0 + x;
        q.N = N0 + y;
        q.xb = static_cast<float>(640 + x / 2);
        q.yb = static_cast<float>(420 - y / 2);
        s.Points.push_back(q);
    }
    Rechnen(p);
    SetBorderPointer(s, p);
    CalcBorderMinMax(s);
    Schnitte(s, p.NumberBoxRi.Value(), p.NumberBoxB.Value());
    return s;
}

void BM_MoveBorderCorner(benchmark::State& st) {
    ParamPageModel p;
    State s = Planned(p);
    float dx = 0;
    for (auto _ : st) {
        dx = dx > 0 ? -1.0f : 1.0f; // a real change each time: the plan is cut anew
        MovePoint(s, p, 1, s.Points[1].xb + dx, s.Points[1].yb);
        benchmark::DoNotOptimize(s.FlightSegs.data());
    }
    st.counters["segments"] = static_cast<double>(s.FlightSegs.size());
}
BENCHMARK(BM_MoveBorderCorner)->Unit(benchmark::kMillisecond);

void BM_DeleteAndAddPlainPoint(benchmark::State& st) {
    ParamPageModel p;
    State s = Planned(p);
    const TPt plain = s.Points[0];
    for (auto _ : st) {
        DeletePoint(s, p, 0); // every ring index moves down by one
        AddPoint(s, p, plain);
        benchmark::DoNotOptimize(s.BorderIdx.data());
    }
}
BENCHMARK(BM_DeleteAndAddPlainPoint)->Unit(benchmark::kMillisecond);

void BM_UndoRedoMove(benchmark::State& st) {
    ParamPageModel p;
    State s = Planned(p);
    UndoHistory h;
    MovePoint(s, p, 1, s.Points[1].xb + 3, s.Points[1].yb, &h);
    for (auto _ : st) {
        h.Undo(s, p);
        h.Redo(s, p);
        benchmark::DoNotOptimize(s.CutPoints.data());
    }
}
BENCHMARK(BM_UndoRedoMove)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

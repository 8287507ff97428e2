// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Time of "Calc Raster" for a survey area of about 1 km x 1 km with a 200-point border at the
// start camera values: the planning steps alone, and the whole run with the border drawing.
#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>

#include "planning/angle.h"
#include "planning/border.h"
#include "planning/grid.h"
#include "planning/params.h"
#include "planning/path.h"
#include "planning/plan.h"

#include <array>
#include <vector>

using namespace korvale;

namespace {

constexpr double E0 = 32512345.0;
constexpr double N0 = 5301234.0;

// A rounded square (|x|^4 + |y|^4 = 500^4) through 200 border points on a map of 0.5 m per
// pixel, north up.
State Area() {
    State s;
    s.TrafO = 2;
    s.TrafA = 0;
    s.TrafM = 2;
    s.TrafXbs = 640;
    s.TrafYbs = 420;
    s.TrafYs = E0;
    s.TrafXs = N0;
    for (int i = 0; i < 200; ++i) {
        const double t = 2 * std::numbers::pi * i / 200;
        const double c = std::cos(t), sn = std::sin(t);
        const double x = 500 * std::copysign(std::sqrt(std::fabs(c)), c);
        const double y = 500 * std::copysign(std::sqrt(std::fabs(sn)), sn);
        TPt p;
        p.Typ = KindBorder;
        p.E = E0 + x;
        p.N = N0 + y;
        p.xb = static_cast<float>(640 + x / 2);
        p.yb = static_cast<float>(420 - y / 2);
        s.Points.push_back(p);
    }
    return s;
}

void Report(benchmark::State& st, const ParamPageModel& p, const Overlay& o) {
    st.counters["strips"] = p.NumberBoxStreifen.Value();
    st.counters["pictures_box"] = p.NumberBoxBilder.Value();
    double marks = 0;
    for (const Primitive& q : o.Items())
        marks += q.kind == Primitive::Kind::Disc ? 1 : 0;
    st.counters["pictures"] = marks;
    st.counters["primitives"] = static_cast<double>(o.Size());
}

void BM_PlanningSteps(benchmark::State& st) {
    State s = Area();
    ParamPageModel p;
    Rechnen(p);
    Overlay o;
    for (auto _ : st) {
        o.Clear();
        SetBorderPointer(s, p);
        CalcBorderMinMax(s);
        Schnitte(s, p.NumberBoxRi.Value(), p.NumberBoxB.Value());
        CalcFlugWeg(s, p, o);
        benchmark::DoNotOptimize(o.Items().data());
    }
    Report(st, p, o);
}
BENCHMARK(BM_PlanningSteps)->Unit(benchmark::kMillisecond);

void BM_FlightLines(benchmark::State& st) {
    State s = Area();
    ParamPageModel p;
    Rechnen(p);
    Overlay o;
    for (auto _ : st) {
        o.Clear();
        FlightLines(s, p, o);
        benchmark::DoNotOptimize(o.Items().data());
    }
    Report(st, p, o);
}
BENCHMARK(BM_FlightLines)->Unit(benchmark::kMillisecond);

// The whole plan of a concave area of about 1 km² through 200 border points: a comb of
// three teeth (notches 600 m deep), lines across the teeth, legs around the notches.
std::vector<PlanPt> ConcaveRing() {
    std::vector<std::array<double, 2>> corners = {{0, 0},     {0, 1000},   {200, 1000},  {200, 400},
                                                  {400, 400}, {400, 1000}, {600, 1000},  {600, 400},
                                                  {800, 400}, {800, 1000}, {1000, 1000}, {1000, 0}};
    std::vector<PlanPt> ring;
    const std::size_t per = 200 / corners.size() + 1;
    for (std::size_t i = 0; i < corners.size() && ring.size() < 200; ++i) {
        const auto& a = corners[i];
        const auto& b = corners[(i + 1) % corners.size()];
        for (std::size_t k = 0; k < per && ring.size() < 200; ++k) {
            const double f = static_cast<double>(k) / static_cast<double>(per);
            ring.push_back({E0 + a[0] + (b[0] - a[0]) * f, N0 + a[1] + (b[1] - a[1]) * f});
        }
    }
    return ring;
}

void BM_PlanFlightConcave200(benchmark::State& st) {
    const std::vector<PlanPt> ring = ConcaveRing();
    ParamPageModel p;
    Rechnen(p);
    FlightPlan plan;
    for (auto _ : st) {
        plan = PlanFlight(ring, 0.01, p.NumberBoxB.Value(), p.NumberBoxA.Value(), 15);
        benchmark::DoNotOptimize(plan.pictures.data());
    }
    st.counters["corners"] = static_cast<double>(ring.size());
    st.counters["area_ha"] = plan.totals.areaHa;
    st.counters["strips"] = static_cast<double>(plan.totals.strips);
    st.counters["pictures"] = static_cast<double>(plan.totals.pictures);
}
BENCHMARK(BM_PlanFlightConcave200)->Unit(benchmark::kMillisecond);

// One million pictures: the 1 km rounded square at a photo base and spacing of 1 m.
void BM_PlanningMillionPictures(benchmark::State& st) {
    State s = Area();
    ParamPageModel p;
    Rechnen(p);
    p.NumberBoxA.SetValue(1);
    p.NumberBoxB.SetValue(0.93);
    Overlay o;
    for (auto _ : st) {
        o.Clear();
        FlightLines(s, p, o);
        benchmark::DoNotOptimize(o.Items().data());
    }
    Report(st, p, o);
}
BENCHMARK(BM_PlanningMillionPictures)->Unit(benchmark::kMillisecond);

// "Alfa auto" on the 1 km² areas through 200 border points: the rounded square (convex) and
// the comb (concave, legs around the notches).
void BM_AlfaAuto(benchmark::State& st, bool concave) {
    State s = Area();
    ParamPageModel p;
    Rechnen(p);
    SetBorderPointer(s, p);
    const std::vector<PlanPt> ring = concave ? ConcaveRing() : BorderRing(s);
    GridAngleResult g;
    for (auto _ : st) {
        g = BestGridAngle(ring, p.NumberBoxB.Value());
        benchmark::DoNotOptimize(g);
    }
    st.counters["corners"] = static_cast<double>(ring.size());
    st.counters["angle"] = g.Ri;
    st.counters["strips"] = static_cast<double>(g.strips);
}
BENCHMARK_CAPTURE(BM_AlfaAuto, rounded_square_200, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_AlfaAuto, comb_200, true)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

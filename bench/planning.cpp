// Time of "Calc Raster" for a survey area of about 1 km x 1 km with a 200-point border at the
// start camera values: the planning steps alone, and the whole run with the border drawing.
#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>

#include "planning/border.h"
#include "planning/grid.h"
#include "planning/params.h"
#include "planning/path.h"

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
    // The box stops at 10000; the marks tell the real number.
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

} // namespace

BENCHMARK_MAIN();

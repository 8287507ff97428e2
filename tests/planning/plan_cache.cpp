// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The window's one plan: "Calc Raster" computes it once, the writers take the same value, and
// any change of what it was computed from makes the next writer plan anew.
#include "planning/plan_cache.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "georef/transform.h"
#include "model/error.h"
#include "planning/border.h"
#include "planning/grid.h"
#include "planning/path.h"
#include "tests/support/expect_error.h"

using namespace korvale;

namespace {

constexpr double E0 = 32500000;
constexpr double N0 = 5300000;

TPt At(float xb, float yb) {
    TPt p;
    p.xb = xb;
    p.yb = yb;
    p.Typ = KindBorder;
    p.E = E0 + xb;
    p.N = N0 - yb;
    return p;
}

// An L-shaped area (so that legs bend), north up at 1 m per pixel, planned at 25 m spacing.
State Area(ParamPageModel& p) {
    State s;
    s.TrafO = 1;
    s.TrafM = 1;
    s.TrafYs = E0;
    s.TrafXs = N0;
    s.Points = {At(0, 0), At(300, 0), At(300, 120), At(120, 120), At(120, 300), At(0, 300)};
    Rechnen(p);
    p.NumberBoxB.SetValue(25);
    p.NumberBoxA.SetValue(7);
    p.NumberBoxRi.SetValue(10);
    return s;
}

void ExpectSamePlan(const FlightPlan& a, const FlightPlan& b) {
    EXPECT_EQ(a.totals.strips, b.totals.strips);
    EXPECT_EQ(a.totals.pictures, b.totals.pictures);
    EXPECT_EQ(a.totals.pathM, b.totals.pathM);
    EXPECT_EQ(a.totals.flightMin, b.totals.flightMin);
    ASSERT_EQ(a.pictures.size(), b.pictures.size());
    for (std::size_t i = 0; i < a.pictures.size(); ++i) {
        EXPECT_EQ(a.pictures[i].at.E, b.pictures[i].at.E);
        EXPECT_EQ(a.pictures[i].at.N, b.pictures[i].at.N);
    }
    ASSERT_EQ(a.legs.size(), b.legs.size());
    for (std::size_t k = 0; k < a.legs.size(); ++k)
        EXPECT_EQ(a.legs[k].points.size(), b.legs[k].points.size());
}

} // namespace

TEST(PlanCache, CalcRasterPlansOnceAndTheWritersShareIt) {
    ParamPageModel p;
    State s = Area(p);
    Overlay o;
    PlanCache plans;
    FlightLines(s, p, o, plans);
    ASSERT_EQ(plans.Computed(), 1u);
    ASSERT_FALSE(s.FlightSegs.empty());

    const auto first = plans.Of(s, p.NumberBoxA.Value(), p.NumberBoxV.Value());
    const auto second = plans.Of(s, p.NumberBoxA.Value(), p.NumberBoxV.Value());
    EXPECT_EQ(plans.Computed(), 1u);
    EXPECT_EQ(first.get(), second.get());
    ExpectSamePlan(*first, PlanOfState(s, p.NumberBoxA.Value(), p.NumberBoxV.Value()));
    // The boxes show the shared plan's totals.
    EXPECT_EQ(p.NumberBoxBilder.Value(), static_cast<double>(first->totals.pictures));
}

TEST(PlanCache, AnyChangeOfItsInputsPlansAnew) {
    const struct {
        const char* label;
        std::function<void(State&, double& A, double& V)> change;
    } cases[] = {
        {"border point moved", [](State& s, double&, double&) { s.Points[2].E += 0.01; }},
        {"border point added",
         [](State& s, double&, double&) {
             s.Points.push_back(At(-40, 150));
             s.BorderLines.clear(); // the ring is rebuilt below
         }},
        {"grid cut at another angle", [](State& s, double&, double&) { Schnitte(s, 33, 25); }},
        {"one cut point moved", [](State& s, double&, double&) { s.CutPoints[1][0] += 0.001; }},
        {"segments cleared", [](State& s, double&, double&) { s.FlightSegs.clear(); }},
        {"exclusion zone drawn",
         [](State& s, double&, double&) {
             s.Zones = {{At(200, 30), At(260, 30), At(260, 80)}};
         }},
        {"photo base", [](State&, double& A, double&) { A = 7.5; }},
        {"speed", [](State&, double&, double& V) { V += 1; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ParamPageModel p;
        State s = Area(p);
        Overlay o;
        PlanCache plans;
        FlightLines(s, p, o, plans);
        double A = p.NumberBoxA.Value(), V = p.NumberBoxV.Value();
        const auto before = plans.Of(s, A, V);
        c.change(s, A, V);
        if (s.BorderLines.empty()) {
            SetBorderPointer(s, p);
            CalcBorderMinMax(s);
        }
        const auto after = plans.Of(s, A, V);
        EXPECT_EQ(plans.Computed(), 2u);
        ExpectSamePlan(*after, PlanOfState(s, A, V));
        // Asked again without a change, the new plan is kept.
        EXPECT_EQ(plans.Of(s, A, V).get(), after.get());
        EXPECT_EQ(plans.Computed(), 2u);
    }
}

TEST(PlanCache, ARefusedPlanKeepsNothing) {
    ParamPageModel p;
    State s = Area(p);
    Overlay o;
    PlanCache plans;
    FlightLines(s, p, o, plans);
    test::ExpectError([&] { plans.Of(s, 0, 15); }, ErrorKind::Refused, "");
    // The refusal dropped the old plan; the old inputs plan again rather than reusing a value
    // that a later change might have made stale.
    plans.Of(s, p.NumberBoxA.Value(), p.NumberBoxV.Value());
    EXPECT_EQ(plans.Computed(), 2u);
}

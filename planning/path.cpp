// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "planning/path.h"

#include <cmath>
#include <memory>
#include <utility>

#include "georef/transform.h"
#include "model/draw.h"
#include "model/error.h"
#include "model/format.h"
#include "model/geodesy.h"
#include "planning/border.h"
#include "planning/crosshatch.h"
#include "planning/grid.h"
#include "planning/plan.h"
#include "planning/plan_cache.h"
#include "planning/ringindex.h"

namespace korvale {

namespace {

constexpr double kMarkRadius = 2; // pixels

void GroundLine(const State& s, Overlay& o, const PlanPt& a, const PlanPt& b) {
    const ImagePos pa = Trafback(s, a.N, a.E);
    const ImagePos pb = Trafback(s, b.N, b.E);
    o.Line(ColYellow, pa.xb, pa.yb, pb.xb, pb.yb);
}

} // namespace

void DrawFlightPlan(const State& s, const FlightPlan& plan, Overlay& o) {
    for (const FlightLine& l : plan.lines) {
        GroundLine(s, o, l.start, l.end);
        for (std::size_t i = l.firstPicture; i < l.firstPicture + l.pictureCount; ++i) {
            const PlanPt& at = plan.pictures[i].at;
            const ImagePos ip = Trafback(s, at.N, at.E);
            o.Circle(ColYellow, ip.xb, ip.yb, kMarkRadius);
            o.Disc(ColMagenta, ip.xb, ip.yb, kMarkRadius);
        }
    }
    for (const FlightLeg& leg : plan.legs)
        for (std::size_t i = 0; i + 1 < leg.points.size(); ++i)
            GroundLine(s, o, leg.points[i], leg.points[i + 1]);
}

void ShowPlanTotals(ParamPageModel& p, const FlightPlan& plan) {
    p.NumberBoxStreifen.SetValue(static_cast<double>(plan.totals.strips));
    p.NumberBoxWeg.SetValue(plan.totals.pathM);
    p.NumberBoxBilder.SetValue(static_cast<double>(plan.totals.pictures));
    p.NumberBoxFlugzeit.SetValue(plan.totals.flightMin);
}

void CalcFlugWeg(State& s, ParamPageModel& p, Overlay& o) {
    PlanCache plans;
    CalcFlugWeg(s, p, o, plans);
}

void CalcFlugWeg(State& s, ParamPageModel& p, Overlay& o, PlanCache& plans) {
    if (s.CutPoints.empty())
        return;
    const std::shared_ptr<const FlightPlan> plan =
        plans.Of(s, p.NumberBoxA.Value(), p.NumberBoxV.Value());
    DrawFlightPlan(s, *plan, o);
    ShowPlanTotals(p, *plan);
}

void FlightLines(State& s, ParamPageModel& p, Overlay& o) {
    PlanCache plans;
    FlightLines(s, p, o, plans);
}

void FlightLines(State& s, ParamPageModel& p, Overlay& o, PlanCache& plans) {
    Trafall(s);
    SetBorderPointer(s, p);
    if (s.BorderIdx.empty())
        return;
    DisplayBorderLine(s, o);
    CalcBorderMinMax(s);
    // A refused grid or path must not leave a half-made plan behind: the lists go back to
    // the plan whose statistics the page still shows.
    auto cut = s.CutPoints;
    auto segs = s.FlightSegs;
    try {
        if (p.CheckBoxKreuz)
            SchnitteCrosshatch(s, p.NumberBoxRi.Value(), p.NumberBoxB.Value());
        else
            Schnitte(s, p.NumberBoxRi.Value(), p.NumberBoxB.Value());
        CalcFlugWeg(s, p, o, plans);
    } catch (const Error&) {
        s.CutPoints = std::move(cut);
        s.FlightSegs = std::move(segs);
        throw;
    }
}

std::string MergedCornersNote(const State& s) {
    const std::vector<PlanPt> ringPts = BorderRing(s);
    if (ringPts.size() < 4)
        return {};
    std::vector<ring::Vec> v;
    v.reserve(ringPts.size());
    for (const PlanPt& p : ringPts)
        v.push_back({p.E - ringPts.front().E, p.N - ringPts.front().N});
    v = ring::Cleaned(v);
    if (v.size() < 4 || ring::SelfIntersecting(v))
        return {};
    const std::size_t merged = ring::PlanningRing(std::move(v)).merged;
    if (merged == 0)
        return {};
    return Format("%d Grenzpunkte liegen auf geraden Kanten (näher als 1 cm) und wurden für die "
                  "Planung zusammengefasst.",
                  {static_cast<long long>(merged)});
}

} // namespace korvale

// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The exported plan: the area of the state and the one computed flight plan, in WGS84.
#include <cmath>
#include <memory>

#include "exchange/plan_export.h"
#include "model/error.h"
#include "model/geodesy.h"
#include "planning/plan.h"
#include "planning/plan_cache.h"

namespace korvale {

namespace {

PlanGeo Build(const State& s, const ParamPageModel& p, const FlightPlan* given) {
    const auto geo = [&s](const PlanPt& at) {
        const GeoResult g = ProjectUtmToGeo(s, at.N, at.E);
        return GeoPos{g.B, g.L};
    };
    PlanGeo plan;
    for (const TPt& pt : s.Points) {
        if (pt.Typ != KindBorder)
            continue;
        // Without ground coordinates the point has no place on the earth to export.
        if (pt.E == 0)
            throw Error(ErrorKind::Refused, "Die Gebietspunkte haben noch keine Koordinaten: "
                                            "zuerst Passpunkte setzen und transformieren.");
        plan.area.push_back({pt.B, pt.L});
    }
    if (plan.area.size() < 3)
        plan.area.clear();

    if (!s.FlightSegs.empty()) {
        // The same plan the map, the boxes, the DXF and the mission show: lines in flight
        // order, legs that bend around notches, pictures with the end-picture rule.
        FlightPlan own;
        if (!given)
            own = PlanOfState(s, p.NumberBoxA.Value(), p.NumberBoxV.Value());
        const FlightPlan& fp = given ? *given : own;
        for (std::size_t k = 0; k < fp.lines.size(); ++k) {
            plan.lines.push_back({geo(fp.lines[k].start), geo(fp.lines[k].end)});
            if (k < fp.legs.size()) {
                std::vector<GeoPos> leg;
                for (const PlanPt& at : fp.legs[k].points)
                    leg.push_back(geo(at));
                plan.legs.push_back(std::move(leg));
            }
        }
        for (const Picture& pic : fp.pictures)
            plan.pictures.push_back(geo(pic.at));
    }
    for (const TlitchRec& r : s.LitchiRecs)
        plan.waypoints.push_back({r.latitude, r.longitude});

    if (plan.area.empty() && plan.lines.empty() && plan.waypoints.empty())
        throw Error(ErrorKind::Refused, "Nichts auszugeben: weder Gebiet noch Flugplan noch "
                                        "Wegpunkte vorhanden.");
    return plan;
}

} // namespace

PlanGeo PlanGeoFromState(const State& s, const ParamPageModel& p) {
    return Build(s, p, nullptr);
}

PlanGeo PlanGeoFromState(const State& s, const ParamPageModel& p, const FlightPlan& plan) {
    return Build(s, p, &plan);
}

PlanGeo PlanGeoFromState(const State& s, const ParamPageModel& p, PlanCache& plans) {
    // Without segments there is no plan to compute, and a photo base that could not plan
    // must not keep the area or the mission from being exported.
    if (s.FlightSegs.empty())
        return Build(s, p, nullptr);
    const std::shared_ptr<const FlightPlan> plan =
        plans.Of(s, p.NumberBoxA.Value(), p.NumberBoxV.Value());
    return Build(s, p, plan.get());
}

std::vector<FootprintGeo> FootprintsGeo(const State& s, const FlightPlan& plan,
                                        const std::vector<Footprint>& footprints) {
    std::vector<FootprintGeo> out;
    out.reserve(footprints.size());
    for (std::size_t k = 0; k < footprints.size(); ++k) {
        FootprintGeo f;
        for (const PlanPt& c : footprints[k]) {
            const GeoResult g = ProjectUtmToGeo(s, c.N, c.E);
            f.corners.push_back({g.B, g.L});
        }
        f.line = k < plan.pictures.size() ? plan.pictures[k].line : 0;
        out.push_back(std::move(f));
    }
    return out;
}

} // namespace korvale

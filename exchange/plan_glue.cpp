// The exported plan as the state holds it today. This walk repeats the order of the flight
// path (planning/path.cpp) and is meant to give way to the one computed plan value.
#include <cmath>

#include "exchange/plan_export.h"
#include "model/error.h"
#include "model/geodesy.h"

namespace korvale {

namespace {

// Beyond this many pictures an export would be hundreds of megabytes; the planning refuses
// such plans long before.
constexpr double kMaxExportPictures = 2000000;

GeoPos Geo(const Tpunkt& en) {
    const GeoResult g = UTMToGeo(EllipsoidA, EllipsoidF, en[1], en[0]);
    return {g.B, g.L};
}

} // namespace

PlanGeo PlanGeoFromState(const State& s, const ParamPageModel& p) {
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

    struct Seg {
        Tpunkt S, T;
    };
    std::vector<Seg> segs;
    const auto n = s.CutPoints.size();
    for (std::size_t k = 0; k < s.FlightSegs.size(); ++k) {
        const TLine& fs = s.FlightSegs[k];
        if (fs[0] < 0 || fs[1] < 0 || static_cast<std::size_t>(fs[0]) >= n ||
            static_cast<std::size_t>(fs[1]) >= n)
            continue;
        const Tpunkt& a = s.CutPoints[static_cast<std::size_t>(fs[0])];
        const Tpunkt& b = s.CutPoints[static_cast<std::size_t>(fs[1])];
        segs.push_back(k % 2 == 0 ? Seg{a, b} : Seg{b, a});
    }
    if (!segs.empty()) {
        const double A = p.NumberBoxA.Value();
        if (!std::isfinite(A) || !(A > 0))
            throw Error(ErrorKind::Refused,
                        "Der Bildabstand muss größer als 0 m sein (Längsüberdeckung unter 100 %).");
        double estimate = 0;
        for (const Seg& g : segs)
            estimate += Polar(g.T[0] - g.S[0], g.T[1] - g.S[1]).s / A + 1.0;
        if (!(estimate <= kMaxExportPictures))
            throw Error(ErrorKind::Limit, "Zu viele Bilder für die Ausgabe (mehr als 2000000).");
    }
    for (std::size_t k = 0; k < segs.size(); ++k) {
        const Seg& g = segs[k];
        plan.lines.push_back({Geo(g.S), Geo(g.T)});
        if (k + 1 < segs.size())
            plan.legs.push_back({Geo(g.T), Geo(segs[k + 1].S)});
        // Pictures as the flight path lays them: the position summed up step by step.
        const PolarResult pr = Polar(g.T[0] - g.S[0], g.T[1] - g.S[1]);
        const double dirE = std::sin(pr.t);
        const double dirN = std::cos(pr.t);
        const double A = p.NumberBoxA.Value();
        for (double at = 0; at <= pr.s; at += A)
            plan.pictures.push_back(Geo({g.S[0] + dirE * at, g.S[1] + dirN * at}));
    }
    for (const TlitchRec& r : s.LitchiRecs)
        plan.waypoints.push_back({r.latitude, r.longitude});

    if (plan.area.empty() && plan.lines.empty() && plan.waypoints.empty())
        throw Error(ErrorKind::Refused, "Nichts auszugeben: weder Gebiet noch Flugplan noch "
                                        "Wegpunkte vorhanden.");
    return plan;
}

} // namespace korvale

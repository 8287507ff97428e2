// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/flight_step.h"

#include "dji/drone_model.h"
#include "model/error.h"
#include "model/format.h"
#include "planning/drone_page.h"
#include "planning/flight_time.h"

namespace korvale {
namespace {

DroneFlightValues ValuesOf(const std::optional<DroneProfile>& d) {
    return d ? FlightValuesOf(*d) : DroneFlightValues{};
}

} // namespace

SplitOptions RunSplitOptions(const PlanOptions& o, const std::optional<DroneProfile>& d,
                             const ParamPageModel& p) {
    SplitOptions so{o.batteryMin, static_cast<int>(o.maxWaypoints), p.NumberBoxV.Value() / 3.6};
    so.reservePct = o.reservePct;
    so.model = ValuesOf(d).model;
    so.heightM = p.NumberBoxH.Value();
    if (o.haveTakeoff)
        so.takeoff = TakeoffPos{o.takeoffLat, o.takeoffLon};
    return so;
}

FlightStep FlightFigures(const PlanOptions& o, const std::optional<DroneProfile>& d, const State& s,
                         const FlightPlan& plan, const ParamPageModel& p) {
    const DroneFlightValues v = ValuesOf(d);
    FlightStep f;
    const double gsd = GroundPixelM(
        {o.focalMm, o.pixelUm, static_cast<int>(o.pixelsX), static_cast<int>(o.pixelsY)},
        p.NumberBoxH.Value());
    f.gsdCm = gsd * 100;
    f.speedMps = p.NumberBoxV.Value() / 3.6;
    SpeedLimitInput in;
    in.groundPixelM = gsd;
    in.exposureS = o.exposureS;
    in.rollingShutter = v.rollingShutter;
    in.readoutS = v.readoutS;
    in.minPhotoIntervalS = v.minPhotoIntervalS;
    in.photoBaseM = p.NumberBoxA.Value();
    in.droneCapMps = v.speedCapMps;
    f.limit = MaxSpeed(in);
    // The time of all batteries: the plan cut by flight time alone, as the drone's app flies
    // it; a line too long for one battery still has its time, as one flight.
    SplitOptions so = RunSplitOptions(o, d, p);
    so.maxWaypoints = 1000000000;
    try {
        f.modelMin = PlanPartsOf(s, plan, v.photoWaypoints, so).totalMin;
    } catch (const Error& e) {
        if (e.kind() != ErrorKind::Limit)
            throw;
        const std::string text = e.what();
        f.note = text.substr(0, text.find('\n'));
        so.batteryMin = 1e9;
        f.modelMin = PlanPartsOf(s, plan, v.photoWaypoints, so).totalMin;
    }
    return f;
}

std::string FlightJsonKeys(const FlightStep& f) {
    return Format(
        ", \"gsd_cm\": %.2f, \"speed_ms\": %.2f, \"speed_limit_ms\": %.2f, "
        "\"speed_limit_by\": \"%s\", \"flight_min_model\": %.2f",
        {f.gsdCm, f.speedMps, f.limit.maxMps, std::string(SpeedLimitName(f.limit.by)), f.modelMin});
}

std::string SpeedAboveLimitNote(const FlightStep& f) {
    if (!(f.speedMps > f.limit.maxMps))
        return {};
    return Format("Die Geschwindigkeit %.1f m/s liegt über der Grenze von %.2f m/s (%s).",
                  {f.speedMps, f.limit.maxMps, std::string(SpeedLimitName(f.limit.by))});
}

} // namespace korvale

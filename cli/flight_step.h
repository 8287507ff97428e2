// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The speed and flight-time figures of korvale-plan: ground pixel, the speed flown and its
// limit, the modelled flight time of all batteries (--drone, --exposure, --takeoff, --reserve),
// and the split options every mission of the run is cut with.
#pragma once

#include <optional>
#include <string>

#include "cli/options.h"
#include "dji/profiles.h"
#include "litchi/split.h"
#include "model/state.h"
#include "planning/params.h"
#include "planning/plan.h"
#include "planning/speed_limit.h"

namespace korvale {

// Battery, waypoints per file, speed, reserve, height, take-off and the flight model of the
// drone (generic values without --drone).
SplitOptions RunSplitOptions(const PlanOptions& o, const std::optional<DroneProfile>& d,
                             const ParamPageModel& p);

struct FlightStep {
    double gsdCm = 0;    // ground pixel at the height, cm
    double speedMps = 0; // the speed the missions fly
    SpeedLimit limit;
    double modelMin = 0; // every battery's flight, take-off to landing
    std::string note;    // why the plan was modelled as one flight (no battery split possible)
};

// The figures of the run's plan. Throws Error as MaxSpeed for values it cannot use.
FlightStep FlightFigures(const PlanOptions& o, const std::optional<DroneProfile>& d, const State& s,
                         const FlightPlan& plan, const ParamPageModel& p);

// The keys the JSON line adds: "gsd_cm", "speed_ms", "speed_limit_ms", "speed_limit_by",
// "flight_min_model", each starting with ", ".
std::string FlightJsonKeys(const FlightStep& f);

// The note for a speed above its limit (German, naming both speeds and the limit), else "".
std::string SpeedAboveLimitNote(const FlightStep& f);

} // namespace korvale

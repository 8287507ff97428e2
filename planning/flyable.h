// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Whether a plan can be flown at all: a plan without a flight line, or over an area smaller
// than one strip, would be written as a mission of nothing (or of one picture on a line) and
// look like success to the pilot.
#pragma once

#include <string>
#include <vector>

#include "planning/plan.h"

namespace korvale {

// "" when the plan can be flown; otherwise the German reason, for the message that refuses
// the mission and the files and for the statistics: no strip (the area is narrower than the
// strip spacing B, metres), no area at all (every corner on one line), or an area below the
// minimum of one strip spacing squared (a sliver).
std::string UnflyableReason(const FlightPlan& plan, const std::vector<PlanPt>& ring, double B);

// The area of the closed ring (either orientation), square metres.
double RingAreaM2(const std::vector<PlanPt>& ring);

} // namespace korvale

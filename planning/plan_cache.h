// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The one plan of the window: "Calc Raster" computes it, and the writer buttons (DXF, KML,
// GeoJSON, KMZ) take the same value as long as nothing it was computed from has changed.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "model/state.h"
#include "planning/plan.h"

namespace korvale {

class PlanCache {
  public:
    // The plan of the state at photo base A and speed V (PlanOfState): the one kept, when the
    // border ring (eastings and northings), the exclusion zones, the cut points, the flight
    // segments, A and V are exactly those it was computed from; else it is computed anew and kept.
    // Anything else PlanOfState comes to depend on must join this comparison. A refused plan
    // (Error) keeps nothing, and the next call computes again.
    std::shared_ptr<const FlightPlan> Of(const State& s, double A, double V_kmh);
    // Forgets the plan (a project loaded, a new start).
    void Clear();
    // How often a plan was computed, for tests of the reuse.
    std::size_t Computed() const { return computed_; }

  private:
    struct Inputs {
        std::vector<PlanPt> ring;
        std::vector<Tpunkt> cut;
        std::vector<TLine> segs;
        std::vector<std::vector<PlanPt>> zones; // grown by the state's buffer
        double A = 0;
        double V = 0;
    };
    static Inputs InputsOf(const State& s, double A, double V_kmh);
    static bool Same(const Inputs& a, const Inputs& b);

    Inputs inputs_;
    std::shared_ptr<const FlightPlan> plan_;
    std::size_t computed_ = 0;
};

} // namespace korvale

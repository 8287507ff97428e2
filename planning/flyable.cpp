// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "planning/flyable.h"

#include <algorithm>
#include <cmath>

#include "model/format.h"

namespace korvale {

double RingAreaM2(const std::vector<PlanPt>& ring) {
    if (ring.size() < 3)
        return 0;
    // Relative to the first corner, so that zone-prefixed eastings keep their centimetres.
    const PlanPt o = ring.front();
    double twice = 0;
    for (std::size_t i = 0; i < ring.size(); ++i) {
        const PlanPt& a = ring[i];
        const PlanPt& b = ring[(i + 1) % ring.size()];
        twice += (a.E - o.E) * (b.N - o.N) - (b.E - o.E) * (a.N - o.N);
    }
    return std::fabs(twice) / 2;
}

std::string UnflyableReason(const FlightPlan& plan, const std::vector<PlanPt>& ring, double B) {
    const double area = RingAreaM2(ring);
    // Narrower on average than a centimetre over its whole extent: the corners lie on one
    // line, up to the rounding of degrees and the curvature of the projection.
    double extent = 0;
    if (!ring.empty()) {
        double e0 = ring[0].E, e1 = e0, n0 = ring[0].N, n1 = n0;
        for (const PlanPt& q : ring) {
            e0 = std::min(e0, q.E);
            e1 = std::max(e1, q.E);
            n0 = std::min(n0, q.N);
            n1 = std::max(n1, q.N);
        }
        extent = std::hypot(e1 - e0, n1 - n0);
    }
    if (area <= 0.01 * extent)
        return "Das Gebiet hat keine Fläche: alle Eckpunkte liegen auf einer Linie.";
    if (plan.totals.strips == 0)
        return Format("Kein Streifen: das Gebiet ist schmaler als der Streifenabstand "
                      "(%.2f m), die Bilder wären größer als das Gebiet.",
                      {B});
    if (area < B * B)
        return Format("Das Gebiet ist mit %.1f m² kleiner als die Mindestfläche von einem "
                      "Streifenabstand im Quadrat (%.1f m²).",
                      {area, B * B});
    return {};
}

} // namespace korvale

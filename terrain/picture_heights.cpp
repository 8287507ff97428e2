// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "terrain/picture_heights.h"

#include <algorithm>
#include <cmath>

#include "model/error.h"

namespace korvale {

namespace {

struct Foot {
    double dist; // from the position to the leg
    double t;    // where along the leg, 0 .. 1
};

Foot FootOn(GroundPos a, GroundPos b, GroundPos p) {
    const double de = b.E - a.E, dn = b.N - a.N, l2 = de * de + dn * dn;
    const double t = l2 > 0 ? std::clamp(((p.E - a.E) * de + (p.N - a.N) * dn) / l2, 0.0, 1.0) : 0;
    return {std::hypot(a.E + t * de - p.E, a.N + t * dn - p.N), t};
}

constexpr double kOnPath = 0.01; // metres

} // namespace

std::vector<double> HeightsAboveGroundAt(const TerrainResult& r, const std::vector<GroundPos>& at,
                                         const ElevationModel& dem) {
    const std::vector<TerrainWaypoint>& w = r.waypoints;
    if (w.empty())
        throw Error(ErrorKind::Refused,
                    "Ohne Wegpunkte über dem Gelände ist die Höhe der Bilder nicht bestimmt.");
    const std::vector<double> ground = dem.Heights(at);
    std::vector<double> out;
    out.reserve(at.size());
    std::size_t cursor = 0; // pictures come in flight order: the search goes on from the last leg
    for (std::size_t i = 0; i < at.size(); ++i) {
        double altitude = w.front().altitude;
        if (w.size() > 1) {
            std::size_t leg = w.size();
            Foot foot{};
            for (std::size_t k = cursor; k + 1 < w.size(); ++k) {
                const Foot f = FootOn(w[k].at, w[k + 1].at, at[i]);
                if (f.dist <= kOnPath) {
                    leg = k;
                    foot = f;
                    break;
                }
            }
            if (leg == w.size()) { // off the path: the nearest leg of all
                double best = HUGE_VAL;
                for (std::size_t k = 0; k + 1 < w.size(); ++k) {
                    const Foot f = FootOn(w[k].at, w[k + 1].at, at[i]);
                    if (f.dist < best) {
                        best = f.dist;
                        leg = k;
                        foot = f;
                    }
                }
            } else {
                cursor = leg;
            }
            altitude = w[leg].altitude + foot.t * (w[leg + 1].altitude - w[leg].altitude);
        }
        out.push_back(r.takeoffGround + altitude - ground[i]);
    }
    return out;
}

} // namespace korvale

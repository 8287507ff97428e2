// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "terrain/follow.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "model/error.h"
#include "model/format.h"

namespace korvale {

namespace {

// Slack for rounding in the slope bounds: far below a millimetre over any leg.
constexpr double kEps = 1e-9;

} // namespace

std::vector<std::size_t> FewestBreaks(const std::vector<double>& d,
                                      const std::vector<double>& target, double tol) {
    const std::size_t n = d.size();
    if (n < 3)
        return {};
    // Sample j is reachable from sample i when the straight line between their targets stays
    // within the band at every sample between them: the allowed slopes from i narrow with
    // every sample passed, so one pass from i finds all its reachable samples.
    constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();
    std::vector<std::size_t> hops(n, kNone), prev(n, kNone);
    hops[0] = 0;
    for (std::size_t i = 0; i + 1 < n; ++i) {
        // Nothing reached from i can beat a way to the end already found.
        if (hops[i] == kNone || (hops[n - 1] != kNone && hops[i] + 1 >= hops[n - 1]))
            continue;
        double lo = -std::numeric_limits<double>::infinity();
        double hi = std::numeric_limits<double>::infinity();
        for (std::size_t j = i + 1; j < n; ++j) {
            const double run = d[j] - d[i];
            if (run <= 0)
                continue; // a repeated position only repeats its own target
            // Compared as rises over the run: a division only where a bound tightens.
            const double rise = target[j] - target[i];
            const double slack = kEps * (run + std::fabs(rise));
            if (rise >= lo * run - slack && rise <= hi * run + slack && hops[i] + 1 < hops[j]) {
                hops[j] = hops[i] + 1;
                prev[j] = i;
            }
            if (rise - tol > lo * run)
                lo = (rise - tol) / run;
            if (rise + tol < hi * run)
                hi = (rise + tol) / run;
            if (lo > hi + kEps)
                break;
            if (i == 0 && j == n - 1 && hops[j] == 1)
                return {}; // the straight leg holds the band: nothing to add
        }
    }
    std::vector<std::size_t> out;
    for (std::size_t k = prev[n - 1]; k != kNone && k != 0; k = prev[k])
        out.push_back(k);
    std::reverse(out.begin(), out.end());
    return out;
}

TerrainResult FollowTerrain(const std::vector<TerrainWaypoint>& mission, const ElevationModel& dem,
                            const TerrainSettings& settings) {
    if (!(settings.toleranceM >= TerrainToleranceMin && settings.toleranceM <= TerrainToleranceMax))
        throw Error(ErrorKind::Refused,
                    Format("Die Toleranz der Höhe über Grund muss zwischen %.0f und %.0f m liegen.",
                           {TerrainToleranceMin, TerrainToleranceMax}));
    TerrainResult r;
    if (mission.empty())
        return r;

    const GroundPos takeoff = settings.takeoff ? *settings.takeoff : mission.front().at;
    try {
        r.takeoffGround = dem.Heights({takeoff}).front();
    } catch (const Error& e) {
        throw Error(e.kind(), std::string("Startpunkt: ") + e.what());
    }

    // Every leg's samples, the ends included, read from the model in one go.
    std::vector<std::size_t> legFirst(mission.size(), 0);
    std::vector<GroundPos> at;
    std::vector<double> along;
    for (std::size_t i = 0; i < mission.size(); ++i) {
        legFirst[i] = at.size();
        const GroundPos a = mission[i].at;
        if (i + 1 == mission.size()) {
            at.push_back(a);
            along.push_back(0);
            break;
        }
        const GroundPos b = mission[i + 1].at;
        const double len = std::hypot(b.E - a.E, b.N - a.N);
        const std::vector<double> t = dem.SampleFractions(a, b);
        for (std::size_t k = 0; k + 1 < t.size(); ++k) {
            at.push_back({a.E + (b.E - a.E) * t[k], a.N + (b.N - a.N) * t[k]});
            along.push_back(len * t[k]);
        }
    }
    const std::vector<double> ground = dem.Heights(at);

    r.groundMin = *std::min_element(ground.begin(), ground.end());
    r.groundMax = *std::max_element(ground.begin(), ground.end());
    r.minClearanceM = std::numeric_limits<double>::infinity();
    double pathM = 0;
    for (std::size_t i = 0; i < mission.size(); ++i) {
        TerrainWaypoint w = mission[i];
        w.ground = ground[legFirst[i]];
        w.altitude = mission[i].altitude + w.ground - r.takeoffGround;
        w.added = false;
        w.leg = i;
        r.waypoints.push_back(w);
        if (i + 1 == mission.size()) {
            r.profile.push_back({pathM, w.ground, r.takeoffGround + w.altitude, i});
            if (mission[i].altitude < r.minClearanceM) {
                r.minClearanceM = mission[i].altitude;
                r.minClearanceAtM = pathM;
            }
            break;
        }
        // The leg's samples plus its end (the next leg's first sample).
        const std::size_t first = legFirst[i];
        const std::size_t last = legFirst[i + 1]; // index of the end sample
        const double len = std::hypot(mission[i + 1].at.E - mission[i].at.E,
                                      mission[i + 1].at.N - mission[i].at.N);
        std::vector<double> d, target;
        for (std::size_t k = first; k <= last; ++k) {
            const double t = k < last ? along[k] / (len > 0 ? len : 1) : 1.0;
            const double h =
                mission[i].altitude + (mission[i + 1].altitude - mission[i].altitude) * t;
            d.push_back(k < last ? along[k] : len);
            target.push_back(h + ground[k] - r.takeoffGround);
        }
        std::vector<std::size_t> breaks = FewestBreaks(d, target, settings.toleranceM);
        for (std::size_t k : breaks) {
            TerrainWaypoint add;
            add.at = at[first + k];
            add.altitude = target[k];
            add.ground = ground[first + k];
            add.added = true;
            add.leg = i;
            r.waypoints.push_back(add);
        }
        r.added += breaks.size();
        // The flown altitude between the chosen points, for the profile and the clearance.
        breaks.insert(breaks.begin(), 0);
        breaks.push_back(d.size() - 1);
        std::size_t seg = 0;
        for (std::size_t k = 0; k + 1 < d.size(); ++k) {
            while (seg + 2 < breaks.size() && k >= breaks[seg + 1])
                ++seg;
            const std::size_t u = breaks[seg], v = breaks[seg + 1];
            const double span = d[v] - d[u];
            const double t = span > 0 ? (d[k] - d[u]) / span : 0;
            const double alt = target[u] + (target[v] - target[u]) * t;
            const double g = ground[first + k];
            r.profile.push_back({pathM + d[k], g, r.takeoffGround + alt, i});
            if (r.takeoffGround + alt - g < r.minClearanceM) {
                r.minClearanceM = r.takeoffGround + alt - g;
                r.minClearanceAtM = pathM + d[k];
            }
        }
        pathM += len;
    }
    return r;
}

void CheckGroundClearance(const TerrainResult& r) {
    if (r.waypoints.empty() || r.minClearanceM >= MinGroundClearanceM)
        return;
    throw Error(ErrorKind::Limit,
                Format("Die Mission käme dem Boden zu nahe: %.0f m nach dem ersten Wegpunkt nur "
                       "%.2f m über Grund (mindestens %.0f m).\nFlughöhe erhöhen oder die "
                       "Toleranz verkleinern.",
                       {r.minClearanceAtM, r.minClearanceM, MinGroundClearanceM}));
}

} // namespace korvale

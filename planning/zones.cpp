// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "planning/zones.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "model/error.h"
#include "planning/ringmath.h"

namespace korvale {

namespace ring {

std::vector<Vec> ConvexHull(std::vector<Vec> pts) {
    std::sort(pts.begin(), pts.end(),
              [](Vec a, Vec b) { return a.x < b.x || (a.x == b.x && a.y < b.y); });
    pts.erase(
        std::unique(pts.begin(), pts.end(), [](Vec a, Vec b) { return a.x == b.x && a.y == b.y; }),
        pts.end());
    if (pts.size() < 3)
        return pts;
    // Andrew's monotone chain: lower hull left to right, then upper hull back.
    std::vector<Vec> h(2 * pts.size());
    std::size_t k = 0;
    for (std::size_t i = 0; i < pts.size(); ++i) {
        while (k >= 2 && detail::Cross(h[k - 2], h[k - 1], pts[i]) <= 0)
            --k;
        h[k++] = pts[i];
    }
    for (std::size_t i = pts.size() - 1, t = k + 1; i-- > 0;) {
        while (k >= t && detail::Cross(h[k - 2], h[k - 1], pts[i]) <= 0)
            --k;
        h[k++] = pts[i];
    }
    h.resize(k - 1);
    return h;
}

bool Span(const std::vector<Vec>& c, Vec o, Vec d, double& t0, double& t1) {
    const std::size_t n = c.size();
    t0 = -std::numeric_limits<double>::infinity();
    t1 = std::numeric_limits<double>::infinity();
    for (std::size_t i = 0; i < n; ++i) {
        const Vec p = c[i], q = c[(i + 1) % n];
        // Inside lies left of every edge: the signed distance s(t) = s0 + t * ds >= 0.
        const double ex = q.x - p.x, ey = q.y - p.y;
        const double l = std::hypot(ex, ey);
        if (l == 0)
            continue;
        const double s0 = (ex * (o.y - p.y) - ey * (o.x - p.x)) / l;
        const double ds = (ex * d.y - ey * d.x) / l;
        if (ds == 0) {
            if (s0 < 0)
                return false;
        } else if (ds > 0) {
            t0 = std::max(t0, -s0 / ds);
        } else {
            t1 = std::min(t1, -s0 / ds);
        }
    }
    return n >= 3 && t0 <= t1;
}

bool CrossesInside(const std::vector<Vec>& c, Vec a, Vec b) {
    const std::size_t n = c.size();
    if (n < 3)
        return false;
    // The part of the segment (parameter 0 ... 1) that keeps more than the touching distance
    // from every edge on the inner side.
    double lo = 0, hi = 1;
    for (std::size_t i = 0; i < n && lo < hi; ++i) {
        const Vec p = c[i], q = c[(i + 1) % n];
        const double sa = detail::Side(p, q, a) - kTouch, sb = detail::Side(p, q, b) - kTouch;
        if (sa <= 0 && sb <= 0)
            return false;
        if (sa <= 0)
            lo = std::max(lo, sa / (sa - sb));
        else if (sb <= 0)
            hi = std::min(hi, sa / (sa - sb));
    }
    return lo < hi;
}

bool DeepInside(const std::vector<Vec>& c, Vec p) {
    if (c.size() < 3)
        return false;
    for (std::size_t i = 0; i < c.size(); ++i)
        if (!(detail::Side(c[i], c[(i + 1) % c.size()], p) > kTouch))
            return false;
    return true;
}

} // namespace ring

std::vector<std::vector<PlanPt>> BufferedZones(const std::vector<std::vector<PlanPt>>& zones,
                                               double bufferM) {
    if (!std::isfinite(bufferM) || bufferM < 0 || bufferM > MaxZoneBuffer)
        throw Error(ErrorKind::Refused,
                    "Der Sicherheitsabstand um die Sperrflächen muss zwischen 0 und 10000 m "
                    "liegen.");
    // Sides per turn of the circle around each corner: each side 30 degrees, touching the
    // circle from outside, so its corners lie 1 / cos(15 degrees) of the buffer out.
    constexpr int kSides = 12;
    const double R = bufferM / std::cos(std::numbers::pi / kSides);
    std::vector<std::vector<PlanPt>> out;
    for (const std::vector<PlanPt>& z : zones) {
        if (z.empty())
            continue;
        // Relative to the first corner, so that products keep their centimetres.
        const double E0 = z.front().E, N0 = z.front().N;
        std::vector<ring::Vec> pts;
        pts.reserve(z.size());
        for (const PlanPt& p : z) {
            if (!std::isfinite(p.E) || !std::isfinite(p.N))
                throw Error(ErrorKind::Refused,
                            "Eine Ecke einer Sperrfläche hat ungültige Koordinaten.");
            pts.push_back({p.E - E0, p.N - N0});
        }
        std::vector<ring::Vec> hull = ring::ConvexHull(std::move(pts));
        if (R > 0) {
            std::vector<ring::Vec> grown;
            grown.reserve(hull.size() * kSides);
            for (const ring::Vec& p : hull)
                for (int j = 0; j < kSides; ++j) {
                    const double t = 2 * std::numbers::pi * j / kSides;
                    grown.push_back({p.x + R * std::cos(t), p.y + R * std::sin(t)});
                }
            hull = ring::ConvexHull(std::move(grown));
        }
        if (hull.size() < 3)
            continue;
        std::vector<PlanPt> ring;
        ring.reserve(hull.size());
        for (const ring::Vec& p : hull)
            ring.push_back({p.x + E0, p.y + N0});
        out.push_back(std::move(ring));
    }
    return out;
}

std::vector<std::vector<PlanPt>> ZoneRings(const State& s) {
    std::vector<std::vector<PlanPt>> raw;
    raw.reserve(s.Zones.size());
    for (const std::vector<TPt>& z : s.Zones) {
        std::vector<PlanPt> r;
        for (const TPt& p : z)
            if (p.E != 0)
                r.push_back({p.E, p.N});
        raw.push_back(std::move(r));
    }
    return raw;
}

std::vector<std::vector<PlanPt>> StateZones(const State& s) {
    return BufferedZones(ZoneRings(s), s.ZoneBufferM);
}

FlightPlan PlanFlight(const std::vector<PlanPt>& ring,
                      const std::vector<std::vector<PlanPt>>& zones, double bufferM, double Ri,
                      double B, double A, double V) {
    if (zones.empty())
        return PlanFlight(ring, Ri, B, A, V);
    const std::vector<std::vector<PlanPt>> grown = BufferedZones(zones, bufferM);
    GridFrame f{1e10, -1e10, 1e10, -1e10, Ri, B};
    for (const PlanPt& p : ring) {
        f.EMin = std::min(f.EMin, p.E), f.EMax = std::max(f.EMax, p.E);
        f.NMin = std::min(f.NMin, p.N), f.NMax = std::max(f.NMax, p.N);
    }
    if (!std::isfinite(A) || !(A > 0))
        return PlanFlight(ring, Ri, B, A, V); // refuses the photo base as always
    return CompletePlan(ring, grown, PlanGridLines(ring, f, grown), A, V);
}

} // namespace korvale

// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The small plane formulas shared by the ring's geometry and its index, inline so that both
// compute every edge test with the same arithmetic and reach the same answer.
#pragma once

#include <algorithm>
#include <cmath>

#include "planning/ringgeom.h"

namespace korvale::ring::detail {

inline double Cross(Vec o, Vec a, Vec b) {
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

inline double Dist(Vec a, Vec b) {
    return std::hypot(b.x - a.x, b.y - a.y);
}

// Distance of p from the segment a-b, and the parameter of its foot (0 at a, 1 at b).
struct Foot {
    double d;
    double t;
};
inline Foot ToSegment(Vec p, Vec a, Vec b) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double l2 = dx * dx + dy * dy;
    double t = l2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / l2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    return {Dist(p, {a.x + t * dx, a.y + t * dy}), t};
}

// Side of p relative to the line a-b as a signed distance.
inline double Side(Vec a, Vec b, Vec p) {
    const double l = Dist(a, b);
    return l > 0 ? Cross(a, b, p) / l : 0;
}

// One edge's part in the parity count of PointInside: whether the ray from p to +x crosses
// the edge a-b (half-open in y, so a corner on the ray counts once).
inline bool RayCrosses(Vec p, Vec a, Vec b) {
    if ((a.y > p.y) != (b.y > p.y)) {
        const double x = a.x + (p.y - a.y) / (b.y - a.y) * (b.x - a.x);
        return p.x < x;
    }
    return false;
}

// Whether a-b crosses the edge p-q properly, clear of the touching distance on both sides.
inline bool CrossesProperly(Vec a, Vec b, Vec p, Vec q) {
    const double s1 = Side(a, b, p), s2 = Side(a, b, q);
    const double s3 = Side(p, q, a), s4 = Side(p, q, b);
    return ((s1 > kTouch && s2 < -kTouch) || (s1 < -kTouch && s2 > kTouch)) &&
           ((s3 > kTouch && s4 < -kTouch) || (s3 < -kTouch && s4 > kTouch));
}

} // namespace korvale::ring::detail

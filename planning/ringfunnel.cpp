// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "planning/ringfunnel.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <unordered_map>

#include "planning/ringindex.h"
#include "planning/ringmath.h"

namespace korvale::ring {

namespace {

using detail::Cross;
using detail::Side;

// Position on the z-order curve of a point scaled to 0 ... 32767 on both axes: points near each
// other on the curve lie near each other in the plane, and every point of a box lies between the
// curve positions of the box's lower left and upper right corners.
std::uint32_t ZOrder(double x, double y) {
    auto spread = [](double c) {
        auto u = static_cast<std::uint32_t>(std::clamp(c, 0.0, 32767.0));
        u = (u | (u << 8)) & 0x00FF00FFu;
        u = (u | (u << 4)) & 0x0F0F0F0Fu;
        u = (u | (u << 2)) & 0x33333333u;
        u = (u | (u << 1)) & 0x55555555u;
        return u;
    };
    return spread(x) | (spread(y) << 1);
}

bool Same(Vec a, Vec b) {
    return a.x == b.x && a.y == b.y;
}

} // namespace

std::unique_ptr<FunnelPaths> FunnelPaths::Make(const std::vector<Vec>& cleanedRing,
                                               const EdgeIndex& index) {
    if (cleanedRing.size() < 3 || cleanedRing.size() >= kNone / 4)
        return nullptr;
    std::unique_ptr<FunnelPaths> f(new FunnelPaths(cleanedRing, index));
    if (!f->Triangulate())
        return nullptr;
    f->Connect();
    if (f->parent_.empty())
        return nullptr;
    return f;
}

// Ear clipping counterclockwise around the ring. A corner is an ear when it turns left and no
// other corner still on the ring lies in the closed triangle of it and its neighbours; only the
// corners between the triangle's box corners in z-order need asking. Should a whole round find
// no ear (rounding on a nearly straight corner), a straight corner between its neighbours is
// cut off as a flat triangle; a ring where that does not help either is not cut at all.
bool FunnelPaths::Triangulate() {
    const auto n = static_cast<std::uint32_t>(v_.size());
    const bool ccw = TwiceArea(v_) > 0;
    std::vector<std::uint32_t> prev(n), next(n), prevZ(n, kNone), nextZ(n, kNone), z(n);
    double x0 = std::numeric_limits<double>::infinity(), y0 = x0, x1 = -x0, y1 = -x0;
    for (std::uint32_t i = 0; i < n; ++i) {
        const std::uint32_t up = i + 1 == n ? 0 : i + 1, down = i == 0 ? n - 1 : i - 1;
        next[i] = ccw ? up : down;
        prev[i] = ccw ? down : up;
        x0 = std::min(x0, v_[i].x), y0 = std::min(y0, v_[i].y);
        x1 = std::max(x1, v_[i].x), y1 = std::max(y1, v_[i].y);
    }
    const double size = std::max(x1 - x0, y1 - y0);
    if (!(size > 0) || !std::isfinite(size))
        return false;
    const double scale = 32767.0 / size;
    const auto zAt = [&](double x, double y) { return ZOrder((x - x0) * scale, (y - y0) * scale); };
    std::vector<std::uint32_t> order(n);
    for (std::uint32_t i = 0; i < n; ++i) {
        z[i] = zAt(v_[i].x, v_[i].y);
        order[i] = i;
    }
    std::sort(order.begin(), order.end(),
              [&](std::uint32_t a, std::uint32_t b) { return z[a] < z[b]; });
    for (std::uint32_t k = 0; k + 1 < n; ++k) {
        nextZ[order[k]] = order[k + 1];
        prevZ[order[k + 1]] = order[k];
    }

    const auto isEar = [&](std::uint32_t a, std::uint32_t b, std::uint32_t c, bool flat) {
        const Vec pa = v_[a], pb = v_[b], pc = v_[c];
        const double turn = Cross(pa, pb, pc);
        if (turn < 0 ||
            (turn == 0 &&
             (!flat || (pa.x - pb.x) * (pc.x - pb.x) + (pa.y - pb.y) * (pc.y - pb.y) >= 0)))
            return false;
        const double bx0 = std::min({pa.x, pb.x, pc.x}), bx1 = std::max({pa.x, pb.x, pc.x});
        const double by0 = std::min({pa.y, pb.y, pc.y}), by1 = std::max({pa.y, pb.y, pc.y});
        const std::uint32_t zLo = zAt(bx0, by0), zHi = zAt(bx1, by1);
        const auto blocks = [&](std::uint32_t p) {
            if (p == a || p == c)
                return false;
            const Vec q = v_[p];
            return q.x >= bx0 && q.x <= bx1 && q.y >= by0 && q.y <= by1 && Cross(pa, pb, q) >= 0 &&
                   Cross(pb, pc, q) >= 0 && Cross(pc, pa, q) >= 0;
        };
        for (std::uint32_t p = prevZ[b]; p != kNone && z[p] >= zLo; p = prevZ[p])
            if (blocks(p))
                return false;
        for (std::uint32_t p = nextZ[b]; p != kNone && z[p] <= zHi; p = nextZ[p])
            if (blocks(p))
                return false;
        return true;
    };

    tri_.reserve(n - 2);
    std::uint32_t ear = 0, stop = 0, left = n;
    bool flat = false;
    while (left > 2) {
        const std::uint32_t a = prev[ear], c = next[ear];
        if (isEar(a, ear, c, flat)) {
            tri_.push_back({a, ear, c});
            next[a] = c, prev[c] = a;
            if (prevZ[ear] != kNone)
                nextZ[prevZ[ear]] = nextZ[ear];
            if (nextZ[ear] != kNone)
                prevZ[nextZ[ear]] = prevZ[ear];
            --left;
            ear = stop = next[c];
            flat = false;
            continue;
        }
        ear = c;
        if (ear == stop) {
            if (flat)
                return false;
            flat = true;
        }
    }
    // Every triangle turns left and together they cover the ring's area once.
    double sum = 0;
    for (const auto& t : tri_)
        sum += Cross(v_[t[0]], v_[t[1]], v_[t[2]]);
    const double area = std::fabs(TwiceArea(v_));
    return std::fabs(sum - area) <= 1e-9 * area;
}

// Which triangles share an edge, which triangle holds each ring edge, and the triangles' tree
// (every inner edge cuts the ring in two, so the neighbourhood has no cycles).
void FunnelPaths::Connect() {
    const std::size_t n = v_.size(), count = tri_.size();
    nbr_.assign(count, {kNone, kNone, kNone});
    edgeTri_.assign(n, kNone);
    std::unordered_map<std::uint64_t, std::uint32_t> open;
    open.reserve(count * 2);
    for (std::uint32_t t = 0; t < count; ++t)
        for (std::uint32_t k = 0; k < 3; ++k) {
            const std::uint32_t u = tri_[t][k], w = tri_[t][(k + 1) % 3];
            if ((u + 1) % n == w || (w + 1) % n == u) {
                edgeTri_[(u + 1) % n == w ? u : w] = t;
                continue;
            }
            const std::uint64_t key =
                (static_cast<std::uint64_t>(std::min(u, w)) << 32) | std::max(u, w);
            const auto it = open.find(key);
            if (it == open.end()) {
                open.emplace(key, t * 3 + k);
                continue;
            }
            const std::uint32_t t2 = it->second / 3, k2 = it->second % 3;
            nbr_[t][k] = t2;
            nbr_[t2][k2] = t;
            open.erase(it);
        }
    if (!open.empty() || std::find(edgeTri_.begin(), edgeTri_.end(), kNone) != edgeTri_.end())
        return;
    parent_.assign(count, kNone);
    depth_.assign(count, 0);
    std::vector<std::uint32_t> queue{0};
    parent_[0] = 0;
    for (std::size_t q = 0; q < queue.size(); ++q) {
        const std::uint32_t t = queue[q];
        for (const std::uint32_t u : nbr_[t])
            if (u != kNone && parent_[u] == kNone) {
                parent_[u] = t;
                depth_[u] = depth_[t] + 1;
                queue.push_back(u);
            }
    }
    if (queue.size() != count)
        parent_.clear();
}

bool FunnelPaths::Contains(std::uint32_t t, Vec p) const {
    const Vec a = v_[tri_[t][0]], b = v_[tri_[t][1]], c = v_[tri_[t][2]];
    if (p.x < std::min({a.x, b.x, c.x}) - kTouch || p.x > std::max({a.x, b.x, c.x}) + kTouch ||
        p.y < std::min({a.y, b.y, c.y}) - kTouch || p.y > std::max({a.y, b.y, c.y}) + kTouch)
        return false;
    return Side(a, b, p) >= -kTouch && Side(b, c, p) >= -kTouch && Side(c, a, p) >= -kTouch;
}

// A point on the border lies in the triangle of its edge; one further inside is reached from
// the edge that the ray to +x meets first, stepping over the edge that p lies beyond.
std::uint32_t FunnelPaths::Locate(Vec p) const {
    if (!index_.PointInside(p))
        return kNone;
    const std::size_t n = v_.size();
    std::size_t e = index_.EdgeTouching(p);
    if (e < n)
        return edgeTri_[e];
    e = index_.RayHit(p);
    if (e < n) {
        std::uint32_t t = edgeTri_[e], from = kNone;
        for (std::size_t step = 0; step < tri_.size() && t != kNone; ++step) {
            if (Contains(t, p))
                return t;
            std::uint32_t to = kNone;
            double worst = 0;
            for (std::uint32_t k = 0; k < 3; ++k) {
                const std::uint32_t u = nbr_[t][k];
                const double s = Side(v_[tri_[t][k]], v_[tri_[t][(k + 1) % 3]], p);
                if (u != kNone && u != from && s < worst)
                    worst = s, to = u;
            }
            from = t;
            t = to;
        }
    }
    for (std::uint32_t t = 0; t < tri_.size(); ++t) // the walk went astray: ask every triangle
        if (Contains(t, p))
            return t;
    return kNone;
}

std::vector<std::uint32_t> FunnelPaths::Chain(std::uint32_t from, std::uint32_t to) const {
    std::vector<std::uint32_t> up, down;
    while (depth_[from] > depth_[to])
        up.push_back(from), from = parent_[from];
    while (depth_[to] > depth_[from])
        down.push_back(to), to = parent_[to];
    while (from != to) {
        up.push_back(from), from = parent_[from];
        down.push_back(to), to = parent_[to];
    }
    up.push_back(from);
    up.insert(up.end(), down.rbegin(), down.rend());
    return up;
}

std::vector<Vec> FunnelPaths::Way(Vec a, Vec b) const {
    const std::uint32_t ta = Locate(a), tb = Locate(b);
    if (ta == kNone || tb == kNone)
        return {};
    const std::vector<std::uint32_t> chain = Chain(ta, tb);
    // A point on an inner edge or corner lies in several triangles of the chain: the way starts
    // in the last that holds a and ends in the first after it that holds b.
    std::size_t first = 0;
    for (std::size_t i = 0; i < chain.size(); ++i)
        if (Contains(chain[i], a))
            first = i;
    std::size_t last = first;
    while (last + 1 < chain.size() && !Contains(chain[last], b))
        ++last;
    std::vector<Vec> lefts{a}, rights{a};
    for (std::size_t i = first; i < last; ++i) {
        const std::uint32_t t = chain[i], u = chain[i + 1];
        std::uint32_t k = 0;
        while (k < 3 && nbr_[t][k] != u)
            ++k;
        // Leaving t across its counterclockwise edge p - q, q is on the left.
        rights.push_back(v_[tri_[t][k]]);
        lefts.push_back(v_[tri_[t][(k + 1) % 3]]);
    }
    lefts.push_back(b);
    rights.push_back(b);

    // The funnel: from the apex, the way can still go anywhere between its left and right
    // sides; a portal that narrows one side past the other makes that other side's end the
    // next bend.
    std::vector<Vec> way{a};
    const auto bend = [&](Vec p) {
        if (!Same(p, way.back()))
            way.push_back(p);
    };
    Vec apex = a, left = a, right = a;
    std::size_t at = 0, atLeft = 0, atRight = 0;
    for (std::size_t i = 1; i < lefts.size(); ++i) {
        const Vec pl = lefts[i], pr = rights[i];
        if (Cross(apex, right, pr) >= 0) {
            if (Same(apex, right) || Cross(apex, left, pr) < 0) {
                right = pr, atRight = i;
            } else {
                bend(left);
                apex = right = left, at = atRight = atLeft;
                i = at;
                continue;
            }
        }
        if (Cross(apex, left, pl) <= 0) {
            if (Same(apex, left) || Cross(apex, right, pl) > 0) {
                left = pl, atLeft = i;
            } else {
                bend(right);
                apex = left = right, at = atLeft = atRight;
                i = at;
                continue;
            }
        }
    }
    bend(b);
    if (way.size() == 1)
        way.push_back(b);
    // A bend by less than the touching distance is no bend: the straight segment past it
    // counts as inside.
    std::vector<Vec> out;
    out.reserve(way.size());
    for (const Vec& p : way) {
        out.push_back(p);
        while (out.size() >= 3 &&
               std::fabs(Side(out[out.size() - 3], out.back(), out[out.size() - 2])) <= kTouch)
            out.erase(out.end() - 2);
    }
    return out;
}

} // namespace korvale::ring

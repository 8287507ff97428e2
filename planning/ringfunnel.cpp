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
// other corner still on the ring lies in the closed triangle of it and its neighbours. Cutting
// an ear only narrows the corners beside it, so only corners that were concave (or straight) at
// the start can ever lie in an ear's triangle: they are kept in a grid of about one per cell, and
// an ear asks only the cells its triangle passes. Every triangle has an area: the funnel needs
// a left and a right side at every edge it passes. A ring where a whole round finds no ear
// (straight corners only, or rounding on nearly straight ones) is not cut at all.
bool FunnelPaths::Triangulate() {
    const auto n = static_cast<std::uint32_t>(v_.size());
    const bool ccw = TwiceArea(v_) > 0;
    std::vector<std::uint32_t> prev(n), next(n);
    double x0 = std::numeric_limits<double>::infinity(), y0 = x0, x1 = -x0, y1 = -x0;
    for (std::uint32_t i = 0; i < n; ++i) {
        const std::uint32_t up = i + 1 == n ? 0 : i + 1, down = i == 0 ? n - 1 : i - 1;
        next[i] = ccw ? up : down;
        prev[i] = ccw ? down : up;
        x0 = std::min(x0, v_[i].x), y0 = std::min(y0, v_[i].y);
        x1 = std::max(x1, v_[i].x), y1 = std::max(y1, v_[i].y);
    }
    if (!(x1 - x0 > 0 && y1 - y0 > 0) || !std::isfinite(x1 - x0) || !std::isfinite(y1 - y0))
        return false;
    std::vector<std::uint32_t> reflex;
    for (std::uint32_t i = 0; i < n; ++i)
        if (Cross(v_[prev[i]], v_[i], v_[next[i]]) <= 0)
            reflex.push_back(i);
    const double cell = std::sqrt((x1 - x0) * (y1 - y0) /
                                  static_cast<double>(std::max<std::size_t>(reflex.size(), 1)));
    const auto nx = static_cast<std::size_t>((x1 - x0) / cell) + 1;
    const auto ny = static_cast<std::size_t>((y1 - y0) / cell) + 1;
    const auto colOf = [&](double x) {
        return static_cast<std::size_t>(
            std::clamp(std::floor((x - x0) / cell), 0.0, static_cast<double>(nx - 1)));
    };
    const auto rowOf = [&](double y) {
        return static_cast<std::size_t>(
            std::clamp(std::floor((y - y0) / cell), 0.0, static_cast<double>(ny - 1)));
    };
    std::vector<std::uint32_t> first(nx * ny + 1, 0), cellOf(reflex.size());
    for (std::size_t k = 0; k < reflex.size(); ++k) {
        cellOf[k] =
            static_cast<std::uint32_t>(rowOf(v_[reflex[k]].y) * nx + colOf(v_[reflex[k]].x));
        ++first[cellOf[k] + 1];
    }
    for (std::size_t c = 0; c < nx * ny; ++c)
        first[c + 1] += first[c];
    std::vector<std::uint32_t> inCell(reflex.size());
    {
        std::vector<std::uint32_t> fill(first.begin(), first.end() - 1);
        for (std::size_t k = 0; k < reflex.size(); ++k)
            inCell[fill[cellOf[k]]++] = reflex[k];
    }
    std::size_t reflexLeft = reflex.size();
    std::vector<char> isReflex(n, 0);
    for (const std::uint32_t r : reflex)
        isReflex[r] = 1;

    const auto isEar = [&](std::uint32_t a, std::uint32_t b, std::uint32_t c) {
        const Vec pa = v_[a], pb = v_[b], pc = v_[c];
        if (!(Cross(pa, pb, pc) > 0))
            return false;
        if (reflexLeft == 0)
            return true;
        const double bx0 = std::min({pa.x, pb.x, pc.x}), bx1 = std::max({pa.x, pb.x, pc.x});
        const double by0 = std::min({pa.y, pb.y, pc.y}), by1 = std::max({pa.y, pb.y, pc.y});
        // Row by row, only the cells the triangle's edges span within the row's band.
        for (std::size_t r = rowOf(by0), rEnd = rowOf(by1); r <= rEnd; ++r) {
            const double lo = std::max(y0 + static_cast<double>(r) * cell, by0);
            const double hi = std::min(y0 + static_cast<double>(r + 1) * cell, by1);
            double xl = std::numeric_limits<double>::infinity(), xh = -xl;
            for (const auto& [p, q] : {std::pair{pa, pb}, std::pair{pb, pc}, std::pair{pc, pa}}) {
                if (std::max(p.y, q.y) < lo || std::min(p.y, q.y) > hi)
                    continue;
                for (const double y :
                     {std::max(lo, std::min(p.y, q.y)), std::min(hi, std::max(p.y, q.y))}) {
                    const double x =
                        p.y == q.y
                            ? p.x
                            : p.x + (q.x - p.x) * std::clamp((y - p.y) / (q.y - p.y), 0.0, 1.0);
                    xl = std::min({xl, x, p.y == q.y ? q.x : x});
                    xh = std::max({xh, x, p.y == q.y ? q.x : x});
                }
            }
            if (!(xl <= xh))
                continue;
            for (std::size_t col = colOf(xl - cell * 1e-9), cEnd = colOf(xh + cell * 1e-9);
                 col <= cEnd; ++col) {
                const std::size_t c0 = r * nx + col;
                for (std::uint32_t k = first[c0]; k < first[c0 + 1]; ++k) {
                    const std::uint32_t p = inCell[k];
                    if (!isReflex[p] || p == a || p == b || p == c)
                        continue;
                    const Vec q = v_[p];
                    if (q.x >= bx0 && q.x <= bx1 && q.y >= by0 && q.y <= by1 &&
                        Cross(pa, pb, q) >= 0 && Cross(pb, pc, q) >= 0 && Cross(pc, pa, q) >= 0)
                        return false;
                }
            }
        }
        return true;
    };

    // Corners to ask, in ring order at first; then the two beside each ear cut off, whose
    // corners narrowed. The one ahead waits its turn behind the others, so the cuts spread
    // around the ring instead of fanning out from one corner into long slivers. Corners blocked
    // by a concave corner that has since gone are asked again in one more round of all.
    tri_.reserve(n - 2);
    std::vector<std::uint32_t> queue;
    queue.reserve(4 * static_cast<std::size_t>(n));
    std::vector<char> cut(n, 0);
    std::uint32_t left = n, alive = 0, wait = kNone;
    bool progress = true;
    for (std::size_t head = 0; left > 2; ++head) {
        if (head == queue.size()) {
            if (!progress)
                return false;
            progress = false;
            queue.clear();
            head = 0;
            std::uint32_t x = alive;
            do {
                queue.push_back(x);
                x = next[x];
            } while (x != alive);
            wait = kNone;
        }
        const std::uint32_t b = queue[head];
        if (cut[b])
            continue;
        if (b == wait) {
            wait = kNone;
            queue.push_back(b);
            continue;
        }
        const std::uint32_t a = prev[b], c = next[b];
        if (!isEar(a, b, c))
            continue;
        tri_.push_back({a, b, c});
        next[a] = c, prev[c] = a;
        cut[b] = 1;
        reflexLeft -= static_cast<std::size_t>(isReflex[b]);
        isReflex[b] = 0;
        // A concave neighbour may have turned convex: it can no longer be in the way.
        for (const std::uint32_t m : {a, c})
            if (isReflex[m] && Cross(v_[prev[m]], v_[m], v_[next[m]]) > 0) {
                isReflex[m] = 0;
                --reflexLeft;
            }
        --left;
        queue.push_back(a);
        queue.push_back(c);
        alive = wait = c;
        progress = true;
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

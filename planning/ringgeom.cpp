// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "planning/ringgeom.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <queue>

#include "planning/ringfunnel.h"
#include "planning/ringindex.h"
#include "planning/ringmath.h"

namespace korvale::ring {

namespace {

using detail::Cross;
using detail::Dist;
using detail::Foot;
using detail::Side;
using detail::ToSegment;

// Whether segments a-b and c-d share a point (ends included), exactly.
bool Touch(Vec a, Vec b, Vec c, Vec d) {
    const double d1 = Cross(a, b, c), d2 = Cross(a, b, d);
    const double d3 = Cross(c, d, a), d4 = Cross(c, d, b);
    if (((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0)))
        return true;
    const auto onSeg = [](Vec p, Vec q, Vec r) { // r on p-q, given collinear
        return std::min(p.x, q.x) <= r.x && r.x <= std::max(p.x, q.x) &&
               std::min(p.y, q.y) <= r.y && r.y <= std::max(p.y, q.y);
    };
    return (d1 == 0 && onSeg(a, b, c)) || (d2 == 0 && onSeg(a, b, d)) ||
           (d3 == 0 && onSeg(c, d, a)) || (d4 == 0 && onSeg(c, d, b));
}

} // namespace

std::vector<Vec> Cleaned(const std::vector<Vec>& v) {
    std::vector<Vec> out;
    out.reserve(v.size());
    for (const Vec& p : v)
        if (out.empty() || p.x != out.back().x || p.y != out.back().y)
            out.push_back(p);
    while (out.size() > 1 && out.front().x == out.back().x && out.front().y == out.back().y)
        out.pop_back();
    return out;
}

double TwiceArea(const std::vector<Vec>& v) {
    double s = 0;
    for (std::size_t i = 0; i < v.size(); ++i) {
        const Vec& a = v[i];
        const Vec& b = v[(i + 1) % v.size()];
        s += a.x * b.y - a.y * b.x;
    }
    return s;
}

namespace {

// Whether edges i and j (i != j) of the ring meet where they must not: neighbours that run
// back over each other, others that touch or cross.
bool EdgesMeet(const std::vector<Vec>& v, std::size_t i, std::size_t j) {
    const std::size_t n = v.size();
    const Vec a = v[i], b = v[(i + 1) % n];
    const Vec c = v[j], d = v[(j + 1) % n];
    const bool next = (i + 1) % n == j, prev = (j + 1) % n == i;
    if (next || prev) {
        // Neighbours share one corner; they must not run back over each other.
        const Vec o = next ? b : a; // the shared corner
        const Vec p = next ? a : b; // far end of edge i
        const Vec q = next ? d : c; // far end of edge j
        return Cross(o, p, q) == 0 && (p.x - o.x) * (q.x - o.x) + (p.y - o.y) * (q.y - o.y) > 0;
    }
    return Touch(a, b, c, d);
}

} // namespace

bool SelfIntersecting(const std::vector<Vec>& v) {
    const std::size_t n = v.size();
    if (n < 3)
        return false;
    if (n > 256) {
        // Many corners (a traced boundary with thousands of points along one straight edge,
        // which a sweep along one axis would meet all at once): each edge meets only the
        // edges that pass the same cells.
        bool meets = false;
        ForEdgePairsNear(v, [&](std::size_t i, std::size_t j) {
            meets = EdgesMeet(v, i, j);
            return !meets;
        });
        return meets;
    }
    // Edges sorted by their lowest x let each edge meet only those whose x range overlaps.
    std::vector<std::size_t> order(n);
    for (std::size_t i = 0; i < n; ++i)
        order[i] = i;
    const auto lo = [&](std::size_t i) { return std::min(v[i].x, v[(i + 1) % n].x); };
    const auto hi = [&](std::size_t i) { return std::max(v[i].x, v[(i + 1) % n].x); };
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return lo(a) < lo(b); });
    for (std::size_t oi = 0; oi < n; ++oi)
        for (std::size_t oj = oi + 1; oj < n && lo(order[oj]) <= hi(order[oi]); ++oj)
            if (EdgesMeet(v, order[oi], order[oj]))
                return true;
    return false;
}

bool IsConvex(const std::vector<Vec>& v) {
    const std::size_t n = v.size();
    if (n < 3)
        return false;
    // A corner counts as straight when it leaves the line through its neighbours by less
    // than the touching distance.
    bool pos = false, neg = false;
    for (std::size_t i = 0; i < n; ++i) {
        const Vec a = v[(i + n - 1) % n], b = v[i], c = v[(i + 1) % n];
        const double s = Side(a, c, b);
        if (s > kTouch)
            pos = true;
        else if (s < -kTouch)
            neg = true;
    }
    return !(pos && neg);
}

bool PointInside(const std::vector<Vec>& v, Vec p) {
    const std::size_t n = v.size();
    bool in = false;
    for (std::size_t i = 0; i < n; ++i) {
        const Vec a = v[i], b = v[(i + 1) % n];
        if (ToSegment(p, a, b).d <= kTouch)
            return true;
        if (detail::RayCrosses(p, a, b))
            in = !in;
    }
    return in;
}

bool SegmentInside(const std::vector<Vec>& v, Vec a, Vec b) {
    const std::size_t n = v.size();
    if (n < 3)
        return false;
    // A proper crossing of a border edge leaves the area at once.
    std::vector<double> cuts{0.0, 1.0};
    for (std::size_t i = 0; i < n; ++i) {
        const Vec p = v[i], q = v[(i + 1) % n];
        if (detail::CrossesProperly(a, b, p, q))
            return false;
        // Where the segment touches a corner it may pass from inside to outside there.
        const Foot f = ToSegment(p, a, b);
        if (f.d <= kTouch)
            cuts.push_back(f.t);
    }
    // Between the touching places the segment is wholly inside or wholly outside.
    std::sort(cuts.begin(), cuts.end());
    for (std::size_t k = 0; k + 1 < cuts.size(); ++k) {
        if (cuts[k + 1] - cuts[k] <= 0)
            continue;
        const double t = (cuts[k] + cuts[k + 1]) / 2;
        if (!PointInside(v, {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t}))
            return false;
    }
    return PointInside(v, a) && PointInside(v, b);
}

InsidePaths::InsidePaths(std::vector<Vec> cleanedRing, std::vector<std::vector<Vec>> obstacles)
    : v_(std::move(cleanedRing)), obstacles_(std::move(obstacles)) {
    for (const std::vector<Vec>& o : obstacles_) {
        Box b{std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity(),
              -std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
        for (const Vec& p : o)
            b = {std::min(b.x0, p.x), std::min(b.y0, p.y), std::max(b.x1, p.x),
                 std::max(b.y1, p.y)};
        boxes_.push_back(b);
    }
    // A corner inside an obstacle is no place for a way to bend.
    const auto free = [&](Vec p, std::size_t own) {
        for (std::size_t k = 0; k < obstacles_.size(); ++k)
            if (k != own && DeepInside(obstacles_[k], p))
                return false;
        return true;
    };
    // A shortest way inside a simple polygon bends only at its concave corners.
    const std::size_t n = v_.size();
    const double orient = TwiceArea(v_) >= 0 ? 1.0 : -1.0;
    for (std::size_t i = 0; i < n && n >= 3; ++i) {
        const Vec a = v_[(i + n - 1) % n], b = v_[i], c = v_[(i + 1) % n];
        if (orient * Side(a, c, b) > kTouch && free(b, obstacles_.size()))
            corners_.push_back({b, a, c});
    }
    if (!corners_.empty() || !obstacles_.empty())
        index_ = std::make_unique<EdgeIndex>(v_);
    for (std::size_t k = 0; k < obstacles_.size(); ++k) {
        const std::vector<Vec>& o = obstacles_[k];
        const std::size_t m = o.size();
        for (std::size_t i = 0; i < m; ++i)
            if (index_->PointInside(o[i]) && free(o[i], k))
                corners_.push_back({o[i], o[(i + m - 1) % m], o[(i + 1) % m]});
    }
    if (obstacles_.empty() && !corners_.empty())
        funnel_ = FunnelPaths::Make(v_, *index_);
}

InsidePaths::~InsidePaths() = default;

bool InsidePaths::Inside(Vec a, Vec b) const {
    if (!(index_ ? index_->SegmentInside(a, b) : SegmentInside(v_, a, b)))
        return false;
    for (std::size_t k = 0; k < obstacles_.size(); ++k) {
        const Box& x = boxes_[k];
        if (std::max(a.x, b.x) < x.x0 || std::min(a.x, b.x) > x.x1 || std::max(a.y, b.y) < x.y0 ||
            std::min(a.y, b.y) > x.y1)
            continue;
        if (CrossesInside(obstacles_[k], a, b))
            return false;
    }
    return true;
}

// Whether the line from the corner to x touches the area there without entering the corner's
// inside: both neighbours of the corner on one side of it (within the touching distance). A
// shortest way meets a corner only along such lines; any other way past it can be cut short.
bool InsidePaths::Wraps(std::size_t corner, Vec x) const {
    const Corner& c = corners_[corner];
    const Vec p = c.prev, o = c.at, q = c.next;
    if (Dist(o, x) == 0)
        return true;
    const double s1 = Side(o, x, p), s2 = Side(o, x, q);
    return !((s1 > kTouch && s2 < -kTouch) || (s1 < -kTouch && s2 > kTouch));
}

bool InsidePaths::Sees(std::size_t i, std::size_t j) {
    const std::uint64_t key = (static_cast<std::uint64_t>(std::min(i, j)) << 32) | std::max(i, j);
    const auto it = visible_.find(key);
    if (it != visible_.end())
        return it->second;
    const bool sees = Inside(corners_[i].at, corners_[j].at);
    visible_.emplace(key, sees);
    return sees;
}

std::vector<Vec> InsidePaths::Way(Vec a, Vec b) {
    std::vector<Vec> way = Route(a, b);
    if (way.empty())
        return {a, b};
    return way;
}

std::vector<Vec> InsidePaths::Route(Vec a, Vec b) {
    if (Inside(a, b))
        return {a, b};
    if (funnel_)
        return funnel_->Way(a, b);
    return CornerRoute(a, b);
}

std::vector<Vec> InsidePaths::CornerRoute(Vec a, Vec b) {
    if (Inside(a, b))
        return {a, b};
    const std::size_t r = corners_.size();
    const double inf = std::numeric_limits<double>::infinity();
    // Nodes: 0 = a, 1 ... m = the corners of the ellipse, m + 1 = b.
    std::vector<std::size_t> corner;
    std::vector<double> dist;
    std::vector<std::size_t> prev;
    std::vector<char> done;
    for (double U = 2 * Dist(a, b) + 1.0;; U *= 2) {
        corner.clear();
        for (std::size_t i = 0; i < r; ++i) {
            const Vec c = corners_[i].at;
            if (Dist(a, c) + Dist(c, b) <= U)
                corner.push_back(i);
        }
        const std::size_t m = corner.size();
        const std::size_t nodes = m + 2;
        // With every corner in the ellipse a longer way has nowhere else to go.
        const double limit = m == r ? inf : U;
        const auto at = [&](std::size_t u) {
            return u == 0 ? a : u == m + 1 ? b : corners_[corner[u - 1]].at;
        };
        dist.assign(nodes, inf);
        prev.assign(nodes, nodes);
        done.assign(nodes, 0);
        // A* with the straight distance to b, which never overestimates; ways longer than U
        // are left to the next, wider ellipse.
        using Item = std::pair<double, std::size_t>;
        std::priority_queue<Item, std::vector<Item>, std::greater<>> pq;
        dist[0] = 0;
        pq.push({Dist(a, b), 0});
        while (!pq.empty()) {
            const std::size_t u = pq.top().second;
            pq.pop();
            if (done[u])
                continue;
            done[u] = 1;
            if (u == m + 1)
                break;
            const Vec pu = at(u);
            for (std::size_t w = 1; w < nodes; ++w) {
                if (done[w] || w == u)
                    continue;
                const Vec pw = at(w);
                const double len = Dist(pu, pw);
                const double d = dist[u] + len;
                if (!(d < dist[w]) || d + Dist(pw, b) > limit)
                    continue;
                if ((u != 0 && !Wraps(corner[u - 1], pw)) ||
                    (w != m + 1 && !Wraps(corner[w - 1], pu)))
                    continue;
                const bool sees =
                    u != 0 && w != m + 1 ? Sees(corner[u - 1], corner[w - 1]) : Inside(pu, pw);
                if (!sees)
                    continue;
                dist[w] = d;
                prev[w] = u;
                pq.push({d + Dist(pw, b), w});
            }
        }
        if (dist[m + 1] < inf) {
            std::vector<Vec> way;
            for (std::size_t u = m + 1; u != nodes; u = prev[u]) {
                way.push_back(at(u));
                if (u == 0)
                    break;
            }
            std::reverse(way.begin(), way.end());
            return way;
        }
        if (m == r) // every corner was open to the search: there is no way inside
            return {};
    }
}

} // namespace korvale::ring

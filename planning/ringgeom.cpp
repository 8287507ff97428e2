#include "planning/ringgeom.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <queue>

namespace korvale::ring {

namespace {

double Cross(Vec o, Vec a, Vec b) {
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

double Dist(Vec a, Vec b) {
    return std::hypot(b.x - a.x, b.y - a.y);
}

// Distance of p from the segment a-b, and the parameter of its foot (0 at a, 1 at b).
struct Foot {
    double d;
    double t;
};
Foot ToSegment(Vec p, Vec a, Vec b) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double l2 = dx * dx + dy * dy;
    double t = l2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / l2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    return {Dist(p, {a.x + t * dx, a.y + t * dy}), t};
}

// Side of p relative to the line a-b as a signed distance.
double Side(Vec a, Vec b, Vec p) {
    const double l = Dist(a, b);
    return l > 0 ? Cross(a, b, p) / l : 0;
}

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

bool SelfIntersecting(const std::vector<Vec>& v) {
    const std::size_t n = v.size();
    if (n < 3)
        return false;
    // Edges sorted by their lowest x let each edge meet only those whose x range overlaps.
    std::vector<std::size_t> order(n);
    for (std::size_t i = 0; i < n; ++i)
        order[i] = i;
    const auto lo = [&](std::size_t i) { return std::min(v[i].x, v[(i + 1) % n].x); };
    const auto hi = [&](std::size_t i) { return std::max(v[i].x, v[(i + 1) % n].x); };
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return lo(a) < lo(b); });
    for (std::size_t oi = 0; oi < n; ++oi) {
        const std::size_t i = order[oi];
        const Vec a = v[i], b = v[(i + 1) % n];
        for (std::size_t oj = oi + 1; oj < n && lo(order[oj]) <= hi(i); ++oj) {
            const std::size_t j = order[oj];
            const Vec c = v[j], d = v[(j + 1) % n];
            const bool next = (i + 1) % n == j, prev = (j + 1) % n == i;
            if (next || prev) {
                // Neighbours share one corner; they must not run back over each other.
                const Vec o = next ? b : a; // the shared corner
                const Vec p = next ? a : b; // far end of edge i
                const Vec q = next ? d : c; // far end of edge j
                if (Cross(o, p, q) == 0 &&
                    (p.x - o.x) * (q.x - o.x) + (p.y - o.y) * (q.y - o.y) > 0)
                    return true;
                continue;
            }
            if (Touch(a, b, c, d))
                return true;
        }
    }
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
        if ((a.y > p.y) != (b.y > p.y)) {
            const double x = a.x + (p.y - a.y) / (b.y - a.y) * (b.x - a.x);
            if (p.x < x)
                in = !in;
        }
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
        const double s1 = Side(a, b, p), s2 = Side(a, b, q);
        const double s3 = Side(p, q, a), s4 = Side(p, q, b);
        if (((s1 > kTouch && s2 < -kTouch) || (s1 < -kTouch && s2 > kTouch)) &&
            ((s3 > kTouch && s4 < -kTouch) || (s3 < -kTouch && s4 > kTouch)))
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

InsidePaths::InsidePaths(std::vector<Vec> cleanedRing) : v_(std::move(cleanedRing)) {
    // A shortest way inside a simple polygon bends only at its concave corners.
    const std::size_t n = v_.size();
    const double orient = TwiceArea(v_) >= 0 ? 1.0 : -1.0;
    for (std::size_t i = 0; i < n && n >= 3; ++i) {
        const Vec a = v_[(i + n - 1) % n], b = v_[i], c = v_[(i + 1) % n];
        if (orient * Side(a, c, b) > kTouch)
            reflex_.push_back(i);
    }
}

void InsidePaths::BuildGraph() {
    const std::size_t r = reflex_.size();
    visible_.assign(r, std::vector<double>(r, -1.0));
    for (std::size_t i = 0; i < r; ++i)
        for (std::size_t j = i + 1; j < r; ++j) {
            const Vec a = v_[reflex_[i]], b = v_[reflex_[j]];
            if (SegmentInside(v_, a, b))
                visible_[i][j] = visible_[j][i] = Dist(a, b);
        }
    built_ = true;
}

std::vector<Vec> InsidePaths::Way(Vec a, Vec b) {
    if (SegmentInside(v_, a, b) || reflex_.empty())
        return {a, b};
    if (!built_)
        BuildGraph();
    // Dijkstra over a, the concave corners and b (nodes 0, 1..r, r+1).
    const std::size_t r = reflex_.size();
    const std::size_t nodes = r + 2;
    std::vector<double> fromA(r, -1.0), toB(r, -1.0);
    for (std::size_t i = 0; i < r; ++i) {
        const Vec c = v_[reflex_[i]];
        if (SegmentInside(v_, a, c))
            fromA[i] = Dist(a, c);
        if (SegmentInside(v_, c, b))
            toB[i] = Dist(c, b);
    }
    const double inf = std::numeric_limits<double>::infinity();
    std::vector<double> dist(nodes, inf);
    std::vector<std::size_t> prev(nodes, nodes);
    using Item = std::pair<double, std::size_t>;
    std::priority_queue<Item, std::vector<Item>, std::greater<>> pq;
    dist[0] = 0;
    pq.push({0, 0});
    while (!pq.empty()) {
        // Plain variables, not a structured binding: the lambda below captures them.
        const double d = pq.top().first;
        const std::size_t u = pq.top().second;
        pq.pop();
        if (d > dist[u] || u == r + 1)
            continue;
        const auto relax = [&](std::size_t w, double len) {
            if (len >= 0 && d + len < dist[w]) {
                dist[w] = d + len;
                prev[w] = u;
                pq.push({dist[w], w});
            }
        };
        if (u == 0) {
            for (std::size_t i = 0; i < r; ++i)
                relax(i + 1, fromA[i]);
        } else {
            const std::size_t i = u - 1;
            for (std::size_t j = 0; j < r; ++j)
                if (j != i)
                    relax(j + 1, visible_[i][j]);
            relax(r + 1, toB[i]);
        }
    }
    if (!(dist[r + 1] < inf))
        return {a, b};
    std::vector<Vec> way;
    for (std::size_t u = r + 1; u != nodes; u = prev[u]) {
        way.push_back(u == 0 ? a : u == r + 1 ? b : v_[reflex_[u - 1]]);
        if (u == 0)
            break;
    }
    std::reverse(way.begin(), way.end());
    return way;
}

} // namespace korvale::ring

// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "planning/ringindex.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "planning/ringmath.h"

namespace korvale::ring {

namespace {

// Every edge is listed in each cell that comes within this distance of it, so that an edge
// within the touching distance of a point or segment is always among the edges looked at.
constexpr double kCellMargin = 1e-3; // metres

} // namespace

EdgeIndex::EdgeIndex(const std::vector<Vec>& cleanedRing) : v_(cleanedRing) {
    const std::size_t n = v_.size();
    seen_.assign(n, 0);
    if (n == 0)
        return;
    double x1 = -std::numeric_limits<double>::infinity(), y1 = x1;
    x0_ = y0_ = std::numeric_limits<double>::infinity();
    for (const Vec& p : v_) {
        x0_ = std::min(x0_, p.x), y0_ = std::min(y0_, p.y);
        x1 = std::max(x1, p.x), y1 = std::max(y1, p.y);
    }
    x0_ -= 2 * kCellMargin, y0_ -= 2 * kCellMargin;
    x1 += 2 * kCellMargin, y1 += 2 * kCellMargin;
    // About one edge per cell.
    cell_ = std::max(std::sqrt((x1 - x0_) * (y1 - y0_) / static_cast<double>(n)), 1e-2);
    nx_ = static_cast<std::size_t>((x1 - x0_) / cell_) + 1;
    ny_ = static_cast<std::size_t>((y1 - y0_) / cell_) + 1;
    std::vector<std::uint32_t> count(nx_ * ny_ + 1, 0);
    for (std::size_t i = 0; i < n; ++i)
        ForCells(v_[i], v_[(i + 1) % n], kCellMargin, [&](std::size_t c) { ++count[c]; });
    first_.assign(nx_ * ny_ + 1, 0);
    for (std::size_t c = 0; c < nx_ * ny_; ++c)
        first_[c + 1] = first_[c] + count[c];
    edges_.resize(first_.back());
    std::vector<std::uint32_t> fill(first_.begin(), first_.end() - 1);
    for (std::size_t i = 0; i < n; ++i)
        ForCells(v_[i], v_[(i + 1) % n], kCellMargin,
                 [&](std::size_t c) { edges_[fill[c]++] = static_cast<std::uint32_t>(i); });
}

namespace {

// Calls f(row, column) for every cell of the grid (origin x0, y0, square cells of side `cell`,
// rows and columns clamped to the last ones given) that comes within `margin` of the segment a-b:
// row by row, the stretch of the row that the segment, widened by the margin, passes.
template <class F>
void CellsAlong(Vec a, Vec b, double margin, double x0, double y0, double cell, double lastCol,
                double lastRow, F&& f) {
    const auto row = [&](double y) {
        return static_cast<std::size_t>(std::clamp(std::floor((y - y0) / cell), 0.0, lastRow));
    };
    const auto col = [&](double x) {
        return static_cast<std::size_t>(std::clamp(std::floor((x - x0) / cell), 0.0, lastCol));
    };
    const double ylo = std::min(a.y, b.y) - margin, yhi = std::max(a.y, b.y) + margin;
    for (std::size_t r = row(ylo), rEnd = row(yhi); r <= rEnd; ++r) {
        // The part of the segment whose height lies in the row's band, widened by the margin.
        const double bandLo = std::max(y0 + static_cast<double>(r) * cell - margin, ylo);
        const double bandHi = std::min(y0 + static_cast<double>(r + 1) * cell + margin, yhi);
        double xlo, xhi;
        if (a.y == b.y) {
            xlo = std::min(a.x, b.x), xhi = std::max(a.x, b.x);
        } else {
            const auto xAt = [&](double y) {
                const double t = std::clamp((y - a.y) / (b.y - a.y), 0.0, 1.0);
                return a.x + (b.x - a.x) * t;
            };
            const double p = xAt(bandLo), q = xAt(bandHi);
            xlo = std::min(p, q), xhi = std::max(p, q);
        }
        for (std::size_t c = col(xlo - margin), cEnd = col(xhi + margin); c <= cEnd; ++c)
            f(r, c);
    }
}

} // namespace

template <class F> void EdgeIndex::ForCells(Vec a, Vec b, double margin, F&& f) const {
    CellsAlong(a, b, margin, x0_, y0_, cell_, static_cast<double>(nx_ - 1),
               static_cast<double>(ny_ - 1), [&](std::size_t r, std::size_t c) { f(r * nx_ + c); });
}

template <class F> void EdgeIndex::ForEdgesAlong(Vec a, Vec b, F&& f) const {
    ++query_;
    if (query_ == 0) { // wrapped: forget the old marks
        std::fill(seen_.begin(), seen_.end(), 0);
        query_ = 1;
    }
    bool stop = false;
    ForCells(a, b, 1e-9, [&](std::size_t c) {
        for (std::uint32_t k = first_[c]; k < first_[c + 1] && !stop; ++k) {
            const std::uint32_t e = edges_[k];
            if (seen_[e] == query_)
                continue;
            seen_[e] = query_;
            stop = !f(e);
        }
    });
}

bool EdgeIndex::PointInside(Vec p) const {
    const std::size_t n = v_.size();
    if (n == 0 || !(p.x >= x0_ && p.y >= y0_ && p.x <= x0_ + static_cast<double>(nx_) * cell_ &&
                    p.y <= y0_ + static_cast<double>(ny_) * cell_))
        return false;
    // On the border: an edge within the touching distance is listed in p's own cell.
    bool border = false;
    ForEdgesAlong(p, p, [&](std::uint32_t i) {
        border = detail::ToSegment(p, v_[i], v_[(i + 1) % n]).d <= kTouch;
        return !border;
    });
    if (border)
        return true;
    // The ray to +x meets only edges listed in the cells of p's row right of p.
    bool in = false;
    ForEdgesAlong(p, {x0_ + static_cast<double>(nx_) * cell_, p.y}, [&](std::uint32_t i) {
        if (detail::RayCrosses(p, v_[i], v_[(i + 1) % n]))
            in = !in;
        return true;
    });
    return in;
}

std::size_t EdgeIndex::EdgeTouching(Vec p) const {
    const std::size_t n = v_.size();
    std::size_t edge = n;
    if (n == 0)
        return n;
    ForEdgesAlong(p, p, [&](std::uint32_t i) {
        if (detail::ToSegment(p, v_[i], v_[(i + 1) % n]).d <= kTouch)
            edge = i;
        return edge == n;
    });
    return edge;
}

std::size_t EdgeIndex::RayHit(Vec p) const {
    const std::size_t n = v_.size();
    std::size_t edge = n;
    if (n == 0)
        return n;
    double best = std::numeric_limits<double>::infinity();
    ForEdgesAlong(p, {std::max(p.x, x0_ + static_cast<double>(nx_) * cell_), p.y},
                  [&](std::uint32_t i) {
                      const Vec a = v_[i], b = v_[(i + 1) % n];
                      if (detail::RayCrosses(p, a, b)) {
                          const double x = a.x + (p.y - a.y) / (b.y - a.y) * (b.x - a.x);
                          if (x < best)
                              best = x, edge = i;
                      }
                      return true;
                  });
    return edge;
}

bool EdgeIndex::SegmentInside(Vec a, Vec b) const {
    const std::size_t n = v_.size();
    if (n < 3)
        return false;
    std::vector<double> cuts{0.0, 1.0};
    bool crossed = false;
    ForEdgesAlong(a, b, [&](std::uint32_t i) {
        const Vec p = v_[i], q = v_[(i + 1) % n];
        if (detail::CrossesProperly(a, b, p, q)) {
            crossed = true;
            return false;
        }
        const detail::Foot f = detail::ToSegment(p, a, b);
        if (f.d <= kTouch)
            cuts.push_back(f.t);
        return true;
    });
    if (crossed)
        return false;
    std::sort(cuts.begin(), cuts.end());
    for (std::size_t k = 0; k + 1 < cuts.size(); ++k) {
        if (cuts[k + 1] - cuts[k] <= 0)
            continue;
        const double t = (cuts[k] + cuts[k + 1]) / 2;
        if (!PointInside({a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t}))
            return false;
    }
    return PointInside(a) && PointInside(b);
}

void ForEdgePairsNear(const std::vector<Vec>& v,
                      const std::function<bool(std::size_t, std::size_t)>& f) {
    const std::size_t n = v.size();
    if (n < 2)
        return;
    double x0 = std::numeric_limits<double>::infinity(), y0 = x0, x1 = -x0, y1 = -x0;
    std::vector<double> lengths(n);
    double perimeter = 0;
    for (std::size_t i = 0; i < n; ++i) {
        x0 = std::min(x0, v[i].x), y0 = std::min(y0, v[i].y);
        x1 = std::max(x1, v[i].x), y1 = std::max(y1, v[i].y);
        lengths[i] = detail::Dist(v[i], v[(i + 1) % n]);
        perimeter += lengths[i];
    }
    x0 -= 2 * kCellMargin, y0 -= 2 * kCellMargin;
    x1 += 2 * kCellMargin, y1 += 2 * kCellMargin;
    // Cells as long as the middle edge, but so many only that the border passes at most a few
    // per corner, and at most 2^31 along either side.
    std::nth_element(lengths.begin(), lengths.begin() + static_cast<std::ptrdiff_t>(n / 2),
                     lengths.end());
    const double cell = std::max({lengths[n / 2], perimeter / (4.0 * static_cast<double>(n)),
                                  std::max(x1 - x0, y1 - y0) / 2e9, 1e-2});
    const double last = std::floor(std::max(x1 - x0, y1 - y0) / cell);
    std::vector<std::pair<std::uint64_t, std::uint32_t>> cells;
    cells.reserve(3 * n);
    for (std::size_t i = 0; i < n; ++i)
        CellsAlong(v[i], v[(i + 1) % n], kCellMargin, x0, y0, cell, last, last,
                   [&](std::size_t r, std::size_t c) {
                       cells.push_back({(static_cast<std::uint64_t>(r) << 32) | c,
                                        static_cast<std::uint32_t>(i)});
                   });
    std::sort(cells.begin(), cells.end());
    for (std::size_t k = 0; k < cells.size();) {
        std::size_t end = k + 1;
        while (end < cells.size() && cells[end].first == cells[k].first)
            ++end;
        for (std::size_t i = k; i < end; ++i)
            for (std::size_t j = i + 1; j < end; ++j)
                if (!f(cells[i].second, cells[j].second))
                    return;
        k = end;
    }
}

EdgeBands EdgesByBand(const std::vector<double>& across, double at, double step, std::size_t lines,
                      double margin) {
    const std::size_t n = across.size();
    EdgeBands b;
    // The lines an edge reaches, one more on either side for the rounding of the lines' places.
    const auto reach = [&](std::size_t i, std::size_t& lo, std::size_t& hi) {
        const double p = across[i], q = across[(i + 1) % n];
        const double kLo = std::floor((std::min(p, q) - margin - at) / step) - 1;
        const double kHi = std::ceil((std::max(p, q) + margin - at) / step) + 1;
        if (!(kHi >= 0 && kLo <= static_cast<double>(lines) - 1))
            return false;
        lo = static_cast<std::size_t>(std::max(kLo, 0.0));
        hi = static_cast<std::size_t>(std::min(kHi, static_cast<double>(lines) - 1));
        return true;
    };
    std::vector<std::uint32_t> count(lines + 1, 0);
    std::size_t total = 0;
    bool all = !(step > 0) || lines == 0 || n >= 0xffffffffu;
    for (std::size_t i = 0; i < n && !all; ++i) {
        std::size_t lo = 0, hi = 0;
        if (!reach(i, lo, hi))
            continue;
        total += hi - lo + 1;
        all = total > 16 * (n + lines);
        for (std::size_t k = lo; k <= hi && !all; ++k)
            ++count[k];
    }
    if (all) {
        b.all = true;
        b.edges.resize(n);
        for (std::size_t i = 0; i < n; ++i)
            b.edges[i] = static_cast<std::uint32_t>(i);
        return b;
    }
    b.first.assign(lines + 1, 0);
    for (std::size_t k = 0; k < lines; ++k)
        b.first[k + 1] = b.first[k] + count[k];
    b.edges.resize(total);
    std::vector<std::uint32_t> fill(b.first.begin(), b.first.end() - 1);
    for (std::size_t i = 0; i < n; ++i) {
        std::size_t lo = 0, hi = 0;
        if (reach(i, lo, hi))
            for (std::size_t k = lo; k <= hi; ++k)
                b.edges[fill[k]++] = static_cast<std::uint32_t>(i);
    }
    return b;
}

Simplification Simplified(const std::vector<Vec>& v, double tolerance) {
    const std::size_t n = v.size();
    Simplification out{v, 0};
    if (n < 4)
        return out;
    // Anchors: the first corner and the corner farthest from it; between them, keep the
    // corner farthest from the chord while it is at least the tolerance away.
    std::size_t far = 0;
    for (std::size_t i = 1; i < n; ++i)
        if (detail::Dist(v[0], v[i]) > detail::Dist(v[0], v[far]))
            far = i;
    if (far == 0)
        return out;
    std::vector<char> keep(n, 0);
    keep[0] = keep[far] = 1;
    std::vector<std::pair<std::size_t, std::size_t>> todo{{0, far}, {far, n}};
    while (!todo.empty()) {
        const auto [i, j] = todo.back();
        todo.pop_back();
        const Vec a = v[i], b = v[j % n];
        double worst = -1;
        std::size_t at = i;
        for (std::size_t k = i + 1; k < j; ++k) {
            const double d = detail::ToSegment(v[k], a, b).d;
            if (d > worst)
                worst = d, at = k;
        }
        if (at != i && worst >= tolerance) {
            keep[at] = 1;
            todo.push_back({i, at});
            todo.push_back({at, j});
        }
    }
    // A corner kept only to split a chord may still lie on the way between its final
    // neighbours: merge it too when every corner between them stays within the tolerance.
    const auto onWay = [&](std::size_t i, std::size_t k, std::size_t j) { // i < k < j, mod n
        for (std::size_t m = i + 1; m < j; ++m)
            if (m != k && detail::ToSegment(v[m % n], v[i % n], v[j % n]).d >= tolerance)
                return false;
        return detail::ToSegment(v[k % n], v[i % n], v[j % n]).d < tolerance;
    };
    std::vector<std::size_t> idx;
    for (std::size_t i = 0; i <= n; ++i) // the first corner again at the end closes the ring
        if (keep[i % n]) {
            idx.push_back(i);
            while (idx.size() >= 3 && onWay(idx[idx.size() - 3], idx[idx.size() - 2], idx.back()))
                idx.erase(idx.end() - 2);
        }
    idx.pop_back();
    // The first corner was kept as an anchor: merge it too when it lies on the way.
    if (idx.size() > 3 && onWay(idx.back(), n, n + idx[1]))
        idx.erase(idx.begin());
    std::vector<Vec> r;
    r.reserve(idx.size());
    for (const std::size_t i : idx)
        r.push_back(v[i % n]); // NOLINT(clang-analyzer-core.DivideZero): n >= 4 from the top
    if (r.size() < 3 || TwiceArea(r) == 0)
        return out;
    out.merged = n - r.size();
    out.ring = std::move(r);
    return out;
}

Simplification PlanningRing(std::vector<Vec> cleaned) {
    Simplification s = Simplified(cleaned, kMergeTolerance);
    if (s.merged > 0 && SelfIntersecting(s.ring))
        return {std::move(cleaned), 0};
    return s;
}

} // namespace korvale::ring

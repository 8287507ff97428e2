// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Fast questions about one ring of many corners: a grid of cells over the ring, each listing
// the edges that pass within a millimetre of it, answers "inside?" and "segment inside?"
// from the few edges near the point or segment instead of all of them. The answers are those
// of ring::PointInside and ring::SegmentInside, computed edge by edge the same way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "planning/ringgeom.h"

namespace korvale::ring {

class EdgeIndex {
  public:
    explicit EdgeIndex(const std::vector<Vec>& cleanedRing);
    bool PointInside(Vec p) const;
    bool SegmentInside(Vec a, Vec b) const;
    // An edge that passes within the touching distance of p, or the number of edges when none
    // does.
    std::size_t EdgeTouching(Vec p) const;
    // The edge the ray from p to +x meets first (as PointInside counts it), or the number of
    // edges when it meets none.
    std::size_t RayHit(Vec p) const;

  private:
    template <class F> void ForCells(Vec a, Vec b, double margin, F&& f) const;
    template <class F> void ForEdgesAlong(Vec a, Vec b, F&& f) const;
    std::vector<Vec> v_;
    double x0_ = 0, y0_ = 0, cell_ = 1;
    std::size_t nx_ = 1, ny_ = 1;
    std::vector<std::uint32_t> first_; // per cell: its edges are edges_[first_[c], first_[c+1])
    std::vector<std::uint32_t> edges_;
    mutable std::vector<std::uint32_t> seen_; // per edge: the query that last visited it
    mutable std::uint32_t query_ = 0;
};

// Calls f(i, j), i < j, at least once for every two edges of the ring `v` that come within a
// millimetre of each other (and for some farther apart) while f returns true. The edges are sorted
// into the cells of a grid about as fine as the edges, kept only where an edge passes: a traced
// border of many short edges around a large field meets a few neighbours per edge, not the
// hundreds that a cell of the coarse index holds.
void ForEdgePairsNear(const std::vector<Vec>& v,
                      const std::function<bool(std::size_t, std::size_t)>& f);

// The ring's edges by the parallel lines they reach, so that each line meets only those instead
// of the whole ring. The edge from corner i to i + 1 spans the values across[i] ... across[i + 1]
// (the corners' distances across the lines); line k lies at `at` + k * `step`. Of(k) lists, in
// ring order, every edge that comes within `margin` of line k (and some that come near). Should
// that take more than a few entries per edge and line (edges that each cross many lines), every
// line lists every edge.
struct EdgeBands {
    std::vector<std::uint32_t> first; // per line: its edges are edges[first[k], first[k+1])
    std::vector<std::uint32_t> edges;
    bool all = false;
    std::span<const std::uint32_t> Of(std::size_t k) const {
        if (all)
            return edges;
        return {edges.data() + first[k], first[k + 1] - first[k]};
    }
};
EdgeBands EdgesByBand(const std::vector<double>& across, double at, double step, std::size_t lines,
                      double margin);

// The cleaned ring `v` with every corner merged away that lies closer than `tolerance` to the edge
// that replaces it (Douglas-Peucker on the closed ring; the first corner stays first unless it is
// merged itself). Returns the ring unchanged when merging would leave less than a triangle.
struct Simplification {
    std::vector<Vec> ring;
    std::size_t merged = 0; // corners merged away
};
Simplification Simplified(const std::vector<Vec>& v, double tolerance);

// Corners closer than this to the line through their neighbours are merged before planning:
// far below what a drone flies or a GPS measures, far above the rounding a conversion from
// geographic coordinates leaves on the points of a straight edge.
inline constexpr double kMergeTolerance = 0.01; // metres

// The ring the plan works on: the drawn one with the corners merged that lie within
// kMergeTolerance of the way past them (points along a straight edge), unless merging would
// make it cross itself (a slit narrower than the tolerance).
Simplification PlanningRing(std::vector<Vec> cleaned);

} // namespace korvale::ring

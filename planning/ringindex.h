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
#include <vector>

#include "planning/ringgeom.h"

namespace korvale::ring {

class EdgeIndex {
  public:
    explicit EdgeIndex(const std::vector<Vec>& cleanedRing);
    bool PointInside(Vec p) const;
    bool SegmentInside(Vec a, Vec b) const;
    // Calls f(j) once for every edge j listed in a cell that edge i passes (i among them) while
    // f returns true.
    void EdgesNear(std::size_t i, const std::function<bool(std::uint32_t)>& f) const;

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

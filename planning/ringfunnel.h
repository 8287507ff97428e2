// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Shortest ways inside a simple ring of many corners in near-linear time.
//
// Method: the ring is cut into triangles once (ear clipping, each ear tested only against the
// concave corners in the grid cells its triangle passes, the search going on beside the last
// ear, so a traced border of 200,000 points takes a fraction of a second); every way is then found
// by locating the triangles of its ends, walking the one chain of triangles between them (the
// triangles' neighbourhood is a tree, as every cut of a simple ring splits it in two) and pulling
// the string tight through the chain's inner edges (the funnel). That is the same shortest way as
// the search over the concave corners, because a shortest way inside crosses exactly the cuts that
// separate its ends and bends only at corners of those cuts; but it costs the length of the chain
// instead of the square of the corners near the way, which on a GPS-walked border (half its points
// concave) is what decides whether a plan takes a second or a minute.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "planning/ringgeom.h"

namespace korvale::ring {

class EdgeIndex;

class FunnelPaths {
  public:
    // Null when the ring cannot be cut into triangles (rounding on a ring that is simple only
    // within the touching distance): the caller keeps the search over the corners then.
    // `index` is an index of the same ring and must outlive the result.
    static std::unique_ptr<FunnelPaths> Make(const std::vector<Vec>& cleanedRing,
                                             const EdgeIndex& index);
    // The shortest way from a to b inside (a and b included), or an empty list when a or b
    // lies outside the area. A bend the way takes by less than the touching distance is left
    // out, as the straight segment past it counts as inside.
    std::vector<Vec> Way(Vec a, Vec b) const;

  private:
    static constexpr std::uint32_t kNone = 0xffffffffu;
    FunnelPaths(const std::vector<Vec>& ring, const EdgeIndex& index) : v_(ring), index_(index) {}
    bool Triangulate();
    void Connect();
    bool Contains(std::uint32_t t, Vec p) const;
    std::uint32_t Locate(Vec p) const;
    std::vector<std::uint32_t> Chain(std::uint32_t from, std::uint32_t to) const;

    std::vector<Vec> v_;
    const EdgeIndex& index_;
    std::vector<std::array<std::uint32_t, 3>> tri_; // corners, counterclockwise
    std::vector<std::array<std::uint32_t, 3>> nbr_; // across the edge tri_[t][k] - tri_[t][k+1]
    std::vector<std::uint32_t> edgeTri_;            // per ring edge i (v_[i] - v_[i+1])
    std::vector<std::uint32_t> parent_, depth_;     // the triangles' tree, from triangle 0
};

} // namespace korvale::ring

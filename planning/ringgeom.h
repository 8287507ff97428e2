// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Plane geometry of the area's ring in local metres (relative to a point near the area, so
// that products keep centimetres): simplicity, convexity, whether a segment stays inside,
// and the shortest way between two inside points that does not leave the area.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

namespace korvale::ring {

struct Vec {
    double x = 0;
    double y = 0;
};

// Distances below this count as touching: far below anything a pilot or a drone can tell,
// far above the rounding of coordinates of a few kilometres.
inline constexpr double kTouch = 1e-6; // metres

// The ring without repeated consecutive vertices (nor a repeated first vertex at the end).
std::vector<Vec> Cleaned(const std::vector<Vec>& v);

// Twice the signed area (positive counterclockwise).
double TwiceArea(const std::vector<Vec>& v);

// Whether two edges that are not neighbours touch or cross, or two neighbours fold back onto
// each other. `v` must be Cleaned.
bool SelfIntersecting(const std::vector<Vec>& v);

// Whether every corner turns the same way (straight corners allowed). `v` must be Cleaned.
bool IsConvex(const std::vector<Vec>& v);

// Inside or on the border (within kTouch).
bool PointInside(const std::vector<Vec>& v, Vec p);

// Whether the closed segment a-b lies in the closed area (within kTouch).
bool SegmentInside(const std::vector<Vec>& v, Vec a, Vec b);

// The convex hull, counterclockwise from the corner with the least x (then y), without
// straight corners. Fewer than three corners when the points lie on one line.
std::vector<Vec> ConvexHull(std::vector<Vec> pts);

// Where the line o + t * d (d of length 1) meets the closed convex polygon `c`
// (counterclockwise): false when it misses it, else [t0, t1].
bool Span(const std::vector<Vec>& c, Vec o, Vec d, double& t0, double& t1);

// Whether the segment a-b passes through the inside of the convex polygon `c`
// (counterclockwise) deeper than the touching distance: running along its border or
// touching a corner does not count.
bool CrossesInside(const std::vector<Vec>& c, Vec a, Vec b);

// Whether p lies inside the convex polygon `c` deeper than the touching distance.
bool DeepInside(const std::vector<Vec>& c, Vec p);

class EdgeIndex;
class FunnelPaths;

// Shortest ways inside a simple ring, around convex obstacles in it. A shortest way bends only at
// concave corners, and only at those it wraps around (both neighbours of the corner on one side of
// the way); a way of length at most U bends only at corners c with |ac| + |cb| <= U. So each way is
// searched over the corners inside such an ellipse, U doubling from twice the straight distance
// until a way no longer than U is found: that way is the shortest over all corners. Whether two
// corners see each other is asked of an index of the edges and kept for later ways. An
// obstacle's corners are corners of the way's area too: every one of them is one a way may
// wrap around, as a concave corner of the ring. Without obstacles the ways come from the ring's
// triangles instead (FunnelPaths, the same shortest ways in near-linear time); the search over
// the corners stays for areas with obstacles and for a ring that cannot be cut into triangles.
class InsidePaths {
  public:
    // `obstacles`: convex polygons (counterclockwise) no way may pass through.
    explicit InsidePaths(std::vector<Vec> cleanedRing,
                         std::vector<std::vector<Vec>> obstacles = {});
    ~InsidePaths();
    InsidePaths(const InsidePaths&) = delete;
    InsidePaths& operator=(const InsidePaths&) = delete;
    // The way from a to b as a polyline (a and b included); the straight segment when it
    // stays inside or when no way inside is found (a or b outside the area).
    std::vector<Vec> Way(Vec a, Vec b);
    // The way from a to b, or an empty list when there is none inside that avoids the
    // obstacles (a or b outside, or cut off from each other).
    std::vector<Vec> Route(Vec a, Vec b);
    // Whether the closed segment a-b lies in the closed area, as SegmentInside answers, and
    // passes through no obstacle.
    bool Inside(Vec a, Vec b) const;
    // Route by the search over the corners alone, whatever the area: the reference the
    // triangles' ways are checked against.
    std::vector<Vec> CornerRoute(Vec a, Vec b);

  private:
    struct Corner {
        Vec at, prev, next; // the corner and its neighbours along its ring
    };
    struct Box {
        double x0, y0, x1, y1;
    };
    bool Wraps(std::size_t corner, Vec x) const;
    bool Sees(std::size_t i, std::size_t j);
    std::vector<Vec> v_;
    std::vector<std::vector<Vec>> obstacles_;
    std::vector<Box> boxes_; // of each obstacle
    std::unique_ptr<EdgeIndex> index_;
    std::unique_ptr<FunnelPaths> funnel_;             // asks index_; none with obstacles
    std::vector<Corner> corners_;                     // where a way may bend
    std::unordered_map<std::uint64_t, bool> visible_; // pairs of corners_ positions asked so far
};

} // namespace korvale::ring

// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Tile maps in Web Mercator (256-pixel tiles, z/x/y): pixel <-> latitude/longitude, and the
// control points that tie a captured tile-map view to the ground.
#pragma once

#include <array>

namespace korvale {

// Width and height of one tile in pixels; the world at zoom z is 256 * 2^z pixels wide.
inline constexpr double kTileSize = 256.0;
// The latitude where the square Web Mercator world ends (atan(sinh(pi)), in degrees).
inline constexpr double kMercatorMaxLatitude = 85.0511287798066;

struct GeoPos {
    double B = 0; // latitude, degrees
    double L = 0; // longitude, degrees
};

struct WorldPixel {
    double x = 0; // from the antimeridian (180° W) eastward
    double y = 0; // from the northern edge (85.05° N) southward
};

// Position in world pixels at zoom `zoom` (fractional zooms allowed), as the tile servers
// number their pixels: tile (x, y) covers world pixels [256 x, 256 (x + 1)) and likewise in y.
WorldPixel GeoToWorldPixel(double B, double L, double zoom);
// The inverse; longitudes outside -180..180 come back as they are (no wrap).
GeoPos WorldPixelToGeo(double x, double y, double zoom);

// What the tile-map page reports about the view it shows: the zoom and the positions of the
// view's top-left and bottom-right corners (the edges of the view, not pixel centres).
struct TileView {
    double zoom = 0;
    GeoPos topLeft;
    GeoPos bottomRight;
};

// One control point of a captured view: its position in the copy's pixels (x to the right,
// y downward, 0 at the copy's top-left edge) and its latitude and longitude.
struct TileControlPixel {
    double x = 0;
    double y = 0;
    GeoPos geo;
};

// The latitude and longitude of copy position (x, y) of a `width` x `height` copy of view `v`.
// The copy's pixels need not be the page's pixels (a screen with two device pixels per page
// pixel gives a copy twice as wide): the copy is spread over the reported corners. Longitudes
// come back within -180..180. Throws Error (Refused) with a German message for a view that
// cannot be a north-up Web Mercator map of that copy: a copy smaller than 2 x 2 pixels, a
// non-finite zoom or corner, a zoom outside 0..30, corners not left/above of each other or
// beyond the Mercator latitude limit, corners whose pixel scales across and down differ by
// more than 1 % (a distorted or rotated capture).
GeoPos TileCopyGeoAt(const TileView& v, int width, int height, double x, double y);

// Web Mercator puts the ellipsoid's latitudes on a sphere's Mercator projection, so a tile
// pixel covers less ground north-south than east-west, by the ratio of the meridian's radius
// of curvature to the prime vertical's (0.3 % at 48°, the same on every zoom). No similarity
// transformation absorbs that: over a window-sized copy it leaves residuals of almost a pixel.
// A copy whose height is resampled by this factor (relative to its width) has square pixels
// on the ground.
double TileCopyHeightScale(const TileView& v);

// How a grabbed view of `width` x `height` pixels becomes a map copy tied to the ground: the
// copy's size (its height to width resampled by TileCopyHeightScale, in whole pixels: the
// width may grow by up to 1 % so that the ratio comes out closer) and its five control points in
// the copy's pixels: its centre, then the points inset 10 % of width and height from the
// top-left, top-right, bottom-right and bottom-left corners. Copy position (x, y) shows grab
// position (x * grabPerCopyX, y * grabPerCopyY). Refuses what TileCopyGeoAt refuses.
struct TileCopyPlan {
    int width = 0;
    int height = 0;
    double grabPerCopyX = 1;
    double grabPerCopyY = 1;
    std::array<TileControlPixel, 5> points;
};
TileCopyPlan PlanTileCopy(const TileView& v, int width, int height);

} // namespace korvale

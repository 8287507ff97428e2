// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Web Mercator tile pixels and the control points of a captured tile-map view.
#include "georef/tilemap.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

#include "model/error.h"
#include "model/state.h"

namespace korvale {

namespace {

constexpr double kDeg = std::numbers::pi / 180.0;

double WorldSize(double zoom) {
    return kTileSize * std::exp2(zoom);
}

// The view as a linear map from copy pixels to world pixels; checked once for every use.
struct CopyToWorld {
    WorldPixel origin;
    double sx = 0; // world pixels per copy pixel, across
    double sy = 0; // and down
    double zoom = 0;
};

CopyToWorld CheckedView(const TileView& v, int width, int height) {
    const auto refuse = [](const char* why) {
        throw Error(ErrorKind::Refused,
                    std::string("Der Ausschnitt der Kachelkarte lässt sich nicht übernehmen: ") +
                        why);
    };
    if (width < 2 || height < 2)
        refuse("die Kopie ist leer.");
    const double values[] = {v.zoom, v.topLeft.B, v.topLeft.L, v.bottomRight.B, v.bottomRight.L};
    for (const double d : values)
        if (!std::isfinite(d))
            refuse("die Karte meldet keine gültige Position.");
    if (v.zoom < 0 || v.zoom > 30)
        refuse("die Zoomstufe liegt außerhalb von 0 bis 30.");
    if (std::fabs(v.topLeft.B) > kMercatorMaxLatitude ||
        std::fabs(v.bottomRight.B) > kMercatorMaxLatitude)
        refuse("der Ausschnitt reicht über den Rand der Karte (85° Breite) hinaus.");
    const WorldPixel a = GeoToWorldPixel(v.topLeft.B, v.topLeft.L, v.zoom);
    const WorldPixel b = GeoToWorldPixel(v.bottomRight.B, v.bottomRight.L, v.zoom);
    if (!(b.x > a.x && b.y > a.y))
        refuse("die Ecken der Karte liegen nicht links oben und rechts unten.");
    CopyToWorld m{a, (b.x - a.x) / width, (b.y - a.y) / height, v.zoom};
    // A north-up Mercator view has square pixels; anything else is not the map it claims.
    if (std::fabs(m.sx - m.sy) > 0.01 * std::max(m.sx, m.sy))
        refuse("die Karte ist verzerrt oder gedreht.");
    return m;
}

GeoPos At(const CopyToWorld& m, double x, double y) {
    GeoPos g = WorldPixelToGeo(m.origin.x + x * m.sx, m.origin.y + y * m.sy, m.zoom);
    // A view panned across the antimeridian reports longitudes beyond ±180.
    g.L = std::remainder(g.L, 360.0);
    return g;
}

} // namespace

WorldPixel GeoToWorldPixel(double B, double L, double zoom) {
    const double size = WorldSize(zoom);
    const double phi = B * kDeg;
    return {
        size * (L + 180.0) / 360.0,
        size * (0.5 - std::log(std::tan(std::numbers::pi / 4 + phi / 2)) / (2 * std::numbers::pi))};
}

GeoPos WorldPixelToGeo(double x, double y, double zoom) {
    const double size = WorldSize(zoom);
    const double n = std::numbers::pi * (1.0 - 2.0 * y / size);
    return {std::atan(std::sinh(n)) / kDeg, x / size * 360.0 - 180.0};
}

GeoPos TileCopyGeoAt(const TileView& v, int width, int height, double x, double y) {
    return At(CheckedView(v, width, height), x, y);
}

double TileCopyHeightScale(const TileView& v) {
    const double e2 = EllipsoidF * (2 - EllipsoidF);
    const double phi = 0.5 * (v.topLeft.B + v.bottomRight.B) * std::numbers::pi / 180.0;
    const double sin2 = std::sin(phi) * std::sin(phi);
    return (1 - e2) / (1 - e2 * sin2);
}

TileCopyPlan PlanTileCopy(const TileView& v, int width, int height) {
    const CopyToWorld m = CheckedView(v, width, height);
    // Whole pixels cannot take the height scale exactly (half a pixel in 860 is a sixth of
    // it): a few more pixels across may let the height fit better.
    const double want = TileCopyHeightScale(v) * height / width; // copy height per width
    TileCopyPlan plan;
    double best = 1e300;
    for (int w = width; w <= width + std::max(2, width / 100); ++w) {
        const int h = std::max(2, static_cast<int>(std::lround(want * w)));
        const double miss = std::fabs(static_cast<double>(h) / w / want - 1);
        if (miss < best - 1e-12) {
            best = miss;
            plan.width = w;
            plan.height = h;
        }
    }
    plan.grabPerCopyX = static_cast<double>(width) / plan.width;
    plan.grabPerCopyY = static_cast<double>(height) / plan.height;
    const double w = plan.width;
    const double h = plan.height;
    const double at[5][2] = {{0.5 * w, 0.5 * h},
                             {0.1 * w, 0.1 * h},
                             {0.9 * w, 0.1 * h},
                             {0.9 * w, 0.9 * h},
                             {0.1 * w, 0.9 * h}};
    for (std::size_t i = 0; i < 5; ++i)
        plan.points[i] = {at[i][0], at[i][1],
                          At(m, at[i][0] * plan.grabPerCopyX, at[i][1] * plan.grabPerCopyY)};
    return plan;
}

} // namespace korvale

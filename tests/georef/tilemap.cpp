// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Web Mercator tile pixels, and the control points that tie a captured tile-map view to UTM.
#include "georef/tilemap.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iostream>
#include <numbers>
#include <string>

#include "georef/clipboard.h"
#include "georef/transform.h"
#include "model/error.h"
#include "model/geodesy.h"
#include "model/state.h"

namespace korvale {
namespace {

TEST(TileMap, WorldPixelsAgreeWithEpsg3857) {
    // Reference pixels from pyproj (EPSG:4326 -> EPSG:3857, then scaled to 256 * 2^z pixels
    // from the north-west corner); the tile is the one a tile server names for the position.
    struct Case {
        double B, L, zoom, x, y;
        int tileX, tileY;
    };
    const Case cases[] = {
        {48.1372, 11.5755, 18, 35712261.59786667, 23289734.959285866, 139501, 90975},
        {0.0, 0.0, 0, 128.0, 128.0, 0, 0},
        {-33.8568, 151.2153, 15, 7717875.87584, 5033601.921266834, 30147, 19662},
        {64.1466, -21.9426, 12.5, 651069.3397690355, 394101.31184926885, 2543, 1539},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.B);
        const WorldPixel p = GeoToWorldPixel(c.B, c.L, c.zoom);
        EXPECT_NEAR(p.x, c.x, 1e-6);
        EXPECT_NEAR(p.y, c.y, 1e-6);
        EXPECT_EQ(static_cast<int>(std::floor(p.x / kTileSize)), c.tileX);
        EXPECT_EQ(static_cast<int>(std::floor(p.y / kTileSize)), c.tileY);
        const GeoPos back = WorldPixelToGeo(p.x, p.y, c.zoom);
        EXPECT_NEAR(back.B, c.B, 1e-11);
        EXPECT_NEAR(back.L, c.L, 1e-11);
    }
    // The square world ends at the Mercator limit.
    EXPECT_NEAR(GeoToWorldPixel(kMercatorMaxLatitude, -180, 3).y, 0.0, 1e-6);
    EXPECT_NEAR(WorldPixelToGeo(0, 2048, 3).B, -kMercatorMaxLatitude, 1e-12);
}

// A view of `w` x `h` page pixels centred at (B, L), as the page reports it.
TileView ViewAround(double B, double L, double zoom, double w, double h) {
    const WorldPixel c = GeoToWorldPixel(B, L, zoom);
    return {zoom, WorldPixelToGeo(c.x - w / 2, c.y - h / 2, zoom),
            WorldPixelToGeo(c.x + w / 2, c.y + h / 2, zoom)};
}

TEST(TileMap, FiveControlPixelsAtCentreAndInsetCornersOfTheResampledCopy) {
    const TileView v = ViewAround(48.1372, 11.5755, 18, 1000, 600);
    // North-south a Web Mercator pixel covers M/N of what it covers east-west.
    const double e2 = EllipsoidF * (2 - EllipsoidF);
    const double s2 = std::pow(std::sin(48.1372 * std::numbers::pi / 180), 2);
    EXPECT_NEAR(TileCopyHeightScale(v), (1 - e2) / (1 - e2 * s2), 1e-9);
    EXPECT_NEAR(TileCopyHeightScale(ViewAround(0, 0, 18, 1000, 600)), 1 - e2, 1e-9);

    // 600 * 0.997015 = 598.21 pixels: 1004 x 600 comes closer than 1000 x 598 does.
    const TileCopyPlan plan = PlanTileCopy(v, 1000, 600);
    ASSERT_EQ(plan.width, 1003);
    ASSERT_EQ(plan.height, 600);
    EXPECT_NEAR(plan.height / (plan.width * 0.6) / TileCopyHeightScale(v), 1, 1e-4);
    EXPECT_DOUBLE_EQ(plan.grabPerCopyX, 1000.0 / 1003.0);
    EXPECT_DOUBLE_EQ(plan.grabPerCopyY, 1.0);
    const double w = plan.width;
    const double h = plan.height;
    const double expected[5][2] = {
        {w / 2, h / 2}, {w / 10, h / 10}, {w * .9, h / 10}, {w * .9, h * .9}, {w / 10, h * .9}};
    const WorldPixel tl = GeoToWorldPixel(v.topLeft.B, v.topLeft.L, 18);
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        EXPECT_DOUBLE_EQ(plan.points[i].x, expected[i][0]);
        EXPECT_DOUBLE_EQ(plan.points[i].y, expected[i][1]);
        const WorldPixel p = GeoToWorldPixel(plan.points[i].geo.B, plan.points[i].geo.L, 18);
        EXPECT_NEAR(p.x - tl.x, expected[i][0] * plan.grabPerCopyX, 1e-6);
        EXPECT_NEAR(p.y - tl.y, expected[i][1] * plan.grabPerCopyY, 1e-6);
    }
    // A grab with two device pixels per page pixel: the same places at twice the pixels.
    const TileCopyPlan hidpi = PlanTileCopy(v, 2000, 1200);
    EXPECT_NEAR(hidpi.height / (hidpi.width * 0.6) / TileCopyHeightScale(v), 1, 1e-4);
    for (int i = 0; i < 5; ++i) {
        EXPECT_NEAR(hidpi.points[i].geo.B, plan.points[i].geo.B, 1e-12);
        EXPECT_NEAR(hidpi.points[i].geo.L, plan.points[i].geo.L, 1e-12);
    }
}

TEST(TileMap, ViewAcrossTheAntimeridianGivesLongitudesWithinRange) {
    TileView v = ViewAround(-17.0, 179.999, 16, 800, 600);
    v.bottomRight.L += 360 * (v.bottomRight.L < v.topLeft.L); // as the page reports it, unwrapped
    const GeoPos right = TileCopyGeoAt(v, 800, 600, 790, 300);
    EXPECT_LT(right.L, -179.99);
    EXPECT_GE(right.L, -180.0);
    EXPECT_NEAR(TileCopyGeoAt(v, 800, 600, 400, 300).L, 179.999, 1e-9);
}

TEST(TileMap, RefusesViewsThatAreNoNorthUpMercatorMap) {
    const TileView good = ViewAround(48.1, 11.5, 17, 800, 600);
    struct Case {
        const char* what;
        TileView v;
        int w, h;
        const char* because;
    };
    TileView nan = good;
    nan.topLeft.B = std::nan("");
    TileView zoom = good;
    zoom.zoom = 31;
    TileView swapped = good;
    std::swap(swapped.topLeft, swapped.bottomRight);
    TileView pole = ViewAround(85.0, 11.5, 3, 800, 600);
    const Case cases[] = {
        {"empty copy", good, 1, 600, "die Kopie ist leer."},
        {"no number", nan, 800, 600, "keine gültige Position"},
        {"zoom", zoom, 800, 600, "Zoomstufe"},
        {"corners swapped", swapped, 800, 600, "links oben und rechts unten"},
        {"beyond the world's edge", pole, 800, 600, "85° Breite"},
        {"stretched copy", good, 800, 700, "verzerrt oder gedreht"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        try {
            PlanTileCopy(c.v, c.w, c.h);
            ADD_FAILURE() << "accepted";
        } catch (const Error& e) {
            EXPECT_EQ(e.kind(), ErrorKind::Refused);
            EXPECT_NE(std::string(e.what()).find("Kachelkarte lässt sich nicht übernehmen"),
                      std::string::npos);
            EXPECT_NE(std::string(e.what()).find(c.because), std::string::npos) << e.what();
        }
    }
}

// The five points, converted as clipboard points are and fitted, tie every pixel of the
// resampled copy to the ground the tile scheme gives it: within 0.1 m at zoom 18 (a copy of
// about 800 m), also for a grab with two device pixels per page pixel. Without the resampling
// the same fit is off by 0.3 m and more (Web Mercator is not conformal on the ellipsoid).
TEST(TileMap, FitOfTheFivePointsMatchesTheTileSchemeAcrossTheCopy) {
    struct Case {
        double B, L, zoom;
        int pageW, pageH, ratio;
        bool resample;
        double tolerance; // metres; a pixel is 0.40 m at zoom 18 and 48°
    };
    const Case cases[] = {
        {48.1372, 11.5755, 18, 1280, 860, 1, true, 0.1},
        {48.1372, 11.5755, 18, 1280, 860, 2, true, 0.1},
        {-17.0, 179.9, 18, 1280, 860, 1, true, 0.1},
        {-17.0, 179.999, 18, 1280, 860, 1, true, 0.1},  // across 180°, fitted in zone 60
        {-17.0, -179.999, 18, 1280, 860, 1, true, 0.1}, // across 180°, fitted in zone 1
        {-33.8568, 151.2153, 18, 1000, 700, 1, true, 0.1},
        {60.17, 24.94, 18, 1280, 860, 1, true, 0.1},
        {48.1372, 11.5755, 16, 1280, 860, 1, true, 0.3}, // 3.4 km x 2.3 km, 1.6 m pixels
        {48.1372, 11.5755, 18, 1280, 860, 1, false, 0.3},
    };
    const double top = 80; // toolbar and tab header above the copy
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.B << " " << c.L << " z" << c.zoom << " ratio "
                                        << c.ratio << (c.resample ? "" : " not resampled"));
        const TileView v = ViewAround(c.B, c.L, c.zoom, c.pageW, c.pageH);
        const int w = c.pageW * c.ratio;
        const int h = c.pageH * c.ratio;
        TileCopyPlan plan = PlanTileCopy(v, w, h);
        if (!c.resample) {
            for (TileControlPixel& p : plan.points) {
                p.x *= plan.grabPerCopyX;
                p.y *= plan.grabPerCopyY;
                p.geo = TileCopyGeoAt(v, w, h, p.x, p.y);
            }
            plan.width = w;
            plan.height = h;
            plan.grabPerCopyX = plan.grabPerCopyY = 1;
        }
        State s;
        for (const TileControlPixel& p : plan.points)
            AddGeoControlPoint(s, p.geo.B, p.geo.L, static_cast<float>(p.x),
                               static_cast<float>(p.y + top));
        ASSERT_EQ(s.Points.size(), 5u);
        const TrafResult r = TrafPar(s);
        double worst = 0;
        for (int y = 0; y <= plan.height; y += plan.height / 8)
            for (int x = 0; x <= plan.width; x += plan.width / 8) {
                const GeoPos g =
                    TileCopyGeoAt(v, w, h, x * plan.grabPerCopyX, y * plan.grabPerCopyY);
                const UtmResult u =
                    GeoToUTM(CentralMeridianOfZone(s.UtmZone), EllipsoidA, EllipsoidF, g.B, g.L);
                const EastNorth en = Trafone(s, static_cast<float>(x), static_cast<float>(y + top));
                worst = std::max(worst, std::hypot(en.E - u.Y, en.N - u.X));
            }
        std::cout << "[ measured ] " << c.B << " z" << c.zoom << " ratio " << c.ratio
                  << (c.resample ? "" : " not resampled") << ": mp " << r.mp << " m, worst "
                  << worst << " m\n";
        if (c.resample) {
            EXPECT_LT(r.mp, c.tolerance);
            EXPECT_LT(worst, c.tolerance);
        } else {
            EXPECT_GT(worst, c.tolerance);
        }
    }
}

} // namespace
} // namespace korvale

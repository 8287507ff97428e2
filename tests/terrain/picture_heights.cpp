// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Heights above ground of the pictures of a mission over the terrain: the altitude between the
// waypoints of the leg a picture lies on, less the ground under it.
#include "terrain/picture_heights.h"

#include <gtest/gtest.h>

#include "tests/support/expect_error.h"

using namespace korvale;

namespace {

constexpr double E0 = 32500000, N0 = 5300000;

// A plane rising 0.2 m per metre east.
class Slope : public ElevationModel {
  public:
    std::vector<double> Heights(const std::vector<GroundPos>& at) const override {
        std::vector<double> h;
        for (const GroundPos& p : at)
            h.push_back(100 + 0.2 * (p.E - E0));
        return h;
    }
    double CellSizeM() const override { return 1; }
    std::string Name() const override { return "Hang"; }
};

TerrainWaypoint Wp(double e, double n, double altitude) {
    TerrainWaypoint w;
    w.at = {E0 + e, N0 + n};
    w.altitude = altitude;
    return w;
}

} // namespace

TEST(PictureHeights, AltitudeAlongTheLegLessTheGround) {
    TerrainResult r;
    r.takeoffGround = 100;
    // East along a line climbing with the slope, a leg north, back west level.
    r.waypoints = {Wp(0, 0, 40), Wp(100, 0, 60), Wp(100, 50, 60), Wp(0, 50, 60)};
    struct Case {
        double e, n;
        double height;
    };
    const std::vector<Case> pictures = {
        {0, 0, 40},    {50, 0, 40},   {100, 0, 40}, // keeps 40 m over the slope
        {100, 25, 40}, {100, 50, 40},               //
        {50, 50, 50},  {0, 50, 60},                 // level flight, falling ground
        {20, 45, 56}, // off the path: the nearest leg (the level one, 5 m away)
    };
    std::vector<GroundPos> at;
    for (const Case& c : pictures)
        at.push_back({E0 + c.e, N0 + c.n});
    const std::vector<double> h = HeightsAboveGroundAt(r, at, Slope());
    ASSERT_EQ(h.size(), pictures.size());
    for (std::size_t i = 0; i < h.size(); ++i)
        EXPECT_NEAR(h[i], pictures[i].height, 1e-9) << i;

    // One waypoint: its altitude everywhere.
    r.waypoints = {Wp(0, 0, 40)};
    EXPECT_NEAR(HeightsAboveGroundAt(r, {{E0 + 10, N0}}, Slope())[0], 38, 1e-9);
    r.waypoints.clear();
    test::ExpectError([&] { HeightsAboveGroundAt(r, at, Slope()); }, ErrorKind::Refused,
                      "Wegpunkte");
}

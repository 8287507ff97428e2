// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The DJI route over the ground: added waypoints take no picture and end no line, so the distance
// triggers run on to the line's end and the parts are still cut at line ends; the heights are
// those of FollowTerrain; a refusal leaves the route as it was.
#include "dji/terrain_route.h"

#include <algorithm>
#include <stdexcept>

#include <gtest/gtest.h>

#include "dji/profiles.h"
#include "dji/wpml_read.h"
#include "dji/wpml_write.h"
#include "model/error.h"
#include "planning/plan.h"

namespace korvale {
namespace {

const double kE0 = 32513000, kN0 = 5403000, kSlope = 0.5;

// Flat up to a fold 135 m east of the area's west edge, rising 50 % beyond it; refuses what lies
// east of `eastEnd`.
class FoldModel : public ElevationModel {
  public:
    explicit FoldModel(double eastEnd = 1e12) : eastEnd_(eastEnd) {}
    std::vector<double> Heights(const std::vector<GroundPos>& at) const override {
        std::vector<double> h;
        for (const GroundPos& p : at) {
            if (p.E > eastEnd_)
                throw Error(ErrorKind::Refused, "außerhalb");
            h.push_back(200 + kSlope * std::max(0.0, p.E - (kE0 + 135)));
        }
        return h;
    }
    double CellSizeM() const override { return 1; }
    std::string Name() const override { return "Falte"; }

  private:
    double eastEnd_;
};

struct Planned {
    State s;
    FlightPlan plan;
};

// 300 x 200 m, lines running east-west across the fold, 40 m apart, pictures every 30 m.
Planned Area() {
    Planned p;
    p.s.UtmZone = 32;
    const std::vector<PlanPt> ring = {
        {kE0, kN0}, {kE0 + 300, kN0}, {kE0 + 300, kN0 + 200}, {kE0, kN0 + 200}};
    p.plan = PlanFlight(ring, 0, 40, 30, 18);
    return p;
}

const DroneProfile& Profile(const char* key) {
    static const std::vector<DroneProfile> all =
        LoadDroneProfiles(KORVALE_SOURCE_DIR "/data/drones.json");
    return FindDroneProfile(all, key);
}

TEST(RouteOverGround, AddedWaypointsKeepPicturesLineEndsAndParts) {
    for (const char* key : {"m4e", "mini4pro"}) {
        SCOPED_TRACE(key);
        const Planned p = Area();
        const DroneProfile& d = Profile(key);
        const Route before = GridRoute(p.s, p.plan, d, {50, 5, 30});
        Route r = before;
        // A narrow band, so that even the 30 m between two pictures needs a waypoint at the fold.
        TerrainSettings t;
        t.toleranceM = 1;
        const TerrainResult res = RouteOverGround(r, p.s, FoldModel(), t);
        ASSERT_GT(res.added, 0u);
        ASSERT_EQ(r.waypoints.size(), before.waypoints.size() + res.added);
        std::size_t photos = 0, ends = 0, added = 0;
        for (std::size_t i = 0; i < r.waypoints.size(); ++i) {
            const RouteWaypoint& w = r.waypoints[i];
            const TerrainWaypoint& t = res.waypoints[i];
            EXPECT_DOUBLE_EQ(w.heightM, t.altitude);
            if (t.added) {
                ++added;
                EXPECT_FALSE(w.photo || w.lineEnd);
                EXPECT_EQ(w.photoDistanceM, 0);
                EXPECT_EQ(w.line, before.waypoints[t.leg].line);
                EXPECT_NEAR(w.planE, t.at.E, 1e-9);
            } else {
                const RouteWaypoint& o = before.waypoints[t.leg];
                EXPECT_EQ(w.photo, o.photo);
                EXPECT_EQ(w.lineEnd, o.lineEnd);
                EXPECT_EQ(w.lat, o.lat);
                // At the take-off's ground the height is the flight height.
                EXPECT_NEAR(w.heightM,
                            50 + kSlope * std::max(0.0, w.planE - (kE0 + 135)) -
                                kSlope * std::max(0.0, before.waypoints[0].planE - (kE0 + 135)),
                            1e-6);
            }
            photos += w.photo;
            ends += w.lineEnd;
        }
        EXPECT_EQ(added, res.added);
        std::size_t photosBefore = 0, endsBefore = 0;
        for (const RouteWaypoint& w : before.waypoints) {
            photosBefore += w.photo;
            endsBefore += w.lineEnd;
        }
        EXPECT_EQ(photos, photosBefore);
        EXPECT_EQ(ends, endsBefore);

        // Parts still begin at a line's start and end at a line's end (or its leg).
        const std::vector<Route> parts = SplitRoute(r, d, 6);
        ASSERT_GT(parts.size(), 1u);
        for (const Route& part : parts) {
            EXPECT_TRUE(part.waypoints.front().photo);
            EXPECT_NE(part.waypoints.front().line, -1);
        }
        // Each distance trigger still runs from a line's start to its end.
        if (d.firesDistanceTriggers) {
            const WpmlFiles f = EncodeWpml(r, d, {});
            const WpmlReadDoc doc = ReadWpmlXml(f.waylinesWpml, true);
            std::size_t triggers = 0;
            for (const WpmlReadPoint& pt : doc.folders.at(0).points)
                for (const WpmlReadGroup& g : pt.groups)
                    if (g.trigger == "multipleDistance") {
                        ++triggers;
                        const auto end = static_cast<std::size_t>(g.end.value());
                        EXPECT_TRUE(r.waypoints.at(end).lineEnd) << "group ends at " << end;
                    }
            EXPECT_EQ(triggers, photos);
        }
    }
}

TEST(RouteOverGround, RefusalLeavesTheRouteAsItWas) {
    const Planned p = Area();
    Route low = GridRoute(p.s, p.plan, Profile("m4e"), {50, 5, 30});
    for (RouteWaypoint& w : low.waypoints)
        w.heightM = 1; // below the least clearance above the ground
    const struct {
        const char* name;
        Route route;
        FoldModel dem;
    } cases[] = {{"model ends inside the area", GridRoute(p.s, p.plan, Profile("m4e"), {50, 5, 30}),
                  FoldModel(kE0 + 200)},
                 {"too low", low, FoldModel()}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Route r = c.route;
        EXPECT_THROW(RouteOverGround(r, p.s, c.dem, {}), Error);
        ASSERT_EQ(r.waypoints.size(), c.route.waypoints.size());
        for (std::size_t i = 0; i < r.waypoints.size(); ++i)
            EXPECT_EQ(r.waypoints[i].heightM, c.route.waypoints[i].heightM);
    }
}

} // namespace
} // namespace korvale

// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Heights above ground: the fewest added waypoints against a brute-force search, the band kept
// every metre over synthetic ramps, hills, cliffs and pits in UTM and in degrees, flat ground.
#include "terrain/follow.h"

#include <gtest/gtest.h>

#include <random>

#include "dem_support.h"
#include "model/error.h"
#include "terrain/gdal_model.h"

namespace korvale {
namespace {

using test::DemSpec;
using test::TempDir;
using test::WriteDem;

// Whether the polyline through the ends and `chosen` keeps every sample within tol.
bool Holds(const std::vector<double>& d, const std::vector<double>& target, double tol,
           std::vector<std::size_t> chosen) {
    chosen.insert(chosen.begin(), 0);
    chosen.push_back(d.size() - 1);
    for (std::size_t s = 0; s + 1 < chosen.size(); ++s) {
        const std::size_t u = chosen[s], v = chosen[s + 1];
        for (std::size_t k = u; k <= v; ++k) {
            const double t = d[v] > d[u] ? (d[k] - d[u]) / (d[v] - d[u]) : 0;
            if (std::fabs(target[u] + (target[v] - target[u]) * t - target[k]) > tol + 1e-9)
                return false;
        }
    }
    return true;
}

// The least number of interior samples that hold the band, by trying every subset.
std::size_t BruteForceFewest(const std::vector<double>& d, const std::vector<double>& target,
                             double tol) {
    const std::size_t inner = d.size() - 2;
    std::size_t best = inner;
    for (unsigned mask = 0; mask < (1u << inner); ++mask) {
        std::vector<std::size_t> chosen;
        for (std::size_t k = 0; k < inner; ++k)
            if (mask & (1u << k))
                chosen.push_back(k + 1);
        if (chosen.size() < best && Holds(d, target, tol, chosen))
            best = chosen.size();
    }
    return best;
}

TEST(FewestBreaks, MatchesABruteForceSearch) {
    std::mt19937 rng(23);
    std::uniform_real_distribution<double> step(0.3, 3), rise(-6, 6);
    for (int trial = 0; trial < 400; ++trial) {
        const std::size_t n = 3 + trial % 12;
        std::vector<double> d{0}, target{40};
        for (std::size_t k = 1; k < n; ++k) {
            d.push_back(d.back() + step(rng));
            // Rising, falling, steps and plateaus, as ground under a leg does.
            target.push_back(target.back() +
                             (trial % 3 == 0 ? std::round(rise(rng) / 4) * 4 : rise(rng)));
        }
        const double tol = trial % 2 ? 1.0 : 5.0;
        const std::vector<std::size_t> got = FewestBreaks(d, target, tol);
        EXPECT_TRUE(Holds(d, target, tol, got)) << trial;
        EXPECT_EQ(got.size(), BruteForceFewest(d, target, tol)) << trial;
        EXPECT_TRUE(std::is_sorted(got.begin(), got.end()));
    }
}

struct Terrain {
    const char* name;
    std::function<double(double x, double y)> h; // x, y metres east and north of the centre
};

const Terrain kTerrains[] = {
    {"ramp", [](double x, double y) { return 300 + 0.25 * x - 0.1 * y; }},
    {"sine hill",
     [](double x, double y) { return 300 + 40 * std::sin(x / 60) * std::cos(y / 90); }},
    {"cliff", [](double x, double) { return 300 + 30 * std::tanh((x - 17) / 1.5); }},
    {"pit", [](double x, double y) { return 300 - 25 * std::exp(-(x * x + y * y) / 2000); }},
};

// The model of a terrain around 50 N 9 E: in UTM 32 with 2 m cells, or in degrees with
// cells of about 3 m.
std::string MakeDem(const Terrain& t, bool degrees) {
    DemSpec s;
    s.cols = s.rows = 200;
    s.type = GDT_Float64;
    const GroundPos centre = test::FromGeo(32, 50, 9);
    if (!degrees) {
        s.dx = s.dy = 2;
        s.x0 = centre.E - 32000000 - 200;
        s.y0 = centre.N + 200;
        s.height = [&t, centre](double x, double y) {
            return t.h(x - (centre.E - 32000000), y - centre.N);
        };
    } else {
        s.epsg = 4326;
        s.dx = 4e-5;
        s.dy = 3e-5;
        s.x0 = 9 - 100 * s.dx;
        s.y0 = 50 + 100 * s.dy;
        s.height = [&t](double lon, double lat) {
            return t.h((lon - 9) * 71695, (lat - 50) * 111229);
        };
    }
    return WriteDem(TempDir() + "/" + t.name + (degrees ? "-4326" : "-32") + ".tif", s);
}

// A small grid mission over the centre: three lines of 240 m and the legs between them.
std::vector<TerrainWaypoint> Mission(double height) {
    const GroundPos c = test::FromGeo(32, 50, 9);
    std::vector<TerrainWaypoint> w;
    const double ys[] = {-60, 0, 60};
    for (int line = 0; line < 3; ++line) {
        const double x0 = line % 2 ? 120 : -120;
        for (double x : {x0, -x0}) {
            TerrainWaypoint p;
            p.at = {c.E + x, c.N + ys[line] + 0.3 * x / 120};
            p.altitude = height;
            p.photo = true;
            w.push_back(p);
        }
    }
    return w;
}

TEST(FollowTerrain, KeepsTheBandEveryMetreOverSyntheticTerrain) {
    for (const Terrain& t : kTerrains) {
        for (bool degrees : {false, true}) {
            SCOPED_TRACE(std::string(t.name) + (degrees ? " in degrees" : " in UTM"));
            const GdalElevationModel dem(MakeDem(t, degrees), 32, false);
            const std::vector<TerrainWaypoint> in = Mission(40);
            TerrainSettings set;
            set.toleranceM = 2;
            set.takeoff = test::FromGeo(32, 50.0005, 9.0003);
            const TerrainResult r = FollowTerrain(in, dem, set);
            const double g0 = dem.Heights({*set.takeoff}).front();
            EXPECT_DOUBLE_EQ(r.takeoffGround, g0);
            ASSERT_EQ(r.waypoints.size(), in.size() + r.added);
            // Straight ground needs no bend; curved ground at a 2 m tolerance does.
            EXPECT_EQ(r.added == 0, std::string(t.name) == "ramp") << r.added;

            std::size_t original = 0;
            for (const TerrainWaypoint& w : r.waypoints) {
                // Every waypoint sits exactly at the height above its ground.
                EXPECT_NEAR(w.altitude + g0 - dem.Heights({w.at}).front(), 40, 1e-9);
                EXPECT_EQ(w.photo, !w.added);
                if (!w.added) {
                    EXPECT_EQ(w.leg, original++);
                }
            }
            double lo = 1e9, hi = -1e9;
            for (std::size_t i = 0; i + 1 < r.waypoints.size(); ++i) {
                const TerrainWaypoint& a = r.waypoints[i];
                const TerrainWaypoint& b = r.waypoints[i + 1];
                const double len = std::hypot(b.at.E - a.at.E, b.at.N - a.at.N);
                std::vector<GroundPos> at;
                std::vector<double> alt;
                for (double m = 0; m < len + 1; m += 1) {
                    const double f = std::min(m, len) / (len > 0 ? len : 1);
                    at.push_back({a.at.E + (b.at.E - a.at.E) * f, a.at.N + (b.at.N - a.at.N) * f});
                    alt.push_back(a.altitude + (b.altitude - a.altitude) * f);
                }
                const std::vector<double> g = dem.Heights(at);
                for (std::size_t k = 0; k < at.size(); ++k) {
                    // A bilinear cell twists a diagonal leg a little between its bends.
                    EXPECT_NEAR(alt[k] + g0 - g[k], 40, 2 + 0.02) << i << " " << k;
                    lo = std::min(lo, g[k]);
                    hi = std::max(hi, g[k]);
                }
            }
            EXPECT_NEAR(r.groundMin, lo, 0.5);
            EXPECT_NEAR(r.groundMax, hi, 0.5);
            EXPECT_GE(r.minClearanceM, 38 - 0.02);
            ASSERT_FALSE(r.profile.empty());
            EXPECT_EQ(r.profile.back().leg, in.size() - 1);
        }
    }
}

TEST(FollowTerrain, RealModelsKeepTheBandAcrossTheirSlopes) {
    // Marburg: down the steep eastern slope of the model; Rome: from the Tiber up Monte Mario.
    const struct {
        const char* file;
        double lat0, lon0, lat1, lon1;
    } cases[] = {
        {"gisma__uavRmp__mrbiko.tif", 50.8400, 8.6700, 50.8450, 8.7050},
        {"Theta-Limited__OpenAthena-Legacy-Python__Rome-30m-DEM.tif", 41.9050, 12.4700, 41.9250,
         12.4400},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const int zone = UtmZoneForLongitude(c.lon0);
        const GdalElevationModel dem(std::string(KORVALE_FIXTURES_DIR) + "/dem/" + c.file, zone,
                                     false);
        std::vector<TerrainWaypoint> in(2);
        in[0].at = test::FromGeo(zone, c.lat0, c.lon0);
        in[1].at = test::FromGeo(zone, c.lat1, c.lon1);
        in[0].altitude = in[1].altitude = 50;
        const TerrainResult r = FollowTerrain(in, dem, {});
        EXPECT_GT(r.added, 0u);
        EXPECT_GT(r.groundMax - r.groundMin, 40);
        const double g0 = r.takeoffGround;
        for (std::size_t i = 0; i + 1 < r.waypoints.size(); ++i) {
            const TerrainWaypoint& a = r.waypoints[i];
            const TerrainWaypoint& b = r.waypoints[i + 1];
            const double len = std::hypot(b.at.E - a.at.E, b.at.N - a.at.N);
            std::vector<GroundPos> at;
            std::vector<double> alt;
            for (double m = 0; m < len; m += 1) {
                at.push_back(
                    {a.at.E + (b.at.E - a.at.E) * m / len, a.at.N + (b.at.N - a.at.N) * m / len});
                alt.push_back(a.altitude + (b.altitude - a.altitude) * m / len);
            }
            const std::vector<double> g = dem.Heights(at);
            for (std::size_t k = 0; k < at.size(); ++k)
                EXPECT_NEAR(alt[k] + g0 - g[k], 50, 5 + 0.02) << i << " " << k;
        }
    }
}

TEST(FollowTerrain, FlatGroundAddsNothingAndKeepsTheHeights) {
    const Terrain flat{"flat", [](double, double) { return 123.25; }};
    for (bool degrees : {false, true}) {
        const GdalElevationModel dem(MakeDem(flat, degrees), 32, false);
        const std::vector<TerrainWaypoint> in = Mission(40);
        const TerrainResult r = FollowTerrain(in, dem, {});
        ASSERT_EQ(r.waypoints.size(), in.size());
        EXPECT_EQ(r.added, 0u);
        for (std::size_t i = 0; i < in.size(); ++i) {
            EXPECT_EQ(r.waypoints[i].altitude, 40);
            EXPECT_EQ(r.waypoints[i].at.E, in[i].at.E);
            EXPECT_EQ(r.waypoints[i].at.N, in[i].at.N);
        }
        EXPECT_EQ(r.groundMin, 123.25);
        EXPECT_EQ(r.groundMax, 123.25);
    }
}

TEST(FollowTerrain, RefusesAGapUnderThePathAndABadTolerance) {
    DemSpec s;
    s.cols = s.rows = 200;
    s.dx = s.dy = 2;
    const GroundPos c = test::FromGeo(32, 50, 9);
    s.x0 = c.E - 32000000 - 200;
    s.y0 = c.N + 200;
    s.noData = -32768;
    s.type = GDT_Int16;
    // A hole of a few cells under the middle line only.
    s.height = [c](double x, double y) {
        const double dx = x - (c.E - 32000000), dy = y - c.N;
        return std::hypot(dx - 30, dy) < 5 ? -32768.0 : 200.0;
    };
    const GdalElevationModel dem(WriteDem(TempDir() + "/gap.tif", s), 32, false);
    try {
        FollowTerrain(Mission(40), dem, {});
        ADD_FAILURE();
    } catch (const Error& e) {
        EXPECT_EQ(e.kind(), ErrorKind::Refused);
        EXPECT_NE(std::string(e.what()).find("keinen Wert"), std::string::npos) << e.what();
    }
    for (double tol : {0.5, 20.5, std::nan("")}) {
        TerrainSettings set;
        set.toleranceM = tol;
        EXPECT_THROW(FollowTerrain(Mission(40), dem, set), Error);
    }
}

} // namespace
} // namespace korvale

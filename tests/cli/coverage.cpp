// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// korvale-plan's coverage map, footprints and crosshatch as GIS programs read them: the
// GeoTIFF's extent, cell size and UTM system north and south of the equator, the footprints
// around their pictures, the second grid at right angles, and the refusals that write nothing.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "model/format.h"
#include "model/geodesy.h"
#include "model/state.h"
#include "tests/cli/run_plan.h"
#include "tests/exchange/ogr_oracle.h"
#include "tests/support/temp_dir.h"

namespace korvale {
namespace {

namespace fs = std::filesystem;
using test::Outcome;
using test::Plan;
using testing::Shell;
using testing::TempDir;
using json = nlohmann::json;

// A U-shaped field (300 m x 240 m, a notch 100 m wide and 160 m deep) at lat, lon.
std::string Field(const TempDir& dir, double lat, double lon) {
    const double m = 1.0 / 111200.0, me = m / std::cos(lat / Rho);
    const double xy[][2] = {{0, 0},    {300, 0},   {300, 240}, {200, 240}, {200, 80},
                            {100, 80}, {100, 240}, {0, 240},   {0, 0}};
    std::string coords;
    for (const auto& p : xy)
        coords +=
            Format("%s[%.9f,%.9f]", {coords.empty() ? "" : ",", lon + p[0] * me, lat + p[1] * m});
    const std::string path = dir.File("feld.geojson");
    std::ofstream(path) << R"({"type":"Polygon","coordinates":[[)" << coords << "]]}";
    return path;
}

json Features(const std::string& path) {
    std::ifstream in(path);
    return json::parse(in)["features"];
}

TEST(PlanCoverage, GeoTiffAndFootprintsAsGisProgramsReadThem) {
    struct Case {
        double lat, lon;
        const char* cell;
        int epsg;
    };
    for (const Case k : {Case{48.0, 11.0, "1", 32632}, Case{-33.9, 18.4, "2.5", 32734}}) {
        SCOPED_TRACE(k.epsg);
        TempDir dir;
        const std::string area = Field(dir, k.lat, k.lon);
        const std::string tif = dir.File("abdeckung.tif"), fp = dir.File("umrisse.geojson"),
                          plan = dir.File("plan.geojson");
        const Outcome r = Plan({"--coverage", tif, "--coverage-cell", k.cell, "--footprints", fp,
                                "--geojson", plan, "--front", "80", "--side", "70", area});
        ASSERT_EQ(r.status, 0) << r.err;
        const json totals = json::parse(r.out);
        EXPECT_DOUBLE_EQ(totals["covered_pct"].get<double>(), 100.0);
        EXPECT_GE(totals["min_count"].get<int>(), 1);

        const auto info = Shell("gdalinfo -json -stats '" + tif + "'", dir);
        ASSERT_EQ(info.status, 0) << info.err;
        const json j = json::parse(info.out);
        const std::string wkt = j["coordinateSystem"]["wkt"];
        EXPECT_NE(wkt.find("ID[\"EPSG\"," + std::to_string(k.epsg) + "]]"), std::string::npos);
        const double cell = std::stod(k.cell);
        EXPECT_DOUBLE_EQ(j["geoTransform"][1].get<double>(), cell);
        EXPECT_DOUBLE_EQ(j["geoTransform"][5].get<double>(), -cell);
        // The raster spans the field's corners in standard UTM, less than a cell beyond them.
        State s;
        s.UtmZone = UtmZoneForLongitude(k.lon);
        s.UtmSouth = k.lat < 0;
        double west = 1e300, east = -1e300, south = 1e300, north = -1e300;
        const json planFeatures = Features(plan);
        for (const json& c : planFeatures[0]["geometry"]["coordinates"][0]) {
            const UtmResult u = GeoToProjectUtm(s, c[1], c[0]);
            const StandardUtm su = ToStandardUtm(s, u.Y, u.X);
            west = std::min(west, su.easting), east = std::max(east, su.easting);
            south = std::min(south, su.northing), north = std::max(north, su.northing);
        }
        const auto corner = j["cornerCoordinates"];
        const double w = corner["upperLeft"][0], n = corner["upperLeft"][1];
        const double e = corner["lowerRight"][0], so = corner["lowerRight"][1];
        EXPECT_LE(w, west);
        EXPECT_GT(w, west - cell);
        EXPECT_GE(e, east);
        EXPECT_LT(e, east + cell);
        EXPECT_LE(so, south);
        EXPECT_GT(so, south - cell);
        EXPECT_GE(n, north);
        EXPECT_LT(n, north + cell);
        const json band = j["bands"][0];
        EXPECT_EQ(band["noDataValue"].get<double>(), 65535);
        EXPECT_EQ(band["minimum"].get<double>(), totals["min_count"].get<double>());
        // The notch lies outside: no-data there, though it is inside the raster.
        const auto notch = Shell(Format("gdallocationinfo -valonly -geoloc '%s' %.3f %.3f",
                                        {tif, west + 150, south + 200}),
                                 dir);
        EXPECT_EQ(notch.out, "65535\n");

        // Each footprint is centred on its picture, 80 % / 70 %: five per photo base.
        const json feet = Features(fp), pictures = [&] {
            json p = json::array();
            for (const json& f : planFeatures)
                if (f["properties"]["kind"] == "picture")
                    p.push_back(f);
            return p;
        }();
        ASSERT_EQ(feet.size(), pictures.size());
        ASSERT_EQ(feet.size(), totals["pictures"].get<std::size_t>());
        for (std::size_t i = 0; i < feet.size(); i += 37) {
            const json ring = feet[i]["geometry"]["coordinates"][0];
            ASSERT_EQ(ring.size(), 5u);
            EXPECT_EQ(ring[0], ring[4]);
            double lon = 0, lat = 0;
            for (int c = 0; c < 4; ++c)
                lon += ring[c][0].get<double>() / 4, lat += ring[c][1].get<double>() / 4;
            EXPECT_NEAR(lon, pictures[i]["geometry"]["coordinates"][0].get<double>(), 1e-8);
            EXPECT_NEAR(lat, pictures[i]["geometry"]["coordinates"][1].get<double>(), 1e-8);
            EXPECT_EQ(feet[i]["properties"]["index"], i);
        }
        // ogrinfo reads it as polygons with the index and the line.
        const auto ogr = Shell("ogrinfo -ro -al -q '" + fp + "'", dir);
        ASSERT_EQ(ogr.status, 0) << ogr.err;
        const auto parsed = testing::ParseOgrinfo(ogr.out);
        ASSERT_EQ(parsed.size(), feet.size());
        EXPECT_EQ(parsed.back().geometryType, "POLYGON");
        EXPECT_EQ(parsed.back().Field("line"),
                  std::to_string(feet.back()["properties"]["line"].get<int>()));
        EXPECT_EQ(parsed.back().Field("index"), std::to_string(feet.size() - 1));
    }
}

TEST(PlanCoverage, CrosshatchFliesTheSecondGridAtRightAngles) {
    TempDir dir;
    const std::string area = Field(dir, 48.0, 11.0);
    const std::string one = dir.File("eins.geojson"), two = dir.File("zwei.geojson");
    const Outcome a =
        Plan({"--angle", "20", "--geojson", one, "--coverage", dir.File("a.tif"), area});
    const Outcome b =
        Plan({"--angle", "20", "--crosshatch", "--geojson", two, "--coverage", dir.File("b.tif"),
              "--litchi", dir.File("m.csv"), "--battery-min", "120", area});
    ASSERT_EQ(a.status, 0) << a.err;
    ASSERT_EQ(b.status, 0) << b.err;
    const json ta = json::parse(a.out), tb = json::parse(b.out);
    EXPECT_GT(tb["strips"].get<int>(), ta["strips"].get<int>());
    EXPECT_GT(tb["pictures"].get<int>(), ta["pictures"].get<int>() * 3 / 2);
    EXPECT_GT(tb["min_count"].get<int>(), ta["min_count"].get<int>());
    // The first lines are those of the plain plan; the rest run at right angles to them.
    std::vector<json> la, lb;
    for (const json& f : Features(one))
        if (f["properties"]["kind"] == "line")
            la.push_back(f["geometry"]["coordinates"]);
    for (const json& f : Features(two))
        if (f["properties"]["kind"] == "line")
            lb.push_back(f["geometry"]["coordinates"]);
    ASSERT_GT(lb.size(), la.size());
    for (std::size_t i = 0; i < la.size(); ++i)
        EXPECT_EQ(la[i], lb[i]);
    State s; // zone 32, where the plan is
    const auto axis = [&s](const json& l) {
        const UtmResult a = GeoToProjectUtm(s, l[0][1], l[0][0]);
        const UtmResult b = GeoToProjectUtm(s, l[1][1], l[1][0]);
        return std::fmod(std::atan2(b.X - a.X, b.Y - a.Y) * Rho + 360, 180);
    };
    for (std::size_t i = la.size(); i < lb.size(); ++i) {
        const double d = std::fabs(axis(lb[i]) - std::fmod(axis(la[0]) + 90, 180));
        EXPECT_LT(std::min(d, 180 - d), 1e-3) << i; // 9 decimals: 0.1 mm at the ends
    }
}

TEST(PlanCoverage, RefusalsWriteNothing) {
    TempDir dir;
    const std::string area = Field(dir, 48.0, 11.0);
    const std::string tif = dir.File("k.tif");
    struct Case {
        std::vector<std::string> args;
        const char* says;
    };
    const std::vector<Case> cases = {
        {{"--coverage", tif, "--coverage-cell", "0", area}, "--coverage-cell: 0 liegt außerhalb"},
        {{"--coverage", tif, "--coverage-cell", "x", area}, "ist keine Zahl"},
        {{"--coverage", tif, "--coverage-cell", "500", area}, "außerhalb von 0.1 bis 100"},
        {{"--crosshatch=ja", area}, "--crosshatch nimmt keinen Wert"},
        {{"--coverage", "", area}, "--coverage braucht einen Dateinamen"},
        {{"--footprints", area, area}, "ist die gelesene Datei"},
        {{"--coverage", tif, "--dxf", dir.File("ordner.dxf"), area}, "korvale-plan: "},
    };
    fs::create_directory(dir.File("ordner.dxf"));
    for (const Case& c : cases) {
        const Outcome r = Plan(c.args);
        EXPECT_EQ(r.status, 1) << c.says;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(tif)) << c.says;
    }
}

} // namespace
} // namespace korvale

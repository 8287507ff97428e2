// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// korvale-plan over an elevation model: the real models of Rome and Marburg, flat ground giving
// the files of a plan without a model, and every refusal with exit 1 and nothing written.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "../terrain/dem_support.h"
#include "cli/plan_command.h"
#include "dji/wpml_read.h"
#include "litchi/csv.h"
#include "model/format.h"
#include "tests/cli/run_plan.h"

namespace korvale {
namespace {

namespace fs = std::filesystem;

using test::Outcome;
using test::Plan;

std::string Slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const std::string kDem = std::string(KORVALE_FIXTURES_DIR) + "/dem/";
const std::string kRome = kDem + "Theta-Limited__OpenAthena-Legacy-Python__Rome-30m-DEM.tif";
const std::string kMarburg = kDem + "gisma__uavRmp__mrbiko.tif";

// A rectangle of about w x h metres with its south-west corner at lat, lon, as GeoJSON.
std::string Area(const std::string& name, double lat, double lon, double w, double h) {
    const double dLat = h / 111200, dLon = w / (111320 * std::cos(lat / Rho));
    const std::string path = test::TempDir() + "/" + name + ".geojson";
    std::ofstream(path) << Format(
        "{\"type\": \"Polygon\", \"coordinates\": [[[%.9f,%.9f],[%.9f,%.9f],[%.9f,%.9f],"
        "[%.9f,%.9f],[%.9f,%.9f]]]}",
        {lon, lat, lon + dLon, lat, lon + dLon, lat + dLat, lon, lat + dLat, lon, lat});
    return path;
}

std::vector<std::string> With(std::vector<std::string> a, const std::vector<std::string>& more) {
    a.insert(a.end(), more.begin(), more.end());
    return a;
}

TEST(PlanOverGround, RealModelsGiveHeightsAboveTheirGround) {
    struct Case {
        const char* name;
        std::string dem;
        double lat, lon;
    };
    // Rome: the Tiber valley towards Monte Mario; Marburg: across the steep eastern slope.
    const Case cases[] = {{"rome", kRome, 41.905, 12.44}, {"marburg", kMarburg, 50.838, 8.686}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string dir = test::TempDir() + "/" + c.name;
        fs::create_directories(dir);
        const std::vector<std::string> base = {Area(c.name, c.lat, c.lon, 900, 500), "--height",
                                               "60", "--side", "60"};
        const Outcome flat = Plan(base);
        ASSERT_EQ(flat.status, 0) << flat.err;
        const Outcome r =
            Plan(With(base, {"--dem", c.dem, "--terrain-tolerance", "3", "--geojson",
                             dir + "/plan.geojson", "--litchi", dir + "/mission.csv"}));
        ASSERT_EQ(r.status, 0) << r.err;
        const auto json = nlohmann::json::parse(r.out);
        const auto before = nlohmann::json::parse(flat.out);
        EXPECT_EQ(json["strips"], before["strips"]);
        // Parts still end at line ends: the added waypoints change no battery's way.
        EXPECT_EQ(json["batteries"], before["batteries"]);
        EXPECT_FALSE(before.contains("ground_min"));
        const double gmin = json["ground_min"], gmax = json["ground_max"];
        EXPECT_LT(gmin, gmax);
        EXPECT_GE(gmin, c.dem == kRome ? -6 : 203.9);
        EXPECT_LE(gmax, c.dem == kRome ? 238 : 412);

        const auto geo = nlohmann::json::parse(Slurp(dir + "/plan.geojson"));
        int waypoints = 0;
        double ground0 = 0;
        for (const auto& f : geo["features"]) {
            if (f["properties"]["kind"] != "waypoint")
                continue;
            const double g = f["properties"]["ground_m"], alt = f["properties"]["altitude_m"];
            if (waypoints++ == 0)
                ground0 = g; // the take-off is the first waypoint
            EXPECT_NEAR(alt - (g - ground0), 60, 0.011);
            EXPECT_GE(g, gmin - 0.005);
            EXPECT_LE(g, gmax + 0.005);
        }
        EXPECT_EQ(waypoints, json["waypoints"]);
        EXPECT_GT(waypoints, 2 * static_cast<int>(json["strips"]));
    }
}

TEST(PlanOverGround, FlatGroundWritesThePlanOfNoModel) {
    test::DemSpec s;
    const GroundPos c = test::FromGeo(32, 50.5, 9.5);
    s.cols = s.rows = 300;
    s.dx = s.dy = 5;
    s.x0 = c.E - 32000000 - 750;
    s.y0 = c.N + 750;
    s.height = [](double, double) { return 271.0; };
    const std::string dem = test::WriteDem(test::TempDir() + "/flat.tif", s);
    const std::string area = Area("flat", 50.5, 9.5, 600, 400);
    std::string files[2][4];
    const char* kinds[] = {"litchi", "dxf", "kml", "geojson"};
    for (int run = 0; run < 2; ++run) {
        const std::string dir = test::TempDir() + "/flat" + std::to_string(run);
        fs::create_directories(dir);
        std::vector<std::string> args = {area, "--max-waypoints", "10"};
        for (const char* k : kinds)
            args = With(args, {std::string("--") + k, dir + "/plan." + k});
        if (run == 1)
            args = With(args, {"--dem", dem, "--takeoff", "50.499,9.501"});
        const Outcome r = Plan(args);
        ASSERT_EQ(r.status, 0) << r.err;
        for (int k = 0; k < 4; ++k) {
            const std::string name = std::string("plan.") + kinds[k];
            files[run][k] = Slurp(dir + "/" + (k == 0 ? "plan_1.csv" : name));
        }
    }
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(files[1][k], files[0][k]) << kinds[k];
    // The GeoJSON adds the ground and the altitude to each waypoint, nothing else.
    std::string geo = files[1][3];
    for (std::size_t at;
         (at = geo.find(", \"ground_m\": 271.00, \"altitude_m\": 40.00")) != std::string::npos;)
        geo.erase(at, 41);
    EXPECT_EQ(geo, files[0][3]);
}

TEST(PlanOverGround, RefusalsWriteNothingAndExitOne) {
    const std::string dir = test::TempDir() + "/bad";
    fs::create_directories(dir);
    std::ofstream(dir + "/notes.tif") << "kein Raster";
    test::DemSpec bare;
    bare.cols = bare.rows = 50;
    bare.epsg = 0;
    bare.height = [](double, double) { return 1.0; };
    test::WriteDem(dir + "/nocrs.tif", bare);
    // A hole of no-data cells under the middle of the Marburg-like flat area.
    test::DemSpec holed;
    const GroundPos c = test::FromGeo(32, 50.5, 9.5);
    holed.cols = holed.rows = 300;
    holed.dx = holed.dy = 5;
    holed.x0 = c.E - 32000000 - 750;
    holed.y0 = c.N + 750;
    holed.noData = -9999;
    holed.height = [c](double x, double y) {
        return std::hypot(x - (c.E - 32000000 + 300), y - (c.N + 200)) < 30 ? -9999.0 : 100.0;
    };
    test::WriteDem(dir + "/hole.tif", holed);
    const std::string area = Area("bad", 50.5, 9.5, 600, 400);
    const struct {
        std::vector<std::string> extra;
        std::string says;
    } cases[] = {
        {{"--dem", dir + "/notes.tif"}, "kein Höhenmodell"},
        {{"--dem", dir + "/fehlt.tif"}, "Datei nicht gefunden"},
        {{"--dem", dir + "/nocrs.tif"}, "kein Koordinatensystem"},
        {{"--dem", kRome}, "deckt die Position"},
        {{"--dem", dir + "/hole.tif"}, "keinen Wert"},
        {{"--dem", dir + "/hole.tif", "--takeoff", "50.6,9.5"}, "Startpunkt: Das Höhenmodell"},
        {{"--dem", kRome, "--terrain-tolerance", "25"}, "außerhalb von 1 bis 20"},
        {{"--takeoff", "91,9.5"}, "außerhalb von -84 bis 84"},
        {{"--dem", kRome, "--takeoff", "50.5"}, "BREITE,LÄNGE"},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.says);
        const Outcome r = Plan(
            With({area, "--litchi", dir + "/m.csv", "--geojson", dir + "/p.geojson"}, k.extra));
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find(k.says), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty());
        EXPECT_FALSE(fs::exists(dir + "/m.csv") || fs::exists(dir + "/m_1.csv"));
        EXPECT_FALSE(fs::exists(dir + "/p.geojson"));
    }

    // The model is read by the run: no output replaces it, by its name or as a mission part.
    test::DemSpec flat = holed;
    flat.noData.reset();
    flat.height = [](double, double) { return 100.0; };
    const std::string model = test::WriteDem(dir + "/gelaende.tif", flat);
    const std::string part = test::WriteDem(dir + "/teil_2.tif", flat);
    const std::string before = Slurp(model);
    const struct {
        std::string dem;
        std::vector<std::string> out;
    } inputs[] = {
        {model, {"--geojson", model}},
        {part, {"--litchi", dir + "/teil.tif", "--max-waypoints", "10"}},
    };
    for (const auto& k : inputs) {
        SCOPED_TRACE(k.dem);
        const Outcome r = Plan(With({area, "--dem", k.dem}, k.out));
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("ist die gelesene Datei"), std::string::npos) << r.err;
        EXPECT_EQ(Slurp(k.dem), before);
        EXPECT_FALSE(fs::exists(dir + "/teil_1.tif"));
    }
}

// The files of one name in a folder, "name.ext" or its parts "name_k.ext" in part order.
std::vector<std::string> PartFiles(const std::string& dir, const std::string& name,
                                   const std::string& ext) {
    std::vector<std::string> found;
    if (fs::exists(dir + "/" + name + ext))
        found.push_back(dir + "/" + name + ext);
    for (int k = 1; fs::exists(dir + "/" + name + "_" + std::to_string(k) + ext); ++k)
        found.push_back(dir + "/" + name + "_" + std::to_string(k) + ext);
    return found;
}

struct KmzPoint {
    GroundPos at;
    double height = 0;
};

// The waylines' waypoints of every part, checking on the way that the template carries the same
// positions and heights and that the heights are relative to the start point.
std::vector<std::vector<KmzPoint>> KmzParts(const std::vector<std::string>& files) {
    std::vector<std::vector<KmzPoint>> parts;
    for (const std::string& f : files) {
        const WpmlReadKmz kmz = ReadWpmlKmz(Slurp(f));
        const WpmlReadDoc way = ReadWpmlXml(kmz.waylinesWpml.value(), true);
        const WpmlReadDoc tpl = ReadWpmlXml(kmz.templateKml.value(), false);
        EXPECT_EQ(way.folders.at(0).heightMode, "relativeToStartPoint");
        const auto& wp = way.folders.at(0).points;
        const auto& tp = tpl.folders.at(0).points;
        EXPECT_EQ(wp.size(), tp.size());
        std::vector<KmzPoint> part;
        for (std::size_t i = 0; i < wp.size() && i < tp.size(); ++i) {
            EXPECT_EQ(wp[i].height, tp[i].height) << f << " #" << i;
            EXPECT_EQ(wp[i].lat, tp[i].lat);
            part.push_back(
                {test::FromGeo(32, wp[i].lat.value(), wp[i].lon.value()), wp[i].height.value()});
        }
        parts.push_back(part);
    }
    return parts;
}

// Flat west of a north-south fold, rising 15 % east of it: a straight leg across the fold would
// pass far below the band, so waypoints are added there.
double Fold(GroundPos c, double x) {
    return 100 + 0.15 * std::max(0.0, x - (c.E - 32000000 + 120));
}

TEST(PlanOverGround, DjiMissionFliesTheHeightsOfTheLitchiMission) {
    const GroundPos c = test::FromGeo(32, 50.5, 9.5);
    test::DemSpec s;
    s.cols = s.rows = 300;
    s.dx = s.dy = 5;
    s.x0 = c.E - 32000000 - 750;
    s.y0 = c.N + 750;
    s.height = [c](double x, double) { return Fold(c, x); };
    const std::string dem = test::WriteDem(test::TempDir() + "/fold.tif", s);
    const std::string area = Area("fold", 50.5, 9.5, 500, 300);
    const GroundPos takeoff = test::FromGeo(32, 50.4995, 9.4995);
    const double height = 40, tol = 4;
    // One drone that flies the line ends with distance triggers (the Litchi mission's waypoints)
    // and one that needs a waypoint at every picture.
    for (const char* drone : {"m4e", "mini4pro"}) {
        SCOPED_TRACE(drone);
        const std::string dir = test::TempDir() + "/fold-" + drone;
        fs::create_directories(dir);
        const Outcome r = Plan({area, "--drone", drone, "--height", "40", "--dem", dem,
                                "--terrain-tolerance", "4", "--takeoff", "50.4995,9.4995",
                                "--litchi", dir + "/m.csv", "--wpml", dir + "/flug"});
        ASSERT_EQ(r.status, 0) << r.err;
        const auto json = nlohmann::json::parse(r.out);
        std::vector<TlitchRec> csv;
        for (const std::string& f : PartFiles(dir, "m", ".csv"))
            for (const TlitchRec& rec : ParseLitchiCsv(Slurp(f)))
                csv.push_back(rec);
        const auto parts = KmzParts(PartFiles(dir, "flug", ".kmz"));
        ASSERT_FALSE(parts.empty());
        std::vector<KmzPoint> kmz;
        for (const auto& p : parts)
            kmz.insert(kmz.end(), p.begin(), p.end());

        // Where both missions have a waypoint, they fly it at the same height.
        std::size_t matched = 0;
        for (const TlitchRec& rec : csv) {
            const GroundPos at = test::FromGeo(32, rec.latitude, rec.longitude);
            const KmzPoint* near = nullptr;
            double best = 1e9;
            for (const KmzPoint& k : kmz)
                if (const double d = std::hypot(k.at.E - at.E, k.at.N - at.N); d < best) {
                    best = d;
                    near = &k;
                }
            if (best > 0.5)
                continue;
            ++matched;
            // The CSV's single-precision degrees put its waypoint up to a few decimetres beside
            // the KMZ's; on the 15 % slope that is a few centimetres of height.
            const bool same = std::string(drone) == "m4e";
            EXPECT_NEAR(near->height, rec.altitude, same ? 0.01 : 0.01 + 0.15 * best);
        }
        if (std::string(drone) == "m4e") {
            // The same way over the same ground: the very waypoints of the Litchi mission.
            EXPECT_EQ(matched, csv.size());
            EXPECT_EQ(kmz.size(), csv.size());
        } else {
            EXPECT_GE(matched, 2 * static_cast<std::size_t>(json["strips"]));
        }

        // Every leg of every part, metre by metre, stays within the band above the ground.
        const double g0 = Fold(c, takeoff.E - 32000000);
        double lowest = 1e9, highest = -1e9;
        for (const auto& part : parts)
            for (std::size_t i = 0; i + 1 < part.size(); ++i) {
                const KmzPoint &a = part[i], &b = part[i + 1];
                const double len = std::hypot(b.at.E - a.at.E, b.at.N - a.at.N);
                const int steps = std::max(1, static_cast<int>(std::ceil(len)));
                for (int k = 0; k <= steps; ++k) {
                    const double f = static_cast<double>(k) / steps;
                    const double x = a.at.E + f * (b.at.E - a.at.E) - 32000000;
                    const double above = a.height + f * (b.height - a.height) - (Fold(c, x) - g0);
                    lowest = std::min(lowest, above);
                    highest = std::max(highest, above);
                }
            }
        // The bilinear model rounds the fold within one 5 m cell (0.2 m at most).
        EXPECT_GE(lowest, height - tol - 0.2);
        EXPECT_LE(highest, height + tol + 0.2);
        // The fold was crossed: the ground rose and waypoints were added.
        EXPECT_GT(static_cast<double>(json["ground_max"]), 110);
        EXPECT_GT(kmz.size(), 2 * static_cast<std::size_t>(json["strips"]));
    }
}

TEST(PlanOverGround, FlatGroundWritesTheKmzOfNoModel) {
    test::DemSpec s;
    const GroundPos c = test::FromGeo(32, 50.5, 9.5);
    s.cols = s.rows = 300;
    s.dx = s.dy = 5;
    s.x0 = c.E - 32000000 - 750;
    s.y0 = c.N + 750;
    s.height = [](double, double) { return 313.7; };
    const std::string dem = test::WriteDem(test::TempDir() + "/flat-kmz.tif", s);
    const std::string area = Area("flat-kmz", 50.5, 9.5, 600, 400);
    for (const char* drone : {"m4e", "mini4pro"}) {
        SCOPED_TRACE(drone);
        std::vector<std::string> kmz[2];
        for (int run = 0; run < 2; ++run) {
            const std::string dir = test::TempDir() + "/flat-kmz-" + drone + std::to_string(run);
            fs::create_directories(dir);
            // Both fly from the same take-off point, so both are cut into the same parts.
            std::vector<std::string> args = {area,          "--drone",   drone,         "--wpml",
                                             dir + "/flug", "--takeoff", "50.499,9.501"};
            if (run == 1)
                args = With(args, {"--dem", dem});
            const Outcome r = Plan(args);
            ASSERT_EQ(r.status, 0) << r.err;
            for (const std::string& f : PartFiles(dir, "flug", ".kmz"))
                kmz[run].push_back(Slurp(f));
        }
        ASSERT_FALSE(kmz[0].empty());
        EXPECT_TRUE(kmz[1] == kmz[0]);
    }
}

} // namespace
} // namespace korvale

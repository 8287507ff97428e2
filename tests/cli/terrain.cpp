// korvale-plan over an elevation model: the real models of Rome and Marburg, flat ground giving
// the files of a plan without a model, and every refusal with exit 1 and nothing written.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "../terrain/dem_support.h"
#include "cli/plan_command.h"
#include "model/format.h"

namespace korvale {
namespace {

namespace fs = std::filesystem;

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

Outcome Plan(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int status = RunPlanCommand(args, {"HILFE", "korvale-plan 1.01"}, out, err);
    return {status, out.str(), err.str()};
}

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
        {{"--takeoff", "50.5,9.5"}, "nur mit einem Höhenmodell"},
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
}

} // namespace
} // namespace korvale

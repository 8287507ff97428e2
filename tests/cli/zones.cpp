// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// korvale-plan with exclusion zones: the holes of the area file and the polygons of --exclude
// files are kept --exclude-buffer metres away from every line and leg; bad zones end with a
// message, status 1 and no file written.
#include <cmath>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "cli/plan_command.h"
#include "model/format.h"
#include "model/geodesy.h"
#include "model/state.h"
#include "tests/cli/run_plan.h"

namespace korvale {
namespace {

namespace fs = std::filesystem;

using test::Outcome;
using test::Plan;

struct Xy {
    double x, y;
};
using Corners = std::vector<Xy>; // metres east and north of 48 N, 11 E

std::pair<double, double> LatLon(Xy p) {
    const double m = 1.0 / 111200.0, me = m / std::cos(48.0 / Rho);
    return {48.0 + p.y * m, 11.0 + p.x * me};
}

Xy Utm(double lat, double lon) {
    const UtmResult u = GeoToUTM(CentralMeridianOfZone(32), EllipsoidA, EllipsoidF, lat, lon);
    return {u.Y, u.X};
}

std::string Coords(const Corners& c, const char* pattern, const char* sep) {
    std::string s;
    for (std::size_t i = 0; i <= c.size(); ++i) {
        const auto [lat, lon] = LatLon(c[i % c.size()]);
        if (i)
            s += sep;
        s += Format(pattern, {lon, lat});
    }
    return s;
}

std::string GeoJson(const std::vector<Corners>& rings) {
    std::string r;
    for (const Corners& c : rings)
        r += (r.empty() ? "[" : ",[") + Coords(c, "[%.9f,%.9f]", ",") + "]";
    return R"({"type":"Feature","properties":{},"geometry":{"type":"Polygon","coordinates":[)" + r +
           "]}}";
}

std::string Kml(const std::vector<Corners>& polygons) {
    std::string k =
        R"(<?xml version="1.0"?><kml xmlns="http://www.opengis.net/kml/2.2"><Document>)";
    for (const Corners& c : polygons)
        k += "<Placemark><Polygon><outerBoundaryIs><LinearRing><coordinates>" +
             Coords(c, "%.9f,%.9f", " ") +
             "</coordinates></LinearRing></outerBoundaryIs></Polygon></Placemark>";
    return k + "</Document></kml>";
}

double SegDist(Xy p, Xy a, Xy b) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double l2 = dx * dx + dy * dy;
    const double t = l2 > 0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / l2, 0.0, 1.0) : 0;
    return std::hypot(p.x - a.x - t * dx, p.y - a.y - t * dy);
}

// Distance of the segment a-b from the zone (a convex polygon here), 0 when they meet.
double ToZone(Xy a, Xy b, const std::vector<Xy>& z) {
    double best = 1e300;
    for (int k = 0; k <= 400; ++k) {
        const Xy p{a.x + (b.x - a.x) * k / 400, a.y + (b.y - a.y) * k / 400};
        bool in = false;
        for (std::size_t i = 0, j = z.size() - 1; i < z.size(); j = i++) {
            if ((z[i].y > p.y) != (z[j].y > p.y) &&
                p.x < (z[j].x - z[i].x) * (p.y - z[i].y) / (z[j].y - z[i].y) + z[i].x)
                in = !in;
            best = std::min(best, SegDist(p, z[i], z[j]));
        }
        if (in)
            return 0;
    }
    for (const Xy& c : z)
        best = std::min(best, SegDist(c, a, b));
    return best;
}

class Zones : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ =
            fs::temp_directory_path() /
            ("korvale_zones_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string Write(const std::string& name, const std::string& text) {
        std::ofstream(dir_ / name) << text;
        return (dir_ / name).string();
    }
    // Every line and leg of the plan file keeps `buffer` from each zone (1 cm tolerance).
    void ExpectClear(const std::string& planFile, const std::vector<Corners>& zones,
                     double buffer) {
        std::ifstream in(planFile);
        const auto plan = nlohmann::json::parse(in);
        int lines = 0;
        for (const auto& f : plan["features"]) {
            const std::string kind = f["properties"]["kind"];
            if (kind != "line" && kind != "leg")
                continue;
            lines += kind == "line";
            const auto& co = f["geometry"]["coordinates"];
            for (std::size_t i = 0; i + 1 < co.size(); ++i) {
                const Xy a = Utm(co[i][1], co[i][0]), b = Utm(co[i + 1][1], co[i + 1][0]);
                for (const Corners& z : zones) {
                    std::vector<Xy> u;
                    for (const Xy& c : z) {
                        const auto [lat, lon] = LatLon(c);
                        u.push_back(Utm(lat, lon));
                    }
                    ASSERT_GE(ToZone(a, b, u), buffer - 0.01) << kind;
                }
            }
        }
        EXPECT_GT(lines, 10);
    }
    fs::path dir_;
};

const Corners kField = {{0, 0}, {300, 0}, {300, 200}, {0, 200}};
const Corners kHole = {{120, 70}, {180, 70}, {180, 130}, {120, 130}};
const Corners kBarn = {{30, 150}, {60, 150}, {60, 170}, {30, 170}};
const Corners kMast = {{250, 40}, {252, 40}, {251, 42}};

TEST_F(Zones, HolesOfTheAreaAndExcludedPolygonsAreLeftOutWithTheirBuffer) {
    const std::string out = (dir_ / "plan.geojson").string();
    // The hole of the area file, at the default buffer of 5 m.
    Outcome r =
        Plan({"--side", "60", "--geojson", out, Write("hole.geojson", GeoJson({kField, kHole}))});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err.find("Löcher"), std::string::npos) << r.err;
    ExpectClear(out, {kHole}, 5);
    const std::string withHole = r.out;

    // The same zone from a KML file, two more from a GeoJSON one, at 8 m.
    r = Plan({"--side", "60", "--geojson", out, "--exclude", Write("z.kml", Kml({kHole})),
              "--exclude", Write("z.geojson", GeoJson({kBarn})), "--exclude",
              Write("m.kml", Kml({kMast})), "--exclude-buffer=8",
              Write("field.geojson", GeoJson({kField}))});
    ASSERT_EQ(r.status, 0) << r.err;
    ExpectClear(out, {kHole, kBarn, kMast}, 8);

    // The zone from --exclude plans as the hole does.
    r = Plan({"--side", "60", "--geojson", out, "--exclude", (dir_ / "z.kml").string(),
              (dir_ / "field.geojson").string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, withHole);
}

TEST_F(Zones, BadZonesGiveAMessageStatusOneAndNoFile) {
    const std::string field = Write("field.geojson", GeoJson({kField}));
    const std::string zone = Write("zone.kml", Kml({kHole}));
    const std::string out = (dir_ / "plan.geojson").string();
    const struct {
        const char* what;
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {"missing file", {"--exclude", (dir_ / "fehlt.kml").string()}, "fehlt.kml"},
        {"not a polygon file", {"--exclude", Write("z.kml", "kein xml")}, "KML"},
        {"unknown kind", {"--exclude", Write("z.txt", "x")}, "z.txt"},
        {"no name", {"--exclude="}, "braucht einen Dateinamen"},
        {"negative buffer", {"--exclude", zone, "--exclude-buffer", "-1"}, "außerhalb"},
        {"buffer no number", {"--exclude", zone, "--exclude-buffer", "fünf"}, "keine Zahl"},
        {"output is the zone file", {"--exclude", zone, "--kml", zone}, ""},
        {"covers the area",
         {"--exclude", Write("all.kml", Kml({{{-10, -10}, {310, -10}, {310, 210}, {-10, 210}}}))},
         "bedecken das ganze Gebiet"},
        {"splits the area",
         {"--exclude", Write("band.kml", Kml({{{140, -10}, {160, -10}, {160, 210}, {140, 210}}}))},
         "teilen das Gebiet"},
    };
    const std::string zoneBytes = Kml({kHole});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"--geojson", out, field});
        const Outcome r = Plan(args);
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(out));
        std::ifstream in(zone);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), zoneBytes);
    }
}

} // namespace
} // namespace korvale

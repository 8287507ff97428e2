// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The planning command end to end: areas it has never seen, concave ones included, the files
// it writes as one set, the refusals, and its coordinates against PROJ in other UTM zones.
#include "cli/plan_command.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "litchi/csv.h"
#include "model/fileio.h"
#include "model/format.h"
#include "model/geodesy.h"
#include "model/state.h"
#include "tests/cli/run_plan.h"
#include "tests/support/file_faults.h"
#include "tests/support/temp_dir.h"

namespace korvale {
namespace {

namespace fs = std::filesystem;

using test::Outcome;
using test::Plan;

std::string Slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class PlanCommand : public ::testing::Test {
  protected:
    // A GeoJSON polygon of the corners (lat, lon), ring written as given (and closed).
    std::string Area(const std::string& name, const std::vector<std::pair<double, double>>& c) {
        std::string coords;
        for (std::size_t i = 0; i <= c.size(); ++i) {
            const auto& [lat, lon] = c[i % c.size()];
            if (i)
                coords += ',';
            coords += Format("[%.9f,%.9f]", {lon, lat});
        }
        const fs::path p = dir_ / name;
        std::ofstream(p) << R"({"type":"Feature","properties":{},"geometry":{"type":"Polygon",)"
                         << R"("coordinates":[[)" << coords << "]]}}";
        return p.string();
    }

    const korvale::testing::TempDir tmp_{"korvale_plan"};
    const fs::path dir_ = tmp_.path();
};

// A U-shaped field near 48 N, 11 E: 300 m wide, 240 m high, a notch 100 m wide and 160 m deep
// opening north. Offsets in metres east/north of the south-west corner.
std::vector<std::pair<double, double>> UField() {
    const double m = 1.0 / 111200.0, me = m / std::cos(48.0 / Rho);
    const std::vector<std::pair<double, double>> xy = {{0, 0},    {300, 0},  {300, 240}, {200, 240},
                                                       {200, 80}, {100, 80}, {100, 240}, {0, 240}};
    std::vector<std::pair<double, double>> c;
    for (const auto& [x, y] : xy)
        c.push_back({48.0 + y * m, 11.0 + x * me});
    return c;
}

struct Xy {
    double x, y;
};

// Distance from p to the segment a-b.
double SegDist(Xy p, Xy a, Xy b) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double l2 = dx * dx + dy * dy;
    const double t = l2 > 0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / l2, 0.0, 1.0) : 0;
    return std::hypot(p.x - a.x - t * dx, p.y - a.y - t * dy);
}

// Inside the ring, or on its border within 1 cm.
bool InsideOrOn(Xy p, const std::vector<Xy>& ring) {
    bool in = false;
    double near = 1e300;
    for (std::size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++) {
        const Xy a = ring[i], b = ring[j];
        if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x)
            in = !in;
        near = std::min(near, SegDist(p, a, b));
    }
    return in || near <= 0.01;
}

Xy Utm(double lat, double lon) {
    const UtmResult u = GeoToUTM(CentralMeridianOfZone(32), EllipsoidA, EllipsoidF, lat, lon);
    return {u.Y, u.X};
}

TEST_F(PlanCommand, ConcaveFieldFlownInsideWhateverCornerStartsTheRing) {
    const auto corners = UField();
    std::vector<Xy> ring;
    for (const auto& [lat, lon] : corners)
        ring.push_back(Utm(lat, lon));

    std::string firstTotals;
    std::string firstPath;
    for (int start = 0; start < 8; ++start) {
        for (bool reversed : {false, true}) {
            SCOPED_TRACE(Format("start %d reversed %d", {start, reversed ? 1 : 0}));
            auto c = corners;
            std::rotate(c.begin(), c.begin() + start, c.end());
            if (reversed)
                std::reverse(c.begin(), c.end());
            const std::string out = (dir_ / "plan.geojson").string();
            const Outcome r = Plan({"--side", "60", "--geojson", out, Area("u.geojson", c)});
            ASSERT_EQ(r.status, 0) << r.err;
            const auto totals = nlohmann::json::parse(r.out);
            EXPECT_EQ(totals["utm_zone"], 32);
            EXPECT_GT(totals["strips"].get<int>(), 5);

            // Every line and leg, sampled densely, stays inside the field.
            const auto plan = nlohmann::json::parse(Slurp(out));
            std::string path;
            for (const auto& f : plan["features"]) {
                const std::string kind = f["properties"]["kind"];
                if (kind != "line" && kind != "leg")
                    continue;
                const auto& co = f["geometry"]["coordinates"];
                for (std::size_t i = 0; i + 1 < co.size(); ++i) {
                    const Xy a = Utm(co[i][1], co[i][0]), b = Utm(co[i + 1][1], co[i + 1][0]);
                    for (int k = 0; k <= 50; ++k) {
                        const Xy p{a.x + (b.x - a.x) * k / 50, a.y + (b.y - a.y) * k / 50};
                        ASSERT_TRUE(InsideOrOn(p, ring)) << kind << " " << f["properties"]["index"];
                    }
                }
                path += kind + f["geometry"]["coordinates"].dump() + "\n";
            }
            // The same flight for every start corner and either direction of the ring.
            if (firstTotals.empty()) {
                firstTotals = r.out;
                firstPath = path;
            }
            EXPECT_EQ(r.out, firstTotals);
            EXPECT_EQ(path, firstPath);
        }
    }
}

TEST_F(PlanCommand, AngleAutoPlansTheFewestLinesAndNamesItsDirection) {
    for (const char* name :
         {"spwoodcock__drone-testdata-agung-1__aoi.geojson", "kvos__CoastSat__NARRA_polygon.kml"}) {
        SCOPED_TRACE(name);
        const std::string area = std::string(KORVALE_FIXTURES_DIR) + "/geodata/" + name;
        const Outcome a = Plan({"--angle", "auto", area});
        ASSERT_EQ(a.status, 0) << a.err;
        auto totals = nlohmann::json::parse(a.out);
        const double angle = totals["angle"];
        EXPECT_GT(angle, 0);
        EXPECT_LE(angle, 180);
        // The line is the plan at that direction, with the direction added.
        totals.erase("angle");
        const Outcome same = Plan({"--angle", Format("%.2f", {angle}), area});
        EXPECT_EQ(totals, nlohmann::json::parse(same.out));
        EXPECT_EQ(nlohmann::json::parse(same.out).count("angle"), 0u);
        for (double ri = 0; ri < 180; ri += 7.5) {
            const Outcome other = Plan({"--angle", Format("%.2f", {ri}), area});
            EXPECT_LE(totals["strips"].get<int>(), nlohmann::json::parse(other.out)["strips"])
                << ri;
        }
    }
}

TEST_F(PlanCommand, WritesEveryAskedFileOrNone) {
    const std::string area = Area("feld.geojson", UField());
    const fs::path dxf = dir_ / "p.dxf", csv = dir_ / "mission", kml = dir_ / "p.kml";
    // A battery long enough for the whole field, so the mission stays one file.
    Outcome r = Plan({"--battery-min", "120", "--dxf", dxf.string(), "--litchi", csv.string(),
                      "--kml", kml.string(), area});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::exists(dxf));
    EXPECT_TRUE(fs::exists(dir_ / "mission.CSV")); // the Litchi name rule of the window
    EXPECT_TRUE(fs::exists(kml));
    const std::string before = Slurp(dxf);

    // A target that cannot be written (a folder) refuses the whole set: nothing changes.
    fs::create_directories(dir_ / "ordner.kml");
    r = Plan(
        {"--front", "60", "--dxf", dxf.string(), "--kml", (dir_ / "ordner.kml").string(), area});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("korvale-plan: "), std::string::npos) << r.err;
    EXPECT_EQ(Slurp(dxf), before);
}

TEST_F(PlanCommand, AFailureInTheMiddleOfALargeFileKeepsEveryOldFile) {
    const std::string area = Area("feld.geojson", UField());
    // Dense pictures, so that the drawing and the geodata span several chunks of the writer.
    const std::vector<std::string> args = {"--height",
                                           "10",
                                           "--front",
                                           "90",
                                           "--side",
                                           "80",
                                           "--battery-min",
                                           "120",
                                           "--dxf",
                                           (dir_ / "p.dxf").string(),
                                           "--geojson",
                                           (dir_ / "p.geojson").string(),
                                           "--kml",
                                           (dir_ / "p.kml").string(),
                                           "--litchi",
                                           (dir_ / "mission").string(),
                                           area};
    long calls = 0;
    {
        test::InjectedFaults counting;
        const Outcome r = Plan(args);
        ASSERT_EQ(r.status, 0) << r.err;
        calls = counting.Count();
    }
    ASSERT_GT(fs::file_size(dir_ / "p.geojson"), 2 * StreamChunkBytes);
    ASSERT_GT(fs::file_size(dir_ / "p.dxf"), 2 * StreamChunkBytes);
    const auto before = test::FolderSnapshot(dir_);
    for (long k = 0; k < calls; ++k) {
        SCOPED_TRACE("call " + std::to_string(k));
        test::InjectedFaults faults;
        faults.FailAt(k, ENOSPC);
        const Outcome r = Plan(args);
        EXPECT_EQ(r.status, 1) << faults.Failed();
        EXPECT_EQ(test::FolderSnapshot(dir_), before);
    }
}

// A rectangle near 48 N, 11 E, `east` metres long east-west and `north` metres high.
std::vector<std::pair<double, double>> Rect(double east, double north) {
    const double m = 1.0 / 111200.0, me = m / std::cos(48.0 / Rho);
    return {{48.0, 11.0},
            {48.0, 11.0 + east * me},
            {48.0 + north * m, 11.0 + east * me},
            {48.0 + north * m, 11.0}};
}

TEST_F(PlanCommand, MissionLimitsRefuseTheWholeSetOrWarn) {
    const fs::path dxf = dir_ / "p.dxf", csv = dir_ / "m.csv";
    // Lines of 2100 m (and 33 km in all): the drone flies neither, so no file is written.
    Outcome r = Plan(
        {"--dxf", dxf.string(), "--litchi", csv.string(), Area("lang.geojson", Rect(2100, 200))});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.empty());
    EXPECT_NE(r.err.find("korvale-plan: Die Mission überschreitet Grenzen der Drohne"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find(": Abstand zweier Wegpunkte 2"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("außerhalb von 0.5 bis 2000 m"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dxf));
    EXPECT_FALSE(fs::exists(csv));

    // At 5 m the picture interval rounds to 0 s: written, with the warning on stderr and its
    // count in the totals; without warnings the totals keep their fields.
    const std::string square = Area("klein.geojson", Rect(40, 40));
    r = Plan({"--height", "5", "--litchi", csv.string(), square});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("Warnung: Mission: das Bildintervall wurde auf 0 s gekürzt"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.out.find(", \"warnings\": 1}"), std::string::npos) << r.out;
    const std::vector<TlitchRec> back = ReadLitchiFile(csv.string());
    ASSERT_GE(back.size(), 2u);
    for (const TlitchRec& w : back) {
        EXPECT_EQ(w.altitude, 5.0f);
        EXPECT_EQ(w.photo_timeinterval, 0);
    }
    r = Plan({"--litchi", csv.string(), square});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out.find("warnings"), std::string::npos) << r.out;
}

TEST_F(PlanCommand, LongMissionsAreWrittenInPartsPerBatteryAndFile) {
    const std::string area = Area("feld.geojson", UField());
    const fs::path csv = dir_ / "mission.csv";
    // About 5 km of lines at 15 km/h: two batteries of 20 min, one of 40 min.
    Outcome r = Plan({"--litchi", csv.string(), area});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(nlohmann::json::parse(r.out)["batteries"], 2);
    EXPECT_TRUE(fs::exists(dir_ / "mission_2.csv"));
    r = Plan({"--battery-min", "40", "--litchi", csv.string(), area});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(nlohmann::json::parse(r.out)["batteries"], 1);
    EXPECT_TRUE(fs::exists(csv)); // a mission that fits keeps its own name
    const std::string whole = Slurp(csv);

    r = Plan({"--battery-min", "40", "--max-waypoints", "4", "--litchi", csv.string(), area});
    ASSERT_EQ(r.status, 0) << r.err;
    const int parts = nlohmann::json::parse(r.out)["batteries"];
    ASSERT_GE(parts, 3);
    EXPECT_EQ(Slurp(csv), whole); // left alone: the parts have names of their own
    std::size_t lines = 0;
    for (int k = 1; k <= parts; ++k) {
        const fs::path part = dir_ / Format("mission_%d.csv", {k});
        const std::string text = Slurp(part);
        const auto n = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
        EXPECT_GE(n, 3u) << part; // the header and at least one line's two waypoints
        EXPECT_LE(n, 5u) << part;
        lines += n - 1;
    }
    EXPECT_FALSE(fs::exists(dir_ / Format("mission_%d.csv", {parts + 1})));
    EXPECT_NE(r.err.find("Hinweis: ältere Missionsdatei bleibt liegen: " + csv.string()),
              std::string::npos)
        << r.err;
    EXPECT_LE(lines, static_cast<std::size_t>(std::count(whole.begin(), whole.end(), '\n') - 1));

    // A flight line longer than a battery: refused for the mission, only noted otherwise.
    const fs::path other = dir_ / "kurz.csv";
    r = Plan({"--battery-min", "1", "--litchi", other.string(), area});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("braucht allein"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(other));
    r = Plan({"--battery-min", "1", "--geojson", (dir_ / "p.geojson").string(), area});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(nlohmann::json::parse(r.out)["batteries"], 0);
    EXPECT_NE(r.err.find("Hinweis: Flugstreifen "), std::string::npos) << r.err;
}

TEST_F(PlanCommand, BadInputGivesMessageAndStatusOne) {
    std::ofstream(dir_ / "kaputt.geojson") << "{\"type\":";
    const std::string good = Area("gut.geojson", UField());
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{(dir_ / "kaputt.geojson").string()}, "korvale-plan: "},
        {{(dir_ / "fehlt.geojson").string()}, "Datei nicht gefunden"},
        {{"--height", "abc", good}, "--height: 'abc' ist keine Zahl."},
        {{"--front", "99", "--side", "99", "--height", "1", good}, "korvale-plan: "},
        {{(dir_ / "gebiet.txt").string()}, "korvale-plan: "},
    };
    for (const auto& [args, text] : cases) {
        const fs::path out = dir_ / "nie.geojson";
        auto withOut = args;
        withOut.insert(withOut.begin(), {"--geojson", out.string()});
        const Outcome r = Plan(withOut);
        EXPECT_EQ(r.status, 1) << text;
        EXPECT_TRUE(r.out.empty());
        EXPECT_NE(r.err.find(text), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(out)) << text;
    }
    EXPECT_EQ(Plan({"--help"}).out, "HILFE");
    EXPECT_EQ(Plan({"--version"}).out, "korvale-plan 1.01\n");
}

// Reads the corners of the border ring from our DXF (layer "Umring", LINE start points).
std::vector<Xy> DxfRing(const std::string& dxf) {
    std::istringstream in(dxf);
    std::string code, value;
    std::vector<Xy> pts;
    bool line = false, ring = false;
    Xy p{};
    while (std::getline(in, code) && std::getline(in, value)) {
        if (!value.empty() && value.back() == '\r')
            value.pop_back();
        const int c = std::stoi(code);
        if (c == 0) {
            if (line && ring)
                pts.push_back(p);
            line = value == "LINE";
            ring = false;
        } else if (c == 8) {
            ring = value == "Umring";
        } else if (c == 10) {
            p.x = std::stod(value);
        } else if (c == 20) {
            p.y = std::stod(value);
        }
    }
    return pts;
}

// Easting and northing of PROJ's exact transverse Mercator in the given zone (GRS80).
Xy Proj(double lat, double lon, int zone, bool south) {
    const std::string cmd = Format("echo '%.12f %.12f' | cs2cs -f %%.6f +proj=longlat +ellps=GRS80 "
                                   "+to +proj=utm +zone=%d %s +ellps=GRS80",
                                   {lon, lat, zone, south ? "+south" : ""});
    FILE* pipe = popen(cmd.c_str(), "r");
    double e = NAN, n = NAN;
    if (pipe) {
        if (std::fscanf(pipe, "%lf %lf", &e, &n) != 2)
            e = n = NAN;
        pclose(pipe);
    }
    return {e, n};
}

TEST_F(PlanCommand, FieldsInOtherZonesAgreeWithProj) {
    struct Field {
        const char* name;
        double lat, lon;
        int zone;
    };
    for (const Field& f : {Field{"3 W", 40.4, -3.0, 30}, Field{"45 W south", -23.5, -45.0, 23},
                           Field{"15.5 E", 52.2, 15.5, 33}}) {
        SCOPED_TRACE(f.name);
        const double d = 0.002;
        const std::vector<std::pair<double, double>> c = {
            {f.lat, f.lon}, {f.lat, f.lon + d}, {f.lat + d, f.lon + d}, {f.lat + d, f.lon}};
        const fs::path dxf = dir_ / "z.dxf";
        const Outcome r = Plan({"--dxf", dxf.string(), Area("z.geojson", c)});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(nlohmann::json::parse(r.out)["utm_zone"], f.zone);
        const std::vector<Xy> ring = DxfRing(Slurp(dxf));
        ASSERT_EQ(ring.size(), c.size());
        for (std::size_t i = 0; i < c.size(); ++i) {
            const Xy p = Proj(c[i].first, c[i].second, f.zone, f.lat < 0);
            ASSERT_TRUE(std::isfinite(p.x)) << "cs2cs (proj-bin) is needed";
            // Our eastings carry the zone in front; northings count from the equator.
            EXPECT_NEAR(ring[i].x - f.zone * 1e6, p.x, 0.001);
            EXPECT_NEAR(ring[i].y + (f.lat < 0 ? 1e7 : 0), p.y, 0.001);
        }
    }
}

} // namespace
} // namespace korvale

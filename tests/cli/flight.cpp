// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// korvale-plan's speed and flight-time figures: the drone's camera, exposure, take-off and
// reserve in the JSON line, and bad values refused with nothing written.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "model/format.h"
#include "model/state.h"
#include "tests/cli/run_plan.h"
#include "tests/support/temp_dir.h"

namespace korvale {
namespace {

namespace fs = std::filesystem;

using test::Outcome;
using test::Plan;

// `east` metres east of the field's south-west corner, as "LAT,LON" in degrees.
std::string LatLonEast(double east) {
    const double me = 1.0 / 111200.0 / std::cos(48.0 / Rho);
    return Format("48,%.9f", {11.0 + east * me});
}

// A field of 500 x 400 m near 48 N, 11 E.
std::string Field(const testing::TempDir& dir) {
    return test::RectangleField(dir, 500, 400);
}

nlohmann::json Json(const Outcome& r) {
    EXPECT_EQ(r.status, 0) << r.err;
    return nlohmann::json::parse(r.out);
}

TEST(PlanCommandFlight, DroneExposureTakeoffAndReserveInTheJsonLine) {
    testing::TempDir dir("korvale_cli_flight");
    const std::string area = Field(dir);
    // The start camera: c 8.38 mm, 2.4 µm at 40 m: 1.1456 cm; no drone: blur alone,
    // 0.5 x 1.1456 cm / 1 ms = 5.73 m/s above the 15 km/h flown.
    const nlohmann::json base = Json(Plan({area}));
    EXPECT_EQ(base["gsd_cm"], 1.15);
    EXPECT_EQ(base["speed_ms"], 4.17);
    EXPECT_EQ(base["speed_limit_ms"], 5.73);
    EXPECT_EQ(base["speed_limit_by"], "Bewegungsunschärfe");
    EXPECT_GT(base["flight_min_model"].get<double>(), base["flight_min"].get<double>());

    // The Mini 4 Pro at 60 m: 2.1435 cm ground pixel; its 30 ms readout binds at
    // 0.5 x 2.1435 cm / 30 ms = 0.36 m/s, and the command says the speed is above it.
    const Outcome mini = Plan({area, "--drone", "mini4pro", "--height", "60"});
    const nlohmann::json m = Json(mini);
    EXPECT_EQ(m["gsd_cm"], 2.14);
    EXPECT_EQ(m["speed_limit_ms"], 0.36);
    EXPECT_EQ(m["speed_limit_by"], "Rolling Shutter");
    EXPECT_NE(mini.err.find("über der Grenze von 0.36 m/s (Rolling Shutter)"), std::string::npos)
        << mini.err;
    // DJI Fly stops at every picture: longer than the same plan on a drone that does not.
    const nlohmann::json m3 = Json(Plan({area, "--drone", "mini3pro", "--height", "60"}));
    EXPECT_EQ(m3["pictures"], m["pictures"]);
    EXPECT_GT(m["flight_min_model"].get<double>(), m3["flight_min_model"].get<double>());

    // The P1 (mechanical shutter, 0.7 s between pictures) at 100 m, 1/500 s: blur
    // 0.5 x 1.2521 cm / 2 ms = 3.13 m/s; at 1/2000 s the interval binds at A / 0.7 s.
    const nlohmann::json p1 =
        Json(Plan({area, "--drone", "m350", "--height", "100", "--exposure", "0.002"}));
    EXPECT_EQ(p1["speed_limit_ms"], 3.13);
    EXPECT_EQ(p1["speed_limit_by"], "Bewegungsunschärfe");
    const nlohmann::json fast = Json(Plan(
        {area, "--drone", "m350", "--height", "100", "--exposure", "0.0005", "--front", "90"}));
    EXPECT_EQ(fast["speed_limit_by"], "Bildfolge");
    // --front 90: photo base 10 % of 100 m x 5460 px x 4.382 µm / 35 mm = 6.837 m, / 0.7 s.
    EXPECT_EQ(fast["speed_limit_ms"], 9.77);

    // A take-off 1 km east flies out and back on every battery; a larger reserve needs more
    // batteries and so more take-offs.
    const nlohmann::json away = Json(Plan({area, "--takeoff", LatLonEast(1500)}));
    EXPECT_GT(away["flight_min_model"].get<double>(), base["flight_min_model"].get<double>());
    EXPECT_EQ(away["flight_min"], base["flight_min"]);
    const nlohmann::json small = Json(Plan({area, "--battery-min", "10"}));
    const nlohmann::json reserved = Json(Plan({area, "--battery-min", "10", "--reserve", "50"}));
    EXPECT_GT(reserved["batteries"].get<int>(), small["batteries"].get<int>());
    EXPECT_GT(reserved["flight_min_model"].get<double>(), small["flight_min_model"].get<double>());
    // Everything else of the line stays as it was.
    for (const char* key : {"strips", "path_m", "pictures", "flight_min", "area_ha"})
        EXPECT_EQ(reserved[key], small[key]) << key;
}

TEST(PlanCommandFlight, BadValuesAreRefusedAndNothingIsWritten) {
    testing::TempDir dir("korvale_cli_flight_bad");
    const std::string area = Field(dir);
    const struct {
        std::vector<std::string> extra;
        std::string says;
    } cases[] = {
        {{"--drone", "phantom9"}, "Unbekannte Drohne 'phantom9'"},
        {{"--exposure", "0"}, "--exposure: 0 s ist keine Belichtungszeit"},
        {{"--exposure", "1.5"}, "--exposure: 1.5 s ist keine Belichtungszeit"},
        {{"--exposure", "-0.001"}, "ist keine Belichtungszeit"},
        {{"--exposure", "1/1000"}, "'1/1000' ist keine Zahl"},
        {{"--reserve", "51"}, "--reserve: 51 liegt außerhalb von 0 bis 50 %"},
        {{"--reserve", "-1"}, "außerhalb von 0 bis 50 %"},
        {{"--takeoff", "48"}, "BREITE,LÄNGE"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.says);
        std::vector<std::string> args = {area, "--litchi", dir.File("m.csv"), "--geojson",
                                         dir.File("p.geojson")};
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        const Outcome r = Plan(args);
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty());
        EXPECT_FALSE(fs::exists(dir.File("m.csv")) || fs::exists(dir.File("m_1.csv")));
        EXPECT_FALSE(fs::exists(dir.File("p.geojson")));
    }
    // The edges of the ranges are values.
    for (const std::vector<std::string>& ok :
         {std::vector<std::string>{"--exposure", "1"}, {"--reserve", "0"}, {"--reserve", "50"}})
        EXPECT_EQ(Plan({area, ok[0], ok[1]}).status, 0) << ok[0] << " " << ok[1];
}

} // namespace
} // namespace korvale

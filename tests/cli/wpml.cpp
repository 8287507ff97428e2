// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// korvale-plan's DJI options end to end: --wpml with --drone joins the set of files, the
// profile's camera applies unless given, an unknown key lists the known ones, a plan the drone
// cannot fly or an unwritable target writes nothing and keeps the older files, and --check
// says whether a KMZ or Litchi CSV is flyable.
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "cli/plan_command.h"
#include "model/format.h"
#include "model/state.h"
#include "tests/cli/run_plan.h"
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

// A field of 400 x 300 m near 48 N, 11 E.
std::string Field(const testing::TempDir& dir) {
    return test::RectangleField(dir, 400, 300);
}

TEST(PlanCommandWpml, WritesKmzPartsBesideTheOtherFilesWithTheProfilesCamera) {
    testing::TempDir dir("korvale_cli_wpml");
    const std::string area = Field(dir);
    const Outcome o = Plan({area, "--drone", "mini4pro", "--wpml", dir.File("flug"), "--litchi",
                            dir.File("flug.csv"), "--height", "60"});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_TRUE(fs::exists(dir.File("flug_1.kmz")) || fs::exists(dir.File("flug.kmz")));
    for (const auto& e : fs::directory_iterator(dir.File(""))) {
        if (e.path().extension() != ".kmz")
            continue;
        const Outcome c = Plan({"--check", e.path().string(), "--drone", "mini4pro"});
        EXPECT_EQ(c.status, 0) << c.out;
        EXPECT_NE(c.out.find("für DJI Fly, flugfähig."), std::string::npos) << c.out;
    }
    // The profile's camera is what --focal, --pixel, --xpix and --ypix would give.
    const Outcome same =
        Plan({area, "--focal", "6.72", "--pixel", FormatGeneral(9.68 / 4032 * 1000), "--xpix",
              "4032", "--ypix", "3024", "--height", "60"});
    // (The speed limit and the flight time are the drone's own and differ.)
    for (const char* key : {"strips", "path_m", "pictures", "batteries", "gsd_cm"})
        EXPECT_EQ(nlohmann::json::parse(same.out)[key], nlohmann::json::parse(o.out)[key]) << key;
    const Outcome given = Plan({area, "--drone", "mini4pro", "--focal", "24", "--height", "60"});
    EXPECT_NE(given.out, o.out);
}

TEST(PlanCommandWpml, BadInputWritesNothingAndKeepsOlderFiles) {
    testing::TempDir dir("korvale_cli_wpml");
    const std::string area = Field(dir);
    const std::string older = dir.File("alt.kmz");
    std::ofstream(older) << "vorher";
    std::ofstream(dir.File("alt.dxf")) << "vorher";
    const struct {
        const char* label;
        std::vector<std::string> args;
        const char* decisive;
    } cases[] = {
        {"unknown drone",
         {"--drone", "phantom9", "--wpml", older, "--dxf", dir.File("alt.dxf")},
         "Bekannt sind: mini4pro, mini5pro, air3, air3s, mini3pro, mavic3e, m4e, m350."},
        {"no drone", {"--wpml", older}, "--wpml braucht --drone"},
        {"speed above the cap (50 km/h = 13.9 m/s)",
         {"--drone", "mini4pro", "--speed", "50", "--wpml", older, "--dxf", dir.File("alt.dxf")},
         "über der Grenze von DJI Mini 4 Pro (12 m/s)"},
        {"Litchi drone", {"--drone", "mini3pro", "--wpml", older}, "fliegt Missionen aus Litchi"},
        {"unwritable target",
         {"--drone", "m4e", "--wpml", dir.File("fehlt/x.kmz"), "--dxf", dir.File("alt.dxf")},
         "Datei nicht gefunden"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        std::vector<std::string> args = {area};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const Outcome o = Plan(args);
        EXPECT_EQ(o.status, 1);
        EXPECT_NE(o.err.find(c.decisive), std::string::npos) << o.err;
        EXPECT_EQ(Slurp(older), "vorher");
        EXPECT_EQ(Slurp(dir.File("alt.dxf")), "vorher");
        std::size_t files = 0;
        for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir.File("")))
            ++files;
        EXPECT_EQ(files, 3u); // the area and the two older files
    }
}

TEST(PlanCommandWpml, CheckSaysWhetherAFileIsFlyable) {
    testing::TempDir dir("korvale_cli_check");
    const Outcome good =
        Plan({"--check", KORVALE_FIXTURES_DIR "/wpml/geoyee__wpml_codec__waypoint.kmz"});
    EXPECT_EQ(good.status, 0);
    EXPECT_NE(good.out.find("6 Wegpunkte für DJI Pilot 2, flugfähig."), std::string::npos)
        << good.out;
    // 12 waypoints in DJI Fly's namespace: within the Mini 4 Pro's limits.
    EXPECT_EQ(Plan({"--check", KORVALE_FIXTURES_DIR "/wpml/stevelingeman__waygen.kmz", "--drone",
                    "mini4pro"})
                  .status,
              0);
    const std::string broken = dir.File("kaputt.kmz");
    std::ofstream(broken) << "PK kein zip";
    const Outcome bad = Plan({"--check", broken});
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.out.find("Fehler: Die Datei ist keine KMZ-Datei"), std::string::npos) << bad.out;
    EXPECT_NE(bad.out.find("nicht flugfähig."), std::string::npos);
    // Litchi CSVs: our own parts are flyable, one with a waypoint above the engine's altitude
    // limit is not.
    ASSERT_EQ(Plan({Field(dir), "--litchi", dir.File("m.csv")}).status, 0);
    std::string csv;
    for (const auto& e : fs::directory_iterator(dir.File("")))
        if (e.path().extension() == ".csv")
            csv = e.path().string();
    ASSERT_FALSE(csv.empty());
    EXPECT_EQ(Plan({"--check", csv}).status, 0);
    std::string text = Slurp(csv);
    const auto line2 = text.find('\n') + 1;
    const auto alt = text.find(',', text.find(',', line2) + 1) + 1; // third column: altitude
    text.replace(alt, text.find(',', alt) - alt, "900");
    std::ofstream(csv, std::ios::binary) << text;
    const Outcome high = Plan({"--check", csv});
    EXPECT_EQ(high.status, 1) << high.out;
    EXPECT_EQ(Plan({"--check", dir.File("fehlt.csv")}).status, 1);
}

} // namespace
} // namespace korvale

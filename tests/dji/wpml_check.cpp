// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The checker on real files of DJI's apps and other tools (nothing that makes them unflyable)
// and on one broken file per rule, each giving its named finding.
#include "dji/wpml_check.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "dji/profiles.h"
#include "dji/route.h"
#include "dji/wpml_write.h"
#include "model/fileio.h"
#include "tests/dji/kmz_oracle.h"

namespace korvale {
namespace {

const std::vector<DroneProfile>& Profiles() {
    static const std::vector<DroneProfile> all =
        LoadDroneProfiles(KORVALE_SOURCE_DIR "/data/drones.json");
    return all;
}

TEST(WpmlCheck, RealFilesOfOtherToolsHaveNoHardFinding) {
    std::size_t files = 0;
    for (const auto& e : std::filesystem::directory_iterator(KORVALE_FIXTURES_DIR "/wpml")) {
        if (e.path().extension() != ".kmz")
            continue;
        SCOPED_TRACE(e.path().filename().string());
        ++files;
        const WpmlCheck c = CheckWpmlKmz(ReadFileBytes(e.path().string()), nullptr);
        EXPECT_TRUE(c.hard.empty()) << WpmlFindingsText(c);
        EXPECT_GT(c.waypoints, 2u);
    }
    EXPECT_EQ(files, 5u);
}

// Five waypoints 100 m apart going north at 50 m, a picture at each.
Route Line(std::size_t n = 5, double speed = 5) {
    Route r;
    for (std::size_t i = 0; i < n; ++i) {
        RouteWaypoint w;
        w.lat = 48.1 + static_cast<double>(i) * 0.0009;
        w.lon = 9.2;
        w.heightM = 50;
        w.speedMps = speed;
        w.photo = true;
        r.waypoints.push_back(w);
    }
    return r;
}

std::string Replace(std::string s, const std::string& from, const std::string& to) {
    const auto at = s.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos)
        s.replace(at, from.size(), to);
    return s;
}

TEST(WpmlCheck, EachBrokenFileGivesItsNamedFinding) {
    const DroneProfile& fly = FindDroneProfile(Profiles(), "mini4pro");
    const DroneProfile& pilot = FindDroneProfile(Profiles(), "m4e");
    const WpmlFiles good = EncodeWpml(Line(), fly, {});
    const auto zip = [](const std::string& t, const std::string& w) {
        return test::Zip({{"wpmz/template.kml", t}, {"wpmz/waylines.wpml", w}});
    };
    Route distance = Line();
    distance.waypoints[0].photoDistanceM = 20;
    RouteWaypoint far = distance.waypoints.back();
    far.lat += 0.03; // 3.3 km
    Route longLeg = Line();
    longLeg.waypoints.push_back(far);
    // The first waypoint of a line holds two groups (gimbal, distance trigger).
    const WpmlFiles dup = EncodeWpml(distance, pilot, {});
    const struct {
        const char* label;
        std::string bytes;
        const DroneProfile* profile;
        const char* rule;
        long long waypoint;
    } cases[] = {
        {"not a zip", "PK\x03\x04 kaputt", &fly, "file", -1},
        {"template missing", test::Zip({{"wpmz/waylines.wpml", good.waylinesWpml}}), &fly,
         "entries", -1},
        {"waylines missing", test::Zip({{"wpmz/template.kml", good.templateKml}}), &fly, "entries",
         -1},
        {"no XML", zip(good.templateKml, "<kml"), &fly, "file", -1},
        {"Pilot 2 namespace for DJI Fly",
         EncodeWpmlKmz(EncodeWpml(Line(),
                                  [&] {
                                      DroneProfile d = fly;
                                      d.wpmlNamespace = pilot.wpmlNamespace;
                                      return d;
                                  }(),
                                  {})),
         &fly, "namespace", -1},
        {"height differs",
         zip(good.templateKml,
             Replace(good.waylinesWpml, "<wpml:executeHeight>50<", "<wpml:executeHeight>5<")),
         &fly, "height-mismatch", 0},
        {"waypoint missing in template",
         zip(EncodeWpml(Line(4), fly, {}).templateKml, good.waylinesWpml), &fly,
         "waypoint-mismatch", -1},
        {"required element",
         zip(good.templateKml, Replace(good.waylinesWpml,
                                       "<wpml:finishAction>goHome"
                                       "</wpml:finishAction>",
                                       "")),
         &fly, "required", -1},
        {"more waypoints than DJI Fly copes with", EncodeWpmlKmz(EncodeWpml(Line(120), fly, {})),
         &fly, "waypoints", -1},
        {"speed above the cap", EncodeWpmlKmz(EncodeWpml(Line(5, 13), fly, {})), &fly, "speed", 0},
        {"distance trigger in DJI Fly", EncodeWpmlKmz(EncodeWpml(distance, fly, {})), &fly,
         "trigger", 0},
        {"distance trigger in a DJI Fly file, no profile",
         EncodeWpmlKmz(EncodeWpml(distance, fly, {})), nullptr, "trigger", 0},
        {"two groups of one id at one waypoint",
         zip(dup.templateKml,
             Replace(dup.waylinesWpml, "<wpml:actionGroupId>1<", "<wpml:actionGroupId>0<")),
         &pilot, "duplicate-id", 0},
        {"two actions of one id in a group",
         zip(good.templateKml,
             Replace(good.waylinesWpml, "<wpml:actionId>1<", "<wpml:actionId>0<")),
         &fly, "duplicate-id", 0},
        {"index gap",
         zip(good.templateKml, Replace(good.waylinesWpml, "<wpml:index>2<", "<wpml:index>7<")),
         &fly, "index", 7},
        {"leg beyond the drone's reach", EncodeWpmlKmz(EncodeWpml(longLeg, pilot, {})), &pilot,
         "leg", 5},
        {"number that is none",
         zip(good.templateKml,
             Replace(good.waylinesWpml, "<wpml:waypointSpeed>5<", "<wpml:waypointSpeed>5,0<")),
         &fly, "number", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const WpmlCheck check = CheckWpmlKmz(c.bytes, c.profile);
        bool found = false;
        for (const WpmlFinding& f : check.hard)
            found = found || (f.rule == c.rule && f.waypoint == c.waypoint);
        EXPECT_TRUE(found) << WpmlFindingsText(check);
    }
    // The unbroken files of both apps pass.
    EXPECT_TRUE(CheckWpmlKmz(EncodeWpmlKmz(good), &fly).hard.empty());
    Route p2 = Line();
    p2.waypoints[0].photoDistanceM = 20;
    const WpmlCheck ok = CheckWpmlKmz(EncodeWpmlKmz(EncodeWpml(p2, pilot, {})), &pilot);
    EXPECT_TRUE(ok.hard.empty()) << WpmlFindingsText(ok);
    EXPECT_TRUE(ok.soft.empty()) << WpmlFindingsText(ok);
    // Pictures 10 m apart at 12 m/s come faster than the Mini 4 Pro's 2 s: a warning only.
    Route dense = Line(5, 12);
    for (std::size_t i = 0; i < dense.waypoints.size(); ++i)
        dense.waypoints[i].lat = 48.1 + static_cast<double>(i) * 0.00009;
    const WpmlCheck fast = CheckWpmlKmz(EncodeWpmlKmz(EncodeWpml(dense, fly, {})), &fly);
    EXPECT_TRUE(fast.hard.empty()) << WpmlFindingsText(fast);
    ASSERT_FALSE(fast.soft.empty());
    EXPECT_EQ(fast.soft.front().rule, "photo-interval");
    EXPECT_NE(fast.soft.front().text.find(
                  "Bilder bis zu alle 0.8 s (an 4 Wegpunkten), die Kamera braucht 2 s"),
              std::string::npos)
        << fast.soft.front().text;
}

} // namespace
} // namespace korvale

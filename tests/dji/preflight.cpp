// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The pre-flight sheet: one page per part with the part's own figures, the pilot's hand
// settings, warnings where speed or battery do not hold, and refusals that write nothing.
#include <gtest/gtest.h>

#include <map>

#include "dji/preflight.h"
#include "model/error.h"

using namespace korvale;

namespace {

PreflightInput TwoParts() {
    PreflightInput in;
    in.droneName = "DJI Mini 4 Pro";
    in.app = FlightApp::DjiFly;
    in.heightM = 60;
    in.speedMps = 5;
    in.speedLimitMps = 6.25;
    in.limitBy = "Bildfolge";
    in.batteryMin = 25;
    in.reservePct = 20;
    in.exposureS = 0.001;
    in.imageWidthPx = 4032;
    in.imageHeightPx = 3024;
    in.parts = {{{{48.1, 11.5}, {48.101, 11.5}, {48.101, 11.501}}, 1234.4, 12.25, std::nullopt},
                {{{48.2, 11.6}, {48.201, 11.6}}, 111.2, 21.0, 33.25}};
    return in;
}

std::map<std::string, std::string> Rows(const PreflightPage& p) {
    return {p.rows.begin(), p.rows.end()};
}

} // namespace

TEST(Preflight, EachPartHasItsOwnPageWithItsFigures) {
    const std::vector<PreflightPage> pages = PreflightSheet(TwoParts());
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0].title, "Vorflugblatt – Teil 1 von 2");
    const auto r0 = Rows(pages[0]);
    EXPECT_EQ(r0.at("Drohne"), "DJI Mini 4 Pro");
    EXPECT_EQ(r0.at("App"), "DJI Fly");
    EXPECT_EQ(r0.at("Startpunkt (1. Wegpunkt)"), "48.100000, 11.500000");
    EXPECT_EQ(r0.at("Abflugort"), "am 1. Wegpunkt");
    EXPECT_EQ(r0.at("Wegpunkte"), "3");
    EXPECT_EQ(r0.at("Strecke"), "1234 m");
    EXPECT_EQ(r0.at("Flugzeit (Modell)"), "12.3 min"); // 12.25 half away from zero
    EXPECT_EQ(r0.at("Akkuanteil"), "49 % von 25 min (nutzbar 80 %, Reserve 20 %)");
    EXPECT_EQ(r0.at("Geschwindigkeit"), "5.0 m/s (18 km/h)");
    EXPECT_EQ(r0.at("Grenze der Geschwindigkeit"), "6.3 m/s – Bildfolge");
    EXPECT_EQ(r0.count("Geringste Höhe über Grund"), 0u); // no elevation model for this part
    EXPECT_TRUE(pages[0].warnings.empty());
    EXPECT_EQ(pages[0].route.size(), 3u);

    const auto r1 = Rows(pages[1]);
    EXPECT_EQ(r1.at("Teil"), "2 von 2");
    EXPECT_EQ(r1.at("Geringste Höhe über Grund"), "33.3 m");
    EXPECT_EQ(pages[1].takeoff.lat, 48.2);
    // 21 of 25 minutes is 84 %, above the 80 % the reserve leaves.
    ASSERT_EQ(pages[1].warnings.size(), 1u);
    EXPECT_NE(pages[1].warnings[0].find("84 %"), std::string::npos);
    // The hand settings name the exposure and the picture of the profile.
    const std::string all = PreflightText(pages);
    EXPECT_NE(all.find("Verschlusszeit 1/1000 s"), std::string::npos);
    EXPECT_NE(all.find("4032 × 3024"), std::string::npos);
    EXPECT_NE(all.find("Vorflugblatt – Teil 2 von 2"), std::string::npos);
}

TEST(Preflight, TakeoffAwayFromTheRouteAndTooFastAreShown) {
    PreflightInput in = TwoParts();
    in.takeoff = PreflightPos{48.05, 11.45};
    in.speedMps = 8;
    in.droneName.clear();
    const std::vector<PreflightPage> pages = PreflightSheet(in);
    for (const PreflightPage& p : pages) {
        EXPECT_EQ(Rows(p).at("Abflugort"), "48.050000, 11.450000");
        EXPECT_EQ(Rows(p).at("Drohne"), "eigene Kamerawerte");
        EXPECT_EQ(p.takeoff.lon, 11.45);
        ASSERT_FALSE(p.warnings.empty());
        EXPECT_NE(p.warnings[0].find("Bildfolge"), std::string::npos);
    }
}

TEST(Preflight, RefusesWhatCannotBeASheet) {
    struct Case {
        const char* what;
        void (*change)(PreflightInput&);
    };
    for (const Case& c : {Case{"keine Mission", [](PreflightInput& i) { i.parts.clear(); }},
                          Case{"Akkuzeit", [](PreflightInput& i) { i.batteryMin = 0; }},
                          Case{"Akkureserve", [](PreflightInput& i) { i.reservePct = 51; }},
                          Case{"Akkureserve", [](PreflightInput& i) { i.reservePct = -1; }}}) {
        PreflightInput in = TwoParts();
        c.change(in);
        try {
            PreflightSheet(in);
            ADD_FAILURE() << c.what;
        } catch (const Error& e) {
            EXPECT_EQ(e.kind(), ErrorKind::Refused);
            EXPECT_NE(std::string(e.what()).find(c.what), std::string::npos) << e.what();
        }
    }
}

TEST(Preflight, LowestClearanceOfAPartCountsItsWaypointsAndTheGroundBetweenThem) {
    // Take-off at 100 m; four waypoints at 40 m above take-off; the ground rises under the
    // second leg to 131 m between waypoints 1 and 2 (9 m clearance there).
    TerrainResult t;
    t.takeoffGround = 100;
    for (std::size_t i = 0; i < 4; ++i) {
        TerrainWaypoint w;
        w.altitude = 40;
        w.ground = i == 3 ? 125 : 100; // the last waypoint has 15 m below it
        w.leg = i;
        t.waypoints.push_back(w);
    }
    t.profile = {{0, 100, 140, 0}, {50, 131, 140, 1}, {80, 110, 140, 2}};
    struct Case {
        std::size_t first, count;
        std::optional<double> least;
    };
    for (const Case& c : {Case{0, 4, 9.0}, Case{0, 2, 40.0}, Case{1, 2, 9.0}, Case{2, 2, 15.0},
                          Case{3, 1, 15.0}, Case{0, 0, std::nullopt}, Case{3, 2, std::nullopt}}) {
        EXPECT_EQ(PartClearance(t, 4, c.first, c.count), c.least) << c.first << "+" << c.count;
    }
    // A result of another mission (the mission was changed since) gives no figure.
    EXPECT_EQ(PartClearance(t, 5, 0, 4), std::nullopt);
}

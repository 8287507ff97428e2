// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The mission limit table: each limit at, just inside and just outside its range, legs and
// curve sizes measured on the ellipsoid, and the soft warnings.
#include "litchi/limits.h"

#include <cmath>
#include <functional>
#include <limits>

#include <gtest/gtest.h>

#include "model/error.h"
#include "model/state.h"

namespace korvale {
namespace {

// Longitude step of one metre at 48° N. Legs run east-west: a float longitude near 11° keeps
// steps of 7 cm there, a float latitude near 48° only steps of 42 cm.
const double kMetreLon = 1.0 / WaypointDistance(48.0, 11.0, 48.0, 12.0);

TlitchRec Wp(double lat, double lon) {
    TlitchRec r;
    r.latitude = static_cast<float>(lat);
    r.longitude = static_cast<float>(lon);
    r.altitude = 40;
    r.speed = 5;
    for (auto& a : r.Actions)
        a.actiontype = -1;
    return r;
}

// A valid mission of n waypoints in a row, legs of 20 m.
std::vector<TlitchRec> Mission(int n = 3) {
    std::vector<TlitchRec> m;
    for (int i = 0; i < n; ++i)
        m.push_back(Wp(48.0, 11.0 + i * 20 * kMetreLon));
    return m;
}

bool HasHard(const MissionCheck& c, const std::string& key, int wp) {
    for (const auto& f : c.hard)
        if (f.limitKey == key && f.waypoint == wp)
            return true;
    return false;
}

bool HasSoft(const MissionCheck& c, const std::string& key) {
    for (const auto& f : c.soft)
        if (f.limitKey == key)
            return true;
    return false;
}

TEST(MissionLimits, ValidMissionHasNoFinding) {
    const auto c = CheckMission(Mission(), {});
    EXPECT_TRUE(c.hard.empty()) << FindingsText(c.hard);
    EXPECT_TRUE(c.soft.empty()) << FindingsText(c.soft);
    EXPECT_NEAR(c.lengthM, 40, 0.15);
}

struct Case {
    const char* name;
    std::function<void(TlitchRec&)> set;
    const char* key;
    bool hard;
};

TEST(MissionLimits, EachFieldAtInsideAndOutsideItsRange) {
    const std::vector<Case> cases = {
        {"altitude 500", [](TlitchRec& r) { r.altitude = 500; }, "altitude", false},
        {"altitude 500.1", [](TlitchRec& r) { r.altitude = 500.1f; }, "altitude", true},
        {"altitude -200", [](TlitchRec& r) { r.altitude = -200; }, "altitude", false},
        {"altitude -200.1", [](TlitchRec& r) { r.altitude = -200.1f; }, "altitude", true},
        {"altitude NaN", [](TlitchRec& r) { r.altitude = std::nanf(""); }, "altitude", true},
        {"speed 0", [](TlitchRec& r) { r.speed = 0; }, "speed", false},
        {"speed 15", [](TlitchRec& r) { r.speed = 15; }, "speed", false},
        {"speed 15.1", [](TlitchRec& r) { r.speed = 15.1f; }, "speed", true},
        {"speed -0.1", [](TlitchRec& r) { r.speed = -0.1f; }, "speed", true},
        {"pitch -90", [](TlitchRec& r) { r.gimbalpitchangle = -90; }, "gimbalpitch", false},
        {"pitch -90.5", [](TlitchRec& r) { r.gimbalpitchangle = -90.5f; }, "gimbalpitch", true},
        {"pitch 30", [](TlitchRec& r) { r.gimbalpitchangle = 30; }, "gimbalpitch", false},
        {"pitch 30.5", [](TlitchRec& r) { r.gimbalpitchangle = 30.5f; }, "gimbalpitch", true},
        {"action 5", [](TlitchRec& r) { r.Actions[3].actiontype = 5; }, "actiontype", false},
        {"action 6", [](TlitchRec& r) { r.Actions[3].actiontype = 6; }, "actiontype", true},
        {"action -2", [](TlitchRec& r) { r.Actions[0].actiontype = -2; }, "actiontype", true},
        {"15 actions",
         [](TlitchRec& r) {
             for (auto& a : r.Actions)
                 a.actiontype = 1;
         },
         "actions", false},
        {"curve -1", [](TlitchRec& r) { r.curvesize = -1; }, "curvesize", true},
    };
    for (const auto& k : cases) {
        auto m = Mission();
        k.set(m[1]);
        const auto c = CheckMission(m, {});
        EXPECT_EQ(HasHard(c, k.key, 2), k.hard) << k.name << "\n" << FindingsText(c.hard);
        if (!k.hard) {
            EXPECT_TRUE(c.hard.empty()) << k.name << "\n" << FindingsText(c.hard);
        }
    }
}

TEST(MissionLimits, MessageNamesWaypointColumnAndLimit) {
    auto m = Mission();
    m[2].altitude = 600;
    const auto c = CheckMission(m, {});
    ASSERT_EQ(c.hard.size(), 1u);
    EXPECT_EQ(c.hard[0].column, "altitude(m)");
    EXPECT_EQ(c.hard[0].text, "Wegpunkt 3, Spalte altitude(m): Höhe über dem Start 600 m liegt "
                              "außerhalb von -200 bis 500 m (Wegpunktsteuerung der Drohne).");
}

TEST(MissionLimits, LegLengthsAroundTheirLimits) {
    // Ellipsoidal distance against a north-south leg whose length is known from the meridian
    // arc: one minute of latitude at 48° N is 1853.3 m.
    EXPECT_NEAR(WaypointDistance(48.0, 11.0, 48.0 + 1.0 / 60, 11.0), 1853.3, 0.2);
    // Across 180 degrees the leg is as short as the same leg anywhere else.
    const double east = WaypointDistance(-17.0, 179.99, -17.0, 179.999);
    EXPECT_NEAR(WaypointDistance(-17.0, 179.995, -17.0, -179.996), east, 1e-6);
    EXPECT_NEAR(WaypointDistance(-17.0, -179.996, -17.0, 179.995), east, 1e-6);

    struct Leg {
        double metres;
        const char* hardKey;
        const char* softKey;
    };
    for (const Leg& l : {Leg{1999, nullptr, nullptr}, Leg{2001, "leg", nullptr},
                         Leg{0.7, nullptr, nullptr}, Leg{0.3, nullptr, "leg-short"}}) {
        std::vector<TlitchRec> m = {Wp(48.0, 11.0), Wp(48.0, 11.0 + l.metres * kMetreLon)};
        const auto c = CheckMission(m, {});
        EXPECT_EQ(c.hard.empty(), l.hardKey == nullptr) << l.metres;
        if (l.hardKey) {
            EXPECT_TRUE(HasHard(c, l.hardKey, 2)) << l.metres;
        }
        EXPECT_EQ(HasSoft(c, "leg-short"), l.softKey != nullptr) << l.metres;
    }
    // A position beyond any number (a float column that overflowed) is no leg to fly.
    std::vector<TlitchRec> lost = {Wp(48.0, 11.0), Wp(48.0, 11.0), Wp(48.0, 11.0)};
    lost[1].latitude = lost[2].latitude = std::numeric_limits<float>::infinity();
    const auto c = CheckMission(lost, {});
    EXPECT_TRUE(HasHard(c, "leg", 2)) << FindingsText(c.hard);
    EXPECT_TRUE(HasHard(c, "leg", 3)) << FindingsText(c.hard);
    EXPECT_TRUE(HasHard(c, "length", 0)) << FindingsText(c.hard);
}

TEST(MissionLimits, CurveSizesMustFitTheirLeg) {
    for (const auto& [a, b, hard] : {std::tuple{5.f, 5.f, false}, std::tuple{10.f, 10.f, true},
                                     std::tuple{0.f, 19.f, false}, std::tuple{0.f, 21.f, true}}) {
        auto m = Mission(2); // one leg of about 20 m
        m[0].curvesize = a;
        m[1].curvesize = b;
        EXPECT_EQ(HasHard(CheckMission(m, {}), "curvefit", 2), hard) << a << " " << b;
    }
}

TEST(MissionLimits, WaypointCountAndLengthOfTheMission) {
    MissionCheckOptions opt;
    opt.maxWaypoints = 5;
    EXPECT_FALSE(HasHard(CheckMission(Mission(5), opt), "waypoints", 0));
    EXPECT_TRUE(HasHard(CheckMission(Mission(6), opt), "waypoints", 0));
    EXPECT_TRUE(HasSoft(CheckMission(Mission(1), opt), "waypoints"));
    EXPECT_FALSE(HasSoft(CheckMission(Mission(2), opt), "waypoints"));
    // The table's own maximum when the page sets none.
    EXPECT_TRUE(CheckMission(Mission(99), {}).hard.empty());
    EXPECT_TRUE(HasHard(CheckMission(Mission(100), {}), "waypoints", 0));

    // Sixteen legs of 1900 m: each leg fits, the 30.4 km of the whole do not.
    std::vector<TlitchRec> zigzag;
    for (int i = 0; i < 17; ++i)
        zigzag.push_back(Wp(48.0, 11.0 + (i % 2) * 1900 * kMetreLon));
    const auto c = CheckMission(zigzag, {});
    EXPECT_TRUE(HasHard(c, "length", 0)) << FindingsText(c.hard);
    EXPECT_FALSE(HasHard(c, "leg", 2));
    zigzag.pop_back();
    EXPECT_FALSE(HasHard(CheckMission(zigzag, {}), "length", 0));
}

TEST(MissionLimits, SoftWarnings) {
    auto m = Mission();
    m[0].altitude = 0;
    m[1].speed = 0;
    m[2].photo_timeinterval = 0;
    MissionCheckOptions grid;
    grid.gridMission = true;
    const auto c = CheckMission(m, grid);
    EXPECT_TRUE(c.hard.empty());
    EXPECT_TRUE(HasSoft(c, "altitude-zero"));
    EXPECT_TRUE(HasSoft(c, "speed-zero"));
    EXPECT_TRUE(HasSoft(c, "interval-zero"));

    MissionCheckOptions withSpeed;
    withSpeed.missionSpeed = 8;
    EXPECT_FALSE(HasSoft(CheckMission(m, withSpeed), "speed-zero"));
    EXPECT_FALSE(HasSoft(CheckMission(m, {}), "interval-zero"));
}

TEST(MissionLimits, TableRowsAreConsistent) {
    for (const auto& l : MissionLimits()) {
        EXPECT_LE(l.min, l.max) << l.key;
        EXPECT_FALSE(l.source.empty()) << l.key;
        EXPECT_EQ(&MissionLimitOf(l.key), &l);
    }
    try {
        MissionLimitOf("nonsense");
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(e.kind(), ErrorKind::Internal);
    }
}

} // namespace
} // namespace korvale

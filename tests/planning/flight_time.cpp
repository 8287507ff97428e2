// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The flight-time model against missions computed by hand, its ranges against whole flights,
// the bound path / speed over random plans; and the speed limit as the least of its terms.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "planning/flight_time.h"
#include "planning/plan.h"
#include "planning/speed_limit.h"
#include "tests/support/expect_error.h"

namespace korvale {
namespace {

using test::ExpectError;

// Height 40 m, climb 4 m/s, descent 2 m/s, transit 10 m/s, 2 m/s², 1 s per stop, 2 s per photo
// stop, mission at 5 m/s: a run needs 12.5 m to reach 5 m/s and brake again (25 m at 10 m/s).
FlightModel HandModel() {
    FlightModel m;
    m.climbMps = 4;
    m.descentMps = 2;
    m.transitMps = 10;
    m.accelMps2 = 2;
    m.stopTurnDeg = 15;
    m.hoverStopS = 1;
    m.photoStopS = 2;
    return m;
}

TEST(FlightTime, MissionsComputedByHand) {
    const double kink = 50 * std::tan(10 * std::acos(-1.0) / 180); // a 10° bend: flown through
    const struct {
        const char* label;
        std::vector<PlanPt> points;
        std::vector<bool> photo;
        bool stopsAtPhotos;
        std::optional<PlanPt> takeoff;
        double totalS;
        std::size_t stops;
    } cases[] = {
        // climb 10 + back 100 m (10 + 5) + line (20 + 2.5) + 2 stops + descent 20
        {"one line", {{0, 0}, {100, 0}}, {}, false, {}, 69.5, 2},
        // climb 10 + back 20 m (2 sqrt 10, never at 10 m/s) + 2 x 22.5 + 20 m (4 + 2.5)
        // + 4 stops + descent 20
        {"U with stops",
         {{0, 0}, {100, 0}, {100, 20}, {0, 20}},
         {},
         false,
         {},
         10 + 2 * std::sqrt(10.0) + 45 + 6.5 + 4 + 20,
         4},
        // one run over both pieces: 10 + back + (50 + 50/cos 10°) / 5 + 2.5 + 2 + 20
        {"bend below the stop angle",
         {{0, 0}, {50, 0}, {100, kink}},
         {},
         false,
         {},
         10 + (std::hypot(100, kink) / 10 + 5) + (50 + std::hypot(50, kink)) / 5 + 2.5 + 2 + 20,
         2},
        // DJI Fly, a picture every 10 m: 4 runs of 2 sqrt 5 s, 5 stops of 1 + 2 s,
        // back 40 m in 2 sqrt 20 s
        {"photo per waypoint",
         {{0, 0}, {10, 0}, {20, 0}, {30, 0}, {40, 0}},
         {true, true, true, true, true},
         true,
         {},
         10 + 2 * std::sqrt(20.0) + 4 * 2 * std::sqrt(5.0) + 15 + 20,
         5},
        // the same pictures where the app fires distance triggers: one run, no photo stops
        {"photos in flight",
         {{0, 0}, {10, 0}, {20, 0}, {30, 0}, {40, 0}},
         {true, true, true, true, true},
         false,
         {},
         10 + 2 * std::sqrt(20.0) + 40.0 / 5 + 2.5 + 2 + 20,
         2},
        // 500 m out (50 + 5), sqrt(100² + 500²) back, the line, 2 stops
        {"transit of 500 m",
         {{0, 0}, {100, 0}},
         {},
         false,
         PlanPt{0, -500},
         10 + 55 + (std::hypot(100, 500) / 10 + 5) + 22.5 + 2 + 20,
         2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        FlightModel m = HandModel();
        m.stopsAtPhotos = c.stopsAtPhotos;
        const ModelWay w{c.points, c.photo, 40, 5, c.takeoff};
        const FlightTime t = ModelFlightTime(w, m);
        EXPECT_NEAR(t.TotalS(), c.totalS, 1e-9);
        EXPECT_EQ(t.stops, c.stops);
        EXPECT_DOUBLE_EQ(t.climbS, 10);
        EXPECT_DOUBLE_EQ(t.descentS, 20);
        EXPECT_NEAR(t.TotalMin(), c.totalS / 60, 1e-12);
    }
}

TEST(FlightTime, RunsAndRefusals) {
    EXPECT_DOUBLE_EQ(RunTimeS(0, 5, 2), 0);
    EXPECT_DOUBLE_EQ(RunTimeS(12.5, 5, 2), 5); // just reaches 5 m/s: 2.5 + 2.5
    EXPECT_DOUBLE_EQ(RunTimeS(8, 5, 2), 4);    // a triangle: 2 sqrt(8 / 2)
    EXPECT_EQ(ModelFlightTime({}, HandModel()).TotalS(), 0);

    const ModelWay line{{{0, 0}, {100, 0}}, {}, 40, 5, {}};
    ModelWay stillStanding = line;
    stillStanding.speedMps = 0;
    ExpectError([&] { ModelFlightTime(stillStanding, HandModel()); }, ErrorKind::Refused,
                "Geschwindigkeit der Mission");
    const struct {
        const char* decisive;
        double FlightModel::*field;
        double value;
    } bad[] = {
        {"Steigrate", &FlightModel::climbMps, 0},
        {"Sinkrate", &FlightModel::descentMps, -1},
        {"Transfergeschwindigkeit", &FlightModel::transitMps,
         std::numeric_limits<double>::infinity()},
        {"Beschleunigung", &FlightModel::accelMps2, std::nan("")},
        {"Haltezeit", &FlightModel::hoverStopS, -0.5},
    };
    for (const auto& b : bad) {
        SCOPED_TRACE(b.decisive);
        FlightModel m = HandModel();
        m.*b.field = b.value;
        ExpectError([&] { ModelFlightTime(line, m); }, ErrorKind::Refused, b.decisive);
    }
}

// Random ways (also real plans): every range equals the whole flight of its own waypoints with
// the same take-off, and no flight is shorter than its path at the mission speed.
TEST(FlightTime, RangesEqualTheirOwnFlightAndNeverBeatPathOverSpeed) {
    std::mt19937 rng(24);
    std::uniform_real_distribution<double> coord(-300, 300);
    for (int round = 0; round < 60; ++round) {
        SCOPED_TRACE(round);
        ModelWay w;
        if (round % 3 == 0) {
            // A real plan: a random quadrilateral at a random direction.
            const std::vector<PlanPt> ring = {{coord(rng) - 400, coord(rng) - 400},
                                              {coord(rng) + 400, coord(rng) - 400},
                                              {coord(rng) + 400, coord(rng) + 400},
                                              {coord(rng) - 400, coord(rng) + 400}};
            const FlightPlan plan = PlanFlight(ring, coord(rng) + 300, 30, 12, 36);
            w = PlanModelWay(plan, round % 2 == 0, 60, 10, std::nullopt).way;
        } else {
            const int n = 2 + static_cast<int>(rng() % 30);
            for (int i = 0; i < n; ++i) {
                w.points.push_back({coord(rng), coord(rng)});
                w.photo.push_back(rng() % 2 == 0);
            }
            // Repeated points turn nothing.
            w.points.push_back(w.points.back());
            w.photo.push_back(false);
            w.heightM = static_cast<double>(rng() % 120);
            w.speedMps = 1 + static_cast<double>(rng() % 14);
        }
        if (round % 2 == 1)
            w.takeoff = PlanPt{coord(rng), coord(rng)};
        FlightModel m = HandModel();
        m.stopsAtPhotos = round % 4 < 2;
        const TimedWay timed(w, m);
        const std::size_t n = timed.size();
        ASSERT_GE(n, 2u);
        for (int k = 0; k < 20; ++k) {
            std::size_t f = rng() % n, l = rng() % n;
            if (f > l)
                std::swap(f, l);
            ModelWay part = w;
            part.points.assign(w.points.begin() + static_cast<long>(f),
                               w.points.begin() + static_cast<long>(l + 1));
            if (!w.photo.empty())
                part.photo.assign(w.photo.begin() + static_cast<long>(f),
                                  w.photo.begin() + static_cast<long>(l + 1));
            part.takeoff = w.takeoff ? *w.takeoff : w.points.front();
            const FlightTime a = timed.Range(f, l);
            const FlightTime b = ModelFlightTime(part, m);
            EXPECT_NEAR(a.TotalS(), b.TotalS(), 1e-6 * (1 + b.TotalS()));
            EXPECT_EQ(a.stops, b.stops);
            EXPECT_NEAR(a.pathM, b.pathM, 1e-6 * (1 + b.pathM));
            EXPECT_GE(a.missionS, a.pathM / w.speedMps);
            EXPECT_GE(a.TotalS(), a.pathM / w.speedMps);
        }
    }
}

TEST(SpeedLimit, TheLeastOfItsTermsEachBindingOnce) {
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        const char* label;
        SpeedLimitInput in;
        double maxMps;
        SpeedLimitBy by;
    } cases[] = {
        // blur 0.5 x 0.02 / 0.001 = 10; interval 10 m / 2 s = 5; cap 15
        {"interval", {0.02, 0.001, 0.5, false, 0, 2, 10, 15}, 5, SpeedLimitBy::Bildfolge},
        // blur 0.5 x 0.01 / 0.004 = 1.25; interval 10 / 0.7 = 14.3
        {"blur",
         {0.01, 0.004, 0.5, false, 0, 0.7, 10, 15},
         1.25,
         SpeedLimitBy::Bewegungsunschaerfe},
        // blur 0.5 x 0.02 / 0.0005 = 20; readout 0.5 x 0.02 / 0.03 = 1/3
        {"rolling shutter",
         {0.02, 0.0005, 0.5, true, 0.03, 2, 100, 15},
         1.0 / 3,
         SpeedLimitBy::RollingShutter},
        // the same camera with a mechanical shutter: the readout does not count
        {"mechanical shutter",
         {0.02, 0.0005, 0.5, false, 0.03, 2, 100, 15},
         15,
         SpeedLimitBy::Drohne},
        // blur 0.5 x 0.05 / 0.0005 = 50, interval 20 / 0.5 = 40, cap 15
        {"drone", {0.05, 0.0005, 0.5, false, 0, 0.5, 20, 15}, 15, SpeedLimitBy::Drohne},
        // a wider shift allowed: 2 x 0.02 / 0.03 = 1.33 still binds before blur 80
        {"shift 2 px",
         {0.02, 0.0005, 2, true, 0.03, 0, 0, 0},
         0.04 / 0.03,
         SpeedLimitBy::RollingShutter},
        // nothing known but the exposure: blur alone
        {"blur alone",
         {0.02, 0.001, 0.5, false, 0, 0, 0, 0},
         10,
         SpeedLimitBy::Bewegungsunschaerfe},
        // a tie goes to the first named: interval 10 / 1 = blur 0.5 x 0.02 / 0.001 = 10
        {"tie", {0.02, 0.001, 0.5, false, 0, 1, 10, 10}, 10, SpeedLimitBy::Bildfolge},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const SpeedLimit s = MaxSpeed(c.in);
        EXPECT_NEAR(s.maxMps, c.maxMps, 1e-12);
        EXPECT_EQ(s.by, c.by);
        EXPECT_EQ(s.maxMps, std::min({s.bildfolgeMps, s.blurMps, s.rollingShutterMps, s.droneMps}));
        if (!c.in.rollingShutter) {
            EXPECT_EQ(s.rollingShutterMps, inf);
        }
    }
    EXPECT_EQ(SpeedLimitName(SpeedLimitBy::Bildfolge), "Bildfolge");
    EXPECT_EQ(SpeedLimitName(SpeedLimitBy::Bewegungsunschaerfe), "Bewegungsunschärfe");
    EXPECT_EQ(SpeedLimitName(SpeedLimitBy::RollingShutter), "Rolling Shutter");
    EXPECT_EQ(SpeedLimitName(SpeedLimitBy::Drohne), "Drohne");

    const struct {
        const char* decisive;
        SpeedLimitInput in;
    } bad[] = {
        {"Belichtungszeit", {0.02, 0, 0.5, false, 0, 0, 0, 0}},
        {"Bodenauflösung", {0, 0.001, 0.5, false, 0, 0, 0, 0}},
        {"Versatz", {0.02, 0.001, -1, false, 0, 0, 0, 0}},
        {"Auslesezeit", {0.02, 0.001, 0.5, true, -0.03, 0, 0, 0}},
        {"Bildfolge", {0.02, 0.001, 0.5, false, 0, std::nan(""), 0, 0}},
    };
    for (const auto& b : bad) {
        SCOPED_TRACE(b.decisive);
        ExpectError([&] { MaxSpeed(b.in); }, ErrorKind::Refused, b.decisive);
    }
}

} // namespace
} // namespace korvale

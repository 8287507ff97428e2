// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The limit check at writing (refuses the whole set, names part, waypoint, column and limit)
// and at reading (warnings only), the grid mission's camera option and the settings the pilot
// must make by hand.
#include "litchi/write_check.h"

#include <gtest/gtest.h>

#include "litchi/csv.h"
#include "litchi/missions.h"
#include "missions_fixture.h"
#include "model/error.h"
#include "planning/params.h"

namespace korvale {
namespace {

using testing::GroundE;
using testing::GroundN;

// Three waypoints 600 m, 30 m and 600 m apart: a two-line grid at 40 m and 15 km/h.
std::vector<TlitchRec> GridMission(const ParamPageModel& p, bool nadir) {
    State s = testing::GeoreferencedState();
    s.CutPoints = {{GroundE(200), GroundN(300)},
                   {GroundE(800), GroundN(300)},
                   {GroundE(200), GroundN(330)},
                   {GroundE(800), GroundN(330)}};
    s.FlightSegs = {{0, 1}, {2, 3}};
    LitchiPageModel m;
    m.CheckBoxNadir = nadir;
    Overlay o;
    MakeLitchiLines(s, p, m, o);
    return s.LitchiRecs;
}

ParamPageModel Computed(double heightM) {
    ParamPageModel p;
    p.NumberBoxH.SetValue(heightM);
    Rechnen(p);
    return p;
}

MissionCheckOptions Grid() {
    MissionCheckOptions o;
    o.gridMission = true;
    return o;
}

std::string Refusal(const std::vector<std::vector<TlitchRec>>& parts) {
    try {
        CheckMissionForWrite(parts, Grid());
    } catch (const Error& e) {
        EXPECT_EQ(e.kind(), ErrorKind::Limit);
        return e.what();
    }
    return {};
}

TEST(MissionWriteCheck, HardFindingsRefuseTheWholeSetNamingPartWaypointAndColumn) {
    const auto good = GridMission(Computed(40), false);
    ASSERT_EQ(good.size(), 4u);
    EXPECT_TRUE(CheckMissionForWrite({good}, Grid()).warnings.empty());

    auto high = good;
    high[2].altitude = 501;
    // One part: no part number; the first line says nothing was written.
    const std::string one = Refusal({high});
    EXPECT_NE(one.find("es wurde nichts geschrieben"), std::string::npos) << one;
    EXPECT_NE(one.find("\nWegpunkt 3, Spalte altitude(m): Höhe über dem Start 501 m liegt "
                       "außerhalb von -200 bis 500 m"),
              std::string::npos)
        << one;
    EXPECT_EQ(one.find("Teil"), std::string::npos) << one;
    EXPECT_NE(one.find("\nAbhilfe: "), std::string::npos) << one;

    // Several parts: every hard finding of every part, each with its part.
    auto fast = good;
    fast[0].speed = 16;
    const std::string set = Refusal({good, high, fast});
    EXPECT_NE(set.find("\nTeil 2: Wegpunkt 3, Spalte altitude(m)"), std::string::npos) << set;
    EXPECT_NE(set.find("\nTeil 3: Wegpunkt 1, Spalte speed(m/s)"), std::string::npos) << set;
    EXPECT_EQ(set.find("Teil 1"), std::string::npos) << set;

    // Soft findings pass with their part named; lengths add up over the parts.
    auto low = good;
    low[1].altitude = 0;
    const MissionWriteCheck w = CheckMissionForWrite({good, low}, Grid());
    ASSERT_EQ(w.warnings.size(), 1u);
    EXPECT_EQ(w.warnings[0].limitKey, "altitude-zero");
    EXPECT_EQ(w.warnings[0].text.rfind("Teil 2: Mission: 1 Wegpunkt mit", 0), 0u)
        << w.warnings[0].text;
    EXPECT_NEAR(w.lengthM, 2 * 1230, 2);
}

TEST(MissionWriteCheck, PictureIntervalCutToZeroByALowFlightIsAWarning) {
    // At 5 m the photo base is under a metre: at 15 km/h a picture every 0.2 s, which the
    // whole-second interval box rounds to 0.
    const ParamPageModel low = Computed(5);
    ASSERT_LT(low.NumberBoxA.Value() / (15 / 3.6), 0.5);
    ASSERT_EQ(low.NumberBoxFrameS.Value(), 0);
    const auto recs = GridMission(low, false);
    const MissionWriteCheck w = CheckMissionForWrite({recs}, Grid());
    ASSERT_EQ(w.warnings.size(), 1u);
    EXPECT_EQ(w.warnings[0].limitKey, "interval-zero");
    EXPECT_NE(WarningsStatus(w.warnings).find("0 s gekürzt"), std::string::npos);

    const auto manual = ManualSettingsLines(recs, Grid());
    EXPECT_NE(manual.back().find("kein Bildintervall"), std::string::npos) << manual.back();
}

TEST(MissionWriteCheck, CameraOptionChangesOnlyTheGimbalColumnsAndReadsBack) {
    const ParamPageModel p = Computed(40);
    const std::string off = FormatLitchiCsv(GridMission(p, false));
    const auto nadirRecs = GridMission(p, true);
    const std::string on = FormatLitchiCsv(nadirRecs);
    // Columns 7 and 8 (gimbalmode, gimbalpitchangle) are the only difference, line by line.
    std::string expected = off;
    for (std::size_t at = 0; (at = expected.find(", 0,  0.0,", at)) != std::string::npos;)
        expected.replace(at, 10, ", 2,-90.0,");
    EXPECT_NE(on, off);
    EXPECT_EQ(on, expected);

    const auto back = ParseLitchiCsv(on);
    ASSERT_EQ(back.size(), nadirRecs.size());
    for (const TlitchRec& r : back) {
        EXPECT_EQ(r.gimbalmode, 2);
        EXPECT_EQ(r.gimbalpitchangle, -90.0f);
    }
    EXPECT_TRUE(CheckMissionAfterRead(back).empty());
}

TEST(MissionWriteCheck, FindingsAfterReadingAreAllWarningsHardOnesFirst) {
    auto recs = GridMission(Computed(40), false);
    recs[0].altitude = 0;
    recs[3].gimbalpitchangle = 45;
    const auto found = CheckMissionAfterRead(ParseLitchiCsv(FormatLitchiCsv(recs)));
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].limitKey, "gimbalpitch");
    EXPECT_EQ(found[0].waypoint, 4);
    EXPECT_EQ(found[1].limitKey, "altitude-zero");
    EXPECT_EQ(WarningsStatus(found), "Achtung, 2 Warnungen (siehe Protokoll): " + found[0].text);
    EXPECT_EQ(WarningsStatus({found[1]}), "Achtung, 1 Warnung (siehe Protokoll): " + found[1].text);
    EXPECT_EQ(WarningsStatus({}), "");
}

TEST(MissionWriteCheck, OtherToolsFilesReadWithOnlyTheWarningsTheyDeserve) {
    // Files of other tools leave the speed to the app's cruising speed; nothing else in them
    // is out of the drone's limits.
    const struct {
        const char* file;
        std::vector<std::string> keys;
    } cases[] = {
        {"JoeKae__litchi_wp__waypoints.csv", {}},
        {"carllx__Litchi_Toolbox__clipboard_OUT.csv", {"speed-zero"}},
        {"pdfinn__flightplan2litchimission__FinalTest.csv", {"speed-zero"}},
    };
    for (const auto& c : cases) {
        const auto found = CheckMissionAfterRead(
            ReadLitchiFile(std::string(KORVALE_FIXTURES_DIR) + "/litchi/" + c.file));
        std::vector<std::string> keys;
        for (const auto& f : found)
            keys.push_back(f.limitKey);
        EXPECT_EQ(keys, c.keys) << c.file << "\n" << FindingsText(found);
    }
}

TEST(MissionWriteCheck, ManualSettingsNameTheValuesThePlanAssumes) {
    const ParamPageModel p = Computed(40);
    struct Case {
        const char* name;
        std::vector<TlitchRec> recs;
        MissionCheckOptions opt;
        std::vector<const char*> want;
    };
    auto freeLine = GridMission(p, false);
    for (auto& r : freeLine) {
        r.heading = 90;
        r.speed = 0;
        r.altitudemode = 1;
    }
    const std::vector<Case> cases = {
        {"grid",
         GridMission(p, false),
         Grid(),
         {"Heading Mode): Auto", "4.2 m/s (15.0 km/h)", "Return to Home",
          "40.0 m über dem Startpunkt", "Neigung -90° – vor dem Start in der App", "alle 2 s"}},
        {"grid, camera in the file",
         GridMission(p, true),
         Grid(),
         {"Neigung -90° – steht in der Datei"}},
        {"free line", freeLine, {}, {"Custom", "die Datei nennt keine", "über Grund"}},
    };
    for (const Case& c : cases) {
        const auto lines = ManualSettingsLines(c.recs, c.opt);
        ASSERT_FALSE(lines.empty()) << c.name;
        std::string all;
        for (const auto& l : lines)
            all += l + "\n";
        for (const char* w : c.want)
            EXPECT_NE(all.find(w), std::string::npos) << c.name << ": " << w << "\n" << all;
    }
    EXPECT_TRUE(ManualSettingsLines({}, Grid()).empty());
}

} // namespace
} // namespace korvale

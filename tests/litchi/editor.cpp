// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The waypoint editor: change rules, showing a waypoint, the record selector.
#include "litchi/editor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor_fields.h"

namespace korvale {
namespace {

using testing::Column;
using testing::Distinct;
using testing::Fields;

using ChangeRule = void (*)(State&, LitchiPageModel&);

struct EditCase {
    const char* name;
    NumberBox LitchiPageModel::*box;
    ChangeRule change;
    double typed;
    double stored;
    Column column;
};

const EditCase kEdits[] = {
    {"Alt", &LitchiPageModel::NumberBoxAlt, NumberBoxAltChange, 60, 60, testing::ColAlt},
    {"Alt clamped", &LitchiPageModel::NumberBoxAlt, NumberBoxAltChange, 2000, 1000,
     testing::ColAlt},
    {"AltMode", &LitchiPageModel::NumberBoxAltMode, NumberBoxAltModeChange, 1, 1,
     testing::ColAltMode},
    {"AltMode cut", &LitchiPageModel::NumberBoxAltMode, NumberBoxAltModeChange, 0.9, 0,
     testing::ColAltMode},
    {"Head", &LitchiPageModel::NumberBoxHead, NumberBoxHeadChange, 123.4567,
     static_cast<float>(123.4567), testing::ColHead},
    {"CuSz", &LitchiPageModel::NumberBoxCuSz, NumberBoxCuSzChange, 12.5, 12.5, testing::ColCurve},
    {"RotDir", &LitchiPageModel::NumberBoxRotDir, NumberBoxRotDirChange, 270.5, 270.5,
     testing::ColRotDir},
    {"GimM", &LitchiPageModel::NumberBoxGimM, NumberBoxGimMChange, 1, 1, testing::ColGimMode},
    {"GimM cut", &LitchiPageModel::NumberBoxGimM, NumberBoxGimMChange, 1.9, 1, testing::ColGimMode},
    {"GimP", &LitchiPageModel::NumberBoxGimP, NumberBoxGimPChange, -30.5, -30.5,
     testing::ColGimPitch},
    {"Speed", &LitchiPageModel::NumberBoxSpeed, NumberBoxSpeedChange, 4.5, 4.5, testing::ColSpeed},
    {"PictS", &LitchiPageModel::NumberBoxPictS, NumberBoxPictSChange, 2.5, 2, testing::ColPictTime},
    {"PictS cut toward zero", &LitchiPageModel::NumberBoxPictS, NumberBoxPictSChange, -0.5, 0,
     testing::ColPictTime},
    {"PictM", &LitchiPageModel::NumberBoxPictM, NumberBoxPictMChange, 12.5, 12.5,
     testing::ColPictDist},
    {"TiltCam", &LitchiPageModel::NumberBoxTiltCam, NumberBoxTiltCamChange, -45, -45,
     testing::ColGimPitch},
    {"TiltCam cut toward zero", &LitchiPageModel::NumberBoxTiltCam, NumberBoxTiltCamChange, -45.7,
     -45, testing::ColGimPitch},
    {"PoiLat", &LitchiPageModel::NumberBoxPoiLat, NumberBoxPoiLatChange, 48.123456,
     static_cast<float>(48.123456), testing::ColPoiLat},
    {"PoiLon", &LitchiPageModel::NumberBoxPoiLon, NumberBoxPoiLonChange, 99.5, 99.5,
     testing::ColPoiLon},
};

State ThreeWaypoints() {
    State s;
    s.LitchiRecs = {Distinct(0), Distinct(1), Distinct(2)};
    return s;
}

// Which waypoints differ from `before`, and in which columns.
void ExpectOnlyColumnChanged(const State& s, const std::vector<TlitchRec>& before,
                             const std::vector<bool>& edited, Column column, double stored) {
    ASSERT_EQ(s.LitchiRecs.size(), before.size());
    for (std::size_t k = 0; k < before.size(); ++k) {
        SCOPED_TRACE(k);
        std::vector<double> expected = Fields(before[k]);
        if (edited[k]) {
            expected[column] = stored;
        }
        EXPECT_EQ(Fields(s.LitchiRecs[k]), expected);
    }
}

TEST(EditorRules, OneWaypointOrAllOfThem) {
    for (const EditCase& c : kEdits) {
        SCOPED_TRACE(c.name);
        for (const bool alle : {false, true}) {
            SCOPED_TRACE(alle ? "Alle ändern" : "ActRec only");
            State s = ThreeWaypoints();
            const std::vector<TlitchRec> before = s.LitchiRecs;
            LitchiPageModel m;
            s.ActRec = 1;
            m.CheckBoxAlle = alle;
            (m.*c.box).SetValue(c.typed);
            c.change(s, m);
            ExpectOnlyColumnChanged(s, before, {alle, true, alle}, c.column, c.stored);
        }
    }
}

TEST(EditorRules, TiltCamLeavesTheShownPitchUntilShownAgain) {
    State s = ThreeWaypoints();
    s.LitchiRecs[0].gimbalpitchangle = -10;
    LitchiPageModel m;
    ShowLitchiCVS(s, m, 0);
    m.NumberBoxTiltCam.SetValue(-45);
    NumberBoxTiltCamChange(s, m);
    EXPECT_EQ(m.NumberBoxGimP.Value(), -10);
    ShowLitchiCVS(s, m, 0);
    EXPECT_EQ(m.NumberBoxGimP.Value(), -45);
}

TEST(EditorRules, SpeedRefreshesTheKilometreLabel) {
    State s = ThreeWaypoints();
    LitchiPageModel m;
    m.NumberBoxSpeed.SetValue(4.5);
    NumberBoxSpeedChange(s, m);
    EXPECT_EQ(m.Label14, "16.2");

    struct Case {
        double speed;
        const char* text;
    };
    for (const Case c : {Case{4.5, "16.2"}, Case{1, " 3.6"}, Case{0, " 0.0"}, Case{100, "360.0"},
                         Case{15 / 3.6, "15.0"}}) {
        EXPECT_EQ(Label14Text(c.speed), c.text) << c.speed;
    }
}

// A waypoint with every shown field inside its box's range.
TlitchRec InRange() {
    TlitchRec r;
    r.latitude = 48.1f;
    r.longitude = 11.5f;
    r.altitude = 40;
    r.altitudemode = 1;
    r.heading = 123.25f;
    r.curvesize = 2.5f;
    r.rotationdir = 45;
    r.gimbalmode = 2;
    r.gimbalpitchangle = -60;
    r.speed = 4.5f;
    r.photo_timeinterval = 3;
    r.photo_distinterval = 12.5f;
    r.poi_latitude = 48.2f;
    r.poi_longitude = 11.6f;
    r.poi_altitude = 10;
    r.poi_altitudemode = 1;
    for (TlitchAction& a : r.Actions) {
        a = {-1, 0};
    }
    r.Actions[0] = {1, 0};
    r.Actions[1] = {2, 0};
    r.Actions[2] = {3, 0};
    r.Actions[3] = {4, 90};
    r.Actions[4] = {0, 3000};
    r.Actions[5] = {5, -30};
    return r;
}

struct ShownBox {
    NumberBox LitchiPageModel::*box;
    Column column;
};
const ShownBox kShown[] = {
    {&LitchiPageModel::NumberBoxLat, testing::ColLat},
    {&LitchiPageModel::NumberBoxLon, testing::ColLon},
    {&LitchiPageModel::NumberBoxAlt, testing::ColAlt},
    {&LitchiPageModel::NumberBoxAltMode, testing::ColAltMode},
    {&LitchiPageModel::NumberBoxHead, testing::ColHead},
    {&LitchiPageModel::NumberBoxCuSz, testing::ColCurve},
    {&LitchiPageModel::NumberBoxRotDir, testing::ColRotDir},
    {&LitchiPageModel::NumberBoxGimM, testing::ColGimMode},
    {&LitchiPageModel::NumberBoxGimP, testing::ColGimPitch},
    {&LitchiPageModel::NumberBoxSpeed, testing::ColSpeed},
    {&LitchiPageModel::NumberBoxPictS, testing::ColPictTime},
    {&LitchiPageModel::NumberBoxPictM, testing::ColPictDist},
    {&LitchiPageModel::NumberBoxPoiLat, testing::ColPoiLat},
    {&LitchiPageModel::NumberBoxPoiLon, testing::ColPoiLon},
    {&LitchiPageModel::NumberBoxPoiAlt, testing::ColPoiAlt},
    {&LitchiPageModel::NumberBoxPoiAltMode, testing::ColPoiAltMode},
};

TEST(EditorShow, FieldsAndActionsIntoTheBoxes) {
    State s;
    s.LitchiRecs = {TlitchRec{}, InRange()};
    LitchiPageModel m;

    ShowLitchiCVS(s, m, 1);

    EXPECT_EQ(s.ActRec, 1);
    const std::vector<double> f = Fields(s.LitchiRecs[1]);
    for (const ShownBox& b : kShown) {
        EXPECT_EQ((m.*b.box).Value(), f[b.column]) << "column " << b.column;
    }
    EXPECT_TRUE(m.CheckBoxPhoto);
    EXPECT_TRUE(m.CheckBoxStartRec);
    EXPECT_TRUE(m.CheckBoxStopRec);
    EXPECT_EQ(m.NumberBoxRotate.Value(), 90);
    EXPECT_EQ(m.NumberBoxWait.Value(), 3);
    EXPECT_EQ(m.NumberBoxTiltCam.Value(), -30);
    EXPECT_EQ(m.Label14, "16.2");
}

TEST(EditorShow, ActionSlotsInOrder) {
    struct Case {
        const char* name;
        std::vector<TlitchAction> slots; // the rest are empty (-1)
        bool photo, start, stop;
        double wait, rotate, tilt;
    };
    const Case cases[] = {
        {"photo and tilt", {{1, 0}, {5, -90}}, true, false, false, 0, 0, -90},
        {"wait in milliseconds", {{0, 2000}}, false, false, false, 2, 0, 0},
        {"later slot overwrites",
         {{0, 2000}, {0, 500}, {5, -30}, {5, -60}},
         false,
         false,
         false,
         0.5,
         0,
         -60},
        {"unknown types show nothing",
         {{7, 50}, {-1, 3000}, {-5, 1}},
         false,
         false,
         false,
         0,
         0,
         0},
        {"rotate clamped to its box", {{4, 400}}, false, false, false, 0, 360, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        State s;
        s.LitchiRecs = {InRange(), TlitchRec{}};
        TlitchRec& r = s.LitchiRecs[1];
        for (std::size_t k = 0; k < r.Actions.size(); ++k) {
            r.Actions[k] = k < c.slots.size() ? c.slots[k] : TlitchAction{-1, 0};
        }
        const std::vector<double> before = Fields(r);
        LitchiPageModel m;
        ShowLitchiCVS(s, m, 0); // everything ticked and set first
        ShowLitchiCVS(s, m, 1);
        EXPECT_EQ(m.CheckBoxPhoto, c.photo);
        EXPECT_EQ(m.CheckBoxStartRec, c.start);
        EXPECT_EQ(m.CheckBoxStopRec, c.stop);
        EXPECT_EQ(m.NumberBoxWait.Value(), c.wait);
        EXPECT_EQ(m.NumberBoxRotate.Value(), c.rotate);
        EXPECT_EQ(m.NumberBoxTiltCam.Value(), c.tilt);
        EXPECT_EQ(Fields(s.LitchiRecs[1]), before);
    }
}

TEST(EditorShow, NewWaypointShowsAWaitOfZero) {
    State s;
    s.LitchiRecs = {InRange(), TlitchRec{}};
    LitchiPageModel m;
    ShowLitchiCVS(s, m, 0);
    ShowLitchiCVS(s, m, 1);
    EXPECT_EQ(m.NumberBoxWait.Value(), 0);
    EXPECT_FALSE(m.CheckBoxPhoto);
}

TEST(EditorShow, OutOfRangeValueShownClampedAndKept) {
    State s;
    s.LitchiRecs = {InRange()};
    s.LitchiRecs[0].poi_longitude = 120;
    LitchiPageModel m;

    ShowLitchiCVS(s, m, 0);
    EXPECT_EQ(m.NumberBoxPoiLon.Value(), 100);
    EXPECT_EQ(s.LitchiRecs[0].poi_longitude, 120.0f);

    m.NumberBoxAlt.SetValue(60);
    NumberBoxAltChange(s, m);
    EXPECT_EQ(s.LitchiRecs[0].poi_longitude, 120.0f);

    NumberBoxPoiLonChange(s, m); // the user edits the box itself: now the shown value is stored
    EXPECT_EQ(s.LitchiRecs[0].poi_longitude, 100.0f);
}

TEST(EditorShow, ShowingNeverChangesAWaypoint) {
    State s = ThreeWaypoints();
    s.LitchiRecs.push_back(InRange());
    const std::vector<TlitchRec> before = s.LitchiRecs;
    LitchiPageModel m;
    m.CheckBoxAlle = true;
    for (int i = 0; i < 4; ++i) {
        ShowLitchiCVS(s, m, i);
    }
    for (std::size_t k = 0; k < before.size(); ++k) {
        EXPECT_EQ(Fields(s.LitchiRecs[k]), Fields(before[k])) << k;
    }
}

// Every box of the page, for checking that an index outside the mission shows zeros.
const std::vector<NumberBox LitchiPageModel::*> kAllBoxes = {
    &LitchiPageModel::NumberBoxLat,        &LitchiPageModel::NumberBoxLon,
    &LitchiPageModel::NumberBoxAlt,        &LitchiPageModel::NumberBoxAltMode,
    &LitchiPageModel::NumberBoxHead,       &LitchiPageModel::NumberBoxCuSz,
    &LitchiPageModel::NumberBoxRotDir,     &LitchiPageModel::NumberBoxGimM,
    &LitchiPageModel::NumberBoxGimP,       &LitchiPageModel::NumberBoxSpeed,
    &LitchiPageModel::NumberBoxPictS,      &LitchiPageModel::NumberBoxPictM,
    &LitchiPageModel::NumberBoxTiltCam,    &LitchiPageModel::NumberBoxWait,
    &LitchiPageModel::NumberBoxRotate,     &LitchiPageModel::NumberBoxPoiLat,
    &LitchiPageModel::NumberBoxPoiLon,     &LitchiPageModel::NumberBoxPoiAlt,
    &LitchiPageModel::NumberBoxPoiAltMode,
};

TEST(EditorOutsideMission, ShowsZerosAndIgnoresEdits) {
    struct Case {
        std::size_t waypoints;
        int index;
    };
    for (const Case c : {Case{0, 0}, Case{3, 3}, Case{3, -1}, Case{3, 1000}}) {
        SCOPED_TRACE(::testing::Message() << c.waypoints << " waypoints, index " << c.index);
        State s;
        s.LitchiRecs.assign(c.waypoints, InRange());
        const std::vector<TlitchRec> before = s.LitchiRecs;
        State filled;
        filled.LitchiRecs = {InRange()};
        LitchiPageModel m;
        ShowLitchiCVS(filled, m, 0); // every box non-zero, every action ticked

        ShowLitchiCVS(s, m, c.index);

        EXPECT_EQ(s.ActRec, c.index);
        for (const auto box : kAllBoxes) {
            EXPECT_EQ((m.*box).Value(), 0);
        }
        EXPECT_FALSE(m.CheckBoxPhoto);
        EXPECT_FALSE(m.CheckBoxStartRec);
        EXPECT_FALSE(m.CheckBoxStopRec);
        EXPECT_EQ(m.Label14, " 0.0");

        for (const EditCase& e : kEdits) {
            (m.*e.box).SetValue(e.typed);
            e.change(s, m);
        }
        ASSERT_EQ(s.LitchiRecs.size(), c.waypoints);
        for (std::size_t k = 0; k < c.waypoints; ++k) {
            EXPECT_EQ(Fields(s.LitchiRecs[k]), Fields(before[k]));
        }
    }
}

TEST(EditorOutsideMission, AlleAendernOnAnEmptyMissionWritesNothing) {
    State s;
    LitchiPageModel m;
    m.CheckBoxAlle = true;
    for (const EditCase& e : kEdits) {
        (m.*e.box).SetValue(e.typed);
        e.change(s, m);
    }
    EXPECT_TRUE(s.LitchiRecs.empty());
}

TEST(EditorSelector, ChangeSelectsAndShows) {
    State s = ThreeWaypoints();
    s.LitchiRecs[2] = InRange();
    LitchiPageModel m;

    m.NumberBoxActrec.SetValue(2.7);
    NumberBoxActrecChange(s, m);

    EXPECT_EQ(m.NumberBoxActrec.Max(), 2);
    EXPECT_EQ(s.ActRec, 2);
    EXPECT_EQ(m.NumberBoxAlt.Value(), 40);
}

TEST(EditorSelector, LoweredMaximumThatClampsRunsTheRule) {
    State s;
    s.LitchiRecs = {InRange(), InRange()};
    s.LitchiRecs[1].altitude = 55;
    LitchiPageModel m;
    m.NumberBoxActrec.SetValue(5);
    s.ActRec = 5;

    SetActrecMax(s, m, 1);
    EXPECT_EQ(m.NumberBoxActrec.Value(), 1);
    EXPECT_EQ(s.ActRec, 1);
    EXPECT_EQ(m.NumberBoxAlt.Value(), 55);

    // A maximum that does not clamp leaves the value, ActRec and the boxes alone.
    m.NumberBoxAlt.SetValue(7);
    SetActrecMax(s, m, 10);
    EXPECT_EQ(m.NumberBoxActrec.Max(), 10);
    EXPECT_EQ(m.NumberBoxActrec.Value(), 1);
    EXPECT_EQ(m.NumberBoxAlt.Value(), 7);
}

TEST(EditorSelector, EmptyMissionKeepsTheSelectorValidAndShowsZeros) {
    State s;
    LitchiPageModel m;
    m.NumberBoxActrec.SetValue(2);
    m.NumberBoxAlt.SetValue(7);

    SetActrecMax(s, m, -1);

    EXPECT_EQ(m.NumberBoxActrec.Min(), 0);
    EXPECT_EQ(m.NumberBoxActrec.Max(), 0);
    EXPECT_EQ(m.NumberBoxActrec.Value(), 0);
    EXPECT_EQ(s.ActRec, 0);
    EXPECT_EQ(m.NumberBoxAlt.Value(), 0);

    NumberBoxActrecChange(s, m); // the user touching the selector of an empty mission
    EXPECT_EQ(m.NumberBoxActrec.Max(), 0);
    EXPECT_EQ(s.ActRec, 0);
}

} // namespace
} // namespace korvale

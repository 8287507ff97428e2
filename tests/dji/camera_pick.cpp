// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The drone picker of the "Korvale" page: every profile's camera gives the ground pixel and the
// footprint of the hand formula, and the page knows which profile its edits still hold.
#include <gtest/gtest.h>

#include "dji/camera_pick.h"
#include "dji/profiles.h"
#include "model/convert.h"

using namespace korvale;

namespace {

const std::vector<DroneProfile>& Profiles() {
    static const std::vector<DroneProfile> p =
        LoadDroneProfiles(KORVALE_SOURCE_DIR "/data/drones.json");
    return p;
}

} // namespace

TEST(CameraPick, EveryProfileGivesTheHandFormulaFootprintAndGroundPixel) {
    ASSERT_FALSE(Profiles().empty());
    for (const DroneProfile& d : Profiles()) {
        SCOPED_TRACE(d.key);
        ParamPageModel p;
        ApplyDroneCamera(p, d);
        p.NumberBoxH.SetValue(60);
        Rechnen(p);
        const CameraProfile& c = d.camera;
        // ground = height x sensor extent / focal length; ground pixel = height x pixel / focal
        const double across = 60 * c.sensorWidthMm / c.focalMm;
        const double along = 60 * c.sensorHeightMm / c.focalMm;
        const double gsdCm = 60 * (c.sensorWidthMm / c.imageWidthPx) / c.focalMm * 100;
        EXPECT_NEAR(p.NumberBoxBG.Value(), across, across * 0.005);
        EXPECT_NEAR(p.NumberBoxLG.Value(), along, along * 0.005);
        const double shownFourPixelsCm = StrToFloat(p.NumberBoxBA.Text());
        EXPECT_NEAR(shownFourPixelsCm, 4 * gsdCm, 0.05 + 4 * gsdCm * 0.005);
        EXPECT_EQ(p.EditXb, std::to_string(c.imageWidthPx));
        EXPECT_EQ(p.EditYb, std::to_string(c.imageHeightPx));
    }
}

TEST(CameraPick, TheFormatBoxNamesThePictureOfTheProfile) {
    const struct {
        int w, h;
        const char* caption;
    } cases[] = {{4032, 3024, "4:3"}, {5280, 3956, "4:3"}, {8192, 5460, "3:2"},
                 {5472, 3078, "16:9"}, {4000, 2000, "4000x2000"}, {0, 0, "0x0"}};
    for (const auto& c : cases)
        EXPECT_EQ(FormatCaptionOf(c.w, c.h), c.caption) << c.w << "x" << c.h;
    ParamPageModel p;
    ApplyDroneCamera(p, FindDroneProfile(Profiles(), "mini4pro"));
    EXPECT_EQ(p.CheckBoxFormatCaption, "4:3");
    EXPECT_TRUE(p.CheckBoxFormat); // the box's state is the user's
}

TEST(CameraPick, EditsAreRecognisedUntilTheUserChangesOne) {
    const DroneProfile& mini4 = FindDroneProfile(Profiles(), "mini4pro");
    const DroneProfile& air3 = FindDroneProfile(Profiles(), "air3"); // the same camera
    ParamPageModel p;
    EXPECT_EQ(DroneOfCamera(p, Profiles(), ""), ""); // the design's start values
    ApplyDroneCamera(p, air3);
    // Two drones with one camera: the one picked stays picked.
    EXPECT_EQ(DroneOfCamera(p, Profiles(), "air3"), "air3");
    EXPECT_EQ(DroneOfCamera(p, Profiles(), "mini4pro"), "mini4pro");
    ApplyDroneCamera(p, mini4);
    EXPECT_EQ(DroneOfCamera(p, Profiles(), "mini4pro"), "mini4pro");
    EXPECT_EQ(DroneOfCamera(p, Profiles(), "m4e"), "mini4pro"); // another camera: the one held

    struct Case {
        std::string ParamPageModel::*edit;
        const char* text;
    };
    for (const Case& c :
         {Case{&ParamPageModel::EditF, "6.7"}, Case{&ParamPageModel::EditAufloesung, "2.4"},
          Case{&ParamPageModel::EditXb, "4000"}, Case{&ParamPageModel::EditYb, "2250"}}) {
        ParamPageModel q = p;
        q.*c.edit = c.text;
        EXPECT_EQ(DroneOfCamera(q, Profiles(), "mini4pro"), "") << c.text;
    }
}

TEST(CameraPick, ThePageBoxesStartAtTheirDefaultsAndCannotLeaveTheirRange) {
    DronePageModel m;
    EXPECT_DOUBLE_EQ(m.ExposureS(), 0.001);
    EXPECT_DOUBLE_EQ(m.NumberBoxVersatz.Value(), 0.5);
    EXPECT_DOUBLE_EQ(m.NumberBoxReserve.Value(), 20);
    // An exposure of zero or above one second and a reserve above half the battery cannot
    // be entered: the boxes hold the nearest allowed value.
    m.NumberBoxBelichtung.SetValue(0);
    EXPECT_DOUBLE_EQ(m.ExposureS(), 1.0);
    m.NumberBoxReserve.SetValue(80);
    EXPECT_DOUBLE_EQ(m.NumberBoxReserve.Value(), 50);
    m.NumberBoxVersatz.SetValue(0);
    EXPECT_GT(m.NumberBoxVersatz.Value(), 0);
}

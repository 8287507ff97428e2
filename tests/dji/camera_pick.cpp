// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The drone picker of the "Korvale" page: the profile the edits hold (the picked one first when
// two drones share a camera) and the format box's caption for the profile's picture.
#include <gtest/gtest.h>

#include "dji/camera_pick.h"
#include "dji/drone_model.h"
#include "dji/profiles.h"

using namespace korvale;

namespace {

const std::vector<DroneProfile>& Profiles() {
    static const std::vector<DroneProfile> p =
        LoadDroneProfiles(KORVALE_SOURCE_DIR "/data/drones.json");
    return p;
}

} // namespace

TEST(CameraPick, TheFormatBoxNamesThePictureOfTheProfile) {
    const struct {
        int w, h;
        const char* caption;
    } cases[] = {{4032, 3024, "4:3"},  {5280, 3956, "4:3"},       {8192, 5460, "3:2"},
                 {5472, 3078, "16:9"}, {4000, 2000, "4000x2000"}, {0, 0, "0x0"}};
    for (const auto& c : cases)
        EXPECT_EQ(FormatCaptionOf(c.w, c.h), c.caption) << c.w << "x" << c.h;
}

TEST(CameraPick, TheEditsNameTheirDroneThePickedOneFirst) {
    ParamPageModel p;
    EXPECT_EQ(DroneOfCamera(p, Profiles(), ""), "");           // the design's start values
    PickDroneProfile(p, FindDroneProfile(Profiles(), "air3")); // the Mini 4 Pro's camera
    EXPECT_EQ(DroneOfCamera(p, Profiles(), "air3"), "air3");
    EXPECT_EQ(DroneOfCamera(p, Profiles(), "mini4pro"), "mini4pro");
    EXPECT_EQ(DroneOfCamera(p, Profiles(), "m4e"), "mini4pro"); // another camera: the first
    p.EditF = "6.8";
    EXPECT_EQ(DroneOfCamera(p, Profiles(), "air3"), "");
}

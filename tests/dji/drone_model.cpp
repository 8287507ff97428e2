// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Every drone profile on the "Korvale" page: its camera gives the ground pixel and footprint of
// the hand formula, the page knows when its boxes are no longer the profile's, and the flight
// values follow the shutter and the app.
#include "dji/drone_model.h"

#include <gtest/gtest.h>

#include "model/convert.h"
#include "planning/params.h"

namespace korvale {
namespace {

const std::string kFile = KORVALE_SOURCE_DIR "/data/drones.json";

TEST(DroneModel, EveryProfileGivesTheHandFormulasGroundPixelAndFootprint) {
    for (const DroneProfile& d : LoadDroneProfiles(kFile)) {
        for (double h : {25.0, 40.0, 120.0}) {
            SCOPED_TRACE(d.key + " at " + std::to_string(h) + " m");
            ParamPageModel p;
            PickDroneProfile(p, d);
            p.NumberBoxH.SetValue(h);
            Rechnen(p);
            const CameraProfile& c = d.camera;
            // ground pixel = height x pixel size / focal length, the pixel from the sensor's
            // width over its pixels; the footprint from the sensor's own sizes
            const double gsd = h * (c.sensorWidthMm / c.imageWidthPx) / c.focalMm;
            const double across = h * c.sensorWidthMm / c.focalMm;
            const double along = h * c.sensorHeightMm / c.focalMm;
            EXPECT_NEAR(GroundPixelM(CameraOfPage(p), h) / gsd, 1, 0.005);
            EXPECT_NEAR(p.NumberBoxBG.Value() / across, 1, 0.005);
            EXPECT_NEAR(p.NumberBoxLG.Value() / along, 1, 0.005);
            // the box of four pixels in cm, shown to one decimal
            EXPECT_NEAR(StrToFloat(p.NumberBoxBA.Text()), 400 * gsd, 0.05 + 1e-9);
        }
    }
}

TEST(DroneModel, ThePageKnowsWhenItsCameraIsNoLongerTheProfiles) {
    const std::vector<DroneProfile> all = LoadDroneProfiles(kFile);
    const DroneProfile& mini = FindDroneProfile(all, "mini4pro");
    const DroneProfile& p1 = FindDroneProfile(all, "m350");
    ParamPageModel p;
    EXPECT_FALSE(PageHasDroneCamera(p, mini)); // the start values are nobody's
    PickDroneProfile(p, mini);
    EXPECT_EQ(p.DroneKey, "mini4pro");
    EXPECT_EQ(p.EditF, "6.72");
    EXPECT_EQ(p.EditAufloesung, "2.4008"); // 9.68 mm / 4032
    EXPECT_EQ(p.EditXb, "4032");
    EXPECT_EQ(p.EditYb, "3024");
    EXPECT_TRUE(PageHasDroneCamera(p, mini));
    EXPECT_FALSE(PageHasDroneCamera(p, p1));
    const struct {
        std::string ParamPageModel::*box;
        const char* text;
        bool same;
    } edits[] = {
        {&ParamPageModel::EditF, "6.720", true}, // the same number
        {&ParamPageModel::EditF, "6.7", false},
        {&ParamPageModel::EditAufloesung, "2.4", false}, // a rounder pixel is an own value
        {&ParamPageModel::EditXb, "4000", false},
        {&ParamPageModel::EditYb, "3O24", false}, // no number at all
        {&ParamPageModel::EditYb, "", false},
    };
    for (const auto& e : edits) {
        SCOPED_TRACE(e.text);
        ParamPageModel q = p;
        q.*e.box = e.text;
        EXPECT_EQ(PageHasDroneCamera(q, mini), e.same);
    }
    DropDroneProfile(p);
    EXPECT_EQ(p.DroneKey, "");
    EXPECT_EQ(p.EditF, "6.72"); // the boxes keep their values, now as own values
    EXPECT_FALSE(p.Drohne.rollingShutter);
}

TEST(DroneModel, FlightValuesFollowShutterAndApp) {
    const std::vector<DroneProfile> all = LoadDroneProfiles(kFile);
    const struct {
        const char* key;
        bool rolling;
        bool photoWaypoints;
    } cases[] = {
        {"mini4pro", true, true},  // DJI Fly: electronic shutter, a waypoint per picture
        {"mini3pro", true, false}, // Litchi fires distance triggers
        {"mavic3e", false, false}, // mechanical shutter, DJI Pilot 2
        {"m350", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        const DroneProfile& d = FindDroneProfile(all, c.key);
        const DroneFlightValues f = FlightValuesOf(d);
        EXPECT_EQ(f.rollingShutter, c.rolling);
        EXPECT_EQ(f.readoutS > 0, c.rolling);
        EXPECT_EQ(f.photoWaypoints, c.photoWaypoints);
        EXPECT_EQ(f.model.stopsAtPhotos, c.photoWaypoints);
        EXPECT_EQ(f.speedCapMps, d.speedCapMps);
        EXPECT_EQ(f.minPhotoIntervalS, d.camera.minPhotoIntervalS);
        EXPECT_NO_THROW(CheckFlightModel(f.model));
    }
    // On the page: the Mini 4 Pro at 40 m with 1/1000 s and half a pixel may fly 0.24 m/s,
    // bound by its 30 ms rolling-shutter readout (ground pixel 1.43 cm).
    ParamPageModel p;
    PickDroneProfile(p, FindDroneProfile(all, "mini4pro"));
    Rechnen(p);
    EXPECT_EQ(ShowSpeedLimit(p), "v 15 km/h liegt über der Grenze von 0.9 km/h (Rolling Shutter).");
    EXPECT_EQ(p.LabelVmax, "Rolling Shutter");
    EXPECT_NEAR(p.NumberBoxVmax.Value(), 3.6 * 0.5 * 40 * 2.4008e-3 / 6.72 / 0.030, 1e-12);
    // The P1 (mechanical shutter, 0.7 s) at 100 m, 80 % forward overlap: 1/1000 s and half a
    // pixel allow 6.3 m/s of blur before the interval (photo base 13.7 m / 0.7 s = 19.6 m/s).
    PickDroneProfile(p, FindDroneProfile(all, "m350"));
    p.NumberBoxH.SetValue(100);
    Rechnen(p);
    EXPECT_EQ(ShowSpeedLimit(p), "");
    EXPECT_EQ(p.LabelVmax, "Bewegungsunschärfe");
    p.NumberBoxV.SetValue(30);
    EXPECT_EQ(ShowSpeedLimit(p), "v 30 km/h liegt über der Grenze von 22.5 km/h "
                                 "(Bewegungsunschärfe).");
}

} // namespace
} // namespace korvale

// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The command line of the planning command: values, units, ranges and the refusals.
#include "cli/options.h"

#include <gtest/gtest.h>

#include "model/error.h"

namespace korvale {
namespace {

TEST(PlanOptions, DefaultsAreThoseOfTheWindow) {
    const auto o = ParsePlanOptions({"feld.geojson"});
    EXPECT_EQ(o.areaFile, "feld.geojson");
    EXPECT_DOUBLE_EQ(o.focalMm, 8.38);
    EXPECT_DOUBLE_EQ(o.pixelUm, 2.4);
    EXPECT_EQ(o.pixelsX, 5472);
    EXPECT_EQ(o.pixelsY, 3078);
    EXPECT_EQ(o.heightM, 40);
    EXPECT_EQ(o.frontPct, 80);
    EXPECT_EQ(o.sidePct, 80);
    EXPECT_EQ(o.speedKmh, 15);
    EXPECT_EQ(o.angleDeg, 0);
    EXPECT_EQ(o.batteryMin, 20);
    EXPECT_EQ(o.maxWaypoints, 99);
}

TEST(PlanOptions, ValuesInBothSpellings) {
    const auto o = ParsePlanOptions({"--focal",
                                     "24",
                                     "--pixel=3.3",
                                     "--height",
                                     "120",
                                     "--front=70",
                                     "--side",
                                     "60",
                                     "--speed",
                                     "30",
                                     "--angle",
                                     "-37.5",
                                     "--geojson",
                                     "plan.geojson",
                                     "--dxf=plan.dxf",
                                     "--litchi",
                                     "m.csv",
                                     "--kml",
                                     "p.kml",
                                     "a.kml",
                                     "--battery-min=25",
                                     "--max-waypoints",
                                     "40"});
    EXPECT_EQ(o.focalMm, 24);
    EXPECT_DOUBLE_EQ(o.pixelUm, 3.3);
    EXPECT_EQ(o.heightM, 120);
    EXPECT_EQ(o.frontPct, 70);
    EXPECT_EQ(o.sidePct, 60);
    EXPECT_EQ(o.speedKmh, 30);
    EXPECT_EQ(o.angleDeg, -37.5);
    EXPECT_EQ(o.geojsonFile, "plan.geojson");
    EXPECT_EQ(o.dxfFile, "plan.dxf");
    EXPECT_EQ(o.litchiFile, "m.csv");
    EXPECT_EQ(o.kmlFile, "p.kml");
    EXPECT_EQ(o.areaFile, "a.kml");
    EXPECT_FALSE(o.angleAuto);
    EXPECT_TRUE(ParsePlanOptions({"--angle=auto", "a.kml"}).angleAuto);
    EXPECT_TRUE(ParsePlanOptions({"--angle", "auto", "a.kml"}).angleAuto);
    EXPECT_EQ(o.batteryMin, 25);
    EXPECT_EQ(o.maxWaypoints, 40);
    EXPECT_EQ(ParsePlanOptions({"--speed", "54", "a.kml"}).speedKmh, 54);
    EXPECT_TRUE(ParsePlanOptions({"--help"}).help);
    EXPECT_TRUE(ParsePlanOptions({"--version"}).version);
}

TEST(PlanOptions, BadInputIsRefusedNamingTheOption) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, "Keine Gebietsdatei"},
        {{"a.kml", "b.kml"}, "Nur eine Gebietsdatei"},
        {{"--focal", "8,38", "a.kml"}, "--focal: '8,38' ist keine Zahl."},
        {{"--focal", "0", "a.kml"}, "--focal: 0 liegt außerhalb"},
        {{"--height", "250", "a.kml"}, "--height: 250 liegt außerhalb von 1 bis 200 m."},
        {{"--front", "100", "a.kml"}, "--front: 100 liegt außerhalb"},
        {{"--side", "80.5", "a.kml"}, "--side: 80.5 ist keine ganze Zahl."},
        {{"--speed", "0", "a.kml"}, "--speed: 0 liegt außerhalb"},
        // Beyond the drone's 15 m/s the limit table speaks; 54 km/h is the most it flies.
        {{"--speed", "55", "a.kml"},
         "--speed: 55 km/h: Geschwindigkeit 15.3 m/s liegt außerhalb von 0 bis 15 m/s "
         "(Wegpunktsteuerung der Drohne)."},
        {{"--speed=59", "a.kml"}, "--speed: 59 km/h: Geschwindigkeit 16.4 m/s liegt außerhalb"},
        {{"--speed", "54.5", "a.kml"}, "Geschwindigkeit 15.1 m/s liegt außerhalb von 0 bis 15"},
        {{"--speed", "200", "a.kml"}, "Geschwindigkeit 55.6 m/s liegt außerhalb von 0 bis 15"},
        {{"--angle", "north", "a.kml"}, "--angle: 'north' ist keine Zahl."},
        {{"--angle", "400", "a.kml"}, "--angle: 400 liegt außerhalb von -360 bis 360"},
        {{"--angle", "Auto", "a.kml"}, "--angle: 'Auto' ist keine Zahl."},
        {{"--battery-min", "0", "a.kml"}, "--battery-min: 0 liegt außerhalb von 1 bis 120 min."},
        {{"--max-waypoints", "1", "a.kml"}, "--max-waypoints: 1 liegt außerhalb von 2 bis 99"},
        {{"--max-waypoints", "100", "a.kml"}, "--max-waypoints: 100 liegt außerhalb"},
        {{"--max-waypoints", "9.5", "a.kml"}, "--max-waypoints: 9.5 ist keine ganze Zahl."},
        {{"a.kml", "--dxf"}, "--dxf braucht einen Wert."},
        {{"--dxf=", "a.kml"}, "--dxf braucht einen Dateinamen."},
        {{"--hight", "40", "a.kml"}, "Unbekannte Option '--hight'."},
        {{"--help=1"}, "--help nimmt keinen Wert."},
        // A stray option is never the area file, and the message names the stray argument.
        {{"-x", "a.kml"}, "Unbekannte Option '-x'."},
        {{"a.kml", "-x"}, "Unbekannte Option '-x'."},
        {{"--", "a.kml"}, "Unbekannte Option '--'."},
        {{"-", "a.kml"}, "Unbekannte Option '-'."},
        {{"a.kml", "b.kml"}, "'a.kml' und 'b.kml'"},
        {{"--geojson", "--kml", "k.kml", "a.kml"}, "--geojson braucht einen Wert."},
        {{"a.kml", "--hight"}, "Unbekannte Option '--hight'."},
        {{"--dxf", "-o", "a.kml"}, "--dxf: '-o' ist kein Dateiname"},
    };
    for (const auto& [args, text] : cases) {
        try {
            ParsePlanOptions(args);
            ADD_FAILURE() << text;
        } catch (const Error& e) {
            EXPECT_EQ(e.kind(), ErrorKind::Refused);
            EXPECT_NE(std::string(e.what()).find(text), std::string::npos) << e.what();
        }
    }
}

} // namespace
} // namespace korvale

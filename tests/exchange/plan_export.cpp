// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The plan written as KML and GeoJSON, read back by GDAL as a GIS program reads it, and an
// area that goes out and comes in again.
#include "exchange/plan_export.h"

#include <gtest/gtest.h>

#include <cmath>

#include "exchange/area.h"
#include "exchange/area_place.h"
#include "model/error.h"
#include "model/fileio.h"
#include "model/geodesy.h"
#include "ogr_oracle.h"
#include "planning/border.h"
#include "planning/path.h"
#include "tests/support/file_faults.h"

namespace korvale {
namespace {

using testing::OgrFeature;
using testing::ParseOgrinfo;
using testing::Shell;
using testing::TempDir;

// A small plan at 48 N 9 E with a clockwise area, two lines, one leg, pictures and waypoints.
PlanGeo HandPlan() {
    PlanGeo p;
    p.area = {{48.0, 9.0}, {48.001, 9.0}, {48.001, 9.0021234567}, {48.0, 9.002}};
    p.lines = {{{48.0001, 9.0001}, {48.0009, 9.0001}}, {{48.0009, 9.0003}, {48.0001, 9.0003}}};
    p.legs = {{{48.0009, 9.0001}, {48.0009, 9.0003}}};
    p.pictures = {{48.0001, 9.0001}, {48.000512345678, 9.0001}, {48.0009, 9.0001}};
    p.waypoints = {{48.0001f, 9.0001f}, {48.0009f, 9.0003f}};
    return p;
}

std::vector<double> Flat(const std::vector<GeoPos>& pts) {
    std::vector<double> v;
    for (const GeoPos& g : pts) {
        v.push_back(g.lon);
        v.push_back(g.lat);
    }
    return v;
}

void ExpectCoords(const OgrFeature& f, const std::vector<double>& want) {
    ASSERT_EQ(f.coords.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i)
        EXPECT_NEAR(f.coords[i], want[i], 1e-7) << i;
}

// What every file must show: the area counter-clockwise and closed, then line 0, leg 0,
// line 1 in flight order, the pictures and the waypoints.
struct Want {
    std::string kind;
    int index;
    std::string type;
    std::vector<double> coords;
};

std::vector<Want> Expected(const PlanGeo& p) {
    std::vector<GeoPos> ccw(p.area.rbegin(), p.area.rend());
    ccw.push_back(ccw.front());
    std::vector<Want> w{{"area", 0, "POLYGON", Flat(ccw)},
                        {"line", 0, "LINESTRING", Flat(p.lines[0])},
                        {"leg", 0, "LINESTRING", Flat(p.legs[0])},
                        {"line", 1, "LINESTRING", Flat(p.lines[1])}};
    for (std::size_t i = 0; i < p.pictures.size(); ++i)
        w.push_back({"picture", int(i), "POINT", Flat({p.pictures[i]})});
    for (std::size_t i = 0; i < p.waypoints.size(); ++i)
        w.push_back({"waypoint", int(i), "POINT", Flat({p.waypoints[i]})});
    return w;
}

TEST(PlanExport, GdalReadsTheGeoJsonWithEveryFeatureKindIndexAndCoordinate) {
    TempDir dir;
    const PlanGeo plan = HandPlan();
    const std::string path = dir.File("plan.geojson");
    WritePlanGeoJson(path, plan);
    const auto r = Shell("ogrinfo -ro -al -q '" + path + "'", dir);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, ""); // no warning either (an open ring or a bad member would give one)
    const auto got = ParseOgrinfo(r.out);
    const auto want = Expected(plan);
    ASSERT_EQ(got.size(), want.size()) << r.out;
    for (std::size_t i = 0; i < want.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(got[i].Field("kind"), want[i].kind);
        EXPECT_EQ(got[i].Field("index"), std::to_string(want[i].index));
        EXPECT_EQ(got[i].geometryType, want[i].type);
        ExpectCoords(got[i], want[i].coords);
    }
}

TEST(PlanExport, GdalReadsTheKmlWithEveryFeatureInFlightOrderAndItsStyle) {
    TempDir dir;
    const PlanGeo plan = HandPlan();
    const std::string path = dir.File("plan.kml");
    WritePlanKml(path, plan);
    const auto r = Shell("ogrinfo -ro -al -q '" + path + "'", dir);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const auto got = ParseOgrinfo(r.out);
    const auto want = Expected(plan);
    ASSERT_EQ(got.size(), want.size()) << r.out;
    const std::string names[] = {"Gebiet", "Linie 1", "Verbindung 1", "Linie 2",   "Bild 1",
                                 "Bild 2", "Bild 3",  "Wegpunkt 1",   "Wegpunkt 2"};
    for (std::size_t i = 0; i < want.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(got[i].Field("Name"), names[i]);
        EXPECT_EQ(got[i].geometryType, want[i].type);
        ExpectCoords(got[i], want[i].coords);
    }
    // Each kind has a style of its own.
    const std::string kml = ReadFileBytes(path);
    for (const char* id : {"area", "line", "leg", "picture", "waypoint"})
        EXPECT_NE(kml.find(std::string("<Style id=\"") + id + "\">"), std::string::npos) << id;
}

// A georeferenced state (1 m per pixel, slightly rotated) in zone 32.
State Georeferenced() {
    State s;
    s.TrafO = 0.98;
    s.TrafA = 0.17;
    s.TrafXbs = 400;
    s.TrafYbs = 300;
    s.TrafYs = 32512345.678;
    s.TrafXs = 5318000.5;
    return s;
}

TEST(PlanExport, AnAreaExportedAndImportedAgainKeepsItsCornersToOneCentimetre) {
    State s = Georeferenced();
    ParamPageModel p;
    AreaPolygon field;
    // Clockwise, as many tools write it; the file turns it counter-clockwise.
    field.ring = {{48.0, 9.16}, {48.0012, 9.1601}, {48.0013, 9.1622}, {47.9999, 9.1619}};
    PlaceArea(s, p, field, ProjectCentralMeridian(s));
    const PlanGeo plan = PlanGeoFromState(s, p);
    for (const bool kml : {false, true}) {
        SCOPED_TRACE(kml ? "kml" : "geojson");
        const auto back = kml ? ReadAreaKml(PlanToKml(plan)) : ReadAreaGeoJson(PlanToGeoJson(plan));
        ASSERT_EQ(back.size(), 1u);
        State t = Georeferenced();
        PlaceArea(t, p, back[0], ProjectCentralMeridian(t));
        ASSERT_EQ(t.Points.size(), s.Points.size());
        const std::size_t n = s.Points.size();
        // The same corners, walked the other way round from the last.
        for (std::size_t i = 0; i < n; ++i) {
            const TPt& a = s.Points[n - 1 - i];
            const TPt& b = t.Points[i];
            EXPECT_NEAR(a.E, b.E, 0.01);
            EXPECT_NEAR(a.N, b.N, 0.01);
        }
    }
}

TEST(PlanExport, PlanFromStateFollowsTheFlightPathInSerpentineOrder) {
    State s = Georeferenced();
    ParamPageModel p;
    AreaPolygon field;
    field.ring = {{48.0, 9.16}, {48.0012, 9.1601}, {48.0013, 9.1622}, {47.9999, 9.1619}};
    PlaceArea(s, p, field, ProjectCentralMeridian(s));
    Rechnen(p);
    p.NumberBoxRi.SetValue(30);
    Overlay o;
    FlightLines(s, p, o);
    ASSERT_GT(s.FlightSegs.size(), 3u);
    TlitchRec wp;
    wp.latitude = 48.0005f;
    wp.longitude = 9.161f;
    s.LitchiRecs.push_back(wp);

    const PlanGeo plan = PlanGeoFromState(s, p);
    EXPECT_EQ(plan.area.size(), 4u);
    ASSERT_EQ(plan.lines.size(), s.FlightSegs.size());
    ASSERT_EQ(plan.legs.size(), plan.lines.size() - 1);
    EXPECT_EQ(double(plan.pictures.size()), p.NumberBoxBilder.Value());
    for (std::size_t k = 0; k + 1 < plan.lines.size(); ++k) {
        EXPECT_EQ(plan.legs[k].front().lat, plan.lines[k].back().lat);
        EXPECT_EQ(plan.legs[k].back().lon, plan.lines[k + 1].front().lon);
    }
    // Line 0 is flown from its first cut point, line 1 from its second.
    for (std::size_t k = 0; k < 2; ++k) {
        const Tpunkt& start = s.CutPoints[std::size_t(s.FlightSegs[k][k % 2])];
        const GeoResult g = UTMToGeo(EllipsoidA, EllipsoidF, start[1], start[0]);
        EXPECT_NEAR(plan.lines[k].front().lat, g.B, 1e-12);
        EXPECT_NEAR(plan.lines[k].front().lon, g.L, 1e-12);
    }
    ASSERT_EQ(plan.waypoints.size(), 1u);
    EXPECT_EQ(plan.waypoints[0].lat, double(wp.latitude));
    // The first picture of every line is its start.
    EXPECT_EQ(plan.pictures.front().lat, plan.lines.front().front().lat);

    State empty;
    try {
        PlanGeoFromState(empty, p);
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(e.kind(), ErrorKind::Refused);
        EXPECT_NE(std::string(e.what()).find("Nichts auszugeben"), std::string::npos);
    }
}

TEST(PlanExport, AreaImportBeforeAnyTransformationIsRefusedAndChangesNothing) {
    State s;
    TPt old;
    old.Typ = KindBorder;
    old.xb = 10;
    s.Points.push_back(old);
    ParamPageModel p;
    AreaPolygon field;
    field.ring = {{48.0, 9.16}, {48.0012, 9.1601}, {48.0013, 9.1622}};
    try {
        PlaceArea(s, p, field, 9);
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(e.kind(), ErrorKind::Refused);
        EXPECT_NE(std::string(e.what()).find("Zuerst Passpunkte"), std::string::npos);
    }
    ASSERT_EQ(s.Points.size(), 1u);
    EXPECT_EQ(s.Points[0].xb, 10.0f);
}

TEST(PlanExport, AreaImportReplacesTheBorderAndKeepsTheOtherListsTrue) {
    State s = Georeferenced();
    ParamPageModel p;
    auto add = [&](std::uint8_t typ, float xb) {
        TPt t;
        t.Typ = typ;
        t.xb = xb;
        t.yb = 200;
        s.Points.push_back(t);
    };
    add(KindControl, 1);
    add(KindBorder, 2);
    add(KindFreeLine, 3);
    add(KindBorder, 4);
    add(KindFreeLine, 5);
    add(KindBorder, 6);
    SetFreeLine(s);
    AreaPolygon field;
    field.ring = {{48.0, 9.16}, {48.0012, 9.1601}, {48.0013, 9.1622}, {47.9999, 9.1619}};
    PlaceArea(s, p, field, 9);
    ASSERT_EQ(s.Points.size(), 7u);
    EXPECT_EQ(s.FreeLines, (std::vector<TLine>{{1, 2}}));
    EXPECT_EQ(s.BorderIdx, (std::vector<int>{3, 4, 5, 6, 3}));
    EXPECT_GT(p.NumberBoxFlaeche.Value(), 0.0);
    // Each corner sits where the transformation puts its UTM position.
    for (int i = 3; i < 7; ++i) {
        const TPt& c = s.Points[std::size_t(i)];
        const UtmResult u = GeoToUTM(9, EllipsoidA, EllipsoidF, c.B, c.L);
        EXPECT_EQ(c.E, u.Y);
        const double E = s.TrafYs + s.TrafO * (c.xb - s.TrafXbs) + s.TrafA * (c.yb - s.TrafYbs);
        EXPECT_NEAR(E, c.E, 0.001); // single-precision map positions
    }
}

TEST(PlanExport, FootprintsWriterKeepsTheOldFileUnderFaults) {
    TempDir dir;
    FootprintGeo f;
    f.corners = {{48, 11}, {48.001, 11}, {48.001, 11.001}, {48, 11.001}}; // clockwise
    f.line = 3;
    const std::vector<FootprintGeo> feet = {f, f};
    const std::string text = FootprintsToGeoJson(feet);
    // Closed and counter-clockwise as RFC 7946 asks, whatever order the corners came in.
    EXPECT_NE(text.find("\"kind\": \"footprint\", \"index\": 1, \"line\": 3"), std::string::npos);
    EXPECT_NE(
        text.find("[[[11.001000000, 48.000000000], [11.001000000, 48.001000000], [11.000000000, "
                  "48.001000000], [11.000000000, 48.000000000], [11.001000000, 48.000000000]]]"),
        std::string::npos)
        << text;
    EXPECT_EQ(FootprintsToGeoJson({}), "{\"type\": \"FeatureCollection\", \"features\": [\n]}\n");
    test::ExpectWriterSurvivesFaults(dir.File(""), "umrisse.geojson", [&](const std::string& path) {
        WriteFootprintsGeoJson(path, feet);
    });
}

} // namespace
} // namespace korvale

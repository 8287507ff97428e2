// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// World file and QGIS control-point files: GDAL places the map copy where the transformation
// says, .points files go out and come back with the same control points, and real .points
// files of QGIS read.
#include "exchange/georef_files.h"

#include <gtest/gtest.h>

#include <cmath>
#include <regex>
#include <sstream>

#include "georef/clipboard.h"
#include "georef/tilemap.h"
#include "georef/transform.h"
#include "model/error.h"
#include "model/fileio.h"
#include "model/format.h"
#include "model/geodesy.h"
#include "ogr_oracle.h"

namespace korvale {
namespace {

using testing::Shell;
using testing::TempDir;

constexpr double kTop = 80; // toolbar and tab header above the map copy

// About 0.6 m per pixel, rotated by some 10 degrees, in zone 32.
State Georeferenced() {
    State s;
    s.TrafO = 0.59;
    s.TrafA = 0.104;
    s.TrafXbs = 412.5;
    s.TrafYbs = 377.25;
    s.TrafYs = 32512345.678;
    s.TrafXs = 5318000.5;
    return s;
}

// The model of the transformation in double precision, minus the zone number.
std::pair<double, double> Ground(const State& s, double xb, double yb) {
    const double u = xb - s.TrafXbs, v = yb - s.TrafYbs;
    return {s.TrafYs + s.TrafO * u + s.TrafA * v - 32e6, s.TrafXs + s.TrafA * u - s.TrafO * v};
}

TEST(WorldFile, GdalPutsTheCornersOfTheMapCopyWhereTheTransformationDoes) {
    TempDir dir;
    const std::string tif = dir.File("k.tif"), jpg = dir.File("Karte.jpg");
    ASSERT_EQ(
        Shell("gdal_create -of GTiff -outsize 40 30 -bands 1 -ot Byte '" + tif + "'", dir).status,
        0);
    ASSERT_EQ(Shell("gdal_translate -q -of JPEG '" + tif + "' '" + jpg + "'", dir).status, 0);
    std::filesystem::remove(jpg + ".aux.xml");
    const State s = Georeferenced();
    const WorldFile w = MakeWorldFile(s, kTop);
    EXPECT_EQ(w.zone, 32);
    EXPECT_EQ(UtmEpsg(w), 32632);
    EXPECT_EQ(WorldFileName(jpg), dir.File("Karte.jgw"));
    WriteFileAtomic(WorldFileName(jpg), WorldFileText(w));

    const auto r = Shell("gdalinfo '" + jpg + "'", dir);
    ASSERT_EQ(r.status, 0) << r.err;
    struct Corner {
        const char* label;
        double col, row; // pixel corner in image coordinates
    };
    // Image coordinates (x, y) are the map position (x, y + kTop).
    for (const Corner c : {Corner{"Upper Left", 0, 0}, Corner{"Upper Right", 40, 0},
                           Corner{"Lower Left", 0, 30}, Corner{"Lower Right", 40, 30}}) {
        SCOPED_TRACE(c.label);
        const std::regex re(std::string(c.label) + R"(\s*\(\s*([-0-9.]+),\s*([-0-9.]+)\))");
        std::smatch m;
        ASSERT_TRUE(std::regex_search(r.out, m, re)) << r.out;
        const auto [E, N] = Ground(s, c.col, c.row + kTop);
        EXPECT_NEAR(std::stod(m[1].str()), E, 0.01);
        EXPECT_NEAR(std::stod(m[2].str()), N, 0.01);
    }
}

// A tile-map copy at zoom 17 as the window makes it: five control points from the view's
// corners and centre, fitted. GDAL, reading the JPEG with the world file and the coordinate
// system beside it, puts each control point's ground position on its own pixel.
TEST(WorldFile, GdalFindsEveryControlPointOfATileCopyOnItsPixel) {
    TempDir dir;
    const TileView view{17, {48.1420, 11.5560}, {48.1360, 11.5700}};
    const TileCopyPlan plan = PlanTileCopy(view, 1305, 838);
    const std::string tif = dir.File("k.tif"), jpg = dir.File("Kachel.jpg");
    ASSERT_EQ(Shell("gdal_create -of GTiff -outsize " + std::to_string(plan.width) + " " +
                        std::to_string(plan.height) + " -bands 1 -ot Byte '" + tif + "'",
                    dir)
                  .status,
              0);
    ASSERT_EQ(Shell("gdal_translate -q -of JPEG '" + tif + "' '" + jpg + "'", dir).status, 0);
    std::filesystem::remove(jpg + ".aux.xml");

    State s;
    for (const TileControlPixel& c : plan.points)
        AddGeoControlPoint(s, c.geo.B, c.geo.L, static_cast<float>(c.x),
                           static_cast<float>(c.y + kTop));
    TrafPar(s);
    const WorldFile w = MakeWorldFile(s, kTop);
    WriteFilesAtomic({{WorldFileName(jpg), WorldFileText(w)},
                      {PrjFileName(jpg), UtmWkt(w)},
                      {jpg + ".aux.xml", GdalAuxXml(w)}});
    EXPECT_EQ(PrjFileName(jpg), dir.File("Kachel.prj"));

    std::string input;
    for (const TPt& p : s.Points)
        input += FormatFixed(p.E - w.zone * 1e6, 4) + " " + FormatFixed(p.N, 4) + "\n";
    WriteFileAtomic(dir.File("in.txt"), input);
    const auto r = Shell("gdaltransform -i '" + jpg + "' < '" + dir.File("in.txt") + "'", dir);
    ASSERT_EQ(r.status, 0) << r.err;
    std::istringstream out(r.out);
    for (const TileControlPixel& c : plan.points) {
        double px = 0, line = 0, z = 0;
        ASSERT_TRUE(out >> px >> line >> z) << r.out;
        EXPECT_NEAR(px, c.x, 0.1) << "pixel";
        EXPECT_NEAR(line, c.y, 0.1) << "line";
    }

    // The system: GDAL names its EPSG code from the side-car, and the .prj is the same WKT.
    const auto srs = Shell("gdalsrsinfo -e '" + jpg + "'", dir);
    EXPECT_NE(srs.out.find("EPSG:32632"), std::string::npos) << srs.out << srs.err;
    const auto prj = Shell("gdalsrsinfo -e '" + dir.File("Kachel.prj") + "'", dir);
    EXPECT_NE(prj.out.find("EPSG:32632"), std::string::npos) << prj.out << prj.err;
}

TEST(WorldFile, SouthernZonesNameTheirFalseNorthing) {
    WorldFile w;
    w.zone = 33;
    w.south = true;
    const std::string wkt = UtmWkt(w);
    EXPECT_NE(wkt.find("\"WGS 84 / UTM zone 33S\""), std::string::npos) << wkt;
    EXPECT_NE(wkt.find("\"central_meridian\",15]"), std::string::npos) << wkt;
    EXPECT_NE(wkt.find("\"false_northing\",10000000]"), std::string::npos) << wkt;
    EXPECT_NE(wkt.find("AUTHORITY[\"EPSG\",\"32733\"]]"), std::string::npos) << wkt;
}

// A copy reaching across the equator, in a project placed south of it by its first control
// point: world file, .points file and the points read back all use the project's zone and
// hemisphere, also when the upper-left corner lies north of the equator and when the .points
// file names no system.
TEST(WorldFile, ACopyAcrossTheEquatorIsDescribedInTheProjectsHemisphere) {
    const TileView view{17, {0.003, 11.556}, {-0.00599, 11.570}};
    const TileCopyPlan plan = PlanTileCopy(view, 1305, 838);
    State s;
    for (const TileControlPixel& c : plan.points)
        AddGeoControlPoint(s, c.geo.B, c.geo.L, static_cast<float>(c.x),
                           static_cast<float>(c.y + kTop));
    TrafPar(s);
    ASSERT_TRUE(s.UtmSouth);
    const WorldFile w = MakeWorldFile(s, kTop);
    EXPECT_TRUE(w.south);
    EXPECT_EQ(UtmEpsg(w), 32732);
    const auto [E, N] = Ground(s, 0.5, kTop + 0.5);
    ASSERT_GT(N, 0); // the upper-left pixel is north of the equator
    EXPECT_NEAR(w.C, E, 1e-6);
    EXPECT_NEAR(w.F, N + 1e7, 1e-6);

    const std::string text = WriteGcpPoints(s, kTop);
    ASSERT_EQ(text.rfind("#CRS: EPSG:32732\n", 0), 0u) << text;
    for (const bool withCrs : {true, false}) {
        SCOPED_TRACE(withCrs);
        const GcpFile f = ReadGcpPoints(withCrs ? text : text.substr(text.find('\n') + 1));
        const std::vector<TPt> back = GcpControlPoints(f, s, kTop);
        ASSERT_EQ(back.size(), s.Points.size());
        for (std::size_t i = 0; i < back.size(); ++i) {
            EXPECT_NEAR(back[i].E, s.Points[i].E, 1e-6);
            EXPECT_NEAR(back[i].N, s.Points[i].N, 1e-6);
            EXPECT_NEAR(back[i].B, s.Points[i].B, 1e-9);
        }
    }
}

TEST(WorldFile, NoTransformationNoWorldFile) {
    try {
        MakeWorldFile(State{}, kTop);
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(e.kind(), ErrorKind::Refused);
        EXPECT_NE(std::string(e.what()).find("Passpunkte"), std::string::npos);
    }
    EXPECT_EQ(WorldFileName("/a.b/Karte.JPEG"), "/a.b/Karte.jgw");
    EXPECT_EQ(WorldFileName("/a.b/Kartejpg"), "/a.b/Kartejpgw");
}

TEST(GcpPoints, WrittenAndReadBackGiveTheSameControlPoints) {
    State s = Georeferenced();
    const float pos[][2] = {{100, 120}, {640.25f, 133.5f}, {377.4567f, 590}, {12, 700.75f}};
    for (const auto& xy : pos) {
        TPt p;
        p.Typ = KindControl;
        p.xb = xy[0];
        p.yb = xy[1];
        // Slightly off the fit, so that the residual columns are not all zero.
        const auto [E, N] = Ground(s, xy[0], xy[1]);
        p.E = E + 32e6 + 0.3;
        p.N = N - 0.2;
        const GeoResult g = UTMToGeo(EllipsoidA, EllipsoidF, p.N, p.E);
        p.B = g.B;
        p.L = g.L;
        p.c = g.c;
        s.Points.push_back(p);
        s.Points.push_back(TPt{}); // other kinds are no control points
    }
    const std::string text = WriteGcpPoints(s, kTop);
    EXPECT_EQ(text.rfind("#CRS: EPSG:32632\nmapX,mapY,sourceX,sourceY,enable,dX,dY,residual\n", 0),
              0u)
        << text;
    // QGIS counts rows downward as negative source y, from the image's upper edge.
    EXPECT_NE(text.find(",100.000000,-40.000000,1,"), std::string::npos) << text;

    const GcpFile f = ReadGcpPoints(text);
    EXPECT_EQ(f.crs, GcpCrs::Utm);
    EXPECT_EQ(f.zone, 32);
    const std::vector<TPt> back = GcpControlPoints(f, State{}, kTop);
    ASSERT_EQ(back.size(), 4u);
    for (std::size_t i = 0; i < back.size(); ++i) {
        SCOPED_TRACE(i);
        const TPt& a = s.Points[2 * i];
        const TPt& b = back[i];
        EXPECT_EQ(b.Typ, KindControl);
        EXPECT_EQ(b.xb, a.xb);
        EXPECT_EQ(b.yb, a.yb);
        EXPECT_NEAR(b.E, a.E, 1e-6);
        EXPECT_NEAR(b.N, a.N, 1e-6);
        EXPECT_NEAR(b.B, a.B, 1e-9);
        EXPECT_NEAR(b.L, a.L, 1e-9);
    }
}

std::string Fixture(const std::string& name) {
    return ReadFileBytes(std::string(KORVALE_FIXTURES_DIR) + "/geodata/" + name);
}

TEST(GcpPoints, QgisFilesOfBothFormatsRead) {
    // Older format: no CRS line, "pixelX,pixelY", whole degrees, pixel rows counted negative.
    const GcpFile india = ReadGcpPoints("mapX,mapY,pixelX,pixelY,enable,dX,dY,residual\n"
                                        "70,15,88.25,-892.40625000000000000,1,0,0,0\n"
                                        "75,15,402.5,-880.125,1,0,0,0\n"
                                        "80,10,713.75,-1204.5,1,0,0,0\n"
                                        "72,8,214.0,-1330.875,1,0,0,0\n");
    EXPECT_EQ(india.crs, GcpCrs::None);
    ASSERT_EQ(india.points.size(), 4u);
    EXPECT_EQ(india.points[0].mapX, 70);
    EXPECT_EQ(india.points[0].mapY, 15);
    EXPECT_NEAR(india.points[0].srcY, -892.40625000000000000, 1e-9);
    const auto pts = GcpControlPoints(india, State{}, kTop);
    ASSERT_EQ(pts.size(), 4u);
    EXPECT_EQ(pts[0].B, 15);
    EXPECT_EQ(pts[0].L, 70);
    EXPECT_NEAR(pts[0].yb, 892.40625 + kTop, 1e-4);

    // Newer format: WKT2 of WGS 84 (ID 4326 last), "sourceX,sourceY".
    const GcpFile erie = ReadGcpPoints(
        Fixture("NTNU-SmallSat-Lab__hypso-package__erie_2022_08_27T16_05_36-bin3.points"));
    EXPECT_EQ(erie.crs, GcpCrs::Geographic);
    EXPECT_EQ(erie.epsg, 4326);
    ASSERT_EQ(erie.points.size(), 43u);
    EXPECT_NEAR(erie.points[0].mapX, -82.99790215627142231, 1e-12);
    EXPECT_EQ(GcpControlPoints(erie, State{}, kTop).size(), 43u);

    // NAD83 / UTM 11N is neither WGS84 degrees nor the project's zone: read, but refused.
    // The WKT2 line as QGIS writes it, with the degree sign of its area text.
    const GcpFile vegas = ReadGcpPoints(
        "#CRS: PROJCRS[\"NAD83 / UTM zone 11N\",BASEGEOGCRS[\"NAD83\",DATUM[\"North American "
        "Datum 1983\",ELLIPSOID[\"GRS 1980\",6378137,298.257222101,LENGTHUNIT[\"metre\",1]]],"
        "PRIMEM[\"Greenwich\",0,ANGLEUNIT[\"degree\",0.0174532925199433]],ID[\"EPSG\",4269]],"
        "CONVERSION[\"UTM zone 11N\",METHOD[\"Transverse Mercator\",ID[\"EPSG\",9807]]],"
        "USAGE[SCOPE[\"Engineering survey, topographic mapping.\"],AREA[\"North America - "
        "between 120°W and 114°W - onshore and offshore.\"],BBOX[30.88,-120,83.5,-114]],"
        "ID[\"EPSG\",26911]]\n"
        "mapX,mapY,sourceX,sourceY,enable,dX,dY,residual\n"
        "664465.2,3996681.7,120.5,-840.25,1,2.1,-1.4,2.52\n"
        "669304.9,4000972.3,1820.75,-95.5,1,-3.3,4.9,5.91\n"
        "667012.4,3998820.1,1010.0,-470.0,1,6.2,-3.1,6.93\n");
    EXPECT_EQ(vegas.crs, GcpCrs::Other);
    EXPECT_EQ(vegas.epsg, 26911);
    ASSERT_EQ(vegas.points.size(), 3u);
    try {
        GcpControlPoints(vegas, State{}, kTop);
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(e.kind(), ErrorKind::Refused);
        EXPECT_NE(std::string(e.what()).find("EPSG:26911"), std::string::npos) << e.what();
    }
}

TEST(GcpPoints, BrokenFilesAndForeignZonesAreRefused) {
    const std::string head = "mapX,mapY,sourceX,sourceY,enable,dX,dY,residual\n";
    struct Case {
        const char* what;
        std::string text;
        ErrorKind kind;
        const char* message;
    };
    const Case cases[] = {
        {"no header", "9,48,1,-1,1\n", ErrorKind::Damaged, "keine QGIS-Passpunktdatei"},
        {"empty", "", ErrorKind::Damaged, "keine QGIS-Passpunktdatei"},
        {"cut inside the header", "#CRS: EPSG:32632\nmapX,mapY,sour", ErrorKind::Damaged,
         "keine QGIS-Passpunktdatei"},
        {"other columns", "mapX,mapY,enable,sourceX,sourceY\n9,48,1,1,-1\n", ErrorKind::Damaged,
         "keine QGIS-Passpunktdatei"},
        {"header only", "#CRS: EPSG:32632\n" + head, ErrorKind::Refused, "keinen Passpunkt"},
        {"bad number", head + "9,4x8,1,-1,1\n", ErrorKind::Damaged,
         "'4x8' ist kein gültiger Gleitkommawert"},
        {"few columns", head + "9,48,1\n", ErrorKind::Damaged, "weniger als 5 Spalten"},
        {"other zone", "#CRS: EPSG:32633\n" + head + "500000,5300000,1,-1,1\n", ErrorKind::Refused,
         "Zone 33"},
        {"metres without crs off any zone", head + "5000000,5300000,1,-1,1\n", ErrorKind::Refused,
         "weder Grad noch UTM-Meter"},
        {"all switched off", head + "9,48,1,-1,0\n", ErrorKind::Refused, "keinen eingeschalteten"},
        {"pixel far away", head + "9,48,1e30,-1,1\n", ErrorKind::Refused, "außerhalb"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        try {
            GcpControlPoints(ReadGcpPoints(c.text), State{}, kTop);
            ADD_FAILURE() << "not refused";
        } catch (const Error& e) {
            EXPECT_EQ(e.kind(), c.kind);
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
    }
    // CR LF or lone CR line ends and a switched-off point among others.
    for (const std::string end : {"\r\n", "\r"}) {
        std::string text = "#CRS: EPSG:25832\n" + head +
                           "500000,5300000,10.5,-20.5,1\n"
                           "500100,5300000,110.5,-20.5,0\n";
        for (std::size_t p = text.find('\n'); p != std::string::npos;
             p = text.find('\n', p + end.size()))
            text.replace(p, 1, end);
        const auto pts = GcpControlPoints(ReadGcpPoints(text), State{}, kTop);
        ASSERT_EQ(pts.size(), 1u);
        EXPECT_EQ(pts[0].E, 32500000.0);
        EXPECT_EQ(pts[0].xb, 10.5f);
        EXPECT_EQ(pts[0].yb, 100.5f);
    }
}

} // namespace
} // namespace korvale

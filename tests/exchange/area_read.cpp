// Survey areas read from real KML, KMZ and GeoJSON files of other programs, and the refusals
// of files that are broken, hold no area or are not in WGS84.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "exchange/area.h"
#include "model/error.h"
#include "model/fileio.h"

namespace korvale {
namespace {

std::string Fixture(const std::string& name) {
    return std::string(KORVALE_FIXTURES_DIR) + "/geodata/" + name;
}

struct Expect {
    std::string name; // polygon name, "" when the file gives none
    int part;
    int holes;
    std::size_t corners;
    double lat, lon; // first corner, to 1e-9 degrees
};

struct FileCase {
    const char* file;
    std::vector<Expect> polygons;
};

// First corners are the files' own numbers (lon, lat as written there).
const FileCase kFiles[] = {
    {"kvos__CoastSat__NARRA_polygon.kml", {{"Polygon 1", 0, 0, 4, -33.7012561, 151.2957545}}},
    {"aero-modelling-iitbhu__Team-Tarak__Untitled_map.kml",
     {{"Untitled polygon", 0, 0, 4, 25.25878674943801, 82.98975115126628}}},
    {"google__libkml__outline_space.kml", {{"D50027/Q53", 0, 0, 9, -35.2275562, 138.4749954}}},
    {"mapbox__tokml__multipolygon.kml", {{"", 1, 0, 4, 2.0, 102.0}, {"", 2, 1, 4, 0.0, 100.0}}},
    {"SkrytyZubr__mission_planning__Beira.kmz",
     {{"Untitled Polygon", 0, 0, 5, -19.83781379939629, 34.85544760044463}}},
    {"KiwiKilian__maplibre-gl-js-polygon-hole-bug__polygon.geojson", {{"", 0, 1, 4, 55.0, 20.0}}},
    {"APersonRex__Mapping-Proj__geofence.geojson",
     {{"", 0, 0, 14, 6.752457757990186, 125.353269832054849}}},
    {"CesiumGS__cesium__polygonHeights.geojson",
     {{"UL", 0, 0, 4, 40.042530611425896, -75.61209430782448}}},
};

TEST(AreaRead, FixturesGiveTheirPolygonsWithNamesPartsHolesAndCorners) {
    for (const FileCase& fc : kFiles) {
        SCOPED_TRACE(fc.file);
        const std::vector<AreaPolygon> got = ReadAreaFile(Fixture(fc.file));
        ASSERT_EQ(got.size(), fc.polygons.size());
        for (std::size_t i = 0; i < got.size(); ++i) {
            const Expect& e = fc.polygons[i];
            EXPECT_EQ(got[i].name, e.name);
            EXPECT_EQ(got[i].part, e.part);
            EXPECT_EQ(got[i].holes, e.holes);
            EXPECT_EQ(got[i].ring.size(), e.corners);
            if (e.lat != 0 || e.lon != 0) {
                EXPECT_NEAR(got[i].ring[0].lat, e.lat, 1e-9);
                EXPECT_NEAR(got[i].ring[0].lon, e.lon, 1e-9);
            }
        }
    }
}

// Counts from the fixture list (vertices there include the closing one).
TEST(AreaRead, LargerFixturesGiveEveryPolygonInDocumentOrder) {
    struct Count {
        const char* file;
        std::vector<std::size_t> corners;
    };
    const Count counts[] = {
        {"svitanoksm__Svitanok_NDVI__test_field.kml", {299, 7, 114}},
        {"CesiumGS__cesium__namespaced.kml", {8, 6}},
        {"tylerjw__kmz_parser__test.kmz", {12, 13}},
        {"spwoodcock__drone-testdata-agung-1__aoi.geojson", {8}},
        {"rus4787__rus4787-dron_izshewsk_2024__field.geojson", {104}},
    };
    for (const Count& c : counts) {
        SCOPED_TRACE(c.file);
        const auto got = ReadAreaFile(Fixture(c.file));
        ASSERT_EQ(got.size(), c.corners.size());
        for (std::size_t i = 0; i < got.size(); ++i)
            EXPECT_EQ(got[i].ring.size(), c.corners[i]);
    }
    // Google's sample document: the Pentagon with its hole among campus buildings and the
    // extruded examples; the ground overlay is no polygon of the file.
    const auto samples = ReadAreaFile(Fixture("google__libkml__kmlsamples.kml"));
    ASSERT_EQ(samples.size(), 9u);
    int withHole = 0;
    for (const auto& a : samples) {
        withHole += a.holes;
        EXPECT_GE(a.ring.size(), 4u);
    }
    EXPECT_EQ(withHole, 1);
}

TEST(AreaRead, RingIsCleanedOfClosingAndRepeatedVerticesHeightIgnored) {
    const std::string json = R"({"type":"Polygon","coordinates":[[[9,48,100],[9.001,48,-3],
        [9.001,48,-3],[9.001,48.001],[9,48.001,7],[9,48,100]]]})";
    const auto got = ReadAreaGeoJson(json);
    ASSERT_EQ(got.size(), 1u);
    ASSERT_EQ(got[0].ring.size(), 4u);
    EXPECT_EQ(got[0].ring[1].lon, 9.001);
    EXPECT_EQ(got[0].ring[3].lat, 48.001);

    const std::string kml = "<kml xmlns='http://www.opengis.net/kml/2.2'><Placemark><name> A "
                            "</name><Polygon><outerBoundaryIs><LinearRing><coordinates>9,48 "
                            "9.001, 48\n9.001 ,48.001 9,48.001 9,48</coordinates></LinearRing>"
                            "</outerBoundaryIs></Polygon></Placemark></kml>";
    const auto k = ReadAreaKml(kml);
    ASSERT_EQ(k.size(), 1u);
    EXPECT_EQ(k[0].name, "A");
    EXPECT_EQ(k[0].ring.size(), 4u);
}

struct Refusal {
    const char* what;
    AreaFormat format;
    std::string bytes;
    ErrorKind kind;
    const char* text;
};

std::vector<AreaPolygon> Read(AreaFormat f, const std::string& b) {
    switch (f) {
    case AreaFormat::Kml:
        return ReadAreaKml(b);
    case AreaFormat::Kmz:
        return ReadAreaKmz(b);
    default:
        return ReadAreaGeoJson(b);
    }
}

const std::string kKmlHead = "<kml><Placemark><Polygon><outerBoundaryIs><LinearRing><coordinates>";
const std::string kKmlTail =
    "</coordinates></LinearRing></outerBoundaryIs></Polygon></Placemark></kml>";

TEST(AreaRead, BrokenOrUnsuitableFilesAreRefusedWithAGermanMessage) {
    const Refusal cases[] = {
        {"kml no xml", AreaFormat::Kml, "{\"type\":\"Polygon\"}", ErrorKind::Damaged,
         "keine KML-Datei"},
        {"kml other xml", AreaFormat::Kml, "<gpx><trk/></gpx>", ErrorKind::Damaged,
         "keine KML-Datei"},
        {"kml truncated", AreaFormat::Kml, kKmlHead + "9,48 9.1,48", ErrorKind::Damaged,
         "keine KML-Datei"},
        {"kml no polygon", AreaFormat::Kml,
         "<kml><Placemark><Point><coordinates>9,48</coordinates></Point></Placemark></kml>",
         ErrorKind::Refused, "keine Fläche"},
        {"kml two corners", AreaFormat::Kml, kKmlHead + "9,48 9.1,48 9,48 9.1,48" + kKmlTail,
         ErrorKind::Refused, "weniger als 3 verschiedene Eckpunkte"},
        {"kml latitude 91", AreaFormat::Kml, kKmlHead + "9,48 9.1,91 9,48.1" + kKmlTail,
         ErrorKind::Refused, "außerhalb von WGS84"},
        {"kml bad number", AreaFormat::Kml, kKmlHead + "9,48 9.1,4x8 9,48.1" + kKmlTail,
         ErrorKind::Damaged, "keine Zahl"},
        {"kml nan", AreaFormat::Kml, kKmlHead + "9,48 nan,48 9,48.1" + kKmlTail, ErrorKind::Refused,
         "keine Zahl"},
        {"kmz not zip", AreaFormat::Kmz, "<kml/>", ErrorKind::Damaged, "keine KMZ-Datei"},
        {"kmz empty", AreaFormat::Kmz, "", ErrorKind::Damaged, "keine KMZ-Datei"},
        {"geojson not json", AreaFormat::GeoJson, "<kml/>", ErrorKind::Damaged,
         "keine GeoJSON-Datei"},
        {"geojson no polygon", AreaFormat::GeoJson,
         R"({"type":"Feature","geometry":{"type":"Point","coordinates":[9,48]}})",
         ErrorKind::Refused, "keine Fläche"},
        {"geojson other crs", AreaFormat::GeoJson,
         R"({"type":"Polygon","crs":{"type":"name","properties":{"name":"EPSG:25832"}},
             "coordinates":[[[9,48],[9.1,48],[9,48.1],[9,48]]]})",
         ErrorKind::Refused, "EPSG:25832"},
        {"geojson string coordinate", AreaFormat::GeoJson,
         R"({"type":"Polygon","coordinates":[[[9,"48"],[9.1,48],[9,48.1]]]})", ErrorKind::Damaged,
         "keine Zahl"},
        {"geojson longitude 181", AreaFormat::GeoJson,
         R"({"type":"Polygon","coordinates":[[[9,48],[181,48],[9,48.1]]]})", ErrorKind::Refused,
         "außerhalb von WGS84"},
        {"geojson no ring", AreaFormat::GeoJson, R"({"type":"Polygon","coordinates":[]})",
         ErrorKind::Damaged, "keinen äußeren Ring"},
    };
    for (const Refusal& c : cases) {
        SCOPED_TRACE(c.what);
        try {
            Read(c.format, c.bytes);
            ADD_FAILURE() << "not refused";
        } catch (const Error& e) {
            EXPECT_EQ(e.kind(), c.kind);
            EXPECT_NE(std::string(e.what()).find(c.text), std::string::npos) << e.what();
        }
    }
}

// The photogrammetry bounds are UTM metres without a "crs" member: taking them for degrees
// would put the area somewhere in space; the message says what is wrong and what to do.
TEST(AreaRead, ProjectedMetresWithoutCrsAreRefusedWithAHint) {
    try {
        ReadAreaFile(Fixture("FynnHer__mapping_viewer__odm_georeferenced_model.bounds.geojson"));
        FAIL() << "not refused";
    } catch (const Error& e) {
        EXPECT_EQ(e.kind(), ErrorKind::Refused);
        const std::string m = e.what();
        EXPECT_NE(m.find("projizierten Metern"), std::string::npos) << m;
        EXPECT_NE(m.find("WGS84"), std::string::npos) << m;
        EXPECT_NE(m.find("bounds.geojson"), std::string::npos) << m;
    }
}

TEST(AreaRead, FileIsReadByItsExtensionAndAFileThatIsNotWhatItsNameSaysIsRefused) {
    EXPECT_EQ(AreaFormatOf("/a.b/Feld.KML"), AreaFormat::Kml);
    EXPECT_EQ(AreaFormatOf("x.kmz"), AreaFormat::Kmz);
    EXPECT_EQ(AreaFormatOf("x.geojson"), AreaFormat::GeoJson);
    EXPECT_EQ(AreaFormatOf("x.json"), AreaFormat::GeoJson);
    EXPECT_EQ(AreaFormatOf("/a.kml/Feld"), AreaFormat::Unknown);
    try {
        ReadAreaFile("Feld.shp");
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(e.kind(), ErrorKind::Refused);
        EXPECT_NE(std::string(e.what()).find(".kml, .kmz oder .geojson"), std::string::npos);
    }
    // A KML fixture read as a KMZ is no zip.
    try {
        ReadAreaKmz(ReadFileBytes(Fixture("kvos__CoastSat__NARRA_polygon.kml")));
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(e.kind(), ErrorKind::Damaged);
    }
}

TEST(AreaRead, LabelsNameThePolygonItsPartCornersAndHoles) {
    AreaPolygon a;
    a.ring.resize(4);
    EXPECT_EQ(AreaLabel(a, 2), "Polygon 3, 4 Ecken");
    a.name = "Acker";
    a.part = 2;
    a.holes = 1;
    EXPECT_EQ(AreaLabel(a, 0), "Acker (Teil 2), 4 Ecken, 1 Loch/Löcher");
}

} // namespace
} // namespace korvale

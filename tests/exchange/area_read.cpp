// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Survey areas read from real KML, KMZ and GeoJSON files of other programs, and the refusals
// of files that are broken, hold no area or are not in WGS84.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <tuple>
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
            EXPECT_EQ(got[i].inner.size(), static_cast<std::size_t>(e.holes));
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
        {"CesiumGS__cesium__namespaced.kml", {8, 6}},
        {"spwoodcock__drone-testdata-agung-1__aoi.geojson", {8}},
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

// A ring of n corners around (lat, lon), closed, as "lon,lat" pairs with 13 decimals.
std::string Ring(int n, double lat, double lon, const char* sep, const char* pair) {
    std::string out;
    for (int i = 0; i <= n; ++i) {
        const double a = 2 * M_PI * (i % n) / n;
        char buf[96];
        std::snprintf(buf, sizeof buf, pair, lon + 0.004 * std::cos(a), lat + 0.003 * std::sin(a));
        out += (i ? sep : "") + std::string(buf);
    }
    return out;
}

std::uint32_t Crc32(const std::string& bytes) {
    std::uint32_t c = 0xFFFFFFFFu;
    for (unsigned char b : bytes) {
        c ^= b;
        for (int k = 0; k < 8; ++k)
            c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
    }
    return ~c;
}

// A zip of one stored entry. Its DOS date is 0, the "1980-00-00" (month 0) that Google Earth
// writes into its KMZ files and that a strict zip reader refuses.
std::string StoredZip(const std::string& name, const std::string& data) {
    auto le = [](std::string& out, std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out += static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    const std::uint32_t crc = Crc32(data);
    const auto size = static_cast<std::uint32_t>(data.size());
    const auto nameLen = static_cast<std::uint32_t>(name.size());
    std::string z;
    le(z, 0x04034b50, 4); // local header
    le(z, 20, 2), le(z, 0, 2), le(z, 0, 2), le(z, 0, 2), le(z, 0, 2);
    le(z, crc, 4), le(z, size, 4), le(z, size, 4), le(z, nameLen, 2), le(z, 0, 2);
    z += name + data;
    const auto central = static_cast<std::uint32_t>(z.size());
    le(z, 0x02014b50, 4); // central directory
    le(z, 20, 2), le(z, 20, 2), le(z, 0, 2), le(z, 0, 2), le(z, 0, 2), le(z, 0, 2);
    le(z, crc, 4), le(z, size, 4), le(z, size, 4), le(z, nameLen, 2);
    le(z, 0, 2), le(z, 0, 2), le(z, 0, 2), le(z, 0, 2), le(z, 0, 4), le(z, 0, 4);
    z += name;
    const auto centralSize = static_cast<std::uint32_t>(z.size()) - central;
    le(z, 0x06054b50, 4); // end of central directory
    le(z, 0, 2), le(z, 0, 2), le(z, 1, 2), le(z, 1, 2), le(z, centralSize, 4), le(z, central, 4);
    le(z, 0, 2);
    return z;
}

// Cases whose real examples carry no licence, made here with the same traits.
TEST(AreaRead, GoogleEarthKmzWithZeroDateAndMixedFolderGivesItsPolygons) {
    // Saved by Google Earth: gx/kml/atom namespaces, a StyleMap, tessellate, coordinates on one
    // line ending in ",0 ", entities in names, and a folder mixing points, lines and polygons.
    const std::string doc =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<kml xmlns=\"http://www.opengis.net/kml/2.2\""
        " xmlns:gx=\"http://www.google.com/kml/ext/2.2\" xmlns:kml=\"http://www.opengis.net/kml/"
        "2.2\" xmlns:atom=\"http://www.w3.org/2005/Atom\">\n<Document>\n\t<name>Feld.kmz</name>\n"
        "\t<StyleMap id=\"m_ylw-pushpin\"><Pair><key>normal</key><styleUrl>#s_ylw-pushpin"
        "</styleUrl></Pair></StyleMap>\n\t<Folder>\n\t\t<name>Test &amp; Co</name>\n"
        "\t\t<Placemark><name>Mast</name><Point><coordinates>11.5,48.1,0</coordinates></Point>"
        "</Placemark>\n\t\t<Placemark><name>Weg</name><LineString><tessellate>1</tessellate>"
        "<coordinates>" +
        Ring(5, 48.1, 11.5, " ", "%.13f,%.13f,0") +
        " </coordinates></LineString></Placemark>\n"
        "\t\t<Placemark><name>Zwölfeck</name><styleUrl>#m_ylw-pushpin</styleUrl><Polygon>"
        "<tessellate>1</tessellate><outerBoundaryIs><LinearRing><coordinates>\n\t\t\t\t" +
        Ring(12, 48.12, 11.52, " ", "%.13f,%.13f,0") +
        " \n\t\t\t\t</coordinates></LinearRing></outerBoundaryIs></Polygon></Placemark>\n"
        "\t\t<Placemark><name>Mike&apos;s Feld</name><Polygon><outerBoundaryIs><LinearRing>"
        "<coordinates>" +
        Ring(13, 48.13, 11.53, " ", "%.13f,%.13f,0") +
        " </coordinates></LinearRing></outerBoundaryIs></Polygon></Placemark>\n"
        "\t</Folder>\n</Document>\n</kml>\n";
    const auto got = ReadAreaKmz(StoredZip("doc.kml", doc));
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].name, "Zwölfeck");
    EXPECT_EQ(got[0].ring.size(), 12u);
    EXPECT_EQ(got[1].name, "Mike's Feld");
    EXPECT_EQ(got[1].ring.size(), 13u);
    EXPECT_NEAR(got[0].ring[0].lat, 48.12, 1e-12);
    EXPECT_NEAR(got[0].ring[0].lon, 11.524, 1e-12);
}

TEST(AreaRead, OgrKmlAndGeoJsonShapesOfOtherToolsRead) {
    // OGR/QGIS KML: a Document with an id, a Folder, each field a MultiGeometry wrapping one
    // Polygon, the coordinates of a field on a single line of several thousand characters.
    std::string kml =
        "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n<kml xmlns=\"http://www.opengis."
        "net/kml/2.2\">\n<Document id=\"root_doc\">\n<Folder><name>felder</name>\n";
    const int sizes[] = {299, 7, 114};
    for (int n : sizes)
        kml += "  <Placemark>\n\t<Style><LineStyle><color>ff0000ff</color></LineStyle></Style>\n"
               "      <MultiGeometry><Polygon><outerBoundaryIs><LinearRing><coordinates>" +
               Ring(n, 47.3, 30.3, " ", "%.13f,%.13f") +
               "</coordinates></LinearRing></outerBoundaryIs></Polygon></MultiGeometry>\n"
               "  </Placemark>\n";
    kml += "</Folder>\n</Document></kml>\n";
    const auto fields = ReadAreaKml(kml);
    ASSERT_EQ(fields.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(fields[i].ring.size(), static_cast<std::size_t>(sizes[i]));

    struct Case {
        const char* what;
        std::string json;
        int holes;
        std::size_t corners;
        double lat, lon;
    };
    const Case cases[] = {
        // A bare geometry: integer corners counter-clockwise, a clockwise hole, no line end.
        {"bare polygon with hole",
         "  {\"type\": \"Polygon\", \"coordinates\": [[[20, 55], [0, 55], [0, 45], [20, 45], "
         "[20, 55]], [[8.5, 48.0], [9.5, 49.5], [10.5, 48.0], [8.5, 48.0]]]}",
         1, 4, 55, 20},
        // QGIS: name and CRS84, one MultiPolygon of a single part, "id": null, clockwise.
        {"QGIS MultiPolygon of one part",
         "{\n\"type\": \"FeatureCollection\",\n\"name\": \"geofence\",\n\"crs\": { \"type\": "
         "\"name\", \"properties\": { \"name\": \"urn:ogc:def:crs:OGC:1.3:CRS84\" } },\n"
         "\"features\": [\n{ \"type\": \"Feature\", \"properties\": { \"id\": null }, "
         "\"geometry\": { \"type\": \"MultiPolygon\", \"coordinates\": [ [ [ "
         "[ 125.3504, 6.7508 ], [ 125.3541, 6.7531 ], [ 125.3550, "
         "6.7522 ], [ 125.3539, 6.7515 ], [ 125.3504, 6.7508 ] ] ] ] } }\n"
         "]\n}\n",
         0, 4, 6.7508, 125.3504},
        // geojson.io style: minified, "coordinates" before "type", empty properties.
        {"minified, coordinates first",
         "{\"type\":\"FeatureCollection\",\"features\":[{\"type\":\"Feature\",\"properties\":{},"
         "\"geometry\":{\"coordinates\":[[" +
             Ring(104, 57.45, 54.78, ",", "[%.15f,%.15f]") + "]],\"type\":\"Polygon\"}}]}",
         0, 104, 57.45, 54.784},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto got = ReadAreaGeoJson(c.json);
        ASSERT_EQ(got.size(), 1u);
        EXPECT_EQ(got[0].holes, c.holes);
        EXPECT_EQ(got[0].inner.size(), static_cast<std::size_t>(c.holes));
        EXPECT_EQ(got[0].ring.size(), c.corners);
        EXPECT_NEAR(got[0].ring[0].lat, c.lat, 1e-9);
        EXPECT_NEAR(got[0].ring[0].lon, c.lon, 1e-9);
    }
}

TEST(AreaRead, HolesAreHandedOverCleanedAndBrokenOnesAreOnlyCounted) {
    // Per format: a good hole (closing corner repeated), a hole of two distinct corners, and
    // (KML) one whose coordinates are no numbers. The area itself reads in every case.
    const std::string kml =
        "<kml xmlns=\"http://www.opengis.net/kml/2.2\"><Placemark><Polygon>"
        "<outerBoundaryIs><LinearRing><coordinates>9,48 9.01,48 9.01,48.01 9,48.01 9,48"
        "</coordinates></LinearRing></outerBoundaryIs>"
        "<innerBoundaryIs><LinearRing><coordinates>9.002,48.002 9.004,48.002 9.003,48.004 "
        "9.002,48.002</coordinates></LinearRing></innerBoundaryIs>"
        "<innerBoundaryIs><LinearRing><coordinates>9.005,48.005 9.006,48.006 9.005,48.005"
        "</coordinates></LinearRing></innerBoundaryIs>"
        "<innerBoundaryIs><LinearRing><coordinates>x,y</coordinates></LinearRing>"
        "</innerBoundaryIs></Polygon></Placemark></kml>";
    const std::string json =
        "{\"type\": \"Polygon\", \"coordinates\": [[[9, 48], [9.01, 48], [9.01, 48.01], "
        "[9, 48.01], [9, 48]], [[9.002, 48.002], [9.004, 48.002], [9.003, 48.004], "
        "[9.002, 48.002]], [[9.005, 48.005], [9.006, 48.006], [9.005, 48.005]]]}";
    for (const auto& [what, got, holes] : {std::tuple{"KML", ReadAreaKml(kml), 3},
                                           std::tuple{"GeoJSON", ReadAreaGeoJson(json), 2}}) {
        SCOPED_TRACE(what);
        ASSERT_EQ(got.size(), 1u);
        EXPECT_EQ(got[0].ring.size(), 4u);
        EXPECT_EQ(got[0].holes, holes);
        ASSERT_EQ(got[0].inner.size(), 1u);
        EXPECT_EQ(DroppedHoles(got[0]), holes - 1);
        ASSERT_EQ(got[0].inner[0].size(), 3u); // the closing corner is gone
        EXPECT_EQ(got[0].inner[0][1].lon, 9.004);
        EXPECT_EQ(got[0].inner[0][2].lat, 48.004);
    }
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

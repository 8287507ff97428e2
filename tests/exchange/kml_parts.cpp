// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Names and part numbers of the polygons of a KML document: the reader walks the document once,
// and what it reports must be what the tree says when each polygon is looked at on its own (the
// nearest enclosing Placemark's name; the polygon's number among the polygons of its
// MultiGeometry, 0 when it stands alone or is the only one there).
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <pugixml.hpp>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/area.h"
#include "model/fileio.h"

namespace korvale {
namespace {

std::string_view Local(const pugi::xml_node& n) {
    const std::string_view name = n.name();
    const auto colon = name.find(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

std::string Trimmed(std::string_view s) {
    const auto space = [](char c) { return c == ' ' || c == '\n' || c == '\t' || c == '\r'; };
    while (!s.empty() && space(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && space(s.back()))
        s.remove_suffix(1);
    return std::string(s);
}

struct Label {
    std::string name;
    int part;
};

// Each polygon looked at on its own: up the tree for the name, across the siblings for the part.
std::vector<Label> FromTree(const std::string& kml) {
    pugi::xml_document doc;
    EXPECT_TRUE(doc.load_buffer(kml.data(), kml.size()));
    std::vector<Label> out;
    const auto visit = [&](const pugi::xml_node& polygon) {
        Label l{"", 0};
        for (pugi::xml_node up = polygon; up; up = up.parent())
            if (up.type() == pugi::node_element && Local(up) == "Placemark") {
                for (pugi::xml_node c = up.first_child(); c; c = c.next_sibling())
                    if (c.type() == pugi::node_element && Local(c) == "name") {
                        l.name = Trimmed(c.child_value());
                        break;
                    }
                break;
            }
        const pugi::xml_node parent = polygon.parent();
        if (Local(parent) == "MultiGeometry") {
            int count = 0, mine = 0;
            for (pugi::xml_node c = parent.first_child(); c; c = c.next_sibling())
                if (c.type() == pugi::node_element && Local(c) == "Polygon") {
                    ++count;
                    if (c == polygon)
                        mine = count;
                }
            l.part = count > 1 ? mine : 0;
        }
        out.push_back(l);
    };
    struct Walker : pugi::xml_tree_walker {
        std::function<void(const pugi::xml_node&)> f;
        bool for_each(pugi::xml_node& n) override {
            if (n.type() == pugi::node_element && Local(n) == "Polygon") {
                // Polygons hold no polygons; a nested one would not be read.
                for (pugi::xml_node up = n.parent(); up; up = up.parent())
                    if (up.type() == pugi::node_element && Local(up) == "Polygon")
                        return true;
                f(n);
            }
            return true;
        }
    } walker;
    walker.f = visit;
    doc.traverse(walker);
    return out;
}

void ExpectSameLabels(const std::string& kml) {
    const std::vector<AreaPolygon> got = ReadAreaKml(kml);
    const std::vector<Label> want = FromTree(kml);
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "polygon " << i + 1);
        EXPECT_EQ(got[i].name, want[i].name);
        EXPECT_EQ(got[i].part, want[i].part);
    }
}

std::string Square(int i, const char* prefix = "") {
    const std::string lon = std::to_string(9 + (i % 100) * 0.01);
    const std::string lat = std::to_string(48 + (i / 100) * 0.01);
    const std::string p(prefix);
    return "<" + p + "Polygon><" + p + "outerBoundaryIs><" + p + "LinearRing><" + p +
           "coordinates>" + lon + "," + lat + " " + lon + "," + lat + "5 " + lon + "5," + lat +
           "5 " + lon + "," + lat + "</" + p + "coordinates></" + p + "LinearRing></" + p +
           "outerBoundaryIs></" + p + "Polygon>";
}

TEST(KmlParts, FixturesKeepTheirNamesAndParts) {
    int files = 0;
    for (const auto& e :
         std::filesystem::directory_iterator(std::string(KORVALE_FIXTURES_DIR) + "/geodata")) {
        if (e.path().extension() != ".kml")
            continue;
        SCOPED_TRACE(e.path().filename().string());
        ExpectSameLabels(ReadFileBytes(e.path().string()));
        ++files;
    }
    EXPECT_GE(files, 5);
}

// The cases a single walk could get wrong: a MultiGeometry inside another one, other geometries
// between the polygons, a multi-geometry of one polygon, placemarks without a name, with the name
// after the geometry or inside another placemark, polygons outside any placemark, prefixes.
TEST(KmlParts, NestedAndMixedDocumentsGiveTheTreesNamesAndParts) {
    const std::string point = "<Point><coordinates>9,48</coordinates></Point>";
    const std::string kml =
        "<kml xmlns='http://www.opengis.net/kml/2.2' xmlns:kml='http://www.opengis.net/kml/2.2'>"
        "<Document><name>Doc</name>" +
        Square(1) + "<Folder><Placemark><name> A </name><MultiGeometry>" + Square(2) + point +
        "<MultiGeometry>" + Square(3) + Square(4) + "</MultiGeometry><!-- c -->" + Square(5) +
        "<MultiGeometry>" + Square(6) +
        "</MultiGeometry></MultiGeometry></Placemark>"
        "<Placemark><MultiGeometry>" +
        Square(7) + Square(8) +
        "</MultiGeometry><name>late</name></Placemark>"
        "<Placemark><Folder><Placemark><name>inner</name>" +
        Square(9) + "</Placemark>" + Square(10) +
        "</Folder><name>outer</name></Placemark>"
        "<kml:Placemark><kml:name>P</kml:name><kml:MultiGeometry>" +
        Square(11, "kml:") + Square(12, "kml:") +
        "</kml:MultiGeometry></kml:Placemark><Placemark><name/>" + Square(13) +
        "</Placemark></Folder>" + Square(14) + "</Document></kml>";
    ExpectSameLabels(kml);
    // The tree's reading itself, spelled out for a few of them.
    const std::vector<AreaPolygon> got = ReadAreaKml(kml);
    ASSERT_EQ(got.size(), 14u);
    const Label spelled[] = {{"", 0},  {"A", 1},    {"A", 1},    {"A", 2},     {"A", 2},
                             {"A", 0}, {"late", 1}, {"late", 2}, {"inner", 0}, {"outer", 0},
                             {"P", 1}, {"P", 2},    {"", 0},     {"", 0}};
    for (std::size_t i = 0; i < got.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "polygon " << i + 1);
        EXPECT_EQ(got[i].name, spelled[i].name);
        EXPECT_EQ(got[i].part, spelled[i].part);
    }
}

// Thousands of polygons in random nests of placemarks and multi-geometries (fixed seed).
TEST(KmlParts, GeneratedMultiPolygonDocumentsGiveTheTreesNamesAndParts) {
    std::mt19937 rng(19);
    for (int doc = 0; doc < 5; ++doc) {
        SCOPED_TRACE(testing::Message() << "document " << doc);
        std::string kml = "<kml xmlns='http://www.opengis.net/kml/2.2'><Document>";
        int polygons = 0;
        std::vector<std::string> open;
        for (int step = 0; step < 3000; ++step) {
            switch (rng() % 8) {
            case 0:
                kml += "<Placemark>";
                if (rng() % 3 != 0)
                    kml += "<name>n" + std::to_string(step) + "</name>";
                open.push_back("</Placemark>");
                break;
            case 1:
            case 2:
                kml += "<MultiGeometry>";
                open.push_back("</MultiGeometry>");
                break;
            case 3:
                if (!open.empty()) {
                    kml += open.back();
                    open.pop_back();
                }
                break;
            default:
                kml += Square(polygons++);
            }
        }
        while (!open.empty()) {
            kml += open.back();
            open.pop_back();
        }
        kml += "</Document></kml>";
        ExpectSameLabels(kml);
    }
}

} // namespace
} // namespace korvale

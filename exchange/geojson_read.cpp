// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Areas from GeoJSON: RFC 7946 files and the older ones with a "crs" member naming WGS84.
#include <cmath>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "exchange/area.h"
#include "model/error.h"
#include "model/format.h"

namespace korvale {

namespace {

using nlohmann::json;

// Geometry collections inside geometry collections are allowed by the format but never
// written by anyone; a limit keeps a hostile file from nesting them without end.
constexpr int kMaxDepth = 32;

[[noreturn]] void Bad(const std::string& what) {
    throw Error(ErrorKind::Damaged, "Die GeoJSON-Datei ist fehlerhaft: " + what + ".");
}

// The old "crs" member (before RFC 7946) may name WGS84 in longitude, latitude order; any other
// system would give wrong positions, so it is refused.
void CheckCrs(const json& obj) {
    const auto it = obj.find("crs");
    if (it == obj.end() || it->is_null())
        return;
    std::string name;
    if (it->is_object()) {
        const auto props = it->find("properties");
        if (props != it->end() && props->is_object()) {
            const auto n = props->find("name");
            if (n != props->end() && n->is_string())
                name = n->get<std::string>();
        }
    }
    static const char* const kWgs84[] = {"urn:ogc:def:crs:OGC:1.3:CRS84",
                                         "urn:ogc:def:crs:OGC::CRS84",
                                         "CRS84",
                                         "OGC:CRS84",
                                         "EPSG:4326",
                                         "urn:ogc:def:crs:EPSG::4326",
                                         "urn:ogc:def:crs:EPSG:6.6:4326"};
    for (const char* ok : kWgs84)
        if (name == ok)
            return;
    throw Error(ErrorKind::Refused, "Das Koordinatensystem '" + name.substr(0, 80) +
                                        "' der GeoJSON-Datei wird nicht unterstützt.\n"
                                        "Bitte als WGS84 in Grad (EPSG:4326) exportieren.");
}

GeoPos Position(const json& p) {
    if (!p.is_array() || p.size() < 2 || p.size() > 3)
        Bad("eine Position ist nicht [Länge, Breite] oder [Länge, Breite, Höhe]");
    for (const json& v : p)
        if (!v.is_number())
            Bad("eine Koordinate ist keine Zahl");
    return {p[1].get<double>(), p[0].get<double>()};
}

std::vector<GeoPos> Ring(const json& r) {
    if (!r.is_array())
        Bad("ein Ring ist keine Liste von Positionen");
    std::vector<GeoPos> out;
    out.reserve(r.size());
    for (const json& p : r)
        out.push_back(Position(p));
    return out;
}

struct Reader {
    std::vector<AreaPolygon> out;

    void Polygon(const json& rings, const std::string& name, int part) {
        if (!rings.is_array() || rings.empty())
            Bad("ein Polygon hat keinen äußeren Ring");
        AreaPolygon a;
        a.name = name;
        a.part = part;
        a.holes = static_cast<int>(rings.size()) - 1;
        const std::string what =
            name.empty() ? Format("Nr. %d", {out.size() + 1}) : "'" + name + "'";
        for (std::size_t i = 1; i < rings.size(); ++i) {
            // Holes must be well-formed JSON positions too; one with fewer than three
            // corners is left out and counted.
            const std::vector<GeoPos> raw = Ring(rings[i]);
            try {
                a.inner.push_back(detail::CleanRing(raw, what));
            } catch (const Error& e) {
                if (e.kind() != ErrorKind::Refused)
                    throw;
            }
        }
        a.ring = detail::CleanRing(Ring(rings[0]), what);
        out.push_back(std::move(a));
    }

    void Geometry(const json& g, const std::string& name, int depth) {
        if (g.is_null())
            return; // a feature without geometry is allowed
        if (!g.is_object() || depth > kMaxDepth)
            Bad("eine Geometrie ist kein Objekt");
        const auto type = g.find("type");
        if (type == g.end() || !type->is_string())
            Bad("eine Geometrie hat keinen Typ");
        const std::string t = type->get<std::string>();
        if (t == "GeometryCollection") {
            const auto gs = g.find("geometries");
            if (gs == g.end() || !gs->is_array())
                Bad("eine GeometryCollection hat keine Geometrien");
            for (const json& sub : *gs)
                Geometry(sub, name, depth + 1);
            return;
        }
        const auto coords = g.find("coordinates");
        if (coords == g.end())
            Bad("eine Geometrie hat keine Koordinaten");
        if (t == "Polygon") {
            Polygon(*coords, name, 0);
        } else if (t == "MultiPolygon") {
            if (!coords->is_array())
                Bad("ein MultiPolygon ist keine Liste von Polygonen");
            const int parts = static_cast<int>(coords->size());
            for (int i = 0; i < parts; ++i)
                Polygon((*coords)[static_cast<std::size_t>(i)], name, parts > 1 ? i + 1 : 0);
        } else if (t != "Point" && t != "MultiPoint" && t != "LineString" &&
                   t != "MultiLineString") {
            Bad("unbekannter Geometrietyp '" + t.substr(0, 40) + "'");
        }
        // Points and lines are no area; they are passed over.
    }

    static std::string NameOf(const json& feature) {
        const auto props = feature.find("properties");
        if (props == feature.end() || !props->is_object())
            return {};
        for (const char* key : {"name", "Name", "NAME", "title"}) {
            const auto n = props->find(key);
            if (n != props->end() && n->is_string())
                return n->get<std::string>();
        }
        return {};
    }

    void Feature(const json& f) {
        if (!f.is_object())
            Bad("ein Feature ist kein Objekt");
        const auto g = f.find("geometry");
        if (g == f.end())
            Bad("ein Feature hat keine Geometrie");
        Geometry(*g, NameOf(f), 0);
    }

    void Top(const json& doc) {
        if (!doc.is_object())
            Bad("sie ist kein GeoJSON-Objekt");
        CheckCrs(doc);
        const auto type = doc.find("type");
        if (type == doc.end() || !type->is_string())
            Bad("das Objekt hat keinen Typ");
        const std::string t = type->get<std::string>();
        if (t == "FeatureCollection") {
            const auto fs = doc.find("features");
            if (fs == doc.end() || !fs->is_array())
                Bad("die FeatureCollection hat keine Features");
            for (const json& f : *fs)
                Feature(f);
        } else if (t == "Feature") {
            Feature(doc);
        } else {
            Geometry(doc, {}, 0);
        }
    }
};

} // namespace

std::vector<AreaPolygon> ReadAreaGeoJson(std::string_view bytes) {
    const json doc = json::parse(bytes.begin(), bytes.end(), nullptr, false);
    if (doc.is_discarded())
        throw Error(ErrorKind::Damaged, "Die Datei ist keine GeoJSON-Datei (kein gültiges JSON).");
    Reader r;
    r.Top(doc);
    if (r.out.empty())
        detail::ThrowNoPolygon();
    return std::move(r.out);
}

} // namespace korvale

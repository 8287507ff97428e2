// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "exchange/plan_export.h"

#include <cmath>

#include "model/error.h"
#include "model/fileio.h"
#include "model/format.h"

namespace korvale {

namespace {

// 9 decimals of a degree are 0.1 mm on the ground: the file loses nothing the plan holds.
constexpr int kDecimals = 9;

std::string Deg(double v) {
    return FormatFixed(v, kDecimals);
}

// Twice the signed area in degrees (longitude as x, latitude as y): positive for a
// counter-clockwise ring.
double SignedArea2(const std::vector<GeoPos>& r) {
    double sum = 0;
    for (std::size_t i = 0; i < r.size(); ++i) {
        const GeoPos& a = r[i];
        const GeoPos& b = r[(i + 1) % r.size()];
        sum += a.lon * b.lat - b.lon * a.lat;
    }
    return sum;
}

// The area ring counter-clockwise, as RFC 7946 asks of an outer ring, and closed.
std::vector<GeoPos> OuterRing(const std::vector<GeoPos>& area) {
    std::vector<GeoPos> r = area;
    if (SignedArea2(r) < 0)
        r.assign(area.rbegin(), area.rend());
    r.push_back(r.front());
    return r;
}

std::string JsonPos(const GeoPos& p) {
    return Format("[%s, %s]", {Deg(p.lon), Deg(p.lat)});
}

std::string JsonLine(const std::vector<GeoPos>& pts) {
    std::string s = "[";
    for (std::size_t i = 0; i < pts.size(); ++i)
        s += (i ? ", " : "") + JsonPos(pts[i]);
    return s + "]";
}

std::string JsonFeature(const std::string& kind, std::size_t index, const std::string& geometry,
                        const std::string& more = "") {
    return "{\"type\": \"Feature\", \"properties\": {\"kind\": \"" + kind +
           "\", \"index\": " + Format("%d", {index}) + more + "}, \"geometry\": " + geometry + "}";
}

std::string KmlCoords(const std::vector<GeoPos>& pts) {
    std::string s;
    for (std::size_t i = 0; i < pts.size(); ++i) {
        if (i)
            s += ' ';
        s += Deg(pts[i].lon);
        s += ',';
        s += Deg(pts[i].lat);
    }
    return s;
}

std::string KmlPlacemark(const std::string& name, const std::string& style,
                         const std::string& geometry) {
    return "      <Placemark><name>" + name + "</name><styleUrl>#" + style + "</styleUrl>" +
           geometry + "</Placemark>\n";
}

std::string KmlLine(const std::vector<GeoPos>& pts) {
    return "<LineString><tessellate>1</tessellate><coordinates>" + KmlCoords(pts) +
           "</coordinates></LineString>";
}

std::string KmlPoint(const GeoPos& p) {
    return "<Point><coordinates>" + KmlCoords({p}) + "</coordinates></Point>";
}

// Gathers the text in pieces of 64 KiB for the sink: a million pictures make a file of some
// 150 MB, which never has to lie whole in memory.
class Pieces {
  public:
    explicit Pieces(ByteSink& sink) : sink_(sink) { text_.reserve(kPiece + 4096); }
    Pieces(const Pieces&) = delete;
    Pieces& operator=(const Pieces&) = delete;
    Pieces& operator+=(std::string_view more) {
        text_ += more;
        if (text_.size() >= kPiece)
            Flush();
        return *this;
    }
    void Flush() {
        sink_.Append(text_);
        text_.clear();
    }

  private:
    static constexpr std::size_t kPiece = std::size_t{1} << 16;
    ByteSink& sink_;
    std::string text_;
};

} // namespace

std::string PlanToGeoJson(const PlanGeo& plan) {
    StringSink sink;
    sink.text.reserve(160 * (plan.pictures.size() + plan.waypoints.size()) + 4096);
    WritePlanGeoJson(sink, plan);
    return std::move(sink.text);
}

std::string PlanToKml(const PlanGeo& plan) {
    StringSink sink;
    WritePlanKml(sink, plan);
    return std::move(sink.text);
}

void WritePlanGeoJson(ByteSink& sink, const PlanGeo& plan) {
    Pieces out(sink);
    out += "{\"type\": \"FeatureCollection\", \"features\": [\n";
    bool first = true;
    const auto add = [&](const std::string& feature) {
        if (!first)
            out += ",\n";
        out += feature;
        first = false;
    };
    if (plan.area.size() >= 3)
        add(JsonFeature("area", 0,
                        "{\"type\": \"Polygon\", \"coordinates\": [" +
                            JsonLine(OuterRing(plan.area)) + "]}"));
    for (std::size_t k = 0; k < plan.lines.size() || k < plan.legs.size(); ++k) {
        if (k < plan.lines.size())
            add(JsonFeature(
                "line", k,
                "{\"type\": \"LineString\", \"coordinates\": " + JsonLine(plan.lines[k]) + "}"));
        if (k < plan.legs.size())
            add(JsonFeature(
                "leg", k,
                "{\"type\": \"LineString\", \"coordinates\": " + JsonLine(plan.legs[k]) + "}"));
    }
    for (std::size_t k = 0; k < plan.pictures.size(); ++k)
        add(JsonFeature("picture", k,
                        "{\"type\": \"Point\", \"coordinates\": " + JsonPos(plan.pictures[k]) +
                            "}"));
    const bool heights = plan.waypointGround.size() == plan.waypoints.size() &&
                         plan.waypointAltitude.size() == plan.waypoints.size();
    for (std::size_t k = 0; k < plan.waypoints.size(); ++k)
        add(JsonFeature("waypoint", k,
                        "{\"type\": \"Point\", \"coordinates\": " + JsonPos(plan.waypoints[k]) +
                            "}",
                        heights ? Format(", \"ground_m\": %.2f, \"altitude_m\": %.2f",
                                         {plan.waypointGround[k], plan.waypointAltitude[k]})
                                : std::string()));
    if (!first)
        out += "\n";
    out += "]}\n";
    out.Flush();
}

void WritePlanKml(ByteSink& sink, const PlanGeo& plan) {
    Pieces out(sink);
    // KML colours are aabbggrr. The area as on the map copy (yellow border, light fill), flight
    // lines in a strong blue, legs thinner in orange, pictures and waypoints as small markers of
    // different colours.
    out +=
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<kml xmlns=\"http://www.opengis.net/kml/2.2\">\n"
        "<Document>\n"
        "  <name>Korvale Flugplan</name>\n"
        "  <Style id=\"area\"><LineStyle><color>ff00ffff</color><width>2</width></LineStyle>"
        "<PolyStyle><color>4000ffff</color></PolyStyle></Style>\n"
        "  <Style id=\"line\"><LineStyle><color>ffff6000</color><width>3</width></LineStyle>"
        "</Style>\n"
        "  <Style id=\"leg\"><LineStyle><color>ff0080ff</color><width>1.5</width></LineStyle>"
        "</Style>\n"
        "  <Style id=\"picture\"><IconStyle><color>ffff00ff</color><scale>0.4</scale><Icon><href>"
        "http://maps.google.com/mapfiles/kml/shapes/placemark_circle.png</href></Icon>"
        "</IconStyle><LabelStyle><scale>0</scale></LabelStyle></Style>\n"
        "  <Style id=\"waypoint\"><IconStyle><color>ff00ff00</color><scale>0.8</scale><Icon>"
        "<href>http://maps.google.com/mapfiles/kml/shapes/triangle.png</href></Icon>"
        "</IconStyle></Style>\n";
    if (plan.area.size() >= 3) {
        out += "  <Folder><name>Gebiet</name>\n";
        out += KmlPlacemark("Gebiet", "area",
                            "<Polygon><outerBoundaryIs><LinearRing><coordinates>" +
                                KmlCoords(OuterRing(plan.area)) +
                                "</coordinates></LinearRing></outerBoundaryIs></Polygon>");
        out += "  </Folder>\n";
    }
    if (!plan.lines.empty() || !plan.legs.empty()) {
        out += "  <Folder><name>Flugweg</name>\n";
        for (std::size_t k = 0; k < plan.lines.size() || k < plan.legs.size(); ++k) {
            if (k < plan.lines.size())
                out += KmlPlacemark(Format("Linie %d", {k + 1}), "line", KmlLine(plan.lines[k]));
            if (k < plan.legs.size())
                out += KmlPlacemark(Format("Verbindung %d", {k + 1}), "leg", KmlLine(plan.legs[k]));
        }
        out += "  </Folder>\n";
    }
    if (!plan.pictures.empty()) {
        out += "  <Folder><name>Bilder</name>\n";
        for (std::size_t k = 0; k < plan.pictures.size(); ++k)
            out += KmlPlacemark(Format("Bild %d", {k + 1}), "picture", KmlPoint(plan.pictures[k]));
        out += "  </Folder>\n";
    }
    if (!plan.waypoints.empty()) {
        out += "  <Folder><name>Wegpunkte</name>\n";
        for (std::size_t k = 0; k < plan.waypoints.size(); ++k)
            out += KmlPlacemark(Format("Wegpunkt %d", {k + 1}), "waypoint",
                                KmlPoint(plan.waypoints[k]));
        out += "  </Folder>\n";
    }
    out += "</Document>\n</kml>\n";
    out.Flush();
}

std::string FootprintsToGeoJson(const std::vector<FootprintGeo>& footprints) {
    std::string out = "{\"type\": \"FeatureCollection\", \"features\": [\n";
    out.reserve(out.size() + 330 * footprints.size() + 16);
    for (std::size_t k = 0; k < footprints.size(); ++k) {
        if (k)
            out += ",\n";
        out += JsonFeature("footprint", k,
                           "{\"type\": \"Polygon\", \"coordinates\": [" +
                               JsonLine(OuterRing(footprints[k].corners)) + "]}",
                           Format(", \"line\": %d", {footprints[k].line}));
    }
    if (!footprints.empty())
        out += "\n";
    out += "]}\n";
    return out;
}

void WritePlanGeoJson(const std::string& path, const PlanGeo& plan) {
    StreamFileAtomic(path, [&plan](ByteSink& sink) { WritePlanGeoJson(sink, plan); });
}

void WritePlanKml(const std::string& path, const PlanGeo& plan) {
    StreamFileAtomic(path, [&plan](ByteSink& sink) { WritePlanKml(sink, plan); });
}

void WriteFootprintsGeoJson(const std::string& path, const std::vector<FootprintGeo>& footprints) {
    WriteFileAtomic(path, FootprintsToGeoJson(footprints));
}

} // namespace korvale

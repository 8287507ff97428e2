// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "dji/wpml_write.h"

#include <zip.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <pugixml.hpp>
#include <sstream>

#include "dji/drone_model.h"
#include "dji/wpml_check.h"
#include "model/error.h"
#include "model/fileio.h"
#include "model/format.h"

namespace korvale {
namespace {

std::string Num(double v) {
    return FormatGeneral(v);
}

pugi::xml_node Add(pugi::xml_node parent, const char* name, const std::string& text) {
    pugi::xml_node n = parent.append_child(name);
    n.text().set(text.c_str());
    return n;
}

void MissionConfig(pugi::xml_node doc, const Route& r, const DroneProfile& d,
                   const WpmlOptions& o) {
    pugi::xml_node mc = doc.append_child("wpml:missionConfig");
    // "safely": climb to the take-off security height first, then fly to the first waypoint.
    Add(mc, "wpml:flyToWaylineMode", "safely");
    Add(mc, "wpml:finishAction", "goHome");
    // A lost remote link must not end a survey half-way over someone's roof: the drone returns.
    Add(mc, "wpml:exitOnRCLost", "executeLostAction");
    Add(mc, "wpml:executeRCLostAction", "goBack");
    Add(mc, "wpml:takeOffSecurityHeight", Num(o.takeOffSecurityHeightM));
    double transit = o.transitionalSpeedMps;
    if (!r.waypoints.empty())
        transit = std::min(transit, d.speedCapMps);
    Add(mc, "wpml:globalTransitionalSpeed", Num(transit));
    pugi::xml_node di = mc.append_child("wpml:droneInfo");
    Add(di, "wpml:droneEnumValue", Format("%d", {d.droneEnumValue}));
    Add(di, "wpml:droneSubEnumValue", Format("%d", {std::max(d.droneSubEnumValue, 0)}));
    if (d.payloadEnumValue >= 0) {
        pugi::xml_node pi = mc.append_child("wpml:payloadInfo");
        Add(pi, "wpml:payloadEnumValue", Format("%d", {d.payloadEnumValue}));
        Add(pi, "wpml:payloadSubEnumValue", "0");
        Add(pi, "wpml:payloadPositionIndex", "0");
    }
}

struct Ids {
    int group = 0;
    int action = 0;
};

void Action(pugi::xml_node group, Ids& ids, const char* func, double pitch) {
    pugi::xml_node a = group.append_child("wpml:action");
    Add(a, "wpml:actionId", Format("%d", {ids.action++}));
    Add(a, "wpml:actionActuatorFunc", func);
    pugi::xml_node p = a.append_child("wpml:actionActuatorFuncParam");
    if (std::string_view(func) == "gimbalRotate") {
        Add(p, "wpml:gimbalHeadingYawBase", "aircraft");
        Add(p, "wpml:gimbalRotateMode", "absoluteAngle");
        Add(p, "wpml:gimbalPitchRotateEnable", "1");
        Add(p, "wpml:gimbalPitchRotateAngle", Num(pitch));
        Add(p, "wpml:gimbalRollRotateEnable", "0");
        Add(p, "wpml:gimbalRollRotateAngle", "0");
        Add(p, "wpml:gimbalYawRotateEnable", "0");
        Add(p, "wpml:gimbalYawRotateAngle", "0");
        Add(p, "wpml:gimbalRotateTimeEnable", "0");
        Add(p, "wpml:gimbalRotateTime", "0");
    } else {
        Add(p, "wpml:fileSuffix", "");
    }
    Add(p, "wpml:payloadPositionIndex", "0");
}

// The actions of waypoint i: the gimbal where its pitch changes (and at the start), the
// picture at arrival, or the distance trigger to the line's end.
void Actions(pugi::xml_node pm, const Route& r, std::size_t i, Ids& ids) {
    const RouteWaypoint& w = r.waypoints[i];
    const bool gimbal = i == 0 || r.waypoints[i - 1].gimbalPitchDeg != w.gimbalPitchDeg;
    if (gimbal || (w.photo && w.photoDistanceM <= 0)) {
        pugi::xml_node g = pm.append_child("wpml:actionGroup");
        Add(g, "wpml:actionGroupId", Format("%d", {ids.group++}));
        Add(g, "wpml:actionGroupStartIndex", Format("%d", {i}));
        Add(g, "wpml:actionGroupEndIndex", Format("%d", {i}));
        Add(g, "wpml:actionGroupMode", "sequence");
        Add(g.append_child("wpml:actionTrigger"), "wpml:actionTriggerType", "reachPoint");
        if (gimbal)
            Action(g, ids, "gimbalRotate", w.gimbalPitchDeg);
        if (w.photo && w.photoDistanceM <= 0)
            Action(g, ids, "takePhoto", 0);
    }
    if (w.photo && w.photoDistanceM > 0) {
        std::size_t end = i + 1;
        while (end + 1 < r.waypoints.size() && !r.waypoints[end].lineEnd &&
               r.waypoints[end + 1].line == w.line)
            ++end;
        end = std::min(end, r.waypoints.size() - 1);
        pugi::xml_node g = pm.append_child("wpml:actionGroup");
        Add(g, "wpml:actionGroupId", Format("%d", {ids.group++}));
        Add(g, "wpml:actionGroupStartIndex", Format("%d", {i}));
        Add(g, "wpml:actionGroupEndIndex", Format("%d", {end}));
        Add(g, "wpml:actionGroupMode", "sequence");
        pugi::xml_node t = g.append_child("wpml:actionTrigger");
        Add(t, "wpml:actionTriggerType", "multipleDistance");
        Add(t, "wpml:actionTriggerParam", Num(w.photoDistanceM));
        Action(g, ids, "takePhoto", 0);
    }
}

void HeadingParam(pugi::xml_node pm, const RouteWaypoint& w) {
    pugi::xml_node h = pm.append_child("wpml:waypointHeadingParam");
    Add(h, "wpml:waypointHeadingMode", w.towardPoi ? "towardPOI" : "smoothTransition");
    Add(h, "wpml:waypointHeadingAngle", Num(w.headingDeg));
    Add(h, "wpml:waypointPoiPoint",
        w.towardPoi ? Num(w.poiLat) + "," + Num(w.poiLon) + ",0"
                    : std::string("0.000000,0.000000,0.000000"));
    Add(h, "wpml:waypointHeadingAngleEnable", w.towardPoi ? "0" : "1");
    Add(h, "wpml:waypointHeadingPathMode", "followBadArc");
    Add(h, "wpml:waypointHeadingPoiIndex", "0");
}

void TurnParam(pugi::xml_node pm, const Route& r, std::size_t i) {
    const RouteWaypoint& w = r.waypoints[i];
    // Pictures inside a line are taken in passing; the drone stops where the way bends.
    const bool inner = w.photo && w.photoDistanceM <= 0 && !w.lineEnd && i > 0 &&
                       i + 1 < r.waypoints.size() && r.waypoints[i - 1].line == w.line &&
                       r.waypoints[i + 1].line == w.line && w.line >= 0;
    pugi::xml_node t = pm.append_child("wpml:waypointTurnParam");
    Add(t, "wpml:waypointTurnMode",
        inner ? "toPointAndPassWithContinuityCurvature"
              : "toPointAndStopWithDiscontinuityCurvature");
    Add(t, "wpml:waypointTurnDampingDist", "0");
}

void Placemark(pugi::xml_node folder, const Route& r, std::size_t i, bool waylines, Ids& ids) {
    const RouteWaypoint& w = r.waypoints[i];
    pugi::xml_node pm = folder.append_child("Placemark");
    Add(pm.append_child("Point"), "coordinates", Num(w.lon) + "," + Num(w.lat));
    Add(pm, "wpml:index", Format("%d", {i}));
    if (waylines) {
        Add(pm, "wpml:executeHeight", Num(w.heightM));
        Add(pm, "wpml:waypointSpeed", Num(w.speedMps));
    } else {
        Add(pm, "wpml:ellipsoidHeight", Num(w.heightM));
        Add(pm, "wpml:height", Num(w.heightM));
        Add(pm, "wpml:useGlobalHeight", "0");
        Add(pm, "wpml:useGlobalSpeed", "0");
        Add(pm, "wpml:waypointSpeed", Num(w.speedMps));
        Add(pm, "wpml:useGlobalHeadingParam", "0");
        Add(pm, "wpml:useGlobalTurnParam", "0");
        Add(pm, "wpml:gimbalPitchAngle", Num(w.gimbalPitchDeg));
    }
    HeadingParam(pm, w);
    TurnParam(pm, r, i);
    Add(pm, "wpml:useStraightLine", "1");
    Actions(pm, r, i, ids);
}

pugi::xml_node Root(pugi::xml_document& doc, const DroneProfile& d) {
    pugi::xml_node decl = doc.append_child(pugi::node_declaration);
    decl.append_attribute("version") = "1.0";
    decl.append_attribute("encoding") = "UTF-8";
    pugi::xml_node kml = doc.append_child("kml");
    kml.append_attribute("xmlns") = "http://www.opengis.net/kml/2.2";
    kml.append_attribute("xmlns:wpml") = d.wpmlNamespace.c_str();
    return kml.append_child("Document");
}

std::string Text(const pugi::xml_document& doc) {
    std::ostringstream out;
    doc.save(out, "  ", pugi::format_default, pugi::encoding_utf8);
    return out.str();
}

double RouteLength(const Route& r) {
    double m = 0;
    for (std::size_t i = 0; i + 1 < r.waypoints.size(); ++i)
        m += RouteStep(r.waypoints[i], r.waypoints[i + 1]);
    return m;
}

void CheckValues(const Route& r, const DroneProfile& d) {
    if (d.app == FlightApp::Litchi || d.wpmlNamespace.empty())
        throw Error(ErrorKind::Refused, d.name + " fliegt Missionen aus Litchi, nicht aus "
                                                 "WPML-Dateien.\n\"Schreib CSV\" benutzen.");
    if (r.waypoints.size() < 2)
        throw Error(ErrorKind::Refused, "Eine Mission braucht mindestens 2 Wegpunkte.\nZuerst "
                                        "\"Calc Raster\" oder eine Mission erzeugen.");
    for (std::size_t i = 0; i < r.waypoints.size(); ++i) {
        const RouteWaypoint& w = r.waypoints[i];
        for (double v : {w.lat, w.lon, w.heightM, w.speedMps, w.headingDeg, w.gimbalPitchDeg,
                         w.poiLat, w.poiLon, w.photoDistanceM})
            if (!std::isfinite(v))
                throw Error(ErrorKind::Refused,
                            Format("Wegpunkt %d hat einen ungültigen Wert.", {i + 1}));
    }
}

} // namespace

WpmlFiles EncodeWpml(const Route& r, const DroneProfile& d, const WpmlOptions& o) {
    CheckValues(r, d);
    WpmlFiles f;
    const std::string speed = Num(r.waypoints.front().speedMps);
    {
        pugi::xml_document doc;
        pugi::xml_node document = Root(doc, d);
        Add(document, "wpml:author", "Korvale");
        if (o.timeMs > 0) {
            Add(document, "wpml:createTime", Format("%d", {static_cast<long long>(o.timeMs)}));
            Add(document, "wpml:updateTime", Format("%d", {static_cast<long long>(o.timeMs)}));
        }
        MissionConfig(document, r, d, o);
        pugi::xml_node folder = document.append_child("Folder");
        Add(folder, "wpml:templateType", "waypoint");
        Add(folder, "wpml:templateId", "0");
        pugi::xml_node cs = folder.append_child("wpml:waylineCoordinateSysParam");
        Add(cs, "wpml:coordinateMode", "WGS84");
        Add(cs, "wpml:heightMode", "relativeToStartPoint");
        Add(folder, "wpml:autoFlightSpeed", speed);
        Add(folder, "wpml:globalHeight", Num(r.waypoints.front().heightM));
        Add(folder, "wpml:caliFlightEnable", "0");
        Add(folder, "wpml:gimbalPitchMode", "usePointSetting");
        pugi::xml_node gh = folder.append_child("wpml:globalWaypointHeadingParam");
        Add(gh, "wpml:waypointHeadingMode", "followWayline");
        Add(gh, "wpml:waypointHeadingAngle", "0");
        Add(gh, "wpml:waypointHeadingPathMode", "followBadArc");
        Add(folder, "wpml:globalWaypointTurnMode", "toPointAndStopWithDiscontinuityCurvature");
        Add(folder, "wpml:globalUseStraightLine", "1");
        Ids ids;
        for (std::size_t i = 0; i < r.waypoints.size(); ++i)
            Placemark(folder, r, i, false, ids);
        f.templateKml = Text(doc);
    }
    {
        pugi::xml_document doc;
        pugi::xml_node document = Root(doc, d);
        MissionConfig(document, r, d, o);
        pugi::xml_node folder = document.append_child("Folder");
        Add(folder, "wpml:templateId", "0");
        Add(folder, "wpml:executeHeightMode", "relativeToStartPoint");
        Add(folder, "wpml:waylineId", "0");
        const double length = RouteLength(r);
        Add(folder, "wpml:distance", FormatFixed(length, 1));
        Add(folder, "wpml:duration", FormatFixed(length / r.waypoints.front().speedMps, 1));
        Add(folder, "wpml:autoFlightSpeed", speed);
        Ids ids;
        for (std::size_t i = 0; i < r.waypoints.size(); ++i)
            Placemark(folder, r, i, true, ids);
        f.waylinesWpml = Text(doc);
    }
    return f;
}

std::string EncodeWpmlKmz(const WpmlFiles& f) {
    zip_error_t err;
    zip_error_init(&err);
    zip_source_t* src = zip_source_buffer_create(nullptr, 0, 0, &err);
    if (src == nullptr) {
        zip_error_fini(&err);
        throw Error(ErrorKind::Internal, "Die KMZ-Datei kann nicht angelegt werden.");
    }
    zip_t* z = zip_open_from_source(src, ZIP_TRUNCATE, &err);
    zip_error_fini(&err);
    if (z == nullptr) {
        zip_source_free(src);
        throw Error(ErrorKind::Internal, "Die KMZ-Datei kann nicht angelegt werden.");
    }
    // The buffer source must outlive zip_close, which writes the archive into it.
    zip_source_keep(src);
    auto fail = [&]() {
        zip_discard(z);
        zip_source_free(src);
        throw Error(ErrorKind::Internal, "Die KMZ-Datei kann nicht geschrieben werden.");
    };
    for (const auto& [name, text] :
         {std::pair<const char*, const std::string*>{"wpmz/template.kml", &f.templateKml},
          std::pair<const char*, const std::string*>{"wpmz/waylines.wpml", &f.waylinesWpml}}) {
        zip_source_t* s = zip_source_buffer(z, text->data(), text->size(), 0);
        if (s == nullptr)
            fail();
        const zip_int64_t idx = zip_file_add(z, name, s, ZIP_FL_ENC_UTF_8);
        if (idx < 0) {
            zip_source_free(s);
            fail();
        }
        // 1980-01-01 00:00: equal routes give equal bytes.
        if (zip_file_set_dostime(z, static_cast<zip_uint64_t>(idx), 0, 0x21, 0) != 0 ||
            zip_set_file_compression(z, static_cast<zip_uint64_t>(idx), ZIP_CM_DEFLATE, 9) != 0)
            fail();
    }
    if (zip_close(z) != 0) {
        fail();
    }
    std::string out;
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_source_stat(src, &st) != 0 || zip_source_open(src) != 0) {
        zip_source_free(src);
        throw Error(ErrorKind::Internal, "Die KMZ-Datei kann nicht gelesen werden.");
    }
    out.resize(st.size);
    const zip_int64_t n = zip_source_read(src, out.data(), st.size);
    zip_source_close(src);
    zip_source_free(src);
    if (n < 0 || static_cast<zip_uint64_t>(n) != st.size)
        throw Error(ErrorKind::Internal, "Die KMZ-Datei kann nicht gelesen werden.");
    return out;
}

SplitOptions RouteSplitOptions(const Route& r, const DroneProfile& d, double batteryMin,
                               const WpmlOptions& o) {
    SplitOptions so;
    so.batteryMin = batteryMin;
    so.maxWaypoints = d.maxWaypoints;
    so.speedMps = r.waypoints.empty() ? 0 : r.waypoints.front().speedMps;
    so.reservePct = o.reservePct;
    so.model = FlightValuesOf(d).model;
    for (const RouteWaypoint& w : r.waypoints)
        so.heightM = std::max(so.heightM, w.heightM);
    so.takeoff = o.takeoff;
    return so;
}

namespace {

ModelWay RouteModelWay(const Route& r, const SplitOptions& so) {
    std::vector<double> lat, lon;
    std::vector<bool> photo;
    for (const RouteWaypoint& w : r.waypoints) {
        lat.push_back(w.lat);
        lon.push_back(w.lon);
        photo.push_back(w.photo);
    }
    return ModelWayOfDegrees(lat, lon, photo, so);
}

} // namespace

FlightTime RouteFlightTime(const Route& r, const DroneProfile& d, const WpmlOptions& o) {
    const SplitOptions so = RouteSplitOptions(r, d, 0, o);
    if (r.waypoints.empty() || !(so.speedMps > 0))
        return {};
    return ModelFlightTime(RouteModelWay(r, so), so.model);
}

std::vector<Route> SplitRoute(const Route& r, const DroneProfile& d, double batteryMin) {
    return SplitRoute(r, d, batteryMin, WpmlOptions{});
}

std::vector<Route> SplitRoute(const Route& r, const DroneProfile& d, double batteryMin,
                              const WpmlOptions& o) {
    const std::vector<RouteWaypoint>& w = r.waypoints;
    std::vector<Route> parts;
    if (r.grid) {
        std::vector<int> lineOf;
        std::vector<bool> lineEnd;
        for (const RouteWaypoint& p : w) {
            lineOf.push_back(p.line);
            lineEnd.push_back(p.lineEnd);
        }
        const SplitOptions so = RouteSplitOptions(r, d, batteryMin, o);
        std::vector<WayRange> ranges;
        if (so.speedMps > 0) {
            ranges = SplitWayTimed(lineOf, lineEnd, TimedWay(RouteModelWay(r, so), so.model), so);
        } else {
            std::vector<double> steps;
            for (std::size_t i = 0; i + 1 < w.size(); ++i)
                steps.push_back(RouteStep(w[i], w[i + 1]));
            ranges = SplitWayMarked(lineOf, lineEnd, steps, so);
        }
        for (const WayRange& range : ranges) {
            Route part;
            part.grid = true;
            part.waypoints.assign(w.begin() + static_cast<std::ptrdiff_t>(range.first),
                                  w.begin() +
                                      static_cast<std::ptrdiff_t>(range.first + range.count));
            parts.push_back(std::move(part));
        }
        return parts;
    }
    // Other routes by count; consecutive parts share a waypoint so that no leg is left out.
    const auto maxCount = static_cast<std::size_t>(d.maxWaypoints);
    std::size_t first = 0;
    while (true) {
        const std::size_t end = std::min(first + maxCount, w.size());
        Route part;
        part.waypoints.assign(w.begin() + static_cast<std::ptrdiff_t>(first),
                              w.begin() + static_cast<std::ptrdiff_t>(end));
        parts.push_back(std::move(part));
        if (end >= w.size())
            break;
        first = end - 1;
    }
    return parts;
}

WpmlMissionFiles MakeWpmlMission(const std::string& path, const Route& r, const DroneProfile& d,
                                 double batteryMin, const WpmlOptions& o) {
    CheckValues(r, d);
    const std::vector<Route> parts = SplitRoute(r, d, batteryMin, o);
    WpmlMissionFiles out;
    std::string hard;
    for (std::size_t k = 0; k < parts.size(); ++k) {
        const std::string bytes = EncodeWpmlKmz(EncodeWpml(parts[k], d, o));
        const WpmlCheck check = CheckWpmlKmz(bytes, &d);
        const std::string prefix = parts.size() > 1 ? Format("Teil %d: ", {k + 1}) : std::string();
        for (const WpmlFinding& f : check.hard)
            hard += (hard.empty() ? "" : "\n") + prefix + f.text;
        for (const WpmlFinding& f : check.soft)
            out.warnings.push_back(prefix + f.text);
        out.names.push_back(parts.size() == 1 ? path : MissionPartName(path, k + 1));
        out.bytes.push_back(bytes);
    }
    if (!hard.empty())
        throw Error(ErrorKind::Limit,
                    "Die Mission ist so nicht flugfähig; nichts geschrieben.\n" + hard);
    return out;
}

WpmlMissionFiles WriteWpmlMission(const std::string& path, const Route& r, const DroneProfile& d,
                                  double batteryMin, const WpmlOptions& o) {
    WpmlMissionFiles made = MakeWpmlMission(path, r, d, batteryMin, o);
    std::vector<FileToWrite> files;
    for (std::size_t i = 0; i < made.names.size(); ++i)
        files.push_back({made.names[i], made.bytes[i]});
    WriteFilesAtomic(files);
    return made;
}

} // namespace korvale

// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "dji/wpml_read.h"

#include <zip.h>

#include <cstdlib>
#include <pugixml.hpp>
#include <set>

#include "exchange/kmz_entry.h"
#include "model/convert.h"
#include "model/error.h"

namespace korvale {
namespace {

// Missions of tens of thousands of waypoints stay far below this; more is a zip bomb.
constexpr zip_uint64_t kMaxEntryBytes = zip_uint64_t{64} * 1024 * 1024;
constexpr zip_int64_t kMaxEntries = 10000;

// `name` is the entry's own (one of the two the format names), for the message.
std::string ReadEntry(zip_t* z, zip_uint64_t i, const std::string& name) {
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(z, i, 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE))
        throw Error(ErrorKind::Damaged, "Die KMZ-Datei ist beschädigt.");
    if (st.size > kMaxEntryBytes)
        throw Error(ErrorKind::Limit, "Eine Datei in der KMZ-Datei ist zu groß für eine "
                                      "Mission (mehr als 64 MB).");
    zip_file_t* f = zip_fopen_index(z, i, 0);
    if (!f)
        throw Error(ErrorKind::Damaged, "Eine Datei in der KMZ-Datei lässt sich nicht entpacken "
                                        "(beschädigt oder verschlüsselt).");
    return ReadCheckedZipEntry(f, st, "Die Datei '" + name + "' in der KMZ-Datei ist beschädigt: ");
}

// Strict numbers: a value the app would misread must not pass as something else.
std::optional<double> FloatText(std::string_view raw, const char* name, WpmlReadDoc& d) {
    const auto b = raw.find_first_not_of(" \t\r\n");
    const auto e = raw.find_last_not_of(" \t\r\n");
    const std::string_view t =
        b == std::string_view::npos ? std::string_view() : raw.substr(b, e - b + 1);
    try {
        return StrToFloat(t);
    } catch (const Error&) {
        if (d.badNumbers.size() < 20)
            d.badNumbers.push_back(std::string(name) + " '" + std::string(t.substr(0, 20)) + "'");
        return std::nullopt;
    }
}

std::optional<double> Float(pugi::xml_node n, WpmlReadDoc& d) {
    if (!n)
        return std::nullopt;
    return FloatText(n.text().get(), n.name(), d);
}

std::optional<long long> Int(pugi::xml_node n, WpmlReadDoc& d) {
    const std::optional<double> v = Float(n, d);
    if (!v || *v != static_cast<double>(static_cast<long long>(*v)) || *v < -1e15 || *v > 1e15) {
        if (v && d.badNumbers.size() < 20)
            d.badNumbers.push_back(std::string(n.name()) + " keine ganze Zahl");
        return std::nullopt;
    }
    return static_cast<long long>(*v);
}

// The elements of the wpml namespace this reader knows: DJI's documented names of the
// mission, folder, waypoint and action levels (actuator parameters are not looked into).
bool Known(std::string_view local) {
    static const std::set<std::string_view> kKnown = {
        "author", "createTime", "updateTime", "missionConfig", "flyToWaylineMode", "finishAction",
        "exitOnRCLost", "executeRCLostAction", "takeOffSecurityHeight", "takeOffRefPoint",
        "takeOffRefPointAGLHeight", "globalTransitionalSpeed", "globalRTHHeight", "droneInfo",
        "droneEnumValue", "droneSubEnumValue", "waylineAvoidLimitAreaMode", "payloadInfo",
        "payloadEnumValue", "payloadSubEnumValue", "payloadPositionIndex", "payloadParam",
        "templateType", "templateId", "waylineId", "waylineCoordinateSysParam", "coordinateMode",
        "heightMode", "positioningType", "globalShootHeight", "surfaceFollowModeEnable",
        "surfaceRelativeHeight", "autoFlightSpeed", "globalHeight", "caliFlightEnable",
        "gimbalPitchMode", "globalWaypointHeadingParam", "globalWaypointTurnMode",
        "globalUseStraightLine", "executeHeightMode", "distance", "duration", "index",
        "executeHeight", "ellipsoidHeight", "height", "useGlobalHeight", "useGlobalSpeed",
        "useGlobalHeadingParam", "useGlobalTurnParam", "waypointSpeed", "waypointHeadingParam",
        "waypointHeadingMode", "waypointHeadingAngle", "waypointHeadingAngleEnable",
        "waypointPoiPoint", "waypointHeadingPathMode", "waypointHeadingPoiIndex",
        "waypointTurnParam", "waypointTurnMode", "waypointTurnDampingDist", "useStraightLine",
        "gimbalPitchAngle", "actionGroup", "actionGroupId", "actionGroupStartIndex",
        "actionGroupEndIndex", "actionGroupMode", "actionTrigger", "actionTriggerType",
        "actionTriggerParam", "action", "actionId", "actionActuatorFunc", "actionActuatorFuncParam",
        "waypointGimbalHeadingParam", "waypointGimbalPitchAngle", "waypointGimbalYawAngle",
        "isRisky", "waypointWorkType", "startActionGroup", "quickOrthoMappingEnable",
        "quickOrthoMappingPitch", "realTimeFollowSurfaceByFov",
        // survey templates (mapping2d, mapping3d, mappingStrip)
        "direction", "margin", "overlap", "orthoLidarOverlapH", "orthoLidarOverlapW",
        "orthoCameraOverlapH", "orthoCameraOverlapW", "inclinedLidarOverlapH",
        "inclinedLidarOverlapW", "inclinedCameraOverlapH", "inclinedCameraOverlapW",
        "inclinedFlightSpeed", "inclinedGimbalPitch", "shootType", "efficiencyFlightModeEnable",
        "elevationOptimizeEnable", "smartObliqueEnable", "smartObliqueGimbalPitch",
        "facadeWaylineEnable", "isLookAtSceneSet", "mappingHeadingParam", "mappingHeadingMode",
        "mappingHeadingAngle", "gimbalPitchAngle", "singleLineEnable", "cuttingDistance",
        "boundaryOptimEnable", "leftExtend", "rightExtend", "includeCenterEnable",
        "stripUseTemplateAltitude"};
    return kKnown.count(local) > 0;
}

// Every wpml element below `n`, except inside actuator parameters (each action has its own).
void CollectUnknown(pugi::xml_node n, WpmlReadDoc& d) {
    for (pugi::xml_node c : n.children()) {
        if (c.type() != pugi::node_element)
            continue;
        const std::string_view name = c.name();
        if (name.substr(0, 5) == "wpml:") {
            const std::string_view local = name.substr(5);
            if (!Known(local) && d.unknown.size() < 20) {
                bool seen = false;
                for (const std::string& u : d.unknown)
                    seen = seen || u == local;
                if (!seen)
                    d.unknown.emplace_back(local);
            }
            if (local == "actionActuatorFuncParam" || local == "payloadParam")
                continue;
        }
        CollectUnknown(c, d);
    }
}

WpmlReadPoint PointOf(pugi::xml_node pm, bool waylines, WpmlReadDoc& d) {
    WpmlReadPoint p;
    p.index = Int(pm.child("wpml:index"), d);
    const pugi::xml_node coords = pm.child("Point").child("coordinates");
    if (coords) {
        const std::string t = coords.text().get();
        const auto comma = t.find(',');
        if (comma != std::string::npos) {
            const auto second = t.find(',', comma + 1);
            const std::string_view all = t;
            p.lon = FloatText(all.substr(0, comma), "coordinates", d);
            p.lat =
                FloatText(all.substr(comma + 1, second == std::string::npos ? std::string_view::npos
                                                                            : second - comma - 1),
                          "coordinates", d);
        }
    }
    p.height = Float(pm.child(waylines ? "wpml:executeHeight" : "wpml:height"), d);
    const pugi::xml_node ug = pm.child("wpml:useGlobalHeight");
    p.useGlobalHeight = ug && std::string_view(ug.text().get()) == "1";
    p.speed = Float(pm.child("wpml:waypointSpeed"), d);
    p.hasHeading = static_cast<bool>(pm.child("wpml:waypointHeadingParam"));
    p.hasTurn = static_cast<bool>(pm.child("wpml:waypointTurnParam"));
    for (pugi::xml_node g : pm.children("wpml:actionGroup")) {
        WpmlReadGroup group;
        group.id = Int(g.child("wpml:actionGroupId"), d);
        group.start = Int(g.child("wpml:actionGroupStartIndex"), d);
        group.end = Int(g.child("wpml:actionGroupEndIndex"), d);
        group.trigger = g.child("wpml:actionTrigger").child("wpml:actionTriggerType").text().get();
        group.param = Float(g.child("wpml:actionTrigger").child("wpml:actionTriggerParam"), d);
        for (pugi::xml_node a : g.children("wpml:action"))
            group.actions.push_back({Int(a.child("wpml:actionId"), d),
                                     a.child("wpml:actionActuatorFunc").text().get()});
        p.groups.push_back(std::move(group));
    }
    return p;
}

} // namespace

WpmlReadKmz ReadWpmlKmz(std::string_view bytes) {
    const auto notZip = [] {
        return Error(ErrorKind::Damaged, "Die Datei ist keine KMZ-Datei (kein gültiges "
                                         "ZIP-Archiv).");
    };
    if (bytes.size() < 22)
        throw notZip();
    zip_error_t err;
    zip_error_init(&err);
    zip_source_t* src = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &err);
    if (!src) {
        zip_error_fini(&err);
        throw notZip();
    }
    zip_t* z = zip_open_from_source(src, ZIP_RDONLY | ZIP_CHECKCONS, &err);
    zip_error_fini(&err);
    if (!z) {
        zip_source_free(src);
        throw notZip();
    }
    struct Closer {
        zip_t* z;
        ~Closer() { zip_discard(z); }
    } closer{z};
    const zip_int64_t count = zip_get_num_entries(z, 0);
    if (count < 0 || count > kMaxEntries)
        throw Error(ErrorKind::Limit, "Die KMZ-Datei hat zu viele Einträge für eine Mission.");
    WpmlReadKmz out;
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* name = zip_get_name(z, static_cast<zip_uint64_t>(i), 0);
        if (!name)
            throw notZip();
        out.entries.emplace_back(name);
        if (out.entries.back() == "wpmz/template.kml")
            out.templateKml = ReadEntry(z, static_cast<zip_uint64_t>(i), out.entries.back());
        else if (out.entries.back() == "wpmz/waylines.wpml")
            out.waylinesWpml = ReadEntry(z, static_cast<zip_uint64_t>(i), out.entries.back());
    }
    return out;
}

WpmlReadDoc ReadWpmlXml(std::string_view xml, bool waylines) {
    const char* what = waylines ? "waylines.wpml" : "template.kml";
    pugi::xml_document doc;
    const pugi::xml_parse_result ok = doc.load_buffer(xml.data(), xml.size());
    if (!ok)
        throw Error(ErrorKind::Damaged,
                    std::string(what) + " ist kein gültiges XML.\n" + ok.description());
    const pugi::xml_node kml = doc.child("kml");
    if (!kml)
        throw Error(ErrorKind::Damaged, std::string(what) + " hat kein kml-Element.");
    WpmlReadDoc d;
    d.ns = kml.attribute("xmlns:wpml").value();
    const pugi::xml_node document = kml.child("Document");
    d.hasDocument = static_cast<bool>(document);
    const pugi::xml_node mc = document.child("wpml:missionConfig");
    d.hasMissionConfig = static_cast<bool>(mc);
    for (const char* req : {"flyToWaylineMode", "finishAction", "exitOnRCLost",
                            "globalTransitionalSpeed", "droneInfo"})
        if (!mc.child((std::string("wpml:") + req).c_str()))
            d.missingConfig.emplace_back(req);
    d.droneEnum = Int(mc.child("wpml:droneInfo").child("wpml:droneEnumValue"), d);
    d.transitionalSpeed = Float(mc.child("wpml:globalTransitionalSpeed"), d);
    for (pugi::xml_node f : document.children("Folder")) {
        WpmlReadFolder folder;
        folder.templateType = f.child("wpml:templateType").text().get();
        folder.heightMode =
            waylines
                ? f.child("wpml:executeHeightMode").text().get()
                : f.child("wpml:waylineCoordinateSysParam").child("wpml:heightMode").text().get();
        folder.autoSpeed = Float(f.child("wpml:autoFlightSpeed"), d);
        folder.globalHeight = Float(f.child("wpml:globalHeight"), d);
        folder.hasTemplateId = static_cast<bool>(f.child("wpml:templateId"));
        folder.hasWaylineId = static_cast<bool>(f.child("wpml:waylineId"));
        for (pugi::xml_node pm : f.children("Placemark"))
            folder.points.push_back(PointOf(pm, waylines, d));
        d.folders.push_back(std::move(folder));
    }
    CollectUnknown(kml, d);
    return d;
}

} // namespace korvale

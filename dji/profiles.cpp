// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "dji/profiles.h"

#include <unistd.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "model/error.h"
#include "model/fileio.h"
#include "model/format.h"

namespace korvale {
namespace {

using Json = nlohmann::json;

[[noreturn]] void Bad(const std::string& drone, const std::string& what) {
    throw Error(ErrorKind::Damaged,
                "Die Drohnenprofile sind beschädigt.\nProfil '" + drone + "': " + what);
}

// A value of the file: {"value": ..., "source": "..."}; a value without its source is refused,
// so that nobody adds a number nobody can check.
const Json& Sourced(const Json& obj, const std::string& drone, const char* key) {
    const auto it = obj.find(key);
    if (it == obj.end() || !it->is_object())
        Bad(drone, std::string(key) + " fehlt.");
    const auto src = it->find("source");
    if (src == it->end() || !src->is_string() || src->get<std::string>().empty())
        Bad(drone, std::string(key) + " hat keine Quelle.");
    const auto val = it->find("value");
    if (val == it->end())
        Bad(drone, std::string(key) + " hat keinen Wert.");
    return *val;
}

double Number(const Json& obj, const std::string& drone, const char* key, double lo, double hi) {
    const Json& v = Sourced(obj, drone, key);
    if (!v.is_number())
        Bad(drone, std::string(key) + " ist keine Zahl.");
    const double d = v.get<double>();
    if (!(d >= lo && d <= hi))
        Bad(drone, Format("%s liegt nicht zwischen %s und %s.",
                          {key, FormatGeneral(lo), FormatGeneral(hi)}));
    return d;
}

int Whole(const Json& obj, const std::string& drone, const char* key, int lo, int hi) {
    const Json& v = Sourced(obj, drone, key);
    if (!v.is_number_integer())
        Bad(drone, std::string(key) + " ist keine ganze Zahl.");
    const long long i = v.get<long long>();
    if (i < lo || i > hi)
        Bad(drone, Format("%s liegt nicht zwischen %d und %d.", {key, lo, hi}));
    return static_cast<int>(i);
}

std::string Text(const Json& obj, const std::string& drone, const char* key) {
    const Json& v = Sourced(obj, drone, key);
    if (!v.is_string())
        Bad(drone, std::string(key) + " ist kein Text.");
    return v.get<std::string>();
}

FlightApp AppOf(const std::string& key, const std::string& drone) {
    if (key == "dji-fly")
        return FlightApp::DjiFly;
    if (key == "pilot2")
        return FlightApp::Pilot2;
    if (key == "litchi")
        return FlightApp::Litchi;
    Bad(drone, "unbekannte App '" + key + "'.");
}

} // namespace

std::vector<DroneProfile> ParseDroneProfiles(std::string_view json) {
    Json root;
    try {
        root = Json::parse(json.begin(), json.end());
    } catch (const Json::exception&) {
        throw Error(ErrorKind::Damaged, "Die Drohnenprofile sind beschädigt.\nKein gültiges JSON.");
    }
    if (!root.is_object() || !root.contains("drones") || !root["drones"].is_array() ||
        !root.contains("apps") || !root["apps"].is_array())
        Bad("", "drones oder apps fehlt.");
    std::vector<std::pair<std::string, std::string>> namespaces;
    for (const Json& a : root["apps"]) {
        if (!a.is_object() || !a.contains("key") || !a["key"].is_string())
            Bad("", "eine App ohne Schlüssel.");
        const std::string key = a["key"].get<std::string>();
        namespaces.emplace_back(key, Text(a, key, "wpmlNamespace"));
    }
    std::vector<DroneProfile> out;
    for (const Json& d : root["drones"]) {
        if (!d.is_object() || !d.contains("key") || !d["key"].is_string() ||
            d["key"].get<std::string>().empty() || !d.contains("name") || !d["name"].is_string())
            Bad("", "ein Profil ohne Schlüssel oder Namen.");
        DroneProfile p;
        p.key = d["key"].get<std::string>();
        p.name = d["name"].get<std::string>();
        for (const DroneProfile& q : out)
            if (q.key == p.key)
                Bad(p.key, "der Schlüssel kommt zweimal vor.");
        const std::string app = Text(d, p.key, "app");
        p.app = AppOf(app, p.key);
        for (const auto& [k, ns] : namespaces)
            if (k == app)
                p.wpmlNamespace = ns;
        p.droneEnumValue = Whole(d, p.key, "droneEnumValue", -1, 65535);
        p.droneSubEnumValue = Whole(d, p.key, "droneSubEnumValue", -1, 65535);
        p.payloadEnumValue = Whole(d, p.key, "payloadEnumValue", -1, 65535);
        p.speedCapMps = Number(d, p.key, "speedCapMps", 0.1, 100);
        p.maxWaypoints = Whole(d, p.key, "maxWaypoints", 2, 65535);
        const Json& fires = Sourced(d, p.key, "firesDistanceTriggers");
        if (!fires.is_boolean())
            Bad(p.key, "firesDistanceTriggers ist nicht true oder false.");
        p.firesDistanceTriggers = fires.get<bool>();
        if (!d.contains("camera") || !d["camera"].is_object())
            Bad(p.key, "camera fehlt.");
        const Json& c = d["camera"];
        p.camera.sensorWidthMm = Number(c, p.key, "sensorWidthMm", 0.1, 1000);
        p.camera.sensorHeightMm = Number(c, p.key, "sensorHeightMm", 0.1, 1000);
        p.camera.imageWidthPx = Whole(c, p.key, "imageWidthPx", 1, 1000000);
        p.camera.imageHeightPx = Whole(c, p.key, "imageHeightPx", 1, 1000000);
        p.camera.focalMm = Number(c, p.key, "focalMm", 0.1, 10000);
        p.camera.shutter = Text(c, p.key, "shutter");
        p.camera.minPhotoIntervalS = Number(c, p.key, "minPhotoIntervalS", 0, 3600);
        if (p.camera.shutter != "mechanical" && p.camera.shutter != "electronic")
            Bad(p.key, "shutter ist weder mechanical noch electronic.");
        // A rolling shutter without readout time would drop its speed limit unnoticed.
        p.camera.readoutMs = Number(c, p.key, "readoutMs", 0, 1000);
        if (p.camera.shutter == "electronic" && !(p.camera.readoutMs > 0))
            Bad(p.key, "readoutMs muss bei elektronischem Verschluss größer als 0 sein.");
        if (!d.contains("flight") || !d["flight"].is_object())
            Bad(p.key, "flight fehlt.");
        const Json& f = d["flight"];
        p.flight.climbMps = Number(f, p.key, "climbMps", 0.1, 50);
        p.flight.descentMps = Number(f, p.key, "descentMps", 0.1, 50);
        p.flight.transitMps = Number(f, p.key, "transitMps", 0.1, 100);
        p.flight.accelMps2 = Number(f, p.key, "accelMps2", 0.1, 100);
        p.flight.hoverStopS = Number(f, p.key, "hoverStopS", 0, 600);
        p.flight.photoStopS = Number(f, p.key, "photoStopS", 0, 600);
        if (p.app != FlightApp::Litchi && p.wpmlNamespace.empty())
            Bad(p.key, "die App hat keinen WPML-Namensraum.");
        out.push_back(std::move(p));
    }
    if (out.empty())
        Bad("", "keine Drohne.");
    return out;
}

std::vector<DroneProfile> LoadDroneProfiles(const std::string& path) {
    try {
        return ParseDroneProfiles(ReadFileBytes(path));
    } catch (const Error& e) {
        if (e.kind() != ErrorKind::Damaged)
            throw;
        throw Error(ErrorKind::Damaged, std::string(e.what()) + "\nDatei: " + path);
    }
}

std::string DefaultDroneProfilesPath() {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        const fs::path installed =
            exe.parent_path().parent_path() / KORVALE_DATA_INSTALL_REL / "drones.json";
        if (fs::is_regular_file(installed, ec))
            return installed.string();
    }
    return std::string(KORVALE_DATA_SOURCE_DIR) + "/drones.json";
}

const DroneProfile& FindDroneProfile(const std::vector<DroneProfile>& profiles,
                                     std::string_view key) {
    std::string known;
    for (const DroneProfile& p : profiles) {
        if (p.key == key)
            return p;
        known += (known.empty() ? "" : ", ") + p.key;
    }
    throw Error(ErrorKind::Refused,
                "Unbekannte Drohne '" + std::string(key) + "'.\nBekannt sind: " + known + ".");
}

std::string_view FlightAppName(FlightApp app) {
    switch (app) {
    case FlightApp::DjiFly:
        return "DJI Fly";
    case FlightApp::Pilot2:
        return "DJI Pilot 2";
    case FlightApp::Litchi:
        break;
    }
    return "Litchi";
}

std::string_view FlightAppImportHint(FlightApp app) {
    switch (app) {
    case FlightApp::DjiFly:
        return "DJI Fly importiert keine Dateien: auf der Fernsteuerung eine leere "
               "Wegpunkt-Mission anlegen und speichern, dann ihre KMZ-Datei unter "
               "Android/data/dji.go.v5/files/waypoint/<ID>/ durch diese Datei ersetzen (Name "
               "<ID>.kmz beibehalten).";
    case FlightApp::Pilot2:
        return "DJI Pilot 2: Flugroute > Route importieren (KMZ) und die Datei wählen.";
    case FlightApp::Litchi:
        break;
    }
    return "Litchi: die CSV-Datei im Mission Hub importieren.";
}

} // namespace korvale

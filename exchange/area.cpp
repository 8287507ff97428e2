// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "exchange/area.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "model/error.h"
#include "model/fileio.h"
#include "model/format.h"

namespace korvale {

namespace detail {

std::vector<GeoPos> CleanRing(const std::vector<GeoPos>& raw, const std::string& what) {
    for (const GeoPos& p : raw) {
        if (!std::isfinite(p.lat) || !std::isfinite(p.lon))
            throw Error(ErrorKind::Refused,
                        "Die Fläche " + what + " hat eine Koordinate, die keine Zahl ist.");
        if (std::fabs(p.lat) > 90.0 || std::fabs(p.lon) > 180.0)
            throw Error(ErrorKind::Refused,
                        "Die Fläche " + what + " hat Koordinaten außerhalb von WGS84 (Breite " +
                            Format("%.6f", {p.lat}) + ", Länge " + Format("%.6f", {p.lon}) +
                            "): die Datei scheint in projizierten Metern (z. B. UTM) zu "
                            "sein.\nBitte als WGS84 in Grad (EPSG:4326) exportieren.");
    }
    std::vector<GeoPos> ring;
    ring.reserve(raw.size());
    for (const GeoPos& p : raw)
        if (ring.empty() || ring.back().lat != p.lat || ring.back().lon != p.lon)
            ring.push_back(p);
    // The closing vertex repeats the first corner; the border ring closes itself.
    while (ring.size() > 1 && ring.back().lat == ring.front().lat &&
           ring.back().lon == ring.front().lon)
        ring.pop_back();
    std::vector<GeoPos> distinct = ring;
    std::sort(distinct.begin(), distinct.end(), [](const GeoPos& a, const GeoPos& b) {
        return a.lat < b.lat || (a.lat == b.lat && a.lon < b.lon);
    });
    const auto end =
        std::unique(distinct.begin(), distinct.end(), [](const GeoPos& a, const GeoPos& b) {
            return a.lat == b.lat && a.lon == b.lon;
        });
    if (end - distinct.begin() < 3)
        throw Error(ErrorKind::Refused,
                    "Die Fläche " + what + " hat weniger als 3 verschiedene Eckpunkte.");
    return ring;
}

void ThrowNoPolygon() {
    throw Error(ErrorKind::Refused, "Die Datei enthält keine Fläche (kein Polygon).");
}

} // namespace detail

AreaFormat AreaFormatOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const auto dot = name.find_last_of('.');
    if (dot == std::string::npos)
        return AreaFormat::Unknown;
    std::string ext = name.substr(dot + 1);
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext == "kml")
        return AreaFormat::Kml;
    if (ext == "kmz")
        return AreaFormat::Kmz;
    if (ext == "geojson" || ext == "json")
        return AreaFormat::GeoJson;
    return AreaFormat::Unknown;
}

std::vector<AreaPolygon> ReadAreaFile(const std::string& path) {
    return ReadAreaFile(path, kAreaFileLimitBytes);
}

std::vector<AreaPolygon> ReadAreaFile(const std::string& path, std::uint64_t maxBytes) {
    const AreaFormat f = AreaFormatOf(path);
    if (f == AreaFormat::Unknown)
        throw Error(ErrorKind::Refused,
                    "Unbekanntes Dateiformat: erwartet wird .kml, .kmz oder .geojson.\n" + path);
    const std::string bytes = ReadFileBytes(path, maxBytes);
    try {
        switch (f) {
        case AreaFormat::Kml:
            return ReadAreaKml(bytes);
        case AreaFormat::Kmz:
            return ReadAreaKmz(bytes);
        default:
            return ReadAreaGeoJson(bytes);
        }
    } catch (const Error& e) {
        throw Error(e.kind(), std::string(e.what()) + "\nDatei: " + path);
    }
}

std::string AreaLabel(const AreaPolygon& a, std::size_t index) {
    std::string label = a.name.empty() ? Format("Polygon %d", {index + 1}) : a.name;
    if (a.part > 0)
        label += Format(" (Teil %d)", {a.part});
    label += Format(", %d Ecken", {a.ring.size()});
    if (a.holes > 0)
        label += Format(", %d Loch/Löcher", {a.holes});
    return label;
}

} // namespace korvale

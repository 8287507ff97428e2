// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/options.h"

#include <cmath>
#include <optional>
#include <string_view>

#include "litchi/limits.h"
#include "model/convert.h"
#include "model/error.h"
#include "model/format.h"

namespace korvale {
namespace {

// One numeric option. The ranges are those of the window's boxes, so the command plans
// exactly what the window would plan from the same values.
struct NumOpt {
    std::string_view name;
    std::string_view unit;
    std::string_view what;
    double min;
    double max;
    bool integer;
    double PlanOptions::*field;
};

const NumOpt kNum[] = {
    {"focal", "mm", "Brennweite", 0.001, 1000, false, &PlanOptions::focalMm},
    {"pixel", "µm", "Pixelgröße", 0.001, 100, false, &PlanOptions::pixelUm},
    {"xpix", "Pixel", "Sensorpixel quer zur Flugrichtung", 1, 100000, true, &PlanOptions::pixelsX},
    {"ypix", "Pixel", "Sensorpixel in Flugrichtung", 1, 100000, true, &PlanOptions::pixelsY},
    {"height", "m", "Flughöhe über Grund", 1, 200, true, &PlanOptions::heightM},
    {"front", "%", "Längsüberdeckung", 0, 99, true, &PlanOptions::frontPct},
    {"side", "%", "Querüberdeckung", 0, 99, true, &PlanOptions::sidePct},
    // The window's box goes to 59, but the drone flies at most 15 m/s (litchi/limits).
    {"speed", "km/h", "Geschwindigkeit", 1, 54, true, &PlanOptions::speedKmh},
    {"battery-min", "min", "Flugzeit je Akku", 1, 120, true, &PlanOptions::batteryMin},
    {"max-waypoints", "Wegpunkte", "Wegpunkte je Datei", 2, 99, true, &PlanOptions::maxWaypoints},
    {"reserve", "%", "Akkureserve", 0, 50, false, &PlanOptions::reservePct},
    {"terrain-tolerance", "m", "Toleranz der Höhe über Grund", 1, 20, false,
     &PlanOptions::terrainToleranceM},
    {"coverage-cell", "m", "Zellgröße der Abdeckungskarte", 0.1, 100, false,
     &PlanOptions::coverageCellM},
    {"exclude-buffer", "m", "Sicherheitsabstand um Sperrflächen", 0, 1000, false,
     &PlanOptions::excludeBufferM},
};

struct FileOpt {
    std::string_view name;
    std::string_view what;
    std::string PlanOptions::*field;
};

const FileOpt kFiles[] = {
    {"geojson", "den Plan als GeoJSON (Gebiet, Fluglinien, Verbindungen, Bilder)",
     &PlanOptions::geojsonFile},
    {"kml", "den Plan als KML für Google Earth", &PlanOptions::kmlFile},
    {"dxf", "die DXF-Zeichnung des Plans (UTM)", &PlanOptions::dxfFile},
    {"litchi", "die Litchi-Mission (CSV)", &PlanOptions::litchiFile},
    {"wpml", "die DJI-Mission (WPML, KMZ)", &PlanOptions::wpmlFile},
    {"drone", "das Drohnenprofil", &PlanOptions::droneKey},
    {"check", "die zu prüfende Mission (KMZ oder CSV)", &PlanOptions::checkFile},
    {"dem", "das Höhenmodell (GeoTIFF, DTED, HGT, VRT, ...)", &PlanOptions::demFile},
    {"coverage", "die Abdeckungskarte (GeoTIFF)", &PlanOptions::coverageFile},
    {"footprints", "die Bildumrisse am Boden (GeoJSON)", &PlanOptions::footprintsFile},
};

[[noreturn]] void Refuse(const std::string& text) {
    throw Error(ErrorKind::Refused, text + "\nHilfe: korvale-plan --help");
}

double Number(std::string_view name, const std::string& text) {
    try {
        return StrToFloat(text);
    } catch (const Error&) {
        Refuse("--" + std::string(name) + ": '" + text + "' ist keine Zahl.");
    }
}

// Whether `name` (without "--") is an option of the tables above that takes a value.
bool TakesValue(std::string_view name) {
    for (const NumOpt& n : kNum)
        if (n.name == name)
            return true;
    for (const FileOpt& f : kFiles)
        if (f.name == name)
            return true;
    return name == "angle" || name == "takeoff" || name == "exposure" || name == "exclude";
}

// "LAT,LON" in decimal degrees.
void ParseTakeoff(PlanOptions& o, const std::string& text) {
    const auto comma = text.find(',');
    if (comma == std::string::npos)
        Refuse("--takeoff: '" + text + "' ist keine Position; erwartet wird BREITE,LÄNGE in Grad.");
    const double lat = Number("takeoff", text.substr(0, comma));
    const double lon = Number("takeoff", text.substr(comma + 1));
    if (!(lat >= -84 && lat <= 84 && lon >= -180 && lon <= 180))
        Refuse("--takeoff: " + text +
               " liegt außerhalb von -84 bis 84 ° Breite, -180 bis 180 ° Länge.");
    o.haveTakeoff = true;
    o.takeoffLat = lat;
    o.takeoffLon = lon;
}

} // namespace

PlanOptions ParsePlanOptions(const std::vector<std::string>& args) {
    PlanOptions o;
    bool haveArea = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i] == "-h" ? std::string("--help") : args[i];
        // A stray "-x" or "--" is a mistyped option, never the area: taken as the area file it
        // would make the real one look surplus.
        if (!a.empty() && a[0] == '-' && (a.size() < 3 || a.compare(0, 2, "--") != 0))
            Refuse("Unbekannte Option '" + a + "'.");
        if (a.empty() || a[0] != '-') {
            if (haveArea)
                Refuse("Nur eine Gebietsdatei ist möglich: '" + o.areaFile + "' und '" + a + "'.");
            if (a.empty())
                Refuse("Der Name der Gebietsdatei ist leer.");
            o.areaFile = a;
            haveArea = true;
            continue;
        }
        std::string name = a.substr(2);
        std::optional<std::string> value;
        if (const auto eq = name.find('='); eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
        }
        if (name == "help" || name == "version") {
            if (value)
                Refuse("--" + name + " nimmt keinen Wert.");
            (name == "help" ? o.help : o.version) = true;
            continue;
        }
        if (name == "crosshatch") {
            if (value)
                Refuse("--crosshatch nimmt keinen Wert.");
            o.crosshatch = true;
            o.given.push_back(name);
            continue;
        }
        if (!value) {
            // The next option is no value: "--geojson --kml a.kml" lacks the GeoJSON's name.
            if (i + 1 >= args.size() || args[i + 1].compare(0, 2, "--") == 0) {
                if (!TakesValue(name))
                    Refuse("Unbekannte Option '--" + name + "'.");
                Refuse("--" + name + " braucht einen Wert.");
            }
            value = args[++i];
        }
        o.given.push_back(name);
        bool known = false;
        for (const NumOpt& n : kNum) {
            if (n.name != name)
                continue;
            known = true;
            const double v = Number(n.name, *value);
            if (n.field == &PlanOptions::speedKmh && v > n.max) {
                if (const auto beyond = LimitViolation("speed", v / 3.6))
                    Refuse("--speed: " + *value + " km/h: " + *beyond);
            }
            if (!(v >= n.min && v <= n.max))
                Refuse("--" + name + ": " + *value + " liegt außerhalb von " +
                       FormatGeneral(n.min) + " bis " + FormatGeneral(n.max) + " " +
                       std::string(n.unit) + ".");
            if (n.integer && v != std::floor(v))
                Refuse("--" + name + ": " + *value + " ist keine ganze Zahl.");
            o.*n.field = v;
        }
        for (const FileOpt& f : kFiles) {
            if (f.name != name)
                continue;
            known = true;
            if (value->empty())
                Refuse("--" + name +
                       (name == "drone" ? " braucht einen Drohnenschlüssel."
                                        : " braucht einen Dateinamen."));
            if ((*value)[0] == '-')
                Refuse("--" + name + ": '" + *value + "' ist kein Dateiname, sondern eine Option.");
            o.*f.field = *value;
        }
        if (name == "angle" && *value == "auto") {
            known = true;
            o.angleAuto = true;
        } else if (name == "angle") {
            known = true;
            const double v = Number("angle", *value);
            if (!(v >= -360 && v <= 360))
                Refuse("--angle: " + *value + " liegt außerhalb von -360 bis 360 °.");
            o.angleDeg = v;
        }
        if (name == "takeoff") {
            known = true;
            ParseTakeoff(o, *value);
        }
        if (name == "exposure") {
            known = true;
            // A shutter time of 0 blurs nothing and allows any speed; beyond a second no drone
            // takes survey pictures.
            const double v = Number("exposure", *value);
            if (!(v > 0 && v <= 1))
                Refuse("--exposure: " + *value +
                       " s ist keine Belichtungszeit; erlaubt ist mehr als 0 bis 1 s (1/1000 s = "
                       "0.001).");
            o.exposureS = v;
        }
        if (name == "exclude") {
            known = true;
            if (value->empty())
                Refuse("--exclude braucht einen Dateinamen.");
            if ((*value)[0] == '-')
                Refuse("--exclude: '" + *value + "' ist kein Dateiname, sondern eine Option.");
            o.excludeFiles.push_back(*value);
        }
        if (!known)
            Refuse("Unbekannte Option '--" + name + "'.");
    }
    if (!o.help && !o.version && !haveArea && o.checkFile.empty())
        Refuse("Keine Gebietsdatei angegeben.");
    return o;
}

} // namespace korvale

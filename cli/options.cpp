#include "cli/options.h"

#include <cmath>
#include <optional>
#include <string_view>

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
    {"speed", "km/h", "Geschwindigkeit", 1, 59, true, &PlanOptions::speedKmh},
    {"battery-min", "min", "Flugzeit je Akku", 1, 120, true, &PlanOptions::batteryMin},
    {"max-waypoints", "Wegpunkte", "Wegpunkte je Datei", 2, 99, true, &PlanOptions::maxWaypoints},
    {"terrain-tolerance", "m", "Toleranz der Höhe über Grund", 1, 20, false,
     &PlanOptions::terrainToleranceM},
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
    {"dem", "das Höhenmodell (GeoTIFF, DTED, HGT, VRT, ...)", &PlanOptions::demFile},
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
        if (a.size() < 2 || a.compare(0, 2, "--") != 0 || a == "--") {
            if (haveArea)
                Refuse("Nur eine Gebietsdatei ist möglich: '" + a + "'.");
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
        if (!value) {
            if (i + 1 >= args.size())
                Refuse("--" + name + " braucht einen Wert.");
            value = args[++i];
        }
        bool known = false;
        for (const NumOpt& n : kNum) {
            if (n.name != name)
                continue;
            known = true;
            const double v = Number(n.name, *value);
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
                Refuse("--" + name + " braucht einen Dateinamen.");
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
        if (!known)
            Refuse("Unbekannte Option '--" + name + "'.");
    }
    if (o.demFile.empty() && o.haveTakeoff)
        Refuse("--takeoff gilt nur mit einem Höhenmodell (--dem).");
    if (!o.help && !o.version && !haveArea)
        Refuse("Keine Gebietsdatei angegeben.");
    return o;
}

} // namespace korvale

#include "cli/options.h"

#include <cmath>
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
    {"battery-min", "min", "Flugzeit je Akku", 1, 120, false, &PlanOptions::batteryMin},
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
    {"litchi", "die Litchi-Mission (CSV; bei Bedarf in Teile je Akku geteilt)",
     &PlanOptions::litchiFile},
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

std::string DefaultText(const NumOpt& o) {
    const double v = PlanOptions{}.*o.field;
    return o.integer ? Format("%.0f", {v}) : FormatGeneral(v);
}

} // namespace

PlanOptions ParsePlanOptions(const std::vector<std::string>& args) {
    PlanOptions o;
    bool haveArea = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
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
        if (name == "angle") {
            known = true;
            if (*value == "auto") {
                o.angleDeg.reset();
            } else {
                const double v = Number("angle", *value);
                if (!(v >= -360 && v <= 360))
                    Refuse("--angle: " + *value + " liegt außerhalb von -360 bis 360 °.");
                o.angleDeg = v;
            }
        } else if (name == "max-waypoints") {
            known = true;
            const double v = Number(name, *value);
            if (!(v >= 2 && v <= 99) || v != std::floor(v))
                Refuse("--max-waypoints: " + *value + " ist keine ganze Zahl von 2 bis 99.");
            o.maxWaypoints = static_cast<int>(v);
        }
        if (!known)
            Refuse("Unbekannte Option '--" + name + "'.");
    }
    if (!o.help && !o.version && !haveArea)
        Refuse("Keine Gebietsdatei angegeben.");
    return o;
}

std::string PlanHelpText() {
    std::string t =
        "Aufruf: korvale-plan [OPTIONEN] GEBIET\n"
        "\n"
        "Plant den Bildflug über dem Gebiet GEBIET (GeoJSON, KML oder KMZ, WGS84) und gibt\n"
        "die Summen als JSON aus (strips, path_m, pictures, flight_min, area_ha, utm_zone,\n"
        "batteries). Gerechnet wird in der UTM-Zone der Gebietsmitte.\n"
        "\n"
        "Kamera und Flug:\n";
    for (const NumOpt& n : kNum) {
        std::string line = "  --" + std::string(n.name) + " ZAHL";
        line.resize(std::max<std::size_t>(line.size() + 1, 23), ' ');
        t += line + std::string(n.what) + ", " + std::string(n.unit) + " (Vorgabe " +
             DefaultText(n) + ")\n";
    }
    t += "  --angle GRAD|auto    Flugrichtung, Grad gegen den Uhrzeigersinn von Ost;\n"
         "                       auto wählt die Richtung mit den wenigsten Fluglinien\n"
         "                       (Vorgabe 0)\n"
         "  --max-waypoints N    höchstens N Wegpunkte je Missionsdatei, 2 bis 99 (Vorgabe 99)\n"
         "\n"
         "Ausgaben (nur geschrieben, wenn die Planung gelingt):\n";
    for (const FileOpt& f : kFiles) {
        std::string line = "  --" + std::string(f.name) + " DATEI";
        line.resize(std::max<std::size_t>(line.size() + 1, 23), ' ');
        t += line + std::string(f.what) + "\n";
    }
    t += "\n"
         "  --help               diese Hilfe\n"
         "  --version            Version\n"
         "\n"
         "Exit-Status: 0 bei Erfolg, 1 bei ungültiger Eingabe oder einem Dateifehler\n"
         "(die Meldung steht auf der Standardfehlerausgabe; dann wird keine Datei geschrieben).\n";
    return t;
}

} // namespace korvale

// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "exchange/georef_files.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

#include "georef/transform.h"
#include "model/error.h"
#include "model/format.h"
#include "model/geodesy.h"
#include "model/lines.h"

namespace korvale {

namespace {

std::string Trim(std::string_view s) {
    const auto space = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    while (!s.empty() && space(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && space(s.back()))
        s.remove_suffix(1);
    return std::string(s);
}

double Number(const std::string& t, std::size_t line) {
    std::string_view v = t;
    if (!v.empty() && v.front() == '+')
        v.remove_prefix(1);
    double d = 0;
    const auto r = std::from_chars(v.data(), v.data() + v.size(), d);
    if (v.empty() || r.ec != std::errc() || r.ptr != v.data() + v.size() || !std::isfinite(d))
        throw Error(ErrorKind::Damaged, "'" + t.substr(0, 40) +
                                            "' ist kein gültiger Gleitkommawert\nZeile " +
                                            Format("%d", {line}) + " der Passpunktdatei");
    return d;
}

// The EPSG code a #CRS line names: "EPSG:code", or the last ID["EPSG",code] (WKT2) or
// AUTHORITY["EPSG","code"] (WKT1) of the text, which is the system's own identifier since
// those of its parts come before it.
int EpsgOf(const std::string& crs) {
    if (crs.rfind("EPSG:", 0) == 0) {
        int code = 0;
        const auto r = std::from_chars(crs.data() + 5, crs.data() + crs.size(), code);
        return r.ec == std::errc() && r.ptr == crs.data() + crs.size() ? code : 0;
    }
    std::size_t at = std::string::npos;
    std::size_t skip = 0;
    for (const char* key : {"ID[\"EPSG\",", "AUTHORITY[\"EPSG\",\""}) {
        const std::size_t p = crs.rfind(key);
        if (p != std::string::npos && (at == std::string::npos || p > at)) {
            at = p;
            skip = std::char_traits<char>::length(key);
        }
    }
    if (at == std::string::npos)
        return 0;
    int code = 0;
    const char* begin = crs.data() + at + skip;
    const auto r = std::from_chars(begin, crs.data() + crs.size(), code);
    return r.ec == std::errc() ? code : 0;
}

// The comma-separated columns of a line, each trimmed.
std::vector<std::string> Columns(const std::string& line) {
    std::vector<std::string> cols;
    std::size_t p = 0;
    while (true) {
        const std::size_t c = line.find(',', p);
        cols.push_back(Trim(std::string_view(line).substr(p, c == std::string::npos ? c : c - p)));
        if (c == std::string::npos)
            break;
        p = c + 1;
    }
    return cols;
}

// QGIS's header: "mapX,mapY,sourceX,sourceY,enable" (older files "pixelX,pixelY"), then any
// further columns (dX, dY, residual).
bool IsGcpHeader(const std::vector<std::string>& cols) {
    return cols.size() >= 5 && cols[0] == "mapX" && cols[1] == "mapY" &&
           (cols[2] == "sourceX" || cols[2] == "pixelX") &&
           (cols[3] == "sourceY" || cols[3] == "pixelY") && cols[4] == "enable";
}

// The degrees of a file that names no system: only if every value fits.
bool AllDegrees(const GcpFile& f) {
    bool degrees = true;
    for (const GcpRecord& g : f.points)
        degrees = degrees && std::fabs(g.mapX) <= 180.0 && std::fabs(g.mapY) <= 90.0;
    return degrees;
}

} // namespace

WorldFile MakeWorldFile(const State& s, double imageTop) {
    if (s.TrafO == 0 && s.TrafA == 0)
        throw Error(ErrorKind::Refused, "Es gibt noch keine Transformation: zuerst Passpunkte "
                                        "setzen und transformieren (Tr).");
    WorldFile w;
    // The model of Trafone at the centre of the upper-left pixel, in double precision (Trafone
    // takes single-precision positions).
    const double u = 0.5 - s.TrafXbs;
    const double v = imageTop + 0.5 - s.TrafYbs;
    const double E = s.TrafYs + s.TrafO * u + s.TrafA * v;
    const double N = s.TrafXs + s.TrafA * u - s.TrafO * v;
    // The project's zone and hemisphere, so that a map copy reaching across the equator is
    // described in the same system as the project's other files.
    const StandardUtm corner = ToStandardUtm(s, E, N);
    w.zone = corner.zone;
    w.south = corner.south;
    w.A = s.TrafO;
    w.D = s.TrafA;
    w.B = s.TrafA;
    w.E = -s.TrafO;
    w.C = corner.easting;
    w.F = corner.northing;
    return w;
}

std::string WorldFileText(const WorldFile& w) {
    std::string out;
    for (const double v : {w.A, w.D, w.B, w.E, w.C, w.F})
        out += FormatFixed(v, 10) + "\n";
    return out;
}

std::string WorldFileName(const std::string& imagePath) {
    const auto slash = imagePath.find_last_of('/');
    const auto dot = imagePath.find_last_of('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) {
        std::string ext = imagePath.substr(dot + 1);
        for (char& c : ext)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (ext == "jpg" || ext == "jpeg")
            return imagePath.substr(0, dot) + ".jgw";
    }
    return imagePath + "w";
}

int UtmEpsg(const WorldFile& w) {
    return ToStandardUtm(w.zone, w.south, 0, 0).epsg;
}

std::string UtmWkt(const WorldFile& w) {
    const char* hemi = w.south ? "S" : "N";
    return Format("PROJCS[\"WGS 84 / UTM zone %d%s\",GEOGCS[\"WGS 84\",DATUM[\"WGS_1984\","
                  "SPHEROID[\"WGS 84\",6378137,298.257223563,AUTHORITY[\"EPSG\",\"7030\"]],"
                  "AUTHORITY[\"EPSG\",\"6326\"]],PRIMEM[\"Greenwich\",0,AUTHORITY[\"EPSG\","
                  "\"8901\"]],UNIT[\"degree\",0.0174532925199433,AUTHORITY[\"EPSG\",\"9122\"]],"
                  "AUTHORITY[\"EPSG\",\"4326\"]],PROJECTION[\"Transverse_Mercator\"],"
                  "PARAMETER[\"latitude_of_origin\",0],PARAMETER[\"central_meridian\",%d],"
                  "PARAMETER[\"scale_factor\",0.9996],PARAMETER[\"false_easting\",500000],"
                  "PARAMETER[\"false_northing\",%d],UNIT[\"metre\",1,AUTHORITY[\"EPSG\","
                  "\"9001\"]],AXIS[\"Easting\",EAST],AXIS[\"Northing\",NORTH],"
                  "AUTHORITY[\"EPSG\",\"%d\"]]",
                  {w.zone, hemi, CentralMeridianOfZone(w.zone),
                   w.south ? kUtmFalseNorthingSouth : 0, UtmEpsg(w)});
}

std::string GdalAuxXml(const WorldFile& w) {
    std::string wkt;
    for (const char c : UtmWkt(w))
        wkt += c == '"' ? std::string("&quot;") : std::string(1, c);
    return "<PAMDataset>\n  <SRS dataAxisToSRSAxisMapping=\"1,2\">" + wkt +
           "</SRS>\n</PAMDataset>\n";
}

std::string PrjFileName(const std::string& imagePath) {
    const auto slash = imagePath.find_last_of('/');
    const auto dot = imagePath.find_last_of('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
        return imagePath.substr(0, dot) + ".prj";
    return imagePath + ".prj";
}

GcpFile ReadGcpPoints(std::string_view bytes) {
    GcpFile f;
    bool header = false;
    // A byte-order mark before the first line is no part of it.
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    LineSplitter lines(bytes);
    std::string_view raw;
    while (lines.Next(raw)) {
        const std::size_t lineNo = static_cast<std::size_t>(lines.Number());
        const std::string line = Trim(raw);
        if (line.empty())
            continue;
        if (line[0] == '#') {
            if (line.rfind("#CRS:", 0) == 0 && !header) {
                const std::string crs = Trim(std::string_view(line).substr(5));
                f.epsg = EpsgOf(crs);
                if (crs.empty())
                    f.crs = GcpCrs::None;
                else if (f.epsg == 4326 || f.epsg == 4258 || crs.find("CRS84") != std::string::npos)
                    f.crs = GcpCrs::Geographic;
                else if ((f.epsg > 32600 && f.epsg <= 32660) ||
                         (f.epsg > 32700 && f.epsg <= 32760) ||
                         (f.epsg > 25800 && f.epsg <= 25860)) {
                    f.crs = GcpCrs::Utm;
                    f.zone = f.epsg % 100;
                    f.south = f.epsg > 32700;
                } else
                    f.crs = GcpCrs::Other;
            }
            continue;
        }
        const std::vector<std::string> cols = Columns(line);
        if (!header) {
            // The columns are taken by position: a header that does not name them in QGIS's
            // order (or is cut short) belongs to another file.
            if (!IsGcpHeader(cols))
                throw Error(ErrorKind::Damaged,
                            "Die Datei ist keine QGIS-Passpunktdatei (.points): die Kopfzeile "
                            "'mapX,mapY,sourceX,sourceY,enable' fehlt.");
            header = true;
            continue;
        }
        if (cols.size() < 5)
            throw Error(ErrorKind::Damaged, "Zeile " + Format("%d", {lineNo}) +
                                                " der Passpunktdatei hat weniger als 5 Spalten "
                                                "(mapX,mapY,sourceX,sourceY,enable).");
        GcpRecord g;
        g.mapX = Number(cols[0], lineNo);
        g.mapY = Number(cols[1], lineNo);
        g.srcX = Number(cols[2], lineNo);
        g.srcY = Number(cols[3], lineNo);
        g.enable = Number(cols[4], lineNo) != 0;
        f.points.push_back(g);
    }
    if (!header)
        throw Error(ErrorKind::Damaged, "Die Datei ist keine QGIS-Passpunktdatei (.points): die "
                                        "Kopfzeile 'mapX,mapY,sourceX,sourceY,enable' fehlt.");
    if (f.points.empty())
        throw Error(ErrorKind::Refused, "Die Passpunktdatei enthält keinen Passpunkt.");
    return f;
}

std::string WriteGcpPoints(const State& s, double imageTop) {
    const WorldFile w = MakeWorldFile(s, imageTop);
    const double pixel = std::sqrt(s.TrafO * s.TrafO + s.TrafA * s.TrafA);
    std::string out = Format("#CRS: EPSG:%d\n", {UtmEpsg(w)});
    out += "mapX,mapY,sourceX,sourceY,enable,dX,dY,residual\n";
    for (const TPt& p : s.Points) {
        if (p.Typ != KindControl)
            continue;
        // The residual in map-copy pixels, as QGIS shows it: the fitted position minus the
        // point's own coordinates, divided by the pixel size.
        const EastNorth fit = Trafone(s, p.xb, p.yb);
        const double dx = (fit.E - p.E) / pixel;
        const double dy = (fit.N - p.N) / pixel;
        const StandardUtm map = ToStandardUtm(w.zone, w.south, p.E, p.N);
        const double mapX = map.easting;
        const double mapY = map.northing;
        const double srcX = static_cast<double>(p.xb);
        const double srcY = -(static_cast<double>(p.yb) - imageTop);
        out += Format("%.6f,%.6f,%.6f,%.6f,1,%.6f,%.6f,%.6f\n",
                      {mapX, mapY, srcX, srcY, dx, dy, std::sqrt(dx * dx + dy * dy)});
    }
    return out;
}

std::vector<TPt> GcpControlPoints(const GcpFile& f, const State& s, double imageTop) {
    const int zone = ZoneOf(s);
    // Northings of a file that names no system count as the project's hemisphere counts them.
    const bool south = f.epsg != 0 ? f.south : s.UtmSouth;
    GcpCrs crs = f.crs;
    if (crs == GcpCrs::None && !f.points.empty()) {
        // The older files name no system: degrees if every value fits, else UTM metres.
        crs = AllDegrees(f) ? GcpCrs::Geographic : GcpCrs::Utm;
    }
    if (crs == GcpCrs::Other)
        throw Error(ErrorKind::Refused,
                    (f.epsg ? Format("Das Koordinatensystem EPSG:%d", {f.epsg})
                            : std::string("Das Koordinatensystem")) +
                        " der Passpunktdatei wird nicht unterstützt.\nErwartet werden Grad "
                        "(EPSG:4326) oder UTM-Meter der Zone " +
                        Format("%d (EPSG:326%d).", {zone, zone}));
    if (crs == GcpCrs::Utm && f.epsg != 0 && f.zone != zone)
        throw Error(ErrorKind::Refused,
                    Format("Die Passpunktdatei ist in UTM-Zone %d, das Projekt rechnet in Zone %d.",
                           {f.zone, zone}));
    std::vector<TPt> out;
    for (const GcpRecord& g : f.points) {
        if (!g.enable)
            continue; // switched off in QGIS: not part of the fit there, nor here
        const double xb = g.srcX;
        const double yb = -g.srcY + imageTop;
        // A map copy is at most a few ten thousand pixels; the check also keeps the conversion
        // to single precision defined.
        if (!(std::fabs(xb) < 1e6 && std::fabs(yb) < 1e6))
            throw Error(ErrorKind::Refused, "Eine Bildposition der Passpunktdatei liegt "
                                            "außerhalb jeder Kartenkopie.");
        TPt p;
        p.Typ = KindControl;
        p.xb = static_cast<float>(xb);
        p.yb = static_cast<float>(yb);
        if (crs == GcpCrs::Geographic) {
            if (std::fabs(g.mapY) > 90.0 || std::fabs(g.mapX) > 180.0)
                throw Error(ErrorKind::Refused, "Die Passpunktdatei hat Koordinaten außerhalb "
                                                "von WGS84 (Grad).");
            const UtmResult u = GeoToProjectUtm(s, g.mapY, g.mapX);
            p.B = g.mapY;
            p.L = g.mapX;
            p.E = u.Y;
            p.N = u.X;
            p.c = u.c;
        } else {
            // Eastings of a UTM zone lie within 100..900 km, northings within 10 000 km of the
            // equator; anything else is no UTM position.
            const ProjectUtm at = FromStandardUtm(zone, south, g.mapX, g.mapY);
            if (!(g.mapX > 100000.0 && g.mapX < 900000.0) || !(std::fabs(at.N) < 1e7))
                throw Error(ErrorKind::Refused,
                            "Die Passpunktdatei hat Koordinaten, die weder Grad noch UTM-Meter "
                            "sind.\nErwartet werden Grad (EPSG:4326) oder UTM-Meter der Zone " +
                                Format("%d.", {zone}));
            p.E = at.E;
            p.N = at.N;
            const GeoResult geo = ProjectUtmToGeo(s, p.N, p.E);
            p.B = geo.B;
            p.L = geo.L;
            p.c = geo.c;
        }
        out.push_back(p);
    }
    if (out.empty())
        throw Error(ErrorKind::Refused, "Die Passpunktdatei enthält keinen eingeschalteten "
                                        "Passpunkt.");
    return out;
}

std::size_t ImportGcpControlPoints(State& s, ParamPageModel& p, const GcpFile& f, double imageTop,
                                   UndoHistory* h) {
    // The zone is decided on a state of its own, so that a refused file changes nothing.
    State zone;
    zone.UtmZone = s.UtmZone;
    zone.UtmSouth = s.UtmSouth;
    const bool anyGround =
        std::any_of(s.Points.begin(), s.Points.end(), [](const TPt& q) { return q.E != 0; });
    if (!anyGround) {
        if (f.crs == GcpCrs::Utm) {
            zone.UtmZone = f.zone;
            zone.UtmSouth = f.south;
        } else if (f.crs == GcpCrs::Geographic || (f.crs == GcpCrs::None && AllDegrees(f))) {
            const auto first = std::find_if(f.points.begin(), f.points.end(),
                                            [](const GcpRecord& g) { return g.enable; });
            if (first != f.points.end())
                AdoptZone(zone, first->mapY, first->mapX);
        }
    }
    const std::vector<TPt> points = GcpControlPoints(f, zone, imageTop);
    AddPoints(s, p, points, "Passpunkte laden", h);
    s.UtmZone = zone.UtmZone;
    s.UtmSouth = zone.UtmSouth;
    return points.size();
}

} // namespace korvale

// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The georeferenced map copy for GIS programs: a world file beside its JPEG and a QGIS
// control-point file (.points), and control points read from such a file.
//
// Pixels: a map position (xb, yb) is a window client position on the map copy, measured as Qt
// and the web maps measure: continuously, with the copy's top-left edge at (0, imageTop). A
// press on a pixel, a clipboard position from the web map and a tile-map corner all name the
// point under the pointer in this one measure, so image coordinates (edge of the upper-left
// pixel at 0, 0, as GIS programs count) are (xb, yb - imageTop), and the centre of the pixel
// in column i, row j is the map position (i + 0.5, j + 0.5 + imageTop).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "model/state.h"
#include "planning/edits.h"
#include "planning/params.h"

namespace korvale {

// The six world-file terms: x' = A x + B y + C, y' = D x + E y + F for pixel column x and row
// y, with (C, F) the centre of the upper-left pixel (the world-file convention GDAL, QGIS and
// ArcGIS read) in UTM metres of the zone the control points are in (easting without the zone
// number in front).
struct WorldFile {
    double A = 0, D = 0, B = 0, E = 0, C = 0, F = 0;
    int zone = 0;       // UTM zone of the transformation's easting
    bool south = false; // northings below the equator: EPSG:327zz, 10,000 km false northing
};

// The world file of the current transformation. Throws Error (Refused) before any
// transformation exists.
WorldFile MakeWorldFile(const State& s, double imageTop);
// Six lines A, D, B, E, C, F, each with 10 decimals, LF line ends.
std::string WorldFileText(const WorldFile& w);
// The world file's name beside an image: ".jpg"/".jpeg" become ".jgw", otherwise "w" is
// appended to the image's name (a common fallback GDAL also reads as ".wld"-style).
std::string WorldFileName(const std::string& imagePath);

// The EPSG code of the UTM system the world file and the .points file are written in:
// WGS 84 / UTM (326zz north, 327zz south). The control points come from a web map, whose
// coordinates are WGS 84; ETRS89 (258zz) drifts from them by several decimetres in Europe.
int UtmEpsg(const WorldFile& w);

// The coordinate system of the world file as WKT (WGS 84 / UTM zone zz N or S, with its EPSG
// code), the content of the ".prj" beside the image; and the same inside the GDAL side-car
// "<image>.aux.xml", by which GDAL and QGIS know the system of a JPEG.
std::string UtmWkt(const WorldFile& w);
std::string GdalAuxXml(const WorldFile& w);
// The name of the ".prj" beside an image: its extension replaced, else ".prj" appended.
std::string PrjFileName(const std::string& imagePath);

// One control point of a .points file: map coordinates (x east or longitude, y north or
// latitude), source pixel coordinates as QGIS writes them (y negative downward), enabled flag.
struct GcpRecord {
    double mapX = 0, mapY = 0, srcX = 0, srcY = 0;
    bool enable = true;
};

// What a .points file says about its map coordinates.
enum class GcpCrs { None, Geographic, Utm, Other };
struct GcpFile {
    GcpCrs crs = GcpCrs::None;
    int epsg = 0; // the code named by the #CRS line, 0 if none or not found
    int zone = 0; // for Utm: the zone; south for 327zz
    bool south = false;
    std::vector<GcpRecord> points;
};

// Reads a QGIS .points file, the older kind (header "mapX,mapY,pixelX,pixelY,...") and the
// newer one with a "#CRS: <WKT or EPSG:code>" line and "sourceX,sourceY"; LF, CR LF and a
// lone CR end a line. All or nothing: Damaged for a missing or incomplete header, a line with
// too few columns or a value that is no number; Refused for a file without any point.
GcpFile ReadGcpPoints(std::string_view bytes);

// The control points (kind 1) of `s` as a .points file in the newer format with
// "#CRS: EPSG:<UtmEpsg>", map coordinates in UTM metres of the world file's zone.
std::string WriteGcpPoints(const State& s, double imageTop);

// The control points of a .points file as points of kind 1 with B, L, E, N, c and their map
// position, in the zone of project `s` (ZoneOf). Map coordinates in degrees (EPSG:4326, 4258,
// CRS84, or no CRS with values within +-180/+-90) are converted; UTM metres must be in the
// project's zone (EPSG:326zz, 327zz, 258zz; without CRS: eastings 100 km to 900 km, northings
// of the project's hemisphere). Other systems are refused (Refused) with a German message, as
// are points that lie outside the map copy's coordinate range.
std::vector<TPt> GcpControlPoints(const GcpFile& f, const State& s, double imageTop);

// The control points of a .points file added to the project as one edit ("Passpunkte laden"),
// which `h` can undo. A project without ground coordinates yet takes its zone and hemisphere
// from the file first (the zone its EPSG code names, else that of its first point in degrees),
// as it would from its first control point. All or nothing: what GcpControlPoints refuses
// leaves `s` as it was. Returns the number of points added.
std::size_t ImportGcpControlPoints(State& s, ParamPageModel& p, const GcpFile& f, double imageTop,
                                   UndoHistory* h = nullptr);

} // namespace korvale

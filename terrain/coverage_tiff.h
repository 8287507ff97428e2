// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// A raster of counts as a GeoTIFF that GIS programs open in place: standard UTM with its EPSG
// code, square cells, one 16-bit band with a no-data value. Built in memory, so the file itself
// is written atomically with the plan's other files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace korvale {

struct CountRaster {
    int cols = 0;
    int rows = 0;
    double cellM = 1; // square cells, metres
    double west = 0;  // standard UTM easting of the western edge, metres
    double south = 0; // standard UTM northing of the southern edge, metres
    int epsg = 0;     // WGS 84 / UTM: 326zz north, 327zz south
    std::uint16_t noData = 65535;
    // rows * cols values, row by row from the south (the way the counts are made)
    const std::vector<std::uint16_t>* values = nullptr;
};

// The GeoTIFF's bytes (north up, DEFLATE). Throws Error: Refused for sizes that do not match
// or an EPSG code outside the UTM zones, Internal when GDAL cannot build the file.
std::string EncodeCountTiff(const CountRaster& r);

// The GeoTIFF written atomically (an older file stays intact on failure).
void WriteCountTiff(const std::string& path, const CountRaster& r);

} // namespace korvale

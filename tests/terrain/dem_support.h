// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Synthetic elevation models for the terrain tests: GeoTIFFs written with GDAL into a temporary
// folder, with a height function of the cell centre's coordinates in the raster's system.
#pragma once

#include <cmath>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <gdal.h>
#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include "model/geodesy.h"
#include "model/state.h"
#include "terrain/elevation.h"
#include "tests/support/temp_dir.h"

namespace korvale::test {

struct DemSpec {
    int cols = 100;
    int rows = 100;
    double x0 = 0;    // west edge in the raster's system
    double y0 = 0;    // north edge
    double dx = 1;    // cell width
    double dy = 1;    // cell height (positive; rows run south)
    int epsg = 32632; // 0: no coordinate system at all
    GDALDataType type = GDT_Float32;
    std::optional<double> noData;
    std::function<double(double x, double y)> height; // at the cell centre
};

inline std::string WriteDem(const std::string& path, const DemSpec& s) {
    GDALAllRegister();
    GDALDriver* drv = GetGDALDriverManager()->GetDriverByName("GTiff");
    GDALDataset* ds = drv->Create(path.c_str(), s.cols, s.rows, 1, s.type, nullptr);
    double gt[6] = {s.x0, s.dx, 0, s.y0, 0, -s.dy};
    ds->SetGeoTransform(gt);
    if (s.epsg != 0) {
        OGRSpatialReference srs;
        srs.importFromEPSG(s.epsg);
        ds->SetSpatialRef(&srs);
    }
    GDALRasterBand* band = ds->GetRasterBand(1);
    if (s.noData)
        band->SetNoDataValue(*s.noData);
    std::vector<double> row(static_cast<std::size_t>(s.cols));
    for (int r = 0; r < s.rows; ++r) {
        for (int c = 0; c < s.cols; ++c)
            row[static_cast<std::size_t>(c)] =
                s.height(s.x0 + (c + 0.5) * s.dx, s.y0 - (r + 0.5) * s.dy);
        if (band->RasterIO(GF_Write, 0, r, s.cols, 1, row.data(), s.cols, 1, GDT_Float64, 0, 0,
                           nullptr) != CE_None)
            throw std::runtime_error("cannot write " + path);
    }
    GDALClose(ds);
    return path;
}

// One temporary folder per test program, removed when the program ends.
inline std::string TempDir() {
    static const korvale::testing::TempDir dir("korvale-terrain");
    return dir.path().string();
}

// A project position (zone prefix) from standard UTM of zone 32 north.
inline GroundPos Utm32(double easting, double northing) {
    return {32000000.0 + easting, northing};
}

// A project position of the zone from latitude and longitude, as the plan computes it.
inline GroundPos FromGeo(int zone, double lat, double lon) {
    State s;
    s.UtmZone = zone;
    s.UtmSouth = lat < 0;
    const UtmResult u = GeoToProjectUtm(s, lat, lon);
    return {u.Y, u.X};
}

} // namespace korvale::test

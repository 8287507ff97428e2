// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// An elevation model from a raster file read with GDAL: GeoTIFF, DTED, SRTM HGT, VRT and every
// other raster GDAL opens, in any coordinate system it knows. The plan's UTM positions are
// taken into the raster's system by GDAL's own transformation, so no datum shift is ours.
#pragma once

#include <memory>
#include <string>

#include "terrain/elevation.h"

namespace korvale {

class GdalElevationModel : public ElevationModel {
  public:
    // Opens `path` for a project in UTM zone `zone` (southern hemisphere: `south`). Throws
    // Error: File when the file is missing or unreadable, Damaged when it is no raster GDAL
    // can read, Refused when the raster has no coordinate system or no georeference.
    GdalElevationModel(const std::string& path, int zone, bool south);
    ~GdalElevationModel() override;
    GdalElevationModel(const GdalElevationModel&) = delete;
    GdalElevationModel& operator=(const GdalElevationModel&) = delete;

    std::vector<double> Heights(const std::vector<GroundPos>& at) const override;
    double CellSizeM() const override;
    std::vector<double> SampleFractions(GroundPos a, GroundPos b) const override;
    std::string Name() const override;

    int Columns() const;
    int Rows() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};

} // namespace korvale

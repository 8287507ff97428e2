// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Heights above ground and added waypoints for the grid mission of a 1 km x 1 km area (the
// start camera values: lines 12.5 m apart) over a 1 m elevation model of 2000 x 2000 cells with
// rolling hills, read through GDAL from a GeoTIFF: the whole step a mission writer calls.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include "terrain/follow.h"
#include "terrain/gdal_model.h"

using namespace korvale;

namespace {

constexpr double E0 = 500000;  // west edge of the model, zone 32
constexpr double N0 = 5602000; // north edge

std::string ModelFile() {
    static const std::string path = [] {
        const std::string p =
            (std::filesystem::temp_directory_path() / "korvale-bench-dem-2000.tif").string();
        GDALAllRegister();
        GDALDataset* ds = GetGDALDriverManager()->GetDriverByName("GTiff")->Create(
            p.c_str(), 2000, 2000, 1, GDT_Float32, nullptr);
        double gt[6] = {E0, 1, 0, N0, 0, -1};
        ds->SetGeoTransform(gt);
        OGRSpatialReference srs;
        srs.importFromEPSG(32632);
        ds->SetSpatialRef(&srs);
        std::vector<float> row(2000);
        for (int r = 0; r < 2000; ++r) {
            for (int c = 0; c < 2000; ++c)
                row[static_cast<std::size_t>(c)] = static_cast<float>(
                    300 + 30 * std::sin(c / 80.0) * std::cos(r / 110.0) + 0.02 * c);
            if (ds->GetRasterBand(1)->RasterIO(GF_Write, 0, r, 2000, 1, row.data(), 2000, 1,
                                               GDT_Float32, 0, 0, nullptr) != CE_None)
                std::abort();
        }
        GDALClose(ds);
        return p;
    }();
    return path;
}

// The serpentine mission of 80 lines of 1 km in the middle of the model.
std::vector<TerrainWaypoint> Mission() {
    std::vector<TerrainWaypoint> w;
    for (int k = 0; k < 80; ++k) {
        const double n = N0 - 500 - 12.5 * k;
        const double a = 32000000 + E0 + 500, b = a + 1000;
        for (double e : {k % 2 ? b : a, k % 2 ? a : b}) {
            TerrainWaypoint p;
            p.at = {e, n};
            p.altitude = 40;
            p.photo = true;
            w.push_back(p);
        }
    }
    return w;
}

void BM_FollowTerrain1km2(benchmark::State& state) {
    const GdalElevationModel dem(ModelFile(), 32, false);
    const std::vector<TerrainWaypoint> mission = Mission();
    std::size_t added = 0;
    for (auto _ : state) {
        const TerrainResult r = FollowTerrain(mission, dem, {});
        added = r.added;
        benchmark::DoNotOptimize(r.waypoints.data());
    }
    state.counters["added"] = static_cast<double>(added);
}
BENCHMARK(BM_FollowTerrain1km2)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "terrain/coverage_tiff.h"

#include <atomic>
#include <cmath>
#include <memory>
#include <mutex>

#include <cpl_conv.h>
#include <cpl_error.h>
#include <cpl_vsi.h>
#include <gdal.h>
#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include "model/error.h"
#include "model/fileio.h"
#include "model/format.h"

namespace korvale {

namespace {

void RegisterOnce() {
    static std::once_flag once;
    std::call_once(once, [] {
        GDALAllRegister();
        CPLSetErrorHandler(CPLQuietErrorHandler);
    });
}

[[noreturn]] void Fail(const char* what) {
    throw Error(ErrorKind::Internal,
                std::string("Die Abdeckungskarte konnte nicht als GeoTIFF erzeugt werden (") +
                    what + ").\n" + CPLGetLastErrorMsg());
}

// The in-memory file is removed whatever happens.
struct MemFile {
    std::string name;
    ~MemFile() { VSIUnlink(name.c_str()); }
};

} // namespace

std::string EncodeCountTiff(const CountRaster& r) {
    const bool utm = (r.epsg > 32600 && r.epsg <= 32660) || (r.epsg > 32700 && r.epsg <= 32760);
    if (r.values == nullptr || r.cols <= 0 || r.rows <= 0 ||
        r.values->size() != static_cast<std::size_t>(r.cols) * static_cast<std::size_t>(r.rows) ||
        !utm || !(r.cellM > 0) || !std::isfinite(r.west) || !std::isfinite(r.south))
        throw Error(ErrorKind::Refused, "Die Abdeckungskarte hat keine gültige Größe oder Lage.");
    RegisterOnce();
    // One name per call: two maps built at once (tests run in parallel threads) never share one.
    static std::atomic<unsigned long long> serial{0};
    MemFile mem{Format("/vsimem/korvale_coverage_%d.tif", {static_cast<long long>(++serial)})};

    GDALDriver* drv = GetGDALDriverManager()->GetDriverByName("GTiff");
    if (drv == nullptr)
        Fail("kein GeoTIFF-Treiber");
    char** opts = nullptr;
    opts = CSLSetNameValue(opts, "COMPRESS", "DEFLATE");
    opts = CSLSetNameValue(opts, "TILED", "YES");
    GDALDataset* ds = drv->Create(mem.name.c_str(), r.cols, r.rows, 1, GDT_UInt16, opts);
    CSLDestroy(opts);
    if (ds == nullptr)
        Fail("Anlegen");
    struct Close {
        void operator()(GDALDataset* d) const { GDALClose(d); }
    };
    std::unique_ptr<GDALDataset, Close> guard(ds);

    double gt[6] = {r.west, r.cellM, 0, r.south + r.rows * r.cellM, 0, -r.cellM};
    OGRSpatialReference srs;
    srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    if (ds->SetGeoTransform(gt) != CE_None || srs.importFromEPSG(r.epsg) != OGRERR_NONE ||
        ds->SetSpatialRef(&srs) != CE_None)
        Fail("Georeferenz");
    GDALRasterBand* band = ds->GetRasterBand(1);
    if (band->SetNoDataValue(r.noData) != CE_None)
        Fail("Kein-Wert");
    band->SetDescription("Bilder je Zelle");
    // The counts run from the south, the file from the north: one row at a time, flipped.
    for (int row = 0; row < r.rows; ++row) {
        const std::uint16_t* src = r.values->data() + static_cast<std::size_t>(r.rows - 1 - row) *
                                                          static_cast<std::size_t>(r.cols);
        if (band->RasterIO(GF_Write, 0, row, r.cols, 1, const_cast<std::uint16_t*>(src), r.cols, 1,
                           GDT_UInt16, 0, 0) != CE_None)
            Fail("Schreiben");
    }
    // Closing writes the last tiles; this GDAL reports a failure there only as the last error.
    CPLErrorReset();
    GDALClose(guard.release());
    if (CPLGetLastErrorType() >= CE_Failure)
        Fail("Abschluss");

    vsi_l_offset size = 0;
    GByte* data = VSIGetMemFileBuffer(mem.name.c_str(), &size, FALSE);
    if (data == nullptr)
        Fail("Speicherdatei");
    return std::string(reinterpret_cast<const char*>(data), static_cast<std::size_t>(size));
}

void WriteCountTiff(const std::string& path, const CountRaster& r) {
    WriteFileAtomic(path, EncodeCountTiff(r));
}

} // namespace korvale

// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "terrain/gdal_model.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <mutex>
#include <utility>

#include <cpl_error.h>
#include <gdal.h>
#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include "model/error.h"
#include "model/format.h"
#include "model/geodesy.h"
#include "model/state.h"

namespace korvale {

namespace {

// A window of cells read at once; larger stretches of path are read piece by piece, so a
// continent-wide VRT costs only the cells under the plan.
constexpr double kMaxWindowCells = 16.0 * 1024 * 1024;

struct DatasetClose {
    void operator()(GDALDataset* d) const { GDALClose(d); }
};

struct TransformFree {
    void operator()(OGRCoordinateTransformation* t) const {
        OGRCoordinateTransformation::DestroyCT(t);
    }
};

// The finest cell a model may have, metres.
constexpr double kMinCellM = 1e-3;

void RegisterOnce() {
    static std::once_flag once;
    std::call_once(once, [] {
        GDALAllRegister();
        // GDAL's own complaints go to stderr otherwise; ours are the German messages.
        CPLSetErrorHandler(CPLQuietErrorHandler);
    });
}

std::string FileName(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

} // namespace

// Pixel/line coordinates (the raster's corner at 0, 0); NaN where the transformation failed.
struct Pixels {
    std::vector<double> x, y;
};

struct GdalElevationModel::Impl {
    std::string path;
    State zoneOf; // only UtmZone and UtmSouth: the project's UTM for ToStandardUtm
    std::unique_ptr<GDALDataset, DatasetClose> ds;
    GDALRasterBand* band = nullptr;
    std::unique_ptr<OGRCoordinateTransformation, TransformFree> toRaster;
    std::array<double, 6> inv{}; // raster system -> pixel/line
    int cols = 0;
    int rows = 0;
    bool hasNoData = false;
    double noData = 0;
    double scale = 1;
    double offset = 0;
    double cellM = 0;

    [[noreturn]] void Uncovered(const GroundPos& p, bool noDataCell) const {
        const GeoResult g = ProjectUtmToGeo(zoneOf, p.N, p.E);
        const std::string where = Format("Breite %.6f°, Länge %.6f°", {g.B, g.L});
        throw Error(ErrorKind::Refused,
                    noDataCell ? "Das Höhenmodell hat an der Position " + where +
                                     " keinen Wert (Lücke).\nHöhenmodell: " + FileName(path)
                               : "Das Höhenmodell deckt die Position " + where +
                                     " nicht ab.\nHöhenmodell: " + FileName(path));
    }

    Pixels ToPixels(const std::vector<GroundPos>& at) const {
        const std::size_t n = at.size();
        Pixels p{std::vector<double>(n), std::vector<double>(n)};
        std::vector<double> x(n), y(n);
        for (std::size_t i = 0; i < n; ++i) {
            const StandardUtm u = ToStandardUtm(zoneOf, at[i].E, at[i].N);
            x[i] = u.easting;
            y[i] = u.northing;
        }
        std::vector<int> ok(n, 0);
        // Transform's own result is false when any point failed; the flags say which.
        constexpr std::size_t kBatch = 1 << 20; // GDAL counts points in an int
        for (std::size_t first = 0; first < n; first += kBatch) {
            const std::size_t count = std::min(kBatch, n - first);
            (void)toRaster->Transform(static_cast<int>(count), x.data() + first, y.data() + first,
                                      nullptr, ok.data() + first);
        }
        const double* g = inv.data();
        for (std::size_t i = 0; i < n; ++i) {
            const bool good = ok[i] && std::isfinite(x[i]) && std::isfinite(y[i]);
            p.x[i] = good ? g[0] + g[1] * x[i] + g[2] * y[i] : std::nan("");
            p.y[i] = good ? g[3] + g[4] * x[i] + g[5] * y[i] : std::nan("");
        }
        return p;
    }

    bool Missing(double v) const { return std::isnan(v) || (hasNoData && v == noData); }

    // Heights of positions [first, last) whose pixel coordinates are px/py.
    void Sample(const std::vector<GroundPos>& at, const std::vector<double>& px,
                const std::vector<double>& py, std::size_t first, std::size_t last,
                std::vector<double>& out) const {
        // Cell centres sit at pixel + 0.5; between the outermost centres and the raster's edge
        // the edge cells hold (the interpolation has only one neighbour there).
        // The window is taken over the clamped places the loop below reads from, so that a
        // position within half a cell of the west or north edge still finds its neighbour cell.
        double c0 = 1e300, c1 = -1e300, r0 = 1e300, r1 = -1e300;
        for (std::size_t i = first; i < last; ++i) {
            const double fx = std::clamp(px[i] - 0.5, 0.0, cols - 1.0);
            const double fy = std::clamp(py[i] - 0.5, 0.0, rows - 1.0);
            c0 = std::min(c0, fx);
            c1 = std::max(c1, fx);
            r0 = std::min(r0, fy);
            r1 = std::max(r1, fy);
        }
        const int x0 = std::clamp(static_cast<int>(std::floor(c0)), 0, cols - 1);
        const int x1 = std::clamp(static_cast<int>(std::floor(c1)) + 1, 0, cols - 1);
        const int y0 = std::clamp(static_cast<int>(std::floor(r0)), 0, rows - 1);
        const int y1 = std::clamp(static_cast<int>(std::floor(r1)) + 1, 0, rows - 1);
        const int w = x1 - x0 + 1;
        const int h = y1 - y0 + 1;
        if (static_cast<double>(w) * h > kMaxWindowCells && last - first > 1) {
            const std::size_t mid = first + (last - first) / 2;
            Sample(at, px, py, first, mid, out);
            Sample(at, px, py, mid, last, out);
            return;
        }
        std::vector<double> cells(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
        if (band->RasterIO(GF_Read, x0, y0, w, h, cells.data(), w, h, GDT_Float64, 0, 0, nullptr) !=
            CE_None)
            throw Error(ErrorKind::File,
                        "E/A-Fehler beim Lesen des Höhenmodells.\nHöhenmodell: " + FileName(path));
        auto cell = [&](int x, int y) {
            return cells[static_cast<std::size_t>(y - y0) * static_cast<std::size_t>(w) +
                         static_cast<std::size_t>(x - x0)];
        };
        for (std::size_t i = first; i < last; ++i) {
            const double fx = std::clamp(px[i] - 0.5, 0.0, cols - 1.0);
            const double fy = std::clamp(py[i] - 0.5, 0.0, rows - 1.0);
            const int ix = std::min(static_cast<int>(fx), cols - 1);
            const int iy = std::min(static_cast<int>(fy), rows - 1);
            const int jx = std::min(ix + 1, cols - 1);
            const int jy = std::min(iy + 1, rows - 1);
            const double tx = fx - ix;
            const double ty = fy - iy;
            // A cell that takes no part (weight 0) may be a gap: at a cell centre beside a
            // hole the model still has its value. Interpolating as differences keeps even
            // ground exactly even.
            double v00 = cell(ix, iy), v10 = cell(jx, iy), v01 = cell(ix, jy), v11 = cell(jx, jy);
            if (tx == 0) {
                v10 = v00;
                v11 = v01;
            }
            if (ty == 0) {
                v01 = v00;
                v11 = v10;
            }
            if (Missing(v00) || Missing(v10) || Missing(v01) || Missing(v11))
                Uncovered(at[i], true);
            const double south = v00 + tx * (v10 - v00);
            const double north = v01 + tx * (v11 - v01);
            const double v = south + ty * (north - south);
            out[i] = v * scale + offset;
        }
    }
};

GdalElevationModel::GdalElevationModel(const std::string& path, int zone, bool south)
    : d_(std::make_unique<Impl>()) {
    RegisterOnce();
    d_->path = path;
    d_->zoneOf.UtmZone = zone;
    d_->zoneOf.UtmSouth = south;
    const std::string name = FileName(path);
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        throw Error(ErrorKind::File, "Datei nicht gefunden\nHöhenmodell: " + path);
    if (std::filesystem::is_directory(path, ec))
        throw Error(ErrorKind::File,
                    "Dateizugriff verweigert\nHöhenmodell: " + path + " ist ein Ordner.");
    // A pipe would block the open for ever, a device would be read without end: only a regular
    // file (a link is followed) is a model.
    if (!std::filesystem::is_regular_file(path, ec))
        throw Error(ErrorKind::File, "Dateizugriff verweigert\nHöhenmodell: " + path +
                                         " ist keine gewöhnliche Datei (Gerät, Pipe oder "
                                         "Socket).");
    d_->ds.reset(GDALDataset::FromHandle(
        GDALOpenEx(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr, nullptr, nullptr)));
    if (!d_->ds || d_->ds->GetRasterCount() < 1 || d_->ds->GetRasterXSize() < 1 ||
        d_->ds->GetRasterYSize() < 1)
        throw Error(ErrorKind::Damaged,
                    "Die Datei ist kein Höhenmodell, das Korvale lesen kann (kein Rasterformat, "
                    "das GDAL öffnet).\nHöhenmodell: " +
                        name);
    d_->band = d_->ds->GetRasterBand(1);
    d_->cols = d_->ds->GetRasterXSize();
    d_->rows = d_->ds->GetRasterYSize();
    const OGRSpatialReference* srs = d_->ds->GetSpatialRef();
    if (srs == nullptr || srs->IsEmpty())
        throw Error(ErrorKind::Refused,
                    "Das Höhenmodell hat kein Koordinatensystem; Korvale kann es nicht auf den "
                    "Plan legen.\nHöhenmodell: " +
                        name);
    std::array<double, 6> gt{};
    if (d_->ds->GetGeoTransform(gt.data()) != CE_None ||
        !GDALInvGeoTransform(gt.data(), d_->inv.data()))
        throw Error(ErrorKind::Refused,
                    "Das Höhenmodell hat keine Georeferenz (Lage der Zellen unbekannt).\n"
                    "Höhenmodell: " +
                        name);

    OGRSpatialReference utm;
    utm.importFromEPSG(ToStandardUtm(d_->zoneOf, 0, 0).epsg);
    utm.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    OGRSpatialReference target(*srs);
    target.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    d_->toRaster.reset(OGRCreateCoordinateTransformation(&utm, &target));
    if (!d_->toRaster)
        throw Error(ErrorKind::Refused, "Das Koordinatensystem des Höhenmodells lässt sich nicht "
                                        "in UTM umrechnen.\nHöhenmodell: " +
                                            name);

    int has = 0;
    d_->noData = d_->band->GetNoDataValue(&has);
    d_->hasNoData = has != 0;
    d_->scale = d_->band->GetScale();
    d_->offset = d_->band->GetOffset();

    // The cell's ground size at the raster's centre, in metres.
    const double sx = std::hypot(gt[1], gt[4]);
    const double sy = std::hypot(gt[2], gt[5]);
    if (target.IsGeographic()) {
        const double cy = gt[3] + gt[4] * d_->cols / 2.0 + gt[5] * d_->rows / 2.0;
        const double rad = target.GetAngularUnits(); // radians per unit
        const double lat = std::clamp(cy * rad, -1.5, 1.5);
        d_->cellM = std::min(sx * rad * EllipsoidA * std::cos(lat), sy * rad * EllipsoidA);
    } else {
        d_->cellM = std::min(sx, sy) * target.GetLinearUnits();
    }
    if (!(d_->cellM > 0) || !std::isfinite(d_->cellM))
        throw Error(ErrorKind::Refused,
                    "Das Höhenmodell hat keine gültige Zellgröße.\nHöhenmodell: " + name);
    // Legs are sampled once per cell: a cell of a micrometre (a damaged or mistyped
    // georeference) would ask for millions of samples per metre. No terrain model is finer
    // than a millimetre.
    if (d_->cellM < kMinCellM)
        throw Error(ErrorKind::Refused, "Die Zellen des Höhenmodells sind kleiner als 1 mm (" +
                                            FormatGeneral(d_->cellM) +
                                            " m); die Georeferenz ist wohl beschädigt.\n"
                                            "Höhenmodell: " +
                                            name);
}

GdalElevationModel::~GdalElevationModel() = default;

std::vector<double> GdalElevationModel::SampleFractions(GroundPos a, GroundPos b) const {
    std::vector<double> t = ElevationModel::SampleFractions(a, b);
    std::vector<GroundPos> at;
    at.reserve(t.size());
    for (double f : t)
        at.push_back({a.E + (b.E - a.E) * f, a.N + (b.N - a.N) * f});
    const Pixels p = d_->ToPixels(at);
    // Between two samples the way through the raster is straight to far below a cell, so the
    // crossings of the centre rows and columns are found linearly there.
    std::vector<double> bends{0.0};
    bends.reserve(t.size() * 2);
    for (std::size_t k = 0; k + 1 < t.size(); ++k) {
        const std::size_t from = bends.size();
        for (const auto& [u0, u1] :
             {std::pair{p.x[k], p.x[k + 1]}, std::pair{p.y[k], p.y[k + 1]}}) {
            const double c0 = u0 - 0.5, c1 = u1 - 0.5;
            if (!std::isfinite(c0) || !std::isfinite(c1) || c0 == c1)
                continue;
            const double lo = std::min(c0, c1), hi = std::max(c0, c1);
            for (auto line = static_cast<long long>(std::floor(lo)) + 1;
                 static_cast<double>(line) < hi; ++line) {
                const double f = (static_cast<double>(line) - c0) / (c1 - c0);
                bends.push_back(t[k] + (t[k + 1] - t[k]) * f);
            }
        }
        std::sort(bends.begin() + static_cast<std::ptrdiff_t>(from), bends.end());
    }
    bends.push_back(1.0);
    // The bends alone sample every cell the leg crosses; a stretch longer than a cell between
    // two of them (a leg along a row, a short leg) is filled at the cell size.
    const double cellT = t.size() > 1 ? t[1] : 1.0;
    std::vector<double> out;
    out.reserve(bends.size() + 8);
    for (std::size_t k = 0; k + 1 < bends.size(); ++k) {
        const double from = bends[k], to = bends[k + 1];
        if (to <= from)
            continue;
        out.push_back(from);
        const double pieces = std::ceil((to - from) / cellT - 1e-9);
        for (long long q = 1; static_cast<double>(q) < pieces; ++q)
            out.push_back(from + (to - from) * static_cast<double>(q) / pieces);
    }
    out.push_back(1.0);
    return out;
}

std::vector<double> GdalElevationModel::Heights(const std::vector<GroundPos>& at) const {
    const std::size_t n = at.size();
    const Pixels p = d_->ToPixels(at);
    for (std::size_t i = 0; i < n; ++i)
        if (!(p.x[i] >= 0 && p.x[i] <= d_->cols && p.y[i] >= 0 && p.y[i] <= d_->rows))
            d_->Uncovered(at[i], false);
    std::vector<double> out(n);
    if (n > 0)
        d_->Sample(at, p.x, p.y, 0, n, out);
    return out;
}

double GdalElevationModel::CellSizeM() const {
    return d_->cellM;
}

std::string GdalElevationModel::Name() const {
    return FileName(d_->path);
}

int GdalElevationModel::Columns() const {
    return d_->cols;
}

int GdalElevationModel::Rows() const {
    return d_->rows;
}

} // namespace korvale

// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The GDAL elevation model: bilinear heights in UTM and geographic rasters, the refusals, and
// the two real models against GDAL's own gdallocationinfo at cell centres.
#include "terrain/gdal_model.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>

#include "dem_support.h"
#include "model/error.h"
#include "model/format.h"
#include "terrain/follow.h"

namespace korvale {
namespace {

using test::DemSpec;
using test::TempDir;
using test::Utm32;
using test::WriteDem;

std::string Ramp32() {
    DemSpec s;
    s.cols = 200;
    s.rows = 150;
    s.x0 = 500000;
    s.y0 = 5600000;
    s.dx = s.dy = 2;
    s.type = GDT_Float64;
    s.height = [](double x, double y) { return 100 + 0.1 * (x - 500000) + 0.05 * (5600000 - y); };
    return WriteDem(TempDir() + "/ramp32.tif", s);
}

std::string RampWgs84() {
    DemSpec s;
    s.cols = 100;
    s.rows = 100;
    s.x0 = 9.0;
    s.y0 = 50.01;
    s.dx = s.dy = 1e-4;
    s.type = GDT_Float64;
    s.epsg = 4326;
    s.height = [](double lon, double lat) { return 1000 * (lon - 9) + 2000 * (lat - 50); };
    return WriteDem(TempDir() + "/ramp4326.tif", s);
}

TEST(GdalModel, BilinearIsExactOnARampInUtmAndInDegrees) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> u(0.02, 0.98);
    const GdalElevationModel utm(Ramp32(), 32, false);
    EXPECT_DOUBLE_EQ(utm.CellSizeM(), 2);
    std::vector<GroundPos> at;
    for (int i = 0; i < 200; ++i)
        at.push_back(Utm32(500000 + 400 * u(rng), 5600000 - 300 * u(rng)));
    const std::vector<double> h = utm.Heights(at);
    for (std::size_t i = 0; i < at.size(); ++i)
        EXPECT_NEAR(h[i], 100 + 0.1 * (at[i].E - 32500000) + 0.05 * (5600000 - at[i].N), 1e-6);
    // Alone on an edge or a corner (a window of one position, within half a cell of the edge):
    // the outermost cell centres' values hold out to the edge.
    for (const auto& [e, n] : {std::pair{500000.0, 5599850.0}, std::pair{500000.4, 5599700.0},
                               std::pair{500400.0, 5600000.0}, std::pair{500000.0, 5600000.0},
                               std::pair{500399.9, 5599700.1}, std::pair{500200.0, 5599999.6}}) {
        const double x = std::clamp(e, 500001.0, 500399.0), y = std::clamp(n, 5599701.0, 5599999.0);
        EXPECT_NEAR(utm.Heights({Utm32(e, n)}).front(),
                    100 + 0.1 * (x - 500000) + 0.05 * (5600000 - y), 1e-6)
            << e << " " << n;
    }

    const GdalElevationModel geo(RampWgs84(), 32, false);
    EXPECT_NEAR(geo.CellSizeM(), 1e-4 * EllipsoidA / Rho * std::cos(50.005 / Rho), 0.01);
    for (int i = 0; i < 200; ++i) {
        const double lat = 50 + 0.01 * u(rng), lon = 9 + 0.01 * u(rng);
        const double got = geo.Heights({test::FromGeo(32, lat, lon)}).front();
        // Our UTM and PROJ's agree to well under a millimetre: 2e-8 degrees here.
        EXPECT_NEAR(got, 1000 * (lon - 9) + 2000 * (lat - 50), 1e-4) << lat << " " << lon;
    }
}

TEST(GdalModel, RefusesWithAGermanMessageNamingTheFileOrThePosition) {
    const std::string dir = TempDir();
    { std::ofstream(dir + "/notes.tif") << "kein Raster\n"; }
    DemSpec bare;
    bare.cols = bare.rows = 10;
    bare.x0 = 500000;
    bare.y0 = 5600000;
    bare.epsg = 0;
    bare.height = [](double, double) { return 1.0; };
    WriteDem(dir + "/nocrs.tif", bare);
    DemSpec speck = bare; // cells of a micrometre: each leg would take millions of samples
    speck.epsg = 32632;
    speck.dx = speck.dy = 1e-6;
    WriteDem(dir + "/speck.tif", speck);
    struct Case {
        std::string file;
        ErrorKind kind;
        std::string says;
    };
    const Case cases[] = {
        {dir + "/fehlt.tif", ErrorKind::File, "Datei nicht gefunden"},
        {dir + "/notes.tif", ErrorKind::Damaged, "kein Höhenmodell"},
        {dir + "/nocrs.tif", ErrorKind::Refused, "kein Koordinatensystem"},
        {dir + "/speck.tif", ErrorKind::Refused, "kleiner als 1 mm (1E-06 m)"},
        {dir, ErrorKind::File, "Dateizugriff verweigert"},
        {dir + "/pipe.tif", ErrorKind::File, "keine gewöhnliche Datei"},
    };
    // A named pipe nobody writes to: opening it would wait for ever.
    ASSERT_EQ(::mkfifo((dir + "/pipe.tif").c_str(), 0600), 0);
    for (const Case& c : cases) {
        try {
            GdalElevationModel m(c.file, 32, false);
            ADD_FAILURE() << c.file;
        } catch (const Error& e) {
            EXPECT_EQ(e.kind(), c.kind) << c.file;
            EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find(std::filesystem::path(c.file).filename().string()),
                      std::string::npos)
                << e.what();
        }
    }

    // A hole of no-data cells in the middle, and positions outside the raster.
    DemSpec holed;
    holed.cols = holed.rows = 20;
    holed.x0 = 500000;
    holed.y0 = 5600000;
    holed.dx = holed.dy = 10;
    holed.noData = -9999;
    holed.height = [](double x, double y) {
        return (x > 500080 && x < 500120 && y < 5599920 && y > 5599880) ? -9999 : 50.0;
    };
    const GdalElevationModel m(WriteDem(dir + "/hole.tif", holed), 32, false);
    // At the centre of the cell beside the hole the hole has no weight.
    EXPECT_DOUBLE_EQ(m.Heights({Utm32(500075, 5599905)}).front(), 50);
    const struct {
        GroundPos at;
        std::string says;
    } bad[] = {
        {Utm32(500100, 5599900), "keinen Wert"},
        {Utm32(500078, 5599905), "keinen Wert"},
        {Utm32(499999, 5599900), "nicht ab"},
        {Utm32(500100, 5600000.5), "nicht ab"},
    };
    for (const auto& b : bad) {
        try {
            m.Heights({Utm32(500050, 5599950), b.at});
            ADD_FAILURE() << b.says;
        } catch (const Error& e) {
            EXPECT_EQ(e.kind(), ErrorKind::Refused);
            const std::string text = e.what();
            EXPECT_NE(text.find(b.says), std::string::npos) << text;
            EXPECT_NE(text.find("Breite 50."), std::string::npos) << text;
            EXPECT_NE(text.find("hole.tif"), std::string::npos) << text;
        }
    }
    // A take-off outside the model is named as such.
    std::vector<TerrainWaypoint> w(2);
    w[0].at = Utm32(500050, 5599950);
    w[1].at = Utm32(500060, 5599950);
    TerrainSettings t;
    t.takeoff = Utm32(400000, 5599950);
    try {
        FollowTerrain(w, m, t);
        ADD_FAILURE();
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Startpunkt: Das Höhenmodell deckt", 0), 0u)
            << e.what();
    }
}

// gdallocationinfo's value at each position (lon lat per line on its standard input).
std::vector<double> GdalLocationInfo(const std::string& file,
                                     const std::vector<std::array<double, 2>>& lonLat) {
    const std::string in = test::TempDir() + "/positions.txt";
    {
        std::ofstream f(in);
        f.precision(17);
        for (const auto& p : lonLat)
            f << p[0] << ' ' << p[1] << '\n';
    }
    const std::string cmd = "gdallocationinfo -valonly -wgs84 '" + file + "' < '" + in + "'";
    FILE* pipe = popen(cmd.c_str(), "r");
    EXPECT_NE(pipe, nullptr);
    std::string out;
    char buf[4096];
    while (std::size_t n = std::fread(buf, 1, sizeof buf, pipe))
        out.append(buf, n);
    EXPECT_EQ(pclose(pipe), 0);
    std::istringstream s(out);
    std::vector<double> v;
    std::string line;
    while (std::getline(s, line))
        v.push_back(line.empty() ? std::nan("") : std::stod(line));
    return v;
}

TEST(GdalModel, RealModelsAgreeWithGdalAtCellCentres) {
    for (const char* name : {"Theta-Limited__OpenAthena-Legacy-Python__Rome-30m-DEM.tif",
                             "gisma__uavRmp__mrbiko.tif"}) {
        const std::string file = std::string(KORVALE_FIXTURES_DIR) + "/dem/" + name;
        GDALAllRegister();
        GDALDataset* ds = GDALDataset::Open(file.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY);
        ASSERT_NE(ds, nullptr);
        double gt[6];
        ds->GetGeoTransform(gt);
        const int cols = ds->GetRasterXSize(), rows = ds->GetRasterYSize();
        GDALClose(ds);

        std::vector<std::array<double, 2>> lonLat;
        for (int r = 1; r < rows - 1; r += rows / 23)
            for (int c = 1; c < cols - 1; c += cols / 17)
                lonLat.push_back({gt[0] + (c + 0.5) * gt[1], gt[3] + (r + 0.5) * gt[5]});
        const std::vector<double> want = GdalLocationInfo(file, lonLat);
        ASSERT_EQ(want.size(), lonLat.size());
        const int zone = UtmZoneForLongitude(lonLat.front()[0]);
        const GdalElevationModel m(file, zone, false);
        int compared = 0;
        for (std::size_t i = 0; i < lonLat.size(); ++i) {
            const GroundPos at = test::FromGeo(zone, lonLat[i][1], lonLat[i][0]);
            try {
                EXPECT_NEAR(m.Heights({at}).front(), want[i], 1e-3) << name << " " << i;
                ++compared;
            } catch (const Error& e) {
                // Only a gap refuses; GDAL reports the no-data value there.
                EXPECT_TRUE(want[i] == -32768 || want[i] == -9999) << e.what();
            }
        }
        EXPECT_GT(compared, 300) << name;
    }
}

} // namespace
} // namespace korvale

// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The count GeoTIFF as GDAL's own tools read it: size, cell size, corner, coordinate system,
// no-data value, statistics and single cells north up; refusals; the writer under file faults.
#include "terrain/coverage_tiff.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "tests/exchange/ogr_oracle.h"
#include "tests/support/expect_error.h"
#include "tests/support/file_faults.h"
#include "tests/support/temp_dir.h"

using namespace korvale;
using korvale::testing::Shell;
using korvale::testing::TempDir;

TEST(CountTiff, GdalReadsWhatWasCounted) {
    // 4 columns, 3 rows from the south; 65535 outside.
    const std::vector<std::uint16_t> v = {0,     1, 2,  65535, //  south row
                                          3,     4, 5,  6,     //
                                          65535, 9, 12, 20};
    struct Case {
        int epsg;
        double west, south, cell;
    };
    for (const Case k : {Case{32632, 690123.0, 5334567.0, 1.0},
                         Case{32734, 261000.0, 6244000.0, 2.5}, Case{32601, 166021.0, 0.0, 0.5}}) {
        TempDir dir;
        const std::string path = dir.File("abdeckung.tif");
        CountRaster r;
        r.cols = 4;
        r.rows = 3;
        r.cellM = k.cell;
        r.west = k.west;
        r.south = k.south;
        r.epsg = k.epsg;
        r.values = &v;
        WriteCountTiff(path, r);

        const auto info = Shell("gdalinfo -json -stats '" + path + "'", dir);
        ASSERT_EQ(info.status, 0) << info.err;
        const auto j = nlohmann::json::parse(info.out);
        EXPECT_EQ(j["size"], nlohmann::json({4, 3}));
        const auto gt = j["geoTransform"];
        EXPECT_DOUBLE_EQ(gt[0].get<double>(), k.west);
        EXPECT_DOUBLE_EQ(gt[1].get<double>(), k.cell);
        EXPECT_DOUBLE_EQ(gt[3].get<double>(), k.south + 3 * k.cell);
        EXPECT_DOUBLE_EQ(gt[5].get<double>(), -k.cell);
        const std::string wkt = j["coordinateSystem"]["wkt"];
        EXPECT_NE(wkt.find("ID[\"EPSG\"," + std::to_string(k.epsg) + "]]"), std::string::npos)
            << wkt.substr(wkt.size() - 80);
        const auto band = j["bands"][0];
        EXPECT_EQ(band["type"], "UInt16");
        EXPECT_EQ(band["noDataValue"].get<double>(), 65535);
        EXPECT_EQ(band["minimum"].get<double>(), 0);
        EXPECT_EQ(band["maximum"].get<double>(), 20);
        EXPECT_NEAR(band["mean"].get<double>(), 62.0 / 10, 1e-9);
        // North up: pixel row 0 is the northern row of counts.
        struct Cell {
            int col, line;
            const char* value;
        };
        for (const Cell c : {Cell{3, 0, "20"}, Cell{0, 2, "0"}, Cell{3, 1, "6"}, Cell{1, 0, "9"}}) {
            const auto at = Shell("gdallocationinfo -valonly '" + path + "' " +
                                      std::to_string(c.col) + " " + std::to_string(c.line),
                                  dir);
            EXPECT_EQ(at.out, std::string(c.value) + "\n") << c.col << "," << c.line;
        }
    }
}

TEST(CountTiff, RefusesWhatIsNoMap) {
    const std::vector<std::uint16_t> v(6, 1);
    const auto with = [&](auto change) {
        CountRaster r;
        r.cols = 3;
        r.rows = 2;
        r.west = 500000;
        r.south = 5e6;
        r.epsg = 32632;
        r.values = &v;
        change(r);
        return r;
    };
    const std::vector<CountRaster> bad = {
        with([](CountRaster& r) { r.cols = 4; }),
        with([](CountRaster& r) { r.values = nullptr; }),
        with([](CountRaster& r) { r.epsg = 4326; }),
        with([](CountRaster& r) { r.epsg = 32661; }),
        with([](CountRaster& r) { r.cellM = 0; }),
        with([](CountRaster& r) { r.west = std::nan(""); }),
    };
    for (const CountRaster& r : bad)
        test::ExpectError([&] { EncodeCountTiff(r); }, ErrorKind::Refused, "Abdeckungskarte");
}

TEST(CountTiff, WriterKeepsTheOldFileUnderFaults) {
    TempDir dir;
    const std::vector<std::uint16_t> v = {1, 2, 3, 4};
    CountRaster r;
    r.cols = 2;
    r.rows = 2;
    r.west = 500000;
    r.south = 5e6;
    r.epsg = 32632;
    r.values = &v;
    test::ExpectWriterSurvivesFaults(dir.File(""), "abdeckung.tif",
                                     [&](const std::string& path) { WriteCountTiff(path, r); });
}

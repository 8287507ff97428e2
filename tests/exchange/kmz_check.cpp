// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// A KMZ whose KML entry was damaged after it was zipped is refused, stored or deflated: one
// changed digit of a stored entry once planned 109.5 ha instead of 8.94 ha.
#include <zip.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "exchange/area.h"
#include "model/error.h"
#include "model/fileio.h"
#include "tests/support/expect_error.h"
#include "tests/support/temp_dir.h"

namespace korvale {
namespace {

const std::string kKml =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<kml xmlns=\"http://www.opengis.net/kml/2.2\"><Document><Placemark><name>Feld</name>"
    "<Polygon><outerBoundaryIs><LinearRing><coordinates>"
    "11.5001,48.1001,0 11.5043,48.1001,0 11.5043,48.1028,0 11.5001,48.1028,0 11.5001,48.1001,0"
    "</coordinates></LinearRing></outerBoundaryIs></Polygon></Placemark></Document></kml>\n";

// A KMZ with doc.kml stored or deflated, as written by libzip.
std::string Kmz(const testing::TempDir& dir, bool deflate) {
    const std::string path = dir.File(deflate ? "deflated.kmz" : "stored.kmz");
    int err = 0;
    zip_t* z = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    EXPECT_NE(z, nullptr);
    zip_source_t* src = zip_source_buffer(z, kKml.data(), kKml.size(), 0);
    const zip_int64_t index = zip_file_add(z, "doc.kml", src, ZIP_FL_ENC_UTF_8);
    EXPECT_GE(index, 0);
    EXPECT_EQ(zip_set_file_compression(z, static_cast<zip_uint64_t>(index),
                                       deflate ? ZIP_CM_DEFLATE : ZIP_CM_STORE, 0),
              0);
    EXPECT_EQ(zip_close(z), 0);
    return ReadFileBytes(path);
}

std::uint32_t Le(const std::string& b, std::size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int k = bytes - 1; k >= 0; --k)
        v = (v << 8) | static_cast<unsigned char>(b[at + static_cast<std::size_t>(k)]);
    return v;
}

TEST(KmzCheck, OneChangedByteInAStoredOrDeflatedEntryIsRefused) {
    testing::TempDir dir;
    for (const bool deflate : {false, true}) {
        SCOPED_TRACE(deflate ? "deflated" : "stored");
        std::string kmz = Kmz(dir, deflate);
        // Undamaged, it reads.
        ASSERT_EQ(ReadAreaKmz(kmz).size(), 1u);
        ASSERT_EQ(Le(kmz, 0, 4), 0x04034b50u); // local header of the only entry
        const std::size_t data = 30 + Le(kmz, 26, 2) + Le(kmz, 28, 2);
        const std::size_t size = Le(kmz, 18, 4);
        ASSERT_GT(size, 0u);
        if (deflate) {
            kmz[data + size / 2] = static_cast<char>(kmz[data + size / 2] ^ 0x10);
            test::ExpectError([&] { ReadAreaKmz(kmz); }, ErrorKind::Damaged,
                              "Die KML-Datei 'doc.kml' in der KMZ-Datei ist beschädigt: ");
        } else {
            // One digit of a corner: still a valid KML, but not the area that was zipped.
            const std::size_t at = kmz.find("11.5043,48.1028");
            ASSERT_NE(at, std::string::npos);
            ASSERT_GT(at, data);
            kmz[at + 3] = '9';
            test::ExpectError([&] { ReadAreaKmz(kmz); }, ErrorKind::Damaged,
                              "Die KML-Datei 'doc.kml' in der KMZ-Datei ist beschädigt: ihre "
                              "Prüfsumme (CRC) stimmt nicht.");
        }
    }
}

} // namespace
} // namespace korvale

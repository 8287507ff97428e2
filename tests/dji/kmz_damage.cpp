// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// A mission KMZ damaged after it was zipped is refused, stored or deflated: a changed digit
// of a stored height would otherwise fly as written.
#include <zip.h>

#include <string>

#include <gtest/gtest.h>

#include "dji/wpml_read.h"
#include "model/error.h"
#include "model/fileio.h"
#include "tests/dji/kmz_oracle.h"
#include "tests/support/expect_error.h"

namespace korvale {
namespace {

// The two entries of a real file, zipped again with the given method.
std::string Rezip(const test::KmzEntries& e, zip_int32_t method) {
    zip_error_t err;
    zip_error_init(&err);
    zip_source_t* src = zip_source_buffer_create(nullptr, 0, 0, &err);
    zip_t* z = zip_open_from_source(src, ZIP_TRUNCATE, &err);
    zip_error_fini(&err);
    zip_source_keep(src);
    for (const std::string& name : e.names) {
        const std::string& text = e.text.at(name);
        const zip_int64_t i =
            zip_file_add(z, name.c_str(), zip_source_buffer(z, text.data(), text.size(), 0), 0);
        EXPECT_GE(i, 0);
        EXPECT_EQ(zip_set_file_compression(z, static_cast<zip_uint64_t>(i), method, 0), 0);
    }
    EXPECT_EQ(zip_close(z), 0);
    zip_stat_t st;
    zip_source_stat(src, &st);
    std::string out(st.size, '\0');
    zip_source_open(src);
    zip_source_read(src, out.data(), st.size);
    zip_source_close(src);
    zip_source_free(src);
    return out;
}

TEST(KmzDamage, OneChangedByteInAStoredOrDeflatedEntryIsRefused) {
    const test::KmzEntries real = test::UnzipAll(
        ReadFileBytes(KORVALE_FIXTURES_DIR "/wpml/geoyee__wpml_codec__waypoint.kmz"));
    for (const zip_int32_t method : {ZIP_CM_STORE, ZIP_CM_DEFLATE}) {
        SCOPED_TRACE(method == ZIP_CM_STORE ? "stored" : "deflated");
        std::string kmz = Rezip(real, method);
        ASSERT_TRUE(ReadWpmlKmz(kmz).waylinesWpml.has_value());
        if (method == ZIP_CM_STORE) {
            // One digit of a height: still valid XML, but not the mission that was zipped.
            const std::size_t at = kmz.rfind("<wpml:executeHeight>");
            ASSERT_NE(at, std::string::npos);
            char& digit = kmz[at + std::string("<wpml:executeHeight>").size()];
            digit = digit == '9' ? '8' : '9';
            test::ExpectError([&] { ReadWpmlKmz(kmz); }, ErrorKind::Damaged,
                              "Die Datei 'wpmz/waylines.wpml' in der KMZ-Datei ist beschädigt: "
                              "ihre Prüfsumme (CRC) stimmt nicht.");
        } else {
            // A byte in the middle of the first entry's compressed data.
            const auto le = [&](std::size_t at, int bytes) {
                std::size_t v = 0;
                for (int k = bytes - 1; k >= 0; --k)
                    v = (v << 8) |
                        static_cast<unsigned char>(kmz[at + static_cast<std::size_t>(k)]);
                return v;
            };
            ASSERT_EQ(le(0, 4), 0x04034b50u);
            const std::size_t data = 30 + le(26, 2) + le(28, 2);
            const std::size_t at = data + le(18, 4) / 2;
            kmz[at] = static_cast<char>(kmz[at] ^ 0x10);
            test::ExpectError([&] { ReadWpmlKmz(kmz); }, ErrorKind::Damaged,
                              "in der KMZ-Datei ist beschädigt: ");
        }
    }
}

} // namespace
} // namespace korvale

// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// A mission KMZ damaged after it was zipped is refused, stored or deflated: a changed digit
// of a stored height would otherwise fly as written.
#include <zip.h>

#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "dji/wpml_read.h"
#include "model/error.h"
#include "model/fileio.h"
#include "tests/dji/kmz_oracle.h"
#include "tests/support/expect_error.h"

namespace korvale {
namespace {

TEST(KmzDamage, OneChangedByteInAStoredOrDeflatedEntryIsRefused) {
    const test::KmzEntries real = test::UnzipAll(
        ReadFileBytes(KORVALE_FIXTURES_DIR "/wpml/geoyee__wpml_codec__waypoint.kmz"));
    for (const zip_int32_t method : {ZIP_CM_STORE, ZIP_CM_DEFLATE}) {
        SCOPED_TRACE(method == ZIP_CM_STORE ? "stored" : "deflated");
        std::vector<std::pair<std::string, std::string>> entries;
        for (const std::string& name : real.names)
            entries.emplace_back(name, real.text.at(name));
        std::string kmz = test::Zip(entries, method);
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

// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: elevation models (any bytes GDAL may take for a raster) through the
// terrain reader. The bytes go into one temporary .tif file, since the reader opens a path. The
// reader returns a model or throws korvale::Error; a model it returns has a positive finite cell
// size, and asking it for heights gives finite heights or korvale::Error (outside, no data),
// never a made-up value.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#include "fuzz_support.h"
#include "model/error.h"
#include "terrain/gdal_model.h"

namespace {

// One file per process, rewritten for every input.
const std::string& InputPath() {
    static const std::string path = [] {
        const char* tmp = std::getenv("TMPDIR");
        return std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/korvale-fuzz-dem-" +
               std::to_string(::getpid()) + ".tif";
    }();
    return path;
}

void WriteInput(const std::uint8_t* data, std::size_t size) {
    std::FILE* f = std::fopen(InputPath().c_str(), "wb");
    FUZZ_CHECK(f != nullptr);
    FUZZ_CHECK(size == 0 || std::fwrite(data, 1, size, f) == size);
    FUZZ_CHECK(std::fclose(f) == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    WriteInput(data, size);
    return korvale::fuzz::Run([&] {
        for (const bool south : {false, true}) {
            try {
                const korvale::GdalElevationModel m(InputPath(), 32, south);
                const double cell = m.CellSizeM();
                FUZZ_CHECK(std::isfinite(cell) && cell > 0);
                FUZZ_CHECK(m.Columns() >= 1 && m.Rows() >= 1);
                // Somewhere in zone 32 (north and south) and far away: each position is a
                // height or a refusal.
                const std::vector<korvale::GroundPos> at = {
                    {32500000, south ? -5e6 : 5e6}, {32000000, 0}, {32999999, 9e6}};
                for (const korvale::GroundPos& p : at) {
                    try {
                        const std::vector<double> h = m.Heights({p});
                        FUZZ_CHECK(h.size() == 1 && std::isfinite(h[0]));
                    } catch (const korvale::Error&) {
                    }
                }
                // A leg of 100 m, as long as a mission's legs between two pictures get.
                const std::vector<double> f =
                    m.SampleFractions(at[0], {at[0].E + 100, at[0].N + 20});
                FUZZ_CHECK(!f.empty() && f.front() == 0 && f.back() == 1);
                for (std::size_t i = 1; i < f.size(); ++i)
                    FUZZ_CHECK(f[i - 1] <= f[i]);
            } catch (const korvale::Error&) {
            }
        }
    });
}

// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: QGIS control-point files (.points). Reading and converting either gives
// control points with finite coordinates and map positions, or throws korvale::Error and the
// point list stays as it was; any other exception or a crash is a finding.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "exchange/georef_files.h"
#include "fuzz_support.h"
#include "model/error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    korvale::State s;
    s.Points.resize(2);
    try {
        const korvale::GcpFile f = korvale::ReadGcpPoints(bytes);
        const auto pts = korvale::GcpControlPoints(f, korvale::State{}, 80);
        for (const korvale::TPt& p : pts)
            FUZZ_CHECK(p.Typ == korvale::KindControl && std::isfinite(p.xb) &&
                       std::isfinite(p.yb) && std::isfinite(p.E) && std::isfinite(p.N));
        s.Points.insert(s.Points.end(), pts.begin(), pts.end());
    } catch (const korvale::Error&) {
        FUZZ_CHECK(s.Points.size() == 2);
    }
    return 0;
}

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
#include "planning/edits.h"
#include "planning/params.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    korvale::State s;
    s.Points.resize(2);
    korvale::ParamPageModel p;
    korvale::UndoHistory h;
    try {
        const korvale::GcpFile f = korvale::ReadGcpPoints(bytes);
        const auto pts = korvale::GcpControlPoints(f, korvale::State{}, 80);
        for (const korvale::TPt& q : pts)
            FUZZ_CHECK(q.Typ == korvale::KindControl && std::isfinite(q.xb) &&
                       std::isfinite(q.yb) && std::isfinite(q.E) && std::isfinite(q.N));
        // The import into a project without ground coordinates (which may take the file's
        // zone) adds every point as one step, and undoing it restores the project.
        const std::size_t added = korvale::ImportGcpControlPoints(s, p, f, 80, &h);
        FUZZ_CHECK(s.Points.size() == 2 + added && h.UndoCount() == 1);
        for (std::size_t i = 2; i < s.Points.size(); ++i)
            FUZZ_CHECK(std::isfinite(s.Points[i].E) && std::isfinite(s.Points[i].N));
        FUZZ_CHECK(h.Undo(s, p).done);
        FUZZ_CHECK(s.Points.size() == 2 && s.UtmZone == 32 && !s.UtmSouth);
    } catch (const korvale::Error&) {
        FUZZ_CHECK(s.Points.size() == 2 && s.UtmZone == 32 && h.UndoCount() == 0);
    }
    return 0;
}

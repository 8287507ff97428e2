// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// korvale-plan run in the test's own process: exit status and both output streams, with the
// drone profiles of the source tree.
#pragma once

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/plan_command.h"
#include "model/format.h"
#include "model/state.h"
#include "tests/support/temp_dir.h"

namespace korvale::test {

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

inline Outcome Plan(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const PlanCommandTexts texts{"HILFE", "korvale-plan 1.01",
                                 KORVALE_SOURCE_DIR "/data/drones.json"};
    const int status = RunPlanCommand(args, texts, out, err);
    return {status, out.str(), err.str()};
}

// A GeoJSON field of `eastM` x `northM` metres near 48 N, 11 E, written into `dir`; its path.
inline std::string RectangleField(const testing::TempDir& dir, double eastM, double northM) {
    const double m = 1.0 / 111200.0, me = m / std::cos(48.0 / Rho);
    std::string coords;
    const double xy[][2] = {{0, 0}, {eastM, 0}, {eastM, northM}, {0, northM}, {0, 0}};
    for (const auto& p : xy)
        coords +=
            Format("%s[%.9f,%.9f]", {coords.empty() ? "" : ",", 11.0 + p[0] * me, 48.0 + p[1] * m});
    const std::string path = dir.File("feld.geojson");
    std::ofstream(path) << R"({"type":"Feature","properties":{},"geometry":{"type":"Polygon",)"
                        << R"("coordinates":[[)" << coords << "]]}}";
    return path;
}

} // namespace korvale::test

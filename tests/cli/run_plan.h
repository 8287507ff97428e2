// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// korvale-plan run in the test's own process: exit status and both output streams, with the
// drone profiles of the source tree.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "cli/plan_command.h"

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

} // namespace korvale::test

// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// korvale-plan as a function: reads the area, plans as the window's "Calc Raster" does, writes
// the asked files as one all-or-nothing set and prints the totals as JSON.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace korvale {

struct PlanCommandTexts {
    std::string help;            // printed for --help
    std::string version;         // printed for --version
    std::string dronesFile = {}; // the drone profiles; "" for the installed file
};

// Runs the command on argv[1..]. Returns the exit status: 0 on success (totals on `out`), 1 on
// any refusal or file error (a German message on `err`, no file written).
int RunPlanCommand(const std::vector<std::string>& args, const PlanCommandTexts& texts,
                   std::ostream& out, std::ostream& err);

} // namespace korvale

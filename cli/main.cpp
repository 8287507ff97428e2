// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// korvale-plan: plans a photo flight from the command line (see korvale-plan(1)).
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "cli/plan_command.h"
#include "korvale_buildinfo.h"
#include "korvale_plan_help.h"
#include "planning/plan.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    korvale::PlanCommandTexts texts;
    texts.help = kHelpText;
    texts.version = std::string("korvale-plan ") + kKorvaleVersion + " (Build " + kKorvaleBuild +
                    ")\n" + kKorvaleLicence;
    try {
        return korvale::RunPlanCommand(args, texts, std::cout, std::cerr);
    } catch (const std::bad_alloc&) { // even the texts above may not fit any more
        std::cerr << "korvale-plan: " << korvale::kOutOfMemoryText << '\n';
        return 1;
    }
}

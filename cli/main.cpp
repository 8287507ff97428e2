// korvale-plan: plans a photo flight from the command line (see korvale-plan(1)).
#include <iostream>
#include <string>
#include <vector>

#include "cli/plan_command.h"
#include "korvale_buildinfo.h"
#include "korvale_plan_help.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    korvale::PlanCommandTexts texts;
    texts.help = kHelpText;
    texts.version = std::string("korvale-plan ") + kKorvaleVersion + " (Build " + kKorvaleBuild +
                    ")\n" + kKorvaleLicence;
    return korvale::RunPlanCommand(args, texts, std::cout, std::cerr);
}

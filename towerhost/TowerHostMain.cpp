// Entry point of towerhost, the headless host that runs a tower of theaters on the Theater module.
#include "WbServeMain.h"
#include "WbTowerHost.h"

#include <cstring>

namespace {

// A subcommand is a program of its own behind its name, given its arguments from the name on; anything
// else on the command line is a batch run.
struct Subcommand {
    const char* name;
    int (*run)(int argc, const char* const* argv, std::FILE* out, std::FILE* err);
};

constexpr Subcommand kSubcommands[] = {
    {"serve", WbServeMain},
};

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1)
        for (const Subcommand& subcommand : kSubcommands)
            if (std::strcmp(argv[1], subcommand.name) == 0)
                return subcommand.run(argc - 1, argv + 1, stdout, stderr);
    return WbTowerHost(stdout, stderr).Run(argc, argv);
}

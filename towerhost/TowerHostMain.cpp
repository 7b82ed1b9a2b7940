// Entry point of towerhost, the headless host that runs a tower of theaters on the Theater module.
#if !defined(_WIN32)
#include "WbServeMain.h"
#include "WbValidateMain.h"
#endif
#include "WbTowerHost.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#endif

#include <cstring>

namespace {

// A subcommand is a program of its own behind its name, given its arguments from the name on; anything
// else on the command line is a batch run.
struct Subcommand {
    const char* name;
    int (*run)(int argc, const char* const* argv, std::FILE* out, std::FILE* err);
};

#if !defined(_WIN32)
constexpr Subcommand kSubcommands[] = {
    {"serve", WbServeMain},
    {"validate", WbValidateMain},
};
#endif

} // namespace

int main(int argc, char** argv)
{
#if defined(_WIN32)
    // The summaries and messages end their lines as everywhere else, so that the same run prints the same bytes.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
#if !defined(_WIN32)
    // The web server and the validator are built for Linux only; on Windows every command line is a batch run.
    if (argc > 1)
        for (const Subcommand& subcommand : kSubcommands)
            if (std::strcmp(argv[1], subcommand.name) == 0)
                return subcommand.run(argc - 1, argv + 1, stdout, stderr);
#endif
    return WbTowerHost(stdout, stderr).Run(argc, argv);
}

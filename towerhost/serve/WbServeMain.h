// `towerhost serve`: the tower in the host process, played from a web browser.
#pragma once

#include <cstdio>

// The port `towerhost serve` listens on unless --port says otherwise.
constexpr int kServeDefaultPort = 8425;

// Runs the subcommand with its own arguments (argv[0] is "serve") until Ctrl-C or SIGTERM; returns the
// program's exit code: 0 after a clean stop, 1 when the module, the save or the server fails, 2 for a
// usage or scenario error.
int WbServeMain(int argc, const char* const* argv, std::FILE* out, std::FILE* err);

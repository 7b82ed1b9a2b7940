// The host program's command line.
#pragma once

#include "WbHostAddOn.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace CLI {
class App;
}

struct WbHostOptions {
    std::string scenarioPath; // empty: the built-in demo
    std::string modulePath;   // empty: Theater.wbp beside the program
    std::optional<int32_t> days;
    std::string tracePath;
    std::string reportPath;
    std::string savePath;
    std::string loadPath;
    bool quiet = false;
};

// How reading the command line ended.
struct WbOptionsResult {
    enum class Outcome { Run, Exit };
    Outcome outcome = Outcome::Run;
    int exitCode = 0;    // for Exit: 0 after --help, 2 after a usage error
    std::string message; // the help text, or the usage error
};

// Reads the arguments into options; the add-ons add theirs first.
WbOptionsResult WbReadHostOptions(int argc, const char* const* argv, WbHostOptions& options,
                                  const std::vector<std::unique_ptr<WbHostAddOn>>& addOns);

// An empty value names no file, folder or number; taking it as "not given" would run without what the user
// asked for. Gives "OPTION: the value is empty" for the first such option after parsing, or nothing.
std::string WbEmptyValueError(const CLI::App& app);

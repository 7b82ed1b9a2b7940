// `towerhost validate`: a tenant module taken through every call the host makes, each group of checks in a
// child process of its own, so that a crash or a hang becomes a line in the report.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

struct WbValidateOptions {
    std::string modulePath;
    int strictness = 5;
    uint64_t seed = 0;
    bool seedGiven = false;
    int64_t timeoutMs = 60000;
    int repeat = 1;
    std::string logPath;
    std::string junitPath;
    std::string only;
    bool keepGoing = false;
    // Set in the child the validator starts for one group: the group's name and the descriptor its results
    // go to.
    std::string childGroup;
    int resultDescriptor = -1;
};

// How reading the command line ended: options to run with, or a message and an exit code (0 after --help,
// 2 for a usage error, whose message names the option).
struct WbValidateParse {
    bool run = true;
    int exitCode = 0;
    std::string message;
};

// Reads the arguments after "validate" (argv[0] is "validate").
WbValidateParse WbReadValidateOptions(int argc, const char* const* argv, WbValidateOptions& options);

// Runs the subcommand with its own arguments (argv[0] is "validate"); returns 0 when every check that ran
// passed, 1 when one failed, 2 for a usage error.
int WbValidateMain(int argc, const char* const* argv, std::FILE* out, std::FILE* err);

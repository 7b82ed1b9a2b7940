// The host program from its command line to its exit code.
#pragma once

#include <cstdio>

class WbTowerHost final {
public:
    enum ExitCode { kSuccess = 0, kRunError = 1, kUsageError = 2 };

    WbTowerHost(std::FILE* out, std::FILE* err) : mOut(out), mErr(err) {}

    // Runs the program; every error is printed as "towerhost: <message>" before its exit code is returned.
    int Run(int argc, const char* const* argv);

private:
    std::FILE* mOut;
    std::FILE* mErr;
};

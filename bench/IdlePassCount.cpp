// Runs a given number of idle passes of one theater and nothing else, so that an instruction counter
// (valgrind's callgrind) run with N and with 2N passes gives the cost of one pass by difference.
#include "IdleTheater.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 3 || (std::string(argv[1]) != "30" && std::string(argv[1]) != "32")) {
        std::fprintf(stderr, "usage: IdlePassCount 30|32 PASSES\n");
        return 2;
    }
    const bool running = std::string(argv[1]) == "32";
    char* end = nullptr;
    const long passes = std::strtol(argv[2], &end, 10);
    if (*argv[2] == '\0' || *end != '\0' || passes < 0) {
        std::fprintf(stderr, "IdlePassCount: PASSES \"%s\" is not a whole number of 0 or more\n", argv[2]);
        return 2;
    }
    IdleTheater theater(running ? 700 : 610);
    for (long i = 0; i < passes; ++i)
        theater.Pass();
    std::printf("%ld passes at status %d\n", passes, theater.GetStatus());
    return 0;
}

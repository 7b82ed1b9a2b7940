// Where the module's compiled resources are handed to the host: the .res file, embedded in the module.
#include "TheaterResources.h"

#if defined(_WIN32)

// A Windows module carries its resources in the PE resource section, where the host finds them through
// FindResource; nothing is embedded twice.
std::span<const uint8_t> TheaterResourceBytes() { return {}; }

#else

#if !defined(THEATER_RES_PATH)
#error "THEATER_RES_PATH names the compiled Theater.res to embed"
#endif

// The .res bytes go into a read-only section between two symbols that stay inside the module, so that
// only the four entry points are exported. The build makes this file depend on the .res, so a changed
// resource rebuilds it and relinks the module.
asm(".pushsection .rodata.theater_res,\"a\",@progbits\n"
    ".balign 16\n"
    ".hidden gTheaterResStart\n"
    ".hidden gTheaterResEnd\n"
    "gTheaterResStart:\n"
    ".incbin \"" THEATER_RES_PATH "\"\n"
    "gTheaterResEnd:\n"
    ".popsection\n");

extern "C" const uint8_t gTheaterResStart[];
extern "C" const uint8_t gTheaterResEnd[];

std::span<const uint8_t> TheaterResourceBytes()
{
    return {gTheaterResStart, size_t(gTheaterResEnd - gTheaterResStart)};
}

#endif

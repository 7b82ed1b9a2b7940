// The host's last calls into a module, kept so that a host that dies inside a module can still say where.
#pragma once

#include "WbDll.h"

// A fixed ring of the names of the host's most recent calls into the module. Entering a call is two stores,
// cheap enough for the idle pass of every theater every minute; reading it takes no lock and no memory, so a
// signal handler may read it.
namespace WbHostCallRing {

constexpr unsigned kSize = 8;

// Notes that the host now calls into the module; name is a string that lives as long as the program.
WBDLL_API void Enter(const char* name);
// The name of the n-th most recent call (0: the last one), or null when fewer calls were made.
WBDLL_API const char* Recent(unsigned n);

} // namespace WbHostCallRing

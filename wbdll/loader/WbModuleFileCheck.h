// A module file looked at through its own headers before the system loader maps it: a file that was cut
// short or damaged would otherwise end the host with a signal inside the loader, with no word of which file.
#pragma once

#include <string>

class WbModuleFileCheck final {
public:
    // What keeps the file at path from being a whole module of this system, in one line; empty when every
    // header, segment and section it declares lies inside the file.
    static std::string Damage(const std::string& path);
};

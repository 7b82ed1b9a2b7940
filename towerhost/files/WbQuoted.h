// Text that came from a file, shown in a message: quoted, with every byte that is not printable ASCII
// written as \xNN, so that a damaged file cannot put control characters on the user's terminal.
#pragma once

#include <string>
#include <string_view>

std::string WbQuoted(std::string_view text);

// Text that came from a file, shown in a message: every byte that is not printable ASCII written as \xNN,
// so that a damaged file cannot put control characters or broken UTF-8 on the user's terminal.
#pragma once

#include <string>
#include <string_view>

// The text quoted, its quotes and backslashes escaped with a backslash.
std::string WbQuoted(std::string_view text);
// The text as it is where it needs no quotes: printable ASCII unchanged, every other byte escaped.
std::string WbPrintable(std::string_view text);
// A key of a file in a message's path: as it is when it is a plain name (letters, digits, underscores),
// quoted when the file made it anything else, so that it cannot pass for a path of its own.
std::string WbKeyText(std::string_view key);
// The text as XML character data or a double-quoted attribute value: markup characters as entities, and
// each control character XML 1.0 cannot carry (all but tab, line feed and carriage return) as '?'.
std::string WbXmlText(std::string_view text);

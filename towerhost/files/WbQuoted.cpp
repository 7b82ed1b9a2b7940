// Bytes from a file made safe to print in a message.
#include "WbQuoted.h"

#include <cstdio>

std::string WbQuoted(std::string_view text)
{
    std::string quoted = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (byte < 0x20 || byte > 0x7E) {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", unsigned(byte));
            quoted += escaped;
        } else {
            quoted += c;
        }
    }
    return quoted + "\"";
}

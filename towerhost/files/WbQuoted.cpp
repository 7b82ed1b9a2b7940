// Bytes from a file made safe to print in a message.
#include "WbQuoted.h"

#include <algorithm>
#include <cstdio>

namespace {

void AppendByte(std::string& shown, char c)
{
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte > 0x7E) {
        char escaped[5];
        std::snprintf(escaped, sizeof escaped, "\\x%02X", unsigned(byte));
        shown += escaped;
    } else {
        shown += c;
    }
}

} // namespace

std::string WbQuoted(std::string_view text)
{
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\')
            quoted += '\\';
        AppendByte(quoted, c);
    }
    return quoted + "\"";
}

std::string WbKeyText(std::string_view key)
{
    const bool plain = !key.empty() && std::all_of(key.begin(), key.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    });
    return plain ? std::string(key) : WbQuoted(key);
}

std::string WbPrintable(std::string_view text)
{
    std::string shown;
    for (const char c : text)
        AppendByte(shown, c);
    return shown;
}

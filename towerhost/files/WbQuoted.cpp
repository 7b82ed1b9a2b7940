// Bytes from a file made safe to print in a message.
#include "WbQuoted.h"

#include <algorithm>
#include <cstdint>
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

std::string WbXmlText(std::string_view text)
{
    std::string escaped;
    for (const char c : text) {
        switch (c) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        default:
            escaped += uint8_t(c) < 0x20 && c != '\n' && c != '\t' && c != '\r' ? '?' : c;
        }
    }
    return escaped;
}

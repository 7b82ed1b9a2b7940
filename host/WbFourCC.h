// Four-character codes: 32-bit integers whose bytes, read from the most significant one, spell the code.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The code of a text of up to four characters, the first in the most significant byte used.
constexpr uint32_t WbFourCC(std::string_view code)
{
    uint32_t value = 0;
    for (char c : code)
        value = value << 8 | uint8_t(c);
    return value;
}

constexpr uint32_t WbFourCC(const char (&code)[5]) { return WbFourCC(std::string_view(code, 4)); }

// The code spelled out, most significant byte first ("TnPl" for 0x546E506C).
inline std::string WbFourCCText(uint32_t code)
{
    return {char(code >> 24), char(code >> 16), char(code >> 8), char(code)};
}

static_assert(WbFourCC("TnPl") == 0x546E506Cu);
static_assert(WbFourCC("TnDf") == 0x546E4466u);

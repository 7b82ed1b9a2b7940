// Four-character codes: 32-bit integers whose bytes, read from the most significant one, spell the code.
#pragma once

#include <cstdint>
#include <string>

constexpr uint32_t WbFourCC(const char (&code)[5])
{
    return (uint32_t(uint8_t(code[0])) << 24) | (uint32_t(uint8_t(code[1])) << 16) |
           (uint32_t(uint8_t(code[2])) << 8) | uint32_t(uint8_t(code[3]));
}

// The code spelled out, most significant byte first ("TnPl" for 0x546E506C).
inline std::string WbFourCCText(uint32_t code)
{
    return {char(code >> 24), char(code >> 16), char(code >> 8), char(code)};
}

static_assert(WbFourCC("TnPl") == 0x546E506Cu);
static_assert(WbFourCC("TnDf") == 0x546E4466u);

// Reads the module's string blocks: the comment texts the host shows for a tenant.
#include "WbStringTable.h"

#include "WbResParser.h"

#include <string>
#include <vector>

WbParsed<std::array<CString, 16>> WbReadStringBlock(std::span<const uint8_t> bytes, uint32_t block)
{
    using Result = WbParsed<std::array<CString, 16>>;
    const std::string name = "string block " + std::to_string(block) + ": ";
    if (block == 0 || block > 4096)
        return Result::Failure(name + "block number, expected 1 to 4096");
    std::array<CString, 16> strings;
    size_t at = 0;
    for (uint32_t i = 0; i < 16; ++i) {
        const uint32_t stringID = (block - 1) * 16 + i;
        if (bytes.size() - at < 2)
            return Result::Failure(name + std::to_string(bytes.size()) + " bytes, expected at least " +
                                   std::to_string(at + 2) + " for the length of string " + std::to_string(stringID) +
                                   " at offset " + std::to_string(at));
        const size_t length = size_t(bytes[at] | bytes[at + 1] << 8);
        if ((bytes.size() - at - 2) / 2 < length)
            return Result::Failure(name + "string " + std::to_string(stringID) + " at offset " + std::to_string(at) +
                                   " has " + std::to_string(length) + " characters, " +
                                   std::to_string(bytes.size() - at - 2) + " bytes left");
        std::vector<uint16_t> units(length);
        for (size_t k = 0; k < length; ++k)
            units[k] = uint16_t(bytes[at + 2 + 2 * k] | bytes[at + 3 + 2 * k] << 8);
        strings[i] = CString(WbUtf16ToUtf8(units));
        at += 2 + 2 * length;
    }
    if (at != bytes.size())
        return Result::Failure(name + std::to_string(bytes.size()) + " bytes, expected " + std::to_string(at));
    return strings;
}

CString WbLoadResString(const CResFile& resFile, uint32_t stringID)
{
    const uint32_t block = WbStringBlockOf(stringID);
    WbParsed<std::array<CString, 16>> strings = WbReadStringBlock(resFile.Find(kResTypeString, block), block);
    return strings ? (*strings)[stringID % 16] : CString();
}

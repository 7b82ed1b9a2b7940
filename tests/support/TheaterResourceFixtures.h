// The theater module's resources as the host reads them, and bytes to build and damage records with.
#pragma once

#include "Afx.h"
#include "CResFile.h"
#include "TheaterResources.h"
#include "WbResParser.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Little-endian 32-bit words, as the host's records hold their numbers.
inline std::vector<uint8_t> Words(std::initializer_list<int64_t> values)
{
    std::vector<uint8_t> bytes;
    for (int64_t v : values)
        bytes.insert(bytes.end(), {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)});
    return bytes;
}

// A copy of bytes with one change, for the malformed variants of a fixture.
inline std::vector<uint8_t> Patched(std::vector<uint8_t> bytes, size_t offset, std::initializer_list<uint8_t> with)
{
    for (uint8_t value : with)
        bytes.at(offset++) = value;
    return bytes;
}

inline std::vector<uint8_t> Truncated(std::span<const uint8_t> bytes, size_t size)
{
    return {bytes.begin(), bytes.begin() + long(size)};
}

inline std::vector<uint8_t> Extended(std::vector<uint8_t> bytes, std::initializer_list<uint8_t> more)
{
    bytes.insert(bytes.end(), more);
    return bytes;
}

// A copy of text-like bytes with the first occurrence of from replaced.
inline std::vector<uint8_t> Replaced(std::span<const uint8_t> bytes, const std::string& from, const std::string& to)
{
    std::string text(bytes.begin(), bytes.end());
    if (const size_t at = text.find(from); at != std::string::npos)
        text.replace(at, from.size(), to);
    return {text.begin(), text.end()};
}

// Every resource the module carries: its type as tools print it (with its standard type number, or 0 for a
// type by name), its ID, its size in bytes and the CRC-32 of its bytes. String blocks 64 and 65 hold strings
// 1008 to 1039.
struct ExpectedResource {
    const char* printedType;
    uint16_t typeNumber;
    uint32_t id;
    size_t size;
    uint32_t crc32;
};

inline const std::vector<ExpectedResource>& TheaterInventory()
{
    constexpr uint16_t B = kResTypeBitmap, S = kResTypeString, V = kResTypeVersion;
    static const std::vector<ExpectedResource> inventory = {
        {"ATTR", 0, 128, 44, 0xF46AA051},        {"DESC", 0, 128, 9, 0xB83BF461},
        {"TNDF", 0, 1, 338, 0xC265F73C},         {"TMDF", 0, 1, 73, 0xEC420427},
        {"WODF", 0, 1, 213, 0x24DEBC9F},         {"OBJMAP", 0, 100, 388, 0x64F98A9E},
        {"OBJMAP", 0, 1000, 351, 0x421210FD},    {"OBJMAP", 0, 1001, 246, 0x056219CB},
        {"OBJMAP", 0, 1002, 246, 0x3A576A10},    {"OBJMAP", 0, 1003, 246, 0x9994B966},
        {"BITMAP", B, 100, 4706, 0x84FB1E74},    {"BITMAP", B, 1000, 96296, 0x6F043675},
        {"BITMAP", B, 1001, 76232, 0xD0D465A1},  {"BITMAP", B, 1002, 81416, 0x9A6516A4},
        {"BITMAP", B, 1003, 81416, 0x3AAAA6C0},  {"STRINGTABLE", S, 64, 76, 0xB03C9CBA},
        {"STRINGTABLE", S, 65, 160, 0x96A6B79D}, {"VERSIONINFO", V, 1, 756, 0x28284AEB},
        {"WBDLG", 0, 1000, 1265, 0x2F4FFE62},    {"WBDLG", 0, 2000, 704, 0x2012D8DD},
    };
    return inventory;
}

inline std::vector<uint8_t> Bytes(std::span<const uint8_t> bytes) { return {bytes.begin(), bytes.end()}; }

// A module record over .res bytes (by default the module's own, its file not loaded), and a reader of it.
class TheaterResFile {
public:
    explicit TheaterResFile(std::vector<uint8_t> bytes = Bytes(TheaterResourceBytes())) : mBytes(std::move(bytes)) {}
    CResFile* Get() { return &mResFile; }

private:
    std::vector<uint8_t> mBytes;
    WbModule mModule{.path = "Test.wbp", .library = nullptr, .resources = mBytes};
    CResFile mResFile{&mModule};
};

// A copy of one resource of the module, to read or to damage.
inline std::vector<uint8_t> TheaterRecord(const char* type, uint32_t id)
{
    return Bytes(TheaterResFile().Get()->Find(type, id));
}

// The reader's message for bytes it refused, or "(accepted)".
template <typename T> std::string ErrorOf(const WbParsed<T>& parsed)
{
    return parsed ? std::string("(accepted)") : parsed.GetError();
}

// Damaged bytes, what was damaged, and the message the reader must refuse them with.
struct DamagedCase {
    const char* what;
    std::vector<uint8_t> bytes;
    std::string error;
};

template <typename Read> void ExpectRefused(const std::vector<DamagedCase>& cases, Read read)
{
    for (const DamagedCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ErrorOf(read(c.bytes)), c.error);
    }
}

// The theater module's records written out field by field, as independent copies of what the module must
// carry, the module's own resources as the host reads them, and the readers' refusals of damaged bytes.
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

// Builds a record the way the host's records are encoded: little-endian numbers, four-character codes
// stored as the integer they spell, texts as a length byte, the characters and a NUL.
class RecordBuilder {
public:
    RecordBuilder& Byte(uint8_t value) { return Bytes({value}); }
    RecordBuilder& Bytes(std::initializer_list<uint8_t> values)
    {
        mBytes.insert(mBytes.end(), values);
        return *this;
    }
    RecordBuilder& Int(int64_t v) { return Bytes({uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}); }
    RecordBuilder& Ints(std::initializer_list<int64_t> values)
    {
        for (int64_t value : values)
            Int(value);
        return *this;
    }
    RecordBuilder& Code(std::string_view c)
    {
        return Bytes({uint8_t(c[3]), uint8_t(c[2]), uint8_t(c[1]), uint8_t(c[0])});
    }
    RecordBuilder& Text(std::string_view text)
    {
        Byte(uint8_t(text.size())).mBytes.insert(mBytes.end(), text.begin(), text.end());
        return Byte(0);
    }
    std::vector<uint8_t> Build() const { return mBytes; }

private:
    std::vector<uint8_t> mBytes;
};

// ATTR 128: the plug-in file's attribute record.
inline std::vector<uint8_t> AttrFixture()
{
    return RecordBuilder()
        .Byte(1)               // 0: version
        .Code("CINE")          // 1: ID, stored as the bytes "ENIC"
        .Int(1)                // 5: attribute
        .Code("****")          // 9: ID depended on
        .Ints({3, 0, 1720, 0}) // 13: game level, 17: secret item, 21: item type, 25: must item
        .Text("Movie Theater") // 29: name, 15 bytes; the record ends at 44
        .Build();
}

// DESC 128: the description record.
inline std::vector<uint8_t> DescFixture()
{
    return RecordBuilder()
        .Byte(1)      // 0: version
        .Code("TnPl") // 1: the program plug-in's type
        .Int(3)       // 5: ends at 9
        .Build();
}

// TNDF 1: the movie theater's tenant definition.
inline std::vector<uint8_t> TndfFixture()
{
    return RecordBuilder()
        .Byte(1)                                                        // 0: version
        .Ints({1720, 31, 3})                                            // 1: item type, 5: width and 9: height in units
        .Ints({3, 0x480})                                               // 13, 17
        .Text("A category of items for residents to live comfortably.") // 21: category description
        .Text("City Function ")                                         // 77: category name, trailing blank
        .Ints({90, 200})                                                // 93, 97: capacity
        .Ints({0, 0})                                                   // 101, 105
        .Code("MoPI")                                                   // 109: sub-plug-in type: films
        .Ints({128, 300, 1})                                            // 113, 117, 121
        .Text("$500000")                                                // 125: price text
        .Text("$2000/M")                                                // 134: monthly cost text
        .Text("The movie theater you manage.")                          // 143: description text
        .Text("Movie Theater")                                          // 174: name text
        .Text("Movie Theater")                                          // 189: second name text
        .Ints({5000, 20})                                               // 204: price and 208: monthly cost, in hundreds
        .Ints({129, 130, 300, 200, 500, 0, 1, 0, 140, 0, 0, 0})         // 212 to 256
        .Ints({1, 30, 0, 0, 1, 4, 0, 0, 0, 29, 1, 29})                  // 260 to 304
        .Ints({600, 1320})                                              // 308: opening and 312: closing minute
        .Ints({0, 1, 128, 0, 0})                                        // 316 to 332
        .Bytes({0, 0})                                                  // 336: two zero bytes end the record
        .Build();
}

// TMDF 1: the customer table.
inline std::vector<uint8_t> TmdfFixture()
{
    return RecordBuilder()
        .Byte(1)                    // 0: version
        .Ints({-1, 0, 0, 0})        // 1 to 13: header
        .Int(2)                     // 17: number of entries
        .Text("")                   // 21: entry 1: name
        .Ints({4, 18, 18, 1, 0, 1}) // 23: demand, start and end silhouette, option, percent, people
        .Text("")                   // 47: entry 2: name
        .Ints({4, 19, 19, 2, 0, 2}) // 49: the same six fields; ends at 73
        .Build();
}

// WODF 1: the customer remarks.
inline const char* const kRemarkTexts[] = {"It may be crowded.", "It seems like a blockbuster.",
                                           "I can't wait to see it.", "It looks like a good movie.",
                                           "I hope it will be fun."};
inline std::vector<uint8_t> WodfFixture()
{
    RecordBuilder record;
    record.Byte(1).Int(5); // 0: version, 1: number of remarks
    for (const char* text : kRemarkTexts)
        record.Ints({255, 255, 0, 0}).Text(text); // at 5, 41, 87, 128 and 173; the record ends at 213
    return record.Build();
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
// type by name), its ID and its size in bytes. String blocks 64 and 65 hold strings 1008 to 1039.
struct ExpectedResource {
    const char* printedType;
    uint16_t typeNumber;
    uint32_t id;
    size_t size;
};

inline const std::vector<ExpectedResource>& TheaterInventory()
{
    constexpr uint16_t B = kResTypeBitmap, S = kResTypeString, V = kResTypeVersion;
    static const std::vector<ExpectedResource> inventory = {
        {"ATTR", 0, 128, 44},        {"DESC", 0, 128, 9},        {"TNDF", 0, 1, 338},        {"TMDF", 0, 1, 73},
        {"WODF", 0, 1, 213},         {"OBJMAP", 0, 100, 388},    {"OBJMAP", 0, 1000, 351},   {"OBJMAP", 0, 1001, 246},
        {"OBJMAP", 0, 1002, 246},    {"OBJMAP", 0, 1003, 246},   {"BITMAP", B, 100, 4706},   {"BITMAP", B, 1000, 96296},
        {"BITMAP", B, 1001, 76232},  {"BITMAP", B, 1002, 81416}, {"BITMAP", B, 1003, 81416}, {"STRINGTABLE", S, 64, 76},
        {"STRINGTABLE", S, 65, 160}, {"VERSIONINFO", V, 1, 756}, {"WBDLG", 0, 1000, 1265},   {"WBDLG", 0, 2000, 704},
    };
    return inventory;
}

// A copy of the bytes, to compare.
inline std::vector<uint8_t> Bytes(std::span<const uint8_t> bytes) { return {bytes.begin(), bytes.end()}; }

// A module record over .res bytes, as the host keeps one in its chain of resource modules for a loaded
// module, and a reader of it: by default the resources compiled into the module, without loading its file.
class TheaterResFile {
public:
    explicit TheaterResFile(std::vector<uint8_t> bytes = Bytes(TheaterResourceBytes())) : mBytes(std::move(bytes)) {}
    CResFile* Get() { return &mResFile; }

private:
    std::vector<uint8_t> mBytes;
    WbModule mModule{.path = "Test.wbp", .library = nullptr, .resources = mBytes};
    CResFile mResFile{&mModule};
};

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

// The theater module's records written out field by field, as independent copies of what the module must
// carry, and the module's own resources as the host reads them.
#pragma once

#include "Afx.h"
#include "CResFile.h"
#include "TheaterResources.h"
#include "WbResParser.h"

#include <cstdint>
#include <initializer_list>
#include <span>
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
    RecordBuilder& Code(std::string_view code)
    {
        return Int(int64_t(uint32_t(uint8_t(code[0])) << 24 | uint32_t(uint8_t(code[1])) << 16 |
                           uint32_t(uint8_t(code[2])) << 8 | uint32_t(uint8_t(code[3]))));
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
        .Int(3)                // 13: game level
        .Int(0)                // 17: secret item
        .Int(1720)             // 21: item type
        .Int(0)                // 25: must item
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
        .Int(1720)                                                      // 1: item type
        .Int(31)                                                        // 5: width in units
        .Int(3)                                                         // 9: height in units
        .Ints({3, 0x480})                                               // 13, 17
        .Text("A category of items for residents to live comfortably.") // 21: category description
        .Text("City Function ")                                         // 77: category name, trailing blank
        .Int(90)                                                        // 93
        .Int(200)                                                       // 97: capacity
        .Ints({0, 0})                                                   // 101, 105
        .Code("MoPI")                                                   // 109: sub-plug-in type: films
        .Ints({128, 300, 1})                                            // 113, 117, 121
        .Text("$500000")                                                // 125: price text
        .Text("$2000/M")                                                // 134: monthly cost text
        .Text("The movie theater you manage.")                          // 143: description text
        .Text("Movie Theater")                                          // 174: name text
        .Text("Movie Theater")                                          // 189: second name text
        .Int(5000)                                                      // 204: price in hundreds
        .Int(20)                                                        // 208: monthly cost in hundreds
        .Ints({129, 130, 300, 200, 500, 0, 1, 0, 140, 0, 0, 0})         // 212 to 256
        .Ints({1, 30, 0, 0, 1, 4, 0, 0, 0, 29, 1, 29})                  // 260 to 304
        .Int(600)                                                       // 308: opening minute
        .Int(1320)                                                      // 312: closing minute
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

inline std::vector<uint8_t> Truncated(std::vector<uint8_t> bytes, size_t size)
{
    bytes.resize(size);
    return bytes;
}

inline std::vector<uint8_t> Extended(std::vector<uint8_t> bytes, std::initializer_list<uint8_t> more)
{
    bytes.insert(bytes.end(), more);
    return bytes;
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

// A .res file made of entries: the module's own with some replaced or left out, for damaged variants.
struct ResEntryCopy {
    WbResName type;
    WbResName name;
    std::vector<uint8_t> data;
};

inline std::vector<ResEntryCopy> TheaterResEntries()
{
    std::vector<ResEntryCopy> copies;
    WbParsed<std::vector<WbResEntry>> entries = WbParseResFile(TheaterResourceBytes());
    if (entries)
        for (const WbResEntry& entry : *entries)
            copies.push_back({entry.type, entry.name, {entry.data.begin(), entry.data.end()}});
    return copies;
}

inline std::vector<uint8_t> WriteResFile(const std::vector<ResEntryCopy>& copies)
{
    // The empty entry: no data, a 32-byte header, type and name 0 by number.
    std::vector<uint8_t> out = RecordBuilder().Ints({0, 32, 0xFFFF, 0xFFFF, 0, 0, 0, 0}).Build();
    for (const ResEntryCopy& copy : copies) {
        std::vector<uint8_t> names; // UTF-16: a number after 0xFFFF, or the characters and a NUL
        auto put16 = [&names](uint32_t value) { names.insert(names.end(), {uint8_t(value), uint8_t(value >> 8)}); };
        for (const WbResName* name : {&copy.type, &copy.name}) {
            if (name->isNumber) {
                put16(0xFFFF);
                put16(name->number);
                continue;
            }
            for (char c : name->text)
                put16(uint8_t(c));
            put16(0);
        }
        names.resize((names.size() + 3) / 4 * 4, 0);
        const std::vector<uint8_t> sizes =
            RecordBuilder().Ints({int64_t(copy.data.size()), int64_t(8 + names.size() + 16)}).Build();
        out.insert(out.end(), sizes.begin(), sizes.end());
        out.insert(out.end(), names.begin(), names.end());
        out.insert(out.end(), 16, 0); // data version, flags, language, version, characteristics
        out.insert(out.end(), copy.data.begin(), copy.data.end());
        out.resize((out.size() + 3) / 4 * 4, 0);
    }
    return out;
}

// A module record over .res bytes, as the host keeps one in its chain of resource modules for a loaded
// module, and a reader of it: by default the resources compiled into the module, without loading its file.
class TheaterResFile {
public:
    explicit TheaterResFile(std::vector<uint8_t> bytes = {TheaterResourceBytes().begin(), TheaterResourceBytes().end()})
        : mBytes(std::move(bytes))
    {
        mModule.path = "Test.wbp";
        mModule.resources = mBytes;
    }
    CResFile* Get() { return &mResFile; }

private:
    std::vector<uint8_t> mBytes;
    WbModule mModule;
    CResFile mResFile{&mModule};
};

// A copy of the bytes, to compare.
inline std::vector<uint8_t> Bytes(std::span<const uint8_t> bytes) { return {bytes.begin(), bytes.end()}; }

// The little-endian 32-bit number at an offset.
inline uint32_t Get32(std::span<const uint8_t> bytes, size_t at)
{
    return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
           uint32_t(bytes[at + 3]) << 24;
}

// The compiled resource file (.res) a module carries: its entries, found by type and ID.
#pragma once

#include "WbDll.h"
#include "WbParsed.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// A resource type or name: a number, or a string (a custom type such as "TNDF").
struct WbResName {
    bool isNumber = true;
    uint16_t number = 0;
    std::string text; // ASCII-only text as written; other characters as UTF-8

    // Equal to a type name, compared without regard to ASCII case as the platform's lookup does.
    bool Is(const char* name) const;
    bool Is(uint16_t value) const { return isNumber && number == value; }
    // "TNDF", or the number in decimal.
    std::string Describe() const;
};

struct WbResEntry {
    WbResName type;
    WbResName name;
    uint16_t language = 0;
    uint16_t memoryFlags = 0;
    uint32_t dataVersion = 0;
    uint32_t version = 0;
    uint32_t characteristics = 0;
    uint32_t offset = 0; // of the entry's header in the file
    std::span<const uint8_t> data;
};

// Standard resource types by number.
constexpr uint16_t kResTypeBitmap = 2;
constexpr uint16_t kResTypeString = 6;
constexpr uint16_t kResTypeVersion = 16;

// Every entry of a .res file in file order, the empty entry that opens the file left out. The entries'
// data point into bytes. A file that is cut short, has a header or data running past its end, a name
// without its terminating NUL, or an entry header of another size than its fields is refused, naming the
// entry, its offset and what was wrong.
WBDLL_API WbParsed<std::vector<WbResEntry>> WbParseResFile(std::span<const uint8_t> bytes);

// The first entry of this type name and numeric ID, or null.
WBDLL_API const WbResEntry* WbFindResEntry(const std::vector<WbResEntry>& entries, const char* typeName, uint32_t id);
WBDLL_API const WbResEntry* WbFindResEntry(const std::vector<WbResEntry>& entries, uint16_t typeNumber, uint32_t id);

// UTF-16 code units (as a .res stores names and strings) in UTF-8; a lone surrogate becomes U+FFFD.
WBDLL_API std::string WbUtf16ToUtf8(const std::vector<uint16_t>& units);

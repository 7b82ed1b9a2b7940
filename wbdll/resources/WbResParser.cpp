// Reads the compiled resource file a module carries. Everything is checked against the file's size before
// it is read, so that a damaged file is refused with the entry and the offset where it went wrong.
#include "WbResParser.h"

#include <cctype>

namespace {

constexpr uint32_t kEmptyEntryHeader = 32;
// DataVersion, MemoryFlags, LanguageId, Version, Characteristics: the fixed tail of every entry header.
constexpr uint32_t kHeaderTailBytes = 16;
// DataSize and HeaderSize open every entry header.
constexpr uint32_t kHeaderHeadBytes = 8;

uint16_t Get16(std::span<const uint8_t> bytes, size_t at) { return uint16_t(bytes[at] | bytes[at + 1] << 8); }

uint32_t Get32(std::span<const uint8_t> bytes, size_t at)
{
    return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
           uint32_t(bytes[at + 3]) << 24;
}

size_t AlignUp4(size_t value) { return (value + 3) & ~size_t(3); }

// Reads a type or a name from the header at `at`, which must end before `limit`. Returns false with a
// reason when it does not fit.
bool ReadName(std::span<const uint8_t> bytes, size_t& at, size_t limit, WbResName& name, const char* what,
              std::string& reason)
{
    if (at + 2 > limit) {
        reason = std::string("the ") + what + " at offset " + std::to_string(at) + " runs past the header";
        return false;
    }
    if (Get16(bytes, at) == 0xFFFF) {
        if (at + 4 > limit) {
            reason = std::string("the ") + what + " number at offset " + std::to_string(at) + " runs past the header";
            return false;
        }
        name.isNumber = true;
        name.number = Get16(bytes, at + 2);
        at += 4;
        return true;
    }
    std::vector<uint16_t> units;
    const size_t start = at;
    for (;;) {
        if (at + 2 > limit) {
            reason = std::string("the ") + what + " name at offset " + std::to_string(start) +
                     " has no terminating NUL inside the header";
            return false;
        }
        const uint16_t unit = Get16(bytes, at);
        at += 2;
        if (unit == 0)
            break;
        units.push_back(unit);
    }
    name.isNumber = false;
    name.text = WbUtf16ToUtf8(units);
    return true;
}

} // namespace

bool WbResName::Is(const char* wanted) const
{
    if (isNumber || !wanted)
        return false;
    size_t i = 0;
    for (; wanted[i] != '\0'; ++i) {
        if (i >= text.size())
            return false;
        if (std::toupper(static_cast<unsigned char>(text[i])) != std::toupper(static_cast<unsigned char>(wanted[i])))
            return false;
    }
    return i == text.size();
}

std::string WbResName::Describe() const { return isNumber ? std::to_string(number) : text; }

std::string WbUtf16ToUtf8(const std::vector<uint16_t>& units)
{
    std::string out;
    auto put = [&out](uint32_t code) {
        if (code < 0x80) {
            out += char(code);
        } else if (code < 0x800) {
            out += char(0xC0 | code >> 6);
            out += char(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += char(0xE0 | code >> 12);
            out += char(0x80 | (code >> 6 & 0x3F));
            out += char(0x80 | (code & 0x3F));
        } else {
            out += char(0xF0 | code >> 18);
            out += char(0x80 | (code >> 12 & 0x3F));
            out += char(0x80 | (code >> 6 & 0x3F));
            out += char(0x80 | (code & 0x3F));
        }
    };
    for (size_t i = 0; i < units.size(); ++i) {
        const uint32_t unit = units[i];
        if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] < 0xE000) {
            put(0x10000 + ((unit - 0xD800) << 10) + (uint32_t(units[i + 1]) - 0xDC00));
            ++i;
        } else if (unit >= 0xD800 && unit < 0xE000) {
            put(0xFFFD);
        } else {
            put(unit);
        }
    }
    return out;
}

WbParsed<std::vector<WbResEntry>> WbParseResFile(std::span<const uint8_t> bytes)
{
    using Result = WbParsed<std::vector<WbResEntry>>;
    const size_t size = bytes.size();
    if (size < kEmptyEntryHeader)
        return Result::Failure(".res: " + std::to_string(size) + " bytes, a .res file opens with a " +
                               std::to_string(kEmptyEntryHeader) + "-byte empty entry");
    if (Get32(bytes, 0) != 0 || Get32(bytes, 4) != kEmptyEntryHeader)
        return Result::Failure(".res: the first entry has data size " + std::to_string(Get32(bytes, 0)) +
                               " and header size " + std::to_string(Get32(bytes, 4)) +
                               ", expected the empty entry (0 and 32)");

    std::vector<WbResEntry> entries;
    size_t at = kEmptyEntryHeader;
    int number = 1;
    while (at < size) {
        const std::string where = ".res: entry " + std::to_string(number) + " at offset " + std::to_string(at) + ": ";
        const size_t left = size - at;
        if (left < kHeaderHeadBytes)
            return Result::Failure(where + std::to_string(left) + " bytes left, an entry header needs at least " +
                                   std::to_string(kHeaderHeadBytes));
        const uint32_t dataSize = Get32(bytes, at);
        const uint32_t headerSize = Get32(bytes, at + 4);
        const uint32_t minimumHeader = kHeaderHeadBytes + 4 + 4 + kHeaderTailBytes;
        if (headerSize < minimumHeader)
            return Result::Failure(where + "header size " + std::to_string(headerSize) + ", expected at least " +
                                   std::to_string(minimumHeader));
        if (headerSize > left)
            return Result::Failure(where + "header size " + std::to_string(headerSize) + " runs past the end (" +
                                   std::to_string(left) + " bytes left)");
        const size_t headerEnd = at + headerSize;
        WbResEntry entry;
        entry.offset = uint32_t(at);
        size_t field = at + kHeaderHeadBytes;
        std::string reason;
        if (!ReadName(bytes, field, headerEnd, entry.type, "type", reason) ||
            !ReadName(bytes, field, headerEnd, entry.name, "name", reason))
            return Result::Failure(where + reason);
        field = AlignUp4(field);
        if (field + kHeaderTailBytes != headerEnd)
            return Result::Failure(where + "header size " + std::to_string(headerSize) + ", but its fields take " +
                                   std::to_string(field + kHeaderTailBytes - at));
        entry.dataVersion = Get32(bytes, field);
        entry.memoryFlags = Get16(bytes, field + 4);
        entry.language = Get16(bytes, field + 6);
        entry.version = Get32(bytes, field + 8);
        entry.characteristics = Get32(bytes, field + 12);
        if (dataSize > size - headerEnd)
            return Result::Failure(where + "data size " + std::to_string(dataSize) + " runs past the end (" +
                                   std::to_string(size - headerEnd) + " bytes left)");
        entry.data = bytes.subspan(headerEnd, dataSize);
        entries.push_back(entry);
        // Data is padded to a multiple of four; the last entry's padding may be left out.
        const size_t dataEnd = headerEnd + dataSize;
        at = AlignUp4(dataEnd) <= size ? AlignUp4(dataEnd) : size;
        ++number;
    }
    return entries;
}

const WbResEntry* WbFindResEntry(const std::vector<WbResEntry>& entries, const char* typeName, uint32_t id)
{
    for (const WbResEntry& entry : entries)
        if (entry.type.Is(typeName) && id <= 0xFFFF && entry.name.Is(uint16_t(id)))
            return &entry;
    return nullptr;
}

const WbResEntry* WbFindResEntry(const std::vector<WbResEntry>& entries, uint16_t typeNumber, uint32_t id)
{
    for (const WbResEntry& entry : entries)
        if (entry.type.Is(typeNumber) && id <= 0xFFFF && entry.name.Is(uint16_t(id)))
            return &entry;
    return nullptr;
}

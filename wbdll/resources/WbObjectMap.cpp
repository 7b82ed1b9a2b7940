// Parses the object maps that name the parts of a module's bitmaps, line by line and strictly, so that a
// damaged map is refused with its line rather than drawing the wrong part of a picture.
#include "WbObjectMap.h"

#include <charconv>
#include <cstdio>
#include <memory>
#include <string_view>
#include <type_traits>

namespace {

// Text of the map shown in a message, in single quotes. A damaged map may hold any bytes: those that are not
// printable ASCII are written as \xNN, and a quote or backslash of its own gets a backslash.
std::string Quoted(std::string_view text)
{
    std::string quoted = "'";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte > 0x7E) {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", unsigned(byte));
            quoted += escaped;
            continue;
        }
        if (c == '\'' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    return quoted + "'";
}

std::vector<std::string_view> SplitFields(std::string_view line)
{
    std::vector<std::string_view> fields;
    size_t at = 0;
    while (at < line.size()) {
        if (line[at] == '\t') {
            ++at;
            continue;
        }
        const size_t end = line.find('\t', at);
        const size_t stop = end == std::string_view::npos ? line.size() : end;
        fields.push_back(line.substr(at, stop - at));
        at = stop;
    }
    return fields;
}

// Decimal digits only (leading zeros read as decimal, "0010300" is 10300), at most `limit`.
bool ParseDecimal(std::string_view text, uint64_t limit, uint64_t& out)
{
    if (text.empty() || text.size() > 19)
        return false;
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + uint64_t(c - '0');
    }
    if (value > limit)
        return false;
    out = value;
    return true;
}

// "Rect l,t,r,b" with an optional " Halftone".
bool ParseRect(std::string_view text, RECT& rect, bool& halftone, std::string& reason)
{
    constexpr std::string_view kRect = "Rect ";
    constexpr std::string_view kHalftone = " Halftone";
    if (text.substr(0, kRect.size()) != kRect) {
        reason = "List is " + Quoted(text) + ", expected 'Rect left,top,right,bottom'";
        return false;
    }
    text.remove_prefix(kRect.size());
    const std::string_view numbers = text;
    halftone = text.size() >= kHalftone.size() && text.substr(text.size() - kHalftone.size()) == kHalftone;
    if (halftone)
        text.remove_suffix(kHalftone.size());
    LONG values[4] = {};
    for (int i = 0; i < 4; ++i) {
        const size_t comma = i < 3 ? text.find(',') : text.size();
        uint64_t value = 0;
        if (comma == std::string_view::npos || !ParseDecimal(text.substr(0, comma), INT32_MAX, value)) {
            reason = "Rect " + Quoted(numbers) + " is not four decimal numbers separated by commas";
            return false;
        }
        values[i] = LONG(value);
        text.remove_prefix(i < 3 ? comma + 1 : comma);
    }
    rect = RECT{values[0], values[1], values[2], values[3]};
    if (rect.right <= rect.left || rect.bottom <= rect.top) {
        reason = "Rect " + std::to_string(rect.left) + "," + std::to_string(rect.top) + "," +
                 std::to_string(rect.right) + "," + std::to_string(rect.bottom) + " is empty";
        return false;
    }
    return true;
}

} // namespace

WbParsed<std::vector<WbObjectMapPart>> WbParseObjectMap(std::span<const uint8_t> bytes, uint32_t id)
{
    using Result = WbParsed<std::vector<WbObjectMapPart>>;
    const std::string map = "OBJMAP " + std::to_string(id);
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    std::vector<WbObjectMapPart> parts;
    std::optional<WbObjectMapPart> open; // the part being read, until its empty line
    bool haveRect = false;
    bool ended = false;
    size_t at = 0;
    int lineNumber = 0;
    while (at < text.size()) {
        ++lineNumber;
        const std::string where = map + ": line " + std::to_string(lineNumber) + ": ";
        const size_t lineEnd = text.find("\r\n", at);
        if (lineEnd == std::string_view::npos)
            return Result::Failure(where + "does not end with CR LF");
        const std::string_view line = text.substr(at, lineEnd - at);
        at = lineEnd + 2;
        if (line.find_first_of("\r\n") != std::string_view::npos || line.find('\0') != std::string_view::npos)
            return Result::Failure(where + "holds a stray CR, LF or NUL");
        if (ended)
            return Result::Failure(where + "follows the End line");

        if (line.empty()) {
            if (!open)
                return Result::Failure(where + "empty line outside a part");
            if (!haveRect)
                return Result::Failure(where + "part " + Quoted(open->name) + " (line " + std::to_string(open->line) +
                                       ") ends without its List Rect");
            parts.push_back(*open);
            open.reset();
            continue;
        }
        const std::vector<std::string_view> fields = SplitFields(line);
        if (line.front() != '\t') {
            if (open)
                return Result::Failure(where + "part " + Quoted(open->name) + " (line " + std::to_string(open->line) +
                                       ") is not closed by an empty line");
            if (fields.size() == 1 && fields[0] == "End") {
                ended = true;
                continue;
            }
            if (fields.size() != 3 || fields[0] != "DefParts" || fields[1] != "Name")
                return Result::Failure(where + "expected 'DefParts<tab>Name<tab>name' or 'End', found " + Quoted(line));
            open = WbObjectMapPart{};
            open->name = std::string(fields[2]);
            open->line = lineNumber;
            haveRect = false;
            continue;
        }
        if (!open)
            return Result::Failure(where + "part field outside a part");
        if (fields.size() != 2)
            return Result::Failure(where + "expected a keyword and one value, found " + std::to_string(fields.size()) +
                                   " fields");
        const std::string_view keyword = fields[0];
        const std::string_view value = fields[1];
        // ID and Pattern: each at most once per part, a decimal number up to its type's maximum.
        auto readNumber = [&](auto& field, uint64_t limit) -> std::string {
            uint64_t number = 0;
            if (field)
                return "part " + Quoted(open->name) + " has a second " + std::string(keyword);
            if (!ParseDecimal(value, limit, number))
                return std::string(keyword) + " " + Quoted(value) + " is not a decimal number up to " +
                       std::to_string(limit);
            field = static_cast<typename std::remove_reference_t<decltype(field)>::value_type>(number);
            return {};
        };
        std::string error;
        if (keyword == "ID") {
            error = readNumber(open->id, UINT32_MAX);
        } else if (keyword == "Pattern") {
            error = readNumber(open->pattern, INT32_MAX);
        } else if (keyword == "List") {
            if (haveRect)
                error = "part " + Quoted(open->name) + " has a second List";
            else if (ParseRect(value, open->rect, open->halftone, error))
                haveRect = true;
        } else {
            error = "unknown keyword " + Quoted(keyword);
        }
        if (!error.empty())
            return Result::Failure(where + error);
    }
    if (open)
        return Result::Failure(map + ": part " + Quoted(open->name) + " (line " + std::to_string(open->line) +
                               ") is not closed by an empty line");
    if (!ended)
        return Result::Failure(map + ": no End line");
    return parts;
}

WbParsed<int> WbAddObjectMap(WbImageObj& images, const std::vector<WbObjectMapPart>& parts,
                             std::unique_ptr<WbBitImage> bitmap, uint32_t id)
{
    if (!bitmap)
        return WbParsed<int>::Failure("OBJMAP " + std::to_string(id) + ": no bitmap " + std::to_string(id));
    for (size_t i = 0; i < parts.size(); ++i) {
        const RECT& rect = parts[i].rect;
        if (rect.left >= bitmap->GetWidth() || rect.top >= bitmap->GetHeight())
            return WbParsed<int>::Failure(
                "OBJMAP " + std::to_string(id) + ": part " + std::to_string(i + 1) + " '" + parts[i].name + "' (line " +
                std::to_string(parts[i].line) + ") starts at " + std::to_string(rect.left) + "," +
                std::to_string(rect.top) + ", outside bitmap " + std::to_string(id) + " (" +
                std::to_string(bitmap->GetWidth()) + " x " + std::to_string(bitmap->GetHeight()) + ")");
    }
    // The bitmap is let go only once the images hold it: a list that cannot grow leaves it to be freed here.
    const WbBitImage* image = images.AdoptImage(bitmap.get());
    bitmap.release();
    for (const WbObjectMapPart& part : parts) {
        WbImagePart imagePart;
        imagePart.name = part.name;
        imagePart.id = part.id.value_or(0);
        imagePart.pattern = part.pattern.value_or(0);
        imagePart.rect = part.rect;
        imagePart.halftone = part.halftone;
        imagePart.image = image;
        images.AddPart(imagePart);
    }
    return int(parts.size());
}

// Turns a readable record description into the binary record the host reads (ATTR, DESC, TNDF...).
//
// One field per line: a kind, a value, and free words that name the field. Kinds:
//   byte  N        one byte, 0 to 255
//   int   N        32-bit little-endian, -2147483648 to 4294967295
//   code  ABCD     four-character code, stored as the little-endian integer the code spells
//   text  "..."    length byte, the characters, a NUL the length does not count
// "size N" states the record's length; the build fails when the fields add up to anything else.
// Lines starting with '#' and empty lines are skipped.
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct RecordError {
    std::string message;
};

std::string_view TrimLeft(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    return text;
}

// Splits off the first blank-separated word.
std::string_view TakeWord(std::string_view& text)
{
    text = TrimLeft(text);
    size_t end = 0;
    while (end < text.size() && text[end] != ' ' && text[end] != '\t')
        ++end;
    std::string_view word = text.substr(0, end);
    text.remove_prefix(end);
    return word;
}

std::optional<int64_t> ParseNumber(std::string_view word)
{
    int64_t value = 0;
    const char* first = word.data();
    const char* last = word.data() + word.size();
    int base = 10;
    bool negative = false;
    if (first != last && *first == '-') {
        negative = true;
        ++first;
    }
    if (last - first > 2 && first[0] == '0' && (first[1] == 'x' || first[1] == 'X')) {
        base = 16;
        first += 2;
    }
    auto [end, error] = std::from_chars(first, last, value, base);
    if (error != std::errc() || end != last || first == last)
        return std::nullopt;
    return negative ? -value : value;
}

void PutLittle(std::vector<uint8_t>& out, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(uint8_t(value >> shift));
}

// Reads one field line and appends its bytes.
void CompileField(std::string_view kind, std::string_view rest, std::vector<uint8_t>& out,
                  std::optional<size_t>& statedSize)
{
    if (kind == "text") {
        rest = TrimLeft(rest);
        if (rest.empty() || rest.front() != '"')
            throw RecordError{"text needs a quoted value"};
        size_t close = rest.find('"', 1);
        if (close == std::string_view::npos)
            throw RecordError{"text has no closing quote"};
        std::string_view text = rest.substr(1, close - 1);
        if (text.size() > 255)
            throw RecordError{"text is " + std::to_string(text.size()) +
                              " characters, at most 255 fit its length byte"};
        out.push_back(uint8_t(text.size()));
        out.insert(out.end(), text.begin(), text.end());
        out.push_back(0);
        return;
    }
    std::string_view word = TakeWord(rest);
    if (word.empty())
        throw RecordError{std::string(kind) + " needs a value"};
    if (kind == "code") {
        if (word.size() != 4)
            throw RecordError{"code '" + std::string(word) + "' is not four characters"};
        uint32_t code = 0;
        for (char c : word)
            code = (code << 8) | uint8_t(c);
        PutLittle(out, code);
        return;
    }
    std::optional<int64_t> number = ParseNumber(word);
    if (!number)
        throw RecordError{std::string(kind) + " needs a number, got '" + std::string(word) + "'"};
    if (kind == "byte") {
        if (*number < 0 || *number > 255)
            throw RecordError{"byte " + std::to_string(*number) + " is outside 0 to 255"};
        out.push_back(uint8_t(*number));
    } else if (kind == "int") {
        if (*number < INT32_MIN || *number > int64_t(UINT32_MAX))
            throw RecordError{"int " + std::to_string(*number) + " does not fit 32 bits"};
        PutLittle(out, uint32_t(*number));
    } else if (kind == "size") {
        if (*number < 0)
            throw RecordError{"size " + std::to_string(*number) + " is negative"};
        statedSize = size_t(*number);
    } else {
        throw RecordError{"unknown kind '" + std::string(kind) + "'"};
    }
}

std::vector<uint8_t> CompileRecord(std::istream& source, const std::string& sourceName)
{
    std::vector<uint8_t> out;
    std::optional<size_t> statedSize;
    std::string line;
    int lineNumber = 0;
    while (std::getline(source, line)) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::string_view rest = line;
        std::string_view kind = TakeWord(rest);
        if (kind.empty() || kind.front() == '#')
            continue;
        try {
            CompileField(kind, rest, out, statedSize);
        } catch (const RecordError& error) {
            throw RecordError{sourceName + ":" + std::to_string(lineNumber) + ": " + error.message};
        }
    }
    if (!statedSize)
        throw RecordError{sourceName + ": no size line states the record's length"};
    if (out.size() != *statedSize)
        throw RecordError{sourceName + ": fields make " + std::to_string(out.size()) + " bytes, size says " +
                          std::to_string(*statedSize)};
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: wbrecord SOURCE.txt OUTPUT.bin\n";
        return 2;
    }
    std::ifstream source(argv[1]);
    if (!source) {
        std::cerr << argv[1] << ": cannot open\n";
        return 1;
    }
    try {
        std::vector<uint8_t> record = CompileRecord(source, argv[1]);
        std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(record.data()), std::streamsize(record.size()));
        if (!out) {
            std::cerr << argv[2] << ": cannot write\n";
            return 1;
        }
    } catch (const RecordError& error) {
        std::cerr << error.message << "\n";
        std::remove(argv[2]);
        return 1;
    }
    return 0;
}

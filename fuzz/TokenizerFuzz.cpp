// Fuzzes the dialog templates' tokenizer: the input is split into lines as a template is, and each line is
// read field by field, as text or as a number by turns that the line's first byte chooses.
#include "CTokenizer.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    size_t at = 0;
    while (at <= text.size()) {
        const size_t end = text.find('\n', at);
        const std::string_view line =
            text.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at);
        CTokenizer tokenizer(line);
        const unsigned choices = line.empty() ? 0 : uint8_t(line.front());
        for (int field = 0; !tokenizer.AtEnd(); ++field) {
            const int before = tokenizer.CountRemaining();
            if (choices >> (field % 8) & 1) {
                tokenizer.NextInteger();
            } else {
                CString token;
                if (!tokenizer.NextToken(token) || token.IsEmpty())
                    __builtin_trap(); // a field is never empty
            }
            if (tokenizer.CountRemaining() != before - 1)
                __builtin_trap();
        }
        CString none;
        if (tokenizer.NextToken(none) || tokenizer.NextInteger() != 0)
            __builtin_trap();
        if (end == std::string_view::npos)
            break;
        at = end + 1;
    }
    return 0;
}

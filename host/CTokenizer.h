// The reader of one template line: fields separated by runs of TABs, numbers read from their leading digits.
#pragma once

#include "CString.h"
#include "WbDll.h"

#include <cstdint>
#include <string_view>

// Splits one line into fields. Any run of TAB characters is one separator, so a field is never
// empty; blanks belong to the field they stand in. A trailing CR or LF is not part of the line.
class WBDLL_API CTokenizer {
public:
    explicit CTokenizer(std::string_view line);

    // The next field; false (and the text untouched) when no field is left.
    bool NextToken(CString& text);
    // The leading decimal digits of the next field, 0 for a field without any (or when no field is
    // left). A value past the 32-bit range stops at 0xFFFFFFFF.
    uint32_t NextInteger();
    // Fields not read yet.
    int CountRemaining() const;
    bool AtEnd() const { return CountRemaining() == 0; }

private:
    std::string_view NextField();

    std::string_view mLine;
    size_t mPos = 0;
};

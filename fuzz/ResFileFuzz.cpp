// Fuzzes the reader of a module's compiled resource file and the lookups over what it finds.
#include "WbResParser.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    WbParsed<std::vector<WbResEntry>> entries = WbParseResFile({data, size});
    if (!entries)
        return 0;
    for (const WbResEntry& entry : *entries) {
        // Every entry's data must lie inside the input.
        if (entry.data.data() < data || entry.data.data() + entry.data.size() > data + size)
            __builtin_trap();
        entry.type.Describe();
        entry.name.Describe();
    }
    WbFindResEntry(*entries, "TNDF", 1);
    WbFindResEntry(*entries, kResTypeBitmap, 1000);
    return 0;
}

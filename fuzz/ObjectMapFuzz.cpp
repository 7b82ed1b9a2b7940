// Fuzzes the object-map parser and the adding of its parts; a refusal's message is printable ASCII.
#include "WbObjectMap.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    WbParsed<std::vector<WbObjectMapPart>> parts = WbParseObjectMap({data, size}, 1000);
    if (!parts) {
        const std::string& message = parts.GetError();
        if (message.empty() || !std::ranges::all_of(message, [](char c) { return c >= 0x20 && c <= 0x7E; }))
            __builtin_trap();
        return 0;
    }
    for (const WbObjectMapPart& part : *parts)
        if (part.rect.right <= part.rect.left || part.rect.bottom <= part.rect.top)
            __builtin_trap();
    WbImageObj images;
    WbAddObjectMap(images, *parts, std::make_unique<WbBitImage>(248, 384), 1000);
    return 0;
}

// Fuzzes the reader of a module's bitmaps.
#include "WbBitmapReader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    WbParsed<std::unique_ptr<WbBitImage>> image = WbReadBitmap({data, size}, 1000);
    if (image && size_t((*image)->GetWidth()) * size_t((*image)->GetHeight()) != (*image)->GetPixels().size())
        __builtin_trap();
    return 0;
}

// Asking the processor for memory a loop over a big tower is about to reach, so that it does not wait there.
#pragma once

#include <cstddef>

// Every cache line the bytes from start touch: an object need not begin at a line's start.
inline void WbPrefetchBytes(const void* start, std::size_t bytes)
{
    constexpr std::size_t kCacheLine = 64;
    if (bytes == 0)
        return;
    const char* at = static_cast<const char*>(start);
    for (std::size_t offset = 0; offset < bytes; offset += kCacheLine)
        __builtin_prefetch(at + offset);
    __builtin_prefetch(at + bytes - 1);
}

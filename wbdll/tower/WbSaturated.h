// The tower's money and counts are 32-bit figures; a sum beyond them stops at the end of their range
// instead of wrapping round to the other sign.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>

inline int32_t WbSaturated(int64_t value)
{
    return int32_t(
        std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

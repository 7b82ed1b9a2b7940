// The day summary and the served page show a theater's clock times and target the same way.
#include "WbTheaterFigures.h"

#include <cstdio>

namespace {

int32_t ReadInt32(const std::vector<uint8_t>& bytes, size_t offset)
{
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i)
        value |= uint32_t(bytes[offset + i]) << (8 * i);
    return int32_t(value);
}

} // namespace

std::string WbClockText(int64_t minute)
{
    if (minute < 0)
        return "--:--";
    char text[8];
    std::snprintf(text, sizeof text, "%02d:%02d", int(minute / 60 % 24), int(minute % 60));
    return text;
}

std::optional<int32_t> WbSavedTarget(const std::vector<uint8_t>& extraData)
{
    constexpr size_t kTargetOffset = 8;
    if (extraData.size() < kTargetOffset + 4 || ReadInt32(extraData, 0) < 20)
        return std::nullopt;
    return ReadInt32(extraData, kTargetOffset);
}

// Figures of a theater as the host's outputs show them: times of day, and the day's target, which only the
// theater's save record tells the host.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A minute of the day as "hh:mm"; "--:--" for a negative minute, a time that is not known.
std::string WbClockText(int64_t minute);

// The target of the day's shows from the theater's save record: a length word of at least 20, then the film
// ID and the target, both 32-bit little-endian. Absent when the record is shorter (the theater has no schedule).
std::optional<int32_t> WbSavedTarget(const std::vector<uint8_t>& extraData);

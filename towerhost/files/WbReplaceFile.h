// Replacing a file as one step, through the platform's own calls: a reader sees the old file or the new one,
// never a part of either. Kept apart from the host's Win32 stand-ins, which would clash with <windows.h>.
#pragma once

#include <cstdint>
#include <span>
#include <string>

// Writes the bytes to a temporary file beside the path, flushes them to the disk and puts the file in the
// path's place. Empty on success; otherwise the step that failed and the system's reason.
std::string WbReplaceFile(const std::string& path, std::span<const uint8_t> bytes);

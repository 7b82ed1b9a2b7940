// Replacing a file as one step, through the platform's own calls: a reader sees the old file or the new one,
// never a part of either. Kept apart from the host's Win32 stand-ins, which would clash with <windows.h>.
#pragma once

#include <cstdint>
#include <span>
#include <string>

// Writes the bytes to a temporary file beside the path, flushes them to the disk and puts the file in the
// path's place. Empty on success; otherwise the step that failed and the system's reason.
// On Linux a path that is a symbolic link is followed, link by link, so that the file it names is replaced and
// the link kept, with the mode the file had or, for a new file, the one an ordinary file gets under the umask.
std::string WbReplaceFile(const std::string& path, std::span<const uint8_t> bytes);

// The file that WbReplaceFile(path, ...) replaces: the end of path's chain of symbolic links on Linux.
std::string WbReplacedFile(const std::string& path);

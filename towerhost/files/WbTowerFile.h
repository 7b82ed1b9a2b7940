// The tower save file: its byte layout, its checks on reading, and writing it so a crash loses nothing.
#pragma once

#include "WbTowerImage.h"

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

// A save file that cannot be used. The message names the field and its offset ("theaters[0].status at
// offset 96: ..."); file operations prefix the file's name.
class WbTowerFileError final : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

namespace WbTowerFile {

// A save file opens with these eight bytes and then its version.
constexpr std::array<uint8_t, 8> kMagic = {'W', 'b', 'T', 'o', 'w', 'e', 'r', 0x1A};
constexpr uint32_t kVersion = 1;

// Whether a film ID belongs to the films the running host installed.
using FilmKnown = std::function<bool(uint32_t filmID)>;

std::vector<uint8_t> Encode(const WbTowerImage& image);
// Reads a whole file's bytes, checking every field; throws WbTowerFileError.
WbTowerImage Decode(std::span<const uint8_t> bytes, const FilmKnown& filmKnown);

// Writes the bytes to a temporary file beside the path, flushes them to the disk and renames the file
// into place, so that the path holds either the old file or the whole new one.
void Write(const std::string& path, std::span<const uint8_t> bytes);
std::vector<uint8_t> Read(const std::string& path);

// A file read and decoded, errors prefixed with the path.
WbTowerImage Load(const std::string& path, const FilmKnown& filmKnown);
void Save(const std::string& path, const WbTowerImage& image);

} // namespace WbTowerFile

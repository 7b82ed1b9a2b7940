// Pictures of the tower as PNG files: an 8-bit host image with its palette, written as a palette PNG.
#pragma once

#include "WbImage.h"

#include <cstdint>
#include <string>
#include <vector>

// The image as PNG bytes, the palette kept exactly; false when libpng refuses it.
bool WbEncodePng(const WbBitImage& image, std::vector<uint8_t>& png);
// Writes the image to a PNG file; empty on success, otherwise the file and what went wrong.
std::string WbWritePng(const std::string& path, const WbBitImage& image);

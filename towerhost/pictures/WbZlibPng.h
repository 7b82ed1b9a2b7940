// PNG files written with zlib alone, for the builds that have no libpng: the same bytes libpng writes for
// an 8-bit palette image, so that pictures and dialog drawings match across the builds.
#pragma once

#include "WbImage.h"

#include <cstdint>
#include <vector>

// The image as PNG bytes with its palette kept exactly; false when zlib refuses it.
bool WbEncodeZlibPng(const WbBitImage& image, std::vector<uint8_t>& png);

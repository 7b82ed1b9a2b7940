// Bitmaps of a module (resource type 2): Windows device-independent bitmaps without their file header.
#pragma once

#include "WbDll.h"
#include "WbImage.h"
#include "WbParsed.h"

#include <cstdint>
#include <memory>
#include <span>

// Largest width or height the host draws; keeps a damaged header from asking for gigabytes.
constexpr int32_t kMaxBitmapSide = 8192;

// An 8-bit, uncompressed, bottom-up DIB (40-byte header, up to 256 palette colours, rows padded to 4
// bytes) as an image with its palette, top row first. Bytes after the last row are allowed and ignored.
// Refuses any other header, depth, compression or row order, a palette or pixel rows that do not fit, and
// a pixel whose colour is not in the palette, naming the bitmap, the field, the value and the limit.
WBDLL_API WbParsed<std::unique_ptr<WbBitImage>> WbReadBitmap(std::span<const uint8_t> bytes, uint32_t id);

// Reads a module's bitmaps into host images. The header is checked in full before any pixel is read.
#include "WbBitmapReader.h"

#include <string>

namespace {

constexpr uint32_t kInfoHeaderBytes = 40;
constexpr uint32_t kPaletteEntryBytes = 4;
constexpr uint32_t kMaxColours = 256;

uint32_t Get32(std::span<const uint8_t> bytes, size_t at)
{
    return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
           uint32_t(bytes[at + 3]) << 24;
}

uint16_t Get16(std::span<const uint8_t> bytes, size_t at) { return uint16_t(bytes[at] | bytes[at + 1] << 8); }

} // namespace

WbParsed<std::unique_ptr<WbBitImage>> WbReadBitmap(std::span<const uint8_t> bytes, uint32_t id)
{
    using Result = WbParsed<std::unique_ptr<WbBitImage>>;
    const std::string name = "bitmap " + std::to_string(id) + ": ";
    if (bytes.size() < kInfoHeaderBytes)
        return Result::Failure(name + std::to_string(bytes.size()) + " bytes, expected at least the " +
                               std::to_string(kInfoHeaderBytes) + "-byte header");
    const uint32_t headerSize = Get32(bytes, 0);
    const int32_t width = int32_t(Get32(bytes, 4));
    const int32_t height = int32_t(Get32(bytes, 8));
    const uint16_t planes = Get16(bytes, 12);
    const uint16_t bitsPerPixel = Get16(bytes, 14);
    const uint32_t compression = Get32(bytes, 16);
    const uint32_t coloursUsed = Get32(bytes, 32);
    if (headerSize != kInfoHeaderBytes)
        return Result::Failure(name + "header size " + std::to_string(headerSize) + ", expected " +
                               std::to_string(kInfoHeaderBytes));
    if (width <= 0 || width > kMaxBitmapSide)
        return Result::Failure(name + "width " + std::to_string(width) + ", expected 1 to " +
                               std::to_string(kMaxBitmapSide));
    if (height < 0)
        return Result::Failure(name + "height " + std::to_string(height) +
                               " (rows top first), expected bottom-up rows");
    if (height == 0 || height > kMaxBitmapSide)
        return Result::Failure(name + "height " + std::to_string(height) + ", expected 1 to " +
                               std::to_string(kMaxBitmapSide));
    if (planes != 1)
        return Result::Failure(name + std::to_string(planes) + " planes, expected 1");
    if (bitsPerPixel != 8)
        return Result::Failure(name + std::to_string(bitsPerPixel) + " bits per pixel, expected 8");
    if (compression != 0)
        return Result::Failure(name + "compression " + std::to_string(compression) + ", expected 0 (none)");
    if (coloursUsed > kMaxColours)
        return Result::Failure(name + std::to_string(coloursUsed) + " colours used, expected at most " +
                               std::to_string(kMaxColours));

    const uint32_t colours = coloursUsed == 0 ? kMaxColours : coloursUsed;
    const size_t stride = (size_t(width) + 3) & ~size_t(3);
    const size_t pixelOffset = kInfoHeaderBytes + size_t(colours) * kPaletteEntryBytes;
    const size_t needed = pixelOffset + stride * size_t(height);
    if (bytes.size() < needed)
        return Result::Failure(name + std::to_string(bytes.size()) + " bytes, expected at least " +
                               std::to_string(needed) + " (header, " + std::to_string(colours) + " colours, " +
                               std::to_string(height) + " rows of " + std::to_string(stride) + " bytes)");

    // Colours past the palette's end stay black; a pixel that uses one is refused below.
    WbPalette palette{};
    for (uint32_t i = 0; i < colours; ++i) {
        const size_t at = kInfoHeaderBytes + size_t(i) * kPaletteEntryBytes;
        palette[i] = WbRGB{bytes[at + 2], bytes[at + 1], bytes[at]};
    }
    auto image = std::make_unique<WbBitImage>(width, height);
    image->SetPalette(palette);
    for (int32_t y = 0; y < height; ++y) {
        const size_t row = pixelOffset + size_t(height - 1 - y) * stride;
        for (int32_t x = 0; x < width; ++x) {
            const uint8_t index = bytes[row + size_t(x)];
            if (index >= colours)
                return Result::Failure(name + "pixel " + std::to_string(x) + "," + std::to_string(y) + " uses colour " +
                                       std::to_string(index) + ", the palette has " + std::to_string(colours));
            image->SetPixel(x, y, index);
        }
    }
    return Result(std::move(image));
}

// The zlib-only PNG writer of the Windows build against libpng: the same bytes for every shape of image, so
// that pictures and dialog drawings do not depend on the build that made them.
#include "WbZlibPng.h"
#include "WbPngWriter.h"

#include <gtest/gtest.h>

#include <random>

namespace {

WbBitImage Picture(int width, int height, bool noisy)
{
    WbBitImage image(width, height);
    WbPalette palette;
    for (size_t i = 0; i < palette.size(); ++i)
        palette[i] = {uint8_t(i), uint8_t(255 - i), uint8_t(i * 7)};
    image.SetPalette(palette);
    std::mt19937 random(uint32_t(width * 1000 + height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.SetPixel(x, y, noisy ? uint8_t(random()) : uint8_t((x / 8 + y / 5) % 12));
    return image;
}

TEST(WbZlibPng, WritesTheBytesLibpngWrites)
{
    // Sizes on both sides of libpng's narrowed windows (up to 16384 bytes of rows) and of its 8192-byte
    // chunks, flat pictures and noise that deflate cannot shrink.
    const struct {
        int width, height;
    } sizes[] = {{1, 1}, {7, 3}, {31, 8}, {64, 64}, {127, 128}, {128, 127}, {200, 81}, {320, 240}, {640, 480}};
    for (const auto& size : sizes)
        for (bool noisy : {false, true}) {
            SCOPED_TRACE(std::to_string(size.width) + " x " + std::to_string(size.height) + (noisy ? " noise" : ""));
            const WbBitImage image = Picture(size.width, size.height, noisy);
            std::vector<uint8_t> libpng, zlib;
            ASSERT_TRUE(WbEncodePng(image, libpng));
            ASSERT_TRUE(WbEncodeZlibPng(image, zlib));
            EXPECT_TRUE(zlib == libpng);
        }
}

TEST(WbZlibPng, RefusesAnEmptyImage)
{
    std::vector<uint8_t> bytes;
    EXPECT_FALSE(WbEncodeZlibPng(WbBitImage(0, 5), bytes));
}

} // namespace

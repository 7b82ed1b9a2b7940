// Bitmaps as the host reads them: 8-bit, uncompressed, bottom-up rows with their palette, read into images;
// damaged bitmaps are refused with the field and its limit.
#include "WbBitmapReader.h"
#include "TheaterResourceFixtures.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A 3 x 2 bitmap with four colours:
std::vector<uint8_t> SmallBitmapFixture()
{
    return RecordBuilder()
        .Ints({40, 3, 2})                              // 0: header size, width, height (bottom row first)
        .Ints({1 | 8 << 16})                           // 12: planes, bits per pixel
        .Ints({0, 8, 2835, 2835})                      // 16: compression, image size, resolution
        .Ints({4, 0})                                  // 32: colours used, colours important
        .Ints({0x00FFFFFF, 0x00FF0000, 0x0000FF00, 0}) // 40: white, red, green, black (blue, green, red, 0)
        .Bytes({3, 3, 3, 0})                           // 56: bottom row: black, black, black, padding
        .Bytes({0, 1, 2, 0})                           // 60: top row: white, red, green, padding
        .Build();
}

TEST(BitmapReader, ReadsRowsTopFirstWithTheirPaletteAndRefusesDamagedOnes)
{
    const std::vector<uint8_t> good = SmallBitmapFixture();
    WbParsed<std::unique_ptr<WbBitImage>> image = WbReadBitmap(good, 7);
    ASSERT_TRUE(image) << image.GetError();
    EXPECT_EQ((*image)->GetPixels(), (std::vector<uint8_t>{0, 1, 2, 3, 3, 3}));
    EXPECT_EQ((*image)->GetPalette()[1], (WbRGB{255, 0, 0}));
    EXPECT_EQ((*image)->GetPalette()[2], (WbRGB{0, 255, 0}));
    EXPECT_TRUE(WbReadBitmap(Extended(good, {0, 0}), 7)) << "bytes after the rows are allowed";

    // Damaged bitmaps are refused with the field and its limit.
    ExpectRefused(
        {
            {"shorter than the header", Truncated(good, 39),
             "bitmap 7: 39 bytes, expected at least the 40-byte header"},
            {"old header", Patched(good, 0, {12}), "bitmap 7: header size 12, expected 40"},
            {"no width", Patched(good, 4, {0}), "bitmap 7: width 0, expected 1 to 8192"},
            {"huge width", Patched(good, 4, {0x01, 0x20}), "bitmap 7: width 8193, expected 1 to 8192"},
            {"rows top first", Patched(good, 8, {0xFE, 0xFF, 0xFF, 0xFF}),
             "bitmap 7: height -2 (rows top first), expected bottom-up rows"},
            {"no height", Patched(good, 8, {0}), "bitmap 7: height 0, expected 1 to 8192"},
            {"two planes", Patched(good, 12, {2}), "bitmap 7: 2 planes, expected 1"},
            {"four bits", Patched(good, 14, {4}), "bitmap 7: 4 bits per pixel, expected 8"},
            {"run-length coded", Patched(good, 16, {1}), "bitmap 7: compression 1, expected 0 (none)"},
            {"too many colours", Patched(good, 32, {0x01, 0x01}), "bitmap 7: 257 colours used, expected at most 256"},
            {"last row cut", Truncated(good, 63),
             "bitmap 7: 63 bytes, expected at least 64 (header, 4 colours, 2 rows of 4 bytes)"},
            {"full palette assumed", Patched(good, 32, {0}),
             "bitmap 7: 64 bytes, expected at least 1072 (header, 256 colours, 2 rows of 4 bytes)"},
            {"colour past the palette", Patched(good, 61, {4}), "bitmap 7: pixel 1,0 uses colour 4, the palette has 4"},
        },
        [](auto bytes) { return WbReadBitmap(bytes, 7); });
}

} // namespace

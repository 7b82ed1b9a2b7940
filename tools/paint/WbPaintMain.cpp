// Writes the module's bitmaps as .bmp files for the resource compiler: wbpaint OUTPUT_DIR.
#include "WbPaintPalettes.h"
#include "WbTheaterPictures.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kFileHeaderBytes = 14;
constexpr uint32_t kInfoHeaderBytes = 40;
constexpr uint32_t kPaletteBytes = 256 * 4;
// Bitmap 100 carries two bytes after its pixel rows, so that its resource is 4706 bytes; the resource
// compiler keeps everything after the file header, so the bytes go at the end of the file.
constexpr uint32_t kIconTrailingBytes = 2;

void Put16(std::vector<uint8_t>& out, uint32_t value)
{
    out.push_back(uint8_t(value));
    out.push_back(uint8_t(value >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t value)
{
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

// A Windows bitmap file: 8 bits per pixel, uncompressed, rows bottom first and padded to 4 bytes.
std::vector<uint8_t> EncodeBitmap(const WbCanvas& canvas, const WbColourTable& palette, uint32_t trailingBytes)
{
    const uint32_t width = uint32_t(canvas.Width());
    const uint32_t height = uint32_t(canvas.Height());
    const uint32_t stride = (width + 3) & ~3u;
    const uint32_t pixelBytes = stride * height;
    const uint32_t pixelOffset = kFileHeaderBytes + kInfoHeaderBytes + kPaletteBytes;
    const uint32_t fileBytes = pixelOffset + pixelBytes + trailingBytes;

    std::vector<uint8_t> out;
    out.reserve(fileBytes);
    out.push_back('B');
    out.push_back('M');
    Put32(out, fileBytes);
    Put32(out, 0);
    Put32(out, pixelOffset);

    Put32(out, kInfoHeaderBytes);
    Put32(out, width);
    Put32(out, height); // positive: bottom-up
    Put16(out, 1);      // planes
    Put16(out, 8);      // bits per pixel
    Put32(out, 0);      // no compression
    Put32(out, pixelBytes);
    Put32(out, 2835); // 72 dots per inch, in dots per metre
    Put32(out, 2835);
    Put32(out, 256); // colours used
    Put32(out, 0);   // all colours important

    for (const WbColour& colour : palette) {
        out.push_back(colour.blue);
        out.push_back(colour.green);
        out.push_back(colour.red);
        out.push_back(0);
    }
    for (uint32_t row = height; row-- > 0;) {
        for (uint32_t x = 0; x < width; ++x)
            out.push_back(canvas.At(int(x), int(row)));
        out.insert(out.end(), stride - width, 0);
    }
    out.insert(out.end(), trailingBytes, 0);
    return out;
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    // Written under a temporary name and renamed, so that an interrupted build leaves no partial bitmap.
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        if (!out) {
            std::cerr << temporary << ": cannot write\n";
            return false;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::cerr << path << ": cannot rename from " << temporary << "\n";
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: wbpaint OUTPUT_DIR\n";
        return 2;
    }
    const std::string dir = argv[1];
    const WbColourTable theater = WbPaint::TheaterPalette();
    bool ok = WriteFile(dir + "/Theater100.bmp",
                        EncodeBitmap(WbPaint::PaintIcons(), WbPaint::IconPalette(), kIconTrailingBytes));
    ok = ok && WriteFile(dir + "/Theater1000.bmp", EncodeBitmap(WbPaint::PaintTheaterViews(), theater, 0));
    ok = ok && WriteFile(dir + "/Theater1001.bmp", EncodeBitmap(WbPaint::PaintOutViews(1, 232), theater, 0));
    ok = ok && WriteFile(dir + "/Theater1002.bmp", EncodeBitmap(WbPaint::PaintOutViews(2, 248), theater, 0));
    ok = ok && WriteFile(dir + "/Theater1003.bmp", EncodeBitmap(WbPaint::PaintOutViews(3, 248), theater, 0));
    return ok ? 0 : 1;
}

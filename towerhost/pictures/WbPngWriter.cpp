// Writes host images through libpng. libpng reports errors by longjmp, so the frame that calls it holds
// plain data only and the rows are prepared before it. Builds without libpng write the same bytes through
// zlib (WbZlibPng).
#include "WbPngWriter.h"

#include <fstream>

#if defined(THEATER_PNG_THROUGH_ZLIB)

#include "WbZlibPng.h"

bool WbEncodePng(const WbBitImage& image, std::vector<uint8_t>& png) { return WbEncodeZlibPng(image, png); }

#else

#include <png.h>

#include <csetjmp>

namespace {

struct PngSink {
    std::vector<uint8_t>* bytes;
};

void SinkWrite(png_structp png, png_bytep data, png_size_t length)
{
    auto* sink = static_cast<PngSink*>(png_get_io_ptr(png));
    sink->bytes->insert(sink->bytes->end(), data, data + length);
}

void SinkFlush(png_structp) {}

bool Encode(PngSink* sink, png_uint_32 width, png_uint_32 height, const png_color* palette, png_bytepp rows)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, sink, SinkWrite, SinkFlush);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_set_PLTE(png, info, palette, 256);
    png_set_rows(png, info, rows);
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

bool WbEncodePng(const WbBitImage& image, std::vector<uint8_t>& png)
{
    if (image.GetWidth() <= 0 || image.GetHeight() <= 0)
        return false;
    png_color palette[256];
    for (size_t i = 0; i < 256; ++i)
        palette[i] = {image.GetPalette()[i].red, image.GetPalette()[i].green, image.GetPalette()[i].blue};
    std::vector<uint8_t> pixels = image.GetPixels();
    std::vector<png_bytep> rows(size_t(image.GetHeight()));
    for (size_t y = 0; y < rows.size(); ++y)
        rows[y] = pixels.data() + y * size_t(image.GetWidth());
    png.clear();
    PngSink sink{&png};
    return Encode(&sink, png_uint_32(image.GetWidth()), png_uint_32(image.GetHeight()), palette, rows.data());
}

#endif

std::string WbWritePng(const std::string& path, const WbBitImage& image)
{
    std::vector<uint8_t> bytes;
    if (!WbEncodePng(image, bytes))
        return path + ": could not encode a " + std::to_string(image.GetWidth()) + " x " +
               std::to_string(image.GetHeight()) + " image";
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!file)
        return path + ": cannot write";
    return {};
}

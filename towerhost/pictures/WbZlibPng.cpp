// Writes palette PNGs the way libpng 1.6 does: rows unfiltered (libpng's choice for palette images), one
// deflate stream with libpng's window and strategy, cut into IDAT chunks of libpng's 8192-byte buffer, and
// the stream header rewritten for the smallest window, as libpng rewrites it.
#include "WbZlibPng.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <string_view>

namespace {

constexpr size_t kChunkBytes = 8192;
// Up to this many bytes of image data, libpng narrows the deflate window to the data.
constexpr size_t kNarrowWindowBytes = 16384;
// deflate looks this far past the window.
constexpr size_t kLookAhead = 262;

void PutU32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(uint8_t(value >> shift));
}

void PutChunk(std::vector<uint8_t>& out, std::string_view type, const uint8_t* data, size_t size)
{
    PutU32(out, uint32_t(size));
    const size_t start = out.size();
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), data, data + size);
    PutU32(out, uint32_t(crc32(0, out.data() + start, uInt(out.size() - start))));
}

// The window libpng asks deflate for: halved while the data and the look-ahead fit in half of it.
int WindowBits(size_t dataBytes)
{
    int bits = 15;
    if (dataBytes <= kNarrowWindowBytes)
        for (size_t half = size_t(1) << (bits - 1); dataBytes + kLookAhead <= half; half >>= 1)
            --bits;
    return bits == 8 ? 9 : bits;
}

// libpng's rewrite of the stream header: the window the data needs, with the check bits made anew.
void NarrowHeader(uint8_t* header, size_t dataBytes)
{
    const unsigned method = header[0] & 0x0F;
    unsigned info = header[0] >> 4;
    if (dataBytes > kNarrowWindowBytes || method != 8 || info > 7)
        return;
    unsigned half = 1u << (info + 7);
    if (dataBytes > half)
        return;
    do {
        half >>= 1;
        --info;
    } while (info > 0 && dataBytes <= half);
    header[0] = uint8_t(method | (info << 4));
    unsigned flags = header[1] & 0xE0u;
    flags += 0x1F - ((unsigned(header[0]) << 8) + flags) % 0x1F;
    header[1] = uint8_t(flags);
}

// Deflates the rows, each with its filter byte, into IDAT chunks.
class IdatWriter final {
public:
    IdatWriter(std::vector<uint8_t>& out, size_t dataBytes) : mOut(out), mDataBytes(dataBytes)
    {
        mReady = deflateInit2(&mStream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, WindowBits(dataBytes), 8,
                              Z_DEFAULT_STRATEGY) == Z_OK;
        mStream.next_out = mBuffer.data();
        mStream.avail_out = uInt(mBuffer.size());
    }
    IdatWriter(const IdatWriter&) = delete;
    IdatWriter& operator=(const IdatWriter&) = delete;
    ~IdatWriter()
    {
        if (mReady)
            deflateEnd(&mStream);
    }

    bool Add(const uint8_t* bytes, size_t size)
    {
        mStream.next_in = const_cast<Bytef*>(bytes);
        mStream.avail_in = uInt(size);
        while (mReady && mStream.avail_in > 0) {
            mReady = deflate(&mStream, Z_NO_FLUSH) == Z_OK;
            if (mStream.avail_out == 0)
                Emit(mBuffer.size());
        }
        return mReady;
    }

    bool Finish()
    {
        while (mReady) {
            const int result = deflate(&mStream, Z_FINISH);
            if (result == Z_STREAM_END) {
                Emit(mBuffer.size() - mStream.avail_out);
                return true;
            }
            mReady = result == Z_OK && mStream.avail_out == 0;
            if (mReady)
                Emit(mBuffer.size());
        }
        return false;
    }

private:
    void Emit(size_t size)
    {
        if (mFirst)
            NarrowHeader(mBuffer.data(), mDataBytes);
        mFirst = false;
        PutChunk(mOut, "IDAT", mBuffer.data(), size);
        mStream.next_out = mBuffer.data();
        mStream.avail_out = uInt(mBuffer.size());
    }

    std::vector<uint8_t>& mOut;
    const size_t mDataBytes;
    z_stream mStream{};
    std::array<uint8_t, kChunkBytes> mBuffer{};
    bool mReady = false;
    bool mFirst = true;
};

} // namespace

bool WbEncodeZlibPng(const WbBitImage& image, std::vector<uint8_t>& png)
{
    if (image.GetWidth() <= 0 || image.GetHeight() <= 0)
        return false;
    const size_t width = size_t(image.GetWidth());
    const size_t height = size_t(image.GetHeight());
    png.assign({0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'});

    std::vector<uint8_t> header;
    PutU32(header, uint32_t(width));
    PutU32(header, uint32_t(height));
    // 8 bits per index, palette colour, deflate, adaptive filtering, no interlace.
    header.insert(header.end(), {8, 3, 0, 0, 0});
    PutChunk(png, "IHDR", header.data(), header.size());

    std::vector<uint8_t> palette;
    for (size_t i = 0; i < 256; ++i)
        palette.insert(palette.end(),
                       {image.GetPalette()[i].red, image.GetPalette()[i].green, image.GetPalette()[i].blue});
    PutChunk(png, "PLTE", palette.data(), palette.size());

    const std::vector<uint8_t> pixels = image.GetPixels();
    IdatWriter idat(png, height * (width + 1));
    std::vector<uint8_t> row(width + 1, 0);
    for (size_t y = 0; y < height; ++y) {
        std::copy_n(pixels.data() + y * width, width, row.begin() + 1);
        if (!idat.Add(row.data(), row.size()))
            return false;
    }
    if (!idat.Finish())
        return false;
    PutChunk(png, "IEND", nullptr, 0);
    return true;
}

// Drawing primitives of the picture generator: rectangles, lines, ellipses, blends and a tiny font.
#include "WbCanvas.h"

#include <algorithm>
#include <cstdlib>

namespace {

// 4 x 4 Bayer matrix: the threshold each pixel compares a blend's fraction against.
constexpr int kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

// 5 x 7 glyphs, one byte per row, bit 4 the leftmost column.
struct Glyph {
    char code;
    std::array<uint8_t, 7> rows;
};

constexpr Glyph kGlyphs[] = {
    {'A', {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}}, {'B', {0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E}},
    {'C', {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E}}, {'D', {0x1E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x1E}},
    {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}}, {'F', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}},
    {'G', {0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F}}, {'H', {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {'I', {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}}, {'J', {0x07, 0x02, 0x02, 0x02, 0x02, 0x12, 0x0C}},
    {'K', {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11}}, {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}},
    {'M', {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11}}, {'N', {0x11, 0x11, 0x19, 0x15, 0x13, 0x11, 0x11}},
    {'O', {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}}, {'P', {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}},
    {'Q', {0x0E, 0x11, 0x11, 0x11, 0x15, 0x12, 0x0D}}, {'R', {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}},
    {'S', {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}}, {'T', {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}},
    {'U', {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}}, {'V', {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04}},
    {'W', {0x11, 0x11, 0x11, 0x15, 0x15, 0x15, 0x0A}}, {'X', {0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11}},
    {'Y', {0x11, 0x11, 0x0A, 0x04, 0x04, 0x04, 0x04}}, {'Z', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x10, 0x1F}},
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}}, {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}}, {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}}, {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}}, {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}}, {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {'$', {0x04, 0x0F, 0x14, 0x0E, 0x05, 0x1E, 0x04}}, {':', {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00}},
    {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}}, {'-', {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00}},
    {'!', {0x04, 0x04, 0x04, 0x04, 0x04, 0x00, 0x04}}, {'*', {0x00, 0x04, 0x15, 0x0E, 0x15, 0x04, 0x00}},
};

const Glyph* FindGlyph(char code)
{
    for (const Glyph& glyph : kGlyphs)
        if (glyph.code == code)
            return &glyph;
    return nullptr;
}

constexpr int kGlyphAdvance = 6;

} // namespace

WbCanvas::WbCanvas(int width, int height, uint8_t background)
    : mWidth(width), mHeight(height), mPixels(size_t(width) * size_t(height), background)
{
}

void WbCanvas::Plot(int x, int y, uint8_t index)
{
    if (x >= 0 && y >= 0 && x < mWidth && y < mHeight)
        mPixels[size_t(y) * size_t(mWidth) + size_t(x)] = index;
}

void WbCanvas::Fill(int left, int top, int right, int bottom, uint8_t index)
{
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, mWidth);
    bottom = std::min(bottom, mHeight);
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            mPixels[size_t(y) * size_t(mWidth) + size_t(x)] = index;
}

void WbCanvas::Frame(int left, int top, int right, int bottom, uint8_t index)
{
    Fill(left, top, right, top + 1, index);
    Fill(left, bottom - 1, right, bottom, index);
    Fill(left, top, left + 1, bottom, index);
    Fill(right - 1, top, right, bottom, index);
}

void WbCanvas::Line(int x0, int y0, int x1, int y1, uint8_t index)
{
    const int dx = std::abs(x1 - x0);
    const int dy = -std::abs(y1 - y0);
    const int stepX = x0 < x1 ? 1 : -1;
    const int stepY = y0 < y1 ? 1 : -1;
    int error = dx + dy;
    for (;;) {
        Plot(x0, y0, index);
        if (x0 == x1 && y0 == y1)
            return;
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x0 += stepX;
        }
        if (twice <= dx) {
            error += dx;
            y0 += stepY;
        }
    }
}

void WbCanvas::FillEllipse(int left, int top, int right, int bottom, uint8_t index)
{
    // Pixel centres inside the ellipse inscribed in [left, right) x [top, bottom), in doubled
    // coordinates so that even and odd sizes stay symmetric.
    const int width = right - left;
    const int height = bottom - top;
    if (width <= 0 || height <= 0)
        return;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) {
            const long ex = 2 * (x - left) + 1 - width;
            const long ey = 2 * (y - top) + 1 - height;
            if (ex * ex * height * height + ey * ey * width * width <= long(width) * width * height * height)
                Plot(x, y, index);
        }
}

void WbCanvas::Checker(int left, int top, int right, int bottom, uint8_t index, int phase)
{
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            if (((x + y + phase) & 1) == 0)
                Plot(x, y, index);
}

void WbCanvas::VerticalBlend(int left, int top, int right, int bottom, uint8_t rampFirst, int fromShade, int toShade)
{
    const int rows = bottom - top;
    if (rows <= 0)
        return;
    for (int y = top; y < bottom; ++y) {
        // Position between the two shades in sixteenths of a shade step.
        const int span = rows > 1 ? rows - 1 : 1;
        const int sixteenths = fromShade * 16 + (toShade - fromShade) * 16 * (y - top) / span;
        const int shade = sixteenths / 16;
        const int fraction = sixteenths % 16;
        for (int x = left; x < right; ++x) {
            const int step = fraction > kBayer[y & 3][x & 3] ? 1 : 0;
            Plot(x, y, uint8_t(rampFirst + shade + step));
        }
    }
}

int WbCanvas::Text(int x, int y, std::string_view text, uint8_t index, int scale)
{
    int pen = x;
    for (char code : text) {
        if (const Glyph* glyph = FindGlyph(code))
            for (int row = 0; row < 7; ++row)
                for (int column = 0; column < 5; ++column)
                    if (glyph->rows[size_t(row)] & (0x10 >> column))
                        Fill(pen + column * scale, y + row * scale, pen + (column + 1) * scale, y + (row + 1) * scale,
                             index);
        pen += kGlyphAdvance * scale;
    }
    return pen - x - scale;
}

int WbCanvas::TextWidth(std::string_view text, int scale)
{
    return text.empty() ? 0 : int(text.size()) * kGlyphAdvance * scale - scale;
}

void WbCanvas::Blit(const WbCanvas& source, int x, int y, int transparent)
{
    for (int sy = 0; sy < source.Height(); ++sy)
        for (int sx = 0; sx < source.Width(); ++sx) {
            const uint8_t index = source.At(sx, sy);
            if (int(index) != transparent)
                Plot(x + sx, y + sy, index);
        }
}

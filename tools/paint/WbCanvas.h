// An 8-bit drawing surface with the few primitives the module's pictures are painted with.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

struct WbColour {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
};

// 256 colours; a picture's pixels are indices into it.
using WbColourTable = std::array<WbColour, 256>;

// Pixels top row first, one palette index each. Drawing outside the surface is clipped.
class WbCanvas final {
public:
    WbCanvas(int width, int height, uint8_t background);

    int Width() const { return mWidth; }
    int Height() const { return mHeight; }
    uint8_t At(int x, int y) const { return mPixels[size_t(y) * size_t(mWidth) + size_t(x)]; }
    const std::vector<uint8_t>& Pixels() const { return mPixels; }

    void Plot(int x, int y, uint8_t index);
    // Half-open rectangle [left, right) x [top, bottom).
    void Fill(int left, int top, int right, int bottom, uint8_t index);
    // A one-pixel outline just inside the rectangle.
    void Frame(int left, int top, int right, int bottom, uint8_t index);
    void Line(int x0, int y0, int x1, int y1, uint8_t index);
    void FillEllipse(int left, int top, int right, int bottom, uint8_t index);
    // Every second pixel in a checkerboard, for light haze and glass reflections.
    void Checker(int left, int top, int right, int bottom, uint8_t index, int phase = 0);
    // A vertical blend across the shades of a ramp (first index, count): top gets fromShade, bottom
    // toShade, with ordered dithering between neighbouring shades so that the bands do not show.
    void VerticalBlend(int left, int top, int right, int bottom, uint8_t rampFirst, int fromShade, int toShade);
    // Text in the built-in 5 x 7 capitals; returns the width drawn. scale doubles the pixels.
    int Text(int x, int y, std::string_view text, uint8_t index, int scale = 1);
    static int TextWidth(std::string_view text, int scale = 1);
    // Copies a rectangle of another canvas, skipping pixels of the transparent index.
    void Blit(const WbCanvas& source, int x, int y, int transparent);

private:
    int mWidth;
    int mHeight;
    std::vector<uint8_t> mPixels;
};

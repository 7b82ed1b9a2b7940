// The colours the module's pictures are painted in: the shared theater palette and the icons' own.
#pragma once

#include "WbCanvas.h"

#include <cstdint>

namespace WbPaint {

constexpr uint8_t kWhite = 0;
constexpr uint8_t kBlack = 255;

// Colour ramps of the theater palette, 16 shades each from darkest (0) to lightest (15).
enum class Ramp { Red, Gold, Wood, Navy, Sky, Green, Violet, Orange, Skin, Teal, Stone, Steel };
constexpr int kRampLength = 16;

uint8_t RampFirst(Ramp ramp);
// The index of one shade; shades outside 0 to 15 are held at the ends.
uint8_t Shade(Ramp ramp, int shade);
// The grey of the theater palette nearest to a brightness of 0 (black) to 255 (white).
uint8_t Grey(int brightness);

// White, light greys, twelve colour ramps, darker greys, black: bitmaps 1000 to 1003.
WbColourTable TheaterPalette();

// White, light greys, a 6 x 6 x 6 colour cube, darker greys, black: bitmap 100.
WbColourTable IconPalette();
// The icon palette's cube colour with each level 0 to 5.
uint8_t IconCube(int red, int green, int blue);
// The icon palette's grey nearest to a brightness.
uint8_t IconGrey(int brightness);

} // namespace WbPaint

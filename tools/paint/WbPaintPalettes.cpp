// The theater palette is built from ramps so that every surface can be shaded and blended; the icon
// palette is a plain colour cube, as small pictures need crisp colours rather than gradients.
#include "WbPaintPalettes.h"

#include <algorithm>
#include <cstdlib>

namespace WbPaint {
namespace {

// Theater palette layout: 0 white, 1 to 7 light greys, the ramps, 200 to 254 darker greys, 255 black.
constexpr int kLightGreyFirst = 1;
constexpr int kLightGreyCount = 7;
constexpr int kRampBase = 8;
constexpr int kRampCount = 12;
constexpr int kDarkGreyFirst = kRampBase + kRampCount * kRampLength;
constexpr int kDarkGreyCount = 255 - kDarkGreyFirst;
static_assert(kDarkGreyFirst == 200);

// Darkest, middle and lightest colour of each ramp, in the order of Ramp.
constexpr WbColour kRampAnchors[kRampCount][3] = {
    {{38, 0, 8}, {178, 22, 34}, {255, 178, 170}},     // Red: curtains, seats
    {{62, 36, 0}, {222, 162, 24}, {255, 250, 196}},   // Gold: lamps, fringes, lettering
    {{36, 18, 8}, {142, 86, 42}, {238, 204, 156}},    // Wood: stage, doors, floors
    {{6, 8, 30}, {32, 52, 132}, {156, 184, 242}},     // Navy: night, dark hall, screen glow
    {{22, 62, 112}, {92, 162, 222}, {228, 242, 255}}, // Sky: day sky, glass
    {{6, 32, 12}, {42, 132, 52}, {192, 242, 172}},    // Green: exit sign, plants
    {{26, 6, 42}, {112, 52, 152}, {222, 192, 246}},   // Violet: carpet, dusk sky
    {{62, 22, 0}, {236, 112, 22}, {255, 218, 162}},   // Orange: dusk, warm light
    {{72, 40, 26}, {202, 142, 102}, {255, 228, 204}}, // Skin: faces, hands
    {{0, 30, 36}, {22, 132, 142}, {172, 242, 236}},   // Teal: clothes, trim
    {{46, 40, 36}, {142, 130, 114}, {236, 230, 216}}, // Stone: facade
    {{26, 30, 40}, {102, 114, 132}, {216, 226, 242}}, // Steel: frames, metal
};

uint8_t Mix(uint8_t from, uint8_t to, int step, int steps)
{
    return uint8_t(from + (int(to) - int(from)) * step / steps);
}

WbColour Blend(const WbColour& from, const WbColour& to, int step, int steps)
{
    return {Mix(from.red, to.red, step, steps), Mix(from.green, to.green, step, steps),
            Mix(from.blue, to.blue, step, steps)};
}

int LightGreyValue(int k) { return 247 - 8 * k; }
int DarkGreyValue(int k) { return 188 - 188 * (k + 1) / (kDarkGreyCount + 1); }

constexpr int kIconLightGreys = 15;
constexpr int kIconCubeFirst = 1 + kIconLightGreys;
constexpr int kIconDarkGreyFirst = kIconCubeFirst + 216;
constexpr int kIconDarkGreys = 255 - kIconDarkGreyFirst;

int IconLightGreyValue(int k) { return 250 - 5 * k; }
int IconDarkGreyValue(int k) { return 170 - 170 * (k + 1) / (kIconDarkGreys + 1); }

// The grey of a palette nearest to a brightness: white, its light greys, its dark greys or black.
uint8_t NearestGrey(int brightness, int lightFirst, int lightCount, int (*lightValue)(int), int darkFirst,
                    int darkCount, int (*darkValue)(int))
{
    int best = kWhite;
    int bestDistance = std::abs(255 - brightness);
    auto consider = [&](int index, int value) {
        if (std::abs(value - brightness) < bestDistance) {
            best = index;
            bestDistance = std::abs(value - brightness);
        }
    };
    for (int k = 0; k < lightCount; ++k)
        consider(lightFirst + k, lightValue(k));
    for (int k = 0; k < darkCount; ++k)
        consider(darkFirst + k, darkValue(k));
    consider(kBlack, 0);
    return uint8_t(best);
}

} // namespace

uint8_t RampFirst(Ramp ramp) { return uint8_t(kRampBase + int(ramp) * kRampLength); }

uint8_t Shade(Ramp ramp, int shade) { return uint8_t(RampFirst(ramp) + std::clamp(shade, 0, kRampLength - 1)); }

uint8_t Grey(int brightness)
{
    return NearestGrey(brightness, kLightGreyFirst, kLightGreyCount, LightGreyValue, kDarkGreyFirst, kDarkGreyCount,
                       DarkGreyValue);
}

WbColourTable TheaterPalette()
{
    WbColourTable table{};
    table[kWhite] = {255, 255, 255};
    for (int k = 0; k < kLightGreyCount; ++k) {
        const uint8_t value = uint8_t(LightGreyValue(k));
        table[size_t(kLightGreyFirst + k)] = {value, value, value};
    }
    for (int ramp = 0; ramp < kRampCount; ++ramp) {
        const WbColour* anchors = kRampAnchors[ramp];
        for (int shade = 0; shade < kRampLength; ++shade) {
            const WbColour colour = shade < 8 ? Blend(anchors[0], anchors[1], shade, 8)
                                              : Blend(anchors[1], anchors[2], shade - 8, kRampLength - 1 - 8);
            table[size_t(kRampBase + ramp * kRampLength + shade)] = colour;
        }
    }
    for (int k = 0; k < kDarkGreyCount; ++k) {
        const uint8_t value = uint8_t(DarkGreyValue(k));
        table[size_t(kDarkGreyFirst + k)] = {value, value, value};
    }
    table[kBlack] = {0, 0, 0};
    return table;
}

WbColourTable IconPalette()
{
    WbColourTable table{};
    table[kWhite] = {255, 255, 255};
    for (int k = 0; k < kIconLightGreys; ++k) {
        const uint8_t value = uint8_t(IconLightGreyValue(k));
        table[size_t(1 + k)] = {value, value, value};
    }
    for (int red = 0; red < 6; ++red)
        for (int green = 0; green < 6; ++green)
            for (int blue = 0; blue < 6; ++blue)
                table[IconCube(red, green, blue)] = {uint8_t(red * 51), uint8_t(green * 51), uint8_t(blue * 51)};
    for (int k = 0; k < kIconDarkGreys; ++k) {
        const uint8_t value = uint8_t(IconDarkGreyValue(k));
        table[size_t(kIconDarkGreyFirst + k)] = {value, value, value};
    }
    table[kBlack] = {0, 0, 0};
    return table;
}

uint8_t IconCube(int red, int green, int blue)
{
    return uint8_t(kIconCubeFirst + (std::clamp(red, 0, 5) * 6 + std::clamp(green, 0, 5)) * 6 + std::clamp(blue, 0, 5));
}

uint8_t IconGrey(int brightness)
{
    return NearestGrey(brightness, 1, kIconLightGreys, IconLightGreyValue, kIconDarkGreyFirst, kIconDarkGreys,
                       IconDarkGreyValue);
}

} // namespace WbPaint

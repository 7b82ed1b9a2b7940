// Pictures of the host: 8-bit images in the standard palette, image objects with named parts, and the
// conversion from tower units to pixels.
#include "WbImage.h"

#include <algorithm>
#include <cstddef>

namespace {

// Layout of the standard palette: white first, then light greys, a 6 x 6 x 6 colour cube, darker
// greys, and black last.
constexpr int kLightGreyFirst = 1;
constexpr int kLightGreyCount = 10;
constexpr int kCubeFirst = kLightGreyFirst + kLightGreyCount;
constexpr int kCubeLevels = 6;
constexpr int kDarkGreyFirst = kCubeFirst + kCubeLevels * kCubeLevels * kCubeLevels;
constexpr int kDarkGreyCount = 255 - kDarkGreyFirst;

WbPalette MakeStandardPalette()
{
    WbPalette palette{};
    palette[0] = {255, 255, 255};
    for (int i = 0; i < kLightGreyCount; ++i) {
        const auto level = uint8_t(250 - 6 * i);
        palette[size_t(kLightGreyFirst + i)] = {level, level, level};
    }
    for (int r = 0; r < kCubeLevels; ++r)
        for (int g = 0; g < kCubeLevels; ++g)
            for (int b = 0; b < kCubeLevels; ++b)
                palette[size_t(kCubeFirst + (r * kCubeLevels + g) * kCubeLevels + b)] = {
                    uint8_t(51 * r), uint8_t(51 * g), uint8_t(51 * b)};
    for (int i = 0; i < kDarkGreyCount; ++i) {
        const auto level = uint8_t(180 - 180 * (i + 1) / (kDarkGreyCount + 1));
        palette[size_t(kDarkGreyFirst + i)] = {level, level, level};
    }
    palette[255] = {0, 0, 0};
    return palette;
}

int ColourDistance(const WbRGB& a, const WbRGB& b)
{
    const int dr = int(a.red) - int(b.red);
    const int dg = int(a.green) - int(b.green);
    const int db = int(a.blue) - int(b.blue);
    return dr * dr + dg * dg + db * db;
}

// The target index whose colour is nearest; the lowest such index on a tie, so white maps to 0 and
// black to the first black of the target.
uint8_t NearestIndex(const WbPalette& target, const WbRGB& colour)
{
    int best = 0;
    int bestDistance = ColourDistance(target[0], colour);
    for (int i = 1; i < 256 && bestDistance != 0; ++i) {
        const int distance = ColourDistance(target[size_t(i)], colour);
        if (distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return uint8_t(best);
}

} // namespace

WbBitImage::WbBitImage(int width, int height)
    : mWidth(std::max(width, 0)), mHeight(std::max(height, 0)), mPixels(size_t(mWidth) * size_t(mHeight), 0),
      mPalette(StandardPalette())
{
}

WbBitImage::WbBitImage(const RECT& rect) : WbBitImage(rect.right - rect.left, rect.bottom - rect.top) {}

void WbBitImage::Fill(uint8_t index) { std::fill(mPixels.begin(), mPixels.end(), index); }

void WbBitImage::FillRect(const RECT& rect, uint8_t index)
{
    const int left = std::max(rect.left, 0);
    const int top = std::max(rect.top, 0);
    const int right = std::min(rect.right, mWidth);
    const int bottom = std::min(rect.bottom, mHeight);
    for (int y = top; y < bottom; ++y)
        std::fill_n(mPixels.begin() + std::ptrdiff_t(size_t(y) * size_t(mWidth) + size_t(left)),
                    std::max(right - left, 0), index);
}

const WbPalette& WbBitImage::StandardPalette()
{
    static const WbPalette palette = MakeStandardPalette();
    return palette;
}

WbImageObj::WbImageObj() = default;

WbImageObj::~WbImageObj()
{
    for (WbBitImage* image : mOwned)
        delete image;
}

int WbImageObj::FindObject(uint32_t id, int32_t pattern, int32_t, int32_t, int32_t) const
{
    for (size_t i = 0; i < mParts.size(); ++i)
        if (mParts[i].id == id && (pattern == -1 || mParts[i].pattern == pattern))
            return int(i);
    return -1;
}

RECT WbImageObj::GetObjectImage(int index) const
{
    if (index < 0 || index >= GetPartCount())
        return RECT{};
    return mParts[size_t(index)].rect;
}

int WbImageObj::AddObject(const char* name, uint32_t id, const WbBitImage* image, const RECT& rect, int32_t pattern,
                          int32_t)
{
    WbImagePart part;
    part.name = name ? name : "";
    part.id = id;
    part.pattern = pattern;
    part.rect = rect;
    part.image = image;
    return AddPart(part);
}

const WbBitImage* WbImageObj::AdoptImage(WbBitImage* image)
{
    mOwned.push_back(image);
    return image;
}

int WbImageObj::AddPart(const WbImagePart& part)
{
    mParts.push_back(part);
    return int(mParts.size()) - 1;
}

// The colour map from the last source palette to the last target palette is kept, so drawing many
// parts between the same two palettes (the usual case: both standard) maps each colour once.
const std::array<uint8_t, 256>& WbImageObj::MapPalette(const WbPalette& source, const WbPalette& target) const
{
    if (!mMapValid || mMapSource != source || mMapTarget != target) {
        mMapSource = source;
        mMapTarget = target;
        for (size_t i = 0; i < 256; ++i)
            mMap[i] = source[i] == target[i] ? uint8_t(i) : NearestIndex(target, source[i]);
        mMapValid = true;
    }
    return mMap;
}

void WbImageObj::DrawObject(WbBitImage* target, int index, const RECT& dest, int, int transparent) const
{
    if (!target || index < 0 || index >= GetPartCount())
        return;
    const WbImagePart& part = mParts[size_t(index)];
    const WbBitImage* source = part.image;
    const int sourceWidth = part.rect.right - part.rect.left;
    const int sourceHeight = part.rect.bottom - part.rect.top;
    const int destWidth = dest.right - dest.left;
    const int destHeight = dest.bottom - dest.top;
    if (!source || sourceWidth <= 0 || sourceHeight <= 0 || destWidth <= 0 || destHeight <= 0)
        return;
    const std::array<uint8_t, 256>& map = MapPalette(source->GetPalette(), target->GetPalette());

    const int top = std::max(dest.top, 0);
    const int bottom = std::min(dest.bottom, target->GetHeight());
    const int left = std::max(dest.left, 0);
    const int right = std::min(dest.right, target->GetWidth());
    for (int y = top; y < bottom; ++y) {
        // Nearest neighbour: the source row whose span contains the destination row's top edge.
        const int sourceY = part.rect.top + int(int64_t(y - dest.top) * sourceHeight / destHeight);
        if (sourceY < 0 || sourceY >= source->GetHeight())
            continue;
        for (int x = left; x < right; ++x) {
            const int sourceX = part.rect.left + int(int64_t(x - dest.left) * sourceWidth / destWidth);
            if (sourceX < 0 || sourceX >= source->GetWidth())
                continue;
            const uint8_t pixel = source->GetPixel(sourceX, sourceY);
            if (transparent >= 0 && pixel == transparent)
                continue;
            target->SetPixel(x, y, map[pixel]);
        }
    }
}

void UWbCoordinate::UnitToQD(RECT& rect, int zoom, int)
{
    const int shift = std::clamp(zoom, 0, 3);
    rect.left = rect.left * kUnitWidth >> shift;
    rect.right = rect.right * kUnitWidth >> shift;
    rect.top = rect.top * kUnitHeight >> shift;
    rect.bottom = rect.bottom * kUnitHeight >> shift;
}

// Pictures: 8-bit images with a palette, image objects that name parts of them, and unit conversion.
#pragma once

#include "WbDll.h"
#include "WbWin32.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct WbRGB {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    friend bool operator==(const WbRGB&, const WbRGB&) = default;
};
using WbPalette = std::array<WbRGB, 256>;

// An 8-bit pixel image, top row first, with its palette. A new image is white (index 0 of the
// host's standard palette).
class WBDLL_API WbBitImage {
public:
    WbBitImage(int width, int height);
    // An image the size of the rectangle.
    explicit WbBitImage(const RECT& rect);

    int GetWidth() const { return mWidth; }
    int GetHeight() const { return mHeight; }
    uint8_t GetPixel(int x, int y) const { return mPixels[size_t(y) * size_t(mWidth) + size_t(x)]; }
    void SetPixel(int x, int y, uint8_t index) { mPixels[size_t(y) * size_t(mWidth) + size_t(x)] = index; }
    void Fill(uint8_t index);
    void FillRect(const RECT& rect, uint8_t index);
    const std::vector<uint8_t>& GetPixels() const { return mPixels; }
    std::vector<uint8_t>& GetPixels() { return mPixels; }
    const WbPalette& GetPalette() const { return mPalette; }
    void SetPalette(const WbPalette& palette) { mPalette = palette; }

    // The host's standard palette: white, light greys, a colour cube, darker greys, black last.
    static const WbPalette& StandardPalette();

private:
    int mWidth;
    int mHeight;
    std::vector<uint8_t> mPixels;
    WbPalette mPalette;
};

// One named part of an image: an object ID, a pattern number and a rectangle of its image.
struct WbImagePart {
    std::string name;
    uint32_t id = 0;
    int32_t pattern = 0;
    RECT rect;
    bool halftone = false;
    const WbBitImage* image = nullptr;
};

// A set of image parts found by object ID and pattern. Images added by the host's readers are owned;
// images given to AddObject are borrowed.
class WBDLL_API WbImageObj {
public:
    WbImageObj();
    WbImageObj(const WbImageObj&) = delete;
    WbImageObj& operator=(const WbImageObj&) = delete;
    ~WbImageObj();

    // Index of the first part with this object ID and pattern (pattern -1 matches any), or -1. The
    // last three arguments select variations of a part in the full host; this host has none.
    int FindObject(uint32_t id, int32_t pattern, int32_t variation, int32_t flags, int32_t alpha) const;
    // Rectangle of the part in its image; an empty rectangle for an index that names no part.
    RECT GetObjectImage(int index) const;
    // Adds a part over a borrowed image and returns its index.
    int AddObject(const char* name, uint32_t id, const WbBitImage* image, const RECT& rect, int32_t pattern,
                  int32_t flags);
    // Draws the part scaled into dest of the target, clipped to the target. Palette indices are mapped
    // to the target's palette by colour; a transparent index of 0 or more is skipped, -1 draws every
    // pixel. An index that names no part draws nothing.
    void DrawObject(WbBitImage* target, int index, const RECT& dest, int zoom, int transparent) const;

    // Host side.
    int GetPartCount() const { return int(mParts.size()); }
    const WbImagePart& GetPart(int index) const { return mParts[size_t(index)]; }
    // Takes ownership of an image and returns it, for parts added with AddPart.
    const WbBitImage* AdoptImage(WbBitImage* image);
    int AddPart(const WbImagePart& part);

private:
    const std::array<uint8_t, 256>& MapPalette(const WbPalette& source, const WbPalette& target) const;

    std::vector<WbImagePart> mParts;
    std::vector<WbBitImage*> mOwned;
    mutable bool mMapValid = false;
    mutable WbPalette mMapSource{};
    mutable WbPalette mMapTarget{};
    mutable std::array<uint8_t, 256> mMap{};
};

// Conversion between tower units (8 pixels wide, 32 pixels tall at zoom 0) and screen pixels.
class WBDLL_API UWbCoordinate {
public:
    static constexpr int kUnitWidth = 8;
    static constexpr int kUnitHeight = 32;
    // Converts a rectangle in units to pixels; each zoom level halves the size. The last argument
    // selects an origin in the full host; this host draws from the tower's origin.
    static void UnitToQD(RECT& rect, int zoom, int origin);
};

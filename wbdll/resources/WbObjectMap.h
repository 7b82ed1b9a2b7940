// Object maps (resource OBJMAP): the named parts of a bitmap with their object IDs, patterns and rectangles.
//
// Text in CR LF lines, fields separated by tabs (a run of tabs is one separator):
//   DefParts <tab> Name <tab> object name
//   <tab><tab> ID <tab> object ID                   (optional)
//   <tab><tab> Pattern <tab> pattern number           (optional; decimal, leading zeros allowed)
//   <tab><tab> List <tab> Rect left,top,right,bottom[ Halftone]
//   (empty line)
// and a closing line "End".
#pragma once

#include "WbDll.h"
#include "WbImage.h"
#include "WbParsed.h"
#include "WbWin32.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

struct WbObjectMapPart {
    std::string name;
    std::optional<uint32_t> id;
    std::optional<int32_t> pattern;
    RECT rect;
    bool halftone = false;
    int line = 0; // of the part's DefParts line, for messages
};

// The parts in map order. Refuses, naming the map and the line: a line without CR LF, an unknown keyword,
// a part without its Rect or with a field twice, a number that is not decimal or does not fit, an empty
// rectangle, a part not closed by an empty line, a missing "End" and anything after it.
WBDLL_API WbParsed<std::vector<WbObjectMapPart>> WbParseObjectMap(std::span<const uint8_t> bytes, uint32_t id);

// Adds the parts of a map over its bitmap to the image object (a missing ID or pattern becomes 0). A part
// must begin inside the bitmap; what reaches past the bitmap's right or bottom edge is not drawn (bitmap
// 1001 is narrower than its map's rectangles). The image object takes the bitmap; on failure it is
// unchanged and the bitmap is freed.
WBDLL_API WbParsed<int> WbAddObjectMap(WbImageObj& images, const std::vector<WbObjectMapPart>& parts,
                                       std::unique_ptr<WbBitImage> bitmap, uint32_t id);

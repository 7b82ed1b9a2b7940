// The module's pictures: the theater in the tower, its outside views and its tool icons.
#pragma once

#include "WbCanvas.h"

namespace WbPaint {

// Where the plug-in composes a running film's screen picture into the "View" frame of pattern 303:
// its lower-left corner lies 14 pixels right of the frame's left edge and 22 pixels above its bottom.
constexpr int kViewWidth = 248;
constexpr int kViewHeight = 96;
constexpr int kFilmLeft = 14;
constexpr int kFilmBottom = kViewHeight - 22;

// Bitmap 1000: the four 248 x 96 "View" frames stacked: closed, entry, entry half full, film running.
WbCanvas PaintTheaterViews();
// Bitmaps 1001 to 1003: three 108-row "OutView" frames (closed, open, showing) of the theater's
// front; set 1 by day, set 2 at dusk, set 3 at night.
WbCanvas PaintOutViews(int set, int width);
// Bitmap 100: five 26 x 26 icons stacked: the category in three states, the theater tool in two.
WbCanvas PaintIcons();

} // namespace WbPaint

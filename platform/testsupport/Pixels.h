// The pixels of bitmaps as tests look at them: colours near enough, counts,
// regions and rows written as text.
#pragma once

#include <ostream>
#include <string>

#include "gfx/Bitmap.h"
#include "gfx/Region.h"

namespace menvaro {

// How GoogleTest prints rectangles and regions.
void PrintTo(const TRect& r, std::ostream* os);
void PrintTo(const TRegion& g, std::ostream* os);

}  // namespace menvaro

namespace menvaro::test {

// Each channel within `tolerance` (a decoded JPEG's colours are near, not exact).
bool Near(TColor a, TColor b, int tolerance = 24);

// How many pixels of colour `c` the bitmap holds, in all or in `r`.
int CountPixels(const TBitmap& b, TColor c);
int CountPixels(const TBitmap& b, const TRect& r, TColor c);

// The pixels whose colour differs from `background` (or equals `ink` when
// `matchInk`), as a region.
TRegion PixelsOf(const TBitmap& b, TColor background, bool matchInk = false, TColor ink = 0);

// Row `y` from `left` to `right` (exclusive): '#' where the colour is `ink`, '.' elsewhere.
std::string Row(const TBitmap& b, int y, int left, int right, TColor ink);

}  // namespace menvaro::test

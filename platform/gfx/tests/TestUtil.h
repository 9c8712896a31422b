// Helpers of the gfx tests: the pixels of a bitmap as a region.
#pragma once

#include <ostream>
#include <vector>

#include "gfx/Bitmap.h"
#include "gfx/Region.h"

namespace menvaro {

inline void PrintTo(const TRect& r, std::ostream* os) {
    *os << "(" << r.Left << "," << r.Top << "," << r.Right << "," << r.Bottom << ")";
}
inline void PrintTo(const TRegion& g, std::ostream* os) {
    *os << "{";
    for (const TRect& r : g.Rects()) PrintTo(r, os), *os << " ";
    *os << "}";
}

}  // namespace menvaro

namespace menvaro::test {

// The pixels whose colour differs from `background` (or equals `ink` when
// given), as a region.
inline TRegion PixelsOf(const TBitmap& b, TColor background, bool matchInk = false, TColor ink = 0) {
    std::vector<TRegion::Span> spans;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) {
            const TColor c = b.Pixel(x, y);
            const bool on = matchInk ? c == ink : c != background;
            if (on) spans.push_back({y, x, x + 1});
        }
    return TRegion::FromSpans(spans);
}

inline int CountPixels(const TBitmap& b, TColor c) {
    int n = 0;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) n += b.Pixel(x, y) == c;
    return n;
}

}  // namespace menvaro::test

#include "testsupport/Pixels.h"

#include <cstdlib>
#include <vector>

namespace menvaro {

void PrintTo(const TRect& r, std::ostream* os) {
    *os << "(" << r.Left << "," << r.Top << "," << r.Right << "," << r.Bottom << ")";
}

void PrintTo(const TRegion& g, std::ostream* os) {
    *os << "{";
    for (const TRect& r : g.Rects()) PrintTo(r, os), *os << " ";
    *os << "}";
}

}  // namespace menvaro

namespace menvaro::test {

bool Near(TColor a, TColor b, int tolerance) {
    return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

int CountPixels(const TBitmap& b, TColor c) { return CountPixels(b, {0, 0, b.Width(), b.Height()}, c); }

int CountPixels(const TBitmap& b, const TRect& r, TColor c) {
    int n = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x) n += b.Pixel(x, y) == c;
    return n;
}

TRegion PixelsOf(const TBitmap& b, TColor background, bool matchInk, TColor ink) {
    std::vector<TRegion::Span> spans;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) {
            const TColor c = b.Pixel(x, y);
            const bool on = matchInk ? c == ink : c != background;
            if (on) spans.push_back({y, x, x + 1});
        }
    return TRegion::FromSpans(spans);
}

std::string Row(const TBitmap& b, int y, int left, int right, TColor ink) {
    std::string row;
    for (int x = left; x < right; ++x) row += b.Pixel(x, y) == ink ? '#' : '.';
    return row;
}

}  // namespace menvaro::test

// Scan conversion shared by the canvas primitives and the region
// constructors, so that both cover the same pixels. Internal to gfx.
#pragma once

#include <vector>

#include "gfx/Region.h"
#include "gfx/Types.h"

namespace menvaro::scan {

using Span = TRegion::Span;

// Coordinates beyond this are clamped before any arithmetic.
inline constexpr int kLimit = 1 << 27;
int Clamp(int v);
TRect ClampRect(TRect r);

// Pixels whose centres lie in the ellipse inscribed in `box`.
void EllipseSpans(const TRect& box, std::vector<Span>& out);
// The box minus its corners, plus the corner ellipses of w x h.
void RoundRectSpans(const TRect& box, int w, int h, std::vector<Span>& out);
// Polygon interior by fill mode; top-left rule on pixel centres.
void PolygonSpans(const TPoint* pts, int count, int mode, std::vector<Span>& out);

// Calls plot(x, y) for each pixel of the line from a to b, b excluded.
template <typename Plot>
void LinePixels(TPoint a, TPoint b, Plot&& plot) {
    int x = a.X, y = a.Y;
    const int dx = b.X > a.X ? b.X - a.X : a.X - b.X;
    const int dy = b.Y > a.Y ? b.Y - a.Y : a.Y - b.Y;
    const int sx = a.X < b.X ? 1 : -1, sy = a.Y < b.Y ? 1 : -1;
    if (dx >= dy) {
        long err = 2L * dy - dx;
        for (int i = 0; i < dx; ++i) {
            plot(x, y);
            if (err > 0 || (err == 0 && sx < 0)) {
                y += sy;
                err -= 2L * dx;
            }
            err += 2L * dy;
            x += sx;
        }
    } else {
        long err = 2L * dx - dy;
        for (int i = 0; i < dy; ++i) {
            plot(x, y);
            if (err > 0 || (err == 0 && sy < 0)) {
                x += sx;
                err -= 2L * dy;
            }
            err += 2L * dx;
            y += sy;
        }
    }
}

}  // namespace menvaro::scan

// Points, sizes and rectangles in the class library's shape. A rectangle is
// half-open: it covers [Left, Right) x [Top, Bottom).
#pragma once

#include <algorithm>

namespace menvaro {

// Positions and sizes of windows and controls keep to 16 bits, as the
// messages that carry them pack them: what a form file gives is clamped to
// this range when read, so that no sum of positions and sizes overflows.
inline constexpr int kMinCoord = -32768;
inline constexpr int kMaxCoord = 32767;

struct TPoint {
    int X = 0;
    int Y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TSize {
    int cx = 0;
    int cy = 0;
    friend bool operator==(const TSize&, const TSize&) = default;
};

struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    TPoint TopLeft() const { return {Left, Top}; }
    TPoint BottomRight() const { return {Right, Bottom}; }
    // Empty when it covers no pixel (also when inverted).
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    bool Contains(TPoint p) const { return p.X >= Left && p.X < Right && p.Y >= Top && p.Y < Bottom; }
    friend bool operator==(const TRect&, const TRect&) = default;
};

inline TPoint Point(int x, int y) { return {x, y}; }
inline TRect Rect(int left, int top, int right, int bottom) { return {left, top, right, bottom}; }
inline TRect Bounds(int left, int top, int width, int height) { return {left, top, left + width, top + height}; }

inline TRect OffsetRect(TRect r, int dx, int dy) { return {r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy}; }
inline TRect InflateRect(TRect r, int dx, int dy) { return {r.Left - dx, r.Top - dy, r.Right + dx, r.Bottom + dy}; }
inline bool PtInRect(const TRect& r, TPoint p) { return r.Contains(p); }
inline bool IsRectEmpty(const TRect& r) { return r.IsEmpty(); }

// Intersection; an empty result is (0, 0, 0, 0) and the function answers false.
inline bool IntersectRect(TRect& out, const TRect& a, const TRect& b) {
    TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
            std::min(a.Bottom, b.Bottom)};
    if (r.IsEmpty()) {
        out = {};
        return false;
    }
    out = r;
    return true;
}

// Smallest rectangle holding both; an empty operand is ignored.
inline bool UnionRect(TRect& out, const TRect& a, const TRect& b) {
    if (a.IsEmpty()) {
        out = b.IsEmpty() ? TRect{} : b;
    } else if (b.IsEmpty()) {
        out = a;
    } else {
        out = {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
               std::max(a.Bottom, b.Bottom)};
    }
    return !out.IsEmpty();
}

}  // namespace menvaro

// Regions: sets of pixels made of rectangles, backed by pixman. The shape
// constructors scan-convert with exactly the pixel rules of the canvas
// primitives of the same name (see Canvas.h), so a filled shape and its
// region cover the same pixels.
#pragma once

#include <pixman.h>

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "gfx/Types.h"

namespace menvaro {

// Polygon fill modes.
enum : int { ALTERNATE = 1, WINDING = 2 };

// Combine modes.
enum : int { RGN_AND = 1, RGN_OR = 2, RGN_XOR = 3, RGN_DIFF = 4, RGN_COPY = 5 };

// Region kinds, as CombineRgn and friends answer.
enum : int { RGN_ERROR = 0, NULLREGION = 1, SIMPLEREGION = 2, COMPLEXREGION = 3 };

class TRegion {
public:
    TRegion();  // empty
    explicit TRegion(const TRect& r);
    TRegion(const TRegion& other);
    TRegion(TRegion&& other) noexcept;
    TRegion& operator=(const TRegion& other);
    TRegion& operator=(TRegion&& other) noexcept;
    ~TRegion();

    bool IsEmpty() const;
    // NULLREGION, SIMPLEREGION (one rectangle) or COMPLEXREGION.
    int Kind() const;
    // Bounding box; (0, 0, 0, 0) when empty.
    TRect BoundingBox() const;
    bool Contains(int x, int y) const;
    bool Contains(TPoint p) const { return Contains(p.X, p.Y); }
    // True when any pixel of `r` lies in the region.
    bool Overlaps(const TRect& r) const;
    // The rectangles, in bands from top to bottom, left to right.
    std::vector<TRect> Rects() const;
    std::size_t RectCount() const;

    void Clear();
    void SetRect(const TRect& r);
    void Offset(int dx, int dy);

    // In-place combination: this = this OP other.
    TRegion& Union(const TRegion& other);
    TRegion& Intersect(const TRegion& other);
    TRegion& Subtract(const TRegion& other);
    TRegion& Xor(const TRegion& other);
    TRegion& Intersect(const TRect& r);

    friend bool operator==(const TRegion& a, const TRegion& b);

    // The region's data as GetRegionData lays it out: a 32-byte header
    // (dwSize 32, iType 1, nCount, nRgnSize = 16 * nCount, rcBound) followed
    // by nCount rectangles of four little-endian int32 (left, top, right, bottom).
    std::vector<std::uint8_t> Data() const;
    // Builds a region from such data. Raises EInvalidArgument when the buffer
    // is short, the header size or type is wrong, the count does not fit the
    // buffer, or a rectangle is inverted; nothing is read past `size`.
    static TRegion FromData(const void* data, std::size_t size);

    // Made from horizontal runs (y, [x0, x1)); used by the scan converters.
    struct Span {
        int Y;
        int X0;
        int X1;
    };
    static TRegion FromSpans(const std::vector<Span>& spans);

    pixman_region32_t* Native() { return &r_; }
    const pixman_region32_t* Native() const { return &r_; }

private:
    pixman_region32_t r_;
};

// GDI-named constructors. Coordinates are clamped to +-2^27 so that no
// arithmetic inside can overflow.
TRegion CreateRectRgn(int left, int top, int right, int bottom);
TRegion CreateRectRgnIndirect(const TRect& r);
// Ellipse inscribed in [left, right) x [top, bottom): the pixels of Ellipse().
TRegion CreateEllipticRgn(int left, int top, int right, int bottom);
TRegion CreateEllipticRgnIndirect(const TRect& r);
// Rectangle with corners rounded by ellipses of `width` x `height`: the
// pixels of RoundRect().
TRegion CreateRoundRectRgn(int left, int top, int right, int bottom, int width, int height);
// Closed polygon filled by `mode` (ALTERNATE or WINDING): the pixels that
// Polygon() fills with a clear pen.
TRegion CreatePolygonRgn(const TPoint* points, int count, int mode);
inline TRegion CreatePolygonRgn(std::initializer_list<TPoint> pts, int mode) {
    return CreatePolygonRgn(pts.begin(), int(pts.size()), mode);
}

// dest = a OP b; answers the kind of the result. RGN_COPY copies a.
int CombineRgn(TRegion& dest, const TRegion& a, const TRegion& b, int mode);
inline int OffsetRgn(TRegion& r, int dx, int dy) {
    r.Offset(dx, dy);
    return r.Kind();
}
inline bool PtInRegion(const TRegion& r, int x, int y) { return r.Contains(x, y); }
inline int GetRgnBox(const TRegion& r, TRect& box) {
    box = r.BoundingBox();
    return r.Kind();
}
inline bool EqualRgn(const TRegion& a, const TRegion& b) { return a == b; }

}  // namespace menvaro

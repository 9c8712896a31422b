#include "gfx/Region.h"

#include <cstring>
#include <string>

#include "base/Exceptions.h"
#include "gfx/Scan.h"

namespace menvaro {

namespace {

pixman_box32_t Box(const TRect& r) { return {r.Left, r.Top, r.Right, r.Bottom}; }

void PutLE32(std::uint8_t* p, std::uint32_t v) {
    p[0] = std::uint8_t(v), p[1] = std::uint8_t(v >> 8), p[2] = std::uint8_t(v >> 16),
    p[3] = std::uint8_t(v >> 24);
}
std::uint32_t GetLE32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

constexpr std::size_t kHeaderSize = 32;
constexpr std::uint32_t RDH_RECTANGLES = 1;

}  // namespace

TRegion::TRegion() { pixman_region32_init(&r_); }

TRegion::TRegion(const TRect& r) {
    const TRect c = scan::ClampRect(r);
    if (c.IsEmpty())
        pixman_region32_init(&r_);
    else
        pixman_region32_init_rect(&r_, c.Left, c.Top, unsigned(c.Width()), unsigned(c.Height()));
}

TRegion::TRegion(const TRegion& o) {
    pixman_region32_init(&r_);
    pixman_region32_copy(&r_, &o.r_);
}

TRegion::TRegion(TRegion&& o) noexcept {
    pixman_region32_init(&r_);
    std::swap(r_, o.r_);
}

TRegion& TRegion::operator=(const TRegion& o) {
    if (this != &o) pixman_region32_copy(&r_, &o.r_);
    return *this;
}

TRegion& TRegion::operator=(TRegion&& o) noexcept {
    std::swap(r_, o.r_);
    return *this;
}

TRegion::~TRegion() { pixman_region32_fini(&r_); }

bool TRegion::IsEmpty() const { return !pixman_region32_not_empty(const_cast<pixman_region32_t*>(&r_)); }

int TRegion::Kind() const {
    const std::size_t n = RectCount();
    return n == 0 ? NULLREGION : n == 1 ? SIMPLEREGION : COMPLEXREGION;
}

TRect TRegion::BoundingBox() const {
    if (IsEmpty()) return {};
    const pixman_box32_t* b = pixman_region32_extents(const_cast<pixman_region32_t*>(&r_));
    return {b->x1, b->y1, b->x2, b->y2};
}

bool TRegion::Contains(int x, int y) const {
    return pixman_region32_contains_point(const_cast<pixman_region32_t*>(&r_), x, y, nullptr);
}

bool TRegion::Overlaps(const TRect& r) const {
    if (r.IsEmpty()) return false;
    pixman_box32_t b = Box(r);
    return pixman_region32_contains_rectangle(const_cast<pixman_region32_t*>(&r_), &b) !=
           PIXMAN_REGION_OUT;
}

std::vector<TRect> TRegion::Rects() const {
    int n = 0;
    const pixman_box32_t* b = pixman_region32_rectangles(const_cast<pixman_region32_t*>(&r_), &n);
    std::vector<TRect> out;
    out.reserve(std::size_t(n));
    for (int i = 0; i < n; ++i) out.push_back({b[i].x1, b[i].y1, b[i].x2, b[i].y2});
    return out;
}

std::size_t TRegion::RectCount() const {
    return std::size_t(pixman_region32_n_rects(const_cast<pixman_region32_t*>(&r_)));
}

void TRegion::Clear() { pixman_region32_clear(&r_); }

void TRegion::SetRect(const TRect& r) { *this = TRegion(r); }

void TRegion::Offset(int dx, int dy) {
    if (IsEmpty()) return;
    const TRect b = BoundingBox();
    // Keep every coordinate inside the clamped range.
    if (long(b.Left) + dx < -scan::kLimit || long(b.Right) + dx > scan::kLimit ||
        long(b.Top) + dy < -scan::kLimit || long(b.Bottom) + dy > scan::kLimit)
        throw ERangeError("region offset out of range");
    pixman_region32_translate(&r_, dx, dy);
}

TRegion& TRegion::Union(const TRegion& o) {
    pixman_region32_union(&r_, &r_, const_cast<pixman_region32_t*>(&o.r_));
    return *this;
}

TRegion& TRegion::Intersect(const TRegion& o) {
    pixman_region32_intersect(&r_, &r_, const_cast<pixman_region32_t*>(&o.r_));
    return *this;
}

TRegion& TRegion::Subtract(const TRegion& o) {
    pixman_region32_subtract(&r_, &r_, const_cast<pixman_region32_t*>(&o.r_));
    return *this;
}

TRegion& TRegion::Xor(const TRegion& o) {
    TRegion a(*this), b(o);
    a.Subtract(o);
    b.Subtract(*this);
    pixman_region32_union(&r_, &a.r_, &b.r_);
    return *this;
}

TRegion& TRegion::Intersect(const TRect& r) {
    const TRect c = scan::ClampRect(r);
    if (c.IsEmpty()) {
        Clear();
        return *this;
    }
    pixman_region32_intersect_rect(&r_, &r_, c.Left, c.Top, unsigned(c.Width()), unsigned(c.Height()));
    return *this;
}

bool operator==(const TRegion& a, const TRegion& b) {
    return pixman_region32_equal(const_cast<pixman_region32_t*>(&a.r_),
                                 const_cast<pixman_region32_t*>(&b.r_));
}

std::vector<std::uint8_t> TRegion::Data() const {
    const std::vector<TRect> rects = Rects();
    std::vector<std::uint8_t> out(kHeaderSize + 16 * rects.size());
    const TRect box = BoundingBox();
    PutLE32(&out[0], kHeaderSize);
    PutLE32(&out[4], RDH_RECTANGLES);
    PutLE32(&out[8], std::uint32_t(rects.size()));
    PutLE32(&out[12], std::uint32_t(16 * rects.size()));
    PutLE32(&out[16], std::uint32_t(box.Left));
    PutLE32(&out[20], std::uint32_t(box.Top));
    PutLE32(&out[24], std::uint32_t(box.Right));
    PutLE32(&out[28], std::uint32_t(box.Bottom));
    std::uint8_t* p = out.data() + kHeaderSize;
    for (const TRect& r : rects) {
        PutLE32(p, std::uint32_t(r.Left));
        PutLE32(p + 4, std::uint32_t(r.Top));
        PutLE32(p + 8, std::uint32_t(r.Right));
        PutLE32(p + 12, std::uint32_t(r.Bottom));
        p += 16;
    }
    return out;
}

TRegion TRegion::FromData(const void* data, std::size_t size) {
    if (!data || size < kHeaderSize)
        throw EInvalidArgument("region data: buffer of " + std::to_string(size) +
                               " bytes is shorter than the 32-byte header");
    const auto* p = static_cast<const std::uint8_t*>(data);
    const std::uint32_t dwSize = GetLE32(p), type = GetLE32(p + 4), count = GetLE32(p + 8);
    if (dwSize != kHeaderSize)
        throw EInvalidArgument("region data: header size " + std::to_string(dwSize) + ", expected 32");
    if (type != RDH_RECTANGLES)
        throw EInvalidArgument("region data: type " + std::to_string(type) + " is not rectangles");
    if (count > (size - kHeaderSize) / 16)
        throw EInvalidArgument("region data: " + std::to_string(count) +
                               " rectangles do not fit in " + std::to_string(size) + " bytes");
    std::vector<pixman_box32_t> boxes;
    boxes.reserve(count);
    const std::uint8_t* q = p + kHeaderSize;
    for (std::uint32_t i = 0; i < count; ++i, q += 16) {
        const int l = int(GetLE32(q)), t = int(GetLE32(q + 4)), r = int(GetLE32(q + 8)),
                  b = int(GetLE32(q + 12));
        if (l > r || t > b)
            throw EInvalidArgument("region data: rectangle " + std::to_string(i) + " is inverted");
        if (l < -scan::kLimit || r > scan::kLimit || t < -scan::kLimit || b > scan::kLimit)
            throw EInvalidArgument("region data: rectangle " + std::to_string(i) + " is out of range");
        if (l == r || t == b) continue;
        boxes.push_back({l, t, r, b});
    }
    TRegion out;
    if (!boxes.empty()) {
        pixman_region32_fini(&out.r_);
        if (!pixman_region32_init_rects(&out.r_, boxes.data(), int(boxes.size()))) {
            pixman_region32_init(&out.r_);
            throw EOutOfMemory("region data: out of memory");
        }
    }
    return out;
}

TRegion TRegion::FromSpans(const std::vector<Span>& spans) {
    TRegion out;
    if (spans.empty()) return out;
    std::vector<pixman_box32_t> boxes;
    boxes.reserve(spans.size());
    for (const Span& s : spans)
        if (s.X0 < s.X1) boxes.push_back({s.X0, s.Y, s.X1, s.Y + 1});
    if (boxes.empty()) return out;
    pixman_region32_fini(&out.r_);
    if (!pixman_region32_init_rects(&out.r_, boxes.data(), int(boxes.size()))) {
        pixman_region32_init(&out.r_);
        throw EOutOfMemory("region: out of memory");
    }
    return out;
}

TRegion CreateRectRgn(int left, int top, int right, int bottom) {
    // GDI orders the corners of a region rectangle.
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    return TRegion(TRect{left, top, right, bottom});
}

TRegion CreateRectRgnIndirect(const TRect& r) { return CreateRectRgn(r.Left, r.Top, r.Right, r.Bottom); }

TRegion CreateEllipticRgn(int left, int top, int right, int bottom) {
    std::vector<TRegion::Span> spans;
    scan::EllipseSpans({left, top, right, bottom}, spans);
    return TRegion::FromSpans(spans);
}

TRegion CreateEllipticRgnIndirect(const TRect& r) {
    return CreateEllipticRgn(r.Left, r.Top, r.Right, r.Bottom);
}

TRegion CreateRoundRectRgn(int left, int top, int right, int bottom, int width, int height) {
    std::vector<TRegion::Span> spans;
    scan::RoundRectSpans({left, top, right, bottom}, width, height, spans);
    return TRegion::FromSpans(spans);
}

TRegion CreatePolygonRgn(const TPoint* points, int count, int mode) {
    std::vector<TRegion::Span> spans;
    scan::PolygonSpans(points, count, mode, spans);
    return TRegion::FromSpans(spans);
}

int CombineRgn(TRegion& dest, const TRegion& a, const TRegion& b, int mode) {
    TRegion r(a);
    switch (mode) {
        case RGN_AND: r.Intersect(b); break;
        case RGN_OR: r.Union(b); break;
        case RGN_XOR: r.Xor(b); break;
        case RGN_DIFF: r.Subtract(b); break;
        case RGN_COPY: break;
        default: return RGN_ERROR;
    }
    dest = std::move(r);
    return dest.Kind();
}

}  // namespace menvaro

#include "gfx/Scan.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace menvaro::scan {

namespace {

using i64 = std::int64_t;
using i128 = __int128;

i64 FloorDiv(i64 a, i64 b) {  // b > 0
    i64 q = a / b;
    if ((a % b != 0) && (a < 0)) --q;
    return q;
}
i64 CeilDiv(i64 a, i64 b) { return -FloorDiv(-a, b); }

// Row y of the ellipse inscribed in box: [x0, x1), false when empty.
bool EllipseRow(const TRect& box, int y, int& x0, int& x1) {
    const i64 W = i64(box.Right) - box.Left, H = i64(box.Bottom) - box.Top;
    if (W <= 0 || H <= 0 || y < box.Top || y >= box.Bottom) return false;
    const i64 dy2 = 2 * i64(y) + 1 - (i64(box.Top) + box.Bottom);
    const i128 rhs = i128(W) * W * (i128(H) * H - i128(dy2) * dy2);
    const i128 h2 = i128(H) * H;
    // |2x - c2| <= k with k the largest integer such that k^2 H^2 <= rhs.
    i64 k = i64(double(W) * std::sqrt(double(H * H - dy2 * dy2)) / double(H));
    while (k > 0 && i128(k) * k * h2 > rhs) --k;
    while (i128(k + 1) * (k + 1) * h2 <= rhs) ++k;
    const i64 c2 = i64(box.Left) + box.Right - 1;
    const i64 a = CeilDiv(c2 - k, 2), b = FloorDiv(c2 + k, 2);
    if (a > b) return false;
    x0 = int(a);
    x1 = int(b + 1);
    return true;
}

}  // namespace

int Clamp(int v) { return std::clamp(v, -kLimit, kLimit); }

TRect ClampRect(TRect r) { return {Clamp(r.Left), Clamp(r.Top), Clamp(r.Right), Clamp(r.Bottom)}; }

// Shapes take their corners in either order, as GDI does.
static TRect Normalized(const TRect& r) {
    TRect c = ClampRect(r);
    if (c.Left > c.Right) std::swap(c.Left, c.Right);
    if (c.Top > c.Bottom) std::swap(c.Top, c.Bottom);
    return c;
}

void EllipseSpans(const TRect& b, std::vector<Span>& out) {
    const TRect box = Normalized(b);
    int x0, x1;
    for (int y = box.Top; y < box.Bottom; ++y)
        if (EllipseRow(box, y, x0, x1)) out.push_back({y, x0, x1});
}

void RoundRectSpans(const TRect& b, int w, int h, std::vector<Span>& out) {
    const TRect box = Normalized(b);
    const int W = box.Width(), H = box.Height();
    if (W <= 0 || H <= 0) return;
    w = std::clamp(w, 0, W);
    h = std::clamp(h, 0, H);
    if (w == 0 || h == 0) {
        for (int y = box.Top; y < box.Bottom; ++y) out.push_back({y, box.Left, box.Right});
        return;
    }
    const TRect tl{box.Left, box.Top, box.Left + w, box.Top + h};
    const TRect tr{box.Right - w, box.Top, box.Right, box.Top + h};
    const TRect bl{box.Left, box.Bottom - h, box.Left + w, box.Bottom};
    const TRect br{box.Right - w, box.Bottom - h, box.Right, box.Bottom};
    const int midL = box.Left + w / 2, midR = box.Right - w / 2;
    const int bandT = box.Top + h / 2, bandB = box.Bottom - h / 2;
    for (int y = box.Top; y < box.Bottom; ++y) {
        int lo = INT32_MAX, hi = INT32_MIN;
        auto take = [&](int a, int c) {
            if (a < c) lo = std::min(lo, a), hi = std::max(hi, c);
        };
        if (y >= bandT && y < bandB) take(box.Left, box.Right);
        take(midL, midR);
        int x0, x1;
        for (const TRect* e : {&tl, &tr, &bl, &br})
            if (EllipseRow(*e, y, x0, x1)) take(x0, x1);
        if (lo < hi) out.push_back({y, lo, hi});
    }
}

void PolygonSpans(const TPoint* pts, int count, int mode, std::vector<Span>& out) {
    if (!pts || count < 3) return;
    struct Edge {
        i64 x0, y0, x1, y1;
        int dir;
    };
    std::vector<Edge> edges;
    edges.reserve(count);
    i64 ymin = INT64_MAX, ymax = INT64_MIN;
    for (int i = 0; i < count; ++i) {
        const TPoint a = pts[i], b = pts[(i + 1) % count];
        i64 ax = Clamp(a.X), ay = Clamp(a.Y), bx = Clamp(b.X), by = Clamp(b.Y);
        if (ay == by) continue;
        int dir = 1;
        if (ay > by) std::swap(ax, bx), std::swap(ay, by), dir = -1;
        edges.push_back({ax, ay, bx, by, dir});
        ymin = std::min(ymin, ay);
        ymax = std::max(ymax, by);
    }
    if (edges.empty()) return;
    struct Cross {
        i64 x;
        int dir;
    };
    std::vector<Cross> xs;
    for (i64 y = ymin; y < ymax; ++y) {
        xs.clear();
        for (const Edge& e : edges) {
            if (y < e.y0 || y >= e.y1) continue;
            const i64 den = e.y1 - e.y0;
            // First pixel whose centre is at or right of the crossing.
            const i64 num = (2 * e.x0 - 1) * den + (2 * y + 1 - 2 * e.y0) * (e.x1 - e.x0);
            xs.push_back({CeilDiv(num, 2 * den), e.dir});
        }
        std::sort(xs.begin(), xs.end(), [](const Cross& a, const Cross& b) { return a.x < b.x; });
        int wind = 0;
        for (std::size_t i = 0; i + 1 < xs.size(); ++i) {
            wind += mode == WINDING ? xs[i].dir : 1;
            const bool inside = mode == WINDING ? wind != 0 : (wind & 1) != 0;
            if (inside && xs[i].x < xs[i + 1].x) {
                if (!out.empty() && out.back().Y == int(y) && out.back().X1 == int(xs[i].x))
                    out.back().X1 = int(xs[i + 1].x);
                else
                    out.push_back({int(y), int(xs[i].x), int(xs[i + 1].x)});
            }
        }
    }
}

}  // namespace menvaro::scan

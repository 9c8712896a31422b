// Internals shared by the canvas's source files: device access, clipping and
// span painting. Internal to gfx.
#pragma once

#include <cstdint>
#include <vector>

#include "gfx/Bitmap.h"
#include "gfx/Canvas.h"

namespace menvaro {

// What fills a pixel: a colour or an 8x8 pattern, combined with the
// destination by a raster operation that uses only P and D.
struct TPaint {
    enum Kind { None, Solid, Mono, Colour };
    Kind kind = None;
    std::uint32_t color = 0;  // Solid
    std::uint32_t fg = 0;     // Mono: colour of 1 bits
    std::uint32_t bg = 0;     // Mono: colour of 0 bits
    bool bgTransparent = false;
    std::uint8_t bits[8]{};
    std::uint32_t colors[64]{};
    int orgX = 0, orgY = 0;
    unsigned rop = 0xF0;  // PATCOPY

    // The pattern pixel at device (x, y); false where nothing is painted.
    bool At(int x, int y, std::uint32_t& p) const {
        switch (kind) {
            case Solid: p = color; return true;
            case Mono: {
                const int bx = (x - orgX) & 7, by = (y - orgY) & 7;
                if ((bits[by] >> (7 - bx)) & 1) {
                    p = fg;
                    return true;
                }
                p = bg;
                return !bgTransparent;
            }
            case Colour: p = colors[((y - orgY) & 7) * 8 + ((x - orgX) & 7)]; return true;
            default: return false;
        }
    }
};

// What a native pixel becomes on a monochrome target: white when its
// brightness (r+g+b) is above 382, else black.
inline std::uint32_t MonoPixel(std::uint32_t p) {
    const unsigned sum = (p & 0xFF) + ((p >> 8) & 0xFF) + ((p >> 16) & 0xFF);
    return sum > 382 ? 0xFFFFFF : 0;
}

// Native pixel of a TColor; on a monochrome target black or white.
inline std::uint32_t NativeColor(TColor c, bool mono) {
    const std::uint32_t p = ColorToPixel(ColorToRGB(c)) & 0xFFFFFF;
    return mono ? MonoPixel(p) : p;
}

// The ROP3 byte that applies a pen mode (ROP2) to pattern and destination.
unsigned Rop2ToRop3(TPenMode mode);

struct CanvasAccess {
    static TSurfaceView Device(const TCanvas& c) {
        if (c.bitmap_) return c.bitmap_->Surface();
        return c.view_;
    }
    // The pixels to paint on (Target) or to read (Source), OnAccess told first.
    static TSurfaceView Target(const TCanvas& c) {
        if (c.OnAccess) c.OnAccess(true);
        return Device(c);
    }
    static TSurfaceView Source(const TCanvas& c) {
        if (c.OnAccess) c.OnAccess(false);
        return Device(c);
    }
    static bool Mono(const TCanvas& c) { return c.bitmap_ && c.bitmap_->Monochrome(); }
    static TPoint Org(const TCanvas& c) { return c.origin_; }
    static void SyncTools(const TCanvas& c) { c.Sync(); }
    static TColor Text(const TCanvas& c) { return c.textColor_; }
    static TColor Bk(const TCanvas& c) { return c.bkColor_; }
    static int BkMode(const TCanvas& c) { return c.bkMode_; }

    // Calls f(rect) for every piece of the device rectangle that may be
    // painted (surface and clip), optionally also inside `extra`.
    template <typename F>
    static void ForEachClipped(const TCanvas& c, TRect r, F&& f, const TRect* extra = nullptr) {
        const TSurfaceView v = Device(c);
        if (v.IsEmpty()) return;
        if (!IntersectRect(r, r, v.BoundsRect())) return;
        if (extra && !IntersectRect(r, r, *extra)) return;
        if (!c.hasClip_) {
            f(r);
            return;
        }
        int n = 0;
        const pixman_box32_t* b =
            pixman_region32_rectangles(const_cast<pixman_region32_t*>(c.clip_.Native()), &n);
        for (int i = 0; i < n; ++i) {
            if (b[i].y2 <= r.Top) continue;
            if (b[i].y1 >= r.Bottom) break;
            TRect piece;
            if (IntersectRect(piece, r, TRect{b[i].x1, b[i].y1, b[i].x2, b[i].y2})) f(piece);
        }
    }

    static bool Visible(const TCanvas& c, int dx, int dy) {
        const TSurfaceView v = Device(c);
        if (v.IsEmpty() || dx < 0 || dy < 0 || dx >= v.Width || dy >= v.Height) return false;
        return !c.hasClip_ || c.clip_.Contains(dx, dy);
    }

    static TPaint BrushPaint(const TCanvas& c, const TBrush& b, unsigned rop);
    static TPaint PenPaint(const TCanvas& c, unsigned rop);
    // Paints a rectangle / a region (both in device pixels) with the paint.
    static void PaintRect(const TCanvas& c, const TRect& r, const TPaint& p, const TRect* extra = nullptr);
    static void PaintRegion(const TCanvas& c, const TRegion& rgn, const TPaint& p);
    static void PaintSpans(const TCanvas& c, const std::vector<TRegion::Span>& spans, const TPaint& p);
};

}  // namespace menvaro

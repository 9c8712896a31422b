// Block transfers: PatBlt, BitBlt, StretchBlt and the transparent blit.
#include <algorithm>
#include <cstring>
#include <vector>

#include "gfx/CanvasImpl.h"

namespace menvaro {

namespace {

using i64 = std::int64_t;

// A device box from a corner and signed sizes, in 64 bits so that no
// coordinate overflows; a negative size reaches left or up and mirrors.
struct Box {
    i64 x, y, w, h;
    bool mirrorX = false, mirrorY = false;
};

Box MakeBox(i64 x, i64 y, i64 w, i64 h) {
    Box b{x, y, w, h};
    if (w < 0) b.x += w, b.w = -w, b.mirrorX = true;
    if (h < 0) b.y += h, b.h = -h, b.mirrorY = true;
    return b;
}

Box RectBox(const TRect& r, TPoint origin) {
    return MakeBox(i64(r.Left) + origin.X, i64(r.Top) + origin.Y, i64(r.Right) - r.Left, i64(r.Bottom) - r.Top);
}

// The part of a box on a surface of w x h pixels; empty when none.
TRect OnSurface(const Box& b, int w, int h) {
    const i64 l = std::max<i64>(b.x, 0), t = std::max<i64>(b.y, 0);
    const i64 r = std::min<i64>(b.x + b.w, w), bt = std::min<i64>(b.y + b.h, h);
    if (l >= r || t >= bt) return {};
    return {int(l), int(t), int(r), int(bt)};
}

void PatBltDevice(TCanvas& c, const Box& d, std::uint32_t rop) {
    const TSurfaceView v = CanvasAccess::Target(c);
    const TRect r = OnSurface(d, v.Width, v.Height);
    if (r.IsEmpty()) return;
    const unsigned b = RopByte(rop);
    // The source plays no part: take the table's S = 0 half for both.
    const unsigned noSrc = (b & 0x33) | ((b & 0x33) << 2);
    TPaint p = CanvasAccess::BrushPaint(c, c.Brush(), noSrc);
    if (!RopUsesPattern(rop)) {
        p.kind = TPaint::Solid;
        p.color = 0;
    } else if (p.kind == TPaint::None) {
        return;  // a clear brush paints nothing
    }
    CanvasAccess::PaintRect(c, r, p);
}

// Source column (row) of each visible destination column (row) from `first`
// on; -1 where it falls outside the source surface.
std::vector<int> SourceMap(int first, int count, i64 d0, i64 dn, i64 s0, i64 sn, bool mirror, int limit) {
    std::vector<int> map(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const i64 si = i64(__int128(first + i - d0) * sn / dn);
        const i64 at = s0 + (mirror ? sn - 1 - si : si);
        map[std::size_t(i)] = at >= 0 && at < limit ? int(at) : -1;
    }
    return map;
}

struct BlitSource {
    TSurfaceView view;
    std::vector<std::uint32_t> copy;  // when source and target share pixels
    bool mono = false;
    std::uint32_t bk = 0xFFFFFF;  // the source canvas's background colour (native)
};

}  // namespace

void TCanvas::PatBlt(int x, int y, int w, int h, std::uint32_t rop) {
    PatBltDevice(*this, MakeBox(i64(x) + origin_.X, i64(y) + origin_.Y, w, h), rop);
}

// Shared engine: destination box (device) from a source box (device of
// src); mirrored when exactly one of them reaches backwards. `key` >= 0
// skips source pixels of that native value (transparent blit, SRCCOPY only).
// Only the destination's visible part is mapped, so huge boxes cost nothing.
static void Blit(TCanvas& dst, const Box& d, const TCanvas& src, const Box& s, std::uint32_t rop, long key) {
    if (d.w == 0 || d.h == 0 || s.w == 0 || s.h == 0) return;
    const TSurfaceView dv = CanvasAccess::Target(dst);
    if (dv.IsEmpty()) return;
    const unsigned rb = RopByte(rop);
    if (!RopUsesSource(rop)) {
        PatBltDevice(dst, d, rop);
        return;
    }
    const TRect vis = OnSurface(d, dv.Width, dv.Height);
    if (vis.IsEmpty()) return;
    BlitSource bs;
    bs.view = CanvasAccess::Source(src);
    if (bs.view.IsEmpty()) return;
    bs.mono = CanvasAccess::Mono(src);
    CanvasAccess::SyncTools(src);
    bs.bk = ColorToPixel(ColorToRGB(CanvasAccess::Bk(src))) & 0xFFFFFF;
    const bool dmono = CanvasAccess::Mono(dst);
    CanvasAccess::SyncTools(dst);
    const std::uint32_t dText = NativeColor(CanvasAccess::Text(dst), dmono);
    const std::uint32_t dBk = NativeColor(CanvasAccess::Bk(dst), dmono);
    // Reading and writing the same pixels: read from a copy of the source rows.
    if (bs.view.Pixels == dv.Pixels) {
        const TRect sr = OnSurface(s, bs.view.Width, bs.view.Height);
        if (sr.IsEmpty()) return;
        bs.copy.resize(std::size_t(bs.view.Width) * bs.view.Height);
        for (int y = sr.Top; y < sr.Bottom; ++y)
            std::memcpy(&bs.copy[std::size_t(y) * bs.view.Width + sr.Left], bs.view.Row(y) + sr.Left,
                        std::size_t(sr.Width()) * 4);
        bs.view.Pixels = bs.copy.data();
        bs.view.Stride = bs.view.Width * 4;
    }
    TPaint pat;
    if (RopUsesPattern(rop)) {
        pat = CanvasAccess::BrushPaint(dst, dst.Brush(), rb);
        if (pat.kind == TPaint::None) {
            // A clear brush is no pattern: treat it as black, as GDI's null brush does.
            pat.kind = TPaint::Solid;
            pat.color = 0;
        }
    }
    const bool mirrorX = d.mirrorX != s.mirrorX, mirrorY = d.mirrorY != s.mirrorY;
    const bool same = d.w == s.w && d.h == s.h && !mirrorX && !mirrorY;
    const std::vector<int> colMap =
        SourceMap(vis.Left, vis.Width(), d.x, d.w, s.x, s.w, mirrorX, bs.view.Width);
    const std::vector<int> rowMap =
        SourceMap(vis.Top, vis.Height(), d.y, d.h, s.y, s.h, mirrorY, bs.view.Height);
    auto convert = [&](std::uint32_t sp) -> std::uint32_t {
        sp &= 0xFFFFFF;
        if (bs.mono && !dmono) return sp == 0xFFFFFF ? dBk : dText;
        if (!bs.mono && dmono) return sp == bs.bk ? 0xFFFFFF : 0;
        return sp;
    };
    const bool plainCopy = rb == 0xCC && key < 0 && bs.mono == dmono;
    CanvasAccess::ForEachClipped(dst, vis, [&](const TRect& piece) {
        for (int y = piece.Top; y < piece.Bottom; ++y) {
            const int sy = rowMap[std::size_t(y - vis.Top)];
            if (sy < 0) continue;
            const std::uint32_t* srow = bs.view.Row(sy);
            std::uint32_t* drow = dv.Row(y);
            if (plainCopy && same) {
                // Source column of x is x + off.
                const i64 off = s.x - d.x;
                const int x0 = int(std::max<i64>(piece.Left, -off));
                const int x1 = int(std::min<i64>(piece.Right, bs.view.Width - off));
                if (x0 < x1) std::memcpy(drow + x0, srow + x0 + off, std::size_t(x1 - x0) * 4);
                continue;
            }
            for (int x = piece.Left; x < piece.Right; ++x) {
                const int sx = colMap[std::size_t(x - vis.Left)];
                if (sx < 0) continue;
                const std::uint32_t raw = srow[sx] & 0xFFFFFF;
                if (key >= 0 && raw == std::uint32_t(key)) continue;
                const std::uint32_t sp = convert(raw);
                if (rb == 0xCC) {
                    drow[x] = sp;
                    continue;
                }
                std::uint32_t p = 0;
                if (pat.kind != TPaint::None && !pat.At(x, y, p)) p = drow[x];
                drow[x] = ApplyRop3(rb, p, sp, drow[x]);
            }
        }
    });
}

void TCanvas::BitBlt(int x, int y, int w, int h, const TCanvas& src, int sx, int sy, std::uint32_t rop) {
    StretchBlt(x, y, w, h, src, sx, sy, w, h, rop);
}

void TCanvas::StretchBlt(int x, int y, int w, int h, const TCanvas& src, int sx, int sy, int sw, int sh,
                         std::uint32_t rop) {
    const TPoint so = src.Origin();
    Blit(*this, MakeBox(i64(x) + origin_.X, i64(y) + origin_.Y, w, h), src,
         MakeBox(i64(sx) + so.X, i64(sy) + so.Y, sw, sh), rop, -1);
}

void TCanvas::CopyRect(const TRect& dest, const TCanvas& src, const TRect& source) {
    Blit(*this, RectBox(dest, origin_), src, RectBox(source, src.Origin()), copyMode_, -1);
}

void TCanvas::TransparentBlt(const TRect& dest, const TCanvas& src, const TRect& source, TColor key) {
    Blit(*this, RectBox(dest, origin_), src, RectBox(source, src.Origin()), SRCCOPY,
         long(ColorToPixel(ColorToRGB(key)) & 0xFFFFFF));
}

}  // namespace menvaro

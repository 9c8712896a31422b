// Block transfers: PatBlt, BitBlt, StretchBlt and the transparent blit.
#include <algorithm>
#include <cstring>
#include <vector>

#include "gfx/CanvasImpl.h"

namespace menvaro {

void TCanvas::PatBlt(int x, int y, int w, int h, std::uint32_t rop) {
    if (w < 0) x += w, w = -w;
    if (h < 0) y += h, h = -h;
    const unsigned b = RopByte(rop);
    // The source plays no part: take the table's S = 0 half for both.
    const unsigned noSrc = (b & 0x33) | ((b & 0x33) << 2);
    TPaint p = CanvasAccess::BrushPaint(*this, brush_, noSrc);
    if (!RopUsesPattern(rop)) {
        p.kind = TPaint::Solid;
        p.color = 0;
    } else if (p.kind == TPaint::None) {
        return;  // a clear brush paints nothing
    }
    CanvasAccess::PaintRect(*this, Bounds(x + origin_.X, y + origin_.Y, w, h), p);
}

namespace {

struct BlitSource {
    TSurfaceView view;
    std::vector<std::uint32_t> copy;  // when source and target share pixels
    bool mono = false;
    std::uint32_t bk = 0xFFFFFF;  // the source canvas's background colour (native)
};

}  // namespace

// Shared engine: destination rectangle (device, normalised) from a source
// rectangle (device of src) with mirroring; `key` >= 0 skips source pixels of
// that native value (transparent blit, SRCCOPY only).
static void Blit(TCanvas& dst, TRect d, bool mirrorX, bool mirrorY, const TCanvas& src, TRect s,
                 std::uint32_t rop, long key) {
    if (d.IsEmpty() || s.IsEmpty()) return;
    const TSurfaceView dv = CanvasAccess::Device(dst);
    if (dv.IsEmpty()) return;
    const unsigned rb = RopByte(rop);
    const bool usesSrc = RopUsesSource(rop);
    if (!usesSrc) {
        dst.PatBlt(d.Left - dst.Origin().X, d.Top - dst.Origin().Y, d.Width(), d.Height(), rop);
        return;
    }
    BlitSource bs;
    bs.view = CanvasAccess::Device(src);
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
        TRect sr;
        if (!IntersectRect(sr, s, bs.view.BoundsRect())) return;
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
    const int dw = d.Width(), dh = d.Height(), sw = s.Width(), sh = s.Height();
    const bool same = dw == sw && dh == sh && !mirrorX && !mirrorY;
    // Source column / row of each destination offset.
    std::vector<int> colMap(static_cast<std::size_t>(dw)), rowMap(static_cast<std::size_t>(dh));
    for (int i = 0; i < dw; ++i) {
        const int si = int(std::int64_t(i) * sw / dw);
        colMap[std::size_t(i)] = s.Left + (mirrorX ? sw - 1 - si : si);
    }
    for (int i = 0; i < dh; ++i) {
        const int si = int(std::int64_t(i) * sh / dh);
        rowMap[std::size_t(i)] = s.Top + (mirrorY ? sh - 1 - si : si);
    }
    auto convert = [&](std::uint32_t sp) -> std::uint32_t {
        sp &= 0xFFFFFF;
        if (bs.mono && !dmono) return sp == 0xFFFFFF ? dBk : dText;
        if (!bs.mono && dmono) return sp == bs.bk ? 0xFFFFFF : 0;
        return sp;
    };
    const bool plainCopy = rb == 0xCC && key < 0 && bs.mono == dmono;
    CanvasAccess::ForEachClipped(dst, d, [&](const TRect& piece) {
        for (int y = piece.Top; y < piece.Bottom; ++y) {
            const int sy = rowMap[std::size_t(y - d.Top)];
            if (sy < 0 || sy >= bs.view.Height) continue;
            const std::uint32_t* srow = bs.view.Row(sy);
            std::uint32_t* drow = dv.Row(y);
            if (plainCopy && same) {
                int x0 = piece.Left, x1 = piece.Right;
                const int off = s.Left - d.Left;
                x0 = std::max(x0, -off);
                x1 = std::min(x1, bs.view.Width - off);
                if (x0 < x1) std::memcpy(drow + x0, srow + x0 + off, std::size_t(x1 - x0) * 4);
                continue;
            }
            for (int x = piece.Left; x < piece.Right; ++x) {
                const int sx = colMap[std::size_t(x - d.Left)];
                if (sx < 0 || sx >= bs.view.Width) continue;
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
    bool mx = false, my = false;
    if (w < 0) x += w, w = -w, mx = !mx;
    if (h < 0) y += h, h = -h, my = !my;
    if (sw < 0) sx += sw, sw = -sw, mx = !mx;
    if (sh < 0) sy += sh, sh = -sh, my = !my;
    const TPoint so = src.Origin();
    Blit(*this, Bounds(x + origin_.X, y + origin_.Y, w, h), mx, my, src, Bounds(sx + so.X, sy + so.Y, sw, sh),
         rop, -1);
}

void TCanvas::CopyRect(const TRect& dest, const TCanvas& src, const TRect& source) {
    StretchBlt(dest.Left, dest.Top, dest.Width(), dest.Height(), src, source.Left, source.Top, source.Width(),
               source.Height(), copyMode_);
}

void TCanvas::TransparentBlt(const TRect& dest, const TCanvas& src, const TRect& source, TColor key) {
    TRect d = dest, s = source;
    bool mx = false, my = false;
    if (d.Width() < 0) std::swap(d.Left, d.Right), mx = !mx;
    if (d.Height() < 0) std::swap(d.Top, d.Bottom), my = !my;
    if (s.Width() < 0) std::swap(s.Left, s.Right), mx = !mx;
    if (s.Height() < 0) std::swap(s.Top, s.Bottom), my = !my;
    const TPoint so = src.Origin();
    Blit(*this, OffsetRect(d, origin_.X, origin_.Y), mx, my, src, OffsetRect(s, so.X, so.Y), SRCCOPY,
         long(ColorToPixel(ColorToRGB(key)) & 0xFFFFFF));
}

}  // namespace menvaro

// Canvas state, clipping and the shape primitives.
#include "gfx/Canvas.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "gfx/Bitmap.h"
#include "gfx/CanvasImpl.h"
#include "gfx/Graphic.h"
#include "gfx/Scan.h"

namespace menvaro {

using Span = TRegion::Span;

struct TCanvas::State {
    TPen pen;
    TBrush brush;
    TFont font;
    TColor textColor, bkColor;
    int bkMode, polyFillMode;
    std::uint32_t copyMode;
    TPoint brushOrigin, penPos, origin;
    bool hasClip;
    TRegion clip;
};

namespace {

constexpr std::uint8_t kHatch[6][8] = {
    {0, 0, 0, 0, 0, 0, 0, 0xFF},                              // horizontal
    {0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01},         // vertical
    {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01},         // forward diagonal
    {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80},         // backward diagonal
    {0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0xFF},         // cross
    {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81},         // diagonal cross
};

// Dash patterns (on, off, on, off...) of the styled 1-pixel pens.
struct Dashes {
    int n;
    int len[6];
};
constexpr Dashes kDash = {2, {18, 6}};
constexpr Dashes kDot = {2, {3, 3}};
constexpr Dashes kDashDot = {4, {9, 6, 3, 6}};
constexpr Dashes kDashDotDot = {6, {9, 3, 3, 3, 3, 3}};

const Dashes* DashesOf(TPenStyle s) {
    switch (s) {
        case psDash: return &kDash;
        case psDot: return &kDot;
        case psDashDot: return &kDashDot;
        case psDashDotDot: return &kDashDotDot;
        default: return nullptr;
    }
}

void OffsetSpans(std::vector<Span>& spans, TPoint o) {
    for (Span& s : spans) s.Y += o.Y, s.X0 += o.X, s.X1 += o.X;
}

}  // namespace

unsigned Rop2ToRop3(TPenMode mode) {
    const unsigned t = unsigned(mode) & 15;
    unsigned out = 0;
    for (unsigned m = 0; m < 8; ++m) {
        const unsigned p = (m >> 2) & 1, d = m & 1;
        if ((t >> (p * 2 + d)) & 1) out |= 1u << m;
    }
    return out;
}

// ---- painting helpers

TPaint CanvasAccess::BrushPaint(const TCanvas& c, const TBrush& b, unsigned rop) {
    c.Sync();
    const bool mono = Mono(c);
    TPaint p;
    p.rop = rop;
    p.orgX = c.brushOrigin_.X;
    p.orgY = c.brushOrigin_.Y;
    const TBrushStyle st = b.Style();
    if (st == bsClear) return p;
    if (st == bsSolid) {
        p.kind = TPaint::Solid;
        p.color = NativeColor(b.Color(), mono);
    } else if (st == bsPattern) {
        const TBrushPattern& pat = b.Pattern();
        if (pat.Monochrome) {
            p.kind = TPaint::Mono;
            std::memcpy(p.bits, pat.Bits.data(), 8);
            p.fg = NativeColor(c.bkColor_, mono);
            p.bg = NativeColor(c.textColor_, mono);
        } else {
            p.kind = TPaint::Colour;
            for (int i = 0; i < 64; ++i) p.colors[i] = NativeColor(pat.Colors[std::size_t(i)], mono);
        }
    } else {
        p.kind = TPaint::Mono;
        std::memcpy(p.bits, kHatch[st - bsHorizontal], 8);
        p.fg = NativeColor(b.Color(), mono);
        p.bg = NativeColor(c.bkColor_, mono);
        p.bgTransparent = c.bkMode_ == TRANSPARENT;
    }
    return p;
}

TPaint CanvasAccess::PenPaint(const TCanvas& c, unsigned rop) {
    TPaint p;
    p.rop = rop;
    if (c.pen_.Style() == psClear) return p;
    p.kind = TPaint::Solid;
    p.color = NativeColor(c.pen_.Color(), Mono(c));
    return p;
}

static void FillRow(std::uint32_t* row, int y, int x0, int x1, const TPaint& p) {
    if (p.kind == TPaint::Solid) {
        if (p.rop == 0xF0) {
            std::fill(row + x0, row + x1, p.color);
            return;
        }
        if (p.rop == 0x5A) {
            for (int x = x0; x < x1; ++x) row[x] = (row[x] ^ p.color) & 0xFFFFFF;
            return;
        }
        if (p.rop == 0x55) {
            for (int x = x0; x < x1; ++x) row[x] = ~row[x] & 0xFFFFFF;
            return;
        }
    }
    std::uint32_t pat;
    for (int x = x0; x < x1; ++x)
        if (p.At(x, y, pat)) row[x] = ApplyRop3(p.rop, pat, 0, row[x]);
}

void CanvasAccess::PaintRect(const TCanvas& c, const TRect& r, const TPaint& p, const TRect* extra) {
    if (p.kind == TPaint::None || r.IsEmpty()) return;
    const TSurfaceView v = Target(c);
    const bool solidCopy = p.kind == TPaint::Solid && p.rop == 0xF0;
    ForEachClipped(
        c, r,
        [&](const TRect& piece) {
            // pixman's vector fill for the common case.
            if (solidCopy && pixman_fill(v.Pixels, v.Stride / 4, 32, piece.Left, piece.Top, piece.Width(),
                                         piece.Height(), p.color))
                return;
            for (int y = piece.Top; y < piece.Bottom; ++y) FillRow(v.Row(y), y, piece.Left, piece.Right, p);
        },
        extra);
}

void CanvasAccess::PaintRegion(const TCanvas& c, const TRegion& rgn, const TPaint& p) {
    if (p.kind == TPaint::None) return;
    int n = 0;
    const pixman_box32_t* b = pixman_region32_rectangles(const_cast<pixman_region32_t*>(rgn.Native()), &n);
    for (int i = 0; i < n; ++i) PaintRect(c, {b[i].x1, b[i].y1, b[i].x2, b[i].y2}, p);
}

void CanvasAccess::PaintSpans(const TCanvas& c, const std::vector<Span>& spans, const TPaint& p) {
    if (p.kind == TPaint::None) return;
    for (const Span& s : spans) PaintRect(c, {s.X0, s.Y, s.X1, s.Y + 1}, p);
}

// ---- construction and state

TCanvas::TCanvas() = default;

TCanvas::TCanvas(const TSurfaceView& view) { BindSurface(view); }

TCanvas::~TCanvas() = default;

void TCanvas::BindSurface(const TSurfaceView& view) {
    bitmap_ = nullptr;
    view_ = view;
    origin_ = {};
    penPos_ = {};
    hasClip_ = false;
    clip_.Clear();
    saved_.clear();
}

void TCanvas::BindBitmap(TBitmap* bitmap) {
    BindSurface({});
    bitmap_ = bitmap;
}

void TCanvas::Unbind() { BindSurface({}); }

bool TCanvas::HasTarget() const { return !CanvasAccess::Device(*this).IsEmpty(); }

TSurfaceView TCanvas::Surface() const { return CanvasAccess::Target(*this); }

bool TCanvas::Monochrome() const { return CanvasAccess::Mono(*this); }

void TCanvas::Sync() const {
    if (font_.Generation() != fontGen_) {
        fontGen_ = font_.Generation();
        textColor_ = ColorToRGB(font_.Color());
    }
    if (brush_.Generation() != brushGen_) {
        brushGen_ = brush_.Generation();
        const TColor c = ColorToRGB(brush_.Color());
        if (brush_.Style() == bsSolid) {
            bkColor_ = c;
            bkMode_ = OPAQUE;
        } else {
            bkColor_ = ~c & 0xFFFFFF;
            bkMode_ = TRANSPARENT;
        }
    }
}

TColor TCanvas::TextColor() const {
    Sync();
    return textColor_;
}

TColor TCanvas::SetTextColor(TColor c) {
    Sync();
    const TColor old = textColor_;
    textColor_ = ColorToRGB(c);
    return old;
}

TColor TCanvas::BkColor() const {
    Sync();
    return bkColor_;
}

TColor TCanvas::SetBkColor(TColor c) {
    Sync();
    const TColor old = bkColor_;
    bkColor_ = ColorToRGB(c);
    return old;
}

int TCanvas::BkMode() const {
    Sync();
    return bkMode_;
}

int TCanvas::SetBkMode(int mode) {
    Sync();
    const int old = bkMode_;
    if (mode == TRANSPARENT || mode == OPAQUE) bkMode_ = mode;
    return old;
}

int TCanvas::SetPolyFillMode(int mode) {
    const int old = polyFillMode_;
    if (mode == ALTERNATE || mode == WINDING) polyFillMode_ = mode;
    return old;
}

// ---- clipping

TRegion TCanvas::ClipRegion() const {
    TRegion r = hasClip_ ? clip_ : TRegion(CanvasAccess::Device(*this).BoundsRect());
    r.Offset(-origin_.X, -origin_.Y);
    return r;
}

void TCanvas::SetClipRegion(const TRegion& r) {
    clip_ = r;
    clip_.Offset(origin_.X, origin_.Y);
    hasClip_ = true;
}

void TCanvas::SetClipRect(const TRect& r) { SetClipRegion(TRegion(r)); }

// Explicit clip operations start from the whole surface.
void TCanvas::EnsureClip() {
    if (hasClip_) return;
    clip_ = TRegion(CanvasAccess::Device(*this).BoundsRect());
    hasClip_ = true;
}

void TCanvas::IntersectClipRect(const TRect& r) {
    const TRect d = OffsetRect(r, origin_.X, origin_.Y);
    EnsureClip();
    clip_.Intersect(d);
}

void TCanvas::IntersectClipRegion(const TRegion& r) {
    TRegion d(r);
    d.Offset(origin_.X, origin_.Y);
    EnsureClip();
    clip_.Intersect(d);
}

void TCanvas::ExcludeClipRect(const TRect& r) {
    EnsureClip();
    clip_.Subtract(TRegion(OffsetRect(r, origin_.X, origin_.Y)));
}

void TCanvas::ClearClip() {
    hasClip_ = false;
    clip_.Clear();
}

TRect TCanvas::ClipRect() const {
    TRect b = CanvasAccess::Device(*this).BoundsRect();
    if (hasClip_) IntersectRect(b, b, clip_.BoundingBox());
    return OffsetRect(b, -origin_.X, -origin_.Y);
}

bool TCanvas::RectVisible(const TRect& r) const {
    bool any = false;
    CanvasAccess::ForEachClipped(*this, OffsetRect(r, origin_.X, origin_.Y), [&](const TRect&) { any = true; });
    return any;
}

bool TCanvas::PtVisible(int x, int y) const {
    return CanvasAccess::Visible(*this, x + origin_.X, y + origin_.Y);
}

// ---- saved states

int TCanvas::SaveState() {
    Sync();
    auto s = std::make_unique<State>(State{pen_, brush_, font_, textColor_, bkColor_, bkMode_,
                                           polyFillMode_, copyMode_, brushOrigin_, penPos_, origin_,
                                           hasClip_, clip_});
    saved_.push_back(std::move(s));
    return int(saved_.size());
}

bool TCanvas::RestoreState(int level) {
    const int n = int(saved_.size());
    const int target = level < 0 ? n + level + 1 : level;  // the SaveState number to go back to
    if (target < 1 || target > n) return false;
    State& s = *saved_[std::size_t(target - 1)];
    pen_.Assign(s.pen);
    brush_.Assign(s.brush);
    font_.Assign(s.font);
    fontGen_ = font_.Generation();
    brushGen_ = brush_.Generation();
    textColor_ = s.textColor, bkColor_ = s.bkColor, bkMode_ = s.bkMode;
    polyFillMode_ = s.polyFillMode, copyMode_ = s.copyMode;
    brushOrigin_ = s.brushOrigin, penPos_ = s.penPos, origin_ = s.origin;
    hasClip_ = s.hasClip;
    clip_ = std::move(s.clip);
    saved_.resize(std::size_t(target - 1));
    return true;
}

// ---- rectangles

void TCanvas::FillRect(const TRect& r) {
    CanvasAccess::PaintRect(*this, OffsetRect(r, origin_.X, origin_.Y),
                            CanvasAccess::BrushPaint(*this, brush_, 0xF0));
}

// The one-pixel border inside device rectangle d, each pixel once.
static void PaintBorder(const TCanvas& c, const TRect& d, const TPaint& p) {
    if (d.IsEmpty()) return;
    CanvasAccess::PaintRect(c, {d.Left, d.Top, d.Right, d.Top + 1}, p);
    if (d.Height() > 1) CanvasAccess::PaintRect(c, {d.Left, d.Bottom - 1, d.Right, d.Bottom}, p);
    CanvasAccess::PaintRect(c, {d.Left, d.Top + 1, d.Left + 1, d.Bottom - 1}, p);
    if (d.Width() > 1) CanvasAccess::PaintRect(c, {d.Right - 1, d.Top + 1, d.Right, d.Bottom - 1}, p);
}

void TCanvas::FrameRect(const TRect& r) {
    PaintBorder(*this, OffsetRect(r, origin_.X, origin_.Y), CanvasAccess::BrushPaint(*this, brush_, 0xF0));
}

namespace {

enum class Shape { Rect, Round, Ellipse };

void ShapeSpans(Shape s, TRect box, int cw, int ch, std::vector<Span>& out) {
    switch (s) {
        case Shape::Rect:
            if (box.Left > box.Right) std::swap(box.Left, box.Right);
            if (box.Top > box.Bottom) std::swap(box.Top, box.Bottom);
            box = scan::ClampRect(box);
            for (int y = box.Top; y < box.Bottom; ++y) out.push_back({y, box.Left, box.Right});
            break;
        case Shape::Round: scan::RoundRectSpans(box, cw, ch, out); break;
        case Shape::Ellipse: scan::EllipseSpans(box, out); break;
    }
}

}  // namespace

// Shared by Rectangle, RoundRect and Ellipse (pixel rules in Canvas.h).
static void DrawShape(TCanvas& c, Shape shape, int l, int t, int r, int b, int cw, int ch) {
    if (l > r) std::swap(l, r);
    if (t > b) std::swap(t, b);
    const TPoint o = c.Origin();
    const unsigned rop = Rop2ToRop3(c.Pen().Mode());
    const TPaint brush = CanvasAccess::BrushPaint(c, c.Brush(), rop);
    std::vector<Span> spans;
    if (c.Pen().Style() == psClear) {
        // Under two pixels wide or high the inset box is empty; it must not
        // be turned round as an inverted box would be.
        if (std::int64_t(r) - l < 2 || std::int64_t(b) - t < 2) return;
        ShapeSpans(shape, {l, t, r - 1, b - 1}, cw, ch, spans);
        OffsetSpans(spans, o);
        CanvasAccess::PaintSpans(c, spans, brush);
        return;
    }
    const int w = std::max(1, c.Pen().Width());
    const int a = (w - 1) / 2;
    const TRect outer{l - a, t - a, r + a, b + a};
    const TRect inner{outer.Left + w, outer.Top + w, outer.Right - w, outer.Bottom - w};
    ShapeSpans(shape, outer, cw + 2 * a, ch + 2 * a, spans);
    TRegion out = TRegion::FromSpans(spans);
    spans.clear();
    if (!inner.IsEmpty()) ShapeSpans(shape, inner, cw - 2 * (w - a), ch - 2 * (w - a), spans);
    TRegion in = TRegion::FromSpans(spans);
    out.Subtract(in);
    out.Offset(o.X, o.Y);
    in.Offset(o.X, o.Y);
    const TPaint pen = CanvasAccess::PenPaint(c, rop);
    const Dashes* dashes = w == 1 && shape == Shape::Rect ? DashesOf(c.Pen().Style()) : nullptr;
    CanvasAccess::PaintRegion(c, in, brush);
    if (!dashes) {
        CanvasAccess::PaintRegion(c, out, pen);
        return;
    }
    const TPoint keep = c.PenPos();
    c.Polyline({{l, t}, {r - 1, t}, {r - 1, b - 1}, {l, b - 1}, {l, t}});
    c.SetPenPos(keep);
}

void TCanvas::Rectangle(int left, int top, int right, int bottom) {
    DrawShape(*this, Shape::Rect, left, top, right, bottom, 0, 0);
}

void TCanvas::RoundRect(int left, int top, int right, int bottom, int width, int height) {
    DrawShape(*this, Shape::Round, left, top, right, bottom, width, height);
}

void TCanvas::Ellipse(int left, int top, int right, int bottom) {
    DrawShape(*this, Shape::Ellipse, left, top, right, bottom, 0, 0);
}

// ---- lines

namespace {

// Draws a pen path point by point: 1-pixel pens plot directly (with the
// dash pattern), wider pens collect discs into a region painted once.
class PenPath {
public:
    explicit PenPath(TCanvas& c)
        : c_(c),
          paint_(CanvasAccess::PenPaint(c, Rop2ToRop3(c.Pen().Mode()))),
          width_(std::max(1, c.Pen().Width())),
          dashes_(width_ == 1 ? DashesOf(c.Pen().Style()) : nullptr),
          origin_(c.Origin()),
          surface_(CanvasAccess::Target(c)) {
        if (dashes_) {
            CanvasAccess::SyncTools(c);
            gapOpaque_ = CanvasAccess::BkMode(c) == OPAQUE;
            gap_ = paint_;
            gap_.color = NativeColor(CanvasAccess::Bk(c), CanvasAccess::Mono(c));
        }
        if (width_ > 1) {
            const double r = width_ / 2.0;
            const int lo = -(width_ / 2), hi = lo + width_;
            for (int dy = lo; dy < hi; ++dy)
                for (int dx = lo; dx < hi; ++dx) {
                    const double cx = dx + 0.5 - (width_ % 2 ? 0.5 : 0.0);
                    const double cy = dy + 0.5 - (width_ % 2 ? 0.5 : 0.0);
                    if (cx * cx + cy * cy <= r * r) disc_.push_back({dx, dy});
                }
        }
    }
    ~PenPath() {
        if (width_ > 1 && !spans_.empty()) {
            TRegion rgn = TRegion::FromSpans(spans_);
            CanvasAccess::PaintRegion(c_, rgn, paint_);
        }
    }
    void Line(TPoint a, TPoint b) {
        if (paint_.kind == TPaint::None) return;
        scan::LinePixels({scan::Clamp(a.X) + origin_.X, scan::Clamp(a.Y) + origin_.Y},
                         {scan::Clamp(b.X) + origin_.X, scan::Clamp(b.Y) + origin_.Y},
                         [&](int x, int y) { Plot(x, y); });
    }

private:
    void Plot(int x, int y) {
        if (width_ > 1) {
            for (const TPoint& d : disc_) spans_.push_back({y + d.Y, x + d.X, x + d.X + 1});
            return;
        }
        const TPaint* p = &paint_;
        if (dashes_) {
            const bool on = (phase_ % 2) == 0;
            if (++step_ >= dashes_->len[phase_]) step_ = 0, phase_ = (phase_ + 1) % dashes_->n;
            if (!on) {
                if (!gapOpaque_) return;
                p = &gap_;
            }
        }
        if (!CanvasAccess::Visible(c_, x, y)) return;
        std::uint32_t& px = surface_.At(x, y);
        px = ApplyRop3(p->rop, p->color, 0, px);
    }

    TCanvas& c_;
    TPaint paint_;
    TPaint gap_;
    bool gapOpaque_ = false;
    int width_;
    const Dashes* dashes_;
    int phase_ = 0, step_ = 0;
    TPoint origin_;
    TSurfaceView surface_;
    std::vector<TPoint> disc_;
    std::vector<Span> spans_;
};

}  // namespace

void TCanvas::LineTo(int x, int y) {
    {
        PenPath path(*this);
        path.Line(penPos_, {x, y});
    }
    penPos_ = {x, y};
}

void TCanvas::Polyline(const TPoint* points, int count) {
    if (!points || count <= 0) return;
    {
        PenPath path(*this);
        for (int i = 1; i < count; ++i) path.Line(points[i - 1], points[i]);
    }
    penPos_ = points[count - 1];
}

void TCanvas::Polygon(const TPoint* points, int count) {
    if (!points || count <= 0) return;
    const unsigned rop = Rop2ToRop3(pen_.Mode());
    std::vector<Span> spans;
    scan::PolygonSpans(points, count, polyFillMode_, spans);
    TRegion fill = TRegion::FromSpans(spans);
    fill.Offset(origin_.X, origin_.Y);
    CanvasAccess::PaintRegion(*this, fill, CanvasAccess::BrushPaint(*this, brush_, rop));
    if (pen_.Style() == psClear) return;
    PenPath path(*this);
    for (int i = 0; i < count; ++i) path.Line(points[i], points[(i + 1) % count]);
}

// ---- pixels

TColor TCanvas::Pixel(int x, int y) const {
    const int dx = x + origin_.X, dy = y + origin_.Y;
    if (!CanvasAccess::Visible(*this, dx, dy)) return CLR_INVALID;
    return PixelToColor(CanvasAccess::Source(*this).At(dx, dy) & 0xFFFFFF);
}

void TCanvas::SetPixel(int x, int y, TColor c) {
    const int dx = x + origin_.X, dy = y + origin_.Y;
    if (!CanvasAccess::Visible(*this, dx, dy)) return;
    Surface().At(dx, dy) = NativeColor(c, Monochrome());
}

// ---- regions

void TCanvas::FillRgn(const TRegion& rgn, const TBrush& brush) {
    TRegion d(rgn);
    d.Offset(origin_.X, origin_.Y);
    CanvasAccess::PaintRegion(*this, d, CanvasAccess::BrushPaint(*this, brush, 0xF0));
}

void TCanvas::FrameRgn(const TRegion& rgn, const TBrush& brush, int w, int h) {
    // The border: the region minus the region shrunk by w and h, which is
    // the intersection of the region shifted each way.
    TRegion inner(rgn);
    for (int dx = -w; dx <= w; dx += std::max(1, w)) {
        for (int dy = -h; dy <= h; dy += std::max(1, h)) {
            TRegion s(rgn);
            s.Offset(dx, dy);
            inner.Intersect(s);
        }
    }
    TRegion frame(rgn);
    frame.Subtract(inner);
    FillRgn(frame, brush);
}

void TCanvas::InvertRgn(const TRegion& rgn) {
    TRegion d(rgn);
    d.Offset(origin_.X, origin_.Y);
    TPaint p;
    p.kind = TPaint::Solid;
    p.rop = 0x55;
    CanvasAccess::PaintRegion(*this, d, p);
}

void TCanvas::InvertRect(const TRect& r) { InvertRgn(TRegion(r)); }

// ---- borders

bool TCanvas::DrawEdge(TRect& r, unsigned edge, unsigned flags) {
    // Ring colours (top-left, bottom-right) of the outer and inner border.
    // The bottom-right colour owns the top-right and bottom-left corners.
    const bool soft = flags & BF_SOFT;
    TColor outerTL = clNone, outerBR = clNone, innerTL = clNone, innerBR = clNone;
    if (flags & BF_MONO) {
        if (edge & BDR_OUTER) outerTL = outerBR = clWindowFrame;
        if (edge & BDR_INNER) innerTL = innerBR = clWindowFrame;
    } else if (flags & BF_FLAT) {
        if (edge & BDR_OUTER) outerTL = outerBR = clBtnShadow;
        if (edge & BDR_INNER) innerTL = innerBR = clBtnFace;
    } else {
        if (edge & BDR_RAISEDOUTER) outerTL = soft ? clBtnHighlight : cl3DLight, outerBR = cl3DDkShadow;
        else if (edge & BDR_SUNKENOUTER) outerTL = soft ? cl3DDkShadow : clBtnShadow, outerBR = clBtnHighlight;
        if (edge & BDR_RAISEDINNER) innerTL = soft ? cl3DLight : clBtnHighlight, innerBR = clBtnShadow;
        else if (edge & BDR_SUNKENINNER) innerTL = soft ? clBtnShadow : cl3DDkShadow, innerBR = cl3DLight;
    }
    TRect work = r;
    TBrush b;
    auto ring = [&](TColor tl, TColor br) {
        if (tl == clNone && br == clNone) return;
        if (work.IsEmpty()) return;
        const TRect w = work;
        if (flags & BF_TOP) {
            b.SetColor(tl);
            FillRgn(TRegion({w.Left, w.Top, (flags & BF_RIGHT) ? w.Right - 1 : w.Right, w.Top + 1}), b);
        }
        if (flags & BF_LEFT) {
            b.SetColor(tl);
            FillRgn(TRegion({w.Left, w.Top, w.Left + 1, (flags & BF_BOTTOM) ? w.Bottom - 1 : w.Bottom}), b);
        }
        if (flags & BF_BOTTOM) {
            b.SetColor(br);
            FillRgn(TRegion({w.Left, w.Bottom - 1, w.Right, w.Bottom}), b);
        }
        if (flags & BF_RIGHT) {
            b.SetColor(br);
            FillRgn(TRegion({w.Right - 1, w.Top, w.Right, w.Bottom}), b);
        }
        if (flags & BF_LEFT) ++work.Left;
        if (flags & BF_TOP) ++work.Top;
        if (flags & BF_RIGHT) --work.Right;
        if (flags & BF_BOTTOM) --work.Bottom;
    };
    if (flags & BF_DIAGONAL) {
        // A diagonal line from corner to corner of the rectangle.
        const TColor c = (edge & (BDR_RAISEDOUTER | BDR_RAISEDINNER)) ? clBtnShadow : clBtnHighlight;
        TPen keep(pen_);
        pen_.SetColor(c);
        pen_.SetStyle(psSolid);
        pen_.SetWidth(1);
        pen_.SetMode(pmCopy);
        const TPoint pos = penPos_;
        MoveTo(r.Left, r.Bottom - 1);
        LineTo(r.Right, r.Top - 1);
        penPos_ = pos;
        pen_.Assign(keep);
        return true;
    }
    ring(outerTL, outerBR);
    ring(innerTL, innerBR);
    if ((flags & BF_MIDDLE) && !work.IsEmpty()) {
        b.SetColor((flags & BF_MONO) ? clWindow : clBtnFace);
        FillRgn(TRegion(work), b);
    }
    if (flags & BF_ADJUST) r = work;
    return true;
}

void TCanvas::Frame3D(TRect& r, TColor top, TColor bottom, int width) {
    TBrush b;
    for (int i = 0; i < width && !r.IsEmpty(); ++i) {
        b.SetColor(top);
        FillRgn(TRegion({r.Left, r.Top, r.Right - 1, r.Top + 1}), b);
        FillRgn(TRegion({r.Left, r.Top, r.Left + 1, r.Bottom - 1}), b);
        b.SetColor(bottom);
        FillRgn(TRegion({r.Right - 1, r.Top, r.Right, r.Bottom}), b);
        FillRgn(TRegion({r.Left, r.Bottom - 1, r.Right, r.Bottom}), b);
        r = InflateRect(r, -1, -1);
    }
}

void TCanvas::DrawFocusRect(const TRect& r) {
    TPaint p;
    p.kind = TPaint::Mono;
    p.rop = 0x5A;
    p.fg = 0xFFFFFF;
    p.bgTransparent = true;
    for (int i = 0; i < 8; ++i) p.bits[i] = (i % 2) ? 0x55 : 0xAA;
    PaintBorder(*this, OffsetRect(r, origin_.X, origin_.Y), p);
}

// ---- pictures

void TCanvas::Draw(int x, int y, const TGraphic& g) {
    if (g.Empty()) return;
    g.Draw(*this, Bounds(x, y, g.Width(), g.Height()));
}

void TCanvas::StretchDraw(const TRect& r, const TGraphic& g) {
    if (g.Empty()) return;
    g.Draw(*this, r);
}

}  // namespace menvaro

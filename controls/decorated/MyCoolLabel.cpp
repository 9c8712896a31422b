#include "decorated/MyCoolLabel.h"

#include "classes/ClassBuilder.h"
#include "ui/GraphicsClasses.h"

namespace menvaro {

MENVARO_DEFINE_ENUM(TEdgeBorder, ebLeft, ebTop, ebRight, ebBottom)

MENVARO_CLASS_INFO(TMyCoolLabel) {
    c.Prop("BorderPen", &TMyCoolLabel::BorderPen, &TMyCoolLabel::SetBorderPen);
    c.Prop("EdgeBorders", &TMyCoolLabel::EdgeBorders, &TMyCoolLabel::SetEdgeBorders).Default(TEdgeBorders{});
    c.Prop("idWallpaper", &TMyCoolLabel::idWallpaper, &TMyCoolLabel::SetIdWallpaper).Default(-1);
    c.Prop("Glyph", &TMyCoolLabel::Glyph, &TMyCoolLabel::SetGlyph);
    c.Prop("NumGlyphs", &TMyCoolLabel::NumGlyphs, &TMyCoolLabel::SetNumGlyphs).Default(1);
    c.Prop("ShadowColor", &TMyCoolLabel::ShadowColor, &TMyCoolLabel::SetShadowColor)
        .Idents(ColorIdents())
        .Default(clBtnHighlight);
    c.Prop("ShadowSize", &TMyCoolLabel::ShadowSize, &TMyCoolLabel::SetShadowSize).Default(1);
    c.Prop("ShadowPos", &TMyCoolLabel::ShadowPos, &TMyCoolLabel::SetShadowPos).Default(spLeftTop);
    c.Prop("SimpleView", &TMyCoolLabel::SimpleView, &TMyCoolLabel::SetSimpleView).Default(false);
    c.Prop("Stretched", &TMyCoolLabel::Stretched, &TMyCoolLabel::SetStretched).Default(false);
    c.Prop("Wallpaper", &TMyCoolLabel::Wallpaper, &TMyCoolLabel::SetWallpaper);
    c.Prop("BevelInner", &TMyCoolLabel::BevelInner, &TMyCoolLabel::SetBevelInner).Default(bvNone);
    c.Prop("BevelOuter", &TMyCoolLabel::BevelOuter, &TMyCoolLabel::SetBevelOuter).Default(bvNone);
    c.Prop("BevelsOffset", &TMyCoolLabel::BevelsOffset, &TMyCoolLabel::SetBevelsOffset).Default(0);
}

TMyCoolLabel::TMyCoolLabel(TComponent* owner)
    : TCustomLabel(owner), glyph_(Create<myUtils::TGlyph>()), borderPen_(std::make_unique<TPen>()) {
    glyph_->OnChange = [this](TObject*) { Invalidate(); };
    borderPen_->OnChange = [this] { Invalidate(); };
}

TMyCoolLabel::~TMyCoolLabel() = default;

void TMyCoolLabel::SetShadowColor(TColor c) {
    if (c == shadowColor_) return;
    shadowColor_ = c;
    simpleView_ = false;
    Repaint();
}

void TMyCoolLabel::SetShadowSize(std::uint8_t v) {
    if (v == shadowSize_) return;
    shadowSize_ = v;
    simpleView_ = false;
    Repaint();
}

void TMyCoolLabel::SetShadowPos(TShadowPosition p) {
    if (p == shadowPos_) return;
    shadowPos_ = p;
    simpleView_ = false;
    Repaint();
}

void TMyCoolLabel::SetSimpleView(bool v) {
    if (v == simpleView_) return;
    simpleView_ = v;
    Repaint();
}

void TMyCoolLabel::SetStretched(bool v) {
    if (v == stretched_) return;
    stretched_ = v;
    Invalidate();
}

void TMyCoolLabel::SetWallpaper(const TBitmap* b) {
    TBitmap* w = Wallpaper();
    if (b)
        w->Assign(*b);
    else
        w->Clear();
    Repaint();
}

void TMyCoolLabel::SetIdWallpaper(int v) {
    if (v == idWallpaper_) return;
    idWallpaper_ = v;
    Invalidate();
}

void TMyCoolLabel::SetBevelInner(TBevelCut b) {
    if (b == bevelInner_) return;
    bevelInner_ = b;
    Repaint();
}

void TMyCoolLabel::SetBevelOuter(TBevelCut b) {
    if (b == bevelOuter_) return;
    bevelOuter_ = b;
    Repaint();
}

void TMyCoolLabel::SetBevelsOffset(int v) {
    if (v == bevelsOffset_) return;
    bevelsOffset_ = v;
    if (v != 0) SetAutoSize(false);
    Repaint();
}

void TMyCoolLabel::SetGlyph(const TBitmap* b) {
    glyph_->SetGlyph(b);
    AdjustBounds();
}

void TMyCoolLabel::SetNumGlyphs(int n) {
    if (n > 2) n = 2;
    if (n < 1 || n == glyph_->NumGlyphs()) return;
    glyph_->SetNumGlyphs(std::uint8_t(n));
    Invalidate();
}

void TMyCoolLabel::SetEdgeBorders(TEdgeBorders e) {
    if (e == edgeBorders_) return;
    edgeBorders_ = e;
    Invalidate();
}

void TMyCoolLabel::SetBorderPen(const TPen* p) {
    if (p) borderPen_->Assign(*p);
}

void TMyCoolLabel::DoDrawText(TRect& rect, unsigned flags) {
    std::string text = GetLabelText();
    if ((flags & DT_CALCRECT) && (text.empty() || (ShowAccelChar() && text == "&"))) text += ' ';
    if (!ShowAccelChar()) flags |= DT_NOPREFIX;
    TCanvas& c = *Canvas();
    c.Font().Assign(*Font());
    if (!Enabled()) {
        DrawShadowText(&c, rect, spRightBottom, 1, clBtnHighlight, clBtnShadow, flags, text);
    } else if (simpleView_) {
        c.SetTextColor(ColorToRGB(Font()->Color()));
        c.DrawText(text, rect, flags);
    } else {
        DrawShadowText(&c, rect, shadowPos_, shadowSize_, shadowColor_, Font()->Color(), flags, text);
    }
}

void TMyCoolLabel::Paint() {
    TCanvas& c = *Canvas();
    TRect r = ClientRect();
    if (!Transparent() && !PaintWallpaper(&c, wallpaper_.get(), idWallpaper_, r, SRCCOPY, stretched_)) {
        c.Brush().SetStyle(bsSolid);
        c.Brush().SetColor(Color());
        c.FillRect(r);
    }
    auto drawn = [](TBevelCut b) { return b != bvNone && b != bvSpace; };
    if (drawn(bevelInner_) || drawn(bevelOuter_)) {
        const unsigned inner = bevelInner_ == bvLowered  ? unsigned(BDR_SUNKENINNER)
                               : bevelInner_ == bvRaised ? unsigned(BDR_RAISEDINNER)
                                                         : 0u;
        const unsigned outer = bevelOuter_ == bvLowered  ? unsigned(BDR_SUNKENOUTER)
                               : bevelOuter_ == bvRaised ? unsigned(BDR_RAISEDOUTER)
                                                         : 0u;
        c.DrawEdge(r, inner | outer, BF_RECT);
        r = InflateRect(r, -bevelsOffset_, -bevelsOffset_);
    }
    c.Brush().SetStyle(bsClear);
    const unsigned align = Alignment() == taRightJustify ? unsigned(DT_RIGHT)
                           : Alignment() == taCenter     ? unsigned(DT_CENTER)
                                                         : unsigned(DT_LEFT);
    const unsigned flags = DT_EXPANDTABS | (WordWrap() ? unsigned(DT_WORDBREAK) : 0u) | align;
    if (Layout() != tlTop) {
        TRect measured = r;
        DoDrawText(measured, flags | DT_CALCRECT);
        const int room = Height() - measured.Bottom;
        r = OffsetRect(r, 0, Layout() == tlBottom ? room : room / 2);
    }
    if (glyph_->HasImage()) {
        const int gw = glyph_->ImageWidth();
        c.Font().Assign(*Font());
        const int tw = c.TextWidth(Caption());
        TPoint p{r.Left, r.Top};
        switch (Alignment()) {
            case taRightJustify: p.X = r.Right - tw - gw - 2; break;
            case taCenter:
                p.X = r.Left + (r.Right - r.Left) / 2 - (tw + gw + 2) / 2;
                r = OffsetRect(r, (gw + 2) / 2, 0);
                break;
            default: r = OffsetRect(r, gw + 2, 0); break;
        }
        glyph_->Draw(c, p, clNone, true, Enabled());
    }
    DoDrawText(r, flags);
    DrawEdgeBorders(c);
}

void TMyCoolLabel::DrawEdgeBorders(TCanvas& c) {
    if (edgeBorders_.Empty()) return;
    c.Pen().Assign(*borderPen_);
    const TRect r = ClientRect();
    auto line = [&](int x1, int y1, int x2, int y2) {
        c.MoveTo(x1, y1);
        c.LineTo(x2, y2);
    };
    if (edgeBorders_.Contains(ebTop)) line(r.Left, r.Top + 1, r.Right, r.Top + 1);
    if (edgeBorders_.Contains(ebLeft)) line(r.Left + 1, r.Top, r.Left + 1, r.Bottom);
    if (edgeBorders_.Contains(ebRight)) line(r.Right - 1, r.Top, r.Right - 1, r.Bottom);
    if (edgeBorders_.Contains(ebBottom)) line(r.Left, r.Bottom - 1, r.Right, r.Bottom - 1);
}

void TMyCoolLabel::Loaded() {
    TCustomLabel::Loaded();
    // Still marked as being read here, yet read to the end.
    FitBounds();
}

void TMyCoolLabel::AdjustBounds() {
    if (!ComponentState().Contains(csReading)) FitBounds();
}

void TMyCoolLabel::FitBounds() {
    if (!AutoSize() || !Parent()) return;
    TRect r = ClientRect();
    DoDrawText(r, DT_EXPANDTABS | DT_CALCRECT | (WordWrap() ? unsigned(DT_WORDBREAK) : 0u));
    if (glyph_->HasImage()) {
        r.Right += glyph_->ImageWidth() + 2;
        r.Bottom = std::max(r.Bottom, glyph_->Strip()->Height());
    }
    int x = Left();
    if (Alignment() == taRightJustify) x += Width() - r.Right;
    SetBounds(x, Top(), r.Right, r.Bottom);
}

}  // namespace menvaro

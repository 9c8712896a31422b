#include "ui/ExtCtrls.h"

#include <algorithm>

#include "classes/ClassBuilder.h"

namespace menvaro {

MENVARO_DEFINE_ENUM(TBevelCut, bvNone, bvLowered, bvRaised, bvSpace)
MENVARO_DEFINE_ENUM(TBevelShape, bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer)
MENVARO_DEFINE_ENUM(TBevelStyle, bsLowered, bsRaised)

// ------------------------------------------------------------ TCustomPanel

MENVARO_CLASS_INFO(TCustomPanel) {
    c.Prop("Alignment", &TCustomPanel::Alignment, &TCustomPanel::SetAlignment).Default(taCenter);
    c.Prop("BevelInner", &TCustomPanel::BevelInner, &TCustomPanel::SetBevelInner).Default(bvNone);
    c.Prop("BevelOuter", &TCustomPanel::BevelOuter, &TCustomPanel::SetBevelOuter).Default(bvRaised);
    c.Prop("BevelWidth", &TCustomPanel::BevelWidth, &TCustomPanel::SetBevelWidth).Default(1).Clamp(0, kMaxCoord);
    c.Prop("BorderWidth", &TCustomPanel::BorderWidth, &TCustomPanel::SetBorderWidth).Default(0).Clamp(0, kMaxCoord);
    c.Prop("BorderStyle", &TCustomPanel::BorderStyle, &TCustomPanel::SetBorderStyle).Default(bsNone);
    c.Prop("FullRepaint", &TCustomPanel::FullRepaint, &TCustomPanel::FullRepaint).Default(true);
    c.Prop("Locked", &TCustomPanel::Locked, &TCustomPanel::Locked).Default(false);
}

MENVARO_CLASS_INFO(TPanel) {}

TCustomPanel::TCustomPanel(TComponent* owner) : TCustomControl(owner) {
    SetControlStyle(
        {csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csOpaque, csDoubleClicks, csReplicatable});
    SetBounds(0, 0, 185, 41);
    SetColor(clBtnFace);
}

void TCustomPanel::SetAlignment(TAlignment a) {
    if (a == alignment_) return;
    alignment_ = a;
    Invalidate();
}

void TCustomPanel::SetBevelInner(TBevelCut b) {
    if (b == bevelInner_) return;
    bevelInner_ = b;
    Realign();
    Invalidate();
}

void TCustomPanel::SetBevelOuter(TBevelCut b) {
    if (b == bevelOuter_) return;
    bevelOuter_ = b;
    Realign();
    Invalidate();
}

void TCustomPanel::SetBevelWidth(int w) {
    if (w < 1) w = 1;
    if (w == bevelWidth_) return;
    bevelWidth_ = w;
    Realign();
    Invalidate();
}

void TCustomPanel::SetBorderWidth(int w) {
    if (w < 0) w = 0;
    if (w == borderWidth_) return;
    borderWidth_ = w;
    Realign();
    Invalidate();
}

void TCustomPanel::SetBorderStyle(TBorderStyle s) {
    if (s != bsNone && s != bsSingle) s = bsSingle;
    if (s == borderStyle_) return;
    borderStyle_ = s;
    RecreateWnd();
    Realign();
}

void TCustomPanel::CreateParams(TCreateParams& p) {
    TCustomControl::CreateParams(p);
    if (borderStyle_ == bsSingle) {
        if (Ctl3D())
            p.ExStyle |= WS_EX_CLIENTEDGE;
        else
            p.Style |= WS_BORDER;
    }
}

void TCustomPanel::AdjustClientRect(TRect& r) {
    TCustomControl::AdjustClientRect(r);
    int inset = borderWidth_ + (bevelOuter_ != bvNone ? bevelWidth_ : 0) + (bevelInner_ != bvNone ? bevelWidth_ : 0);
    r = InflateRect(r, -inset, -inset);
}

namespace {
void BevelColors(TBevelCut b, TColor face, TColor& top, TColor& bottom) {
    switch (b) {
        case bvLowered: top = clBtnShadow, bottom = clBtnHighlight; break;
        case bvRaised: top = clBtnHighlight, bottom = clBtnShadow; break;
        default: top = bottom = face; break;
    }
}
}  // namespace

void TCustomPanel::Paint() {
    TCanvas& c = *Canvas();
    TRect r = ClientRect();
    TColor top, bottom;
    if (bevelOuter_ != bvNone) {
        BevelColors(bevelOuter_, Color(), top, bottom);
        c.Frame3D(r, top, bottom, bevelWidth_);
    }
    c.Frame3D(r, Color(), Color(), borderWidth_);
    if (bevelInner_ != bvNone) {
        BevelColors(bevelInner_, Color(), top, bottom);
        c.Frame3D(r, top, bottom, bevelWidth_);
    }
    c.Brush().SetStyle(bsSolid);
    c.Brush().SetColor(Color());
    c.FillRect(r);
    if (!Caption().empty()) {
        unsigned align = alignment_ == taLeftJustify ? DT_LEFT : alignment_ == taRightJustify ? DT_RIGHT : DT_CENTER;
        c.Brush().SetStyle(bsClear);
        c.Font().Assign(*Font());
        if (!Enabled()) c.Font().SetColor(clGrayText);
        c.DrawText(Caption(), r, DT_SINGLELINE | DT_VCENTER | DT_EXPANDTABS | align);
    }
}

void TCustomPanel::Dispatch(TMessage& m) {
    switch (m.Msg) {
        case CM_TEXTCHANGED:
        case CM_ENABLEDCHANGED:
            Invalidate();
            TCustomControl::Dispatch(m);
            return;
        case CM_CTL3DCHANGED:
            if (borderStyle_ == bsSingle) RecreateWnd();
            TCustomControl::Dispatch(m);
            return;
        default: TCustomControl::Dispatch(m);
    }
}

// ------------------------------------------------------------------ TShape

MENVARO_DEFINE_ENUM(TShapeType, stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle)

MENVARO_CLASS_INFO(TShape) {
    c.Prop("Brush", &TShape::Brush, &TShape::SetBrush);
    c.Prop("Pen", &TShape::Pen, &TShape::SetPen);
    c.Prop("Shape", &TShape::Shape, &TShape::SetShape).Default(stRectangle);
}

TShape::TShape(TComponent* owner)
    : TGraphicControl(owner), pen_(std::make_unique<TPen>()), brush_(std::make_unique<TBrush>()) {
    SetControlStyle(ControlStyle() + csReplicatable);
    SetBounds(0, 0, 65, 65);
    pen_->OnChange = [this] { Invalidate(); };
    brush_->OnChange = [this] { Invalidate(); };
}

TShape::~TShape() = default;

void TShape::SetShape(TShapeType s) {
    if (s == shape_) return;
    shape_ = s;
    Invalidate();
}

void TShape::SetPen(const TPen* p) {
    if (p) pen_->Assign(*p);
}

void TShape::SetBrush(const TBrush* b) {
    if (b) brush_->Assign(*b);
}

void TShape::Paint() {
    TCanvas& c = *Canvas();
    c.Pen().Assign(*pen_);
    c.Brush().Assign(*brush_);
    // The outline lies inside the bounds however wide the pen.
    const int pw = pen_->Width();
    int x = pw / 2, y = x;
    int w = Width() - pw + 1, h = Height() - pw + 1;
    if (pw == 0) {
        --w;
        --h;
    }
    const int s = std::min(w, h);
    if (shape_ == stSquare || shape_ == stRoundSquare || shape_ == stCircle) {
        x += (w - s) / 2;
        y += (h - s) / 2;
        w = h = s;
    }
    switch (shape_) {
        case stRectangle:
        case stSquare: c.Rectangle(x, y, x + w, y + h); break;
        case stRoundRect:
        case stRoundSquare: c.RoundRect(x, y, x + w, y + h, s / 4, s / 4); break;
        case stEllipse:
        case stCircle: c.Ellipse(x, y, x + w, y + h); break;
    }
}

// ------------------------------------------------------------------ TBevel

MENVARO_CLASS_INFO(TBevel) {
    c.Prop("Shape", &TBevel::Shape, &TBevel::SetShape).Default(bsBox);
    c.Prop("Style", &TBevel::Style, &TBevel::SetStyle).Default(bsLowered);
}

TBevel::TBevel(TComponent* owner) : TGraphicControl(owner) {
    SetControlStyle(ControlStyle() + csReplicatable);
    SetBounds(0, 0, 50, 50);
}

void TBevel::SetShape(TBevelShape s) {
    if (s == shape_) return;
    shape_ = s;
    Invalidate();
}

void TBevel::SetStyle(TBevelStyle s) {
    if (s == style_) return;
    style_ = s;
    Invalidate();
}

void TBevel::Paint() {
    TCanvas& c = *Canvas();
    const TColor c1 = style_ == bsLowered ? clBtnShadow : clBtnHighlight;
    const TColor c2 = style_ == bsLowered ? clBtnHighlight : clBtnShadow;
    const int w = Width(), h = Height();
    auto line = [&](TRect r, TColor color) {
        c.Brush().SetStyle(bsSolid);
        c.Brush().SetColor(color);
        c.FillRect(r);
    };
    switch (shape_) {
        case bsBox: {
            TRect r = ClientRect();
            c.Frame3D(r, c1, c2, 1);
            break;
        }
        case bsFrame: {
            // Etched: the inner ring first, the outer ring over it.
            TRect inner{1, 1, w, h}, outer{0, 0, w - 1, h - 1};
            c.Frame3D(inner, c2, c2, 1);
            c.Frame3D(outer, c1, c1, 1);
            break;
        }
        case bsTopLine:
            line({0, 0, w, 1}, c1);
            line({0, 1, w, 2}, c2);
            break;
        case bsBottomLine:
            line({0, h - 2, w, h - 1}, c1);
            line({0, h - 1, w, h}, c2);
            break;
        case bsLeftLine:
            line({0, 0, 1, h}, c1);
            line({1, 0, 2, h}, c2);
            break;
        case bsRightLine:
            line({w - 2, 0, w - 1, h}, c1);
            line({w - 1, 0, w, h}, c2);
            break;
        case bsSpacer: break;
    }
}

// ------------------------------------------------------------------ TImage

MENVARO_CLASS_INFO(TImage) {
    c.Prop("Center", &TImage::Center, &TImage::SetCenter).Default(false);
    c.Prop("Picture", &TImage::Picture, &TImage::SetPicture);
    c.Prop("Proportional", &TImage::Proportional, &TImage::SetProportional).Default(false);
    c.Prop("Stretch", &TImage::Stretch, &TImage::SetStretch).Default(false);
    c.Prop("Transparent", &TImage::Transparent, &TImage::SetTransparent).Default(false);
}

TImage::TImage(TComponent* owner) : TGraphicControl(owner), picture_(Create<TPicture>()) {
    SetControlStyle(ControlStyle() + csReplicatable);
    picture_->OnChange = [this] { PictureChanged(); };
    SetBounds(0, 0, 105, 105);
}

TImage::~TImage() = default;

void TImage::SetPicture(TPicture* p) { picture_->Assign(p); }

void TImage::SetStretch(bool v) {
    if (v == stretch_) return;
    stretch_ = v;
    Invalidate();
}

void TImage::SetCenter(bool v) {
    if (v == center_) return;
    center_ = v;
    Invalidate();
}

void TImage::SetProportional(bool v) {
    if (v == proportional_) return;
    proportional_ = v;
    Invalidate();
}

void TImage::SetTransparent(bool v) {
    if (v == transparent_) return;
    transparent_ = v;
    PictureChanged();
}

void TImage::SetAutoSize(bool v) {
    if (v == AutoSize()) return;
    TGraphicControl::SetAutoSize(v);
    PictureChanged();
}

void TImage::PictureChanged() {
    if (AutoSize() && picture_->Width() > 0 && picture_->Height() > 0)
        SetBounds(Left(), Top(), picture_->Width(), picture_->Height());
    if (TGraphic* g = picture_->Graphic(); g && g->Transparent() != transparent_) g->SetTransparent(transparent_);
    Invalidate();
}

TRect TImage::DestRect() const {
    int w = picture_->Width(), h = picture_->Height();
    const int cw = ClientWidth(), ch = ClientHeight();
    if (stretch_ || (proportional_ && (w > cw || h > ch))) {
        if (proportional_ && w > 0 && h > 0) {
            // The largest size of the picture's shape that fits.
            if (static_cast<long long>(cw) * h <= static_cast<long long>(ch) * w) {
                h = static_cast<int>(static_cast<long long>(cw) * h / w);
                w = cw;
            } else {
                w = static_cast<int>(static_cast<long long>(ch) * w / h);
                h = ch;
            }
        } else {
            w = cw;
            h = ch;
        }
    }
    TRect r = Bounds(0, 0, w, h);
    if (center_) r = OffsetRect(r, (cw - w) / 2, (ch - h) / 2);
    return r;
}

void TImage::Paint() {
    TGraphic* g = picture_->Graphic();
    if (!g || g->Empty()) return;
    TRect r = DestRect();
    if (r.IsEmpty()) return;
    g->Draw(*Canvas(), r);
}

}  // namespace menvaro

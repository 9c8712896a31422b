#include "decorated/MyCoolGroupBox.h"

#include "classes/ClassBuilder.h"
#include "ui/DrawState.h"
#include "ui/GraphicsClasses.h"

namespace menvaro {

MENVARO_CLASS_INFO(TMyCoolGroupBox) {
    c.Prop("idWallpaper", &TMyCoolGroupBox::idWallpaper, &TMyCoolGroupBox::SetIdWallpaper).Default(-1);
    c.Prop("Transparent", &TMyCoolGroupBox::Transparent, &TMyCoolGroupBox::SetTransparent).Default(false);
    c.Prop("Wallpaper", &TMyCoolGroupBox::Wallpaper, &TMyCoolGroupBox::SetWallpaper);
    c.Prop("ShadowColor", &TMyCoolGroupBox::ShadowColor, &TMyCoolGroupBox::SetShadowColor)
        .Idents(ColorIdents())
        .Default(clBtnHighlight);
    c.Prop("ShadowSize", &TMyCoolGroupBox::ShadowSize, &TMyCoolGroupBox::SetShadowSize).Default(1);
    c.Prop("ShadowPos", &TMyCoolGroupBox::ShadowPos, &TMyCoolGroupBox::SetShadowPos).Default(spLeftTop);
    c.Prop("SimpleView", &TMyCoolGroupBox::SimpleView, &TMyCoolGroupBox::SetSimpleView).Default(false);
    c.Prop("TransparencyLevel", &TMyCoolGroupBox::TransparencyLevel, &TMyCoolGroupBox::SetTransparencyLevel).Default(0);
    c.Prop("Stretched", &TMyCoolGroupBox::Stretched, &TMyCoolGroupBox::SetStretched).Default(false);
}

TMyCoolGroupBox::TMyCoolGroupBox(TComponent* owner) : TCustomGroupBox(owner) {}

TMyCoolGroupBox::~TMyCoolGroupBox() = default;

void TMyCoolGroupBox::TellParent() {
    if (Parent()) Parent()->Perform(CM_CHANGED, 0, reinterpret_cast<LPARAM>(static_cast<TControl*>(this)));
}

void TMyCoolGroupBox::ShadowChanged() {
    simpleView_ = false;
    Invalidate();
    TellParent();
}

void TMyCoolGroupBox::SetShadowColor(TColor c) {
    if (c == shadowColor_) return;
    shadowColor_ = c;
    ShadowChanged();
}

void TMyCoolGroupBox::SetShadowSize(std::uint8_t v) {
    if (v == shadowSize_) return;
    shadowSize_ = v;
    ShadowChanged();
}

void TMyCoolGroupBox::SetShadowPos(TShadowPosition p) {
    if (p == shadowPos_) return;
    shadowPos_ = p;
    ShadowChanged();
}

void TMyCoolGroupBox::SetSimpleView(bool v) {
    if (v == simpleView_) return;
    simpleView_ = v;
    Invalidate();
    TellParent();
}

void TMyCoolGroupBox::SetIdWallpaper(int v) {
    if (v == idWallpaper_) return;
    idWallpaper_ = v;
    Invalidate();
}

void TMyCoolGroupBox::SetStretched(bool v) {
    if (v == stretched_) return;
    stretched_ = v;
    Invalidate();
}

void TMyCoolGroupBox::SetTransparencyLevel(std::uint8_t v) {
    if (v == transparencyLevel_) return;
    transparencyLevel_ = v;
    Invalidate();
}

void TMyCoolGroupBox::SetTransparent(bool v) {
    if (v == transparent_) return;
    // Children that take the box's colour repaint over the new background.
    Perform(CM_COLORCHANGED, 0, 0);
    transparent_ = v;
    Invalidate();
}

void TMyCoolGroupBox::SetWallpaper(const TBitmap* b) {
    if (b && b == wallpaper_.get()) return;
    TBitmap* w = Wallpaper();
    Perform(CM_COLORCHANGED, 0, 0);
    if (b)
        w->Assign(*b);
    else
        w->Clear();
    Invalidate();
}

void TMyCoolGroupBox::PaintCaption(TCanvas& c, TRect r) {
    r.Left -= shadowSize_;
    r.Right += shadowSize_;
    const unsigned flags = DT_SINGLELINE;
    // The caption's background covers the frame line under it.
    c.SetBkMode(TRANSPARENT);
    if (transparent_) {
        PaintParentBackgroundClipped(TransparencyAncestor(this, transparencyLevel_), &c, r, true, this);
    } else if (!PaintWallpaper(&c, wallpaper_.get(), idWallpaper_, r, SRCCOPY, stretched_)) {
        // The first text drawn fills its cell with Color.
        c.Brush().SetColor(Color());
        c.Brush().SetStyle(bsSolid);
        c.SetBkMode(OPAQUE);
    }
    if (!Enabled()) {
        c.SetTextColor(ColorToRGB(Font()->Color()));
        c.DrawText(Caption(), r, flags);
        DrawState(c, Caption(), r.Left, r.Top, r.Right, r.Bottom, DST_PREFIXTEXT | DSS_DISABLED);
    } else if (simpleView_) {
        c.SetTextColor(ColorToRGB(Font()->Color()));
        c.DrawText(Caption(), r, flags);
    } else {
        DrawShadowText(&c, r, shadowPos_, shadowSize_, shadowColor_, Font()->Color(), flags, Caption());
    }
}

void TMyCoolGroupBox::Dispatch(TMessage& m) {
    switch (m.Msg) {
        case WM_ERASEBKGND:
            if (EraseCoolBackground(this, reinterpret_cast<HDC>(m.WParam), transparent_, transparencyLevel_,
                                    wallpaper_.get(), idWallpaper_, stretched_))
                m.Result = 1;
            else
                TCustomGroupBox::Dispatch(m);
            return;
        case WM_MOVE:
            // What shows through depends on where the box is.
            TCustomGroupBox::Dispatch(m);
            Invalidate();
            return;
        case CM_ENABLEDCHANGED:
            TCustomGroupBox::Dispatch(m);
            Invalidate();
            return;
        case CM_PARENTCOLORCHANGED:
            TCustomGroupBox::Dispatch(m);
            Perform(CM_COLORCHANGED, 0, 0);
            Invalidate();
            return;
        default: TCustomGroupBox::Dispatch(m);
    }
}

}  // namespace menvaro

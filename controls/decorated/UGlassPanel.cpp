#include "decorated/UGlassPanel.h"

#include "classes/ClassBuilder.h"
#include "ui/GraphicsClasses.h"

namespace menvaro {

MENVARO_CLASS_INFO(TUGlassPanel) {
    c.Prop("idWallpaper", &TUGlassPanel::idWallpaper, &TUGlassPanel::SetIdWallpaper).Default(-1);
    c.Prop("InactiveFontColor", &TUGlassPanel::InactiveFontColor, &TUGlassPanel::SetInactiveFontColor)
        .Idents(ColorIdents())
        .Default(clWhite);
    c.Prop("Stretched", &TUGlassPanel::Stretched, &TUGlassPanel::SetStretched).Default(false);
    c.Prop("Wallpaper", &TUGlassPanel::Wallpaper, &TUGlassPanel::SetWallpaper);
    c.Prop("Transparent", &TUGlassPanel::Transparent, &TUGlassPanel::SetTransparent).Default(false);
    c.Prop("TransparencyLevel", &TUGlassPanel::TransparencyLevel, &TUGlassPanel::SetTransparencyLevel).Default(0);
    // Declared so, while a new panel starts at clBtnFace: a panel of
    // clBtnShadow is not written, one of clBtnFace is.
    c.Redeclare("Color").Default(clBtnShadow);
}

TUGlassPanel::TUGlassPanel(TComponent* owner) : TCustomPanel(owner) {}

TUGlassPanel::~TUGlassPanel() = default;

void TUGlassPanel::SetWallpaper(const TBitmap* b) {
    if (b && b == wallpaper_.get()) return;
    TBitmap* w = Wallpaper();
    transparent_ = false;
    if (b)
        w->Assign(*b);
    else
        w->Clear();
    Invalidate();
}

void TUGlassPanel::SetTransparent(bool v) {
    if (v == transparent_) return;
    transparent_ = v;
    Repaint();
}

void TUGlassPanel::SetTransparencyLevel(std::uint8_t v) {
    if (v == transparencyLevel_) return;
    transparencyLevel_ = v;
    Invalidate();
}

void TUGlassPanel::SetStretched(bool v) {
    if (v == stretched_) return;
    stretched_ = v;
    Invalidate();
}

void TUGlassPanel::SetIdWallpaper(int v) {
    if (v == idWallpaper_) return;
    idWallpaper_ = v;
    Invalidate();
}

void TUGlassPanel::Paint() {
    TCanvas& c = *Canvas();
    TRect r = ClientRect();
    if (transparent_) {
        PaintParentBackground(TransparencyAncestor(this, transparencyLevel_), &c, true, this);
    } else if (!PaintWallpaper(&c, wallpaper_.get(), -1, r, SRCCOPY, stretched_)) {
        c.Brush().SetStyle(bsSolid);
        c.Brush().SetColor(Color());
        c.FillRect(r);
        c.Brush().SetStyle(bsClear);
    }
    auto bevel = [&](TBevelCut cut) {
        if (cut == bvNone) return;
        const bool lowered = cut == bvLowered;
        c.Frame3D(r, lowered ? clBtnShadow : clBtnHighlight, lowered ? clBtnHighlight : clBtnShadow, BevelWidth());
    };
    bevel(BevelOuter());
    c.Frame3D(r, Color(), Color(), BorderWidth());
    bevel(BevelInner());
    c.Font().Assign(*Font());
    const int fh = c.TextHeight("W");
    r.Top = (r.Top + r.Bottom - fh) / 2;
    r.Bottom = r.Top + fh;
    const unsigned align = Alignment() == taLeftJustify    ? unsigned(DT_LEFT)
                           : Alignment() == taRightJustify ? unsigned(DT_RIGHT)
                                                           : unsigned(DT_CENTER);
    c.SetBkMode(TRANSPARENT);
    c.SetTextColor(ColorToRGB(Font()->Color()));
    c.DrawText(Caption(), r, DT_EXPANDTABS | DT_VCENTER | align);
}

void TUGlassPanel::Dispatch(TMessage& m) {
    switch (m.Msg) {
        case WM_ERASEBKGND:
            if (EraseCoolBackground(this, reinterpret_cast<HDC>(m.WParam), transparent_, transparencyLevel_,
                                    wallpaper_.get(), -1, stretched_))
                m.Result = 1;
            else
                TCustomPanel::Dispatch(m);
            return;
        case CM_PARENTCOLORCHANGED:
            TCustomPanel::Dispatch(m);
            if (transparent_) Invalidate();
            return;
        default: TCustomPanel::Dispatch(m);
    }
}

}  // namespace menvaro

// The group box.
#include "classes/ClassBuilder.h"
#include "ui/StdCtrls.h"

namespace menvaro {

MENVARO_CLASS_INFO(TCustomGroupBox) {}

MENVARO_CLASS_INFO(TGroupBox) {}

TCustomGroupBox::TCustomGroupBox(TComponent* owner) : TCustomControl(owner) {
    SetControlStyle({csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks, csReplicatable});
    SetBounds(0, 0, 185, 105);
}

void TCustomGroupBox::AdjustClientRect(TRect& rect) {
    TCustomControl::AdjustClientRect(rect);
    rect.Top += DesignTextHeight(*Font());
    const int inset = Ctl3D() ? 2 : 1;
    rect = InflateRect(rect, -inset, -inset);
}

void TCustomGroupBox::Paint() {
    TCanvas& c = *Canvas();
    c.Font().Assign(*Font());
    const int h = c.TextHeight("0");
    TRect r{0, h / 2 - 1, Width(), Height()};
    c.Brush().SetStyle(bsSolid);
    if (Ctl3D()) {
        ++r.Left;
        ++r.Top;
        c.Brush().SetColor(clBtnHighlight);
        c.FrameRect(r);
        r = OffsetRect(r, -1, -1);
        c.Brush().SetColor(clBtnShadow);
    } else {
        c.Brush().SetColor(clWindowFrame);
    }
    c.FrameRect(r);
    if (Caption().empty()) return;
    TRect t{8, 0, 0, h};
    if (UseRightToLeftAlignment()) t.Left = r.Right - c.TextWidth(Caption()) - 8;
    c.DrawText(Caption(), t, DT_SINGLELINE | DT_CALCRECT);
    PaintCaption(c, t);
}

void TCustomGroupBox::PaintCaption(TCanvas& c, TRect r) {
    c.Brush().SetColor(Color());
    c.Brush().SetStyle(bsSolid);
    c.SetBkMode(OPAQUE);
    c.SetTextColor(ColorToRGB(Enabled() ? Font()->Color() : clGrayText));
    c.DrawText(Caption(), r, DT_SINGLELINE);
}

void TCustomGroupBox::Dispatch(TMessage& m) {
    switch (m.Msg) {
        case CM_TEXTCHANGED:
        case CM_CTL3DCHANGED:
        case CM_FONTCHANGED:
            // The caption's height decides where the children sit.
            TCustomControl::Dispatch(m);
            Invalidate();
            Realign();
            return;
        case CM_ENABLEDCHANGED:
            TCustomControl::Dispatch(m);
            Invalidate();
            return;
        default: TCustomControl::Dispatch(m);
    }
}

}  // namespace menvaro

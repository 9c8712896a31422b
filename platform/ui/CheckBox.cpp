#include "ui/CheckBox.h"

#include "ui/Forms.h"
#include "classes/ClassBuilder.h"
#include "ui/WindowManager.h"

namespace menvaro {

MENVARO_DEFINE_ENUM(TCheckBoxState, cbUnchecked, cbChecked, cbGrayed)

MENVARO_CLASS_INFO(TCustomCheckBox) {
    c.Prop("Alignment", &TCustomCheckBox::Alignment, &TCustomCheckBox::SetAlignment).Default(taRightJustify);
    c.Prop("AllowGrayed", &TCustomCheckBox::AllowGrayed, &TCustomCheckBox::SetAllowGrayed).Default(false);
    c.Prop("Checked", &TCustomCheckBox::Checked, &TCustomCheckBox::SetChecked).Default(false);
    c.Prop("State", &TCustomCheckBox::State, &TCustomCheckBox::SetState).Default(cbUnchecked);
    c.Redeclare("TabStop").Default(true);
}

MENVARO_CLASS_INFO(TCheckBox) {}

namespace {
constexpr int kBox = 13;
}

TCustomCheckBox::TCustomCheckBox(TComponent* owner) : TButtonControl(owner), canvas_(std::make_unique<TCanvas>()) {
    SetControlStyle({csCaptureMouse, csSetCaption, csDoubleClicks, csOpaque});
    SetBounds(0, 0, 97, 17);
    SetTabStop(true);
    SetParentColor(true);
}

TCustomCheckBox::~TCustomCheckBox() = default;

void TCustomCheckBox::SetState(TCheckBoxState s) {
    if (s == state_) return;
    state_ = s;
    Invalidate();
    Click();
}

void TCustomCheckBox::SetAlignment(TAlignment a) {
    if (a == alignment_) return;
    alignment_ = a;
    Invalidate();
}

void TCustomCheckBox::SetFlat(bool v) {
    if (v == flat_) return;
    flat_ = v;
    Invalidate();
}

void TCustomCheckBox::Toggle() {
    switch (state_) {
        case cbUnchecked: SetState(allowGrayed_ ? cbGrayed : cbChecked); break;
        case cbChecked: SetState(cbUnchecked); break;
        case cbGrayed: SetState(cbChecked); break;
    }
}

TRect TCustomCheckBox::BoxRect() const {
    TRect r = ClientRect();
    int top = r.Top + (r.Height() - kBox) / 2;
    int left = alignment_ == taLeftJustify ? r.Right - kBox : r.Left;
    return {left, top, left + kBox, top + kBox};
}

void TCustomCheckBox::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == mbLeft) {
        if (CanFocus() && !Focused()) SetFocus();
        mouseDown_ = true;
    }
    TButtonControl::MouseDown(button, shift, x, y);
}

void TCustomCheckBox::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    bool toggle = false;
    if (button == mbLeft && mouseDown_) {
        mouseDown_ = false;
        toggle = ClientRect().Contains({x, y});
    }
    TButtonControl::MouseUp(button, shift, x, y);
    if (toggle) Toggle();
}

void TCustomCheckBox::KeyDown(std::uint16_t& key, TShiftState shift) {
    TButtonControl::KeyDown(key, shift);
    if (key == VK_SPACE) spaceDown_ = true;
}

void TCustomCheckBox::KeyUp(std::uint16_t& key, TShiftState shift) {
    TButtonControl::KeyUp(key, shift);
    if (key == VK_SPACE && spaceDown_) {
        spaceDown_ = false;
        Toggle();
    }
}

void TCustomCheckBox::Dispatch(TMessage& m) {
    switch (m.Msg) {
        case CM_DIALOGCHAR:
            if (IsAccel(static_cast<char>(m.WParam), Caption()) && CanFocus()) {
                SetFocus();
                Toggle();
                m.Result = 1;
                return;
            }
            break;
        case WM_GETDLGCODE: m.Result = DLGC_BUTTON; return;
        case WM_ERASEBKGND: m.Result = 1; return;
        case WM_KILLFOCUS: spaceDown_ = false; [[fallthrough]];
        case WM_SETFOCUS:
        case CM_TEXTCHANGED:
        case CM_FONTCHANGED:
        case CM_ENABLEDCHANGED: Invalidate(); break;
        case WM_CANCELMODE:
            mouseDown_ = false;
            spaceDown_ = false;
            break;
        default: break;
    }
    TButtonControl::Dispatch(m);
}

void TCustomCheckBox::PaintWindow(HDC dc) {
    TCanvas& c = *canvas_;
    TCanvasOnDC bound(c, dc, this);
    TRect r = ClientRect();
    c.Brush().SetStyle(bsSolid);
    c.Brush().SetColor(Color());
    c.FillRect(r);
    TRect box = BoxRect();
    TRect inner = box;
    if (flat_) {
        c.Brush().SetColor(clBtnShadow);
        c.FrameRect(inner);
        inner = InflateRect(inner, -1, -1);
    } else {
        c.DrawEdge(inner, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    }
    c.Brush().SetColor(Enabled() && state_ != cbGrayed ? clWindow : clBtnFace);
    c.FillRect(inner);
    if (state_ != cbUnchecked) {
        // The tick: two strokes three pixels thick.
        TColor ink = ColorToRGB(Enabled() && state_ == cbChecked ? clWindowText : clBtnShadow);
        int x = inner.Left + 1, y = inner.Top + 3;
        for (int i = 0; i < 7; ++i) {
            int dy = i < 3 ? i : 4 - i;
            for (int t = 0; t < 3; ++t) c.SetPixel(x + i, y + 2 + dy + t, ink);
        }
    }
    TRect text = r;
    if (alignment_ == taLeftJustify)
        text.Right = box.Left - 4;
    else
        text.Left = box.Right + 4;
    c.Brush().SetStyle(bsClear);
    const unsigned flags = DT_LEFT | DT_VCENTER | DT_SINGLELINE;
    if (!Enabled()) {
        TRect h = OffsetRect(text, 1, 1);
        c.Font().SetColor(clBtnHighlight);
        c.DrawText(Caption(), h, flags);
        c.Font().SetColor(clBtnShadow);
    }
    TRect t = text;
    c.DrawText(Caption(), t, flags);
    if (Focused()) {
        TRect f = text;
        c.DrawText(Caption(), f, flags | DT_CALCRECT);
        f = {f.Left - 1, text.Top + (text.Height() - f.Height()) / 2 - 1, f.Right + 1,
             text.Top + (text.Height() - f.Height()) / 2 + f.Height() + 1};
        c.Brush().SetStyle(bsSolid);
        c.DrawFocusRect(f);
    }
}

}  // namespace menvaro

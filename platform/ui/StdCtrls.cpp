// The label and the push button. The edit is in Edit.cpp.
#include "ui/StdCtrls.h"

#include "classes/ClassBuilder.h"

namespace menvaro {

MENVARO_DEFINE_ENUM(TTextLayout, tlTop, tlCenter, tlBottom)
MENVARO_DEFINE_ENUM(TEditCharCase, ecNormal, ecUpperCase, ecLowerCase)

namespace {

unsigned AlignmentFlags(TAlignment a) {
    switch (a) {
        case taRightJustify: return DT_RIGHT;
        case taCenter: return DT_CENTER;
        default: return DT_LEFT;
    }
}

}  // namespace

// ------------------------------------------------------------ TCustomLabel

MENVARO_CLASS_INFO(TCustomLabel) {
    c.Prop("Alignment", &TCustomLabel::Alignment, &TCustomLabel::SetAlignment).Default(taLeftJustify);
    c.Redeclare("AutoSize").Default(true);
    c.Redeclare("ParentColor").Default(true);
    c.Prop("FocusControl", &TCustomLabel::FocusControl, &TCustomLabel::SetFocusControl);
    c.Prop("Layout", &TCustomLabel::Layout, &TCustomLabel::SetLayout).Default(tlTop);
    c.Prop("ShowAccelChar", &TCustomLabel::ShowAccelChar, &TCustomLabel::SetShowAccelChar).Default(true);
    c.Prop("Transparent", &TCustomLabel::Transparent, &TCustomLabel::SetTransparent).Default(false);
    c.Prop("WordWrap", &TCustomLabel::WordWrap, &TCustomLabel::SetWordWrap).Default(false);
}

MENVARO_CLASS_INFO(TLabel) {}

TCustomLabel::TCustomLabel(TComponent* owner) : TGraphicControl(owner) {
    SetControlStyle(ControlStyle() + csOpaque + csReplicatable);
    SetParentColor(true);
    SetBounds(0, 0, 65, 17);
    SetAutoSize(true);
}

void TCustomLabel::SetAlignment(TAlignment a) {
    if (a == alignment_) return;
    alignment_ = a;
    Invalidate();
}

void TCustomLabel::SetLayout(TTextLayout l) {
    if (l == layout_) return;
    layout_ = l;
    Invalidate();
}

void TCustomLabel::SetWordWrap(bool v) {
    if (v == wordWrap_) return;
    wordWrap_ = v;
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool v) {
    if (v == showAccelChar_) return;
    showAccelChar_ = v;
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::SetTransparent(bool v) {
    if (v == transparent_) return;
    transparent_ = v;
    SetControlStyle(v ? ControlStyle() - csOpaque : ControlStyle() + csOpaque);
    Invalidate();
}

void TCustomLabel::SetFocusControl(TWinControl* c) {
    if (c == focusControl_) return;
    if (focusControl_) focusControl_->RemoveFreeNotification(this);
    focusControl_ = c;
    if (c) c->FreeNotification(this);
}

void TCustomLabel::Notification(TComponent* component, TOperation operation) {
    TGraphicControl::Notification(component, operation);
    if (operation == opRemove && component == focusControl_) focusControl_ = nullptr;
}

void TCustomLabel::SetAutoSize(bool v) {
    if (v == AutoSize()) return;
    TGraphicControl::SetAutoSize(v);
    AdjustBounds();
}

void TCustomLabel::Loaded() {
    TGraphicControl::Loaded();
    AdjustBounds();
}

void TCustomLabel::DoDrawText(TRect& rect, unsigned flags) {
    std::string text = GetLabelText();
    // An empty caption still measures one line.
    if (text.empty() || (showAccelChar_ && text == "&")) text += ' ';
    if (!showAccelChar_) flags |= DT_NOPREFIX;
    TCanvas& c = *Canvas();
    c.Font().Assign(*Font());
    c.Brush().SetStyle(bsClear);
    if (flags & DT_CALCRECT) {
        c.DrawText(text, rect, flags);
        return;
    }
    if (!Enabled()) {
        TRect r = OffsetRect(rect, 1, 1);
        c.Font().SetColor(clBtnHighlight);
        c.DrawText(text, r, flags);
        r = rect;
        c.Font().SetColor(clBtnShadow);
        c.DrawText(text, r, flags);
        return;
    }
    c.DrawText(text, rect, flags);
}

void TCustomLabel::Paint() {
    TCanvas& c = *Canvas();
    TRect r = ClientRect();
    if (!transparent_) {
        c.Brush().SetStyle(bsSolid);
        c.Brush().SetColor(Color());
        c.FillRect(r);
    }
    unsigned flags = DT_EXPANDTABS | (wordWrap_ ? unsigned(DT_WORDBREAK) : 0u) | AlignmentFlags(alignment_);
    if (layout_ != tlTop) {
        TRect calc = r;
        DoDrawText(calc, flags | DT_CALCRECT);
        int h = calc.Height();
        int dy = layout_ == tlBottom ? r.Height() - h : (r.Height() - h) / 2;
        r.Top += dy;
    }
    DoDrawText(r, flags);
}

void TCustomLabel::AdjustBounds() {
    if (!AutoSize() || ComponentState().Contains(csLoading)) return;
    TRect r = ClientRect();
    if (!wordWrap_) r.Right = r.Left + 32767;
    DoDrawText(r, DT_EXPANDTABS | DT_CALCRECT | (wordWrap_ ? unsigned(DT_WORDBREAK) : 0u));
    int x = Left();
    int w = wordWrap_ ? Width() : r.Right;
    if (alignment_ == taRightJustify && !wordWrap_) x = Left() + Width() - w;
    SetBounds(x, Top(), w, r.Bottom);
}

void TCustomLabel::Dispatch(TMessage& m) {
    switch (m.Msg) {
        case CM_TEXTCHANGED:
        case CM_FONTCHANGED:
            Invalidate();
            AdjustBounds();
            return;
        case CM_DIALOGCHAR:
            if (focusControl_ && Enabled() && showAccelChar_ && IsAccel(static_cast<char>(m.WParam), Caption()) &&
                focusControl_->CanFocus()) {
                focusControl_->SetFocus();
                m.Result = 1;
            }
            return;
        default: TGraphicControl::Dispatch(m);
    }
}

// ---------------------------------------------------------- TButtonControl

MENVARO_CLASS_INFO(TButtonControl) {}

TButtonControl::TButtonControl(TComponent* owner) : TWinControl(owner) {}

// ------------------------------------------------------------------ TButton

MENVARO_CLASS_INFO(TButton) {
    c.Prop("Cancel", &TButton::Cancel, &TButton::SetCancel).Default(false);
    c.Redeclare("Color").Default(clBtnFace);
    c.Prop("Default", &TButton::Default, &TButton::SetDefault).Default(false);
    c.Prop("ModalResult", &TButton::ModalResult, &TButton::SetModalResult).Default(mrNone).Idents(ModalResultIdents());
    c.Redeclare("TabStop").Default(true);
}

TButton::TButton(TComponent* owner) : TButtonControl(owner), canvas_(std::make_unique<TCanvas>()) {
    SetControlStyle({csCaptureMouse, csSetCaption, csDoubleClicks, csOpaque});
    SetBounds(0, 0, 75, 25);
    SetTabStop(true);
    SetColor(clBtnFace);
}

TButton::~TButton() = default;

void TButton::SetDefault(bool v) {
    if (v == default_) return;
    default_ = v;
    if (!HandleAllocated()) {
        active_ = v;
        return;
    }
    // Every button of the form works out again which one Enter clicks.
    if (TCustomForm* form = GetParentForm(this))
        form->Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(form->ActiveControl()));
}

void TButton::SetPressed(bool v) {
    if (v == pressed_) return;
    pressed_ = v;
    Invalidate();
}

void TButton::Click() {
    if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(modalResult_);
    TButtonControl::Click();
}

void TButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == mbLeft) {
        if (CanFocus() && !Focused()) SetFocus();
        mouseDown_ = true;
        SetPressed(true);
    }
    TButtonControl::MouseDown(button, shift, x, y);
}

void TButton::MouseMove(TShiftState shift, int x, int y) {
    if (mouseDown_) SetPressed(ClientRect().Contains({x, y}));
    TButtonControl::MouseMove(shift, x, y);
}

void TButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    bool click = false;
    if (button == mbLeft && mouseDown_) {
        mouseDown_ = false;
        click = pressed_ && ClientRect().Contains({x, y});
        SetPressed(spaceDown_);
    }
    TButtonControl::MouseUp(button, shift, x, y);
    // Last: the click may close and free the form.
    if (click) Click();
}

void TButton::KeyDown(std::uint16_t& key, TShiftState shift) {
    TButtonControl::KeyDown(key, shift);
    if (key == VK_SPACE && !mouseDown_) {
        spaceDown_ = true;
        SetPressed(true);
    }
}

void TButton::KeyUp(std::uint16_t& key, TShiftState shift) {
    TButtonControl::KeyUp(key, shift);
    if (key == VK_SPACE && spaceDown_) {
        spaceDown_ = false;
        SetPressed(mouseDown_);
        if (!mouseDown_) Click();
    }
}

void TButton::Dispatch(TMessage& m) {
    switch (m.Msg) {
        case CM_DIALOGKEY:
            if (((m.WParam == VK_RETURN && active_) || (m.WParam == VK_ESCAPE && cancel_)) &&
                KeyDataToShiftState(m.LParam).Empty() && GetKeyState(VK_SHIFT) >= 0 && GetKeyState(VK_CONTROL) >= 0 &&
                CanFocus()) {
                Click();
                m.Result = 1;
                return;
            }
            TButtonControl::Dispatch(m);
            return;
        case CM_DIALOGCHAR:
            if (IsAccel(static_cast<char>(m.WParam), Caption()) && CanFocus()) {
                Click();
                m.Result = 1;
                return;
            }
            TButtonControl::Dispatch(m);
            return;
        case CM_FOCUSCHANGED: {
            auto* to = reinterpret_cast<TWinControl*>(m.LParam);
            bool active = dynamic_cast<TButton*>(to) ? to == this : default_;
            if (active != active_) {
                active_ = active;
                Invalidate();
            }
            TButtonControl::Dispatch(m);
            return;
        }
        case WM_GETDLGCODE: m.Result = DLGC_BUTTON | (active_ ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON); return;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            if (m.Msg == WM_KILLFOCUS && spaceDown_) {
                spaceDown_ = false;
                SetPressed(mouseDown_);
            }
            Invalidate();
            TButtonControl::Dispatch(m);
            return;
        case WM_CANCELMODE:
            mouseDown_ = false;
            spaceDown_ = false;
            SetPressed(false);
            TButtonControl::Dispatch(m);
            return;
        case WM_ERASEBKGND: m.Result = 1; return;
        case CM_TEXTCHANGED:
        case CM_FONTCHANGED:
        case CM_ENABLEDCHANGED:
            Invalidate();
            TButtonControl::Dispatch(m);
            return;
        default: TButtonControl::Dispatch(m);
    }
}

void TButton::DrawFace(TCanvas& c, const TRect& r, bool pressed) {
    TRect t = pressed ? OffsetRect(r, 1, 1) : r;
    c.Brush().SetStyle(bsClear);
    const unsigned flags = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    if (!Enabled()) {
        TRect h = OffsetRect(t, 1, 1);
        c.Font().SetColor(clBtnHighlight);
        c.DrawText(Caption(), h, flags);
        c.Font().SetColor(clBtnShadow);
    }
    c.DrawText(Caption(), t, flags);
}

void TButton::PaintWindow(HDC dc) {
    TCanvas& c = *canvas_;
    TCanvasOnDC bound(c, dc, this);
    TRect r = ClientRect();
    c.Brush().SetStyle(bsSolid);
    c.Brush().SetColor(Color());
    c.FillRect(r);
    bool focused = Focused();
    if (focused || active_) {
        c.Brush().SetColor(clWindowFrame);
        c.FrameRect(r);
        r = InflateRect(r, -1, -1);
    }
    if (pressed_) {
        c.Brush().SetColor(clBtnShadow);
        c.FrameRect(r);
        r = InflateRect(r, -1, -1);
    } else {
        c.DrawEdge(r, EDGE_RAISED, BF_RECT | BF_ADJUST);
    }
    DrawFace(c, r, pressed_);
    if (focused) {
        c.Brush().SetStyle(bsSolid);
        c.Brush().SetColor(clWhite);
        c.Font().SetColor(clBlack);
        c.DrawFocusRect(InflateRect(ClientRect(), -4, -4));
    }
}

}  // namespace menvaro

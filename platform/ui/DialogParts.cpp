#include "ui/DialogParts.h"

#include "ui/ClassBuilder.h"

namespace menvaro {

namespace {

// A push button drawn in the classic look.
class TDialogButton : public TCustomControl {
    MENVARO_CLASS(TDialogButton, TCustomControl)
public:
    explicit TDialogButton(TComponent* owner) : TCustomControl(owner) {
        SetTabStop(true);
        SetColor(clBtnFace);
        SetBounds(0, 0, 75, 25);
    }
    TModalResult Result = mrNone;
    bool IsDefault = false;
    bool IsCancel = false;

protected:
    void Paint() override {
        TCanvas& c = *Canvas();
        TRect r = ClientRect();
        c.Brush().SetColor(clBtnFace);
        c.FillRect(r);
        bool focused = Focused();
        if (focused || (IsDefault && !AnotherButtonFocused())) {
            c.Brush().SetColor(clWindowFrame);
            c.FrameRect(r);
            r = InflateRect(r, -1, -1);
        }
        c.DrawEdge(r, pressed_ ? BDR_SUNKENOUTER | BDR_SUNKENINNER : EDGE_RAISED, BF_RECT | BF_ADJUST);
        c.Brush().SetStyle(bsClear);
        TRect t = r;
        if (pressed_) t = OffsetRect(t, 1, 1);
        c.Font().SetColor(Enabled() ? clBtnText : clGrayText);
        c.DrawText(Caption(), t, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        if (focused) {
            c.Brush().SetStyle(bsSolid);
            c.DrawFocusRect(InflateRect(r, -2, -2));
        }
    }

    void MouseDown(TMouseButton b, TShiftState s, int x, int y) override {
        if (b == mbLeft) {
            if (CanFocus()) SetFocus();
            pressed_ = true;
            Invalidate();
        }
        TCustomControl::MouseDown(b, s, x, y);
    }

    void MouseUp(TMouseButton b, TShiftState s, int x, int y) override {
        if (pressed_) {
            pressed_ = false;
            Invalidate();
        }
        TCustomControl::MouseUp(b, s, x, y);
    }

    void Click() override {
        TCustomControl::Click();
        if (Result != mrNone)
            if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(Result);
    }

    void KeyDown(std::uint16_t& key, TShiftState shift) override {
        TCustomControl::KeyDown(key, shift);
        if (key == VK_SPACE) {
            key = 0;
            Click();
        }
    }

    void Dispatch(TMessage& m) override {
        switch (m.Msg) {
            case CM_DIALOGKEY:
                // Enter presses the focused button, else the default one; Esc the cancel one.
                if (Enabled() && Visible() &&
                    ((m.WParam == VK_RETURN && (Focused() || (IsDefault && !AnotherButtonFocused()))) ||
                     (m.WParam == VK_ESCAPE && IsCancel))) {
                    Click();
                    m.Result = 1;
                    return;
                }
                break;
            case CM_DIALOGCHAR:
                if (Enabled() && Visible() && IsAccel(static_cast<char>(m.WParam), Caption())) {
                    Click();
                    m.Result = 1;
                    return;
                }
                break;
            case WM_GETDLGCODE: m.Result = IsDefault ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON; return;
            case CM_FOCUSCHANGED:
            case WM_SETFOCUS:
            case WM_KILLFOCUS: Invalidate(); break;
            default: break;
        }
        TCustomControl::Dispatch(m);
    }

private:
    bool AnotherButtonFocused() const {
        TCustomForm* form = GetParentForm(this);
        return form && form->ActiveControl() && form->ActiveControl() != this &&
               dynamic_cast<TDialogButton*>(form->ActiveControl());
    }
    bool pressed_ = false;
};

class TDialogText : public TGraphicControl {
    MENVARO_CLASS(TDialogText, TGraphicControl)
public:
    using TGraphicControl::TGraphicControl;

protected:
    void Paint() override {
        TCanvas& c = *Canvas();
        c.Brush().SetStyle(bsClear);
        TRect r = ClientRect();
        c.DrawText(Caption(), r, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    }
};

// Typed text goes to the end; Backspace takes the last character back. On
// taking the focus the whole text is marked, and what is typed first
// replaces it.
class TDialogEdit : public TCustomControl {
    MENVARO_CLASS(TDialogEdit, TCustomControl)
public:
    explicit TDialogEdit(TComponent* owner) : TCustomControl(owner) {
        SetTabStop(true);
        SetColor(clWindow);
        SetCursor(crIBeam);
        SetBounds(0, 0, 121, 21);
    }
    TNotifyEvent OnChange;

protected:
    void Paint() override {
        TCanvas& c = *Canvas();
        TRect r = ClientRect();
        c.DrawEdge(r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
        c.Brush().SetColor(Enabled() ? clWindow : clBtnFace);
        c.FillRect(r);
        c.Brush().SetStyle(bsClear);
        c.Font().SetColor(clWindowText);
        TRect inner = InflateRect(r, -1, 0);
        int width = c.TextWidth(Text());
        // The end of a long text stays in sight, as the caret is there.
        int x = inner.Left + std::min(0, inner.Width() - 2 - width);
        int y = r.Top + (r.Height() - c.TextHeight("Wg")) / 2;
        c.SetClipRect(inner);
        bool marked = Focused() && marked_ && !Text().empty();
        if (marked) {
            c.Brush().SetStyle(bsSolid);
            c.Brush().SetColor(clHighlight);
            c.FillRect(Rect(x, y, x + width, y + c.TextHeight("Wg")));
            c.Brush().SetStyle(bsClear);
            c.Font().SetColor(clHighlightText);
        }
        c.TextOut(x, y, Text());
        if (Focused()) {
            c.Brush().SetStyle(bsSolid);
            c.Brush().SetColor(clWindowText);
            int cx = std::min(x + width, inner.Right - 1);
            c.FillRect(Rect(cx, y, cx + 1, y + c.TextHeight("Wg")));
        }
    }

    void MouseDown(TMouseButton b, TShiftState s, int x, int y) override {
        if (b == mbLeft && CanFocus()) SetFocus();
        TCustomControl::MouseDown(b, s, x, y);
    }

    void KeyPress(char& key) override {
        TCustomControl::KeyPress(key);
        auto ch = static_cast<unsigned char>(key);
        if (ch == 0) return;
        std::string text = marked_ ? std::string() : Text();
        bool wasMarked = marked_;
        if (ch == VK_BACK) {
            if (wasMarked) {
                marked_ = false;
                key = 0;
                SetText(text);
                Changed();
                return;
            }
            if (text.empty()) return;
            // A whole UTF-8 character: its continuation bytes, then its lead byte.
            std::size_t n = text.size() - 1;
            while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
            text.erase(n);
        } else if (ch >= 0x20 && ch != 0x7F) {
            text.push_back(key);
        } else {
            return;
        }
        key = 0;
        marked_ = false;
        SetText(text);
        // A character arrives byte by byte: tell only once it is whole.
        if (ch < 0x80 || IsWholeUtf8Tail(text)) Changed();
    }

    void Dispatch(TMessage& m) override {
        switch (m.Msg) {
            case WM_GETDLGCODE: m.Result = DLGC_WANTCHARS; return;
            case WM_SETFOCUS:
                marked_ = true;
                Invalidate();
                break;
            case WM_KILLFOCUS: Invalidate(); break;
            case CM_TEXTCHANGED: Invalidate(); return;
            default: break;
        }
        TCustomControl::Dispatch(m);
    }

private:
    static bool IsWholeUtf8Tail(const std::string& s) {
        std::size_t n = s.size();
        std::size_t i = n;
        while (i > 0 && (static_cast<unsigned char>(s[i - 1]) & 0xC0) == 0x80) --i;
        if (i == 0) return true;
        auto lead = static_cast<unsigned char>(s[i - 1]);
        std::size_t want = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        return n - (i - 1) == want;
    }
    void Changed() {
        if (OnChange) OnChange(this);
    }
    bool marked_ = false;
};

}  // namespace

MENVARO_CLASS_INFO(TDialogButton) {}
MENVARO_CLASS_INFO(TDialogText) {}
MENVARO_CLASS_INFO(TDialogEdit) {}

TWinControl* MakeDialogButton(TCustomForm* form, const std::string& name, const std::string& caption,
                              TModalResult result, bool isDefault, bool isCancel) {
    auto* b = Create<TDialogButton>(form);
    b->SetName(name);
    b->SetCaption(caption);
    b->Result = result;
    b->IsDefault = isDefault;
    b->IsCancel = isCancel;
    b->SetParent(form);
    return b;
}

TControl* MakeDialogText(TCustomForm* form, const std::string& name, const std::string& text) {
    auto* t = Create<TDialogText>(form);
    t->SetName(name);
    t->SetCaption(text);
    t->SetParent(form);
    return t;
}

TWinControl* MakeDialogEdit(TCustomForm* form, const std::string& name, TNotifyEvent onChange) {
    auto* e = Create<TDialogEdit>(form);
    e->SetName(name);
    e->OnChange = std::move(onChange);
    e->SetParent(form);
    return e;
}

void SetDialogFont(TFont& font) {
    font.SetName("宋体");
    font.SetHeight(-12);
    font.SetStyle(0);
    font.SetColor(clWindowText);
}

}  // namespace menvaro

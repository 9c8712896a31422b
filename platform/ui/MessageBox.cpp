// The system message box: a modal dialog with the text, an icon and the
// buttons the flags ask for. Its parts are components with names a UI
// script can use: "Message" (the text), "Icon", and the buttons "OK",
// "Cancel", "Abort", "Retry", "Ignore", "Yes", "No".
#include <algorithm>

#include "ui/ClassBuilder.h"
#include "ui/Forms.h"

namespace menvaro {

namespace {

struct ButtonKind {
    const char* name;
    const char* caption;
    int id;
};

const ButtonKind kOK{"OK", "确定", IDOK};
const ButtonKind kCancel{"Cancel", "取消", IDCANCEL};
const ButtonKind kAbort{"Abort", "中止(&A)", IDABORT};
const ButtonKind kRetry{"Retry", "重试(&R)", IDRETRY};
const ButtonKind kIgnore{"Ignore", "忽略(&I)", IDIGNORE};
const ButtonKind kYes{"Yes", "是(&Y)", IDYES};
const ButtonKind kNo{"No", "否(&N)", IDNO};

std::vector<ButtonKind> ButtonsFor(UINT flags) {
    switch (flags & 0x0F) {
        case MB_OKCANCEL: return {kOK, kCancel};
        case MB_ABORTRETRYIGNORE: return {kAbort, kRetry, kIgnore};
        case MB_YESNOCANCEL: return {kYes, kNo, kCancel};
        case MB_YESNO: return {kYes, kNo};
        case MB_RETRYCANCEL: return {kRetry, kCancel};
        default: return {kOK};
    }
}

}  // namespace

// A push button drawn in the classic look.
class TMessageBoxButton : public TCustomControl {
    MENVARO_CLASS(TMessageBoxButton, TCustomControl)
public:
    explicit TMessageBoxButton(TComponent* owner) : TCustomControl(owner) {
        SetTabStop(true);
        SetColor(clBtnFace);
        SetBounds(0, 0, 75, 23);
    }
    int Result = IDOK;
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
            SetFocus();
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
                if ((m.WParam == VK_RETURN && (Focused() || (IsDefault && !AnotherButtonFocused()))) ||
                    (m.WParam == VK_ESCAPE && IsCancel)) {
                    Click();
                    m.Result = 1;
                    return;
                }
                break;
            case CM_DIALOGCHAR:
                if (IsAccel(static_cast<char>(m.WParam), Caption())) {
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
               dynamic_cast<TMessageBoxButton*>(form->ActiveControl());
    }
    bool pressed_ = false;
};

MENVARO_CLASS_INFO(TMessageBoxButton) {}

// The message text, and the icon beside it.
class TMessageBoxText : public TGraphicControl {
    MENVARO_CLASS(TMessageBoxText, TGraphicControl)
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

MENVARO_CLASS_INFO(TMessageBoxText) {}

class TMessageBoxIcon : public TGraphicControl {
    MENVARO_CLASS(TMessageBoxIcon, TGraphicControl)
public:
    explicit TMessageBoxIcon(TComponent* owner) : TGraphicControl(owner) { SetBounds(0, 0, 32, 32); }
    UINT Kind = 0;

protected:
    void Paint() override {
        TCanvas& c = *Canvas();
        const char* mark = "i";
        TColor face = clBlue;
        if (Kind == MB_ICONERROR) {
            face = clRed;
            mark = "X";
        } else if (Kind == MB_ICONQUESTION) {
            mark = "?";
        } else if (Kind == MB_ICONWARNING) {
            face = clYellow;
            mark = "!";
        }
        c.Pen().SetColor(clBlack);
        c.Brush().SetColor(face);
        if (Kind == MB_ICONWARNING)
            c.Polygon({{16, 1}, {31, 30}, {1, 30}});
        else
            c.Ellipse(0, 0, 32, 32);
        c.Brush().SetStyle(bsClear);
        c.Font().SetName("DejaVu Sans");
        c.Font().SetHeight(-18);
        c.Font().SetStyle(fsBold);
        c.Font().SetColor(Kind == MB_ICONWARNING ? clBlack : clWhite);
        TRect r = Bounds(0, Kind == MB_ICONWARNING ? 6 : 0, 32, 28);
        c.DrawText(mark, r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
};

MENVARO_CLASS_INFO(TMessageBoxIcon) {}

class TMessageBoxForm : public TForm {
    MENVARO_CLASS(TMessageBoxForm, TForm)
public:
    explicit TMessageBoxForm(TComponent* owner) : TForm(owner) { SetCreateNew(); }

    void Build(const std::string& text, const std::string& caption, UINT flags) {
        SetBorderStyle(bsDialog);
        SetBorderIcons({biSystemMenu});
        SetPosition(poScreenCenter);
        SetCaption(caption);
        if (flags & (MB_TOPMOST | MB_SYSTEMMODAL | MB_SERVICE_NOTIFICATION)) SetFormStyle(fsStayOnTop);
        Font()->SetName("宋体");
        Font()->SetHeight(-12);
        UINT icon = flags & 0xF0;
        int x = 12;
        if (icon == MB_ICONERROR || icon == MB_ICONQUESTION || icon == MB_ICONWARNING || icon == MB_ICONINFORMATION) {
            auto* i = Create<TMessageBoxIcon>(this);
            i->SetName("Icon");
            i->Kind = icon;
            i->SetParent(this);
            i->SetBounds(12, 12, 32, 32);
            x = 56;
        }
        // The text wraps at a width that keeps the box readable.
        TCanvas measure;
        measure.Font().Assign(*Font());
        TRect tr = Bounds(0, 0, 420, 0);
        measure.DrawText(text.empty() ? " " : text, tr, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        auto* t = Create<TMessageBoxText>(this);
        t->SetName("Message");
        t->SetCaption(text);
        t->SetParent(this);
        int textH = std::max(tr.Height(), 32);
        t->SetBounds(x, 12 + (textH - tr.Height()) / 2, tr.Width() + 2, tr.Height());
        std::vector<ButtonKind> kinds = ButtonsFor(flags);
        int def = (flags & MB_DEFBUTTON3) ? 2 : (flags & MB_DEFBUTTON2) ? 1 : 0;
        def = std::min(def, static_cast<int>(kinds.size()) - 1);
        int buttonsW = static_cast<int>(kinds.size()) * 75 + (static_cast<int>(kinds.size()) - 1) * 6;
        int clientW = std::max({x + tr.Width() + 14, buttonsW + 24, 160});
        int top = 12 + textH + 14;
        int bx = (clientW - buttonsW) / 2;
        hasCancel_ = false;
        for (std::size_t i = 0; i < kinds.size(); ++i) {
            auto* b = Create<TMessageBoxButton>(this);
            b->SetName(kinds[i].name);
            b->SetCaption(kinds[i].caption);
            b->Result = kinds[i].id;
            b->IsDefault = static_cast<int>(i) == def;
            b->IsCancel = kinds[i].id == IDCANCEL || (kinds.size() == 1 && kinds[i].id == IDOK);
            hasCancel_ |= b->IsCancel;
            b->SetParent(this);
            b->SetBounds(bx, top, 75, 23);
            if (b->IsDefault) SetActiveControl(b);
            bx += 81;
        }
        okOnly_ = kinds.size() == 1;
        SetClientSize(clientW, top + 23 + 12);
    }

    bool CloseQuery() override {
        // The desktop's close button answers Cancel; a box without a Cancel
        // button stays until one of its buttons is pressed.
        if (!hasCancel_ && ModalResult() == mrCancel) return false;
        return TForm::CloseQuery();
    }

    int Answer(int modalResult) const {
        if (modalResult == mrCancel && okOnly_) return IDOK;
        return modalResult;
    }

private:
    bool hasCancel_ = true;
    bool okOnly_ = false;
};

MENVARO_CLASS_INFO(TMessageBoxForm) {}

int RunMessageBox(const std::string& text, const std::string& caption, UINT flags) {
    TOwned<TMessageBoxForm> box(Create<TMessageBoxForm>(Application));
    box->Build(text, caption, flags);
    MessageBeep(flags & 0xF0);
    return box->Answer(box->ShowModal());
}

}  // namespace menvaro

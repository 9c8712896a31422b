#include "DropDownHost.h"

#include "base/NumberText.h"
#include "classes/ClassBuilder.h"

namespace menvaro {

MENVARO_CLASS_INFO(TDropDownHost) {}

TDropDownHost::TDropDownHost(TComponent* owner) : TEdit(owner) {}

TPopupCalculatorEx* TDropDownHost::Calculator() {
    if (!calculator_) {
        calculator_ = Create<TPopupCalculatorEx>(this);
        calculator_->SetVisible(false);
        calculator_->SetParent(this);
    }
    return calculator_;
}

bool TDropDownHost::QueryInterface(const TGUID& iid, void*& obj) {
    if (iid == IDropDownEditorOwner::IID) {
        obj = static_cast<IDropDownEditorOwner*>(this);
        return true;
    }
    return false;
}

void TDropDownHost::DropDown() {
    if (dropped_) return;
    if (CanFocus()) SetFocus();
    TPopupCalculatorEx* calculator = Calculator();
    IDropDownValueEditor* editor = Supports<IDropDownValueEditor>(calculator);
    double v = 0;
    editor->SetValue(TryStrToFloat(Text(), v) ? Variant(v) : Variant(0));
    editor->SetFlat(true);
    const TPoint at = PlacePopupUnder(this, calculator, taLeftJustify);
    calculator->SetBounds(at.X, at.Y, calculator->Width(), calculator->Height());
    calculator->SetVisible(true);
    dropped_ = true;
}

void TDropDownHost::CloseUp(bool accept) {
    if (!dropped_) return;
    dropped_ = false;
    if (HWND capture = GetCapture()) SendMessage(capture, WM_CANCELMODE);
    calculator_->SetVisible(false);
    ++Closes;
    LastAccepted = accept;
    if (!accept) return;
    const Variant value = Supports<IDropDownValueEditor>(calculator_)->GetValue();
    if (!value.IsError()) SetText(FloatToStr(value.AsDouble()));
}

void TDropDownHost::WndProc(TMessage& m) {
    if (dropped_ && calculator_ && calculator_->HandleAllocated()) {
        const bool key = m.Msg == WM_KEYDOWN || m.Msg == WM_CHAR || m.Msg == WM_SYSKEYDOWN;
        const bool copyOrPaste = m.Msg == WM_CHAR && (m.WParam == 3 || m.WParam == 22);
        if (copyOrPaste || (key && (m.WParam == VK_RETURN || (m.WParam >= 32 && m.WParam <= 126)))) {
            m.Result = SendMessage(calculator_->WindowHandle(), m.Msg, m.WParam, m.LParam);
            return;
        }
        switch (m.Msg) {
            case CM_WANTSPECIALKEY:
                if (m.WParam == VK_RETURN || m.WParam == VK_ESCAPE) {
                    m.Result = 1;
                    return;
                }
                break;
            case WM_KILLFOCUS:
                if (static_cast<HWND>(m.WParam) != calculator_->WindowHandle()) CloseUp(false);
                break;
            case CM_CANCELMODE: {
                auto* sender = reinterpret_cast<TControl*>(m.LParam);
                const bool inside =
                    sender && sender != this && (ContainsControl(sender) || calculator_->ContainsControl(sender));
                if (!inside) CloseUp(false);
                break;
            }
            case CM_MOUSEWHEEL:
                if (calculator_->Perform(CM_MOUSEWHEEL, m.WParam, m.LParam)) {
                    m.Result = 1;
                    return;
                }
                break;
            default: break;
        }
    }
    TEdit::WndProc(m);
}

void TDropDownHost::KeyDown(std::uint16_t& key, TShiftState shift) {
    TEdit::KeyDown(key, shift);
    if (key == VK_DOWN && shift == TShiftState{ssAlt}) {
        DropDown();
        key = 0;
    }
}

void TDropDownHost::KeyPress(char& key) {
    if (dropped_ && key == 27) {
        CloseUp(false);
        key = 0;
        return;
    }
    TEdit::KeyPress(key);
}

}  // namespace menvaro

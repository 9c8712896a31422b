#include "ui/MaskEdit.h"

#include "classes/ClassBuilder.h"

namespace menvaro {

// The mask is published by TMaskEdit alone: descendants of the custom
// class decide themselves how their mask is streamed.
MENVARO_CLASS_INFO(TCustomMaskEdit) {}

MENVARO_CLASS_INFO(TMaskEdit) {
    c.Prop("EditMask", &TMaskEdit::EditMask, &TMaskEdit::SetEditMask);
    c.Prop("Text", &TMaskEdit::Text, &TMaskEdit::SetText);
}

TCustomMaskEdit::TCustomMaskEdit(TComponent* owner) : TCustomEdit(owner) {}

void TCustomMaskEdit::SetEditMask(const std::string& value) {
    if (value == editMask_) return;
    TEditMask next(value);
    // What was typed goes into the new mask: the text of an edit without a
    // mask is read as the new mask's stored text; typed characters move to
    // the new mask's positions.
    std::string edit;
    if (!IsMasked())
        edit = next.EditTextFromText(EditText());
    else if (next.Empty())
        edit = mask_.TextFromEditText(EditText());
    else
        edit = next.FormatValue(mask_.TypedText(EditText()), next.Blank());
    editMask_ = value;
    mask_ = std::move(next);
    SetEditText(edit);
}

void TCustomMaskEdit::SetEditText(const std::string& s) {
    TCustomEdit::SetText(s);
    CheckCaret();
}

std::string TCustomMaskEdit::Text() const { return IsMasked() ? mask_.TextFromEditText(EditText()) : EditText(); }

void TCustomMaskEdit::SetText(const std::string& s) {
    if (!IsMasked()) {
        TCustomEdit::SetText(s);
        return;
    }
    SetEditText(mask_.EditTextFromText(s));
}

std::string TCustomMaskEdit::EmptyText() const { return IsMasked() ? mask_.EmptyText() : std::string(); }

void TCustomMaskEdit::CheckCaret() {
    if (IsMasked()) ShowEditResult(MaskCheckCaret(mask_, Buffer()));
}

void TCustomMaskEdit::ValidateEdit() {
    if (!IsMasked() || !Modified()) return;
    int pos = 0;
    if (mask_.Validate(EditText(), pos)) return;
    if (!ComponentState().Contains(csDesigning)) {
        reEnter_ = true;
        if (CanFocus() && !Focused()) SetFocus();
    }
    int at = CharOffset(EditText(), pos);
    Select(at, 0);
    ValidateError();
}

void TCustomMaskEdit::ValidateError() {
    MessageBeep(0);
    throw EDBEditError("Invalid input value.  Use escape key to abandon changes");
}

void TCustomMaskEdit::Reset() {
    if (!Modified()) return;
    SetEditText(oldValue_);
    SetModified(false);
}

void TCustomMaskEdit::DoEnter() {
    if (IsMasked() && !reEnter_) oldValue_ = EditText();
    reEnter_ = false;
    TCustomEdit::DoEnter();
    CheckCaret();
}

void TCustomMaskEdit::DoExit() {
    if (IsMasked() && !ComponentState().Contains(csDesigning)) {
        ValidateEdit();
        CheckCaret();
    }
    TCustomEdit::DoExit();
}

void TCustomMaskEdit::KeyDown(std::uint16_t& key, TShiftState shift) {
    TCustomEdit::KeyDown(key, shift);
    if (!IsMasked() || key == 0 || shift.Contains(ssAlt)) return;
    const bool extend = shift.Contains(ssShift) || shift.Contains(ssCtrl);
    switch (key) {
        case VK_LEFT:
        case VK_RIGHT:
            // Shift and Ctrl select and jump as in any edit.
            if (extend) return;
            ShowEditResult(key == VK_LEFT ? MaskMoveLeft(mask_, Buffer()) : MaskMoveRight(mask_, Buffer()));
            key = 0;
            return;
        case VK_UP:
        case VK_DOWN: key = 0; return;
        case VK_HOME:
        case VK_END:
            if (shift.Contains(ssShift)) return;
            ShowEditResult(key == VK_HOME ? MaskMoveHome(mask_, Buffer()) : MaskMoveEnd(mask_, Buffer()));
            key = 0;
            return;
        case VK_DELETE:
            if (shift.Contains(ssShift)) return;
            if (EditCanModify()) ShowEditResult(MaskDelete(mask_, Buffer()));
            key = 0;
            return;
        case VK_BACK:
            if (EditCanModify()) ShowEditResult(MaskBackspace(mask_, Buffer()));
            key = 0;
            return;
        default: CheckCaret();
    }
}

void TCustomMaskEdit::KeyPress(char& key) {
    TCustomEdit::KeyPress(key);
    if (!IsMasked() || key == 0) return;
    const auto ch = static_cast<unsigned char>(key);
    // Copy, cut and paste go on to the edit's clipboard handling.
    if (ch == 3 || ch == 22 || ch == 24) return;
    if (ch == 27) {
        Reset();
        key = 0;
        return;
    }
    key = 0;
    if (ch < 32) return;  // backspace is the key's; Enter, Tab and the rest type nothing
    std::string typed;
    if (ch < 0x80) {
        pending_.clear();
        typed.assign(1, static_cast<char>(ch));
    } else if ((ch & 0xC0) == 0x80) {
        if (pending_.empty()) return;
        pending_.push_back(static_cast<char>(ch));
        if (pending_.size() < pendingNeed_) return;
        typed = std::move(pending_);
        pending_.clear();
    } else {
        pending_.assign(1, static_cast<char>(ch));
        pendingNeed_ = ch >= 0xF0 ? 4 : ch >= 0xE0 ? 3 : 2;
        return;
    }
    if (ReadOnly() || !EditCanModify()) return;
    ShowEditResult(MaskTypeChar(mask_, Buffer(), typed));
}

LRESULT TCustomMaskEdit::DefWndProc(TMessage& m) {
    if (IsMasked()) {
        switch (m.Msg) {
            case WM_PASTE:
                if (EditCanModify()) ShowEditResult(MaskPaste(mask_, Buffer(), GetClipboardText()));
                return 0;
            case WM_CUT: {
                if (!EditCanModify()) return 0;
                TMessage copy{WM_COPY, 0, 0, 0};
                TCustomEdit::DefWndProc(copy);
                if (SelLength() > 0) ShowEditResult(MaskDelete(mask_, Buffer()));
                return 0;
            }
            case WM_CLEAR:
                if (SelLength() > 0 && EditCanModify()) ShowEditResult(MaskDelete(mask_, Buffer()));
                return 0;
            default: break;
        }
    }
    return TCustomEdit::DefWndProc(m);
}

void TCustomMaskEdit::Dispatch(TMessage& m) {
    switch (m.Msg) {
        case CM_WANTSPECIALKEY:
            TCustomEdit::Dispatch(m);
            // Esc takes back the changes instead of closing a dialog.
            if (m.WParam == VK_ESCAPE && IsMasked() && Modified()) m.Result = 1;
            return;
        case WM_LBUTTONUP:
            TCustomEdit::Dispatch(m);
            CheckCaret();
            return;
        default: TCustomEdit::Dispatch(m);
    }
}

}  // namespace menvaro

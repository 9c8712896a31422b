// TCustomMaskEdit / TMaskEdit: a single-line edit whose text follows an
// edit mask (ui/Mask.h): typing overwrites one position at a time and is
// refused (with a beep) where the mask does not allow the character,
// literals are stepped over, deleting leaves the blank character. EditText
// is what the window shows; Text is what the mask stores (without the
// literals when they are not saved). ValidateEdit, also run when the focus
// leaves, raises EDBEditError while a required position is empty; Esc
// brings back the text the edit had when it got the focus.
#pragma once

#include <string>

#include "ui/Mask.h"
#include "ui/StdCtrls.h"

namespace menvaro {

class TCustomMaskEdit : public TCustomEdit {
    MENVARO_CLASS(TCustomMaskEdit, TCustomEdit)
public:
    explicit TCustomMaskEdit(TComponent* owner);

    // "mask;save;blank"; a new mask keeps what was typed.
    const std::string& EditMask() const { return editMask_; }
    void SetEditMask(const std::string& mask);
    bool IsMasked() const { return !mask_.Empty(); }
    const TEditMask& Mask() const { return mask_; }
    // What the window shows: literals and blanks.
    std::string EditText() const { return TControl::Text(); }
    void SetEditText(const std::string& s);
    // The text as the mask stores it (the same as EditText without a mask).
    std::string Text() const;
    void SetText(const std::string& s) override;
    // The Text of this edit with nothing typed.
    std::string EmptyText() const;

    // A modified edit whose required positions are not all filled takes
    // the focus back, puts the caret there and raises EDBEditError.
    virtual void ValidateEdit();
    // Back to the text the edit had when it got the focus (when modified).
    virtual void Reset();

    void Dispatch(TMessage& m) override;

protected:
    // Asked before any change by the user; a refusal drops it.
    virtual bool EditCanModify() { return true; }
    virtual void ValidateError();
    void KeyDown(std::uint16_t& key, TShiftState shift) override;
    void KeyPress(char& key) override;
    LRESULT DefWndProc(TMessage& m) override;
    void DoEnter() override;
    void DoExit() override;

private:
    void CheckCaret();
    std::string editMask_;
    TEditMask mask_;
    std::string oldValue_;  // EditText when the focus came
    bool reEnter_ = false;  // ValidateEdit took the focus back
    std::string pending_;   // a character typed byte by byte
    std::size_t pendingNeed_ = 0;
};

class TMaskEdit : public TCustomMaskEdit {
    MENVARO_CLASS(TMaskEdit, TCustomMaskEdit)
public:
    using TCustomMaskEdit::TCustomMaskEdit;
};

}  // namespace menvaro

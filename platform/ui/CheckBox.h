// TCheckBox: a box with a caption beside it, checked or not (or greyed,
// when AllowGrayed). A click with the mouse on the box or its caption, or
// Space while it has the focus, moves it to the next state and runs
// OnClick; setting Checked in code runs OnClick too, as the class library
// does. Alignment taRightJustify (the default) puts the caption right of
// the box; taLeftJustify puts it on the left and the box at the right edge.
#pragma once

#include <memory>

#include "ui/StdCtrls.h"

namespace menvaro {

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };
MENVARO_DECLARE_ENUM(TCheckBoxState)

class TCustomCheckBox : public TButtonControl {
    MENVARO_CLASS(TCustomCheckBox, TButtonControl)
public:
    explicit TCustomCheckBox(TComponent* owner);
    ~TCustomCheckBox() override;

    bool Checked() const { return state_ == cbChecked; }
    void SetChecked(bool v) { SetState(v ? cbChecked : cbUnchecked); }
    TCheckBoxState State() const { return state_; }
    void SetState(TCheckBoxState s);
    bool AllowGrayed() const { return allowGrayed_; }
    void SetAllowGrayed(bool v) { allowGrayed_ = v; }
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment a);
    // The box drawn flat (a one-pixel frame) instead of sunken.
    bool Flat() const { return flat_; }
    void SetFlat(bool v);

    // Where the box lies in client coordinates.
    TRect BoxRect() const;
    void Dispatch(TMessage& m) override;

protected:
    // The next state of a user's click.
    virtual void Toggle();
    void PaintWindow(HDC dc) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void KeyDown(std::uint16_t& key, TShiftState shift) override;
    void KeyUp(std::uint16_t& key, TShiftState shift) override;

private:
    TCheckBoxState state_ = cbUnchecked;
    bool allowGrayed_ = false;
    TAlignment alignment_ = taRightJustify;
    bool flat_ = false;
    bool mouseDown_ = false;
    bool spaceDown_ = false;
    std::unique_ptr<TCanvas> canvas_;
};

class TCheckBox : public TCustomCheckBox {
    MENVARO_CLASS(TCheckBox, TCustomCheckBox)
public:
    using TCustomCheckBox::TCustomCheckBox;
};

}  // namespace menvaro

// The decorated label: a windowless label whose caption the caption engine
// (fxText.h) lays out and draws, with every effect of the engine. It sizes
// itself to the drawn composite (a right-aligned one keeps its right edge),
// can be transparent, hands its accelerator to a focus control and tells of
// the mouse entering and leaving.
#pragma once

#include "classes/Events.h"
#include "decorated/fxText.h"
#include "ui/Controls.h"

namespace menvaro {

class TfxCustomLabel : public TGraphicControl {
    MENVARO_CLASS(TfxCustomLabel, TGraphicControl)
public:
    explicit TfxCustomLabel(TComponent* owner);
    ~TfxCustomLabel() override;

    TfxCaptionText* TextOptions() const { return textOptions_.get(); }
    // The control the caption's accelerator focuses; cleared when it goes.
    TWinControl* FocusControl() const { return focusControl_; }
    void SetFocusControl(TWinControl* c);
    // Transparent is the absence of csOpaque: only the text is painted.
    bool Transparent() const { return !ControlStyle().Contains(csOpaque); }
    void SetTransparent(bool v);

    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

    void SetAutoSize(bool v) override;
    void Loaded() override;
    void Dispatch(TMessage& m) override;

protected:
    void Paint() override;
    void Notification(TComponent* component, TOperation operation) override;
    virtual void DoMouseEnter();
    virtual void DoMouseLeave();
    virtual bool GetTextEnabled() const { return Enabled(); }
    // Fits the bounds to the composite, measured on a scratch bitmap with
    // the label's font; nothing while loading or without AutoSize.
    virtual void AdjustBounds();

private:
    TWinControl* focusControl_ = nullptr;
    TOwned<TfxCaptionText> textOptions_;
};

class TfxLabel : public TfxCustomLabel {
    MENVARO_CLASS(TfxLabel, TfxCustomLabel)
public:
    using TfxCustomLabel::TfxCustomLabel;
};

}  // namespace menvaro

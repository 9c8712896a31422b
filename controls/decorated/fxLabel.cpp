#include "decorated/fxLabel.h"

#include "base/ScopeGuard.h"
#include "classes/ClassBuilder.h"
#include "decorated/fxCommon.h"
#include "gfx/Bitmap.h"

namespace menvaro {

MENVARO_CLASS_INFO(TfxCustomLabel) {}

MENVARO_CLASS_INFO(TfxLabel) {
    c.Redeclare("AutoSize").Default(true);
    c.Redeclare("ParentColor").Default(true);
    c.Prop("FocusControl", &TfxLabel::FocusControl, &TfxLabel::SetFocusControl);
    c.Prop("TextOptions", &TfxLabel::TextOptions);
    c.Prop("Transparent", &TfxLabel::Transparent, &TfxLabel::SetTransparent).Default(false);
    c.Event("OnMouseEnter", &TfxLabel::OnMouseEnter);
    c.Event("OnMouseLeave", &TfxLabel::OnMouseLeave);
}

TfxCustomLabel::TfxCustomLabel(TComponent* owner)
    : TGraphicControl(owner),
      textOptions_(Create<TfxCaptionText>([this] { Invalidate(); }, [this] { AdjustBounds(); },
                                          [this] { return GetTextEnabled(); }, Font(), Canvas())) {
    SetControlStyle(ControlStyle() + csOpaque + csReplicatable);
    SetParentColor(true);
    SetAutoSize(true);
    SetBounds(Left(), Top(), 65, 17);
}

TfxCustomLabel::~TfxCustomLabel() = default;

void TfxCustomLabel::SetFocusControl(TWinControl* c) {
    if (c == focusControl_) return;
    if (focusControl_) focusControl_->RemoveFreeNotification(this);
    focusControl_ = c;
    if (c) c->FreeNotification(this);
}

void TfxCustomLabel::SetTransparent(bool v) {
    if (v == Transparent()) return;
    SetControlStyle(v ? ControlStyle() - csOpaque : ControlStyle() + csOpaque);
    Invalidate();
}

void TfxCustomLabel::SetAutoSize(bool v) {
    if (v == AutoSize()) return;
    TGraphicControl::SetAutoSize(v);
    AdjustBounds();
    Invalidate();
}

void TfxCustomLabel::Loaded() {
    TGraphicControl::Loaded();
    AdjustBounds();
}

void TfxCustomLabel::Notification(TComponent* component, TOperation operation) {
    TGraphicControl::Notification(component, operation);
    if (operation == opRemove && component == focusControl_) focusControl_ = nullptr;
}

void TfxCustomLabel::DoMouseEnter() {
    if (OnMouseEnter) OnMouseEnter(this);
}

void TfxCustomLabel::DoMouseLeave() {
    if (OnMouseLeave) OnMouseLeave(this);
}

void TfxCustomLabel::Paint() {
    TCanvas& c = *Canvas();
    const TRect r = ClientRect();
    if (!Transparent()) {
        c.Brush().SetColor(Color());
        c.Brush().SetStyle(bsSolid);
        c.FillRect(r);
    }
    c.Brush().SetStyle(bsClear);
    textOptions_->SetCanvas(&c);
    textOptions_->SetTextBounds(r);
    textOptions_->Draw();
}

void TfxCustomLabel::AdjustBounds() {
    if (ComponentState().Contains(csLoading) || !AutoSize()) return;
    // There is no screen to measure on: a scratch bitmap stands in, and the
    // engine puts the label's font into it.
    TBitmap scratch(1, 1);
    textOptions_->SetCanvas(&scratch.Canvas());
    ScopeGuard back([this] { textOptions_->SetCanvas(Canvas()); });
    const TRect c = textOptions_->CalcRect(true);
    int left = Left();
    if (textOptions_->Alignment() == taRightJustify) left += Width() - fxRectWidth(c);
    SetBounds(left, Top(), fxRectWidth(c), fxRectHeight(c));
}

void TfxCustomLabel::Dispatch(TMessage& m) {
    switch (m.Msg) {
        case CM_TEXTCHANGED:
            textOptions_->SetText(Caption());
            AdjustBounds();
            Invalidate();
            return;
        case CM_FONTCHANGED:
            TGraphicControl::Dispatch(m);
            AdjustBounds();
            return;
        case CM_DIALOGCHAR:
            if (focusControl_ && Enabled() && textOptions_->Options().Contains(toShowAccel) &&
                IsAccel(static_cast<char>(m.WParam), Caption()) && focusControl_->CanFocus()) {
                focusControl_->SetFocus();
                m.Result = 1;
                return;
            }
            TGraphicControl::Dispatch(m);
            return;
        case CM_MOUSEENTER:
            TGraphicControl::Dispatch(m);
            DoMouseEnter();
            return;
        case CM_MOUSELEAVE:
            TGraphicControl::Dispatch(m);
            DoMouseLeave();
            return;
        default: TGraphicControl::Dispatch(m);
    }
}

}  // namespace menvaro

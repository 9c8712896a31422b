#include "decorated/fxButton.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "base/Exceptions.h"
#include "base/ScopeGuard.h"
#include "base/Streams.h"
#include "classes/ClassBuilder.h"
#include "classes/Filer.h"
#include "classes/Setters.h"
#include "decorated/fxBitmap.h"
#include "decorated/fxChangeLink.h"
#include "decorated/fxCommon.h"
#include "gfx/ImageList.h"
#include "ui/GraphicsClasses.h"
#include "ui/ImgList.h"
#include "ui/WindowManager.h"

namespace menvaro {

MENVARO_DEFINE_ENUM(TfxShadeStyle, fbsNormal, fbsRaised, fbsHighlight, fbsFlat)
MENVARO_DEFINE_ENUM(TfxButtonOption, boFocusable, boOverrideActionGlyph, boToggleOnUp, boFocusRect, boAutoBold)

namespace {

bool KindIsDefault(TBitBtnKind k) { return k == bkOK || k == bkYes; }
bool KindIsCancel(TBitBtnKind k) { return k == bkCancel || k == bkNo; }

}  // namespace

// --------------------------------------------------------------- TfxOffsets

MENVARO_CLASS_INFO(TfxOffsets) {
    c.Prop("GlyphX", &TfxOffsets::GlyphX, &TfxOffsets::SetGlyphX).Default(0);
    c.Prop("GlyphY", &TfxOffsets::GlyphY, &TfxOffsets::SetGlyphY).Default(0);
    c.Prop("TextX", &TfxOffsets::TextX, &TfxOffsets::SetTextX).Default(0);
    c.Prop("TextY", &TfxOffsets::TextY, &TfxOffsets::SetTextY).Default(0);
    c.Prop("TextDownX", &TfxOffsets::TextDownX, &TfxOffsets::SetTextDownX).Default(1);
    c.Prop("TextDownY", &TfxOffsets::TextDownY, &TfxOffsets::SetTextDownY).Default(1);
}

void TfxOffsets::Changed() {
    if (button_) button_->Invalidate();
}

void TfxOffsets::SetGlyphX(int v) {
    if (Change(glyphX_, v)) Changed();
}
void TfxOffsets::SetGlyphY(int v) {
    if (Change(glyphY_, v)) Changed();
}
void TfxOffsets::SetTextX(int v) {
    if (Change(textX_, v)) Changed();
}
void TfxOffsets::SetTextY(int v) {
    if (Change(textY_, v)) Changed();
}

void TfxOffsets::Assign(const TPersistent* source) {
    if (auto* s = dynamic_cast<const TfxOffsets*>(source)) {
        glyphX_ = s->glyphX_;
        glyphY_ = s->glyphY_;
        textX_ = s->textX_;
        textY_ = s->textY_;
        textDownX_ = s->textDownX_;
        textDownY_ = s->textDownY_;
        Changed();
        return;
    }
    TPersistent::Assign(source);
}

TPersistent* TfxOffsets::GetOwner() const { return button_; }

// ----------------------------------------------------------- TfxShadeColors

MENVARO_CLASS_INFO(TfxShadeColors) {
    c.Prop("BtnHighlight", &TfxShadeColors::BtnHighlight, &TfxShadeColors::SetBtnHighlight)
        .Idents(ColorIdents())
        .Default(clBtnHighlight);
    c.Prop("Btn3DLight", &TfxShadeColors::Btn3DLight, &TfxShadeColors::SetBtn3DLight)
        .Idents(ColorIdents())
        .Default(cl3DLight);
    c.Prop("BtnShadow", &TfxShadeColors::BtnShadow, &TfxShadeColors::SetBtnShadow)
        .Idents(ColorIdents())
        .Default(clBtnShadow);
    c.Prop("BtnBlack", &TfxShadeColors::BtnBlack, &TfxShadeColors::SetBtnBlack).Idents(ColorIdents()).Default(clBlack);
    c.Prop("BtnFocus", &TfxShadeColors::BtnFocus, &TfxShadeColors::SetBtnFocus).Idents(ColorIdents()).Default(clBlack);
    c.Prop("Shadow", &TfxShadeColors::Shadow, &TfxShadeColors::SetShadow).Idents(ColorIdents()).Default(clBlack);
}

void TfxShadeColors::Set(TColor& field, TColor v) {
    if (Change(field, v) && button_) button_->Invalidate();
}

void TfxShadeColors::SetBtnHighlight(TColor v) { Set(btnHighlight_, v); }
void TfxShadeColors::SetBtn3DLight(TColor v) { Set(btn3DLight_, v); }
void TfxShadeColors::SetBtnShadow(TColor v) { Set(btnShadow_, v); }
void TfxShadeColors::SetBtnBlack(TColor v) { Set(btnBlack_, v); }
void TfxShadeColors::SetBtnFocus(TColor v) { Set(btnFocus_, v); }
void TfxShadeColors::SetShadow(TColor v) { Set(shadow_, v); }

void TfxShadeColors::Assign(const TPersistent* source) {
    if (auto* s = dynamic_cast<const TfxShadeColors*>(source)) {
        SetBtnHighlight(s->BtnHighlight());
        SetBtn3DLight(s->Btn3DLight());
        SetBtnShadow(s->BtnShadow());
        SetBtnBlack(s->BtnBlack());
        SetBtnFocus(s->BtnFocus());
        SetShadow(s->Shadow());
        return;
    }
    TPersistent::Assign(source);
}

TPersistent* TfxShadeColors::GetOwner() const { return button_; }

// ---------------------------------------------------------- TfxCustomBitBtn

MENVARO_CLASS_INFO(TfxCustomBitBtn) {
    using B = TfxCustomBitBtn;
    c.Prop("AllowAllUp", &B::AllowAllUp, &B::SetAllowAllUp).Default(false);
    c.Prop("Cancel", &B::Cancel, &B::SetCancel).Default(false);
    c.Redeclare("Caption").Stored(&B::IsCaptionStored);
    c.Prop("Default", &B::Default, &B::SetDefault).Default(false);
    c.Prop("Down", &B::Down, &B::SetDown).Default(false);
    c.Prop("Glyph", &B::Glyph, &B::SetGlyph).Stored(&B::IsGlyphStored);
    c.Prop("GroupIndex", &B::GroupIndex, &B::SetGroupIndex).Default(0);
    c.Prop("Kind", &B::Kind, &B::SetKind).Default(bkCustom);
    c.Prop("Layout", &B::Layout, &B::SetLayout).Default(blGlyphLeft);
    c.Prop("Margin", &B::Margin, &B::SetMargin).Default(-1);
    c.Prop("ModalResult", &B::ModalResult, &B::SetModalResult).Idents(ModalResultIdents()).Default(mrNone);
    // A fresh button's 0 counts as one image, as the default 1 does: not
    // stored, or a form file would never read back as it was written.
    c.Prop("NumGlyphs", &B::NumGlyphs, &B::SetNumGlyphs).Default(1).Stored([](const B& b) {
        return b.NumGlyphs() != 0;
    });
    c.Prop("Offsets", &B::Offsets);
    c.Prop("Options", &B::Options, &B::SetOptions).Default(TfxButtonOptions{});
    c.Prop("ShadeColors", &B::ShadeColors);
    c.Prop("ShadeStyle", &B::ShadeStyle, &B::SetShadeStyle);
    c.Prop("SmoothFont", &B::SmoothFont, &B::SetSmoothFont).Default(false);
    c.Prop("Spacing", &B::Spacing, &B::SetSpacing).Default(4);
    c.Prop("Style", &B::Style, &B::SetStyle).Default(bsAutoDetect);
    c.Prop("TextOptions", &B::TextOptions);
    c.Event("OnMouseEnter", &B::OnMouseEnter);
    c.Event("OnMouseLeave", &B::OnMouseLeave);
    c.Event("OnSelChange", &B::OnSelChange);
}

TfxCustomBitBtn::TfxCustomBitBtn(TComponent* owner)
    : TWinControl(owner),
      glyph_(std::make_unique<TBitmap>()),
      shadeColors_(Create<TfxShadeColors>(this)),
      canvas_(std::make_unique<TCanvas>()) {
    SetControlStyle(TControlStyle{csSetCaption, csOpaque, csReflector});
    SetColor(clBtnFace);
    SetBounds(Left(), Top(), 75, 25);
    glyph_->OnChange = [this] { GlyphChanged(); };
    SetTabStop(true);
    textOptions_.reset(Create<TfxCaptionText>([this] { Invalidate(); }, [this] { AdjustTextBounds(); },
                                              [this] { return GetTextEnabled(); }, Font(), canvas_.get()));
    textOptions_->SetAlignment(taCenter);
    textOptions_->SetVAlignment(vaVCenter);
}

TfxCustomBitBtn::~TfxCustomBitBtn() = default;

void TfxCustomBitBtn::AfterConstruction() {
    TWinControl::AfterConstruction();
    if (!offsets_) offsets_ = CreateOffsets();
}

TOwned<TfxOffsets> TfxCustomBitBtn::CreateOffsets() { return TOwned<TfxOffsets>(Create<TfxOffsets>(this)); }

// ---- properties

void TfxCustomBitBtn::SetAllowAllUp(bool v) {
    if (Change(allowAllUp_, v)) UpdateExclusive();
}

void TfxCustomBitBtn::SetGroupIndex(int v) {
    if (Change(groupIndex_, v)) UpdateExclusive();
}

void TfxCustomBitBtn::SetDefault(bool v) {
    // A default button's face has a dark rim.
    if (v != default_) Invalidate();
    default_ = v;
    if (!HandleAllocated()) return;
    // Every button of the form works out again which one Enter clicks.
    if (TCustomForm* form = GetParentForm(this))
        form->Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(static_cast<TControl*>(form->ActiveControl())));
}

void TfxCustomBitBtn::SetDown(bool v) {
    if (groupIndex_ == 0 && !ComponentState().Contains(csLoading)) v = false;
    if (v == down_) return;
    SetDownState(v, true, true);
    if (down_ == v) SelChange();
}

void TfxCustomBitBtn::SetGlyph(const TBitmap* b) {
    if (b == glyph_.get()) return;
    if (b)
        glyph_->Assign(*b);
    else
        glyph_->Clear();
    Invalidate();
}

TBitBtnKind TfxCustomBitBtn::Kind() const {
    if (kind_ != bkCustom && (default_ != KindIsDefault(kind_) || cancel_ != KindIsCancel(kind_) ||
                              modalResult_ != BitBtnKindModalResult(kind_)))
        kind_ = bkCustom;
    return kind_;
}

void TfxCustomBitBtn::SetKind(TBitBtnKind k) {
    if (k == Kind()) return;
    if (k != bkCustom) {
        SetDefault(KindIsDefault(k));
        SetCancel(KindIsCancel(k));
        if (!ComponentState().Contains(csLoading) || Caption().empty()) SetCaption(BitBtnKindCaption(k));
        SetModalResult(BitBtnKindModalResult(k));
        SetGlyph(&BitBtnStockGlyph(k));
        SetNumGlyphs(2);
    }
    kind_ = k;
    Invalidate();
}

void TfxCustomBitBtn::SetLayout(TButtonLayout v) {
    if (Change(layout_, v)) Invalidate();
}

void TfxCustomBitBtn::SetMargin(int v) {
    if (v < -1) return;
    if (Change(margin_, v)) Invalidate();
}

void TfxCustomBitBtn::SetNumGlyphs(int v) {
    if (Change(numGlyphs_, std::clamp(v, 1, 4))) Invalidate();
}

void TfxCustomBitBtn::SetOptions(TfxButtonOptions v) {
    const TfxButtonOptions old = options_;
    if (!Change(options_, v)) return;
    if (!v.Contains(boFocusable)) SetTabStop(false);
    if (old.Contains(boAutoBold) != v.Contains(boAutoBold)) SetDownState(down_, true);
    Invalidate();
}

void TfxCustomBitBtn::SetShadeStyle(TfxShadeStyle v) {
    if (Change(shadeStyle_, v)) RecreateWnd();
}

void TfxCustomBitBtn::SetSpacing(int v) {
    if (Change(spacing_, v)) Invalidate();
}

void TfxCustomBitBtn::SetStyle(TButtonStyle v) {
    if (Change(style_, v)) Invalidate();
}

void TfxCustomBitBtn::SetSmoothFont(bool v) {
    if (Change(smoothFont_, v)) Invalidate();
}

bool TfxCustomBitBtn::IsGlyphStored() const { return Kind() == bkCustom; }

bool TfxCustomBitBtn::IsCaptionStored() const { return Caption() != BitBtnKindCaption(Kind()); }

int TfxCustomBitBtn::GetGlyphWidth() const { return numGlyphs_ == 0 ? glyph_->Width() : glyph_->Width() / numGlyphs_; }

void TfxCustomBitBtn::AddChangeLink(TfxChangeLink* link) {
    if (link && std::find(changeLinks_.begin(), changeLinks_.end(), link) == changeLinks_.end())
        changeLinks_.push_back(link);
}

void TfxCustomBitBtn::RemoveChangeLink(TfxChangeLink* link) {
    changeLinks_.erase(std::remove(changeLinks_.begin(), changeLinks_.end(), link), changeLinks_.end());
}

void TfxCustomBitBtn::SetShadeColorsFrom(TColor color) {
    TfxShadeColors& s = *shadeColors_;
    s.SetBtnShadow(fxShadeColor(color, -50, true));
    s.SetBtnBlack(fxShadeColor(s.BtnShadow(), -50, true));
    s.SetBtn3DLight(fxShadeColor(color, 50, true));
    s.SetBtnHighlight(fxShadeColor(s.Btn3DLight(), 50, true));
}

void TfxCustomBitBtn::Assign(const TPersistent* source) {
    if (auto* s = dynamic_cast<const TfxCustomBitBtn*>(source)) {
        SetColor(s->Color());
        offsets_->Assign(s->Offsets());
        SetLayout(s->Layout());
        SetMargin(s->Margin());
        SetNumGlyphs(s->NumGlyphs());
        SetOptions(s->Options());
        shadeColors_->Assign(s->ShadeColors());
        SetSpacing(s->Spacing());
        SetTabStop(s->TabStop());
        textOptions_->Assign(s->TextOptions());
        return;
    }
    TWinControl::Assign(source);
}

// ---- notifications

void TfxCustomBitBtn::NotifyChange() {
    for (TfxChangeLink* link : std::vector<TfxChangeLink*>(changeLinks_)) {
        link->Sender = this;
        link->Change();
    }
}

void TfxCustomBitBtn::NotifyChanging() {
    for (TfxChangeLink* link : std::vector<TfxChangeLink*>(changeLinks_)) {
        link->Sender = this;
        link->Changing();
    }
}

void TfxCustomBitBtn::NotifyLoaded() {
    for (TfxChangeLink* link : std::vector<TfxChangeLink*>(changeLinks_)) {
        link->Sender = this;
        link->Loaded();
    }
}

void TfxCustomBitBtn::SelChange() {
    if (OnSelChange) OnSelChange(this);
    NotifyChange();
}

void TfxCustomBitBtn::GlyphChanged() { Invalidate(); }

// ---- up and down

void TfxCustomBitBtn::SetDownState(bool down, bool invalidate, bool exclusive) {
    if (down != down_) {
        down_ = down;
        UpdateRegion();
        if (down_) NotifyChanging();
        if (exclusive) UpdateExclusive();
        if (invalidate) Invalidate();
    }
    if (groupIndex_ > 0 && options_.Contains(boAutoBold)) {
        const TFontStyles style = Font()->Style();
        Font()->SetStyle(down_ ? style | fsBold : style & ~TFontStyles(fsBold));
    }
}

void TfxCustomBitBtn::UpdateExclusive() {
    if (groupIndex_ == 0 || !Parent()) return;
    TMessage m{CM_BUTTONPRESSED, static_cast<WPARAM>(groupIndex_),
               reinterpret_cast<LPARAM>(static_cast<TControl*>(this)), 0};
    Parent()->Broadcast(m);
}

void TfxCustomBitBtn::Press() {
    downBeforePress_ = down_;
    if (!(options_.Contains(boToggleOnUp) && groupIndex_ != 0)) {
        if (options_.Contains(boFocusable) && CanFocus()) SetFocus();
        SetDownState(true, false);
    }
    if (down_ != downBeforePress_) RepaintNow();
}

void TfxCustomBitBtn::Release(bool inside) {
    if (groupIndex_ != 0) {
        UpdateExclusive();
        if ((inside || options_.Contains(boToggleOnUp)) && (!downBeforePress_ || allowAllUp_)) {
            SetDownState(!downBeforePress_, false, true);
            RepaintNow();
            SelChange();
        }
        return;
    }
    SetDownState(false, false);
    RepaintNow();
}

bool TfxCustomBitBtn::IsMouseInControl(int x, int y, bool requirePressed) {
    const TPoint screen = (x == -1 && y == -1) ? GetCursorPos() : ClientToScreen({x, y});
    bool over;
    if (UseDownRegion()) {
        // Over either shape: a press may change the window between them.
        TRegion area = CreateRegion(true, !down_).value_or(TRegion());
        if (previousRegion_) area.Union(*previousRegion_);
        over = area.Contains(ScreenToClient(screen));
    } else if (HandleAllocated() && Parent() && Parent()->HandleAllocated()) {
        const HWND parent = Parent()->WindowHandle();
        over = FindControl(ChildWindowFromPoint(parent, ::menvaro::ScreenToClient(parent, screen))) == this;
    } else {
        over = ClientRect().Contains(ScreenToClient(screen));
    }
    return over && (!requirePressed || mousePressed_);
}

// ---- mouse and keys

void TfxCustomBitBtn::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == mbLeft && GetKeyState(VK_LBUTTON) < 0) {
        mousePressed_ = true;
        SetMouseCapture(true);
        Press();
    }
    TWinControl::MouseDown(button, shift, x, y);
}

void TfxCustomBitBtn::MouseMove(TShiftState shift, int x, int y) {
    TWinControl::MouseMove(shift, x, y);
    if (options_.Contains(boToggleOnUp) || !mousePressed_ || GetKeyState(VK_LBUTTON) >= 0) return;
    const bool over = IsMouseInControl(x, y, true);
    if ((over && !down_) || (!over && down_ && !downBeforePress_)) {
        SetDownState(over, false);
        RepaintNow();
    }
}

void TfxCustomBitBtn::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    TWinControl::MouseUp(button, shift, x, y);
    // Only the release of a left press of this button: a right click or a
    // stray release never toggles or clicks it.
    if (button != mbLeft || !mousePressed_) return;
    const TWinControl* parent = Parent();
    const bool inside = (parent && fxIsClassNamed(parent->ClassType(), "TfxCustomOutlookBar")) ||
                        IsMouseInControl(x, y, true);
    Release(inside);
    SetMouseCapture(false);
    const bool click = IsMouseInControl(x, y, true) || options_.Contains(boToggleOnUp);
    mousePressed_ = false;
    // Last: the click may close the form.
    if (click) Click();
}

void TfxCustomBitBtn::KeyDown(std::uint16_t& key, TShiftState shift) {
    TWinControl::KeyDown(key, shift);
    if (key != VK_SPACE) return;
    Press();
    Release(true);
    Click();
}

void TfxCustomBitBtn::Click() {
    clickInProgress_ = true;
    ScopeGuard done([this] {
        clickInProgress_ = false;
        Invalidate();
    });
    TCustomForm* form = GetParentForm(this);
    switch (Kind()) {
        case bkHelp:
            for (const TControl* c = this; c; c = c->Parent())
                if (c->HelpContext() != 0) {
                    if (Application) Application->HelpContext(c->HelpContext());
                    return;
                }
            TWinControl::Click();
            return;
        case bkClose:
            if (form)
                form->Close();
            else
                TWinControl::Click();
            return;
        default:
            if (form) form->SetModalResult(modalResult_);
            TWinControl::Click();
            return;
    }
}

void TfxCustomBitBtn::MouseActivate(TMessage& m) {
    if (ComponentState().Contains(csDesigning) || options_.Contains(boFocusable)) {
        TWinControl::Dispatch(m);
        return;
    }
    // No activation and no focus: the form comes to the front and the
    // press is posted again, so the button still works.
    m.Result = MA_NOACTIVATEANDEAT;
    TCustomForm* form = GetParentForm(this);
    if (form && form->HandleAllocated())
        SetWindowPos(form->WindowHandle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    const TPoint p = ScreenToClient(GetCursorPos());
    if (p.X < 0 || p.Y < 0 || !HandleAllocated()) return;
    const bool left = HiWord(static_cast<std::uintptr_t>(m.LParam)) == WM_LBUTTONDOWN;
    WPARAM keys = left ? MK_LBUTTON : MK_RBUTTON;
    if (GetKeyState(VK_SHIFT) < 0) keys |= MK_SHIFT;
    if (GetKeyState(VK_CONTROL) < 0) keys |= MK_CONTROL;
    PostMessage(WindowHandle(), left ? WM_LBUTTONDOWN : WM_RBUTTONDOWN, keys, MakeLParam(p.X, p.Y));
}

void TfxCustomBitBtn::Dispatch(TMessage& m) {
    switch (m.Msg) {
        case CN_DRAWITEM:
            DrawItem(*reinterpret_cast<const TDrawItemStruct*>(m.LParam));
            m.Result = 1;
            return;
        case CN_MEASUREITEM: {
            auto* item = reinterpret_cast<TMeasureItemStruct*>(m.LParam);
            item->itemWidth = static_cast<UINT>(Width());
            item->itemHeight = static_cast<UINT>(Height());
            m.Result = 1;
            return;
        }
        case WM_ERASEBKGND: m.Result = 1; return;
        case CM_BUTTONPRESSED: {
            auto* sender = dynamic_cast<TfxCustomBitBtn*>(reinterpret_cast<TControl*>(m.LParam));
            // Every other member hears of the group's new selection, not
            // only the one that goes up.
            if (static_cast<int>(m.WParam) == groupIndex_ && sender && sender != this && sender->Down()) {
                SetDownState(false, true);
                SelChange();
            }
            return;
        }
        case CM_DIALOGKEY:
        case CM_DIALOGCHAR: {
            const bool plain = KeyDataToShiftState(m.LParam) * TShiftState{ssShift, ssCtrl, ssAlt} == TShiftState{};
            if (plain && ((m.WParam == VK_RETURN && isActiveDefault_) || (m.WParam == VK_ESCAPE && cancel_)) &&
                CanFocus()) {
                Click();
                m.Result = 1;
                return;
            }
            if (m.Msg == CM_DIALOGCHAR && IsAccel(static_cast<char>(m.WParam), Caption()) && CanFocus()) {
                SetDown(!down_);
                Click();
                Invalidate();
                m.Result = 1;
                return;
            }
            TWinControl::Dispatch(m);
            return;
        }
        case CM_FOCUSCHANGED: {
            auto* to = reinterpret_cast<TControl*>(m.LParam);
            isActiveDefault_ = dynamic_cast<TfxCustomBitBtn*>(to) ? to == this : default_;
            TWinControl::Dispatch(m);
            return;
        }
        case CM_ENABLEDCHANGED:
            TWinControl::Dispatch(m);
            Invalidate();
            return;
        case CM_MOUSEENTER:
        case CM_MOUSELEAVE:
            TWinControl::Dispatch(m);
            if (shadeStyle_ == fbsFlat || numGlyphs_ == 4) Invalidate();
            if (m.Msg == CM_MOUSEENTER && OnMouseEnter) OnMouseEnter(this);
            if (m.Msg == CM_MOUSELEAVE && OnMouseLeave) OnMouseLeave(this);
            return;
        case WM_CANCELMODE:
            TWinControl::Dispatch(m);
            if (ControlState().Contains(csLButtonDown)) Perform(WM_LBUTTONUP, 0, MakeLParam(-1, -1));
            return;
        case WM_MOUSEACTIVATE: MouseActivate(m); return;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            // An owner-drawn button window is drawn again when the focus
            // comes or goes.
            TWinControl::Dispatch(m);
            Invalidate();
            return;
        case WM_SIZE:
            TWinControl::Dispatch(m);
            // The cached regions belong to the old size.
            FreeRegionData(false);
            FreeRegionData(true);
            if (HandleAllocated()) SetWindowRgn(WindowHandle(), std::nullopt, true);
            ApplyRegion();
            Invalidate();
            fxInvalidateParentArea(this, true);
            return;
        default: TWinControl::Dispatch(m);
    }
}

// ---- the window

void TfxCustomBitBtn::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.Style |= BS_OWNERDRAW;
    if (!ControlStyle().Contains(csDoubleClicks)) params.ClassStyle &= ~CS_DBLCLKS;
}

void TfxCustomBitBtn::CreateWnd() {
    TWinControl::CreateWnd();
    isActiveDefault_ = default_;
    ApplyRegion();
}

void TfxCustomBitBtn::DestroyWnd() {
    DestroyRegions();
    TWinControl::DestroyWnd();
}

void TfxCustomBitBtn::Loaded() {
    TWinControl::Loaded();
    if (!options_.Contains(boFocusable)) SetTabStop(false);
    ApplyRegion();
    NotifyLoaded();
}

// ---- regions

std::optional<TRegion> TfxCustomBitBtn::CreateRegion(bool, bool down) {
    const std::vector<std::uint8_t>& data = down ? downRegionData_ : regionData_;
    if (data.empty()) return std::nullopt;
    try {
        return TRegion::FromData(data.data(), data.size());
    } catch (const EInvalidArgument&) {
        return std::nullopt;
    }
}

void TfxCustomBitBtn::SaveRegion(const std::optional<TRegion>& region, bool down) {
    std::vector<std::uint8_t>& data = down ? downRegionData_ : regionData_;
    if (region)
        data = region->Data();
    else
        data.clear();
}

void TfxCustomBitBtn::FreeRegionData(bool down) { (down ? downRegionData_ : regionData_).clear(); }

void TfxCustomBitBtn::UpdateRegion() {
    if (UseDownRegion()) ApplyRegion();
}

void TfxCustomBitBtn::DestroyRegions() {
    if (HandleAllocated() && !ComponentState().Contains(csDestroying)) SetWindowRgn(WindowHandle(), std::nullopt, true);
    region_.reset();
    previousRegion_.reset();
}

void TfxCustomBitBtn::ApplyRegion() {
    if (!HandleAllocated() || !UseRegion()) return;
    const HWND h = WindowHandle();
    SetWindowRgn(h, std::nullopt, false);
    region_ = CreateRegion(true, down_);
    if (UseDownRegion()) {
        if (previousRegion_ && region_) {
            // What changed between the two shapes shows what lies beneath.
            TRegion changed = *previousRegion_;
            changed.Xor(*region_);
            const TCustomForm* form = GetParentForm(this);
            TPoint at{Left(), Top()};
            for (TWinControl* p = Parent(); p && p != form; p = p->Parent()) {
                TRegion r = changed;
                r.Offset(at.X, at.Y);
                if (p->HandleAllocated()) InvalidateRgn(p->WindowHandle(), &r, true);
                at.X += p->Left();
                at.Y += p->Top();
            }
        }
        previousRegion_ = region_;
    }
    SetWindowRgn(h, region_, false);
    if (UseDownRegion() && Parent() && Parent()->HandleAllocated())
        fxInvalidateOverlapping(Parent()->WindowHandle(), h);
}

void TfxCustomBitBtn::InvalidateOutside(bool erase) {
    if (!Parent() || !Parent()->HandleAllocated()) return;
    const std::optional<TRegion> shape = region_ ? region_ : CreateRegion(true, down_);
    if (!shape) return;
    TRegion outside(ClientRect());
    outside.Subtract(*shape);
    outside.Offset(Left(), Top());
    InvalidateRgn(Parent()->WindowHandle(), &outside, erase);
}

void TfxCustomBitBtn::ReadData(TStream& stream, std::vector<std::uint8_t>& data) {
    const std::int64_t available = stream.Size() - stream.Position();
    if (available < 4) throw EReadError("region data: the byte count is missing");
    std::uint8_t len[4];
    stream.ReadBuffer(len, 4);
    const auto count = static_cast<std::int32_t>(std::uint32_t(len[0]) | (std::uint32_t(len[1]) << 8) |
                                                 (std::uint32_t(len[2]) << 16) | (std::uint32_t(len[3]) << 24));
    if (count < 0) throw EReadError("region data: the byte count " + std::to_string(count) + " is negative");
    if (count > available - 4)
        throw EReadError("region data: the byte count says " + std::to_string(count) + " bytes, " +
                         std::to_string(available - 4) + " follow");
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count));
    if (count > 0) stream.ReadBuffer(bytes.data(), bytes.size());
    // Data of the right size that describes no region is dropped.
    try {
        if (!bytes.empty()) (void)TRegion::FromData(bytes.data(), bytes.size());
    } catch (const EInvalidArgument&) {
        bytes.clear();
    }
    data = std::move(bytes);
}

void TfxCustomBitBtn::WriteData(TStream& stream, const std::vector<std::uint8_t>& data) {
    const auto n = static_cast<std::uint32_t>(data.size());
    const std::uint8_t len[4] = {std::uint8_t(n), std::uint8_t(n >> 8), std::uint8_t(n >> 16), std::uint8_t(n >> 24)};
    stream.WriteBuffer(len, 4);
    if (n) stream.WriteBuffer(data.data(), n);
}

void TfxCustomBitBtn::ReadRegionData(TStream& stream) { ReadData(stream, regionData_); }
void TfxCustomBitBtn::ReadDownRegionData(TStream& stream) { ReadData(stream, downRegionData_); }
void TfxCustomBitBtn::WriteRegionData(TStream& stream) { WriteData(stream, regionData_); }
void TfxCustomBitBtn::WriteDownRegionData(TStream& stream) { WriteData(stream, downRegionData_); }

void TfxCustomBitBtn::DefineProperties(TFiler& filer) {
    TWinControl::DefineProperties(filer);
    const bool stored = HasRegionData();
    filer.DefineBinaryProperty(
        "RegionData", [this](TStream& s) { ReadRegionData(s); }, [this](TStream& s) { WriteRegionData(s); }, stored);
    filer.DefineBinaryProperty(
        "DownRegionData", [this](TStream& s) { ReadDownRegionData(s); }, [this](TStream& s) { WriteDownRegionData(s); },
        stored);
}

// ---- painting

void TfxCustomBitBtn::PaintWindow(HDC dc) {
    // The window is owner-drawn: it asks the control to paint all of it.
    TDrawItemStruct item;
    item.hwndItem = WindowHandle();
    item.hDC = dc;
    item.rcItem = ClientRect();
    item.itemState = (down_ ? ODS_SELECTED : 0u) | (!Enabled() ? ODS_DISABLED : 0u) | (Focused() ? ODS_FOCUS : 0u);
    Perform(CN_DRAWITEM, 0, reinterpret_cast<LPARAM>(&item));
}

void TfxCustomBitBtn::DrawItem(const TDrawItemStruct& item) {
    if (!item.hDC) return;
    TCanvasOnDC bound(*canvas_, item.hDC, this);
    PaintButton();
}

void TfxCustomBitBtn::RepaintNow() {
    if (!HandleAllocated()) return;
    const HWND h = WindowHandle();
    HDC dc = GetDC(h);
    if (!dc) return;
    ScopeGuard released([h, dc] { ReleaseDC(h, dc); });
    TCanvasOnDC bound(*canvas_, dc, this);
    PaintButton();
}

void TfxCustomBitBtn::DrawFace(TfxBitmap&, bool, TfxShadeStyle, bool) {}

void TfxCustomBitBtn::PaintButton() {
    TOwned<TfxBitmap> face(Create<TfxBitmap>());
    // The caption engine must never keep the scratch bitmap's canvas.
    ScopeGuard back([this] { textOptions_->SetCanvas(canvas_.get()); });
    DrawFace(*face, false, clickInProgress_ ? fbsNormal : shadeStyle_, down_);
    DrawContents(face->Canvas(), ClientRect());
    canvas_->Draw(0, 0, *face);
    if (smoothFont_) {
        textOptions_->SetCanvas(canvas_.get());
        DrawCaption(*canvas_, captionRect_);
    }
}

void TfxCustomBitBtn::DrawContents(TCanvas& canvas, const TRect&) {
    const TRect r = InflateRect(ClientRect(), -2, -2);
    textOptions_->SetCanvas(&canvas);
    textOptions_->SetText(Caption());
    textOptions_->SetTextBounds(r);
    const TRect text = textOptions_->CalcRect(true);
    CalcLayout(canvas, r, {fxRectWidth(text), fxRectHeight(text)}, glyphRect_, captionRect_);
    captionRect_ = {std::max(0, captionRect_.Left), std::max(0, captionRect_.Top),
                    std::min(ClientWidth(), captionRect_.Right), std::min(ClientHeight(), captionRect_.Bottom)};
    if (!glyph_->Empty()) DrawGlyph(canvas, glyphRect_);
    DrawCaption(canvas, captionRect_);
    if (options_.Contains(boFocusRect) && options_.Contains(boFocusable) && Focused()) {
        TRect both;
        UnionRect(both, captionRect_, glyphRect_);
        canvas.Brush().SetColor(clWhite);
        canvas.Font().SetColor(clBlack);
        canvas.DrawFocusRect(InflateRect(both, 2, 2));
    }
}

void TfxCustomBitBtn::CalcLayout(TCanvas&, const TRect&, TSize textSize, TRect& glyphRect, TRect& captionRect) {
    const int margin = margin_ == -1 ? 4 : margin_;
    const TSize glyphSize = glyph_->Empty() ? TSize{} : TSize{GetGlyphWidth(), glyph_->Height()};
    const int spacing = !Caption().empty() && !glyph_->Empty() ? spacing_ : 0;
    const int block = (textSize.cx + glyphSize.cx + spacing) / 2;
    TPoint anchor{Width() / 2, Height() / 2};
    if (textOptions_->Alignment() == taLeftJustify)
        anchor.X = block + margin;
    else if (textOptions_->Alignment() == taRightJustify)
        anchor.X = Width() - margin - block;
    fxLayoutGlyphAndText(anchor, &captionRect, &glyphRect, spacing, layout_, glyphSize, textSize);
    captionRect = OffsetRect(captionRect, offsets_->TextX(), offsets_->TextY());
    glyphRect = OffsetRect(glyphRect, offsets_->GlyphX(), offsets_->GlyphY());
    if (down_) {
        captionRect = OffsetRect(captionRect, offsets_->TextDownX(), offsets_->TextDownY());
        glyphRect = OffsetRect(glyphRect, offsets_->TextDownX(), offsets_->TextDownY());
    }
}

void TfxCustomBitBtn::DrawGlyph(TCanvas& canvas, const TRect& rect) {
    int index = 0;
    if (!Enabled() && numGlyphs_ >= 2)
        index = 1;
    else if (down_ && numGlyphs_ > 2)
        index = 2;
    else if (numGlyphs_ > 3 && IsMouseInControl(-1, -1, false))
        index = 3;
    const int w = GetGlyphWidth(), h = glyph_->Height();
    TBitmap image;
    if (Enabled() || numGlyphs_ > 1) {
        image.SetSize(w, h);
        image.Canvas().CopyRect({0, 0, w, h}, glyph_->Canvas(), Bounds(index * w, 0, w, h));
    } else {
        fxDrawDisabledBitmap(*glyph_, image);
    }
    if (image.Empty()) return;
    image.SetTransparent(true);
    TOwned<TImageList> list(Create<TImageList>(nullptr));
    list->SetWidth(image.Width());
    list->SetHeight(image.Height());
    list->AddMasked(image, image.TransparentColor());
    fxDrawImageListImage(list.get(), 0, canvas, true, ILD_NORMAL, rect.Left, rect.Top);
}

void TfxCustomBitBtn::DrawCaption(TCanvas& canvas, const TRect& rect) {
    canvas.Brush().SetStyle(bsClear);
    textOptions_->SetCanvas(&canvas);
    textOptions_->SetTextBounds(rect);
    textOptions_->Draw();
}

}  // namespace menvaro

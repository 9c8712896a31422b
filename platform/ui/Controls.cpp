#include "ui/Controls.h"

#include <algorithm>
#include <cctype>

#include "base/ScopeGuard.h"
#include "base/Strings.h"
#include "classes/ClassBuilder.h"
#include "classes/ExceptionHandler.h"
#include "classes/Setters.h"
#include "gfx/Bitmap.h"
#include "ui/Forms.h"
#include "ui/Menus.h"

namespace menvaro {

MENVARO_DEFINE_ENUM(TAlign, alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom)
MENVARO_DEFINE_ENUM(TAnchorKind, akLeft, akTop, akRight, akBottom)
MENVARO_DEFINE_ENUM(TMouseButton, mbLeft, mbRight, mbMiddle)
MENVARO_DEFINE_ENUM(TShiftStateFlag, ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble)
MENVARO_DEFINE_ENUM(TBiDiMode, bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly)
MENVARO_DEFINE_ENUM(TDragMode, dmManual, dmAutomatic)
MENVARO_DEFINE_ENUM(TDragKind, dkDrag, dkDock)
MENVARO_DEFINE_ENUM(TFormBorderStyle, bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin)
MENVARO_DEFINE_ENUM(TAlignment, taLeftJustify, taRightJustify, taCenter)

namespace {

TControl* gMouseControl = nullptr;
TControl* gCaptureControl = nullptr;
TCursor gScreenCursor = crDefault;

// v * m / d rounded half away from zero (font heights are negative).
int MulDiv(int v, int m, int d) {
    if (d == 0) return v;
    long long p = static_cast<long long>(v) * m;
    long long q = d;
    if (q < 0) p = -p, q = -q;
    return static_cast<int>(p >= 0 ? (p + q / 2) / q : -((-p + q / 2) / q));
}

}  // namespace

// --------------------------------------------------------- TSizeConstraints

MENVARO_CLASS_INFO(TSizeConstraints) {
    c.Prop("MaxHeight", &TSizeConstraints::MaxHeight, &TSizeConstraints::SetMaxHeight).Default(0).Clamp(0, kMaxCoord);
    c.Prop("MaxWidth", &TSizeConstraints::MaxWidth, &TSizeConstraints::SetMaxWidth).Default(0).Clamp(0, kMaxCoord);
    c.Prop("MinHeight", &TSizeConstraints::MinHeight, &TSizeConstraints::SetMinHeight).Default(0).Clamp(0, kMaxCoord);
    c.Prop("MinWidth", &TSizeConstraints::MinWidth, &TSizeConstraints::SetMinWidth).Default(0).Clamp(0, kMaxCoord);
}

void TSizeConstraints::SetMinWidth(int v) {
    if (v == minW_) return;
    minW_ = std::max(0, v);
    Changed();
}
void TSizeConstraints::SetMinHeight(int v) {
    if (v == minH_) return;
    minH_ = std::max(0, v);
    Changed();
}
void TSizeConstraints::SetMaxWidth(int v) {
    if (v == maxW_) return;
    maxW_ = std::max(0, v);
    Changed();
}
void TSizeConstraints::SetMaxHeight(int v) {
    if (v == maxH_) return;
    maxH_ = std::max(0, v);
    Changed();
}
void TSizeConstraints::Changed() {
    if (OnChange) OnChange();
}
void TSizeConstraints::Assign(const TPersistent* source) {
    if (auto* s = dynamic_cast<const TSizeConstraints*>(source)) {
        minW_ = s->minW_;
        minH_ = s->minH_;
        maxW_ = s->maxW_;
        maxH_ = s->maxH_;
        Changed();
        return;
    }
    TPersistent::Assign(source);
}

// ------------------------------------------------------------------ globals

TControl* MouseControl() { return gMouseControl; }
TControl* GetCaptureControl() { return gCaptureControl; }

void SetCaptureControl(TControl* control) {
    if (control == gCaptureControl) return;
    gCaptureControl = nullptr;
    if (!control) {
        if (GetCapture()) ReleaseCapture();
        return;
    }
    HWND h = 0;
    if (auto* w = dynamic_cast<TWinControl*>(control))
        h = w->Handle();
    else if (control->Parent())
        h = control->Parent()->Handle();
    if (!h) return;
    SetCapture(h);
    gCaptureControl = control;
}

namespace {

void SetMouseControl(TControl* control) {
    if (control == gMouseControl) return;
    TControl* old = gMouseControl;
    gMouseControl = control;
    if (old) old->Perform(CM_MOUSELEAVE, 0, 0);
    if (control && gMouseControl == control) control->Perform(CM_MOUSEENTER, 0, 0);
}

}  // namespace

TCursor ScreenCursor() { return gScreenCursor; }

void SetScreenCursor(TCursor cursor) {
    gScreenCursor = cursor;
    if (cursor != crDefault)
        ::menvaro::SetCursor(cursor);
    else if (gMouseControl)
        ::menvaro::SetCursor(gMouseControl->Cursor() == crDefault ? crArrow : gMouseControl->Cursor());
}

bool IsAccel(char ch, const std::string& caption) {
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (caption[i + 1] == '&') {
            ++i;
            continue;
        }
        return std::toupper(static_cast<unsigned char>(caption[i + 1])) == std::toupper(static_cast<unsigned char>(ch));
    }
    return false;
}

TWinControl* FindControl(HWND hwnd) { return static_cast<TWinControl*>(GetWindowUserData(hwnd)); }

TCustomForm* GetParentForm(const TControl* control) {
    const TControl* c = control;
    while (c && c->Parent()) c = c->Parent();
    return dynamic_cast<TCustomForm*>(const_cast<TControl*>(c));
}

HWND AllocateHWnd(std::function<void(TMessage&)> proc) {
    TCreateParams p;
    p.MessageOnly = true;
    return CreateWindowEx(p, [proc = std::move(proc)](HWND, UINT msg, WPARAM w, LPARAM l) -> LRESULT {
        TMessage m{msg, w, l, 0};
        try {
            proc(m);
        } catch (...) {
            HandleCurrentException(nullptr);
        }
        return m.Result;
    });
}

void DeallocateHWnd(HWND hwnd) { DestroyWindow(hwnd); }

void BindCanvasToDC(TCanvas& canvas, HDC dc, const TControl* control) {
    canvas.BindSurface(dc->Surface());
    canvas.SetOrigin(dc->Origin());
    if (dc->HasClipRegion()) canvas.SetClipRegion(dc->ClipRegion());
    if (control) {
        canvas.Font().Assign(*control->Font());
        canvas.Brush().SetColor(control->Color());
        canvas.Brush().SetStyle(bsSolid);
    }
}

// ----------------------------------------------------------------- TControl

namespace {
bool IsFontStored(const TControl& c) { return !c.ParentFont(); }
bool IsColorStored(const TControl& c) { return !c.ParentColor(); }
}  // namespace

MENVARO_CLASS_INFO(TControl) {
    c.Prop("Left", &TControl::Left, &TControl::SetLeft).Clamp(kMinCoord, kMaxCoord);
    c.Prop("Top", &TControl::Top, &TControl::SetTop).Clamp(kMinCoord, kMaxCoord);
    c.Prop("Width", &TControl::Width, &TControl::SetWidth).Clamp(0, kMaxCoord);
    c.Prop("Height", &TControl::Height, &TControl::SetHeight).Clamp(0, kMaxCoord);
    c.Prop("Align", &TControl::Align, &TControl::SetAlign).Default(alNone);
    c.Prop("Anchors", &TControl::Anchors, &TControl::SetAnchors).Default(TAnchors{akLeft, akTop});
    c.Prop("AutoSize", &TControl::AutoSize, &TControl::SetAutoSize).Default(false);
    c.Prop("Constraints", &TControl::Constraints);
    c.Prop("Caption", &TControl::Caption, &TControl::SetCaption);
    c.Prop("Color", &TControl::Color, &TControl::SetColor)
        .Idents(ColorIdents())
        .Default(clWindow)
        .Stored(IsColorStored);
    c.Prop("Cursor", &TControl::Cursor, &TControl::SetCursor).Idents(CursorIdents()).Default(crDefault);
    c.Prop("DragCursor", &TControl::DragCursor, &TControl::DragCursor).Idents(CursorIdents()).Default(-12);
    c.Prop("DragKind", &TControl::DragKind, &TControl::DragKind).Default(dkDrag);
    c.Prop("DragMode", &TControl::DragMode, &TControl::DragMode).Default(dmManual);
    c.Prop("Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);
    c.Prop("Font", &TControl::Font).Stored(IsFontStored);
    c.Prop("HelpContext", &TControl::HelpContext, &TControl::SetHelpContext).Default(0);
    c.Prop("Hint", &TControl::Hint, &TControl::SetHint);
    c.Prop("BiDiMode", &TControl::BiDiMode, &TControl::SetBiDiMode).Default(bdLeftToRight);
    c.Prop("ParentBiDiMode", &TControl::ParentBiDiMode, &TControl::SetParentBiDiMode).Default(true);
    c.Prop("ParentColor", &TControl::ParentColor, &TControl::SetParentColor).Default(false);
    c.Prop("ParentFont", &TControl::ParentFont, &TControl::SetParentFont).Default(true);
    c.Prop("ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint).Default(true);
    c.Prop("ShowHint", &TControl::ShowHint, &TControl::SetShowHint).Default(false);
    c.Prop("Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
    c.Event("OnClick", &TControl::OnClick);
    c.Event("OnDblClick", &TControl::OnDblClick);
    c.Event("OnMouseDown", &TControl::OnMouseDown);
    c.Event("OnMouseMove", &TControl::OnMouseMove);
    c.Event("OnMouseUp", &TControl::OnMouseUp);
    c.Event("OnMouseWheel", &TControl::OnMouseWheel);
    c.Event("OnMouseWheelDown", &TControl::OnMouseWheelDown);
    c.Event("OnMouseWheelUp", &TControl::OnMouseWheelUp);
    c.Event("OnResize", &TControl::OnResize);
    c.Prop("PopupMenu", &TControl::PopupMenu, &TControl::SetPopupMenu);
    c.Event("OnContextPopup", &TControl::OnContextPopup);
}

TControl::TControl(TComponent* owner)
    : TComponent(owner), constraints_(Create<TSizeConstraints>()), font_(std::make_unique<TFont>()) {
    WindowProc = [this](TMessage& m) { WndProc(m); };
    font_->OnChange = [this] { FontChanged(); };
    constraints_->OnChange = [this] { SetBounds(left_, top_, width_, height_); };
}

TControl::~TControl() {
    if (gMouseControl == this) gMouseControl = nullptr;
    if (gCaptureControl == this) gCaptureControl = nullptr;
}

void TControl::BeforeDestruction() {
    if (!ComponentState().Contains(csDestroying)) Destroying();
    if (gMouseControl == this) gMouseControl = nullptr;
    if (gCaptureControl == this) SetCaptureControl(nullptr);
    SetParent(nullptr);
    TComponent::BeforeDestruction();
}

TComponent* TControl::GetParentComponent() const { return parent_; }

void TControl::SetParentComponent(TComponent* parent) {
    if (auto* w = dynamic_cast<TWinControl*>(parent)) SetParent(w);
}

void TControl::SetParent(TWinControl* parent) {
    if (parent == parent_) return;
    if (parent == this) throw EInvalidOperation("A control cannot have itself as its parent");
    if (parent_) parent_->RemoveControl(this);
    if (parent) parent->InsertControl(this);
}

void TControl::ConstrainedResize(int& width, int& height) {
    const TSizeConstraints& c = *constraints_;
    if (c.MinWidth() > 0 && width < c.MinWidth()) width = c.MinWidth();
    if (c.MaxWidth() > 0 && width > c.MaxWidth()) width = c.MaxWidth();
    if (c.MinHeight() > 0 && height < c.MinHeight()) height = c.MinHeight();
    if (c.MaxHeight() > 0 && height > c.MaxHeight()) height = c.MaxHeight();
}

void TControl::SetBounds(int left, int top, int width, int height) {
    ConstrainedResize(width, height);
    if (left == left_ && top == top_ && width == width_ && height == height_) return;
    bool sized = width != width_ || height != height_;
    // The old place is erased even under an opaque control: the control may
    // no longer cover all of it.
    InvalidateControl(true);
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    InvalidateControl(!style_.Contains(csOpaque));
    if (!anchoring_) UpdateAnchorRules();
    RequestAlign();
    if (sized) Resize();
}

TRect TControl::ClientRect() const { return Bounds(0, 0, width_, height_); }

void TControl::SetClientWidth(int v) { SetClientSize(v, ClientHeight()); }
void TControl::SetClientHeight(int v) { SetClientSize(ClientWidth(), v); }

void TControl::SetClientSize(int width, int height) {
    TRect c = ClientRect();
    SetBounds(left_, top_, width + (width_ - c.Width()), height + (height_ - c.Height()));
}

TPoint TControl::ClientOrigin() const {
    if (!parent_) return {left_, top_};
    TPoint o = parent_->ClientOrigin();
    return {o.X + left_, o.Y + top_};
}

TPoint TControl::ClientToScreen(TPoint p) const {
    TPoint o = ClientOrigin();
    return {p.X + o.X, p.Y + o.Y};
}

TPoint TControl::ScreenToClient(TPoint p) const {
    TPoint o = ClientOrigin();
    return {p.X - o.X, p.Y - o.Y};
}

void TControl::SetAlign(TAlign a) {
    if (a == align_) return;
    TAlign old = align_;
    align_ = a;
    if (old == alNone) UpdateAnchorRules();
    RequestAlign();
}

void TControl::SetAnchors(TAnchors a) {
    if (!Change(anchors_, a)) return;
    UpdateAnchorRules();
}

void TControl::UpdateAnchorRules() {
    anchorBounds_ = BoundsRect();
    if (parent_) anchorParentSize_ = {parent_->ClientWidth(), parent_->ClientHeight()};
}

void TControl::SetAutoSize(bool v) {
    if (v == autoSize_) return;
    autoSize_ = v;
    if (v) AdjustSize();
}

bool TControl::CanAutoSize(int&, int&) { return false; }

void TControl::AdjustSize() {
    if (!autoSize_ || ComponentState().Contains(csLoading)) return;
    int w = width_, h = height_;
    if (CanAutoSize(w, h)) SetBounds(left_, top_, w, h);
}

void TControl::RequestAlign() {
    if (parent_ && (align_ != alNone || parent_->AutoSize())) parent_->Realign();
}

void TControl::Resize() {
    if (OnResize) OnResize(this);
}

bool TControl::Showing() const { return visible_ && parent_ && parent_->Showing(); }

void TControl::SetVisible(bool v) {
    if (v == visible_) return;
    VisibleChanging();
    visible_ = v;
    Perform(CM_VISIBLECHANGED, v ? 1 : 0, 0);
    RequestAlign();
}

void TControl::SetEnabled(bool v) {
    if (!Change(enabled_, v)) return;
    Perform(CM_ENABLEDCHANGED, 0, 0);
}

template <class T>
void TControl::SetOwnValue(T& field, bool& parentFlag, T value, UINT notice) {
    parentFlag = false;
    if (!Change(field, value)) return;
    Perform(notice, 0, 0);
}

void TControl::SetParentFlag(bool& flag, bool value, UINT parentNotice) {
    if (!Change(flag, value)) return;
    if (value && parent_) Perform(parentNotice, 0, 0);
}

void TControl::SetColor(TColor c) { SetOwnValue(color_, parentColor_, c, CM_COLORCHANGED); }

void TControl::SetParentColor(bool v) { SetParentFlag(parentColor_, v, CM_PARENTCOLORCHANGED); }

void TControl::SetFont(const TFont* f) {
    if (f) font_->Assign(*f);
}

void TControl::FontChanged() {
    if (!applyingParentFont_) {
        parentFont_ = false;
        MarkRead(sfFont);
    }
    Perform(CM_FONTCHANGED, 0, 0);
}

void TControl::SetParentFont(bool v) { SetParentFlag(parentFont_, v, CM_PARENTFONTCHANGED); }

void TControl::SetText(const std::string& s) {
    if (!Change(text_, s)) return;
    Perform(CM_TEXTCHANGED, 0, 0);
}

void TControl::SetShowHint(bool v) { SetOwnValue(showHint_, parentShowHint_, v, CM_SHOWHINTCHANGED); }

void TControl::SetParentShowHint(bool v) { SetParentFlag(parentShowHint_, v, CM_PARENTSHOWHINTCHANGED); }

void TControl::SetCursor(TCursor c) {
    if (!Change(cursor_, c)) return;
    Perform(CM_CURSORCHANGED, 0, 0);
}

void TControl::SetBiDiMode(TBiDiMode m) { SetOwnValue(bidiMode_, parentBiDiMode_, m, CM_BIDIMODECHANGED); }

void TControl::SetParentBiDiMode(bool v) { SetParentFlag(parentBiDiMode_, v, CM_PARENTBIDIMODECHANGED); }

void TControl::InvalidateControl(bool erase) {
    if (!visible_ || !parent_ || !parent_->HandleAllocated()) return;
    TRect r = BoundsRect();
    InvalidateRect(parent_->WindowHandle(), &r, erase);
}

void TControl::Invalidate() { InvalidateControl(!style_.Contains(csOpaque)); }

void TControl::Update() {
    if (parent_ && parent_->HandleAllocated()) UpdateWindow(parent_->WindowHandle());
}

void TControl::Repaint() {
    Invalidate();
    Update();
}

void TControl::BringToFront() {
    if (!parent_) return;
    auto& list = parent_->controls_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    list.push_back(this);
    if (auto* w = dynamic_cast<TWinControl*>(this); w && w->HandleAllocated())
        SetWindowPos(w->WindowHandle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    Invalidate();
}

void TControl::SendToBack() {
    if (!parent_) return;
    auto& list = parent_->controls_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    list.insert(list.begin(), this);
    if (auto* w = dynamic_cast<TWinControl*>(this); w && w->HandleAllocated())
        SetWindowPos(w->WindowHandle(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (parent_->HandleAllocated()) {
        TRect r = BoundsRect();
        InvalidateRect(parent_->WindowHandle(), &r, true);
    }
}

LRESULT TControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam) {
    TMessage m{msg, wParam, lParam, 0};
    if (WindowProc)
        WindowProc(m);
    else
        WndProc(m);
    return m.Result;
}

void TControl::WndProc(TMessage& message) { Dispatch(message); }

void TControl::HandleMouseButton(TMessage& m, TMouseButton button, bool down, bool dbl) {
    TShiftState shift = KeysToShiftState(m.WParam);
    int x = GetXLParam(m.LParam), y = GetYLParam(m.LParam);
    if (down) {
        if (button == mbLeft) {
            SendCancelMode(this);
            if (style_.Contains(csCaptureMouse)) SetMouseCapture(true);
            if (style_.Contains(csClickEvents)) state_ += csClicked;
            state_ += csLButtonDown;
        }
        if (dbl) {
            shift += ssDouble;
            if (button == mbLeft && style_.Contains(csDoubleClicks)) DblClick();
        }
        MouseDown(button, shift, x, y);
        return;
    }
    if (button == mbLeft) {
        state_ -= csLButtonDown;
        if (style_.Contains(csCaptureMouse)) SetMouseCapture(false);
        if (state_.Contains(csClicked)) {
            state_ -= csClicked;
            if (ClientRect().Contains({x, y})) Click();
        }
    }
    MouseUp(button, shift, x, y);
    // A right click asks for the context menu, as the system does after
    // the button's release.
    if (button == mbRight) {
        TPoint screen = ClientToScreen({x, y});
        Perform(WM_CONTEXTMENU, 0, MakeLParam(screen.X, screen.Y));
    }
}

void TControl::Dispatch(TMessage& m) {
    switch (m.Msg) {
        case WM_LBUTTONDOWN: HandleMouseButton(m, mbLeft, true, false); return;
        case WM_LBUTTONDBLCLK: HandleMouseButton(m, mbLeft, true, true); return;
        case WM_LBUTTONUP: HandleMouseButton(m, mbLeft, false, false); return;
        case WM_RBUTTONDOWN: HandleMouseButton(m, mbRight, true, false); return;
        case WM_RBUTTONDBLCLK: HandleMouseButton(m, mbRight, true, true); return;
        case WM_RBUTTONUP: HandleMouseButton(m, mbRight, false, false); return;
        case WM_MBUTTONDOWN: HandleMouseButton(m, mbMiddle, true, false); return;
        case WM_MBUTTONDBLCLK: HandleMouseButton(m, mbMiddle, true, true); return;
        case WM_MBUTTONUP: HandleMouseButton(m, mbMiddle, false, false); return;
        case WM_MOUSEMOVE: MouseMove(KeysToShiftState(m.WParam), GetXLParam(m.LParam), GetYLParam(m.LParam)); return;
        case CM_MOUSEWHEEL: {
            TShiftState shift = KeysToShiftState(LoWord(m.WParam));
            int delta = static_cast<std::int16_t>(HiWord(m.WParam));
            TPoint pos{GetXLParam(m.LParam), GetYLParam(m.LParam)};
            if (DoMouseWheel(shift, delta, pos)) {
                m.Result = 1;
            } else if (parent_) {
                m.Result = parent_->Perform(CM_MOUSEWHEEL, m.WParam, m.LParam);
            }
            return;
        }
        case CM_HITTEST: m.Result = HTCLIENT; return;
        case WM_CONTEXTMENU: ContextMenu(m); return;
        case CM_ENABLEDCHANGED:
        case CM_COLORCHANGED:
        case CM_FONTCHANGED:
        case CM_TEXTCHANGED: Invalidate(); return;
        case CM_VISIBLECHANGED:
            if (parent_ && parent_->HandleAllocated()) {
                TRect r = BoundsRect();
                InvalidateRect(parent_->WindowHandle(), &r, true);
            }
            return;
        case CM_PARENTCOLORCHANGED:
            if (parentColor_) {
                TColor c = m.WParam ? static_cast<TColor>(m.LParam) : (parent_ ? parent_->Color() : color_);
                if (c != color_) {
                    color_ = c;
                    Perform(CM_COLORCHANGED, 0, 0);
                }
            }
            return;
        case CM_PARENTFONTCHANGED:
            if (parentFont_ && parent_) {
                applyingParentFont_ = true;
                ScopeGuard applied([this] { applyingParentFont_ = false; });
                font_->Assign(*parent_->Font());
            }
            return;
        case CM_PARENTSHOWHINTCHANGED:
            if (parentShowHint_ && parent_) showHint_ = parent_->ShowHint();
            return;
        case CM_PARENTBIDIMODECHANGED:
            if (parentBiDiMode_ && parent_) bidiMode_ = parent_->BiDiMode();
            return;
        case CM_CURSORCHANGED:
            if (gMouseControl == this && gScreenCursor == crDefault)
                ::menvaro::SetCursor(cursor_ == crDefault ? crArrow : cursor_);
            return;
        default: TComponent::Dispatch(m);
    }
}

void TControl::Click() {
    if (OnClick) OnClick(this);
}

void TControl::DblClick() {
    if (OnDblClick) OnDblClick(this);
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y) {
    if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

bool TControl::DoMouseWheel(TShiftState shift, int delta, TPoint mousePos) {
    bool handled = false;
    if (OnMouseWheel) OnMouseWheel(this, shift, delta, mousePos, handled);
    if (!handled) handled = delta < 0 ? DoMouseWheelDown(shift, mousePos) : DoMouseWheelUp(shift, mousePos);
    return handled;
}

bool TControl::DoMouseWheelDown(TShiftState shift, TPoint mousePos) {
    bool handled = false;
    if (OnMouseWheelDown) OnMouseWheelDown(this, shift, mousePos, handled);
    return handled;
}

bool TControl::DoMouseWheelUp(TShiftState shift, TPoint mousePos) {
    bool handled = false;
    if (OnMouseWheelUp) OnMouseWheelUp(this, shift, mousePos, handled);
    return handled;
}

bool TControl::MouseCapture() const { return gCaptureControl == this; }

void TControl::SetMouseCapture(bool v) {
    if (v)
        SetCaptureControl(this);
    else if (gCaptureControl == this)
        SetCaptureControl(nullptr);
}

void TControl::SendCancelMode(TControl* sender) {
    for (TControl* c = this; c; c = c->parent_)
        if (auto* form = dynamic_cast<TCustomForm*>(c)) form->SendCancelMode(sender);
}

void TControl::ScaleBy(int multiplier, int divider) {
    if (multiplier == divider) return;
    ChangeScale(multiplier, divider);
}

void TControl::ChangeScale(int m, int d) {
    if (m != d) {
        TScalingFlags flags = ComponentState().Contains(csLoading)
                                  ? scalingFlags_
                                  : TScalingFlags{sfLeft, sfTop, sfWidth, sfHeight, sfFont};
        int x = flags.Contains(sfLeft) ? MulDiv(left_, m, d) : left_;
        int y = flags.Contains(sfTop) ? MulDiv(top_, m, d) : top_;
        // From the far edge, so that neighbours keep meeting.
        int w = width_, h = height_;
        if (flags.Contains(sfWidth) && !style_.Contains(csFixedWidth))
            w = flags.Contains(sfLeft) ? MulDiv(left_ + width_, m, d) - x : MulDiv(width_, m, d);
        if (flags.Contains(sfHeight) && !style_.Contains(csFixedHeight))
            h = flags.Contains(sfTop) ? MulDiv(top_ + height_, m, d) - y : MulDiv(height_, m, d);
        SetBounds(x, y, w, h);
        if (!parentFont_ && flags.Contains(sfFont)) font_->SetHeight(MulDiv(font_->Height(), m, d));
    }
    scalingFlags_ = {};
}

void TControl::SetPopupMenu(TPopupMenu* menu) {
    if (menu == popupMenu_) return;
    if (popupMenu_) popupMenu_->RemoveFreeNotification(this);
    popupMenu_ = menu;
    if (menu) menu->FreeNotification(this);
}

void TControl::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == popupMenu_) popupMenu_ = nullptr;
}

bool TControl::DoContextPopup(TPoint mousePos) {
    bool handled = false;
    if (OnContextPopup) OnContextPopup(this, mousePos, handled);
    return handled;
}

void TControl::ContextMenu(TMessage& m) {
    if (m.Result) return;
    TPoint screen{GetXLParam(m.LParam), GetYLParam(m.LParam)};
    bool keyboard = screen.X == -1 && screen.Y == -1;
    TPoint client = keyboard ? screen : ScreenToClient(screen);
    if (!keyboard && !ClientRect().Contains(client)) {
        if (parent_) m.Result = parent_->Perform(WM_CONTEXTMENU, m.WParam, m.LParam);
        return;
    }
    if (DoContextPopup(client)) {
        m.Result = 1;
        return;
    }
    if (popupMenu_ && popupMenu_->AutoPopup()) {
        SendCancelMode(nullptr);
        popupMenu_->SetPopupComponent(this);
        if (keyboard) screen = ClientToScreen({0, 0});
        popupMenu_->Popup(screen.X, screen.Y);
        m.Result = 1;
        return;
    }
    if (parent_) m.Result = parent_->Perform(WM_CONTEXTMENU, m.WParam, m.LParam);
}

void TControl::Loaded() {
    TComponent::Loaded();
    if (parent_) {
        if (parentColor_) Perform(CM_PARENTCOLORCHANGED, 0, 0);
        if (parentFont_) Perform(CM_PARENTFONTCHANGED, 0, 0);
        if (parentShowHint_) Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
    }
    UpdateAnchorRules();
}

// -------------------------------------------------------------- TWinControl

MENVARO_CLASS_INFO(TWinControl) {
    c.Prop("Ctl3D", &TWinControl::Ctl3D, &TWinControl::SetCtl3D).Default(true);
    c.Prop("ParentCtl3D", &TWinControl::ParentCtl3D, &TWinControl::SetParentCtl3D).Default(true);
    c.Prop("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder).Default(-1);
    c.Prop("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop).Default(false);
    c.Event("OnEnter", &TWinControl::OnEnter);
    c.Event("OnExit", &TWinControl::OnExit);
    c.Event("OnKeyDown", &TWinControl::OnKeyDown);
    c.Event("OnKeyPress", &TWinControl::OnKeyPress);
    c.Event("OnKeyUp", &TWinControl::OnKeyUp);
}

TWinControl::TWinControl(TComponent* owner) : TControl(owner), brush_(std::make_unique<TBrush>()) {
    brush_->SetColor(Color());
}

TWinControl::~TWinControl() {
    for (TControl* c : controls_) c->parent_ = nullptr;
    controls_.clear();
    tabList_.clear();
}

void TWinControl::BeforeDestruction() {
    if (!ComponentState().Contains(csDestroying)) Destroying();
    // Remove the focus and the window while every override is still there.
    if (TCustomForm* form = GetParentForm(this); form && form != this) form->DefocusControl(this, true);
    DestroyHandle();
    TControl::BeforeDestruction();
}

HWND TWinControl::Handle() {
    HandleNeeded();
    return handle_;
}

void TWinControl::HandleNeeded() {
    if (handle_) return;
    if (parent_) parent_->HandleNeeded();
    CreateHandle();
}

void TWinControl::CreateParams(TCreateParams& p) {
    p.Caption = Text();
    p.Style = (parent_ || parentWindow_) ? WS_CHILD | WS_CLIPSIBLINGS : WS_POPUP;
    if (tabStop_) p.Style |= WS_TABSTOP;
    if (Visible() && (parent_ || parentWindow_)) p.Style |= WS_VISIBLE;
    if (!Enabled()) p.Style |= WS_DISABLED;
    p.Bounds = BoundsRect();
    p.Parent = parent_ ? parent_->handle_ : parentWindow_;
    p.UserData = this;
    p.ClassName = ClassName();
    p.ClassStyle = CS_DBLCLKS;
}

LRESULT TWinControl::MainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!handle_ && msg != WM_NCDESTROY) handle_ = hwnd;
    TMessage m{msg, wParam, lParam, 0};
    try {
        WindowProc(m);
    } catch (...) {
        if (msg == WM_NCDESTROY) handle_ = 0;
        HandleCurrentException(this);
    }
    if (msg == WM_NCDESTROY && handle_ == hwnd) handle_ = 0;
    return m.Result;
}

void TWinControl::CreateWnd() {
    TCreateParams p;
    CreateParams(p);
    if (parent_ && !p.Parent) throw EInvalidOperation("Control '" + Name() + "' has no parent window");
    HWND h = CreateWindowEx(p, [this](HWND hw, UINT m, WPARAM w, LPARAM l) { return MainWndProc(hw, m, w, l); });
    handle_ = h;
}

void TWinControl::CreateHandle() {
    if (handle_) return;
    CreateWnd();
    // The window shows what the control has now.
    if (!Text().empty()) SetWindowText(handle_, Text());
    for (TControl* c : controls_)
        if (auto* w = dynamic_cast<TWinControl*>(c); w && w->Visible()) w->CreateHandle();
}

void TWinControl::DestroyWnd() {
    if (handle_) DestroyWindow(handle_);
    handle_ = 0;
}

void TWinControl::DestroyHandle() {
    if (!handle_) return;
    state_ += csDestroyingHandle;
    for (TControl* c : controls_)
        if (auto* w = dynamic_cast<TWinControl*>(c)) w->DestroyHandle();
    DestroyWnd();
    state_ -= csDestroyingHandle;
}

void TWinControl::RecreateWnd() {
    if (!handle_) return;
    bool focused = Focused();
    DestroyHandle();
    UpdateShowing();
    if (focused && CanFocus()) SetFocus();
}

void TWinControl::SetParentWindow(HWND hwnd) {
    if (parent_ || hwnd == parentWindow_) return;
    parentWindow_ = hwnd;
    if (handle_) {
        ::menvaro::SetParent(handle_, hwnd);
    }
}

void TWinControl::UpdateShowing() {
    bool should = Visible() && (!parent_ || parent_->HandleAllocated());
    if (should && !handle_ && (parent_ || parentWindow_)) CreateHandle();
    if (handle_) {
        bool vis = IsWindowVisible(handle_) || (GetWindowLong(handle_, GWL_STYLE) & WS_VISIBLE);
        if (Visible() != vis) ShowWindow(handle_, Visible() ? SW_SHOWNA : SW_HIDE);
        for (TControl* c : controls_)
            if (auto* w = dynamic_cast<TWinControl*>(c)) w->UpdateShowing();
    }
}

bool TWinControl::Showing() const { return handle_ && IsWindowVisible(handle_); }

void TWinControl::InsertControl(TControl* c) {
    if (c->parent_ == this) return;
    if (auto* cw = dynamic_cast<TWinControl*>(c); cw && cw->ContainsControl(this))
        throw EInvalidOperation("A control cannot contain its own parent");
    controls_.push_back(c);
    c->parent_ = this;
    auto* w = dynamic_cast<TWinControl*>(c);
    if (w) {
        tabList_.push_back(w);
        if (handle_ && w->Visible()) w->CreateHandle();
    }
    if (c->parentColor_) c->Perform(CM_PARENTCOLORCHANGED, 0, 0);
    if (c->parentFont_) c->Perform(CM_PARENTFONTCHANGED, 0, 0);
    if (c->parentShowHint_) c->Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
    if (c->parentBiDiMode_) c->Perform(CM_PARENTBIDIMODECHANGED, 0, 0);
    if (w && w->parentCtl3D_) w->Perform(CM_PARENTCTL3DCHANGED, 0, 0);
    c->UpdateAnchorRules();
    if (c->Align() != alNone || AutoSize()) Realign();
    c->Invalidate();
    Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(c), 1);
}

void TWinControl::RemoveControl(TControl* c) {
    if (c->parent_ != this) return;
    Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(c), 0);
    if (auto* w = dynamic_cast<TWinControl*>(c)) {
        if (TCustomForm* form = GetParentForm(this)) form->DefocusControl(w, true);
        w->DestroyHandle();
        tabList_.erase(std::remove(tabList_.begin(), tabList_.end(), w), tabList_.end());
    } else {
        c->InvalidateControl(true);
    }
    if (gMouseControl == c) gMouseControl = nullptr;
    if (gCaptureControl == c) SetCaptureControl(nullptr);
    controls_.erase(std::remove(controls_.begin(), controls_.end(), c), controls_.end());
    c->parent_ = nullptr;
    if (c->Align() != alNone || AutoSize()) Realign();
}

bool TWinControl::ContainsControl(const TControl* control) const {
    for (const TControl* c = control; c; c = c->Parent())
        if (c == this) return true;
    return false;
}

TControl* TWinControl::ControlAtPos(TPoint p, bool allowDisabled, bool allowWinControls) const {
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        TControl* c = *it;
        if (!c->Visible() || (!c->Enabled() && !allowDisabled)) continue;
        bool windowed = dynamic_cast<TWinControl*>(c) != nullptr;
        if (windowed && !allowWinControls) continue;
        if (!c->BoundsRect().Contains(p)) continue;
        if (c->Perform(CM_HITTEST, 0, MakeLParam(p.X - c->Left(), p.Y - c->Top())) == 0) continue;
        return c;
    }
    return nullptr;
}

void TWinControl::Broadcast(TMessage& message) {
    std::vector<TControl*> snapshot = controls_;
    for (TControl* c : snapshot) {
        if (std::find(controls_.begin(), controls_.end(), c) == controls_.end()) continue;
        c->WindowProc(message);
        if (message.Result != 0) return;
    }
}

void TWinControl::NotifyControls(UINT msg) {
    TMessage m{msg, 0, 0, 0};
    Broadcast(m);
}

void TWinControl::PaintControls(HDC dc, TControl* first) {
    auto it = controls_.begin();
    if (first) it = std::find(controls_.begin(), controls_.end(), first);
    for (; it != controls_.end(); ++it) {
        TControl* c = *it;
        if (dynamic_cast<TWinControl*>(c) || !c->Visible()) continue;
        TRect r = c->BoundsRect();
        if (r.IsEmpty() || !dc->RectVisible(r)) continue;
        TCanvasStateSaver saved(*dc);
        dc->MoveOrigin(r.Left, r.Top);
        dc->IntersectClipRect(Bounds(0, 0, r.Width(), r.Height()));
        c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    }
}

bool TWinControl::Focused() const { return handle_ && GetFocus() == handle_; }

bool TWinControl::CanFocus() const {
    TCustomForm* form = GetParentForm(this);
    if (!form) {
        // A control of a captioned top-level window that is not a form (a
        // dialog of its own) takes the focus as well; one of a drop-down not.
        const TControl* top = this;
        while (top->Parent()) top = top->Parent();
        auto* root = dynamic_cast<const TWinControl*>(top);
        if (!root || !root->HandleAllocated() ||
            (GetWindowLong(root->WindowHandle(), GWL_STYLE) & WS_CAPTION) != WS_CAPTION)
            return false;
    }
    // The form itself may still be hidden: its active control is chosen before it shows.
    for (const TControl* c = this; c && c != form; c = c->Parent())
        if (!c->Visible() || !c->Enabled()) return false;
    return true;
}

void TWinControl::SetFocus() {
    if (TCustomForm* form = GetParentForm(this)) {
        form->FocusControl(this);
        return;
    }
    if (HandleAllocated()) ::menvaro::SetFocus(handle_);
}

int TWinControl::TabOrder() const {
    if (!parent_) return -1;
    auto& list = parent_->tabList_;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int order) {
    if (ComponentState().Contains(csLoading)) {
        requestedTabOrder_ = order;
        return;
    }
    if (!parent_) return;
    auto& list = parent_->tabList_;
    int current = TabOrder();
    if (current < 0) return;
    order = std::clamp(order, 0, static_cast<int>(list.size()) - 1);
    if (order == current) return;
    list.erase(list.begin() + current);
    list.insert(list.begin() + order, this);
}

void TWinControl::FixupTabList() {
    std::size_t n = tabList_.size();
    std::vector<TWinControl*> placed(n, nullptr);
    std::vector<TWinControl*> rest;
    for (TWinControl* w : tabList_) {
        int r = w->requestedTabOrder_;
        if (r >= 0 && static_cast<std::size_t>(r) < n && !placed[static_cast<std::size_t>(r)])
            placed[static_cast<std::size_t>(r)] = w;
        else
            rest.push_back(w);
        w->requestedTabOrder_ = -1;
    }
    std::size_t next = 0;
    for (auto& slot : placed)
        if (!slot) slot = rest[next++];
    tabList_ = placed;
}

void TWinControl::SetTabStop(bool v) {
    if (v == tabStop_) return;
    tabStop_ = v;
    Perform(CM_TABSTOPCHANGED, 0, 0);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) {
    for (TWinControl* w : tabList_) {
        list.push_back(w);
        w->GetTabOrderList(list);
    }
}

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool goForward, bool checkTabStop, bool checkParent) {
    std::vector<TWinControl*> list;
    GetTabOrderList(list);
    if (list.empty()) return nullptr;
    int n = static_cast<int>(list.size());
    int start = -1;
    if (current) {
        auto it = std::find(list.begin(), list.end(), current);
        if (it != list.end()) start = static_cast<int>(it - list.begin());
    }
    if (start < 0) start = goForward ? n - 1 : 0;
    int i = start;
    for (int step = 0; step < n; ++step) {
        i = goForward ? (i + 1) % n : (i - 1 + n) % n;
        TWinControl* c = list[static_cast<std::size_t>(i)];
        if (c == current) continue;
        if ((!checkTabStop || c->TabStop()) && (!checkParent || c->Parent() == this) && c->CanFocus()) return c;
    }
    return nullptr;
}

void TWinControl::SelectNext(TWinControl* current, bool goForward, bool checkTabStop) {
    if (TWinControl* c = FindNextControl(current, goForward, checkTabStop, !checkTabStop)) c->SetFocus();
}

void TWinControl::SetCtl3D(bool v) { SetOwnValue(ctl3D_, parentCtl3D_, v, CM_CTL3DCHANGED); }

void TWinControl::SetParentCtl3D(bool v) { SetParentFlag(parentCtl3D_, v, CM_PARENTCTL3DCHANGED); }

void TWinControl::DisableAlign() { ++alignDisabled_; }

void TWinControl::EnableAlign() {
    if (alignDisabled_ > 0 && --alignDisabled_ == 0 && realignPending_) Realign();
}

namespace {
// Passes of alignment and auto-sizing one Realign makes at the most: a
// layout settles in two; sizes that keep feeding each other stop here.
constexpr int kLayoutPasses = 4;
}  // namespace

void TWinControl::Realign() {
    if (alignDisabled_ > 0 || aligning_ > 0 || ComponentState().Contains(csLoading) ||
        ComponentState().Contains(csDestroying)) {
        realignPending_ = true;
        return;
    }
    ++aligning_;
    ScopeGuard aligned([this] { --aligning_; });
    // What a pass sets off here (this control's new size, a child's) asks
    // for another pass instead of a Realign inside this one.
    for (int pass = 0; pass < kLayoutPasses; ++pass) {
        realignPending_ = false;
        TRect r = ClientRect();
        AdjustClientRect(r);
        AlignControls(nullptr, r);
        ApplyAnchors();
        const TRect client = ClientRect();
        AdjustSize();
        // A size this control takes to fit its children does not move or
        // stretch them by their anchors (they would grow it again): they
        // keep their places in it.
        if (ClientRect() != client)
            for (TControl* c : controls_)
                if (c->Align() == alNone) c->UpdateAnchorRules();
        if (!realignPending_) break;
    }
    realignPending_ = false;
}

void TWinControl::AlignControls(TControl*, TRect& rect) {
    static const TAlign order[] = {alTop, alBottom, alLeft, alRight, alClient};
    for (TAlign a : order) {
        std::vector<TControl*> list;
        for (TControl* c : controls_)
            if (c->Align() == a && c->Visible()) list.push_back(c);
        // The one nearest the edge it sticks to comes first; ties keep the z-order.
        std::stable_sort(list.begin(), list.end(), [a](TControl* x, TControl* y) {
            switch (a) {
                case alTop: return x->Top() < y->Top();
                case alBottom: return x->Top() + x->Height() > y->Top() + y->Height();
                case alLeft: return x->Left() < y->Left();
                case alRight: return x->Left() + x->Width() > y->Left() + y->Width();
                default: return false;
            }
        });
        for (TControl* c : list) {
            int w = std::max(0, rect.Width()), h = std::max(0, rect.Height());
            c->anchoring_ = true;
            ScopeGuard placed([c] { c->anchoring_ = false; });
            switch (a) {
                case alTop:
                    c->SetBounds(rect.Left, rect.Top, w, c->Height());
                    rect.Top += c->Height();
                    break;
                case alBottom:
                    c->SetBounds(rect.Left, rect.Bottom - c->Height(), w, c->Height());
                    rect.Bottom -= c->Height();
                    break;
                case alLeft:
                    c->SetBounds(rect.Left, rect.Top, c->Width(), h);
                    rect.Left += c->Width();
                    break;
                case alRight:
                    c->SetBounds(rect.Right - c->Width(), rect.Top, c->Width(), h);
                    rect.Right -= c->Width();
                    break;
                default: c->SetBounds(rect.Left, rect.Top, w, h); break;
            }
        }
    }
}

void TWinControl::ApplyAnchors() {
    int pw = ClientWidth(), ph = ClientHeight();
    for (TControl* c : controls_) {
        if (c->Align() != alNone) continue;
        TAnchors a = c->Anchors();
        if (a == TAnchors{akLeft, akTop}) continue;
        TRect o = c->anchorBounds_;
        int dw = pw - c->anchorParentSize_.cx, dh = ph - c->anchorParentSize_.cy;
        int l = o.Left, t = o.Top, w = o.Width(), h = o.Height();
        if (a.Contains(akRight)) {
            if (a.Contains(akLeft))
                w += dw;
            else
                l += dw;
        } else if (!a.Contains(akLeft)) {
            l += dw / 2;
        }
        if (a.Contains(akBottom)) {
            if (a.Contains(akTop))
                h += dh;
            else
                t += dh;
        } else if (!a.Contains(akTop)) {
            t += dh / 2;
        }
        c->anchoring_ = true;
        ScopeGuard placed([c] { c->anchoring_ = false; });
        c->SetBounds(l, t, std::max(0, w), std::max(0, h));
    }
}

bool TWinControl::CanAutoSize(int& width, int& height) {
    int right = 0, bottom = 0;
    bool any = false;
    for (TControl* c : controls_) {
        if (!c->Visible()) continue;
        any = true;
        right = std::max(right, c->Left() + c->Width());
        bottom = std::max(bottom, c->Top() + c->Height());
    }
    if (!any) return false;
    TRect cr = ClientRect();
    width = right + (Width() - cr.Width());
    height = bottom + (Height() - cr.Height());
    return true;
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
    ConstrainedResize(width, height);
    if (left == Left() && top == Top() && width == Width() && height == Height()) return;
    bool sized = width != Width() || height != Height();
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    if (handle_) {
        settingBounds_ = true;
        ScopeGuard set([this] { settingBounds_ = false; });
        SetWindowPos(handle_, 0, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (!anchoring_) UpdateAnchorRules();
    RequestAlign();
    if (sized) {
        Realign();
        Resize();
    }
}

void TWinControl::UpdateBoundsFromWindow() {
    if (!handle_ || settingBounds_) return;
    TRect r;
    GetWindowRect(handle_, r);
    if (HWND p = GetParent(handle_)) r = MapWindowRect(0, p, r);
    if (r == BoundsRect()) return;
    bool sized = r.Width() != Width() || r.Height() != Height();
    left_ = r.Left;
    top_ = r.Top;
    width_ = r.Width();
    height_ = r.Height();
    if (sized) {
        Realign();
        Resize();
    }
}

TRect TWinControl::ClientRect() const {
    if (handle_) {
        TRect r;
        GetClientRect(handle_, r);
        return r;
    }
    TCreateParams p;
    const_cast<TWinControl*>(this)->CreateParams(p);
    TRect in = WindowFrameInsets(p.Style, p.ExStyle, p.Parent == 0);
    return Bounds(0, 0, std::max(0, Width() - in.Left - in.Right), std::max(0, Height() - in.Top - in.Bottom));
}

TPoint TWinControl::ClientOrigin() const {
    if (handle_) return ::menvaro::ClientToScreen(handle_, {0, 0});
    TCreateParams p;
    const_cast<TWinControl*>(this)->CreateParams(p);
    TRect in = WindowFrameInsets(p.Style, p.ExStyle, p.Parent == 0);
    TPoint o = parent_ ? parent_->ClientOrigin() : TPoint{};
    return {o.X + Left() + in.Left, o.Y + Top() + in.Top};
}

void TWinControl::SetVisible(bool v) {
    if (v == Visible()) return;
    if (!v) {
        if (TCustomForm* form = GetParentForm(this); form && form != this) form->DefocusControl(this, false);
    }
    TControl::SetVisible(v);
}

void TWinControl::SetEnabled(bool v) { TControl::SetEnabled(v); }

void TWinControl::SetText(const std::string& s) {
    if (s == Text()) return;
    SetTextSilently(s);
    if (handle_) SetWindowText(handle_, s);
    Perform(CM_TEXTCHANGED, 0, 0);
}

void TWinControl::Invalidate() {
    if (handle_) InvalidateRect(handle_, nullptr, !ControlStyle().Contains(csOpaque));
}

void TWinControl::Repaint() {
    Invalidate();
    if (handle_) UpdateWindow(handle_);
}

bool TWinControl::ForwardMouseToControl(TMessage& m) {
    TPoint p{GetXLParam(m.LParam), GetYLParam(m.LParam)};
    TControl* target = nullptr;
    if (gCaptureControl) {
        if (gCaptureControl->Parent() == this && !dynamic_cast<TWinControl*>(gCaptureControl)) target = gCaptureControl;
    } else {
        target = ControlAtPos(p, false);
    }
    if (!target) return false;
    TMessage copy{m.Msg, m.WParam, MakeLParam(p.X - target->Left(), p.Y - target->Top()), 0};
    target->WindowProc(copy);
    m.Result = copy.Result;
    return true;
}

void TWinControl::TrackMouse(TPoint p) {
    TControl* c = ControlAtPos(p, true);
    if (!c) c = this;
    if (gCaptureControl && c != gCaptureControl) c = nullptr;
    SetMouseControl(c);
}

void TWinControl::WndProc(TMessage& m) {
    if (m.Msg >= WM_MOUSEFIRST && m.Msg <= WM_MOUSELAST && m.Msg != WM_MOUSEWHEEL) {
        if (m.Msg == WM_MOUSEMOVE) TrackMouse({GetXLParam(m.LParam), GetYLParam(m.LParam)});
        if (ForwardMouseToControl(m)) return;
    }
    TControl::WndProc(m);
}

bool TWinControl::DoKeyDown(TMessage& m) {
    TCustomForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview() && form->DoKeyDown(m)) return true;
    auto key = static_cast<std::uint16_t>(m.WParam);
    KeyDown(key, KeyDataToShiftState(m.LParam));
    if (key == 0) return true;
    m.WParam = key;
    return false;
}

bool TWinControl::DoKeyUp(TMessage& m) {
    TCustomForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview() && form->DoKeyUp(m)) return true;
    auto key = static_cast<std::uint16_t>(m.WParam);
    KeyUp(key, KeyDataToShiftState(m.LParam));
    if (key == 0) return true;
    m.WParam = key;
    return false;
}

bool TWinControl::DoKeyPress(TMessage& m) {
    TCustomForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview() && form->DoKeyPress(m)) return true;
    char ch = static_cast<char>(m.WParam & 0xFF);
    KeyPress(ch);
    if (ch == 0) return true;
    m.WParam = static_cast<unsigned char>(ch);
    return false;
}

void TWinControl::KeyDown(std::uint16_t& key, TShiftState shift) {
    if (OnKeyDown) OnKeyDown(this, key, shift);
}

void TWinControl::KeyUp(std::uint16_t& key, TShiftState shift) {
    if (OnKeyUp) OnKeyUp(this, key, shift);
}

void TWinControl::KeyPress(char& key) {
    if (OnKeyPress) OnKeyPress(this, key);
}

void TWinControl::DoEnter() {
    if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit() {
    if (OnExit) OnExit(this);
}

LRESULT TWinControl::DefWndProc(TMessage& m) { return DefWindowProc(handle_, m.Msg, m.WParam, m.LParam); }

void TWinControl::DefaultHandler(TMessage& m) {
    if (handle_) m.Result = DefWndProc(m);
}

void TWinControl::PaintWindow(HDC) {}

void TWinControl::PaintHandler(TMessage& m) {
    auto* dc = reinterpret_cast<HDC>(m.WParam);
    if (dc) {
        PaintWindow(dc);
        PaintControls(dc, nullptr);
        return;
    }
    TPaintStruct ps;
    dc = BeginPaint(handle_, ps);
    if (!dc) return;
    ScopeGuard painted([&] { EndPaint(handle_, ps); });
    PaintWindow(dc);
    PaintControls(dc, nullptr);
}

void TWinControl::Dispatch(TMessage& m) {
    switch (m.Msg) {
        case WM_PAINT: PaintHandler(m); return;
        case WM_ERASEBKGND: {
            auto* dc = reinterpret_cast<HDC>(m.WParam);
            if (dc) {
                dc->Brush().SetColor(Color());
                dc->Brush().SetStyle(bsSolid);
                dc->FillRect(ClientRect());
            }
            m.Result = 1;
            return;
        }
        case WM_SETFOCUS:
            if (TCustomForm* form = GetParentForm(this)) form->SetFocusedControl(this);
            DefaultHandler(m);
            return;
        case WM_SIZE:
        case WM_MOVE:
            // Moved by the desktop, by MoveWindow, or a window made top-level:
            // the bounds follow the window (in its parent window's coordinates).
            if (!settingBounds_) UpdateBoundsFromWindow();
            DefaultHandler(m);
            return;
        case WM_SETCURSOR:
            if (reinterpret_cast<HWND>(m.WParam) == handle_ &&
                LoWord(static_cast<std::uintptr_t>(m.LParam)) == HTCLIENT) {
                TCursor c = gScreenCursor;
                if (c == crDefault) {
                    TPoint p = ScreenToClient(GetCursorPos());
                    TControl* gc = ControlAtPos(p, false);
                    c = gc ? gc->Cursor() : crDefault;
                    if (c == crDefault) c = Cursor();
                }
                if (c != crDefault) {
                    ::menvaro::SetCursor(c);
                    m.Result = 1;
                    return;
                }
            }
            DefaultHandler(m);
            return;
        case WM_MOUSELEAVE:
            if (gMouseControl == this ||
                (gMouseControl && gMouseControl->Parent() == this && !dynamic_cast<TWinControl*>(gMouseControl)))
                SetMouseControl(nullptr);
            return;
        case WM_MOUSEWHEEL:
            m.Result = Perform(CM_MOUSEWHEEL, m.WParam, m.LParam);
            if (!m.Result) DefaultHandler(m);
            return;
        case WM_HSCROLL:
        case WM_VSCROLL:
            // A scroll-bar control's notice goes back to that control.
            if (TWinControl* bar = m.LParam ? FindControl(static_cast<HWND>(m.LParam)) : nullptr; bar && bar != this) {
                m.Result = bar->Perform(CN_BASE + m.Msg, m.WParam, m.LParam);
                return;
            }
            DefaultHandler(m);
            return;
        case WM_CAPTURECHANGED:
            if (gCaptureControl && static_cast<HWND>(m.LParam) != handle_ &&
                (gCaptureControl == this || gCaptureControl->Parent() == this))
                gCaptureControl = nullptr;
            return;
        case CN_KEYDOWN:
        case CN_SYSKEYDOWN: {
            m.Result = 1;
            if (IsMenuKey(m)) return;
            if (Perform(CM_CHILDKEY, m.WParam, reinterpret_cast<LPARAM>(this)) != 0) return;
            LRESULT mask = 0;
            switch (m.WParam) {
                case VK_TAB: mask = DLGC_WANTTAB; break;
                case VK_LEFT:
                case VK_RIGHT:
                case VK_UP:
                case VK_DOWN: mask = DLGC_WANTARROWS; break;
                case VK_RETURN:
                case VK_EXECUTE:
                case VK_ESCAPE:
                case VK_CANCEL: mask = DLGC_WANTALLKEYS; break;
                default: break;
            }
            TCustomForm* form = GetParentForm(this);
            if (mask && Perform(CM_WANTSPECIALKEY, m.WParam, m.LParam) == 0 &&
                (Perform(WM_GETDLGCODE, 0, 0) & mask) == 0 && form &&
                form->Perform(CM_DIALOGKEY, m.WParam, m.LParam) != 0)
                return;
            m.Result = 0;
            return;
        }
        case CN_CHAR: {
            m.Result = 1;
            TCustomForm* form = GetParentForm(this);
            if ((Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTCHARS) == 0 && form &&
                form->Perform(CM_DIALOGCHAR, m.WParam, m.LParam) != 0)
                return;
            m.Result = 0;
            return;
        }
        case CN_SYSCHAR: {
            TCustomForm* form = GetParentForm(this);
            m.Result = form && form->Perform(CM_DIALOGCHAR, m.WParam, m.LParam) != 0 ? 1 : 0;
            return;
        }
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            if (!DoKeyDown(m)) DefaultHandler(m);
            return;
        case WM_KEYUP:
        case WM_SYSKEYUP:
            if (!DoKeyUp(m)) DefaultHandler(m);
            return;
        case WM_CHAR:
            if (!DoKeyPress(m)) DefaultHandler(m);
            return;
        case CM_ENTER: DoEnter(); return;
        case CM_EXIT: DoExit(); return;
        case CM_DIALOGKEY:
        case CM_DIALOGCHAR:
        case CM_FOCUSCHANGED: Broadcast(m); return;
        case CM_COLORCHANGED:
            brush_->SetColor(Color());
            Invalidate();
            NotifyControls(CM_PARENTCOLORCHANGED);
            return;
        case CM_FONTCHANGED:
            Invalidate();
            NotifyControls(CM_PARENTFONTCHANGED);
            return;
        case CM_SHOWHINTCHANGED: NotifyControls(CM_PARENTSHOWHINTCHANGED); return;
        case CM_BIDIMODECHANGED: NotifyControls(CM_PARENTBIDIMODECHANGED); return;
        case CM_CTL3DCHANGED: NotifyControls(CM_PARENTCTL3DCHANGED); return;
        case CM_PARENTCTL3DCHANGED:
            if (parentCtl3D_ && parent_ && ctl3D_ != parent_->Ctl3D()) {
                ctl3D_ = parent_->Ctl3D();
                Perform(CM_CTL3DCHANGED, 0, 0);
            }
            return;
        case CM_ENABLEDCHANGED:
            if (!Enabled() && parent_)
                if (TCustomForm* form = GetParentForm(this)) form->DefocusControl(this, false);
            if (handle_) EnableWindow(handle_, Enabled());
            Invalidate();
            return;
        case CM_VISIBLECHANGED: UpdateShowing(); return;
        case CM_RECREATEWND: RecreateWnd(); return;
        case WM_CANCELMODE: DefaultHandler(m); return;
        default: TControl::Dispatch(m);
    }
}

void TWinControl::GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) {
    for (TControl* c : controls_)
        if (c->Owner() == root) proc(c);
}

void TWinControl::Loaded() {
    TControl::Loaded();
    FixupTabList();
    Realign();
}

void TWinControl::ChangeScale(int m, int d) {
    DisableAlign();
    ScopeGuard scaled([this] { EnableAlign(); });
    ScaleControls(m, d);
    TControl::ChangeScale(m, d);
}

void TWinControl::ScaleControls(int m, int d) {
    std::vector<TControl*> children = controls_;
    for (TControl* c : children) c->ChangeScale(m, d);
}

bool TWinControl::IsMenuKey(const TMessage& keyDown) {
    auto key = static_cast<std::uint16_t>(keyDown.WParam);
    TShiftState shift = KeyDataToShiftState(keyDown.LParam);
    for (TControl* c = this; c; c = c->Parent())
        if (TPopupMenu* menu = c->PopupMenu(); menu && menu->IsShortCut(key, shift)) return true;
    return false;
}

// ------------------------------------------------------------ design scale

int DesignTextHeight(const TFont& font) {
    TBitmap b;
    b.SetSize(1, 1);
    b.Canvas().Font().Assign(font);
    return b.Canvas().TextHeight("0");
}

bool ApplyDesignScale(TWinControl& control, TDesignScale& scale) {
    bool scaled = false;
    if (scale.PixelsPerInch != 0 && scale.TextHeight > 0) {
        const int screen = Screen ? Screen->PixelsPerInch() : 96;
        if (control.ScalingFlags().Contains(sfFont) && scale.PixelsPerInch != screen)
            control.Font()->SetHeight(MulDiv(control.Font()->Height(), screen, scale.PixelsPerInch));
        scale.PixelsPerInch = screen;
        const int now = DesignTextHeight(*control.Font());
        if (now != scale.TextHeight) {
            scaled = true;
            control.ScaleControls(now, scale.TextHeight);
            scale.ClientWidth = MulDiv(scale.ClientWidth, now, scale.TextHeight);
            scale.ClientHeight = MulDiv(scale.ClientHeight, now, scale.TextHeight);
        }
    }
    if (scale.ClientWidth > 0) control.SetClientWidth(scale.ClientWidth);
    if (scale.ClientHeight > 0) control.SetClientHeight(scale.ClientHeight);
    control.SetScalingFlags({});
    // Also unscaled, every child forgets what its file set.
    if (!scaled) control.ScaleControls(1, 1);
    control.Perform(CM_PARENTBIDIMODECHANGED, 0, 0);
    return scaled;
}

// ------------------------------------------- TGraphicControl, TCustomControl

MENVARO_CLASS_INFO(TGraphicControl) {}

TGraphicControl::TGraphicControl(TComponent* owner) : TControl(owner), canvas_(std::make_unique<TCanvas>()) {}

TGraphicControl::~TGraphicControl() = default;

void TGraphicControl::Dispatch(TMessage& m) {
    if (m.Msg == WM_PAINT) {
        if (auto* dc = reinterpret_cast<HDC>(m.WParam)) {
            TCanvasOnDC bound(*canvas_, dc, this);
            Paint();
        }
        return;
    }
    TControl::Dispatch(m);
}

MENVARO_CLASS_INFO(TCustomControl) {}

TCustomControl::TCustomControl(TComponent* owner) : TWinControl(owner), canvas_(std::make_unique<TCanvas>()) {}

TCustomControl::~TCustomControl() = default;

void TCustomControl::Paint() {}

void TCustomControl::PaintWindow(HDC dc) {
    TCanvasOnDC bound(*canvas_, dc, this);
    Paint();
}

}  // namespace menvaro

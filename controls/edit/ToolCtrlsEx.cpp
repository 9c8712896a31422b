#include "edit/ToolCtrlsEx.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "base/ScopeGuard.h"
#include "base/Strings.h"
#include "classes/ClassBuilder.h"
#include "classes/Setters.h"
#include "data/DataSet.h"
#include "ui/FrameControl.h"

namespace menvaro {

MENVARO_DEFINE_ENUM(TEditButtonStyleEx, ebsDropDownEx, ebsEllipsisEx, ebsGlyphEx, ebsUpDownEx, ebsPlusEx, ebsMinusEx)

// ========================================================== button faces

TButtonFaceKind EditButtonFaceKind(TEditButtonStyleEx style) {
    switch (style) {
        case ebsDropDownEx: return bfkDropDown;
        case ebsEllipsisEx: return bfkEllipsis;
        case ebsGlyphEx:
        case ebsUpDownEx: return bfkUpDown;
        case ebsPlusEx: return bfkPlus;
        case ebsMinusEx: return bfkMinus;
    }
    return bfkDropDown;
}

TButtonBitmapKey ButtonBitmapKey(int width, int height, TButtonFaceKind kind, bool flat, bool pressed, bool active,
                                 bool enabled, int half) {
    TButtonBitmapKey key;
    key.Width = std::max(0, width);
    key.Height = std::max(0, height);
    key.Kind = kind;
    key.Flat = flat ? 1 : 0;
    key.Pressed = pressed ? 1 : 0;
    key.Active = active ? 1 : 0;
    key.Enabled = enabled ? 1 : 0;
    key.Half = half == 0 ? 0 : 1;
    return key;
}

TBitmap* TButtonsBitmapCache::FindOrCreateBitmap(const TButtonBitmapKey& wanted) {
    TButtonBitmapKey key = wanted;
    key.Width = std::max(0, key.Width);
    key.Height = std::max(0, key.Height);
    for (Entry& e : entries_)
        if (std::memcmp(&e.key, &key, sizeof key) == 0) return e.bitmap.get();
    auto bitmap = std::make_unique<TBitmap>(key.Width, key.Height);
    if (!bitmap->Empty())
        PaintButtonFace(bitmap->Canvas(), key.Kind, Rect(0, 0, key.Width, key.Height), key.Half, key.Pressed != 0,
                        key.Active != 0, key.Flat != 0, key.Enabled != 0);
    entries_.push_back({key, std::move(bitmap)});
    return entries_.back().bitmap.get();
}

void TButtonsBitmapCache::Clear() { entries_.clear(); }

TButtonsBitmapCache& ButtonsBitmapCache() {
    static TButtonsBitmapCache cache;
    return cache;
}

void ClearButtonsBitmapCache() { ButtonsBitmapCache().Clear(); }

namespace {

void FillWith(TCanvas& dc, const TRect& r, TColor colour) {
    dc.Brush().SetStyle(bsSolid);
    dc.Brush().SetColor(colour);
    dc.FillRect(r);
}

// Copies the cached face of `at`'s size onto it.
void CopyFace(TCanvas& dc, const TRect& at, TButtonFaceKind kind, bool flat, bool pressed, bool active, bool enabled,
              int half) {
    TBitmap* b = ButtonsBitmapCache().FindOrCreateBitmap(
        ButtonBitmapKey(at.Width(), at.Height(), kind, flat, pressed, active, enabled, half));
    if (b->Empty()) return;
    dc.StretchBlt(at.Left, at.Top, at.Width(), at.Height(), b->Canvas(), 0, 0, b->Width(), b->Height(), SRCCOPY);
}

// Squares of d x d pixels (the brush's colour) at (x, y) and beyond.
void PatSquares(TCanvas& dc, std::initializer_list<TPoint> at, int w, int h, TColor colour) {
    dc.Brush().SetStyle(bsSolid);
    dc.Brush().SetColor(colour);
    for (TPoint p : at) dc.PatBlt(p.X, p.Y, w, h, PATCOPY);
}

}  // namespace

void DrawEditButton(TCanvas& dc, const TRect& rect, TColor frameColor, TButtonFaceKind kind, int pressedPart, bool flat,
                    bool active, bool enabled) {
    TCanvasStateSaver saved(dc);
    // A flat button that is not hot shows no border of its own.
    const bool quiet = flat && !active;
    const TRect r = quiet ? InflateRect(rect, -1, -1) : rect;
    if (kind == bfkUpDown) {
        const TRect base = quiet ? rect : r;
        TRect upper = base;
        upper.Bottom = base.Top + base.Height() / 2;
        TRect lower = base;
        lower.Top = base.Bottom - base.Height() / 2;
        if (quiet) {
            upper = InflateRect(upper, -1, -1);
            lower = InflateRect(lower, -1, -1);
        }
        CopyFace(dc, upper, kind, flat, pressedPart == bppUpper, active, enabled, 0);
        CopyFace(dc, lower, kind, flat, pressedPart == bppLower, active, enabled, 1);
        const bool odd = r.Height() % 2 != 0;
        if (odd || quiet) {
            const int m = (r.Top + r.Bottom) / 2;
            TRect seam{r.Left, m, r.Right, m + (odd ? 1 : 0)};
            if (quiet) seam = InflateRect(seam, 0, 1);
            FillWith(dc, seam, frameColor);
        }
    } else {
        CopyFace(dc, r, kind, flat, pressedPart != bppNone, active, enabled, 0);
    }
    if (quiet) {
        dc.Brush().SetStyle(bsSolid);
        dc.Brush().SetColor(frameColor);
        dc.FrameRect(rect);
    }
}

void PaintButtonFace(TCanvas& dc, TButtonFaceKind kind, const TRect& rect, int half, bool pressed, bool active,
                     bool flat, bool enabled) {
    TRect r = rect;
    const bool edge = active && flat;
    int clip = 0;
    if (edge) {
        clip = dc.SaveState();
        dc.IntersectClipRect(InflateRect(r, -1, -1));
    }
    // The face's own border then falls outside the bitmap or under the clip.
    const int grow = flat ? (active ? 1 : 2) : 0;
    r = InflateRect(r, grow, grow);
    unsigned state = 0;
    if (pressed) state |= DFCS_PUSHED;
    if (flat) state |= DFCS_FLAT;
    if (!enabled) state |= DFCS_INACTIVE;
    TRect at = r;
    switch (kind) {
        case bfkDropDown: DrawFrameControl(dc, at, DFC_SCROLL, state | DFCS_SCROLLCOMBOBOX); break;
        case bfkUpDown:
            DrawFrameControl(dc, at, DFC_SCROLL, state | (half == 0 ? DFCS_SCROLLUP : DFCS_SCROLLDOWN));
            break;
        case bfkEllipsis: PaintEllipsis(dc, r, enabled, pressed, flat); break;
        case bfkPlus:
        case bfkMinus: PaintPlusMinus(dc, r, enabled, kind == bfkPlus, pressed, flat); break;
        default: break;
    }
    r = InflateRect(r, -grow, -grow);
    if (edge) {
        dc.RestoreState(clip);
        dc.DrawEdge(r, pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    }
}

namespace {

// The button's own face under the dots and bars: flat, or raised (sunken
// while pressed); answers what lies inside it.
TRect PlainFace(TCanvas& dc, const TRect& rect, bool pressed, bool flat, bool fillInside) {
    if (flat) {
        FillWith(dc, rect, clBtnFace);
        return InflateRect(rect, -1, -1);
    }
    TRect e = rect;
    dc.DrawEdge(e, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_MIDDLE);
    const TRect inside = InflateRect(rect, -2, -2);
    if (fillInside) FillWith(dc, inside, clBtnFace);
    return inside;
}

}  // namespace

void PaintEllipsis(TCanvas& dc, const TRect& rect, bool enabled, bool pressed, bool flat) {
    TCanvasStateSaver saved(dc);
    const TRect r = PlainFace(dc, rect, pressed, flat, false);
    const int w = r.Width(), h = r.Height();
    const int gap = w < 12 ? 1 : 2;
    const int d = w < 8 ? 1 : 2;
    const int shift = pressed ? 1 : 0;
    const int y = r.Top + h / 2 - d / 2 + shift;
    const int x = r.Left + w / 2 - d / 2 + shift;
    auto dots = [&](int dx, int dy, TColor colour) {
        PatSquares(dc, {{x - gap - d + dx, y + dy}, {x + dx, y + dy}, {x + d + gap + dx, y + dy}}, d, d, colour);
    };
    if (enabled) {
        dots(0, 0, clBtnText);
    } else {
        dots(1, 1, clBtnHighlight);
        dots(0, 0, clBtnShadow);
    }
}

void PaintPlusMinus(TCanvas& dc, const TRect& rect, bool enabled, bool plus, bool pressed, bool flat) {
    TCanvasStateSaver saved(dc);
    const TRect r = PlainFace(dc, rect, pressed, flat, true);
    const int w = r.Width(), h = r.Height();
    const int m = std::min(w, h);
    int len = std::max(1, m * 4 / 7);
    const int thick = std::max(1, len / 3);
    if (flat) len -= 1;
    // Centred: the bar and the face differ in length by an even number.
    if ((len - m) % 2 != 0) len += 1;
    if (plus && (len - thick) % 2 != 0) len += m < 12 ? 1 : -1;
    const int shift = pressed ? 1 : 0;
    const int x = r.Left + (w - len) / 2 + shift;
    const int y = r.Top + (h - thick) / 2 + shift;
    const int o = len / 2 - thick / 2;
    auto bars = [&](int dx, int dy, TColor colour) {
        PatSquares(dc, {{x + dx, y + dy}}, len, thick, colour);
        if (plus) PatSquares(dc, {{x + o + dx, y - o + dy}}, thick, len, colour);
    };
    if (enabled) {
        bars(0, 0, clBtnText);
    } else {
        bars(1, 1, clBtnHighlight);
        bars(0, 0, clBtnShadow);
    }
}

int ScreenFontHeight() {
    TBitmap b(1, 1);
    b.Canvas().Font().Assign(TFont());
    return b.Canvas().TextMetrics().Height;
}

int FlatButtonWidthFor(int fontHeight, int scrollBarWidth) {
    int w = static_cast<int>(std::nearbyint(static_cast<double>(fontHeight) / 3 * 2));
    if (w % 2 == 0) w -= 1;
    return std::max(1, std::min(w, scrollBarWidth));
}

int CalcFlatButtonWidth() { return FlatButtonWidthFor(ScreenFontHeight(), GetSystemMetrics(SM_CXVSCROLL)); }

namespace {
int& SharedFlatButtonWidth() {
    static int width = 0;
    return width;
}
}  // namespace

int FlatButtonWidth() {
    if (SharedFlatButtonWidth() == 0) UpdateFlatButtonWidth();
    return SharedFlatButtonWidth();
}

void UpdateFlatButtonWidth() { SharedFlatButtonWidth() = CalcFlatButtonWidth(); }

// ================================================================ helpers

bool WithinDoubleClick(TPoint first, TPoint second, unsigned elapsedMs) {
    return elapsedMs <= GetDoubleClickTime() && std::abs(second.X - first.X) <= GetSystemMetrics(SM_CXDOUBLECLK) &&
           std::abs(second.Y - first.Y) <= GetSystemMetrics(SM_CYDOUBLECLK);
}

void DrawImageInRect(TCanvas& dc, const TRect& rect, const TCustomImageList* images, int index, bool selected) {
    if (!images || !images->HandleAllocated()) return;
    const int x = (rect.Left + rect.Right - images->Width()) / 2;
    const int y = (rect.Top + rect.Bottom - images->Height()) / 2;
    const TRect image = Bounds(x, y, images->Width(), images->Height());
    unsigned style = images->ImageType() == itMask ? ILD_MASK : ILD_NORMAL;
    if (selected) style |= ILD_SELECTED;
    auto draw = [&] {
        images->Handle()->DrawEx(dc, index, x, y, ImageListColor(images->BkColor()),
                                 ImageListColor(selected ? clHighlight : images->BlendColor()), style);
    };
    const bool inside = image.Left >= rect.Left && image.Top >= rect.Top && image.Right <= rect.Right &&
                        image.Bottom <= rect.Bottom;
    if (inside) {
        draw();
        return;
    }
    TCanvasStateSaver saved(dc);
    dc.IntersectClipRect(rect);
    draw();
}

bool VariantsEqual(const Variant& a, const Variant& b) {
    if (a.IsArray() != b.IsArray()) return false;
    try {
        if (a.IsArray() && VarArrayDimCount(a) == VarArrayDimCount(b) &&
            VarArrayLowBound(a, 1) == VarArrayLowBound(b, 1) && VarArrayHighBound(a, 1) == VarArrayHighBound(b, 1)) {
            const int low = VarArrayLowBound(a, 1), high = VarArrayHighBound(a, 1);
            if (high < low) return false;
            for (int i = low; i <= high; ++i)
                if (!VarEquals(VarArrayGet(a, {i}), VarArrayGet(b, {i}))) return false;
            return true;
        }
        return VarEquals(a, b);
    } catch (const std::exception&) {
        return false;
    }
}

void CollectFields(std::vector<TField*>* list, const TDataSet& dataSet, const TComponent* component,
                   const std::string& fieldNames) {
    std::size_t pos = 0;
    while (pos < fieldNames.size()) {
        const std::string name = ExtractFieldName(fieldNames, pos);
        TField* field = dataSet.FindField(name);
        if (!field) DatabaseError("Field '" + name + "' not found", component ? component->Name() : std::string());
        if (list) list->push_back(field);
    }
}

// ====================================================== edit button control

MENVARO_CLASS_INFO(TEditButtonControlEx) {}

MENVARO_CLASS_INFO(TSpeedButtonEx) {
    c.Prop("Active", &TSpeedButtonEx::Active, &TSpeedButtonEx::SetActive).Default(false);
    c.Prop("Style", &TSpeedButtonEx::Style, &TSpeedButtonEx::SetStyle).Default(ebsDropDownEx);
}

namespace {
constexpr unsigned kFirstRepeatMs = 400;
constexpr unsigned kRepeatMs = 100;
}  // namespace

TEditButtonControlEx::TEditButtonControlEx(TComponent* owner) : TSpeedButton(owner) {}

void TEditButtonControlEx::SetActive(bool v) {
    if (!Change(active_, v)) return;
    Invalidate();
}

void TEditButtonControlEx::SetStyle(TEditButtonStyleEx s) {
    if (!Change(style_, s)) return;
    Invalidate();
}

void TEditButtonControlEx::SetAlwaysDown(bool v) {
    if (!Change(alwaysDown_, v)) return;
    if (v) {
        SetGroupIndex(1);
        SetDown(true);
        SetAllowAllUp(false);
        pressedPart_ = bppUpper;
    } else {
        SetAllowAllUp(true);
        SetDown(false);
        SetGroupIndex(0);
        pressedPart_ = bppNone;
    }
    Invalidate();
}

void TEditButtonControlEx::DoButtonDown(bool topButton, bool& autoRepeat) {
    bool handled = false;
    if (OnDown) OnDown(this, topButton, autoRepeat, handled);
}

void TEditButtonControlEx::Click() {
    if (noClick_) return;
    TSpeedButton::Click();
}

void TEditButtonControlEx::Dispatch(TMessage& m) {
    // A cancelled mode ends a press as a release outside the button: the
    // repeat stops, the mouse is let go and nothing is clicked.
    if (m.Msg == WM_CANCELMODE && ControlState().Contains(csLButtonDown)) {
        Perform(WM_LBUTTONUP, 0, MakeLParam(-1, -1));
        return;
    }
    TSpeedButton::Dispatch(m);
}

void TEditButtonControlEx::UpdatePressedPart(int y) {
    int part = bppNone;
    if (Pressed()) {
        if (style_ == ebsUpDownEx) {
            const int h = Height() / 2;
            part = y < h ? bppUpper : y > Height() - h ? bppLower : bppNone;
        } else {
            part = bppUpper;
        }
    }
    if (part == pressedPart_) return;
    pressedPart_ = part;
    Invalidate();
}

void TEditButtonControlEx::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TSpeedButton::MouseDown(button, shift, x, y);
    if (button != mbLeft) return;
    bool autoRepeat = style_ == ebsUpDownEx;
    UpdatePressedPart(y);
    if (pressedPart_ != bppNone) DoButtonDown(pressedPart_ == bppUpper, autoRepeat);
    if (autoRepeat) StartTimer(kFirstRepeatMs);
}

void TEditButtonControlEx::MouseMove(TShiftState shift, int x, int y) {
    TSpeedButton::MouseMove(shift, x, y);
    if (!MouseCapture() || style_ != ebsUpDownEx || State() != bsDown) return;
    // Slid into the other half: the pressed half comes up and ticks stop acting.
    const int h = Height() / 2;
    if ((pressedPart_ == bppLower && y < h) || (pressedPart_ == bppUpper && y > Height() - h)) {
        SetState(bsUp);
        Invalidate();
    }
}

void TEditButtonControlEx::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    noClick_ = style_ == ebsUpDownEx && State() != bsDown;
    {
        ScopeGuard clear([this] { noClick_ = false; });
        TSpeedButton::MouseUp(button, shift, x, y);
    }
    UpdatePressedPart(y);
    StopTimer();
}

void TEditButtonControlEx::StartTimer(unsigned ms) {
    if (!timer_) {
        timer_ = Create<TTimer>(this);
        timer_->SetEnabled(false);
        timer_->OnTimer = [this](TObject*) { TimerTick(); };
    }
    if (timer_->Enabled() && timer_->Interval() == ms) return;
    timer_->SetEnabled(false);
    timer_->SetInterval(ms);
    timer_->SetEnabled(true);
}

void TEditButtonControlEx::StopTimer() {
    if (timer_) timer_->SetEnabled(false);
}

void TEditButtonControlEx::TimerTick() {
    bool autoRepeat = style_ == ebsUpDownEx;
    // Held where no half is pressed (the middle row of a pair), nothing repeats.
    if (State() != bsDown || pressedPart_ == bppNone) return;
    if (timer_->Interval() == kFirstRepeatMs) StartTimer(kRepeatMs);
    DoButtonDown(pressedPart_ == bppUpper, autoRepeat);
    if (!autoRepeat) StopTimer();
}

void TEditButtonControlEx::Paint() {
    TCanvas& c = *Canvas();
    const TColor frame = Parent() ? Parent()->Color() : Color();
    const TRect all = Rect(0, 0, Width(), Height());
    if (style_ != ebsGlyphEx) {
        DrawEditButton(c, all, frame, EditButtonFaceKind(style_), Enabled() && Pressed() ? pressedPart_ : bppNone,
                       Flat(), active_, Enabled());
        return;
    }
    if (!Flat()) {
        TSpeedButton::Paint();
        return;
    }
    {
        TCanvasStateSaver saved(c);
        c.IntersectClipRect(InflateRect(all, -1, -1));
        TSpeedButton::Paint();
    }
    TRect r = all;
    if (Pressed()) {
        c.DrawEdge(r, BDR_SUNKENOUTER, BF_RECT);
    } else if (active_) {
        c.DrawEdge(r, BDR_RAISEDINNER, BF_RECT);
    } else {
        c.Brush().SetStyle(bsSolid);
        c.Brush().SetColor(frame);
        c.FrameRect(r);
    }
}

// ============================================================ edit buttons

MENVARO_CLASS_INFO(TEditButtonEx) {
    c.Prop("DropdownMenu", &TEditButtonEx::DropdownMenu, &TEditButtonEx::SetDropdownMenu);
    c.Prop("Glyph", &TEditButtonEx::Glyph, &TEditButtonEx::SetGlyph);
    c.Prop("Hint", &TEditButtonEx::Hint, &TEditButtonEx::SetHint);
    c.Prop("NumGlyphs", &TEditButtonEx::NumGlyphs, &TEditButtonEx::SetNumGlyphs).Default(1);
    c.Prop("ShortCut", &TEditButtonEx::ShortCut, &TEditButtonEx::SetShortCut).Default(0);
    c.Prop("Style", &TEditButtonEx::Style, &TEditButtonEx::SetStyle).Default(ebsDropDownEx);
    c.Prop("Visible", &TEditButtonEx::Visible, &TEditButtonEx::SetVisible).Default(false);
    c.Prop("Width", &TEditButtonEx::Width, &TEditButtonEx::SetWidth).Default(0);
    c.Event("OnClick", &TEditButtonEx::OnClick);
    c.Event("OnDown", &TEditButtonEx::OnDown);
}

MENVARO_CLASS_INFO(TDropDownEditButtonEx) { c.Redeclare("ShortCut").Default(kAltDownShortCut); }

MENVARO_CLASS_INFO(TVisibleEditButtonEx) {
    c.Redeclare("ShortCut").Default(kAltDownShortCut);
    c.Redeclare("Visible").Default(true);
}

MENVARO_CLASS_INFO(TEditButtonsEx) {}

namespace {
// A new item tells its collection once it is whole, not half made.
TCollection* BeginUpdateOf(TCollection* collection) {
    if (collection) collection->BeginUpdate();
    return collection;
}
}  // namespace

TEditButtonEx::TEditButtonEx(TCollection* collection)
    : TCollectionItem(BeginUpdateOf(collection)), glyph_(std::make_unique<TBitmap>()) {
    if (collection) collection->EndUpdate();
}

TEditButtonEx::TEditButtonEx(TWinControl* edit)
    : TCollectionItem(nullptr), edit_(edit), glyph_(std::make_unique<TBitmap>()) {}

TEditButtonEx::~TEditButtonEx() = default;

void TEditButtonEx::SetGlyph(TBitmap* b) {
    if (b)
        glyph_->Assign(*b);
    else
        glyph_->Clear();
    Changed();
}

void TEditButtonEx::SetHint(const std::string& s) {
    if (Change(hint_, s)) Changed();
}

void TEditButtonEx::SetNumGlyphs(int n) {
    if (Change(numGlyphs_, std::clamp(n, 1, 4))) Changed();
}

void TEditButtonEx::SetStyle(TEditButtonStyleEx s) {
    if (Change(style_, s)) Changed();
}

void TEditButtonEx::SetVisible(bool v) {
    if (Change(visible_, v)) Changed();
}

void TEditButtonEx::SetWidth(int w) {
    if (Change(width_, w)) Changed();
}

void TEditButtonEx::Changed() {
    if (OnInternalChange)
        OnInternalChange(this);
    else
        TCollectionItem::Changed(false);
}

TWinControl* TEditButtonEx::Edit() const {
    if (edit_) return edit_;
    if (auto* buttons = dynamic_cast<TEditButtonsEx*>(Collection())) return buttons->Edit();
    return nullptr;
}

TEditButtonControlEx* TEditButtonEx::CreateButtonControl() {
    TWinControl* edit = Edit();
    if (!edit) throw EInvalidOperation("The edit button belongs to no edit");
    auto* control = Create<TEditButtonControlEx>(edit);
    control->SetControlStyle(control->ControlStyle() + csReplicatable);
    control->SetBounds(0, 0, 10, 17);
    control->SetVisible(true);
    control->SetTransparent(false);
    control->SetParent(edit);
    return control;
}

void TEditButtonEx::Assign(const TPersistent* source) {
    auto* other = dynamic_cast<const TEditButtonEx*>(source);
    if (!other) {
        TCollectionItem::Assign(source);
        return;
    }
    SetDropdownMenu(other->DropdownMenu());
    SetGlyph(other->Glyph());
    SetHint(other->Hint());
    SetNumGlyphs(other->NumGlyphs());
    SetShortCut(other->ShortCut());
    SetStyle(other->Style());
    SetVisible(other->Visible());
    SetWidth(other->Width());
    OnClick = other->OnClick;
    OnDown = other->OnDown;
}

TDropDownEditButtonEx::TDropDownEditButtonEx(TCollection* collection) : TEditButtonEx(collection) {
    SetShortCut(kAltDownShortCut);
}

TDropDownEditButtonEx::TDropDownEditButtonEx(TWinControl* edit) : TEditButtonEx(edit) { SetShortCut(kAltDownShortCut); }

TVisibleEditButtonEx::TVisibleEditButtonEx(TCollection* collection) : TEditButtonEx(collection) {
    SetVisible(true);
    SetShortCut(kAltDownShortCut);
}

TEditButtonsEx::TEditButtonsEx(TWinControl* edit, const TClassInfo& itemClass)
    : TOwnedCollection(edit, itemClass), edit_(edit) {
    if (!itemClass.InheritsFrom(TEditButtonEx::StaticClass()))
        throw EInvalidOperation("Class " + itemClass.Name + " is not an edit button");
}

TEditButtonEx* TEditButtonsEx::Items(int index) const {
    return static_cast<TEditButtonEx*>(TOwnedCollection::Items(index));
}

TEditButtonEx* TEditButtonsEx::Add() { return static_cast<TEditButtonEx*>(TOwnedCollection::Add()); }

void TEditButtonsEx::Update(TCollectionItem* item) {
    TOwnedCollection::Update(item);
    if (OnChange) OnChange(static_cast<TEditButtonEx*>(item));
}

// ============================================================ drop-downs

void MakeTopLevelWindow(TWinControl& control) {
    const TRect bounds = control.BoundsRect();
    SetParent(control.WindowHandle(), 0);
    control.SetBoundsRect(bounds);
}

TPoint PlacePopup(const TRect& ownerRect, TWinControl* control, TAlignment alignment) {
    const TRect& r = ownerRect;
    TMonitorInfo monitor;
    GetMonitorInfo(MonitorFromRect(r, MONITOR_DEFAULTTONEAREST), monitor);
    const TRect a = monitor.rcWork;

    const int h = control->Height();
    bool below;
    if (r.Bottom + h <= a.Bottom)
        below = true;
    else if (r.Top - h >= a.Top)
        below = false;
    else
        below = a.Bottom - r.Bottom >= r.Top - a.Top;
    int y;
    if (below) {
        if (r.Bottom + h > a.Bottom) control->SetHeight(a.Bottom - r.Bottom);
        y = r.Bottom;
        control->Perform(MSG_POPUP_LIST, 3, 0);
    } else {
        if (r.Top - h < a.Top) control->SetHeight(r.Top - a.Top);
        // A list keeps whole rows, so its height may come out lower.
        y = r.Top - control->Height();
        control->Perform(MSG_POPUP_LIST, 2, 0);
    }

    const int wanted = control->Width();
    int x = r.Left;
    if (alignment == taRightJustify)
        x = r.Right - wanted;
    else if (alignment == taCenter)
        x = r.Left - (wanted - r.Width()) / 2;
    if (a.Width() < wanted) control->SetWidth(a.Width());
    const int w = control->Width();
    if (x + w > a.Right) {
        x = a.Right - w;
        control->Perform(MSG_POPUP_LIST, 0, 0);
    } else if (x < a.Left) {
        x = a.Left;
        control->Perform(MSG_POPUP_LIST, 1, 0);
    } else {
        control->Perform(MSG_POPUP_LIST, alignment == taRightJustify ? 0 : 1, 0);
    }
    return {x, y};
}

TPoint PlacePopupUnder(const TControl* edit, TWinControl* control, TAlignment alignment) {
    TRect r = edit->BoundsRect();
    if (const TWinControl* parent = edit->Parent()) {
        const TPoint origin = parent->ClientToScreen({0, 0});
        r = OffsetRect(r, origin.X, origin.Y);
    }
    return PlacePopup(r, control, alignment);
}

// ============================================================== size grip

MENVARO_CLASS_INFO(TSizeGripEx) {}

namespace {
TCursor CornerCursor(int corner) { return corner == gcTopRight || corner == gcBottomLeft ? crSizeNESW : crSizeNWSE; }
}  // namespace

TSizeGripEx::TSizeGripEx(TComponent* owner) : TCustomControl(owner) {
    SetControlStyle({csCaptureMouse, csReplicatable});
    SetBounds(0, 0, GetSystemMetrics(SM_CXVSCROLL), GetSystemMetrics(SM_CYVSCROLL));
    SetColor(clBtnFace);
    SetCursor(CornerCursor(corner_));
}

void TSizeGripEx::SetCorner(int corner) {
    if (corner < gcTopLeft || corner > gcBottomLeft || !Change(corner_, corner)) return;
    SetCursor(CornerCursor(corner_));
    // The window's shape is the corner's.
    RecreateWnd();
}

void TSizeGripEx::SetTriangle(bool v) {
    if (!Change(triangle_, v)) return;
    UpdateRegion();
}

void TSizeGripEx::SetVisible(bool v) {
    TCustomControl::SetVisible(v);
    if (v) UpdatePosition();
}

void TSizeGripEx::ChangePosition(int side) {
    int c = corner_;
    switch (side) {
        case 0: c = c == gcTopRight ? gcTopLeft : c == gcBottomRight ? gcBottomLeft : c; break;
        case 1: c = c == gcTopLeft ? gcTopRight : c == gcBottomLeft ? gcBottomRight : c; break;
        case 2: c = c == gcBottomRight ? gcTopRight : c == gcBottomLeft ? gcTopLeft : c; break;
        case 3: c = c == gcTopRight ? gcBottomRight : c == gcTopLeft ? gcBottomLeft : c; break;
        default: break;
    }
    SetCorner(c);
}

void TSizeGripEx::UpdatePosition() {
    TWinControl* parent = Parent();
    if (!parent || positioning_) return;
    positioning_ = true;
    ScopeGuard done([this] { positioning_ = false; });
    const int cw = parent->ClientWidth(), ch = parent->ClientHeight();
    int x = 0, y = 0;
    if (corner_ == gcTopRight || corner_ == gcBottomRight) x = cw - Width();
    if (corner_ == gcBottomRight || corner_ == gcBottomLeft) y = ch - Height();
    SetBounds(x, y, Width(), Height());
}

void TSizeGripEx::UpdateRegion() {
    if (!HandleAllocated()) return;
    const int w = Width(), h = Height();
    if (triangle_) {
        std::vector<TPoint> points;
        switch (corner_) {
            case gcBottomRight: points = {{0, h}, {w, h}, {w, 0}}; break;
            case gcBottomLeft: points = {{w, h}, {0, h}, {0, 0}}; break;
            case gcTopLeft: points = {{w - 1, 0}, {0, 0}, {0, h - 1}}; break;
            default: points = {{w, h - 1}, {w, 0}, {1, 0}}; break;
        }
        SetWindowRgn(WindowHandle(), CreatePolygonRgn(points.data(), 3, WINDING), true);
    } else {
        SetWindowRgn(WindowHandle(), std::nullopt, true);
    }
    UpdatePosition();
    SetCursor(CornerCursor(corner_));
}

void TSizeGripEx::CreateWnd() {
    TCustomControl::CreateWnd();
    UpdateRegion();
}

void TSizeGripEx::Dispatch(TMessage& m) {
    TCustomControl::Dispatch(m);
    // Moved by someone else (the parent's layout): back into the corner.
    if (m.Msg == WM_MOVE && !positioning_) UpdatePosition();
}

void TSizeGripEx::Paint() {
    TCanvas& c = *Canvas();
    c.Brush().SetStyle(bsSolid);
    c.Brush().SetColor(Color());
    c.FillRect(ClientRect());
    const int w = Width();
    static const TColor colours[4] = {clBtnHighlight, clBtnShadow, clBtnShadow, clBtnFace};
    c.Pen().SetStyle(psSolid);
    c.Pen().SetWidth(1);
    // Groups of four lines parallel to the corner's diagonal, each nearer the corner.
    for (int k = 1; k < w; k += 4)
        for (int i = 0; i < 4; ++i) {
            const int j = k - 1 + i;
            c.Pen().SetColor(colours[i]);
            switch (corner_) {
                case gcBottomRight:
                    c.MoveTo(j, w);
                    c.LineTo(w, j);
                    break;
                case gcBottomLeft:
                    c.MoveTo(0, 1 + j);
                    c.LineTo(w - 1 - j, w);
                    break;
                case gcTopRight:
                    c.MoveTo(w, w - 1 - j);
                    c.LineTo(j, -1);
                    break;
                default:
                    c.MoveTo(w - 1 - j, -1);
                    c.LineTo(-1, w - 1 - j);
                    break;
            }
        }
}

void TSizeGripEx::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TCustomControl::MouseDown(button, shift, x, y);
    TWinControl* parent = Parent();
    if (button != mbLeft || !parent) return;
    start_ = ClientToScreen({x, y});
    startWidth_ = parent->Width();
    startHeight_ = parent->Height();
    startClientWidth_ = parent->ClientWidth();
    startClientHeight_ = parent->ClientHeight();
    // The drop-down stays on the monitor it was placed on.
    TRect placed;
    if (!parent->HandleAllocated() || !GetWindowRect(parent->WindowHandle(), placed))
        placed = Bounds(parent->ClientOrigin().X, parent->ClientOrigin().Y, startWidth_, startHeight_);
    TMonitorInfo monitor;
    GetMonitorInfo(MonitorFromRect(placed, MONITOR_DEFAULTTONEAREST), monitor);
    workArea_ = monitor.rcWork;
}

void TSizeGripEx::MouseMove(TShiftState shift, int x, int y) {
    TCustomControl::MouseMove(shift, x, y);
    if (!shift.Contains(ssLeft) || !MouseCapture() || positioning_ || !Parent()) return;
    const TPoint p = ClientToScreen({x, y});
    if (p == last_) return;
    Drag(p);
}

void TSizeGripEx::Drag(TPoint p) {
    TWinControl* parent = Parent();
    const TRect& a = workArea_;
    const int oldClientWidth = parent->ClientWidth(), oldClientHeight = parent->ClientHeight();
    TRect window = parent->BoundsRect();
    if (parent->HandleAllocated()) GetWindowRect(parent->WindowHandle(), window);
    const bool right = corner_ == gcTopRight || corner_ == gcBottomRight;
    const bool top = corner_ == gcTopLeft || corner_ == gcTopRight;

    if (right) {
        const int cw = startClientWidth_ + (p.X - start_.X);
        // The frame as it is now: a list's scroll bar may have come or gone.
        const int over = window.Left + (parent->Width() - oldClientWidth) + cw - a.Right;
        parent->SetClientWidth(over > 0 ? cw - over : cw);
    } else {
        const int nw = startWidth_ + (start_.X - p.X);
        const int oldWidth = parent->Width();
        // Not past the work area's left edge: the client origin stops there.
        const int t = oldWidth + parent->ClientOrigin().X - a.Left - nw;
        parent->SetWidth(t < 0 ? t + nw : nw);
        parent->SetLeft(parent->Left() - (parent->Width() - oldWidth));
    }
    if (top) {
        const int nh = startHeight_ + (start_.Y - p.Y);
        const int oldHeight = parent->Height();
        const int t = oldHeight + parent->ClientOrigin().Y - a.Top - nh;
        parent->SetHeight(t < 0 ? t + nh : nh);
        parent->SetTop(parent->Top() - (parent->Height() - oldHeight));
    } else {
        const int ch = startClientHeight_ + (p.Y - start_.Y);
        TRect now = parent->BoundsRect();
        if (parent->HandleAllocated()) GetWindowRect(parent->WindowHandle(), now);
        const int over = now.Top + (parent->Height() - parent->ClientHeight()) + ch - a.Bottom;
        parent->SetClientHeight(over > 0 ? ch - over : ch);
    }
    last_ = p;
    if ((parent->ClientWidth() != oldClientWidth || parent->ClientHeight() != oldClientHeight) && OnParentResized)
        OnParentResized(this);
    UpdatePosition();
}

// ======================================================= popup list box

MENVARO_CLASS_INFO(TPopupListboxEx) {}

namespace {
constexpr std::uint32_t kSearchPauseMs = 2000;
constexpr std::size_t kSearchLength = 32;
}  // namespace

TPopupListboxEx::TPopupListboxEx(TComponent* owner) : TCustomListBox(owner) {
    SetStyle(lbOwnerDrawFixed);
    SetTabStop(false);
    grip_ = Create<TSizeGripEx>(this);
    grip_->SetVisible(false);
    grip_->SetParent(this);
    SetBounds(Left(), Top(), Width(), Height());
}

void TPopupListboxEx::SetImages(TCustomImageList* images) {
    if (images == images_) return;
    if (images_) images_->RemoveFreeNotification(this);
    images_ = images;
    if (images_) images_->FreeNotification(this);
    Invalidate();
}

void TPopupListboxEx::Notification(TComponent* component, TOperation operation) {
    TCustomListBox::Notification(component, operation);
    if (operation == opRemove && component == images_) {
        images_ = nullptr;
        Invalidate();
    }
}

void TPopupListboxEx::CreateParams(TCreateParams& p) {
    TCustomListBox::CreateParams(p);
    // Made as a child of its edit, then turned top-level (CreateWnd).
    p.Style = (p.Style & ~WS_CHILD) | WS_POPUP | WS_CLIPCHILDREN;
    if (!Ctl3D()) p.Style |= WS_BORDER;
    p.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
    p.ClassStyle |= CS_SAVEBITS;
}

void TPopupListboxEx::CreateWnd() {
    TCustomListBox::CreateWnd();
    MakeTopLevelWindow(*this);
}

int TPopupListboxEx::NonClientHeight() {
    TCreateParams p;
    CreateParams(p);
    const TRect in = WindowFrameInsets(p.Style & ~(WS_VSCROLL | WS_HSCROLL), p.ExStyle, true);
    return in.Top + in.Bottom + 2 * borderWidth_;
}

int TPopupListboxEx::RowHeight() const {
    int h = ItemHeight();
    if (h <= 0) {
        // Font heights are negative: the text's own height counts.
        TBitmap b(1, 1);
        b.Canvas().Font().Assign(*Font());
        h = b.Canvas().TextMetrics().Height;
    }
    return std::max(1, h);
}

void TPopupListboxEx::SetBounds(int left, int top, int width, int height) {
    const TComponentState s = ComponentState();
    if (!s.Contains(csReading) && !s.Contains(csDestroying)) {
        width = std::max(width, GetSystemMetrics(SM_CXVSCROLL));
        height = std::max(height, GetSystemMetrics(SM_CYVSCROLL));
    }
    const int ext = NonClientHeight();
    const int ih = RowHeight();
    rowCount_ = std::max(1, (height - ext) / ih);
    TCustomListBox::SetBounds(left, top, width, ext + ih * rowCount_);
}

void TPopupListboxEx::SetRowCount(int rows) { SetHeight(std::max(rows, 1) * RowHeight() + NonClientHeight()); }

void TPopupListboxEx::Dispatch(TMessage& m) {
    switch (m.Msg) {
        case WM_NCCALCSIZE:
            TCustomListBox::Dispatch(m);
            if (auto* r = reinterpret_cast<TRect*>(m.LParam)) *r = InflateRect(*r, -borderWidth_, -borderWidth_);
            return;
        case WM_NCPAINT:
            TCustomListBox::Dispatch(m);
            PaintBorder();
            return;
        case WM_SIZE:
            TCustomListBox::Dispatch(m);
            grip_->UpdatePosition();
            Resized = true;
            return;
        // A click on the list leaves the edit's window active.
        case WM_MOUSEACTIVATE: m.Result = MA_NOACTIVATE; return;
        case MSG_POPUP_LIST: grip_->ChangePosition(static_cast<int>(m.WParam)); return;
        case CM_CTL3DCHANGED:
            borderWidth_ = Ctl3D() ? 2 : 0;
            TCustomListBox::Dispatch(m);
            SetBounds(Left(), Top(), Width(), Height());
            return;
        default: TCustomListBox::Dispatch(m);
    }
}

void TPopupListboxEx::PaintBorder() {
    if (!Ctl3D() || borderWidth_ <= 0 || !HandleAllocated()) return;
    HDC dc = GetWindowDC(WindowHandle());
    if (!dc) return;
    ScopeGuard release([&] { ReleaseDC(WindowHandle(), dc); });
    TRect window;
    GetWindowRect(WindowHandle(), window);
    TRect r = Bounds(0, 0, window.Width(), window.Height());
    dc->DrawEdge(r, BDR_RAISEDOUTER, BF_RECT | BF_ADJUST);
    dc->DrawEdge(r, BDR_RAISEDINNER, BF_RECT);
}

namespace {
// The part of an item beside its image cell.
TRect TextPart(const TRect& item, int cell, bool rightToLeft) {
    TRect r = item;
    if (rightToLeft)
        r.Right -= cell;
    else
        r.Left += cell;
    return r;
}
}  // namespace

TRect TPopupListboxEx::ItemFocusRect(int index, const TRect& itemRect) const {
    if (!images_) return TCustomListBox::ItemFocusRect(index, itemRect);
    return TextPart(itemRect, images_->Width() + 4, UseRightToLeftAlignment());
}

void TPopupListboxEx::DrawItem(int index, const TRect& rect, TOwnerDrawState state) {
    if (!images_) {
        TCustomListBox::DrawItem(index, rect, state);
        return;
    }
    TCanvas& c = *Canvas();
    if (index < 0) {
        c.FillRect(rect);
        return;
    }
    const bool rtl = UseRightToLeftAlignment();
    const int cell = images_->Width() + 4;
    const TRect imageCell = rtl ? TRect{rect.Right - cell, rect.Top, rect.Right, rect.Bottom}
                                : TRect{rect.Left, rect.Top, rect.Left + cell, rect.Bottom};
    {
        // The cell is not highlighted; transparent images show the list's colour.
        TCanvasStateSaver saved(c);
        FillWith(c, imageCell, Color());
    }
    DrawImageInRect(c, imageCell, images_, index, state.Contains(odSelected));
    const TRect text = TextPart(rect, cell, rtl);
    if (index < Count()) {
        const std::string& s = (*Items())[index];
        const int x = rtl ? text.Right - c.TextWidth(s) - 2 : images_->Width() + 5;
        c.ExtTextOut(x, rect.Top, ETO_OPAQUE | ETO_CLIPPED, &text, s);
    }
}

void TPopupListboxEx::KeyPress(char& key) {
    const auto ch = static_cast<unsigned char>(key);
    if (ch == 8 || ch == 27) {
        search_.clear();
    } else if (ch >= 32) {
        const std::uint32_t now = GetTickCount();
        if (now - lastSearchTime_ > kSearchPauseMs) search_.clear();
        lastSearchTime_ = now;
        if (search_.size() < kSearchLength) search_ += key;
        if (HandleAllocated()) Perform(LB_SELECTSTRING, 0xFFFF, reinterpret_cast<LPARAM>(search_.c_str()));
        key = 0;
    }
    TCustomListBox::KeyPress(key);
}

void TPopupListboxEx::MouseMove(TShiftState shift, int x, int y) {
    TCustomListBox::MouseMove(shift, x, y);
    if (shift.Contains(ssLeft) || shift.Contains(ssRight) || shift.Contains(ssMiddle)) return;
    const TPoint p{x, y};
    if (p == lastMouse_) return;
    lastMouse_ = p;
    const int index = ItemAtPos(p, true);
    if (index >= 0) SetItemIndex(index);
}

bool TPopupListboxEx::DoMouseWheelDown(TShiftState shift, TPoint mousePos) {
    if (!TCustomListBox::DoMouseWheelDown(shift, mousePos)) SetTopIndex(TopIndex() + 1);
    return true;
}

bool TPopupListboxEx::DoMouseWheelUp(TShiftState shift, TPoint mousePos) {
    if (!TCustomListBox::DoMouseWheelUp(shift, mousePos)) SetTopIndex(std::max(0, TopIndex() - 1));
    return true;
}

// ========================================================= MRU list box

namespace {

// The MRU list's own bar: a move that its list did not make is undone.
class TMRUScrollBar : public TScrollBar {
public:
    using TScrollBar::TScrollBar;
    std::function<bool()> OnMoved;
    void Dispatch(TMessage& m) override {
        if (m.Msg == WM_MOVE && OnMoved && OnMoved()) return;
        TScrollBar::Dispatch(m);
    }
};

}  // namespace

MENVARO_CLASS_INFO(TMRUListboxEx) {}

TMRUListboxEx::TMRUListboxEx(TComponent* owner) : TPopupListboxEx(owner) {
    auto* bar = Create<TMRUScrollBar>(this);
    scrollBar_ = bar;
    bar->SetKind(sbVertical);
    bar->SetTabStop(false);
    bar->SetCtl3D(false);
    bar->SetVisible(false);
    bar->SetBounds(0, 0, GetSystemMetrics(SM_CXVSCROLL), bar->Height());
    bar->SetParent(this);
    bar->OnMoved = [this] {
        if (layout_) return false;
        PlaceScrollBar();
        return true;
    };
    // Items set by the program change the layout as well.
    auto listChanged = Items()->OnChange;
    Items()->OnChange = [this, listChanged](TStringList& items) {
        if (listChanged) listChanged(items);
        UpdateScrollBar();
    };
}

void TMRUListboxEx::CreateParams(TCreateParams& p) {
    TPopupListboxEx::CreateParams(p);
    p.Style &= ~(WS_VSCROLL | WS_HSCROLL);
}

void TMRUListboxEx::CreateWnd() {
    TPopupListboxEx::CreateWnd();
    UpdateScrollBar();
}

TRect TMRUListboxEx::ScrollBarRect() {
    const int w = GetSystemMetrics(SM_CXVSCROLL);
    const int cw = ClientWidth(), ch = ClientHeight(), grip = SizeGrip()->Height();
    switch (SizeGrip()->Corner()) {
        case gcBottomRight: return {cw - w, 0, cw, ch - grip};
        case gcTopRight: return {cw - w, grip, cw, ch};
        default: return {cw - w, 0, cw, ch};
    }
}

void TMRUListboxEx::PlaceScrollBar() {
    if (!HandleAllocated()) return;
    const bool wasLayout = layout_;
    layout_ = true;
    ScopeGuard done([this, wasLayout] { layout_ = wasLayout; });
    scrollBar_->SetBoundsRect(ScrollBarRect());
}

void TMRUListboxEx::UpdateScrollBar() {
    if (!HandleAllocated() || layout_) return;
    layout_ = true;
    ScopeGuard done([this] { layout_ = false; });
    scrollBar_->SetCtl3D(false);
    scrollBar_->SetBoundsRect(ScrollBarRect());
    const int rows = ClientHeight() / RowHeight();
    TSizeGripEx* grip = SizeGrip();
    if (Count() > 0 && rows < Count()) {
        scrollBar_->SetParams(TopIndex(), 0, Count() - 1);
        scrollBar_->SetPageSize(rows);
        scrollBar_->SetVisible(true);
        // Beside the bar the grip is a square; alone in a left corner, a triangle.
        grip->SetTriangle(grip->Corner() == gcTopLeft || grip->Corner() == gcBottomLeft);
    } else {
        scrollBar_->SetVisible(false);
        grip->SetTriangle(true);
    }
}

void TMRUListboxEx::Dispatch(TMessage& m) {
    switch (m.Msg) {
        case WM_VSCROLL:
            // The bar's notices scroll the list itself.
            if (scrollBar_->HandleAllocated() && static_cast<HWND>(m.LParam) == scrollBar_->WindowHandle()) {
                TMessage own{WM_VSCROLL, m.WParam, 0, 0};
                DefaultHandler(own);
                UpdateScrollBar();
                return;
            }
            break;
        case WM_SIZE:
        case MSG_POPUP_LIST:
            TPopupListboxEx::Dispatch(m);
            UpdateScrollBar();
            return;
        case CM_CHANGED:
        case CM_MOUSEWHEEL:
            TPopupListboxEx::Dispatch(m);
            PlaceScrollBar();
            UpdateScrollBar();
            return;
        default: break;
    }
    TPopupListboxEx::Dispatch(m);
}

void TMRUListboxEx::WndProc(TMessage& m) {
    TPopupListboxEx::WndProc(m);
    // Keys and the mouse scroll the rows: the bar follows.
    if (layout_ || !HandleAllocated() || !scrollBar_->Visible()) return;
    bool moved = false;
    {
        // Asking for the top row is a message of its own: it must not ask again.
        layout_ = true;
        ScopeGuard done([this] { layout_ = false; });
        moved = scrollBar_->Position() != TopIndex();
    }
    if (moved) UpdateScrollBar();
}

// ================================================================ MRU list

MENVARO_CLASS_INFO(TMRUListEx) {
    c.Prop("Active", &TMRUListEx::Active, &TMRUListEx::SetActive).Default(false);
    c.Prop("CaseSensitive", &TMRUListEx::CaseSensitive, &TMRUListEx::SetCaseSensitive).Default(false);
    c.Prop("Items", &TMRUListEx::Items, &TMRUListEx::SetItems);
    c.Prop("Limit", &TMRUListEx::Limit, &TMRUListEx::SetLimit).Default(100);
    c.Prop("Rows", &TMRUListEx::Rows, &TMRUListEx::SetRows).Default(7);
}

TMRUListEx::TMRUListEx(TComponent* edit) : edit_(edit), items_(std::make_unique<TStringList>()) {}

TMRUListEx::~TMRUListEx() = default;

void TMRUListEx::SetActive(bool v) {
    if (!Change(active_, v)) return;
    if (OnActiveChange) OnActiveChange(this);
}

void TMRUListEx::SetItems(const TStringList* items) {
    if (items)
        items_->Assign(*items);
    else
        items_->Clear();
}

void TMRUListEx::SetLimit(int v) {
    if (!Change(limit_, v)) return;
    TrimToLimit();
}

void TMRUListEx::AddRecent(const std::string& s) {
    if (Trim(s).empty()) return;
    for (int i = 0; i < items_->Count(); ++i) {
        const std::string& entry = (*items_)[i];
        const bool same = caseSensitive_ ? entry == s : CompareText(entry, s) == 0;
        if (!same) continue;
        // The stored entry moves to the end as it is.
        if (i != items_->Count() - 1) {
            const std::string kept = entry;
            void* object = items_->Objects(i);
            items_->BeginUpdate();
            ScopeGuard done([this] { items_->EndUpdate(); });
            items_->Delete(i);
            items_->AddObject(kept, object);
        }
        return;
    }
    items_->Add(s);
    TrimToLimit();
}

void TMRUListEx::TrimToLimit() {
    // A negative limit keeps nothing, as 0 does.
    const int limit = std::max(0, limit_);
    while (items_->Count() > limit) items_->Delete(0);
}

void TMRUListEx::CloseUp(bool accept) {
    if (OnCloseUp) OnCloseUp(this, accept);
}

void TMRUListEx::DropDown() {
    if (OnDropDown) OnDropDown(this);
}

void TMRUListEx::Assign(const TPersistent* source) {
    auto* other = dynamic_cast<const TMRUListEx*>(source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    SetActive(other->Active());
    SetItems(other->Items());
    SetLimit(other->Limit());
    SetRows(other->Rows());
    SetCaseSensitive(other->CaseSensitive());
}

}  // namespace menvaro

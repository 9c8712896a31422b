// What the edit controls share: the faces of the small buttons inside an
// edit (drop-down arrow, ellipsis, up/down pair, plus, minus), painted once
// into bitmaps kept in one cache; the edit buttons themselves; the placing
// of a drop-down under its edit, the size grip, the popup and
// most-recently-used lists; the two interfaces between a drop-down editor
// and its edit; and small helpers.
//
// Everything runs on the user-interface thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/StringList.h"
#include "base/Variant.h"
#include "classes/Collections.h"
#include "classes/Events.h"
#include "gfx/Bitmap.h"
#include "ui/Buttons.h"
#include "ui/Controls.h"
#include "ui/ImgList.h"
#include "ui/ListBox.h"
#include "ui/Menus.h"
#include "ui/ScrollBar.h"
#include "ui/Timers.h"

namespace menvaro {

class TDataSet;
class TField;

// ------------------------------------------------------------- messages

enum : UINT {
    // Sent to a placed drop-down (PlacePopup) with the side that is free:
    // wParam 0 its left side (the grip goes to a left corner), 1 its right
    // side, 2 it opens upwards (a top corner), 3 downwards (a bottom corner).
    MSG_POPUP_LIST = CM_EDIT_FIRST,
    // Closes the drop-down calculator without taking its value.
    MSG_EDIT_POPUP = CM_EDIT_FIRST + 1,
};
static_assert(MSG_POPUP_LIST == 0x0464 && MSG_EDIT_POPUP == 0x0465 && UINT{MSG_EDIT_POPUP} <= UINT{CM_EDIT_LAST},
              "the drop-downs' fixed message numbers");

// ----------------------------------------------------------- interfaces

// An interface's identity.
struct TGUID {
    std::uint32_t D1 = 0;
    std::uint16_t D2 = 0;
    std::uint16_t D3 = 0;
    std::uint8_t D4[8] = {};
    bool operator==(const TGUID&) const = default;
};

// The basic operation of every interface: asking an object for another of
// its interfaces by id. Components are freed by their owners, so nothing
// counts references.
class IInterfaceEx {
public:
    // Sets `obj` and answers true when the object implements `iid`.
    virtual bool QueryInterface(const TGUID& iid, void*& obj) = 0;

protected:
    ~IInterfaceEx() = default;
};

// The interface `I` of `object`, or nullptr.
template <class I>
I* Supports(TObject* object) {
    auto* unknown = dynamic_cast<IInterfaceEx*>(object);
    void* p = nullptr;
    if (unknown && unknown->QueryInterface(I::IID, p)) return static_cast<I*>(p);
    return nullptr;
}

// A drop-down that edits a value for its edit (the calculator).
class IDropDownValueEditor : public virtual IInterfaceEx {
public:
    static constexpr TGUID IID{0x697F81AD, 0x0E0F, 0x4A4A, {0xA0, 0x16, 0xA7, 0x13, 0x62, 0x06, 0x60, 0xDE}};
    // Whether a close now would hand over a finished value.
    virtual bool ReadyToClose() = 0;
    virtual bool GetFlat() = 0;
    virtual Variant GetValue() = 0;
    virtual void SetFlat(bool value) = 0;
    virtual void SetValue(const Variant& value) = 0;

protected:
    ~IDropDownValueEditor() = default;
};

// The edit that owns a drop-down editor: the editor closes itself through it.
class IDropDownEditorOwner : public virtual IInterfaceEx {
public:
    static constexpr TGUID IID{0xB64255B5, 0x386A, 0x4524, {0x8B, 0xC7, 0x7F, 0x49, 0xDD, 0xB4, 0x10, 0xF4}};
    virtual void CloseUp(bool accept) = 0;

protected:
    ~IDropDownEditorOwner() = default;
};

// ------------------------------------------------------- button faces

enum TEditButtonStyleEx { ebsDropDownEx, ebsEllipsisEx, ebsGlyphEx, ebsUpDownEx, ebsPlusEx, ebsMinusEx };
MENVARO_DECLARE_ENUM(TEditButtonStyleEx)

// The face a button shows; 3 (a check box) is in the key format but no
// control draws it, and 6 and above give a blank face.
using TButtonFaceKind = std::uint8_t;
enum : TButtonFaceKind { bfkDropDown = 0, bfkEllipsis = 1, bfkUpDown = 2, bfkCheck = 3, bfkPlus = 4, bfkMinus = 5 };
TButtonFaceKind EditButtonFaceKind(TEditButtonStyleEx style);

// The cache's key: 16 bytes compared byte for byte.
struct TButtonBitmapKey {
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    std::uint8_t Kind = 0;
    std::uint8_t Flat = 0;
    std::uint8_t Pressed = 0;
    std::uint8_t Active = 0;  // hot: the mouse over it or its edit focused
    std::uint8_t Enabled = 0;
    std::uint8_t Half = 0;  // of an up/down pair: 0 upper, 1 lower
    std::uint8_t Check = 0;
    std::uint8_t Zero = 0;
};
static_assert(sizeof(TButtonBitmapKey) == 16, "the key is 16 bytes");
// Negative sizes are stored as 0.
TButtonBitmapKey ButtonBitmapKey(int width, int height, TButtonFaceKind kind, bool flat, bool pressed, bool active,
                                 bool enabled, int half);

// The faces painted so far, one bitmap a key; entries are only added until
// the cache is cleared, so a repaint costs a scan and a copy.
class TButtonsBitmapCache {
public:
    // The bitmap of `key` (owned by the cache), painted on first use.
    TBitmap* FindOrCreateBitmap(const TButtonBitmapKey& key);
    void Clear();
    int Count() const { return static_cast<int>(entries_.size()); }

private:
    struct Entry {
        TButtonBitmapKey key;
        std::unique_ptr<TBitmap> bitmap;
    };
    std::vector<Entry> entries_;
};

// The one shared cache.
TButtonsBitmapCache& ButtonsBitmapCache();
// After a change of the system colours the faces are painted anew.
void ClearButtonsBitmapCache();

// Pressed part of a button: nothing, the whole button or the upper half of
// an up/down pair, the lower half.
enum : int { bppNone = 0, bppUpper = 1, bppLower = 2 };

// A button's face in `rect`, copied from the cache. A flat button that is
// not active shows no border: a frame in `frameColor` (its parent's colour).
void DrawEditButton(TCanvas& dc, const TRect& rect, TColor frameColor, TButtonFaceKind kind, int pressedPart, bool flat,
                    bool active, bool enabled);
// Paints one face directly (what the cache does on a miss).
void PaintButtonFace(TCanvas& dc, TButtonFaceKind kind, const TRect& rect, int half, bool pressed, bool active,
                     bool flat, bool enabled);
void PaintEllipsis(TCanvas& dc, const TRect& rect, bool enabled, bool pressed, bool flat);
void PaintPlusMinus(TCanvas& dc, const TRect& rect, bool enabled, bool plus, bool pressed, bool flat);

// The line height of the screen's default font.
int ScreenFontHeight();
// The default width of a flat button for a font `fontHeight` pixels high:
// two thirds of it, odd, at most `scrollBarWidth`, at least 1.
int FlatButtonWidthFor(int fontHeight, int scrollBarWidth);
// FlatButtonWidthFor the screen's font and the scroll-bar width.
int CalcFlatButtonWidth();
// The shared width: worked out on first use, again by UpdateFlatButtonWidth.
int FlatButtonWidth();
void UpdateFlatButtonWidth();

// ---------------------------------------------------------------- helpers

// Two clicks that make a double click: in time and near enough.
bool WithinDoubleClick(TPoint first, TPoint second, unsigned elapsedMs);
// Image `index` of `images` centred in `rect`, clipped to it.
void DrawImageInRect(TCanvas& dc, const TRect& rect, const TCustomImageList* images, int index, bool selected);
// Variant equality that compares one-dimensional arrays element by element
// and answers false where the comparison itself fails.
bool VariantsEqual(const Variant& a, const Variant& b);
// The fields of `dataSet` named in `fieldNames` (separated by ";"),
// appended to `list` when one is given. A name the data set lacks raises
// EDatabaseError "Field 'X' not found", prefixed with the name of
// `component` when it has one.
void CollectFields(std::vector<TField*>* list, const TDataSet& dataSet, const TComponent* component,
                   const std::string& fieldNames);

// ----------------------------------------------------------- edit buttons

using TButtonClickEventEx = TEvent<void(TObject* Sender, bool& Handled)>;
using TButtonDownEventEx = TEvent<void(TObject* Sender, bool TopButton, bool& AutoRepeat, bool& Handled)>;

// The control that shows an edit button: a windowless speed button that
// paints the faces above, tells which half of an up/down pair is pressed
// and repeats its down event while it is held (first after 400 ms, then
// every 100 ms).
class TEditButtonControlEx : public TSpeedButton {
    MENVARO_CLASS(TEditButtonControlEx, TSpeedButton)
public:
    explicit TEditButtonControlEx(TComponent* owner);

    // Hot: a flat button shows its raised edge.
    bool Active() const { return active_; }
    void SetActive(bool v);
    TEditButtonStyleEx Style() const { return style_; }
    void SetStyle(TEditButtonStyleEx s);
    // Held down while the edit's drop-down is open.
    bool AlwaysDown() const { return alwaysDown_; }
    void SetAlwaysDown(bool v);
    int PressedPart() const { return pressedPart_; }
    // The repeat timer, made on the first press that repeats.
    TTimer* RepeatTimer() const { return timer_; }

    TButtonDownEventEx OnDown;
    // OnDown with this control as the sender.
    void DoButtonDown(bool topButton, bool& autoRepeat);
    void Click() override;
    void Dispatch(TMessage& m) override;

protected:
    void Paint() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void UpdatePressedPart(int y);

private:
    bool Pressed() const { return State() == bsDown || State() == bsExclusive; }
    void StartTimer(unsigned ms);
    void StopTimer();
    void TimerTick();

    bool active_ = false;
    bool alwaysDown_ = false;
    int pressedPart_ = bppNone;
    TEditButtonStyleEx style_ = ebsDropDownEx;
    bool noClick_ = false;
    TTimer* timer_ = nullptr;
};

// The same control for forms (the calculator's keys): Active and Style published.
class TSpeedButtonEx : public TEditButtonControlEx {
    MENVARO_CLASS(TSpeedButtonEx, TEditButtonControlEx)
public:
    using TEditButtonControlEx::TEditButtonControlEx;
};

// An edit button as the form designer sets it: an item of the edit's
// EditButtons, or the edit's own main button.
class TEditButtonEx : public TCollectionItem {
    MENVARO_CLASS(TEditButtonEx, TCollectionItem)
public:
    explicit TEditButtonEx(TCollection* collection);
    // The main button of `edit`, in no collection.
    explicit TEditButtonEx(TWinControl* edit);
    ~TEditButtonEx() override;

    // Not owned; the edit clears it when the menu goes.
    TPopupMenu* DropdownMenu() const { return dropdownMenu_; }
    void SetDropdownMenu(TPopupMenu* m) { dropdownMenu_ = m; }
    TBitmap* Glyph() const { return glyph_.get(); }
    void SetGlyph(TBitmap* b);
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& s);
    // Clamped to 1..4.
    int NumGlyphs() const { return numGlyphs_; }
    void SetNumGlyphs(int n);
    TShortCut ShortCut() const { return shortCut_; }
    void SetShortCut(TShortCut s) { shortCut_ = s; }
    TEditButtonStyleEx Style() const { return style_; }
    void SetStyle(TEditButtonStyleEx s);
    bool Visible() const { return visible_; }
    void SetVisible(bool v);
    // 0: the edit's default width.
    int Width() const { return width_; }
    void SetWidth(int w);
    TButtonClickEventEx OnClick;
    TButtonDownEventEx OnDown;

    // The edit the button belongs to: its own (main button) or its collection's.
    TWinControl* Edit() const;
    // Set by the edit: told of every change instead of the collection.
    TNotifyEvent OnInternalChange;
    // A control for this button, owned by and parented to the edit.
    virtual TEditButtonControlEx* CreateButtonControl();
    void Assign(const TPersistent* source) override;

protected:
    void Changed();

private:
    TWinControl* edit_ = nullptr;
    TPopupMenu* dropdownMenu_ = nullptr;
    std::unique_ptr<TBitmap> glyph_;
    std::string hint_;
    int numGlyphs_ = 1;
    TShortCut shortCut_ = 0;
    TEditButtonStyleEx style_ = ebsDropDownEx;
    bool visible_ = false;
    int width_ = 0;
};

// Alt+Down (32808), the drop-down buttons' shortcut.
inline constexpr TShortCut kAltDownShortCut = static_cast<TShortCut>(TShortCut{scAlt} | TShortCut{VK_DOWN});

// A drop-down button: Alt+Down presses it.
class TDropDownEditButtonEx : public TEditButtonEx {
    MENVARO_CLASS(TDropDownEditButtonEx, TEditButtonEx)
public:
    explicit TDropDownEditButtonEx(TCollection* collection);
    explicit TDropDownEditButtonEx(TWinControl* edit);
};

// An item of EditButtons: visible from the start, Alt+Down presses it.
class TVisibleEditButtonEx : public TEditButtonEx {
    MENVARO_CLASS(TVisibleEditButtonEx, TEditButtonEx)
public:
    explicit TVisibleEditButtonEx(TCollection* collection);
};

class TEditButtonsEx : public TOwnedCollection {
    MENVARO_CLASS(TEditButtonsEx, TOwnedCollection)
public:
    // `itemClass` describes TEditButtonEx or a class derived from it.
    TEditButtonsEx(TWinControl* edit, const TClassInfo& itemClass);
    TEditButtonEx* Items(int index) const;
    TEditButtonEx* Add();
    TWinControl* Edit() const { return edit_; }
    // Set by the edit: an item changed (nullptr: the list itself).
    std::function<void(TEditButtonEx* item)> OnChange;

protected:
    void Update(TCollectionItem* item) override;

private:
    TWinControl* edit_;
};

// ------------------------------------------------------------ drop-downs

// Where a drop-down `control` goes for an owner in `ownerRect` (screen
// coordinates): below it when it fits the work area of the owner's monitor,
// else above, else on the side with more room, cut to that room; aligned to
// the owner's left edge, right edge or centre and kept inside the work
// area. The control's width and height may shrink; it is sent
// MSG_POPUP_LIST for the free side vertically, then horizontally.
TPoint PlacePopup(const TRect& ownerRect, TWinControl* control, TAlignment alignment);
// PlacePopup under `edit`'s bounds.
TPoint PlacePopupUnder(const TControl* edit, TWinControl* control, TAlignment alignment);

// Corners of a size grip.
enum : int { gcTopLeft = 0, gcTopRight = 1, gcBottomRight = 2, gcBottomLeft = 3 };

// The grip in a free corner of a drop-down: dragging it resizes the
// drop-down (its parent), which stays inside the work area of its monitor.
class TSizeGripEx : public TCustomControl {
    MENVARO_CLASS(TSizeGripEx, TCustomControl)
public:
    explicit TSizeGripEx(TComponent* owner);

    int Corner() const { return corner_; }
    // Re-creates the window (its shape and cursor follow the corner).
    void SetCorner(int corner);
    // A triangle in its corner, else a square.
    bool Triangle() const { return triangle_; }
    void SetTriangle(bool v);
    void SetVisible(bool v) override;
    // The corner for the free side a drop-down was told (MSG_POPUP_LIST).
    void ChangePosition(int side);
    // Moves the grip into its corner of the parent.
    void UpdatePosition();
    // The parent's client size changed by a drag.
    TNotifyEvent OnParentResized;

    void Dispatch(TMessage& m) override;

protected:
    void CreateWnd() override;
    void Paint() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;

private:
    void UpdateRegion();
    void Drag(TPoint screen);

    TPoint start_;
    int startWidth_ = 0, startHeight_ = 0, startClientWidth_ = 0, startClientHeight_ = 0;
    TRect workArea_;
    TPoint last_{-1, -1};
    bool positioning_ = false;
    int corner_ = gcBottomRight;
    bool triangle_ = true;
};

// A list that drops down under an edit: a top-level window that never
// takes the focus yet draws as focused, with owner-drawn items (with
// images when Images is set), incremental search, hot tracking and a size
// grip. Its height is always whole rows.
class TPopupListboxEx : public TCustomListBox {
    MENVARO_CLASS(TPopupListboxEx, TCustomListBox)
public:
    explicit TPopupListboxEx(TComponent* owner);

    // Not owned; cleared when the list of images goes.
    TCustomImageList* Images() const { return images_; }
    void SetImages(TCustomImageList* images);
    // The rows that fit, set by the bounds.
    int RowCount() const { return rowCount_; }
    void SetRowCount(int rows);
    // Set on every size change; the edit reads and clears it.
    bool Resized = false;
    // 2 with Ctl3D, else 0, from the first Ctl3D change on.
    int BorderWidth() const { return borderWidth_; }
    TSizeGripEx* SizeGrip() const { return grip_; }
    const std::string& SearchText() const { return search_; }

    bool CanFocus() const override { return false; }
    void SetBounds(int left, int top, int width, int height) override;
    void Dispatch(TMessage& m) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void DrawItem(int index, const TRect& rect, TOwnerDrawState state) override;
    bool ShowsFocus() const override { return true; }
    TRect ItemFocusRect(int index, const TRect& itemRect) const override;
    void KeyPress(char& key) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    bool DoMouseWheelDown(TShiftState shift, TPoint mousePos) override;
    bool DoMouseWheelUp(TShiftState shift, TPoint mousePos) override;
    void Notification(TComponent* component, TOperation operation) override;
    // The raised border of the non-client area.
    virtual void PaintBorder();
    // The height around the rows: the frame of the window's style and the border.
    int NonClientHeight();
    // The item height the rows are counted in (at least 1).
    int RowHeight() const;

private:
    int borderWidth_ = 0;
    TCustomImageList* images_ = nullptr;
    TPoint lastMouse_{-1, -1};
    int rowCount_ = 0;
    std::string search_;
    std::uint32_t lastSearchTime_ = 0;
    TSizeGripEx* grip_ = nullptr;
};

// The list of recently used texts: a scroll bar of its own beside the rows
// (so the grip can take a corner), laid out again as the list changes.
class TMRUListboxEx : public TPopupListboxEx {
    MENVARO_CLASS(TMRUListboxEx, TPopupListboxEx)
public:
    explicit TMRUListboxEx(TComponent* owner);

    TScrollBar* ScrollBar() const { return scrollBar_; }
    // Places and shows or hides the scroll bar and shapes the grip.
    void UpdateScrollBar();
    void PlaceScrollBar();

    void Dispatch(TMessage& m) override;
    void WndProc(TMessage& m) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;

private:
    TRect ScrollBarRect();
    TScrollBar* scrollBar_ = nullptr;
    bool layout_ = false;
};

using TCloseUpEventEx = TEvent<void(TObject* Sender, bool Accept)>;

// An edit's most-recently-used texts, the newest last.
class TMRUListEx : public TPersistent {
    MENVARO_CLASS(TMRUListEx, TPersistent)
public:
    // `edit` owns the list.
    explicit TMRUListEx(TComponent* edit);
    ~TMRUListEx() override;

    bool Active() const { return active_; }
    void SetActive(bool v);
    bool CaseSensitive() const { return caseSensitive_; }
    void SetCaseSensitive(bool v) { caseSensitive_ = v; }
    TStringList* Items() const { return items_.get(); }
    void SetItems(const TStringList* items);
    int Limit() const { return limit_; }
    void SetLimit(int v);
    int Rows() const { return rows_; }
    void SetRows(int v) { rows_ = v; }

    // Adds a text (blank ones never): an equal entry moves to the end
    // instead, the oldest go beyond Limit.
    void AddRecent(const std::string& s);
    void TrimToLimit();
    virtual void CloseUp(bool accept);
    virtual void DropDown();

    TNotifyEvent OnActiveChange;
    TCloseUpEventEx OnCloseUp;
    TNotifyEvent OnDropDown;
    TComponent* Edit() const { return edit_; }
    // Kept by the edit: the width the user last dragged the list to (the
    // next drop-down is as wide as the edit's text again).
    int DropDownWidth = 0;
    bool DroppedDown = false;

    void Assign(const TPersistent* source) override;
    TPersistent* GetOwner() const override { return edit_; }

private:
    TComponent* edit_;
    bool active_ = false;
    bool caseSensitive_ = false;
    std::unique_ptr<TStringList> items_;
    int limit_ = 100;
    int rows_ = 7;
};

// Shared by the drop-downs: made top-level right after their window is
// made, keeping their bounds as screen coordinates.
void MakeTopLevelWindow(TWinControl& control);

}  // namespace menvaro

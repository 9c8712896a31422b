// TCustomListBox / TListBox: a list of text items, one of them selected.
//
// The list stands for a built-in window kind, as the edit does: the
// selection, the first item shown (TopIndex), scrolling, the keyboard, the
// mouse and the wheel are the window's own answers to the list-box messages
// (LB_*) in DefWndProc, so a descendant sees each message first. Items is
// the list's own string list; a change to it shows at once (and a Sorted
// list sorts it, letter case ignored). The window's vertical scroll bar
// shows while there are more items than rows.
//
// Every item is drawn by DrawItem: the selected one on the highlight
// colour, the focused one with a focus rectangle. With an owner-draw style
// DrawItem calls OnDrawItem when it is set; all items are ItemHeight high.
#pragma once

#include <memory>
#include <string>

#include "base/StringList.h"
#include "ui/Controls.h"

namespace menvaro {

enum TListBoxStyle { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable };
MENVARO_DECLARE_ENUM(TListBoxStyle)
enum TOwnerDrawStateFlag { odSelected, odGrayed, odDisabled, odChecked, odFocused, odDefault };
MENVARO_DECLARE_ENUM(TOwnerDrawStateFlag)
using TOwnerDrawState = TSet<TOwnerDrawStateFlag>;
using TDrawItemEvent = TEvent<void(TWinControl* Control, int Index, TRect Rect, TOwnerDrawState State)>;

class TCustomListBox : public TWinControl {
    MENVARO_CLASS(TCustomListBox, TWinControl)
public:
    explicit TCustomListBox(TComponent* owner);
    ~TCustomListBox() override;

    TStringList* Items() const { return items_.get(); }
    void SetItems(const TStringList* items);
    int Count() const { return items_->Count(); }
    // The selected item, -1 for none; setting it shows the item.
    int ItemIndex() const;
    void SetItemIndex(int index);
    // The first item shown; kept so that the last page is full.
    int TopIndex() const;
    void SetTopIndex(int index);
    // The height of every item: the font's line for lbStandard, the
    // property for the owner-draw styles.
    int ItemHeight() const;
    void SetItemHeight(int height);
    bool Sorted() const { return sorted_; }
    void SetSorted(bool v);
    TListBoxStyle Style() const { return style_; }
    void SetStyle(TListBoxStyle s);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle s);
    // Whole rows that fit the client area (at least 1).
    int RowCount() const;

    // The item at a client point; with `existing` false a point below the
    // last item gives Count, else -1.
    int ItemAtPos(TPoint p, bool existing) const;
    // The rectangle of an item in client coordinates (empty for one out
    // of range).
    TRect ItemRect(int index) const;
    void Clear();
    TCanvas* Canvas() const { return canvas_.get(); }

    TDrawItemEvent OnDrawItem;

    void Dispatch(TMessage& m) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    LRESULT DefWndProc(TMessage& m) override;
    void PaintWindow(HDC dc) override;
    // Draws one item on Canvas, prepared with the font and the brush (the
    // highlight colours for a selected item): OnDrawItem for the owner-draw
    // styles when it is set, else the text two pixels in.
    virtual void DrawItem(int index, const TRect& rect, TOwnerDrawState state);
    // Whether the items show the focus: the list has it (a drop-down list
    // that never takes the focus may show it all the same).
    virtual bool ShowsFocus() const { return Focused(); }
    // Where the focus rectangle of a focused item goes.
    virtual TRect ItemFocusRect(int, const TRect& itemRect) const { return itemRect; }

private:
    LRESULT Send(UINT msg, WPARAM w = 0, LPARAM l = 0) const;
    void ItemsChanged();
    void SortItems();
    int InsertAt(int index, const std::string& s);
    int SortedPlace(const std::string& s) const;
    void Select(int index, bool notify);
    void ScrollTo(int top);
    void MakeVisible(int index);
    int MaxTop() const;
    int FindPrefix(int start, const std::string& prefix) const;
    void UpdateScrollBar();
    void PaintItem(int index, TRect rect);

    std::unique_ptr<TStringList> items_;
    std::unique_ptr<TCanvas> canvas_;
    int itemIndex_ = -1;
    int topIndex_ = 0;
    int itemHeight_ = 16;
    bool sorted_ = false;
    TListBoxStyle style_ = lbStandard;
    TBorderStyle borderStyle_ = bsSingle;
    bool ownScrollBar_ = false;  // the window was made with WS_VSCROLL
    bool tracking_ = false;      // the left button selects while it moves
    int quiet_ = 0;              // changes of our own to Items, already shown
};

class TListBox : public TCustomListBox {
    MENVARO_CLASS(TListBox, TCustomListBox)
public:
    using TCustomListBox::TCustomListBox;
};

}  // namespace menvaro

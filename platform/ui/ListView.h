// TListView in report style: columns with a caption, a width and an
// alignment under a header, and rows of items, each a caption (the first
// column), sub-items (the other columns) and a small image before the
// caption. One row at a time is selected: by a click, or by the arrow
// keys, Home, End, Page Up and Page Down while the list has the focus.
// A double click on a row or Enter activates the selected row
// (OnItemActivate). Dragging a column's right edge in the header changes
// its width. The window's vertical scroll bar shows while there are more
// rows than fit.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/StringList.h"
#include "ui/Controls.h"

namespace menvaro {

class TCustomImageList;
class TListView;

class TListColumn {
public:
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& s);
    int Width() const { return width_; }
    void SetWidth(int w);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment a);
    int Index() const { return index_; }

private:
    friend class TListView;
    TListView* owner_ = nullptr;
    int index_ = 0;
    std::string caption_;
    int width_ = 50;
    TAlignment alignment_ = taLeftJustify;
};

class TListItem {
public:
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& s);
    TStringList& SubItems() { return subItems_; }
    const TStringList& SubItems() const { return subItems_; }
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int i);
    int Index() const { return index_; }
    bool Selected() const;
    // The text of column `column` (0: the caption); "" past the sub-items.
    std::string ColumnText(int column) const;

private:
    friend class TListView;
    TListView* owner_ = nullptr;
    int index_ = 0;
    std::string caption_;
    TStringList subItems_;
    int imageIndex_ = -1;
};

using TLVSelectItemEvent = TEvent<void(TObject* Sender, TListItem* Item, bool Selected)>;

class TListView : public TWinControl {
    MENVARO_CLASS(TListView, TWinControl)
public:
    explicit TListView(TComponent* owner);
    ~TListView() override;

    // Columns.
    TListColumn* AddColumn();
    int ColumnCount() const { return static_cast<int>(columns_.size()); }
    TListColumn* Column(int i) const { return columns_.at(static_cast<std::size_t>(i)).get(); }
    void ClearColumns();

    // Items.
    TListItem* AddItem();
    int ItemCount() const { return static_cast<int>(items_.size()); }
    TListItem* Item(int i) const { return items_.at(static_cast<std::size_t>(i)).get(); }
    void ClearItems();

    // The selected row, -1 for none; setting it shows the row.
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int index);
    TListItem* Selected() const { return itemIndex_ >= 0 ? Item(itemIndex_) : nullptr; }
    int TopIndex() const { return topIndex_; }
    void SetTopIndex(int index);
    // The selection fills the whole row, not the caption alone.
    bool RowSelect() const { return rowSelect_; }
    void SetRowSelect(bool v);
    bool ShowColumnHeaders() const { return showHeaders_; }
    void SetShowColumnHeaders(bool v);
    TCustomImageList* SmallImages() const { return smallImages_; }
    void SetSmallImages(TCustomImageList* images);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle s);

    // Geometry in client coordinates.
    int HeaderHeight() const;
    int RowHeight() const;
    int RowCount() const;  // whole rows that fit below the header (at least 1)
    TRect ItemRect(int index) const;
    // The row at a client point, -1 for none.
    int ItemAtPos(TPoint p) const;
    // A column's left and right edges.
    int ColumnLeft(int column) const;

    TLVSelectItemEvent OnSelectItem;
    TNotifyEvent OnItemActivate;

    void Dispatch(TMessage& m) override;
    void Notification(TComponent* component, TOperation operation) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    LRESULT DefWndProc(TMessage& m) override;
    void PaintWindow(HDC dc) override;
    virtual void ItemActivate();

private:
    friend class TListColumn;
    friend class TListItem;
    void Changed();
    void Select(int index);
    void MakeVisible(int index);
    void ScrollTo(int top);
    int MaxTop() const;
    void UpdateScrollBar();
    // The column whose right edge lies under x in the header, -1 for none.
    int ColumnEdgeAt(int x) const;

    std::vector<std::unique_ptr<TListColumn>> columns_;
    std::vector<std::unique_ptr<TListItem>> items_;
    std::unique_ptr<TCanvas> canvas_;
    TCustomImageList* smallImages_ = nullptr;
    int itemIndex_ = -1;
    int topIndex_ = 0;
    bool rowSelect_ = false;
    bool showHeaders_ = true;
    TBorderStyle borderStyle_ = bsSingle;
    int sizing_ = -1;  // the column whose edge the mouse drags
    int sizingGrab_ = 0;
};

}  // namespace menvaro

#include "ui/ListView.h"

#include <algorithm>

#include "ui/ImgList.h"
#include "ui/ScrollCodes.h"
#include "classes/ClassBuilder.h"
#include "ui/WindowManager.h"

namespace menvaro {

MENVARO_CLASS_INFO(TListView) {
    c.Prop("RowSelect", &TListView::RowSelect, &TListView::SetRowSelect).Default(false);
    c.Prop("ShowColumnHeaders", &TListView::ShowColumnHeaders, &TListView::SetShowColumnHeaders).Default(true);
    c.Redeclare("TabStop").Default(true);
    c.Redeclare("Color").Default(clWindow);
}

namespace {
constexpr int kEdgeGrab = 4;  // pixels either side of a column edge that grab it
constexpr int kMinColumn = 8;
}  // namespace

// ----------------------------------------------------------- columns, items

void TListColumn::SetCaption(const std::string& s) {
    caption_ = s;
    if (owner_) owner_->Changed();
}

void TListColumn::SetWidth(int w) {
    w = std::max(0, w);
    if (w == width_) return;
    width_ = w;
    if (owner_) owner_->Changed();
}

void TListColumn::SetAlignment(TAlignment a) {
    alignment_ = a;
    if (owner_) owner_->Changed();
}

void TListItem::SetCaption(const std::string& s) {
    caption_ = s;
    if (owner_) owner_->Changed();
}

void TListItem::SetImageIndex(int i) {
    imageIndex_ = i;
    if (owner_) owner_->Changed();
}

bool TListItem::Selected() const { return owner_ && owner_->ItemIndex() == index_; }

std::string TListItem::ColumnText(int column) const {
    if (column == 0) return caption_;
    return column - 1 < subItems_.Count() ? subItems_.Strings(column - 1) : std::string();
}

// ----------------------------------------------------------------- the list

TListView::TListView(TComponent* owner) : TWinControl(owner), canvas_(std::make_unique<TCanvas>()) {
    SetControlStyle({csCaptureMouse, csClickEvents, csDoubleClicks, csOpaque});
    SetBounds(0, 0, 250, 150);
    SetTabStop(true);
    SetColor(clWindow);
}

TListView::~TListView() = default;

TListColumn* TListView::AddColumn() {
    auto c = std::make_unique<TListColumn>();
    c->owner_ = this;
    c->index_ = ColumnCount();
    columns_.push_back(std::move(c));
    Changed();
    return columns_.back().get();
}

void TListView::ClearColumns() {
    columns_.clear();
    Changed();
}

TListItem* TListView::AddItem() {
    auto i = std::make_unique<TListItem>();
    i->owner_ = this;
    i->index_ = ItemCount();
    i->subItems_.OnChange = [this](TStringList&) { Changed(); };
    items_.push_back(std::move(i));
    Changed();
    return items_.back().get();
}

void TListView::ClearItems() {
    items_.clear();
    itemIndex_ = -1;
    topIndex_ = 0;
    Changed();
}

void TListView::Changed() {
    UpdateScrollBar();
    Invalidate();
}

void TListView::SetItemIndex(int index) {
    if (index < -1 || index >= ItemCount()) index = -1;
    Select(index);
}

void TListView::Select(int index) {
    if (index == itemIndex_) {
        MakeVisible(index);
        return;
    }
    TListItem* old = Selected();
    itemIndex_ = index;
    MakeVisible(index);
    Invalidate();
    if (old && OnSelectItem) OnSelectItem(this, old, false);
    if (TListItem* now = Selected(); now && OnSelectItem) OnSelectItem(this, now, true);
}

void TListView::SetTopIndex(int index) { ScrollTo(index); }

void TListView::SetRowSelect(bool v) {
    rowSelect_ = v;
    Invalidate();
}

void TListView::SetShowColumnHeaders(bool v) {
    showHeaders_ = v;
    Changed();
}

void TListView::SetSmallImages(TCustomImageList* images) {
    if (images == smallImages_) return;
    if (smallImages_) smallImages_->RemoveFreeNotification(this);
    smallImages_ = images;
    if (images) images->FreeNotification(this);
    Changed();
}

void TListView::Notification(TComponent* component, TOperation operation) {
    TWinControl::Notification(component, operation);
    if (operation == opRemove && component == smallImages_) {
        smallImages_ = nullptr;
        Invalidate();
    }
}

void TListView::SetBorderStyle(TBorderStyle s) {
    if (s == borderStyle_) return;
    borderStyle_ = s;
    if (HandleAllocated()) RecreateWnd();
}

int TListView::HeaderHeight() const {
    if (!showHeaders_) return 0;
    canvas_->Font().Assign(*Font());
    return canvas_->TextMetrics().Height + 6;
}

int TListView::RowHeight() const {
    canvas_->Font().Assign(*Font());
    int h = canvas_->TextMetrics().Height + 2;
    if (smallImages_) h = std::max(h, smallImages_->Height() + 1);
    return h;
}

int TListView::RowCount() const { return std::max(1, (ClientRect().Height() - HeaderHeight()) / RowHeight()); }

int TListView::MaxTop() const { return std::max(0, ItemCount() - RowCount()); }

int TListView::ColumnLeft(int column) const {
    int x = 0;
    for (int i = 0; i < column && i < ColumnCount(); ++i) x += Column(i)->Width();
    return x;
}

TRect TListView::ItemRect(int index) const {
    if (index < 0 || index >= ItemCount()) return {};
    int y = HeaderHeight() + (index - topIndex_) * RowHeight();
    int right = std::max(ClientRect().Right, ColumnLeft(ColumnCount()));
    return {0, y, right, y + RowHeight()};
}

int TListView::ItemAtPos(TPoint p) const {
    if (p.Y < HeaderHeight() || p.X < 0) return -1;
    int i = topIndex_ + (p.Y - HeaderHeight()) / RowHeight();
    return i < ItemCount() ? i : -1;
}

int TListView::ColumnEdgeAt(int x) const {
    for (int i = ColumnCount() - 1; i >= 0; --i) {
        int edge = ColumnLeft(i + 1);
        if (x >= edge - kEdgeGrab && x <= edge + kEdgeGrab) return i;
    }
    return -1;
}

void TListView::MakeVisible(int index) {
    if (index < 0) return;
    if (index < topIndex_)
        ScrollTo(index);
    else if (index >= topIndex_ + RowCount())
        ScrollTo(index - RowCount() + 1);
}

void TListView::ScrollTo(int top) {
    top = std::clamp(top, 0, MaxTop());
    if (top == topIndex_) return;
    topIndex_ = top;
    UpdateScrollBar();
    Invalidate();
}

void TListView::UpdateScrollBar() {
    if (!HandleAllocated()) return;
    TScrollInfo info;
    info.fMask = SIF_ALL;
    info.nMax = std::max(0, ItemCount() - 1);
    info.nPage = static_cast<UINT>(RowCount());
    info.nPos = topIndex_;
    SetScrollInfo(WindowHandle(), SB_VERT, info, true);
}

void TListView::ItemActivate() {
    if (Selected() && OnItemActivate) OnItemActivate(this);
}

// ------------------------------------------------------------- the window

void TListView::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.Style |= WS_VSCROLL;
    if (borderStyle_ == bsSingle) {
        if (Ctl3D())
            p.ExStyle |= WS_EX_CLIENTEDGE;
        else
            p.Style |= WS_BORDER;
    }
}

void TListView::CreateWnd() {
    TWinControl::CreateWnd();
    UpdateScrollBar();
}

void TListView::Dispatch(TMessage& m) {
    switch (m.Msg) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_MOUSEMOVE:
        case WM_LBUTTONUP:
            // The window's own handling (selection, focus, sizing) comes first.
            DefaultHandler(m);
            TWinControl::Dispatch(m);
            if (m.Msg == WM_LBUTTONDBLCLK && ItemAtPos({GetXLParam(m.LParam), GetYLParam(m.LParam)}) >= 0)
                ItemActivate();
            return;
        case WM_ERASEBKGND: m.Result = 1; return;
        case CM_FONTCHANGED:
            TWinControl::Dispatch(m);
            Changed();
            return;
        default: TWinControl::Dispatch(m);
    }
}

LRESULT TListView::DefWndProc(TMessage& m) {
    switch (m.Msg) {
        case WM_GETDLGCODE: return DLGC_WANTARROWS;
        case WM_KEYDOWN: {
            int page = std::max(1, RowCount() - 1);
            int n = ItemCount();
            if (n == 0) break;
            int cur = itemIndex_;
            switch (m.WParam) {
                case VK_UP: Select(std::max(0, cur - 1)); return 0;
                case VK_DOWN: Select(std::min(n - 1, cur + 1)); return 0;
                case VK_PRIOR: Select(std::max(0, cur - page)); return 0;
                case VK_NEXT: Select(std::min(n - 1, std::max(0, cur) + page)); return 0;
                case VK_HOME: Select(0); return 0;
                case VK_END: Select(n - 1); return 0;
                case VK_RETURN: ItemActivate(); return 0;
                default: break;
            }
            break;
        }
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: {
            if (!Focused() && CanFocus()) SetFocus();
            TPoint p{GetXLParam(m.LParam), GetYLParam(m.LParam)};
            if (p.Y < HeaderHeight()) {
                sizing_ = ColumnEdgeAt(p.X);
                if (sizing_ >= 0) sizingGrab_ = p.X - ColumnLeft(sizing_ + 1);
                return 0;
            }
            int i = ItemAtPos(p);
            if (i >= 0) Select(i);
            return 0;
        }
        case WM_MOUSEMOVE:
            if (sizing_ >= 0 && (m.WParam & MK_LBUTTON)) {
                int x = GetXLParam(m.LParam) - sizingGrab_;
                Column(sizing_)->SetWidth(std::max(kMinColumn, x - ColumnLeft(sizing_)));
            }
            return 0;
        case WM_LBUTTONUP:
        case WM_CANCELMODE: sizing_ = -1; break;
        case WM_SETCURSOR:
            if (HandleAllocated() && LoWord(m.LParam) == HTCLIENT) {
                TPoint p = ScreenToClient(GetCursorPos());
                if (sizing_ >= 0 || (p.Y < HeaderHeight() && ColumnEdgeAt(p.X) >= 0)) {
                    ::menvaro::SetCursor(crHSplit);
                    return 1;
                }
            }
            break;
        case WM_MOUSEWHEEL: {
            int notches = static_cast<std::int16_t>(HiWord(m.WParam)) / 120;
            ScrollTo(topIndex_ - notches * 3);
            return 1;
        }
        case WM_VSCROLL:
            ScrollTo(ScrollCodePosition(m.WParam, topIndex_, 1, std::max(1, RowCount() - 1), MaxTop()));
            return 0;
        case WM_SIZE:
            ScrollTo(topIndex_);
            UpdateScrollBar();
            Invalidate();
            break;
        case WM_SETFOCUS:
        case WM_KILLFOCUS: Invalidate(); return 0;
        default: break;
    }
    if (!HandleAllocated()) return 0;
    return TWinControl::DefWndProc(m);
}

void TListView::PaintWindow(HDC dc) {
    TCanvasOnDC bound(*canvas_, dc, this);
    TCanvas& c = *canvas_;
    const TRect client = ClientRect();
    c.Font().Assign(*Font());
    c.Brush().SetStyle(bsSolid);
    c.Brush().SetColor(Color());
    c.FillRect(client);
    const int hh = HeaderHeight();
    const int rh = RowHeight();
    const unsigned align[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
    // The header: a raised button a column, and one over the rest.
    if (hh > 0) {
        int x = 0;
        for (int i = 0; i <= ColumnCount(); ++i) {
            int w = i < ColumnCount() ? Column(i)->Width() : std::max(0, client.Right - x);
            TRect r{x, 0, x + w, hh};
            c.Brush().SetStyle(bsSolid);
            c.Brush().SetColor(clBtnFace);
            c.FillRect(r);
            c.DrawEdge(r, EDGE_RAISED, BF_RECT);
            if (i < ColumnCount()) {
                TRect t{r.Left + 6, r.Top, r.Right - 6, r.Bottom};
                c.Brush().SetStyle(bsClear);
                c.Font().SetColor(clBtnText);
                c.DrawText(Column(i)->Caption(), t,
                           align[Column(i)->Alignment()] | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
            }
            x += w;
        }
    }
    c.IntersectClipRect({0, hh, client.Right, client.Bottom});
    const bool focused = Focused();
    for (int i = topIndex_, y = hh; i < ItemCount() && y < client.Bottom; ++i, y += rh) {
        const TListItem& item = *Item(i);
        const bool selected = i == itemIndex_;
        int imageW = smallImages_ ? smallImages_->Width() + 2 : 0;
        TRect sel{0, y, rowSelect_ ? std::max(client.Right, ColumnLeft(ColumnCount())) : 0, y + rh};
        if (!rowSelect_) {
            c.Font().Assign(*Font());
            int w = ColumnCount() > 0 ? Column(0)->Width() : client.Right;
            sel.Left = 2 + imageW;
            sel.Right = std::min(w, sel.Left + c.TextWidth(item.Caption()) + 4);
        }
        if (selected) {
            c.Brush().SetStyle(bsSolid);
            c.Brush().SetColor(focused ? clHighlight : clBtnFace);
            c.FillRect(sel);
        }
        if (smallImages_ && item.ImageIndex() >= 0 && item.ImageIndex() < smallImages_->Count())
            smallImages_->Draw(c, 2, y + (rh - smallImages_->Height()) / 2, item.ImageIndex(), Enabled());
        for (int col = 0; col < std::max(1, ColumnCount()); ++col) {
            int left = ColumnLeft(col), right = ColumnCount() ? ColumnLeft(col + 1) : client.Right;
            TRect t{left + 6, y, right - 6, y + rh};
            if (col == 0) t.Left = left + 4 + imageW;
            bool onSel = selected && (rowSelect_ || col == 0);
            c.Brush().SetStyle(bsClear);
            c.Font().SetColor(!Enabled() ? clGrayText : onSel && focused ? clHighlightText : Font()->Color());
            unsigned a = ColumnCount() ? align[Column(col)->Alignment()] : DT_LEFT;
            c.DrawText(item.ColumnText(col), t, a | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
        }
        if (selected && focused) c.DrawFocusRect(sel);
    }
}

}  // namespace menvaro

// TCustomListBox: the list-box window's behaviour (DefWndProc) over the
// control's Items, selection and top index.
#include "ui/ListBox.h"

#include <algorithm>
#include <numeric>

#include "base/Strings.h"
#include "classes/ClassBuilder.h"

namespace menvaro {

MENVARO_DEFINE_ENUM(TListBoxStyle, lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable)
MENVARO_DEFINE_ENUM(TOwnerDrawStateFlag, odSelected, odGrayed, odDisabled, odChecked, odFocused, odDefault)

MENVARO_CLASS_INFO(TCustomListBox) {
    c.Prop("BorderStyle", &TCustomListBox::BorderStyle, &TCustomListBox::SetBorderStyle).Default(bsSingle);
    c.Prop("ItemHeight", &TCustomListBox::ItemHeight, &TCustomListBox::SetItemHeight)
        .Default(16)
        .Stored([](const TCustomListBox& l) { return l.Style() != lbStandard; });
    c.Prop("Items", &TCustomListBox::Items, &TCustomListBox::SetItems);
    c.Prop("Sorted", &TCustomListBox::Sorted, &TCustomListBox::SetSorted).Default(false);
    c.Prop("Style", &TCustomListBox::Style, &TCustomListBox::SetStyle).Default(lbStandard);
    c.Redeclare("TabStop").Default(true);
    c.Event("OnDrawItem", &TCustomListBox::OnDrawItem);
}

MENVARO_CLASS_INFO(TListBox) {}

TCustomListBox::TCustomListBox(TComponent* owner)
    : TWinControl(owner), items_(std::make_unique<TStringList>()), canvas_(std::make_unique<TCanvas>()) {
    SetControlStyle({csSetCaption, csDoubleClicks, csOpaque});
    SetBounds(0, 0, 121, 97);
    SetTabStop(true);
    SetParentColor(false);
    SetColor(clWindow);
    items_->OnChange = [this](TStringList&) { ItemsChanged(); };
}

TCustomListBox::~TCustomListBox() { items_->OnChange = nullptr; }

// ------------------------------------------------------------- the window

void TCustomListBox::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.Style |= WS_VSCROLL;
    p.Style |= LBS_HASSTRINGS | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
    if (sorted_) p.Style |= LBS_SORT;
    if (style_ == lbOwnerDrawFixed) p.Style |= LBS_OWNERDRAWFIXED;
    if (style_ == lbOwnerDrawVariable) p.Style |= LBS_OWNERDRAWVARIABLE;
    if (borderStyle_ == bsSingle) {
        if (Ctl3D())
            p.ExStyle |= WS_EX_CLIENTEDGE;
        else
            p.Style |= WS_BORDER;
    }
}

void TCustomListBox::CreateWnd() {
    TWinControl::CreateWnd();
    // A descendant that took WS_VSCROLL out keeps a bar of its own.
    ownScrollBar_ = (GetWindowLong(WindowHandle(), GWL_STYLE) & WS_VSCROLL) != 0;
    ScrollTo(topIndex_);
    UpdateScrollBar();
}

// The window's state changes with or without the window: without one the
// message goes straight to the list's own handling.
LRESULT TCustomListBox::Send(UINT msg, WPARAM w, LPARAM l) const {
    auto* self = const_cast<TCustomListBox*>(this);
    if (HandleAllocated()) return self->Perform(msg, w, l);
    TMessage m{msg, w, l, 0};
    return self->DefWndProc(m);
}

// ------------------------------------------------------------- properties

void TCustomListBox::SetItems(const TStringList* items) {
    if (items) items_->Assign(*items);
}

int TCustomListBox::ItemIndex() const { return static_cast<int>(Send(LB_GETCURSEL)); }

void TCustomListBox::SetItemIndex(int index) {
    if (index != ItemIndex()) Send(LB_SETCURSEL, static_cast<WPARAM>(index));
}

int TCustomListBox::TopIndex() const { return static_cast<int>(Send(LB_GETTOPINDEX)); }

void TCustomListBox::SetTopIndex(int index) {
    if (index != TopIndex()) Send(LB_SETTOPINDEX, static_cast<WPARAM>(index));
}

int TCustomListBox::ItemHeight() const { return static_cast<int>(Send(LB_GETITEMHEIGHT)); }

void TCustomListBox::SetItemHeight(int height) {
    if (height <= 0 || height == itemHeight_) return;
    itemHeight_ = height;
    if (style_ != lbStandard) {
        ScrollTo(topIndex_);
        UpdateScrollBar();
        Invalidate();
    }
}

void TCustomListBox::SetSorted(bool v) {
    if (v == sorted_) return;
    sorted_ = v;
    if (v) SortItems();
    Invalidate();
}

void TCustomListBox::SetStyle(TListBoxStyle s) {
    if (s == style_) return;
    style_ = s;
    RecreateWnd();
    ScrollTo(topIndex_);
    UpdateScrollBar();
    Invalidate();
}

void TCustomListBox::SetBorderStyle(TBorderStyle s) {
    if (s != bsNone && s != bsSingle) s = bsSingle;
    if (s == borderStyle_) return;
    borderStyle_ = s;
    RecreateWnd();
}

int TCustomListBox::RowCount() const { return std::max(1, ClientHeight() / std::max(1, ItemHeight())); }

int TCustomListBox::ItemAtPos(TPoint p, bool existing) const {
    if (!ClientRect().Contains(p)) return -1;
    int i = topIndex_ + p.Y / std::max(1, ItemHeight());
    if (i < Count()) return i;
    return existing ? -1 : Count();
}

TRect TCustomListBox::ItemRect(int index) const {
    TRect r;
    if (index >= 0 && index <= Count()) Send(LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
    return r;
}

void TCustomListBox::Clear() { Send(LB_RESETCONTENT); }

// ------------------------------------------------------------ the content

void TCustomListBox::ItemsChanged() {
    if (quiet_) return;
    if (sorted_) SortItems();
    if (itemIndex_ >= Count()) itemIndex_ = -1;
    ScrollTo(topIndex_);
    UpdateScrollBar();
    Invalidate();
}

// A stable sort, letter case ignored; the selected item stays selected.
void TCustomListBox::SortItems() {
    const int n = Count();
    std::vector<int> order(static_cast<std::size_t>(n));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [this](int a, int b) { return CompareText((*items_)[a], (*items_)[b]) < 0; });
    if (std::is_sorted(order.begin(), order.end())) return;
    TStringList sorted;
    int selected = -1;
    for (int k = 0; k < n; ++k) {
        int from = order[static_cast<std::size_t>(k)];
        sorted.AddObject((*items_)[from], items_->Objects(from));
        if (from == itemIndex_) selected = k;
    }
    ++quiet_;
    items_->Assign(sorted);
    --quiet_;
    itemIndex_ = selected;
    Invalidate();
}

int TCustomListBox::SortedPlace(const std::string& s) const {
    int i = 0;
    while (i < Count() && CompareText((*items_)[i], s) <= 0) ++i;
    return i;
}

int TCustomListBox::InsertAt(int index, const std::string& s) {
    ++quiet_;
    items_->Insert(index, s);
    --quiet_;
    if (itemIndex_ >= index) ++itemIndex_;
    UpdateScrollBar();
    Invalidate();
    return index;
}

int TCustomListBox::FindPrefix(int start, const std::string& prefix) const {
    const int n = Count();
    // A start outside the list (-1, or 0xFFFF in a shorter list) searches
    // from the top.
    int first = start < 0 || start >= n ? 0 : start + 1;
    for (int k = 0; k < n; ++k) {
        int i = (first + k) % n;
        if (StartsText(prefix, (*items_)[i])) return i;
    }
    return -1;
}

// ------------------------------------------------- selection and scrolling

void TCustomListBox::Select(int index, bool notify) {
    if (index < -1 || index >= Count()) index = -1;
    if (index == itemIndex_) {
        MakeVisible(index);
        return;
    }
    itemIndex_ = index;
    MakeVisible(index);
    Invalidate();
    if (notify && HandleAllocated() && !ComponentState().Contains(csLoading))
        Perform(CN_COMMAND, MakeWParam(0, LBN_SELCHANGE), static_cast<LPARAM>(WindowHandle()));
}

int TCustomListBox::MaxTop() const { return std::max(0, Count() - RowCount()); }

void TCustomListBox::ScrollTo(int top) {
    top = std::clamp(top, 0, MaxTop());
    if (top == topIndex_) return;
    topIndex_ = top;
    UpdateScrollBar();
    Invalidate();
}

void TCustomListBox::MakeVisible(int index) {
    if (index < 0) return;
    if (index < topIndex_)
        ScrollTo(index);
    else if (index >= topIndex_ + RowCount())
        ScrollTo(index - RowCount() + 1);
}

void TCustomListBox::UpdateScrollBar() {
    if (!ownScrollBar_ || !HandleAllocated()) return;
    TScrollInfo info;
    info.fMask = SIF_ALL;
    info.nMin = 0;
    info.nMax = Count() - 1;
    info.nPage = static_cast<UINT>(RowCount());
    info.nPos = topIndex_;
    SetScrollInfo(WindowHandle(), SB_VERT, info, true);
}

// --------------------------------------------------------------- messages

void TCustomListBox::Dispatch(TMessage& m) {
    switch (m.Msg) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_MOUSEMOVE:
        case WM_LBUTTONUP:
            // The window's own handling (selection, focus) comes before the
            // control's mouse events.
            DefaultHandler(m);
            TWinControl::Dispatch(m);
            return;
        case CN_COMMAND:
            if (HiWord(m.WParam) == LBN_SELCHANGE) Click();
            return;
        case CM_FONTCHANGED:
            TWinControl::Dispatch(m);
            ScrollTo(topIndex_);
            UpdateScrollBar();
            return;
        case CM_CTL3DCHANGED:
            RecreateWnd();
            TWinControl::Dispatch(m);
            return;
        case WM_ERASEBKGND: m.Result = 1; return;
        default: TWinControl::Dispatch(m);
    }
}

LRESULT TCustomListBox::DefWndProc(TMessage& m) {
    const int n = Count();
    auto text = [&]() { return std::string(m.LParam ? reinterpret_cast<const char*>(m.LParam) : ""); };
    auto index = static_cast<int>(static_cast<std::intptr_t>(m.WParam));
    switch (m.Msg) {
        case LB_ADDSTRING: {
            std::string s = text();
            return InsertAt(sorted_ ? SortedPlace(s) : n, s);
        }
        case LB_INSERTSTRING:
            if (index < -1 || index > n) return LB_ERR;
            return InsertAt(index < 0 ? n : index, text());
        case LB_DELETESTRING:
            if (index < 0 || index >= n) return LB_ERR;
            ++quiet_;
            items_->Delete(index);
            --quiet_;
            if (itemIndex_ == index)
                itemIndex_ = -1;
            else if (itemIndex_ > index)
                --itemIndex_;
            ScrollTo(topIndex_);
            UpdateScrollBar();
            Invalidate();
            return Count();
        case LB_RESETCONTENT:
            ++quiet_;
            items_->Clear();
            --quiet_;
            itemIndex_ = -1;
            topIndex_ = 0;
            UpdateScrollBar();
            Invalidate();
            return 0;
        case LB_GETCOUNT: return n;
        case LB_GETTEXT:
            if (index < 0 || index >= n) return LB_ERR;
            if (m.LParam) *reinterpret_cast<std::string*>(m.LParam) = (*items_)[index];
            return static_cast<LRESULT>((*items_)[index].size());
        case LB_GETTEXTLEN:
            if (index < 0 || index >= n) return LB_ERR;
            return static_cast<LRESULT>((*items_)[index].size());
        case LB_GETITEMDATA:
            if (index < 0 || index >= n) return LB_ERR;
            return reinterpret_cast<LRESULT>(items_->Objects(index));
        case LB_SETITEMDATA:
            if (index < 0 || index >= n) return LB_ERR;
            ++quiet_;
            items_->SetObjects(index, reinterpret_cast<void*>(m.LParam));
            --quiet_;
            return 0;
        case LB_SETCURSEL:
            Select(index, false);
            if (index < 0 || index >= n) return LB_ERR;
            return index;
        case LB_GETCURSEL:
        case LB_GETCARETINDEX: return itemIndex_;
        case LB_SETCARETINDEX:
            if (index < 0 || index >= n) return LB_ERR;
            MakeVisible(index);
            return 0;
        case LB_SETTOPINDEX:
            if (index < 0 || (index >= n && n > 0)) return LB_ERR;
            ScrollTo(index);
            return 0;
        case LB_GETTOPINDEX: return topIndex_;
        case LB_FINDSTRING: return FindPrefix(index, text());
        case LB_FINDSTRINGEXACT: {
            std::string s = text();
            int first = index < 0 || index >= n ? 0 : index + 1;
            for (int k = 0; k < n; ++k)
                if (SameText((*items_)[(first + k) % n], s)) return (first + k) % n;
            return LB_ERR;
        }
        case LB_SELECTSTRING: {
            int found = FindPrefix(index, text());
            if (found < 0) return LB_ERR;
            Select(found, false);
            return found;
        }
        case LB_GETITEMHEIGHT: {
            if (style_ != lbStandard) return itemHeight_;
            canvas_->Font().Assign(*Font());
            return canvas_->TextMetrics().Height;
        }
        case LB_SETITEMHEIGHT: SetItemHeight(static_cast<int>(m.LParam & 0xFFFF)); return 0;
        case LB_GETITEMRECT: {
            if (index < 0 || index > n || !m.LParam) return LB_ERR;
            int ih = ItemHeight();
            *reinterpret_cast<TRect*>(m.LParam) = Bounds(0, (index - topIndex_) * ih, ClientWidth(), ih);
            return 1;
        }
        case LB_ITEMFROMPOINT: {
            TPoint p{GetXLParam(m.LParam), GetYLParam(m.LParam)};
            int i = topIndex_ + std::max(0, p.Y) / std::max(1, ItemHeight());
            bool outside = !ClientRect().Contains(p) || i >= n;
            return static_cast<LRESULT>(MakeWParam(std::clamp(i, 0, std::max(0, n - 1)), outside ? 1 : 0));
        }
        case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
        case WM_KEYDOWN: {
            int page = std::max(1, RowCount() - 1);
            int cur = itemIndex_, next;
            switch (m.WParam) {
                case VK_UP:
                case VK_LEFT: next = cur < 0 ? 0 : cur - 1; break;
                case VK_DOWN:
                case VK_RIGHT: next = cur < 0 ? 0 : cur + 1; break;
                case VK_PRIOR: next = cur < 0 ? 0 : cur - page; break;
                case VK_NEXT: next = cur < 0 ? 0 : cur + page; break;
                case VK_HOME: next = 0; break;
                case VK_END: next = n - 1; break;
                default: return TWinControl::DefWndProc(m);
            }
            if (n > 0) Select(std::clamp(next, 0, n - 1), true);
            return 0;
        }
        case WM_CHAR: {
            // A typed letter chooses the next item that begins with it.
            auto ch = static_cast<unsigned char>(m.WParam & 0xFF);
            if (ch < 32 || ch >= 0x80 || n == 0) return 0;
            int found = FindPrefix(itemIndex_, std::string(1, static_cast<char>(ch)));
            if (found >= 0) Select(found, true);
            return 0;
        }
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: {
            if (!Focused() && CanFocus()) SetFocus();
            int i = ItemAtPos({GetXLParam(m.LParam), GetYLParam(m.LParam)}, true);
            if (i >= 0) Select(i, true);
            tracking_ = true;
            if (HandleAllocated()) SetCapture(WindowHandle());
            return 0;
        }
        case WM_MOUSEMOVE: {
            if (!tracking_ || !(m.WParam & MK_LBUTTON) || n == 0) return 0;
            int y = GetYLParam(m.LParam), ih = std::max(1, ItemHeight());
            // Above or below the list the selection moves on, scrolling.
            int i = y < 0 ? topIndex_ - 1 : topIndex_ + std::min(y, ClientHeight() - 1) / ih;
            if (y >= ClientHeight()) i = topIndex_ + RowCount();
            Select(std::clamp(i, 0, n - 1), true);
            return 0;
        }
        case WM_LBUTTONUP:
        case WM_CANCELMODE:
            tracking_ = false;
            if (HandleAllocated() && GetCapture() == WindowHandle()) ReleaseCapture();
            return 0;
        case WM_MOUSEWHEEL: {
            int notches = static_cast<std::int16_t>(HiWord(m.WParam)) / 120;
            int lines = std::min(3, std::max(1, RowCount() - 1));
            ScrollTo(topIndex_ - notches * lines);
            return 1;
        }
        case WM_VSCROLL: {
            int page = std::max(1, RowCount() - 1);
            switch (LoWord(m.WParam)) {
                case SB_LINEUP: ScrollTo(topIndex_ - 1); break;
                case SB_LINEDOWN: ScrollTo(topIndex_ + 1); break;
                case SB_PAGEUP: ScrollTo(topIndex_ - page); break;
                case SB_PAGEDOWN: ScrollTo(topIndex_ + page); break;
                case SB_THUMBPOSITION:
                case SB_THUMBTRACK: {
                    int pos = HiWord(m.WParam);
                    // Past sixteen bits the notice cannot say; the bar can.
                    TScrollInfo info;
                    info.fMask = SIF_TRACKPOS;
                    if (n > 0xFFFF && ownScrollBar_ && HandleAllocated() &&
                        GetScrollInfo(WindowHandle(), SB_VERT, info))
                        pos = info.nTrackPos;
                    ScrollTo(pos);
                    break;
                }
                case SB_TOP: ScrollTo(0); break;
                case SB_BOTTOM: ScrollTo(MaxTop()); break;
                default: break;
            }
            return 0;
        }
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

// --------------------------------------------------------------- painting

void TCustomListBox::PaintWindow(HDC dc) {
    TCanvasOnDC bound(*canvas_, dc, this);
    TCanvas& c = *canvas_;
    const TRect client = ClientRect();
    const int ih = std::max(1, ItemHeight());
    int y = 0;
    for (int i = topIndex_; i < Count() && y < client.Bottom; ++i, y += ih) PaintItem(i, {0, y, client.Right, y + ih});
    c.Brush().SetStyle(bsSolid);
    c.Brush().SetColor(Color());
    c.FillRect({0, y, client.Right, client.Bottom});
}

void TCustomListBox::PaintItem(int index, TRect rect) {
    TCanvas& c = *canvas_;
    TOwnerDrawState state;
    if (index == itemIndex_) state += odSelected;
    if (ShowsFocus() && index == std::max(0, itemIndex_)) state += odFocused;
    if (!Enabled()) state += odDisabled;
    TCanvasStateSaver saved(c);
    c.Font().Assign(*Font());
    c.Brush().SetStyle(bsSolid);
    c.Brush().SetColor(Color());
    if (state.Contains(odSelected)) {
        c.Brush().SetColor(clHighlight);
        c.Font().SetColor(clHighlightText);
    } else if (!Enabled()) {
        c.Font().SetColor(clGrayText);
    }
    DrawItem(index, rect, state);
    if (state.Contains(odFocused)) c.DrawFocusRect(ItemFocusRect(index, rect));
}

void TCustomListBox::DrawItem(int index, const TRect& rect, TOwnerDrawState state) {
    if (style_ != lbStandard && OnDrawItem) {
        OnDrawItem(this, index, rect, state);
        return;
    }
    TCanvas& c = *canvas_;
    c.FillRect(rect);
    if (index >= 0 && index < Count()) {
        TCanvasStateSaver saved(c);
        c.IntersectClipRect(rect);
        c.Brush().SetStyle(bsClear);
        c.TextOut(rect.Left + 2, rect.Top, (*items_)[index]);
    }
}

}  // namespace menvaro

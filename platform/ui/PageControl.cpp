#include "ui/PageControl.h"

#include <algorithm>

#include "classes/ClassBuilder.h"
#include "ui/Forms.h"

namespace menvaro {

MENVARO_DEFINE_ENUM(TTabPosition, tpTop, tpBottom)

namespace {
// The selected tab stands out by this much on three sides.
constexpr int kSelectedGrow = 2;
// The pages sit this far inside the frame.
constexpr int kDisplayInset = 4;
constexpr int kFirstTabLeft = 2;

void Line(TCanvas& c, int l, int t, int r, int b, TColor colour) {
    c.Brush().SetColor(colour);
    c.FillRect(Rect(l, t, r, b));
}
}  // namespace

// ---------------------------------------------------------------- TTabSheet

MENVARO_CLASS_INFO(TTabSheet) {
    c.Prop("PageControl", &TTabSheet::PageControl, &TTabSheet::SetPageControl).Stored(false);
    c.Prop("PageIndex", &TTabSheet::PageIndex, &TTabSheet::SetPageIndex).Stored(false);
    c.Prop("TabVisible", &TTabSheet::TabVisible, &TTabSheet::SetTabVisible).Default(true);
    // The page control decides which page shows, and where.
    c.Redeclare("Visible").Stored(false);
    c.Redeclare("Left").Stored(false);
    c.Redeclare("Top").Stored(false);
    c.Redeclare("Width").Stored(false);
    c.Redeclare("Height").Stored(false);
    c.Redeclare("Color").Default(clBtnFace);
    c.Event("OnShow", &TTabSheet::OnShow);
    c.Event("OnHide", &TTabSheet::OnHide);
}

TTabSheet::TTabSheet(TComponent* owner) : TWinControl(owner) {
    SetControlStyle(ControlStyle() + csAcceptsControls);
    SetColor(clBtnFace);
    SetVisible(false);
}

void TTabSheet::SetParent(TWinControl* parent) {
    auto* pc = dynamic_cast<TPageControl*>(parent);
    if (pageControl_ && pageControl_ != pc) {
        TPageControl* old = pageControl_;
        pageControl_ = nullptr;
        old->RemovePage(this);
    }
    TWinControl::SetParent(parent);
    if (pc && pageControl_ != pc) {
        pageControl_ = pc;
        pc->InsertPage(this);
    }
}

void TTabSheet::SetPageControl(TPageControl* control) { SetParent(control); }

int TTabSheet::PageIndex() const {
    if (!pageControl_) return -1;
    const auto& pages = pageControl_->pages_;
    return static_cast<int>(std::find(pages.begin(), pages.end(), this) - pages.begin());
}

void TTabSheet::SetPageIndex(int index) {
    if (pageControl_) pageControl_->MovePage(this, index);
}

int TTabSheet::TabIndex() const {
    if (!pageControl_ || !tabVisible_) return -1;
    std::vector<TTabSheet*> tabs = pageControl_->VisibleTabs();
    return static_cast<int>(std::find(tabs.begin(), tabs.end(), this) - tabs.begin());
}

void TTabSheet::SetTabVisible(bool v) {
    if (v == tabVisible_) return;
    tabVisible_ = v;
    if (pageControl_) pageControl_->TabsChanged();
}

void TTabSheet::Dispatch(TMessage& m) {
    if (m.Msg == CM_TEXTCHANGED && pageControl_) pageControl_->TabsChanged();
    TWinControl::Dispatch(m);
}

// -------------------------------------------------------------- TPageControl

MENVARO_CLASS_INFO(TPageControl) {
    c.Prop("ActivePage", &TPageControl::ActivePage, &TPageControl::SetActivePage);
    c.Prop("TabPosition", &TPageControl::TabPosition, &TPageControl::SetTabPosition).Default(tpTop);
    c.Prop("TabHeight", &TPageControl::TabHeight, &TPageControl::SetTabHeight).Default(0);
    c.Prop("TabWidth", &TPageControl::TabWidth, &TPageControl::SetTabWidth).Default(0);
    c.Redeclare("TabStop").Default(true);
    c.Redeclare("Color").Default(clBtnFace);
    c.Event("OnChange", &TPageControl::OnChange);
    c.Event("OnChanging", &TPageControl::OnChanging);
}

TPageControl::TPageControl(TComponent* owner) : TCustomControl(owner) {
    SetControlStyle(ControlStyle() + csAcceptsControls);
    SetColor(clBtnFace);
    SetTabStop(true);
    SetBounds(0, 0, 289, 193);
}

void TPageControl::BeforeDestruction() {
    // The pages outlive their page control when their owner frees it first.
    for (TTabSheet* p : pages_) p->pageControl_ = nullptr;
    pages_.clear();
    activePage_ = nullptr;
    TCustomControl::BeforeDestruction();
}

void TPageControl::InsertPage(TTabSheet* page) {
    pages_.push_back(page);
    page->SetVisible(false);
    page->SetBoundsRect(DisplayRect());
    if (!activePage_ && !ComponentState().Contains(csLoading) && page->TabVisible()) SetActivePage(page);
    TabsChanged();
}

void TPageControl::RemovePage(TTabSheet* page) {
    TTabSheet* next = page == activePage_ ? FindNextPage(page, true, true) : activePage_;
    if (next == page) next = nullptr;
    pages_.erase(std::remove(pages_.begin(), pages_.end(), page), pages_.end());
    if (page == activePage_) {
        activePage_ = nullptr;
        if (!ComponentState().Contains(csDestroying)) SetActivePage(next);
    }
    TabsChanged();
}

void TPageControl::MovePage(TTabSheet* page, int index) {
    auto it = std::find(pages_.begin(), pages_.end(), page);
    if (it == pages_.end()) return;
    pages_.erase(it);
    index = std::clamp(index, 0, static_cast<int>(pages_.size()));
    pages_.insert(pages_.begin() + index, page);
    TabsChanged();
}

void TPageControl::TabsChanged() {
    if (activePage_ && !activePage_->TabVisible()) {
        TTabSheet* next = FindNextPage(activePage_, true, true);
        SetActivePage(next == activePage_ ? nullptr : next);
    }
    Realign();
    Invalidate();
}

std::vector<TTabSheet*> TPageControl::VisibleTabs() const {
    std::vector<TTabSheet*> tabs;
    for (TTabSheet* p : pages_)
        if (p->TabVisible()) tabs.push_back(p);
    return tabs;
}

void TPageControl::SetActivePage(TTabSheet* page) {
    if (page && page->PageControl() != this) return;
    if (page == activePage_) return;
    TTabSheet* old = activePage_;
    TCustomForm* form = GetParentForm(this);
    bool focusWasOnOld = form && old && form->ActiveControl() && old->ContainsControl(form->ActiveControl());
    activePage_ = page;
    if (page) {
        page->SetBoundsRect(DisplayRect());
        page->BringToFront();
        page->SetVisible(true);
    }
    // The focus leaves the page that goes, for the page control's tabs.
    if (focusWasOnOld && CanFocus()) SetFocus();
    if (old) {
        old->SetVisible(false);
        if (old->OnHide) old->OnHide(old);
    }
    if (page && page->OnShow) page->OnShow(page);
    Invalidate();
}

int TPageControl::ActivePageIndex() const { return activePage_ ? activePage_->PageIndex() : -1; }

void TPageControl::SetActivePageIndex(int index) {
    SetActivePage(index >= 0 && index < PageCount() ? pages_[static_cast<std::size_t>(index)] : nullptr);
}

void TPageControl::SetTabPosition(TTabPosition p) {
    if (p == tabPosition_) return;
    tabPosition_ = p;
    TabsChanged();
}

void TPageControl::SetTabHeight(int v) {
    if (v < 0 || v == tabHeight_) return;
    tabHeight_ = v;
    TabsChanged();
}

void TPageControl::SetTabWidth(int v) {
    if (v < 0 || v == tabWidth_) return;
    tabWidth_ = v;
    TabsChanged();
}

TTabSheet* TPageControl::FindNextPage(TTabSheet* current, bool goForward, bool checkTabVisible) const {
    int count = PageCount();
    if (count == 0) return nullptr;
    auto it = std::find(pages_.begin(), pages_.end(), current);
    int start = it == pages_.end() ? (goForward ? count - 1 : 0) : static_cast<int>(it - pages_.begin());
    int i = start;
    for (int n = 0; n < count; ++n) {
        i = (i + (goForward ? 1 : count - 1)) % count;
        TTabSheet* p = pages_[static_cast<std::size_t>(i)];
        if (!checkTabVisible || p->TabVisible()) return p;
    }
    return nullptr;
}

void TPageControl::SelectNextPage(bool goForward) {
    TTabSheet* next = FindNextPage(activePage_, goForward, true);
    if (next) ChangeActivePage(next);
}

bool TPageControl::CanChange() {
    bool allow = true;
    if (OnChanging) OnChanging(this, allow);
    return allow;
}

void TPageControl::Change() {
    if (OnChange) OnChange(this);
}

bool TPageControl::ChangeActivePage(TTabSheet* page) {
    if (page == activePage_) return true;
    if (!CanChange()) return false;
    SetActivePage(page);
    Change();
    return true;
}

// ----------------------------------------------------------------- geometry

int TPageControl::TabTextHeight() const {
    TCanvas measure;
    measure.Font().Assign(*Font());
    return measure.TextHeight("Wg");
}

int TPageControl::StripHeight() const {
    int h = tabHeight_ > 0 ? tabHeight_ : TabTextHeight() + 6;
    return h + kSelectedGrow;
}

TRect TPageControl::DisplayRect() const {
    TRect body = ClientRect();
    if (tabPosition_ == tpTop)
        body.Top = std::min(body.Bottom, StripHeight());
    else
        body.Bottom = std::max(body.Top, body.Bottom - StripHeight());
    TRect r = InflateRect(body, -kDisplayInset, -kDisplayInset);
    if (r.Right < r.Left) r.Right = r.Left;
    if (r.Bottom < r.Top) r.Bottom = r.Top;
    return r;
}

TRect TPageControl::TabRect(int tabIndex) const {
    std::vector<TTabSheet*> tabs = VisibleTabs();
    if (tabIndex < 0 || tabIndex >= static_cast<int>(tabs.size())) return {};
    TCanvas measure;
    measure.Font().Assign(*Font());
    int h = StripHeight() - kSelectedGrow;
    int x = kFirstTabLeft;
    for (int i = 0;; ++i) {
        TRect t{0, 0, 0, 0};
        measure.DrawText(tabs[static_cast<std::size_t>(i)]->Caption(), t, DT_CALCRECT | DT_SINGLELINE);
        int w = tabWidth_ > 0 ? tabWidth_ : t.Width() + 12;
        if (i == tabIndex) {
            int top = tabPosition_ == tpTop ? kSelectedGrow : Height() - StripHeight();
            return Bounds(x, top, w, h);
        }
        x += w;
    }
}

int TPageControl::IndexOfTabAt(int x, int y) const {
    int count = static_cast<int>(VisibleTabs().size());
    // The selected tab stands over its neighbours.
    int selected = TabIndex();
    if (selected >= 0) {
        TRect r = InflateRect(TabRect(selected), kSelectedGrow, kSelectedGrow);
        if (tabPosition_ == tpTop)
            r.Bottom -= kSelectedGrow;
        else
            r.Top += kSelectedGrow;
        if (r.Contains({x, y})) return selected;
    }
    for (int i = 0; i < count; ++i)
        if (TabRect(i).Contains({x, y})) return i;
    return -1;
}

void TPageControl::AlignControls(TControl* control, TRect& rect) {
    TCustomControl::AlignControls(control, rect);
    TRect display = DisplayRect();
    for (TTabSheet* p : pages_) p->SetBoundsRect(display);
}

void TPageControl::Loaded() {
    TCustomControl::Loaded();
    if (!activePage_) {
        std::vector<TTabSheet*> tabs = VisibleTabs();
        if (!tabs.empty()) SetActivePage(tabs.front());
    }
    for (TTabSheet* p : pages_) p->SetVisible(p == activePage_);
    Realign();
}

// ----------------------------------------------------------------- painting

void TPageControl::Paint() {
    TCanvas& c = *Canvas();
    TRect client = ClientRect();
    c.Brush().SetColor(Color());
    c.FillRect(client);
    bool top = tabPosition_ == tpTop;
    TRect body = client;
    if (top)
        body.Top = StripHeight();
    else
        body.Bottom -= StripHeight();
    TRect frame = body;
    c.DrawEdge(frame, EDGE_RAISED, BF_RECT);

    std::vector<TTabSheet*> tabs = VisibleTabs();
    int selected = TabIndex();
    auto drawTab = [&](int i, bool isSelected) {
        TRect r = TabRect(i);
        if (isSelected) {
            r = InflateRect(r, kSelectedGrow, 0);
            if (top)
                r.Top -= kSelectedGrow;
            else
                r.Bottom += kSelectedGrow;
        }
        // The tab reaches into the frame line it stands on; the selected
        // one opens into the page.
        int open = top ? r.Bottom : r.Top - 1;
        int closed = top ? r.Top : r.Bottom - 1;
        int dir = top ? 1 : -1;
        c.Brush().SetColor(Color());
        if (top)
            c.FillRect(Rect(r.Left, r.Top, r.Right, r.Bottom + (isSelected ? 2 : 0)));
        else
            c.FillRect(Rect(r.Left, r.Top - (isSelected ? 2 : 0), r.Right, r.Bottom));
        int y0 = std::min(open, closed + 2 * dir), y1 = std::max(open, closed + 2 * dir);
        if (isSelected) (top ? y1 : y0) += top ? 1 : -1;
        Line(c, r.Left, y0 + (top ? 0 : 1), r.Left + 1, y1 + (top ? 0 : 1), clBtnHighlight);
        Line(c, r.Left + 1, closed + dir, r.Left + 2, closed + dir + 1, top ? clBtnHighlight : cl3DDkShadow);
        Line(c, r.Left + 2, closed, r.Right - 2, closed + 1, top ? clBtnHighlight : cl3DDkShadow);
        if (!top) Line(c, r.Left + 2, closed - 1, r.Right - 2, closed, clBtnShadow);
        Line(c, r.Right - 2, y0 + (top ? 0 : 1), r.Right - 1, y1 + (top ? 0 : 1), clBtnShadow);
        Line(c, r.Right - 2, closed + dir, r.Right - 1, closed + dir + 1, cl3DDkShadow);
        Line(c, r.Right - 1, y0 + (top ? 0 : 1), r.Right, y1 + (top ? 0 : 1), cl3DDkShadow);
        TTabSheet* page = tabs[static_cast<std::size_t>(i)];
        c.Brush().SetStyle(bsClear);
        c.Font().Assign(*Font());
        c.Font().SetColor(Enabled() && page->Enabled() ? clBtnText : clGrayText);
        TRect text = r;
        if (isSelected)
            text = top ? Rect(r.Left, r.Top, r.Right, r.Bottom - kSelectedGrow + 1)
                       : Rect(r.Left, r.Top + kSelectedGrow - 1, r.Right, r.Bottom);
        c.DrawText(page->Caption(), text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        c.Brush().SetStyle(bsSolid);
        if (isSelected && Focused()) c.DrawFocusRect(InflateRect(text, -3, -3));
    };
    for (int i = 0; i < static_cast<int>(tabs.size()); ++i)
        if (i != selected) drawTab(i, false);
    if (selected >= 0) drawTab(selected, true);
}

// -------------------------------------------------------------------- input

void TPageControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == mbLeft) {
        int i = IndexOfTabAt(x, y);
        if (i >= 0) {
            if (CanFocus() && !Focused()) SetFocus();
            ChangeActivePage(VisibleTabs()[static_cast<std::size_t>(i)]);
        }
    }
    TCustomControl::MouseDown(button, shift, x, y);
}

void TPageControl::KeyDown(std::uint16_t& key, TShiftState shift) {
    TCustomControl::KeyDown(key, shift);
    std::vector<TTabSheet*> tabs = VisibleTabs();
    if (tabs.empty()) return;
    int i = TabIndex();
    int last = static_cast<int>(tabs.size()) - 1;
    int to = i;
    switch (key) {
        case VK_LEFT:
        case VK_UP: to = std::max(0, i - 1); break;
        case VK_RIGHT:
        case VK_DOWN: to = std::min(last, i + 1); break;
        case VK_HOME: to = 0; break;
        case VK_END: to = last; break;
        default: return;
    }
    key = 0;
    if (to != i && to >= 0) ChangeActivePage(tabs[static_cast<std::size_t>(to)]);
}

void TPageControl::Dispatch(TMessage& m) {
    switch (m.Msg) {
        case WM_GETDLGCODE: m.Result = DLGC_WANTARROWS; return;
        case CM_DIALOGKEY:
            // Ctrl+Tab turns the pages wherever the focus is on them.
            if (m.WParam == VK_TAB && GetKeyState(VK_CONTROL) < 0 && Enabled()) {
                TCustomForm* form = GetParentForm(this);
                TWinControl* active = form ? form->ActiveControl() : nullptr;
                if (active && ContainsControl(active)) {
                    SelectNextPage(GetKeyState(VK_SHIFT) >= 0);
                    m.Result = 1;
                    return;
                }
            }
            break;
        case WM_SETFOCUS:
        case WM_KILLFOCUS: Invalidate(); break;
        case CM_FONTCHANGED:
            // The tabs' height follows the font, and the pages follow the tabs.
            TCustomControl::Dispatch(m);
            Realign();
            return;
        default: break;
    }
    TCustomControl::Dispatch(m);
}

}  // namespace menvaro

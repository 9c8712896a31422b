// TPageControl and TTabSheet: pages of controls, one shown at a time, chosen
// by a row of tabs above or below them.
//
// A page joins a page control by its PageControl property (a form file
// names the page control as the page's parent, or sets PageControl). The
// user changes the page by clicking a tab, with the arrow keys while the
// page control has the focus, and with Ctrl+Tab / Ctrl+Shift+Tab from any
// control on it; each such change asks OnChanging first and tells OnChange
// after. Setting ActivePage in code tells neither.
#pragma once

#include <vector>

#include "ui/Controls.h"

namespace menvaro {

class TPageControl;

enum TTabPosition { tpTop, tpBottom };
MENVARO_DECLARE_ENUM(TTabPosition)

using TTabChangingEvent = TEvent<void(TObject* Sender, bool& AllowChange)>;

class TTabSheet : public TWinControl {
    MENVARO_CLASS(TTabSheet, TWinControl)
public:
    explicit TTabSheet(TComponent* owner);

    TPageControl* PageControl() const { return pageControl_; }
    void SetPageControl(TPageControl* control);
    // The page's place among all pages.
    int PageIndex() const;
    void SetPageIndex(int index);
    // Its place among the tabs shown; -1 while its tab is hidden.
    int TabIndex() const;
    bool TabVisible() const { return tabVisible_; }
    void SetTabVisible(bool v);

    TNotifyEvent OnShow;
    TNotifyEvent OnHide;

    // Joining a page control's window is joining it as a page.
    void SetParent(TWinControl* parent) override;
    void Dispatch(TMessage& m) override;

private:
    friend class TPageControl;
    TPageControl* pageControl_ = nullptr;
    bool tabVisible_ = true;
};

class TPageControl : public TCustomControl {
    MENVARO_CLASS(TPageControl, TCustomControl)
public:
    explicit TPageControl(TComponent* owner);
    void BeforeDestruction() override;

    int PageCount() const { return static_cast<int>(pages_.size()); }
    TTabSheet* Pages(int index) const { return pages_.at(static_cast<std::size_t>(index)); }
    TTabSheet* ActivePage() const { return activePage_; }
    void SetActivePage(TTabSheet* page);
    int ActivePageIndex() const;
    void SetActivePageIndex(int index);
    // The tab of the active page among the tabs shown (-1: none).
    int TabIndex() const { return activePage_ ? activePage_->TabIndex() : -1; }
    TTabPosition TabPosition() const { return tabPosition_; }
    void SetTabPosition(TTabPosition p);
    // 0: from the font and the captions.
    int TabHeight() const { return tabHeight_; }
    void SetTabHeight(int v);
    int TabWidth() const { return tabWidth_; }
    void SetTabWidth(int v);

    // The page after (or before) `current` whose tab shows, wrapping round.
    TTabSheet* FindNextPage(TTabSheet* current, bool goForward, bool checkTabVisible) const;
    // What a user's change does: OnChanging, the new page, OnChange.
    void SelectNextPage(bool goForward);

    // Geometry in client coordinates: the area of the pages, and the tab
    // of each page whose tab shows (by tab index).
    TRect DisplayRect() const;
    TRect TabRect(int tabIndex) const;
    // The tab index at a client point, -1 for none.
    int IndexOfTabAt(int x, int y) const;

    TNotifyEvent OnChange;
    TTabChangingEvent OnChanging;

    void Dispatch(TMessage& m) override;
    void Loaded() override;

protected:
    void Paint() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void KeyDown(std::uint16_t& key, TShiftState shift) override;
    void AlignControls(TControl* control, TRect& rect) override;
    virtual bool CanChange();
    virtual void Change();

private:
    friend class TTabSheet;
    void InsertPage(TTabSheet* page);
    void RemovePage(TTabSheet* page);
    void MovePage(TTabSheet* page, int index);
    void TabsChanged();
    // A user's choice of a page.
    bool ChangeActivePage(TTabSheet* page);
    std::vector<TTabSheet*> VisibleTabs() const;
    int StripHeight() const;
    int TabTextHeight() const;

    std::vector<TTabSheet*> pages_;
    TTabSheet* activePage_ = nullptr;
    TTabPosition tabPosition_ = tpTop;
    int tabHeight_ = 0;
    int tabWidth_ = 0;
};

}  // namespace menvaro

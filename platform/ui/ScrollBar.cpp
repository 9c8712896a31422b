#include "ui/ScrollBar.h"

#include <algorithm>

#include "classes/ClassBuilder.h"

namespace menvaro {

MENVARO_DEFINE_ENUM(TScrollBarKind, sbHorizontal, sbVertical)
MENVARO_DEFINE_ENUM(TScrollCode, scLineUp, scLineDown, scPageUp, scPageDown, scPosition, scTrack, scTop, scBottom,
                    scEndScroll)

MENVARO_CLASS_INFO(TScrollBar) {
    c.Prop("Kind", &TScrollBar::Kind, &TScrollBar::SetKind).Default(sbHorizontal);
    c.Prop("LargeChange", &TScrollBar::LargeChange, &TScrollBar::SetLargeChange).Default(1);
    c.Prop("Max", &TScrollBar::Max, &TScrollBar::SetMax).Default(100);
    c.Prop("Min", &TScrollBar::Min, &TScrollBar::SetMin).Default(0);
    c.Prop("PageSize", &TScrollBar::PageSize, &TScrollBar::SetPageSize).Default(0);
    c.Prop("Position", &TScrollBar::Position, &TScrollBar::SetPosition).Default(0);
    c.Prop("SmallChange", &TScrollBar::SmallChange, &TScrollBar::SetSmallChange).Default(1);
    c.Redeclare("TabStop").Default(true);
    c.Event("OnChange", &TScrollBar::OnChange);
    c.Event("OnScroll", &TScrollBar::OnScroll);
}

TScrollBar::TScrollBar(TComponent* owner) : TWinControl(owner) {
    SetControlStyle({csFramed, csDoubleClicks, csOpaque});
    SetBounds(0, 0, 121, GetSystemMetrics(SM_CYHSCROLL));
    SetTabStop(true);
}

void TScrollBar::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.Style |= kind_ == sbVertical ? SBS_VERT : SBS_HORZ;
}

void TScrollBar::CreateWnd() {
    TWinControl::CreateWnd();
    SendInfo();
}

void TScrollBar::SendInfo() {
    if (!HandleAllocated()) return;
    TScrollInfo info;
    info.fMask = SIF_ALL;
    info.nMin = min_;
    info.nMax = max_;
    info.nPage = static_cast<UINT>(std::max(0, pageSize_));
    info.nPos = position_;
    SetScrollInfo(WindowHandle(), SB_CTL, info, true);
}

void TScrollBar::SetKind(TScrollBarKind k) {
    if (k == kind_) return;
    kind_ = k;
    if (!ComponentState().Contains(csLoading)) SetBounds(Left(), Top(), Height(), Width());
    RecreateWnd();
}

void TScrollBar::SetPageSize(int v) {
    if (v == pageSize_ || v < 0 || v > max_ - min_ + 1) return;
    pageSize_ = v;
    SendInfo();
}

void TScrollBar::SetParams(int position, int min, int max) {
    if (max < min) throw EInvalidOperation("Scrollbar property out of range");
    position = std::clamp(position, min, max);
    bool rangeChanged = min != min_ || max != max_;
    bool moved = position != position_;
    min_ = min;
    max_ = max;
    position_ = position;
    if (rangeChanged || moved) SendInfo();
    if (moved) Change();
}

void TScrollBar::Change() {
    if (OnChange) OnChange(this);
}

void TScrollBar::Scroll(TScrollCode code, int& pos) {
    if (OnScroll) OnScroll(this, code, pos);
}

void TScrollBar::DoScroll(const TMessage& m) {
    int code = LoWord(m.WParam);
    int pos = position_;
    switch (code) {
        case SB_LINEUP: pos -= smallChange_; break;
        case SB_LINEDOWN: pos += smallChange_; break;
        case SB_PAGEUP: pos -= largeChange_; break;
        case SB_PAGEDOWN: pos += largeChange_; break;
        case SB_THUMBPOSITION:
        case SB_THUMBTRACK: {
            // The whole position, not the sixteen bits of the notice.
            TScrollInfo info;
            info.fMask = SIF_TRACKPOS;
            if (HandleAllocated() && GetScrollInfo(WindowHandle(), SB_CTL, info)) pos = info.nTrackPos;
            break;
        }
        case SB_TOP: pos = min_; break;
        case SB_BOTTOM: pos = max_; break;
        default: break;
    }
    pos = std::clamp(pos, min_, max_);
    Scroll(static_cast<TScrollCode>(std::min(code, int(scEndScroll))), pos);
    SetPosition(pos);
}

void TScrollBar::Dispatch(TMessage& m) {
    switch (m.Msg) {
        case CN_HSCROLL:
        case CN_VSCROLL: DoScroll(m); return;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            if (TabStop() && CanFocus() && !Focused()) SetFocus();
            DefaultHandler(m);
            TWinControl::Dispatch(m);
            return;
        case WM_MOUSEMOVE:
        case WM_LBUTTONUP:
            DefaultHandler(m);
            TWinControl::Dispatch(m);
            return;
        case WM_ERASEBKGND: m.Result = 1; return;
        default: TWinControl::Dispatch(m);
    }
}

LRESULT TScrollBar::DefWndProc(TMessage& m) {
    if (!HandleAllocated()) return 0;
    return ScrollBarControlProc(WindowHandle(), m.Msg, m.WParam, m.LParam);
}

void TScrollBar::PaintWindow(HDC dc) { PaintScrollBarControl(WindowHandle(), dc); }

}  // namespace menvaro

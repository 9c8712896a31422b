// Scroll bars: the state of a window's own bars and of scroll-bar
// controls, their layout and painting, and the mouse holding one of them
// (arrows and the page areas repeat while held, the thumb is dragged).
#include <algorithm>

#include "ui/FrameControl.h"
#include "ui/WmInternal.h"

namespace menvaro {

using namespace wm;

namespace {

using Lock = std::unique_lock<std::recursive_mutex>;

constexpr std::uintptr_t kScrollTimer = 0x5C7011;
constexpr unsigned kFirstRepeatMs = 400;
constexpr unsigned kRepeatMs = 100;
constexpr int kMinThumb = 8;

int MulDiv(long long v, long long m, long long d) { return d == 0 ? 0 : static_cast<int>((v * m + d / 2) / d); }

ScrollBarState* BarOfLocked(Window* w, int bar) {
    if (!w) return nullptr;
    switch (bar) {
        case SB_HORZ: return &w->hbar;
        case SB_VERT: return &w->vbar;
        case SB_CTL: return &w->ctlbar;
        default: return nullptr;
    }
}

// How far the position can move: the range less what the page shows.
int PosSpan(const ScrollBarState& s) { return s.max - s.min - std::max(s.page - 1, 0); }

bool CanScroll(const ScrollBarState& s) { return PosSpan(s) > 0; }

TScrollInfo InfoOf(const ScrollBarState& s) {
    TScrollInfo i;
    i.nMin = s.min;
    i.nMax = s.max;
    i.nPage = static_cast<UINT>(s.page);
    i.nPos = s.tracking ? s.trackPos : s.pos;
    i.nTrackPos = s.tracking ? s.trackPos : s.pos;
    return i;
}

void Apply(ScrollBarState& s, const TScrollInfo& info) {
    if (info.fMask & SIF_RANGE) {
        s.min = info.nMin;
        s.max = std::max(info.nMin, info.nMax);
    }
    if (info.fMask & SIF_PAGE) s.page = static_cast<int>(std::min<long long>(info.nPage, 0x7FFFFFFF));
    s.page = std::clamp(s.page, 0, std::max(0, s.max - s.min + 1));
    if (info.fMask & SIF_POS) s.pos = info.nPos;
    s.pos = std::clamp(s.pos, s.min, s.min + std::max(0, PosSpan(s)));
}

// A window's own bar: from its style and frame; a control: its client area.
bool IsControlBar(int bar) { return bar == SB_CTL; }

bool ControlVerticalLocked(const Window* w) { return (w->style & SBS_VERT) != 0; }

// The bar's rectangle in the coordinates its mouse messages are turned
// into: window coordinates for a window's own bar, client for a control.
TRect BarRectLocked(const Window* w, int bar) {
    if (IsControlBar(bar)) return Bounds(0, 0, w->client.Width(), w->client.Height());
    return WindowScrollBarRectLocked(w, bar);
}

bool BarVerticalLocked(const Window* w, int bar) {
    return IsControlBar(bar) ? ControlVerticalLocked(w) : bar == SB_VERT;
}

void RedrawBarLocked(Window* w, int bar) {
    if (IsControlBar(bar)) {
        InvalidateLocked(w, TRegion(Bounds(0, 0, w->client.Width(), w->client.Height())), true, false);
    } else {
        w->ncPaint = true;
    }
    WakeLocked(w->thread);
}

// Tells the bar's window (or a control's parent window) of a scroll.
void Notify(HWND hwnd, int bar, bool vertical, int code, int pos) {
    UINT msg = vertical ? WM_VSCROLL : WM_HSCROLL;
    WPARAM w = MakeWParam(code, pos);
    if (IsControlBar(bar)) {
        HWND parent = GetParent(hwnd);
        if (parent) SendMessage(parent, msg, w, static_cast<LPARAM>(hwnd));
    } else {
        SendMessage(hwnd, msg, w, 0);
    }
}

int CodeOf(TScrollBarPart part) {
    switch (part) {
        case sbpLineUp: return SB_LINEUP;
        case sbpLineDown: return SB_LINEDOWN;
        case sbpPageUp: return SB_PAGEUP;
        case sbpPageDown: return SB_PAGEDOWN;
        default: return SB_ENDSCROLL;
    }
}

// The layout of a window's bar or control now.
bool LayoutNow(HWND hwnd, int bar, TScrollBarLayout& layout, bool& enabled) {
    Lock l(G().lock);
    Window* w = FindLocked(hwnd);
    ScrollBarState* s = BarOfLocked(w, bar);
    if (!s) return false;
    layout = LayoutScrollBar(BarRectLocked(w, bar), BarVerticalLocked(w, bar), InfoOf(*s));
    enabled = w->Enabled() && CanScroll(*s);
    return true;
}

void Tick(HWND hwnd, UINT, std::uintptr_t, std::uint32_t);

void StartRepeat(HWND hwnd, unsigned ms) { SetTimer(hwnd, kScrollTimer, ms, Tick); }

void Tick(HWND hwnd, UINT, std::uintptr_t, std::uint32_t) {
    ScrollTrack t;
    {
        Lock l(G().lock);
        t = CurrentThread().scrollTrack;
    }
    if (t.hwnd != hwnd || t.part == sbpThumb || t.part == sbpNone) {
        KillTimer(hwnd, kScrollTimer);
        return;
    }
    if (t.firstDelay) {
        {
            Lock l(G().lock);
            CurrentThread().scrollTrack.firstDelay = false;
        }
        StartRepeat(hwnd, kRepeatMs);
    }
    TScrollBarLayout layout;
    bool enabled;
    if (!t.over || !LayoutNow(hwnd, t.bar, layout, enabled) || !enabled) return;
    // A page area repeats until the thumb reaches the mouse.
    if ((t.part == sbpPageUp || t.part == sbpPageDown) && ScrollBarPartAt(layout, t.last) != t.part) return;
    Notify(hwnd, t.bar, layout.Vertical, CodeOf(static_cast<TScrollBarPart>(t.part)), 0);
}

void BeginTrack(HWND hwnd, int bar, TPoint p) {
    TScrollBarLayout layout;
    bool enabled;
    if (!LayoutNow(hwnd, bar, layout, enabled) || !enabled) return;
    TScrollBarPart part = ScrollBarPartAt(layout, p);
    if (part == sbpNone) return;
    {
        Lock l(G().lock);
        Window* w = FindLocked(hwnd);
        ScrollTrack& t = CurrentThread().scrollTrack;
        t = ScrollTrack{hwnd, bar, part, true, 0, p, true};
        if (part == sbpThumb) {
            t.grab = layout.Vertical ? p.Y - layout.Thumb.Top : p.X - layout.Thumb.Left;
            ScrollBarState* s = BarOfLocked(w, bar);
            s->tracking = true;
            s->trackPos = s->pos;
        }
        if (!IsControlBar(bar)) w->ncScrollTracking = true;
        RedrawBarLocked(w, bar);
    }
    SetCapture(hwnd);
    if (part != sbpThumb) {
        Notify(hwnd, bar, layout.Vertical, CodeOf(part), 0);
        StartRepeat(hwnd, kFirstRepeatMs);
    }
}

void MoveTrack(HWND hwnd, TPoint p) {
    int code = -1, pos = 0, bar = 0;
    bool vertical = true;
    {
        Lock l(G().lock);
        ScrollTrack& t = CurrentThread().scrollTrack;
        Window* w = FindLocked(hwnd);
        ScrollBarState* s = BarOfLocked(w, t.bar);
        if (t.hwnd != hwnd || !s) return;
        t.last = p;
        bar = t.bar;
        vertical = BarVerticalLocked(w, bar);
        TScrollBarLayout layout = LayoutScrollBar(BarRectLocked(w, bar), vertical, InfoOf(*s));
        if (t.part == sbpThumb) {
            if (layout.Thumb.IsEmpty()) return;
            int thumbLen = vertical ? layout.Thumb.Height() : layout.Thumb.Width();
            int trackStart = vertical ? layout.Track.Top : layout.Track.Left;
            int room = (vertical ? layout.Track.Height() : layout.Track.Width()) - thumbLen;
            int start = std::clamp((vertical ? p.Y : p.X) - t.grab - trackStart, 0, std::max(0, room));
            int np = s->min + MulDiv(start, PosSpan(*s), room);
            if (np == s->trackPos) return;
            s->trackPos = np;
            code = SB_THUMBTRACK;
            pos = np;
            RedrawBarLocked(w, bar);
        } else {
            TScrollBarPart under = ScrollBarPartAt(layout, p);
            bool over = under == t.part || ((t.part == sbpPageUp || t.part == sbpPageDown) &&
                                            (under == sbpPageUp || under == sbpPageDown || under == sbpThumb));
            if (over != t.over) {
                t.over = over;
                RedrawBarLocked(w, bar);
            }
        }
    }
    if (code >= 0) Notify(hwnd, bar, vertical, code, pos);
}

// Ends the track; `release` gives the capture back.
void EndTrack(HWND hwnd, bool release) {
    ScrollTrack t;
    int trackPos = 0;
    bool vertical = true;
    {
        Lock l(G().lock);
        ScrollTrack& cur = CurrentThread().scrollTrack;
        if (cur.hwnd != hwnd || !hwnd) return;
        t = cur;
        cur = ScrollTrack{};
        Window* w = FindLocked(hwnd);
        if (ScrollBarState* s = BarOfLocked(w, t.bar)) {
            trackPos = s->trackPos;
            s->tracking = false;
            vertical = BarVerticalLocked(w, t.bar);
            w->ncScrollTracking = false;
            RedrawBarLocked(w, t.bar);
        }
    }
    KillTimer(hwnd, kScrollTimer);
    if (release && GetCapture() == hwnd) ReleaseCapture();
    if (t.part == sbpThumb) Notify(hwnd, t.bar, vertical, SB_THUMBPOSITION, trackPos);
    Notify(hwnd, t.bar, vertical, SB_ENDSCROLL, 0);
}

void FillTrack(TCanvas& c, const TRect& r, bool dark) {
    if (r.IsEmpty()) return;
    c.Brush().SetStyle(bsSolid);
    c.Brush().SetColor(dark ? cl3DDkShadow : clBtnFace);
    c.FillRect(r);
    if (dark) return;
    // The track is a fine check of highlight and face.
    TColor light = ColorToRGB(clBtnHighlight);
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left + ((r.Left + y) & 1); x < r.Right; x += 2) c.SetPixel(x, y, light);
}

}  // namespace

// ----------------------------------------------------------------- layout

TScrollBarLayout LayoutScrollBar(const TRect& r, bool vertical, const TScrollInfo& info) {
    TScrollBarLayout l;
    l.Vertical = vertical;
    l.Bar = r;
    const int len = vertical ? r.Height() : r.Width();
    const int thick = vertical ? r.Width() : r.Height();
    const int arrow = std::max(0, std::min(thick, len / 2));
    if (vertical) {
        l.LineUp = {r.Left, r.Top, r.Right, r.Top + arrow};
        l.LineDown = {r.Left, r.Bottom - arrow, r.Right, r.Bottom};
        l.Track = {r.Left, r.Top + arrow, r.Right, r.Bottom - arrow};
    } else {
        l.LineUp = {r.Left, r.Top, r.Left + arrow, r.Bottom};
        l.LineDown = {r.Right - arrow, r.Top, r.Right, r.Bottom};
        l.Track = {r.Left + arrow, r.Top, r.Right - arrow, r.Bottom};
    }
    ScrollBarState s;
    s.min = info.nMin;
    s.max = std::max(info.nMin, info.nMax);
    s.page = static_cast<int>(std::min<UINT>(info.nPage, static_cast<UINT>(s.max - s.min + 1)));
    const int span = PosSpan(s);
    const int trackLen = vertical ? l.Track.Height() : l.Track.Width();
    if (span <= 0 || trackLen < kMinThumb) return l;
    int thumbLen = s.page > 0 ? MulDiv(trackLen, s.page, s.max - s.min + 1) : thick;
    thumbLen = std::clamp(thumbLen, std::min(kMinThumb, trackLen), trackLen);
    const int pos = std::clamp(info.nPos, s.min, s.min + span);
    const int offset = MulDiv(trackLen - thumbLen, pos - s.min, span);
    if (vertical)
        l.Thumb = {r.Left, l.Track.Top + offset, r.Right, l.Track.Top + offset + thumbLen};
    else
        l.Thumb = {l.Track.Left + offset, r.Top, l.Track.Left + offset + thumbLen, r.Bottom};
    return l;
}

TScrollBarPart ScrollBarPartAt(const TScrollBarLayout& l, TPoint p) {
    if (!l.Bar.Contains(p)) return sbpNone;
    if (l.LineUp.Contains(p)) return sbpLineUp;
    if (l.LineDown.Contains(p)) return sbpLineDown;
    if (l.Thumb.IsEmpty()) return sbpNone;
    if (l.Thumb.Contains(p)) return sbpThumb;
    int at = l.Vertical ? p.Y : p.X;
    return at < (l.Vertical ? l.Thumb.Top : l.Thumb.Left) ? sbpPageUp : sbpPageDown;
}

void DrawScrollBar(HDC dc, const TScrollBarLayout& l, bool enabled, TScrollBarPart pressed) {
    if (!dc) return;
    TCanvas& c = *dc;
    TCanvasStateSaver saved(c);
    const unsigned inactive = enabled && !l.Thumb.IsEmpty() ? 0u : unsigned(DFCS_INACTIVE);
    auto arrow = [&](TRect r, unsigned kind, TScrollBarPart part) {
        if (r.IsEmpty()) return;
        DrawFrameControl(c, r, DFC_SCROLL, kind | inactive | (pressed == part ? unsigned(DFCS_PUSHED) : 0u));
    };
    arrow(l.LineUp, l.Vertical ? DFCS_SCROLLUP : DFCS_SCROLLLEFT, sbpLineUp);
    arrow(l.LineDown, l.Vertical ? DFCS_SCROLLDOWN : DFCS_SCROLLRIGHT, sbpLineDown);
    if (l.Thumb.IsEmpty()) {
        FillTrack(c, l.Track, false);
        return;
    }
    TRect before = l.Track, after = l.Track;
    if (l.Vertical) {
        before.Bottom = l.Thumb.Top;
        after.Top = l.Thumb.Bottom;
    } else {
        before.Right = l.Thumb.Left;
        after.Left = l.Thumb.Right;
    }
    FillTrack(c, before, pressed == sbpPageUp);
    FillTrack(c, after, pressed == sbpPageDown);
    TRect thumb = l.Thumb;
    DrawFrameControl(c, thumb, DFC_BUTTON, DFCS_BUTTONPUSH);
}

// ----------------------------------------------------------- the state

int SetScrollInfo(HWND hwnd, int bar, const TScrollInfo& info, bool redraw) {
    int pos;
    bool styleChange = false;
    std::uint32_t style = 0;
    {
        Lock l(G().lock);
        Window* w = FindLocked(hwnd);
        ScrollBarState* s = BarOfLocked(w, bar);
        if (!s) return 0;
        Apply(*s, info);
        if (info.fMask & SIF_DISABLENOSCROLL) s->disableNoScroll = true;
        pos = s->pos;
        if (!IsControlBar(bar)) {
            std::uint32_t bit = bar == SB_HORZ ? WS_HSCROLL : WS_VSCROLL;
            bool show = CanScroll(*s) || s->disableNoScroll;
            styleChange = show != ((w->style & bit) != 0);
            style = show ? (w->style | bit) : (w->style & ~bit);
        }
        if (!styleChange && redraw) RedrawBarLocked(w, bar);
    }
    if (styleChange) {
        SetWindowLong(hwnd, GWL_STYLE, style);
        SetWindowPos(hwnd, 0, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    }
    return pos;
}

bool GetScrollInfo(HWND hwnd, int bar, TScrollInfo& info) {
    Lock l(G().lock);
    ScrollBarState* s = BarOfLocked(FindLocked(hwnd), bar);
    if (!s) return false;
    TScrollInfo all = InfoOf(*s);
    all.nPos = s->pos;
    if (info.fMask & SIF_RANGE) info.nMin = all.nMin, info.nMax = all.nMax;
    if (info.fMask & SIF_PAGE) info.nPage = all.nPage;
    if (info.fMask & SIF_POS) info.nPos = all.nPos;
    if (info.fMask & SIF_TRACKPOS) info.nTrackPos = all.nTrackPos;
    return true;
}

int SetScrollPos(HWND hwnd, int bar, int pos, bool redraw) {
    int old = GetScrollPos(hwnd, bar);
    TScrollInfo i;
    i.fMask = SIF_POS;
    i.nPos = pos;
    SetScrollInfo(hwnd, bar, i, redraw);
    return old;
}

int GetScrollPos(HWND hwnd, int bar) {
    TScrollInfo i;
    i.fMask = SIF_POS;
    return GetScrollInfo(hwnd, bar, i) ? i.nPos : 0;
}

bool SetScrollRange(HWND hwnd, int bar, int min, int max, bool redraw) {
    TScrollInfo i;
    i.fMask = SIF_RANGE;
    i.nMin = min;
    i.nMax = max;
    if (!IsWindow(hwnd)) return false;
    SetScrollInfo(hwnd, bar, i, redraw);
    return true;
}

bool GetScrollRange(HWND hwnd, int bar, int& min, int& max) {
    TScrollInfo i;
    i.fMask = SIF_RANGE;
    if (!GetScrollInfo(hwnd, bar, i)) return false;
    min = i.nMin;
    max = i.nMax;
    return true;
}

bool ShowScrollBar(HWND hwnd, int bar, bool show) {
    if (bar == SB_CTL) return IsWindow(hwnd) && (ShowWindow(hwnd, show ? SW_SHOWNA : SW_HIDE), true);
    std::uint32_t bits = bar == SB_HORZ ? WS_HSCROLL : bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL | WS_VSCROLL;
    std::uint32_t style = GetWindowLong(hwnd, GWL_STYLE);
    std::uint32_t next = show ? style | bits : style & ~bits;
    if (!IsWindow(hwnd)) return false;
    if (next == style) return true;
    SetWindowLong(hwnd, GWL_STYLE, next);
    SetWindowPos(hwnd, 0, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    return true;
}

// ------------------------------------------------- a window's own bars

namespace wm {

TRect WindowScrollBarRectLocked(const Window* w, int bar) {
    std::uint32_t bit = bar == SB_HORZ ? WS_HSCROLL : WS_VSCROLL;
    if (!(w->style & bit)) return {};
    TRect in = BorderInsets(w->style, w->exStyle, w->TopLevel() && !w->messageOnly);
    const int W = w->rect.Width(), H = w->rect.Height();
    const int cx = GetSystemMetrics(SM_CXVSCROLL), cy = GetSystemMetrics(SM_CYHSCROLL);
    TRect r;
    if (bar == SB_VERT)
        r = {W - in.Right - cx, in.Top, W - in.Right, H - in.Bottom - ((w->style & WS_HSCROLL) ? cy : 0)};
    else
        r = {in.Left, H - in.Bottom - cy, W - in.Right - ((w->style & WS_VSCROLL) ? cx : 0), H - in.Bottom};
    r.Left = std::max(r.Left, in.Left);
    r.Top = std::max(r.Top, in.Top);
    return r.IsEmpty() ? TRect{} : r;
}

LRESULT WindowScrollBarHitLocked(const Window* w, TPoint p) {
    if (WindowScrollBarRectLocked(w, SB_VERT).Contains(p)) return HTVSCROLL;
    if (WindowScrollBarRectLocked(w, SB_HORZ).Contains(p)) return HTHSCROLL;
    return HTNOWHERE;
}

bool WindowScrollBarMouse(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    TPoint p;
    {
        Lock l(G().lock);
        Window* w = FindLocked(hwnd);
        if (!w) return false;
        TPoint origin = WindowRectScreenLocked(w).TopLeft();
        p = {GetXLParam(lParam) - origin.X, GetYLParam(lParam) - origin.Y};
    }
    switch (msg) {
        case WM_NCLBUTTONDOWN:
        case WM_NCLBUTTONDBLCLK:
            if (wParam != static_cast<WPARAM>(HTVSCROLL) && wParam != static_cast<WPARAM>(HTHSCROLL)) return false;
            BeginTrack(hwnd, wParam == static_cast<WPARAM>(HTVSCROLL) ? SB_VERT : SB_HORZ, p);
            return true;
        case WM_NCMOUSEMOVE: MoveTrack(hwnd, p); return true;
        case WM_NCLBUTTONUP: EndTrack(hwnd, true); return true;
        default: return false;
    }
}

void DrawWindowScrollBars(HWND hwnd, HDC dc) {
    TScrollBarLayout bars[2];
    bool enabled[2] = {false, false};
    TScrollBarPart pressed[2] = {sbpNone, sbpNone};
    TRect corner;
    {
        Lock l(G().lock);
        Window* w = FindLocked(hwnd);
        if (!w) return;
        const ScrollTrack& t = w->thread->scrollTrack;
        for (int bar = SB_HORZ; bar <= SB_VERT; ++bar) {
            ScrollBarState* s = BarOfLocked(w, bar);
            bars[bar] = LayoutScrollBar(WindowScrollBarRectLocked(w, bar), bar == SB_VERT, InfoOf(*s));
            enabled[bar] = w->Enabled() && CanScroll(*s);
            if (t.hwnd == hwnd && t.bar == bar && t.over) pressed[bar] = static_cast<TScrollBarPart>(t.part);
        }
        if (!bars[SB_HORZ].Bar.IsEmpty() && !bars[SB_VERT].Bar.IsEmpty())
            corner = {bars[SB_VERT].Bar.Left, bars[SB_HORZ].Bar.Top, bars[SB_VERT].Bar.Right, bars[SB_HORZ].Bar.Bottom};
    }
    for (int bar = SB_HORZ; bar <= SB_VERT; ++bar)
        if (!bars[bar].Bar.IsEmpty()) DrawScrollBar(dc, bars[bar], enabled[bar], pressed[bar]);
    if (!corner.IsEmpty()) {
        TCanvasStateSaver saved(*dc);
        dc->Brush().SetStyle(bsSolid);
        dc->Brush().SetColor(clBtnFace);
        dc->FillRect(corner);
    }
}

void CancelScrollTrack(HWND hwnd) { EndTrack(hwnd, false); }

}  // namespace wm

// ------------------------------------------------- scroll-bar controls

LRESULT ScrollBarControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto tracking = [hwnd] {
        Lock l(G().lock);
        return CurrentThread().scrollTrack.hwnd == hwnd;
    };
    auto vertical = [hwnd] { return (GetWindowLong(hwnd, GWL_STYLE) & SBS_VERT) != 0; };
    switch (msg) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: BeginTrack(hwnd, SB_CTL, {GetXLParam(lParam), GetYLParam(lParam)}); return 0;
        case WM_MOUSEMOVE:
            if (tracking()) MoveTrack(hwnd, {GetXLParam(lParam), GetYLParam(lParam)});
            return 0;
        case WM_LBUTTONUP:
            if (tracking()) EndTrack(hwnd, true);
            return 0;
        case WM_CANCELMODE: EndTrack(hwnd, true); return 0;
        case WM_GETDLGCODE: return DLGC_WANTARROWS;
        case WM_KEYDOWN: {
            int code = -1;
            switch (wParam) {
                case VK_UP:
                case VK_LEFT: code = SB_LINEUP; break;
                case VK_DOWN:
                case VK_RIGHT: code = SB_LINEDOWN; break;
                case VK_PRIOR: code = SB_PAGEUP; break;
                case VK_NEXT: code = SB_PAGEDOWN; break;
                case VK_HOME: code = SB_TOP; break;
                case VK_END: code = SB_BOTTOM; break;
                default: break;
            }
            if (code < 0) return DefWindowProc(hwnd, msg, wParam, lParam);
            Notify(hwnd, SB_CTL, vertical(), code, 0);
            Notify(hwnd, SB_CTL, vertical(), SB_ENDSCROLL, 0);
            return 0;
        }
        case WM_ENABLE: InvalidateRect(hwnd, nullptr, true); return 0;
        case SBM_SETSCROLLINFO:
            if (!lParam) return 0;
            return SetScrollInfo(hwnd, SB_CTL, *reinterpret_cast<const TScrollInfo*>(lParam), wParam != 0);
        case SBM_GETSCROLLINFO:
            return lParam && GetScrollInfo(hwnd, SB_CTL, *reinterpret_cast<TScrollInfo*>(lParam)) ? 1 : 0;
        case SBM_SETPOS: return SetScrollPos(hwnd, SB_CTL, static_cast<int>(wParam), lParam != 0);
        case SBM_GETPOS: return GetScrollPos(hwnd, SB_CTL);
        case SBM_SETRANGE:
        case SBM_SETRANGEREDRAW: {
            int old = GetScrollPos(hwnd, SB_CTL);
            SetScrollRange(hwnd, SB_CTL, static_cast<int>(wParam), static_cast<int>(lParam), msg == SBM_SETRANGEREDRAW);
            return old;
        }
        case SBM_GETRANGE: {
            int mn = 0, mx = 0;
            GetScrollRange(hwnd, SB_CTL, mn, mx);
            if (wParam) *reinterpret_cast<int*>(wParam) = mn;
            if (lParam) *reinterpret_cast<int*>(lParam) = mx;
            return 0;
        }
        default: return DefWindowProc(hwnd, msg, wParam, lParam);
    }
}

void PaintScrollBarControl(HWND hwnd, HDC dc) {
    TScrollBarLayout layout;
    bool enabled;
    TScrollBarPart pressed = sbpNone;
    if (!LayoutNow(hwnd, SB_CTL, layout, enabled)) return;
    {
        Lock l(G().lock);
        const ScrollTrack& t = CurrentThread().scrollTrack;
        if (t.hwnd == hwnd && t.over) pressed = static_cast<TScrollBarPart>(t.part);
    }
    DrawScrollBar(dc, layout, enabled, pressed);
}

}  // namespace menvaro

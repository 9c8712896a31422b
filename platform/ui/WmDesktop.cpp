// The desktop around the windows: its monitors and their work areas, the
// caret of each user-interface thread, and the capture of the screen.
#include <algorithm>
#include <climits>
#include <iterator>

#include "ui/WmInternal.h"

namespace menvaro {

using namespace wm;

namespace {

using Lock = std::unique_lock<std::recursive_mutex>;

// ------------------------------------------------------------- monitors

std::size_t PrimaryIndex(const std::vector<TMonitorInfo>& list) {
    for (std::size_t i = 0; i < list.size(); ++i)
        if (list[i].Primary) return i;
    return 0;
}

HMONITOR ByFlags(const std::vector<TMonitorInfo>& list, UINT flags, long long (*distance)(const TRect&, const void*),
                 const void* what) {
    if (list.empty() || flags == MONITOR_DEFAULTTONULL) return 0;
    if (flags == MONITOR_DEFAULTTOPRIMARY) return PrimaryIndex(list) + 1;
    std::size_t best = 0;
    long long bestDistance = LLONG_MAX;
    for (std::size_t i = 0; i < list.size(); ++i) {
        long long d = distance(list[i].rcMonitor, what);
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best + 1;
}

// The squared gap between two rectangles (0 when they touch or overlap).
long long RectGap(const TRect& m, const void* what) {
    const TRect& r = *static_cast<const TRect*>(what);
    long long dx = std::max({0, m.Left - r.Right, r.Left - m.Right});
    long long dy = std::max({0, m.Top - r.Bottom, r.Top - m.Bottom});
    return dx * dx + dy * dy;
}

// ---------------------------------------------------------------- caret

constexpr std::uintptr_t kCaretTimer = 0xCA7E7;
constexpr unsigned kCaretBlinkMs = 530;

void InvalidateCaretLocked(const Caret& c) {
    Window* w = FindLocked(c.owner);
    if (!w) return;
    InvalidateLocked(w, TRegion(c.rect), false, false);
    WakeLocked(w->thread);
}

void Blink(HWND hwnd, UINT, std::uintptr_t, std::uint32_t) {
    Lock l(G().lock);
    Caret& c = CurrentThread().caret;
    if (c.owner != hwnd) return;
    c.on = !c.on;
    if (c.hidden == 0) InvalidateCaretLocked(c);
}

// The caret shows now and blinks from now on.
void RestartBlink(HWND hwnd) { SetTimer(hwnd, kCaretTimer, kCaretBlinkMs, Blink); }

}  // namespace

std::vector<TMonitorInfo> GetMonitors() {
    {
        Lock l(G().lock);
        if (!G().monitors.empty()) return G().monitors;
    }
    if (!HasBackend()) return {{Bounds(0, 0, 1024, 768), Bounds(0, 0, 1024, 728), true}};
    std::vector<TMonitorInfo> list = Backend().Monitors();
    if (list.empty()) list.push_back({Backend().ScreenRect(), Backend().WorkArea(), true});
    return list;
}

void SetMonitorLayout(std::vector<TMonitorInfo> monitors) {
    Lock l(G().lock);
    G().monitors = std::move(monitors);
}

TRect GetScreenRect() {
    std::vector<TMonitorInfo> list = GetMonitors();
    return list[PrimaryIndex(list)].rcMonitor;
}

TRect GetWorkArea() {
    std::vector<TMonitorInfo> list = GetMonitors();
    return list[PrimaryIndex(list)].rcWork;
}

HMONITOR MonitorFromRect(const TRect& r, UINT flags) {
    if (r.IsEmpty()) return MonitorFromPoint(r.TopLeft(), flags);
    std::vector<TMonitorInfo> list = GetMonitors();
    std::size_t best = 0;
    long long bestArea = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        TRect both;
        if (!IntersectRect(both, r, list[i].rcMonitor)) continue;
        long long area = static_cast<long long>(both.Width()) * both.Height();
        if (area > bestArea) {
            bestArea = area;
            best = i + 1;
        }
    }
    if (best) return best;
    return ByFlags(list, flags, RectGap, &r);
}

HMONITOR MonitorFromPoint(TPoint p, UINT flags) {
    std::vector<TMonitorInfo> list = GetMonitors();
    for (std::size_t i = 0; i < list.size(); ++i)
        if (list[i].rcMonitor.Contains(p)) return i + 1;
    TRect point = Bounds(p.X, p.Y, 1, 1);
    return ByFlags(list, flags, RectGap, &point);
}

HMONITOR MonitorFromWindow(HWND hwnd, UINT flags) {
    TRect r;
    if (!GetWindowRect(hwnd, r)) {
        std::vector<TMonitorInfo> list = GetMonitors();
        return flags == MONITOR_DEFAULTTONULL || list.empty() ? 0 : PrimaryIndex(list) + 1;
    }
    return MonitorFromRect(r, flags);
}

bool GetMonitorInfo(HMONITOR monitor, TMonitorInfo& info) {
    std::vector<TMonitorInfo> list = GetMonitors();
    if (monitor == 0 || monitor > list.size()) return false;
    info = list[monitor - 1];
    return true;
}

// ---------------------------------------------------------------- caret

namespace wm {

void ForgetCaretLocked(HWND hwnd) {
    for (ThreadState* ts : G().threads)
        if (ts->caret.owner == hwnd) ts->caret = Caret{};
}

}  // namespace wm

bool CreateCaret(HWND hwnd, int width, int height) {
    ThreadState& ts = CurrentThread();
    HWND old = 0;
    {
        Lock l(G().lock);
        Window* w = FindLocked(hwnd);
        if (!w || w->thread != &ts) return false;
        old = ts.caret.owner;
        if (old && ts.caret.hidden == 0) InvalidateCaretLocked(ts.caret);
        ts.caret = Caret{hwnd, Bounds(0, 0, std::max(1, width), std::max(1, height)), 1, true};
    }
    if (old && old != hwnd) KillTimer(old, kCaretTimer);
    RestartBlink(hwnd);
    return true;
}

bool DestroyCaret() {
    ThreadState& ts = CurrentThread();
    HWND owner;
    {
        Lock l(G().lock);
        owner = ts.caret.owner;
        if (!owner) return false;
        if (ts.caret.hidden == 0) InvalidateCaretLocked(ts.caret);
        ts.caret = Caret{};
    }
    KillTimer(owner, kCaretTimer);
    return true;
}

bool ShowCaret(HWND hwnd) {
    ThreadState& ts = CurrentThread();
    HWND owner;
    {
        Lock l(G().lock);
        Caret& c = ts.caret;
        if (!c.owner || (hwnd && hwnd != c.owner)) return false;
        if (c.hidden == 0) return true;
        if (--c.hidden > 0) return true;
        c.on = true;
        InvalidateCaretLocked(c);
        owner = c.owner;
    }
    RestartBlink(owner);
    return true;
}

bool HideCaret(HWND hwnd) {
    ThreadState& ts = CurrentThread();
    Lock l(G().lock);
    Caret& c = ts.caret;
    if (!c.owner || (hwnd && hwnd != c.owner)) return false;
    if (c.hidden++ == 0) InvalidateCaretLocked(c);
    return true;
}

bool SetCaretPos(int x, int y) {
    ThreadState& ts = CurrentThread();
    HWND owner;
    {
        Lock l(G().lock);
        Caret& c = ts.caret;
        if (!c.owner) return false;
        TRect moved = Bounds(x, y, c.rect.Width(), c.rect.Height());
        if (c.hidden == 0 && (moved != c.rect || !c.on)) {
            InvalidateCaretLocked(c);
            c.rect = moved;
            c.on = true;
            InvalidateCaretLocked(c);
        }
        c.rect = moved;
        c.on = true;
        owner = c.owner;
    }
    RestartBlink(owner);
    return true;
}

bool GetCaretPos(TPoint& p) {
    ThreadState& ts = CurrentThread();
    Lock l(G().lock);
    if (!ts.caret.owner) return false;
    p = ts.caret.rect.TopLeft();
    return true;
}

unsigned GetCaretBlinkTime() { return kCaretBlinkMs; }

bool GetCaretShownRect(HWND hwnd, TRect& r) {
    ThreadState& ts = CurrentThread();
    Lock l(G().lock);
    const Caret& c = ts.caret;
    if (!hwnd || c.owner != hwnd || c.hidden > 0 || !c.on) return false;
    r = c.rect;
    return true;
}

}  // namespace menvaro

// ------------------------------------------------------------- capture

namespace menvaro {

namespace {

// The arrow drawn for the cursor: X black, . white, blank see-through.
const char* const kArrowCursor[] = {
    "X           ", "XX          ", "X.X         ", "X..X        ", "X...X       ", "X....X      ",
    "X.....X     ", "X......X    ", "X.......X   ", "X........X  ", "X.........X ", "X......XXXXX",
    "X...X..X    ", "X..XX..X    ", "X.X  X..X   ", "XX   X..X   ", "X     X..X  ", "      X..X  ",
    "       XX   ",
};

}  // namespace

void CaptureScreen(TBitmap& out, bool withCursor) {
    const TRect screen = GetScreenRect();
    out.SetSize(std::max(0, screen.Width()), std::max(0, screen.Height()));
    if (out.Empty()) return;
    out.Fill(GetSysColor(COLOR_BACKGROUND));
    const TSurfaceView target = out.Surface();
    Lock l(G().lock);
    for (HWND h : G().topLevels) {
        const Window* w = FindLocked(h);
        if (!w || w->messageOnly || !w->surface || w->surface->Empty()) continue;
        TRegion shown = VisibleRegionLocked(w, false, false);
        shown.Intersect(w->surfaceRect);
        shown.Intersect(screen);
        const TSurfaceView source = w->surface->Surface();
        for (const TRect& r : shown.Rects()) {
            for (int y = r.Top; y < r.Bottom; ++y) {
                const std::uint32_t* from = source.Row(y - w->surfaceRect.Top) + (r.Left - w->surfaceRect.Left);
                std::copy(from, from + r.Width(), target.Row(y - screen.Top) + (r.Left - screen.Left));
            }
        }
    }
    const TPoint at = G().cursor;
    if (!withCursor || G().cursorShape == crNone || (at.X == -1 && at.Y == -1)) return;
    for (int dy = 0; dy < int(std::size(kArrowCursor)); ++dy) {
        for (int dx = 0; kArrowCursor[dy][dx]; ++dx) {
            const char c = kArrowCursor[dy][dx];
            const int x = at.X + dx - screen.Left, y = at.Y + dy - screen.Top;
            if (c == ' ' || x < 0 || y < 0 || x >= target.Width || y >= target.Height) continue;
            target.At(x, y) = c == 'X' ? 0x000000 : 0xFFFFFF;
        }
    }
}

}  // namespace menvaro

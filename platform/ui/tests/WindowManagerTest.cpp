#include <gtest/gtest.h>

#include <thread>

#include "gfx/Bitmap.h"
#include "ui/Backend.h"
#include "ui/WindowManager.h"

namespace menvaro {
namespace {

// A window that records the messages it gets and paints itself in one colour.
struct Recorder {
    std::vector<std::string>* log = nullptr;
    std::string name;
    TColor color = clWhite;
    HWND hwnd = 0;

    LRESULT Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
        auto put = [&](const char* what) {
            if (log) log->push_back(name + " " + what);
        };
        switch (m) {
            case WM_SETFOCUS: put("setfocus"); break;
            case WM_KILLFOCUS: put("killfocus"); break;
            case WM_ACTIVATE: put(LoWord(w) == WA_INACTIVE ? "deactivate" : "activate"); break;
            case WM_LBUTTONDOWN: put(("down " + std::to_string(GetXLParam(l)) + "," + std::to_string(GetYLParam(l))).c_str()); break;
            case WM_LBUTTONUP: put("up"); break;
            case WM_LBUTTONDBLCLK: put("dblclk"); break;
            case WM_MOUSEMOVE: put("move"); break;
            case WM_MOUSELEAVE: put("leave"); break;
            case WM_CAPTURECHANGED: put("capturechanged"); break;
            case WM_TIMER: put(("timer " + std::to_string(w)).c_str()); break;
            case WM_PAINT: {
                TPaintStruct ps;
                HDC dc = BeginPaint(h, ps);
                if (dc) {
                    dc->Brush().SetColor(color);
                    dc->FillRect(Bounds(-1000, -1000, 3000, 3000));
                }
                EndPaint(h, ps);
                put("paint");
                return 0;
            }
            case WM_ERASEBKGND: return 1;
            case WM_USER: put(("user " + std::to_string(w)).c_str()); return static_cast<LRESULT>(w * 2);
        }
        return DefWindowProc(h, m, w, l);
    }
};

class WM : public ::testing::Test {
protected:
    std::vector<std::string> log;
    std::vector<std::unique_ptr<Recorder>> recs;

    void TearDown() override {
        for (HWND h : GetTopLevelWindows()) DestroyWindow(h);
        PumpAll();
    }

    HWND Make(const char* name, TRect bounds, HWND parent = 0, std::uint32_t style = 0, TColor color = clWhite) {
        auto r = std::make_unique<Recorder>();
        r->log = &log;
        r->name = name;
        r->color = color;
        TCreateParams p;
        p.Bounds = bounds;
        p.Parent = parent;
        p.Style = style | (parent ? WS_CHILD | WS_VISIBLE : WS_POPUP);
        Recorder* raw = r.get();
        r->hwnd = CreateWindowEx(p, [raw](HWND h, UINT m, WPARAM w, LPARAM l) { return raw->Proc(h, m, w, l); });
        recs.push_back(std::move(r));
        return raw->hwnd;
    }

    void PumpAll() {
        TMsg m;
        while (PeekMessage(m, 0, 0, 0, PM_REMOVE)) {
            TranslateMessage(m);
            DispatchMessage(m);
        }
    }
};

TEST_F(WM, PostedMessagesComeInOrderAndFiltersPick) {
    HWND a = Make("a", Bounds(0, 0, 10, 10));
    HWND b = Make("b", Bounds(0, 0, 10, 10));
    PostMessage(a, WM_USER, 1);
    PostMessage(b, WM_USER, 2);
    PostMessage(a, WM_USER + 5, 3);
    TMsg m;
    // A window filter, then a range filter, leave the others queued.
    ASSERT_TRUE(PeekMessage(m, b, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.wParam, 2u);
    ASSERT_TRUE(PeekMessage(m, 0, WM_USER + 5, WM_USER + 5, PM_NOREMOVE));
    EXPECT_EQ(m.wParam, 3u);
    ASSERT_TRUE(PeekMessage(m, 0, WM_USER, WM_USER + 10, PM_REMOVE));
    EXPECT_EQ(m.wParam, 1u);
    ASSERT_TRUE(PeekMessage(m, 0, WM_USER, WM_USER + 10, PM_REMOVE));
    EXPECT_EQ(m.wParam, 3u);
    EXPECT_FALSE(PeekMessage(m, 0, WM_USER, WM_USER + 10, PM_REMOVE));
    EXPECT_EQ(SendMessage(a, WM_USER, 21), 42);
    EXPECT_FALSE(PostMessage(0x7FFFFFF, WM_USER));  // no such window
}

TEST_F(WM, SendFromAnotherThreadRunsOnTheWindowsThread) {
    HWND a = Make("a", Bounds(0, 0, 10, 10));
    std::uintptr_t mine = GetCurrentThreadId();
    std::uintptr_t seen = 0;
    TCreateParams p;
    p.MessageOnly = true;
    HWND probe = CreateWindowEx(p, [&](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_USER) {
            seen = GetCurrentThreadId();
            return 7;
        }
        return DefWindowProc(h, m, w, l);
    });
    LRESULT result = 0;
    std::thread t([&] { result = SendMessage(probe, WM_USER, 0, 0); });
    TMsg m;
    while (result == 0) {
        PeekMessage(m, 0, 0, 0, PM_REMOVE);  // serves the sent message
        std::this_thread::yield();
    }
    t.join();
    EXPECT_EQ(result, 7);
    EXPECT_EQ(seen, mine);
    DestroyWindow(probe);
    (void)a;
}

TEST_F(WM, TimersFireOnTheHeadlessClockWithoutWaiting) {
    HWND a = Make("a", Bounds(0, 0, 10, 10));
    SetTimer(a, 1, 100);
    SetTimer(a, 2, 250);
    std::uint32_t start = GetTickCount();
    TMsg m;
    int got = 0;
    while (got < 4) {
        ASSERT_TRUE(GetMessage(m, 0, 0, 0));
        if (m.message == WM_TIMER) ++got;
        DispatchMessage(m);
    }
    // 100, 200, 250, 300: the clock moved only as far as the timers asked.
    std::vector<std::string> timers;
    for (auto& s : log)
        if (s.rfind("a timer", 0) == 0) timers.push_back(s);
    EXPECT_EQ(timers, (std::vector<std::string>{"a timer 1", "a timer 1", "a timer 2", "a timer 1"}));
    EXPECT_EQ(GetTickCount() - start, 300u);
    KillTimer(a, 1);
    KillTimer(a, 2);
    EXPECT_FALSE(KillTimer(a, 2));
}

TEST_F(WM, ChildPaintingIsClippedBySiblingsAndRegions) {
    HWND top = Make("top", Bounds(100, 100, 60, 40), 0, WS_CLIPCHILDREN, clBlue);
    HWND c1 = Make("c1", Bounds(10, 10, 20, 20), top, 0, clRed);
    HWND c2 = Make("c2", Bounds(20, 15, 20, 20), top, 0, clLime);  // above c1
    SetWindowRgn(c2, CreateEllipticRgn(0, 0, 20, 20), true);
    ShowWindow(top, SW_SHOW);
    PumpAll();
    const TBitmap* s = GetWindowSurface(top);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->Width(), 60);
    EXPECT_EQ(s->Pixel(5, 5), clBlue);     // the parent
    EXPECT_EQ(s->Pixel(12, 12), clRed);    // c1
    EXPECT_EQ(s->Pixel(30, 25), clLime);   // c2's ellipse over c1
    EXPECT_EQ(s->Pixel(21, 16), clRed);    // c2's corner lies outside its region: c1 shows
    EXPECT_EQ(s->Pixel(39, 16), clBlue);   // ... and the parent beside c1
    // Parents paint before their children.
    auto pos = [&](const std::string& what) { return std::find(log.begin(), log.end(), what) - log.begin(); };
    EXPECT_LT(pos("top paint"), pos("c1 paint"));
    EXPECT_LT(pos("c1 paint"), pos("c2 paint"));
    // Hiding c2 repaints what lay under it.
    log.clear();
    ShowWindow(c2, SW_HIDE);
    PumpAll();
    EXPECT_EQ(s->Pixel(25, 25), clRed);
    EXPECT_EQ(ChildWindowFromPoint(top, {25, 25}), c1);
    EXPECT_EQ(ChildWindowFromPoint(top, {30, 25}), top);  // right edges are outside
    // The region is the hit test too: c2's corner belongs to what lies below.
    ShowWindow(c2, SW_SHOW);
    EXPECT_EQ(WindowFromPoint({100 + 21, 100 + 16}), c1);
    EXPECT_EQ(WindowFromPoint({100 + 30, 100 + 25}), c2);
}

TEST_F(WM, MouseGoesToTheWindowUnderItOrToTheCapture) {
    HWND top = Make("top", Bounds(100, 100, 100, 100));
    HWND child = Make("child", Bounds(10, 10, 30, 30), top);
    ShowWindow(top, SW_SHOW);
    PumpAll();
    log.clear();
    synthetic::Click({115, 120});
    PumpAll();
    EXPECT_EQ(log, (std::vector<std::string>{"child move", "child down 5,10", "child up"}));
    log.clear();
    SetCapture(child);
    synthetic::MouseMove({180, 180});
    synthetic::MouseDown();
    PumpAll();
    EXPECT_EQ(log, (std::vector<std::string>{"child move", "child down 70,70"}));
    log.clear();
    ReleaseCapture();
    synthetic::MouseUp();
    PumpAll();
    // The release lands on the window under the pointer now.
    EXPECT_EQ(log, (std::vector<std::string>{"child capturechanged", "child leave", "top up"}));
    EXPECT_EQ(GetCapture(), 0u);
    // A disabled child leaves the click to its parent.
    log.clear();
    EnableWindow(child, false);
    synthetic::Click({115, 120});
    PumpAll();
    EXPECT_EQ(log, (std::vector<std::string>{"top move", "top down 15,20", "top up"}));
}

TEST_F(WM, DoubleClickNeedsTheSamePlaceAndTime) {
    HWND top = Make("top", Bounds(0, 0, 50, 50));
    ShowWindow(top, SW_SHOW);
    PumpAll();
    log.clear();
    synthetic::Click({10, 10});
    synthetic::Click({10, 10});
    synthetic::AdvanceTime(600);
    synthetic::Click({10, 10});
    PumpAll();
    std::vector<std::string> clicks;
    for (auto& s : log)
        if (s.find("move") == std::string::npos) clicks.push_back(s);
    EXPECT_EQ(clicks, (std::vector<std::string>{"top down 10,10", "top up", "top dblclk", "top up", "top down 10,10",
                                                "top up"}));
}

TEST_F(WM, FocusMovesWithKillBeforeSetAndActivatesTheTopLevel) {
    HWND f1 = Make("f1", Bounds(0, 0, 50, 50));
    HWND a = Make("a", Bounds(0, 0, 10, 10), f1);
    HWND f2 = Make("f2", Bounds(60, 0, 50, 50));
    HWND b = Make("b", Bounds(0, 0, 10, 10), f2);
    ShowWindow(f1, SW_SHOWNA);
    ShowWindow(f2, SW_SHOWNA);
    SetFocus(a);
    log.clear();
    SetFocus(b);
    // Activating f2 gives it the focus first (its default answer), then b takes it.
    EXPECT_EQ(log, (std::vector<std::string>{"f1 deactivate", "f2 activate", "a killfocus", "f2 setfocus",
                                             "f2 killfocus", "b setfocus"}));
    EXPECT_EQ(GetActiveWindow(), f2);
    EXPECT_EQ(GetFocus(), b);
    // Keys go to the focus.
    log.clear();
    DestroyWindow(b);
    EXPECT_EQ(GetFocus(), 0u);
}

TEST_F(WM, DropDownTakesClicksButNeverTheActivationOrFocus) {
    HWND form = Make("form", Bounds(0, 0, 100, 100), 0, WS_CAPTION);
    HWND field = Make("field", Bounds(10, 10, 50, 20), form);
    ShowWindow(form, SW_SHOW);
    SetFocus(field);
    auto r = std::make_unique<Recorder>();
    r->log = &log;
    r->name = "popup";
    Recorder* raw = r.get();
    TCreateParams p;
    p.Bounds = Bounds(10, 130, 80, 60);
    p.Style = WS_POPUP | WS_BORDER;
    p.ExStyle = WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_TOPMOST;
    HWND popup = CreateWindowEx(p, [raw](HWND h, UINT m, WPARAM w, LPARAM l) { return raw->Proc(h, m, w, l); });
    recs.push_back(std::move(r));
    ShowWindow(popup, SW_SHOW);
    PumpAll();
    log.clear();
    synthetic::Click({20, 140});
    PumpAll();
    EXPECT_EQ(GetActiveWindow(), form);
    EXPECT_EQ(GetFocus(), field);
    EXPECT_EQ(log, (std::vector<std::string>{"popup move", "popup down 9,9", "popup up"}));
    // Its frame is drawn on its own surface, around the client area.
    const TBitmap* s = GetWindowSurface(popup);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->Pixel(0, 0), ColorToRGB(clWindowFrame));
    EXPECT_EQ(s->Pixel(1, 1), clWhite);
}

TEST_F(WM, TheCaretCountsItsHidingBlinksAndGoesWithItsWindow) {
    HWND top = Make("top", Bounds(10, 10, 200, 100));
    HWND child = Make("child", Bounds(5, 5, 100, 40), top);
    ShowWindow(top, SW_SHOW);
    PumpAll();
    TRect r;
    EXPECT_FALSE(GetCaretShownRect(child, r));
    ASSERT_TRUE(CreateCaret(child, 1, 13));
    EXPECT_FALSE(GetCaretShownRect(child, r));  // made hidden
    ASSERT_TRUE(SetCaretPos(7, 3));
    EXPECT_TRUE(ShowCaret(child));
    ASSERT_TRUE(GetCaretShownRect(child, r));
    EXPECT_EQ(r, Bounds(7, 3, 1, 13));
    EXPECT_FALSE(GetCaretShownRect(top, r));
    EXPECT_FALSE(ShowCaret(top));  // not the caret's window
    // Hidden twice needs showing twice.
    HideCaret(0);
    HideCaret(child);
    ShowCaret(child);
    EXPECT_FALSE(GetCaretShownRect(child, r));
    ShowCaret(child);
    EXPECT_TRUE(GetCaretShownRect(child, r));
    // It blinks, and moving it shows it at once.
    synthetic::AdvanceTime(GetCaretBlinkTime());
    PumpAll();
    EXPECT_FALSE(GetCaretShownRect(child, r));
    SetCaretPos(9, 3);
    EXPECT_TRUE(GetCaretShownRect(child, r));
    TPoint p;
    ASSERT_TRUE(GetCaretPos(p));
    EXPECT_EQ(p, (TPoint{9, 3}));
    DestroyWindow(child);
    EXPECT_FALSE(GetCaretPos(p));
    EXPECT_FALSE(ShowCaret(0));
}

TEST_F(WM, MonitorsAnswerByTheMostOfARectOrTheNearestOne) {
    SetMonitorLayout({{Bounds(0, 0, 800, 600), Bounds(0, 30, 800, 570), false},
                      {Bounds(800, 100, 640, 480), Bounds(800, 100, 640, 440), true}});
    struct Case {
        TRect r;
        UINT flags;
        HMONITOR want;
    };
    for (Case c : {Case{Bounds(10, 10, 50, 50), MONITOR_DEFAULTTONULL, 1},
                   {Bounds(700, 200, 300, 50), 0, 2},
                   {Bounds(700, 200, 50, 50), 0, 1},
                   {Bounds(3000, 3000, 5, 5), MONITOR_DEFAULTTONULL, 0},
                   {Bounds(3000, 3000, 5, 5), MONITOR_DEFAULTTOPRIMARY, 2},
                   {Bounds(-500, 20, 5, 5), MONITOR_DEFAULTTONEAREST, 1},
                   {Bounds(1000, 900, 5, 5), MONITOR_DEFAULTTONEAREST, 2},
                   {Bounds(900, 120, 0, 0), 0, 2}})
        EXPECT_EQ(MonitorFromRect(c.r, c.flags), c.want) << c.r.Left << "," << c.r.Top;
    EXPECT_EQ(MonitorFromPoint({10, 10}, MONITOR_DEFAULTTONULL), 1u);
    EXPECT_EQ(MonitorFromPoint({799, 5}, MONITOR_DEFAULTTONULL), 1u);
    EXPECT_EQ(MonitorFromPoint({800, 5}, MONITOR_DEFAULTTONULL), 0u);
    TMonitorInfo mi;
    ASSERT_TRUE(GetMonitorInfo(2, mi));
    EXPECT_EQ(mi.rcWork, Bounds(800, 100, 640, 440));
    EXPECT_FALSE(GetMonitorInfo(3, mi));
    // The primary monitor is the screen and its work area the desktop's.
    EXPECT_EQ(GetScreenRect(), Bounds(800, 100, 640, 480));
    EXPECT_EQ(GetWorkArea(), Bounds(800, 100, 640, 440));
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 640);
    HWND w = Make("w", Bounds(790, 200, 100, 50));
    EXPECT_EQ(MonitorFromWindow(w, MONITOR_DEFAULTTONEAREST), 2u);
    SetMonitorLayout({});
    EXPECT_EQ(GetMonitors().size(), 1u);
    EXPECT_EQ(GetWorkArea(), Bounds(0, 0, 1024, 728));
}

TEST_F(WM, AWindowsScrollBarShowsWhileThereIsSomethingToScroll) {
    HWND w = Make("w", Bounds(10, 10, 200, 100));
    TRect c;
    GetClientRect(w, c);
    EXPECT_EQ(c.Width(), 200);
    TScrollInfo info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = 0;
    info.nMax = 49;
    info.nPage = 10;
    info.nPos = 45;
    // The position cannot pass what the page leaves.
    EXPECT_EQ(SetScrollInfo(w, SB_VERT, info), 40);
    EXPECT_TRUE(GetWindowLong(w, GWL_STYLE) & WS_VSCROLL);
    GetClientRect(w, c);
    EXPECT_EQ(c.Width(), 200 - GetSystemMetrics(SM_CXVSCROLL));
    EXPECT_EQ(SetScrollPos(w, SB_VERT, -3), 40);
    EXPECT_EQ(GetScrollPos(w, SB_VERT), 0);
    int mn, mx;
    ASSERT_TRUE(GetScrollRange(w, SB_VERT, mn, mx));
    EXPECT_EQ(mx, 49);
    // A page as big as the range leaves nothing to scroll: the bar goes,
    // unless asked to stay greyed.
    info.fMask = SIF_PAGE;
    info.nPage = 50;
    SetScrollInfo(w, SB_VERT, info);
    EXPECT_FALSE(GetWindowLong(w, GWL_STYLE) & WS_VSCROLL);
    info.fMask = SIF_PAGE | SIF_DISABLENOSCROLL;
    SetScrollInfo(w, SB_VERT, info);
    EXPECT_TRUE(GetWindowLong(w, GWL_STYLE) & WS_VSCROLL);
    ShowScrollBar(w, SB_BOTH, false);
    GetClientRect(w, c);
    EXPECT_EQ(c, Bounds(0, 0, 200, 100));
    ShowScrollBar(w, SB_HORZ, true);
    GetClientRect(w, c);
    EXPECT_EQ(c.Height(), 100 - GetSystemMetrics(SM_CYHSCROLL));
}

TEST_F(WM, AClickOnAWindowsOwnBarScrollsItAndNotItsClientArea) {
    std::vector<int> codes;
    TCreateParams p;
    p.Bounds = Bounds(10, 10, 120, 100);
    p.Style = WS_POPUP | WS_VSCROLL;
    HWND w = CreateWindowEx(p, [&](HWND h, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_VSCROLL) codes.push_back(LoWord(wp));
        if (m == WM_LBUTTONDOWN) codes.push_back(-1);
        return DefWindowProc(h, m, wp, lp);
    });
    ShowWindow(w, SW_SHOW);
    TScrollInfo info;
    info.nMax = 99;
    info.nPage = 10;
    SetScrollInfo(w, SB_VERT, info);
    PumpAll();
    synthetic::Click({10 + 120 - 8, 10 + 100 - 8});  // the down arrow
    PumpAll();
    EXPECT_EQ(codes, (std::vector<int>{SB_LINEDOWN, SB_ENDSCROLL}));
    codes.clear();
    synthetic::Click({10 + 120 - 8, 10 + 60});  // the track below the thumb
    synthetic::Click({10 + 20, 10 + 20});       // the client area
    PumpAll();
    EXPECT_EQ(codes, (std::vector<int>{SB_PAGEDOWN, SB_ENDSCROLL, -1}));
    DestroyWindow(w);
}

TEST_F(WM, NoChoiceWithoutADisplayIsAClearError) {
    ::unsetenv("DISPLAY");
    ::unsetenv("WAYLAND_DISPLAY");
    std::string saved = std::getenv("MENVARO_UI") ? std::getenv("MENVARO_UI") : "";
    ::unsetenv("MENVARO_UI");
    std::string error;
    EXPECT_EQ(CreateBackendFromEnvironment(error), nullptr);
    EXPECT_NE(error.find("MENVARO_UI=headless"), std::string::npos) << error;
    ::setenv("MENVARO_UI", "curses", 1);
    EXPECT_EQ(CreateBackendFromEnvironment(error), nullptr);
    EXPECT_EQ(error, "menvaro: MENVARO_UI=curses names no backend (headless or sdl)");
    ::setenv("MENVARO_UI", saved.c_str(), 1);
}

}  // namespace
}  // namespace menvaro

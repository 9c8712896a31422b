// Internal state of the window manager, shared by its three parts:
// WmWindows.cpp (the window tree, geometry, painting), WmQueue.cpp (threads,
// messages, timers, focus, activation, capture) and WmInput.cpp (backend
// events, the synthetic event source, the backend in use).
//
// One (recursive) mutex guards everything here. Functions named ...Locked
// expect it held; no window procedure is ever called while it is held, and
// a wait for messages holds it once.
#pragma once

#include <array>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_map>
#include <vector>

#include "gfx/Bitmap.h"
#include "gfx/Canvas.h"
#include "gfx/Region.h"
#include "ui/Backend.h"
#include "ui/WindowManager.h"

namespace menvaro::wm {

struct ThreadState;

// A scroll bar's state: the window's own bars and a scroll-bar control's.
struct ScrollBarState {
    int min = 0;
    int max = 100;
    int page = 0;
    int pos = 0;
    int trackPos = 0;
    bool tracking = false;
    bool disableNoScroll = false;  // shown, and greyed, while nothing can scroll
};

struct Window {
    HWND handle = 0;
    HWND parent = 0;
    HWND owner = 0;
    std::vector<HWND> children;  // z-order, bottom first
    TRect rect;                  // in the parent's client coordinates, or the screen's
    TRect client;                // in window coordinates
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    std::uint32_t classStyle = 0;
    std::string text;
    std::optional<TRegion> region;  // window coordinates
    TRegion update;                 // client coordinates
    bool erase = false;
    bool ncPaint = false;
    bool painted = false;  // BeginPaint ran since the last WM_PAINT was handed out
    bool messageOnly = false;
    bool ownFrame = false;  // caption and frame painted by the program
    std::string className;
    bool destroying = false;
    TWindowProc proc;
    void* userData = nullptr;
    ThreadState* thread = nullptr;

    // Top-level windows that paint.
    std::unique_ptr<TBitmap> surface;
    TRect surfaceRect;  // screen coordinates
    bool decorated = false;
    std::uintptr_t backendId = 0;
    bool backendShown = false;
    TRect dirty;  // surface coordinates, waiting to be presented

    ScrollBarState hbar, vbar, ctlbar;  // ctlbar: the window is a scroll-bar control
    bool ncScrollTracking = false;      // its own bar has the mouse: NC messages while captured

    bool Visible() const { return (style & WS_VISIBLE) != 0; }
    // A drop-down: an undecorated tool or no-activate window; it never takes the focus.
    bool DropDown() const {
        return parent == 0 && (style & WS_POPUP) && !decorated && (exStyle & (WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE));
    }
    bool Enabled() const { return (style & WS_DISABLED) == 0; }
    bool TopLevel() const { return parent == 0; }
};

struct SentMessage {
    HWND hwnd = 0;
    UINT msg = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    LRESULT result = 0;
    bool done = false;
    // The sender stopped waiting (SendMessageTimeout) while the message was
    // handled: whoever handles it frees it.
    bool abandoned = false;
    std::exception_ptr error;
};

struct Timer {
    HWND hwnd = 0;
    std::uintptr_t id = 0;
    unsigned interval = 0;
    std::uint64_t due = 0;
    TTimerProc proc;
};

// An input message with the keyboard's state when it was made: GetKeyState
// answers that state while the message is handled.
struct InputMsg {
    TMsg msg;
    std::array<bool, 256> keys{};
};

// The caret of a thread.
struct Caret {
    HWND owner = 0;
    TRect rect;  // owner's client coordinates
    int hidden = 1;
    bool on = true;  // blink phase
};

// A scroll bar the mouse holds (the window's own bar or a scroll-bar
// control), and where.
struct ScrollTrack {
    HWND hwnd = 0;
    int bar = 0;       // SB_HORZ, SB_VERT or SB_CTL
    int part = 0;      // a TScrollBarPart
    bool over = true;  // the mouse is on the part pressed
    int grab = 0;      // thumb: the mouse's distance from the thumb's start
    TPoint last;       // window coordinates
    bool firstDelay = true;
};

struct ThreadState {
    std::thread::id id;
    std::uintptr_t number = 0;
    std::deque<TMsg> posted;
    std::deque<InputMsg> input;
    std::array<bool, 256> keys{};  // as of the input message being handled
    std::deque<SentMessage*> sent;
    std::vector<Timer> timers;
    bool quit = false;
    int quitCode = 0;
    std::uint64_t lastLook = 0;  // real time the thread last looked at its queue
    HWND focus = 0;
    HWND active = 0;
    Caret caret;
    ScrollTrack scrollTrack;
    std::condition_variable_any cv;
    bool gone = false;  // the thread ended
};

struct MouseButtonMemory {
    HWND hwnd = 0;
    int button = 0;
    std::uint32_t time = 0;
    TPoint pos;
    bool wasDouble = false;
};

struct Globals {
    std::recursive_mutex lock;
    std::unordered_map<HWND, std::unique_ptr<Window>> windows;
    HWND nextHandle = 0x10000;
    std::vector<HWND> topLevels;  // z-order, bottom first
    std::vector<ThreadState*> threads;
    std::uintptr_t nextThreadNumber = 1;
    HWND foreground = 0;
    HWND capture = 0;
    HWND mouseWindow = 0;  // the window that had the last mouse move
    TPoint cursor{-1, -1};
    std::array<bool, 256> keys{};
    MouseButtonMemory lastDown;
    TCursor cursorShape = crArrow;
    std::uint64_t virtualNow = 0;
    std::uintptr_t nextTimerId = 0x8000;
    int beeps = 0;
    std::map<TCanvas*, std::unique_ptr<TCanvas>> dcs;
    std::map<TCanvas*, HWND> dcRoots;

    // Monitors set by a test in place of the backend's (empty: the backend's).
    std::vector<TMonitorInfo> monitors;

    std::unique_ptr<TBackend> backend;
    std::thread::id backendThread;
    bool virtualTime = false;
};

Globals& G();

// The calling thread's state (made on first use).
ThreadState& CurrentThread();

Window* FindLocked(HWND hwnd);
Window* RootLocked(Window* w);
TRect WindowRectScreenLocked(const Window* w);
TPoint ClientOriginScreenLocked(const Window* w);
// What of the window (its client area, or the whole window) can be painted,
// in screen coordinates; empty when a window on the way is hidden.
TRegion VisibleRegionLocked(const Window* w, bool clientOnly, bool clipChildren);
bool IsVisibleLocked(const Window* w);
bool IsEnabledLocked(const Window* w);
HWND WindowFromPointLocked(TPoint screen);
void InvalidateLocked(Window* w, const TRegion& clientRgn, bool erase, bool children);
void InvalidateWholeLocked(Window* w, bool erase);
// Moves a top-level window to the top of its band (top-most windows stay
// above the others).
void PushTopLevelLocked(HWND h);
// Finds a window of `ts` that needs painting (filter 0: any).
Window* FindPaintLocked(ThreadState* ts, HWND filter);
bool NeedsPaintLocked(const Window* w);

std::uint64_t NowLocked();
// Wakes a thread waiting for messages.
void WakeLocked(ThreadState* ts);
bool IsBackendThread();
// Presents the dirty parts of the shown surfaces (backend thread).
void PresentLocked();

// Calls a window procedure (no lock held); windows gone answer 0.
LRESULT CallProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// The sink the backend and the synthetic source feed.
TBackendSink& InputSink();

// The frame of a window of these styles, without its scroll bars.
TRect BorderInsets(std::uint32_t style, std::uint32_t exStyle, bool topLevel);

// Window scroll bars (WmScroll.cpp): where the window's own bars lie, in
// window coordinates (empty when not shown), and which of them holds a point
// (HTHSCROLL, HTVSCROLL or HTNOWHERE).
TRect WindowScrollBarRectLocked(const Window* w, int bar);
LRESULT WindowScrollBarHitLocked(const Window* w, TPoint windowPoint);
// DefWindowProc's share: the mouse on the window's own bars (the WM_NC
// mouse messages; true when one was taken) and their painting on a window DC.
bool WindowScrollBarMouse(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
void DrawWindowScrollBars(HWND hwnd, HDC windowDC);
// Ends a scroll of the mouse that lost its capture.
void CancelScrollTrack(HWND hwnd);
// The caret goes with its window.
void ForgetCaretLocked(HWND hwnd);

}  // namespace menvaro::wm

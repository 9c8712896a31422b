// The window manager: windows by handle, their tree, geometry, visibility,
// regions, painting, focus, capture and activation, and the message queue
// of each user-interface thread. Top-level windows (forms, dialogs,
// drop-down popups) are backend windows; child windows are light records
// painted into their top-level window's 32-bit surface.
//
// The calls keep the shape the controls' code expects of a window system
// (CreateWindow, SetWindowPos, InvalidateRect, GetDC, SetWindowRgn, SetFocus,
// SetCapture, PostMessage, PeekMessage, SetTimer ...). Coordinates of a child
// window are relative to its parent's client area; of a top-level window,
// screen coordinates. A window's messages are handled on the thread that
// created it; other threads post or send to it.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "classes/Messages.h"
#include "gfx/Canvas.h"
#include "gfx/Region.h"
#include "gfx/Types.h"

namespace menvaro {

class TBitmap;

// A device context: a canvas bound to a top-level surface with the origin
// and clip of one window.
using HDC = TCanvas*;

using TWindowProc = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;

struct TCreateParams {
    std::string Caption;
    std::uint32_t Style = 0;    // WS_*
    std::uint32_t ExStyle = 0;  // WS_EX_*
    std::uint32_t ClassStyle = CS_DBLCLKS;
    TRect Bounds;              // in the parent's client coordinates, or the screen's
    HWND Parent = 0;           // 0: a top-level window
    HWND Owner = 0;            // top-level windows: the window it belongs to
    void* UserData = nullptr;  // the control behind the window, for FindControl
    // A window that only receives messages (timers, notices): never shown,
    // needs no backend.
    bool MessageOnly = false;
    // The window's class name (GetClassName); a control's is its class's.
    std::string ClassName;
    // A top-level window with a caption whose caption and frame the program
    // paints itself (WM_NCPAINT, WM_NCACTIVATE): the backend window has no
    // decoration and the surface covers the whole window.
    bool PaintsOwnFrame = false;
};

// Creates a window and sends it WM_CREATE; the procedure answers every
// message of the window (DefWindowProc gives the default answers). Raises
// EOSError-free EInvalidOperation when the parent does not exist.
HWND CreateWindowEx(const TCreateParams& params, TWindowProc proc);
// Destroys the window and its children (WM_DESTROY to each, parents first);
// false for a handle that names no window.
bool DestroyWindow(HWND hwnd);
bool IsWindow(HWND hwnd);
// The default answer to a message.
LRESULT DefWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
void* GetWindowUserData(HWND hwnd);

HWND GetParent(HWND hwnd);
HWND SetParent(HWND hwnd, HWND parent);  // 0 makes it a top-level window
HWND GetWindowOwner(HWND hwnd);
// The top-level window of `hwnd` (itself when it is one).
HWND GetAncestorRoot(HWND hwnd);
bool IsChild(HWND parent, HWND hwnd);
// Children in z-order, bottom first.
std::vector<HWND> GetChildWindows(HWND hwnd);
// Top-level windows of the calling thread (0: of every thread), bottom first.
std::vector<HWND> GetTopLevelWindows(bool callingThreadOnly = true);

enum : int { GWL_STYLE = -16, GWL_EXSTYLE = -20 };
std::uint32_t GetWindowLong(HWND hwnd, int index);
// The class name given at creation ("" for a handle that names no window).
std::string GetClassName(HWND hwnd);
std::uint32_t SetWindowLong(HWND hwnd, int index, std::uint32_t value);
std::string GetWindowText(HWND hwnd);
void SetWindowText(HWND hwnd, const std::string& text);

bool ShowWindow(HWND hwnd, int command);
bool IsWindowVisible(HWND hwnd);  // this window and all its ancestors
bool EnableWindow(HWND hwnd, bool enable);
bool IsWindowEnabled(HWND hwnd);

inline constexpr HWND HWND_TOP = 0;
inline constexpr HWND HWND_BOTTOM = 1;
inline constexpr HWND HWND_TOPMOST = HWND(-1);
inline constexpr HWND HWND_NOTOPMOST = HWND(-2);
bool SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
bool MoveWindow(HWND hwnd, int x, int y, int width, int height, bool repaint = true);
bool BringWindowToTop(HWND hwnd);

// Window rectangle in screen coordinates; client rectangle at (0, 0).
bool GetWindowRect(HWND hwnd, TRect& r);
bool GetClientRect(HWND hwnd, TRect& r);
TPoint ClientToScreen(HWND hwnd, TPoint p);
TPoint ScreenToClient(HWND hwnd, TPoint p);
// Converts from `from`'s client coordinates to `to`'s (0: the screen).
TPoint MapWindowPoint(HWND from, HWND to, TPoint p);
TRect MapWindowRect(HWND from, HWND to, TRect r);

// The frame widths (left, top, right, bottom in a TRect) that a window of
// these styles has around its client area by default, its scroll bars
// (WS_HSCROLL, WS_VSCROLL) included.
TRect WindowFrameInsets(std::uint32_t style, std::uint32_t exStyle, bool topLevel);

// The window region (in window coordinates) clips painting and hit tests;
// nullopt removes it.
bool SetWindowRgn(HWND hwnd, std::optional<TRegion> region, bool redraw);
std::optional<TRegion> GetWindowRgn(HWND hwnd);

// The deepest visible and enabled window at a screen point (window regions
// respected); 0 where there is none of this program.
HWND WindowFromPoint(TPoint screen);
// The child of `parent` at a point of its client area (hidden ones skipped),
// `parent` itself when no child is there, 0 outside it.
HWND ChildWindowFromPoint(HWND parent, TPoint client);

// Painting. The update region is in client coordinates. A parent without
// WS_CLIPCHILDREN paints over its children, so invalidating it invalidates
// them too.
bool InvalidateRect(HWND hwnd, const TRect* r, bool erase);
bool InvalidateRgn(HWND hwnd, const TRegion* r, bool erase);
bool ValidateRect(HWND hwnd, const TRect* r);
bool GetUpdateRect(HWND hwnd, TRect& r);
enum : UINT {
    RDW_INVALIDATE = 0x0001,
    RDW_INTERNALPAINT = 0x0002,
    RDW_ERASE = 0x0004,
    RDW_VALIDATE = 0x0008,
    RDW_NOERASE = 0x0020,
    RDW_ALLCHILDREN = 0x0080,
    RDW_UPDATENOW = 0x0100,
    RDW_ERASENOW = 0x0200,
    RDW_FRAME = 0x0400,
    RDW_NOCHILDREN = 0x0040,
};
bool RedrawWindow(HWND hwnd, const TRect* r, const TRegion* rgn, UINT flags);
// Paints now what is invalid in the window and its children.
bool UpdateWindow(HWND hwnd);

struct TPaintStruct {
    HDC hdc = nullptr;
    bool fErase = false;
    TRect rcPaint;
};
// Sends WM_NCPAINT and WM_ERASEBKGND as needed and answers a context clipped
// to what is invalid, then validates the window.
HDC BeginPaint(HWND hwnd, TPaintStruct& ps);
void EndPaint(HWND hwnd, const TPaintStruct& ps);
// A context on the client area (GetDC) or on the whole window (GetWindowDC),
// clipped to what of it is visible; ReleaseDC gives it back.
HDC GetDC(HWND hwnd);
HDC GetWindowDC(HWND hwnd);
void ReleaseDC(HWND hwnd, HDC dc);
// The surface a top-level window paints on (for screenshots); empty for a
// child window.
const TBitmap* GetWindowSurface(HWND hwnd);
// Shows the backend what changed on the surfaces (the message loop does it
// whenever it waits).
void PresentWindows();
// What the desktop shows of a top-level window; false when the backend
// cannot say.
bool ReadBackWindow(HWND hwnd, TBitmap& out);
// The screen as this program shows it: the primary monitor in the desktop
// colour, every shown top-level window of every thread composed at its
// place (its window region respected, bottom first) from its surface as
// last painted, and, with `withCursor`, the mouse cursor (an arrow, its
// hot spot at the cursor position; none while the position is unknown or
// the cursor is crNone). A decorated window's frame belongs to the desktop
// and is not part of its surface. `out` becomes the monitor's size.
void CaptureScreen(TBitmap& out, bool withCursor);

// Keyboard focus, activation and capture, per thread.
HWND SetFocus(HWND hwnd);
HWND GetFocus();
// The window with the keyboard focus in the thread `threadId` (as
// GetWindowThreadId answers it); 0 when it has none.
HWND GetThreadFocus(std::uintptr_t threadId);
HWND SetActiveWindow(HWND hwnd);
HWND GetActiveWindow();
HWND GetForegroundWindow();
bool SetForegroundWindow(HWND hwnd);
HWND SetCapture(HWND hwnd);
bool ReleaseCapture();
HWND GetCapture();

// Input state.
short GetKeyState(int vk);  // high bit: down
short GetAsyncKeyState(int vk);
TShiftState KeysToShiftState(WPARAM keys);
TShiftState KeyDataToShiftState(LPARAM keyData);
// The current shift state from the key table.
TShiftState GetShiftState();
TPoint GetCursorPos();
void SetCursorPos(TPoint screen);

// Cursors: the class library's crXXX numbers.
using TCursor = int;
enum : int {
    crDefault = 0,
    crNone = -1,
    crArrow = -2,
    crCross = -3,
    crIBeam = -4,
    crSize = -22,
    crSizeNESW = -6,
    crSizeNS = -7,
    crSizeNWSE = -8,
    crSizeWE = -9,
    crUpArrow = -10,
    crHourGlass = -11,
    crDrag = -12,
    crNoDrop = -13,
    crHSplit = -14,
    crVSplit = -15,
    crMultiDrag = -16,
    crSQLWait = -17,
    crNo = -18,
    crAppStart = -19,
    crHelp = -20,
    crHandPoint = -21,
    crSizeAll = -22,
};
void SetCursor(TCursor cursor);
TCursor GetCurrentCursor();

// Metrics of the screen and of window parts.
enum : int {
    SM_CXSCREEN = 0,
    SM_CYSCREEN = 1,
    SM_CXVSCROLL = 2,
    SM_CYHSCROLL = 3,
    SM_CYCAPTION = 4,
    SM_CXBORDER = 5,
    SM_CYBORDER = 6,
    SM_CXDLGFRAME = 7,
    SM_CYDLGFRAME = 8,
    SM_CYVTHUMB = 9,
    SM_CXHTHUMB = 10,
    SM_CXICON = 11,
    SM_CYICON = 12,
    SM_CXCURSOR = 13,
    SM_CYCURSOR = 14,
    SM_CYMENU = 15,
    SM_CXFULLSCREEN = 16,
    SM_CYFULLSCREEN = 17,
    SM_CYVSCROLL = 20,
    SM_CXHSCROLL = 21,
    SM_CXMIN = 28,
    SM_CYMIN = 29,
    SM_CXSIZE = 30,
    SM_CYSIZE = 31,
    SM_CXFRAME = 32,
    SM_CYFRAME = 33,
    SM_CXDOUBLECLK = 36,
    SM_CYDOUBLECLK = 37,
    SM_CXEDGE = 45,
    SM_CYEDGE = 46,
    SM_CYSMCAPTION = 51,
};
int GetSystemMetrics(int index);
// The double-click time in milliseconds.
unsigned GetDoubleClickTime();
// The desktop's work area (the primary monitor less the panels of the
// desktop) and the primary monitor's rectangle.
TRect GetWorkArea();
TRect GetScreenRect();

// Monitors: each with its rectangle and its work area, in screen
// coordinates. A handle is 1 + the monitor's index; 0 is none.
using HMONITOR = std::uintptr_t;
enum : UINT { MONITOR_DEFAULTTONULL = 0, MONITOR_DEFAULTTOPRIMARY = 1, MONITOR_DEFAULTTONEAREST = 2 };
struct TMonitorInfo {
    TRect rcMonitor;
    TRect rcWork;
    bool Primary = false;
};
// The backend's monitors, or the layout a test set.
std::vector<TMonitorInfo> GetMonitors();
// Puts `monitors` in place of the backend's (tests: the headless screen is
// one fixed monitor); an empty list gives the backend's back. The first
// monitor marked Primary is the primary one (the first, when none is).
void SetMonitorLayout(std::vector<TMonitorInfo> monitors);
// The monitor that holds the most of `r` (or holds `p`); without one, by
// `flags`: none, the primary one, or the nearest.
HMONITOR MonitorFromRect(const TRect& r, UINT flags);
HMONITOR MonitorFromPoint(TPoint p, UINT flags);
HMONITOR MonitorFromWindow(HWND hwnd, UINT flags);
bool GetMonitorInfo(HMONITOR monitor, TMonitorInfo& info);

// The caret: one a thread, owned by a window. CreateCaret makes it hidden;
// ShowCaret and HideCaret count (hwnd 0: the caret's own window). It
// blinks by itself; the owner draws it in its painting where and when
// GetCaretShownRect says.
bool CreateCaret(HWND hwnd, int width, int height);
bool DestroyCaret();
bool ShowCaret(HWND hwnd);
bool HideCaret(HWND hwnd);
// In the caret window's client coordinates; the caret shows at once.
bool SetCaretPos(int x, int y);
bool GetCaretPos(TPoint& p);
unsigned GetCaretBlinkTime();
// The caret of `hwnd` as it shows now; false when it is not there, hidden
// or in the dark half of its blink.
bool GetCaretShownRect(HWND hwnd, TRect& r);

// Scroll bars: a window's own (SB_HORZ, SB_VERT: shown in its frame while
// the style has WS_HSCROLL / WS_VSCROLL) and scroll-bar controls (SB_CTL,
// `hwnd` the control's window). A bar tells of the user's scrolling by
// WM_HSCROLL / WM_VSCROLL (wParam: the SB_ code, with the position in the
// high word for SB_THUMBPOSITION and SB_THUMBTRACK), sent to the window
// itself with lParam 0, or by a control to its parent window with lParam
// the control's window. The position moves only by SetScrollInfo and
// SetScrollPos.
struct TScrollInfo {
    UINT fMask = SIF_ALL;
    int nMin = 0;
    int nMax = 0;
    UINT nPage = 0;
    int nPos = 0;
    int nTrackPos = 0;
};
// Sets what fMask names; the page is cut to the range and the position to
// what the page leaves. A window's own bar shows while there is something
// to scroll (SIF_DISABLENOSCROLL: greyed instead of hidden). Answers the
// position.
int SetScrollInfo(HWND hwnd, int bar, const TScrollInfo& info, bool redraw = true);
bool GetScrollInfo(HWND hwnd, int bar, TScrollInfo& info);
int SetScrollPos(HWND hwnd, int bar, int pos, bool redraw = true);
int GetScrollPos(HWND hwnd, int bar);
bool SetScrollRange(HWND hwnd, int bar, int min, int max, bool redraw = true);
bool GetScrollRange(HWND hwnd, int bar, int& min, int& max);
bool ShowScrollBar(HWND hwnd, int bar, bool show);

// The parts of a scroll bar.
enum TScrollBarPart { sbpNone, sbpLineUp, sbpPageUp, sbpThumb, sbpPageDown, sbpLineDown };
// Where the parts of a bar in `r` lie for `info` (thumb empty when there is
// no room or nothing to scroll).
struct TScrollBarLayout {
    bool Vertical = true;
    TRect Bar, LineUp, LineDown, Track, Thumb;
};
TScrollBarLayout LayoutScrollBar(const TRect& r, bool vertical, const TScrollInfo& info);
TScrollBarPart ScrollBarPartAt(const TScrollBarLayout& layout, TPoint p);
// Draws a bar: arrows, track and thumb; `pressed` is drawn held down.
void DrawScrollBar(HDC dc, const TScrollBarLayout& layout, bool enabled, TScrollBarPart pressed);
// The scroll-bar control as a window kind: a control that stands for one
// passes every message of its window here from its DefWndProc (SBS_VERT in
// the style makes it vertical), and paints it with PaintScrollBarControl.
LRESULT ScrollBarControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
void PaintScrollBarControl(HWND hwnd, HDC dc);

void MessageBeep(unsigned type);
// How many times MessageBeep was called (tests watch it).
int BeepCount();

// Messages.
struct TMsg {
    HWND hwnd = 0;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    std::uint32_t time = 0;
    TPoint pt;
};
LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
// SendMessage that gives up after `timeoutMs` (the calling thread still
// answers what is sent to it while it waits): false when the time ran out,
// the window is gone or its thread ended; else the answer in `result`. A
// message its window's thread has begun to handle is answered there, and
// the answer is dropped. With SMTO_ABORTIFHUNG a thread that has not
// looked at its queue for 5 seconds is not waited for.
enum : UINT { SMTO_NORMAL = 0x0, SMTO_BLOCK = 0x1, SMTO_ABORTIFHUNG = 0x2 };
bool SendMessageTimeout(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT flags, unsigned timeoutMs,
                        LRESULT* result);
// Posts to the window's thread (hwnd 0: to the calling thread).
bool PostMessage(HWND hwnd, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
// hwnd 0 takes the messages of every window of the thread (and those posted
// to the thread); `first`..`last` 0..0 takes every message number.
bool PeekMessage(TMsg& msg, HWND hwnd, UINT first, UINT last, UINT flags);
// Waits for a message; false on WM_QUIT.
bool GetMessage(TMsg& msg, HWND hwnd, UINT first, UINT last);
void WaitMessage();
// Key-down messages of keys that stand for a control character (Enter,
// Esc, Backspace, Tab, Ctrl+letter) post the WM_CHAR of that character;
// Alt+key posts WM_SYSCHAR. Typed text arrives as WM_CHAR by itself.
bool TranslateMessage(const TMsg& msg);
LRESULT DispatchMessage(const TMsg& msg);
void PostQuitMessage(int exitCode);
// The clock messages and timers use, in milliseconds.
std::uint32_t GetTickCount();

using TTimerProc = std::function<void(HWND, UINT, std::uintptr_t id, std::uint32_t time)>;
// A timer posts WM_TIMER (wParam the id) when due and the queue is
// otherwise empty; hwnd 0 gets a new id. Intervals below 10 ms count as 10.
std::uintptr_t SetTimer(HWND hwnd, std::uintptr_t id, unsigned elapse, TTimerProc proc = nullptr);
bool KillTimer(HWND hwnd, std::uintptr_t id);

// Windows of other threads: the calling thread processes the messages sent
// to its own windows while it waits.
std::uintptr_t GetWindowThreadId(HWND hwnd);
std::uintptr_t GetCurrentThreadId();

// True when the calling thread has nothing to do: no sent, posted or input
// message waits and no window needs painting (timers do not count).
bool IsThreadIdle();

// The clipboard's text.
std::string GetClipboardText();
void SetClipboardText(const std::string& text);

}  // namespace menvaro

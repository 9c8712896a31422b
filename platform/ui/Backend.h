// Backends: what stands behind top-level windows. `headless` keeps every
// window in memory and takes input only from the synthetic event source
// (tests, UI scripts); `sdl` makes real SDL2 windows (also under SDL's
// offscreen driver). MENVARO_UI picks one; without it a display (DISPLAY or
// WAYLAND_DISPLAY) means sdl.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/Exceptions.h"
#include "classes/Messages.h"
#include "gfx/Surface.h"
#include "gfx/Types.h"
#include "ui/WindowManager.h"

namespace menvaro {

class TBitmap;

MENVARO_EXCEPTION(EBackendError, Exception)

struct TBackendWindowParams {
    std::string Title;
    TRect Bounds;           // of the surface, in screen coordinates
    bool Decorated = true;  // a caption and frame drawn by the desktop
    bool Popup = false;     // a drop-down: no decoration, never takes focus
    bool TopMost = false;
    bool ToolWindow = false;
    bool Resizable = false;
};

// What a backend reports; the window manager implements it.
class TBackendSink {
public:
    virtual ~TBackendSink() = default;
    // Positions are in the window surface's coordinates; `button` is 1, 2, 3
    // (left, right, middle); wheel deltas are in notches, up positive.
    virtual void MouseMove(std::uintptr_t window, TPoint p) = 0;
    virtual void MouseButton(std::uintptr_t window, TPoint p, int button, bool down) = 0;
    virtual void MouseWheel(std::uintptr_t window, TPoint p, int notches) = 0;
    virtual void MouseLeft(std::uintptr_t window) = 0;
    virtual void Key(int vk, bool down, bool repeat) = 0;
    virtual void Text(const std::string& utf8) = 0;
    virtual void CloseRequested(std::uintptr_t window) = 0;
    // The desktop moved or resized a window (surface bounds, screen coordinates).
    virtual void WindowMoved(std::uintptr_t window, TRect surfaceBounds) = 0;
    virtual void FocusChanged(std::uintptr_t window, bool gained) = 0;
    virtual void Exposed(std::uintptr_t window) = 0;
};

class TBackend {
public:
    virtual ~TBackend() = default;
    virtual const char* Name() const = 0;

    virtual TRect ScreenRect() = 0;
    virtual TRect WorkArea() = 0;
    // Every monitor; by default the one screen with its work area.
    virtual std::vector<TMonitorInfo> Monitors() { return {{ScreenRect(), WorkArea(), true}}; }

    // Windows are made hidden.
    virtual std::uintptr_t CreateWindow(const TBackendWindowParams& params) = 0;
    virtual void DestroyWindow(std::uintptr_t window) = 0;
    virtual void ShowWindow(std::uintptr_t window, bool show, bool activate) = 0;
    virtual void SetBounds(std::uintptr_t window, TRect surfaceBounds) = 0;
    virtual void SetTitle(std::uintptr_t window, const std::string& title) = 0;
    virtual void Raise(std::uintptr_t window, bool activate) = 0;
    // Shows what changed on the surface (`dirty`, surface coordinates).
    virtual void Present(std::uintptr_t window, const TSurfaceView& surface, const TRect& dirty) = 0;
    // The pixels the desktop shows for the window; false when it cannot say.
    virtual bool ReadBack(std::uintptr_t window, TBitmap& out) = 0;

    virtual void SetCursor(int cursor) = 0;
    virtual void CaptureMouse(bool capture) = 0;
    virtual std::string ClipboardText() = 0;
    virtual void SetClipboardText(const std::string& text) = 0;

    // Delivers waiting events to `sink`, waiting up to `timeoutMs` (-1:
    // without limit) for the first one; answers whether anything came.
    // Only the thread that made the backend calls this.
    virtual bool Pump(TBackendSink& sink, int timeoutMs) = 0;
    // Ends a Pump wait early; any thread.
    virtual void Wake() = 0;
    // Headless time runs only when the program waits for a timer.
    virtual bool VirtualTime() const { return false; }
};

std::unique_ptr<TBackend> CreateHeadlessBackend();
// Raises EBackendError when SDL cannot start its video (with SDL's reason).
std::unique_ptr<TBackend> CreateSdlBackend();

// The backend in use; made on first need from MENVARO_UI. With no display
// and no choice this prints a clear message and ends the program (exit 2).
TBackend& Backend();
bool HasBackend();
// Replaces the backend (tests); every window must be gone.
void SetBackend(std::unique_ptr<TBackend> backend);
// Chooses from the environment: "headless", "sdl", or the default; the
// message when nothing fits.
std::unique_ptr<TBackend> CreateBackendFromEnvironment(std::string& error);
// MENVARO_UI as it is now ("" when unset), read nowhere else: the backend
// choice and the window manager's clock (virtual from the program's start
// under headless) both ask here.
std::string BackendChoice();

// The synthetic event source: input as a user would give it, fed to the
// window manager as if the backend reported it. Points in screen coordinates.
namespace synthetic {
void MouseMove(TPoint screen);
void MouseDown(int button = 1);
void MouseUp(int button = 1);
void Click(TPoint screen, int button = 1);
void Wheel(int notches);
void KeyDown(int vk);
void KeyUp(int vk);
// Down and up, with the character of a printable key as typed text.
void PressKey(int vk, TShiftState shift = {});
void TypeText(const std::string& utf8);
// The desktop's close button of a top-level window.
void CloseWindow(HWND hwnd);
// Runs the headless clock forward, firing what falls due on the way.
void AdvanceTime(unsigned ms);
}  // namespace synthetic

}  // namespace menvaro

// Input from the backend and from the synthetic source, turned into
// messages in the queue of the window's thread; the backend in use.
#include <cstdio>
#include <cstdlib>
#include <map>

#include "base/CodePage.h"
#include "ui/WmInternal.h"

namespace menvaro {

using namespace wm;

namespace {

using Lock = std::unique_lock<std::recursive_mutex>;

void EnqueueLocked(Window* w, UINT message, WPARAM wParam, LPARAM lParam) {
    TMsg m;
    m.hwnd = w->handle;
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    m.time = static_cast<std::uint32_t>(NowLocked());
    m.pt = G().cursor;
    w->thread->input.push_back({m, G().keys});
    WakeLocked(w->thread);
}

WPARAM MouseKeysLocked() {
    auto& k = G().keys;
    WPARAM keys = 0;
    if (k[VK_LBUTTON]) keys |= MK_LBUTTON;
    if (k[VK_RBUTTON]) keys |= MK_RBUTTON;
    if (k[VK_MBUTTON]) keys |= MK_MBUTTON;
    if (k[VK_SHIFT] || k[VK_LSHIFT] || k[VK_RSHIFT]) keys |= MK_SHIFT;
    if (k[VK_CONTROL] || k[VK_LCONTROL] || k[VK_RCONTROL]) keys |= MK_CONTROL;
    return keys;
}

void LeaveMouseWindowLocked() {
    auto& g = G();
    if (Window* old = FindLocked(g.mouseWindow)) EnqueueLocked(old, WM_MOUSELEAVE, 0, 0);
    g.mouseWindow = 0;
}

// button 0: a move; 1, 2, 3: left, right, middle.
void MouseAt(TPoint screen, int button, bool down) {
    Lock l(G().lock);
    auto& g = G();
    g.cursor = screen;
    static const int vks[] = {0, VK_LBUTTON, VK_RBUTTON, VK_MBUTTON};
    if (button >= 1 && button <= 3) g.keys[static_cast<std::size_t>(vks[button])] = down;
    Window* w = FindLocked(g.capture ? g.capture : WindowFromPointLocked(screen));
    if (!w || (!g.capture && !IsEnabledLocked(RootLocked(w)))) {
        // Nothing of ours, or a window disabled by a modal one.
        if (w && button && down) ++g.beeps;
        LeaveMouseWindowLocked();
        return;
    }
    if (g.mouseWindow && g.mouseWindow != w->handle) LeaveMouseWindowLocked();
    g.mouseWindow = w->handle;
    TPoint o = ClientOriginScreenLocked(w);
    LPARAM pos = MakeLParam(screen.X - o.X, screen.Y - o.Y);
    WPARAM keys = MouseKeysLocked();
    // On the window's own scroll bars, or while one of them holds the mouse:
    // the non-client messages, in screen coordinates.
    LRESULT hit = HTNOWHERE;
    if (g.capture) {
        if (w->ncScrollTracking) hit = w->thread->scrollTrack.bar == SB_HORZ ? HTHSCROLL : HTVSCROLL;
    } else {
        TPoint wo = WindowRectScreenLocked(w).TopLeft();
        hit = WindowScrollBarHitLocked(w, {screen.X - wo.X, screen.Y - wo.Y});
    }
    if (hit != HTNOWHERE) {
        static const UINT ncDowns[] = {0, WM_NCLBUTTONDOWN, WM_NCRBUTTONDOWN, 0};
        UINT nc = WM_NCMOUSEMOVE;
        if (button) nc = ncDowns[button] ? (down ? ncDowns[button] : ncDowns[button] + 1) : 0;
        if (nc) EnqueueLocked(w, nc, static_cast<WPARAM>(hit), MakeLParam(screen.X, screen.Y));
        return;
    }
    if (!button) {
        EnqueueLocked(w, WM_MOUSEMOVE, keys, pos);
        return;
    }
    static const UINT downs[] = {0, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
    UINT msg = down ? downs[button] : downs[button] + 1;
    std::uint32_t now = static_cast<std::uint32_t>(NowLocked());
    if (down) {
        MouseButtonMemory& last = g.lastDown;
        bool dbl = (w->classStyle & CS_DBLCLKS) && last.hwnd == w->handle && last.button == button && !last.wasDouble &&
                   now - last.time <= GetDoubleClickTime() &&
                   std::abs(screen.X - last.pos.X) <= GetSystemMetrics(SM_CXDOUBLECLK) / 2 &&
                   std::abs(screen.Y - last.pos.Y) <= GetSystemMetrics(SM_CYDOUBLECLK) / 2;
        if (dbl) {
            msg = downs[button] + 2;
            last.wasDouble = true;
        } else {
            last = {w->handle, button, now, screen, false};
        }
    }
    EnqueueLocked(w, msg, keys, pos);
}

void WheelAt(int notches) {
    Lock l(G().lock);
    auto& g = G();
    Window* target = nullptr;
    if (Window* fg = FindLocked(g.foreground)) target = FindLocked(fg->thread->focus);
    if (!target) target = FindLocked(WindowFromPointLocked(g.cursor));
    if (!target) return;
    EnqueueLocked(target, WM_MOUSEWHEEL, MakeWParam(int(MouseKeysLocked()), notches * 120),
                  MakeLParam(g.cursor.X, g.cursor.Y));
}

Window* KeyTargetLocked() {
    auto& g = G();
    Window* fg = FindLocked(g.foreground);
    if (!fg) return nullptr;
    Window* t = FindLocked(fg->thread->focus);
    return t ? t : FindLocked(fg->thread->active);
}

void KeyEvent(int vk, bool down, bool repeat) {
    Lock l(G().lock);
    auto& g = G();
    if (vk <= 0 || vk > 255) return;
    bool wasDown = g.keys[static_cast<std::size_t>(vk)];
    g.keys[static_cast<std::size_t>(vk)] = down;
    Window* w = KeyTargetLocked();
    if (!w) return;
    bool alt = g.keys[VK_MENU] || g.keys[VK_LMENU] || g.keys[VK_RMENU];
    bool ctrl = g.keys[VK_CONTROL] || g.keys[VK_LCONTROL] || g.keys[VK_RCONTROL];
    bool sys = (alt && !ctrl) || vk == VK_MENU || vk == VK_LMENU || vk == VK_RMENU || vk == 0x79 /*F10*/;
    LPARAM data = 1;
    if (alt) data |= KF_ALTDOWN_BIT;
    if (wasDown || repeat) data |= LPARAM{1} << 30;
    if (!down) data |= (LPARAM{1} << 30) | (LPARAM{1} << 31);
    UINT msg = down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
    EnqueueLocked(w, msg, static_cast<WPARAM>(vk), data);
}

void TextEvent(const std::string& utf8) {
    Lock l(G().lock);
    auto& g = G();
    Window* w = KeyTargetLocked();
    if (!w) return;
    bool alt = g.keys[VK_MENU] || g.keys[VK_LMENU] || g.keys[VK_RMENU];
    // Each byte of the UTF-8 text is one character message, as the lead and
    // trail bytes of a double-byte character are.
    for (char ch : utf8) EnqueueLocked(w, alt ? WM_SYSCHAR : WM_CHAR, static_cast<unsigned char>(ch), 1);
}

Window* ByBackendIdLocked(std::uintptr_t id) {
    for (auto& [h, w] : G().windows)
        if (w->backendId == id && id) return w.get();
    return nullptr;
}

TPoint ScreenOf(std::uintptr_t window, TPoint p) {
    Lock l(G().lock);
    Window* w = ByBackendIdLocked(window);
    if (!w) return p;
    return {w->surfaceRect.Left + p.X, w->surfaceRect.Top + p.Y};
}

class Sink : public TBackendSink {
public:
    void MouseMove(std::uintptr_t window, TPoint p) override { MouseAt(ScreenOf(window, p), 0, false); }
    void MouseButton(std::uintptr_t window, TPoint p, int button, bool down) override {
        MouseAt(ScreenOf(window, p), button, down);
    }
    void MouseWheel(std::uintptr_t window, TPoint p, int notches) override {
        MouseAt(ScreenOf(window, p), 0, false);
        WheelAt(notches);
    }
    void MouseLeft(std::uintptr_t) override {
        Lock l(G().lock);
        if (!G().capture) LeaveMouseWindowLocked();
    }
    void Key(int vk, bool down, bool repeat) override { KeyEvent(vk, down, repeat); }
    void Text(const std::string& utf8) override { TextEvent(utf8); }
    void CloseRequested(std::uintptr_t window) override {
        HWND h = 0;
        {
            Lock l(G().lock);
            if (Window* w = ByBackendIdLocked(window)) h = w->handle;
        }
        if (h) PostMessage(h, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    void WindowMoved(std::uintptr_t window, TRect surface) override {
        HWND h = 0;
        TRect wr;
        {
            Lock l(G().lock);
            Window* w = ByBackendIdLocked(window);
            if (!w || w->surfaceRect == surface) return;
            h = w->handle;
            TRect in = w->decorated ? w->client : Bounds(0, 0, w->rect.Width(), w->rect.Height());
            wr = {surface.Left - in.Left, surface.Top - in.Top, surface.Right + (w->rect.Width() - in.Right),
                  surface.Bottom + (w->rect.Height() - in.Bottom)};
        }
        SetWindowPos(h, 0, wr.Left, wr.Top, wr.Width(), wr.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    }
    void FocusChanged(std::uintptr_t window, bool gained) override {
        if (!gained) return;
        HWND h = 0;
        {
            Lock l(G().lock);
            Window* w = ByBackendIdLocked(window);
            if (!w || !w->Enabled() || w->thread != &CurrentThread()) return;
            if (w->DropDown()) return;  // drop-downs never take focus
            h = w->handle;
        }
        if (GetActiveWindow() != h) SetActiveWindow(h);
    }
    void Exposed(std::uintptr_t window) override {
        Lock l(G().lock);
        if (Window* w = ByBackendIdLocked(window))
            w->dirty = Bounds(0, 0, w->surfaceRect.Width(), w->surfaceRect.Height());
    }
};

}  // namespace

namespace wm {

TBackendSink& InputSink() {
    static Sink* sink = new Sink;
    return *sink;
}

}  // namespace wm

TBackend& Backend() {
    Lock l(G().lock);
    auto& g = G();
    if (!g.backend) {
        std::string error;
        l.unlock();
        auto b = CreateBackendFromEnvironment(error);
        if (!b) {
            std::fprintf(stderr, "%s\n", error.c_str());
            std::fflush(stderr);
            std::exit(2);
        }
        l.lock();
        if (!g.backend) {
            g.backend = std::move(b);
            g.backendThread = std::this_thread::get_id();
            g.virtualTime = g.backend->VirtualTime();
            if (g.virtualTime) g.virtualNow = std::max<std::uint64_t>(g.virtualNow, 1);
        }
    }
    return *g.backend;
}

bool HasBackend() {
    Lock l(G().lock);
    return G().backend != nullptr;
}

void SetBackend(std::unique_ptr<TBackend> backend) {
    Lock l(G().lock);
    auto& g = G();
    for (auto& [h, w] : g.windows)
        if (w->backendId) throw EInvalidOperation("SetBackend: windows of the old backend are still open");
    g.backend = std::move(backend);
    g.backendThread = std::this_thread::get_id();
    g.virtualTime = g.backend && g.backend->VirtualTime();
}

namespace synthetic {

void MouseMove(TPoint screen) { MouseAt(screen, 0, false); }

void MouseDown(int button) { MouseAt(GetCursorPos(), button, true); }

void MouseUp(int button) { MouseAt(GetCursorPos(), button, false); }

void Click(TPoint screen, int button) {
    MouseMove(screen);
    MouseDown(button);
    MouseUp(button);
}

void Wheel(int notches) { WheelAt(notches); }

void KeyDown(int vk) { KeyEvent(vk, true, false); }

void KeyUp(int vk) { KeyEvent(vk, false, false); }

namespace {
// The character a key types without Shift, 0 for keys that type none.
char KeyChar(int vk, bool shift) {
    if (vk >= 'A' && vk <= 'Z') return static_cast<char>(shift ? vk : vk - 'A' + 'a');
    if (vk >= '0' && vk <= '9') return static_cast<char>(vk);
    if (vk == VK_SPACE) return ' ';
    return 0;
}
}  // namespace

void PressKey(int vk, TShiftState shift) {
    if (shift.Contains(ssCtrl)) KeyDown(VK_CONTROL);
    if (shift.Contains(ssAlt)) KeyDown(VK_MENU);
    if (shift.Contains(ssShift)) KeyDown(VK_SHIFT);
    KeyDown(vk);
    char ch = KeyChar(vk, shift.Contains(ssShift));
    if (ch && !shift.Contains(ssCtrl) && !shift.Contains(ssAlt)) TextEvent(std::string(1, ch));
    KeyUp(vk);
    if (shift.Contains(ssShift)) KeyUp(VK_SHIFT);
    if (shift.Contains(ssAlt)) KeyUp(VK_MENU);
    if (shift.Contains(ssCtrl)) KeyUp(VK_CONTROL);
}

void TypeText(const std::string& utf8) {
    std::size_t i = 0;
    while (i < utf8.size()) {
        std::size_t len = CharLength(utf8, i);
        unsigned char ch = static_cast<unsigned char>(utf8[i]);
        int vk = 0;
        if (len == 1) {
            if (ch >= 'a' && ch <= 'z') vk = ch - 'a' + 'A';
            if ((ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9')) vk = ch;
            if (ch == ' ') vk = VK_SPACE;
        }
        if (vk) KeyDown(vk);
        TextEvent(utf8.substr(i, len));
        if (vk) KeyUp(vk);
        i += len;
    }
}

void CloseWindow(HWND hwnd) { PostMessage(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0); }

void AdvanceTime(unsigned ms) {
    Lock l(G().lock);
    auto& g = G();
    if (g.virtualTime) g.virtualNow += ms;
}

}  // namespace synthetic

}  // namespace menvaro

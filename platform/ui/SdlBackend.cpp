// The sdl backend: one SDL2 window for each top-level window, its surface
// copied into SDL's window surface. Runs on a desktop and under SDL's
// offscreen driver (SDL_VIDEODRIVER=offscreen) without one.
#include <SDL.h>

#include <map>
#include <vector>
#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif
#include <mutex>

#include "gfx/Bitmap.h"
#include "ui/Backend.h"
#include "ui/BackendProxy.h"
#include "ui/WindowManager.h"

namespace menvaro {

namespace {

// The video drivers SDL loads (and unloads) keep memory of their own; what
// they allocate inside an SDL call is not this program's to account for.
#if defined(__SANITIZE_ADDRESS__)
#define MENVARO_SDL_CALL __lsan::ScopedDisabler sdlDriversOwnMemory
#else
#define MENVARO_SDL_CALL
#endif

int VirtualKey(const SDL_Keysym& k) {
    SDL_Keycode c = k.sym;
    if (c >= SDLK_a && c <= SDLK_z) return 'A' + (c - SDLK_a);
    if (c >= SDLK_0 && c <= SDLK_9) return '0' + (c - SDLK_0);
    if (c >= SDLK_F1 && c <= SDLK_F12) return VK_F1 + (c - SDLK_F1);
    if (c >= SDLK_KP_1 && c <= SDLK_KP_9) return VK_NUMPAD0 + 1 + (c - SDLK_KP_1);
    switch (c) {
        case SDLK_KP_0: return VK_NUMPAD0;
        case SDLK_RETURN:
        case SDLK_KP_ENTER: return VK_RETURN;
        case SDLK_ESCAPE: return VK_ESCAPE;
        case SDLK_BACKSPACE: return VK_BACK;
        case SDLK_TAB: return VK_TAB;
        case SDLK_SPACE: return VK_SPACE;
        case SDLK_LEFT: return VK_LEFT;
        case SDLK_RIGHT: return VK_RIGHT;
        case SDLK_UP: return VK_UP;
        case SDLK_DOWN: return VK_DOWN;
        case SDLK_HOME: return VK_HOME;
        case SDLK_END: return VK_END;
        case SDLK_PAGEUP: return VK_PRIOR;
        case SDLK_PAGEDOWN: return VK_NEXT;
        case SDLK_INSERT: return VK_INSERT;
        case SDLK_DELETE: return VK_DELETE;
        case SDLK_LSHIFT:
        case SDLK_RSHIFT: return VK_SHIFT;
        case SDLK_LCTRL:
        case SDLK_RCTRL: return VK_CONTROL;
        case SDLK_LALT:
        case SDLK_RALT: return VK_MENU;
        case SDLK_CAPSLOCK: return VK_CAPITAL;
        case SDLK_KP_MULTIPLY: return VK_MULTIPLY;
        case SDLK_KP_PLUS: return VK_ADD;
        case SDLK_KP_MINUS: return VK_SUBTRACT;
        case SDLK_KP_PERIOD: return VK_DECIMAL;
        case SDLK_KP_DIVIDE: return VK_DIVIDE;
        case SDLK_SEMICOLON: return VK_OEM_1;
        case SDLK_EQUALS: return VK_OEM_PLUS;
        case SDLK_COMMA: return VK_OEM_COMMA;
        case SDLK_MINUS: return VK_OEM_MINUS;
        case SDLK_PERIOD: return VK_OEM_PERIOD;
        case SDLK_SLASH: return VK_OEM_2;
        case SDLK_BACKQUOTE: return VK_OEM_3;
        case SDLK_LEFTBRACKET: return VK_OEM_4;
        case SDLK_BACKSLASH: return VK_OEM_5;
        case SDLK_RIGHTBRACKET: return VK_OEM_6;
        case SDLK_QUOTE: return VK_OEM_7;
        case SDLK_APPLICATION: return VK_APPS;
        default: return 0;
    }
}

SDL_SystemCursor SystemCursor(int cursor) {
    switch (cursor) {
        case crIBeam: return SDL_SYSTEM_CURSOR_IBEAM;
        case crCross: return SDL_SYSTEM_CURSOR_CROSSHAIR;
        case crHourGlass:
        case crSQLWait: return SDL_SYSTEM_CURSOR_WAIT;
        case crAppStart: return SDL_SYSTEM_CURSOR_WAITARROW;
        case crSizeNWSE: return SDL_SYSTEM_CURSOR_SIZENWSE;
        case crSizeNESW: return SDL_SYSTEM_CURSOR_SIZENESW;
        case crSizeWE:
        case crHSplit: return SDL_SYSTEM_CURSOR_SIZEWE;
        case crSizeNS:
        case crVSplit: return SDL_SYSTEM_CURSOR_SIZENS;
        case crSizeAll: return SDL_SYSTEM_CURSOR_SIZEALL;
        case crNo:
        case crNoDrop: return SDL_SYSTEM_CURSOR_NO;
        case crHandPoint: return SDL_SYSTEM_CURSOR_HAND;
        default: return SDL_SYSTEM_CURSOR_ARROW;
    }
}

class TSdlBackend : public TBackend {
public:
    TSdlBackend() {
        // SIGTERM and SIGINT are the application's (EndSignals.h), not a quit
        // event nobody reads.
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        int failed;
        {
            MENVARO_SDL_CALL;
            failed = SDL_InitSubSystem(SDL_INIT_VIDEO);
        }
        if (failed != 0) throw EBackendError(std::string("SDL video: ") + SDL_GetError());
        wakeEvent_ = SDL_RegisterEvents(1);
        SDL_StartTextInput();
    }

    ~TSdlBackend() override {
        for (auto& [id, w] : windows_) SDL_DestroyWindow(w);
        for (auto& [c, cur] : cursors_) SDL_FreeCursor(cur);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }

    const char* Name() const override { return "sdl"; }

    TRect ScreenRect() override {
        SDL_Rect r;
        if (SDL_GetDisplayBounds(0, &r) != 0) return Bounds(0, 0, 1024, 768);
        return Bounds(r.x, r.y, r.w, r.h);
    }

    TRect WorkArea() override {
        SDL_Rect r;
        if (SDL_GetDisplayUsableBounds(0, &r) != 0) return ScreenRect();
        return Bounds(r.x, r.y, r.w, r.h);
    }

    std::vector<TMonitorInfo> Monitors() override {
        std::vector<TMonitorInfo> out;
        int n = SDL_GetNumVideoDisplays();
        for (int i = 0; i < n; ++i) {
            SDL_Rect b, u;
            if (SDL_GetDisplayBounds(i, &b) != 0) continue;
            if (SDL_GetDisplayUsableBounds(i, &u) != 0) u = b;
            out.push_back({Bounds(b.x, b.y, b.w, b.h), Bounds(u.x, u.y, u.w, u.h), i == 0});
        }
        if (out.empty()) out.push_back({ScreenRect(), WorkArea(), true});
        return out;
    }

    std::uintptr_t CreateWindow(const TBackendWindowParams& p) override {
        MENVARO_SDL_CALL;
        Uint32 flags = SDL_WINDOW_HIDDEN;
        if (!p.Decorated) flags |= SDL_WINDOW_BORDERLESS;
        if (p.Popup) flags |= SDL_WINDOW_POPUP_MENU | SDL_WINDOW_SKIP_TASKBAR | SDL_WINDOW_ALWAYS_ON_TOP;
        if (p.TopMost) flags |= SDL_WINDOW_ALWAYS_ON_TOP;
        if (p.ToolWindow && !p.Popup) flags |= SDL_WINDOW_UTILITY;
        if (p.Resizable) flags |= SDL_WINDOW_RESIZABLE;
        SDL_Window* w = SDL_CreateWindow(p.Title.c_str(), p.Bounds.Left, p.Bounds.Top, std::max(1, p.Bounds.Width()),
                                         std::max(1, p.Bounds.Height()), flags);
        if (!w) throw EBackendError(std::string("SDL window: ") + SDL_GetError());
        std::uintptr_t id = SDL_GetWindowID(w);
        windows_[id] = w;
        return id;
    }

    void DestroyWindow(std::uintptr_t id) override {
        MENVARO_SDL_CALL;
        auto it = windows_.find(id);
        if (it == windows_.end()) return;
        SDL_DestroyWindow(it->second);
        windows_.erase(it);
    }

    void ShowWindow(std::uintptr_t id, bool show, bool activate) override {
        MENVARO_SDL_CALL;
        SDL_Window* w = Find(id);
        if (!w) return;
        if (show) {
            SDL_ShowWindow(w);
            if (activate) SDL_RaiseWindow(w);
        } else {
            SDL_HideWindow(w);
        }
    }

    void SetBounds(std::uintptr_t id, TRect r) override {
        MENVARO_SDL_CALL;
        SDL_Window* w = Find(id);
        if (!w) return;
        SDL_SetWindowPosition(w, r.Left, r.Top);
        SDL_SetWindowSize(w, std::max(1, r.Width()), std::max(1, r.Height()));
    }

    void SetTitle(std::uintptr_t id, const std::string& title) override {
        if (SDL_Window* w = Find(id)) SDL_SetWindowTitle(w, title.c_str());
    }

    void Raise(std::uintptr_t id, bool activate) override {
        if (SDL_Window* w = Find(id); w && activate) SDL_RaiseWindow(w);
    }

    void Present(std::uintptr_t id, const TSurfaceView& s, const TRect& dirty) override {
        MENVARO_SDL_CALL;
        SDL_Window* w = Find(id);
        if (!w || s.IsEmpty()) return;
        SDL_Surface* target = SDL_GetWindowSurface(w);
        if (!target) return;
        SDL_Surface* src = SDL_CreateRGBSurfaceWithFormatFrom(s.Pixels, s.Width, s.Height, 32, s.Stride,
                                                              SDL_PIXELFORMAT_RGB888);
        if (!src) return;
        TRect d;
        if (!IntersectRect(d, dirty, Bounds(0, 0, std::min(s.Width, target->w), std::min(s.Height, target->h)))) {
            SDL_FreeSurface(src);
            return;
        }
        SDL_Rect rect{d.Left, d.Top, d.Width(), d.Height()};
        SDL_Rect destRect = rect;
        SDL_BlitSurface(src, &rect, target, &destRect);
        SDL_FreeSurface(src);
        SDL_UpdateWindowSurfaceRects(w, &rect, 1);
    }

    bool ReadBack(std::uintptr_t id, TBitmap& out) override {
        MENVARO_SDL_CALL;
        SDL_Window* w = Find(id);
        if (!w) return false;
        SDL_Surface* s = SDL_GetWindowSurface(w);
        if (!s) return false;
        out.SetPixelFormat(pf32bit);
        out.SetSize(s->w, s->h);
        TSurfaceView v = out.Surface();
        if (SDL_LockSurface(s) != 0) return false;
        int r = SDL_ConvertPixels(s->w, s->h, s->format->format, s->pixels, s->pitch, SDL_PIXELFORMAT_RGB888, v.Pixels,
                                  v.Stride);
        SDL_UnlockSurface(s);
        return r == 0;
    }

    void SetCursor(int cursor) override {
        MENVARO_SDL_CALL;
        SDL_SystemCursor id = SystemCursor(cursor);
        auto it = cursors_.find(id);
        if (it == cursors_.end()) {
            SDL_Cursor* c = SDL_CreateSystemCursor(id);
            if (!c) return;
            it = cursors_.emplace(id, c).first;
        }
        SDL_SetCursor(it->second);
        SDL_ShowCursor(cursor == crNone ? SDL_DISABLE : SDL_ENABLE);
    }

    void CaptureMouse(bool capture) override { SDL_CaptureMouse(capture ? SDL_TRUE : SDL_FALSE); }

    std::string ClipboardText() override {
        if (!SDL_HasClipboardText()) return local_;
        char* t = SDL_GetClipboardText();
        std::string s = t ? t : "";
        SDL_free(t);
        return s.empty() ? local_ : s;
    }

    void SetClipboardText(const std::string& text) override {
        local_ = text;  // a desktop without a clipboard still gives back what was put
        SDL_SetClipboardText(text.c_str());
    }

    bool Pump(TBackendSink& sink, int timeoutMs) override {
        std::vector<SDL_Event> events;
        {
            MENVARO_SDL_CALL;
            SDL_Event e;
            bool got = timeoutMs < 0 ? SDL_WaitEvent(&e) != 0 : SDL_WaitEventTimeout(&e, timeoutMs) != 0;
            while (got) {
                events.push_back(e);
                got = SDL_PollEvent(&e) != 0;
            }
        }
        bool any = false;
        for (const SDL_Event& e : events) any |= Handle(sink, e);
        return any;
    }

    void Wake() override {
        SDL_Event e{};
        e.type = wakeEvent_;
        SDL_PushEvent(&e);
    }

private:
    SDL_Window* Find(std::uintptr_t id) {
        auto it = windows_.find(id);
        return it == windows_.end() ? nullptr : it->second;
    }

    static int Button(Uint8 b) {
        switch (b) {
            case SDL_BUTTON_LEFT: return 1;
            case SDL_BUTTON_RIGHT: return 2;
            case SDL_BUTTON_MIDDLE: return 3;
            default: return 0;
        }
    }

    bool Handle(TBackendSink& sink, const SDL_Event& e) {
        switch (e.type) {
            case SDL_MOUSEMOTION: sink.MouseMove(e.motion.windowID, {e.motion.x, e.motion.y}); return true;
            case SDL_MOUSEBUTTONDOWN:
            case SDL_MOUSEBUTTONUP:
                if (int b = Button(e.button.button))
                    sink.MouseButton(e.button.windowID, {e.button.x, e.button.y}, b, e.type == SDL_MOUSEBUTTONDOWN);
                return true;
            case SDL_MOUSEWHEEL: {
                int x = 0, y = 0;
                SDL_GetMouseState(&x, &y);
                int notches = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y;
                if (notches) sink.MouseWheel(e.wheel.windowID, {x, y}, notches);
                return true;
            }
            case SDL_KEYDOWN:
            case SDL_KEYUP:
                if (int vk = VirtualKey(e.key.keysym)) sink.Key(vk, e.type == SDL_KEYDOWN, e.key.repeat != 0);
                return true;
            case SDL_TEXTINPUT: sink.Text(e.text.text); return true;
            case SDL_WINDOWEVENT: {
                std::uintptr_t id = e.window.windowID;
                switch (e.window.event) {
                    case SDL_WINDOWEVENT_CLOSE: sink.CloseRequested(id); break;
                    case SDL_WINDOWEVENT_MOVED:
                    case SDL_WINDOWEVENT_SIZE_CHANGED:
                        if (SDL_Window* w = Find(id)) {
                            int x, y, cx, cy;
                            SDL_GetWindowPosition(w, &x, &y);
                            SDL_GetWindowSize(w, &cx, &cy);
                            sink.WindowMoved(id, Bounds(x, y, cx, cy));
                        }
                        break;
                    case SDL_WINDOWEVENT_FOCUS_GAINED: sink.FocusChanged(id, true); break;
                    case SDL_WINDOWEVENT_FOCUS_LOST: sink.FocusChanged(id, false); break;
                    case SDL_WINDOWEVENT_LEAVE: sink.MouseLeft(id); break;
                    case SDL_WINDOWEVENT_EXPOSED: sink.Exposed(id); break;
                    default: break;
                }
                return true;
            }
            default: return false;
        }
    }

    Uint32 wakeEvent_ = 0;
    std::map<std::uintptr_t, SDL_Window*> windows_;
    std::map<SDL_SystemCursor, SDL_Cursor*> cursors_;
    std::string local_;
};

}  // namespace

// SDL's video belongs to the thread that started it; windows of other
// threads reach it through the proxy.
std::unique_ptr<TBackend> CreateSdlBackend() { return MakeThreadBoundBackend(std::make_unique<TSdlBackend>()); }

}  // namespace menvaro

// Threads and their queues: sent, posted and input messages, paint and
// timer messages, the clock; focus, activation and capture; input state.
#include <algorithm>
#include <chrono>

#include "ui/WmInternal.h"

namespace menvaro {

using namespace wm;

namespace {

using Lock = std::unique_lock<std::recursive_mutex>;

// lParam of a WM_TIMER whose timer has a procedure to call.
constexpr LPARAM kTimerProcTag = 0x54494D52;

std::uint64_t RealNowMs() {
    using namespace std::chrono;
    static const auto start = steady_clock::now();
    return static_cast<std::uint64_t>(duration_cast<milliseconds>(steady_clock::now() - start).count());
}

struct ThreadHolder {
    ThreadState* ts = nullptr;
    ~ThreadHolder() {
        if (!ts) return;
        Lock l(G().lock);
        ts->gone = true;
        // A thread waiting for this one to answer gives up.
        for (SentMessage* s : ts->sent) s->done = true;
        ts->sent.clear();
        for (ThreadState* other : G().threads) other->cv.notify_all();
    }
};

thread_local ThreadHolder holder;

std::vector<std::unique_ptr<ThreadState>>& AllThreads() {
    static auto* list = new std::vector<std::unique_ptr<ThreadState>>;  // states outlive their threads
    return *list;
}

bool InRange(UINT msg, UINT first, UINT last) { return (first == 0 && last == 0) || (msg >= first && msg <= last); }

bool HasWorkLocked(ThreadState& ts) {
    if (!ts.sent.empty() || !ts.posted.empty() || !ts.input.empty() || ts.quit) return true;
    if (FindPaintLocked(&ts, 0)) return true;
    std::uint64_t now = NowLocked();
    for (const Timer& t : ts.timers)
        if (t.due <= now) return true;
    return false;
}

void ProcessIncomingSends(ThreadState& ts) {
    while (true) {
        SentMessage* s;
        {
            Lock l(G().lock);
            ts.lastLook = RealNowMs();
            if (ts.sent.empty()) return;
            s = ts.sent.front();
            ts.sent.pop_front();
        }
        LRESULT result = 0;
        std::exception_ptr error;
        try {
            result = CallProc(s->hwnd, s->msg, s->wParam, s->lParam);
        } catch (...) {
            error = std::current_exception();
        }
        Lock l(G().lock);
        if (s->abandoned) {
            delete s;  // its sender no longer waits
            continue;
        }
        s->result = result;
        s->error = error;
        s->done = true;
        for (ThreadState* other : G().threads) other->cv.notify_all();
        if (G().backend) G().backend->Wake();
    }
}

void PumpBackend(int timeoutMs) {
    TBackend* b;
    {
        Lock l(G().lock);
        b = G().backend.get();
    }
    if (b && IsBackendThread()) b->Pump(InputSink(), timeoutMs);
}

bool IsMouseButtonDown(UINT m) {
    return m == WM_LBUTTONDOWN || m == WM_RBUTTONDOWN || m == WM_MBUTTONDOWN || m == WM_LBUTTONDBLCLK ||
           m == WM_RBUTTONDBLCLK || m == WM_MBUTTONDBLCLK || m == WM_NCLBUTTONDOWN || m == WM_NCRBUTTONDOWN;
}

bool IsNonClientMouse(UINT m) { return m >= WM_NCMOUSEMOVE && m <= WM_NCRBUTTONDBLCLK; }

// What the system does when an input message is taken from the queue:
// activation on a click, the cursor. False when the click is eaten.
bool PrepareInput(const TMsg& msg) {
    bool nc = IsNonClientMouse(msg.message);
    if ((!nc && (msg.message < WM_MOUSEFIRST || msg.message > WM_MOUSELAST || msg.message == WM_MOUSEWHEEL)) ||
        !msg.hwnd)
        return true;
    if (GetCapture()) return true;
    bool eat = false;
    if (IsMouseButtonDown(msg.message)) {
        HWND root = GetAncestorRoot(msg.hwnd);
        if (root && GetActiveWindow() != root && !(GetWindowLong(root, GWL_EXSTYLE) & WS_EX_NOACTIVATE)) {
            LRESULT r = SendMessage(msg.hwnd, WM_MOUSEACTIVATE, root, MakeLParam(HTCLIENT, int(msg.message)));
            if (r == MA_ACTIVATE || r == MA_ACTIVATEANDEAT || r == 0) {
                SetActiveWindow(root);
                SetForegroundWindow(root);
            }
            eat = r == MA_ACTIVATEANDEAT || r == MA_NOACTIVATEANDEAT;
        }
    }
    if (IsWindow(msg.hwnd))
        SendMessage(msg.hwnd, WM_SETCURSOR, msg.hwnd,
                    MakeLParam(nc ? static_cast<int>(msg.wParam) : int(HTCLIENT), int(msg.message)));
    return !eat && IsWindow(msg.hwnd);
}

}  // namespace

namespace wm {

ThreadState& CurrentThread() {
    if (holder.ts) return *holder.ts;
    Lock l(G().lock);
    auto ts = std::make_unique<ThreadState>();
    ts->id = std::this_thread::get_id();
    ts->number = G().nextThreadNumber++;
    ts->lastLook = RealNowMs();
    holder.ts = ts.get();
    G().threads.push_back(ts.get());
    AllThreads().push_back(std::move(ts));
    return *holder.ts;
}

std::uint64_t NowLocked() { return G().virtualTime ? G().virtualNow : RealNowMs(); }

bool IsBackendThread() {
    auto& g = G();
    return g.backend && g.backendThread == std::this_thread::get_id();
}

void WakeLocked(ThreadState* ts) {
    if (!ts) return;
    ts->cv.notify_all();
    auto& g = G();
    if (g.backend && ts->id == g.backendThread) g.backend->Wake();
}

LRESULT CallProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    TWindowProc proc;
    {
        Lock l(G().lock);
        Window* w = FindLocked(hwnd);
        if (!w || !w->proc) return 0;
        proc = w->proc;
    }
    return proc(hwnd, msg, wParam, lParam);
}

}  // namespace wm

// -------------------------------------------------------------- messages

LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    ThreadState& me = CurrentThread();
    Lock l(G().lock);
    Window* w = FindLocked(hwnd);
    if (!w) return 0;
    ThreadState* target = w->thread;
    if (target == &me) {
        l.unlock();
        return CallProc(hwnd, msg, wParam, lParam);
    }
    if (target->gone) return 0;
    SentMessage s;
    s.hwnd = hwnd;
    s.msg = msg;
    s.wParam = wParam;
    s.lParam = lParam;
    target->sent.push_back(&s);
    WakeLocked(target);
    while (!s.done) {
        if (!me.sent.empty()) {
            l.unlock();
            ProcessIncomingSends(me);
            l.lock();
            continue;
        }
        me.cv.wait_for(l, std::chrono::milliseconds(50));
        if (target->gone && !s.done) {
            auto& q = target->sent;
            q.erase(std::remove(q.begin(), q.end(), &s), q.end());
            return 0;
        }
    }
    l.unlock();
    if (s.error) std::rethrow_exception(s.error);
    return s.result;
}

bool SendMessageTimeout(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT flags, unsigned timeoutMs,
                        LRESULT* result) {
    ThreadState& me = CurrentThread();
    Lock l(G().lock);
    Window* w = FindLocked(hwnd);
    if (!w) return false;
    ThreadState* target = w->thread;
    if (target == &me) {
        l.unlock();
        LRESULT r = CallProc(hwnd, msg, wParam, lParam);
        if (result) *result = r;
        return true;
    }
    if (target->gone) return false;
    const std::uint64_t start = RealNowMs();
    // Hung: messages wait for a thread that has not looked at them for 5 seconds.
    bool waiting = !target->sent.empty() || !target->posted.empty() || !target->input.empty();
    if ((flags & SMTO_ABORTIFHUNG) && waiting && start > target->lastLook + 5000) return false;
    // On the heap: a sender that gives up leaves it to the handler.
    auto* s = new SentMessage;
    s->hwnd = hwnd;
    s->msg = msg;
    s->wParam = wParam;
    s->lParam = lParam;
    target->sent.push_back(s);
    WakeLocked(target);
    while (!s->done) {
        if (!me.sent.empty() && !(flags & SMTO_BLOCK)) {
            l.unlock();
            ProcessIncomingSends(me);
            l.lock();
            continue;
        }
        std::uint64_t now = RealNowMs();
        auto& q = target->sent;
        auto queued = std::find(q.begin(), q.end(), s);
        if (target->gone || now >= start + timeoutMs) {
            if (s->done) break;
            if (queued != q.end())
                q.erase(queued), delete s;  // never handed out
            else
                s->abandoned = true;  // being handled: the handler frees it
            return false;
        }
        me.cv.wait_for(l, std::chrono::milliseconds(std::min<std::uint64_t>(50, start + timeoutMs - now)));
    }
    std::unique_ptr<SentMessage> answered(s);
    l.unlock();
    if (answered->error) std::rethrow_exception(answered->error);
    if (result) *result = answered->result;
    return true;
}

bool PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    ThreadState& me = CurrentThread();
    Lock l(G().lock);
    ThreadState* target = &me;
    if (hwnd) {
        Window* w = FindLocked(hwnd);
        if (!w) return false;
        target = w->thread;
    }
    if (target->gone) return false;
    TMsg m;
    m.hwnd = hwnd;
    m.message = msg;
    m.wParam = wParam;
    m.lParam = lParam;
    m.time = static_cast<std::uint32_t>(NowLocked());
    m.pt = G().cursor;
    target->posted.push_back(m);
    WakeLocked(target);
    return true;
}

void PostQuitMessage(int exitCode) {
    ThreadState& ts = CurrentThread();
    Lock l(G().lock);
    ts.quit = true;
    ts.quitCode = exitCode;
}

bool PeekMessage(TMsg& msg, HWND hwnd, UINT first, UINT last, UINT flags) {
    ThreadState& ts = CurrentThread();
    bool remove = (flags & PM_REMOVE) != 0;
    while (true) {
        ProcessIncomingSends(ts);
        PumpBackend(0);
        Lock l(G().lock);
        auto matches = [&](const TMsg& m) { return (hwnd == 0 || m.hwnd == hwnd) && InRange(m.message, first, last); };
        auto it = std::find_if(ts.posted.begin(), ts.posted.end(), matches);
        if (it != ts.posted.end()) {
            msg = *it;
            if (remove) ts.posted.erase(it);
            return true;
        }
        auto in = std::find_if(ts.input.begin(), ts.input.end(), [&](const InputMsg& m) { return matches(m.msg); });
        if (in != ts.input.end()) {
            msg = in->msg;
            if (!remove) return true;
            ts.keys = in->keys;
            ts.input.erase(in);
            l.unlock();
            if (PrepareInput(msg)) return true;
            continue;
        }
        if (ts.quit && hwnd == 0 && InRange(WM_QUIT, first, last)) {
            msg = TMsg{};
            msg.message = WM_QUIT;
            msg.wParam = static_cast<WPARAM>(ts.quitCode);
            if (remove) ts.quit = false;
            return true;
        }
        if (InRange(WM_PAINT, first, last)) {
            if (Window* w = FindPaintLocked(&ts, hwnd)) {
                msg = TMsg{};
                msg.hwnd = w->handle;
                msg.message = WM_PAINT;
                msg.time = static_cast<std::uint32_t>(NowLocked());
                return true;
            }
        }
        if (InRange(WM_TIMER, first, last)) {
            std::uint64_t now = NowLocked();
            Timer* due = nullptr;
            for (Timer& t : ts.timers)
                if (t.due <= now && (hwnd == 0 || t.hwnd == hwnd) && (!due || t.due < due->due)) due = &t;
            if (due) {
                msg = TMsg{};
                msg.hwnd = due->hwnd;
                msg.message = WM_TIMER;
                msg.wParam = due->id;
                msg.lParam = due->proc ? kTimerProcTag : 0;
                msg.time = static_cast<std::uint32_t>(now);
                if (remove) due->due = now + due->interval;
                return true;
            }
        }
        return false;
    }
}

void WaitMessage() {
    ThreadState& ts = CurrentThread();
    while (true) {
        ProcessIncomingSends(ts);
        Lock l(G().lock);
        if (HasWorkLocked(ts)) return;
        bool backendThread = IsBackendThread();
        if (backendThread) PresentLocked();
        std::uint64_t now = NowLocked();
        std::uint64_t next = UINT64_MAX;
        for (const Timer& t : ts.timers) next = std::min(next, t.due);
        if (G().virtualTime && next != UINT64_MAX) {
            // Headless time: nothing else can happen, so the clock moves on.
            G().virtualNow = std::max(G().virtualNow, next);
            return;
        }
        int timeout = next == UINT64_MAX ? -1 : static_cast<int>(std::min<std::uint64_t>(next - now, 1u << 30));
        if (backendThread) {
            l.unlock();
            PumpBackend(timeout);
            return;
        }
        if (timeout < 0)
            ts.cv.wait(l);
        else
            ts.cv.wait_for(l, std::chrono::milliseconds(timeout));
        return;
    }
}

bool GetMessage(TMsg& msg, HWND hwnd, UINT first, UINT last) {
    while (!PeekMessage(msg, hwnd, first, last, PM_REMOVE)) WaitMessage();
    return msg.message != WM_QUIT;
}

bool TranslateMessage(const TMsg& msg) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
    int vk = static_cast<int>(msg.wParam);
    bool ctrl = GetKeyState(VK_CONTROL) < 0;
    bool shift = GetKeyState(VK_SHIFT) < 0;
    if (msg.message == WM_SYSKEYDOWN) {
        char ch = 0;
        if (vk >= 'A' && vk <= 'Z') ch = static_cast<char>(shift ? vk : vk - 'A' + 'a');
        if (vk >= '0' && vk <= '9') ch = static_cast<char>(vk);
        if (!ch) return false;
        PostMessage(msg.hwnd, WM_SYSCHAR, static_cast<unsigned char>(ch), msg.lParam);
        return true;
    }
    int ch = 0;
    switch (vk) {
        case VK_RETURN: ch = 13; break;
        case VK_ESCAPE: ch = 27; break;
        case VK_BACK: ch = 8; break;
        case VK_TAB: ch = 9; break;
        default:
            if (ctrl && vk >= 'A' && vk <= 'Z') ch = vk - 'A' + 1;
    }
    if (!ch) return false;
    PostMessage(msg.hwnd, WM_CHAR, static_cast<WPARAM>(ch), msg.lParam);
    return true;
}

LRESULT DispatchMessage(const TMsg& msg) {
    if (msg.message == WM_TIMER && msg.lParam == kTimerProcTag) {
        TTimerProc proc;
        {
            Lock l(G().lock);
            ThreadState& ts = CurrentThread();
            for (Timer& t : ts.timers)
                if (t.hwnd == msg.hwnd && t.id == msg.wParam) proc = t.proc;
        }
        if (proc) proc(msg.hwnd, WM_TIMER, msg.wParam, msg.time);
        return 0;
    }
    if (!msg.hwnd) return 0;
    if (msg.message == WM_PAINT) {
        {
            Lock l(G().lock);
            if (Window* w = FindLocked(msg.hwnd)) w->painted = false;
        }
        LRESULT r = CallProc(msg.hwnd, msg.message, msg.wParam, msg.lParam);
        Lock l(G().lock);
        if (Window* w = FindLocked(msg.hwnd); w && !w->painted) {
            w->update.Clear();
            w->erase = false;
            w->ncPaint = false;
        }
        return r;
    }
    return CallProc(msg.hwnd, msg.message, msg.wParam, msg.lParam);
}

std::uint32_t GetTickCount() {
    Lock l(G().lock);
    return static_cast<std::uint32_t>(NowLocked());
}

std::uintptr_t SetTimer(HWND hwnd, std::uintptr_t id, unsigned elapse, TTimerProc proc) {
    ThreadState& me = CurrentThread();
    Lock l(G().lock);
    ThreadState* ts = &me;
    if (hwnd) {
        Window* w = FindLocked(hwnd);
        if (!w) return 0;
        ts = w->thread;
    } else {
        id = G().nextTimerId++;
    }
    unsigned interval = std::max(elapse, 10u);
    auto it = std::find_if(ts->timers.begin(), ts->timers.end(),
                           [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
    Timer t{hwnd, id, interval, NowLocked() + interval, std::move(proc)};
    if (it != ts->timers.end())
        *it = std::move(t);
    else
        ts->timers.push_back(std::move(t));
    WakeLocked(ts);
    return id;
}

bool KillTimer(HWND hwnd, std::uintptr_t id) {
    ThreadState& me = CurrentThread();
    Lock l(G().lock);
    ThreadState* ts = &me;
    if (hwnd) {
        Window* w = FindLocked(hwnd);
        if (w) ts = w->thread;
    }
    auto before = ts->timers.size();
    ts->timers.erase(std::remove_if(ts->timers.begin(), ts->timers.end(),
                                    [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; }),
                     ts->timers.end());
    return ts->timers.size() != before;
}

std::uintptr_t GetWindowThreadId(HWND hwnd) {
    Lock l(G().lock);
    Window* w = FindLocked(hwnd);
    return w ? w->thread->number : 0;
}

std::uintptr_t GetCurrentThreadId() { return CurrentThread().number; }

bool IsThreadIdle() {
    ThreadState& ts = CurrentThread();
    Lock l(G().lock);
    return ts.sent.empty() && ts.posted.empty() && ts.input.empty() && !ts.quit && !FindPaintLocked(&ts, 0);
}

// ----------------------------------------------- focus, activation, capture

HWND GetFocus() {
    ThreadState& ts = CurrentThread();
    Lock l(G().lock);
    return ts.focus;
}

HWND GetThreadFocus(std::uintptr_t threadId) {
    Lock l(G().lock);
    for (ThreadState* ts : G().threads)
        if (ts->number == threadId && !ts->gone) return ts->focus;
    return 0;
}

HWND SetFocus(HWND hwnd) {
    ThreadState& ts = CurrentThread();
    HWND old;
    {
        Lock l(G().lock);
        old = ts.focus;
        if (hwnd) {
            Window* w = FindLocked(hwnd);
            if (!w || w->thread != &ts || w->destroying) return 0;
        }
    }
    if (hwnd) {
        HWND root = GetAncestorRoot(hwnd);
        if (root != GetActiveWindow()) {
            SetActiveWindow(root);
            Lock l(G().lock);
            old = ts.focus;
        }
    }
    if (old == hwnd) return old;
    {
        Lock l(G().lock);
        ts.focus = hwnd;
    }
    if (old && IsWindow(old)) CallProc(old, WM_KILLFOCUS, hwnd, 0);
    bool still;
    {
        Lock l(G().lock);
        still = ts.focus == hwnd;
    }
    if (hwnd && still) CallProc(hwnd, WM_SETFOCUS, old, 0);
    return old;
}

HWND GetActiveWindow() {
    ThreadState& ts = CurrentThread();
    Lock l(G().lock);
    return ts.active;
}

HWND SetActiveWindow(HWND hwnd) {
    ThreadState& ts = CurrentThread();
    HWND old;
    {
        Lock l(G().lock);
        if (hwnd) {
            Window* w = RootLocked(FindLocked(hwnd));
            if (!w || w->thread != &ts) return 0;
            hwnd = w->handle;
        }
        old = ts.active;
        if (old == hwnd) return old;
        ts.active = hwnd;
    }
    if (old && IsWindow(old)) {
        CallProc(old, WM_NCACTIVATE, 0, 0);
        CallProc(old, WM_ACTIVATE, WA_INACTIVE, static_cast<LPARAM>(hwnd));
    }
    if (!hwnd) {
        HWND focus = GetFocus();
        if (focus) SetFocus(0);
        return old;
    }
    {
        Lock l(G().lock);
        auto& g = G();
        Window* w = FindLocked(hwnd);
        if (w && w->backendId && w->backendShown && g.backend) g.backend->Raise(w->backendId, true);
        g.foreground = hwnd;
        if (w && w->Visible()) PushTopLevelLocked(hwnd);
    }
    CallProc(hwnd, WM_NCACTIVATE, 1, 0);
    CallProc(hwnd, WM_ACTIVATE, WA_ACTIVE, static_cast<LPARAM>(old));
    // The focus lies in the active window.
    HWND focus = GetFocus();
    if (GetActiveWindow() == hwnd && (!focus || (focus != hwnd && !IsChild(hwnd, focus)))) SetFocus(hwnd);
    return old;
}

HWND GetForegroundWindow() {
    Lock l(G().lock);
    return G().foreground;
}

bool SetForegroundWindow(HWND hwnd) {
    Lock l(G().lock);
    Window* w = RootLocked(FindLocked(hwnd));
    if (!w) return false;
    G().foreground = w->handle;
    return true;
}

HWND SetCapture(HWND hwnd) {
    HWND old;
    {
        Lock l(G().lock);
        auto& g = G();
        if (!FindLocked(hwnd)) return 0;
        old = g.capture;
        g.capture = hwnd;
        if (g.backend && !old) g.backend->CaptureMouse(true);
    }
    if (old && old != hwnd) {
        CancelScrollTrack(old);
        CallProc(old, WM_CAPTURECHANGED, 0, static_cast<LPARAM>(hwnd));
    }
    return old;
}

bool ReleaseCapture() {
    HWND old;
    {
        Lock l(G().lock);
        auto& g = G();
        old = g.capture;
        g.capture = 0;
        if (old && g.backend) g.backend->CaptureMouse(false);
    }
    if (old) {
        CancelScrollTrack(old);
        CallProc(old, WM_CAPTURECHANGED, 0, 0);
    }
    return true;
}

HWND GetCapture() {
    Lock l(G().lock);
    return G().capture;
}

// ---------------------------------------------------------- input state

namespace {
short KeyStateOf(const std::array<bool, 256>& k, int vk) {
    bool down = false;
    switch (vk) {
        case VK_SHIFT: down = k[VK_SHIFT] || k[VK_LSHIFT] || k[VK_RSHIFT]; break;
        case VK_CONTROL: down = k[VK_CONTROL] || k[VK_LCONTROL] || k[VK_RCONTROL]; break;
        case VK_MENU: down = k[VK_MENU] || k[VK_LMENU] || k[VK_RMENU]; break;
        default: down = vk >= 0 && vk < 256 && k[static_cast<std::size_t>(vk)];
    }
    return static_cast<short>(down ? 0x8000 : 0);
}
}  // namespace

short GetKeyState(int vk) {
    ThreadState& ts = CurrentThread();
    Lock l(G().lock);
    return KeyStateOf(ts.keys, vk);
}

short GetAsyncKeyState(int vk) {
    Lock l(G().lock);
    return KeyStateOf(G().keys, vk);
}

TShiftState KeysToShiftState(WPARAM keys) {
    TShiftState s;
    if (keys & MK_SHIFT) s += ssShift;
    if (keys & MK_CONTROL) s += ssCtrl;
    if (keys & MK_LBUTTON) s += ssLeft;
    if (keys & MK_RBUTTON) s += ssRight;
    if (keys & MK_MBUTTON) s += ssMiddle;
    if (GetKeyState(VK_MENU) < 0) s += ssAlt;
    return s;
}

TShiftState KeyDataToShiftState(LPARAM keyData) {
    TShiftState s;
    if (GetKeyState(VK_SHIFT) < 0) s += ssShift;
    if (GetKeyState(VK_CONTROL) < 0) s += ssCtrl;
    if (keyData & KF_ALTDOWN_BIT) s += ssAlt;
    return s;
}

TShiftState GetShiftState() {
    TShiftState s;
    if (GetKeyState(VK_SHIFT) < 0) s += ssShift;
    if (GetKeyState(VK_CONTROL) < 0) s += ssCtrl;
    if (GetKeyState(VK_MENU) < 0) s += ssAlt;
    if (GetKeyState(VK_LBUTTON) < 0) s += ssLeft;
    if (GetKeyState(VK_RBUTTON) < 0) s += ssRight;
    if (GetKeyState(VK_MBUTTON) < 0) s += ssMiddle;
    return s;
}

TPoint GetCursorPos() {
    Lock l(G().lock);
    return G().cursor;
}

void SetCursorPos(TPoint screen) {
    Lock l(G().lock);
    G().cursor = screen;
}

void SetCursor(TCursor cursor) {
    Lock l(G().lock);
    auto& g = G();
    if (g.cursorShape == cursor) return;
    g.cursorShape = cursor;
    if (g.backend) g.backend->SetCursor(cursor);
}

TCursor GetCurrentCursor() {
    Lock l(G().lock);
    return G().cursorShape;
}

int GetSystemMetrics(int index) {
    switch (index) {
        case SM_CXSCREEN: return GetScreenRect().Width();
        case SM_CYSCREEN: return GetScreenRect().Height();
        case SM_CXFULLSCREEN: return GetWorkArea().Width();
        case SM_CYFULLSCREEN: return GetWorkArea().Height();
        case SM_CXVSCROLL:
        case SM_CYHSCROLL:
        case SM_CYVSCROLL:
        case SM_CXHSCROLL:
        case SM_CYVTHUMB:
        case SM_CXHTHUMB: return 16;
        case SM_CYCAPTION: return 19;
        case SM_CYSMCAPTION: return 15;
        case SM_CXBORDER:
        case SM_CYBORDER: return 1;
        case SM_CXDLGFRAME:
        case SM_CYDLGFRAME: return 3;
        case SM_CXFRAME:
        case SM_CYFRAME: return 4;
        case SM_CXEDGE:
        case SM_CYEDGE: return 2;
        case SM_CXICON:
        case SM_CYICON:
        case SM_CXCURSOR:
        case SM_CYCURSOR: return 32;
        case SM_CYMENU: return 19;
        case SM_CXMIN: return 112;
        case SM_CYMIN: return 27;
        case SM_CXSIZE:
        case SM_CYSIZE: return 18;
        case SM_CXDOUBLECLK:
        case SM_CYDOUBLECLK: return 4;
        default: return 0;
    }
}

unsigned GetDoubleClickTime() { return 500; }

void MessageBeep(unsigned) {
    Lock l(G().lock);
    ++G().beeps;
}

int BeepCount() {
    Lock l(G().lock);
    return G().beeps;
}

std::string GetClipboardText() { return Backend().ClipboardText(); }

void SetClipboardText(const std::string& text) { Backend().SetClipboardText(text); }

}  // namespace menvaro

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

#include "gfx/Bitmap.h"
#include "testsupport/UiTest.h"
#include "ui/BackendProxy.h"
#include "ui/StdCtrls.h"

namespace menvaro {
namespace {

// A thread with a window of its own that pumps only when told.
class WindowThread {
public:
    WindowThread() {
        thread_ = std::thread([this] {
            TCreateParams p;
            p.MessageOnly = true;
            p.ClassName = "Probe";
            HWND h = CreateWindowEx(p, [this](HWND hwnd, UINT msg, WPARAM w, LPARAM l) -> LRESULT {
                if (msg == WM_USER) return static_cast<LRESULT>(w * 2);
                return DefWindowProc(hwnd, msg, w, l);
            });
            TCreateParams child;
            child.Parent = 0;
            child.MessageOnly = true;
            hwnd_ = h;
            ready_.set_value();
            while (!stop_) {
                if (pump_) {
                    TMsg m;
                    while (PeekMessage(m, 0, 0, 0, PM_REMOVE)) DispatchMessage(m);
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
            DestroyWindow(h);
        });
        ready_.get_future().wait();
    }
    ~WindowThread() {
        stop_ = true;
        thread_.join();
    }
    HWND hwnd() const { return hwnd_; }
    std::atomic<bool> pump_{false};

private:
    std::thread thread_;
    std::promise<void> ready_;
    std::atomic<bool> stop_{false};
    std::atomic<HWND> hwnd_{0};
};

TEST(WindowThreads, SendMessageTimeoutGivesUpOnAThreadThatDoesNotAnswerAndGetsTheAnswerOfOneThatDoes) {
    WindowThread t;
    LRESULT r = -1;
    EXPECT_FALSE(SendMessageTimeout(t.hwnd(), WM_USER, 21, 0, SMTO_NORMAL, 30, &r));
    EXPECT_EQ(r, -1);
    t.pump_ = true;
    EXPECT_TRUE(SendMessageTimeout(t.hwnd(), WM_USER, 21, 0, SMTO_NORMAL, 60000, &r));
    EXPECT_EQ(r, 42);
    // The window of the caller's own thread answers at once; no window, no answer.
    TCreateParams p;
    p.MessageOnly = true;
    HWND own = CreateWindowEx(p, [](HWND, UINT, WPARAM w, LPARAM) -> LRESULT { return static_cast<LRESULT>(w + 1); });
    EXPECT_TRUE(SendMessageTimeout(own, WM_USER, 1, 0, SMTO_ABORTIFHUNG, 0, &r));
    EXPECT_EQ(r, 2);
    DestroyWindow(own);
    EXPECT_FALSE(SendMessageTimeout(own, WM_USER, 1, 0, SMTO_NORMAL, 10, &r));
    EXPECT_EQ(GetClassName(t.hwnd()), "Probe");
    EXPECT_EQ(GetClassName(own), "");
}

TEST(WindowThreads, AMessageAbandonedWhileItIsHandledIsFreedByItsHandler) {
    // Under ASan a leak or a write to the sender's stack shows here.
    std::atomic<bool> release{false};
    std::promise<HWND> made;
    std::thread other([&] {
        TCreateParams p;
        p.MessageOnly = true;
        HWND h = CreateWindowEx(p, [&](HWND hwnd, UINT msg, WPARAM w, LPARAM l) -> LRESULT {
            if (msg != WM_USER) return DefWindowProc(hwnd, msg, w, l);
            while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
            return 7;
        });
        made.set_value(h);
        TMsg m;
        while (!PeekMessage(m, 0, 0, 0, PM_REMOVE)) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        DestroyWindow(h);
    });
    HWND h = made.get_future().get();
    LRESULT r = 0;
    std::thread releaser([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        release = true;
    });
    EXPECT_FALSE(SendMessageTimeout(h, WM_USER, 0, 0, SMTO_NORMAL, 20, &r));
    releaser.join();
    PostMessage(h, WM_USER + 1, 0, 0);
    other.join();
}

class ThreadFocusTest : public UiTest {};

TEST_F(ThreadFocusTest, TheFocusOfAnotherThreadAndTheClassNamesOfControls) {
    auto* form = Create<TForm>(Application);
    form->SetBounds(50, 50, 300, 200);
    auto* button = Create<TButton>(form);
    button->SetParent(form);
    auto* edit = Create<TEdit>(form);
    edit->SetParent(form);
    edit->SetTop(40);
    form->Show();
    edit->SetFocus();
    Pump();
    const std::uintptr_t me = GetCurrentThreadId();
    std::uintptr_t seenThread = 0;
    HWND seen = 0;
    std::thread([&] {
        seenThread = GetWindowThreadId(edit->Handle());
        seen = GetThreadFocus(seenThread);
    }).join();
    EXPECT_EQ(seenThread, me);
    EXPECT_EQ(seen, edit->Handle());
    EXPECT_EQ(GetClassName(seen), "TEdit");
    EXPECT_EQ(GetClassName(button->Handle()), "TButton");
    EXPECT_EQ(GetThreadFocus(0), HWND(0));
    form->Free();
}

class OwnFrameTest : public UiTest {};

TEST_F(OwnFrameTest, AWindowThatPaintsItsOwnFrameHasItOnItsSurfaceAndRepaintsItOnActivation) {
    TCreateParams p;
    p.Caption = "Own";
    p.Style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    p.Bounds = {100, 100, 400, 300};
    p.PaintsOwnFrame = true;
    std::vector<UINT> ncMessages;
    HWND h = CreateWindowEx(p, [&](HWND hwnd, UINT msg, WPARAM w, LPARAM l) -> LRESULT {
        if (msg == WM_NCPAINT || msg == WM_NCACTIVATE) ncMessages.push_back(msg);
        return DefWindowProc(hwnd, msg, w, l);
    });
    ShowWindow(h, SW_SHOW);
    SetActiveWindow(h);
    UpdateWindow(h);
    Pump();
    const TBitmap* surface = GetWindowSurface(h);
    ASSERT_NE(surface, nullptr);
    EXPECT_EQ(surface->Width(), 300);
    EXPECT_EQ(surface->Height(), 200);
    TRect client;
    GetClientRect(h, client);
    EXPECT_LT(client.Height(), 200 - GetSystemMetrics(SM_CYCAPTION) + 1);
    const int captionY = GetSystemMetrics(SM_CYDLGFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2;
    EXPECT_EQ(surface->Pixel(150, captionY), ColorToRGB(clActiveCaption));
    EXPECT_NE(std::find(ncMessages.begin(), ncMessages.end(), WM_NCPAINT), ncMessages.end());
    // Losing the activation repaints the caption inactive.
    SetActiveWindow(0);
    UpdateWindow(h);
    Pump();
    EXPECT_EQ(GetWindowSurface(h)->Pixel(150, captionY), ColorToRGB(clInactiveCaption));
    DestroyWindow(h);
}

// A backend that records what it is asked and from which thread.
class RecordingBackend : public TBackend {
public:
    const char* Name() const override { return "recording"; }
    TRect ScreenRect() override { return {0, 0, 800, 600}; }
    TRect WorkArea() override { return {0, 0, 800, 560}; }
    std::uintptr_t CreateWindow(const TBackendWindowParams&) override {
        Note("create");
        return 1000 + ++made;
    }
    void DestroyWindow(std::uintptr_t w) override { Note("destroy " + std::to_string(w)); }
    void ShowWindow(std::uintptr_t w, bool, bool) override { Note("show " + std::to_string(w)); }
    void SetBounds(std::uintptr_t, TRect) override {}
    void SetTitle(std::uintptr_t w, const std::string& t) override { Note("title " + std::to_string(w) + " " + t); }
    void Raise(std::uintptr_t, bool) override {}
    void Present(std::uintptr_t, const TSurfaceView&, const TRect&) override {}
    bool ReadBack(std::uintptr_t, TBitmap&) override { return true; }
    void SetCursor(int) override {}
    void CaptureMouse(bool) override {}
    std::string ClipboardText() override { return "clip"; }
    void SetClipboardText(const std::string&) override {}
    bool Pump(TBackendSink& sink, int) override {
        if (pendingClose) sink.CloseRequested(pendingClose);
        pendingClose = 0;
        return false;
    }
    void Wake() override { ++wakes; }

    void Note(const std::string& s) {
        calls.push_back(s);
        threads.push_back(std::this_thread::get_id());
    }
    std::vector<std::string> calls;
    std::vector<std::thread::id> threads;
    int made = 0;
    std::atomic<int> wakes{0};
    std::uintptr_t pendingClose = 0;
};

class Sink : public TBackendSink {
public:
    void MouseMove(std::uintptr_t, TPoint) override {}
    void MouseButton(std::uintptr_t, TPoint, int, bool) override {}
    void MouseWheel(std::uintptr_t, TPoint, int) override {}
    void MouseLeft(std::uintptr_t) override {}
    void Key(int, bool, bool) override {}
    void Text(const std::string&) override {}
    void CloseRequested(std::uintptr_t w) override { closed = w; }
    void WindowMoved(std::uintptr_t, TRect) override {}
    void FocusChanged(std::uintptr_t, bool) override {}
    void Exposed(std::uintptr_t) override {}
    std::uintptr_t closed = 0;
};

TEST(ThreadBoundBackend, CallsOfAnotherThreadRunOnTheBackendsThreadInOrderWhenItPumps) {
    auto owned = std::make_unique<RecordingBackend>();
    RecordingBackend* real = owned.get();
    std::unique_ptr<TBackend> proxy = MakeThreadBoundBackend(std::move(owned));
    const auto owner = std::this_thread::get_id();
    std::uintptr_t id = 0;
    std::string clip;
    bool readBack = true;
    std::thread([&] {
        id = proxy->CreateWindow({});
        proxy->SetTitle(id, "report");
        proxy->ShowWindow(id, true, true);
        clip = proxy->ClipboardText();
        TBitmap b;
        readBack = proxy->ReadBack(id, b);
        EXPECT_EQ(proxy->ScreenRect(), (TRect{0, 0, 800, 600}));
    }).join();
    // Nothing ran yet: the calls wait for the backend's thread.
    EXPECT_TRUE(real->calls.empty());
    EXPECT_GT(real->wakes.load(), 0);
    EXPECT_FALSE(readBack);
    EXPECT_EQ(clip, "");
    Sink sink;
    proxy->Pump(sink, 0);
    ASSERT_EQ(real->calls, (std::vector<std::string>{"create", "title 1001 report", "show 1001"}));
    for (auto t : real->threads) EXPECT_EQ(t, owner);
    // The backend's events name the proxy's window.
    real->pendingClose = 1001;
    proxy->Pump(sink, 0);
    EXPECT_EQ(sink.closed, id);
    // From its own thread a call runs at once.
    proxy->DestroyWindow(id);
    EXPECT_EQ(real->calls.back(), "destroy 1001");
    EXPECT_EQ(proxy->ClipboardText(), "clip");
}

}  // namespace
}  // namespace menvaro

#include "ui/BackendProxy.h"

#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <unordered_map>

namespace menvaro {

namespace {

class TThreadBoundBackend final : public TBackend, private TBackendSink {
public:
    explicit TThreadBoundBackend(std::unique_ptr<TBackend> real)
        : real_(std::move(real)), owner_(std::this_thread::get_id()) {
        RefreshScreen();
    }

    const char* Name() const override { return real_->Name(); }
    bool VirtualTime() const override { return real_->VirtualTime(); }

    TRect ScreenRect() override {
        if (OnOwner()) RefreshScreen();
        std::lock_guard l(lock_);
        return screen_;
    }
    TRect WorkArea() override {
        if (OnOwner()) RefreshScreen();
        std::lock_guard l(lock_);
        return work_;
    }
    std::vector<TMonitorInfo> Monitors() override {
        if (OnOwner()) RefreshScreen();
        std::lock_guard l(lock_);
        return monitors_;
    }

    std::uintptr_t CreateWindow(const TBackendWindowParams& params) override {
        std::uintptr_t id;
        {
            std::lock_guard l(lock_);
            id = nextId_++;
            ids_[id] = 0;
        }
        Call([this, id, params] {
            std::uintptr_t real = real_->CreateWindow(params);
            std::lock_guard l(lock_);
            ids_[id] = real;  // a destruction is queued behind this call
            back_[real] = id;
        });
        return id;
    }
    void DestroyWindow(std::uintptr_t window) override {
        Call([this, window] {
            std::uintptr_t real = Real(window);
            {
                std::lock_guard l(lock_);
                ids_.erase(window);
                back_.erase(real);
            }
            if (real) real_->DestroyWindow(real);
        });
    }
    void ShowWindow(std::uintptr_t window, bool show, bool activate) override {
        Call([=, this] {
            if (auto r = Real(window)) real_->ShowWindow(r, show, activate);
        });
    }
    void SetBounds(std::uintptr_t window, TRect bounds) override {
        Call([=, this] {
            if (auto r = Real(window)) real_->SetBounds(r, bounds);
        });
    }
    void SetTitle(std::uintptr_t window, const std::string& title) override {
        Call([=, this] {
            if (auto r = Real(window)) real_->SetTitle(r, title);
        });
    }
    void Raise(std::uintptr_t window, bool activate) override {
        Call([=, this] {
            if (auto r = Real(window)) real_->Raise(r, activate);
        });
    }
    // The window manager presents only from the backend's thread.
    void Present(std::uintptr_t window, const TSurfaceView& surface, const TRect& dirty) override {
        if (!OnOwner()) return;
        RunQueued();
        if (auto r = Real(window)) real_->Present(r, surface, dirty);
    }
    bool ReadBack(std::uintptr_t window, TBitmap& out) override {
        if (!OnOwner()) return false;  // the backend cannot say from here
        RunQueued();
        auto r = Real(window);
        return r && real_->ReadBack(r, out);
    }
    void SetCursor(int cursor) override {
        Call([=, this] { real_->SetCursor(cursor); });
    }
    void CaptureMouse(bool capture) override {
        Call([=, this] { real_->CaptureMouse(capture); });
    }
    std::string ClipboardText() override {
        if (OnOwner()) {
            RunQueued();
            std::string t = real_->ClipboardText();
            std::lock_guard l(lock_);
            clipboard_ = t;
            return t;
        }
        std::lock_guard l(lock_);
        return clipboard_;
    }
    void SetClipboardText(const std::string& text) override {
        {
            std::lock_guard l(lock_);
            clipboard_ = text;
        }
        Call([=, this] { real_->SetClipboardText(text); });
    }

    bool Pump(TBackendSink& sink, int timeoutMs) override {
        bool ran = RunQueued();
        sink_ = &sink;
        bool any = real_->Pump(*this, ran ? 0 : timeoutMs);
        ran |= RunQueued();
        return any || ran;
    }
    void Wake() override { real_->Wake(); }

private:
    bool OnOwner() const { return std::this_thread::get_id() == owner_; }

    void Call(std::function<void()> f) {
        if (OnOwner()) {
            RunQueued();
            f();
            return;
        }
        {
            std::lock_guard l(lock_);
            queue_.push_back(std::move(f));
        }
        real_->Wake();
    }

    bool RunQueued() {
        bool any = false;
        while (true) {
            std::function<void()> f;
            {
                std::lock_guard l(lock_);
                if (queue_.empty()) return any;
                f = std::move(queue_.front());
                queue_.pop_front();
            }
            f();
            any = true;
        }
    }

    void RefreshScreen() {
        TRect s = real_->ScreenRect(), w = real_->WorkArea();
        std::vector<TMonitorInfo> m = real_->Monitors();
        std::lock_guard l(lock_);
        screen_ = s;
        work_ = w;
        monitors_ = std::move(m);
    }

    std::uintptr_t Real(std::uintptr_t id) {
        std::lock_guard l(lock_);
        auto it = ids_.find(id);
        return it == ids_.end() ? 0 : it->second;
    }
    std::uintptr_t Ours(std::uintptr_t real) {
        std::lock_guard l(lock_);
        auto it = back_.find(real);
        return it == back_.end() ? 0 : it->second;
    }

    // The real backend's events, told with our window ids.
    void MouseMove(std::uintptr_t w, TPoint p) override { sink_->MouseMove(Ours(w), p); }
    void MouseButton(std::uintptr_t w, TPoint p, int b, bool down) override { sink_->MouseButton(Ours(w), p, b, down); }
    void MouseWheel(std::uintptr_t w, TPoint p, int n) override { sink_->MouseWheel(Ours(w), p, n); }
    void MouseLeft(std::uintptr_t w) override { sink_->MouseLeft(Ours(w)); }
    void Key(int vk, bool down, bool repeat) override { sink_->Key(vk, down, repeat); }
    void Text(const std::string& utf8) override { sink_->Text(utf8); }
    void CloseRequested(std::uintptr_t w) override { sink_->CloseRequested(Ours(w)); }
    void WindowMoved(std::uintptr_t w, TRect b) override { sink_->WindowMoved(Ours(w), b); }
    void FocusChanged(std::uintptr_t w, bool gained) override { sink_->FocusChanged(Ours(w), gained); }
    void Exposed(std::uintptr_t w) override { sink_->Exposed(Ours(w)); }

    std::unique_ptr<TBackend> real_;
    std::thread::id owner_;
    TBackendSink* sink_ = nullptr;
    std::mutex lock_;
    std::deque<std::function<void()>> queue_;
    std::unordered_map<std::uintptr_t, std::uintptr_t> ids_;   // ours -> real (0: not made yet)
    std::unordered_map<std::uintptr_t, std::uintptr_t> back_;  // real -> ours
    std::uintptr_t nextId_ = 1;
    TRect screen_, work_;
    std::vector<TMonitorInfo> monitors_;
    std::string clipboard_;
};

}  // namespace

std::unique_ptr<TBackend> MakeThreadBoundBackend(std::unique_ptr<TBackend> backend) {
    return std::make_unique<TThreadBoundBackend>(std::move(backend));
}

}  // namespace menvaro

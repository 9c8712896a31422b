// The headless backend: every window lives in memory only, input comes from
// the synthetic event source, and time runs only when the program waits for
// a timer. The default for tests and UI scripts.
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "ui/Backend.h"

namespace menvaro {

namespace {

class THeadlessBackend : public TBackend {
public:
    const char* Name() const override { return "headless"; }
    TRect ScreenRect() override { return Bounds(0, 0, 1024, 768); }
    TRect WorkArea() override { return Bounds(0, 0, 1024, 728); }
    std::uintptr_t CreateWindow(const TBackendWindowParams&) override { return next_++; }
    void DestroyWindow(std::uintptr_t) override {}
    void ShowWindow(std::uintptr_t, bool, bool) override {}
    void SetBounds(std::uintptr_t, TRect) override {}
    void SetTitle(std::uintptr_t, const std::string&) override {}
    void Raise(std::uintptr_t, bool) override {}
    void Present(std::uintptr_t, const TSurfaceView&, const TRect&) override {}
    bool ReadBack(std::uintptr_t, TBitmap&) override { return false; }
    void SetCursor(int) override {}
    void CaptureMouse(bool) override {}
    std::string ClipboardText() override {
        std::lock_guard<std::mutex> g(lock_);
        return clipboard_;
    }
    void SetClipboardText(const std::string& text) override {
        std::lock_guard<std::mutex> g(lock_);
        clipboard_ = text;
    }
    bool Pump(TBackendSink&, int timeoutMs) override {
        std::unique_lock<std::mutex> g(lock_);
        if (!woken_) {
            if (timeoutMs < 0)
                cv_.wait(g, [this] { return woken_; });
            else
                cv_.wait_for(g, std::chrono::milliseconds(timeoutMs), [this] { return woken_; });
        }
        woken_ = false;
        return false;
    }
    void Wake() override {
        std::lock_guard<std::mutex> g(lock_);
        woken_ = true;
        cv_.notify_all();
    }
    bool VirtualTime() const override { return true; }

private:
    std::uintptr_t next_ = 1;
    std::mutex lock_;
    std::condition_variable cv_;
    bool woken_ = false;
    std::string clipboard_;
};

}  // namespace

std::unique_ptr<TBackend> CreateHeadlessBackend() { return std::make_unique<THeadlessBackend>(); }

}  // namespace menvaro

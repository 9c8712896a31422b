// The modal window a program shows while one job runs on the main thread
// inside the window's activation, closing itself when the job returns (the
// updater's busy window, the backup tool's wait window). At most one such
// window of a kind exists; TJobWindowSlot keeps it.
#pragma once

#include <exception>
#include <string>

#include "classes/Events.h"
#include "ui/Forms.h"
#include "ui/WindowManager.h"

namespace menvaro {

// Runs `job` once (it is cleared first, so that a message box it shows,
// activating the window again, does not run it twice) and keeps what it
// raises in `error`; the window must still close.
inline void RunJobOnce(TNotifyEvent& job, TObject* sender, std::exception_ptr& error) {
    TNotifyEvent run = job;
    job = nullptr;
    if (!run) return;
    try {
        run(sender);
    } catch (...) {
        error = std::current_exception();
    }
}

template <class TWindow>
class TJobWindowSlot {
public:
    TJobWindowSlot() = default;
    TJobWindowSlot(const TJobWindowSlot&) = delete;
    TJobWindowSlot& operator=(const TJobWindowSlot&) = delete;
    // A window still there when the program ends goes with it.
    ~TJobWindowSlot() {
        if (window_) window_->Free();
    }

    TWindow* Window() const { return window_; }

    // Makes the window (owned by the application), ends a mouse capture,
    // lets `prepare` set it up and disables the other windows of the task.
    // When any of it raises, the window goes, the message box `failure`
    // tells it and the answer is false.
    template <class Prepare>
    bool Open(const std::string& failure, Prepare prepare) {
        try {
            window_ = Create<TWindow>(Application);
            Application->ProcessMessages();
            if (HWND capture = GetCapture()) SendMessage(capture, WM_CANCELMODE);
            prepare(*window_);
            disabled_ = DisableTaskWindows(window_->Handle());
            Application->ProcessMessages();
            return true;
        } catch (const std::exception&) {
            EnableTaskWindows(disabled_);
            disabled_.clear();
            if (window_) window_->Free();
            window_ = nullptr;
            ShowMessageBox(failure, "", MB_ICONERROR | MB_OK);
            return false;
        }
    }

    // Shows the window modally (its activation runs the job); once it is
    // down, raises again what the job raised into the window's `error`.
    void Run(std::exception_ptr TWindow::*error) {
        if (!window_) return;
        window_->*error = nullptr;
        window_->ShowModal();
        if (std::exception_ptr e = window_->*error) {
            window_->*error = nullptr;
            std::rethrow_exception(e);
        }
    }

    // Enables the other windows, releases the capture, lets `stop` end what
    // runs in the window and frees it. False when there was none, or when
    // the clean-up raised.
    template <class Stop>
    bool Close(Stop stop) {
        if (!window_) return false;
        try {
            EnableTaskWindows(disabled_);
            disabled_.clear();
            ReleaseCapture();
            stop(*window_);
            TWindow* window = window_;
            window_ = nullptr;
            window->Free();
            Application->ProcessMessages();
            return true;
        } catch (const std::exception&) {
            window_ = nullptr;
            return false;
        }
    }

private:
    TWindow* window_ = nullptr;
    TTaskWindowList disabled_;
};

}  // namespace menvaro

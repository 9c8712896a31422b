#include "ui/Timers.h"

#include "classes/ClassBuilder.h"
#include "classes/ExceptionHandler.h"
#include "ui/Controls.h"

namespace menvaro {

MENVARO_CLASS_INFO(TTimer) {
    c.Prop("Enabled", &TTimer::Enabled, &TTimer::SetEnabled).Default(true);
    c.Prop("Interval", &TTimer::Interval, &TTimer::SetInterval).Default(1000);
    c.Event("OnTimer", &TTimer::OnTimer);
}

TTimer::TTimer(TComponent* owner) : TComponent(owner) {
    window_ = AllocateHWnd([this](TMessage& m) { TimerMessage(m); });
    // Enabled from the start; a form file that says otherwise stops it while it loads.
    UpdateTimer();
}

TTimer::~TTimer() = default;

void TTimer::BeforeDestruction() {
    if (window_) {
        KillTimer(window_, 1);
        DeallocateHWnd(window_);
        window_ = 0;
    }
    TComponent::BeforeDestruction();
}

void TTimer::SetEnabled(bool v) {
    if (v == enabled_) return;
    enabled_ = v;
    UpdateTimer();
}

void TTimer::SetInterval(unsigned ms) {
    if (ms == interval_) return;
    interval_ = ms;
    UpdateTimer();
}

void TTimer::Loaded() {
    TComponent::Loaded();
    UpdateTimer();
}

void TTimer::UpdateTimer() {
    if (!window_) return;
    if (running_) KillTimer(window_, 1);
    running_ = false;
    if (ComponentState().Contains(csLoading) || ComponentState().Contains(csDestroying)) return;
    if (enabled_ && interval_ != 0) {
        SetTimer(window_, 1, interval_);
        running_ = true;
    }
}

void TTimer::TimerMessage(TMessage& m) {
    if (m.Msg != WM_TIMER) return;
    // A handler assigned after the timer started is called as well.
    CallEventHandled(OnTimer, this);
}

}  // namespace menvaro

// TTimer: a component that fires OnTimer every Interval milliseconds while
// Enabled, through WM_TIMER messages of a window of its own.
#pragma once

#include "classes/Classes.h"
#include "classes/Events.h"
#include "classes/Messages.h"

namespace menvaro {

class TTimer : public TComponent {
    MENVARO_CLASS(TTimer, TComponent)
public:
    explicit TTimer(TComponent* owner);
    ~TTimer() override;
    void BeforeDestruction() override;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v);
    unsigned Interval() const { return interval_; }
    void SetInterval(unsigned ms);
    TNotifyEvent OnTimer;

    void Loaded() override;

private:
    void UpdateTimer();
    void TimerMessage(TMessage& m);

    bool enabled_ = true;
    unsigned interval_ = 1000;
    HWND window_ = 0;
    bool running_ = false;
};

}  // namespace menvaro

#include "ui/Animate.h"

#include "classes/ClassBuilder.h"
#include "classes/Setters.h"

namespace menvaro {

MENVARO_DEFINE_ENUM(TCommonAVI, aviNone, aviCopyFiles)

MENVARO_CLASS_INFO(TAnimate) {
    c.Prop("Active", &TAnimate::Active, &TAnimate::SetActive).Default(false);
    c.Redeclare("AutoSize").Default(true);
    c.Prop("Center", &TAnimate::Center, &TAnimate::SetCenter).Default(true);
    c.Prop("CommonAVI", &TAnimate::CommonAVI, &TAnimate::SetCommonAVI).Default(aviNone);
    c.Redeclare("ParentColor").Default(true);
    c.Prop("Repetitions", &TAnimate::Repetitions, &TAnimate::SetRepetitions).Default(0);
    c.Prop("StartFrame", &TAnimate::StartFrame, &TAnimate::SetStartFrame).Default(1);
    c.Prop("StopFrame", &TAnimate::StopFrame, &TAnimate::SetStopFrame).Default(0);
    c.Prop("Transparent", &TAnimate::Transparent, &TAnimate::SetTransparent).Default(true);
    c.Event("OnStart", &TAnimate::OnStart);
    c.Event("OnStop", &TAnimate::OnStop);
}

TAnimate::TAnimate(TComponent* owner) : TWinControl(owner), canvas_(std::make_unique<TCanvas>()) {
    SetControlStyle({csCaptureMouse, csClickEvents, csOpaque, csDoubleClicks, csReplicatable});
    SetBounds(0, 0, 100, 80);
    SetColor(clBtnFace);
    SetParentColor(true);
    TWinControl::SetAutoSize(true);
}

TAnimate::~TAnimate() = default;

void TAnimate::BeforeDestruction() {
    StopTimer();
    TWinControl::BeforeDestruction();
}

int TAnimate::FrameCount() const { return clip_ ? static_cast<int>(clip_->Frames.size()) : 0; }
int TAnimate::FrameWidth() const { return clip_ && !clip_->Frames.empty() ? clip_->Frames[0].Width() : 0; }
int TAnimate::FrameHeight() const { return clip_ && !clip_->Frames.empty() ? clip_->Frames[0].Height() : 0; }

void TAnimate::SetCommonAVI(TCommonAVI a) {
    if (a == commonAVI_) return;
    bool wasActive = active_;
    if (active_) Stop();
    commonAVI_ = a;
    clip_ = a == aviCopyFiles ? &CopyFilesClip() : nullptr;
    current_ = clip_ ? 1 : 0;
    if (AutoSize() && clip_) SetBounds(Left(), Top(), FrameWidth(), FrameHeight());
    Invalidate();
    if (wasActive && clip_) SetActive(true);
}

void TAnimate::SetAutoSize(bool v) {
    if (v == AutoSize()) return;
    TWinControl::SetAutoSize(v);
    if (v && clip_) SetBounds(Left(), Top(), FrameWidth(), FrameHeight());
}

void TAnimate::SetCenter(bool v) {
    if (!Change(center_, v)) return;
    Invalidate();
}

void TAnimate::SetTransparent(bool v) {
    if (!Change(transparent_, v)) return;
    Invalidate();
}

void TAnimate::SetStartFrame(int v) {
    if (!Change(startFrame_, v)) return;
    if (active_) SetActive(true);
}

void TAnimate::SetStopFrame(int v) {
    if (!Change(stopFrame_, v)) return;
    if (active_) SetActive(true);
}

void TAnimate::SetActive(bool v) {
    if (ComponentState().Contains(csLoading)) {
        active_ = v;  // plays once the form is read
        return;
    }
    if (v)
        Play(startFrame_, stopFrame_ == 0 ? FrameCount() : stopFrame_, repetitions_);
    else
        Stop();
}

void TAnimate::Loaded() {
    TWinControl::Loaded();
    if (active_) {
        active_ = false;
        SetActive(true);
    }
}

void TAnimate::Play(int fromFrame, int toFrame, int count) {
    if (!clip_) throw EInvalidOperation("No animation clip is open");
    if (fromFrame < 1 || toFrame > FrameCount() || fromFrame > toFrame)
        throw EInvalidOperation("Frames " + std::to_string(fromFrame) + " to " + std::to_string(toFrame) +
                                " are not in the clip of " + std::to_string(FrameCount()) + " frames");
    bool wasActive = active_;
    playFrom_ = fromFrame;
    playTo_ = toFrame;
    playsLeft_ = std::max(0, count);
    current_ = fromFrame;
    active_ = true;
    if (!timer_)
        timer_ = AllocateHWnd([this](TMessage& m) {
            if (m.Msg == WM_TIMER) Tick();
        });
    SetTimer(timer_, 1, clip_->FrameMs);
    Invalidate();
    if (!wasActive && OnStart) OnStart(this);
}

void TAnimate::StopTimer() {
    if (!timer_) return;
    KillTimer(timer_, 1);
    DeallocateHWnd(timer_);
    timer_ = 0;
}

void TAnimate::Finish() {
    StopTimer();
    if (!active_) return;
    active_ = false;
    if (OnStop) OnStop(this);
}

void TAnimate::Stop() { Finish(); }

void TAnimate::Seek(int frame) {
    if (!clip_) throw EInvalidOperation("No animation clip is open");
    if (frame < 1 || frame > FrameCount())
        throw EInvalidOperation("Frame " + std::to_string(frame) + " is not in the clip of " +
                                std::to_string(FrameCount()) + " frames");
    Stop();
    current_ = frame;
    Invalidate();
}

void TAnimate::Reset() {
    Stop();
    current_ = clip_ ? 1 : 0;
    Invalidate();
}

void TAnimate::Tick() {
    if (!active_) return;
    if (current_ < playTo_) {
        ++current_;
    } else {
        if (playsLeft_ > 0 && --playsLeft_ == 0) {
            Finish();
            return;
        }
        current_ = playFrom_;
    }
    Invalidate();
}

TRect TAnimate::FrameRect() const {
    int w = FrameWidth(), h = FrameHeight();
    TRect c = ClientRect();
    if (!center_) return Bounds(0, 0, w, h);
    return Bounds((c.Width() - w) / 2, (c.Height() - h) / 2, w, h);
}

void TAnimate::Dispatch(TMessage& m) {
    if (m.Msg == WM_ERASEBKGND) {
        m.Result = 1;
        return;
    }
    TWinControl::Dispatch(m);
}

void TAnimate::PaintWindow(HDC dc) {
    TCanvas& c = *canvas_;
    TCanvasOnDC bound(c, dc, this);
    c.Brush().SetStyle(bsSolid);
    c.Brush().SetColor(Color());
    c.FillRect(ClientRect());
    if (clip_ && current_ >= 1 && current_ <= FrameCount()) {
        auto& frame = const_cast<TBitmap&>(clip_->Frames[static_cast<std::size_t>(current_ - 1)]);
        TRect r = FrameRect();
        if (!transparent_) {
            c.Brush().SetColor(clWhite);
            c.FillRect(r);
        }
        c.TransparentBlt(r, frame.Canvas(), Bounds(0, 0, frame.Width(), frame.Height()),
                         frame.Pixel(0, frame.Height() - 1));
    }
}

}  // namespace menvaro

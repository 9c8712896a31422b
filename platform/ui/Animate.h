// TAnimate: plays a clip of frames on a timer, as the shell's animation
// control does. The only clip is the built-in "copy files" clip of our own
// drawing (CommonAVI = aviCopyFiles): sheets flying from one folder to
// another. Frames count from 1.
#pragma once

#include <algorithm>
#include <memory>
#include <vector>

#include "gfx/Bitmap.h"
#include "ui/Controls.h"

namespace menvaro {

enum TCommonAVI { aviNone, aviCopyFiles };
MENVARO_DECLARE_ENUM(TCommonAVI)

// A clip: its frames (all of one size) and the time each one shows. The
// frames' background is their bottom-left pixel's colour; a transparent
// animation leaves it out, an opaque one shows it white.
struct TAnimationClip {
    std::vector<TBitmap> Frames;
    unsigned FrameMs = 0;
};
// The built-in copy-files clip: 51 frames of 272 x 45, one sheet flying
// every 17 frames, so that frames 1 to 34 (and the whole clip) loop
// without a seam.
const TAnimationClip& CopyFilesClip();

class TAnimate : public TWinControl {
    MENVARO_CLASS(TAnimate, TWinControl)
public:
    explicit TAnimate(TComponent* owner);
    ~TAnimate() override;
    void BeforeDestruction() override;

    TCommonAVI CommonAVI() const { return commonAVI_; }
    // Opens the clip (closing a running one); aviNone closes it.
    void SetCommonAVI(TCommonAVI a);
    bool Open() const { return clip_ != nullptr; }
    // Setting Active plays StartFrame..StopFrame Repetitions times (0: on
    // and on) or stops; it turns false by itself when the plays are done.
    bool Active() const { return active_; }
    void SetActive(bool v);
    // The control takes the frame's size when a clip opens.
    void SetAutoSize(bool v) override;
    bool Center() const { return center_; }
    void SetCenter(bool v);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool v);
    int Repetitions() const { return repetitions_; }
    void SetRepetitions(int v) { repetitions_ = std::max(0, v); }
    int StartFrame() const { return startFrame_; }
    void SetStartFrame(int v);
    // 0 is the last frame of the clip.
    int StopFrame() const { return stopFrame_; }
    void SetStopFrame(int v);

    int FrameCount() const;
    int FrameWidth() const;
    int FrameHeight() const;
    // The frame on show (0 when no clip is open).
    int CurrentFrame() const { return current_; }

    // Raises EInvalidOperation when no clip is open or the frames are not
    // 1 <= from <= to <= FrameCount.
    void Play(int fromFrame, int toFrame, int count);
    void Stop();
    void Seek(int frame);
    // Stops and shows the first frame.
    void Reset();

    TNotifyEvent OnStart;
    TNotifyEvent OnStop;

    void Loaded() override;
    void Dispatch(TMessage& m) override;

protected:
    void PaintWindow(HDC dc) override;

private:
    void Tick();
    void StopTimer();
    void Finish();
    TRect FrameRect() const;
    TCommonAVI commonAVI_ = aviNone;
    const TAnimationClip* clip_ = nullptr;
    bool active_ = false;
    bool center_ = true;
    bool transparent_ = true;
    int repetitions_ = 0;
    int startFrame_ = 1;
    int stopFrame_ = 0;
    int current_ = 0;
    int playFrom_ = 0;
    int playTo_ = 0;
    int playsLeft_ = 0;  // 0: on and on
    HWND timer_ = 0;
    std::unique_ptr<TCanvas> canvas_;
};

}  // namespace menvaro

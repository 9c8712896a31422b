// TProgressBar: a sunken bar filled in blocks (or smoothly) from Min to
// Position of the range up to Max.
#pragma once

#include "ui/Controls.h"

namespace menvaro {

enum TProgressBarOrientation { pbHorizontal, pbVertical };
MENVARO_DECLARE_ENUM(TProgressBarOrientation)

class TProgressBar : public TWinControl {
    MENVARO_CLASS(TProgressBar, TWinControl)
public:
    explicit TProgressBar(TComponent* owner);
    ~TProgressBar() override;

    int Min() const { return min_; }
    void SetMin(int v);
    int Max() const { return max_; }
    void SetMax(int v);
    // Kept inside Min..Max.
    int Position() const { return position_; }
    void SetPosition(int v);
    int Step() const { return step_; }
    void SetStep(int v) { step_ = v; }
    bool Smooth() const { return smooth_; }
    void SetSmooth(bool v);
    TProgressBarOrientation Orientation() const { return orientation_; }
    void SetOrientation(TProgressBarOrientation o);

    // Position moves on by Step (by `delta`), wrapping to Min past Max.
    void StepIt();
    void StepBy(int delta);
    // The filled part, in client coordinates.
    TRect BarRect() const;

    void Dispatch(TMessage& m) override;

protected:
    void PaintWindow(HDC dc) override;

private:
    int min_ = 0;
    int max_ = 100;
    int position_ = 0;
    int step_ = 10;
    bool smooth_ = false;
    TProgressBarOrientation orientation_ = pbHorizontal;
    std::unique_ptr<TCanvas> canvas_;
};

}  // namespace menvaro

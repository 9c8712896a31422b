#include "ui/ProgressBar.h"

#include <algorithm>

#include "classes/ClassBuilder.h"

namespace menvaro {

MENVARO_DEFINE_ENUM(TProgressBarOrientation, pbHorizontal, pbVertical)

MENVARO_CLASS_INFO(TProgressBar) {
    c.Prop("Max", &TProgressBar::Max, &TProgressBar::SetMax).Default(100);
    c.Prop("Min", &TProgressBar::Min, &TProgressBar::SetMin).Default(0);
    c.Prop("Orientation", &TProgressBar::Orientation, &TProgressBar::SetOrientation).Default(pbHorizontal);
    c.Prop("Position", &TProgressBar::Position, &TProgressBar::SetPosition).Default(0);
    c.Prop("Smooth", &TProgressBar::Smooth, &TProgressBar::SetSmooth).Default(false);
    c.Prop("Step", &TProgressBar::Step, &TProgressBar::SetStep).Default(10);
}

TProgressBar::TProgressBar(TComponent* owner) : TWinControl(owner), canvas_(std::make_unique<TCanvas>()) {
    SetControlStyle({csCaptureMouse, csClickEvents, csOpaque, csDoubleClicks, csReplicatable});
    SetBounds(0, 0, 150, 16);
    SetColor(clBtnFace);
}

TProgressBar::~TProgressBar() = default;

void TProgressBar::SetMin(int v) {
    if (v == min_) return;
    min_ = v;
    // While a form file sets Min and Max one after the other, Position
    // waits for both.
    if (!ComponentState().Contains(csLoading)) position_ = std::clamp(position_, min_, std::max(min_, max_));
    Invalidate();
}

void TProgressBar::SetMax(int v) {
    if (v == max_) return;
    max_ = v;
    if (!ComponentState().Contains(csLoading)) position_ = std::clamp(position_, min_, std::max(min_, max_));
    Invalidate();
}

void TProgressBar::SetPosition(int v) {
    if (!ComponentState().Contains(csLoading)) v = std::clamp(v, min_, std::max(min_, max_));
    if (v == position_) return;
    position_ = v;
    Invalidate();
}

void TProgressBar::SetSmooth(bool v) {
    if (v == smooth_) return;
    smooth_ = v;
    Invalidate();
}

void TProgressBar::SetOrientation(TProgressBarOrientation o) {
    if (o == orientation_) return;
    orientation_ = o;
    // The bar turns with the control, as its window would be made anew; a
    // form file already holds the turned bounds.
    if (!ComponentState().Contains(csLoading)) SetBounds(Left(), Top(), Height(), Width());
    Invalidate();
}

void TProgressBar::StepBy(int delta) {
    long long p = static_cast<long long>(position_) + delta;
    if (p > max_) p = min_ + (p - max_ - 1) % std::max(1LL, static_cast<long long>(max_) - min_ + 1);
    if (p < min_) p = min_;
    SetPosition(static_cast<int>(p));
}

void TProgressBar::StepIt() { StepBy(step_); }

TRect TProgressBar::BarRect() const {
    TRect r = InflateRect(ClientRect(), -1, -1);
    long long range = static_cast<long long>(max_) - min_;
    long long done = static_cast<long long>(std::clamp(position_, min_, std::max(min_, max_))) - min_;
    if (range <= 0 || done <= 0) return {r.Left, r.Top, r.Left, r.Top};
    if (orientation_ == pbHorizontal)
        r.Right = r.Left + static_cast<int>(r.Width() * done / range);
    else
        r.Top = r.Bottom - static_cast<int>(r.Height() * done / range);
    return r;
}

void TProgressBar::Dispatch(TMessage& m) {
    if (m.Msg == WM_ERASEBKGND) {
        m.Result = 1;
        return;
    }
    TWinControl::Dispatch(m);
}

void TProgressBar::PaintWindow(HDC dc) {
    TCanvas& c = *canvas_;
    TCanvasOnDC bound(c, dc, this);
    TRect r = ClientRect();
    c.DrawEdge(r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
    c.Brush().SetStyle(bsSolid);
    c.Brush().SetColor(Color());
    c.FillRect(r);
    TRect bar = BarRect();
    c.Brush().SetColor(clHighlight);
    if (smooth_) {
        c.FillRect(bar);
    } else if (!bar.IsEmpty()) {
        // Blocks a pixel in from the border, two thirds as long as the bar
        // is thick, two pixels apart, the last one cut at the end of the
        // filled part.
        TCanvasStateSaver saved(c);
        c.IntersectClipRect(bar);
        bool horizontal = orientation_ == pbHorizontal;
        int thick = horizontal ? r.Height() : r.Width();
        int block = std::max(2, (thick * 2) / 3);
        if (horizontal) {
            for (int x = r.Left + 1; x < bar.Right; x += block + 2) c.FillRect({x, r.Top + 1, x + block, r.Bottom - 1});
        } else {
            for (int y = r.Bottom - 1; y > bar.Top; y -= block + 2) c.FillRect({r.Left + 1, y - block, r.Right - 1, y});
        }
    }
}

}  // namespace menvaro

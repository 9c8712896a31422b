// The built-in "copy files" clip: a sheet of paper rises out of the left
// folder, turns over in the air and drops into the right folder. Drawn once,
// on first use, with the canvas.
#include <cmath>

#include "gfx/Canvas.h"
#include "ui/Animate.h"

namespace menvaro {

namespace {

constexpr int kWidth = 272;
constexpr int kHeight = 45;
constexpr int kPeriod = 17;  // frames a sheet takes from folder to folder
constexpr int kFrames = 3 * kPeriod;
constexpr TColor kKey = RGB(255, 0, 255);
constexpr TColor kFolderBack = RGB(192, 160, 0);
constexpr TColor kFolderFront = RGB(255, 224, 64);
constexpr TColor kFolderEdge = RGB(128, 96, 0);

// The back of an open folder at x (its tab and the papers inside).
void FolderBack(TCanvas& c, int x) {
    c.Pen().SetColor(kFolderEdge);
    c.Brush().SetColor(kFolderBack);
    c.Polygon({{x, 20}, {x + 4, 16}, {x + 16, 16}, {x + 19, 20}, {x + 48, 20}, {x + 48, 43}, {x, 43}});
    c.Brush().SetColor(clWhite);
    c.Pen().SetColor(clGray);
    c.Rectangle(x + 6, 22, x + 42, 34);
}

// The front flap, which hides the lower part of a sheet going in or out.
void FolderFront(TCanvas& c, int x) {
    c.Pen().SetColor(kFolderEdge);
    c.Brush().SetColor(kFolderFront);
    c.Polygon({{x - 2, 29}, {x + 44, 29}, {x + 50, 43}, {x + 4, 43}});
}

// A sheet centred at (cx, cy), `w` wide (it turns over in the air).
void Sheet(TCanvas& c, int cx, int cy, int w) {
    const int h = 16;
    w = std::max(2, w);
    int left = cx - w / 2, top = cy - h / 2;
    c.Pen().SetColor(clBlack);
    c.Brush().SetColor(clWhite);
    c.Rectangle(left, top, left + w, top + h);
    if (w >= 8) {
        c.Pen().SetColor(clGray);
        for (int y = top + 4; y < top + h - 2; y += 3) {
            c.MoveTo(left + 2, y);
            c.LineTo(left + w - 2, y);
        }
    }
}

TBitmap Frame(int index) {
    TBitmap b(kWidth, kHeight);
    b.Fill(kKey);
    TCanvas& c = b.Canvas();
    c.Pen().SetWidth(1);
    c.Brush().SetStyle(bsSolid);
    const int leftX = 16, rightX = kWidth - 16 - 48;
    FolderBack(c, leftX);
    FolderBack(c, rightX);
    double t = static_cast<double>(index % kPeriod) / kPeriod;
    const double pi = 3.14159265358979;
    int fromX = leftX + 24, toX = rightX + 24;
    int cx = fromX + static_cast<int>(std::lround((toX - fromX) * t));
    // A parabola from inside one folder up near the top edge and down again.
    int cy = 30 - static_cast<int>(std::lround(88.0 * t * (1.0 - t)));
    int w = static_cast<int>(std::lround(14.0 * std::fabs(std::cos(3.0 * pi * t))));
    Sheet(c, cx, cy, w);
    FolderFront(c, leftX);
    FolderFront(c, rightX);
    return b;
}

}  // namespace

const TAnimationClip& CopyFilesClip() {
    static const TAnimationClip clip = [] {
        TAnimationClip k;
        k.FrameMs = 60;
        k.Frames.reserve(kFrames);
        for (int i = 0; i < kFrames; ++i) k.Frames.push_back(Frame(i));
        return k;
    }();
    return clip;
}

}  // namespace menvaro

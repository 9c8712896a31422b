#include <gtest/gtest.h>

#include "classes/FormReader.h"
#include "classes/FormWriter.h"
#include "testsupport/UiTest.h"
#include "ui/Animate.h"
#include "ui/ProgressBar.h"

namespace menvaro {
namespace {

class Progress : public ControlTest {};

TEST_F(Progress, BarFillsItsShareOfTheRangeInBlocks) {
    auto* p = Put<TProgressBar>(10, 10, 202, 18);
    p->SetPosition(34);
    // The 200 inner pixels, a third of them (34 of 100).
    EXPECT_EQ(p->BarRect(), (TRect{1, 1, 69, 17}));
    EXPECT_EQ(At(p, 0, 5), Rgb(clBtnShadow));  // the sunken border
    EXPECT_EQ(At(p, 2, 8), Rgb(clHighlight));  // the first block
    EXPECT_EQ(At(p, 1, 8), Rgb(clBtnFace));    // the gap before it
    EXPECT_EQ(At(p, 100, 8), Rgb(clBtnFace));  // not filled yet
    // Blocks are two thirds as wide as the bar is high, two pixels apart.
    int block = (16 * 2) / 3;
    EXPECT_EQ(At(p, 2 + block - 1, 8), Rgb(clHighlight));
    EXPECT_EQ(At(p, 2 + block, 8), Rgb(clBtnFace));
    EXPECT_EQ(At(p, 2 + block + 2, 8), Rgb(clHighlight));
    EXPECT_EQ(At(p, 4, 1), Rgb(clBtnFace));  // a pixel in from the border
    p->SetSmooth(true);
    EXPECT_EQ(At(p, 2 + block, 8), Rgb(clHighlight));
    EXPECT_EQ(At(p, 69, 8), Rgb(clBtnFace));
}

TEST_F(Progress, PositionStaysInTheRangeAndStepsWrap) {
    auto* p = Put<TProgressBar>(10, 10, 150, 16);
    p->SetPosition(150);
    EXPECT_EQ(p->Position(), 100);
    p->SetPosition(-5);
    EXPECT_EQ(p->Position(), 0);
    p->SetMin(20);
    EXPECT_EQ(p->Position(), 20);
    p->SetMax(40);
    p->SetStep(15);
    p->StepIt();
    EXPECT_EQ(p->Position(), 35);
    p->StepIt();  // past the end: round to the start
    EXPECT_EQ(p->Position(), 29);
    p->SetMax(30);
    EXPECT_EQ(p->Position(), 29);
    p->SetMax(25);
    EXPECT_EQ(p->Position(), 25);
}

TEST_F(Progress, AVerticalBarKeepsTheBoundsItsFormFileGives) {
    // Turned in code, the bar turns with the control; read from a form file,
    // the bounds written there are already the turned ones.
    auto* p = Put<TProgressBar>(10, 10, 150, 16);
    p->SetOrientation(pbVertical);
    EXPECT_EQ(p->Width(), 16);
    EXPECT_EQ(p->Height(), 150);
    auto* f = FormFromText(
        "object F: TForm\n  object Bar: TProgressBar\n    Left = 8\n    Top = 8\n    Width = 16\n"
        "    Height = 150\n    Orientation = pbVertical\n  end\nend\n",
        "bar.form");
    auto* read = Part<TProgressBar>(f, "Bar");
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->Orientation(), pbVertical);
    EXPECT_EQ(read->Width(), 16);
    EXPECT_EQ(read->Height(), 150);
    // And what it writes reads back the same.
    auto* back = Part<TProgressBar>(FormFromText(WriteComponentText(f), "again.form"), "Bar");
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->Width(), 16);
    EXPECT_EQ(back->Height(), 150);
}

class Animation : public ControlTest {};

TEST_F(Animation, TheCopyFilesClipLoopsWithoutASeam) {
    const TAnimationClip& clip = CopyFilesClip();
    ASSERT_GE(clip.Frames.size(), 35u);
    EXPECT_EQ(clip.Frames[0].Width(), 272);
    EXPECT_EQ(clip.Frames[0].Height(), 45);
    auto same = [](const TBitmap& a, const TBitmap& b) {
        for (int y = 0; y < a.Height(); ++y)
            for (int x = 0; x < a.Width(); ++x)
                if (a.Pixel(x, y) != b.Pixel(x, y)) return false;
        return true;
    };
    // Frame 35 is frame 1 again: playing 1..34 comes back to where it began.
    EXPECT_TRUE(same(clip.Frames[34], clip.Frames[0]));
    EXPECT_TRUE(same(clip.Frames[clip.Frames.size() - 1], clip.Frames[16]));
    // Consecutive frames differ: the sheet moves.
    for (std::size_t i = 0; i + 1 < 17; ++i) EXPECT_FALSE(same(clip.Frames[i], clip.Frames[i + 1])) << i;
    // The background is the transparent colour in the corner.
    EXPECT_EQ(clip.Frames[3].Pixel(0, 44), RGB(255, 0, 255));
}

TEST_F(Animation, PlaysOnATimerBetweenItsFramesAndStopsWhenDone) {
    auto* a = Put<TAnimate>(8, 4, 427, 45);
    a->SetAutoSize(false);
    a->SetCommonAVI(aviCopyFiles);
    a->SetStopFrame(34);
    EXPECT_EQ(a->Width(), 427);
    EXPECT_EQ(a->FrameCount(), 51);
    std::vector<std::string> events;
    a->OnStart = [&](TObject*) { events.push_back("start"); };
    a->OnStop = [&](TObject*) { events.push_back("stop"); };
    a->SetActive(true);
    EXPECT_EQ(a->CurrentFrame(), 1);
    const unsigned ms = CopyFilesClip().FrameMs;
    synthetic::AdvanceTime(ms);
    Pump();
    EXPECT_EQ(a->CurrentFrame(), 2);
    for (int i = 0; i < 32; ++i) {
        synthetic::AdvanceTime(ms);
        Pump();
    }
    EXPECT_EQ(a->CurrentFrame(), 34);
    synthetic::AdvanceTime(ms);
    Pump();
    EXPECT_EQ(a->CurrentFrame(), 1);  // on and on
    a->SetActive(false);
    EXPECT_FALSE(a->Active());
    EXPECT_EQ(events, (std::vector<std::string>{"start", "stop"}));
    // Two repetitions of frames 3..5, then it stops on the last one.
    a->SetStartFrame(3);
    a->SetStopFrame(5);
    a->SetRepetitions(2);
    a->SetActive(true);
    for (int i = 0; i < 10; ++i) {
        synthetic::AdvanceTime(ms);
        Pump();
    }
    EXPECT_FALSE(a->Active());
    EXPECT_EQ(a->CurrentFrame(), 5);
    EXPECT_THROW(a->Play(0, 5, 1), EInvalidOperation);
    EXPECT_THROW(a->Play(3, 52, 1), EInvalidOperation);
    a->SetCommonAVI(aviNone);
    EXPECT_THROW(a->SetActive(true), EInvalidOperation);
}

TEST_F(Animation, PaintsTheFrameCentredOnItsColour) {
    form->SetColor(clTeal);
    auto* a = Put<TAnimate>(0, 0, 300, 60);
    a->SetAutoSize(false);
    a->SetCommonAVI(aviCopyFiles);
    Pump();
    EXPECT_EQ(a->Color(), clTeal);  // the parent's colour shows around the sheets
    const TBitmap& f = CopyFilesClip().Frames[0];
    int dx = (300 - 272) / 2, dy = (60 - 45) / 2;
    int matched = 0, inked = 0;
    for (int y = 0; y < 45; y += 3)
        for (int x = 0; x < 272; x += 3) {
            TColor want = f.Pixel(x, y) == RGB(255, 0, 255) ? clTeal : f.Pixel(x, y);
            inked += want != clTeal;
            matched += At(a, dx + x, dy + y) == want;
        }
    EXPECT_GT(inked, 50);
    EXPECT_EQ(matched, 15 * 91);
    EXPECT_EQ(At(a, 2, 2), clTeal);
    // Opaque, the clip's background is white.
    a->SetTransparent(false);
    EXPECT_EQ(At(a, dx, dy), clWhite);
    EXPECT_EQ(At(a, 2, 2), clTeal);
}

TEST_F(Animation, AutoSizeTakesTheFramesSize) {
    auto* a = Put<TAnimate>(0, 0, 30, 30);
    a->SetCommonAVI(aviCopyFiles);
    EXPECT_EQ(a->Width(), 272);
    EXPECT_EQ(a->Height(), 45);
}

}  // namespace
}  // namespace menvaro

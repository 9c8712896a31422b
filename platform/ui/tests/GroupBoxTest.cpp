// The group box and text drawn in a state.
#include <gtest/gtest.h>

#include "gfx/Bitmap.h"
#include "testsupport/Pixels.h"
#include "testsupport/UiTest.h"
#include "ui/DrawState.h"
#include "ui/ExtCtrls.h"
#include "ui/StdCtrls.h"

namespace menvaro {
namespace {

// A canvas of `w` x `h` on navy, with a 12-pixel font.
struct Sheet {
    TBitmap b;
    Sheet(int w, int h) : b(w, h) {
        b.Fill(clNavy);
        b.Canvas().Font().SetName("DejaVu Sans");
        b.Canvas().Font().SetHeight(-12);
    }
    TCanvas& c() { return b.Canvas(); }
};

bool Same(const TBitmap& a, const TBitmap& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (a.Pixel(x, y) != b.Pixel(x, y)) return false;
    return true;
}

TEST(DrawState, DisabledTextIsEmbossedHighlightBelowRightThenShadow) {
    Sheet drawn(80, 24), expected(80, 24);
    drawn.c().SetTextColor(clRed);
    ASSERT_TRUE(DrawState(drawn.c(), "Ab&c", 5, 4, 60, 16, DST_PREFIXTEXT | DSS_DISABLED));
    TCanvas& e = expected.c();
    e.SetBkMode(TRANSPARENT);
    for (const auto& [at, colour] : {std::pair{1, clBtnHighlight}, std::pair{0, clBtnShadow}}) {
        e.SetTextColor(ColorToRGB(colour));
        TRect r = Bounds(5 + at, 4 + at, 60, 16);
        e.DrawText("Ab&c", r, DT_LEFT | DT_TOP);
    }
    EXPECT_TRUE(Same(drawn.b, expected.b));
    EXPECT_GT(test::CountPixels(drawn.b, ColorToRGB(clBtnHighlight)), 5);
    EXPECT_GT(test::CountPixels(drawn.b, ColorToRGB(clBtnShadow)), 5);
    EXPECT_EQ(test::CountPixels(drawn.b, clRed), 0) << "the text colour plays no part";
    EXPECT_EQ(drawn.c().TextColor(), clRed) << "the canvas keeps its state";
    EXPECT_EQ(drawn.c().BkMode(), OPAQUE);
}

TEST(DrawState, KindsStatesPrefixesAndTheClip) {
    // Normal: the text colour; DST_TEXT keeps "&", DST_PREFIXTEXT underlines.
    for (const auto& [kind, noPrefix] : {std::pair{DST_TEXT, true}, std::pair{DST_PREFIXTEXT, false}}) {
        Sheet drawn(80, 20), expected(80, 20);
        drawn.c().SetTextColor(clYellow);
        ASSERT_TRUE(DrawState(drawn.c(), "&Go", 2, 2, 0, 0, kind | DSS_NORMAL));
        expected.c().SetTextColor(clYellow);
        expected.c().SetBkMode(TRANSPARENT);
        TRect r = Bounds(2, 2, 70, 16);
        expected.c().DrawText("&Go", r, noPrefix ? DT_NOPREFIX : 0u);
        EXPECT_TRUE(Same(drawn.b, expected.b)) << kind;
    }
    // A box narrower than the text cuts it there.
    Sheet cut(80, 20);
    ASSERT_TRUE(DrawState(cut.c(), "WWWWWW", 0, 0, 10, 16, DST_TEXT | DSS_DISABLED));
    EXPECT_EQ(test::CountPixels(cut.b, {12, 0, 80, 20}, ColorToRGB(clBtnShadow)), 0);
    EXPECT_GT(test::CountPixels(cut.b, {0, 0, 10, 16}, ColorToRGB(clBtnShadow)), 0);
    // What is not drawn here draws nothing.
    Sheet none(40, 20);
    EXPECT_FALSE(DrawState(none.c(), "x", 0, 0, 0, 0, 0x0004 /* a bitmap */ | DSS_DISABLED));
    EXPECT_FALSE(DrawState(none.c(), "x", 0, 0, 0, 0, DST_TEXT | DSS_MONO));
    EXPECT_FALSE(DrawState(none.c(), "x", 0, 0, 0, 0, DST_TEXT | DSS_UNION));
    EXPECT_EQ(test::CountPixels(none.b, clNavy), 40 * 20);
}

class GroupBox : public ControlTest {};

TEST_F(GroupBox, ChildrenSitInsideTheFrameBelowTheCaption) {
    auto* box = Put<TGroupBox>(10, 10, 200, 120);
    box->SetCaption("备份数据");
    auto* inner = Create<TPanel>(form);
    inner->SetParent(box);
    inner->SetAlign(alClient);
    TCanvas c;
    c.Font().Assign(*box->Font());
    const int h = c.TextHeight("0");
    EXPECT_EQ(inner->BoundsRect(), (TRect{2, h + 2, 198, 118}));
    // Without Ctl3D a single line, one pixel less on each side.
    box->SetCtl3D(false);
    EXPECT_EQ(inner->BoundsRect(), (TRect{1, h + 1, 199, 119}));
    // A bigger font moves them down.
    box->Font()->SetHeight(-30);
    c.Font().Assign(*box->Font());
    EXPECT_EQ(inner->Top(), c.TextHeight("0") + 1);
}

TEST_F(GroupBox, FrameIsEtchedAndTheCaptionCoversItOnItsColour) {
    auto* box = Put<TGroupBox>(10, 10, 200, 100);
    box->SetColor(clYellow);
    TCanvas c;
    c.Font().Assign(*box->Font());
    const int h = c.TextHeight("0"), top = h / 2 - 1;
    // Empty caption: the etched line runs along the whole top.
    EXPECT_EQ(At(box, 100, top), ColorToRGB(clBtnShadow));
    EXPECT_EQ(At(box, 100, top + 1), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(At(box, 0, 50), ColorToRGB(clBtnShadow));
    EXPECT_EQ(At(box, 1, 50), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(At(box, 198, 50), ColorToRGB(clBtnShadow));
    EXPECT_EQ(At(box, 199, 50), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(At(box, 100, 98), ColorToRGB(clBtnShadow));
    EXPECT_EQ(At(box, 100, 99), ColorToRGB(clBtnHighlight));
    // A caption: its cell, 8 pixels in, is yellow over the line.
    box->SetCaption("WWW");
    const int w = c.TextWidth("WWW");
    EXPECT_NE(At(box, 8 + w / 2, top), ColorToRGB(clBtnShadow));
    EXPECT_GT(CountPixels(box, {8, top, 8 + w, top + 2}, clYellow), 0);
    EXPECT_EQ(At(box, 8 + w + 4, top), ColorToRGB(clBtnShadow));
    EXPECT_EQ(At(box, 4, top), ColorToRGB(clBtnShadow));
    // Inside the frame: the box's colour.
    EXPECT_EQ(At(box, 100, 50), clYellow);
}

}  // namespace
}  // namespace menvaro

#include <gtest/gtest.h>

#include "gfx/Bitmap.h"
#include "testsupport/UiTest.h"
#include "ui/ExtCtrls.h"
#include "ui/FrameControl.h"

namespace menvaro {
namespace {

// --------------------------------------------------------- frame controls

// The pixels of `colour` in `r` of `b`, and the box they fill.
struct Ink {
    int count = 0;
    TRect box;
};
Ink InkOf(const TBitmap& b, TRect r, TColor colour) {
    Ink ink;
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x)
            if (b.Pixel(x, y) == ColorToRGB(colour)) {
                ++ink.count;
                UnionRect(ink.box, ink.box, Bounds(x, y, 1, 1));
            }
    return ink;
}

TBitmap Face(unsigned type, unsigned state, TRect* adjusted = nullptr) {
    TBitmap b(16, 16);
    b.Canvas().Brush().SetColor(clWhite);
    b.Canvas().FillRect(Bounds(0, 0, 16, 16));
    TRect r = Bounds(0, 0, 16, 16);
    EXPECT_TRUE(DrawFrameControl(b.Canvas(), r, type, state));
    if (adjusted) *adjusted = r;
    return b;
}

TEST(FrameControl, AScrollArrowIsATrianglePointingItsWayOnARaisedFace) {
    const TRect inner = Bounds(2, 2, 12, 12);
    TBitmap down = Face(DFC_SCROLL, DFCS_SCROLLDOWN);
    EXPECT_EQ(down.Pixel(0, 0), ColorToRGB(cl3DLight));
    EXPECT_EQ(down.Pixel(15, 15), ColorToRGB(cl3DDkShadow));
    EXPECT_EQ(down.Pixel(1, 1), ColorToRGB(clBtnHighlight));
    Ink arrow = InkOf(down, inner, clBtnText);
    ASSERT_EQ(arrow.box.Width(), 7);
    ASSERT_EQ(arrow.box.Height(), 4);
    EXPECT_EQ(arrow.count, 7 + 5 + 3 + 1);
    // Its widest row at the top; the up arrow's at the bottom.
    EXPECT_EQ(down.Pixel(arrow.box.Left, arrow.box.Top), ColorToRGB(clBtnText));
    TBitmap up = Face(DFC_SCROLL, DFCS_SCROLLUP);
    Ink upArrow = InkOf(up, inner, clBtnText);
    EXPECT_EQ(up.Pixel(upArrow.box.Left, upArrow.box.Bottom - 1), ColorToRGB(clBtnText));
    EXPECT_EQ(InkOf(Face(DFC_SCROLL, DFCS_SCROLLCOMBOBOX), inner, clBtnText).box, arrow.box);
    TBitmap right = Face(DFC_SCROLL, DFCS_SCROLLRIGHT);
    EXPECT_EQ(InkOf(right, inner, clBtnText).box.Width(), 4);
}

TEST(FrameControl, PressedSinksFlatIsAFrameAndInactiveIsGrey) {
    const TRect inner = Bounds(2, 2, 12, 12);
    TRect normal = InkOf(Face(DFC_SCROLL, DFCS_SCROLLDOWN), inner, clBtnText).box;
    TBitmap pressed = Face(DFC_SCROLL, DFCS_SCROLLDOWN | DFCS_PUSHED);
    EXPECT_EQ(pressed.Pixel(0, 0), ColorToRGB(clBtnShadow));
    EXPECT_EQ(pressed.Pixel(15, 15), ColorToRGB(clBtnShadow));
    EXPECT_EQ(InkOf(pressed, inner, clBtnText).box, OffsetRect(normal, 1, 1));
    TRect in;
    TBitmap flat = Face(DFC_SCROLL, DFCS_SCROLLUP | DFCS_FLAT | DFCS_ADJUSTRECT, &in);
    EXPECT_EQ(flat.Pixel(0, 0), ColorToRGB(clBtnShadow));
    EXPECT_EQ(flat.Pixel(1, 1), ColorToRGB(clBtnFace));
    EXPECT_EQ(in, Bounds(1, 1, 14, 14));
    TBitmap off = Face(DFC_SCROLL, DFCS_SCROLLDOWN | DFCS_INACTIVE);
    EXPECT_EQ(InkOf(off, inner, clBtnText).count, 0);
    EXPECT_EQ(InkOf(off, inner, clBtnShadow).box, normal);
    EXPECT_GT(InkOf(off, inner, clBtnHighlight).count, 0);
}

TEST(FrameControl, APushButtonFaceAndWhatIsNotDrawnHere) {
    TRect in;
    TBitmap up = Face(DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_ADJUSTRECT, &in);
    EXPECT_EQ(in, Bounds(2, 2, 12, 12));
    EXPECT_EQ(up.Pixel(8, 8), ColorToRGB(clBtnFace));
    EXPECT_EQ(up.Pixel(15, 15), ColorToRGB(cl3DDkShadow));
    TBitmap down = Face(DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_PUSHED);
    EXPECT_EQ(down.Pixel(0, 0), ColorToRGB(clBtnShadow));
    EXPECT_EQ(down.Pixel(15, 15), ColorToRGB(clBtnHighlight));
    TBitmap b(16, 16);
    TRect r = Bounds(0, 0, 16, 16);
    EXPECT_FALSE(DrawFrameControl(b.Canvas(), r, DFC_CAPTION, 0));
    EXPECT_FALSE(DrawFrameControl(b.Canvas(), r, DFC_BUTTON, 0));  // a check box
}

// ------------------------------------------------------------------ shape

class ShapeTest : public ControlTest {};

TEST_F(ShapeTest, SquareKindsTakeTheSmallerSideInTheMiddle) {
    struct Case {
        TShapeType shape;
        TPoint inside, outside, edge;
    };
    for (Case c : {Case{stRectangle, {3, 10}, {-1, 10}, {0, 10}}, Case{stSquare, {12, 10}, {8, 10}, {10, 10}},
                   Case{stCircle, {20, 10}, {11, 1}, {10, 10}}, Case{stEllipse, {20, 10}, {1, 1}, {0, 10}},
                   Case{stRoundSquare, {20, 10}, {10, 0}, {10, 10}}}) {
        auto* s = Put<TShape>(20, 20, 40, 20);
        s->SetShape(c.shape);
        s->Brush()->SetColor(clRed);
        s->Pen()->SetColor(clBlue);
        EXPECT_EQ(Rgb(At(s, c.inside.X, c.inside.Y)), clRed) << c.shape;
        EXPECT_EQ(Rgb(At(s, c.outside.X, c.outside.Y)), Rgb(clBtnFace)) << c.shape;
        EXPECT_EQ(Rgb(At(s, c.edge.X, c.edge.Y)), clBlue) << c.shape;
        s->Free();
    }
}

TEST_F(ShapeTest, AWidePenStaysInsideAndChangesRepaint) {
    auto* s = Put<TShape>(20, 20, 40, 30);
    s->Pen()->SetWidth(4);
    s->Pen()->SetColor(clGreen);
    EXPECT_EQ(Rgb(At(s, 1, 15)), clGreen);
    EXPECT_EQ(Rgb(At(s, 39, 15)), clGreen);
    EXPECT_EQ(Rgb(At(s, 39, 29)), clGreen);
    EXPECT_EQ(Rgb(At(s, 20, 0)), Rgb(clBtnFace));  // not past the bounds
    EXPECT_EQ(Rgb(At(s, 6, 15)), clWhite);
    s->Brush()->SetStyle(bsClear);
    EXPECT_EQ(Rgb(At(s, 20, 15)), Rgb(clBtnFace));
    auto* f = FormFromText(R"(object F: TForm
  object shp: TShape
    Brush.Color = clYellow
    Pen.Width = 2
    Shape = stCircle
  end
end)",
                           "shape.form");
    auto* read = Part<TShape>(f, "shp");
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->Shape(), stCircle);
    EXPECT_EQ(read->Pen()->Width(), 2);
    EXPECT_EQ(read->Brush()->Color(), clYellow);
    EXPECT_EQ(read->Width(), 65);
}

}  // namespace
}  // namespace menvaro

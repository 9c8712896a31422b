#include <gtest/gtest.h>

#include "gfx/Bitmap.h"
#include "gfx/Canvas.h"
#include "testsupport/Pixels.h"

using namespace menvaro;
using test::PixelsOf;

namespace {

// A white 64x48 bitmap whose canvas has a red pen and brush.
struct Board {
    TBitmap bmp{64, 48};
    TCanvas& c = bmp.Canvas();
    Board() {
        c.Pen().SetColor(clRed);
        c.Brush().SetColor(clRed);
    }
    TRegion Painted() const { return PixelsOf(bmp, clWhite); }
};

struct Box {
    int l, t, r, b;
};
const Box kBoxes[] = {{2, 3, 30, 20}, {0, 0, 1, 1},  {5, 5, 6, 9},    {4, 4, 9, 9},     {10, 7, 41, 40},
                      {3, 1, 4, 20},  {1, 2, 60, 5}, {20, 10, 12, 2}, {-5, -6, 20, 15}, {30, 20, 70, 60}};

}  // namespace

TEST(Primitives, FillRectIsHalfOpen) {
    Board b;
    b.c.FillRect(Rect(3, 4, 10, 8));
    EXPECT_EQ(b.Painted(), CreateRectRgn(3, 4, 10, 8));
    Board inv;
    inv.c.FillRect(Rect(10, 8, 3, 4));  // inverted: nothing
    EXPECT_TRUE(inv.Painted().IsEmpty());
}

TEST(Primitives, FrameRectIsTheInnerBorder) {
    Board b;
    b.c.FrameRect(Rect(3, 4, 10, 8));
    TRegion expect = CreateRectRgn(3, 4, 10, 8);
    expect.Subtract(CreateRectRgn(4, 5, 9, 7));
    EXPECT_EQ(b.Painted(), expect);
}

// Filled shapes with a 1-pixel pen cover exactly their region twins.
TEST(Primitives, ShapesMatchTheirRegionTwins) {
    for (const Box& x : kBoxes) {
        Board r, e, rr, sq;
        r.c.Rectangle(x.l, x.t, x.r, x.b);
        EXPECT_EQ(r.Painted(), TRegion(CreateRectRgn(x.l, x.t, x.r, x.b)).Intersect(Rect(0, 0, 64, 48)))
            << x.l << "," << x.t << "," << x.r << "," << x.b;
        e.c.Ellipse(x.l, x.t, x.r, x.b);
        EXPECT_EQ(e.Painted(), TRegion(CreateEllipticRgn(x.l, x.t, x.r, x.b)).Intersect(Rect(0, 0, 64, 48)))
            << x.l << "," << x.t << "," << x.r << "," << x.b;
        rr.c.RoundRect(x.l, x.t, x.r, x.b, 9, 7);
        EXPECT_EQ(rr.Painted(), TRegion(CreateRoundRectRgn(x.l, x.t, x.r, x.b, 9, 7)).Intersect(Rect(0, 0, 64, 48)))
            << x.l << "," << x.t << "," << x.r << "," << x.b;
    }
}

TEST(Primitives, OutlineAndInteriorSplit) {
    Board b;
    b.c.Brush().SetColor(clBlue);
    b.c.Pen().SetWidth(3);
    b.c.Ellipse(5, 5, 45, 35);
    // Pen width 3 is centred: the outline starts one pixel outside the box.
    const TRegion outer = CreateEllipticRgn(4, 4, 46, 36);
    const TRegion inner = CreateEllipticRgn(7, 7, 43, 33);
    EXPECT_EQ(PixelsOf(b.bmp, 0, true, clBlue), inner);
    TRegion ring = outer;
    ring.Subtract(inner);
    EXPECT_EQ(PixelsOf(b.bmp, 0, true, clRed), ring);
}

TEST(Primitives, ClearPenFillsOnePixelLess) {
    for (const Box& x : {kBoxes[0], kBoxes[4]}) {
        Board r, e;
        r.c.Pen().SetStyle(psClear);
        e.c.Pen().SetStyle(psClear);
        r.c.Rectangle(x.l, x.t, x.r, x.b);
        e.c.RoundRect(x.l, x.t, x.r, x.b, 6, 6);
        EXPECT_EQ(r.Painted(), CreateRectRgn(x.l, x.t, x.r - 1, x.b - 1));
        EXPECT_EQ(e.Painted(), CreateRoundRectRgn(x.l, x.t, x.r - 1, x.b - 1, 6, 6));
    }
    // A box of no width or height leaves nothing to fill, in either order.
    for (const Box& x : {Box{5, 5, 5, 10}, Box{5, 5, 12, 5}, Box{9, 3, 9, 3}}) {
        Board r, e, rr;
        for (Board* b : {&r, &e, &rr}) b->c.Pen().SetStyle(psClear);
        r.c.Rectangle(x.l, x.t, x.r, x.b);
        e.c.Ellipse(x.l, x.t, x.r, x.b);
        rr.c.RoundRect(x.l, x.t, x.r, x.b, 4, 4);
        EXPECT_TRUE(r.Painted().IsEmpty()) << x.l << "," << x.t << "," << x.r << "," << x.b;
        EXPECT_TRUE(e.Painted().IsEmpty()) << x.l << "," << x.t << "," << x.r << "," << x.b;
        EXPECT_TRUE(rr.Painted().IsEmpty()) << x.l << "," << x.t << "," << x.r << "," << x.b;
    }
    Board clearBoth;
    clearBoth.c.Pen().SetStyle(psClear);
    clearBoth.c.Brush().SetStyle(bsClear);
    clearBoth.c.Ellipse(0, 0, 30, 30);
    EXPECT_TRUE(clearBoth.Painted().IsEmpty());
}

TEST(Primitives, PolygonFillMatchesItsRegionBothModes) {
    const std::vector<TPoint> star = {{32, 1}, {50, 46}, {3, 16}, {61, 16}, {14, 46}};
    const std::vector<TPoint> tri = {{5, 40}, {30, 2}, {58, 44}};
    for (int mode : {ALTERNATE, WINDING})
        for (const auto* pts : {&star, &tri}) {
            Board b;
            b.c.Pen().SetStyle(psClear);
            b.c.SetPolyFillMode(mode);
            b.c.Polygon(*pts);
            EXPECT_EQ(b.Painted(), CreatePolygonRgn(pts->data(), int(pts->size()), mode)) << mode;
            // With a pen, the outline adds to the fill.
            Board p;
            p.c.SetPolyFillMode(mode);
            p.c.Polygon(*pts);
            TRegion extra = CreatePolygonRgn(pts->data(), int(pts->size()), mode);
            extra.Subtract(p.Painted());
            EXPECT_TRUE(extra.IsEmpty());
            for (const TPoint& v : *pts) EXPECT_EQ(p.bmp.Pixel(v.X, v.Y), clRed);
        }
}

TEST(Primitives, LineToOmitsTheLastPixel) {
    struct Case {
        TPoint a, b;
        int count;
    } cases[] = {{{2, 2}, {12, 2}, 10},  {{12, 2}, {2, 2}, 10},  {{5, 1}, {5, 30}, 29},
                 {{0, 0}, {20, 20}, 20}, {{3, 4}, {40, 13}, 37}, {{7, 7}, {7, 7}, 0}};
    for (const Case& k : cases) {
        Board b;
        b.c.MoveTo(k.a.X, k.a.Y);
        b.c.LineTo(k.b.X, k.b.Y);
        EXPECT_EQ(test::CountPixels(b.bmp, clRed), k.count);
        if (k.count) {
            EXPECT_EQ(b.bmp.Pixel(k.a.X, k.a.Y), clRed);
        }
        EXPECT_EQ(b.bmp.Pixel(k.b.X, k.b.Y), clWhite);
        EXPECT_EQ(b.c.PenPos(), k.b);
    }
    // A polyline closes without gaps and touches each pixel once (XOR shows doubles).
    Board x;
    x.c.Pen().SetMode(pmXor);
    x.c.Pen().SetColor(clWhite);
    x.c.Polyline({{2, 2}, {20, 2}, {20, 15}, {2, 15}, {2, 2}});
    TRegion frame = CreateRectRgn(2, 2, 21, 16);
    frame.Subtract(CreateRectRgn(3, 3, 20, 15));
    EXPECT_EQ(PixelsOf(x.bmp, clWhite), frame);
}

TEST(Primitives, DashedPensAndBackgroundMode) {
    Board b;
    b.c.Pen().SetStyle(psDot);
    b.c.SetBkMode(TRANSPARENT);
    b.c.MoveTo(0, 0);
    b.c.LineTo(12, 0);
    EXPECT_EQ(test::Row(b.bmp, 0, 0, 12, clRed), "###...###...");
    Board o;
    o.c.Pen().SetStyle(psDash);
    o.c.SetBkMode(OPAQUE);
    o.c.SetBkColor(clBlue);
    o.c.MoveTo(0, 0);
    o.c.LineTo(30, 0);
    EXPECT_EQ(o.bmp.Pixel(17, 0), clRed);
    EXPECT_EQ(o.bmp.Pixel(18, 0), clBlue);
    EXPECT_EQ(o.bmp.Pixel(24, 0), clRed);
}

TEST(Primitives, XorPenModeUndoesItself) {
    Board b;
    b.c.Brush().SetColor(clGreen);
    b.c.FillRect(Rect(0, 0, 30, 30));
    const TBitmap before = b.bmp;
    b.c.Pen().SetMode(pmXor);
    b.c.Pen().SetColor(clWhite);
    b.c.Brush().SetStyle(bsClear);
    for (int i = 0; i < 2; ++i) {
        b.c.Ellipse(2, 2, 40, 30);
        b.c.MoveTo(0, 40);
        b.c.LineTo(60, 5);
    }
    EXPECT_EQ(PixelsOf(b.bmp, clWhite), PixelsOf(before, clWhite));
    EXPECT_EQ(b.bmp.Pixel(10, 10), clGreen);
}

TEST(Primitives, OriginAndClipCompose) {
    Board b;
    b.c.SaveState();
    b.c.MoveOrigin(10, 10);
    b.c.IntersectClipRect(Rect(0, 0, 5, 5));
    b.c.FillRect(Rect(-100, -100, 100, 100));
    EXPECT_EQ(b.Painted(), CreateRectRgn(10, 10, 15, 15));
    EXPECT_EQ(b.c.ClipRect(), Rect(0, 0, 5, 5));
    EXPECT_EQ(b.c.Pixel(5, 5), CLR_INVALID);
    EXPECT_EQ(b.c.Pixel(4, 4), clRed);
    // A nested child: origin moves again, clip narrows again.
    b.c.SaveState();
    b.c.MoveOrigin(2, 0);
    b.c.IntersectClipRect(Rect(0, 0, 100, 1));
    b.c.Brush().SetColor(clBlue);
    b.c.FillRect(Rect(0, 0, 100, 100));
    EXPECT_EQ(PixelsOf(b.bmp, 0, true, clBlue), CreateRectRgn(12, 10, 15, 11));
    ASSERT_TRUE(b.c.RestoreState());
    EXPECT_EQ(b.c.Brush().Color(), clRed);
    EXPECT_EQ(b.c.Origin(), Point(10, 10));
    ASSERT_TRUE(b.c.RestoreState());
    EXPECT_FALSE(b.c.RestoreState());
    EXPECT_EQ(b.c.Origin(), Point(0, 0));
    EXPECT_FALSE(b.c.HasClipRegion());
    // Excluding and region clips.
    Board x;
    x.c.SetClipRegion(CreateEllipticRgn(0, 0, 20, 20));
    x.c.ExcludeClipRect(Rect(0, 0, 10, 20));
    x.c.FillRect(Rect(0, 0, 64, 48));
    TRegion expect = CreateEllipticRgn(0, 0, 20, 20);
    expect.Subtract(CreateRectRgn(0, 0, 10, 20));
    EXPECT_EQ(x.Painted(), expect);
}

TEST(Primitives, SurfaceViewTargetsAForeignBuffer) {
    std::vector<std::uint32_t> px(20 * 10, 0x00FFFFFF);
    TSurfaceView v{px.data(), 16, 10, 20 * 4};  // stride wider than the row
    TCanvas c(v);
    c.Brush().SetColor(clRed);
    c.FillRect(Rect(-3, -3, 100, 100));
    EXPECT_EQ(px[0], 0xFF0000u);
    EXPECT_EQ(px[15], 0xFF0000u);
    EXPECT_EQ(px[16], 0xFFFFFFu);  // padding untouched
    EXPECT_EQ(px[9 * 20 + 15], 0xFF0000u);
}

TEST(Primitives, DrawEdgeColours) {
    struct Case {
        unsigned edge;
        TColor outerTL, outerBR, innerTL, innerBR;
    } cases[] = {
        {EDGE_RAISED, cl3DLight, cl3DDkShadow, clBtnHighlight, clBtnShadow},
        {EDGE_SUNKEN, clBtnShadow, clBtnHighlight, cl3DDkShadow, cl3DLight},
        {EDGE_ETCHED, clBtnShadow, clBtnHighlight, clBtnHighlight, clBtnShadow},
        {EDGE_BUMP, cl3DLight, cl3DDkShadow, cl3DDkShadow, cl3DLight},
    };
    for (const Case& k : cases) {
        TBitmap bmp(10, 10);
        bmp.Fill(clRed);
        TRect r = Rect(0, 0, 10, 10);
        bmp.Canvas().DrawEdge(r, k.edge, BF_RECT | BF_ADJUST);
        EXPECT_EQ(r, Rect(2, 2, 8, 8));
        EXPECT_EQ(bmp.Pixel(0, 0), ColorToRGB(k.outerTL));
        EXPECT_EQ(bmp.Pixel(8, 0), ColorToRGB(k.outerTL));
        EXPECT_EQ(bmp.Pixel(9, 0), ColorToRGB(k.outerBR));  // top-right corner: bottom-right colour
        EXPECT_EQ(bmp.Pixel(0, 9), ColorToRGB(k.outerBR));
        EXPECT_EQ(bmp.Pixel(1, 1), ColorToRGB(k.innerTL));
        EXPECT_EQ(bmp.Pixel(8, 1), ColorToRGB(k.innerBR));
        EXPECT_EQ(bmp.Pixel(5, 5), clRed);  // no BF_MIDDLE
    }
    TBitmap mid(10, 10);
    TRect r = Rect(0, 0, 10, 10);
    mid.Canvas().DrawEdge(r, BDR_RAISEDINNER, BF_RECT | BF_MIDDLE);
    EXPECT_EQ(r, Rect(0, 0, 10, 10));
    EXPECT_EQ(mid.Pixel(0, 0), clWhite);
    EXPECT_EQ(mid.Pixel(9, 9), ColorToRGB(clBtnShadow));
    EXPECT_EQ(mid.Pixel(5, 5), ColorToRGB(clBtnFace));
    // Only some sides.
    TBitmap side(10, 10);
    side.Fill(clRed);
    r = Rect(0, 0, 10, 10);
    side.Canvas().DrawEdge(r, BDR_SUNKENOUTER, BF_BOTTOM | BF_ADJUST);
    EXPECT_EQ(r, Rect(0, 0, 10, 9));
    EXPECT_EQ(side.Pixel(0, 9), clWhite);
    EXPECT_EQ(side.Pixel(0, 0), clRed);
}

TEST(Primitives, Frame3DAndFocusRect) {
    TBitmap bmp(10, 8);
    bmp.Fill(clGreen);
    TRect r = Rect(0, 0, 10, 8);
    bmp.Canvas().Frame3D(r, clWhite, clBlack, 1);
    EXPECT_EQ(r, Rect(1, 1, 9, 7));
    EXPECT_EQ(bmp.Pixel(0, 0), clWhite);
    EXPECT_EQ(bmp.Pixel(8, 0), clWhite);
    EXPECT_EQ(bmp.Pixel(9, 0), clBlack);
    EXPECT_EQ(bmp.Pixel(0, 7), clBlack);
    EXPECT_EQ(bmp.Pixel(0, 6), clWhite);
    EXPECT_EQ(bmp.Pixel(1, 1), clGreen);

    TBitmap f(12, 9);
    f.Fill(clBlue);
    const TBitmap before = f;
    f.Canvas().DrawFocusRect(Rect(1, 1, 11, 8));
    EXPECT_EQ(f.Pixel(1, 1), clYellow);  // blue inverted
    EXPECT_EQ(f.Pixel(2, 1), clBlue);
    EXPECT_EQ(f.Pixel(1, 3), clYellow);
    EXPECT_EQ(f.Pixel(5, 5), clBlue);
    f.Canvas().DrawFocusRect(Rect(1, 1, 11, 8));
    EXPECT_EQ(PixelsOf(f, clBlue), PixelsOf(before, clBlue));
}

TEST(Primitives, PatternAndHatchBrushes) {
    // The dither of two colours: 1 bits take the background colour.
    TBitmap bmp(8, 4);
    TCanvas& c = bmp.Canvas();
    c.Brush().SetMonoPattern({0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55});
    c.SetTextColor(clBlue);
    c.SetBkColor(clRed);
    c.FillRect(Rect(0, 0, 8, 4));
    EXPECT_EQ(bmp.Pixel(0, 0), clRed);
    EXPECT_EQ(bmp.Pixel(1, 0), clBlue);
    EXPECT_EQ(bmp.Pixel(0, 1), clBlue);
    EXPECT_EQ(test::CountPixels(bmp, clRed), 16);
    // A brush change after SetBkColor takes the background colour back.
    TBitmap h(8, 8);
    TCanvas& hc = h.Canvas();
    hc.Brush().SetColor(clRed);
    hc.Brush().SetStyle(bsHorizontal);  // clear background: the gaps stay
    hc.FillRect(Rect(0, 0, 8, 8));
    EXPECT_EQ(test::CountPixels(h, clRed), 8);
    hc.SetBkMode(OPAQUE);
    hc.SetBkColor(clLime);
    hc.FillRect(Rect(0, 0, 8, 8));
    EXPECT_EQ(test::CountPixels(h, clLime), 56);
}

TEST(Primitives, FillRgnAndFrameRgn) {
    Board b;
    const TRegion rgn = CreateEllipticRgn(3, 3, 30, 25);
    b.c.FillRgn(rgn);
    EXPECT_EQ(b.Painted(), rgn);
    Board f;
    TBrush blue;
    blue.SetColor(clBlue);
    f.c.MoveOrigin(5, 0);
    f.c.FrameRgn(CreateRectRgn(0, 0, 10, 10), blue, 2, 1);
    TRegion ring = CreateRectRgn(5, 0, 15, 10);
    ring.Subtract(CreateRectRgn(7, 1, 13, 9));
    EXPECT_EQ(f.Painted(), ring);
}

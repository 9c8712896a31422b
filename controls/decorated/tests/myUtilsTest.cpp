// Wallpapers, see-through painting, shadowed text and the glyph machine.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "decorated/UGlassPanel.h"
#include "decorated/myUtils.h"
#include "gfx/RasterOp.h"
#include "testsupport/Pixels.h"
#include "testsupport/UiTest.h"
#include "ui/ExtCtrls.h"

namespace menvaro {
namespace {

using myUtils::SharedGlyphCache;
using myUtils::TGlyph;
using myUtils::TGlyphList;

// Every pixel of its own colour.
TBitmap Wallpaper(int w, int h) {
    TBitmap b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) b.SetPixel(x, y, RGB(10 + 20 * x, 10 + 20 * y, 99));
    return b;
}

// The first pixel (x, y) where `check` says no, as text; empty when none.
template <class F>
std::string FirstWrong(int w, int h, F check) {
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (!check(x, y)) return "(" + std::to_string(x) + ", " + std::to_string(y) + ")";
    return {};
}

TEST(Wallpaper, TiledFromTheRectsCornerCutAtItsEdgesAndNothingOutside) {
    TBitmap wallpaper = Wallpaper(10, 10);
    TBitmap target(40, 30);
    target.Fill(clFuchsia);
    const TRect r{3, 5, 28, 17};  // 25 x 12: tiles at x 3, 13, 23 and y 5, 15
    BlitWallpaper(&target.Canvas(), wallpaper, r, SRCCOPY, false);
    EXPECT_EQ(FirstWrong(40, 30,
                         [&](int x, int y) {
                             if (!r.Contains({x, y})) return target.Pixel(x, y) == clFuchsia;
                             return target.Pixel(x, y) == wallpaper.Pixel((x - r.Left) % 10, (y - r.Top) % 10);
                         }),
              "");
    // Through a clip only what it lets through, still lined up with the rect.
    TBitmap clipped(40, 30);
    clipped.Fill(clFuchsia);
    clipped.Canvas().SetClipRect({15, 0, 40, 9});
    BlitWallpaper(&clipped.Canvas(), wallpaper, r, SRCCOPY, false);
    EXPECT_EQ(FirstWrong(40, 30,
                         [&](int x, int y) {
                             if (!r.Contains({x, y}) || x < 15 || y >= 9) return clipped.Pixel(x, y) == clFuchsia;
                             return clipped.Pixel(x, y) == wallpaper.Pixel((x - r.Left) % 10, (y - r.Top) % 10);
                         }),
              "");
    // A huge rect draws what shows of it, from its own corner.
    TBitmap huge(16, 16);
    BlitWallpaper(&huge.Canvas(), wallpaper, {-1000003, -7, 2000000000, 2000000000}, SRCCOPY, false);
    EXPECT_EQ(huge.Pixel(0, 0), wallpaper.Pixel(3, 7));
    EXPECT_EQ(huge.Pixel(15, 15), wallpaper.Pixel(8, 2));
    // An empty wallpaper or rect paints nothing.
    TBitmap none;
    BlitWallpaper(&target.Canvas(), none, {0, 0, 40, 30}, SRCCOPY, false);
    BlitWallpaper(&target.Canvas(), wallpaper, {20, 20, 20, 30}, SRCCOPY, false);
    EXPECT_EQ(target.Pixel(0, 0), clFuchsia);
    EXPECT_EQ(target.Pixel(20, 12), wallpaper.Pixel(7, 7)) << "still the earlier tiling";
}

TEST(Wallpaper, StretchedOverTheRectAndTheRasterOperationApplies) {
    TBitmap wallpaper = Wallpaper(10, 10);
    TBitmap target(40, 40);
    target.Fill(clFuchsia);
    const TRect r{5, 2, 35, 22};  // 30 x 20: 3 and 2 times the wallpaper
    BlitWallpaper(&target.Canvas(), wallpaper, r, SRCCOPY, true);
    EXPECT_EQ(FirstWrong(40, 40,
                         [&](int x, int y) {
                             if (!r.Contains({x, y})) return target.Pixel(x, y) == clFuchsia;
                             return target.Pixel(x, y) == wallpaper.Pixel((x - r.Left) / 3, (y - r.Top) / 2);
                         }),
              "");
    TBitmap inverted(10, 10);
    inverted.Fill(clBlack);
    BlitWallpaper(&inverted.Canvas(), wallpaper, {0, 0, 10, 10}, NOTSRCCOPY, false);
    EXPECT_EQ(inverted.Pixel(2, 3), ColorToRGB(wallpaper.Pixel(2, 3)) ^ 0xFFFFFF);
}

TEST(Wallpaper, TheStepLeavesTheBackgroundForAnIdOrWhenThereIsNoPicture) {
    TBitmap wallpaper = Wallpaper(4, 4), empty;
    TBitmap target(8, 8);
    target.Fill(clFuchsia);
    EXPECT_TRUE(PaintWallpaper(&target.Canvas(), &wallpaper, 0, {0, 0, 8, 8}, SRCCOPY, false));
    EXPECT_EQ(target.Pixel(1, 1), clFuchsia) << "an id: nothing painted";
    EXPECT_FALSE(PaintWallpaper(&target.Canvas(), &empty, -1, {0, 0, 8, 8}, SRCCOPY, false));
    EXPECT_FALSE(PaintWallpaper(&target.Canvas(), nullptr, -1, {0, 0, 8, 8}, SRCCOPY, false));
    EXPECT_EQ(target.Pixel(1, 1), clFuchsia);
    EXPECT_TRUE(PaintWallpaper(&target.Canvas(), &wallpaper, -1, {0, 0, 8, 8}, SRCCOPY, false));
    EXPECT_EQ(target.Pixel(5, 6), wallpaper.Pixel(1, 2));
}

// ---- see-through painting

class SeeThrough : public ControlTest {
protected:
    // A panel with a tiled wallpaper and no bevel.
    TUGlassPanel* Papered(int l, int t, int w, int h, TWinControl* parent = nullptr) {
        auto* p = Put<TUGlassPanel>(l, t, w, h, parent);
        p->SetBevelOuter(bvNone);
        TBitmap paper = Wallpaper(10, 10);
        p->SetWallpaper(&paper);
        return p;
    }
    TUGlassPanel* SeeThroughPanel(int l, int t, int w, int h, TWinControl* parent, std::uint8_t level) {
        auto* p = Put<TUGlassPanel>(l, t, w, h, parent);
        p->SetBevelOuter(bvNone);
        p->SetTransparent(true);
        p->SetTransparencyLevel(level);
        return p;
    }
    // Whether every pixel of `c` shows the wallpaper of `papered` where it lies over it.
    std::string Misaligned(TControl* c, TControl* papered) {
        const TBitmap paper = Wallpaper(10, 10);
        Pump();
        const TPoint at = papered->ScreenToClient(c->ClientOrigin());
        return FirstWrong(c->Width(), c->Height(), [&](int x, int y) {
            return SurfacePixel(c, x, y) == paper.Pixel((at.X + x) % 10, (at.Y + y) % 10);
        });
    }
};

TEST_F(SeeThrough, AncestorLevelsStopAtTheTop) {
    auto* a = Put<TPanel>(0, 0, 100, 100);
    auto* b = Put<TPanel>(0, 0, 50, 50, a);
    EXPECT_EQ(TransparencyAncestor(b, 0), b);
    EXPECT_EQ(TransparencyAncestor(b, 1), a);
    EXPECT_EQ(TransparencyAncestor(b, 2), form);
    EXPECT_EQ(TransparencyAncestor(b, 25), form);
    EXPECT_EQ(TransparencyAncestor(nullptr, 3), nullptr);
}

TEST_F(SeeThrough, LevelZeroShowsTheParentsBackgroundUnderTheControl) {
    auto* paper = Papered(10, 10, 300, 200);
    auto* glass = SeeThroughPanel(23, 17, 90, 60, paper, 0);
    EXPECT_EQ(Misaligned(glass, paper), "");
}

TEST_F(SeeThrough, ThreeDeepTheAncestorsBackgroundLinesUpWithTheControl) {
    auto* a = Papered(10, 10, 360, 250);
    // A windowless child of A, hidden under B, shows through too.
    auto* shape = Create<TShape>(form);
    shape->SetParent(a);
    shape->SetBounds(60, 50, 20, 20);
    shape->Brush()->SetColor(clLime);
    shape->Pen()->SetStyle(psClear);
    auto* b = Put<TPanel>(13, 7, 320, 220, a);
    auto* c = Put<TPanel>(21, 19, 260, 170, b);
    auto* d = SeeThroughPanel(9, 11, 200, 120, c, 2);  // D -> C -> B: B's parent A shows
    ASSERT_EQ(TransparencyAncestor(d, 2), b);
    const TPoint shapeInD = d->ScreenToClient(shape->ClientOrigin());
    EXPECT_EQ(shapeInD, (TPoint{60 - 13 - 21 - 9, 50 - 7 - 19 - 11}));
    Pump();
    EXPECT_EQ(SurfacePixel(d, shapeInD.X + 5, shapeInD.Y + 5), clLime);
    EXPECT_EQ(SurfacePixel(d, shapeInD.X + 18, shapeInD.Y + 18), clLime);
    // Everywhere else A's wallpaper, lined up with A.
    const TBitmap paper = Wallpaper(10, 10);
    const TPoint at = a->ScreenToClient(d->ClientOrigin());
    EXPECT_EQ(FirstWrong(d->Width(), d->Height(),
                         [&](int x, int y) {
                             if (TRect{shapeInD.X, shapeInD.Y, shapeInD.X + 20, shapeInD.Y + 20}.Contains({x, y}))
                                 return true;
                             return SurfacePixel(d, x, y) == paper.Pixel((at.X + x) % 10, (at.Y + y) % 10);
                         }),
              "");
    // C and B themselves show their own colour around it.
    EXPECT_EQ(SurfacePixel(c, 3, 3), ColorToRGB(clBtnFace));
}

TEST_F(SeeThrough, AtTheFormItPaintsTheFormsOwnBackground) {
    form->SetColor(clTeal);
    auto* red = Put<TPanel>(20, 20, 200, 150);
    red->SetColor(clRed);
    red->SetBevelOuter(bvNone);
    auto* glass = SeeThroughPanel(30, 20, 100, 80, red, 25);  // glass -> red -> form, which has no parent
    EXPECT_EQ(TransparencyAncestor(glass, 25), form);
    Pump();
    EXPECT_EQ(CountPixels(glass, {0, 0, 100, 80}, clTeal), 100 * 80);
    EXPECT_EQ(SurfacePixel(red, 5, 5), clRed);
}

TEST_F(SeeThrough, ClippedPaintingKeepsToItsRectAndTheContextsState) {
    auto* paper = Papered(0, 0, 200, 100);
    TBitmap target(60, 40);
    target.Fill(clFuchsia);
    TCanvas& c = target.Canvas();
    c.SetTextColor(clRed);
    c.Brush().SetColor(clYellow);
    const TPoint origin = c.Origin();
    // As if the context belonged to a control at (30, 20) in the panel.
    auto* spot = Put<TPanel>(30, 20, 60, 40, paper);
    PaintParentBackgroundClipped(spot, &c, {10, 5, 30, 25}, true);
    const TBitmap wall = Wallpaper(10, 10);
    EXPECT_EQ(FirstWrong(60, 40,
                         [&](int x, int y) {
                             if (!TRect{10, 5, 30, 25}.Contains({x, y})) return target.Pixel(x, y) == clFuchsia;
                             return target.Pixel(x, y) == wall.Pixel((30 + x) % 10, (20 + y) % 10);
                         }),
              "");
    EXPECT_EQ(c.TextColor(), clRed);
    EXPECT_EQ(c.Brush().Color(), clYellow);
    EXPECT_EQ(c.Origin(), origin);
    EXPECT_FALSE(c.HasClipRegion());
    PaintParentBackground(nullptr, &c, true);  // nothing to paint from
}

// ---- shadowed text

TEST(ShadowText, EachPositionOffsetsTextAndShadowAndTheRectComesBackMoved) {
    struct Case {
        TShadowPosition pos;
        TPoint text, shadow;
    };
    const Case cases[] = {
        {spLeftTop, {2, 2}, {0, 0}},
        {spLeftBottom, {2, 0}, {0, 2}},
        {spRightBottom, {0, 0}, {2, 2}},
        {spRightTop, {0, 2}, {2, 0}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(int(k.pos));
        TBitmap drawn(90, 30), expected(90, 30);
        for (TBitmap* b : {&drawn, &expected}) {
            b->Fill(clWhite);
            b->Canvas().Font().SetName("DejaVu Sans");
            b->Canvas().Font().SetHeight(-16);
            b->Canvas().SetBkMode(TRANSPARENT);
        }
        TRect r{5, 5, 85, 25};
        DrawShadowText(&drawn.Canvas(), r, k.pos, 2, clRed, clBlue, DT_SINGLELINE, "Shade");
        EXPECT_EQ(r, OffsetRect(TRect{5, 5, 85, 25}, k.text.X, k.text.Y));
        TCanvas& e = expected.Canvas();
        TRect s = OffsetRect(TRect{5, 5, 85, 25}, k.shadow.X, k.shadow.Y);
        e.SetTextColor(clRed);
        e.DrawText("Shade", s, DT_SINGLELINE);
        TRect t = OffsetRect(TRect{5, 5, 85, 25}, k.text.X, k.text.Y);
        e.SetTextColor(clBlue);
        e.DrawText("Shade", t, DT_SINGLELINE);
        EXPECT_EQ(FirstWrong(90, 30, [&](int x, int y) { return drawn.Pixel(x, y) == expected.Pixel(x, y); }), "");
        EXPECT_GT(test::CountPixels(drawn, clRed), 10);
        // Measuring moves the measured extent the same way.
        TRect m{5, 5, 85, 25};
        DrawShadowText(&drawn.Canvas(), m, k.pos, 2, clRed, clBlue, DT_SINGLELINE | DT_CALCRECT, "Shade");
        TRect plain{5, 5, 85, 25};
        drawn.Canvas().DrawText("Shade", plain, DT_SINGLELINE | DT_CALCRECT);
        EXPECT_EQ(m, OffsetRect(plain, k.text.X, k.text.Y));
    }
}

TEST(ShadowText, TheShadowTakesTheContextsBackgroundModeTheTextIsTransparent) {
    TBitmap b(90, 30);
    b.Fill(clWhite);
    TCanvas& c = b.Canvas();
    c.Font().SetName("DejaVu Sans");
    c.Font().SetHeight(-16);
    c.SetBkMode(OPAQUE);
    c.SetBkColor(clYellow);
    TRect r{5, 5, 85, 25};
    DrawShadowText(&c, r, spLeftTop, 1, clRed, clBlue, DT_SINGLELINE, "Shade");
    EXPECT_GT(test::CountPixels(b, clYellow), 50) << "the shadow's cell";
    EXPECT_EQ(c.BkMode(), TRANSPARENT);
    // The text, one pixel down and right, is not boxed in yellow: right of
    // the shadow's cell, in the extra column, there is white.
    TRect cell{5, 5, 85, 25};
    c.DrawText("Shade", cell, DT_SINGLELINE | DT_CALCRECT);
    EXPECT_EQ(b.Pixel(cell.Right, 6), clWhite);
}

// ---- the glyph machine

// A strip of `n` images of h x h: image k filled with colours[k], with an
// olive corner pixel at the bottom left of each (the transparent colour).
TBitmap Strip(int n, int h, std::initializer_list<TColor> colours) {
    TBitmap b(n * h, h);
    int k = 0;
    for (TColor c : colours) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < h; ++x) b.SetPixel(k * h + x, y, c);
        b.SetPixel(k * h, h - 1, clOlive);
        ++k;
    }
    return b;
}

class GlyphMachine : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(SharedGlyphCache(), nullptr) << "left over by another test"; }
};

TEST_F(GlyphMachine, NumGlyphsFromTheStripsShape) {
    TOwned<TGlyph> g(Create<TGlyph>());
    int changes = 0;
    g->OnChange = [&](TObject* sender) {
        EXPECT_EQ(sender, g.get());
        ++changes;
    };
    struct Case {
        int w, h, numGlyphs;
    };
    for (const Case& k : {Case{48, 16, 3}, Case{80, 16, 1}, Case{64, 16, 4}, Case{40, 16, 4}, Case{32, 16, 2},
                          Case{16, 16, 1}, Case{40, 16, 1}}) {
        TBitmap b(k.w, k.h);
        g->SetGlyph(&b);
        EXPECT_EQ(g->NumGlyphs(), k.numGlyphs) << k.w << " x " << k.h;
        EXPECT_EQ(g->Strip()->Width(), k.w);
    }
    EXPECT_GE(changes, 7);
    g->SetNumGlyphs(0);
    EXPECT_EQ(g->NumGlyphs(), 1) << "0 is ignored";
    TBitmap keyed(32, 16);
    keyed.SetTransparentColor(clAqua);
    g->SetGlyph(&keyed);
    EXPECT_EQ(g->TransparentColor(), clAqua);
    g->SetGlyph(nullptr);
    EXPECT_TRUE(g->Strip()->Empty());
    EXPECT_EQ(g->ImageFor(true), -1);
}

TEST_F(GlyphMachine, GlyphsOfOneSizeShareAListThatLivesWhileASlotIsUsed) {
    auto* a = Create<TGlyph>();
    auto* b = Create<TGlyph>();
    auto* other = Create<TGlyph>();
    ASSERT_NE(SharedGlyphCache(), nullptr) << "made by the first glyph";
    const TBitmap s1 = Strip(2, 16, {clRed, clBlue}), s2 = Strip(2, 16, {clLime, clYellow});
    const TBitmap s3 = Strip(1, 8, {clRed});
    a->SetGlyph(&s1);
    b->SetGlyph(&s2);
    other->SetGlyph(&s3);
    EXPECT_EQ(a->ImageFor(true), 0);
    EXPECT_EQ(a->ImageFor(true), 0) << "made once";
    EXPECT_EQ(b->ImageFor(true), 1);
    EXPECT_EQ(a->ImageFor(false), 2);
    EXPECT_EQ(other->ImageFor(true), 0);
    TGlyphList* shared = a->List();
    ASSERT_NE(shared, nullptr);
    EXPECT_EQ(b->List(), shared);
    EXPECT_NE(other->List(), shared);
    EXPECT_EQ(shared->Width(), 16);
    EXPECT_EQ(shared->UsedCount(), 3);
    EXPECT_EQ(other->List()->UsedCount(), 1);
    // The images are the strip's first one and, disabled, its second.
    TBitmap image;
    shared->GetBitmap(1, image);
    EXPECT_EQ(image.Pixel(5, 5), clLime);
    // A freed slot is taken again.
    a->SetNumGlyphs(1);  // drops a's images
    EXPECT_EQ(a->List(), nullptr);
    EXPECT_EQ(shared->UsedCount(), 1);
    EXPECT_EQ(b->ImageFor(false), 0);
    EXPECT_EQ(shared->Count(), 3);
    // Freeing both frees the list; the last glyph frees the cache.
    a->Free();
    b->Free();
    EXPECT_FALSE(SharedGlyphCache()->Holds(shared));
    EXPECT_FALSE(SharedGlyphCache()->IsEmpty());
    other->Free();
    EXPECT_EQ(SharedGlyphCache(), nullptr);
}

TEST_F(GlyphMachine, TheDisabledImageOfOneImageIsEmbossedOfTwoIsRecoloured) {
    TOwned<TGlyph> one(Create<TGlyph>()), two(Create<TGlyph>());
    // One image: white stays background, the rest a black square.
    TBitmap single(8, 8);
    single.Fill(clWhite);
    for (int y = 2; y < 5; ++y)
        for (int x = 2; x < 5; ++x) single.SetPixel(x, y, clBlack);
    one->SetGlyph(&single);
    TBitmap image;
    const int disabled = one->ImageFor(false);
    one->List()->GetBitmap(disabled, image);
    EXPECT_EQ(image.Pixel(2, 2), ColorToRGB(clBtnShadow));
    EXPECT_EQ(image.Pixel(5, 5), ColorToRGB(clBtnHighlight)) << "the highlight a pixel down and right";
    TBitmap faceMask;
    one->List()->Handle()->GetMask(disabled, faceMask);
    EXPECT_EQ(faceMask.Pixel(6, 1), clWhite) << "the face around it is the mask colour: transparent";
    EXPECT_EQ(faceMask.Pixel(2, 2), clBlack);
    // Two images: the second, white, grey and the transparent colour recoloured.
    TBitmap strip(16, 8);
    strip.Fill(clRed);
    strip.SetPixel(8, 0, clWhite);
    strip.SetPixel(9, 0, clGray);
    strip.SetPixel(10, 0, clBlue);
    strip.SetPixel(0, 7, clOlive);
    strip.SetPixel(8, 7, clOlive);
    two->SetGlyph(&strip);
    ASSERT_EQ(two->NumGlyphs(), 2);
    ASSERT_EQ(two->TransparentColor(), clOlive);
    const int index = two->ImageFor(false);
    two->List()->GetBitmap(index, image);
    EXPECT_EQ(image.Pixel(0, 0), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(image.Pixel(1, 0), ColorToRGB(clBtnShadow));
    EXPECT_EQ(image.Pixel(2, 0), clBlue);
    EXPECT_EQ(image.Pixel(3, 3), clRed);
    // The bottom-left pixel, clBtnFace now, is the mask colour: transparent.
    TBitmap mask;
    two->List()->Handle()->GetMask(index, mask);
    EXPECT_EQ(mask.Pixel(0, 7), clWhite);
    EXPECT_EQ(mask.Pixel(3, 3), clBlack);
}

TEST_F(GlyphMachine, DrawShowsTheStatesImageTransparentOrOnAColour) {
    TOwned<TGlyph> g(Create<TGlyph>());
    TBitmap strip = Strip(2, 8, {clRed, clBlue});
    strip.SetTransparentColor(clOlive);
    g->SetGlyph(&strip);
    TBitmap target(20, 20);
    target.Fill(clWhite);
    g->Draw(target.Canvas(), {2, 3}, clNone, true, true);
    EXPECT_EQ(target.Pixel(5, 5), clRed);
    EXPECT_EQ(target.Pixel(2, 10), clWhite) << "the olive corner is transparent";
    EXPECT_EQ(target.Pixel(12, 5), clWhite);
    g->Draw(target.Canvas(), {10, 3}, clYellow, false, true);
    EXPECT_EQ(target.Pixel(10, 10), clYellow) << "not transparent: on the colour";
    TBitmap disabled(20, 20);
    disabled.Fill(clWhite);
    g->Draw(disabled.Canvas(), {0, 0}, clNone, true, false);
    EXPECT_EQ(disabled.Pixel(4, 4), clBlue);
}

// ---- faults

TEST_F(GlyphMachine, AGlyphOutlivingTheCacheMakesANewOneAndFreesItSafely) {
    auto* first = Create<TGlyph>();
    auto* second = Create<TGlyph>();
    first->Free();  // the cache holds no list: it goes
    ASSERT_EQ(SharedGlyphCache(), nullptr);
    const TBitmap s = Strip(1, 8, {clRed});
    second->SetGlyph(&s);  // releases images with no cache there
    EXPECT_EQ(second->ImageFor(true), 0);
    ASSERT_NE(SharedGlyphCache(), nullptr) << "made again when needed";
    second->Free();
    EXPECT_EQ(SharedGlyphCache(), nullptr);
    // A glyph that never drew, alone, frees without a cache.
    auto* lone = Create<TGlyph>();
    auto* again = Create<TGlyph>();
    lone->Free();
    again->Free();
    EXPECT_EQ(SharedGlyphCache(), nullptr);
}

TEST_F(GlyphMachine, AStripNarrowerThanItsGlyphsHasNoImage) {
    TOwned<TGlyph> g(Create<TGlyph>());
    const TBitmap narrow(3, 16);
    g->SetGlyph(&narrow);
    g->SetNumGlyphs(4);
    EXPECT_EQ(g->ImageWidth(), 0);
    EXPECT_FALSE(g->HasImage());
    EXPECT_EQ(g->ImageFor(true), -1);
    EXPECT_EQ(g->ImageFor(false), -1);
    EXPECT_EQ(g->List(), nullptr) << "no list taken for it";
    TBitmap target(10, 20);
    target.Fill(clWhite);
    g->Draw(target.Canvas(), {0, 0}, clNone, true, true);
    EXPECT_EQ(test::CountPixels(target, clWhite), 200);
    EXPECT_TRUE(SharedGlyphCache()->IsEmpty());
}

TEST_F(GlyphMachine, MakingAnImageTellsNoChangeAndKeepsIt) {
    TOwned<TGlyph> g(Create<TGlyph>());
    const TBitmap s = Strip(2, 8, {clRed, clBlue});
    g->SetGlyph(&s);
    int changes = 0;
    g->OnChange = [&](TObject*) { ++changes; };
    TBitmap target(20, 20);
    for (int i = 0; i < 3; ++i) {
        g->Draw(target.Canvas(), {0, 0}, clNone, true, true);
        g->Draw(target.Canvas(), {0, 0}, clNone, true, false);
    }
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(g->List()->UsedCount(), 2);
    EXPECT_EQ(g->ImageFor(true), 0);
    EXPECT_EQ(g->Strip()->Width(), 16) << "the strip keeps its picture";
    // A real change still tells.
    g->Strip()->SetTransparentColor(clRed);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(g->List(), nullptr);
}

TEST_F(GlyphMachine, ReleasingASlotBeyondTheListOrTwiceIsIgnored) {
    TOwned<TGlyphList> list(Create<TGlyphList>(8, 8));
    const TBitmap image(8, 8);
    EXPECT_EQ(list->AddImage(image, clDefault), 0);
    EXPECT_EQ(list->AddImage(image, clDefault), 1);
    for (int index : {2, 99, -1}) list->ReleaseImage(index);
    EXPECT_EQ(list->UsedCount(), 2);
    list->ReleaseImage(0);
    list->ReleaseImage(0);
    EXPECT_EQ(list->UsedCount(), 1);
    EXPECT_EQ(list->AddImage(image, clDefault), 0) << "the free slot first";
    EXPECT_EQ(list->AddImage(image, clDefault), 2);
    EXPECT_EQ(list->Count(), 3);
}

}  // namespace
}  // namespace menvaro

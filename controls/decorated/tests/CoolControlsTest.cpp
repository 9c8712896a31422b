// The cool label, the cool group box and the glass panel, and the form that
// holds them as the backup tool's windows do.
#include <gtest/gtest.h>

#include <string>

#include "CoolControlsForm.h"
#include "classes/FormReader.h"
#include "classes/FormResources.h"
#include "classes/FormWriter.h"
#include "decorated/MyCoolGroupBox.h"
#include "decorated/MyCoolLabel.h"
#include "decorated/UGlassPanel.h"
#include "decorated/fxShapeBtn.h"
#include "testsupport/UiTest.h"
#include "ui/ExtCtrls.h"

namespace menvaro {
namespace {

// Every pixel of its own colour.
TBitmap Wallpaper(int w, int h) {
    TBitmap b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) b.SetPixel(x, y, RGB(10 + 20 * x, 10 + 20 * y, 99));
    return b;
}

class Cool : public ControlTest {
protected:
    // The smallest rect holding the pixels of `colour` in c's client area.
    TRect InkBox(const TControl* c, TColor colour, TRect area = {}) {
        Pump();
        if (area.IsEmpty()) area = {0, 0, c->Width(), c->Height()};
        TRect box{};
        bool any = false;
        for (int y = area.Top; y < area.Bottom; ++y)
            for (int x = area.Left; x < area.Right; ++x) {
                if (SurfacePixel(c, x, y) != ColorToRGB(colour)) continue;
                box = any ? TRect{std::min(box.Left, x), std::min(box.Top, y), std::max(box.Right, x + 1),
                                  std::max(box.Bottom, y + 1)}
                          : TRect{x, y, x + 1, y + 1};
                any = true;
            }
        return box;
    }
    // Crisp text, so that its pixels have the colours drawn.
    static void Crisp(TControl* c, int height = -12) {
        c->Font()->SetName("DejaVu Sans");
        c->Font()->SetHeight(height);
        c->Font()->SetQuality(fqNonAntialiased);
    }
    TMyCoolLabel* Label(int left, int top, const std::string& caption, TWinControl* parent = nullptr) {
        auto* l = Put<TMyCoolLabel>(left, top, 10, 10, parent);
        Crisp(l);
        l->SetCaption(caption);
        return l;
    }
    TPanel* Plain(int l, int t, int w, int h, TColor colour) {
        auto* p = Put<TPanel>(l, t, w, h);
        p->SetBevelOuter(bvNone);
        p->SetColor(colour);
        return p;
    }
};

// ---- the cool label

TEST_F(Cool, LabelAutoSizeCountsTheShadowAndTheGlyph) {
    auto* plain = Label(10, 10, "Cool");
    auto* glyphed = Label(10, 40, "Cool");
    const TBitmap strip(32, 16);  // two images of 16 x 16
    glyphed->SetGlyph(&strip);
    EXPECT_EQ(glyphed->NumGlyphs(), 2);
    TCanvas c;
    c.Font().Assign(*plain->Font());
    const TSize text = c.TextExtent("Cool");
    ASSERT_LT(text.cy, 16);
    // The shadow one pixel left and up: the text one pixel right and down.
    EXPECT_EQ(plain->Width(), text.cx + 1);
    EXPECT_EQ(plain->Height(), text.cy + 1);
    EXPECT_EQ(glyphed->Width(), plain->Width() + 16 + 2);
    EXPECT_EQ(glyphed->Height(), 16);
    // Down and right the shadow adds nothing; plain text neither.
    auto* below = Put<TMyCoolLabel>(10, 70, 10, 10);
    Crisp(below);
    below->SetShadowPos(spRightBottom);
    below->SetCaption("Cool");
    EXPECT_EQ(below->Width(), text.cx);
    auto* simple = Put<TMyCoolLabel>(10, 90, 10, 10);
    Crisp(simple);
    simple->SetSimpleView(true);
    simple->SetCaption("Cool");
    EXPECT_EQ(simple->Height(), text.cy);
    // A strip narrower than its images is no glyph.
    const TBitmap narrow(1, 16);
    glyphed->SetGlyph(&narrow);
    glyphed->SetNumGlyphs(2);
    glyphed->SetCaption("Cool");
    EXPECT_EQ(glyphed->Width(), plain->Width());
    EXPECT_EQ(glyphed->Height(), plain->Height());
}

TEST_F(Cool, LabelRightJustifiedKeepsItsRightEdgeWhenItGrows) {
    auto* l = Label(100, 10, "短");
    l->SetAlignment(taRightJustify);
    l->SetCaption("Short");
    const int right = l->Left() + l->Width();
    l->SetCaption("A much longer caption");
    EXPECT_EQ(l->Left() + l->Width(), right);
    EXPECT_LT(l->Left(), 100);
}

TEST_F(Cool, LabelWritersNumGlyphsShadowAndBevelsOffset) {
    auto* l = Label(10, 10, "x");
    l->SetNumGlyphs(4);
    EXPECT_EQ(l->NumGlyphs(), 2);
    l->SetNumGlyphs(0);
    EXPECT_EQ(l->NumGlyphs(), 2);
    l->SetNumGlyphs(1);
    EXPECT_EQ(l->NumGlyphs(), 1);
    for (int which = 0; which < 3; ++which) {
        l->SetSimpleView(true);
        if (which == 0) l->SetShadowColor(clRed);
        if (which == 1) l->SetShadowSize(3);
        if (which == 2) l->SetShadowPos(spRightTop);
        EXPECT_FALSE(l->SimpleView()) << which;
    }
    EXPECT_TRUE(l->AutoSize());
    l->SetBevelsOffset(0);
    EXPECT_TRUE(l->AutoSize());
    l->SetBevelsOffset(3);
    EXPECT_FALSE(l->AutoSize());
}

TEST_F(Cool, LabelBackgroundIsWallpaperColourOrNothing) {
    auto* yellow = Plain(0, 0, 300, 200, clYellow);
    auto make = [&](int top) {
        auto* l = Label(10, top, "", yellow);
        l->SetAutoSize(false);
        l->SetBounds(10, top, 60, 30);
        l->SetParentColor(false);
        l->SetColor(clRed);
        return l;
    };
    auto* coloured = make(10);
    auto* none = make(50);
    none->SetIdWallpaper(0);
    auto* papered = make(90);
    const TBitmap paper = Wallpaper(10, 10);
    papered->SetWallpaper(&paper);
    auto* stretched = make(130);
    stretched->SetWallpaper(&paper);
    stretched->SetStretched(true);
    EXPECT_EQ(At(coloured, 30, 20), clRed);
    EXPECT_EQ(At(none, 30, 20), clYellow) << "idWallpaper: neither wallpaper nor Color";
    EXPECT_EQ(At(papered, 33, 27), paper.Pixel(3, 7));
    EXPECT_EQ(At(papered, 59, 29), paper.Pixel(9, 9));
    EXPECT_EQ(At(stretched, 59, 29), paper.Pixel(9, 9));
    EXPECT_EQ(At(stretched, 30, 15), paper.Pixel(5, 5));
    // A transparent label paints no background at all.
    papered->SetTransparent(true);
    EXPECT_EQ(At(papered, 33, 27), clYellow);
}

TEST_F(Cool, LabelDisabledShowsItsOwnEmbossedTextAndTheDisabledGlyph) {
    auto* l = Label(10, 10, "Cool");
    l->Font()->SetColor(clBlue);
    l->SetShadowColor(clRed);
    l->SetShadowSize(3);
    TBitmap strip(32, 16);
    strip.Fill(clRed);
    for (int y = 0; y < 15; ++y)
        for (int x = 16; x < 32; ++x) strip.SetPixel(x, y, clLime);
    l->SetGlyph(&strip);
    EXPECT_NE(InkBox(l, clRed), TRect{});
    EXPECT_NE(InkBox(l, clBlue), TRect{});
    l->SetEnabled(false);
    EXPECT_EQ(InkBox(l, clBlue), TRect{}) << "not the font colour";
    EXPECT_EQ(InkBox(l, clRed), TRect{}) << "neither the shadow nor the enabled glyph";
    EXPECT_EQ(InkBox(l, clLime, {0, 0, 16, 16}), (TRect{0, 0, 16, 15})) << "the disabled glyph";
    const TRect shadow = InkBox(l, clBtnShadow, {18, 0, l->Width(), l->Height()});
    const TRect light = InkBox(l, clBtnHighlight, {18, 0, l->Width(), l->Height()});
    ASSERT_NE(shadow, TRect{});
    EXPECT_EQ(light.Right, shadow.Right + 1);
    EXPECT_EQ(light.Bottom, shadow.Bottom + 1);
    EXPECT_GE(shadow.Left, 18) << "after the glyph and its spacing";
}

TEST_F(Cool, LabelBevelsInsetTheTextOnlyWhenThereIsABevel) {
    auto make = [&](int top, TBevelCut outer, int offset) {
        auto* l = Label(10, top, "Text");
        l->SetAutoSize(false);
        l->SetBounds(10, top, 80, 30);
        l->SetSimpleView(true);
        l->SetBevelOuter(outer);
        l->SetBevelsOffset(offset);
        l->Font()->SetColor(clBlue);
        return l;
    };
    auto* flat = make(10, bvNone, 0);
    auto* offsetOnly = make(50, bvNone, 3);
    auto* bevelled = make(90, bvRaised, 3);
    const TRect ink = InkBox(flat, clBlue);
    ASSERT_NE(ink, TRect{});
    EXPECT_EQ(InkBox(offsetOnly, clBlue), ink);
    EXPECT_EQ(InkBox(bevelled, clBlue), OffsetRect(ink, 3, 3));
    // The raised outer edge: light top and left, dark bottom and right.
    EXPECT_EQ(At(bevelled, 0, 10), ColorToRGB(cl3DLight));
    EXPECT_EQ(At(bevelled, 79, 10), ColorToRGB(cl3DDkShadow));
    // bvSpace draws no bevel and insets nothing.
    bevelled->SetBevelOuter(bvSpace);
    EXPECT_EQ(InkBox(bevelled, clBlue), ink);
}

TEST_F(Cool, LabelGlyphSitsByTheAlignmentAndTheTextMovesAside) {
    TBitmap strip(16, 16);
    strip.Fill(clLime);
    strip.SetPixel(0, 15, clOlive);
    for (TAlignment a : {taLeftJustify, taRightJustify, taCenter}) {
        SCOPED_TRACE(int(a));
        auto* l = Label(10, 10, "Text");
        l->SetAutoSize(false);
        l->SetBounds(10, 10 + 40 * int(a), 120, 20);
        l->SetAlignment(a);
        l->SetSimpleView(true);
        l->Font()->SetColor(clBlue);
        l->SetGlyph(&strip);
        TCanvas c;
        c.Font().Assign(*l->Font());
        const int tw = c.TextWidth("Text");
        const int x = a == taLeftJustify ? 0 : a == taRightJustify ? 120 - tw - 18 : 60 - (tw + 18) / 2;
        EXPECT_EQ(InkBox(l, clLime), (TRect{x, 0, x + 16, 16}));
        const TRect text = InkBox(l, clBlue);
        const int least = a == taLeftJustify ? 18 : a == taCenter ? x + 18 : 0;
        EXPECT_GE(text.Left, least);
        EXPECT_LE(text.Right, 120);
    }
}

TEST_F(Cool, LabelEdgeBordersAndLayout) {
    auto* l = Label(10, 10, "Text");
    l->SetAutoSize(false);
    l->SetBounds(10, 10, 100, 50);
    l->SetSimpleView(true);
    l->Font()->SetColor(clBlue);
    l->BorderPen()->SetColor(clRed);
    l->SetEdgeBorders({ebTop, ebLeft, ebRight, ebBottom});
    EXPECT_EQ(At(l, 50, 1), clRed);
    EXPECT_EQ(At(l, 1, 25), clRed);
    EXPECT_EQ(At(l, 99, 25), clRed);
    EXPECT_EQ(At(l, 50, 49), clRed);
    EXPECT_EQ(At(l, 50, 0), ColorToRGB(l->Color()));
    l->SetEdgeBorders({ebBottom});
    EXPECT_NE(At(l, 50, 1), clRed);
    EXPECT_EQ(At(l, 50, 49), clRed);
    // The text at the top, in the middle, at the bottom.
    const TRect top = InkBox(l, clBlue);
    TCanvas c;
    c.Font().Assign(*l->Font());
    const int h = c.TextHeight("Text");
    l->SetLayout(tlBottom);
    EXPECT_EQ(InkBox(l, clBlue), OffsetRect(top, 0, 50 - h));
    l->SetLayout(tlCenter);
    EXPECT_EQ(InkBox(l, clBlue), OffsetRect(top, 0, (50 - h) / 2));
}

// ---- the cool group box

TEST_F(Cool, GroupBoxCaptionRectWidensByTheShadowAndCoversTheFrameWithColour) {
    auto* box = Put<TMyCoolGroupBox>(10, 10, 200, 100);
    Crisp(box, -14);
    box->SetColor(clYellow);
    box->SetShadowColor(clRed);
    box->Font()->SetColor(clBlue);
    box->SetCaption("WWWW");
    TCanvas c;
    c.Font().Assign(*box->Font());
    const int h = c.TextHeight("0"), w = c.TextWidth("WWWW"), line = h / 2 - 1;
    // The caption rect is (7, 0, 8 + w + 1, h): the shadow drawn opaque from
    // x 7 fills its cell with Color over the frame line.
    EXPECT_EQ(At(box, 6, line), ColorToRGB(clBtnShadow));
    EXPECT_EQ(At(box, 7, line + 1) == ColorToRGB(clBtnHighlight), false);
    EXPECT_EQ(CountPixels(box, {7, line, 7 + w, line + 2}, ColorToRGB(clBtnShadow)), 0);
    EXPECT_EQ(CountPixels(box, {7, line, 7 + w, line + 2}, ColorToRGB(clBtnHighlight)), 0);
    EXPECT_EQ(At(box, 7 + w + 3, line), ColorToRGB(clBtnShadow));
    const TRect shadow = InkBox(box, clRed), text = InkBox(box, clBlue);
    ASSERT_NE(shadow, TRect{});
    EXPECT_GE(shadow.Left, 7);
    EXPECT_EQ(text.Left, shadow.Left + 1) << "the shadow up and left of the text";
    EXPECT_EQ(text.Top, shadow.Top + 1);
    EXPECT_EQ(At(box, 100, 60), clYellow);
    // Another position and size.
    box->SetShadowPos(spRightTop);
    box->SetShadowSize(2);
    const TRect shadow2 = InkBox(box, clRed), text2 = InkBox(box, clBlue);
    EXPECT_EQ(shadow2.Right, text2.Right + 2);
    EXPECT_EQ(text2.Bottom, shadow2.Bottom + 2);
    EXPECT_GE(shadow2.Left, 6);
    // Simple view: the text alone.
    box->SetSimpleView(true);
    EXPECT_EQ(InkBox(box, clRed), TRect{});
    EXPECT_NE(InkBox(box, clBlue), TRect{});
}

TEST_F(Cool, GroupBoxWithoutCaptionOrWithAnIdDrawsOnlyTheFrame) {
    auto* yellow = Plain(0, 0, 300, 200, clYellow);
    auto* box = Put<TMyCoolGroupBox>(10, 10, 200, 100, yellow);
    Crisp(box, -14);
    box->SetColor(clRed);
    TCanvas c;
    c.Font().Assign(*box->Font());
    const int line = c.TextHeight("0") / 2 - 1;
    Pump();
    EXPECT_EQ(Row(box, line, 1, 199, ColorToRGB(clBtnShadow)), std::string(198, '#'));
    EXPECT_EQ(At(box, 100, 60), clRed);
    // idWallpaper: the background is left as it was (here the parent's),
    // under the caption too.
    box->SetCaption("Caption");
    box->SetIdWallpaper(0);
    yellow->Invalidate();
    EXPECT_EQ(At(box, 100, 60), clYellow);
    const int w = c.TextWidth("Caption");
    EXPECT_GT(CountPixels(box, {8, line, 8 + w, line + 1}, ColorToRGB(clBtnShadow)), w / 3);
}

TEST_F(Cool, GroupBoxWallpaperAndItsCaptionStrip) {
    auto* box = Put<TMyCoolGroupBox>(10, 10, 200, 100);
    Crisp(box, -14);
    const TBitmap paper = Wallpaper(10, 10);
    box->SetWallpaper(&paper);
    EXPECT_EQ(At(box, 55, 67), paper.Pixel(5, 7));
    // Under the caption the strip is tiled from the caption rect's corner.
    box->SetCaption("   ");
    TCanvas c;
    c.Font().Assign(*box->Font());
    const int line = c.TextHeight("0") / 2 - 1, w = c.TextWidth("   ");
    for (int x = 7; x < 9 + w; ++x)
        EXPECT_EQ(At(box, x, line), paper.Pixel((x - 7) % 10, line % 10)) << "the strip begins at x 7: " << x;
    EXPECT_EQ(At(box, 9 + w, line), ColorToRGB(clBtnShadow));
    // The same bitmap again changes nothing; another one shows.
    box->SetWallpaper(box->Wallpaper());
    TBitmap red(4, 4);
    red.Fill(clRed);
    box->SetWallpaper(&red);
    EXPECT_EQ(At(box, 55, 67), clRed);
    // Its changes repaint.
    box->Wallpaper()->SetSize(0, 0);
    EXPECT_EQ(At(box, 55, 67), ColorToRGB(box->Color()));
}

TEST_F(Cool, GroupBoxSeeThroughFollowsTheBoxAsItMoves) {
    auto* paper = Put<TUGlassPanel>(0, 0, 380, 260);
    paper->SetBevelOuter(bvNone);
    const TBitmap wall = Wallpaper(10, 10);
    paper->SetWallpaper(&wall);
    auto* box = Put<TMyCoolGroupBox>(23, 31, 200, 120, paper);
    box->SetTransparent(true);
    auto aligned = [&] {
        Pump();
        const TPoint at = paper->ScreenToClient(box->ClientOrigin());
        for (int y = 30; y < 110; y += 7)
            for (int x = 10; x < 190; x += 7)
                if (SurfacePixel(box, x, y) != wall.Pixel((at.X + x) % 10, (at.Y + y) % 10)) return false;
        return true;
    };
    EXPECT_TRUE(aligned());
    // Under the caption too, the text drawn over it without a box.
    box->SetCaption("Caption");
    TCanvas c;
    c.Font().Assign(*box->Font());
    const int w = c.TextWidth("Caption"), h = c.TextHeight("0");
    Pump();
    const TPoint at = paper->ScreenToClient(box->ClientOrigin());
    int through = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 8; x < 8 + w; ++x)
            through += SurfacePixel(box, x, y) == wall.Pixel((at.X + x) % 10, (at.Y + y) % 10);
    EXPECT_GT(through, w * h / 2);
    box->SetLeft(26);
    EXPECT_TRUE(aligned());
    box->SetTop(35);
    EXPECT_TRUE(aligned());
}

TEST_F(Cool, GroupBoxDisabledCaptionIsEmbossed) {
    auto* box = Put<TMyCoolGroupBox>(10, 10, 200, 100);
    Crisp(box, -14);
    box->Font()->SetColor(clBlue);
    box->SetShadowColor(clRed);
    box->SetCaption("WWWW");
    box->SetEnabled(false);
    TCanvas c;
    c.Font().Assign(*box->Font());
    const int h = c.TextHeight("0"), w = c.TextWidth("WWWW");
    const TRect caption{0, 0, 200, h + 2};
    EXPECT_EQ(InkBox(box, clRed, caption), TRect{});
    EXPECT_EQ(InkBox(box, clBlue, caption), TRect{}) << "the font colour is drawn over";
    // Above the frame line only the caption draws: in both colours.
    const TRect above{7, 0, 9 + w, h / 2 - 1};
    EXPECT_GT(CountPixels(box, above, ColorToRGB(clBtnShadow)), 10);
    EXPECT_GT(CountPixels(box, above, ColorToRGB(clBtnHighlight)), 5);
}

// ---- the glass panel

TEST_F(Cool, PanelFilledWithColourThenBevelsAndCaptionCentredBetweenThem) {
    auto* p = Put<TUGlassPanel>(10, 10, 200, 61);
    Crisp(p, -13);
    p->Font()->SetColor(clBlue);
    p->SetColor(clYellow);
    p->SetBevelWidth(2);
    p->SetBevelInner(bvLowered);
    p->SetBevelOuter(bvRaised);
    p->SetCaption("Glass");
    EXPECT_EQ(At(p, 0, 30), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(At(p, 1, 30), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(At(p, 199, 30), ColorToRGB(clBtnShadow));
    EXPECT_EQ(At(p, 2, 30), ColorToRGB(clBtnShadow)) << "the lowered inner bevel";
    EXPECT_EQ(At(p, 197, 30), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(At(p, 10, 10), clYellow);
    TCanvas c;
    c.Font().Assign(*p->Font());
    const int fh = c.TextHeight("W");
    const int top = (4 + 57 - fh) / 2;
    EXPECT_EQ(top, fh == 13 ? 24 : top) << "the 13-pixel example";
    const TRect ink = InkBox(p, clBlue);
    EXPECT_GE(ink.Top, top);
    EXPECT_LE(ink.Bottom, top + fh);
    EXPECT_NEAR((ink.Left + ink.Right) / 2, 100, 2);
    // Disabled, the caption keeps the font colour.
    p->SetEnabled(false);
    EXPECT_EQ(InkBox(p, clBlue), ink);
    // Left and right.
    p->SetAlignment(taLeftJustify);
    EXPECT_LT(InkBox(p, clBlue).Left, 10);
    p->SetAlignment(taRightJustify);
    EXPECT_GT(InkBox(p, clBlue).Right, 190);
}

TEST_F(Cool, PanelWallpaperTurnsSeeThroughOffAndLevelAloneChangesNothing) {
    auto* back = Plain(0, 0, 380, 260, clRed);
    auto* p = Put<TUGlassPanel>(20, 20, 100, 60, back);
    p->SetBevelOuter(bvNone);
    p->SetTransparent(true);
    EXPECT_EQ(At(p, 50, 30), clRed);
    const TBitmap paper = Wallpaper(10, 10);
    p->SetWallpaper(&paper);
    EXPECT_FALSE(p->Transparent());
    EXPECT_EQ(At(p, 53, 37), paper.Pixel(3, 7));
    // Stretched: the whole wallpaper over the panel.
    p->SetStretched(true);
    EXPECT_EQ(At(p, 99, 59), paper.Pixel(9, 9));
    EXPECT_EQ(At(p, 0, 0), paper.Pixel(0, 0));
    // Without a wallpaper the level shows nothing of the ancestors.
    auto* q = Put<TUGlassPanel>(150, 20, 100, 60, back);
    auto* r = Put<TUGlassPanel>(150, 100, 100, 60, back);
    r->SetTransparencyLevel(3);
    for (int y = 0; y < 60; y += 5)
        for (int x = 0; x < 100; x += 5) ASSERT_EQ(At(q, x, y), At(r, x, y)) << x << "," << y;
}

TEST_F(Cool, SeeThroughPanelRepaintsWhenItsParentsColourChanges) {
    auto* back = Plain(0, 0, 380, 260, clRed);
    auto* p = Put<TUGlassPanel>(20, 20, 100, 60, back);
    p->SetBevelOuter(bvNone);
    p->SetTransparent(true);
    EXPECT_EQ(At(p, 50, 30), clRed);
    back->SetColor(clBlue);
    EXPECT_EQ(At(p, 50, 30), clBlue);
}

TEST_F(Cool, PanelStreamsItsColourAgainstTheDeclaredDefault) {
    auto* p = Create<TUGlassPanel>(form);
    EXPECT_EQ(p->Color(), clBtnFace) << "a new panel";
    EXPECT_EQ(p->InactiveFontColor(), clWhite);
    EXPECT_EQ(p->idWallpaper(), -1);
    auto text = [&](TComponent* c) { return WriteComponentText(c); };
    EXPECT_NE(text(p).find("Color = clBtnFace"), std::string::npos);
    p->SetColor(clBtnShadow);
    EXPECT_EQ(text(p).find("Color ="), std::string::npos);
    EXPECT_EQ(text(p).find("Wallpaper"), std::string::npos) << "an empty wallpaper is not written";
    p->SetIdWallpaper(3);
    p->SetInactiveFontColor(clRed);
    EXPECT_NE(text(p).find("idWallpaper = 3"), std::string::npos);
    EXPECT_NE(text(p).find("InactiveFontColor = clRed"), std::string::npos);
}

// ---- the form of the backup tool's windows

class CoolForm : public UiTest {};

TEST_F(CoolForm, LoadsPaintsAndWritesBackWhatItRead) {
    auto* f = Create<TCoolControlsForm>(Application);
    // What was read.
    ASSERT_NE(f->uglpanelBg, nullptr);
    EXPECT_TRUE(f->uglpanelBg->Stretched());
    EXPECT_EQ(f->uglpanelBg->BevelInner(), bvLowered);
    EXPECT_EQ(f->uglpanelBg->BevelWidth(), 5);
    EXPECT_EQ(f->uglpanelBg->Wallpaper()->Width(), 16);
    EXPECT_EQ(f->uglpanelInfo->TransparencyLevel(), 25);
    EXPECT_EQ(f->uglpanelInfo->BevelWidth(), 2);
    EXPECT_EQ(f->uglpanelInfo->Color(), clWhite);
    EXPECT_EQ(f->uglpanelInfo->BoundsRect(), (TRect{10, 10, 410, 57})) << "inside the two bevels of 5";
    EXPECT_EQ(f->MyCoolLabel1->Caption(), "用户");
    EXPECT_EQ(f->MyCoolLabel1->Font()->Style(), TFontStyles(fsBold));
    EXPECT_EQ(f->MyCoolLabel1->Font()->Height(), -20);
    EXPECT_EQ(f->lblGlyph->NumGlyphs(), 2);
    EXPECT_EQ(f->lblGlyph->Glyph()->Width(), 32);
    EXPECT_EQ(f->lblGlyph->EdgeBorders(), (TEdgeBorders{ebTop, ebBottom}));
    EXPECT_EQ(f->lblGlyph->BorderPen()->Color(), clNavy);
    EXPECT_EQ(f->MyCoolGroupBox4->ShadowPos(), spRightBottom);
    EXPECT_EQ(f->MyCoolGroupBox4->ShadowSize(), 2);
    EXPECT_TRUE(f->MyCoolGroupBox5->Transparent());
    EXPECT_EQ(f->MyCoolGroupBox5->TransparencyLevel(), 2);
    // Auto-sized once read: the text and its shadow.
    TCanvas c;
    c.Font().Assign(*f->MyCoolLabel1->Font());
    EXPECT_EQ(f->MyCoolLabel1->Width(), c.TextWidth("用户") + 1);
    // Written back, it is the file it was read from.
    const TFormResource* resource = FindFormResource("TCoolControlsForm");
    ASSERT_NE(resource, nullptr);
    EXPECT_EQ(WriteComponentText(f), resource->Text);

    f->Show();
    Pump();
    // The wallpaper stretched over the background inside its bevels.
    const TBitmap* wall = f->uglpanelBg->Wallpaper();
    for (const TPoint p : {TPoint{300, 140}, TPoint{20, 150}, TPoint{395, 64}})
        EXPECT_EQ(SurfacePixel(f->uglpanelBg, p.X, p.Y), wall->Pixel(p.X * 16 / 420, p.Y * 16 / 420)) << p.X;
    EXPECT_EQ(SurfacePixel(f->uglpanelBg, 0, 200), ColorToRGB(clBtnHighlight)) << "raised outer bevel";
    EXPECT_EQ(SurfacePixel(f->uglpanelBg, 5, 200), ColorToRGB(clBtnShadow)) << "lowered inner bevel";
    // The white title panel with its bevels of 2.
    EXPECT_EQ(SurfacePixel(f->uglpanelInfo, 1, 20), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(SurfacePixel(f->uglpanelInfo, 2, 20), ColorToRGB(clBtnShadow));
    EXPECT_EQ(SurfacePixel(f->uglpanelInfo, 100, 20), clWhite);
    // The labels' text over the wallpaper.
    EXPECT_GT(CountPixels(f->MyCoolLabel1, {0, 0, f->MyCoolLabel1->Width(), f->MyCoolLabel1->Height()}, 0), 20);
    // The second page's box shows the background's wallpaper through the
    // page and the page control, lined up with it.
    const TPoint at = f->uglpanelBg->ScreenToClient(f->MyCoolGroupBox5->ClientOrigin());
    int matched = 0, looked = 0;
    for (int y = 120; y < 200; y += 9)
        for (int x = 260; x < 380; x += 9, ++looked)
            matched += SurfacePixel(f->MyCoolGroupBox5, x, y) ==
                       wall->Pixel((at.X + x) * 16 / 420, (at.Y + y) * 16 / 420);
    EXPECT_EQ(matched, looked);
}

TEST_F(CoolForm, TheFirstPageShowsTheBoxWithItsShadowedCaption) {
    auto* f = Create<TCoolControlsForm>(Application);
    f->pgTooltype->SetActivePage(f->TabSheet4);
    f->Show();
    Pump();
    TCanvas c;
    c.Font().Assign(*f->MyCoolGroupBox4->Font());
    const int w = c.TextWidth("备份数据"), h = c.TextHeight("0");
    // Navy text with a white shadow two pixels down and right.
    const int navy = CountPixels(f->MyCoolGroupBox4, {6, 0, 12 + w, h + 3}, clNavy);
    const int white = CountPixels(f->MyCoolGroupBox4, {6, 0, 12 + w, h + 3}, clWhite);
    EXPECT_GT(navy, 20);
    EXPECT_GT(white, 10);
    EXPECT_GT(CountPixels(f->lblBackupDate, {0, 0, f->lblBackupDate->Width(), f->lblBackupDate->Height()}, clNavy), 10)
        << "the box's font";
}

TEST_F(CoolForm, TheToolsRoundButtonsClickTheirHandlersAndTheTitleIsExtruded) {
    auto* f = Create<TCoolControlsForm>(Application);
    // The title as the login dialog has it.
    EXPECT_EQ(f->lblName->TextOptions()->Style(), fxlsLowered);
    EXPECT_EQ(f->lblName->TextOptions()->ExtrudeEffects()->Depth(), 2);
    EXPECT_TRUE(f->lblName->Transparent());
    // The four buttons: 120 x 50 round rectangles, bias 25, highlight shading.
    for (TfxShapeBtn* b : {f->fxbtnBackup, f->fxSbtnClose1, f->fxbtnResume, f->fxSbtnClose2}) {
        EXPECT_EQ(b->Shape(), bsRoundRect) << b->Name();
        EXPECT_EQ(b->RoundRectBias(), 25) << b->Name();
        EXPECT_EQ(b->ShadeStyle(), fbsHighlight) << b->Name();
        EXPECT_EQ(b->BoundsRect().Width(), 120) << b->Name();
        EXPECT_EQ(b->BoundsRect().Height(), 50) << b->Name();
    }
    EXPECT_EQ(f->fxbtnBackup->Caption(), "开始备份");
    EXPECT_EQ(f->fxSbtnClose1->Caption(), "退出");
    EXPECT_EQ(f->fxbtnResume->Caption(), "开始恢复");
    EXPECT_EQ(f->fxSbtnClose2->Caption(), "退出");
    f->Show();
    Pump();
    // The second page shows: its buttons are round, lit at the top left and
    // carry their captions.
    TfxShapeBtn* resume = f->fxbtnResume;
    EXPECT_EQ(resume->Region(), CreateRoundRectRgn(0, 0, 119, 49, 25, 25));
    EXPECT_EQ(SurfacePixel(resume, 60, 0), Rgb(clBtnHighlight));
    EXPECT_EQ(SurfacePixel(resume, 60, 48), clBlack);
    EXPECT_GT(CountPixels(resume, {20, 10, 100, 40}, clNavy), 20) << "the caption, in the box's font";
    // The group box's wallpaper shows beside the rounded corners.
    EXPECT_NE(SurfacePixel(resume, 0, 0), Rgb(clBtnFace));
    ClickNamed("fxbtnResume");
    Pump();
    ClickNamed("fxSbtnClose2");
    Pump();
    f->pgTooltype->SetActivePage(f->TabSheet4);
    Pump();
    ClickNamed("fxbtnBackup");
    Pump();
    ClickNamed("fxSbtnClose1");
    Pump();
    // A click beside the rounded corner is the group box's.
    synthetic::Click(f->fxbtnBackup->ClientToScreen({1, 1}));
    Pump();
    EXPECT_EQ(f->clicked, (std::vector<std::string>{"fxbtnResume", "fxSbtnClose2", "fxbtnBackup", "fxSbtnClose1"}));
}

}  // namespace
}  // namespace menvaro

// The caption engine on a bitmap canvas with the installed fonts: rotation,
// the sizes of the composite, accelerators, alignment, each style on chosen
// pixels, and the canvas's own font given back.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "base/Exceptions.h"
#include "decorated/fxText.h"
#include "gfx/Bitmap.h"
#include "testsupport/Pixels.h"

using namespace menvaro;

namespace {

// One-bit glyphs, so that every pixel of the drawing is exact.
class TMonoCaption : public TfxCaptionText {
public:
    using TfxCaptionText::TfxCaptionText;
    TfxLogFont GetLogFont() const override {
        TfxLogFont lf = TfxCaptionText::GetLogFont();
        lf.Quality = NONANTIALIASED_QUALITY;
        return lf;
    }
    std::function<void()> onOutline;
    void DrawOutline() override {
        TfxCaptionText::DrawOutline();
        if (onOutline) onOutline();
    }
};

const std::string kBlock = "\xE2\x96\x88";  // a full block: a solid rectangle

struct Engine {
    TBitmap bmp{240, 160};
    TFont font;
    int invalidated = 0;
    int adjusted = 0;
    bool enabled = true;
    TOwned<TMonoCaption> text;

    explicit Engine(const std::string& caption = kBlock) {
        bmp.Fill(clWhite);
        bmp.Canvas().Brush().SetStyle(bsClear);
        font.SetName("DejaVu Sans");
        font.SetHeight(-24);
        font.SetColor(clRed);
        text.reset(Create<TMonoCaption>([this] { ++invalidated; }, [this] { ++adjusted; }, [this] { return enabled; },
                                        &font, &bmp.Canvas()));
        text->SetText(caption);
        text->SetTextBounds({0, 0, 240, 160});
        text->SetAlignment(taCenter);
        text->SetVAlignment(vaVCenter);
        invalidated = adjusted = 0;
    }
    // The size of `s` in the caption's font, measured on a canvas of its own.
    TSize Measure(const std::string& s) const {
        TBitmap b(1, 1);
        fxFontFromLogFont(text->GetLogFont(), b.Canvas().Font());
        return b.Canvas().TextExtent(s);
    }
    TSize Composite() {
        const TRect r = text->CalcRect(true);
        return {r.Width(), r.Height()};
    }
    void Draw() {
        text->SetTextBounds({0, 0, 240, 160});
        text->Draw();
    }
    TColor At(int x, int y) const { return bmp.Pixel(x, y); }
    // Where the pixels of one colour lie.
    TRect Box(TColor c) const { return test::PixelsOf(bmp, clWhite, true, c).BoundingBox(); }
    int Count(TColor c) const { return test::CountPixels(bmp, c); }
};

}  // namespace

TEST(FxTextRotation, NormalisesInto0To359AndMinusMultiplesOf360To360) {
    struct Case {
        int set, stored;
    };
    const Case cases[] = {{370, 10}, {-90, 270}, {-360, 360}, {0, 0},         {359, 359},    {360, 0},
                          {720, 0},  {-1, 359},  {-720, 360}, {INT_MAX, 127}, {INT_MIN, 232}};
    for (const Case& c : cases) {
        Engine e;
        e.text->SetRotation(c.set);
        EXPECT_EQ(e.text->Rotation(), c.stored) << c.set;
        const TfxLogFont lf = e.text->GetLogFont();
        EXPECT_EQ(lf.Escapement, c.stored * 10) << c.set;
        EXPECT_EQ(lf.Orientation, c.stored * 10) << c.set;
        EXPECT_EQ(lf.OutPrecision, c.stored == 0 ? OUT_TT_PRECIS : OUT_TT_ONLY_PRECIS) << c.set;
    }
}

TEST(FxTextRotation, SettingItAlwaysRefitsAndRepaints) {
    Engine e;
    e.text->SetRotation(10);
    e.text->SetRotation(10);
    EXPECT_EQ(e.adjusted, 2);
    EXPECT_EQ(e.invalidated, 2);
}

TEST(FxTextRotation, MinusThreeSixtyAlignsAndDrawsLikeZero) {
    Engine zero("Ab" + kBlock), minus("Ab" + kBlock);
    minus.text->SetRotation(-360);
    zero.Draw();
    minus.Draw();
    EXPECT_TRUE(minus.text->Flags() & DT_CENTER);
    EXPECT_EQ(minus.text->TextRect(), zero.text->TextRect());
    EXPECT_GT(zero.Count(clRed), 100);
    for (int y = 0; y < 160; ++y)
        ASSERT_EQ(test::Row(minus.bmp, y, 0, 240, clRed), test::Row(zero.bmp, y, 0, 240, clRed)) << y;
}

TEST(FxTextRotation, AtNinetyDegreesTheSecondLineLiesRightOfTheFirst) {
    Engine e(kBlock + "\r\n" + kBlock);
    e.text->SetLineSpacing(10);
    Engine flat(kBlock + "\r\n" + kBlock);
    flat.text->SetLineSpacing(10);
    flat.Draw();
    const TRect upright = flat.Box(clRed);
    EXPECT_GT(upright.Height(), upright.Width());  // one line above the other
    e.text->SetRotation(90);
    e.Draw();
    const TRect turned = e.Box(clRed);
    EXPECT_NEAR(turned.Width(), upright.Height(), 1);
    EXPECT_NEAR(turned.Height(), upright.Width(), 1);
    // Two blocks side by side, at least the line spacing between them.
    const std::string row = test::Row(e.bmp, turned.Top + turned.Height() / 2, turned.Left, turned.Right, clRed);
    const std::size_t gap = row.find('.'), end = row.rfind('.');
    ASSERT_NE(gap, std::string::npos) << row;
    EXPECT_EQ(row.substr(gap, end - gap + 1), std::string(end - gap + 1, '.')) << row;
    EXPECT_GE(end - gap + 1, 10u) << row;
}

TEST(FxTextLayout, CompositeSizesFollowFromTheMeasuredText) {
    struct Case {
        const char* what;
        std::function<void(TfxText&)> set;
        int dw, dh;
    };
    const std::vector<Case> cases = {
        {"plain", [](TfxText&) {}, 0, 0},
        {"outline", [](TfxText& t) { t.SetStyle(fxlsOutline); }, 2, 2},
        {"shadow",
         [](TfxText& t) {
             t.Shadow()->SetEnabled(true);
             t.Shadow()->SetXOffset(3);
             t.Shadow()->SetYOffset(5);
         },
         3, 5},
        {"shadow up left",
         [](TfxText& t) {
             t.Shadow()->SetEnabled(true);
             t.Shadow()->SetXOffset(-4);
             t.Shadow()->SetYOffset(-6);
         },
         4, 6},
        {"shadow offsets while disabled", [](TfxText& t) { t.Shadow()->SetXOffset(7); }, 0, 0},
        {"extrusion bottom right",
         [](TfxText& t) {
             t.ExtrudeEffects()->SetEnabled(true);
             t.ExtrudeEffects()->SetDepth(4);
         },
         4, 4},
        {"extrusion top",
         [](TfxText& t) {
             t.ExtrudeEffects()->SetEnabled(true);
             t.ExtrudeEffects()->SetDepth(4);
             t.ExtrudeEffects()->SetOrientation(fxTop);
         },
         0, 4},
        {"extrusion right",
         [](TfxText& t) {
             t.ExtrudeEffects()->SetEnabled(true);
             t.ExtrudeEffects()->SetDepth(4);
             t.ExtrudeEffects()->SetOrientation(fxRight);
         },
         4, 0},
        // A shadow against the extrusion's steps is not measured.
        {"extrusion bottom right and shadow down right",
         [](TfxText& t) {
             t.ExtrudeEffects()->SetEnabled(true);
             t.ExtrudeEffects()->SetDepth(4);
             t.Shadow()->SetEnabled(true);
             t.Shadow()->SetXOffset(3);
             t.Shadow()->SetYOffset(5);
         },
         4, 4},
        {"extrusion top left and shadow down right",
         [](TfxText& t) {
             t.ExtrudeEffects()->SetEnabled(true);
             t.ExtrudeEffects()->SetDepth(4);
             t.ExtrudeEffects()->SetOrientation(fxTopLeft);
             t.Shadow()->SetEnabled(true);
             t.Shadow()->SetXOffset(3);
             t.Shadow()->SetYOffset(5);
         },
         7, 9},
        {"extrusion top left and shadow down left",
         [](TfxText& t) {
             t.ExtrudeEffects()->SetEnabled(true);
             t.ExtrudeEffects()->SetDepth(4);
             t.ExtrudeEffects()->SetOrientation(fxTopLeft);
             t.Shadow()->SetEnabled(true);
             t.Shadow()->SetXOffset(-3);
             t.Shadow()->SetYOffset(5);
         },
         4, 9},
        {"extrusion, shadow and outline",
         [](TfxText& t) {
             t.SetStyle(fxlsOutline);
             t.ExtrudeEffects()->SetEnabled(true);
             t.ExtrudeEffects()->SetDepth(2);
             t.ExtrudeEffects()->SetOrientation(fxTopLeft);
             t.Shadow()->SetEnabled(true);
             t.Shadow()->SetXOffset(1);
             t.Shadow()->SetYOffset(1);
         },
         5, 5},
    };
    const std::string caption = "Menvaro";
    for (const Case& c : cases) {
        Engine e(caption);
        const TSize t = e.Measure(caption);
        c.set(*e.text);
        EXPECT_EQ(e.Composite(), (TSize{t.cx + c.dw, t.cy + c.dh})) << c.what;
    }
    // A quarter turn swaps width and height; a half turn keeps them.
    Engine turned(caption);
    const TSize t = turned.Measure(caption);
    turned.text->SetRotation(90);
    EXPECT_EQ(turned.Composite(), (TSize{t.cy, t.cx}));
    turned.text->SetRotation(180);
    EXPECT_EQ(turned.Composite(), t);
    // Lines one below the other with the line spacing between them.
    Engine lines("Menvaro\r\nOK");
    lines.text->SetLineSpacing(3);
    EXPECT_EQ(lines.Composite(), (TSize{t.cx, 2 * t.cy + 3}));
    Engine empty("");
    EXPECT_EQ(empty.Composite(), TSize{});
}

TEST(FxTextLayout, AcceleratorsAreMeasuredAsTheyAreDrawn) {
    Engine accel("A&&B&C");
    EXPECT_FALSE(accel.text->Flags() & DT_NOPREFIX);
    EXPECT_EQ(accel.Composite().cx, accel.Measure("A&BC").cx);
    // Word-wrapped, the ampersand left after stripping is measured too.
    accel.text->SetWordWrap(true);
    EXPECT_TRUE(accel.text->Flags() & DT_WORDBREAK);
    EXPECT_EQ(accel.Composite().cx, accel.Measure("A&BC").cx);

    Engine plain("A&&B&C");
    plain.text->SetOptions({});
    EXPECT_TRUE(plain.text->Flags() & DT_NOPREFIX);
    EXPECT_EQ(plain.Composite().cx, plain.Measure("A&&B&C").cx);
    plain.text->SetOptions({toShowEllipsis});
    EXPECT_TRUE(plain.text->Flags() & DT_END_ELLIPSIS);
    EXPECT_TRUE(plain.text->Flags() & DT_NOPREFIX);
}

TEST(FxTextLayout, AlignmentPlacesTheFaceInTheBounds) {
    struct Case {
        TAlignment h;
        TfxVAlignment v;
    };
    const TRect bounds{10, 20, 230, 140};
    for (const Case& c : {Case{taLeftJustify, vaTop}, Case{taRightJustify, vaBottom}, Case{taCenter, vaVCenter}}) {
        Engine e("Menvaro");
        const TSize t = e.Measure("Menvaro");
        e.text->SetAlignment(c.h);
        e.text->SetVAlignment(c.v);
        e.text->SetTextBounds(bounds);
        e.text->Draw();
        const TRect r = e.text->TextRect();
        EXPECT_EQ(r.Width(), t.cx);
        EXPECT_EQ(r.Height(), t.cy);
        const int left = c.h == taLeftJustify ? 10 : c.h == taRightJustify ? 230 - t.cx : 120 - t.cx / 2;
        const int top = c.v == vaTop ? 20 : c.v == vaBottom ? 140 - t.cy : 80 - t.cy / 2;
        EXPECT_EQ(r.TopLeft(), (TPoint{left, top})) << int(c.h);
        EXPECT_EQ((e.text->Flags() & DT_CENTER) != 0, c.h == taCenter);
        EXPECT_EQ((e.text->Flags() & DT_RIGHT) != 0, c.h == taRightJustify);
    }
}

TEST(FxTextLayout, ACompositeLargerThanTheBoundsIsCutToThemAndKeptInside) {
    Engine e("A caption far wider than its room");
    e.text->SetTextBounds({50, 40, 70, 50});
    EXPECT_EQ(e.text->CalcRect(false), (TRect{50, 40, 70, 50}));
    const TRect full = e.text->CalcRect(true);
    EXPECT_EQ(full.TopLeft(), (TPoint{50, 40}));
    EXPECT_GT(full.Width(), 20);
}

TEST(FxTextStyles, EachStyleOnChosenPixels) {
    auto prepared = [](Engine& e) {
        e.text->SetHighlightColor(clLime);
        e.text->SetShadeColor(clBlue);
        e.text->SetOutlineColor(clFuchsia);
    };
    {
        Engine e;
        prepared(e);
        e.Draw();
        const TRect f = e.Box(clRed);
        EXPECT_GT(f.Width(), 8);
        EXPECT_GT(f.Height(), 20);
        EXPECT_EQ(e.Count(clRed), f.Width() * f.Height());  // the block is solid
        EXPECT_EQ(e.Count(clRed) + e.Count(clWhite), 240 * 160);
    }
    {
        Engine e;
        prepared(e);
        e.text->SetStyle(fxlsLowered);
        e.Draw();
        const TRect f = e.Box(clRed);
        EXPECT_EQ(e.At(f.Left - 1, f.Top - 1), clBlue);
        EXPECT_EQ(e.At(f.Right, f.Bottom), clLime);
        EXPECT_EQ(e.At(f.Left + 3, f.Top + 3), clRed);
    }
    {
        Engine e;
        prepared(e);
        e.text->SetStyle(fxlsRaised);
        e.Draw();
        const TRect f = e.Box(clRed);
        EXPECT_EQ(e.At(f.Left - 1, f.Top - 1), clLime);
        EXPECT_EQ(e.At(f.Right, f.Bottom), clBlue);
    }
    {
        Engine e;
        prepared(e);
        e.text->SetHighlightColor(clNone);
        e.text->SetStyle(fxlsRaised);
        e.Draw();
        const TRect f = e.Box(clRed);
        EXPECT_EQ(e.At(f.Left - 1, f.Top - 1), clWhite);
        EXPECT_EQ(e.At(f.Right, f.Bottom), clBlue);
    }
    {
        Engine e;
        prepared(e);
        e.text->SetStyle(fxlsOutline);
        e.Draw();
        const TRect f = e.Box(clRed);
        const int mx = (f.Left + f.Right) / 2, my = (f.Top + f.Bottom) / 2;
        for (TPoint p : {TPoint{f.Left - 1, f.Top - 1}, TPoint{f.Right, f.Top - 1}, TPoint{f.Left - 1, f.Bottom},
                         TPoint{f.Right, f.Bottom}, TPoint{mx, f.Top - 1}, TPoint{mx, f.Bottom}, TPoint{f.Left - 1, my},
                         TPoint{f.Right, my}})
            EXPECT_EQ(e.At(p.X, p.Y), clFuchsia) << p.X << "," << p.Y;
        EXPECT_EQ(e.At(f.Right + 1, my), clWhite);
    }
    {
        Engine e;
        e.text->Shadow()->SetEnabled(true);
        e.text->Shadow()->SetColor(clGray);
        e.text->Shadow()->SetXOffset(6);
        e.text->Shadow()->SetYOffset(4);
        e.Draw();
        const TRect f = e.Box(clRed);
        EXPECT_EQ(e.At(f.Right + 5, f.Bottom + 3), clGray);
        EXPECT_EQ(e.At(f.Right + 6, f.Bottom + 3), clWhite);
        EXPECT_EQ(e.At(f.Left + 2, f.Top + 2), clRed);
    }
}

TEST(FxTextStyles, ExtrusionLayersRunFromTheFarColourToTheNearOne) {
    auto extruded = [](Engine& e, TfxOrientation o, bool striated) {
        TfxExtrudeEffects& x = *e.text->ExtrudeEffects();
        x.SetEnabled(true);
        x.SetDepth(4);
        x.SetNearColor(RGB(0, 0, 255));
        x.SetFarColor(RGB(0, 255, 0));
        x.SetOrientation(o);
        x.SetStriated(striated);
        e.Draw();
        return e.Box(clRed);
    };
    // Layer i of 4 is far + (near - far) * i / 4, floored; the face covers the last.
    const TColor layer1 = RGB(0, 191, 63), layer2 = RGB(0, 127, 127), layer3 = RGB(0, 63, 191);
    {
        Engine e;
        const TRect f = extruded(e, fxBottomRight, false);
        EXPECT_EQ(e.At(f.Right, f.Bottom), layer3);
        EXPECT_EQ(e.At(f.Right + 1, f.Bottom + 1), layer2);
        EXPECT_EQ(e.At(f.Right + 2, f.Bottom + 2), layer1);
        EXPECT_EQ(e.At(f.Right + 3, f.Bottom + 3), clWhite);
        EXPECT_EQ(e.At(f.Left - 1, f.Top - 1), clWhite);
        EXPECT_EQ(e.Count(RGB(0, 0, 255)), 0);  // the near layer lies under the face
    }
    {
        Engine e;
        const TRect f = extruded(e, fxBottomRight, true);
        EXPECT_EQ(e.At(f.Right, f.Bottom), layer3);
        EXPECT_EQ(e.At(f.Right + 1, f.Bottom + 1), RGB(0, 127 / 4, 127 / 4));
        EXPECT_EQ(e.At(f.Right + 2, f.Bottom + 2), layer1);
    }
    {
        Engine e;
        const TRect f = extruded(e, fxTop, false);
        const int mx = (f.Left + f.Right) / 2;
        EXPECT_EQ(e.At(mx, f.Top - 1), layer3);
        EXPECT_EQ(e.At(mx, f.Top - 3), layer1);
        EXPECT_EQ(e.At(mx, f.Top - 4), clWhite);
        EXPECT_EQ(e.At(mx, f.Bottom), clWhite);
        EXPECT_EQ(e.At(f.Left - 1, f.Top - 1), clWhite);
    }
}

TEST(FxTextStyles, ADisabledOwnerDrawsTheLoweredLookInTheDisabledColours) {
    Engine e;
    e.enabled = false;
    e.text->DisabledColors()->SetHighlightColor(clYellow);
    e.text->DisabledColors()->SetShadeColor(clTeal);
    e.text->SetShadeColor(clBlue);
    e.Draw();
    const TRect f = e.Box(clTeal);
    EXPECT_GT(f.Width(), 8);
    EXPECT_EQ(e.Count(clRed), 0);
    EXPECT_EQ(e.At(f.Right, f.Bottom), clYellow);
    EXPECT_EQ(e.At(f.Left - 1, f.Top - 1), clWhite);  // no upper-left layer while disabled
    EXPECT_EQ(e.Count(clBlue), 0);

    // The extrusion keeps its own colours.
    Engine x;
    x.enabled = false;
    x.text->DisabledColors()->SetShadeColor(clTeal);
    x.text->ExtrudeEffects()->SetEnabled(true);
    x.text->ExtrudeEffects()->SetDepth(2);
    x.text->ExtrudeEffects()->SetOrientation(fxTop);
    x.text->ExtrudeEffects()->SetNearColor(clNavy);
    x.text->ExtrudeEffects()->SetFarColor(clNavy);
    x.Draw();
    const TRect g = x.Box(clTeal);
    EXPECT_EQ(x.At((g.Left + g.Right) / 2, g.Top - 1), clNavy);
}

TEST(FxTextCanvas, TheCanvasKeepsItsOwnFontThroughEveryDrawing) {
    Engine e("Menvaro");
    TFont own;
    own.SetName("DejaVu Sans Mono");
    own.SetHeight(-9);
    own.SetColor(clGreen);
    e.bmp.Canvas().Font().Assign(own);
    e.text->SetRotation(30);
    (void)e.text->CalcRect(true);
    EXPECT_TRUE(e.bmp.Canvas().Font().SameAs(own));
    for (TfxTextStyle s : {fxlsDefault, fxlsLowered, fxlsRaised, fxlsOutline}) {
        e.text->SetStyle(s);
        e.Draw();
        EXPECT_TRUE(e.bmp.Canvas().Font().SameAs(own)) << int(s);
    }
    e.enabled = false;
    e.text->SetStyle(fxlsDefault);
    e.Draw();
    EXPECT_TRUE(e.bmp.Canvas().Font().SameAs(own));
    // Also when the drawing fails half way.
    e.enabled = true;
    e.text->SetStyle(fxlsOutline);
    e.text->onOutline = [] { throw EInvalidOperation("no more ink"); };
    EXPECT_THROW(e.Draw(), EInvalidOperation);
    EXPECT_TRUE(e.bmp.Canvas().Font().SameAs(own));
}

TEST(FxTextCanvas, AnEmptyTextLeavesTheCanvasUntouched) {
    Engine e("");
    e.text->SetStyle(fxlsOutline);
    e.text->Shadow()->SetEnabled(true);
    e.text->ExtrudeEffects()->SetEnabled(true);
    e.Draw();
    EXPECT_EQ(e.Count(clWhite), 240 * 160);
}

TEST(FxTextSettings, SettersTellTheOwnerOnlyOfChanges) {
    struct Case {
        const char* what;
        std::function<void(TfxText&)> set;
        int adjusted, invalidated;
    };
    const std::vector<Case> cases = {
        {"same line spacing", [](TfxText& t) { t.SetLineSpacing(5); }, 0, 0},
        {"line spacing", [](TfxText& t) { t.SetLineSpacing(6); }, 1, 1},
        {"style", [](TfxText& t) { t.SetStyle(fxlsRaised); }, 1, 1},
        {"same style", [](TfxText& t) { t.SetStyle(fxlsDefault); }, 0, 0},
        {"alignment", [](TfxText& t) { t.SetAlignment(taRightJustify); }, 0, 1},
        {"highlight", [](TfxText& t) { t.SetHighlightColor(clAqua); }, 0, 1},
        {"word wrap", [](TfxText& t) { t.SetWordWrap(true); }, 0, 1},
        {"options", [](TfxText& t) { t.SetOptions({}); }, 1, 1},
        {"same options", [](TfxText& t) { t.SetOptions({toShowAccel}); }, 0, 0},
        {"shadow colour", [](TfxText& t) { t.Shadow()->SetColor(clRed); }, 0, 1},
        {"shadow on", [](TfxText& t) { t.Shadow()->SetEnabled(true); }, 1, 1},
        {"shadow offset", [](TfxText& t) { t.Shadow()->SetYOffset(2); }, 1, 1},
        {"same shadow offset", [](TfxText& t) { t.Shadow()->SetXOffset(10); }, 0, 0},
        {"extrusion depth", [](TfxText& t) { t.ExtrudeEffects()->SetDepth(3); }, 1, 1},
        {"extrusion colour", [](TfxText& t) { t.ExtrudeEffects()->SetNearColor(clNavy); }, 0, 1},
        {"extrusion side", [](TfxText& t) { t.ExtrudeEffects()->SetOrientation(fxLeft); }, 1, 1},
        {"striated", [](TfxText& t) { t.ExtrudeEffects()->SetStriated(true); }, 0, 1},
        {"disabled colour", [](TfxText& t) { t.DisabledColors()->SetShadeColor(clRed); }, 0, 1},
        {"same disabled colour", [](TfxText& t) { t.DisabledColors()->SetHighlightColor(clBtnHighlight); }, 0, 0},
        {"text", [](TfxText& t) { t.SetText("new"); }, 0, 0},
    };
    for (const Case& c : cases) {
        Engine e;
        c.set(*e.text);
        EXPECT_EQ(e.adjusted, c.adjusted) << c.what;
        EXPECT_EQ(e.invalidated, c.invalidated) << c.what;
    }
}

TEST(FxTextSettings, AssignCopiesTheLookButNeitherTheAlignmentNorTheDisabledColours) {
    Engine a("from"), b("to");
    a.text->SetHighlightColor(clAqua);
    a.text->SetShadeColor(clNavy);
    a.text->SetOutlineColor(clSilver);
    a.text->SetLineSpacing(9);
    a.text->SetOptions({toShowEllipsis});
    a.text->SetRotation(45);
    a.text->SetStyle(fxlsOutline);
    a.text->Shadow()->SetEnabled(true);
    a.text->Shadow()->SetXOffset(-2);
    a.text->ExtrudeEffects()->SetEnabled(true);
    a.text->ExtrudeEffects()->SetStriated(true);
    a.text->SetAlignment(taRightJustify);
    a.text->SetVAlignment(vaBottom);
    a.text->SetWordWrap(true);
    a.text->DisabledColors()->SetShadeColor(clRed);
    b.text->Assign(a.text.get());
    EXPECT_EQ(b.text->HighlightColor(), clAqua);
    EXPECT_EQ(b.text->ShadeColor(), clNavy);
    EXPECT_EQ(b.text->OutlineColor(), clSilver);
    EXPECT_EQ(b.text->LineSpacing(), 9);
    EXPECT_EQ(b.text->Options(), TfxTextOptions{toShowEllipsis});
    EXPECT_TRUE(b.text->Flags() & DT_NOPREFIX);
    EXPECT_EQ(b.text->Rotation(), 45);
    EXPECT_EQ(b.text->Style(), fxlsOutline);
    EXPECT_TRUE(b.text->Shadow()->Enabled());
    EXPECT_EQ(b.text->Shadow()->XOffset(), -2);
    EXPECT_TRUE(b.text->ExtrudeEffects()->Enabled());
    EXPECT_TRUE(b.text->ExtrudeEffects()->Striated());
    EXPECT_EQ(b.text->Text(), "from");
    EXPECT_EQ(b.text->Alignment(), taCenter);
    EXPECT_EQ(b.text->VAlignment(), vaVCenter);
    EXPECT_FALSE(b.text->WordWrap());
    EXPECT_EQ(b.text->DisabledColors()->ShadeColor(), clBtnShadow);
}

// The shared helpers: colours, geometry, string tokens, text measuring,
// regions from pictures, masked blits, the dither, tiling, the disabled
// look, the glyph layout and window invalidation.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>

#include "decorated/fxBitmap.h"
#include "decorated/fxCommon.h"
#include "decorated/fxGraphics.h"
#include "testsupport/ErrorMessage.h"
#include "testsupport/Pixels.h"
#include "testsupport/UiTest.h"
#include "ui/ExtCtrls.h"
#include "ui/WindowManager.h"

using namespace menvaro;

namespace {

TOwned<TfxBitmap> Picture(int w, int h, std::initializer_list<TColor> colours) {
    TOwned<TfxBitmap> b(Create<TfxBitmap>());
    b->SetSize(w, h);
    int i = 0;
    for (TColor c : colours) {
        std::uint8_t* p = b->RowTable()[i / w] + 3 * (i % w);
        p[0] = std::uint8_t(GetBValue(c)), p[1] = std::uint8_t(GetGValue(c)), p[2] = std::uint8_t(GetRValue(c));
        ++i;
    }
    return b;
}

std::string RowOf(const TBitmap& b, int y) {
    std::string out;
    for (int x = 0; x < b.Width(); ++x) {
        const TColor c = b.Pixel(x, y);
        out += c == clRed ? 'R' : c == clBlue ? 'B' : c == clLime ? 'G' : c == clWhite ? 'W' : c == clBlack ? 'K' : '?';
    }
    return out;
}

}  // namespace

TEST(FxColours, ConversionsBetweenColoursTriplesAndBytes) {
    EXPECT_EQ(fxColorToTriple(clRed), (TRGBTriple{0, 0, 255}));
    EXPECT_EQ(fxColorToTriple(clBtnShadow), (TRGBTriple{128, 128, 128}));
    EXPECT_EQ(fxTripleToColor(0x00112233u), RGB(0x11, 0x22, 0x33));
    EXPECT_EQ(fxTripleToColor(fxMakeTriple(1, 2, 3)), RGB(1, 2, 3));
    EXPECT_EQ(fxMakeTriple(1, 2, 3), (TRGBTriple{3, 2, 1}));
    EXPECT_EQ(fxColorToPacked(clBlue), 0x0000FFu);
    const TfxColorBytes b = fxColorToBytes(RGB(10, 20, 30));
    EXPECT_EQ(b.Top, 0);
    EXPECT_EQ(b.Blue, 30);
    EXPECT_EQ(b.Green, 20);
    EXPECT_EQ(b.Red, 10);
    EXPECT_EQ(fxColorToBytes(clNone).Top, 0x1F);
    EXPECT_EQ(fxClampByte(-1), 0);
    EXPECT_EQ(fxClampByte(256), 255);
    EXPECT_EQ(fxClampByte(77), 77);
    EXPECT_EQ(fxClamp(5, 0, 3), 3);
    EXPECT_EQ(fxClamp(-5, 0, 3), 0);
    EXPECT_EQ(fxClamp(5, 10, 3), 3) << "high is tested first";
    EXPECT_EQ(fxImageListColor(clNone), CLR_NONE);
    EXPECT_EQ(fxImageListColor(clDefault), CLR_DEFAULT);
    EXPECT_EQ(fxImageListColor(clBtnFace), 0xC0C0C0u);
}

TEST(FxColours, SwapRGBTurnsColourTableEntriesIntoPaletteEntries) {
    std::uint32_t v[3] = {0x44332211, 0xFF000000, 0x00ABCDEF};
    fxSwapRGB(v, 3);
    EXPECT_EQ(v[0], 0x00112233u);
    EXPECT_EQ(v[1], 0u);
    EXPECT_EQ(v[2], 0x00EFCDABu);
}

TEST(FxColours, ShadeColorStepsEachChannel) {
    struct S {
        TColor in;
        int amount;
        bool percent;
        TColor out;
    };
    const S cases[] = {
        {clRed, 20, true, RGB(255, 51, 51)},  // 0 + 255 * 20 div 100
        // 10 + 245 * 50 div 100 = 132, 20 + 117, 30 + 112.
        {RGB(10, 20, 30), 50, true, RGB(132, 137, 142)},
        {RGB(100, 100, 100), -50, true, RGB(50, 50, 50)},
        {RGB(100, 0, 255), -200, true, RGB(0, 0, 0)},
        {RGB(100, 0, 200), 30, false, RGB(130, 30, 230)},
        {RGB(250, 5, 128), 10, false, RGB(255, 15, 138)},
        {RGB(250, 5, 128), -10, false, RGB(240, 0, 118)},
        {clBtnFace, 0, true, RGB(192, 192, 192)},
        // 32-bit products: 255 * INT_MAX is 2^31 - 255, div 100 = 21474833;
        // 254 * INT_MAX is -254, div 100 = -2: 1 - 2 -> 0.
        {RGB(0, 0, 0), INT_MAX, true, RGB(255, 255, 255)},
        {RGB(1, 1, 1), INT_MAX, true, RGB(0, 0, 0)},
    };
    for (const S& c : cases)
        EXPECT_EQ(fxShadeColor(c.in, c.amount, c.percent), c.out) << std::hex << c.in << " " << std::dec << c.amount;
}

TEST(FxGeometry, RectanglesAndFitting) {
    EXPECT_TRUE(fxIsRectEmpty({0, 0, 0, 0}));
    EXPECT_FALSE(fxIsRectEmpty({5, 5, 5, 5}));
    EXPECT_EQ(fxRectWidth({3, 1, 10, 4}), 7);
    EXPECT_EQ(fxRectHeight({3, 1, 10, 4}), 3);
    TRect out;
    EXPECT_TRUE(fxIntersectRect(out, {0, 0, 10, 10}, {5, 5, 20, 20}));
    EXPECT_EQ(out, (TRect{5, 5, 10, 10}));
    EXPECT_FALSE(fxIntersectRect(out, {0, 0, 1, 1}, {5, 5, 20, 20}));
    std::uint32_t flags = 0x10;
    fxSetFlag(true, flags, 0x3);
    EXPECT_EQ(flags, 0x13u);
    fxSetFlag(false, flags, 0x11);
    EXPECT_EQ(flags, 0x2u);
    EXPECT_EQ(fxIf(true, 1, 2), 1);
    EXPECT_EQ(fxPoint(3, 4), (TPoint{3, 4}));
    // Wide picture in a square: the width fills; tall: the height does.
    EXPECT_EQ(fxFitRect({10, 20, 110, 120}, 200, 100), (TRect{10, 20, 110, 70}));
    EXPECT_EQ(fxFitRect({10, 20, 110, 120}, 100, 300), (TRect{10, 20, 43, 120}));
    EXPECT_EQ(fxFitRect({0, 0, 90, 60}, 3, 2), (TRect{0, 0, 90, 60}));
    // Nothing to fit divides by nothing.
    for (auto [r, w, h] : {std::tuple{TRect{0, 0, 0, 0}, 10, 10},
                           {TRect{5, 5, 5, 50}, 10, 10},
                           {TRect{0, 0, 10, 10}, 0, 10},
                           {TRect{0, 0, 10, 10}, 10, 0},
                           {TRect{9, 9, 1, 1}, 3, 3}})
        EXPECT_TRUE(fxIsRectEmpty(fxFitRect(r, w, h)));
}

TEST(FxStrings, TokensPositionsAndReplacing) {
    EXPECT_EQ(fxSubString("abcdef", 2, 4), "bc");
    EXPECT_EQ(fxSubString("abcdef", 3, 0), "cdef");
    EXPECT_EQ(fxSubString("abcdef", 0, 3), "ab");
    EXPECT_EQ(fxSubString("abcdef", 5, 2), "");
    EXPECT_EQ(fxPosFrom("b", "abcabc", 1), 2);
    EXPECT_EQ(fxPosFrom("b", "abcabc", 3), 5);
    EXPECT_EQ(fxPosFrom("b", "abcabc", 6), 0);
    EXPECT_EQ(fxPosFrom("b", "abcabc", 99), 0);
    EXPECT_EQ(fxNthPos("b", "abcabc", 0), 2);
    EXPECT_EQ(fxNthPos("b", "abcabc", 1), 5);
    EXPECT_EQ(fxNthPos("b", "abcabc", 2), 0) << "exactly N occurrences";
    EXPECT_EQ(fxNthPos("b", "abcabc", 3), 2) << "the searches start over after the miss";
    EXPECT_EQ(fxNthPos("b", "abcabc", INT_MAX), 5);  // INT_MAX mod 3 = 1
    EXPECT_EQ(fxNthPos("aa", "aaa", 1), 2);
    EXPECT_EQ(fxCountTokens("a, b, c", ", "), 3);
    EXPECT_EQ(fxGetToken("a, b, c", ", ", 1), "b");
    EXPECT_EQ(fxGetToken("a, b, c", ", ", 2), "c");
    EXPECT_EQ(fxGetToken("a, b, c", ", ", 3), "");
    EXPECT_EQ(fxGetToken("a, b, c", ", ", -1), "");
    EXPECT_EQ(fxTokenIndex("2 * 3", " ", "*"), 1);
    EXPECT_EQ(fxTokenIndex("2 * 3", " ", "+"), -1);
    EXPECT_EQ(fxCountTokens("aaa", "aa"), 3);
    EXPECT_EQ(fxCountTokens("", ","), 0);
    EXPECT_EQ(fxCountTokens("abc", ","), 1);
    EXPECT_EQ(fxGetToken("abc", ",", 0), "abc");
    EXPECT_EQ(fxGetToken(",x,", ",", 0), "");
    EXPECT_EQ(fxGetToken(",x,", ",", 1), "x");
    EXPECT_EQ(fxGetToken(",x,", ",", 2), "");
    EXPECT_EQ(fxReplaceAll("1  2   3", "  ", " "), "1 2  3");
    EXPECT_EQ(fxReplaceAll("aaaa", "aa", "b"), "bb");
    EXPECT_EQ(fxStripAccelerators("&Save && Exit"), "Save & Exit");
    EXPECT_EQ(fxStripAccelerators(std::string("a\0b&c", 5)), "a&bc");
}

TEST(FxStrings, AnEmptyDelimiterOrPatternNeverMatches) {
    EXPECT_EQ(fxPosFrom("", "abc", 1), 0);
    EXPECT_EQ(fxNthPos("", "abc", 5), 0);
    EXPECT_EQ(fxCountTokens("abc", ""), 1);
    EXPECT_EQ(fxGetToken("abc", "", 0), "abc");
    EXPECT_EQ(fxGetToken("abc", "", 1), "");
    EXPECT_EQ(fxTokenIndex("abc", "", "abc"), 0);
    EXPECT_EQ(fxReplaceAll("abc", "", "x"), "abc");
}

TEST(FxClasses, IsClassNamedWalksTheAncestorsIgnoringCase) {
    EXPECT_TRUE(fxIsClassNamed(TfxBitmap::StaticClass(), "TfxBitmap"));
    EXPECT_TRUE(fxIsClassNamed(TfxBitmap::StaticClass(), "tpersistent"));
    EXPECT_TRUE(fxIsClassNamed(TPanel::StaticClass(), "TWinControl"));
    EXPECT_FALSE(fxIsClassNamed(TfxBitmap::StaticClass(), "TComponent"));
}

TEST(FxDrawing, RegionFromBitmapRunsRowByRow) {
    auto line = Picture(3, 1, {clWhite, clRed, clWhite});
    auto r = fxRegionFromBitmap(*line, -1);
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->Rects(), (std::vector<TRect>{{1, 0, 2, 1}}));
    // An explicit key, runs that end at the edge, and two rows.
    auto two = Picture(4, 2, {clRed, clBlue, clBlue, clRed, clBlue, clRed, clBlue, clBlue});
    auto s = fxRegionFromBitmap(*two, clRed);
    ASSERT_TRUE(s.has_value());
    TRegion expected(TRect{1, 0, 3, 1});
    expected.Union(TRegion(TRect{0, 1, 1, 2})).Union(TRegion(TRect{2, 1, 4, 2}));
    EXPECT_EQ(*s, expected);
    EXPECT_TRUE(s->Contains(1, 0) && s->Contains(2, 0) && s->Contains(0, 1) && s->Contains(3, 1));
    EXPECT_FALSE(s->Contains(0, 0) || s->Contains(3, 0) || s->Contains(1, 1));
    EXPECT_FALSE(fxRegionFromBitmap(*Picture(2, 1, {clRed, clRed}), clRed).has_value()) << "all key colour";
    TOwned<TfxBitmap> empty(Create<TfxBitmap>());
    EXPECT_FALSE(fxRegionFromBitmap(*empty, -1).has_value());
}

TEST(FxDrawing, MaskBltShowsTheImageWhereTheMaskIsWhite) {
    TBitmap image(3, 1), mask(3, 1);
    image.SetPixel(0, 0, clRed), image.SetPixel(1, 0, clBlue), image.SetPixel(2, 0, clRed);
    mask.SetPixel(1, 0, clBlack);
    mask.SetMonochrome(true);
    for (bool offScreen : {false, true}) {
        TBitmap canvas(5, 1);
        canvas.Fill(clLime);
        canvas.Canvas().SetTextColor(clBlue);
        fxMaskBlt(canvas.Canvas(), {1, 0, 4, 1}, image, offScreen, mask);
        EXPECT_EQ(RowOf(canvas, 0), "GRGRG") << offScreen;
        EXPECT_EQ(canvas.Canvas().TextColor(), clBlue) << "the colours come back";
    }
}

TEST(FxDrawing, TransparentDrawBitmapLeavesTheKeyOut) {
    auto picture = Picture(3, 1, {clWhite, clRed, clWhite});
    TBitmap canvas(3, 1);
    canvas.Fill(clLime);
    fxTransparentDrawBitmap(canvas.Canvas(), {0, 0, 3, 1}, *picture, -1);
    EXPECT_EQ(RowOf(canvas, 0), "GRG");
    canvas.Fill(clLime);
    fxTransparentDrawBitmap(canvas.Canvas(), {0, 0, 3, 1}, *picture, clRed);
    EXPECT_EQ(RowOf(canvas, 0), "WGW");
    EXPECT_EQ(picture->TransparentColor(), clNone) << "the picture itself is left as it was";
}

TEST(FxDrawing, FillOutsideRegionTakesTheTransparentColour) {
    auto picture = Picture(3, 2, {});
    picture->SetTransparentColor(clBlue);
    fxFillOutsideRegion(*picture, TRegion(TRect{1, 0, 2, 2}));
    TBitmap out;
    out.Assign(*picture);
    EXPECT_EQ(RowOf(out, 0), "BWB");
    EXPECT_EQ(RowOf(out, 1), "BWB");
    picture->SetTransparentColor(clRed);
    fxFillOutsideRegion(*picture, TRegion(TRect{-5, -5, 10, 10}));
    out.Assign(*picture);
    EXPECT_EQ(RowOf(out, 0), "BWB");
}

TEST(FxDrawing, DitherFillIsACheckerboardOfTheTwoColours) {
    const TBrush brush = fxCreateDitherBrush();
    EXPECT_EQ(brush.Style(), bsPattern);
    EXPECT_EQ(brush.Pattern().Bits, (std::array<std::uint8_t, 8>{0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55}));
    TBitmap canvas(4, 2);
    fxDitherFill(canvas.Canvas(), {0, 0, 4, 2}, clRed, clBlue);
    EXPECT_EQ(RowOf(canvas, 0), "RBRB");
    EXPECT_EQ(RowOf(canvas, 1), "BRBR");
    EXPECT_EQ(test::ErrorMessage<EInvalidOperation>([&] {
                  fxDitherFill(canvas.Canvas(), {0, 0, 4, 2}, clRed, clNone);
              }),
              "Color2 cannot be clNone");
    EXPECT_EQ(RowOf(canvas, 0), "RBRB");
}

TEST(FxDrawing, DitherFillWithoutColor1DrawsOnlyTheColor2Squares) {
    // Where a fill with both colours would put them, also away from the corner.
    TBitmap canvas(4, 2);
    canvas.Fill(clLime);
    fxDitherFill(canvas.Canvas(), {1, 0, 4, 2}, clNone, clBlue);
    EXPECT_EQ(RowOf(canvas, 0), "GBGB");
    EXPECT_EQ(RowOf(canvas, 1), "GGBG");
    TBitmap both(4, 2);
    both.Fill(clLime);
    fxDitherFill(both.Canvas(), {1, 0, 4, 2}, clRed, clBlue);
    EXPECT_EQ(RowOf(both, 0), "GBRB");
    EXPECT_EQ(RowOf(both, 1), "GRBR");
}

TEST(FxDrawing, TileGraphicStartsAtTheCanvasOrigin) {
    TBitmap tile(2, 2);
    tile.SetPixel(0, 0, clRed), tile.SetPixel(1, 0, clBlue), tile.SetPixel(0, 1, clLime);
    TBitmap canvas(6, 3);
    canvas.Fill(clBlack);
    fxTileGraphic(tile, canvas.Canvas(), {1, 1, 5, 3});  // 4 wide, 2 high
    EXPECT_EQ(RowOf(canvas, 0), "RBRBKK");
    EXPECT_EQ(RowOf(canvas, 1), "GWGWKK");
    EXPECT_EQ(RowOf(canvas, 2), "KKKKKK");
    canvas.Fill(clBlack);
    fxTileGraphic(tile, canvas.Canvas(), {0, 0, INT_MAX, INT_MAX});
    EXPECT_EQ(RowOf(canvas, 2), "RBRBRB");
    TBitmap nothing;
    fxTileGraphic(nothing, canvas.Canvas(), {0, 0, 6, 3});
}

TEST(FxDrawing, DisabledBitmapEmbossesTheWhitePixels) {
    TBitmap source(3, 2);
    source.Fill(clBlack);
    source.SetPixel(0, 0, clWhite);
    source.SetPixel(2, 0, clRed);
    TBitmap dest(1, 1);
    fxDrawDisabledBitmap(source, dest);
    ASSERT_EQ(dest.Width(), 3);
    ASSERT_EQ(dest.Height(), 2);
    const TColor face = RGB(192, 192, 192), shadow = RGB(128, 128, 128);
    EXPECT_EQ(dest.Pixel(0, 0), shadow);
    EXPECT_EQ(dest.Pixel(1, 1), clWhite) << "the highlight, one down and right";
    for (auto [x, y] : {std::pair{1, 0}, {2, 0}, {0, 1}, {2, 1}}) EXPECT_EQ(dest.Pixel(x, y), face) << x << "," << y;
}

TEST(FxDrawing, ImageListImagesEnabledAndDisabled) {
    TOwned<TImageList> owned(Create<TImageList>(nullptr));
    TImageList& list = *owned;
    list.SetWidth(2);
    list.SetHeight(2);
    TBitmap image(2, 2), mask(2, 2);
    image.Fill(clRed);
    mask.Fill(clBlack);
    mask.SetPixel(1, 1, clWhite);  // transparent
    list.Add(image, &mask);
    TBitmap canvas(3, 3);
    canvas.Fill(clLime);
    fxDrawImageListImage(&list, 0, canvas.Canvas(), true, ILD_TRANSPARENT, 1, 1);
    EXPECT_EQ(canvas.Pixel(1, 1), clRed);
    EXPECT_EQ(canvas.Pixel(2, 2), clLime);
    TBitmap disabled(3, 3);
    disabled.Fill(clLime);
    fxDrawImageListImage(&list, 0, disabled.Canvas(), false, ILD_NORMAL, 0, 0);
    // The opaque pixels in highlight one down and right, then in shadow.
    const TColor shadow = RGB(128, 128, 128);
    EXPECT_EQ(disabled.Pixel(0, 0), shadow);
    EXPECT_EQ(disabled.Pixel(1, 0), shadow);
    EXPECT_EQ(disabled.Pixel(1, 1), clWhite);
    EXPECT_EQ(disabled.Pixel(2, 2), clLime) << "the mask's own hole";
    fxDrawImageListImage(nullptr, 0, disabled.Canvas(), true, ILD_NORMAL, 0, 0);
}

TEST(FxLayout, GlyphAndTextAroundACentreForEachSide) {
    struct L {
        TButtonLayout layout;
        TPoint text, glyph;
    };
    // Centre (50, 20), glyph 16 x 16, text 40 x 13, spacing 4: along the
    // axis of both the extent is 4 + 16 + 40 = 60 (or 4 + 17 + 13 = 34).
    const L cases[] = {
        {blGlyphLeft, {40, 14}, {20, 12}},
        {blGlyphRight, {20, 14}, {64, 12}},
        {blGlyphTop, {30, 23}, {42, 3}},
        {blGlyphBottom, {30, 3}, {42, 20}},
    };
    for (const L& c : cases) {
        TRect text, glyph;
        fxLayoutGlyphAndText({50, 20}, &text, &glyph, 4, c.layout, {16, 16}, {40, 13});
        EXPECT_EQ(text, Bounds(c.text.X, c.text.Y, 40, 13)) << c.layout;
        EXPECT_EQ(glyph, Bounds(c.glyph.X, c.glyph.Y, 16, 16)) << c.layout;
    }
    // Without a glyph the spacing becomes (3 - 6) div 2 = -1: the text's
    // extent 39 starts at 50 - 19, moved by -1 + 0.
    TRect text;
    fxLayoutGlyphAndText({50, 20}, &text, nullptr, 3, blGlyphLeft, {0, 0}, {40, 13});
    EXPECT_EQ(text, Bounds(30, 14, 40, 13));
    TRect glyph;
    fxLayoutGlyphAndText({50, 20}, nullptr, &glyph, 4, blGlyphTop, {0, 16}, {40, 13});
    EXPECT_EQ(glyph.TopLeft(), (TPoint{50, 6}));  // (4 - 6) div 2 = -1: 20 - (-1 + 17 + 13) div 2
}

TEST(FxText, HeightsAndSizesOfLines) {
    TBitmap b(10, 10);
    TCanvas& c = b.Canvas();
    const int line = c.TextHeight("Hg");
    EXPECT_EQ(fxTextHeight(c, DT_SINGLELINE, 100, "Hg"), line);
    EXPECT_EQ(fxTextHeight(c, DT_WORDBREAK, c.TextWidth("word") + 2, "word word"), 2 * line);
    TSize size{99, 99};
    fxMultiLineTextSize(c, "ab\r\nabcd", 3, size, 0, 0);
    EXPECT_EQ(size.cx, c.TextWidth("abcd"));
    EXPECT_EQ(size.cy, 2 * line + 3);
    fxMultiLineTextSize(c, "ab\r\nabcd\r\nx", 2, size, DT_SINGLELINE, 200);
    EXPECT_EQ(size.cx, c.TextWidth("abcd"));
    EXPECT_EQ(size.cy, 3 * line + 4);
    fxMultiLineTextSize(c, "", 5, size, 0, 0);
    EXPECT_EQ(size, (TSize{0, 0}));
}

class FxWindows : public ControlTest {};

TEST_F(FxWindows, InvalidationReachesTheWindowsItNames) {
    auto* a = Put<TPanel>(10, 10, 60, 60);
    auto* inner = Put<TPanel>(5, 5, 20, 20, a);
    auto* away = Put<TPanel>(200, 200, 40, 40);
    Pump();
    TRect r;
    ASSERT_FALSE(GetUpdateRect(a->Handle(), r));
    fxInvalidateWindowTree(a->Handle());
    EXPECT_TRUE(GetUpdateRect(a->Handle(), r));
    EXPECT_TRUE(GetUpdateRect(inner->Handle(), r));
    EXPECT_FALSE(GetUpdateRect(away->Handle(), r));
    Pump();
    fxInvalidateOverlapping(form->Handle(), inner->Handle());
    EXPECT_TRUE(GetUpdateRect(a->Handle(), r));
    EXPECT_TRUE(GetUpdateRect(inner->Handle(), r));
    EXPECT_FALSE(GetUpdateRect(away->Handle(), r));
    Pump();
    fxInvalidateParentArea(inner, true);
    ASSERT_TRUE(GetUpdateRect(a->Handle(), r));
    EXPECT_EQ(r, (TRect{5, 5, 25, 25}));
    EXPECT_FALSE(GetUpdateRect(away->Handle(), r));
    TOwned<TPanel> loose(Create<TPanel>(nullptr));
    fxInvalidateParentArea(loose.get(), false);
    fxInvalidateParentArea(nullptr, false);
}

#include <gtest/gtest.h>

#include <climits>

#include "gfx/Bitmap.h"
#include "gfx/Canvas.h"
#include "testsupport/Pixels.h"

using namespace menvaro;

namespace {

// The truth table, bit by bit: what every raster operation must give.
std::uint32_t Reference(unsigned rop, std::uint32_t p, std::uint32_t s, std::uint32_t d) {
    std::uint32_t r = 0;
    for (int bit = 0; bit < 24; ++bit) {
        const unsigned idx = ((p >> bit) & 1) * 4 + ((s >> bit) & 1) * 2 + ((d >> bit) & 1);
        r |= std::uint32_t((rop >> idx) & 1) << bit;
    }
    return r;
}

}  // namespace

TEST(RasterOps, EveryOperationFollowsItsTruthTable) {
    const std::uint32_t vals[][3] = {
        {0xF0F0F0, 0xCCCCCC, 0xAAAAAA}, {0x123456, 0xABCDEF, 0x0F0F0F}, {0, 0xFFFFFF, 0x808080}};
    for (unsigned rop = 0; rop < 256; ++rop)
        for (const auto& v : vals) ASSERT_EQ(ApplyRop3(rop, v[0], v[1], v[2]), Reference(rop, v[0], v[1], v[2])) << rop;
    EXPECT_TRUE(RopUsesSource(SRCCOPY));
    EXPECT_FALSE(RopUsesSource(PATCOPY));
    EXPECT_FALSE(RopUsesPattern(SRCCOPY));
    EXPECT_TRUE(RopUsesPattern(ROP_DSPDxax));
}

TEST(RasterOps, BitBltAppliesPatternSourceAndDestination) {
    const std::uint32_t rops[] = {SRCCOPY,   SRCINVERT, SRCAND,    SRCPAINT,    NOTSRCCOPY,
                                  DSTINVERT, PATCOPY,   ROP_DSna,  ROP_DSPDxax, MERGECOPY,
                                  PATINVERT, BLACKNESS, WHITENESS, 0x00960000,  0x001D0000};
    const TColor P = RGB(0xF0, 0x0F, 0x33), S = RGB(0xCC, 0x55, 0x0F), D = RGB(0xAA, 0x99, 0x3C);
    for (std::uint32_t rop : rops) {
        TBitmap src(4, 4), dst(4, 4);
        src.Fill(S);
        dst.Fill(D);
        dst.Canvas().Brush().SetColor(P);
        dst.Canvas().BitBlt(1, 1, 2, 2, src.Canvas(), 0, 0, rop);
        const std::uint32_t want = Reference(RopByte(rop), ColorToPixel(P), ColorToPixel(S), ColorToPixel(D));
        EXPECT_EQ(ColorToPixel(dst.Pixel(1, 1)), want) << std::hex << rop;
        EXPECT_EQ(ColorToPixel(dst.Pixel(2, 2)), want) << std::hex << rop;
        EXPECT_EQ(dst.Pixel(0, 0), D);
        EXPECT_EQ(dst.Pixel(3, 3), D);
        // PatBlt: the same without a source.
        if (!RopUsesSource(rop)) {
            TBitmap pb(2, 2);
            pb.Fill(D);
            pb.Canvas().Brush().SetColor(P);
            pb.Canvas().PatBlt(0, 0, 2, 2, rop);
            EXPECT_EQ(ColorToPixel(pb.Pixel(1, 1)), want) << std::hex << rop;
        }
    }
}

TEST(RasterOps, MonochromeConversions) {
    // Colour to mono: 1 (white) where the pixel equals the source's background colour.
    TBitmap colour(3, 1);
    colour.SetPixel(0, 0, clRed);
    colour.SetPixel(1, 0, clBlue);
    colour.SetPixel(2, 0, clRed);
    colour.Canvas().SetBkColor(clRed);
    TBitmap mono(3, 1);
    mono.SetMonochrome(true);
    mono.Canvas().BitBlt(0, 0, 3, 1, colour.Canvas(), 0, 0, SRCCOPY);
    EXPECT_EQ(mono.Pixel(0, 0), clWhite);
    EXPECT_EQ(mono.Pixel(1, 0), clBlack);
    EXPECT_EQ(mono.Pixel(2, 0), clWhite);
    // Mono to colour: white takes the target's background colour, black its text colour.
    TBitmap out(3, 1);
    out.Canvas().SetTextColor(clLime);
    out.Canvas().SetBkColor(clNavy);
    out.Canvas().BitBlt(0, 0, 3, 1, mono.Canvas(), 0, 0, SRCCOPY);
    EXPECT_EQ(out.Pixel(0, 0), clNavy);
    EXPECT_EQ(out.Pixel(1, 0), clLime);
    // Pens on a mono target take the nearer of black and white.
    mono.Canvas().Brush().SetColor(clSilver);
    mono.Canvas().FillRect(Rect(0, 0, 1, 1));
    EXPECT_EQ(mono.Pixel(0, 0), clWhite);
    mono.Canvas().Brush().SetColor(RGB(100, 100, 100));
    mono.Canvas().FillRect(Rect(0, 0, 1, 1));
    EXPECT_EQ(mono.Pixel(0, 0), clBlack);
    // Making a bitmap monochrome keeps white only.
    TBitmap conv(2, 1);
    conv.SetPixel(0, 0, clYellow);
    conv.SetMonochrome(true);
    EXPECT_EQ(conv.Pixel(0, 0), clBlack);
    EXPECT_EQ(conv.Pixel(1, 0), clWhite);
}

// The transparent blit of the decorated controls: image XOR, mask AND NOT, image XOR.
TEST(RasterOps, MaskedBlitKeepsTheBackgroundWhereTheMaskIsBlack) {
    TBitmap image(4, 1), mask(4, 1), target(4, 1);
    image.Fill(clRed);
    mask.SetMonochrome(true);
    mask.SetPixel(1, 0, clBlack);
    mask.SetPixel(2, 0, clBlack);
    target.Fill(clBlue);
    TCanvas& t = target.Canvas();
    t.SetBkColor(clWhite);
    t.SetTextColor(clBlack);
    t.BitBlt(0, 0, 4, 1, image.Canvas(), 0, 0, SRCINVERT);
    t.BitBlt(0, 0, 4, 1, mask.Canvas(), 0, 0, ROP_DSna);
    t.BitBlt(0, 0, 4, 1, image.Canvas(), 0, 0, SRCINVERT);
    EXPECT_EQ(target.Pixel(0, 0), clRed);
    EXPECT_EQ(target.Pixel(1, 0), clBlue);
    EXPECT_EQ(target.Pixel(2, 0), clBlue);
    EXPECT_EQ(target.Pixel(3, 0), clRed);
}

// The disabled look: mask blitted with 0xE20746, text white and background black.
TEST(RasterOps, DisabledGlyphEmboss) {
    TBitmap mask(3, 1), target(3, 1);
    mask.SetMonochrome(true);
    mask.SetPixel(1, 0, clBlack);
    target.Fill(clBtnFace);
    TCanvas& t = target.Canvas();
    t.Brush().SetColor(clBtnShadow);
    t.SetTextColor(clWhite);
    t.SetBkColor(clBlack);
    t.BitBlt(0, 0, 3, 1, mask.Canvas(), 0, 0, ROP_DSPDxax);
    EXPECT_EQ(target.Pixel(0, 0), ColorToRGB(clBtnFace));
    EXPECT_EQ(target.Pixel(1, 0), ColorToRGB(clBtnShadow));
}

TEST(Blit, StretchMirrorOverlapAndClip) {
    TBitmap src(2, 2);
    src.SetPixel(0, 0, clRed);
    src.SetPixel(1, 0, clLime);
    src.SetPixel(0, 1, clBlue);
    src.SetPixel(1, 1, clBlack);
    TBitmap big(4, 4);
    big.Canvas().StretchBlt(0, 0, 4, 4, src.Canvas(), 0, 0, 2, 2, SRCCOPY);
    EXPECT_EQ(big.Pixel(1, 1), clRed);
    EXPECT_EQ(big.Pixel(2, 0), clLime);
    EXPECT_EQ(big.Pixel(0, 3), clBlue);
    EXPECT_EQ(big.Pixel(3, 3), clBlack);
    TBitmap mir(2, 2);
    mir.Canvas().StretchBlt(2, 0, -2, 2, src.Canvas(), 0, 0, 2, 2, SRCCOPY);
    EXPECT_EQ(mir.Pixel(0, 0), clLime);
    EXPECT_EQ(mir.Pixel(1, 0), clRed);
    // Scrolling a canvas onto itself reads the pixels before writing them.
    TBitmap row(6, 1);
    for (int x = 0; x < 6; ++x) row.SetPixel(x, 0, RGB(x, 0, 0));
    row.Canvas().BitBlt(1, 0, 5, 1, row.Canvas(), 0, 0, SRCCOPY);
    for (int x = 1; x < 6; ++x) EXPECT_EQ(row.Pixel(x, 0), RGB(x - 1, 0, 0));
    // Clip and origin apply to the target; source outside its surface leaves pixels alone.
    TBitmap dst(6, 6);
    dst.Fill(clGreen);
    dst.Canvas().MoveOrigin(1, 1);
    dst.Canvas().IntersectClipRect(Rect(0, 0, 2, 2));
    dst.Canvas().BitBlt(-1, -1, 10, 10, src.Canvas(), -1, -1, NOTSRCCOPY);
    EXPECT_EQ(test::PixelsOf(dst, clGreen), CreateRectRgn(1, 1, 3, 3));
    EXPECT_EQ(dst.Pixel(1, 1), ColorToRGB(~clRed & 0xFFFFFF));
}

// Sizes at the ends of int: the visible part is drawn as the stretch places
// it, with nothing allocated or overflowing for the parts off the surface.
TEST(Blit, HugeSizesDrawTheirVisiblePart) {
    TBitmap src(2, 1);
    src.SetPixel(0, 0, clRed);
    src.SetPixel(1, 0, clBlue);
    struct Case {
        int x, w;
        TColor at0, at1;
    } cases[] = {
        {1, INT_MAX, clGreen, clRed},            // reaches past the right edge
        {3, INT_MIN, clRed, clRed},              // reaches left, mirrored: its end shows source column 0
        {2 - INT_MAX, INT_MAX, clBlue, clBlue},  // only its last columns show
    };
    for (const Case& c : cases) {
        TBitmap dst(4, 2);
        dst.Fill(clGreen);
        dst.Canvas().StretchBlt(c.x, 0, c.w, 2, src.Canvas(), 0, 0, 2, 1, SRCCOPY);
        EXPECT_EQ(dst.Pixel(0, 1), c.at0) << c.x << " " << c.w;
        EXPECT_EQ(dst.Pixel(1, 1), c.at1) << c.x << " " << c.w;
    }
    TBitmap dst(4, 2);
    dst.Fill(clGreen);
    dst.Canvas().CopyRect(Rect(INT_MIN, 0, INT_MAX, 2), src.Canvas(), Rect(0, 0, 2, 1));
    EXPECT_EQ(dst.Pixel(0, 0), clBlue);  // the middle of the stretch: source column 1
    dst.Canvas().Brush().SetColor(clYellow);
    dst.Canvas().PatBlt(2, 0, INT_MAX, 1, PATCOPY);
    dst.Canvas().PatBlt(1, 1, INT_MIN, 1, PATCOPY);
    EXPECT_EQ(test::PixelsOf(dst, 0, true, clYellow), TRegion(Rect(2, 0, 4, 1)).Union(TRegion(Rect(0, 1, 1, 2))));
}

TEST(Blit, DrawAndTransparentDraw) {
    TBitmap pic(3, 2);
    pic.Fill(clFuchsia);
    pic.SetPixel(1, 0, clRed);
    pic.SetPixel(0, 1, clLime);  // bottom-left: the automatic key colour
    TBitmap dst(5, 5);
    dst.Fill(clBlue);
    dst.Canvas().Draw(1, 1, pic);
    EXPECT_EQ(dst.Pixel(1, 1), clFuchsia);
    EXPECT_EQ(dst.Pixel(2, 1), clRed);
    pic.SetTransparent(true);
    pic.SetTransparentColor(clFuchsia);
    dst.Fill(clBlue);
    dst.Canvas().Draw(1, 1, pic);
    EXPECT_EQ(dst.Pixel(1, 1), clBlue);
    EXPECT_EQ(dst.Pixel(2, 1), clRed);
    EXPECT_EQ(dst.Pixel(1, 2), clLime);
    pic.SetTransparentMode(tmAuto);
    EXPECT_EQ(pic.TransparentColor(), clLime);
    dst.Fill(clBlue);
    dst.Canvas().StretchDraw(Rect(0, 0, 3, 4), pic);  // twice as high
    EXPECT_EQ(dst.Pixel(0, 2), clBlue);
    EXPECT_EQ(dst.Pixel(0, 0), clFuchsia);
}

TEST(Blit, TheCanvasTellsBeforeItReadsOrWritesItsPixels) {
    TBitmap a(4, 4), b(4, 4);
    std::string log;
    a.Canvas().OnAccess = [&](bool writing) { log += writing ? 'w' : 'r'; };
    a.Canvas().FillRect({0, 0, 2, 2});
    EXPECT_EQ(log.substr(0, 1), "w");
    log.clear();
    a.Canvas().Pixel(1, 1);
    EXPECT_EQ(log, "r");
    log.clear();
    b.Canvas().BitBlt(0, 0, 4, 4, a.Canvas(), 0, 0, SRCCOPY);
    EXPECT_EQ(log, "r") << "as a source";
    log.clear();
    a.Canvas().BitBlt(0, 0, 4, 4, b.Canvas(), 0, 0, SRCCOPY);
    a.Canvas().TextOut(0, 0, "x");
    a.Canvas().SetPixel(0, 0, clRed);
    EXPECT_EQ(log.find('r'), std::string::npos);
    EXPECT_GE(log.size(), 3u);
    log.clear();
    a.Canvas().ClipRect();
    a.Canvas().HasTarget();
    EXPECT_EQ(log, "") << "sizes are no pixels";
}

namespace {

// A graphic that copies itself into a bitmap its own way.
class SelfCopying : public TGraphic {
public:
    int Width() const override { return 1; }
    int Height() const override { return 1; }
    bool Empty() const override { return false; }
    void Draw(TCanvas&, const TRect&) const override {}
    void LoadFromStream(TStream&) override {}
    void SaveToStream(TStream&) const override {}
    std::unique_ptr<TGraphic> Clone() const override { return std::make_unique<SelfCopying>(); }
    const char* ClassName() const override { return "SelfCopying"; }
    bool AssignTo(TGraphic& dest) const override {
        auto* b = dynamic_cast<TBitmap*>(&dest);
        if (!b) return false;
        b->SetSize(3, 2);
        b->Fill(clRed);
        return true;
    }
};

}  // namespace

TEST(Blit, ABitmapTakesAGraphicThatCopiesItself) {
    TBitmap b;
    b.Assign(SelfCopying());
    EXPECT_EQ(b.Width(), 3);
    EXPECT_EQ(b.Pixel(2, 1), clRed);
}

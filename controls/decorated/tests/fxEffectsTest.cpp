// The pixel effects, pinned pixel by pixel on small pictures. Every expected
// value is worked out by hand from the effect's formula (the comments show
// the sums), never taken from the code under test.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <set>
#include <vector>

#include "FxPixels.h"
#include "decorated/fxBitmap.h"
#include "gfx/Canvas.h"
#include "testsupport/ErrorMessage.h"

using namespace menvaro;

namespace {

using fxtest::Picture;
using fxtest::Pixels;
using fxtest::Read;

constexpr std::uint32_t Rgb(int r, int g, int b) { return std::uint32_t(r) << 16 | std::uint32_t(g) << 8 | b; }
constexpr std::uint32_t Gray(int v) { return Rgb(v, v, v); }

// One pixel (red, green, blue) through an effect.
struct Case {
    const char* name;
    std::uint32_t in;
    std::uint32_t out;
};

template <class F>
void RunCases(const std::vector<Case>& cases, F effect) {
    for (const Case& c : cases) {
        auto b = Picture(1, 1, {c.in});
        effect(*b, c);
        EXPECT_EQ(Read(*b)[0], c.out) << c.name << std::hex << " in " << c.in;
    }
}

}  // namespace

TEST(Effects, LightnessTableWrapsAsThirtyTwoBitsForAnyAmount) {
    struct L {
        int amount;
        std::uint32_t in, out;
    };
    const L cases[] = {
        {256, Rgb(0, 100, 255), Gray(255)},
        {-256, Rgb(0, 100, 255), Gray(0)},
        {0, Rgb(1, 100, 254), Rgb(1, 100, 254)},
        // 100 + (155 * 64 shr 8 = 38); 0 + (255 * 64 shr 8 = 63); 255 stays.
        {64, Rgb(100, 0, 255), Rgb(138, 63, 255)},
        // 100 - (100 * 64 shr 8 = 25); 255 - (16320 shr 8 = 63); 0 stays.
        {-64, Rgb(100, 255, 0), Rgb(75, 192, 0)},
        // 2^25 * (255 - 127 = 2^7) is 2^32, 0 in 32 bits: 127 does not move;
        // 2^25 * 64 = 2^31, shr 8 = 2^23: 191 goes to 255.
        {1 << 25, Rgb(127, 191, 127), Rgb(127, 255, 127)},
        // |INT_MIN| is 2^31 in 32 bits: times an even channel 0, times an odd
        // one 2^31 (shr 8 = 2^23): odd channels go to 0.
        {INT_MIN, Rgb(100, 101, 254), Rgb(100, 0, 254)},
        // |-(2^25)| * 128 = 2^32 is 0; * 64 = 2^31.
        {-(1 << 25), Rgb(128, 64, 128), Rgb(128, 0, 128)},
    };
    for (const L& c : cases) {
        auto b = Picture(1, 1, {c.in});
        b->Lightness(c.amount);
        EXPECT_EQ(Read(*b)[0], c.out) << "Lightness(" << c.amount << ")";
    }
}

TEST(Effects, ContrastMovesAwayFrom128WithTheUpperHalfFrom127) {
    struct C {
        int amount;
        std::uint32_t in, out;
    };
    const C cases[] = {
        {0, Rgb(0, 127, 255), Rgb(0, 127, 255)},
        // 100 - 28; 127 + 1 (127 is in the upper half); 200 + 72 clamps.
        {256, Rgb(100, 127, 200), Rgb(72, 128, 255)},
        {256, Rgb(128, 0, 128), Rgb(128, 0, 128)},
        // 28 * 100 div 256 = 10; 72 * 100 div 256 = 28.
        {100, Rgb(100, 200, 128), Rgb(90, 228, 128)},
        // -2800 div 256 = -10 and -7200 div 256 = -28 (toward zero); 127: -100 div 256 = 0.
        {-100, Rgb(100, 200, 127), Rgb(110, 172, 127)},
        // 127 * 2^25 is -33554432 in 32 bits, div 256 = -131072: 255 falls to
        // 0 and 1 rises to 255; 128 * 2^25 = 2^32 is 0.
        {1 << 25, Rgb(1, 128, 255), Rgb(255, 128, 0)},
    };
    for (const C& c : cases) {
        auto b = Picture(1, 1, {c.in});
        b->Contrast(c.amount);
        EXPECT_EQ(Read(*b)[0], c.out) << "Contrast(" << c.amount << ")";
    }
}

TEST(Effects, GrayScaleAddsThirdsOfTheChannels) {
    RunCases(
        {
            {"3 + 6 + 10", Rgb(30, 20, 10), Gray(19)},
            {"thirds of 2 are 0", Gray(2), Gray(0)},
            {"white stays", Gray(255), Gray(255)},
            {"85 + 0 + 0", Rgb(255, 0, 0), Gray(85)},
        },
        [](TfxBitmap& b, const Case&) { b.GrayScale(); });
}

TEST(Effects, SaturationKeepsItsTableToSixteenBits) {
    struct S {
        int amount;
        std::uint32_t in, out;
    };
    const S cases[] = {
        {256, Rgb(30, 20, 10), Rgb(30, 20, 10)},
        {0, Rgb(30, 20, 10), Gray(19)},
        // gray 19, s[i] = 2i: c := 19 + 2c - 38.
        {512, Rgb(30, 20, 10), Rgb(41, 21, 1)},
        // s[i] = (i * 2^24 + 256 i) shr 8 = i * 2^16 + i, to 16 bits i: unchanged.
        {(1 << 24) + 256, Rgb(30, 20, 10), Rgb(30, 20, 10)},
        // -256: s[0] = 0, s[i] = 65536 - i. Gray of (red 40, green 20, blue 0)
        // is 13 + 6 + 0 = 19: red 19 + (65536 - 40) - (65536 - 19) = -2 -> 0,
        // green 38 - 20 = 18, blue 19 + 0 - 65517 -> 0.
        {-256, Rgb(40, 20, 0), Rgb(0, 18, 0)},
    };
    for (const S& c : cases) {
        auto b = Picture(1, 1, {c.in});
        b->Saturation(c.amount);
        EXPECT_EQ(Read(*b)[0], c.out) << "Saturation(" << c.amount << ")";
        // A large picture goes another way to the same values.
        auto large = Picture(130, 130, Pixels(130 * 130, c.in));
        large->Saturation(c.amount);
        EXPECT_EQ(Read(*large), Pixels(130 * 130, c.out)) << "Saturation(" << c.amount << ") on 130 x 130";
    }
}

TEST(Effects, InvertColorizeAndColorTint) {
    RunCases({{"255 - c", Rgb(0, 100, 255), Rgb(255, 155, 0)}}, [](TfxBitmap& b, const Case&) { b.Invert(); });
    RunCases(
        {
            // red 250 + 10, green 10 - 20, blue 100 + 300: all clamped.
            {"clamped", Rgb(250, 10, 100), Rgb(255, 0, 255)},
        },
        [](TfxBitmap& b, const Case&) { b.Colorize(10, -20, 300); });
    RunCases(
        {
            // 1 + INT_MAX wraps to INT_MIN in 32 bits: 0; 0 + INT_MAX: 255.
            {"wraps", Rgb(0, 0, 1), Rgb(0, 0, 0)},
            {"no wrap", Rgb(0, 0, 0), Rgb(0, 0, 255)},
        },
        [](TfxBitmap& b, const Case&) { b.Colorize(0, 0, INT_MAX); });
    RunCases({{"192 tints nothing", Rgb(12, 200, 77), Rgb(12, 200, 77)}},
             [](TfxBitmap& b, const Case&) { b.ColorTint(192, 192, 192); });
    // White tinted with red: red 255 - 192 + 255, green and blue 255 - 192 + 0.
    RunCases({{"red tint", Gray(255), Rgb(255, 63, 63)}}, [](TfxBitmap& b, const Case&) { b.ColorTint(255, 0, 0); });
}

TEST(Effects, ColorTintSparesTheTransparentColourUnlessItIsNone) {
    auto b = Picture(2, 1, {Rgb(0, 0, 255), Gray(255)});
    b->SetTransparentColor(clBlue);
    b->ColorTint(255, 0, 0);
    EXPECT_EQ(Read(*b), (Pixels{Rgb(0, 0, 255), Rgb(255, 63, 63)}));
    b->SetTransparentColor(clNone);
    b->ColorTint(192, 192, 0);
    // Red and green 192: unchanged; blue c - 192: 255 -> 63 and 63 -> 0.
    EXPECT_EQ(Read(*b), (Pixels{Rgb(0, 0, 63), Rgb(255, 63, 0)}));
}

TEST(Effects, AlphaBlendAddsTheFlooredShareOfTheDifference) {
    // Amount 128: white into black 0 + floor(128 * 255 / 256) = 127; black
    // into white 255 + floor(-127.5) = 127. Amount 64: 10 + floor(47.5) = 57,
    // 200 + floor(-47.5) = 152.
    auto b = Picture(2, 1, {Gray(0), Gray(255)});
    auto blend = Picture(2, 1, {Gray(255), Gray(0)});
    b->AlphaBlend(*blend, 128, false);
    EXPECT_EQ(Read(*b), (Pixels{Gray(127), Gray(127)}));
    auto c = Picture(2, 1, {Gray(10), Gray(200)});
    auto d = Picture(2, 1, {Gray(200), Gray(10)});
    c->AlphaBlend(*d, 64, false);
    EXPECT_EQ(Read(*c), (Pixels{Gray(57), Gray(152)}));
    c->AlphaBlend(*d, 0, false);
    EXPECT_EQ(Read(*c), (Pixels{Gray(57), Gray(152)}));
}

TEST(Effects, AlphaBlendLeavesThePixelsOfATransparentBlendsKeyAlone) {
    auto b = Picture(3, 1, {Gray(0), Gray(0), Gray(0)});
    auto blend = Picture(3, 1, {Rgb(255, 0, 0), Gray(255), Rgb(255, 0, 0)});
    blend->SetTransparent(true);
    b->AlphaBlend(*blend, 128, false);
    EXPECT_EQ(Read(*b), (Pixels{Gray(0), Gray(127), Gray(0)}));
}

TEST(Effects, AlphaBlendOfAnotherSizeRaisesOrStretches) {
    auto b = Picture(2, 2, {Gray(0), Gray(0), Gray(0), Gray(0)});
    auto small = Picture(1, 1, {Gray(255)});
    EXPECT_EQ(test::ErrorMessage<EInvalidOperation>([&] { b->AlphaBlend(*small, 128, false); }),
              "In Alpha Blend, Blend Bitmap must be same dimensions as Current Bitmap");
    EXPECT_EQ(Read(*b), (Pixels(4, Gray(0))));
    small->SetTransparent(true);  // kept on the stretched copy: its key is the one colour
    b->AlphaBlend(*small, 128, true);
    EXPECT_EQ(Read(*b), (Pixels(4, Gray(0))));
    EXPECT_TRUE(small->Transparent());
    small->SetTransparent(false);
    // The blend picture is drawn as it is; its links hear of nothing.
    int told = 0;
    small->OnChange = [&] { ++told; };
    b->AlphaBlend(*small, 128, true);
    EXPECT_EQ(Read(*b), (Pixels(4, Gray(127))));
    EXPECT_EQ(told, 0);
}

TEST(Effects, MakeMaskTakesThePackedKey) {
    auto b = Picture(3, 1, {Rgb(1, 2, 3), Rgb(3, 2, 1), Rgb(1, 2, 3)});
    b->MakeMask(0x010203);
    EXPECT_EQ(Read(*b), (Pixels{Gray(0), Gray(255), Gray(0)}));
}

TEST(Effects, BlurPassReadsTheLivePicture) {
    // One row 0, 100, 200 and distance 1 (rows clamp to row 0):
    // x0 = (2 * 100 + 2 * 0) shr 2 = 50; x1 = (2 * 200 + 2 * 50) shr 2 = 125
    // with x0 already blurred; x2 = (2 * 200 + 2 * 125) shr 2 = 162.
    auto b = Picture(3, 1, {Gray(0), Gray(100), Gray(200)});
    b->BlurPass(1);
    EXPECT_EQ(Read(*b), (Pixels{Gray(50), Gray(125), Gray(162)}));
    // The same down a column: the rows above are blurred already.
    auto c = Picture(1, 3, {Gray(0), Gray(100), Gray(200)});
    c->BlurPass(1);
    EXPECT_EQ(Read(*c), (Pixels{Gray(50), Gray(125), Gray(162)}));
    auto d = Picture(3, 1, {Gray(0), Gray(100), Gray(200)});
    d->BlurPass(0);
    EXPECT_EQ(Read(*d), (Pixels{Gray(0), Gray(100), Gray(200)}));
}

TEST(Effects, GaussianBlurRunsPassesDownToOne) {
    // Depth 2. Pass 2 reaches the ends: x0 = (2 * 200 + 2 * 0) shr 2 = 100,
    // x1 = (2 * 200 + 2 * 100) shr 2 = 150, x2 = (2 * 200 + 2 * 100) shr 2 = 150.
    // Pass 1: (2 * 150 + 2 * 100) shr 2 = 125, (2 * 150 + 2 * 125) shr 2 = 137,
    // (2 * 150 + 2 * 137) shr 2 = 143.
    auto b = Picture(3, 1, {Gray(0), Gray(100), Gray(200)});
    b->GaussianBlur(2);
    EXPECT_EQ(Read(*b), (Pixels{Gray(125), Gray(137), Gray(143)}));
    b->GaussianBlur(0);
    EXPECT_EQ(Read(*b), (Pixels{Gray(125), Gray(137), Gray(143)}));
    // Passes past the size of the picture are all alike; a huge depth ends.
    auto c = Picture(3, 1, {Gray(0), Gray(100), Gray(200)});
    auto d = Picture(3, 1, {Gray(0), Gray(100), Gray(200)});
    c->GaussianBlur(INT_MAX);
    for (int pass = 0; pass < 64; ++pass) d->BlurPass(3);
    d->GaussianBlur(3);
    EXPECT_EQ(Read(*c), Read(*d));
}

TEST(Effects, SharpenWeighsTheCentreAgainstItsEightNeighbours) {
    // One row 0, 100, 200, distance 1. x0: the grid's columns are 0, 0, 100 in
    // all three (clamped) rows: S = 3 * 100 + 2 * 0 (centre left out) = 300,
    // (0 - 4800) div 128 -> 0. x1: columns 0, 100, 200: S = 900 - 100 = 800,
    // (25600 - 12800) div 128 = 100. x2: columns 100, 200, 200: S = 1500 - 200,
    // (51200 - 20800) div 128 = 237.
    auto b = Picture(3, 1, {Gray(0), Gray(100), Gray(200)});
    b->Sharpen(1);
    EXPECT_EQ(Read(*b), (Pixels{Gray(0), Gray(100), Gray(237)}));
    auto c = Picture(3, 1, {Gray(0), Gray(100), Gray(200)});
    c->Sharpen(0);
    EXPECT_EQ(Read(*c), (Pixels{Gray(0), Gray(100), Gray(200)}));
}

TEST(Effects, EmbossAgainstTheLowerRightNeighbour) {
    // 2 x 3: row 0's partner is (min(x + 1, 1), 1) = 40: (215 + 10) shr 1 = 112,
    // (215 + 20) shr 1 = 117. The last two rows take column 1 of the last row
    // as it was, 60: (195 + 30) shr 1 = 112, (195 + 40) shr 1 = 117,
    // (195 + 50) shr 1 = 122, (195 + 60) shr 1 = 127.
    auto b = Picture(2, 3, {Gray(10), Gray(20), Gray(30), Gray(40), Gray(50), Gray(60)});
    b->Emboss();
    EXPECT_EQ(Read(*b), (Pixels{Gray(112), Gray(117), Gray(112), Gray(117), Gray(122), Gray(127)}));
}

TEST(Effects, EmbossOnPicturesUnderTwoPixelsClampsThePartner) {
    // 1 x 1: the partner is the pixel itself as it was: (155 + 100) shr 1.
    auto one = Picture(1, 1, {Gray(100)});
    one->Emboss();
    EXPECT_EQ(Read(*one), (Pixels{Gray(127)}));
    // 1 x 2: both rows take the last row's only pixel, 20.
    auto column = Picture(1, 2, {Gray(10), Gray(20)});
    column->Emboss();
    EXPECT_EQ(Read(*column), (Pixels{Gray(122), Gray(127)}));
    // 3 x 1: the one row is the last: column 1 of it, 50.
    auto row = Picture(3, 1, {Gray(10), Gray(50), Gray(90)});
    row->Emboss();
    EXPECT_EQ(Read(*row), (Pixels{Gray(107), Gray(127), Gray(147)}));
}

TEST(Effects, SpongeScattersPixelsOfThePictureOnly) {
    Pixels px;
    for (int i = 0; i < 48; ++i) px.push_back(Rgb(i, 2 * i, 3 * i));
    for (int amount : {0, 1, -5, INT_MIN}) {
        auto b = Picture(8, 6, px);
        b->Sponge(amount);
        EXPECT_EQ(Read(*b), px) << "Sponge(" << amount << ") moves nothing";
    }
    const std::set<std::uint32_t> colours(px.begin(), px.end());
    for (int amount : {3, INT_MAX}) {
        auto b = Picture(8, 6, px);
        b->Sponge(amount);
        for (std::uint32_t p : Read(*b)) EXPECT_TRUE(colours.count(p)) << std::hex << p;
    }
}

TEST(Effects, FlipMirrorsAndTwiceRestores) {
    const Pixels px{1, 2, 3, 4, 5, 6};
    auto b = Picture(3, 2, px);
    b->Flip(true);
    EXPECT_EQ(Read(*b), (Pixels{3, 2, 1, 6, 5, 4}));
    b->Flip(true);
    EXPECT_EQ(Read(*b), px);
    b->Flip(false);
    EXPECT_EQ(Read(*b), (Pixels{4, 5, 6, 1, 2, 3}));
    auto odd = Picture(2, 3, px);
    odd->Flip(false);
    EXPECT_EQ(Read(*odd), (Pixels{5, 6, 3, 4, 1, 2}));
    odd->Flip(false);
    EXPECT_EQ(Read(*odd), px);
    auto even = Picture(4, 1, {1, 2, 3, 4});
    even->Flip(true);
    EXPECT_EQ(Read(*even), (Pixels{4, 3, 2, 1}));
    // Wider rows: pixel k changes places with pixel w - 1 - k.
    for (int w : {7, 8, 9, 16, 23}) {
        Pixels row, mirrored;
        for (int k = 0; k < w; ++k) row.push_back(Rgb(k, 2 * k + 1, 3 * k + 2));
        for (int k = 0; k < w; ++k) mirrored.push_back(row[std::size_t(w - 1 - k)]);
        auto b = Picture(w, 1, row);
        b->Flip(true);
        EXPECT_EQ(Read(*b), mirrored) << w;
    }
}

namespace {

// Pixel (x, y) of the 3 x 3 wave pictures: 10 x + y + 1.
constexpr std::uint32_t P(int x, int y) { return std::uint32_t(10 * x + y + 1); }
const Pixels kGrid{P(0, 0), P(1, 0), P(2, 0), P(0, 1), P(1, 1), P(2, 1), P(0, 2), P(1, 2), P(2, 2)};
constexpr std::uint32_t W = 0xFFFFFF;

}  // namespace

TEST(Effects, WaveWithoutWrapLeavesWhiteWhereTheSourceIsOutside) {
    // Ratio 1, divisors 1: shifts Round(sin j) = 0, 1, 1 and start rows
    // Round(sin d) = 0, 1, 1. T(d, j) = P(s[j] + d, f + j):
    // d0: P(0,0), P(1,1), P(1,2); d1: P(1,1), P(2,2), out; d2: P(2,1), out, out.
    auto b = Picture(3, 3, kGrid);
    b->Wave(false, 1, 1, 1);
    EXPECT_EQ(Read(*b), (Pixels{P(0, 0), P(1, 1), P(2, 1), P(1, 1), P(2, 2), W, P(1, 2), W, W}));
}

TEST(Effects, WaveWithWrapFollowsItsOwnWrapRules) {
    // The same shifts wrapped: columns past the end come round (g mod 3), the
    // source row goes on from the start row and returns to row 0.
    auto b = Picture(3, 3, kGrid);
    b->Wave(true, 1, 1, 1);
    EXPECT_EQ(Read(*b), (Pixels{P(0, 0), P(1, 1), P(2, 1), P(1, 1), P(2, 2), P(0, 2), P(1, 2), P(2, 0), P(0, 0)}));
    // Ratio -1: shifts 0, -1, -1 and start rows 0, -1, -1. A negative g or f
    // becomes 3 - 1 - (1 mod 3) = 1 (not 2).
    auto c = Picture(3, 3, kGrid);
    c->Wave(true, 1, 1, -1);
    EXPECT_EQ(Read(*c), (Pixels{P(0, 0), P(1, 1), P(2, 1), P(1, 1), P(0, 2), P(1, 2), P(1, 2), P(0, 0), P(1, 0)}));
    // Ratio 5 with no row shift: start rows 0, Round(4.21) = 4, Round(4.55) = 5;
    // past the end they are taken mod (3 - 1): 0 and 1.
    auto d = Picture(3, 3, kGrid);
    d->Wave(true, 1, 1e12, 5);
    EXPECT_EQ(Read(*d), (Pixels{P(0, 0), P(1, 0), P(2, 1), P(0, 1), P(1, 1), P(2, 2), P(0, 2), P(1, 2), P(2, 0)}));
}

TEST(Effects, WaveRoundsHalvesToEvenAndTakesNoSineOfHugeArguments) {
    // Row 1 shifts by Round(r * sin(pi / 2)): 2.5 -> 2, 3.5 -> 4.
    const Pixels px{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    auto b = Picture(5, 2, px);
    b->Wave(false, 1e12, 2 / M_PI, 2.5);
    EXPECT_EQ(Read(*b), (Pixels{1, 2, 3, 4, 5, 8, 9, 10, W, W}));
    auto c = Picture(5, 2, px);
    c->Wave(false, 1e12, 2 / M_PI, 3.5);
    EXPECT_EQ(Read(*c), (Pixels{1, 2, 3, 4, 5, 10, W, W, W, W}));
    // d / 1e-300 is past 2^63 for every column but 0: its sine is 0.
    auto d = Picture(5, 2, px);
    d->Wave(false, 1e-300, 1e12, 3);
    EXPECT_EQ(Read(*d), px);
}

TEST(Effects, WaveOfRatioZeroOrDivisorZeroChangesNothing) {
    for (bool wrap : {false, true}) {
        auto b = Picture(3, 3, kGrid);
        b->Wave(wrap, 2, 3, 0);
        EXPECT_EQ(Read(*b), kGrid);
        b->Wave(wrap, 0, 3, 5);
        b->Wave(wrap, 2, 0, 5);
        EXPECT_EQ(Read(*b), kGrid);
    }
    // One row with a start row past it: row 0 (the only one).
    auto row = Picture(2, 1, {1, 2});
    row->Wave(true, 1, 1e12, 5);
    EXPECT_EQ(Read(*row), (Pixels{1, 2}));
}

TEST(Effects, RotateTurnsAboutTheCentreWithDivisionTowardZero) {
    auto b = Picture(3, 3, kGrid);
    b->Rotate({-1, -1}, 0);
    EXPECT_EQ(Read(*b), kGrid);
    // 45 degrees about (1, 1): sx = (Round(0.7071 (dx + dy)) - 1) div 2 + 1,
    // sy = (Round(0.7071 (dy - dx)) - 1) div 2 + 1. At (0, 0) sy is
    // (0 - 1) div 2 + 1 = 1 (toward zero); at (2, 0) sy = (-3 - 1) div 2 + 1 = -1:
    // outside, so the top-left colour.
    b->Rotate({-1, -1}, 45);
    EXPECT_EQ(Read(*b), (Pixels{P(0, 1), P(1, 0), P(0, 0), P(1, 1), P(1, 1), P(2, 0), P(1, 2), P(2, 1), P(2, 1)}));
    // 90 degrees: row y becomes P(y, 1), P(y, 0), fill.
    auto c = Picture(3, 3, kGrid);
    c->Rotate({1, 1}, 90);
    EXPECT_EQ(Read(*c), (Pixels{P(0, 1), P(0, 0), P(0, 0), P(1, 1), P(1, 0), P(0, 0), P(2, 1), P(2, 0), P(0, 0)}));
    // A centre far away leaves only the fill, without overflow.
    auto d = Picture(3, 3, kGrid);
    d->Rotate({INT_MAX, INT_MAX}, 180);
    EXPECT_EQ(Read(*d), Pixels(9, P(0, 0)));
}

TEST(Effects, EveryEffectOnAnEmptyPictureDoesNothing) {
    TOwned<TfxBitmap> b(Create<TfxBitmap>());
    TOwned<TfxBitmap> other(Create<TfxBitmap>());
    b->Lightness(10), b->Contrast(10), b->Saturation(10), b->GrayScale(), b->Invert(), b->Colorize(1, 2, 3);
    b->ColorTint(1, 2, 3), b->MakeMask(0), b->BlurPass(2), b->GaussianBlur(INT_MAX), b->Sharpen(1), b->Emboss();
    b->Sponge(5), b->Flip(true), b->Flip(false), b->Wave(true, 1, 1, 3), b->Rotate({-1, -1}, 30);
    b->AlphaBlend(*other, 100, false);
    EXPECT_TRUE(b->Empty());
    EXPECT_EQ(b->Bits(), nullptr);
    EXPECT_TRUE(b->GetMask().Empty()) << "no key is read from an empty picture";
    b->SetTransparent(true);
    TBitmap target(2, 2);
    target.Fill(clRed);
    b->TransparentDraw(target.Canvas(), {0, 0, 2, 2});
    b->SmoothStretchDraw(target.Canvas(), {0, 0, 2, 2});
    b->TileDraw(target.Canvas(), {0, 0, 2, 2});
    EXPECT_EQ(target.Pixel(1, 1), clRed);
}

TEST(Effects, RoundingNoNumberGivesNoPixelAndNoFault) {
    // Round of NaN is the FPU's integer indefinite: every source lies outside.
    auto b = Picture(3, 3, kGrid);
    b->Rotate({-1, -1}, std::nan(""));
    EXPECT_EQ(Read(*b), Pixels(9, P(0, 0)));
    auto c = Picture(3, 3, kGrid);
    c->Wave(false, 1, 1, std::nan(""));
    EXPECT_EQ(Read(*c), Pixels(9, W));
    auto d = Picture(3, 3, kGrid);
    d->Wave(true, 1, 1, 1e300);
    const std::set<std::uint32_t> colours(kGrid.begin(), kGrid.end());
    for (std::uint32_t p : Read(*d)) EXPECT_TRUE(colours.count(p)) << p;
}

TEST(Effects, EffectsWorkPastThePadding) {
    // Width 5: one padding byte a row, which no effect writes.
    Pixels px;
    for (int i = 0; i < 10; ++i) px.push_back(Gray(20 * i));
    auto b = Picture(5, 2, px);
    b->Invert();
    b->Flip(false);
    b->Rotate({-1, -1}, 10);
    b->Wave(true, 1, 1, 2);
    EXPECT_EQ(b->RowTable()[0][15], 0);
    EXPECT_EQ(b->RowTable()[1][15], 0);
}

#include <gtest/gtest.h>

#include <random>

#include "base/Streams.h"
#include "gfx/Bmp.h"
#include "testsupport/Images.h"

using namespace menvaro;

namespace {

TBitmap Sample(int w, int h) {
    TBitmap b(w, h);
    const TColor cols[] = {clRed, clLime, clBlue, clWhite, clBlack, clYellow, clTeal, clGray};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) b.SetPixel(x, y, cols[(x + 3 * y) % 8]);
    return b;
}

std::string Save(const TBitmap& b) {
    TMemoryStream s;
    b.SaveToStream(s);
    return s.Bytes();
}

}  // namespace

TEST(Bmp, RoundTripsEveryDepth) {
    for (TPixelFormat f : {pf4bit, pf8bit, pf24bit, pf32bit}) {
        for (int w : {1, 3, 5, 8, 13}) {
            TBitmap b = Sample(w, 4);
            b.SetPixelFormat(f);
            TMemoryStream s(Save(b));
            TBitmap back;
            back.LoadFromStream(s);
            ASSERT_EQ(back.Width(), w);
            ASSERT_EQ(back.Height(), 4);
            EXPECT_EQ(back.PixelFormat(), f);
            for (int y = 0; y < 4; ++y)
                for (int x = 0; x < w; ++x) ASSERT_EQ(back.Pixel(x, y), b.Pixel(x, y)) << f << " " << x << "," << y;
            EXPECT_EQ(s.Position(), s.Size());
        }
    }
    // 1 bit: black and white; 16 bits: 5 bits a channel.
    TBitmap m = Sample(9, 3);
    m.SetMonochrome(true);
    TMemoryStream ms(Save(m));
    TBitmap mb;
    mb.LoadFromStream(ms);
    EXPECT_TRUE(mb.Monochrome());
    for (int x = 0; x < 9; ++x) EXPECT_EQ(mb.Pixel(x, 1), m.Pixel(x, 1));
    TBitmap s16 = Sample(5, 2);
    s16.SetPixelFormat(pf16bit);
    TMemoryStream s(Save(s16));
    TBitmap b16;
    b16.LoadFromStream(s);
    EXPECT_EQ(b16.Pixel(0, 0), clRed);
    EXPECT_EQ(b16.Pixel(2, 0), clBlue);
}

// A top-down 4-bit file with a 3-colour palette; a hand-made core-header
// 8-bit file whose palette is cut short.
TEST(Bmp, ReadsPalettesAndBothRowOrders) {
    const std::vector<std::uint8_t> f = test::MakeBmp({.width = 3,
                                                       .height = -2,
                                                       .bitCount = 4,
                                                       .colorsUsed = 3,
                                                       .palette = {clRed, clLime, clBlue},
                                                       .rows = {0x01, 0x20, 0, 0, 0x21, 0x00, 0, 0}});
    TBitmap b;
    ReadBmp(f.data(), f.size(), b);
    ASSERT_EQ(b.Width(), 3);
    ASSERT_EQ(b.Height(), 2);
    EXPECT_EQ(b.Pixel(0, 0), clRed);
    EXPECT_EQ(b.Pixel(1, 0), clLime);
    EXPECT_EQ(b.Pixel(2, 0), clBlue);
    EXPECT_EQ(b.Pixel(0, 1), clBlue);
    EXPECT_EQ(b.Pixel(1, 1), clLime);
    EXPECT_EQ(b.Pixel(2, 1), clRed);
    EXPECT_EQ(b.Palette().size(), 3u);
    std::vector<std::uint8_t> core = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 14 + 12 + 6, 0, 0,   0,   12,  0, 0,
                                      0,   1,   0, 2, 0, 1, 0, 8, 0, 0, 0,           0, 255, 255, 255,  // black, white
                                      1,   0,   0, 0, 0, 0, 0, 0};
    // 256-entry palette expected for an 8-bit core file without a count: too short.
    EXPECT_THROW(ReadBmp(core.data(), core.size(), b), EInvalidGraphic);
}

// Bit-field files: each channel scaled from its mask's width, a mask of all
// 32 bits included (a hostile file once sent the mask scan past bit 31).
TEST(Bmp, BitFieldMasksOfAnyWidth) {
    auto file = [](int bpp, std::uint32_t r, std::uint32_t g, std::uint32_t b, std::uint32_t pixel) {
        std::vector<std::uint8_t> rows;
        for (int i = 0; i < 4; ++i) rows.push_back(std::uint8_t(pixel >> (8 * i)));
        return test::MakeBmp({.bitCount = bpp, .compression = 3, .masks = {r, g, b}, .rows = rows});
    };
    struct Case {
        int bpp;
        std::uint32_t r, g, b, pixel;
        TColor want;
        TPixelFormat format;
    } cases[] = {
        {32, 0xFFFFFFFF, 0xFF00, 0xFF, 0xFFFFFFFF, clWhite, pf32bit},
        {32, 0xFFFFFFFF, 0, 0, 0x80000000, RGB(128, 0, 0), pf32bit},
        {32, 0xFF000000, 0xFF0000, 0xFF00, 0x11223344, RGB(0x11, 0x22, 0x33), pf32bit},
        {16, 0xF800, 0x07E0, 0x001F, 0xF800, clRed, pf16bit},
        {16, 0xFFFFFFFF, 0, 0, 0xFFFF, clBlack, pf15bit},  // the mask's upper half lies past the pixel
    };
    for (const Case& c : cases) {
        const std::vector<std::uint8_t> d = file(c.bpp, c.r, c.g, c.b, c.pixel);
        TBitmap b;
        ReadBmp(d.data(), d.size(), b);
        EXPECT_EQ(b.Pixel(0, 0), c.want) << std::hex << c.r << " " << c.pixel;
        EXPECT_EQ(b.PixelFormat(), c.format) << std::hex << c.r;
    }
}

TEST(Bmp, DamagedHeadersAreErrors) {
    const std::string good = Save(Sample(6, 5));
    auto with = [&](std::size_t at, std::uint8_t v) {
        std::string d = good;
        d[at] = char(v);
        return d;
    };
    const std::vector<std::string> bad = {
        "",
        "BM",
        with(0, 'X'),
        with(14, 41) /* header size */,
        with(26, 2) /* planes */,
        with(28, 7) /* bit count */,
        with(30, 1) /* RLE */,
        with(21, 0x80) /* negative width */,
        with(19, 0x7F) /* huge width */,
        with(22, 0) /* zero height (low byte) */,
        good.substr(0, good.size() - 1),
        with(12, 0x7F) /* offset past the end */,
        with(10, 2) /* pixels inside the header */,
    };
    for (std::size_t i = 0; i < bad.size(); ++i) {
        TBitmap b = Sample(2, 2);
        TMemoryStream s(bad[i]);
        EXPECT_THROW(b.LoadFromStream(s), EInvalidGraphic) << i;
        EXPECT_EQ(b.Width(), 2);  // unchanged
    }
    std::string p8 = good;
    TBitmap pal = Sample(4, 4);
    pal.SetPixelFormat(pf8bit);
    std::string d = Save(pal);
    d[46] = char(0xFF);  // colours used: 255 + 256*n
    d[47] = char(0x01);
    TMemoryStream s(d);
    TBitmap b;
    EXPECT_THROW(b.LoadFromStream(s), EInvalidGraphic);
}

TEST(Bmp, FuzzedFilesNeverCrash) {
    std::mt19937 rng(99);
    std::vector<std::string> seeds;
    for (TPixelFormat f : {pf1bit, pf4bit, pf8bit, pf16bit, pf24bit, pf32bit}) {
        TBitmap b = Sample(7, 5);
        b.SetPixelFormat(f);
        seeds.push_back(Save(b));
    }
    int ok = 0;
    for (int round = 0; round < 4000; ++round) {
        std::string d = seeds[rng() % seeds.size()];
        const int flips = 1 + int(rng() % 4);
        for (int i = 0; i < flips; ++i) {
            // Mostly the headers, where damage matters.
            const std::size_t at = rng() % 4 ? rng() % std::min<std::size_t>(d.size(), 70) : rng() % d.size();
            d[at] = char(rng());
        }
        if (rng() % 4 == 0) d.resize(rng() % (d.size() + 1));
        TMemoryStream s(d);
        TBitmap b;
        try {
            b.LoadFromStream(s);
            ++ok;
            EXPECT_LE(std::int64_t(b.Width()) * b.Height(), 1 << 26);
        } catch (const EInvalidGraphic&) {
        } catch (const EReadError&) {
        }
    }
    EXPECT_GT(ok, 0);
}

TEST(Bmp, DibRowViews) {
    TBitmap b = Sample(5, 2);
    const std::vector<std::uint8_t> rows = GetDIBits(b, 24);
    ASSERT_EQ(rows.size(), std::size_t(DIBStride(5, 24) * 2));
    EXPECT_EQ(rows[0], 0);  // red pixel: blue byte first
    EXPECT_EQ(rows[2], 255);
    TBitmap back;
    SetDIBits(back, 5, 2, rows.data(), rows.size(), 24);
    for (int x = 0; x < 5; ++x) EXPECT_EQ(back.Pixel(x, 1), b.Pixel(x, 1));
    TBitmap m(10, 1);
    m.SetMonochrome(true);
    m.SetPixel(0, 0, clBlack);
    m.SetPixel(9, 0, clBlack);
    const std::vector<std::uint8_t> bits = GetDIBits(m, 1);
    EXPECT_EQ(bits[0], 0x7F);
    EXPECT_EQ(bits[1], 0x80);
    const TColor pal[2] = {clRed, clBlue};
    TBitmap two;
    SetDIBits(two, 10, 1, bits.data(), bits.size(), 1, false, pal);
    EXPECT_EQ(two.Pixel(0, 0), clRed);
    EXPECT_EQ(two.Pixel(1, 0), clBlue);
    EXPECT_THROW(SetDIBits(two, 10, 3, bits.data(), bits.size(), 1), EInvalidArgument);
    // A size past the bitmap's limits is refused before its row length is worked out.
    for (int bitCount : {1, 24, 32})
        EXPECT_THROW(SetDIBits(two, 1 << 27, 1, bits.data(), bits.size(), bitCount), EInvalidArgument) << bitCount;
    EXPECT_THROW(SetDIBits(two, 1, 1 << 30, bits.data(), bits.size(), 32), EInvalidArgument);
    EXPECT_EQ(two.Width(), 10);  // unchanged
}

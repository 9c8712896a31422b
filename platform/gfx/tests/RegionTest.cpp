#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "base/Exceptions.h"
#include "gfx/Region.h"
#include "testsupport/Pixels.h"

using namespace menvaro;

TEST(Region, RectanglesAreHalfOpenAndOrdered) {
    TRegion r = CreateRectRgn(10, 20, 5, 2);  // corners in either order
    EXPECT_EQ(r.BoundingBox(), Rect(5, 2, 10, 20));
    EXPECT_TRUE(r.Contains(5, 2));
    EXPECT_TRUE(r.Contains(9, 19));
    EXPECT_FALSE(r.Contains(10, 19));
    EXPECT_FALSE(r.Contains(9, 20));
    EXPECT_EQ(r.Kind(), SIMPLEREGION);
    EXPECT_EQ(CreateRectRgn(3, 3, 3, 9).Kind(), NULLREGION);
    EXPECT_EQ(TRegion().BoundingBox(), TRect{});
}

TEST(Region, CombineModes) {
    const TRegion a = CreateRectRgn(0, 0, 10, 10), b = CreateRectRgn(5, 5, 15, 15);
    TRegion d;
    struct Case {
        int mode, kind;
        int area;
    } cases[] = {{RGN_AND, SIMPLEREGION, 25},
                 {RGN_OR, COMPLEXREGION, 175},
                 {RGN_XOR, COMPLEXREGION, 150},
                 {RGN_DIFF, COMPLEXREGION, 75},
                 {RGN_COPY, SIMPLEREGION, 100}};
    for (const Case& c : cases) {
        EXPECT_EQ(CombineRgn(d, a, b, c.mode), c.kind) << c.mode;
        int area = 0;
        for (const TRect& r : d.Rects()) area += r.Width() * r.Height();
        EXPECT_EQ(area, c.area) << c.mode;
    }
    EXPECT_EQ(CombineRgn(d, a, b, 99), RGN_ERROR);
    CombineRgn(d, a, b, RGN_XOR);
    EXPECT_TRUE(d.Contains(0, 0));
    EXPECT_FALSE(d.Contains(7, 7));
    EXPECT_TRUE(d.Contains(14, 14));
    TRegion same = CreateRectRgn(0, 0, 10, 10);
    EXPECT_TRUE(EqualRgn(a, same));
    same.Offset(3, -2);
    EXPECT_EQ(same.BoundingBox(), Rect(3, -2, 13, 8));
}

TEST(Region, EllipseAndRoundRectShapes) {
    // A 1-pixel-high ellipse is its whole row; a 5x5 one a rounded disc.
    EXPECT_EQ(CreateEllipticRgn(0, 0, 7, 1), CreateRectRgn(0, 0, 7, 1));
    const TRegion e = CreateEllipticRgn(0, 0, 5, 5);
    EXPECT_TRUE(e.Contains(2, 0));
    EXPECT_FALSE(e.Contains(0, 0));
    EXPECT_FALSE(e.Contains(4, 4));
    EXPECT_TRUE(e.Contains(0, 2));
    EXPECT_TRUE(e.Contains(4, 2));
    EXPECT_EQ(e.BoundingBox(), Rect(0, 0, 5, 5));
    // Symmetric about both axes.
    const TRegion big = CreateEllipticRgn(10, 20, 41, 37);
    for (int y = 20; y < 37; ++y)
        for (int x = 10; x < 41; ++x) {
            EXPECT_EQ(big.Contains(x, y), big.Contains(50 - x, y));
            EXPECT_EQ(big.Contains(x, y), big.Contains(x, 56 - y));
        }
    // Round corners of 0 give the rectangle; corners as large as the box the ellipse.
    EXPECT_EQ(CreateRoundRectRgn(0, 0, 20, 10, 0, 0), CreateRectRgn(0, 0, 20, 10));
    EXPECT_EQ(CreateRoundRectRgn(0, 0, 20, 10, 20, 10), CreateEllipticRgn(0, 0, 20, 10));
    EXPECT_EQ(CreateRoundRectRgn(0, 0, 20, 10, 99, 99), CreateEllipticRgn(0, 0, 20, 10));
    const TRegion rr = CreateRoundRectRgn(0, 0, 40, 30, 10, 10);
    EXPECT_FALSE(rr.Contains(0, 0));
    EXPECT_TRUE(rr.Contains(5, 0));
    EXPECT_TRUE(rr.Contains(0, 15));
    EXPECT_TRUE(rr.Contains(39, 15));
    EXPECT_FALSE(rr.Contains(39, 29));
    EXPECT_EQ(rr.BoundingBox(), Rect(0, 0, 40, 30));
}

TEST(Region, PolygonFillModes) {
    // A square: right and bottom edges excluded.
    EXPECT_EQ(CreatePolygonRgn({{0, 0}, {10, 0}, {10, 10}, {0, 10}}, ALTERNATE), CreateRectRgn(0, 0, 10, 10));
    // A pentagram: its centre is out with ALTERNATE and in with WINDING.
    const TPoint star[] = {{50, 0}, {79, 90}, {2, 35}, {97, 35}, {21, 90}};
    const TRegion alt = CreatePolygonRgn(star, 5, ALTERNATE);
    const TRegion win = CreatePolygonRgn(star, 5, WINDING);
    EXPECT_FALSE(alt.Contains(50, 50));
    EXPECT_TRUE(win.Contains(50, 50));
    EXPECT_TRUE(alt.Contains(50, 10));
    EXPECT_TRUE(win.Contains(50, 10));
    TRegion diff = win;
    diff.Subtract(alt);
    EXPECT_FALSE(diff.IsEmpty());
    TRegion extra = alt;
    extra.Subtract(win);
    EXPECT_TRUE(extra.IsEmpty());  // winding covers everything alternate does
    // Triangle: the pixel centres rule.
    const TRegion tri = CreatePolygonRgn({{0, 0}, {4, 0}, {0, 4}}, ALTERNATE);
    // Row 0's centre line crosses the hypotenuse at x = 3.5: pixels 0..2.
    EXPECT_EQ(tri.Rects().size(), 3u);
    EXPECT_TRUE(tri.Contains(2, 0));
    EXPECT_FALSE(tri.Contains(3, 0));
    EXPECT_TRUE(tri.Contains(0, 2));
    EXPECT_FALSE(tri.Contains(0, 3));
    EXPECT_TRUE(CreatePolygonRgn({{0, 0}, {5, 5}}, ALTERNATE).IsEmpty());
}

TEST(Region, DataRoundTripAndLayout) {
    TRegion r = CreateRectRgn(0, 0, 10, 10);
    r.Union(CreateRectRgn(20, 5, 30, 8));
    const std::vector<std::uint8_t> data = r.Data();
    ASSERT_EQ(data.size(), 32u + 16u * r.RectCount());
    EXPECT_EQ(data[0], 32);
    EXPECT_EQ(data[4], 1);
    EXPECT_EQ(data[8], r.RectCount());
    EXPECT_EQ(TRegion::FromData(data.data(), data.size()), r);
    EXPECT_TRUE(TRegion::FromData(TRegion().Data().data(), 32).IsEmpty());
}

TEST(Region, DamagedDataIsRejected) {
    const std::vector<std::uint8_t> good = CreateRoundRectRgn(0, 0, 30, 20, 8, 8).Data();
    auto with = [&](std::size_t at, std::uint8_t v) {
        auto d = good;
        d[at] = v;
        return d;
    };
    const std::vector<std::vector<std::uint8_t>> bad = {
        with(0, 40),                                                 // header size
        with(4, 2),                                                  // type
        with(8, 0xFF),                                               // count past the buffer
        with(11, 0x80),                                              // huge count
        std::vector<std::uint8_t>(good.begin(), good.begin() + 20),  // cut header
        std::vector<std::uint8_t>(good.begin(), good.end() - 1),     // cut rectangles
        with(32 + 11, 0xF0),                                         // right < left
        with(32 + 15, 0x40),                                         // coordinate out of range
    };
    for (std::size_t i = 0; i < bad.size(); ++i)
        EXPECT_THROW(TRegion::FromData(bad[i].data(), bad[i].size()), EInvalidArgument) << i;
    EXPECT_THROW(TRegion::FromData(nullptr, 0), EInvalidArgument);
}

// Fuzz: random damage never crashes or reads past the buffer (the
// sanitizer build checks the latter).
TEST(Region, FuzzedDataNeverCrashes) {
    std::mt19937 rng(1234);
    const std::vector<std::uint8_t> good = CreateEllipticRgn(0, 0, 40, 25).Data();
    for (int round = 0; round < 3000; ++round) {
        std::vector<std::uint8_t> d = good;
        const int flips = 1 + int(rng() % 6);
        for (int i = 0; i < flips; ++i) d[rng() % d.size()] = std::uint8_t(rng());
        if (rng() % 3 == 0) d.resize(rng() % (d.size() + 1));
        // Exact copy in a heap block of its own size, so over-reads are caught.
        auto buf = std::make_unique<std::uint8_t[]>(d.size() ? d.size() : 1);
        std::copy(d.begin(), d.end(), buf.get());
        try {
            TRegion r = TRegion::FromData(buf.get(), d.size());
            (void)r.BoundingBox();
        } catch (const EInvalidArgument&) {
        }
    }
}

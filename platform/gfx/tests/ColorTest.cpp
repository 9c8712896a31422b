#include <gtest/gtest.h>

#include "gfx/Color.h"
#include "gfx/GraphicsObjects.h"

using namespace menvaro;

TEST(Color, SentinelsAndSystemColours) {
    EXPECT_EQ(clNone, 0x1FFFFFFF);
    EXPECT_EQ(clDefault, 0x20000000);
    EXPECT_EQ(std::uint32_t(clBtnFace), 0x8000000Fu);
    EXPECT_LT(clBtnFace, 0);  // system colours are negative, as callers test
    struct Case {
        TColor sys, rgb;
    } cases[] = {{clBtnFace, RGB(192, 192, 192)},   {clBtnShadow, RGB(128, 128, 128)},
                 {clBtnHighlight, RGB(255, 255, 255)}, {clWindow, RGB(255, 255, 255)},
                 {clWindowText, RGB(0, 0, 0)},         {clHighlight, RGB(0, 0, 128)},
                 {clGrayText, RGB(128, 128, 128)},     {cl3DDkShadow, RGB(0, 0, 0)}};
    for (const Case& c : cases) EXPECT_EQ(ColorToRGB(c.sys), c.rgb) << std::hex << c.sys;
    EXPECT_EQ(ColorToRGB(clNone), clNone);
    EXPECT_EQ(ColorToRGB(clDefault), clDefault);
    EXPECT_EQ(ColorToRGB(0x123456), 0x123456);
}

TEST(Color, PixelOrderIsTheReverseOfTColor) {
    EXPECT_EQ(ColorToPixel(clRed), 0xFF0000u);
    EXPECT_EQ(ColorToPixel(clBlue), 0x0000FFu);
    EXPECT_EQ(PixelToColor(0x00FF00), clLime);
    EXPECT_EQ(PixelToColor(ColorToPixel(0x00123456)), 0x00123456);
}

TEST(Color, IdentsRoundTrip) {
    TColor c = 0;
    ASSERT_TRUE(IdentToColor("clBtnFace", c));
    EXPECT_EQ(c, clBtnFace);
    ASSERT_TRUE(IdentToColor("CLRED", c));
    EXPECT_EQ(c, clRed);
    EXPECT_FALSE(IdentToColor("clPlaid", c));
    EXPECT_STREQ(ColorToIdent(clNone), "clNone");
    EXPECT_EQ(ColorToIdent(0x123456), nullptr);
}

TEST(GraphicsObjects, SettersNotifyOnlyOnChange) {
    TFont f;
    int calls = 0;
    f.OnChange = [&] { ++calls; };
    f.SetName("宋体");
    f.SetName("宋体");
    f.SetStyle(fsBold);
    f.SetColor(clRed);
    f.SetColor(clRed);
    EXPECT_EQ(calls, 3);
    TFont g;
    g.Assign(f);
    EXPECT_TRUE(g.SameAs(f));
    f.Assign(g);  // identical: no notification
    EXPECT_EQ(calls, 3);

    TPen p;
    int pc = 0;
    p.OnChange = [&] { ++pc; };
    p.SetWidth(1);
    p.SetWidth(3);
    p.SetStyle(psDot);
    EXPECT_EQ(pc, 2);

    TBrush b;
    int bc = 0;
    b.OnChange = [&] { ++bc; };
    b.SetMonoPattern({0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55});
    EXPECT_EQ(b.Style(), bsPattern);
    b.SetColor(clWhite);  // same colour, but the brush turns solid again
    EXPECT_EQ(b.Style(), bsSolid);
    EXPECT_EQ(bc, 2);
}

TEST(GraphicsObjects, FontSizeAndHeightAt96Dpi) {
    TFont f;
    EXPECT_EQ(f.Height(), -11);
    EXPECT_EQ(f.Size(), 8);
    struct Case {
        int size, height;
    } cases[] = {{9, -12}, {8, -11}, {10, -13}, {12, -16}, {14, -19}, {72, -96}};
    for (const Case& c : cases) {
        f.SetSize(c.size);
        EXPECT_EQ(f.Height(), c.height) << c.size;
        EXPECT_EQ(f.Size(), c.size);
    }
}

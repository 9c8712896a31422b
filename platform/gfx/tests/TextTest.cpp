#include <gtest/gtest.h>

#include <climits>

#include "gfx/Bitmap.h"
#include "gfx/Canvas.h"
#include "testsupport/Pixels.h"

using namespace menvaro;
using test::PixelsOf;

namespace {

struct Page {
    TBitmap bmp;
    TCanvas& c;
    explicit Page(int w = 300, int h = 120, const char* font = "宋体", int height = -16) : bmp(w, h), c(bmp.Canvas()) {
        c.Font().SetName(font);
        c.Font().SetHeight(height);
        c.Font().SetColor(clBlack);
        c.Brush().SetStyle(bsClear);  // transparent text background
    }
    TRect Ink() const { return PixelsOf(bmp, clWhite).BoundingBox(); }
};

}  // namespace

TEST(Fonts, FamiliesMapToTheInstalledFonts) {
    struct Case {
        const char* name;
        const char* family;
    } cases[] = {{"宋体", "AR PL SungtiL GB"},        {"楷体_GB2312", "AR PL KaitiM GB"},
                 {"华文行楷", "AR PL KaitiM GB"},     {"黑体", "WenQuanYi Zen Hei"},
                 {"MS Sans Serif", "DejaVu Sans"},    {"Tahoma", "DejaVu Sans"},
                 {"Courier New", "DejaVu Sans Mono"}, {"DejaVu Sans", "DejaVu Sans"}};
    for (const Case& k : cases) {
        TFont f;
        f.SetName(k.name);
        f.SetHeight(-20);  // above the small sizes (below)
        EXPECT_EQ(f.Face()->FamilyName(), k.family) << k.name;
    }
    // Small Song text takes the face with drawn bitmaps at those sizes.
    for (int height : {-11, -12, 16, -16, -10, -17, -20}) {
        TFont f;
        f.SetName("宋体");
        f.SetHeight(height);
        const bool small = height >= -16 && height <= 16 && height != -10;
        EXPECT_EQ(f.Face()->FamilyName(), small ? "AR PL UMing CN" : "AR PL SungtiL GB") << height;
    }
    EXPECT_EQ(MapFontFamily("ms sans serif"), "DejaVu Sans");
    EXPECT_EQ(MapFontFamily("Arial"), "Arial");
}

TEST(Fonts, HeightSignAndMetrics) {
    TFont f;
    f.SetName("宋体");
    f.SetHeight(-16);
    const TTextMetric m = f.Face()->Metrics();
    EXPECT_EQ(f.Face()->PixelSize(), 16);
    EXPECT_EQ(m.Height, m.Ascent + m.Descent);
    EXPECT_EQ(m.InternalLeading, m.Height - 16);
    EXPECT_GT(m.AveCharWidth, 0);
    f.SetHeight(20);  // cell height
    EXPECT_EQ(f.Face()->Metrics().Height, 20);
    EXPECT_LE(f.Face()->PixelSize(), 20);
    // A face is shared by equal descriptions.
    TFont g;
    g.SetName("宋体");
    g.SetHeight(20);
    EXPECT_EQ(g.Face().get(), f.Face().get());
    // The character height is capped, the most negative height included.
    f.SetHeight(INT_MIN);
    EXPECT_EQ(f.Face()->PixelSize(), 2048);
}

TEST(Text, ChineseAndLatinInOneString) {
    Page p;
    TFontFace& face = *p.c.Font().Face();
    const int han = face.Advance(U'中');
    EXPECT_EQ(han, 16);  // full-width at 16 pixels
    EXPECT_EQ(p.c.TextWidth("中文"), 2 * han);
    EXPECT_EQ(p.c.TextWidth("Ab中文"), face.Advance(U'A') + face.Advance(U'b') + 2 * han);
    EXPECT_EQ(p.c.TextHeight("Ab中文"), face.Metrics().Height);
    p.c.TextOut(10, 20, "Ab中文");
    const TRect ink = p.Ink();
    const TSize ext = p.c.TextExtent("Ab中文");
    EXPECT_GE(ink.Left, 10);
    EXPECT_GE(ink.Top, 20);
    EXPECT_LE(ink.Right, 10 + ext.cx + 1);
    EXPECT_LE(ink.Bottom, 20 + ext.cy);
    EXPECT_GT(ink.Width(), 2 * han);
    // A Latin font falls back to a Chinese one for the Han characters.
    Page latin(300, 60, "MS Sans Serif", -16);
    EXPECT_GT(latin.c.Font().Face()->Advance(U'中'), 8);
    latin.c.TextOut(0, 0, "中");
    EXPECT_FALSE(PixelsOf(latin.bmp, clWhite).IsEmpty());
}

TEST(Text, OpaqueBackgroundFillsTheCell) {
    Page p;
    p.c.Brush().SetStyle(bsSolid);
    p.c.Brush().SetColor(clYellow);  // solid brush: opaque text in its colour
    p.c.TextOut(5, 6, "文字");
    const TSize ext = p.c.TextExtent("文字");
    EXPECT_EQ(p.bmp.Pixel(5, 6), clYellow);
    EXPECT_EQ(p.bmp.Pixel(5 + ext.cx - 1, 6 + ext.cy - 1), clYellow);
    EXPECT_EQ(p.bmp.Pixel(5 + ext.cx, 6), clWhite);
    EXPECT_EQ(p.bmp.Pixel(5, 6 + ext.cy), clWhite);
    // TextRect clips to its rectangle.
    Page r;
    r.c.TextRect(Rect(0, 0, 20, 10), 0, 0, "中文字");
    EXPECT_LE(r.Ink().Right, 20);
    EXPECT_LE(r.Ink().Bottom, 10);
}

TEST(Text, MonospacedAndStyles) {
    TFont f;
    f.SetName("Courier New");
    f.SetHeight(-14);
    TFontFace& mono = *f.Face();
    EXPECT_EQ(mono.Advance(U'i'), mono.Advance(U'W'));
    Page plain(200, 40, "宋体", -16), bold(200, 40, "宋体", -16), under(200, 40, "宋体", -16);
    bold.c.Font().SetStyle(fsBold);
    EXPECT_TRUE(bold.c.Font().Face()->SyntheticBold());
    plain.c.TextOut(0, 0, "中文");
    bold.c.TextOut(0, 0, "中文");
    EXPECT_LT(test::CountPixels(bold.bmp, clWhite), test::CountPixels(plain.bmp, clWhite));
    under.c.Font().SetStyle(fsUnderline);
    under.c.TextOut(0, 0, "ab");
    const int ulRow = under.c.Font().Face()->Metrics().Ascent + under.c.Font().Face()->UnderlineOffset();
    for (int x = 0; x < under.c.TextWidth("ab"); ++x) EXPECT_EQ(under.bmp.Pixel(x, ulRow), clBlack) << x;
}

TEST(Text, GlyphCacheIsWarmAfterFirstUse) {
    Page p(300, 40, "黑体", -15);
    TFontFace& face = *p.c.Font().Face();
    p.c.TextOut(0, 0, "数据备份工具");
    const std::size_t n = face.CachedGlyphs();
    p.c.TextOut(0, 20, "数据备份工具");
    EXPECT_EQ(face.CachedGlyphs(), n);
}

TEST(Text, RotatedTextTurnsAboutItsOrigin) {
    Page p(200, 200);
    p.c.Font().SetOrientation(900);  // upward
    p.c.TextOut(100, 150, "中文字符");
    const TRect ink = p.Ink();
    const TTextMetric m = p.c.TextMetrics();
    EXPECT_GT(ink.Height(), 3 * 16);
    EXPECT_LT(ink.Width(), m.Height + 2);
    EXPECT_GE(ink.Left, 99);
    EXPECT_LE(ink.Right, 100 + m.Height + 1);
    EXPECT_LE(ink.Bottom, 151);
    EXPECT_GE(ink.Top, 150 - 4 * 16 - 1);
    // 180 degrees: to the left of and above the origin.
    Page q(200, 200);
    q.c.Font().SetOrientation(1800);
    q.c.TextOut(150, 100, "中文");
    EXPECT_LE(q.Ink().Right, 151);
    EXPECT_LE(q.Ink().Bottom, 101);
    EXPECT_GE(q.Ink().Left, 150 - 32 - 1);
}

TEST(DrawText, CalcRectAndSingleLineAlignment) {
    Page p;
    const int w = p.c.TextWidth("备份 Backup");
    const int h = p.c.TextMetrics().Height;
    TRect r = Rect(10, 10, 10, 10);
    EXPECT_EQ(p.c.DrawText("备份 Backup", r, DT_CALCRECT | DT_SINGLELINE), h);
    EXPECT_EQ(r, Rect(10, 10, 10 + w, 10 + h));
    TRect empty = Rect(0, 0, 50, 0);
    EXPECT_EQ(p.c.DrawText("", empty, DT_CALCRECT), 0);
    EXPECT_EQ(empty, Rect(0, 0, 0, 0));
    struct Case {
        unsigned flags;
        int left, top;
    } cases[] = {{DT_SINGLELINE, 0, 0},
                 {DT_SINGLELINE | DT_CENTER, (200 - w) / 2, 0},
                 {DT_SINGLELINE | DT_RIGHT, 200 - w, 0},
                 {DT_SINGLELINE | DT_VCENTER, 0, (100 - h) / 2},
                 {DT_SINGLELINE | DT_BOTTOM | DT_RIGHT, 200 - w, 100 - h},
                 {DT_VCENTER, 0, 0}};  // vertical alignment needs DT_SINGLELINE
    for (const Case& k : cases) {
        Page q;
        q.c.Brush().SetStyle(bsSolid);
        q.c.Brush().SetColor(clYellow);  // the opaque cell shows where the line went
        TRect box = Rect(0, 0, 200, 100);
        q.c.DrawText("备份 Backup", box, k.flags);
        const TRect cell = PixelsOf(q.bmp, 0, true, clYellow).BoundingBox();
        EXPECT_EQ(cell, Bounds(k.left, k.top, w, h)) << k.flags;
    }
}

TEST(DrawText, WordBreakLinesAndCJK) {
    Page p;
    const int lh = p.c.TextMetrics().Height;
    const int word = p.c.TextWidth("alpha");
    TRect r = Rect(0, 0, word + p.c.TextWidth(" ") + 2, 0);
    EXPECT_EQ(p.c.DrawText("alpha beta gamma", r, DT_CALCRECT | DT_WORDBREAK), 3 * lh);
    EXPECT_EQ(r.Right, p.c.TextWidth("gamma") > word ? p.c.TextWidth("gamma") : word);
    // Explicit line ends.
    TRect r2 = Rect(0, 0, 500, 0);
    EXPECT_EQ(p.c.DrawText("one\r\ntwo\nthree\rfour", r2, DT_CALCRECT), 4 * lh);
    TRect r3 = Rect(0, 0, 500, 0);
    EXPECT_EQ(p.c.DrawText("one\r\ntwo", r3, DT_CALCRECT | DT_SINGLELINE), lh);
    // Chinese breaks between characters: five characters in two-character lines.
    TRect r4 = Rect(0, 0, 2 * 16 + 3, 0);
    EXPECT_EQ(p.c.DrawText("数据库备份", r4, DT_CALCRECT | DT_WORDBREAK), 3 * lh);
    EXPECT_EQ(r4.Right, 32);
    // A word longer than the line stays whole.
    TRect r5 = Rect(0, 0, 10, 0);
    EXPECT_EQ(p.c.DrawText("unbreakable", r5, DT_CALCRECT | DT_WORDBREAK), lh);
    EXPECT_EQ(r5.Right, p.c.TextWidth("unbreakable"));
}

TEST(DrawText, TextLinesAreDrawTextsLinesAndEditControlBreaksLongWords) {
    Page p;
    const int w = p.c.TextWidth("alpha beta") + 1;
    EXPECT_EQ(p.c.TextLines("alpha beta gamma\r\n\r\n数据", w, DT_WORDBREAK),
              (std::vector<std::string>{"alpha beta", "gamma", "", "数据"}));
    EXPECT_EQ(p.c.TextLines("&Save  all", 500, DT_WORDBREAK), (std::vector<std::string>{"Save  all"}));
    // A word wider than the line: whole without DT_EDITCONTROL, in pieces
    // that fit with it, the rest of the text going on after the last piece.
    const std::string id(40, 'x');
    const int narrow = p.c.TextWidth("xxxxxxxxxx") + 1;
    EXPECT_EQ(p.c.TextLines("id " + id + " end", narrow, DT_WORDBREAK), (std::vector<std::string>{"id", id, "end"}));
    const std::vector<std::string> pieces = p.c.TextLines("id " + id + " end", narrow, DT_WORDBREAK | DT_EDITCONTROL);
    EXPECT_EQ(pieces, (std::vector<std::string>{"id", std::string(10, 'x'), std::string(10, 'x'), std::string(10, 'x'),
                                                std::string(10, 'x'), "end"}));
    TRect r = Rect(0, 0, narrow, 0);
    EXPECT_EQ(p.c.DrawText("id " + id + " end", r, DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL),
              6 * p.c.TextMetrics().Height);
    EXPECT_LE(r.Width(), narrow);
}

TEST(DrawText, EllipsisPrefixTabsAndClipping) {
    Page p;
    const int full = p.c.TextWidth("数据库备份工具");
    TRect r = Rect(0, 0, full / 2, 0);
    p.c.DrawText("数据库备份工具", r, DT_CALCRECT | DT_SINGLELINE | DT_END_ELLIPSIS);
    EXPECT_LE(r.Right, full / 2);
    EXPECT_GT(r.Right, 0);
    Page e;
    TRect er = Rect(0, 0, full / 2, 30);
    e.c.DrawText("数据库备份工具", er, DT_SINGLELINE | DT_END_ELLIPSIS);
    EXPECT_LE(e.Ink().Right, full / 2);
    // "&" underlines the next character and "&&" is one "&".
    TRect a = Rect(0, 0, 0, 0), b = Rect(0, 0, 0, 0);
    p.c.DrawText("&File", a, DT_CALCRECT);
    EXPECT_EQ(a.Right, p.c.TextWidth("File"));
    p.c.DrawText("A&&B", b, DT_CALCRECT);
    EXPECT_EQ(b.Right, p.c.TextWidth("A&B"));
    TRect nb = Rect(0, 0, 0, 0);
    p.c.DrawText("A&&B", nb, DT_CALCRECT | DT_NOPREFIX);
    EXPECT_EQ(nb.Right, p.c.TextWidth("A&&B"));
    Page u;
    TRect ur = Rect(0, 0, 200, 40);
    u.c.DrawText("F&ile", ur, DT_SINGLELINE);
    TFontFace& face = *u.c.Font().Face();
    const int row = face.Metrics().Ascent + face.UnderlineOffset();
    const int fw = u.c.TextWidth("F"), iw = u.c.TextWidth("i");
    EXPECT_EQ(u.bmp.Pixel(fw, row), clBlack);
    EXPECT_EQ(u.bmp.Pixel(fw + iw - 1, row), clBlack);
    EXPECT_EQ(u.bmp.Pixel(fw + iw + u.c.TextWidth("l") / 2, row), clWhite);
    // Tabs expand to stops of eight average widths.
    TRect t = Rect(0, 0, 0, 0);
    p.c.DrawText("a\tb", t, DT_CALCRECT | DT_EXPANDTABS);
    EXPECT_EQ(t.Right, 8 * p.c.TextMetrics().AveCharWidth + p.c.TextWidth("b"));
    // Clipped to the rectangle unless DT_NOCLIP.
    Page c1, c2;
    TRect cr = Rect(0, 0, 20, 8);
    c1.c.DrawText("数据库", cr, DT_SINGLELINE);
    EXPECT_LE(c1.Ink().Right, 20);
    EXPECT_LE(c1.Ink().Bottom, 8);
    c2.c.DrawText("数据库", cr, DT_SINGLELINE | DT_NOCLIP);
    EXPECT_GT(c2.Ink().Right, 20);
}

TEST(DrawText, RotatedLinesStartAtTheirUnrotatedPlaces) {
    Page p(200, 200);
    p.c.Font().SetOrientation(900);
    TRect r = Rect(50, 150, 200, 200);
    p.c.DrawText("中文", r, DT_SINGLELINE | DT_NOCLIP);
    const TRect ink = p.Ink();
    EXPECT_GE(ink.Left, 49);
    EXPECT_LE(ink.Bottom, 151);
    EXPECT_GT(ink.Height(), 24);
}

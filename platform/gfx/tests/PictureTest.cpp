#include <gtest/gtest.h>

#include <png.h>
#include <cstdio>

#include "base/Streams.h"
#include "gfx/Canvas.h"
#include "gfx/ImageList.h"
#include "gfx/Jpeg.h"
#include "gfx/Png.h"
#include "testsupport/Images.h"
#include "testsupport/Pixels.h"

using namespace menvaro;
using menvaro::test::MakeJpeg;
using menvaro::test::Near;

TEST(Jpeg, DecodesAndKeepsTheFileBytes) {
    const std::string file = MakeJpeg(32, 16);
    TMemoryStream s(file);
    TJPEGImage j;
    int changes = 0;
    j.OnChange = [&] { ++changes; };
    j.LoadFromStream(s);
    EXPECT_EQ(changes, 1);
    ASSERT_EQ(j.Width(), 32);
    ASSERT_EQ(j.Height(), 16);
    EXPECT_TRUE(Near(j.Bitmap().Pixel(4, 8), clRed));
    EXPECT_TRUE(Near(j.Bitmap().Pixel(28, 8), clBlue));
    TMemoryStream out;
    j.SaveToStream(out);
    EXPECT_EQ(out.Bytes(), file);
    // Drawn through the picture base, stretched.
    TBitmap target(64, 16);
    const TGraphic& g = j;
    target.Canvas().StretchDraw(Rect(0, 0, 64, 16), g);
    EXPECT_TRUE(Near(target.Pixel(10, 5), clRed));
    EXPECT_TRUE(Near(target.Pixel(60, 5), clBlue));
    // A bitmap assigned from it takes its pixels.
    TBitmap copy;
    copy.Assign(j);
    EXPECT_EQ(copy.Width(), 32);
    EXPECT_TRUE(Near(copy.Pixel(2, 2), clRed));

    TJPEGImage gray;
    gray.LoadFromMemory(MakeJpeg(8, 8, true).data(), MakeJpeg(8, 8, true).size());
    EXPECT_TRUE(gray.Grayscale());
    EXPECT_TRUE(Near(gray.Bitmap().Pixel(0, 0), RGB(40, 40, 40)));
}

TEST(Jpeg, DamagedFilesAreErrorsAndChangeNothing) {
    const std::string good = MakeJpeg(16, 16);
    TJPEGImage j;
    j.LoadFromMemory(good.data(), good.size());
    std::string huge = good;
    // Height field of the frame header (after FF C0, length, precision).
    const std::size_t sof = huge.find("\xFF\xC0");
    ASSERT_NE(sof, std::string::npos);
    huge[sof + 5] = char(0x7F), huge[sof + 6] = char(0xFF), huge[sof + 7] = char(0x7F), huge[sof + 8] = char(0xFF);
    const std::vector<std::string> bad = {"", "not a jpeg", good.substr(0, 2), good.substr(0, good.size() / 3), huge};
    for (const std::string& b : bad) {
        TMemoryStream s(b);
        EXPECT_THROW(j.LoadFromStream(s), EInvalidGraphic);
        EXPECT_EQ(j.Width(), 16);
    }
    // A file cut short after its headers is damaged too, not a picture
    // finished in grey: inside the picture data, before the closing marker,
    // and between the scans of a progressive file.
    for (const bool progressive : {false, true}) {
        const std::string big = MakeJpeg(64, 64, false, progressive);
        const std::size_t lastScan = big.rfind("\xFF\xDA");
        ASSERT_NE(lastScan, std::string::npos);
        for (const std::size_t cut : {big.size() - 2, big.size() - 20, big.size() * 3 / 4, lastScan}) {
            TMemoryStream s(big.substr(0, cut));
            EXPECT_THROW(j.LoadFromStream(s), EInvalidGraphic) << progressive << " " << cut << " of " << big.size();
            EXPECT_EQ(j.Width(), 16);
        }
    }
}

TEST(Png, WritesWhatLibpngReadsBack) {
    TBitmap b(7, 3);
    b.Fill(clTeal);
    b.SetPixel(0, 0, clRed);
    b.SetPixel(6, 2, clYellow);
    const std::vector<std::uint8_t> png = EncodePNG(b.Surface());
    png_image img{};
    img.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_memory(&img, png.data(), png.size()));
    img.format = PNG_FORMAT_RGB;
    std::vector<std::uint8_t> px(PNG_IMAGE_SIZE(img));
    ASSERT_TRUE(png_image_finish_read(&img, nullptr, px.data(), 0, nullptr));
    EXPECT_EQ(img.width, 7u);
    EXPECT_EQ(img.height, 3u);
    EXPECT_EQ(px[0], 255);
    EXPECT_EQ(px[1], 0);
    const std::size_t last = (2 * 7 + 6) * 3;
    EXPECT_EQ(px[last], 255);
    EXPECT_EQ(px[last + 1], 255);
    EXPECT_EQ(px[last + 2], 0);
    EXPECT_EQ(px[3 + 1], 128);  // teal's green
    EXPECT_THROW(EncodePNG(TSurfaceView{}), EInvalidGraphic);
}

namespace {

// A 2-image strip: image 0 red with a fuchsia hole at (1, 1), image 1 blue.
TBitmap Strip() {
    TBitmap s(8, 4);
    s.Fill(clRed);
    s.SetPixel(1, 1, clFuchsia);
    TCanvas& c = s.Canvas();
    c.Brush().SetColor(clBlue);
    c.FillRect(Rect(4, 0, 8, 4));
    return s;
}

}  // namespace

TEST(ImageList, AddReplaceDeleteAndMasks) {
    TImageListData il(4, 4);
    int changes = 0;
    il.OnChange = [&] { ++changes; };
    EXPECT_EQ(il.AddMasked(Strip(), clFuchsia), 0);
    EXPECT_EQ(il.Count(), 2);
    TBitmap img, mask;
    il.GetBitmap(0, img);
    il.GetMask(0, mask);
    EXPECT_TRUE(mask.Monochrome());
    EXPECT_EQ(mask.Pixel(1, 1), clWhite);
    EXPECT_EQ(mask.Pixel(0, 0), clBlack);
    EXPECT_EQ(img.Pixel(1, 1), clBlack);  // the key colour turns black
    TBitmap green(4, 4);
    green.Fill(clLime);
    il.Replace(1, green);
    il.GetBitmap(1, img);
    EXPECT_EQ(img.Pixel(3, 3), clLime);
    EXPECT_EQ(il.Add(green), 2);
    il.Delete(0);
    EXPECT_EQ(il.Count(), 2);
    EXPECT_THROW(il.Delete(5), EListError);
    EXPECT_EQ(changes, 4);
    il.SetSize(4, 4);
    EXPECT_EQ(il.Count(), 2);
    il.SetSize(8, 8);
    EXPECT_EQ(il.Count(), 0);
}

TEST(ImageList, DrawStyles) {
    TImageListData il(4, 4);
    il.AddMasked(Strip(), clFuchsia);
    auto draw = [&](std::uint32_t bk, std::uint32_t fg, unsigned style) {
        TBitmap t(6, 6);
        t.Fill(clGreen);
        EXPECT_TRUE(il.DrawEx(t.Canvas(), 0, 1, 1, bk, fg, style));
        return t;
    };
    const TBitmap transparent = draw(CLR_NONE, CLR_NONE, ILD_TRANSPARENT);
    EXPECT_EQ(transparent.Pixel(1, 1), clRed);
    EXPECT_EQ(transparent.Pixel(2, 2), clGreen);  // the hole
    EXPECT_EQ(transparent.Pixel(5, 5), clGreen);
    const TBitmap normal = draw(ImageListColor(clYellow), CLR_NONE, ILD_NORMAL);
    EXPECT_EQ(normal.Pixel(2, 2), clYellow);
    EXPECT_EQ(normal.Pixel(1, 1), clRed);
    const TBitmap mask = draw(CLR_NONE, CLR_NONE, ILD_MASK);
    EXPECT_EQ(mask.Pixel(2, 2), clWhite);
    EXPECT_EQ(mask.Pixel(1, 1), clBlack);
    const TBitmap blend = draw(CLR_NONE, ImageListColor(clBlue), ILD_TRANSPARENT | ILD_BLEND50);
    EXPECT_EQ(blend.Pixel(1, 1), RGB(127, 0, 127));
    EXPECT_EQ(blend.Pixel(2, 2), clGreen);
    TBitmap t(6, 6);
    EXPECT_FALSE(il.DrawEx(t.Canvas(), 9, 0, 0, CLR_NONE, CLR_NONE, 0));
    // Disabled: highlight one pixel down-right, shadow on the image itself.
    TBitmap d(6, 6);
    d.Fill(clBtnFace);
    il.Draw(d.Canvas(), 0, 0, 0, false);
    EXPECT_EQ(d.Pixel(0, 0), ColorToRGB(clBtnShadow));
    EXPECT_EQ(d.Pixel(4, 4), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(d.Pixel(1, 1), ColorToRGB(clBtnHighlight));  // the hole shows the highlight copy
    EXPECT_EQ(d.Pixel(5, 5), ColorToRGB(clBtnFace));
}

// The imager on a headless form: its options run the effects of the bitmap
// (each pinned by its own tests) in their fixed order from the source
// picture, the work bitmap is sized by the style, the rotation and the
// control, a zero size stops instead of asking again, and the picture is
// drawn by the five styles.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "FxPixels.h"
#include "decorated/fxBitmap.h"
#include "decorated/fxChangeLink.h"
#include "decorated/fxImager.h"
#include "testsupport/UiTest.h"
#include "ui/Clipboard.h"

namespace menvaro {
namespace {

using fxtest::Pixels;
using fxtest::Read;

// Every pixel of its own colour.
TBitmap Source(int w = 40, int h = 20) {
    TBitmap b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) b.SetPixel(x, y, RGB(10 + 5 * x, 20 + 11 * y, (x * y * 7) % 256));
    return b;
}

TOwned<TfxBitmap> Copy(const TBitmap& b) {
    TOwned<TfxBitmap> fx(Create<TfxBitmap>());
    fx->Assign(&b);
    return fx;
}

TOwned<TfxBitmap> Blend() {
    TOwned<TfxBitmap> b(Create<TfxBitmap>());
    b->SetSize(10, 10);
    b->Canvas().Brush().SetColor(RGB(0, 200, 100));
    b->Canvas().FillRect({0, 0, 10, 10});
    return b;
}

class Imager : public ControlTest {
protected:
    TfxCustomImager* Make(const TBitmap& picture, int width = 100, int height = 60) {
        auto* i = Put<TfxCustomImager>(10, 10, width, height);
        i->Picture()->SetGraphic(&picture);
        link.OnChange = [this](TObject* sender) { senders.push_back(sender); };
        i->AddChangeLink(&link);
        return i;
    }
    TfxChangeLink link;
    std::vector<TObject*> senders;
};

struct OptionCase {
    const char* name;
    std::function<void(TfxBitmapOptions&)> set;
    std::function<void(TfxBitmap&)> effect;
};

TEST_F(Imager, EachOptionRunsItsEffectFromTheSourcePicture) {
    const TBitmap source = Source();
    const auto blend = Blend();
    const std::vector<OptionCase> cases = {
        {"none", [](TfxBitmapOptions&) {}, [](TfxBitmap&) {}},
        {"GrayScale", [](TfxBitmapOptions& o) { o.SetGrayScale(true); }, [](TfxBitmap& b) { b.GrayScale(); }},
        {"Lightness", [](TfxBitmapOptions& o) { o.SetLightness(30); }, [](TfxBitmap& b) { b.Lightness(30); }},
        {"AlphaBlend",
         [&](TfxBitmapOptions& o) {
             o.AlphaBlend()->SetBitmap(blend.get());
             o.AlphaBlend()->SetAmount(100);
         },
         [&](TfxBitmap& b) { b.AlphaBlend(*blend, 100, true); }},
        {"Color", [](TfxBitmapOptions& o) { o.SetColor(RGB(200, 100, 50)); },
         [](TfxBitmap& b) { b.ColorTint(200, 100, 50); }},
        // Half of each channel.
        {"TintColor", [](TfxBitmapOptions& o) { o.SetTintColor(RGB(255, 100, 51)); },
         [](TfxBitmap& b) { b.Colorize(127, 50, 25); }},
        {"TintColor white", [](TfxBitmapOptions& o) { o.SetTintColor(clWhite); },
         [](TfxBitmap& b) { b.Colorize(127, 127, 127); }},
        {"Saturation", [](TfxBitmapOptions& o) { o.SetSaturation(50); }, [](TfxBitmap& b) { b.Saturation(50); }},
        {"Saturation 0", [](TfxBitmapOptions& o) { o.SetSaturation(0); }, [](TfxBitmap& b) { b.Saturation(0); }},
        {"GaussianBlur", [](TfxBitmapOptions& o) { o.SetGaussianBlur(2); }, [](TfxBitmap& b) { b.GaussianBlur(2); }},
        {"Embossed", [](TfxBitmapOptions& o) { o.SetEmbossed(true); }, [](TfxBitmap& b) { b.Emboss(); }},
        {"Inverted", [](TfxBitmapOptions& o) { o.SetInverted(true); }, [](TfxBitmap& b) { b.Invert(); }},
        {"Contrast", [](TfxBitmapOptions& o) { o.SetContrast(40); }, [](TfxBitmap& b) { b.Contrast(40); }},
        {"Sharpen", [](TfxBitmapOptions& o) { o.SetSharpen(1); }, [](TfxBitmap& b) { b.Sharpen(1); }},
        {"HorizontallyFlipped", [](TfxBitmapOptions& o) { o.SetHorizontallyFlipped(true); },
         [](TfxBitmap& b) { b.Flip(true); }},
        {"VerticallyFlipped", [](TfxBitmapOptions& o) { o.SetVerticallyFlipped(true); },
         [](TfxBitmap& b) { b.Flip(false); }},
        {"Wave",
         [](TfxBitmapOptions& o) {
             o.Wave()->SetWrap(true);
             o.Wave()->SetXDiv(2);
             o.Wave()->SetYDiv(3);
             o.Wave()->SetRatio(4);
         },
         [](TfxBitmap& b) { b.Wave(true, 2, 3, 4); }},
        // Any of the three at 0: no wave.
        {"Wave without a ratio",
         [](TfxBitmapOptions& o) {
             o.Wave()->SetXDiv(2);
             o.Wave()->SetYDiv(3);
         },
         [](TfxBitmap&) {}},
        // Every one, in the chain's order.
        {"all",
         [&](TfxBitmapOptions& o) {
             o.SetVerticallyFlipped(true);
             o.SetHorizontallyFlipped(true);
             o.SetSharpen(1);
             o.SetContrast(20);
             o.SetInverted(true);
             o.SetEmbossed(true);
             o.SetGaussianBlur(1);
             o.SetSaturation(70);
             o.SetTintColor(RGB(40, 80, 120));
             o.SetColor(RGB(180, 190, 200));
             o.AlphaBlend()->SetBitmap(blend.get());
             o.AlphaBlend()->SetAmount(60);
             o.SetLightness(-20);
             o.SetGrayScale(true);
             o.Wave()->SetXDiv(3);
             o.Wave()->SetYDiv(2);
             o.Wave()->SetRatio(2);
         },
         [&](TfxBitmap& b) {
             b.GrayScale();
             b.Lightness(-20);
             b.AlphaBlend(*blend, 60, true);
             b.ColorTint(180, 190, 200);
             b.Colorize(20, 40, 60);
             b.Saturation(70);
             b.GaussianBlur(1);
             b.Emboss();
             b.Invert();
             b.Contrast(20);
             b.Sharpen(1);
             b.Flip(true);
             b.Flip(false);
             b.Wave(false, 3, 2, 2);
         }},
    };
    for (const OptionCase& c : cases) {
        TfxCustomImager* imager = Make(source);
        c.set(*imager->BitmapOptions());
        const auto expected = Copy(source);
        c.effect(*expected);
        EXPECT_EQ(Read(*imager->WorkBitmap()), Read(*expected)) << c.name;
        imager->Free();
    }
}

TEST_F(Imager, EveryChangeRunsTheChainAgainFromTheSource) {
    const TBitmap source = Source();
    TfxCustomImager* imager = Make(source);
    TfxBitmapOptions& o = *imager->BitmapOptions();
    o.SetSaturation(0);
    for (std::uint32_t p : Read(*imager->WorkBitmap()))
        ASSERT_TRUE((p >> 16) == (p & 0xFF) && ((p >> 8) & 0xFF) == (p & 0xFF)) << "gray, not " << std::hex << p;
    o.SetSaturation(-1);
    EXPECT_EQ(Read(*imager->WorkBitmap()), Read(*Copy(source))) << "colour again";
    // A new blend picture waits for the next change of a setting.
    o.AlphaBlend()->SetAmount(128);
    const auto blend = Blend();
    o.AlphaBlend()->SetBitmap(blend.get());
    EXPECT_EQ(Read(*imager->WorkBitmap()), Read(*Copy(source)));
    o.SetLightness(1);
    const auto expected = Copy(source);
    expected->Lightness(1);
    expected->AlphaBlend(*blend, 128, true);
    EXPECT_EQ(Read(*imager->WorkBitmap()), Read(*expected));
    // The links hear of every run, with the result as the sender.
    ASSERT_FALSE(senders.empty());
    for (TObject* s : senders) EXPECT_EQ(s, imager->WorkBitmap());
    // Held updates run once, at the end.
    senders.clear();
    o.BeginUpdate();
    o.SetLightness(0);
    o.SetInverted(true);
    EXPECT_TRUE(senders.empty());
    o.EndUpdate();
    EXPECT_EQ(senders.size(), 1u);
    const auto inverted = Copy(source);
    inverted->AlphaBlend(*blend, 128, true);
    inverted->Invert();
    EXPECT_EQ(Read(*imager->WorkBitmap()), Read(*inverted));
}

TEST_F(Imager, ARotatedPictureIsWorkedOnInASquare) {
    const TBitmap source = Source(40, 20);
    auto* imager = Put<TfxCustomImager>(10, 10, 100, 60);
    imager->BitmapOptions()->Rotation()->SetAngle(90);
    imager->Picture()->SetGraphic(&source);
    ASSERT_EQ(imager->WorkBitmap()->Width(), 40);
    ASSERT_EQ(imager->WorkBitmap()->Height(), 40);
    auto rotated = [&](int angle) {
        TOwned<TfxBitmap> b(Create<TfxBitmap>());
        b->SetSize(40, 40);
        b->Canvas().StretchDraw({0, 0, 40, 40}, *Copy(source));
        b->Rotate({-1, -1}, angle);
        return Read(*b);
    };
    EXPECT_EQ(Read(*imager->WorkBitmap()), rotated(90));
    // The angle alone runs the chain at the size the bitmap has.
    imager->BitmapOptions()->Rotation()->SetAngle(180);
    EXPECT_EQ(imager->WorkBitmap()->Width(), 40);
    EXPECT_EQ(Read(*imager->WorkBitmap()), rotated(180));
}

TEST_F(Imager, AnImagerOfNoSizeStopsInsteadOfAskingForTheSizeAgain) {
    const TBitmap source = Source(40, 20);
    TfxCustomImager* imager = Make(source);
    imager->SetDrawStyle(idsStretch);
    imager->SetPreProcess(false);
    EXPECT_EQ(imager->WorkBitmap()->Width(), 100) << "the control's size";
    imager->SetBounds(10, 10, 0, 0);
    EXPECT_TRUE(imager->WorkBitmap()->Empty());
    senders.clear();
    imager->ApplyOptions();
    imager->Invalidate();
    Pump();
    EXPECT_TRUE(imager->WorkBitmap()->Empty());
    EXPECT_TRUE(senders.empty());
    // A size again: the source stretched over it.
    imager->SetBounds(10, 10, 50, 30);
    ASSERT_EQ(imager->WorkBitmap()->Width(), 50);
    ASSERT_EQ(imager->WorkBitmap()->Height(), 30);
    TOwned<TfxBitmap> expected(Create<TfxBitmap>());
    expected->SetSize(50, 30);
    expected->Canvas().StretchDraw({0, 0, 50, 30}, *Copy(source));
    EXPECT_EQ(Read(*imager->WorkBitmap()), Read(*expected));
    EXPECT_FALSE(senders.empty());
}

TEST_F(Imager, TheFiveDrawStyles) {
    const TBitmap source = Source(40, 20);
    TfxCustomImager* imager = Make(source);
    struct StyleCase {
        TfxImagerDrawStyle style;
        TRect rect;
        std::vector<std::pair<TPoint, TPoint>> shows;  // control point, source point
    };
    const std::vector<StyleCase> cases = {
        {idsNormal, {0, 0, 40, 20}, {{{0, 0}, {0, 0}}, {{39, 19}, {39, 19}}}},
        {idsCenter, {30, 20, 70, 40}, {{{30, 20}, {0, 0}}, {{69, 39}, {39, 19}}}},
        {idsStretch, {0, 0, 100, 60}, {{{0, 0}, {0, 0}}, {{99, 59}, {39, 19}}}},
        {idsTile, {0, 0, 100, 60}, {{{45, 25}, {5, 5}}, {{99, 59}, {19, 19}}}},
        {idsProportional, {0, 0, 100, 50}, {{{0, 0}, {0, 0}}, {{99, 49}, {39, 19}}}},
    };
    for (const StyleCase& c : cases) {
        imager->SetDrawStyle(c.style);
        EXPECT_EQ(imager->DrawRect(), c.rect) << c.style;
        for (const auto& [at, from] : c.shows)
            EXPECT_EQ(At(imager, at.X, at.Y), source.Pixel(from.X, from.Y)) << c.style << " " << at.X << "," << at.Y;
    }
    // What the picture leaves free shows the form.
    imager->SetDrawStyle(idsProportional);
    EXPECT_EQ(At(imager, 50, 55), Rgb(clBtnFace));
    // Sized to the picture.
    imager->SetAutoSize(true);
    EXPECT_EQ(imager->Width(), 40);
    EXPECT_EQ(imager->Height(), 20);
}

TEST_F(Imager, TheWorkBitmapGoesOntoTheClipboard) {
    const TBitmap source = Source(12, 8);
    TfxCustomImager* imager = Make(source);
    imager->BitmapOptions()->SetInverted(true);
    Clipboard().SetAsText("before");
    imager->CopyToClipboard();
    EXPECT_TRUE(Clipboard().HasPicture());
    EXPECT_EQ(Clipboard().AsText(), "");
    TBitmap pasted;
    ASSERT_TRUE(Clipboard().GetPicture(pasted));
    ASSERT_EQ(pasted.Width(), 12);
    EXPECT_EQ(pasted.Pixel(3, 2), ColorToRGB(~source.Pixel(3, 2) & 0xFFFFFF));
    Clipboard().SetAsText("after");
    EXPECT_FALSE(Clipboard().HasPicture());
}

TEST_F(Imager, SpongeScattersTheSourcesOwnPixels) {
    const TBitmap source = Source(20, 10);
    TfxCustomImager* imager = Make(source);
    imager->BitmapOptions()->SetSponge(3);
    const Pixels out = Read(*imager->WorkBitmap());
    const Pixels in = Read(*Copy(source));
    EXPECT_NE(out, in);
    const std::set<std::uint32_t> colours(in.begin(), in.end());
    for (std::uint32_t p : out) EXPECT_TRUE(colours.count(p)) << std::hex << p;
}

}  // namespace
}  // namespace menvaro

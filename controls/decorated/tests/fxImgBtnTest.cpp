// The image button on a headless form: windows from a key colour, the
// raised style's two regions, the rim along the image's outline, the
// latched dither, images borrowed from an imager or another button and the
// change link that goes with them, and the pixels kept while there is no
// window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ButtonTest.h"
#include "classes/ClassBuilder.h"
#include "decorated/fxBitmap.h"
#include "decorated/fxChangeLink.h"
#include "decorated/fxImager.h"
#include "decorated/fxImgBtn.h"

namespace menvaro {

class TImgProbe : public TfxCustomImageBtn {
    MENVARO_CLASS(TImgProbe, TfxCustomImageBtn)
public:
    using TfxCustomImageBtn::CreateRegion;
    using TfxCustomImageBtn::MakeSquare;
    using TfxCustomImageBtn::TfxCustomImageBtn;
};

MENVARO_CLASS_INFO(TImgProbe) {}

// An imager that tells whether anything reached it while it was going.
class TImagerProbe : public TfxCustomImager {
    MENVARO_CLASS(TImagerProbe, TfxCustomImager)
public:
    using TfxCustomImager::TfxCustomImager;
    void RemoveChangeLink(TfxChangeLink* link) override {
        if (ComponentState().Contains(csDestroying)) ++*callsWhileGoing;
        TfxCustomImager::RemoveChangeLink(link);
    }
    int* callsWhileGoing = nullptr;
};

MENVARO_CLASS_INFO(TImagerProbe) {}

namespace {

const TColor kKey = clFuchsia, kInk = clBlue;

// A picture of the key colour with a rectangle of ink.
TBitmap Picture(int w, int h, const TRect& ink, TColor inkColour = kInk) {
    TBitmap b(w, h);
    b.Canvas().Brush().SetColor(kKey);
    b.Canvas().FillRect({0, 0, w, h});
    b.Canvas().Brush().SetColor(inkColour);
    b.Canvas().FillRect(ink);
    return b;
}

TRegion Rect(int l, int t, int r, int b) { return TRegion(TRect{l, t, r, b}); }

void Show(TfxBitmap* image, const TBitmap& picture) { image->Assign(&picture); }

class ImgBtn : public test::ButtonTest {
protected:
    TImgProbe* Button(int left, int top, const TBitmap& image) {
        auto* b = Put<TImgProbe>(left, top, image.Width(), image.Height());
        b->Image()->Assign(&image);
        b->OnClick = [this](TObject*) { ++clicks; };
        Pump();
        return b;
    }
};

TEST_F(ImgBtn, TheWindowIsWhatOfTheImageIsNotTheKey) {
    TImgProbe* b = Button(20, 20, Picture(40, 30, {10, 5, 30, 25}));
    EXPECT_EQ(b->GetKeyColor(false), kKey) << "the top-left pixel";
    EXPECT_EQ(b->Region(), Rect(10, 5, 30, 25));
    EXPECT_TRUE(Hits(b, 20, 15));
    EXPECT_FALSE(Hits(b, 3, 3));
    Click(b, 3, 3);
    EXPECT_EQ(clicks, 0);
    Click(b, 20, 15);
    EXPECT_EQ(clicks, 1);
    // A key of its own: now the ink is what is left out.
    b->SetTransparentColor(kInk);
    TRegion frame = Rect(0, 0, 40, 30);
    frame.Subtract(Rect(10, 5, 30, 25));
    EXPECT_EQ(b->Region(), frame);
    EXPECT_FALSE(Hits(b, 20, 15));
    // No key at all: the whole rectangle, drawn opaque.
    b->SetTransparentColor(fxNoKeyColor);
    EXPECT_FALSE(b->Region().has_value());
    EXPECT_FALSE(GetWindowRgn(b->Handle()).has_value());
    EXPECT_EQ(At(b, 3, 3), kKey);
    EXPECT_EQ(At(b, 20, 15), kInk);
    // An image of nothing but the key: a window of no pixels, not a whole one.
    b->SetTransparentColor(clNone);
    Show(b->Image(), Picture(40, 30, {}));
    ASSERT_TRUE(b->Region().has_value());
    EXPECT_TRUE(b->Region()->IsEmpty());
}

TEST_F(ImgBtn, RaisedTheUpWindowTakesInTheShadowAndTheDownOneIsMoved) {
    TImgProbe* b = Button(20, 20, Picture(40, 30, {10, 5, 30, 25}));
    b->SetBounds(20, 20, 42, 32);
    b->SetShadeStyle(fbsRaised);
    Pump();
    TRegion up = Rect(10, 5, 30, 25);
    up.Union(Rect(12, 7, 32, 27));
    EXPECT_EQ(b->CreateRegion(true, false), up);
    EXPECT_EQ(b->CreateRegion(true, true), Rect(12, 7, 32, 27));
    EXPECT_EQ(b->Region(), up);
    // The image at 40 x 30 (two less than the button), the shadow band below
    // right of it.
    EXPECT_EQ(At(b, 10, 5), kInk);
    EXPECT_EQ(At(b, 29, 24), kInk);
    EXPECT_EQ(At(b, 31, 20), Rgb(b->ShadeColors()->Shadow()));
    EXPECT_EQ(At(b, 20, 26), Rgb(b->ShadeColors()->Shadow()));
    // Pressed, without a down image: the image moved by (2, 2), and so is
    // the window.
    Hold(b, 20, 15);
    ASSERT_TRUE(b->Down());
    EXPECT_EQ(b->Region(), Rect(12, 7, 32, 27));
    EXPECT_EQ(At(b, 12, 7), kInk);
    EXPECT_EQ(At(b, 31, 26), kInk);
    EXPECT_FALSE(Hits(b, 10, 5));
    Release();
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(b->Region(), up);
}

TEST_F(ImgBtn, TheRimFollowsTheImagesOutline) {
    TImgProbe* b = Button(20, 20, Picture(40, 30, {10, 5, 30, 25}));
    b->SetShadeStyle(fbsHighlight);
    const TColor l1 = Rgb(clBtnHighlight), l2 = Rgb(cl3DLight), d2 = Rgb(clBtnShadow), d1 = 0;
    // Along the diagonal x = y the ink runs from (10, 10) to (24, 24).
    auto diagonal = [&](int from, int to) {
        std::vector<TColor> v;
        for (int i = from; i <= to; ++i) v.push_back(At(b, i, i));
        return v;
    };
    EXPECT_EQ(diagonal(10, 12), (std::vector<TColor>{l1, l2, kInk}));
    EXPECT_EQ(diagonal(22, 24), (std::vector<TColor>{kInk, d2, d1}));
    // Along another diagonal: from (30 - 1 - 14, 5) ... the top edge.
    EXPECT_EQ(At(b, 20, 5), l1);
    EXPECT_EQ(At(b, 21, 6), l2);
    EXPECT_EQ(At(b, 29, 20), d1) << "the right edge";
    // Down, with a down image of its own: turned over.
    Show(b->ImageDown(), Picture(40, 30, {10, 5, 30, 25}));
    Hold(b, 20, 15);
    EXPECT_EQ(diagonal(10, 12), (std::vector<TColor>{d1, d2, kInk}));
    EXPECT_EQ(diagonal(22, 24), (std::vector<TColor>{kInk, l2, l1}));
    Release();
    // Default: a dark pixel outermost at both ends, the rim one further in.
    b->SetDefault(true);
    EXPECT_EQ(diagonal(10, 13), (std::vector<TColor>{d1, l1, l2, kInk}));
    EXPECT_EQ(diagonal(21, 24), (std::vector<TColor>{kInk, d2, d1, d1}));
}

TEST_F(ImgBtn, RenderImagesBakesTheHighlightedFacesIntoTheImages) {
    TImgProbe* b = Button(20, 20, Picture(40, 30, {10, 5, 30, 25}));
    b->RenderImages();
    const TColor l1 = Rgb(clBtnHighlight), d1 = 0;
    auto pixel = [](const TfxBitmap* image, int x, int y) {
        const std::uint8_t* p = image->RowTable()[y] + 3 * x;
        return RGB(p[2], p[1], p[0]);
    };
    // The up image has the rim of an up face, the down image that of a down
    // face, and the key all round.
    EXPECT_EQ(pixel(b->Image(), 10, 10), l1);
    EXPECT_EQ(pixel(b->Image(), 24, 24), d1);
    EXPECT_EQ(pixel(b->ImageDown(), 10, 10), d1);
    EXPECT_EQ(pixel(b->ImageDown(), 24, 24), l1);
    EXPECT_EQ(pixel(b->ImageDown(), 3, 3), kKey);
    // Drawn as they are now, whatever the style.
    b->SetShadeStyle(fbsNormal);
    EXPECT_EQ(At(b, 10, 10), l1);
    Hold(b, 20, 15);
    EXPECT_EQ(At(b, 10, 10), d1);
    Release();
}

TEST_F(ImgBtn, ALatchedGroupButtonWithoutADownImageIsDithered) {
    TImgProbe* b = Button(20, 20, Picture(40, 30, {10, 5, 30, 25}));
    b->SetDitherColor(clYellow);
    b->SetGroupIndex(1);
    b->SetDown(true);
    auto pair = [&] { return std::vector<TColor>{At(b, 20, 15), At(b, 21, 15)}; };
    auto either = [](std::vector<TColor> v, TColor a, TColor c) {
        return v == std::vector<TColor>{a, c} || v == std::vector<TColor>{c, a};
    };
    EXPECT_TRUE(either(pair(), Rgb(clSilver), clYellow));
    // Style 1: the dither over the image.
    b->SetDitherStyle(1);
    EXPECT_TRUE(either(pair(), kInk, clYellow));
    // Style 2: solid.
    b->SetDitherStyle(2);
    EXPECT_EQ(pair(), (std::vector<TColor>{clYellow, clYellow}));
    // Only inside the window.
    EXPECT_FALSE(Hits(b, 3, 3));
}

TEST_F(ImgBtn, AnImagersPictureAndTheLinkThatGoesWithIt) {
    const TBitmap first = Picture(40, 30, {10, 5, 30, 25});
    auto* imager = Put<TImagerProbe>(200, 20, 40, 30);
    int callsWhileGoing = 0;
    imager->callsWhileGoing = &callsWhileGoing;
    imager->Picture()->SetGraphic(&first);
    TImgProbe* b = Button(20, 20, first);
    b->SetExtImage(imager);
    b->SetExtImageDown(imager);
    EXPECT_TRUE(b->Image()->Empty()) << "its own image goes";
    // One link, listed for the up and for the down image.
    EXPECT_EQ(imager->ChangeLinks(), (std::vector<TfxChangeLink*>{b->ExtImageLink(), b->ExtImageLink()}));
    Pump();
    EXPECT_EQ(b->Region(), Rect(10, 5, 30, 25));
    // The imager's new picture reaches the button.
    const TBitmap second = Picture(40, 30, {1, 0, 20, 30});
    imager->Picture()->SetGraphic(&second);
    Pump();
    EXPECT_EQ(b->Region(), Rect(1, 0, 20, 30));
    // The button goes first: the imager lists its link no more.
    b->Free();
    EXPECT_TRUE(imager->ChangeLinks().empty());
    imager->BitmapOptions()->SetInverted(true);
    Pump();

    // The imager goes first: the buttons forget it without calling it.
    TImgProbe* c = Button(20, 20, first);
    c->SetExtImage(imager);
    c->SetExtImageDown(imager);
    imager->Free();
    EXPECT_EQ(c->ExtImage(), nullptr);
    EXPECT_EQ(c->ExtImageDown(), nullptr);
    EXPECT_EQ(callsWhileGoing, 0);
    Pump();
    EXPECT_FALSE(c->Region().has_value()) << "no image, no window region";
    c->Free();
    EXPECT_EQ(callsWhileGoing, 0);
}

TEST_F(ImgBtn, AButtonAssignedFromAnotherShowsItsImages) {
    TImgProbe* first = Button(20, 20, Picture(40, 30, {10, 5, 30, 25}));
    first->SetDitherColor(clLime);
    dynamic_cast<TfxImgDownOffsets*>(first->Offsets())->SetImageDownX(4);
    TImgProbe* second = Button(20, 80, Picture(40, 30, {1, 1, 5, 5}));
    second->Assign(first);
    EXPECT_EQ(second->ExtImage(), first);
    EXPECT_EQ(second->ExtImageDown(), first);
    EXPECT_EQ(second->DitherColor(), clLime);
    EXPECT_EQ(dynamic_cast<TfxImgDownOffsets*>(second->Offsets())->ImageDownX(), 4);
    Pump();
    EXPECT_EQ(second->Region(), Rect(10, 5, 30, 25));
    EXPECT_EQ(At(second, 20, 15), kInk);
    // A new image of the first shows on both.
    Show(first->Image(), Picture(40, 30, {0, 10, 40, 20}, clRed));
    Pump();
    EXPECT_EQ(first->Region(), Rect(0, 10, 40, 20));
    EXPECT_EQ(second->Region(), Rect(0, 10, 40, 20));
    EXPECT_EQ(At(second, 20, 15), clRed);
    // The second goes before the first: nothing of it stays with the first's
    // images (a change of them would reach a freed link).
    second->Free();
    Show(first->Image(), Picture(40, 30, {1, 1, 10, 10}));
    Show(first->ImageDown(), Picture(40, 30, {1, 1, 10, 10}));
    Pump();
    EXPECT_EQ(first->Region(), Rect(1, 1, 10, 10));
}

TEST_F(ImgBtn, WithoutAWindowThePixelsWaitInMemoryUnlessANewImageComes) {
    TImgProbe* b = Button(20, 20, Picture(40, 30, {10, 5, 30, 25}));
    b->SetParent(nullptr);
    EXPECT_FALSE(b->HandleAllocated());
    EXPECT_TRUE(b->Image()->Empty());
    EXPECT_TRUE(b->Image()->HasSavedImage());
    b->SetParent(form);
    Pump();
    EXPECT_EQ(b->Image()->Width(), 40);
    EXPECT_EQ(b->Region(), Rect(10, 5, 30, 25));
    // An image given while there is no window is the one shown.
    b->SetParent(nullptr);
    Show(b->Image(), Picture(40, 30, {1, 1, 8, 8}, clRed));
    b->SetParent(form);
    Pump();
    EXPECT_EQ(b->Region(), Rect(1, 1, 8, 8));
    EXPECT_EQ(At(b, 4, 4), clRed);
    EXPECT_FALSE(b->Image()->HasSavedImage());
    // Sized to its image.
    b->SetBounds(20, 20, 10, 10);
    b->MakeSquare();
    EXPECT_EQ(b->Width(), 40);
    EXPECT_EQ(b->Height(), 30);
}

}  // namespace
}  // namespace menvaro

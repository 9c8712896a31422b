// The effect bitmap: its pixel block and canvas, sizes, assignment and its
// change links, BMP streams and form data, keeping pixels in memory, and
// its ways of drawing.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "base/Streams.h"
#include "classes/ClassBuilder.h"
#include "classes/FormReader.h"
#include "classes/FormWriter.h"
#include "decorated/fxBitmap.h"
#include "decorated/fxChangeLink.h"
#include "gfx/Bmp.h"
#include "gfx/Canvas.h"
#include "gfx/Jpeg.h"
#include "testsupport/ErrorMessage.h"
#include "testsupport/Images.h"
#include "ui/Picture.h"

namespace menvaro {

// A component with a picture property, as the decorated controls have.
class TfxPictureHolder : public TComponent {
    MENVARO_CLASS(TfxPictureHolder, TComponent)
public:
    using TComponent::TComponent;
    TfxBitmap* Picture() const { return picture_.get(); }

private:
    TOwned<TfxBitmap> picture_{Create<TfxBitmap>()};
};

MENVARO_CLASS_INFO(TfxPictureHolder) { c.Prop("Picture", &TfxPictureHolder::Picture); }

}  // namespace menvaro

using namespace menvaro;

namespace {

TOwned<TfxBitmap> NewBitmap(int w = 0, int h = 0) {
    TOwned<TfxBitmap> b(Create<TfxBitmap>());
    if (w > 0) b->SetSize(w, h);
    return b;
}

// Pixel (x, y) as a TColor, read from the block.
TColor At(const TfxBitmap& b, int x, int y) {
    const std::uint8_t* p = b.RowTable()[y] + 3 * x;
    return RGB(p[2], p[1], p[0]);
}

void Put(TfxBitmap& b, int x, int y, TColor c) {
    std::uint8_t* p = b.RowTable()[y] + 3 * x;
    p[0] = std::uint8_t(GetBValue(c)), p[1] = std::uint8_t(GetGValue(c)), p[2] = std::uint8_t(GetRValue(c));
}

TOwned<TfxBitmap> Row(std::initializer_list<TColor> colours) {
    auto b = NewBitmap(int(colours.size()), 1);
    int x = 0;
    for (TColor c : colours) Put(*b, x++, 0, c);
    return b;
}

// Counts a notifier's calls and keeps what the handler saw.
struct Counter {
    TOwned<TfxChangeLink> link{Create<TfxChangeLink>()};
    int calls = 0;
    TObject* sender = nullptr;
    std::function<void()> onCall;
    Counter() {
        link->OnChange = [this](TObject* s) {
            ++calls, sender = s;
            if (onCall) onCall();
        };
    }
};

std::string Hex(const std::string& bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) out += digits[c >> 4], out += digits[c & 15];
    return out;
}

std::string BmpOf(const TBitmap& b) {
    TMemoryStream s;
    b.SaveToStream(s);
    return s.Bytes();
}

}  // namespace

TEST(FxBitmap, ANewPictureIsWhiteInTheRowLayout) {
    auto b = NewBitmap(5, 3);
    EXPECT_EQ(b->RowPadding(), 1);
    EXPECT_EQ(b->RowStride(), 16);
    EXPECT_EQ(b->ImageSize(), 48);
    EXPECT_EQ(b->Header().biSize, 40u);
    EXPECT_EQ(b->Header().biWidth, 5);
    EXPECT_EQ(b->Header().biHeight, -3);
    EXPECT_EQ(b->Header().biBitCount, 24);
    const std::uint8_t* bits = b->Bits();
    for (int y = 0; y < 3; ++y) {
        EXPECT_EQ(b->RowTable()[y], bits + 16 * y);
        for (int i = 0; i < 15; ++i) EXPECT_EQ(bits[16 * y + i], 0xFF);
        EXPECT_EQ(bits[16 * y + 15], 0) << "padding";
    }
    EXPECT_EQ(b->Canvas().Pixel(4, 2), clWhite);
    EXPECT_FALSE(b->Empty());
}

TEST(FxBitmap, SidesAtOrBelowZeroLeaveItEmptyAndTellNobody) {
    auto b = NewBitmap();
    Counter links;
    int changes = 0;
    b->AddChangeLink(links.link.get());
    b->OnChange = [&] { ++changes; };
    for (auto [w, h] : {std::pair{0, 10}, {10, 0}, {-1, 5}, {5, INT_MIN}}) {
        b->SetSize(w, h);
        EXPECT_TRUE(b->Empty());
        EXPECT_EQ(b->Width(), 0);
        EXPECT_EQ(b->Bits(), nullptr);
    }
    EXPECT_EQ(links.calls, 0);
    EXPECT_EQ(changes, 0);
    b->SetSize(2, 2);
    EXPECT_EQ(links.calls, 1);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(links.sender, static_cast<TObject*>(b.get()));
    b->SetDimensions(2, 2);
    EXPECT_EQ(links.calls, 1) << "the same size is no change";
    b->RemoveChangeLink(links.link.get());
}

TEST(FxBitmap, SizesPastThePlatformLimitRaiseAndChangeNothing) {
    auto b = NewBitmap(3, 3);
    Put(*b, 1, 1, clRed);
    for (auto [w, h] : {std::pair{32768, 1}, {1, 32768}, {10000, 10000}, {INT_MAX, INT_MAX}})
        EXPECT_THROW(b->SetSize(w, h), EInvalidArgument) << w << "x" << h;
    EXPECT_EQ(b->Width(), 3);
    EXPECT_EQ(At(*b, 1, 1), clRed);
    // The largest picture still fits: its stretch arithmetic cannot overflow.
    auto wide = NewBitmap(32767, 2);
    auto out = NewBitmap(7, 1);
    wide->SmoothStretchDraw(out->Canvas(), {0, 0, 7, 1});
    EXPECT_EQ(out->Canvas().Pixel(6, 0), clWhite);
}

TEST(FxBitmap, ANewHeightIsWhiteAndResizeKeepsTheImageScaled) {
    auto b = NewBitmap(10, 10);
    b->Canvas().Brush().SetColor(clRed);
    b->Canvas().FillRect({0, 0, 5, 10});
    b->SetHeight(20);
    EXPECT_EQ(b->Height(), 20);
    EXPECT_EQ(At(*b, 0, 0), clWhite);
    EXPECT_EQ(At(*b, 9, 19), clWhite);
    auto c = NewBitmap(10, 10);
    c->Canvas().Brush().SetColor(clRed);
    c->Canvas().FillRect({0, 0, 5, 10});
    c->Canvas().Brush().SetColor(clBlue);
    c->Canvas().FillRect({5, 0, 10, 10});
    c->Resize(20, 20);
    EXPECT_EQ(c->Width(), 20);
    EXPECT_EQ(At(*c, 3, 10), clRed);
    EXPECT_EQ(At(*c, 9, 0), clRed);
    EXPECT_EQ(At(*c, 10, 19), clBlue);
}

TEST(FxBitmap, TheBlockAndTheCanvasStayInStep) {
    auto b = NewBitmap(4, 2);
    TCanvas& c = b->Canvas();
    Put(*b, 3, 1, clRed);
    EXPECT_EQ(c.Pixel(3, 1), clRed) << "a block write reaches the canvas";
    c.Brush().SetColor(clLime);
    c.FillRect({0, 0, 2, 1});
    EXPECT_EQ(At(*b, 1, 0), clLime) << "a canvas write reaches the block";
    b->Invert();
    EXPECT_EQ(c.Pixel(1, 0), RGB(255, 0, 255)) << "an effect reaches a canvas kept from before";
    c.SetPixel(2, 1, clBlue);
    const TfxBitmap& cb = *b;
    EXPECT_EQ(cb.Bits()[cb.RowStride() + 6], 255) << "blue byte";
    // As the source of a blit from another canvas.
    Put(*b, 0, 1, clYellow);
    TBitmap target(4, 2);
    target.Canvas().Draw(0, 0, *b);
    EXPECT_EQ(target.Pixel(0, 1), clYellow);
    EXPECT_EQ(target.Pixel(2, 1), clBlue);
    EXPECT_EQ(target.Pixel(3, 1), RGB(0, 255, 255));
}

TEST(FxBitmap, AssigningTellsTheTargetsLinksOnceWithThePixelsCopied) {
    auto src = Row({clRed, clLime, clBlue});
    src->SetTransparent(true);
    src->SetSmooth(true);
    src->SetTransparentColor(clLime);
    src->SetPixelFormat(pf8bit);
    src->ColorTable()[0] = {1, 2, 3, 0};
    src->SetColorCount(1);
    auto dst = NewBitmap(1, 1);
    Counter links;
    TColor seen = clNone;
    links.onCall = [&] { seen = dst->Width() > 2 ? At(*dst, 2, 0) : clNone; };
    dst->AddChangeLink(links.link.get());
    dst->Assign(src.get());
    EXPECT_EQ(links.calls, 1);
    EXPECT_EQ(seen, clBlue) << "told after the pixels were copied";
    EXPECT_EQ(links.sender, static_cast<TObject*>(dst.get()));
    EXPECT_EQ(At(*dst, 0, 0), clRed);
    EXPECT_TRUE(dst->Transparent());
    EXPECT_TRUE(dst->Smooth());
    EXPECT_EQ(dst->TransparentColor(), clLime);
    EXPECT_EQ(dst->PixelFormat(), pf8bit);
    EXPECT_EQ(dst->ColorTable()[0], (TRGBQuad{1, 2, 3, 0}));
    EXPECT_EQ(dst->ColorCount(), 1);
    // With the target's updates held, nobody is told and the hold stays.
    dst->SetUpdating(true);
    dst->Assign(src.get());
    EXPECT_EQ(links.calls, 1);
    EXPECT_TRUE(dst->Updating());
    dst->SetUpdating(false);
    // An empty source empties the target, told once.
    auto empty = NewBitmap();
    dst->Assign(empty.get());
    EXPECT_TRUE(dst->Empty());
    EXPECT_EQ(links.calls, 2);
    dst->Assign(nullptr);
    EXPECT_EQ(links.calls, 3);
}

TEST(FxBitmap, AssigningAPictureToItselfKeepsIt) {
    auto b = Row({clRed, clBlue});
    Counter links;
    b->AddChangeLink(links.link.get());
    b->Assign(b.get());
    b->Assign(static_cast<const TGraphic*>(b.get()));
    b->Assign(static_cast<const TPersistent*>(b.get()));
    EXPECT_TRUE(b->AssignTo(*b));
    ASSERT_EQ(b->Width(), 2);
    EXPECT_EQ(At(*b, 0, 0), clRed);
    EXPECT_EQ(At(*b, 1, 0), clBlue);
    EXPECT_EQ(links.calls, 0);
}

TEST(FxBitmap, BitmapsComeInAndGoOutWithFormatColourTableAndTransparency) {
    TBitmap bmp(3, 1);
    bmp.SetPixel(0, 0, clRed), bmp.SetPixel(1, 0, clGreen), bmp.SetPixel(2, 0, clNavy);
    bmp.SetPixelFormat(pf8bit);
    bmp.SetPalette({clRed, clGreen, clNavy});
    bmp.SetTransparent(true);
    auto fx = NewBitmap();
    Counter links;
    fx->AddChangeLink(links.link.get());
    fx->Assign(&bmp);
    EXPECT_GE(links.calls, 1);
    EXPECT_EQ(fx->PixelFormat(), pf8bit);
    EXPECT_TRUE(fx->Transparent());
    EXPECT_EQ(fx->ColorCount(), 3);
    EXPECT_EQ(fx->ColorTable()[2], (TRGBQuad{0x80, 0, 0, 0}));
    EXPECT_EQ(At(*fx, 1, 0), clGreen);
    // Out again, through the bitmap's own Assign.
    fx->SetTransparentColor(clGreen);
    TBitmap back;
    back.Assign(*fx);
    EXPECT_EQ(back.PixelFormat(), pf8bit);
    EXPECT_TRUE(back.Transparent());
    EXPECT_EQ(back.TransparentColor(), clGreen);
    EXPECT_EQ(back.Palette(), (std::vector<TColor>{clRed, clGreen, clNavy}));
    EXPECT_EQ(back.Pixel(2, 0), clNavy);
    // A JPEG comes in drawn on a bitmap; it cannot take a TfxBitmap.
    TJPEGImage jpeg;
    const std::string file = test::MakeJpeg(16, 4);
    jpeg.LoadFromMemory(file.data(), file.size());
    fx->Assign(&jpeg);
    EXPECT_EQ(fx->Width(), 16);
    EXPECT_GT(GetRValue(At(*fx, 1, 1)), 200);
    auto drawn = NewBitmap();
    drawn->LoadFromGraphic(jpeg);
    EXPECT_EQ(drawn->Height(), 4);
    EXPECT_GT(GetBValue(At(*drawn, 14, 2)), 200);
    EXPECT_EQ(test::ErrorMessage<EConvertError>([&] { fx->AssignTo(jpeg); }),
              "Cannot assign a TfxBitmap to a TJPEGImage");
    TOwned<TPicture> picture(Create<TPicture>());
    EXPECT_EQ(test::ErrorMessage<EConvertError>([&] { fx->Assign(picture.get()); }),
              "Cannot assign a TPicture to a TfxBitmap");
    // A picture can hold a copy.
    picture->SetGraphic(fx.get());
    auto* held = dynamic_cast<TfxBitmap*>(picture->Graphic());
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(At(*held, 1, 1), At(*fx, 1, 1));
    EXPECT_EQ(held->TransparentColor(), clGreen);
}

TEST(FxBitmap, BmpStreamsRoundTripEveryDepthByteForByte) {
    const TColor colours[] = {clRed, clLime, clBlue, clWhite, clBlack, clYellow, clTeal, clGray};
    for (TPixelFormat f : {pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit}) {
        for (int w : {1, 3, 6}) {
            TBitmap b(w, 3);
            for (int y = 0; y < 3; ++y)
                for (int x = 0; x < w; ++x) b.SetPixel(x, y, colours[(x + 3 * y) % 8]);
            b.SetPixelFormat(f);
            const std::string file = BmpOf(b);
            TMemoryStream in(file);
            auto fx = NewBitmap();
            fx->LoadFromStream(in);
            ASSERT_EQ(fx->Width(), w);
            TMemoryStream out;
            fx->SaveToStream(out);
            EXPECT_EQ(out.Bytes(), file) << "format " << f << ", width " << w;
            EXPECT_EQ(fx->PixelFormat(), f == pf16bit ? pf15bit : f);  // 16-bit files are 5-5-5
        }
    }
}

TEST(FxBitmap, ADamagedStreamRaisesAndKeepsThePicture) {
    auto fx = Row({clRed});
    TMemoryStream junk(std::string("BMxxxx"));
    EXPECT_THAT(test::ErrorMessage<EInvalidGraphic>([&] { fx->LoadFromStream(junk); }),
                ::testing::HasSubstr("invalid BMP file"));
    EXPECT_EQ(At(*fx, 0, 0), clRed);
}

TEST(FxBitmap, FormFilesCarryThePictureAsData) {
    TBitmap b(2, 1);
    b.SetPixel(0, 0, clRed), b.SetPixel(1, 0, clBlue);
    b.SetPixelFormat(pf24bit);
    const std::string file = BmpOf(b);
    std::string data;
    for (int i = 0; i < 4; ++i) data.push_back(char((file.size() >> (8 * i)) & 0xFF));
    data += file;
    TOwned<TfxPictureHolder> holder(Create<TfxPictureHolder>(nullptr));
    ReadComponentText(holder.get(), "object Holder: TfxPictureHolder\n  Picture.Data = {" + Hex(data) + "}\nend\n",
                      "holder.form");
    ASSERT_EQ(holder->Picture()->Width(), 2);
    EXPECT_EQ(At(*holder->Picture(), 1, 0), clBlue);
    const std::string written = WriteComponentText(holder.get());
    EXPECT_THAT(written, ::testing::HasSubstr("Picture.Data = {"));
    EXPECT_THAT(written, ::testing::HasSubstr(Hex(data).substr(0, 40)));
    // A length that does not match, and a damaged image, name the file and line.
    TOwned<TfxPictureHolder> other(Create<TfxPictureHolder>(nullptr));
    const std::string shortImage = std::string("\x04\0\0\0", 4) + "BMxx";
    for (const std::string& bad : {Hex(data.substr(0, data.size() - 1)), Hex(shortImage)}) {
        EXPECT_THAT(test::ErrorMessage<Exception>([&] {
                        ReadComponentText(other.get(),
                                          "object Holder: TfxPictureHolder\n  Picture.Data = {" + bad + "}\nend\n",
                                          "bad.form");
                    }),
                    ::testing::HasSubstr("bad.form:2"));
        EXPECT_TRUE(other->Picture()->Empty());
    }
    // An empty picture is not written.
    EXPECT_THAT(WriteComponentText(other.get()), ::testing::Not(::testing::HasSubstr("Picture.Data")));
}

TEST(FxBitmap, PixelsKeptInMemoryComeBack) {
    auto b = Row({clRed, clLime, clBlue, clYellow, clAqua});
    const std::vector<std::uint8_t> before(b->Bits(), b->Bits() + b->ImageSize());
    b->ReleaseToMemory();
    EXPECT_TRUE(b->Empty());
    EXPECT_TRUE(b->HasSavedImage());
    b->RestoreFromMemory();
    EXPECT_FALSE(b->HasSavedImage());
    ASSERT_EQ(b->Width(), 5);
    EXPECT_EQ(std::vector<std::uint8_t>(b->Bits(), b->Bits() + b->ImageSize()), before);
    auto empty = NewBitmap();
    empty->ReleaseToMemory();
    EXPECT_FALSE(empty->HasSavedImage());
    empty->RestoreFromMemory();
    EXPECT_TRUE(empty->Empty());
}

TEST(FxBitmap, LoadFromBitsChecksWhatHoldsThePixels) {
    auto b = Row({clRed});
    const std::vector<std::uint8_t> rows(16 * 2, 0xAB);  // 5 x 2 needs 32 bytes
    EXPECT_THAT(test::ErrorMessage<EInvalidGraphic>([&] {
                    b->LoadFromBits(rows.data(), 31, {5, 2});
                }),
                ::testing::HasSubstr("31 bytes of pixels are too few for a picture of 5x2, which needs 32"));
    EXPECT_THROW(b->LoadFromBits(nullptr, 32, {5, 2}), EInvalidGraphic);
    EXPECT_THROW(b->LoadFromBits(rows.data(), INT64_MAX, {40000, 1}), EInvalidGraphic);
    EXPECT_THROW(b->LoadFromBits(rows.data(), INT64_MAX, {30000, 30000}), EInvalidGraphic);
    EXPECT_EQ(At(*b, 0, 0), clRed) << "nothing changed";
    b->LoadFromBits(rows.data(), 32, {5, 2});
    EXPECT_EQ(At(*b, 4, 1), RGB(0xAB, 0xAB, 0xAB));
    EXPECT_EQ(b->RowTable()[1][15], 0) << "padding is not taken over";
    b->LoadFromBits(nullptr, 0, {0, 7});
    EXPECT_TRUE(b->Empty());
}

TEST(FxBitmap, DrawingTransparentlyLeavesTheKeyColourOut) {
    auto b = Row({clWhite, clRed, clWhite});
    TBitmap target(5, 1);
    target.Fill(clLime);
    b->SetTransparent(true);
    target.Canvas().Draw(1, 0, *b);  // key: the top-left pixel
    EXPECT_EQ(target.Pixel(1, 0), clLime);
    EXPECT_EQ(target.Pixel(2, 0), clRed);
    EXPECT_EQ(target.Pixel(3, 0), clLime);
    b->SetTransparentColor(clRed);
    target.Canvas().Draw(2, 0, *b);
    EXPECT_EQ(target.Pixel(2, 0), clWhite);
    EXPECT_EQ(target.Pixel(3, 0), clLime);
    EXPECT_EQ(target.Pixel(4, 0), clWhite);
    b->SetIgnoreTransparent(true);
    target.Canvas().Draw(2, 0, *b);
    EXPECT_EQ(target.Pixel(3, 0), clRed);
}

TEST(FxBitmap, TheMaskFollowsThePixelsAndTheKey) {
    auto b = Row({clWhite, clRed, clRed});
    b->SetTransparent(true);
    TBitmap target(3, 1);
    target.Fill(clLime);
    target.Canvas().Draw(0, 0, *b);
    EXPECT_EQ(target.Pixel(0, 0), clLime);
    EXPECT_EQ(target.Pixel(1, 0), clRed);
    // After an effect the key (the top-left pixel) is red.
    b->Flip(true);
    target.Fill(clLime);
    target.Canvas().Draw(0, 0, *b);
    EXPECT_EQ(target.Pixel(0, 0), clLime);
    EXPECT_EQ(target.Pixel(1, 0), clLime);
    EXPECT_EQ(target.Pixel(2, 0), clWhite);
    // After drawing on the picture's canvas.
    b->Canvas().SetPixel(0, 0, clBlue);
    target.Fill(clLime);
    target.Canvas().Draw(0, 0, *b);
    EXPECT_EQ(target.Pixel(1, 0), clRed);
    EXPECT_EQ(target.Pixel(0, 0), clLime);
    // After a new key.
    b->SetTransparentColor(clWhite);
    target.Fill(clLime);
    target.Canvas().Draw(0, 0, *b);
    EXPECT_EQ(target.Pixel(0, 0), clBlue);
    EXPECT_EQ(target.Pixel(2, 0), clLime);
    EXPECT_TRUE(b->GetMask().Monochrome());
    EXPECT_EQ(b->GetMask().Pixel(2, 0), clBlack);
}

TEST(FxBitmap, SmoothStretchingWeighsFourPixelsIn15BitFixedPoint) {
    auto b = Row({clBlack, clWhite});
    b->SetSmooth(true);
    TBitmap target(4, 1);
    target.Canvas().Draw(0, 0, *b);  // the same size: copied
    EXPECT_EQ(target.Pixel(1, 0), clWhite);
    target.Canvas().StretchDraw({0, 0, 4, 1}, *b);
    // xStep 8192: 255 * 8192 shr 15 = 63, then 127 and 191.
    for (auto [x, v] : {std::pair{0, 0}, {1, 63}, {2, 127}, {3, 191}}) EXPECT_EQ(target.Pixel(x, 0), RGB(v, v, v));
    // 2 x 3 into 3 x 2: the same number of pixels, yet stretched. xStep
    // 32768 / 3 = 10922: 255 * 10922 shr 15 = 84, 255 * 21844 shr 15 = 169.
    auto tall = NewBitmap(2, 3);
    for (int y = 0; y < 3; ++y) Put(*tall, 0, y, clBlack);
    TBitmap wide(3, 2);
    tall->SmoothStretchDraw(wide.Canvas(), {0, 0, 3, 2});
    for (int y = 0; y < 2; ++y)
        for (auto [x, v] : {std::pair{0, 0}, {1, 84}, {2, 169}}) EXPECT_EQ(wide.Pixel(x, y), RGB(v, v, v)) << x;
    // Transparent: the stretched copy's top-left pixel is the key.
    b->SetTransparent(true);
    TBitmap keyed(4, 1);
    keyed.Fill(clRed);
    b->SmoothStretchDraw(keyed.Canvas(), {0, 0, 4, 1});
    EXPECT_EQ(keyed.Pixel(0, 0), clRed);
    EXPECT_EQ(keyed.Pixel(3, 0), RGB(191, 191, 191));
    // Nothing for a rectangle under one pixel.
    b->SmoothStretchDraw(keyed.Canvas(), {3, 0, 3, 1});
    b->SmoothStretchDraw(keyed.Canvas(), {3, 0, 1, 1});
    EXPECT_EQ(keyed.Pixel(3, 0), RGB(191, 191, 191));
}

TEST(FxBitmap, StretchDrawTakesTheNearestPixel) {
    auto b = Row({clRed, clBlue});
    TBitmap target(4, 1);
    target.Canvas().StretchDraw({0, 0, 4, 1}, *b);
    EXPECT_EQ(target.Pixel(1, 0), clRed);
    EXPECT_EQ(target.Pixel(2, 0), clBlue);
    auto keyed = Row({clWhite, clRed});
    keyed->SetTransparent(true);
    target.Fill(clLime);
    target.Canvas().StretchDraw({0, 0, 4, 1}, *keyed);
    EXPECT_EQ(target.Pixel(1, 0), clLime);
    EXPECT_EQ(target.Pixel(2, 0), clRed);
}

TEST(FxBitmap, TileDrawStartsFromTheCanvasOriginLessTheCorner) {
    auto b = NewBitmap(2, 2);
    Put(*b, 0, 0, clRed), Put(*b, 1, 0, clLime), Put(*b, 0, 1, clBlue), Put(*b, 1, 1, clYellow);
    TBitmap target(6, 6);
    target.Fill(clBlack);
    // Tiles at 0, 2, 4 (below 5), drawn 1 up and left.
    b->TileDraw(target.Canvas(), {1, 1, 5, 5});
    EXPECT_EQ(target.Pixel(0, 0), clYellow);
    EXPECT_EQ(target.Pixel(1, 1), clRed);
    EXPECT_EQ(target.Pixel(3, 4), clBlue);
    EXPECT_EQ(target.Pixel(4, 3), clLime);
    EXPECT_EQ(target.Pixel(5, 5), clBlack);
    EXPECT_EQ(target.Pixel(5, 0), clBlack);
    // A huge rectangle costs only what shows.
    target.Fill(clBlack);
    b->TileDraw(target.Canvas(), {0, 0, INT_MAX, INT_MAX});
    EXPECT_EQ(target.Pixel(0, 0), clRed);
    EXPECT_EQ(target.Pixel(5, 5), clYellow);
}

TEST(FxBitmap, TheImagePaletteComesFromTheColourTable) {
    auto b = NewBitmap(1, 1);
    b->CreateImagePalette();
    EXPECT_EQ(b->Palette(), nullptr) << "the first entry is all 0";
    b->ColorTable()[0] = {1, 2, 3, 4};
    b->ColorTable()[255] = {10, 20, 30, 40};
    TBitmap target(1, 1);
    target.Canvas().Draw(0, 0, *b);
    EXPECT_EQ(b->Palette(), nullptr) << "displays of 32 bits need none";
    b->CreateImagePalette();
    ASSERT_NE(b->Palette(), nullptr);
    EXPECT_EQ(b->Palette()->palVersion, 0x300);
    ASSERT_EQ(b->Palette()->palPalEntry.size(), 256u);
    EXPECT_EQ(b->Palette()->palPalEntry[0], (TPaletteEntry{3, 2, 1, 0}));
    EXPECT_EQ(b->Palette()->palPalEntry[255], (TPaletteEntry{30, 20, 10, 0}));
}

TEST(FxBitmap, LinksAreToldInOrderAndMayLeaveWhileTold) {
    auto b = NewBitmap();
    Counter first, second;
    std::vector<int> order;
    first.onCall = [&] {
        order.push_back(1);
        b->RemoveChangeLink(first.link.get());
    };
    second.onCall = [&] { order.push_back(2); };
    b->AddChangeLink(first.link.get());
    b->AddChangeLink(second.link.get());
    b->SetSize(1, 1);
    b->SetTransparent(true);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 2}));
    // The link's other two calls pass its sender on.
    TObject* seen = nullptr;
    second.link->OnChanging = [&](TObject* s) { seen = s; };
    second.link->Sender = b.get();
    second.link->Changing();
    EXPECT_EQ(seen, static_cast<TObject*>(b.get()));
    int loaded = 0;
    second.link->OnLoaded = [&](TObject* s) { loaded += s == b.get(); };
    second.link->Loaded();
    EXPECT_EQ(loaded, 1);
    b->RemoveChangeLink(second.link.get());
}

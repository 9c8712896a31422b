// Labels, panels, bevels, images and pictures.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "base/Files.h"
#include "base/Streams.h"
#include "classes/FormReader.h"
#include "classes/FormWriter.h"
#include "gfx/Bmp.h"
#include "gfx/Jpeg.h"
#include "testsupport/ErrorMessage.h"
#include "testsupport/Images.h"
#include "testsupport/TempDir.h"
#include "testsupport/UiTest.h"
#include "ui/ExtCtrls.h"
#include "ui/StdCtrls.h"

namespace menvaro {

using test::MakeJpeg;

namespace {

std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string s;
    for (unsigned char b : bytes) {
        s.push_back(digits[b >> 4]);
        s.push_back(digits[b & 15]);
    }
    return s;
}

class Panels : public ControlTest {};

TEST_F(Panels, AnOpaqueLabelThatShrinksLeavesNothingOfItsOldText) {
    form->SetColor(clWhite);
    auto* l = Put<TLabel>(20, 10, 10, 10);
    l->SetTransparent(false);
    l->SetColor(clYellow);
    l->Font()->SetColor(clBlack);
    l->SetCaption("a long caption of many words");
    const TRect wide = l->BoundsRect();
    ASSERT_EQ(At(l, 1, 1), Rgb(clYellow));
    l->SetCaption("a");
    ASSERT_LT(l->Width(), wide.Width());
    // Where the wide label stood and the short one does not, the form shows again.
    int leftovers = 0;
    for (int x = l->Width(); x < wide.Width(); ++x)
        for (int y = 0; y < wide.Height(); ++y)
            if (At(l, x, y) != Rgb(clWhite)) ++leftovers;
    EXPECT_EQ(leftovers, 0);
}

TEST_F(Panels, LabelSizesItselfToItsCaption) {
    auto* l = Put<TLabel>(20, 10, 10, 10);
    l->Font()->SetName("黑体");
    l->Font()->SetHeight(-20);
    l->SetCaption("Menvaro无线餐饮系统     ");
    TCanvas c;
    c.Font().Assign(*l->Font());
    EXPECT_EQ(l->Width(), c.TextWidth(l->Caption()));
    EXPECT_EQ(l->Height(), c.TextMetrics().Height);
    // Right-aligned, it keeps its right edge.
    l->SetAlignment(taRightJustify);
    int right = l->Left() + l->Width();
    l->SetCaption("短");
    EXPECT_EQ(l->Left() + l->Width(), right);
    // Word-wrapped, it keeps its width and grows down.
    auto* w = Put<TLabel>(20, 60, 60, 10);
    w->SetWordWrap(true);
    w->SetCaption("one two three four five");
    TCanvas wc;
    wc.Font().Assign(*w->Font());
    EXPECT_EQ(w->Width(), 60);
    EXPECT_GE(w->Height(), 2 * wc.TextMetrics().Height);
    // A label read from a form file fits its caption once the file is read.
    auto* f = FormFromText(
        "object F: TForm\n  object lblUser: TLabel\n    Left = 10\n    Top = 4\n    Width = 28\n"
        "    Height = 13\n    Caption = '用户(&U)'\n  end\nend\n",
        "label.form");
    auto* read = Part<TLabel>(f, "lblUser");
    TCanvas rc;
    rc.Font().Assign(*read->Font());
    TRect calc{0, 0, 1000, 0};
    rc.DrawText("用户(&U)", calc, DT_CALCRECT);
    EXPECT_EQ(read->Width(), calc.Width());
    // Without AutoSize the bounds stay.
    auto* fixed = Put<TLabel>(20, 120, 339, 17);
    fixed->SetAutoSize(false);
    fixed->SetCaption("x");
    EXPECT_EQ(fixed->Width(), 339);
}

TEST_F(Panels, LabelPaintsItsTextOpaqueTransparentOrEmbossed) {
    auto* panel = Put<TPanel>(0, 0, 300, 80);
    panel->SetColor(clWhite);
    panel->SetBevelOuter(bvNone);
    auto* l = Put<TLabel>(10, 10, 10, 10, panel);
    l->Font()->SetColor(clPurple);
    l->Font()->SetQuality(fqNonAntialiased);  // whole pixels of the font colour
    l->SetCaption("MMMM");
    Pump();
    auto count = [&](TControl* c, TColor color) {
        Pump();
        return CountPixels(c, {0, 0, c->Width(), c->Height()}, color);
    };
    // A label takes its parent's colour unless given one.
    EXPECT_EQ(l->Color(), clWhite);
    EXPECT_GT(count(l, clPurple), 10);
    l->SetColor(clYellow);
    EXPECT_GT(count(l, clYellow), 10);
    l->SetTransparent(true);
    EXPECT_EQ(count(l, clYellow), 0);
    EXPECT_GT(count(l, clWhite), 10);
    l->SetEnabled(false);
    EXPECT_EQ(count(l, clPurple), 0);
    EXPECT_GT(count(l, Rgb(clBtnShadow)), 10);
    // Layout puts the text at the bottom of a taller label.
    auto* tall = Put<TLabel>(100, 0, 80, 60, panel);
    tall->SetAutoSize(false);
    tall->SetLayout(tlBottom);
    tall->Font()->SetColor(clRed);
    tall->Font()->SetQuality(fqNonAntialiased);
    tall->SetCaption("MM");
    int top = 1000;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 80; ++x)
            if (At(tall, x, y) == clRed) top = std::min(top, y);
    EXPECT_GT(top, 40);
}

TEST_F(Panels, LabelAcceleratorFocusesItsControl) {
    auto* l = Put<TLabel>(10, 10, 50, 17);
    auto* e = Put<TEdit>(70, 10, 100, 21);
    auto* other = Put<TEdit>(70, 40, 100, 21);
    l->SetCaption("&Name");
    l->SetFocusControl(e);
    other->SetFocus();
    Pump();
    Press('N', {ssAlt});
    EXPECT_TRUE(e->Focused());
    // The reference goes when the control does.
    e->Free();
    EXPECT_EQ(l->FocusControl(), nullptr);
}

TEST_F(Panels, PanelBevelsBorderAndCaption) {
    auto* p = Put<TPanel>(10, 10, 100, 60);
    p->SetBevelInner(bvLowered);
    p->SetBevelWidth(2);
    p->SetBorderWidth(3);
    p->SetColor(clSilver);
    Pump();
    // Outer raised bevel: light top-left, dark bottom-right, 2 wide.
    EXPECT_EQ(At(p, 0, 30), Rgb(clBtnHighlight));
    EXPECT_EQ(At(p, 1, 30), Rgb(clBtnHighlight));
    EXPECT_EQ(At(p, 99, 30), Rgb(clBtnShadow));
    // The border in the panel's colour, then the lowered inner bevel.
    EXPECT_EQ(At(p, 2, 30), clSilver);
    EXPECT_EQ(At(p, 5, 30), Rgb(clBtnShadow));
    EXPECT_EQ(At(p, 94, 30), Rgb(clBtnHighlight));
    // Aligned children sit inside all of it.
    auto* child = Put<TPanel>(0, 0, 10, 10, p);
    child->SetAlign(alClient);
    EXPECT_EQ(child->BoundsRect(), (TRect{7, 7, 93, 53}));
    child->Free();
    // The caption is centred in the panel's font colour.
    p->Font()->SetColor(clMaroon);
    p->Font()->SetQuality(fqNonAntialiased);
    p->SetCaption("||||");
    int minX = 1000, maxX = -1;
    for (int x = 0; x < 100; ++x)
        if (At(p, x, 30) == clMaroon) minX = std::min(minX, x), maxX = std::max(maxX, x);
    ASSERT_GE(maxX, 0);
    EXPECT_LE(std::abs((minX + maxX) / 2 - 50), 2);
    // No bevel at all: the colour to the edge.
    p->SetBevelOuter(bvNone);
    p->SetBevelInner(bvNone);
    p->SetBorderWidth(0);
    EXPECT_EQ(At(p, 0, 5), clSilver);
    // A single border is a frame of the window.
    p->SetBorderStyle(bsSingle);
    EXPECT_EQ(p->ClientWidth(), 96);
}

TEST_F(Panels, BevelShapesAndStyles) {
    auto* b = Put<TBevel>(10, 10, 40, 30);
    const TColor sh = Rgb(clBtnShadow), hi = Rgb(clBtnHighlight), face = Rgb(clBtnFace);
    struct Case {
        TBevelShape shape;
        TBevelStyle style;
        std::vector<std::pair<TPoint, TColor>> pixels;
    };
    const Case cases[] = {
        {bsBox, bsLowered, {{{0, 10}, sh}, {{10, 0}, sh}, {{39, 10}, hi}, {{10, 29}, hi}, {{10, 10}, face}}},
        {bsBox, bsRaised, {{{0, 10}, hi}, {{39, 10}, sh}}},
        {bsFrame,
         bsLowered,
         {{{0, 10}, sh},
          {{1, 10}, hi},
          {{38, 10}, sh},
          {{39, 10}, hi},
          {{10, 28}, sh},
          {{10, 29}, hi},
          {{5, 5}, face}}},
        {bsFrame, bsRaised, {{{0, 10}, hi}, {{1, 10}, sh}, {{38, 10}, hi}, {{39, 10}, sh}}},
        {bsTopLine, bsLowered, {{{20, 0}, sh}, {{20, 1}, hi}, {{20, 2}, face}, {{20, 29}, face}}},
        {bsBottomLine, bsLowered, {{{20, 28}, sh}, {{20, 29}, hi}, {{20, 0}, face}}},
        {bsLeftLine, bsRaised, {{{0, 15}, hi}, {{1, 15}, sh}}},
        {bsRightLine, bsLowered, {{{38, 15}, sh}, {{39, 15}, hi}}},
        {bsSpacer, bsLowered, {{{0, 0}, face}, {{39, 29}, face}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.shape) + "/" + std::to_string(c.style));
        b->SetShape(c.shape);
        b->SetStyle(c.style);
        for (auto& [p, color] : c.pixels) EXPECT_EQ(At(b, p.X, p.Y), color) << p.X << "," << p.Y;
    }
}

TEST_F(Panels, ImagePlacesItsPicture) {
    auto* img = Put<TImage>(0, 0, 154, 69);
    TBitmap pic(40, 20);
    pic.Fill(clRed);
    img->Picture()->SetGraphic(&pic);
    struct Case {
        bool stretch, center, proportional;
        TRect dest;
    };
    const Case cases[] = {
        {false, false, false, {0, 0, 40, 20}},
        {false, true, false, {57, 24, 97, 44}},
        {true, false, false, {0, 0, 154, 69}},
        {true, false, true, {0, 0, 138, 69}},
        {true, true, true, {8, 0, 146, 69}},
        {false, false, true, {0, 0, 40, 20}},  // proportional alone never enlarges
    };
    for (const Case& c : cases) {
        img->SetStretch(c.stretch);
        img->SetCenter(c.center);
        img->SetProportional(c.proportional);
        EXPECT_EQ(img->DestRect(), c.dest) << c.stretch << c.center << c.proportional;
    }
    // Too big: proportional alone shrinks it.
    TBitmap big(400, 100);
    img->Picture()->SetGraphic(&big);
    img->SetStretch(false);
    img->SetCenter(false);
    EXPECT_EQ(img->DestRect(), (TRect{0, 0, 154, 38}));
    // Painted where the rectangle says.
    img->Picture()->SetGraphic(&pic);
    img->SetCenter(true);
    EXPECT_EQ(At(img, 60, 30), clRed);
    EXPECT_EQ(At(img, 50, 30), Rgb(clBtnFace));
    // Transparent leaves the bitmap's bottom-left colour out.
    pic.SetPixel(0, 19, clLime);
    pic.Canvas().Brush().SetColor(clLime);
    pic.Canvas().FillRect({0, 10, 40, 20});
    img->Picture()->SetGraphic(&pic);
    img->SetTransparent(true);
    EXPECT_EQ(At(img, 60, 40), Rgb(clBtnFace));
    EXPECT_EQ(At(img, 60, 30), clRed);
    // AutoSize takes the picture's size.
    img->SetAutoSize(true);
    EXPECT_EQ(img->Width(), 40);
    EXPECT_EQ(img->Height(), 20);
}

TEST_F(Panels, PictureDataHoldsAJpegOrABitmap) {
    std::string jpeg = MakeJpeg(32, 16);
    TJPEGImage j;
    j.LoadFromMemory(jpeg.data(), jpeg.size());
    std::string data = TPicture::Data(&j);
    // One length byte, the class name, four length bytes, the file.
    ASSERT_EQ(data.size(), 1 + 10 + 4 + jpeg.size());
    EXPECT_EQ(data.substr(0, 11), "\x0ATJPEGImage");
    EXPECT_EQ(static_cast<unsigned char>(data[11]), jpeg.size() & 0xFF);
    EXPECT_EQ(data.substr(15), jpeg);  // the file as it was
    TMemoryStream s(data);
    auto back = TPicture::ReadData(s);
    ASSERT_TRUE(dynamic_cast<TJPEGImage*>(back.get()));
    EXPECT_EQ(back->Width(), 32);
    // A bitmap: "TBitmap", then its BMP file.
    TBitmap b(3, 2);
    b.Fill(clBlue);
    std::string bd = TPicture::Data(&b);
    EXPECT_EQ(bd.substr(0, 8), "\x07TBitmap");
    EXPECT_EQ(bd.substr(12, 2), "BM");
    TMemoryStream bs(bd);
    auto bb = TPicture::ReadData(bs);
    ASSERT_TRUE(dynamic_cast<TBitmap*>(bb.get()));
    EXPECT_EQ(static_cast<TBitmap*>(bb.get())->Pixel(2, 1), clBlue);
    // Damaged data is refused with a reason.
    std::string bad = data;
    bad[11] = static_cast<char>(bad[11] + 1);
    TMemoryStream badStream(bad);
    EXPECT_THROW(TPicture::ReadData(badStream), EReadError);
    std::string unknown = "\x04TPng" + data.substr(11);
    TMemoryStream unknownStream(unknown);
    EXPECT_THROW(TPicture::ReadData(unknownStream), EReadError);
}

TEST_F(Panels, FormFilesCarryTheImagesPictureBothWays) {
    std::string jpeg = MakeJpeg(154, 69);
    TJPEGImage j;
    j.LoadFromMemory(jpeg.data(), jpeg.size());
    std::string text =
        "object Logo: TForm\n"
        "  object imgLogo: TImage\n"
        "    Left = 0\n    Top = 0\n    Width = 154\n    Height = 69\n"
        "    Align = alRight\n    Center = True\n    Stretch = True\n"
        "    Picture.Data = {" +
        Hex(TPicture::Data(&j)) + "}\n  end\nend\n";
    auto* f = FormFromText(text, "logo.form");
    auto* img = Part<TImage>(f, "imgLogo");
    ASSERT_NE(img, nullptr);
    auto* g = dynamic_cast<TJPEGImage*>(img->Picture()->Graphic());
    ASSERT_NE(g, nullptr);
    EXPECT_TRUE(Near(g->Bitmap().Pixel(10, 10), clRed, 40));
    EXPECT_TRUE(Near(g->Bitmap().Pixel(140, 10), clBlue, 40));
    std::string written = WriteComponentText(f);
    EXPECT_NE(written.find("Picture.Data = {"), std::string::npos);
    EXPECT_NE(written.find(Hex(TPicture::Data(&j)).substr(0, 32)), std::string::npos);
    // A damaged picture names the file and line.
    std::string broken =
        "object Logo: TForm\n  object imgLogo2: TImage\n    Picture.Data = {0A544A504547496D616765}\n"
        "  end\nend\n";
    EXPECT_THAT(test::ErrorMessage<Exception>([&] { FormFromText(broken, "broken.form"); }),
                ::testing::HasSubstr("broken.form:3"));
}

TEST_F(Panels, PictureDataScriptTurnsAJpegFileIntoFormText) {
    const test::TempDir temp("picture_data");
    std::string dir = ExcludeTrailingPathDelimiter(temp.path());
    std::string jpeg = MakeJpeg(20, 10);
    WriteFileAtomic(dir + "/logo.jpg", jpeg);
    std::string cmd = std::string("\"") + MENVARO_CMAKE_COMMAND + "\" -DIN=\"" + dir + "/logo.jpg\" -DOUT=\"" + dir +
                      "/logo.txt\" -DINDENT=4 -P \"" + MENVARO_PICTURE_DATA_SCRIPT + "\"";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    std::string piece = ReadFileBytes(dir + "/logo.txt");
    EXPECT_EQ(piece.rfind("    Picture.Data = {\n", 0), 0u) << piece;
    auto* f = FormFromText("object F: TForm\n  object img: TImage\n" + piece + "  end\nend\n", "piece.form");
    auto* img = Part<TImage>(f, "img");
    auto* g = dynamic_cast<TJPEGImage*>(img->Picture()->Graphic());
    ASSERT_NE(g, nullptr);
    TMemoryStream out;
    g->SaveToStream(out);
    EXPECT_EQ(out.Bytes(), jpeg);
}

TEST_F(Panels, PictureLoadsFilesByExtension) {
    const test::TempDir temp("picture_files");
    std::string dir = ExcludeTrailingPathDelimiter(temp.path());
    WriteFileAtomic(dir + "/a.JPG", MakeJpeg(8, 8));
    TBitmap b(4, 4);
    b.Fill(clGreen);
    b.SaveToFile(dir + "/b.bmp");
    WriteFileAtomic(dir + "/c.gif", "GIF89a");
    TPicture p;
    p.LoadFromFile(dir + "/a.JPG");
    EXPECT_TRUE(dynamic_cast<TJPEGImage*>(p.Graphic()));
    p.LoadFromFile(dir + "/b.bmp");
    EXPECT_TRUE(dynamic_cast<TBitmap*>(p.Graphic()));
    EXPECT_THROW(p.LoadFromFile(dir + "/c.gif"), EInvalidGraphic);
    EXPECT_TRUE(dynamic_cast<TBitmap*>(p.Graphic()));  // left as it was
}

}  // namespace
}  // namespace menvaro

#include <gtest/gtest.h>

#include "classes/FormReader.h"
#include "classes/FormWriter.h"
#include "testsupport/UiTest.h"
#include "ui/Buttons.h"

namespace menvaro {
namespace {

// A glyph strip of solid images, one colour each, on an olive background
// corner (the transparent colour).
TBitmap SolidGlyph(std::initializer_list<TColor> colors, int size = 12) {
    TBitmap b(size * static_cast<int>(colors.size()), size);
    int i = 0;
    for (TColor c : colors) {
        b.Canvas().Brush().SetColor(c);
        b.Canvas().FillRect(Bounds(i * size, 0, size, size));
        ++i;
    }
    b.SetPixel(0, size - 1, clOlive);
    return b;
}

class Buttons : public ControlTest {};

TEST_F(Buttons, AButtonClicksWhenReleasedOverItAndTakesTheFocus) {
    auto* b = Put<TButton>(10, 10, 75, 25);
    int clicks = 0;
    b->OnClick = [&](TObject*) { ++clicks; };
    synthetic::MouseMove(ScreenAt(b, 30, 12));
    synthetic::MouseDown();
    Pump();
    EXPECT_TRUE(b->Pressed());
    EXPECT_TRUE(b->Focused());
    // Dragged off, it comes up and a release there does not click.
    synthetic::MouseMove(ScreenAt(b, 200, 100));
    Pump();
    EXPECT_FALSE(b->Pressed());
    synthetic::MouseUp();
    Pump();
    EXPECT_EQ(clicks, 0);
    Click(b, 30, 12);
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(b->Pressed());
    // Space presses on the way down and clicks on the way up.
    synthetic::KeyDown(VK_SPACE);
    Pump();
    EXPECT_TRUE(b->Pressed());
    EXPECT_EQ(clicks, 1);
    synthetic::KeyUp(VK_SPACE);
    Pump();
    EXPECT_EQ(clicks, 2);
}

TEST_F(Buttons, EnterClicksTheDefaultOrTheFocusedButtonEscTheCancelButton) {
    auto* edit = Put<TEdit>(10, 10, 100, 21);
    auto* ok = Put<TButton>(10, 50, 75, 25);
    auto* cancel = Put<TButton>(100, 50, 75, 25);
    auto* other = Put<TButton>(190, 50, 75, 25);
    ok->SetDefault(true);
    cancel->SetCancel(true);
    std::vector<std::string> log;
    ok->OnClick = [&](TObject*) { log.push_back("ok"); };
    cancel->OnClick = [&](TObject*) { log.push_back("cancel"); };
    other->OnClick = [&](TObject*) { log.push_back("other"); };
    edit->SetFocus();
    Pump();
    EXPECT_TRUE(ok->IsActiveDefault());
    Press(VK_RETURN);
    Press(VK_ESCAPE);
    other->SetFocus();
    Pump();
    EXPECT_FALSE(ok->IsActiveDefault());
    EXPECT_TRUE(other->IsActiveDefault());
    Press(VK_RETURN);
    EXPECT_EQ(log, (std::vector<std::string>{"ok", "cancel", "other"}));
    // The accelerator of a caption clicks too.
    other->SetCaption("&Save");
    Press('S', {ssAlt});
    EXPECT_EQ(log.back(), "other");
    EXPECT_EQ(log.size(), 4u);
}

TEST_F(Buttons, ModalResultEndsAModalForm) {
    auto* dialog = Create<TForm>(Application);
    dialog->SetBounds(200, 200, 200, 100);
    auto* yes = Create<TBitBtn>(dialog);
    yes->SetParent(dialog);
    yes->SetBounds(10, 10, 75, 25);
    yes->SetKind(bkYes);
    bool clicked = false;
    Application->IdleHook = [&](bool&) {
        if (clicked || !dialog->Visible()) return;
        clicked = true;
        synthetic::Click(yes->ClientToScreen({20, 10}));
    };
    EXPECT_EQ(dialog->ShowModal(), mrYes);
    Application->IdleHook = nullptr;
}

TEST_F(Buttons, PaintsTheDefaultFrameThePressedFaceAndTheFocusRect) {
    auto* plain = Put<TButton>(10, 10, 75, 25);
    auto* def = Put<TButton>(100, 10, 75, 25);
    def->SetDefault(true);
    def->SetCaption("OK");
    Pump();
    EXPECT_EQ(At(def, 0, 0), clBlack);    // the default button's frame
    EXPECT_NE(At(plain, 0, 0), clBlack);  // a raised edge instead
    EXPECT_EQ(At(plain, plain->Width() - 1, plain->Height() - 1), Rgb(cl3DDkShadow));
    EXPECT_EQ(At(plain, 20, 12), Rgb(clBtnFace));
    synthetic::MouseMove(ScreenAt(plain, 5, 20));
    synthetic::MouseDown();
    Pump();
    // Pressed: a shadow frame inside the focus frame.
    EXPECT_EQ(At(plain, 0, 0), clBlack);
    EXPECT_EQ(At(plain, 1, 1), Rgb(clBtnShadow));
    synthetic::MouseUp();
    Pump();
    // Focused: the dotted rectangle four pixels in.
    bool dotted = false;
    for (int x = 4; x < 12; ++x) dotted = dotted || At(plain, x, 4) != Rgb(clBtnFace);
    EXPECT_TRUE(dotted);
    EXPECT_EQ(At(def, 0, 0), Rgb(cl3DLight));  // the focused button took the default frame
}

struct KindRow {
    TBitBtnKind kind;
    const char* caption;
    TModalResult result;
    bool isDefault;
    bool isCancel;
};

TEST_F(Buttons, KindsGiveTheirStockRowAndAChangedRowIsCustom) {
    const KindRow rows[] = {
        {bkOK, "OK", mrOk, true, false},
        {bkCancel, "Cancel", mrCancel, false, true},
        {bkHelp, "&Help", mrNone, false, false},
        {bkYes, "&Yes", mrYes, true, false},
        {bkNo, "&No", mrNo, false, true},
        {bkClose, "&Close", mrNone, false, false},
        {bkAbort, "Abort", mrAbort, false, false},
        {bkRetry, "&Retry", mrRetry, false, false},
        {bkIgnore, "&Ignore", mrIgnore, false, false},
        {bkAll, "&All", mrAll, false, false},
    };
    for (const KindRow& r : rows) {
        SCOPED_TRACE(r.caption);
        auto* b = Put<TBitBtn>(10, 10, 90, 30);
        b->SetKind(r.kind);
        EXPECT_EQ(b->Kind(), r.kind);
        EXPECT_EQ(b->Caption(), r.caption);
        EXPECT_EQ(b->ModalResult(), r.result);
        EXPECT_EQ(b->Default(), r.isDefault);
        EXPECT_EQ(b->Cancel(), r.isCancel);
        EXPECT_EQ(b->NumGlyphs(), 2);
        EXPECT_EQ(b->Glyph()->Width(), 36);
        EXPECT_EQ(b->Glyph()->Height(), r.kind == bkAll ? 19 : 18);
        b->SetCaption("确认");
        EXPECT_EQ(b->Kind(), r.kind);  // the caption is free
        b->SetModalResult(42);
        EXPECT_EQ(b->Kind(), bkCustom);
        b->Free();
    }
    // Each stock glyph is a picture, not a blank: its up image has ink.
    for (int k = bkOK; k <= bkAll; ++k) {
        const TBitmap& g = BitBtnStockGlyph(static_cast<TBitBtnKind>(k));
        int ink = 0;
        for (int y = 0; y < g.Height(); ++y)
            for (int x = 0; x < 18; ++x) ink += g.Pixel(x, y) != clOlive;
        EXPECT_GT(ink, 15) << k;
    }
}

TEST_F(Buttons, CloseKindClosesItsForm) {
    auto* other = Create<TForm>(Application);
    other->SetBounds(50, 50, 200, 100);
    auto* b = Create<TBitBtn>(other);
    b->SetParent(other);
    b->SetKind(bkClose);
    other->Show();
    Pump();
    int clicks = 0;
    b->OnClick = [&](TObject*) { ++clicks; };
    b->Click();
    Pump();
    EXPECT_EQ(clicks, 0);
    EXPECT_FALSE(other->Visible());
}

TEST_F(Buttons, GlyphAndCaptionAreLaidOutByLayoutMarginAndSpacing) {
    TButtonGlyph g;
    TBitmap strip = SolidGlyph({clRed, clBlue}, 18);
    g.SetGlyph(&strip);
    EXPECT_EQ(g.NumGlyphs(), 2);
    TCanvas c;
    c.Font().SetName("MS Sans Serif");
    const std::string caption = "Caption";
    const int tw = c.TextWidth(caption), th = c.TextMetrics().Height;
    const TRect client{0, 0, 137, 73};
    struct Case {
        TButtonLayout layout;
        int margin, spacing;
        TPoint glyph;
        TPoint text;
    };
    const int cm = (137 - 18 - 4 - tw + 1) / 2;  // centred block, left or right
    const int vm = (73 - 18 - 4 - th + 1) / 2;   // centred block, top or bottom
    const Case cases[] = {
        {blGlyphLeft, -1, 4, {cm, 28}, {cm + 22, (73 - th + 1) / 2}},
        {blGlyphRight, -1, 4, {137 - cm - 18, 28}, {137 - cm - 18 - 4 - tw, (73 - th + 1) / 2}},
        {blGlyphTop, -1, 4, {60, vm}, {(137 - tw + 1) / 2, vm + 22}},
        {blGlyphBottom, -1, 4, {60, 73 - vm - 18}, {(137 - tw + 1) / 2, 73 - vm - 18 - 4 - th}},
        {blGlyphLeft, 4, 4, {4, 28}, {26, (73 - th + 1) / 2}},
        {blGlyphLeft, 4, -1, {4, 28}, {4 + 18 + (137 - 4 - 18 - tw) / 2, (73 - th + 1) / 2}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(std::to_string(k.layout) + " " + std::to_string(k.margin) + " " + std::to_string(k.spacing));
        TPoint gp;
        TRect tb;
        g.CalcLayout(c, client, {0, 0}, caption, k.layout, k.margin, k.spacing, gp, tb);
        EXPECT_EQ(gp, k.glyph);
        EXPECT_EQ(tb.TopLeft(), k.text);
        EXPECT_EQ(tb.Width(), tw);
    }
    // A caption with a line break is two lines, both laid out.
    TPoint gp;
    TRect tb;
    g.CalcLayout(c, client, {0, 0}, "开始更新\r\nPC--->PDA", blGlyphLeft, -1, 4, gp, tb);
    EXPECT_EQ(tb.Height(), 2 * th);
}

TEST_F(Buttons, BitmapButtonShowsAMultiLineCaptionAndItsDisabledGlyph) {
    auto* b = Put<TBitBtn>(10, 10, 137, 73);
    b->Font()->SetName("宋体");
    b->Font()->SetHeight(-23);
    b->Font()->SetStyle(fsBold);
    b->Font()->SetColor(clPurple);
    b->SetCaption("开始更新\r\nPC--->PDA");
    TBitmap strip = SolidGlyph({clRed, clBlue}, 16);
    b->SetGlyph(&strip);
    b->SetNumGlyphs(2);
    Pump();
    // Purple ink in two bands of rows, one for each line.
    std::vector<bool> rows(static_cast<std::size_t>(b->Height()));
    int minX = 1000;
    for (int y = 0; y < b->Height(); ++y)
        for (int x = 0; x < b->Width(); ++x)
            if (At(b, x, y) == clPurple) {
                rows[std::size_t(y)] = true;
                minX = std::min(minX, x);
            }
    int bands = 0;
    for (std::size_t y = 0; y < rows.size(); ++y)
        if (rows[y] && (y == 0 || !rows[y - 1])) ++bands;
    EXPECT_EQ(bands, 2);
    // The glyph's up image (red) sits left of the text.
    TCanvas c;
    c.Font().Assign(*b->Font());
    TPoint gp;
    TRect tb;
    TButtonGlyph layout;
    layout.SetGlyph(&strip);
    layout.CalcLayout(c, InflateRect(b->ClientRect(), -2, -2), {0, 0}, b->Caption(), blGlyphLeft, -1, 4, gp, tb);
    EXPECT_EQ(At(b, gp.X + 8, gp.Y + 8), clRed);
    EXPECT_LT(gp.X + 16, minX);
    b->SetEnabled(false);
    EXPECT_EQ(At(b, gp.X + 8, gp.Y + 8), clBlue);
    // A one-image glyph is embossed when disabled.
    TBitmap one = SolidGlyph({clNavy}, 16);
    b->SetGlyph(&one);
    b->SetNumGlyphs(1);
    EXPECT_EQ(At(b, gp.X + 8, gp.Y + 8), Rgb(clBtnShadow));
}

TEST_F(Buttons, BitmapButtonsStoreOnlyWhatDiffersFromTheirKind) {
    auto* holder = FormFromText(
        "object Holder: TForm\n"
        "  object btnOk: TBitBtn\n"
        "    Caption = '确认'\n"
        "    Kind = bkOK\n"
        "  end\n"
        "  object btnPlain: TBitBtn\n"
        "    Kind = bkCancel\n"
        "  end\n"
        "end\n",
        "holder.form");
    auto* ok = Part<TBitBtn>(holder, "btnOk");
    auto* plain = Part<TBitBtn>(holder, "btnPlain");
    EXPECT_EQ(ok->Caption(), "确认");  // a caption read before the kind stays
    EXPECT_EQ(ok->ModalResult(), mrOk);
    EXPECT_TRUE(ok->Default());
    EXPECT_EQ(plain->Caption(), "Cancel");
    EXPECT_TRUE(plain->Cancel());
    std::string text = WriteComponentText(holder);
    EXPECT_NE(text.find("Caption = '确认'"), std::string::npos) << text;
    EXPECT_NE(text.find("Kind = bkOK"), std::string::npos) << text;
    EXPECT_EQ(text.find("Glyph.Data"), std::string::npos) << text;
    EXPECT_EQ(text.find("ModalResult"), std::string::npos) << text;
    EXPECT_EQ(text.find("Default"), std::string::npos) << text;
    EXPECT_EQ(text.find("Caption = 'Cancel'"), std::string::npos) << text;
}

TEST_F(Buttons, SpeedButtonsOfAGroupLatchOneAtATime) {
    auto* a = Put<TSpeedButton>(10, 10, 23, 22);
    auto* b = Put<TSpeedButton>(40, 10, 23, 22);
    auto* loose = Put<TSpeedButton>(70, 10, 23, 22);
    a->SetGroupIndex(1);
    b->SetGroupIndex(1);
    int clicks = 0;
    loose->OnClick = [&](TObject*) { ++clicks; };
    Click(a, 5, 5);
    EXPECT_TRUE(a->Down());
    Click(b, 5, 5);
    EXPECT_TRUE(b->Down());
    EXPECT_FALSE(a->Down());
    Click(b, 5, 5);
    EXPECT_TRUE(b->Down());  // the last one down stays down
    b->SetAllowAllUp(true);
    EXPECT_TRUE(a->AllowAllUp());  // the group shares it
    Click(b, 5, 5);
    EXPECT_FALSE(b->Down());
    // Without a group a button never stays down.
    loose->SetDown(true);
    EXPECT_FALSE(loose->Down());
    Click(loose, 5, 5);
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(loose->Down());
    // Pressed and dragged off, a release elsewhere is no click.
    synthetic::MouseMove(ScreenAt(loose, 5, 5));
    synthetic::MouseDown();
    Pump();
    synthetic::MouseMove(ScreenAt(loose, 100, 100));
    synthetic::MouseUp();
    Pump();
    EXPECT_EQ(clicks, 1);
}

TEST_F(Buttons, SpeedButtonPaintsItsStatesAndGlyphImages) {
    form->SetColor(clTeal);
    auto* flat = Put<TSpeedButton>(10, 10, 30, 30);
    flat->SetFlat(true);
    auto* raised = Put<TSpeedButton>(50, 10, 30, 30);
    TBitmap strip = SolidGlyph({clRed, clBlue}, 12);
    raised->SetGlyph(&strip);
    raised->SetNumGlyphs(2);
    Pump();
    // A flat transparent button shows its parent until the mouse is over it.
    EXPECT_EQ(At(flat, 0, 0), clTeal);
    EXPECT_EQ(At(flat, 15, 15), clTeal);
    synthetic::MouseMove(ScreenAt(flat, 15, 15));
    Pump();
    EXPECT_TRUE(flat->MouseInControl());
    EXPECT_EQ(At(flat, 0, 0), Rgb(clBtnHighlight));
    synthetic::MouseMove(ScreenAt(flat, 200, 200));
    Pump();
    EXPECT_EQ(At(flat, 0, 0), clTeal);
    // The raised button: its face and the glyph's up image in the middle.
    EXPECT_EQ(At(raised, 15, 15), clRed);
    EXPECT_EQ(At(raised, 3, 3), Rgb(clBtnFace));
    raised->SetEnabled(false);
    EXPECT_EQ(At(raised, 15, 15), clBlue);
    raised->SetEnabled(true);
    // Pressed, the glyph moves a pixel down and right.
    synthetic::MouseMove(ScreenAt(raised, 3, 3));
    synthetic::MouseDown();
    Pump();
    EXPECT_EQ(At(raised, 9, 9), Rgb(clBtnFace));
    EXPECT_EQ(At(raised, 10, 10), clRed);
    synthetic::MouseUp();
    Pump();
    // Latched down, the face is checkered.
    raised->SetGroupIndex(2);
    raised->SetDown(true);
    TColor p1 = At(raised, 3, 3), p2 = At(raised, 4, 3);
    EXPECT_NE(p1, p2);
    EXPECT_TRUE((p1 == Rgb(clBtnHighlight) && p2 == Rgb(clBtnFace)) ||
                (p2 == Rgb(clBtnHighlight) && p1 == Rgb(clBtnFace)));
}

}  // namespace
}  // namespace menvaro

// The decorated label on a headless form: sizing to the composite,
// transparency, the accelerator, the mouse, streaming, and the backup
// tool's title label read from a form file.
#include <gtest/gtest.h>

#include <string>

#include "classes/FormWriter.h"
#include "decorated/fxLabel.h"
#include "testsupport/UiTest.h"
#include "ui/ExtCtrls.h"
#include "ui/StdCtrls.h"

using namespace menvaro;

namespace {

class FxLabel : public ControlTest {
protected:
    TfxLabel* Label(const std::string& caption, int left = 20, int top = 20) {
        auto* l = Create<TfxLabel>(form);
        l->SetParent(form);
        l->SetLeft(left);
        l->SetTop(top);
        l->SetCaption(caption);
        return l;
    }
};

// The login dialog's title as its form file states it.
const char* const kTitleForm =
    "object Login: TForm\n"
    "  Left = 0\n"
    "  Top = 0\n"
    "  ClientWidth = 307\n"
    "  ClientHeight = 221\n"
    "  object uglpanelInfo: TPanel\n"
    "    Left = 0\n"
    "    Top = 0\n"
    "    Width = 307\n"
    "    Height = 47\n"
    "    Align = alTop\n"
    "    BevelOuter = bvNone\n"
    "    Color = clWhite\n"
    "    object lblName: TfxLabel\n"
    "      Left = 8\n"
    "      Top = 6\n"
    "      Width = 126\n"
    "      Height = 33\n"
    "      Caption = '登录认证'\n"
    "      Font.Charset = GB2312_CHARSET\n"
    "      Font.Color = clBlue\n"
    "      Font.Height = -29\n"
    "      Font.Name = '华文行楷'\n"
    "      Font.Style = [fsBold]\n"
    "      ParentFont = False\n"
    "      TextOptions.Alignment = taLeftJustify\n"
    "      TextOptions.ExtrudeEffects.Depth = 2\n"
    "      TextOptions.ExtrudeEffects.Enabled = True\n"
    "      TextOptions.ExtrudeEffects.FarColor = clWindow\n"
    "      TextOptions.ExtrudeEffects.NearColor = clNavy\n"
    "      TextOptions.HighlightColor = clAqua\n"
    "      TextOptions.OutlineColor = clSilver\n"
    "      TextOptions.Style = fxlsLowered\n"
    "      TextOptions.VAlignment = vaTop\n"
    "      Transparent = True\n"
    "    end\n"
    "  end\n"
    "end\n";

}  // namespace

TEST_F(FxLabel, ARightAlignedAutoSizedLabelKeepsItsRightEdge) {
    TfxLabel* l = Label("OK", 200);
    l->TextOptions()->SetAlignment(taRightJustify);
    const int right = l->Left() + l->Width();
    const int width = l->Width();
    l->SetCaption("OK, and a longer caption");
    EXPECT_GT(l->Width(), width + 40);
    EXPECT_EQ(l->Left() + l->Width(), right);
    // A left-aligned one keeps its left edge.
    TfxLabel* m = Label("OK", 200, 60);
    m->SetCaption("OK, and a longer caption");
    EXPECT_EQ(m->Left(), 200);
}

TEST_F(FxLabel, AnAutoSizedLabelRefitsAfterEveryEffectChange) {
    TfxLabel* l = Label("Menvaro");
    const int w = l->Width(), h = l->Height();
    const TRect composite = l->TextOptions()->CalcRect(true);
    EXPECT_EQ(w, composite.Width());
    EXPECT_EQ(h, composite.Height());
    l->TextOptions()->Shadow()->SetEnabled(true);
    EXPECT_EQ(l->Width(), w + 10);
    l->TextOptions()->Shadow()->SetXOffset(-14);
    EXPECT_EQ(l->Width(), w + 14);  // the offset's magnitude
    EXPECT_EQ(l->Height(), h + 10);
    l->TextOptions()->Shadow()->SetEnabled(false);
    l->TextOptions()->SetStyle(fxlsOutline);
    EXPECT_EQ(l->Width(), w + 2);
    l->TextOptions()->SetStyle(fxlsDefault);
    // A quarter turn: as wide as the text is high, as high as it is wide.
    l->TextOptions()->SetRotation(90);
    EXPECT_EQ(l->Width(), h);
    EXPECT_EQ(l->Height(), w);
    l->TextOptions()->SetRotation(0);
    l->SetCaption("Menvaro\r\nMenvaro");
    EXPECT_EQ(l->Height(), 2 * h + 5);
    // Without AutoSize it keeps its size.
    l->SetAutoSize(false);
    l->SetCaption("M");
    EXPECT_EQ(l->Height(), 2 * h + 5);
    EXPECT_EQ(l->Width(), w);
}

TEST_F(FxLabel, ATransparentLabelPaintsOnlyItsText) {
    form->SetColor(clBtnFace);
    TfxLabel* l = Label("WWWW");
    l->SetColor(clYellow);
    l->Font()->SetColor(clNavy);
    l->Font()->SetHeight(-20);
    l->SetAutoSize(false);
    l->SetBounds(20, 20, 120, 40);
    EXPECT_EQ(At(l, 118, 38), clYellow);
    EXPECT_GT(CountPixels(l, l->ClientRect(), clNavy), 20);
    l->SetTransparent(true);
    EXPECT_FALSE(l->ControlStyle().Contains(csOpaque));
    EXPECT_EQ(At(l, 118, 38), Rgb(clBtnFace));
    EXPECT_EQ(CountPixels(l, l->ClientRect(), clYellow), 0);
    EXPECT_GT(CountPixels(l, l->ClientRect(), clNavy), 20);
}

TEST_F(FxLabel, TheAcceleratorFocusesTheFocusControlOnlyWithShowAccel) {
    auto* edit = Put<TEdit>(150, 20, 100, 24);
    auto* other = Put<TEdit>(150, 60, 100, 24);
    TfxLabel* l = Label("&Name");
    l->SetFocusControl(edit);
    other->SetFocus();
    Pump();
    Press('N', {ssAlt});
    EXPECT_TRUE(edit->Focused());
    const int width = l->Width();
    other->SetFocus();
    Pump();
    l->TextOptions()->SetOptions({});
    Press('N', {ssAlt});
    EXPECT_TRUE(other->Focused());
    // The ampersand is measured (and drawn) as it stands.
    EXPECT_GT(l->Width(), width);
    // A focus control that goes is forgotten.
    edit->Free();
    EXPECT_EQ(l->FocusControl(), nullptr);
}

TEST_F(FxLabel, MouseEnterAndLeaveAreTold) {
    TfxLabel* l = Label("Menvaro");
    int entered = 0, left = 0;
    l->OnMouseEnter = [&](TObject*) { ++entered; };
    l->OnMouseLeave = [&](TObject*) { ++left; };
    synthetic::MouseMove(ScreenAt(l, 2, 2));
    Pump();
    EXPECT_EQ(entered, 1);
    synthetic::MouseMove(ScreenAt(l, l->Width() + 40, l->Height() + 40));
    Pump();
    EXPECT_EQ(left, 1);
}

TEST_F(FxLabel, AFormFileStatesWhatDiffersFromTheDeclaredDefaults) {
    TfxLabel* plain = Label("Plain");
    plain->SetName("lblPlain");
    const std::string text = WriteComponentText(form);
    EXPECT_NE(text.find("TextOptions.Alignment = taLeftJustify"), std::string::npos) << text;
    EXPECT_NE(text.find("TextOptions.VAlignment = vaTop"), std::string::npos) << text;
    for (const char* absent : {"AutoSize", "Transparent", "ParentColor", "TextOptions.LineSpacing", "TextOptions.Style",
                               "TextOptions.Options", "TextOptions.Shadow", "TextOptions.ExtrudeEffects",
                               "TextOptions.DisabledColors", "TextOptions.Rotation", "HighlightColor"})
        EXPECT_EQ(text.find(absent), std::string::npos) << absent << "\n" << text;
}

TEST_F(FxLabel, TheLoginTitleLoadsFromItsFormFileAndPaints) {
    TForm* login = FormFromText(kTitleForm, "Login.form");
    auto* panel = Part<TPanel>(login, "uglpanelInfo");
    auto* title = Part<TfxLabel>(login, "lblName");
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->Caption(), "登录认证");
    EXPECT_EQ(title->Font()->Name(), "华文行楷");
    EXPECT_EQ(title->Font()->Height(), -29);
    EXPECT_EQ(title->Font()->Style(), TFontStyles(fsBold));
    TfxCaptionText& t = *title->TextOptions();
    EXPECT_EQ(t.Style(), fxlsLowered);
    EXPECT_TRUE(t.ExtrudeEffects()->Enabled());
    EXPECT_EQ(t.ExtrudeEffects()->Depth(), 2);
    EXPECT_EQ(t.ExtrudeEffects()->NearColor(), clNavy);
    EXPECT_EQ(t.ExtrudeEffects()->FarColor(), clWindow);
    EXPECT_EQ(t.HighlightColor(), clAqua);
    EXPECT_EQ(t.OutlineColor(), clSilver);
    EXPECT_EQ(t.Text(), "登录认证");
    EXPECT_TRUE(title->Transparent());
    // Sized to its composite when it was loaded.
    const TRect composite = t.CalcRect(true);
    EXPECT_EQ(title->Width(), composite.Width());
    EXPECT_EQ(title->Height(), composite.Height());
    EXPECT_GT(title->Width(), 4 * 25);

    login->Show();
    Pump();
    const TRect all = title->ClientRect();
    // The blue face, its aqua highlight below right and its shade above
    // left (the two layers of the extrusion lie under them), and the white
    // panel all around: no fill of its own.
    EXPECT_GT(CountPixels(title, all, clBlue), 60);
    EXPECT_GT(CountPixels(title, all, clAqua), 5);
    EXPECT_GT(CountPixels(title, all, Rgb(clBtnShadow)), 5);
    EXPECT_EQ(PixelOf(title, 0, 0), clWhite);
    EXPECT_EQ(PixelOf(title, title->Width() - 1, title->Height() - 1), clWhite);
    EXPECT_EQ(PixelOf(panel, 300, 40), clWhite);
    // Written back, the file states the title's own values again.
    const std::string text = WriteComponentText(login);
    for (const char* stated :
         {"TextOptions.Style = fxlsLowered", "TextOptions.ExtrudeEffects.Depth = 2",
          "TextOptions.ExtrudeEffects.NearColor = clNavy", "TextOptions.ExtrudeEffects.FarColor = clWindow",
          "TextOptions.HighlightColor = clAqua", "TextOptions.OutlineColor = clSilver", "Transparent = True"})
        EXPECT_NE(text.find(stated), std::string::npos) << stated << "\n" << text;
}

// A control that reads its layout from a form resource as a form does (the
// edits' calculator panel does this), scaled by its font's text height.
#include <gtest/gtest.h>

#include "base/ScopeGuard.h"
#include "classes/ClassBuilder.h"
#include "classes/Filer.h"
#include "classes/FormReader.h"
#include "testsupport/UiTest.h"
#include "ui/StdCtrls.h"

namespace menvaro {
namespace {

class TScaledPanel : public TCustomControl {
    MENVARO_CLASS(TScaledPanel, TCustomControl)
public:
    explicit TScaledPanel(TComponent* owner) : TCustomControl(owner) { scale_.PixelsPerInch = 96; }
    TLabel* Label1 = nullptr;
    TButton* Button1 = nullptr;

    // Read while the resource is read, applied after its scaling.
    int ClientWidthProp() const { return ClientWidth(); }
    void SetClientWidthProp(int v) {
        if (ComponentState().Contains(csReading))
            scale_.ClientWidth = v;
        else
            SetClientWidth(v);
    }
    int ClientHeightProp() const { return ClientHeight(); }
    void SetClientHeightProp(int v) {
        if (ComponentState().Contains(csReading))
            scale_.ClientHeight = v;
        else
            SetClientHeight(v);
    }
    int PixelsPerInch() const { return scale_.PixelsPerInch; }
    void SetPixelsPerInch(int v) {
        if (v == 0 || v >= 36) scale_.PixelsPerInch = v;
    }
    const TDesignScale& Scale() const { return scale_; }
    bool scaled = false;

    void ReadState(TComponentReader& reader) override {
        DisableAlign();
        ScopeGuard aligned([this] { EnableAlign(); });
        scale_.ClientWidth = scale_.ClientHeight = scale_.TextHeight = 0;
        TCustomControl::ReadState(reader);
        scaled = ApplyDesignScale(*this, scale_);
    }
    void DefineProperties(TFiler& filer) override {
        TCustomControl::DefineProperties(filer);
        filer.DefineProperty(
            "TextHeight", [this](TReader& r) { scale_.TextHeight = static_cast<int>(r.ReadInteger()); }, nullptr,
            false);
    }

private:
    TDesignScale scale_;
};

MENVARO_CLASS_INFO(TScaledPanel) {
    c.Prop("ClientWidth", &TScaledPanel::ClientWidthProp, &TScaledPanel::SetClientWidthProp);
    c.Prop("ClientHeight", &TScaledPanel::ClientHeightProp, &TScaledPanel::SetClientHeightProp);
    c.Prop("PixelsPerInch", &TScaledPanel::PixelsPerInch, &TScaledPanel::SetPixelsPerInch);
    MENVARO_PUBLISHED_FIELDS(Label1, Button1)
}

std::string Resource(int pixelsPerInch, int textHeight, int fontHeight) {
    return "object ScaledPanel: TScaledPanel\n"
           "  ClientHeight = 100\n"
           "  ClientWidth = 200\n"
           "  Font.Height = " +
           std::to_string(fontHeight) +
           "\n"
           "  Font.Name = 'MS Sans Serif'\n"
           "  PixelsPerInch = " +
           std::to_string(pixelsPerInch) +
           "\n"
           "  TextHeight = " +
           std::to_string(textHeight) +
           "\n"
           "  object Label1: TLabel\n"
           "    Left = 10\n"
           "    Top = 20\n"
           "    Width = 50\n"
           "    Height = 13\n"
           "    AutoSize = False\n"
           "  end\n"
           "  object Button1: TButton\n"
           "    Left = 70\n"
           "    Width = 40\n"
           "  end\n"
           "end\n";
}

int Scaled(int v, int m, int d) { return (v * m + d / 2) / d; }

class DesignScale : public UiTest {
protected:
    TScaledPanel* Read(int pixelsPerInch, int textHeight, int fontHeight = -11) {
        auto* p = Create<TScaledPanel>(Application);
        ReadComponentText(p, Resource(pixelsPerInch, textHeight, fontHeight), "panel.form");
        return p;
    }
};

TEST_F(DesignScale, AnotherTextHeightScalesWhatTheResourceSetOfEachChild) {
    TFont font;
    font.SetName("MS Sans Serif");
    font.SetHeight(-11);
    const int now = DesignTextHeight(font);
    ASSERT_NE(now, 10);
    TScaledPanel* p = Read(96, 10);
    EXPECT_TRUE(p->scaled);
    EXPECT_EQ(p->Label1->Left(), Scaled(10, now, 10));
    EXPECT_EQ(p->Label1->Top(), Scaled(20, now, 10));
    // From the far edge: right and bottom scale, the size follows.
    EXPECT_EQ(p->Label1->Left() + p->Label1->Width(), Scaled(60, now, 10));
    EXPECT_EQ(p->Label1->Top() + p->Label1->Height(), Scaled(33, now, 10));
    EXPECT_EQ(p->Button1->Left(), Scaled(70, now, 10));
    EXPECT_EQ(p->Button1->Left() + p->Button1->Width(), Scaled(110, now, 10));
    // What the file left alone stays as the class made it.
    TOwned<TButton> fresh(Create<TButton>(nullptr));
    EXPECT_EQ(p->Button1->Top(), 0);
    EXPECT_EQ(p->Button1->Height(), fresh->Height());
    EXPECT_EQ(p->ClientWidth(), Scaled(200, now, 10));
    EXPECT_EQ(p->ClientHeight(), Scaled(100, now, 10));
    EXPECT_EQ(p->Font()->Height(), -11);
    EXPECT_TRUE(p->Label1->ScalingFlags().Empty());
    // Once read, a scaling scales everything.
    p->ScaleBy(2, 1);
    EXPECT_EQ(p->Button1->Height(), 2 * fresh->Height());
}

TEST_F(DesignScale, TheSameTextHeightLeavesTheLayoutAsItWas) {
    TFont font;
    font.SetName("MS Sans Serif");
    font.SetHeight(-11);
    TScaledPanel* p = Read(96, DesignTextHeight(font));
    EXPECT_FALSE(p->scaled);
    EXPECT_EQ(p->Label1->BoundsRect(), Bounds(10, 20, 50, 13));
    EXPECT_EQ(p->ClientWidth(), 200);
    EXPECT_EQ(p->ClientHeight(), 100);
    EXPECT_TRUE(p->Label1->ScalingFlags().Empty());
    EXPECT_TRUE(p->Button1->ScalingFlags().Empty());
}

TEST_F(DesignScale, AnotherResolutionScalesTheFontFirst) {
    TScaledPanel* p = Read(120, 10, -16);
    // -16 at 120 pixels an inch is -13 at the screen's 96 (rounded).
    EXPECT_EQ(p->Font()->Height(), -13);
    EXPECT_EQ(p->PixelsPerInch(), 96);
    const int now = DesignTextHeight(*p->Font());
    EXPECT_EQ(p->Label1->Left(), Scaled(10, now, 10));
    // A font the resource did not change is not the resource's to scale.
    EXPECT_EQ(Read(120, 10)->Font()->Height(), -11);
    // Without a text height nothing is scaled.
    TScaledPanel* q = Read(96, 0);
    EXPECT_FALSE(q->scaled);
    EXPECT_EQ(q->Label1->Left(), 10);
    EXPECT_EQ(q->ClientWidth(), 200);
}

}  // namespace
}  // namespace menvaro

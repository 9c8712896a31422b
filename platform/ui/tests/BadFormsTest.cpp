// Form files with window controls that a form designer would not write:
// sizes that feed each other through AutoSize and anchors, and coordinates
// at the ends of the integer range. Each is read, shown and laid out; the
// layout settles, and every position and size stays in the platform's range.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>

#include "classes/FormWriter.h"
#include "gfx/Types.h"
#include "testsupport/ErrorMessage.h"
#include "testsupport/UiTest.h"
#include "ui/ExtCtrls.h"
#include "ui/StdCtrls.h"

namespace menvaro {
namespace {

struct BadForm {
    const char* name;
    const char* text;
    // "" when the form reads; else the start of the error it gives.
    const char* error = "";
};

const BadForm kBadForms[] = {
    {"AutoSizePanelWithALabelAnchoredLeftTopRight",
     "object F: TForm\n"
     "  Width = 300\n  Height = 200\n"
     "  object P: TPanel\n    AutoSize = True\n    Width = 200\n    Height = 80\n"
     "    object L: TLabel\n      Left = 8\n      Top = 8\n      Width = 150\n"
     "      Anchors = [akLeft, akTop, akRight]\n      Caption = 'a label that stretches'\n    end\n"
     "  end\nend\n"},
    {"AutoSizePanelWithAButtonAnchoredRightBottom",
     "object F: TForm\n"
     "  object P: TPanel\n    AutoSize = True\n    Left = 10\n    Width = 200\n    Height = 80\n"
     "    object B: TButton\n      Left = 100\n      Top = 40\n      Anchors = [akRight, akBottom]\n    end\n"
     "  end\nend\n"},
    {"NestedAutoSizePanelsEachWithAStretchingChild",
     "object F: TForm\n"
     "  object P1: TPanel\n    AutoSize = True\n    Width = 300\n    Height = 200\n"
     "    object P2: TPanel\n      AutoSize = True\n      Left = 5\n      Width = 250\n      Height = 150\n"
     "      Anchors = [akLeft, akTop, akRight, akBottom]\n"
     "      object P3: TPanel\n        AutoSize = True\n        Left = 5\n        Width = 200\n        Height = 100\n"
     "        Anchors = [akLeft, akTop, akRight, akBottom]\n"
     "        object L: TLabel\n          Left = 4\n          Width = 100\n          Anchors = [akLeft, akTop, akRight]\n"
     "        end\n      end\n    end\n  end\nend\n"},
    {"AutoSizeOnTheForm",
     "object F: TForm\n"
     "  AutoSize = True\n  BorderStyle = bsDialog\n  Width = 300\n  Height = 200\n"
     "  object P: TPanel\n    Left = 10\n    Top = 10\n    Width = 100\n    Height = 50\n  end\n"
     "  object L: TLabel\n    Left = 10\n    Top = 70\n    Anchors = [akLeft, akTop, akRight, akBottom]\n"
     "    Caption = 'x'\n  end\nend\n"},
    {"AutoSizeOnTheFormWithAClientAlignedPanel",
     "object F: TForm\n"
     "  AutoSize = True\n  ClientWidth = 200\n  ClientHeight = 100\n"
     "  object P: TPanel\n    Align = alClient\n  end\nend\n"},
    {"AutoSizeOnAnEmptyForm", "object F: TForm\n  AutoSize = True\n  Width = 10\n  Height = 10\nend\n"},
    {"TheSmallestIntegersAsWidthAndTop",
     "object F: TForm\n"
     "  Left = -2147483648\n  Top = -2147483648\n  Width = -2147483648\n  Height = -2147483648\n"
     "  object P: TPanel\n    Left = -2147483648\n    Top = -2147483648\n    Width = -2147483648\n"
     "    Height = -2147483648\n    object L: TLabel\n      Width = -2147483648\n      Top = -2147483648\n    end\n"
     "  end\nend\n"},
    {"TheLargestIntegersAsWidthAndLeft",
     "object F: TForm\n"
     "  Left = 2147483647\n  Top = 2147483647\n  Width = 2147483647\n  Height = 2147483647\n"
     "  object P: TPanel\n    Left = 2147483647\n    Top = 2147483647\n    Width = 2147483647\n"
     "    Height = 2147483647\n    Anchors = [akLeft, akTop, akRight, akBottom]\n  end\nend\n"},
    {"ClientSizeAtTheEndsOfTheRange",
     "object F: TForm\n  ClientWidth = -2147483648\n  ClientHeight = 2147483647\n"
     "  object P: TPanel\n    Align = alClient\n    BorderWidth = 100\n  end\nend\n"},
    {"NumbersBeyondTheIntegersAreClampedToo",
     "object F: TForm\n  Width = 99999999999\n  Height = -99999999999\n"
     "  object P: TPanel\n    Left = -$7FFFFFFFFFFFFFFF\n    Width = 9223372036854775807\n  end\nend\n"},
    {"AlignedAndAnchoredPanelsUnderAnAutoSizePanel",
     "object F: TForm\n"
     "  object P: TPanel\n    AutoSize = True\n    Width = 400\n    Height = 300\n"
     "    object T: TPanel\n      Align = alTop\n      Height = 2147483647\n    end\n"
     "    object R: TPanel\n      Align = alRight\n      Width = 2147483647\n    end\n"
     "    object C: TPanel\n      Align = alClient\n    end\n"
     "    object A: TPanel\n      Left = 5\n      Width = 32767\n      Anchors = [akRight]\n    end\n"
     "  end\nend\n"},
    {"AnUnknownAnchorIsStillAnError",
     "object F: TForm\n  object P: TPanel\n    Anchors = [akLeft, akNowhere]\n  end\nend\n",
     "bad.form:3: P.Anchors: 'akNowhere' is not a TAnchorKind"},
};

class BadForms : public UiTest, public ::testing::WithParamInterface<BadForm> {};

TEST_P(BadForms, ReadShowAndSettleWithinThePlatformsRange) {
    const BadForm& bad = GetParam();
    if (*bad.error) {
        EXPECT_EQ(test::ErrorMessage<Exception>([&] { FormFromText(bad.text, "bad.form"); }).rfind(bad.error, 0), 0u)
            << test::ErrorMessage<Exception>([&] { FormFromText(bad.text, "bad.form"); });
        return;
    }
    TForm* f = FormFromText(bad.text, "bad.form");
    f->Show();
    Pump();
    ForEachControl(f, [](TControl* c) {
        EXPECT_GE(c->Left(), 2 * kMinCoord) << c->Name();
        EXPECT_LE(c->Left(), 2 * kMaxCoord) << c->Name();
        EXPECT_GE(c->Top(), 2 * kMinCoord) << c->Name();
        EXPECT_LE(c->Top(), 2 * kMaxCoord) << c->Name();
        EXPECT_GE(c->Width(), 0) << c->Name();
        EXPECT_LE(c->Width(), 4 * kMaxCoord) << c->Name();
        EXPECT_GE(c->Height(), 0) << c->Name();
        EXPECT_LE(c->Height(), 4 * kMaxCoord) << c->Name();
    });
    // Settled: laying every container out once more moves nothing.
    const std::string before = WriteComponentText(f);
    ForEachControl(f, [](TControl* c) {
        if (auto* w = dynamic_cast<TWinControl*>(c)) w->Realign();
    });
    Pump();
    EXPECT_EQ(WriteComponentText(f), before);
}

INSTANTIATE_TEST_SUITE_P(Table, BadForms, ::testing::ValuesIn(kBadForms),
                         [](const ::testing::TestParamInfo<BadForm>& info) { return std::string(info.param.name); });

// What a form file says is clamped when read: the sums of a position and a
// size stay far from the integer range.
class FormCoordinates : public UiTest {};

TEST_F(FormCoordinates, AreClampedWhenRead) {
    TForm* f = FormFromText("object F: TForm\n"
                            "  object P: TPanel\n    Left = -2147483648\n    Top = 2147483647\n"
                            "    Width = -5\n    Height = 99999999999\n  end\nend\n",
                            "clamped.form");
    auto* p = Part<TPanel>(f, "P");
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->Left(), kMinCoord);
    EXPECT_EQ(p->Top(), kMaxCoord);
    EXPECT_EQ(p->Width(), 0);
    EXPECT_EQ(p->Height(), kMaxCoord);
    // Code may still place a control where it likes.
    p->SetBounds(100000, 0, 10, 10);
    EXPECT_EQ(p->Left(), 100000);
}

}  // namespace
}  // namespace menvaro

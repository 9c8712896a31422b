// The calculator panel: its key sequences worked out by hand, its layout
// read and scaled from its resource, and its drop-down under an edit.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "DropDownHost.h"
#include "base/Exceptions.h"
#include "edit/CalculatorEx.h"
#include "testsupport/FormatSettingsScope.h"
#include "testsupport/UiTest.h"
#include "ui/Clipboard.h"

namespace menvaro {
namespace {

class CalculatorTest : public ControlTest {
protected:
    TCalculatorEx* MakePanel() {
        auto* calc = Create<TCalculatorEx>(form);
        calc->SetParent(form);
        calc->SetLeft(10);
        calc->SetTop(10);
        Pump();
        return calc;
    }
    // Pixels of `c` that `ink` takes for its text (smoothed glyphs have
    // few pixels of the exact colour).
    template <class Ink>
    static int Inked(const TControl* c, Ink ink) {
        int n = 0;
        PixelOf(c, 0, 0);
        for (int y = 0; y < c->Height(); ++y)
            for (int x = 0; x < c->Width(); ++x) {
                const TColor p = SurfacePixel(c, x, y);
                if (ink(GetRValue(p), GetGValue(p), GetBValue(p))) ++n;
            }
        return n;
    }
    // Keys as characters; "\r" is Enter, "\b" Backspace, "\x1b" Esc.
    static void Keys(TCalculatorEx* calc, const std::string& keys) {
        for (char k : keys) calc->ProcessKey(k);
    }
};

struct KeysCase {
    const char* name;
    const char* keys;
    const char* display;
    const char* okCaption;
};

class CalculatorKeys : public CalculatorTest, public ::testing::WithParamInterface<KeysCase> {};

TEST_P(CalculatorKeys, ShowWhatTheKeysWorkOut) {
    const KeysCase& c = GetParam();
    TCalculatorEx* calc = MakePanel();
    Keys(calc, c.keys);
    EXPECT_EQ(calc->DisplayText(), c.display);
    EXPECT_EQ(calc->spEqual->Caption(), c.okCaption);
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, CalculatorKeys,
    ::testing::Values(
        KeysCase{"FreshDisplay", "", "0", "Ok"}, KeysCase{"Digits", "12", "12", "Ok"},
        KeysCase{"OperatorKeepsTheFirstOperand", "12+", "12", "Ok"},
        KeysCase{"SecondOperandShowsEquals", "12+3", "3", "="}, KeysCase{"Sum", "12+3=", "15", "Ok"},
        KeysCase{"EnterComputesAsEqualsDoes", "12+3\r", "15", "Ok"}, KeysCase{"Chain", "2+3*4=", "20", "Ok"},
        KeysCase{"PercentOfTheFirstOperandAdded", "50+10%", "55", "Ok"},
        KeysCase{"PercentAsAFactor", "200*5%", "10", "Ok"}, KeysCase{"PercentAlone", "50%", "50", "Ok"},
        KeysCase{"DivisionByZeroIsTheErrorState", "8/0=", "Error", "Ok"},
        KeysCase{"FifteenSignificantDigits", "1/3=", "0.333333333333333", "Ok"},
        KeysCase{"SixteenDigitsKeepFifteen", "1234567890123456", "123456789012345", "Ok"},
        KeysCase{"ANegativeNumberKeepsFifteenDigits", "5I12345678901234567", "-512345678901234", "Ok"},
        KeysCase{"SeparatorStartsFromZero", ".", "0.", "Ok"}, KeysCase{"ZeroThenSeparator", "0.", "0.", "Ok"},
        KeysCase{"ASecondSeparatorIsIgnored", "1.5.2", "1.52", "Ok"},
        KeysCase{"CommaIsTheSeparatorToo", "1,5", "1.5", "Ok"},
        KeysCase{"BackspaceDropsTheLastDigit", "12\b", "1", "Ok"}, KeysCase{"BackspaceOnOneDigit", "1\b", "0", "Ok"},
        KeysCase{"BackspaceOnANegativeDigit", "5I\b", "0", "Ok"}, KeysCase{"PlusMinus", "5I", "-5", "Ok"},
        KeysCase{"PlusMinusOfZero", "0I", "0", "Ok"}, KeysCase{"Reciprocal", "4R", "0.25", "Ok"},
        KeysCase{"ReciprocalOfZero", "0R", "Error", "Ok"}, KeysCase{"SquareRoot", "9S", "3", "Ok"},
        KeysCase{"SquareRootOfANegative", "9IS", "Error", "Ok"},
        KeysCase{"ErrorIgnoresDigits", "8/0=5", "Error", "Ok"},
        KeysCase{"ErrorIgnoresOperators", "8/0=+3", "Error", "Ok"},
        KeysCase{"ErrorIgnoresPlusMinusAndBackspace", "8/0=I\b", "Error", "Ok"},
        KeysCase{"ErrorIgnoresEsc", "8/0=\x1b", "Error", "Ok"}, KeysCase{"ClearLeavesTheError", "8/0=C", "0", "Ok"},
        KeysCase{"LowerCaseClear", "8/0=c", "0", "Ok"}, KeysCase{"EscClears", "12+3\x1b", "0", "Ok"},
        KeysCase{"ClearForgetsTheOperation", "12+C3=", "3", "Ok"},
        KeysCase{"CancelDoesNothingInThePanel", "12A", "12", "Ok"},
        KeysCase{"UnknownKeysDoNothing", "12x#", "12", "Ok"},
        // The "=" caption does not wait for a first operand other than 0.
        KeysCase{"ZeroMinusThreeShowsEquals", "0-3", "3", "="},
        KeysCase{"ZeroMinusThree", "0-3=", "-3", "Ok"}, KeysCase{"ZeroTimesThree", "0*3=", "0", "Ok"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CalculatorTest, NumbersFollowTheLocalesDecimalSeparator) {
    test::FormatSettingsScope locale;
    FormatSettings().DecimalSeparator = ',';
    TCalculatorEx* calc = MakePanel();
    Keys(calc, "1.5+1=");
    EXPECT_EQ(calc->DisplayText(), "2,5");
    Keys(calc, "C2,5*2=");
    EXPECT_EQ(calc->DisplayText(), "5");
}

TEST_F(CalculatorTest, AResultThatIsNoFiniteNumberIsTheErrorState) {
    TCalculatorEx* calc = MakePanel();
    Clipboard().SetAsText("1E300");
    calc->ProcessKey(22);
    EXPECT_EQ(calc->DisplayText(), "1E300");
    Keys(calc, "*10000000000=");
    EXPECT_EQ(calc->DisplayText(), "Error");
    EXPECT_EQ(calc->Status(), calcError);
    // The wheel and +/- of a huge number do not reach infinity either.
    Keys(calc, "C");
    calc->ShowValue(HUGE_VAL);
    EXPECT_EQ(calc->DisplayText(), "Error");
    Keys(calc, "C");
    calc->ShowValue(std::nan(""));
    EXPECT_EQ(calc->DisplayText(), "Error");
}

TEST_F(CalculatorTest, PasteTakesANumberAndLeavesEverythingAsItWasOnFailure) {
    TCalculatorEx* calc = MakePanel();
    Keys(calc, "12+3");
    Clipboard().SetAsText("  42 ");
    calc->ProcessKey(22);
    EXPECT_EQ(calc->DisplayText(), "42");
    EXPECT_EQ(calc->Status(), calcEntering);
    EXPECT_EQ(calc->spEqual->Caption(), "=");
    for (const char* bad : {"1E400", "abc", "1,5", "-"}) {
        Clipboard().SetAsText(bad);
        EXPECT_THROW(calc->ProcessKey(22), EConvertError) << bad;
        EXPECT_EQ(calc->DisplayText(), "42") << bad;
        EXPECT_EQ(calc->Status(), calcEntering) << bad;
    }
    Keys(calc, "=");
    EXPECT_EQ(calc->DisplayText(), "54");
    // Copy puts the display on the clipboard.
    calc->ProcessKey(3);
    EXPECT_EQ(Clipboard().AsText(), "54");
}

TEST_F(CalculatorTest, AnExponentTakesNoSeparatorAndBackspaceClearsIt) {
    TCalculatorEx* calc = MakePanel();
    Keys(calc, "5");
    Clipboard().SetAsText("1E20");
    calc->ProcessKey(22);
    ASSERT_EQ(calc->DisplayText(), "1E20");
    Keys(calc, ".");
    EXPECT_EQ(calc->DisplayText(), "1E20");
    Keys(calc, "7");
    EXPECT_EQ(calc->DisplayText(), "1E20");
    Keys(calc, "\b");
    EXPECT_EQ(calc->DisplayText(), "0");
    Keys(calc, "+1=");
    EXPECT_EQ(calc->DisplayText(), "1");
    // After a result the separator starts a new number.
    Clipboard().SetAsText("1E20");
    Keys(calc, "C");
    calc->ProcessKey(22);
    Keys(calc, ".5");
    EXPECT_EQ(calc->DisplayText(), "0.5");
}

TEST_F(CalculatorTest, ADisplayThatDoesNotReadBackIsTheErrorState) {
    TCalculatorEx* calc = MakePanel();
    Keys(calc, "12");
    calc->TextBox->SetCaption("12-");
    EXPECT_NO_THROW(Keys(calc, "+"));
    EXPECT_EQ(calc->DisplayText(), "Error");
    EXPECT_EQ(calc->Accumulator(), 0);
    calc->TextBox->SetCaption("x");
    Keys(calc, "C");
    EXPECT_EQ(calc->DisplayValue(), 0);
    calc->TextBox->SetCaption("x");
    EXPECT_EQ(calc->DisplayValue(), 0);
    EXPECT_EQ(calc->Status(), calcError);
}

TEST_F(CalculatorTest, TheKeysAndTheKeyboardSendTheirCharacters) {
    TCalculatorEx* calc = MakePanel();
    const std::string keys = "789/SC456*%A123-R\b0I.+=";
    for (std::size_t i = 0; i < keys.size(); ++i) EXPECT_EQ(TCalculatorEx::KeyOfTag(int(i) + 1), keys[i]) << i + 1;
    EXPECT_EQ(TCalculatorEx::KeyOfTag(0), 0);
    EXPECT_EQ(TCalculatorEx::KeyOfTag(99), 0);
    // Clicking the keys of 1, +, 2, =.
    for (TControl* key : {static_cast<TControl*>(calc->SpeedButton13), static_cast<TControl*>(calc->SpeedButton24),
                          static_cast<TControl*>(calc->SpeedButton14), static_cast<TControl*>(calc->spEqual)})
        Click(key, key->Width() / 2, key->Height() / 2);
    EXPECT_EQ(calc->DisplayText(), "3");
    // Typed into the focused panel.
    calc->SetFocus();
    Pump();
    Type("6*7");
    Press(VK_RETURN);
    EXPECT_EQ(calc->DisplayText(), "42");
    // The wheel steps the number shown.
    calc->Perform(CM_MOUSEWHEEL, MakeWParam(0, 120), 0);
    EXPECT_EQ(calc->DisplayText(), "43");
    calc->Perform(CM_MOUSEWHEEL, MakeWParam(0, -240), 0);
    EXPECT_EQ(calc->DisplayText(), "42");
    Keys(calc, "8/0=");
    EXPECT_EQ(calc->Perform(CM_MOUSEWHEEL, MakeWParam(0, 120), 0), 0);
    EXPECT_EQ(calc->DisplayText(), "Error");
}

int Scaled(int v, int m, int d) { return (v * m + d / 2) / d; }

TEST_F(CalculatorTest, ItsLayoutIsReadFromItsResourceAndScaledByTheInstalledFont) {
    TCalculatorEx* calc = MakePanel();
    EXPECT_EQ(calc->Name(), "CalculatorEx");
    EXPECT_EQ(calc->TextHeight(), 13);
    EXPECT_EQ(calc->PixelsPerInch(), 96);
    EXPECT_EQ(calc->BorderStyle(), bsNone);
    EXPECT_EQ(calc->Color(), clBtnFace);
    TFont font;
    font.SetName("MS Sans Serif");
    font.SetHeight(-11);
    const int now = DesignTextHeight(font);
    // The client area the resource asks for, as its font measures here.
    const int w = now == 13 ? 184 : Scaled(184, now, 13);
    const int h = now == 13 ? 127 : Scaled(127, now, 13);
    EXPECT_EQ(calc->Width(), w);
    EXPECT_EQ(calc->Height(), h);
    EXPECT_EQ(calc->ClientWidth(), w);
    EXPECT_EQ(calc->SpeedButton1->Left(), Scaled(6, now, 13));
    EXPECT_EQ(calc->SpeedButton1->Top(), Scaled(29, now, 13));
    EXPECT_EQ(calc->spEqual->Left() + calc->spEqual->Width(), Scaled(178, now, 13));
    EXPECT_EQ(calc->spEqual->Top() + calc->spEqual->Height(), Scaled(123, now, 13));
    EXPECT_EQ(calc->Panel1->Left() + calc->Panel1->Width(), Scaled(177, now, 13));
    // Every key is bound to its field, drawn as a glyph key and hot.
    int keys = 0;
    for (int i = 0; i < calc->ControlCount(); ++i)
        if (auto* key = dynamic_cast<TSpeedButtonEx*>(calc->Controls(i))) {
            ++keys;
            EXPECT_EQ(key->Style(), ebsGlyphEx) << key->Name();
            EXPECT_TRUE(key->Active()) << key->Name();
            EXPECT_TRUE(key->Flat()) << key->Name();
        }
    EXPECT_EQ(keys, 23);
    ASSERT_NE(calc->SpeedButton12, nullptr);
    EXPECT_EQ(calc->SpeedButton12->Caption(), "Cancel");
    EXPECT_EQ(calc->SpeedButton6->Font()->Color(), clRed);
    EXPECT_EQ(calc->SpeedButton1->Font()->Color(), clBlue);
    EXPECT_EQ(calc->TextBox->Caption(), "0");
    // A single border adds its frame to the size.
    calc->SetBorderStyle(bsSingle);
    EXPECT_EQ(calc->BorderExtent(), 4);
    EXPECT_EQ(calc->Width(), w + 4);
    EXPECT_THROW(calc->SetPixelsPerInch(20), EInvalidOperation);
}

TEST_F(CalculatorTest, KeysShowTheirCaptionsOnTheWindow) {
    TCalculatorEx* calc = MakePanel();
    Keys(calc, "8");
    const TSpeedButtonEx* seven = calc->SpeedButton1;
    // Blue caption pixels on the key, the raised edge of a hot key.
    EXPECT_GT(Inked(seven, [](int r, int g, int b) { return b > 128 && r < 100 && g < 100; }), 5);
    EXPECT_EQ(PixelOf(seven, 0, 0), Rgb(clBtnHighlight));
    EXPECT_EQ(PixelOf(seven, seven->Width() - 1, seven->Height() - 1), Rgb(clBtnShadow));
    // The display: white, with the digit in the window text colour.
    EXPECT_EQ(PixelOf(calc->Panel1, 1, 1), Rgb(clHighlightText));
    EXPECT_GT(Inked(calc->TextBox, [](int r, int g, int b) { return r < 100 && g < 100 && b < 100; }), 5);
}

// ------------------------------------------------------------ drop-down

class CalculatorDropDown : public CalculatorTest {
protected:
    void SetUp() override {
        CalculatorTest::SetUp();
        host = Put<TDropDownHost>(20, 20, 120, 21);
        other = Put<TEdit>(200, 20, 120, 21);
        host->SetText("7");
        host->SetFocus();
        Pump();
    }
    TPopupCalculatorEx* Open() {
        host->DropDown();
        Pump();
        return host->Calculator();
    }
    TDropDownHost* host = nullptr;
    TEdit* other = nullptr;
};

TEST_F(CalculatorDropDown, OpensUnderItsEditAsAWindowThatTakesNoFocus) {
    TPopupCalculatorEx* calc = Open();
    ASSERT_TRUE(calc->HandleAllocated());
    EXPECT_TRUE(calc->Showing());
    EXPECT_EQ(GetParent(calc->WindowHandle()), HWND(0));
    EXPECT_EQ(GetWindowLong(calc->WindowHandle(), GWL_EXSTYLE), WS_EX_TOOLWINDOW);
    EXPECT_TRUE(GetWindowLong(calc->WindowHandle(), GWL_STYLE) & WS_POPUP);
    TRect r, edit;
    GetWindowRect(calc->WindowHandle(), r);
    GetWindowRect(host->WindowHandle(), edit);
    EXPECT_EQ(r.TopLeft(), (TPoint{edit.Left, edit.Bottom}));
    EXPECT_EQ(calc->ClientOrigin(), (TPoint{edit.Left + 2, edit.Bottom + 2}));
    // Its frame: two pixels, dark outside, raised inside.
    EXPECT_EQ(calc->BorderWidth(), 2);
    EXPECT_EQ(r.Width(), calc->ClientWidth() + 4);
    EXPECT_EQ(r.Height(), calc->ClientHeight() + 4);
    UpdateWindow(calc->WindowHandle());
    const TBitmap* surface = GetWindowSurface(calc->WindowHandle());
    ASSERT_NE(surface, nullptr);
    EXPECT_EQ(surface->Pixel(0, 0), Rgb(cl3DDkShadow));
    EXPECT_EQ(surface->Pixel(r.Width() - 1, 5), Rgb(cl3DDkShadow));
    EXPECT_EQ(surface->Pixel(1, 5), Rgb(clBtnHighlight));
    EXPECT_EQ(surface->Pixel(r.Width() - 2, 5), Rgb(clBtnShadow));
    // The edit's value, the edit keeping the focus and the form the activation.
    EXPECT_EQ(calc->DisplayText(), "7");
    EXPECT_EQ(GetFocus(), host->WindowHandle());
    EXPECT_EQ(GetActiveWindow(), form->WindowHandle());
    EXPECT_FALSE(calc->CanFocus());
    EXPECT_EQ(calc->Perform(WM_GETDLGCODE) & (DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTCHARS),
              DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTCHARS);
    // A click on a key works the calculator and leaves focus and activation alone.
    TSpeedButtonEx* three = calc->SpeedButton15;
    Click(three, three->Width() / 2, three->Height() / 2);
    EXPECT_EQ(calc->DisplayText(), "3");
    EXPECT_TRUE(host->DroppedDown());
    EXPECT_EQ(GetFocus(), host->WindowHandle());
    EXPECT_EQ(GetActiveWindow(), form->WindowHandle());
    // The wheel over it steps the number.
    synthetic::MouseMove(Centre(calc));
    synthetic::Wheel(1);
    Pump();
    EXPECT_EQ(calc->DisplayText(), "4");
}

TEST_F(CalculatorDropDown, EnterComputesWhileTheKeyReadsEqualsThenClosesWithTheValue) {
    TPopupCalculatorEx* calc = Open();
    Type("2+3");
    EXPECT_EQ(calc->spEqual->Caption(), "=");
    EXPECT_FALSE(Supports<IDropDownValueEditor>(calc)->ReadyToClose());
    Press(VK_RETURN);
    EXPECT_TRUE(host->DroppedDown());
    EXPECT_EQ(calc->DisplayText(), "5");
    Press(VK_RETURN);
    EXPECT_FALSE(host->DroppedDown());
    EXPECT_FALSE(calc->Showing());
    EXPECT_TRUE(host->LastAccepted);
    EXPECT_EQ(host->Text(), "5");
    // 0 - 3 computes -3 before it closes.
    Open();
    Type("0-3");
    Press(VK_RETURN);
    EXPECT_TRUE(host->DroppedDown());
    Press(VK_RETURN);
    EXPECT_EQ(host->Text(), "-3");
    // "=" typed while the key reads "Ok" closes too.
    Open();
    Type("9=");
    EXPECT_FALSE(host->DroppedDown());
    EXPECT_EQ(host->Text(), "9");
}

TEST_F(CalculatorDropDown, EscTheCancelKeyAndItsMessageCloseWithoutTheValue) {
    TPopupCalculatorEx* calc = Open();
    Type("123");
    Press(VK_ESCAPE);
    EXPECT_FALSE(host->DroppedDown());
    EXPECT_FALSE(host->LastAccepted);
    EXPECT_EQ(host->Text(), "7");
    // Key-down of Esc sent to the calculator itself.
    Open();
    SendMessage(calc->WindowHandle(), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_FALSE(host->DroppedDown());
    // The Cancel key, also in the error state.
    Open();
    Type("8/0=");
    ASSERT_EQ(calc->DisplayText(), "Error");
    Click(calc->SpeedButton12, 5, 5);
    EXPECT_FALSE(host->DroppedDown());
    EXPECT_FALSE(host->LastAccepted);
    Open();
    SendMessage(calc->WindowHandle(), MSG_EDIT_POPUP, 0, 0);
    EXPECT_FALSE(host->DroppedDown());
    EXPECT_FALSE(host->LastAccepted);
    EXPECT_EQ(host->Closes, 4);
    EXPECT_EQ(host->Text(), "7");
}

TEST_F(CalculatorDropDown, TheOkKeyAndTheSpecialKeysCloseIt) {
    TPopupCalculatorEx* calc = Open();
    Type("6");
    Click(calc->spEqual, 5, 5);
    EXPECT_FALSE(host->DroppedDown());
    EXPECT_TRUE(host->LastAccepted);
    EXPECT_EQ(host->Text(), "6");
    Open();
    EXPECT_EQ(calc->Perform(CM_WANTSPECIALKEY, VK_RETURN, 0), 1);
    EXPECT_FALSE(host->DroppedDown());
    EXPECT_TRUE(host->LastAccepted);
    Open();
    EXPECT_EQ(calc->Perform(CM_WANTSPECIALKEY, VK_ESCAPE, 0), 1);
    EXPECT_FALSE(host->LastAccepted);
    EXPECT_EQ(calc->Perform(CM_WANTSPECIALKEY, VK_TAB, 0), 0);
}

TEST_F(CalculatorDropDown, AnErrorHandsNoValueBack) {
    TPopupCalculatorEx* calc = Open();
    Type("8/0=");
    const Variant v = Supports<IDropDownValueEditor>(calc)->GetValue();
    ASSERT_TRUE(v.IsError());
    EXPECT_EQ(v.ErrorCode(), 0xFFFFFFFFu);
    EXPECT_TRUE(Supports<IDropDownValueEditor>(calc)->ReadyToClose());
    Press(VK_RETURN);
    EXPECT_FALSE(host->DroppedDown());
    EXPECT_TRUE(host->LastAccepted);
    EXPECT_EQ(host->Text(), "7");
}

TEST_F(CalculatorDropDown, ClosesOnAClickElsewhereAndWhenItsEditLosesTheFocus) {
    Open();
    Click(other, 5, 5);
    EXPECT_FALSE(host->DroppedDown());
    EXPECT_FALSE(host->LastAccepted);
    // A click on the form itself, which takes no focus.
    host->SetFocus();
    Open();
    Click(form, 300, 200);
    EXPECT_FALSE(host->DroppedDown());
    // The focus moved by the program.
    host->SetFocus();
    Open();
    other->SetFocus();
    Pump();
    EXPECT_FALSE(host->DroppedDown());
    // Another window of the program activated.
    host->SetFocus();
    Open();
    auto* second = Create<TForm>(Application);
    second->SetBounds(600, 400, 200, 100);
    second->Show();
    Pump();
    EXPECT_FALSE(host->DroppedDown());
    EXPECT_EQ(host->Closes, 4);
    EXPECT_EQ(host->Text(), "7");
}

TEST_F(CalculatorDropDown, CopyPasteAndTheLookOfItsKeys) {
    TPopupCalculatorEx* calc = Open();
    Type("12");
    Press('C', {ssCtrl});
    EXPECT_EQ(Clipboard().AsText(), "12");
    Clipboard().SetAsText("2.5");
    Press('V', {ssCtrl});
    EXPECT_EQ(calc->DisplayText(), "2.5");
    EXPECT_TRUE(host->DroppedDown());
    IDropDownValueEditor* editor = Supports<IDropDownValueEditor>(calc);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->GetValue(), Variant(2.5));
    EXPECT_TRUE(editor->GetFlat());
    editor->SetFlat(false);
    EXPECT_FALSE(calc->SpeedButton1->Flat());
    EXPECT_FALSE(calc->spEqual->Flat());
    editor->SetValue(Variant("1E3"));
    EXPECT_EQ(calc->DisplayText(), "1000");
    EXPECT_EQ(calc->Status(), calcResult);
    EXPECT_EQ(calc->PendingOperator(), '=');
    // The panel alone implements neither interface.
    EXPECT_EQ(Supports<IDropDownEditorOwner>(calc), nullptr);
    EXPECT_EQ(Supports<IDropDownValueEditor>(host), nullptr);
    EXPECT_EQ(Supports<IDropDownEditorOwner>(host), static_cast<IDropDownEditorOwner*>(host));
}

}  // namespace
}  // namespace menvaro

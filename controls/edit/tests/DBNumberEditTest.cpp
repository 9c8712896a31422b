// The number edit: its text rules worked out by hand, and the edit typed
// into, stepped, committed and dropping down the calculator.
#include <gtest/gtest.h>

#include <limits>
#include <set>

#include "classes/FormParser.h"
#include "classes/FormReader.h"
#include "classes/FormWriter.h"
#include "data/MemoryDataSet.h"
#include "edit/DBCtrlsEx.h"
#include "testsupport/FormatSettingsScope.h"
#include "testsupport/UiTest.h"
#include "ui/Clipboard.h"

namespace menvaro {
namespace {

void Locale(char decimal, char thousand) {
    FormatSettings().DecimalSeparator = decimal;
    FormatSettings().ThousandSeparator = thousand;
}

TEST(NumberText, Normalising) {
    test::FormatSettingsScope scope;
    Locale('.', ',');
    EXPECT_EQ(NormalizeNumberText("  1,234.5  "), "1234.5");
    EXPECT_EQ(TrimSpaces("\t1 "), "\t1");
    Locale(',', '.');
    EXPECT_EQ(NormalizeNumberText("1.234,5"), "1234,5");
    Locale(',', ' ');
    EXPECT_EQ(NormalizeNumberText("1 234.5"), "1234,5");  // "." taken as the separator
}

TEST(NumberText, WhatATypedTextStandsFor) {
    test::FormatSettingsScope scope;
    Locale('.', ',');
    using enum TTypedNumberKind;
    struct Case {
        const char* text;
        TTypedNumberKind kind;
        double x;
    };
    for (const Case& c : {Case{"", tnEmpty, 0},         Case{"12.5", tnNumber, 12.5}, Case{"5.", tnNumber, 5},
                          Case{".5", tnNumber, 0.5},     Case{"-.5", tnNumber, -0.5},  Case{"+5.", tnNumber, 5},
                          Case{"1E3", tnNumber, 1000},   Case{"1e-3", tnNumber, 0.001},
                          Case{"-", tnStart, 0},         Case{"+", tnStart, 0},        Case{".", tnStart, 0},
                          Case{"-.", tnStart, 0},        Case{"+.", tnStart, 0},
                          Case{"1E", tnExponent, 1},     Case{"1e+", tnExponent, 1},   Case{"-2.5E-", tnExponent, -2.5},
                          Case{"5.E", tnExponent, 5},    Case{".5e", tnExponent, 0.5},
                          Case{"E", tnInvalid, 0},       Case{".E", tnInvalid, 0},     Case{"-E", tnInvalid, 0},
                          Case{"..", tnInvalid, 0},      Case{"--", tnInvalid, 0},     Case{"+-", tnInvalid, 0},
                          Case{"--1", tnInvalid, 0},     Case{"1E5E", tnInvalid, 0},   Case{"1EE", tnInvalid, 0},
                          Case{"1E+-", tnInvalid, 0},    Case{"1E400", tnInvalid, 0},  Case{"1a", tnInvalid, 0},
                          Case{"1,2", tnInvalid, 0},     Case{"1 2", tnInvalid, 0},    Case{" 1", tnInvalid, 0},
                          Case{"1-5", tnInvalid, 0}}) {
        const TTypedNumber n = ReadTypedNumber(c.text);
        EXPECT_EQ(n.Kind, c.kind) << c.text;
        EXPECT_DOUBLE_EQ(n.X, c.x) << c.text;
        double x = -99;
        EXPECT_EQ(IsNumberText(c.text, x), c.kind != tnEmpty && c.kind != tnInvalid) << c.text;
    }
    // Another locale's point is no decimal point.
    Locale(',', '.');
    EXPECT_EQ(ReadTypedNumber(",").Kind, tnStart);
    EXPECT_EQ(ReadTypedNumber("2,5").X, 2.5);
    EXPECT_EQ(ReadTypedNumber(".").Kind, tnInvalid);
    // A long text is checked whole, never cut.
    Locale('.', ',');
    double x = 0;
    EXPECT_FALSE(IsNumberText(std::string(70, '1') + "x", x));
}

TEST(NumberText, ThousandSeparatorsAndEditFormats) {
    test::FormatSettingsScope scope;
    Locale('.', ',');
    EXPECT_EQ(InsertThousandSeparators("1234567", true), "1,234,567");
    EXPECT_EQ(InsertThousandSeparators("-1234.567", true), "-1,234.567");
    EXPECT_EQ(InsertThousandSeparators("+123", true), "+123");
    EXPECT_EQ(InsertThousandSeparators("12345E12345", true), "12,345E12345");
    EXPECT_EQ(InsertThousandSeparators("1234567", false), "1234567");
    struct Case {
        const char* display;
        const char* edit;
    };
    for (const Case& c : {Case{"#,##0.00;(#,##0.00)", "#,##0.00"}, Case{"0.00E+00", "0.000"},
                          Case{"0.00E+00000", "0.000"}, Case{"0.0E-00", "0.000"}, Case{"0%", "0"},
                          Case{"'No. '0.0\"x\"", "0.0"}, Case{"", ""}, Case{"#,##0 元", "#,##0"}})
        EXPECT_EQ(EditFormatFromDisplayFormat(c.display), c.edit) << c.display;
    FormatSettings().CurrencyDecimals = 2;
    EXPECT_EQ(CurrencyEditFormat(), ",#.00");
    // Clamping in its three cases.
    EXPECT_EQ(ClampToRange(-3, 0, 0), -3);
    EXPECT_EQ(ClampToRange(0, 1, 10000), 1);
    EXPECT_EQ(ClampToRange(20000, 1, 10000), 10000);
    EXPECT_EQ(ClampToRange(3, 5, 0), 5);
    EXPECT_EQ(ClampToRange(300, 5, 0), 300);
    EXPECT_EQ(ClampToRange(-3, 0, -5), -5);
    EXPECT_EQ(ClampToRange(-30, 0, -5), -30);
    EXPECT_EQ(ClampToRange(7, 10, 5), 7);
}

class NumberEdit : public ControlTest {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        other = Put<TEdit>(200, 20, 100, 21);
    }
    // The backup tool's days edit.
    TDBNumberEditEx* Days() {
        auto* e = Put<TDBNumberEditEx>(20, 20, 80, 21);
        e->SetName("edtSaveBackupDays");
        e->SetAlignment(taRightJustify);
        e->SetMinValue(1);
        e->SetMaxValue(10000);
        e->SetValue(Variant(7));
        Pump();
        return e;
    }
    void Focus(TWinControl* c) {
        c->SetFocus();
        Pump();
    }
    void Retype(TWinControl* e, const std::string& s) {
        Focus(e);
        Press('A', {ssCtrl});
        Press(VK_DELETE);
        Type(s);
    }
    test::FormatSettingsScope scope;
    TEdit* other = nullptr;
};

TEST_F(NumberEdit, TheBackupToolsDaysEdit) {
    TDBNumberEditEx* e = Days();
    EXPECT_EQ(e->Text(), "7");
    EXPECT_EQ(e->Value(), Variant(7.0));
    EXPECT_EQ(e->ButtonsWidth(), 0);
    Retype(e, "0");
    EXPECT_EQ(e->Text(), "0");
    EXPECT_EQ(e->Value(), Variant(1.0));
    Focus(other);
    EXPECT_EQ(e->Text(), "1");
    Retype(e, "20000");
    EXPECT_EQ(e->Value(), Variant(10000.0));
    Focus(other);
    EXPECT_EQ(e->Text(), "10000");
    // Up on the maximum stays there.
    Focus(e);
    Press(VK_UP);
    EXPECT_EQ(e->Value(), Variant(10000.0));
    // Emptied: Null; Down gives the increment, clamped.
    Retype(e, "");
    EXPECT_TRUE(e->Value().IsNull());
    Press(VK_DOWN);
    EXPECT_EQ(e->Value(), Variant(1.0));
    EXPECT_EQ(e->Text(), "1");
    // A lone "-" reads the integer 0; no digit follows it.
    Retype(e, "-");
    EXPECT_EQ(e->Text(), "-");
    EXPECT_EQ(e->Value(), Variant(0));
    Type("5");
    EXPECT_EQ(e->Text(), "-");
    // Writing does not clamp.
    e->SetValue(Variant(-5));
    EXPECT_EQ(e->Value(), Variant(-5.0));
    e->SetValue(Null);
    EXPECT_EQ(e->Text(), "");
    EXPECT_THROW(e->SetValue(Unassigned), EVariantInvalidOpError);
    e->SetValue(Variant("12"));
    EXPECT_EQ(e->Value(), Variant(12.0));
}

TEST_F(NumberEdit, TypingRulesAndFormats) {
    Locale('.', ',');
    auto* e = Put<TDBNumberEditEx>(20, 20, 120, 21);
    EXPECT_EQ(e->Alignment(), taRightJustify);
    EXPECT_EQ(e->DecimalPlaces(), 2u);
    EXPECT_EQ(e->Increment(), 1.0);
    EXPECT_EQ(e->EditButton()->ShortCut(), kAltDownShortCut);
    e->SetDisplayFormat("#,##0.00");
    EXPECT_EQ(e->EditFormat(), "#,##0.00");
    e->SetValue(Variant(1234.5));
    EXPECT_EQ(e->Text(), "1,234.50");
    // Typed digits get their separators; the caret stays after the last.
    Retype(e, "1234567");
    EXPECT_EQ(e->Text(), "1,234,567");
    EXPECT_EQ(e->SelStart(), 9);
    EXPECT_EQ(e->Value(), Variant(1234567.0));
    // A third decimal is refused; "," types the decimal separator.
    Retype(e, "1,5");
    EXPECT_EQ(e->Text(), "1.5");
    Type("67");
    EXPECT_EQ(e->Text(), "1.56");
    Type("x");
    EXPECT_EQ(e->Text(), "1.56");
    // Escape brings the stored value back.
    Press(VK_ESCAPE);
    EXPECT_EQ(e->Value(), Variant(1234.5));
    // The locale read as the text is handled.
    Focus(other);
    Locale(',', '.');
    e->SetValue(Variant(2.5));
    EXPECT_EQ(e->Text(), "2,50");
    Locale('.', ',');
    e->SetDisplayFormat("");
    e->SetCurrency(true);
    EXPECT_EQ(e->EditFormat(), ",#.00");
    e->SetValue(Variant(1e300));  // beyond the currency type: the plain number
    EXPECT_EQ(e->Text(), "1E300");
}

TEST_F(NumberEdit, AnyDoubleShowsAsATextOfBoundedLength) {
    Locale('.', ',');
    auto* e = Put<TDBNumberEditEx>(20, 20, 120, 21);
    const double values[] = {std::numeric_limits<double>::max(),
                             -std::numeric_limits<double>::max(),
                             std::numeric_limits<double>::denorm_min(),
                             -std::numeric_limits<double>::min(),
                             1e18 - 1,
                             1e18,
                             1e19,
                             123456789012345678.0,
                             -0.0,
                             0.5e-300};
    // At most 18 integer digits with their separators, or the general
    // format's 15 digits and exponent: never hundreds of digits.
    for (const char* format : {"#,##0.00", "0", "0.00;(0.00);zero", "#,##0.00 元", "0.00E+00", "0%", "'x'#"}) {
        e->SetDisplayFormat(format);
        for (double x : values) {
            e->SetValue(Variant(x));
            EXPECT_LE(e->Text().size(), std::string(format).size() + 24) << format << " " << x << ": " << e->Text();
        }
    }
    // In edit form too.
    e->SetDisplayFormat("#,##0.00");
    Focus(e);
    for (double x : values) {
        e->SetValue(Variant(x));
        EXPECT_LE(e->Text().size(), 32u) << x << ": " << e->Text();
    }
}

TEST_F(NumberEdit, TheCaretStaysInTheTextWhileSeparatorsComeAndGo) {
    Locale('.', ',');
    auto* e = Put<TDBNumberEditEx>(20, 20, 120, 21);
    e->SetDisplayFormat("#,##0.00");
    auto caretIn = [&](const std::string& step) {
        EXPECT_GE(e->SelStart(), 0) << step;
        EXPECT_LE(e->SelStart(), static_cast<int>(e->Text().size())) << step;
    };
    Retype(e, "1234567");
    ASSERT_EQ(e->Text(), "1,234,567");
    // Backspace from the end down to nothing: the caret follows the end.
    for (const char* expected : {"123,456", "12,345", "1,234", "123", "12", "1", ""}) {
        Press(VK_BACK);
        EXPECT_EQ(e->Text(), expected);
        EXPECT_EQ(e->SelStart(), static_cast<int>(e->Text().size())) << expected;
    }
    // Delete from the start: the separators that go leave the caret at 0.
    Type("1234567");
    Press(VK_HOME);
    for (const char* expected : {"234,567", "34,567", "4,567", "567", "67", "7", ""}) {
        Press(VK_DELETE);
        EXPECT_EQ(e->Text(), expected);
        EXPECT_EQ(e->SelStart(), 0) << expected;
    }
    // Deleting a separator, or a selection across one, in the middle.
    Type("1234567");
    e->SetSelStart(2);  // after "1,"
    Press(VK_BACK);
    caretIn("a separator deleted");
    EXPECT_EQ(e->Value(), Variant(1234567.0));
    e->SetSelStart(1);
    e->SetSelLength(5);  // ",234,"
    Press(VK_DELETE);
    EXPECT_EQ(e->Text(), "1,567");
    caretIn("a selection across separators deleted");
    Press('A', {ssCtrl});
    Press(VK_BACK);
    EXPECT_EQ(e->SelStart(), 0);
    EXPECT_TRUE(e->Value().IsNull());
}

TEST_F(NumberEdit, StepsPastesAndIncompleteText) {
    auto* e = Put<TDBNumberEditEx>(20, 20, 120, 21);
    e->SetValue(Variant(4));
    Focus(e);
    // An up-down button: the upper half up, the lower half down.
    e->EditButton()->SetStyle(ebsUpDownEx);
    e->EditButton()->SetVisible(true);
    Pump();
    TEditButtonControlEx* b = e->ButtonControl(0);
    bool autoRepeat = true;
    b->DoButtonDown(true, autoRepeat);
    EXPECT_EQ(e->Value(), Variant(5.0));
    b->DoButtonDown(false, autoRepeat);
    b->DoButtonDown(false, autoRepeat);
    EXPECT_EQ(e->Value(), Variant(3.0));
    // A paste leaving a text that typing may leave stays; one that no
    // typing could leave is undone.
    struct Pasted {
        const char* text;
        const char* shown;
        Variant value;
    };
    for (const Pasted& p : {Pasted{"abc", "3", Variant(3.0)}, Pasted{"12", "12", Variant(12.0)},
                            Pasted{"-.", "-.", Variant(0)}, Pasted{"1-5", "-.", Variant(0)},
                            Pasted{"1E5", "1E5", Variant(100000.0)}}) {
        Focus(e);
        Press('A', {ssCtrl});
        Clipboard().SetAsText(p.text);
        e->PasteFromClipboard();
        EXPECT_EQ(e->Text(), p.shown) << p.text;
        EXPECT_EQ(e->Value(), p.value) << p.text;
    }
    // "1E5" less its last digit: nothing is raised (the fixture fails on
    // any error that reaches the application), the text stays and the value
    // keeps its number until the exponent has digits again.
    Press(VK_END);
    Press(VK_BACK);
    EXPECT_EQ(e->Text(), "1E");
    EXPECT_EQ(e->Value(), Variant(100000.0));
    Type("2");
    EXPECT_EQ(e->Value(), Variant(100.0));
}

// Every text a user can type on the way to a number, key by key into an
// emptied edit: what shows and what the value reads. No keystroke raises.
TEST_F(NumberEdit, EveryUnfinishedTextReadsWithoutAnError) {
    Locale('.', ',');
    auto* e = Put<TDBNumberEditEx>(20, 20, 120, 21);
    TDBNumberEditEx* days = Days();
    struct Case {
        TDBNumberEditEx* edit;
        const char* typed;
        const char* shown;
        Variant value;
    };
    const Case cases[] = {
        // A lone sign or point, or both: the integer 0, never clamped.
        {e, "-", "-", Variant(0)},
        {e, "+", "+", Variant(0)},
        {e, ".", ".", Variant(0)},
        {e, ",", ".", Variant(0)},  // "," types the decimal separator
        {e, "-.", "-.", Variant(0)},
        {e, "+.", "+.", Variant(0)},
        {days, ".", ".", Variant(0)},
        {days, "-.", "-.", Variant(0)},
        {days, "+", "+", Variant(0)},
        // A point at either end: a number.
        {e, "5.", "5.", Variant(5.0)},
        {e, ".5", ".5", Variant(0.5)},
        {e, "-.5", "-.5", Variant(-0.5)},
        {e, "+5.", "+5.", Variant(5.0)},
        {days, ".5", ".5", Variant(1.0)},  // clamped to the minimum
        {days, "0.", "0.", Variant(1.0)},
        // An exponent in progress: the number before it holds.
        {e, "1E", "1E", Variant(1.0)},
        {e, "1e-", "1e-", Variant(1.0)},
        {e, "2.5E+", "2.5E+", Variant(2.5)},
        {e, "-.5E", "-.5E", Variant(-0.5)},
        {e, "1E5", "1E5", Variant(100000.0)},
        {days, "3E", "3E", Variant(3.0)},
        {days, "3E-", "3E-", Variant(3.0)},
        // What would leave no readable text is not typed.
        {e, "..", ".", Variant(0)},
        {e, "E", "", Null},
        {e, ".E", ".", Variant(0)},
        {e, "-+", "-", Variant(0)},
        {e, "1EE", "1E", Variant(1.0)},
        {e, "1E+-", "1E+", Variant(1.0)},
        {e, "5.5.", "5.5", Variant(5.5)},
        {days, "-.5", "-.", Variant(0)},  // negative in a range from 1
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.typed) + (c.edit == days ? " into the days" : ""));
        Retype(c.edit, c.typed);
        EXPECT_EQ(c.edit->Text(), c.shown);
        EXPECT_EQ(c.edit->Value(), c.value);
    }
    // Left so, the value is committed and shown.
    Retype(days, ".");
    Focus(other);
    EXPECT_EQ(days->Text(), "0");
    EXPECT_EQ(days->Value(), Variant(0.0));
    // Deleting back through the unfinished texts.
    Retype(e, "-1.5");
    for (const char* shown : {"-1.", "-1", "-", ""}) {
        Press(VK_BACK);
        EXPECT_EQ(e->Text(), shown);
    }
    EXPECT_TRUE(e->Value().IsNull());
    Retype(e, "-.5");
    Press(VK_BACK);
    EXPECT_EQ(e->Text(), "-.");
    EXPECT_EQ(e->Value(), Variant(0));
}

// Whatever is typed, the text left reads: no key of a number text, in any
// order, leaves a text the change handler cannot read.
TEST_F(NumberEdit, NoSequenceOfKeysLeavesAnUnreadableText) {
    Locale('.', ',');
    auto* e = Put<TDBNumberEditEx>(20, 20, 120, 21);
    const std::string keys = "-+.5E";
    std::vector<std::string> texts{""};
    for (int length = 1; length <= 3; ++length) {
        std::vector<std::string> longer;
        for (const std::string& t : texts)
            for (char k : keys) longer.push_back(t + k);
        for (const std::string& typed : longer) {
            Retype(e, typed);
            const TTypedNumber n = ReadTypedNumber(NormalizeNumberText(e->Text()));
            ASSERT_NE(n.Kind, TTypedNumberKind::tnInvalid) << typed << " left " << e->Text();
            if (n.Kind == TTypedNumberKind::tnNumber) {
                EXPECT_EQ(e->Value(), Variant(n.X)) << typed;
            }
            if (n.Kind == TTypedNumberKind::tnStart) {
                EXPECT_EQ(e->Value(), Variant(0)) << typed;
            }
        }
        texts = std::move(longer);
    }
}

TEST_F(NumberEdit, ArrowsAndTheWheelStep) {
    auto* e = Put<TDBNumberEditEx>(20, 20, 120, 21);
    e->SetIncrement(2.5);
    e->SetValue(Variant(10));
    Focus(e);
    Press(VK_UP);
    EXPECT_EQ(e->Value(), Variant(12.5));
    Press(VK_DOWN);
    Press(VK_DOWN);
    EXPECT_EQ(e->Value(), Variant(7.5));
    // The wheel over the edit: up steps up, down steps down.
    synthetic::MouseMove(Centre(e));
    synthetic::Wheel(1);
    Pump();
    EXPECT_EQ(e->Value(), Variant(10.0));
    synthetic::Wheel(-1);
    Pump();
    synthetic::Wheel(-1);
    Pump();
    EXPECT_EQ(e->Value(), Variant(5.0));
    EXPECT_EQ(e->Text(), "5");
    // A shift key held, or a read-only edit: the wheel goes on to the form.
    synthetic::KeyDown(VK_SHIFT);
    synthetic::Wheel(1);
    Pump();
    synthetic::KeyUp(VK_SHIFT);
    Pump();
    EXPECT_EQ(e->Value(), Variant(5.0));
    e->SetReadOnly(true);
    synthetic::Wheel(1);
    Press(VK_UP);
    EXPECT_EQ(e->Value(), Variant(5.0));
    e->SetReadOnly(false);
    // The backup tool's edit, emptied: the wheel gives the increment, clamped at both ends.
    TDBNumberEditEx* days = Days();
    Retype(days, "");
    synthetic::MouseMove(Centre(days));
    synthetic::Wheel(-1);
    Pump();
    EXPECT_EQ(days->Value(), Variant(1.0));
    synthetic::Wheel(-1);
    Pump();
    EXPECT_EQ(days->Value(), Variant(1.0));
    days->SetValue(Variant(9999));
    synthetic::Wheel(3);
    Pump();
    EXPECT_EQ(days->Value(), Variant(10000.0));
    // Over an up-down button the wheel steps too.
    days->EditButton()->SetStyle(ebsUpDownEx);
    days->EditButton()->SetVisible(true);
    Pump();
    synthetic::MouseMove(Centre(days->ButtonControl(0)));
    synthetic::Wheel(-1);
    Pump();
    EXPECT_EQ(days->Value(), Variant(9999.0));
}

TEST_F(NumberEdit, ClicksOnItsButtons) {
    auto* e = Put<TDBNumberEditEx>(20, 20, 120, 21);
    e->SetValue(Variant(4));
    e->EditButton()->SetStyle(ebsUpDownEx);
    e->EditButton()->SetVisible(true);
    Pump();
    TEditButtonControlEx* b = e->ButtonControl(0);
    ASSERT_NE(b, nullptr);
    // The upper half steps up, the lower half down.
    Click(b, b->Width() / 2, 2);
    EXPECT_EQ(e->Value(), Variant(5.0));
    Click(b, b->Width() / 2, b->Height() - 3);
    Click(b, b->Width() / 2, b->Height() - 3);
    EXPECT_EQ(e->Value(), Variant(3.0));
    EXPECT_EQ(GetFocus(), e->WindowHandle());
    // The drop-down button: a click opens the calculator, the release of
    // the same press leaves it open, a second click closes it.
    e->EditButton()->SetStyle(ebsDropDownEx);
    Pump();
    Click(b, b->Width() / 2, b->Height() / 2);
    ASSERT_TRUE(e->CalculatorOpen());
    EXPECT_EQ(e->PopupCalculator()->DisplayText(), "3");
    Click(b, b->Width() / 2, b->Height() / 2);
    EXPECT_FALSE(e->CalculatorOpen());
    EXPECT_EQ(e->Value(), Variant(3.0));
}

// A held up/down button lets go when the focus goes elsewhere, or the
// form cancels its modes: the value stops and the focus stays where it went.
TEST_F(NumberEdit, AHeldButtonLetsGoWhenTheFocusLeaves) {
    auto* e = Put<TDBNumberEditEx>(20, 20, 120, 21);
    e->SetValue(Variant(4));
    e->EditButton()->SetStyle(ebsUpDownEx);
    e->EditButton()->SetVisible(true);
    Pump();
    TEditButtonControlEx* b = e->ButtonControl(0);
    synthetic::MouseMove(ScreenAt(b, b->Width() / 2, 2));
    synthetic::MouseDown();
    Pump();
    EXPECT_EQ(e->Value(), Variant(5.0));
    synthetic::AdvanceTime(400);
    Pump();
    ASSERT_EQ(e->Value(), Variant(6.0));  // it repeats while held
    Focus(other);
    synthetic::AdvanceTime(1000);
    Pump();
    EXPECT_EQ(e->Value(), Variant(6.0));
    EXPECT_EQ(GetFocus(), other->WindowHandle());
    EXPECT_EQ(GetCaptureControl(), nullptr);
    EXPECT_EQ(b->PressedPart(), bppNone);
    synthetic::MouseUp();
    Pump();
    EXPECT_EQ(e->Value(), Variant(6.0));

    // The form's cancel mode, with the focus kept in the edit.
    int clicks = 0;
    e->OnButtonClick = [&](TObject*, bool&) { ++clicks; };
    Focus(e);
    synthetic::MouseDown();
    Pump();
    ASSERT_EQ(e->Value(), Variant(7.0));
    e->Perform(CM_CANCELMODE, 0, reinterpret_cast<LPARAM>(static_cast<TControl*>(other)));
    synthetic::AdvanceTime(1000);
    Pump();
    EXPECT_EQ(e->Value(), Variant(7.0));
    EXPECT_EQ(GetFocus(), e->WindowHandle());
    EXPECT_EQ(GetCaptureControl(), nullptr);
    synthetic::MouseUp();
    Pump();
    EXPECT_EQ(clicks, 0);  // let go, not clicked
    // Held again, it steps again.
    synthetic::MouseDown();
    synthetic::MouseUp();
    Pump();
    EXPECT_EQ(e->Value(), Variant(8.0));
    EXPECT_EQ(clicks, 1);
}

// Unless set explicitly, the alignment follows the field's, also when the
// field changes it after the window was made and when the field goes.
TEST_F(NumberEdit, TheWindowFollowsItsFieldsAlignment) {
    TOwned<TMemoryDataSet> ds(Create<TMemoryDataSet>(nullptr));
    ds->FieldDefs().Add("Price", TFieldType::ftFloat);
    ds->Open();
    ds->Append();
    ds->FieldByName("Price").SetAsFloat(12.5);
    ds->Post();
    TOwned<TDataSource> src(Create<TDataSource>(nullptr));
    src->SetDataSet(ds.get());
    auto* e = Put<TDBNumberEditEx>(20, 20, 120, 21);
    Pump();
    const auto style = [&] { return GetWindowLong(e->WindowHandle(), GWL_STYLE) & (ES_RIGHT | ES_CENTER); };
    EXPECT_EQ(style(), ES_RIGHT);
    e->SetDataSource(src.get());
    e->SetDataField("Price");
    TField& price = ds->FieldByName("Price");
    EXPECT_EQ(e->Value(), Variant(12.5));
    for (const TAlignment a : {taLeftJustify, taCenter, taRightJustify, taLeftJustify}) {
        price.SetAlignment(a);
        Pump();
        EXPECT_EQ(e->Alignment(), a);
        EXPECT_EQ(style(), a == taRightJustify ? ES_RIGHT : a == taCenter ? ES_CENTER : 0u) << a;
    }
    // Focused, the inner window shows the number at the field's side.
    Focus(e);
    const int w = e->ClientWidth();
    EXPECT_GT(CountPixels(e, Rect(0, 0, w / 2, e->ClientHeight()), Rgb(clWindowText)), 0);
    EXPECT_EQ(CountPixels(e, Rect(w / 2, 0, w, e->ClientHeight()), Rgb(clWindowText)), 0);
    Focus(other);
    // No field: right again.
    ds->Close();
    Pump();
    EXPECT_EQ(e->Alignment(), taRightJustify);
    EXPECT_EQ(style(), ES_RIGHT);
    // Set explicitly, it holds whatever the field says.
    ds->Open();
    e->SetAlignment(taCenter);
    ds->FieldByName("Price").SetAlignment(taLeftJustify);
    Pump();
    EXPECT_EQ(e->Alignment(), taCenter);
    EXPECT_EQ(style(), ES_CENTER);
}

TEST_F(NumberEdit, TheCalculatorDropsDownAlsoWithoutAButton) {
    TDBNumberEditEx* e = Days();
    Focus(e);
    Press(VK_DOWN, {ssAlt});
    ASSERT_TRUE(e->CalculatorOpen());
    TPopupCalculatorEx* calc = e->PopupCalculator();
    EXPECT_TRUE(calc->Showing());
    EXPECT_EQ(calc->DisplayText(), "7");
    EXPECT_EQ(GetFocus(), e->WindowHandle());
    // Keys, Backspace and copy work the calculator.
    Type("0-12");
    Press(VK_BACK);
    EXPECT_EQ(calc->DisplayText(), "1");
    Press('C', {ssCtrl});
    EXPECT_EQ(Clipboard().AsText(), "1");
    EXPECT_EQ(e->Text(), "7");
    Press(VK_RETURN);
    EXPECT_TRUE(e->CalculatorOpen());
    EXPECT_EQ(calc->DisplayText(), "-1");
    Press(VK_RETURN);
    EXPECT_FALSE(e->CalculatorOpen());
    // -1 is clamped to the minimum.
    EXPECT_EQ(e->Value(), Variant(1.0));
    // Esc closes without the value; an error hands nothing back.
    Press(VK_DOWN, {ssAlt});
    Type("99");
    Press(VK_ESCAPE);
    EXPECT_FALSE(e->CalculatorOpen());
    EXPECT_EQ(e->Value(), Variant(1.0));
    Press(VK_DOWN, {ssAlt});
    Type("8/0=");
    Press(VK_RETURN);
    EXPECT_FALSE(e->CalculatorOpen());
    EXPECT_EQ(e->Value(), Variant(1.0));
    // Leaving the edit closes it.
    Press(VK_DOWN, {ssAlt});
    Focus(other);
    EXPECT_FALSE(e->CalculatorOpen());
}

TEST_F(NumberEdit, AnAcceptedCalculatorValueIsCommittedWhenTheFocusLeaves) {
    TDBNumberEditEx* e = Days();
    Focus(e);
    Press(VK_DOWN, {ssAlt});
    ASSERT_TRUE(e->CalculatorOpen());
    Type("20000*3=");
    Press(VK_RETURN);
    ASSERT_FALSE(e->CalculatorOpen());
    // Clamped, shown in edit form and selected, the link told of the change ...
    EXPECT_EQ(e->Value(), Variant(10000.0));
    EXPECT_EQ(e->Text(), "10000");
    EXPECT_EQ(e->SelLength(), 5);
    EXPECT_TRUE(e->DataLink().IsModified());
    EXPECT_EQ(e->DataLink().DataIndependentValue(), Variant(7.0));
    // ... and committed as typed text is, when the focus leaves.
    Focus(other);
    EXPECT_EQ(e->DataLink().DataIndependentValue(), Variant(10000.0));
    EXPECT_EQ(e->Value(), Variant(10000.0));
    EXPECT_EQ(e->Text(), "10000");
    // Escape after accepting takes back the accepted value with the rest.
    Focus(e);
    Press(VK_DOWN, {ssAlt});
    Type("3=");
    Press(VK_RETURN);
    EXPECT_EQ(e->Value(), Variant(3.0));
    Press(VK_ESCAPE);
    EXPECT_EQ(e->Value(), Variant(10000.0));
    Focus(other);
    EXPECT_EQ(e->DataLink().DataIndependentValue(), Variant(10000.0));
}

TEST_F(NumberEdit, BoundToAFieldAndReadFromAForm) {
    auto* f = FormFromText<TForm>(
        "object frmDays: TForm\n"
        "  Left = 0\n  Top = 0\n  Width = 300\n  Height = 200\n"
        "  object edtSaveBackupDays: TDBNumberEditEx\n"
        "    Left = 8\n    Top = 8\n    Width = 80\n    Height = 21\n"
        "    Alignment = taRightJustify\n    MaxValue = 10000.000000000000000000\n    MinValue = 1.000000000000000000\n"
        "    TabOrder = 0\n    Value = 7\n"
        "  end\n"
        "end\n",
        "days.form");
    f->Show();
    Pump();
    auto* e = Part<TDBNumberEditEx>(f, "edtSaveBackupDays");
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->Text(), "7");
    EXPECT_EQ(e->MinValue(), 1);
    EXPECT_EQ(e->MaxValue(), 10000);
    EXPECT_EQ(e->Alignment(), taRightJustify);
}

// Exactly what the number edit publishes: its own properties and, of the
// edit and control classes, those its forms carry.
TEST(NumberEditClass, PublishesExactlyItsList) {
    std::set<std::string> published;
    for (const TPropInfo* p : TDBNumberEditEx::StaticClass().AllProps()) published.insert(p->Name);
    const std::set<std::string> expected{
        // The edit's own.
        "Alignment", "AlwaysShowBorder", "AutoSize", "currency", "DataField", "DataSource", "DecimalPlaces",
        "DisplayFormat", "EditButton", "EditButtons", "Flat", "Increment", "MaxValue", "MinValue", "MRUList",
        "PasswordChar", "ReadOnly", "Value", "Visible", "OnButtonClick", "OnButtonDown", "OnUpdateData",
        // The edit and control classes'.
        "Name", "Tag", "Left", "Top", "Width", "Height", "Cursor", "Hint", "HelpContext", "TabStop", "Anchors",
        "AutoSelect", "BiDiMode", "BorderStyle", "Color", "Constraints", "Ctl3D", "DragCursor", "DragKind",
        "DragMode", "Enabled", "Font", "ImeMode", "ImeName", "ParentBiDiMode", "ParentColor", "ParentCtl3D",
        "ParentFont", "ParentShowHint", "PopupMenu", "ShowHint", "TabOrder", "OnChange", "OnClick",
        "OnContextPopup", "OnDblClick", "OnDragDrop", "OnDragOver", "OnEndDock", "OnEndDrag", "OnEnter", "OnExit",
        "OnKeyDown", "OnKeyPress", "OnKeyUp", "OnMouseDown", "OnMouseMove", "OnMouseUp", "OnStartDock",
        "OnStartDrag"};
    EXPECT_EQ(published, expected);
    // The defaults a form file is written against.
    const TClassInfo& info = TDBNumberEditEx::StaticClass();
    struct Default {
        const char* name;
        std::int64_t value;
    };
    for (const Default& d : {Default{"TabStop", 1}, Default{"AutoSelect", 1}, Default{"BorderStyle", bsSingle},
                             Default{"Color", clWindow}, Default{"DragCursor", crDrag}, Default{"ImeMode", imDontCare},
                             Default{"ParentColor", 0}, Default{"TabOrder", -1}, Default{"DecimalPlaces", 2},
                             Default{"AutoSize", 1}}) {
        const TPropInfo* p = info.FindProp(d.name);
        ASSERT_NE(p, nullptr) << d.name;
        EXPECT_TRUE(p->HasDefault) << d.name;
        EXPECT_EQ(p->Default, d.value) << d.name;
    }
}

TEST_F(NumberEdit, AFormCarriesNoTextOrCaptionAndReadsWhatItWrites) {
    const std::string edit =
        "  object edtDays: TDBNumberEditEx\n"
        "    Left = 8\n    Top = 8\n    Width = 80\n    Height = 21\n"
        "    Alignment = taRightJustify\n    ImeName = '中文 (简体)'\n    ImeMode = imChinese\n"
        "    MaxValue = 10000.000000000000000000\n    MinValue = 1.000000000000000000\n"
        "    TabOrder = 0\n    Value = 7\n"
        "  end\n";
    auto* f = FormFromText<TForm>("object frmDays: TForm\n" + edit + "end\n", "days.form");
    auto* e = Part<TDBNumberEditEx>(f, "edtDays");
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->Text(), "7");
    EXPECT_EQ(e->ImeMode(), imChinese);
    const std::string text = WriteComponentText(f);
    for (const char* absent : {"Caption", "Text", "CharCase", "HideSelection", "MaxLength", "Align "})
        EXPECT_EQ(text.find(absent), std::string::npos) << absent << " in\n" << text;
    for (const char* present : {"Value = 7", "ImeName = '中文 (简体)'", "ImeMode = imChinese", "MinValue = 1.0"})
        EXPECT_NE(text.find(present), std::string::npos) << present << " not in\n" << text;
    // What it wrote reads back to the same text.
    f->Free();
    auto* g = FormFromText<TForm>(text, "again.form");
    EXPECT_EQ(WriteComponentText(g), text);
    // A property it does not publish is an error naming the file and line.
    for (const char* line : {"    Text = '7'\n", "    Caption = '7'\n", "    MaxLength = 4\n"}) {
        std::string bad = "object frmBad: TForm\n" + edit + "end\n";
        bad.insert(bad.find("    Value"), line);
        auto* h = Create<TForm>(Application);
        EXPECT_THROW(ReadComponentText(h, bad, "bad.form"), EFormError) << line;
        h->Free();
    }
}

TEST_F(NumberEdit, AnExplicitMaskAndReadOnlyAreStreamedOnce) {
    auto* f = FormFromText<TForm>(
        "object frmDays: TForm\n"
        "  Left = 0\n  Top = 0\n  Width = 300\n  Height = 200\n"
        "  object edtDays: TDBNumberEditEx\n"
        "    Left = 8\n    Top = 8\n    Width = 80\n    Height = 21\n"
        "    ReadOnly = True\n    EditMask = '9999;0;_'\n"
        "  end\n"
        "end\n",
        "mask.form");
    auto* e = Part<TDBNumberEditEx>(f, "edtDays");
    ASSERT_NE(e, nullptr);
    // Read through the defined property: flagged as set explicitly.
    EXPECT_TRUE(e->EditMaskStored());
    EXPECT_EQ(e->EditMask(), "9999;0;_");
    EXPECT_TRUE(e->ReadOnly());
    const std::string text = WriteComponentText(f);
    EXPECT_EQ(text.find("EditMask"), text.rfind("EditMask")) << text;
    EXPECT_NE(text.find("EditMask = '9999;0;_'"), std::string::npos) << text;
    EXPECT_NE(text.find("ReadOnly = True"), std::string::npos) << text;
    // The mask is no published property of the number edit; ReadOnly is the edit's own.
    EXPECT_EQ(TCustomDBEditEx::StaticClass().FindProp("EditMask"), nullptr);
    EXPECT_EQ(TDBNumberEditEx::StaticClass().FindProp("EditMask"), nullptr);
    EXPECT_NE(TMaskEdit::StaticClass().FindProp("EditMask"), nullptr);
    auto* plain = Put<TCustomDBEditEx>(20, 60, 80, 21);
    TDBNumberEditEx::StaticClass().FindProp("ReadOnly")->SetOrd(static_cast<void*>(static_cast<TObject*>(e)), 0);
    TCustomDBEditEx::StaticClass().FindProp("ReadOnly")->SetOrd(static_cast<void*>(static_cast<TObject*>(plain)), 1);
    EXPECT_FALSE(e->ReadOnly());
    EXPECT_TRUE(plain->ReadOnly());
}

}  // namespace
}  // namespace menvaro

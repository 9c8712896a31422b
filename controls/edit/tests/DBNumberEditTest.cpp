// The number edit: its text rules worked out by hand, and the edit typed
// into, stepped, committed and dropping down the calculator.
#include <gtest/gtest.h>

#include "classes/FormReader.h"
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
    double x = 0;
    Locale('.', ',');
    struct Case {
        const char* text;
        bool number;
        double x;
    };
    for (const Case& c : {Case{"12.5", true, 12.5}, Case{"-", true, 0}, Case{"+", true, 0}, Case{"5.", true, 5},
                          Case{".5", true, 0.5}, Case{"1E3", true, 1000}, Case{"1E", false, 0},
                          Case{"1E400", false, 0}, Case{"1a", false, 0}, Case{"1,2", false, 0},
                          Case{"--1", false, 0}}) {
        x = -99;
        EXPECT_EQ(IsNumberText(c.text, x), c.number) << c.text;
        if (c.number) {
            EXPECT_DOUBLE_EQ(x, c.x) << c.text;
        }
    }
    // A long text is checked whole, never cut.
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
    // A paste that is no number is undone.
    Focus(e);
    Press('A', {ssCtrl});
    Clipboard().SetAsText("abc");
    e->PasteFromClipboard();
    EXPECT_EQ(e->Value(), Variant(3.0));
    EXPECT_EQ(e->Text(), "3");
    Clipboard().SetAsText("12");
    Press('A', {ssCtrl});
    e->PasteFromClipboard();
    EXPECT_EQ(e->Value(), Variant(12.0));
    // "1E5" less its last digit: the error reaches the application, the
    // text stays and the value keeps its number.
    std::vector<std::string> errors;
    Application->OnException = [&](TObject*, const std::exception& ex) { errors.push_back(ex.what()); };
    // "E" cannot be typed after a digit ("1E" is no number), but pasted it comes.
    Clipboard().SetAsText("1E5");
    Press('A', {ssCtrl});
    e->PasteFromClipboard();
    EXPECT_EQ(e->Text(), "1E5");
    ASSERT_EQ(e->Value(), Variant(100000.0));
    Press(VK_END);
    Press(VK_BACK);
    EXPECT_EQ(e->Text(), "1E");
    EXPECT_EQ(e->Value(), Variant(100000.0));
    EXPECT_EQ(errors.size(), 1u);
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

}  // namespace
}  // namespace menvaro

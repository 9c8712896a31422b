#include <gtest/gtest.h>

#include "testsupport/ErrorMessage.h"
#include "testsupport/UiTest.h"
#include "ui/MaskEdit.h"

namespace menvaro {
namespace {

// ------------------------------------------------------------ the mask

struct MaskCase {
    const char* name;
    const char* mask;
    const char* empty;     // the edit text with nothing typed
    const char* editText;  // something typed
    const char* text;      // its Text
    const char* emptyText;
};

class MaskTexts : public ::testing::TestWithParam<MaskCase> {};

TEST_P(MaskTexts, ShowAndStoreTheTypedCharacters) {
    const MaskCase& c = GetParam();
    TEditMask mask(c.mask);
    EXPECT_EQ(mask.EmptyEditText(), c.empty);
    EXPECT_EQ(mask.TextFromEditText(c.editText), c.text);
    EXPECT_EQ(mask.EmptyText(), c.emptyText);
    // What is stored shows again as it was typed.
    EXPECT_EQ(mask.TextFromEditText(mask.EditTextFromText(c.text)), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Masks, MaskTexts,
    ::testing::Values(MaskCase{"SavedLiterals", "000-0000;1;_", "___-____", "123-4___", "123-4   ", "   -    "},
                      MaskCase{"LiteralsLeftOut", "000-0000;0;_", "___-____", "123-4___", "1234", ""},
                      MaskCase{"SaveByDefault", "(999)", "(___)", "(1__)", "(1  )", "(   )"},
                      MaskCase{"OwnBlank", "99:99;1;*", "**:**", "1*:3*", "1 :3 ", "  :  "},
                      MaskCase{"DateSeparator", "99/99/0000;0;_", "__-__-____", "1_-2_-2024", "1 2 2024", ""},
                      MaskCase{"Escapes", "\\0\\9-00;1;_", "09-__", "09-42", "09-42", "09-  "},
                      MaskCase{"MissingAtTheStartWithBang", "!999;0;_", "___", "__7", "7", ""},
                      MaskCase{"ChineseLiterals", "0000年00月;1;_", "____年__月", "2024年5_月", "2024年5 月",
                               "    年  月"},
                      MaskCase{"BlankInTheMaskIsASpace", "00_00;1;#", "## ##", "12 3#", "12 3 ", "     "}),
    [](const auto& info) { return info.param.name; });

TEST(Mask, CharactersAreCheckedByThePositionTheyGoTo) {
    TEditMask mask(">L<lAaCc09#");
    struct Case {
        int pos;
        const char* ch;
        const char* stored;  // nullptr: refused
    };
    for (Case c : {Case{0, "a", "A"},
                   {0, "1", nullptr},
                   {1, "B", "b"},
                   {2, "7", "7"},
                   {2, "-", nullptr},
                   {3, "X", "x"},
                   {4, "你", "你"},
                   {4, " ", " "},
                   {5, "!", "!"},
                   {6, "5", "5"},
                   {6, "a", nullptr},
                   {7, "0", "0"},
                   {8, "+", "+"},
                   {8, "-", "-"},
                   {8, "x", nullptr},
                   {1, " ", nullptr}}) {
        std::string stored;
        bool ok = mask.Accepts(c.pos, c.ch, stored);
        EXPECT_EQ(ok, c.stored != nullptr) << c.pos << " " << c.ch;
        if (ok) {
            EXPECT_EQ(stored, c.stored);
        }
    }
    EXPECT_EQ(mask.Size(), 9);
    EXPECT_TRUE(mask.IsRequired(0));
    EXPECT_FALSE(mask.IsRequired(1));
    EXPECT_TRUE(TEditMask("0-0").IsLiteral(1));
}

TEST(Mask, AnEntryIsCompleteWhenEveryRequiredPositionIsFilled) {
    TEditMask mask("00-99 C;1;_");
    int pos = -1;
    EXPECT_FALSE(mask.Validate("1_-__ _", pos));
    EXPECT_EQ(pos, 1);
    EXPECT_FALSE(mask.Validate("12-__ _", pos));
    EXPECT_EQ(pos, 6);
    EXPECT_TRUE(mask.Validate("12-__  ", pos));   // a space fills C
    EXPECT_FALSE(mask.Validate(" 2-__ x", pos));  // but not 0
    EXPECT_EQ(pos, 0);
    EXPECT_TRUE(mask.Validate("12-3_ x", pos));
}

TEST(Mask, StoredTextFillsTheRunsBetweenTheLiterals) {
    TEditMask saved("00-00;1;_");
    EXPECT_EQ(saved.EditTextFromText("12-34"), "12-34");
    EXPECT_EQ(saved.EditTextFromText("1-2"), "1_-2_");
    EXPECT_EQ(saved.EditTextFromText("1234"), "12-34");
    EXPECT_EQ(saved.EditTextFromText("123-4"), "12-4_");
    EXPECT_EQ(TEditMask("00-00;0;_").EditTextFromText("1234"), "12-34");
    EXPECT_EQ(FormatMaskText("000-0000;0", "5551234"), "555-1234");
    EXPECT_EQ(FormatMaskText("000-0000;0", "555"), "555-    ");
    EXPECT_EQ(FormatMaskText("000-0000;1", "555-1234"), "555-1234");
    EXPECT_EQ(FormatMaskText("", "abc"), "abc");
}

// ------------------------------------------- editing a buffer under a mask

struct BufferStep {
    enum Kind { Type, Back, Del, Left, Right, Home, End, Paste, SelectAll } kind;
    std::string text;
};
BufferStep T(std::string s) { return {BufferStep::Type, std::move(s)}; }

struct BufferCase {
    const char* name;
    const char* mask;
    std::vector<BufferStep> steps;
    const char* editText;
    int caret;  // characters
    int beeps;
};

class MaskEditing : public ::testing::TestWithParam<BufferCase> {};

TEST_P(MaskEditing, OverwritesStepsOverLiteralsAndRefusesWhatDoesNotFit) {
    const BufferCase& c = GetParam();
    TEditMask mask(c.mask);
    TEditBuffer b;
    b.SetText(mask.EmptyEditText());
    MaskCheckCaret(mask, b);
    int beeps = 0;
    for (const BufferStep& s : c.steps) {
        TEditResult r;
        switch (s.kind) {
            case BufferStep::Type:
                for (const std::string& ch : SplitChars(s.text)) beeps += MaskTypeChar(mask, b, ch).beep;
                continue;
            case BufferStep::Back: r = MaskBackspace(mask, b); break;
            case BufferStep::Del: r = MaskDelete(mask, b); break;
            case BufferStep::Left: r = MaskMoveLeft(mask, b); break;
            case BufferStep::Right: r = MaskMoveRight(mask, b); break;
            case BufferStep::Home: r = MaskMoveHome(mask, b); break;
            case BufferStep::End: r = MaskMoveEnd(mask, b); break;
            case BufferStep::Paste: r = MaskPaste(mask, b, s.text); break;
            case BufferStep::SelectAll: r = b.Select(0, -1); break;
        }
        beeps += r.beep;
    }
    EXPECT_EQ(b.Text(), c.editText);
    EXPECT_EQ(b.CharsBefore(b.CaretPos()), c.caret);
    EXPECT_EQ(beeps, c.beeps);
}

const BufferStep kBack{BufferStep::Back, {}}, kDel{BufferStep::Del, {}}, kLeft{BufferStep::Left, {}},
    kRight{BufferStep::Right, {}}, kHome{BufferStep::Home, {}}, kEnd{BufferStep::End, {}},
    kAll{BufferStep::SelectAll, {}};

INSTANTIATE_TEST_SUITE_P(
    Steps, MaskEditing,
    ::testing::Values(
        BufferCase{"DigitsFillAndStepOverTheLiterals", "(000)000-0000;1;_", {T("5551")}, "(555)1__-____", 6, 0},
        BufferCase{"ALetterIsRefused", "(000)000-0000;1;_", {T("5x5")}, "(55_)___-____", 3, 1},
        BufferCase{"TypingTheLiteralStepsOverIt", "00-00;1;_", {T("1-2")}, "1_-2_", 4, 0},
        BufferCase{"NothingPastTheEnd", "00;1;_", {T("123")}, "12", 2, 1},
        BufferCase{"BackspaceLeavesABlankBehind", "00-00;1;_", {T("123"), kBack}, "12-__", 3, 0},
        BufferCase{"BackspaceOverALiteral", "00-00;1;_", {T("123"), kBack, kBack}, "1_-__", 1, 0},
        BufferCase{"DeleteKeepsTheOthersInPlace", "00-00;1;_", {T("1234"), kHome, kDel}, "_2-34", 0, 0},
        BufferCase{"ArrowsSkipLiterals", "00-00;1;_", {T("12"), kLeft, kRight, kRight}, "12-__", 4, 0},
        BufferCase{"HomeIsTheFirstInput", "(00)", {kEnd, kHome}, "(__)", 1, 0},
        BufferCase{"TypingOverASelectionClearsIt", "00-00;1;_", {T("1234"), kAll, T("7")}, "7_-__", 1, 0},
        BufferCase{
            "PasteTypesWhatFits", "(000)000-0000;1;_", {{BufferStep::Paste, "555-123-4567"}}, "(555)123-4567", 13, 1},
        BufferCase{"CaseDirectives", ">LL<LL;1;_", {T("aBcD")}, "ABcd", 4, 0}),
    [](const auto& info) { return info.param.name; });

// ------------------------------------------------------ the masked edit

class MaskEditTest : public ControlTest {
protected:
    TMaskEdit* MakeEdit(const std::string& mask) {
        auto* e = Put<TMaskEdit>(10, 10, 150, 21);
        e->SetEditMask(mask);
        other = Put<TEdit>(10, 50, 150, 21);
        e->SetFocus();
        Pump();
        return e;
    }
    TEdit* other = nullptr;
};

TEST_F(MaskEditTest, TypedCharactersAreAcceptedOrRefusedWithABeep) {
    TMaskEdit* e = MakeEdit("000-0000;0;_");
    EXPECT_EQ(e->EditText(), "___-____");
    int beeps = BeepCount();
    Type("12a3.4");
    EXPECT_EQ(e->EditText(), "123-4___");
    EXPECT_EQ(BeepCount() - beeps, 2);
    EXPECT_EQ(e->Text(), "1234");
    EXPECT_TRUE(e->Modified());
    Press(VK_BACK);
    EXPECT_EQ(e->EditText(), "123-____");
    Press(VK_LEFT);
    Press(VK_DELETE);
    EXPECT_EQ(e->EditText(), "12_-____");
    Type("9");
    EXPECT_EQ(e->EditText(), "129-____");
    EXPECT_EQ(e->CaretPos(), 4);
    // The window shows the edit text; Text is the mask's.
    EXPECT_EQ(static_cast<TControl*>(e)->Text(), "129-____");
}

TEST_F(MaskEditTest, TextIsStoredWithOrWithoutTheLiterals) {
    TMaskEdit* e = MakeEdit("00-00;1;_");
    e->SetText("12-34");
    EXPECT_EQ(e->EditText(), "12-34");
    EXPECT_EQ(e->Text(), "12-34");
    e->SetEditMask("00-00;0;_");
    EXPECT_EQ(e->EditText(), "12-34");
    EXPECT_EQ(e->Text(), "1234");
    e->SetText("56");
    EXPECT_EQ(e->EditText(), "56-__");
    EXPECT_EQ(e->Text(), "56");
    EXPECT_EQ(e->EmptyText(), "");
    e->SetEditMask("");
    EXPECT_EQ(e->Text(), "56");
    EXPECT_FALSE(e->IsMasked());
}

TEST_F(MaskEditTest, AnIncompleteEntryIsRefusedAndTheFocusComesBack) {
    TMaskEdit* e = MakeEdit("00-00;1;_");
    EXPECT_NO_THROW(e->ValidateEdit());  // not modified
    Type("12");
    EXPECT_EQ(test::ErrorMessage<EDBEditError>([&] { e->ValidateEdit(); }),
              "Invalid input value.  Use escape key to abandon changes");
    std::string error;
    Application->OnException = [&](TObject*, const std::exception& ex) { error = ex.what(); };
    other->SetFocus();
    Pump();
    EXPECT_EQ(error, "Invalid input value.  Use escape key to abandon changes");
    EXPECT_TRUE(e->Focused());
    EXPECT_EQ(e->CaretPos(), 3);  // where the first missing digit goes
    Type("34");
    error.clear();
    other->SetFocus();
    Pump();
    EXPECT_EQ(error, "");
    EXPECT_TRUE(other->Focused());
}

TEST_F(MaskEditTest, EscTakesBackTheChangesAndPasteTypesTheClipboard) {
    TMaskEdit* e = Put<TMaskEdit>(10, 10, 150, 21);
    e->SetEditMask("(000)000;1;_");
    e->SetText("(555)123");
    e->SetFocus();
    Pump();
    e->SetSelStart(1);
    Type("9");
    EXPECT_EQ(e->EditText(), "(955)123");
    EXPECT_TRUE(e->Perform(CM_WANTSPECIALKEY, VK_ESCAPE, 0));
    Press(VK_ESCAPE);
    EXPECT_EQ(e->EditText(), "(555)123");
    EXPECT_FALSE(e->Modified());
    e->SelectAll();
    SetClipboardText("4x56789");
    Press('V', {ssCtrl});
    EXPECT_EQ(e->EditText(), "(456)789");
}

TEST_F(MaskEditTest, AFormFileMayGiveTheTextBeforeOrAfterTheMask) {
    for (const char* body :
         {"    EditMask = '00-00;1;_'\n    Text = '12-3 '\n", "    Text = '12-3 '\n    EditMask = '00-00;1;_'\n"}) {
        auto* f = FormFromText(std::string("object F: TForm\n  object me: TMaskEdit\n") + body + "  end\nend",
                               "m.form");
        auto* me = Part<TMaskEdit>(f, "me");
        ASSERT_NE(me, nullptr);
        EXPECT_EQ(me->EditText(), "12-3_") << body;
        EXPECT_EQ(me->Text(), "12-3 ");
        f->Free();
    }
}

}  // namespace
}  // namespace menvaro

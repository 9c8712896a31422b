#include <gtest/gtest.h>

#include <limits>

#include "testsupport/UiTest.h"
#include "ui/StdCtrls.h"

namespace menvaro {
namespace {

// One user action on a focused edit.
struct Step {
    enum Kind { Type, Key, Paste } kind;
    std::string text;
    int vk = 0;
    TShiftState shift;
};
Step T(std::string s) { return {Step::Type, std::move(s), 0, {}}; }
Step K(int vk, TShiftState shift = {}) { return {Step::Key, {}, vk, shift}; }
// Puts text on the clipboard and presses Ctrl+V.
Step P(std::string s) { return {Step::Paste, std::move(s), 0, {}}; }
Step Ctrl(char letter) { return K(letter, {ssCtrl}); }
Step Shift(int vk) { return K(vk, {ssShift}); }

struct EditCase {
    const char* name;
    std::string initial;
    int maxLength;
    bool readOnly;
    TEditCharCase charCase;
    std::vector<Step> steps;
    std::string text;
    int selStart;
    int selLength;
    int beeps;  // -1: not checked
};

const std::string kNi = "你", kHao = "好", kMen = "们";

class EditSequences : public ControlTest, public ::testing::WithParamInterface<EditCase> {};

TEST_P(EditSequences, GiveTheTextAndSelectionAUserExpects) {
    const EditCase& c = GetParam();
    auto* e = Put<TEdit>(10, 10, 200, 21);
    e->SetText(c.initial);
    e->SetMaxLength(c.maxLength);
    e->SetReadOnly(c.readOnly);
    e->SetCharCase(c.charCase);
    e->SetFocus();
    Pump();
    e->SetSelStart(static_cast<int>(e->Text().size()));
    int beeps = BeepCount();
    for (const Step& s : c.steps) {
        switch (s.kind) {
            case Step::Type: Type(s.text); break;
            case Step::Key: Press(s.vk, s.shift); break;
            case Step::Paste:
                SetClipboardText(s.text);
                Press('V', {ssCtrl});
                break;
        }
    }
    EXPECT_EQ(e->Text(), c.text);
    EXPECT_EQ(e->SelStart(), c.selStart);
    EXPECT_EQ(e->SelLength(), c.selLength);
    if (c.beeps >= 0) {
        EXPECT_EQ(BeepCount() - beeps, c.beeps);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, EditSequences,
    ::testing::Values(
        EditCase{"Typing", "", 0, false, ecNormal, {T("abc")}, "abc", 3, 0, 0},
        EditCase{"ShiftArrowsSelectAndTypingReplaces",
                 "",
                 0,
                 false,
                 ecNormal,
                 {T("hello"), Shift(VK_LEFT), Shift(VK_LEFT), T("p")},
                 "help",
                 4,
                 0,
                 0},
        EditCase{"HomeThenTypeInFront",
                 "",
                 0,
                 false,
                 ecNormal,
                 {T("world"), K(VK_HOME), T("hello ")},
                 "hello world",
                 6,
                 0,
                 0},
        EditCase{"ShiftEndSelectsToTheEnd",
                 "abcdef",
                 0,
                 false,
                 ecNormal,
                 {K(VK_HOME), K(VK_RIGHT), Shift(VK_END)},
                 "abcdef",
                 1,
                 5,
                 0},
        EditCase{"BackspaceAndDelete",
                 "",
                 0,
                 false,
                 ecNormal,
                 {T("abcd"), K(VK_LEFT), K(VK_LEFT), K(VK_BACK), K(VK_DELETE)},
                 "ad",
                 1,
                 0,
                 0},
        EditCase{"DeleteTheSelection",
                 "abcdef",
                 0,
                 false,
                 ecNormal,
                 {Shift(VK_LEFT), Shift(VK_LEFT), K(VK_DELETE)},
                 "abcd",
                 4,
                 0,
                 0},
        EditCase{
            "CtrlASelectsAllAndTypingReplacesIt", "", 0, false, ecNormal, {T("abc"), Ctrl('A'), T("x")}, "x", 1, 0, 0},
        EditCase{"LeftCollapsesASelectionToItsStart",
                 "abc",
                 0,
                 false,
                 ecNormal,
                 {Ctrl('A'), K(VK_LEFT), T("x")},
                 "xabc",
                 1,
                 0,
                 0},
        EditCase{"CtrlArrowsJumpWords",
                 "foo bar baz",
                 0,
                 false,
                 ecNormal,
                 {K(VK_LEFT, {ssCtrl}), K(VK_LEFT, {ssCtrl}), T("x")},
                 "foo xbar baz",
                 5,
                 0,
                 0},
        EditCase{"PasteOverASelection",
                 "one two",
                 0,
                 false,
                 ecNormal,
                 {Shift(VK_LEFT), Shift(VK_LEFT), Shift(VK_LEFT), P("three")},
                 "one three",
                 9,
                 0,
                 0},
        EditCase{"PasteKeepsTheFirstLineOnly", "", 0, false, ecNormal, {P("ab\r\ncd")}, "ab", 2, 0, 0},
        EditCase{"ShiftInsertPastesShiftDeleteCuts",
                 "abc",
                 0,
                 false,
                 ecNormal,
                 {Shift(VK_HOME), Shift(VK_DELETE), K(VK_INSERT, {ssShift}), K(VK_INSERT, {ssShift})},
                 "abcabc",
                 6,
                 0,
                 0},
        EditCase{"CutThenPaste",
                 "abcdef",
                 0,
                 false,
                 ecNormal,
                 {Shift(VK_LEFT), Shift(VK_LEFT), Ctrl('X'), K(VK_HOME), Ctrl('V')},
                 "efabcd",
                 2,
                 0,
                 0},
        EditCase{"UndoTakesBackTheTypedRun", "", 0, false, ecNormal, {T("abc"), Ctrl('Z')}, "", 0, 0, 0},
        EditCase{"UndoTwiceBringsItBack", "", 0, false, ecNormal, {T("abc"), Ctrl('Z'), Ctrl('Z')}, "abc", 3, 0, 0},
        EditCase{"UndoAfterMovingTakesOnlyTheLastRun",
                 "",
                 0,
                 false,
                 ecNormal,
                 {T("ab"), K(VK_HOME), T("x"), Ctrl('Z')},
                 "ab",
                 0,
                 0,
                 0},
        EditCase{"UndoAPasteRestoresTheSelection",
                 "one two",
                 0,
                 false,
                 ecNormal,
                 {Shift(VK_LEFT), Shift(VK_LEFT), Shift(VK_LEFT), P("X"), Ctrl('Z')},
                 "one two",
                 4,
                 3,
                 0},
        EditCase{"ReadOnlyRefusesEveryChange",
                 "abc",
                 0,
                 true,
                 ecNormal,
                 {T("x"), K(VK_BACK), K(VK_DELETE), P("y"), Ctrl('A'), Ctrl('X'), Ctrl('Z')},
                 "abc",
                 0,
                 3,
                 5},
        EditCase{
            "ReadOnlyStillMovesAndSelects", "abc", 0, true, ecNormal, {K(VK_HOME), Shift(VK_RIGHT)}, "abc", 0, 1, 0},
        EditCase{"MaxLengthStopsTyping", "", 5, false, ecNormal, {T("abcdefg")}, "abcde", 5, 0, 2},
        EditCase{"MaxLengthCutsAPaste", "ab", 4, false, ecNormal, {P("xyz")}, "abxy", 4, 0, 1},
        EditCase{"MaxLengthNeverSplitsACharacter", "", 7, false, ecNormal, {T("中文字")}, "中文", 6, 0, 1},
        EditCase{"ReplacingASelectionMakesRoom",
                 "abcde",
                 5,
                 false,
                 ecNormal,
                 {Shift(VK_LEFT), Shift(VK_LEFT), T("xy")},
                 "abcxy",
                 5,
                 0,
                 0},
        EditCase{"ChineseThroughTheTextInput",
                 "",
                 0,
                 false,
                 ecNormal,
                 {T(kNi + kHao), K(VK_LEFT), T(kMen)},
                 kNi + kMen + kHao,
                 6,
                 0,
                 0},
        EditCase{
            "ArrowsStepOverWholeCharacters", "a中b", 0, false, ecNormal, {K(VK_LEFT), Shift(VK_LEFT)}, "a中b", 1, 3, 0},
        EditCase{"BackspaceTakesAWholeCharacter", "a中", 0, false, ecNormal, {K(VK_BACK)}, "a", 1, 0, 0},
        EditCase{"UpperCase", "", 0, false, ecUpperCase, {T("abC1"), P("xy")}, "ABC1XY", 6, 0, 0},
        EditCase{"LowerCase", "", 0, false, ecLowerCase, {T("AbC")}, "abc", 3, 0, 0}),
    [](const ::testing::TestParamInfo<EditCase>& info) { return std::string(info.param.name); });

class Edit : public ControlTest {
protected:
    TEdit* MakeFocused(const std::string& text = {}) {
        auto* e = Put<TEdit>(10, 10, 200, 21);
        e->SetText(text);
        e->SetFocus();
        Pump();
        return e;
    }
};

TEST_F(Edit, ChangesAreToldOnceEachAndOnlyWhenTheTextChanges) {
    auto* e = MakeFocused();
    int changes = 0;
    e->OnChange = [&](TObject*) { ++changes; };
    Type("ab");
    EXPECT_EQ(changes, 2);
    e->SetText("ab");
    EXPECT_EQ(changes, 2);
    EXPECT_TRUE(e->Modified());
    e->SetText("xyz");
    EXPECT_EQ(changes, 3);
    // Text set by the program is not the user's change, nor can it be undone.
    EXPECT_FALSE(e->Modified());
    EXPECT_FALSE(e->CanUndo());
    Press(VK_LEFT);
    EXPECT_EQ(changes, 3);
}

TEST_F(Edit, PasswordTextIsNeitherShownNorCopied) {
    auto* e = MakeFocused();
    e->SetPasswordChar('*');
    Type("secret");
    EXPECT_EQ(e->Text(), "secret");
    SetClipboardText("old");
    Press('A', {ssCtrl});
    Press('C', {ssCtrl});
    Press('X', {ssCtrl});
    EXPECT_EQ(GetClipboardText(), "old");
    EXPECT_EQ(e->Text(), "secret");
}

TEST_F(Edit, PropertiesSetBeforeTheWindowExistsHold) {
    auto* e = Create<TEdit>(form);
    e->SetMaxLength(3);
    e->SetPasswordChar('*');
    e->SetText("ab");
    e->SelectAll();
    EXPECT_EQ(e->SelLength(), 2);
    EXPECT_FALSE(e->HandleAllocated());
    e->SetParent(form);
    e->SetFocus();
    Pump();
    Press(VK_END);
    Type("cde");
    EXPECT_EQ(e->Text(), "abc");
    EXPECT_EQ(e->Perform(EM_GETPASSWORDCHAR), '*');
    auto* r = Create<TEdit>(form);
    r->SetReadOnly(true);
    r->SetParent(form);
    r->SetFocus();
    Pump();
    Type("x");
    EXPECT_EQ(r->Text(), "");
}

TEST_F(Edit, CopyPutsTheSelectionOnTheClipboard) {
    auto* e = MakeFocused("copy this");
    e->Select(5, 4);
    Press('C', {ssCtrl});
    EXPECT_EQ(GetClipboardText(), "this");
    Press(VK_INSERT, {ssCtrl});
    EXPECT_EQ(GetClipboardText(), "this");
}

TEST_F(Edit, KeyboardFocusSelectsAllButAClickPlacesTheCaret) {
    auto* first = Put<TEdit>(10, 10, 100, 21);
    auto* second = Put<TEdit>(10, 40, 100, 21);
    first->SetText("one");
    second->SetText("two");
    first->SetFocus();
    Pump();
    Press(VK_TAB);
    EXPECT_TRUE(second->Focused());
    EXPECT_EQ(second->SelLength(), 3);
    Click(first, 1, first->ClientHeight() / 2);
    EXPECT_TRUE(first->Focused());
    EXPECT_EQ(first->SelLength(), 0);
    EXPECT_EQ(first->SelStart(), 0);
}

TEST_F(Edit, MouseSelectsByDragShiftClickAndDoubleClick) {
    auto* e = MakeFocused("alpha beta gamma");
    const int y = e->ClientHeight() / 2;
    const int left = e->EditRect().Left;
    TCanvas measure;
    measure.Font().Assign(*e->Font());
    auto xOf = [&](int bytes) { return left + measure.TextWidth(e->Text().substr(0, std::size_t(bytes))); };
    // Press at the start of "beta", drag to its end.
    synthetic::MouseMove(ScreenAt(e, xOf(6), y));
    synthetic::MouseDown();
    Pump();
    synthetic::MouseMove(ScreenAt(e, xOf(10), y));
    Pump();
    synthetic::MouseUp();
    Pump();
    EXPECT_EQ(e->SelStart(), 6);
    EXPECT_EQ(e->SelLength(), 4);
    EXPECT_EQ(e->SelText(), "beta");
    // Shift+click extends from the anchor.
    synthetic::KeyDown(VK_SHIFT);
    Click(e, xOf(16), y);
    synthetic::KeyUp(VK_SHIFT);
    Pump();
    EXPECT_EQ(e->SelText(), "beta gamma");
    // A double click takes the word under the mouse.
    synthetic::Click(ScreenAt(e, xOf(2), y));
    synthetic::Click(ScreenAt(e, xOf(2), y));
    Pump();
    EXPECT_EQ(e->SelText(), "alpha");
    // A click nearer to the right side of a character lands after it.
    int w = measure.TextWidth("a");
    Click(e, xOf(0) + w - 1, y);
    EXPECT_EQ(e->SelStart(), 1);
    EXPECT_EQ(e->SelLength(), 0);
}

TEST_F(Edit, LongTextScrollsToKeepTheCaretInView) {
    auto* e = Put<TEdit>(10, 10, 60, 21);
    e->SetFocus();
    Pump();
    Type("the quick brown fox jumps");
    EXPECT_GT(e->ScrollOffset(), 0);
    TCanvas measure;
    measure.Font().Assign(*e->Font());
    TRect r = e->EditRect();
    int caretX = r.Left + measure.TextWidth(e->Text()) - e->ScrollOffset();
    EXPECT_GE(caretX, r.Left);
    EXPECT_LT(caretX, r.Right);
    Press(VK_HOME);
    EXPECT_EQ(e->ScrollOffset(), 0);
    Press(VK_END);
    EXPECT_GT(e->ScrollOffset(), 0);
    // Short text needs no scrolling.
    e->SetText("ab");
    EXPECT_EQ(e->ScrollOffset(), 0);
}

TEST_F(Edit, PaintsTheCaretTheSelectionAndTheBorder) {
    auto* e = MakeFocused();
    e->SetColor(clWhite);
    const int mid = e->ClientHeight() / 2;
    TRect r = e->EditRect();
    EXPECT_EQ(At(e, r.Left, mid), clBlack);  // the caret at the start
    EXPECT_EQ(At(e, r.Left + 3, mid), clWhite);
    // A sunken 3-D border: dark grey top-left outside the client area.
    EXPECT_EQ(At(e, -2, 5), Rgb(clBtnShadow));
    Type("MMMM");
    Press(VK_HOME);
    Press(VK_RIGHT, {ssShift});
    Press(VK_RIGHT, {ssShift});
    TCanvas measure;
    measure.Font().Assign(*e->Font());
    int selEnd = r.Left + measure.TextWidth("MM");
    // The selection shows highlighted: somewhere in it the highlight
    // colour, the selected text in the highlight-text colour.
    bool highlight = false;
    for (int x = r.Left; x < selEnd; ++x) highlight = highlight || At(e, x, mid - 4) == Rgb(clHighlight);
    EXPECT_TRUE(highlight);
    EXPECT_NE(At(e, selEnd + 1, mid - 4), Rgb(clHighlight));
    // Unfocused, the selection is hidden.
    auto* other = Put<TEdit>(10, 60, 100, 21);
    other->SetFocus();
    Pump();
    bool shown = false;
    for (int x = r.Left; x < selEnd; ++x) shown = shown || At(e, x, mid - 4) == Rgb(clHighlight);
    EXPECT_FALSE(shown);
}

TEST_F(Edit, AutoSizeFitsTheHeightToTheFont) {
    auto* e = Put<TEdit>(10, 10, 100, 40);
    TCanvas measure;
    measure.Font().Assign(*e->Font());
    EXPECT_EQ(e->Height(), measure.TextMetrics().Height + 8);
    e->Font()->SetHeight(-20);
    measure.Font().Assign(*e->Font());
    EXPECT_EQ(e->Height(), measure.TextMetrics().Height + 8);
    e->SetAutoSize(false);
    e->SetHeight(40);
    EXPECT_EQ(e->Height(), 40);
}

TEST_F(Edit, EditMessagesReachTheWindowState) {
    auto* e = MakeFocused("0123456789");
    e->Perform(EM_SETSEL, 2, 5);
    int a = -1, b = -1;
    e->Perform(EM_GETSEL, reinterpret_cast<WPARAM>(&a), reinterpret_cast<LPARAM>(&b));
    EXPECT_EQ(a, 2);
    EXPECT_EQ(b, 5);
    e->Perform(EM_REPLACESEL, 1, reinterpret_cast<LPARAM>("ab"));
    EXPECT_EQ(e->Text(), "01ab56789");
    EXPECT_TRUE(e->Perform(EM_CANUNDO) != 0);
    // The window's read-only state can differ from the property.
    e->Perform(EM_SETREADONLY, 1);
    EXPECT_FALSE(e->ReadOnly());
    Type("x");
    EXPECT_EQ(e->Text(), "01ab56789");
    e->Perform(EM_SETREADONLY, 0);
    // A narrower formatting rectangle is where the text goes.
    TRect narrow{10, 0, 50, e->ClientHeight()};
    e->Perform(EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&narrow));
    TRect got;
    e->Perform(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&got));
    EXPECT_EQ(got, narrow);
    EXPECT_EQ(e->Perform(EM_GETMARGINS), static_cast<LRESULT>(MakeWParam(1, 1)));
    // Typing tells the control by the reflected change notification.
    int notified = 0;
    e->WindowProc = [e, &notified](TMessage& m) {
        if (m.Msg == CN_COMMAND && HiWord(m.WParam) == EN_CHANGE) ++notified;
        e->WndProc(m);
    };
    Type("z");
    EXPECT_EQ(notified, 1);
    e->WindowProc = [e](TMessage& m) { e->WndProc(m); };
}

TEST_F(Edit, EnterAndEscapeGoOnToTheForm) {
    auto* e = MakeFocused("abc");
    auto* ok = Put<TButton>(10, 60, 75, 25);
    ok->SetDefault(true);
    int clicks = 0;
    ok->OnClick = [&](TObject*) { ++clicks; };
    Press(VK_RETURN);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(e->Text(), "abc");
}

TEST_F(Edit, ASelectionAsLongAsThereIsRunsToTheEnd) {
    auto* e = Put<TEdit>(10, 10, 200, 24);
    e->SetText("abcdef");
    e->SetSelStart(2);
    e->SetSelLength(std::numeric_limits<int>::max());
    EXPECT_EQ(e->SelText(), "cdef");
    e->Select(3, std::numeric_limits<int>::max());
    EXPECT_EQ(e->SelText(), "def");
}

}  // namespace
}  // namespace menvaro

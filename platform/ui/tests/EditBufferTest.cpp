// The edit buffer alone: no window, no clipboard of the system.
#include "ui/EditBuffer.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <vector>

namespace menvaro {
namespace {

struct TestClipboard final : TEditClipboard {
    std::string text = "old";
    std::string Text() override { return text; }
    void SetText(const std::string& t) override { text = t; }
};

// One operation; it answers how many times it beeped.
using Op = std::function<int(TEditBuffer&, TestClipboard&)>;

Op Wrap(std::function<TEditResult(TEditBuffer&)> f) {
    return [f](TEditBuffer& b, TestClipboard&) { return f(b).beep ? 1 : 0; };
}
// Typed text, one byte at a time as it arrives.
Op Type(std::string s) {
    return [s](TEditBuffer& b, TestClipboard&) {
        int beeps = 0;
        for (char ch : s) beeps += b.TypeByte(static_cast<unsigned char>(ch)).beep ? 1 : 0;
        return beeps;
    };
}
Op Left(bool extend = false) {
    return Wrap([=](TEditBuffer& b) { return b.MoveLeft(false, extend); });
}
Op Right(bool extend = false) {
    return Wrap([=](TEditBuffer& b) { return b.MoveRight(false, extend); });
}
Op WordLeft(bool extend = false) {
    return Wrap([=](TEditBuffer& b) { return b.MoveLeft(true, extend); });
}
Op WordRight(bool extend = false) {
    return Wrap([=](TEditBuffer& b) { return b.MoveRight(true, extend); });
}
Op Home(bool extend = false) {
    return Wrap([=](TEditBuffer& b) { return b.MoveHome(extend); });
}
const bool kShift = true;
Op Back() {
    return Wrap([](TEditBuffer& b) { return b.Backspace(); });
}
Op Del() {
    return Wrap([](TEditBuffer& b) { return b.Delete(); });
}
Op Clear() {
    return Wrap([](TEditBuffer& b) { return b.ClearSelection(); });
}
Op Sel(std::int64_t start, std::int64_t end) {
    return Wrap([=](TEditBuffer& b) { return b.Select(start, end); });
}
Op WordAt(int pos) {
    return Wrap([=](TEditBuffer& b) { return b.SelectWordAt(pos); });
}
Op ReplaceSel(std::string s) {
    return Wrap([=](TEditBuffer& b) { return b.ReplaceSelection(s); });
}
Op Undo() {
    return [](TEditBuffer& b, TestClipboard&) {
        b.Undo();
        return 0;
    };
}
Op SetReadOnly(bool v) {
    return [v](TEditBuffer& b, TestClipboard&) {
        b.SetReadOnly(v);
        return 0;
    };
}
Op Copy() {
    return [](TEditBuffer& b, TestClipboard& c) {
        b.Copy(c);
        return 0;
    };
}
Op Cut() {
    return [](TEditBuffer& b, TestClipboard& c) { return b.Cut(c).beep ? 1 : 0; };
}
Op Paste() {
    return [](TEditBuffer& b, TestClipboard& c) { return b.Paste(c).beep ? 1 : 0; };
}
// Puts `s` on the clipboard and pastes it.
Op Paste(std::string s) {
    return [s](TEditBuffer& b, TestClipboard& c) {
        c.text = s;
        return b.Paste(c).beep ? 1 : 0;
    };
}

Op MaxLength(int n) {
    return [n](TEditBuffer& b, TestClipboard&) {
        b.SetMaxLength(n);
        return 0;
    };
}
Op Password(char c) {
    return [c](TEditBuffer& b, TestClipboard&) {
        b.SetPasswordChar(c);
        return 0;
    };
}
Op CharCase(TEditCharCase c) {
    return [c](TEditBuffer& b, TestClipboard&) {
        b.SetCharCase(c);
        return 0;
    };
}

struct BufferCase {
    const char* name = "";
    std::string initial{};  // the caret starts at its end
    std::vector<Op> ops{};
    std::string text{};
    int caret = 0;
    int selStart = 0;
    int selLength = 0;
    int beeps = 0;
    std::optional<std::string> clipboard{};  // checked when given
};

class EditBufferSequences : public ::testing::TestWithParam<BufferCase> {};

TEST_P(EditBufferSequences, GiveTheTextCaretAndSelection) {
    const BufferCase& c = GetParam();
    TEditBuffer b;
    b.SetText(c.initial);
    b.MoveEnd(false);
    TestClipboard clip;
    int beeps = 0;
    for (const Op& op : c.ops) beeps += op(b, clip);
    EXPECT_EQ(b.Text(), c.text);
    EXPECT_EQ(b.CaretPos(), c.caret);
    EXPECT_EQ(b.SelStart(), c.selStart);
    EXPECT_EQ(b.SelLength(), c.selLength);
    EXPECT_EQ(beeps, c.beeps);
    if (c.clipboard) {
        EXPECT_EQ(clip.text, *c.clipboard);
    }
}

std::string CaseName(const ::testing::TestParamInfo<BufferCase>& info) { return info.param.name; }

// 中 文 字 你 好 们 are three bytes each, 😀 four, é two.
const std::string kFFFD = "\xEF\xBF\xBD";

// Each case: name, initial text, operations; then the text, the caret, the
// selection's start and length, the beeps and (when given) the clipboard.
// clang-format off
INSTANTIATE_TEST_SUITE_P(Moves, EditBufferSequences, ::testing::Values(
    BufferCase{"ArrowsStepOverWholeCharacters", "a中b", {Left(), Left(kShift)}, "a中b", 1, 1, 3},
    BufferCase{"RightStepsOverAFourByteCharacter", "😀x", {Home(), Right(), Right(kShift)}, "😀x", 5, 4, 1},
    BufferCase{"LeftCollapsesASelectionToItsStart", "中文", {Sel(0, -1), Left()}, "中文", 0, 0, 0},
    BufferCase{"RightCollapsesASelectionToItsEnd", "中文", {Home(), Right(kShift), Right()}, "中文", 3, 3, 0},
    BufferCase{"ShiftMovesGrowFromTheAnchor", "abcd", {Left(), Left(kShift), Left(kShift), Right(kShift)},
               "abcd", 2, 2, 1},
    BufferCase{"WordMovesCountChineseAsWordCharacters", "ab 中文, cd", {WordLeft(), WordLeft(), WordRight(kShift)},
               "ab 中文, cd", 11, 3, 8},
    BufferCase{"SelectedPositionsFallOnCharacterBoundaries", "a中b", {Sel(2, 4)}, "a中b", 4, 1, 3},
    BufferCase{"ANegativeStartDropsTheSelectionAndKeepsTheCaret", "abcdef", {Sel(1, 3), Sel(-1, 0)},
               "abcdef", 3, 3, 0},
    BufferCase{"AnEndPastTheTextRunsToTheEnd", "abc", {Sel(1, 99)}, "abc", 3, 1, 2},
    BufferCase{"ABackwardSelectionHasTheCaretAtItsStart", "abc", {Sel(5, 1)}, "abc", 1, 1, 2},
    BufferCase{"DoubleClickTakesTheWord", "foo 中文 bar", {WordAt(4)}, "foo 中文 bar", 10, 4, 6},
    BufferCase{"DoubleClickOffAWordOnlyPlacesTheCaret", "foo bar", {WordAt(3)}, "foo bar", 3, 3, 0}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(Deletes, EditBufferSequences, ::testing::Values(
    BufferCase{"BackspaceTakesAWholeCharacter", "a中", {Back()}, "a", 1, 1, 0},
    BufferCase{"BackspaceTakesAFourByteCharacter", "x😀", {Back()}, "x", 1, 1, 0},
    BufferCase{"DeleteTakesTheWholeCharacterAhead", "中文", {Home(), Del()}, "文", 0, 0, 0},
    BufferCase{"NothingToDeleteAtEitherEnd", "ab", {Del(), Home(), Back()}, "ab", 0, 0, 0},
    BufferCase{"DeleteTakesTheSelection", "a中文b", {Left(), Left(kShift), Del()}, "a中b", 4, 4, 0},
    BufferCase{"BackspaceTakesTheSelection", "a中文b", {Home(), Right(), Right(kShift), Back()}, "a文b", 1, 1, 0},
    BufferCase{"ClearTakesOnlyASelection", "abc", {Clear(), Left(kShift), Clear()}, "ab", 2, 2, 0}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(Undo, EditBufferSequences, ::testing::Values(
    BufferCase{"UndoTakesBackTheTypedRun", "", {Type("abc"), Undo()}, "", 0, 0, 0},
    BufferCase{"UndoTakesBackTypedChinese", "x", {Type("你好"), Undo()}, "x", 1, 1, 0},
    BufferCase{"UndoTwiceBringsItBack", "", {Type("abc"), Undo(), Undo()}, "abc", 3, 3, 0},
    BufferCase{"UndoAfterMovingTakesOnlyTheLastRun", "", {Type("ab"), Home(), Type("x"), Undo()}, "ab", 0, 0, 0},
    BufferCase{"ABackspaceRunIsOneStep", "abcd", {Back(), Back(), Undo()}, "abcd", 4, 4, 0},
    BufferCase{"TypingAfterBackspacesIsAStepOfItsOwn", "abcd", {Back(), Back(), Type("x"), Undo()}, "ab", 2, 2, 0},
    BufferCase{"UndoAPasteRestoresTheSelection", "one two",
               {Left(kShift), Left(kShift), Left(kShift), Paste("X"), Undo()}, "one two", 4, 4, 3},
    BufferCase{"TheProgramsReplacementCanBeUndone", "0123", {Sel(1, 3), ReplaceSel("ab"), Undo()}, "0123", 3, 1, 2},
    BufferCase{"ReadOnlyRefusesUndoWithoutABeep", "", {Type("ab"), SetReadOnly(true), Undo()}, "ab", 2, 2, 0}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(MaxLength, EditBufferSequences, ::testing::Values(
    BufferCase{"StopsTyping", "", {MaxLength(5), Type("abcdefg")}, "abcde", 5, 5, 0, 2},
    BufferCase{"NeverSplitsATypedCharacter", "", {MaxLength(7), Type("中文字")}, "中文", 6, 6, 0, 1},
    BufferCase{"CutsAPasteAtAWholeCharacter", "a", {MaxLength(6), Paste("中文字")}, "a中", 4, 4, 0, 1},
    BufferCase{"APasteWithNoRoomPutsNothing", "abcd", {MaxLength(4), Home(), Paste("é")}, "abcd", 0, 0, 0, 1},
    BufferCase{"ReplacingASelectionMakesRoom", "ab中", {MaxLength(5), Left(kShift), Type("xyz")}, "abxyz", 5, 5, 0},
    BufferCase{"TheProgramsTextIsNotLimited", "abc", {MaxLength(2), ReplaceSel("中")}, "abc中", 6, 6, 0}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(Clipboard, EditBufferSequences, ::testing::Values(
    BufferCase{"CopyPutsTheSelection", "a中b", {Left(), Left(kShift), Copy()}, "a中b", 1, 1, 3, 0, "中"},
    BufferCase{"NoSelectionNeitherCopiesNorCuts", "abc", {Copy(), Cut()}, "abc", 3, 3, 0, 0, "old"},
    BufferCase{"CutTakesTheSelectionAway", "abcdef", {Left(kShift), Left(kShift), Cut(), Home(), Paste()},
               "efabcd", 2, 2, 0, 0, "ef"},
    BufferCase{"PasswordRefusesCopyAndCut", "secret", {Password('*'), Sel(0, -1), Copy(), Cut()},
               "secret", 6, 0, 6, 0, "old"},
    BufferCase{"PasswordStillTakesAPaste", "", {Password('*'), Paste("pw")}, "pw", 2, 2, 0},
    BufferCase{"PasteKeepsTheFirstLineOnly", "", {Paste("ab\r\ncd")}, "ab", 2, 2, 0},
    BufferCase{"PasteStopsAtALineFeed", "", {Paste("x\ny")}, "x", 1, 1, 0},
    BufferCase{"APasteThatStartsWithABreakPutsNothing", "z", {Left(kShift), Paste("\nabc")}, "z", 0, 0, 1},
    BufferCase{"PasteRepairsDamagedUtf8", "", {Paste("a\xFF" "b")}, "a" + kFFFD + "b", 5, 5, 0},
    BufferCase{"PasteRepairsATruncatedCharacter", "", {Paste("a\xE4\xBD")}, "a" + kFFFD + kFFFD, 7, 7, 0},
    BufferCase{"TheProgramsReplacementIsOneRepairedLineToo", "", {ReplaceSel("x\xC0y\r\nz")},
               "x" + kFFFD + "y", 5, 5, 0},
    BufferCase{"PastedTextTakesTheCharCase", "", {CharCase(ecUpperCase), Type("abC1"), Paste("xy中")},
               "ABC1XY中", 9, 9, 0}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(ReadOnly, EditBufferSequences, ::testing::Values(
    BufferCase{"RefusesEveryChange", "abc",
               {SetReadOnly(true), Type("x"), Back(), Del(), Paste("y"), Sel(0, -1), Cut(), Clear(), Undo()},
               "abc", 3, 0, 3, 5, "y"},
    BufferCase{"StillMovesSelectsAndCopies", "abc", {SetReadOnly(true), Home(), Right(kShift), Copy()},
               "abc", 1, 0, 1, 0, "a"},
    BufferCase{"LetsTheProgramReplace", "abc", {SetReadOnly(true), Sel(0, 1), ReplaceSel("x")}, "xbc", 1, 1, 0}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(TypedBytes, EditBufferSequences, ::testing::Values(
    BufferCase{"ChineseIsPutTogetherByteByByte", "", {Type("你好"), Left(), Type("们")}, "你们好", 6, 6, 0},
    BufferCase{"AFourByteCharacterArrivesWhole", "", {Type("\xF0\x9F\x98"), Type("\x80")}, "😀", 4, 4, 0},
    BufferCase{"AStrayTrailByteIsIgnored", "", {Type("\xA0" "a")}, "a", 1, 1, 0},
    BufferCase{"AnAsciiByteDropsAHalfCharacter", "", {Type("\xE4" "a\xBD\xA0")}, "a", 1, 1, 0},
    BufferCase{"ANewLeadByteStartsAgain", "", {Type("\xE4\xE5\xA5\xBD")}, "好", 3, 3, 0},
    BufferCase{"BytesThatCannotLeadAreDropped", "", {Type("\xC0\x80\xF5\x80\x80\x80" "b")}, "b", 1, 1, 0},
    BufferCase{"OverlongFormsAndSurrogatesAreDropped", "", {Type("\xE0\x80\x80\xED\xA0\x80" "c")}, "c", 1, 1, 0},
    BufferCase{"ControlCharactersTypeNothing", "", {Type("a\tb\r\x1b\x01" "c\x7f")}, "abc", 3, 3, 0},
    BufferCase{"TypedTextTakesTheLowerCase", "", {CharCase(ecLowerCase), Type("AbC")}, "abc", 3, 3, 0}),
    CaseName);
// clang-format on

TEST(EditBuffer, AHalfTypedCharacterChangesNothingYet) {
    TEditBuffer b;
    TEditResult r = b.TypeByte(0xE4);
    EXPECT_FALSE(r.textChanged || r.caretPlaced || r.beep);
    r = b.TypeByte(0xBD);
    EXPECT_FALSE(r.textChanged || r.caretPlaced || r.beep);
    EXPECT_EQ(b.Text(), "");
    r = b.TypeByte(0xA0);
    EXPECT_TRUE(r.textChanged);
    EXPECT_EQ(b.Text(), "你");
}

// What the control is told to show after each kind of operation.
TEST(EditBuffer, ResultsTellWhatChanged) {
    struct Case {
        const char* name;
        std::function<TEditResult(TEditBuffer&)> op;
        bool textChanged, caretPlaced, beep;
    };
    const Case cases[] = {
        {"a move places the caret", [](TEditBuffer& b) { return b.MoveLeft(false, false); }, false, true, false},
        {"so does one that stays", [](TEditBuffer& b) { return b.MoveEnd(false); }, false, true, false},
        {"typing", [](TEditBuffer& b) { return b.TypeByte('x'); }, true, true, false},
        {"nothing to delete", [](TEditBuffer& b) { return b.Delete(); }, false, false, false},
        {"read-only",
         [](TEditBuffer& b) {
             b.SetReadOnly(true);
             return b.TypeByte('x');
         },
         false, false, true},
        {"no room",
         [](TEditBuffer& b) {
             b.SetMaxLength(2);
             return b.TypeByte('x');
         },
         false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TEditBuffer b;
        b.SetText("ab");
        b.MoveEnd(false);
        TEditResult r = c.op(b);
        EXPECT_EQ(r.textChanged, c.textChanged);
        EXPECT_EQ(r.caretPlaced, c.caretPlaced);
        EXPECT_EQ(r.beep, c.beep);
    }
}

TEST(EditBuffer, SetTextStartsOverAndIsNotTheUsersChange) {
    TEditBuffer b;
    for (char ch : std::string("abc")) b.TypeByte(static_cast<unsigned char>(ch));
    EXPECT_TRUE(b.Modified());
    EXPECT_TRUE(b.CanUndo());
    EXPECT_FALSE(b.SetText("abc"));  // the same text: nothing happens
    EXPECT_EQ(b.CaretPos(), 3);
    EXPECT_TRUE(b.SetText("xyz"));
    EXPECT_EQ(b.CaretPos(), 0);
    EXPECT_EQ(b.SelLength(), 0);
    EXPECT_FALSE(b.Modified());
    EXPECT_FALSE(b.CanUndo());
    // The program's replacement is not the user's change either, but undo
    // marks the text changed by the user.
    b.ReplaceSelection("1");
    EXPECT_FALSE(b.Modified());
    EXPECT_TRUE(b.Undo());
    EXPECT_TRUE(b.Modified());
    b.ClearUndo();
    EXPECT_FALSE(b.Undo());
}

TEST(EditBuffer, CharCaseAppliesToTheTextAndWhatIsSet) {
    TEditBuffer b;
    b.SetText("Ab中");
    b.MoveEnd(false);
    EXPECT_TRUE(b.SetCharCase(ecUpperCase));
    EXPECT_EQ(b.Text(), "AB中");
    EXPECT_EQ(b.CaretPos(), 5);  // changing the case keeps the caret
    EXPECT_FALSE(b.SetCharCase(ecUpperCase));
    EXPECT_FALSE(b.SetText("ab中"));  // in upper case it is the same text
    EXPECT_TRUE(b.SetCharCase(ecLowerCase));
    EXPECT_EQ(b.Text(), "ab中");
}

TEST(EditBuffer, APasswordShowsOneMaskACharacter) {
    TEditBuffer b;
    b.SetText("a中😀");
    EXPECT_EQ(b.DisplayText(), "a中😀");
    b.SetPasswordChar('*');
    EXPECT_EQ(b.DisplayText(), "***");
    EXPECT_EQ(b.CharsBefore(4), 2);
    EXPECT_EQ(b.CharsBefore(8), 3);
    EXPECT_EQ(b.Boundary(6), 4);
    EXPECT_EQ(b.NextChar(4), 8);
}

}  // namespace
}  // namespace menvaro

#include <gtest/gtest.h>

#include "testsupport/UiTest.h"
#include "ui/ListBox.h"

namespace menvaro {
namespace {

// A list of 20 items of 16 pixels in a client area 96 high: 6 rows, the
// last page starting at item 14.
class ListBoxTest : public ControlTest {
protected:
    TListBox* MakeList(int items = 20) {
        auto* lb = Put<TListBox>(10, 10, 120, 100);
        lb->SetStyle(lbOwnerDrawFixed);
        lb->SetItemHeight(16);
        for (int i = 0; i < items; ++i) lb->Items()->Add("item " + std::to_string(i));
        lb->OnClick = [this](TObject*) { ++clicks; };
        Pump();
        return lb;
    }
    // A point on the list's own scroll bar, in screen coordinates: `y`
    // from the bar's top (negative: from its bottom).
    static TPoint OnBar(TListBox* lb, int y) {
        TRect r;
        GetWindowRect(lb->Handle(), r);
        int top = r.Top + 2, bottom = r.Bottom - 2;  // inside the client edge
        return {r.Right - 2 - 8, y >= 0 ? top + y : bottom + y};
    }
    int clicks = 0;
};

struct KeyCase {
    const char* name;
    std::vector<int> keys;
    int index;
    int top;
};

class ListBoxKeys : public ListBoxTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(ListBoxKeys, MoveTheSelectionAndKeepItInView) {
    const KeyCase& c = GetParam();
    TListBox* lb = MakeList();
    lb->SetFocus();
    Pump();
    for (int vk : c.keys) Press(vk);
    EXPECT_EQ(lb->ItemIndex(), c.index);
    EXPECT_EQ(lb->TopIndex(), c.top);
    EXPECT_EQ(lb->RowCount(), 6);
    // Every move the user made tells, as OnClick; the keys that change
    // nothing do not.
    EXPECT_GT(clicks, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, ListBoxKeys,
    ::testing::Values(
        KeyCase{"FirstDownSelectsTheFirst", {VK_DOWN}, 0, 0}, KeyCase{"Down", {VK_DOWN, VK_DOWN}, 1, 0},
        KeyCase{"PastTheLastRowScrollsOne", {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN}, 6, 1},
        KeyCase{"UpStopsAtTheFirst", {VK_DOWN, VK_UP, VK_UP}, 0, 0}, KeyCase{"EndShowsTheLastPage", {VK_END}, 19, 14},
        KeyCase{"HomeGoesBack", {VK_END, VK_HOME}, 0, 0},
        KeyCase{"PageDownMovesARowLessThanAPage", {VK_DOWN, VK_NEXT}, 5, 0},
        KeyCase{"SecondPageDownScrolls", {VK_DOWN, VK_NEXT, VK_NEXT}, 10, 5},
        KeyCase{"PageDownStopsAtTheLast", {VK_END, VK_NEXT}, 19, 14},
        KeyCase{"PageUpFromTheEnd", {VK_END, VK_PRIOR}, 14, 14},
        KeyCase{"RightAndLeftAsDownAndUp", {VK_RIGHT, VK_RIGHT, VK_LEFT}, 0, 0}),
    [](const auto& info) { return info.param.name; });

TEST_F(ListBoxTest, TheSelectionSetInCodeShowsButDoesNotTell) {
    TListBox* lb = MakeList();
    lb->SetItemIndex(17);
    EXPECT_EQ(lb->ItemIndex(), 17);
    EXPECT_EQ(lb->TopIndex(), 12);
    lb->SetTopIndex(16);
    EXPECT_EQ(lb->TopIndex(), 14);
    lb->SetTopIndex(30);  // no such item
    EXPECT_EQ(lb->TopIndex(), 14);
    lb->SetItemIndex(-1);
    EXPECT_EQ(lb->ItemIndex(), -1);
    EXPECT_EQ(clicks, 0);
    // Items gone from under the selection take it with them.
    lb->SetItemIndex(19);
    lb->Items()->Delete(19);
    EXPECT_EQ(lb->ItemIndex(), -1);
    EXPECT_EQ(lb->TopIndex(), 13);
}

TEST_F(ListBoxTest, TypedLettersChooseTheNextItemThatBeginsWithThem) {
    auto* lb = Put<TListBox>(10, 10, 120, 100);
    for (const char* s : {"Apple", "apricot", "Banana", "blueberry", "Cherry"}) lb->Items()->Add(s);
    lb->SetFocus();
    Pump();
    Type("b");
    EXPECT_EQ(lb->ItemIndex(), 2);
    Type("B");
    EXPECT_EQ(lb->ItemIndex(), 3);
    Type("b");
    EXPECT_EQ(lb->ItemIndex(), 2);  // round again
    Type("a");
    EXPECT_EQ(lb->ItemIndex(), 0);
    Type("z");
    EXPECT_EQ(lb->ItemIndex(), 0);
}

struct SearchCase {
    const char* name;
    WPARAM start;
    const char* prefix;
    LRESULT found;
};

class ListBoxSearch : public ListBoxTest, public ::testing::WithParamInterface<SearchCase> {};

TEST_P(ListBoxSearch, SelectStringFindsAPrefixWithoutRegardToCase) {
    const SearchCase& c = GetParam();
    auto* lb = Put<TListBox>(10, 10, 120, 100);
    for (const char* s : {"Apple", "apricot", "Banana", "blueberry", "Cherry"}) lb->Items()->Add(s);
    lb->SetItemIndex(4);
    LRESULT r = lb->Perform(LB_SELECTSTRING, c.start, reinterpret_cast<LPARAM>(c.prefix));
    EXPECT_EQ(r, c.found);
    // A miss leaves the selection as it was.
    EXPECT_EQ(lb->ItemIndex(), c.found == LB_ERR ? 4 : static_cast<int>(c.found));
    EXPECT_EQ(lb->Perform(LB_FINDSTRING, c.start, reinterpret_cast<LPARAM>(c.prefix)), c.found);
}

INSTANTIATE_TEST_SUITE_P(Search, ListBoxSearch,
                         ::testing::Values(SearchCase{"FromTheTopAsTheEditsAsk", 0xFFFF, "ap", 0},
                                           SearchCase{"MinusOneIsTheTopToo", WPARAM(-1), "AP", 0},
                                           SearchCase{"AfterTheStart", 0, "ap", 1},
                                           SearchCase{"RoundPastTheEnd", 3, "b", 2},
                                           SearchCase{"TheStartItselfLast", 2, "banana", 2},
                                           SearchCase{"UpperCasePrefix", 0xFFFF, "CHER", 4},
                                           SearchCase{"EmptyPrefixIsTheFirst", 0xFFFF, "", 0},
                                           SearchCase{"NoMatch", 0xFFFF, "kiwi", LB_ERR}),
                         [](const auto& info) { return info.param.name; });

TEST_F(ListBoxTest, TheWheelScrollsThreeRowsANotchAndLeavesTheSelection) {
    TListBox* lb = MakeList();
    lb->SetFocus();
    lb->SetItemIndex(2);
    Pump();
    synthetic::Wheel(-1);
    Pump();
    EXPECT_EQ(lb->TopIndex(), 3);
    synthetic::Wheel(-10);
    Pump();
    EXPECT_EQ(lb->TopIndex(), 14);
    synthetic::Wheel(2);
    Pump();
    EXPECT_EQ(lb->TopIndex(), 8);
    EXPECT_EQ(lb->ItemIndex(), 2);
    // A handler that takes the wheel keeps it from the list.
    lb->OnMouseWheel = [](TObject*, TShiftState, int, TPoint, bool& handled) { handled = true; };
    synthetic::Wheel(-1);
    Pump();
    EXPECT_EQ(lb->TopIndex(), 8);
}

TEST_F(ListBoxTest, ScrollMessagesMoveTheTopWithinTheLastPage) {
    TListBox* lb = MakeList();
    struct Step {
        int code, pos, top;
    };
    for (Step s : {Step{SB_LINEDOWN, 0, 1},
                   {SB_PAGEDOWN, 0, 6},
                   {SB_LINEUP, 0, 5},
                   {SB_PAGEUP, 0, 0},
                   {SB_BOTTOM, 0, 14},
                   {SB_LINEDOWN, 0, 14},
                   {SB_TOP, 0, 0},
                   {SB_THUMBPOSITION, 9, 9},
                   {SB_THUMBTRACK, 40, 14}}) {
        lb->Perform(WM_VSCROLL, MakeWParam(s.code, s.pos), 0);
        EXPECT_EQ(lb->TopIndex(), s.top) << s.code;
        EXPECT_EQ(GetScrollPos(lb->Handle(), SB_VERT), s.top);
    }
}

TEST_F(ListBoxTest, ItsScrollBarShowsWhileTheItemsDoNotFitAndScrollsByTheMouse) {
    TListBox* lb = MakeList(4);
    EXPECT_FALSE(GetWindowLong(lb->Handle(), GWL_STYLE) & WS_VSCROLL);
    EXPECT_EQ(lb->ClientWidth(), 116);
    for (int i = 4; i < 20; ++i) lb->Items()->Add("item " + std::to_string(i));
    Pump();
    ASSERT_TRUE(GetWindowLong(lb->Handle(), GWL_STYLE) & WS_VSCROLL);
    EXPECT_EQ(lb->ClientWidth(), 100);
    TScrollInfo info;
    GetScrollInfo(lb->Handle(), SB_VERT, info);
    EXPECT_EQ(info.nMax, 19);
    EXPECT_EQ(info.nPage, 6u);

    synthetic::Click(OnBar(lb, -8));  // the down arrow
    Pump();
    EXPECT_EQ(lb->TopIndex(), 1);
    synthetic::Click(OnBar(lb, 8));  // the up arrow
    Pump();
    EXPECT_EQ(lb->TopIndex(), 0);
    synthetic::Click(OnBar(lb, -24));  // the track below the thumb
    Pump();
    EXPECT_EQ(lb->TopIndex(), 5);

    // Held, an arrow repeats: after 400 ms, then every 100 ms.
    synthetic::MouseMove(OnBar(lb, -8));
    synthetic::MouseDown();
    Pump();
    EXPECT_EQ(lb->TopIndex(), 6);
    synthetic::AdvanceTime(399);
    Pump();
    EXPECT_EQ(lb->TopIndex(), 6);
    synthetic::AdvanceTime(1);
    Pump();
    EXPECT_EQ(lb->TopIndex(), 7);
    synthetic::AdvanceTime(100);
    Pump();
    EXPECT_EQ(lb->TopIndex(), 8);
    synthetic::MouseUp();
    Pump();
    synthetic::AdvanceTime(500);
    Pump();
    EXPECT_EQ(lb->TopIndex(), 8);
    EXPECT_EQ(GetCapture(), HWND(0));

    // The thumb dragged to the bottom shows the last page.
    TRect bar;
    GetWindowRect(lb->Handle(), bar);
    TScrollBarLayout layout = LayoutScrollBar({0, 0, 16, 96}, true, [&] {
        TScrollInfo i;
        GetScrollInfo(lb->Handle(), SB_VERT, i);
        return i;
    }());
    synthetic::MouseMove(OnBar(lb, layout.Thumb.Top + 2));
    synthetic::MouseDown();
    synthetic::MouseMove(OnBar(lb, -17));
    Pump();
    EXPECT_EQ(lb->TopIndex(), 14);
    synthetic::MouseUp();
    Pump();
    EXPECT_EQ(lb->TopIndex(), 14);
    EXPECT_EQ(GetScrollPos(lb->Handle(), SB_VERT), 14);
}

TEST_F(ListBoxTest, AClickSelectsAndTellsADragFollows) {
    TListBox* lb = MakeList();
    Click(lb, 20, 16 * 2 + 3);
    EXPECT_EQ(lb->ItemIndex(), 2);
    EXPECT_TRUE(lb->Focused());
    EXPECT_EQ(clicks, 1);
    synthetic::MouseMove(ScreenAt(lb, 20, 16 * 4 + 3));
    synthetic::MouseDown();
    Pump();
    EXPECT_EQ(lb->ItemIndex(), 4);
    synthetic::MouseMove(ScreenAt(lb, 20, 200));  // below the list: it scrolls on
    Pump();
    EXPECT_EQ(lb->ItemIndex(), 6);
    EXPECT_EQ(lb->TopIndex(), 1);
    synthetic::MouseUp();
    Pump();
    // Below the last item nothing is chosen.
    lb->Items()->Clear();
    lb->Items()->Add("only");
    Click(lb, 20, 60);
    EXPECT_EQ(lb->ItemIndex(), -1);
    EXPECT_EQ(lb->ItemAtPos({20, 60}, false), 1);
    EXPECT_EQ(lb->ItemAtPos({20, 60}, true), -1);
}

TEST_F(ListBoxTest, ASortedListKeepsItsOrderAndItsSelectedItem) {
    auto* lb = Put<TListBox>(10, 10, 120, 100);
    for (const char* s : {"pear", "Apple", "fig"}) lb->Items()->Add(s);
    lb->SetItemIndex(0);  // pear
    lb->SetSorted(true);
    EXPECT_EQ(lb->Items()->ToVector(), (std::vector<std::string>{"Apple", "fig", "pear"}));
    EXPECT_EQ(lb->ItemIndex(), 2);
    EXPECT_EQ(lb->Perform(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("banana")), 1);
    EXPECT_EQ(lb->ItemIndex(), 3);
    lb->Items()->Add("Cherry");
    EXPECT_EQ(lb->Items()->ToVector(), (std::vector<std::string>{"Apple", "banana", "Cherry", "fig", "pear"}));
    EXPECT_EQ(lb->Items()->Strings(lb->ItemIndex()), "pear");
}

TEST_F(ListBoxTest, OwnerDrawnItemsAreDrawnWithTheirStateAndHeight) {
    TListBox* lb = MakeList(3);
    lb->SetItemHeight(20);
    struct Drawn {
        int index;
        TRect rect;
        TOwnerDrawState state;
    };
    std::vector<Drawn> drawn;
    lb->OnDrawItem = [&](TWinControl* control, int index, TRect rect, TOwnerDrawState state) {
        drawn.push_back({index, rect, state});
        auto* list = static_cast<TListBox*>(control);
        list->Canvas()->Brush().SetColor(index == 1 ? clRed : list->Canvas()->Brush().Color());
        list->Canvas()->FillRect(rect);
    };
    lb->SetFocus();
    lb->SetItemIndex(2);
    Pump();
    drawn.clear();
    lb->Invalidate();
    EXPECT_EQ(Rgb(At(lb, 50, 30)), clRed);
    ASSERT_EQ(drawn.size(), 3u);
    EXPECT_EQ(drawn[1].rect, Bounds(0, 20, lb->ClientWidth(), 20));
    EXPECT_FALSE(drawn[1].state.Contains(odSelected));
    EXPECT_TRUE(drawn[2].state.Contains(odSelected));
    EXPECT_TRUE(drawn[2].state.Contains(odFocused));
    // The selected item's canvas came with the highlight.
    EXPECT_EQ(Rgb(At(lb, 50, 50)), Rgb(clHighlight));
    // Below the items, the list's colour.
    EXPECT_EQ(Rgb(At(lb, 50, 80)), Rgb(clWindow));
}

TEST_F(ListBoxTest, AStandardListDrawsItsTextAndTheSelection) {
    auto* lb = Put<TListBox>(10, 10, 120, 100);
    lb->Items()->Add("WWWW");
    lb->Items()->Add("WWWW");
    lb->SetItemIndex(1);
    const int h = lb->ItemHeight();
    EXPECT_GT(h, 10);
    Pump();
    // The text two pixels in, dark on the window colour, light on the
    // highlight.
    int dark = 0, light = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < 60; ++x) {
            dark += Near(SurfacePixel(lb, x, y), Rgb(clWindowText), 96);
            light += Near(SurfacePixel(lb, x, y + h), Rgb(clHighlightText), 96);
        }
    EXPECT_GT(dark, 10);
    EXPECT_GT(light, 10);
    EXPECT_FALSE(Near(SurfacePixel(lb, 1, h / 2), Rgb(clWindowText), 96));
    EXPECT_EQ(Rgb(SurfacePixel(lb, 80, h + h / 2)), Rgb(clHighlight));
}

TEST_F(ListBoxTest, AFormFileFillsTheList) {
    auto* f = FormFromText(R"(object F: TForm
  object lb: TListBox
    Left = 8
    Top = 8
    Width = 100
    Height = 80
    ItemHeight = 18
    Items.Strings = (
      'zeta'
      'alpha')
    Sorted = True
    Style = lbOwnerDrawFixed
    TabOrder = 0
  end
end)",
                           "list.form");
    auto* lb = Part<TListBox>(f, "lb");
    ASSERT_NE(lb, nullptr);
    EXPECT_EQ(lb->Items()->ToVector(), (std::vector<std::string>{"alpha", "zeta"}));
    EXPECT_EQ(lb->ItemHeight(), 18);
    EXPECT_TRUE(lb->TabStop());
}

}  // namespace
}  // namespace menvaro

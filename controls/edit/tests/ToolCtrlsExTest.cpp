// The shared pieces of the edit controls: button faces and their cache,
// the edit buttons with auto-repeat, the placing of a drop-down, the size
// grip, the popup list's search and the MRU list.
#include <gtest/gtest.h>

#include <vector>

#include "base/Exceptions.h"
#include "data/MemoryDataSet.h"
#include "edit/ToolCtrlsEx.h"
#include "testsupport/UiTest.h"

namespace menvaro {
namespace {

// ------------------------------------------------------------ faces

class ButtonFaces : public ::testing::Test {
protected:
    void SetUp() override { ClearButtonsBitmapCache(); }
    void TearDown() override { ClearButtonsBitmapCache(); }
    static TColor Px(TBitmap& b, int x, int y) { return b.Pixel(x, y); }
    static TColor Rgb(TColor c) { return ColorToRGB(c); }
};

TEST_F(ButtonFaces, TheCacheKeepsOneBitmapAKey) {
    TBitmap a(40, 40);
    DrawEditButton(a.Canvas(), Rect(0, 0, 16, 20), clWindow, bfkDropDown, bppNone, false, false, true);
    EXPECT_EQ(ButtonsBitmapCache().Count(), 1);
    // The same size, kind and state elsewhere: the same bitmap.
    DrawEditButton(a.Canvas(), Rect(20, 0, 36, 20), clWindow, bfkDropDown, bppNone, false, false, true);
    EXPECT_EQ(ButtonsBitmapCache().Count(), 1);
    TBitmap* one = ButtonsBitmapCache().FindOrCreateBitmap(ButtonBitmapKey(16, 20, bfkDropDown, false, false, false,
                                                                            true, 0));
    EXPECT_EQ(ButtonsBitmapCache().Count(), 1);
    EXPECT_EQ(one->Width(), 16);
    // Another size, another state: new entries.
    DrawEditButton(a.Canvas(), Rect(0, 0, 17, 20), clWindow, bfkDropDown, bppNone, false, false, true);
    DrawEditButton(a.Canvas(), Rect(0, 0, 16, 20), clWindow, bfkDropDown, bppUpper, false, false, true);
    EXPECT_EQ(ButtonsBitmapCache().Count(), 3);
    // Negative sizes are kept as 0; kinds from 6 on stay blank.
    TBitmap* empty =
        ButtonsBitmapCache().FindOrCreateBitmap(ButtonBitmapKey(-5, -1, bfkDropDown, false, false, false, true, 0));
    EXPECT_TRUE(empty->Empty());
    EXPECT_EQ(ButtonsBitmapCache().FindOrCreateBitmap(ButtonBitmapKey(0, 0, bfkDropDown, false, false, false, true, 0)),
              empty);
    ClearButtonsBitmapCache();
    EXPECT_EQ(ButtonsBitmapCache().Count(), 0);
}

TEST_F(ButtonFaces, AnUpDownPairOfOddHeightHasASeamInTheFrameColour) {
    TBitmap b(16, 17);
    DrawEditButton(b.Canvas(), Rect(0, 0, 16, 17), clRed, bfkUpDown, bppNone, false, false, true);
    // Halves of 8 rows each, row 8 between them.
    for (int x = 0; x < 16; ++x) EXPECT_EQ(Px(b, x, 8), Rgb(clRed)) << x;
    EXPECT_NE(Px(b, 5, 7), Rgb(clRed));
    EXPECT_NE(Px(b, 5, 9), Rgb(clRed));
    // Each half a cached face of 16 x 8.
    EXPECT_EQ(ButtonsBitmapCache().Count(), 2);
}

TEST_F(ButtonFaces, AFlatButtonShowsItsEdgeOnlyWhenHot) {
    struct Case {
        bool active;
        bool pressed;
        TColor topLeft;
        TColor bottomRight;
    };
    for (const Case& c : {Case{false, false, clRed, clRed}, Case{true, false, clBtnHighlight, clBtnShadow},
                          Case{true, true, clBtnShadow, clBtnHighlight}}) {
        TBitmap b(16, 20);
        DrawEditButton(b.Canvas(), Rect(0, 0, 16, 20), clRed, bfkEllipsis, c.pressed ? bppUpper : bppNone, true,
                       c.active, true);
        EXPECT_EQ(Px(b, 0, 0), Rgb(c.topLeft)) << c.active << c.pressed;
        EXPECT_EQ(Px(b, 15, 19), Rgb(c.bottomRight)) << c.active << c.pressed;
        // Inside, the plain button face.
        EXPECT_EQ(Px(b, 2, 2), Rgb(clBtnFace)) << c.active << c.pressed;
    }
}

TEST_F(ButtonFaces, EllipsisDotsAndPlusMinusBars) {
    // A raised 16 x 20 ellipsis: inside (2, 2, 14, 18), three 2 x 2 dots on
    // row 9 at x 3, 7 and 11.
    TBitmap e(16, 20);
    PaintEllipsis(e.Canvas(), Rect(0, 0, 16, 20), true, false, false);
    for (int x : {3, 4, 7, 8, 11, 12}) EXPECT_EQ(Px(e, x, 9), Rgb(clBtnText)) << x;
    EXPECT_EQ(Px(e, 5, 9), Rgb(clBtnFace));
    // Pressed: one pixel right and down.
    PaintEllipsis(e.Canvas(), Rect(0, 0, 16, 20), true, true, false);
    EXPECT_EQ(Px(e, 4, 10), Rgb(clBtnText));
    // Disabled: a highlight copy one pixel off, the dots in shadow.
    PaintEllipsis(e.Canvas(), Rect(0, 0, 16, 20), false, false, false);
    EXPECT_EQ(Px(e, 7, 9), Rgb(clBtnShadow));
    EXPECT_EQ(Px(e, 9, 11), Rgb(clBtnHighlight));

    // A raised 16 x 16 plus: inside 12 x 12, bars 6 long and 2 thick,
    // horizontal at (5, 7), vertical at (7, 5).
    TBitmap p(16, 16);
    PaintPlusMinus(p.Canvas(), Rect(0, 0, 16, 16), true, true, false, false);
    EXPECT_EQ(Px(p, 5, 7), Rgb(clBtnText));
    EXPECT_EQ(Px(p, 10, 8), Rgb(clBtnText));
    EXPECT_EQ(Px(p, 7, 5), Rgb(clBtnText));
    EXPECT_EQ(Px(p, 8, 10), Rgb(clBtnText));
    EXPECT_EQ(Px(p, 5, 5), Rgb(clBtnFace));
    EXPECT_EQ(Px(p, 11, 7), Rgb(clBtnFace));
    PaintPlusMinus(p.Canvas(), Rect(0, 0, 16, 16), true, false, false, false);
    EXPECT_EQ(Px(p, 5, 7), Rgb(clBtnText));
    EXPECT_EQ(Px(p, 7, 5), Rgb(clBtnFace));
}

TEST(FlatButtonWidth, TwoThirdsOfTheFontMadeOddAndBounded) {
    struct Case {
        int font, scrollBar, width;
    };
    for (const Case& c : {Case{13, 17, 9}, Case{15, 17, 9}, Case{16, 17, 11}, Case{30, 17, 17}, Case{0, 17, 1},
                          Case{1, 17, 1}, Case{13, 0, 1}})
        EXPECT_EQ(FlatButtonWidthFor(c.font, c.scrollBar), c.width) << c.font << " " << c.scrollBar;
    EXPECT_GE(CalcFlatButtonWidth(), 1);
    EXPECT_LE(CalcFlatButtonWidth(), GetSystemMetrics(SM_CXVSCROLL));
}

// ------------------------------------------------------------ helpers

TEST(EditHelpers, VariantsEqualComparesArraysByElement) {
    Variant one = VarArrayOf({Variant(1)});
    Variant a = VarArrayCreate({{1, 2}}), b = VarArrayCreate({{1, 2}});
    VarArrayPut(a, Variant(1), {1});
    VarArrayPut(a, Variant("x"), {2});
    VarArrayPut(b, Variant(1), {1});
    VarArrayPut(b, Variant("x"), {2});
    EXPECT_FALSE(VariantsEqual(one, Variant(1)));
    EXPECT_FALSE(VariantsEqual(Variant(1), one));
    EXPECT_TRUE(VariantsEqual(a, b));
    VarArrayPut(b, Variant("y"), {2});
    EXPECT_FALSE(VariantsEqual(a, b));
    // Other bounds: the variants' own equality, which fails and answers false.
    Variant c = VarArrayCreate({{0, 1}});
    EXPECT_FALSE(VariantsEqual(a, c));
    EXPECT_TRUE(VariantsEqual(Variant(1), Variant(1)));
    EXPECT_EQ(VariantsEqual(Variant(1), Variant("1")), VarEquals(Variant(1), Variant("1")));
    EXPECT_TRUE(VariantsEqual(Null, Null));
}

TEST(EditHelpers, WithinDoubleClickInTimeAndNear) {
    const unsigned t = GetDoubleClickTime();
    const int dx = GetSystemMetrics(SM_CXDOUBLECLK), dy = GetSystemMetrics(SM_CYDOUBLECLK);
    EXPECT_TRUE(WithinDoubleClick({10, 10}, {10 + dx, 10 - dy}, t));
    EXPECT_FALSE(WithinDoubleClick({10, 10}, {10, 10}, t + 1));
    EXPECT_FALSE(WithinDoubleClick({10, 10}, {11 + dx, 10}, 0));
    EXPECT_FALSE(WithinDoubleClick({10, 10}, {10, 11 + dy}, 0));
}

// ------------------------------------------------------- edit buttons

class EditButtons : public ControlTest {};

TEST_F(EditButtons, AHeldUpDownButtonRepeatsAfter400ThenEvery100Ms) {
    auto* b = Put<TEditButtonControlEx>(20, 20, 16, 20);
    b->SetStyle(ebsUpDownEx);
    std::vector<bool> downs;
    b->OnDown = [&](TObject* sender, bool top, bool& autoRepeat, bool&) {
        EXPECT_EQ(sender, b);
        EXPECT_TRUE(autoRepeat);
        downs.push_back(top);
    };
    Pump();
    synthetic::MouseMove(ScreenAt(b, 5, 15));
    synthetic::MouseDown();
    Pump();
    ASSERT_EQ(downs.size(), 1u);
    EXPECT_FALSE(downs[0]);
    EXPECT_EQ(b->PressedPart(), bppLower);
    synthetic::AdvanceTime(399);
    Pump();
    EXPECT_EQ(downs.size(), 1u);
    synthetic::AdvanceTime(1);
    Pump();
    EXPECT_EQ(downs.size(), 2u);
    synthetic::AdvanceTime(99);
    Pump();
    EXPECT_EQ(downs.size(), 2u);
    synthetic::AdvanceTime(1);
    Pump();
    EXPECT_EQ(downs.size(), 3u);
    synthetic::AdvanceTime(100);
    Pump();
    EXPECT_EQ(downs.size(), 4u);
    synthetic::MouseUp();
    Pump();
    synthetic::AdvanceTime(1000);
    Pump();
    EXPECT_EQ(downs.size(), 4u);
    for (bool top : downs) EXPECT_FALSE(top);
    EXPECT_EQ(b->PressedPart(), bppNone);
}

TEST_F(EditButtons, AHandlerCanStopTheRepeatAndSlidingAcrossCancelsTheClick) {
    auto* b = Put<TEditButtonControlEx>(20, 20, 16, 20);
    b->SetStyle(ebsUpDownEx);
    int downs = 0, clicks = 0;
    b->OnDown = [&](TObject*, bool top, bool& autoRepeat, bool&) {
        EXPECT_TRUE(top);
        ++downs;
        autoRepeat = false;
    };
    b->OnClick = [&](TObject*) { ++clicks; };
    Pump();
    synthetic::MouseMove(ScreenAt(b, 5, 3));
    synthetic::MouseDown();
    Pump();
    EXPECT_EQ(b->PressedPart(), bppUpper);
    synthetic::AdvanceTime(1000);
    Pump();
    EXPECT_EQ(downs, 1);
    // Into the lower half: the upper half comes up, no click on release.
    synthetic::MouseMove(ScreenAt(b, 5, 16));
    Pump();
    EXPECT_EQ(b->PressedPart(), bppUpper);
    synthetic::MouseUp();
    Pump();
    EXPECT_EQ(clicks, 0);
    // A plain press and release clicks.
    Click(b, 5, 3);
    Pump();
    EXPECT_EQ(clicks, 1);
}

TEST_F(EditButtons, ThePressedPartOfAnEvenUpDownButton) {
    auto* b = Put<TEditButtonControlEx>(20, 20, 16, 20);
    b->SetStyle(ebsUpDownEx);
    b->OnDown = [](TObject*, bool, bool& autoRepeat, bool&) { autoRepeat = false; };
    Pump();
    struct Case {
        int y, part;
    };
    for (const Case& c : {Case{0, bppUpper}, Case{9, bppUpper}, Case{10, bppNone}, Case{11, bppLower},
                          Case{19, bppLower}}) {
        synthetic::MouseMove(ScreenAt(b, 5, c.y));
        synthetic::MouseDown();
        Pump();
        EXPECT_EQ(b->PressedPart(), c.part) << c.y;
        synthetic::MouseUp();
        Pump();
    }
    // Any other style is pressed as a whole.
    b->SetStyle(ebsEllipsisEx);
    synthetic::MouseMove(ScreenAt(b, 5, 15));
    synthetic::MouseDown();
    Pump();
    EXPECT_EQ(b->PressedPart(), bppUpper);
    synthetic::MouseUp();
    Pump();
    // Held down while a drop-down is open.
    b->SetAlwaysDown(true);
    EXPECT_TRUE(b->Down());
    EXPECT_EQ(b->PressedPart(), bppUpper);
    b->SetAlwaysDown(false);
    EXPECT_FALSE(b->Down());
    EXPECT_EQ(b->PressedPart(), bppNone);
}

TEST_F(EditButtons, ItemsClampGlyphsAndReportChanges) {
    auto* edit = Put<TEdit>(10, 10, 100, 21);
    TEditButtonsEx buttons(edit, TVisibleEditButtonEx::StaticClass());
    std::vector<TEditButtonEx*> changed;
    buttons.OnChange = [&](TEditButtonEx* item) { changed.push_back(item); };
    TEditButtonEx* item = buttons.Add();
    EXPECT_TRUE(item->Visible());
    EXPECT_EQ(item->ShortCut(), kAltDownShortCut);
    EXPECT_EQ(kAltDownShortCut, 32808);
    changed.clear();
    item->SetNumGlyphs(0);
    EXPECT_EQ(item->NumGlyphs(), 1);
    EXPECT_TRUE(changed.empty());
    item->SetNumGlyphs(7);
    EXPECT_EQ(item->NumGlyphs(), 4);
    ASSERT_EQ(changed.size(), 1u);
    EXPECT_EQ(changed[0], item);
    item->SetStyle(ebsPlusEx);
    item->SetStyle(ebsPlusEx);
    EXPECT_EQ(changed.size(), 2u);
    // The edit's own main button reports to the edit instead.
    TDropDownEditButtonEx main(edit);
    EXPECT_EQ(main.ShortCut(), kAltDownShortCut);
    EXPECT_FALSE(main.Visible());
    EXPECT_EQ(main.Edit(), edit);
    int internal = 0;
    main.OnInternalChange = [&](TObject*) { ++internal; };
    main.SetWidth(12);
    EXPECT_EQ(internal, 1);
    main.Assign(item);
    EXPECT_EQ(main.Style(), ebsPlusEx);
    EXPECT_EQ(main.NumGlyphs(), 4);
    EXPECT_TRUE(main.Visible());
    EXPECT_EQ(main.Width(), 0);
    TEditButtonControlEx* control = item->CreateButtonControl();
    EXPECT_EQ(control->Owner(), edit);
    EXPECT_EQ(control->Parent(), edit);
    EXPECT_EQ(control->Width(), 10);
    EXPECT_EQ(control->Height(), 17);
}

// ---------------------------------------------------------- drop-downs

// A drop-down that notes the free sides it is told.
class TSideNotedPanel : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    std::vector<int> Sides;
    void Dispatch(TMessage& m) override {
        if (m.Msg == MSG_POPUP_LIST) Sides.push_back(static_cast<int>(m.WParam));
        TCustomControl::Dispatch(m);
    }
};

class PopupPlacement : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        // One monitor of 1000 x 800 with a work area of 0..1000 x 0..700.
        SetMonitorLayout({{Rect(0, 0, 1000, 800), Rect(0, 0, 1000, 700), true}});
        panel.reset(Create<TSideNotedPanel>(nullptr));
    }
    void TearDown() override {
        panel.reset();
        SetMonitorLayout({});
        UiTest::TearDown();
    }
    TPoint Place(const TRect& owner, int width, int height, TAlignment a = taLeftJustify) {
        panel->SetBounds(0, 0, width, height);
        panel->Sides.clear();
        return PlacePopup(owner, panel.get(), a);
    }
    TOwned<TSideNotedPanel> panel;
};

TEST_F(PopupPlacement, BelowAboveOrOnTheSideWithMoreRoom) {
    // Room below.
    EXPECT_EQ(Place(Rect(100, 100, 200, 121), 150, 200), (TPoint{100, 121}));
    EXPECT_EQ(panel->Sides, (std::vector<int>{3, 1}));
    EXPECT_EQ(panel->Height(), 200);
    // 100 below, 300 above: upwards at full height.
    EXPECT_EQ(Place(Rect(100, 300, 200, 600), 150, 200), (TPoint{100, 100}));
    EXPECT_EQ(panel->Sides, (std::vector<int>{2, 1}));
    EXPECT_EQ(panel->Height(), 200);
    // 150 above, 100 below: above, cut to 150.
    EXPECT_EQ(Place(Rect(100, 150, 200, 600), 150, 200), (TPoint{100, 0}));
    EXPECT_EQ(panel->Height(), 150);
    EXPECT_EQ(panel->Sides, (std::vector<int>{2, 1}));
    // 120 below, 100 above: below, cut to 120.
    EXPECT_EQ(Place(Rect(100, 100, 200, 580), 150, 200), (TPoint{100, 580}));
    EXPECT_EQ(panel->Height(), 120);
    EXPECT_EQ(panel->Sides, (std::vector<int>{3, 1}));
}

TEST_F(PopupPlacement, AlignedAndKeptInsideTheWorkArea) {
    // Right-aligned and wider than its edit: ends at the edit's right edge.
    EXPECT_EQ(Place(Rect(300, 100, 400, 121), 250, 50, taRightJustify), (TPoint{150, 121}));
    EXPECT_EQ(panel->Sides, (std::vector<int>{3, 0}));
    // Centred.
    EXPECT_EQ(Place(Rect(300, 100, 400, 121), 200, 50, taCenter), (TPoint{250, 121}));
    EXPECT_EQ(panel->Sides.back(), 1);
    // Past the right edge, past the left edge.
    EXPECT_EQ(Place(Rect(900, 100, 990, 121), 200, 50), (TPoint{800, 121}));
    EXPECT_EQ(panel->Sides.back(), 0);
    EXPECT_EQ(Place(Rect(50, 100, 100, 121), 200, 50, taRightJustify), (TPoint{0, 121}));
    EXPECT_EQ(panel->Sides.back(), 1);
    // Wider than the work area: cut to its width.
    EXPECT_EQ(Place(Rect(50, 100, 100, 121), 1200, 50), (TPoint{0, 121}));
    EXPECT_EQ(panel->Width(), 1000);
}

TEST_F(PopupPlacement, OnTheMonitorNearestItsOwner) {
    SetMonitorLayout({{Rect(0, 0, 1000, 800), Rect(0, 0, 1000, 700), true},
                      {Rect(1000, 0, 1800, 600), Rect(1000, 50, 1800, 600), false}});
    // On the second monitor: its work area's bottom (600) and top (50) count.
    EXPECT_EQ(Place(Rect(1100, 300, 1200, 500), 150, 200), (TPoint{1100, 100}));
    EXPECT_EQ(panel->Sides.front(), 2);
    EXPECT_EQ(Place(Rect(1700, 100, 1790, 121), 200, 50), (TPoint{1600, 121}));
    EXPECT_EQ(panel->Sides.back(), 0);
}

// -------------------------------------------------------------- grip

TEST(SizeGrip, TheCornerFollowsTheFreeSide) {
    TOwned<TSizeGripEx> owned{Create<TSizeGripEx>(nullptr)};
    TSizeGripEx& grip = *owned;
    EXPECT_EQ(grip.Corner(), gcBottomRight);
    struct Case {
        int from, side, to;
    };
    for (const Case& c : {Case{gcTopRight, 0, gcTopLeft}, Case{gcBottomRight, 0, gcBottomLeft},
                          Case{gcTopLeft, 0, gcTopLeft}, Case{gcTopLeft, 1, gcTopRight},
                          Case{gcBottomLeft, 1, gcBottomRight}, Case{gcBottomRight, 2, gcTopRight},
                          Case{gcBottomLeft, 2, gcTopLeft}, Case{gcTopRight, 3, gcBottomRight},
                          Case{gcTopLeft, 3, gcBottomLeft}, Case{gcBottomRight, 3, gcBottomRight},
                          Case{gcBottomRight, 7, gcBottomRight}}) {
        grip.SetCorner(c.from);
        grip.ChangePosition(c.side);
        EXPECT_EQ(grip.Corner(), c.to) << c.from << " " << c.side;
    }
    grip.SetCorner(gcTopRight);
    EXPECT_EQ(grip.Cursor(), crSizeNESW);
    grip.SetCorner(gcBottomRight);
    EXPECT_EQ(grip.Cursor(), crSizeNWSE);
}

class PopupList : public ControlTest {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        SetMonitorLayout({{Rect(0, 0, 1000, 800), Rect(0, 0, 1000, 700), true}});
        list = Create<TPopupListboxEx>(form);
        list->SetVisible(false);
        list->SetParent(form);
        list->SetItemHeight(16);
        for (const char* s : {"apple", "abacus", "abc", "banana", "berry", "cherry"}) list->Items()->Add(s);
    }
    void TearDown() override {
        SetMonitorLayout({});
        ControlTest::TearDown();
    }
    void Show(int x, int y, int w, int rows) {
        list->HandleNeeded();
        list->SetBounds(x, y, w, 100);
        list->SetRowCount(rows);
        list->SetVisible(true);
        list->SizeGrip()->SetVisible(true);
        Pump();
    }
    TPopupListboxEx* list = nullptr;
};

TEST_F(PopupList, ItsHeightIsWholeRowsAndItNeverTakesTheFocus) {
    Show(100, 100, 120, 3);
    EXPECT_EQ(list->RowCount(), 3);
    EXPECT_EQ(list->ClientHeight(), 48);
    list->SetBounds(list->Left(), list->Top(), 120, list->Height() + 10);
    EXPECT_EQ(list->RowCount(), 3);
    list->SetBounds(list->Left(), list->Top(), 120, list->Height() - list->ClientHeight() + 70);
    EXPECT_EQ(list->RowCount(), 4);
    EXPECT_EQ(list->ClientHeight(), 64);
    EXPECT_EQ(GetParent(list->WindowHandle()), HWND(0));
    EXPECT_EQ(GetWindowLong(list->WindowHandle(), GWL_EXSTYLE), WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
    EXPECT_FALSE(list->CanFocus());
    // A click on a row selects it and leaves the focus where it was.
    auto* edit = Put<TEdit>(10, 10, 100, 21);
    edit->SetFocus();
    Pump();
    Click(list, 10, 20);
    Pump();
    EXPECT_EQ(list->ItemIndex(), 1);
    EXPECT_EQ(GetFocus(), edit->WindowHandle());
    EXPECT_EQ(GetActiveWindow(), form->WindowHandle());
    // Hot tracking without a button held.
    synthetic::MouseMove(ScreenAt(list, 10, 40));
    Pump();
    EXPECT_EQ(list->ItemIndex(), 2);
    // An item height of 0 counts in the text's own height, never 0.
    auto* other = Create<TPopupListboxEx>(form);
    other->SetItemHeight(0);
    other->SetBounds(0, 0, 100, 100);
    EXPECT_GE(other->RowCount(), 1);
}

TEST_F(PopupList, IncrementalSearchWithPauses) {
    Show(100, 100, 120, 4);
    char k = 'a';
    auto key = [&](char c) {
        k = c;
        list->Perform(WM_CHAR, static_cast<unsigned char>(k), 0);
    };
    key('a');
    key('b');
    EXPECT_EQ(list->SearchText(), "ab");
    EXPECT_EQ(list->ItemIndex(), 1);  // abacus, the first beginning with "ab"
    key('c');
    EXPECT_EQ(list->ItemIndex(), 2);
    synthetic::AdvanceTime(2001);
    key('b');
    EXPECT_EQ(list->SearchText(), "b");
    EXPECT_EQ(list->ItemIndex(), 3);
    synthetic::AdvanceTime(2000);
    key('e');
    EXPECT_EQ(list->SearchText(), "be");
    EXPECT_EQ(list->ItemIndex(), 4);
    key(27);
    EXPECT_EQ(list->SearchText(), "");
    for (int i = 0; i < 40; ++i) key('z');
    EXPECT_EQ(list->SearchText().size(), 32u);
    key(8);
    EXPECT_EQ(list->SearchText(), "");
}

TEST_F(PopupList, TheGripDragStaysInsideTheWorkArea) {
    Show(100, 500, 120, 4);
    TSizeGripEx* grip = list->SizeGrip();
    ASSERT_EQ(grip->Corner(), gcBottomRight);
    EXPECT_EQ(grip->Left() + grip->Width(), list->ClientWidth());
    EXPECT_EQ(grip->Top() + grip->Height(), list->ClientHeight());
    int resized = 0;
    grip->OnParentResized = [&](TObject*) { ++resized; };
    synthetic::MouseMove(Centre(grip));
    synthetic::MouseDown();
    Pump();
    // 30 wider, 32 (two rows) higher.
    const TPoint c = Centre(grip);
    synthetic::MouseMove({c.X + 30, c.Y + 32});
    Pump();
    EXPECT_EQ(list->Width(), 150);
    EXPECT_EQ(list->RowCount(), 6);
    EXPECT_EQ(resized, 1);
    // Far down and right: the bottom and right edges stop at the work area.
    synthetic::MouseMove({5000, 5000});
    Pump();
    TRect r;
    GetWindowRect(list->WindowHandle(), r);
    EXPECT_LE(r.Bottom, 700);
    EXPECT_GT(r.Bottom, 700 - 16);
    EXPECT_EQ(r.Right, 1000);
    synthetic::MouseUp();
    Pump();
    EXPECT_EQ(grip->Top() + grip->Height(), list->ClientHeight());
    // Opened upwards against the right edge: the grip goes to the top left.
    list->Perform(MSG_POPUP_LIST, 2, 0);
    list->Perform(MSG_POPUP_LIST, 0, 0);
    EXPECT_EQ(grip->Corner(), gcTopLeft);
    EXPECT_EQ(grip->Left(), 0);
    EXPECT_EQ(grip->Top(), 0);
}

TEST_F(PopupList, TheGripIsATriangleWithLinesTowardsItsCorner) {
    list->Items()->Clear();
    list->SetColor(clRed);
    Show(100, 100, 120, 4);
    TSizeGripEx* grip = list->SizeGrip();
    const int w = grip->Width();
    // Bottom-right: the first line runs from (0, w) to (w, 0) in the
    // highlight colour; the top-left corner lies outside the window's shape.
    EXPECT_EQ(PixelOfWindow(list, grip->Left() + 1, grip->Top() + 1), Rgb(clRed));
    EXPECT_EQ(PixelOfWindow(list, grip->Left() + w - 1, grip->Top() + 1), Rgb(clBtnHighlight));
    EXPECT_EQ(PixelOfWindow(list, grip->Left() + w - 1, grip->Top() + 2), Rgb(clBtnShadow));
}

// ---------------------------------------------------------- MRU list

TEST(MRUList, AddMovesEqualEntriesToTheEndAndTrims) {
    TMRUListEx mru(nullptr);
    mru.AddRecent("ABC");
    mru.AddRecent("x");
    mru.AddRecent("abc");
    EXPECT_EQ(mru.Items()->Count(), 2);
    EXPECT_EQ((*mru.Items())[1], "ABC");
    mru.SetCaseSensitive(true);
    mru.AddRecent("abc");
    EXPECT_EQ(mru.Items()->Count(), 3);
    mru.AddRecent("   ");
    mru.AddRecent("");
    EXPECT_EQ(mru.Items()->Count(), 3);
    mru.AddRecent(" x ");
    EXPECT_EQ((*mru.Items())[3], " x ");

    TMRUListEx limited(nullptr);
    limited.SetLimit(3);
    for (const char* s : {"a", "b", "c", "d"}) limited.AddRecent(s);
    EXPECT_EQ(limited.Items()->Text(), "b\r\nc\r\nd\r\n");
    limited.SetLimit(1);
    EXPECT_EQ(limited.Items()->Text(), "d\r\n");
    limited.SetLimit(-4);
    EXPECT_EQ(limited.Items()->Count(), 0);

    int changes = 0;
    mru.OnActiveChange = [&](TObject*) { ++changes; };
    mru.SetActive(true);
    mru.SetActive(true);
    EXPECT_EQ(changes, 1);
    TMRUListEx copy(nullptr);
    copy.Assign(&mru);
    EXPECT_TRUE(copy.Active());
    EXPECT_TRUE(copy.CaseSensitive());
    EXPECT_EQ(copy.Items()->Count(), 4);
    EXPECT_EQ(copy.Limit(), 100);
    EXPECT_EQ(copy.Rows(), 7);
}

TEST(CollectFields, FindsEveryNameOrNamesTheMissingOne) {
    TOwned<TMemoryDataSet> owned{Create<TMemoryDataSet>(nullptr)};
    TMemoryDataSet& ds = *owned;
    ds.FieldDefs().Add("ID", TFieldType::ftInteger);
    ds.FieldDefs().Add("Name", TFieldType::ftString, 20);
    ds.Open();
    std::vector<TField*> list;
    CollectFields(&list, ds, nullptr, "ID; Name");
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[1]->FieldName(), "Name");
    CollectFields(nullptr, ds, nullptr, "name");
    TOwned<TComponent> owner{Create<TComponent>(nullptr)};
    owner->SetName("edtDays");
    try {
        CollectFields(&list, ds, owner.get(), "ID;Days");
        FAIL() << "no error";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(std::string(e.what()), "edtDays: Field 'Days' not found");
    }
}

}  // namespace
}  // namespace menvaro

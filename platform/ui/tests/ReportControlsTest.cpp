// The check box, the memo and the report-style list view, driven by the
// keyboard and the mouse on a shown form.
#include <gtest/gtest.h>

#include "testsupport/UiTest.h"
#include "ui/CheckBox.h"
#include "ui/ImgList.h"
#include "ui/ListView.h"
#include "ui/Memo.h"

namespace menvaro {
namespace {

using ReportControlsTest = ControlTest;

// ------------------------------------------------------------- check box

TEST_F(ReportControlsTest, CheckBoxTogglesByClickAndSpaceAndTellsEachTime) {
    auto* cb = Put<TCheckBox>(10, 10, 150, 17);
    cb->SetCaption("Copy");
    int clicks = 0;
    cb->OnClick = [&](TObject*) { ++clicks; };
    Pump();
    Click(cb, 5, 8);  // on the box
    EXPECT_TRUE(cb->Checked());
    EXPECT_TRUE(cb->Focused());
    Click(cb, 100, 8);  // on the caption's line, right of it
    EXPECT_FALSE(cb->Checked());
    Press(VK_SPACE);
    EXPECT_TRUE(cb->Checked());
    EXPECT_EQ(clicks, 3);
    // Set in code: the same notice; set to what it is: none.
    cb->SetChecked(false);
    cb->SetChecked(false);
    EXPECT_EQ(clicks, 4);
    // A disabled box is not changed by the mouse.
    cb->SetEnabled(false);
    Pump();
    Click(cb, 5, 8);
    EXPECT_FALSE(cb->Checked());
}

TEST_F(ReportControlsTest, CheckBoxDrawsItsTickAndPutsTheBoxWhereAlignmentSays) {
    auto* left = Put<TCheckBox>(10, 10, 150, 17);
    auto* right = Put<TCheckBox>(10, 40, 150, 17);
    right->SetAlignment(taLeftJustify);
    EXPECT_EQ(left->BoxRect().Left, 0);
    EXPECT_EQ(right->BoxRect().Right, 150);
    TRect box = left->BoxRect();
    int before = CountPixels(left, box, Rgb(clWindowText));
    left->SetChecked(true);
    Pump();
    EXPECT_EQ(before, 0);
    EXPECT_GT(CountPixels(left, box, Rgb(clWindowText)), 10);
    // Greyed only when allowed: a click cycles unchecked, greyed, checked.
    right->SetAllowGrayed(true);
    Click(right, 145, 8);
    EXPECT_EQ(right->State(), cbGrayed);
    Click(right, 145, 8);
    EXPECT_EQ(right->State(), cbChecked);
}

// ----------------------------------------------------------------- memo

TEST_F(ReportControlsTest, MemoEditsOverLinesByKeyboard) {
    auto* m = Put<TMemo>(10, 10, 200, 100);
    int changes = 0;
    m->OnChange = [&](TObject*) { ++changes; };
    m->SetText("first\r\nsecond");
    Pump();
    m->SetFocus();
    Pump();
    Press(VK_END, {ssCtrl});
    EXPECT_EQ(m->CaretPos(), (TPoint{6, 1}));
    Type("!");
    Press(VK_RETURN);
    Type("third");
    EXPECT_EQ(m->Text(), "first\r\nsecond!\r\nthird");
    EXPECT_EQ(m->Lines()->Count(), 3);
    // Backspace at a line's start joins it to the line above.
    Press(VK_HOME);
    Press(VK_BACK);
    EXPECT_EQ(m->Text(), "first\r\nsecond!third");
    // Up keeps to the column; Delete at a line's end joins the next one.
    Press(VK_HOME, {ssCtrl});
    Press(VK_END);
    Press(VK_DELETE);
    EXPECT_EQ(m->Lines()->Strings(0), "firstsecond!third");
    EXPECT_TRUE(m->Modified());
    EXPECT_GE(changes, 5);
}

TEST_F(ReportControlsTest, MemoMovesByWholeCharactersAndReadOnlyRefusesEdits) {
    auto* m = Put<TMemo>(10, 10, 200, 100);
    m->SetText("错误x");
    m->SetFocus();
    Pump();
    Press(VK_RIGHT);
    EXPECT_EQ(m->CaretPos().X, 3);  // one Chinese character is three bytes
    Press(VK_BACK);
    EXPECT_EQ(m->Text(), "误x");
    m->SetReadOnly(true);
    int beeps = BeepCount();
    Type("y");
    Press(VK_BACK);
    Press(VK_RETURN);
    EXPECT_EQ(m->Text(), "误x");
    EXPECT_EQ(BeepCount(), beeps + 3);
    // Moving still works in a read-only memo.
    Press(VK_END);
    EXPECT_EQ(m->CaretPos().X, 4);
}

TEST_F(ReportControlsTest, MemoScrollsToTheCaretAndByItsScrollBarAndTheWheel) {
    auto* m = Put<TMemo>(10, 10, 200, 100);
    m->SetScrollBars(ssBoth);
    std::string text;
    for (int i = 0; i < 40; ++i) text += "line " + std::to_string(i) + "\r\n";
    m->SetText(text);
    Pump();
    EXPECT_EQ(m->TopLine(), 0);
    TScrollInfo info;
    ASSERT_TRUE(GetScrollInfo(m->Handle(), SB_VERT, info));
    EXPECT_EQ(info.nMax, 39);
    EXPECT_EQ(static_cast<int>(info.nPage), m->VisibleLines());
    m->SetFocus();
    Press(VK_END, {ssCtrl});
    EXPECT_EQ(m->CaretPos().Y, 39);
    EXPECT_EQ(m->TopLine(), 40 - m->VisibleLines());
    synthetic::MouseMove(ScreenAt(m, 50, 30));
    synthetic::Wheel(2);
    Pump();
    EXPECT_EQ(m->TopLine(), 40 - m->VisibleLines() - 6);
    // A click on a shown line puts the caret there.
    int top = m->TopLine();
    Click(m, 2, m->LineHeight() + 2);
    EXPECT_EQ(m->CaretPos(), (TPoint{0, top + 1}));
}

// ------------------------------------------------------------ list view

class ListViewTest : public ControlTest {
protected:
    TListView* MakeList(int rows) {
        auto* lv = Put<TListView>(10, 10, 300, 150);
        lv->SetRowSelect(true);
        const char* names[] = {"Address", "Unit", "Line"};
        for (int i = 0; i < 3; ++i) {
            TListColumn* c = lv->AddColumn();
            c->SetCaption(names[i]);
            c->SetWidth(80);
        }
        lv->Column(2)->SetAlignment(taRightJustify);
        for (int i = 0; i < rows; ++i) {
            TListItem* it = lv->AddItem();
            it->SetCaption("row " + std::to_string(i));
            it->SubItems().Add("unit" + std::to_string(i));
            it->SubItems().Add(std::to_string(i * 10));
        }
        lv->OnItemActivate = [this, lv](TObject*) { activated.push_back(lv->ItemIndex()); };
        Pump();
        return lv;
    }
    TPoint RowPoint(TListView* lv, int row, int x = 20) {
        TRect r = lv->ItemRect(row);
        return {x, r.Top + r.Height() / 2};
    }
    std::vector<int> activated;
};

TEST_F(ListViewTest, ClickSelectsDoubleClickAndEnterActivate) {
    TListView* lv = MakeList(5);
    std::vector<std::pair<int, bool>> told;
    lv->OnSelectItem = [&](TObject*, TListItem* item, bool sel) { told.emplace_back(item->Index(), sel); };
    Click(lv, RowPoint(lv, 2).X, RowPoint(lv, 2).Y);
    EXPECT_EQ(lv->ItemIndex(), 2);
    EXPECT_TRUE(lv->Item(2)->Selected());
    EXPECT_TRUE(lv->Focused());
    // Far right in a row-select list still hits the row.
    Click(lv, 230, RowPoint(lv, 3).Y);
    EXPECT_EQ(lv->ItemIndex(), 3);
    EXPECT_EQ(told, (std::vector<std::pair<int, bool>>{{2, true}, {2, false}, {3, true}}));
    // Below the last row nothing changes.
    Click(lv, 20, 140);
    EXPECT_EQ(lv->ItemIndex(), 3);
    Press(VK_RETURN);
    TPoint p = ScreenAt(lv, RowPoint(lv, 1).X, RowPoint(lv, 1).Y);
    synthetic::Click(p);
    synthetic::Click(p);
    Pump();
    EXPECT_EQ(activated, (std::vector<int>{3, 1}));
    // The selected row shows on the highlight colour.
    EXPECT_EQ(At(lv, 250, RowPoint(lv, 1).Y), Rgb(clHighlight));
    EXPECT_EQ(At(lv, 250, RowPoint(lv, 2).Y), Rgb(clWindow));
}

TEST_F(ListViewTest, KeysMoveTheSelectionAndScrollItIntoView) {
    TListView* lv = MakeList(30);
    int rows = lv->RowCount();
    ASSERT_LT(rows, 30);
    lv->SetFocus();
    Press(VK_DOWN);
    EXPECT_EQ(lv->ItemIndex(), 0);
    Press(VK_END);
    EXPECT_EQ(lv->ItemIndex(), 29);
    EXPECT_EQ(lv->TopIndex(), 30 - rows);
    Press(VK_PRIOR);
    EXPECT_EQ(lv->ItemIndex(), 29 - (rows - 1));
    Press(VK_HOME);
    EXPECT_EQ(lv->ItemIndex(), 0);
    EXPECT_EQ(lv->TopIndex(), 0);
    TScrollInfo info;
    ASSERT_TRUE(GetScrollInfo(lv->Handle(), SB_VERT, info));
    EXPECT_EQ(info.nMax, 29);
}

TEST_F(ListViewTest, HeaderEdgeDragsAColumnsWidthAndTextsFollowAlignment) {
    TListView* lv = MakeList(2);
    int y = lv->HeaderHeight() / 2;
    synthetic::MouseMove(ScreenAt(lv, 80, y));
    synthetic::MouseDown();
    synthetic::MouseMove(ScreenAt(lv, 120, y));
    synthetic::MouseUp();
    Pump();
    EXPECT_EQ(lv->Column(0)->Width(), 120);
    EXPECT_EQ(lv->ColumnLeft(2), 200);
    // The right-aligned column's text ends near the column's right edge.
    lv->SetItemIndex(-1);
    Pump();
    int row = RowPoint(lv, 1).Y;
    TRect lineCol{200, lv->ItemRect(1).Top, 280, lv->ItemRect(1).Bottom};
    auto inked = [&](int l, int r) {
        int n = 0;
        for (int y = lineCol.Top; y < lineCol.Bottom; ++y)
            for (int x = l; x < r; ++x) n += SurfacePixel(lv, x, y) != Rgb(clWindow);
        return n;
    };
    (void)At(lv, 0, row);  // paint what waits
    EXPECT_GT(inked(260, 275), 0);
    EXPECT_EQ(inked(200, 240), 0);
}

TEST_F(ListViewTest, SmallImagesShowBeforeTheCaption) {
    TListView* lv = MakeList(2);
    auto* images = Create<TImageList>(form);
    images->SetWidth(16);
    images->SetHeight(16);
    TBitmap red;
    red.SetSize(16, 16);
    red.Canvas().Brush().SetColor(clRed);
    red.Canvas().FillRect({0, 0, 16, 16});
    images->Add(red);
    lv->SetSmallImages(images);
    lv->Item(1)->SetImageIndex(0);
    Pump();
    TRect r = lv->ItemRect(1);
    EXPECT_EQ(At(lv, 8, r.Top + r.Height() / 2), Rgb(clRed));
    TRect r0 = lv->ItemRect(0);
    EXPECT_NE(At(lv, 8, r0.Top + r0.Height() / 2), Rgb(clRed));
    // The list forgets images that go.
    images->Free();
    EXPECT_EQ(lv->SmallImages(), nullptr);
}

}  // namespace
}  // namespace menvaro

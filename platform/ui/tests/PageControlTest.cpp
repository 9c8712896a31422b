#include "base/Strings.h"
#include "classes/ClassBuilder.h"
#include "classes/FormReader.h"
#include "classes/FormWriter.h"
#include "testsupport/UiTest.h"
#include "ui/DateTimePicker.h"
#include "ui/PageControl.h"

namespace menvaro {

class TPagesForm : public TForm {
    MENVARO_CLASS(TPagesForm, TForm)
public:
    explicit TPagesForm(TComponent* owner) : TForm(owner) { SetCreateNew(); }
    TPageControl* pgTooltype = nullptr;
    TTabSheet* TabSheet4 = nullptr;
    TTabSheet* TabSheet5 = nullptr;
    TDateTimePicker* dtpBackupDate = nullptr;
    TDateTimePicker* dtpResumeDate = nullptr;
    std::vector<std::string> events;
    bool allow = true;
    void pgTooltypeChange(TObject*) { events.push_back("change " + pgTooltype->ActivePage()->Name()); }
    void pgTooltypeChanging(TObject*, bool& allowChange) {
        events.push_back("changing " + pgTooltype->ActivePage()->Name());
        allowChange = allow;
    }
};

MENVARO_CLASS_INFO(TPagesForm) {
    MENVARO_PUBLISHED_FIELDS(pgTooltype, TabSheet4, TabSheet5, dtpBackupDate, dtpResumeDate)
    MENVARO_PUBLISHED_METHODS(pgTooltypeChange, pgTooltypeChanging)
}

namespace {

const char* kPagesForm = R"(object PagesForm: TPagesForm
  Caption = 'pages'
  ClientHeight = 300
  ClientWidth = 400
  object pgTooltype: TPageControl
    Left = 10
    Top = 10
    Width = 380
    Height = 280
    ActivePage = TabSheet5
    TabOrder = 0
    TabPosition = %POSITION%
    OnChange = pgTooltypeChange
    OnChanging = pgTooltypeChanging
    object TabSheet4: TTabSheet
      Caption = '备份数据'
      object dtpBackupDate: TDateTimePicker
        Left = 16
        Top = 16
        Width = 140
        Height = 21
        TabOrder = 0
      end
    end
    object TabSheet5: TTabSheet
      Caption = '恢复数据'
      object dtpResumeDate: TDateTimePicker
        Left = 16
        Top = 16
        Width = 140
        Height = 21
        TabOrder = 0
      end
    end
  end
end
)";

class PageControl : public UiTest {
protected:
    TPagesForm* Make(const char* position = "tpBottom") {
        auto* f = FormFromText<TPagesForm>(ReplaceAll(kPagesForm, "%POSITION%", position), "pages.form");
        f->Font()->SetName("宋体");
        f->Font()->SetHeight(-12);
        return f;
    }
    static TPoint TabCentre(TPageControl* pc, int tab) {
        TRect r = pc->TabRect(tab);
        return {r.Left + r.Width() / 2, r.Top + r.Height() / 2};
    }
};

TEST_F(PageControl, StreamedPagesJoinTheirPageControlAndWriteBack) {
    TPagesForm* f = Make();
    TPageControl* pc = f->pgTooltype;
    ASSERT_EQ(pc->PageCount(), 2);
    EXPECT_EQ(pc->Pages(0), f->TabSheet4);
    EXPECT_EQ(pc->Pages(1), f->TabSheet5);
    EXPECT_EQ(f->TabSheet4->PageControl(), pc);
    EXPECT_EQ(f->TabSheet5->PageIndex(), 1);
    EXPECT_EQ(pc->ActivePage(), f->TabSheet5);
    EXPECT_EQ(pc->TabPosition(), tpBottom);
    EXPECT_FALSE(f->TabSheet4->Visible());
    EXPECT_TRUE(f->TabSheet5->Visible());
    // The pages fill the frame above the tabs.
    TRect display = pc->DisplayRect();
    EXPECT_EQ(f->TabSheet4->BoundsRect(), display);
    EXPECT_EQ(f->TabSheet5->BoundsRect(), display);
    EXPECT_EQ(display.Left, 4);
    EXPECT_EQ(display.Top, 4);
    TRect tab = pc->TabRect(0);
    EXPECT_EQ(tab.Top, display.Bottom + 4);
    EXPECT_EQ(tab.Bottom, pc->Height() - 2);
    EXPECT_EQ(pc->TabRect(1).Left, tab.Right);
    std::string text = WriteComponentText(f);
    EXPECT_NE(text.find("    ActivePage = TabSheet5\n"), std::string::npos) << text;
    EXPECT_NE(text.find("    TabPosition = tpBottom\n"), std::string::npos) << text;
    EXPECT_NE(text.find("    object TabSheet4: TTabSheet\n      Caption = '"), std::string::npos) << text;
    EXPECT_EQ(text.find("Visible"), std::string::npos) << text;
    EXPECT_EQ(text.find("\n      Left ="), std::string::npos) << text;
}

TEST_F(PageControl, AClickOnATabAsksChangesAndTells) {
    TPagesForm* f = Make();
    f->Show();
    Pump();
    TPageControl* pc = f->pgTooltype;
    ClickAt(pc, TabCentre(pc, 0));
    Pump();
    EXPECT_EQ(pc->ActivePage(), f->TabSheet4);
    EXPECT_TRUE(f->TabSheet4->Visible());
    EXPECT_FALSE(f->TabSheet5->Visible());
    EXPECT_TRUE(pc->Focused());
    EXPECT_EQ(f->events, (std::vector<std::string>{"changing TabSheet5", "change TabSheet4"}));
    // A click on the tab shown changes nothing; a refusal keeps the page.
    f->events.clear();
    ClickAt(pc, TabCentre(pc, 0));
    f->allow = false;
    ClickAt(pc, TabCentre(pc, 1));
    Pump();
    EXPECT_EQ(pc->ActivePage(), f->TabSheet4);
    EXPECT_EQ(f->events, std::vector<std::string>{"changing TabSheet4"});
    // Below the tabs and beside them is no tab.
    EXPECT_EQ(pc->IndexOfTabAt(pc->TabRect(1).Right + 5, TabCentre(pc, 1).Y), -1);
    EXPECT_EQ(pc->IndexOfTabAt(20, 20), -1);
}

TEST_F(PageControl, KeysTurnThePages) {
    TPagesForm* f = Make("tpTop");
    f->Show();
    Pump();
    TPageControl* pc = f->pgTooltype;
    pc->SetFocus();
    // The arrows move along the tabs without wrapping.
    synthetic::PressKey(VK_LEFT);
    Pump();
    EXPECT_EQ(pc->ActivePage(), f->TabSheet4);
    synthetic::PressKey(VK_LEFT);
    Pump();
    EXPECT_EQ(pc->ActivePage(), f->TabSheet4);
    synthetic::PressKey(VK_RIGHT);
    Pump();
    EXPECT_EQ(pc->ActivePage(), f->TabSheet5);
    EXPECT_TRUE(pc->Focused());
    // Ctrl+Tab from a control on a page turns to the next page, wrapping;
    // the focus leaves the page that went.
    f->dtpResumeDate->SetFocus();
    Pump();
    synthetic::PressKey(VK_TAB, {ssCtrl});
    Pump();
    EXPECT_EQ(pc->ActivePage(), f->TabSheet4);
    EXPECT_TRUE(pc->Focused());
    f->dtpBackupDate->SetFocus();
    synthetic::PressKey(VK_TAB, {ssCtrl, ssShift});
    Pump();
    EXPECT_EQ(pc->ActivePage(), f->TabSheet5);
    EXPECT_EQ(f->events.size(), 8u);
    // Tab alone still moves the focus.
    f->dtpResumeDate->SetFocus();
    synthetic::PressKey(VK_TAB);
    Pump();
    EXPECT_EQ(pc->ActivePage(), f->TabSheet5);
}

TEST_F(PageControl, CodeChangesTellNothingAndHiddenTabsAreSkipped) {
    TPagesForm* f = Make("tpTop");
    TPageControl* pc = f->pgTooltype;
    pc->SetActivePage(f->TabSheet4);
    EXPECT_EQ(pc->ActivePageIndex(), 0);
    EXPECT_TRUE(f->events.empty());
    f->TabSheet4->SetTabVisible(false);
    EXPECT_EQ(pc->ActivePage(), f->TabSheet5);
    EXPECT_EQ(f->TabSheet4->TabIndex(), -1);
    EXPECT_EQ(f->TabSheet5->TabIndex(), 0);
    EXPECT_EQ(pc->TabRect(0).Left, 2);
    EXPECT_EQ(pc->FindNextPage(f->TabSheet5, true, true), f->TabSheet5);
    f->TabSheet4->SetTabVisible(true);
    f->TabSheet5->SetPageIndex(0);
    EXPECT_EQ(pc->Pages(0), f->TabSheet5);
    // A page that goes takes its tab with it; the next one shows.
    f->TabSheet5->Free();
    EXPECT_EQ(pc->PageCount(), 1);
    EXPECT_EQ(pc->ActivePage(), f->TabSheet4);
    EXPECT_TRUE(f->TabSheet4->Visible());
    // A page control freed before its pages leaves them whole.
    pc->Free();
    EXPECT_EQ(f->TabSheet4->PageControl(), nullptr);
}

TEST_F(PageControl, TheSelectedTabStandsOutAndOpensIntoItsPage) {
    for (const char* position : {"tpTop", "tpBottom"}) {
        TPagesForm* f = Make(position);
        f->Show();
        Pump();
        TPageControl* pc = f->pgTooltype;
        bool top = pc->TabPosition() == tpTop;
        int h = pc->Height();
        TRect selected = pc->TabRect(1), other = pc->TabRect(0);
        int sx = selected.Left + selected.Width() / 2, ox = other.Left + 6;
        int edge = top ? 0 : h - 1;       // the outer row of the selected tab
        int otherEdge = top ? 2 : h - 3;  // that of the others
        // The frame line the tabs stand on (its light outer ring is the face colour above).
        int frame = top ? other.Bottom + 1 : other.Top - 1;
        TColor face = ColorToRGB(clBtnFace);
        TColor outer = top ? ColorToRGB(clBtnHighlight) : ColorToRGB(cl3DDkShadow);
        EXPECT_EQ(PixelOf(pc, sx, edge), outer) << position;
        EXPECT_EQ(PixelOf(pc, ox, edge), face) << position;
        EXPECT_EQ(PixelOf(pc, ox, otherEdge), outer) << position;
        // The frame runs under the other tab and opens under the selected one.
        EXPECT_NE(PixelOf(pc, ox, frame), face) << position;
        EXPECT_EQ(PixelOf(pc, sx, frame), face) << position;
        f->Free();
    }
}

}  // namespace
}  // namespace menvaro

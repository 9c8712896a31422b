#include <gtest/gtest.h>

#include "testsupport/UiTest.h"
#include "ui/Menus.h"
#include "ui/StdCtrls.h"

namespace menvaro {
namespace {

// A menu of four rows: 打开(&O) Ctrl+O, a line, 另存为(&A) (disabled), 关闭(&C).
class MenusTest : public ControlTest {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        menu = Create<TPopupMenu>(form);
        open = AddItem("打开(&O)", ShortCut('O', {ssCtrl}));
        AddItem("-", 0);
        saveAs = AddItem("另存为(&A)", ShortCut('S', {ssCtrl, ssShift}));
        saveAs->SetEnabled(false);
        close = AddItem("关闭(&C)", 0);
        close->SetChecked(true);
    }
    void TearDown() override {
        SetMonitorLayout({});
        ControlTest::TearDown();
    }
    TMenuItem* AddItem(const std::string& caption, TShortCut shortCut) {
        auto* item = Create<TMenuItem>(form);
        item->SetCaption(caption);
        item->SetShortCut(shortCut);
        item->OnClick = [this](TObject* sender) { clicked.push_back(static_cast<TMenuItem*>(sender)); };
        menu->Items()->Add(item);
        return item;
    }
    // Shows the menu at (x, y) from an idle moment; `then` runs while it shows.
    void PopupWhile(int x, int y, std::deque<std::function<void()>> then) {
        then.push_front([this, x, y] {
            menu->Popup(x, y);
            closed = true;
        });
        Steps(std::move(then));
        while (!closed) Application->HandleMessage();
        Pump();
    }
    TPopupMenu* menu = nullptr;
    TMenuItem *open = nullptr, *saveAs = nullptr, *close = nullptr;
    std::vector<TMenuItem*> clicked;
    bool closed = false;
};

TEST_F(MenusTest, TheKeysMoveThroughTheItemsAndEnterChoosesOneOnceTheMenuHasClosed) {
    for (int vk : {VK_DOWN, VK_DOWN, VK_DOWN, VK_UP, VK_END, VK_RETURN}) synthetic::PressKey(vk);
    menu->Popup(150, 150);
    // The click comes as the menu's command, after Popup returns.
    EXPECT_TRUE(clicked.empty());
    EXPECT_EQ(menu->PopupWindow(), nullptr);
    Pump();
    ASSERT_EQ(clicked.size(), 1u);
    EXPECT_EQ(clicked[0], close);
}

TEST_F(MenusTest, EnterOnADisabledItemChoosesNothingAndEscDismisses) {
    // Down, Down passes the line to the disabled item.
    for (int vk : {VK_DOWN, VK_DOWN, VK_RETURN, VK_ESCAPE}) synthetic::PressKey(vk);
    menu->Popup(150, 150);
    Pump();
    EXPECT_TRUE(clicked.empty());
}

TEST_F(MenusTest, AnAcceleratorChoosesItsItem) {
    synthetic::TypeText("c");
    menu->Popup(150, 150);
    Pump();
    ASSERT_EQ(clicked.size(), 1u);
    EXPECT_EQ(clicked[0], close);
    // The disabled item's letter does nothing; Alt dismisses.
    clicked.clear();
    synthetic::TypeText("a");
    synthetic::PressKey(VK_MENU);
    menu->Popup(150, 150);
    Pump();
    EXPECT_TRUE(clicked.empty());
}

TEST_F(MenusTest, TheMouseHighlightsAndAReleaseOnAnItemChoosesIt) {
    PopupWhile(150, 150,
               {[&] {
                    TWinControl* w = menu->PopupWindow();
                    ASSERT_NE(w, nullptr);
                    EXPECT_TRUE(w->Showing());
                    EXPECT_EQ(w->BoundsRect().TopLeft(), (TPoint{150, 150}));
                    synthetic::MouseMove(w->ClientToScreen({30, 6}));
                },
                [&] {
                    TWinControl* w = menu->PopupWindow();
                    EXPECT_EQ(Rgb(PixelOfWindow(w, 30, 6)), Rgb(clHighlight));
                    synthetic::Click(w->ClientToScreen({30, 6}));
                }});
    ASSERT_EQ(clicked.size(), 1u);
    EXPECT_EQ(clicked[0], open);
}

TEST_F(MenusTest, AClickElsewhereDismissesAndGoesOnBeforeWhatIsPostedAfterTheMenu) {
    auto* button = Put<TButton>(20, 200, 80, 25);
    std::vector<std::string> order;
    button->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { order.push_back("press"); };
    int clicks = 0;
    button->OnClick = [&](TObject*) { ++clicks; };
    // Posted once the menu is gone, as an edit posts its release notice.
    HWND sink = AllocateHWnd([&](TMessage& m) {
        if (m.Msg == WM_USER + 7) order.push_back("posted");
    });
    Steps({[&] {
               menu->Popup(150, 150);
               PostMessage(sink, WM_USER + 7);
               closed = true;
           },
           [&] { synthetic::Click(Centre(button)); }});
    while (!closed) Application->HandleMessage();
    Pump();
    EXPECT_EQ(order, (std::vector<std::string>{"press", "posted"}));
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(clicked.empty());
    DeallocateHWnd(sink);
}

TEST_F(MenusTest, ShortcutsWorkFromTheControlThatNamesTheMenuOrFromInsideIt) {
    auto* edit = Put<TEdit>(20, 60, 100, 21);
    form->SetPopupMenu(menu);
    edit->SetFocus();
    Pump();
    Press('O', {ssCtrl});
    ASSERT_EQ(clicked.size(), 1u);
    EXPECT_EQ(clicked[0], open);
    // A disabled item's shortcut is not taken.
    Press('S', {ssCtrl, ssShift});
    EXPECT_EQ(clicked.size(), 1u);
    saveAs->SetEnabled(true);
    Press('S', {ssCtrl, ssShift});
    EXPECT_EQ(clicked.size(), 2u);
    // Hidden items keep their shortcuts to themselves.
    open->SetVisible(false);
    Press('O', {ssCtrl});
    EXPECT_EQ(clicked.size(), 2u);
    // The menu going takes itself out of the control.
    menu->Free();
    menu = nullptr;
    EXPECT_EQ(form->PopupMenu(), nullptr);
    Press('O', {ssCtrl});
}

TEST_F(MenusTest, ARightClickShowsTheControlsMenuForIt) {
    auto* button = Put<TButton>(20, 200, 80, 25);
    button->SetPopupMenu(menu);
    int popups = 0;
    menu->OnPopup = [&](TObject*) { ++popups; };
    Steps({[&] { synthetic::Click(Centre(button), 2); },
           [&] {
               ASSERT_NE(menu->PopupWindow(), nullptr);
               EXPECT_EQ(menu->PopupComponent(), button);
               EXPECT_EQ(menu->PopupWindow()->BoundsRect().TopLeft(), Centre(button));
               synthetic::PressKey(VK_ESCAPE);
           }});
    while (!StepsDone() || menu->PopupWindow()) Application->HandleMessage();
    Pump();
    EXPECT_EQ(popups, 1);
    EXPECT_TRUE(clicked.empty());
    // OnContextPopup can take the click instead.
    button->OnContextPopup = [](TObject*, TPoint, bool& handled) { handled = true; };
    synthetic::Click(Centre(button), 2);
    synthetic::PressKey(VK_ESCAPE);  // for a menu that should not be there
    Pump();
    EXPECT_EQ(popups, 1);
}

TEST_F(MenusTest, AMenuStaysOnTheWorkAreaOfTheMonitorItOpensOn) {
    SetMonitorLayout({{Bounds(0, 0, 800, 600), Bounds(0, 0, 800, 560), true},
                      {Bounds(800, 0, 640, 480), Bounds(800, 0, 640, 450), false}});
    struct Case {
        TPoint at;
        TPopupAlignment alignment;
        bool left, up;  // opened to the left of / above the point
    };
    for (Case c : {Case{{100, 100}, paLeft, false, false}, Case{{790, 100}, paLeft, true, false},
                   Case{{100, 550}, paLeft, false, true}, Case{{1430, 440}, paLeft, true, true},
                   Case{{820, 100}, paRight, false, false}, Case{{500, 100}, paRight, true, false}}) {
        menu->SetAlignment(c.alignment);
        TRect shown;
        closed = false;
        PopupWhile(c.at.X, c.at.Y, {[&] {
                       shown = menu->PopupWindow()->BoundsRect();
                       synthetic::PressKey(VK_ESCAPE);
                   }});
        ASSERT_FALSE(shown.IsEmpty());
        EXPECT_EQ(c.left ? shown.Right : shown.Left, c.at.X) << c.at.X << "," << c.at.Y;
        EXPECT_EQ(c.up ? shown.Bottom : shown.Top, c.at.Y) << c.at.X << "," << c.at.Y;
        TMonitorInfo mi;
        GetMonitorInfo(MonitorFromPoint(c.at, MONITOR_DEFAULTTONEAREST), mi);
        TRect inside;
        IntersectRect(inside, shown, mi.rcWork);
        EXPECT_EQ(inside, shown);
    }
    EXPECT_EQ(Screen->MonitorWorkAreaFromRect(Bounds(1000, 10, 10, 10)), Bounds(800, 0, 640, 450));
    EXPECT_EQ(Screen->MonitorWorkAreaFromRect(Bounds(780, 10, 100, 10)), Bounds(800, 0, 640, 450));
    EXPECT_EQ(Screen->MonitorCount(), 2);
}

TEST_F(MenusTest, ItemsNestInTheirMenuInAFormFile) {
    auto* f = FormFromText(R"(object F: TForm
  object pm: TPopupMenu
    Alignment = paRight
    object miOpen: TMenuItem
      Caption = 'Open'
      ShortCut = 16463
    end
    object miLine: TMenuItem
      Caption = '-'
    end
    object miQuit: TMenuItem
      Caption = 'Quit'
      Enabled = False
    end
  end
  object ed: TEdit
    PopupMenu = pm
  end
end)",
                           "menu.form");
    auto* pm = Part<TPopupMenu>(f, "pm");
    ASSERT_NE(pm, nullptr);
    ASSERT_EQ(pm->Items()->Count(), 3);
    EXPECT_EQ(pm->Items()->Items(0)->ShortCut(), ShortCut('O', {ssCtrl}));
    EXPECT_TRUE(pm->Items()->Items(1)->IsLine());
    EXPECT_FALSE(pm->Items()->Items(2)->Enabled());
    EXPECT_EQ(pm->Alignment(), paRight);
    EXPECT_EQ(Part<TEdit>(f, "ed")->PopupMenu(), pm);
    EXPECT_EQ(pm->Items()->Find("QUIT"), pm->Items()->Items(2));
    // An item freed leaves its menu.
    Part<TMenuItem>(f, "miLine")->Free();
    EXPECT_EQ(pm->Items()->Count(), 2);
}

TEST(ShortCutText, NamesKeysWithTheirShiftState) {
    struct Case {
        TShortCut shortCut;
        const char* text;
    };
    for (Case c : {Case{0x404F, "Ctrl+O"},
                   {32808, "Alt+Down"},
                   {0x2000 | VK_DELETE, "Shift+Del"},
                   {VK_F1 + 1, "F2"},
                   {0xC000 | VK_RETURN, "Ctrl+Alt+Enter"},
                   {0x6000 | 'S', "Shift+Ctrl+S"},
                   {0, ""}}) {
        EXPECT_EQ(ShortCutToText(c.shortCut), c.text);
        if (c.shortCut) {
            EXPECT_EQ(TextToShortCut(c.text), c.shortCut) << c.text;
        }
    }
    EXPECT_EQ(TextToShortCut("ctrl+o"), 0x404F);
    EXPECT_EQ(TextToShortCut("Ctrl+"), 0);
    EXPECT_EQ(TextToShortCut("Hyper+X"), 0);
}

}  // namespace
}  // namespace menvaro

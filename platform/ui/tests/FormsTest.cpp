#include <gtest/gtest.h>

#include "base/Files.h"
#include "classes/FormWriter.h"
#include "gfx/Bitmap.h"
#include "testsupport/TempDir.h"
#include "testsupport/TestControls.h"
#include "testsupport/UiTest.h"
#include "ui/Backend.h"
#include "ui/Clipboard.h"
#include "ui/UiScript.h"

namespace menvaro {
namespace {

class Forms : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        TestLog().clear();
    }
    static TTestForm* Make() { return Create<TTestForm>(Application); }
    static std::vector<std::string> LogOf(std::initializer_list<const char*> names) {
        std::vector<std::string> out;
        for (const std::string& s : TestLog())
            for (const char* n : names)
                if (s.rfind(std::string(n) + " ", 0) == 0) out.push_back(s);
        return out;
    }
};

TEST_F(Forms, ResourceMakesTheComponentsAlignsAndPlacesTheForm) {
    TTestForm* f = Make();
    EXPECT_EQ(f->events, std::vector<std::string>{"create with buttons"});
    ASSERT_NE(f->Box1, nullptr);
    EXPECT_EQ(f->Box1->Parent(), f->Top1);
    EXPECT_EQ(f->Caption(), "测试窗口");
    // A dialog frame (3) and caption (19) around a 200 x 150 client area.
    EXPECT_EQ(f->Width(), 206);
    EXPECT_EQ(f->Height(), 175);
    EXPECT_EQ(f->ClientWidth(), 200);
    EXPECT_EQ(f->btnOk->TabOrder(), 0);
    EXPECT_EQ(f->Edit1->TabOrder(), 1);
    EXPECT_EQ(f->btnCancel->TabOrder(), 2);
    f->Show();
    Pump();
    // Centred on the 1024 x 768 screen when shown.
    EXPECT_EQ(f->Left(), (1024 - 206) / 2);
    EXPECT_EQ(f->Top(), (768 - 175) / 2);
    EXPECT_EQ(f->Top1->Width(), 200);
    // Growing the form keeps the anchored button at its distance from the corner.
    f->SetClientWidth(300);
    f->SetClientHeight(200);
    EXPECT_EQ(f->Top1->Width(), 300);
    EXPECT_EQ(f->btnCancel->Left(), 210);
    EXPECT_EQ(f->btnCancel->Top(), 150);
    EXPECT_EQ(f->btnOk->Left(), 10);
    // The non-visual component keeps its design position.
    EXPECT_EQ(f->Timer1->DesignLeft, 150);
}

TEST_F(Forms, WrittenFormReadsBackTheSame) {
    TTestForm* f = Make();
    std::string text = WriteComponentText(f);
    EXPECT_NE(text.find("  ClientWidth = 200\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("\n  Width = "), std::string::npos) << text;  // the client size is what a form stores
    EXPECT_NE(text.find("    Anchors = [akRight, akBottom]\n"), std::string::npos) << text;
    EXPECT_NE(text.find("    ModalResult = mrOk\n"), std::string::npos) << text;
    EXPECT_NE(text.find("  object Timer1: TTimer\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("    Font."), std::string::npos) << text;  // parent fonts are not stored
}

TEST_F(Forms, FocusChangesComeInTheClassLibrarysOrder) {
    TTestForm* f = Make();
    f->Show();
    Pump();
    // The first control in tab order got the focus on activation.
    EXPECT_EQ(f->ActiveControl(), f->btnOk);
    EXPECT_TRUE(f->btnOk->Focused());
    TestLog().clear();
    synthetic::PressKey(VK_TAB);
    Pump();
    EXPECT_TRUE(f->Edit1->Focused());
    EXPECT_EQ(LogOf({"btnOk", "Edit1", "btnCancel", "Top1"}),
              (std::vector<std::string>{"btnOk killfocus", "Edit1 setfocus", "btnOk exit", "Edit1 enter",
                                        "Top1 focuschanged Edit1", "Edit1 focuschanged Edit1",
                                        "btnOk focuschanged Edit1", "btnCancel focuschanged Edit1"}));
    synthetic::PressKey(VK_TAB, {ssShift});
    Pump();
    EXPECT_TRUE(f->btnOk->Focused());
    // The edit wants characters: a letter goes to it, not to a button's accelerator.
    f->Edit1->SetFocus();
    synthetic::TypeText("oK中");
    Pump();
    EXPECT_EQ(f->Edit1->Text(), "oK中");
    EXPECT_TRUE(LogOf({"btnOk"}).empty() || LogOf({"btnOk"}).back() != "btnOk click");
}

TEST_F(Forms, TheScreenLetsGoOfAFocusedControlThatIsFreedWhileItsFormIsHidden) {
    TTestForm* f = Make();
    f->Show();
    Pump();
    f->Edit1->SetFocus();
    Pump();
    ASSERT_EQ(Screen->ActiveControl(), f->Edit1);
    f->Hide();
    Pump();
    TWinControl* gone = f->Edit1;
    gone->Free();
    EXPECT_NE(Screen->ActiveControl(), gone);
}

TEST_F(Forms, AltAndTheAcceleratorClickTheButton) {
    TTestForm* f = Make();
    f->Show();
    Pump();
    f->Edit1->SetFocus();
    TestLog().clear();
    synthetic::PressKey('O', {ssAlt});
    Pump();
    EXPECT_EQ(LogOf({"btnOk"}).back(), "btnOk click");
}

TEST_F(Forms, FontAndColourFollowTheParentUntilSetOwn) {
    TTestForm* f = Make();
    f->Font()->SetName("宋体");
    f->Font()->SetHeight(-16);
    EXPECT_EQ(f->Edit1->Font()->Name(), "宋体");
    EXPECT_EQ(f->Box1->Font()->Height(), -16);  // through the panel
    f->btnOk->Font()->SetColor(clRed);          // its own font now
    f->Font()->SetHeight(-20);
    EXPECT_EQ(f->Edit1->Font()->Height(), -20);
    EXPECT_EQ(f->btnOk->Font()->Height(), -16);
    EXPECT_FALSE(f->btnOk->ParentFont());
    f->Edit1->SetParentColor(true);
    EXPECT_EQ(f->Edit1->Color(), f->Color());
    f->SetColor(clYellow);
    EXPECT_EQ(f->Edit1->Color(), clYellow);
    EXPECT_TRUE(f->Edit1->ParentColor());
    EXPECT_EQ(f->btnCancel->Color(), clBtnFace);
}

TEST_F(Forms, AutoSizeFitsTheChildrenAndPositionsFollowTheMainForm) {
    TForm* main = Create<TForm>(Application);
    main->SetBounds(100, 100, 400, 300);
    main->Show();
    Pump();
    ASSERT_EQ(Application->MainForm(), nullptr);  // made with Create, not CreateForm
    TTestForm* f = Make();
    f->SetAutoSize(true);
    EXPECT_EQ(f->ClientWidth(), 200);   // the panel is as wide as the form
    EXPECT_EQ(f->ClientHeight(), 125);  // the buttons' bottom edge
    f->SetPosition(poOwnerFormCenter);
    f->Show();
    Pump();
    // No owning form and no main form: the screen's centre.
    EXPECT_EQ(f->Left(), (1024 - f->Width()) / 2);
    main->Free();
}

TEST_F(Forms, AChildWindowMadeTopLevelKeepsItsPlaceOnTheScreen) {
    // What a drop-down list does: a child of the edit whose window becomes a
    // top-level one, placed in screen coordinates.
    TTestForm* f = Make();
    f->Show();
    Pump();
    auto* list = Create<TTestPanel>(f);
    list->SetParent(f->Edit1);
    list->SetBounds(0, 21, 120, 60);
    HWND h = list->Handle();
    SetWindowLong(h, GWL_EXSTYLE, WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
    SetWindowLong(h, GWL_STYLE, (GetWindowLong(h, GWL_STYLE) & ~WS_CHILD) | WS_POPUP);
    TPoint below = f->Edit1->ClientToScreen({0, 21});
    SetParent(h, 0);
    EXPECT_EQ(GetParent(h), 0u);
    EXPECT_EQ(list->Left(), below.X);  // the bounds follow the window: screen now
    EXPECT_EQ(list->ClientOrigin(), below);
    list->SetBounds(10, 700, 120, 60);  // kept inside the work area by the caller
    TRect r;
    GetWindowRect(h, r);
    EXPECT_EQ(r.TopLeft(), (TPoint{10, 700}));
    ASSERT_NE(GetWindowSurface(h), nullptr);
    EXPECT_EQ(GetWindowSurface(h)->Width(), 120);
    Clipboard().SetAsText("复制");
    EXPECT_EQ(Clipboard().AsText(), "复制");
}

TEST_F(Forms, TheWheelTurnsAtTheFocusAndClimbsToItsParents) {
    TTestForm* f = Make();
    f->Show();
    Pump();
    f->Edit1->SetFocus();
    std::vector<std::string> seen;
    f->OnMouseWheel = [&](TObject*, TShiftState, int delta, TPoint, bool& handled) {
        seen.push_back("form " + std::to_string(delta));
        handled = true;
    };
    synthetic::MouseMove(Centre(f->btnOk));  // the pointer elsewhere: the focus still gets it
    synthetic::Wheel(-1);
    Pump();
    f->Edit1->OnMouseWheel = [&](TObject*, TShiftState, int delta, TPoint, bool& handled) {
        seen.push_back("edit " + std::to_string(delta));
        handled = true;
    };
    synthetic::Wheel(2);
    Pump();
    EXPECT_EQ(seen, (std::vector<std::string>{"form -120", "edit 240"}));
}

TEST_F(Forms, CursorsComeFromTheScreenElseTheControlUnderThePointer) {
    TTestForm* f = Make();
    f->Box1->SetCursor(crHandPoint);
    f->Show();
    Pump();
    synthetic::MouseMove(Centre(f->Box1));
    Pump();
    EXPECT_EQ(GetCurrentCursor(), crHandPoint);
    synthetic::MouseMove(Centre(f->Edit1));
    Pump();
    EXPECT_EQ(GetCurrentCursor(), crArrow);
    Screen->SetCursor(crHourGlass);
    synthetic::MouseMove(Centre(f->Box1));
    Pump();
    EXPECT_EQ(GetCurrentCursor(), crHourGlass);
    Screen->SetCursor(crDefault);
}

TEST_F(Forms, BorderStylesMakeTheirFrames) {
    struct Case {
        TFormBorderStyle style;
        TBorderIcons icons;
        std::uint32_t has;
        std::uint32_t hasNot;
        int frameWidth;  // window width less client width
    };
    for (Case c :
         {Case{bsNone, {biSystemMenu}, WS_POPUP, WS_CAPTION | WS_SYSMENU, 0},
          Case{bsDialog, {biSystemMenu, biMinimize}, WS_CAPTION | WS_SYSMENU, WS_MINIMIZEBOX | WS_THICKFRAME, 6},
          Case{bsSingle, {biSystemMenu, biMinimize}, WS_CAPTION | WS_MINIMIZEBOX, WS_THICKFRAME, 6},
          Case{bsSizeable, {}, WS_CAPTION | WS_THICKFRAME, WS_SYSMENU, 8}}) {
        TForm* f = Create<TForm>(Application);
        f->SetBorderStyle(c.style);
        f->SetBorderIcons(c.icons);
        f->SetClientWidth(200);
        f->SetClientHeight(100);
        f->Show();
        Pump();
        std::uint32_t style = GetWindowLong(f->WindowHandle(), GWL_STYLE);
        EXPECT_EQ(style & c.has, c.has) << c.style;
        EXPECT_EQ(style & c.hasNot, 0u) << c.style;
        EXPECT_EQ(f->Width() - f->ClientWidth(), c.frameWidth) << c.style;
        // The surface is what this program paints: the client area of a
        // window the desktop frames, the whole of one without a caption.
        EXPECT_EQ(GetWindowSurface(f->WindowHandle())->Width(), c.style == bsNone ? f->Width() : 200);
        f->Free();
    }
}

TEST_F(Forms, OnExitThatMovesTheFocusStopsTheEnterChain) {
    TTestForm* f = Make();
    f->Show();
    Pump();
    f->Edit1->SetFocus();
    f->Edit1->OnExit = [f](TObject*) { f->Edit1->SetFocus(); };  // refuses to let go
    TestLog().clear();
    f->btnCancel->SetFocus();
    Pump();
    EXPECT_TRUE(f->Edit1->Focused());
    for (const std::string& s : TestLog()) EXPECT_NE(s, "btnCancel enter");
}

TEST_F(Forms, EnterAndEscapeReachTheDefaultAndCancelButtons) {
    struct Case {
        int key;
        TModalResult result;
    };
    for (Case c : {Case{VK_RETURN, mrOk}, Case{VK_ESCAPE, mrCancel}}) {
        TTestForm* f = Make();
        bool pressed = false;
        Application->IdleHook = [&](bool&) {
            if (!pressed && f->Active()) {
                pressed = true;
                synthetic::PressKey(c.key);
            }
        };
        EXPECT_EQ(f->ShowModal(), c.result);
        EXPECT_FALSE(f->Visible());
        f->Free();
    }
}

TEST_F(Forms, ModalLoopDisablesOtherWindowsAndEndsByClose) {
    TTestForm* owner = Make();
    owner->Show();
    Pump();
    TTestForm* dialog = Make();
    bool sawDisabled = false;
    dialog->onActivate = [&] {
        sawDisabled = !IsWindowEnabled(owner->WindowHandle());
        PostMessage(dialog->Handle(), WM_CLOSE);  // the busy window's pattern
    };
    EXPECT_EQ(dialog->ShowModal(), mrCancel);
    EXPECT_TRUE(sawDisabled);
    EXPECT_EQ(dialog->activations, 1);
    EXPECT_EQ(dialog->events, (std::vector<std::string>{"create with buttons", "activate", "close"}));
    EXPECT_TRUE(IsWindowEnabled(owner->WindowHandle()));
    EXPECT_EQ(GetActiveWindow(), owner->WindowHandle());  // the previous window is active again
}

TEST_F(Forms, AJobThatRaisesInsideTheModalLoopStillGivesControlBack) {
    TTestForm* owner = Make();
    owner->Show();
    Pump();
    TTestForm* dialog = Make();
    std::vector<std::string> shown;
    auto previous = Application->SetHandleExceptionHook([&](TObject*, std::exception_ptr e) {
        try {
            std::rethrow_exception(e);
        } catch (const std::exception& x) {
            shown.push_back(x.what());
        }
    });
    dialog->onActivate = [] { throw EInvalidOperation("job failed"); };
    // The exception reaches the handler; the loop goes on until the form is closed.
    bool closed = false;
    Application->IdleHook = [&](bool&) {
        if (!closed) {
            closed = true;
            PostMessage(dialog->Handle(), WM_CLOSE);
        }
    };
    EXPECT_EQ(dialog->ShowModal(), mrCancel);
    EXPECT_EQ(shown, std::vector<std::string>{"job failed"});
    EXPECT_TRUE(IsWindowEnabled(owner->WindowHandle()));
    EXPECT_FALSE(previous);
    Application->SetHandleExceptionHook(nullptr);
}

TEST_F(Forms, AModalFormWhoseOnHideRaisesStillGivesTheOtherWindowsBack) {
    TTestForm* owner = Make();
    owner->Show();
    Pump();
    TTestForm* dialog = Make();
    dialog->onActivate = [&] { PostMessage(dialog->Handle(), WM_CLOSE); };
    dialog->OnHide = [](TObject*) { throw EInvalidOperation("hide failed"); };
    EXPECT_THROW(dialog->ShowModal(), EInvalidOperation);
    EXPECT_FALSE(IsWindowVisible(dialog->WindowHandle()));
    EXPECT_TRUE(IsWindowEnabled(owner->WindowHandle()));
    EXPECT_EQ(GetActiveWindow(), owner->WindowHandle());
    EXPECT_EQ(Application->ModalLevel(), 0);
}

TEST_F(Forms, NestedModalLoopsEndInnerFirst) {
    TTestForm* outer = Make();
    std::vector<std::string> order;
    outer->onOk = [&] {
        Application->IdleHook = [&](bool&) {
            if (TComponent* ok = FindScriptComponent("OK")) {
                Application->IdleHook = nullptr;
                synthetic::Click(Centre(static_cast<TControl*>(ok)));
            }
        };
        order.push_back("box " + std::to_string(Application->MessageBox("你好", "提示", MB_OKCANCEL)));
    };
    bool clicked = false;
    Application->IdleHook = [&](bool&) {
        if (!clicked && outer->Active()) {
            clicked = true;
            synthetic::Click(Centre(outer->btnOk));
        }
    };
    order.push_back("outer " + std::to_string(outer->ShowModal()));
    EXPECT_EQ(order, (std::vector<std::string>{"box 1", "outer 1"}));
}

TEST_F(Forms, MessageBoxAnswersByItsButtons) {
    struct Case {
        UINT flags;
        int key;
        int answer;
    };
    for (Case c : {Case{MB_OK, VK_ESCAPE, IDOK}, Case{MB_OKCANCEL, VK_ESCAPE, IDCANCEL},
                   Case{MB_YESNO, VK_RETURN, IDYES}, Case{MB_YESNO | MB_DEFBUTTON2, VK_RETURN, IDNO}}) {
        bool pressed = false;
        Application->IdleHook = [&](bool&) {
            if (!pressed && Screen->ActiveForm() && Screen->ActiveForm()->FindComponent("Message")) {
                pressed = true;
                synthetic::PressKey(c.key);
            }
        };
        EXPECT_EQ(Application->MessageBox("确认删除?", "确认", c.flags | MB_ICONQUESTION), c.answer) << c.flags;
    }
}

TEST_F(Forms, MouseEnterAndLeaveFollowThePointer) {
    TTestForm* f = Make();
    f->Show();
    Pump();
    TestLog().clear();
    synthetic::MouseMove(Centre(f->Box1));
    synthetic::MouseMove(f->Top1->ClientToScreen({150, 15}));
    synthetic::MouseMove(Centre(f->btnOk));
    synthetic::MouseMove({2, 2});  // off the window
    Pump();
    EXPECT_EQ(LogOf({"Box1", "Top1", "btnOk"}),
              (std::vector<std::string>{"Box1 mouseenter", "Box1 mouseleave", "Top1 mouseenter", "Top1 mouseleave",
                                        "btnOk mouseenter", "btnOk mouseleave"}));
}

TEST_F(Forms, CaptureKeepsTheMouseAndAReleaseOutsideIsNoClick) {
    TTestForm* f = Make();
    f->Show();
    Pump();
    int moves = 0;
    f->btnCancel->OnMouseMove = [&](TObject*, TShiftState, int, int) { ++moves; };
    TestLog().clear();
    synthetic::MouseMove(Centre(f->btnCancel));
    synthetic::MouseDown();
    Pump();
    EXPECT_EQ(GetCaptureControl(), f->btnCancel);
    moves = 0;
    synthetic::MouseMove(Centre(f->Edit1));  // still the button's
    synthetic::MouseUp();
    Pump();
    EXPECT_EQ(moves, 1);
    EXPECT_EQ(GetCaptureControl(), nullptr);
    EXPECT_TRUE(LogOf({"btnCancel"}).empty() || LogOf({"btnCancel"}).back() != "btnCancel click");
    synthetic::Click(Centre(f->btnCancel));
    Pump();
    EXPECT_EQ(LogOf({"btnCancel"}).back(), "btnCancel click");
}

TEST_F(Forms, TimerTicksOnTheHeadlessClock) {
    TTestForm* f = Make();
    f->Timer1->SetEnabled(true);
    std::uint32_t start = GetTickCount();
    while (f->ticks < 3) Application->HandleMessage();
    EXPECT_EQ(GetTickCount() - start, 300u);
    f->Timer1->SetEnabled(false);
    f->Timer1->SetInterval(50);  // no ticks while disabled
    synthetic::AdvanceTime(500);
    Pump();
    EXPECT_EQ(f->ticks, 3);
}

TEST_F(Forms, ATimerMadeInCodeRunsWhileEnabled) {
    TTestForm* f = Make();
    auto* timer = Create<TTimer>(f);
    int ticks = 0;
    timer->OnTimer = [&](TObject*) { ++ticks; };
    ASSERT_TRUE(timer->Enabled());
    for (int i = 0; i < 3; ++i) {
        synthetic::AdvanceTime(timer->Interval());
        Pump();
    }
    EXPECT_EQ(ticks, 3);
}

TEST_F(Forms, WindowlessChildrenArePaintedByTheirParentClipped) {
    TTestForm* f = Make();
    // A box that reaches past its panel is cut at the panel's edge; a
    // windowed control above a box hides it; a window region lets the
    // parent show through its corners.
    auto* wide = Create<TTestBox>(f);
    wide->SetParent(f->Top1);
    wide->SetBounds(150, 20, 20, 20);
    wide->SetColor(clLime);
    auto* under = Create<TTestBox>(f);
    under->SetParent(f);
    under->SetBounds(100, 40, 30, 30);
    under->SetColor(clFuchsia);
    f->Show();
    Pump();
    SetWindowRgn(f->btnOk->Handle(), CreateEllipticRgn(0, 0, 75, 25), true);
    Pump();
    const TBitmap* s = GetWindowSurface(f->WindowHandle());
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(SurfacePixel(f->Box1, 10, 10), clRed);
    EXPECT_EQ(SurfacePixel(f->Top1, 5, 5), clWhite);
    EXPECT_EQ(SurfacePixel(wide, 5, 5), clLime);
    EXPECT_EQ(s->Pixel(155, 29), clLime);                 // the panel's last row
    EXPECT_EQ(s->Pixel(155, 30), ColorToRGB(clBtnFace));  // below the panel: the form, not the box
    EXPECT_EQ(SurfacePixel(under, 5, 25), ColorToRGB(clFuchsia));
    EXPECT_EQ(SurfacePixel(under, 25, 5), ColorToRGB(clWindow));  // the edit lies above the box
    EXPECT_EQ(SurfacePixel(f->btnOk, 37, 12), f->btnOk->Focused() ? clNavy : ColorToRGB(clBtnFace));
    EXPECT_EQ(SurfacePixel(f->btnOk, 0, 0), ColorToRGB(clBtnFace));  // a corner outside the region: the form
    // Repainting one box repaints only what it covers.
    f->Box1->SetColor(clBlue);
    Pump();
    EXPECT_EQ(SurfacePixel(f->Box1, 10, 10), clBlue);
}

TEST_F(Forms, ExceptionInAHandlerGoesToTheMessageBox) {
    Application->OnException = nullptr;  // the application's own message box, this once
    TTestForm* f = Make();
    f->Show();
    Pump();
    f->btnCancel->OnClick = [](TObject*) { throw EInvalidOperation("磁盘已满"); };
    std::string text;
    Application->IdleHook = [&](bool&) {
        if (TComponent* m = FindScriptComponent("Message")) {
            text = static_cast<TControl*>(m)->Caption();
            synthetic::PressKey(VK_RETURN);
        }
    };
    synthetic::Click(Centre(f->btnCancel));
    for (int i = 0; i < 50 && text.empty(); ++i) Application->HandleMessage();
    EXPECT_EQ(text, "磁盘已满.");
}

TEST_F(Forms, CreateFormSetsTheReferenceBeforeOnCreate) {
    static TTestForm* ref = nullptr;
    TTestForm* seen = nullptr;
    Application->CreateForm(ref);
    seen = ref;
    ASSERT_NE(seen, nullptr);
    EXPECT_EQ(Application->MainForm(), seen);
    EXPECT_EQ(seen->Owner(), Application);
    seen->Free();
    EXPECT_EQ(Application->MainForm(), nullptr);
    ref = nullptr;
}

TEST_F(Forms, UiScriptDrivesTheFormEndToEnd) {
    TTestForm* f = Make();
    f->Show();
    Pump();
    const test::TempDir dir("forms");
    std::string png = dir.path() + "ui_script_shot.png";
    std::string text =
        "# drive the test form\n"
        "type Edit1 \"ab中\"\n"
        "expect Edit1 text \"ab中\"\n"
        "expect TestForm.btnOk enabled true\n"
        "press Tab\n"
        "wait 250\n"
        "screenshot TestForm \"" +
        png +
        "\"\n"
        "click btnCancel\n"
        "expect btnCancel visible true\n";
    std::vector<std::string> errors;
    bool ended = false;
    StartUiScript(
        *Application, ParseUiScript(text, "drive.txt"), [&](const std::string& e) { errors.push_back(e); },
        [&] { ended = true; });
    for (int i = 0; i < 200 && !ended && errors.empty(); ++i) Application->HandleMessage();
    EXPECT_TRUE(ended);
    // The program still runs when the script ends: that is reported.
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "drive.txt: the script ended while the program still runs");
    EXPECT_EQ(f->Edit1->Text(), "ab中");
    EXPECT_TRUE(f->btnCancel->Focused());
    EXPECT_EQ(LogOf({"btnCancel"}).back(), "btnCancel click");
    ExpectPng(png, 200, 150);  // the client area of the window
}

TEST_F(Forms, UiScriptErrorsNameTheLine) {
    struct Case {
        const char* text;
        const char* message;
    };
    for (Case c : {Case{"clik btnOk\n", "s.txt:1: unknown command 'clik'"},
                   Case{"\nclick\n", "s.txt:2: 'click' takes 1 argument"},
                   Case{"type Edit1 abc\n", "s.txt:1: type takes the text as a \"string\""},
                   Case{"expect btnOk colour red\n", "s.txt:1: expect checks text, enabled or visible, not 'colour'"},
                   Case{"wait soon\n", "s.txt:1: wait takes 'idle' or milliseconds"},
                   Case{"type \"open\n", "s.txt:1: a string without its closing quote"}}) {
        try {
            ParseUiScript(c.text, "s.txt");
            FAIL() << c.text;
        } catch (const EUiScriptError& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
    }
    TTestForm* f = Make();
    f->Show();
    Pump();
    std::vector<std::string> errors;
    StartUiScript(*Application, ParseUiScript("expect btnOk text \"OK\"\nclick btnNowhere\n", "run.txt"),
                  [&](const std::string& e) { errors.push_back(e); });
    for (int i = 0; i < 20 && errors.empty(); ++i) Application->HandleMessage();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "run.txt:1: expected btnOk text \"OK\", found \"&OK\"");
}

}  // namespace
}  // namespace menvaro

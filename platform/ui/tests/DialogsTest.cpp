#include <string>
#include <vector>

#include "testsupport/UiTest.h"
#include "ui/DialogParts.h"
#include "ui/Dialogs.h"

namespace menvaro {
namespace {

class Dialogs : public UiTest {};

const TMsgDlgBtn kAllKinds[] = {mbYes,    mbNo,  mbOK,      mbCancel,   mbAbort, mbRetry,
                                mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp};

TMsgDlgButtons AllButtons() {
    TMsgDlgButtons all;
    for (TMsgDlgBtn k : kAllKinds) all += k;
    return all;
}

TEST_F(Dialogs, EachButtonIsFoundByItsNameAndClosesWithItsResult) {
    struct Case {
        TMsgDlgBtn kind;
        const char* name;
        const char* caption;
        TModalResult result;
    };
    const Case cases[] = {
        {mbYes, "Yes", "&Yes", mrYes},
        {mbNo, "No", "&No", mrNo},
        {mbOK, "OK", "OK", mrOk},
        {mbCancel, "Cancel", "Cancel", mrCancel},
        {mbAbort, "Abort", "&Abort", mrAbort},
        {mbRetry, "Retry", "&Retry", mrRetry},
        {mbIgnore, "Ignore", "&Ignore", mrIgnore},
        {mbAll, "All", "&All", mrAll},
        {mbNoToAll, "NoToAll", "N&o to All", mrNoToAll},
        {mbYesToAll, "YesToAll", "Yes to &All", mrYesToAll},
    };
    for (const Case& c : cases) {
        TOwned<TMessageForm> d(CreateMessageDialog("选择一个按钮", mtConfirmation, AllButtons()));
        for (TMsgDlgBtn k : kAllKinds) ASSERT_NE(d->FindComponent(MsgDlgButtonName(k)), nullptr) << MsgDlgButtonName(k);
        auto* button = dynamic_cast<TControl*>(d->FindComponent(c.name));
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->Caption(), c.caption);
        // Help answers nothing and leaves the dialog up; the button closes it.
        bool stillUpAfterHelp = false;
        Steps({[] { ClickNamed("Help"); }, [&] { stillUpAfterHelp = Screen->ActiveForm() == d.get(); },
               [&] { synthetic::Click(Centre(button)); }});
        EXPECT_EQ(d->ShowModal(), c.result) << c.name;
        EXPECT_TRUE(stillUpAfterHelp);
        EXPECT_EQ(MsgDlgButtonResult(c.kind), c.result);
    }
}

TEST_F(Dialogs, OnlyTheButtonsAskedForAreMadeInTheirOrder) {
    TOwned<TMessageForm> d(CreateMessageDialog("是否覆盖?", mtConfirmation, {mbNo, mbYes}));
    auto* yes = dynamic_cast<TControl*>(d->FindComponent("Yes"));
    auto* no = dynamic_cast<TControl*>(d->FindComponent("No"));
    ASSERT_TRUE(yes && no);
    EXPECT_EQ(d->FindComponent("OK"), nullptr);
    EXPECT_EQ(d->FindComponent("Cancel"), nullptr);
    EXPECT_LT(yes->Left(), no->Left());
    EXPECT_EQ(yes->Top(), no->Top());
    EXPECT_EQ(d->Caption(), "Confirm");
}

TEST_F(Dialogs, EnterPressesTheDefaultButtonAndEscTheCancelOne) {
    struct Case {
        TMsgDlgButtons buttons;
        int key;
        TModalResult result;
    };
    const Case cases[] = {
        {{mbYes, mbNo}, VK_RETURN, mrYes},
        {{mbYes, mbNo}, VK_ESCAPE, mrNo},
        {mbOKCancel, VK_RETURN, mrOk},
        {mbOKCancel, VK_ESCAPE, mrCancel},
        {{mbOK}, VK_ESCAPE, mrOk},
        {mbYesNoCancel, VK_ESCAPE, mrCancel},
        {{mbRetry, mbCancel}, VK_RETURN, mrRetry},
        {mbAbortRetryIgnore, VK_RETURN, mrRetry},
    };
    for (const Case& c : cases) {
        TOwned<TMessageForm> d(CreateMessageDialog("text", mtWarning, c.buttons));
        Steps({[&] { synthetic::PressKey(c.key); }});
        EXPECT_EQ(d->ShowModal(), c.result) << c.buttons.Bits() << " key " << c.key;
    }
    // A chosen default button takes Enter.
    TOwned<TMessageForm> d(CreateMessageDialog("text", mtConfirmation, {mbYes, mbNo}, mbNo));
    Steps({[] { synthetic::PressKey(VK_RETURN); }});
    EXPECT_EQ(d->ShowModal(), mrNo);
}

TEST_F(Dialogs, CaptionsAreReplacedAsTheUpdaterLocalisesThem) {
    // As the updater does: an error box with the caption "错误" and its OK
    // button captioned "确定"; the other kinds keep their captions.
    TOwned<TMessageForm> d(CreateMessageDialog("无法建立进度表.", mtError, {mbOK, mbAbort}));
    d->SetCaption("错误");
    static_cast<TControl*>(d->FindComponent("OK"))->SetCaption("确定");
    d->Show();
    Pump();
    auto* ok = static_cast<TControl*>(d->FindComponent("OK"));
    EXPECT_EQ(ok->Caption(), "确定");
    EXPECT_EQ(static_cast<TControl*>(d->FindComponent("Abort"))->Caption(), "&Abort");
    EXPECT_EQ(static_cast<TControl*>(d->FindComponent("Message"))->Caption(), "无法建立进度表.");
    EXPECT_EQ(GetWindowText(d->WindowHandle()), "错误");
    // The new caption is painted: the button's middle holds text pixels now.
    UpdateWindow(d->Handle());
    EXPECT_GT(CountPixels(ok, {20, 6, 55, 19}, ColorToRGB(clBtnText)), 20);
}

TEST_F(Dialogs, TheDialogIsSizedToItsText) {
    TOwned<TMessageForm> small(CreateMessageDialog("短", mtInformation, {mbOK}));
    std::string longText;
    for (int i = 0; i < 40; ++i) longText += "备份数据库失败 ";
    TOwned<TMessageForm> big(CreateMessageDialog(longText, mtInformation, {mbOK}));
    TOwned<TMessageForm> twoLines(CreateMessageDialog("第一行\r\n第二行", mtCustom, {mbOK}));
    auto part = [](TMessageForm* f, const char* name) { return static_cast<TControl*>(f->FindComponent(name)); };
    // Icon at the left, text beside it, the buttons centred below both.
    TControl* icon = part(small.get(), "Image");
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->BoundsRect(), Bounds(12, 12, 32, 32));
    EXPECT_EQ(part(small.get(), "Message")->Left(), 56);
    TControl* ok = part(small.get(), "OK");
    EXPECT_EQ(ok->Width(), 75);
    EXPECT_EQ(ok->Left(), (small->ClientWidth() - 75) / 2);
    EXPECT_GE(ok->Top(), icon->Top() + icon->Height());
    EXPECT_EQ(small->ClientHeight(), ok->Top() + ok->Height() + 12);
    // A long text breaks into lines no wider than half the screen.
    TControl* msg = part(big.get(), "Message");
    EXPECT_LE(msg->Width(), Screen->Width() / 2 + 1);
    EXPECT_GT(msg->Width(), Screen->Width() / 2 - 60);
    EXPECT_GT(msg->Height(), 3 * 12);
    EXPECT_GT(big->ClientWidth(), small->ClientWidth());
    EXPECT_GE(part(big.get(), "OK")->Top(), msg->Top() + msg->Height());
    // No icon for the custom type: the text starts at the margin.
    EXPECT_EQ(twoLines->FindComponent("Image"), nullptr);
    EXPECT_EQ(part(twoLines.get(), "Message")->Left(), 12);
    EXPECT_GE(part(twoLines.get(), "Message")->Height(), 24);
    EXPECT_EQ(twoLines->Caption(), Application->Title());
    // Wide captions widen their buttons.
    TOwned<TMessageForm> many(CreateMessageDialog("x", mtWarning, mbYesAllNoAllCancel));
    EXPECT_GE(part(many.get(), "YesToAll")->Width(), 75);
    EXPECT_GE(many->ClientWidth(), 5 * 75 + 4 * 8 + 24);
}

TEST_F(Dialogs, IconsAreDrawnForEachType) {
    struct Probe {
        int x, y;
        TColor colour;
    };
    struct Case {
        TMsgDlgType type;
        const char* caption;
        std::vector<Probe> probes;
    };
    const TColor face = ColorToRGB(clBtnFace);
    const TColor red = RGB(214, 40, 40), blue = RGB(30, 100, 210), yellow = RGB(255, 204, 0);
    const Case cases[] = {
        // The red disc with a white cross through its middle.
        {mtError, "Error", {{16, 16, clWhite}, {11, 11, clWhite}, {16, 4, red}, {4, 16, red}, {0, 0, face}}},
        // The yellow triangle with a black mark.
        {mtWarning, "Warning", {{16, 14, clBlack}, {16, 24, clBlack}, {6, 27, yellow}, {25, 27, yellow}, {2, 2, face}}},
        // The blue disc with a white "i": its dot and its stem.
        {mtInformation,
         "Information",
         {{16, 8, clWhite}, {16, 20, clWhite}, {7, 16, blue}, {16, 13 - 2, blue}, {0, 31, face}}},
        // The blue disc with a white question mark.
        {mtConfirmation,
         "Confirm",
         {{16, 24, clWhite}, {21, 10, clWhite}, {6, 16, blue}, {26, 22, blue}, {31, 0, face}}},
    };
    for (const Case& c : cases) {
        TOwned<TMessageForm> d(CreateMessageDialog("图标", c.type, {mbOK}));
        EXPECT_EQ(d->Caption(), c.caption);
        d->Show();
        Pump();
        auto* icon = static_cast<TControl*>(d->FindComponent("Image"));
        ASSERT_NE(icon, nullptr);
        for (const Probe& p : c.probes)
            EXPECT_EQ(PixelOf(icon, p.x, p.y), p.colour) << c.caption << " at " << p.x << "," << p.y;
        d->Hide();
    }
}

TEST_F(Dialogs, MessageBoxFlagsChooseButtonsIconAndDefault) {
    struct Case {
        UINT flags;
        std::vector<std::string> buttons;  // name and caption, in order
        const char* press;                 // key "enter"/"esc" or a button name
        int answer;
    };
    const Case cases[] = {
        {MB_OK | MB_ICONERROR, {"OK:确定"}, "enter", IDOK},
        {MB_OKCANCEL | MB_ICONINFORMATION, {"OK:确定", "Cancel:取消"}, "esc", IDCANCEL},
        {MB_YESNO | MB_ICONQUESTION, {"Yes:是(&Y)", "No:否(&N)"}, "No", IDNO},
        {MB_YESNOCANCEL | MB_ICONWARNING | MB_DEFBUTTON3,
         {"Yes:是(&Y)", "No:否(&N)", "Cancel:取消"},
         "enter",
         IDCANCEL},
        {MB_ABORTRETRYIGNORE, {"Abort:中止(&A)", "Retry:重试(&R)", "Ignore:忽略(&I)"}, "Ignore", IDIGNORE},
        {MB_RETRYCANCEL | MB_DEFBUTTON2, {"Retry:重试(&R)", "Cancel:取消"}, "enter", IDCANCEL},
    };
    for (const Case& c : cases) {
        std::vector<std::string> seen;
        bool hasIcon = false;
        Steps({[&] {
                   TCustomForm* box = Screen->ActiveForm();
                   hasIcon = box->FindComponent("Image") != nullptr;
                   std::vector<std::pair<int, std::string>> found;
                   for (int i = 0; i < box->ComponentCount(); ++i)
                       if (auto* w = dynamic_cast<TWinControl*>(box->Components(i)))
                           found.push_back({w->Left(), w->Name() + ":" + w->Caption()});
                   std::sort(found.begin(), found.end());
                   for (auto& f : found) seen.push_back(f.second);
               },
               [&] {
                   std::string p = c.press;
                   if (p == "enter")
                       synthetic::PressKey(VK_RETURN);
                   else if (p == "esc")
                       synthetic::PressKey(VK_ESCAPE);
                   else
                       ClickNamed(p);
               }});
        int beeps = BeepCount();
        EXPECT_EQ(MessageBox(0, "删除备份?", "确认", c.flags), c.answer) << c.flags;
        EXPECT_EQ(seen, c.buttons) << c.flags;
        EXPECT_EQ(hasIcon, (c.flags & 0xF0) != 0) << c.flags;
        EXPECT_EQ(BeepCount(), beeps + 1);
    }
}

TEST_F(Dialogs, MessageBoxWithoutCancelIgnoresTheCloseButton) {
    bool stillUp = false;
    Steps({[] { synthetic::CloseWindow(Screen->ActiveForm()->WindowHandle()); },
           [&] { stillUp = Screen->ActiveForm() && Screen->ActiveForm()->FindComponent("Yes"); },
           [] { synthetic::PressKey(VK_ESCAPE); },  // nothing: there is no Cancel
           [] { ClickNamed("Yes"); }});
    EXPECT_EQ(MessageBox(0, "恢复文件已存在！\r\n是否覆盖它？", "确认", MB_YESNO | MB_ICONQUESTION), IDYES);
    EXPECT_TRUE(stillUp);
    // A box with OK alone closes by its close button and answers OK.
    Steps({[] { synthetic::CloseWindow(Screen->ActiveForm()->WindowHandle()); }});
    EXPECT_EQ(MessageBox(0, "备份数据库成功!", "提示", MB_OK | MB_ICONINFORMATION), IDOK);
    // A message dialog closes by it with Cancel.
    TOwned<TMessageForm> d(CreateMessageDialog("x", mtConfirmation, {mbYes, mbNo}));
    Steps({[&] { synthetic::CloseWindow(d->WindowHandle()); }});
    EXPECT_EQ(d->ShowModal(), mrCancel);
}

TEST_F(Dialogs, MessageBoxTakesTheApplicationTitleForAnEmptyCaptionAndStaysOnTopWhenAsked) {
    std::string caption;
    TFormStyle style = fsNormal;
    Steps({[&] {
        caption = Screen->ActiveForm()->Caption();
        style = Screen->ActiveForm()->FormStyle();
        synthetic::PressKey(VK_RETURN);
    }});
    MessageBox(0, "连接数据库失败!", "", MB_OK | MB_ICONERROR | MB_TOPMOST);
    EXPECT_EQ(caption, Application->Title());
    EXPECT_EQ(style, fsStayOnTop);
}

TEST_F(Dialogs, MessageDlgAnswersWhatAUiScriptPressed) {
    std::vector<std::string> errors;
    StartUiScript(*Application,
                  ParseUiScript("expect Message text \"恢复文件不存在！\"\nclick OK\n"
                                "expect Message text \"是否覆盖它？\"\npress esc\n",
                                "msg.txt"),
                  [&](const std::string& e) { errors.push_back(e); });
    EXPECT_EQ(MessageDlg("恢复文件不存在！", mtError, {mbOK}, 0), mrOk);
    EXPECT_EQ(MessageDlg("是否覆盖它？", mtConfirmation, {mbYes, mbNo}, 0), mrNo);
    EXPECT_TRUE(errors.empty()) << errors.front();
}

}  // namespace
}  // namespace menvaro

namespace menvaro {
namespace {

TControl* PartOf(TMessageForm* f, const char* name) { return static_cast<TControl*>(f->FindComponent(name)); }

std::vector<std::string> LinesOf(const std::string& text) {
    std::vector<std::string> lines(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') continue;
        if (text[i] == '\n')
            lines.emplace_back();
        else
            lines.back() += text[i];
    }
    return lines;
}

TEST_F(Dialogs, ATallTextIsCutAtAWholeLineAndTheButtonsStayOnTheWorkArea) {
    std::string text = "下列文件没有更新到PDA：\r\n";
    for (int i = 1; i <= 200; ++i) text += "dish" + std::to_string(i) + ".xml\r\n";
    for (bool box : {false, true}) {
        SCOPED_TRACE(box ? "message box" : "message dialog");
        TRect shownAt, okAt;
        std::string shown;
        Steps({[&] {
            TCustomForm* f = Screen->ActiveForm();
            shownAt = f->BoundsRect();
            auto* ok = static_cast<TControl*>(f->FindComponent("OK"));
            okAt = Bounds(ok->ClientOrigin().X, ok->ClientOrigin().Y, ok->Width(), ok->Height());
            shown = static_cast<TControl*>(f->FindComponent("Message"))->Caption();
            ClickNamed("OK");
        }});
        if (box) {
            EXPECT_EQ(MessageBox(0, text, "错误", MB_OK | MB_ICONERROR), IDOK);
        } else {
            TOwned<TMessageForm> d(CreateMessageDialog(text, mtError, {mbOK}));
            EXPECT_EQ(d->ShowModal(), mrOk);
        }
        const TRect work = Screen->WorkAreaRect();
        EXPECT_GE(shownAt.Top, work.Top);
        EXPECT_LE(shownAt.Bottom, work.Bottom);
        EXPECT_LE(shownAt.Height(), work.Height());
        EXPECT_GE(okAt.Top, shownAt.Top);
        EXPECT_LE(okAt.Bottom, shownAt.Bottom);
        // Whole lines of the text, then the note of how many are left out.
        const std::vector<std::string> lines = LinesOf(shown), all = LinesOf(text);
        ASSERT_GT(lines.size(), 10u);
        const std::size_t kept = lines.size() - 1;
        for (std::size_t i = 0; i < kept; ++i) EXPECT_EQ(lines[i], all[i]);
        // The text ends in a line break: its last (empty) line counts too.
        EXPECT_EQ(lines.back(), "…(还有" + std::to_string(all.size() - kept) + "行没有显示)");
    }
}

TEST_F(Dialogs, AWordWiderThanTheLineIsBrokenBetweenCharactersAndNothingIsLost) {
    const std::string id(300, 'Q');
    const std::string text = "菜谱项目编号 \"" + id + "\" 不能用作文件名";
    TOwned<TMessageForm> d(CreateMessageDialog(text, mtError, {mbOK}));
    const TRect work = Screen->WorkAreaRect();
    EXPECT_LE(d->Width(), work.Width());
    EXPECT_LE(PartOf(d.get(), "Message")->Width(), work.Width() / 2 + 1);
    // Only line breaks were put in (and blanks at them taken out).
    auto letters = [](const std::string& t) {
        std::string r;
        for (char ch : t)
            if (ch != ' ' && ch != '\r' && ch != '\n') r += ch;
        return r;
    };
    const std::string shown = PartOf(d.get(), "Message")->Caption();
    EXPECT_GT(LinesOf(shown).size(), 2u);
    EXPECT_EQ(letters(shown), letters(text));
    // A text that fits is shown as it is.
    TOwned<TMessageForm> plain(CreateMessageDialog("sock.xml\r\narea.xml", mtError, {mbOK}));
    EXPECT_EQ(PartOf(plain.get(), "Message")->Caption(), "sock.xml\r\narea.xml");
}

TEST_F(Dialogs, LatinLettersOfTheMessageFontKeepTheirShapesAt12Pixels) {
    // "sock.xml" must not read "cock.xml": "s" and "c" differ clearly.
    auto ink = [](const char* letter) {
        TBitmap b(16, 20);
        TCanvas& c = b.Canvas();
        c.Brush().SetColor(clWhite);
        c.FillRect(Rect(0, 0, 16, 20));
        SetDialogFont(c.Font());
        EXPECT_EQ(c.Font().Height(), -12);
        c.Brush().SetStyle(bsClear);
        c.TextOut(2, 2, letter);
        std::vector<bool> dark;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 16; ++x) dark.push_back(GetRValue(b.Pixel(x, y)) < 160);
        return dark;
    };
    const std::vector<bool> s = ink("s"), c = ink("c");
    int differ = 0, either = 0;
    for (std::size_t i = 0; i < s.size(); ++i) differ += s[i] != c[i], either += s[i] || c[i];
    ASSERT_GT(either, 6);
    EXPECT_GE(differ * 100, either * 30) << differ << " of " << either;
}

}  // namespace
}  // namespace menvaro
